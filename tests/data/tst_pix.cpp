// PIX: the static BR Code read back by a decoder of the test's own (IDs, lengths, nested templates, the CRC
// recomputed from a table), the cuts that keep every field within its limit, the key kinds' checks, and the
// owner-only settings file.

#include <QFile>
#include <QtTest>

#include "DataError.h"
#include "Pix.h"
#include "TempData.h"

Q_DECLARE_METATYPE(Pix::KeyKind)

namespace {

// CRC-16/CCITT-FALSE from a 256-entry table, built apart from the program's bit-by-bit loop.
quint16 tableCrc(const QByteArray& bytes) {
    static const QList<quint16> table = [] {
        QList<quint16> t(256);
        for (int i = 0; i < 256; ++i) {
            quint16 value = quint16(i << 8);
            for (int bit = 0; bit < 8; ++bit)
                value = (value & 0x8000) ? quint16((value << 1) ^ 0x1021) : quint16(value << 1);
            t[i] = value;
        }
        return t;
    }();
    quint16 crc = 0xFFFF;
    for (const char byte : bytes)
        crc = quint16((crc << 8) ^ table[((crc >> 8) ^ uchar(byte)) & 0xFF]);
    return crc;
}

// An EMV merchant-presented payload read as ID/length/value triples. Templates 26 and 62 are read once more,
// their fields named "26.01", "62.05". Any malformation fails the test through `error`.
struct Decoded {
    QMap<QString, QString> fields;
    QStringList order;  // top-level IDs as they came
    QString error;
};

void readFields(const QString& text, const QString& prefix, Decoded& out, bool top) {
    int at = 0;
    while (at < text.size()) {
        if (at + 4 > text.size()) {
            out.error = "truncated header in " + prefix;
            return;
        }
        const QString id = text.mid(at, 2);
        bool ok = false;
        const int length = text.mid(at + 2, 2).toInt(&ok);
        if (!ok || text.mid(at + 2, 2).size() != 2 || at + 4 + length > text.size()) {
            out.error = "bad length of " + prefix + id;
            return;
        }
        const QString value = text.mid(at + 4, length);
        out.fields.insert(prefix + id, value);
        if (top) {
            out.order << id;
            if (id == "26" || id == "62") readFields(value, id + ".", out, false);
        }
        at += 4 + length;
    }
}

Decoded decode(const QString& payload) {
    Decoded out;
    for (QChar c : payload)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) out.error = "not printable ASCII";
    readFields(payload, QString(), out, true);
    if (!out.error.isEmpty()) return out;
    if (!payload.endsWith(out.fields.value("63")) || out.order.last() != "63" || out.fields["63"].size() != 4)
        out.error = "the CRC is not the last field";
    else if (QString("%1").arg(tableCrc(payload.chopped(4).toLatin1()), 4, 16, QChar('0')).toUpper() !=
             out.fields["63"])
        out.error = "wrong CRC";
    return out;
}

Pix::Receiver receiver(Pix::KeyKind kind, const QString& key, const QString& name, const QString& city) {
    Pix::Receiver r;
    r.kind = kind;
    r.key = key;
    r.name = name;
    r.city = city;
    return r;
}

const QString kEmail77 = QString(65, 'a') + "@example.com";  // 77 characters

}  // namespace

class PixTest : public QObject {
    Q_OBJECT

private slots:
    // The standard check value of CRC-16/CCITT-FALSE, and the Central Bank manual's own sample code.
    void crcOfKnownTexts() {
        QCOMPARE(Pix::crc16("123456789"), quint16(0x29B1));
        const QString manual =
            "00020126580014br.gov.bcb.pix0136123e4567-e12b-12d1-a456-"
            "4266554400005204000053039865802BR5913Fulano "
            "de Tal6008BRASILIA62070503***63041D3D";
        const Decoded decoded = decode(manual);
        QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
        QCOMPARE(Pix::crc16(manual.chopped(4).toLatin1()), quint16(0x1D3D));
    }

