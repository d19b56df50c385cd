// The server switched off while a bill is being typed, and on again: a server of the test's own, since the
// shared one serves other tests meanwhile.

#include <QProcess>
#include <QtTest>

#include "DataControls.h"
#include "Unpagar.h"
#include "WindowFixture.h"

class ServerAwayTest : public QObject {
    Q_OBJECT

    QString dir_ =
        QDir::temp().filePath(QStringLiteral("vanteja-away-%1").arg(QCoreApplication::applicationPid()));

    void cluster(const QString& action) {
        QProcess script;
        script.setProcessChannelMode(QProcess::ForwardedChannels);
        script.start(QStringLiteral("bash"), {QStringLiteral(VANTEJA_CLUSTER_SCRIPT), action, dir_});
        QVERIFY(script.waitForFinished(180000));
        QVERIFY2(script.exitCode() == 0, qPrintable("pg-cluster.sh " + action));
    }
    static void click(QWidget* window, const char* name) {
        QTest::mouseClick(window->findChild<QWidget*>(QString::fromLatin1(name)), Qt::LeftButton);
    }

private slots:
    void initTestCase() {
        cluster("start");
        qputenv("VANTEJA_ENGINE", "postgres");
        qputenv("VANTEJA_PG_DIR", dir_.toUtf8());
        qputenv("PGPASSFILE", QDir(dir_).filePath("pgpass").toUtf8());
    }
    void cleanupTestCase() { cluster("stop"); }

    void billTypedWhileAway() {
        WindowFixture fixture;
        Tfpagar window;
        click(&window, "btnnovo");
        DBEdit* value = window.findChild<DBEdit*>("DBEdit3");
        value->typeText("75,5");
        window.ledger()->fieldByName("Fantasia").setAsString("ALUGUEL");

        cluster("pause");
        for (int attempt = 0; attempt < 2; ++attempt) {
            click(&window, "btngravar");
            QCOMPARE(fixture.dialogs.calls.size(), attempt + 1);
            QCOMPARE(fixture.dialogs.calls.last().kind, QString("error"));
            QVERIFY2(fixture.dialogs.lastText().startsWith(
                         "Não foi possível falar com o servidor de dados 127.0.0.1:"),
                     qPrintable(fixture.dialogs.lastText()));
            QCOMPARE(window.ledger()->state(), Dataset::State::Insert);
            QCOMPARE(value->text(), QString("75,5"));
            QCOMPARE(window.ledger()->fieldByName("Fantasia").asString(), QString("ALUGUEL"));
        }

        cluster("resume");
        click(&window, "btngravar");
        QCOMPARE(fixture.dialogs.kinds().last(), QString("confirmed"));
        QCOMPARE(window.ledger()->state(), Dataset::State::Browse);
        Table stored(kAliasVantejaVs2, "tbpagar");
        stored.open();
        QCOMPARE(stored.recordCount(), 1);
        QCOMPARE(stored.fieldByName("Valordocumento").asFloat(), 75.5);
    }
};

QTEST_MAIN(ServerAwayTest)
#include "tst_serveraway.moc"
