// The report engine: pagination, boxes that cut their lines, sums, empty and absent sources, the PDF as
// pdftotext reads it, and the preview.

#include <QApplication>
#include <QImageWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include "Filler.h"
#include "Painter.h"
#include "PictureFile.h"
#include "PreviewDialog.h"
#include "SolidPng.h"
#include "TempData.h"

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

using namespace Report;

namespace {

// A ledger listing: title, one detail line per bill, a total, and a footer on every page.
Layout listing(Table* source) {
    Layout layout;
    layout.name = "listagem";
    layout.source = source;
    Band& title = layout.addBand(BandKind::Title, 20);
    title.elements << text(0, 2, "SAÍDAS", Font().sized(16).withBold(), layout.contentWidth(),
                           Qt::AlignHCenter)
                   << hline(0, 19.5, layout.contentWidth());
    Band& detail = layout.addBand(BandKind::Detail, 5);
    detail.elements << field(0, 0, "Fantasia", Font().sized(9)) << field(60, 0, "Codigo", Font().sized(9))
                    << field(150, 0, "Valordocumento", Font().sized(10), 40, Qt::AlignRight);
    Band& summary = layout.addBand(BandKind::Summary, 12);
    summary.elements << text(0, 2, "TOTAL", Font().sized(14).withBold())
                     << sum(100, 2, "Valordocumento", "###,##0.00", Font().sized(14).withBold(), 90,
                            Qt::AlignRight);
    Band& footer = layout.addBand(BandKind::PageFooter, 15);
    footer.elements << text(0, 5, "rodapé", Font().sized(8));
    return layout;
}

void fillLedger(int rows) {
    Table table(kAliasVantejaVs2, "tbpagar");
    table.open();
    for (int i = 1; i <= rows; ++i) {
        table.append();
        table.fieldByName("Fantasia").setAsString(QStringLiteral("CONTA %1").arg(i, 4, 10, QLatin1Char('0')));
        table.fieldByName("Codigo").setAsInteger(i);
        table.fieldByName("Valordocumento").setAsFloat(i * 1.5);
        table.post();
    }
}

QString pdfToText(const QString& file, const QStringList& options = {}) {
    QProcess process;
    process.start("pdftotext", options + QStringList{file, "-"});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class ReportTest : public QObject {
    Q_OBJECT

private slots:
    void init() { data_ = std::make_unique<TempData>(); }
    void cleanup() { data_.reset(); }

    // Title on the first page only, footer on every page, no detail line below the footer's top, the summary
    // after the last record.
    void pagination() {
        fillLedger(130);
        Table table(kAliasVantejaVs2, "tbpagar");
        table.open();
        const Layout layout = listing(&table);
        const Document document = fill(layout);
        // 297 - 10 - 10 - 15 = 262 mm for bands: 48 lines under the title, 52 on every further page.
        QCOMPARE(document.pages.size(), 3);
        const double limit = 297 - 10 - 15;
        int lines = 0;
        for (int p = 0; p < document.pages.size(); ++p) {
            const QStringList texts = document.pages[p].texts();
            QCOMPARE(texts.count("SAÍDAS"), p == 0 ? 1 : 0);
            QCOMPARE(texts.count("rodapé"), 1);
            for (const Item& item : document.pages[p].items) {
                if (item.kind != Item::Text || !item.text.startsWith("CONTA")) continue;
                QVERIFY(item.rect.top() + 5 <= limit + 1e-6);
                ++lines;
            }
        }
        QCOMPARE(lines, 130);
        QCOMPARE(document.pages[0].texts().count(), 1 + 48 * 3 + 1);
        const QStringList last = document.pages.last().texts();
        QVERIFY(last.indexOf("TOTAL") > last.indexOf("CONTA 0130"));
        QVERIFY(last.contains("12.772,50"));                    // 1.5 × (1 + … + 130), with its mask
        QVERIFY(document.pages[0].texts().contains("000001"));  // the field's display format
        QCOMPARE(table.recNo(), 1);                             // the source is back where it stood
    }

    void bandThatDoesNotFitMovesWhole() {
        Layout layout;
        Band& first = layout.addBand(BandKind::Title, 250);
        first.elements << text(0, 0, "alto");
        Band& block = layout.addBand(BandKind::Detail, 40);
        block.elements << text(0, 0, "topo do bloco") << text(0, 35, "pé do bloco");
        const Document document = fill(layout);
        QCOMPARE(document.pages.size(), 2);
        QCOMPARE(document.pages[1].texts(), QStringList({"topo do bloco", "pé do bloco"}));
        QCOMPARE(document.pages[1].items[0].rect.top(), 10.0);
    }

    void summaryMovesToANewPageWhenNeeded() {
        fillLedger(48);  // exactly fills the first page
        Table table(kAliasVantejaVs2, "tbpagar");
        table.open();
        const Document document = fill(listing(&table));
        QCOMPARE(document.pages.size(), 2);
        QCOMPARE(document.pages[1].texts(), QStringList({"TOTAL", "1.764,00", "rodapé"}));
    }

    void wrappedBoxCutsWhatDoesNotFit() {
        const QString sentence = QString("palavra ").repeated(60) + "FIM";
        Layout layout;
        layout.pageElements << wrappedText(QRectF(20, 30, 60, 15), sentence, Font().sized(12));
        const Document document = fill(layout);
        const QList<Item>& items = document.pages[0].items;
        const double height = lineHeight(Font().sized(12));
        QCOMPARE(items.size(), int(15 / height));
        for (const Item& item : items) {
            QVERIFY(item.rect.bottom() <= 45.01);
            QVERIFY(textWidth(item.text, item.font) <= 60.0);
            QVERIFY(!item.text.contains("FIM"));
        }
        // A word wider than the box is broken inside it.
        const QStringList pieces = breakLines(QString(80, 'W'), Font(), 30);
        QVERIFY(pieces.size() > 1);
        QCOMPARE(pieces.join(QString()), QString(80, 'W'));
        for (const QString& piece : pieces)
            QVERIFY(textWidth(piece, Font()) <= 30.0);

        const QString file = QDir(data_->programFolder()).filePath("cortado.pdf");
        QVERIFY(writePdf(document, file));
        const QString pdfText = pdfToText(file);
        QVERIFY(pdfText.contains("palavra"));
        QVERIFY(!pdfText.contains("FIM"));
    }

    // A one-line text never leaves its box: cut at the box's right edge, or at the margin when the box has no
    // width of its own.
    void oneLineTextStaysInItsBox_data() {
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("right");  // where the text must end, from the page's left edge
        QTest::newRow("no width, cut at the margin") << 150.0 << 0.0 << 200.0;
        QTest::newRow("fixed width") << 20.0 << 64.0 << 94.0;
        QTest::newRow("wide box") << 20.0 << 170.0 << 200.0;
    }
    void oneLineTextStaysInItsBox() {
        QFETCH(double, left);
        QFETCH(double, width);
        QFETCH(double, right);
        Layout layout;
        Band& band = layout.addBand(BandKind::Title, 10);
        const Font font = Font().sized(12);
        const QString text = QString("RUA DAS ACÁCIAS AMARELAS DO BAIRRO NOVO ").repeated(3);
        band.elements << Report::text(left, 0, text, font, width);
        const Document document = fill(layout);
        QCOMPARE(document.pages[0].items.size(), 1);
        const Item& item = document.pages[0].items[0];
        QVERIFY(!item.text.isEmpty());
        QVERIFY(text.startsWith(item.text));
        QVERIFY2(item.rect.left() + textWidth(item.text, font) <= right + 1e-6, qPrintable(item.text));
        if (width > 0 && textWidth(text, font) <= width) QCOMPARE(item.text, text);
    }

    void emptySourceStillPrintsTitleSummaryAndFooter() {
        Table table(kAliasVantejaVs2, "tbpagar");
        table.open();
        Layout layout = listing(&table);
        Document document = fill(layout);
        QCOMPARE(document.pages.size(), 1);
        QCOMPARE(document.pages[0].texts(), QStringList({"SAÍDAS", "TOTAL", "0,00", "rodapé"}));
        layout.printIfEmpty = false;
        QCOMPARE(fill(layout).pages.size(), 0);
    }

    // Without a source the detail prints once with the current record, as it is being edited.
    void noSourcePrintsTheCurrentRecordOnce() {
        fillLedger(3);
        Table table(kAliasVantejaVs2, "tbpagar");
        table.open();
        table.next();
        table.edit();
        table.fieldByName("Fantasia").setAsString("AINDA NÃO GRAVADA");
        Layout layout;
        Band& block = layout.addBand(BandKind::Detail, 20);
        block.elements << field(0, 0, "Fantasia", Font(), 0, Qt::AlignLeft, &table)
                       << label(0, 6, "Lnumero", "___") << label(0, 12, "Lvazio", "design")
                       << dateTime(100, 0);
        FillContext context;
        context.labels.insert("Lnumero", "RECIBO Nº 000041");
        context.printTime = QDateTime(QDate(2025, 3, 10), QTime(14, 5, 9));
        const Document document = fill(layout, context);
        QCOMPARE(document.pages[0].texts(),
                 QStringList({"AINDA NÃO GRAVADA", "RECIBO Nº 000041", "design", "10/03/2025 14:05:09"}));
        QCOMPARE(table.state(), Dataset::State::Edit);
    }

    // The source as filtered and ordered.
    void sourceAsFilteredAndOrdered() {
        fillLedger(6);
        Table table(kAliasVantejaVs2, "tbpagar");
        table.setIndexName("byCodigo");
        table.open();
        table.setFilter("Codigo >= '4'");
        table.setFiltered(true);
        table.last();
        const Document document = fill(listing(&table));
        QStringList names;
        for (const QString& t : document.texts())
            if (t.startsWith("CONTA")) names << t;
        QCOMPARE(names, QStringList({"CONTA 0004", "CONTA 0005", "CONTA 0006"}));
        QVERIFY(document.texts().contains("22,50"));
        QCOMPARE(table.recNo(), 3);
    }

    void linesRectanglesAndPictures() {
        const QString file = QDir(data_->programFolder()).filePath("logo.png");
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(file));
        Layout layout;
        Element fromFile = picture(QRectF(10, 10, 32, 21), QImage());
        fromFile.pictureFile = file;
        layout.pageElements << fromFile << rect(QRectF(5, 5, 100, 50), 3) << vline(50, 5, 50)
                            << hline(5, 60, 100);
        const Document document = fill(layout);
        const QList<Item>& items = document.pages[0].items;
        QCOMPARE(items.size(), 4);
        QCOMPARE(items[0].kind, Item::Image);
        QCOMPARE(items[0].rect, QRectF(10, 10, 32, 21));
        QCOMPARE(items[0].image.size(), QSize(40, 20));
        QCOMPARE(items[1].radius, 3.0);
        QCOMPARE(items[2].rect, QRectF(QPointF(50, 5), QPointF(50, 55)));
        QCOMPARE(items[3].rect, QRectF(QPointF(5, 60), QPointF(105, 60)));

        layout.pageElements[0].pictureFile = file + ".nada";
        EXPECT_DATA_ERROR(fill(layout), "Não foi possível ler a figura");

        // From a picture field of the current record.
        {
            QFile png(file);
            QVERIFY(png.open(QIODevice::ReadOnly));
            Table logo(kAliasVantejaVs2, "logo");
            logo.open();
            logo.insert();
            logo.fieldByName("Logo1").setValue(png.readAll());
            logo.post();
            Layout fromField;
            Element stored = picture(QRectF(0, 0, 20, 10), QImage());
            stored.field = "Logo1";
            stored.dataset = &logo;
            fromField.pageElements << stored;
            const Document withField = fill(fromField);
            QCOMPARE(withField.pages[0].items.size(), 1);
            QCOMPARE(withField.pages[0].items[0].image.size(), QSize(40, 20));
        }

        // Stretched to its box when painted.
        layout.pageElements[0].pictureFile = file;
        const QImage page = renderPage(fill(layout), 0, 2.0);
        QCOMPARE(page.pixelColor(21 * 2, 20 * 2), QColor(Qt::red));
        QCOMPARE(page.pixelColor(45 * 2, 40 * 2), QColor(Qt::white));
    }

    // A very large picture is decoded once: its scaled copy serves the next run, until the file changes.
    void largePictureKeptBetweenRuns() {
        QStandardPaths::setTestModeEnabled(true);
        QDir(pictureCacheFolder()).removeRecursively();
        const QString file = QDir(data_->programFolder()).filePath("grande.png");
        auto write = [&](const QColor& color, const QDateTime& when) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(solidPng(4000, 4000, color));
            QVERIFY(out.setFileTime(when, QFileDevice::FileModificationTime));
        };
        auto colorRead = [&] {
            forgetPicturesRead();
            const PictureFile read = readPictureFile(file, QByteArray(), QSize(200, 100));
            return read.image.size() == QSize(100, 100) ? read.image.pixelColor(50, 50) : QColor();
        };
        const QDateTime when = QDateTime::currentDateTime().addSecs(-60);
        write(QColor(0, 120, 0), when);
        QCOMPARE(colorRead(), QColor(0, 120, 0));
        const QFileInfoList kept = QDir(pictureCacheFolder()).entryInfoList(QDir::Files);
        QCOMPARE(kept.size(), 1);

        // What the next run reads is the kept copy, not the file.
        QImage marked(100, 100, QImage::Format_RGB32);
        marked.fill(QColor(200, 0, 0));
        QVERIFY(marked.save(kept[0].absoluteFilePath(), "png"));
        QCOMPARE(colorRead(), QColor(200, 0, 0));

        // A file written anew is decoded anew.
        write(QColor(0, 0, 160), when.addSecs(5));
        QCOMPARE(colorRead(), QColor(0, 0, 160));
        QDir(pictureCacheFolder()).removeRecursively();
    }

