#pragma once

#include <QDialog>

#include "EditorKit.h"

class DBCheckBox;
class DBNavigator;
class QLineEdit;
class QPushButton;
class Table;

// "Cadastro de Usuários...": the users who may log in. Made once, hidden, at start and shown modally each
// time; its view of the users is open only while it is shown.
class TFUsuarios : public QDialog {
    Q_OBJECT
public:
    explicit TFUsuarios(QWidget* parent = nullptr);
    ~TFUsuarios() override;

    void FormActivate();                      // opens the view on the first row
    DBEdit* box(const QString& field) const;  // a bound box by field name (never null)

    Table* TUsuarios;
    DBNavigator* DBNavigator1;
    DBCheckBox* Bloqueado;
    QPushButton* BtnFechar;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    BoxSet boxes_;
};

// "Alteração de Senha": the logged-in user changes their own password.
class TFAlteraSenha : public QDialog {
    Q_OBJECT
public:
    // `login` is the LOGIN of the user whose password changes: the logged-in user's.
    TFAlteraSenha(QWidget* parent, const QString& login);
    ~TFAlteraSenha() override;

    void FormActivate();
    void BitBtn1Click();  // "&OK"
    void BitBtn2Click();  // "&Cancelar"

    Table* TUsuarios;
    QLineEdit* EdtSenhaAtual;
    QLineEdit* EdtNovaSenha;
    QLineEdit* EdtRepetir;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;  // FormClose

private:
    void refuse(const QString& text, QLineEdit* from);
    QString login_;
};
