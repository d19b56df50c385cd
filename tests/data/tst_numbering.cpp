// Numbering of new records: one above the highest Codigo the view shows, or 1.

#include <QtTest>

#include "Numbering.h"
#include "TempData.h"

class NumberingTest : public QObject {
    Q_OBJECT

private slots:
    void init() { data_ = std::make_unique<TempData>(); }
    void cleanup() { data_.reset(); }

    // Every numbered table, with the spelling its index on Codigo has.
    void emptyTableGivesOne_data() {
        QTest::addColumn<QString>("table");
        for (const char* table : {"tbpagar.db", "tbreceber.DB", "c_cliente.DB", "Tb_Emitente.db",
                                  "cadastro.db", "BD_NP.db", "tbfornecedor.db"})
            QTest::newRow(table) << table;
    }
    void emptyTableGivesOne() {
        QFETCH(QString, table);
        Table view(kAliasVantejaVs2, table);
        view.open();
        QCOMPARE(numberNewRecord(view), 1);
        QCOMPARE(view.state(), Dataset::State::Insert);
        QCOMPARE(view.fieldByName("Codigo").asInteger(), 1);
        view.post();
        QCOMPARE(view.recordCount(), 1);
        QCOMPARE(numberNewRecord(view), 2);
        view.post();
        QCOMPARE(view.recordCount(), 2);
    }

    void highestPlusOneDespiteGaps() {
        for (int code : {3, 41, 7})
            addRow("cadastro", {{"Codigo", code}});
        Table view(kAliasVantejaVs2, "cadastro");
        view.open();  // primary-key order: the current row has 3
        QCOMPARE(numberNewRecord(view), 42);
        QCOMPARE(view.indexName(), QString("byCodigo"));
        view.post();
        QCOMPARE(view.fieldByName("Codigo").displayText(), QString("000042"));
        view.first();
        QCOMPARE(view.fieldByName("Codigo").asInteger(), 3);  // the view is ordered by Codigo afterwards
    }

    // A current row without Codigo is never taken over: a new row is begun with 1.
    void currentRowWithoutCodeKeepsItsContents() {
        addRow("c_cliente", {{"Nome", "SEM CODIGO"}});
        addRow("c_cliente", {{"Nome", "COM CODIGO"}, {"Codigo", 5}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        QCOMPARE(view.fieldByName("Nome").asString(), QString("SEM CODIGO"));
        QCOMPARE(numberNewRecord(view), 1);
        view.fieldByName("Nome").setAsString("NOVO");
        view.post();
        QCOMPARE(view.recordCount(), 3);
        QVERIFY(view.locate("Nome", "SEM CODIGO"));
        QVERIFY(view.fieldByName("Codigo").isNull());
    }

    // The highest number is the highest the view shows, as filtered.
    void filteredViewCountsWhatItShows() {
        for (int code : {3, 41, 7})
            addRow("tbpagar", {{"Codigo", code}, {"Fantasia", code == 41 ? "OUTRA" : "LUZ"}});
        Table view(kAliasVantejaVs2, "tbpagar");
        view.open();
        view.setFilter("fantasia = 'LUZ'");
        view.setFiltered(true);
        QCOMPARE(numberNewRecord(view), 8);
    }

    void pendingChangeIsStoredBeforeNumbering() {
        addRow("Tb_Emitente", {{"Codigo", 1}, {"Nome", "A"}});
        Table view(kAliasVantejaVs2, "Tb_Emitente");
        view.open();
        view.edit();
        view.fieldByName("Nome").setAsString("ALTERADO");
        QCOMPARE(numberNewRecord(view), 2);
        view.cancel();
        view.first();
        QCOMPARE(view.fieldByName("Nome").asString(), QString("ALTERADO"));
        QCOMPARE(view.recordCount(), 1);
    }

    // Another user stores a bill between this user's "Nova" and "Gravar".
    void numberTakenMeanwhile_data() {
        QTest::addColumn<int>("theirs");
        QTest::addColumn<QString>("theirName");
        QTest::addColumn<int>("typed");
        QTest::addColumn<int>("stored");
        QTest::newRow("same number: the next one") << 42 << "LUZ" << 0 << 43;
        QTest::newRow("another number: kept") << 50 << "LUZ" << 0 << 42;
        QTest::newRow("outside the filter: kept") << 42 << "OUTRA" << 0 << 42;
        QTest::newRow("typed over: as typed") << 45 << "LUZ" << 45 << 45;
    }
    void numberTakenMeanwhile() {
        QFETCH(int, theirs);
        QFETCH(QString, theirName);
        QFETCH(int, typed);
        QFETCH(int, stored);
        for (int code : {3, 41})
            addRow("tbpagar", {{"Codigo", code}, {"Fantasia", "LUZ"}});
        Table view(kAliasVantejaVs2, "tbpagar");
        view.open();
        view.setFilter("fantasia = 'LUZ'");
        view.setFiltered(true);
        QCOMPARE(numberNewRecord(view), 42);
        if (typed) view.fieldByName("Codigo").setAsInteger(typed);
        view.fieldByName("Fantasia").setAsString("LUZ");
        data_->anotherProgram()->execute(
            QStringLiteral("INSERT INTO \"tbpagar\" (\"Codigo\", \"Fantasia\") VALUES (%1, '%2')")
                .arg(theirs)
                .arg(theirName));
        view.post();
        QCOMPARE(view.fieldByName("Codigo").asInteger(), stored);
    }

private:
    std::unique_ptr<TempData> data_;
};

QTEST_GUILESS_MAIN(NumberingTest)
#include "tst_numbering.moc"
