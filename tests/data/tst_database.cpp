// The shipped data file as SQLite sees it, and the named databases of the session.

#include <sqlite3.h>

#include <QRegularExpression>
#include <QtTest>
#include <functional>
#include <memory>
#include <stdexcept>

#include "Catalogue.h"
#include "Query.h"
#include "TempData.h"

namespace {

const QStringList kTables = {"tbpagar", "tbreceber",    "c_cliente", "Tb_Emitente", "cadastro",
                             "BD_NP",   "tbfornecedor", "logo",      "USUARIOS"};

// A connection of its own to the data file, beside the ones the session opens.
class SqliteFile {
public:
    explicit SqliteFile(const QString& path) {
        if (sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            fail(path);
    }
    ~SqliteFile() { sqlite3_close(db_); }
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    QList<QVariantList> rows(const QString& sql) const {
        sqlite3_stmt* stmt = nullptr;
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt, nullptr) != SQLITE_OK)
            fail(sql);
        QList<QVariantList> result;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            QVariantList row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                row << value(stmt, c);
            result << row;
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) fail(sql);
        return result;
    }
    QVariant scalar(const QString& sql) const {
        const QList<QVariantList> all = rows(sql);
        return all.isEmpty() || all[0].isEmpty() ? QVariant() : all[0][0];
    }
    void exec(const QString& sql) {
        if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
    }

private:
    static QVariant value(sqlite3_stmt* stmt, int c) {
        switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                return qint64(sqlite3_column_int64(stmt, c));
            case SQLITE_FLOAT:
                return sqlite3_column_double(stmt, c);
            case SQLITE_TEXT:
                return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                         sqlite3_column_bytes(stmt, c));
            case SQLITE_BLOB:
                return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, c)),
                                  sqlite3_column_bytes(stmt, c));
            default:
                return QVariant();
        }
    }
    [[noreturn]] void fail(const QString& what) const {
        throw std::runtime_error(
            QStringLiteral("sqlite: %1: %2").arg(what, QString::fromUtf8(sqlite3_errmsg(db_))).toStdString());
    }

    sqlite3* db_ = nullptr;
};

int rowCount(const QString& database, const QString& table) {
    Table view(database, table);
    view.open();
    return view.recordCount();
}

// What SQLite makes of a text stored in a column of this declared type.
QString storageClassFor(FieldType type) {
    switch (type) {
        case FieldType::AutoInc:
        case FieldType::Integer:
            return QStringLiteral("integer");
        case FieldType::Float:
        case FieldType::Currency:
            return QStringLiteral("real");
        case FieldType::Date:
        case FieldType::String:
        case FieldType::Memo:
            return QStringLiteral("text");
        case FieldType::Blob:
        case FieldType::Graphic:
            return QStringLiteral("blob");
    }
    return {};
}

}  // namespace

class DatabaseTest : public QObject {
    Q_OBJECT

private slots:
    void init() { data_ = std::make_unique<TempData>(); }
    void cleanup() { data_.reset(); }

