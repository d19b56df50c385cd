#include "ParadoxImport.h"

// The library's header declares C functions without saying so.
extern "C" {
#include <paradox.h>
}
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTime>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>

#include "Catalogue.h"
#include "DataError.h"
#include "Database.h"
#include "Sqlite.h"
#include "Values.h"

namespace ParadoxImport {

namespace {

// The upper halves of the DOS code pages, as Unicode.
constexpr char16_t kCp850[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C,
    0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580, 0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6,
    0x00A7, 0x00F7, 0x00B8, 0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};
constexpr char16_t kCp437[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};
// Windows-1252 differs from Latin-1 only here (0x80-0x9F); its five unassigned bytes stay control codes.
constexpr char16_t kCp1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Paradox counts days from 1 January of year 1; the Julian day of the day before it.
constexpr qint64 kJulianDayBeforeYear1 = 1721425;
constexpr qint64 kMsPerDay = 86400000;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

quint32 little32(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
}

// A field's value as read from the file, before it meets the field of the books.
struct OldValue {
    enum Kind { Null, Text, Integer, Number, Day, Bytes, Bad } kind = Null;
    QString text;  // Text; for Bad, why it could not be read
    qint64 integer = 0;
    double number = 0;
    QDate day;
    QByteArray bytes;
};

struct OldField {
    QString name;
    char type = 0;
    int offset = 0;
    int length = 0;
    int decimals = 0;
    int target = -1;  // index of the field of the books it goes into; -1: none
};

// The memo and picture data of one table, kept in its .mb file.
class MemoFile {
public:
    explicit MemoFile(const QString& path) {
        QFile file(path);
        if (!path.isEmpty() && file.open(QIODevice::ReadOnly)) data_ = file.readAll(), present_ = true;
    }

    // The data a memo field's record part points at. `header` is the length of the block header before the
    // data: 9 for memos, 17 for pictures (which carry 8 bytes of their own before the data).
    OldValue read(const char* field, int length, bool picture) const {
        const int leader = length - 10;
        const quint32 place = little32(field + leader);
        qint64 size = little32(field + leader + 4);
        if (size == 0) return {};
        if (picture) size -= 8;
        if (size <= 0) return bad(QStringLiteral("o tamanho gravado da imagem é inválido"));
        if (size <= leader) return bytes(QByteArray(field, int(size)));
        if (!present_) return bad(QStringLiteral("o conteúdo está no arquivo .mb, que não foi encontrado"));
        const qint64 offset = place & 0xFFFFFF00u;
        const int index = int(place & 0xFF);
        if (offset <= 0 || offset + 12 > data_.size())
            return bad(QStringLiteral("aponta para fora do arquivo .mb"));
        const auto blockType = quint8(data_[offset]);
        qint64 start = 0;
        if (blockType == 2) {  // a block of its own: header, then the data
            if (index != 0xFF) return bad(QStringLiteral("o arquivo .mb não confere com a tabela"));
            start = offset + (picture ? 17 : 9);
        } else if (blockType == 3) {  // a shared block: a table of 5-byte pointers, then the data
            const qint64 pointer = offset + 12 + qint64(index) * 5;
            if (pointer + 5 > data_.size()) return bad(QStringLiteral("aponta para fora do arquivo .mb"));
            const auto paragraphs = quint8(data_[pointer + 1]);
            const auto remainder = quint8(data_[pointer + 4]);
            const qint64 stored = (qint64(paragraphs) - 1) * 16 + remainder;
            if (stored != size + (picture ? 8 : 0))
                return bad(QStringLiteral("o arquivo .mb não confere com a tabela"));
            start = offset + qint64(quint8(data_[pointer])) * 16 + (picture ? 8 : 0);
        } else {
            return bad(QStringLiteral("aponta para um bloco vazio do arquivo .mb"));
        }
        if (start + size > data_.size())
            return bad(QStringLiteral("o arquivo .mb termina antes do conteúdo"));
        return bytes(data_.mid(start, size));
    }

private:
    static OldValue bad(const QString& why) {
        OldValue value;
        value.kind = OldValue::Bad;
        value.text = why;
        return value;
    }
    static OldValue bytes(const QByteArray& data) {
        OldValue value;
        value.kind = OldValue::Bytes;
        value.bytes = data;
        return value;
    }

