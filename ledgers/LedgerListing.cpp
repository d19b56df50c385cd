#include "LedgerListing.h"

#include <cmath>

#include "Filler.h"
#include "Pictures.h"
#include "Table.h"

namespace Ledger {

Report::Layout listing(const Twin& twin, Table* source) {
    using namespace Report;
    Layout layout;
    layout.name = u(twin.listingTitle);
    layout.page = twin.listingPage;
    layout.source = source;
    layout.printIfEmpty = true;
    layout.zoom = Zoom::PageWidth;
    layout.maximised = true;
    const double width = layout.contentWidth();
    Band& title = layout.addBand(BandKind::Title, 29.6);
    title.elements << text(0, 4, u(twin.listingTitle), Font().sized(16).withBold(), width, Qt::AlignHCenter);
    for (const ListingColumn& c : twin.listing)
        title.elements << text(c.left, 23, u(c.heading), Font().sized(10), c.width, c.alignment);
    title.elements << hline(0, 29.4, width);
    Band& detail = layout.addBand(BandKind::Detail, twin.detailHeight);
    for (const ListingColumn& c : twin.listing) {
        detail.elements << field(c.left, 0, u(c.field), Font().sized(c.points).withBold(c.bold), c.width,
                                 c.alignment);
        layout.sheet << SheetColumn{u(c.heading), detail.elements.last(), {}};
    }
    // The spreadsheet's totals row: "TOTAL" beside the sum, as printed.
    layout.sheet[layout.sheet.size() - 2].total = text(0, 0, QStringLiteral("TOTAL"));
    layout.sheet.last().total = sum(0, 0, kValor, QStringLiteral("###,##0.00"));
    Band& summary = layout.addBand(BandKind::Summary, 10.6);
    const ListingColumn& value = twin.listing.last();
    // The sum ends where the value column ends and has room for the largest total, 999.999.999,99; "TOTAL"
    // stands to the left of that room, so the two never print over each other.
    const Font totalFont = Font().sized(14).withBold();
    const double sumRight = value.left + value.width;
    const double sumWidth = std::ceil(textWidth(QStringLiteral("999.999.999,99"), totalFont)) + 1;
    const double totalRight = sumRight - sumWidth - 2;
    summary.elements << hline(0, 0, width)
                     << text(totalRight - 30, 2, QStringLiteral("TOTAL"), totalFont, 30, Qt::AlignRight)
                     << sum(sumRight - sumWidth, 2, kValor, QStringLiteral("###,##0.00"), totalFont, sumWidth,
                            Qt::AlignRight);
    Band& footer = layout.addBand(BandKind::PageFooter, twin.footerHeight);
    if (twin.footerLogo)
        footer.elements << picture(QRectF((width - 40) / 2, 3, 40, 17),
                                   Pictures::background(QSize(450, 192)).toImage());
    return layout;
}

}  // namespace Ledger
