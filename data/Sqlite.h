#pragma once

// The embedded engine: the books in one SQLite file. Only the engine's own files, the programs that work
// on the file itself (backup, import, the data folder's writer) and tests include this header.

#include <QString>

#include "Engine.h"

struct sqlite3;
class Database;

// A connection to a data file. It owns the handle it opens; one made over a handle opened elsewhere only
// borrows it.
class SqliteConnection : public Connection {
public:
    // Opens an existing data file, waiting a few seconds for a file locked by another program.
    explicit SqliteConnection(const QString& file);
    explicit SqliteConnection(sqlite3* borrowed);
    ~SqliteConnection() override;

    sqlite3* handle() const { return db_; }

    const Dialect& dialect() const override;
    QString place() const override;
    std::unique_ptr<EngineStatement> prepare(const QString& sql, StatementKind kind) override;
    void execute(const QString& sql) override;
    bool inTransaction() override;
    qint64 changeCount() override;
    qint64 dataVersion() override;
    qint64 lastChanges() override;
    qint64 lastInsertKey() override;
    void interrupt() override;

private:
    sqlite3* db_ = nullptr;
    bool owned_ = false;
    std::unique_ptr<EngineStatement> version_;
};

// The handle of a database kept in a data file; raises DataError for books on a server.
sqlite3* sqliteHandle(Database& database);

// The settings of every connection to the data file: cache, memory mapping, syncing.
void applyConnectionSettings(sqlite3* db);
// Registers the aggregate money_millionths(x) on a connection: the exact sum of MoneySum, in SQL, as an
// integer of millionths, so partial sums of one total can be added before the one rounding.
void registerMoneyFunctions(sqlite3* db);

// The cause of an engine result code (primary or extended).
EngineCause engineCause(int code);
DataError engineError(int code, const QString& engineText, const QString& file, const QString& context = {});
// Raises the error of the last failed call on the connection.
[[noreturn]] void throwSqliteError(sqlite3* db, const QString& context = {});
// Runs one or more statements that return nothing.
void execSql(sqlite3* db, const QString& sql);
