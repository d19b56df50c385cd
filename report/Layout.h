#pragma once

#include <QFont>
#include <QImage>
#include <QList>
#include <QMap>
#include <QRectF>
#include <QString>
#include <functional>

class Dataset;

// Banded report layouts, built in code. Every length is in millimetres.
namespace Report {

enum class PageSize { A4, Letter };
enum class Zoom { WholePage, PageWidth };

struct Font {
    QString family = QStringLiteral("Arial");
    double size = 10;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;

    Font sized(double points) const;
    Font withBold(bool on = true) const;
    Font withItalic(bool on = true) const;
    Font withUnderline(bool on = true) const;
};

// The Qt font for a report font (point size; the device's resolution scales it).
QFont qtFont(const Font& font);

enum class ElementKind {
    Text,      // fixed text
    Field,     // display text of a field of the current record
    Label,     // a text the program sets by name before the preview (its design text otherwise)
    Picture,   // stretched to its box: stored with the layout, from a file, or from a picture field
    HLine,     // along the top of its box, its width long
    VLine,     // along the left of its box, its height long
    Rect,      // its box, optionally with rounded corners
    DateTime,  // date and time of printing
    Sum,       // sum of a field over every printed record, with a mask
    QrCode,    // a QR code of its text, drawn as squares in the square at its box's top-left corner
};

struct Element {
    ElementKind kind = ElementKind::Text;
    QRectF box;     // from the left margin and the top of its band (or of the sheet, for page elements);
                    // a text box of width 0 takes the width of its text
    QString text;   // fixed text; the design text of a label
    QString name;   // label name
    QString field;  // field of Field, Sum and Picture-from-field
    Dataset* dataset = nullptr;  // where the field is read; the report's source when null
    QString mask;                // display mask of a Sum, or a Field overriding the field's own format
    QString format = QStringLiteral("dd/MM/yyyy HH:mm:ss");  // of DateTime
    Font font;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool wordWrap = false;  // lines that do not fit the box are not printed
    QImage picture;
    QString pictureFile;
    double lineWidth = 0.25;
    double radius = 0;  // rounded corners of a Rect
    // A text the program works out from the current record when the element is filled, in place of `text`
    // (Text, QrCode): one code per record.
    std::function<QString()> compute;
};

// A column of the spreadsheet a report exports: its title as printed, the element that prints its value on
// every record (a Field, or a Text the program works out), and what the totals row holds in it (a Text, a
// Label or a Sum; an empty Text leaves the cell empty).
struct SheetColumn {
    QString title;
    Element cell;
    Element total;
};

// A caption printed beside its value ("Nome:") as the title of its spreadsheet column ("Nome").
QString sheetTitle(const QString& caption);

enum class BandKind { Title, Detail, SubDetail, Summary, PageFooter };

struct Band {
    BandKind kind = BandKind::Detail;
    double height = 0;
    bool frame = false;  // a line on all four sides
    QList<Element> elements;
};

struct Layout {
    QString name;
    PageSize page = PageSize::A4;
    double marginLeft = 10, marginTop = 10, marginRight = 10, marginBottom = 10;
    QList<Band> bands;
    QList<Element> pageElements;  // placed on the sheet of the first page, from its top-left corner
    Dataset* source = nullptr;    // walked as filtered and ordered; none prints the detail once
    bool printIfEmpty = true;
    Zoom zoom = Zoom::PageWidth;
    bool maximised = true;
    // The columns of the spreadsheet it exports: one row per printed record, then the totals row when a
    // column has a total. None: the report exports no spreadsheet.
    QList<SheetColumn> sheet;

    QSizeF pageSize() const;  // mm
    double contentWidth() const { return pageSize().width() - marginLeft - marginRight; }
    Band& addBand(BandKind kind, double height);
};

// Element builders.
Element text(double left, double top, const QString& text, const Font& font = Font(), double width = 0,
             Qt::Alignment alignment = Qt::AlignLeft);
Element wrappedText(const QRectF& box, const QString& text, const Font& font = Font(),
                    Qt::Alignment alignment = Qt::AlignLeft);
Element field(double left, double top, const QString& fieldName, const Font& font = Font(), double width = 0,
              Qt::Alignment alignment = Qt::AlignLeft, Dataset* dataset = nullptr);
Element label(double left, double top, const QString& name, const QString& designText,
              const Font& font = Font(), double width = 0, Qt::Alignment alignment = Qt::AlignLeft);
Element wrappedLabel(const QRectF& box, const QString& name, const QString& designText,
                     const Font& font = Font());
Element picture(const QRectF& box, const QImage& image);
Element hline(double left, double top, double length, double width = 0.25);
Element vline(double left, double top, double length, double width = 0.25);
Element rect(const QRectF& box, double radius = 0, double width = 0.25);
Element dateTime(double left, double top, const Font& font = Font());
// A QR code (error correction M, a quiet zone of 4 modules inside the box) filling a square of `side` mm.
Element qrCode(double left, double top, double side, const QString& text = QString());
Element sum(double left, double top, const QString& fieldName, const QString& mask, const Font& font = Font(),
            double width = 0, Qt::Alignment alignment = Qt::AlignLeft);

}  // namespace Report
