#pragma once

#include <QDateTime>
#include <QMap>

#include "Document.h"

namespace Report {

// What a layout is filled with besides its record source.
struct FillContext {
    QMap<QString, QString> labels;  // texts of the labels set by the program, by name
    QDateTime printTime;            // shown by DateTime elements; now when invalid
};

// Fills a layout into pages. The record source is walked from its first row to its last and returned to the
// row it stood on; the page footer is kept on every page, and a band that does not fit moves whole to the
// next page. Raises DataError when the source can't be read.
Document fill(const Layout& layout, const FillContext& context = FillContext());

// Breaks a text into the lines that fit a width (mm) in a font, as every device will print them; at most
// `maxLines` lines when that is not negative.
QStringList breakLines(const QString& text, const Font& font, double width, int maxLines = -1);
// The start of a text that fits one line of `width` mm, cut at a character.
QString cutToWidth(const QString& text, const Font& font, double width);
double textWidth(const QString& text, const Font& font);  // mm
double lineHeight(const Font& font);                      // mm

}  // namespace Report
