#include "NameLists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryFile>

#include "BooksFolder.h"
#include "DataError.h"
#include "Database.h"
#include "Query.h"

namespace NameLists {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five unused codes read as themselves.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QChar fromWindows1252(uchar byte) {
    return byte >= 0x80 && byte < 0xA0 ? QChar(kHighControls[byte - 0x80]) : QChar(byte);
}

// The byte of a character, or -1 when Windows-1252 has none.
int toWindows1252(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == u) return 0x80 + i;
    return -1;
}

bool hasNonAscii(const QByteArray& bytes) {
    for (const char b : bytes)
        if (uchar(b) >= 0x80) return true;
    return false;
}

QString decode(QByteArray bytes, Encoding* encoding) {
    bool utf8 = false;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
        utf8 = true;
    }
    if (!utf8 && hasNonAscii(bytes)) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(bytes);
        if (!decoder.hasError()) {
            if (encoding) *encoding = Encoding::Utf8;
            return text;
        }
    }
    if (encoding) *encoding = utf8 ? Encoding::Utf8 : Encoding::Windows1252;
    if (utf8) return QString::fromUtf8(bytes);
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = fromWindows1252(uchar(bytes[i]));
    return text;
}

QString shownName(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Only regular files are lists: opening a FIFO waits for a writer that never comes, and a device or a
// folder holds no names.
QString notARegularFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isFile()) return {};
    return info.isDir() ? QStringLiteral("é uma pasta, não um arquivo")
                        : QStringLiteral("não é um arquivo comum");
}

QString openReason(const QFile& file) {
    if (!QFileInfo::exists(file.fileName())) return QStringLiteral("o arquivo não existe");
    if (file.error() == QFileDevice::PermissionsError) return QStringLiteral("acesso negado");
    return file.errorString();
}

// Why a replacement failed, found by trying what it needs: the file open for writing, a new file in the
// folder.
QString writeReason(const QString& path, const QString& systemReason) {
    QFile existing(path);
    if (existing.exists() && !existing.open(QIODevice::WriteOnly | QIODevice::Append))
        return QStringLiteral("o arquivo é somente leitura");
    existing.close();
    QTemporaryFile probe(QFileInfo(path).absolutePath() + QStringLiteral("/XXXXXX.tmp"));
    if (!probe.open()) return QStringLiteral("a pasta não aceita gravação");
    return QStringLiteral("erro do sistema (%1)").arg(systemReason);
}

}  // namespace

QStringList parse(const QByteArray& bytes, Encoding* encoding) {
    const qsizetype nul = bytes.indexOf('\0');
    const QString text = decode(nul < 0 ? bytes : bytes.left(nul), encoding);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < size) lines << text.mid(start);
    return lines;
}

bool fitsWindows1252(const QString& text) {
    for (const QChar c : text)
        if (toWindows1252(c) < 0) return false;
    return true;
}

QByteArray serialize(const QStringList& entries, Encoding encoding) {
    QByteArray bytes;
    for (const QString& entry : entries) {
        if (encoding == Encoding::Utf8) {
            bytes += entry.toUtf8();
        } else {
            for (const QChar c : entry) {
                const int b = toWindows1252(c);
                bytes += b < 0 ? '?' : char(b);
            }
        }
        bytes += "\r\n";
    }
    return bytes;
}

QStringList readFile(const QString& path, Encoding* encoding) {
    if (const QString reason = notARegularFile(path); !reason.isEmpty())
        throw DataError(
            QStringLiteral("Não foi possível abrir o arquivo \"%1\": %2.").arg(shownName(path), reason));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("Não foi possível abrir o arquivo \"%1\": %2.")
                            .arg(shownName(path), openReason(file)));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw DataError(QStringLiteral("Não foi possível ler o arquivo \"%1\": %2.")
                            .arg(shownName(path), file.errorString()));
    return parse(bytes, encoding);
}

