#include "UnitFornecedor.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "CpfCnpj.h"
#include "CpfCnpjHint.h"
#include "DBGrid.h"
#include "DataControls.h"
#include "Database.h"
#include "Dialogs.h"
#include "Filler.h"
#include "KeyNavigation.h"
#include "Numbering.h"
#include "ScreenFit.h"
#include "Skin.h"
#include "Table.h"
#include "Values.h"

namespace {

using Case = MaskEdit::CharCase;

// Two or more options that store their own caption in one field ("Ativo" / "Inativo").
class FieldChoice : public QObject {
public:
    FieldChoice(QWidget* owner, Dataset* dataset, const QString& fieldName,
                const QList<QRadioButton*>& options)
        : QObject(owner), link_(owner), options_(options) {
        link_.setDataSource(dataset, fieldName);
        connect(&link_, &FieldLink::refreshRequested, this, &FieldChoice::refresh);
        for (QRadioButton* option : options_)
            connect(option, &QRadioButton::clicked, this, [this, option] {
                if (syncing_) return;
                if (link_.beginChange()) link_.commit(option->text());
                refresh();
            });
        refresh();
    }

private:
    void refresh() {
        syncing_ = true;
        const QString value = link_.hasField() ? link_.field().asString() : QString();
        for (QRadioButton* option : options_) {
            // Exclusive buttons can't all be cleared while one is checked: a blank value clears them all.
            option->setAutoExclusive(false);
            option->setChecked(option->text() == value);
            option->setAutoExclusive(true);
        }
        syncing_ = false;
    }

    FieldLink link_;
    QList<QRadioButton*> options_;
    bool syncing_ = false;
};

}  // namespace

