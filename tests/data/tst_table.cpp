// Table views: navigation, several views of one table, editing states, searches, bookmarks, fields.

#include <QSignalSpy>
#include <QtTest>

#include <sqlite3.h>

#include "FailingReRead.h"
#include "Sqlite.h"
#include "TempData.h"

namespace {

// Adds clients with these names and codes in this order.
void addClients(const QList<QPair<QString, int>>& clients) {
    for (const auto& [name, code] : clients)
        addRow("c_cliente.DB", {{"Nome", name}, {"Codigo", code}});
}

QStringList namesInOrder(Table& view) {
    QStringList names;
    for (view.first(); !view.eof(); view.next())
        names << view.fieldByName("Nome").asString();
    return names;
}

}  // namespace

class TableTest : public QObject {
    Q_OBJECT

    // Another program's store, once its news has come: a server's comes over the network, and is waited for
    // as the program's own event loop would.
    void storedByAnotherProgram(const QString& sql) {
        Database& books = Session::instance().database(kAliasVantejaVs2);
        const qint64 before = books.connection().dataVersion();
        data_->anotherProgram()->execute(sql);
        QTRY_VERIFY(books.connection().dataVersion() != before);
        books.lookForOthersStores();
    }

private slots:
    void init() { data_ = std::make_unique<TempData>(); }
    void cleanup() { data_.reset(); }

    void bofEofOnEmptyAndFilledViews() {
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        QVERIFY(view.bof() && view.eof() && view.isEmpty());
        QCOMPARE(view.recNo(), 0);
        view.next();
        view.prior();
        QVERIFY(view.bof() && view.eof());
        QVERIFY(view.fieldByName("Nome").isNull());
        view.close();

        addClients({{"ANA", 1}, {"BRUNO", 2}, {"CARLA", 3}});
        view.open();
        QVERIFY(view.bof() && !view.eof());
        QCOMPARE(view.fieldByName("Nome").asString(), QString("ANA"));
        view.prior();  // already on the first row
        QVERIFY(view.bof());
        QCOMPARE(view.recNo(), 1);
        view.next();
        QVERIFY(!view.bof() && !view.eof());
        view.last();
        QVERIFY(view.eof() && !view.bof());
        QCOMPARE(view.fieldByName("Nome").asString(), QString("CARLA"));
        view.prior();
        QVERIFY(!view.eof());
        QCOMPARE(view.recNo(), 2);
        view.next();
        view.next();  // past the last row: stays on it
        QVERIFY(view.eof());
        QCOMPARE(view.fieldByName("Nome").asString(), QString("CARLA"));
        QCOMPARE(namesInOrder(view), QStringList({"ANA", "BRUNO", "CARLA"}));
        QCOMPARE(view.recordCount(), 3);
    }

    void indexByAnySpellingOrKeyField() {
        addClients({{"CARLA", 1}, {"ANA", 3}, {"BRUNO", 2}});
        Table view(kAliasVantejaVs2, "c_cliente.db");
        view.open();
        for (const char* spelling : {"bynome", "Bynome", "ByNome", "BYNOME"}) {
            view.setIndexName(spelling);
            QCOMPARE(namesInOrder(view), QStringList({"ANA", "BRUNO", "CARLA"}));
        }
        view.setIndexName("bycodigo");
        QCOMPARE(namesInOrder(view), QStringList({"CARLA", "BRUNO", "ANA"}));
        view.setIndexName(QString());
        QCOMPARE(namesInOrder(view), QStringList({"CARLA", "ANA", "BRUNO"}));
        view.setIndexFieldNames("nome");
        QCOMPARE(view.indexFieldNames(), QString("Nome"));
        QCOMPARE(namesInOrder(view), QStringList({"ANA", "BRUNO", "CARLA"}));

        EXPECT_DATA_ERROR(view.setIndexName("porcidade"), "Índice 'porcidade' não encontrado");
        EXPECT_DATA_ERROR(view.setIndexFieldNames("Cidade"), "Cidade");
        QCOMPARE(view.indexName(), QString("bynome"));

        Table suppliers(kAliasVantejaVs2, "tbfornecedor.db");
        suppliers.setIndexFieldNames("Nome");
        suppliers.open();
        QVERIFY(suppliers.active());
    }

