#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include "Catalogue.h"
#include "DataError.h"

struct sqlite3;
struct sqlite3_stmt;

// A prepared SQLite statement. Values are bound by position (1-based); QDate binds as ISO text. The statement
// is reset when destroyed, so no read lock outlives its use.
class Statement {
public:
    enum Kind {
        AnyStatement,
        SelectOnly  // one SELECT: no write, transaction, pragma or attached file
    };
    Statement(sqlite3* db, const QString& sql, Kind kind = AnyStatement);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int position, const QVariant& value);
    void bindAll(const QVariantList& values);  // positions 1..n
    bool step();                               // true while a row is available
    void reset();                              // also clears the bindings
    void run();                                // step to the end (statements without rows)

    int columnCount() const;
    bool isNull(int column) const;
    qint64 int64(int column) const;
    double real(int column) const;
    QString text(int column) const;
    QByteArray blob(int column) const;
    QVariant value(int column) const;                       // by the stored storage class
    QVariant fieldValue(int column, FieldType type) const;  // as a field of that type holds it
    QString columnName(int column) const;
    QString declaredType(int column) const;
    bool readOnly() const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// What an engine failure comes down to, as far as the user can do something about it; `Other` for the rest.
enum class EngineCause {
    NotData,
    Damaged,
    ReadOnly,
    Locked,
    DiskFull,
    ReadWrite,
    CantOpen,
    NoPermission,
    NoMemory,
    TooLarge,
    Other
};
// The cause of an engine result code (primary or extended).
EngineCause engineCause(int code);

// The error for an engine failure: the known ones (a file that is not data or is damaged, read-only, locked,
// a full disk) in Portuguese with what to do, naming the file and followed by the engine's words in
// brackets; any other with the engine's own message.
DataError engineError(int code, const QString& engineText, const QString& file, const QString& context = {});
// Raises the error of the last failed call on the connection.
[[noreturn]] void throwSqliteError(sqlite3* db, const QString& context = {});
// Runs one or more statements that return nothing.
void execSql(sqlite3* db, const QString& sql);
