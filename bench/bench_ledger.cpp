// Speed of a payables ledger of 100,000 and 1,000,000 rows, through the program's views, beside the same rows
// read through SQLite directly with the program's own connection settings. The baseline is the plain SQL a
// programmer would write for those rows, prepared each time as a one-off query is; it steps every row and
// reads what the view reads (for a filter: the keys in the view's order, then the first row, on which the
// view stands), prints nothing. Every figure is the median of seven timed batches, each repeating the
// operation until it has run 25 ms or more; the program's batches and the baseline's are taken in turns.
//   bench_ledger [ROWS...]

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>

#include "Database.h"
#include "LedgerData.h"
#include "RowCounts.h"
#include "Schema.h"
#include "Sqlite.h"
#include "Table.h"

namespace {

QTextStream out(stdout);

using Work = std::function<void()>;

// Milliseconds per run, measured on a batch repeated until it lasts 25 ms or more.
double batch(const Work& work, int repeat) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < repeat; ++i)
        work();
    return timer.nsecsElapsed() / 1e6 / repeat;
}
int repeatFor(const Work& work) {
    work();  // warm
    return std::max(1, int(25.0 / std::max(batch(work, 1), 1e-4)));
}

// Both measured in turns, seven batches each, so that a busy moment of the machine falls on both; medians.
std::pair<double, double> timeBoth(const Work& ours, const Work& plain) {
    const int oursRepeat = repeatFor(ours);
    const int plainRepeat = repeatFor(plain);
    QVector<double> a, b;
    for (int turn = 0; turn < 7; ++turn) {
        a << batch(ours, oursRepeat);
        b << batch(plain, plainRepeat);
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return {a[3], b[3]};
}

// The quicker of two ways of reading the same rows.
Work quicker(const Work& x, const Work& y) {
    return batch(x, repeatFor(x)) <= batch(y, repeatFor(y)) ? x : y;
}

// The baseline: a connection of its own with the program's settings.
class Plain {
public:
    explicit Plain(const QString& file) {
        sqlite3_open_v2(file.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        applyConnectionSettings(db_);
    }
    ~Plain() { sqlite3_close(db_); }
    // Prepares the statement and steps every row, reading every column as its storage class (what the view
    // reads), printing nothing.
    Work rows(const QString& sql, const QVariantList& params = {}) {
        return [=, this] { query(sql, params); };
    }
    // A filter applied: the keys of the rows, then the first row as the view stands on it.
    Work keys(const QString& sql, const QVariantList& params = {}) {
        return [=, this] {
            const qint64 first = query(sql, params);
            if (first >= 0) query("SELECT * FROM tbpagar WHERE Chave = ?", {first});
        };
    }
    // Returns the first column of the first row, or -1.
    qint64 query(const QString& sql, const QVariantList& params) {
        SqliteConnection connection(db_);
        Statement statement(connection, sql);
        statement.bindAll(params);
        qint64 first = -1;
        while (statement.step()) {
            if (first < 0) first = statement.int64(0);
            for (int c = 0; c < statement.columnCount(); ++c)
                sink_ += statement.value(c).isNull() ? 0 : 1;
        }
        return first;
    }

private:
    sqlite3* db_ = nullptr;
    double sink_ = 0;
};

QString ms(double value) {
    return value >= 1 ? QString::number(value, 'f', 1) : QString::number(value, 'f', 3);
}

void report(const QString& what, const Work& oursWork, const Work& plainWork) {
    const auto [ours, plain] = timeBoth(oursWork, plainWork);
    out << QStringLiteral("  %1 %2 ms   SQLite %3 ms   razão %4\n")
               .arg(what, -46)
               .arg(ms(ours), 9)
               .arg(ms(plain), 9)
               .arg(ours / plain, 0, 'f', 2);
    out.flush();
}

QString isoDay(const QDate& date) {
    return date.toString(Qt::ISODate);
}
QString typedDay(const QDate& date) {
    return date.toString("dd/MM/yyyy");
}

// Own memory of the process (not the mapped data file) and resident size, in MB.
QString memory() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return "memória: indisponível";
    double anon = -1, rss = -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() < 2) continue;
        if (parts[0] == "RssAnon:") anon = parts[1].toDouble() / 1024;
        if (parts[0] == "VmRSS:") rss = parts[1].toDouble() / 1024;
    }
    return QStringLiteral("memória própria (RssAnon) %1 MB, residente (VmRSS) %2 MB")
        .arg(anon, 0, 'f', 1)
        .arg(rss, 0, 'f', 1);
}

