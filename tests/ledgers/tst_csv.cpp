// Lists to a spreadsheet: the ledgers' listing through the preview's "Exportar planilha", and the search
// tab's grid through its right-click menu. The file is read back by Python's csv module, and converted by
// LibreOffice when it is installed.

#include <QAction>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "DBGrid.h"
#include "Dialogs.h"
#include "PreviewDialog.h"
#include "UReceber.h"
#include "Unpagar.h"
#include "WindowFixture.h"

namespace {

// The rows as an independent reader sees them; a file without the byte-order mark reads as nothing.
QList<QStringList> readBack(const QString& fileName) {
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty()) qFatal("python3 is needed to read the spreadsheet back");
    QProcess reader;
    reader.start(python, {"-c",
                          "import csv, json, sys\n"
                          "raw = open(sys.argv[1], 'rb').read()\n"
                          "if not raw.startswith(b'\\xef\\xbb\\xbf'): sys.exit(3)\n"
                          "text = raw[3:].decode('utf-8')\n"
                          "rows = list(csv.reader(text.splitlines(keepends=True), delimiter=';'))\n"
                          "print(json.dumps(rows))",
                          fileName});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0) return {};
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(reader.readAllStandardOutput()).array()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells << cell.toString();
        rows << cells;
    }
    return rows;
}

// Where LibreOffice is installed, it opens the file as a spreadsheet.
void convertsToXlsx(const QString& fileName) {
    const QString localc = QStandardPaths::findExecutable("localc");
    if (localc.isEmpty()) return;
    const QString folder = QFileInfo(fileName).absolutePath();
    QProcess convert;
    convert.start(localc, {"--headless", "--convert-to", "xlsx", "--outdir", folder, fileName});
    QVERIFY(convert.waitForFinished(120000));
    QVERIFY(QFileInfo(QFileInfo(fileName).completeBaseName().prepend(folder + "/") + ".xlsx").size() > 0);
}

void bill(bool payables, int code, const QString& reference, const QString& name, const QVariant& paid,
          double value) {
    addRow(payables ? "tbpagar" : "tbreceber", {{"Codigo", code},
                                                {"Fantasia", reference},
                                                {"Nome", name},
                                                {"DataEmissao", QDate(2025, 3, 1)},
                                                {"DataVencimento", QDate(2025, 3, code)},
                                                {"DataPagamento", paid},
                                                {"Valordocumento", value}});
}

}  // namespace

class CsvTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture_ = std::make_unique<WindowFixture>(); }
    void cleanup() { fixture_.reset(); }

    void ledgers_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QString>("from");  // preview or grid
        QTest::newRow("pagar, listing") << true << "preview";
        QTest::newRow("receber, listing") << false << "preview";
        QTest::newRow("pagar, search grid") << true << "grid";
        QTest::newRow("receber, search grid") << false << "grid";
    }
    void ledgers() {
        QFETCH(bool, payables);
        QFETCH(QString, from);
        // Texts a spreadsheet must keep whole: the separator, quotes, a line break, accents; a paid bill that
        // the filter leaves out; more rows than the grid shows.
        bill(payables, 3, "LUZ; GÁS", "CIA \"LUZ\"\nFILIAL", QVariant(), 1234.5);
        bill(payables, 1, "ÁGUA", "COPASA", QVariant(), 0.1);
        bill(payables, 2, "PAGA", "X", QDate(2025, 3, 2), 99);
        for (int code = 4; code < 154; ++code)
            bill(payables, code, "ALUGUEL", "IMOB", QVariant(), 10);
        std::unique_ptr<LedgerWindow> window;
        if (payables)
            window = std::make_unique<Tfpagar>();
        else
            window = std::make_unique<Tfreceber>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTest::mouseClick(window->control(payables ? "SpeedButton7" : "localizar"), Qt::LeftButton);
        QTest::mouseClick(window->control("SpeedButton2"), Qt::LeftButton);  // "Não Pago"
        const int listed = window->ledger()->recordCount();
        QCOMPARE(listed, 152);

        ScriptedDialogs& dialogs = fixture_->dialogs;
        const QString fileName = fixture_->data.programFolder() + "/lista";
        dialogs.answer(fileName);  // ".csv" is added
        QStringList printedTotal;
        if (from == "grid") {
            auto* action = window->control<DBGrid>("DBGrid2")->findChild<QAction*>("exportSheet");
            QVERIFY(action);
            QCOMPARE(action->text(), QString("Exportar planilha"));
            action->trigger();
        } else {
            QTest::mouseClick(window->control("SpeedButton9"), Qt::LeftButton);
            QCOMPARE(dialogs.previews.size(), 1);
            const Report::Document document = dialogs.previews.last();
            const QStringList texts = document.pages.last().texts();
            printedTotal = texts.mid(texts.indexOf("TOTAL"), 2);
            // The real preview, its button clicked.
            QTimer::singleShot(0, this, [] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* preview = qobject_cast<Report::PreviewDialog*>(w)) {
                        QTest::mouseClick(preview->findChild<QToolButton*>("exportSheet"), Qt::LeftButton);
                        preview->accept();
                    }
            });
            WidgetDialogs().preview(window.get(), document);
        }
        QCOMPARE(dialogs.kinds().filter("error"), QStringList());
        QCOMPARE(dialogs.kinds().filter("saveFile"), QStringList{"saveFile"});

        const QList<QStringList> rows = readBack(fileName + ".csv");
        const bool listing = from == "preview";
        QCOMPARE(rows.size(), 1 + listed + (listing ? 1 : 0));
        const QStringList titles =
            listing ? (payables ? QStringList{"Emissão", "Saída", "Credor", "Dt Venc.", "Data Pag", "Valor"}
                                : QStringList{"Emissão", "Codigo", "Entrada", "Nome", "Vencimento", "Valor"})
                    : (payables ? QStringList{"Data Emissão", "Data Vencimento", "Saída Nome", "Credor",
                                              "Data Pagamento", "Valor"}
                                : QStringList{"Data Emissão", "Data Vencimento", "Nome (Credor)",
                                              "Referência", "Data Recebimento", "Valor"});
        QCOMPARE(rows[0], titles);
        // Every row in the ledger's order, as the window lists it.
        window->ledger()->first();
        for (int i = 1; i <= listed; ++i, window->ledger()->next()) {
            const QStringList& row = rows[i];
            QCOMPARE(row.size(), titles.size());
            QVERIFY(row.contains(window->ledger()->fieldByName("Nome").asString()));
            QVERIFY(row.contains(window->ledger()->fieldByName("Fantasia").asString()));
            QCOMPARE(row.first(), QString("01/03/2025"));
            QVERIFY(row.contains(window->ledger()->fieldByName("DataVencimento").displayText()));
            const QString value =
                window->ledger()->fieldByName("Valordocumento").asFloat() == 1234.5 ? "1234,50"
                : window->ledger()->fieldByName("Valordocumento").asFloat() == 0.1  ? "0,10"
                                                                                    : "10,00";
            QCOMPARE(row.last(), value);
        }
        if (listing) {
            // The totals row last, the same figure as printed, without the thousands point.
            QCOMPARE(rows.last().last(), QString("2734,60"));
            QCOMPARE(rows.last().value(rows.last().size() - 2), QString("TOTAL"));
            QCOMPARE(printedTotal, QStringList({"TOTAL", "2.734,60"}));
        }
        convertsToXlsx(fileName + ".csv");
    }

    // A file that can't be written is said so; nothing is left behind.
    void unwritable() {
        bill(true, 1, "LUZ", "CEMIG", QVariant(), 10);
        Tfpagar window;
        QTest::mouseClick(window.control("SpeedButton7"), Qt::LeftButton);
        ScriptedDialogs& dialogs = fixture_->dialogs;
        dialogs.answer(fixture_->data.programFolder() + "/sem-pasta/lista.csv");
        window.control<DBGrid>("DBGrid2")->findChild<QAction*>("exportSheet")->trigger();
        QCOMPARE(dialogs.kinds(), QStringList({"saveFile", "error"}));
        QVERIFY(dialogs.lastText().startsWith("Não foi possível gravar a planilha"));
        QVERIFY(!QFileInfo::exists(fixture_->data.programFolder() + "/sem-pasta"));
    }

private:
    std::unique_ptr<WindowFixture> fixture_;
};

QTEST_MAIN(CsvTest)
#include "tst_csv.moc"
