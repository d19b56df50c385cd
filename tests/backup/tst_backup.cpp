#include <sqlite3.h>

#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLockFile>
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
#include "BooksFolder.h"
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

#ifdef Q_OS_LINUX
// While it lives, files this process (and a child it starts) writes may not grow past 16 KB: the system
// refuses such a write as a file too large.
struct SmallFileLimit {
    SmallFileLimit() {
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit small = before;
        small.rlim_cur = 16384;
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~SmallFileLimit() { setrlimit(RLIMIT_FSIZE, &before); }
    rlimit before{};
};
#endif

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
        QTest::newRow("books on a server") << "server" << QString::fromUtf8("copie-os com pg_dump");
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
        if (kind == "server") {
            QFile address(QDir(data_->dataFolder()).filePath(kConnectionFileName));
            QVERIFY(address.open(QIODevice::WriteOnly));
            address.write("endereco=postgresql://vanteja@servidor:5432/vanteja\n");
        }
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
            const SmallFileLimit limit;
            result = Backups::make(data_->dataFile(), backups(), kNow);
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

    // "Alterar..." asks for the folder from the one in use; a cancelled choice changes nothing.
    void windowChangesTheFolder() {
        QTemporaryDir chosen;
        TFBackup window;
        const QString before = window.EditPasta->text();
        dialogs_->answer(QVariant());
        QTest::mouseClick(window.BtnPasta, Qt::LeftButton);
        QCOMPARE(window.EditPasta->text(), before);
        dialogs_->answer(chosen.path());
        QTest::mouseClick(window.BtnPasta, Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList({"chooseFolder", "chooseFolder"}));
        QCOMPARE(dialogs_->calls.last().caption, QString::fromUtf8("Pasta das cópias de segurança"));
        QCOMPARE(QDir::toNativeSeparators(dialogs_->calls.last().text), before);
        QCOMPARE(window.EditPasta->text(), QDir::toNativeSeparators(chosen.path()));
        Backups::rememberFolder(QString());
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
        const QString program = copyProgram();
        QVERIFY(QFileInfo::exists(program));
        Session::instance().clear();
        QProcess backup;
        backup.setProcessEnvironment(programEnvironment());

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

    // What copies stopped half-way left is removed when a copy starts and when the window lists the copies,
    // unless a running copy holds it or it was written after the start; it never counts among the copies.
    void stalePartialCopies_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("byWindow");
        QTest::addColumn<bool>("removed");
        for (bool byWindow : {false, true}) {
            const char* who = byWindow ? "window" : "copy";
            QTest::addRow("%s: left behind", who) << "old" << byWindow << true;
            QTest::addRow("%s: held by a running copy", who) << "held" << byWindow << false;
            QTest::addRow("%s: written after the start", who) << "new" << byWindow << false;
        }
    }
    void stalePartialCopies() {
        QFETCH(QString, kind);
        QFETCH(bool, byWindow);
        QFETCH(bool, removed);
        Session::instance().clear();
        const QString partial = QDir(backups()).filePath("Vanteja-2026-12-08_10-00-00.sqlite.parcial");
        const QStringList leftovers{partial, partial + "-journal"};
        const QDateTime written = QDateTime::currentDateTime().addSecs(kind == "new" ? 3600 : -3600);
        for (const QString& file : leftovers) {
            writeFile(file);
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(written, QFileDevice::FileModificationTime));
        }
        QLockFile running(partial + ".lock");
        if (kind == "held") QVERIFY(running.tryLock(0));
        QStringList copies;
        if (byWindow) {
            TFBackup window;
            QCOMPARE(window.ListaCopias->topLevelItemCount(), 0);
        } else {
            const Backups::Result result = Backups::make(data_->dataFile(), backups(), kNow);
            QVERIFY2(result.ok, qPrintable(result.error));
            copies << QFileInfo(result.path).fileName();
            QCOMPARE(Backups::list(backups()).size(), 1);
        }
        QStringList expected = copies;
        if (!removed) expected << QFileInfo(partial).fileName() << QFileInfo(partial).fileName() + "-journal";
        if (kind == "held") expected << QFileInfo(partial).fileName() + ".lock";
        expected.sort();
        QCOMPARE(QDir(backups()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    }

    void causes_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QString>("cause");
        QTest::newRow("full") << SQLITE_FULL << 0 << QString::fromUtf8("o disco está cheio");
        QTest::newRow("unknown") << SQLITE_ERROR << 0 << QString::fromUtf8("erro do banco de dados");
        QTest::newRow("busy") << SQLITE_BUSY << 0 << QString::fromUtf8("ocupado por outro programa");
        QTest::newRow("not data") << SQLITE_NOTADB << 0 << QString::fromUtf8("o arquivo está danificado");
        QTest::newRow("read-only file") << SQLITE_READONLY << 0 << QString::fromUtf8("não aceita gravação");
        QTest::newRow("refused") << SQLITE_AUTH << 0 << QString::fromUtf8("sem permissão de acesso");
        QTest::newRow("too large") << SQLITE_TOOBIG << 0
                                   << QString::fromUtf8("maior do que o sistema permite");
#ifndef Q_OS_WIN
        QTest::newRow("no space left")
            << SQLITE_IOERR_WRITE << ENOSPC << QString::fromUtf8("o disco está cheio");
        QTest::newRow("read-only file system")
            << SQLITE_IOERR_WRITE << EROFS << QString::fromUtf8("o disco só permite leitura");
        QTest::newRow("no access") << SQLITE_CANTOPEN << EACCES << QString::fromUtf8("sem permissão");
        QTest::newRow("system error without a cause of its own")
            << SQLITE_IOERR_READ << EBADF << QString::fromUtf8("erro de leitura ou gravação");
#endif
    }
    void causes() {
        QFETCH(int, code);
        QFETCH(int, systemError);
        QFETCH(QString, cause);
        QVERIFY2(Backups::causeOf(code, systemError).contains(cause),
                 qPrintable(Backups::causeOf(code, systemError)));
    }

#ifdef Q_OS_LINUX
    // A real "Backup --agora" killed half-way leaves its partial copy, which the next copy clears away.
    void killedCopyIsCleared() {
        const QString program = copyProgram();
        Session::instance().clear();
        QString partial;
        for (int attempt = 0, megabytes = 64; attempt < 3 && partial.isEmpty(); ++attempt, megabytes *= 2) {
            grow(megabytes);
            QProcess backup;
            backup.setProcessEnvironment(programEnvironment());
            backup.start(program, {"--agora"});
            QVERIFY(backup.waitForStarted(30000));
            while (backup.state() != QProcess::NotRunning) {
                const QFileInfoList found =
                    QDir(backups()).entryInfoList({"*.parcial"}, QDir::Files, QDir::Size);
                if (!found.isEmpty() && found.first().size() > 0) {
                    backup.kill();
                    partial = found.first().absoluteFilePath();
                    break;
                }
                backup.waitForFinished(1);
            }
            QVERIFY(backup.waitForFinished(30000));
            if (backup.exitStatus() != QProcess::CrashExit) partial.clear();  // it ended before the kill
        }
        if (partial.isEmpty()) QSKIP("every copy ended before it could be stopped");
        QVERIFY(QFileInfo::exists(partial));
        const Backups::Result next = Backups::make(data_->dataFile(), backups(), kNow);
        QVERIFY2(next.ok, qPrintable(next.error));
        QCOMPARE(QDir(backups()).entryList({"*.parcial*"}, QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(Backups::list(backups()).size(),
                 QDir(backups()).entryList(QDir::Files | QDir::Hidden).size());
    }

    // "Backup --agora" says why a copy failed in Portuguese, the system's words only in brackets.
    void copyNowSaysWhyInPortuguese() {
        const QString program = copyProgram();
        Session::instance().clear();
        QProcess backup;
        backup.setProcessEnvironment(programEnvironment());
        bool started = false;
        {
            const SmallFileLimit limit;  // taken over by the child
            backup.start(program, {"--agora"});
            started = backup.waitForStarted(30000);
        }
        QVERIFY(started);
        QVERIFY(backup.waitForFinished(30000));
        QCOMPARE(backup.exitCode(), 1);
        const QString said = QString::fromUtf8(backup.readAllStandardError());
        static const QRegularExpression sentence(QString::fromUtf8(
            "^Backup: não foi possível fazer a cópia de segurança: o arquivo ficou maior do que o sistema "
            "permite \\([^()]+\\)\\.\\n$"));
        QVERIFY2(sentence.match(said).hasMatch(), qPrintable(said));
    }
#endif

    // Where the books are found: beside a program that has its own "Dados", else in the user's data folder,
    // made from the installed template on the first start; the copies follow them.
    void booksFolder_data() {
        QTest::addColumn<bool>("beside");
        QTest::addColumn<bool>("hasTemplate");
        QTest::addColumn<bool>("userHasBooks");
        QTest::addColumn<bool>("made");
        QTest::newRow("portable copy") << true << true << false << false;
        QTest::newRow("installed, first start") << false << true << false << true;
        QTest::newRow("installed, books kept") << false << true << true << false;
        QTest::newRow("lone program file") << false << false << false << false;
    }
    void booksFolder() {
        QFETCH(bool, beside);
        QFETCH(bool, hasTemplate);
        QFETCH(bool, userHasBooks);
        QFETCH(bool, made);
        QTemporaryDir prefix;
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", prefix.filePath("home").toUtf8());
        const auto restoreHome = qScopeGuard([&] { qputenv("HOME", home); });
        const QString bin = prefix.filePath("bin");
        QVERIFY(QDir().mkpath(bin));
        ProgramFolder::set(bin);
        if (beside) writeDataFolder(dataFolderFor(bin));
        const QString model = prefix.filePath("share/vanteja/Dados");
        if (hasTemplate) {
            writeDataFolder(model);
            QFile::setPermissions(QDir(model).filePath(kDataFileName), QFileDevice::ReadOwner);
        }
        const QString userBooks = QDir(dataFolderFor(BooksFolder::userFolder())).filePath(kDataFileName);
        if (userHasBooks) {
            QVERIFY(QDir().mkpath(QFileInfo(userBooks).path()));
            QFile::copy(QDir(model).filePath(kDataFileName), userBooks);
            QFile::setPermissions(userBooks, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            Session::instance().clear();
            defineStandardDatabases(BooksFolder::userFolder());
            addBills(1, "GUARDADA");
            Session::instance().clear();
        }

        const BooksFolder::FirstStart start = BooksFolder::prepare();
        const bool installed = !beside && hasTemplate;
        QCOMPARE(start.made, made);
        QCOMPARE(start.error, QString());
        QCOMPARE(BooksFolder::installed(), installed);
        QCOMPARE(BooksFolder::path(), installed ? BooksFolder::userFolder() : bin);
        QCOMPARE(BooksFolder::settings("Backup")->fileName().startsWith(bin), beside);
        if (!beside && !installed) {
            QVERIFY(!QFileInfo::exists(BooksFolder::userFolder()));
            return;
        }
        if (made) {
            QCOMPARE(QFile::permissions(QFileInfo(userBooks).path()) & 0x7777,
                     QFileDevice::Permissions(0x7700));
            QCOMPARE(QFile::permissions(userBooks) & 0x7777, QFileDevice::Permissions(0x6600));
        }
        if (!beside) QCOMPARE(billNames(userBooks).size(), userHasBooks ? 1 : 0);
        const Backups::Result copy =
            Backups::make(Backups::dataFile(BooksFolder::path()), Backups::folder(BooksFolder::path()), kNow);
        QVERIFY2(copy.ok, qPrintable(copy.error));
        QCOMPARE(QFileInfo(copy.path).path(), QDir(BooksFolder::path()).filePath("Backups"));
    }

private:
    QString copyProgram() const {
        const QString program = QDir(data_->programFolder()).filePath("Backup");
        if (!QFileInfo::exists(program)) QFile::copy(QStringLiteral(BACKUP_PROGRAM), program);
        return program;
    }
    QProcessEnvironment programEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", data_->programFolder());
        environment.insert("XDG_CONFIG_HOME", data_->programFolder());
        environment.remove("DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        return environment;
    }
    // Adds this many megabytes to the data file, in one picture of the logo table.
    void grow(int megabytes) const {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open_v2(data_->dataFile().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                 SQLITE_OK);
        const QByteArray sql = "INSERT INTO logo (Logo) VALUES (zeroblob(" +
                               QByteArray::number(qint64(megabytes) << 20) +
                               ")); PRAGMA wal_checkpoint(TRUNCATE);";
        const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QCOMPARE(rc, SQLITE_OK);
    }

    static void writeFile(const QString& path) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not ours");
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
