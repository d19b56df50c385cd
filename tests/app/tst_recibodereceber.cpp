// A receipt from a settled receivable, through the real windows: "Quitar Agora" in "Entradas do Caixa",
// the question, then the receipt editor on a new receipt that the test checks and stores.

#include <QTimer>
#include <QtTest>

#include "DataControls.h"
#include "Table.h"
#include "UReceber.h"
#include "Unit1.h"
#include "Unpagar.h"
#include "WindowFixture.h"
#include "WindowHooks.h"
#include "WindowOpeners.h"

namespace {

int rows(const QString& table) {
    Table all(kAliasVantejaVs2, table);
    all.open();
    return all.recordCount();
}

}  // namespace

class ReciboDeRecebimentoTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>();
        installWindowOpeners();
        addRow("Tb_Emitente", {{"Codigo", 1},
                               {"Nome", "OFICINA ABC"},
                               {"CPF", "11.222.333/0001-44"},
                               {"RG", "MG-1"},
                               {"Endereco", "RUA A, 10, CENTRO, BELO HORIZONTE - MG"}});
        addRow("Tb_Emitente", {{"Codigo", 2}, {"Nome", "LOJA XYZ"}, {"Endereco", "AV B, 5, CURITIBA"}});
    }
    void cleanup() {
        WindowHooks::setReceiptEditor({});
        fixture_.reset();
    }

    void receiptOfTheSettledBill_data() {
        QTest::addColumn<bool>("registered");     // the bill's client is in the clients register
        QTest::addColumn<QVariant>("parcela");    // of the settled bill; its plan runs up to 10
        QTest::addColumn<QString>("lastIssuer");  // of a receipt issued before, "" for none
        QTest::addColumn<QString>("referente");
        QTest::addColumn<QString>("cidade");
        QTest::addColumn<QString>("uf");
        QTest::newRow("installment, registered client") << true << QVariant(3) << ""
                                                        << "Parcela 3/10 – VENDA 123"
                                                        << "BELO HORIZONTE"
                                                        << "MG";
        QTest::newRow("down payment, unknown client, issuer of the last receipt")
            << false << QVariant(0) << "LOJA XYZ"
            << "Entrada – VENDA 123"
            << "CURITIBA"
            << "";
        QTest::newRow("bill without installment") << true << QVariant() << "OFICINA ABC"
                                                  << "VENDA 123"
                                                  << "BELO HORIZONTE"
                                                  << "MG";
    }
    void receiptOfTheSettledBill() {
        QFETCH(bool, registered);
        QFETCH(QVariant, parcela);
        QFETCH(QString, lastIssuer);
        if (registered)
            addRow("c_cliente", {{"Codigo", 7},
                                 {"Nome", "JOSE DA SILVA"},
                                 {"Endereço", "RUA C, 3"},
                                 {"Cpfpagador", "123.456.789-00"},
                                 {"Cidade", "CONTAGEM"}});
        if (!lastIssuer.isEmpty()) addRow("cadastro", {{"Codigo", 41}, {"Emitente", lastIssuer}});
        for (int k = 0; k <= 10; ++k)
            if (k != parcela.toInt() || parcela.isNull())
                addRow("tbreceber", {{"Codigo", 123},
                                     {"Fantasia", "VENDA"},
                                     {"Nome", "JOSE DA SILVA"},
                                     {"DocParcela", k},
                                     {"Valordocumento", 100}});
        addRow("tbreceber", {{"Codigo", 123},
                             {"Fantasia", "VENDA"},
                             {"Nome", "JOSE DA SILVA"},
                             {"DocParcela", parcela},
                             {"Valordocumento", 1555.23}});
        const int before = rows("cadastro");

        Tfreceber window;
        QVERIFY(window.ledger()->locate("Valordocumento", 1555.23));
        ScriptedDialogs& dialogs = fixture_->dialogs;
        dialogs.answer(true);  // settle
        dialogs.answer(true);  // the receipt
        QMap<QString, QString> shown;
        bool storable = false;
        QTimer editorOpen;
        editorOpen.setInterval(10);
        connect(&editorOpen, &QTimer::timeout, this, [&] {
            TForm1* editor = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* f = qobject_cast<TForm1*>(w); f && f->isVisible()) editor = f;
            if (!editor) return;
            editorOpen.stop();
            for (const char* field : {"Codigo", "Codigo2", "Valor2", "Importancia", "Referente", "Cidade",
                                      "UF", "Dia mes", "Cpfpagador"})
                shown[field] = editor->reciboBox(QString::fromUtf8(field))->text();
            shown["Reci"] = editor->DBEdit1->currentText();
            shown["Emitente"] = editor->DBCombo_emitente->currentText();
            storable = editor->gravar->isEnabled();
            QTest::mouseClick(editor->gravar, Qt::LeftButton);
            editor->reject();
        });
        editorOpen.start();
        window.SpeedButton12Click();
        QVERIFY(!editorOpen.isActive());

        QCOMPARE(dialogs.kinds(), QStringList({"question", "question"}));
        QCOMPARE(dialogs.calls[1].text, QString("Emitir recibo deste recebimento?"));
        QVERIFY(dialogs.calls[1].noByDefault);
        QVERIFY(storable);
        QCOMPARE(shown["Codigo"], lastIssuer.isEmpty() ? QString("000001") : QString("000042"));
        QCOMPARE(shown["Reci"], registered ? QString("JOSE DA SILVA") : QString());
        QCOMPARE(shown["Codigo2"], registered ? QString("7") : QString());
        QCOMPARE(shown["Cpfpagador"], registered ? QString("123.456.789-00") : QString());
        QCOMPARE(shown["Valor2"], QString("1.555,23"));
        QCOMPARE(shown["Importancia"],
                 QString("Um Mil, e Quinhentos e Cinqüenta e Cinco Reais, e Vinte e Três Centavos."));
        QCOMPARE(shown["Dia mes"], QString("10 de março de 2025"));
        QTEST(shown["Referente"], "referente");
        QTEST(shown["Cidade"], "cidade");
        QTEST(shown["UF"], "uf");
        QCOMPARE(shown["Emitente"], lastIssuer.isEmpty() ? QString("OFICINA ABC") : lastIssuer);

        // Stored as shown; un-settling leaves the receipt.
        QCOMPARE(rows("cadastro"), before + 1);
        Table receipts(kAliasVantejaVs2, "cadastro");
        receipts.setIndexName("byCodigo");
        receipts.open();
        receipts.last();
        QCOMPARE(receipts.fieldByName("Referente").asString(), shown["Referente"]);
        QCOMPARE(receipts.fieldByName("Valor2").asString(), QString("1.555,23"));
        dialogs.answer(true);
        window.SpeedButton12Click();
        QVERIFY(window.ledger()->fieldByName("DataPagamento").isNull());
        QCOMPARE(rows("cadastro"), before + 1);
    }

    // "Não" opens nothing; settling a payable never asks.
    void noReceipt_data() {
        QTest::addColumn<bool>("payables");
        QTest::newRow("receivable, Não") << false;
        QTest::newRow("payable") << true;
    }
    void noReceipt() {
        QFETCH(bool, payables);
        addRow(payables ? "tbpagar" : "tbreceber", {{"Codigo", 1},
                                                    {"Fantasia", "LUZ"},
                                                    {"Nome", "CEMIG"},
                                                    {"DataVencimento", QDate(2025, 3, 10)},
                                                    {"Valordocumento", 10}});
        ScriptedDialogs& dialogs = fixture_->dialogs;
        dialogs.answer(true);   // settle
        dialogs.answer(false);  // the receipt; the payable's next-month copy
        if (payables)
            Tfpagar().SpeedButton13Click();
        else
            Tfreceber().SpeedButton12Click();
        QCOMPARE(rows("cadastro"), 0);
        const QString asked = dialogs.calls.last().text;
        QCOMPARE(asked == "Emitir recibo deste recebimento?", !payables);
        QVERIFY(dialogs.answers.isEmpty());
    }

private:
    std::unique_ptr<WindowFixture> fixture_;
};

QTEST_MAIN(ReciboDeRecebimentoTest)
#include "tst_recibodereceber.moc"
