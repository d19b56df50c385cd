// Old Paradox books brought into the data file: by the import itself, by vanteja-dados and from the main
// window's menu. The old tables are written in each test with the Paradox library.

#include <sqlite3.h>

#include <QAction>
#include <QMenuBar>
#include <QProcess>
#include <QtTest>

#include "BackupCopies.h"
#include "ParadoxFiles.h"
#include "ParadoxImport.h"
#include "Sqlite.h"
#include "U_Principal.h"
#include "WindowFixture.h"

using Outcome = ParadoxImport::Report::Outcome;

namespace {

const QDate kDue(2012, 5, 10);
const QDate kSettled(2013, 2, 1);
// Accented text as an old DOS program stored it (code page 850): "AÇÃO é memória".
const QByteArray kMemo850 = QByteArray("A\x80\xc7O \x82 mem\xa2ria ").repeated(12);
const QString kMemoText = QStringLiteral("AÇÃO é memória ").repeated(12);

QByteArray bytes(const char* text) {
    return QByteArray(text);
}

// The old books of a small shop: five of the nine tables, in the spellings old folders have, with a memo
// file in upper case; every field type the tables use; a repeated key and a number that is no code.
void writeOldBooks(const QString& folder) {
    QDir dir(folder);
    QVERIFY(
        ParadoxFiles::write(dir.filePath("tbpagar.db"),
                            {{"Chave", pxfAutoInc, 4},
                             {"Codigo", pxfNumber, 8},
                             {"Nome", pxfAlpha, 60},
                             {"DataVencimento", pxfDate, 4},
                             {"DataPagamento", pxfDate, 4},
                             {"ValorChequeTerc", pxfCurrency, 8},
                             {"Valordocumento", pxfNumber, 8},
                             {"Intrucao", pxfMemoBLOb, 25},
                             {"Extra", pxfAlpha, 5}},
                            {{7, 1.0, bytes("ALUGUEL"), kDue, {}, 12.34, 1500.5, kMemo850, bytes("x")},
                             {9, 2.0, bytes("LUZ"), kDue.addDays(1), kSettled, {}, 80.25, bytes("pago"), {}},
                             {7, 3.0, bytes("REPETIDA"), kDue, {}, {}, 1.0, {}, {}}},
                            850, dir.filePath("TBPAGAR.MB")));
    QVERIFY(ParadoxFiles::write(
        dir.filePath("TBRECEBER.DB"),
        {{"Chave", pxfAutoInc, 4}, {"Nome", pxfAlpha, 60}, {"Observacoes", pxfMemoBLOb, 40}},
        {{3, bytes("CLIENTE"), kMemo850}}, 850, dir.filePath("tbreceber.mb")));
    QVERIFY(ParadoxFiles::write(dir.filePath("c_cliente.db"),
                                {{"Chave", pxfAutoInc, 4}, {"Codigo", pxfNumber, 8}, {"Nome", pxfAlpha, 255}},
                                {{1, 41.0, bytes("ANA")}, {2, 12.5, bytes("BETO")}}, 850));
    QVERIFY(ParadoxFiles::write(dir.filePath("Cadastro.db"),
                                {{"Chave", pxfAutoInc, 4}, {"Codigo", pxfLong, 4}, {"Reci", pxfAlpha, 255}},
                                {{5, 12, bytes("ANA")}}, 1252));
    QVERIFY(ParadoxFiles::write(dir.filePath("logo.db"),
                                {{"Chave", pxfAutoInc, 4}, {"Logo", pxfMemoBLOb, 10}, {"End", pxfAlpha, 255}},
                                {{1, QByteArray("\x89PNG-").repeated(40), bytes("C:\\LOGO.BMP")}}, 1252,
                                dir.filePath("logo.mb")));
    QVERIFY(ParadoxFiles::setFieldType(dir.filePath("logo.db"), 1, pxfBLOb));
    QVERIFY(ParadoxFiles::write(dir.filePath("USUARIOS.DB"),
                                {{"ID", pxfAutoInc, 4},
                                 {"DT_INC", pxfDate, 4},
                                 {"STATUS", pxfAlpha, 1},
                                 {"LOGIN", pxfAlpha, 15},
                                 {"SENHA", pxfAlpha, 15}},
                                {{4, kSettled, bytes("S"), bytes("MARIA"), bytes("segredo")}}, 1252));
}

QVariant stored(const QString& dataFile, const QString& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(dataFile.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QVariant value;
    {
        SqliteConnection connection(db);
        Statement statement(connection, sql);
        if (statement.step()) value = statement.value(0);
    }
    sqlite3_close(db);
    return value;
}

const ParadoxImport::TableReport* tableIn(const ParadoxImport::Report& report, const QString& name) {
    for (const ParadoxImport::TableReport& table : report.tables)
        if (table.table == name) return &table;
    return nullptr;
}

QString noBackup(const QString&, QString& error) {
    error = QStringLiteral("cópia não esperada");
    return QString();
}

}  // namespace

class ParadoxTest : public QObject {
    Q_OBJECT

private slots:
    void textInTheFilesCodePage_data() {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QByteArray>("fieldName");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("street");
        QTest::newRow("850") << 850 << bytes("Endere\x87o") << bytes("JO\xc7O DA CONCEI\x80\xc7O")
                             << bytes("RUA S\xc7O JOS\x90, 1\xa7 ANDAR");
        QTest::newRow("1252") << 1252 << bytes("Endere\xe7o") << bytes("JO\xc3O DA CONCEI\xc7\xc3O")
                              << bytes("RUA S\xc3O JOS\xc9, 1\xba ANDAR");
    }
    // Field names and texts are read in the table's code page, whichever it is.
    void textInTheFilesCodePage() {
        QFETCH(int, codePage);
        QFETCH(QByteArray, fieldName);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, street);
        TempData data;
        QTemporaryDir old;
        QVERIFY(ParadoxFiles::write(
            old.filePath("C_CLIENTE.DB"),
            {{"Chave", pxfAutoInc, 4}, {"Nome", pxfAlpha, 255}, {fieldName, pxfAlpha, 255}},
            {{1, name, street}}, codePage));
        const ParadoxImport::Report report =
            ParadoxImport::run(old.path(), data.dataFolder(), false, noBackup);
        QCOMPARE(report.outcome, Outcome::Imported);
        QCOMPARE(stored(data.dataFile(), "SELECT Nome FROM c_cliente").toString(),
                 QStringLiteral("JOÃO DA CONCEIÇÃO"));
        QCOMPARE(stored(data.dataFile(), "SELECT \"Endereço\" FROM c_cliente").toString(),
                 QStringLiteral("RUA SÃO JOSÉ, 1º ANDAR"));
    }

