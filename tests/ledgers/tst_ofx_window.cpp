// The reconciliation window on a temporary data folder, opened from both ledger windows with statements the
// test writes, answered through the scripted dialogs (today 10/03/2025).

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include "Extrato.h"
#include "OfxFiles.h"
#include "UReceber.h"
#include "Unpagar.h"
#include "Values.h"
#include "WindowFixture.h"

using namespace OfxFiles;

namespace {

QString tableOf(bool payables) {
    return payables ? QStringLiteral("tbpagar") : QStringLiteral("tbreceber");
}

qint64 bill(bool payables, int code, const char* reference, const char* due, double value) {
    return addRow(tableOf(payables), {{"Codigo", code},
                                      {"Fantasia", reference},
                                      {"Nome", "CREDOR"},
                                      {"DataVencimento", Values::parseDate(due)},
                                      {"Valordocumento", value}});
}

// Every row as "Codigo Fantasia paid-on value", in code order.
QStringList rows(bool payables) {
    Table t(kAliasVantejaVs2, tableOf(payables));
    t.setIndexName("byCodigo");
    t.open();
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(t.fieldByName("Codigo").asInteger())
                   .arg(t.fieldByName("Fantasia").asString(),
                        t.fieldByName("DataPagamento").isNull() ? QStringLiteral("aberta")
                                                                : t.fieldByName("DataPagamento").asString(),
                        t.fieldByName("Valordocumento").asString());
    return out;
}

// A debit of 150,00 and a credit of 80,00 two days after the bills fall due, and a fee that has no bill.
QByteArray march(Style style = Style::Sgml) {
    return statement({{"20250312100000[-3:BRT]", "-150.00", "F1", "PAGTO LUZ", {}},
                      {"20250313", "80.00", "F2", "PIX RECEBIDO MARIA", {}},
                      {"20250314", "-12.50", "F3", "Tarifa pacote serviços", {}}},
                     style);
}

}  // namespace

class OfxWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fixture_;

    QString file(const QByteArray& bytes, const QString& name = QStringLiteral("extrato.ofx")) {
        const QString path = QDir(fixture_->data.programFolder()).filePath(name);
        write(path, bytes);
        return path;
    }
    std::unique_ptr<TFExtrato> window(const QByteArray& bytes) {
        return std::make_unique<TFExtrato>(Ofx::read(file(bytes)));
    }
    static QStringList situations(const TFExtrato& w) {
        QStringList out;
        for (int row = 0; row < w.rowCount(); ++row)
            out << w.situation(row);
        return out;
    }

