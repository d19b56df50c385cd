// The books' tables on a real PostgreSQL server, made on a database of their own for the run: columns, keys,
// notifications, the order of the indexes (compared with the data file's) and the first user.

#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/select.h>

#include <cerrno>

#include <QtTest>
#include <stdexcept>

#include "Catalogue.h"
#include "PostgresSchema.h"
#include "Schema.h"

namespace {

using Rows = QVector<QStringList>;  // a blank comes back as a null QString

// The test stops at the first failing statement; the server's words are shown before the test fails.
[[noreturn]] void serverFailure(const std::string& message) {
    qWarning("%s", message.c_str());
    throw std::runtime_error(message);
}

struct PgConnection {
    PGconn* conn = nullptr;
    PgConnection(const QString& address, const QString& database = {}) {
        const QByteArray addressText = address.toUtf8(), databaseText = database.toUtf8();
        // A second dbname overrides the one inside the address.
        const char* keys[] = {"dbname", database.isEmpty() ? nullptr : "dbname", nullptr};
        const char* values[] = {addressText.constData(), databaseText.constData(), nullptr};
        conn = PQconnectdbParams(keys, values, 1);
        if (PQstatus(conn) != CONNECTION_OK) {
            const std::string message =
                "connection to " + address.toStdString() + ": " + PQerrorMessage(conn);
            PQfinish(conn);
            serverFailure(message);
        }
    }
    ~PgConnection() { PQfinish(conn); }
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Runs one statement with text parameters, or binary ones where `binary` is set, and gives its rows in
    // the same format.
    Rows exec(const QString& sql, const QList<QByteArray>& params = {}, bool binary = false) {
        QVector<const char*> values;
        QVector<int> lengths, formats;
        for (const QByteArray& param : params) {
            values << (param.isNull() ? nullptr : param.constData());
            lengths << int(param.size());
            formats << (binary ? 1 : 0);
        }
        PGresult* result = PQexecParams(conn, sql.toUtf8().constData(), int(params.size()), nullptr,
                                        values.constData(), lengths.constData(), formats.constData(), binary);
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            const std::string message = sql.toStdString() + ": " + PQresultErrorMessage(result);
            PQclear(result);
            serverFailure(message);
        }
        Rows rows;
        for (int r = 0; r < PQntuples(result); ++r) {
            QStringList row;
            for (int c = 0; c < PQnfields(result); ++c)
                row << (PQgetisnull(result, r, c) ? QString()
                        : binary ? QString::fromLatin1(PQgetvalue(result, r, c), PQgetlength(result, r, c))
                                 : QString::fromUtf8(PQgetvalue(result, r, c)));
            rows << row;
        }
        PQclear(result);
        return rows;
    }
    QStringList column(const QString& sql, const QList<QByteArray>& params = {}) {
        QStringList values;
        for (const QStringList& row : exec(sql, params))
            values << row.value(0);
        return values;
    }

    // Waits for a notification of `channel` from `sender` carrying `payload`, reading the socket as it
    // becomes readable.
    bool awaitNotification(const char* channel, int sender, const QString& payload) {
        QDeadlineTimer deadline(std::chrono::seconds(60));
        for (;;) {
            if (!PQconsumeInput(conn)) return false;
            while (PGnotify* notice = PQnotifies(conn)) {
                const bool wanted = qstrcmp(notice->relname, channel) == 0 && notice->be_pid == sender &&
                                    QString::fromUtf8(notice->extra) == payload;
                PQfreemem(notice);
                if (wanted) return true;
            }
            if (deadline.hasExpired()) return false;
            const int socket = PQsocket(conn);
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(socket, &readable);
            const qint64 left = deadline.remainingTime();
            timeval wait{long(left / 1000), long(left % 1000) * 1000};
            if (select(socket + 1, &readable, nullptr, nullptr, &wait) < 0 && errno != EINTR) return false;
        }
    }
};

QString sqlList(const QStringList& names) {
    QStringList quoted;
    for (const QString& name : names)
        quoted << quoteIdentifier(name);
    return quoted.join(QStringLiteral(", "));
}

