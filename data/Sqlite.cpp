#include "Sqlite.h"

#include <sqlite3.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "DataError.h"
#include "Database.h"
#include "Values.h"

EngineCause engineCause(int code) {
    switch (code & 0xff) {
        case SQLITE_NOTADB:
            return EngineCause::NotData;
        case SQLITE_CORRUPT:
            return EngineCause::Damaged;
        case SQLITE_READONLY:
            return EngineCause::ReadOnly;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return EngineCause::Locked;
        case SQLITE_FULL:
            return EngineCause::DiskFull;
        case SQLITE_IOERR:
            return EngineCause::ReadWrite;
        case SQLITE_CANTOPEN:
            return EngineCause::CantOpen;
        case SQLITE_PERM:
            return EngineCause::NoPermission;
        case SQLITE_NOMEM:
            return EngineCause::NoMemory;
        case SQLITE_TOOBIG:
        case SQLITE_NOLFS:
            return EngineCause::TooLarge;
        default:
            return EngineCause::Other;
    }
}

DataError engineError(int code, const QString& engineText, const QString& file, const QString& context) {
    return engineError(engineCause(code), engineText, file, context);
}

namespace {

// Lets a statement being prepared read tables and call functions, nothing else.
int selectOnly(void*, int action, const char*, const char*, const char*, const char*) {
    switch (action) {
        case SQLITE_SELECT:
        case SQLITE_READ:
        case SQLITE_FUNCTION:
        case SQLITE_RECURSIVE:
            return SQLITE_OK;
        default:
            return SQLITE_DENY;
    }
}

QString fileOf(sqlite3* db) {
    const char* name = sqlite3_db_filename(db, "main");
    return QString::fromUtf8(name ? name : "");
}

}  // namespace

void throwSqliteError(sqlite3* db, const QString& context) {
    throw engineError(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)), fileOf(db),
                      context);
}

void execSql(sqlite3* db, const QString& sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errstr(rc));
        sqlite3_free(error);
        throw engineError(rc, message, fileOf(db));
    }
}

namespace {

class SqliteStatement : public EngineStatement {
public:
    SqliteStatement(sqlite3* db, const QString& sql, Connection::StatementKind kind);
    ~SqliteStatement() override;
    void bind(int position, const QVariant& value) override;
    bool step() override;
    void reset() override;
    int columnCount() const override;
    bool isNull(int column) const override;
    qint64 int64(int column) const override;
    double real(int column) const override;
    QString text(int column) const override;
    QByteArray blob(int column) const override;
    QVariant value(int column) const override;
    QString columnName(int column) const override;
    QString declaredType(int column) const override;
    bool readOnly() const override;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

SqliteStatement::SqliteStatement(sqlite3* db, const QString& sql, Connection::StatementKind kind) : db_(db) {
    // The engine would read the text only up to the NUL and run what comes before it.
    if (sql.contains(QChar(0)))
        throw DataError(QStringLiteral("Erro no banco de dados: o comando SQL contém um caractere nulo"));
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    if (kind == Connection::SelectOnly) sqlite3_set_authorizer(db_, selectOnly, nullptr);
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt_, &tail);
    if (kind == Connection::SelectOnly) sqlite3_set_authorizer(db_, nullptr, nullptr);
    if (kind == Connection::SelectOnly &&
        (rc == SQLITE_AUTH || (rc == SQLITE_OK && stmt_ && !sqlite3_stmt_readonly(stmt_)))) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw DataError(QStringLiteral("A consulta só pode ler dados: apenas um comando SELECT é aceito"));
    }
    if (rc != SQLITE_OK) throwSqliteError(db_);
    // A second statement after the first is never run.
    if (tail && QByteArray(tail).trimmed().size() > 0 && QByteArray(tail).trimmed() != ";") {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw DataError(QStringLiteral("Erro no banco de dados: apenas um comando SQL é permitido"));
    }
    if (!stmt_) throw DataError(QStringLiteral("Erro no banco de dados: comando SQL vazio"));
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(stmt_);
}

void SqliteStatement::bind(int position, const QVariant& value) {
    int rc;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(stmt_, position);
    } else {
        switch (value.typeId()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::Bool:
                rc = sqlite3_bind_int64(stmt_, position, value.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(stmt_, position, value.toDouble());
                break;
            case QMetaType::QDate: {
                const QByteArray iso = value.toDate().toString(Qt::ISODate).toUtf8();
                rc = sqlite3_bind_text(stmt_, position, iso.constData(), iso.size(), SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::QByteArray: {
                const QByteArray bytes = value.toByteArray();
                rc = sqlite3_bind_blob(stmt_, position, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
                break;
            }
            default: {
                const QByteArray utf8 = value.toString().toUtf8();
                rc = sqlite3_bind_text(stmt_, position, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
                break;
            }
        }
    }
    if (rc != SQLITE_OK) throwSqliteError(db_);
}

bool SqliteStatement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
    const int code = sqlite3_extended_errcode(db_);
    sqlite3_reset(stmt_);
    throw engineError(code, message, fileOf(db_));
}

void SqliteStatement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int SqliteStatement::columnCount() const {
    return sqlite3_column_count(stmt_);
}
bool SqliteStatement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}
qint64 SqliteStatement::int64(int column) const {
    return sqlite3_column_int64(stmt_, column);
}
double SqliteStatement::real(int column) const {
    return sqlite3_column_double(stmt_, column);
}

QString SqliteStatement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(stmt_, column));
}

QByteArray SqliteStatement::blob(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    return QByteArray(data, sqlite3_column_bytes(stmt_, column));
}

QVariant SqliteStatement::value(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
        case SQLITE_INTEGER:
            return int64(column);
        case SQLITE_FLOAT:
            return real(column);
        case SQLITE_TEXT:
            return text(column);
        case SQLITE_BLOB:
            return blob(column);
        default:
            return {};
    }
}

