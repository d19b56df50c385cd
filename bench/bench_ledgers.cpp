// Speed of the two ledger windows over generated ledgers (100,000 and 1,000,000 rows by default): creating
// and showing a window, a filter button with its totals, one keystroke of the incremental search, a page of
// the grid, "Nova Saída", the listing of 20,000 filtered rows to its first preview page, and the window
// opened with name lists of 100,000 lines. Each figure is the median of a few runs, beside the sqlite3
// command line's time for the same SQL on the same file.
//   bench_ledgers [ROWS...] [--servidor ADDRESS [--só-servidor]]

#include <sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>

#include "Clock.h"
#include "DBGrid.h"
#include "Database.h"
#include "Dialogs.h"
#include "Filler.h"
#include "LedgerData.h"
#include "MaskEdit.h"
#include "NameLists.h"
#include "Numbering.h"
#include "Painter.h"
#include "PreviewDialog.h"
#include "RowCounts.h"
#include "Schema.h"
#include "ServerBooks.h"
#include "Sqlite.h"
#include "SqliteCli.h"
#include "Table.h"
#include "UReceber.h"
#include "U_Principal.h"
#include "Unpagar.h"
#include "Values.h"

namespace {

QTextStream out(stdout);
constexpr int kRuns = 5;
const QDate kToday(2025, 3, 10);

SampleLedger sample(quint32 seed) {
    return {{"LUZ", "AGUA", "ALUGUEL", "TELEFONE", "INTERNET", "MATERIAL", "SALARIO", "IMPOSTO", "GAS",
             "SEGURO", "CONTADOR", "MANUTENCAO"},
            "CREDOR",
            QDate(2016, 1, 1),
            3650,
            seed,
            [](QRandomGenerator& random, const QDate& due) {
                return random.bounded(3) == 0 ? QVariant() : QVariant(due.addDays(3));
            }};
}

double middle(QVector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double measure(const std::function<void()>& before, const std::function<void()>& step) {
    QVector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        before();
        QElapsedTimer timer;
        timer.start();
        step();
        times << timer.nsecsElapsed() / 1e6;
    }
    return middle(times);
}

// The sqlite3 command line's timer over the statements of one step, output thrown away.
double sqliteCli(const QString& file, const QStringList& statements) {
    if (statements.isEmpty()) return -1;
    QString script;
    for (int run = 0; run < kRuns; ++run)
        script += statements.join(";\n") + ";\n";
    const QVector<double> runs = perGroup(sqliteCliTimes(file, script), int(statements.size()));
    return runs.isEmpty() ? -1 : middle(runs);
}

// The same, for one statement too quick for the timer's milliseconds: run many times, the time of one.
// `cleanUp` runs last, outside every group, and undoes what the runs stored.
double sqliteCliEach(const QString& file, const QString& statement, const QString& cleanUp = {}) {
    constexpr int kTimes = 200;
    QString script;
    for (int run = 0; run < kRuns * kTimes; ++run)
        script += statement + ";\n";
    if (!cleanUp.isEmpty()) script += cleanUp + ";\n";
    const QVector<double> runs = perGroup(sqliteCliTimes(file, script), kTimes);
    return runs.isEmpty() ? -1 : middle(runs) / kTimes;
}

void line(const QString& step, double ms, double cli) {
    out << QStringLiteral("  %1 %2 ms").arg(step, -46).arg(ms, 9, 'f', ms < 1 ? 3 : 1);
    if (cli >= 0)
        out << QStringLiteral("   sqlite3 %1 ms   razão %2")
                   .arg(cli, 8, 'f', cli < 1 ? 3 : 1)
                   .arg(cli > 0 ? ms / cli : 0, 0, 'f', 1);
    out << '\n';
    out.flush();
}

// The engine's own time for the statements of one step, rows thrown away: the sqlite3 command line on the
// data file, or, on the server, one libpq call per statement on the benchmark's own connection. The
// statements spell their identifiers as the tables do and leave what differs to `total`, `ascending`.
struct Reference {
    QString file;
    PGconn* server = nullptr;

