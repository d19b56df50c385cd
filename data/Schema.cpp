#include "Schema.h"

#include <sqlite3.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QStringList>

#include "Catalogue.h"
#include "DataError.h"
#include "Database.h"
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
