// Installment runs: due dates from one base date, with and without a down payment, the checks before a run
// (nothing begun on a bad date or value), ledgers empty or with a current record without a code, long texts,
// and the panel: its keys, its count, its summary, its date check and its run.

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QtTest>
#include <cstdio>

#include "MaskEdit.h"
#include "Parcelas.h"
#include "Sqlite.h"
#include "WindowFixture.h"

using namespace Parcelas;

namespace {

// The receivables window as a run sees it: its filters store the record being edited.
class FakeWindow : public Host {
public:
    explicit FakeWindow(Table& ledger) : ledger_(ledger) {}
    void filterTodas() override {
        calls << "Todas";
        ledger_.checkBrowseMode();
        ledger_.setFiltered(false);
    }
    void filterNaoPaga() override {
        calls << "NaoPaga";
        ledger_.checkBrowseMode();
    }
    void aviso() override { calls << "Aviso"; }
    void setGravarEnabled(bool on) override { gravar = on; }
    void setCancelarEnabled(bool on) override { cancelar = on; }
    QStringList calls;
    bool gravar = false, cancelar = false;

private:
    Table& ledger_;
};

struct Row {
    int codigo, parcela;
    QString nome, fantasia, emissao, vencimento, observacoes;
    double valor;
};

// Every stored row of the ledger, in key order.
QList<Row> stored() {
    Table view(kAliasVantejaVs2, "tbreceber");
    view.open();
    QList<Row> rows;
    for (view.first(); !view.eof(); view.next())
        rows << Row{view.fieldByName("Codigo").asInteger(),     view.fieldByName("DocParcela").asInteger(),
                    view.fieldByName("Nome").asString(),        view.fieldByName("Fantasia").asString(),
                    view.fieldByName("DataEmissao").asString(), view.fieldByName("DataVencimento").asString(),
                    view.fieldByName("Observacoes").asString(), view.fieldByName("Valordocumento").asFloat()};
    return rows;
}

Plan planFor(const QString& base, int first, int count, const QString& valor = "150,00") {
    Plan plan;
    plan.baseDate = base;
    plan.documento = "77";
    plan.cliente = "MARIA";
    plan.referencia = "SOFA";
    plan.observacoes = "ENTREGA EM CASA";
    plan.valor = valor;
    plan.first = first;
    plan.count = count;
    return plan;
}

// Dialogs of a run that is killed while its success message is up: the message never returns.
class MessageNeverAnswered : public ScriptedDialogs {
public:
    void message(QWidget*, const QString& text) override {
        std::printf("%s\n", qPrintable(text));
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    }
};

// The child of installmentsStoredBeforeTheMessage: a run of 12 installments on the data folder given.
int runUntilKilled(const QString& programFolder) {
    defineStandardDatabases(programFolder);
    Session::instance().addPassword(kSessionPassword);
    MessageNeverAnswered dialogs;
    Table ledger(kAliasVantejaVs2, "tbreceber");
    ledger.open();
    FakeWindow window(ledger);
    gerarEMostrar(nullptr, ledger, planFor("10/01/2025", 1, 12), window);
    return 1;
}

}  // namespace

class TestParcelas : public QObject {
    Q_OBJECT

private slots:
    void dueDates_data() {
        QTest::addColumn<QString>("base");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("due");
        QTest::newRow("down payment, month ends")
            << "31/01/2025" << 0 << 3 << QStringList{"31/01/2025", "28/02/2025", "31/03/2025", "30/04/2025"};
        QTest::newRow("leap year") << "31/01/2024" << 1 << 2 << QStringList{"29/02/2024", "31/03/2024"};
        QTest::newRow("no down payment, across the year")
            << "15/11/2025" << 1 << 3 << QStringList{"15/12/2025", "15/01/2026", "15/02/2026"};
    }
    void dueDates() {
        QFETCH(QString, base);
        QFETCH(int, first);
        QFETCH(int, count);
        QFETCH(QStringList, due);
        WindowFixture fixture;
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        FakeWindow window(ledger);

        QVERIFY(gerarEMostrar(nullptr, ledger, planFor(base, first, count), window));
        QCOMPARE(window.calls, QStringList({"Todas", "Aviso", "NaoPaga"}));
        QCOMPARE(fixture.dialogs.kinds(), QStringList{"message"});
        QCOMPARE(fixture.dialogs.lastText(), kGenerated);
        QVERIFY(!window.gravar && window.cancelar);
        QCOMPARE(ledger.state(), Dataset::State::Browse);

        const QList<Row> rows = stored();
        QCOMPARE(rows.size(), due.size());
        for (int i = 0; i < rows.size(); ++i) {
            const Row& r = rows[i];
            QCOMPARE(r.parcela, first + i);
            QCOMPARE(r.vencimento, due[i]);
            QCOMPARE(r.codigo, 77);
            QCOMPARE(r.emissao, QStringLiteral("10/03/2025"));
            QCOMPARE(r.valor, 150.0);
            QCOMPARE(r.nome + "|" + r.fantasia + "|" + r.observacoes,
                     QStringLiteral("MARIA|SOFA|ENTREGA EM CASA"));
        }
    }

