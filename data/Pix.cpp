#include "Pix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#include "CpfCnpj.h"
#include "DataError.h"
#include "Database.h"

namespace Pix {

namespace {

struct KindInfo {
    KeyKind kind;
    const char* name;    // as shown
    const char* stored;  // as written in the settings file
};

const KindInfo kKinds[] = {
    {KeyKind::Cpf, "CPF", "CPF"},
    {KeyKind::Cnpj, "CNPJ", "CNPJ"},
    {KeyKind::Email, "E-mail", "EMAIL"},
    {KeyKind::Telephone, "Telefone", "TELEFONE"},
    {KeyKind::Random, "Chave aleatória", "ALEATORIA"},
};

// The limits of the code's fields.
constexpr int kMaxKey = 77;
constexpr int kMaxAccount = 99;  // the whole of field 26
constexpr int kMaxName = 25;
constexpr int kMaxCity = 15;
constexpr int kMaxReference = 25;
constexpr int kMaxAmount = 13;

const QString kGui = QStringLiteral("br.gov.bcb.pix");

QString field(const char* id, const QString& value) {
    return QLatin1String(id) + QStringLiteral("%1").arg(value.size(), 2, 10, QLatin1Char('0')) + value;
}

QString digitsOf(const QString& text) {
    QString digits;
    for (QChar c : text)
        if (c.isDigit() && c.unicode() < 128) digits += c;
    return digits;
}

// What a telephone may hold besides digits and the leading "+".
QString withoutTelephonePunctuation(const QString& text) {
    QString bare;
    for (QChar c : text.trimmed())
        if (!QStringLiteral(" ()-.").contains(c)) bare += c;
    return bare;
}

QString withoutTaxPunctuation(const QString& text) {
    QString bare = text.trimmed().toUpper();
    bare.remove(QLatin1Char('.')).remove(QLatin1Char('-')).remove(QLatin1Char('/')).remove(QLatin1Char(' '));
    return bare;
}

QString amountText(qint64 centavos) {
    return QStringLiteral("%1.%2").arg(centavos / 100).arg(centavos % 100, 2, 10, QLatin1Char('0'));
}

QString cut(const QString& text, int size) {
    return text.left(size).trimmed();
}

}  // namespace

QStringList kindNames() {
    QStringList names;
    for (const KindInfo& info : kKinds)
        names << QString::fromUtf8(info.name);
    return names;
}

QString kindName(KeyKind kind) {
    return kindNames().value(int(kind));
}

QString checkKey(KeyKind kind, const QString& typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty()) return QStringLiteral("Digite a chave PIX.");
    switch (kind) {
        case KeyKind::Cpf: {
            const QString bare = withoutTaxPunctuation(text);
            if (bare.size() != 11 || digitsOf(bare) != bare)
                return QStringLiteral("O CPF deve ter 11 dígitos.");
            if (checkCpfCnpj(bare) != CpfCnpjCheck::Valid)
                return QStringLiteral("O CPF digitado não é válido: confira os dígitos verificadores.");
            return {};
        }
        case KeyKind::Cnpj: {
            const QString bare = withoutTaxPunctuation(text);
            if (bare.size() != 14) return QStringLiteral("O CNPJ deve ter 14 caracteres.");
            if (checkCpfCnpj(bare) != CpfCnpjCheck::Valid)
                return QStringLiteral("O CNPJ digitado não é válido: confira os dígitos verificadores.");
            return {};
        }
        case KeyKind::Email: {
            static const QRegularExpression shape(
                QStringLiteral("^[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?"
                               "(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?)+$"));
            if (!shape.match(text).hasMatch() || text.startsWith(QLatin1Char('.')) ||
                text.contains(QStringLiteral("..")) || text.contains(QStringLiteral(".@")))
                return QStringLiteral("O e-mail digitado não é válido: use a forma nome@provedor.com.br.");
            if (text.size() > kMaxKey)
                return QStringLiteral("O e-mail tem %1 caracteres; uma chave PIX tem no máximo %2.")
                    .arg(text.size())
                    .arg(kMaxKey);
            return {};
        }
        case KeyKind::Telephone: {
            static const QRegularExpression shape(QStringLiteral("^\\+55[1-9][1-9][0-9]{8,9}$"));
            const QString bare = withoutTelephonePunctuation(text);
            if (!bare.startsWith(QStringLiteral("+55")))
                return QStringLiteral(
                    "O telefone deve começar por +55, seguido do DDD e do número (por exemplo +55 11 "
                    "98765-4321).");
            if (!shape.match(bare).hasMatch())
                return QStringLiteral(
                    "O telefone deve ter 10 ou 11 dígitos depois do +55: o DDD e o número (por exemplo +55 "
                    "11 98765-4321).");
            return {};
        }
        case KeyKind::Random: {
            static const QRegularExpression shape(QStringLiteral(
                "^[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}$"));
            if (!shape.match(text).hasMatch())
                return QStringLiteral(
                    "A chave aleatória deve ser como o banco a informou: 32 letras (de a a f) e números em "
                    "cinco grupos separados por hífen, por exemplo 123e4567-e89b-12d3-a456-426614174000.");
            return {};
        }
    }
    return {};
}

