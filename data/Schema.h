#pragma once

#include <QString>

// Writes the data folder: the data file with the nine empty tables, their indexes and the first user
// (WEJ / wej, allowed to log in). An existing data file is kept unless `replace` is set. Raises DataError.
void writeDataFolder(const QString& folder, bool replace = false);

// The statements that create the tables and indexes, in order.
QStringList schemaStatements();
