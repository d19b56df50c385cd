// What must hold when things go wrong: rows deleted through another view, event handlers that raise, grids
// whose table refuses a move, reports over a record that cannot be stored, odd values.

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>
#include <cmath>
#include <limits>

#include "DBGrid.h"
#include "DataControls.h"
#include "Filler.h"
#include "Layout.h"
#include "Query.h"
#include "ScriptedDialogs.h"
#include "TempData.h"

namespace {

void addClients(const QList<QPair<QString, int>>& clients) {
    for (const auto& [name, code] : clients)
        addRow("c_cliente", {{"Nome", name}, {"Codigo", code}});
}

// Deletes the client with this code through a view of its own.
void deleteClientElsewhere(int code) {
    Table other(kAliasVantejaVs2, "c_cliente");
    other.open();
    QVERIFY(other.locate("Codigo", code));
    other.remove();
}

}  // namespace

class RobustnessTest : public QObject {
    Q_OBJECT

private slots:
    void init() { data_ = std::make_unique<TempData>(); }
    void cleanup() { data_.reset(); }

    // A report whose source cannot store its pending record raises, but must give the controls back.
    void reportOnUnstorableRecordEnablesControls() {
        addClients({{"ANA", 1}, {"BRUNO", 2}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        view.edit();
        view.fieldByName("Nome").setValue("ANITA");
        connect(&view, &Dataset::beforePost, &view, [] { throw DataError(QStringLiteral("Nome recusado")); });
        Report::Layout layout;
        layout.addBand(Report::BandKind::Detail, 5).elements << Report::field(0, 0, "Nome");
        layout.source = &view;
        EXPECT_DATA_ERROR(Report::fill(layout), "Nome recusado");
        QVERIFY(!view.controlsDisabled());
    }

    // A bookmark to a row deleted through another view must report the row gone, not land on another row.
    void bookmarkToRowDeletedElsewhere() {
        addClients({{"ANA", 1}, {"BRUNO", 2}, {"CARLA", 3}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        view.next();
        const Bookmark mark = view.bookmark();
        view.first();
        deleteClientElsewhere(2);
        QVERIFY(!view.gotoBookmark(mark));
        QCOMPARE(view.fieldByName("Nome").asString(), QString("ANA"));
    }

    // A handler of AfterPost that raises must not leave the controls showing the record as it was.
    void afterPostRaisingLeavesControlsCurrent() {
        addClients({{"ANA", 1}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        DBEdit edit;
        edit.setDataSource(&view, "Nome");
        QCOMPARE(edit.text(), QString("ANA"));
        view.edit();
        view.fieldByName("Nome").setValue("ANITA");
        connect(&view, &Dataset::afterPost, &view, [] { throw DataError(QStringLiteral("falhou depois")); });
        EXPECT_DATA_ERROR(view.post(), "falhou depois");
        QCOMPARE(view.fieldByName("Nome").asString(), QString("ANITA"));
        QCOMPARE(edit.text(), QString("ANITA"));
    }

    // When a move finds its row deleted elsewhere and re-reads the rows, a grid on the view must be told.
    void gridFollowsRowsReReadOnMove() {
        ScriptedDialogs dialogs;
        addClients({{"ANA", 1}, {"BRUNO", 2}, {"CARLA", 3}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        DBGrid grid;
        grid.setTable(&view);
        grid.setColumns({{"Nome", "Nome"}});
        QCOMPARE(grid.verticalHeader()->count(), 3);
        deleteClientElsewhere(2);
        view.next();
        QCOMPARE(view.recordCount(), 2);
        QCOMPARE(grid.verticalHeader()->count(), view.recordCount());
    }

    // A grid on a page not shown follows the view's moves once its page is shown, the new record's row too.
    void gridOnHiddenPageCatchesUp() {
        addClients({{"ANA", 1}, {"BRUNO", 2}, {"CARLA", 3}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        QTabWidget pages;
        pages.addTab(new QWidget, "Cadastro");
        auto* grid = new DBGrid;
        pages.addTab(grid, "Pesquisa");
        grid->setTable(&view);
        grid->setColumns({{"Nome", "Nome"}});
        pages.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pages));
        for (int recNo : {3, 2}) {
            view.setRecNo(recNo);
            pages.setCurrentIndex(1);
            QCOMPARE(grid->currentIndex().row(), recNo - 1);
            pages.setCurrentIndex(0);
        }
        view.append();
        pages.setCurrentIndex(1);
        QCOMPARE(grid->currentIndex().row(), 3);
        view.cancel();
    }

    // A long text without spaces is broken where it must be, without hanging the preview. No clock is read:
    // work that grew out of bounds is caught by the test's time limit, not by a figure of this machine.
    void longWordBreaksQuickly() {
        const QString word(2000, QLatin1Char('W'));
        const QStringList lines = Report::breakLines(word, Report::Font(), 50);
        QCOMPARE(lines.join(QString()), word);
        QVERIFY(lines.size() > 10);
    }

    // A computed column must keep the decimals of later rows even when its first value was whole.
    void queryComputedColumnKeepsDecimals() {
        addClients({{"ANA", 1}, {"BRUNO", 2}});
        Query query;
        query.setDatabaseName(kAliasVantejaVs2);
        query.setSql(
            "SELECT Codigo, CASE WHEN Codigo = 1 THEN 1 ELSE 2.5 END AS Fator FROM c_cliente "
            "ORDER BY Codigo");
        query.open();
        query.last();
        QCOMPARE(query.fieldByName("Fator").asFloat(), 2.5);
    }

    // When leaving a row in the grid fails to store it, the grid must stay on the table's current row.
    void gridStaysOnRowWhenLeavingFails() {
        ScriptedDialogs dialogs;
        addClients({{"ANA", 1}, {"BRUNO", 2}, {"CARLA", 3}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        DBGrid grid;
        grid.setTable(&view);
        grid.setColumns({{"Nome", "Nome"}});
        QCOMPARE(grid.currentIndex().row(), 0);
        view.edit();
        view.fieldByName("Nome").setValue("ANITA");
        connect(&view, &Dataset::beforePost, &view, [] { throw DataError(QStringLiteral("Nome recusado")); });
        grid.setCurrentIndex(grid.model()->index(2, 0));
        QCOMPARE(dialogs.kinds(), QStringList{"error"});
        QCOMPARE(view.recNo(), 1);
        QTRY_COMPARE(grid.currentIndex().row(), view.recNo() - 1);
    }

    // A handler of AfterOpen that raises must not leave a grid on the open view showing no rows.
    void afterOpenRaisingLeavesGridCurrent() {
        addClients({{"ANA", 1}, {"BRUNO", 2}});
        Table view(kAliasVantejaVs2, "c_cliente");
        DBGrid grid;
        grid.setTable(&view);
        grid.setColumns({{"Nome", "Nome"}});
        connect(&view, &Dataset::afterOpen, &view,
                [] { throw DataError(QStringLiteral("falhou ao abrir")); });
        EXPECT_DATA_ERROR(view.open(), "falhou ao abrir");
        QVERIFY(view.active());
        QCOMPARE(grid.verticalHeader()->count(), 2);
    }

    // A navigator action that fails must not report the click as done.
    void navigatorDoesNotReportFailedAction() {
        ScriptedDialogs dialogs;
        addClients({{"ANA", 1}});
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        DBNavigator navigator;
        navigator.setDataSource(&view);
        view.edit();
        view.fieldByName("Nome").setValue("ANITA");
        connect(&view, &Dataset::beforePost, &view, [] { throw DataError(QStringLiteral("Nome recusado")); });
        QSignalSpy clicked(&navigator, &DBNavigator::clicked);
        navigator.click(DBNavigator::Post);
        QCOMPARE(dialogs.kinds(), QStringList{"error"});
        QCOMPARE(view.state(), Dataset::State::Edit);
        QCOMPARE(clicked.count(), 0);
    }

    // Not a number is no integer: it must be refused, not stored as some arbitrary number.
    void integerFieldRefusesNaN() {
        Table view(kAliasVantejaVs2, "c_cliente");
        view.open();
        view.append();
        EXPECT_DATA_ERROR(view.fieldByName("Codigo").setValue(std::numeric_limits<double>::quiet_NaN()), "");
    }

private:
    std::unique_ptr<TempData> data_;
};

QTEST_MAIN(RobustnessTest)
#include "tst_robustness.moc"
