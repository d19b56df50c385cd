// What keeps the data whole when something fails: a store is one unit, filters the engine cannot take, the
// read-only guard of queries, the engine's failures in Portuguese, durable commits, private files.

#include <sqlite3.h>

#include <QFile>
#include <QtTest>
#include <functional>

#include "Query.h"
#include "Sqlite.h"
#include "TempData.h"

namespace {

sqlite3* handle() {
    return sqliteHandle(Session::instance().database(kAliasVantejaVs2));
}

int denySelect(void*, int action, const char*, const char*, const char*, const char*) {
    return action == SQLITE_SELECT ? SQLITE_DENY : SQLITE_OK;
}

// Makes the engine refuse what a view reads after a store, then lets it be.
void obstruct(const QString& obstacle, bool on) {
    if (obstacle == "filter refused")
        sqlite3_limit(handle(), SQLITE_LIMIT_EXPR_DEPTH, on ? 3 : 1000);
    else
        sqlite3_set_authorizer(handle(), on ? denySelect : nullptr, nullptr);
}

int stored(const QString& where) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(handle(), ("SELECT count(*) FROM c_cliente WHERE " + where).toUtf8().constData(), -1,
                       &stmt, nullptr);
    const int count = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    return count;
}

QString chain(int terms, const QString& joiner) {
    QStringList parts;
    for (int i = 0; i < terms; ++i)
        parts << QStringLiteral("Codigo = %1").arg(i % 3 + 1);
    return parts.join(joiner);
}

QString nested(int depth, const QString& open, const QString& inner, const QString& close) {
    return open.repeated(depth) + inner + close.repeated(depth);
}

const QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QFileDevice::Permissions othersAndGroup(const QString& file) {
    return QFile::permissions(file) & ~(kOwnerOnly | QFileDevice::ReadUser | QFileDevice::WriteUser);
}

}  // namespace

class SafetyTest : public QObject {
    Q_OBJECT

private slots:
    void init() { data_ = std::make_unique<TempData>(); }
    void cleanup() {
        if (Database* db = Session::instance().find(kAliasVantejaVs2); db && db->connected()) {
            sqlite3_set_authorizer(sqliteHandle(*db), nullptr, nullptr);
            sqlite3_limit(sqliteHandle(*db), SQLITE_LIMIT_EXPR_DEPTH, 1000);
        }
        data_.reset();
    }