    // Every field by name and type; keys kept; blank dates blank; memos from the record and from the .mb
    // file; rows that cannot be converted left out with the reason; missing tables reported and skipped.
    void importsEveryFieldType() {
        TempData data;
        QTemporaryDir old;
        writeOldBooks(old.path());
        pxdoc_t* doc = PX_new();
        char* written = PX_date2string(doc, ParadoxFiles::paradoxDay(kDue), "Y-m-d");
        QCOMPARE(QString(written),
                 kDue.toString(Qt::ISODate));  // the test writes dates as the library reads them
        doc->free(doc, written);
        PX_delete(doc);

        const ParadoxImport::Report report =
            ParadoxImport::run(old.path(), data.dataFolder(), false, noBackup);
        QCOMPARE(report.outcome, Outcome::Imported);
        const struct {
            const char* sql;
            QVariant expected;
        } expectations[] = {
            {"SELECT Nome FROM tbpagar WHERE Chave = 7", "ALUGUEL"},
            {"SELECT Codigo FROM tbpagar WHERE Chave = 9", 2.0},
            {"SELECT DataVencimento FROM tbpagar WHERE Chave = 7", kDue.toString(Qt::ISODate)},
            {"SELECT DataPagamento IS NULL FROM tbpagar WHERE Chave = 7", 1},
            {"SELECT DataPagamento FROM tbpagar WHERE Chave = 9", kSettled.toString(Qt::ISODate)},
            {"SELECT ValorChequeTerc FROM tbpagar WHERE Chave = 7", 12.34},
            {"SELECT ValorChequeTerc IS NULL FROM tbpagar WHERE Chave = 9", 1},
            {"SELECT Valordocumento FROM tbpagar WHERE Chave = 7", 1500.5},
            {"SELECT Intrucao FROM tbpagar WHERE Chave = 7", kMemoText},
            {"SELECT Intrucao FROM tbpagar WHERE Chave = 9", "pago"},
            {"SELECT count(*) FROM tbpagar", 2},
            {"SELECT Observacoes FROM tbreceber WHERE Chave = 3", kMemoText},
            {"SELECT Codigo FROM c_cliente WHERE Chave = 1", 41},
            {"SELECT count(*) FROM c_cliente", 1},
            {"SELECT Codigo FROM cadastro WHERE Chave = 5", 12},
            {"SELECT Logo FROM logo WHERE Chave = 1", QByteArray("\x89PNG-").repeated(40)},
            {"SELECT \"End\" FROM logo WHERE Chave = 1", "C:\\LOGO.BMP"},
            {"SELECT group_concat(LOGIN) FROM USUARIOS", "MARIA"},
            {"SELECT DT_INC FROM USUARIOS WHERE ID = 4", kSettled.toString(Qt::ISODate)},
        };
        for (const auto& [sql, expected] : expectations)
            QVERIFY2(stored(data.dataFile(), sql) == expected, sql);

        const ParadoxImport::TableReport* pagar = tableIn(report, "tbpagar");
        QCOMPARE(pagar->read, 3);
        QCOMPARE(pagar->written, 2);
        QCOMPARE(pagar->rows, QStringList{"registro 3: Chave 7 repetida (já usada pelo registro 1)"});
        QVERIFY(pagar->notes.contains("campos que o Vanteja não tem, deixados de fora: Extra"));
        QCOMPARE(tableIn(report, "c_cliente")->rows,
                 QStringList{"registro 2: Codigo: 12,5 não é um número inteiro"});
        QVERIFY(tableIn(report, "tbfornecedor")->file.isEmpty());
        const QString text = report.text();
        QVERIFY2(text.contains(QRegularExpression("tbpagar +3 +2\n")), qPrintable(text));
        QVERIFY2(text.contains(QRegularExpression("tbfornecedor +arquivo não encontrado")), qPrintable(text));
    }

