// The suppliers window through its controls: numbering, "Salvar" and the CPF/CNPJ punctuation, search,
// delete, bad numbers, the supplier card, and the check-digit note of every CPF/CNPJ box.

#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>

#include "CpfCnpjHint.h"
#include "DBGrid.h"
#include "Painter.h"
#include "U_Cadastro.h"
#include "UnitFornecedor.h"
#include "WindowFixture.h"

namespace {

void addSupplier(const QString& name, const QVariant& code) {
    addRow("tbfornecedor", {{"Nome", name}, {"Codigo", code}});
}

QVariant storedField(const QString& field) {
    Table check(kAliasVantejaVs2, "tbfornecedor");
    check.open();
    return check.fieldByName(field).value();
}

const QString kSaved = QStringLiteral("Cadastro Salvo com Sucesso!");

}  // namespace

class FornecedorTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture_ = std::make_unique<WindowFixture>(); }
    void cleanup() {
        window_.reset();
        fixture_.reset();
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
        verifyAllBound(window_.get());
        QVERIFY(!window_->btnGravar->isEnabled());
        window_->btnGravarClick();  // right after opening
        QCOMPARE(dialogs().lastText(), QString::fromUtf8("Não Teve Alteração Edite!"));
        QTest::mouseClick(window_->SpeedButton3, Qt::LeftButton);
        QVERIFY(window_->btnGravar->isEnabled());
        QVERIFY(window_->box("Nome")->hasFocus());
        QCOMPARE(window_->box("Codigo")->text(), shown);
        // The list follows the new supplier: one row more, the last, highlighted and still blank.
        const QModelIndex fresh = window_->DBGrid1->currentIndex();
        QCOMPARE(window_->DBGrid1->tableModel()->rowCount(), codes.size() + 1);
        QCOMPARE(fresh.row(), codes.size());
        QCOMPARE(fresh.siblingAtColumn(0).data().toString(), QString());
        QTest::keyClicks(window_->box("Nome"), "acme ltda");
        QTest::mouseClick(window_->btnGravar, Qt::LeftButton);
        QCOMPARE(dialogs().lastText(), kSaved);
        QCOMPARE(window_->TFornecedor->fieldByName("Nome").asString(), QString("ACME LTDA"));
        QCOMPARE(window_->DBGrid1->tableModel()->rowCount(), codes.size() + 1);
        QCOMPARE(window_->DBGrid1->currentIndex().siblingAtColumn(0).data().toString(), QString("ACME LTDA"));
        // The delivery column is centred.
        const QModelIndex days = window_->DBGrid1->tableModel()->index(0, 2);
        QCOMPARE(Qt::Alignment(days.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
    }

    void savingPunctuatesTheNumber_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        const char* rows[][3] = {{"11 digits", "52998224725", "529.982.247-25"},
                                 {"14 digits", "11222333000181", "11.222.333/0001-81"},
                                 {"typed punctuated", "112.223.330/0018-1", "11.222.333/0001-81"},
                                 {"10 digits", "5299822472", "5299822472"},
                                 {"11 with a blank", "529982 24725", "529982 24725"},
                                 {"alphanumeric", "12abc34501de35", "12.ABC.345/01DE-35"},
                                 {"empty", "", ""}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
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
        QCOMPARE(dialogs().kinds(), QStringList({"message"}));
        QCOMPARE(dialogs().lastText(), kSaved);
        QVERIFY(!window_->btnGravar->isEnabled());
        QCOMPARE(window_->box("CNPJ_CPF")->text(), stored);
        QCOMPARE(storedField("CNPJ_CPF").toString(), stored);
        // Nothing pending now.
        window_->btnGravarClick();
        QCOMPARE(dialogs().lastText(), QString::fromUtf8("Não Teve Alteração Edite!"));
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
        QTest::mouseClick(window_->btnGravar, Qt::LeftButton);
        QCOMPARE(dialogs().kinds(), QStringList({"error"}));
        QVERIFY2(dialogs().lastText().contains(QString::fromUtf8("numérico")),
                 qPrintable(dialogs().lastText()));
        QCOMPARE(window_->TFornecedor->state(), Dataset::State::Edit);
        QVERIFY(window_->btnGravar->isEnabled());
        QCOMPARE(window_->box(field)->text(), typed);
        QVERIFY(storedField(field).isNull());
        window_->box(field)->clear();
        QTest::keyClicks(window_->box(field), "12,5");
        QTest::mouseClick(window_->btnGravar, Qt::LeftButton);
        QCOMPARE(dialogs().lastText(), kSaved);
        QCOMPARE(storedField(field).toDouble(), 12.5);
    }

    // Every keystroke moves to the nearest name; the change of order stores a pending change first.
    void search() {
        addSupplier("MARIA", 1);
        addSupplier("JOSE", 2);
        addSupplier("JOANA", 3);
        open();
        QTest::keyClicks(window_->box("Contato"), "rui");
        QTest::keyClicks(window_->Edit1, "jo");
        QVERIFY(!window_->btnGravar->isEnabled());
        QCOMPARE(storedField("Contato").toString(), QString("RUI"));
        QCOMPARE(window_->Edit1->text(), QString("JO"));
        QCOMPARE(window_->TFornecedor->fieldByName("Nome").asString(), QString("JOANA"));
        QCOMPARE(window_->TFornecedor->indexFieldNames(), QString("Nome"));
        QTest::keyClicks(window_->Edit1, "s");
        QCOMPARE(window_->TFornecedor->fieldByName("Nome").asString(), QString("JOSE"));
        QCOMPARE(window_->DBGrid1->currentIndex().row(), 1);
        QCOMPARE(window_->TFornecedor->recordCount(), 3);
    }

    void deleteCancelEnterAndClose() {
        addSupplier("ACME", 1);
        addSupplier("BETA", 2);
        open();
        dialogs().answer(false);
        QTest::mouseClick(window_->SpeedButton4, Qt::LeftButton);
        QCOMPARE(window_->TFornecedor->recordCount(), 2);
        dialogs().answer(true);
        QTest::mouseClick(window_->SpeedButton4, Qt::LeftButton);
        QCOMPARE(window_->TFornecedor->recordCount(), 1);
        QCOMPARE(dialogs().calls[0].caption, QString::fromUtf8("Exclusão"));
        QCOMPARE(dialogs().calls[0].text, QString("DESEJA EXCLUIR ESTE REGISTRO?"));

        QTest::mouseClick(window_->Inativo, Qt::LeftButton);
        QVERIFY(window_->btnGravar->isEnabled());
        QCOMPARE(window_->TFornecedor->fieldByName("Situacao").asString(), QString("Inativo"));
        QTest::mouseClick(window_->SpeedButton6, Qt::LeftButton);
        QVERIFY(!window_->btnGravar->isEnabled() && !window_->Inativo->isChecked());

        window_->box("Nome")->setFocus();
        QTest::keyClick(window_->box("Nome"), Qt::Key_Return);
        QVERIFY(!window_->box("Nome")->hasFocus());
        QTest::keyClicks(window_->box("Contato"), "rui");
        window_->reject();  // closing loses it
        QVERIFY(storedField("Contato").isNull());
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
        QCOMPARE(dialogs().previews.size(), 1);
        const Report::Document& card = dialogs().previews[0];
        QCOMPARE(card.pages.size(), 1);
        QVERIFY(card.zoom == Report::Zoom::PageWidth && card.maximised);
        QCOMPARE(card.texts().join('|'),
                 QString::fromUtf8("Fornecedor|Nome:|CASA DAS TINTAS LTDA|Contato:|PEDRO|CPF/CNPJ:|"
                                   "11.222.333/0001-81|Tipo Serviço:|TINTAS|Telefone:|(31)3222-4444|"
                                   "Trasnportadora:|RAPIDO SUL|Condição Pagamento:|Boleto|Desconto %:|5,5|"
                                   "Entrega (Dias):|3|Situação:|Ativo"));
        const Report::Item& title = card.pages[0].items[0];
        QVERIFY(title.font.size == 12.0 && title.font.bold && title.font.italic);

        // Each value reads beside its caption in the PDF: none is cut or runs into the next caption.
        const QString file = QDir(fixture_->data.programFolder()).filePath("fornecedor.pdf");
        QVERIFY(Report::writePdf(card, file));
        if (qEnvironmentVariableIsSet("VANTEJA_TEST_OUTPUT"))
            QFile::copy(file, qEnvironmentVariable("VANTEJA_TEST_OUTPUT") + "/fornecedor.pdf");
        QProcess text;
        text.start("pdftotext", {"-layout", file, "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString layout = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        QVERIFY2(layout.contains(QString::fromUtf8(
                     "Nome: CASA DAS TINTAS LTDA Contato: PEDRO CPF/CNPJ: 11.222.333/0001-81 Tipo Serviço: "
                     "TINTAS Telefone: (31)3222-4444 Trasnportadora: RAPIDO SUL Condição Pagamento: Boleto "
                     "Desconto %: 5,5 Entrega (Dias): 3 Situação: Ativo")),
                 qPrintable(layout));
    }

    // The note under every CPF/CNPJ box: suppliers, clients, issuers. It never changes what is typed.
    void checkDigitNote_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("noted");
        for (const char* window : {"fornecedor", "cliente", "emitente"}) {
            QTest::addRow("%s valid cpf", window) << window << "52998224725" << false;
            QTest::addRow("%s wrong cpf", window) << window << "52998224724" << true;
            QTest::addRow("%s valid alphanumeric cnpj", window) << window << "12.abc.345/01de-35" << false;
            QTest::addRow("%s wrong cnpj", window) << window << "11222333000182" << true;
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
        QVERIFY(dialogs().calls.isEmpty());
    }

private:
    void open() {
        window_ = std::make_unique<TF_Fornecedor>();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    ScriptedDialogs& dialogs() { return fixture_->dialogs; }

    std::unique_ptr<WindowFixture> fixture_;
    std::unique_ptr<TF_Fornecedor> window_;
};

QTEST_MAIN(FornecedorTest)
#include "tst_fornecedor.moc"