private slots:
    void init() { fixture_ = std::make_unique<WindowFixture>(); }
    void cleanup() { fixture_.reset(); }

    // From either ledger window, one import settles both ledgers, refreshes the window's totals and records
    // the lines; the same file again applies nothing.
    void importFromLedgerWindow_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<int>("style");
        QTest::newRow("pagar, 1.x") << true << int(Style::Sgml);
        QTest::newRow("receber, 2.x") << false << int(Style::Xml);
    }
    void importFromLedgerWindow() {
        QFETCH(bool, payables);
        QFETCH(int, style);
        bill(true, 1, "LUZ", "10/03/2025", 150);
        bill(true, 2, "AGUA", "10/03/2025", 90);
        bill(false, 1, "VENDA", "11/03/2025", 80);
        const QString path = file(march(Style(style)));
        std::unique_ptr<LedgerWindow> ledger;
        if (payables)
            ledger = std::make_unique<Tfpagar>();
        else
            ledger = std::make_unique<Tfreceber>();
        ledger->show();
        QVERIFY(QTest::qWaitForWindowExposed(ledger.get()));
        QTabBar* tabs = ledger->control<QTabWidget>("PageControl1")->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(LedgerWindow::Pesquisa).center());
        QStringList seen;
        auto drive = [&](bool settle) {
            QTimer::singleShot(0, this, [&, settle] {
                auto* w = qobject_cast<TFExtrato*>(QApplication::activeModalWidget());
                if (!w) return;
                seen = situations(*w);
                seen << w->summary->text();
                if (settle) QTest::mouseClick(w->btnQuitar, Qt::LeftButton);
                w->btnFechar->click();
            });
        };
        fixture_->dialogs.answer(path);
        fixture_->dialogs.answer(true);
        drive(true);
        QTest::mouseClick(ledger->control<QPushButton>("btnImportarExtrato"), Qt::LeftButton);
        QCOMPARE(seen,
                 QStringList({"Conta a pagar encontrada", "Conta a receber encontrada",
                              "Sem conta correspondente", "Marcadas: 2 a quitar (R$ 230,00), 0 sem conta."}));
        QCOMPARE(fixture_->dialogs.kinds(), QStringList({"openFile", "question", "confirmed"}));
        QCOMPARE(fixture_->dialogs.calls.last().text, QString("2 conta(s) quitada(s) com sucesso!"));
        QCOMPARE(rows(true), QStringList({"1 LUZ 12/03/2025 150", "2 AGUA aberta 90"}));
        QCOMPARE(rows(false), QStringList({"1 VENDA 13/03/2025 80"}));
        // The window shows the books as they are now: payables opened "Não Pago" on the search tab.
        QCOMPARE(ledger->control<QLabel>("Panel9")->text(),
                 payables ? QString("Total: 90,00") : QString("Total: 80,00"));
        // The record of applied lines is a file beside the data file, or a table on the server.
        if (!TempData::onPostgres()) {
            const QFileInfo store(QDir(fixture_->data.dataFolder()).filePath(Conciliacao::storeFileName()));
            QVERIFY(store.exists());
            QCOMPARE(store.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);
        }

        fixture_->dialogs.answer(path);
        drive(true);
        QTest::mouseClick(ledger->control<QPushButton>("btnImportarExtrato"), Qt::LeftButton);
        QCOMPARE(seen,
                 QStringList({"Já importado: quitou 000001", "Já importado: quitou 000001",
                              "Sem conta correspondente",
                              "Marcadas: 0 a quitar (R$ 0,00), 0 sem conta. 2 já importada(s) antes: não "
                              "serão aplicadas de novo."}));
        QCOMPARE(fixture_->dialogs.calls.last().kind, QString("information"));
        QCOMPARE(rows(true), QStringList({"1 LUZ 12/03/2025 150", "2 AGUA aberta 90"}));
    }

    // The user picks another bill, or none; a bill picked for one line leaves the line that had it.
    void changeMatches() {
        bill(true, 1, "LUZ", "12/03/2025", 150);
        bill(true, 2, "LUZ FILIAL", "15/03/2025", 150);
        auto w = window(
            statement({{"20250312", "-150.00", "A", "LUZ", {}}, {"20250313", "-150.00", "B", "LUZ", {}}}));
        QCOMPARE(w->choices(0), QStringList({"000001 · LUZ · CREDOR · venc. 12/03/2025",
                                             "000002 · LUZ FILIAL · CREDOR · venc. 15/03/2025"}));
        QCOMPARE(w->chosen(0), 0);
        QCOMPARE(w->chosen(1), 1);
        // Through the grid, as a double click and a pick in the box do.
        const QModelIndex account = w->grid->model()->index(0, TFExtrato::Conta);
        QVERIFY(w->grid->model()->flags(account) & Qt::ItemIsEditable);
        w->grid->model()->setData(account, 1, Qt::EditRole);
        QCOMPARE(w->chosen(0), 1);
        QCOMPARE(w->chosen(1), -1);
        QVERIFY(!w->ticked(1));
        QCOMPARE(w->situation(1), QString("Escolha a conta"));
        fixture_->dialogs.answer(true);
        w->btnQuitarClick();
        QCOMPARE(rows(true), QStringList({"1 LUZ aberta 150", "2 LUZ FILIAL 12/03/2025 150"}));
        // The bill settled now is no longer offered.
        QCOMPARE(w->choices(1), QStringList({"000001 · LUZ · CREDOR · venc. 12/03/2025"}));
        QVERIFY(!(w->grid->model()->flags(w->grid->model()->index(0, TFExtrato::Marca)) &
                  Qt::ItemIsUserCheckable));
    }

    // Lines without a bill become paid entries named after their memo, numbered after the highest code; a
    // "No", an unticked line or nothing to do changes nothing.
    void createEntries() {
        bill(true, 41, "ALUGUEL", "01/01/2025", 2000);
        auto w = window(march());
        fixture_->dialogs.answer(false);
        w->setTicked(2, true);
        w->btnCriarClick();
        QCOMPARE(rows(true).size(), 1);
        fixture_->dialogs.answer(true);
        w->btnCriarClick();
        QCOMPARE(rows(true),
                 QStringList({"41 ALUGUEL aberta 2000", "42 TARIFA PACOTE SERVIÇOS 14/03/2025 12,5"}));
        QCOMPARE(w->situation(2), QString("Lançado agora como 000042"));
        w->btnCriarClick();  // nothing ticked any more
        QCOMPARE(fixture_->dialogs.kinds(),
                 QStringList({"question", "question", "confirmed", "information"}));
        w->setTicked(0, true);
        w->setTicked(1, true);
        fixture_->dialogs.answer(true);
        w->btnCriarClick();
        QCOMPARE(rows(false), QStringList({"1 PIX RECEBIDO MARIA 13/03/2025 80"}));
        Table receber(kAliasVantejaVs2, "tbreceber");
        receber.open();
        QCOMPARE(receber.fieldByName("DocParcela").asInteger(), 1);
    }

    // A bill settled elsewhere after the window opened refuses the whole batch: nothing is stored, nothing
    // recorded, and the lines can be applied later.
    void batchIsAllOrNothing() {
        bill(true, 1, "LUZ", "12/03/2025", 150);
        bill(false, 1, "VENDA", "13/03/2025", 80);
        auto w = window(march());
        {
            Table other(kAliasVantejaVs2, "tbreceber");
            other.open();
            other.edit();
            other.fieldByName("DataPagamento").setAsDate(QDate(2025, 3, 9));
            other.post();
        }
        fixture_->dialogs.answer(true);
        w->btnQuitarClick();
        QCOMPARE(fixture_->dialogs.calls.last().kind, QString("error"));
        QVERIFY2(fixture_->dialogs.lastText().contains("já está quitada"),
                 qPrintable(fixture_->dialogs.lastText()));
        QCOMPARE(rows(true), QStringList({"1 LUZ aberta 150"}));
        QCOMPARE(w->state(0), TFExtrato::State::Open);
        QVERIFY(Conciliacao::applied(Ofx::read(file(march())).account).isEmpty());
        auto again = window(march());
        QCOMPARE(situations(*again).first(), QString("Conta a pagar encontrada"));
    }

    // A bad file: its error, and no window.
    void badFile() {
        fixture_->dialogs.answer(file(march().left(600), QStringLiteral("banco.ofx")));
        Tfpagar ledger;
        QTimer::singleShot(0, this, [] {
            if (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget())) w->reject();
        });
        QTest::mouseClick(ledger.control("btnImportarExtrato"), Qt::LeftButton);
        QCOMPARE(fixture_->dialogs.kinds(), QStringList({"openFile", "error"}));
        QCOMPARE(fixture_->dialogs.calls.first().caption, QString("Importar Extrato"));
        QCOMPARE(fixture_->dialogs.calls.first().text,
                 QString::fromUtf8("Extratos bancários OFX (*.ofx *.OFX)"));
        QVERIFY(fixture_->dialogs.lastText().contains("\"banco.ofx\" está incompleto"));
    }
};

QTEST_MAIN(OfxWindowTest)
#include "tst_ofx_window.moc"
