// Two users on the same books at once, each a program of its own: the test starts copies of itself as the
// other users ("--usuario FOLDER WHAT [COUNT]") over the test's data folder, or its server schema.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <QtTest>

#include "Conciliacao.h"
#include "DataControls.h"
#include "Unpagar.h"
#include "WindowFixture.h"

namespace {

const QDateTime kNow(QDate(2025, 3, 10), QTime(10, 0));

void click(QWidget* window, const char* name) {
    QWidget* button = window->findChild<QWidget*>(QString::fromLatin1(name));
    if (!button || !button->isEnabled()) qFatal("%s cannot be clicked", name);
    QTest::mouseClick(button, Qt::LeftButton);
}

DBEdit* valueBox(Tfpagar& window) {
    return window.findChild<DBEdit*>(QStringLiteral("DBEdit3"));
}

// One bill through the window: "Nova Saída", its value and reference, "Gravar".
void storeNewBill(Tfpagar& window, const QString& value) {
    click(&window, "btnnovo");
    valueBox(window)->typeText(value);
    window.ledger()->fieldByName("Fantasia").setAsString("ALUGUEL");
    click(&window, "btngravar");
}

// Waits until every user has come this far, so that their stores do run at the same time.
void meetTheOthers(const QString& folder, const QString& me, int users) {
    QFile(QDir(folder).filePath("pronto-" + me)).open(QIODevice::WriteOnly);
    for (int waited = 0; waited < 30000; waited += 5) {
        if (QDir(folder).entryList({"pronto-*"}).size() >= users) return;
        QThread::msleep(5);
    }
    qFatal("the other user never came");
}

// The same statement applied: bill `key` settled by its debit, and a fee made an entry. Exits 0 when applied,
// 3 when refused as applied already.
int applyStatement(const QString& folder, qint64 key) {
    const auto line = [](const char* id, const char* memo, qint64 centavos) {
        return Ofx::Transaction{QDate(2025, 3, 10), memo, Money::fromCentavos(centavos), id, id, "BRL"};
    };
    meetTheOthers(folder, QString::number(QCoreApplication::applicationPid()), 2);
    try {
        Conciliacao::apply("341/0001/12345", {{line("F1", "PAGTO LUZ", -15000), true, key},
                                              {line("F3", "TARIFA", -1250), true, -1}});
        return 0;
    } catch (const DataError& error) {
        fprintf(stderr, "%s\n", qPrintable(error.message()));
        return error.message().contains(QStringLiteral("já foi aplicado")) ? 3 : 1;
    }
}

// The other user's program. Exits 0 when every store was told "Despesa Salva com sucesso!".
int otherUser(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString what = QString::fromLocal8Bit(argv[3]);
    const int count = argc > 4 ? atoi(argv[4]) : 1;
    ProgramFolder::set(folder);
    Clock::set(kNow);
    defineStandardDatabases(folder);
    Session::instance().addPassword(kSessionPassword);
    if (what == QLatin1String("conciliar")) return applyStatement(folder, count);
    ScriptedDialogs dialogs;
    Tfpagar window;
    if (what == QLatin1String("guardar")) {
        meetTheOthers(folder, QString::number(QCoreApplication::applicationPid()), 2);
        for (int i = 0; i < count; ++i)
            storeNewBill(window, QString::number(i + 1));
    } else {  // "alterar": the value of bill 1 becomes the count
        if (!window.ledger()->locate("Codigo", 1)) qFatal("no bill 1");
        valueBox(window)->typeText(QString::number(count));
        click(&window, "btngravar");
    }
    for (const auto& call : dialogs.calls)
        if (call.kind != QLatin1String("confirmed")) {
            fprintf(stderr, "%s: %s\n", qPrintable(call.kind), qPrintable(call.text));
            return 1;
        }
    return 0;
}

}  // namespace

class TwoUsersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> fixture_;

    QProcess* startUser(const QStringList& what) {
        auto* process = new QProcess(this);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QCoreApplication::applicationFilePath(),
                       QStringList{"--usuario", fixture_->data.programFolder()} + what);
        return process;
    }
    static void finishes(QProcess* process) {
        QVERIFY(process->waitForFinished(120000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
    }
    static qint64 number(const QString& sql) {
        Statement statement(Session::instance().database(kAliasVantejaVs2).connection(), sql);
        return statement.step() ? statement.int64(0) : -1;
    }

private slots:
    void init() { fixture_ = std::make_unique<WindowFixture>(kNow); }
    void cleanup() { fixture_.reset(); }

    // Both press "Nova Saída" and "Gravar" 200 times, at the same time: 400 bills, 400 numbers.
    void numberingAtOnce() {
        QProcess* first = startUser({"guardar", "200"});
        QProcess* second = startUser({"guardar", "200"});
        finishes(first);
        finishes(second);
        QCOMPARE(number("SELECT count(*) FROM \"tbpagar\""), 400);
        QCOMPARE(number("SELECT count(DISTINCT \"Codigo\") FROM \"tbpagar\""), 400);
        QCOMPARE(number("SELECT max(\"Codigo\") FROM \"tbpagar\""), 400);
    }

    // The same bill changed by both: the one who stores second is told so, keeps what was typed, and sees
    // the other's value on cancelling; nothing of either is overwritten unseen.
    void sameBillChangedByBoth() {
        addRow("tbpagar", {{"Codigo", 1}, {"Fantasia", "LUZ"}, {"Valordocumento", 10.0}});
        Tfpagar window;
        QVERIFY(window.ledger()->locate("Codigo", 1));
        valueBox(window)->typeText("20");
        finishes(startUser({"alterar", "30"}));
        click(&window, "btngravar");
        QCOMPARE(fixture_->dialogs.kinds(), QStringList{"error"});
        QVERIFY(fixture_->dialogs.lastText().startsWith("Este registro foi alterado por outro usuário."));
        QCOMPARE(window.ledger()->state(), Dataset::State::Edit);
        QCOMPARE(valueBox(window)->text(), QString("20"));
        QCOMPARE(number("SELECT \"Valordocumento\" FROM \"tbpagar\""), 30);
        click(&window, "btncancelar");
        QCOMPARE(valueBox(window)->text(), QString("30,00"));
    }

    // Both apply the same statement at the same moment: one applies it, the other is told it was applied;
    // the bill is settled once and the fee makes one entry.
    void sameStatementAppliedByBoth() {
        const qint64 light = addRow("tbpagar", {{"Codigo", 1},
                                                {"Fantasia", "LUZ"},
                                                {"Valordocumento", 150.0},
                                                {"DataVencimento", QDate(2025, 3, 10)}});
        QList<QProcess*> users = {startUser({"conciliar", QString::number(light)}),
                                  startUser({"conciliar", QString::number(light)})};
        QList<int> exits;
        for (QProcess* user : users) {
            QVERIFY(user->waitForFinished(120000));
            exits << user->exitCode();
        }
        std::sort(exits.begin(), exits.end());
        QCOMPARE(exits, QList<int>({0, 3}));
        QCOMPARE(number("SELECT count(*) FROM \"tbpagar\""), 2);
        QCOMPARE(number("SELECT count(*) FROM \"tbpagar\" WHERE \"DataPagamento\" IS NOT NULL"), 2);
    }

    // A bill the other user stores shows in this user's open window, with its totals, without a click.
    void othersBillShows() {
        addRow("tbpagar", {{"Codigo", 1},
                           {"Fantasia", "LUZ"},
                           {"Valordocumento", 10.0},
                           {"DataVencimento", QDate(2025, 3, 10)}});
        Tfpagar window;
        window.show();
        QCOMPARE(window.ledger()->recordCount(), 1);
        QCOMPARE(window.findChild<QLabel*>("Ltotal_aviso")->text(), QString("Total: 10,00"));
        QFile(QDir(fixture_->data.programFolder()).filePath("pronto-teste")).open(QIODevice::WriteOnly);
        finishes(startUser({"guardar", "1"}));
        {
            // Not under a message box waiting for an answer, though: only after it.
            const HoldOthersStores box;
            QTest::qWait(1500);
            QCOMPARE(window.ledger()->recordCount(), 1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(window.ledger()->recordCount(), 2, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(window.findChild<QLabel*>("Ltotal_aviso")->text(), QString("Total: 11,00"),
                                  10000);
        QCOMPARE(window.findChild<QLabel*>("Panel9")->text(), QString("Total: 11,00"));
    }
};

int main(int argc, char** argv) {
    if (argc > 3 && qstrcmp(argv[1], "--usuario") == 0) return otherUser(argc, argv);
    QApplication app(argc, argv);
    TwoUsersTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_twousers.moc"
