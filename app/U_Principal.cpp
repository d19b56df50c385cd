#include "U_Principal.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

#include "BooksFolder.h"
#include "Clock.h"
#include "DBGrid.h"
#include "DataControls.h"
#include "DataError.h"
#include "Database.h"
#include "Dialogs.h"
#include "Formats.h"
#include "ImportarDados.h"
#include "LedgerFilters.h"
#include "LedgerTwin.h"
#include "PainelLogo.h"
#include "Pictures.h"
#include "Platform.h"
#include "Programs.h"
#include "Skin.h"
#include "Table.h"
#include "UReceber.h"
#include "U_Cadastro.h"
#include "U_ChavePix.h"
#include "U_Login.h"
#include "U_Usuarios.h"
#include "Unit1.h"
#include "UnitFluxo.h"
#include "UnitFornecedor.h"
#include "Unpagar.h"
#include "Values.h"
#include "WindowHooks.h"

namespace {

const QString kCloseRequest = QStringLiteral("CLOSE");
const int kCountdownSteps = 5;
// A picture area smaller than this has not been laid out yet.
const int kMinimumPlace = 50;

// What the two alert pages, the payables' and then the receivables', differ in: captions and object names.
struct AlertPage {
    const char* tab;
    const char* title;  // above the bills due today
    const char* todayNameTitle;
    const char* overdueHeading;  // the strip under today's bills, and the tab of the overdue ones
    const char* overdueDueTitle;
    const char* overdueNameTitle;
    const char* overdueValueTitle;
    const char* todayTotalName;
    const char* overdueTotalName;
};

const AlertPage kAlertPages[2] = {
    {.tab = "Contas a Pagar Vencendo Hoje",
     .title = "Contas a Pagar Vencendo Hoje",
     .todayNameTitle = "Nome (Credor)",
     .overdueHeading = "Contas a Pagar Vencidas",
     .overdueDueTitle = "Venceu Dia",
     .overdueNameTitle = "Nome (Credor)",
     .overdueValueTitle = "Valor Documento",
     .todayTotalName = "alertTotalPagar",
     .overdueTotalName = "alertTotalPagarVencidas"},
    {.tab = "Contas a Receber Hoje",
     .title = "Contas a Receber Vencendo Hoje",
     .todayNameTitle = "Nome",
     .overdueHeading = "Contas a Receber Vencidas",
     .overdueDueTitle = "Vencimento",
     .overdueNameTitle = "Nome(Credor)",
     .overdueValueTitle = "Valordocumento",
     .todayTotalName = "alertTotalReceber",
     .overdueTotalName = "alertTotalReceberVencidas"},
};

QLabel* panelLabel(QWidget* parent, int width, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(parent);
    if (width > 0) label->setFixedWidth(width);
    label->setAlignment(alignment);
    return label;
}

}  // namespace

