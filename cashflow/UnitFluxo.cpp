#include "UnitFluxo.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Clock.h"
#include "DataError.h"
#include "Database.h"
#include "Dialogs.h"
#include "Filler.h"
#include "Formats.h"
#include "GraficoFluxo.h"
#include "MaskEdit.h"
#include "Money.h"
#include "Query.h"
#include "QueryGrid.h"
#include "ScreenFit.h"
#include "Skin.h"
#include "Values.h"

using namespace Report;

namespace {

const QString kDateMask = QStringLiteral("99/99/9999");
const QString kMoney = QStringLiteral("###,##0.00");
const QString kTodayHint = QStringLiteral("Clique para inserir a data Atual!");
const QColor kIncomeColor(0, 0, 255);
const QColor kExpenseColor(255, 0, 0);

// Columns of the printed lists, from the left margin.
constexpr double kReferenceColumn = 26;
constexpr double kValueColumn = 150;

QString usDate(const QDate& date) {
    return QLatin1Char('"') + date.toString(QStringLiteral("MM/dd/yyyy")) + QLatin1Char('"');
}

void setToday(MaskEdit* box) {
    box->setMaskedText(Formats::date(Clock::today()));
}

Font arial(double points, bool bold = false) {
    return Font().sized(points).withBold(bold);
}

// One printed list: a title band with the period and the column captions, one line per row, and a total.
Layout listLayout(const QString& title, Query* source, const QString& dateField, const QString& dateCaption,
                  bool totalFromLabel) {
    Layout layout;
    layout.name = title;
    layout.source = source;
    layout.zoom = Zoom::PageWidth;
    layout.maximised = true;
    const double width = layout.contentWidth();
    const double valueWidth = width - kValueColumn;

    Band& head = layout.addBand(BandKind::Title, 24.1);
    head.elements << text(0, 1, QStringLiteral("Período:"), arial(10))
                  << text(0, 8, QStringLiteral("De:"), arial(10))
                  << label(8, 8, QStringLiteral("QRLabelDe"), QStringLiteral("__/__/____"), arial(10))
                  << text(30, 8, QStringLiteral("à:"), arial(10))
                  << label(36, 8, QStringLiteral("QRLabelAte"), QStringLiteral("__/__/____"), arial(10))
                  << text(0, 7.5, title, arial(12, true), width, Qt::AlignHCenter)
                  << text(1, 18.5, dateCaption, arial(10, true))
                  << text(kReferenceColumn + 1.5, 18.5, QStringLiteral("Referência"), arial(10, true))
                  << text(kValueColumn, 18.5, QStringLiteral("Valor"), arial(10, true), valueWidth,
                          Qt::AlignHCenter);

    Band& line = layout.addBand(BandKind::Detail, 5);
    Element amount =
        field(kValueColumn, 0.5, QStringLiteral("Valor"), arial(10), valueWidth, Qt::AlignHCenter);
    amount.mask = kMoney;
    const Element date = field(1, 0.5, dateField, arial(10));
    const Element reference = field(kReferenceColumn + 1.5, 0.5, QStringLiteral("Referência"), arial(10),
                                    kValueColumn - kReferenceColumn - 3);
    line.elements << date << vline(kReferenceColumn, 0, 5) << reference << vline(kValueColumn, 0, 5)
                  << amount;
    // In the spreadsheet the total is always the sum of the rows, a number to calculate with: the same figure
    // as the window's total label that the expense lists print.
    layout.sheet = {{dateCaption, date, {}},
                    {QStringLiteral("Referência"), reference, text(0, 0, QStringLiteral("TOTAL"))},
                    {QStringLiteral("Valor"), amount, sum(0, 0, QStringLiteral("Valor"), kMoney)}};

    Band& total = layout.addBand(BandKind::Summary, 14);
    if (totalFromLabel) {
        total.elements << label(0, 4, QStringLiteral("QRLabelTotal"), QStringLiteral("TOTAL"),
                                arial(14, true), width, Qt::AlignRight);
    } else {
        total.elements << text(kValueColumn - 40, 4, QStringLiteral("TOTAL"), arial(14, true))
                       << sum(kValueColumn - 20, 4, QStringLiteral("Valor"), kMoney, arial(14, true),
                              width - kValueColumn + 20, Qt::AlignRight);
    }
    return layout;
}

// The total of the third column, "Valor": a blank amount counts 0.
Money total(Query* query) {
    if (!query->active()) return {};
    return query->sum(query->fieldDef(2).name);
}

QDate periodDate(const MaskEdit* box) {
    try {
        return Values::parseDate(box->maskedText());
    } catch (const DataError& error) {
        throw DataError(error.message() +
                        QStringLiteral(". Informe o período com datas no formato dd/mm/aaaa."));
    }
}

}  // namespace

