// Speed of a long listing: 20,000 detail rows (about 400 pages). Prints the time to fill the pages, to show
// the first page of the preview, and to write the whole PDF.
//   bench_report [ROWS [PDF]]    (PDF: where to keep the file written)

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include "Database.h"
#include "Filler.h"
#include "Painter.h"
#include "PreviewDialog.h"
#include "Schema.h"
#include "Sqlite.h"
#include "Table.h"

using namespace Report;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 20000;
    QTemporaryDir dir;
    const QString folder = dataFolderFor(dir.path());
    writeDataFolder(folder);
    {
        sqlite3* db = nullptr;
        sqlite3_open(QDir(folder).filePath(kDataFileName).toUtf8().constData(), &db);
        execSql(db, "BEGIN");
        Statement insert(db,
                         "INSERT INTO tbpagar (DataEmissao, Fantasia, Nome, DataVencimento, DataPagamento, "
                         "Valordocumento) VALUES ('2025-03-01', ?, ?, '2025-03-10', ?, ?)");
        for (int i = 0; i < rows; ++i) {
            insert.bind(1, QStringLiteral("CONTA %1").arg(i % 700));
            insert.bind(2, QStringLiteral("CREDOR NUMERO %1 LTDA").arg(i % 300));
            insert.bind(3, i % 3 ? QVariant("2025-03-09") : QVariant());
            insert.bind(4, (i % 1000) * 1.25);
            insert.run();
            insert.reset();
        }
        execSql(db, "COMMIT");
        sqlite3_close(db);
    }
    defineStandardDatabases(dir.path());
    Table table(kAliasVantejaVs2, "tbpagar");
    table.setIndexName("Bydataven");
    table.open();

    // The payables listing, as the ledger prints it.
    Layout layout;
    layout.name = "SAIDAS";
    layout.source = &table;
    Band& title = layout.addBand(BandKind::Title, 29.6);
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
    layout.addBand(BandKind::PageFooter, 23);

    QTextStream out(stdout);
    QElapsedTimer timer;
    timer.start();
    const Document document = fill(layout);
    const double filled = timer.nsecsElapsed() / 1e6;
    PreviewDialog preview(document);
    preview.resize(1200, 900);
    preview.show();
    QCoreApplication::processEvents();
    while (preview.shownImage().isNull())
        QCoreApplication::processEvents();
    const double firstPage = timer.nsecsElapsed() / 1e6;
    preview.hide();

    timer.restart();
    const QString file = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath("listagem.pdf");
    writePdf(document, file);
    const double pdf = timer.nsecsElapsed() / 1e6;
    out << QStringLiteral("listagem de %L1 linhas, %2 páginas\n").arg(rows).arg(document.pages.size());
    out << QStringLiteral("  preencher as páginas            %1 ms\n").arg(filled, 8, 'f', 1);
    out << QStringLiteral("  primeira página na prévia       %1 ms (preencher incluído)\n")
               .arg(firstPage, 8, 'f', 1);
    out << QStringLiteral("  PDF inteiro                     %1 ms (%2 KiB)\n")
               .arg(pdf, 8, 'f', 1)
               .arg(QFileInfo(file).size() / 1024);
    return 0;
}
