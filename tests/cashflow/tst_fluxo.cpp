// The cash-flow window through its controls: month names, both analyses and their totals, bad periods,
// the month and "Hoje" buttons, keys, activation, the printed lists, the chart's figures and the opening
// from the main window.

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "Clock.h"
#include "Formats.h"
#include "GraficoFluxo.h"
#include "MaskEdit.h"
#include "Query.h"
#include "QueryGrid.h"
#include "ScriptedDialogs.h"
#include "TempData.h"
#include "U_Principal.h"
#include "UnitFluxo.h"

namespace {

const QDate kToday(2025, 3, 10);

void bill(const QString& table, const QString& reference, const QDate& due, const QVariant& paid,
          double value) {
    addRow(table, {{"Fantasia", reference},
                   {"DataVencimento", due},
                   {"DataPagamento", paid.isValid() ? paid : QVariant()},
                   {"Valordocumento", value}});
}

void setBox(MaskEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    box->setMaskedText(text);
}

}  // namespace

class FluxoTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        data_ = std::make_unique<TempData>();
        dialogs_ = std::make_unique<ScriptedDialogs>();
        Clock::set(QDateTime(kToday, QTime(10, 0)));
    }
    void cleanup() {
        window_.reset();
        dialogs_.reset();
        data_.reset();
        Clock::set(QDateTime());
    }

    void nomeMes() {
        const QStringList texts = {"01", "03", "12", "13", "1", " 1", "00", ""};
        QStringList names;
        for (const QString& text : texts)
            names << NomeMes(text);
        QCOMPARE(names, QStringList({"Janeiro", "Março", "Dezembro", "", "", "", "", ""}));
    }

    // Both tabs carry the same arrangement with their own texts; the lists take their query's columns.
    void tabs_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("texts");  // tab, the four labels, the push buttons
        QTest::addColumn<QStringList>("columns");
        const QString hint = "|Clique para inserir a data Atual!";
        QTest::newRow("pagas")
            << 0
            << QStringList{"Analítico Pagas",     "De" + hint,         "a" + hint, "ENTRADAS", "SAÍDAS", "Ok",
                           "Visualizar Entradas", "Visualizar Saídas", "Gráfico"}
            << QStringList{"Referência", "Entrada", "Valor", "Referência", "saida", "Valor"};
        QTest::newRow("abertas") << 1 << QStringList{"Analítico Não Pagas", "De" + hint,        "a" + hint,
                                                     "ENTRADAS À RECEBER",  "SAÍDAS À PAGAR",   "Ok",
                                                     "Visualizar Entradas", "Visualizar Saídas"}
                                 << QStringList{"DataVencimento", "Referência", "Valor",
                                                "DataVencimento", "Referência", "Valor"};
    }
    void tabs() {
        QFETCH(int, page);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, columns);
        for (const char* table : {"tbreceber", "tbpagar"}) {
            bill(table, "PAGA", kToday, kToday, 1);
            bill(table, "ABERTA", kToday, QVariant(), 1);
        }
        open();
        QCOMPARE(window_->windowTitle(), QString("FLUXO DE CAIXA"));
        QWidget* tab = window_->PageControl1->widget(page);
        QStringList seen = {window_->PageControl1->tabText(page)};
        const QList<QLabel*> labels = tab->findChildren<QLabel*>();
        for (QLabel* label : labels.mid(0, 4))
            seen << label->text() + (label->toolTip().isEmpty() ? "" : "|" + label->toolTip());
        for (QPushButton* button : tab->findChildren<QPushButton*>())
            seen << button->text();
        QCOMPARE(seen, texts);
        QStringList groups;
        for (QGroupBox* group : tab->findChildren<QGroupBox*>()) {
            QStringList inside = {group->title()};
            for (QRadioButton* radio : group->findChildren<QRadioButton*>())
                inside << radio->text();
            groups << inside.join(':');
        }
        QCOMPARE(groups, QStringList({"Período: ", "Do Mês Atual:Março", "Do dia :Hoje"}));

        const QList<QueryGrid*> grids = tab->findChildren<QueryGrid*>();
        QStringList titles;
        for (QueryGrid* grid : grids)
            for (int c = 0; c < grid->model()->columnCount(); ++c)
                titles << grid->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, columns);
        const QColor colours[] = {Qt::blue, Qt::red};
        for (int side = 0; side < 2; ++side) {
            QCOMPARE(grids[side]->editTriggers(), QAbstractItemView::NoEditTriggers);
            const QModelIndex cell = grids[side]->model()->index(0, 0);
            QCOMPARE(cell.data(Qt::ForegroundRole).value<QColor>(), colours[side]);
            QVERIFY(cell.data(Qt::FontRole).value<QFont>().bold());
        }
        for (MaskEdit* box : tab->findChildren<MaskEdit*>()) {
            QCOMPARE(box->editMask(), QString("99/99/9999"));
            QCOMPARE(box->maskedText(), QString("10/03/2025"));
        }
    }

    // The statements, line by line, with the period written month first in double quotes.
    void statements() {
        open();
        for (MaskEdit* box : {window_->MaskEdit5, window_->MaskEdit2})
            setBox(box, "01/03/2025");
        for (MaskEdit* box : {window_->MaskEdit6, window_->MaskEdit3})
            setBox(box, "31/03/2025");
        window_->fanalitico();
        window_->fanaliticoNpagas();
        const QString paid =
            "\n where DataPagamento between \"03/01/2025\" and \"03/31/2025\" order by DataPagamento";
        const QString open =
            "where DataPagamento is null \nand DataVencimento between \"03/01/2025\" and \"03/31/2025\" "
            "order by "
            "DataVencimento";
        QCOMPARE(window_->queryentrada->sql(),
                 "select (fantasia) as Referência, (DataPagamento) as Entrada, "
                 "(valorDocumento) as Valor from tbreceber" +
                     paid);
        QCOMPARE(window_->querysaida->sql(),
                 "select (fantasia) as Referência, (DataPagamento) as saida, "
                 "(valorDocumento) as Valor from tbpagar" +
                     paid);
        QCOMPARE(window_->Nentradas->sql(),
                 "select DataVencimento,(fantasia) as Referência, (valorDocumento) as "
                 "Valor from tbreceber " +
                     open);
        QCOMPARE(window_->Nsaidas->sql(),
                 "select DataVencimento,(fantasia) as Referência, (valorDocumento) as "
                 "Valor from tbpagar " +
                     open);
    }

    // The statements run outside the window refuse a date that is not one, rather than compare text.
    void statementsRefuseBlankDates_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<bool>("blankStart");
        for (int which : {FluxoSql::Entradas, FluxoSql::Saidas, FluxoSql::NEntradas, FluxoSql::NSaidas})
            for (bool blankStart : {true, false})
                QTest::addRow("%d, blank %s", which, blankStart ? "start" : "end") << which << blankStart;
    }
    void statementsRefuseBlankDates() {
        QFETCH(int, which);
        QFETCH(bool, blankStart);
        const QDate day(2025, 3, 1);
        Query query;
        query.setDatabaseName(kAliasVantejaVs2);
        for (const QString& line :
             FluxoSql::lines(FluxoSql::Which(which), blankStart ? QDate() : day, blankStart ? day : QDate()))
            query.addSql(line);
        QVERIFY(errorOf([&] { query.open(); }).contains(QString::fromUtf8("em branco")));
        QVERIFY(!query.active());
    }

    // Totals, lists and the closed interval, on both tabs.
    void analysis_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QStringList>("income");   // rows of the left list, as shown
        QTest::addColumn<QStringList>("expense");  // rows of the right list
        QTest::addColumn<QStringList>("totals");
        const QString p = "01/03/2025", e = "31/03/2025";
        QTest::newRow("pagas") << 0 << p << e << QStringList{"R A|01/03/2025|100,00", "R B|31/03/2025|50,50"}
                               << QStringList{"P A|15/03/2025|200,00"}
                               << QStringList{"Total das Entradas: 150,50", "Total das Saídas: 200,00",
                                              "Saldo: -49,50"};
        QTest::newRow("abertas") << 1 << p << e
                                 << QStringList{"15/03/2025|R ABERTA|2.345,50", "31/03/2025|R CENT|0,13",
                                                "31/03/2025|R CENT|0,13"}
                                 << QStringList{"20/03/2025|P ABERTA|0,13"}
                                 << QStringList{"Total das Entradas: 2.345,75", "Total das Saídas: 0,13",
                                                "Saldo: 2.345,62"};
        QTest::newRow("pagas, end before start")
            << 0 << e << p << QStringList() << QStringList()
            << QStringList{"Total das Entradas: 0,00", "Total das Saídas: 0,00", "Saldo: 0,00"};
        QTest::newRow("abertas, end before start")
            << 1 << e << p << QStringList() << QStringList()
            << QStringList{"Total das Entradas: 0,00", "Total das Saídas: 0,00", "Saldo: 0,00"};
    }
    void analysis() {
        QFETCH(int, page);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QStringList, income);
        QFETCH(QStringList, expense);
        QFETCH(QStringList, totals);
        // Paid: the first and the last day of the period count, the days around them do not.
        bill("tbreceber", "R A", QDate(2025, 2, 1), QDate(2025, 3, 1), 100);
        bill("tbreceber", "R B", QDate(2025, 2, 1), QDate(2025, 3, 31), 50.5);
        bill("tbreceber", "R ANTES", QDate(2025, 2, 1), QDate(2025, 2, 28), 1);
        bill("tbreceber", "R DEPOIS", QDate(2025, 3, 31), QDate(2025, 4, 1), 1);
        bill("tbpagar", "P A", QDate(2025, 3, 31), QDate(2025, 3, 15), 200);
        // Open: never on the first tab. An amount of half a centavo shows as 0,13, but the total is the exact
        // sum rounded once: 2.345,5 + 0,125 + 0,125 is 2.345,75.
        bill("tbpagar", "P ABERTA", QDate(2025, 3, 20), QVariant(), 0.125);
        bill("tbreceber", "R ABERTA", QDate(2025, 3, 15), QVariant(), 2345.5);
        bill("tbreceber", "R CENT", QDate(2025, 3, 31), QVariant(), 0.125);
        bill("tbreceber", "R CENT", QDate(2025, 3, 31), QVariant(), 0.125);
        bill("tbreceber", "R FORA", QDate(2025, 4, 1), QVariant(), 9);
        open();
        window_->PageControl1->setCurrentIndex(page);
        MaskEdit* first = page == 0 ? window_->MaskEdit5 : window_->MaskEdit2;
        MaskEdit* last = page == 0 ? window_->MaskEdit6 : window_->MaskEdit3;
        setBox(first, start);
        setBox(last, end);
        QTest::mouseClick(page == 0 ? window_->BitBtn1 : window_->BitBtn2, Qt::LeftButton);
        QVERIFY(dialogs_->calls.isEmpty());
        QCOMPARE(rows(page == 0 ? window_->DBGrid1 : window_->DBGrid3), income);
        QCOMPARE(rows(page == 0 ? window_->DBGrid2 : window_->DBGrid4), expense);
        QCOMPARE(totalTexts(page), totals);
        if (page == 0) QCOMPARE(QApplication::focusWidget(), window_->MaskEdit6);
    }

    // A period that can't be read stops before any list changes; an empty box does nothing at all.
    void badPeriod_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("typed");  // keys typed into the cleared end box
        QTest::addColumn<bool>("error");
        QTest::newRow("pagas, impossible") << 0 << "31022025" << true;
        QTest::newRow("pagas, partly typed") << 0 << "120" << true;
        QTest::newRow("abertas, impossible") << 1 << "31022025" << true;
        QTest::newRow("abertas, partly typed") << 1 << "3103" << true;
        QTest::newRow("pagas, empty") << 0 << "" << false;
        QTest::newRow("abertas, empty") << 1 << "" << false;
    }
    void badPeriod() {
        QFETCH(int, page);
        QFETCH(QString, typed);
        QFETCH(bool, error);
        bill("tbreceber", "R HOJE", kToday, kToday, 10);
        bill("tbreceber", "R ABERTA", kToday, QVariant(), 20);
        open();
        window_->PageControl1->setCurrentIndex(page);
        QueryGrid* list = page == 0 ? window_->DBGrid1 : window_->DBGrid3;
        const QStringList before = rows(list);
        const QStringList totalsBefore = totalTexts(page);
        QCOMPARE(before.size(), 1);
        MaskEdit* end = page == 0 ? window_->MaskEdit6 : window_->MaskEdit3;
        setBox(end, "");
        QTest::keyClicks(end, typed);
        QTest::keyClick(end, Qt::Key_Return);
        QCOMPARE(dialogs_->kinds(), error ? QStringList{"error"} : QStringList());
        if (error) {
            QCOMPARE(dialogs_->calls[0].caption, QString("Erro"));
            QVERIFY2(dialogs_->lastText().contains(QString::fromUtf8("não é uma data válida")),
                     qPrintable(dialogs_->lastText()));
        }
        QCOMPARE(rows(list), before);
        QCOMPARE(totalTexts(page), totalsBefore);
    }

    // The month button selects the whole current month and runs; "Hoje" brings both ends back to today.
    void monthAndToday_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("pagas, March") << 0 << kToday << "Março"
                                      << "01/03/2025"
                                      << "31/03/2025";
        QTest::newRow("abertas, March") << 1 << kToday << "Março"
                                        << "01/03/2025"
                                        << "31/03/2025";
        QTest::newRow("pagas, leap February") << 0 << QDate(2024, 2, 15) << "Fevereiro"
                                              << "01/02/2024"
                                              << "29/02/2024";
        QTest::newRow("abertas, February") << 1 << QDate(2025, 2, 3) << "Fevereiro"
                                           << "01/02/2025"
                                           << "28/02/2025";
        QTest::newRow("pagas, December") << 0 << QDate(2025, 12, 31) << "Dezembro"
                                         << "01/12/2025"
                                         << "31/12/2025";
    }
    void monthAndToday() {
        QFETCH(int, page);
        QFETCH(QDate, today);
        QFETCH(QString, name);
        QFETCH(QString, first);
        QFETCH(QString, last);
        Clock::set(QDateTime(today, QTime(8, 0)));
        const QDate firstDay(today.year(), today.month(), 1);
        const QDate lastDay = firstDay.addMonths(1).addDays(-1);
        for (const QDate& day : {firstDay, lastDay}) {
            bill("tbreceber", "R", day, page == 0 ? QVariant(day) : QVariant(), 1);
            bill("tbpagar", "P", day, page == 0 ? QVariant(day) : QVariant(), 3);
        }
        open();
        window_->PageControl1->setCurrentIndex(page);
        QRadioButton* month = page == 0 ? window_->RadioButton1 : window_->RadioButton3;
        QRadioButton* hoje = page == 0 ? window_->RadioButton2 : window_->RadioButton4;
        MaskEdit* start = page == 0 ? window_->MaskEdit5 : window_->MaskEdit2;
        MaskEdit* end = page == 0 ? window_->MaskEdit6 : window_->MaskEdit3;
        QCOMPARE(month->text(), QString::fromUtf8(name.toUtf8()));

        QTest::mouseClick(hoje, Qt::LeftButton);
        QTest::mouseClick(month, Qt::LeftButton);
        QVERIFY(month->isChecked());
        QVERIFY(!hoje->isChecked());
        QCOMPARE(start->maskedText(), first);
        QCOMPARE(end->maskedText(), last);
        QCOMPARE(totalTexts(page),
                 QStringList({"Total das Entradas: 2,00", "Total das Saídas: 6,00", "Saldo: -4,00"}));

        QTest::mouseClick(hoje, Qt::LeftButton);
        QVERIFY(hoje->isChecked());
        QVERIFY(!month->isChecked());
        QCOMPARE(start->maskedText(), today.toString("dd/MM/yyyy"));
        QCOMPARE(end->maskedText(), today.toString("dd/MM/yyyy"));
        QCOMPARE(QApplication::focusWidget(), page == 0 ? start : end);
        QVERIFY(dialogs_->calls.isEmpty());
    }

    // Enter and Esc in the period boxes, the labels that write today, and what a change of tab resets.
    void keysLabelsAndTabs() {
        bill("tbreceber", "R", QDate(2025, 3, 3), QDate(2025, 3, 3), 7);
        open();
        for (int page : {0, 1}) {
            window_->PageControl1->setCurrentIndex(page);
            MaskEdit* start = page == 0 ? window_->MaskEdit5 : window_->MaskEdit2;
            MaskEdit* end = page == 0 ? window_->MaskEdit6 : window_->MaskEdit3;
            setBox(start, "01/03/2025");
            QTest::keyClick(start, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), end);
            QTest::keyClick(end, Qt::Key_Escape);
            QCOMPARE(QApplication::focusWidget(), start);
            QVERIFY(window_->isVisible());
            QTest::mouseClick(page == 0 ? window_->Label5 : window_->Label7, Qt::LeftButton);
            QCOMPARE(start->maskedText(), QString("10/03/2025"));
            setBox(start, "01/03/2025");
            setBox(end, "");
            QTest::mouseClick(page == 0 ? window_->Label6 : window_->Label8, Qt::LeftButton);
            QCOMPARE(end->maskedText(), QString("10/03/2025"));
            QTest::keyClick(end, Qt::Key_Enter);
        }
        QCOMPARE(window_->labelentrada->text(), QString("Total das Entradas: 7,00"));
        // Switching tabs resets the boxes of the tab shown and runs nothing.
        setBox(window_->MaskEdit2, "01/01/2025");
        window_->PageControl1->setCurrentIndex(0);
        QCOMPARE(window_->MaskEdit5->maskedText(), QString("10/03/2025"));
        QCOMPARE(window_->MaskEdit2->maskedText(), QString("01/01/2025"));
        QCOMPARE(window_->labelentrada->text(), QString("Total das Entradas: 7,00"));
        QCOMPARE(rows(window_->DBGrid1), QStringList{"R|03/03/2025|7,00"});
        QVERIFY(dialogs_->calls.isEmpty());
    }

    // Coming back from a preview or the chart brings both tabs to today.
    void backToToday_data() {
        QTest::addColumn<bool>("chart");
        QTest::newRow("preview") << false;
        QTest::newRow("chart") << true;
    }
    void backToToday() {
        QFETCH(bool, chart);
        bill("tbreceber", "R ONTEM", kToday.addDays(-1), kToday.addDays(-1), 5);
        bill("tbpagar", "P HOJE", kToday, QVariant(), 8);
        open();
        setBox(window_->MaskEdit5, "09/03/2025");
        QTest::keyClick(window_->MaskEdit5, Qt::Key_Return);
        QTest::keyClick(window_->MaskEdit6, Qt::Key_Return);
        setBox(window_->MaskEdit3, "01/01/2025");
        QTest::keyClick(window_->MaskEdit3, Qt::Key_Return);
        QCOMPARE(window_->labelentrada->text(), QString("Total das Entradas: 5,00"));
        QCOMPARE(window_->labelsaidaN->text(), QString::fromUtf8("Total das Saídas: 0,00"));
        QString seen;
        if (chart) {
            QTimer::singleShot(0, this, [&] {
                auto* dialog = qobject_cast<GraficoFluxo*>(QApplication::activeModalWidget());
                if (!dialog) return;
                seen = dialog->windowTitle();
                dialog->close();
            });
            QTest::mouseClick(window_->Grafico, Qt::LeftButton);
            QCOMPARE(seen, QString::fromUtf8("Gráfico do Fluxo de Caixa"));
        } else {
            QTest::mouseClick(window_->SpeedButton2, Qt::LeftButton);
            QCOMPARE(dialogs_->kinds(), QStringList{"preview"});
        }
        for (MaskEdit* box : {window_->MaskEdit5, window_->MaskEdit6, window_->MaskEdit2, window_->MaskEdit3})
            QCOMPARE(box->maskedText(), QString("10/03/2025"));
        QCOMPARE(window_->labelentrada->text(), QString("Total das Entradas: 0,00"));
        QCOMPARE(window_->labelsaidaN->text(), QString::fromUtf8("Total das Saídas: 8,00"));
    }

    // The printed lists take the period from the boxes as they are and the expense total from its label.
    void printing_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("entradas") << 2 << "Entradas" << QStringList{"Período:",   "De:",        "10/03/2025",
                                                                    "à:",         "10/03/2025", "Entradas",
                                                                    "Data",       "Referência", "Valor",
                                                                    "10/03/2025", "R HOJE",     "1.000,00",
                                                                    "10/03/2025", "R OUTRA",    "0,50",
                                                                    "TOTAL",      "1.000,50"};
        QTest::newRow("saidas") << 3 << "Saídas"
                                << QStringList{"Período:",
                                               "De:",
                                               "10/03/2025",
                                               "à:",
                                               "10/03/2025",
                                               "Saídas",
                                               "Data",
                                               "Referência",
                                               "Valor",
                                               "10/03/2025",
                                               "P HOJE",
                                               "2.345,50",
                                               "Total das Saídas: 2.345,50"};
        QTest::newRow("entradas a receber")
            << 1 << "Entradas à Receber"
            << QStringList{"Período:",           "De:",        "10/03/2025", "à:",    "10/03/2025",
                           "Entradas à Receber", "Vencimento", "Referência", "Valor", "10/03/2025",
                           "R ABERTA",           "3,00",       "TOTAL",      "3,00"};
        QTest::newRow("saidas a pagar")
            << 4 << "Saídas à Pagar"
            << QStringList{"Período:",       "De:",        "10/03/2025", "à:",    "10/03/2025",
                           "Saídas à Pagar", "Vencimento", "Referência", "Valor", "Total das Saídas: 0,00"};
    }
    void printing() {
        QFETCH(int, button);
        QFETCH(QString, name);
        QFETCH(QStringList, texts);
        bill("tbreceber", "R HOJE", kToday, kToday, 1000);
        bill("tbreceber", "R OUTRA", kToday, kToday, 0.5);
        bill("tbreceber", "R ABERTA", kToday, QVariant(), 3);
        bill("tbpagar", "P HOJE", kToday.addDays(-3), kToday, 2345.5);
        open();
        window_->PageControl1->setCurrentIndex(button == 1 || button == 4 ? 1 : 0);
        QTest::mouseClick(button == 1 || button == 4 ? window_->RadioButton4 : window_->RadioButton2,
                          Qt::LeftButton);
        QPushButton* buttons[] = {nullptr, window_->SpeedButton1, window_->SpeedButton2,
                                  window_->SpeedButton3, window_->SpeedButton4};
        QTest::mouseClick(buttons[button], Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList{"preview"});
        const Report::Document& document = dialogs_->previews[0];
        QCOMPARE(document.name, name);
        QCOMPARE(document.zoom, Report::Zoom::PageWidth);
        QVERIFY(document.maximised);
        QCOMPARE(document.pages.size(), 1);
        QCOMPARE(document.texts(), texts);
        if (button == 3) QCOMPARE(document.texts().last(), window_->labelsaida->text());

        // The period printed is what the boxes hold, even when it was never run.
        setBox(button == 1 || button == 4 ? window_->MaskEdit2 : window_->MaskEdit5, "01/01/2025");
        QTest::mouseClick(buttons[button], Qt::LeftButton);
        QCOMPARE(dialogs_->previews[1].texts()[2], QString("01/01/2025"));
        QCOMPARE(dialogs_->previews[1].texts().mid(9), texts.mid(9));
    }

    // The labels and the printed lists give one total: three amounts of 100/3 are 100,00 on both, amounts
    // adding to 13.178,475 are 13.178,48, and the balance is the difference of the two shown.
    void totalOnScreenIsTotalOnPaper() {
        for (int i = 0; i < 3; ++i) {
            bill("tbreceber", "PAGA", kToday, kToday, 100.0 / 3);
            bill("tbreceber", "ABERTA", kToday, QVariant(), 100.0 / 3);
        }
        bill("tbpagar", "PAGA", kToday, kToday, 13000.4);
        bill("tbpagar", "PAGA", kToday, kToday, 178.075);
        bill("tbpagar", "ABERTA", kToday, QVariant(), 13178.475);
        open();
        const QStringList totals = {"Total das Entradas: 100,00", "Total das Saídas: 13.178,48",
                                    "Saldo: -13.078,48"};
        struct Tab {
            QRadioButton* today;
            QPushButton *income, *expenses;
        } tabs[] = {{window_->RadioButton2, window_->SpeedButton2, window_->SpeedButton3},
                    {window_->RadioButton4, window_->SpeedButton1, window_->SpeedButton4}};
        for (int page : {0, 1}) {
            window_->PageControl1->setCurrentIndex(page);
            QTest::mouseClick(tabs[page].today, Qt::LeftButton);
            QCOMPARE(totalTexts(page), totals);
            QTest::mouseClick(tabs[page].income, Qt::LeftButton);
            QCOMPARE(dialogs_->previews.last().texts().last(), QString("100,00"));
            QTest::mouseClick(tabs[page].expenses, Qt::LeftButton);
            QCOMPARE(dialogs_->previews.last().texts().last(), totals[1]);
        }
    }

    // Each month of the chart holds what the lists show for that month.
    void chartMatchesTheLists() {
        const QDate days[] = {QDate(2024, 4, 1), QDate(2024, 4, 30), QDate(2024, 12, 31), QDate(2025, 3, 10),
                              QDate(2025, 4, 1), QDate(2026, 2, 28), QDate(2026, 3, 1)};
        double value = 1.25;
        for (const QDate& day : days) {
            bill("tbreceber", "R", day, day, value);
            bill("tbpagar", "P", day, day, value * 3);
            bill("tbreceber", "RA", day, QVariant(), value * 5);
            bill("tbpagar", "PA", day, QVariant(), value * 7);
            value += 10.01;
        }
        bill("tbpagar", "PAGO ANTES", QDate(2024, 3, 31), QDate(2024, 3, 31), 99);
        open();
        const GraficoFluxo::Figures figures = GraficoFluxo::compute(QDate(2025, 3, 10));
        QCOMPARE(figures.paid.size(), 12);
        QCOMPARE(figures.open.size(), 12);
        QCOMPARE(figures.paid.first().first, QDate(2024, 4, 1));
        QCOMPARE(figures.open.last().first, QDate(2026, 2, 1));
        for (int tab : {0, 1}) {
            for (const GraficoFluxo::Month& month : tab == 0 ? figures.paid : figures.open) {
                window_->PageControl1->setCurrentIndex(tab);
                setBox(tab == 0 ? window_->MaskEdit5 : window_->MaskEdit2,
                       month.first.toString("dd/MM/yyyy"));
                setBox(tab == 0 ? window_->MaskEdit6 : window_->MaskEdit3,
                       month.first.addMonths(1).addDays(-1).toString("dd/MM/yyyy"));
                QTest::mouseClick(tab == 0 ? window_->BitBtn1 : window_->BitBtn2, Qt::LeftButton);
                const QStringList expected = {"Total das Entradas: " + Formats::number(month.income / 100.0),
                                              "Total das Saídas: " + Formats::number(month.expenses / 100.0),
                                              "Saldo: " + Formats::number(month.balance() / 100.0)};
                QCOMPARE(totalTexts(tab), expected);
            }
        }
        QCOMPARE(figures.paid.first().income, 125 + 1126);
        QVERIFY(dialogs_->calls.isEmpty());
    }

    // "Fluxo Caixa" opens the window modally on its first tab with today's rows listed.
    void opensFromTheMainWindow() {
        bill("tbreceber", "R HOJE", kToday, kToday, 12);
        TFPrincipal principal;
        principal.setShowLoginOnActivate(false);
        QString seen;
        QTimer::singleShot(0, this, [&] {
            auto* window = qobject_cast<TFFluxo*>(QApplication::activeModalWidget());
            if (!window) return;
            seen = window->windowTitle() + "|" + QString::number(window->PageControl1->currentIndex()) + "|" +
                   window->labelentrada->text();
            window->close();
        });
        principal.toolButton("Fluxo Caixa")->click();
        QCOMPARE(seen, QString("FLUXO DE CAIXA|0|Total das Entradas: 12,00"));
        QVERIFY(principal.findChildren<TFFluxo*>().isEmpty());
    }

private:
    void open() {
        window_ = std::make_unique<TFFluxo>();
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    QStringList rows(QueryGrid* grid) const {
        QStringList list;
        const int columns = grid->model()->columnCount();
        for (int row = 0; row < grid->model()->rowCount(); ++row) {
            QStringList cells;
            for (int c = 0; c < columns; ++c)
                cells << grid->model()->index(row, c).data().toString();
            list << cells.join('|');
        }
        return list;
    }
    QStringList totalTexts(int page) const {
        if (page == 0)
            return {window_->labelentrada->text(), window_->labelsaida->text(), window_->labelsaldo->text()};
        return {window_->labelentradaN->text(), window_->labelsaidaN->text(), window_->labelsaldoN->text()};
    }

    std::unique_ptr<TempData> data_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<TFFluxo> window_;
};

QTEST_MAIN(FluxoTest)
#include "tst_fluxo.moc"