    void payloadFields_data() {
        QTest::addColumn<Pix::Receiver>("who");
        QTest::addColumn<qint64>("centavos");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("description");
        // Expected fields; "-" for a field that must be absent.
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("city");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("descriptionOut");

        using K = Pix::KeyKind;
        QTest::newRow("cpf punctuated, amount")
            << receiver(K::Cpf, "529.982.247-25", "Maria Souza", "Contagem") << qint64(15000)
            << "Recibo000042"
            << ""
            << "52998224725"
            << "150.00"
            << "MARIA SOUZA"
            << "CONTAGEM"
            << "Recibo000042"
            << "-";
        QTest::newRow("zero amount omitted")
            << receiver(K::Cnpj, "11.222.333/0001-81", "Loja", "Recife") << qint64(0) << ""
            << ""
            << "11222333000181"
            << "-"
            << "LOJA"
            << "RECIFE"
            << "***"
            << "-";
        QTest::newRow("one centavo") << receiver(K::Email, "Vendas@Loja.com.BR", "Loja", "Recife")
                                     << qint64(1) << "Parcela3Doc77"
                                     << ""
                                     << "vendas@loja.com.br"
                                     << "0.01"
                                     << "LOJA"
                                     << "RECIFE"
                                     << "Parcela3Doc77"
                                     << "-";
        QTest::newRow("large amount")
            << receiver(K::Telephone, "+55 (11) 98765-4321", "Loja", "Recife") << qint64(123456789012) << ""
            << ""
            << "+5511987654321"
            << "1234567890.12"
            << "LOJA"
            << "RECIFE"
            << "***"
            << "-";
        QTest::newRow("amount beyond 13 characters is left out")
            << receiver(K::Cpf, "52998224725", "Loja", "Recife") << qint64(10000000000000) << ""
            << ""
            << "52998224725"
            << "-"
            << "LOJA"
            << "RECIFE"
            << "***"
            << "-";
        QTest::newRow("accents, case and lengths cut")
            << receiver(K::Random, "123E4567-E89B-12D3-A456-426614174000",
                        "Padaria São João & Confeitaria Ltda", "São José dos Campos")
            << qint64(990) << "Nº 000.123/ABC-ção, da loja 1 e mais um bocado de texto"
            << "Pão de forma"
            << "123e4567-e89b-12d3-a456-426614174000"
            << "9.90"
            << "PADARIA SAO JOAO & CONFEI"
            << "SAO JOSE DOS CA"
            << "No000123ABCcaodaloja1emai"
            << "PAO DE FORMA";
        QTest::newRow("name cut before a blank keeps no trailing blank")
            << receiver(K::Cpf, "52998224725", "José da Silva Xavier Filh o", "Rio") << qint64(0) << ""
            << ""
            << "52998224725"
            << "-"
            << "JOSE DA SILVA XAVIER FILH"
            << "RIO"
            << "***"
            << "-";
        QTest::newRow("long key leaves the description what room is left")
            << receiver(K::Email, kEmail77, "Loja", "Recife") << qint64(0) << ""
            << "Descrição longa" << kEmail77.toLower() << "-"
            << "LOJA"
            << "RECIFE"
            << "***"
            << "-";
        QTest::newRow("description cut to the account's room")
            << receiver(K::Email, QString(50, 'b') + "@example.com", "Loja", "Recife") << qint64(0) << ""
            << "Descricao bem longa que nao cabe" << QString(50, 'b') + "@example.com"
            << "-"
            << "LOJA"
            << "RECIFE"
            << "***"
            << "DESCRICAO B";
        QTest::newRow("characters outside ASCII dropped")
            << receiver(K::Cpf, "52998224725", "Café ☕ Ltda", "Brasília") << qint64(500) << ""
            << ""
            << "52998224725"
            << "5.00"
            << "CAFE LTDA"
            << "BRASILIA"
            << "***"
            << "-";
    }
    void payloadFields() {
        QFETCH(Pix::Receiver, who);
        QFETCH(qint64, centavos);
        QFETCH(QString, reference);
        QFETCH(QString, description);
        const QString payload = Pix::payload(who, {centavos, reference, description});
        const Decoded d = decode(payload);
        QVERIFY2(d.error.isEmpty(), qPrintable(d.error + ": " + payload));

        QStringList expectedOrder = {"00", "26", "52", "53", "54", "58", "59", "60", "62", "63"};
        QFETCH(QString, amount);
        if (amount == "-") expectedOrder.removeOne("54");
        QCOMPARE(d.order, expectedOrder);
        QCOMPARE(d.fields["00"], "01");
        QCOMPARE(d.fields["26.00"], "br.gov.bcb.pix");
        QCOMPARE(d.fields["52"], "0000");
        QCOMPARE(d.fields["53"], "986");
        QCOMPARE(d.fields["58"], "BR");
        QVERIFY(d.fields["26"].size() <= 99);
        auto expect = [&d](const char* id, const QString& value) {
            if (value == "-")
                QVERIFY2(!d.fields.contains(id), id);
            else
                QCOMPARE(d.fields.value(id), value);
        };
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(QString, city);
        QFETCH(QString, label);
        QFETCH(QString, descriptionOut);
        expect("26.01", key);
        expect("54", amount);
        expect("59", name);
        expect("60", city);
        expect("62.05", label);
        expect("26.02", descriptionOut);
    }

