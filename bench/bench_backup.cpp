// The backup program's copy of a data file with 1,000,000 payables while a view is open on the ledger, in
// its window: time, the longest pause of the window's event loop, and moves of the open view during the copy.
// Printed beside the sqlite3 command line's ".backup" and integrity check of the same file, as a ratio.
//   bench_backup [ROWS]

#include <sqlite3.h>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>

#include "BackupCopies.h"
#include "Clock.h"
#include "Database.h"
#include "Dialogs.h"
#include "LedgerData.h"
#include "Schema.h"
#include "Sqlite.h"
#include "Table.h"
#include "U_Backup.h"

namespace {

QTextStream out(stdout);
constexpr int kRuns = 3;

// Rent bills over ten years from 2015, one in three unpaid.
void generateLedger(const QString& file, int rows) {
    QRandomGenerator random(20261209);
    const QDate start(2015, 1, 1);
    insertRows(
        file,
        "INSERT INTO tbpagar (Fantasia, Nome, Codigo, DataEmissao, DataVencimento, DataPagamento, "
        "Valordocumento, Observacoes) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
        rows, [&](int i) {
            // One draw a statement, in the order of the columns: the rows stay those of earlier runs.
            const QDate due = start.addDays(random.bounded(3650));
            const QString reference = QStringLiteral("ALUGUEL %1").arg(random.bounded(500));
            const QString creditor = QStringLiteral("CREDOR %1").arg(random.bounded(2000));
            const QDate issued = due.addDays(-random.bounded(30));
            const QVariant paid =
                random.bounded(3) == 0 ? QVariant() : QVariant(due.addDays(random.bounded(20) - 5));
            const double value = random.bounded(1000000) / 100.0;
            return QVariantList{
                reference, creditor, i + 1, issued,
                due,       paid,     value, QStringLiteral("Pagamento referente ao documento %1").arg(i + 1)};
        });
}

// Boxes answered by nobody: the benchmark only looks.
class QuietDialogs : public WidgetDialogs {
public:
    void information(QWidget*, const QString&) override {}
    void error(QWidget*, const QString& text, const QString&) override { out << "  erro: " << text << '\n'; }
};

double cliBackup(const QString& file, const QString& copy) {
    const QString cli = QStandardPaths::findExecutable("sqlite3");
    if (cli.isEmpty()) return -1;
    QFile::remove(copy);
    QElapsedTimer timer;
    timer.start();
    for (const QStringList& arguments :
         {QStringList{file, ".backup '" + copy + "'"},
          QStringList{copy, "PRAGMA journal_mode=DELETE; PRAGMA integrity_check(20);"}}) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(cli, arguments);
        process.waitForFinished(-1);
    }
    return timer.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;
    QTemporaryDir dir;
    writeDataFolder(dataFolderFor(dir.path()));
    out << "Gerando " << rows << " contas a pagar..." << Qt::endl;
    generateLedger(QDir(dataFolderFor(dir.path())).filePath(kDataFileName), rows);
    const QString dataFile = Backups::dataFile(dir.path());
    out << QStringLiteral("Arquivo de dados: %1 MB\n").arg(QFileInfo(dataFile).size() / 1048576.0, 0, 'f', 1);

    ProgramFolder::set(dir.path());
    defineStandardDatabases(dir.path());
    Session::instance().addPassword(kSessionPassword);
    Table view(kAliasVantejaVs2, "tbpagar");
    view.setIndexName("Bydataven");
    view.open();
    QStandardPaths::setTestModeEnabled(true);  // the remembered folder of the machine stays untouched
    Backups::rememberFolder(QString());
    QuietDialogs dialogs;
    Dialogs::install(&dialogs);

    TFBackup window;
    window.show();
    QVector<double> times, pauses, moves;
    for (int run = 0; run < kRuns; ++run) {
        QDir(Backups::defaultFolder(dir.path())).removeRecursively();
        // The program's view goes on moving while the copy runs; every tick is timed.
        QElapsedTimer sinceTick;
        double longest = 0;
        int moved = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longest = std::max(longest, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.start();
            view.next();
            if (view.eof()) view.first();
            ++moved;
        });
        ticker.start(10);
        sinceTick.start();
        QElapsedTimer timer;
        timer.start();
        window.BackupAgoraClick();
        times << timer.nsecsElapsed() / 1e6;
        ticker.stop();
        pauses << longest;
        moves << moved;
    }
    std::sort(times.begin(), times.end());
    std::sort(pauses.begin(), pauses.end());
    const QList<Backups::Copy> copies = Backups::list(Backups::defaultFolder(dir.path()));
    if (copies.isEmpty() || Backups::integrity(copies.first().path) != "ok") {
        out << "  a cópia não foi feita\n";
        return 1;
    }
    const double cli = cliBackup(dataFile, dir.filePath("cli.sqlite"));
    out << QStringLiteral("  cópia conferida (mediana de %1)  %2 ms")
               .arg(kRuns)
               .arg(times[kRuns / 2], 9, 'f', 1);
    if (cli < 0)
        out << "   (sqlite3 não encontrado)\n";
    else
        out << QStringLiteral("   sqlite3 .backup + integrity_check %1 ms   razão %2\n")
                   .arg(cli, 9, 'f', 1)
                   .arg(times[kRuns / 2] / cli, 0, 'f', 2);
    out << QStringLiteral("  maior pausa da janela durante a cópia: %1 ms (pior de %2 execuções: %3 ms)\n")
               .arg(pauses[kRuns / 2], 0, 'f', 1)
               .arg(kRuns)
               .arg(pauses.last(), 0, 'f', 1);
    out << QStringLiteral("  movimentos da tabela aberta durante a cópia: %1\n").arg(moves[kRuns / 2]);
    Dialogs::install(nullptr);
    return 0;
}
