#pragma once

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QList>
#include <QVariant>
#include <cstring>
#include <memory>

extern "C" {
#include <paradox.h>
}

// Writes small Paradox tables with the library itself, as an old program would have left them.
namespace ParadoxFiles {

struct Field {
    QByteArray name;  // in the table's code page
    char type;
    int length;
};

// Values of a row, one per field: QByteArray for text and memos (in the code page) and for blobs, int or
// qint64 for integers, double for numbers, QDate for dates; an invalid QVariant for a blank.
using Row = QList<QVariant>;

// The number Paradox stores for a day: days counted from 1 January of year 1.
inline long paradoxDay(const QDate& day) {
    return long(day.toJulianDay() - 1721425);
}

// Writes `path` (and `memoPath`, the .mb file, when given) in code page `codePage`. False when the library
// refuses.
inline bool write(const QString& path, const QList<Field>& fields, const QList<Row>& rows, int codePage,
                  const QString& memoPath = QString()) {
    pxdoc_t* doc = PX_new();
    if (!doc) return false;
    // The library takes the field list over and frees it with the table.
    auto* columns = static_cast<pxfield_t*>(doc->malloc(doc, sizeof(pxfield_t) * fields.size(), "fields"));
    for (int i = 0; i < fields.size(); ++i) {
        columns[i].px_fname = static_cast<char*>(doc->malloc(doc, fields[i].name.size() + 1, "name"));
        std::memcpy(columns[i].px_fname, fields[i].name.constData(), fields[i].name.size() + 1);
        columns[i].px_ftype = fields[i].type;
        columns[i].px_flen = fields[i].length;
        columns[i].px_fdc = 0;
    }
    if (PX_create_file(doc, columns, int(fields.size()), QFile::encodeName(path).constData(),
                       pxfFileTypNonIndexDB) < 0) {
        PX_delete(doc);
        return false;
    }
    doc->px_head->px_doscodepage = codePage;
    bool ok = memoPath.isEmpty() || PX_set_blob_file(doc, QFile::encodeName(memoPath).constData()) == 0;
    for (const Row& row : rows) {
        if (!ok) break;
        QList<QByteArray> kept;  // alive until the record is written
        std::vector<pxval_t> values(fields.size());
        std::vector<pxval_t*> pointers(fields.size());
        for (int i = 0; i < fields.size(); ++i) {
            pxval_t& value = values[i];
            std::memset(&value, 0, sizeof value);
            value.type = fields[i].type;
            const QVariant& given = row.value(i);
            if (!given.isValid()) {
                value.isnull = 1;
            } else if (given.typeId() == QMetaType::QByteArray) {
                kept << given.toByteArray();
                value.value.str.val = kept.last().data();
                value.value.str.len = int(kept.last().size());
            } else if (given.typeId() == QMetaType::Double) {
                value.value.dval = given.toDouble();
            } else if (given.typeId() == QMetaType::QDate) {
                value.value.lval = paradoxDay(given.toDate());
            } else {
                value.value.lval = long(given.toLongLong());
            }
            pointers[i] = &value;
        }
        ok = PX_insert_record(doc, pointers.data()) >= 0;
    }
    PX_close(doc);
    PX_delete(doc);
    return ok;
}

// The library writes memos but no other blobs; the file stores both alike but for the field's type byte (in
// the field list at 0x78, two bytes a field), which this changes.
inline bool setFieldType(const QString& path, int field, char type) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.seek(0x78 + 2 * field) && file.write(&type, 1) == 1;
}

}  // namespace ParadoxFiles