    void reindexKeepsCurrentRow() {
        addClients({{"CARLA", 1}, {"ANA", 2}, {"BRUNO", 3}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        view.next();  // ANA
        view.setIndexName("bynome");
        QCOMPARE(view.fieldByName("Nome").asString(), QString("ANA"));
        QCOMPARE(view.recNo(), 1);
    }

    void viewsAreIndependent() {
        addClients({{"CARLA", 1}, {"ANA", 2}, {"BRUNO", 3}});
        Table a(kAliasVantejaVs2, "c_cliente");
        Table b(kAliasVantejaVs2, "c_cliente");
        a.open();
        b.setIndexName("bynome");
        b.open();
        b.setFilter("Nome = 'B*'");
        b.setFiltered(true);
        a.last();
        QCOMPARE(a.fieldByName("Nome").asString(), QString("BRUNO"));
        QCOMPARE(b.fieldByName("Nome").asString(), QString("BRUNO"));
        QCOMPARE(a.recordCount(), 3);
        QCOMPARE(b.recordCount(), 1);

        // A change stored through one view is seen by another when that one re-reads.
        a.first();
        a.edit();
        a.fieldByName("Nome").setAsString("BEATRIZ");
        a.post();
        QCOMPARE(b.recordCount(), 1);
        b.refresh();
        QCOMPARE(namesInOrder(b), QStringList({"BEATRIZ", "BRUNO"}));

        // Moving onto a row reads it as stored now.
        Table c(kAliasVantejaVs2, "c_cliente");
        c.open();
        a.last();
        a.edit();
        a.fieldByName("Cidade").setAsString("RECIFE");
        a.post();
        c.last();
        QCOMPARE(c.fieldByName("Cidade").asString(), QString("RECIFE"));

        // A row deleted through another view is skipped when this one moves onto it.
        Table d(kAliasVantejaVs2, "c_cliente");
        d.open();
        a.first();
        a.next();
        a.remove();
        d.next();
        QCOMPARE(d.recordCount(), 2);
        QVERIFY(!d.fieldByName("Nome").isNull());
        QVERIFY(d.fieldByName("Nome").asString() != QString("ANA"));
    }

    void editOnEmptyViewInserts() {
        Table view(kAliasVantejaVs2, "logo.db");
        view.open();
        QSignalSpy inserted(&view, &Dataset::afterInsert);
        view.edit();
        QCOMPARE(view.state(), Dataset::State::Insert);
        QCOMPARE(inserted.count(), 1);
        QVERIFY(view.fieldByName("Chave").isNull());
        view.fieldByName("End").setAsString("/tmp/logo.png");
        view.post();
        QCOMPARE(view.state(), Dataset::State::Browse);
        QCOMPARE(view.recordCount(), 1);
        QVERIFY(view.fieldByName("Chave").asInteger() > 0);  // given on post

        // With a row present, edit changes that row.
        view.edit();
        QCOMPARE(view.state(), Dataset::State::Edit);
        view.fieldByName("End").clear();
        view.post();
        QCOMPARE(view.recordCount(), 1);
        QVERIFY(view.fieldByName("End").isNull());
    }

    void movingStoresPendingChanges() {
        addClients({{"ANA", 1}, {"BRUNO", 2}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        QSignalSpy posted(&view, &Dataset::afterPost);
        QSignalSpy scrolled(&view, &Dataset::afterScroll);
        view.edit();
        view.fieldByName("Cidade").setAsString("NATAL");
        view.next();
        QCOMPARE(posted.count(), 1);
        QCOMPARE(scrolled.count(), 1);
        QCOMPARE(view.state(), Dataset::State::Browse);
        view.first();
        QCOMPARE(view.fieldByName("Cidade").asString(), QString("NATAL"));

        // An edit that changed nothing is left quietly.
        view.edit();
        view.next();
        QCOMPARE(posted.count(), 1);

        // Re-filtering and re-indexing store first too.
        view.edit();
        view.fieldByName("Cidade").setAsString("CRATO");
        view.setFilter("Cidade = 'CRATO'");
        view.setFiltered(true);
        QCOMPARE(view.recordCount(), 1);
        QCOMPARE(view.fieldByName("Nome").asString(), QString("BRUNO"));
        view.edit();
        view.fieldByName("Bairro").setAsString("CENTRO");
        view.setIndexName("bynome");
        QCOMPARE(posted.count(), 3);

        // A new row with nothing typed is dropped on the move.
        view.setFiltered(false);
        view.insert();
        view.first();
        QCOMPARE(view.recordCount(), 2);
    }

    void controlsHandOverTextBeforeStore() {
        addClients({{"ANA", 1}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        // A control that is still being typed in gives its text when the record is stored.
        connect(&view, &Dataset::updateRecord, &view,
                [&view] { view.fieldByName("Bairro").setAsString("SÉ"); });
        view.edit();
        view.next();
        view.first();
        QCOMPARE(view.fieldByName("Bairro").asString(), QString::fromUtf8("SÉ"));
    }

    void cancelAndCloseLoseChanges() {
        addClients({{"ANA", 1}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        view.edit();
        view.fieldByName("Nome").setAsString("OUTRA");
        QCOMPARE(view.fieldByName("Nome").asString(), QString("OUTRA"));
        view.cancel();
        QCOMPARE(view.fieldByName("Nome").asString(), QString("ANA"));

        view.insert();
        view.fieldByName("Nome").setAsString("NOVA");
        view.cancel();
        QCOMPARE(view.recordCount(), 1);
        QCOMPARE(view.fieldByName("Nome").asString(), QString("ANA"));

        view.edit();
        view.fieldByName("Nome").setAsString("PERDIDA");
        view.close();
        view.open();
        QCOMPARE(view.fieldByName("Nome").asString(), QString("ANA"));
    }

    void deleteMovesToNeighbour() {
        addClients({{"ANA", 1}, {"BRUNO", 2}, {"CARLA", 3}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        QSignalSpy deleted(&view, &Dataset::afterDelete);
        view.next();
        view.remove();
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(view.recordCount(), 2);
        QCOMPARE(view.fieldByName("Nome").asString(), QString("CARLA"));
        view.remove();
        QCOMPARE(view.fieldByName("Nome").asString(), QString("ANA"));
        view.remove();
        QVERIFY(view.isEmpty() && view.bof() && view.eof());
        EXPECT_DATA_ERROR(view.remove(), "vazia");
        // Delete while inserting drops the new row.
        view.insert();
        view.fieldByName("Nome").setAsString("X");
        view.remove();
        QVERIFY(view.isEmpty());
        QCOMPARE(view.state(), Dataset::State::Browse);
    }

    void findNearestOnCurrentIndex() {
        for (const char* name : {"LUZ", "ALUGUEL", "LUZ ELETRICA", "TELEFONE", "GAS"})
            addRow("tbpagar", {{"Fantasia", name}});
        Table view(kAliasVantejaVs2, "tbpagar");
        view.setIndexName("byfantasia");
        view.open();
        view.last();
        QVERIFY(view.findNearest("LU"));
        QCOMPARE(view.fieldByName("Fantasia").asString(), QString("LUZ"));
        QVERIFY(view.findNearest("LUZ "));
        QCOMPARE(view.fieldByName("Fantasia").asString(), QString("LUZ ELETRICA"));
        QVERIFY(view.findNearest("H"));
        QCOMPARE(view.fieldByName("Fantasia").asString(), QString("LUZ"));
        QVERIFY(!view.findNearest("luz"));  // lower case sorts after every capital
        QCOMPARE(view.recNo(), view.recordCount());
        QVERIFY(!view.findNearest("ZZZ"));  // past every key: the last row
        QCOMPARE(view.fieldByName("Fantasia").asString(), QString("TELEFONE"));
        QVERIFY(view.findNearest(""));
        QCOMPARE(view.fieldByName("Fantasia").asString(), QString("ALUGUEL"));

        // Numeric key: the typed text is read as a number, not compared as text.
        addClients({{"A", 9}, {"B", 10}, {"C", 100}});
        Table clients(kAliasVantejaVs2, "c_cliente");
        clients.setIndexName("byCodigo");
        clients.open();
        QVERIFY(clients.findNearest("10"));
        QCOMPARE(clients.fieldByName("Nome").asString(), QString("B"));
        QVERIFY(clients.findNearest("11"));
        QCOMPARE(clients.fieldByName("Nome").asString(), QString("C"));
        EXPECT_DATA_ERROR(clients.findNearest("dez"), "não é um valor numérico válido");

        // Only rows that pass the filter are candidates.
        view.setFilter("fantasia <> 'LUZ'");
        view.setFiltered(true);
        QVERIFY(view.findNearest("LUZ"));
        QCOMPARE(view.fieldByName("Fantasia").asString(), QString("LUZ ELETRICA"));
    }

    void locateByField() {
        addClients({{"ANA", 1}, {"bruno", 2}, {"BRUNO", 3}, {"CARLA", 4}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        QVERIFY(view.locate("nome", "BRUNO"));
        QCOMPARE(view.fieldByName("Codigo").asInteger(), 3);
        QVERIFY(!view.locate("Nome", "BRU"));
        QCOMPARE(view.fieldByName("Codigo").asInteger(), 3);  // stays put
        view.first();
        QVERIFY(view.locate("Nome", "BRU", Table::PartialKey));
        QCOMPARE(view.fieldByName("Codigo").asInteger(), 3);
        view.last();
        QVERIFY(view.locate("Nome", "Bruno", Table::CaseInsensitive));
        QCOMPARE(view.fieldByName("Codigo").asInteger(), 2);
        addClients({{QString::fromUtf8("JOÃO"), 5}});
        QVERIFY(view.locate("Nome", QString::fromUtf8("joão"), Table::CaseInsensitive));  // accents fold too
        QCOMPARE(view.fieldByName("Codigo").asInteger(), 5);
        QVERIFY(view.locate("Codigo", 4));
        QCOMPARE(view.fieldByName("Nome").asString(), QString("CARLA"));
        QVERIFY(view.locate("Cidade", QVariant()));  // blank matches blank
        EXPECT_DATA_ERROR(view.locate("Nada", "X"), "Campo 'Nada' não encontrado");
    }

    // Searches land where a walk through the view in its order says they should, with repeated and blank
    // keys, on every kind of order and with or without a filter.
    void searchesFollowTheViewOrder_data() {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("filter");
        QTest::newRow("row key") << ""
                                 << "";
        QTest::newRow("reference") << "byfantasia"
                                   << "";
        QTest::newRow("reference, unpaid") << "byfantasia"
                                           << "datapagamento < '01/01/1990'";
        QTest::newRow("due date, up to a day") << "Bydataven"
                                               << "datavencimento <= '20/01/2025'";
        QTest::newRow("due date, a range")
            << "Bydataven"
            << "datavencimento >= '05/01/2025' and datavencimento <= '25/01/2025'";
    }
    void searchesFollowTheViewOrder() {
        QFETCH(QString, index);
        QFETCH(QString, filter);
        const QStringList references = {"AGUA", "GAS", "LUZ", "", "ALUGUEL"};
        for (int i = 0; i < 150; ++i)
            addRow("tbpagar",
                   {{"Fantasia", references[(i * 7) % references.size()]},
                    {"Nome", QStringLiteral("CREDOR %1").arg(i % 11)},
                    {"DataVencimento", i % 13 == 0 ? QVariant() : QVariant(QDate(2025, 1, 1 + i % 30))},
                    {"DataPagamento", i % 3 == 0 ? QVariant() : QVariant(QDate(2025, 2, 1))}});
        Table view(kAliasVantejaVs2, "tbpagar");
        view.setIndexName(index);
        view.setFilter(filter);
        view.setFiltered(!filter.isEmpty());
        view.open();
        QVector<Bookmark> marks;
        QStringList references_, names;
        QVector<QDate> dues;
        for (view.first(); !view.eof(); view.next()) {
            marks << view.bookmark();
            references_ << view.fieldByName("Fantasia").asString();
            names << view.fieldByName("Nome").asString();
            dues << view.fieldByName("DataVencimento").asDate();
        }
        QVERIFY(marks.size() > 20);
        // Backwards the same rows come in the opposite order.
        int back = int(marks.size());
        for (view.last(); !view.bof(); view.prior())
            QCOMPARE(view.bookmark(), marks[--back]);
        QCOMPARE(back, 0);
        for (int i = marks.size() - 1; i >= 0; i -= 7) {
            QVERIFY(view.gotoBookmark(marks[i]));
            QCOMPARE(view.recNo(), i + 1);
        }
        for (const QString& name : QStringList{"CREDOR 0", "CREDOR 7", "CREDOR 10"}) {
            QVERIFY(view.locate("Nome", name));
            QCOMPARE(view.recNo(), int(names.indexOf(name)) + 1);
        }
        if (index == "byfantasia") {
            for (const QString& typed : QStringList{"A", "AL", "GAS", "H", "LUZ"}) {
                int expected = 0;
                while (expected < references_.size() &&
                       (references_[expected].isEmpty() || references_[expected] < typed))
                    ++expected;
                QVERIFY(view.findNearest(typed));
                QCOMPARE(view.recNo(), expected + 1);
            }
            QVERIFY(!view.findNearest("Z"));
            QCOMPARE(view.recNo(), marks.size());
        }
        if (index == "Bydataven") {
            const QDate typed(2025, 1, 12);
            int expected = 0;
            while (!dues[expected].isValid() || dues[expected] < typed)
                ++expected;
            QVERIFY(view.findNearest(typed));
            QCOMPARE(view.recNo(), expected + 1);
        }
    }

    // A run of moves reads rows ahead; a row stored meanwhile through another view is seen as stored.
    void runOfMovesSeesRowsStoredMeanwhile() {
        for (int i = 0; i < 10; ++i)
            addRow("tbpagar", {{"Fantasia", QStringLiteral("CONTA %1").arg(i)}});
        Table walker(kAliasVantejaVs2, "tbpagar");
        walker.open();
        walker.next();
        walker.next();
        Table other(kAliasVantejaVs2, "tbpagar");
        other.open();
        for (const int row : {5, 1}) {
            other.setRecNo(row + 1);
            other.edit();
            other.fieldByName("Fantasia").setValue(QStringLiteral("MUDADA %1").arg(row));
            other.post();
        }
        while (walker.recNo() < 6)
            walker.next();
        QCOMPARE(walker.fieldByName("Fantasia").asString(), QString("MUDADA 5"));
        while (walker.recNo() > 2)
            walker.prior();
        QCOMPARE(walker.fieldByName("Fantasia").asString(), QString("MUDADA 1"));
        other.setRecNo(4);
        other.remove();
        walker.first();
        QStringList seen;
        for (; !walker.eof(); walker.next())
            seen << walker.fieldByName("Fantasia").asString();
        QCOMPARE(seen.size(), 9);
        QVERIFY(!seen.contains("CONTA 3"));
        // Another program's change, once its news has come, is not hidden by rows read ahead before it.
        walker.first();
        walker.next();
        storedByAnotherProgram("UPDATE \"tbpagar\" SET \"Fantasia\" = 'DE OUTRO'");
        walker.next();
        QCOMPARE(walker.fieldByName("Fantasia").asString(), QString("DE OUTRO"));
    }

    // Showing all rows again between filters reuses what was read, but never past a change stored by this
    // program or by another one on the same file.
    void rowsReadAgainAfterAnyStore() {
        addClients({{"ANA", 1}, {"BRUNO", 2}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.setIndexName("bynome");
        view.open();
        auto toggled = [&view] {
            view.setFilter("Nome = 'A*'");
            view.setFiltered(true);
            const int some = view.recordCount();
            view.setFiltered(false);
            return QStringLiteral("%1/%2").arg(some).arg(view.recordCount());
        };
        QCOMPARE(toggled(), QString("1/2"));

        Table other(kAliasVantejaVs2, "c_cliente");
        other.open();
        other.append();
        other.fieldByName("Nome").setAsString("ALICE");
        other.post();
        QCOMPARE(toggled(), QString("2/3"));
        QCOMPARE(namesInOrder(view), QStringList({"ALICE", "ANA", "BRUNO"}));

        data_->anotherProgram()->execute(
            "INSERT INTO \"c_cliente\" (\"Nome\", \"Codigo\") VALUES ('AMANDA', 4)");
        // A server tells of another's store a moment after it is made.
        QTRY_COMPARE(toggled(), QString("3/4"));
        QCOMPARE(namesInOrder(view), QStringList({"ALICE", "AMANDA", "ANA", "BRUNO"}));

        // Rows read inside a transaction that is then rolled back are not taken for stored ones.
        Connection& db = Session::instance().database(kAliasVantejaVs2).connection();
        db.execute("BEGIN");
        view.append();
        view.fieldByName("Nome").setAsString("ABEL");
        view.post();
        QCOMPARE(view.recordCount(), 5);
        db.execute("ROLLBACK");
        view.refresh();
        QCOMPARE(view.recordCount(), 4);
    }

    // A row is found among the view's keys in the order SQLite gives them: letter case of A-Z folded only
    // where the index says so, accents by their bytes, blanks first, ties by row key, and the same again when
    // the values looked at before are remembered.
    void rowPlacedAsTheIndexOrders_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariantList>("values");
        const QVariantList names = {"álvaro", "Álvaro", "ALVARO", "alvaro", "Alvaro2", "ZÉ",
                                    "zé",     "_x",     "[x",     "a b",    "ab",      QVariant(),
                                    "10",     "9",      "ÁLVARO", "alvaro"};
        QTest::newRow("texto") << "tbpagar"
                               << "byfantasia"
                               << "Fantasia" << names;
        QTest::newRow("texto sem caixa") << "BD_NP"
                                         << "ByPagarei"
                                         << "Pagarei" << names;
        QTest::newRow("data") << "tbpagar"
                              << "Bydataven"
                              << "DataVencimento"
                              << QVariantList{QDate(2020, 5, 1), QVariant(), QDate(1989, 12, 31),
                                              QDate(2020, 5, 1), QVariant(), QDate(2001, 1, 10)};
        QTest::newRow("número") << "tbpagar"
                                << "byCodigo"
                                << "Codigo" << QVariantList{12, -3, 7, 12, QVariant(), 0, 100, 7};
    }
    void rowPlacedAsTheIndexOrders() {
        QFETCH(QString, table);
        QFETCH(QString, index);
        QFETCH(QString, field);
        QFETCH(QVariantList, values);
        for (const QVariant& value : values)
            addRow(table, {{field, value}});
        Table view(kAliasVantejaVs2, table);
        view.setIndexName(index);
        view.open();
        QCOMPARE(view.recordCount(), values.size());
        QList<Bookmark> marks;
        for (view.first(); !view.eof(); view.next())
            marks << view.bookmark();
        for (int pass = 0; pass < 2; ++pass)
            for (int row = 0; row < marks.size(); ++row) {
                view.setRecNo(row % 2 ? 1 : marks.size());
                QVERIFY(view.gotoBookmark(marks[row]));
                QCOMPARE(view.recNo(), row + 1);
            }
    }

    // "Gravar" over a row another user changed or deleted since this one began editing is refused with what
    // to do; the typed values stay and the other user's change stays stored. A change elsewhere is no bar.
    void storeOverAnotherUsersChange_data() {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("stored");
        QTest::newRow("nobody else") << ""
                                     << ""
                                     << "ANITA";
        QTest::newRow("the same row changed")
            << "UPDATE \"c_cliente\" SET \"Nome\" = 'OUTRA' WHERE \"Codigo\" = 1"
            << "Este registro foi alterado por outro usuário"
            << "OUTRA";
        QTest::newRow("a blank filled in")
            << "UPDATE \"c_cliente\" SET \"Cidade\" = 'SANTOS' WHERE \"Codigo\" = 1"
            << "Este registro foi alterado por outro usuário"
            << "ANA";
        QTest::newRow("the row deleted") << "DELETE FROM \"c_cliente\" WHERE \"Codigo\" = 1"
                                         << "O registro foi excluído"
                                         << "";
        QTest::newRow("another row changed")
            << "UPDATE \"c_cliente\" SET \"Nome\" = 'OUTRO' WHERE \"Codigo\" = 2"
            << ""
            << "ANITA";
    }
    void storeOverAnotherUsersChange() {
        QFETCH(QString, meanwhile);
        QFETCH(QString, refusal);
        QFETCH(QString, stored);
        addClients({{"ANA", 1}, {"BRUNO", 2}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        view.edit();
        view.fieldByName("Nome").setAsString("ANITA");
        if (!meanwhile.isEmpty()) data_->anotherProgram()->execute(meanwhile);
        QCOMPARE(errorOf([&] { view.post(); }).section('.', 0, 0).left(refusal.size()), refusal);
        if (!refusal.isEmpty()) {
            QCOMPARE(view.state(), Dataset::State::Edit);
            QCOMPARE(view.fieldByName("Nome").asString(), QString("ANITA"));
            view.cancel();
        }
        Table fresh(kAliasVantejaVs2, "c_cliente");
        fresh.open();
        QCOMPARE(fresh.locate("Codigo", 1) ? fresh.fieldByName("Nome").asString() : QString(), stored);
    }

    // A row stored or deleted through the view lands where a fresh read of the same rows puts it, with the
    // same total, whatever the order and filter, and also when another program stored in between.
    void storedRowInItsPlace_data() {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("action");
        for (const char* index : {"", "byfantasia", "Bydataven"})
            for (const char* filter : {"", "Fantasia = 'a*'", "datapagamento <'01/01/1990'"})
                for (const char* action : {"insert", "edit", "remove", "outside"})
                    QTest::addRow("%s %s %s", index, filter, action) << index << filter << action;
    }
    void storedRowInItsPlace() {
        QFETCH(QString, index);
        QFETCH(QString, filter);
        QFETCH(QString, action);
        const QVariant unpaid;
        const QVariant old(QDate(1980, 1, 1));
        const QVariant paid(QDate(2015, 6, 1));
        const QList<QPair<QVariant, QVariant>> rows = {
            {"amora", unpaid}, {"ABACATE", paid}, {"Banana", old},     {QVariant(), unpaid},
            {"AMEIXA", old},   {"CAJU", paid},    {"abacate", unpaid}, {"ANANAS", old}};
        for (int i = 0; i < rows.size(); ++i)
            addRow("tbpagar", {{"Codigo", i + 1},
                               {"Fantasia", rows[i].first},
                               {"DataPagamento", rows[i].second},
                               {"DataVencimento", i % 3 ? QVariant(QDate(2020, 1, 9 - i)) : QVariant()},
                               {"Valordocumento", 10.01 * (i + 1)}});
        auto opened = [&](Table& view) {
            view.setIndexName(index);
            view.setFilter(filter);
            view.setFiltered(!filter.isEmpty());
            view.open();
        };
        auto keys = [](Table& view) {
            QList<qint64> all;
            for (int row = 0; row < view.recordCount(); ++row)
                all << view.keyAt(row);
            return all;
        };
        Table view(kAliasVantejaVs2, "tbpagar");
        opened(view);
        const Money before = view.sum("Valordocumento");
        QVERIFY(before.text() != "0,00");
        view.first();
        view.next();
        if (action == "remove") {
            view.remove();
        } else {
            if (action == "outside") {
                // Stored by another program, and told to this one (at once by the file, soon by a server).
                storedByAnotherProgram("INSERT INTO \"tbpagar\" (\"Codigo\", \"Fantasia\", "
                                       "\"Valordocumento\") VALUES (50, 'ABOBORA', 3.5)");
            }
            if (action == "edit") {
                view.edit();
                view.fieldByName("DataPagamento").setValue(paid);
            } else {
                view.insert();
                view.fieldByName("Codigo").setAsInteger(99);
            }
            view.fieldByName("Fantasia").setAsString("Abacaxi");
            view.fieldByName("DataVencimento").setValue(QDate(2020, 1, 5));
            view.fieldByName("Valordocumento").setAsFloat(0.07);
            view.post();
        }
        Table fresh(kAliasVantejaVs2, "tbpagar");
        opened(fresh);
        QCOMPARE(keys(view), keys(fresh));
        QCOMPARE(view.sum("Valordocumento").text(), fresh.sum("Valordocumento").text());
        if (action != "remove" && fresh.locate("Fantasia", "Abacaxi"))
            QCOMPARE(view.keyAt(view.recNo() - 1), fresh.keyAt(fresh.recNo() - 1));
    }

    void bookmarks() {
        addClients({{"ANA", 1}, {"BRUNO", 2}, {"CARLA", 3}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        view.next();
        const Bookmark mark = view.bookmark();
        QVERIFY(mark.isValid());
        view.disableControls();
        QSignalSpy changed(&view, &Dataset::dataChanged);
        double codes = 0;
        for (view.first(); !view.eof(); view.next())
            codes += view.fieldByName("Codigo").asFloat();
        QVERIFY(view.gotoBookmark(mark));
        QCOMPARE(changed.count(), 0);
        view.enableControls();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(codes, 6.0);
        QCOMPARE(view.fieldByName("Nome").asString(), QString("BRUNO"));

        view.remove();
        QVERIFY(!view.gotoBookmark(mark));
        QVERIFY(!Table(kAliasVantejaVs2, "c_cliente").bookmark().isValid());
    }

    void fieldsByNameWithTypesFormatsAndSizes() {
        Table view(kAliasVantejaVs2, "tbpagar.DB");
        view.open();
        view.insert();
        view.fieldByName("FANTASIA").setAsString(QString(40, 'X'));  // String(30)
        view.fieldByName("nome").setAsString("");
        view.fieldByName("Codigo").setAsInteger(41);
        view.fieldByName("Valordocumento").setAsString("1.234,5");
        view.fieldByName("DataVencimento").setAsString("05/02/2025");
        view.fieldByName("DataPagamento").setAsString("  /  /    ");
        view.fieldByName("Intrucao").setAsString(QString(100, 'm'));  // a memo is not cut
        view.post();

        Table check(kAliasVantejaVs2, "tbpagar");
        check.open();
        QCOMPARE(check.fieldByName("Fantasia").asString(), QString(30, 'X'));
        QVERIFY(check.fieldByName("Nome").isNull());  // empty text is blank
        QVERIFY(check.fieldByName("DataPagamento").isNull());
        QCOMPARE(check.fieldByName("DataVencimento").asDate(), QDate(2025, 2, 5));
        QCOMPARE(check.fieldByName("DataVencimento").displayText(), QString("05/02/2025"));
        QCOMPARE(check.fieldByName("Intrucao").asString().size(), 100);
        QCOMPARE(check.fieldByName("Codigo").displayText(), QString("000041"));
        QCOMPARE(check.fieldByName("Valordocumento").asFloat(), 1234.5);
        QCOMPARE(check.fieldByName("Valordocumento").displayText(), QString("1234,50"));
        check.fieldByName("Valordocumento").setDisplayFormat("###,##0.00");
        QCOMPARE(check.fieldByName("Valordocumento").displayText(), QString("1.234,50"));
        QCOMPARE(check.fieldByName("Valordocumento").asString(), QString("1234,5"));
        QCOMPARE(check.fieldByName("DataChequeTerc").editMask(), QString("99/99/9999"));
        QCOMPARE(Table(kAliasVantejaVs2, "c_cliente").fieldByName("Cep").editMask(),
                 QString("00000\\-999;1;_"));
        QCOMPARE(Table(kAliasVantejaVs2, "tbfornecedor").fieldByName("Codigo").displayFormat(),
                 QString("0000"));
        EXPECT_DATA_ERROR(check.fieldByName("Nada"), "Campo 'Nada' não encontrado");

        // Values go in only while editing, never into the row key, and a bad text changes nothing.
        EXPECT_DATA_ERROR(check.fieldByName("Nome").setAsString("X"), "modo de edição");
        check.edit();
        EXPECT_DATA_ERROR(check.fieldByName("Chave").setAsInteger(7), "não pode ser alterado");
        check.fieldByName("Nome").setAsString("CEMIG");
        EXPECT_DATA_ERROR(check.fieldByName("Valordocumento").setAsString("abc"),
                          "não é um valor numérico válido");
        EXPECT_DATA_ERROR(check.fieldByName("DataVencimento").setAsString("31/02/2025"),
                          "não é uma data válida");
        QCOMPARE(check.state(), Dataset::State::Edit);
        QCOMPARE(check.fieldByName("Nome").asString(), QString("CEMIG"));
        QCOMPARE(check.fieldByName("Valordocumento").asFloat(), 1234.5);
        check.post();
        QCOMPARE(check.fieldByName("DataVencimento").asDate(), QDate(2025, 2, 5));
    }

    void fieldNamesWithAccentsAndSpaces() {
        Table clients(kAliasVantejaVs2, "c_cliente");
        clients.open();
        clients.insert();
        clients.fieldByName("ENDEREÇO").setAsString("RUA A");
        clients.post();
        QCOMPARE(clients.fieldByName("endereço").asString(), QString("RUA A"));
        Table receipts(kAliasVantejaVs2, "cadastro");
        receipts.open();
        receipts.insert();
        receipts.fieldByName("dia MES").setAsString("10 de março de 2025");
        receipts.fieldByName("Nendereço").setAsString("X");
        receipts.post();
        QCOMPARE(receipts.fieldByName("Dia mes").asString(), QString::fromUtf8("10 de março de 2025"));
        Table notes(kAliasVantejaVs2, "BD_NP");
        notes.open();
        notes.insert();
        notes.fieldByName("Data extenso").setAsString("HOJE");
        notes.post();
        QCOMPARE(notes.fieldByName("DATA EXTENSO").asString(), QString("HOJE"));
    }

    void eventsOfTheEditingCycle() {
        Table view(kAliasVantejaVs2, "c_cliente");
        QStringList events;
        const QList<std::pair<void (Dataset::*)(), const char*>> signalsToWatch = {
            {&Dataset::beforeInsert, "beforeInsert"}, {&Dataset::afterInsert, "afterInsert"},
            {&Dataset::beforeEdit, "beforeEdit"},     {&Dataset::afterEdit, "afterEdit"},
            {&Dataset::beforePost, "beforePost"},     {&Dataset::afterPost, "afterPost"},
            {&Dataset::beforeCancel, "beforeCancel"}, {&Dataset::afterCancel, "afterCancel"},
            {&Dataset::beforeDelete, "beforeDelete"}, {&Dataset::afterDelete, "afterDelete"},
            {&Dataset::afterScroll, "afterScroll"},   {&Dataset::afterOpen, "afterOpen"},
        };
        for (const auto& [signal, name] : signalsToWatch)
            connect(&view, signal, &view, [&events, name = QString(name)] { events << name; });
        view.open();
        view.insert();
        view.fieldByName("Nome").setAsString("ANA");
        view.post();
        view.edit();
        view.cancel();
        view.remove();
        QCOMPARE(events,
                 QStringList({"afterOpen", "afterScroll", "beforeInsert", "afterInsert", "afterScroll",
                              "beforePost", "afterPost", "beforeEdit", "afterEdit", "beforeCancel",
                              "afterCancel", "beforeDelete", "afterDelete", "afterScroll"}));
    }

    void sumOfFilteredRows() {
        addRow("tbreceber", {{"Valordocumento", 100.0}, {"Fantasia", "A"}});
        addRow("tbreceber", {{"Valordocumento", 50.5}, {"Fantasia", "A"}});
        addRow("tbreceber", {{"Fantasia", "A"}});  // blank amount counts 0
        addRow("tbreceber", {{"Valordocumento", 7.0}, {"Fantasia", "B"}});
        Table view(kAliasVantejaVs2, "tbreceber.DB");
        view.open();
        view.setFilter("Fantasia = 'A'");
        view.setFiltered(true);
        QCOMPARE(view.sum("valordocumento").toDouble(), 150.5);
        view.edit();
        view.fieldByName("Valordocumento").setAsFloat(1.0);
        QCOMPARE(view.sum("Valordocumento").toDouble(), 51.5);  // the pending change is stored first
    }

    // A few rows whose filter no index covers are totalled by their keys, in batches; a row another program
    // stored since the keys were read still counts.
    void sumOfFewRowsByTheirKeys() {
        for (const int rows : {1, 500, 1201}) {
            data_->anotherProgram()->execute(
                QStringLiteral("DELETE FROM \"tbpagar\"; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                               "FROM n WHERE i < %1) INSERT INTO \"tbpagar\" (\"Nome\", \"Valordocumento\") "
                               "SELECT CASE WHEN i % 3 = 0 THEN 'Y' ELSE 'X' END, i * 0.25 FROM n")
                    .arg(rows * 3 / 2 + 1));
            Table view(kAliasVantejaVs2, "tbpagar");
            view.setFilter("Nome = 'X'");
            view.setFiltered(true);
            view.open();
            qint64 quarters = 0;
            for (int i = 1; i <= rows * 3 / 2 + 1; ++i)
                if (i % 3) quarters += i;
            QCOMPARE(view.sum("Valordocumento").centavos(), quarters * 25);
            storedByAnotherProgram(
                "INSERT INTO \"tbpagar\" (\"Nome\", \"Valordocumento\") VALUES ('X', 1000)");
            QCOMPARE(view.sum("Valordocumento").centavos(), quarters * 25 + 100000);
        }
    }

    // Every total: the exact sum of the amounts as typed, rounded once to the centavo, half away from zero.
    // The same through the engine's aggregate (whole table, and an unpaid filter that reads the blank
    // payment dates apart) as through MoneySum, as a walk over the rows would add them.
    void totalsFollowOneRule_data() {
        QTest::addColumn<QList<double>>("amounts");
        QTest::addColumn<QString>("text");
        QTest::newRow("grouped") << QList<double>{1234.5} << "1.234,50";
        QTest::newRow("float noise") << QList<double>{0.1, 0.2, -0.3} << "0,00";
        QTest::newRow("negative noise, never -0,00") << QList<double>{-0.004} << "0,00";
        QTest::newRow("negative") << QList<double>{-49.5} << "-49,50";
        QTest::newRow("sum of cents") << QList<double>{0.1, 0.1, 0.1} << "0,30";
        QTest::newRow("half a centavo") << QList<double>{0.005} << "0,01";
        QTest::newRow("half a centavo below zero") << QList<double>{-77.875} << "-77,88";
        QTest::newRow("agua: adds to 2.853,335") << QList<double>{1000.115, 853.11, 1000.11} << "2.853,34";
        QTest::newRow("61.040,715") << QList<double>{61040.715} << "61.040,72";
        QTest::newRow("77,875") << QList<double>{70.5, 7.375} << "77,88";
        QTest::newRow("13.178,475") << QList<double>{13178.475} << "13.178,48";
        QTest::newRow("three thirds of 100") << QList<double>{100.0 / 3, 100.0 / 3, 100.0 / 3} << "100,00";
        QTest::newRow("largest listing total") << QList<double>{999999999.99} << "999.999.999,99";
        QTest::newRow("blank only") << QList<double>{} << "0,00";
        QTest::newRow("amounts coarser than a millionth")
            << QList<double>(5, 999999999999.99) << "4.999.999.999.999,95";
        QTest::newRow("a large amount's half centavo")
            << QList<double>{12345678901.005} << "12.345.678.901,01";
    }
    void totalsFollowOneRule() {
        QFETCH(QList<double>, amounts);
        QFETCH(QString, text);
        MoneySum walked;
        for (int i = 0; i < amounts.size(); ++i) {
            walked.add(amounts[i]);
            addRow("tbpagar", {{"Codigo", i + 1},
                               {"Valordocumento", amounts[i]},
                               {"DataPagamento", i % 2 ? QVariant(QDate(1980, 1, 1)) : QVariant()}});
        }
        addRow("tbpagar", {{"Codigo", 999}});  // a blank amount counts 0
        QCOMPARE(walked.total().text(), text);
        Table view(kAliasVantejaVs2, "tbpagar.db");
        view.open();
        QCOMPARE(view.sum("Valordocumento").text(), text);
        Table totalled(kAliasVantejaVs2, "tbpagar.db");  // added up while its keys are read
        totalled.setTotalField("Valordocumento");
        totalled.open();
        QCOMPARE(totalled.sum("Valordocumento").text(), text);
        view.setFilter("datapagamento <'01/01/1990'");
        view.setFiltered(true);
        QCOMPARE(view.sum("Valordocumento").text(), text);
    }

    // A write whose re-read fails is undone and the record stays as typed: two failed stores, then one that
    // succeeds, leave exactly one row, and an edit likewise changes its row once.
    void failedReReadStoresNothing_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("refused") << int(FailingReRead::Refused);
        QTest::newRow("interrupted") << int(FailingReRead::Interrupted);
    }
    void failedReReadStoresNothing() {
        QFETCH(int, way);
        if (TempData::onPostgres()) QSKIP("the failing read is made by the data file's own engine");
        addRow("tbpagar", {{"Codigo", 1}, {"Nome", "ANTES"}});
        Table view(kAliasVantejaVs2, "tbpagar");
        Table other(kAliasVantejaVs2, "tbpagar");
        view.open();
        other.open();
        view.insert();
        view.fieldByName("Nome").setValue("LUZ");
        view.fieldByName("Valordocumento").setValue(10.5);
        {
            FailingReRead failing(FailingReRead::Way(way), 2);
            QVERIFY(!errorOf([&] { view.post(); }).isEmpty());
            QVERIFY(!errorOf([&] { view.post(); }).isEmpty());
            QCOMPARE(view.state(), Dataset::State::Insert);
            QCOMPARE(view.fieldByName("Nome").asString(), QString("LUZ"));
            view.post();
        }
        QCOMPARE(view.state(), Dataset::State::Browse);
        other.refresh();
        QCOMPARE(other.recordCount(), 2);
        QVERIFY(other.locate("Nome", "LUZ"));

        view.edit();
        view.fieldByName("Valordocumento").setValue(20.0);
        {
            FailingReRead failing(FailingReRead::Way(way), 1);
            QVERIFY(!errorOf([&] { view.post(); }).isEmpty());
            QCOMPARE(view.state(), Dataset::State::Edit);
            other.refresh();
            QVERIFY(other.locate("Nome", "LUZ"));
            QCOMPARE(other.fieldByName("Valordocumento").asFloat(), 10.5);
            view.post();
        }
        other.refresh();
        QCOMPARE(other.recordCount(), 2);
        QVERIFY(other.locate("Nome", "LUZ"));
        QCOMPARE(other.fieldByName("Valordocumento").asFloat(), 20.0);
    }

    void rowsByPositionForGrids() {
        addClients({{"ANA", 1}, {"BRUNO", 2}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        const QVector<QVariant> second = view.rowValues(1);
        QCOMPARE(second.value(view.fieldIndex("Nome")).toString(), QString("BRUNO"));
        QCOMPARE(view.recNo(), 1);
        QVERIFY(view.rowValues(5).isEmpty());
    }

    // A view that reads its keys a page at a time moves, searches, stores and totals as one that reads them
    // all. Each step starts from a view that has read its first page only.
    void keysReadInPages() {
        for (const int day : {7, 2, 9, 4, 1, 10, 5, 8, 3, 6})
            addRow("tbpagar", {{"Fantasia", QStringLiteral("CONTA %1").arg(day)},
                               {"DataVencimento", QDate(2025, 1, day)},
                               {"Valordocumento", day * 1.25}});
        const auto open = [](int page) {
            auto view = std::make_unique<Table>(kAliasVantejaVs2, "tbpagar");
            view->setIndexName("Bydataven");
            view->setTotalField("Valordocumento");
            view->setKeysPage(page);
            view->open();
            return view;
        };
        const auto names = [](Table& view) {
            QStringList all;
            for (view.first(); !view.eof(); view.next())
                all << view.fieldByName("Fantasia").asString();
            return all;
        };
        const QString unpaid = "datapagamento <'01/01/1990'";
        const auto settle = [](Table& view) {
            view.fieldByName("DataPagamento").setValue(QDate(2025, 2, 1));
            view.post();
        };
        const auto store = [](Table& view, const char* name, int day) {
            if (name) view.fieldByName("Fantasia").setValue(name);
            view.fieldByName("DataVencimento").setValue(QDate(2025, 1, 1).addDays(day - 1));
            view.fieldByName("Valordocumento").setValue(day * 10);
            view.post();
        };
        const QList<std::pair<const char*, std::function<void(Table&)>>> steps = {
            {"CONTA 10", [](Table& v) { v.last(); }},
            {"CONTA 8", [](Table& v) { v.setRecNo(8); }},
            {"CONTA 6", [](Table& v) { for (int i = 0; i < 5; ++i) v.next(); }},
            {"CONTA 2", [](Table& v) { QVERIFY(v.findNearest(QDate(2025, 1, 2))); }},
            {"CONTA 9", [](Table& v) { QVERIFY(v.findNearest(QDate(2025, 1, 9))); }},
            {"CONTA 7", [](Table& v) { QVERIFY(v.locate("Fantasia", "CONTA 7")); }},
            {"CONTA 5",
             [&](Table& v) {
                 auto other = open(0);
                 other->setRecNo(5);
                 QVERIFY(v.gotoBookmark(other->bookmark()));
             }},
            // Stores: in the page, past it, out of the page, within it; deletions in and past it.
            {"NOVA", [&](Table& v) { v.insert(), store(v, "NOVA", 2); }},
            {"NOVISSIMA", [&](Table& v) { v.insert(), store(v, "NOVISSIMA", 20); }},
            {"CONTA 1", [&](Table& v) { v.edit(), store(v, nullptr, 15); }},
            {"CONTA 3", [&](Table& v) { v.setRecNo(3), v.edit(), store(v, nullptr, 1); }},
            {"NOVA", [](Table& v) { v.setRecNo(2), v.remove(); }},
            {"CONTA 8", [](Table& v) { v.setRecNo(6), v.remove(); }},
            // Past the page after another view stored a row before the current one.
            {"CONTA 5",
             [&](Table& v) {
                 v.setRecNo(3);
                 auto other = open(0);
                 other->insert(), store(*other, "ANTES", 0);
                 v.next();
             }},
            // Rows leaving the filter: the last of the page, then every one in turn.
            {"CONTA 4",
             [&](Table& v) {
                 v.setFilter(unpaid);
                 v.setFiltered(true);
                 v.setRecNo(3);
                 v.edit(), settle(v);
             }},
            {"",
             [&](Table& v) {
                 v.setFilter(unpaid);
                 v.setFiltered(true);
                 for (v.first(); !v.eof();)
                     v.edit(), settle(v);
             }},
        };
        for (const auto& [expected, step] : steps) {
            auto paged = open(3);
            QCOMPARE(paged->keyAt(3), qint64(-1));  // only the first page read
            step(*paged);
            auto whole = open(0);
            whole->setFilter(paged->filter());
            whole->setFiltered(paged->filtered());
            QCOMPARE(paged->recordCount(), whole->recordCount());
            QCOMPARE(paged->fieldByName("Fantasia").asString(), QString(expected));
            QCOMPARE(paged->recNo(), names(*whole).indexOf(expected) + 1);
            QCOMPARE(paged->sum("Valordocumento").centavos(), whole->sum("Valordocumento").centavos());
            const int last = whole->recordCount() - 1;
            QCOMPARE(paged->rowValues(last), whole->rowValues(last));
            QCOMPARE(names(*paged), names(*whole));
        }
        QCOMPARE(open(0)->recordCount(), 11);
    }

    void closedViewRefusesWork() {
        Table view(kAliasVantejaVs2, "c_cliente");
        EXPECT_DATA_ERROR(view.first(), "tabela fechada");
        EXPECT_DATA_ERROR(view.fieldByName("Nome").value(), "tabela fechada");
        QCOMPARE(view.recordCount(), 0);
        Table unknown(kAliasVantejaVs2, "clientes.db");
        EXPECT_DATA_ERROR(unknown.open(), "Tabela 'clientes.db' não encontrada");
        Table nowhere("Outro", "c_cliente");
        EXPECT_DATA_ERROR(nowhere.open(), "Banco de dados 'Outro' não definido");
    }

private:
    std::unique_ptr<TempData> data_;
};

QTEST_GUILESS_MAIN(TableTest)
#include "tst_table.moc"
