#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "Clock.h"
#include "LocalHttpServer.h"
#include "Programs.h"
#include "ScriptedDialogs.h"
#include "Unit_Atualizar.h"
#include "UnwritableFolder.h"

namespace {

const QString kPath = QStringLiteral("/softatualizar/VantejaVsID/Vanteja.exe");
const QByteArray kOldProgram = "#!/bin/sh\n# the program as installed\n";

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(size);
    for (char& c : bytes)
        c = char(generator.bounded(256));
    return bytes;
}

// A program file for this computer: the start of this test program, then random bytes.
QByteArray programBytes(qsizetype size) {
    QFile self(QCoreApplication::applicationFilePath());
    if (!self.open(QIODevice::ReadOnly)) return QByteArray();
    const QByteArray head = self.read(4096);
    return head + randomBytes(size - head.size());
}

// The first bytes of an ELF file: 64-bit or not, its type and its processor.
QByteArray elfHead(bool wide, quint16 type, quint16 machine) {
    QByteArray head(64, 0);
    head.replace(0, 4,
                 "\x7f"
                 "ELF");
    head[4] = wide ? 2 : 1;
    head[5] = 1;  // little-endian
    head[6] = 1;
    head[16] = char(type);
    head[18] = char(machine & 0xff);
    head[19] = char(machine >> 8);
    return head;
}

// The first bytes of a Windows file: "MZ", and where it points "PE\0\0", the processor and the kind of image.
QByteArray peHead(quint16 machine, quint16 characteristics) {
    QByteArray head(0x200, 0);
    head.replace(0, 2, "MZ");
    head[0x3c] = char(0x80);
    head.replace(0x80, 4, QByteArray("PE\0\0", 4));
    head[0x84] = char(machine & 0xff);
    head[0x85] = char(machine >> 8);
    head[0x96] = char(characteristics & 0xff);
    head[0x97] = char(characteristics >> 8);
    return head;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    if (executable) file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

QByteArray sha256Line(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + "  Vanteja.exe\n";
}

// A port on which nothing listens.
quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

// Stands in for a running Vanteja: takes the close request, and ends (drops the connection) when told to.
class FakeMainProgram {
public:
    explicit FakeMainProgram(bool endsOnRequest)
        : name_(QStringLiteral("vanteja-updater-test-%1").arg(QCoreApplication::applicationPid())) {
        QLocalServer::removeServer(name_);
        server_.listen(name_);
        QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this, endsOnRequest] {
            QLocalSocket* socket = server_.nextPendingConnection();
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket, endsOnRequest] {
                received_ += socket->readAll();
                if (endsOnRequest) socket->disconnectFromServer();
            });
        });
    }
    QString name() const { return name_; }
    QByteArray received() const { return received_; }

private:
    QString name_;
    QLocalServer server_;
    QByteArray received_;
};

}  // namespace

