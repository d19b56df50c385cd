// Time from process start to the login form painted, on the shipped (empty) data and on a ledger of
// 1,000,000 payables; and, on that ledger, from the login accepted to the alert panel painted. The benchmark
// starts a copy of itself as a new process that runs the program's start-up on a data folder; the copy
// reports when the login form and the alert panel have been painted.
//   bench_startup [RUNS [ROWS]]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFrame>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "Clock.h"
#include "Database.h"
#include "LedgerData.h"
#include "Schema.h"
#include "Startup.h"
#include "U_Login.h"

namespace {

// In the started copy: once the login form has been painted, says so, logs in and waits for the alert panel
// to be painted (when `login` is set), says how long that took, and ends.
class Watcher : public QObject {
public:
    explicit Watcher(bool login) : login_(login) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        if (auto* form = qobject_cast<TFLogin*>(watched); form && !loginPainted_) {
            loginPainted_ = true;
            // Reported once this paint has reached the screen, when the event loop turns again.
            QTimer::singleShot(0, form, [this, form] {
                std::fputs("login\n", stdout);
                std::fflush(stdout);
                if (!login_) std::_Exit(0);
                form->EdtUsuario->setText("WEJ");
                form->EdtSenha->setText("wej");
                clock_.start();
                form->BtnOkClick();
            });
        } else if (watched->objectName() == QLatin1String("alertPanel") && clock_.isValid() &&
                   !alertPainted_) {
            alertPainted_ = true;
            QTimer::singleShot(0, [this] {
                std::fprintf(stdout, "alert %.1f\n", clock_.nsecsElapsed() / 1e6);
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    bool login_;
    bool loginPainted_ = false;
    bool alertPainted_ = false;
    QElapsedTimer clock_;
};

int child(int argc, char** argv, const QString& folder, bool login) {
    QApplication app(argc, argv);
    ProgramFolder::set(folder);
    Watcher watcher(login);
    app.installEventFilter(&watcher);
    return startVanteja(app, false);
}

struct Figures {
    QVector<double> start;
    QVector<double> alert;
};

Figures measure(const QString& programFolder, int runs, bool login) {
    Figures figures;
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(QCoreApplication::applicationFilePath(),
                      {"--child", programFolder, login ? "login" : "start"});
        process.waitForReadyRead(20000);
        const double ms = timer.nsecsElapsed() / 1e6;
        QByteArray output = process.readAllStandardOutput();
        if (!output.startsWith("login")) {
            QTextStream(stderr) << "a start did not reach the login form: " << process.readAllStandardError()
                                << '\n';
            std::exit(1);
        }
        figures.start << ms;
        process.waitForFinished(20000);
        output += process.readAllStandardOutput();
        const int at = output.indexOf("alert ");
        if (login && at >= 0) figures.alert << output.mid(at + 6).trimmed().toDouble();
    }
    return figures;
}

QString summary(QVector<double> times) {
    if (times.isEmpty()) return QStringLiteral("(não alcançado)");
    std::sort(times.begin(), times.end());
    return QStringLiteral("mediana %1 ms (menor %2, maior %3)")
        .arg(times[times.size() / 2], 0, 'f', 1)
        .arg(times.first(), 0, 'f', 1)
        .arg(times.last(), 0, 'f', 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]) == "login");

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 7;
    const int rows = argc > 2 ? QByteArray(argv[2]).toInt() : 1000000;
    QTextStream out(stdout);
    out << QStringLiteral("%1 execuções por figura, plataforma %2\n")
               .arg(runs)
               .arg(qEnvironmentVariable("QT_QPA_PLATFORM", "padrão"));

    QTemporaryDir shipped;
    writeDataFolder(dataFolderFor(shipped.path()));
    const Figures empty = measure(shipped.path(), runs, false);
    out << "  dados entregues (vazios): início até o login pintado   " << summary(empty.start) << '\n';
    out.flush();

    QTemporaryDir large;
    const QString folder = dataFolderFor(large.path());
    writeDataFolder(folder);
    generateLedger(QDir(folder).filePath(kDataFileName), rows, QDate::currentDate());
    const Figures full = measure(large.path(), runs, true);
    out << QStringLiteral("  tbpagar com %L1 linhas: início até o login pintado      ").arg(rows)
        << summary(full.start) << '\n';
    out << QStringLiteral("  tbpagar com %L1 linhas: login até o painel de avisos    ").arg(rows)
        << summary(full.alert) << '\n';
    const QVector<double>& base = empty.start;
    if (!base.isEmpty() && !full.start.isEmpty()) {
        QVector<double> a = full.start, b = base;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        out << QStringLiteral("  razão do início com %L1 linhas sobre o início vazio: %2\n")
                   .arg(rows)
                   .arg(a[a.size() / 2] / b[b.size() / 2], 0, 'f', 2);
    }
    return 0;
}