    void nothingWrittenWhenItCannot_data() {
        QTest::addColumn<QString>("damage");  // what is wrong with the old folder or the books
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("message");
        QTest::newRow("header overwritten")
            << "header" << int(Outcome::Failed) << "tbreceber.DB está danificada";
        QTest::newRow("file cut short") << "cut" << int(Outcome::Failed) << "tbreceber.DB está danificada";
        QTest::newRow("not a table") << "text" << int(Outcome::Failed) << "tbreceber.DB está danificada";
        QTest::newRow("books hold rows") << "books" << int(Outcome::Refused) << "já têm lançamentos";
        QTest::newRow("no table in the folder")
            << "empty" << int(Outcome::Failed) << "Nenhuma tabela do Vanteja";
        QTest::newRow("books on a server")
            << "server" << int(Outcome::Refused) << "estão no servidor postgresql://vanteja@servidor/vanteja";
    }
    // A damaged table stops the import before anything is written, the good tables included.
    void nothingWrittenWhenItCannot() {
        QFETCH(QString, damage);
        QFETCH(int, outcome);
        QFETCH(QString, message);
        TempData data;
        QTemporaryDir old;
        const QString receber = old.filePath("tbreceber.DB");
        if (damage != "empty") {
            QVERIFY(ParadoxFiles::write(old.filePath("tbpagar.db"),
                                        {{"Chave", pxfAutoInc, 4}, {"Nome", pxfAlpha, 10}},
                                        {{1, bytes("NOVA")}}, 1252));
            QVERIFY(ParadoxFiles::write(receber, {{"Chave", pxfAutoInc, 4}, {"Nome", pxfAlpha, 10}},
                                        {{1, bytes("NOVA")}}, 1252));
        }
        QFile file(receber);
        if (damage == "header" || damage == "text") {
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.write(damage == "header" ? QByteArray(6, '\xff')
                                          : QByteArray("Nome;Valor\nANA;10\n").repeated(200));
        } else if (damage == "cut") {
            QVERIFY(file.resize(file.size() - 1500));
        } else if (damage == "books") {
            addRow("tbpagar", {{"Nome", "ANTIGA"}});
        } else if (damage == "server") {
            QFile place(QDir(data.dataFolder()).filePath(kConnectionFileName));
            QVERIFY(place.open(QIODevice::WriteOnly));
            place.write("endereco=postgresql://vanteja@servidor/vanteja\n");
        }
        file.close();

        const ParadoxImport::Report report =
            ParadoxImport::run(old.path(), data.dataFolder(), false, noBackup);
        QCOMPARE(int(report.outcome), outcome);
        QVERIFY2(report.error.contains(message), qPrintable(report.error));
        QCOMPARE(stored(data.dataFile(), "SELECT count(*) FROM tbpagar WHERE Nome = 'NOVA'"), QVariant(0));
        QCOMPARE(stored(data.dataFile(), "SELECT group_concat(LOGIN) FROM USUARIOS"), QVariant("WEJ"));
    }

