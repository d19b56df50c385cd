#include "Conciliacao.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <queue>

#include "Catalogue.h"
#include "Clock.h"
#include "DataError.h"
#include "Database.h"
#include "Engine.h"
#include "LedgerTwin.h"
#include "Query.h"
#include "Table.h"
#include "Values.h"

namespace Conciliacao {

// ---- Matching

Matcher::Matcher(QVector<Bill> bills) : bills_(std::move(bills)) {
    for (int i = 0; i < bills_.size(); ++i)
        if (bills_[i].due.isValid()) byValue_[bills_[i].value.centavos()].append(i);
    for (QVector<int>& list : byValue_)
        std::sort(list.begin(), list.end(), [this](int a, int b) {
            const Bill& x = bills_[a];
            const Bill& y = bills_[b];
            return x.due != y.due ? x.due < y.due : x.key < y.key;
        });
}

QVector<int> Matcher::candidates(Money amount, const QDate& day) const {
    const qint64 centavos = std::abs(amount.centavos());
    const auto found = byValue_.constFind(centavos);
    if (found == byValue_.constEnd() || !day.isValid()) return {};
    const QVector<int>& list = *found;
    const qint64 julian = day.toJulianDay();
    auto dueOf = [this](int i) { return bills_[i].due.toJulianDay(); };
    const auto from = std::lower_bound(list.begin(), list.end(), julian - kDaysAround,
                                       [&](int i, qint64 value) { return dueOf(i) < value; });
    const auto to = std::upper_bound(from, list.end(), julian + kDaysAround,
                                     [&](qint64 value, int i) { return value < dueOf(i); });
    QVector<int> result(from, to);
    // The list is in due-date and key order, which a stable sort keeps among bills as far away.
    std::stable_sort(result.begin(), result.end(),
                     [&](int a, int b) { return std::abs(dueOf(a) - julian) < std::abs(dueOf(b) - julian); });
    return result;
}

QVector<Proposal> propose(const QList<Ofx::Transaction>& lines, const Matcher& payables,
                          const Matcher& receivables, const QVector<bool>& skip) {
    QVector<Proposal> result(lines.size());
    // The nearest pairs are settled first, whichever line they belong to: a bill due on the day of one
    // payment is not taken by another payment three days away. Each line waits with its next candidate.
    struct Waiting {
        int days, line, at;
        bool operator>(const Waiting& other) const {
            return days != other.days ? days > other.days : line > other.line;
        }
    };
    std::priority_queue<Waiting, std::vector<Waiting>, std::greater<Waiting>> queue;
    auto daysTo = [&](int line, int at) {
        const Proposal& p = result[line];
        const Matcher& m = p.payables ? payables : receivables;
        return int(std::abs(m.bills()[p.candidates[at]].due.toJulianDay() - lines[line].date.toJulianDay()));
    };
    for (int i = 0; i < lines.size(); ++i) {
        Proposal& p = result[i];
        p.payables = lines[i].amount.centavos() < 0;
        if ((i < skip.size() && skip[i]) || lines[i].amount.isZero()) continue;
        p.candidates = (p.payables ? payables : receivables).candidates(lines[i].amount, lines[i].date);
        if (!p.candidates.isEmpty()) queue.push({daysTo(i, 0), i, 0});
    }
    QVector<bool> takenPayables(payables.bills().size(), false);
    QVector<bool> takenReceivables(receivables.bills().size(), false);
    while (!queue.empty()) {
        const Waiting w = queue.top();
        queue.pop();
        Proposal& p = result[w.line];
        QVector<bool>& taken = p.payables ? takenPayables : takenReceivables;
        const int bill = p.candidates[w.at];
        if (!taken[bill]) {
            taken[bill] = true;
            p.chosen = bill;
        } else if (w.at + 1 < p.candidates.size()) {
            queue.push({daysTo(w.line, w.at + 1), w.line, w.at + 1});
        }
    }
    return result;
}

QString describe(const Bill& bill) {
    QStringList parts;
    parts << Values::formatFloat(bill.codigo, QStringLiteral("000000"));
    if (!bill.fantasia.isEmpty()) parts << bill.fantasia;
    if (!bill.nome.isEmpty() && bill.nome != bill.fantasia) parts << bill.nome;
    parts << QStringLiteral("venc. ") + Values::dateToText(bill.due);
    return parts.join(QStringLiteral(" · "));
}

// ---- Reading the ledgers

namespace {

// A debit settles a payable, a credit a receivable.
const Ledger::Twin& twinOf(bool payables) {
    return payables ? Ledger::kPagar : Ledger::kReceber;
}

QString tableOf(bool payables) {
    return QString::fromUtf8(twinOf(payables).table);
}

QDate dateOf(const QVariant& value) {
    if (value.typeId() == QMetaType::QDate) return value.toDate();
    return Values::dateFromIso(value.toString());
}

}  // namespace

QVector<Bill> openBills(bool payables) {
    Query query;
    query.setDatabaseName(kAliasVantejaVs2);
    query.setSql(
        QStringLiteral("select Chave, Codigo, Nome, Fantasia, DataVencimento, Valordocumento from %1 "
                       "where DataPagamento is null")
            .arg(Catalogue::find(tableOf(payables))->name));
    query.open();
    QVector<Bill> bills;
    bills.reserve(query.recordCount());
    for (int row = 0; row < query.recordCount(); ++row) {
        const QVariant value = query.valueAt(row, 5);
        if (value.isNull()) continue;  // nothing to match a payment against
        Bill b;
        b.key = query.valueAt(row, 0).toLongLong();
        b.codigo = query.valueAt(row, 1).toDouble();
        b.nome = query.valueAt(row, 2).toString();
        b.fantasia = query.valueAt(row, 3).toString();
        b.due = dateOf(query.valueAt(row, 4));
        b.value = Money::fromAmount(value.toDouble());
        bills << b;
    }
    return bills;
}

// ---- The record of lines applied

namespace {

const QString kStoreFile = QStringLiteral("Extratos.sqlite");

QString storePath() {
    return QDir(Session::instance().database(kAliasVantejaVs2).path()).filePath(kStoreFile);
}

// The record lives apart from the books' tables, which are the program's fixed nine: in a file of its own,
// attached to the books' connection for as long as it is used so that one transaction covers both, or, with
// the books on a server, in a table of its own beside them. Either way an error anywhere leaves both as they
// were.
class AppliedStore {
public:
    AppliedStore(Connection& db, bool create) : db_(db) {
        if (db.dialect().kind() == Dialect::Kind::Postgres) {
            table_ = QStringLiteral("vj_extratos_aplicados");
            const auto exists = [&db] {
                Statement found(
                    db, QStringLiteral("SELECT 1 WHERE to_regclass('vj_extratos_aplicados') IS NOT NULL"));
                return found.step();
            };
            ready_ = exists();
            if (create && !ready_) {
                // Two users applying their first statement at once: the second waits for the first's table,
                // where both creating it would fail one of them.
                Transaction unit(db);
                db.execute(db.dialect().writersLock(QStringLiteral("extratos")));
                db.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS vj_extratos_aplicados (") +
                           columns(true));
                unit.commit();
                ready_ = true;
            }
            return;
        }
        table_ = QStringLiteral("vj_extratos.aplicados");
        const QString path = storePath();
        if (!create && !QFile::exists(path)) return;
        Statement attach(db, QStringLiteral("ATTACH DATABASE ? AS vj_extratos"));
        attach.bind(1, path);
        attach.run();
        attached_ = true;
        if (create) {
            db.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS vj_extratos.aplicados (") + columns(false));
            keepOwnerOnly(path);
        }
        Statement exists(db,
                         QStringLiteral("SELECT 1 FROM vj_extratos.sqlite_master WHERE name = 'aplicados'"));
        ready_ = exists.step();
    }
    ~AppliedStore() {
        if (!attached_) return;
        try {
            db_.execute(QStringLiteral("DETACH DATABASE vj_extratos"));
        } catch (const DataError&) {
            // Left attached, it goes with the connection.
        }
    }
    // Whether the record exists, and the name to read and write it by.
    bool ready() const { return ready_; }
    const QString& table() const { return table_; }
    AppliedStore(const AppliedStore&) = delete;
    AppliedStore& operator=(const AppliedStore&) = delete;

private:
    static QString columns(bool server) {
        const QString integer = server ? QStringLiteral("bigint") : QStringLiteral("INTEGER");
        return QStringLiteral(
                   "conta TEXT NOT NULL, linha TEXT NOT NULL, fitid TEXT, data TEXT, valor %1, "
                   "historico TEXT, livro TEXT NOT NULL, chave %1, codigo %2, criado %1 NOT NULL, "
                   "aplicado_em TEXT, PRIMARY KEY (conta, linha))")
            .arg(integer, server ? QStringLiteral("double precision") : QStringLiteral("REAL"));
    }
    Connection& db_;
    QString table_;
    bool attached_ = false;
    bool ready_ = false;
};

QString ledgerName(bool payables) {
    return payables ? QStringLiteral("pagar") : QStringLiteral("receber");
}

QString lineText(const Ofx::Transaction& line) {
    return QStringLiteral("de %1 no valor de %2 (%3)")
        .arg(Values::dateToText(line.date), line.amount.text(), line.memo);
}

// The views a batch writes through, each reading only the rows it writes.
class Writer {
public:
    explicit Writer(bool payables) : payables_(payables) {}

