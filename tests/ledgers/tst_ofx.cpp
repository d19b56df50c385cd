// Bank statements read through libofx from files the test writes in several banks' styles, and the matching
// of their lines against open bills.

#include <QTemporaryDir>
#include <QtTest>

#include "Conciliacao.h"
#include "DataError.h"
#include "OfxFiles.h"
#include "Values.h"

using namespace OfxFiles;
using Conciliacao::Bill;
using Conciliacao::Matcher;

Q_DECLARE_METATYPE(QList<OfxFiles::Line>)
Q_DECLARE_METATYPE(OfxFiles::Style)

namespace {

QDate d(const char* text) {
    return QDate::fromString(QString::fromLatin1(text), QStringLiteral("dd/MM/yyyy"));
}

Bill bill(qint64 key, qint64 centavos, const char* due) {
    Bill b;
    b.key = key;
    b.codigo = double(key);
    b.value = Money::fromCentavos(centavos);
    b.due = d(due);
    return b;
}

Ofx::Transaction line(qint64 centavos, const char* date) {
    Ofx::Transaction t;
    t.amount = Money::fromCentavos(centavos);
    t.date = d(date);
    return t;
}

// Each proposal as "chosen:candidates", bills by key: "2:2,1"; no candidate "-:".
QStringList shown(const QVector<Conciliacao::Proposal>& proposals, const QVector<Bill>& payables,
                  const QVector<Bill>& receivables) {
    QStringList out;
    for (const Conciliacao::Proposal& p : proposals) {
        const QVector<Bill>& bills = p.payables ? payables : receivables;
        QStringList candidates;
        for (int i : p.candidates)
            candidates << QString::number(bills[i].key);
        out << (p.chosen < 0 ? QStringLiteral("-") : QString::number(bills[p.chosen].key)) +
                   QLatin1Char(':') + candidates.join(QLatin1Char(','));
    }
    return out;
}

}  // namespace

class OfxTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void read_data() {
        QTest::addColumn<QList<Line>>("lines");
        QTest::addColumn<Style>("style");
        QTest::addColumn<QStringList>("expected");  // date|memo|centavos|key per transaction

