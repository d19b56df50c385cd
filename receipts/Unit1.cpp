#include "Unit1.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Clock.h"
#include "DBGrid.h"
#include "DataControls.h"
#include "DataError.h"
#include "Database.h"
#include "Dialogs.h"
#include "EditorKit.h"
#include "Extens.h"
#include "Filler.h"
#include "Formats.h"
#include "KeyNavigation.h"
#include "Numbering.h"
#include "ScreenFit.h"
#include "Skin.h"
#include "Table.h"
#include "Unit2.h"
#include "Values.h"
#include "WindowHooks.h"

namespace {

using Case = MaskEdit::CharCase;

// A caption over its box, as the tabs lay them out.
QWidget* captioned(const QString& caption, QWidget* box, QWidget* parent) {
    auto* holder = new QWidget(parent);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(new QLabel(caption, holder));
    layout->addWidget(box);
    return holder;
}

// Today written out: "10 de março de 2025".
QString dateInWords() {
    const QDate today = Clock::today();
    return today.toString(QStringLiteral("dd")) + QStringLiteral(" de ") + Formats::monthName(today.month()) +
           QStringLiteral(" de ") + today.toString(QStringLiteral("yyyy"));
}

// The place of an issuer, from its one-line address "Endereco, Bairro , Cidade": the last part, with the
// state when it ends in one ("BELO HORIZONTE - MG", "CURITIBA/PR").
std::pair<QString, QString> issuerPlace(const QString& address) {
    const QString city = address.section(QLatin1Char(','), -1).trimmed();
    static const QRegularExpression withState(QStringLiteral("^(.*\\S)\\s*[-/]\\s*([A-Za-z]{2})$"));
    const QRegularExpressionMatch match = withState.match(city);
    if (match.hasMatch()) return {match.captured(1), match.captured(2).toUpper()};
    return {city, QString()};
}

}  // namespace

TForm1::TForm1(QWidget* parent, Page page) : QDialog(parent) {
    setWindowTitle(QStringLiteral("RECIBO"));
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(windowFlags() | Qt::Tool);

    // FormCreate: the five tables, the receipts and the notes on their last record.
    Trecibo = new Table(kAliasVantejaVs2, QStringLiteral("cadastro.db"), this);
    Tcliente = new Table(kAliasVantejaVs2, QStringLiteral("c_cliente.DB"), this);
    Tcliente->setIndexName(QStringLiteral("bycodigo"));
    ListaClientes = new Table(kAliasVantejaVs2, QStringLiteral("c_cliente.DB"), this);
    ListaClientes->setIndexName(QStringLiteral("ByNome"));
    Tb_emitente = new Table(kAliasVantejaVs2, QStringLiteral("Tb_Emitente.db"), this);
    Tb_emitente->setIndexName(QStringLiteral("ByCodigo"));
    T_NP = new Table(kAliasVantejaVs2, QStringLiteral("BD_NP.db"), this);
    for (Table* table : {Tcliente, Trecibo, T_NP, Tb_emitente, ListaClientes})
        table->open();
    receipts_ = BoxSet(Trecibo, QStringLiteral("recibo_"));
    notes_ = BoxSet(T_NP, QStringLiteral("nota_"));
    Trecibo->last();
    T_NP->last();

    auto* layout = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->addTab(buildReceiptPage(), QStringLiteral("Emitir Recibo"));
    PageControl1->addTab(buildNotePage(), QStringLiteral("Emitir Nota Promissória "));
    PageControl1->setCurrentIndex(page);
    layout->addWidget(PageControl1);
    KeyNavigation::install(this);
    // Enter in "Codigo Cliente" looks the client up before the Enter rule moves on.
    reciboBox(QStringLiteral("Codigo2"))->installEventFilter(this);
    ScreenFit::fit(this, QSize(980, 640));
}

TForm1::~TForm1() = default;

void TForm1::enableOnChange(QObject* box, QPushButton* save, QPushButton* cancel) {
    auto enable = [save, cancel] {
        if (save) save->setEnabled(true);
        if (cancel) cancel->setEnabled(true);
    };
    if (auto* edit = qobject_cast<QLineEdit*>(box))
        connect(edit, &QLineEdit::textChanged, this, enable);
    else if (auto* combo = qobject_cast<QComboBox*>(box))
        connect(combo, &QComboBox::editTextChanged, this, enable);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(box))
        connect(memo, &QPlainTextEdit::textChanged, this, enable);
}

