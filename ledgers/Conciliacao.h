#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVector>

#include "Money.h"
#include "Ofx.h"

// Reconciling a bank statement with the ledgers: debits settle open payables, credits open receivables.
namespace Conciliacao {

// How far a due date may lie from the day the bank posted the payment.
constexpr int kDaysAround = 5;

// An open (unpaid) bill of one ledger, as the matching sees it.
struct Bill {
    qint64 key = -1;  // the row key, `Chave`
    Money value;
    QDate due;
    double codigo = 0;
    QString nome;
    QString fantasia;
};

// The open bills of one ledger, indexed by value so that a statement of thousands of lines is matched against
// a ledger of a hundred thousand rows at once.
class Matcher {
public:
    explicit Matcher(QVector<Bill> bills);
    const QVector<Bill>& bills() const { return bills_; }
    // The bills a payment of this amount (its size; the sign is the caller's) made on this day may settle:
    // the same value to the centavo, due at most kDaysAround days away; the nearest due date first, an
    // earlier one before a later one as far away, then the older entry. Indexes into bills().
    QVector<int> candidates(Money amount, const QDate& day) const;

private:
    QVector<Bill> bills_;
    QHash<qint64, QVector<int>> byValue_;  // by centavos, each sorted by due date and key
};

// What the window proposes for each line of a statement.
struct Proposal {
    bool payables = false;    // a debit, settled against the payables; a credit against the receivables
    QVector<int> candidates;  // indexes into that ledger's bills, best first
    int chosen = -1;          // one of them, or -1
};

// The proposals for a statement: every line its candidates, and the best candidate not already proposed for
// a line with a nearer one, so that no bill is offered twice. Lines whose `skip` is set (already imported)
// get neither.
QVector<Proposal> propose(const QList<Ofx::Transaction>& lines, const Matcher& payables,
                          const Matcher& receivables, const QVector<bool>& skip = {});

// ---- What is stored

// An open bill as text for the list: "000012 · LUZ · CEMIG · venc. 15/03/2024".
QString describe(const Bill& bill);

// Reads the open bills of a ledger ("tbpagar" or "tbreceber") through the program's books.
QVector<Bill> openBills(bool payables);

// The lines already applied, kept in a file of their own in the data folder, one row per account and line
// key: how each was applied, for the window to say so.
struct Applied {
    QString ledger;  // "pagar" or "receber"
    double codigo = 0;
    bool created = false;  // a new entry, rather than a bill settled
};
QHash<QString, Applied> applied(const QString& account);  // by line key
QString storeFileName();                                  // "Extratos.sqlite", in the data folder

// One line to apply: settle the bill `key` of its ledger, or, with `key` -1, turn the line into a new paid
// entry named after its memo.
struct Action {
    Ofx::Transaction line;
    bool payables = false;
    qint64 key = -1;
};
struct Outcome {
    double codigo = 0;  // the bill settled, or the entry made
};

// Applies the actions in one transaction with the record of the lines applied: the books and that record
// hold all of them or none. Settling writes the line's date into `DataPagamento`; a bill that is no longer
// open with the same value, or a line already applied, refuses the whole batch with DataError.
QList<Outcome> apply(const QString& account, const QList<Action>& actions);

}  // namespace Conciliacao
