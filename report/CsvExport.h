#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "Catalogue.h"

// Spreadsheet files in the form Brazilian spreadsheets open directly: UTF-8 with a byte-order mark, cells
// separated by ';', numbers with a decimal comma and no thousands separator, dates dd/mm/yyyy, a cell quoted
// when it holds a ';', a quote or a line break (its quotes doubled), lines ending in CR LF.
namespace Csv {

// "1234,50" for 1234.5 with two decimals; "-3" for -3 with none.
QString number(double value, int decimals);
// A stored value as a cell: a date as dd/mm/yyyy; an amount as a number with the decimals of its display
// format; a code shown with leading zeros ("000042") and a text as shown.
QString cell(const FieldDef& field, const QVariant& value, const QString& displayFormat);
// One line: the cells joined by ';', quoted where needed, and CR LF.
QByteArray line(const QStringList& cells);

// Writes a file line by line; the file appears, whole, only when committed, so a failure never leaves half a
// spreadsheet or spoils one that was there.
class Writer {
public:
    explicit Writer(const QString& fileName);
    // Opens the file and writes the byte-order mark; false with the reason in Portuguese.
    bool open(QString* error);
    void row(const QStringList& cells);
    bool commit(QString* error);

private:
    QSaveFile file_;
};

// The titles, then every row.
bool write(const QString& fileName, const QStringList& titles, const QList<QStringList>& rows,
           QString* error);

}  // namespace Csv
