#include "U_Login.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "DataError.h"
#include "Database.h"
#include "Dialogs.h"
#include "KeyNavigation.h"
#include "Pictures.h"
#include "Query.h"
#include "U_Principal.h"

namespace {
QString loggedUser;
}

QString TFLogin::usuarioLogado() {
    return loggedUser;
}

TFLogin::TFLogin(TFPrincipal* principal) : QDialog(principal), principal_(principal) {
    setWindowTitle(QStringLiteral("Login do Sistema"));
    setObjectName(QStringLiteral("FLogin"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->setSpacing(8);

    auto* banner = new QLabel(this);
    banner->setPixmap(Pictures::loginBanner(QSize(360, 70)));
    banner->setFixedSize(360, 70);
    auto* version = new QLabel(QStringLiteral("Versão 2.0"), banner);
    version->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    version->adjustSize();
    version->move(360 - version->width() - 8, 4);
    layout->addWidget(banner);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(panel);
    auto* heading = new QLabel(QStringLiteral("Logando no Sistema..."), panel);
    heading->setObjectName(QStringLiteral("loginHeading"));
    grid->addWidget(heading, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Usuário :"), panel), 1, 0);
    EdtUsuario = new MaskEdit(panel);
    EdtUsuario->setObjectName(QStringLiteral("EdtUsuario"));
    EdtUsuario->setMaxLength(15);
    EdtUsuario->setCharCase(MaskEdit::CharCase::Upper);
    EdtUsuario->setToolTip(QStringLiteral("Digite seu nome de login (Padrão é: WEJ)"));
    grid->addWidget(EdtUsuario, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Senha :"), panel), 2, 0);
    EdtSenha = new MaskEdit(panel);
    EdtSenha->setObjectName(QStringLiteral("EdtSenha"));
    EdtSenha->setMaxLength(15);
    EdtSenha->setCharCase(MaskEdit::CharCase::Lower);
    EdtSenha->setEchoMode(QLineEdit::Password);
    EdtSenha->setToolTip(QStringLiteral("Digite a sua senha (Padrão é: WEJ)"));
    grid->addWidget(EdtSenha, 2, 1);
    auto* panelHolder = new QHBoxLayout;
    panelHolder->setContentsMargins(10, 0, 10, 0);
    panelHolder->addWidget(panel);
    layout->addLayout(panelHolder);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(10, 0, 10, 0);
    buttons->addStretch();
    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    BtnCancelar->setObjectName(QStringLiteral("BtnCancelar"));
    // Enter presses the focused button only; in the fields it moves on.
    for (QPushButton* button : {BtnOk, BtnCancelar}) {
        button->setAutoDefault(true);
        button->setDefault(false);
    }
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancelar);
    layout->addLayout(buttons);
    setTabOrder(EdtUsuario, EdtSenha);
    setTabOrder(EdtSenha, BtnOk);
    setTabOrder(BtnOk, BtnCancelar);

    auto* keys = KeyNavigation::install(this);
    Q_UNUSED(keys);
    connect(BtnOk, &QPushButton::clicked, this, &TFLogin::BtnOkClick);
    connect(BtnCancelar, &QPushButton::clicked, this, &TFLogin::BtnCancelarClick);

    QLogin = new Query(this);
    QLogin->setDatabaseName(kAliasVantejaVs2);
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}

TFLogin::~TFLogin() = default;

void TFLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* screen = this->screen()) move(screen->geometry().center() - rect().center());
    FormActivate();
}

void TFLogin::FormActivate() {
    EdtUsuario->setFocus();
    EdtSenha->clear();
    EdtUsuario->clear();
}

void TFLogin::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void TFLogin::reject() {}

void TFLogin::BtnOkClick() {
    Session::instance().addPassword(kSessionPassword);
    if (EdtUsuario->text().isEmpty() || EdtSenha->text().isEmpty()) return;
    try {
        QLogin->close();
        QLogin->clearSql();
        QLogin->addSql(QStringLiteral(" SELECT * FROM USUARIOS WHERE Login = :vNome AND Senha = :vSenha"));
        QLogin->setParam(QStringLiteral("vNome"), EdtUsuario->text());
        QLogin->setParam(QStringLiteral("vSenha"), EdtSenha->text());
        QLogin->open();
        usuario_ = EdtUsuario->text();
        loggedUser = usuario_;
        if (QLogin->recordCount() == 1) {
            QLogin->addSql(QStringLiteral(" AND STATUS = '") + QStringLiteral("S") + QStringLiteral("'"));
            QLogin->open();
            if (QLogin->recordCount() == 1) {
                const QString login = QLogin->fieldByName(QStringLiteral("LOGIN")).asString();
                done(QDialog::Accepted);
                principal_->loginAceito(login, usuario_);
                return;
            }
            Dialogs::current().error(
                this, QStringLiteral("Você foi Bloqueado!\nConsulte o administrador do sistema."),
                QStringLiteral("Login não autorizado"));
            return;
        }
    } catch (const DataError& error) {
        showError(this, error.message());
        return;
    }
    Dialogs::current().error(
        this,
        QStringLiteral("Nome ou senha do usuário inválidos.\n\nSe você esqueceu sua senha, "
                       "consulte\no administrador do sistema."),
        QStringLiteral("Login não autorizado"));
    EdtSenha->clear();
    EdtUsuario->setFocus();
}

void TFLogin::BtnCancelarClick() {
    done(QDialog::Rejected);
    principal_->close();
}