TF_Fornecedor::TF_Fornecedor(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Fornecedores"));
    setObjectName(QStringLiteral("F_Fornecedor"));

    // FormCreate: the register opens with the window.
    TFornecedor = new Table(kAliasVantejaVs2, QStringLiteral("tbfornecedor.db"), this);
    TFornecedor->open();
    boxes_ = BoxSet(TFornecedor, QStringLiteral("fornecedor_"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    PageControl1 = new QTabWidget(this);
    PageControl1->addTab(buildPage(), QStringLiteral("Cadastro de Fornecedores"));
    layout->addWidget(PageControl1);

    // "Salvar" is enabled exactly while a supplier is pending.
    auto enable = [this] { btnGravar->setEnabled(true); };
    auto disable = [this] { btnGravar->setEnabled(false); };
    connect(TFornecedor, &Dataset::afterInsert, this, enable);
    connect(TFornecedor, &Dataset::afterEdit, this, enable);
    connect(TFornecedor, &Dataset::afterPost, this, disable);
    connect(TFornecedor, &Dataset::afterDelete, this, disable);
    connect(TFornecedor, &Dataset::afterCancel, this, disable);

    KeyNavigation::install(this);
    ScreenFit::fit(this, QSize(900, 600));
}

TF_Fornecedor::~TF_Fornecedor() = default;

QWidget* TF_Fornecedor::buildPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* tools = new QHBoxLayout;
    SpeedButton3 = Skin::pushButton(QStringLiteral("Incluir Novo"), QStringLiteral("SpeedButton3"), page);
    SpeedButton4 = Skin::pushButton(QStringLiteral("Deletar"), QStringLiteral("SpeedButton4"), page);
    btnGravar = Skin::pushButton(QStringLiteral("Salvar"), QStringLiteral("btnGravar"), page);
    SpeedButton6 = Skin::pushButton(QStringLiteral("Cancelar"), QStringLiteral("SpeedButton6"), page);
    SpeedButton1 = Skin::pushButton(QStringLiteral("&Imprimir"), QStringLiteral("SpeedButton1"), page);
    btnGravar->setEnabled(false);
    for (QPushButton* button : {SpeedButton3, SpeedButton4, btnGravar, SpeedButton6, SpeedButton1})
        tools->addWidget(button);
    DBNavigator1 = new DBNavigator(page);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(TFornecedor);
    DBNavigator1->setVisibleButtons(
        {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last});
    tools->addSpacing(16);
    tools->addWidget(DBNavigator1);
    tools->addStretch();
    layout->addLayout(tools);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->setVerticalSpacing(2);
    struct Box {
        const char* caption;
        const char* field;
        Case charCase;
        int row, column, span;
    };
    const Box boxes[] = {
        {"Codigo", "Codigo", Case::Normal, 0, 0, 1},
        {"Nome", "Nome", Case::Upper, 0, 1, 3},
        {"Contato", "Contato", Case::Upper, 2, 0, 2},
        {"Telefone", "Telefone", Case::Normal, 2, 2, 1},
        {"CNPJ / CPF", "CNPJ_CPF", Case::Upper, 2, 3, 1},
        {"Tipo de Serviço", "TipoServico", Case::Upper, 4, 0, 2},
        {"Trasportadora", "Transportadora", Case::Upper, 4, 2, 2},
        {"Desconto %", "Desconto", Case::Normal, 6, 1, 1},
        {"Entrega (Dias)", "EntregaDias", Case::Normal, 6, 2, 1},
    };
    for (const Box& b : boxes) {
        const QString field = QString::fromUtf8(b.field);
        fields->addWidget(new QLabel(QString::fromUtf8(b.caption), page), b.row, b.column, 1, b.span);
        DBEdit* edit = boxes_.add(page, field, b.charCase);
        if (field == QLatin1String("Telefone")) edit->setMaxLength(13);
        if (field == QLatin1String("CNPJ_CPF")) edit->setObjectName(QStringLiteral("CPF_CNPJ"));
        if (field == QLatin1String("Nome")) edit->setObjectName(QStringLiteral("EditNome"));
        fields->addWidget(field == QLatin1String("CNPJ_CPF") ? CpfCnpjHint::wrap(edit) : edit, b.row + 1,
                          b.column, 1, b.span, Qt::AlignTop);
    }
    fields->addWidget(new QLabel(QStringLiteral("Condição de Pagamento"), page), 6, 0);
    CndPagamento = new DBComboBox(page);
    CndPagamento->setObjectName(QStringLiteral("CndPagamento"));
    CndPagamento->setEditable(true);
    CndPagamento->addItems({QStringLiteral("Boleto"), QStringLiteral("Dinheiro"), QStringLiteral("Cartão"),
                            QStringLiteral("Parcelado"), QStringLiteral("Cheque"), QStringLiteral("Avista"),
                            QStringLiteral("Todas")});
    CndPagamento->setDataSource(TFornecedor, QStringLiteral("CndPagamento"));
    fields->addWidget(CndPagamento, 7, 0, Qt::AlignTop);

    auto* situacao = new QGroupBox(QStringLiteral("Situação"), page);
    auto* options = new QHBoxLayout(situacao);
    options->setContentsMargins(8, 2, 8, 2);
    Ativo = new QRadioButton(QStringLiteral("Ativo"), situacao);
    Inativo = new QRadioButton(QStringLiteral("Inativo"), situacao);
    Ativo->setObjectName(QStringLiteral("Ativo"));
    Inativo->setObjectName(QStringLiteral("Inativo"));
    options->addWidget(Ativo);
    options->addWidget(Inativo);
    new FieldChoice(situacao, TFornecedor, QStringLiteral("Situacao"), {Ativo, Inativo});
    fields->addWidget(situacao, 6, 3, 2, 1);
    for (int column = 0; column < 4; ++column)
        fields->setColumnStretch(column, column == 0 ? 1 : 2);
    layout->addLayout(fields);

    auto* search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("Localizar:"), page));
    auto* edit1 = new MaskEdit(page);
    edit1->setCharCase(Case::Upper);
    Edit1 = edit1;
    Edit1->setObjectName(QStringLiteral("Edit1"));
    connect(Edit1, &QLineEdit::textChanged, this, &TF_Fornecedor::Edit1Change);
    search->addWidget(Edit1, 1);
    layout->addLayout(search);

    DBGrid1 = new DBGrid(page);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setReadOnly(true);
    DBGrid1->setTable(TFornecedor);
    DBGrid1->setColumns({{QStringLiteral("Nome"), QStringLiteral("Nome"), 300},
                         {QStringLiteral("Contato"), QStringLiteral("Contato"), 180},
                         {QStringLiteral("EntregaDias"), QStringLiteral("EntregaDias"), 90, Qt::AlignHCenter},
                         {QStringLiteral("Telefone"), QStringLiteral("Telefone"), 120}});
    layout->addWidget(DBGrid1, 1);

    connect(SpeedButton3, &QPushButton::clicked, this, &TF_Fornecedor::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &TF_Fornecedor::SpeedButton4Click);
    connect(btnGravar, &QPushButton::clicked, this, &TF_Fornecedor::btnGravarClick);
    connect(SpeedButton6, &QPushButton::clicked, this, &TF_Fornecedor::SpeedButton6Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TF_Fornecedor::SpeedButton1Click);
    return page;
}

