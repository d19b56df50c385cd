#include "Unit2.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include "DataError.h"
#include "Database.h"
#include "Dialogs.h"
#include "PictureFile.h"
#include "Table.h"
#include "Values.h"

using namespace Report;

namespace {

// Every position below is written from the sheet's top-left corner, as the printed paper is measured; the
// elements of a band are moved to the band's origin when the band is made.
constexpr double kMargin = 10;
constexpr double kTitleHeight = 13.5;
constexpr double kNoteTop = kMargin + kTitleHeight;
constexpr double kNoteHeight = 99.5;

// The lower copy of the two-copy standard receipt stands this far below the upper one.
constexpr double kSecondCopy = 135.5;

const QRectF kReceiptFormBox(13, 30, 178, 102);
const QRectF kNoteFormBox(12, 26, 186.5, 91);
const QSizeF kLogoSize(32, 21);

const QString kDeclaration = QStringLiteral(
    "E, para maior clareza firmo o presente recibo para que produza o seu efeito, dando plena, rasa e "
    "irrevogável quitação, pelo valor recebido.");

Font arial(double points) {
    return Font().sized(points);
}

Font family(const QString& name, double points) {
    Font font = Font().sized(points);
    font.family = name;
    return font;
}

Element wrappedField(const QRectF& box, const QString& name, const Font& font, Dataset* dataset) {
    Element element = field(box.left(), box.top(), name, font, box.width(), Qt::AlignLeft, dataset);
    element.box = box;
    element.wordWrap = true;
    return element;
}

void addToBand(Band& band, double bandTop, const QList<Element>& onSheet) {
    for (Element element : onSheet) {
        element.box.translate(-kMargin, -bandTop);
        band.elements << element;
    }
}

Layout sheet(const QString& name, Zoom zoom) {
    Layout layout;
    layout.name = name;
    layout.zoom = zoom;
    // The standard receipts are read across the page; the personalised one and the note are seen whole.
    layout.maximised = zoom == Zoom::PageWidth;
    return layout;
}

// The names a standard receipt block prints under, and where its logo stands.
struct StandardCopy {
    double offset = 0;
    QString value;
    QString importancia;
    QString placeAndDate;
    Font importanciaFont;
    QImage logo;
    QPointF logoAt;
};

// A PIX code of a receipt: its amount and its number.
constexpr double kQrSide = 23;

Element receiptQr(double left, double top, Table* Trecibo, const Pix::Receiver& receiver) {
    Element code = qrCode(left, top, kQrSide);
    code.compute = [Trecibo, receiver] {
        Pix::Charge charge;
        // An amount that does not read as one leaves it to the payer.
        try {
            const QVariant amount =
                Values::parseAmount(Trecibo->fieldByName(QStringLiteral("Valor2")).asString());
            if (!amount.isNull()) charge.centavos = qRound64(amount.toDouble() * 100);
        } catch (const DataError&) {
        }
        charge.reference =
            QStringLiteral("Recibo") + Trecibo->fieldByName(QStringLiteral("Codigo")).displayText();
        return Pix::payload(receiver, charge);
    };
    return code;
}

// In the standard form the code stands under the value's box, at the right of the wide box; the lines of
// that box that would run under it end before it.
void addStandardPix(QList<Element>& block, double dy, Table* Trecibo, const Pix::Receiver& receiver) {
    const double left = 165, top = 53 + dy;
    for (Element& e : block) {
        const bool beside = e.box.top() < top + kQrSide && e.box.top() >= top - 1;
        if (beside && (e.kind == ElementKind::Field || e.kind == ElementKind::Label))
            e.box.setWidth(left - 2 - e.box.left());
    }
    block << receiptQr(left, top, Trecibo, receiver);
}

void addStandardCopy(QList<Element>& elements, Table* Trecibo, const StandardCopy& copy,
                     const std::optional<Pix::Receiver>& pix) {
    const double dy = copy.offset;
    const Font normal = arial(10);
    auto value = [Trecibo](double left, double top, const QString& name, const Font& font, double width = 0,
                           Qt::Alignment alignment = Qt::AlignLeft) {
        return field(left, top, name, font, width, alignment, Trecibo);
    };
    QList<Element> block;
    block << picture(kReceiptFormBox.translated(0, dy), TForm2::receiptForm())
          << text(23, 40 + dy, QStringLiteral("Nº"), arial(14).withBold())
          << value(30, 40 + dy, QStringLiteral("Codigo"), arial(14).withBold(), 40, Qt::AlignHCenter)
          << text(138, 40 + dy, QStringLiteral("R$"), arial(12))
          << label(148, 40 + dy, copy.value, QString(), arial(12).withUnderline())
          << text(19, 57 + dy, QStringLiteral("Recebi(emos) de:"), normal)
          << value(49, 57 + dy, QStringLiteral("Reci"), normal)
          << text(19, 63 + dy, QStringLiteral("Endereço:"), normal)
          << value(38, 63 + dy, QStringLiteral("End"), normal)
          << wrappedLabel(QRectF(19, 68.5 + dy, 165, 9), copy.importancia, QString(), copy.importanciaFont)
          << text(19, 78 + dy, QStringLiteral("Referente:"), normal)
          << value(38, 78 + dy, QStringLiteral("Referente"), normal)
          << label(19, 93 + dy, copy.placeAndDate, QString(), arial(11))
          << picture(QRectF(copy.logoAt, kLogoSize), copy.logo)
          << text(21, 108 + dy, QStringLiteral("Emitente:"), arial(11))
          << value(40, 108 + dy, QStringLiteral("Emitente"), arial(11))
          << text(21, 114 + dy, QStringLiteral("Endereço:"), arial(11))
          << wrappedField(QRectF(40, 114 + dy, 108, 9), QStringLiteral("End2"), normal, Trecibo)
          << value(89, 121 + dy, QStringLiteral("Cpf"), arial(11), 40, Qt::AlignHCenter)
          << text(100, 125 + dy, QStringLiteral("CPF/CNPJ Nº "), arial(8))
          << text(15, 133 + dy, QStringLiteral("Observações:"), arial(8))
          << value(36, 133 + dy, QStringLiteral("Obs_recibo"), arial(8));
    if (pix) addStandardPix(block, dy, Trecibo, *pix);
    elements << block;
}

// A blank picture whose resolution is that of the box it is stretched to, so that fonts given in points come
// out at their printed size.
QImage blankPicture(const QSize& pixels, const QSizeF& millimetres) {
    QImage image(pixels, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(pixels.width() / millimetres.width() * 1000));
    image.setDotsPerMeterY(qRound(pixels.height() / millimetres.height() * 1000));
    image.fill(Qt::white);
    return image;
}

// Paints on a picture in millimetres of the sheet, knowing where on the sheet the picture is stretched to.
// One unit is the same length on paper across and down, even where the stretching differs.
class PaperCanvas {
public:
    PaperCanvas(QImage& image, const QRectF& onSheet)
        : painter(&image), origin_(onSheet.topLeft()), unit_(image.height() / onSheet.height()) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale((image.width() / onSheet.width()) / unit_, 1.0);
    }

