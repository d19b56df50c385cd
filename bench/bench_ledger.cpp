// Speed of a payables ledger of 100,000 and 1,000,000 rows, through the program's views, beside the same rows
// read by the engine directly: on the data file through SQLite with the program's own connection settings,
// and, given a PostgreSQL server, on the server through libpq. The baseline is the plain SQL a programmer
// would write for those rows, prepared each time as a one-off query is (on the server: sent with its values,
// planned and answered in one round trip); it reads every value of every row of what the view reads (for a
// filter: the keys in the view's order, then the first row, on which the view stands), prints nothing. Every
// figure is the median of seven timed batches, each repeating the operation until it has run 25 ms or more;
// the program's batches and the baseline's are taken in turns. On the server the books are a schema of their
// own, filled by COPY and dropped at the end.
//   bench_ledger [--servidor postgresql://usuario@servidor:5432/banco] [ROWS...]
// (VANTEJA_BANCO names the server too.)

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
#include "ServerBooks.h"
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

// The baseline, for either engine: the plain SQL, its identifiers quoted as the tables spell them, values
// bound as "?".
class Baseline {
public:
    virtual ~Baseline() = default;
    virtual QString name() const = 0;
    // Runs the query, reading every value of every row; returns the first column of the first row, or -1.
    virtual qint64 query(const QString& sql, const QVariantList& params) = 0;
    // The sum of the amounts of the rows the condition selects, by the engine's best plain SQL.
    virtual Work total(const QString& where, const QVariantList& params) = 0;
    // An order term, blanks first as the view orders; descending, blanks last.
    virtual QString ascending(const QString& column) const = 0;
    virtual QString descending(const QString& column) const = 0;

    Work rows(const QString& sql, const QVariantList& params = {}) {
        return [=, this] { query(sql, params); };
    }
    // A filter applied: the keys of the rows, then the first row as the view stands on it.
    Work keys(const QString& sql, const QVariantList& params = {}) {
        return [=, this] {
            const qint64 first = query(sql, params);
            if (first >= 0) query(R"(SELECT * FROM tbpagar WHERE "Chave" = ?)", {first});
        };
    }
    // A view with a total field opened on a filter (`sql` its keys, `where` its condition), as the program
    // reads it; with the total when `summed`.
    virtual Work view(const QString& sql, const QString& where, const QVariantList& params, bool summed) {
        const Work read = keys(sql, params);
        if (!summed) return read;
        const Work sum = total(where, params);
        return [=] {
            read();
            sum();
        };
    }

protected:
    double sink_ = 0;
};

