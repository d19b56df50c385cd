// Cost of one store ("Gravar" of a new payable) with the program's durable commits, on a ledger of 1,000 and
// of 100,000 rows. Each figure is printed beside the time the sqlite3 command line takes for the same SQL
// with the same settings, as a ratio, and beside the same store with synchronous=NORMAL (a commit that a
// power cut may undo). Figures only: nothing here fails.
//   bench_store [ROWS...]

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <numeric>

#include "Database.h"
#include "LedgerData.h"
#include "RowCounts.h"
#include "Schema.h"
#include "Sqlite.h"
#include "SqliteCli.h"
#include "Table.h"

namespace {

QTextStream out(stdout);
constexpr int kStores = 200;

void generateLedger(const QString& file, int rows) {
    insertRows(file, "INSERT INTO tbpagar (Nome, Codigo, DataVencimento, Valordocumento) VALUES (?, ?, ?, ?)",
               rows, [](int i) {
                   return QVariantList{QStringLiteral("CREDOR %1").arg(i % 2000), i + 1,
                                       QDate(2020, 1, 1).addDays(i % 3650), (i % 100000) / 100.0};
               });
}

// The command line's timer counts whole milliseconds: the mean of many stores says more than the median.
double mean(const QVector<double>& values) {
    return values.isEmpty() ? -1 : std::accumulate(values.begin(), values.end(), 0.0) / values.size();
}

// Milliseconds per store through a view, mean of kStores.
double storeThroughView(const QString& synchronous) {
    Table view(kAliasVantejaVs2, "tbpagar.db");
    view.open();
    execSql(sqliteHandle(Session::instance().database(kAliasVantejaVs2)),
            QStringLiteral("PRAGMA synchronous=%1").arg(synchronous));
    QVector<double> times;
    for (int i = 0; i < kStores; ++i) {
        QElapsedTimer timer;
        timer.start();
        view.append();
        view.fieldByName("Nome").setValue("CREDOR NOVO");
        view.fieldByName("DataVencimento").setValue(QDate(2026, 12, 9));
        view.fieldByName("Valordocumento").setValue(123.45);
        view.post();
        times << timer.nsecsElapsed() / 1e6;
    }
    return mean(times);
}

// The same statements through the sqlite3 command line, its own timer; milliseconds per store, mean.
double storeThroughCli(const QString& file, const QString& synchronous) {
    const QStringList statements = {"SAVEPOINT vj_post",
                                    "INSERT INTO tbpagar (Nome, DataVencimento, Valordocumento) VALUES "
                                    "('CREDOR NOVO', '2026-12-09', 123.45)",
                                    "SELECT Chave FROM tbpagar ORDER BY Chave",
                                    "SELECT * FROM tbpagar WHERE Chave = last_insert_rowid()",
                                    "RELEASE vj_post"};
    QString script;
    for (int i = 0; i < kStores; ++i)
        for (const QString& statement : statements)
            script += statement + ";\n";
    const QVector<double> perStore =
        perGroup(sqliteCliTimes(file, script, QStringLiteral("PRAGMA synchronous=%1;\n").arg(synchronous)),
                 int(statements.size()));
    return perStore.isEmpty() ? -1 : mean(perStore);
}

void report(const QString& what, double ours, double cli) {
    out << QStringLiteral("  %1 %2 ms").arg(what, -34).arg(ours, 8, 'f', 2);
    if (cli < 0)
        out << "   (sqlite3 não encontrado)";
    else
        out << QStringLiteral("   sqlite3 %1 ms   razão %2")
                   .arg(cli, 8, 'f', 2)
                   .arg(cli > 0 ? QString::number(ours / cli, 'f', 2) : QStringLiteral("-"));
    out << '\n';
    out.flush();
}

void bench(int rows) {
    QTemporaryDir dir;
    const QString folder = dataFolderFor(dir.path());
    writeDataFolder(folder);
    const QString file = QDir(folder).filePath(kDataFileName);
    generateLedger(file, rows);
    out << QStringLiteral("tbpagar com %L1 linhas, em %2\n")
               .arg(rows)
               .arg(QDir::toNativeSeparators(dir.path()));
    for (const char* synchronous : {"FULL", "NORMAL"}) {
        Session::instance().clear();
        defineStandardDatabases(dir.path());
        const double ours = storeThroughView(synchronous);
        Session::instance().clear();
        report(QStringLiteral("gravar um registro (%1)").arg(synchronous), ours,
               storeThroughCli(file, synchronous));
    }
    out << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    for (int rows : rowCounts({1000, 100000}))
        bench(rows);
    return 0;
}
