#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <stdexcept>

#include "DataError.h"
#include "Database.h"
#include "Postgres.h"
#include "Schema.h"
#include "Sqlite.h"
#include "Table.h"

// A program folder in a temporary directory, with a data folder written by the same code that writes the
// shipped one, and the two named databases defined on it as the start-up defines them.
//
// Run with VANTEJA_ENGINE=postgres, the books are on the test server instead (its folder in VANTEJA_PG_DIR):
// a schema of their own, made by the set-up tool's code and dropped afterwards, named by VANTEJA_BANCO.
class TempData {
public:
    explicit TempData(bool withPassword = true) {
        Session::instance().clear();
        writeDataFolder(dataFolder());
        if (qEnvironmentVariable("VANTEJA_ENGINE") == QLatin1String("postgres")) onServer();
        defineStandardDatabases(programFolder());
        if (withPassword) Session::instance().addPassword(kSessionPassword);
    }
    ~TempData() {
        Session::instance().clear();
        if (schema_.isEmpty()) return;
        qunsetenv("VANTEJA_BANCO");
        try {
            PostgresConnection(serverBase()).execute(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema_));
        } catch (const DataError&) {
        }
    }
    static bool onPostgres() { return qEnvironmentVariable("VANTEJA_ENGINE") == QLatin1String("postgres"); }
    // A connection of another program to the same books.
    std::unique_ptr<Connection> anotherProgram() const {
        if (!schema_.isEmpty())
            return std::make_unique<PostgresConnection>(qEnvironmentVariable("VANTEJA_BANCO"));
        return std::make_unique<SqliteConnection>(dataFile());
    }

    QString programFolder() const { return dir_.path(); }
    QString dataFolder() const { return dataFolderFor(dir_.path()); }
    QString dataFile() const { return QDir(dataFolder()).filePath(kDataFileName); }

private:
    // The test server's address; a test meant for it fails without it.
    static QString serverBase() {
        QFile file(QDir(qEnvironmentVariable("VANTEJA_PG_DIR")).filePath(QStringLiteral("address")));
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("no test server: VANTEJA_PG_DIR has no address file");
        return QString::fromUtf8(file.readAll()).trimmed();
    }
    void onServer() {
        static int counter = 0;
        schema_ = QStringLiteral("vj_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
        PostgresConnection(serverBase()).execute(QStringLiteral("CREATE SCHEMA ") + schema_);
        const QString address = serverBase() + QStringLiteral("?options=-c%20search_path%3D") + schema_;
        setUpServer(address, QDate::currentDate());
        qputenv("VANTEJA_BANCO", address.toUtf8());
    }
    QTemporaryDir dir_;
    QString schema_;
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
