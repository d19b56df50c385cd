// Speed of an installment plan and its booklet: 360 installments (no down payment) written into a receivables
// ledger of 100,000 rows, then the booklet of those 360 coupons to its first preview page and to a whole PDF.
// The run is printed beside the time the sqlite3 command line takes for the same statements with the same
// settings, as a ratio. Figures only: nothing here fails.
//   bench_parcelas [ROWS [PDF]]    (PDF: where to keep the booklet written)

#include <sqlite3.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>

#include "Carne.h"
#include "Clock.h"
#include "Database.h"
#include "Dialogs.h"
#include "LedgerData.h"
#include "Painter.h"
#include "Parcelas.h"
#include "PreviewDialog.h"
#include "Schema.h"
#include "Sqlite.h"
#include "SqliteCli.h"
#include "Table.h"
#include "UReceber.h"

namespace {

QTextStream out(stdout);
constexpr int kInstallments = 360;
constexpr int kDocument = 777777;

void generateLedger(const QString& file, int rows) {
    insertRows(file,
               "INSERT INTO tbreceber (Codigo, DocParcela, Nome, Fantasia, DataEmissao, DataVencimento, "
               "Valordocumento) VALUES (?, 1, ?, ?, '2025-01-10', ?, ?)",
               rows, [](int i) {
                   return QVariantList{i + 1, QStringLiteral("CLIENTE %1").arg(i % 3000),
                                       QStringLiteral("VENDA %1").arg(i % 900),
                                       QDate(2020, 1, 1).addDays(i % 3650).toString(Qt::ISODate),
                                       (i % 100000) / 100.0};
               });
}

// The boxes of a run, answered at once.
class SilentDialogs : public Dialogs {
public:
    void error(QWidget*, const QString&, const QString&) override {}
    void information(QWidget*, const QString&) override {}
    void errorNo(QWidget*, const QString&) override {}
    void confirmed(QWidget*, const QString&) override {}
    bool confirmation(QWidget*, const QString&) override { return true; }
    void message(QWidget*, const QString&) override {}
    bool question(QWidget*, const QString&, const QString&, bool) override { return true; }
    bool input(QWidget*, const QString&, const QString&, QString&) override { return false; }
    bool confirmDelete(QWidget*) override { return true; }
    void about(QWidget*, const QString&, const QString&) override {}
    void preview(QWidget*, const Report::Document&) override {}
};

// The window's filters, as far as a run needs them: each stores the record being edited.
class BenchWindow : public Parcelas::Host {
public:
    explicit BenchWindow(Table& ledger) : ledger_(ledger) {}
    void filterTodas() override { ledger_.checkBrowseMode(); }
    void filterNaoPaga() override { ledger_.checkBrowseMode(); }
    void aviso() override {}
    void setGravarEnabled(bool) override {}
    void setCancelarEnabled(bool) override {}

private:
    Table& ledger_;
};

// What each installment sends to the engine, through the sqlite3 command line; whole run, milliseconds.
double runThroughCli(const QString& file) {
    const QString insert = QStringLiteral(
        "INSERT INTO tbreceber (DocParcela, Fantasia, Nome, Codigo, DataEmissao, DataVencimento, "
        "Observacoes, "
        "Valordocumento) VALUES (%1, 'SOFA', 'MARIA', %2, '2026-12-09', date('2025-01-31', '+%1 months'), "
        "'ENTREGA', 150);\n");
    const QString reread = QStringLiteral("SELECT * FROM tbreceber WHERE Chave = last_insert_rowid();\n");
    // All installments but the last in one commit, each re-reading the rows of its document; then the last
    // one after the ledger's rows are read in code order, and the ledger's rows read again once it is stored.
    QString script = QStringLiteral("SAVEPOINT p;\n");
    for (int k = 1; k < kInstallments; ++k)
        script +=
            QStringLiteral("SAVEPOINT vj_post;\n") + insert.arg(k).arg(kDocument) +
            QStringLiteral("SELECT Chave FROM tbreceber WHERE Codigo = %1 ORDER BY Chave;\n").arg(kDocument) +
            reread + QStringLiteral("RELEASE vj_post;\n");
    script += QStringLiteral("RELEASE p;\nSELECT Chave FROM tbreceber ORDER BY Codigo, Chave;\n");
    script += QStringLiteral("SAVEPOINT vj_post;\n") + insert.arg(kInstallments).arg(kDocument) +
              QStringLiteral("SELECT Chave FROM tbreceber ORDER BY Codigo, Chave;\n") + reread +
              QStringLiteral("RELEASE vj_post;\n");
    const QVector<double> times = sqliteCliTimes(file, script);
    if (times.isEmpty()) return -1;
    double sum = 0;
    for (double time : times)
        sum += time;
    return sum;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SilentDialogs dialogs;
    Dialogs::install(&dialogs);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    const QString folder = dataFolderFor(dir.path());
    writeDataFolder(folder);
    const QString file = QDir(folder).filePath(kDataFileName);
    generateLedger(file, rows);
    defineStandardDatabases(dir.path());

    Table ledger(kAliasVantejaVs2, "tbreceber");
    ledger.open();
    ledger.last();
    BenchWindow window(ledger);
    Parcelas::Plan plan;
    plan.baseDate = "31/01/2025";
    plan.documento = QString::number(kDocument);
    plan.cliente = "MARIA DA SILVA";
    plan.referencia = "SOFA 3 LUGARES";
    plan.observacoes = "ENTREGA EM CASA";
    plan.valor = "150,00";
    plan.count = kInstallments;
    plan.first = 1;

    QElapsedTimer timer;
    timer.start();
    Parcelas::geraParcelas(ledger, plan, window);
    const double run = timer.nsecsElapsed() / 1e6;

    Table booklet(kAliasVantejaVs2, "tbreceber");
    booklet.open();
    booklet.setFilter(QStringLiteral("Codigo = %1").arg(kDocument));
    booklet.setFiltered(true);
    timer.restart();
    const Report::Document document = Carne::fill(&booklet);
    Report::PreviewDialog preview(document);
    preview.showMaximized();
    QCoreApplication::processEvents();
    while (preview.shownImage().isNull())
        QCoreApplication::processEvents();
    const double firstPage = timer.nsecsElapsed() / 1e6;
    preview.hide();
    timer.restart();
    const QString pdfFile = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath("carne.pdf");
    Report::writePdf(document, pdfFile);
    const double pdf = timer.nsecsElapsed() / 1e6;
    const int coupons = booklet.recordCount();
    booklet.close();
    ledger.close();

    // The same run as a user makes it: the receivables window open on the ledger, the panel filled, the
    // button clicked, until the panel is hidden and the window shows the last installment.
    ProgramFolder::set(dir.path());
    Clock::set(QDateTime(QDate(2025, 1, 31), QTime(9, 0)));
    double clicked = 0;
    {
        Tfreceber receber;
        receber.show();
        QCoreApplication::processEvents();
        receber.control<QPushButton>("SpeedButton10")->click();
        GerarParcelas* panel = receber.findChild<GerarParcelas*>();
        panel->Edit3->setText(QString::number(kDocument + 1));
        panel->ComClientes->setEditText(plan.cliente);
        panel->ParcelaRef->setText(plan.referencia);
        panel->Observacao->setText(plan.observacoes);
        panel->ValorParcela->setText(plan.valor);
        panel->DBNumeroParcela->setText(QString::number(kInstallments));
        panel->nao->click();
        timer.restart();
        panel->SpeedButton11->click();
        QCoreApplication::processEvents();
        clicked = timer.nsecsElapsed() / 1e6;
        if (panel->isVisible()) out << "  (o painel continuou aberto: a geração pela janela falhou)\n";
    }
    Table written(kAliasVantejaVs2, "tbreceber");
    written.open();
    written.setFilter(QStringLiteral("Codigo = %1").arg(kDocument + 1));
    written.setFiltered(true);
    const int byWindow = written.recordCount();
    written.close();
    Clock::set(QDateTime());
    Session::instance().clear();
    const double cli = runThroughCli(file);

    out << QStringLiteral("tbreceber com %L1 linhas\n").arg(rows);
    out << QStringLiteral("  %L1 parcelas sem entrada           %2 ms")
               .arg(kInstallments)
               .arg(run, 8, 'f', 1);
    if (cli < 0)
        out << "   (sqlite3 não encontrado)\n";
    else
        out << QStringLiteral("   sqlite3 %1 ms   razão %2\n").arg(cli, 8, 'f', 1).arg(run / cli, 0, 'f', 2);
    out << QStringLiteral("  o mesmo pela janela, clique até o painel sumir %1 ms (%2 parcelas gravadas)\n")
               .arg(clicked, 8, 'f', 1)
               .arg(byWindow);
    out << QStringLiteral("carnê de %1 cupons, %2 páginas\n").arg(coupons).arg(document.pages.size());
    out << QStringLiteral("  primeira página na prévia          %1 ms (preencher incluído)\n")
               .arg(firstPage, 8, 'f', 1);
    out << QStringLiteral("  PDF inteiro                        %1 ms (%2 KiB)\n")
               .arg(pdf, 8, 'f', 1)
               .arg(QFileInfo(pdfFile).size() / 1024);
    return 0;
}
