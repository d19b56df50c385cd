#include "Postgres.h"

#include <utility>
#include <vector>

#include <libpq-fe.h>

#include <QUrl>
#include <charconv>

#include "PostgresSchema.h"

namespace {

// The server's numbers for the kinds of values the program reads.
enum : Oid {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kOid = 26,
    kFloat4 = 700,
    kFloat8 = 701,
    kNumeric = 1700,
};

EngineCause causeOf(const char* sqlState) {
    const QByteArray state(sqlState ? sqlState : "");
    if (state.startsWith("08") || state == "57P01" || state == "57P02" || state == "57P03")
        return EngineCause::Unreachable;
    if (state.startsWith("28")) return EngineCause::Refused;
    if (state == "53100") return EngineCause::DiskFull;
    if (state == "53200") return EngineCause::NoMemory;
    if (state == "40P01" || state == "55P03" || state == "40001") return EngineCause::Locked;
    if (state == "42501") return EngineCause::NoPermission;
    if (state == "25006") return EngineCause::ReadOnly;
    return EngineCause::Other;
}

QString errorText(const PGconn* conn) {
    return QString::fromUtf8(PQerrorMessage(conn)).simplified();
}

class PostgresDialect : public Dialect {
public:
    Kind kind() const override { return Kind::Postgres; }
    QString noCase(const QString& expression) const override { return postgresNoCase(expression); }
    // The server's lower() of a "C" text folds A-Z only: the accented letters are folded as the program's
    // own searches expect by the ICU root collation.
    QString folded(const QString& expression) const override {
        return QStringLiteral("lower((%1)::text COLLATE \"und-x-icu\")").arg(expression);
    }
    QString ascending(const QString& expression) const override {
        return expression + QStringLiteral(" NULLS FIRST");
    }
    QString descending(const QString& expression) const override {
        return expression + QStringLiteral(" DESC NULLS LAST");
    }
    QString offset() const override { return QStringLiteral(" OFFSET ?"); }
    QString sameAs(const QString& expression) const override {
        return expression + QStringLiteral(" IS NOT DISTINCT FROM ?");
    }
    QString emptySum(const QString& expression) const override {
        return QStringLiteral("COALESCE(SUM(%1), 0)").arg(expression);
    }
    QString unindexed(const QString& expression) const override { return expression; }
    QString notIndexed(const QString& table) const override { return table; }
    QString tableList() const override {
        return QStringLiteral(
            "SELECT tablename::text FROM pg_catalog.pg_tables WHERE schemaname = current_schema()");
    }
    QString indexList() const override {
        return QStringLiteral(
            "SELECT indexname::text FROM pg_catalog.pg_indexes WHERE schemaname = current_schema()");
    }
    // Each amount as the shortest decimal that reads back as the same double (the server's own output), to
    // the millionth, half away from zero: the amount as typed, as MoneySum takes it.
    QString moneySum(const QString& expression) const override {
        return QStringLiteral("COALESCE(SUM(round((%1)::text::numeric * 1000000)), 0)::bigint")
            .arg(expression);
    }
    QString beginWrite() const override { return QStringLiteral("BEGIN"); }
    QString beginRead() const override {
        return QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    }
    // Split, its two parts each count the blanks' share once more: the planner then misjudges them.
    bool plansSums() const override { return true; }
    int readAheadRows() const override { return 256; }
    // The first page comes from the index in order, where every key of a view would be sorted and sent.
    int keysPage() const override { return 1000; }
    // A lock of the program's own, by name, for the rest of the transaction: other users' reads and writes
    // go on, only the same work waits.
    QString writersLock(const QString& name) const override {
        return QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('vanteja.%1'))").arg(name);
    }
    QString returningKey(const QString& keyColumn) const override {
        return QStringLiteral(" RETURNING ") + keyColumn;
    }
};

// One statement on the server. It is sent with its values when first stepped and its rows come back whole;
// a statement run again is prepared on the server once, so it is planned only once.
class PostgresStatement : public EngineStatement {
public:
    PostgresStatement(PostgresConnection& connection, const QString& sql, Connection::StatementKind kind)
        : connection_(connection), sql_(numberedParameters(sql).toUtf8()), kind_(kind) {
        if (sql.contains(QChar(0)))
            throw DataError(QStringLiteral("Erro no banco de dados: o comando SQL contém um caractere nulo"));
        if (sql.trimmed().isEmpty())
            throw DataError(QStringLiteral("Erro no banco de dados: comando SQL vazio"));
    }
    ~PostgresStatement() override {
        clear();
        // A statement prepared on a connection since made again is gone with it.
        if (!name_.isEmpty() && preparedOn_ == connection_.generation() &&
            PQstatus(connection_.handle()) == CONNECTION_OK)
            PQclear(PQexec(connection_.handle(), ("DEALLOCATE " + name_).constData()));
    }

