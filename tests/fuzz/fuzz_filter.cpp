// libFuzzer target for the filter compiler: any text either raises a DataError or compiles to SQL that
// the engine takes, with one bound value per "?", also wrapped once more as a search inside a filter does.
// Built only with -DVANTEJA_FUZZ=ON and clang (see the README).

#include <sqlite3.h>

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "Catalogue.h"
#include "DataError.h"
#include "Filter.h"
#include "Schema.h"

namespace {

sqlite3* schemaDatabase() {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    for (const QString& statement : schemaStatements())
        sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr);
    return db;
}

[[noreturn]] void fail(sqlite3* db, const QByteArray& sql, const char* why) {
    std::fprintf(stderr, "%s: %s\n%s\n", why, sqlite3_errmsg(db), sql.constData());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static sqlite3* db = schemaDatabase();
    if (size == 0) return 0;
    // The first byte picks the table, so fields of every type are compared.
    const QVector<TableDef>& tables = Catalogue::tables();
    const TableDef& table = tables[data[0] % tables.size()];
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    CompiledFilter filter;
    try {
        filter = compileFilter(text, table);
    } catch (const DataError&) {
        return 0;
    }
    if (filter.isEmpty()) return 0;
    const QByteArray sql =
        QStringLiteral("SELECT %1 FROM %2 WHERE (%3) AND (%1 >= ?) ORDER BY %1")
            .arg(quoteIdentifier(table.keyField().name), quoteIdentifier(table.name), filter.sql)
            .toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
        fail(db, sql, "refused by the engine");
    if (sqlite3_bind_parameter_count(statement) != filter.params.size() + 1) fail(db, sql, "parameters");
    sqlite3_finalize(statement);
    return 0;
}
