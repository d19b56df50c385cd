#pragma once

#include <QDialog>

class MaskEdit;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Chave PIX": the company's PIX key, the beneficiary's name and city, kept once for the codes on the
// receipts and on the payment booklet. The key is checked for its kind as it is typed.
class TFChavePix : public QDialog {
    Q_OBJECT
public:
    explicit TFChavePix(QWidget* parent = nullptr);
    ~TFChavePix() override;

    void btngravarClick();   // "&Gravar"
    void btnremoverClick();  // "&Remover Chave"
    void ComboTipoChange();
    void EditChaveChange();

    QComboBox* ComboTipo;
    QLineEdit* EditChave;
    QLabel* LabelAviso;  // what is wrong with the key as typed
    MaskEdit* EditNome;
    MaskEdit* EditCidade;
    QPushButton* btngravar;
    QPushButton* btnremover;
    QPushButton* btnfechar;

protected:
    void done(int result) override;

private:
    bool store();
    void loadStored();
    bool modified_ = false;
};
