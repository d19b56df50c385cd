#pragma once

#include <QDialog>

#include "EditorKit.h"
#include "Layout.h"

class DBEdit;
class DBGrid;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QVBoxLayout;
class QToolButton;
class Table;

// "Cadastro": the clients and the issuers, one tab each, with numbering, search by name, delete, the client
// card and the address look-up by postal code.
class TCadastro : public QDialog {
    Q_OBJECT
public:
    enum Page { PaginaCliente = 0, PaginaEmitente = 1 };

    explicit TCadastro(QWidget* parent = nullptr, Page page = PaginaCliente);
    ~TCadastro() override;

    void CadastroTituloExecute();
    void SpeedButton1Click();  // "Novo" (clients)
    void SpeedButton2Click();  // "Cancelar" (clients)
    void SpeedButton3Click();  // "Apagar" (clients)
    void SpeedButton4Click();  // "Gravar" (clients)
    void SpeedButton5Click();  // "Imprimir"
    void SpeedButton6Click();  // postal-code look-up
    void NovoEmitenteClick();
    void ApagarEmitenteClick();
    void GravarEmitenteClick();
    void CancelarEmitenteClick();  // abandons the pending changes of the current issuer
    void Edit1Change(const QString& text);
    void Edit2Change(const QString& text);

    // The client card, over the current client.
    Report::Layout QuickRep3() const;

    Table* Tcliente;
    Table* T_Emitente;
    QTabWidget* PageControl1;
    QLabel* Titulo;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    DBGrid* DBGrid1;
    DBGrid* DBGrid2;
    QPushButton* SpeedButton1;
    QPushButton* SpeedButton2;
    QPushButton* SpeedButton3;
    QPushButton* SpeedButton4;
    QPushButton* SpeedButton5;
    QToolButton* SpeedButton6;
    QPushButton* NovoEmitente;
    QPushButton* CancelarEmitente;
    QPushButton* ApagarEmitente;
    QPushButton* GravarEmitente;
    DBEdit* box(const QString& field) const;        // a client box by field name (never null)
    DBEdit* issuerBox(const QString& field) const;  // an issuer box by field name

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildClientPage();
    QWidget* buildIssuerPage();
    QVBoxLayout* searchPanel(QWidget* page, Table* table, QLineEdit** search, DBGrid** list,
                             void (TCadastro::*change)(const QString&));
    void searchByName(Table* table, const QString& text);

    BoxSet clients_;
    BoxSet issuers_;
    int clientGeneration_ = 0;  // counts the ends of editing and the moves of the clients
    bool lookupRunning_ = false;
};
