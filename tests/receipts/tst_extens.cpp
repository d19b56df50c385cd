// Amounts in words: the three-digit groups, whole amounts with reais and centavos, the rounding of amounts
// that are not exact in binary, and the range message.

#include <cmath>
#include <limits>

#include <QtTest>

#include "Extens.h"

namespace {

const char* const RangeMessage =
    "O valor está fora do intervalo permitido.O número deve ser maior ou igual a zero e menor que "
    "999.999,99. "
    "Se não for corrigido o número não será escrito por extenso.";

void addAmount(const char* name, double amount, const char* expected) {
    QTest::newRow(name) << amount << QString::fromUtf8(expected);
}

// An accepted amount gives its words and shows nothing.
void checkWords() {
    QFETCH(double, amount);
    QFETCH(QString, expected);
    const AmountInWords outcome = ValorExtenso(amount);
    QCOMPARE(outcome.words, expected);
    QCOMPARE(outcome.problem, QString());
}

}  // namespace

class ExtensTest : public QObject {
    Q_OBJECT

private slots:
    void grupo_data() {
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("expected");
        const char* const rows[][2] = {
            {"000", ""},
            {"001", "Um"},
            {"010", "Dez"},
            {"011", "Onze"},
            {"019", "Dezenove"},
            {"020", "Vinte"},
            {"021", "Vinte e Um"},
            {"100", "Cem"},
            {"101", "Cento e Um"},
            {"110", "Cento e Dez"},
            {"111", "Cento e Onze"},
            {"999", "Novecentos e Noventa e Nove"},
            {"050", "Cinqüenta"},
            {"203", "Duzentos e Três"},
            {"714", "Setecentos e Quatorze"},
            {"816", "Oitocentos e Dezesseis"},
            {"680", "Seiscentos e Oitenta"},
            {"400", "Quatrocentos"},
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromUtf8(row[1]);
    }
    void grupo() {
        QFETCH(QString, digits);
        QFETCH(QString, expected);
        QCOMPARE(GrupoExtenso(digits), expected);
    }

    void valor_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("expected");

        addAmount("0,01", 0.01, "Um Centavo.");
        addAmount("0,50", 0.50, "Cinqüenta Centavos.");
        addAmount("1,00", 1.00, "Um Real.");
        addAmount("1,01", 1.01, "Um Real, e Um Centavo.");
        addAmount("2,00", 2.00, "Dois Reais.");
        addAmount("10,00", 10.00, "Dez Reais.");
        addAmount("15,00", 15.00, "Quinze Reais.");
        addAmount("21,00", 21.00, "Vinte e Um Reais.");
        addAmount("100,00", 100.00, "Cem Reais.");
        addAmount("101,00", 101.00, "Cento e Um Reais.");
        addAmount("110,00", 110.00, "Cento e Dez Reais.");
        addAmount("1.000,00", 1000.00, "Um Mil Reais.");
        addAmount("1.000,50", 1000.50, "Um Mil Reais, e Cinqüenta Centavos.");
        addAmount("1.001,00", 1001.00, "Um Mil, e Um Reais.");
        addAmount("2.345,67", 2345.67,
                  "Dois Mil, e Trezentos e Quarenta e Cinco Reais, e Sessenta e Sete Centavos.");
        addAmount("3.423,89", 3423.89,
                  "Três Mil, e Quatrocentos e Vinte e Três Reais, e Oitenta e Nove Centavos.");
        addAmount("100.000,00", 100000.00, "Cem Mil Reais.");
        addAmount("100.100,00", 100100.00, "Cem Mil, e Cem Reais.");
        addAmount("101.000,00", 101000.00, "Cento e Um Mil Reais.");
        addAmount("999.999,99", 999999.99,
                  "Novecentos e Noventa e Nove Mil, e Novecentos e Noventa e Nove Reais, e Noventa e Nove "
                  "Centavos.");

        // "Cem" only for exactly one hundred, in either group.
        addAmount("199,00", 199.00, "Cento e Noventa e Nove Reais.");
        addAmount("120,00", 120.00, "Cento e Vinte Reais.");
        addAmount("100.001,00", 100001.00, "Cem Mil, e Um Reais.");
        addAmount("150.150,00", 150150.00, "Cento e Cinqüenta Mil, e Cento e Cinqüenta Reais.");

        // Ten from the tens table, eleven to nineteen from the special one.
        addAmount("11,00", 11.00, "Onze Reais.");
        addAmount("19,00", 19.00, "Dezenove Reais.");
        addAmount("20,00", 20.00, "Vinte Reais.");
        addAmount("12.013,00", 12013.00, "Doze Mil, e Treze Reais.");

        // Whole thousands have no words for the units group.
        addAmount("2.000,00", 2000.00, "Dois Mil Reais.");
        addAmount("2.000,01", 2000.01, "Dois Mil Reais, e Um Centavo.");
        addAmount("999.000,00", 999000.00, "Novecentos e Noventa e Nove Mil Reais.");
        addAmount("5.010,00", 5010.00, "Cinco Mil, e Dez Reais.");

        // Singular only for one real with no thousands, and for one centavo.
        addAmount("1,99", 1.99, "Um Real, e Noventa e Nove Centavos.");
        addAmount("1.001,01", 1001.01, "Um Mil, e Um Reais, e Um Centavo.");
        addAmount("2,01", 2.01, "Dois Reais, e Um Centavo.");
        addAmount("0,02", 0.02, "Dois Centavos.");
        addAmount("0,10", 0.10, "Dez Centavos.");
        addAmount("0,11", 0.11, "Onze Centavos.");
        addAmount("0,99", 0.99, "Noventa e Nove Centavos.");
    }
    void valor() { checkWords(); }

