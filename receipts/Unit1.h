#pragma once

#include <QDialog>
#include <QMap>
#include <functional>

#include "EditorKit.h"
#include "Layout.h"
#include "WindowHooks.h"

class DBComboBox;
class DBEdit;
class DBGrid;
class DBMemo;
class DBNavigator;
class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class Table;
class TForm2;

// "RECIBO": the receipt editor and the promissory-note editor, one tab each, on the receipts and notes
// tables, reading the clients and issuers registers, writing amounts in words and printing through the
// layouts.
class TForm1 : public QDialog {
    Q_OBJECT
public:
    enum Page { PaginaRecibo = 0, PaginaPromissoria = 1 };

    explicit TForm1(QWidget* parent = nullptr, Page page = PaginaRecibo);
    ~TForm1() override;

    // Receipt tab.
    void BtnovoClick();
    // A new receipt for money received on a bill: the client found by name in the clients register (none
    // when not found), the amount with its words, the reference, today's date, and the issuer with its city,
    // the issuer being the one of the last receipt or else the first registered. Left pending for the user to
    // check and store.
    void novoReciboDe(const WindowHooks::ReceiptRequest& request);
    void gravarClick();
    void btncancelarClick();
    void BmsXPButton1Click();  // "&Apagar"
    bool RcodigoKeyDown();     // Enter in "Codigo Cliente"; false when the code typed can't be read
    void Edit1Change(const QString& text);
    void DBEdit1DropDown();
    void DBEdit1Click(const QString& name);
    bool LabeledEdit1Exit();   // the value rule; false when it stopped
    void RadioButton3Click();  // "Digitar Emitente"
    void RadioButton4Click();  // "Buscar Emitente"
    void DBCombo_emitenteDropDown();
    void DBCombo_emitenteClick(const QString& name);
    void ImprimirClick();      // "&Imprimir..."
    void SpeedButton1Click();  // personalised print
    void via2Click();          // the copies panel
    void bt1viaClick();
    void bt2viasClick();

    // Note tab.
    void Bt_NP_NovoClick();
    void bGravarClick();
    void btncancelarNotaClick();
    void BmsXPButton3Click();  // "&Apagar"
    bool DBEdit11Exit();       // the value rule of the note
    void DBEdit18DropDown();
    void DBEdit18Click(const QString& name);
    void DBCombo_PagareiDropDown();
    void DBCombo_PagareiClick(const QString& name);
    void Edit2Change(const QString& text);
    void BmsXPButton7Click();  // print the note

    // The composed texts of the prints, from what the boxes show.
    QString numberLine() const;
    QString valueLine() const;
    QString placeAndDateLine() const;
    QString payerSentence() const;
    QString importanciaLine() const;
    QMap<QString, QString> noteLabels() const;

    Table* Trecibo;
    Table* Tcliente;
    Table* ListaClientes;
    Table* Tb_emitente;
    Table* T_NP;
    QTabWidget* PageControl1;

    // Receipt controls.
    DBEdit* reciboBox(const QString& field) const;
    DBComboBox* DBEdit1;           // "Recebi(emos)"
    DBComboBox* DBCombo_emitente;  // issuer list
    DBEdit* EmitenteDigitado;      // plain issuer box
    QLineEdit* Edit1;
    DBGrid* ListaRecibos;
    QPushButton* Btnovo;
    QPushButton* gravar;
    QPushButton* btncancelar;
    QPushButton* BmsXPButton1;
    QPushButton* Imprimir;
    QRadioButton* RadioButton1;  // "Pesonalizada"
    QRadioButton* RadioButton2;  // "Padrão"
    QRadioButton* RadioButton3;  // "Digitar Emitente"
    QRadioButton* RadioButton4;  // "Buscar Emitente"
    QGroupBox* PainelVias;
    QRadioButton* RadioButton5;  // "1 (Uma) via"
    QRadioButton* RadioButton6;  // "2 (Duas) vias"
    QPushButton* BtImprimirVias;

    // Note controls.
    DBEdit* notaBox(const QString& field) const;
    DBComboBox* ComboDia;
    DBComboBox* ComboMes;
    DBComboBox* ComboAno;
    DBComboBox* DBCombo_Pagarei;
    DBComboBox* DBEdit18;  // "Dados do Cliente"
    DBMemo* MemoMsg;
    QLineEdit* Edit2;
    DBGrid* ListaNotas;
    QPushButton* Bt_NP_Novo;
    QPushButton* bGravar;
    QPushButton* btncancelarNota;
    QPushButton* BmsXPButton3;
    QPushButton* BmsXPButton7;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildReceiptPage();
    QWidget* buildNotePage();
    void fillNames(DBComboBox* list, Table* table, const QString& index);
    bool valueRule(DBEdit* box, Table* table, const QString& wordsField, const QString& dateField);
    // The amount in words; an amount out of range shows why in a plain message and gives "".
    QString amountInWords(double amount);
    void preview(const std::function<Report::Layout(const TForm2&)>& layout,
                 const QMap<QString, QString>& labels, bool note = false);
    void enableOnChange(QObject* box, QPushButton* save, QPushButton* cancel);

    BoxSet receipts_;
    BoxSet notes_;
    bool inValueRule_ = false;
};