    // Nothing is begun when a check fails; "Todas" has run all the same.
    void refused_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("date untouched") << "baseDate"
                                        << "  /  /    "
                                        << "message" << kMissingInput;
        QTest::newRow("no document") << "documento"
                                     << ""
                                     << "message" << kMissingInput;
        QTest::newRow("no client") << "cliente"
                                   << ""
                                   << "message" << kMissingInput;
        QTest::newRow("no reference") << "referencia"
                                      << ""
                                      << "message" << kMissingInput;
        QTest::newRow("count 1") << "count"
                                 << "1"
                                 << "message" << kCountTooSmall;
        QTest::newRow("count 0") << "count"
                                 << "0"
                                 << "message" << kCountTooSmall;
        QTest::newRow("impossible date") << "baseDate"
                                         << "31/02/2025"
                                         << "error"
                                         << "não é uma data válida";
        QTest::newRow("partly typed date") << "baseDate"
                                           << "12/0 /    "
                                           << "error"
                                           << "não é uma data válida";
        QTest::newRow("empty value") << "valor"
                                     << ""
                                     << "error"
                                     << "não é um valor numérico válido";
        QTest::newRow("two commas") << "valor"
                                    << "1,,5"
                                    << "error"
                                    << "não é um valor numérico válido";
    }
    void refused() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        WindowFixture fixture;
        addRow("tbreceber", {{"Codigo", 5}, {"Fantasia", "MESA"}});
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        FakeWindow window(ledger);
        Plan plan = planFor("10/01/2025", 0, 3);
        if (field == "baseDate") plan.baseDate = value;
        if (field == "documento") plan.documento = value;
        if (field == "cliente") plan.cliente = value;
        if (field == "referencia") plan.referencia = value;
        if (field == "count") plan.count = value.toInt();
        if (field == "valor") plan.valor = value;

        QVERIFY(!gerarEMostrar(nullptr, ledger, plan, window));
        QCOMPARE(window.calls, QStringList{"Todas"});
        QCOMPARE(fixture.dialogs.kinds(), QStringList{kind});
        QVERIFY2(fixture.dialogs.lastText().contains(text), qPrintable(fixture.dialogs.lastText()));
        QCOMPARE(ledger.state(), Dataset::State::Browse);
        QCOMPARE(stored().size(), 1);
    }

    // The plan is in the books, whole, before "Parcelas Geradas Com Sucesso!" is shown: a program ended while
    // the message is up loses no installment.
    void installmentsStoredBeforeTheMessage() {
        TempData data;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--run", data.programFolder()});
        QVERIFY(child.waitForReadyRead(20000));
        QCOMPARE(child.readAllStandardOutput().trimmed(), kGenerated.toUtf8());
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        const QList<Row> rows = stored();
        QCOMPARE(rows.size(), 12);
        QCOMPARE(rows.last().parcela, 12);
    }

    // A store that fails halfway leaves none of the plan, and the error is shown once.
    void failedRunLeavesNothing() {
        WindowFixture fixture;
        addRow("tbreceber", {{"Codigo", 5}, {"Fantasia", "MESA"}});
        Connection& books = Session::instance().database(kAliasVantejaVs2).connection();
        if (TempData::onPostgres())
            books.execute("CREATE FUNCTION falha() RETURNS trigger LANGUAGE plpgsql AS "
                          "$$BEGIN RAISE EXCEPTION 'disco cheio'; END$$; "
                          "CREATE TRIGGER falha BEFORE INSERT ON \"tbreceber\" FOR EACH ROW "
                          "WHEN (NEW.\"DocParcela\" = 4) EXECUTE FUNCTION falha()");
        else
            books.execute("CREATE TRIGGER falha BEFORE INSERT ON tbreceber WHEN NEW.DocParcela = 4 "
                          "BEGIN SELECT RAISE(ABORT, 'disco cheio'); END");
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        FakeWindow window(ledger);
        QVERIFY(!gerarEMostrar(nullptr, ledger, planFor("10/01/2025", 1, 6), window));
        QCOMPARE(fixture.dialogs.kinds(), QStringList{"error"});
        QVERIFY2(fixture.dialogs.lastText().contains("disco cheio"), qPrintable(fixture.dialogs.lastText()));
        QCOMPARE(ledger.state(), Dataset::State::Browse);
        QCOMPARE(stored().size(), 1);
    }

    // A current record without a code is left as it was; the run follows the highest code's record.
    void currentRecordWithoutCode() {
        WindowFixture fixture;
        addRow("tbreceber", {{"Fantasia", "SEM CODIGO"}, {"Valordocumento", 9}});
        addRow("tbreceber", {{"Codigo", 41}, {"Fantasia", "MESA"}});
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        ledger.first();
        QVERIFY(ledger.fieldByName("Codigo").isNull());
        FakeWindow window(ledger);
        QVERIFY(gerarEMostrar(nullptr, ledger, planFor("05/05/2025", 1, 2), window));
        const QList<Row> rows = stored();
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0].fantasia + "|" + QString::number(rows[0].valor), QStringLiteral("SEM CODIGO|9"));
        QCOMPARE(rows[2].parcela * 10 + rows[3].parcela, 12);
        QCOMPARE(ledger.indexName(), QStringLiteral("byCodigo"));
    }

    // 999 installments with texts longer than their fields: every record, only the fields' widths cut.
    void longRun() {
        WindowFixture fixture;
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        FakeWindow window(ledger);
        Plan plan = planFor("31/12/2025", 0, 999);
        plan.cliente = QString(70, 'N');
        plan.referencia = QString(40, 'R');
        QCOMPARE(geraParcelas(ledger, plan, window), 1000);
        const QList<Row> rows = stored();
        QCOMPARE(rows.size(), 1000);
        QCOMPARE(rows.last().parcela, 999);
        QCOMPARE(rows.last().vencimento, QStringLiteral("31/03/2109"));
        QCOMPARE(rows.last().nome.size(), 60);
        QCOMPARE(rows.last().fantasia.size(), 30);
    }

    void panel() {
        WindowFixture fixture;
        addRow("c_cliente", {{"Codigo", 1}, {"Nome", "JOSE"}});
        addRow("c_cliente", {{"Codigo", 2}, {"Nome", "ANA"}});
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        FakeWindow window(ledger);
        QWidget host;
        QLineEdit outside(&host);
        auto* panel = new GerarParcelas(&ledger, &window, &host);
        host.resize(700, 500);
        host.show();
        QVERIFY(QTest::qWaitForWindowActive(&host));

        QVERIFY(panel->isHidden() && panel->GroupBox7->isHidden());
        QCOMPARE(
            panel->DBNumeroParcela->text() + "|" + panel->ValorParcela->text() + "|" + panel->Entrada->text(),
            QStringLiteral("1|0,00|0"));
        panel->open();
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->MaskEdit7->maskedText(), QStringLiteral("10/03/2025"));
        QCOMPARE(QApplication::focusWidget(), panel->Edit3);

        // Keys each box swallows.
        QTest::keyClicks(panel->Edit3, "1a2-");
        panel->ValorParcela->clear();
        QTest::keyClicks(panel->ValorParcela, "12,5x0");
        panel->DBNumeroParcela->clear();
        QTest::keyClicks(panel->DBNumeroParcela, "3b45");
        QCOMPARE(
            panel->Edit3->text() + "|" + panel->ValorParcela->text() + "|" + panel->DBNumeroParcela->text(),
            QStringLiteral("12|12,50|345"));

        // An emptied count keeps the last one; the summary is written at the click only.
        panel->DBNumeroParcela->setText("3");
        panel->DBNumeroParcela->clear();
        QCOMPARE(panel->count(), 3);
        panel->DBNumeroParcela->setText("3");
        QTest::mouseClick(panel->nao, Qt::LeftButton);
        QCOMPARE(panel->Entrada->text() + "|" + panel->Label27->text(),
                 QStringLiteral("1|Sem Entrada + 3 Parcela(s)"));
        QVERIFY(panel->GroupBox7->isVisible());
        QTest::mouseClick(panel->sim, Qt::LeftButton);
        QCOMPARE(panel->Entrada->text() + "|" + panel->Label27->text(),
                 QStringLiteral("0|Entrada + 3 Parcela(s)"));
        QTest::mouseClick(panel->nao, Qt::LeftButton);

        // Leaving a bad date for another box of the panel.
        panel->MaskEdit7->setFocus();
        panel->MaskEdit7->setMaskedText("31/02/2025");
        QTest::keyClick(panel->MaskEdit7, Qt::Key_Tab);
        QCOMPARE(fixture.dialogs.kinds(), QStringList{"message"});
        QCOMPARE(fixture.dialogs.lastText(), QStringLiteral("Data Inválida!"));
        QVERIFY(panel->isVisible());

        // A refused run leaves the panel open; a run hides it.
        panel->ComClientesDropDown();
        QCOMPARE(panel->ComClientes->count(), 2);
        panel->ComClientes->setCurrentIndex(1);
        panel->SpeedButton11->click();
        QCOMPARE(fixture.dialogs.lastText(), kMissingInput);
        QVERIFY(panel->isVisible());
        panel->MaskEdit7->setMaskedText("15/11/2025");
        panel->ParcelaRef->setText("CAMA");
        panel->SpeedButton11->click();
        QCOMPARE(fixture.dialogs.lastText(), kGenerated);
        QVERIFY(panel->isHidden());
        const QList<Row> rows = stored();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].nome + "|" + rows[0].vencimento + "|" + QString::number(rows[0].valor),
                 QStringLiteral("ANA|15/12/2025|12.5"));

        // Focus leaving the panel hides it.
        panel->open();
        QTest::keyClick(panel->Edit3, Qt::Key_A);
        outside.setFocus(Qt::MouseFocusReason);
        QVERIFY(panel->isHidden());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--run") == 0) return runUntilKilled(QString::fromLocal8Bit(argv[2]));
    TestParcelas test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_parcelas.moc"