QWidget* TForm1::buildReceiptPage() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* form = new QGridLayout;
    form->setVerticalSpacing(3);
    auto addBox = [&](const char* caption, const char* field, Case charCase, int row, int column, int span) {
        DBEdit* edit = receipts_.add(page, QString::fromUtf8(field), charCase);
        form->addWidget(captioned(QString::fromUtf8(caption), edit, page), row, column, 1, span);
        return edit;
    };
    DBEdit* numero = addBox("RECIBO Nº", "Codigo", Case::Normal, 0, 0, 1);
    numero->setReadOnly(true);
    numero->setStyleSheet(QStringLiteral("font-weight: bold; color: #800000;"));
    DBEdit* codigoCliente = addBox("Codigo Cliente", "Codigo2", Case::Normal, 0, 1, 1);
    codigoCliente->installEventFilter(this);
    DBEdit1 = new DBComboBox(page);
    DBEdit1->setObjectName(QStringLiteral("recibo_Reci"));
    DBEdit1->setCharCase(Case::Upper);
    DBEdit1->setDataSource(Trecibo, QStringLiteral("Reci"));
    form->addWidget(captioned(QStringLiteral("Recebi(emos)"), DBEdit1, page), 1, 0, 1, 3);
    addBox("CPF/CNPJ", "Cpfpagador", Case::Upper, 1, 3, 1);
    DBEdit* valor = addBox("Valor do Recibo", "Valor2", Case::Normal, 2, 0, 1);
    valor->setAlignment(Qt::AlignRight);
    valor->setStyleSheet(QStringLiteral("font-weight: bold;"));
    valor->setToolTip(QStringLiteral("Ex: Para 1.555,23 Coloque 1555,23 sem o ponto!!!!"));
    valor->installEventFilter(this);
    addBox("Endereço", "End", Case::Upper, 2, 1, 3);
    addBox("A importância de:", "Importancia", Case::Normal, 3, 0, 4);
    addBox("Referente", "Referente", Case::Normal, 4, 0, 4);

    auto* issuer = new QGroupBox(QStringLiteral("Dados Emitente"), page);
    issuer->setToolTip(QStringLiteral("Selecione o Emitente para importação dos dados!"));
    auto* issuerForm = new QGridLayout(issuer);
    auto addIssuerBox = [&](const char* caption, const char* field, Case charCase, int row, int column,
                            int span) {
        DBEdit* edit = receipts_.add(issuer, QString::fromUtf8(field), charCase);
        issuerForm->addWidget(captioned(QString::fromUtf8(caption), edit, issuer), row, column, 1, span);
        return edit;
    };
    addIssuerBox("Cidade ", "Cidade", Case::Upper, 0, 0, 2);
    DBEdit* uf = addIssuerBox("UF", "UF", Case::Upper, 0, 2, 1);
    uf->setMaxLength(2);
    uf->setMaximumWidth(60);
    addIssuerBox("Data ", "Dia mes", Case::Normal, 0, 3, 2);
    DBCombo_emitente = new DBComboBox(issuer);
    DBCombo_emitente->setObjectName(QStringLiteral("DBCombo_emitente"));
    DBCombo_emitente->setCharCase(Case::Upper);
    DBCombo_emitente->setDataSource(Trecibo, QStringLiteral("Emitente"));
    EmitenteDigitado = new DBEdit(issuer);
    EmitenteDigitado->setObjectName(QStringLiteral("EmitenteDigitado"));
    EmitenteDigitado->setCharCase(Case::Upper);
    EmitenteDigitado->setDataSource(Trecibo, QStringLiteral("Emitente"));
    EmitenteDigitado->hide();
    auto* issuerName = new QWidget(issuer);
    auto* issuerNameLayout = new QHBoxLayout(issuerName);
    issuerNameLayout->setContentsMargins(0, 0, 0, 0);
    issuerNameLayout->addWidget(DBCombo_emitente);
    issuerNameLayout->addWidget(EmitenteDigitado);
    issuerForm->addWidget(captioned(QStringLiteral("Emitente"), issuerName, issuer), 1, 0, 1, 3);
    RadioButton3 = new QRadioButton(QStringLiteral("Digitar Emitente"), issuer);
    RadioButton3->setToolTip(QStringLiteral("Selecione para Digitar Manualmente!"));
    RadioButton4 = new QRadioButton(QStringLiteral("Buscar Emitente"), issuer);
    RadioButton4->setToolTip(QStringLiteral("Selecione para buscar emitente cadastrados!"));
    auto* issuerChoice = new QButtonGroup(issuer);
    issuerChoice->addButton(RadioButton3);
    issuerChoice->addButton(RadioButton4);
    issuerForm->addWidget(RadioButton3, 1, 3);
    issuerForm->addWidget(RadioButton4, 1, 4);
    addIssuerBox("CPF/CNPJ", "Cpf", Case::Upper, 2, 0, 2)->installEventFilter(this);
    addIssuerBox("RG/IE", "Rgemitente", Case::Upper, 2, 2, 3)->installEventFilter(this);
    addIssuerBox("Endereço", "End2", Case::Upper, 3, 0, 5);
    addIssuerBox("Obs: (rodapé)", "Obs_recibo", Case::Normal, 4, 0, 5);
    for (int column = 0; column < 5; ++column)
        issuerForm->setColumnStretch(column, column == 2 ? 0 : 2);
    form->addWidget(issuer, 5, 0, 1, 4);
    form->setRowStretch(6, 1);
    layout->addLayout(form, 3);

    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel(QStringLiteral("Localizar Cliente"), page));
    Edit1 = new QLineEdit(page);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    side->addWidget(Edit1);
    ListaRecibos = new DBGrid(page);
    ListaRecibos->setTable(Trecibo);
    ListaRecibos->setColumns({{QStringLiteral("Codigo"), QStringLiteral("Nº"), 60},
                              {QStringLiteral("Reci"), QStringLiteral("Recebemos"), 0}});
    ListaRecibos->setReadOnly(true);
    side->addWidget(ListaRecibos, 1);
    auto* navigators = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        auto* navigator = new DBNavigator(page);
        navigator->setDataSource(Trecibo);
        navigator->setVisibleButtons({DBNavigator::Prior, DBNavigator::Next});
        navigators->addWidget(navigator);
    }
    navigators->addStretch();
    side->addLayout(navigators);

    auto* buttons = new QGridLayout;
    Btnovo = Skin::pushButton(QStringLiteral("&Novo"), QStringLiteral("Btnovo"), page);
    gravar = Skin::pushButton(QStringLiteral("&Gravar"), QStringLiteral("gravar"), page);
    btncancelar = Skin::pushButton(QStringLiteral("&Cancelar"), QStringLiteral("btncancelar"), page);
    BmsXPButton1 = Skin::pushButton(QStringLiteral("&Apagar"), QStringLiteral("BmsXPButton1"), page);
    Imprimir = Skin::pushButton(QStringLiteral("&Imprimir..."), QStringLiteral("Imprimir"), page);
    buttons->addWidget(Btnovo, 0, 0);
    buttons->addWidget(gravar, 0, 1);
    buttons->addWidget(btncancelar, 1, 0);
    buttons->addWidget(BmsXPButton1, 1, 1);
    buttons->addWidget(Imprimir, 2, 0, 1, 2);
    side->addLayout(buttons);

    auto* version = new QGroupBox(QStringLiteral("Imprimir Versão de Recibo"), page);
    version->setToolTip(QStringLiteral("Escolha o modelo do recibo!"));
    auto* versionLayout = new QHBoxLayout(version);
    RadioButton1 = new QRadioButton(QStringLiteral("Pesonalizada"), version);
    RadioButton2 = new QRadioButton(QStringLiteral("Padrão"), version);
    versionLayout->addWidget(RadioButton1);
    versionLayout->addWidget(RadioButton2);
    auto* versionChoice = new QButtonGroup(version);
    versionChoice->addButton(RadioButton1);
    versionChoice->addButton(RadioButton2);
    side->addWidget(version);

    PainelVias = new QGroupBox(QStringLiteral("Selecione Qtd :"), page);
    auto* copies = new QVBoxLayout(PainelVias);
    RadioButton5 = new QRadioButton(QStringLiteral("1 (Uma) via"), PainelVias);
    RadioButton6 = new QRadioButton(QStringLiteral("2 (Duas) vias"), PainelVias);
    RadioButton5->setChecked(true);
    BtImprimirVias =
        Skin::pushButton(QStringLiteral("Imprimir / 1 via"), QStringLiteral("BtImprimirVias"), PainelVias);
    copies->addWidget(RadioButton5);
    copies->addWidget(RadioButton6);
    copies->addWidget(BtImprimirVias);
    PainelVias->hide();
    side->addWidget(PainelVias);
    layout->addLayout(side, 2);

    gravar->setEnabled(false);
    btncancelar->setEnabled(false);
    connect(Btnovo, &QPushButton::clicked, this, &TForm1::BtnovoClick);
    connect(gravar, &QPushButton::clicked, this, &TForm1::gravarClick);
    connect(btncancelar, &QPushButton::clicked, this, &TForm1::btncancelarClick);
    connect(BmsXPButton1, &QPushButton::clicked, this, &TForm1::BmsXPButton1Click);
    connect(Imprimir, &QPushButton::clicked, this, &TForm1::ImprimirClick);
    connect(Edit1, &QLineEdit::textChanged, this, &TForm1::Edit1Change);
    connect(DBEdit1, &DBComboBox::dropDown, this, &TForm1::DBEdit1DropDown);
    connect(DBEdit1, &QComboBox::textActivated, this, &TForm1::DBEdit1Click);
    connect(DBCombo_emitente, &DBComboBox::dropDown, this, &TForm1::DBCombo_emitenteDropDown);
    connect(DBCombo_emitente, &QComboBox::textActivated, this, &TForm1::DBCombo_emitenteClick);
    connect(RadioButton3, &QRadioButton::clicked, this, &TForm1::RadioButton3Click);
    connect(RadioButton4, &QRadioButton::clicked, this, &TForm1::RadioButton4Click);
    connect(RadioButton5, &QRadioButton::clicked, this,
            [this] { BtImprimirVias->setText(QStringLiteral("Imprimir / 1 via")); });
    connect(RadioButton6, &QRadioButton::clicked, this,
            [this] { BtImprimirVias->setText(QStringLiteral("Imprimir / 2 vias")); });
    connect(BtImprimirVias, &QPushButton::clicked, this, [this] {
        if (RadioButton6->isChecked())
            bt2viasClick();
        else
            bt1viaClick();
    });
    DBEdit1->installEventFilter(this);
    reciboBox(QStringLiteral("Referente"))->installEventFilter(this);

    // What each box's change enables.
    for (const char* field : {"Cpfpagador", "End", "Valor2", "Cpf", "Rgemitente", "End2", "Obs_recibo"})
        enableOnChange(reciboBox(QString::fromUtf8(field)), gravar, btncancelar);
    enableOnChange(DBEdit1, gravar, btncancelar);
    enableOnChange(reciboBox(QStringLiteral("Referente")), gravar, nullptr);
    for (const char* field : {"Cidade", "UF", "Codigo2"})
        enableOnChange(reciboBox(QString::fromUtf8(field)), nullptr, btncancelar);
    return page;
}