QString NomeMes(const QString& mes) {
    static const char* const names[] = {"Janeiro",  "Fevereiro", "Março",    "Abril",
                                        "Maio",     "Junho",     "Julho",    "Agosto",
                                        "Setembro", "Outubro",   "Novembro", "Dezembro"};
    for (int month = 1; month <= 12; ++month)
        if (mes == QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0')))
            return QString::fromUtf8(names[month - 1]);
    return {};
}

QStringList FluxoSql::lines(Which which, const QDate& start, const QDate& end) {
    const QString paid = QStringLiteral(" where DataPagamento between %1 and %2 order by DataPagamento");
    const QString open = QStringLiteral("and DataVencimento between %1 and %2 order by DataVencimento");
    switch (which) {
        case Entradas:
            return {QStringLiteral("select (fantasia) as Referência, (DataPagamento) as Entrada, "
                                   "(valorDocumento) as Valor from tbreceber"),
                    paid.arg(usDate(start), usDate(end))};
        case Saidas:
            return {QStringLiteral("select (fantasia) as Referência, (DataPagamento) as saida, "
                                   "(valorDocumento) as Valor from tbpagar"),
                    paid.arg(usDate(start), usDate(end))};
        case NEntradas:
            return {
                QStringLiteral("select DataVencimento,(fantasia) as Referência, (valorDocumento) as Valor "
                               "from tbreceber where DataPagamento is null "),
                open.arg(usDate(start), usDate(end))};
        case NSaidas:
            return {
                QStringLiteral("select DataVencimento,(fantasia) as Referência, (valorDocumento) as Valor "
                               "from tbpagar where DataPagamento is null "),
                open.arg(usDate(start), usDate(end))};
    }
    return {};
}

// What sets one tab apart from the other.
struct TFFluxo::Tab {
    QString caption;
    MaskEdit** start;
    MaskEdit** end;
    QLabel** de;
    QLabel** a;
    QPushButton** ok;
    QRadioButton** month;
    QRadioButton** today;
    QPushButton** printIncome;
    QPushButton** printExpense;
    QString incomeHeading;
    QString expenseHeading;
    QueryGrid** incomeGrid;
    QueryGrid** expenseGrid;
    Query* income;
    Query* expense;
    QLabel** incomeTotal;
    QLabel** expenseTotal;
    QLabel** balance;
    QStringList names;  // object names, in the order of the pointers above
};

TFFluxo::TFFluxo(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("FLUXO DE CAIXA"));
    setObjectName(QStringLiteral("FFluxo"));
    setStyleSheet(
        QStringLiteral("QLabel[role=\"heading\"] { font-weight: bold; font-size: 11pt; color: #000080; }"
                       "QLabel[role=\"total\"] { font-weight: bold; font-size: 10pt; }"
                       "QLabel[role=\"today\"] { color: #000080; text-decoration: underline; }"));

    auto query = [this](const char* name) {
        auto* q = new Query(this);
        q->setObjectName(QString::fromUtf8(name));
        q->setDatabaseName(kAliasVantejaVs2);
        // A period may hold a million rows: the lists read them as they come into view.
        q->setReadOnDemand(true);
        return q;
    };
    queryentrada = query("queryentrada");
    querysaida = query("querysaida");
    Nentradas = query("Nentradas");
    Nsaidas = query("Nsaidas");

    MaskEdit1 = new MaskEdit(this);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit1->setEditMask(kDateMask);
    MaskEdit1->hide();

    Tab paid{
        QStringLiteral("Analítico Pagas"),
        &MaskEdit5,
        &MaskEdit6,
        &Label5,
        &Label6,
        &BitBtn1,
        &RadioButton1,
        &RadioButton2,
        &SpeedButton2,
        &SpeedButton3,
        QStringLiteral("ENTRADAS"),
        QStringLiteral("SAÍDAS"),
        &DBGrid1,
        &DBGrid2,
        queryentrada,
        querysaida,
        &labelentrada,
        &labelsaida,
        &labelsaldo,
        {"MaskEdit5", "MaskEdit6", "Label5", "Label6", "BitBtn1", "RadioButton1", "RadioButton2",
         "SpeedButton2", "SpeedButton3", "DBGrid1", "DBGrid2", "labelentrada", "labelsaida", "labelsaldo"}};
    Tab open{QStringLiteral("Analítico Não Pagas"),
             &MaskEdit2,
             &MaskEdit3,
             &Label7,
             &Label8,
             &BitBtn2,
             &RadioButton3,
             &RadioButton4,
             &SpeedButton1,
             &SpeedButton4,
             QStringLiteral("ENTRADAS À RECEBER"),
             QStringLiteral("SAÍDAS À PAGAR"),
             &DBGrid3,
             &DBGrid4,
             Nentradas,
             Nsaidas,
             &labelentradaN,
             &labelsaidaN,
             &labelsaldoN,
             {"MaskEdit2", "MaskEdit3", "Label7", "Label8", "BitBtn2", "RadioButton3", "RadioButton4",
              "SpeedButton1", "SpeedButton4", "DBGrid3", "DBGrid4", "labelentradaN", "labelsaidaN",
              "labelsaldoN"}};

    auto* layout = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(buildPage(paid), paid.caption);
    PageControl1->addTab(buildPage(open), open.caption);
    layout->addWidget(PageControl1);

    // The chart belongs to the paid rows.
    Grafico = Skin::pushButton(QStringLiteral("Gráfico"), QStringLiteral("Grafico"), this);
    qobject_cast<QBoxLayout*>(SpeedButton2->parentWidget()->layout())->addWidget(Grafico);

    connect(PageControl1, &QTabWidget::currentChanged, this, &TFFluxo::PageControl1Change);
    connect(BitBtn1, &QPushButton::clicked, this, &TFFluxo::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFFluxo::BitBtn2Click);
    connect(RadioButton1, &QRadioButton::clicked, this, &TFFluxo::RadioButton1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TFFluxo::RadioButton2Click);
    connect(RadioButton3, &QRadioButton::clicked, this, &TFFluxo::RadioButton3Click);
    connect(RadioButton4, &QRadioButton::clicked, this, &TFFluxo::RadioButton4Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TFFluxo::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TFFluxo::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TFFluxo::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &TFFluxo::SpeedButton4Click);
    connect(Grafico, &QPushButton::clicked, this, &TFFluxo::GraficoClick);

    // Created on today, so the main window's first analysis has a period to run on.
    for (MaskEdit* box : {MaskEdit5, MaskEdit6, MaskEdit2, MaskEdit3})
        setToday(box);
    PegaMesAtual();
    ScreenFit::fit(this, QSize(940, 600));
}

