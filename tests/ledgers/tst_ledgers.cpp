// The payables and receivables windows through their controls, with scripted dialogs on a fixed day
// (10/03/2025). Where the twins behave alike they are rows of the same test.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <utility>

#include "DBGrid.h"
#include "DataControls.h"
#include "FailingReRead.h"
#include "Filler.h"
#include "NameLists.h"
#include "UReceber.h"
#include "Unpagar.h"
#include "Values.h"
#include "WindowFixture.h"

namespace {

using Row = QList<QPair<QString, QVariant>>;

QDate d(const char* text) {
    return QDate::fromString(QString::fromLatin1(text), QStringLiteral("dd/MM/yyyy"));
}

QString tableOf(bool payables) {
    return payables ? QStringLiteral("tbpagar") : QStringLiteral("tbreceber");
}

void bill(bool payables, int code, const QString& reference, const QVariant& due, const QVariant& paid,
          double value, const QString& name = QStringLiteral("CREDOR")) {
    addRow(tableOf(payables), {{"Codigo", code},
                               {"Fantasia", reference},
                               {"Nome", name},
                               {"DataVencimento", due},
                               {"DataPagamento", paid},
                               {"Valordocumento", value}});
}

int stored(bool payables) {
    Table all(kAliasVantejaVs2, tableOf(payables));
    all.open();
    return all.recordCount();
}

QStringList codes(Table* table) {
    QStringList list;
    const Bookmark here = table->bookmark();
    for (table->first(); !table->eof(); table->next())
        list << table->fieldByName("Codigo").displayText();
    table->gotoBookmark(here);
    list.sort();
    return list;
}

void writeList(const QString& fileName, const QByteArray& bytes) {
    QFile file(NameLists::pathOf(fileName));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readList(const QString& fileName) {
    QFile file(NameLists::pathOf(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

const char* valueBox(bool payables) {
    return payables ? "DBEdit3" : "EditValor_Titulo";
}

// Clicks a control of the window as the user does: one that is disabled or hidden fails the test.
void click(LedgerWindow* w, const QString& name) {
    QWidget* control = w->control(name);
    QVERIFY2(control->isEnabled() && !control->isHidden(), qPrintable(name));
    QTest::mouseClick(control, Qt::LeftButton);
}

// The user picks a tab on the tab bar, which has its tabs' places once shown.
void showTab(LedgerWindow* w, int index) {
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTabBar* bar = w->control<QTabWidget>("PageControl1")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

GerarParcelas* panelOf(LedgerWindow* w) {
    return w->findChild<GerarParcelas*>();
}

QStringList entries(const QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

// Error boxes that wait in an event loop of their own, as the real ones do, and record what they said and
// whether one came while its window was still being shown (which leaves a window at a stub's size).
class ModalErrors : public ScriptedDialogs {
public:
    bool duringShow = false;
    void error(QWidget* parent, const QString& text, const QString& title) override {
        ScriptedDialogs::error(parent, text, title);
        if (QWidget* window = parent ? parent->window() : nullptr; window && window->isVisible())
            duringShow |= !window->windowHandle() || !window->windowHandle()->isVisible();
        QDialog box(parent);
        QTimer::singleShot(0, &box, &QDialog::accept);
        box.exec();
    }
};

}  // namespace

class LedgersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> fixture_;
    std::unique_ptr<LedgerWindow> window_;
    ScriptedDialogs* dialogs_ = nullptr;

    LedgerWindow* open(bool payables) {
        if (payables)
            window_ = std::make_unique<Tfpagar>();
        else
            window_ = std::make_unique<Tfreceber>();
        return window_.get();
    }
    Tfpagar* pagar() { return static_cast<Tfpagar*>(open(true)); }
    static void twins() {
        QTest::addColumn<bool>("payables");
        QTest::newRow("pagar") << true;
        QTest::newRow("receber") << false;
    }
    QStringList shown() { return codes(window_->ledger()); }

private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>();
        dialogs_ = &fixture_->dialogs;
    }
    void cleanup() {
        window_.reset();
        fixture_.reset();
    }

    void creation_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("filterCaption");
        QTest::addColumn<QString>("shownCodes");
        QTest::newRow("pagar") << true << "Saídas do Caixa"
                               << "Todas Não Pagas"
                               << "000001,000002";
        QTest::newRow("receber") << false << "Entradas do Caixa"
                                 << "Todas Cadastradas"
                                 << "000001,000002,000003";
    }
    void creation() {
        QFETCH(QString, caption);
        QFETCH(QString, shownCodes);
        QFETCH(QString, filterCaption);
        QFETCH(bool, payables);
        bill(payables, 1, "LUZ", d("10/03/2025"), QVariant(), 100.5);
        bill(payables, 2, "AGUA", d("09/03/2025"), QVariant(), 20);
        bill(payables, 3, "GAS", d("10/03/2025"), d("05/03/2025"), 7);
        LedgerWindow* w = open(payables);
        verifyAllBound(w);
        QVERIFY(!w->control<QPushButton>("btngravar")->isEnabled());
        QVERIFY(!w->control<QPushButton>("btncancelar")->isEnabled());
        QVERIFY(!w->control<QPushButton>("btnPrimeiro")->isEnabled());
        QVERIFY(w->control<QPushButton>("btnAvancar")->isEnabled());
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(w->control<QTabWidget>("PageControl1")->tabText(0), QString("Cadastro "));
        QCOMPARE(shown().join(','), shownCodes);
        QStringList visible;
        const QStringList captions = payables
                                         ? QStringList{"Label10", "Label9", "Label8", "Label1", "L_filtro"}
                                         : QStringList{"L_Npaga", "L_pagas", "L_todas"};
        for (const QString& name : captions)
            if (!w->control(name)->isHidden()) visible << w->control<QLabel>(name)->text();
        QCOMPARE(visible, QStringList{filterCaption});
        // The reminder: unpaid bills due on the day of opening.
        QCOMPARE(codes(w->reminder()), QStringList{"000001"});
        QCOMPARE(w->control<QLabel>("Ltotal_aviso")->text(), QString("Total: 100,50"));
        QCOMPARE(w->control<QLabel>("Ldata_dia")->text(), QString("10/03/2025"));
    }

    void numbering_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<bool>("insertKey");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("expected");
        for (bool payables : {true, false}) {
            const char* twin = payables ? "pagar" : "receber";
            QTest::addRow("%s: Nova, highest 41", twin)
                << payables << false << "Codigo = 3 or Codigo = 7" << 42;
            QTest::addRow("%s: Insert, filter shows 3 and 7", twin)
                << payables << true << "Codigo = 3 or Codigo = 7" << 8;
            QTest::addRow("%s: Insert, filter shows nothing", twin) << payables << true << "Codigo = 99" << 1;
        }
    }
    void numbering() {
        QFETCH(QString, filter);
        QFETCH(bool, insertKey);
        QFETCH(int, expected);
        QFETCH(bool, payables);
        for (int code : {3, 41, 7})
            bill(payables, code, "LUZ", d("01/04/2025"), QVariant(), 1);
        LedgerWindow* w = open(payables);
        w->ledger()->setFiltered(false);
        w->ledger()->setFilter(filter);
        w->ledger()->setFiltered(true);
        if (insertKey)
            w->novo();
        else
            click(w, "btnnovo");
        QCOMPARE(w->ledger()->state(), Dataset::State::Insert);
        QCOMPARE(w->ledger()->fieldByName("Codigo").asInteger(), expected);
        QCOMPARE(w->ledger()->fieldByName("DataVencimento").asDate(), QDate(2025, 3, 10));
        QCOMPARE(w->ledger()->fieldByName("DocParcela").isNull(), payables);
        QVERIFY(w->control<QPushButton>("btngravar")->isEnabled());
    }

    void emptyLedgerStoreChecks_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("message");
        QTest::newRow("pagar, both blank") << true << ""
                                           << ""
                                           << "Valor da saída em branco. Preencha!";
        QTest::newRow("pagar, reference blank") << true << "12,5"
                                                << ""
                                                << "Preencha o Nome da Saída!";
        QTest::newRow("receber, both blank") << false << ""
                                             << ""
                                             << "Preencha o nome da entrada!";
        QTest::newRow("receber, value blank") << false << ""
                                              << "LUZ"
                                              << "Preencha o valor da entrada!";
    }
    void emptyLedgerStoreChecks() {
        QFETCH(QString, value);
        QFETCH(QString, reference);
        QFETCH(QString, message);
        QFETCH(bool, payables);
        LedgerWindow* w = open(payables);
        click(w, "btnnovo");
        QCOMPARE(w->ledger()->fieldByName("Codigo").displayText(), QString("000001"));
        QCOMPARE(w->control<QLabel>("PgNpg")->text(), QString("Não Paga"));
        if (!value.isEmpty()) w->control<DBEdit>(valueBox(payables))->typeText(value);
        if (!reference.isEmpty()) w->ledger()->fieldByName("Fantasia").setAsString("LUZ");
        click(w, "btngravar");
        QCOMPARE(dialogs_->kinds(), QStringList{"error"});
        QCOMPARE(dialogs_->lastText(), message);
        QCOMPARE(w->ledger()->state(), Dataset::State::Insert);
        QCOMPARE(stored(payables), 0);
    }

    void storeAndCancel_data() { twins(); }
    void storeAndCancel() {
        QFETCH(bool, payables);
        LedgerWindow* w = open(payables);
        click(w, "btnnovo");
        w->control<DBEdit>(valueBox(payables))->typeText("1.234,5");
        w->ledger()->fieldByName("Fantasia").setAsString("ALUGUEL");
        click(w, "btngravar");
        QCOMPARE(dialogs_->kinds(), QStringList{"confirmed"});
        QCOMPARE(dialogs_->lastText(),
                 QString(payables ? "Despesa Salva com sucesso!" : "Salva com sucesso!"));
        QCOMPARE(w->ledger()->state(), Dataset::State::Browse);
        QCOMPARE(w->ledger()->fieldByName("Valordocumento").asFloat(), 1234.5);
        QVERIFY(!w->control<QPushButton>("btngravar")->isEnabled());
        QCOMPARE(w->control<QLabel>("Panel9")->text(), QString("Total: 1.234,50"));
        // A bill begun and cancelled leaves nothing behind and the totals as they were.
        click(w, "btnnovo");
        w->ledger()->fieldByName("Fantasia").setAsString("LUZ");
        click(w, "btncancelar");
        QCOMPARE(w->ledger()->recordCount(), 1);
        QCOMPARE(w->control<QLabel>(payables ? "Label23" : "Label18")->text(), QString("Total: 1.234,50"));
    }

    // A store whose re-read fails is undone and the record stays as typed: two failed "Gravar", then one
    // that succeeds, store the bill once.
    void failedStoreMakesNoDuplicate_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<int>("way");
        for (const auto& [twin, payables] : {std::pair{"pagar", true}, std::pair{"receber", false}}) {
            QTest::addRow("%s, refused", twin) << payables << int(FailingReRead::Refused);
            QTest::addRow("%s, interrupted", twin) << payables << int(FailingReRead::Interrupted);
        }
    }
    void failedStoreMakesNoDuplicate() {
        QFETCH(bool, payables);
        QFETCH(int, way);
        if (TempData::onPostgres()) QSKIP("the failing read is made by the data file's own engine");
        LedgerWindow* w = open(payables);
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::mouseClick(w->control<QPushButton>("btnnovo"), Qt::LeftButton);
        w->control<DBEdit>(valueBox(payables))->typeText("75,5");
        w->ledger()->fieldByName("Fantasia").setAsString("ALUGUEL");
        {
            FailingReRead failing(FailingReRead::Way(way), 2);
            QTest::mouseClick(w->control<QPushButton>("btngravar"), Qt::LeftButton);
            QTest::mouseClick(w->control<QPushButton>("btngravar"), Qt::LeftButton);
        }
        QCOMPARE(dialogs_->kinds(), QStringList({"error", "error"}));
        QCOMPARE(w->ledger()->state(), Dataset::State::Insert);
        QCOMPARE(stored(payables), 0);
        QTest::mouseClick(w->control<QPushButton>("btngravar"), Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList({"error", "error", "confirmed"}));
        QCOMPARE(stored(payables), 1);
    }