    QPointF point(double left, double top) const {
        return QPointF((left - origin_.x()) * unit_, (top - origin_.y()) * unit_);
    }
    QRectF rect(double left, double top, double width, double height) const {
        return QRectF(point(left, top), QSizeF(width * unit_, height * unit_));
    }
    double length(double mm) const { return mm * unit_; }

    void roundedBox(const QRectF& mm, double radius, const QColor& line, double lineWidth,
                    const QBrush& fill = Qt::NoBrush) {
        painter.setPen(QPen(line, length(lineWidth)));
        painter.setBrush(fill);
        painter.drawRoundedRect(rect(mm.left(), mm.top(), mm.width(), mm.height()), length(radius),
                                length(radius));
    }

    static QFont font(const QString& family, double points, bool bold) {
        QFont font(family);
        font.setPointSizeF(points);
        font.setBold(bold);
        return font;
    }

    QPainter painter;

private:
    QPointF origin_;
    double unit_;  // pixels per millimetre down the picture
};

QImage storedLogo() {
    QString path;
    try {
        Table Tlogo(kAliasVantejaVs2, QStringLiteral("logo.db"));
        Tlogo.open();
        Tlogo.first();
        if (!Tlogo.isEmpty()) path = Tlogo.fieldByName(QStringLiteral("End")).asString();
    } catch (const DataError& error) {
        Dialogs::current().error(nullptr, error.message());
        return {};
    }
    if (path.isEmpty()) return {};
    // Stretched to its box: a larger picture is read scaled down to what the finest print puts there.
    const QSize place(qCeil(kLogoSize.width() * kPrintDotsPerMm),
                      qCeil(kLogoSize.height() * kPrintDotsPerMm));
    const PictureFile picture = readPictureFile(path, QByteArray(), place, Qt::IgnoreAspectRatio);
    if (picture.image.isNull()) {
        QString reason = sizeProblem(picture);
        if (reason.isEmpty()) {
            switch (picture.problem) {
                case PictureFile::Problem::Missing:
                    reason = QStringLiteral("o arquivo não foi encontrado");
                    break;
                case PictureFile::Problem::Unreadable:
                    reason = QStringLiteral("o arquivo não pode ser aberto");
                    break;
                default:
                    reason = QStringLiteral("o arquivo não é uma figura que o programa saiba ler");
            }
        }
        Dialogs::current().error(nullptr, QStringLiteral("Não foi possível ler a logomarca %1: %2.")
                                              .arg(QDir::toNativeSeparators(path), reason));
    }
    return picture.image;
}

}  // namespace

