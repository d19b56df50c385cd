#include "Layout.h"

namespace Report {

Font Font::sized(double points) const {
    Font font = *this;
    font.size = points;
    return font;
}

Font Font::withBold(bool on) const {
    Font font = *this;
    font.bold = on;
    return font;
}

Font Font::withItalic(bool on) const {
    Font font = *this;
    font.italic = on;
    return font;
}

Font Font::withUnderline(bool on) const {
    Font font = *this;
    font.underline = on;
    return font;
}

QFont qtFont(const Font& font) {
    QFont qt(font.family);
    qt.setPointSizeF(font.size);
    qt.setBold(font.bold);
    qt.setItalic(font.italic);
    qt.setUnderline(font.underline);
    return qt;
}

QString sheetTitle(const QString& caption) {
    QString title = caption.trimmed();
    if (title.endsWith(u':')) title.chop(1);
    return title.trimmed();
}

QSizeF Layout::pageSize() const {
    return page == PageSize::A4 ? QSizeF(210, 297) : QSizeF(215.9, 279.4);
}

Band& Layout::addBand(BandKind kind, double height) {
    Band band;
    band.kind = kind;
    band.height = height;
    bands.append(band);
    return bands.last();
}

namespace {
Element make(ElementKind kind, const QRectF& box, const Font& font, Qt::Alignment alignment) {
    Element element;
    element.kind = kind;
    element.box = box;
    element.font = font;
    element.alignment = alignment;
    return element;
}
}  // namespace

Element text(double left, double top, const QString& text, const Font& font, double width,
             Qt::Alignment alignment) {
    Element element = make(ElementKind::Text, QRectF(left, top, width, 0), font, alignment);
    element.text = text;
    return element;
}

Element wrappedText(const QRectF& box, const QString& text, const Font& font, Qt::Alignment alignment) {
    Element element = make(ElementKind::Text, box, font, alignment);
    element.text = text;
    element.wordWrap = true;
    return element;
}

Element field(double left, double top, const QString& fieldName, const Font& font, double width,
              Qt::Alignment alignment, Dataset* dataset) {
    Element element = make(ElementKind::Field, QRectF(left, top, width, 0), font, alignment);
    element.field = fieldName;
    element.dataset = dataset;
    return element;
}

Element label(double left, double top, const QString& name, const QString& designText, const Font& font,
              double width, Qt::Alignment alignment) {
    Element element = make(ElementKind::Label, QRectF(left, top, width, 0), font, alignment);
    element.name = name;
    element.text = designText;
    return element;
}

Element wrappedLabel(const QRectF& box, const QString& name, const QString& designText, const Font& font) {
    Element element = make(ElementKind::Label, box, font, Qt::AlignLeft);
    element.name = name;
    element.text = designText;
    element.wordWrap = true;
    return element;
}

Element picture(const QRectF& box, const QImage& image) {
    Element element = make(ElementKind::Picture, box, Font(), Qt::AlignLeft);
    element.picture = image;
    return element;
}

Element hline(double left, double top, double length, double width) {
    Element element = make(ElementKind::HLine, QRectF(left, top, length, 0), Font(), Qt::AlignLeft);
    element.lineWidth = width;
    return element;
}

Element vline(double left, double top, double length, double width) {
    Element element = make(ElementKind::VLine, QRectF(left, top, 0, length), Font(), Qt::AlignLeft);
    element.lineWidth = width;
    return element;
}

Element rect(const QRectF& box, double radius, double width) {
    Element element = make(ElementKind::Rect, box, Font(), Qt::AlignLeft);
    element.radius = radius;
    element.lineWidth = width;
    return element;
}

Element dateTime(double left, double top, const Font& font) {
    return make(ElementKind::DateTime, QRectF(left, top, 0, 0), font, Qt::AlignLeft);
}

Element qrCode(double left, double top, double side, const QString& text) {
    Element element = make(ElementKind::QrCode, QRectF(left, top, side, side), Font(), Qt::AlignLeft);
    element.text = text;
    return element;
}

Element sum(double left, double top, const QString& fieldName, const QString& mask, const Font& font,
            double width, Qt::Alignment alignment) {
    Element element = make(ElementKind::Sum, QRectF(left, top, width, 0), font, alignment);
    element.field = fieldName;
    element.mask = mask;
    return element;
}

}  // namespace Report
