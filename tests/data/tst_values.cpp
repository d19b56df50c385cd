// Brazilian number and date formats, and the conversions between typed text and stored values.

#include <QtTest>

#include "Catalogue.h"
#include "DataError.h"
#include "Values.h"

namespace {

const FieldDef& fieldOf(const QString& table, const QString& field) {
    const TableDef* def = Catalogue::find(table);
    if (!def) qFatal("unknown table %s", qPrintable(table));
    const int index = def->fieldIndex(field);
    if (index < 0) qFatal("unknown field %s.%s", qPrintable(table), qPrintable(field));
    return def->fields[index];
}

bool isNullValue(const QVariant& value) {
    return !value.isValid() || value.isNull();
}

// The message of the DataError `call` raises, or a null string when it raises none.
template <typename Call>
QString errorOf(Call call) {
    try {
        call();
    } catch (const DataError& error) {
        return error.message();
    }
    return QString();
}

}  // namespace

class ValuesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { defaultLocale_ = QLocale(); }
    void cleanup() { QLocale::setDefault(defaultLocale_); }

    void formatFloat_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("expected");
        // Document and order numbers.
        QTest::newRow("six digits") << 41.0 << "000000"
                                    << "000041";
        QTest::newRow("six digits, zero") << 0.0 << "000000"
                                          << "000000";
        QTest::newRow("six digits, rounded") << 41.6 << "000000"
                                             << "000042";
        QTest::newRow("six digits, half rounds up") << 2.5 << "000000"
                                                    << "000003";
        QTest::newRow("six digits, wider number") << 1234567.0 << "000000"
                                                  << "1234567";
        QTest::newRow("four digits") << 7.0 << "0000"
                                     << "0007";
        QTest::newRow("four digits, wider number") << 12345.0 << "0000"
                                                   << "12345";
        // Money with thousands grouping.
        QTest::newRow("money") << 1234.5 << "###,##0.00"
                               << "1.234,50";
        QTest::newRow("money, zero") << 0.0 << "###,##0.00"
                                     << "0,00";
        QTest::newRow("money, below one") << 0.5 << "###,##0.00"
                                          << "0,50";
        QTest::newRow("money, negative") << -1234.5 << "###,##0.00"
                                         << "-1.234,50";
        QTest::newRow("money, six digits") << 999999.99 << "###,##0.00"
                                           << "999.999,99";
        QTest::newRow("money, millions") << 1234567.891 << "###,##0.00"
                                         << "1.234.567,89";
        QTest::newRow("money, half a cent") << 0.005 << "###,##0.00"
                                            << "0,01";
        QTest::newRow("money, rounding carries into a group") << 999.996 << "###,##0.00"
                                                              << "1.000,00";
        QTest::newRow("money, negative rounding to zero") << -0.004 << "###,##0.00"
                                                          << "0,00";
        QTest::newRow("money, three digits") << 150.5 << "###,##0.00"
                                             << "150,50";
        // Ledger amounts: no grouping.
        QTest::newRow("ledger amount") << 1234.5 << "########0.00"
                                       << "1234,50";
        QTest::newRow("ledger amount, zero") << 0.0 << "########0.00"
                                             << "0,00";
        QTest::newRow("ledger amount, negative") << -1234.5 << "########0.00"
                                                 << "-1234,50";
        QTest::newRow("ledger amount, millions") << 1234567.891 << "########0.00"
                                                 << "1234567,89";
    }
    void formatFloat() {
        QFETCH(double, value);
        QFETCH(QString, picture);
        QFETCH(QString, expected);
        QCOMPARE(Values::formatFloat(value, picture), expected);
    }

    void formatNumber_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("thousands") << 2345.5 << "2.345,50";
        QTest::newRow("negative") << -49.5 << "-49,50";
        QTest::newRow("hundreds") << 150.5 << "150,50";
        QTest::newRow("zero") << 0.0 << "0,00";
        QTest::newRow("millions") << 1234567.8 << "1.234.567,80";
        QTest::newRow("negative thousands") << -2345.5 << "-2.345,50";
    }
    void formatNumber() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(Values::formatNumber(value), expected);
    }

    void parseDate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");  // invalid for a blank text
        QTest::newRow("two-digit day and month") << "01/03/2025" << QDate(2025, 3, 1);
        QTest::newRow("one-digit day and month") << "1/3/2025" << QDate(2025, 3, 1);
        QTest::newRow("day first") << "31/12/2024" << QDate(2024, 12, 31);
        QTest::newRow("leap day") << "29/02/2024" << QDate(2024, 2, 29);
        QTest::newRow("blank mask") << "  /  /    " << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void parseDate() {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QDate date;
        const QString error = errorOf([&] { date = Values::parseDate(text); });
        QVERIFY2(error.isNull(), qPrintable(error));
        QCOMPARE(date.isValid(), expected.isValid());
        QCOMPARE(date, expected);
    }

    void parseDateRejects_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("impossible day") << "31/02/2025";
        QTest::newRow("not a leap year") << "29/02/2025";
        QTest::newRow("month thirteen") << "01/13/2025";
        QTest::newRow("day zero") << "00/03/2025";
        QTest::newRow("year missing") << "12/3 /    ";
        QTest::newRow("two-digit year") << "12/03/25";
        QTest::newRow("letters") << "abc";
    }
    void parseDateRejects() {
        QFETCH(QString, text);
        const QString error = errorOf([&] { Values::parseDate(text); });
        QVERIFY2(!error.isNull(), "no DataError raised");
        QVERIFY2(error.contains(u"não é uma data válida"), qPrintable(error));
        QVERIFY2(error.contains(text), qPrintable(error));
    }

    void parseNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("expected");  // null for a blank text
        QTest::newRow("decimal comma") << "1234,56" << QVariant(1234.56);
        QTest::newRow("thousands point") << "1.234,56" << QVariant(1234.56);
        QTest::newRow("millions") << "1.234.567,8" << QVariant(1234567.8);
        QTest::newRow("grouping without decimals") << "1.234" << QVariant(1234.0);
        QTest::newRow("negative integer") << "-3" << QVariant(-3.0);
        QTest::newRow("explicit plus") << "+7" << QVariant(7.0);
        QTest::newRow("no integer part") << ",5" << QVariant(0.5);
        QTest::newRow("surrounding blanks") << " 12,5 " << QVariant(12.5);
        QTest::newRow("empty") << "" << QVariant();
        QTest::newRow("blanks") << "   " << QVariant();
    }
    void parseNumber() {
        QFETCH(QString, text);
        QFETCH(QVariant, expected);
        QVariant number;
        const QString error = errorOf([&] { number = Values::parseNumber(text); });
        QVERIFY2(error.isNull(), qPrintable(error));
        if (isNullValue(expected)) {
            QVERIFY(isNullValue(number));
        } else {
            QCOMPARE(number.typeId(), int(QMetaType::Double));
            QCOMPARE(number.toDouble(), expected.toDouble());
        }
    }

    void parseNumberRejects_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("two points") << "1.2.3";
        QTest::newRow("trailing letter") << "12a";
        QTest::newRow("two commas") << "1,2,3";
        QTest::newRow("short group") << "1.23,4";
        QTest::newRow("point as decimal separator") << "12.5";
        QTest::newRow("sign alone") << "-";
        QTest::newRow("comma alone") << ",";
        QTest::newRow("inner blank") << "1 234";
        QTest::newRow("group after a leading zero") << "0.500";
        QTest::newRow("group after zeros") << "00.500,00";
    }
    void parseNumberRejects() {
        QFETCH(QString, text);
        const QString error = errorOf([&] { Values::parseNumber(text); });
        QVERIFY2(!error.isNull(), "no DataError raised");
        QVERIFY2(error.contains(u"não é um valor numérico válido"), qPrintable(error));
    }

    // Amounts are rounded once, on the digits as typed: words and figure come from the same value.
    void parseAmount_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("half rounds up") << "1,005" << 1.01;
        QTest::newRow("below half") << "1,00499" << 1.0;
        QTest::newRow("carry into the whole") << "999,995" << 1000.0;
        QTest::newRow("carry from nines") << "9.999,999" << 10000.0;
        QTest::newRow("negative away from zero") << "-2,345" << -2.35;
        QTest::newRow("no integer part") << ",125" << 0.13;
        QTest::newRow("two decimals kept") << "1.555,23" << 1555.23;
        QTest::newRow("plain") << "15" << 15.0;
    }
    void parseAmount() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(Values::parseAmount(text).toDouble(), expected);
        QCOMPARE(Values::formatNumber(Values::parseAmount(text).toDouble()), Values::formatNumber(expected));
    }

    void toFieldValue_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<QVariant>("expected");  // null when the field stores nothing
        const QString longText = QStringLiteral("Distribuidora de Bebidas São José Ltda");
        QTest::newRow("text cut to the field's size")
            << "tbpagar"
            << "Fantasia" << QVariant(longText) << QVariant(longText.left(30));
        QTest::newRow("text within the size") << "tbpagar"
                                              << "Fantasia" << QVariant("LUZ") << QVariant("LUZ");
        QTest::newRow("empty text") << "tbpagar"
                                    << "Fantasia" << QVariant("") << QVariant();
        QTest::newRow("null text") << "tbpagar"
                                   << "Fantasia" << QVariant() << QVariant();
        QTest::newRow("date into text")
            << "tbpagar"
            << "Fantasia" << QVariant(QDate(2025, 3, 10)) << QVariant("10/03/2025");
        QTest::newRow("number into text") << "tbpagar"
                                          << "Fantasia" << QVariant(12.5) << QVariant("12,5");
        QTest::newRow("typed amount") << "tbpagar"
                                      << "Valordocumento" << QVariant("1.234,50") << QVariant(1234.5);
        QTest::newRow("blank amount") << "tbpagar"
                                      << "Valordocumento" << QVariant("") << QVariant();
        QTest::newRow("integer into a float") << "tbpagar"
                                              << "Valordocumento" << QVariant(3) << QVariant(3.0);
        QTest::newRow("typed integer") << "c_cliente"
                                       << "Codigo" << QVariant("12") << QVariant(12);
        QTest::newRow("typed integer with grouping") << "c_cliente"
                                                     << "Codigo" << QVariant("1.234") << QVariant(1234);
        QTest::newRow("typed date") << "tbpagar"
                                    << "DataVencimento" << QVariant("10/03/2025")
                                    << QVariant(QDate(2025, 3, 10));
        QTest::newRow("blank date mask") << "tbpagar"
                                         << "DataVencimento" << QVariant("  /  /    ") << QVariant();
        QTest::newRow("invalid date") << "tbpagar"
                                      << "DataVencimento" << QVariant(QDate()) << QVariant();
        QTest::newRow("date and time")
            << "tbpagar"
            << "DataVencimento" << QVariant(QDateTime(QDate(2025, 3, 10), QTime(14, 30)))
            << QVariant(QDate(2025, 3, 10));
    }
    void toFieldValue() {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QVariant, input);
        QFETCH(QVariant, expected);
        const FieldDef& def = fieldOf(table, field);
        QVariant stored;
        const QString error = errorOf([&] { stored = Values::toFieldValue(def, input); });
        QVERIFY2(error.isNull(), qPrintable(error));
        if (isNullValue(expected)) {
            QVERIFY2(isNullValue(stored), qPrintable(stored.toString()));
            return;
        }
        QCOMPARE(stored.typeId(), expected.typeId());
        QCOMPARE(stored, expected);
    }

    void toFieldValueRejects_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("letters into a float") << "tbpagar"
                                              << "Valordocumento"
                                              << "abc"
                                              << "não é um valor numérico válido";
        QTest::newRow("letters into a currency") << "tbpagar"
                                                 << "ValorChequeTerc"
                                                 << "abc"
                                                 << "não é um valor numérico válido";
        QTest::newRow("fraction into an integer") << "c_cliente"
                                                  << "Codigo"
                                                  << "12,5"
                                                  << "não é um número inteiro válido";
        QTest::newRow("letters into an integer") << "c_cliente"
                                                 << "Codigo"
                                                 << "doze"
                                                 << "não é um valor numérico válido";
        QTest::newRow("impossible date") << "tbpagar"
                                         << "DataVencimento"
                                         << "31/02/2025"
                                         << "não é uma data válida";
        QTest::newRow("partly typed date") << "tbpagar"
                                           << "DataVencimento"
                                           << "12/03/    "
                                           << "não é uma data válida";
    }
    void toFieldValueRejects() {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, fragment);
        const FieldDef& def = fieldOf(table, field);
        const QString error = errorOf([&] { Values::toFieldValue(def, text); });
        QVERIFY2(!error.isNull(), "no DataError raised");
        QVERIFY2(error.contains(fragment), qPrintable(error));
    }

    void asStringAndDisplayText_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("asString");
        QTest::addColumn<QString>("displayText");
        QTest::newRow("null date") << "tbpagar"
                                   << "DataVencimento" << QVariant() << ""
                                   << ""
                                   << "";
        QTest::newRow("null amount") << "tbpagar"
                                     << "Valordocumento" << QVariant() << "########0.00"
                                     << ""
                                     << "";
        QTest::newRow("null text") << "tbpagar"
                                   << "Fantasia" << QVariant() << ""
                                   << ""
                                   << "";
        QTest::newRow("null integer") << "c_cliente"
                                      << "Codigo" << QVariant() << "000000"
                                      << ""
                                      << "";
        QTest::newRow("date") << "tbpagar"
                              << "DataVencimento" << QVariant(QDate(2025, 3, 10)) << ""
                              << "10/03/2025"
                              << "10/03/2025";
        QTest::newRow("date, padded") << "tbpagar"
                                      << "DataPagamento" << QVariant(QDate(2025, 1, 2)) << ""
                                      << "02/01/2025"
                                      << "02/01/2025";
        QTest::newRow("amount") << "tbpagar"
                                << "Valordocumento" << QVariant(1234.5) << "########0.00"
                                << "1234,5"
                                << "1234,50";
        QTest::newRow("amount without a format") << "tbpagar"
                                                 << "Valordocumento" << QVariant(1234.5) << ""
                                                 << "1234,5"
                                                 << "1234,5";
        QTest::newRow("whole amount") << "tbpagar"
                                      << "Valordocumento" << QVariant(41.0) << ""
                                      << "41"
                                      << "41";
        QTest::newRow("money") << "tbpagar"
                               << "ValorChequeTerc" << QVariant(1234.5) << "###,##0.00"
                               << "1234,5"
                               << "1.234,50";
        QTest::newRow("number") << "tbpagar"
                                << "DocParcela" << QVariant(41.0) << "000000"
                                << "41"
                                << "000041";
        QTest::newRow("integer") << "c_cliente"
                                 << "Codigo" << QVariant(7) << ""
                                 << "7"
                                 << "7";
        QTest::newRow("integer with a format") << "cadastro"
                                               << "Codigo" << QVariant(7) << "000000"
                                               << "7"
                                               << "000007";
        QTest::newRow("text ignores a format") << "tbpagar"
                                               << "Fantasia" << QVariant("LUZ") << "000000"
                                               << "LUZ"
                                               << "LUZ";
    }
    void asStringAndDisplayText() {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        QFETCH(QString, asString);
        QFETCH(QString, displayText);
        const FieldDef& def = fieldOf(table, field);
        QCOMPARE(Values::asString(def, value), asString);
        QCOMPARE(Values::displayText(def, value, format), displayText);
    }

    // The formats the fields declare are the ones the windows show.
    void declaredFormats_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("payable instalment") << "tbpagar"
                                            << "DocParcela" << QVariant(41.0) << "000041";
        QTest::newRow("receivable code") << "tbreceber"
                                         << "Codigo" << QVariant(0.0) << "000000";
        QTest::newRow("payable amount") << "tbpagar"
                                        << "Valordocumento" << QVariant(1234.5) << "1234,50";
        QTest::newRow("receivable face value") << "tbreceber"
                                               << "ValorTitulo" << QVariant(0.0) << "0,00";
        QTest::newRow("third-party cheque") << "tbreceber"
                                            << "ValorChequeTerc" << QVariant(1234.5) << "1.234,50";
        QTest::newRow("supplier code") << "tbfornecedor"
                                       << "Codigo" << QVariant(41.0) << "0041";
        QTest::newRow("receipt code") << "cadastro"
                                      << "Codigo" << QVariant(41) << "000041";
        QTest::newRow("note code") << "BD_NP"
                                   << "Codigo" << QVariant(41.0) << "000041";
    }
    void declaredFormats() {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        const FieldDef& def = fieldOf(table, field);
        QCOMPARE(Values::displayText(def, value, def.displayFormat), expected);
    }

    void independentOfLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("English, United States") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("German, Germany") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("French, Switzerland") << QLocale(QLocale::French, QLocale::Switzerland);
        QTest::newRow("Portuguese, Brazil") << QLocale(QLocale::Portuguese, QLocale::Brazil);
        QTest::newRow("C") << QLocale::c();
    }
    void independentOfLocale() {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        const FieldDef& amount = fieldOf("tbpagar", "Valordocumento");
        const FieldDef& due = fieldOf("tbpagar", "DataVencimento");
        QCOMPARE(Values::formatFloat(1234.5, "###,##0.00"), QStringLiteral("1.234,50"));
        QCOMPARE(Values::formatFloat(1234567.891, "###,##0.00"), QStringLiteral("1.234.567,89"));
        QCOMPARE(Values::formatNumber(-2345.5), QStringLiteral("-2.345,50"));
        QCOMPARE(Values::floatToText(12.5), QStringLiteral("12,5"));
        QCOMPARE(Values::parseNumber("1.234,50").toDouble(), 1234.5);
        QCOMPARE(Values::toFieldValue(amount, QStringLiteral("1.234,50")).toDouble(), 1234.5);
        QCOMPARE(Values::displayText(amount, 1234.5, amount.displayFormat), QStringLiteral("1234,50"));
        QCOMPARE(Values::parseDate("01/03/2025"), QDate(2025, 3, 1));
        QCOMPARE(Values::displayText(due, QDate(2025, 3, 1), QString()), QStringLiteral("01/03/2025"));
        QCOMPARE(Values::dateToIso(QDate(2025, 3, 1)), QStringLiteral("2025-03-01"));
    }

private:
    QLocale defaultLocale_;
};

QTEST_GUILESS_MAIN(ValuesTest)
#include "tst_values.moc"
