#pragma once

#include <QDialog>
#include <QHash>
#include <QVector>
#include <memory>

#include "Conciliacao.h"
#include "Ofx.h"

class QLabel;
class QPushButton;
class QTableView;
class ExtratoModel;

// The reconciliation window: the statement's lines beside the open bills they may settle. The user ticks or
// changes each match; "Quitar Selecionadas" settles the ticked ones, "Criar Contas Novas" turns the ticked
// lines without a bill into new paid entries. Lines applied before are shown as such and cannot be ticked.
class TFExtrato : public QDialog {
    Q_OBJECT
public:
    enum Column { Marca, Data, Historico, Valor, Identificacao, Conta, Situacao, Columns };
    enum class State { Open, Imported, SettledNow, CreatedNow };

    // Reads the open bills of both ledgers and the lines applied before; raises DataError when it cannot.
    explicit TFExtrato(const Ofx::Statement& statement, QWidget* parent = nullptr);
    ~TFExtrato() override;

    int rowCount() const { return rows_.size(); }
    const Ofx::Transaction& line(int row) const { return rows_[row].line; }
    State state(int row) const { return rows_[row].state; }
    bool ticked(int row) const { return rows_[row].ticked; }
    void setTicked(int row, bool on);
    // The bills a row may settle, as listed in its "Conta a quitar" box (best first), and the one chosen
    // (-1 none). Choosing a bill another row had takes it from that row.
    QStringList choices(int row) const;
    int chosen(int row) const { return rows_[row].proposal.chosen < 0 ? -1 : position(row); }
    void choose(int row, int choice);
    QString account(int row) const;  // the "Conta a quitar" text
    QString situation(int row) const;
    bool changed() const { return changed_; }

    void btnQuitarClick();  // "Quitar Selecionadas"
    void btnCriarClick();   // "Criar Contas Novas"

    QTableView* grid;
    QLabel* info;
    QLabel* summary;
    QPushButton* btnQuitar;
    QPushButton* btnCriar;
    QPushButton* btnFechar;

private:
    friend class ExtratoModel;
    struct Row {
        Ofx::Transaction line;
        Conciliacao::Proposal proposal;
        bool ticked = false;
        State state = State::Open;
        Conciliacao::Applied applied;
    };
    const Conciliacao::Matcher& matcher(const Row& row) const {
        return row.proposal.payables ? payables_ : receivables_;
    }
    int position(int row) const;
    void refreshSummary();
    void applyRows(const QList<int>& rows, bool settle);

    Ofx::Statement statement_;
    Conciliacao::Matcher payables_;
    Conciliacao::Matcher receivables_;
    QVector<Row> rows_;
    ExtratoModel* model_;
    bool changed_ = false;
};

namespace Extrato {

// "Importar Extrato": the file chosen, read and reconciled in its window, modal. Errors are shown in the
// standard error box. Returns whether the books changed.
bool importar(QWidget* parent);

}  // namespace Extrato