QWidget* TForm1::buildNotePage() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* form = new QGridLayout;
    form->setVerticalSpacing(3);
    auto addBox = [&](QGridLayout* grid, QWidget* parent, const char* caption, const char* field,
                      Case charCase, int row, int column, int span) {
        DBEdit* edit = notes_.add(parent, QString::fromUtf8(field), charCase);
        grid->addWidget(captioned(QString::fromUtf8(caption), edit, parent), row, column, 1, span);
        return edit;
    };
    DBEdit* numero = addBox(form, page, "Nota Promissória Nº", "Codigo", Case::Normal, 0, 0, 1);
    numero->setReadOnly(true);
    numero->setStyleSheet(QStringLiteral("font-weight: bold; color: #800000;"));

    auto* due = new QWidget(page);
    auto* dueLayout = new QHBoxLayout(due);
    dueLayout->setContentsMargins(0, 0, 0, 0);
    auto list = [&](const char* name, const char* field, const QStringList& items) {
        auto* combo = new DBComboBox(due);
        combo->setObjectName(QString::fromUtf8(name));
        combo->addItems(items);
        combo->setDataSource(T_NP, QString::fromUtf8(field));
        dueLayout->addWidget(combo);
        return combo;
    };
    QStringList days, years;
    for (int d = 1; d <= 31; ++d)
        days << QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'));
    for (int y = 2009; y <= 2040; ++y)
        years << QString::number(y);
    QStringList months;
    for (const char* month : {"Janeiro", "Fevereiro", "Março", "Abril", "Maio", "Junho", "Julho", "Agosto",
                              "Setembro", "Outubro", "Novembro", "Dezembro"})
        months << QString::fromUtf8(month);
    ComboDia = list("ComboDia", "Dia", days);
    ComboMes = list("ComboMes", "Mes", months);
    ComboAno = list("ComboAno", "Ano", years);
    ComboDia->setMinimumWidth(58);
    ComboMes->setMinimumWidth(112);
    ComboAno->setMinimumWidth(72);
    form->addWidget(captioned(QStringLiteral("Vencimento Dia / Mês / ano"), due, page), 0, 1, 1, 2);
    DBEdit* valor = addBox(form, page, "Valor da nota", "Valor", Case::Normal, 0, 3, 1);
    valor->setAlignment(Qt::AlignRight);
    valor->setStyleSheet(QStringLiteral("font-weight: bold;"));
    valor->setToolTip(QStringLiteral("Valores"));
    valor->installEventFilter(this);
    addBox(form, page, "Ao (s)", "Aos", Case::Upper, 1, 0, 4);
    DBCombo_Pagarei = new DBComboBox(page);
    DBCombo_Pagarei->setObjectName(QStringLiteral("DBCombo_Pagarei"));
    DBCombo_Pagarei->setCharCase(Case::Upper);
    DBCombo_Pagarei->setDataSource(T_NP, QStringLiteral("Pagarei"));
    DBCombo_Pagarei->installEventFilter(this);
    form->addWidget(
        captioned(QStringLiteral("Pagarei por esta única via de NOTA PROMISSÓRIA a "), DBCombo_Pagarei, page),
        2, 0, 1, 3);
    addBox(form, page, "CPF / CNPJ", "Cpf", Case::Upper, 2, 3, 1);
    addBox(form, page, "Ou a sua Ordem a quantia de :", "Ou", Case::Normal, 3, 0, 4);

    auto* client = new QGroupBox(QStringLiteral("Dados Cliente"), page);
    auto* clientForm = new QGridLayout(client);
    addBox(clientForm, client, "Cidade ", "Cidade", Case::Normal, 0, 0, 2);
    DBEdit* uf = addBox(clientForm, client, "UF", "Uf", Case::Upper, 0, 2, 1);
    uf->setMaxLength(2);
    uf->setMaximumWidth(60);
    addBox(clientForm, client, "Data ", "Data extenso", Case::Normal, 0, 3, 2);
    DBEdit18 = new DBComboBox(client);
    DBEdit18->setObjectName(QStringLiteral("DBEdit18"));
    DBEdit18->setCharCase(Case::Upper);
    DBEdit18->setDataSource(T_NP, QStringLiteral("Emitente"));
    clientForm->addWidget(captioned(QStringLiteral("Dados do Cliente"), DBEdit18, client), 1, 0, 1, 5);
    addBox(clientForm, client, "CPF/CNPJ", "Cpf_emitente", Case::Normal, 2, 0, 2);
    addBox(clientForm, client, "RG/IE", "Rg_emitente", Case::Normal, 2, 2, 3);
    addBox(clientForm, client, "Endereço", "End_emitente", Case::Normal, 3, 0, 5);
    MemoMsg = new DBMemo(client);
    MemoMsg->setObjectName(QStringLiteral("MemoMsg"));
    MemoMsg->setMaximumHeight(54);
    MemoMsg->setDataSource(T_NP, QStringLiteral("Msg"));
    clientForm->addWidget(captioned(QStringLiteral("Obs: (rodapé)"), MemoMsg, client), 4, 0, 1, 5);
    for (int column = 0; column < 5; ++column)
        clientForm->setColumnStretch(column, column == 2 ? 0 : 2);
    form->addWidget(client, 4, 0, 1, 4);
    form->setRowStretch(5, 1);
    layout->addLayout(form, 3);

    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel(QStringLiteral("Localizar Emitente"), page));
    Edit2 = new QLineEdit(page);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    side->addWidget(Edit2);
    ListaNotas = new DBGrid(page);
    ListaNotas->setTable(T_NP);
    ListaNotas->setColumns({{QStringLiteral("Codigo"), QStringLiteral("Nº"), 60},
                            {QStringLiteral("Emitente"), QStringLiteral("Emitente"), 0}});
    ListaNotas->setReadOnly(true);
    side->addWidget(ListaNotas, 1);
    auto* navigator = new DBNavigator(page);
    navigator->setDataSource(T_NP);
    navigator->setVisibleButtons({DBNavigator::Prior, DBNavigator::Next});
    auto* navigatorRow = new QHBoxLayout;
    navigatorRow->addWidget(navigator);
    navigatorRow->addStretch();
    side->addLayout(navigatorRow);
    auto* buttons = new QGridLayout;
    Bt_NP_Novo = Skin::pushButton(QStringLiteral("&Novo"), QStringLiteral("Bt_NP_Novo"), page);
    bGravar = Skin::pushButton(QStringLiteral("&Gravar"), QStringLiteral("bGravar"), page);
    BmsXPButton3 = Skin::pushButton(QStringLiteral("&Apagar"), QStringLiteral("BmsXPButton3"), page);
    btncancelarNota = Skin::pushButton(QStringLiteral("&Cancelar"), QStringLiteral("btncancelarNota"), page);
    BmsXPButton7 = Skin::pushButton(QStringLiteral("&Imprimir..."), QStringLiteral("BmsXPButton7"), page);
    buttons->addWidget(Bt_NP_Novo, 0, 0);
    buttons->addWidget(bGravar, 0, 1);
    buttons->addWidget(BmsXPButton3, 1, 0);
    buttons->addWidget(btncancelarNota, 1, 1);
    buttons->addWidget(BmsXPButton7, 2, 0, 1, 2);
    side->addLayout(buttons);
    layout->addLayout(side, 2);

    bGravar->setEnabled(false);
    btncancelarNota->setEnabled(false);
    connect(Bt_NP_Novo, &QPushButton::clicked, this, &TForm1::Bt_NP_NovoClick);
    connect(bGravar, &QPushButton::clicked, this, &TForm1::bGravarClick);
    connect(btncancelarNota, &QPushButton::clicked, this, &TForm1::btncancelarNotaClick);
    connect(BmsXPButton3, &QPushButton::clicked, this, &TForm1::BmsXPButton3Click);
    connect(BmsXPButton7, &QPushButton::clicked, this, &TForm1::BmsXPButton7Click);
    connect(Edit2, &QLineEdit::textChanged, this, &TForm1::Edit2Change);
    connect(DBEdit18, &DBComboBox::dropDown, this, &TForm1::DBEdit18DropDown);
    connect(DBEdit18, &QComboBox::textActivated, this, &TForm1::DBEdit18Click);
    connect(DBCombo_Pagarei, &DBComboBox::dropDown, this, &TForm1::DBCombo_PagareiDropDown);
    connect(DBCombo_Pagarei, &QComboBox::textActivated, this, &TForm1::DBCombo_PagareiClick);

    for (QObject* box : QList<QObject*>{ComboDia, ComboMes, ComboAno, notaBox("Valor"), notaBox("Aos"),
                                        notaBox("Cpf"), notaBox("Cidade"), notaBox("Cpf_emitente"),
                                        notaBox("Rg_emitente"), notaBox("End_emitente"), MemoMsg})
        enableOnChange(box, bGravar, btncancelarNota);
    for (const char* field : {"Ou", "Uf", "Data extenso"})
        enableOnChange(notaBox(QString::fromUtf8(field)), nullptr, btncancelarNota);
    return page;
}

