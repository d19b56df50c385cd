#pragma once

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>

// Writes the data folder: the data file with the nine empty tables, their indexes and the first user
// (WEJ / wej, allowed to log in). An existing data file is kept unless `replace` is set. Raises DataError.
void writeDataFolder(const QString& folder, bool replace = false);

// The statements that create the tables and indexes, in order.
QStringList schemaStatements();

// Makes the books on an empty database of a PostgreSQL server: the nine tables, their indexes, the
// notification triggers and the first user, in one transaction. Raises DataError when the server can't be
// reached or the database already holds any of the tables.
void setUpServer(const QString& address, const QDate& today);

// Copies the nine tables of a data folder's file into the books on a server made by setUpServer, row for row
// and key for key, in one transaction; then checks the row counts and the amounts' sums on both sides.
// Returns the rows copied per table, in the catalogue's order. Raises DataError, having stored nothing, on
// any failure or difference.
QList<QPair<QString, qint64>> copyToServer(const QString& dataFolder, const QString& address);
