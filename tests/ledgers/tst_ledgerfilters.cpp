// The filter wording of the ledgers and the alerts, the month arithmetic and the total texts.

#include <QtTest>

#include "DataError.h"
#include "Filter.h"
#include "LedgerFilters.h"

using namespace LedgerFilters;

class LedgerFiltersTest : public QObject {
    Q_OBJECT

private slots:
    void expressions_data() {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        const QString e = kEmptyDate;
        QTest::newRow("unpaid, range")
            << unpaid("01/03/2025", "31/03/2025")
            << "datavencimento >='01/03/2025' and datavencimento <='31/03/2025' and "
               "Datapagamento < '01/01/1990'";
        QTest::newRow("unpaid, alone") << unpaid(e, e) << "datapagamento <'01/01/1990'";
        QTest::newRow("unpaid, one box") << unpaid("01/03/2025", e) << "datapagamento <'01/01/1990'";
        QTest::newRow("unpaid, partly typed counts as filled")
            << unpaid("01/03/2025", "3_/__/____")
            << "datavencimento >='01/03/2025' and datavencimento <='3_/__/____' and Datapagamento < "
               "'01/01/1990'";
        QTest::newRow("paid, range") << paid("01/03/2025", "31/03/2025")
                                     << "datavencimento >='01/03/2025' and datavencimento <='31/03/2025' and "
                                        "Datapagamento>'01/01/1990'";
        QTest::newRow("paid, alone") << paid(e, "31/03/2025") << "datapagamento>'01/01/1990'";
        QTest::newRow("due on") << dueOn("10/03/2025")
                                << "datavencimento >='10/03/2025' and datavencimento <='10/03/2025' and "
                                   "Datapagamento < '01/01/1990'";
        QTest::newRow("overdue") << overdueBefore("10/03/2025")
                                 << "datavencimento <'10/03/2025' and Datapagamento < '01/01/1990'";
        QTest::newRow("range") << dueRange("01/03/2025", "31/03/2025")
                               << "datavencimento >='01/03/2025' and datavencimento <='31/03/2025'";
        QTest::newRow("name, any") << byName(e, e, "fantasia", "LUZ*", NameTest::Any) << "fantasia = 'LUZ*'";
        QTest::newRow("name, paid 1930") << byName(e, e, "fantasia", "LUZ", NameTest::PaidAfter1930)
                                         << "fantasia = 'LUZ' and datapagamento > '01/01/1930'";
        QTest::newRow("name, unpaid 1930, range")
            << byName("01/03/2025", "31/03/2025", "fantasia", "LUZ", NameTest::UnpaidBefore1930)
            << "datavencimento >='01/03/2025' and datavencimento <='31/03/2025' and fantasia = 'LUZ' and "
               "datapagamento < '01/01/1930'";
        QTest::newRow("creditor, unpaid 1900") << byName(e, e, "Nome", "JOSE", NameTest::UnpaidBefore1900)
                                               << "Nome = 'JOSE' and datapagamento < '01/01/1900'";
        QTest::newRow("quote kept as typed")
            << byName(e, e, "Nome", "D'AVILA", NameTest::Any) << "Nome = 'D'AVILA'";
        QTest::newRow("a to z only") << upperAsciiLetters("água luz-ç 1")
                                     << QString::fromUtf8("áGUA LUZ-ç 1");
    }
    void expressions() {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    // Names are values: one with a quote is refused with the invalid-expression message, however harmless.
    void typedNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("refused");
        QTest::newRow("plain") << "LUZ" << false;
        QTest::newRow("prefix") << "LUZ*" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("double quote and operators") << "A\"B <> C = 1 or" << false;
        QTest::newRow("apostrophe") << "O'BRIEN" << true;
        QTest::newRow("closes the constant") << "X' or Nome > '" << true;
        QTest::newRow("doubled quote") << "D''AVILA" << true;
        QTest::newRow("only a quote") << "'" << true;
    }
    void typedNames() {
        QFETCH(QString, name);
        QFETCH(bool, refused);
        QString error;
        try {
            checkTypedName(name);
        } catch (const DataError& e) {
            error = e.message();
        }
        QCOMPARE(error.startsWith(kInvalidFilter), refused);
        QCOMPARE(error.isEmpty(), !refused);
    }

    void months_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QDate>("next");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::newRow("31/01/2025") << QDate(2025, 1, 31) << QDate(2025, 2, 28) << QDate(2025, 1, 1)
                                    << QDate(2025, 1, 31);
        QTest::newRow("31/01/2024 leap")
            << QDate(2024, 1, 31) << QDate(2024, 2, 29) << QDate(2024, 1, 1) << QDate(2024, 1, 31);
        QTest::newRow("15/12/2025") << QDate(2025, 12, 15) << QDate(2026, 1, 15) << QDate(2025, 12, 1)
                                    << QDate(2025, 12, 31);
        QTest::newRow("31/03/2025") << QDate(2025, 3, 31) << QDate(2025, 4, 30) << QDate(2025, 3, 1)
                                    << QDate(2025, 3, 31);
        QTest::newRow("30/01/2025") << QDate(2025, 1, 30) << QDate(2025, 2, 28) << QDate(2025, 1, 1)
                                    << QDate(2025, 1, 31);
        QTest::newRow("February 2024")
            << QDate(2024, 2, 10) << QDate(2024, 3, 10) << QDate(2024, 2, 1) << QDate(2024, 2, 29);
        QTest::newRow("copy of a copy")
            << QDate(2025, 2, 28) << QDate(2025, 3, 28) << QDate(2025, 2, 1) << QDate(2025, 2, 28);
    }
    void months() {
        QFETCH(QDate, next);
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QFETCH(QDate, day);
        QCOMPARE(nextMonth(day), next);
        QCOMPARE(monthStart(day), first);
        QCOMPARE(monthEnd(day), last);
    }
};

QTEST_GUILESS_MAIN(LedgerFiltersTest)
#include "tst_ledgerfilters.moc"
