#include "Filler.h"

#include <QFontMetricsF>
#include <QtMath>
#include <algorithm>
#include <limits>

#include <qrencode.h>

#include "CsvExport.h"
#include "DataError.h"
#include "Dataset.h"
#include "Money.h"
#include "PictureFile.h"
#include "Values.h"

namespace Report {

namespace {

// Lines are measured once, on a fixed high-resolution reference, so every device breaks them alike.
constexpr double kReferenceDpi = 1200.0;
constexpr double kMmPerReferencePixel = 25.4 / kReferenceDpi;

bool sameFont(const Font& a, const Font& b) {
    return a.size == b.size && a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
           a.family == b.family;
}

// A report uses a handful of fonts: a short list searched in order is the fastest cache.
const QFontMetricsF& metrics(const Font& font) {
    static QImage reference = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(kReferenceDpi / 0.0254));
        image.setDotsPerMeterY(qRound(kReferenceDpi / 0.0254));
        return image;
    }();
    static QList<std::pair<Font, QFontMetricsF*>> cache;
    for (const auto& [known, fm] : cache)
        if (sameFont(known, font)) return *fm;
    cache.append({font, new QFontMetricsF(qtFont(font), &reference)});
    return *cache.last().second;
}

}  // namespace

double textWidth(const QString& text, const Font& font) {
    return metrics(font).horizontalAdvance(text) * kMmPerReferencePixel;
}

double lineHeight(const Font& font) {
    return metrics(font).height() * kMmPerReferencePixel;
}

namespace {

// The length of the longest start of a text that fits a width (at least `least` characters), found by
// halving: a long word costs a few measurements.
int fittingLength(const QFontMetricsF& fm, const QString& line, double limit, int least) {
    int low = least, high = int(line.size());
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (fm.horizontalAdvance(line.left(middle)) <= limit)
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

}  // namespace

QString cutToWidth(const QString& text, const Font& font, double width) {
    const QFontMetricsF& fm = metrics(font);
    const double limit = width / kMmPerReferencePixel;
    if (fm.horizontalAdvance(text) <= limit) return text;
    return text.left(fittingLength(fm, text, limit, 0));
}

QStringList breakLines(const QString& text, const Font& font, double width, int maxLines) {
    QStringList lines;
    const double limit = width / kMmPerReferencePixel;
    const QFontMetricsF& fm = metrics(font);
    auto full = [&] { return maxLines >= 0 && lines.size() >= maxLines; };
    auto fitting = [&](const QString& line) {
        return fittingLength(fm, line.left(line.size() - 1), limit, 1);
    };
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString& word : paragraph.split(QLatin1Char(' '))) {
            if (full()) return lines;
            const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (line.isEmpty() || fm.horizontalAdvance(candidate) <= limit) {
                line = candidate;
            } else {
                lines << line;
                line = word;
            }
            // A word wider than the box is broken where it must be.
            while (line.size() > 1 && fm.horizontalAdvance(line) > limit && !full()) {
                const int fits = fitting(line);
                lines << line.left(fits);
                line = line.mid(fits);
            }
        }
        if (full()) return lines;
        lines << line;
    }
    return lines;
}

namespace {

// Error correction M. A text beyond ASCII is marked as UTF-8 (ECI 26), so readers don't guess another
// encoding.
QRcode* encodeQr(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    if (bytes.size() == text.size())
        return QRcode_encodeString(bytes.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    QRinput* input = QRinput_new2(0, QR_ECLEVEL_M);
    if (!input) return nullptr;
    QRcode* code = nullptr;
    if (QRinput_appendECIheader(input, 26) == 0 &&
        QRinput_append(input, QR_MODE_8, int(bytes.size()),
                       reinterpret_cast<const uchar*>(bytes.constData())) == 0)
        code = QRcode_encodeInput(input);
    QRinput_free(input);
    return code;
}

}  // namespace

class Filler {
public:
    Filler(const Layout& layout, const FillContext& context) : layout_(layout), context_(context) {
        document_.name = layout.name;
        document_.pageSize = layout.pageSize();
        document_.paper = layout.page;
        document_.zoom = layout.zoom;
        document_.maximised = layout.maximised;
        if (!context_.printTime.isValid()) context_.printTime = QDateTime::currentDateTime();
        const Band* footer = band(BandKind::PageFooter);
        footerHeight_ = footer ? footer->height : 0;
        for (const Band& b : layout.bands)
            for (const Element& e : b.elements)
                if (e.kind == ElementKind::Sum) sums_.insert(e.field, MoneySum());
        for (const SheetColumn& column : layout.sheet) {
            document_.sheet.titles << column.title;
            if (column.total.kind == ElementKind::Sum) sums_.insert(column.total.field, MoneySum());
        }
    }

