// The filter language as the windows use it, evaluated on a small payables ledger.

#include <QtTest>

#include "Filter.h"
#include "TempData.h"

namespace {

struct Bill {
    const char* tag;  // kept in Letra, one character
    const char* due;
    const char* paid;
    const char* reference;
    const char* creditor;
    double amount;
};

// Each bill sits on an edge of some filter.
const Bill kBills[] = {
    {"A", "10/03/2025", "", "LUZ", "CEMIG", 100},
    {"B", "10/03/2025", "10/03/2025", "LUZ ELETRICA", "CEMIG", 50},
    {"C", "09/03/2025", "", "ÁGUA", "COPASA", 30},
    {"D", "", "", "Luz", "", 20},
    {"E", "01/03/2025", "01/01/1990", "ALUGUEL", "IMOBILIARIA", 1000},
    {"F", "31/03/2025", "15/06/1950", "LUZ", "CEMIG", 7},
    {"G", "01/04/2025", "02/01/1990", "TELEFONE", "VIVO", 0},
    {"H", "15/06/2025", "15/06/1899", "GAS", "D'ÁVILA", 5},
};

QString tagsOf(Table& view) {
    QStringList tags;
    for (view.first(); !view.eof(); view.next())
        tags << view.fieldByName("letra").asString();
    tags.sort();
    return tags.join(QString());
}

}  // namespace

class FilterTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        data_ = std::make_unique<TempData>();
        for (const Bill& bill : kBills)
            addRow("tbpagar.db", {{"Letra", bill.tag},
                                  {"DataVencimento", bill.due},
                                  {"DataPagamento", bill.paid},
                                  {"Fantasia", QString::fromUtf8(bill.reference)},
                                  {"Nome", QString::fromUtf8(bill.creditor)},
                                  {"Valordocumento", bill.amount}});
    }
    void cleanup() { data_.reset(); }

    void selects_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        // Payment state: a blank payment date is lower than every date; 01/01/1990 itself is in neither test.
        QTest::newRow("unpaid alone") << "datapagamento <'01/01/1990'"
                                      << "ACDFH";
        QTest::newRow("unpaid, other spelling") << "Datapagamento < '01/01/1990'"
                                                << "ACDFH";
        QTest::newRow("paid alone") << "datapagamento>'01/01/1990'"
                                    << "BG";
        QTest::newRow("field names in any case") << "DATAPAGAMENTO>'01/01/1990'"
                                                 << "BG";
        QTest::newRow("not unpaid") << "not (datapagamento < '01/01/1990')"
                                    << "BEG";
        // Due dates: range with both ends, due today, overdue (a blank due date is overdue).
        QTest::newRow("range") << "datavencimento >='01/03/2025' and datavencimento <='31/03/2025'"
                               << "ABCEF";
        QTest::newRow("due today unpaid") << "datavencimento >='10/03/2025' and datavencimento "
                                             "<='10/03/2025' and Datapagamento < '01/01/1990'"
                                          << "A";
        QTest::newRow("overdue") << "datavencimento <'10/03/2025' and Datapagamento < '01/01/1990'"
                                 << "CD";
        QTest::newRow("range paid") << "datavencimento >='01/03/2025' and datavencimento <='31/03/2025' and "
                                       "Datapagamento>'01/01/1990'"
                                    << "B";
        // Bounds of a range: a blank end, a start after the end, a blank due date only under a bound alone.
        QTest::newRow("upper bound alone keeps blanks") << "datavencimento <='09/03/2025'"
                                                        << "CDE";
        QTest::newRow("range with a blank start") << "datavencimento >='' and datavencimento <='09/03/2025'"
                                                  << "CDE";
        QTest::newRow("range with a blank end") << "datavencimento >='01/03/2025' and datavencimento <=''"
                                                << "";
        QTest::newRow("range with both ends blank") << "datavencimento >='' and datavencimento <=''"
                                                    << "D";
        QTest::newRow("start after end") << "datavencimento >='31/03/2025' and datavencimento <='01/03/2025'"
                                         << "";
        QTest::newRow("range and an unpaid test on another field")
            << "datavencimento >='01/03/2025' and datapagamento <='01/01/1990'"
            << "ACEFH";
        QTest::newRow("either side of a range")
            << "datavencimento >='01/04/2025' or datavencimento <='01/03/2025'"
            << "DEGH";
        QTest::newRow("outside a range")
            << "not (datavencimento >='01/03/2025' and datavencimento <='31/03/2025')"
            << "DGH";
        // Names: exact and case-sensitive, prefix with a trailing asterisk.
        QTest::newRow("exact name") << "fantasia = 'LUZ'"
                                    << "AF";
        QTest::newRow("case matters") << "fantasia = 'Luz'"
                                      << "D";
        QTest::newRow("prefix") << "fantasia = 'LUZ*'"
                                << "ABF";
        QTest::newRow("accented capital") << QString::fromUtf8("fantasia = 'ÁGUA'") << "C";
        QTest::newRow("accent typed in lower case") << QString::fromUtf8("fantasia = 'áGUA'") << "";
        QTest::newRow("not a prefix") << "fantasia <> 'LUZ*'"
                                      << "CDEGH";
        QTest::newRow("prefix of one letter") << "fantasia = 'L*'"
                                              << "ABDF";
        QTest::newRow("a lone asterisk is literal") << "fantasia = '*'"
                                                    << "";
        QTest::newRow("name paid after 1930") << "fantasia = 'LUZ' and datapagamento > '01/01/1930'"
                                              << "F";
        QTest::newRow("name unpaid before 1930") << "fantasia = 'LUZ' and datapagamento < '01/01/1930'"
                                                 << "A";
        QTest::newRow("unpaid before 1900") << "fantasia = 'GAS' and datapagamento < '01/01/1900'"
                                            << "H";
        QTest::newRow("creditor") << "Nome = 'CEMIG'"
                                  << "ABF";
        QTest::newRow("doubled quote") << QString::fromUtf8("Nome = 'D''ÁVILA'") << "H";
        QTest::newRow("or") << "fantasia = 'LUZ' or fantasia = 'GAS'"
                            << "AFH";
        QTest::newRow("parentheses")
            << "(fantasia = 'LUZ' or fantasia = 'GAS') and datapagamento < '01/01/1930'"
            << "AH";
        // Numbers, quoted or not; blank counts as lower than any number.
        QTest::newRow("amount above") << "Valordocumento > '50'"
                                      << "AE";
        QTest::newRow("amount unquoted") << "valordocumento >= 50"
                                         << "ABE";
        QTest::newRow("amount typed with comma") << "valordocumento = '1.000,00'"
                                                 << "E";
        QTest::newRow("zero amount") << "Valordocumento = '0'"
                                     << "G";
        QTest::newRow("negative number") << "valordocumento > -1 and valordocumento < 6"
                                         << "GH";
        QTest::newRow("blank text") << "Nome = ''"
                                    << "D";
        QTest::newRow("is null") << "DataVencimento is null"
                                 << "D";
        QTest::newRow("constant first") << "'01/01/1990' > datapagamento"
                                        << "ACDFH";
        QTest::newRow("empty text") << ""
                                    << "ABCDEFGH";
    }

    void selects() {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        Table view(kAliasVantejaVs2, "tbpagar.db");
        view.setIndexName("Bydataven");
        view.open();
        view.setFilter(filter);
        view.setFiltered(true);
        QCOMPARE(tagsOf(view), expected);
        QCOMPARE(view.recordCount(), expected.size());
    }

    // Under a bound that lets blanks through, the view still reads in the order of its index, blanks first.
    void orderWithBlanksBelowABound() {
        Table view(kAliasVantejaVs2, "tbpagar");
        view.setIndexName("Bydataven");
        view.setFilter("datavencimento <='31/03/2025'");
        view.setFiltered(true);
        view.open();
        QString tags;
        for (view.first(); !view.eof(); view.next())
            tags += view.fieldByName("letra").asString();
        QCOMPARE(tags, QString("DECABF"));
    }

    void totalFollowsFilter() {
        Table view(kAliasVantejaVs2, "tbpagar");
        view.open();
        view.setFilter("datapagamento <'01/01/1990'");
        view.setFiltered(true);
        QCOMPARE(view.sum("valordocumento").toDouble(), 100.0 + 30 + 20 + 7 + 5);
        view.setFilter("fantasia = 'NADA'");
        QCOMPARE(view.recordCount(), 0);
        QVERIFY(view.bof() && view.eof());
        QCOMPARE(view.sum("Valordocumento").toDouble(), 0.0);
    }

    void rejects_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("message");
        QTest::newRow("quote inside a typed name") << "fantasia = 'D'AGUA'"
                                                   << "aspas";
        QTest::newRow("impossible date") << "datavencimento >='31/02/2025'"
                                         << "'31/02/2025' não é uma data válida";
        QTest::newRow("partly typed date")
            << "datavencimento >='12/3 /    ' and datavencimento <='31/03/2025'"
            << "não é uma data válida";
        QTest::newRow("two-digit year") << "datavencimento >='12/03/25'"
                                        << "não é uma data válida";
        QTest::newRow("not a number") << "valordocumento > 'abc'"
                                      << "não é um valor numérico válido";
        QTest::newRow("unknown field") << "xyz = '1'"
                                       << "campo 'xyz' não encontrado";
        QTest::newRow("no operator") << "fantasia 'LUZ'"
                                     << "operador";
        QTest::newRow("dangling and") << "fantasia = 'LUZ' and"
                                      << "Expressão de filtro inválida";
        QTest::newRow("open parenthesis") << "(fantasia = 'LUZ'"
                                          << "parêntese";
        QTest::newRow("second statement") << "fantasia = 'LUZ'; delete from tbpagar"
                                          << "caractere inesperado";
        QTest::newRow("always-true trick") << "fantasia = 'X' or '1'='1'"
                                           << "campo e um valor";
    }

    // A rejected filter raises a readable error, changes no row and leaves the view unfiltered on its first
    // row.
    void rejects() {
        QFETCH(QString, filter);
        QFETCH(QString, message);
        Table view(kAliasVantejaVs2, "tbpagar");
        view.open();
        view.setFilter("fantasia = 'LUZ'");
        view.setFiltered(true);
        QCOMPARE(view.recordCount(), 2);
        view.setFiltered(false);
        view.setFilter(filter);
        EXPECT_DATA_ERROR(view.setFiltered(true), qPrintable(message));
        QVERIFY(!view.filtered());
        QCOMPARE(view.recordCount(), 8);
        QVERIFY(view.bof());

        // Replacing the text of an active filter fails the same way.
        view.setFilter("fantasia = 'LUZ'");
        view.setFiltered(true);
        EXPECT_DATA_ERROR(view.setFilter(filter), qPrintable(message));
        QVERIFY(!view.filtered());
        QCOMPARE(view.recordCount(), 8);

        Table check(kAliasVantejaVs2, "tbpagar");
        check.open();
        QCOMPARE(check.recordCount(), 8);
    }

    void constantsAreBound() {
        const TableDef& def = *Catalogue::find("tbpagar");
        const CompiledFilter compiled =
            compileFilter("Nome = 'X'' OR 1=1 --' and datapagamento <'01/01/1990'", def);
        QVERIFY(!compiled.sql.contains("OR 1=1"));
        QCOMPARE(compiled.params.size(), 2);
        QCOMPARE(compiled.params[0].toString(), QString("X' OR 1=1 --"));
        QCOMPARE(compiled.params[1].toDate(), QDate(1990, 1, 1));
    }

    // Filtering before opening, or on a view whose index is another, gives the same rows.
    void filterBeforeOpen() {
        Table view(kAliasVantejaVs2, "tbpagar");
        view.setFilter("datapagamento>'01/01/1990'");
        view.setFiltered(true);
        view.setIndexName("byfantasia");
        view.open();
        QCOMPARE(tagsOf(view), QString("BG"));
        view.first();
        QCOMPARE(view.fieldByName("Fantasia").asString(), QString("LUZ ELETRICA"));
    }

    void badFilterKeepsViewClosed() {
        Table view(kAliasVantejaVs2, "tbpagar");
        view.setFilter("datapagamento < '99/99/9999'");
        view.setFiltered(true);
        EXPECT_DATA_ERROR(view.open(), "não é uma data válida");
        QVERIFY(!view.active());
    }

private:
    std::unique_ptr<TempData> data_;
};

QTEST_GUILESS_MAIN(FilterTest)
#include "tst_filter.moc"
