// "Chave PIX": the key checked for its kind as it is typed, the refusals in Portuguese, what is stored and
// shown again, removing the key, and closing with changes not stored.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "MaskEdit.h"
#include "Pix.h"
#include "U_ChavePix.h"
#include "WindowFixture.h"

class ChavePixTest : public QObject {
    Q_OBJECT

private:
    static void type(TFChavePix& window, int kind, const QString& key, const QString& name,
                     const QString& city) {
        window.ComboTipo->setCurrentIndex(kind);
        window.EditChave->clear();
        QTest::keyClicks(window.EditChave, key);
        QTest::keyClicks(window.EditNome, name);
        QTest::keyClicks(window.EditCidade, city);
    }

private slots:
    void store_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("city");
        QTest::addColumn<QString>("hint");     // under the key as typed
        QTest::addColumn<QString>("refusal");  // fragment of the error box; empty when stored
        QTest::addColumn<QString>("stored");   // the key in the file
        QTest::newRow("cpf") << 0 << "529.982.247-25"
                             << "maria souza"
                             << "contagem"
                             << "Chave válida."
                             << ""
                             << "52998224725";
        QTest::newRow("cpf wrong") << 0 << "529.982.247-24"
                                   << "maria"
                                   << "contagem"
                                   << "dígitos verificadores"
                                   << "dígitos verificadores"
                                   << "";
        QTest::newRow("email") << 2 << "Vendas@Loja.com.br"
                               << "loja"
                               << "recife"
                               << "Chave válida."
                               << ""
                               << "vendas@loja.com.br";
        QTest::newRow("telephone without +55") << 3 << "(81) 3222-1234"
                                               << "loja"
                                               << "recife"
                                               << "+55"
                                               << "começar por +55"
                                               << "";
        QTest::newRow("random") << 4 << "123e4567-e89b-12d3-a456-426614174000"
                                << "loja"
                                << "recife"
                                << "Chave válida."
                                << ""
                                << "123e4567-e89b-12d3-a456-426614174000";
        QTest::newRow("no name") << 0 << "52998224725"
                                 << ""
                                 << "recife"
                                 << "Chave válida."
                                 << "nome do beneficiário"
                                 << "";
        QTest::newRow("no city") << 0 << "52998224725"
                                 << "loja"
                                 << ""
                                 << "Chave válida."
                                 << "cidade"
                                 << "";
    }
    void store() {
        QFETCH(int, kind);
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(QString, city);
        QFETCH(QString, hint);
        QFETCH(QString, refusal);
        QFETCH(QString, stored);
        WindowFixture fixture;
        TFChavePix window;
        QCOMPARE(window.windowTitle(), "Chave PIX");
        QVERIFY(!window.btnremover->isEnabled());
        type(window, kind, key, name, city);
        QVERIFY2(window.LabelAviso->text().contains(hint), qPrintable(window.LabelAviso->text()));
        window.btngravarClick();
        QCOMPARE(fixture.dialogs.calls.size(), 1);
        if (!refusal.isEmpty()) {
            QCOMPARE(fixture.dialogs.calls[0].kind, "error");
            QVERIFY2(fixture.dialogs.lastText().contains(refusal), qPrintable(fixture.dialogs.lastText()));
            QVERIFY(!QFile::exists(Pix::settingsFile()));
            return;
        }
        QCOMPARE(fixture.dialogs.calls[0].kind, "information");
        const std::optional<Pix::Receiver> read = Pix::configured();
        QVERIFY(read);
        QCOMPARE(int(read->kind), kind);
        QCOMPARE(read->key, stored);
        QCOMPARE(read->name, name.toUpper());
        QCOMPARE(read->city, city.toUpper());
        QVERIFY(window.btnremover->isEnabled());
    }

    // Opened again: what was stored, the CPF punctuated; removed on a "Sim", gone from the file and the
    // boxes.
    void showAndRemove() {
        WindowFixture fixture;
        Pix::Receiver receiver;
        receiver.kind = Pix::KeyKind::Cpf;
        receiver.key = "52998224725";
        receiver.name = "MARIA";
        receiver.city = "RECIFE";
        Pix::save(receiver);
        TFChavePix window;
        QCOMPARE(window.ComboTipo->currentText(), "CPF");
        QCOMPARE(window.EditChave->text(), "529.982.247-25");
        QCOMPARE(window.EditNome->text(), "MARIA");
        QCOMPARE(window.EditCidade->text(), "RECIFE");
        fixture.dialogs.answer(true);
        window.btnremoverClick();
        QCOMPARE(fixture.dialogs.kinds(), QStringList({"question", "information"}));
        QVERIFY(!QFile::exists(Pix::settingsFile()));
        QVERIFY(window.EditChave->text().isEmpty());
        QVERIFY(!window.btnremover->isEnabled());
        window.close();  // nothing left to ask about
        QCOMPARE(fixture.dialogs.calls.size(), 2);
    }

    // Closing with changes asks; "Sim" stores them (a refused store keeps the window open), "Não" drops them.
    void closeWithChanges_data() {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("stored");
        QTest::newRow("stored") << true << "52998224725" << true << true;
        QTest::newRow("refused") << true << "5299822472" << false << false;
        QTest::newRow("dropped") << false << "52998224725" << true << false;
    }
    void closeWithChanges() {
        QFETCH(bool, answer);
        QFETCH(QString, key);
        QFETCH(bool, closed);
        QFETCH(bool, stored);
        WindowFixture fixture;
        TFChavePix window;
        window.show();
        type(window, 0, key, "LOJA", "RECIFE");
        fixture.dialogs.answer(answer);
        window.btnfechar->click();
        QCOMPARE(fixture.dialogs.calls[0].caption, "Confirmação");
        QCOMPARE(window.isVisible(), !closed);
        QCOMPARE(Pix::configured().has_value(), stored);
    }
};

QTEST_MAIN(ChavePixTest)
#include "tst_chavepix.moc"
