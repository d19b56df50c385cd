#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include "Money.h"

// Bank statements in OFX, as Brazilian banks export them (1.x SGML in Windows-1252, 2.x XML), read through
// libofx into plain values.
namespace Ofx {

struct Transaction {
    QDate date;        // the day the bank posted it, in Brasília time
    QString memo;      // what the bank wrote about it (name and memo joined)
    Money amount;      // negative for a debit
    QString fitid;     // the bank's own identification, as written
    QString key;       // the identification that tells it apart from every other line of the account
    QString currency;  // "BRL"
};

struct Statement {
    QString file;     // the file's name, for messages
    QString account;  // bank, branch and account as the bank identifies them
    QString currency;
    QList<Transaction> transactions;
    QDate first() const;  // the earliest and the latest transaction date
    QDate last() const;
};

// Reads a statement file. A file that cannot be read, is empty, is not OFX, is cut short, is in a currency
// other than the real or holds no transaction raises DataError with a Portuguese message naming the file.
Statement read(const QString& path);

// The day a moment libofx gives falls on in Brasília time (UTC-3, no daylight saving since 2019). libofx
// puts a date without time at 10:59 UTC, which stays on its day here.
QDate dayOf(qint64 secondsSinceEpoch);

}  // namespace Ofx