    void bind(int position, const QVariant& value) override {
        if (position < 1) return;
        if (values_.size() < position) values_.resize(position);
        values_[position - 1] = value;
    }

    bool step() override {
        if (!result_) run();
        if (row_ + 1 >= PQntuples(result_)) {
            row_ = PQntuples(result_);
            return false;
        }
        ++row_;
        return true;
    }

    void reset() override {
        clear();
        values_.clear();
    }

    // The columns are known once the server has answered: asking for them runs the statement with the values
    // bound so far, and the rows are then stepped through as usual.
    int columnCount() const override { return PQnfields(answered()); }
    bool isNull(int column) const override { return !onRow(column) || PQgetisnull(result_, row_, column); }
    // A view reads hundreds of thousands of keys at a time: a plain number is read where it lies in the
    // result, any other text as QByteArray reads it.
    qint64 int64(int column) const override {
        if (isNull(column)) return 0;
        const char* text = PQgetvalue(result_, row_, column);
        if (PQftype(result_, column) == kBool) return *text == 't';
        const char* end = text + PQgetlength(result_, row_, column);
        qint64 value = 0;
        const auto [stop, error] = std::from_chars(text, end, value);
        if (error == std::errc() && stop == end) return value;
        return QByteArray(text, end - text).toLongLong();
    }
    double real(int column) const override {
        if (isNull(column)) return 0;
        const char* text = PQgetvalue(result_, row_, column);
        const char* end = text + PQgetlength(result_, row_, column);
        double value = 0;
        const auto [stop, error] = std::from_chars(text, end, value);
        if (error == std::errc() && stop == end) return value;
        return QByteArray(text, end - text).toDouble();
    }
    QString text(int column) const override {
        if (isNull(column)) return {};
        return QString::fromUtf8(PQgetvalue(result_, row_, column), PQgetlength(result_, row_, column));
    }
    QByteArray blob(int column) const override {
        if (isNull(column)) return {};
        if (PQftype(result_, column) != kBytea)
            return QByteArray(PQgetvalue(result_, row_, column), PQgetlength(result_, row_, column));
        size_t length = 0;
        unsigned char* bytes = PQunescapeBytea(
            reinterpret_cast<const unsigned char*>(PQgetvalue(result_, row_, column)), &length);
        const QByteArray value(reinterpret_cast<const char*>(bytes), qsizetype(length));
        PQfreemem(bytes);
        return value;
    }
    QVariant value(int column) const override {
        if (isNull(column)) return {};
        switch (PQftype(result_, column)) {
            case kBool:
            case kInt2:
            case kInt4:
            case kInt8:
            case kOid:
                return int64(column);
            case kFloat4:
            case kFloat8:
            case kNumeric:
                return real(column);
            case kBytea:
                return blob(column);
            default:
                return text(column);
        }
    }
    QString columnName(int column) const override { return QString::fromUtf8(PQfname(answered(), column)); }
    // The catalogue's own type of a column read straight from one of the books' tables, as the file declares
    // it; empty for a computed column.
    QString declaredType(int column) const override {
        const auto [table, name] =
            connection_.columnNamed(PQftable(answered(), column), PQftablecol(result_, column));
        const TableDef* def = table.isEmpty() ? nullptr : Catalogue::find(table);
        if (!def) return {};
        const int field = def->fieldIndex(name);
        return field < 0 ? QString() : def->fields[field].sqlType();
    }
    bool readOnly() const override {
        const QByteArray head = sql_.trimmed().left(6).toUpper();
        return head.startsWith("SELECT") || head.startsWith("WITH") || head.startsWith("VALUES");
    }

private:
    PGresult* answered() const {
        if (!result_) const_cast<PostgresStatement*>(this)->run();
        return result_;
    }

    // Whether a row is being stepped on and the column is one of its.
    bool onRow(int column) const {
        return result_ && row_ >= 0 && row_ < PQntuples(result_) && column >= 0 &&
               column < PQnfields(result_);
    }

    void clear() {
        if (result_) PQclear(result_);
        result_ = nullptr;
        row_ = -1;
    }