TForm2::TForm2(Table* Trecibo, Table* T_NP)
    : QRImage5(defaultLogo()), QRImage7(QRImage5), QRImage6(QRImage5), Trecibo_(Trecibo), T_NP_(T_NP) {
    pix = Pix::configured();
    // One file for the three standard copies: read once, and a failure leaves all three on the default.
    const QImage logo = storedLogo();
    if (!logo.isNull()) {
        QRImage5 = logo;
        QRImage7 = logo;
        QRImage6 = logo;
    }
}

Layout TForm2::QuickRep1() const {
    Layout layout = sheet(QStringLiteral("QuickRep1"), Zoom::WholePage);
    Band& title = layout.addBand(BandKind::Title, kTitleHeight);
    addToBand(title, kMargin,
              {label(12, 12, QStringLiteral("Lnrecibo"), QString(), arial(9).withBold()),
               text(93, 16, QStringLiteral("RECIBO"), arial(18).withUnderline())});

    auto value = [this](double left, double top, const QString& name) {
        return field(left, top, name, arial(12), 0, Qt::AlignLeft, Trecibo_);
    };
    layout.pageElements
        << dateTime(11, 4, arial(10))
        // Upper copy.
        << text(129, 36, QStringLiteral("Valor R$"), arial(12))
        << label(146, 36, QStringLiteral("lvalor"), QString(), arial(12).withUnderline())
        << wrappedLabel(QRectF(25, 57, 161, 19), QStringLiteral("QRLabel4"), QString(), arial(12))
        << wrappedText(QRectF(25, 76, 161, 11), kDeclaration, arial(12))
        << wrappedLabel(QRectF(119, 102, 70, 13), QStringLiteral("Ldata"), QString(), arial(10))
        << value(119, 116, QStringLiteral("Emitente"))
        << text(119, 123, QStringLiteral("RG/IE Nº "), arial(12))
        << value(138, 123, QStringLiteral("Rgemitente"))
        << text(119, 131, QStringLiteral("CPF/CNPJ Nº "), arial(12)) << value(148, 131, QStringLiteral("Cpf"))
        << hline(15, 140, 180)
        // Lower copy.
        << label(15, 144, QStringLiteral("QRLabel36"), QString(), arial(9).withBold())
        << text(95, 146, QStringLiteral("RECIBO"), arial(18).withUnderline())
        << text(131, 161, QStringLiteral("Valor R$"), arial(12))
        << label(148, 161, QStringLiteral("QRLabel17"), QString(), arial(12).withUnderline())
        << wrappedLabel(QRectF(28, 180, 161, 19), QStringLiteral("QRLabel34"), QString(), arial(12))
        << wrappedText(QRectF(28, 201, 161, 11), kDeclaration, arial(12))
        << wrappedLabel(QRectF(116, 229, 70, 13), QStringLiteral("Ldata2"), QString(), arial(10))
        << value(116, 250, QStringLiteral("Emitente"))
        << text(116, 256, QStringLiteral("RG/IE Nº "), arial(12))
        << value(136, 256, QStringLiteral("Rgemitente"))
        << text(116, 265, QStringLiteral("CPF/CNPJ Nº "), arial(12))
        << value(146, 265, QStringLiteral("Cpf"));
    // The codes stand left of "Valor R$", under the title, clear of the payer sentence.
    if (pix) layout.pageElements << receiptQr(105, 27, Trecibo_, *pix) << receiptQr(107, 155, Trecibo_, *pix);
    return layout;
}