TFPrincipal::TFPrincipal(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Vanteja 2.0 ID"));
    setObjectName(QStringLiteral("FPrincipal"));
    // The receipt editor offers to register an unknown client.
    WindowHooks::setClientsRegister([](QWidget* parent) {
        try {
            TCadastro cadastro(parent, TCadastro::PaginaCliente);
            cadastro.exec();
        } catch (const DataError& error) {
            showError(parent, error.message());
        }
    });

    // The five views stay open while the program runs; a missing folder, file or table stops the start here.
    // The ledger views open on their first filter (the alerts after the login): opened unfiltered now, they
    // would read every row of the ledgers before the login form shows.
    // Each alert view is over its ledger's table, in the ledger window's first order.
    auto alertView = [this](const Ledger::Twin& twin) {
        auto* view = new Table(kAliasVantejaVs2, QString::fromUtf8(twin.table), this);
        if (*twin.index) view->setIndexName(QString::fromUtf8(twin.index));
        view->setTotalField(QStringLiteral("Valordocumento"));
        return view;
    };
    TPagarHoje = alertView(Ledger::kPagar);
    TPagarVencidas = alertView(Ledger::kPagar);
    TReceberHoje = alertView(Ledger::kReceber);
    TReceberVencidas = alertView(Ledger::kReceber);
    Tlogo = new Table(kAliasVantejaVs2, QStringLiteral("logo.db"), this);
    for (Table* table : {TPagarHoje, TPagarVencidas, TReceberHoje, TReceberVencidas})
        table->checkStored();
    // Bills another user stores show in the panel, and in its totals, as they come.
    for (int page : {0, 1})
        for (bool overdue : {false, true})
            connect(view(page, overdue), &Dataset::othersStored, this, [this, page, overdue] {
                guarded(this, [&] { sumInto(view(page, overdue), page, overdue); });
            });
    Tlogo->open();

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TFPrincipal::Timer1Timer);
    TimerAviso = new QTimer(this);
    TimerAviso->setInterval(2500);
    connect(TimerAviso, &QTimer::timeout, this, &TFPrincipal::TimerAvisoTimer);

    // The day of start, as the alerts read it: they keep it when the program runs past midnight.
    MaskEdit1 = new MaskEdit(this);
    MaskEdit2 = new MaskEdit(this);
    MaskEdit3 = new MaskEdit(this);
    for (MaskEdit* edit : {MaskEdit1, MaskEdit2, MaskEdit3}) {
        edit->setEditMask(QStringLiteral("!99/99/0000;1;_"));
        edit->setMaskedText(Formats::date(Clock::today()));
        edit->hide();
    }

    buildToolBar();
    buildMenu();

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    central->setAutoFillBackground(true);
    QPalette white = central->palette();
    white.setColor(QPalette::Window, Qt::white);
    central->setPalette(white);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* topStrip = new GradientStrip(Skin::navy, QColor(170, 190, 230), central);
    topStrip->setFixedHeight(5);
    layout->addWidget(topStrip);

    auto* picture = new QLabel(central);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(Pictures::background());
    picture->setContextMenuPolicy(Qt::CustomContextMenu);
    pictureArea_ = picture;
    layout->addWidget(picture, 1);

    auto* bottomStrip = new GradientStrip(QColor(170, 190, 230), Skin::navy, central);
    bottomStrip->setFixedHeight(26);
    auto* contacts = new QHBoxLayout(bottomStrip);
    contacts->setContentsMargins(0, 0, 6, 0);
    contacts->addStretch();
    const QList<QPair<QString, QString>> links = {
        {QStringLiteral("Suporte técnico"), QStringLiteral("http://www.vanteja.com.br/contato")},
        {QStringLiteral("Fale conosco"), QStringLiteral("http://www.vanteja.com.br/contato")},
        {QStringLiteral("www.vanteja.com.br"), QStringLiteral("http://www.vanteja.com.br")},
    };
    for (const auto& [text, url] : links) {
        auto* label =
            new QLabel(QStringLiteral("<a href=\"%1\" style=\"color: white; text-decoration: none;\">%2</a>")
                           .arg(url, text),
                       bottomStrip);
        label->setObjectName(QStringLiteral("contactLabel"));
        label->setCursor(Qt::PointingHandCursor);
        connect(label, &QLabel::linkActivated, this,
                [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
        contacts->addWidget(label);
    }
    layout->addWidget(bottomStrip);
    setCentralWidget(central);

    status_[0] = panelLabel(this, 80, Qt::AlignCenter);
    status_[1] = panelLabel(this, 230);
    status_[2] = panelLabel(this, 300);
    status_[3] = panelLabel(this, 0);
    status_[3]->setText(QStringLiteral("Versão 2.0 - 06/02/2013"));
    statusBar()->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i)
        statusBar()->addWidget(status_[i]);
    statusBar()->addWidget(status_[3], 1);

    buildAlertPanel();
    avisoMenu_ = new QMenu(QStringLiteral("Aviso Contas"), this);
    avisoMenu_->addAction(QStringLiteral("Mostrar"), this, &TFPrincipal::MostrarClick);
    avisoMenu_->addAction(QStringLiteral("Ocultar"), this, &TFPrincipal::OcultarClick);
    for (QWidget* widget : {static_cast<QWidget*>(picture), static_cast<QWidget*>(alert_)}) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this,
                [this, widget](const QPoint& at) { avisoMenu_->popup(widget->mapToGlobal(at)); });
    }

    PainelLogo = new TPainelLogo(Tlogo, picture);
    PainelLogo->move(12, 12);
    connect(PainelLogo, &TPainelLogo::saved, this, &TFPrincipal::CarregarLogo);
    connect(toolButton(QStringLiteral("Fornecedor")), &QToolButton::clicked, this,
            &TFPrincipal::FornecedorClick);

    Timer1->start();
    Timer1Timer();
    FLogin = new TFLogin(this);
    FUsuarios = new TFUsuarios(this);
}

