#include "Schema.h"

#include <sqlite3.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QStringList>

#include "Catalogue.h"
#include "DataError.h"
#include "Database.h"
#include "Postgres.h"
#include "PostgresSchema.h"
#include "Sqlite.h"

QStringList schemaStatements() {
    QStringList statements;
    for (const TableDef& table : Catalogue::tables()) {
        QStringList columns;
        for (const FieldDef& field : table.fields)
            columns << quoteIdentifier(field.name) + QLatin1Char(' ') + field.sqlType();
        statements << QStringLiteral("CREATE TABLE %1 (%2)")
                          .arg(quoteIdentifier(table.name), columns.join(QStringLiteral(", ")));
        for (const IndexDef& index : table.indexes)
            if (!index.primary) statements << table.createIndexSql(index);
    }
    return statements;
}

void writeDataFolder(const QString& folder, bool replace) {
    if (!QDir().mkpath(folder))
        throw DataError(QStringLiteral("Não foi possível criar a pasta %1").arg(folder));
    const QString target = QDir(folder).filePath(kDataFileName);
    if (QFile::exists(target) && !replace)
        throw DataError(QStringLiteral("O arquivo de dados já existe: %1").arg(target));

    // Written beside the target and moved into place at the end, so a failure never leaves half a file.
    const QString partial = target + QStringLiteral(".novo");
    QFile::remove(partial);
    // Created readable by its owner only; the engine gives its -wal and -shm files the same permissions.
    {
        QFile created(partial);
        if (!created.open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            throw DataError(QStringLiteral("Não foi possível criar o arquivo de dados %1").arg(partial));
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(partial.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw DataError(QStringLiteral("Não foi possível criar o arquivo de dados %1").arg(partial));
    }
    try {
        execSql(db, QStringLiteral("PRAGMA journal_mode=WAL"));
        execSql(db, QStringLiteral("BEGIN"));
        for (const QString& statement : schemaStatements())
            execSql(db, statement);
        SqliteConnection connection(db);
        Statement user(connection, QStringLiteral("INSERT INTO USUARIOS (DT_INC, STATUS, NOME, LOGIN, SENHA) "
                                                  "VALUES (?, 'S', 'WEJ', 'WEJ', 'wej')"));
        user.bind(1, QDate::currentDate());
        user.run();
        execSql(db, QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_close(db);
        QFile::remove(partial);
        throw;
    }
    sqlite3_close(db);
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(target + suffix);
    if (!QFile::rename(partial, target))
        throw DataError(QStringLiteral("Não foi possível gravar o arquivo de dados %1").arg(target));
}

namespace {

// The tables of the catalogue the server's database lacks.
QStringList missingTables(Connection& server) {
    QStringList missing;
    Statement statement(server, postgresMissingTables());
    while (statement.step())
        missing << statement.text(0);
    return missing;
}

}  // namespace

void setUpServer(const QString& address, const QDate& today) {
    PostgresConnection server(address);
    if (missingTables(server).size() != Catalogue::tables().size())
        throw DataError(
            QStringLiteral("O banco de dados %1 já tem tabelas do Vanteja; nada foi criado. Use um "
                           "banco de dados vazio.")
                .arg(server.place()));
    Transaction unit(server);
    for (const QString& statement : postgresSchemaStatements(today))
        server.execute(statement);
    unit.commit();
}

QList<QPair<QString, qint64>> copyToServer(const QString& dataFolder, const QString& address) {
    const QString file = QDir(dataFolder).filePath(kDataFileName);
    if (const QString problem = dataFileProblem(file); !problem.isEmpty())
        throw DataError(QStringLiteral("Não foi possível copiar: %1.").arg(problem));
    SqliteConnection books(file);
    PostgresConnection server(address);
    if (const QStringList missing = missingTables(server); !missing.isEmpty())
        throw DataError(
            QStringLiteral("O banco de dados %1 não tem as tabelas do Vanteja (%2). Prepare-o antes "
                           "com \"vanteja-dados --postgresql ENDEREÇO\".")
                .arg(server.place(), missing.join(QStringLiteral(", "))));
    QList<QPair<QString, qint64>> copied;
    // What is read is one moment of the file, whatever another program stores meanwhile.
    ReadTransaction reading(books);
    Transaction unit(server);
    for (const TableDef& table : Catalogue::tables()) {
        const QString name = quoteIdentifier(table.name);
        Statement count(server, QStringLiteral("SELECT count(*) FROM ") + name);
        count.step();
        // The first user made with the tables gives way to the file's users; any other row means the books
        // on the server are in use.
        const qint64 present = count.int64(0);
        if (present > (table.name == QLatin1String("USUARIOS") ? 1 : 0))
            throw DataError(
                QStringLiteral("A tabela %1 do banco de dados %2 já tem registros; nada foi copiado.")
                    .arg(table.name, server.place()));
        server.execute(QStringLiteral("DELETE FROM ") + name);
        QStringList columns, marks;
        for (const FieldDef& field : table.fields)
            columns << quoteIdentifier(field.name), marks << QStringLiteral("?");
        Statement read(books,
                       QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), name));
        Statement write(server,
                        QStringLiteral("INSERT INTO %1 (%2) OVERRIDING SYSTEM VALUE VALUES (%3)")
                            .arg(name, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
        qint64 rows = 0;
        while (read.step()) {
            for (int i = 0; i < table.fields.size(); ++i)
                write.bind(i + 1, read.fieldValue(i, table.fields[i].type));
            write.run();
            ++rows;
        }
        server.execute(postgresKeyCatchUp(table));
        // Both sides counted and, for every amount, summed again by their own engines.
        QStringList fileSums = {QStringLiteral("count(*)")}, serverSums = {QStringLiteral("count(*)")};
        for (const FieldDef& field : table.fields)
            if (field.type == FieldType::Float || field.type == FieldType::Currency) {
                fileSums << books.dialect().moneySum(quoteIdentifier(field.name));
                serverSums << server.dialect().moneySum(quoteIdentifier(field.name));
            }
        Statement fileCheck(
            books, QStringLiteral("SELECT %1 FROM %2").arg(fileSums.join(QStringLiteral(", ")), name));
        Statement serverCheck(
            server, QStringLiteral("SELECT %1 FROM %2").arg(serverSums.join(QStringLiteral(", ")), name));
        fileCheck.step();
        serverCheck.step();
        for (int i = 0; i < fileSums.size(); ++i)
            if (fileCheck.int64(i) != serverCheck.int64(i))
                throw DataError(
                    QStringLiteral("A cópia da tabela %1 não confere com o arquivo (%2 no arquivo, %3 no "
                                   "servidor); nada foi copiado.")
                        .arg(table.name)
                        .arg(fileCheck.int64(i))
                        .arg(serverCheck.int64(i)));
        copied << qMakePair(table.name, rows);
    }
    unit.commit();
    return copied;
}
