#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include "Catalogue.h"

// The books on a PostgreSQL server: the same nine tables as the data file, made from the same catalogue, with
// column types that give back every value exactly as the file does.
//
// - Dates are `date`: the program only ever stores a real calendar day or a blank, a `date` orders as the ISO
//   text does, and the server then refuses what is not a day. Read back as ISO text (DateStyle ISO).
// - Float and Currency are `double precision`, the file's REAL; whole numbers `bigint`, the file's 64 bits.
// - Texts are `varchar(n)` for String(n) (the program cuts to n characters already) and `text` for memos,
//   all of collation "C": compared and ordered by their bytes whatever the database's locale, as in the file.
// - The row key is an identity column that takes an explicit key too (a copy keeps its keys; see
//   postgresKeyCatchUp).
// - The case-insensitive indexes fold A-Z only, as the file's NOCASE does (vj_nocase).
// - Every table tells the listeners of the channel "vanteja" its name after each statement that writes to it.

// The oldest server that takes these statements (identity columns, INCLUDE, EXECUTE FUNCTION), in the form of
// the server_version_num setting.
constexpr int kPostgresMinimumVersion = 110000;

// The channel on which the tables announce their changes; the payload is the table's name.
inline constexpr char kPostgresChannel[] = "vanteja";

// The statements that make the tables, their indexes and triggers on an empty database and add the first user
// (WEJ / wej, allowed to log in) with `today` as the day of its inclusion. Run them in one transaction.
QStringList postgresSchemaStatements(const QDate& today = QDate::currentDate());

// One SELECT listing, one name per row in the catalogue's order, the tables of the catalogue that the
// database's current schema lacks.
QString postgresMissingTables();

// An expression with the case of A-Z folded and nothing else, in the collation of the case-insensitive
// indexes.
QString postgresNoCase(const QString& expression);

// The ORDER BY list that reads the table in the order of the index, from the index: key (blanks first, as in
// the file), the second key if any, then the row key.
QString postgresIndexOrder(const TableDef& table, const IndexDef& index);

// After rows were written with their own keys: makes the next key given by the table follow the highest one,
// as the file does by itself.
QString postgresKeyCatchUp(const TableDef& table);
