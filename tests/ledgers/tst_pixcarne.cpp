// The booklet with PIX codes: a code per coupon with its amount and installment, placed without moving the
// coupon's elements and clear of them, its text cut to its box, and the code read back from the PDF.

#include <QTemporaryDir>
#include <QtTest>

#include "Carne.h"
#include "Filler.h"
#include "Painter.h"
#include "Pix.h"
#include "QrDecoder.h"
#include "WindowFixture.h"

using namespace Report;

namespace {

Pix::Receiver loja() {
    Pix::Receiver receiver;
    receiver.kind = Pix::KeyKind::Cnpj;
    receiver.key = "11.222.333/0001-81";
    receiver.name = "Móveis Araújo";
    receiver.city = "Uberlândia";
    return receiver;
}

void addInstallments(int count) {
    for (int k = 1; k <= count; ++k)
        addRow("tbreceber", {{"Codigo", 77},
                             {"DocParcela", k},
                             {"Nome", "MARIA DAS GRAÇAS"},
                             {"Fantasia", "SOFA"},
                             {"DataEmissao", QDate(2025, 1, 31)},
                             {"DataVencimento", QDate(2025, 1, 31).addMonths(k)},
                             {"Valordocumento", 1234.5 + k},
                             {"Observacoes", QString("ENTREGA EM CASA ").repeated(12)}});
}

// Where an item puts ink: a text's measured line, a line's stroke, a frame's four sides.
QList<QRectF> inkOf(const Item& item) {
    if (item.kind == Item::Text) {
        const double width = textWidth(item.text, item.font);
        double left = item.rect.left();
        if (item.alignment & Qt::AlignHCenter) left += (item.rect.width() - width) / 2;
        if (item.alignment & Qt::AlignRight) left += item.rect.width() - width;
        return {QRectF(left, item.rect.top(), width, lineHeight(item.font))};
    }
    const double half = item.lineWidth / 2;
    if (item.kind == Item::Line)
        return {QRectF(item.rect.topLeft(), item.rect.bottomRight())
                    .normalized()
                    .adjusted(-half, -half, half, half)};
    if (item.kind == Item::Rect) {
        const QRectF r = item.rect;
        return {QRectF(r.left() - half, r.top() - half, r.width() + 2 * half, 2 * half),
                QRectF(r.left() - half, r.bottom() - half, r.width() + 2 * half, 2 * half),
                QRectF(r.left() - half, r.top() - half, 2 * half, r.height() + 2 * half),
                QRectF(r.right() - half, r.top() - half, 2 * half, r.height() + 2 * half)};
    }
    return {};
}

}  // namespace

class PixCarneTest : public QObject {
    Q_OBJECT

private slots:
    // The coupon with a key holds every element of the coupon without one, in its place; only the
    // observations end before the code.
    void couponKeepsItsElements() {
        WindowFixture fixture;
        addInstallments(1);
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        const QList<Element> before = Carne::quickRepCarne(&ledger).bands[1].elements;
        Pix::save(loja());
        const QList<Element> after = Carne::quickRepCarne(&ledger).bands[1].elements;
        QCOMPARE(after.size(), before.size() + 3);
        QRectF code;
        for (const Element& e : after)
            if (e.kind == ElementKind::QrCode) code = e.box;
        QVERIFY(code.width() >= 22 && code.height() == code.width());
        QVERIFY(QRectF(37, 2, 142, 68).contains(code));  // the main part
        for (int i = 0; i < before.size(); ++i) {
            QCOMPARE(after[i].box.topLeft(), before[i].box.topLeft());
            if (after[i].field == "Observacoes")
                QVERIFY(after[i].box.right() < code.left());
            else
                QCOMPARE(after[i].box.size(), before[i].box.size());
        }
    }

    // On paper: each code clear of every other ink of its coupon, with its quiet zone; the copy-and-paste
    // text under it is the start of the code, cut to its box; the PDF reads back as the same codes.
    void codesOnPaper() {
        WindowFixture fixture;
        Pix::save(loja());
        addInstallments(4);
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        const Document document = Carne::fill(&ledger);
        QCOMPARE(document.pages.size(), 2);

        QStringList codes;
        for (const Page& page : document.pages) {
            for (const Item& item : page.items) {
                if (item.kind != Item::QrCode) continue;
                codes << item.text;
                QStringList copy;
                for (const Item& other : page.items) {
                    if (&other == &item) continue;
                    for (const QRectF& ink : inkOf(other))
                        QVERIFY2(!ink.intersects(item.rect), qPrintable(other.text));
                    if (other.kind == Item::Text && other.rect.left() == item.rect.left() &&
                        other.rect.top() > item.rect.bottom() && other.rect.top() < item.rect.bottom() + 20) {
                        QVERIFY(textWidth(other.text, other.font) <= other.rect.width() + 0.01);
                        QVERIFY(other.rect.bottom() <= item.rect.bottom() + 14.6);  // inside the coupon
                        copy << other.text;
                    }
                }
                QCOMPARE(copy.first(), "PIX copia e cola");
                const QString shown = copy.mid(1).join(QString()).replace(QChar(0x00A0), ' ');
                QVERIFY2(shown.size() > 40 && item.text.startsWith(shown), qPrintable(shown));
            }
        }
        QCOMPARE(codes.size(), 4);
        for (int k = 1; k <= 4; ++k) {
            Pix::Charge charge;
            charge.centavos = 123450 + 100 * k;
            charge.reference = QStringLiteral("Parcela%1Doc77").arg(k);
            QCOMPARE(codes[k - 1], Pix::payload(loja(), charge));
        }
        QVERIFY(codes[0].contains("5913MOVEIS ARAUJO6010UBERLANDIA"));

        QTemporaryDir dir;
        const QString pdf = dir.filePath("carne.pdf");
        QVERIFY(writePdf(document, pdf));
        // The reader finds codes in an order of its own.
        auto sorted = [](QStringList list) {
            list.sort();
            return list;
        };
        QCOMPARE(sorted(decodeQrCodes(renderPdfPage(pdf, 1, 300, dir.filePath("p1")))),
                 sorted(codes.mid(0, 3)));
        QCOMPARE(decodeQrCodes(renderPdfPage(pdf, 2, 300, dir.filePath("p2"))), codes.mid(3));
    }

    // No key, or an empty ledger: the booklet has no code.
    void noCode_data() {
        QTest::addColumn<bool>("key");
        QTest::addColumn<int>("rows");
        QTest::newRow("no key") << false << 2;
        QTest::newRow("blank booklet") << true << 0;
    }
    void noCode() {
        QFETCH(bool, key);
        QFETCH(int, rows);
        WindowFixture fixture;
        if (key) Pix::save(loja());
        addInstallments(rows);
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        const Document document = Carne::fill(&ledger);
        for (const Page& page : document.pages)
            for (const Item& item : page.items) {
                QVERIFY(item.kind != Item::QrCode);
                QVERIFY(item.text != "PIX copia e cola");
            }
    }
};

QTEST_MAIN(PixCarneTest)
#include "tst_pixcarne.moc"