Layout TForm2::Quick_1Via() const {
    Layout layout = sheet(QStringLiteral("Quick_1Via"), Zoom::PageWidth);
    Band& title = layout.addBand(BandKind::Title, kTitleHeight);
    addToBand(title, kMargin, {label(12, 12, QStringLiteral("QRLabel61"), QString(), arial(9).withBold())});
    layout.pageElements << dateTime(11, 4, arial(9));
    addStandardCopy(layout.pageElements, Trecibo_,
                    {0, QStringLiteral("QRLabel66"), QStringLiteral("QRLabel71"), QStringLiteral("QRLabel63"),
                     arial(10), QRImage5, QPointF(148, 106)},
                    pix);
    layout.pageElements << dateTime(11, 281.5, arial(9));
    return layout;
}

Layout TForm2::QuickRep2() const {
    Layout layout = sheet(QStringLiteral("QuickRep2"), Zoom::PageWidth);
    Band& title = layout.addBand(BandKind::Title, kTitleHeight);
    addToBand(title, kMargin, {label(12, 12, QStringLiteral("QRLabel9"), QString(), arial(9).withBold())});
    layout.pageElements << dateTime(11, 4, arial(9));
    addStandardCopy(layout.pageElements, Trecibo_,
                    {0, QStringLiteral("QRLabel10"), QStringLiteral("QRimportancia"),
                     QStringLiteral("QRLabel13"), arial(10), QRImage7, QPointF(148, 106)},
                    pix);
    layout.pageElements << hline(19, 146, 172)
                        << label(23, 150, QStringLiteral("QRLabel15"), QString(), arial(9).withBold());
    addStandardCopy(layout.pageElements, Trecibo_,
                    {kSecondCopy, QStringLiteral("Lvalor2"), QStringLiteral("QRimportancia2"),
                     QStringLiteral("QRLabel20"), family(QStringLiteral("MS Sans Serif"), 10), QRImage6,
                     QPointF(154, 106 + kSecondCopy)},
                    pix);
    layout.pageElements << dateTime(11, 281.5, arial(9));
    return layout;
}

Layout TForm2::QuickRep4() const {
    Layout layout = sheet(QStringLiteral("QuickRep4"), Zoom::WholePage);
    layout.addBand(BandKind::Title, kTitleHeight);
    Band& note = layout.addBand(BandKind::Detail, kNoteHeight);
    note.frame = true;

    auto value = [this](double left, double top, const QString& name, double width = 0) {
        return field(left, top, name, arial(10), width, Qt::AlignLeft, T_NP_);
    };
    // The fill-in lines under the payer and the place and date stand a little below 53 and 93 mm, so that the
    // texts sit on them instead of being crossed.
    Font black = family(QStringLiteral("Arial Black"), 12).withBold();
    addToBand(
        note, kNoteTop,
        {picture(kNoteFormBox, noteForm()),
         label(23, 32, QStringLiteral("QRLabel50"), QString(), arial(10)),
         label(93, 38, QStringLiteral("numero_nota"), QString(), arial(14), 34, Qt::AlignHCenter),
         label(156, 38, QStringLiteral("QRLabel40"), QString(), arial(14).withBold(), 34, Qt::AlignHCenter),
         text(25, 40.5, QStringLiteral("NOTA PROMISSÓRIA"), black),
         text(25, 50, QStringLiteral("Ao (s)"), arial(11)),
         value(38, 50, QStringLiteral("Aos"), 153),
         hline(38, 53.4, 153),
         text(25, 55, QStringLiteral("pagarei por esta única via de nota promissória"), arial(11).withBold()),
         text(25, 60.5, QStringLiteral("à"), arial(12).withBold()),
         label(29, 60.5, QStringLiteral("QRLabel39"), QString(), arial(10)),
         hline(29, 64, 161),
         wrappedLabel(QRectF(27, 70, 163, 9), QStringLiteral("QRLabel42"), QString(), arial(10)),
         text(25, 83, QStringLiteral("Pagável em"), arial(11)),
         label(50, 83, QStringLiteral("QRLabel54"), QString(), arial(10)),
         text(25, 89, QStringLiteral("EMITENTE"), arial(11)),
         value(50, 89, QStringLiteral("Emitente")),
         label(129, 90, QStringLiteral("QRLabel51"), QString(), arial(9), 64, Qt::AlignHCenter),
         hline(129, 93.4, 64),
         text(25, 95.5, QStringLiteral("CPF / CNPJ"), arial(11)),
         value(50, 95.5, QStringLiteral("Cpf_emitente")),
         text(25, 102, QStringLiteral("Endereço"), arial(11)),
         wrappedField(QRectF(50, 102, 74, 9), QStringLiteral("End_emitente"), arial(10), T_NP_),
         hline(129, 106, 64),
         text(156, 108, QStringLiteral("assinatura"), arial(8)),
         text(21, 117, QStringLiteral("Observações:"), arial(8)),
         field(42, 117, QStringLiteral("Msg"), arial(8), 0, Qt::AlignLeft, T_NP_)});
    return layout;
}