    QString name() const { return server ? QStringLiteral("libpq") : QStringLiteral("sqlite3"); }
    QString total(const QString& column) const {
        // On the server, the exact total the program sends, dearer than a plain SUM of the doubles.
        return server ? postgresDialect().moneySum(column)
                      : QStringLiteral("total(%1)").arg(column);
    }
    QString ascending(const QString& column) const { return server ? column + " NULLS FIRST" : column; }
    // A view's keys in order and its total, as the program reads them: on the server the first page of keys,
    // and the count with the total.
    QStringList view(const QString& keys, const QString& total) const {
        if (!server) return {keys, total};
        QString counted = total;
        return {keys + " LIMIT 1000", counted.replace(0, 7, "SELECT count(*), ")};
    }
    double time(const QStringList& statements) const {
        if (!server) return sqliteCli(file, statements);
        QVector<double> runs;
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer timer;
            timer.start();
            for (const QString& statement : statements) {
                PGresult* result = PQexec(server, statement.toUtf8().constData());
                if (PQresultStatus(result) != PGRES_TUPLES_OK) {
                    std::fprintf(stderr, "servidor: %s\n", PQresultErrorMessage(result));
                    std::exit(1);
                }
                PQclear(result);
            }
            runs << timer.nsecsElapsed() / 1e6;
        }
        return middle(runs);
    }
};

void line(const Reference& reference, const QString& step, double ms, double engine) {
    out << QStringLiteral("  %1 %2 ms").arg(step, -46).arg(ms, 9, 'f', ms < 1 ? 3 : 1);
    out << QStringLiteral("   %1 %2 ms   razão %3")
               .arg(reference.name(), -7)
               .arg(engine, 8, 'f', engine < 1 ? 3 : 1)
               .arg(engine > 0 ? ms / engine : 0, 0, 'f', 1);
    out << '\n';
    out.flush();
}

const QString kUnpaid = R"(("DataPagamento" IS NULL OR "DataPagamento" < '1990-01-01'))";

// The payables window opened, as "Saídas do Caixa" opens: the reminder of the day, the unpaid bills, totals.
void openPayables(const Reference& reference) {
    const QString reminder = R"(SELECT "Chave" FROM tbpagar WHERE "DataVencimento" >= '2025-03-10' AND )"
                             R"("DataVencimento" <= '2025-03-10' AND )" +
                             kUnpaid;
    std::unique_ptr<Tfpagar> pagar;
    line(reference, "abrir Saídas (lembrete, Não Paga, totais)",
         measure([&] { pagar.reset(); },
                 [&] {
                     pagar = std::make_unique<Tfpagar>();
                     pagar->show();
                     QApplication::processEvents();
                 }),
         reference.time(
             QStringList{reminder,
                         "SELECT " + reference.total(R"("Valordocumento")") +
                             R"( FROM tbpagar WHERE "Chave" IN ()" + reminder + ")"} +
             reference.view(R"(SELECT "Chave" FROM tbpagar WHERE )" + kUnpaid + " ORDER BY " +
                                reference.ascending(R"("DataVencimento")") + R"(, "Chave")",
                            "SELECT " + reference.total(R"("Valordocumento")") + " FROM tbpagar WHERE " +
                                kUnpaid)));
}