    ~Filler() {
        // Abandoned halfway: the source goes back to its row all the same.
        if (stage_ == Stage::Records) restore();
    }

    // Fills until `pages` more pages are complete or the report ends; returns whether it has ended. A source
    // that can't be read raises DataError, and the source is returned to its row.
    bool step(int pages) {
        try {
            if (stage_ == Stage::Start) begin();
            // The page being filled is complete once the next one has begun.
            const qsizetype target = document_.pages.size() + pages;
            while (stage_ == Stage::Records && document_.pages.size() < target) {
                Dataset* source = layout_.source;
                if (source->eof()) {
                    restore();
                    stage_ = Stage::End;
                    break;
                }
                addToSums(source);
                placeRecordBands();
                source->next();
            }
        } catch (...) {
            if (stage_ == Stage::Records) restore();
            stage_ = Stage::Done;
            throw;
        }
        if (stage_ == Stage::End) end();
        return stage_ == Stage::Done;
    }

    bool done() const { return stage_ == Stage::Done; }
    const Document& document() const { return document_; }
    int completePages() const { return int(document_.pages.size()) - (done() ? 0 : 1); }

private:
    enum class Stage { Start, Records, End, Done };

    void begin() {
        newPage();
        for (const Element& element : layout_.pageElements)
            render(element, QPointF(0, 0));
        if (const Band* title = band(BandKind::Title)) place(*title);
        Dataset* source = layout_.source;
        stage_ = Stage::End;
        if (source && source->active()) {
            mark_ = source->bookmark();
            source->disableControls();
            stage_ = Stage::Records;
            source->first();
        } else if (!source) {
            placeRecordBands();
        }
    }

    void end() {
        Dataset* source = layout_.source;
        if (const Band* summary = band(BandKind::Summary)) place(*summary);
        addSheetTotals();
        finishPage();
        if (!layout_.printIfEmpty && source && source->isEmpty()) document_.pages.clear();
        stage_ = Stage::Done;
    }

    // The source goes back to its row and its controls are switched on again.
    void restore() {
        Dataset* source = layout_.source;
        try {
            source->gotoBookmark(mark_);
        } catch (...) {
        }
        source->enableControls();
    }

    const Band* band(BandKind kind) const {
        for (const Band& b : layout_.bands)
            if (b.kind == kind) return &b;
        return nullptr;
    }

    void placeRecordBands() {
        for (const Band& b : layout_.bands)
            if (b.kind == BandKind::Detail || b.kind == BandKind::SubDetail) place(b);
        addSheetRow();
    }

    // The spreadsheet takes the same records as the pages, each value in its spreadsheet form.
    void addSheetRow() {
        if (layout_.sheet.isEmpty()) return;
        QStringList row;
        for (const SheetColumn& column : layout_.sheet)
            row << sheetCell(column.cell);
        document_.sheet.rows << row;
    }

    void addSheetTotals() {
        const bool any = std::any_of(layout_.sheet.cbegin(), layout_.sheet.cend(), [](const SheetColumn& c) {
            return c.total.kind != ElementKind::Text || !c.total.text.isEmpty();
        });
        if (!any) return;
        QStringList row;
        for (const SheetColumn& column : layout_.sheet)
            row << sheetCell(column.total);
        document_.sheet.rows << row;
    }

    QString sheetCell(const Element& element) {
        if (element.compute) return element.compute();
        if (element.kind == ElementKind::Sum) {
            const Money total = sums_.value(element.field).total();
            return Csv::number(total.toDouble(), 2);
        }
        if (element.kind != ElementKind::Field) return textOf(element);
        Dataset* dataset = element.dataset ? element.dataset : layout_.source;
        if (!dataset) throw DataError(QStringLiteral("O campo '%1' não tem tabela").arg(element.field));
        const int index = dataset->fieldIndex(element.field);
        if (index < 0) throw DataError(QStringLiteral("Campo '%1' não encontrado").arg(element.field));
        const QString format = element.mask.isEmpty() ? dataset->displayFormat(index) : element.mask;
        return Csv::cell(dataset->fieldDef(index), dataset->fieldValue(index), format);
    }

