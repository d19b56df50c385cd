#include "U_Cadastro.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "CepLookup.h"
#include "CpfCnpjHint.h"
#include "DBGrid.h"
#include "DataControls.h"
#include "DataError.h"
#include "Database.h"
#include "Dialogs.h"
#include "EditorKit.h"
#include "Filler.h"
#include "KeyNavigation.h"
#include "Numbering.h"
#include "ScreenFit.h"
#include "Skin.h"
#include "Table.h"
#include "Values.h"

namespace {

using Case = MaskEdit::CharCase;

}  // namespace

TCadastro::TCadastro(QWidget* parent, Page page) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Cadastro"));
    setObjectName(QStringLiteral("Cadastro"));

    // FormCreate: both registers open with the window.
    Tcliente = new Table(kAliasVantejaVs2, QStringLiteral("c_cliente.DB"), this);
    Tcliente->setIndexName(QStringLiteral("bycodigo"));
    T_Emitente = new Table(kAliasVantejaVs2, QStringLiteral("Tb_Emitente.db"), this);
    T_Emitente->setIndexName(QStringLiteral("ByCodigo"));
    Tcliente->open();
    T_Emitente->open();
    clients_ = BoxSet(Tcliente, QStringLiteral("cliente_"));
    issuers_ = BoxSet(T_Emitente, QStringLiteral("emitente_"));
    // Any store, cancel or move ends the client a postal-code look-up was started for.
    connect(Tcliente, &Dataset::stateChanged, this, [this] { ++clientGeneration_; });
    connect(Tcliente, &Dataset::afterScroll, this, [this] { ++clientGeneration_; });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    auto* header = new GradientStrip(Skin::navy, QColor(120, 150, 210), this);
    header->setFixedHeight(34);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(12, 0, 12, 0);
    Titulo = new QLabel(header);
    Titulo->setObjectName(QStringLiteral("cadastroTitulo"));
    Titulo->setStyleSheet(
        QStringLiteral("color: white; font-size: 14pt; font-weight: bold; font-style: italic;"));
    headerLayout->addWidget(Titulo);
    layout->addWidget(header);

    PageControl1 = new QTabWidget(this);
    PageControl1->addTab(buildClientPage(), QStringLiteral("Cadastro Cliente"));
    PageControl1->addTab(buildIssuerPage(), QStringLiteral("Cadastro Emitente"));
    auto* pageHolder = new QHBoxLayout;
    pageHolder->setContentsMargins(8, 0, 8, 0);
    pageHolder->addWidget(PageControl1);
    layout->addLayout(pageHolder);
    PageControl1->setCurrentIndex(page);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TCadastro::CadastroTituloExecute);

    KeyNavigation::install(this);
    auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(f5, &QShortcut::activated, this, &TCadastro::SpeedButton6Click);
    CadastroTituloExecute();
    ScreenFit::fit(this, QSize(860, 560));
}

TCadastro::~TCadastro() = default;