// The alert panel after the login: the bills of both ledgers due on the day of start and those overdue, with
// their totals, painted.
void alertPanel(const Reference& reference) {
    QStringList statements;
    for (const QString& table : {QStringLiteral("tbpagar"), QStringLiteral("tbreceber")}) {
        const QString order = table == QLatin1String("tbpagar")
                                  ? " ORDER BY " + reference.ascending(R"("DataVencimento")") + R"(, "Chave")"
                                  : QStringLiteral(R"( ORDER BY "Chave")");
        for (const QString& due :
             {QStringLiteral(R"("DataVencimento" = '2025-03-10')"),
              QStringLiteral(R"(("DataVencimento" IS NULL OR "DataVencimento" < '2025-03-10'))")}) {
            const QString where = " FROM " + table + " WHERE " + due + " AND " + kUnpaid;
            statements << reference.view(R"(SELECT "Chave")" + where + order,
                                         "SELECT " + reference.total(R"("Valordocumento")") + where);
        }
    }
    std::unique_ptr<TFPrincipal> principal;
    line(reference, "painel de avisos após o login",
         measure(
             [&] {
                 principal.reset();
                 principal = std::make_unique<TFPrincipal>();
                 principal->setShowLoginOnActivate(false);
                 principal->show();
                 QApplication::processEvents();
             },
             [&] {
                 principal->loginAceito("WEJ", "WEJ");
                 QApplication::processEvents();
             }),
         reference.time(statements));
}

// Answers nothing and shows nothing: the listing is filled and its first page drawn by the bench itself.
class SilentDialogs : public WidgetDialogs {
public:
    void confirmed(QWidget*, const QString&) override {}
    void preview(QWidget*, const Report::Document&) override {}
};