    // The PDF: page count and size, texts, and where they stand.
    void pdfAsReadBack() {
        fillLedger(60);
        Table table(kAliasVantejaVs2, "tbpagar");
        table.open();
        Layout layout = listing(&table);
        layout.page = PageSize::Letter;
        const Document document = fill(layout);
        const QString file = QDir(data_->programFolder()).filePath("listagem.pdf");
        QVERIFY(writePdf(document, file));
        QProcess info;
        info.start("pdfinfo", {file});
        info.waitForFinished(30000);
        const QString infoText = QString::fromUtf8(info.readAllStandardOutput());
        QVERIFY(infoText.contains(QRegularExpression("Pages:\\s+2")));
        QVERIFY(infoText.contains("612 x 792 pts"));
        const QString text = pdfToText(file);
        QVERIFY(text.contains("SAÍDAS"));
        QVERIFY(text.contains("CONTA 0060"));
        QCOMPARE(text.count("rodapé"), 2);
        // The first detail line stands 20 mm below the top margin, 10 mm from the left edge.
        const QString boxes = pdfToText(file, {"-bbox"});
        const QRegularExpression first("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>CONTA</word>");
        const QRegularExpressionMatch match = first.match(boxes);
        QVERIFY(match.hasMatch());
        QVERIFY(qAbs(match.captured(1).toDouble() - 10 * 72 / 25.4) < 1.5);
        QVERIFY(qAbs(match.captured(2).toDouble() - 30 * 72 / 25.4) < 3.0);

        QString error;
        QVERIFY(!writePdf(document, "/sem/permissao/listagem.pdf", &error));
        QVERIFY(error.contains("Não foi possível gravar"));
    }