QImage TForm2::receiptForm() {
    QImage image = blankPicture(QSize(992, 567), kReceiptFormBox.size());
    PaperCanvas canvas(image, kReceiptFormBox);
    QPainter& p = canvas.painter;
    const QColor black(Qt::black);
    // The boxes are where the standard block's texts fall: number and value, payer to purpose, place and
    // date, issuer and logo (the lower copy's logo stands 6 mm further right).
    canvas.roundedBox(QRectF(13.5, 30.5, 177, 101), 3, black, 0.3);
    canvas.roundedBox(QRectF(19, 35, 56, 14.5), 2.5, black, 0.35);
    canvas.roundedBox(QRectF(133, 35, 56, 14.5), 2.5, black, 0.35);
    canvas.roundedBox(QRectF(16, 52.5, 173, 31), 2.5, black, 0.35);
    canvas.roundedBox(QRectF(16, 91, 173, 8.5), 2.5, black, 0.35);
    canvas.roundedBox(QRectF(16, 102, 173, 28.5), 2.5, black, 0.35);

    p.setPen(black);
    p.setFont(PaperCanvas::font(QStringLiteral("Liberation Serif"), 28, true));
    p.drawText(canvas.rect(75, 35, 58, 14.5), Qt::AlignCenter, QStringLiteral("RECIBO"));
    p.setFont(PaperCanvas::font(QStringLiteral("Liberation Serif"), 11, true));
    p.drawText(canvas.rect(19, 84.5, 165, 6), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Para maior clareza firmamos o presente"));
    return image;
}

QImage TForm2::noteForm() {
    QImage image = blankPicture(QSize(850, 425), kNoteFormBox.size());
    PaperCanvas canvas(image, kNoteFormBox);
    QPainter& p = canvas.painter;
    const QColor grey(226, 226, 226);
    const QColor greyLine(150, 150, 150);
    canvas.roundedBox(QRectF(19, 27, 178.5, 89), 3, Qt::black, 0.3);
    // Number and value above, the amount sentence across the middle.
    canvas.roundedBox(QRectF(89, 35, 42, 11.5), 2, greyLine, 0.25, grey);
    canvas.roundedBox(QRectF(152, 35, 42, 11.5), 2, greyLine, 0.25, grey);
    canvas.roundedBox(QRectF(24, 68.5, 170, 11), 1.5, greyLine, 0.25, grey);

    p.save();
    p.translate(canvas.point(15.5, 71.5));
    p.rotate(-90);
    p.setPen(Qt::black);
    p.setFont(PaperCanvas::font(QStringLiteral("Liberation Serif"), 12, true));
    p.drawText(QRectF(-canvas.length(44), -canvas.length(3.5), canvas.length(88), canvas.length(7)),
               Qt::AlignCenter, QStringLiteral("República Federativa do Brasil"));
    p.restore();
    return image;
}

QImage TForm2::defaultLogo() {
    // Drawn for the 32 x 21 mm box every standard copy stretches its logo to.
    QImage image = blankPicture(QSize(675, 180), kLogoSize);
    PaperCanvas canvas(image, QRectF(QPointF(0, 0), kLogoSize));
    QPainter& p = canvas.painter;
    const QColor navy(0, 0, 128);
    const QColor gold(214, 160, 20);

    // The emblem: a navy coin with a golden ring and a white V.
    const QRectF coin = canvas.rect(10.5, 1.5, 11, 11);
    p.setPen(QPen(gold, canvas.length(0.8)));
    p.setBrush(navy);
    p.drawEllipse(coin);
    QPainterPath v;
    v.moveTo(canvas.point(13.2, 4.2));
    v.lineTo(canvas.point(16, 10));
    v.lineTo(canvas.point(18.8, 4.2));
    p.setPen(QPen(Qt::white, canvas.length(1.3), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(v);

    p.setPen(navy);
    p.setFont(PaperCanvas::font(QStringLiteral("Liberation Sans"), 15, true));
    p.drawText(canvas.rect(0, 13, 32, 7), Qt::AlignCenter, QStringLiteral("Vanteja"));
    return image;
}