    void closingLosesTyping_data() { twins(); }
    void closingLosesTyping() {
        QFETCH(bool, payables);
        bill(payables, 1, "LUZ", d("10/03/2025"), QVariant(), 10);
        LedgerWindow* w = open(payables);
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
        auto* value = w->control<DBEdit>(valueBox(payables));
        value->setFocus();
        value->typeText("");  // an emptied value is blank
        click(w, "btngravar");
        QCOMPARE(dialogs_->lastText(),
                 QString(payables ? "Valor da saída em branco. Preencha!" : "Preencha o valor da entrada!"));
        value->typeText("99");
        w->close();
        Table all(kAliasVantejaVs2, tableOf(payables));
        all.open();
        QCOMPARE(all.fieldByName("Valordocumento").asFloat(), 10.0);
    }

    // A date its field refuses, typed into the shown window: one error box per "Gravar", the record still
    // being edited with what was typed and the focus back in the box.
    void badTypingStaysInEditing_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        for (bool payables : {true, false}) {
            const char* twin = payables ? "pagar" : "receber";
            QTest::addRow("%s: impossible date", twin) << payables << "EditData_Vencimento"
                                                       << "31/02/2026"
                                                       << "'31/02/2026' não é uma data válida";
            QTest::addRow("%s: partly typed date", twin) << payables << "EditData_Emissao"
                                                         << "12/0"
                                                         << "'12/0 /    ' não é uma data válida";
            QTest::addRow("%s: partly typed due date", twin) << payables << "EditData_Vencimento"
                                                             << "12/0"
                                                             << "'12/0 /    ' não é uma data válida";
            QTest::addRow("%s: impossible emission", twin) << payables << "EditData_Emissao"
                                                           << "99/99/9999"
                                                           << "'99/99/9999' não é uma data válida";
        }
    }
    void badTypingStaysInEditing() {
        QFETCH(QString, boxName);
        QFETCH(bool, payables);
        bill(payables, 1, "LUZ", d("10/03/2025"), QVariant(), 10);
        LedgerWindow* w = open(payables);
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QFETCH(QString, typed);
        auto* box = w->control<DBEdit>(boxName);
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClicks(box, typed);
        QTest::mouseClick(w->control<QPushButton>("btngravar"), Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList{"error"});
        QTEST(dialogs_->lastText(), "message");
        QCOMPARE(w->ledger()->state(), Dataset::State::Edit);
        QVERIFY(box->hasFocus());
        QCOMPARE(box->maskedText().left(typed.size()), typed);
        QCOMPARE(stored(payables), 1);
    }

    void lookUps_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<bool>("byCode");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("code");  // where the ledger stands afterwards
        QTest::addColumn<QString>("message");
        for (bool payables : {true, false}) {
            const char* twin = payables ? "pagar" : "receber";
            QTest::addRow("%s: code found", twin) << payables << true << "2"
                                                  << "000002"
                                                  << "";
            QTest::addRow("%s: code missing", twin)
                << payables << true << "9"
                << "000001" << (payables ? "Documento não localizado !!!" : "Código não localizado !!!");
            QTest::addRow("%s: code not a number", twin) << payables << true << "DOIS"
                                                         << "000001"
                                                         << "error";
            QTest::addRow("%s: name exact", twin) << payables << false << "LUZ"
                                                  << "000002"
                                                  << "";
            QTest::addRow("%s: luz against LUZ", twin) << payables << false << "luz"
                                                       << "000001"
                                                       << "Nome não localizado !!!";
            QTest::addRow("%s: quote in a name", twin) << payables << false << "D'AGUA"
                                                       << "000001"
                                                       << "Nome não localizado !!!";
        }
    }
    void lookUps() {
        QFETCH(QString, typed);
        QFETCH(bool, byCode);
        QFETCH(QString, code);
        QFETCH(bool, payables);
        bill(payables, 1, "AGUA", d("01/03/2025"), QVariant(), 1);
        bill(payables, 2, "LUZ", d("02/03/2025"), QVariant(), 1);
        LedgerWindow* w = open(payables);
        w->inputText = "antes";
        dialogs_->answer(typed);
        if (byCode)
            click(w, "Label2");
        else
            click(w, "Label11");
        QCOMPARE(w->ledger()->fieldByName("Codigo").displayText(), code);
        QFETCH(QString, message);
        if (message.isEmpty())
            QCOMPARE(dialogs_->kinds(), QStringList{"input"});
        else if (message == "error")
            QCOMPARE(dialogs_->calls.last().kind, QString("error"));
        else
            QCOMPARE(dialogs_->lastText(), message);
        QVERIFY(w->inputText.isEmpty());
    }

    void incrementalSearch_data() { twins(); }
    void incrementalSearch() {
        QFETCH(bool, payables);
        bill(payables, 1, "ENERGIA", d("01/03/2025"), QVariant(), 1);
        bill(payables, 2, "ALUGUEL", d("02/03/2025"), QVariant(), 1);
        bill(payables, 3, "AGUA", d("03/03/2025"), QVariant(), 1);
        LedgerWindow* w = open(payables);
        w->control<MaskEdit>("Edit1")->setText("AG");
        QCOMPARE(w->ledger()->fieldByName("Fantasia").asString(), QString("AGUA"));
        w->control<MaskEdit>("Edit1")->setText("AZ");
        QCOMPARE(w->ledger()->fieldByName("Fantasia").asString(), QString("ENERGIA"));
        QCOMPARE(w->ledger()->indexName(), QString("byfantasia"));
    }

    void movementButtons_data() { twins(); }
    void movementButtons() {
        QFETCH(bool, payables);
        bill(payables, 1, "LUZ", d("01/04/2025"), QVariant(), 1);
        LedgerWindow* w = open(payables);
        QVERIFY(!w->control<QPushButton>("btnPrimeiro")->isEnabled() &&
                !w->control<QPushButton>("btnVoltar")->isEnabled());
        QVERIFY(w->control<QPushButton>("btnAvancar")->isEnabled() &&
                w->control<QPushButton>("btnUltimo")->isEnabled());
        click(w, "btnAvancar");
        QVERIFY(!w->control<QPushButton>("btnAvancar")->isEnabled() &&
                !w->control<QPushButton>("btnUltimo")->isEnabled());
        QCOMPARE(w->control<QLabel>("TotalRegistros")->text(), QString("1"));
    }

    // Settled or not, every control of the record tab stays where it is: the payment date shows and hides
    // inside the status group.
    void recordTabStaysStill_data() { twins(); }
    void recordTabStaysStill() {
        QFETCH(bool, payables);
        bill(payables, 1, "LUZ", d("10/03/2025"), d("09/03/2025"), 10);
        bill(payables, 2, "AGUA", d("10/03/2025"), QVariant(), 20);
        LedgerWindow* w = open(payables);
        click(w, "RadioButton3");
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto places = [w] {
            QApplication::processEvents();  // the layouts settle
            QMap<QString, QPoint> map;
            for (QWidget* c : w->control<QTabWidget>("PageControl1")
                                  ->widget(LedgerWindow::Cadastro)
                                  ->findChildren<QWidget*>())
                if (c->isVisible() && !c->objectName().isEmpty())
                    map.insert(c->objectName(), c->mapTo(w, QPoint()));
            return map;
        };
        QVERIFY(w->ledger()->locate("Codigo", 1));
        QMap<QString, QPoint> paid = places();
        QTRY_VERIFY_WITH_TIMEOUT(std::exchange(paid, places()) == paid, 5000);  // the window has settled
        QVERIFY(paid.contains("DBText1"));
        QVERIFY(w->ledger()->locate("Codigo", 2));
        const QMap<QString, QPoint> unpaid = places();
        QVERIFY(!unpaid.contains("DBText1"));
        for (auto it = unpaid.begin(); it != unpaid.end(); ++it)
            QVERIFY2(paid.value(it.key()) == it.value(), qPrintable(it.key()));
    }

    // The payment tests and their thresholds, through the record tab and the search tab.
    void filters_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("name");  // typed in the name box
        QTest::addColumn<QString>("expectedCodes");
        QTest::addColumn<QString>("total");
        // 1 unpaid due 05/03; 2 paid 01/01/1990; 3 paid 15/06/1950; 4 paid 15/06/1899; 5 paid 02/03/2025,
        // due 10/03; 6 unpaid, no due date; 7 unpaid due 10/03.
        for (bool payables : {true, false}) {
            const char* twin = payables ? "pagar" : "receber";
            QTest::addRow("%s: Não Paga", twin) << payables << "radio0"
                                                << ""
                                                << "1,3,4,6,7"
                                                << "Total: 109,00";
            QTest::addRow("%s: Paga", twin) << payables << "radio1"
                                            << ""
                                            << "5"
                                            << "Total: 16,00";
            QTest::addRow("%s: Todas", twin) << payables << "radio2"
                                             << ""
                                             << "1,2,3,4,5,6,7"
                                             << "Total: 127,00";
            QTest::addRow("%s: search Não Pago", twin) << payables << "SpeedButton2"
                                                       << ""
                                                       << "1,3,4,6,7"
                                                       << "Total: 109,00";
            QTest::addRow("%s: name, paid after 1930", twin) << payables << "SpeedButton4"
                                                             << "luz"
                                                             << "2,3,5"
                                                             << "Total: 22,00";
            QTest::addRow("%s: name prefix", twin) << payables << "SpeedButton3"
                                                   << "LU*"
                                                   << "1,2,3,4,5,6,7"
                                                   << "Total: 127,00";
        }
        QTest::newRow("pagar: Vencidas") << true << "radio3"
                                         << ""
                                         << "1,3,4,6"
                                         << "Total: 66,00";
        QTest::newRow("pagar: Contas (Não Paga), 1930") << true << "SpeedButton6"
                                                        << "LUZ"
                                                        << "1,4,6,7"
                                                        << "Total: 105,00";
        QTest::newRow("receber: Entrada (Não Pago), 1900") << false << "SpeedButton6"
                                                           << "LUZ"
                                                           << "1,4,6,7"
                                                           << "Total: 105,00";
        QTest::newRow("receber: Credor, 1900") << false << "Credor"
                                               << "ana"
                                               << "1,4,6,7"
                                               << "Total: 105,00";
        QTest::newRow("pagar: Credor (Geral)") << true << "SpeedButton11"
                                               << "ana"
                                               << "1,2,3,4,5,6,7"
                                               << "Total: 127,00";
    }
    void filters() {
        QFETCH(QString, name);
        QFETCH(QString, expectedCodes);
        QFETCH(QString, total);
        QFETCH(bool, payables);
        bill(payables, 1, "LUZ", d("05/03/2025"), QVariant(), 1, "ANA");
        bill(payables, 2, "LUZ", d("05/03/2025"), d("01/01/1990"), 2, "ANA");
        bill(payables, 3, "LUZ", d("05/03/2025"), d("15/06/1950"), 4, "ANA");
        bill(payables, 4, "LUZ", d("05/03/2025"), d("15/06/1899"), 60, "ANA");
        bill(payables, 5, "LUZ", d("10/03/2025"), d("02/03/2025"), 16, "ANA");
        bill(payables, 6, "LUZ", QVariant(), QVariant(), 1, "ANA");
        bill(payables, 7, "LUZ", d("10/03/2025"), QVariant(), 43, "ANA");
        LedgerWindow* w = open(payables);
        QFETCH(QString, action);
        if (!name.isEmpty()) dialogs_->answer(name);
        if (action.startsWith("radio"))
            click(w, QStringLiteral("RadioButton%1").arg(action.mid(5).toInt() + 1));
        else
            click(w, action);
        QStringList expected;
        for (const QString& code : expectedCodes.split(','))
            expected << Values::formatFloat(code.toInt(), "000000");
        QCOMPARE(shown(), expected);
        QCOMPARE(w->control<QLabel>("Panel9")->text(), total);
        QCOMPARE(w->control<QLabel>(payables ? "Label23" : "Label18")->text(),
                 w->control<QLabel>("Panel9")->text());
        QCOMPARE(w->control<QLabel>("TotalRegistros")->text(), QString::number(expected.size()));
    }

    void nameInput_data() { twins(); }
    void nameInput() {
        QFETCH(bool, payables);
        bill(payables, 1, QString::fromUtf8("ÁGUA"), d("05/03/2025"), QVariant(), 5);
        bill(payables, 2, "LUZ", d("05/03/2025"), QVariant(), 7);
        LedgerWindow* w = open(payables);
        click(w, "SpeedButton8");
        const QString filter = w->ledger()->filter();
        // Cancel changes nothing; the box offered the current record's reference.
        dialogs_->answer(QVariant());
        click(w, "SpeedButton3");
        QCOMPARE(dialogs_->calls.last().caption, QString("Filtrar"));
        QCOMPARE(w->ledger()->filter(), filter);
        QCOMPARE(w->inputText, QString::fromUtf8("ÁGUA"));
        // Only a to z become capitals: água finds nothing.
        dialogs_->answer(QString::fromUtf8("água"));
        click(w, "SpeedButton3");
        QCOMPARE(w->ledger()->recordCount(), 0);
        QCOMPARE(w->control<QLabel>("Panel9")->text(), QString("Total: 0,00"));
        QCOMPARE(w->inputText, QString::fromUtf8("água"));
    }

    // What the labels show is what the listing prints: amounts adding to 2.853,335 are 2.853,34 on both, and
    // the reminder of amounts adding to 77,875 shows 77,88.
    void totalOnScreenIsTotalOnPaper_data() { twins(); }
    void totalOnScreenIsTotalOnPaper() {
        QFETCH(bool, payables);
        bill(payables, 1, "AGUA", d("10/03/2025"), QVariant(), 70.5);
        bill(payables, 2, "AGUA", d("10/03/2025"), QVariant(), 7.375);
        bill(payables, 3, "AGUA", d("11/03/2025"), QVariant(), 1922.35);
        bill(payables, 4, "AGUA", d("12/03/2025"), QVariant(), 853.11);
        bill(payables, 5, "LUZ", d("12/03/2025"), QVariant(), 0.001);
        LedgerWindow* w = open(payables);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->control<QLabel>("Ltotal_aviso")->text(), QString("Total: 77,88"));
        w->control<QTabWidget>("PageControl1")->setCurrentIndex(LedgerWindow::Pesquisa);
        dialogs_->answer(QString("AGUA"));
        QTest::mouseClick(w->findChild<QPushButton*>("SpeedButton3"), Qt::LeftButton);
        QCOMPARE(w->control<QLabel>("Panel9")->text(), QString("Total: 2.853,34"));
        QCOMPARE(w->control<QLabel>(payables ? "Label23" : "Label18")->text(), QString("Total: 2.853,34"));
        QTest::mouseClick(w->findChild<QPushButton*>("SpeedButton9"), Qt::LeftButton);
        QCOMPARE(dialogs_->previews.size(), 1);
        QCOMPARE(dialogs_->previews.first().texts().last(), QString("2.853,34"));
    }

    void refusedFilter_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QString>("name");  // typed into a name filter; empty: a partly typed date instead
        QTest::addColumn<QString>("button");
        for (bool payables : {true, false}) {
            const char* twin = payables ? "pagar" : "receber";
            QTest::addRow("%s: partly typed date", twin) << payables << QString() << QString();
            QTest::addRow("%s: quote in the name", twin) << payables << "D'AGUA"
                                                         << "SpeedButton3";
            // A name that closes its constant would otherwise filter with an "or" of its own.
            QTest::addRow("%s: name ending the constant", twin)
                << payables << "X' or Nome > '" << (payables ? "SpeedButton11" : "Credor");
            QTest::addRow("%s: doubled quote", twin) << payables << "L''UZ"
                                                     << "SpeedButton4";
        }
    }
    void refusedFilter() {
        QFETCH(QString, name);
        QFETCH(QString, button);
        QFETCH(bool, payables);
        bill(payables, 1, "LUZ", d("05/03/2025"), QVariant(), 5);
        bill(payables, 2, "GAS", d("05/03/2025"), d("06/03/2025"), 7);
        LedgerWindow* w = open(payables);
        click(w, "SpeedButton1");  // paid: one bill, 7
        QCOMPARE(w->control<QLabel>("Panel9")->text(), QString("Total: 7,00"));
        if (!name.isEmpty()) {
            dialogs_->answer(name);
            click(w, button);
            QVERIFY(
                dialogs_->calls.last().text.startsWith(QString::fromUtf8("Expressão de filtro inválida")));
        } else {
            w->control<MaskEdit>("MaskEdit1")->setMaskedText("01/03/2025");
            w->control<MaskEdit>("MaskEdit2")->setMaskedText("3");
            click(w, "SpeedButton2");
        }
        QCOMPARE(dialogs_->calls.last().kind, QString("error"));
        QVERIFY(!w->ledger()->filtered());
        QCOMPARE(w->ledger()->recordCount(), 2);
        QCOMPARE(w->control<QLabel>("Panel9")->text(), QString("Total: 7,00"));
    }

    void monthAndRange() {
        fixture_.reset();
        fixture_ = std::make_unique<WindowFixture>(QDateTime(QDate(2024, 2, 12), QTime(9, 0)));
        dialogs_ = &fixture_->dialogs;
        bill(true, 1, "LUZ", d("29/02/2024"), QVariant(), 5);
        bill(true, 2, "LUZ", d("01/02/2024"), d("01/02/2024"), 7);
        bill(true, 3, "LUZ", d("01/03/2024"), QVariant(), 11);
        LedgerWindow* w = open(true);
        click(w, "RadioButton5");
        QCOMPARE(w->control<MaskEdit>("MaskEdit3")->maskedText(), QString("01/02/2024"));
        QCOMPARE(w->control<MaskEdit>("MaskEdit5")->maskedText(), QString("29/02/2024"));
        QCOMPARE(shown(), QStringList{"000001"});
        QCOMPARE(w->control<QLabel>("Label10")->isHidden(), false);
        // Enter in the record tab's "A:" applies the range alone and keeps the previous total.
        QTest::keyClick(w->control("MaskEdit5"), Qt::Key_Return);
        QCOMPARE(shown(), (QStringList{"000001", "000002"}));
        QCOMPARE(w->control<QLabel>("Label23")->text(), QString("Total: 5,00"));
        QVERIFY(w->control<QLabel>("Label10")->isHidden());
        QVERIFY(!w->control<QLabel>("L_filtro")->isHidden());
        // Both end dates of a search-tab range are included.
        w->control<MaskEdit>("MaskEdit1")->setMaskedText("01/02/2024");
        w->control<MaskEdit>("MaskEdit2")->setMaskedText("01/03/2024");
        QTest::keyClick(w->control("MaskEdit2"), Qt::Key_Return);
        QCOMPARE(shown(), (QStringList{"000001", "000002", "000003"}));
        QCOMPARE(w->control<QLabel>("Panel9")->text(), QString("Total: 23,00"));
    }

    void settlePayable_data() {
        QTest::addColumn<QDate>("due");
        QTest::addColumn<QDate>("copyDue");
        QTest::newRow("31/01/2025") << QDate(2025, 1, 31) << QDate(2025, 2, 28);
        QTest::newRow("31/01/2024") << QDate(2024, 1, 31) << QDate(2024, 2, 29);
        QTest::newRow("15/12/2025") << QDate(2025, 12, 15) << QDate(2026, 1, 15);
    }
    void settlePayable() {
        QFETCH(QDate, due);
        bill(true, 5, "LUZ", due, QVariant(), 80.25, "CEMIG");
        bill(true, 41, "AGUA", QDate(2030, 1, 1), d("01/02/2025"), 3);
        Tfpagar* w = pagar();
        w->ledger()->locate("Codigo", 5);
        dialogs_->answer(true);  // settle
        dialogs_->answer(true);  // copy
        click(w, "SpeedButton13");
        QCOMPARE(dialogs_->kinds(), (QStringList{"question", "confirmed", "question", "message"}));
        QCOMPARE(dialogs_->calls[0].text, QString("Deseja quitar essa conta? "));
        QCOMPARE(dialogs_->calls[2].text, QString("Deseja Cadastrar Essa Conta para Mês Seguinte?"));
        QFETCH(QDate, copyDue);
        QCOMPARE(dialogs_->lastText(),
                 "Conta cadastrada com sucesso! Vencimento para: " + Values::dateToText(copyDue) + "!");
        Table all(kAliasVantejaVs2, "tbpagar");
        all.open();
        QVERIFY(all.locate("Codigo", 5));
        QCOMPARE(all.fieldByName("DataPagamento").asDate(), QDate(2025, 3, 10));
        QVERIFY(all.locate("Codigo", 42));
        QCOMPARE(all.fieldByName("DataVencimento").asDate(), copyDue);
        QCOMPARE(all.fieldByName("DataEmissao").asDate(), QDate(2025, 3, 10));
        QCOMPARE(all.fieldByName("Fantasia").asString(), QString("LUZ"));
        QCOMPARE(all.fieldByName("Nome").asString(), QString("CEMIG"));
        QCOMPARE(all.fieldByName("Valordocumento").asFloat(), 80.25);
        QVERIFY(all.fieldByName("DataPagamento").isNull());
        // The window ends on "Mês Atual", the copy stored.
        QCOMPARE(w->ledger()->state(), Dataset::State::Browse);
        QCOMPARE(w->control<MaskEdit>("MaskEdit3")->maskedText(), QString("01/03/2025"));
    }

    void settleAnsweringNoThenUnsettle() {
        bill(true, 5, "LUZ", d("31/01/2025"), QVariant(), 80, "CEMIG");
        Tfpagar* w = pagar();
        dialogs_->answer(true);
        dialogs_->answer(false);
        click(w, "SpeedButton13");
        QCOMPARE(stored(true), 1);
        click(w, "RadioButton3");
        QCOMPARE(w->control<QLabel>("PgNpg")->text(), QString("Paga em"));
        QCOMPARE(w->control<QPushButton>("SpeedButton13")->text(), QString("Desfazer Pag."));
        dialogs_->answer(true);
        click(w, "SpeedButton13");
        QCOMPARE(dialogs_->lastText(), QString("Deseja Colocar essa conta como Não Paga? "));
        QVERIFY(w->ledger()->fieldByName("DataPagamento").isNull());
        QCOMPARE(w->control<QLabel>("PgNpg")->text(), QString("Não Paga"));
        QCOMPARE(w->control<QPushButton>("SpeedButton13")->text(), QString("Quitar Agora"));
    }

    void settleChecks() {
        // Payables run "Gravar" with its checks; receivables store without them.
        bill(true, 1, "LUZ", d("10/03/2025"), QVariant(), 0);
        Table blank(kAliasVantejaVs2, "tbpagar");
        blank.open();
        blank.edit();
        blank.fieldByName("Valordocumento").clear();
        blank.post();
        Tfpagar* p = pagar();
        dialogs_->answer(true);
        click(p, "SpeedButton13");
        QCOMPARE(dialogs_->lastText(), QString("Valor da saída em branco. Preencha!"));
        QCOMPARE(p->ledger()->state(), Dataset::State::Edit);
        window_.reset();

        bill(false, 1, QString(), d("10/03/2025"), QVariant(), 0);
        auto* r = static_cast<Tfreceber*>(open(false));
        dialogs_->answer(true);
        click(r, "SpeedButton12");
        QCOMPARE(r->ledger()->state(), Dataset::State::Browse);
        QCOMPARE(r->control<QLabel>("PgNpg")->text(), QString("Paga"));
        dialogs_->answer(true);
        click(r, "SpeedButton12");
        QCOMPARE(dialogs_->lastText(), QString("Deseja desfazer esse pagamento? "));
        QVERIFY(r->ledger()->fieldByName("DataPagamento").isNull());
    }

    void deleteAsks_data() { twins(); }
    void deleteAsks() {
        QFETCH(bool, payables);
        bill(payables, 1, "LUZ", d("10/03/2025"), QVariant(), 3);
        bill(payables, 2, "GAS", d("11/03/2025"), QVariant(), 4);
        LedgerWindow* w = open(payables);
        dialogs_->answer(false);
        click(w, payables ? "Bt_deletar" : "Apagar");
        QCOMPARE(w->ledger()->recordCount(), 2);
        dialogs_->answer(true);
        click(w, payables ? "Bt_deletar" : "Apagar");
        QCOMPARE(dialogs_->calls.last().caption, QString("Confirmação"));
        QCOMPARE(dialogs_->lastText(), QString("Deseja apagar este cadastro? "));
        QCOMPARE(shown(), QStringList{"000002"});
        QCOMPARE(w->control<QLabel>("Ltotal_aviso")->text(), QString("Total: 0,00"));
        QCOMPARE(w->control<QLabel>("Panel9")->text(), QString("Total: 4,00"));
    }

    void listing_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSizeF>("page");
        QTest::newRow("pagar") << true << "SAÍDAS" << QSizeF(210, 297);
        QTest::newRow("receber") << false << "Entradas" << QSizeF(215.9, 279.4);
    }
    void listing() {
        QFETCH(QSizeF, page);
        QFETCH(QString, title);
        QFETCH(bool, payables);
        bill(payables, 7, "LUZ", d("10/03/2025"), QVariant(), 1234.5);
        LedgerWindow* w = open(payables);
        w->control<QTabWidget>("PageControl1")->setCurrentIndex(LedgerWindow::Pesquisa);
        click(w, "SpeedButton1");  // nothing paid: an empty listing
        click(w, "SpeedButton9");
        QCOMPARE(dialogs_->previews.size(), 1);
        Report::Document empty = dialogs_->previews.first();
        QCOMPARE(empty.pages.size(), 1);
        QCOMPARE(empty.pageSize.width(), page.width());
        QStringList texts = empty.texts();
        QCOMPARE(texts.first(), title);
        QVERIFY(texts.contains("TOTAL"));
        QCOMPARE(texts.last(), QString("0,00"));
        QVERIFY(empty.maximised);
        click(w, "SpeedButton2");
        click(w, "SpeedButton9");
        texts = dialogs_->previews.last().texts();
        QVERIFY(texts.contains("10/03/2025"));
        QVERIFY(texts.contains("1.234,50"));
        QCOMPARE(texts.contains("000007"), !payables);
    }

    // "TOTAL" and the largest sum the listing prints stand apart; the sum ends where the value column ends.
    void listingTotalBesideSum_data() { twins(); }
    void listingTotalBesideSum() {
        QFETCH(bool, payables);
        bill(payables, 1, "LUZ", d("10/03/2025"), QVariant(), 999999999.99);
        LedgerWindow* w = open(payables);
        click(w, "SpeedButton9");
        QCOMPARE(dialogs_->previews.size(), 1);
        const Report::Item *total = nullptr, *sum = nullptr, *column = nullptr;
        for (const Report::Item& item : dialogs_->previews.first().pages.last().items) {
            if (item.text == "TOTAL") total = &item;
            if (item.text == "999.999.999,99") sum = &item;
            if (item.text == "Valor") column = &item;  // the value column's heading
        }
        QVERIFY(total && sum && column);
        QCOMPARE(total->alignment & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QCOMPARE(sum->alignment & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        const double sumStart = sum->rect.right() - Report::textWidth(sum->text, sum->font);
        QVERIFY2(
            total->rect.right() < sumStart,
            qPrintable(
                QString("TOTAL ends at %1, the sum starts at %2").arg(total->rect.right()).arg(sumStart)));
        QCOMPARE(sum->rect.right(), column->rect.right());
    }

    void reminderGridRefusesBadCell() {
        bill(true, 1, "LUZ", d("10/03/2025"), QVariant(), 3);
        LedgerWindow* w = open(true);
        TableModel* model = w->control<DBGrid>("DBGrid3")->tableModel();
        QVERIFY(!model->setData(model->index(0, 2), "31/02/2025"));
        QCOMPARE(dialogs_->calls.last().kind, QString("error"));
        QVERIFY(!model->setData(model->index(0, 3), "abc"));
        QVERIFY(model->setData(model->index(0, 3), "4,5"));
        w->reminder()->checkBrowseMode();
        Table all(kAliasVantejaVs2, "tbpagar");
        all.open();
        QCOMPARE(all.fieldByName("Valordocumento").asFloat(), 4.5);
        QCOMPARE(all.fieldByName("DataVencimento").asDate(), QDate(2025, 3, 10));
    }

    void keys() {
        bill(true, 1, "LUZ", d("10/03/2025"), QVariant(), 3);
        bill(true, 2, "GAS", d("11/03/2025"), QVariant(), 4);
        LedgerWindow* w = open(true);
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
        auto focused = [] {
            QWidget* widget = QApplication::focusWidget();
            if (auto* combo = qobject_cast<QComboBox*>(widget->parentWidget())) return combo->objectName();
            return widget->objectName();
        };
        w->control("EditData_Emissao")->setFocus();
        QStringList order;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            order << focused();
        }
        QCOMPARE(order, (QStringList{"EditCod_Cliente", "SaidaNome", "EditData_Vencimento", "DBEdit3",
                                     "Combo_Credor"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(focused(), QString("DBEdit3"));
        QVERIFY(w->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
        QCOMPARE(focused(), QString("Edit1"));
        // F1 in the code box looks a code up; Ctrl+Delete in a grid deletes after the toolkit's question.
        dialogs_->answer(QVariant());
        QTest::keyClick(w->control("EditCod_Cliente"), Qt::Key_F1);
        QCOMPARE(dialogs_->calls.last().caption, QString("Localizar Documento"));
        dialogs_->answer(true);
        QTest::keyClick(w->control<DBGrid>("DBGrid1"), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(dialogs_->calls.last().kind, QString("confirmDelete"));
        QCOMPARE(stored(true), 1);
        // PgDn, then Insert numbers among what the ledger shows.
        click(w, "RadioButton3");
        QTest::keyClick(w->control<DBGrid>("DBGrid1"), Qt::Key_Insert);
        QCOMPARE(w->ledger()->state(), Dataset::State::Insert);
        QCOMPARE(w->ledger()->fieldByName("Codigo").asInteger(), 3);
    }

    // The lists behind the name boxes: loaded on activation (payables also on every change of the editing
    // state), switched on by one file, a failing file reported; receivables names from the clients register.
    void nameLists_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QString>("missing");  // list file absent ("" none)
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("references");
        const QStringList listed{"LUZ", "", "AGUA"}, referenced{"CEMIG"};
        QTest::newRow("pagar") << true << "" << listed << referenced;
        QTest::newRow("pagar, switched off")
            << true << NameLists::kListaSaida << QStringList{""} << QStringList();
        QTest::newRow("pagar, reference list missing")
            << true << NameLists::kListaCredor << listed << QStringList();
        QTest::newRow("receber") << false << "" << listed << referenced;
        QTest::newRow("receber, switched off")
            << false << NameLists::kReceberCredor << QStringList() << QStringList();
        QTest::newRow("receber, name list missing")
            << false << NameLists::kListaReceber << QStringList() << referenced;
    }
    void nameLists() {
        QFETCH(QString, missing);
        QFETCH(QStringList, names);
        QFETCH(QStringList, references);
        QFETCH(bool, payables);
        using namespace NameLists;
        const QString nameFile = payables ? kListaSaida : kListaReceber;
        const QString referenceFile = payables ? kListaCredor : kRefEntrada;
        writeList(nameFile, "luz\n\nagua");
        writeList(referenceFile, "cemig\r\n");
        if (!payables) writeList(kReceberCredor, "");
        if (!missing.isEmpty()) QFile::remove(pathOf(missing));
        addRow("c_cliente", {{"Codigo", 2}, {"Nome", "MARIA"}});
        addRow("c_cliente", {{"Codigo", 1}});
        bill(payables, 1, "LUZ", d("10/03/2025"), QVariant(), 3, "TEXTO");
        LedgerWindow* w = open(payables);
        w->FormActivate();
        auto* name = w->control<QComboBox>(payables ? "SaidaNome" : "DBComNome");
        auto* reference = w->control<QComboBox>(payables ? "Combo_Credor" : "DBReferencia");
        QCOMPARE(entries(name), names);
        QCOMPARE(entries(reference), references);
        QCOMPARE(name->currentText(), QString("TEXTO"));
        const bool switchedOn = missing != kListaSaida && missing != kReceberCredor;
        for (const char* save : payables ? QList<const char*>{"bt_salvar", "BsalvarCredor"}
                                         : QList<const char*>{"BsalvarCredor"}) {
            QCOMPARE(w->control(save)->isHidden(), !switchedOn);
            QVERIFY(!w->control(save)->isEnabled());
        }
        const int errors = dialogs_->kinds().count("error");
        QCOMPARE(errors > 0, switchedOn && !missing.isEmpty());
        if (errors) QVERIFY(dialogs_->lastText().contains(missing));
        // Shown and activated once: one load; coming back from a box of its own loads nothing again.
        dialogs_->calls.clear();
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QDialog own(w);
        own.show();
        QVERIFY(QTest::qWaitForWindowActive(&own));
        own.close();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(dialogs_->kinds().count("error"), errors > 0 ? 1 : 0);

        // A changed file: payables reloads when editing begins, receivables at its next activation.
        if (switchedOn) writeList(nameFile, "gas\n");
        dialogs_->calls.clear();
        click(w, "btnnovo");
        const QStringList reloaded = switchedOn ? QStringList{"GAS"} : names;
        QCOMPARE(entries(name), payables ? reloaded : names);
        QCOMPARE(dialogs_->kinds().count("error") > 0, payables && errors > 0);
        w->FormActivate();
        QCOMPARE(entries(name), reloaded);
        if (payables) return;
        // Dropping the names down offers the clients register instead, keeping the typed name.
        name->lineEdit()->setText("JOSE");
        name->showPopup();
        name->hidePopup();
        QCOMPARE(entries(name), (QStringList{"MARIA", ""}));
        QCOMPARE(name->currentText(), QString("JOSE"));
    }

    // Whichever list files are missing, each window opens whole once its errors are shown (error boxes that
    // wait, as the real ones do), and stores a record.
    void missingListFiles_data() {
        QTest::addColumn<int>("missing");  // bit i: the i-th file of kListFiles absent
        for (int missing = 0; missing < 32; ++missing)
            QTest::addRow("%02x", missing) << missing;
    }
    void missingListFiles() {
        QFETCH(int, missing);
        using namespace NameLists;
        const QStringList files{kListaSaida, kListaCredor, kReceberCredor, kRefEntrada, kListaReceber};
        QStringList absent;
        for (int i = 0; i < files.size(); ++i) {
            if (missing & (1 << i))
                absent << files[i];
            else
                writeList(files[i], "luz\r\n");
        }
        ModalErrors modal;
        const QSize screen = QApplication::primaryScreen()->availableGeometry().size();
        for (bool payables : {true, false}) {
            modal.calls.clear();
            std::unique_ptr<LedgerWindow> w;
            if (payables)
                w = std::make_unique<Tfpagar>();
            else
                w = std::make_unique<Tfreceber>();
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            QTRY_COMPARE(w->size(), QSize(1080, 720).boundedTo(screen));
            QVERIFY(w->control<QTabWidget>("PageControl1")->isVisible() &&
                    w->control<QPushButton>("btngravar")->isVisible());
            click(w.get(), "btnnovo");
            w->control<DBEdit>(valueBox(payables))->typeText("12,5");
            w->ledger()->fieldByName("Fantasia").setAsString("LUZ");
            click(w.get(), "btngravar");
            QCOMPARE(stored(payables), 1);
            QVERIFY(modal.kinds().contains("confirmed"));
            const bool failing = payables
                                     ? !absent.contains(kListaSaida) && absent.contains(kListaCredor)
                                     : !absent.contains(kReceberCredor) &&
                                           (absent.contains(kRefEntrada) || absent.contains(kListaReceber));
            QCOMPARE(modal.kinds().contains("error"), failing);
            QVERIFY(!modal.duringShow);
            for (const ScriptedDialogs::Call& call : modal.calls)
                if (call.kind == "error")
                    QVERIFY2(std::any_of(absent.begin(), absent.end(),
                                         [&](const QString& f) { return call.text.contains(f); }),
                             qPrintable(call.text));
        }
        Dialogs::install(dialogs_);
    }

    // "Salvar" beside "Referência": the selected entry is refused, a typed name asked about, the file
    // written whatever the answer, with CR LF and capitals, and read back.
    void saveButtons_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QString>("typed");  // "" picks the first entry
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QByteArray>("file");
        for (bool payables : {true, false}) {
            const char* twin = payables ? "pagar" : "receber";
            QTest::addRow("%s: typed, Sim", twin)
                << payables << "aluguel sala" << true << QByteArray("CEMIG\r\n\r\nLUZ\r\nALUGUEL SALA\r\n");
            QTest::addRow("%s: typed, Não", twin)
                << payables << "aluguel sala" << false << QByteArray("CEMIG\r\n\r\nLUZ\r\n");
            QTest::addRow("%s: typed, already listed", twin)
                << payables << "cemig" << true << QByteArray("CEMIG\r\n\r\nLUZ\r\nCEMIG\r\n");
            QTest::addRow("%s: picked", twin) << payables << "" << true << QByteArray("cemig\n\nluz");
        }
    }
    void saveButtons() {
        QFETCH(QString, typed);
        QFETCH(bool, yes);
        QFETCH(QByteArray, file);
        QFETCH(bool, payables);
        using namespace NameLists;
        const QString referenceFile = payables ? kListaCredor : kRefEntrada;
        writeList(payables ? kListaSaida : kListaReceber, "");
        writeList(referenceFile, "cemig\n\nluz");
        if (!payables) writeList(kReceberCredor, "");
        bill(payables, 1, "GAS", d("10/03/2025"), QVariant(), 3);
        LedgerWindow* w = open(payables);
        w->FormActivate();
        auto* box = w->control<QComboBox>(payables ? "Combo_Credor" : "DBReferencia");
        QWidget* save = w->control("BsalvarCredor");
        if (typed.isEmpty()) {
            // Picking starts editing, which reloads the payables lists: the pick must survive it.
            box->setCurrentIndex(0);
            emit box->activated(0);
        } else {
            box->lineEdit()->selectAll();
            QTest::keyClicks(box->lineEdit(), typed);
        }
        QVERIFY(save->isEnabled());
        QCOMPARE(w->ledger()->state(), Dataset::State::Edit);
        dialogs_->calls.clear();
        dialogs_->answer(yes);
        static_cast<QPushButton*>(save)->click();
        QVERIFY(!save->isEnabled());
        QCOMPARE(readList(referenceFile), file);
        const QString shown = box->currentText();
        QCOMPARE(shown, typed.isEmpty() ? QString("CEMIG") : typed.toUpper());
        if (typed.isEmpty()) {
            QCOMPARE(dialogs_->kinds(), QStringList{"information"});
            QCOMPARE(dialogs_->lastText(), payables ? QString("Credor já está incluso na lista!")
                                                    : QString("Esse credor já está incluso na lista!"));
            return;
        }
        QCOMPARE(dialogs_->calls.last().caption, QString("Registro"));
        QCOMPARE(entries(box), asShown(parse(file)));
        emit w->ledger()->updateRecord();  // the typing reaches the record as the box left it
        QCOMPARE(w->ledger()->fieldByName("Fantasia").asString(), shown);
    }

    // The installment panel opened from the receivables tool bar, run through the window.
    void installments_data() {
        QTest::addColumn<bool>("downPayment");
        QTest::addColumn<int>("records");
        QTest::newRow("Não, 3") << false << 3;
        QTest::newRow("Sim, 3") << true << 4;
    }
    void installments() {
        QFETCH(bool, downPayment);
        QFETCH(int, records);
        bill(false, 5, "LUZ", d("10/03/2025"), d("01/03/2025"), 3);
        auto* w = static_cast<Tfreceber*>(open(false));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(panelOf(w)->isHidden());
        click(w, "SpeedButton10");
        QVERIFY(panelOf(w)->isVisible());
        QVERIFY(w->control<QTabWidget>("PageControl1")
                    ->widget(LedgerWindow::Cadastro)
                    ->rect()
                    .contains(panelOf(w)->geometry()));
        QTest::keyClicks(panelOf(w)->Edit3, "77");
        panelOf(w)->ComClientes->setEditText("MARIA");
        panelOf(w)->ParcelaRef->setText("CAMA");
        panelOf(w)->DBNumeroParcela->setText("3");
        panelOf(w)->ValorParcela->setText("150,00");
        (downPayment ? panelOf(w)->sim : panelOf(w)->nao)->click();
        panelOf(w)->SpeedButton11->click();
        QCOMPARE(dialogs_->lastText(), QString("Parcelas Geradas Com Sucesso!"));
        QVERIFY(panelOf(w)->isHidden());
        QCOMPARE(w->ledger()->state(), Dataset::State::Browse);
        QVERIFY(w->control<QRadioButton>("RadioButton1")->isChecked());
        QCOMPARE(stored(false), 1 + records);
        QCOMPARE(w->ledger()->recordCount(), records);  // the unpaid ones
        QCOMPARE(w->control<QLabel>("Ltotal_aviso")->text(),
                 QString("Total: %1").arg(downPayment ? "150,00" : "0,00"));
    }

    // A plan whose last installment would fall after 31/12/9999 is refused, saying so; one ending on that day
    // is written.
    void installmentsUpToYear9999_data() {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("count");
        QTest::addColumn<bool>("downPayment");
        QTest::addColumn<int>("records");  // 0: refused
        QTest::newRow("15/06/9990, 360") << "15/06/9990"
                                         << "360" << false << 0;
        QTest::newRow("31/12/9999, 2 and a down payment") << "31/12/9999"
                                                          << "2" << true << 0;
        QTest::newRow("31/01/9999, 11: the last on 31/12/9999") << "31/01/9999"
                                                                << "11" << false << 11;
    }
    void installmentsUpToYear9999() {
        QFETCH(QString, base);
        QFETCH(QString, count);
        QFETCH(bool, downPayment);
        QFETCH(int, records);
        auto* w = static_cast<Tfreceber*>(open(false));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        click(w, "SpeedButton10");
        panelOf(w)->MaskEdit7->setMaskedText(base);
        QTest::keyClicks(panelOf(w)->Edit3, "77");
        panelOf(w)->ComClientes->setEditText("MARIA");
        panelOf(w)->ParcelaRef->setText("CAMA");
        panelOf(w)->DBNumeroParcela->setText(count);
        panelOf(w)->ValorParcela->setText("150,00");
        (downPayment ? panelOf(w)->sim : panelOf(w)->nao)->click();
        panelOf(w)->SpeedButton11->click();
        QCOMPARE(stored(false), records);
        if (records) {
            QCOMPARE(dialogs_->lastText(), QString("Parcelas Geradas Com Sucesso!"));
            return;
        }
        QCOMPARE(dialogs_->kinds(), QStringList{"error"});
        QCOMPARE(dialogs_->lastText(), QString::fromUtf8("A última parcela cairia depois de 31/12/9999."));
        QVERIFY(panelOf(w)->isVisible());
    }

    // "Gerar Carnê" prints one coupon per record the ledger shows; none shown, one blank coupon.
    void booklet_data() {
        QTest::addColumn<QString>("button");  // search-tab filter
        QTest::addColumn<int>("coupons");
        QTest::addColumn<int>("pages");
        QTest::newRow("Todas: 5") << "SpeedButton8" << 5 << 2;
        QTest::newRow("Pagas: none") << "SpeedButton1" << 1 << 1;
    }
    void booklet() {
        QFETCH(QString, button);
        QFETCH(int, coupons);
        QFETCH(int, pages);
        for (int code = 1; code <= 5; ++code)
            bill(false, code, "CAMA", d("10/04/2025").addMonths(code), QVariant(), 150);
        auto* w = static_cast<Tfreceber*>(open(false));
        click(w, "localizar");
        click(w, button);
        click(w, "SpeedButton7");
        QCOMPARE(dialogs_->previews.size(), 1);
        const Report::Document& document = dialogs_->previews.first();
        QCOMPARE(document.pages.size(), pages);
        QCOMPARE(document.texts().count("Carnê Pagamento"), coupons);
        QCOMPARE(document.texts().count("150,00"), coupons > 1 ? 2 * coupons : 0);  // stub and main part
    }

    void tabsAndCalendar() {
        bill(true, 1, "LUZ", d("10/03/2025"), d("01/03/2025"), 3);
        Tfpagar* w = pagar();
        click(w, "calendario");
        QVERIFY(!w->findChild<QWidget*>("Panel11")->isHidden());
        QCOMPARE(w->control<QPushButton>("calendario")->toolTip(), QString("Desativar Calendário"));
        click(w, "Label17");
        QVERIFY(w->findChild<QWidget*>("Panel11")->isHidden());
        QCOMPARE(w->control<QPushButton>("calendario")->toolTip(), QString("Desativar Calendário"));
        showTab(w, LedgerWindow::Pesquisa);
        QVERIFY(!w->keyPreview);
        QCOMPARE(w->ledger()->recordCount(), 0);  // "Não Pago"
        click(w, "SpeedButton7");
        QCOMPARE(w->ledger()->recordCount(), 1);  // "Todos"
        click(w, "SpeedButton5");
        QCOMPARE(w->control<QGroupBox>("GroupBox2")->height(), 257);
        click(w, "Label7");
        QCOMPARE(w->control<QGroupBox>("GroupBox2")->height(), 256);
    }
};

QTEST_MAIN(LedgersTest)
#include "tst_ledgers.moc"
