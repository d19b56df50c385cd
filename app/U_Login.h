#pragma once

#include <QDialog>

#include "MaskEdit.h"

class QPushButton;
class Query;
class TFPrincipal;

// The login form "Login do Sistema". Nothing of the program can be used before a login succeeds.
class TFLogin : public QDialog {
    Q_OBJECT
public:
    explicit TFLogin(TFPrincipal* principal);
    ~TFLogin() override;

    // The name typed at the last login attempt that reached the data store, program-wide and the form's copy.
    static QString usuarioLogado();
    const QString& usuario() const { return usuario_; }

    MaskEdit* EdtUsuario;
    MaskEdit* EdtSenha;
    QPushButton* BtnOk;
    QPushButton* BtnCancelar;

    void BtnOkClick();
    void BtnCancelarClick();
    void FormActivate();  // focus to the name, both fields emptied

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Esc does not close the form

private:
    TFPrincipal* principal_;
    Query* QLogin;
    QString usuario_;
};