void bench(int rows) {
    QTemporaryDir dir;
    const QString folder = dataFolderFor(dir.path());
    writeDataFolder(folder);
    const QString file = QDir(folder).filePath(kDataFileName);
    const QDate today = QDate::currentDate();
    QElapsedTimer generation;
    generation.start();
    generateLedger(file, rows, today);
    out << QStringLiteral("tbpagar com %L1 linhas (gerado em %2 s); %3\n")
               .arg(rows)
               .arg(generation.elapsed() / 1000.0, 0, 'f', 1)
               .arg(memory());

    Session::instance().clear();
    defineStandardDatabases(dir.path());
    {
        // Memory first, before the baseline's own connection exists: the ledger as the alerts and the
        // windows hold it.
        Table all(kAliasVantejaVs2, "tbpagar.db");
        all.setIndexName("Bydataven");
        all.open();
        Table overdue(kAliasVantejaVs2, "tbpagar.db");
        overdue.setIndexName("Bydataven");
        overdue.setFilter(
            QStringLiteral("datavencimento <'%1' and Datapagamento < '01/01/1990'").arg(typedDay(today)));
        overdue.setFiltered(true);
        overdue.open();
        overdue.sum("Valordocumento");
        all.setFilter("datapagamento <'01/01/1990'");
        all.setFiltered(true);
        all.sum("Valordocumento");
        for (all.first(); !all.eof(); all.next()) {
        }
        out << QStringLiteral("  duas vistas abertas, filtradas, totalizadas e percorridas: %1\n")
                   .arg(memory());
    }
    Plain plain(file);

    const QDate oldMonth = QDate(today.year() - 8, today.month(), 1);
    const QDate recentMonth = QDate(today.year(), today.month(), 1);
    const QString unpaid = "(DataPagamento IS NULL OR DataPagamento < '1990-01-01')";
    const QString byDue = " ORDER BY DataVencimento, Chave";
    const QString keys = "SELECT Chave FROM tbpagar WHERE ";

    Table view(kAliasVantejaVs2, "tbpagar.db");
    view.setIndexName("Bydataven");
    view.open();

    // Filters of the alerts and the ledger windows, applied to the view ordered by due date.
    struct Case {
        QString name;
        QString filter;
        QString sql;
        QVariantList params;
    };
    auto range = [](const QDate& first) {
        return QStringLiteral("datavencimento >='%1' and datavencimento <='%2'")
            .arg(typedDay(first), typedDay(first.addMonths(1).addDays(-1)));
    };
    auto rangeSql = [](const QDate& first) {
        return QStringLiteral("DataVencimento BETWEEN '%1' AND '%2'")
            .arg(isoDay(first), isoDay(first.addMonths(1).addDays(-1)));
    };
    const QVector<Case> cases = {
        {"vencendo hoje, não pagas",
         QStringLiteral("datavencimento >='%1' and datavencimento <='%1' and Datapagamento < '01/01/1990'")
             .arg(typedDay(today)),
         keys + "DataVencimento = ? AND " + unpaid + byDue,
         {isoDay(today)}},
        {"vencidas (antes de hoje), não pagas",
         QStringLiteral("datavencimento <'%1' and Datapagamento < '01/01/1990'").arg(typedDay(today)),
         keys + "(DataVencimento IS NULL OR DataVencimento < ?) AND " + unpaid + byDue,
         {isoDay(today)}},
        {"mês antigo, todas", range(oldMonth), keys + rangeSql(oldMonth) + byDue, {}},
        {"mês antigo, não pagas",
         range(oldMonth) + " and Datapagamento < '01/01/1990'",
         keys + rangeSql(oldMonth) + " AND " + unpaid + byDue,
         {}},
        {"mês antigo, pagas",
         range(oldMonth) + " and Datapagamento>'01/01/1990'",
         keys + rangeSql(oldMonth) + " AND DataPagamento > '1990-01-01'" + byDue,
         {}},
        {"mês atual, não pagas",
         range(recentMonth) + " and Datapagamento < '01/01/1990'",
         keys + rangeSql(recentMonth) + " AND " + unpaid + byDue,
         {}},
        {"mês atual, conta paga após 1930",
         range(recentMonth) + " and fantasia = 'LUZ 12' and datapagamento > '01/01/1930'",
         keys + rangeSql(recentMonth) + " AND Fantasia = 'LUZ 12' AND DataPagamento > '1930-01-01'" + byDue,
         {}},
        {"não pagas (todas)", "datapagamento <'01/01/1990'", keys + unpaid + byDue, {}},
        {"conta 'LUZ 12'", "fantasia = 'LUZ 12'", keys + "Fantasia = 'LUZ 12'" + byDue, {}},
        {"conta 'LUZ 12', não paga antes de 1930",
         "fantasia = 'LUZ 12' and datapagamento < '01/01/1930'",
         keys + "Fantasia = 'LUZ 12' AND (DataPagamento IS NULL OR DataPagamento < '1930-01-01')" + byDue,
         {}},
        {"conta 'LUZ*' (prefixo)",
         "fantasia = 'LUZ*'",
         keys + "Fantasia >= 'LUZ' AND Fantasia < 'LUZ['" + byDue,
         {}},
        {"credor 'CREDOR 17', não pago antes de 1900",
         "Nome = 'CREDOR 17' and datapagamento < '01/01/1900'",
         keys + "Nome = 'CREDOR 17' AND (DataPagamento IS NULL OR DataPagamento < '1900-01-01')" + byDue,
         {}},
    };
    out << "  filtro aplicado à vista (chaves na ordem de Bydataven), contagem e total de Valordocumento:\n";
    for (const Case& c : cases) {
        view.setFilter(c.filter);
        view.setFiltered(true);
        report(
            QStringLiteral("%1 (%L2)").arg(c.name).arg(view.recordCount()), [&] { view.setFilter(c.filter); },
            plain.keys(c.sql, c.params));
        const QString where = c.sql.mid(keys.size(), c.sql.size() - keys.size() - byDue.size());
        // The better of SQLite's own plan and a plain read of the table.
        report(
            "    total", [&] { view.sum("Valordocumento"); },
            quicker(plain.rows("SELECT total(Valordocumento) FROM tbpagar WHERE " + where, c.params),
                    plain.rows("SELECT total(Valordocumento) FROM tbpagar NOT INDEXED WHERE " + where,
                               c.params)));
    }

    // Nearest-key search and locate, on the whole ledger and on the unpaid bills.
    for (const bool filtered : {false, true}) {
        const QString where = filtered ? unpaid + " AND " : QString();
        view.setFilter(filtered ? "datapagamento <'01/01/1990'" : "");
        view.setFiltered(filtered);
        view.setIndexName("byfantasia");
        const QString suffix = filtered ? ", não pagas" : ", todas";
        const QString row = "SELECT * FROM tbpagar WHERE Chave = (SELECT Chave FROM tbpagar WHERE ";
        report(
            "FindNearest 'MAN' em byfantasia" + suffix, [&] { view.findNearest("MAN"); },
            plain.rows(row + where + "Fantasia >= 'MAN' ORDER BY Fantasia, Chave LIMIT 1)"));
        report(
            "Locate Nome 'CREDOR 150' em byfantasia" + suffix, [&] { view.locate("Nome", "CREDOR 150"); },
            plain.rows(row + where + "Nome = 'CREDOR 150' ORDER BY Fantasia, Chave LIMIT 1)"));
        view.setIndexName("Bydataven");
        const QString day = isoDay(today.addDays(-400));
        report(
            "FindNearest data em Bydataven" + suffix, [&] { view.findNearest(today.addDays(-400)); },
            plain.rows(row + where +
                       QStringLiteral("DataVencimento >= '%1' ORDER BY DataVencimento, Chave "
                                      "LIMIT 1)")
                           .arg(day)));
    }

    // Walking the unpaid bills in due-date order, one row at a time, every field read.
    view.setFilter("datapagamento <'01/01/1990'");
    view.setFiltered(true);
    view.setIndexName("Bydataven");
    report(
        "First + 1.000 x Next",
        [&] {
            view.first();
            for (int i = 0; i < 1000 && !view.eof(); ++i)
                view.next();
        },
        plain.rows("SELECT * FROM tbpagar WHERE " + unpaid + byDue + " LIMIT 1001"));
    report(
        "Last + 1.000 x Prior",
        [&] {
            view.last();
            for (int i = 0; i < 1000 && !view.bof(); ++i)
                view.prior();
        },
        plain.rows("SELECT * FROM tbpagar WHERE " + unpaid +
                   " ORDER BY DataVencimento DESC, Chave DESC "
                   "LIMIT 1001"));
    out << QStringLiteral("  ao fim (com a conexão de referência): %1\n\n").arg(memory());
    view.close();
    Session::instance().clear();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    for (int rows : rowCounts({100000, 1000000}))
        bench(rows);
    return 0;
}