QWidget* TCadastro::buildClientPage() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(8);
    fields->setVerticalSpacing(4);
    struct Box {
        const char* caption;
        const char* field;
        Case charCase;
        int row, column, span;
    };
    const Box boxes[] = {
        {"Codigo", "Codigo", Case::Normal, 0, 0, 1},        {"Nome", "Nome", Case::Upper, 0, 1, 3},
        {"Endereço", "Endereço", Case::Upper, 1, 0, 4},     {"Bairro", "Bairro", Case::Upper, 2, 0, 1},
        {"Cidade", "Cidade", Case::Upper, 2, 1, 2},         {"UF", "UF", Case::Upper, 2, 3, 1},
        {"Telefone", "Telefone", Case::Normal, 3, 0, 1},    {"Celular", "Celular", Case::Normal, 3, 1, 1},
        {"CPF / CNPJ", "Cpfpagador", Case::Upper, 3, 2, 2}, {"RG / IE", "Rgpagador", Case::Upper, 4, 0, 2},
        {"Contato", "Contato", Case::Upper, 4, 2, 2},       {"Cep: ", "Cep", Case::Normal, 5, 0, 1},
    };
    for (const Box& b : boxes) {
        auto* group = new QGroupBox(QString::fromUtf8(b.caption), page);
        auto* groupLayout = new QHBoxLayout(group);
        groupLayout->setContentsMargins(6, 2, 6, 4);
        DBEdit* edit = clients_.add(group, QString::fromUtf8(b.field), b.charCase);
        if (QString::fromUtf8(b.field) == QLatin1String("Cep")) {
            edit->setEditMask(QStringLiteral("00000\\-999;1;_"));
            edit->setMaxLength(9);
        }
        const bool document = QString::fromUtf8(b.field) == QLatin1String("Cpfpagador");
        groupLayout->addWidget(document ? CpfCnpjHint::wrap(edit) : edit);
        if (QString::fromUtf8(b.field) == QLatin1String("Cep")) {
            SpeedButton6 = new QToolButton(group);
            SpeedButton6->setText(QStringLiteral("F5"));
            SpeedButton6->setObjectName(QStringLiteral("SpeedButton6"));
            SpeedButton6->setToolTip(QStringLiteral("Buscar Automatica de Endereço por CEP!"));
            SpeedButton6->setFocusPolicy(Qt::NoFocus);
            connect(SpeedButton6, &QToolButton::clicked, this, &TCadastro::SpeedButton6Click);
            groupLayout->addWidget(SpeedButton6);
            edit->installEventFilter(this);  // leaving the box looks the address up
        }
        fields->addWidget(group, b.row, b.column, 1, b.span);
    }
    fields->setRowStretch(6, 1);
    for (int column = 0; column < 4; ++column)
        fields->setColumnStretch(column, column == 3 ? 1 : 2);
    layout->addLayout(fields, 3);

    QVBoxLayout* side = searchPanel(page, Tcliente, &Edit1, &DBGrid1, &TCadastro::Edit1Change);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    DBGrid1->setReadOnly(true);
    auto* buttons = new QGridLayout;
    SpeedButton1 = Skin::pushButton(QStringLiteral("Novo"), QStringLiteral("SpeedButton1"), page);
    SpeedButton2 = Skin::pushButton(QStringLiteral("Cancelar"), QStringLiteral("SpeedButton2"), page);
    SpeedButton3 = Skin::pushButton(QStringLiteral("Apagar"), QStringLiteral("SpeedButton3"), page);
    SpeedButton4 = Skin::pushButton(QStringLiteral("Gravar"), QStringLiteral("SpeedButton4"), page);
    SpeedButton5 = Skin::pushButton(QStringLiteral("Imprimir"), QStringLiteral("SpeedButton5"), page);
    SpeedButton4->setEnabled(false);
    buttons->addWidget(SpeedButton1, 0, 0);
    buttons->addWidget(SpeedButton4, 0, 1);
    buttons->addWidget(SpeedButton2, 1, 0);
    buttons->addWidget(SpeedButton3, 1, 1);
    buttons->addWidget(SpeedButton5, 2, 0, 1, 2);
    side->addLayout(buttons);
    layout->addLayout(side, 2);

    connect(SpeedButton1, &QPushButton::clicked, this, &TCadastro::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TCadastro::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TCadastro::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &TCadastro::SpeedButton4Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &TCadastro::SpeedButton5Click);
    // Any change of these boxes' text enables "Gravar", also when another client comes up.
    for (const char* field : {"Cpfpagador", "Nome", "Contato", "Endereço", "Bairro", "Cidade", "UF",
                              "Rgpagador", "Celular", "Telefone"})
        connect(box(QString::fromUtf8(field)), &QLineEdit::textChanged, this,
                [this] { SpeedButton4->setEnabled(true); });
    return page;
}

QVBoxLayout* TCadastro::searchPanel(QWidget* page, Table* table, QLineEdit** search, DBGrid** list,
                                    void (TCadastro::*change)(const QString&)) {
    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel(QStringLiteral("Buscar Cliente"), page));
    *search = new QLineEdit(page);
    connect(*search, &QLineEdit::textChanged, this, change);
    side->addWidget(*search);
    *list = new DBGrid(page);
    (*list)->setTable(table);
    (*list)->setColumns({{QStringLiteral("Nome"), QStringLiteral("Nome"), 0}});
    side->addWidget(*list, 1);
    return side;
}

