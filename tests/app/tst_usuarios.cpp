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

Table& users() {
    static Table* view = nullptr;
    delete view;
    view = new Table(kAliasVantejaVs2, "USUARIOS");
    view->open();
    return *view;
}

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
    Table& view = users();
    QVariantMap row;
    if (!view.locate("LOGIN", login)) return row;
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
        QVERIFY(window_);
        QVERIFY(!window_->isVisible());
        QVERIFY(!window_->TUsuarios->active());
        show();
        verifyAllBound(window_);
        QCOMPARE(window_->windowTitle(), QString::fromUtf8("Cadastro de Usuários..."));
        QVERIFY(!(window_->windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(window_->box("LOGIN")->text(), QString("WEJ"));  // the first row
        QCOMPARE(window_->Bloqueado->checkState(), Qt::Unchecked);
        int shown = 0;
        for (int b = 0; b < DBNavigator::ButtonCount; ++b)
            shown += window_->DBNavigator1->button(DBNavigator::Button(b))->isVisibleTo(window_);
        QCOMPARE(shown, 6);
        for (const char* field : {"ID", "DT_INC", "DT_ALT"}) {
            QVERIFY(window_->box(field)->isReadOnly());
            QVERIFY(window_->box(field)->styleSheet().contains("italic"));
        }
        QCOMPARE(window_->box("SENHA")->echoMode(), QLineEdit::Password);
        QCOMPARE(window_->box("NOME")->maxLength(), 30);
        QCOMPARE(window_->box("LOGIN")->maxLength(), 15);
        QCOMPARE(window_->box("SENHA")->maxLength(), 15);
        // The same window each time, its view open only while shown.
        QTest::mouseClick(window_->BtnFechar, Qt::LeftButton);
        QVERIFY(!window_->TUsuarios->active());
        QCOMPARE(principal_->usuarios(), window_);
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

    void closingMidChangeLosesIt() {
        show();
        QTest::keyClicks(window_->box("NOME"), "ZZ");
        QTest::mouseClick(window_->BtnFechar, Qt::LeftButton);
        QVERIFY(!window_->isVisible());
        QVERIFY(dialogs_->calls.isEmpty());
        QVERIFY(stored("WEJ")["DT_ALT"].isNull());
        const QString name = stored("WEJ")["NOME"].toString();
        QVERIFY(!name.endsWith("ZZ"));
        show();
        QCOMPARE(window_->box("NOME")->text(), name);
        QCOMPARE(window_->TUsuarios->state(), Dataset::State::Browse);
    }

    void deleteAsksFirst() {
        addRow("USUARIOS", {{"LOGIN", "ZE"}, {"SENHA", "ze"}, {"STATUS", "S"}});
        show();
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

    // "&OK" of the change-password dialog on the logged-in user's row.
    void changePassword_data() {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("fresh");
        QTest::addColumn<QString>("again");
        QTest::addColumn<QString>("refusal");  // a fragment of the message; empty when it goes through
        QTest::addColumn<QString>("kept");     // the boxes still filled afterwards: current, new, again
        QTest::newRow("changed") << "wej"
                                 << "Segredo"
                                 << "segredo"
                                 << ""
                                 << "";
        QTest::newRow("wrong current") << "outra"
                                       << "nova"
                                       << "nova"
                                       << "senha atual"
                                       << "";
        QTest::newRow("current in another case is the same") << "WEJ"
                                                             << "nova"
                                                             << "nova"
                                                             << ""
                                                             << "";
        QTest::newRow("new empty") << "wej"
                                   << ""
                                   << ""
                                   << "Digite a nova senha"
                                   << "C";
        QTest::newRow("repetition differs") << "wej"
                                            << "nova"
                                            << "novo"
                                            << "repetição"
                                            << "C";
    }
    void changePassword() {
        QFETCH(QString, current);
        QFETCH(QString, fresh);
        QFETCH(QString, again);
        QFETCH(QString, refusal);
        QFETCH(QString, kept);
        addRow("USUARIOS", {{"LOGIN", "OUTRO"}, {"SENHA", "wej"}, {"STATUS", "S"}});
        TFAlteraSenha dialog(principal_.get(), "WEJ");
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("Alteração de Senha"));
        QTest::keyClicks(dialog.EdtSenhaAtual, current);
        QTest::keyClicks(dialog.EdtNovaSenha, fresh);
        QTest::keyClicks(dialog.EdtRepetir, again);
        QCOMPARE(dialog.EdtNovaSenha->text(), fresh.toLower());
        QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
        QCOMPARE(dialogs_->calls.size(), 1);
        if (refusal.isEmpty()) {
            QCOMPARE(dialogs_->calls[0].kind, QString("information"));
            QVERIFY(!dialog.isVisible());
            QCOMPARE(stored("WEJ")["SENHA"].toString(), fresh.toLower());
            QCOMPARE(stored("WEJ")["DT_ALT"].toDate(), kToday);
            QCOMPARE(stored("OUTRO")["SENHA"].toString(), QString("wej"));  // only the user's own row
            return;
        }
        QCOMPARE(dialogs_->calls[0].kind, QString("error"));
        QVERIFY2(dialogs_->lastText().contains(refusal), qPrintable(dialogs_->lastText()));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.EdtSenhaAtual->text().isEmpty(), !kept.contains('C'));
        QVERIFY(dialog.EdtNovaSenha->text().isEmpty() && dialog.EdtRepetir->text().isEmpty());
        QCOMPARE(stored("WEJ")["SENHA"].toString(), QString("wej"));
        QVERIFY(stored("WEJ")["DT_ALT"].isNull());
    }

    void changePasswordRefusedOrCancelled() {
        {
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
            QCOMPARE(stored("WEJ")["SENHA"].toString(), QString("wej"));
            QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(stored("WEJ")["SENHA"].toString(), QString("wej"));
        }
        // Nobody logged in: nothing to change.
        TFAlteraSenha nobody(principal_.get(), QString());
        nobody.show();
        QTest::keyClicks(nobody.EdtSenhaAtual, "wej");
        QTest::keyClicks(nobody.EdtNovaSenha, "nova");
        QTest::keyClicks(nobody.EdtRepetir, "nova");
        QTest::mouseClick(nobody.BitBtn1, Qt::LeftButton);
        QCOMPARE(dialogs_->calls.last().kind, QString("error"));
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