    // A PDF made here is its owner's alone, whatever the umask; one written over keeps its mode.
    void pdfMode() {
        const QString made = QDir(data_->programFolder()).filePath("nova.pdf");
        const QString over = QDir(data_->programFolder()).filePath("antiga.pdf");
        const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const auto shared = owner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QFile(over).open(QIODevice::WriteOnly);
        QFile::setPermissions(over, shared);
#ifdef Q_OS_LINUX
        const mode_t umaskBefore = umask(022);
#endif
        const bool written = writePdf(fill(Layout()), made) && writePdf(fill(Layout()), over);
#ifdef Q_OS_LINUX
        umask(umaskBefore);
#endif
        QVERIFY(written);
        QCOMPARE(QFile::permissions(made) & 0x7077, owner);
        QCOMPARE(QFile::permissions(over) & 0x7077, shared);
        QVERIFY(QFileInfo(over).size() > 0);
    }

    void previewPagesAndZoom() {
        fillLedger(130);
        Table table(kAliasVantejaVs2, "tbpagar");
        table.open();
        Document document = fill(listing(&table));
        document.maximised = false;
        PreviewDialog preview(document);
        preview.resize(800, 600);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QTRY_VERIFY(!preview.shownImage().isNull());
        QCOMPARE(preview.pageText(), QString("Página 1 de 3"));
        QCOMPARE(preview.zoom(), Zoom::PageWidth);
        const int widthZoom = preview.shownImage().width();
        preview.setZoom(Zoom::WholePage);
        QVERIFY(preview.shownImage().width() < widthZoom);
        QVERIFY(preview.shownImage().height() <= 600);
        preview.setPage(5);
        QCOMPARE(preview.pageText(), QString("Página 3 de 3"));
        QTest::keyClick(&preview, Qt::Key_Home);
        QCOMPARE(preview.page(), 0);
        const QString file = QDir(data_->programFolder()).filePath("previa.pdf");
        QVERIFY(preview.saveTo(file));
        QVERIFY(pdfToText(file).contains("CONTA 0130"));
    }

