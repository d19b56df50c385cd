#pragma once

#include "LedgerWindow.h"

class QCalendarWidget;

// "Saídas do Caixa": the payables ledger, with the calendar and the next-month copy of a paid bill.
class Tfpagar : public LedgerWindow {
    Q_OBJECT
public:
    explicit Tfpagar(QWidget* parent = nullptr);

    void btngravarClick() override;
    void IncluiData() override;
    void AddMesSeguinte();
    void calendarioClick();
    void Label17Click();
    void searchAccountsClick() override;  // SpeedButton7Click

    void Bt_deletarClick() { deleteClick(); }
    void SpeedButton7Click() { searchAccountsClick(); }
    void SpeedButton13Click() { settleClick(); }
    void RadioButton4Click() { recordFilter(Vencidas); }
    void RadioButton5Click() { recordFilter(MesAtual); }
    void SpeedButton11Click() { searchButton(QStringLiteral("SpeedButton11")); }
    void SpeedButton12Click() { searchButton(QStringLiteral("SpeedButton12")); }
    void Label7Click() { mostrarLembrete(); }
    void DeClick() { writeToday(form_.MaskEdit3); }
    void Label5Click() { writeToday(form_.MaskEdit5); }
    void tbpagarAfterScroll() { afterScroll(); }

    // What the last "Gravar" that passed its checks saw: name, reference, value, due date.
    struct Snapshot {
        QString nome, referencia, valor, vencimento;
    } snapshot;

protected:
    void onTabShown(int index) override;
    QWidget* pictureArea(QWidget* parent) override;
    void addToolButtons(QHBoxLayout* bar) override;

private:
    QPushButton* calendario;
    QWidget* Panel11;
    QCalendarWidget* MonthCalendar1;
};
