// The widget kit: masks read as the program reads them, case conversion, the Enter/Esc rule, data-bound
// controls and grids, formats under any locale, the replaceable clock.

#include <QApplication>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include "Clock.h"
#include "DBGrid.h"
#include "DataControls.h"
#include "EditorKit.h"
#include "Formats.h"
#include "KeyNavigation.h"
#include "MaskEdit.h"
#include "ScriptedDialogs.h"
#include "TempData.h"

namespace {

// Types any text, accented letters included, as key presses carrying that text.
void typeText(QWidget* widget, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

}  // namespace

class WidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { data_ = std::make_unique<TempData>(); }
    void cleanup() {
        data_.reset();
        QLocale::setDefault(QLocale::system());
        Clock::set(QDateTime());
    }

    // A control bound to a field its table lacks, or a box asked for by a field the window never bound, is a
    // mistake that says so at once, naming the field; never a null that a caller would use.
    void bindingToAMissingFieldFails() {
        Table table(kAliasVantejaVs2, "c_cliente");
        table.open();
        QWidget window;
        EXPECT_DATA_ERROR(DBEdit(&window).setDataSource(&table, "Nomee"), "Nomee");
        EXPECT_DATA_ERROR(DBComboBox(&window).setDataSource(&table, "Cidadee"), "Cidadee");
        BoxSet boxes(&table, "cliente_");
        boxes.add(&window, "Nome");
        QCOMPARE(boxes.box("nome")->objectName(), QString("cliente_Nome"));
        EXPECT_DATA_ERROR(boxes.box("Bairro"), "Bairro");
    }

    void masksConvertToQt_data() {
        QTest::addColumn<QString>("delphi");
        QTest::addColumn<QString>("qt");
        QTest::newRow("date") << "!99/99/0000;1;_"
                              << "00/00/9999;_";
        QTest::newRow("plain date") << "99/99/9999"
                                    << "00/00/0000;_";
        QTest::newRow("postal code") << "00000\\-999;1;_"
                                     << "99999\\-000;_";
        QTest::newRow("phone") << "!\\(99\\)0000-0000;1;_"
                               << "\\(00\\)9999-9999;_";
        QTest::newRow("letters and case") << ">LL<l"
                                          << ">AA<a;_";
        QTest::newRow("literal letter") << "D-00"
                                        << "\\D-99;_";
    }
    void masksConvertToQt() {
        QFETCH(QString, delphi);
        QFETCH(QString, qt);
        QCOMPARE(MaskEdit::qtInputMask(delphi), qt);
    }

    void maskedTextReadsAsTheProgramExpects() {
        MaskEdit date;
        date.setEditMask("!99/99/0000;1;_");
        QCOMPARE(date.maskedText(), QString("  /  /    "));
        QVERIFY(date.isMaskBlank());
        QTest::keyClicks(&date, "10032025");
        QCOMPARE(date.maskedText(), QString("10/03/2025"));
        QVERIFY(!date.isMaskBlank());
        date.clear();
        QTest::keyClicks(&date, "123");
        QCOMPARE(date.maskedText(), QString("12/3 /    "));  // partly typed counts as filled
        QVERIFY(!date.isMaskBlank());
        date.setMaskedText("  /  /    ");
        QCOMPARE(date.maskedText(), QString("  /  /    "));
        date.setMaskedText("05/11/2024");
        QCOMPARE(date.maskedText(), QString("05/11/2024"));

        MaskEdit postal;
        postal.setEditMask("00000\\-999;1;_");
        QTest::keyClicks(&postal, "30130010");
        QCOMPARE(postal.maskedText(), QString("30130-010"));

        MaskEdit phone;
        phone.setEditMask("!\\(99\\)0000-0000;1;_");
        QTest::keyClicks(&phone, "3132224444");
        QCOMPARE(phone.maskedText(), QString("(31)3222-4444"));
    }

    void caseAsTyped() {
        MaskEdit upper;
        upper.setCharCase(MaskEdit::CharCase::Upper);
        upper.setMaxLength(15);
        typeText(&upper, QString::fromUtf8("joão da silva ltda"));
        QCOMPARE(upper.text(), QString::fromUtf8("JOÃO DA SILVA L"));
        MaskEdit lower;
        lower.setCharCase(MaskEdit::CharCase::Lower);
        QTest::keyClicks(&lower, "WeJ");
        QCOMPARE(lower.text(), QString("wej"));
    }

