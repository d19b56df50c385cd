// Time from process start to the login form on screen. The benchmark starts a copy of itself as a new process
// that runs the program's start-up on a data folder; the copy reports when the login form is shown.
//   bench_startup [RUNS]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "Clock.h"
#include "Schema.h"
#include "Startup.h"
#include "U_Login.h"

namespace {

// In the started copy: reports the first showing of the login form and ends.
class LoginWatcher : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<TFLogin*>(watched)) {
            std::fputs("login\n", stdout);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};

int child(int argc, char** argv, const QString& folder) {
    QApplication app(argc, argv);
    ProgramFolder::set(folder);
    LoginWatcher watcher;
    app.installEventFilter(&watcher);
    return startVanteja(app, false);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    QTemporaryDir dir;
    writeDataFolder(QDir(dir.path()).filePath("Dados"));
    QVector<double> times;
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(QCoreApplication::applicationFilePath(), {"--child", dir.path()});
        process.waitForReadyRead(10000);
        const double ms = timer.nsecsElapsed() / 1e6;
        if (process.readAllStandardOutput().trimmed() != "login") {
            QTextStream(stderr) << "a start did not reach the login form: " << process.readAllStandardError()
                                << '\n';
            return 1;
        }
        process.waitForFinished();
        times << ms;
    }
    std::sort(times.begin(), times.end());
    QTextStream(stdout)
        << QStringLiteral("do início do processo ao formulário de login (%1 execuções, plataforma %2):\n")
               .arg(runs)
               .arg(qEnvironmentVariable("QT_QPA_PLATFORM", "padrão"))
        << QStringLiteral("  mediana %1 ms, menor %2 ms, maior %3 ms\n")
               .arg(times[times.size() / 2], 0, 'f', 1)
               .arg(times.first(), 0, 'f', 1)
               .arg(times.last(), 0, 'f', 1);
    return 0;
}