    // Filled as it is shown: the first page at once, the count growing while idle, the same pages as a fill
    // done first; going to the last page or abandoning the preview puts the source back on its row.
    void previewFillsAsItShows() {
        fillLedger(520);  // 11 pages
        Table table(kAliasVantejaVs2, "tbpagar");
        table.open();
        table.setRecNo(7);
        Layout layout = listing(&table);
        layout.maximised = false;
        const Document whole = fill(layout);
        {
            PreviewDialog preview(layout, FillContext());
            QVERIFY(preview.filling());
            QVERIFY(preview.pageCount() >= 1 && preview.pageCount() < whole.pages.size());
            QVERIFY(preview.pageText().endsWith("..."));
            QVERIFY(table.controlsDisabled());
        }
        QVERIFY(!table.controlsDisabled());
        QCOMPARE(table.recNo(), 7);

        PreviewDialog preview(layout, FillContext());
        preview.resize(800, 600);
        preview.show();
        QTRY_VERIFY(!preview.filling());
        QCOMPARE(preview.pageText(), QString("Página 1 de %1").arg(whole.pages.size()));
        QCOMPARE(preview.document().texts(), whole.texts());
        QCOMPARE(table.recNo(), 7);

        PreviewDialog jumping(layout, FillContext());
        QTest::keyClick(&jumping, Qt::Key_End);
        QCOMPARE(jumping.pageText(), QString("Página %1 de %1").arg(whole.pages.size()));
        QVERIFY(!table.controlsDisabled());
    }

private:
    std::unique_ptr<TempData> data_;
};

QTEST_MAIN(ReportTest)
#include "tst_report.moc"
