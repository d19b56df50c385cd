#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <functional>

#include "LedgerTwin.h"

class DBGrid;
class DBText;
class MaskEdit;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QObject;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;
class Table;

// The controls of a ledger window, built from its twin description. The builder makes, names and lays them
// out; the window wires them to what they do.
struct LedgerForm {
    QTabWidget* PageControl1 = nullptr;
    // Record tab
    QPushButton* btnPrimeiro = nullptr;
    QPushButton* btnVoltar = nullptr;
    QPushButton* btnAvancar = nullptr;
    QPushButton* btnUltimo = nullptr;
    QPushButton* btnnovo = nullptr;
    QPushButton* btngravar = nullptr;
    QPushButton* btncancelar = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* settleButton = nullptr;
    QLabel* PgNpg = nullptr;
    DBText* DBText1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;  // the cheque group
    QWidget* MemoInstruc = nullptr;
    QLabel* codeCaption = nullptr;  // "Documento" / "Código", clickable
    QLabel* nameCaption = nullptr;  // "Nome (Credor)", clickable
    QLabel* showReminder = nullptr;
    QList<QPushButton*> saveButtons;  // as the twin's save buttons
    // Side panel
    MaskEdit* Edit1 = nullptr;
    QList<QLabel*> captions;
    DBGrid* DBGrid1 = nullptr;
    QLabel* TotalRegistros = nullptr;
    QLabel* totalLabel = nullptr;
    QList<QRadioButton*> radios;  // by filter choice
    QLabel* fromCaption = nullptr;
    QLabel* toCaption = nullptr;
    MaskEdit* MaskEdit3 = nullptr;
    MaskEdit* MaskEdit5 = nullptr;
    MaskEdit* atrazadas = nullptr;  // hidden; only with "Vencidas"
    // Reminder
    QWidget* reminderPanel = nullptr;
    QLabel* Ldata_dia = nullptr;
    MaskEdit* MaskEdit4 = nullptr;
    MaskEdit* MaskEdit6 = nullptr;
    QPushButton* SpeedButton5 = nullptr;  // "Fechar Lembrete"
    DBGrid* DBGrid3 = nullptr;
    QLabel* Ltotal_aviso = nullptr;
    // Search tab
    QList<QPushButton*> searchButtons;    // as the twin's search buttons
    QPushButton* SpeedButton9 = nullptr;  // "Imprimir"
    QPushButton* importar = nullptr;      // "Importar Extrato"
    QLabel* Label34 = nullptr;
    QLabel* Label35 = nullptr;
    MaskEdit* MaskEdit1 = nullptr;
    MaskEdit* MaskEdit2 = nullptr;
    DBGrid* DBGrid2 = nullptr;
    QLabel* Panel9 = nullptr;

    QMap<QString, QWidget*> controls;  // by object name

    // What only one twin has: its corner of the status group, its tool buttons.
    struct Extras {
        std::function<QWidget*(QWidget* parent)> pictureArea;
        std::function<void(QHBoxLayout* bar)> toolButtons;
    };
    // Builds both tabs inside `window`; `keys` watches the keys of the boxes, date boxes and grids.
    void build(const Ledger::Twin& twin, Table* ledger, Table* reminder, QWidget* window, QObject* keys,
               const Extras& extras);

    void name(QWidget* widget, const QString& objectName);
    QWidget* box(const char* objectName) const;  // raises naming it when there is none

    // The status box over the current record.
    void showStatus(const Ledger::Twin& twin, Table& ledger);
    // The caption of one filter (its index in the twin's caption names); -1 hides all.
    void showCaption(const Ledger::Twin& twin, int which);
    void setChequeHeights(const Ledger::ChequeHeights& heights);

private:
    QWidget* buildRecordTab(const Ledger::Twin& twin, Table* ledger, Table* reminder, QObject* keys,
                            const Extras& extras);
    QWidget* buildSidePanel(const Ledger::Twin& twin, Table* ledger, QWidget* parent, QObject* keys);
    QWidget* buildReminder(const Ledger::Twin& twin, Table* reminder, QWidget* parent);
    QWidget* buildSearchTab(const Ledger::Twin& twin, Table* ledger, QObject* keys);
    QGroupBox* buildBoxes(const Ledger::Twin& twin, Table* ledger, QWidget* parent, const char* title,
                          const QList<Ledger::Box>& boxes, bool beside, QObject* keys);
    MaskEdit* dateBox(QWidget* parent, const QString& caption, const QString& captionName,
                      const QString& boxName, QLabel** label, QObject* keys);
};

// Runs `action` when the widget (a label, which has no click of its own) is pressed with the mouse.
void onPress(QWidget* widget, std::function<void()> action);
