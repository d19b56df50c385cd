// Vanteja: opens the data folder beside the program and reports what it holds.

#include <QCoreApplication>
#include <QTextStream>

#include "Catalogue.h"
#include "DataError.h"
#include "Database.h"
#include "Table.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vanteja"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    try {
        defineStandardDatabases(QCoreApplication::applicationDirPath());
        Session::instance().addPassword(kSessionPassword);
        Database& data = Session::instance().database(kAliasVantejaVs2);
        data.connect();
        out << "Vanteja: dados em " << data.path() << '\n';
        for (const TableDef& def : Catalogue::tables()) {
            Table table(kAliasVantejaVs2, def.name);
            table.open();
            out << "  " << def.name << ": " << table.recordCount() << " registro(s)\n";
        }
    } catch (const DataError& error) {
        err << "Vanteja: " << error.message() << '\n';
        return 1;
    }
    return 0;
}
