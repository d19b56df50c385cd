#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>

#include "Catalogue.h"
#include "DataError.h"

// What the data layer asks of the store that keeps the books, whichever engine it is: the embedded file or a
// server shared by several computers. Nothing here names an engine's own types; each engine lives in its own
// files behind these classes.

// What differs in the SQL text between engines. Everything that writes SQL (the filter compiler, the views'
// statements, the local SQL's translation) asks this, so the language of filters means the same everywhere.
class Dialect {
public:
    enum class Kind { Sqlite, Postgres };
    virtual ~Dialect() = default;
    virtual Kind kind() const = 0;

    // A parameter marker, numbered from 1. Both engines take "?" in the program's own statements; the
    // server's engine numbers them itself.
    QString parameter(int) const { return QStringLiteral("?"); }
    QString quote(const QString& identifier) const { return quoteIdentifier(identifier); }
    // An expression compared and ordered with letter case of A-Z folded and nothing else (accents stay),
    // texts otherwise by their UTF-8 bytes: the order of the case-insensitive indexes.
    virtual QString noCase(const QString& expression) const = 0;
    // A text with letter case folded, accented letters included: for searches by a typed name.
    virtual QString folded(const QString& expression) const = 0;
    // An order term with blanks first, as the file keeps them; descending, blanks last.
    virtual QString ascending(const QString& expression) const = 0;
    virtual QString descending(const QString& expression) const = 0;
    // Skips the first rows of a result (the count bound as the clause's one parameter), however many follow.
    virtual QString offset() const = 0;
    // A condition that the expression holds the value of the next parameter, blank matching blank.
    virtual QString sameAs(const QString& expression) const = 0;
    // The sum of an expression over the rows, 0 when there are none or all are blank.
    virtual QString emptySum(const QString& expression) const = 0;
    // An expression whose index the planner must not use (it would walk an index that lacks the filtered
    // fields); the expression itself where the engine plans better unaided.
    virtual QString unindexed(const QString& expression) const = 0;
    // How many rows a run of moves reads at once: a few where each read is cheap, more where each is a round
    // trip over the network.
    virtual int readAheadRows() const = 0;
    // How many keys a view reads when it opens or re-reads, with the count of all its rows; the rest come
    // when a move, a search or a store needs them. 0: all at once, where reading them costs little.
    virtual int keysPage() const = 0;
    // Whether the engine's planner finds the way to a sum by itself, from its statistics: the program then
    // sends the plain statement rather than splitting it for the indexes that cover it.
    virtual bool plansSums() const = 0;
    // A table read without any of its indexes, where the engine can be told so.
    virtual QString notIndexed(const QString& table) const = 0;
    // The names of the tables, as one SELECT returning one text column.
    virtual QString tableList() const = 0;
    // The names of the indexes, likewise.
    virtual QString indexList() const = 0;
    // The exact sum of amounts over the rows, in millionths of a unit as a 64-bit integer (0 for no rows):
    // every amount is taken as the decimal it was typed as, never as its nearest binary fraction.
    virtual QString moneySum(const QString& expression) const = 0;
    // Appended to an INSERT so that stepping it gives the new row's key in column 0; empty where the engine
    // tells the last key by itself (Connection::lastInsertKey).
    virtual QString returningKey(const QString& keyColumn) const = 0;
    // Begins a transaction that will write: it holds the engine's write lock from its first statement where
    // the engine would otherwise find out only at its first write that another program got there first.
    virtual QString beginWrite() const = 0;
    // Begins a transaction that only reads, every statement of it seeing the same stored rows.
    virtual QString beginRead() const = 0;
    // Run inside a write transaction before it reads what it is about to write on (the highest number of a
    // table, whether a line was applied already): others' transactions that take the lock of the same name
    // wait until this one ends. Empty where a write transaction holds the whole store already.
    virtual QString writersLock(const QString& name) const = 0;
};

// One prepared statement of an engine. Values are bound by position (1-based).
class EngineStatement {
public:
    virtual ~EngineStatement() = default;
    virtual void bind(int position, const QVariant& value) = 0;
    virtual bool step() = 0;   // true while a row is available
    virtual void reset() = 0;  // back to before the first step, bindings cleared
    virtual int columnCount() const = 0;
    virtual bool isNull(int column) const = 0;
    virtual qint64 int64(int column) const = 0;
    virtual double real(int column) const = 0;
    virtual QString text(int column) const = 0;
    virtual QByteArray blob(int column) const = 0;
    virtual QVariant value(int column) const = 0;  // by the stored kind of value
    virtual QString columnName(int column) const = 0;
    virtual QString declaredType(int column) const = 0;
    virtual bool readOnly() const = 0;
};