QString SqliteStatement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

QString SqliteStatement::declaredType(int column) const {
    return QString::fromUtf8(sqlite3_column_decltype(stmt_, column));
}

bool SqliteStatement::readOnly() const {
    return sqlite3_stmt_readonly(stmt_) != 0;
}

// vj_fold(text): the text with letter case folded, accented letters included (SQLite's NOCASE folds only
// A-Z).
void foldCase(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
    const QByteArray folded =
        QString::fromUtf8(text, sqlite3_value_bytes(arguments[0])).toCaseFolded().toUtf8();
    sqlite3_result_text(context, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}

class SqliteDialect : public Dialect {
public:
    Kind kind() const override { return Kind::Sqlite; }
    QString noCase(const QString& expression) const override {
        return expression + QStringLiteral(" COLLATE NOCASE");
    }
    QString folded(const QString& expression) const override {
        return QStringLiteral("vj_fold(%1)").arg(expression);
    }
    QString ascending(const QString& expression) const override { return expression; }
    QString descending(const QString& expression) const override {
        return expression + QStringLiteral(" DESC");
    }
    QString offset() const override { return QStringLiteral(" LIMIT -1 OFFSET ?"); }
    QString sameAs(const QString& expression) const override { return expression + QStringLiteral(" IS ?"); }
    QString emptySum(const QString& expression) const override {
        return QStringLiteral("total(%1)").arg(expression);
    }
    QString unindexed(const QString& expression) const override { return QLatin1Char('+') + expression; }
    QString notIndexed(const QString& table) const override { return table + QStringLiteral(" NOT INDEXED"); }
    QString tableList() const override {
        return QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'");
    }
    QString indexList() const override {
        return QStringLiteral("SELECT name FROM sqlite_master WHERE type='index'");
    }
    QString moneySum(const QString& expression) const override {
        return QStringLiteral("money_millionths(%1)").arg(expression);
    }
    QString returningKey(const QString&) const override { return {}; }
    // A deferred transaction that reads and then writes fails, rather than waits, when another program wrote
    // meanwhile; an immediate one waits its turn for the file at the start.
    QString beginWrite() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    QString beginRead() const override { return QStringLiteral("BEGIN"); }
    QString writersLock(const QString&) const override { return {}; }
    bool plansSums() const override { return false; }
    int readAheadRows() const override { return 64; }
    int keysPage() const override { return 0; }
};

constexpr int kBusyWaitMs = 3000;

}  // namespace

SqliteConnection::SqliteConnection(const QString& file) : owned_(true) {
    // The books are never created by opening them; a store attached later (the bank statements' record)
    // may be, which the flags of the main file decide.
    if (!QFileInfo(file).isFile())
        throw engineError(SQLITE_CANTOPEN, QStringLiteral("unable to open database file"), file);
    const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
        const int code = db_ ? sqlite3_extended_errcode(db_) : rc;
        sqlite3_close(db_);
        db_ = nullptr;
        throw engineError(code, message, file);
    }
    try {
        // A file locked by another program is waited for a few seconds before saying so.
        sqlite3_busy_timeout(db_, kBusyWaitMs);
        // Letter case folded for searches, the exact sum of money; then the settings every connection takes.
        sqlite3_create_function_v2(db_, "vj_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, foldCase,
                                   nullptr, nullptr, nullptr);
        registerMoneyFunctions(db_);
        applyConnectionSettings(db_);
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

SqliteConnection::SqliteConnection(sqlite3* borrowed) : db_(borrowed) {}

SqliteConnection::~SqliteConnection() {
    version_.reset();
    if (owned_) sqlite3_close_v2(db_);
}

const Dialect& SqliteConnection::dialect() const {
    static const SqliteDialect dialect;
    return dialect;
}

QString SqliteConnection::place() const {
    return fileOf(db_);
}

std::unique_ptr<EngineStatement> SqliteConnection::prepare(const QString& sql, StatementKind kind) {
    return std::make_unique<SqliteStatement>(db_, sql, kind);
}

void SqliteConnection::execute(const QString& sql) {
    execSql(db_, sql);
}

bool SqliteConnection::inTransaction() {
    return sqlite3_get_autocommit(db_) == 0;
}

qint64 SqliteConnection::changeCount() {
    return sqlite3_total_changes64(db_);
}

qint64 SqliteConnection::dataVersion() {
    if (!version_) version_ = prepare(QStringLiteral("PRAGMA data_version"), AnyStatement);
    const qint64 version = version_->step() ? version_->int64(0) : -1;
    version_->reset();
    return version;
}

qint64 SqliteConnection::lastChanges() {
    return sqlite3_changes64(db_);
}

qint64 SqliteConnection::lastInsertKey() {
    return sqlite3_last_insert_rowid(db_);
}

void SqliteConnection::interrupt() {
    sqlite3_interrupt(db_);
}

void applyConnectionSettings(sqlite3* db) {
    // What was reported stored survives a power cut: each commit reaches the disk before it returns. The file
    // is read through memory mapping, up to a size no shop's books reach: mapped pages take no room in the
    // process's own memory, and the cache then holds little more than pages being written.
    execSql(db, QStringLiteral("PRAGMA synchronous=FULL; PRAGMA cache_size=-65536; "
                               "PRAGMA mmap_size=2147418112"));
}

sqlite3* sqliteHandle(Database& database) {
    auto* sqlite = dynamic_cast<SqliteConnection*>(&database.connection());
    if (!sqlite)
        throw DataError(
            QStringLiteral("Os dados de '%1' estão num servidor, não num arquivo").arg(database.name()));
    return sqlite->handle();
}