DBEdit* TForm1::reciboBox(const QString& field) const {
    return receipts_.box(field);
}

DBEdit* TForm1::notaBox(const QString& field) const {
    return notes_.box(field);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Nothing pending is stored when the window closes.
    Trecibo->cancel();
    T_NP->cancel();
    QDialog::closeEvent(event);
}

// --- receipts ---

void TForm1::BtnovoClick() {
    if (guarded(this, [this] { numberNewRecord(*Trecibo); }))
        reciboBox(QStringLiteral("Codigo2"))->setFocus();
}

void TForm1::novoReciboDe(const WindowHooks::ReceiptRequest& request) {
    const QString lastIssuer =
        Trecibo->isEmpty() ? QString() : Trecibo->fieldByName(QStringLiteral("Emitente")).asString();
    if (!guarded(this, [this] { numberNewRecord(*Trecibo); })) return;
    if (!request.client.isEmpty())
        EditorKit::lookUpAndCopy(this, *ListaClientes, QStringLiteral("ByNome"), QStringLiteral("Nome"),
                                 request.client, *Trecibo,
                                 {{QStringLiteral("Nome"), QStringLiteral("Reci")},
                                  {QStringLiteral("Endereço"), QStringLiteral("End")},
                                  {QStringLiteral("Cpfpagador"), QStringLiteral("Cpfpagador")},
                                  {QStringLiteral("Codigo"), QStringLiteral("Codigo2")}});
    guarded(this, [&] {
        Tb_emitente->refresh();
        Tb_emitente->setIndexName(QStringLiteral("ByNome"));
        if (lastIssuer.isEmpty() || !Tb_emitente->locate(QStringLiteral("Nome"), lastIssuer)) {
            Tb_emitente->setIndexName(QStringLiteral("ByCodigo"));
            Tb_emitente->first();
        }
        auto set = [this](const char* field, const QString& text) {
            Trecibo->fieldByName(QString::fromUtf8(field)).setAsString(text);
        };
        if (!Tb_emitente->isEmpty()) {
            auto issuer = [this](const char* field) {
                return Tb_emitente->fieldByName(QString::fromUtf8(field)).asString();
            };
            const auto [city, state] = issuerPlace(issuer("Endereco"));
            set("Emitente", issuer("Nome"));
            set("Cpf", issuer("CPF"));
            set("Rgemitente", issuer("RG"));
            set("End2", issuer("Endereco"));
            set("Cidade", city);
            set("UF", state);
        }
        if (!request.amount.isNull()) {
            const double amount = request.amount.toDouble();
            set("Valor2", Values::formatNumber(amount));
            set("Importancia", amountInWords(amount));
        }
        set("Referente", request.referente);
        set("Dia mes", dateInWords());
    });
    gravar->setEnabled(true);
    btncancelar->setEnabled(true);
    reciboBox(QStringLiteral("Referente"))->setFocus();
}

