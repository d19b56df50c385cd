#include "Carne.h"

#include "Dataset.h"
#include "Dialogs.h"
#include "Filler.h"
#include "Money.h"
#include "Pix.h"

namespace Carne {

namespace {

using namespace Report;

const QString kSixDigits = QStringLiteral("000000");
const QString kAmount = QStringLiteral("###,##0.00");

Font caption() {
    return Font().sized(8).withBold();
}
Font plain(double points = 8) {
    return Font().sized(points);
}

Element masked(Element e, const QString& mask) {
    e.mask = mask;
    return e;
}

// The three blank lines for payment: caption, "R$" under it, a rule above each.
void addPaymentLines(QList<Element>& out, double left, double width, double top) {
    const QStringList captions = {QStringLiteral("(+) Acrescimos"), QStringLiteral("(-) Descontos"),
                                  QStringLiteral("Valor Cobrado")};
    for (const QString& text : captions) {
        out << hline(left, top, width);
        out << Report::text(left + 1.5, top + 0.7, text, plain());
        out << Report::text(left + 1.5, top + 4, QStringLiteral("R$"), plain());
        top += 8;
    }
}

constexpr double kTop = 2;      // rectangles' top in the band
constexpr double kHeight = 68;  // both rectangles
constexpr double kStubWidth = 35;
constexpr double kMainLeft = 37;
constexpr double kMainWidth = 142;
constexpr double kColumnWidth = 33;  // the right column of the main part
constexpr double kColumnLeft = kMainLeft + kMainWidth - kColumnWidth;
constexpr double kDividerEnd = kTop + kHeight * 0.75;  // where the observation area begins

QList<Element> stub() {
    QList<Element> e;
    const double x = 1.5;
    e << rect(QRectF(0, kTop, kStubWidth, kHeight));
    e << text(x, kTop + 1, QStringLiteral("Carnê Pagamento"), caption());
    e << hline(0, kTop + 5, kStubWidth);
    e << text(x, kTop + 6, QStringLiteral("Data Compra"), caption());
    e << field(x, kTop + 9.5, QStringLiteral("DataEmissao"), plain());
    e << text(x, kTop + 13, QStringLiteral("Vencimento"), caption());
    e << field(x, kTop + 16.5, QStringLiteral("DataVencimento"), plain(9));
    const QString parcela = QStringLiteral("Nº Parcela: ");
    e << text(x, kTop + 21, parcela, caption());
    e << masked(field(x + textWidth(parcela, caption()), kTop + 21, QStringLiteral("DocParcela"), plain()),
                kSixDigits);
    e << text(x, kTop + 25, QStringLiteral("Nº Documento"), caption());
    e << masked(field(x, kTop + 28.5, QStringLiteral("Codigo"), plain()), kSixDigits);
    e << hline(0, kTop + 32.5, kStubWidth);
    e << text(x, kTop + 33.5, QStringLiteral("Valor Documento"), caption());
    e << masked(field(x, kTop + 37, QStringLiteral("Valordocumento"), plain(9)), kAmount);
    addPaymentLines(e, 0, kStubWidth, kTop + 41.5);
    return e;
}

QList<Element> mainPart() {
    QList<Element> e;
    const double x = kMainLeft + 2;
    const double areaWidth = kColumnLeft - kMainLeft;
    e << rect(QRectF(kMainLeft, kTop, kMainWidth, kHeight));
    e << vline(kColumnLeft, kTop, kDividerEnd - kTop);

    // Left area.
    e << hline(kMainLeft, kTop + 5, areaWidth);
    e << text(x, kTop + 6, QStringLiteral("Cliente:"), caption());
    e << field(x, kTop + 9.5, QStringLiteral("Nome"), plain(), areaWidth - 4);
    e << text(x, kTop + 14, QStringLiteral("Referência"), caption());
    e << field(x, kTop + 17.5, QStringLiteral("Fantasia"), plain(), areaWidth - 4);
    e << hline(kMainLeft, kTop + 22.5, areaWidth);
    const double docLeft = x + 34, parcelaLeft = x + 68, columnWidth = 30;
    e << text(x, kTop + 24, QStringLiteral("Data Compra"), caption());
    e << text(docLeft, kTop + 24, QStringLiteral("Nº Documento"), caption(), columnWidth, Qt::AlignHCenter);
    e << text(parcelaLeft, kTop + 24, QStringLiteral("Parcela Nº:"), caption(), columnWidth,
              Qt::AlignHCenter);
    e << field(x, kTop + 28, QStringLiteral("DataEmissao"), plain());
    e << masked(field(docLeft, kTop + 28, QStringLiteral("Codigo"), plain(), columnWidth, Qt::AlignHCenter),
                kSixDigits);
    e << masked(
        field(parcelaLeft, kTop + 28, QStringLiteral("DocParcela"), plain(), columnWidth, Qt::AlignHCenter),
        kSixDigits);
    const QString observacoes = QStringLiteral("Observações:");
    e << text(x, kDividerEnd + 0.5, observacoes, caption());
    const double ruleLeft = x + textWidth(observacoes, caption()) + 1;
    e << hline(ruleLeft, kDividerEnd + 3, kMainLeft + kMainWidth - ruleLeft);
    Element memo = field(x, kDividerEnd + 4, QStringLiteral("Observacoes"), plain(10), kMainWidth - 4);
    memo.box.setHeight(kTop + kHeight - kDividerEnd - 4.5);
    memo.wordWrap = true;
    e << memo;

    // Right column.
    const double cx = kColumnLeft + 1.5;
    e << text(cx, kTop + 1, QStringLiteral("Vencimento"), caption());
    e << field(cx, kTop + 4.5, QStringLiteral("DataVencimento"), plain(9));
    e << hline(kColumnLeft, kTop + 9, kColumnWidth);
    e << text(cx, kTop + 10, QStringLiteral("Valor Documento"), caption());
    e << masked(field(cx, kTop + 13.5, QStringLiteral("Valordocumento"), plain(9)), kAmount);
    addPaymentLines(e, kColumnLeft, kColumnWidth, kTop + 18);
    return e;
}

// The PIX code of a coupon stands at the right end of the left area, between the row of numbers and the
// observations' rule, with its text for copying under it; the observations then end before it.
constexpr double kQrSide = 22.4;
constexpr double kQrLeft = kColumnLeft - 0.6 - kQrSide;
constexpr double kQrTop = kTop + 31.4;
constexpr double kMemoRightWithQr = kQrLeft - 2;

// The code of the coupon the ledger stands on: its amount, and its installment and document as reference.
QString couponPayload(Dataset* ledger, const Pix::Receiver& receiver) {
    Pix::Charge charge;
    const Field amount = ledger->fieldByName(QStringLiteral("Valordocumento"));
    if (!amount.isNull()) charge.centavos = Money::fromAmount(amount.asFloat()).centavos();
    const qint64 parcela = qRound64(ledger->fieldByName(QStringLiteral("DocParcela")).asFloat());
    const qint64 document = qRound64(ledger->fieldByName(QStringLiteral("Codigo")).asFloat());
    charge.reference = QStringLiteral("Parcela%1Doc%2").arg(parcela).arg(document);
    return Pix::payload(receiver, charge);
}

void addPix(QList<Element>& coupon, Dataset* ledger, const Pix::Receiver& receiver,
            QList<SheetColumn>& sheet) {
    for (Element& e : coupon)
        if (e.field == QLatin1String("Observacoes")) e.box.setRight(kMemoRightWithQr);
    auto payload = [ledger, receiver] { return couponPayload(ledger, receiver); };
    Element code = qrCode(kQrLeft, kQrTop, kQrSide);
    code.compute = payload;
    coupon << code;
    const double textTop = kDividerEnd + 4;
    coupon << text(kQrLeft, textTop, QStringLiteral("PIX copia e cola"), Font().sized(5).withBold(), kQrSide);
    const double captionHeight = lineHeight(Font().sized(5).withBold());
    Element copy = wrappedText(
        QRectF(kQrLeft, textTop + captionHeight, kQrSide, kTop + kHeight - 0.5 - textTop - captionHeight),
        QString(), Font().sized(5));
    // Broken where the box ends, never at a blank, so the lines put together are the code.
    copy.compute = [payload] { return payload().replace(QLatin1Char(' '), QChar(0x00A0)); };
    coupon << copy;
    sheet << SheetColumn{QStringLiteral("PIX copia e cola"), code, {}};
}

}  // namespace

Report::Layout quickRepCarne(Dataset* ledger) {
    Layout layout;
    layout.name = QStringLiteral("Carnê");  // the name a person gives the printed booklet
    layout.page = PageSize::A4;
    layout.zoom = Zoom::WholePage;
    layout.maximised = true;
    layout.printIfEmpty = true;
    layout.addBand(BandKind::Title, 10.6);
    Band& coupon = layout.addBand(BandKind::SubDetail, 72.8);
    coupon.elements << stub() << mainPart();
    const bool empty = !ledger || !ledger->active() || ledger->isEmpty();
    if (empty) {
        // Without a source the coupon prints once; without its fields it prints blank.
        coupon.elements.removeIf([](const Element& e) { return e.kind == ElementKind::Field; });
    } else {
        layout.source = ledger;
        // The booklet's data, one row per coupon, in the order of the coupons.
        auto column = [&](const char* title, const char* fieldName) {
            return SheetColumn{QString::fromUtf8(title), field(0, 0, QString::fromUtf8(fieldName)), {}};
        };
        layout.sheet = {column("Cliente", "Nome"),
                        column("Referência", "Fantasia"),
                        column("Nº Documento", "Codigo"),
                        column("Parcela Nº", "DocParcela"),
                        column("Data Compra", "DataEmissao"),
                        column("Vencimento", "DataVencimento"),
                        column("Valor Documento", "Valordocumento"),
                        column("Observações", "Observacoes")};
        layout.sheet[2].cell.mask = kSixDigits;
        layout.sheet[3].cell.mask = kSixDigits;
        layout.sheet[6].cell.mask = kAmount;
        if (const std::optional<Pix::Receiver> receiver = Pix::configured())
            addPix(coupon.elements, ledger, *receiver, layout.sheet);
    }
    return layout;
}

Report::Document fill(Dataset* ledger) {
    return Report::fill(quickRepCarne(ledger));
}

void preview(QWidget* parent, Dataset* ledger) {
    // Filled as the preview shows it: a long booklet's first page comes at once.
    guarded(parent,
            [&] { Dialogs::current().preview(parent, quickRepCarne(ledger), Report::FillContext()); });
}

}  // namespace Carne