// On the data file: a connection of its own with the program's settings; every value read as its storage
// class, as the view reads it.
class FileBaseline : public Baseline {
public:
    explicit FileBaseline(const QString& file) {
        sqlite3_open_v2(file.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        applyConnectionSettings(db_);
    }
    ~FileBaseline() override { sqlite3_close(db_); }
    QString name() const override { return QStringLiteral("SQLite"); }
    qint64 query(const QString& sql, const QVariantList& params) override {
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
    // The better of SQLite's own plan and a plain read of the table.
    Work total(const QString& where, const QVariantList& params) override {
        return quicker(
            rows(R"(SELECT total("Valordocumento") FROM tbpagar WHERE )" + where, params),
            rows(R"(SELECT total("Valordocumento") FROM tbpagar NOT INDEXED WHERE )" + where, params));
    }
    QString ascending(const QString& column) const override { return column; }
    QString descending(const QString& column) const override { return column + " DESC"; }

private:
    sqlite3* db_ = nullptr;
};

// On the server: one libpq call per query, the values as text; the first column read as a number, every other
// value as a text.
class ServerBaseline : public Baseline {
public:
    explicit ServerBaseline(PGconn* conn) : conn_(conn) {}
    QString name() const override { return QStringLiteral("PostgreSQL"); }
    qint64 query(const QString& sql, const QVariantList& params) override {
        QList<QByteArray> texts;
        QVector<const char*> values;
        for (const QVariant& param : params)
            texts << param.toString().toUtf8();
        for (const QByteArray& text : texts)
            values << text.constData();
        PGresult* result = PQexecParams(conn_, numberedParameters(sql).toUtf8().constData(),
                                        int(values.size()), nullptr, values.constData(), nullptr, nullptr, 0);
        if (PQresultStatus(result) != PGRES_TUPLES_OK) {
            std::fprintf(stderr, "servidor: %s\n", PQresultErrorMessage(result));
            std::exit(1);
        }
        qint64 first = -1;
        const int rows = PQntuples(result), columns = PQnfields(result);
        rows_ = rows;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                if (PQgetisnull(result, r, c)) continue;
                if (c == 0) {
                    const qint64 number = std::strtoll(PQgetvalue(result, r, 0), nullptr, 10);
                    if (first < 0) first = number;
                    sink_ += number;
                } else {
                    sink_ += QString::fromUtf8(PQgetvalue(result, r, c), PQgetlength(result, r, c)).size();
                }
            }
        }
        PQclear(result);
        return first;
    }
    Work total(const QString& where, const QVariantList& params) override {
        return rows("SELECT " + amounts() + " FROM tbpagar WHERE " + where, params);
    }
    // The first thousand keys; when there are that many, the count with the total, else the total if wanted.
    Work view(const QString& sql, const QString& where, const QVariantList& params, bool summed) override {
        return [=, this] {
            const qint64 first = query(sql + " LIMIT 1000", params);
            const bool full = rows_ >= 1000;
            if (first >= 0) query(R"(SELECT * FROM tbpagar WHERE "Chave" = ?)", {first});
            if (full)
                query("SELECT count(*), " + amounts() + " FROM tbpagar WHERE " + where, params);
            else if (summed)
                total(where, params)();
        };
    }
    QString ascending(const QString& column) const override { return column + " NULLS FIRST"; }
    QString descending(const QString& column) const override { return column + " DESC NULLS LAST"; }

private:
    // The exact total the program sends, each amount as typed: dearer than a plain SUM of the doubles.
    static QString amounts() { return postgresDialect().moneySum(R"("Valordocumento")"); }
    PGconn* conn_;
    int rows_ = 0;  // of the last query
};

QString ms(double value) {
    return value >= 1 ? QString::number(value, 'f', 1) : QString::number(value, 'f', 3);
}