void TForm1::gravarClick() {
    if (EditorKit::storeRecord(this, *Trecibo) != EditorKit::StoreResult::Stored) return;
    gravar->setEnabled(false);
    btncancelar->setEnabled(false);
}

void TForm1::btncancelarClick() {
    guarded(this, [this] { Trecibo->cancel(); });
    btncancelar->setEnabled(false);
}

void TForm1::BmsXPButton1Click() {
    EditorKit::confirmAndDelete(this, *Trecibo, QStringLiteral("DESEJA EXCLUIR ESTE REGISTRO?"));
    reciboBox(QStringLiteral("Codigo2"))->setFocus();
}

bool TForm1::RcodigoKeyDown() {
    DBEdit* box = reciboBox(QStringLiteral("Codigo2"));
    // A code that is no number is refused once, here, and the focus stays in the box.
    if (!box->link().commit(box->maskedText())) return false;
    const QString code = box->text().trimmed();
    if (!code.isEmpty() &&
        EditorKit::lookUpAndCopy(this, *Tcliente, QStringLiteral("bycodigo"), QStringLiteral("Codigo"), code,
                                 *Trecibo,
                                 {{QStringLiteral("Nome"), QStringLiteral("Reci")},
                                  {QStringLiteral("Endereço"), QStringLiteral("End")},
                                  {QStringLiteral("Cpfpagador"), QStringLiteral("Cpfpagador")}}))
        return true;
    if (Dialogs::current().question(
            this, QStringLiteral("Este código de cliente não foi cadastrado, cadastrar agora?"),
            QStringLiteral("Erro")))
        WindowHooks::openClientsRegister(this);
    return true;
}