// One connection to the books.
class Connection {
public:
    enum StatementKind {
        AnyStatement,
        SelectOnly  // one SELECT: no write, transaction, setting or attached store
    };
    virtual ~Connection() = default;
    virtual const Dialect& dialect() const = 0;
    // Where the books are, for messages: the data file, or the server and database.
    virtual QString place() const = 0;

    virtual std::unique_ptr<EngineStatement> prepare(const QString& sql, StatementKind kind) = 0;
    // Runs one or more statements that return nothing.
    virtual void execute(const QString& sql) = 0;
    virtual bool inTransaction() = 0;
    // Rows changed through this connection since it opened.
    virtual qint64 changeCount() = 0;
    // A number that changes whenever another connection has stored something since it was last asked.
    virtual qint64 dataVersion() = 0;
    // Rows changed by the last statement run.
    virtual qint64 lastChanges() = 0;
    // The key of the row the last INSERT added, where the dialect returns none from the INSERT itself.
    virtual qint64 lastInsertKey() = 0;
    // Stops the statement running now, from another thread or a progress callback.
    virtual void interrupt() = 0;

    // Whether the connection is up, as far as known without asking anything.
    virtual bool reachable() { return true; }
    // A socket that becomes readable when news of others' stores arrives unasked; -1 where the engine has
    // to be asked (dataVersion).
    virtual int notificationSocket() { return -1; }
    // The tables others stored in since last asked, where the engine names them; an empty name means that
    // any of them may have changed.
    virtual QStringList takeChangedTables() { return {QString()}; }
};

// A prepared statement over a connection.
class Statement {
public:
    using Kind = Connection::StatementKind;
    static constexpr Kind AnyStatement = Connection::AnyStatement;
    static constexpr Kind SelectOnly = Connection::SelectOnly;

    Statement(Connection& connection, const QString& sql, Kind kind = AnyStatement)
        : engine_(connection.prepare(sql, kind)) {}
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int position, const QVariant& value) { engine_->bind(position, value); }
    void bindAll(const QVariantList& values) {
        for (int i = 0; i < values.size(); ++i)
            engine_->bind(i + 1, values[i]);
    }
    bool step() { return engine_->step(); }
    void reset() { engine_->reset(); }
    void run() {
        while (engine_->step()) {
        }
        engine_->reset();
    }

    int columnCount() const { return engine_->columnCount(); }
    bool isNull(int column) const { return engine_->isNull(column); }
    qint64 int64(int column) const { return engine_->int64(column); }
    double real(int column) const { return engine_->real(column); }
    QString text(int column) const { return engine_->text(column); }
    QByteArray blob(int column) const { return engine_->blob(column); }
    QVariant value(int column) const { return engine_->value(column); }
    // As a field of that type holds it.
    QVariant fieldValue(int column, FieldType type) const;
    QString columnName(int column) const { return engine_->columnName(column); }
    QString declaredType(int column) const { return engine_->declaredType(column); }
    bool readOnly() const { return engine_->readOnly(); }

private:
    std::unique_ptr<EngineStatement> engine_;
};

// A unit of work inside whatever transaction is open: rolled back when left without commit() (an exception
// passing through), so that either all of it is stored or none.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& connection_;
    QString name_;
    bool open_ = true;
};

// Several reads seen as of one moment, rather than each as of its own; nothing when a transaction is open
// already.
class ReadTransaction {
public:
    explicit ReadTransaction(Connection& connection);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    Connection* connection_;
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
    Unreachable,  // the server does not answer
    Refused,      // the server refuses this user or password
    Other
};

// The error for an engine failure: the known ones (a file that is not data or is damaged, read-only, locked,
// a full disk, a server out of reach) in Portuguese with what to do, naming the place and followed by the
// engine's words in brackets; any other with the engine's own message.
DataError engineError(EngineCause cause, const QString& engineText, const QString& place,
                      const QString& context = {});
