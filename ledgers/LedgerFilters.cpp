#include "LedgerFilters.h"

#include <cmath>

#include "DataError.h"
#include "Filter.h"
#include "Values.h"

namespace LedgerFilters {

namespace {
const QString kQuote = QStringLiteral("'");
}

// The thresholds below (1990 here, 1930 and 1900 in the name filters) are deliberate, not slips: the stored
// books mark an unpaid bill by a blank or a very old payment date, and each filter keeps the threshold it has
// always used, so the same books select the same bills. Do not align them.

bool isEmptyBox(const QString& text) {
    return text == kEmptyDate;
}

bool bothFilled(const QString& from, const QString& to) {
    return !isEmptyBox(from) && !isEmptyBox(to);
}

QString dueRange(const QString& from, const QString& to) {
    return QStringLiteral("datavencimento >='") + from + QStringLiteral("' and datavencimento <='") + to +
           kQuote;
}

QString unpaid(const QString& from, const QString& to) {
    if (!bothFilled(from, to)) return QStringLiteral("datapagamento <'01/01/1990'");
    return dueRange(from, to) + QStringLiteral(" and Datapagamento < '01/01/1990'");
}

QString paid(const QString& from, const QString& to) {
    if (!bothFilled(from, to)) return QStringLiteral("datapagamento>'01/01/1990'");
    return dueRange(from, to) + QStringLiteral(" and Datapagamento>'01/01/1990'");
}

QString dueOn(const QString& day) {
    return dueRange(day, day) + QStringLiteral(" and Datapagamento < '01/01/1990'");
}

QString overdueBefore(const QString& day) {
    return QStringLiteral("datavencimento <'") + day + QStringLiteral("' and Datapagamento < '01/01/1990'");
}

QString byName(const QString& from, const QString& to, const QString& field, const QString& name,
               NameTest test) {
    QString text = field + QStringLiteral(" = '") + name + kQuote;
    switch (test) {
        case NameTest::Any:
            break;
        case NameTest::PaidAfter1930:
            text += QStringLiteral(" and datapagamento > '01/01/1930'");
            break;
        case NameTest::UnpaidBefore1930:
            text += QStringLiteral(" and datapagamento < '01/01/1930'");
            break;
        case NameTest::UnpaidBefore1900:
            text += QStringLiteral(" and datapagamento < '01/01/1900'");
            break;
    }
    if (!bothFilled(from, to)) return text;
    return dueRange(from, to) + QStringLiteral(" and ") + text;
}

QString upperAsciiLetters(const QString& text) {
    QString result = text;
    for (QChar& c : result)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return result;
}

void checkTypedName(const QString& name) {
    if (name.contains(kQuote))
        throw DataError(kInvalidFilter + QStringLiteral(": um nome não pode conter aspas (')"));
}

QDate monthStart(const QDate& day) {
    return QDate(day.year(), day.month(), 1);
}

QDate monthEnd(const QDate& day) {
    return QDate(day.year(), day.month(), day.daysInMonth());
}

QDate nextMonth(const QDate& day) {
    return day.addMonths(1);  // Qt keeps the day, or the last day of a shorter month
}

QString totalText(Money sum) {
    return QStringLiteral("Total: ") + sum.text();
}

}  // namespace LedgerFilters