TFFluxo::~TFFluxo() = default;

QWidget* TFFluxo::buildPage(Tab& tab) {
    auto* page = new QWidget;
    auto name = [&tab](int i) { return tab.names[i]; };
    auto* layout = new QVBoxLayout(page);

    auto* top = new QHBoxLayout;
    auto* period = new QGroupBox(QStringLiteral("Período: "), page);
    auto* periodLayout = new QHBoxLayout(period);
    auto todayLabel = [&](QLabel** label, const QString& text, int i) {
        *label = new QLabel(text, period);
        (*label)->setObjectName(name(i));
        (*label)->setToolTip(kTodayHint);
        (*label)->setProperty("role", QStringLiteral("today"));
        (*label)->setCursor(Qt::PointingHandCursor);
        (*label)->installEventFilter(this);
    };
    auto dateBox = [&](MaskEdit** box, int i) {
        *box = new MaskEdit(period);
        (*box)->setObjectName(name(i));
        (*box)->setEditMask(kDateMask);
        (*box)->setFixedWidth(90);
        (*box)->installEventFilter(this);
    };
    todayLabel(tab.de, QStringLiteral("De"), 2);
    dateBox(tab.start, 0);
    todayLabel(tab.a, QStringLiteral("a"), 3);
    dateBox(tab.end, 1);
    *tab.ok = Skin::pushButton(QStringLiteral("Ok"), name(4), period);
    periodLayout->addWidget(*tab.de);
    periodLayout->addWidget(*tab.start);
    periodLayout->addWidget(*tab.a);
    periodLayout->addWidget(*tab.end);
    periodLayout->addWidget(*tab.ok);
    top->addWidget(period);

    auto radioGroup = [&](const QString& caption, QRadioButton** radio, const QString& text, int i) {
        auto* group = new QGroupBox(caption, page);
        auto* groupLayout = new QHBoxLayout(group);
        *radio = new QRadioButton(text, group);
        (*radio)->setObjectName(name(i));
        // Each button stands alone in its group; the handlers uncheck the other one.
        (*radio)->setAutoExclusive(false);
        groupLayout->addWidget(*radio);
        top->addWidget(group);
    };
    radioGroup(QStringLiteral("Do Mês Atual"), tab.month, QStringLiteral("Atual"), 5);
    radioGroup(QStringLiteral("Do dia "), tab.today, QStringLiteral("Hoje"), 6);

    auto* printing = new QWidget(page);
    auto* printingLayout = new QVBoxLayout(printing);
    printingLayout->setContentsMargins(0, 0, 0, 0);
    *tab.printIncome = Skin::pushButton(QStringLiteral("Visualizar Entradas"), name(7), printing);
    *tab.printExpense = Skin::pushButton(QStringLiteral("Visualizar Saídas"), name(8), printing);
    printingLayout->addWidget(*tab.printIncome);
    printingLayout->addWidget(*tab.printExpense);
    top->addWidget(printing);
    top->addStretch();
    layout->addLayout(top);

    auto* lists = new QGridLayout;
    auto list = [&](QueryGrid** grid, Query* query, const QString& heading, const QColor& color, int i,
                    int column) {
        auto* title = new QLabel(heading, page);
        title->setProperty("role", QStringLiteral("heading"));
        title->setAlignment(Qt::AlignCenter);
        *grid = new QueryGrid(page);
        (*grid)->setObjectName(name(i));
        (*grid)->setQuery(query);
        (*grid)->queryModel()->setTextStyle(color, true);
        lists->addWidget(title, 0, column);
        lists->addWidget(*grid, 1, column);
    };
    list(tab.incomeGrid, tab.income, tab.incomeHeading, kIncomeColor, 9, 0);
    list(tab.expenseGrid, tab.expense, tab.expenseHeading, kExpenseColor, 10, 1);
    layout->addLayout(lists, 1);

    auto* totals = new QHBoxLayout;
    auto total = [&](QLabel** label, const QString& caption, Qt::Alignment alignment, int i) {
        *label = new QLabel(caption + Money().text(), page);
        (*label)->setObjectName(name(i));
        (*label)->setProperty("role", QStringLiteral("total"));
        (*label)->setAlignment(alignment | Qt::AlignVCenter);
        totals->addWidget(*label, 1);
    };
    total(tab.incomeTotal, QStringLiteral("Total das Entradas: "), Qt::AlignLeft, 11);
    total(tab.expenseTotal, QStringLiteral("Total das Saídas: "), Qt::AlignHCenter, 12);
    total(tab.balance, QStringLiteral("Saldo: "), Qt::AlignRight, 13);
    layout->addLayout(totals);
    return page;
}

