// The postal-code look-up of the clients register with its second service: two servers on the loopback, the
// first failing in each way that sends the look-up to the second, the second answering as either kind of
// service does.

#include <QTcpServer>
#include <QtTest>

#include "CepLookup.h"
#include "LocalHttpServer.h"
#include "Table.h"
#include "U_Cadastro.h"
#include "WindowFixture.h"

namespace {

const QByteArray kBrasilApi = R"({"cep":"30130010","state":"MG","city":"Belo Horizonte",)"
                              R"("neighborhood":"Centro","street":"Praça Sete de Setembro","service":"x"})";
const QByteArray kViaCep = R"({"cep":"30130-010","logradouro":"Praça Sete de Setembro","complemento":"",)"
                           R"("bairro":"Centro","localidade":"Belo Horizonte","uf":"MG"})";

quint16 closedPort() {
    QTcpServer closed;
    if (!closed.listen(QHostAddress::LocalHost)) return 0;
    return closed.serverPort();
}

}  // namespace

class CepFallbackTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture_ = std::make_unique<WindowFixture>(); }
    void cleanup() {
        window_.reset();
        fixture_.reset();
        qunsetenv("VANTEJA_CEP2_URL");
    }

    void lookUp_data() {
        QTest::addColumn<QString>("first");   // down, slow, 500, 404, garbage, unknown
        QTest::addColumn<QString>("second");  // brasilapi, viacep, 404, erro, 503, garbage, down
        QTest::addColumn<bool>("fromEnvironment");
        QTest::addColumn<int>("secondAsked");
        QTest::addColumn<QString>("error");  // the one error expected, "" for none
        QTest::addColumn<QString>("cidade");
        QTest::newRow("first down") << "down"
                                    << "brasilapi" << false << 1 << ""
                                    << "BELO HORIZONTE";
        QTest::newRow("first slow") << "slow"
                                    << "viacep" << false << 1 << ""
                                    << "BELO HORIZONTE";
        QTest::newRow("first 500") << "500"
                                   << "viacep" << false << 1 << ""
                                   << "BELO HORIZONTE";
        QTest::newRow("first garbage") << "garbage"
                                       << "brasilapi" << false << 1 << ""
                                       << "BELO HORIZONTE";
        QTest::newRow("second from the environment") << "down"
                                                     << "brasilapi" << true << 1 << ""
                                                     << "BELO HORIZONTE";
        QTest::newRow("first knows no such code") << "unknown"
                                                  << "brasilapi" << false << 0 << ""
                                                  << "";
        QTest::newRow("first refuses, 404") << "404"
                                            << "brasilapi" << false << 0 << "Falha na consulta do CEP"
                                            << "SAVASSI";
        QTest::newRow("second knows no such code, 404") << "500"
                                                        << "404" << false << 1 << "CEP não encontrado"
                                                        << "SAVASSI";
        QTest::newRow("second knows no such code, erro") << "down"
                                                         << "erro" << false << 1 << "CEP não encontrado"
                                                         << "SAVASSI";
        QTest::newRow("both fail") << "500"
                                   << "503" << false << 1 << "Falha na consulta do CEP"
                                   << "SAVASSI";
        QTest::newRow("second garbage") << "garbage"
                                        << "garbage" << false << 1 << "Falha na consulta do CEP"
                                        << "SAVASSI";
        QTest::newRow("both down") << "down"
                                   << "down" << false << 0 << "Falha na consulta do CEP"
                                   << "SAVASSI";
    }
    void lookUp() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, fromEnvironment);
        QFETCH(int, secondAsked);
        QFETCH(QString, error);
        QFETCH(QString, cidade);

        LocalHttpServer one;
        LocalHttpServer two;
        if (first == "down")
            CepLookup::setBase(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(closedPort())));
        else
            CepLookup::setBase(one.baseUrl());
        if (first == "slow") {
            one.setSilent(true);
            CepLookup::setTimeout(1500);
        }
        const QMap<QString, QByteArray> firstBodies = {
            {"garbage", "<html><body>Erro interno</body></html>"},
            {"unknown", "resultado=0&resultado_txt=sucesso+-+cep+n%E3o+encontrado&uf=&cidade=&bairro="},
            {"500", "erro"},
            {"404", "nada"}};
        one.setResponse(first == "500" ? 500 : first == "404" ? 404 : 200, firstBodies.value(first));

        const QMap<QString, QPair<int, QByteArray>> secondAnswers = {
            {"brasilapi", {200, kBrasilApi}},
            {"viacep", {200, kViaCep}},
            {"404", {404, R"({"name":"CepPromiseError"})"}},
            {"erro", {200, R"({"erro": "true"})"}},
            {"503", {503, "indisponível"}},
            {"garbage", {200, "<html>?</html>"}}};
        two.setResponse(secondAnswers.value(second).first, secondAnswers.value(second).second,
                        {{"Content-Type", "application/json; charset=utf-8"}});
        const QString secondUrl = second == "down"
                                      ? QStringLiteral("http://127.0.0.1:%1/{cep}").arg(closedPort())
                                      : two.url("cep/v1/{cep}").toString();
        if (fromEnvironment) {
            qputenv("VANTEJA_CEP2_URL", secondUrl.toUtf8());
            CepLookup::setFallbackUrl(QString());
        } else {
            CepLookup::setFallbackUrl(secondUrl);
        }

        Table clients(kAliasVantejaVs2, "c_cliente");
        clients.open();
        clients.append();
        clients.fieldByName("Nome").setAsString("ANA");
        clients.fieldByName("Codigo").setAsInteger(1);
        clients.fieldByName("Endereço").setAsString("RUA X");
        clients.fieldByName("Cidade").setAsString("SAVASSI");
        clients.post();
        window_ = std::make_unique<TCadastro>(nullptr, TCadastro::PaginaCliente);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->box("Cep")->setFocus();
        QTest::keyClicks(window_->box("Cep"), "30130010");

        // The wait cursor the first request put up is still there when the second is sent.
        Qt::CursorShape cursorAtSecond = Qt::ArrowCursor;
        QTimer watch;
        watch.setInterval(0);
        connect(&watch, &QTimer::timeout, this, [&] {
            if (two.requestCount() > 0 && cursorAtSecond == Qt::ArrowCursor && QApplication::overrideCursor())
                cursorAtSecond = QApplication::overrideCursor()->shape();
        });
        watch.start();
        QTest::mouseClick(window_->SpeedButton6, Qt::LeftButton);
        watch.stop();

        QCOMPARE(two.requestCount(), secondAsked);
        if (secondAsked > 0) {
            QCOMPARE(two.lastRequest().path, QByteArray("/cep/v1/30130010"));
            QCOMPARE(cursorAtSecond, Qt::WaitCursor);
        }
        QVERIFY(!QApplication::overrideCursor());
        ScriptedDialogs& dialogs = fixture_->dialogs;
        if (error.isEmpty()) {
            QVERIFY2(dialogs.calls.isEmpty(), qPrintable(dialogs.lastText()));
        } else {
            QCOMPARE(dialogs.kinds(), QStringList{"error"});
            QVERIFY2(dialogs.lastText().startsWith(error), qPrintable(dialogs.lastText()));
        }
        QCOMPARE(window_->box("Cidade")->text(), cidade);
        if (cidade == "BELO HORIZONTE") {
            QCOMPARE(window_->Tcliente->fieldByName("Endereço").asString(),
                     QString("Praça Sete de Setembro"));
            QCOMPARE(window_->box("Bairro")->text(), QString("CENTRO"));
            QCOMPARE(window_->box("UF")->text(), QString("MG"));
        }
    }

    void defaults() {
        QCOMPARE(CepLookup::defaultFallbackUrl(), QString("https://brasilapi.com.br/api/cep/v1/{cep}"));
        CepLookup::setFallbackUrl(QString());
        QCOMPARE(CepLookup::fallbackUrl(), CepLookup::defaultFallbackUrl());
    }

private:
    std::unique_ptr<WindowFixture> fixture_;
    std::unique_ptr<TCadastro> window_;
};

QTEST_MAIN(CepFallbackTest)
#include "tst_cepfallback.moc"