    void shippedTables() {
        const QList<QVariantList> rows = SqliteFile(data_->dataFile())
                                             .rows(
                                                 "SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                                 "name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
        QStringList stored;
        for (const QVariantList& row : rows)
            stored << row[0].toString();
        QCOMPARE(stored, kTables);

        QStringList declared;
        for (const TableDef& table : Catalogue::tables())
            declared << table.name;
        QCOMPARE(declared, kTables);
    }

    void shippedFields_data() {
        QTest::addColumn<QString>("table");
        for (const QString& table : kTables)
            QTest::newRow(qPrintable(table)) << table;
    }
    void shippedFields() {
        QFETCH(QString, table);
        const TableDef* def = Catalogue::find(table);
        QVERIFY(def);
        SqliteFile file(data_->dataFile());
        const QList<QVariantList> columns = file.rows("PRAGMA table_info(" + quoteIdentifier(table) + ")");
        QCOMPARE(columns.size(), def->fields.size());
        int keys = 0;
        for (int i = 0; i < columns.size(); ++i) {
            const FieldDef& field = def->fields[i];
            const QString name = columns[i][1].toString();
            const QString type = columns[i][2].toString();
            const bool primaryKey = columns[i][5].toInt() != 0;
            const QString where = table + "." + field.name;
            QCOMPARE(name, field.name);
            if (field.type == FieldType::AutoInc) {
                ++keys;
                QVERIFY2(primaryKey, qPrintable(where));
                QCOMPARE(type, QStringLiteral("INTEGER"));
            } else {
                QVERIFY2(!primaryKey, qPrintable(where));
                QCOMPARE(type, field.sqlType());
                // Query results carry the field type through the declared type of their columns.
                const FieldDef back = fieldFromSqlType(name, type);
                QCOMPARE(back.type, field.type);
                if (field.isText()) QCOMPARE(back.size, field.size);
            }
            QCOMPARE(file.scalar("SELECT typeof(CAST('5' AS " + type + "))").toString(),
                     storageClassFor(field.type));
        }
        QCOMPARE(keys, 1);
        // Keys are never reused, even after the last row is deleted.
        const QString create =
            file.scalar("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = '" + table + "'")
                .toString();
        QVERIFY2(create.contains("AUTOINCREMENT"), qPrintable(create));
    }

    void shippedIndexes_data() {
        QTest::addColumn<QString>("table");
        for (const QString& table : kTables)
            QTest::newRow(qPrintable(table)) << table;
    }
    void shippedIndexes() {
        QFETCH(QString, table);
        const TableDef* def = Catalogue::find(table);
        QVERIFY(def);
        SqliteFile file(data_->dataFile());
        QMap<QString, bool> stored;  // name, unique
        for (const QVariantList& row : file.rows("PRAGMA index_list(" + quoteIdentifier(table) + ")"))
            stored.insert(row[1].toString(), row[2].toInt() != 0);

        QStringList expected;
        for (const IndexDef& index : def->indexes) {
            if (index.primary) {
                QCOMPARE(index.field, def->keyField().name);
                continue;
            }
            const QString name = def->sqlIndexName(index);
            expected << name;
            QVERIFY2(stored.contains(name), qPrintable(name));
            QCOMPARE(stored.value(name), index.unique);
            // The key decides the order, the row key breaks ties; what follows only saves table lookups.
            QStringList columns, collations;
            for (const QVariantList& row : file.rows("PRAGMA index_xinfo(" + quoteIdentifier(name) + ")")) {
                if (row[5].toInt() == 0) continue;  // SQLite's own rowid entry
                columns << row[2].toString();
                collations << row[4].toString();
            }
            QStringList wanted = {index.field};
            if (!index.thenBy.isEmpty()) wanted << index.thenBy;
            if (!index.unique) wanted << def->keyField().name;
            wanted << index.covering;
            QCOMPARE(columns, wanted);
            QCOMPARE(collations.value(0),
                     index.caseInsensitive ? QStringLiteral("NOCASE") : QStringLiteral("BINARY"));
            for (const QString& field : index.covering)
                QVERIFY2(def->fieldIndex(field) >= 0, qPrintable(field));
        }
        QStringList names = stored.keys();
        names.sort();
        expected.sort();
        QCOMPARE(names, expected);
    }

    // A data file from before an index was added gets it when first connected, its rows untouched.
    void missingIndexMadeAtOpen() {
        addRow("tbpagar", {{"Fantasia", "LUZ"}, {"DataPagamento", QDate(2025, 3, 1)}});
        Session::instance().database(kAliasVantejaVs2).disconnect();
        const QString index = "tbpagar_ByDataPagamento";
        const QString count =
            "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = '" + index + "'";
        SqliteFile(data_->dataFile()).rows("DROP INDEX " + quoteIdentifier(index));
        QCOMPARE(SqliteFile(data_->dataFile()).scalar(count).toInt(), 0);
        Query query;
        query.setDatabaseName(kAliasVantejaVs2);
        query.setSql("select Fantasia from tbpagar where DataPagamento = \"03/01/2025\"");
        query.open();
        QCOMPARE(query.valueAt(0, 0).toString(), QString("LUZ"));
        query.close();
        Session::instance().database(kAliasVantejaVs2).disconnect();
        QCOMPARE(SqliteFile(data_->dataFile()).scalar(count).toInt(), 1);
    }

    // Names with an accent or a blank are stored as declared, and reachable through a table view.
    void unusualFieldNames_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::newRow("Endereço") << "c_cliente"
                                  << "Endereço";
        QTest::newRow("Nendereço") << "cadastro"
                                   << "Nendereço";
        QTest::newRow("Dia mes") << "cadastro"
                                 << "Dia mes";
        QTest::newRow("Data extenso") << "BD_NP"
                                      << "Data extenso";
    }
    void unusualFieldNames() {
        QFETCH(QString, table);
        QFETCH(QString, field);
        SqliteFile file(data_->dataFile());
        QStringList names;
        for (const QVariantList& row : file.rows("PRAGMA table_info(" + quoteIdentifier(table) + ")"))
            names << row[1].toString();
        QVERIFY2(names.contains(field, Qt::CaseSensitive), qPrintable(names.join(", ")));

        addRow(table, {{field, "Rua das Acácias, 7"}});
        QCOMPARE(
            file.scalar("SELECT " + quoteIdentifier(field) + " FROM " + quoteIdentifier(table)).toString(),
            QStringLiteral("Rua das Acácias, 7"));
    }