    void run() {
        connection_.ensureUp();
        if (!name_.isEmpty() && preparedOn_ != connection_.generation()) {
            name_.clear();
            runs_ = 1;
        }
        PGconn* conn = connection_.handle();
        // The values as text, each with no type of its own: the server takes the column's or the function's,
        // so an ISO date compares with a date column and a number with a number.
        QList<QByteArray> texts;
        QVector<const char*> pointers;
        QVector<int> lengths, formats;
        for (const QVariant& value : values_) {
            if (!value.isValid() || value.isNull()) {
                texts << QByteArray();
                pointers << nullptr;
                lengths << 0;
                formats << 0;
                continue;
            }
            QByteArray bytes;
            int format = 0;
            switch (value.typeId()) {
                case QMetaType::Bool:
                    bytes = value.toBool() ? "1" : "0";
                    break;
                case QMetaType::Double:
                case QMetaType::Float:
                    bytes = QByteArray::number(value.toDouble(), 'g', 17);
                    break;
                case QMetaType::QDate:
                    bytes = value.toDate().toString(Qt::ISODate).toUtf8();
                    break;
                case QMetaType::QByteArray:
                    bytes = value.toByteArray();
                    format = 1;
                    break;
                default:
                    bytes = value.toString().toUtf8();
                    break;
            }
            texts << bytes;
            pointers << texts.last().constData();
            lengths << int(bytes.size());
            formats << format;
        }
        const int count = int(values_.size());
        const bool guarded = kind_ == Connection::SelectOnly;
        // A query that may only read runs in a part of the transaction that can't write; whatever it tried is
        // undone with that part.
        const bool ownTransaction = guarded && !connection_.inTransaction();
        if (guarded) {
            if (!readOnly()) throw onlySelect();
            connection_.execute(
                ownTransaction ? QStringLiteral("BEGIN READ ONLY")
                               : QStringLiteral("SAVEPOINT vj_read; SET LOCAL transaction_read_only = on"));
        }
        ++runs_;
        if (runs_ == 2 && name_.isEmpty()) {
            static int counter = 0;
            const QByteArray name = "vj_s" + QByteArray::number(++counter);
            PGresult* prepared = PQprepare(conn, name.constData(), sql_.constData(), 0, nullptr);
            const bool ok = PQresultStatus(prepared) == PGRES_COMMAND_OK;
            if (ok) {
                name_ = name;
                preparedOn_ = connection_.generation();
            }
            PQclear(prepared);
        }
        result_ = name_.isEmpty() ? PQexecParams(conn, sql_.constData(), count, nullptr, pointers.constData(),
                                                 lengths.constData(), formats.constData(), 0)
                                  : PQexecPrepared(conn, name_.constData(), count, pointers.constData(),
                                                   lengths.constData(), formats.constData(), 0);
        const ExecStatusType status = PQresultStatus(result_);
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            const QByteArray state = PQresultErrorField(result_, PG_DIAG_SQLSTATE);
            const QString message = QString::fromUtf8(PQresultErrorMessage(result_)).simplified();
            clear();
            if (guarded) undoGuard(ownTransaction);
            if (guarded && state == "25006") throw onlySelect();
            connection_.fail(state.isEmpty() ? nullptr : state.constData(),
                             message.isEmpty() ? errorText(conn) : message);
        }
        if (guarded) undoGuard(ownTransaction);
        const QByteArray affected = PQcmdTuples(result_);
        if (!affected.isEmpty() && status == PGRES_COMMAND_OK) connection_.counted(affected.toLongLong());
        if (status == PGRES_TUPLES_OK && !readOnly()) connection_.counted(PQntuples(result_));
    }

    void undoGuard(bool ownTransaction) {
        try {
            connection_.execute(ownTransaction ? QStringLiteral("ROLLBACK")
                                               : QStringLiteral("ROLLBACK TO vj_read; RELEASE vj_read"));
        } catch (const DataError&) {
        }
    }

    static DataError onlySelect() {
        return DataError(QStringLiteral("A consulta só pode ler dados: apenas um comando SELECT é aceito"));
    }

    PostgresConnection& connection_;
    QByteArray sql_;
    Connection::StatementKind kind_;
    QVector<QVariant> values_;
    PGresult* result_ = nullptr;
    int row_ = -1;
    int runs_ = 0;
    QByteArray name_;
    int preparedOn_ = -1;  // the connection's generation it was prepared on
};

}  // namespace

