// Speed of a long listing: the payables listing (title with the logo, detail rows, summary, a page footer on
// every page) over at least 400 pages of a ledger shaped as a shop keeps it. Prints the time to the first
// page painted in the preview (filled as it is shown) and to the whole PDF written, each beside its goal and
// the ratio to it, and the time to fill every page before showing any, as the preview did before.
//   bench_report [ROWS [PDF]]    (PDF: where to keep the file written)

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>

#include "Database.h"
#include "Filler.h"
#include "LedgerData.h"
#include "Painter.h"
#include "PreviewDialog.h"
#include "Schema.h"
#include "Sqlite.h"
#include "Table.h"

using namespace Report;

namespace {

QImage logo() {
    QImage image(600, 240, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::darkBlue, 12));
    painter.drawEllipse(20, 20, 200, 200);
    painter.setFont(QFont("Liberation Sans", 60, QFont::Bold));
    painter.drawText(QRect(240, 40, 360, 160), Qt::AlignCenter, "VJ");
    return image;
}

QString line(const QString& what, double ms, double goal) {
    return QStringLiteral("  %1 %2 ms   meta %3 ms   razão %4\n")
        .arg(what, -38)
        .arg(ms, 8, 'f', 1)
        .arg(goal, 6, 'f', 0)
        .arg(ms / goal, 0, 'f', 2);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 26500;
    QTemporaryDir dir;
    const QString folder = dataFolderFor(dir.path());
    writeDataFolder(folder);
    generateLedger(QDir(folder).filePath(kDataFileName), rows, QDate::currentDate());
    const QString logoFile = dir.filePath("logo.png");
    logo().save(logoFile);
    defineStandardDatabases(dir.path());
    Table table(kAliasVantejaVs2, "tbpagar");
    table.setIndexName("Bydataven");
    table.open();

    // The payables listing, as the ledger prints it.
    Layout layout;
    layout.name = "SAIDAS";
    layout.source = &table;
    Band& title = layout.addBand(BandKind::Title, 29.6);
    Element picture;
    picture.kind = ElementKind::Picture;
    picture.box = QRectF(0, 0, 40, 16);
    picture.pictureFile = logoFile;
    title.elements << picture;
    title.elements << text(0, 3, "SAÍDAS", Font().sized(16).withBold(), layout.contentWidth(),
                           Qt::AlignHCenter);
    const char* headings[] = {"Emissão", "Saída", "Credor", "Dt Venc.", "Data Pag", "Valor"};
    const double columns[] = {0, 22, 62, 112, 137, 162};
    for (int i = 0; i < 6; ++i)
        title.elements << text(columns[i], 22, headings[i], Font().sized(10));
    title.elements << hline(0, 29.4, layout.contentWidth());
    Band& detail = layout.addBand(BandKind::Detail, 4.0);
    detail.elements << field(0, 0, "DataEmissao", Font().sized(9))
                    << field(22, 0, "Fantasia", Font().sized(9).withBold(), 38, Qt::AlignHCenter)
                    << field(62, 0, "Nome", Font().sized(9).withBold())
                    << field(112, 0, "DataVencimento", Font(), 24, Qt::AlignHCenter)
                    << field(137, 0, "DataPagamento", Font(), 24, Qt::AlignHCenter)
                    << field(162, 0, "Valordocumento", Font(), 28, Qt::AlignRight);
    Band& summary = layout.addBand(BandKind::Summary, 10.6);
    summary.elements << hline(0, 0, layout.contentWidth())
                     << text(100, 2, "TOTAL", Font().sized(14).withBold())
                     << sum(130, 2, "Valordocumento", "###,##0.00", Font().sized(14).withBold(), 60,
                            Qt::AlignRight);
    Band& footer = layout.addBand(BandKind::PageFooter, 12);
    footer.elements << hline(0, 1, layout.contentWidth())
                    << text(0, 3, "Vanteja - Contas a Pagar", Font().sized(8))
                    << dateTime(150, 3, Font().sized(8));

    QTextStream out(stdout);
    // Every page filled before any is shown, as before.
    QElapsedTimer timer;
    timer.start();
    const Document whole = fill(layout);
    const double filled = timer.nsecsElapsed() / 1e6;

    // The preview, filled as it is shown: until its first page has been painted.
    timer.restart();
    {
        PreviewDialog preview(layout, FillContext());
        preview.resize(1200, 900);
        preview.show();
        while (preview.shownImage().isNull())
            QCoreApplication::processEvents();
        const double firstPage = timer.nsecsElapsed() / 1e6;
        out << QStringLiteral("listagem de %L1 linhas, %2 páginas\n").arg(rows).arg(whole.pages.size());
        out << line("primeira página na prévia", firstPage, 300);
        out << QStringLiteral("    (a prévia contava então \"%1\")\n").arg(preview.pageText());
        if (qEnvironmentVariableIsSet("BENCH_MOSTRAR")) preview.exec();  // to look at it
        preview.hide();
    }
    out << QStringLiteral("  todas as páginas antes da prévia        %1 ms\n").arg(filled, 8, 'f', 1);

    // The whole PDF, from the layout: every page filled and written.
    timer.restart();
    const QString file = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath("listagem.pdf");
    writePdf(fill(layout), file);
    const double pdf = timer.nsecsElapsed() / 1e6;
    out << line(QStringLiteral("PDF inteiro (%1 KiB)").arg(QFileInfo(file).size() / 1024), pdf, 5000);
    return 0;
}
