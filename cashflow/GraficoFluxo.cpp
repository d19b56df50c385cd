#include "GraficoFluxo.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include "Database.h"
#include "Formats.h"
#include "Money.h"
#include "Query.h"
#include "ScreenFit.h"
#include "Skin.h"
#include "UnitFluxo.h"

namespace {

const QColor kIncomeColor(0, 0, 255);
const QColor kExpenseColor(255, 0, 0);

QVector<GraficoFluxo::Month> months(const QDate& first, int count) {
    QVector<GraficoFluxo::Month> list;
    for (int i = 0; i < count; ++i)
        list.append({first.addMonths(i), 0, 0});
    return list;
}

// Each month's total of a statement's amounts, from the statement run over that month alone: what its list
// would total for that month, summed by the engine from the index.
void addByMonth(QVector<GraficoFluxo::Month>& list, FluxoSql::Which which, bool income) {
    Query query;
    query.setDatabaseName(kAliasVantejaVs2);
    query.setReadOnDemand(true);
    for (GraficoFluxo::Month& month : list) {
        query.clearSql();
        for (const QString& line : FluxoSql::lines(which, month.first, month.first.addMonths(1).addDays(-1)))
            query.addSql(line);
        query.open();
        (income ? month.income : month.expenses) = query.sum(QStringLiteral("Valor")).centavos();
    }
}

QString monthLabel(const QDate& first) {
    return NomeMes(first.toString(QStringLiteral("MM"))).left(3) + QLatin1Char('/') +
           first.toString(QStringLiteral("yy"));
}

QBarSet* barSet(const QString& name, const QColor& color, const QVector<GraficoFluxo::Month>& list,
                bool income) {
    auto* set = new QBarSet(name);
    set->setColor(color);
    set->setBorderColor(color.darker(130));
    for (const GraficoFluxo::Month& month : list)
        *set << (income ? month.income : month.expenses) / 100.0;
    return set;
}

QChartView* chartView(const QString& title, const QVector<GraficoFluxo::Month>& list,
                      const QString& incomeName, const QString& expenseName, bool withBalance,
                      QWidget* parent) {
    auto* chart = new QChart;
    chart->setTitle(title);
    QFont titleFont = chart->titleFont();
    titleFont.setBold(true);
    titleFont.setPointSize(11);
    chart->setTitleFont(titleFont);
    chart->setLocalizeNumbers(true);
    chart->setLocale(Formats::brazil());
    chart->setAnimationOptions(QChart::NoAnimation);

    auto* bars = new QBarSeries;
    QBarSet* incomeSet = barSet(incomeName, kIncomeColor, list, true);
    QBarSet* expenseSet = barSet(expenseName, kExpenseColor, list, false);
    bars->append(incomeSet);
    bars->append(expenseSet);
    chart->addSeries(bars);

    QStringList categories;
    double low = 0, high = 0;
    for (const GraficoFluxo::Month& month : list) {
        categories << monthLabel(month.first);
        high = qMax(high, qMax(month.income, month.expenses) / 100.0);
        if (withBalance) {
            low = qMin(low, month.balance() / 100.0);
            high = qMax(high, month.balance() / 100.0);
        }
    }
    auto* axisX = new QBarCategoryAxis;
    axisX->append(categories);
    chart->addAxis(axisX, Qt::AlignBottom);
    bars->attachAxis(axisX);
    auto* axisY = new QValueAxis;
    axisY->setRange(low, high > low ? high : low + 1);
    axisY->setLabelFormat(QStringLiteral("%.0f"));
    axisY->applyNiceNumbers();
    chart->addAxis(axisY, Qt::AlignLeft);
    bars->attachAxis(axisY);

    if (withBalance) {
        auto* line = new QLineSeries;
        line->setName(QStringLiteral("Saldo"));
        QPen pen(QColor(0, 128, 0));
        pen.setWidth(3);
        line->setPen(pen);
        line->setPointsVisible(true);
        for (int i = 0; i < list.size(); ++i)
            line->append(i, list[i].balance() / 100.0);
        chart->addSeries(line);
        line->attachAxis(axisX);
        line->attachAxis(axisY);
    }

    // The amount of a bar, written the Brazilian way, under the pointer.
    auto* view = new QChartView(chart, parent);
    for (QBarSet* set : {incomeSet, expenseSet})
        QObject::connect(set, &QBarSet::hovered, view, [set, categories](bool status, int index) {
            if (status)
                QToolTip::showText(QCursor::pos(), set->label() + QStringLiteral(" ") +
                                                       categories.value(index) + QStringLiteral(": ") +
                                                       Formats::number(set->at(index)));
            else
                QToolTip::hideText();
        });
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(260);
    return view;
}

}  // namespace

GraficoFluxo::Figures GraficoFluxo::compute(const QDate& day) {
    const QDate month(day.year(), day.month(), 1);
    Figures figures;
    figures.paid = months(month.addMonths(-11), 12);
    addByMonth(figures.paid, FluxoSql::Entradas, true);
    addByMonth(figures.paid, FluxoSql::Saidas, false);
    figures.open = months(month, 12);
    addByMonth(figures.open, FluxoSql::NEntradas, true);
    addByMonth(figures.open, FluxoSql::NSaidas, false);
    return figures;
}

GraficoFluxo::GraficoFluxo(const Figures& figures, QWidget* parent) : QDialog(parent), figures_(figures) {
    setWindowTitle(QStringLiteral("Gráfico do Fluxo de Caixa"));
    setObjectName(QStringLiteral("GraficoFluxo"));
    auto* layout = new QVBoxLayout(this);
    const QDate last = figures.paid.last().first;
    const QDate firstOpen = figures.open.first().first;
    layout->addWidget(
        chartView(
            QStringLiteral("Pagas de %1 a %2").arg(monthLabel(figures.paid.first().first), monthLabel(last)),
            figures.paid, QStringLiteral("Entradas"), QStringLiteral("Saídas"), true, this),
        1);
    layout->addWidget(chartView(QStringLiteral("Em aberto, a vencer de %1 a %2")
                                    .arg(monthLabel(firstOpen), monthLabel(figures.open.last().first)),
                                figures.open, QStringLiteral("Entradas à Receber"),
                                QStringLiteral("Saídas à Pagar"), false, this),
                      1);
    auto* close = Skin::pushButton(QStringLiteral("Fechar"), QStringLiteral("Fechar"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    ScreenFit::fit(this, QSize(900, 680));
}