void report(const Baseline& baseline, const QString& what, const Work& oursWork, const Work& plainWork) {
    const auto [ours, plain] = timeBoth(oursWork, plainWork);
    out << QStringLiteral("  %1 %2 ms   %3 %4 ms   razão %5\n")
               .arg(what, -46)
               .arg(ms(ours), 9)
               .arg(baseline.name(), -10)
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

// The ledger as the alerts and the windows hold it, measured before the baseline's own connection exists.
void viewsMemory(const QDate& today) {
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
    out << QStringLiteral("  duas vistas abertas, filtradas, totalizadas e percorridas: %1\n").arg(memory());
}

// Every operation through a view of the books the session reaches now, beside the baseline.
void measure(Baseline& plain, const QDate& today) {
    const QDate oldMonth = QDate(today.year() - 8, today.month(), 1);
    const QDate recentMonth = QDate(today.year(), today.month(), 1);
    const QString unpaid = R"(("DataPagamento" IS NULL OR "DataPagamento" < '1990-01-01'))";
    const QString byDue = " ORDER BY " + plain.ascending(R"("DataVencimento")") + R"(, "Chave")";
    const QString keys = R"(SELECT "Chave" FROM tbpagar WHERE )";

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
        return QStringLiteral(R"("DataVencimento" BETWEEN '%1' AND '%2')")
            .arg(isoDay(first), isoDay(first.addMonths(1).addDays(-1)));
    };
    const QVector<Case> cases = {
        {"vencendo hoje, não pagas",
         QStringLiteral("datavencimento >='%1' and datavencimento <='%1' and Datapagamento < '01/01/1990'")
             .arg(typedDay(today)),
         keys + R"("DataVencimento" = ? AND )" + unpaid + byDue,
         {isoDay(today)}},
        {"vencidas (antes de hoje), não pagas",
         QStringLiteral("datavencimento <'%1' and Datapagamento < '01/01/1990'").arg(typedDay(today)),
         keys + R"(("DataVencimento" IS NULL OR "DataVencimento" < ?) AND )" + unpaid + byDue,
         {isoDay(today)}},
        {"mês antigo, todas", range(oldMonth), keys + rangeSql(oldMonth) + byDue, {}},
        {"mês antigo, não pagas",
         range(oldMonth) + " and Datapagamento < '01/01/1990'",
         keys + rangeSql(oldMonth) + " AND " + unpaid + byDue,
         {}},
        {"mês antigo, pagas",
         range(oldMonth) + " and Datapagamento>'01/01/1990'",
         keys + rangeSql(oldMonth) + R"( AND "DataPagamento" > '1990-01-01')" + byDue,
         {}},
        {"mês atual, não pagas",
         range(recentMonth) + " and Datapagamento < '01/01/1990'",
         keys + rangeSql(recentMonth) + " AND " + unpaid + byDue,
         {}},
        {"mês atual, conta paga após 1930",
         range(recentMonth) + " and fantasia = 'LUZ 12' and datapagamento > '01/01/1930'",
         keys + rangeSql(recentMonth) + R"( AND "Fantasia" = 'LUZ 12' AND "DataPagamento" > '1930-01-01')" +
             byDue,
         {}},
        {"não pagas (todas)", "datapagamento <'01/01/1990'", keys + unpaid + byDue, {}},
        {"conta 'LUZ 12'", "fantasia = 'LUZ 12'", keys + R"("Fantasia" = 'LUZ 12')" + byDue, {}},
        {"conta 'LUZ 12', não paga antes de 1930",
         "fantasia = 'LUZ 12' and datapagamento < '01/01/1930'",
         keys + R"("Fantasia" = 'LUZ 12' AND ("DataPagamento" IS NULL OR "DataPagamento" < '1930-01-01'))" +
             byDue,
         {}},
        {"conta 'LUZ*' (prefixo)",
         "fantasia = 'LUZ*'",
         keys + R"("Fantasia" >= 'LUZ' AND "Fantasia" < 'LUZ[')" + byDue,
         {}},
        {"credor 'CREDOR 17', não pago antes de 1900",
         "Nome = 'CREDOR 17' and datapagamento < '01/01/1900'",
         keys + R"("Nome" = 'CREDOR 17' AND ("DataPagamento" IS NULL OR "DataPagamento" < '1900-01-01'))" +
             byDue,
         {}},
    };
    // Each filter on a view of its own, as a window applies a filter other than its last two (a view keeps
    // the keys and total of those while nothing is stored, and would answer again without reading); its
    // total field the window's.
    auto opened = [](const QString& filter) {
        auto view = std::make_unique<Table>(kAliasVantejaVs2, "tbpagar.db");
        view->setIndexName("Bydataven");
        view->setTotalField("Valordocumento");
        view->setFilter(filter);
        view->setFiltered(true);
        view->open();
        return view;
    };
    out << "  filtro aplicado a uma vista nova (chaves na ordem de Bydataven), e com o total de "
           "Valordocumento:\n";
    for (const Case& c : cases) {
        const QString where = c.sql.mid(keys.size(), c.sql.size() - keys.size() - byDue.size());
        report(
            plain, QStringLiteral("%1 (%L2)").arg(c.name).arg(opened(c.filter)->recordCount()),
            [&] { opened(c.filter); }, plain.view(c.sql, where, c.params, false));
        report(
            plain, "    com o total", [&] { opened(c.filter)->sum("Valordocumento"); },
            plain.view(c.sql, where, c.params, true));
    }

    // Nearest-key search and locate, on the whole ledger and on the unpaid bills.
    const QString byReference = " ORDER BY " + plain.ascending(R"("Fantasia")") + R"(, "Chave" LIMIT 1))";
    for (const bool filtered : {false, true}) {
        const QString where = filtered ? unpaid + " AND " : QString();
        view.setFilter(filtered ? "datapagamento <'01/01/1990'" : "");
        view.setFiltered(filtered);
        view.setIndexName("byfantasia");
        const QString suffix = filtered ? ", não pagas" : ", todas";
        const QString row = R"(SELECT * FROM tbpagar WHERE "Chave" = (SELECT "Chave" FROM tbpagar WHERE )";
        report(
            plain, "FindNearest 'MAN' em byfantasia" + suffix, [&] { view.findNearest("MAN"); },
            plain.rows(row + where + R"("Fantasia" >= 'MAN')" + byReference));
        report(
            plain, "Locate Nome 'CREDOR 150' em byfantasia" + suffix,
            [&] { view.locate("Nome", "CREDOR 150"); },
            plain.rows(row + where + R"("Nome" = 'CREDOR 150')" + byReference));
        view.setIndexName("Bydataven");
        const QString day = isoDay(today.addDays(-400));
        report(
            plain, "FindNearest data em Bydataven" + suffix, [&] { view.findNearest(today.addDays(-400)); },
            plain.rows(row + where + QStringLiteral(R"("DataVencimento" >= '%1')").arg(day) + " ORDER BY " +
                       plain.ascending(R"("DataVencimento")") + R"(, "Chave" LIMIT 1))"));
    }

    // Walking the unpaid bills in due-date order, one row at a time, every field read.
    view.setFilter("datapagamento <'01/01/1990'");
    view.setFiltered(true);
    view.setIndexName("Bydataven");
    report(
        plain, "First + 1.000 x Next",
        [&] {
            view.first();
            for (int i = 0; i < 1000 && !view.eof(); ++i)
                view.next();
        },
        plain.rows("SELECT * FROM tbpagar WHERE " + unpaid + byDue + " LIMIT 1001"));
    report(
        plain, "Last + 1.000 x Prior",
        [&] {
            view.last();
            for (int i = 0; i < 1000 && !view.bof(); ++i)
                view.prior();
        },
        plain.rows("SELECT * FROM tbpagar WHERE " + unpaid + " ORDER BY " +
                   plain.descending(R"("DataVencimento")") + R"(, "Chave" DESC LIMIT 1001)"));
    out << QStringLiteral("  ao fim (com a conexão de referência): %1\n\n").arg(memory());
    view.close();
}