    QByteArray data_;
    bool present_ = false;
};

// One old table, read whole: the rows as the books will store them.
struct OldTable {
    const TableDef* definition = nullptr;
    QString path;
    QList<QVariantList> rows;  // values in the order of the definition's fields
    TableReport report;
};

struct PxDeleter {
    void operator()(pxdoc_t* doc) const {
        PX_close(doc);
        PX_delete(doc);
    }
};

void keepMessage(pxdoc_t*, int level, const char* message, void* data) {
    if (level != PX_Warning && data) *static_cast<QString*>(data) = QString::fromUtf8(message);
}

OldValue readValue(pxdoc_t* doc, const OldField& field, char* record, const MemoFile& memos, int codePage) {
    char* data = record + field.offset;
    OldValue value;
    switch (field.type) {
        case pxfAlpha: {
            char* text = nullptr;
            if (PX_get_data_alpha(doc, data, field.length, &text) > 0 && text) {
                value.kind = OldValue::Text;
                value.text = decode(QByteArray(text), codePage);
                doc->free(doc, text);
            }
            break;
        }
        case pxfShort: {
            short number = 0;
            if (PX_get_data_short(doc, data, field.length, &number) > 0)
                value.kind = OldValue::Integer, value.integer = number;
            break;
        }
        case pxfLong:
        case pxfAutoInc: {
            long number = 0;
            if (PX_get_data_long(doc, data, field.length, &number) > 0)
                value.kind = OldValue::Integer, value.integer = number;
            break;
        }
        case pxfLogical: {
            char flag = 0;
            if (PX_get_data_byte(doc, data, field.length, &flag) > 0)
                value.kind = OldValue::Integer, value.integer = flag ? 1 : 0;
            break;
        }
        case pxfNumber:
        case pxfCurrency: {
            double number = 0;
            if (PX_get_data_double(doc, data, field.length, &number) > 0)
                value.kind = OldValue::Number, value.number = number;
            break;
        }
        case pxfBCD: {
            char* text = nullptr;
            if (PX_get_data_bcd(doc, reinterpret_cast<unsigned char*>(data), field.decimals, &text) > 0 &&
                text) {
                // Written with the decimal point of the C library's locale.
                bool ok = false;
                value.number =
                    QString::fromLatin1(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
                value.kind = ok ? OldValue::Number : OldValue::Bad;
                if (!ok) value.text = QStringLiteral("número decimal ilegível");
                doc->free(doc, text);
            }
            break;
        }
        case pxfDate: {
            long days = 0;
            // Blank is stored as zero, or as a zero with the sign bit the library gives it.
            if (PX_get_data_long(doc, data, field.length, &days) > 0 && days > 0) {
                value.kind = OldValue::Day;
                value.day = QDate::fromJulianDay(days + kJulianDayBeforeYear1);
            }
            break;
        }
        case pxfTimestamp: {
            double moment = 0;
            if (PX_get_data_double(doc, data, field.length, &moment) > 0) {
                value.kind = OldValue::Day;
                value.day =
                    QDate::fromJulianDay(qint64(std::floor(moment / kMsPerDay)) + kJulianDayBeforeYear1);
            }
            break;
        }
        case pxfTime: {
            long ms = 0;
            if (PX_get_data_long(doc, data, field.length, &ms) > 0) {
                value.kind = OldValue::Text;
                value.text =
                    QTime::fromMSecsSinceStartOfDay(int(ms % kMsPerDay)).toString(QStringLiteral("HH:mm:ss"));
            }
            break;
        }
        case pxfBytes:
            if (std::any_of(data, data + field.length, [](char c) { return c != 0; })) {
                value.kind = OldValue::Bytes;
                value.bytes = QByteArray(data, field.length);
            }
            break;
        case pxfMemoBLOb:
        case pxfFmtMemoBLOb:
            value = memos.read(data, field.length, false);
            if (value.kind == OldValue::Bytes) {
                QByteArray text = value.bytes;
                while (text.endsWith('\0'))
                    text.chop(1);
                value.kind = OldValue::Text;
                value.text = decode(text, codePage);
            }
            break;
        case pxfBLOb:
        case pxfOLE:
            value = memos.read(data, field.length, false);
            break;
        case pxfGraphic:
            value = memos.read(data, field.length, true);
            break;
        default:
            value.kind = OldValue::Bad;
            value.text = QStringLiteral("tipo de campo Paradox desconhecido (%1)").arg(int(field.type));
    }
    return value;
}

bool validDay(const QDate& day) {
    return day.isValid() && day.year() >= 1 && day.year() <= 9999;
}

// Converts an old value to what the field of the books stores. Returns the reason when it cannot; `note`
// receives what was changed on the way (a text cut to the field's size).
std::optional<QString> convert(const OldValue& old, const FieldDef& field, QVariant& out, QString& note) {
    out = QVariant();
    if (old.kind == OldValue::Bad) return old.text;
    if (old.kind == OldValue::Null) return std::nullopt;
    auto text = [&]() -> std::optional<QString> {
        switch (old.kind) {
            case OldValue::Text:
                return old.text;
            case OldValue::Integer:
                return QString::number(old.integer);
            case OldValue::Number:
                return Values::floatToText(old.number);
            case OldValue::Day:
                return validDay(old.day) ? std::optional(Values::dateToText(old.day)) : std::nullopt;
            default:
                return std::nullopt;
        }
    };
    auto number = [&]() -> std::optional<double> {
        if (old.kind == OldValue::Integer) return double(old.integer);
        if (old.kind == OldValue::Number) return old.number;
        if (old.kind == OldValue::Text) {
            try {
                const QVariant typed = Values::parseNumber(old.text.trimmed());
                if (typed.isNull()) return std::nullopt;
                return typed.toDouble();
            } catch (const DataError&) {
            }
        }
        return std::nullopt;
    };
    switch (field.type) {
        case FieldType::AutoInc:
        case FieldType::Integer: {
            if (old.kind == OldValue::Text && old.text.trimmed().isEmpty()) return std::nullopt;
            const std::optional<double> value = number();
            if (!value) return QStringLiteral("\"%1\" não é um número").arg(text().value_or(QString()));
            if (*value != std::floor(*value) || *value < -2147483648.0 || *value > 2147483647.0)
                return QStringLiteral("%1 não é um número inteiro").arg(Values::floatToText(*value));
            if (field.type == FieldType::AutoInc && *value <= 0)
                return QStringLiteral("%1 não serve de chave").arg(qint64(*value));
            out = qint64(*value);
            return std::nullopt;
        }
        case FieldType::Float:
        case FieldType::Currency: {
            if (old.kind == OldValue::Text && old.text.trimmed().isEmpty()) return std::nullopt;
            const std::optional<double> value = number();
            if (!value || !std::isfinite(*value))
                return QStringLiteral("\"%1\" não é um número").arg(text().value_or(QString()));
            out = *value;
            return std::nullopt;
        }
        case FieldType::Date: {
            QDate day;
            if (old.kind == OldValue::Day) {
                day = old.day;
            } else if (old.kind == OldValue::Text) {
                if (Values::isBlankDateText(old.text)) return std::nullopt;
                try {
                    day = Values::parseDate(old.text.trimmed());
                } catch (const DataError&) {
                }
                if (!day.isValid()) return QStringLiteral("\"%1\" não é uma data").arg(old.text);
            } else {
                return QStringLiteral("o campo antigo não guarda uma data");
            }
            if (!validDay(day)) return QStringLiteral("data fora do calendário");
            out = day;
            return std::nullopt;
        }
        case FieldType::String:
        case FieldType::Memo: {
            const std::optional<QString> value = text();
            if (!value) return QStringLiteral("o campo antigo não guarda um texto");
            QString stored = *value;
            if (field.type == FieldType::String && stored.size() > field.size) {
                note = QStringLiteral("%1 cortado de %2 para %3 caracteres")
                           .arg(field.name)
                           .arg(stored.size())
                           .arg(field.size);
                stored.truncate(field.size);
            }
            if (!stored.isEmpty()) out = stored;
            return std::nullopt;
        }
        case FieldType::Blob:
        case FieldType::Graphic:
            if (old.kind == OldValue::Bytes) {
                out = old.bytes;
                return std::nullopt;
            }
            return QStringLiteral("o campo antigo não guarda dados binários");
    }
    return std::nullopt;
}

QString damaged(const QString& path, const QString& why) {
    return QStringLiteral(
               "A tabela %1 está danificada (%2). Nada foi importado: corrija ou recupere o arquivo e "
               "importe de novo.")
        .arg(native(path), why);
}

// Reads one old table whole. Raises DataError when the file is damaged.
void readTable(OldTable& table, const QString& memoPath) {
    QString message;
    std::unique_ptr<pxdoc_t, PxDeleter> doc(PX_new3(keepMessage, nullptr, nullptr, nullptr, &message));
    if (!doc) throw DataError(QStringLiteral("Sem memória para ler %1.").arg(native(table.path)));
    const qint64 fileSize = QFileInfo(table.path).size();
    if (PX_open_file(doc.get(), QFile::encodeName(table.path).constData()) < 0) {
        // A file closed by the library on failure must not be closed again.
        doc.release();
        throw DataError(
            damaged(table.path, message.isEmpty() ? QStringLiteral("não é uma tabela Paradox") : message));
    }
    const pxhead_t* head = doc->px_head;
    const int fieldCount = PX_get_num_fields(doc.get());
    if (!head || fieldCount <= 0 || head->px_recordsize <= 0 ||
        (head->px_filetype != pxfFileTypIndexDB && head->px_filetype != pxfFileTypNonIndexDB))
        throw DataError(damaged(table.path, QStringLiteral("o cabeçalho não descreve uma tabela")));
    if (qint64(head->px_headersize) + qint64(head->px_fileblocks) * head->px_maxtablesize * 0x400 > fileSize)
        throw DataError(damaged(table.path, QStringLiteral("o arquivo é menor do que o cabeçalho diz")));

    const int codePage = head->px_doscodepage;
    const TableDef& definition = *table.definition;
    QVector<OldField> fields;
    int offset = 0;
    QSet<int> covered;
    QStringList unknown;
    for (int i = 0; i < fieldCount; ++i) {
        const pxfield_t* px = PX_get_field(doc.get(), i);
        OldField field;
        field.name = decode(QByteArray(px->px_fname), codePage);
        field.type = px->px_ftype;
        field.offset = offset;
        field.length = px->px_flen;
        field.decimals = px->px_fdc;
        field.target = definition.fieldIndex(field.name);
        offset += field.length;
        if (field.target < 0)
            unknown << field.name;
        else
            covered.insert(field.target);
        fields << field;
    }
    if (offset != head->px_recordsize)
        throw DataError(damaged(table.path, QStringLiteral("os campos não somam o tamanho do registro")));
    QStringList absent;
    for (int i = 0; i < definition.fields.size(); ++i)
        if (!covered.contains(i)) absent << definition.fields[i].name;
    if (!unknown.isEmpty())
        table.report.notes << QStringLiteral("campos que o Vanteja não tem, deixados de fora: ") +
                                  unknown.join(QStringLiteral(", "));
    if (!absent.isEmpty())
        table.report.notes << QStringLiteral("campos que o arquivo não tem, deixados em branco: ") +
                                  absent.join(QStringLiteral(", "));

    const MemoFile memos(memoPath);
    QByteArray record(head->px_recordsize, '\0');
    const int count = PX_get_num_records(doc.get());
    const int keyIndex = definition.keyFieldIndex();
    QHash<qint64, int> keys;  // key -> row number that holds it
    for (int row = 0; row < count; ++row) {
        if (!PX_get_record(doc.get(), row, record.data()))
            throw DataError(
                damaged(table.path, QStringLiteral("o registro %1 não pôde ser lido").arg(row + 1)));
        ++table.report.read;
        QVariantList values(definition.fields.size());
        QStringList problems;
        QStringList notes;
        for (const OldField& field : fields) {
            if (field.target < 0) continue;
            const OldValue old = readValue(doc.get(), field, record.data(), memos, codePage);
            QString note;
            if (const std::optional<QString> problem =
                    convert(old, definition.fields[field.target], values[field.target], note))
                problems << definition.fields[field.target].name + QStringLiteral(": ") + *problem;
            if (!note.isEmpty()) notes << note;
        }
        if (problems.isEmpty() && values[keyIndex].isValid()) {
            const qint64 key = values[keyIndex].toLongLong();
            if (const auto holder = keys.constFind(key); holder != keys.constEnd())
                problems << QStringLiteral("%1 %2 repetida (já usada pelo registro %3)")
                                .arg(definition.keyField().name)
                                .arg(key)
                                .arg(*holder);
            else
                keys.insert(key, row + 1);
        }
        if (!problems.isEmpty()) {
            table.report.rows
                << QStringLiteral("registro %1: %2").arg(row + 1).arg(problems.join(QStringLiteral("; ")));
            continue;
        }
        for (const QString& note : notes)
            table.report.notes << QStringLiteral("registro %1: %2").arg(row + 1).arg(note);
        table.rows << values;
    }
}

// The file of a table in the old folder, its name matched without regard to case; empty when none.
QString findFile(const QStringList& names, const QDir& folder, const QString& wanted) {
    for (const QString& name : names)
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) return folder.filePath(name);
    return QString();
}

qint64 count(Connection& db, const QString& sql) {
    Statement statement(db, sql);
    statement.step();
    return statement.int64(0);
}

// Whether the books hold anything of the shop's: a row in any table, the first user alone excepted.
bool holdsRows(Connection& db) {
    for (const TableDef& table : Catalogue::tables()) {
        const qint64 rows = count(db, QStringLiteral("SELECT count(*) FROM ") + quoteIdentifier(table.name));
        if (rows > (table.name == QStringLiteral("USUARIOS") ? 1 : 0)) return true;
    }
    return false;
}

void write(Connection& db, const QList<OldTable>& tables) {
    db.execute(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        for (const OldTable& table : tables) {
            const TableDef& definition = *table.definition;
            if (definition.name == QStringLiteral("USUARIOS") && table.rows.isEmpty()) continue;
            db.execute(QStringLiteral("DELETE FROM ") + quoteIdentifier(definition.name));
            QStringList columns;
            QStringList places;
            for (const FieldDef& field : definition.fields)
                columns << quoteIdentifier(field.name), places << QStringLiteral("?");
            Statement insert(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(quoteIdentifier(definition.name), columns.join(QLatin1Char(',')),
                                          places.join(QLatin1Char(','))));
            for (const QVariantList& row : table.rows) {
                insert.bindAll(row);
                insert.run();
                insert.reset();
            }
        }
        db.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            db.execute(QStringLiteral("ROLLBACK"));
        } catch (const DataError&) {
        }
        throw;
    }
}

}  // namespace

