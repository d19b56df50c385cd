// The program's statements, run as the windows write them, on rows stored through table views.

#include <QtTest>
#include <functional>
#include <memory>

#include "Database.h"
#include "Query.h"
#include "Sqlite.h"
#include "TempData.h"
#include "Values.h"

namespace {

const QString kLogin = QStringLiteral(" SELECT * FROM USUARIOS WHERE Login = :vNome AND Senha = :vSenha");

// How the cash-flow window writes a date into its statements.
QString usDate(const QDate& date) {
    return date.toString(QStringLiteral("MM/dd/yyyy"));
}

QStringList columnNames(const Query& query) {
    QStringList names;
    for (int i = 0; i < query.fieldCount(); ++i)
        names << query.fieldDef(i).name;
    return names;
}

// Walks the rows the Delphi way and collects one field as text.
QStringList valuesOf(Query& query, const QString& field) {
    QStringList values;
    for (query.first(); !query.eof(); query.next())
        values << query.fieldByName(field).asString();
    return values;
}

int tableRows(const QString& table) {
    Table view(kAliasVantejaVs2, table);
    view.open();
    return view.recordCount();
}

void addUser(const QString& login, const QString& password, const QString& status) {
    addRow("USUARIOS", {{"NOME", login}, {"LOGIN", login}, {"SENHA", password}, {"STATUS", status}});
}

struct Entry {
    const char* reference;
    const char* due;
    const char* paid;
    double amount;
};

// Each entry sits on an edge of March 2025, by payment or by due date; stored out of date order.
const Entry kEntries[] = {
    {"Meio", "10/03/2025", "15/03/2025", 200},   {"Abril", "20/03/2025", "01/04/2025", 400},
    {"Fim", "31/03/2025", "31/03/2025", 300},    {"Fevereiro", "28/02/2025", "28/02/2025", 50},
    {"Inicio", "28/02/2025", "01/03/2025", 100}, {"Aberto meio", "12/03/2025", "", 20},
    {"Aberto fim", "31/03/2025", "", 30},        {"Aberto abril", "01/04/2025", "", 40},
    {"Aberto inicio", "01/03/2025", "", 10},     {"Aberto fevereiro", "28/02/2025", "", 5},
};

// Both ledgers get the same entries, told apart by a prefix, so a row leaking from the other ledger shows.
void addLedgers() {
    for (const auto& [table, prefix] : {std::pair{"tbreceber", "R "}, std::pair{"tbpagar", "P "}})
        for (const Entry& entry : kEntries)
            addRow(table, {{"Fantasia", prefix + QString::fromUtf8(entry.reference)},
                           {"DataVencimento", entry.due},
                           {"DataPagamento", entry.paid},
                           {"Valordocumento", entry.amount}});
}

}  // namespace

class QueryTest : public QObject {
    Q_OBJECT

private slots:
    void init() { data_ = std::make_unique<TempData>(); }
    void cleanup() { data_.reset(); }

    void login_data() {
        QTest::addColumn<QList<QStringList>>(
            "users");  // added beside the shipped one: login, password, status
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("matching");
        QTest::addColumn<int>("allowed");
        QTest::newRow("shipped user") << QList<QStringList>() << "WEJ"
                                      << "wej" << 1 << 1;
        QTest::newRow("user not allowed") << QList<QStringList>{{"ANA", "ana", "N"}} << "ANA"
                                          << "ana" << 1 << 0;
        QTest::newRow("user with blank status") << QList<QStringList>{{"BIA", "bia", ""}} << "BIA"
                                                << "bia" << 1 << 0;
        QTest::newRow("allowed user beside others")
            << QList<QStringList>{{"ANA", "ana", "N"}, {"CAIO", "caio", "S"}} << "CAIO"
            << "caio" << 1 << 1;
        QTest::newRow("name in the wrong case") << QList<QStringList>() << "wej"
                                                << "wej" << 0 << 0;
        QTest::newRow("password in the wrong case") << QList<QStringList>() << "WEJ"
                                                    << "WEJ" << 0 << 0;
        QTest::newRow("wrong password") << QList<QStringList>() << "WEJ"
                                        << "jew" << 0 << 0;
        QTest::newRow("another user's password") << QList<QStringList>{{"ANA", "ana", "S"}} << "WEJ"
                                                 << "ana" << 0 << 0;
        QTest::newRow("two identical users") << QList<QStringList>{{"WEJ", "wej", "S"}} << "WEJ"
                                             << "wej" << 2 << 2;
    }
    void login() {
        QFETCH(QList<QStringList>, users);
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(int, matching);
        QFETCH(int, allowed);
        for (const QStringList& user : users)
            addUser(user[0], user[1], user[2]);

        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.clearSql();
        q.addSql(kLogin);
        q.setParam("vNome", name);
        q.setParam("vSenha", password);
        q.open();
        QCOMPARE(q.recordCount(), matching);
        for (q.first(); !q.eof(); q.next()) {
            QCOMPARE(q.fieldByName("LOGIN").asString(), name);
            QCOMPARE(q.fieldByName("SENHA").asString(), password);
        }

        // The window narrows the same query to users allowed to log in, keeping the parameters.
        q.close();
        q.addSql(" AND STATUS = '" + QString("S") + "'");
        QVERIFY(!q.active());
        QCOMPARE(q.param("VNOME").toString(), name);
        q.open();
        QCOMPARE(q.recordCount(), allowed);
        for (q.first(); !q.eof(); q.next())
            QCOMPARE(q.fieldByName("status").asString(), QStringLiteral("S"));
    }