void TForm1::Edit1Change(const QString& text) {
    guarded(this, [this, &text] {
        Trecibo->setIndexName(QStringLiteral("bynome"));
        Trecibo->findNearest(text);
    });
}

void TForm1::fillNames(DBComboBox* list, Table* table, const QString& index) {
    list->clear();
    guarded(this, [&] {
        table->setIndexName(index);
        table->refresh();
        table->disableControls();
        for (table->first(); !table->eof(); table->next())
            if (!table->fieldByName(QStringLiteral("Nome")).isNull())
                list->addItem(table->fieldByName(QStringLiteral("Nome")).asString());
        table->enableControls();
    });
}

void TForm1::DBEdit1DropDown() {
    fillNames(DBEdit1, ListaClientes, QStringLiteral("ByNome"));
}

void TForm1::DBEdit1Click(const QString& name) {
    DBEdit1->link().setModified(false);
    EditorKit::lookUpAndCopy(this, *ListaClientes, QStringLiteral("ByNome"), QStringLiteral("Nome"), name,
                             *Trecibo,
                             {{QStringLiteral("Nome"), QStringLiteral("Reci")},
                              {QStringLiteral("Endereço"), QStringLiteral("End")},
                              {QStringLiteral("Cpfpagador"), QStringLiteral("Cpfpagador")},
                              {QStringLiteral("Codigo"), QStringLiteral("Codigo2")},
                              {QStringLiteral("Cidade"), QStringLiteral("Cidade")},
                              {QStringLiteral("UF"), QStringLiteral("UF")}});
}

void TForm1::RadioButton3Click() {
    EmitenteDigitado->show();
    DBCombo_emitente->hide();
}

void TForm1::RadioButton4Click() {
    DBCombo_emitente->show();
    EmitenteDigitado->hide();
}

void TForm1::DBCombo_emitenteDropDown() {
    fillNames(DBCombo_emitente, Tb_emitente, QStringLiteral("ByCodigo"));
}

void TForm1::DBCombo_emitenteClick(const QString& name) {
    DBCombo_emitente->link().setModified(false);
    EditorKit::lookUpAndCopy(this, *Tb_emitente, QStringLiteral("ByNome"), QStringLiteral("Nome"), name,
                             *Trecibo,
                             {{QStringLiteral("Nome"), QStringLiteral("Emitente")},
                              {QStringLiteral("CPF"), QStringLiteral("Cpf")},
                              {QStringLiteral("RG"), QStringLiteral("Rgemitente")},
                              {QStringLiteral("Endereco"), QStringLiteral("End2")}});
}

bool TForm1::valueRule(DBEdit* box, Table* table, const QString& wordsField, const QString& dateField) {
    if (box->text().trimmed().isEmpty()) {
        Dialogs::current().errorNo(this, QStringLiteral("Valor Não pode ser nulo!"));
        box->setFocus();
        return false;
    }
    // The text the box itself writes back ("1.555,23") reads as the same number; other texts are refused.
    QVariant number;
    try {
        number = Values::parseAmount(box->text());
    } catch (const DataError& error) {
        showError(this, error.message());
        return false;
    }
    const QString words = amountInWords(number.toDouble());
    return guarded(this, [&] {
        box->link().commit(box->text());
        table->edit();
        table->fieldByName(wordsField).setAsString(words);
        table->fieldByName(box->link().fieldName()).setAsString(Values::formatNumber(number.toDouble()));
        table->fieldByName(dateField).setAsString(dateInWords());
    });
}

QString TForm1::amountInWords(double amount) {
    const AmountInWords outcome = ValorExtenso(amount);
    if (!outcome.problem.isEmpty()) Dialogs::current().message(this, outcome.problem);
    return outcome.words;
}

