#pragma once

// The shared engine: the books on a PostgreSQL server that every copy of the program connects to. Only the
// engine's own files, the set-up tool and tests include this header.

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>

#include "Engine.h"

struct pg_conn;

// How the server's SQL is spelled, for whoever writes it beside the program (the benchmarks' baselines).
const Dialect& postgresDialect();

// A connection to the books on a server, by an address such as postgresql://usuario@servidor:5432/vanteja.
// The password comes from the places libpq looks (~/.pgpass, PGPASSWORD), never from the program.
class PostgresConnection : public Connection {
public:
    // Raises DataError, in Portuguese and naming the server, when the server can't be reached, refuses the
    // user, lacks the database or is older than the program supports.
    explicit PostgresConnection(const QString& address);
    ~PostgresConnection() override;

    const Dialect& dialect() const override;
    QString place() const override { return place_; }
    std::unique_ptr<EngineStatement> prepare(const QString& sql, StatementKind kind) override;
    void execute(const QString& sql) override;
    bool inTransaction() override;
    qint64 changeCount() override { return changes_; }
    qint64 dataVersion() override;
    qint64 lastChanges() override { return lastChanges_; }
    qint64 lastInsertKey() override;
    void interrupt() override;
    bool reachable() override;
    int notificationSocket() override;
    QStringList takeChangedTables() override;

    // For the engine's statements.
    pg_conn* handle() const { return conn_; }
    void counted(qint64 rows) {
        lastChanges_ = rows;
        changes_ += rows;
    }
    // Connects again when the connection was dropped; raises DataError when the server is still away.
    void ensureUp();
    int generation() const { return generation_; }  // counts the times connected again
    [[noreturn]] void fail(const char* sqlState, const QString& engineText, const QString& context = {});
    // The table and column a result column comes from, by the server's numbers for them; empty for a
    // computed one.
    QPair<QString, QString> columnNamed(unsigned int table, int column);

private:
    void begin();  // the session's settings, and listening for others' stores
    pg_conn* conn_ = nullptr;
    QString place_;
    qint64 changes_ = 0;
    qint64 lastChanges_ = 0;
    qint64 version_ = 0;
    int generation_ = 0;
    QStringList changedTables_;  // named by others' notifications not yet taken
    QHash<quint64, QPair<QString, QString>> columns_;
};

// The SQL text for the server: the program's "?" markers numbered $1, $2, … outside quotes and comments.
QString numberedParameters(const QString& sql);
