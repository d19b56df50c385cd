// Speed of reconciling a bank statement: a statement of 5,000 lines (half of them payments of open bills, a
// few days off their due dates, the rest amounts of no bill) matched against a payables ledger of 100,000
// rows of which three in ten are open. Prints the time to read the statement file through libofx, to read the
// open bills, and to match, the last being the one that must stay under a second. Figures only: nothing here
// fails.
//   bench_ofx [ROWS [LINES]]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include "Conciliacao.h"
#include "Database.h"
#include "LedgerData.h"
#include "Ofx.h"
#include "Schema.h"

namespace {

QTextStream out(stdout);

// A 1.x statement as Brazilian banks write it, one line per payment.
QByteArray statementOf(const QList<Ofx::Transaction>& lines) {
    QByteArray s =
        "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\nENCODING:USASCII\r\nCHARSET:"
        "1252\r\n"
        "COMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n<OFX>\r\n<BANKMSGSRSV1><STMTTRNRS><"
        "TRNUID>1"
        "<STATUS><CODE>0<SEVERITY>INFO</STATUS><STMTRS><CURDEF>BRL<BANKACCTFROM><BANKID>0341<ACCTID>12345-6"
        "<ACCTTYPE>CHECKING</BANKACCTFROM>\r\n<BANKTRANLIST><DTSTART>20200101<DTEND>20301231\r\n";
    int n = 0;
    for (const Ofx::Transaction& t : lines) {
        const QByteArray id = QByteArray::number(++n);
        s += "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>" + t.date.toString(QStringLiteral("yyyyMMdd")).toLatin1() +
             "100000[-3:BRT]<TRNAMT>" + QByteArray::number(double(t.amount.centavos()) / 100.0, 'f', 2) +
             "<FITID>" + id + "<MEMO>PAGAMENTO " + id + "\r\n</STMTTRN>\r\n";
    }
    return s +
           "</BANKTRANLIST><LEDGERBAL><BALAMT>0<DTASOF>20301231</LEDGERBAL></STMTRS></STMTTRNRS>"
           "</BANKMSGSRSV1>\r\n</OFX>\r\n";
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const int count = argc > 2 ? QByteArray(argv[2]).toInt() : 5000;
    QTemporaryDir dir;
    const QString folder = dataFolderFor(dir.path());
    writeDataFolder(folder);
    const QDate today(2026, 12, 9);
    generateLedger(QDir(folder).filePath(kDataFileName), rows, today);
    defineStandardDatabases(dir.path());

    QElapsedTimer timer;
    timer.start();
    const QVector<Conciliacao::Bill> bills = Conciliacao::openBills(true);
    const double readBills = timer.nsecsElapsed() / 1e6;

    QRandomGenerator random(20250310);
    QList<Ofx::Transaction> lines;
    for (int i = 0; i < count; ++i) {
        Ofx::Transaction t;
        if (i % 2 == 0 && !bills.isEmpty()) {
            const Conciliacao::Bill& b = bills[random.bounded(bills.size())];
            t.amount = Money::fromCentavos(-b.value.centavos());
            t.date = (b.due.isValid() ? b.due : today).addDays(random.bounded(11) - 5);
        } else {
            t.amount = Money::fromCentavos(-qint64(random.bounded(1, 1000000)));
            t.date = today.addDays(-random.bounded(3650));
        }
        lines << t;
    }
    const QString file = dir.filePath(QStringLiteral("extrato.ofx"));
    QFile written(file);
    written.open(QIODevice::WriteOnly);
    written.write(statementOf(lines));
    written.close();

    timer.restart();
    const Ofx::Statement statement = Ofx::read(file);
    const double readFile = timer.nsecsElapsed() / 1e6;

    timer.restart();
    const Conciliacao::Matcher payables(bills);
    const Conciliacao::Matcher receivables({});
    const QVector<Conciliacao::Proposal> proposals =
        Conciliacao::propose(statement.transactions, payables, receivables);
    const double matching = timer.nsecsElapsed() / 1e6;

    int matched = 0;
    for (const Conciliacao::Proposal& p : proposals)
        if (p.chosen >= 0) ++matched;
    out << QStringLiteral("ledger %1 rows, %2 open; statement %3 lines, %4 matched\n")
               .arg(rows)
               .arg(bills.size())
               .arg(statement.transactions.size())
               .arg(matched);
    out << QStringLiteral("read statement (libofx): %1 ms\n").arg(readFile, 0, 'f', 1);
    out << QStringLiteral("read open bills:         %1 ms\n").arg(readBills, 0, 'f', 1);
    out << QStringLiteral("match (index + propose): %1 ms  (target < 1000 ms)\n").arg(matching, 0, 'f', 1);
    return 0;
}