QString decode(const QByteArray& bytes, int codePage) {
    const char16_t* table = codePage == 850 ? kCp850 : codePage == 437 ? kCp437 : nullptr;
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = quint8(c);
        if (byte < 0x80)
            text += QChar(byte);
        else if (table)
            text += QChar(table[byte - 0x80]);
        else
            text += QChar(byte < 0xA0 ? kCp1252[byte - 0x80] : char16_t(byte));
    }
    return text;
}

QString Report::text() const {
    QStringList lines;
    if (outcome != Outcome::Imported) lines << error;
    if (!backup.isEmpty())
        lines << QStringLiteral("Cópia de segurança dos dados anteriores: %1").arg(native(backup));
    if (!tables.isEmpty()) {
        lines << QString()
              << QStringLiteral("%1 %2 %3")
                     .arg(QStringLiteral("Tabela"), -14)
                     .arg(QStringLiteral("lidos"), 8)
                     .arg(QStringLiteral("gravados"), 9);
    }
    for (const TableReport& table : tables) {
        if (table.file.isEmpty()) {
            lines << QStringLiteral("%1 arquivo não encontrado; a tabela ficou como estava")
                         .arg(table.table, -14);
            continue;
        }
        lines << QStringLiteral("%1 %2 %3").arg(table.table, -14).arg(table.read, 8).arg(table.written, 9);
        for (const QString& row : table.rows)
            lines << QStringLiteral("    não gravado, ") + row;
        for (const QString& note : table.notes)
            lines << QStringLiteral("    ") + note;
    }
    return lines.join(QLatin1Char('\n'));
}