QString normalizedKey(KeyKind kind, const QString& typed) {
    switch (kind) {
        case KeyKind::Cpf:
        case KeyKind::Cnpj:
            return withoutTaxPunctuation(typed);
        case KeyKind::Email:
        case KeyKind::Random:
            return typed.trimmed().toLower();
        case KeyKind::Telephone:
            return withoutTelephonePunctuation(typed);
    }
    return typed.trimmed();
}

bool Receiver::complete() const {
    return checkKey(kind, key).isEmpty() && !plainText(name).isEmpty() && !plainText(city).isEmpty();
}

QString plainText(const QString& text) {
    QString plain;
    for (QChar c : text.normalized(QString::NormalizationForm_KD))
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F) plain += c;
    return plain.simplified().toUpper();
}

QString referenceLabel(const QString& text) {
    QString label;
    for (QChar c : text.normalized(QString::NormalizationForm_KD))
        if (c.unicode() < 128 && c.isLetterOrNumber()) label += c;
    label = label.left(kMaxReference);
    return label.isEmpty() ? QStringLiteral("***") : label;
}

quint16 crc16(const QByteArray& bytes) {
    quint16 crc = 0xFFFF;
    for (const char byte : bytes) {
        crc ^= quint16(uchar(byte)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

QString payload(const Receiver& receiver, const Charge& charge) {
    if (!receiver.complete()) return {};
    const QString key = normalizedKey(receiver.kind, receiver.key).left(kMaxKey);
    QString account = field("00", kGui) + field("01", key);
    // The description takes what room the key leaves in the account field.
    const int room = kMaxAccount - int(account.size()) - 4;
    const QString description = cut(plainText(charge.description), room);
    if (room > 0 && !description.isEmpty()) account += field("02", description);

    QString code = field("00", QStringLiteral("01")) + field("26", account) +
                   field("52", QStringLiteral("0000")) + field("53", QStringLiteral("986"));
    const QString amount = amountText(charge.centavos);
    if (charge.centavos > 0 && amount.size() <= kMaxAmount) code += field("54", amount);
    code += field("58", QStringLiteral("BR")) + field("59", cut(plainText(receiver.name), kMaxName)) +
            field("60", cut(plainText(receiver.city), kMaxCity)) +
            field("62", field("05", referenceLabel(charge.reference))) + QStringLiteral("6304");
    return code + QStringLiteral("%1").arg(crc16(code.toLatin1()), 4, 16, QLatin1Char('0')).toUpper();
}

// --- settings ---

namespace {

const QString kGroup = QStringLiteral("Pix");

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

}  // namespace

QString settingsFile() {
    return QDir(Session::instance().database(kAliasVantejaVs2).path()).filePath(QStringLiteral("pix.ini"));
}

std::optional<Receiver> load() {
    const QString path = settingsFile();
    const QFileInfo info(path);
    if (!info.exists()) return std::nullopt;
    if (!info.isReadable())
        throw DataError(
            QStringLiteral("Não foi possível ler os dados do PIX em \"%1\": sem permissão de leitura.")
                .arg(shown(path)));
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        throw DataError(
            QStringLiteral("Não foi possível ler os dados do PIX em \"%1\": o arquivo está danificado.")
                .arg(shown(path)));
    settings.beginGroup(kGroup);
    const QString stored = settings.value(QStringLiteral("Tipo")).toString();
    Receiver receiver;
    bool known = false;
    for (const KindInfo& info : kKinds)
        if (stored == QLatin1String(info.stored)) {
            receiver.kind = info.kind;
            known = true;
        }
    receiver.key = settings.value(QStringLiteral("Chave")).toString();
    receiver.name = settings.value(QStringLiteral("Nome")).toString();
    receiver.city = settings.value(QStringLiteral("Cidade")).toString();
    if (!known && receiver.key.isEmpty() && receiver.name.isEmpty() && receiver.city.isEmpty())
        return std::nullopt;
    return receiver;
}

void save(const Receiver& receiver) {
    const QString path = settingsFile();
    // Made owner-only before anything is in it; the settings' own atomic save keeps those rights.
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw DataError(QStringLiteral("Não foi possível gravar os dados do PIX em \"%1\": %2.")
                                .arg(shown(path), file.errorString()));
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    keepOwnerOnly(path);
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.beginGroup(kGroup);
        settings.setValue(QStringLiteral("Tipo"), QString::fromUtf8(kKinds[int(receiver.kind)].stored));
        settings.setValue(QStringLiteral("Chave"), normalizedKey(receiver.kind, receiver.key));
        settings.setValue(QStringLiteral("Nome"), receiver.name.trimmed());
        settings.setValue(QStringLiteral("Cidade"), receiver.city.trimmed());
        settings.endGroup();
        settings.sync();
        if (settings.status() != QSettings::NoError)
            throw DataError(
                QStringLiteral("Não foi possível gravar os dados do PIX em \"%1\": a pasta ou o arquivo "
                               "não aceita gravação.")
                    .arg(shown(path)));
    }
    keepOwnerOnly(path);
}

void forget() {
    const QString path = settingsFile();
    QFile file(path);
    if (file.exists() && !file.remove())
        throw DataError(QStringLiteral("Não foi possível apagar os dados do PIX em \"%1\": %2.")
                            .arg(shown(path), file.errorString()));
}

std::optional<Receiver> configured() {
    try {
        const std::optional<Receiver> receiver = load();
        if (receiver && receiver->complete()) return receiver;
    } catch (const DataError&) {
    }
    return std::nullopt;
}

}  // namespace Pix