    void shippedUser() {
        const QList<QVariantList> users =
            SqliteFile(data_->dataFile())
                .rows("SELECT LOGIN, SENHA, STATUS, NOME, DT_INC, DT_ALT FROM USUARIOS");
        QCOMPARE(users.size(), 1);
        const QVariantList& user = users[0];
        QCOMPARE(user[0].toString(), QStringLiteral("WEJ"));
        QCOMPARE(user[1].toString(), QStringLiteral("wej"));
        QCOMPARE(user[2].toString(), QStringLiteral("S"));
        QCOMPARE(user[3].toString(), QStringLiteral("WEJ"));
        QVERIFY2(QDate::fromString(user[4].toString(), Qt::ISODate).isValid(),
                 qPrintable(user[4].toString()));
        QVERIFY(user[5].isNull());

        Table view(kAliasVantejaVs2, "USUARIOS");
        view.open();
        QCOMPARE(view.recordCount(), 1);
        QCOMPARE(view.fieldByName("login").asString(), QStringLiteral("WEJ"));
        QCOMPARE(view.fieldByName("senha").asString(), QStringLiteral("wej"));
        QCOMPARE(view.fieldByName("status").asString(), QStringLiteral("S"));
        QVERIFY(view.fieldByName("DT_INC").asDate().isValid());
    }

    void existingDataFileIsKept() {
        addRow("c_cliente", {{"Nome", "Ana"}});
        EXPECT_DATA_ERROR(writeDataFolder(data_->dataFolder()), "já existe");
        QCOMPARE(rowCount(kAliasVantejaVs2, "c_cliente"), 1);
        QVERIFY(!QFile::exists(data_->dataFile() + ".novo"));

        Session::instance().database(kAliasVantejaVs2).disconnect();
        writeDataFolder(data_->dataFolder(), true);
        QCOMPARE(rowCount(kAliasVantejaVs2, "c_cliente"), 0);
        QCOMPARE(rowCount(kAliasVantejaVs2, "USUARIOS"), 1);
        QVERIFY(!QFile::exists(data_->dataFile() + ".novo"));
    }

    void dataFolderIsCreated() {
        const QString folder = data_->programFolder() + "/outra/instalacao/" + kDataFolderName;
        writeDataFolder(folder);
        QVERIFY(QFileInfo(QDir(folder).filePath(kDataFileName)).isFile());
        Session::instance().define("Outra", {"PATH=" + folder});
        QCOMPARE(rowCount("Outra", "USUARIOS"), 1);
    }

