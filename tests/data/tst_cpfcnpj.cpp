// CPF/CNPJ punctuation by length and the check digits, numeric and alphanumeric.

#include <QtTest>

#include "CpfCnpj.h"

Q_DECLARE_METATYPE(CpfCnpjCheck)

class CpfCnpjTest : public QObject {
    Q_OBJECT

private slots:
    void punctuation_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("cpf digits") << "52998224725"
                                    << "529.982.247-25";
        QTest::newRow("cnpj digits") << "11222333000181"
                                     << "11.222.333/0001-81";
        QTest::newRow("cpf already punctuated") << "529.982.247-25"
                                                << "529.982.247-25";
        QTest::newRow("cnpj already punctuated") << "11.222.333/0001-81"
                                                 << "11.222.333/0001-81";
        QTest::newRow("punctuated elsewhere") << "5-2/9.98224725"
                                              << "529.982.247-25";
        QTest::newRow("alphanumeric cnpj") << "12ABC34501DE35"
                                           << "12.ABC.345/01DE-35";
        QTest::newRow("ten digits") << "5299822472"
                                    << "5299822472";
        QTest::newRow("ten digits punctuated") << "529.982.247-2"
                                               << "5299822472";
        QTest::newRow("eleven with a blank") << "529982 24725"
                                             << "529982 24725";
        QTest::newRow("eleven made of ten and a blank") << "52998 22472"
                                                        << "529.98 .224-72";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("only punctuation") << "..-/"
                                          << "";
        QTest::newRow("letters by length") << "ABCDEFGHIJK"
                                           << "ABC.DEF.GHI-JK";
        // Characters are counted, not UTF-16 units: an emoji is one character and is never split.
        QTest::newRow("ten characters, an emoji among them")
            << QString::fromUtf8("12😀4567890") << QString::fromUtf8("12😀4567890");
        QTest::newRow("eleven characters with an emoji")
            << QString::fromUtf8("1234567890😀") << QString::fromUtf8("123.456.789-0😀");
        QTest::newRow("fourteen characters with an emoji")
            << QString::fromUtf8("😀1222333000181") << QString::fromUtf8("😀1.222.333/0001-81");
        QTest::newRow("ten characters with an emoji")
            << QString::fromUtf8("123456789😀") << QString::fromUtf8("123456789😀");
        QTest::newRow("lone surrogate counts one")
            << QString("1234567890") + QChar(0xD800) << QString("123.456.789-0") + QChar(0xD800);
    }
    void punctuation() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(FormataCpfCnpj(typed), stored);
        QCOMPARE(FormataCpfCnpj(FormataCpfCnpj(typed)), stored);
    }

    void checkDigits_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<CpfCnpjCheck>("verdict");
        const auto valid = CpfCnpjCheck::Valid;
        const auto invalid = CpfCnpjCheck::Invalid;
        const auto none = CpfCnpjCheck::NotANumber;
        QTest::newRow("cpf") << "52998224725" << valid;
        QTest::newRow("cpf punctuated") << "111.444.777-35" << valid;
        QTest::newRow("cpf second digit 0") << "123.456.789-09" << valid;
        QTest::newRow("cpf wrong first digit") << "529.982.247-35" << invalid;
        QTest::newRow("cpf wrong second digit") << "52998224726" << invalid;
        QTest::newRow("cpf swapped digits") << "259.982.247-25" << invalid;
        QTest::newRow("cpf repeated") << "111.111.111-11" << invalid;
        QTest::newRow("cpf with a letter") << "52998224A25" << invalid;
        QTest::newRow("cnpj") << "11.222.333/0001-81" << valid;
        QTest::newRow("cnpj banco do brasil") << "00.000.000/0001-91" << valid;
        QTest::newRow("cnpj petrobras") << "33000167000101" << valid;
        QTest::newRow("cnpj wrong digits") << "11.222.333/0001-80" << invalid;
        QTest::newRow("cnpj repeated") << "00000000000000" << invalid;
        QTest::newRow("alphanumeric cnpj") << "12ABC34501DE35" << valid;
        QTest::newRow("alphanumeric cnpj punctuated") << "12.ABC.345/01DE-35" << valid;
        QTest::newRow("alphanumeric cnpj wrong digit") << "12.ABC.345/01DE-36" << invalid;
        QTest::newRow("alphanumeric cnpj other letter") << "12.ABD.345/01DE-35" << invalid;
        QTest::newRow("letter as check digit") << "12ABC34501DE3A" << invalid;
        QTest::newRow("small letters") << "12abc34501de35" << invalid;
        QTest::newRow("blank inside cpf") << "529982 24725" << none;
        QTest::newRow("ten digits") << "5299822472" << none;
        QTest::newRow("empty") << "" << none;
        QTest::newRow("surrounding blanks") << " 52998224725 " << valid;
        QTest::newRow("emoji making eleven") << QString::fromUtf8("5299822472😀") << invalid;
        QTest::newRow("emoji making twelve units") << QString::fromUtf8("529982247😀") << none;
    }
    void checkDigits() {
        QFETCH(QString, number);
        QFETCH(CpfCnpjCheck, verdict);
        QCOMPARE(checkCpfCnpj(number), verdict);
    }
};

QTEST_APPLESS_MAIN(CpfCnpjTest)
#include "tst_cpfcnpj.moc"