bool TForm1::LabeledEdit1Exit() {
    if (!valueRule(reciboBox(QStringLiteral("Valor2")), Trecibo, QStringLiteral("Importancia"),
                   QStringLiteral("Dia mes")))
        return false;
    reciboBox(QStringLiteral("Referente"))->setFocus();
    return true;
}

QString TForm1::numberLine() const {
    return QStringLiteral("Nº ") + reciboBox(QStringLiteral("Codigo"))->text();
}

QString TForm1::valueLine() const {
    return QStringLiteral("***") + reciboBox(QStringLiteral("Valor2"))->text() + QStringLiteral("***");
}

QString TForm1::placeAndDateLine() const {
    return reciboBox(QStringLiteral("Cidade"))->text() + QStringLiteral(" - ") +
           reciboBox(QStringLiteral("UF"))->text() + QStringLiteral(", ") +
           reciboBox(QStringLiteral("Dia mes"))->text();
}

QString TForm1::payerSentence() const {
    return QStringLiteral("Recebi(emos) de: ") + DBEdit1->currentText() + QStringLiteral(" - CPF/CNPJ n° ") +
           reciboBox(QStringLiteral("Cpfpagador"))->text() + QStringLiteral(", A importância supra de: ") +
           QStringLiteral("***") + reciboBox(QStringLiteral("Importancia"))->text() +
           QStringLiteral("*** - ") + QStringLiteral("Referente a: ") +
           reciboBox(QStringLiteral("Referente"))->text() + QStringLiteral(".");
}

QString TForm1::importanciaLine() const {
    return QStringLiteral("A importância supra de: ***") + reciboBox(QStringLiteral("Importancia"))->text() +
           QStringLiteral("*** ");
}

namespace {

// The name a person gives the printed document: "Recibo 000042".
QString documentName(const QString& kind, Table* table) {
    return kind + QLatin1Char(' ') +
           Values::formatFloat(table->fieldByName(QStringLiteral("Codigo")).value().toDouble(),
                               QStringLiteral("000000"));
}

}  // namespace

void TForm1::preview(const std::function<Report::Layout(const TForm2&)>& layout,
                     const QMap<QString, QString>& labels, bool note) {
    // The boxes hand what is typed to the record first: the fields print the record as edited.
    for (DBEdit* box : receipts_.boxes() + notes_.boxes())
        if (box->link().modified()) box->link().commit(box->maskedText());
    TForm2 holder(Trecibo, T_NP);
    Report::FillContext context;
    context.labels = labels;
    context.printTime = Clock::now();
    Report::Document document;
    if (!guarded(this, [&] { document = Report::fill(layout(holder), context); })) return;
    document.name = note ? documentName(QStringLiteral("Nota Promissória"), T_NP)
                         : documentName(QStringLiteral("Recibo"), Trecibo);
    Dialogs::current().preview(this, document);
}

void TForm1::ImprimirClick() {
    if (RadioButton1->isChecked())
        SpeedButton1Click();
    else
        via2Click();
}

void TForm1::SpeedButton1Click() {
    const QString number = numberLine(), value = valueLine(), payer = payerSentence(),
                  place = placeAndDateLine();
    preview([](const TForm2& holder) { return holder.QuickRep1(); }, {{QStringLiteral("Lnrecibo"), number},
                                                                      {QStringLiteral("QRLabel36"), number},
                                                                      {QStringLiteral("QRLabel4"), payer},
                                                                      {QStringLiteral("QRLabel34"), payer},
                                                                      {QStringLiteral("lvalor"), value},
                                                                      {QStringLiteral("QRLabel17"), value},
                                                                      {QStringLiteral("Ldata"), place},
                                                                      {QStringLiteral("Ldata2"), place}});
}

void TForm1::via2Click() {
    PainelVias->setVisible(!PainelVias->isVisible());
}

void TForm1::bt1viaClick() {
    preview([](const TForm2& holder) { return holder.Quick_1Via(); },
            {{QStringLiteral("QRLabel61"), numberLine()},
             {QStringLiteral("QRLabel71"), importanciaLine()},
             {QStringLiteral("QRLabel66"), valueLine()},
             {QStringLiteral("QRLabel63"), placeAndDateLine()}});
    PainelVias->hide();
}

void TForm1::bt2viasClick() {
    const QString number = numberLine(), value = valueLine(), words = importanciaLine(),
                  place = placeAndDateLine();
    preview([](const TForm2& holder) { return holder.QuickRep2(); },
            {{QStringLiteral("QRLabel9"), number},
             {QStringLiteral("QRimportancia"), words},
             {QStringLiteral("QRLabel10"), value},
             {QStringLiteral("QRLabel13"), place},
             {QStringLiteral("QRLabel15"), number},
             {QStringLiteral("QRimportancia2"), words},
             {QStringLiteral("Lvalor2"), value},
             {QStringLiteral("QRLabel20"), place}});
    PainelVias->hide();
}

// --- notes ---

void TForm1::Bt_NP_NovoClick() {
    if (guarded(this, [this] { numberNewRecord(*T_NP); })) btncancelarNota->setEnabled(true);
}

void TForm1::bGravarClick() {
    if (EditorKit::storeRecord(this, *T_NP) != EditorKit::StoreResult::Stored) return;
    bGravar->setEnabled(false);
    btncancelarNota->setEnabled(false);
}

void TForm1::btncancelarNotaClick() {
    guarded(this, [this] { T_NP->cancel(); });
    btncancelarNota->setEnabled(false);
}