class TestUpdater : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<TFatualizar> window_;
    std::unique_ptr<LocalHttpServer> http_;
    QStringList labels_;  // every text the status label showed during the last update

    QString target() const { return folder_->filePath(Programs::executableName("Vanteja")); }

    // Clicks "Atualizar Agora" and waits for the end of the update.
    bool update() {
        labels_.clear();
        QSignalSpy ended(window_.get(), &TFatualizar::updateEnded);
        QTest::mouseClick(window_->BtnAtualizar, Qt::LeftButton);
        if (window_->updater())
            connect(window_->updater(), &Updater::progress, this,
                    [this] { labels_ << window_->Label1->text(); });
        if (ended.isEmpty() && !ended.wait(20000)) return false;
        return ended.first().first().toBool();
    }

    // Nothing but the program file (and its kept copy) is left in the folder.
    QStringList leftovers() const {
        QStringList names = QDir(folder_->path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QFileInfo(target()).fileName());
        names.removeAll(QFileInfo(target()).fileName() + ".anterior");
        return names;
    }

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        QFile::setPermissions(folder_->path(), QFile::permissions(folder_->path()) | QFileDevice::ReadGroup |
                                                   QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                   QFileDevice::ExeOther);
        ProgramFolder::set(folder_->path());
        writeFile(target(), kOldProgram, true);
        dialogs_ = std::make_unique<ScriptedDialogs>();
        http_ = std::make_unique<LocalHttpServer>();
        window_ = std::make_unique<TFatualizar>();
        window_->options().url = http_->url(kPath);
        window_->options().serverName = QStringLiteral("vanteja-updater-test-none");
        window_->show();
    }
    void cleanup() {
        window_.reset();
        http_.reset();
        dialogs_.reset();
        ProgramFolder::set(QString());
        folder_.reset();
    }

    void byteCounts_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero gives no digits") << qint64(0) << "";
        QTest::newRow("units") << qint64(7) << "7";
        QTest::newRow("thousands") << qint64(1000) << "1.000";
        QTest::newRow("millions") << qint64(1234567) << "1.234.567";
        QTest::newRow("past 4 GB") << qint64(5000000000) << "5.000.000.000";
    }
    void byteCounts() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(byteCount(bytes), text);
        QCOMPARE(progressText(bytes, bytes), "Baixando: " + text + " de " + text + " total de bytes");
    }

    // What passes for a program of each kind of computer.
    void programsOnly_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QString>("cause");  // empty: a program
        const quint16 x64 = 62, arm64 = 183, pe64 = 0x8664;
        QTest::newRow("ELF executable") << elfHead(true, 2, x64) << false << "";
        QTest::newRow("ELF placed anywhere (PIE)") << elfHead(true, 3, x64) << false << "";
        QTest::newRow("ELF for ARM") << elfHead(true, 2, arm64) << false << "outro tipo de processador";
        QTest::newRow("ELF object file")
            << elfHead(true, 1, x64) << false << QString::fromUtf8("não é um programa executável");
        QTest::newRow("Windows program here") << peHead(pe64, 0x22) << false << "programa para Windows";
        QTest::newRow("Windows program") << peHead(pe64, 0x22) << true << "";
        QTest::newRow("Windows DLL") << peHead(pe64, 0x2022) << true
                                     << QString::fromUtf8("não é um programa executável");
        QTest::newRow("DOS program") << QByteArray("MZ") + QByteArray(200, 0) << true
                                     << QString::fromUtf8("não é um programa");
        QTest::newRow("Linux program on Windows") << elfHead(true, 2, x64) << true << "programa para Linux";
        QTest::newRow("HTML page") << QByteArray("\xef\xbb\xbf  <html><body>404</body></html>") << false
                                   << QString::fromUtf8("é uma página da internet");
        QTest::newRow("plain text") << QByteArray("Arquivo não encontrado\r\n") << true << "é um texto";
    }
    void programsOnly() {
        QFETCH(QByteArray, head);
        QFETCH(bool, windows);
        QFETCH(QString, cause);
        const Programs::ProgramKind kind{
            windows ? Programs::ProgramKind::Format::Pe : Programs::ProgramKind::Format::Elf,
            quint16(windows ? 0x8664 : 62), true};
        const QString found = Programs::notAProgram(head, kind);
        if (cause.isEmpty())
            QVERIFY2(found.isEmpty(), qPrintable(found));
        else
            QVERIFY2(found.contains(cause), qPrintable(found));
        // This test program is a program for this computer.
        QVERIFY(Programs::notAProgram(programBytes(5000)).isEmpty());
    }

    void windowAtStart() {
        QCOMPARE(window_->windowTitle(), QString::fromUtf8(" Quilvex Atualização 2.0"));
        QCOMPARE(window_->size(), QSize(353, 106));
        QCOMPARE(window_->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(!(window_->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(window_->testAttribute(Qt::WA_QuitOnClose));  // closing it ends the updater
        QCOMPARE(window_->Label1->text(), QString("0 bytes"));
        QCOMPARE(window_->BtnAtualizar->text(), QString("Atualizar Agora"));
        QCOMPARE(window_->BtnAtualizar->toolTip(), QString("Clique para atualizar!"));
        QVERIFY(window_->BtnAtualizar->isVisible());
        QVERIFY(window_->BtnAbrir->isHidden());
        QVERIFY(window_->NomeSoftware->isHidden() && window_->Endereco->isHidden());
        QCOMPARE(window_->NomeSoftware->text(), QString("Vanteja"));
        QCOMPARE(QUrl(window_->Endereco->text()).path(), kPath);
        QCOMPARE(window_->options().target, target());

        qputenv("VANTEJA_UPDATE_URL", "http://espelho.example/Vanteja");
        TFatualizar mirrored;
        qunsetenv("VANTEJA_UPDATE_URL");
        QCOMPARE(mirrored.Endereco->text(), QString("http://espelho.example/Vanteja"));
        QCOMPARE(mirrored.options().url, QUrl("http://espelho.example/Vanteja"));
    }

    void completeDownload_data() {
        QTest::addColumn<bool>("checksum");
        QTest::addColumn<bool>("mainProgram");
        QTest::newRow("checksum offered, main program running") << true << true;
        QTest::newRow("no checksum, no main program") << false << false;
    }
    void completeDownload() {
        QFETCH(bool, checksum);
        QFETCH(bool, mainProgram);
        const QByteArray program = programBytes(1234567);
        if (checksum)
            http_->enqueue(200, sha256Line(program));
        else
            http_->enqueue(404, "not here");
        http_->enqueue(200, program);
        std::unique_ptr<FakeMainProgram> running;
        if (mainProgram) {
            running = std::make_unique<FakeMainProgram>(true);
            window_->options().serverName = running->name();
        }

        QVERIFY(update());
        QVERIFY(!labels_.isEmpty());
        QCOMPARE(labels_.last(), QString("Baixando: 1.234.567 de 1.234.567 total de bytes"));
        QCOMPARE(window_->Label1->text(), QString::fromUtf8("Atualização concluída"));
        QVERIFY(window_->BtnAtualizar->isHidden());
        QVERIFY(window_->BtnAbrir->isVisible());
        QCOMPARE(http_->requests().at(0).path, (kPath + ".sha256").toUtf8());
        QCOMPARE(http_->requests().at(1).path, kPath.toUtf8());
        QVERIFY(readAll(target()) == program);
        QVERIFY(readAll(target() + ".anterior") == kOldProgram);
        QVERIFY(QFileInfo(target()).isExecutable());
        QCOMPARE(leftovers(), QStringList());
        if (mainProgram) QCOMPARE(running->received(), QByteArray("CLOSE"));
        QCOMPARE(dialogs_->kinds(), QStringList());
    }

    void failedDownloadChangesNothing_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("cause");
        QTest::newRow("404") << "404" << QString::fromUtf8("não existe no servidor (HTTP 404)");
        QTest::newRow("500") << "500" << QString::fromUtf8("respondeu com erro (HTTP 500");
        QTest::newRow("refused") << "refused" << QString::fromUtf8("recusou a conexão");
        QTest::newRow("cut off") << "cut" << QString::fromUtf8("recebidos");
        QTest::newRow("stalled") << "stall" << QString::fromUtf8("parou de responder por 1 segundos");
        QTest::newRow("wrong checksum")
            << "sha" << QString::fromUtf8("não confere com a soma de verificação");
        QTest::newRow("unreadable checksum") << "badsha" << QString::fromUtf8("não é válida");
        QTest::newRow("empty file") << "empty" << QString::fromUtf8("arquivo vazio");
        QTest::newRow("size unknown") << "nosize" << QString::fromUtf8("não informou o tamanho");
        QTest::newRow("an error page in its place")
            << "page" << QString::fromUtf8("é uma página da internet, não o programa");
        QTest::newRow("folder not writable")
            << "readonly" << QString::fromUtf8("não é possível gravar na pasta");
        QTest::newRow("main program does not end") << "stays" << QString::fromUtf8("ainda está aberto");
    }
    void failedDownloadChangesNothing() {
        QFETCH(QString, kind);
        QFETCH(QString, cause);
        const QByteArray program = programBytes(300000);
        LocalHttpServer::Response head;
        const QByteArray partial = "HTTP/1.1 200 OK\r\nContent-Length: 300000\r\n\r\n" + program.left(100000);
        std::unique_ptr<FakeMainProgram> running;
        std::unique_ptr<UnwritableFolder> unwritable;
        if (kind != "sha" && kind != "badsha") http_->enqueue(404, "");
        if (kind == "404") http_->enqueue(404, "<html>Not Found</html>");
        if (kind == "500") http_->enqueue(500, "<html>oops</html>");
        if (kind == "refused")
            window_->options().url =
                QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(closedPort()).arg(kPath));
        if (kind == "cut") {
            head.raw = partial;
            http_->enqueue(head);
        }
        if (kind == "stall") {
            head.raw = partial;
            head.keepOpen = true;
            http_->enqueue(head);
            window_->options().stallTimeoutMs = 1000;
        }
        if (kind == "sha") {
            http_->enqueue(200, sha256Line("something else"));
            http_->enqueue(200, program);
        }
        if (kind == "badsha") http_->enqueue(200, "<html>soft 404</html>");
        if (kind == "empty") http_->enqueue(200, "");
        if (kind == "page")
            http_->enqueue(200, "\n<!DOCTYPE html>\n<html><head><title>Erro</title></head><body>" +
                                    QByteArray(480, ' ') + "</body></html>\n");
        if (kind == "nosize") {
            head.raw = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + program;
            http_->enqueue(head);
        }
        if (kind == "readonly") {
            running = std::make_unique<FakeMainProgram>(true);
            window_->options().serverName = running->name();
            unwritable = std::make_unique<UnwritableFolder>(folder_->path());
        }
        if (kind == "stays") {
            http_->enqueue(200, program);
            running = std::make_unique<FakeMainProgram>(false);
            window_->options().serverName = running->name();
            window_->options().closeWaitMs = 500;
        }

        QVERIFY(!update());
        unwritable.reset();
        QVERIFY(readAll(target()) == kOldProgram);
        QVERIFY(!QFileInfo::exists(target() + ".anterior"));
        QCOMPARE(leftovers(), QStringList());
        QCOMPARE(dialogs_->kinds(), QStringList{"error"});
        QVERIFY2(dialogs_->lastText().contains(cause), qPrintable(dialogs_->lastText()));
        QCOMPARE(window_->Label1->text(), QString::fromUtf8("Atualização não concluída"));
        // A main program is not asked to close when the new copy could not be written anyway.
        if (kind == "readonly") QCOMPARE(running->received(), QByteArray());

        // The user tries again, and this time it works.
        running.reset();
        window_->options().serverName = QStringLiteral("vanteja-updater-test-none");
        http_ = std::make_unique<LocalHttpServer>();
        http_->setResponse(200, program);
        http_->enqueue(404, "");
        window_->options().url = http_->url(kPath);
        dialogs_->calls.clear();
        QVERIFY(window_->BtnAtualizar->isEnabled());
        QVERIFY2(update(), qPrintable(dialogs_->lastText()));
        QVERIFY(readAll(target()) == program);
        QVERIFY(readAll(target() + ".anterior") == kOldProgram);
    }

    // A program installed by a package (its folder under a prefix with the installed template, no "Dados"
    // beside it) is left to the package manager: nothing is asked of the server, nothing replaced.
    void installedCopyIsLeftToThePackageManager() {
        const QString bin = folder_->filePath("bin");
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QDir().mkpath(folder_->filePath("share/vanteja/Dados")));
        const QString installed = QDir(bin).filePath(Programs::executableName("Vanteja"));
        writeFile(installed, kOldProgram, true);
        ProgramFolder::set(bin);
        window_ = std::make_unique<TFatualizar>();
        window_->options().url = http_->url(kPath);
        window_->show();

        QTest::mouseClick(window_->BtnAtualizar, Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList{"information"});
        QVERIFY(dialogs_->lastText().contains("gerenciador de pacotes"));
        QVERIFY(window_->updater() == nullptr);
        QVERIFY(http_->requests().isEmpty());
        QVERIFY(readAll(installed) == kOldProgram);
        QCOMPARE(QDir(bin).entryList(QDir::Files), QStringList{QFileInfo(installed).fileName()});
    }

    // Half the file arrives in one burst, then the server goes quiet: the label says so while it waits.
    void progressShownWhileTheServerStalls() {
        http_->enqueue(404, "");
        LocalHttpServer::Response burst;
        burst.raw = "HTTP/1.1 200 OK\r\nContent-Length: 1234567\r\n\r\n" + randomBytes(617283);
        burst.keepOpen = true;
        http_->enqueue(burst);
        window_->options().stallTimeoutMs = 600000;
        QSignalSpy ended(window_.get(), &TFatualizar::updateEnded);
        QTest::mouseClick(window_->BtnAtualizar, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(window_->Label1->text(),
                                  QString("Baixando: 617.283 de 1.234.567 total de bytes"), 20000);
        QVERIFY(ended.isEmpty());
        http_.reset();  // the connection drops
        QVERIFY(ended.wait(20000));
        QCOMPARE(ended.first().first().toBool(), false);
        QVERIFY(readAll(target()) == kOldProgram);
    }

    void openNowPrefersTheProgramBesideTheUpdater() {
#ifdef Q_OS_UNIX
        QTemporaryDir elsewhere;
        const QString marker = folder_->filePath("started");
        writeFile(target(), "#!/bin/sh\necho beside > '" + marker.toUtf8() + "'\n", true);
        writeFile(elsewhere.filePath("Vanteja"), "#!/bin/sh\necho path > '" + marker.toUtf8() + "'\n", true);
        writeFile(elsewhere.filePath("Backup"), "#!/bin/sh\necho backup > '" + marker.toUtf8() + "'\n", true);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", elsewhere.path().toUtf8() + ":" + path);

        window_->BtnAtualizar->hide();
        window_->BtnAbrir->show();
        QTest::mouseClick(window_->BtnAbrir, Qt::LeftButton);
        QVERIFY(!window_->isVisible());
        QTRY_COMPARE(readAll(marker), QByteArray("beside\n"));

        // Not beside: the search path; nowhere: nothing, and no box.
        QFile::remove(marker);
        QVERIFY(Programs::start("Backup"));
        QTRY_COMPARE(readAll(marker), QByteArray("backup\n"));
        QVERIFY(!Programs::start("Inexistente"));
        qputenv("PATH", path);
        QCOMPARE(dialogs_->kinds(), QStringList());
#else
        QSKIP("shell scripts stand in for the programs");
#endif
    }

    // The real main program, with its login form open modally, ends on the updater's request before its
    // file is replaced.
    void closesTheRunningMainProgram() {
        QTemporaryDir sockets;
        QProcess vanteja;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", sockets.path());
        environment.insert("XDG_RUNTIME_DIR", sockets.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        vanteja.setProcessEnvironment(environment);
        vanteja.start(QStringLiteral(VANTEJA_PROGRAM), {});
        QVERIFY(vanteja.waitForStarted());
        // Both programs find the socket through the same private folders.
        const QByteArray tmp = qgetenv("TMPDIR"), runtime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", sockets.path().toUtf8());
        qputenv("XDG_RUNTIME_DIR", sockets.path().toUtf8());
        const bool running = QTest::qWaitFor([&] { return Programs::mainProgramRunning(); }, 10000);

        const QByteArray program = programBytes(50000);
        http_->enqueue(404, "");
        http_->enqueue(200, program);
        window_->options().serverName = Programs::mainProgramServerName();
        const bool updated = running && update();
        qputenv("TMPDIR", tmp);
        qputenv("XDG_RUNTIME_DIR", runtime);
        if (tmp.isNull()) qunsetenv("TMPDIR");
        if (runtime.isNull()) qunsetenv("XDG_RUNTIME_DIR");
        QVERIFY(running);
        QVERIFY(updated);
        // The main program ended before its file was replaced, so it may be gone already.
        QVERIFY(vanteja.state() == QProcess::NotRunning || vanteja.waitForFinished(5000));
        QCOMPARE(vanteja.exitStatus(), QProcess::NormalExit);
        QVERIFY(readAll(target()) == program);
    }
};

QTEST_MAIN(TestUpdater)
#include "tst_updater.moc"
