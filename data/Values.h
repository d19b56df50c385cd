#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

#include "Catalogue.h"

// Brazilian formats and the conversions between typed text and stored values. They never depend on the
// machine's locale: the decimal separator is always a comma and the thousands separator a point.
namespace Values {

// Delphi-style numeric picture: '0' a digit always shown, '#' a digit shown when significant, '.' the decimal
// point, ',' anywhere in the integer part turns on thousands grouping. "000000", "###,##0.00",
// "########0.00".
QString formatFloat(double value, const QString& pattern);
// The "%n" number format: thousands grouped, two decimals ("1.234,50", "-49,50").
QString formatNumber(double value);
// A number as Delphi's FloatToStr writes it with a decimal comma: "12,5", "41", "0,1".
QString floatToText(double value);

QString dateToText(const QDate& date);  // dd/mm/yyyy; an invalid date gives ""
QString dateToIso(const QDate& date);   // how dates are stored
QDate dateFromIso(const QString& text);

// A text that holds no digit and nothing but blanks and the mask's separators: "", "  /  /    ".
bool isBlankDateText(const QString& text);
// Reads "dd/mm/yyyy" (one or two digits for day and month, four for the year). A blank text gives an invalid
// date; a partly typed or impossible date raises DataError.
QDate parseDate(const QString& text);
// Reads a number typed the Brazilian way ("1234,56", "1.234,56", "-3"). A blank text gives a null variant;
// anything else that is not a number raises DataError.
QVariant parseNumber(const QString& text);
// An amount of money as typed: read as parseNumber reads it, then rounded once to the centavo on its decimal
// digits, half away from zero ("1,005" is 1,01).
QVariant parseAmount(const QString& text);

// Converts a value to what a field of this definition stores: the right C++ type, texts cut to the field's
// size, empty text as null. Texts are read as the user types them (numbers and dates the Brazilian way).
QVariant toFieldValue(const FieldDef& field, const QVariant& value);

// How a stored value reads as text (Delphi's AsString) and as shown (DisplayText with a display format).
QString asString(const FieldDef& field, const QVariant& value);
QString displayText(const FieldDef& field, const QVariant& value, const QString& displayFormat);

}  // namespace Values