QWidget* TCadastro::buildIssuerPage() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* fields = new QGridLayout;
    struct Box {
        const char* caption;
        const char* field;
    };
    const Box boxes[] = {{"Codigo", "Codigo"},
                         {"CNPJ / CPF", "CPF"},
                         {"Nome", "Nome"},
                         {"RG / IE", "RG"},
                         {"Endereco, Bairro , Cidade", "Endereco"}};
    int row = 0;
    for (const Box& b : boxes) {
        fields->addWidget(new QLabel(QString::fromUtf8(b.caption), page), row++, 0);
        const bool code = QString::fromUtf8(b.field) == QLatin1String("Codigo");
        DBEdit* edit = issuers_.add(page, QString::fromUtf8(b.field), code ? Case::Normal : Case::Upper);
        if (code) edit->setMaximumWidth(120);
        const bool document = QString::fromUtf8(b.field) == QLatin1String("CPF");
        fields->addWidget(document ? CpfCnpjHint::wrap(edit) : edit, row++, 0);
    }
    fields->setRowStretch(row, 1);
    layout->addLayout(fields, 3);

    QVBoxLayout* side = searchPanel(page, T_Emitente, &Edit2, &DBGrid2, &TCadastro::Edit2Change);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    auto* buttons = new QGridLayout;
    NovoEmitente = Skin::pushButton(QStringLiteral("Novo"), QStringLiteral("NovoEmitente"), page);
    CancelarEmitente = Skin::pushButton(QStringLiteral("Cancelar"), QStringLiteral("CancelarEmitente"), page);
    ApagarEmitente = Skin::pushButton(QStringLiteral("Apagar"), QStringLiteral("ApagarEmitente"), page);
    GravarEmitente = Skin::pushButton(QStringLiteral("Gravar"), QStringLiteral("GravarEmitente"), page);
    GravarEmitente->setEnabled(false);
    buttons->addWidget(NovoEmitente, 0, 0);
    buttons->addWidget(GravarEmitente, 0, 1);
    buttons->addWidget(CancelarEmitente, 1, 0);
    buttons->addWidget(ApagarEmitente, 1, 1);
    side->addLayout(buttons);
    layout->addLayout(side, 2);

    connect(NovoEmitente, &QPushButton::clicked, this, &TCadastro::NovoEmitenteClick);
    connect(ApagarEmitente, &QPushButton::clicked, this, &TCadastro::ApagarEmitenteClick);
    connect(GravarEmitente, &QPushButton::clicked, this, &TCadastro::GravarEmitenteClick);
    connect(CancelarEmitente, &QPushButton::clicked, this, &TCadastro::CancelarEmitenteClick);
    // The issuers' "Gravar" follows the table: a new issuer, or one put into editing.
    auto enable = [this] { GravarEmitente->setEnabled(true); };
    connect(T_Emitente, &Dataset::afterInsert, this, enable);
    connect(T_Emitente, &Dataset::beforeEdit, this, enable);
    connect(T_Emitente, &Dataset::afterEdit, this, enable);
    return page;
}

DBEdit* TCadastro::box(const QString& field) const {
    return clients_.box(field);
}

DBEdit* TCadastro::issuerBox(const QString& field) const {
    return issuers_.box(field);
}

void TCadastro::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CadastroTituloExecute();
}

void TCadastro::closeEvent(QCloseEvent* event) {
    // Pending changes are lost with the window.
    Tcliente->close();
    QDialog::closeEvent(event);
}

void TCadastro::CadastroTituloExecute() {
    Titulo->setText(PageControl1->currentIndex() == PaginaCliente ? QStringLiteral("Cadastro Cliente")
                                                                  : QStringLiteral("Cadastro Emitente"));
}

void TCadastro::SpeedButton1Click() {
    if (guarded(this, [this] { numberNewRecord(*Tcliente); })) box(QStringLiteral("Nome"))->setFocus();
}

void TCadastro::NovoEmitenteClick() {
    if (guarded(this, [this] { numberNewRecord(*T_Emitente); }))
        issuerBox(QStringLiteral("Nome"))->setFocus();
}

void TCadastro::SpeedButton2Click() {
    guarded(this, [this] { Tcliente->cancel(); });
}

// With no record at all there is nothing to store; a blank record is never made here.
void TCadastro::SpeedButton4Click() {
    if (EditorKit::storeRecord(this, *Tcliente) != EditorKit::StoreResult::Refused)
        SpeedButton4->setEnabled(false);
}

void TCadastro::GravarEmitenteClick() {
    if (EditorKit::storeRecord(this, *T_Emitente) != EditorKit::StoreResult::Refused)
        GravarEmitente->setEnabled(false);
}

void TCadastro::CancelarEmitenteClick() {
    guarded(this, [this] { T_Emitente->cancel(); });
    GravarEmitente->setEnabled(false);
}

void TCadastro::SpeedButton3Click() {
    EditorKit::confirmAndDelete(this, *Tcliente, QStringLiteral("DESEJA EXCLUIR ESTE REGISTRO?"));
}

void TCadastro::ApagarEmitenteClick() {
    EditorKit::confirmAndDelete(this, *T_Emitente, QStringLiteral("DESEJA EXCLUIR ESTE REGISTRO EMITENTE?"));
}

