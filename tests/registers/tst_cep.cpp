// The postal-code look-up: decoding the service's answer, reading its fields, and the HTTP request itself
// against a server on the loopback.

#include <QTcpServer>
#include <QtTest>

#include "CepLookup.h"
#include "LocalHttpServer.h"

namespace {

// Long enough for a loaded machine, short enough that a hang fails fast.
constexpr int kTestTimeoutMs = 5000;

const char kExampleAnswer[] =
    "tipo_logradouro=Avenida&logradouro=Brasil&bairro=Centro&cidade=S%E3o+Paulo&uf=SP";

}  // namespace

class CepTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { CepLookup::setBase(QUrl()); }

    void decode_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain text") << "uf=SP"
                                    << "uf=SP";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("plus is a blank") << "Sete+de+Setembro"
                                         << "Sete de Setembro";
        QTest::newRow("latin-1 code") << "S%E3o+Paulo" << QString::fromUtf8("São Paulo");
        QTest::newRow("lower-case hex") << "Goi%e2nia" << QString::fromUtf8("Goiânia");
        QTest::newRow("ascii code") << "%41%42"
                                    << "AB";
        QTest::newRow("lowest code") << "a%01b" << QString(QChar(1)).prepend(u'a').append(u'b');
        QTest::newRow("highest code") << "%FF" << QString(QChar(0xFF));
        QTest::newRow("encoded plus stays") << "1%2B1"
                                            << "1+1";
        QTest::newRow("encoded percent is not decoded again") << "%2541"
                                                              << "%41";
        QTest::newRow("not hex, first digit") << "a%G1b"
                                              << "ab";
        QTest::newRow("not hex, second digit") << "a%1Gb"
                                               << "ab";
        QTest::newRow("code zero") << "a%00b"
                                   << "ab";
        QTest::newRow("percent as first digit") << "%%41"
                                                << "1";
        QTest::newRow("one character left") << "ab%0"
                                            << "ab";
        QTest::newRow("trailing percent") << "ab%"
                                          << "ab";
        QTest::newRow("only a percent") << "%"
                                        << "";
    }
    void decode() {
        QFETCH(QString, answer);
        QFETCH(QString, expected);
        QCOMPARE(CepLookup::decode(answer), expected);
    }

    void value_data() {
        QTest::addColumn<QString>("decoded");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const QString example = CepLookup::decode(QString::fromLatin1(kExampleAnswer));
        QTest::newRow("lower-case name") << example << "cidade" << QString::fromUtf8("São Paulo");
        QTest::newRow("upper-case name") << example << "CIDADE" << QString::fromUtf8("São Paulo");
        QTest::newRow("mixed-case name") << example << "Tipo_Logradouro"
                                         << "Avenida";
        QTest::newRow("upper-case answer") << "UF=MG"
                                           << "uf"
                                           << "MG";
        QTest::newRow("whole name, not its end") << example << "logradouro"
                                                 << "Brasil";
        QTest::newRow("whole name, not its start") << "ufs=RJ&uf=SP"
                                                   << "uf"
                                                   << "SP";
        QTest::newRow("first value") << example << "tipo_logradouro"
                                     << "Avenida";
        QTest::newRow("last value") << example << "uf"
                                    << "SP";
        QTest::newRow("missing name") << example << "cep"
                                      << "";
        QTest::newRow("empty answer") << ""
                                      << "uf"
                                      << "";
        QTest::newRow("empty value") << "bairro=&uf=SP"
                                     << "bairro"
                                     << "";
        QTest::newRow("first of two wins") << "uf=SP&uf=RJ"
                                           << "uf"
                                           << "SP";
        QTest::newRow("value containing =") << "logradouro=A=B&uf=SP"
                                            << "logradouro"
                                            << "A=B";
        QTest::newRow("line without = is no name") << "uf&uf=SP"
                                                   << "uf"
                                                   << "SP";
        QTest::newRow("trailing line break") << "bairro=Centro&uf=SP\r\n"
                                             << "uf"
                                             << "SP";
        QTest::newRow("decoded & splits the value")
            << CepLookup::decode("bairro=Lapa%26Centro&uf=SP") << "bairro"
            << "Lapa";
        QTest::newRow("decoded & starts a line") << CepLookup::decode("bairro=Lapa%26uf%3DRJ&uf=SP") << "uf"
                                                 << "RJ";
    }
    void value() {
        QFETCH(QString, decoded);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(CepLookup::value(decoded, name), expected);
    }

    void addressFrom_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("endereco");
        QTest::addColumn<QString>("bairro");
        QTest::addColumn<QString>("cidade");
        QTest::addColumn<QString>("uf");
        QTest::newRow("example") << kExampleAnswer << "Avenida Brasil"
                                 << "Centro" << QString::fromUtf8("São Paulo") << "SP";
        QTest::newRow("service answer")
            << "resultado=1&resultado_txt=sucesso+-+cep+completo&uf=MG&cidade=Belo+Horizonte&bairro=Centro"
               "&tipo_logradouro=Rua&logradouro=Sete+de+Setembro"
            << "Rua Sete de Setembro"
            << "Centro"
            << "Belo Horizonte"
            << "MG";
        QTest::newRow("upper-case names")
            << "TIPO_LOGRADOURO=Pra%E7a&LOGRADOURO=da+S%E9&BAIRRO=S%E9&CIDADE=S%E3o+Paulo&UF=SP"
            << QString::fromUtf8("Praça da Sé") << QString::fromUtf8("Sé") << QString::fromUtf8("São Paulo")
            << "SP";
        QTest::newRow("mixed-case names")
            << "Tipo_Logradouro=Rua&Logradouro=XV&Bairro=Centro&Cidade=Curitiba&Uf=PR"
            << "Rua XV"
            << "Centro"
            << "Curitiba"
            << "PR";
        QTest::newRow("city-wide code, no street")
            << "resultado=2&resultado_txt=sucesso+-+cep+%FAnico&uf=SP&cidade=Campinas"
            << " "
            << ""
            << "Campinas"
            << "SP";
        QTest::newRow("code not found")
            << "resultado=0&resultado_txt=servi%E7o+indispon%EDvel%2Fcep+inv%E1lido"
            << " "
            << ""
            << ""
            << "";
        QTest::newRow("error page") << "<html><body><h1>Service Unavailable</h1></body></html>"
                                    << " "
                                    << ""
                                    << ""
                                    << "";
        QTest::newRow("empty answer") << ""
                                      << " "
                                      << ""
                                      << ""
                                      << "";
        QTest::newRow("encoded & cuts the street") << "tipo_logradouro=Rua&logradouro=Dom+Pedro+I%26II&uf=RJ"
                                                   << "Rua Dom Pedro I"
                                                   << ""
                                                   << ""
                                                   << "RJ";
        QTest::newRow("first of repeated names") << "cidade=Niter%F3i&uf=RJ&cidade=Rio+de+Janeiro"
                                                 << " "
                                                 << "" << QString::fromUtf8("Niterói") << "RJ";
    }
    void addressFrom() {
        QFETCH(QString, answer);
        const CepLookup::Address address = CepLookup::addressFrom(answer);
        QTEST(address.endereco, "endereco");
        QTEST(address.bairro, "bairro");
        QTEST(address.cidade, "cidade");
        QTEST(address.uf, "uf");
    }

    void base() {
        QCOMPARE(CepLookup::defaultBase(), QUrl("http://cep.republicavirtual.com.br/"));
        QCOMPARE(CepLookup::base(), CepLookup::defaultBase());
        CepLookup::setBase(QUrl("http://127.0.0.1:9/"));
        QCOMPARE(CepLookup::base(), QUrl("http://127.0.0.1:9/"));
        CepLookup::setBase(QUrl());
        QCOMPARE(CepLookup::base(), CepLookup::defaultBase());
    }

    void fetchRequest_data() {
        QTest::addColumn<QString>("basePath");
        QTest::addColumn<QString>("cepText");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("query");
        QTest::newRow("whole code") << ""
                                    << "30130-010" << QByteArray("/web_cep.php")
                                    << QByteArray("cep=30130-010&formato=query_string");
        QTest::newRow("partly typed code") << ""
                                           << "30130-   " << QByteArray("/web_cep.php")
                                           << QByteArray("cep=30130-%20%20%20&formato=query_string");
        QTest::newRow("empty box") << ""
                                   << "     -   " << QByteArray("/web_cep.php")
                                   << QByteArray("cep=%20%20%20%20%20-%20%20%20&formato=query_string");
        QTest::newRow("base with a folder") << "servico/"
                                            << "01001-000" << QByteArray("/servico/web_cep.php")
                                            << QByteArray("cep=01001-000&formato=query_string");
    }
    void fetchRequest() {
        QFETCH(QString, basePath);
        QFETCH(QString, cepText);
        LocalHttpServer server;
        server.setResponse(200, kExampleAnswer, {{"Content-Type", "text/html"}});
        CepLookup::setBase(server.url(basePath));

        QString answer, error;
        QVERIFY2(CepLookup::fetch(cepText, &answer, &error, kTestTimeoutMs), qPrintable(error));
        QCOMPARE(answer, QString::fromLatin1(kExampleAnswer));
        QCOMPARE(server.requestCount(), 1);
        const LocalHttpServer::Request request = server.lastRequest();
        QCOMPARE(request.method, QByteArray("GET"));
        QTEST(request.path, "path");
        QTEST(request.query, "query");
        QCOMPARE(request.header("Accept"), QByteArray("text/html, */*"));
        QCOMPARE(request.header("User-Agent"), QByteArray("Mozilla/3.0 (compatible; Indy Library)"));
    }

    void fetchAnswerText_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("cidade=S\xC3\xA3o Paulo&uf=SP")
                               << QString::fromUtf8("cidade=São Paulo&uf=SP");
        QTest::newRow("latin-1") << QByteArray("cidade=S\xE3o Paulo&uf=SP")
                                 << QString::fromUtf8("cidade=São Paulo&uf=SP");
        QTest::newRow("percent-encoded")
            << QByteArray("cidade=S%E3o+Paulo&uf=SP") << QString::fromUtf8("cidade=S%E3o+Paulo&uf=SP");
    }
    void fetchAnswerText() {
        QFETCH(QByteArray, body);
        LocalHttpServer server;
        server.setResponse(200, body, {{"Content-Type", "text/html"}});
        CepLookup::setBase(server.baseUrl());

        QString answer, error;
        QVERIFY2(CepLookup::fetch("01001-000", &answer, &error, kTestTimeoutMs), qPrintable(error));
        QTEST(answer, "text");
        QCOMPARE(CepLookup::addressFrom(answer).cidade, QString::fromUtf8("São Paulo"));
    }

    void fetchFailure_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("location");
        QTest::newRow("server error") << 500 << QByteArray();
        QTest::newRow("not found") << 404 << QByteArray();
        QTest::newRow("service unavailable") << 503 << QByteArray();
        QTest::newRow("redirection") << 302 << QByteArray("web_cep.php?cep=30130-010&formato=query_string");
        QTest::newRow("permanent redirection")
            << 301 << QByteArray("web_cep.php?cep=30130-010&formato=query_string");
    }
    void fetchFailure() {
        QFETCH(int, status);
        QFETCH(QByteArray, location);
        LocalHttpServer server;
        LocalHttpServer::Headers headers = {{"Content-Type", "text/html"}};
        if (!location.isEmpty()) headers.emplaceBack("Location", server.url(location).toEncoded());
        // A body that would read as an address, then a good answer for anyone who follows the redirection.
        server.enqueue(status, kExampleAnswer, headers);
        server.setResponse(200, kExampleAnswer);
        CepLookup::setBase(server.baseUrl());

        QString answer, error;
        QVERIFY(!CepLookup::fetch("30130-010", &answer, &error, kTestTimeoutMs));
        QVERIFY(!error.trimmed().isEmpty());
        QCOMPARE(server.requestCount(), 1);
    }

    void fetchRefused() {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        CepLookup::setBase(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)));

        // Given all the time there is, a refused connection still fails at once, as refused: had it waited,
        // the answer would be the time-out's.
        QString answer, error;
        QVERIFY(!CepLookup::fetch("30130-010", &answer, &error, 600000));
        QVERIFY(!error.trimmed().isEmpty());
        QVERIFY2(!error.contains(QString::fromUtf8("não respondeu")), qPrintable(error));
    }

    void fetchTimeout() {
        LocalHttpServer server;
        server.setSilent(true);
        CepLookup::setBase(server.baseUrl());

        // The server never answers: only the time-out ends the request.
        QString answer, error;
        QVERIFY(!CepLookup::fetch("30130-010", &answer, &error, 300));
        QCOMPARE(server.requestCount(), 1);
        // Our own message, not the client's "operation canceled".
        QVERIFY2(error.contains(QString::fromUtf8("não respondeu")), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(CepTest)
#include "tst_cep.moc"