bool TFFluxo::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !activated_) {
        activated_ = true;
        FormActivate();
    }
    return QDialog::event(event);
}

bool TFFluxo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == Label5) Label5Click();
        if (watched == Label6) Label6Click();
        if (watched == Label7) Label7Click();
        if (watched == Label8) Label8Click();
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter && (watched == MaskEdit5 || watched == MaskEdit2)) {
        (watched == MaskEdit5 ? MaskEdit6 : MaskEdit3)->setFocus();
        return true;
    }
    if (enter && watched == MaskEdit6) {
        guarded(this, [this] { fanalitico(); });
        return true;
    }
    if (enter && watched == MaskEdit3) {
        guarded(this, [this] { fanaliticoNpagas(); });
        return true;
    }
    if (key == Qt::Key_Escape && (watched == MaskEdit6 || watched == MaskEdit3)) {
        (watched == MaskEdit6 ? MaskEdit5 : MaskEdit2)->setFocus();
        return true;
    }
    return false;
}

void TFFluxo::keyPressEvent(QKeyEvent* event) {
    // Esc does not close the window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFFluxo::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

void TFFluxo::FormActivate() {
    for (MaskEdit* box : {MaskEdit5, MaskEdit6, MaskEdit2, MaskEdit3})
        setToday(box);
    guarded(this, [this] {
        PegaMesAtual();
        fanalitico();
        fanaliticoNpagas();
    });
}

void TFFluxo::FormClose() {
    queryentrada->close();
    querysaida->close();
}

void TFFluxo::PageControl1Change(int index) {
    if (index == AnaliticoPagas) {
        setToday(MaskEdit5);
        setToday(MaskEdit6);
    } else {
        setToday(MaskEdit2);
        setToday(MaskEdit3);
    }
}

void TFFluxo::PegaMesAtual() {
    setToday(MaskEdit1);
    const QDate today = Values::parseDate(MaskEdit1->maskedText());
    const QString month = NomeMes(today.toString(QStringLiteral("MM")));
    RadioButton1->setText(month);
    RadioButton3->setText(month);
}

void TFFluxo::analyse(MaskEdit* start, MaskEdit* end, Query* income, FluxoSql::Which incomeSql,
                      Query* expense, FluxoSql::Which expenseSql) {
    // Both dates are read before either query changes, so a bad one leaves the lists as they were.
    const QDate d1 = periodDate(start);
    const QDate d2 = periodDate(end);
    for (auto [query, which] : {std::pair{income, incomeSql}, std::pair{expense, expenseSql}}) {
        query->close();
        query->clearSql();
        for (const QString& line : FluxoSql::lines(which, d1, d2))
            query->addSql(line);
        query->open();
        query->fieldByName(QStringLiteral("Valor")).setDisplayFormat(kMoney);
    }
}

void TFFluxo::fanalitico() {
    if (MaskEdit5->isMaskBlank() || MaskEdit6->isMaskBlank()) return;
    analyse(MaskEdit5, MaskEdit6, queryentrada, FluxoSql::Entradas, querysaida, FluxoSql::Saidas);
    totalizar();
}

void TFFluxo::fanaliticoNpagas() {
    if (MaskEdit2->isMaskBlank() || MaskEdit3->isMaskBlank()) return;
    analyse(MaskEdit2, MaskEdit3, Nentradas, FluxoSql::NEntradas, Nsaidas, FluxoSql::NSaidas);
    TotalNpagas();
}

void TFFluxo::showTotals(Query* income, Query* expense, QLabel* incomeLabel, QLabel* expenseLabel,
                         QLabel* balanceLabel) {
    // The balance is exactly the difference of the totals shown.
    const Money in = total(income);
    const Money out = total(expense);
    incomeLabel->setText(QStringLiteral("Total das Entradas: ") + in.text());
    expenseLabel->setText(QStringLiteral("Total das Saídas: ") + out.text());
    balanceLabel->setText(QStringLiteral("Saldo: ") + (in - out).text());
}

void TFFluxo::totalizar() {
    showTotals(queryentrada, querysaida, labelentrada, labelsaida, labelsaldo);
}

void TFFluxo::TotalNpagas() {
    showTotals(Nentradas, Nsaidas, labelentradaN, labelsaidaN, labelsaldoN);
}

void TFFluxo::BitBtn1Click() {
    if (guarded(this, [this] { fanalitico(); })) MaskEdit6->setFocus();
}

void TFFluxo::BitBtn2Click() {
    guarded(this, [this] { fanaliticoNpagas(); });
}

void TFFluxo::Label5Click() {
    setToday(MaskEdit5);
}

void TFFluxo::Label6Click() {
    setToday(MaskEdit6);
}

void TFFluxo::Label7Click() {
    setToday(MaskEdit2);
}

void TFFluxo::Label8Click() {
    setToday(MaskEdit3);
}

void TFFluxo::selectMonth(MaskEdit* start, MaskEdit* end) {
    const QDate today = Clock::today();
    const QDate first(today.year(), today.month(), 1);
    start->setMaskedText(Formats::date(first));
    end->setMaskedText(Formats::date(first.addMonths(1).addDays(-1)));
}

void TFFluxo::RadioButton1Click() {
    RadioButton1->setChecked(true);
    selectMonth(MaskEdit5, MaskEdit6);
    guarded(this, [this] { fanalitico(); });
    RadioButton2->setChecked(false);
}

void TFFluxo::RadioButton3Click() {
    RadioButton3->setChecked(true);
    selectMonth(MaskEdit2, MaskEdit3);
    guarded(this, [this] { fanaliticoNpagas(); });
    RadioButton4->setChecked(false);
}

void TFFluxo::RadioButton2Click() {
    RadioButton2->setChecked(true);
    setToday(MaskEdit5);
    setToday(MaskEdit6);
    guarded(this, [this] { fanalitico(); });
    MaskEdit5->setFocus();
    RadioButton1->setChecked(false);
}

void TFFluxo::RadioButton4Click() {
    RadioButton4->setChecked(true);
    setToday(MaskEdit2);
    setToday(MaskEdit3);
    guarded(this, [this] { fanaliticoNpagas(); });
    MaskEdit3->setFocus();
    RadioButton3->setChecked(false);
}

Layout TFFluxo::QuickRep2() const {
    return listLayout(QStringLiteral("Entradas"), queryentrada, QStringLiteral("Entrada"),
                      QStringLiteral("Data"), false);
}

Layout TFFluxo::QuickRep3() const {
    return listLayout(QStringLiteral("Saídas"), querysaida, QStringLiteral("saida"), QStringLiteral("Data"),
                      true);
}

Layout TFFluxo::openIncomeList() const {
    return listLayout(QStringLiteral("Entradas à Receber"), Nentradas, QStringLiteral("DataVencimento"),
                      QStringLiteral("Vencimento"), false);
}

Layout TFFluxo::openExpenseList() const {
    return listLayout(QStringLiteral("Saídas à Pagar"), Nsaidas, QStringLiteral("DataVencimento"),
                      QStringLiteral("Vencimento"), true);
}

void TFFluxo::preview(const Layout& layout, MaskEdit* start, MaskEdit* end, const QString& summary) {
    // The period printed is what the boxes hold now, which need not be the period of the last run.
    FillContext context;
    context.labels.insert(QStringLiteral("QRLabelDe"), start->maskedText());
    context.labels.insert(QStringLiteral("QRLabelAte"), end->maskedText());
    if (!summary.isEmpty()) context.labels.insert(QStringLiteral("QRLabelTotal"), summary);
    context.printTime = Clock::now();
    Document document;
    if (!guarded(this, [&] { document = fill(layout, context); })) return;
    Dialogs::current().preview(this, document);
    backFromOwnWindow();
}

void TFFluxo::backFromOwnWindow() {
    // The windows opened from here share this one's activation, so it never sees itself become active again:
    // coming back from them is taken here.
    FormActivate();
}

void TFFluxo::SpeedButton2Click() {
    preview(QuickRep2(), MaskEdit5, MaskEdit6);
}

void TFFluxo::SpeedButton3Click() {
    preview(QuickRep3(), MaskEdit5, MaskEdit6, labelsaida->text());
}

void TFFluxo::SpeedButton1Click() {
    preview(openIncomeList(), MaskEdit2, MaskEdit3);
}

void TFFluxo::SpeedButton4Click() {
    preview(openExpenseList(), MaskEdit2, MaskEdit3, labelsaidaN->text());
}

void TFFluxo::GraficoClick() {
    if (MaskEdit6->isMaskBlank()) return;
    GraficoFluxo::Figures figures;
    if (!guarded(this, [&] { figures = GraficoFluxo::compute(periodDate(MaskEdit6)); })) return;
    GraficoFluxo chart(figures, this);
    chart.exec();
    backFromOwnWindow();
}