    double settle(qint64 key, const Ofx::Transaction& line) {
        if (!settling_) {
            settling_ = std::make_unique<Table>(kAliasVantejaVs2, tableOf(payables_));
            settling_->setFilter(QStringLiteral("Chave = %1").arg(key));
            settling_->setFiltered(true);
            settling_->open();
        } else {
            settling_->setFilter(QStringLiteral("Chave = %1").arg(key));
        }
        Table& view = *settling_;
        const QString which = QStringLiteral("A conta a %1 escolhida para o lançamento %2")
                                  .arg(ledgerName(payables_), lineText(line));
        if (view.isEmpty()) throw DataError(which + QStringLiteral(" foi excluída."));
        if (!view.fieldByName(QStringLiteral("DataPagamento")).isNull())
            throw DataError(which + QStringLiteral(" já está quitada."));
        const QVariant value = view.fieldByName(QStringLiteral("Valordocumento")).value();
        if (value.isNull() ||
            Money::fromAmount(value.toDouble()).centavos() != std::abs(line.amount.centavos()))
            throw DataError(which + QStringLiteral(" mudou de valor."));
        view.edit();
        view.fieldByName(QStringLiteral("DataPagamento")).setAsDate(line.date);
        view.post();
        return view.fieldByName(QStringLiteral("Codigo")).asFloat();
    }

