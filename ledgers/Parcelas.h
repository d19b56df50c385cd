#pragma once

#include <QDate>
#include <QFrame>
#include <QString>
#include <QVariant>

class MaskEdit;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class Table;

// Installment plans of the receivables ledger: one sale turned into monthly records, each carrying the same
// value, due dates counted from one base date.
namespace Parcelas {

// What the receivables window does for a run; the run never reaches into the window otherwise.
class Host {
public:
    virtual ~Host() = default;
    virtual void filterTodas() = 0;    // the record tab's "Todas": unfiltered, due-date boxes cleared, totals
    virtual void filterNaoPaga() = 0;  // the record tab's "Não Paga"
    virtual void aviso() = 0;          // the reminder list and its total refreshed
    virtual void setGravarEnabled(bool on) = 0;
    virtual void setCancelarEnabled(bool on) = 0;
    virtual void focusDateBox() {}
};

// The panel's inputs, as typed.
struct Plan {
    QString baseDate;  // "dd/mm/yyyy" as the date box reads it; "  /  /    " when untouched
    QString documento;
    QString cliente;
    QString referencia;
    QString observacoes;
    QString valor;  // "150,00"
    int count = 1;  // "Nº Parcelas"
    int first = 0;  // 0 with a down payment (installment 0 due on the base date), 1 without
};

// What a receipt for an installment is for: "Parcela 3/10 – VENDA 123" (installment, plan size, reference,
// document); the down payment (installment 0) is "Entrada – VENDA 123"; without an installment number only
// the reference and the document are left.
QString referente(const QVariant& parcela, int parcelas, const QString& referencia,
                  const QVariant& documento);
// The same for the bill the ledger stands on, the plan's size being the highest installment number among the
// bills of its document, reference and client.
QString referente(Table& ledger);

// The base date advanced by k calendar months; a day the target month lacks becomes its last day.
QDate dueDate(const QDate& base, int k);

inline const QString kMissingInput =
    QStringLiteral("Campo Data, Nº Documento, Cliente(Credor), Referência Não pode ser nulo!");
inline const QString kCountTooSmall = QStringLiteral(
    "So é possivel gerar parcelas ! se campo Nº Parcelas for Igual ou Maior que 2 ! \r\n"
    " Cadastre esse numero de parcela desejada manualmente!");
inline const QString kGenerated = QStringLiteral("Parcelas Geradas Com Sucesso!");

// What a run leaves for the window to show: whether the installments were written, and the plain message
// to show ("" for none).
struct Outcome {
    bool written = false;
    QString message;
};

// "Gerar Parcela Agora": "Todas" first, the required inputs and the count checked, then the run. Raises
// DataError when the run fails; the window shows the outcome's message, then, when written, runs
// afterGenerated.
Outcome gerarParcelaAgora(Table& ledger, const Plan& plan, Host& host);

// The run itself. The base date, the value and the texts are converted before the first record is begun, so a
// bad one raises DataError and leaves the ledger as it was. Every installment is stored in one commit before
// it returns (and so before the success message), so nothing that ends the program while the message is up
// can leave half a plan; the ledger then shows the last installment, on its code order. Returns how many
// installments were written.
int geraParcelas(Table& ledger, const Plan& plan, Host& host);

// What follows the success message: the reminder refreshed, "Gravar" off, the record tab's "Não Paga".
void afterGenerated(Host& host);

// "Gerar Parcela Agora" as the panel shows it: the outcome's message or the error in their boxes, then the
// follow-up. Returns whether the installments were written.
bool gerarEMostrar(QWidget* parent, Table& ledger, const Plan& plan, Host& host);

}  // namespace Parcelas

// The installment panel of the receivables record tab. The window embeds it hidden, calls open() from
// "Gerar Parcelas" and lets the panel hide itself.
class GerarParcelas : public QFrame {
    Q_OBJECT
public:
    GerarParcelas(Table* ledger, Parcelas::Host* host, QWidget* parent = nullptr);

    void open();          // "Gerar Parcelas": today in the date box, shown, focus to "Nº Documento"
    void Label17Click();  // "X"
    void RadioGroup1Click(bool withDownPayment);
    void SpeedButton11Click();   // "Gerar Parcela Agora"
    void ComClientesDropDown();  // the list refilled from the clients register

    int count() const { return count_; }
    Parcelas::Plan plan() const;

    MaskEdit* MaskEdit7;
    QLineEdit* Edit3;
    QComboBox* ComClientes;
    QLineEdit* ParcelaRef;
    QLineEdit* Observacao;
    QRadioButton* sim;
    QRadioButton* nao;
    QGroupBox* RadioGroup1;
    QLineEdit* DBNumeroParcela;
    QLineEdit* ValorParcela;
    QGroupBox* GroupBox7;
    QLabel* Label27;
    QLabel* Entrada;  // hidden: the first installment number, "0" or "1"
    QLabel* Label17;  // "X"
    QPushButton* SpeedButton11;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusMoved(QWidget* from, QWidget* to);

    Table* ledger_;
    Parcelas::Host* host_;
    int count_ = 1;
};