        QTest::newRow("itau 1.x, fuso [-03:EST], acentos 1252")
            << QList<Line>{{"20240315100000[-03:EST]",
                            "-150.00",
                            "20240315001",
                            "PAGTO CONTA LUZ SÃO PAULO",
                            {}},
                           {"20240316000000[-3:BRT]", "1234.56", "20240316002", "PIX RECEBIDO JOÃO ÇÁ", {}}}
            << Style::Sgml
            << QStringList{"15/03/2024|PAGTO CONTA LUZ SÃO PAULO|-15000|20240315001",
                           "16/03/2024|PIX RECEBIDO JOÃO ÇÁ|123456|20240316002"};
        QTest::newRow("bb 1.x fechado, noite em Brasília fica no dia")
            << QList<Line>{{"20240316220000[-3:BRT]", "-89.90", "BB1", "Pagamento de Boleto - ÁGUA", {}},
                           {"20240317233000[-3:BRT]", "10", "BB2", "TED", {}}}
            << Style::SgmlClosed
            << QStringList{"16/03/2024|Pagamento de Boleto - ÁGUA|-8990|BB1", "17/03/2024|TED|1000|BB2"};
        QTest::newRow("bradesco só data, vírgula decimal, NAME e MEMO")
            << QList<Line>{{"20240318", "-1234,50", "777", "ALUGUEL MARÇO", "DOC"},
                           {"20240319", "0,01", "778", {}, "TARIFA"}}
            << Style::Sgml
            << QStringList{"18/03/2024|DOC - ALUGUEL MARÇO|-123450|777", "19/03/2024|TARIFA|1|778"};
        QTest::newRow("2.x XML UTF-8, & no histórico, UTC")
            << QList<Line>{{"20240315100000.000[-3:BRT]", "-89.90", "X1", "Água & Esgoto", {}},
                           {"20240320020000[0:GMT]", "50.00", "X2", "DEPÓSITO", {}}}
            << Style::Xml << QStringList{"15/03/2024|Água & Esgoto|-8990|X1", "19/03/2024|DEPÓSITO|5000|X2"};
        QTest::newRow("FITID repetido e ausente")
            << QList<Line>{{"20240315", "-10.00", "DUP", "TARIFA", {}},
                           {"20240315", "-10.00", "DUP", "TARIFA", {}},
                           {"20240316", "-5.00", {}, "IOF", {}}}
            << Style::Sgml
            << QStringList{"15/03/2024|TARIFA|-1000|DUP", "15/03/2024|TARIFA|-1000|DUP#2",
                           "16/03/2024|IOF|-500|2024-03-16|-500|IOF"};
    }
    void read() {
        QFETCH(QList<Line>, lines);
        QFETCH(Style, style);
        QFETCH(QStringList, expected);
        const QString path = write(dir_.filePath(QStringLiteral("extrato.ofx")), statement(lines, style));
        const Ofx::Statement s = Ofx::read(path);
        QStringList got;
        for (const Ofx::Transaction& t : s.transactions)
            got << QStringLiteral("%1|%2|%3|%4")
                       .arg(Values::dateToText(t.date), t.memo)
                       .arg(t.amount.centavos())
                       .arg(t.key);
        QCOMPARE(got, expected);
        QCOMPARE(s.file, QStringLiteral("extrato.ofx"));
        QVERIFY(s.account.contains(QStringLiteral("12345-6")));
    }

    void errors_data() {
        QTest::addColumn<QByteArray>("bytes");  // null: no file at all
        QTest::addColumn<QString>("fragment");
        const QByteArray good = statement({{"20240315", "-150.00", "1", "LUZ", {}}});
        QTest::newRow("não existe") << QByteArray() << "Não foi possível abrir o arquivo";
        QTest::newRow("vazio") << QByteArray("") << "está vazio";
        QTest::newRow("só espaços") << QByteArray(" \r\n\r\n") << "está vazio";
        QTest::newRow("planilha") << QByteArray("Data;Historico;Valor\r\n15/03/2024;LUZ;-150,00\r\n")
                                  << "não é um extrato bancário OFX";
        QTest::newRow("binário") << QByteArray("%PDF-1.4\n\x00\x01\x02", 12)
                                 << "não é um extrato bancário OFX";
        QTest::newRow("cortado no meio") << good.left(good.indexOf("<TRNAMT>") + 10) << "está incompleto";
        QTest::newRow("sem o fim") << good.left(good.lastIndexOf("</OFX>")) << "está incompleto";
        QTest::newRow("dólar") << statement({{"20240315", "-150.00", "1", "LUZ", {}}}, Style::Sgml, "USD")
                               << "outra moeda (USD)";
        QTest::newRow("euro em XML") << statement({{"20240315", "-1.00", "1", "X", {}}}, Style::Xml, "EUR")
                                     << "outra moeda (EUR)";
        QTest::newRow("sem lançamentos") << statement({}) << "não tem nenhum lançamento";
    }
    void errors() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fragment);
        const QString path = dir_.filePath(QStringLiteral("Extrato Março.ofx"));
        QFile::remove(path);
        if (!bytes.isNull()) write(path, bytes);
        try {
            Ofx::read(path);
            QFAIL("expected a DataError");
        } catch (const DataError& e) {
            QVERIFY2(e.message().contains(fragment), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("\"Extrato Março.ofx\"")), qPrintable(e.message()));
        }
    }

    void match_data() {
        QTest::addColumn<QVector<Bill>>("payables");
        QTest::addColumn<QVector<Bill>>("receivables");
        QTest::addColumn<QList<Ofx::Transaction>>("lines");
        QTest::addColumn<QVector<bool>>("skip");
        QTest::addColumn<QStringList>("expected");

        const QVector<Bill> none;
        QTest::newRow("mesmo valor no dia")
            << QVector<Bill>{bill(1, 15000, "15/03/2024")} << none
            << QList<Ofx::Transaction>{line(-15000, "15/03/2024")} << QVector<bool>{} << QStringList{"1:1"};
        QTest::newRow("um centavo a mais não serve")
            << QVector<Bill>{bill(1, 15001, "15/03/2024")} << none
            << QList<Ofx::Transaction>{line(-15000, "15/03/2024")} << QVector<bool>{} << QStringList{"-:"};
        QTest::newRow("5 dias antes e depois servem, 6 não")
            << QVector<Bill>{bill(1, 100, "05/03/2024"), bill(2, 200, "04/03/2024"),
                             bill(3, 300, "15/03/2024"), bill(4, 400, "16/03/2024")}
            << none
            << QList<Ofx::Transaction>{line(-100, "10/03/2024"), line(-200, "10/03/2024"),
                                       line(-300, "10/03/2024"), line(-400, "10/03/2024")}
            << QVector<bool>{} << QStringList{"1:1", "-:", "3:3", "-:"};
        QTest::newRow("o mais perto primeiro; empate: o vencido antes")
            << QVector<Bill>{bill(1, 500, "13/03/2024"), bill(2, 500, "11/03/2024"),
                             bill(3, 500, "09/03/2024"), bill(4, 500, "07/03/2024")}
            << none << QList<Ofx::Transaction>{line(-500, "10/03/2024")} << QVector<bool>{}
            << QStringList{"3:3,2,4,1"};
        QTest::newRow("a conta vai para o pagamento mais perto dela")
            << QVector<Bill>{bill(1, 700, "11/03/2024"), bill(2, 700, "14/03/2024")} << none
            << QList<Ofx::Transaction>{line(-700, "10/03/2024"), line(-700, "11/03/2024")} << QVector<bool>{}
            << QStringList{"2:1,2", "1:1,2"};
        QTest::newRow("nenhuma conta proposta duas vezes")
            << QVector<Bill>{bill(1, 900, "10/03/2024")} << none
            << QList<Ofx::Transaction>{line(-900, "10/03/2024"), line(-900, "10/03/2024")} << QVector<bool>{}
            << QStringList{"1:1", "-:1"};
        QTest::newRow("débito paga, crédito recebe")
            << QVector<Bill>{bill(1, 1000, "10/03/2024")} << QVector<Bill>{bill(2, 1000, "10/03/2024")}
            << QList<Ofx::Transaction>{line(1000, "10/03/2024"), line(-1000, "10/03/2024")} << QVector<bool>{}
            << QStringList{"2:2", "1:1"};
        QTest::newRow("já importado, zero e conta sem vencimento ficam sem proposta")
            << QVector<Bill>{bill(1, 1100, "10/03/2024"),
                             Bill{2, Money::fromCentavos(1200), QDate(), 2, {}, {}}}
            << none
            << QList<Ofx::Transaction>{line(-1100, "10/03/2024"), line(0, "10/03/2024"),
                                       line(-1200, "10/03/2024")}
            << QVector<bool>{true, false, false} << QStringList{"-:", "-:", "-:"};
    }
    void match() {
        QFETCH(QVector<Bill>, payables);
        QFETCH(QVector<Bill>, receivables);
        QFETCH(QList<Ofx::Transaction>, lines);
        QFETCH(QVector<bool>, skip);
        QFETCH(QStringList, expected);
        const Matcher p(payables), r(receivables);
        QCOMPARE(shown(Conciliacao::propose(lines, p, r, skip), payables, receivables), expected);
    }
};

QTEST_GUILESS_MAIN(OfxTest)
#include "tst_ofx.moc"