void writeFile(const QString& path, const QStringList& entries) {
    if (const QString reason = notARegularFile(path); !reason.isEmpty())
        throw DataError(
            QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2.").arg(shownName(path), reason));
    Encoding encoding = Encoding::Windows1252;
    QFile current(path);
    const bool existed = current.exists();
    if (current.open(QIODevice::ReadOnly)) parse(current.readAll(), &encoding);
    current.close();
    if (encoding == Encoding::Windows1252)
        for (const QString& entry : entries)
            if (!fitsWindows1252(entry)) encoding = Encoding::Utf8;
    QByteArray bytes = serialize(entries, encoding);
    // Windows-1252 bytes may happen to form UTF-8 ("Â©" is C2 A9, which UTF-8 reads as "©"), and the reading
    // takes such a file for UTF-8: what would not read back as written goes in UTF-8 behind a byte-order
    // mark.
    if (parse(bytes) != entries) bytes = QByteArray("\xEF\xBB\xBF") + serialize(entries, Encoding::Utf8);

    // Replacing renames over the old file, which a read-only file does not stop: ask the file itself first.
    QFile existing(path);
    if (existing.exists() && !existing.open(QIODevice::WriteOnly | QIODevice::Append))
        throw DataError(
            QStringLiteral("Não foi possível gravar o arquivo \"%1\": o arquivo é somente leitura.")
                .arg(shownName(path)));
    existing.close();

    QSaveFile file(path);
    // A list made here is its owner's alone; one that exists keeps its mode, which the replacement copies.
    if (!file.open(QIODevice::WriteOnly) ||
        (!existed && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) ||
        file.write(bytes) != bytes.size() || !file.commit())
        throw DataError(QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2.")
                            .arg(shownName(path), writeReason(path, file.errorString())));
}

QString pathOf(const QString& fileName) {
    return QDir(BooksFolder::path()).filePath(fileName);
}

namespace {

// What sets the four lists apart.
struct ListTraits {
    QString file;
    QString switchFile;         // its existence switches the window's lists on
    bool startsWithEmptyEntry;  // before any file is loaded
    // Without the switch file "Salvar" hides the window's buttons; otherwise it says so and saves all the
    // same.
    bool hidesButtonsWithoutSwitch;
    const char* alreadyListed;
};

const ListTraits& traitsOf(Box box) {
    static const ListTraits payablesName{kListaSaida, kListaSaida, true, true,
                                         "Saída já está incluso na lista!"};
    static const ListTraits payablesReference{kListaCredor, kListaSaida, false, true,
                                              "Credor já está incluso na lista!"};
    static const ListTraits receivablesName{kListaReceber, kReceberCredor, false, false,
                                            "Esse credor já está incluso na lista!"};
    static const ListTraits receivablesReference{kRefEntrada, kReceberCredor, false, false,
                                                 "Esse credor já está incluso na lista!"};
    switch (box) {
        case Box::PayablesName:
            return payablesName;
        case Box::PayablesReference:
            return payablesReference;
        case Box::ReceivablesName:
            return receivablesName;
        case Box::ReceivablesReference:
            break;
    }
    return receivablesReference;
}

}  // namespace

QString fileOf(Box box) {
    return traitsOf(box).file;
}

QString switchFileOf(Box box) {
    return traitsOf(box).switchFile;
}

bool switchedOn(Box box) {
    return QFileInfo::exists(pathOf(switchFileOf(box)));
}

QStringList designEntries(Box box) {
    return traitsOf(box).startsWithEmptyEntry ? QStringList{QString()} : QStringList();
}

QStringList asShown(const QStringList& lines) {
    QStringList shown;
    shown.reserve(lines.size());
    for (const QString& line : lines)
        shown << line.toUpper();
    return shown;
}

namespace {

// Loads the two lists of a window in order; the first failing file ends the load.
Load load(Box switchBox, Box firstBox, std::optional<QStringList> Load::*first, Box secondBox,
          std::optional<QStringList> Load::*second) {
    Load result;
    result.switchedOn = switchedOn(switchBox);
    if (!result.switchedOn) return result;
    try {
        result.*first = asShown(readFile(pathOf(fileOf(firstBox))));
        result.*second = asShown(readFile(pathOf(fileOf(secondBox))));
    } catch (const DataError& error) {
        result.error = error.message();
    }
    return result;
}

}  // namespace

Load loadPayables() {
    return load(Box::PayablesName, Box::PayablesName, &Load::name, Box::PayablesReference, &Load::reference);
}

Load loadReceivables() {
    return load(Box::ReceivablesReference, Box::ReceivablesReference, &Load::reference, Box::ReceivablesName,
                &Load::name);
}

QStringList clientNames() {
    Query query;
    query.setDatabaseName(kAliasVantejaVs2);
    query.addSql(QStringLiteral("select nome from c_cliente"));
    query.open();
    QStringList names;
    names.reserve(query.recordCount());
    for (int row = 0; row < query.recordCount(); ++row)
        names << query.valueAt(row, 0).toString();
    return names;
}

Save check(Box box, const QString& text, const QString& selected) {
    Save result;
    const ListTraits& traits = traitsOf(box);
    if (switchedOn(box)) {
        result.disableButton = true;
    } else if (traits.hidesButtonsWithoutSwitch) {
        result.outcome = Save::HideButtons;
        return result;
    } else {
        result.notices << Notice{Notice::Message, QStringLiteral("Arquivo inexistente")};
    }
    if (text == selected) {
        result.outcome = Save::AlreadyListed;
        result.notices << Notice{Notice::Information, QString::fromUtf8(traits.alreadyListed)};
        return result;
    }
    result.outcome = Save::Ask;
    return result;
}

Save write(Box box, const QStringList& entries) {
    Save result;
    result.entries = entries;
    const QString path = pathOf(fileOf(box));
    try {
        writeFile(path, entries);
        result.entries = asShown(readFile(path));
        result.outcome = Save::Written;
    } catch (const DataError& error) {
        result.outcome = Save::WriteFailed;
        result.notices << Notice{Notice::Error, error.message()};
    }
    return result;
}

}  // namespace NameLists
