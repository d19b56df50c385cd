#include "Parcelas.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "Clock.h"
#include "DataError.h"
#include "Database.h"
#include "Dialogs.h"
#include "EditorKit.h"
#include "Engine.h"
#include "MaskEdit.h"
#include "NameLists.h"
#include "Query.h"
#include "Skin.h"
#include "Table.h"
#include "Values.h"

namespace Parcelas {

QString referente(const QVariant& parcela, int parcelas, const QString& referencia,
                  const QVariant& documento) {
    QStringList what;
    if (!referencia.trimmed().isEmpty()) what << referencia.trimmed();
    if (!documento.isNull()) what << Values::floatToText(documento.toDouble());
    const QString bill = what.join(QLatin1Char(' '));
    if (parcela.isNull()) return bill;
    const int k = qRound(parcela.toDouble());
    const QString installment =
        k == 0 ? QStringLiteral("Entrada") : QStringLiteral("Parcela %1/%2").arg(k).arg(qMax(k, parcelas));
    return bill.isEmpty() ? installment : installment + QStringLiteral(" – ") + bill;
}

QString referente(Table& ledger) {
    const QVariant parcela = ledger.fieldByName(QStringLiteral("DocParcela")).value();
    const QVariant documento = ledger.fieldByName(QStringLiteral("Codigo")).value();
    const QString referencia = ledger.fieldByName(QStringLiteral("Fantasia")).asString();
    int parcelas = 0;
    if (!parcela.isNull() && !documento.isNull()) {
        Query plan;
        plan.setDatabaseName(ledger.databaseName());
        plan.addSql(QStringLiteral("select max(DocParcela) as Parcelas from tbreceber"));
        plan.addSql(QStringLiteral("where Codigo = :codigo and Fantasia = :fantasia and Nome = :nome"));
        plan.setParam(QStringLiteral("codigo"), documento);
        plan.setParam(QStringLiteral("fantasia"), ledger.fieldByName(QStringLiteral("Fantasia")).value());
        plan.setParam(QStringLiteral("nome"), ledger.fieldByName(QStringLiteral("Nome")).value());
        plan.open();
        parcelas = qRound(plan.fieldByName(QStringLiteral("Parcelas")).asFloat());
    }
    return referente(parcela, parcelas, referencia, documento);
}

QDate dueDate(const QDate& base, int k) {
    return base.addMonths(k);
}

namespace {

// The values every installment shares, converted as their fields store them.
struct Converted {
    QDate base;
    QVariant codigo, nome, fantasia, valor, observacoes;
};

QVariant fieldValue(Table& ledger, const QString& name, const QVariant& value) {
    return Values::toFieldValue(ledger.fieldByName(name).def(), value);
}

Converted convert(Table& ledger, const Plan& plan) {
    Converted c;
    c.base = Values::parseDate(plan.baseDate);
    if (!c.base.isValid()) throw DataError(QStringLiteral("'%1' não é uma data válida").arg(plan.baseDate));
    const QVariant valor = Values::parseAmount(plan.valor);
    if (valor.isNull())
        throw DataError(QStringLiteral("'%1' não é um valor numérico válido").arg(plan.valor));
    c.codigo = fieldValue(ledger, QStringLiteral("Codigo"), plan.documento);
    c.nome = fieldValue(ledger, QStringLiteral("Nome"), plan.cliente);
    c.fantasia = fieldValue(ledger, QStringLiteral("Fantasia"), plan.referencia);
    c.valor = fieldValue(ledger, QStringLiteral("Valordocumento"), valor);
    c.observacoes = fieldValue(ledger, QStringLiteral("Observacoes"), plan.observacoes);
    // The last due date must exist too; a year past 9999 would fail halfway through.
    const QDate last = dueDate(c.base, plan.count);
    if (!last.isValid() || last.year() > 9999)
        throw DataError(QStringLiteral("A última parcela cairia depois de 31/12/9999."));
    return c;
}

void setFields(Table& table, const Converted& c, int k) {
    table.fieldByName(QStringLiteral("Codigo")).setValue(c.codigo);
    table.fieldByName(QStringLiteral("Nome")).setValue(c.nome);
    table.fieldByName(QStringLiteral("Fantasia")).setValue(c.fantasia);
    table.fieldByName(QStringLiteral("DocParcela")).setValue(k);
    table.fieldByName(QStringLiteral("DataEmissao")).setAsDate(Clock::today());
    table.fieldByName(QStringLiteral("DataVencimento")).setAsDate(dueDate(c.base, k));
    table.fieldByName(QStringLiteral("Valordocumento")).setValue(c.valor);
    table.fieldByName(QStringLiteral("Observacoes")).setValue(c.observacoes);
}

// Every installment of the plan, stored through a view that reads only the rows of this document (the
// ledger's own view would read all its rows again after each one), in one commit: the books hold the whole
// plan or none of it, whatever happens after. Returns the last installment's row.
Bookmark storePlan(Table& ledger, const Converted& c, int first, int last) {
    ledger.checkBrowseMode();
    Table batch(ledger.databaseName(), ledger.tableName());
    batch.setFilter(QStringLiteral("Codigo = %1").arg(c.codigo.toDouble(), 0, 'f', 0));
    batch.setFiltered(true);
    batch.open();
    try {
        Transaction unit(Session::instance().database(ledger.databaseName()).connection());
        for (int k = first; k <= last; ++k) {
            batch.insert();
            setFields(batch, c, k);
            batch.post();
        }
        unit.commit();
    } catch (...) {
        batch.cancel();
        throw;
    }
    return batch.bookmark();
}

// The ledger on its code order from now on, with the last installment current, as if it had been typed.
void showLast(Table& ledger, const Bookmark& last, Host& host) {
    if (ledger.indexName().compare(QStringLiteral("byCodigo"), Qt::CaseInsensitive) == 0)
        ledger.refresh();
    else
        ledger.setIndexName(QStringLiteral("byCodigo"));
    if (!ledger.gotoBookmark(last)) ledger.last();
    host.setGravarEnabled(true);
    host.setCancelarEnabled(true);
}

}  // namespace

int geraParcelas(Table& ledger, const Plan& plan, Host& host) {
    host.focusDateBox();
    const Converted c = convert(ledger, plan);
    if (plan.first > plan.count) return 0;
    showLast(ledger, storePlan(ledger, c, plan.first, plan.count), host);
    return plan.count - plan.first + 1;
}

void afterGenerated(Host& host) {
    host.aviso();
    host.setGravarEnabled(false);
    host.filterNaoPaga();
}

Outcome gerarParcelaAgora(Table& ledger, const Plan& plan, Host& host) {
    host.filterTodas();
    if (Values::isBlankDateText(plan.baseDate) || plan.documento.isEmpty() || plan.cliente.isEmpty() ||
        plan.referencia.isEmpty())
        return {false, kMissingInput};
    if (plan.count < 2) return {false, kCountTooSmall};
    geraParcelas(ledger, plan, host);
    return {true, kGenerated};
}

bool gerarEMostrar(QWidget* parent, Table& ledger, const Plan& plan, Host& host) {
    Outcome outcome;
    if (!guarded(parent, [&] { outcome = gerarParcelaAgora(ledger, plan, host); })) return false;
    if (!outcome.message.isEmpty()) Dialogs::current().message(parent, outcome.message);
    if (outcome.written) guarded(parent, [&] { afterGenerated(host); });
    return outcome.written;
}

}  // namespace Parcelas