// The same values in the data file's BD_NP, in the order the file's case-insensitive index gives.
QStringList sqliteNoCaseOrder(const QStringList& values) {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    for (const QString& statement : schemaStatements())
        sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO BD_NP (Pagarei) VALUES (?)", -1, &insert, nullptr);
    for (const QString& value : values) {
        const QByteArray text = value.toUtf8();
        if (value.isNull())
            sqlite3_bind_null(insert, 1);
        else
            sqlite3_bind_text(insert, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT Pagarei FROM BD_NP ORDER BY Pagarei COLLATE NOCASE, Chave", -1, &select,
                       nullptr);
    QStringList ordered;
    while (sqlite3_step(select) == SQLITE_ROW)
        ordered << (sqlite3_column_type(select, 0) == SQLITE_NULL
                        ? QString()
                        : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(select, 0))));
    sqlite3_finalize(select);
    sqlite3_close(db);
    return ordered;
}

const QDate kToday(2031, 12, 30);

}  // namespace

class PostgresSchemaTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QFile addressFile(qEnvironmentVariable("VANTEJA_PG_DIR") + QStringLiteral("/address"));
        QVERIFY2(addressFile.open(QIODevice::ReadOnly),
                 "no server address: VANTEJA_PG_DIR names no folder made by pg-cluster.sh");
        address_ = QString::fromUtf8(addressFile.readAll()).trimmed();
        admin_ = std::make_unique<PgConnection>(address_);
        database_ = QStringLiteral("vj_schema_%1").arg(QCoreApplication::applicationPid());
        admin_->exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(database_));
        admin_->exec(QStringLiteral("CREATE DATABASE %1").arg(database_));
        db_ = std::make_unique<PgConnection>(address_, database_);

        missingBefore_ = db_->column(postgresMissingTables());
        db_->exec(QStringLiteral("BEGIN"));
        for (const QString& statement : postgresSchemaStatements(kToday))
            db_->exec(statement);
        db_->exec(QStringLiteral("COMMIT"));
    }
    void cleanupTestCase() {
        db_.reset();
        if (admin_) admin_->exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database_));
    }

    void firstUser() {
        const Rows users = db_->exec(QStringLiteral(
            R"(SELECT "DT_INC", "DT_ALT", "STATUS", "NOME", "LOGIN", "SENHA" FROM "USUARIOS")"));
        QCOMPARE(users, Rows({{kToday.toString(Qt::ISODate), QString(), "S", "WEJ", "WEJ", "wej"}}));
    }

    void missingTables() {
        QStringList all;
        for (const TableDef& table : Catalogue::tables())
            all << table.name;
        QCOMPARE(missingBefore_, all);
        QCOMPARE(db_->column(postgresMissingTables()), QStringList());
        db_->exec(QStringLiteral("BEGIN"));
        db_->exec(QStringLiteral(R"(DROP TABLE "logo")"));
        QCOMPARE(db_->column(postgresMissingTables()), QStringList({"logo"}));
        db_->exec(QStringLiteral("ROLLBACK"));
    }

    // Columns in the declared order and sizes, texts ordered by bytes, the row key given by the table, and
    // every index of the catalogue.
    void tables_data() {
        QTest::addColumn<QString>("table");
        for (const TableDef& table : Catalogue::tables())
            QTest::newRow(qPrintable(table.name)) << table.name;
    }
    void tables() {
        QFETCH(QString, table);
        const TableDef& def = *Catalogue::find(table);
        const Rows columns = db_->exec(
            QStringLiteral("SELECT column_name, character_maximum_length, collation_name, is_identity "
                           "FROM information_schema.columns WHERE table_schema = current_schema() "
                           "AND table_name = $1 ORDER BY ordinal_position"),
            {table.toUtf8()});
        QCOMPARE(columns.size(), def.fields.size());
        for (int i = 0; i < def.fields.size(); ++i) {
            const FieldDef& field = def.fields[i];
            const QStringList expected = {
                field.name, field.type == FieldType::String ? QString::number(field.size) : QString(),
                field.isText() ? QStringLiteral("C") : QString(),
                field.type == FieldType::AutoInc ? QStringLiteral("YES") : QStringLiteral("NO")};
            QCOMPARE(columns[i], expected);
        }
        QStringList expectedIndexes = {table + QStringLiteral("_pkey")};
        for (const IndexDef& index : def.indexes)
            if (!index.primary) expectedIndexes << def.sqlIndexName(index);
        QStringList indexes = db_->column(
            QStringLiteral(
                "SELECT indexname FROM pg_indexes WHERE schemaname = current_schema() AND tablename = $1"),
            {table.toUtf8()});
        indexes.sort();
        expectedIndexes.sort();
        QCOMPARE(indexes, expectedIndexes);
    }

    // What the program stores comes back unchanged.
    void roundTrip_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("value");
        QByteArray allBytes;
        for (int i = 0; i < 1024; ++i)
            allBytes += char(i % 256);
        QTest::newRow("nearest double") << "tbpagar"
                                        << "Valordocumento" << QByteArray("0.30000000000000004");
        QTest::newRow("smallest double") << "tbpagar"
                                         << "DocParcela" << QByteArray("5e-324");
        QTest::newRow("currency") << "tbreceber"
                                  << "ValorChequeTerc" << QByteArray("-1234567.89");
        QTest::newRow("integer beyond double") << "c_cliente"
                                               << "Codigo" << QByteArray("9007199254740993");
        QTest::newRow("leap day") << "tbpagar"
                                  << "DataVencimento" << QByteArray("2024-02-29");
        QTest::newRow("first year") << "tbreceber"
                                    << "DataPagamento" << QByteArray("0001-01-01");
        QTest::newRow("size in characters") << "c_cliente"
                                            << "UF" << QString("ÇÃ").toUtf8();
        QTest::newRow("declared name with accent")
            << "c_cliente"
            << "Endereço" << QString("Rua São João, 1º andar 🏠").toUtf8();
        QTest::newRow("long memo") << "tbreceber"
                                   << "Observacoes" << (QByteArray(100000, 'x') + "ção\n\t'\"");
        QTest::newRow("blob") << "logo"
                              << "Logo" << allBytes;
        QTest::newRow("graphic") << "logo"
                                 << "Logo1" << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10);
    }
    void roundTrip() {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QByteArray, value);
        const FieldDef& def = Catalogue::find(table)->fields[Catalogue::find(table)->fieldIndex(field)];
        const Rows rows = db_->exec(QStringLiteral("INSERT INTO %1 (%2) VALUES ($1) RETURNING %2")
                                        .arg(quoteIdentifier(table), quoteIdentifier(field)),
                                    {value}, def.isBinary());
        QCOMPARE(rows.size(), 1);
        const QString back = rows[0][0];
        if (def.isBinary())
            QCOMPARE(back.toLatin1(), value);
        else if (def.type == FieldType::Float || def.type == FieldType::Currency)
            QCOMPARE(back.toDouble(), value.toDouble());
        else
            QCOMPARE(back, QString::fromUtf8(value));
    }

    // Rows added without a key get the next one; after rows written with their own keys, or deleted, the
    // catch-up makes the next key follow the highest ever given.
    void keys_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("explicitAhead");
        QTest::addColumn<bool>("deleteAll");
        QTest::newRow("added without key") << "tbpagar" << 0 << false;
        QTest::newRow("explicit key ahead") << "tbfornecedor" << 40 << false;
        QTest::newRow("all deleted") << "Tb_Emitente" << 0 << true;
    }
    void keys() {
        QFETCH(QString, table);
        QFETCH(int, explicitAhead);
        QFETCH(bool, deleteAll);
        const TableDef& def = *Catalogue::find(table);
        const QString addRow = QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING %2")
                                   .arg(quoteIdentifier(table), quoteIdentifier(def.keyField().name));
        const qint64 first = db_->column(addRow).value(0).toLongLong();
        const qint64 second = db_->column(addRow).value(0).toLongLong();
        QVERIFY(first > 0);
        QCOMPARE(second, first + 1);
        qint64 highest = second;
        if (explicitAhead > 0) {
            highest = second + explicitAhead;
            db_->exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(quoteIdentifier(table), quoteIdentifier(def.keyField().name))
                          .arg(highest));
        }
        if (deleteAll) db_->exec(QStringLiteral("DELETE FROM %1").arg(quoteIdentifier(table)));
        db_->exec(postgresKeyCatchUp(def));
        QCOMPARE(db_->column(addRow).value(0).toLongLong(), highest + 1);
    }

    // Every statement that writes to a table is told to the listeners, by the table's name.
    void notifies_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("statement");
        for (const TableDef& table : Catalogue::tables())
            QTest::newRow(qPrintable(QStringLiteral("insert into ") + table.name))
                << table.name
                << QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(table.name));
        QTest::newRow("update") << "tbreceber"
                                << R"(UPDATE "tbreceber" SET "Letra" = 'A')";
        QTest::newRow("delete nothing") << "cadastro"
                                        << R"(DELETE FROM "cadastro" WHERE "Chave" < 0)";
        QTest::newRow("truncate") << "BD_NP"
                                  << R"(TRUNCATE "BD_NP")";
    }
    void notifies() {
        QFETCH(QString, table);
        QFETCH(QString, statement);
        PgConnection listener(address_, database_);
        listener.exec(QStringLiteral("LISTEN ") + QLatin1String(kPostgresChannel));
        db_->exec(statement);
        QVERIFY(listener.awaitNotification(kPostgresChannel, PQbackendPID(db_->conn), table));
    }

    // The case-insensitive index orders as the data file's NOCASE: A-Z folded, accented letters by their
    // bytes, blanks first, equal keys in the order they were added.
    void noCaseOrder_data() {
        QTest::addColumn<QStringList>("values");
        QTest::newRow("accents and case") << QStringList{"banana", "Ábaco", "abacate", "ABACAXI"};
        QTest::newRow("signs between the cases") << QStringList{"a", "_", "Z", "[", "z", "`", "^", "A"};
        QTest::newRow("equal keys") << QStringList{"b", "É", "B", "é", "b", "e", "E"};
        QTest::newRow("blanks") << QStringList{"m", QString(), "A", QString()};
    }
    void noCaseOrder() {
        QFETCH(QStringList, values);
        const TableDef& notes = *Catalogue::find("BD_NP");
        db_->exec(QStringLiteral("BEGIN"));
        for (const QString& value : values)
            db_->exec(QStringLiteral(R"(INSERT INTO "BD_NP" ("Pagarei") VALUES ($1))"),
                      {value.isNull() ? QByteArray() : value.toUtf8()});
        const QStringList ordered =
            db_->column(QStringLiteral(R"(SELECT "Pagarei" FROM "BD_NP" ORDER BY %1)")
                            .arg(postgresIndexOrder(notes, *notes.findIndex("ByPagarei"))));
        db_->exec(QStringLiteral("ROLLBACK"));
        QCOMPARE(ordered, sqliteNoCaseOrder(values));
    }

    // The order a view asks for is read from its index, never sorted afterwards.
    void indexOrder_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("index");
        for (const TableDef& table : Catalogue::tables())
            for (const IndexDef& index : table.indexes)
                if (!index.primary)
                    QTest::newRow(qPrintable(table.sqlIndexName(index))) << table.name << index.name;
    }
    void indexOrder() {
        QFETCH(QString, table);
        QFETCH(QString, index);
        const TableDef& def = *Catalogue::find(table);
        const IndexDef& indexDef = *std::find_if(def.indexes.begin(), def.indexes.end(),
                                                 [&](const IndexDef& i) { return i.name == index; });
        QStringList read = {indexDef.field, def.keyField().name};
        if (!indexDef.thenBy.isEmpty()) read << indexDef.thenBy;
        // Every other way made dear: the index is taken only if it gives the order asked for.
        db_->exec(QStringLiteral("BEGIN"));
        for (const char* way : {"seqscan", "bitmapscan", "sort"})
            db_->exec(QStringLiteral("SET LOCAL enable_%1 = off").arg(QLatin1String(way)));
        const QString plan =
            db_->column(QStringLiteral("EXPLAIN SELECT %1 FROM %2 ORDER BY %3")
                            .arg(sqlList(read), quoteIdentifier(table), postgresIndexOrder(def, indexDef)))
                .join(QLatin1Char('\n'));
        db_->exec(QStringLiteral("ROLLBACK"));
        const QRegularExpression usesIndex(
            QStringLiteral("using \"?%1\"? on").arg(QRegularExpression::escape(def.sqlIndexName(indexDef))));
        QVERIFY2(plan.contains(usesIndex) && !plan.contains(QLatin1String("Sort")), qPrintable(plan));
    }

private:
    QString address_;
    QString database_;
    std::unique_ptr<PgConnection> admin_;
    std::unique_ptr<PgConnection> db_;
    QStringList missingBefore_;
};

QTEST_GUILESS_MAIN(PostgresSchemaTest)
#include "tst_postgres_schema.moc"