TFPrincipal::~TFPrincipal() = default;

void TFPrincipal::buildToolBar() {
    auto* bar = new QToolBar(QStringLiteral("Ferramentas"), this);
    bar->setObjectName(QStringLiteral("mainToolBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(32, 32));
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    auto add = [this, bar](const QString& caption) {
        auto* button = new QToolButton(bar);
        button->setText(caption);
        button->setIcon(Pictures::toolbarIcon(caption));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setObjectName(QStringLiteral("tool_") +
                              QString(caption).replace(QLatin1Char(' '), QLatin1Char('_')));
        bar->addWidget(button);
        toolButtons_ << button;
        return button;
    };
    // The windows behind these buttons each come with their own module.
    for (const char* caption :
         {"Clientes", "Fornecedor", "Recibo", "Promissoria", "Contas Receber", "Contas Pagar", "Fluxo Caixa"})
        add(QString::fromUtf8(caption));
    connect(toolButton(QStringLiteral("Clientes")), &QToolButton::clicked, this, &TFPrincipal::ClientesClick);
    connect(toolButton(QStringLiteral("Recibo")), &QToolButton::clicked, this, &TFPrincipal::ReciboClick);
    connect(toolButton(QStringLiteral("Promissoria")), &QToolButton::clicked, this,
            &TFPrincipal::PromissoriaClick);
    connect(toolButton(QStringLiteral("Fluxo Caixa")), &QToolButton::clicked, this,
            &TFPrincipal::FluxoCaixaClick);
    connect(toolButton(QStringLiteral("Contas Pagar")), &QToolButton::clicked, this,
            &TFPrincipal::ContasPagarClick);
    connect(toolButton(QStringLiteral("Contas Receber")), &QToolButton::clicked, this,
            &TFPrincipal::ContasReceberClick);
    auto* gap = new QWidget(bar);
    gap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(gap);
    connect(add(QStringLiteral("Sobre")), &QToolButton::clicked, this, &TFPrincipal::SobreClick);
    connect(add(QStringLiteral("Fechar")), &QToolButton::clicked, this, &QWidget::close);
    addToolBar(Qt::TopToolBarArea, bar);
}

void TFPrincipal::buildMenu() {
    QMenu* arquivo = menuBar()->addMenu(QStringLiteral("A&rquivo"));
    QMenu* senha = arquivo->addMenu(QStringLiteral("&Alterar Senha"));
    QMenu* usuario = senha->addMenu(QStringLiteral("Usuário"));
    usuario->addAction(QStringLiteral("Usuários..."), this, &TFPrincipal::UsuariosClick);
    usuario->addAction(QStringLiteral("Alterar Senha..."), this, &TFPrincipal::AlterarSenhaClick);
    senha->addSeparator();
    logoff_ = senha->addAction(QStringLiteral("Logoff de:"), this, &TFPrincipal::LogoffClick);
    senha->addAction(QStringLiteral("Sair do Sistema..."), this, &TFPrincipal::SairClick);
    QMenu* cadastro = menuBar()->addMenu(QStringLiteral("&Cadastro"));
    cadastro->addAction(QStringLiteral("Cliente"), this, &TFPrincipal::ClientesClick);
    cadastro->addAction(QStringLiteral("Emitente"), this, &TFPrincipal::EmitenteClick);
    cadastro->addAction(QStringLiteral("Chave PIX"), this, &TFPrincipal::ChavePixClick);
    menuBar()
        ->addMenu(QStringLiteral("&Inserir logomarca"))
        ->addAction(QStringLiteral("Logomarca"), this, &TFPrincipal::LogomarcaClick);
    QMenu* ferramentas = menuBar()->addMenu(QStringLiteral("Ferramentas"));
    ferramentas->addAction(QStringLiteral("Backup"), this, [] { Programs::start(QStringLiteral("Backup")); });
    ferramentas->addAction(QStringLiteral("Checar Atualização"), this,
                           [] { Programs::start(QStringLiteral("Atualizar")); });
    ferramentas->addAction(QStringLiteral("Importar dados antigos"), this, &TFPrincipal::ImportarDadosClick);
}

QWidget* TFPrincipal::buildAlertPage(int page) {
    const AlertPage& texts = kAlertPages[page];
    auto* widget = new QWidget;
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    auto* title = new QLabel(QString::fromUtf8(texts.title), widget);
    title->setObjectName(QStringLiteral("alertTitle"));
    layout->addWidget(title);

    auto* today = new DBGrid(widget);
    today->setTable(view(page, false));
    today->setColumns({{QStringLiteral("DataVencimento"), QStringLiteral("Vencimento"), 80},
                       {QStringLiteral("Nome"), QString::fromUtf8(texts.todayNameTitle), 200},
                       {QStringLiteral("Fantasia"), QStringLiteral("Referência"), 200},
                       {QStringLiteral("Valordocumento"), QStringLiteral("Valor Documento"), 110}});
    grids_[page][0] = today;
    layout->addWidget(today, 1);

    auto* strip = new QFrame(widget);
    strip->setObjectName(QStringLiteral("alertStrip"));
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(6, 2, 6, 2);
    auto* sign = new QLabel(strip);
    sign->setPixmap(Pictures::alertSign());
    stripLayout->addWidget(sign);
    auto* heading = new QLabel(QString::fromUtf8(texts.overdueHeading), strip);
    heading->setObjectName(QStringLiteral("alertHeading"));
    stripLayout->addWidget(heading);
    stripLayout->addStretch();
    totals_[page][0] = new QLabel(Formats::money(Money()), strip);
    totals_[page][0]->setObjectName(QString::fromUtf8(texts.todayTotalName));
    totals_[page][0]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    stripLayout->addWidget(totals_[page][0]);
    layout->addWidget(strip);

    subPages_[page] = new QTabWidget(widget);
    auto* sub = new QWidget;
    auto* subLayout = new QVBoxLayout(sub);
    subLayout->setContentsMargins(2, 2, 2, 2);
    auto* overdue = new DBGrid(sub);
    overdue->setTable(view(page, true));
    overdue->setColumns(
        {{QStringLiteral("DataVencimento"), QString::fromUtf8(texts.overdueDueTitle), 80},
         {QStringLiteral("Nome"), QString::fromUtf8(texts.overdueNameTitle), 200},
         {QStringLiteral("Fantasia"), QStringLiteral("Referência"), 200},
         {QStringLiteral("Valordocumento"), QString::fromUtf8(texts.overdueValueTitle), 110}});
    grids_[page][1] = overdue;
    subLayout->addWidget(overdue, 1);

    auto* countdown = new QFrame(sub);
    countdown->setObjectName(QStringLiteral("alertStrip"));
    auto* countdownLayout = new QHBoxLayout(countdown);
    countdownLayout->setContentsMargins(4, 2, 6, 2);
    auto* close = new QPushButton(QStringLiteral("Fechar"), countdown);
    close->setFlat(true);
    close->setObjectName(QStringLiteral("fecharAviso%1").arg(page + 1));
    connect(close, &QPushButton::clicked, this, &TFPrincipal::FecharAvisoClick);
    countdownLayout->addWidget(close);
    closingLabels_[page] = new QLabel(QStringLiteral("Fechando Aviso ..."), countdown);
    closingLabels_[page]->setStyleSheet(QStringLiteral("font-size: 7pt;"));
    countdownLayout->addWidget(closingLabels_[page]);
    bars_[page] = new QProgressBar(countdown);
    bars_[page]->setRange(0, kCountdownSteps);
    bars_[page]->setValue(0);
    bars_[page]->setTextVisible(false);
    bars_[page]->setFixedSize(90, 12);
    countdownLayout->addWidget(bars_[page]);
    cancelButtons_[page] = new QPushButton(QStringLiteral("Cancelar"), countdown);
    cancelButtons_[page]->setObjectName(QStringLiteral("cancelarAviso%1").arg(page + 1));
    cancelButtons_[page]->setStyleSheet(QStringLiteral("font-size: 7pt; padding: 1px 6px;"));
    connect(cancelButtons_[page], &QPushButton::clicked, this, &TFPrincipal::CancelarAvisoClick);
    countdownLayout->addWidget(cancelButtons_[page]);
    countdownLayout->addStretch();
    totals_[page][1] = new QLabel(Formats::money(Money()), countdown);
    totals_[page][1]->setObjectName(QString::fromUtf8(texts.overdueTotalName));
    totals_[page][1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    countdownLayout->addWidget(totals_[page][1]);
    subLayout->addWidget(countdown);
    subPages_[page]->addTab(sub, QString::fromUtf8(texts.overdueHeading));
    layout->addWidget(subPages_[page], 1);
    return widget;
}

void TFPrincipal::buildAlertPanel() {
    alert_ = new QFrame(pictureArea_);
    alert_->setObjectName(QStringLiteral("alertPanel"));
    alert_->setFixedSize(673, 513);
    auto* layout = new QVBoxLayout(alert_);
    layout->setContentsMargins(2, 2, 2, 2);
    pages_ = new QTabWidget(alert_);
    for (int page = 0; page < 2; ++page)
        pages_->addTab(buildAlertPage(page), QString::fromUtf8(kAlertPages[page].tab));
    layout->addWidget(pages_);
    alert_->hide();
}

void TFPrincipal::placeAlertPanel() {
    if (!alert_ || !pictureArea_) return;
    alert_->move(qMax(0, (pictureArea_->width() - alert_->width()) / 2), 8);
}

void TFPrincipal::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    QTimer::singleShot(0, this, &TFPrincipal::placeAlertPanel);
}

void TFPrincipal::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    placeAlertPanel();
    // Every other window of the program is modal, so the main window is activated once: at start.
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, [this] {
            CarregarLogo();  // a bad picture's message is answered before the login shows
            FormActivate();
        });
    }
}

