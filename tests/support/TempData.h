#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "DataError.h"
#include "Database.h"
#include "Schema.h"
#include "Table.h"

// A program folder in a temporary directory, with a data folder written by the same code that writes the
// shipped one, and the two named databases defined on it as the start-up defines them.
class TempData {
public:
    explicit TempData(bool withPassword = true) {
        Session::instance().clear();
        writeDataFolder(dataFolder());
        defineStandardDatabases(programFolder());
        if (withPassword) Session::instance().addPassword(kSessionPassword);
    }
    ~TempData() { Session::instance().clear(); }

    QString programFolder() const { return dir_.path(); }
    QString dataFolder() const { return dataFolderFor(dir_.path()); }
    QString dataFile() const { return QDir(dataFolder()).filePath(kDataFileName); }

private:
    QTemporaryDir dir_;
};

// Appends a row through a view of its own and returns its key.
inline qint64 addRow(const QString& table, const QList<QPair<QString, QVariant>>& values) {
    Table view(kAliasVantejaVs2, table);
    view.open();
    view.append();
    for (const auto& [name, value] : values)
        view.fieldByName(name).setValue(value);
    view.post();
    return view.fieldByName(view.definition().keyField().name).value().toLongLong();
}

// The message of the DataError a call raises; a null text when it raises none.
inline QString errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const DataError& error) {
        return error.message();
    }
    return QString();
}

// Runs a statement and expects a DataError whose message contains `fragment`.
#define EXPECT_DATA_ERROR(statement, fragment)                                                \
    do {                                                                                      \
        bool raised_ = false;                                                                 \
        try {                                                                                 \
            statement;                                                                        \
        } catch (const DataError& error_) {                                                   \
            raised_ = true;                                                                   \
            if (!error_.message().contains(QString::fromUtf8(fragment)))                      \
                QFAIL(qPrintable(QStringLiteral("unexpected message: ") + error_.message())); \
        }                                                                                     \
        if (!raised_) QFAIL("expected a DataError from: " #statement);                        \
    } while (false)
