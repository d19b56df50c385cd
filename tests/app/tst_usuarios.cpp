// The users window and the change-password dialog through their controls, with the login form as the judge
// of who may enter.

#include <sqlite3.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "DataControls.h"
#include "U_Login.h"
#include "U_Principal.h"
#include "U_Usuarios.h"
#include "WindowFixture.h"

namespace {

const QDate kToday(2025, 3, 10);

// The store refuses every change of a users row while it lives, as a row locked elsewhere would be.
class RefusedChanges {
public:
    explicit RefusedChanges(const QString& dataFile) {
        sqlite3_open(dataFile.toUtf8().constData(), &db_);
        run("CREATE TRIGGER refuse_change BEFORE UPDATE ON USUARIOS "
            "BEGIN SELECT RAISE(ABORT, 'registro em uso'); END");
    }
    ~RefusedChanges() {
        run("DROP TRIGGER refuse_change");
        sqlite3_close(db_);
    }

private:
    void run(const char* sql) { QCOMPARE(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), SQLITE_OK); }
    sqlite3* db_ = nullptr;
};

// The stored row of a login.
QVariantMap stored(const QString& login) {
    Table view(kAliasVantejaVs2, "USUARIOS");
    view.open();
    QVariantMap row;
    if (view.locate("LOGIN", login))
        for (const char* field : {"STATUS", "DT_INC", "DT_ALT", "NOME", "SENHA"})
            row[field] = view.fieldByName(field).value();
    return row;
}

}  // namespace

class UsuariosTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>(QDateTime(kToday, QTime(9, 0)));
        dialogs_ = &fixture_->dialogs;
        principal_ = std::make_unique<TFPrincipal>();
        principal_->setShowLoginOnActivate(false);
        principal_->FormActivate();  // points Senha at the data folder
        window_ = principal_->usuarios();
    }
    void cleanup() {
        principal_.reset();
        fixture_.reset();
    }

    void madeHiddenAtStart() {
        QVERIFY(window_ && !window_->isVisible() && !window_->TUsuarios->active());
        show();
        verifyAllBound(window_);
        QCOMPARE(window_->box("LOGIN")->text(), QString("WEJ"));  // the first row
        QTest::mouseClick(window_->BtnFechar, Qt::LeftButton);
        QVERIFY(!window_->TUsuarios->active());
        QCOMPARE(principal_->usuarios(), window_);  // the same window each time
    }

    // A new user can log in only once "Bloqueado" has been cleared: one click blocks, a second releases.
    void newUserAndTheLogin_data() {
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("admitted");
        QTest::newRow("never touched") << 0 << "" << false;
        QTest::newRow("clicked once") << 1 << "N" << false;
        QTest::newRow("clicked twice") << 2 << "S" << true;
    }
    void newUserAndTheLogin() {
        QFETCH(int, clicks);
        QFETCH(QString, status);
        QFETCH(bool, admitted);
        show();
        window_->DBNavigator1->click(DBNavigator::Insert);
        QCOMPARE(window_->box("DT_INC")->text(), QString("10/03/2025"));
        QCOMPARE(window_->Bloqueado->checkState(), Qt::PartiallyChecked);
        QTest::keyClicks(window_->box("NOME"), "rita lee");
        QTest::keyClicks(window_->box("LOGIN"), "rita");
        QTest::keyClicks(window_->box("SENHA"), "MuTaNtE");
        QCOMPARE(window_->box("SENHA")->text(), QString("mutante"));
        for (int i = 0; i < clicks; ++i)
            QTest::mouseClick(window_->Bloqueado, Qt::LeftButton);
        window_->DBNavigator1->click(DBNavigator::Post);
        QVERIFY(dialogs_->calls.isEmpty());
        const QVariantMap row = stored("RITA");
        QCOMPARE(row["NOME"].toString(), QString("RITA LEE"));
        QCOMPARE(row["SENHA"].toString(), QString("mutante"));
        QCOMPARE(row["STATUS"].toString(), status);
        QCOMPARE(row["DT_INC"].toDate(), kToday);
        QTest::mouseClick(window_->BtnFechar, Qt::LeftButton);

        TFLogin* login = principal_->login();
        login->show();
        QTest::keyClicks(login->EdtUsuario, "rita");
        QTest::keyClicks(login->EdtSenha, "mutante");
        QTest::mouseClick(login->BtnOk, Qt::LeftButton);
        QCOMPARE(dialogs_->calls.isEmpty(), admitted);
        if (!admitted) QVERIFY(dialogs_->lastText().contains("Bloqueado"));
    }

    // The change date shows with the first character typed; cancelling takes it back with the change.
    void changeDateAndCancel() {
        show();
        QVERIFY(window_->box("DT_ALT")->text().trimmed().isEmpty());
        QTest::keyClicks(window_->box("SENHA"), "x");
        QCOMPARE(window_->box("DT_ALT")->text(), QString("10/03/2025"));
        window_->DBNavigator1->click(DBNavigator::Cancel);
        QVERIFY(window_->box("DT_ALT")->text().trimmed().isEmpty());
        QCOMPARE(stored("WEJ")["SENHA"].toString(), QString("wej"));
        QVERIFY(stored("WEJ")["DT_ALT"].isNull());
        // A click on "Bloqueado" is a change too.
        QTest::mouseClick(window_->Bloqueado, Qt::LeftButton);
        QCOMPARE(window_->box("DT_ALT")->text(), QString("10/03/2025"));
        window_->DBNavigator1->click(DBNavigator::Post);
        QCOMPARE(stored("WEJ")["STATUS"].toString(), QString("N"));
        QCOMPARE(stored("WEJ")["DT_ALT"].toDate(), kToday);
    }

    void closingMidChangeAndDelete() {
        addRow("USUARIOS", {{"LOGIN", "ZE"}, {"SENHA", "ze"}, {"STATUS", "S"}});
        show();
        const QString name = window_->box("NOME")->text();
        QTest::keyClicks(window_->box("NOME"), "ZZ");
        QTest::mouseClick(window_->BtnFechar, Qt::LeftButton);
        QVERIFY(dialogs_->calls.isEmpty());
        QCOMPARE(stored("WEJ")["NOME"].toString(), name);
        QVERIFY(stored("WEJ")["DT_ALT"].isNull());
        show();
        QCOMPARE(window_->box("NOME")->text(), name);
        dialogs_->answer(false);
        window_->DBNavigator1->click(DBNavigator::Delete);
        QCOMPARE(window_->TUsuarios->recordCount(), 2);
        dialogs_->answer(true);
        window_->DBNavigator1->click(DBNavigator::Delete);
        QCOMPARE(window_->TUsuarios->recordCount(), 1);
        QCOMPARE(dialogs_->kinds(), QStringList({"confirmDelete", "confirmDelete"}));
    }

    // A row the store refuses: its message, the window open, the row still being changed as typed.
    void refusedRowStaysAsTyped() {
        show();
        QTest::keyClicks(window_->box("SENHA"), "nova");
        {
            RefusedChanges refused(fixture_->data.dataFile());
            window_->DBNavigator1->click(DBNavigator::Post);
        }
        QCOMPARE(dialogs_->kinds(), QStringList({"error"}));
        QVERIFY(window_->isVisible());
        QCOMPARE(window_->TUsuarios->state(), Dataset::State::Edit);
        QCOMPARE(window_->box("SENHA")->text(), QString("wejnova"));
        QCOMPARE(stored("WEJ")["SENHA"].toString(), QString("wej"));
        window_->DBNavigator1->click(DBNavigator::Post);
        QCOMPARE(stored("WEJ")["SENHA"].toString(), QString("wejnova"));
    }

    // "&OK" of the change-password dialog on the logged-in user's row; a refusal clears the box in question
    // and those after it.
    void changePassword_data() {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QStringList>("typed");  // current, new, new again
        QTest::addColumn<QString>("refusal");    // a fragment of the message; empty when it goes through
        QTest::newRow("changed") << "WEJ" << QStringList({"wej", "Segredo", "segredo"}) << "";
        QTest::newRow("current in capitals") << "WEJ" << QStringList({"WEJ", "nova", "nova"}) << "";
        QTest::newRow("wrong current") << "WEJ" << QStringList({"outra", "nova", "nova"}) << "senha atual";
        QTest::newRow("nobody logged in") << "" << QStringList({"wej", "nova", "nova"}) << "senha atual";
        QTest::newRow("new empty") << "WEJ" << QStringList({"wej", "", ""}) << "Digite a nova senha";
        QTest::newRow("repetition differs")
            << "WEJ" << QStringList({"wej", "nova", "novo"}) << QString::fromUtf8("repetição");
    }
    void changePassword() {
        QFETCH(QString, login);
        QFETCH(QStringList, typed);
        QFETCH(QString, refusal);
        addRow("USUARIOS", {{"LOGIN", "OUTRO"}, {"SENHA", "wej"}, {"STATUS", "S"}});
        TFAlteraSenha dialog(principal_.get(), login);
        dialog.show();
        QLineEdit* boxes[] = {dialog.EdtSenhaAtual, dialog.EdtNovaSenha, dialog.EdtRepetir};
        for (int i = 0; i < 3; ++i)
            QTest::keyClicks(boxes[i], typed[i]);
        QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
        QCOMPARE(dialogs_->calls.size(), 1);
        if (refusal.isEmpty()) {
            QCOMPARE(dialogs_->calls[0].kind, QString("information"));
            QVERIFY(!dialog.isVisible());
            QCOMPARE(stored("WEJ")["SENHA"].toString(), typed[1].toLower());
            QCOMPARE(stored("WEJ")["DT_ALT"].toDate(), kToday);
            QCOMPARE(stored("OUTRO")["SENHA"].toString(), QString("wej"));  // only the user's own row
            return;
        }
        QCOMPARE(dialogs_->calls[0].kind, QString("error"));
        QVERIFY2(dialogs_->lastText().contains(refusal), qPrintable(dialogs_->lastText()));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.EdtSenhaAtual->text().isEmpty(), refusal == "senha atual");
        QVERIFY(dialog.EdtNovaSenha->text().isEmpty() && dialog.EdtRepetir->text().isEmpty());
        QCOMPARE(stored("WEJ")["SENHA"].toString(), QString("wej"));
        QVERIFY(stored("WEJ")["DT_ALT"].isNull());
    }

    void changePasswordRefusedThenCancelled() {
        TFAlteraSenha dialog(principal_.get(), "WEJ");
        dialog.show();
        QTest::keyClicks(dialog.EdtSenhaAtual, "wej");
        QTest::keyClicks(dialog.EdtNovaSenha, "nova");
        QTest::keyClicks(dialog.EdtRepetir, "nova");
        {
            RefusedChanges refused(fixture_->data.dataFile());
            QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
        }
        QCOMPARE(dialogs_->kinds(), QStringList({"error"}));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.EdtNovaSenha->text(), QString("nova"));
        QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(stored("WEJ")["SENHA"].toString(), QString("wej"));
    }

    // The menu items and the tool-bar button open their windows modally.
    void openedFromTheMainWindow_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("title");
        QTest::newRow("users") << QString::fromUtf8("Usuários...")
                               << QString::fromUtf8("Cadastro de Usuários...");
        QTest::newRow("password") << "Alterar Senha..." << QString::fromUtf8("Alteração de Senha");
        QTest::newRow("suppliers") << "Fornecedor"
                                   << "Fornecedores";
    }
    void openedFromTheMainWindow() {
        QFETCH(QString, entry);
        QFETCH(QString, title);
        QString seen;
        QTimer::singleShot(0, this, [&seen] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                seen = modal->windowTitle();
                static_cast<QDialog*>(modal)->reject();
            }
        });
        if (QToolButton* button = principal_->toolButton(entry)) {
            button->click();
        } else {
            for (QAction* action : principal_->findChildren<QAction*>())
                if (action->text() == entry) action->trigger();
        }
        QCOMPARE(seen, title);
    }

private:
    void show() {
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        QVERIFY(window_->TUsuarios->active());
    }

    std::unique_ptr<WindowFixture> fixture_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<TFPrincipal> principal_;
    TFUsuarios* window_ = nullptr;
};

QTEST_MAIN(UsuariosTest)
#include "tst_usuarios.moc"
