// The main window: its parts, the due-date alerts on the day of start, the countdown, the close request and a
// start that fails.

#include <sqlite3.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#if defined(Q_OS_LINUX)
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "Clock.h"
#include "DBGrid.h"
#include "DataControls.h"
#include "LedgerWindow.h"
#include "Platform.h"
#include "ScriptedDialogs.h"
#include "Startup.h"
#include "TempData.h"
#include "U_Cadastro.h"
#include "U_Login.h"
#include "U_Principal.h"
#include "Unit1.h"
#include "WindowFixture.h"

namespace {

const QDate kStart(2025, 3, 10);  // a Monday

void bill(const QString& table, const QVariant& due, const QVariant& paid, double amount,
          const QString& reference = QStringLiteral("CONTA")) {
    addRow(table, {{"DataVencimento", due},
                   {"DataPagamento", paid},
                   {"Valordocumento", amount},
                   {"Fantasia", reference},
                   {"Nome", QStringLiteral("CREDOR")}});
}

// Chooses the menu item of that caption, in the menu or any of its submenus, as a user does; a missing or
// disabled item fails the test.
void choose(QWidget* menu, const QString& caption) {
    QList<QAction*> actions = menu->actions();
    while (!actions.isEmpty()) {
        QAction* action = actions.takeFirst();
        if (action->menu()) actions << action->menu()->actions();
        if (action->text().remove(QLatin1Char('&')) != caption) continue;
        QVERIFY2(action->isEnabled(), qPrintable(caption));
        action->trigger();
        return;
    }
    QFAIL(qPrintable("no menu item " + caption));
}

QStringList menuPaths(const QList<QAction*>& actions, const QString& prefix = QString()) {
    QStringList paths;
    for (QAction* action : actions) {
        if (action->isSeparator()) continue;
        const QString path = prefix.isEmpty() ? action->text() : prefix + " > " + action->text();
        paths << path;
        if (action->menu()) paths << menuPaths(action->menu()->actions(), path);
    }
    return paths;
}

}  // namespace

class PrincipalTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>(QDateTime(kStart, QTime(9, 30)));
        data_ = &fixture_->data;
        dialogs_ = &fixture_->dialogs;
    }
    void cleanup() {
        principal_.reset();
        fixture_.reset();
        QLocale::setDefault(QLocale::system());
    }

    void windowParts() {
        start();
        QCOMPARE(principal_->windowTitle(), QString("Vanteja 2.0 ID"));
        QStringList captions;
        for (QToolButton* button : principal_->findChildren<QToolButton*>())
            if (button->objectName().startsWith("tool_")) captions << button->text();
        QCOMPARE(captions, QStringList({"Clientes", "Fornecedor", "Recibo", "Promissoria", "Contas Receber",
                                        "Contas Pagar", "Fluxo Caixa", "Sobre", "Fechar"}));
        for (const QString& caption : captions)
            QVERIFY(!principal_->toolButton(caption)->icon().isNull());
        const QStringList menus = menuPaths(principal_->menuBar()->actions());
        for (const char* path :
             {"A&rquivo > &Alterar Senha > Usuário > Usuários...",
              "A&rquivo > &Alterar Senha > Usuário > Alterar Senha...",
              "A&rquivo > &Alterar Senha > Logoff de:", "A&rquivo > &Alterar Senha > Sair do Sistema...",
              "&Cadastro > Cliente", "&Cadastro > Emitente", "&Inserir logomarca > Logomarca",
              "Ferramentas > Backup", "Ferramentas > Checar Atualização"})
            QVERIFY2(menus.contains(QString::fromUtf8(path)), path);
        QCOMPARE(principal_->statusPanel(4)->text(), QString::fromUtf8("Versão 2.0 - 06/02/2013"));
        QCOMPARE(principal_->statusPanel(1)->text(), QString("09:30:00"));
        QCOMPARE(principal_->statusPanel(1)->width(), 80);
        QCOMPARE(principal_->statusPanel(2)->width(), 230);
        QCOMPARE(principal_->statusPanel(3)->width(), 300);
        QCOMPARE(principal_->clockTimer()->interval(), 1000);
        QVERIFY(principal_->clockTimer()->isActive());
        QCOMPARE(principal_->timerAviso()->interval(), 2500);
        QVERIFY(!principal_->timerAviso()->isActive());
        QCOMPARE(principal_->alertPanel()->size(), QSize(673, 513));
        QVERIFY(principal_->alertPanel()->isHidden());
        QCOMPARE(principal_->alertPages()->tabText(0), QString("Contas a Pagar Vencendo Hoje"));
        QCOMPARE(principal_->alertPages()->tabText(1), QString("Contas a Receber Hoje"));
        QStringList titles;
        TableModel* overdue = principal_->grid(1, true)->tableModel();
        for (int c = 0; c < overdue->columnCount(); ++c)
            titles << overdue->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, QStringList({"Vencimento", "Nome(Credor)", QString::fromUtf8("Referência"),
                                      "Valordocumento"}));
        QCOMPARE(principal_->avisoMenu()->title(), QString("Aviso Contas"));

        principal_->show();
        QVERIFY(QTest::qWaitForWindowExposed(principal_.get()));
        principal_->toolButton("Fechar")->click();
        QVERIFY(!principal_->isVisible());

        principal_->toolButton("Sobre")->click();
        QCOMPARE(dialogs_->kinds(), QStringList{"about"});
        QVERIFY(dialogs_->lastText().startsWith("Vanteja"));
    }

    // Each alert page names its own ledger: title, column headings, the overdue heading and tab, the totals.
    void alertPageTexts_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("todayTitles");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QStringList>("overdueTitles");
        QTest::addColumn<QStringList>("totalNames");
        const QString reference = QString::fromUtf8("Referência");
        QTest::newRow("pagar") << 0 << "Contas a Pagar Vencendo Hoje"
                               << QStringList({"Vencimento", "Nome (Credor)", reference, "Valor Documento"})
                               << "Contas a Pagar Vencidas"
                               << QStringList({"Venceu Dia", "Nome (Credor)", reference, "Valor Documento"})
                               << QStringList({"alertTotalPagar", "alertTotalPagarVencidas"});
        QTest::newRow("receber") << 1 << "Contas a Receber Vencendo Hoje"
                                 << QStringList({"Vencimento", "Nome", reference, "Valor Documento"})
                                 << "Contas a Receber Vencidas"
                                 << QStringList({"Vencimento", "Nome(Credor)", reference, "Valordocumento"})
                                 << QStringList({"alertTotalReceber", "alertTotalReceberVencidas"});
    }
    void alertPageTexts() {
        QFETCH(int, page);
        QFETCH(QString, title);
        QFETCH(QStringList, todayTitles);
        QFETCH(QString, heading);
        QFETCH(QStringList, overdueTitles);
        QFETCH(QStringList, totalNames);
        start();
        QWidget* pageWidget = principal_->alertPages()->widget(page);
        QCOMPARE(pageWidget->findChild<QLabel*>("alertTitle")->text(), title);
        QCOMPARE(pageWidget->findChild<QLabel*>("alertHeading")->text(), heading);
        QCOMPARE(pageWidget->findChild<QTabWidget*>()->tabText(0), heading);
        auto titles = [&](bool overdue) {
            TableModel* model = principal_->grid(page, overdue)->tableModel();
            QStringList out;
            for (int c = 0; c < model->columnCount(); ++c)
                out << model->headerData(c, Qt::Horizontal).toString();
            return out;
        };
        QCOMPARE(titles(false), todayTitles);
        QCOMPARE(titles(true), overdueTitles);
        QCOMPARE(QStringList({principal_->totalLabel(page, false)->objectName(),
                              principal_->totalLabel(page, true)->objectName()}),
                 totalNames);
    }

    // "Clientes" and the menu open the register on the right tab, modally, a new window each time; so do the
    // ledgers.
    void registersOpenFromTheToolBarAndTheMenu() {
        start();
        QStringList seen;
        auto look = [&] {
            QTimer::singleShot(0, this, [&] {
                auto* window = qobject_cast<TCadastro*>(QApplication::activeModalWidget());
                if (!window) {
                    seen << "nothing";
                    return;
                }
                seen << window->windowTitle() + "/" + window->Titulo->text();
                window->close();
            });
        };
        look();
        principal_->toolButton("Clientes")->click();
        look();
        choose(principal_->menuBar(), "Emitente");
        QCOMPARE(seen, QStringList({"Cadastro/Cadastro Cliente", "Cadastro/Cadastro Emitente"}));

        QList<int> tabs;
        for (const char* caption : {"Recibo", "Promissoria"}) {
            QTimer::singleShot(0, this, [&] {
                auto* window = qobject_cast<TForm1*>(QApplication::activeModalWidget());
                tabs << (window ? window->PageControl1->currentIndex() : -1);
                if (window) window->close();
            });
            principal_->toolButton(caption)->click();
        }
        QCOMPARE(tabs, QList<int>({TForm1::PaginaRecibo, TForm1::PaginaPromissoria}));

        QStringList ledgers;
        for (const char* caption : {"Contas Pagar", "Contas Receber"}) {
            QTimer::singleShot(0, this, [&] {
                auto* window = qobject_cast<LedgerWindow*>(QApplication::activeModalWidget());
                ledgers << (window ? window->windowTitle() : QString("nothing"));
                if (window) window->close();
            });
            principal_->toolButton(caption)->click();
        }
        QCOMPARE(ledgers, QStringList({QString::fromUtf8("Saídas do Caixa"), "Entradas do Caixa"}));
    }

    // The first activation points Senha at the data folder and writes the clock and the long date.
    void firstActivation() {
        start();
        Clock::advance(5);
        principal_->FormActivate();
        QCOMPARE(principal_->statusPanel(1)->text(), QString("09:30:05"));
        QCOMPARE(principal_->statusPanel(2)->text(), QString::fromUtf8("segunda-feira, 10 de março de 2025"));
        Database& senha = Session::instance().database(kDatabaseSenha);
        QVERIFY(senha.connected());
        QCOMPARE(senha.path(), data_->dataFolder());
        QCOMPARE(senha.params().mid(1), QStringList({"DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"}));
        QVERIFY(dialogs_->calls.isEmpty());
    }

    void nothingDueShowsNothingButMostrarWorks() {
        bill("tbpagar", QDate(2025, 3, 11), QVariant(), 80);  // due tomorrow
        bill("tbpagar", kStart, kStart, 500);                 // paid today
        bill("tbreceber", QDate(2025, 3, 20), QVariant(), 900);
        bill("tbreceber", QDate(2025, 3, 1), QDate(2025, 3, 2), 40);  // overdue but paid
        start();
        login();
        QVERIFY(principal_->alertPanel()->isHidden());
        QVERIFY(!principal_->timerAviso()->isActive());
        choose(principal_->avisoMenu(), "Mostrar");
        QVERIFY(!principal_->alertPanel()->isHidden());
        QVERIFY(!principal_->timerAviso()->isActive());
        for (int page = 0; page < 2; ++page)
            for (bool overdue : {false, true}) {
                QCOMPARE(principal_->totalLabel(page, overdue)->text(), QString("R$ 0,00"));
                QCOMPARE(principal_->grid(page, overdue)->tableModel()->rowCount(), 0);
            }
    }

    void onlyReceivablesDueOpenOnThePageOfReceivables() {
        bill("tbreceber", kStart, QVariant(), 350);
        bill("tbpagar", kStart, kStart, 500);  // paid: not listed
        start();
        login();
        QVERIFY(!principal_->alertPanel()->isHidden());
        QCOMPARE(principal_->alertPages()->currentIndex(), 1);
        QVERIFY(principal_->timerAviso()->isActive());
        QCOMPARE(principal_->totalLabel(1, false)->text(), QString("R$ 350,00"));
        QCOMPARE(principal_->view(0, false)->recordCount(), 0);
    }

    void payablesFirstAndEveryPageFilled() {
        bill("tbpagar", kStart, QVariant(), 250.75, "LUZ");
        bill("tbpagar", kStart, QVariant(), 1800, "ALUGUEL");
        bill("tbpagar", kStart, QDate(2025, 3, 9), 99, "PAGA");
        bill("tbpagar", QDate(2025, 3, 9), QVariant(), 99.9, "TELEFONE");
        bill("tbpagar", QVariant(), QVariant(), 45.3, "SEM VENCIMENTO");  // a blank due date is overdue
        bill("tbpagar", QDate(2025, 3, 9), QDate(1950, 6, 15), 1,
             "PAGA HA MUITO");  // paid before 1990: unpaid
        bill("tbreceber", QDate(2025, 2, 28), QVariant(), 1200.5);
        start();
        login();
        QVERIFY(!principal_->alertPanel()->isHidden());
        QCOMPARE(principal_->alertPages()->currentIndex(), 0);
        QCOMPARE(principal_->totalLabel(0, false)->text(), QString("R$ 2.050,75"));
        QCOMPARE(principal_->totalLabel(0, true)->text(), QString("R$ 146,20"));
        QCOMPARE(principal_->totalLabel(1, false)->text(), QString("R$ 0,00"));
        QCOMPARE(principal_->totalLabel(1, true)->text(), QString("R$ 1.200,50"));
        TableModel* today = principal_->grid(0, false)->tableModel();
        QCOMPARE(today->rowCount(), 2);
        QCOMPARE(today->data(today->index(0, 0)).toString(), QString("10/03/2025"));
        QCOMPARE(today->data(today->index(1, 3)).toString(), QString("1800,00"));
        QCOMPARE(principal_->view(0, true)->recordCount(), 3);
        QCOMPARE(principal_->view(0, true)->fieldByName("Fantasia").asString(),
                 QString("SEM VENCIMENTO"));  // due date order
    }

    // Bills another user stores or settles show in the open panel, totals and rows, without a click.
    void othersStoresShowInThePanel() {
        bill("tbpagar", kStart, QVariant(), 250.75, "LUZ");
        start();
        login();
        QCOMPARE(principal_->totalLabel(0, false)->text(), QString("R$ 250,75"));
        const auto another = data_->anotherProgram();
        another->execute(
            "INSERT INTO \"tbpagar\" (\"Codigo\", \"Fantasia\", \"DataVencimento\", "
            "\"Valordocumento\") VALUES (2, 'AGUA', '2025-03-10', 49.25)");
        QTRY_COMPARE_WITH_TIMEOUT(principal_->totalLabel(0, false)->text(), QString("R$ 300,00"), 10000);
        QCOMPARE(principal_->grid(0, false)->tableModel()->rowCount(), 2);
        another->execute(
            "UPDATE \"tbpagar\" SET \"DataPagamento\" = '2025-03-10' WHERE \"Fantasia\" = 'LUZ'");
        QTRY_COMPARE_WITH_TIMEOUT(principal_->totalLabel(0, false)->text(), QString("R$ 49,25"), 10000);
    }

    void amountsAddingUpToZeroCountAsEmpty() {
        bill("tbpagar", kStart, QVariant(), 0.1);
        bill("tbpagar", kStart, QVariant(), 0.2);
        bill("tbpagar", kStart, QVariant(), -0.3);
        start();
        login();
        QVERIFY(principal_->alertPanel()->isHidden());
        bill("tbreceber", QDate(2025, 3, 1), QVariant(), -10);  // a negative total is not zero
        login();
        QVERIFY(!principal_->alertPanel()->isHidden());
        QCOMPARE(principal_->alertPages()->currentIndex(), 1);
        QCOMPARE(principal_->totalLabel(1, true)->text(), QString("R$ -10,00"));
        // The one rule for totals: amounts adding to 61.040,715 show 61.040,72.
        bill("tbpagar", kStart, QVariant(), 61000.5);
        bill("tbpagar", kStart, QVariant(), 40.215);
        login();
        QCOMPARE(principal_->totalLabel(0, false)->text(), QString("R$ 61.040,72"));
    }

    // Neither the decision nor the totals depend on the machine's number format.
    void anyLocale() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        start();
        login();
        QVERIFY(principal_->alertPanel()->isHidden());
        bill("tbpagar", QDate(2025, 3, 3), QVariant(), 2500.75);
        login();
        QVERIFY(!principal_->alertPanel()->isHidden());
        QCOMPARE(principal_->totalLabel(0, true)->text(), QString("R$ 2.500,75"));
    }

    void startDateKeptPastMidnight() {
        bill("tbpagar", kStart, QVariant(), 10);
        bill("tbpagar", kStart.addDays(1), QVariant(), 20);
        start();
        Clock::advance(24 * 3600);
        login();
        QCOMPARE(principal_->startDate(), QString("10/03/2025"));
        QCOMPARE(principal_->totalLabel(0, false)->text(), QString("R$ 10,00"));
        QCOMPARE(principal_->totalLabel(0, true)->text(), QString("R$ 0,00"));
        principal_->Timer1Timer();
        QCOMPARE(principal_->statusPanel(1)->text(), QString("09:30:00"));
    }

    void countdownClosesThePanelAfterFiveTicks() {
        bill("tbpagar", kStart, QVariant(), 10);
        start();
        login();
        QVERIFY(principal_->timerAviso()->isActive());
        for (int page = 0; page < 2; ++page) {
            QVERIFY(!principal_->countdownBar(page)->isHidden());
            QVERIFY(!principal_->cancelButton(page)->isHidden());
            QVERIFY(!principal_->closingLabel(page)->isHidden());
            QCOMPARE(principal_->countdownBar(page)->maximum(), 5);
        }
        for (int tick = 1; tick <= 4; ++tick) {
            principal_->TimerAvisoTimer();
            QVERIFY(!principal_->alertPanel()->isHidden());
            QCOMPARE(principal_->countdownBar(0)->value(), tick);
            QCOMPARE(principal_->countdownBar(1)->value(), tick);
        }
        principal_->TimerAvisoTimer();
        QVERIFY(principal_->alertPanel()->isHidden());
        QVERIFY(!principal_->timerAviso()->isActive());
        for (int page = 0; page < 2; ++page) {
            QVERIFY(principal_->countdownBar(page)->isHidden());
            QVERIFY(principal_->cancelButton(page)->isHidden());
            QVERIFY(principal_->closingLabel(page)->isHidden());
        }
        // "Mostrar" shows the panel again without a countdown.
        choose(principal_->avisoMenu(), "Mostrar");
        QVERIFY(!principal_->alertPanel()->isHidden());
        QVERIFY(!principal_->timerAviso()->isActive());

        // A new login closes the panel after five ticks again, its countdown elements staying hidden.
        choose(principal_->avisoMenu(), "Ocultar");
        login();
        QVERIFY(!principal_->alertPanel()->isHidden());
        QVERIFY(principal_->timerAviso()->isActive());
        QCOMPARE(principal_->countdownBar(0)->value(), 0);
        for (int page = 0; page < 2; ++page)
            QVERIFY(principal_->countdownBar(page)->isHidden() &&
                    principal_->cancelButton(page)->isHidden() && principal_->closingLabel(page)->isHidden());
        for (int tick = 0; tick < 5; ++tick)
            principal_->TimerAvisoTimer();
        QVERIFY(principal_->alertPanel()->isHidden());
    }

    void countdownRunsOnTheRealTimer() {
        bill("tbpagar", kStart, QVariant(), 10);
        start();
        principal_->timerAviso()->setInterval(5);
        login();
        QTRY_VERIFY_WITH_TIMEOUT(principal_->alertPanel()->isHidden(), 20000);
        QVERIFY(!principal_->timerAviso()->isActive());
    }

    void cancelStopsTheCountdownAndFecharHides() {
        bill("tbreceber", kStart, QVariant(), 10);
        start();
        login();
        principal_->TimerAvisoTimer();
        QTest::mouseClick(principal_->cancelButton(1), Qt::LeftButton);
        QVERIFY(!principal_->timerAviso()->isActive());
        QVERIFY(!principal_->alertPanel()->isHidden());
        QVERIFY(principal_->cancelButton(0)->isHidden() && principal_->countdownBar(1)->isHidden());

        login();  // a cancelled countdown leaves its elements hidden for good
        QVERIFY(principal_->cancelButton(1)->isHidden() && principal_->closingLabel(0)->isHidden());
        auto* fechar = principal_->alertPanel()->findChild<QPushButton*>("fecharAviso2");
        QVERIFY(fechar);
        QTest::mouseClick(fechar, Qt::LeftButton);
        QVERIFY(principal_->alertPanel()->isHidden());
        QVERIFY(principal_->timerAviso()->isActive());  // still counting: it ends later by itself
        choose(principal_->avisoMenu(), "Mostrar");
        for (int tick = 0; tick < 5; ++tick)
            principal_->TimerAvisoTimer();
        QVERIFY(principal_->alertPanel()->isHidden());
    }

    // The whole way from the login form to the alert.
    void loginFormRunsTheAlerts() {
        bill("tbpagar", kStart, QVariant(), 10);
        start();
        TFLogin* form = principal_->login();
        form->show();
        QTest::keyClicks(form->EdtUsuario, "wej");
        QTest::keyClicks(form->EdtSenha, "wej");
        QTest::mouseClick(form->BtnOk, Qt::LeftButton);
        QVERIFY(!principal_->alertPanel()->isHidden());
        QCOMPARE(principal_->totalLabel(0, false)->text(), QString("R$ 10,00"));
    }

    // The updater's close request closes the window, also behind a modal window, without asking anything.
    void closeRequestFromAnotherProcess() {
        start();
        const QString name = QStringLiteral("vanteja-test-%1").arg(QCoreApplication::applicationPid());
        QVERIFY(principal_->listenForCloseRequests(name));
        // In the user's private folder, the owner's only.
        const QString socketFile = Platform::privateServerName(name);
        QCOMPARE(
            QFileInfo(socketFile).absolutePath(),
            QFileInfo(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)).absoluteFilePath());
        QCOMPARE(int(QFile::permissions(socketFile) & 0x00ff), 0);  // nothing for the group or the others
        principal_->show();
        QVERIFY(QTest::qWaitForWindowExposed(principal_.get()));
        QDialog modal(principal_.get());
        QLocalSocket updater;
        QTimer::singleShot(0, this, [&] {
            QVERIFY(modal.isVisible());
            updater.connectToServer(socketFile);
            QVERIFY(updater.waitForConnected(2000));
            updater.write("CLOSE\n");
            updater.flush();
        });
        QTimer::singleShot(5000, &modal, [&] { modal.done(99); });  // a safety net, never expected
        const int result = modal.exec();
        QCOMPARE(result, int(QDialog::Rejected));
        QTRY_VERIFY(!principal_->isVisible());
        QVERIFY(dialogs_->calls.isEmpty());
        // A second copy does not take the name away from a running one.
        TFPrincipal second;
        QVERIFY(!second.listenForCloseRequests(name));
    }

    // Whatever is typed anywhere, a close request closes every window without a word and ends the program.
    void closeRequestWithARefusedValueTyped_data() {
        QTest::addColumn<QString>("window");
        QTest::newRow("clients") << "clients";
        QTest::newRow("receipts") << "receipts";
    }
    void closeRequestWithARefusedValueTyped() {
        QFETCH(QString, window);
        start();
        principal_->show();
        QVERIFY(QTest::qWaitForWindowExposed(principal_.get()));
        bool typed = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QApplication::setActiveWindow(dialog);
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            // Texts the boxes take and the data layer refuses: a code past what an integer holds, a point
            // where the decimal comma goes.
            DBEdit* box = window == "clients" ? static_cast<TCadastro*>(dialog)->box("Codigo")
                                              : static_cast<TForm1*>(dialog)->reciboBox("Codigo2");
            box->setFocus();
            QTest::keyClicks(box, window == "clients" ? "9999999999" : "1.2");
            typed = true;
            principal_->closeRequest();
        });
        QTimer::singleShot(5000, this, [] {  // a safety net, never expected
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        if (window == "clients")
            principal_->toolButton("Clientes")->click();
        else
            principal_->toolButton("Recibo")->click();
        QVERIFY(typed);
        QTRY_VERIFY(!principal_->isVisible());
        QVERIFY2(dialogs_->calls.isEmpty(), qPrintable(dialogs_->lastText()));
        QVERIFY(!QApplication::activeModalWidget());
    }
#if defined(Q_OS_LINUX)
    // A connection from a process of another user is told apart from one of this user.
    void peerOfAnotherUser() {
        if (getuid() != 0) QSKIP("needs to start a process as another user");
        QTemporaryDir shared(QDir::tempPath() + "/vanteja-peer-XXXXXX");
        QFile::setPermissions(shared.path(), QFileDevice::Permissions(0x7755));
        QLocalServer server;
        server.setSocketOptions(QLocalServer::WorldAccessOption);
        QVERIFY(server.listen(shared.filePath("s")));
        const QByteArray path = shared.filePath("s").toUtf8();
        const pid_t child = fork();
        if (child == 0) {
            if (setuid(65534) != 0) _exit(1);
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
            if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) _exit(2);
            sleep(5);
            _exit(0);
        }
        QVERIFY(server.waitForNewConnection(5000));
        QLocalSocket* other = server.nextPendingConnection();
        QVERIFY(!Platform::peerIsThisUser(other->socketDescriptor()));
        QLocalSocket mine;
        mine.connectToServer(shared.filePath("s"));
        QVERIFY(server.waitForNewConnection(5000));
        QVERIFY(Platform::peerIsThisUser(server.nextPendingConnection()->socketDescriptor()));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
#endif

    void startFailsWithoutDataFolder_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("message");
        QTest::newRow("no folder") << "folder" << QString::fromUtf8("A pasta de dados não existe");
        QTest::newRow("no file") << "file" << QString::fromUtf8("O arquivo de dados não existe");
        QTest::newRow("no table") << "table" << QString::fromUtf8("A tabela 'tbreceber' não existe");
        QTest::newRow("empty file") << "empty"
                                    << QString::fromUtf8("um arquivo vazio não é um arquivo de dados");
        QTest::newRow("folder in place of the file")
            << "folder as file" << QString::fromUtf8("há uma pasta, e uma pasta não é um arquivo de dados");
        QTest::newRow("not data") << "not data"
                                  << QString::fromUtf8(
                                         "não é um arquivo de dados do Vanteja ou está danificado");
        QTest::newRow("server away") << "server away"
                                     << QString::fromUtf8("Não foi possível falar com o servidor de dados");
        QTest::newRow("user refused") << "user refused" << QString::fromUtf8("recusou o usuário ou a senha");
    }
    void startFailsWithoutDataFolder() {
        QFETCH(QString, damage);
        QFETCH(QString, message);
        Session::instance().clear();
        // With the books on a server the data file plays no part; without one there is no server to miss.
        const bool ofServer = damage.startsWith("server") || damage.startsWith("user");
        if (TempData::onPostgres() && damage != "folder" && damage != "table" && !ofServer)
            QSKIP("the books are on the server");
        if (!TempData::onPostgres() && ofServer) QSKIP("the books are in the data file");
        if (ofServer) {
            QUrl address(qEnvironmentVariable("VANTEJA_BANCO"));
            if (damage == "server away")
                address.setPort(1);
            else
                address.setUserName("ninguem");
            qputenv("VANTEJA_BANCO", address.toString().toUtf8());
        }
        if (damage == "table" && TempData::onPostgres()) {
            data_->anotherProgram()->execute("DROP TABLE \"tbreceber\"");
            damage.clear();
        }
        if (damage == "folder") QVERIFY(QDir(data_->dataFolder()).removeRecursively());
        if (damage == "file") QVERIFY(QFile::remove(data_->dataFile()));
        if (damage == "table") {
            sqlite3* db = nullptr;
            sqlite3_open(data_->dataFile().toUtf8().constData(), &db);
            sqlite3_exec(db, "DROP TABLE tbreceber", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }
        if (damage == "not data" || damage == "empty") {
            QFile file(data_->dataFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (damage == "not data") file.write(QByteArray(4096, 'x'));
        }
        if (damage == "folder as file")
            QVERIFY(QFile::remove(data_->dataFile()) && QDir().mkpath(data_->dataFile()));
        const int status = startVanteja(*qApp, false);
        QVERIFY(status != 0);
        QCOMPARE(dialogs_->kinds(), QStringList{"error"});
        QCOMPARE(dialogs_->calls[0].caption, QString("Erro"));
        QVERIFY2(dialogs_->lastText().contains(message), qPrintable(dialogs_->lastText()));
        if (damage == "not data" || damage == "empty" || damage == "folder as file")
            QVERIFY(dialogs_->lastText().contains(QDir::toNativeSeparators(data_->dataFile())));
        // A table missing on the server is said to be missing there.
        if (TempData::onPostgres() && message.startsWith("A tabela"))
            QVERIFY(dialogs_->lastText().contains(QUrl(qEnvironmentVariable("VANTEJA_BANCO")).host() + ":"));
    }

private:
    void start() {
        principal_ = std::make_unique<TFPrincipal>();
        principal_->setShowLoginOnActivate(false);
    }
    void login() {
        principal_->loginAceito("WEJ", "WEJ");
    }

    TempData* data_ = nullptr;
    std::unique_ptr<WindowFixture> fixture_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<TFPrincipal> principal_;
};

QTEST_MAIN(PrincipalTest)
#include "tst_principal.moc"