QString numberedParameters(const QString& sql) {
    QString out;
    out.reserve(sql.size() + 16);
    int number = 0;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A quoted text or name, its doubled quotes included, goes through as it is.
            const qsizetype end = [&] {
                qsizetype j = i + 1;
                while (j < sql.size()) {
                    if (sql[j] == c) {
                        if (j + 1 < sql.size() && sql[j + 1] == c) {
                            j += 2;
                            continue;
                        }
                        return j;
                    }
                    ++j;
                }
                return sql.size() - 1;
            }();
            out += sql.mid(i, end - i + 1);
            i = end;
        } else if (c == QLatin1Char('-') && i + 1 < sql.size() && sql[i + 1] == QLatin1Char('-')) {
            const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
            const qsizetype last = end < 0 ? sql.size() - 1 : end;
            out += sql.mid(i, last - i + 1);
            i = last;
        } else if (c == QLatin1Char('/') && i + 1 < sql.size() && sql[i + 1] == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype last = end < 0 ? sql.size() - 1 : end + 1;
            out += sql.mid(i, last - i + 1);
            i = last;
        } else if (c == QLatin1Char('?')) {
            // "?1" names the first value again, as SQLite reads it.
            qsizetype j = i + 1;
            while (j < sql.size() && sql[j].isDigit())
                ++j;
            const int given = j > i + 1 ? sql.mid(i + 1, j - i - 1).toInt() : ++number;
            out += QLatin1Char('$') + QString::number(given);
            i = j - 1;
        } else {
            out += c;
        }
    }
    return out;
}

PostgresConnection::PostgresConnection(const QString& address) {
    const QByteArray text = address.toUtf8();
    // A server that does not answer (switched off, a cable out) is given up in seconds, not minutes, unless
    // the environment or the address, which comes after these, says otherwise.
    std::vector<const char*> keys, values;
    const auto add = [&](const char* key, const char* value) {
        keys.push_back(key);
        values.push_back(value);
    };
    if (!qEnvironmentVariableIsSet("PGCONNECT_TIMEOUT")) add("connect_timeout", "5");
    add("keepalives", "1");
    add("keepalives_idle", "10");
    add("keepalives_interval", "3");
    add("keepalives_count", "3");
    add("tcp_user_timeout", "15000");
    add("dbname", text.constData());
    add("client_encoding", "UTF8");
    add("application_name", "Vanteja");
    add(nullptr, nullptr);
    conn_ = PQconnectdbParams(keys.data(), values.data(), 1);
    const QUrl url(address);
    place_ = url.isValid() && !url.host().isEmpty()
                 ? QStringLiteral("%1:%2%3").arg(url.host()).arg(url.port(5432)).arg(url.path())
                 : address;
    if (PQstatus(conn_) != CONNECTION_OK) {
        const QString message = errorText(conn_);
        PQfinish(conn_);
        conn_ = nullptr;
        const QString lower = message.toLower();
        if (lower.contains(QLatin1String("password")) || lower.contains(QLatin1String("role")) ||
            lower.contains(QLatin1String("authentication")))
            throw engineError(EngineCause::Refused, message, place_);
        if (lower.contains(QLatin1String("database")) && lower.contains(QLatin1String("does not exist")))
            throw DataError(
                QStringLiteral("O banco de dados %1 não existe no servidor. Crie-o e prepare-o com "
                               "\"vanteja-dados --postgresql ENDEREÇO\". [%2]")
                    .arg(place_, message),
                message);
        throw engineError(EngineCause::Unreachable, message, place_);
    }
    // The server's notices (a schema dropped with what it held, …) are for its administrator, not for the
    // program's output.
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
    if (PQserverVersion(conn_) < kPostgresMinimumVersion) {
        const QString version = QString::number(PQserverVersion(conn_) / 10000);
        PQfinish(conn_);
        conn_ = nullptr;
        throw DataError(QStringLiteral("O servidor de dados %1 usa o PostgreSQL %2, antigo demais: o Vanteja "
                                       "precisa da versão 11 ou mais nova.")
                            .arg(place_, version));
    }
    begin();
}

void PostgresConnection::begin() {
    // Dates come back as ISO text, as the file keeps them.
    execute(QStringLiteral("SET DateStyle = 'ISO, YMD'; SET TimeZone = 'UTC'; LISTEN ") +
            QString::fromLatin1(kPostgresChannel));
}

PostgresConnection::~PostgresConnection() {
    if (conn_) PQfinish(conn_);
}

const Dialect& postgresDialect() {
    static const PostgresDialect dialect;
    return dialect;
}

const Dialect& PostgresConnection::dialect() const {
    return postgresDialect();
}