// The figures on the data file, in a folder of `dir`.
void fileFigures(int rows, const QTemporaryDir& dir, const QString& file) {
    insertSampleLedger(file, "tbpagar", rows, sample(11));
    insertSampleLedger(file, "tbreceber", rows, sample(12));
    out << QStringLiteral("SQLite: tbpagar e tbreceber com %L1 linhas cada\n").arg(rows);
    const QString unpaid = "(DataPagamento IS NULL OR DataPagamento < '1990-01-01')";
    const QString reminder =
        "SELECT Chave FROM %1 WHERE DataVencimento >= '2025-03-10' AND DataVencimento <= "
        "'2025-03-10' AND " +
        unpaid;
    std::unique_ptr<Tfpagar> pagar;
    std::unique_ptr<Tfreceber> receber;

    line("abrir Saídas (lembrete, Não Paga, totais)",
         measure([&] { pagar.reset(); },
                 [&] {
                     pagar = std::make_unique<Tfpagar>();
                     pagar->show();
                     QApplication::processEvents();
                 }),
         sqliteCli(file, {reminder.arg("tbpagar"),
                          "SELECT total(Valordocumento) FROM tbpagar WHERE Chave IN (" +
                              reminder.arg("tbpagar") + ")",
                          "SELECT Chave FROM tbpagar WHERE " + unpaid + " ORDER BY DataVencimento, Chave",
                          "SELECT total(Valordocumento) FROM tbpagar WHERE " + unpaid}));
    line("abrir Entradas (lembrete, Todas, totais)",
         measure([&] { receber.reset(); },
                 [&] {
                     receber = std::make_unique<Tfreceber>();
                     receber->show();
                     QApplication::processEvents();
                 }),
         sqliteCli(file, {reminder.arg("tbreceber"), "SELECT Chave FROM tbreceber ORDER BY Chave",
                          "SELECT total(Valordocumento) FROM tbreceber"}));

    line("botão Pago com totais",
         measure([&] { pagar->searchButton("SpeedButton8"); }, [&] { pagar->searchButton("SpeedButton1"); }),
         sqliteCli(file,
                   {"SELECT Chave FROM tbpagar WHERE DataPagamento > '1990-01-01' ORDER BY DataVencimento, "
                    "Chave",
                    "SELECT total(Valordocumento) FROM tbpagar WHERE DataPagamento > '1990-01-01'"}));

    pagar->searchButton("SpeedButton2");
    pagar->control<MaskEdit>("Edit1")->setText("MA");
    line("busca incremental, uma tecla ('MAN')",
         measure([&] { pagar->control<MaskEdit>("Edit1")->setText("MA"); },
                 [&] { pagar->control<MaskEdit>("Edit1")->setText("MAN"); }),
         sqliteCliEach(file, "SELECT Chave FROM tbpagar WHERE " + unpaid +
                                 " AND Fantasia >= 'MAN' ORDER BY Fantasia, Chave LIMIT 1"));

    {
        // The data layer's part of it: the same view, filter and index, no window on it.
        Table view(kAliasVantejaVs2, "tbpagar");
        view.setIndexName("byfantasia");
        view.setFilter("DataPagamento < '01/01/1990'");
        view.setFiltered(true);
        view.open();
        line("  a mesma, só os dados (sem janela)",
             measure([&] { view.findNearest("MA"); }, [&] { view.findNearest("MAN"); }),
             sqliteCliEach(file, "SELECT Chave FROM tbpagar WHERE " + unpaid +
                                     " AND Fantasia >= 'MAN' ORDER BY Fantasia, Chave LIMIT 1"));
    }

    pagar->control<QTabWidget>("PageControl1")->setCurrentIndex(LedgerWindow::Pesquisa);
    QApplication::processEvents();
    QScrollBar* bar = pagar->control<DBGrid>("DBGrid2")->verticalScrollBar();
    const int page = qMax(1, bar->pageStep());
    line(QStringLiteral("grade: uma página (%1 linhas)").arg(page),
         measure([&] { bar->setValue(bar->maximum() / 2); },
                 [&] {
                     bar->setValue(bar->value() + page);
                     pagar->control<DBGrid>("DBGrid2")->viewport()->repaint();
                 }),
         sqliteCli(file, {QStringLiteral(
                              "SELECT * FROM tbpagar WHERE %1 ORDER BY Fantasia, Chave LIMIT %2 OFFSET %3")
                              .arg(unpaid)
                              .arg(page)
                              .arg(rows / 6)}));
    pagar->control<QTabWidget>("PageControl1")->setCurrentIndex(LedgerWindow::Cadastro);

    line("Nova Saída",
         measure(
             [&] {
                 pagar->btncancelarClick();
                 pagar->searchButton("SpeedButton2");
             },
             [&] { pagar->btnnovoClick(); }),
         sqliteCliEach(file, "SELECT * FROM tbpagar ORDER BY Codigo DESC, Chave DESC LIMIT 1"));
    pagar->btncancelarClick();

    // A bill typed and stored, then the next one begun, as a user enters a pile of bills: the view is already
    // unfiltered and in Codigo order, so each step needs one statement.
    auto typed = [&] {
        pagar->btnnovoClick();
        pagar->ledger()->fieldByName("Fantasia").setAsString("CONTA NOVA");
        pagar->ledger()->fieldByName("Valordocumento").setAsFloat(12.5);
    };
    line("Gravar uma saída nova", measure(typed, [&] { pagar->btngravarClick(); }),
         sqliteCliEach(file,
                       "INSERT INTO tbpagar (Codigo, Fantasia, Valordocumento, DataEmissao, DataVencimento) "
                       "VALUES (9999999, 'CONTA NOVA', 12.5, '2025-03-10', '2025-03-10')",
                       "DELETE FROM tbpagar WHERE Codigo = 9999999"));
    {
        // The data layer's part of it alone: a view of its own, already in Codigo order, no window on it.
        Table view(kAliasVantejaVs2, "tbpagar");
        view.open();
        numberNewRecord(view);
        view.cancel();
        line("Nova Saída, só os dados (sem janela)",
             measure([&] { view.cancel(); }, [&] { numberNewRecord(view); }),
             sqliteCliEach(file, "SELECT * FROM tbpagar ORDER BY Codigo DESC, Chave DESC LIMIT 1"));
    }
    line("Nova Saída depois de gravar",
         measure(
             [&] {
                 typed();
                 pagar->btngravarClick();
             },
             [&] { pagar->btnnovoClick(); }),
         sqliteCliEach(file, "SELECT * FROM tbpagar ORDER BY Codigo DESC, Chave DESC LIMIT 1"));
    pagar->btncancelarClick();

    // A due-date range holding about 20,000 rows.
    const int days = qMax(1, int(3650.0 * 20000 / rows));
    const QString to = Values::dateToText(QDate(2016, 1, 1).addDays(days - 1));
    pagar->control<MaskEdit>("MaskEdit1")->setMaskedText("01/01/2016");
    pagar->control<MaskEdit>("MaskEdit2")->setMaskedText(to);
    pagar->searchRangeEnter();
    const int listed = pagar->ledger()->recordCount();
    line(QStringLiteral("listagem de %L1 linhas até a 1ª página").arg(listed),
         measure([] {},
                 [&] {
                     // As "Imprimir" shows it: filled as shown, the first page painted.
                     Report::PreviewDialog preview(pagar->QuickRep1(), Report::FillContext());
                     preview.grab();
                 }),
         sqliteCli(file, {QStringLiteral("SELECT * FROM tbpagar WHERE DataVencimento >= '2016-01-01' AND "
                                         "DataVencimento <= '%1' ORDER BY Codigo, Chave")
                              .arg(Values::dateToIso(Values::parseDate(to)))}));

    // Name lists of 100,000 lines: the window opened, then made active again after one of its boxes.
    pagar.reset();
    for (const QString& list : {NameLists::kListaSaida, NameLists::kListaCredor}) {
        QStringList names;
        for (int i = 0; i < 100000; ++i)
            names << QStringLiteral("CREDOR DA LISTA %1").arg(i);
        NameLists::writeFile(NameLists::pathOf(list), names);
    }
    line("abrir Saídas com listas de 100.000 nomes",
         measure([&] { pagar.reset(); },
                 [&] {
                     pagar = std::make_unique<Tfpagar>();
                     pagar->show();
                     QApplication::processEvents();
                 }),
         -1);
    line("  voltar a ela de uma caixa de mensagem", measure([] {}, [&] { pagar->FormActivate(); }), -1);
    for (const QString& list : {NameLists::kListaSaida, NameLists::kListaCredor})
        QFile::remove(NameLists::pathOf(list));
    pagar.reset();
    receber.reset();
    alertPanel(Reference{file});
    out << '\n';
    Session::instance().clear();
}