    // Whole codes put together by hand from the rules, field by field.
    void handBuiltPayloads_data() {
        QTest::addColumn<Pix::Receiver>("who");
        QTest::addColumn<qint64>("centavos");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("body");  // everything before "6304"
        QTest::newRow("cpf with amount")
            << receiver(Pix::KeyKind::Cpf, "529.982.247-25", "Maria", "Recife") << qint64(1050) << "Recibo7"
            << "000201"
               "26330014br.gov.bcb.pix011152998224725"
               "52040000"
               "5303986"
               "540510.50"
               "5802BR5905MARIA6006RECIFE"
               "62110507Recibo7";
        QTest::newRow("random key, no amount, no reference")
            << receiver(Pix::KeyKind::Random, "123e4567-e12b-12d1-a456-426655440000", "Fulano de Tal",
                        "Brasília")
            << qint64(0) << ""
            << "000201"
               "26580014br.gov.bcb.pix0136123e4567-e12b-12d1-a456-426655440000"
               "52040000"
               "5303986"
               "5802BR5913FULANO DE TAL6008BRASILIA"
               "62070503***";
    }
    void handBuiltPayloads() {
        QFETCH(Pix::Receiver, who);
        QFETCH(qint64, centavos);
        QFETCH(QString, reference);
        QFETCH(QString, body);
        const QString head = body + "6304";
        const QString expected =
            head + QString("%1").arg(tableCrc(head.toLatin1()), 4, 16, QChar('0')).toUpper();
        QCOMPARE(Pix::payload(who, {centavos, reference, {}}), expected);
    }

    void incompleteReceiverGivesNoCode_data() {
        QTest::addColumn<Pix::Receiver>("who");
        QTest::newRow("bad cpf") << receiver(Pix::KeyKind::Cpf, "52998224724", "Loja", "Recife");
        QTest::newRow("no name") << receiver(Pix::KeyKind::Cpf, "52998224725", " ", "Recife");
        QTest::newRow("name of symbols only") << receiver(Pix::KeyKind::Cpf, "52998224725", "☕", "Recife");
        QTest::newRow("no city") << receiver(Pix::KeyKind::Cpf, "52998224725", "Loja", "");
    }
    void incompleteReceiverGivesNoCode() {
        QFETCH(Pix::Receiver, who);
        QVERIFY(Pix::payload(who, {100, "1", {}}).isEmpty());
    }