void bench(int rows, const QString& server) {
    QTemporaryDir dir;
    const QString folder = dataFolderFor(dir.path());
    writeDataFolder(folder);
    const QString file = QDir(folder).filePath(kDataFileName);
    const QDate today = QDate::currentDate();
    QElapsedTimer generation;
    generation.start();
    generateLedger(file, rows, today);
    out << QStringLiteral("SQLite: tbpagar com %L1 linhas (gerado em %2 s); %3\n")
               .arg(rows)
               .arg(generation.elapsed() / 1000.0, 0, 'f', 1)
               .arg(memory());
    Session::instance().clear();
    defineStandardDatabases(dir.path());
    viewsMemory(today);
    {
        FileBaseline plain(file);
        measure(plain, today);
    }
    Session::instance().clear();
    if (server.isEmpty()) return;

    generation.restart();
    ServerBooks books(server, today);
    books.fill("tbpagar", kLedgerColumns, rows, ledgerRows(rows, today));
    out << QStringLiteral("PostgreSQL %1: tbpagar com %L2 linhas (copiado em %3 s); %4\n")
               .arg(PQserverVersion(books.handle()) / 10000)
               .arg(rows)
               .arg(generation.elapsed() / 1000.0, 0, 'f', 1)
               .arg(memory());
    qputenv("VANTEJA_BANCO", books.address().toUtf8());
    defineStandardDatabases(dir.path());
    viewsMemory(today);
    {
        ServerBaseline plain(books.handle());
        measure(plain, today);
    }
    Session::instance().clear();
    qunsetenv("VANTEJA_BANCO");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString server = benchServer();
    for (int rows : rowCounts({100000, 1000000}))
        bench(rows, server);
    return 0;
}