    void enterNextEscPrevious() {
        QWidget window;
        auto* first = new QLineEdit(&window);
        auto* second = new MaskEdit(&window);
        auto* third = new QComboBox(&window);
        third->setEditable(true);
        auto* memo = new QPlainTextEdit(&window);
        QWidget::setTabOrder(first, second);
        QWidget::setTabOrder(second, third);
        QWidget::setTabOrder(third, memo);
        KeyNavigation::install(&window);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        first->setFocus();
        QTest::keyClick(first, Qt::Key_Return);
        QTRY_VERIFY(second->hasFocus());
        QTest::keyClick(second, Qt::Key_Enter);
        QTRY_VERIFY(third->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(second->hasFocus());
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_Return);  // a memo keeps Enter for its line breaks
        QVERIFY(memo->hasFocus());
        QCOMPARE(memo->toPlainText(), QString("\n"));
    }

    void formatsAreBrazilianWhateverTheLocale() {
        for (const QLocale& locale :
             {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German)}) {
            QLocale::setDefault(locale);
            QCOMPARE(Formats::money(2500.75), QString("R$ 2.500,75"));
            QCOMPARE(Formats::money(0), QString("R$ 0,00"));
            QCOMPARE(Formats::number(-49.5), QString("-49,50"));
            QCOMPARE(Formats::date(QDate(2025, 3, 9)), QString("09/03/2025"));
            QCOMPARE(Formats::longDate(QDate(2026, 12, 9)),
                     QString::fromUtf8("quarta-feira, 09 de dezembro de 2026"));
            QCOMPARE(Formats::monthName(3), QString::fromUtf8("março"));
            QCOMPARE(Formats::time(QTime(7, 5, 3)), QString("07:05:03"));
        }
    }

    void clockCanBeSetAndAdvanced() {
        Clock::set(QDateTime(QDate(2025, 3, 10), QTime(23, 59, 58)));
        QCOMPARE(Clock::today(), QDate(2025, 3, 10));
        Clock::advance(3);
        QCOMPARE(Clock::today(), QDate(2025, 3, 11));
        Clock::set(QDateTime());
        QCOMPARE(Clock::today(), QDate::currentDate());
    }

    // Typing edits the record; the text reaches the field when the box is left or the record stored.
    void editBoxFollowsAndEditsItsField() {
        addRow("c_cliente", {{"Nome", "ANA"}, {"Codigo", 1}});
        addRow("c_cliente", {{"Nome", "BRUNO"}, {"Codigo", 2}});
        Table table(kAliasVantejaVs2, "c_cliente");
        table.open();
        QWidget window;
        auto* name = new DBEdit(&window);
        name->setCharCase(MaskEdit::CharCase::Upper);
        name->setDataSource(&table, "Nome");
        auto* other = new QLineEdit(&window);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(name->text(), QString("ANA"));
        table.next();
        QCOMPARE(name->text(), QString("BRUNO"));

        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, "bia");
        QCOMPARE(table.state(), Dataset::State::Edit);
        QCOMPARE(table.fieldByName("Nome").asString(), QString("BRUNO"));  // not yet handed over
        other->setFocus();
        QCOMPARE(table.fieldByName("Nome").asString(), QString("BIA"));

        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, "carla");
        table.post();  // the record takes the text being typed
        QCOMPARE(table.state(), Dataset::State::Browse);
        QVERIFY(table.locate("Nome", "CARLA"));

        // A move abandons nothing typed: it is stored first.
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, "DORA");
        table.first();
        QVERIFY(table.locate("Nome", "DORA"));
    }

    void badTextIsRefusedWhereTyped() {
        ScriptedDialogs dialogs;
        Table table(kAliasVantejaVs2, "tbpagar");
        table.open();
        QWidget window;
        auto* amount = new DBEdit(&window);
        amount->setDataSource(&table, "Valordocumento");
        auto* due = new DBEdit(&window);
        due->setDataSource(&table, "DataVencimento");
        due->setEditMask("!99/99/0000;1;_");
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        amount->setFocus();
        QTest::keyClicks(amount, "12x");
        QCOMPARE(amount->text(), QString("12"));  // a number's box takes no letter
        amount->selectAll();
        QTest::keyClicks(amount, "1.2");
        EXPECT_DATA_ERROR(table.post(), "'1.2' não é um valor numérico válido");
        QCOMPARE(table.state(), Dataset::State::Insert);  // editing with what was typed
        QCOMPARE(amount->text(), QString("1.2"));
        amount->selectAll();
        QTest::keyClicks(amount, "1.234,5");
        due->setFocus();
        QTest::keyClicks(due, "310220");
        due->clearFocus();
        QCOMPARE(dialogs.kinds(), QStringList{"error"});
        QVERIFY(dialogs.lastText().contains(QString::fromUtf8("não é uma data válida")));
        due->setFocus();
        due->selectAll();
        QTest::keyClicks(due, "28022025");
        table.post();
        QCOMPARE(table.recordCount(), 1);
        QCOMPARE(table.fieldByName("Valordocumento").asFloat(), 1234.5);
        QCOMPARE(table.fieldByName("DataVencimento").asDate(), QDate(2025, 2, 28));
        QCOMPARE(amount->text(), QString("1234,50"));  // shown with its display format when not focused
    }

    void checkBoxAndLabel() {
        addRow("USUARIOS", {{"LOGIN", "A"}, {"STATUS", "S"}});
        addRow("USUARIOS", {{"LOGIN", "B"}, {"STATUS", "N"}});
        addRow("USUARIOS", {{"LOGIN", "C"}});
        Table users(kAliasVantejaVs2, "USUARIOS");
        users.open();
        DBCheckBox blocked("Bloqueado");
        blocked.setValues("N", "S");
        blocked.setDataSource(&users, "STATUS");
        DBText login;
        login.setDataSource(&users, "LOGIN");
        QCOMPARE(login.text(), QString("WEJ"));
        QCOMPARE(blocked.checkState(), Qt::Unchecked);
        users.next();
        users.next();
        QCOMPARE(blocked.checkState(), Qt::Checked);
        users.next();
        QCOMPARE(login.text(), QString("C"));
        QCOMPARE(blocked.checkState(), Qt::PartiallyChecked);
        blocked.click();
        QCOMPARE(users.state(), Dataset::State::Edit);
        QCOMPARE(users.fieldByName("STATUS").asString(), QString("N"));
        users.post();
        QCOMPARE(blocked.checkState(), Qt::Checked);
    }

    void comboAndMemoEditTheirFields() {
        addRow("tbfornecedor", {{"Nome", "ACME"}, {"CndPagamento", "Boleto"}});
        addRow("tbreceber", {{"Fantasia", "VENDA"}, {"Observacoes", "linha 1"}});
        Table suppliers(kAliasVantejaVs2, "tbfornecedor");
        suppliers.open();
        Table receivables(kAliasVantejaVs2, "tbreceber");
        receivables.open();
        QWidget window;
        auto* payment = new DBComboBox(&window);
        payment->addItems({"Boleto", "Dinheiro", "Cheque"});
        payment->setDataSource(&suppliers, "CndPagamento");
        auto* contact = new DBComboBox(&window);
        contact->setCharCase(MaskEdit::CharCase::Upper);
        contact->setDataSource(&suppliers, "Contato");
        auto* remark = new DBMemo(&window);
        remark->setDataSource(&receivables, "Observacoes");
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(payment->currentText(), QString("Boleto"));
        QCOMPARE(remark->toPlainText(), QString("linha 1"));

        payment->setFocus();
        payment->lineEdit()->selectAll();
        QTest::keyClicks(payment->lineEdit(), "Cheque");
        QCOMPARE(suppliers.state(), Dataset::State::Edit);
        contact->setFocus();
        QTest::keyClicks(contact->lineEdit(), "maria");
        QCOMPARE(contact->currentText(), QString("MARIA"));
        suppliers.post();
        QCOMPARE(suppliers.fieldByName("CndPagamento").asString(), QString("Cheque"));
        QCOMPARE(suppliers.fieldByName("Contato").asString(), QString("MARIA"));

        remark->setFocus();
        remark->moveCursor(QTextCursor::End);
        QTest::keyClicks(remark, " e mais");
        QCOMPARE(receivables.state(), Dataset::State::Edit);
        receivables.post();
        QCOMPARE(receivables.fieldByName("Observacoes").asString(), QString("linha 1 e mais"));
        receivables.edit();
        receivables.fieldByName("Observacoes").setAsString("trocado pelo programa");
        QCOMPARE(remark->toPlainText(), QString("trocado pelo programa"));  // a change by code is shown
        receivables.cancel();
        QCOMPARE(remark->toPlainText(), QString("linha 1 e mais"));
    }

    void navigatorEnablesAndAsksBeforeDeleting() {
        ScriptedDialogs dialogs;
        addRow("c_cliente", {{"Nome", "ANA"}});
        addRow("c_cliente", {{"Nome", "BRUNO"}});
        Table table(kAliasVantejaVs2, "c_cliente");
        table.open();
        DBNavigator navigator;
        navigator.setDataSource(&table);
        QVERIFY(!navigator.button(DBNavigator::First)->isEnabled());
        QVERIFY(navigator.button(DBNavigator::Next)->isEnabled());
        QVERIFY(!navigator.button(DBNavigator::Post)->isEnabled());
        navigator.click(DBNavigator::Last);
        QVERIFY(!navigator.button(DBNavigator::Next)->isEnabled());
        QVERIFY(navigator.button(DBNavigator::Prior)->isEnabled());
        navigator.click(DBNavigator::Edit);
        QVERIFY(navigator.button(DBNavigator::Post)->isEnabled());
        QVERIFY(!navigator.button(DBNavigator::Next)->isEnabled());
        navigator.click(DBNavigator::Cancel);

        dialogs.answer(false);
        navigator.click(DBNavigator::Delete);
        QCOMPARE(table.recordCount(), 2);
        dialogs.answer(true);
        navigator.click(DBNavigator::Delete);
        QCOMPARE(table.recordCount(), 1);
        QCOMPARE(dialogs.kinds(), QStringList({"confirmDelete", "confirmDelete"}));
    }

    // A grid shows only the rows it draws, follows the view and moves it, and stores a cell when its row is
    // left.
    void gridOverALargeViewEditsInPlace() {
        {
            Table fill(kAliasVantejaVs2, "tbpagar");
            fill.open();
            for (int i = 0; i < 300; ++i) {
                fill.append();
                fill.fieldByName("Fantasia")
                    .setAsString(QStringLiteral("CONTA %1").arg(i, 3, 10, QLatin1Char('0')));
                fill.fieldByName("Valordocumento").setAsFloat(i);
                fill.fieldByName("DataVencimento").setAsDate(QDate(2025, 1, 1).addDays(i));
                fill.post();
            }
        }
        Table table(kAliasVantejaVs2, "tbpagar");
        table.setIndexName("Bydataven");
        table.open();
        DBGrid grid;
        grid.setTable(&table);
        grid.setColumns({{"DataVencimento", "Vencimento", 80},
                         {"Fantasia", "Referência", 150},
                         {"Valordocumento", "Valor Documento", 100}});
        grid.resize(500, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        TableModel* model = grid.tableModel();
        QCOMPARE(model->rowCount(), 300);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("Referência"));
        QCOMPARE(model->data(model->index(2, 0)).toString(), QString("03/01/2025"));
        QCOMPARE(model->data(model->index(2, 2)).toString(), QString("2,00"));
        table.last();
        QCOMPARE(grid.currentIndex().row(), 299);
        grid.setCurrentIndex(model->index(10, 1));
        QCOMPARE(table.recNo(), 11);

        QVERIFY(model->setData(model->index(10, 2), "99,5"));
        QCOMPARE(table.state(), Dataset::State::Edit);
        QCOMPARE(model->data(model->index(10, 2)).toString(), QString("99,50"));
        grid.setCurrentIndex(model->index(11, 1));  // leaving the row stores it
        QCOMPARE(table.state(), Dataset::State::Browse);
        QCOMPARE(table.rowValues(10).value(table.fieldIndex("Valordocumento")).toDouble(), 99.5);

        table.setFilter("Valordocumento < '5'");
        table.setFiltered(true);
        QCOMPARE(model->rowCount(), 5);
    }

private:
    std::unique_ptr<TempData> data_;
};

QTEST_MAIN(WidgetsTest)
#include "tst_widgets.moc"
