#include "Extrato.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include "DataError.h"
#include "Dialogs.h"
#include "Skin.h"
#include "Values.h"

using namespace Conciliacao;

namespace {

const QString kNone = QStringLiteral("(nenhuma)");

QString sixDigits(double codigo) {
    return Values::formatFloat(codigo, QStringLiteral("000000"));
}

}  // namespace

// ---- The list

class ExtratoModel : public QAbstractTableModel {
public:
    explicit ExtratoModel(TFExtrato* window) : QAbstractTableModel(window), w_(window) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : w_->rowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : TFExtrato::Columns;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        static const QStringList titles = {QString(),
                                           QStringLiteral("Data"),
                                           QStringLiteral("Histórico"),
                                           QStringLiteral("Valor"),
                                           QStringLiteral("Identificação"),
                                           QStringLiteral("Conta a quitar"),
                                           QStringLiteral("Situação")};
        return titles.value(section);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (w_->state(index.row()) != TFExtrato::State::Open) return f;
        if (index.column() == TFExtrato::Marca) f |= Qt::ItemIsUserCheckable;
        if (index.column() == TFExtrato::Conta && !w_->choices(index.row()).isEmpty())
            f |= Qt::ItemIsEditable;
        return f;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const int row = index.row();
        const Ofx::Transaction& line = w_->line(row);
        const bool open = w_->state(row) == TFExtrato::State::Open;
        switch (role) {
            case Qt::CheckStateRole:
                if (index.column() == TFExtrato::Marca && open)
                    return w_->ticked(row) ? Qt::Checked : Qt::Unchecked;
                return {};
            case Qt::DisplayRole:
            case Qt::ToolTipRole:
                switch (index.column()) {
                    case TFExtrato::Data:
                        return Values::dateToText(line.date);
                    case TFExtrato::Historico:
                        return line.memo;
                    case TFExtrato::Valor:
                        return line.amount.text();
                    case TFExtrato::Identificacao:
                        return line.fitid;
                    case TFExtrato::Conta:
                        return w_->account(row);
                    case TFExtrato::Situacao:
                        return w_->situation(row);
                }
                return {};
            case Qt::EditRole:
                return index.column() == TFExtrato::Conta ? QVariant(w_->chosen(row)) : QVariant();
            case Qt::TextAlignmentRole:
                return index.column() == TFExtrato::Valor ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                          : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
            case Qt::ForegroundRole:
                if (!open) return QColor(Qt::darkGray);
                if (index.column() == TFExtrato::Valor)
                    return line.amount.centavos() < 0 ? QColor(170, 0, 0) : QColor(0, 0, 140);
                return {};
        }
        return {};
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!(flags(index) & Qt::ItemIsEnabled) || w_->state(index.row()) != TFExtrato::State::Open)
            return false;
        if (index.column() == TFExtrato::Marca && role == Qt::CheckStateRole) {
            w_->setTicked(index.row(), value.toInt() == Qt::Checked);
            return true;
        }
        if (index.column() == TFExtrato::Conta && role == Qt::EditRole) {
            w_->choose(index.row(), value.toInt());
            return true;
        }
        return false;
    }

    void changedRow(int row) { emit dataChanged(index(row, 0), index(row, TFExtrato::Columns - 1)); }
    void changedAll() {
        if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, TFExtrato::Columns - 1));
    }

private:
    TFExtrato* w_;
};

namespace {

// The "Conta a quitar" box: "(nenhuma)" and the row's bills, best first; a pick is taken at once.
class AccountDelegate : public QStyledItemDelegate {
public:
    AccountDelegate(TFExtrato* window, QObject* parent) : QStyledItemDelegate(parent), w_(window) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* box = new QComboBox(parent);
        box->addItem(kNone);
        box->addItems(w_->choices(index.row()));
        connect(box, &QComboBox::activated, this, [this, box] {
            auto* self = const_cast<AccountDelegate*>(this);
            emit self->commitData(box);
            emit self->closeEditor(box);
        });
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QComboBox*>(editor)->setCurrentIndex(w_->chosen(index.row()) + 1);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentIndex() - 1, Qt::EditRole);
    }