Report run(const QString& oldFolder, const QString& dataFolder, bool replace, const Backup& backup) {
    Report report;
    const QDir folder(oldFolder);
    if (!folder.exists()) {
        report.error = QStringLiteral("A pasta %1 não existe.").arg(native(oldFolder));
        return report;
    }
    // The import writes the data file: books kept on a server are filled from a folder imported first.
    QString address;
    try {
        address = serverAddress(dataFolder);
    } catch (const DataError& error) {
        report.error = QStringLiteral("Não foi possível importar: %1").arg(error.message());
        return report;
    }
    if (!address.isEmpty()) {
        report.outcome = Report::Outcome::Refused;
        report.error = QStringLiteral(
                           "Os dados de %1 estão no servidor %2, e a importação grava só no arquivo "
                           "de dados; nada foi importado. Importe para uma pasta de dados sem "
                           "servidor e copie-a com \"vanteja-dados --copiar-para ENDEREÇO PASTA\".")
                           .arg(native(dataFolder), address);
        return report;
    }
    const QString dataFile = QDir(dataFolder).filePath(kDataFileName);
    if (const QString problem = dataFileProblem(dataFile); !problem.isEmpty()) {
        report.error = QStringLiteral("Não foi possível importar: %1.").arg(problem);
        return report;
    }
    static const bool booted = [] {
        PX_boot();
        return true;
    }();
    Q_UNUSED(booted);

    std::unique_ptr<SqliteConnection> db;
    try {
        db = std::make_unique<SqliteConnection>(dataFile);
        sqlite3_busy_timeout(db->handle(), 10000);
        const bool occupied = holdsRows(*db);
        if (occupied && !replace) {
            report.outcome = Report::Outcome::Refused;
            report.error = QStringLiteral(
                               "Os dados de %1 já têm lançamentos; nada foi importado. Para trocá-los "
                               "pelos dados antigos, importe com --substituir (uma cópia de segurança "
                               "é feita antes).")
                               .arg(native(dataFolder));
            return report;
        }

        const QStringList names = folder.entryList(QDir::Files | QDir::Hidden);
        QList<OldTable> tables;
        for (const TableDef& definition : Catalogue::tables()) {
            OldTable table;
            table.definition = &definition;
            table.report.table = definition.name;
            table.path = findFile(names, folder, definition.name + QStringLiteral(".db"));
            if (!table.path.isEmpty()) {
                table.report.file = QFileInfo(table.path).fileName();
                readTable(table, findFile(names, folder, definition.name + QStringLiteral(".mb")));
                table.report.written = int(table.rows.size());
                if (definition.name == QStringLiteral("USUARIOS"))
                    table.report.notes
                        << (table.rows.isEmpty()
                                ? QStringLiteral("nenhum usuário importado; os usuários atuais ficaram")
                                : QStringLiteral("os usuários atuais foram trocados pelos importados; "
                                                 "entre com um deles"));
            }
            tables << table;
        }
        for (const OldTable& table : tables)
            report.tables << table.report;
        if (std::none_of(tables.cbegin(), tables.cend(),
                         [](const OldTable& t) { return !t.path.isEmpty(); })) {
            report.error =
                QStringLiteral("Nenhuma tabela do Vanteja foi encontrada em %1; nada foi importado.")
                    .arg(native(oldFolder));
            return report;
        }

        if (occupied) {
            QString why;
            report.backup = backup ? backup(dataFile, why) : QString();
            if (report.backup.isEmpty()) {
                report.error = QStringLiteral(
                                   "Não foi possível fazer a cópia de segurança antes de substituir os "
                                   "dados (%1); nada foi importado.")
                                   .arg(why.isEmpty() ? QStringLiteral("sem meio de cópia") : why);
                return report;
            }
        }
        write(*db, tables);
        report.outcome = Report::Outcome::Imported;
    } catch (const DataError& error) {
        report.error = error.message();
        report.outcome = Report::Outcome::Failed;
        for (TableReport& table : report.tables)
            table.written = 0;
    }
    return report;
}

}  // namespace ParadoxImport
