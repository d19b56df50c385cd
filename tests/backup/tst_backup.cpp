#include <sqlite3.h>

#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <csignal>
#endif

#include "BackupCopies.h"
#include "Clock.h"
#include "ScriptedDialogs.h"
#include "TempData.h"
#include "U_Backup.h"
#include "UnwritableFolder.h"

namespace {

const QDateTime kNow(QDate(2026, 12, 9), QTime(14, 30, 5));

void addBills(int count, const QString& prefix) {
    Table view(kAliasVantejaVs2, "tbpagar");
    view.open();
    for (int i = 0; i < count; ++i) {
        view.append();
        view.fieldByName("Nome").setValue(QStringLiteral("%1 %2").arg(prefix).arg(i));
        view.fieldByName("Observacoes").setValue(QString(200, QLatin1Char('x')));
        view.post();
    }
}

// The names in tbpagar of a data file, in order.
QStringList billNames(const QString& file) {
    sqlite3* db = nullptr;
    QStringList names;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT Nome FROM tbpagar ORDER BY Chave", -1, &statement, nullptr) ==
        SQLITE_OK)
        while (sqlite3_step(statement) == SQLITE_ROW)
            names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return names;
}

void overwrite(const QString& file, qint64 offset, const QByteArray& bytes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    f.seek(offset);
    f.write(bytes);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

class TestBackup : public QObject {
    Q_OBJECT

    std::unique_ptr<TempData> data_;
    std::unique_ptr<ScriptedDialogs> dialogs_;

    QString backups() const { return Backups::defaultFolder(data_->programFolder()); }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        data_ = std::make_unique<TempData>();
        ProgramFolder::set(data_->programFolder());
        Backups::rememberFolder(QString());
        dialogs_ = std::make_unique<ScriptedDialogs>();
        addBills(300, "ANTES");
    }
    void cleanup() {
        dialogs_.reset();
        Session::instance().clear();
        ProgramFolder::set(QString());
        data_.reset();
    }

    // With a view open on the ledger, as in the running program.
    void copyIsCompleteCheckedAndPrivate() {
        Table open(kAliasVantejaVs2, "tbpagar");
        open.open();
        open.last();
        const Backups::Result result = Backups::make(data_->dataFile(), backups(), kNow);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(QFileInfo(result.path).fileName(), QString("Vanteja-2026-12-09_14-30-05.sqlite"));
        QCOMPARE(billNames(result.path), billNames(data_->dataFile()));
        QCOMPARE(Backups::integrity(result.path), QString("ok"));
        QCOMPARE(QFile::permissions(result.path) & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(QDir(backups()).entryList(QDir::Files), QStringList{QFileInfo(result.path).fileName()});
    }

    void keepsTheNewestThirty() {
        writeFile(QDir(backups()).filePath("outra coisa.sqlite"));
        for (int minute = 0; minute < 32; ++minute)
            QVERIFY(Backups::make(data_->dataFile(), backups(), kNow.addSecs(60 * minute)).ok);
        const Backups::Result sameSecond = Backups::make(data_->dataFile(), backups(), kNow.addSecs(60 * 31));
        QVERIFY(sameSecond.ok);
        QCOMPARE(QFileInfo(sameSecond.path).fileName(), QString("Vanteja-2026-12-09_15-01-05-2.sqlite"));
        const QList<Backups::Copy> copies = Backups::list(backups());
        QCOMPARE(copies.size(), Backups::kKept);
        QCOMPARE(copies.first().path, sameSecond.path);
        QCOMPARE(copies.last().made, kNow.addSecs(60 * 3));
        QVERIFY(copies.first().size > 0);
        QVERIFY(QFileInfo::exists(QDir(backups()).filePath("outra coisa.sqlite")));
    }

    void refusedCopies_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("cause");
        QTest::newRow("damaged tables") << "damaged" << QString::fromUtf8("está danificado");
        QTest::newRow("not a database") << "garbage" << QString::fromUtf8("está danificado");
        QTest::newRow("no data file") << "missing" << QString::fromUtf8("não existe");
        QTest::newRow("empty data file") << "empty" << QString::fromUtf8("está vazio (0 bytes)");
        QTest::newRow("folder in place of the data file") << "folder" << QString::fromUtf8("há uma pasta");
        QTest::newRow("folder not writable")
            << "readonly" << QString::fromUtf8("não é possível gravar na pasta");
#ifdef Q_OS_LINUX
        QTest::newRow("folder full") << "full" << QString();
#endif
    }
    void refusedCopies() {
        QFETCH(QString, kind);
        QFETCH(QString, cause);
        Session::instance().clear();  // the program's own connection goes
        QVERIFY(QDir().mkpath(backups()));
        if (kind == "damaged") overwrite(data_->dataFile(), 4096 * 6, QByteArray(4096 * 4, '\x5a'));
        if (kind == "garbage") overwrite(data_->dataFile(), 0, QByteArray(100, '\x01'));
        if (kind == "missing") QFile::remove(data_->dataFile());
        if (kind == "empty") QVERIFY(QFile::resize(data_->dataFile(), 0));
        if (kind == "folder") QVERIFY(QFile::remove(data_->dataFile()) && QDir().mkpath(data_->dataFile()));
        std::unique_ptr<UnwritableFolder> unwritable;
        if (kind == "readonly") {
            QFile::setPermissions(data_->programFolder(), QFile::permissions(data_->programFolder()) |
                                                              QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                                              QFileDevice::ReadOther | QFileDevice::ExeOther);
            // The stand-in user must still read the data, which are their owner's alone.
            const auto readable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                  QFileDevice::ReadOther;
            const auto open = QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
            QFile::setPermissions(data_->dataFolder(), readable | open);
            for (const QString& file : QDir(data_->dataFolder()).entryList(QDir::Files))
                QFile::setPermissions(QDir(data_->dataFolder()).filePath(file), readable);
            unwritable = std::make_unique<UnwritableFolder>(backups());
        }
        Backups::Result result;
#ifdef Q_OS_LINUX
        if (kind == "full") {
            rlimit before{};
            getrlimit(RLIMIT_FSIZE, &before);
            rlimit small = before;
            small.rlim_cur = 16384;
            std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &small);
            result = Backups::make(data_->dataFile(), backups(), kNow);
            setrlimit(RLIMIT_FSIZE, &before);
        }
#endif
        if (kind != "full") result = Backups::make(data_->dataFile(), backups(), kNow);
        unwritable.reset();
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(cause) && !result.error.isEmpty(), qPrintable(result.error));
        QCOMPARE(QDir(backups()).entryList(QDir::Files), QStringList());
    }

    void restoreThroughTheWindow() {
        QVERIFY(Backups::make(data_->dataFile(), backups(), kNow).ok);
        const QStringList before = billNames(data_->dataFile());
        addBills(2, "DEPOIS");
        const QStringList after = billNames(data_->dataFile());
        Session::instance().clear();
        Clock::set(kNow.addSecs(3600));

        TFBackup window;
        window.setServerName("vanteja-backup-test-none");
        QCOMPARE(window.ListaCopias->topLevelItemCount(), 1);
        QCOMPARE(window.ListaCopias->topLevelItem(0)->text(0), QString("09/12/2026 14:30:05"));
        dialogs_->answer(true);
        QTest::mouseClick(window.BtnRestaurar, Qt::LeftButton);
        Clock::set(QDateTime());
        QCOMPARE(dialogs_->kinds(), (QStringList{"confirmation", "information"}));
        QVERIFY(dialogs_->calls[0].text.contains("09/12/2026 14:30:05"));
        QCOMPARE(billNames(data_->dataFile()), before);
        // The data replaced were saved first as one more copy.
        const QList<Backups::Copy> copies = Backups::list(backups());
        QCOMPARE(copies.size(), 2);
        QCOMPARE(billNames(copies.first().path), after);
        QVERIFY(dialogs_->lastText().contains(QFileInfo(copies.first().path).fileName()));
        QCOMPARE(window.ListaCopias->topLevelItemCount(), 2);
        QCOMPARE(QFile::permissions(data_->dataFile()) & 0x7077,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QVERIFY(!QFileInfo::exists(data_->dataFile() + ".restaurando"));
        QCOMPARE(int(readAll(data_->dataFile()).at(18)), 2);  // still writing ahead to a log, as shipped
    }

    void refusedRestores_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<QString>("cause");
        QTest::newRow("Vanteja running")
            << "running" << QStringList{"error"} << QString::fromUtf8("está aberto");
        QTest::newRow("copy damaged")
            << "damaged" << QStringList{"confirmation", "error"} << QString::fromUtf8("está danificada");
        QTest::newRow("user says no") << "no" << QStringList{"confirmation"} << QString();
    }
    void refusedRestores() {
        QFETCH(QString, kind);
        QFETCH(QStringList, dialogs);
        QFETCH(QString, cause);
        const Backups::Result copy = Backups::make(data_->dataFile(), backups(), kNow);
        QVERIFY(copy.ok);
        Session::instance().clear();
        const QByteArray data = readAll(data_->dataFile());
        QLocalServer vanteja;
        TFBackup window;
        window.setServerName(
            QStringLiteral("vanteja-backup-test-%1").arg(QCoreApplication::applicationPid()));
        if (kind == "running")
            QVERIFY(vanteja.listen(
                QStringLiteral("vanteja-backup-test-%1").arg(QCoreApplication::applicationPid())));
        if (kind == "damaged") overwrite(copy.path, 4096 * 6, QByteArray(4096 * 4, '\x5a'));
        if (kind != "running") dialogs_->answer(kind != "no");
        QTest::mouseClick(window.BtnRestaurar, Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), dialogs);
        if (!cause.isEmpty())
            QVERIFY2(dialogs_->lastText().contains(cause), qPrintable(dialogs_->lastText()));
        QVERIFY(readAll(data_->dataFile()) == data);
        QCOMPARE(Backups::list(backups()).size(), 1);
    }

    // Damaged data are kept as they are, not lost, when a good copy replaces them.
    void restoreOverDamagedData() {
        const Backups::Result copy = Backups::make(data_->dataFile(), backups(), kNow);
        Session::instance().clear();
        overwrite(data_->dataFile(), 4096 * 6, QByteArray(4096 * 4, '\x5a'));
        const QByteArray damaged = readAll(data_->dataFile());
        const Backups::Result result = Backups::restore(copy.path, data_->dataFile(), backups(),
                                                        kNow.addSecs(60), "vanteja-backup-test-none");
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(QFileInfo(result.path).fileName(), QString("Vanteja-2026-12-09_14-31-05-danificado.sqlite"));
        QVERIFY(readAll(result.path) == damaged);
        QCOMPARE(Backups::integrity(data_->dataFile()), QString("ok"));
        QVERIFY(Backups::list(backups()).first().damaged);
    }

    // An empty data file holds nothing to keep and is simply replaced; a folder in its place is named.
    void restoreOverAnEmptyFileOrAFolder_data() {
        QTest::addColumn<bool>("folder");
        QTest::newRow("empty data file") << false;
        QTest::newRow("folder in its place") << true;
    }
    void restoreOverAnEmptyFileOrAFolder() {
        QFETCH(bool, folder);
        const Backups::Result copy = Backups::make(data_->dataFile(), backups(), kNow);
        Session::instance().clear();
        if (folder)
            QVERIFY(QFile::remove(data_->dataFile()) && QDir().mkpath(data_->dataFile()));
        else
            QVERIFY(QFile::resize(data_->dataFile(), 0));
        const Backups::Result result = Backups::restore(copy.path, data_->dataFile(), backups(),
                                                        kNow.addSecs(60), "vanteja-backup-test-none");
        QCOMPARE(result.ok, !folder);
        if (folder)
            QVERIFY2(result.error.contains(QString::fromUtf8("há uma pasta")), qPrintable(result.error));
        else
            QCOMPARE(Backups::integrity(data_->dataFile()), QString("ok"));
        QCOMPARE(Backups::list(backups()).size(), 1);
    }

    void windowCopiesIntoTheRememberedFolder() {
        QTemporaryDir chosen;
        Backups::rememberFolder(chosen.path());
        TFBackup window;
        QCOMPARE(window.EditPasta->text(), QDir::toNativeSeparators(chosen.path()));
        QTest::mouseClick(window.BtnBackup, Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList{"information"});
        QCOMPARE(Backups::list(chosen.path()).size(), 1);
        QCOMPARE(window.ListaCopias->topLevelItemCount(), 1);
        QVERIFY(!QDir(backups()).exists());
        QVERIFY(window.BtnBackup->isEnabled());
        Backups::rememberFolder(QString());
    }

    // The copy without a window, for a scheduled task: the program in a folder of its own.
    void copyNowWithoutWindow() {
        const QString program = QDir(data_->programFolder()).filePath("Backup");
        QVERIFY(QFile::copy(QStringLiteral(BACKUP_PROGRAM), program));
        Session::instance().clear();
        QProcess backup;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", data_->programFolder());
        environment.insert("XDG_CONFIG_HOME", data_->programFolder());
        environment.remove("DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        backup.setProcessEnvironment(environment);

        backup.start(program, {"--agora"});
        QVERIFY(backup.waitForFinished(30000));
        QCOMPARE(backup.exitCode(), 0);
        const QString made = QString::fromUtf8(backup.readAllStandardOutput()).trimmed();
        QCOMPARE(QFileInfo(made).absolutePath(), QFileInfo(backups()).absoluteFilePath());
        QCOMPARE(Backups::integrity(made), QString("ok"));

        overwrite(data_->dataFile(), 0, QByteArray(100, '\x01'));
        backup.start(program, {"--agora"});
        QVERIFY(backup.waitForFinished(30000));
        QCOMPARE(backup.exitCode(), 1);
        QVERIFY(QString::fromUtf8(backup.readAllStandardError()).contains(QString::fromUtf8("danificado")));

        backup.start(program, {"--depois"});
        QVERIFY(backup.waitForFinished(30000));
        QCOMPARE(backup.exitCode(), 2);
        QCOMPARE(Backups::list(backups()).size(), 1);
    }

private:
    static void writeFile(const QString& path) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not ours");
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