    // When the rows can't be read again after the write, nothing is stored and the record stays as typed;
    // once the engine reads again, one "Gravar" stores it once.
    void storeIsOneUnit_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<bool>("inserting");
        for (const char* obstacle : {"filter refused", "read refused"}) {
            QTest::addRow("%s, insert", obstacle) << QString(obstacle) << true;
            QTest::addRow("%s, edit", obstacle) << QString(obstacle) << false;
        }
    }
    void storeIsOneUnit() {
        QFETCH(QString, obstacle);
        QFETCH(bool, inserting);
        addRow("c_cliente", {{"Nome", "ANA"}, {"Codigo", 1}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.setFilter("Codigo = 1 or Codigo = 2 or Codigo = 3");
        view.setFiltered(true);
        view.open();
        if (inserting) {
            view.append();
            view.fieldByName("Codigo").setValue(2);
        } else {
            view.edit();
        }
        view.fieldByName("Nome").setValue("BRUNO");
        const Dataset::State state = view.state();

        for (int attempt = 0; attempt < 2; ++attempt) {
            obstruct(obstacle, true);
            QVERIFY(!errorOf([&] { view.post(); }).isEmpty());
            obstruct(obstacle, false);
            QCOMPARE(stored("Nome = 'BRUNO'"), 0);
            QCOMPARE(view.state(), state);
            QCOMPARE(view.fieldByName("Nome").asString(), QString("BRUNO"));
            view.fieldByName("Nome").asString();  // typing goes on into the same record
            view.fieldByName("Nome").setValue("BRUNO");
        }
        view.post();
        QCOMPARE(view.state(), Dataset::State::Browse);
        QCOMPARE(stored("Nome = 'BRUNO'"), 1);
        QCOMPARE(stored("1"), inserting ? 2 : 1);
        QCOMPARE(view.fieldByName("Nome").asString(), QString("BRUNO"));
        QCOMPARE(view.recordCount(), inserting ? 2 : 1);
    }

    // A filter the engine does not take leaves the view unfiltered, and everything else still works.
    void refusedFilterLeavesViewUnfiltered() {
        addRow("c_cliente", {{"Nome", "ANA"}, {"Codigo", 1}});
        addRow("c_cliente", {{"Nome", "BRUNO"}, {"Codigo", 2}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        view.setFilter("Codigo = 1 or Codigo = 2 or Codigo = 3");
        obstruct("filter refused", true);
        const QString error = errorOf([&] { view.setFiltered(true); });
        obstruct("filter refused", false);
        QVERIFY2(error.startsWith(kInvalidFilter) && error.contains("maximum depth"), qPrintable(error));
        QVERIFY(!view.filtered());
        QCOMPARE(view.recordCount(), 2);
        view.refresh();
        QCOMPARE(view.sum("Codigo").toDouble(), 3.0);
        view.append();
        view.fieldByName("Nome").setValue("CARLA");
        view.post();
        QCOMPARE(view.recordCount(), 3);
        // A value the compiler refuses keeps its own message.
        view.setFilter("Codigo = '1x2'");
        QCOMPARE(errorOf([&] { view.setFiltered(true); }), QString("'1x2' não é um valor numérico válido"));
        QVERIFY(!view.filtered());
    }

    // What compiles, the engine takes; beyond the bounds the filter error comes, never a crash.
    void filterBounds_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("rows");  // -1: refused
        const QString one = "Codigo = 1";
        QTest::newRow("256 or") << chain(256, " or ") << 3;
        QTest::newRow("256 and") << chain(256, " and ") << 0;
        QTest::newRow("257 or") << chain(257, " or ") << -1;
        QTest::newRow("10 not") << nested(10, "not ", one, "") << 1;
        QTest::newRow("11 not") << nested(11, "not ", one, "") << -1;
        QTest::newRow("10 parentheses, or inside and")
            << nested(10, "(Codigo = 2 or Codigo = 3 and ", one, ")") << 1;
        QTest::newRow("10 not and parentheses") << nested(5, "not (Codigo = 5 or ", one, ")") << 2;
        QTest::newRow("11 parentheses") << nested(11, "(", one, ")") << -1;
        QTest::newRow("15,000 parentheses") << nested(15000, "(", one, ")") << -1;
        QTest::newRow("100,000 not") << nested(100000, "not ", one, "") << -1;
    }
    void filterBounds() {
        QFETCH(QString, filter);
        QFETCH(int, rows);
        for (int code = 1; code <= 3; ++code)
            addRow("c_cliente", {{"Codigo", code}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        view.setFilter(filter);
        const QString error = errorOf([&] { view.setFiltered(true); });
        if (rows < 0) {
            QVERIFY2(error.startsWith(kInvalidFilter), qPrintable(error));
            QVERIFY(!view.filtered());
        } else {
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QCOMPARE(view.recordCount(), rows);
            // Searching inside the filter wraps its condition once more.
            if (rows > 0) QVERIFY(view.locate("Codigo", view.fieldByName("Codigo").value()));
        }
    }

    // Only one SELECT runs through a query: no transaction, attached file, pragma or text after a NUL.
    void queryOnlyReads_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("begin") << "BEGIN";
        QTest::newRow("commit") << "COMMIT";
        QTest::newRow("savepoint") << "SAVEPOINT a";
        QTest::newRow("attach") << "ATTACH DATABASE 'ATTACHED' AS other";
        QTest::newRow("writable schema") << "PRAGMA writable_schema=ON";
        QTest::newRow("pragma that reads") << "PRAGMA table_info(c_cliente)";
        QTest::newRow("vacuum into") << "VACUUM INTO 'ATTACHED'";
        QTest::newRow("NUL") << QString("select Nome from c_cliente") + QChar(0) + "; delete from c_cliente";
        QTest::newRow("write after NUL") << QString("delete from c_cliente") + QChar(0);
    }
    void queryOnlyReads() {
        QFETCH(QString, sql);
        addRow("c_cliente", {{"Nome", "ANA"}});
        const QString attached = QDir(data_->dataFolder()).filePath("ATTACHED");
        Query query;
        query.setDatabaseName(kAliasVantejaVs2);
        query.setSql(QString(sql).replace("ATTACHED", attached));
        const QString error = errorOf([&] { query.open(); });
        QVERIFY2(!error.isEmpty(), "the query ran");
        QVERIFY(!query.active());
        QVERIFY(!QFile::exists(attached));
        QVERIFY(sqlite3_get_autocommit(handle()));
        QCOMPARE(stored("1"), 1);
        query.setSql("select Nome from c_cliente");
        query.open();
        QCOMPARE(query.recordCount(), 1);
    }

    // The engine's known failures in Portuguese, naming the file and what to do, the engine's words after.
    void engineFailuresInPortuguese_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("engine");
        QTest::newRow("not a database") << "not data"
                                        << "não é um arquivo de dados do Vanteja"
                                        << "[file is not a database]";
        QTest::newRow("malformed") << "malformed"
                                   << "está danificado. Restaure a última cópia"
                                   << "[database disk image is malformed]";
        QTest::newRow("read-only") << "read-only"
                                   << "somente para leitura"
                                   << "[attempt to write a readonly database]";
        QTest::newRow("locked") << "locked"
                                << "está bloqueado por outro programa"
                                << "[database is locked]";
    }
    void engineFailuresInPortuguese() {
        QFETCH(QString, damage);
        QFETCH(QString, message);
        QFETCH(QString, engine);
        sqlite3* other = nullptr;
        if (damage == "not data" || damage == "malformed") {
            QFile file(data_->dataFile());
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(damage == "not data" ? 0 : 4096);  // the header, or the first table's page
            file.write(QByteArray(4096, '\xff'));
        }
        Table view(kAliasVantejaVs2, "tbpagar");
        QString error = errorOf([&] {
            view.open();
            if (damage == "read-only")
                sqlite3_exec(handle(), "PRAGMA query_only=1", nullptr, nullptr, nullptr);
            if (damage == "locked") {
                sqlite3_open(data_->dataFile().toUtf8().constData(), &other);
                sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            }
            view.append();
            view.fieldByName("Nome").setValue("X");
            view.post();
        });
        sqlite3_close(other);
        QVERIFY2(error.contains(message) && error.contains(QDir::toNativeSeparators(data_->dataFile())) &&
                     error.endsWith(engine),
                 qPrintable(error));
    }

    // What was reported stored reaches the disk before the report.
    void commitsAreDurable() {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(handle(), "PRAGMA synchronous", -1, &stmt, nullptr);
        QCOMPARE(sqlite3_step(stmt), SQLITE_ROW);
        QCOMPARE(sqlite3_column_int(stmt, 0), 2);  // FULL
        sqlite3_finalize(stmt);
    }

    // The data file and the engine's files beside it are the owner's only, also one written by an older copy.
    void dataFilesAreOwnerOnly() {
        const QString file = data_->dataFile();
        QCOMPARE(othersAndGroup(file), QFileDevice::Permissions());
        addRow("c_cliente", {{"Nome", "ANA"}});
        for (const char* suffix : {"-wal", "-shm"}) {
            QVERIFY(QFile::exists(file + suffix));
            QCOMPARE(othersAndGroup(file + suffix), QFileDevice::Permissions());
        }
        Session::instance().database(kAliasVantejaVs2).disconnect();
        QFile::setPermissions(file, kOwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        Session::instance().database(kAliasVantejaVs2).connect();
        QCOMPARE(othersAndGroup(file), QFileDevice::Permissions());
    }

private:
    std::unique_ptr<TempData> data_;
};

QTEST_GUILESS_MAIN(SafetyTest)
#include "tst_safety.moc"
