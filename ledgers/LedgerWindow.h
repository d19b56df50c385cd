#pragma once

#include <QDate>
#include <QDialog>

#include "FilterController.h"
#include "Layout.h"
#include "LedgerForm.h"
#include "LedgerTwin.h"
#include "NameLists.h"

class MaskEdit;
class QComboBox;
class QHBoxLayout;
class Table;

// The ledger window both twins are: record tab with its side panel and reminder, search tab with its filter
// buttons, totals, listing, settling. What differs between the twins comes from their description; the
// controls are built by LedgerForm, the filters and totals kept by Ledger::FilterController.
class LedgerWindow : public QDialog {
    Q_OBJECT
public:
    enum Tab { Cadastro = 0, Pesquisa = 1 };
    using Choice = Ledger::Choice;
    using enum Ledger::Choice;

    LedgerWindow(const Ledger::Twin& twin, QWidget* parent);
    ~LedgerWindow() override;
    const Ledger::Twin& twin() const { return twin_; }
    Table* ledger() const { return ledger_; }      // the ledger view, as filtered and ordered
    Table* reminder() const { return reminder_; }  // the reminder's view

    // Controls by their object name, as the user sees them (raises naming it when there is none).
    QWidget* control(const QString& name) const;
    template <typename T>
    T* control(const QString& name) const {
        return static_cast<T*>(control(name));
    }

    // The named handlers and actions, bound to the controls; other code calls them by these names.
    void FormActivate();
    void btnPrimeiroClick();
    void btnVoltarClick();
    void btnAvancarClick();
    void btnUltimoClick();
    void btnnovoClick();
    void novo();
    virtual void btngravarClick() = 0;
    void btncancelarClick();
    void deleteClick();   // "Deletar" / "Apagar"
    void Label2Click();   // look-up by code
    void Label11Click();  // look-up by name
    void Edit1Change(const QString& text);
    void foco();
    void PgNaoPg();
    void PageControl1Change(int index);
    virtual void searchAccountsClick() = 0;  // "Pesquisar Contas!"

    // Filters, totals, reminder
    void recordFilter(Choice choice) { filters_.recordFilter(choice); }
    void searchButton(const QString& name) { filters_.searchButton(name); }
    void searchRangeEnter() { filters_.searchRangeEnter(); }
    void totalizar() { filters_.totalizar(); }
    void Aviso() { filters_.Aviso(); }
    void Aviso_Total() { filters_.Aviso_Total(); }
    void fecharLembrete();
    void mostrarLembrete();

    // Name lists
    void loadLists();
    void DBComNomeDropDown();
    // Replaces a box's entries keeping its text, and its selected entry where the same entry stands there.
    static void replaceEntries(QComboBox* box, const QStringList& entries);
    static QString selectedEntry(const QComboBox* box);

    // Listing
    Report::Layout QuickRep1() const;
    void imprimirClick();

    // Bank statement: "Importar Extrato" on the search tab
    void importarExtratoClick();

    // Settling
    void settleClick();
    virtual void IncluiData() = 0;
    void Retirardata();

    // The handlers both twins share, by their names.
    void SpeedButton1Click() { searchButton(QStringLiteral("SpeedButton1")); }
    void SpeedButton2Click() { searchButton(QStringLiteral("SpeedButton2")); }
    void SpeedButton9Click() { imprimirClick(); }

    bool keyPreview = true;
    QString inputText;  // shared by the window's input boxes

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // The controls; the twin's constructor calls it, then its creation steps.
    void build();
    // Creation steps, the twin's order.
    void createSteps();
    // A control a twin adds itself, reachable by its name like the others.
    void addControl(QWidget* widget);

    // Checks of "Gravar" in the twin's order; false (with the error shown and the focus moved) on the first
    // that fails.
    bool storeChecks();
    // Hands what is being typed to the record and moves the focus to "Nome (Credor)"; false (the error shown)
    // when a box holds what its field refuses.
    bool handOverTyping();
    bool store();  // the record, also unchanged; false when refused
    void setEditing(bool on);
    QWidget* box(const char* name) const;
    bool fieldBlank(const QString& field) const;
    void afterScroll();
    void writeToday(MaskEdit* box);

    virtual void onTabShown(int index) = 0;
    // The payables calendar sits over the logo; receivables leaves the place for its installment panel.
    virtual QWidget* pictureArea(QWidget* parent) = 0;
    virtual void addToolButtons(QHBoxLayout* bar) = 0;

    const Ledger::Twin& twin_;
    Table* ledger_;
    Table* reminder_;
    QDate created_;
    bool skipActivation_ = false;
    LedgerForm form_;

private:
    void wire();
    void connectChangeHandlers();
    void saveClick(int index);  // bt_salvarClick, BsalvarCredorClick
    void hideSaveButtons();
    void showNotices(const QList<NameLists::Notice>& notices);
    bool keyPressed(QObject* watched, QKeyEvent* key);

    Ledger::FilterController filters_;
    QString listFiles_;  // the name-list files as they were when last read whole
};