void TFPrincipal::FormActivate() {
    try {
        Database& senha = Session::instance().database(kDatabaseSenha);
        senha.disconnect();
        senha.setParam(0, QStringLiteral("PATH=") + dataFolderFor(BooksFolder::path()));
        senha.connect();
    } catch (const DataError& error) {
        // The login reads its users through the other name and can still go on.
        showError(this, error.message());
    }
    Timer1Timer();
    status_[1]->setText(Formats::longDate(Values::parseDate(startDate())));
    if (showLoginOnActivate_) FLogin->exec();
}

void TFPrincipal::Timer1Timer() {
    status_[0]->setText(Formats::time(Clock::now().time()));
}

void TFPrincipal::loginAceito(const QString& login, const QString& usuario) {
    logoff_->setText(QStringLiteral("Logoff de: ") + login);
    logoff_->setToolTip(logoff_->text());
    logoff_->setStatusTip(logoff_->text());
    status_[2]->setText(QStringLiteral(" Usuário: ") + usuario);
    receberhoje();
    contaspagar();
    ApagarVencidas();
    ReceberVencidas();
    ChecaContas();
}

void TFPrincipal::filterView(Table* view, const QString& filter) {
    // Switching the filter off and on again would read every row of the ledger in between; replacing the
    // text of the active filter ends in the same state, as does opening the view on the filter the first
    // time.
    if (view->active() && view->filtered()) {
        view->setFilter(filter);
        return;
    }
    view->setFiltered(false);
    view->setFilter(filter);
    view->setFiltered(true);
    view->open();
}

