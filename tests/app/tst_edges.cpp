// Edge cases of the windows: an emptied register and its buttons, cancelling a new issuer, long texts.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "Clock.h"
#include "DataControls.h"
#include "ScriptedDialogs.h"
#include "TempData.h"
#include "U_Cadastro.h"
#include "Unit1.h"
#include "WindowFixture.h"

namespace {

void type(QWidget* box, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

int storedRows(const QString& table) {
    Table view(kAliasVantejaVs2, table);
    view.open();
    return view.recordCount();
}

}  // namespace

class WindowsEdgeTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture_ = std::make_unique<WindowFixture>(); }
    void cleanup() { fixture_.reset(); }

    void gravarAfterDeletingTheLastClientStoresNothing() {
        ScriptedDialogs& dialogs = fixture_->dialogs;
        addRow("c_cliente", {{"Codigo", 1}, {"Nome", "ANA"}});
        TCadastro window(nullptr, TCadastro::PaginaCliente);
        show(&window);
        dialogs.answer(true);
        QTest::mouseClick(window.SpeedButton3, Qt::LeftButton);
        QCOMPARE(window.Tcliente->recordCount(), 0);
        QTest::mouseClick(window.SpeedButton4, Qt::LeftButton);
        // "Gravar" with no client on screen stores no blank client.
        QCOMPARE(storedRows("c_cliente"), 0);
    }

    void cancelarDropsTheNewIssuer() {
        addRow("Tb_Emitente", {{"Codigo", 1}, {"Nome", "FIRMA"}});
        TCadastro window(nullptr, TCadastro::PaginaEmitente);
        show(&window);
        QTest::mouseClick(window.NovoEmitente, Qt::LeftButton);
        QCOMPARE(window.T_Emitente->state(), Dataset::State::Insert);
        QTest::mouseClick(window.CancelarEmitente, Qt::LeftButton);
        // "Cancelar" on the issuers' tab abandons the new issuer, as it does on the clients' tab.
        QCOMPARE(window.T_Emitente->state(), Dataset::State::Browse);
        window.Edit2->setText("F");
        QCOMPARE(storedRows("Tb_Emitente"), 1);
    }

    void longTextIsNotCutUnseen() {
        addRow("c_cliente", {{"Codigo", 1}, {"Nome", "ANA"}});
        TCadastro window(nullptr, TCadastro::PaginaCliente);
        show(&window);
        DBEdit* phone = window.box("Telefone");
        phone->setFocus();
        const QString typed = "(031) 3333-4444 ramal 12";
        type(phone, typed);
        const QString shown = phone->text();
        QTest::mouseClick(window.SpeedButton4, Qt::LeftButton);
        Table stored(kAliasVantejaVs2, "c_cliente");
        stored.open();
        // The box takes no more than its field holds, so what it showed is what is stored.
        QCOMPARE(stored.fieldByName("Telefone").asString(), shown);
    }

    // A number its field refuses, then "Gravar": one error box, the record kept as typed, the focus in the
    // box.
    void refusedNumberIsOneError_data() {
        QTest::addColumn<bool>("receipt");
        QTest::newRow("recibo") << true;
        QTest::newRow("cliente") << false;
    }
    void refusedNumberIsOneError() {
        QFETCH(bool, receipt);
        ScriptedDialogs& dialogs = fixture_->dialogs;
        std::unique_ptr<QDialog> window;
        DBEdit* box = nullptr;
        QPushButton* gravar = nullptr;
        if (receipt) {
            auto* form = new TForm1;
            window.reset(form);
            show(form);
            QTest::mouseClick(form->Btnovo, Qt::LeftButton);
            QTest::keyClicks(form->reciboBox("Referente"), "ALUGUEL");
            box = form->reciboBox("Codigo2");
            gravar = form->gravar;
        } else {
            auto* cadastro = new TCadastro(nullptr, TCadastro::PaginaCliente);
            window.reset(cadastro);
            show(cadastro);
            QTest::mouseClick(cadastro->SpeedButton1, Qt::LeftButton);
            QTest::keyClicks(cadastro->box("Nome"), "ANA");
            box = cadastro->box("Codigo");
            gravar = cadastro->SpeedButton4;
        }
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString(400, QLatin1Char('9')));
        QTest::mouseClick(gravar, Qt::LeftButton);
        QCOMPARE(dialogs.kinds(), QStringList{"error"});
        QVERIFY(box->hasFocus());
        QCOMPARE(storedRows(receipt ? "cadastro" : "c_cliente"), 0);
    }

private:
    static void show(QWidget* window) {
        window->show();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    std::unique_ptr<WindowFixture> fixture_;
};

QTEST_MAIN(WindowsEdgeTest)
#include "tst_edges.moc"