    double create(const Ofx::Transaction& line) {
        if (!creating_) {
            // Numbered on from the highest code of the whole ledger, as a new record is.
            Table all(kAliasVantejaVs2, tableOf(payables_));
            all.setIndexName(QStringLiteral("byCodigo"));
            all.open();
            all.last();
            last_ = all.isEmpty() ? 0 : all.fieldByName(QStringLiteral("Codigo")).asFloat();
            creating_ = std::make_unique<Table>(kAliasVantejaVs2, tableOf(payables_));
            creating_->setFilter(QStringLiteral("Codigo > %1").arg(last_, 0, 'f', 0));
            creating_->setFiltered(true);
            creating_->open();
        }
        Table& view = *creating_;
        const QString name =
            line.memo.isEmpty() ? QStringLiteral("LANÇAMENTO DO EXTRATO") : line.memo.toUpper();
        view.insert();
        view.fieldByName(QStringLiteral("Codigo")).setValue(++last_);
        // Another user's new bill may take the number first: then the next one is stored.
        view.markNumbered(QStringLiteral("Codigo"), qint64(last_));
        view.fieldByName(QStringLiteral("Fantasia")).setValue(name);
        view.fieldByName(QStringLiteral("Nome")).setValue(name);
        if (const char* installment = twinOf(payables_).installmentField; *installment)
            view.fieldByName(QString::fromUtf8(installment)).setValue(1);
        view.fieldByName(QStringLiteral("DataEmissao")).setAsDate(line.date);
        view.fieldByName(QStringLiteral("DataVencimento")).setAsDate(line.date);
        view.fieldByName(QStringLiteral("DataPagamento")).setAsDate(line.date);
        view.fieldByName(QStringLiteral("Valordocumento"))
            .setValue(double(std::abs(line.amount.centavos())) / 100.0);
        view.post();
        last_ = view.fieldByName(QStringLiteral("Codigo")).asFloat();
        return last_;
    }

private:
    bool payables_;
    std::unique_ptr<Table> settling_;
    std::unique_ptr<Table> creating_;
    double last_ = 0;
};

}  // namespace

QString storeFileName() {
    return kStoreFile;
}

QHash<QString, Applied> applied(const QString& account) {
    Connection& db = Session::instance().database(kAliasVantejaVs2).connection();
    AppliedStore store(db, false);
    QHash<QString, Applied> result;
    if (!store.ready()) return result;
    Statement select(
        db, QStringLiteral("SELECT linha, livro, codigo, criado FROM %1 WHERE conta = ?").arg(store.table()));
    select.bind(1, account);
    while (select.step())
        result.insert(select.text(0), Applied{select.text(1), select.real(2), select.int64(3) != 0});
    return result;
}

QList<Outcome> apply(const QString& account, const QList<Action>& actions) {
    QList<Outcome> outcomes;
    if (actions.isEmpty()) return outcomes;
    Connection& db = Session::instance().database(kAliasVantejaVs2).connection();
    AppliedStore store(db, true);
    // Declared after the store: the views are gone before it is detached.
    Writer payables(true), receivables(false);
    {
        Transaction unit(db);
        // Another user applying the same statement at the same time waits, and then finds its lines applied.
        if (const QString lock = db.dialect().writersLock(QStringLiteral("extratos")); !lock.isEmpty())
            db.execute(lock);
        const QString now = Clock::now().toString(Qt::ISODate);
        for (const Action& action : actions) {
            Statement seen(
                db, QStringLiteral("SELECT 1 FROM %1 WHERE conta = ? AND linha = ?").arg(store.table()));
            seen.bind(1, account);
            seen.bind(2, action.line.key);
            if (seen.step())
                throw DataError(QStringLiteral("O lançamento %1 do extrato já foi aplicado antes.")
                                    .arg(lineText(action.line)));
            Writer& writer = action.payables ? payables : receivables;
            const bool creating = action.key < 0;
            const double codigo =
                creating ? writer.create(action.line) : writer.settle(action.key, action.line);
            Statement record(
                db, QStringLiteral("INSERT INTO %1 (conta, linha, fitid, data, valor, historico, livro, "
                                   "chave, codigo, criado, aplicado_em) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                        .arg(store.table()));
            record.bindAll({account, action.line.key, action.line.fitid, Values::dateToIso(action.line.date),
                            action.line.amount.centavos(), action.line.memo, ledgerName(action.payables),
                            creating ? QVariant() : QVariant(action.key), codigo, creating ? 1 : 0, now});
            record.run();
            outcomes << Outcome{codigo};
        }
        unit.commit();
    }
    return outcomes;
}

}  // namespace Conciliacao