    void addToSums(Dataset* source) {
        for (auto it = sums_.begin(); it != sums_.end(); ++it) {
            const int index = source->fieldIndex(it.key());
            if (index < 0) throw DataError(QStringLiteral("Campo '%1' não encontrado").arg(it.key()));
            const QVariant value = source->fieldValue(index);
            it.value().add(value);
        }
    }

    double limit() const { return document_.pageSize.height() - layout_.marginBottom - footerHeight_; }

    void newPage() {
        document_.pages.append(Page());
        y_ = layout_.marginTop;
    }

    void finishPage() {
        if (const Band* footer = band(BandKind::PageFooter)) {
            const double top = document_.pageSize.height() - layout_.marginBottom - footer->height;
            renderBand(*footer, top);
        }
    }

    // A band that does not fit moves whole to a new page; one taller than a page is cut at the page's end.
    void place(const Band& b) {
        if (y_ + b.height > limit() + 1e-9 && y_ > layout_.marginTop + 1e-9) {
            finishPage();
            newPage();
        }
        renderBand(b, y_);
        y_ += b.height;
    }

    void renderBand(const Band& b, double top) {
        const QPointF origin(layout_.marginLeft, top);
        if (b.frame) {
            Item frame;
            frame.kind = Item::Rect;
            frame.rect = QRectF(origin, QSizeF(layout_.contentWidth(), b.height));
            add(frame);
        }
        for (const Element& element : b.elements)
            render(element, origin);
    }

    void add(const Item& item) { document_.pages.last().items.append(item); }

    QString textOf(const Element& element) {
        if (element.compute) return element.compute();
        switch (element.kind) {
            case ElementKind::Text:
            case ElementKind::QrCode:
                return element.text;
            case ElementKind::Label:
                return context_.labels.value(element.name, element.text);
            case ElementKind::DateTime:
                return context_.printTime.toString(element.format);
            case ElementKind::Sum:
                return Values::formatFloat(sums_.value(element.field).total().toDouble(), element.mask);
            case ElementKind::Field: {
                Dataset* dataset = element.dataset ? element.dataset : layout_.source;
                if (!dataset)
                    throw DataError(QStringLiteral("O campo '%1' não tem tabela").arg(element.field));
                const Field f = dataset->fieldByName(element.field);
                if (!element.mask.isEmpty() && f.def().isNumeric() && !f.isNull())
                    return Values::formatFloat(f.asFloat(), element.mask);
                return f.displayText();
            }
            default:
                return {};
        }
    }

    void render(const Element& element, const QPointF& origin) {
        const QRectF box = element.box.translated(origin);
        switch (element.kind) {
            case ElementKind::HLine:
            case ElementKind::VLine: {
                Item line;
                line.kind = Item::Line;
                const QPointF end = element.kind == ElementKind::HLine ? QPointF(box.right(), box.top())
                                                                       : QPointF(box.left(), box.bottom());
                line.rect = QRectF(box.topLeft(), end);
                line.lineWidth = element.lineWidth;
                add(line);
                return;
            }
            case ElementKind::Rect: {
                Item frame;
                frame.kind = Item::Rect;
                frame.rect = box;
                frame.lineWidth = element.lineWidth;
                frame.radius = element.radius;
                add(frame);
                return;
            }
            case ElementKind::Picture: {
                Item image;
                image.kind = Item::Image;
                image.rect = box;
                image.image = pictureOf(element, box.size());
                if (!image.image.isNull()) add(image);
                return;
            }
            case ElementKind::QrCode:
                renderQrCode(box, textOf(element));
                return;
            default:
                renderText(element, box, textOf(element));
        }
    }

    // The modules are kept, not a picture, so every device paints them as sharp squares.
    void renderQrCode(const QRectF& box, const QString& text) {
        if (text.isEmpty()) return;
        QRcode* code = encodeQr(text);
        if (!code)
            throw DataError(
                QStringLiteral("Não foi possível gerar o código QR de \"%1\": o texto é longo demais.")
                    .arg(text.left(40)));
        Item item;
        item.kind = Item::QrCode;
        item.text = text;
        item.modulesPerSide = code->width;
        item.modules.resize(qsizetype(code->width) * code->width);
        for (qsizetype i = 0; i < item.modules.size(); ++i)
            item.modules[i] = char(code->data[i] & 1);
        QRcode_free(code);
        const double side = qMin(box.width(), box.height());
        item.rect = QRectF(box.topLeft(), QSizeF(side, side));
        add(item);
    }

