// The login form against a real data folder: who gets in, the messages of those who don't, the fields after
// each outcome, the keys, logoff and cancel.

#include <sqlite3.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "Clock.h"
#include "ScriptedDialogs.h"
#include "TempData.h"
#include "U_Login.h"
#include "U_Principal.h"
#include "WindowFixture.h"

namespace {

const QString kInvalid = QString::fromUtf8(
    "Nome ou senha do usuário inválidos.\n\nSe você esqueceu sua senha, consulte\no administrador do "
    "sistema.");
const QString kBlocked = QString::fromUtf8("Você foi Bloqueado!\nConsulte o administrador do sistema.");

void addUser(const QString& login, const QString& password, const QVariant& status) {
    addRow("USUARIOS", {{"LOGIN", login}, {"SENHA", password}, {"NOME", login}, {"STATUS", status}});
}

}  // namespace

class LoginTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>();
        dialogs_ = &fixture_->dialogs;
        addUser("ANA", "ana", "N");
        addUser("CAIO", "caio", QVariant());
        addUser("BIA", "bia", "S");
        addUser("BIA", "bia", "S");
        addUser("DORA", "dora", "S");
        Session::instance().removeAllPasswords();  // the form registers it itself
        principal_ = std::make_unique<TFPrincipal>();
        principal_->setShowLoginOnActivate(false);
        login_ = principal_->login();
        login_->show();
        QApplication::setActiveWindow(login_);
        QVERIFY(QTest::qWaitForWindowActive(login_));
    }
    void cleanup() {
        principal_.reset();
        fixture_.reset();
    }

    void attempts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("shipped user") << "WEJ"
                                      << "wej"
                                      << "ok";
        QTest::newRow("name typed in small letters") << "wej"
                                                     << "wej"
                                                     << "ok";
        QTest::newRow("password typed in capitals") << "WEJ"
                                                    << "WEJ"
                                                    << "ok";
        QTest::newRow("another user") << "dora"
                                      << "dora"
                                      << "ok";
        QTest::newRow("unknown name") << "ZE"
                                      << "wej"
                                      << "invalid";
        QTest::newRow("wrong password") << "WEJ"
                                        << "errada"
                                        << "invalid";
        QTest::newRow("blocked user") << "ANA"
                                      << "ana"
                                      << "blocked";
        QTest::newRow("blocked user, wrong password") << "ANA"
                                                      << "x"
                                                      << "invalid";
        QTest::newRow("blank status counts as blocked") << "CAIO"
                                                        << "caio"
                                                        << "blocked";
        QTest::newRow("two identical users") << "BIA"
                                             << "bia"
                                             << "invalid";
    }

    void attempts() {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, outcome);
        QVERIFY(login_->EdtUsuario->hasFocus());
        QTest::keyClicks(login_->EdtUsuario, name);
        QTest::keyClicks(login_->EdtSenha, password);
        QCOMPARE(login_->EdtUsuario->text(), name.toUpper());
        QCOMPARE(login_->EdtSenha->text(), password.toLower());
        QTest::mouseClick(login_->BtnOk, Qt::LeftButton);
        QVERIFY(Session::instance().hasPassword(kSessionPassword));
        QCOMPARE(TFLogin::usuarioLogado(), name.toUpper());  // whatever the outcome
        if (outcome == "ok") {
            QVERIFY(dialogs_->calls.isEmpty());
            QVERIFY(!login_->isVisible());
            QCOMPARE(login_->result(), int(QDialog::Accepted));
            QCOMPARE(principal_->statusPanel(3)->text(), QString::fromUtf8(" Usuário: ") + name.toUpper());
            QCOMPARE(principal_->logoffAction()->text(), QString("Logoff de: ") + name.toUpper());
            QCOMPARE(principal_->logoffAction()->toolTip(), QString("Logoff de: ") + name.toUpper());
            return;
        }
        QCOMPARE(dialogs_->calls.size(), 1);
        QCOMPARE(dialogs_->calls[0].kind, QString("error"));
        QCOMPARE(dialogs_->calls[0].caption, QString::fromUtf8("Login não autorizado"));
        QCOMPARE(dialogs_->calls[0].text, outcome == "blocked" ? kBlocked : kInvalid);
        QVERIFY(login_->isVisible());
        QCOMPARE(principal_->statusPanel(3)->text(), QString());
        QCOMPARE(principal_->logoffAction()->text(), QString("Logoff de:"));
        QCOMPARE(login_->EdtUsuario->text(), name.toUpper());
        QCOMPARE(login_->EdtSenha->text(), outcome == "blocked" ? password.toLower() : QString());
        if (outcome == "invalid") QVERIFY(login_->EdtUsuario->hasFocus());
    }

    void emptyFieldsAreIgnored() {
        QTest::mouseClick(login_->BtnOk, Qt::LeftButton);
        QTest::keyClicks(login_->EdtUsuario, "WEJ");
        QTest::mouseClick(login_->BtnOk, Qt::LeftButton);
        QVERIFY(dialogs_->calls.isEmpty());
        QVERIFY(login_->isVisible());
        QVERIFY(Session::instance().hasPassword(kSessionPassword));
    }

    void fieldsTakeFifteenCharacters() {
        QTest::keyClicks(login_->EdtUsuario, "abcdefghijklmnopqrs");
        QCOMPARE(login_->EdtUsuario->text(), QString("ABCDEFGHIJKLMNO"));
        QCOMPARE(login_->EdtSenha->echoMode(), QLineEdit::Password);
        QCOMPARE(login_->EdtUsuario->toolTip(),
                 QString::fromUtf8("Digite seu nome de login (Padrão é: WEJ)"));
        QCOMPARE(login_->EdtSenha->toolTip(), QString::fromUtf8("Digite a sua senha (Padrão é: WEJ)"));
        QCOMPARE(login_->windowTitle(), QString("Login do Sistema"));
    }

    void enterMovesOnThenPressesOk() {
        QTest::keyClicks(login_->EdtUsuario, "WEJ");
        QTest::keyClick(login_->EdtUsuario, Qt::Key_Return);
        QTRY_VERIFY(login_->EdtSenha->hasFocus());
        QTest::keyClicks(login_->EdtSenha, "wej");
        QTest::keyClick(login_->EdtSenha, Qt::Key_Return);
        QTRY_VERIFY(login_->BtnOk->hasFocus());
        QVERIFY(login_->isVisible());
        QTest::keyClick(login_->BtnOk, Qt::Key_Return);
        QTRY_VERIFY(!login_->isVisible());
        QCOMPARE(principal_->statusPanel(3)->text(), QString::fromUtf8(" Usuário: WEJ"));
    }

    void escapeDoesNotCloseTheForm() {
        QTest::keyClick(login_->BtnOk, Qt::Key_Escape);
        QVERIFY(login_->isVisible());
        login_->close();
        QVERIFY(login_->isVisible());
    }

    // Logoff shows the form again, emptied; the status bar keeps the previous user until a login succeeds.
    void logoffAndLoginAgain() {
        QTest::keyClicks(login_->EdtUsuario, "WEJ");
        QTest::keyClicks(login_->EdtSenha, "wej");
        QTest::mouseClick(login_->BtnOk, Qt::LeftButton);
        QVERIFY(!login_->isVisible());
        bool checked = false;
        QTimer::singleShot(0, this, [&] {
            checked = login_->isVisible() && login_->EdtUsuario->text().isEmpty() &&
                      login_->EdtSenha->text().isEmpty() && login_->focusWidget() == login_->EdtUsuario &&
                      principal_->statusPanel(3)->text() == QString::fromUtf8(" Usuário: WEJ");
            QTest::keyClicks(login_->EdtUsuario, "dora");
            QTest::keyClicks(login_->EdtSenha, "dora");
            QTest::mouseClick(login_->BtnOk, Qt::LeftButton);
        });
        principal_->LogoffClick();
        QVERIFY(checked);
        QCOMPARE(principal_->statusPanel(3)->text(), QString::fromUtf8(" Usuário: DORA"));
        QCOMPARE(principal_->logoffAction()->text(), QString("Logoff de: DORA"));
    }

    void cancelEndsTheProgram() {
        principal_->show();
        QVERIFY(QTest::qWaitForWindowExposed(principal_.get()));
        QTest::mouseClick(login_->BtnCancelar, Qt::LeftButton);
        QVERIFY(!login_->isVisible());
        QVERIFY(!principal_->isVisible());
    }

    void missingUserTableIsReported() {
        principal_.reset();
        sqlite3* db = nullptr;
        sqlite3_open(fixture_->data.dataFile().toUtf8().constData(), &db);
        sqlite3_exec(db, "DROP TABLE USUARIOS", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        Session::instance().clear();
        defineStandardDatabases(fixture_->data.programFolder());
        principal_ = std::make_unique<TFPrincipal>();
        login_ = principal_->login();
        login_->show();
        QTest::keyClicks(login_->EdtUsuario, "WEJ");
        QTest::keyClicks(login_->EdtSenha, "wej");
        QTest::mouseClick(login_->BtnOk, Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList{"error"});
        QCOMPARE(dialogs_->calls[0].caption, QString("Erro"));
        QVERIFY(dialogs_->lastText().contains("USUARIOS"));
        QVERIFY(login_->isVisible());
    }

private:
    std::unique_ptr<WindowFixture> fixture_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<TFPrincipal> principal_;
    TFLogin* login_ = nullptr;
};

QTEST_MAIN(LoginTest)
#include "tst_login.moc"