void run(int rows, const QString& server) {
    QTemporaryDir dir;
    const QString folder = dataFolderFor(dir.path());
    writeDataFolder(folder);
    const QString file = QDir(folder).filePath(kDataFileName);
    Session::instance().clear();
    defineStandardDatabases(dir.path());
    ProgramFolder::set(dir.path());
    Clock::set(QDateTime(kToday, QTime(9, 0)));

    // "--só-servidor": the server's figures alone, the file's taken by an earlier run.
    if (!QCoreApplication::arguments().contains(QStringLiteral("--só-servidor"))) fileFigures(rows, dir, file);
    if (!server.isEmpty()) {
        QElapsedTimer copying;
        copying.start();
        ServerBooks books(server, kToday);
        books.fill("tbpagar", kSampleColumns, rows, sampleRows(sample(11)));
        books.fill("tbreceber", kSampleColumns, rows, sampleRows(sample(12)));
        out << QStringLiteral("PostgreSQL %1: as mesmas linhas (copiadas em %2 s)\n")
                   .arg(PQserverVersion(books.handle()) / 10000)
                   .arg(copying.elapsed() / 1000.0, 0, 'f', 1);
        qputenv("VANTEJA_BANCO", books.address().toUtf8());
        defineStandardDatabases(dir.path());
        openPayables(Reference{{}, books.handle()});
        alertPanel(Reference{{}, books.handle()});
        out << '\n';
        Session::instance().clear();
        qunsetenv("VANTEJA_BANCO");
    }
    Clock::set(QDateTime());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SilentDialogs dialogs;
    Dialogs::install(&dialogs);
    const QString server = benchServer();
    for (int rows : rowCounts({100000, 1000000}))
        run(rows, server);
    Dialogs::install(nullptr);
    return 0;
}
