// The clients and issuers window through its controls: numbering, search, delete, the enabling of "Gravar",
// the client card and the postal-code look-up against a local server.

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTcpServer>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "CepLookup.h"
#include "DBGrid.h"
#include "DataControls.h"
#include "LocalHttpServer.h"
#include "Painter.h"
#include "ScriptedDialogs.h"
#include "TempData.h"
#include "U_Cadastro.h"
#include "WindowFixture.h"

namespace {

void addClient(const QString& name, const QVariant& code) {
    addRow("c_cliente", {{"Nome", name}, {"Codigo", code}});
}

}  // namespace

class CadastroTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>();
        data_ = &fixture_->data;
        dialogs_ = &fixture_->dialogs;
    }
    void cleanup() {
        window_.reset();
        fixture_.reset();
    }

    void captionHeaderAndTabs() {
        open(TCadastro::PaginaEmitente);
        QCOMPARE(window_->windowTitle(), QString("Cadastro"));
        QCOMPARE(window_->Titulo->text(), QString("Cadastro Emitente"));
        window_->PageControl1->setCurrentIndex(0);
        QCOMPARE(window_->Titulo->text(), QString("Cadastro Cliente"));
        QCOMPARE(window_->PageControl1->tabText(0), QString("Cadastro Cliente"));
        QCOMPARE(window_->PageControl1->tabText(1), QString("Cadastro Emitente"));
        QCOMPARE(window_->Tcliente->indexName(), QString("bycodigo"));
        QCOMPARE(window_->T_Emitente->indexName(), QString("ByCodigo"));
        QCOMPARE(window_->box("Cep")->editMask(), QString("00000\\-999;1;_"));
        QCOMPARE(window_->SpeedButton6->toolTip(),
                 QString::fromUtf8("Buscar Automatica de Endereço por CEP!"));
        QVERIFY(!window_->SpeedButton4->isEnabled());
        QVERIFY(!window_->GravarEmitente->isEnabled());
    }

    void newClientsAreNumbered() {
        open();
        QTest::mouseClick(window_->SpeedButton1, Qt::LeftButton);
        QCOMPARE(window_->box("Codigo")->text(), QString("1"));
        QTest::keyClicks(window_->box("Nome"), "ana maria");
        QVERIFY(window_->SpeedButton4->isEnabled());
        QTest::mouseClick(window_->SpeedButton4, Qt::LeftButton);
        QVERIFY(!window_->SpeedButton4->isEnabled());
        QCOMPARE(window_->Tcliente->recordCount(), 1);
        QCOMPARE(window_->Tcliente->fieldByName("Nome").asString(), QString("ANA MARIA"));
        QVERIFY(dialogs_->calls.isEmpty());
    }

    void numberingSkipsGaps() {
        addClient("A", 1);
        addClient("B", 2);
        addClient("C", 7);
        open();
        QTest::mouseClick(window_->SpeedButton1, Qt::LeftButton);
        QCOMPARE(window_->Tcliente->fieldByName("Codigo").asInteger(), 8);
        QCOMPARE(window_->Tcliente->indexName().toLower(), QString("bycodigo"));
        // The list follows the new client, and goes back when it is cancelled.
        QCOMPARE(window_->DBGrid1->tableModel()->rowCount(), 4);
        QCOMPARE(window_->DBGrid1->currentIndex().row(), 3);
        QTest::mouseClick(window_->SpeedButton2, Qt::LeftButton);
        QCOMPARE(window_->DBGrid1->tableModel()->rowCount(), 3);
        QCOMPARE(window_->DBGrid1->currentIndex().row(), window_->Tcliente->recNo() - 1);
        QCOMPARE(window_->DBGrid1->currentIndex().data().toString(), window_->box("Nome")->text());
    }

    void issuerWithoutCodeIsNotTakenOver() {
        addRow("Tb_Emitente", {{"Nome", "SEM CODIGO"}});
        open(TCadastro::PaginaEmitente);
        QTest::mouseClick(window_->NovoEmitente, Qt::LeftButton);
        QVERIFY(window_->GravarEmitente->isEnabled());
        QCOMPARE(window_->issuerBox("Codigo")->text(), QString("1"));
        QTest::keyClicks(window_->issuerBox("Nome"), "nova firma");
        QTest::mouseClick(window_->GravarEmitente, Qt::LeftButton);
        QVERIFY(!window_->GravarEmitente->isEnabled());
        QCOMPARE(window_->T_Emitente->recordCount(), 2);
        QVERIFY(window_->T_Emitente->locate("Nome", "SEM CODIGO"));
        QVERIFY(window_->T_Emitente->fieldByName("Codigo").isNull());
        // Putting an issuer into editing enables its "Gravar" too.
        QTest::keyClicks(window_->issuerBox("RG"), "1");
        QVERIFY(window_->GravarEmitente->isEnabled());
    }

    void nameSearchMovesToTheNearestName() {
        addClient("JOSE", 1);
        addClient("MARIA", 2);
        addClient("JOANA", 3);
        open();
        QTest::keyClicks(window_->Edit1, "JO");
        QCOMPARE(window_->Tcliente->fieldByName("Nome").asString(), QString("JOANA"));
        QCOMPARE(window_->Tcliente->indexName(), QString("bynome"));
        QCOMPARE(window_->DBGrid1->currentIndex().row(), 0);
        QCOMPARE(window_->box("Nome")->text(), QString("JOANA"));
        QTest::keyClicks(window_->Edit1, "S");
        QCOMPARE(window_->Tcliente->fieldByName("Nome").asString(), QString("JOSE"));
        window_->Edit1->setText("ZZZ");
        QCOMPARE(window_->Tcliente->fieldByName("Nome").asString(), QString("MARIA"));
        QCOMPARE(window_->Tcliente->recordCount(), 3);  // nothing is filtered out
    }

    void gravarFollowsTheClientBoxes() {
        addClient("ANA", 1);
        addClient("BIA", 2);
        open();
        QVERIFY(!window_->SpeedButton4->isEnabled());
        QTest::keyClicks(window_->box("Codigo"), "0");  // the code box does not enable it
        QVERIFY(!window_->SpeedButton4->isEnabled());
        window_->Tcliente->cancel();
        window_->Tcliente->next();  // another client: the boxes change text
        QVERIFY(window_->SpeedButton4->isEnabled());
        QTest::mouseClick(window_->SpeedButton4, Qt::LeftButton);
        QVERIFY(!window_->SpeedButton4->isEnabled());
        QTest::keyClicks(window_->box("Telefone"), "3");
        QVERIFY(window_->SpeedButton4->isEnabled());
        // "Cancelar" abandons the change and leaves "Gravar" as it is.
        QTest::mouseClick(window_->SpeedButton2, Qt::LeftButton);
        QCOMPARE(window_->Tcliente->state(), Dataset::State::Browse);
        QVERIFY(window_->Tcliente->fieldByName("Telefone").isNull());
        QVERIFY(window_->SpeedButton4->isEnabled());
    }

    void deleteAsksFirst() {
        addClient("ANA", 1);
        addRow("Tb_Emitente", {{"Nome", "FIRMA"}, {"Codigo", 1}});
        open();
        dialogs_->answer(false);
        QTest::mouseClick(window_->SpeedButton3, Qt::LeftButton);
        QCOMPARE(window_->Tcliente->recordCount(), 1);
        dialogs_->answer(true);
        QTest::mouseClick(window_->SpeedButton3, Qt::LeftButton);
        QCOMPARE(window_->Tcliente->recordCount(), 0);
        dialogs_->answer(true);
        QTest::mouseClick(window_->ApagarEmitente, Qt::LeftButton);
        QCOMPARE(window_->T_Emitente->recordCount(), 0);
        QCOMPARE(dialogs_->calls.size(), 3);
        for (const auto& call : dialogs_->calls) {
            QCOMPARE(call.kind, QString("question"));
            QCOMPARE(call.caption, QString::fromUtf8("Exclusão"));
        }
        QCOMPARE(dialogs_->calls[0].text, QString("DESEJA EXCLUIR ESTE REGISTRO?"));
        QCOMPARE(dialogs_->calls[2].text, QString("DESEJA EXCLUIR ESTE REGISTRO EMITENTE?"));
        // Deleting from an empty register says why it can't.
        dialogs_->answer(true);
        QTest::mouseClick(window_->SpeedButton3, Qt::LeftButton);
        QCOMPARE(dialogs_->kinds().last(), QString("error"));
    }

    void closingLosesPendingChanges() {
        addClient("ANA", 1);
        open();
        QTest::keyClicks(window_->box("Bairro"), "centro");
        window_->close();
        Table check(kAliasVantejaVs2, "c_cliente");
        check.open();
        QVERIFY(check.fieldByName("Bairro").isNull());
    }

    void clientCardPrintsTheCurrentClient() {
        addRow("c_cliente", {{"Codigo", 1},
                             {"Nome", "JOANA DARC"},
                             {"Endereço", "RUA DA BAHIA, 1200"},
                             {"Bairro", "CENTRO"},
                             {"Cidade", "BELO HORIZONTE"},
                             {"UF", "MG"},
                             {"Telefone", "(31)3222-4444"},
                             {"Celular", "(31)99999-1111"},
                             {"Cpfpagador", "123.456.789-00"},
                             {"Rgpagador", "MG-12"}});
        open();
        QTest::mouseClick(window_->SpeedButton5, Qt::LeftButton);
        QCOMPARE(dialogs_->previews.size(), 1);
        const Report::Document& card = dialogs_->previews[0];
        QCOMPARE(card.pages.size(), 1);
        QCOMPARE(card.zoom, Report::Zoom::PageWidth);
        QVERIFY(card.maximised);
        QCOMPARE(card.texts(),
                 QStringList({"Cadastro Cliente", "Nome:", "JOANA DARC", "Endereço:", "RUA DA BAHIA, 1200",
                              "Bairro:", "CENTRO", "Cidade:", "BELO HORIZONTE", "UF:", "MG",
                              "Telefone:", "(31)3222-4444", "Celular:", "(31)99999-1111", "CPF / CNPJ",
                              "123.456.789-00", "RG:", "MG-12"}));
        const Report::Item& title = card.pages[0].items[0];
        QCOMPARE(title.font.size, 14.0);
        QVERIFY(title.font.bold);
        QCOMPARE(title.alignment, Qt::AlignHCenter);

        // The PDF reads back with every caption beside its value, on the same line.
        const QString file = QDir(data_->programFolder()).filePath("ficha.pdf");
        QVERIFY(Report::writePdf(card, file));
        if (qEnvironmentVariableIsSet("VANTEJA_TEST_OUTPUT"))
            QFile::copy(file, qEnvironmentVariable("VANTEJA_TEST_OUTPUT") + "/ficha.pdf");
        QProcess text;
        text.start("pdftotext", {"-layout", file, "-"});
        text.waitForFinished(30000);
        const QString layout = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY(layout.contains(
            QRegularExpression("Bairro:\\s+CENTRO\\s+Cidade:\\s+BELO HORIZONTE\\s+UF:\\s+MG")));
        QVERIFY(layout.contains(QRegularExpression("CPF / CNPJ\\s+123.456.789-00\\s+RG:\\s+MG-12")));
    }

    // The look-up against a local server answering as the service does, names in small letters and the city
    // percent-encoded.
    void postalCodeFillsTheAddress() {
        LocalHttpServer server;
        server.setResponse(
            200, "tipo_logradouro=Avenida&logradouro=Brasil&bairro=Centro&cidade=S%E3o+Paulo&uf=SP");
        CepLookup::setBase(server.baseUrl());
        addClient("ANA", 1);
        open();
        window_->box("Cep")->setFocus();
        QTest::keyClicks(window_->box("Cep"), "01310100");
        QTest::mouseClick(window_->SpeedButton6, Qt::LeftButton);
        QVERIFY(server.waitForRequests(1));
        QCOMPARE(server.lastRequest().path, QString("/web_cep.php"));
        QCOMPARE(server.lastRequest().query, QString("cep=01310-100&formato=query_string"));
        QVERIFY(dialogs_->calls.isEmpty());
        QCOMPARE(window_->Tcliente->fieldByName("Endereço").asString(), QString("Avenida Brasil"));
        QCOMPARE(window_->box("Endereço")->text(),
                 QString("AVENIDA BRASIL"));  // a capitals box shows capitals
        QCOMPARE(window_->box("Bairro")->text(), QString("CENTRO"));
        QCOMPARE(window_->box("Cidade")->text(), QString::fromUtf8("SÃO PAULO"));
        QCOMPARE(window_->box("UF")->text(), QString("SP"));
        QVERIFY(window_->SpeedButton4->isEnabled());
        QTest::mouseClick(window_->SpeedButton4, Qt::LeftButton);
        Table check(kAliasVantejaVs2, "c_cliente");
        check.open();
        QCOMPARE(check.fieldByName("Cidade").asString(), QString::fromUtf8("SÃO PAULO"));
        QCOMPARE(check.fieldByName("Cep").asString(), QString("01310-100"));
        QCOMPARE(check.fieldByName("Endereço").asString(), QString("Avenida Brasil"));
    }

    void postalCodeKeysAndLeavingTheBox() {
        LocalHttpServer server;
        server.setResponse(200, "uf=MG");
        CepLookup::setBase(server.baseUrl());
        open();
        window_->show();
        QApplication::setActiveWindow(window_.get());
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        window_->box("Cep")->setFocus();
        QTest::keyClick(window_->box("Cep"),
                        Qt::Key_Return);  // leaving the box sends the request, even unchanged
        QTRY_COMPARE(server.requestCount(), 1);
        QCOMPARE(server.lastRequest().query, QString("cep=%20%20%20%20%20-%20%20%20&formato=query_string"));
        QCOMPARE(window_->Tcliente->state(), Dataset::State::Insert);  // an empty register gets a new client
        QCOMPARE(window_->Tcliente->fieldByName("Endereço").asString(), QString(" "));
        QCOMPARE(window_->box("UF")->text(), QString("MG"));
        window_->PageControl1->setCurrentIndex(1);
        QTest::keyClick(window_.get(), Qt::Key_F5);  // on either tab
        QTRY_COMPARE(server.requestCount(), 2);
    }

    // The answer belongs to the client the request was sent for: leaving the box by a click on another
    // client looks up for the first; a button's click leaves nothing; input waits for the answer.
    void lookUpKeepsToItsClient_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("click on another client") << "list";
        QTest::newRow("click on Novo") << "novo";
        QTest::newRow("window closed meanwhile") << "close";
    }
    void lookUpKeepsToItsClient() {
        QFETCH(QString, how);
        LocalHttpServer server;
        LocalHttpServer::Response answer;
        answer.body = "tipo_logradouro=Rua&logradouro=Um&bairro=Centro&cidade=Recife&uf=PE";
        answer.delayMs = 300;
        server.setResponse(answer);
        CepLookup::setBase(server.baseUrl());
        addClient("ANA", 1);
        addClient("BETO", 2);
        open();
        QApplication::setActiveWindow(window_.get());
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        window_->Tcliente->first();
        window_->box("Cep")->setFocus();
        QTest::keyClicks(window_->box("Cep"), "50000100");
        if (how == "list") {
            QWidget* list = window_->DBGrid1->viewport();
            const QRect beto = window_->DBGrid1->visualRect(window_->DBGrid1->model()->index(1, 0));
            QTest::mouseClick(list, Qt::LeftButton, {}, beto.center());
            QCOMPARE(server.requestCount(), 1);
            QCOMPARE(server.lastRequest().query, QString("cep=50000-100&formato=query_string"));
            // The click that left the box waited for the answer, then moved on, storing ANA with it.
            QCOMPARE(window_->Tcliente->fieldByName("Nome").asString(), QString("BETO"));
            Table check(kAliasVantejaVs2, "c_cliente");
            check.open();
            QVERIFY(check.locate("Nome", "ANA"));
            QCOMPARE(check.fieldByName("Cidade").asString(), QString("RECIFE"));
            QCOMPARE(check.fieldByName("Cep").asString(), QString("50000-100"));
            QVERIFY(check.locate("Nome", "BETO"));
            QVERIFY(check.fieldByName("Cidade").isNull());
        } else if (how == "novo") {
            QTest::mouseClick(window_->SpeedButton1, Qt::LeftButton);
            QCOMPARE(window_->box("Codigo")->text(), QString("3"));
            QCOMPARE(server.requestCount(), 0);
            QVERIFY(window_->box("Cidade")->text().isEmpty());
        } else {
            QTimer::singleShot(50, window_.get(), [this] { window_->close(); });
            QTest::mouseClick(window_->SpeedButton6, Qt::LeftButton);
            QCOMPARE(server.requestCount(), 1);
        }
        QVERIFY2(dialogs_->calls.isEmpty(), qPrintable(dialogs_->lastText()));
    }

    void failedLookUpChangesNothing_data() {
        QTest::addColumn<QString>("failure");
        QTest::newRow("error answer") << "500";
        QTest::newRow("refused connection") << "refused";
    }
    void failedLookUpChangesNothing() {
        QFETCH(QString, failure);
        LocalHttpServer server;
        server.setResponse(500, "erro");
        if (failure == "refused") {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            const quint16 port = closed.serverPort();
            closed.close();
            CepLookup::setBase(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)));
        } else {
            CepLookup::setBase(server.baseUrl());
        }
        addRow("c_cliente", {{"Nome", "ANA"}, {"Codigo", 1}, {"Bairro", "SAVASSI"}, {"Endereço", "RUA X"}});
        open();
        QTest::mouseClick(window_->SpeedButton6, Qt::LeftButton);
        QCOMPARE(dialogs_->kinds(), QStringList{"error"});
        QVERIFY(dialogs_->lastText().startsWith("Falha na consulta do CEP"));
        QCOMPARE(window_->Tcliente->state(), Dataset::State::Edit);
        QCOMPARE(window_->Tcliente->fieldByName("Endereço").asString(), QString("RUA X"));
        QCOMPARE(window_->box("Bairro")->text(), QString("SAVASSI"));
    }

private:
    void open(TCadastro::Page page = TCadastro::PaginaCliente) {
        window_ = std::make_unique<TCadastro>(nullptr, page);
        verifyAllBound(window_.get());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    std::unique_ptr<WindowFixture> fixture_;
    TempData* data_ = nullptr;
    ScriptedDialogs* dialogs_ = nullptr;
    std::unique_ptr<TCadastro> window_;
};

QTEST_MAIN(CadastroTest)
#include "tst_cadastro.moc"