private:
    TFExtrato* w_;
};

}  // namespace

// ---- The window

TFExtrato::TFExtrato(const Ofx::Statement& statement, QWidget* parent)
    : QDialog(parent), statement_(statement), payables_(openBills(true)), receivables_(openBills(false)) {
    setWindowTitle(QStringLiteral("Conciliação Bancária"));
    setObjectName(QStringLiteral("TFExtrato"));
    const QHash<QString, Applied> before = Conciliacao::applied(statement_.account);
    QVector<bool> skip(statement_.transactions.size());
    rows_.resize(statement_.transactions.size());
    for (int i = 0; i < rows_.size(); ++i) {
        Row& r = rows_[i];
        r.line = statement_.transactions[i];
        const auto found = before.constFind(r.line.key);
        if (found != before.constEnd()) {
            r.state = State::Imported;
            r.applied = *found;
            skip[i] = true;
        }
    }
    const QVector<Proposal> proposals = propose(statement_.transactions, payables_, receivables_, skip);
    for (int i = 0; i < rows_.size(); ++i) {
        rows_[i].proposal = proposals[i];
        rows_[i].ticked = proposals[i].chosen >= 0;
    }

    auto* layout = new QVBoxLayout(this);
    info = new QLabel(this);
    info->setObjectName(QStringLiteral("info"));
    info->setWordWrap(true);
    info->setText(QStringLiteral("<b>Extrato:</b> %1 &nbsp; <b>Conta:</b> %2 &nbsp; <b>Período:</b> %3 a %4 "
                                 "&nbsp; <b>Lançamentos:</b> %5")
                      .arg(statement_.file.toHtmlEscaped(), statement_.account.toHtmlEscaped(),
                           Values::dateToText(statement_.first()), Values::dateToText(statement_.last()))
                      .arg(rows_.size()));
    layout->addWidget(info);
    auto* hint = new QLabel(
        QStringLiteral(
            "Débitos quitam contas a pagar e créditos contas a receber de mesmo valor, com vencimento "
            "até %1 dias antes ou depois. Marque as linhas e troque a conta proposta com um duplo "
            "clique em \"Conta a quitar\".")
            .arg(kDaysAround),
        this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    model_ = new ExtratoModel(this);
    grid = new QTableView(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setModel(model_);
    grid->setItemDelegateForColumn(Conta, new AccountDelegate(this, grid));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                          QAbstractItemView::EditKeyPressed);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    QHeaderView* header = grid->horizontalHeader();
    header->setSectionResizeMode(Historico, QHeaderView::Stretch);
    const QList<QPair<int, int>> widths = {{Marca, 28},          {Data, 84},   {Valor, 96},
                                           {Identificacao, 120}, {Conta, 450}, {Situacao, 190}};
    for (const auto& [column, width] : widths)
        grid->setColumnWidth(column, width);
    layout->addWidget(grid, 1);

    summary = new QLabel(this);
    summary->setObjectName(QStringLiteral("summary"));
    layout->addWidget(summary);

    auto* buttons = new QHBoxLayout;
    btnQuitar = Skin::pushButton(QStringLiteral("Quitar Selecionadas"), QStringLiteral("btnQuitar"), this);
    btnQuitar->setToolTip(
        QStringLiteral("Quita as contas das linhas marcadas, com a data do extrato como data de pagamento"));
    btnCriar = Skin::pushButton(QStringLiteral("Criar Contas Novas"), QStringLiteral("btnCriar"), this);
    btnCriar->setToolTip(
        QStringLiteral("Cadastra as linhas marcadas que não têm conta como contas já pagas, "
                       "com o nome tirado do histórico"));
    btnFechar = Skin::pushButton(QStringLiteral("Fechar"), QStringLiteral("btnFechar"), this);
    buttons->addWidget(btnQuitar);
    buttons->addWidget(btnCriar);
    buttons->addStretch(1);
    buttons->addWidget(btnFechar);
    layout->addLayout(buttons);
    connect(btnQuitar, &QPushButton::clicked, this, &TFExtrato::btnQuitarClick);
    connect(btnCriar, &QPushButton::clicked, this, &TFExtrato::btnCriarClick);
    connect(btnFechar, &QPushButton::clicked, this, &QDialog::accept);

    resize(1260, 640);
    refreshSummary();
}

TFExtrato::~TFExtrato() = default;

void TFExtrato::setTicked(int row, bool on) {
    if (rows_[row].state != State::Open || rows_[row].ticked == on) return;
    rows_[row].ticked = on;
    model_->changedRow(row);
    refreshSummary();
}

QStringList TFExtrato::choices(int row) const {
    const Row& r = rows_[row];
    QStringList list;
    for (int bill : r.proposal.candidates)
        list << describe(matcher(r).bills()[bill]);
    return list;
}

int TFExtrato::position(int row) const {
    return int(rows_[row].proposal.candidates.indexOf(rows_[row].proposal.chosen));
}

void TFExtrato::choose(int row, int choice) {
    Row& r = rows_[row];
    if (r.state != State::Open || choice >= r.proposal.candidates.size()) return;
    const int bill = choice < 0 ? -1 : r.proposal.candidates[choice];
    if (bill == r.proposal.chosen) return;
    if (bill >= 0)
        for (int other = 0; other < rows_.size(); ++other) {
            Row& o = rows_[other];
            if (other == row || o.state != State::Open || o.proposal.payables != r.proposal.payables ||
                o.proposal.chosen != bill)
                continue;
            o.proposal.chosen = -1;
            o.ticked = false;
            model_->changedRow(other);
        }
    r.proposal.chosen = bill;
    r.ticked = bill >= 0;
    model_->changedRow(row);
    refreshSummary();
}

QString TFExtrato::account(int row) const {
    const Row& r = rows_[row];
    if (r.state != State::Open) return {};
    if (r.proposal.chosen >= 0) return describe(matcher(r).bills()[r.proposal.chosen]);
    return r.proposal.candidates.isEmpty() ? QString() : kNone;
}

QString TFExtrato::situation(int row) const {
    const Row& r = rows_[row];
    switch (r.state) {
        case State::Imported:
            return r.applied.created
                       ? QStringLiteral("Já importado: lançado como %1").arg(sixDigits(r.applied.codigo))
                       : QStringLiteral("Já importado: quitou %1").arg(sixDigits(r.applied.codigo));
        case State::SettledNow:
            return QStringLiteral("Quitada agora: %1").arg(sixDigits(r.applied.codigo));
        case State::CreatedNow:
            return QStringLiteral("Lançado agora como %1").arg(sixDigits(r.applied.codigo));
        case State::Open:
            break;
    }
    if (r.proposal.chosen >= 0)
        return r.proposal.payables ? QStringLiteral("Conta a pagar encontrada")
                                   : QStringLiteral("Conta a receber encontrada");
    if (!r.proposal.candidates.isEmpty()) return QStringLiteral("Escolha a conta");
    return QStringLiteral("Sem conta correspondente");
}

void TFExtrato::refreshSummary() {
    int settle = 0, create = 0, imported = 0;
    Money total;
    for (const Row& r : rows_) {
        if (r.state == State::Imported) ++imported;
        if (r.state != State::Open || !r.ticked) continue;
        if (r.proposal.chosen >= 0) {
            ++settle;
            total = total + Money::fromCentavos(std::abs(r.line.amount.centavos()));
        } else {
            ++create;
        }
    }
    QString text = QStringLiteral("Marcadas: %1 a quitar (R$ %2), %3 sem conta")
                       .arg(settle)
                       .arg(total.text())
                       .arg(create);
    if (imported > 0)
        text += QStringLiteral(". %1 já importada(s) antes: não serão aplicadas de novo").arg(imported);
    summary->setText(text + QLatin1Char('.'));
}

void TFExtrato::applyRows(const QList<int>& rowsToApply, bool settle) {
    QList<Action> actions;
    for (int row : rowsToApply) {
        const Row& r = rows_[row];
        Action a;
        a.line = r.line;
        a.payables = r.proposal.payables;
        a.key = settle ? matcher(r).bills()[r.proposal.chosen].key : -1;
        actions << a;
    }
    QList<Outcome> outcomes;
    if (!guarded(this, [&] { outcomes = Conciliacao::apply(statement_.account, actions); })) return;
    changed_ = true;
    // A bill settled now is no longer open: no other row offers it.
    QSet<int> settledPayables, settledReceivables;
    for (int i = 0; i < rowsToApply.size(); ++i) {
        Row& r = rows_[rowsToApply[i]];
        r.state = settle ? State::SettledNow : State::CreatedNow;
        r.ticked = false;
        r.applied = Applied{r.proposal.payables ? QStringLiteral("pagar") : QStringLiteral("receber"),
                            outcomes[i].codigo, !settle};
        if (settle) (r.proposal.payables ? settledPayables : settledReceivables).insert(r.proposal.chosen);
    }
    for (Row& r : rows_) {
        if (r.state != State::Open) continue;
        const QSet<int>& gone = r.proposal.payables ? settledPayables : settledReceivables;
        r.proposal.candidates.removeIf([&](int bill) { return gone.contains(bill); });
    }
    model_->changedAll();
    refreshSummary();
}

void TFExtrato::btnQuitarClick() {
    QList<int> chosenRows;
    for (int row = 0; row < rows_.size(); ++row)
        if (rows_[row].state == State::Open && rows_[row].ticked && rows_[row].proposal.chosen >= 0)
            chosenRows << row;
    if (chosenRows.isEmpty()) {
        Dialogs::current().information(
            this,
            QStringLiteral("Nenhuma linha marcada tem conta a quitar. Marque as linhas e escolha a conta "
                           "de cada uma em \"Conta a quitar\"."));
        return;
    }
    if (!Dialogs::current().question(
            this,
            QStringLiteral("Deseja quitar %1 conta(s), com a data do extrato como data de pagamento?")
                .arg(chosenRows.size()),
            QStringLiteral("Confirmação")))
        return;
    applyRows(chosenRows, true);
    if (rows_[chosenRows.first()].state == State::SettledNow)
        Dialogs::current().confirmed(
            this, QStringLiteral("%1 conta(s) quitada(s) com sucesso!").arg(chosenRows.size()));
}

void TFExtrato::btnCriarClick() {
    QList<int> chosenRows;
    for (int row = 0; row < rows_.size(); ++row)
        if (rows_[row].state == State::Open && rows_[row].ticked && rows_[row].proposal.chosen < 0)
            chosenRows << row;
    if (chosenRows.isEmpty()) {
        Dialogs::current().information(
            this, QStringLiteral("Marque as linhas sem conta correspondente que devem virar contas novas."));
        return;
    }
    if (!Dialogs::current().question(
            this,
            QStringLiteral("Deseja cadastrar %1 linha(s) do extrato como contas novas, já pagas na data do "
                           "extrato?")
                .arg(chosenRows.size()),
            QStringLiteral("Confirmação")))
        return;
    applyRows(chosenRows, false);
    if (rows_[chosenRows.first()].state == State::CreatedNow)
        Dialogs::current().confirmed(
            this, QStringLiteral("%1 conta(s) nova(s) cadastrada(s) com sucesso!").arg(chosenRows.size()));
}

// ---- Opening

namespace Extrato {

bool importar(QWidget* parent) {
    const QString path = Dialogs::current().openFile(
        parent, QStringLiteral("Importar Extrato"),
        {QStringLiteral("Extratos bancários OFX (*.ofx *.OFX)"), QStringLiteral("Todos os arquivos (*)")});
    if (path.isEmpty()) return false;
    std::unique_ptr<TFExtrato> window;
    if (!guarded(parent, [&] { window = std::make_unique<TFExtrato>(Ofx::read(path), parent); }))
        return false;
    window->exec();
    return window->changed();
}

}  // namespace Extrato