void TFPrincipal::sumInto(Table* view, int page, bool overdue) {
    const Money sum = view->sum(QStringLiteral("Valordocumento"));
    sums_[page][overdue] = sum;
    totals_[page][overdue]->setText(Formats::money(sum));
}

using LedgerFilters::dueOn;
using LedgerFilters::overdueBefore;

void TFPrincipal::contaspagar() {
    guarded(this, [this] {
        filterView(TPagarHoje, dueOn(startDate()));
        TotalCPagas();
    });
}

void TFPrincipal::receberhoje() {
    guarded(this, [this] {
        filterView(TReceberHoje, dueOn(startDate()));
        Aviso_Total();
    });
}

void TFPrincipal::ApagarVencidas() {
    guarded(this, [this] {
        filterView(TPagarVencidas, overdueBefore(startDate()));
        TotVencidas();
    });
}

void TFPrincipal::ReceberVencidas() {
    guarded(this, [this] {
        filterView(TReceberVencidas, overdueBefore(startDate()));
        TotReceberVenc();
    });
}

void TFPrincipal::TotalCPagas() {
    sumInto(TPagarHoje, 0, false);
}
void TFPrincipal::TotVencidas() {
    sumInto(TPagarVencidas, 0, true);
}
void TFPrincipal::Aviso_Total() {
    sumInto(TReceberHoje, 1, false);
}
void TFPrincipal::TotReceberVenc() {
    sumInto(TReceberVencidas, 1, true);
}

