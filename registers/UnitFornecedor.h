#pragma once

#include <QDialog>

#include "EditorKit.h"
#include "Layout.h"

class DBComboBox;
class DBGrid;
class DBNavigator;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class Table;

// "Fornecedores": the register of suppliers, with numbering, search by name, delete and the supplier card.
class TF_Fornecedor : public QDialog {
    Q_OBJECT
public:
    explicit TF_Fornecedor(QWidget* parent = nullptr);
    ~TF_Fornecedor() override;

    void SpeedButton3Click();  // "Incluir Novo"
    void SpeedButton4Click();  // "Deletar"
    void btnGravarClick();     // "Salvar"
    void SpeedButton6Click();  // "Cancelar"
    void SpeedButton1Click();  // "&Imprimir"
    void Edit1Change(const QString& text);

    // The supplier card, over the current supplier.
    Report::Layout QuickRep1() const;

    DBEdit* box(const QString& field) const;  // a bound box by field name (never null)

    Table* TFornecedor;
    QTabWidget* PageControl1;
    QLineEdit* Edit1;
    DBGrid* DBGrid1;
    DBComboBox* CndPagamento;
    QRadioButton* Ativo;
    QRadioButton* Inativo;
    DBNavigator* DBNavigator1;
    QPushButton* SpeedButton3;
    QPushButton* SpeedButton4;
    QPushButton* btnGravar;
    QPushButton* SpeedButton6;
    QPushButton* SpeedButton1;

protected:
    void done(int result) override;

private:
    QWidget* buildPage();
    BoxSet boxes_;
};
