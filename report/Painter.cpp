#include "Painter.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>

namespace Report {

namespace {

QPageSize pageSizeOf(const Document& document) {
    return document.paper == PageSize::A4 ? QPageSize(QPageSize::A4) : QPageSize(QPageSize::Letter);
}

// The dark modules of a code as rectangles: runs of dark modules along a row, each run grown down over the
// rows below that have the same run, so that a PDF holds a few hundred rectangles per code.
QList<QRectF> qrRectangles(const Item& item, double dotsPerMm) {
    QList<QRectF> rects;
    const int n = item.modulesPerSide;
    if (n <= 0 || item.modules.size() < qsizetype(n) * n) return rects;
    const double module = item.rect.width() * dotsPerMm / (n + 2 * kQrQuietZone);
    const QPointF origin = item.rect.topLeft() * dotsPerMm + QPointF(module, module) * kQrQuietZone;
    QHash<int, qsizetype> open;  // run (start * n + end) of the row above -> its rectangle
    for (int row = 0; row < n; ++row) {
        QHash<int, qsizetype> next;
        const char* line = item.modules.constData() + qsizetype(row) * n;
        for (int column = 0; column < n;) {
            if (!line[column]) {
                ++column;
                continue;
            }
            const int start = column;
            while (column < n && line[column])
                ++column;
            const int run = start * n + column;
            if (const auto above = open.constFind(run); above != open.constEnd()) {
                rects[*above].setBottom(origin.y() + (row + 1) * module);
                next.insert(run, *above);
            } else {
                next.insert(run, rects.size());
                rects << QRectF(origin.x() + start * module, origin.y() + row * module,
                                (column - start) * module, module);
            }
        }
        open.swap(next);
    }
    return rects;
}

}  // namespace

void paintPage(QPainter& painter, const Document& document, int page, double dotsPerMm) {
    if (page < 0 || page >= document.pages.size()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    auto px = [dotsPerMm](const QRectF& r) {
        return QRectF(r.left() * dotsPerMm, r.top() * dotsPerMm, r.width() * dotsPerMm,
                      r.height() * dotsPerMm);
    };
    for (const Item& item : document.pages[page].items) {
        QPen pen(Qt::black, qMax(1.0, item.lineWidth * dotsPerMm));
        switch (item.kind) {
            case Item::Text:
                painter.setPen(Qt::black);
                painter.setFont(qtFont(item.font));
                painter.drawText(px(item.rect),
                                 int(item.alignment | Qt::AlignTop) | Qt::TextSingleLine | Qt::TextDontClip,
                                 item.text);
                break;
            case Item::Line:
                painter.setPen(pen);
                painter.drawLine(px(item.rect).topLeft(), px(item.rect).bottomRight());
                break;
            case Item::Rect:
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                if (item.radius > 0)
                    painter.drawRoundedRect(px(item.rect), item.radius * dotsPerMm, item.radius * dotsPerMm);
                else
                    painter.drawRect(px(item.rect));
                break;
            case Item::Image:
                painter.drawImage(px(item.rect), item.image);
                break;
            case Item::QrCode:
                // Without smoothing the squares tile a picture exactly, with no grey seams between them.
                painter.save();
                painter.setRenderHint(QPainter::Antialiasing, false);
                painter.setPen(Qt::NoPen);
                painter.setBrush(Qt::black);
                painter.drawRects(qrRectangles(item, dotsPerMm));
                painter.restore();
                break;
        }
    }
    painter.restore();
}

QImage renderPage(const Document& document, int page, double dotsPerMm) {
    const QSize size(qRound(document.pageSize.width() * dotsPerMm),
                     qRound(document.pageSize.height() * dotsPerMm));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(qRound(dotsPerMm * 1000));
    image.setDotsPerMeterY(qRound(dotsPerMm * 1000));
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, document, page, dotsPerMm);
    return image;
}

bool writePdf(const Document& document, const QString& fileName, QString* error) {
    QFile file(fileName);
    // A new PDF is its owner's alone, as the data it prints; a file written over keeps its mode.
    if (!file.open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (error)
            *error = QStringLiteral("Não foi possível gravar %1: %2").arg(fileName, file.errorString());
        return false;
    }
    QPdfWriter writer(&file);
    writer.setTitle(document.name);
    writer.setCreator(QStringLiteral("Vanteja"));
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(pageSizeOf(document), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error) *error = QStringLiteral("Não foi possível gravar %1").arg(fileName);
        return false;
    }
    const double dotsPerMm = writer.resolution() / 25.4;
    for (int page = 0; page < document.pages.size(); ++page) {
        if (page > 0) writer.newPage();
        paintPage(painter, document, page, dotsPerMm);
    }
    painter.end();
    return true;
}

void print(const Document& document, QPrinter& printer) {
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(pageSizeOf(document), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&printer)) return;
    const double dotsPerMm = printer.resolution() / 25.4;
    const int from = printer.fromPage() > 0 ? printer.fromPage() - 1 : 0;
    const int to = printer.toPage() > 0 ? qMin(printer.toPage(), int(document.pages.size()))
                                        : int(document.pages.size());
    for (int page = from; page < to; ++page) {
        if (page > from) printer.newPage();
        paintPage(painter, document, page, dotsPerMm);
    }
    painter.end();
}

}  // namespace Report