namespace {

// The client box: capitals as typed, its list refilled each time it opens.
class ClientCombo : public QComboBox {
public:
    ClientCombo(GerarParcelas* panel, QWidget* parent) : QComboBox(parent), panel_(panel) {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        lineEdit()->setValidator(new InputRule(MaskEdit::CharCase::Upper, NumericInput::No, this));
    }
    void showPopup() override {
        panel_->ComClientesDropDown();
        QComboBox::showPopup();
    }

private:
    GerarParcelas* panel_;
};

// The window's host, with the panel's own part of the run.
class PanelHost : public Parcelas::Host {
public:
    PanelHost(Parcelas::Host& host, QWidget* dateBox) : host_(host), dateBox_(dateBox) {}
    void filterTodas() override { host_.filterTodas(); }
    void filterNaoPaga() override { host_.filterNaoPaga(); }
    void aviso() override { host_.aviso(); }
    void setGravarEnabled(bool on) override { host_.setGravarEnabled(on); }
    void setCancelarEnabled(bool on) override { host_.setCancelarEnabled(on); }
    void focusDateBox() override {
        dateBox_->setFocus();
        host_.focusDateBox();
    }

private:
    Parcelas::Host& host_;
    QWidget* dateBox_;
};

QLabel* captionFor(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    return label;
}

// Keys the old boxes took: digits and Backspace, and for the value also the comma.
bool acceptedKey(QObject* box, const QString& typed, QObject* valueBox) {
    for (const QChar c : typed) {
        if (c.isDigit() || c == QChar(8)) continue;
        if (c == QLatin1Char(',') && box == valueBox) continue;
        if (c.category() == QChar::Other_Control) continue;  // Tab, Enter, Esc move the focus
        return false;
    }
    return true;
}

}  // namespace

