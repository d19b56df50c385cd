#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include "Money.h"

// Brazilian formats, whatever the machine's locale.
namespace Formats {
const QLocale& brazil();
QString date(const QDate& date);      // dd/mm/yyyy
QString time(const QTime& time);      // hh:nn:ss
QString longDate(const QDate& date);  // "quarta-feira, 09 de dezembro de 2026"
QString monthName(int month);         // "março"
QString number(double value);         // the "%n" format: "2.500,75"
QString money(double value);          // "R$ 2.500,75"
QString money(Money total);           // a total, "R$ 2.500,75"
}  // namespace Formats