    void loginNeedsSessionPassword() {
        data_.reset();
        data_ = std::make_unique<TempData>(false);
        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.addSql(kLogin);
        q.setParam("vNome", "WEJ");
        q.setParam("vSenha", "wej");
        EXPECT_DATA_ERROR(q.open(), "USUARIOS");
        QVERIFY(!q.active());

        Session::instance().addPassword(kSessionPassword);
        q.open();
        QCOMPARE(q.recordCount(), 1);
    }

    void clientNames() {
        const QStringList names = {"Zeca Pagodinho", "Ana", "Márcio Araújo", "Bruno"};
        for (const QString& name : names)
            addRow("c_cliente", {{"Nome", name}});
        addRow("c_cliente", {{"Cidade", "Recife"}});  // a client without a name

        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql("select nome from c_cliente");
        q.open();
        QCOMPARE(q.fieldCount(), 1);
        QCOMPARE(q.fieldIndex("nome"), 0);
        QCOMPARE(q.fieldDef(0).type, FieldType::String);
        QCOMPARE(q.fieldDef(0).size, 255);
        // In the order the rows were stored, not the order of the name index.
        QCOMPARE(valuesOf(q, "Nome"), names + QStringList{QString()});
    }

    // A field name with an accent goes to SQLite spelled as declared, whatever case the statement uses.
    void accentedFieldNames_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("as declared") << "select Endereço from c_cliente" << QStringList{"Endereço"};
        QTest::newRow("in capitals") << "select ENDEREÇO from c_cliente" << QStringList{"Endereço"};
        QTest::newRow("in double quotes")
            << "select \"endereço\", Nome from c_cliente" << QStringList{"Endereço", "Nome"};
    }
    void accentedFieldNames() {
        QFETCH(QString, sql);
        QFETCH(QStringList, columns);
        addRow("c_cliente", {{"Nome", "Ana"}, {"Endereço", "Rua da Aurora, 12"}});
        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql(sql);
        q.open();
        QCOMPARE(columnNames(q).join(',').toLower(), columns.join(',').toLower());
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.fieldByName("endereço").asString(), QStringLiteral("Rua da Aurora, 12"));
    }

    void fieldsWithBlanksInDoubleQuotes() {
        addRow("cadastro", {{"Dia mes", "10 de março"}, {"Nendereço", "Rua Um"}});
        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql("select \"Dia mes\", Nendereço from cadastro");
        q.open();
        QCOMPARE(columnNames(q), (QStringList{"Dia mes", "Nendereço"}));
        QCOMPARE(q.field(0).asString(), QStringLiteral("10 de março"));
        QCOMPARE(q.field(1).asString(), QStringLiteral("Rua Um"));
    }

    void cashFlow_data() {
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");  // %1 and %2 take the dates of the interval
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<QString>("dateColumn");
        QTest::addColumn<QStringList>("references");
        QTest::addColumn<QStringList>("dates");
        QTest::addColumn<QVariantList>("amounts");

        const QString entradas = QStringLiteral(
            "select (fantasia) as Referência, (DataPagamento) as Entrada, (valorDocumento) as Valor from "
            "tbreceber");
        const QString saidas = QStringLiteral(
            "select (fantasia) as Referência, (DataPagamento) as saida, (valorDocumento) as Valor from "
            "tbpagar");
        const QString paidIn =
            QStringLiteral(" where DataPagamento between \"%1\" and \"%2\" order by DataPagamento");
        const QString openEntradas = QStringLiteral(
            "select DataVencimento,(fantasia) as Referência, (valorDocumento) as Valor from tbreceber where "
            "DataPagamento is null ");
        const QString openSaidas = QStringLiteral(
            "select DataVencimento,(fantasia) as Referência, (valorDocumento) as Valor from tbpagar where "
            "DataPagamento is null ");
        const QString dueIn =
            QStringLiteral("and DataVencimento between \"%1\" and \"%2\" order by DataVencimento");

        const QDate march1(2025, 3, 1), march31(2025, 3, 31);
        const QStringList paidColumns = {"Referência", "Entrada", "Valor"};
        const QStringList spentColumns = {"Referência", "saida", "Valor"};
        const QStringList openColumns = {"DataVencimento", "Referência", "Valor"};
        const QStringList paidDates = {"01/03/2025", "15/03/2025", "31/03/2025"};
        const QStringList openDates = {"01/03/2025", "12/03/2025", "31/03/2025"};

        QTest::newRow("queryentrada")
            << entradas << paidIn << march1 << march31 << paidColumns << "Entrada"
            << QStringList{"R Inicio", "R Meio", "R Fim"} << paidDates << QVariantList{100.0, 200.0, 300.0};
        QTest::newRow("querysaida") << saidas << paidIn << march1 << march31 << spentColumns << "saida"
                                    << QStringList{"P Inicio", "P Meio", "P Fim"} << paidDates
                                    << QVariantList{100.0, 200.0, 300.0};
        QTest::newRow("Nentradas") << openEntradas << dueIn << march1 << march31 << openColumns
                                   << "DataVencimento"
                                   << QStringList{"R Aberto inicio", "R Aberto meio", "R Aberto fim"}
                                   << openDates << QVariantList{10.0, 20.0, 30.0};
        QTest::newRow("Nsaidas") << openSaidas << dueIn << march1 << march31 << openColumns
                                 << "DataVencimento"
                                 << QStringList{"P Aberto inicio", "P Aberto meio", "P Aberto fim"}
                                 << openDates << QVariantList{10.0, 20.0, 30.0};

        // A single day holds both ends of the interval.
        QTest::newRow("queryentrada, one day")
            << entradas << paidIn << march1 << march1 << paidColumns << "Entrada" << QStringList{"R Inicio"}
            << QStringList{"01/03/2025"} << QVariantList{100.0};
        QTest::newRow("Nsaidas, one day")
            << openSaidas << dueIn << march31 << march31 << openColumns << "DataVencimento"
            << QStringList{"P Aberto fim"} << QStringList{"31/03/2025"} << QVariantList{30.0};
        // Day and month are told apart: 03/04 is the fourth of March, not the third of April.
        QTest::newRow("querysaida, early April")
            << saidas << paidIn << QDate(2025, 4, 1) << QDate(2025, 4, 3) << spentColumns << "saida"
            << QStringList{"P Abril"} << QStringList{"01/04/2025"} << QVariantList{400.0};

        const QStringList none;
        QTest::newRow("queryentrada, end before start")
            << entradas << paidIn << march31 << march1 << paidColumns << "Entrada" << none << none
            << QVariantList();
        QTest::newRow("querysaida, end before start") << saidas << paidIn << march31 << march1 << spentColumns
                                                      << "saida" << none << none << QVariantList();
        QTest::newRow("Nentradas, end before start")
            << openEntradas << dueIn << march31 << march1 << openColumns << "DataVencimento" << none << none
            << QVariantList();
        QTest::newRow("Nsaidas, end before start") << openSaidas << dueIn << march31 << march1 << openColumns
                                                   << "DataVencimento" << none << none << QVariantList();
    }
    void cashFlow() {
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(QStringList, columns);
        QFETCH(QString, dateColumn);
        QFETCH(QStringList, references);
        QFETCH(QStringList, dates);
        QFETCH(QVariantList, amounts);
        addLedgers();

        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql(line1 + "\n" + line2.arg(usDate(start), usDate(end)));
        q.open();
        QCOMPARE(columnNames(q), columns);
        const int date = q.fieldIndex(dateColumn);
        QCOMPARE(q.fieldDef(date).type, FieldType::Date);
        QCOMPARE(q.fieldDef(q.fieldIndex("Referência")).type, FieldType::String);
        QCOMPARE(q.fieldDef(q.fieldIndex("Referência")).size, 30);
        QCOMPARE(q.fieldDef(q.fieldIndex("Valor")).type, FieldType::Float);
        QCOMPARE(q.fieldByName("referência").index(), q.fieldIndex("Referência"));
        QCOMPARE(q.fieldByName("VALOR").index(), q.fieldIndex("Valor"));

        QStringList gotReferences, gotDates;
        QVariantList gotAmounts;
        for (q.first(); !q.eof(); q.next()) {
            gotReferences << q.fieldByName("referência").asString();
            const Field day = q.field(date);
            QVERIFY(day.asDate().isValid());
            QCOMPARE(day.displayText(), Values::dateToText(day.asDate()));
            gotDates << day.displayText();
            gotAmounts << q.fieldByName("VALOR").asFloat();
        }
        QCOMPARE(gotReferences, references);
        QCOMPARE(gotDates, dates);
        QCOMPARE(gotAmounts, amounts);
        QCOMPARE(q.recordCount(), references.size());
        QCOMPARE(q.isEmpty(), references.isEmpty());
    }

    void usDateConstantsAreBound_data() {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QDate>("date");
        QTest::newRow("month first") << "03/01/2025" << QDate(2025, 3, 1);
        QTest::newRow("day above twelve") << "03/31/2025" << QDate(2025, 3, 31);
        QTest::newRow("single digits") << "4/5/2025" << QDate(2025, 4, 5);
        QTest::newRow("leap day") << "02/29/2024" << QDate(2024, 2, 29);
    }
    void usDateConstantsAreBound() {
        QFETCH(QString, written);
        QFETCH(QDate, date);
        const TranslatedSql t = translateLocalSql("select * from tbpagar where DataPagamento = \"" + written +
                                                  "\" and Letra = :x");
        QCOMPARE(t.tables, QStringList{"tbpagar"});
        QCOMPARE(t.bindings.size(), 2);
        QVERIFY(t.bindings[0].param.isEmpty());
        QCOMPARE(t.bindings[0].value.toDate(), date);
        QCOMPARE(t.bindings[1].param, QStringLiteral("x"));
        QVERIFY(!t.sql.contains(written));
    }

    void impossibleDates_data() {
        QTest::addColumn<QString>("written");
        QTest::newRow("thirtieth of February") << "02/30/2025";
        QTest::newRow("not a leap year") << "02/29/2025";
        QTest::newRow("month thirteen") << "13/01/2025";
        QTest::newRow("day zero") << "03/00/2025";
    }
    void impossibleDates() {
        QFETCH(QString, written);
        const QString sql =
            "select * from tbpagar where DataPagamento between \"" + written + "\" and \"03/31/2025\"";
        QString error = errorOf([&] { translateLocalSql(sql); });
        QVERIFY2(error.contains(u"não é uma data válida") && error.contains(written), qPrintable(error));

        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql(sql);
        error = errorOf([&] { q.open(); });
        QVERIFY2(error.contains(u"não é uma data válida"), qPrintable(error));
        QVERIFY(!q.active());
    }

    // Whoever writes the statement, a date is bound whole or refused: text compared with the stored dates
    // as text would let rows through by their spelling.
    void datesMustBeWhole_data() {
        QTest::addColumn<QString>("condition");  // on tbpagar, read with March 2025 paid in the entries
        QTest::addColumn<QVariant>("d1");        // the value of :d1, when the condition has it
        QTest::addColumn<QString>("error");      // a fragment of the refusal; empty: the three March rows
        const QString rest = " and \"03/31/2025\"";
        const QString between = "DataPagamento between ";
        const QVariant none;
        QTest::newRow("partly typed") << between + "\"12/3 /2025\"" + rest << none << "'12/3 /2025' não é";
        QTest::newRow("empty mask") << between + "\"  /  /    \"" + rest << none << "em branco";
        QTest::newRow("blank") << between + "\"\"" + rest << none << "em branco";
        QTest::newRow("short year") << between + "\"03/01/20\"" + rest << none << "'03/01/20' não é";
        QTest::newRow("second bound") << between + "\"03/01/2025\" and \"03/3_/2025\"" << none << "não é";
        QTest::newRow("not between") << "not " + between + "\"3//2025\"" + rest << none << "não é";
        QTest::newRow("operator") << "DataPagamento >= \"12/3 /2025\"" << none << "não é";
        QTest::newRow("single quotes, partly typed")
            << between + "'12/3 /2025' and '03/31/2025'" << none << "não é";
        QTest::newRow("single quotes, whole") << between + "'03/01/2025' and '03/31/2025'" << none << "";
        QTest::newRow("single quotes, as stored") << between + "'2025-03-01' and '2025-03-31'" << none << "";
        QTest::newRow("parameter, partly typed")
            << between + ":d1" + rest << QVariant("12/3 /2025") << "Parâmetro 'd1': '12/3 /2025' não é";
        QTest::newRow("parameter, blank") << between + ":d1" + rest << QVariant("") << "em branco";
        QTest::newRow("parameter, empty mask")
            << between + ":d1" + rest << QVariant("  /  /    ") << "em branco";
        QTest::newRow("parameter, invalid date") << between + ":d1" + rest << QVariant(QDate()) << "não é";
        QTest::newRow("parameter, not a date") << between + ":d1" + rest << QVariant(3.5) << "não é";
        QTest::newRow("parameter, date") << between + ":d1" + rest << QVariant(QDate(2025, 3, 1)) << "";
        QTest::newRow("parameter, typed date") << between + ":d1" + rest << QVariant("01/03/2025") << "";
        QTest::newRow("parameter, stored form") << between + ":d1" + rest << QVariant("2025-03-01") << "";
        QTest::newRow("text field keeps its text")
            << "DataPagamento is not null and Fantasia <> '12/3 /2025' and Fantasia = :d1 or Fantasia in "
               "('P Inicio', 'P Fim')"
            << QVariant("P Meio") << "";
    }
    void datesMustBeWhole() {
        QFETCH(QString, condition);
        QFETCH(QVariant, d1);
        QFETCH(QString, error);
        addLedgers();
        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql("select Fantasia from tbpagar where " + condition + " order by DataPagamento");
        if (d1.isValid()) q.setParam("d1", d1);
        const QString raised = errorOf([&] { q.open(); });
        if (!error.isEmpty()) {
            QVERIFY2(raised.contains(error), qPrintable(raised));
            QVERIFY(!q.active());
            return;
        }
        QVERIFY2(raised.isNull(), qPrintable(raised));
        QCOMPARE(valuesOf(q, "Fantasia"), (QStringList{"P Inicio", "P Meio", "P Fim"}));
    }

    void tableSpellings_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("plain") << "select nome from c_cliente";
        QTest::newRow("with extension") << "select nome from c_cliente.db";
        QTest::newRow("extension in capitals") << "select nome from c_cliente.DB";
        QTest::newRow("name in capitals") << "select nome from C_CLIENTE";
        QTest::newRow("in double quotes with extension") << "select nome from \"c_cliente.db\"";
        QTest::newRow("qualified field") << "select c_cliente.nome from c_cliente.db";
    }
    void tableSpellings() {
        QFETCH(QString, sql);
        addRow("c_cliente", {{"Nome", "Ana"}});
        addRow("c_cliente", {{"Nome", "Bruno"}});
        QCOMPARE(translateLocalSql(sql).tables, QStringList{"c_cliente"});
        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql(sql);
        q.open();
        QCOMPARE(valuesOf(q, "nome"), (QStringList{"Ana", "Bruno"}));
    }

    void ledgerWithExtension() {
        addLedgers();
        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql("select Fantasia from tbpagar.db where DataPagamento is null order by DataVencimento");
        q.open();
        QCOMPARE(q.recordCount(), 5);
        QCOMPARE(q.fieldByName("fantasia").asString(), QStringLiteral("P Aberto fevereiro"));
    }

    void writesAreRefused_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("delete") << "delete from tbpagar";
        QTest::newRow("delete, with extension") << "delete from tbpagar.db";
        QTest::newRow("update") << "update tbpagar set Fantasia = 'X'";
        QTest::newRow("insert") << "insert into tbpagar (Fantasia) values ('X')";
        QTest::newRow("drop") << "drop table tbpagar";
        QTest::newRow("second statement") << "select * from tbpagar; delete from tbpagar";
        QTest::newRow("second statement, no blank") << "select * from tbpagar;delete from tbpagar";
        QTest::newRow("second statement on a new line") << "select * from tbpagar;\ndelete from tbpagar";
        QTest::newRow("second statement that reads") << "select * from tbpagar; select * from tbreceber";
    }
    void writesAreRefused() {
        QFETCH(QString, sql);
        addLedgers();
        const int before = tableRows("tbpagar");
        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql(sql);
        const QString error = errorOf([&] { q.open(); });
        QVERIFY2(!error.isNull(), "no DataError raised");
        QVERIFY(!q.active());
        QCOMPARE(tableRows("tbpagar"), before);
        Table view(kAliasVantejaVs2, "tbpagar");
        view.open();
        QVERIFY(view.locate("Fantasia", "P Meio"));
        QVERIFY(!view.locate("Fantasia", "X"));
    }

    void trailingSemicolon() {
        addLedgers();
        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql("select * from tbpagar;");
        q.open();
        QCOMPARE(q.recordCount(), int(std::size(kEntries)));
    }

    void parameters() {
        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql(kLogin);
        q.setParam("vNome", "WEJ");
        EXPECT_DATA_ERROR(q.open(), "vSenha");
        QVERIFY(!q.active());

        // Names are matched in any case, and a value set before the statement changes is kept.
        q.setParam("VSENHA", "wej");
        q.open();
        QCOMPARE(q.recordCount(), 1);
        q.setSql(" SELECT NOME FROM USUARIOS WHERE Senha = :vSenha");
        q.open();
        QCOMPARE(valuesOf(q, "nome"), QStringList{"WEJ"});
    }

    // Read on demand, a statement gives the rows, the count and the totals it gives read whole, in any order
    // of reading: across pages, from the end back, and on past the first page.
    void readOnDemand_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("ordered by an index") << "select DataVencimento, (fantasia) as Referência, "
                                                "(valorDocumento) as Valor from tbpagar where DataPagamento "
                                                "is null and DataVencimento between \"01/01/2025\" and "
                                                "\"12/31/2026\" order by DataVencimento";
        QTest::newRow("ordered and limited")
            << "select Fantasia, Valordocumento from tbpagar order by Valordocumento desc limit 300;";
        QTest::newRow("computed, in stored order")
            << "select Codigo * 2 as Dobro, Valordocumento from tbpagar";
    }
    void readOnDemand() {
        QFETCH(QString, sql);
        Table view(kAliasVantejaVs2, "tbpagar");
        view.open();
        Transaction unit(Session::instance().database(kAliasVantejaVs2).connection());
        for (int i = 0; i < 700; ++i) {
            view.append();
            view.fieldByName("Fantasia").setValue(QStringLiteral("REF %1").arg(i % 37));
            view.fieldByName("Codigo").setValue(i);
            view.fieldByName("DataVencimento").setValue(QDate(2025, 1, 1).addDays(i % 400));
            view.fieldByName("Valordocumento").setValue(i % 3 ? QVariant(i / 3.0) : QVariant());
            view.post();
        }
        unit.commit();
        Query whole, paged;
        for (Query* q : {&whole, &paged}) {
            q->setDatabaseName(kAliasVantejaVs2);
            q->setSql(sql);
        }
        paged.setReadOnDemand(true);
        whole.open();
        paged.open();
        QVERIFY(whole.recordCount() > 256);
        QCOMPARE(paged.recordCount(), whole.recordCount());
        QCOMPARE(paged.fieldDef(0).type, whole.fieldDef(0).type);
        const int last = whole.fieldCount() - 1;
        MoneySum shown;
        for (int row = 0; row < whole.recordCount(); ++row)
            shown.add(whole.valueAt(row, last));
        QCOMPARE(paged.sum(paged.fieldDef(last).name), shown.total());
        QCOMPARE(whole.sum(whole.fieldDef(last).name), shown.total());
        for (int row : {whole.recordCount() - 1, 0, 300, 255, 256, whole.recordCount(), -1})
            for (int c = 0; c <= last; ++c)
                QCOMPARE(paged.valueAt(row, c), whole.valueAt(row, c));
        for (whole.first(), paged.first(); !whole.eof(); whole.next(), paged.next())
            QCOMPARE(paged.fieldValue(last), whole.fieldValue(last));
        QVERIFY(paged.eof());
    }

    void navigation() {
        for (const char* name : {"Ana", "Bruno", "Carla"})
            addRow("c_cliente", {{"Nome", name}});
        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql("select nome from c_cliente");
        q.open();
        auto current = [&q] { return q.field(0).asString(); };
        QCOMPARE(q.recordCount(), 3);
        QVERIFY(q.bof());
        QVERIFY(!q.eof());
        QCOMPARE(q.recNo(), 1);
        QCOMPARE(current(), QStringLiteral("Ana"));

        q.next();
        QVERIFY(!q.bof());
        QCOMPARE(current(), QStringLiteral("Bruno"));
        const Bookmark bruno = q.bookmark();
        QVERIFY(bruno.isValid());
        q.next();
        QVERIFY(!q.eof());
        QCOMPARE(q.recNo(), 3);
        // Moving past the last row sets EOF and stays on it.
        q.next();
        QVERIFY(q.eof());
        QCOMPARE(q.recNo(), 3);
        QCOMPARE(current(), QStringLiteral("Carla"));
        q.next();
        QVERIFY(q.eof());
        QCOMPARE(current(), QStringLiteral("Carla"));
        q.prior();
        QVERIFY(!q.eof());
        QCOMPARE(current(), QStringLiteral("Bruno"));

        q.first();
        QVERIFY(q.bof());
        QVERIFY(!q.eof());
        q.prior();
        QVERIFY(q.bof());
        QCOMPARE(current(), QStringLiteral("Ana"));

        q.last();
        QVERIFY(q.eof());
        QVERIFY(!q.bof());
        QCOMPARE(current(), QStringLiteral("Carla"));
        QVERIFY(q.gotoBookmark(bruno));
        QVERIFY(!q.bof());
        QVERIFY(!q.eof());
        QCOMPARE(current(), QStringLiteral("Bruno"));
        QCOMPARE(q.recNo(), 2);
        QVERIFY(!q.gotoBookmark(Bookmark{}));
        QVERIFY(!q.gotoBookmark(Bookmark{3}));
        QCOMPARE(current(), QStringLiteral("Bruno"));

        // Reopening starts over on the first row.
        q.close();
        QCOMPARE(q.recordCount(), 0);
        QVERIFY(!q.bookmark().isValid());
        EXPECT_DATA_ERROR(q.next(), "fechada");
        q.open();
        QCOMPARE(q.recNo(), 1);
        QVERIFY(q.bof());
    }

    void navigationOnOneRow() {
        addRow("c_cliente", {{"Nome", "Ana"}});
        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql("select nome from c_cliente");
        q.open();
        QVERIFY(q.bof());
        QVERIFY(!q.eof());
        q.next();
        QVERIFY(q.eof());
        QCOMPARE(q.field(0).asString(), QStringLiteral("Ana"));
        q.first();
        QVERIFY(q.bof());
        QVERIFY(!q.eof());
        q.last();
        QVERIFY(q.eof());
        QCOMPARE(q.recNo(), 1);
    }

    void navigationOnNoRows() {
        Query q;
        q.setDatabaseName(kAliasVantejaVs2);
        q.setSql("select nome from c_cliente");
        q.open();
        QVERIFY(q.active());
        QVERIFY(q.isEmpty());
        QCOMPARE(q.recNo(), 0);
        QCOMPARE(q.fieldCount(), 1);
        QVERIFY(q.field(0).isNull());
        QCOMPARE(q.field(0).asString(), QString());
        QVERIFY(!q.bookmark().isValid());
        QVERIFY(!q.gotoBookmark(Bookmark{0}));
        for (auto move : {&Query::first, &Query::next, &Query::last, &Query::prior}) {
            (q.*move)();
            QVERIFY(q.bof());
            QVERIFY(q.eof());
        }
    }

private:
    std::unique_ptr<TempData> data_;
};

QTEST_GUILESS_MAIN(QueryTest)
#include "tst_query.moc"
