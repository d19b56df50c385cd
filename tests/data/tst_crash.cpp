// A process storing records through a view, killed at random moments: the data file stays whole and every
// record whose store was confirmed is there, once.
//   tst_crash --store PROGRAM_FOLDER   (the storing process)

#include <sqlite3.h>

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <cstdio>

#include "Numbering.h"
#include "TempData.h"

namespace {

// Stores numbered records one after another, telling each number once its store returned, until killed.
int storeUntilKilled(const QString& programFolder) {
    defineStandardDatabases(programFolder);
    Table view(kAliasVantejaVs2, "tbpagar");
    view.open();
    for (;;) {
        const int number = numberNewRecord(view);
        view.fieldByName("Nome").setValue(QStringLiteral("CREDOR %1").arg(number));
        view.fieldByName("Valordocumento").setValue(number);
        view.post();
        std::printf("%d\n", number);
        std::fflush(stdout);
    }
}

}  // namespace

class CrashTest : public QObject {
    Q_OBJECT

private slots:
    void killedWhileStoring() {
        TempData data;
        QList<int> confirmed;
        for (int round = 0; round < 5; ++round) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"--store", data.programFolder()});
            // Killed once it has confirmed a random number of stores: somewhere in the store that follows.
            const int stores = QRandomGenerator::global()->bounded(1, 40);
            QByteArray told;
            while (told.count('\n') < stores) {
                QVERIFY(child.waitForReadyRead(20000));
                told += child.readAllStandardOutput();
            }
            child.kill();
            QVERIFY(child.waitForFinished(20000));
            told += child.readAllStandardOutput();
            for (const QByteArray& line : told.split('\n'))
                if (!line.isEmpty()) confirmed << line.toInt();

            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(data.dataFile().toUtf8().constData(), &db), SQLITE_OK);
            sqlite3_stmt* check = nullptr;
            sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
            QCOMPARE(sqlite3_step(check), SQLITE_ROW);
            const QString verdict =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
            sqlite3_finalize(check);
            sqlite3_prepare_v2(db, "SELECT count(*) FROM tbpagar WHERE Codigo = ?", -1, &check, nullptr);
            QList<int> missing;
            for (int number : confirmed) {
                sqlite3_bind_int(check, 1, number);
                if (sqlite3_step(check) != SQLITE_ROW || sqlite3_column_int(check, 0) != 1) missing << number;
                sqlite3_reset(check);
            }
            sqlite3_finalize(check);
            sqlite3_close(db);
            QCOMPARE(verdict, QString("ok"));
            QVERIFY2(missing.isEmpty(),
                     qPrintable(QStringLiteral("round %1: %2 of %3 confirmed records missing")
                                    .arg(round)
                                    .arg(missing.size())
                                    .arg(confirmed.size())));
        }
        QVERIFY(confirmed.size() >= 5);
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--store") == 0) {
        QCoreApplication app(argc, argv);
        return storeUntilKilled(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    CrashTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
