#pragma once

#include "LedgerWindow.h"

// "Entradas do Caixa": the receivables ledger.
class Tfreceber : public LedgerWindow {
    Q_OBJECT
public:
    explicit Tfreceber(QWidget* parent = nullptr);

    void btngravarClick() override;
    void IncluiData() override;
    void searchAccountsClick() override;  // localizarClick
    void tbreceberBeforeCancel();

    void ApagarClick() { deleteClick(); }
    void localizarClick() { searchAccountsClick(); }
    void SpeedButton12Click() { settleClick(); }
    void CredorClick() { searchButton(QStringLiteral("Credor")); }
    void Label9Click() { mostrarLembrete(); }
    void Label7Click() { writeToday(MaskEdit3); }
    void Label8Click() { writeToday(MaskEdit5); }
    void tbreceberAfterScroll() { afterScroll(); }
    void FormClose() { close(); }

protected:
    void onTabShown(int index) override;
    QWidget* pictureArea(QWidget* parent) override;
    void addToolButtons(QHBoxLayout* bar) override;
};