    QImage pictureOf(const Element& element, const QSizeF& box) {
        if (!element.pictureFile.isEmpty()) {
            // Stretched to its box: no more points than the finest printing puts there.
            const QSize place(qCeil(box.width() * kPrintDotsPerMm), qCeil(box.height() * kPrintDotsPerMm));
            const PictureFile picture =
                readPictureFile(element.pictureFile, QByteArray(), place, Qt::IgnoreAspectRatio);
            if (picture.image.isNull()) {
                QString reason = sizeProblem(picture);
                if (reason.isEmpty())
                    reason = picture.problem == PictureFile::Problem::Missing
                                 ? QStringLiteral("o arquivo não foi encontrado")
                                 : QStringLiteral("o arquivo não é uma figura que o programa saiba ler");
                throw DataError(
                    QStringLiteral("Não foi possível ler a figura %1: %2").arg(element.pictureFile, reason));
            }
            return picture.image;
        }
        if (!element.field.isEmpty()) {
            Dataset* dataset = element.dataset ? element.dataset : layout_.source;
            if (!dataset) return {};
            return QImage::fromData(dataset->fieldByName(element.field).value().toByteArray());
        }
        return element.picture;
    }

    void renderText(const Element& element, const QRectF& box, const QString& text) {
        if (text.isEmpty()) return;
        const double height = lineHeight(element.font);
        const Qt::Alignment horizontal = element.alignment & Qt::AlignHorizontal_Mask;
        if (!element.wordWrap) {
            // One line, cut where its box ends; a box without a width ends at the right margin.
            const double room =
                box.width() > 0 ? box.width() : layout_.marginLeft + layout_.contentWidth() - box.left();
            Item item;
            item.kind = Item::Text;
            item.text = cutToWidth(text, element.font, room);
            if (item.text.isEmpty()) return;
            item.font = element.font;
            item.alignment = horizontal ? horizontal : Qt::AlignLeft;
            // A text without a box width stands at its left edge and takes the width it needs (width 0).
            if (box.width() <= 0) item.alignment = Qt::AlignLeft;
            item.rect = QRectF(box.left(), box.top(), qMax(0.0, box.width()), height);
            add(item);
            return;
        }
        // A box that does not grow: the lines that do not fit are left out.
        const int room = int((box.height() + 0.01) / height);
        const QStringList lines = breakLines(text, element.font, box.width(), room);
        for (int i = 0; i < lines.size(); ++i) {
            const double top = box.top() + i * height;
            if (top + height > box.bottom() + 0.01) break;
            Item item;
            item.kind = Item::Text;
            item.text = lines[i];
            item.font = element.font;
            item.alignment = horizontal ? horizontal : Qt::AlignLeft;
            item.rect = QRectF(box.left(), top, box.width(), height);
            add(item);
        }
    }

    const Layout& layout_;
    FillContext context_;
    Document document_;
    double footerHeight_ = 0;
    double y_ = 0;
    QMap<QString, MoneySum> sums_;  // printed totals follow the one rule for money
    Stage stage_ = Stage::Start;
    Bookmark mark_;
};

Document fill(const Layout& layout, const FillContext& context) {
    Filler filler(layout, context);
    filler.step(std::numeric_limits<int>::max() / 2);
    return filler.document();
}

FillJob::FillJob(const Layout& layout, const FillContext& context)
    : filler_(std::make_unique<Filler>(layout, context)) {}
FillJob::~FillJob() = default;
bool FillJob::step(int pages) {
    return filler_->step(pages);
}
bool FillJob::done() const {
    return filler_->done();
}
const Document& FillJob::document() const {
    return filler_->document();
}
int FillJob::completePages() const {
    return filler_->completePages();
}

QStringList Page::texts() const {
    QStringList list;
    for (const Item& item : items)
        if (item.kind == Item::Text) list << item.text;
    return list;
}

QStringList Document::texts() const {
    QStringList list;
    for (const Page& page : pages)
        list << page.texts();
    return list;
}

}  // namespace Report
