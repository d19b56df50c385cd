// The suppliers window through its controls: numbering, "Salvar" and the CPF/CNPJ punctuation, search,
// delete, bad numbers, the supplier card, and the check-digit note of every CPF/CNPJ box.

#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>

#include "CpfCnpjHint.h"
#include "DBGrid.h"
#include "DataControls.h"
#include "Painter.h"
#include "U_Cadastro.h"
#include "UnitFornecedor.h"
#include "WindowFixture.h"

namespace {

void addSupplier(const QString& name, const QVariant& code, const QString& cnpj = QString()) {
    addRow("tbfornecedor", {{"Nome", name}, {"Codigo", code}, {"CNPJ_CPF", cnpj}});
}

}  // namespace

class FornecedorTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>();
        dialogs_ = &fixture_->dialogs;
    }
    void cleanup() {
        window_.reset();
        fixture_.reset();
    }

    void windowParts() {
        addSupplier("ACME", 1);
        open();
        verifyAllBound(window_.get());
        QCOMPARE(window_->windowTitle(), QString("Fornecedores"));
        QCOMPARE(window_->PageControl1->count(), 1);
        QCOMPARE(window_->PageControl1->tabText(0), QString("Cadastro de Fornecedores"));
        QCOMPARE(window_->box("Telefone")->editMask(), QString("!\\(99\\)0000-0000;1;_"));
        QCOMPARE(window_->box("Telefone")->maxLength(), 13);
        QCOMPARE(window_->box("CNPJ_CPF")->editMask(), QString());
        QStringList choices;
        for (int i = 0; i < window_->CndPagamento->count(); ++i)
            choices << window_->CndPagamento->itemText(i);
        QCOMPARE(choices, QStringList({"Boleto", "Dinheiro", QString::fromUtf8("Cartão"), "Parcelado",
                                       "Cheque", "Avista", "Todas"}));
        QVERIFY(window_->CndPagamento->isEditable());
        QStringList columns;
        for (const auto& column : window_->DBGrid1->tableModel()->columns())
            columns << column.title;
        QCOMPARE(columns, QStringList({"Nome", "Contato", "EntregaDias", "Telefone"}));
        const QModelIndex days = window_->DBGrid1->tableModel()->index(0, 2);
        QCOMPARE(Qt::Alignment(days.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
        QCOMPARE(window_->SpeedButton1->text(), QString("&Imprimir"));
        QVERIFY(!window_->btnGravar->isEnabled());
    }

    void numbering_data() {
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << QList<int>() << "0001";
        QTest::newRow("with a gap") << QList<int>({1, 2, 9}) << "0010";
    }
    void numbering() {
        QFETCH(QList<int>, codes);
        QFETCH(QString, shown);
        for (int code : codes)
            addSupplier(QStringLiteral("F%1").arg(code), code);
        open();
        QTest::mouseClick(window_->SpeedButton3, Qt::LeftButton);
        QVERIFY(window_->btnGravar->isEnabled());
        QVERIFY(window_->box("Nome")->hasFocus());
        QCOMPARE(window_->box("Codigo")->text(), shown);
        QTest::keyClicks(window_->box("Nome"), "acme ltda");
        QTest::mouseClick(window_->btnGravar, Qt::LeftButton);
        QCOMPARE(dialogs_->lastText(), QString("Cadastro Salvo com Sucesso!"));
        QCOMPARE(window_->TFornecedor->fieldByName("Nome").asString(), QString("ACME LTDA"));
        QCOMPARE(window_->TFornecedor->fieldByName("Codigo").displayText(), shown);
    }

    void savingPunctuatesTheNumber_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("11 digits") << "52998224725"
                                   << "529.982.247-25";
        QTest::newRow("14 digits") << "11222333000181"
                                   << "11.222.333/0001-81";
        QTest::newRow("typed punctuated") << "112.223.330/0018-1"
                                          << "11.222.333/0001-81";
        QTest::newRow("10 digits") << "5299822472"
                                   << "5299822472";
        QTest::newRow("11 with a blank") << "529982 24725"
                                         << "529982 24725";
        QTest::newRow("alphanumeric") << "12abc34501de35"
                                      << "12.ABC.345/01DE-35";
        QTest::newRow("empty") << ""
                               << "";
    }
    void savingPunctuatesTheNumber() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        addSupplier("ACME", 1);
        open();
        QTest::keyClicks(window_->box("Contato"), "ana");
        window_->box("CNPJ_CPF")->setFocus();
        QTest::keyClicks(window_->box("CNPJ_CPF"), typed);
        QTest::mouseClick(window_->btnGravar, Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList({"message"}));
        QCOMPARE(dialogs_->lastText(), QString("Cadastro Salvo com Sucesso!"));
        QVERIFY(!window_->btnGravar->isEnabled());
        QCOMPARE(window_->box("CNPJ_CPF")->text(), stored);
        Table check(kAliasVantejaVs2, "tbfornecedor");
        check.open();
        QCOMPARE(check.fieldByName("CNPJ_CPF").asString(), stored);
    }

    void salvarWithNothingPending() {
        addSupplier("ACME", 1, "123");
        open();
        QTest::mouseClick(window_->btnGravar, Qt::LeftButton);  // disabled: nothing happens
        window_->btnGravarClick();
        QCOMPARE(dialogs_->kinds(), QStringList({"message"}));
        QCOMPARE(dialogs_->lastText(), QString::fromUtf8("Não Teve Alteração Edite!"));
        QCOMPARE(window_->TFornecedor->fieldByName("CNPJ_CPF").asString(), QString("123"));
    }

    // A number the field can't hold is said in Portuguese, stops the store and leaves everything as typed.
    void badNumbers_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::newRow("discount") << "Desconto"
                                  << "1.2.3";
        QTest::newRow("discount sign only") << "Desconto"
                                            << "-";
        QTest::newRow("delivery") << "EntregaDias"
                                  << "5..";
    }
    void badNumbers() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        addSupplier("ACME", 1);
        open();
        window_->box(field)->setFocus();
        QTest::keyClicks(window_->box(field), typed);
        QCOMPARE(window_->box(field)->text(), typed);
        QTest::mouseClick(window_->btnGravar, Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList({"error"}));
        QVERIFY2(dialogs_->lastText().contains(QString::fromUtf8("numérico")),
                 qPrintable(dialogs_->lastText()));
        QCOMPARE(window_->TFornecedor->state(), Dataset::State::Edit);
        QVERIFY(window_->btnGravar->isEnabled());
        QCOMPARE(window_->box(field)->text(), typed);
        Table check(kAliasVantejaVs2, "tbfornecedor");
        check.open();
        QVERIFY(check.fieldByName(field).isNull());
        // Put right, it stores.
        window_->box(field)->clear();
        QTest::keyClicks(window_->box(field), "12,5");
        QTest::mouseClick(window_->btnGravar, Qt::LeftButton);
        QCOMPARE(dialogs_->lastText(), QString("Cadastro Salvo com Sucesso!"));
        QCOMPARE(window_->TFornecedor->fieldByName(field).asFloat(), 12.5);
    }

    void searchOnEveryKeystroke() {
        addSupplier("MARIA", 1);
        addSupplier("JOSE", 2);
        addSupplier("JOANA", 3);
        open();
        QTest::keyClicks(window_->Edit1, "jo");
        QCOMPARE(window_->Edit1->text(), QString("JO"));
        QCOMPARE(window_->TFornecedor->fieldByName("Nome").asString(), QString("JOANA"));
        QCOMPARE(window_->TFornecedor->indexName(), QString("byNome"));
        QTest::keyClicks(window_->Edit1, "s");
        QCOMPARE(window_->TFornecedor->fieldByName("Nome").asString(), QString("JOSE"));
        QCOMPARE(window_->DBGrid1->currentIndex().row(), 1);
        QCOMPARE(window_->TFornecedor->recordCount(), 3);
    }

    // A search changes the order, which stores the supplier being changed first.
    void searchStoresThePendingChange() {
        addSupplier("ACME", 1);
        open();
        QTest::keyClicks(window_->box("Contato"), "rui");
        QVERIFY(window_->btnGravar->isEnabled());
        QTest::keyClicks(window_->Edit1, "A");
        QVERIFY(!window_->btnGravar->isEnabled());
        QCOMPARE(window_->TFornecedor->fieldByName("Contato").asString(), QString("RUI"));
    }

    void deleteAsksFirst() {
        addSupplier("ACME", 1);
        addSupplier("BETA", 2);
        open();
        dialogs_->answer(false);
        QTest::mouseClick(window_->SpeedButton4, Qt::LeftButton);
        QCOMPARE(window_->TFornecedor->recordCount(), 2);
        dialogs_->answer(true);
        QTest::mouseClick(window_->SpeedButton4, Qt::LeftButton);
        QCOMPARE(window_->TFornecedor->recordCount(), 1);
        QCOMPARE(dialogs_->calls[0].caption, QString::fromUtf8("Exclusão"));
        QCOMPARE(dialogs_->calls[0].text, QString("DESEJA EXCLUIR ESTE REGISTRO?"));
    }

    void choicesCancelAndEnter() {
        addSupplier("ACME", 1);
        open();
        QVERIFY(!window_->Ativo->isChecked() && !window_->Inativo->isChecked());
        QTest::mouseClick(window_->Inativo, Qt::LeftButton);
        QVERIFY(window_->btnGravar->isEnabled());
        QCOMPARE(window_->TFornecedor->fieldByName("Situacao").asString(), QString("Inativo"));
        QTest::mouseClick(window_->SpeedButton6, Qt::LeftButton);
        QVERIFY(!window_->btnGravar->isEnabled());
        QVERIFY(window_->TFornecedor->fieldByName("Situacao").isNull());
        QVERIFY(!window_->Inativo->isChecked());
        // Enter moves on and is not typed.
        window_->box("Nome")->setFocus();
        QTest::keyClick(window_->box("Nome"), Qt::Key_Return);
        QVERIFY(!window_->box("Nome")->hasFocus());
        QCOMPARE(window_->TFornecedor->state(), Dataset::State::Browse);
    }

    // Closing the window loses what was typed.
    void closingLosesChanges() {
        addSupplier("ACME", 1);
        open();
        QTest::keyClicks(window_->box("Contato"), "rui");
        window_->reject();
        Table check(kAliasVantejaVs2, "tbfornecedor");
        check.open();
        QVERIFY(check.fieldByName("Contato").isNull());
    }

    void supplierCard() {
        addRow("tbfornecedor", {{"Codigo", 7},
                                {"Nome", "CASA DAS TINTAS LTDA"},
                                {"Contato", "PEDRO"},
                                {"CNPJ_CPF", "11.222.333/0001-81"},
                                {"TipoServico", "TINTAS"},
                                {"Telefone", "(31)3222-4444"},
                                {"Transportadora", "RAPIDO SUL"},
                                {"CndPagamento", "Boleto"},
                                {"Desconto", 5.5},
                                {"EntregaDias", 3},
                                {"Situacao", "Ativo"}});
        open();
        QTest::mouseClick(window_->SpeedButton1, Qt::LeftButton);
        QCOMPARE(fixture_->dialogs.previews.size(), 1);
        const Report::Document& card = fixture_->dialogs.previews[0];
        QCOMPARE(card.pages.size(), 1);
        QCOMPARE(card.zoom, Report::Zoom::PageWidth);
        QVERIFY(card.maximised);
        QCOMPARE(card.texts(), QStringList({"Fornecedor",
                                            "Nome:",
                                            "CASA DAS TINTAS LTDA",
                                            "Contato:",
                                            "PEDRO",
                                            "CPF/CNPJ:",
                                            "11.222.333/0001-81",
                                            QString::fromUtf8("Tipo Serviço:"),
                                            "TINTAS",
                                            "Telefone:",
                                            "(31)3222-4444",
                                            "Trasnportadora:",
                                            "RAPIDO SUL",
                                            QString::fromUtf8("Condição Pagamento:"),
                                            "Boleto",
                                            "Desconto %:",
                                            "5,5",
                                            "Entrega (Dias):",
                                            "3",
                                            QString::fromUtf8("Situação:"),
                                            "Ativo"}));
        const Report::Item& title = card.pages[0].items[0];
        QCOMPARE(title.font.size, 12.0);
        QVERIFY(title.font.bold && title.font.italic);

        const QString file = QDir(fixture_->data.programFolder()).filePath("fornecedor.pdf");
        QVERIFY(Report::writePdf(card, file));
        if (qEnvironmentVariableIsSet("VANTEJA_TEST_OUTPUT"))
            QFile::copy(file, qEnvironmentVariable("VANTEJA_TEST_OUTPUT") + "/fornecedor.pdf");
        QProcess text;
        text.start("pdftotext", {"-layout", file, "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString layout = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(
            layout.contains(QRegularExpression(
                "Nome:\\s+CASA DAS TINTAS LTDA\\s+Contato:\\s+PEDRO\\s+CPF/CNPJ:\\s+11.222.333/0001-81")),
            qPrintable(layout));
        QVERIFY(layout.contains(QRegularExpression(
            QString::fromUtf8("Condição Pagamento:\\s+Boleto\\s+Desconto %:\\s+5,5\\s+Entrega "
                              "\\(Dias\\):\\s+3\\s+Situação:\\s+Ativo"))));
    }

    // The note under every CPF/CNPJ box: suppliers, clients, issuers. It never changes what is stored.
    void checkDigitNote_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("noted");
        for (const char* window : {"fornecedor", "cliente", "emitente"}) {
            QTest::addRow("%s valid cpf", window) << window << "52998224725" << false;
            QTest::addRow("%s wrong cpf", window) << window << "52998224724" << true;
            QTest::addRow("%s valid alphanumeric cnpj", window) << window << "12.abc.345/01de-35" << false;
            QTest::addRow("%s wrong cnpj", window) << window << "11222333000182" << true;
            QTest::addRow("%s incomplete", window) << window << "5299822" << false;
        }
    }
    void checkDigitNote() {
        QFETCH(QString, window);
        QFETCH(QString, typed);
        QFETCH(bool, noted);
        std::unique_ptr<QDialog> dialog;
        DBEdit* box = nullptr;
        if (window == "fornecedor") {
            auto* fornecedor = new TF_Fornecedor;
            box = fornecedor->box("CNPJ_CPF");
            dialog.reset(fornecedor);
        } else {
            const bool client = window == "cliente";
            auto* cadastro =
                new TCadastro(nullptr, client ? TCadastro::PaginaCliente : TCadastro::PaginaEmitente);
            box = client ? cadastro->box("Cpfpagador") : cadastro->issuerBox("CPF");
            dialog.reset(cadastro);
        }
        dialog->show();
        CpfCnpjHint* note = CpfCnpjHint::of(box);
        QVERIFY(note);
        box->setFocus();
        QTest::keyClicks(box, typed);
        QCOMPARE(note->text(), noted ? QString::fromUtf8("dígito verificador não confere") : QString());
        QCOMPARE(box->text(), typed.toUpper());
        QVERIFY(fixture_->dialogs.calls.isEmpty());
        box->clear();
        QVERIFY(note->text().isEmpty());
    }

private:
    void open() {
        window_ = std::make_unique<TF_Fornecedor>();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    std::unique_ptr<WindowFixture> fixture_;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<TF_Fornecedor> window_;
};

QTEST_MAIN(FornecedorTest)
#include "tst_fornecedor.moc"