void TFPrincipal::ChecaContas() {
    // Decided on the sums in centavos, as shown: a total that shows 0,00 is empty.
    auto nonZero = [this](int page, bool overdue) { return !sums_[page][overdue].isZero(); };
    int page = -1;
    if (nonZero(0, false) || nonZero(0, true))
        page = 0;
    else if (nonZero(1, true) || nonZero(1, false))
        page = 1;
    if (page < 0) return;
    showAlert(page);
    // Every countdown closes the panel five ticks after it starts; its bars, labels and buttons are shown
    // only until the first countdown has ended or been cancelled.
    ticks_ = 0;
    for (QProgressBar* bar : bars_)
        bar->setValue(0);
    showCountdown(!countdownRetired_);
    TimerAviso->start();
}

void TFPrincipal::showAlert(int page) {
    if (page >= 0) pages_->setCurrentIndex(page);
    placeAlertPanel();
    alert_->show();
    alert_->raise();
}

void TFPrincipal::showCountdown(bool visible) {
    for (int page = 0; page < 2; ++page) {
        bars_[page]->setVisible(visible);
        cancelButtons_[page]->setVisible(visible);
        closingLabels_[page]->setVisible(visible);
    }
}

void TFPrincipal::TimerAvisoTimer() {
    ++ticks_;
    for (QProgressBar* bar : bars_)
        bar->setValue(qMin(ticks_, kCountdownSteps));
    if (ticks_ >= kCountdownSteps) {
        alert_->hide();
        TimerAviso->stop();
        countdownRetired_ = true;
        showCountdown(false);
    }
}

void TFPrincipal::CancelarAvisoClick() {
    TimerAviso->stop();
    countdownRetired_ = true;
    showCountdown(false);
}

void TFPrincipal::FecharAvisoClick() {
    alert_->hide();
}

void TFPrincipal::MostrarClick() {
    receberhoje();
    contaspagar();
    ApagarVencidas();
    ReceberVencidas();
    showAlert(-1);
}

void TFPrincipal::OcultarClick() {
    alert_->hide();
}

void TFPrincipal::LogoffClick() {
    FLogin->EdtUsuario->clear();
    FLogin->EdtSenha->clear();
    FLogin->exec();
}

void TFPrincipal::SobreClick() {
    Dialogs::current().about(
        this, QStringLiteral("Sobre o Vanteja"),
        QStringLiteral("Vanteja\nVersão 2.0 - 06/02/2013\n\n"
                       "Recibos, notas promissórias, contas a pagar e a receber e fluxo de caixa."));
}

void TFPrincipal::ImportarDadosClick() {
    // The alert totals and the logo row read what was just written; the picture changes at the next start.
    if (!ImportarDados::run(this)) return;
    guarded(this, [this] {
        receberhoje();
        contaspagar();
        ApagarVencidas();
        ReceberVencidas();
        Tlogo->refresh();
    });
}

template <typename Window, typename... Args>
void TFPrincipal::openModal(Args... args) {
    // Each opening starts from the window's first state; a window that can't open its tables says why.
    std::unique_ptr<Window> window;
    if (guarded(this, [&] { window = std::make_unique<Window>(this, args...); })) window->exec();
}

void TFPrincipal::ClientesClick() {
    openModal<TCadastro>(TCadastro::PaginaCliente);
}

void TFPrincipal::EmitenteClick() {
    openModal<TCadastro>(TCadastro::PaginaEmitente);
}

void TFPrincipal::ChavePixClick() {
    openModal<TFChavePix>();
}