    void keys_data() {
        QTest::addColumn<Pix::KeyKind>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("problem");  // a fragment of the message; empty when the key is good
        QTest::addColumn<QString>("normalized");
        using K = Pix::KeyKind;
        QTest::newRow("cpf") << K::Cpf << " 529.982.247-25 "
                             << ""
                             << "52998224725";
        QTest::newRow("cpf check digit") << K::Cpf << "529.982.247-26"
                                         << "dígitos verificadores"
                                         << "";
        QTest::newRow("cpf short") << K::Cpf << "5299822472"
                                   << "11 dígitos"
                                   << "";
        QTest::newRow("cnpj") << K::Cnpj << "11.222.333/0001-81"
                              << ""
                              << "11222333000181";
        QTest::newRow("cnpj alphanumeric") << K::Cnpj << "12.abc.345/01de-35"
                                           << ""
                                           << "12ABC34501DE35";
        QTest::newRow("cnpj check digit") << K::Cnpj << "11.222.333/0001-82"
                                          << "dígitos verificadores"
                                          << "";
        QTest::newRow("cnpj short") << K::Cnpj << "11.222.333/0001-8"
                                    << "14 caracteres"
                                    << "";
        QTest::newRow("email") << K::Email << "Vendas@Loja.com.br"
                               << ""
                               << "vendas@loja.com.br";
        QTest::newRow("email 77") << K::Email << kEmail77 << "" << kEmail77;
        QTest::newRow("email 78") << K::Email << "a" + kEmail77 << "no máximo 77"
                                  << "";
        QTest::newRow("email no domain dot") << K::Email << "vendas@loja"
                                             << "nome@provedor"
                                             << "";
        QTest::newRow("email double dot") << K::Email << "a..b@loja.com"
                                          << "nome@provedor"
                                          << "";
        QTest::newRow("mobile") << K::Telephone << "+55 (11) 98765-4321"
                                << ""
                                << "+5511987654321";
        QTest::newRow("landline") << K::Telephone << "+55 31 3222-1234"
                                  << ""
                                  << "+553132221234";
        QTest::newRow("no +55") << K::Telephone << "(11) 98765-4321"
                                << "começar por +55"
                                << "";
        QTest::newRow("other country") << K::Telephone << "+1 415 555 0100"
                                       << "começar por +55"
                                       << "";
        QTest::newRow("nine digits") << K::Telephone << "+55 11 8765-432"
                                     << "10 ou 11 dígitos"
                                     << "";
        QTest::newRow("area code 0") << K::Telephone << "+55 01 98765-4321"
                                     << "10 ou 11 dígitos"
                                     << "";
        QTest::newRow("random") << K::Random << "123E4567-E89B-12D3-A456-426614174000"
                                << ""
                                << "123e4567-e89b-12d3-a456-426614174000";
        QTest::newRow("random without dashes") << K::Random << "123e4567e89b12d3a456426614174000"
                                               << "cinco grupos"
                                               << "";
        QTest::newRow("empty") << K::Email << "  "
                               << "Digite a chave"
                               << "";
    }
    void keys() {
        QFETCH(Pix::KeyKind, kind);
        QFETCH(QString, typed);
        QFETCH(QString, problem);
        QFETCH(QString, normalized);
        const QString message = Pix::checkKey(kind, typed);
        if (problem.isEmpty()) {
            QVERIFY2(message.isEmpty(), qPrintable(message));
            QCOMPARE(Pix::normalizedKey(kind, typed), normalized);
        } else {
            QVERIFY2(message.contains(problem), qPrintable(message));
        }
    }

    // Stored in the data folder for its owner only, read back as written, forgotten on request; what is not
    // complete does not count as a key.
    void settingsFile() {
        TempData data;
        QCOMPARE(Pix::load(), std::nullopt);
        QCOMPARE(Pix::configured(), std::nullopt);
        Pix::save(receiver(Pix::KeyKind::Telephone, "+55 (11) 98765-4321", "Padaria São João", "São Paulo"));
        QCOMPARE(QFileInfo(Pix::settingsFile()).absolutePath(),
                 QFileInfo(data.dataFolder()).absoluteFilePath());
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(Pix::settingsFile()) & (others | QFileDevice::ReadOwner),
                 QFileDevice::ReadOwner);
        const std::optional<Pix::Receiver> read = Pix::configured();
        QVERIFY(read);
        QCOMPARE(read->kind, Pix::KeyKind::Telephone);
        QCOMPARE(read->key, "+5511987654321");
        QCOMPARE(read->name, "Padaria São João");
        QCOMPARE(read->city, "São Paulo");

        Pix::save(receiver(Pix::KeyKind::Cpf, "52998224725", "", "Recife"));
        QVERIFY(Pix::load());
        QCOMPARE(Pix::configured(), std::nullopt);
        Pix::forget();
        QVERIFY(!QFile::exists(Pix::settingsFile()));
        QCOMPARE(Pix::load(), std::nullopt);
    }
};

QTEST_MAIN(PixTest)
#include "tst_pix.moc"
