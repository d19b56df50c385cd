// The payment booklet: coupons in the ledger's filtered order, three to a page, values in the window's
// formats, and the blank booklet of an empty ledger.

#include <QtTest>

#include "Carne.h"
#include "Filler.h"
#include "WindowFixture.h"

using namespace Report;

namespace {

int countOf(const QStringList& texts, const QString& text) {
    return int(texts.count(text));
}

}  // namespace

class TestCarne : public QObject {
    Q_OBJECT

private slots:
    // Every element of a coupon stays inside its band, so none is cut or spills into the next coupon.
    void couponBounds() {
        WindowFixture fixture;
        addRow("tbreceber", {{"Codigo", 1}});
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        const Layout layout = Carne::quickRepCarne(&ledger);
        QCOMPARE(layout.bands.size(), 2);
        for (const Element& e : layout.bands[1].elements) {
            const double right = e.box.left() + qMax(e.box.width(), textWidth(e.text, e.font));
            QVERIFY2(e.box.left() >= 0 && right <= 190 && e.box.top() >= 0 && e.box.bottom() <= 72.8,
                     qPrintable(e.text + e.field));
        }
    }

    // Five records pass the filter: three coupons on the first page, two on the second, in the view's order.
    void fiveCouponsOverTwoPages() {
        WindowFixture fixture;
        for (int k = 0; k < 7; ++k)
            addRow("tbreceber", {{"Codigo", 77},
                                 {"DocParcela", 6 - k},
                                 {"Nome", "MARIA"},
                                 {"Fantasia", k < 5 ? "SOFA" : "MESA"},
                                 {"DataEmissao", QDate(2025, 1, 31)},
                                 {"DataVencimento", QDate(2025, 1, 31).addMonths(6 - k)},
                                 {"Valordocumento", 1234.5},
                                 {"Observacoes", "ENTREGA EM CASA"}});
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        ledger.setFilter("Fantasia = 'SOFA'");
        ledger.setFiltered(true);
        ledger.setIndexName("byCodigo");

        Carne::preview(nullptr, &ledger);
        QCOMPARE(fixture.dialogs.previews.size(), 1);
        const Document& document = fixture.dialogs.previews.first();
        QCOMPARE(document.pages.size(), 2);
        const QStringList first = document.pages[0].texts(), second = document.pages[1].texts();
        QCOMPARE(countOf(first, "Carnê Pagamento") * 10 + countOf(second, "Carnê Pagamento"), 32);
        // The stub and the main part each show the number, the amount and the due date.
        QCOMPARE(countOf(first, "000006"), 2);
        QCOMPARE(countOf(first, "000077"), 6);
        QCOMPARE(countOf(first, "1.234,50"), 6);
        QCOMPARE(countOf(first, "31/07/2025"), 2);
        QCOMPARE(countOf(second, "000002"), 2);
        QCOMPARE(countOf(first + second, "28/02/2025"), 0);  // a filtered-out record
        QCOMPARE(countOf(second, "ENTREGA EM CASA"), 2);
        QCOMPARE(countOf(second, "R$"), 12);
    }

    void emptyBooklet() {
        WindowFixture fixture;
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        const Document document = Carne::fill(&ledger);
        QCOMPARE(document.pages.size(), 1);
        const QStringList texts = document.pages[0].texts();
        QCOMPARE(countOf(texts, "Carnê Pagamento"), 1);
        QCOMPARE(countOf(texts, "R$"), 6);
        QCOMPARE(countOf(texts, "Observações:"), 1);
        for (const QString& text : texts)
            QVERIFY2(!text.contains(QRegularExpression("\\d")), qPrintable(text));
        int lines = 0, rects = 0;
        for (const Item& item : document.pages[0].items) {
            lines += item.kind == Item::Line;
            rects += item.kind == Item::Rect;
        }
        QCOMPARE(lines * 10 + rects, 132);
    }
};

QTEST_MAIN(TestCarne)
#include "tst_carne.moc"