std::unique_ptr<EngineStatement> PostgresConnection::prepare(const QString& sql, StatementKind kind) {
    return std::make_unique<PostgresStatement>(*this, sql, kind);
}

void PostgresConnection::execute(const QString& sql) {
    ensureUp();
    PGresult* result = PQexec(conn_, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const QByteArray state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        const QString message = QString::fromUtf8(PQresultErrorMessage(result)).simplified();
        PQclear(result);
        fail(state.isEmpty() ? nullptr : state.constData(), message.isEmpty() ? errorText(conn_) : message);
    }
    const QByteArray affected = PQcmdTuples(result);
    if (!affected.isEmpty()) counted(affected.toLongLong());
    PQclear(result);
}

bool PostgresConnection::inTransaction() {
    // A dropped connection holds no transaction: the next unit begins one on the connection made again.
    const PGTransactionStatusType status = PQtransactionStatus(conn_);
    return status != PQTRANS_IDLE && status != PQTRANS_UNKNOWN;
}

qint64 PostgresConnection::dataVersion() {
    // A connection known to be down is made again for whoever asks (the regular look for news asks only while
    // it is up, so it never waits on a server that is away); one found down now is only reported.
    ensureUp();
    if (PQconsumeInput(conn_) == 0) throw engineError(EngineCause::Unreachable, errorText(conn_), place_);
    // Every change another connection commits arrives as a notification naming its table: each one read
    // moves the version.
    const int own = PQbackendPID(conn_);
    while (PGnotify* notice = PQnotifies(conn_)) {
        if (notice->be_pid != own) {
            ++version_;
            const QString table = QString::fromUtf8(notice->extra);
            if (!changedTables_.contains(table)) changedTables_ << table;
        }
        PQfreemem(notice);
    }
    return version_;
}

bool PostgresConnection::reachable() {
    return PQstatus(conn_) == CONNECTION_OK;
}

int PostgresConnection::notificationSocket() {
    return PQsocket(conn_);
}

QStringList PostgresConnection::takeChangedTables() {
    return std::exchange(changedTables_, {});
}

qint64 PostgresConnection::lastInsertKey() {
    throw DataError(
        QStringLiteral("Erro no banco de dados: a chave do registro incluído vem do próprio comando"));
}

void PostgresConnection::interrupt() {
    if (PGcancel* cancel = PQgetCancel(conn_)) {
        char error[256];
        PQcancel(cancel, error, sizeof error);
        PQfreeCancel(cancel);
    }
}

void PostgresConnection::ensureUp() {
    if (PQstatus(conn_) == CONNECTION_OK) return;
    // Dropped (the server restarted, the network failed): connected again for whoever asks next, and all
    // that lived on the old connection (prepared statements, the listening, what was known of others'
    // stores) begun again.
    PQreset(conn_);
    if (PQstatus(conn_) != CONNECTION_OK)
        throw engineError(EngineCause::Unreachable, errorText(conn_), place_);
    ++generation_;
    columns_.clear();
    begin();
    ++version_;
    changedTables_ << QString();
}

void PostgresConnection::fail(const char* sqlState, const QString& engineText, const QString& context) {
    EngineCause cause = causeOf(sqlState);
    if (!sqlState && PQstatus(conn_) != CONNECTION_OK) cause = EngineCause::Unreachable;
    throw engineError(cause, engineText, place_, context);
}

QPair<QString, QString> PostgresConnection::columnNamed(unsigned int table, int column) {
    if (table == 0 || column <= 0) return {};
    const quint64 key = (quint64(table) << 16) | quint64(column);
    if (const auto found = columns_.constFind(key); found != columns_.cend()) return *found;
    const QByteArray tableText = QByteArray::number(table), columnText = QByteArray::number(column);
    const char* values[] = {tableText.constData(), columnText.constData()};
    PGresult* result = PQexecParams(conn_,
                                    "SELECT c.relname::text, a.attname::text FROM pg_catalog.pg_attribute a "
                                    "JOIN pg_catalog.pg_class c ON c.oid = a.attrelid "
                                    "WHERE a.attrelid = $1::oid AND a.attnum = $2::int2",
                                    2, nullptr, values, nullptr, nullptr, 0);
    QPair<QString, QString> named;
    if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1)
        named = {QString::fromUtf8(PQgetvalue(result, 0, 0)), QString::fromUtf8(PQgetvalue(result, 0, 1))};
    PQclear(result);
    columns_.insert(key, named);
    return named;
}
