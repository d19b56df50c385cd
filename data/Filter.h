#pragma once

#include <QMap>
#include <QString>
#include <QVariantList>

#include "Catalogue.h"

// A filter text translated to an SQL condition. The constants of the text never enter the SQL: each one is a
// bound parameter, converted to the type of the field it is compared with.
struct CompiledFilter {
    QString sql;  // empty when the text holds no condition
    QVariantList params;
    QStringList fields;  // declared names of the fields the condition reads
    // Fields compared with < or <=, which let blanks through below the bound: SQLite finds those rows by two
    // index lookups (the blanks and the range) and cannot hand them over in the order of that index.
    QStringList blankBelow;
    // For a condition of comparisons joined by "and": per field of blankBelow, the condition its non-blank
    // rows meet, where that field's comparisons are plain ranges. Its blank rows are those that meet the
    // condition and have the field blank.
    QMap<QString, QString> withoutBlanks;
    bool isEmpty() const { return sql.isEmpty(); }
};

// How every message about a filter that can't be applied begins.
inline const QString kInvalidFilter = QStringLiteral("Expressão de filtro inválida");

// The filter language of the windows: comparisons of a field with a constant (= <> < > <= >=) joined by and,
// or, not and parentheses. Field names in any case; dates as 'dd/mm/yyyy'; a blank value lower than every
// value; text compared exactly; a text constant ending in * (two characters or more) matches by prefix.
// Raises DataError for a malformed expression, an unknown field, a bad number or an impossible date.
CompiledFilter compileFilter(const QString& text, const TableDef& table);
