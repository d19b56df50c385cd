// Speed of a payables ledger of 100,000 and 1,000,000 rows: open, filter, count, total, nearest-key search,
// last row. Each figure is printed beside the time the sqlite3 command line takes for the same SQL on the
// same file, as a ratio. Figures only: nothing here fails.
//   bench_ledger [ROWS...]

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>

#include "Database.h"
#include "Schema.h"
#include "Sqlite.h"
#include "Table.h"

namespace {

QTextStream out(stdout);
constexpr int kRuns = 7;

void generateLedger(const QString& file, int rows) {
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    execSql(db, "BEGIN");
    Statement insert(
        db,
        "INSERT INTO tbpagar (Fantasia, Nome, Codigo, DataEmissao, DataVencimento, DataPagamento, "
        "Valordocumento, Observacoes) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    const QStringList references = {"LUZ",        "AGUA",        "ALUGUEL", "TELEFONE", "INTERNET",
                                    "MATERIAL",   "SALARIO",     "IMPOSTO", "GAS",      "SEGURO",
                                    "MANUTENCAO", "COMBUSTIVEL", "CONTADOR"};
    QRandomGenerator random(20261209);
    const QDate start(2015, 1, 1);
    for (int i = 0; i < rows; ++i) {
        const QDate due = start.addDays(random.bounded(3650));
        insert.bind(1, references[random.bounded(references.size())] +
                           QStringLiteral(" %1").arg(random.bounded(500)));
        insert.bind(2, QStringLiteral("CREDOR %1").arg(random.bounded(2000)));
        insert.bind(3, i + 1);
        insert.bind(4, due.addDays(-random.bounded(30)));
        insert.bind(5, due);
        // About a third still open.
        insert.bind(6, random.bounded(3) == 0 ? QVariant() : QVariant(due.addDays(random.bounded(20) - 5)));
        insert.bind(7, random.bounded(1000000) / 100.0);
        insert.bind(8, QStringLiteral("Pagamento referente ao documento %1").arg(i + 1));
        insert.run();
        insert.reset();
    }
    execSql(db, "COMMIT");
    execSql(db, "ANALYZE");
    sqlite3_close(db);
}

double median(QVector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds, median of several runs; `prepare` runs before each and is not timed.
double timeIt(const std::function<void()>& prepare, const std::function<void()>& work) {
    QVector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times << timer.nsecsElapsed() / 1e6;
    }
    return median(times);
}

// The sqlite3 command line's own timer for a statement, rows written to /dev/null; median of several runs.
double cliTime(const QString& file, const QStringList& statements) {
    const QString cli = QStandardPaths::findExecutable("sqlite3");
    if (cli.isEmpty()) return -1;
    QString script = ".output /dev/null\n.timer on\n";
    for (int run = 0; run < kRuns; ++run)
        for (const QString& statement : statements)
            script += statement + ";\n";
    QProcess process;
    process.start(cli, {file});
    process.write(script.toUtf8());
    process.closeWriteChannel();
    process.waitForFinished(-1);
    static const QRegularExpression timing("Run Time: real ([0-9.]+)");
    QVector<double> perRun;
    double sum = 0;
    int count = 0;
    auto matches = timing.globalMatch(QString::fromUtf8(process.readAllStandardOutput()));
    while (matches.hasNext()) {
        sum += matches.next().captured(1).toDouble() * 1000;
        if (++count == statements.size()) {
            perRun << sum;
            sum = 0;
            count = 0;
        }
    }
    return perRun.isEmpty() ? -1 : median(perRun);
}

void report(const QString& what, double ours, double cli) {
    out << QStringLiteral("  %1 %2 ms").arg(what, -34).arg(ours, 9, 'f', 2);
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
    QElapsedTimer generation;
    generation.start();
    generateLedger(file, rows);
    out << QStringLiteral("tbpagar com %L1 linhas (gerado em %2 s)\n")
               .arg(rows)
               .arg(generation.elapsed() / 1000.0, 0, 'f', 1);

    Session::instance().clear();
    defineStandardDatabases(dir.path());
    Session::instance().database(kAliasVantejaVs2).connect();
    const QString unpaid = "(DataPagamento IS NULL OR DataPagamento < '1990-01-01')";
    const QString byDue = " ORDER BY DataVencimento, Chave";

    std::unique_ptr<Table> view;
    auto fresh = [&] { view = std::make_unique<Table>(kAliasVantejaVs2, "tbpagar.db"); };
    auto opened = [&] {
        fresh();
        view->setIndexName("Bydataven");
        view->open();
    };
    auto filtered = [&] {
        opened();
        view->setFilter("datapagamento <'01/01/1990'");
        view->setFiltered(true);
    };

    const double open = timeIt(fresh, [&] {
        view->setIndexName("Bydataven");
        view->open();
    });
    report("abrir em Bydataven", open, cliTime(file, {"SELECT Chave FROM tbpagar" + byDue}));

    const double filter = timeIt(opened, [&] {
        view->setFilter("datapagamento <'01/01/1990'");
        view->setFiltered(true);
    });
    report("filtro datapagamento <'01/01/1990'", filter,
           cliTime(file, {"SELECT Chave FROM tbpagar WHERE " + unpaid + byDue}));

    int count = 0;
    filtered();
    const double recordCount = timeIt([] {}, [&] { count = view->recordCount(); });
    report(QStringLiteral("RecordCount (%L1)").arg(count), recordCount,
           cliTime(file, {"SELECT count(*) FROM tbpagar WHERE " + unpaid}));

    double total = 0;
    const double sum = timeIt([] {}, [&] { total = view->sum("Valordocumento"); });
    report("soma de Valordocumento", sum,
           cliTime(file, {"SELECT total(Valordocumento) FROM tbpagar WHERE " + unpaid}));

    const double reindex = timeIt(filtered, [&] { view->setIndexName("byfantasia"); });
    report("trocar para byfantasia", reindex,
           cliTime(file, {"SELECT Chave FROM tbpagar WHERE " + unpaid + " ORDER BY Fantasia, Chave"}));

    const double nearest = timeIt([] {}, [&] { view->findNearest("MAN"); });
    report("FindNearest 'MAN' em byfantasia", nearest,
           cliTime(file, {"SELECT Chave FROM tbpagar WHERE " + unpaid +
                          " AND Fantasia >= 'MAN' ORDER BY Fantasia, Chave LIMIT 1"}));

    filtered();
    const double last = timeIt([&] { view->first(); }, [&] { view->last(); });
    report("Last", last,
           cliTime(file, {"SELECT * FROM tbpagar WHERE Chave = (SELECT Chave FROM tbpagar WHERE " + unpaid +
                          " ORDER BY DataVencimento DESC, Chave DESC LIMIT 1)"}));

    const double scroll = timeIt([&] { view->first(); },
                                 [&] {
                                     for (int i = 0; i < 1000 && !view->eof(); ++i)
                                         view->next();
                                 });
    report("1.000 x Next (rolar)", scroll,
           cliTime(file, {"SELECT * FROM tbpagar WHERE " + unpaid + byDue + " LIMIT 1000"}));
    out << QStringLiteral("  total filtrado: %1\n\n").arg(total, 0, 'f', 2);
    view.reset();
    Session::instance().clear();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (const QString& arg : app.arguments().mid(1))
        sizes << arg.toInt();
    if (sizes.isEmpty()) sizes = {100000, 1000000};
    for (int rows : sizes)
        bench(rows);
    return 0;
}
