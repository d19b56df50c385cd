#pragma once

#include <QDateTime>
#include <QMap>
#include <memory>

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

class Filler;

// A fill done a few pages at a time, so that the first page can be shown before the last one is filled.
// While it runs, the record source stands on the row being printed with its controls switched off; it goes
// back to its row when the fill ends, fails or is abandoned (the job destroyed).
class FillJob {
public:
    FillJob(const Layout& layout, const FillContext& context = FillContext());
    ~FillJob();
    FillJob(const FillJob&) = delete;
    FillJob& operator=(const FillJob&) = delete;

    // Fills until `pages` more pages are complete or the report ends; returns whether it has ended. Raises
    // DataError when the source can't be read; the job has ended then.
    bool step(int pages);
    bool done() const;
    const Document& document() const;  // the pages so far; the last one is still being filled until done
    int completePages() const;

private:
    std::unique_ptr<Filler> filler_;
};

// Breaks a text into the lines that fit a width (mm) in a font, as every device will print them; at most
// `maxLines` lines when that is not negative.
QStringList breakLines(const QString& text, const Font& font, double width, int maxLines = -1);
// The start of a text that fits one line of `width` mm, cut at a character.
QString cutToWidth(const QString& text, const Font& font, double width);
double textWidth(const QString& text, const Font& font);  // mm
double lineHeight(const Font& font);                      // mm

}  // namespace Report