    void missingData_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder") << "folder"
                                << "A pasta de dados não existe";
        QTest::newRow("file") << "file"
                              << "O arquivo de dados não existe";
        QTest::newRow("table") << "table"
                               << "A tabela 'tbfornecedor' não existe";
        QTest::newRow("empty file") << "empty file"
                                    << "está vazio (0 bytes), e um arquivo vazio não é um arquivo de dados";
        QTest::newRow("folder in place of the file") << "folder as file"
                                                     << "há uma pasta, e uma pasta não é um arquivo de dados";
        QTest::newRow("file in place of the folder") << "file as folder"
                                                     << "há um arquivo, e um arquivo não é uma pasta";
    }
    void missingData() {
        QFETCH(QString, what);
        QFETCH(QString, message);
        QString missing;  // the path the message must name
        if (what == "folder") {
            QVERIFY(QDir(data_->dataFolder()).removeRecursively());
            missing = QDir::toNativeSeparators(data_->dataFolder());
        } else if (what == "file") {
            QVERIFY(QFile::remove(data_->dataFile()));
            missing = QDir::toNativeSeparators(data_->dataFile());
        } else if (what == "table") {
            SqliteFile(data_->dataFile()).exec("DROP TABLE tbfornecedor");
            missing = data_->dataFolder();
        } else if (what == "empty file") {
            QFile file(data_->dataFile());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            missing = QDir::toNativeSeparators(data_->dataFile());
        } else if (what == "folder as file") {
            QVERIFY(QFile::remove(data_->dataFile()));
            QVERIFY(QDir().mkpath(data_->dataFile()));
            missing = QDir::toNativeSeparators(data_->dataFile());
        } else {
            QVERIFY(QDir(data_->dataFolder()).removeRecursively());
            QFile file(data_->dataFolder());
            QVERIFY(file.open(QIODevice::WriteOnly));
            missing = QDir::toNativeSeparators(data_->dataFolder());
        }

        Table view(kAliasVantejaVs2, "tbfornecedor.db");
        QString error = errorOf([&] { view.open(); });
        QVERIFY2(error.contains(message) && error.contains(missing), qPrintable(error));
        QVERIFY(!view.active());

        Query query;
        query.setDatabaseName(kAliasVantejaVs2);
        query.setSql("select Nome from tbfornecedor");
        error = errorOf([&] { query.open(); });
        QVERIFY2(error.contains(message) && error.contains(missing), qPrintable(error));
        QVERIFY(!query.active());

        // Once the data is back the same view opens.
        Session::instance().database(kAliasVantejaVs2).disconnect();
        if (what == "folder as file") QVERIFY(QDir(data_->dataFile()).removeRecursively());
        if (what == "file as folder") QVERIFY(QFile::remove(data_->dataFolder()));
        writeDataFolder(data_->dataFolder(), true);
        view.open();
        QVERIFY(view.active());
    }

    void tableDroppedWhileConnected() {
        Table clientes(kAliasVantejaVs2, "c_cliente");
        clientes.open();
        SqliteFile(data_->dataFile()).exec("DROP TABLE tbfornecedor");
        Table view(kAliasVantejaVs2, "tbfornecedor");
        const QString error = errorOf([&] { view.open(); });
        QVERIFY2(error.contains("tbfornecedor"), qPrintable(error));
        QVERIFY(!view.active());
        QVERIFY(clientes.active());
    }

    void fileThatIsNotData() {
        // A failed open must leave no half-closed connection behind.
        QTest::failOnWarning(QRegularExpression("still in use"));
        {
            QFile file(data_->dataFile());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray(4096, 'x'));
        }
        Table view(kAliasVantejaVs2, "c_cliente");
        const QString error = errorOf([&] { view.open(); });
        QVERIFY2(!error.isNull(), "no DataError raised");
        QVERIFY(!view.active());
        QVERIFY(!Session::instance().database(kAliasVantejaVs2).connected());

        writeDataFolder(data_->dataFolder(), true);
        view.open();
        QVERIFY(view.active());
    }

    void senhaAsStored() {
        Database* senha = Session::instance().find(kDatabaseSenha);
        QVERIFY(senha);
        QCOMPARE(senha->params(), (QStringList{"PATH=C:\\[ProgramFilesFolder]Talonor\\dados",
                                               "DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"}));
        QCOMPARE(senha->path(), QStringLiteral("C:\\[ProgramFilesFolder]Talonor\\dados"));
        QVERIFY(!senha->connected());
        EXPECT_DATA_ERROR(senha->connect(), "A pasta de dados não existe");
        QVERIFY(!senha->connected());
        Table users(kDatabaseSenha, "USUARIOS");
        EXPECT_DATA_ERROR(users.open(), "Talonor");
        QVERIFY(!users.active());

        const Database& data = Session::instance().database(kAliasVantejaVs2);
        QCOMPARE(data.params(), QStringList{"PATH=" + dataFolderFor(data_->programFolder())});
        QVERIFY(!data.connected());
    }

    void senhaPointedAtDataFolder() {
        Database& senha = pointSenhaAtData();
        QCOMPARE(senha.params().mid(1), (QStringList{"DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"}));
        QCOMPARE(senha.path(), data_->dataFolder());
        senha.connect();
        QVERIFY(senha.connected());

        Table openBefore(kAliasVantejaVs2, "USUARIOS");
        openBefore.open();
        QCOMPARE(openBefore.recordCount(), 1);

        Table users(kDatabaseSenha, "USUARIOS");
        users.open();
        users.append();
        users.fieldByName("NOME").setAsString("Ana");
        users.fieldByName("LOGIN").setAsString("ANA");
        users.fieldByName("SENHA").setAsString("ana");
        users.fieldByName("STATUS").setAsString("S");
        users.post();
        QCOMPARE(users.recordCount(), 2);

        Table seen(kAliasVantejaVs2, "USUARIOS");
        seen.open();
        QCOMPARE(seen.recordCount(), 2);
        QVERIFY(seen.locate("LOGIN", "ANA"));
        QCOMPARE(seen.fieldByName("SENHA").asString(), QStringLiteral("ana"));
        openBefore.refresh();
        QCOMPARE(openBefore.recordCount(), 2);

        Query login;
        login.setDatabaseName(kAliasVantejaVs2);
        login.setSql(" SELECT * FROM USUARIOS WHERE Login = :vNome AND Senha = :vSenha\n AND STATUS = 'S'");
        login.setParam("vNome", "ANA");
        login.setParam("vSenha", "ana");
        login.open();
        QCOMPARE(login.recordCount(), 1);

        // And the other way round: a change through VantejaVs2 reaches the view on Senha.
        seen.edit();
        seen.fieldByName("STATUS").setAsString("N");
        seen.post();
        QVERIFY(users.locate("LOGIN", "ANA"));
        QCOMPARE(users.fieldByName("STATUS").asString(), QStringLiteral("N"));
    }

    void paramsFixedWhileConnected() {
        Database& data = Session::instance().database(kAliasVantejaVs2);
        const QStringList params = data.params();
        data.connect();
        EXPECT_DATA_ERROR(data.setParams({"PATH=/tmp"}), "conectado");
        EXPECT_DATA_ERROR(data.setParam(0, "PATH=/tmp"), "conectado");
        QCOMPARE(data.params(), params);
        QVERIFY(data.connected());

        data.disconnect();
        data.setParam(1, "ENABLE BCD=FALSE");
        QCOMPARE(data.params(), params + QStringList{"ENABLE BCD=FALSE"});
        QCOMPARE(data.path(), data_->dataFolder());
    }

    void disconnectClosesDatasets() {
        pointSenhaAtData();
        Table clientes(kAliasVantejaVs2, "c_cliente");
        Table pagar(kAliasVantejaVs2, "tbpagar.db");
        Table closedBefore(kAliasVantejaVs2, "logo");
        Query receber;
        receber.setDatabaseName(kAliasVantejaVs2);
        receber.setSql("select * from tbreceber");
        Table users(kDatabaseSenha, "USUARIOS");
        for (Dataset* dataset :
             std::initializer_list<Dataset*>{&clientes, &pagar, &closedBefore, &receber, &users})
            dataset->open();
        closedBefore.close();
        clientes.append();
        clientes.fieldByName("Nome").setAsString("Ana");

        Database& data = Session::instance().database(kAliasVantejaVs2);
        data.disconnect();
        QVERIFY(!data.connected());
        QVERIFY(!clientes.active());
        QVERIFY(!pagar.active());
        QVERIFY(!receber.active());
        QVERIFY(!closedBefore.active());
        QVERIFY(users.active());
        QVERIFY(Session::instance().database(kDatabaseSenha).connected());

        // Opening again connects again; the record being typed was abandoned.
        clientes.open();
        QVERIFY(data.connected());
        QCOMPARE(clientes.recordCount(), 0);
        receber.open();
        QVERIFY(receber.active());
    }

    void redefiningClosesDatasets() {
        Table clientes(kAliasVantejaVs2, "c_cliente");
        clientes.open();
        Session::instance().define(kAliasVantejaVs2, {"PATH=" + data_->dataFolder()});
        QVERIFY(!clientes.active());
        clientes.open();
        QVERIFY(clientes.active());
        Session::instance().remove(kAliasVantejaVs2);
        QVERIFY(!clientes.active());
        EXPECT_DATA_ERROR(clientes.open(), "VantejaVs2");
    }

    void sessionPasswordGuardsUsers() {
        data_.reset();
        data_ = std::make_unique<TempData>(false);
        pointSenhaAtData();
        for (const QString& database : {kAliasVantejaVs2, kDatabaseSenha}) {
            Table users(database, "USUARIOS");
            EXPECT_DATA_ERROR(users.open(), "USUARIOS");
            QVERIFY(!users.active());
        }
        QCOMPARE(rowCount(kAliasVantejaVs2, "c_cliente"), 0);

        Session::instance().addPassword("1234");
        Table users(kAliasVantejaVs2, "USUARIOS");
        EXPECT_DATA_ERROR(users.open(), "USUARIOS");
        Session::instance().addPassword(kSessionPassword);
        users.open();
        QCOMPARE(users.recordCount(), 1);
        QCOMPARE(rowCount(kDatabaseSenha, "USUARIOS"), 1);

        users.close();
        Session::instance().removeAllPasswords();
        EXPECT_DATA_ERROR(users.open(), "USUARIOS");
    }

    void databaseNames() {
        Session& session = Session::instance();
        QCOMPARE(session.find("vantejavs2"), session.find(kAliasVantejaVs2));
        QCOMPARE(session.find("SENHA"), session.find(kDatabaseSenha));
        QVERIFY(session.find(kAliasVantejaVs2) != session.find(kDatabaseSenha));
        QCOMPARE(rowCount("VANTEJAVS2", "USUARIOS"), 1);
        QVERIFY(!session.find("Outro"));
        EXPECT_DATA_ERROR(session.database("Outro"), "Outro");
        Table view("Outro", "c_cliente");
        EXPECT_DATA_ERROR(view.open(), "Outro");
    }

    void pathParameter_data() {
        QTest::addColumn<QStringList>("params");
        QTest::addColumn<QString>("path");
        QTest::newRow("alone") << QStringList{"PATH=/dados"} << "/dados";
        QTest::newRow("after others") << QStringList{"DEFAULT DRIVER=PARADOX", "path=/dados"} << "/dados";
        QTest::newRow("blanks around") << QStringList{"PATH = /dados "} << "/dados";
        QTest::newRow("equals in the value") << QStringList{"PATH=/a=b"} << "/a=b";
        QTest::newRow("other parameter") << QStringList{"PATHS=/dados"} << "";
        QTest::newRow("none") << QStringList() << "";
    }
    void pathParameter() {
        QFETCH(QStringList, params);
        QFETCH(QString, path);
        QCOMPARE(Database("Teste", params).path(), path);
    }

    void dataFolderInProgramFolder_data() {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QString>("dataFolder");
        QTest::newRow("plain") << "/opt/vanteja"
                               << "/opt/vanteja/Dados";
        QTest::newRow("trailing slash") << "/opt/vanteja/"
                                        << "/opt/vanteja/Dados";
        QTest::newRow("trailing backslash") << "C:\\Vanteja\\"
                                            << "C:\\Vanteja\\Dados";
    }
    void dataFolderInProgramFolder() {
        QFETCH(QString, programFolder);
        QFETCH(QString, dataFolder);
        QCOMPARE(dataFolderFor(programFolder), dataFolder);
    }

private:
    // What the start-up does before anything reaches Senha.
    Database& pointSenhaAtData() {
        Database& senha = Session::instance().database(kDatabaseSenha);
        senha.disconnect();
        senha.setParam(0, "PATH=" + dataFolderFor(data_->programFolder()));
        return senha;
    }

    std::unique_ptr<TempData> data_;
};

QTEST_GUILESS_MAIN(DatabaseTest)
#include "tst_database.moc"
