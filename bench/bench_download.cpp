// The updater's download of a 50 MB program file from a server on this machine, in its window: time,
// throughput, progress calls and repaints of the window. Printed beside curl fetching the same file from the
// same server, as a ratio.
//   bench_download [MEGABYTES]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include "Clock.h"
#include "Dialogs.h"
#include "LocalHttpServer.h"
#include "Programs.h"
#include "Unit_Atualizar.h"

namespace {

QTextStream out(stdout);

class QuietDialogs : public WidgetDialogs {
public:
    void error(QWidget*, const QString& text, const QString&) override { out << "  erro: " << text << '\n'; }
};

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// A program file for this computer: the start of this program itself, then filler.
QByteArray programOf(int megabytes) {
    QByteArray program(qsizetype(megabytes) * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < program.size(); ++i)
        program[i] = char(i * 2654435761u >> 24);
    QFile self(QCoreApplication::applicationFilePath());
    if (self.open(QIODevice::ReadOnly)) {
        const QByteArray head = self.read(qMin<qsizetype>(4096, program.size()));
        program.replace(0, head.size(), head);
    }
    return program;
}

// The server runs in a process of its own, as a real one would: "bench_download --servir MEGABYTES" prints
// its port and answers until it is ended.
int serve(int megabytes) {
    LocalHttpServer server;
    server.setResponse(200, programOf(megabytes));
    server.enqueue(404, "");
    out << server.port() << Qt::endl;
    return QCoreApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--servir") == 0) {
        QCoreApplication app(argc, argv);
        return serve(QString::fromLocal8Bit(argv[2]).toInt());
    }
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 50;
    const QByteArray program = programOf(megabytes);
    QProcess server;
    server.start(QCoreApplication::applicationFilePath(), {"--servir", QString::number(megabytes)});
    if (!server.waitForReadyRead(30000)) return 1;
    const int port = server.readLine().trimmed().toInt();
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/softatualizar/VantejaVsID/Vanteja.exe").arg(port));

    QTemporaryDir dir;
    ProgramFolder::set(dir.path());
    QuietDialogs dialogs;
    Dialogs::install(&dialogs);
    TFatualizar window;
    window.options().url = url;
    window.options().serverName = QStringLiteral("vanteja-bench-none");
    window.show();
    PaintCounter counter;
    window.Label1->installEventFilter(&counter);
    int progressCalls = 0;
    QEventLoop loop;
    QObject::connect(&window, &TFatualizar::updateEnded, &loop, &QEventLoop::quit);

    QElapsedTimer timer;
    timer.start();
    window.AtualizarAgoraClick();
    double firstMs = -1, lastMs = -1;
    QObject::connect(window.updater(), &Updater::progress, [&] {
        ++progressCalls;
        lastMs = timer.nsecsElapsed() / 1e6;
        if (firstMs < 0) firstMs = lastMs;
    });
    loop.exec();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (QFileInfo(window.options().target).size() != program.size()) {
        out << "  o download não terminou\n";
        return 1;
    }

    // The same file through curl, from the same server (which answers on this thread's event loop).
    double curlMs = -1;
    const QString curl = QStandardPaths::findExecutable("curl");
    if (!curl.isEmpty()) {
        QProcess process;
        QEventLoop wait;
        QObject::connect(&process, &QProcess::finished, &wait, &QEventLoop::quit);
        QElapsedTimer curlTimer;
        curlTimer.start();
        process.start(curl, {"-s", "-o", QDir(dir.path()).filePath("curl.bin"), url.toString()});
        wait.exec();
        curlMs = curlTimer.nsecsElapsed() / 1e6;
    }

    const double mb = program.size() / 1048576.0;
    out << QStringLiteral("  download de %1 MB  %2 ms   %3 MB/s")
               .arg(mb, 0, 'f', 0)
               .arg(ms, 0, 'f', 1)
               .arg(mb / (ms / 1000), 0, 'f', 1);
    if (curlMs < 0)
        out << "   (curl não encontrado)\n";
    else
        out << QStringLiteral("   curl %1 ms   razão %2\n")
                   .arg(curlMs, 0, 'f', 1)
                   .arg(ms / curlMs, 0, 'f', 2);
    out << QStringLiteral("  chamadas de progresso: %1   pinturas do rótulo: %2")
               .arg(progressCalls)
               .arg(counter.paints)
        << Qt::endl;
    out << QStringLiteral("  primeiro progresso %1 ms, último %2 ms; gravação conferida no disco até o fim\n")
               .arg(firstMs, 0, 'f', 1)
               .arg(lastMs, 0, 'f', 1);
    Dialogs::install(nullptr);
    server.kill();
    server.waitForFinished();
    return 0;
}
