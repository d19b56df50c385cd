#include "Formats.h"

#include "Values.h"

const QLocale& Formats::brazil() {
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

QString Formats::date(const QDate& date) {
    return Values::dateToText(date);
}

QString Formats::time(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString Formats::longDate(const QDate& date) {
    return brazil().dayName(date.dayOfWeek(), QLocale::LongFormat) + QStringLiteral(", ") +
           date.toString(QStringLiteral("dd")) + QStringLiteral(" de ") + monthName(date.month()) +
           QStringLiteral(" de ") + date.toString(QStringLiteral("yyyy"));
}

QString Formats::monthName(int month) {
    return brazil().standaloneMonthName(month, QLocale::LongFormat);
}

QString Formats::number(double value) {
    return Values::formatNumber(value);
}

QString Formats::money(double value) {
    return QStringLiteral("R$ ") + number(value);
}

QString Formats::money(Money total) {
    return QStringLiteral("R$ ") + total.text();
}