void TCadastro::searchByName(Table* table, const QString& text) {
    guarded(this, [table, &text] {
        table->setIndexName(QStringLiteral("bynome"));
        table->findNearest(text);
    });
}

void TCadastro::Edit1Change(const QString& text) {
    searchByName(Tcliente, text);
}

void TCadastro::Edit2Change(const QString& text) {
    searchByName(T_Emitente, text);
}

Report::Layout TCadastro::QuickRep3() const {
    using namespace Report;
    Layout layout;
    layout.name = QStringLiteral("Cliente");
    layout.zoom = Zoom::PageWidth;
    layout.maximised = true;
    Band& title = layout.addBand(BandKind::Title, 10.6);
    title.elements << text(0, 2, QStringLiteral("Cadastro Cliente"), Font().sized(14).withBold(),
                           layout.contentWidth(), Qt::AlignHCenter);
    Band& block = layout.addBand(BandKind::Detail, 72.8);
    const Font caption = Font().withBold();
    const Font value;
    // Each value ends where the next caption of its line begins, or at the margin.
    const double edge = layout.contentWidth();
    auto line = [&](double top, double left, const QString& text, double valueLeft, const QString& fieldName,
                    double valueRight) {
        block.elements << Report::text(left, top, text, caption)
                       << field(valueLeft, top, fieldName, value, valueRight - valueLeft - 2, Qt::AlignLeft,
                                Tcliente);
        layout.sheet << SheetColumn{Report::sheetTitle(text), block.elements.last(), {}};
    };
    line(4, 2, QStringLiteral("Nome:"), 27, QStringLiteral("Nome"), edge);
    line(16, 2, QStringLiteral("Endereço:"), 27, QStringLiteral("Endereço"), edge);
    line(28, 2, QStringLiteral("Bairro:"), 27, QStringLiteral("Bairro"), 92);
    line(28, 92, QStringLiteral("Cidade:"), 108, QStringLiteral("Cidade"), 164);
    line(28, 164, QStringLiteral("UF:"), 172, QStringLiteral("UF"), edge);
    line(40, 2, QStringLiteral("Telefone:"), 27, QStringLiteral("Telefone"), 92);
    line(40, 92, QStringLiteral("Celular:"), 108, QStringLiteral("Celular"), edge);
    line(52, 2, QStringLiteral("CPF / CNPJ"), 27, QStringLiteral("Cpfpagador"), 92);
    line(52, 92, QStringLiteral("RG:"), 108, QStringLiteral("Rgpagador"), edge);
    return layout;
}

void TCadastro::SpeedButton5Click() {
    Report::Document document;
    if (!guarded(this, [this, &document] { document = Report::fill(QuickRep3()); })) return;
    document.name = QStringLiteral("Cliente ") +
                    Values::formatFloat(Tcliente->fieldByName(QStringLiteral("Codigo")).value().toDouble(),
                                        QStringLiteral("000000"));
    Dialogs::current().preview(this, document);
}

void TCadastro::SpeedButton6Click() {
    if (lookupRunning_) return;
    DBEdit* cep = box(QStringLiteral("Cep"));
    if (!guarded(this, [this] { Tcliente->edit(); })) return;
    // The answer belongs to the client the request was sent for; the window takes no input meanwhile.
    const int client = clientGeneration_;
    QPointer<TCadastro> self(this);
    CepLookup::Result result;
    {
        // One wait for both services, when the second is asked.
        InputBlocker block;
        lookupRunning_ = true;
        result = CepLookup::lookUp(cep->maskedText());
    }
    if (!self) return;
    lookupRunning_ = false;
    if (!isVisible() || !Tcliente->active() || client != clientGeneration_) return;
    if (result.outcome != CepLookup::Result::Outcome::Address) {
        showError(this, result.outcome == CepLookup::Result::Outcome::NotFound ? CepLookup::kNotFound
                                                                               : result.error);
        return;
    }
    const CepLookup::Address& address = result.address;
    guarded(this, [this, &address] {
        Tcliente->fieldByName(QStringLiteral("Endereço")).setAsString(address.endereco);
    });
    box(QStringLiteral("Bairro"))->typeText(address.bairro);
    box(QStringLiteral("Cidade"))->typeText(address.cidade);
    box(QStringLiteral("UF"))->typeText(address.uf);
}

bool TCadastro::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the box for another control looks the address up at once, before the click that left it
    // reaches that control: the answer is for this client, not the one clicked next.
    if (watched == box(QStringLiteral("Cep")) && EditorKit::leftForAnotherControl(this, event))
        SpeedButton6Click();
    return QDialog::eventFilter(watched, event);
}