    // The cents are those of the amount as written in decimal, rounded half away from zero: a double just
    // below a half (1.005 is stored as 1.00499...) still rounds up, and an exact half (0.125) goes up, not to
    // even.
    void rounding_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("expected");

        addAmount("0.29 stored below", 0.29, "Vinte e Nove Centavos.");
        addAmount("1.005 stored below the half", 1.005, "Um Real, e Um Centavo.");
        addAmount("0.015 stored below the half", 0.015, "Dois Centavos.");
        addAmount("2.675 stored below the half", 2.675, "Dois Reais, e Sessenta e Oito Centavos.");
        addAmount("0.125 exact half", 0.125, "Treze Centavos.");
        addAmount("0.005 up to one centavo", 0.005, "Um Centavo.");
        addAmount("0.0149 down", 0.0149, "Um Centavo.");
        addAmount("2345.674 down", 2345.674,
                  "Dois Mil, e Trezentos e Quarenta e Cinco Reais, e Sessenta e Sete Centavos.");
        addAmount("0.995 carries into reais", 0.995, "Um Real.");
        addAmount("9.995 carries into the tens", 9.995, "Dez Reais.");
        addAmount("999.995 carries into thousands", 999.995, "Um Mil Reais.");
        addAmount("99999.995 carries to one hundred thousand", 99999.995, "Cem Mil Reais.");
        addAmount("999999.985 up to the bound", 999999.985,
                  "Novecentos e Noventa e Nove Mil, e Novecentos e Noventa e Nove Reais, e Noventa e Nove "
                  "Centavos.");
        // Below half a centavo nothing is left to write once rounded: as for zero, no words at all.
        addAmount("0.004 rounds to nothing", 0.004, "");
        addAmount("0.005 rounds to one centavo", 0.005, "Um Centavo.");
    }
    void rounding() { checkWords(); }

    void outOfRange_data() {
        QTest::addColumn<double>("amount");
        QTest::newRow("1.000.000,00") << 1000000.00;
        QTest::newRow("999.999,995") << 999999.995;
        QTest::newRow("just above 999.999,99") << std::nextafter(999999.99, 2e6);
        QTest::newRow("-0,01") << -0.01;
        QTest::newRow("-1.000,00") << -1000.00;
        QTest::newRow("smallest negative") << -std::numeric_limits<double>::denorm_min();
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
    }
    void outOfRange() {
        QFETCH(double, amount);
        const AmountInWords outcome = ValorExtenso(amount);
        QCOMPARE(outcome.words, QString());
        QCOMPARE(outcome.problem, QString::fromUtf8(RangeMessage));
    }

    void zero() {
        for (double zero : {0.0, -0.0}) {
            const AmountInWords outcome = ValorExtenso(zero);
            QCOMPARE(outcome.words, QString());
            QCOMPARE(outcome.problem, QString());
        }
    }
};

QTEST_GUILESS_MAIN(ExtensTest)
#include "tst_extens.moc"
