#pragma once

#include <QString>

#include "Document.h"

class QPainter;
class QPrinter;
class QImage;

namespace Report {

// Paints one page of a document on a painter whose device has `dotsPerMm` dots per millimetre; the page's
// top-left corner is at the painter's origin.
void paintPage(QPainter& painter, const Document& document, int page, double dotsPerMm);
// The page as a picture at a resolution, white behind.
QImage renderPage(const Document& document, int page, double dotsPerMm);
// Writes every page to a PDF file; false with the reason when it can't.
bool writePdf(const Document& document, const QString& fileName, QString* error = nullptr);
// Prints every page, the layout's own margins applied: the printer prints the whole sheet.
void print(const Document& document, QPrinter& printer);

}  // namespace Report
