#pragma once

#include "Money.h"

#include <QDate>
#include <QString>

// The wording of the ledger filters, shared by the two ledger windows and the main window's alerts. Dates are
// the texts of the date boxes as typed (dd/mm/yyyy); a blank payment date is lower than every date, so the
// "before" tests also select unpaid bills.
namespace LedgerFilters {

// An empty date box reads exactly this; a partly typed date counts as filled.
inline const QString kEmptyDate = QStringLiteral("  /  /    ");
bool isEmptyBox(const QString& text);
bool bothFilled(const QString& from, const QString& to);

// Due date from `from` to `to`, both included.
QString dueRange(const QString& from, const QString& to);
// Unpaid (blank or paid before 1990), within the range when both boxes are filled.
QString unpaid(const QString& from, const QString& to);
// Paid after 1990, within the range when both boxes are filled.
QString paid(const QString& from, const QString& to);
// Unpaid and due on `day`.
QString dueOn(const QString& day);
// Unpaid and due strictly before `day` (a blank due date included).
QString overdueBefore(const QString& day);

// The payment test a name filter adds. The three thresholds differ on purpose (see LedgerFilters.cpp).
enum class NameTest { Any, PaidAfter1930, UnpaidBefore1930, UnpaidBefore1900 };
// `field` ("fantasia" or "Nome") equal to the name, placed between the quotes as it is; a name ending in *
// matches by prefix.
QString byName(const QString& from, const QString& to, const QString& field, const QString& name,
               NameTest test);

// A typed name as the name filters use it: a to z turned into capitals, everything else as typed.
QString upperAsciiLetters(const QString& text);
// A typed name is a value, never filter syntax: since byName places it between the quotes as it is, a quote
// in it would end the constant and let the rest become conditions ("X' or Nome > '" lets every record
// through). Raises DataError with the invalid-expression message for any name that holds a quote.
void checkTypedName(const QString& name);

// First and last day of the month of `day`.
QDate monthStart(const QDate& day);
QDate monthEnd(const QDate& day);
// One calendar month later; a day the next month lacks becomes its last day.
QDate nextMonth(const QDate& day);

// A total shown as "Total: " and the "%n" number ("Total: 1.234,50").
QString totalText(Money sum);

}  // namespace LedgerFilters
