// Speed of the cash-flow window over both ledgers of 100,000 and 1,000,000 rows each, for a period of one
// month and one of ten years: each tab's analysis to its totals and the first screen of both lists painted,
// the last screen of a list, each of its statements opened, and the chart's figures. Every step is timed
// beside the sqlite3 command line running the SQL it needs (the count and total of each list, the rows on
// screen) on the same file with the program's own settings, as a ratio. Figures only: nothing here fails.
//   bench_fluxo [ROWS...]

#include <sqlite3.h>

#include <QApplication>
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
#include "GraficoFluxo.h"
#include "LedgerData.h"
#include "MaskEdit.h"
#include "Query.h"
#include "QueryGrid.h"
#include "RowCounts.h"
#include "Schema.h"
#include "Sqlite.h"
#include "SqliteCli.h"
#include "UnitFluxo.h"

namespace {

QTextStream out(stdout);
constexpr int kRuns = 5;
constexpr int kScreen = 30;  // rows a list shows at once

SampleLedger sample(quint32 seed) {
    return {{"LUZ", "AGUA", "ALUGUEL", "TELEFONE", "INTERNET", "MATERIAL", "SALARIO", "IMPOSTO", "VENDA",
             "SERVICO", "SEGURO", "MANUTENCAO", "CONTADOR", "GAS", "COMBUSTIVEL"},
            "NOME",
            QDate(2015, 1, 1),
            3652,
            seed,
            [](QRandomGenerator& random, const QDate& due) {
                // About a third still open.
                return random.bounded(3) == 0 ? QVariant() : QVariant(due.addDays(random.bounded(20) - 5));
            }};
}

void generate(const QString& file, int rows) {
    insertSampleLedger(file, "tbreceber", rows, sample(20261209));
    insertSampleLedger(file, "tbpagar", rows, sample(20261210));
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    execSql(db, "ANALYZE");
    sqlite3_close(db);
}

double median(QVector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double timeIt(const std::function<void()>& work) {
    QVector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times << timer.nsecsElapsed() / 1e6;
    }
    return median(times);
}

// The SQL a statement of the window runs, with its dates written in.
QString plainSql(const QStringList& lines) {
    const TranslatedSql translated = translateLocalSql(lines.join(QLatin1Char('\n')));
    QString sql = translated.sql;
    for (const TranslatedSql::Binding& binding : translated.bindings)
        sql.replace(sql.indexOf(QLatin1Char('?')), 1,
                    QLatin1Char('\'') + binding.value.toDate().toString(Qt::ISODate) + QLatin1Char('\''));
    return sql;
}

// What a list needs to show its totals: its rows counted and summed (the program's own exact sum is not in
// the command line; total() reads the same rows).
QString totalsSql(const QStringList& lines) {
    QString sql = plainSql(lines);
    sql.truncate(sql.lastIndexOf(QStringLiteral(" order by"), -1, Qt::CaseInsensitive));
    return QStringLiteral("SELECT count(*), total(Valor) FROM (%1)").arg(sql);
}

// The rows of one screen of a list, from a row on.
QString screenSql(const QStringList& lines, int from) {
    return plainSql(lines) + QStringLiteral(" LIMIT %1 OFFSET %2").arg(kScreen).arg(from);
}

// The sqlite3 command line's own timer for some statements, with the program's settings, rows written to
// /dev/null; median of several runs of all of them.
double cliTime(const QString& file, const QStringList& statements) {
    QString script;
    for (int run = 0; run < kRuns; ++run)
        for (const QString& statement : statements)
            script += statement + ";\n";
    const QVector<double> perRun = perGroup(sqliteCliTimes(file, script), int(statements.size()));
    return perRun.isEmpty() ? -1 : median(perRun);
}

void report(const QString& what, double ours, double cli = -2) {
    out << QStringLiteral("  %1 %2 ms").arg(what, -44).arg(ours, 9, 'f', 2);
    if (cli == -1)
        out << "   (sqlite3 não encontrado)";
    else if (cli >= 0)
        out << QStringLiteral("   sqlite3 %1 ms   razão %2")
                   .arg(cli, 8, 'f', 2)
                   .arg(cli > 0 ? QString::number(ours / cli, 'f', 2) : QStringLiteral("-"));
    out << '\n';
    out.flush();
}

QString text(const QDate& date) {
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

void bench(int rows) {
    QTemporaryDir dir;
    const QString folder = dataFolderFor(dir.path());
    writeDataFolder(folder);
    const QString file = QDir(folder).filePath(kDataFileName);
    QElapsedTimer generation;
    generation.start();
    generate(file, rows);
    out << QStringLiteral("tbreceber e tbpagar com %L1 linhas cada (gerados em %2 s)\n")
               .arg(rows)
               .arg(generation.elapsed() / 1000.0, 0, 'f', 1);

    Session::instance().clear();
    defineStandardDatabases(dir.path());
    Session::instance().database(kAliasVantejaVs2).connect();

    struct Period {
        QString name;
        QDate start, end;
    };
    const Period periods[] = {{QStringLiteral("um mês"), QDate(2020, 3, 1), QDate(2020, 3, 31)},
                              {QStringLiteral("dez anos"), QDate(2015, 1, 1), QDate(2024, 12, 31)}};
    for (const Period& period : periods) {
        out << QStringLiteral(" período de %1 (%2 a %3)\n")
                   .arg(period.name, text(period.start), text(period.end));
        struct Tab {
            QString name;
            FluxoSql::Which income, expense;
        };
        const Tab tabs[] = {{QStringLiteral("Analítico Pagas"), FluxoSql::Entradas, FluxoSql::Saidas},
                            {QStringLiteral("Analítico Não Pagas"), FluxoSql::NEntradas, FluxoSql::NSaidas}};
        for (int t = 0; t < 2; ++t) {
            const Tab& tab = tabs[t];
            // The tab's analysis as the window runs it: both statements, the totals, both lists painted.
            {
                TFFluxo window;
                window.show();
                window.PageControl1->setCurrentIndex(t);
                QApplication::processEvents();
                MaskEdit* start = t == 0 ? window.MaskEdit5 : window.MaskEdit2;
                MaskEdit* end = t == 0 ? window.MaskEdit6 : window.MaskEdit3;
                QueryGrid* lists[] = {t == 0 ? window.DBGrid1 : window.DBGrid3,
                                      t == 0 ? window.DBGrid2 : window.DBGrid4};
                start->setMaskedText(text(period.start));
                end->setMaskedText(text(period.end));
                int count = 0;
                const double analysis = timeIt([&] {
                    if (t == 0)
                        window.fanalitico();
                    else
                        window.fanaliticoNpagas();
                    for (QueryGrid* list : lists)
                        list->viewport()->repaint();
                    count = t == 0 ? window.queryentrada->recordCount() + window.querysaida->recordCount()
                                   : window.Nentradas->recordCount() + window.Nsaidas->recordCount();
                });
                const QStringList income = FluxoSql::lines(tab.income, period.start, period.end);
                const QStringList expense = FluxoSql::lines(tab.expense, period.start, period.end);
                report(QStringLiteral("%1, totais e 1ª tela (%L2 linhas)").arg(tab.name).arg(count), analysis,
                       cliTime(file, {totalsSql(income), screenSql(income, 0), totalsSql(expense),
                                      screenSql(expense, 0)}));
                const double totals = timeIt([&] {
                    if (t == 0)
                        window.totalizar();
                    else
                        window.TotalNpagas();
                });
                report(QStringLiteral("  só os totais"), totals);
                // The last screen of the left list, as the scroll bar dragged to its end shows it.
                Query* left = t == 0 ? window.queryentrada : window.Nentradas;
                const int from = qMax(0, left->recordCount() - kScreen);
                QVector<double> times;
                for (int run = 0; run < kRuns; ++run) {
                    if (t == 0)
                        window.fanalitico();
                    else
                        window.fanaliticoNpagas();
                    QElapsedTimer timer;
                    timer.start();
                    lists[0]->scrollToBottom();
                    lists[0]->viewport()->repaint();
                    times << timer.nsecsElapsed() / 1e6;
                }
                const double lastScreen = median(times);
                report(QStringLiteral("  última tela da lista da esquerda"), lastScreen,
                       cliTime(file, {screenSql(income, from)}));
            }
            for (FluxoSql::Which which : {tab.income, tab.expense}) {
                const QStringList lines = FluxoSql::lines(which, period.start, period.end);
                Query query;
                query.setDatabaseName(kAliasVantejaVs2);
                query.setReadOnDemand(true);
                query.setSql(lines.join(QLatin1Char('\n')));
                const double open = timeIt([&] {
                    query.close();
                    query.open();
                    query.sum(QStringLiteral("Valor"));
                });
                static const char* const names[] = {"queryentrada", "querysaida", "Nentradas", "Nsaidas"};
                report(QStringLiteral("  %1 aberta, total (%L2 linhas)")
                           .arg(names[which])
                           .arg(query.recordCount()),
                       open, cliTime(file, {totalsSql(lines)}));
            }
        }
        // The chart: twelve months paid up to the end's month, twelve open from it.
        const QDate month(period.end.year(), period.end.month(), 1);
        const double chart = timeIt([&] { GraficoFluxo::compute(period.end); });
        QStringList monthly;
        for (int i = 0; i < 12; ++i) {
            const QDate paid = month.addMonths(i - 11), open = month.addMonths(i);
            for (FluxoSql::Which which : {FluxoSql::Entradas, FluxoSql::Saidas})
                monthly << totalsSql(FluxoSql::lines(which, paid, paid.addMonths(1).addDays(-1)));
            for (FluxoSql::Which which : {FluxoSql::NEntradas, FluxoSql::NSaidas})
                monthly << totalsSql(FluxoSql::lines(which, open, open.addMonths(1).addDays(-1)));
        }
        report(QStringLiteral("Gráfico (números dos 24 meses)"), chart, cliTime(file, monthly));
    }
    out << '\n';
    Session::instance().clear();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int rows : rowCounts({100000, 1000000}))
        bench(rows);
    return 0;
}
