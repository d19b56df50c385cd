#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Brings the books a shop kept in Paradox tables (tbpagar.db, c_cliente.db, …, with their .mb memo files)
// into a Vanteja data file: every field by name, text from the files' code page, dates, amounts, memos and
// the row keys kept, all in one transaction.
namespace ParadoxImport {

struct TableReport {
    QString table;  // the stored name
    QString file;   // the file read, as found in the old folder; empty when there was none
    int read = 0;
    int written = 0;
    QStringList rows;   // every row not written, with the reason
    QStringList notes;  // what was written differently from the file: fields left out or cut
};

struct Report {
    enum class Outcome {
        Imported,
        Refused,  // the books already hold rows and replacing was not asked for
        Failed    // nothing written: a damaged table, a missing data file, a failed copy
    };
    Outcome outcome = Outcome::Failed;
    QString error;   // a Portuguese sentence when not imported
    QString backup;  // the copy made before replacing, if any
    QList<TableReport> tables;

    // The report as the user reads it: per table rows read and written, the rows left out and why.
    QString text() const;
};

// Makes a copy of the data file before it is replaced; returns the copy's path, or an empty text and the
// reason in `error`.
using Backup = std::function<QString(const QString& dataFile, QString& error)>;

// Imports the nine tables found in `oldFolder` (names matched without regard to case) into the data file in
// `dataFolder`. Books that hold rows (beyond the first user alone) are refused unless `replace` is set; then
// `backup` copies them first. A table whose file is missing is skipped and its rows stay; every table read
// replaces the rows of its table, except a users table without rows, which leaves the users as they are.
Report run(const QString& oldFolder, const QString& dataFolder, bool replace, const Backup& backup);

// Text of a Paradox file in its code page (850, 437, 1252; any other is read as 1252).
QString decode(const QByteArray& bytes, int codePage);

}  // namespace ParadoxImport