    void program_data() {
        QTest::addColumn<QStringList>("arguments");  // OLD and DATA stand for the two folders
        QTest::addColumn<bool>("booksHoldRows");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("help") << QStringList{"--help"} << false << 0 << "--importar PASTA_ANTIGA";
        QTest::newRow("no folder") << QStringList{"--importar"} << false << 2 << "Uso:";
        QTest::newRow("empty books") << QStringList{"--importar", "OLD", "DATA"} << false << 0 << "tbpagar";
        QTest::newRow("books hold rows")
            << QStringList{"--importar", "OLD", "DATA"} << true << 3 << "--substituir";
        QTest::newRow("replaced") << QStringList{"--importar", "OLD", "DATA", "--substituir"} << true << 0
                                  << "Cópia de segurança";
    }
    // vanteja-dados: exit codes, and the copy made before replacing books that hold rows.
    void program() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, booksHoldRows);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        TempData data;
        QTemporaryDir old;
        writeOldBooks(old.path());
        if (booksHoldRows) addRow("tbpagar", {{"Nome", "ANTIGA"}});
        arguments.replaceInStrings(QRegularExpression("^OLD$"), old.path());
        arguments.replaceInStrings(QRegularExpression("^DATA$"), data.dataFolder());
        QProcess program;
        program.start(VANTEJA_DADOS, arguments);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), exitCode);
        const QString output =
            QString::fromUtf8(program.readAllStandardOutput() + program.readAllStandardError());
        QVERIFY2(output.contains(says), qPrintable(output));

        const QVariant oldRowLeft =
            stored(data.dataFile(), "SELECT count(*) FROM tbpagar WHERE Nome = 'ANTIGA'");
        QCOMPARE(oldRowLeft.toInt(), booksHoldRows && exitCode != 0 ? 1 : 0);
        const QList<Backups::Copy> copies = Backups::list(Backups::defaultFolder(data.programFolder()));
        QCOMPARE(copies.size(), arguments.contains("--substituir") ? 1 : 0);
        if (!copies.isEmpty()) {
            QCOMPARE(stored(copies.first().path, "SELECT Nome FROM tbpagar"), QVariant("ANTIGA"));
            QVERIFY(output.contains(QDir::toNativeSeparators(copies.first().path)));
        }
    }

    // "Ferramentas" › "Importar dados antigos": the folder is asked for, the report shown; books that hold
    // rows are replaced only when the user says so.
    void fromTheMenu() {
        WindowFixture fixture;
        qputenv("PATH", QFileInfo(VANTEJA_DADOS).absolutePath().toUtf8() + ':' + qgetenv("PATH"));
        QTemporaryDir old;
        writeOldBooks(old.path());
        TFPrincipal principal;
        principal.setShowLoginOnActivate(false);
        QAction* importar = nullptr;
        for (QAction* menu : principal.menuBar()->actions())
            if (menu->text() == "Ferramentas")
                for (QAction* item : menu->menu()->actions())
                    if (item->text() == "Importar dados antigos") importar = item;
        QVERIFY(importar);

        ScriptedDialogs& dialogs = fixture.dialogs;
        const QString dataFile = fixture.data.dataFile();
        dialogs.answer(QVariant());  // cancelled
        importar->trigger();
        QCOMPARE(dialogs.kinds(), QStringList{"chooseFolder"});
        QCOMPARE(stored(dataFile, "SELECT count(*) FROM tbpagar").toInt(), 0);

        dialogs.calls.clear();
        dialogs.answer(old.path());
        importar->trigger();
        QCOMPARE(dialogs.kinds(), (QStringList{"chooseFolder", "showText"}));
        QCOMPARE(dialogs.calls.last().caption, QString("Importar dados antigos"));
        QVERIFY2(dialogs.lastText().contains("registro 3: Chave 7 repetida"), qPrintable(dialogs.lastText()));
        QCOMPARE(stored(dataFile, "SELECT count(*) FROM tbpagar").toInt(), 2);

        for (const bool replace : {false, true}) {
            addRow("tbpagar", {{"Nome", "NOVA"}});
            dialogs.calls.clear();
            dialogs.answer(old.path());
            dialogs.answer(replace);
            importar->trigger();
            QCOMPARE(dialogs.kinds(), replace ? QStringList({"chooseFolder", "question", "showText"})
                                              : QStringList({"chooseFolder", "question"}));
            QVERIFY(dialogs.calls.at(1).noByDefault);  // replacing the books is never Enter's answer
            QCOMPARE(stored(dataFile, "SELECT count(*) FROM tbpagar WHERE Nome = 'NOVA'").toInt(),
                     replace ? 0 : 1);
        }
        QVERIFY(dialogs.lastText().contains("Cópia de segurança"));
    }
};

QTEST_MAIN(ParadoxTest)
#include "tst_paradox.moc"
