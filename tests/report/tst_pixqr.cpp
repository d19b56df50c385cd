// QR codes in the report engine: one per record when computed from the record, square, with the quiet zone
// inside the box, and read back by a QR reader from the PDF and from the preview's picture alike.

#include <QTemporaryDir>
#include <QtTest>

#include "Filler.h"
#include "Painter.h"
#include "QrDecoder.h"
#include "TempData.h"

using namespace Report;

namespace {

QList<Item> codesOn(const Page& page) {
    QList<Item> codes;
    for (const Item& item : page.items)
        if (item.kind == Item::QrCode) codes << item;
    return codes;
}

}  // namespace

class PixQrTest : public QObject {
    Q_OBJECT

private slots:
    // Each record's own code, in a box wider than tall: the code takes the square at its top-left.
    void oneCodePerRecord() {
        TempData data;
        for (int i = 1; i <= 3; ++i)
            addRow("tbreceber", {{"Codigo", i}, {"Nome", QStringLiteral("CLIENTE %1").arg(i)}});
        Table ledger(kAliasVantejaVs2, "tbreceber");
        ledger.open();
        Layout layout;
        layout.source = &ledger;
        Band& detail = layout.addBand(BandKind::Detail, 40);
        Element code = qrCode(20, 5, 30);
        code.box.setWidth(50);
        code.compute = [&ledger] { return ledger.fieldByName("Nome").asString(); };
        detail.elements << code;
        const Document document = fill(layout);
        const QList<Item> codes = codesOn(document.pages.first());
        QCOMPARE(codes.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(codes[i].text, QStringLiteral("CLIENTE %1").arg(i + 1));
            QCOMPARE(codes[i].rect, QRectF(30, 15 + 40 * i, 30, 30));
            QCOMPARE((codes[i].modulesPerSide - 17) % 4, 0);
            QCOMPARE(codes[i].modules.size(), codes[i].modulesPerSide * codes[i].modulesPerSide);
        }
        QCOMPARE(ledger.fieldByName("Codigo").asInteger(), 1);  // back on its row
    }

    // Short and long texts, accents included, through the PDF at a printer's resolution and through the
    // preview's picture at screen zoom.
    void readBack_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("side");
        QTest::newRow("short") << "PIX" << 22.0;
        QTest::newRow("accents") << "Pão de queijo, São João" << 22.0;
        QTest::newRow("long code") << QString("00020126") + QString(200, 'x') + "6304ABCD" << 23.0;
    }
    void readBack() {
        QFETCH(QString, text);
        QFETCH(double, side);
        Layout layout;
        layout.pageElements << qrCode(30, 40, side, text) << qrCode(120, 40, side, text);
        const Document document = fill(layout);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("codigo.pdf");
        QString error;
        QVERIFY2(writePdf(document, pdf, &error), qPrintable(error));
        const QString png = renderPdfPage(pdf, 1, 300, dir.filePath("pagina"));
        QVERIFY(!png.isEmpty());
        QCOMPARE(decodeQrCodes(png), QStringList({text, text}));

        const QString preview = dir.filePath("previa.png");
        QVERIFY(renderPage(document, 0, 8.0).save(preview));  // about 200 dots per inch
        QCOMPARE(decodeQrCodes(preview), QStringList({text, text}));
    }
};

QTEST_MAIN(PixQrTest)
#include "tst_pixqr.moc"