DBEdit* TF_Fornecedor::box(const QString& field) const {
    return boxes_.box(field);
}

void TF_Fornecedor::done(int result) {
    // FormClose: pending changes are lost with the window.
    TFornecedor->close();
    QDialog::done(result);
}

void TF_Fornecedor::SpeedButton3Click() {
    if (!guarded(this, [this] { numberNewRecord(*TFornecedor); })) return;
    box(QStringLiteral("Nome"))->setFocus();
    btnGravar->setEnabled(true);
}

void TF_Fornecedor::btnGravarClick() {
    if (TFornecedor->state() != Dataset::State::Edit && TFornecedor->state() != Dataset::State::Insert) {
        Dialogs::current().message(this, QStringLiteral("Não Teve Alteração Edite!"));
        return;
    }
    DBEdit* document = box(QStringLiteral("CNPJ_CPF"));
    const QString formatted = FormataCpfCnpj(document->maskedText());
    if (formatted != document->maskedText()) document->typeText(formatted);
    if (EditorKit::storeRecord(this, *TFornecedor) != EditorKit::StoreResult::Stored) return;
    btnGravar->setEnabled(false);
    Dialogs::current().message(this, QStringLiteral("Cadastro Salvo com Sucesso!"));
}

void TF_Fornecedor::SpeedButton6Click() {
    guarded(this, [this] { TFornecedor->cancel(); });
}

void TF_Fornecedor::SpeedButton4Click() {
    EditorKit::confirmAndDelete(this, *TFornecedor, QStringLiteral("DESEJA EXCLUIR ESTE REGISTRO?"));
}

void TF_Fornecedor::Edit1Change(const QString& text) {
    guarded(this, [this, &text] {
        TFornecedor->setIndexFieldNames(QStringLiteral("Nome"));
        TFornecedor->findNearest(text);
    });
}

Report::Layout TF_Fornecedor::QuickRep1() const {
    using namespace Report;
    Layout layout;
    layout.name = QStringLiteral("Fornecedor");
    layout.zoom = Zoom::PageWidth;
    layout.maximised = true;
    const double width = layout.contentWidth();
    Band& title = layout.addBand(BandKind::Title, 19.8);
    title.elements << text(0, 7, QStringLiteral("Fornecedor"), Font().sized(12).withBold().withItalic(),
                           width, Qt::AlignHCenter);
    Band& block = layout.addBand(BandKind::Detail, 27.5);
    const Font caption = Font().sized(9).withBold();
    const Font value = Font().sized(9);
    // Each pair: the caption at `left`, its value from `valueLeft` up to where the next caption begins.
    struct Pair {
        const char* caption;
        const char* field;
        double left, valueLeft;
    };
    auto line = [&](double top, std::initializer_list<Pair> pairs) {
        const Pair* all = pairs.begin();
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            const double right = i + 1 < pairs.size() ? all[i + 1].left : width;
            block.elements << text(all[i].left, top, QString::fromUtf8(all[i].caption), caption)
                           << field(all[i].valueLeft, top, QString::fromUtf8(all[i].field), value,
                                    right - all[i].valueLeft - 1.5, Qt::AlignLeft, TFornecedor);
            layout.sheet << SheetColumn{
                Report::sheetTitle(QString::fromUtf8(all[i].caption)), block.elements.last(), {}};
        }
    };
    line(3,
         {{"Nome:", "Nome", 0, 11}, {"Contato:", "Contato", 92, 106}, {"CPF/CNPJ:", "CNPJ_CPF", 136, 155}});
    line(11, {{"Tipo Serviço:", "TipoServico", 0, 22},
              {"Telefone:", "Telefone", 86, 101},
              {"Trasnportadora:", "Transportadora", 128, 155}});
    line(19, {{"Condição Pagamento:", "CndPagamento", 0, 35},
              {"Desconto %:", "Desconto", 70, 91},
              {"Entrega (Dias):", "EntregaDias", 104, 128},
              {"Situação:", "Situacao", 146, 162}});
    layout.addBand(BandKind::Summary, 10.6);
    layout.addBand(BandKind::PageFooter, 10.6);
    return layout;
}

void TF_Fornecedor::SpeedButton1Click() {
    Report::Document document;
    if (!guarded(this, [this, &document] { document = Report::fill(QuickRep1()); })) return;
    document.name = QStringLiteral("Fornecedor ") + box(QStringLiteral("Codigo"))->text();
    Dialogs::current().preview(this, document);
}