void TForm1::BmsXPButton3Click() {
    EditorKit::confirmAndDelete(this, *T_NP, QStringLiteral("Deseja realmente apagar essa nota?"));
}

bool TForm1::DBEdit11Exit() {
    return valueRule(notaBox(QStringLiteral("Valor")), T_NP, QStringLiteral("Ou"),
                     QStringLiteral("Data extenso"));
}

void TForm1::DBEdit18DropDown() {
    fillNames(DBEdit18, ListaClientes, QStringLiteral("ByNome"));
}

void TForm1::DBEdit18Click(const QString& name) {
    DBEdit18->link().setModified(false);
    EditorKit::lookUpAndCopy(this, *ListaClientes, QStringLiteral("ByNome"), QStringLiteral("Nome"), name,
                             *T_NP,
                             {{QStringLiteral("Nome"), QStringLiteral("Emitente")},
                              {QStringLiteral("Endereço"), QStringLiteral("End_emitente")},
                              {QStringLiteral("Cpfpagador"), QStringLiteral("Cpf_emitente")},
                              {QStringLiteral("Rgpagador"), QStringLiteral("Rg_emitente")},
                              {QStringLiteral("Cidade"), QStringLiteral("Cidade")},
                              {QStringLiteral("UF"), QStringLiteral("Uf")}});
}

void TForm1::DBCombo_PagareiDropDown() {
    fillNames(DBCombo_Pagarei, Tb_emitente, QStringLiteral("ByNome"));
}

void TForm1::DBCombo_PagareiClick(const QString& name) {
    DBCombo_Pagarei->link().setModified(false);
    EditorKit::lookUpAndCopy(this, *Tb_emitente, QStringLiteral("ByNome"), QStringLiteral("Nome"), name,
                             *T_NP,
                             {{QStringLiteral("Nome"), QStringLiteral("Pagarei")},
                              {QStringLiteral("CPF"), QStringLiteral("Cpf")}});
}

// The list shows the signer: the search finds the first note, in signer order, from the typed text on.
void TForm1::Edit2Change(const QString& text) {
    guarded(this, [this, &text] { T_NP->locateNearest(QStringLiteral("Emitente"), text); });
}

QMap<QString, QString> TForm1::noteLabels() const {
    const QString place = notaBox(QStringLiteral("Cidade"))->text() + QStringLiteral(" - ") +
                          notaBox(QStringLiteral("Uf"))->text();
    return {
        {QStringLiteral("numero_nota"), QStringLiteral("Nº ") + notaBox(QStringLiteral("Codigo"))->text()},
        {QStringLiteral("QRLabel42"), QStringLiteral("Ou a sua Ordem a quantia de ***** ") +
                                          notaBox(QStringLiteral("Ou"))->text() + QStringLiteral(" ***** ") +
                                          QStringLiteral(" Em moeda corrente deste País ")},
        {QStringLiteral("QRLabel40"),
         QStringLiteral("***") + notaBox(QStringLiteral("Valor"))->text() + QStringLiteral("***")},
        {QStringLiteral("QRLabel39"), DBCombo_Pagarei->currentText()},
        {QStringLiteral("QRLabel51"),
         place + QStringLiteral(", ") + notaBox(QStringLiteral("Data extenso"))->text()},
        {QStringLiteral("QRLabel50"), QStringLiteral("Vencimento, ") + ComboDia->currentText() +
                                          QStringLiteral(" de ") + ComboMes->currentText() +
                                          QStringLiteral(" de ") + ComboAno->currentText()},
        {QStringLiteral("QRLabel54"), place}};
}

void TForm1::BmsXPButton7Click() {
    preview([](const TForm2& holder) { return holder.QuickRep4(); }, noteLabels(), true);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == reciboBox(QStringLiteral("Codigo2"))) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // After the look-up the Enter rule moves on; a code that can't be read keeps the focus.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !RcodigoKeyDown()) return true;
    }
    // The leave rules run when the user leaves a box for another control, never on a button's click (the
    // buttons take no focus) nor when the program itself moves the focus.
    if (!EditorKit::leftForAnotherControl(this, event)) return QDialog::eventFilter(watched, event);
    if (!inValueRule_ &&
        (watched == reciboBox(QStringLiteral("Valor2")) || watched == notaBox(QStringLiteral("Valor")))) {
        inValueRule_ = true;
        const bool receipt = watched == reciboBox(QStringLiteral("Valor2"));
        QMetaObject::invokeMethod(
            this,
            [this, receipt] {
                if (receipt)
                    LabeledEdit1Exit();
                else
                    DBEdit11Exit();
                inValueRule_ = false;
            },
            Qt::QueuedConnection);
    }
    // Forced moves of the receipt tab.
    QWidget* next = nullptr;
    if (watched == DBEdit1) next = reciboBox(QStringLiteral("Valor2"));
    if (watched == reciboBox(QStringLiteral("Referente"))) next = reciboBox(QStringLiteral("Cidade"));
    if (watched == reciboBox(QStringLiteral("Cpf"))) next = reciboBox(QStringLiteral("Rgemitente"));
    if (watched == reciboBox(QStringLiteral("Rgemitente"))) next = reciboBox(QStringLiteral("Obs_recibo"));
    if (watched == DBCombo_Pagarei) next = notaBox(QStringLiteral("Valor"));
    if (next)
        QMetaObject::invokeMethod(
            next, [next] { next->setFocus(); }, Qt::QueuedConnection);
    return QDialog::eventFilter(watched, event);
}