void TFPrincipal::ReciboClick() {
    openModal<TForm1>(TForm1::PaginaRecibo);
}

void TFPrincipal::PromissoriaClick() {
    openModal<TForm1>(TForm1::PaginaPromissoria);
}

void TFPrincipal::ContasPagarClick() {
    openModal<Tfpagar>();
}

void TFPrincipal::ContasReceberClick() {
    openModal<Tfreceber>();
}

void TFPrincipal::FluxoCaixaClick() {
    // Opened on its first page with the paid rows of the day already listed.
    std::unique_ptr<TFFluxo> window;
    if (guarded(this, [&] {
            window = std::make_unique<TFFluxo>(this);
            window->PageControl1->setCurrentIndex(TFFluxo::AnaliticoPagas);
            window->fanalitico();
        }))
        window->exec();
}

void TFPrincipal::FornecedorClick() {
    openModal<TF_Fornecedor>();
}

void TFPrincipal::UsuariosClick() {
    FUsuarios->exec();
}

void TFPrincipal::AlterarSenhaClick() {
    TFAlteraSenha dialog(this, TFLogin::usuarioLogado());
    dialog.exec();
}

void TFPrincipal::LogomarcaClick() {
    PainelLogo->show();
    PainelLogo->raise();
}

void TFPrincipal::CarregarLogo() {
    // A blank path keeps the picture shown; a bad one is reported and the picture stays as it was.
    QString path;
    if (!guarded(this, [this, &path] { path = Tlogo->fieldByName(QStringLiteral("End")).asString(); }) ||
        path.trimmed().isEmpty())
        return;
    // A picture is read no larger than the area that shows it (the screen, before the window is laid out).
    QSize place = pictureArea_->contentsRect().size();
    if (!pictureArea_->isVisible() || place.width() < kMinimumPlace || place.height() < kMinimumPlace) {
        const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        place = screen ? screen->availableSize() : QSize(1920, 1080);
    }
    QPixmap logo;
    QString error;
    if (TPainelLogo::loadPicture(PainelLogo->DBEdit1->maskedText(), place, &logo, &error))
        static_cast<QLabel*>(pictureArea_)->setPixmap(logo);
    else
        showError(this, error);
}

void TFPrincipal::SairClick() {
    QCoreApplication::exit(0);
}

bool TFPrincipal::listenForCloseRequests(const QString& serverName) {
    if (!server_) {
        server_ = new QLocalServer(this);
        connect(server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_->nextPendingConnection()) {
                // Only this user's programs may close this one.
                if (!Platform::peerIsThisUser(socket->socketDescriptor())) {
                    socket->abort();
                    socket->deleteLater();
                    continue;
                }
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                    if (QString::fromUtf8(socket->readAll()).contains(kCloseRequest)) closeRequest();
                });
            }
        });
    }
    // In the user's private folder no other user can take the name first, and the socket itself is the
    // owner's only.
    const QString name = Platform::privateServerName(serverName);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A name in use by a running copy is left to it (listening would replace its socket); one left behind by
    // a program that ended abnormally is taken over.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(200)) return false;
    QLocalServer::removeServer(name);
    return server_->listen(name);
}

void TFPrincipal::closeRequest() {
    // Open windows are closed without storing anything; then the main window, which ends the program.
    // Whatever is typed anywhere is dropped first, so closing a window can't raise an error about it.
    FieldLink::abandonAll();
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->done(QDialog::Rejected);
    close();
}

QLabel* TFPrincipal::totalLabel(int page, bool overdue) const {
    return totals_[page][overdue];
}

Money TFPrincipal::total(int page, bool overdue) const {
    return sums_[page][overdue];
}

Table* TFPrincipal::view(int page, bool overdue) const {
    Table* const views[2][2] = {{TPagarHoje, TPagarVencidas}, {TReceberHoje, TReceberVencidas}};
    return views[page][overdue];
}

DBGrid* TFPrincipal::grid(int page, bool overdue) const {
    return grids_[page][overdue];
}

QToolButton* TFPrincipal::toolButton(const QString& caption) const {
    for (QToolButton* button : toolButtons_)
        if (button->text() == caption) return button;
    return nullptr;
}
