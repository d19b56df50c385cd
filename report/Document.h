#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include "Layout.h"

// A filled report: pages of positioned items in millimetres, texts already broken into lines. The preview,
// the printer and the PDF all paint this same model, and tests read it.
namespace Report {

// The blank border every QR code keeps around its modules, in modules, inside its item's box.
constexpr int kQrQuietZone = 4;

struct Item {
    enum Kind { Text, Line, Rect, Image, QrCode } kind = Text;
    QRectF rect;   // Text, Rect, Image: the box (a text of width 0 takes what it needs); Line: from
                   // topLeft to bottomRight
    QString text;  // one line
    Font font;
    Qt::Alignment alignment = Qt::AlignLeft;
    double lineWidth = 0.25;
    double radius = 0;
    QImage image;
    // QrCode: the modules row by row, 1 for dark, `modulesPerSide` squared of them; `text` is what it
    // encodes.
    QByteArray modules;
    int modulesPerSide = 0;
};

struct Page {
    QList<Item> items;
    QStringList texts() const;  // every text item, in order
};

// What a report exports as a spreadsheet: the column titles, then the rows as printed, in their order, the
// totals row last; every cell already in the spreadsheet's form (see CsvExport.h).
struct Sheet {
    QStringList titles;
    QList<QStringList> rows;
    bool isEmpty() const { return titles.isEmpty(); }
};

struct Document {
    QString name;
    QSizeF pageSize;  // mm
    PageSize paper = PageSize::A4;
    Zoom zoom = Zoom::PageWidth;
    bool maximised = true;
    QList<Page> pages;
    Sheet sheet;
    QStringList texts() const;  // of every page
};

}  // namespace Report
