#pragma once

#include "LedgerWindow.h"
#include "Parcelas.h"

// "Entradas do Caixa": the receivables ledger.
class Tfreceber : public LedgerWindow, public Parcelas::Host {
    Q_OBJECT
public:
    explicit Tfreceber(QWidget* parent = nullptr);

    void btngravarClick() override;
    void IncluiData() override;
    // After a settlement: "Emitir recibo deste recebimento?", and on Yes the receipt editor on a new receipt
    // for it.
    void offerReceipt();
    void searchAccountsClick() override;  // localizarClick
    void tbreceberBeforeCancel();

    void ApagarClick() { deleteClick(); }
    void localizarClick() { searchAccountsClick(); }
    void SpeedButton12Click() { settleClick(); }
    void CredorClick() { searchButton(QStringLiteral("Credor")); }
    void Label9Click() { mostrarLembrete(); }
    void Label7Click() { writeToday(form_.MaskEdit3); }
    void Label8Click() { writeToday(form_.MaskEdit5); }
    void tbreceberAfterScroll() { afterScroll(); }
    void FormClose() { close(); }
    void SpeedButton10Click();                                                  // "Gerar Parcelas"
    void SpeedButton7Click() { searchButton(QStringLiteral("SpeedButton7")); }  // "Gerar Carnê"

    // What an installment run asks of the window.
    void filterTodas() override { recordFilter(Todas); }
    void filterNaoPaga() override { recordFilter(NaoPaga); }
    void aviso() override {
        Aviso();
        Aviso_Total();
    }
    void setGravarEnabled(bool on) override;
    void setCancelarEnabled(bool on) override;

protected:
    void onTabShown(int index) override;
    QWidget* pictureArea(QWidget* parent) override;
    void addToolButtons(QHBoxLayout* bar) override;

private:
    QPushButton* SpeedButton10;
    GerarParcelas* panel;  // the installment panel, over the record tab
};
