// The receipt and note editor through its controls, on a fixed day: numbering, the value rule and its
// failures, the look-ups, saving and cancelling, and the texts each print composes.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include "Clock.h"
#include "DBGrid.h"
#include "DataControls.h"
#include "ScriptedDialogs.h"
#include "TempData.h"
#include "Unit1.h"
#include "WindowFixture.h"

namespace {

const QString kOutOfRange = QString::fromUtf8(
    "O valor está fora do intervalo permitido.O número deve ser maior ou igual a zero e menor que "
    "999.999,99. Se não "
    "for corrigido o número não será escrito por extenso.");

void type(QWidget* box, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void retype(DBEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    type(box, text);
}

// Opens the list of a combo box as a user does and clicks the item of that text.
void pick(QComboBox* combo, const QString& text) {
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    const int row = combo->findText(text);
    QVERIFY2(row >= 0, qPrintable(text));
    QTRY_VERIFY(list->isVisible());
    const QModelIndex item = list->model()->index(row, 0);
    list->scrollTo(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
    QTRY_VERIFY(!list->isVisible());
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>(QDateTime(QDate(2025, 3, 10), QTime(10, 0)));
        dialogs_ = &fixture_->dialogs;
    }
    void cleanup() {
        form_.reset();
        fixture_.reset();
    }

    void opensOnItsTabWithTheLastRecords() {
        addRow("cadastro", {{"Codigo", 1}, {"Reci", "A"}});
        addRow("cadastro", {{"Codigo", 2}, {"Reci", "B"}});
        open(TForm1::PaginaPromissoria);
        QCOMPARE(form_->windowTitle(), QString("RECIBO"));
        QCOMPARE(form_->PageControl1->currentIndex(), 1);
        QCOMPARE(form_->PageControl1->tabText(1), QString::fromUtf8("Emitir Nota Promissória "));
        QCOMPARE(form_->Trecibo->fieldByName("Reci").asString(), QString("B"));
        QVERIFY(!form_->gravar->isEnabled() && !form_->btncancelar->isEnabled());
        QVERIFY(!form_->RadioButton1->isChecked() && !form_->RadioButton2->isChecked());
        QVERIFY(form_->PainelVias->isHidden());
        QVERIFY(form_->RadioButton5->isChecked());
        QVERIFY(!form_->DBCombo_emitente->isHidden());
        QVERIFY(form_->EmitenteDigitado->isHidden());
        QCOMPARE(form_->reciboBox("Valor2")->toolTip(),
                 QString("Ex: Para 1.555,23 Coloque 1555,23 sem o ponto!!!!"));
    }

    void receiptNumbering() {
        open();
        QTest::mouseClick(form_->Btnovo, Qt::LeftButton);
        QCOMPARE(form_->reciboBox("Codigo")->text(), QString("000001"));
        QVERIFY(!form_->gravar->isEnabled());  // the number alone enables nothing
        retype(form_->reciboBox("Referente"), "ALUGUEL");
        QTest::mouseClick(form_->gravar, Qt::LeftButton);
        QCOMPARE(form_->Trecibo->recordCount(), 1);
        form_.reset();
        for (int code : {41, 3})
            addRow("cadastro", {{"Codigo", code}});
        open();
        QCOMPARE(form_->Trecibo->fieldByName("Codigo").asInteger(), 3);  // the last one stored is current
        QTest::mouseClick(form_->Btnovo, Qt::LeftButton);
        QCOMPARE(form_->Trecibo->fieldByName("Codigo").asInteger(), 42);
    }

    // The value rule, the text it writes back read again, and its failures.
    void valueRule() {
        open();
        QTest::mouseClick(form_->Btnovo, Qt::LeftButton);
        retype(form_->reciboBox("Valor2"), "1555,23");
        QVERIFY(form_->LabeledEdit1Exit());
        const QString words =
            QString::fromUtf8("Um Mil, e Quinhentos e Cinqüenta e Cinco Reais, e Vinte e Três Centavos.");
        QCOMPARE(form_->reciboBox("Importancia")->text(), words);
        QCOMPARE(form_->reciboBox("Valor2")->text(), QString("1.555,23"));
        QCOMPARE(form_->reciboBox("Dia mes")->text(), QString::fromUtf8("10 de março de 2025"));
        QVERIFY(form_->focusWidget() == form_->reciboBox("Referente"));
        // Leaving again without retyping: the program's own text is the same number.
        QVERIFY(form_->LabeledEdit1Exit());
        QCOMPARE(form_->reciboBox("Importancia")->text(), words);
        QVERIFY(dialogs_->calls.isEmpty());

        retype(form_->reciboBox("Valor2"), "15,5,5");
        QVERIFY(!form_->LabeledEdit1Exit());
        QCOMPARE(dialogs_->kinds(), QStringList{"error"});
        QCOMPARE(dialogs_->lastText(), QString::fromUtf8("'15,5,5' não é um valor numérico válido"));
        QCOMPARE(form_->reciboBox("Importancia")->text(), words);

        retype(form_->reciboBox("Valor2"), "1000000");
        QVERIFY(form_->LabeledEdit1Exit());
        QCOMPARE(dialogs_->calls.last().kind, QString("message"));
        QCOMPARE(dialogs_->lastText(), kOutOfRange);
        QCOMPARE(form_->reciboBox("Importancia")->text(), QString());
        QCOMPARE(form_->reciboBox("Valor2")->text(), QString("1.000.000,00"));

        form_->reciboBox("Valor2")->selectAll();
        QTest::keyClick(form_->reciboBox("Valor2"), Qt::Key_Delete);
        QVERIFY(!form_->LabeledEdit1Exit());
        QCOMPARE(dialogs_->calls.last().kind, QString("errorNo"));  // one button, "Não"
        QCOMPARE(dialogs_->lastText(), QString::fromUtf8("Valor Não pode ser nulo!"));
        QVERIFY(form_->focusWidget() == form_->reciboBox("Valor2"));

        QTest::mouseClick(form_->gravar, Qt::LeftButton);
        Table stored(kAliasVantejaVs2, "cadastro");
        stored.open();
        QCOMPARE(stored.fieldByName("Dia mes").asString(), QString::fromUtf8("10 de março de 2025"));
    }

    // Leaving some boxes moves the focus to a set box, whatever the tab order says.
    void forcedFocusMoves() {
        addRow("cadastro", {{"Codigo", 1}});
        open();
        const QList<std::pair<const char*, const char*>> moves = {
            {"Referente", "Cidade"}, {"Cpf", "Rgemitente"}, {"Rgemitente", "Obs_recibo"}};
        for (const auto& [from, to] : moves) {
            form_->reciboBox(from)->setFocus();
            QTest::keyClick(form_->reciboBox(from), Qt::Key_Tab);
            QTRY_VERIFY2(form_->reciboBox(to)->hasFocus(), from);
        }
        form_->DBEdit1->setFocus();
        QTest::keyClick(form_->DBEdit1, Qt::Key_Tab);
        QTRY_VERIFY(form_->reciboBox("Valor2")->hasFocus());
    }

    void clientByCodeCopiesThreeFieldsByNameSix() {
        addRow("c_cliente", {{"Codigo", 5},
                             {"Nome", "JOSE"},
                             {"Endereço", "RUA A"},
                             {"Cpfpagador", "111"},
                             {"Cidade", "RECIFE"},
                             {"UF", "PE"}});
        addRow("cadastro", {{"Codigo", 1}});
        open();
        retype(form_->reciboBox("Codigo2"), "5");
        QTest::keyClick(form_->reciboBox("Codigo2"), Qt::Key_Return);
        QCOMPARE(form_->Trecibo->fieldByName("Reci").asString(), QString("JOSE"));
        QCOMPARE(form_->Trecibo->fieldByName("End").asString(), QString("RUA A"));
        QCOMPARE(form_->Trecibo->fieldByName("Cpfpagador").asString(), QString("111"));
        QVERIFY(form_->Trecibo->fieldByName("Cidade").isNull());
        QTest::mouseClick(form_->btncancelar, Qt::LeftButton);

        pick(form_->DBEdit1, "JOSE");
        QCOMPARE(form_->DBEdit1->count(), 1);
        QCOMPARE(form_->Trecibo->fieldByName("Codigo2").asInteger(), 5);
        QCOMPARE(form_->Trecibo->fieldByName("Cidade").asString(), QString("RECIFE"));
        QCOMPARE(form_->Trecibo->fieldByName("UF").asString(), QString("PE"));
        QCOMPARE(form_->Trecibo->fieldByName("Reci").asString(), QString("JOSE"));
        QVERIFY(dialogs_->calls.isEmpty());
    }

    void unknownClientCodeAsks() {
        addRow("cadastro", {{"Codigo", 1}});
        open();
        dialogs_->answer(false);
        retype(form_->reciboBox("Codigo2"), "99");
        QTest::keyClick(form_->reciboBox("Codigo2"), Qt::Key_Return);
        QCOMPARE(dialogs_->calls.size(), 1);
        QCOMPARE(dialogs_->calls[0].kind, QString("question"));
        QCOMPARE(dialogs_->calls[0].caption, QString("Erro"));
        QCOMPARE(dialogs_->lastText(),
                 QString::fromUtf8("Este código de cliente não foi cadastrado, cadastrar agora?"));
        QVERIFY(form_->Trecibo->fieldByName("Reci").isNull());
    }

    void issuerPickedFromTheList() {
        addRow("Tb_Emitente",
               {{"Codigo", 2}, {"Nome", "ZETA LTDA"}, {"CPF", "222"}, {"RG", "R2"}, {"Endereco", "RUA Z"}});
        addRow("Tb_Emitente",
               {{"Codigo", 1}, {"Nome", "ALFA ME"}, {"CPF", "111"}, {"RG", "R1"}, {"Endereco", "RUA A"}});
        addRow("cadastro", {{"Codigo", 1}});
        open();
        pick(form_->DBCombo_emitente, "ZETA LTDA");
        QCOMPARE(form_->DBCombo_emitente->itemText(0), QString("ALFA ME"));  // in code order
        QCOMPARE(form_->Trecibo->fieldByName("Emitente").asString(), QString("ZETA LTDA"));
        QCOMPARE(form_->Trecibo->fieldByName("Cpf").asString(), QString("222"));
        QCOMPARE(form_->Trecibo->fieldByName("Rgemitente").asString(), QString("R2"));
        QCOMPARE(form_->Trecibo->fieldByName("End2").asString(), QString("RUA Z"));
        QTest::mouseClick(form_->RadioButton3, Qt::LeftButton);
        QVERIFY(!form_->EmitenteDigitado->isHidden() && form_->DBCombo_emitente->isHidden());
        QCOMPARE(form_->EmitenteDigitado->text(), QString("ZETA LTDA"));
    }

    void saveAndCancelFollowTheBoxes() {
        addRow("cadastro", {{"Codigo", 1}});
        open();
        retype(form_->reciboBox("Referente"), "ALUGUEL");
        QVERIFY(form_->gravar->isEnabled() && !form_->btncancelar->isEnabled());
        retype(form_->reciboBox("Cidade"), "natal");
        QVERIFY(form_->btncancelar->isEnabled());
        QCOMPARE(form_->reciboBox("Cidade")->text(), QString("NATAL"));
        QTest::mouseClick(form_->gravar, Qt::LeftButton);
        QVERIFY(!form_->gravar->isEnabled() && !form_->btncancelar->isEnabled());
        QCOMPARE(form_->Trecibo->fieldByName("Referente").asString(), QString("ALUGUEL"));
        retype(form_->reciboBox("End"), "RUA B");
        QTest::mouseClick(form_->btncancelar, Qt::LeftButton);
        QVERIFY(form_->gravar->isEnabled() && !form_->btncancelar->isEnabled());
        QVERIFY(form_->Trecibo->fieldByName("End").isNull());
    }

    void deleteAsks() {
        addRow("cadastro", {{"Codigo", 1}});
        open();
        dialogs_->answer(false);
        QTest::mouseClick(form_->BmsXPButton1, Qt::LeftButton);
        QCOMPARE(form_->Trecibo->recordCount(), 1);
        dialogs_->answer(true);
        QTest::mouseClick(form_->BmsXPButton1, Qt::LeftButton);
        QCOMPARE(form_->Trecibo->recordCount(), 0);
        QCOMPARE(dialogs_->calls[0].caption, QString::fromUtf8("Exclusão"));
        QCOMPARE(dialogs_->calls[0].text, QString("DESEJA EXCLUIR ESTE REGISTRO?"));
    }

    void searchByPayerName() {
        for (const char* name : {"MARIA", "JOSE", "ANA"})
            addRow("cadastro", {{"Reci", name}});
        open();
        QTest::keyClicks(form_->Edit1, "J");
        QCOMPARE(form_->Trecibo->fieldByName("Reci").asString(), QString("JOSE"));
    }

    // The personalised receipt of 100,00, not saved: both copies carry the composed texts.
    void personalisedPrint() {
        open();
        QTest::mouseClick(form_->Btnovo, Qt::LeftButton);
        form_->DBEdit1->setFocus();
        type(form_->DBEdit1->lineEdit(), "jose");
        retype(form_->reciboBox("Cpfpagador"), "123");
        retype(form_->reciboBox("Valor2"), "100");
        form_->LabeledEdit1Exit();
        retype(form_->reciboBox("Referente"), "ALUGUEL");
        retype(form_->reciboBox("Cidade"), "RECIFE");
        retype(form_->reciboBox("UF"), "PE");
        QCOMPARE(form_->valueLine(), QString("***100,00***"));
        QCOMPARE(form_->payerSentence(),
                 QString::fromUtf8(
                     "Recebi(emos) de: JOSE - CPF/CNPJ n° 123, A importância supra de: ***Cem Reais.*** - "
                     "Referente a: ALUGUEL."));
        QCOMPARE(form_->placeAndDateLine(), QString::fromUtf8("RECIFE - PE, 10 de março de 2025"));
        QCOMPARE(form_->numberLine(), QString::fromUtf8("Nº 000001"));
        QCOMPARE(form_->importanciaLine(), QString::fromUtf8("A importância supra de: ***Cem Reais.*** "));
        QTest::mouseClick(form_->RadioButton1, Qt::LeftButton);
        QTest::mouseClick(form_->Imprimir, Qt::LeftButton);
        QCOMPARE(dialogs_->previews.size(), 1);
        const QStringList texts = dialogs_->previews[0].texts();
        QCOMPARE(texts.count("***100,00***"), 2);
        QCOMPARE(texts.count(QString::fromUtf8("Nº 000001")), 2);
        QVERIFY(texts.join(' ').contains("***Cem Reais.*** - Referente a:"));
        QCOMPARE(form_->Trecibo->state(), Dataset::State::Insert);  // printed before saving
    }

    void standardPrintInOneOrTwoCopies() {
        addRow("cadastro",
               {{"Codigo", 7}, {"Reci", "ANA"}, {"Valor2", "50,00"}, {"Importancia", "Cinqüenta Reais."}});
        open();
        QTest::mouseClick(form_->Imprimir, Qt::LeftButton);  // no option chosen: as "Padrão"
        QVERIFY(!form_->PainelVias->isHidden());
        QCOMPARE(form_->BtImprimirVias->text(), QString("Imprimir / 1 via"));
        QTest::mouseClick(form_->BtImprimirVias, Qt::LeftButton);
        QVERIFY(form_->PainelVias->isHidden());
        QCOMPARE(dialogs_->previews.size(), 1);
        QCOMPARE(dialogs_->previews[0].texts().count("***50,00***"), 1);
        QTest::mouseClick(form_->Imprimir, Qt::LeftButton);
        form_->RadioButton6->click();
        QCOMPARE(form_->BtImprimirVias->text(), QString("Imprimir / 2 vias"));
        QTest::mouseClick(form_->BtImprimirVias, Qt::LeftButton);
        QCOMPARE(dialogs_->previews.size(), 2);
        const QStringList texts = dialogs_->previews[1].texts();
        QCOMPARE(texts.count("***50,00***"), 2);
        QCOMPARE(texts.count(QString::fromUtf8("Nº 000007")), 2);
        QCOMPARE(dialogs_->previews[1].pages.size(), 1);
    }

    void noteNumberingValueAndPrint() {
        open(TForm1::PaginaPromissoria);
        QTest::mouseClick(form_->Bt_NP_Novo, Qt::LeftButton);
        QCOMPARE(form_->notaBox("Codigo")->text(), QString("000001"));
        QVERIFY(form_->btncancelarNota->isEnabled());
        retype(form_->notaBox("Valor"), "3000");
        QVERIFY(form_->DBEdit11Exit());
        QCOMPARE(form_->notaBox("Ou")->text(), QString::fromUtf8("Três Mil Reais."));
        QCOMPARE(form_->notaBox("Valor")->text(), QString("3.000,00"));
        QCOMPARE(form_->notaBox("Data extenso")->text(), QString::fromUtf8("10 de março de 2025"));
        QVERIFY(form_->DBEdit11Exit());  // its own text again: no error
        QVERIFY(dialogs_->calls.isEmpty());
        for (const auto& [combo, text] : {std::pair{form_->ComboDia, QString("05")},
                                          std::pair{form_->ComboMes, QString::fromUtf8("Março")},
                                          std::pair{form_->ComboAno, QString("2010")}}) {
            combo->setFocus();
            combo->lineEdit()->selectAll();
            type(combo->lineEdit(), text);
        }
        QVERIFY(form_->bGravar->isEnabled());
        const QMap<QString, QString> labels = form_->noteLabels();
        QCOMPARE(labels["QRLabel40"], QString("***3.000,00***"));
        QCOMPARE(
            labels["QRLabel42"],
            QString::fromUtf8(
                "Ou a sua Ordem a quantia de ***** Três Mil Reais. *****  Em moeda corrente deste País "));
        QCOMPARE(labels["QRLabel50"], QString::fromUtf8("Vencimento, 05 de Março de 2010"));
        QCOMPARE(labels["numero_nota"], QString::fromUtf8("Nº 000001"));
        QTest::mouseClick(form_->BmsXPButton7, Qt::LeftButton);
        QCOMPARE(dialogs_->previews.size(), 1);
        QVERIFY(dialogs_->previews[0].texts().contains("***3.000,00***"));
        QTest::mouseClick(form_->bGravar, Qt::LeftButton);
        QCOMPARE(form_->T_NP->fieldByName("Dia").asFloat(), 5.0);
        QCOMPARE(form_->ComboDia->currentText(), QString("5"));  // a number, shown as stored
        QCOMPARE(form_->T_NP->fieldByName("Ano").asInteger(), 2010);
        QCOMPARE(form_->T_NP->fieldByName("Mes").asString(), QString::fromUtf8("Março"));
        form_.reset();
        for (int code = 2; code <= 7; ++code)
            addRow("BD_NP", {{"Codigo", code}});
        open(TForm1::PaginaPromissoria);
        QTest::mouseClick(form_->Bt_NP_Novo, Qt::LeftButton);
        QCOMPARE(form_->T_NP->fieldByName("Codigo").asInteger(), 8);
    }

    void notePicksClientAndPayee() {
        addRow("c_cliente", {{"Codigo", 1},
                             {"Nome", "JOSE"},
                             {"Endereço", "RUA A"},
                             {"Cpfpagador", "111"},
                             {"Rgpagador", "RG1"},
                             {"Cidade", "RECIFE"},
                             {"UF", "PE"}});
        addRow("Tb_Emitente", {{"Codigo", 1}, {"Nome", "FIRMA"}, {"CPF", "999"}, {"Endereco", "NAO COPIA"}});
        addRow("BD_NP", {{"Codigo", 1}});
        open(TForm1::PaginaPromissoria);
        pick(form_->DBEdit18, "JOSE");
        QCOMPARE(form_->T_NP->fieldByName("Emitente").asString(), QString("JOSE"));
        QCOMPARE(form_->T_NP->fieldByName("End_emitente").asString(), QString("RUA A"));
        QCOMPARE(form_->T_NP->fieldByName("Cpf_emitente").asString(), QString("111"));
        QCOMPARE(form_->T_NP->fieldByName("Rg_emitente").asString(), QString("RG1"));
        QCOMPARE(form_->T_NP->fieldByName("Cidade").asString(), QString("RECIFE"));
        QCOMPARE(form_->T_NP->fieldByName("Uf").asString(), QString("PE"));
        pick(form_->DBCombo_Pagarei, "FIRMA");
        QCOMPARE(form_->T_NP->fieldByName("Pagarei").asString(), QString("FIRMA"));
        QCOMPARE(form_->T_NP->fieldByName("Cpf").asString(), QString("999"));
        QCOMPARE(form_->noteLabels()["QRLabel54"], QString("RECIFE - PE"));
        QCOMPARE(form_->noteLabels()["QRLabel39"], QString("FIRMA"));
        dialogs_->answer(false);
        QTest::mouseClick(form_->BmsXPButton3, Qt::LeftButton);
        QCOMPARE(dialogs_->calls[0].text, QString("Deseja realmente apagar essa nota?"));
        QCOMPARE(form_->T_NP->recordCount(), 1);
    }

    void noteSearchBySigner() {
        for (const char* name : {"MARIA", "JOSE", "ANA"})
            addRow("BD_NP", {{"Emitente", name}});
        open(TForm1::PaginaPromissoria);
        QTest::keyClicks(form_->Edit2, "jo");
        QCOMPARE(form_->T_NP->fieldByName("Emitente").asString(), QString("JOSE"));
        form_->Edit2->setText("ZZ");
        QCOMPARE(form_->T_NP->fieldByName("Emitente").asString(), QString("MARIA"));
    }

    void closingLosesPendingChanges() {
        addRow("cadastro", {{"Codigo", 1}});
        open();
        retype(form_->reciboBox("Referente"), "PERDIDO");
        form_->close();
        Table check(kAliasVantejaVs2, "cadastro");
        check.open();
        QVERIFY(check.fieldByName("Referente").isNull());
    }

private:
    // Amounts typed on either tab: the program's own grouping or a plain number, rounded once to the centavo
    // for both the words and the figure.
    void amountsAreReadOnce_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("figure");  // empty: refused
        QTest::addColumn<QString>("words");
        for (int page : {0, 1}) {
            const char* tab = page == 0 ? "receipt" : "note";
            QTest::addRow("%s 1,005", tab) << page << "1,005"
                                           << "1,01" << QString::fromUtf8("Um Real, e Um Centavo.");
            QTest::addRow("%s 0.500", tab) << page << "0.500"
                                           << ""
                                           << "";
            QTest::addRow("%s 2.000", tab) << page << "2.000"
                                           << "2.000,00" << QString::fromUtf8("Dois Mil Reais.");
        }
    }
    void amountsAreReadOnce() {
        QFETCH(int, page);
        QFETCH(QString, typed);
        QFETCH(QString, figure);
        QFETCH(QString, words);
        open(TForm1::Page(page));
        QTest::mouseClick(page == 0 ? form_->Btnovo : form_->Bt_NP_Novo, Qt::LeftButton);
        DBEdit* value = page == 0 ? form_->reciboBox("Valor2") : form_->notaBox("Valor");
        retype(value, typed);
        const bool passed = page == 0 ? form_->LabeledEdit1Exit() : form_->DBEdit11Exit();
        QCOMPARE(passed, !figure.isEmpty());
        if (figure.isEmpty()) {
            QVERIFY(dialogs_->lastText().contains(QString::fromUtf8("não é um valor numérico válido")));
            return;
        }
        QCOMPARE(value->text(), figure);
        QCOMPARE((page == 0 ? form_->reciboBox("Importancia") : form_->notaBox("Ou"))->text(), words);
    }

    // The buttons take no focus: a click never runs the leave rules of the box being typed in, and is never
    // lost; Enter moves on from the issuer options too.
    void clicksAreNeverLost() {
        addRow("cadastro", {{"Codigo", 1}, {"Reci", "A"}});
        open();
        for (QPushButton* button : {form_->Btnovo, form_->gravar, form_->btncancelar, form_->BmsXPButton1})
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        for (int round = 0; round < 3; ++round) {
            form_->DBEdit1->setFocus();
            QTest::keyClicks(form_->DBEdit1, "cliente");
            QTest::mouseClick(form_->Btnovo, Qt::LeftButton);
            QCOMPARE(form_->Trecibo->state(), Dataset::State::Insert);
            QTRY_VERIFY(form_->focusWidget() == form_->reciboBox("Codigo2"));
            QCoreApplication::processEvents();  // every queued forced move delivered: none comes after
            QVERIFY(form_->focusWidget() == form_->reciboBox("Codigo2"));
            QTest::mouseClick(form_->btncancelar, Qt::LeftButton);
            QCOMPARE(form_->Trecibo->state(), Dataset::State::Browse);
        }
        QTest::mouseClick(form_->Btnovo, Qt::LeftButton);
        form_->reciboBox("Valor2")->setFocus();
        QTest::keyClicks(form_->reciboBox("Valor2"), "10");
        QTest::mouseClick(form_->gravar, Qt::LeftButton);
        QCOMPARE(form_->Trecibo->state(), Dataset::State::Browse);
        QCOMPARE(form_->Trecibo->recordCount(), 2);
        QVERIFY2(dialogs_->calls.isEmpty(), qPrintable(dialogs_->lastText()));

        QTest::mouseClick(form_->RadioButton3, Qt::LeftButton);
        form_->RadioButton3->setFocus();
        QTest::keyClick(form_->RadioButton3, Qt::Key_Return);
        QVERIFY(form_->focusWidget() != form_->RadioButton3);
    }

    // A code that is no number is said once, and the focus stays for it to be mended.
    void badClientCodeIsOneError() {
        open();
        QTest::mouseClick(form_->Btnovo, Qt::LeftButton);
        QTest::keyClicks(form_->reciboBox("Codigo2"), "1.2x");
        QCOMPARE(form_->reciboBox("Codigo2")->text(), QString("1.2"));  // no letter in a number's box
        QTest::keyClick(form_->reciboBox("Codigo2"), Qt::Key_Return);
        QCOMPARE(dialogs_->kinds(), QStringList{"error"});
        QVERIFY(form_->focusWidget() == form_->reciboBox("Codigo2"));
    }

    void open(TForm1::Page page = TForm1::PaginaRecibo) {
        form_ = std::make_unique<TForm1>(nullptr, page);
        verifyAllBound(form_.get());
        form_->show();
        QApplication::setActiveWindow(form_.get());
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }

    std::unique_ptr<WindowFixture> fixture_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<TForm1> form_;
};

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
