#pragma once

#include <QDate>
#include <QDialog>
#include <QStringList>

#include "Layout.h"

class MaskEdit;
class Query;
class QueryGrid;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;

// The Portuguese name of a month written with two digits ("03" gives "Março"); any other text gives "".
QString NomeMes(const QString& mes);

// The four statements of the cash-flow window over a period, as the lines they are set with.
namespace FluxoSql {
enum Which { Entradas, Saidas, NEntradas, NSaidas };
QStringList lines(Which which, const QDate& start, const QDate& end);
}  // namespace FluxoSql

// "FLUXO DE CAIXA": income against expenses over a period, what was paid on the first tab and what is still
// open on the second, with totals, balance, printed lists and a month-by-month chart.
class TFFluxo : public QDialog {
    Q_OBJECT
public:
    enum Page { AnaliticoPagas = 0, AnaliticoNaoPagas = 1 };

    explicit TFFluxo(QWidget* parent = nullptr);
    ~TFFluxo() override;

    // Handlers.
    void FormActivate();
    void FormClose();
    void PageControl1Change(int index);
    void BitBtn1Click();
    void BitBtn2Click();
    void Label5Click();
    void Label6Click();
    void Label7Click();
    void Label8Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void SpeedButton1Click();  // "Visualizar Entradas", open rows
    void SpeedButton2Click();  // "Visualizar Entradas", paid rows
    void SpeedButton3Click();  // "Visualizar Saídas", paid rows
    void SpeedButton4Click();  // "Visualizar Saídas", open rows
    void GraficoClick();

    // Actions. The analyses raise DataError for a date that can't be read; the handlers show it.
    void fanalitico();
    void fanaliticoNpagas();
    void totalizar();
    void TotalNpagas();
    void PegaMesAtual();

    // The printed lists: the paid income and expenses, and the open ones.
    Report::Layout QuickRep2() const;
    Report::Layout QuickRep3() const;
    Report::Layout openIncomeList() const;
    Report::Layout openExpenseList() const;

    QTabWidget* PageControl1;
    MaskEdit* MaskEdit1;  // hidden: today, for PegaMesAtual
    MaskEdit* MaskEdit5;
    MaskEdit* MaskEdit6;
    MaskEdit* MaskEdit2;
    MaskEdit* MaskEdit3;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QRadioButton* RadioButton4;
    QPushButton* SpeedButton1;
    QPushButton* SpeedButton2;
    QPushButton* SpeedButton3;
    QPushButton* SpeedButton4;
    QPushButton* Grafico;
    QueryGrid* DBGrid1;
    QueryGrid* DBGrid2;
    QueryGrid* DBGrid3;
    QueryGrid* DBGrid4;
    Query* queryentrada;
    Query* querysaida;
    Query* Nentradas;
    Query* Nsaidas;
    QLabel* labelentrada;
    QLabel* labelsaida;
    QLabel* labelsaldo;
    QLabel* labelentradaN;
    QLabel* labelsaidaN;
    QLabel* labelsaldoN;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Tab;
    QWidget* buildPage(Tab& tab);
    void analyse(MaskEdit* start, MaskEdit* end, Query* income, FluxoSql::Which incomeSql, Query* expense,
                 FluxoSql::Which expenseSql);
    void showTotals(Query* income, Query* expense, QLabel* incomeLabel, QLabel* expenseLabel,
                    QLabel* balanceLabel);
    void selectMonth(MaskEdit* start, MaskEdit* end);
    void preview(const Report::Layout& layout, MaskEdit* start, MaskEdit* end, const QString& summary = {});
    void backFromOwnWindow();

    bool activated_ = false;
};
