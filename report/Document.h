#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include "Layout.h"

// A filled report: pages of positioned items in millimetres, texts already broken into lines. The preview,
// the printer and the PDF all paint this same model, and tests read it.
namespace Report {

struct Item {
    enum Kind { Text, Line, Rect, Image } kind = Text;
    QRectF rect;   // Text, Rect, Image: the box (a text of width 0 takes what it needs); Line: from
                   // topLeft to bottomRight
    QString text;  // one line
    Font font;
    Qt::Alignment alignment = Qt::AlignLeft;
    double lineWidth = 0.25;
    double radius = 0;
    QImage image;
};

struct Page {
    QList<Item> items;
    QStringList texts() const;  // every text item, in order
};

struct Document {
    QString name;
    QSizeF pageSize;  // mm
    PageSize paper = PageSize::A4;
    Zoom zoom = Zoom::PageWidth;
    bool maximised = true;
    QList<Page> pages;
    QStringList texts() const;  // of every page
};

}  // namespace Report
