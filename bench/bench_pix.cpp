// Speed of the payment booklet with PIX codes: 360 coupons, each with its own code and its copy-and-paste
// text, to the first page of the preview (filled as it is shown, as "Gerar Carnê" opens it) and to a whole
// PDF. Figures only: nothing here fails.
//   bench_pix [PDF]    (PDF: where to keep the booklet written)

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include "Carne.h"
#include "Database.h"
#include "LedgerData.h"
#include "Painter.h"
#include "Pix.h"
#include "PreviewDialog.h"
#include "Schema.h"
#include "Sqlite.h"
#include "Table.h"

namespace {

QTextStream out(stdout);
constexpr int kCoupons = 360;

void generateBooklet(const QString& file) {
    insertRows(
        file,
        "INSERT INTO tbreceber (Codigo, DocParcela, Nome, Fantasia, DataEmissao, DataVencimento, "
        "Valordocumento, Observacoes) VALUES (777777, ?, 'MARIA DA SILVA', 'SOFA 3 LUGARES', "
        "'2025-01-31', ?, ?, 'ENTREGA EM CASA')",
        kCoupons, [](int i) {
            const int k = i + 1;
            return QVariantList{k, QDate(2025, 1, 31).addMonths(k).toString(Qt::ISODate), 150 + k / 100.0};
        });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dataFolderFor(dir.path());
    writeDataFolder(folder);
    generateBooklet(QDir(folder).filePath(kDataFileName));
    defineStandardDatabases(dir.path());
    Pix::Receiver receiver;
    receiver.kind = Pix::KeyKind::Email;
    receiver.key = QStringLiteral("financeiro@moveisaraujo.com.br");
    receiver.name = QStringLiteral("Móveis Araújo Comércio Ltda");
    receiver.city = QStringLiteral("São José dos Campos");
    Pix::save(receiver);

    Table booklet(kAliasVantejaVs2, "tbreceber");
    booklet.open();

    QElapsedTimer timer;
    timer.start();
    const Report::Layout layout = Carne::quickRepCarne(&booklet);  // the preview fills from it as it shows
    Report::PreviewDialog preview(layout, Report::FillContext());
    preview.showMaximized();
    QCoreApplication::processEvents();
    while (preview.shownImage().isNull())
        QCoreApplication::processEvents();
    const double firstPage = timer.nsecsElapsed() / 1e6;
    preview.close();
    QCoreApplication::processEvents();

    timer.restart();
    const Report::Document document = Carne::fill(&booklet);
    const double filled = timer.nsecsElapsed() / 1e6;
    const QString pdfFile = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath("carne.pdf");
    Report::writePdf(document, pdfFile);
    const double pdf = timer.nsecsElapsed() / 1e6;
    int codes = 0;
    for (const Report::Page& page : document.pages)
        for (const Report::Item& item : page.items)
            codes += item.kind == Report::Item::QrCode;

    out << QStringLiteral("carnê de %1 cupons com código PIX (%2 códigos), %3 páginas\n")
               .arg(kCoupons)
               .arg(codes)
               .arg(document.pages.size());
    out << QStringLiteral("  primeira página na prévia          %1 ms (preencher incluído)\n")
               .arg(firstPage, 8, 'f', 1);
    out << QStringLiteral("  PDF inteiro                        %1 ms (preencher %2 ms; %3 KiB)\n")
               .arg(pdf, 8, 'f', 1)
               .arg(filled, 0, 'f', 1)
               .arg(QFileInfo(pdfFile).size() / 1024);
    return 0;
}
