#include "Sqlite.h"

#include <sqlite3.h>

#include <QDate>
#include <QDir>

#include "DataError.h"
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
    const QString where = QDir::toNativeSeparators(file);
    QString message;
    switch (engineCause(code)) {
        case EngineCause::NotData:
            message = QStringLiteral(
                "O arquivo %1 não é um arquivo de dados do Vanteja ou está danificado. "
                "Restaure a última cópia feita pelo programa de backup.");
            break;
        case EngineCause::Damaged:
            message = QStringLiteral(
                "O arquivo de dados %1 está danificado. Restaure a última cópia feita "
                "pelo programa de backup.");
            break;
        case EngineCause::ReadOnly:
            message = QStringLiteral(
                "O arquivo de dados %1 não pode ser alterado: ele ou a sua pasta está "
                "somente para leitura. Permita a gravação no arquivo e na pasta e tente novamente.");
            break;
        case EngineCause::Locked:
            message = QStringLiteral(
                "O arquivo de dados %1 está bloqueado por outro programa. Feche o outro "
                "programa e tente novamente.");
            break;
        case EngineCause::DiskFull:
            message = QStringLiteral(
                "Não há espaço no disco para gravar o arquivo de dados %1. Libere espaço "
                "e tente novamente.");
            break;
        case EngineCause::ReadWrite:
            message = QStringLiteral(
                "Erro de leitura ou gravação no arquivo de dados %1. Verifique o disco e "
                "tente novamente; se o erro continuar, restaure a última cópia feita "
                "pelo programa de backup.");
            break;
        case EngineCause::CantOpen:
        case EngineCause::NoPermission:
            message = QStringLiteral(
                "Não foi possível abrir o arquivo de dados %1. Verifique se ele existe e "
                "se você tem permissão de acesso a ele e à sua pasta.");
            break;
        case EngineCause::NoMemory:
        case EngineCause::TooLarge:
        case EngineCause::Other: {
            QString text = engineText;
            if (!context.isEmpty()) text = context + QStringLiteral(": ") + text;
            return DataError(QStringLiteral("Erro no banco de dados: %1").arg(text), engineText);
        }
    }
    return DataError(message.arg(where) + QStringLiteral(" [%1]").arg(engineText), engineText);
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

Statement::Statement(sqlite3* db, const QString& sql, Kind kind) : db_(db) {
    // The engine would read the text only up to the NUL and run what comes before it.
    if (sql.contains(QChar(0)))
        throw DataError(QStringLiteral("Erro no banco de dados: o comando SQL contém um caractere nulo"));
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    if (kind == SelectOnly) sqlite3_set_authorizer(db_, selectOnly, nullptr);
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt_, &tail);
    if (kind == SelectOnly) sqlite3_set_authorizer(db_, nullptr, nullptr);
    if (kind == SelectOnly &&
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

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void Statement::bind(int position, const QVariant& value) {
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

void Statement::bindAll(const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i)
        bind(i + 1, values[i]);
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
    const int code = sqlite3_extended_errcode(db_);
    sqlite3_reset(stmt_);
    throw engineError(code, message, fileOf(db_));
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::run() {
    while (step()) {
    }
    sqlite3_reset(stmt_);
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}
bool Statement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}
qint64 Statement::int64(int column) const {
    return sqlite3_column_int64(stmt_, column);
}
double Statement::real(int column) const {
    return sqlite3_column_double(stmt_, column);
}

QString Statement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(stmt_, column));
}

QByteArray Statement::blob(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    return QByteArray(data, sqlite3_column_bytes(stmt_, column));
}

QVariant Statement::value(int column) const {
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

QVariant Statement::fieldValue(int column, FieldType type) const {
    if (isNull(column)) return {};
    switch (type) {
        case FieldType::AutoInc:
        case FieldType::Integer:
            return static_cast<int>(int64(column));
        case FieldType::Float:
        case FieldType::Currency:
            return real(column);
        case FieldType::Date:
            return Values::dateFromIso(text(column));
        case FieldType::String:
        case FieldType::Memo:
            return text(column);
        case FieldType::Blob:
        case FieldType::Graphic:
            return blob(column);
    }
    return {};
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

QString Statement::declaredType(int column) const {
    return QString::fromUtf8(sqlite3_column_decltype(stmt_, column));
}

bool Statement::readOnly() const {
    return sqlite3_stmt_readonly(stmt_) != 0;
}
