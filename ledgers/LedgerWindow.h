#pragma once

#include <QDate>
#include <QDialog>
#include <QMap>

#include "Layout.h"
#include "LedgerTwin.h"

class DBGrid;
class DBText;
class MaskEdit;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;
class Table;

// The ledger window both twins are: record tab with its side panel and reminder, search tab with its filter
// buttons, totals, listing, settling. What differs between the twins comes from their description.
class LedgerWindow : public QDialog {
    Q_OBJECT
public:
    enum Tab { Cadastro = 0, Pesquisa = 1 };
    enum Choice { NaoPaga = 0, Paga = 1, Todas = 2, Vencidas = 3, MesAtual = 4 };

    LedgerWindow(const Ledger::Twin& twin, QWidget* parent);
    ~LedgerWindow() override;
    const Ledger::Twin& twin() const { return twin_; }

    // Controls by their object name (raises naming it when there is none).
    QWidget* control(const QString& name) const;
    template <typename T>
    T* control(const QString& name) const {
        return static_cast<T*>(control(name));
    }

    // Record tab
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
    void recordFilter(Choice choice);  // the record tab's radio buttons
    void rangeKey(int key);            // a key pressed in the record tab's "A:"
    void searchButton(const QString& name);
    void searchRangeEnter();  // Enter in the search tab's "A:"
    void totalizar();
    void Aviso();
    void Aviso_Total();
    void fecharLembrete();
    void mostrarLembrete();
    void writeToday(MaskEdit* box);

    // Name lists
    void loadLists();
    void saveClick(const Ledger::SaveButton& button);  // bt_salvarClick, BsalvarCredorClick
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
    void RadioButton1Click() { recordFilter(NaoPaga); }
    void RadioButton2Click() { recordFilter(Paga); }
    void RadioButton3Click() { recordFilter(Todas); }
    void MaskEdit5KeyDown(int key) { rangeKey(key); }
    void SpeedButton1Click() { searchButton(QStringLiteral("SpeedButton1")); }
    void SpeedButton2Click() { searchButton(QStringLiteral("SpeedButton2")); }
    void SpeedButton3Click() { searchButton(QStringLiteral("SpeedButton3")); }
    void SpeedButton4Click() { searchButton(QStringLiteral("SpeedButton4")); }
    void SpeedButton6Click() { searchButton(QStringLiteral("SpeedButton6")); }
    void SpeedButton8Click() { searchButton(QStringLiteral("SpeedButton8")); }
    void SpeedButton9Click() { imprimirClick(); }
    void SpeedButton5Click() { fecharLembrete(); }
    void Label34Click() { writeToday(MaskEdit1); }
    void Label35Click() { writeToday(MaskEdit2); }

    Table* ledger;
    Table* reminder;
    QTabWidget* PageControl1;
    QPushButton* btnPrimeiro;
    QPushButton* btnVoltar;
    QPushButton* btnAvancar;
    QPushButton* btnUltimo;
    QPushButton* btnnovo;
    QPushButton* btngravar;
    QPushButton* btncancelar;
    QPushButton* btnDelete;
    QPushButton* btnSearch;
    QPushButton* settleButton;
    MaskEdit* Edit1;
    DBGrid* DBGrid1;
    DBGrid* DBGrid2;
    DBGrid* DBGrid3;
    QLabel* TotalRegistros;
    QLabel* totalLabel;
    QLabel* Panel9;
    QLabel* Ltotal_aviso;
    QLabel* Ldata_dia;
    QLabel* PgNpg;
    DBText* DBText1;
    MaskEdit* MaskEdit1;
    MaskEdit* MaskEdit2;
    MaskEdit* MaskEdit3;
    MaskEdit* MaskEdit5;
    MaskEdit* MaskEdit4;
    MaskEdit* MaskEdit6;
    QWidget* reminderPanel;
    QGroupBox* GroupBox2;  // the cheque group
    QWidget* MemoInstruc;
    QList<QRadioButton*> radios;  // by Choice
    QPushButton* SpeedButton5;    // "Fechar Lembrete"
    QPushButton* SpeedButton9;    // "Imprimir"
    bool keyPreview = true;
    QString inputText;  // shared by the window's input boxes
    Money accumulator;

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
    // Applies one filter: off (storing pending changes), the expression, on; false when refused. A name the
    // user typed into the expression is refused, after the filter is off, when it holds filter syntax.
    bool applyFilter(const QString& expression, bool totals = true, const QString& typedName = QString());
    void removeFilter(MaskEdit* from, MaskEdit* to);
    void showCaption(int which);  // -1 hides all
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
    void enableGravar();

    virtual void onTabShown(int index) = 0;
    // The payables calendar sits over the logo; receivables leaves the place for its installment panel.
    virtual QWidget* pictureArea(QWidget* parent) = 0;
    virtual void addToolButtons(QHBoxLayout* bar) = 0;

    const Ledger::Twin& twin_;
    QDate created_;
    QMap<QString, QWidget*> controls_;
    QWidget* calendar_ = nullptr;
    QList<QLabel*> captions_;
    bool skipActivation_ = false;

private:
    QWidget* buildRecordTab();
    QWidget* buildSidePanel(QWidget* parent);
    QWidget* buildReminder(QWidget* parent);
    QWidget* buildSearchTab();
    QGroupBox* buildBoxes(QWidget* parent, const char* title, const QList<Ledger::Box>& boxes, bool beside);
    void name(QWidget* widget, const QString& objectName);
    MaskEdit* dateBox(QWidget* parent, const QString& caption, const QString& captionName,
                      const QString& boxName, QLabel** label);
    void connectChangeHandlers();
    QString listFiles_;  // the name-list files as they were when last read whole
};