GerarParcelas::GerarParcelas(Table* ledger, Parcelas::Host* host, QWidget* parent)
    : QFrame(parent), ledger_(ledger), host_(host) {
    setObjectName(QStringLiteral("GerarParcelas"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);

    auto* title = new QLabel(QStringLiteral("Gerar Parcelass - Carnê"), this);
    title->setObjectName(QStringLiteral("Label16"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    Label17 = new QLabel(QStringLiteral("X"), this);
    Label17->setObjectName(QStringLiteral("Label17"));
    Label17->setToolTip(QStringLiteral("Fechar"));
    Label17->setFont(bold);
    Label17->setCursor(Qt::PointingHandCursor);
    Label17->installEventFilter(this);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(title);
    titleRow->addStretch();
    titleRow->addWidget(Label17);

    // Upper group, without caption.
    auto* upper = new QGroupBox(this);
    upper->setObjectName(QStringLiteral("GroupBox5"));
    MaskEdit7 = new MaskEdit(upper);
    MaskEdit7->setObjectName(QStringLiteral("MaskEdit7"));
    MaskEdit7->setEditMask(QStringLiteral("!99/99/0000;1;_"));
    Edit3 = new QLineEdit(upper);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    ComClientes = new ClientCombo(this, upper);
    ComClientes->setObjectName(QStringLiteral("ComClientes"));
    auto* reference = new MaskEdit(upper);
    reference->setCharCase(MaskEdit::CharCase::Upper);
    ParcelaRef = reference;
    ParcelaRef->setObjectName(QStringLiteral("ParcelaRef"));
    Observacao = new QLineEdit(upper);
    Observacao->setObjectName(QStringLiteral("Observacao"));
    GroupBox7 = new QGroupBox(upper);
    GroupBox7->setObjectName(QStringLiteral("GroupBox7"));
    Label27 = new QLabel(GroupBox7);
    Label27->setObjectName(QStringLiteral("Label27"));
    Label27->setAlignment(Qt::AlignCenter);
    Label27->setFont(bold);
    (new QVBoxLayout(GroupBox7))->addWidget(Label27);
    GroupBox7->hide();

    auto* upperGrid = new QGridLayout(upper);
    upperGrid->addWidget(captionFor(QStringLiteral("Data Emissão"), upper), 0, 0);
    upperGrid->addWidget(MaskEdit7, 1, 0);
    upperGrid->addWidget(captionFor(QStringLiteral("Nº Documento"), upper), 0, 1);
    upperGrid->addWidget(Edit3, 1, 1);
    upperGrid->addWidget(GroupBox7, 0, 2, 2, 1);
    upperGrid->addWidget(captionFor(QStringLiteral("Cliente (Credor)"), upper), 2, 0, 1, 3);
    upperGrid->addWidget(ComClientes, 3, 0, 1, 3);
    upperGrid->addWidget(captionFor(QStringLiteral("Referência"), upper), 4, 0, 1, 3);
    upperGrid->addWidget(ParcelaRef, 5, 0, 1, 3);
    upperGrid->addWidget(captionFor(QStringLiteral("Observações"), upper), 6, 0, 1, 3);
    upperGrid->addWidget(Observacao, 7, 0, 1, 3);
    upperGrid->setColumnStretch(2, 1);

    // Lower group.
    auto* lower = new QGroupBox(QStringLiteral("Dados Para Geração: "), this);
    lower->setObjectName(QStringLiteral("GroupBox6"));
    RadioGroup1 = new QGroupBox(QStringLiteral("Com Entrada "), lower);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    sim = new QRadioButton(QStringLiteral("Sim"), RadioGroup1);
    nao = new QRadioButton(QStringLiteral("Não"), RadioGroup1);
    auto* choices = new QHBoxLayout(RadioGroup1);
    choices->addWidget(sim);
    choices->addWidget(nao);
    DBNumeroParcela = new QLineEdit(QStringLiteral("1"), lower);
    DBNumeroParcela->setObjectName(QStringLiteral("DBNumeroParcela"));
    DBNumeroParcela->setMaxLength(3);
    ValorParcela = new QLineEdit(QStringLiteral("0,00"), lower);
    ValorParcela->setObjectName(QStringLiteral("ValorParcela"));
    auto* lowerGrid = new QGridLayout(lower);
    lowerGrid->addWidget(RadioGroup1, 0, 0, 2, 1);
    lowerGrid->addWidget(captionFor(QStringLiteral("Nº Parcelas"), lower), 0, 1);
    lowerGrid->addWidget(DBNumeroParcela, 1, 1);
    lowerGrid->addWidget(captionFor(QStringLiteral("Valor Parcela R$"), lower), 0, 2);
    lowerGrid->addWidget(ValorParcela, 1, 2);

    Entrada = new QLabel(QStringLiteral("0"), this);
    Entrada->setObjectName(QStringLiteral("Entrada"));
    Entrada->hide();

    SpeedButton11 =
        Skin::pushButton(QStringLiteral("Gerar Parcela Agora"), QStringLiteral("SpeedButton11"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(titleRow);
    layout->addWidget(upper);
    layout->addWidget(lower);
    layout->addWidget(SpeedButton11);
    layout->addStretch();

    // Pasted text must obey the same rule as typed keys.
    const QRegularExpression digits(QStringLiteral("[0-9]*"));
    Edit3->setValidator(new QRegularExpressionValidator(digits, Edit3));
    DBNumeroParcela->setValidator(new QRegularExpressionValidator(digits, DBNumeroParcela));
    ValorParcela->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9,]*")), ValorParcela));
    for (QWidget* box : {static_cast<QWidget*>(Edit3), static_cast<QWidget*>(DBNumeroParcela),
                         static_cast<QWidget*>(ValorParcela), static_cast<QWidget*>(MaskEdit7)})
        box->installEventFilter(this);

    connect(DBNumeroParcela, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!text.isEmpty()) count_ = text.toInt();
    });
    connect(sim, &QRadioButton::clicked, this, [this] { RadioGroup1Click(true); });
    connect(nao, &QRadioButton::clicked, this, [this] { RadioGroup1Click(false); });
    connect(SpeedButton11, &QPushButton::clicked, this, &GerarParcelas::SpeedButton11Click);
    connect(qApp, &QApplication::focusChanged, this, &GerarParcelas::focusMoved);
    hide();
}

void GerarParcelas::open() {
    MaskEdit7->setMaskedText(Values::dateToText(Clock::today()));
    show();
    raise();
    Edit3->setFocus();
}

void GerarParcelas::Label17Click() {
    hide();
}

void GerarParcelas::RadioGroup1Click(bool withDownPayment) {
    Entrada->setText(withDownPayment ? QStringLiteral("0") : QStringLiteral("1"));
    Label27->setText((withDownPayment ? QStringLiteral("Entrada + ") : QStringLiteral("Sem Entrada + ")) +
                     DBNumeroParcela->text() + QStringLiteral(" Parcela(s)"));
    GroupBox7->show();
}

Parcelas::Plan GerarParcelas::plan() const {
    Parcelas::Plan plan;
    plan.baseDate = MaskEdit7->maskedText();
    plan.documento = Edit3->text();
    plan.cliente = ComClientes->currentText();
    plan.referencia = ParcelaRef->text();
    plan.observacoes = Observacao->text();
    plan.valor = ValorParcela->text();
    plan.count = count_;
    plan.first = Entrada->text().toInt();
    return plan;
}

void GerarParcelas::SpeedButton11Click() {
    PanelHost host(*host_, MaskEdit7);
    if (Parcelas::gerarEMostrar(this, *ledger_, plan(), host)) hide();
}

void GerarParcelas::ComClientesDropDown() {
    const QString text = ComClientes->currentText();
    ComClientes->clear();
    guarded(this, [this] { ComClientes->addItems(NameLists::clientNames()); });
    ComClientes->setEditText(text);
}

bool GerarParcelas::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label17 && event->type() == QEvent::MouseButtonRelease) {
        Label17Click();
        return true;
    }
    if (event->type() == QEvent::KeyPress && watched != MaskEdit7) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->text().isEmpty() && !acceptedKey(watched, key->text(), ValorParcela)) return true;
    }
    if (watched == MaskEdit7 && EditorKit::leftForAnotherControl(window(), event)) {
        bool valid = false;
        try {
            valid = Values::parseDate(MaskEdit7->maskedText()).isValid();
        } catch (const DataError&) {
        }
        if (!valid) Dialogs::current().message(this, QStringLiteral("Data Inválida!"));
    }
    return QFrame::eventFilter(watched, event);
}

void GerarParcelas::focusMoved(QWidget* from, QWidget* to) {
    if (!from || !to || to->window() != window()) return;
    if (RadioGroup1->isAncestorOf(from) && !RadioGroup1->isAncestorOf(to)) GroupBox7->hide();
    if (isAncestorOf(from) && !isAncestorOf(to)) hide();
}
