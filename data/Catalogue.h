#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The nine tables of the data folder, as the program declares them. The schema of the shipped data file,
// field truncation and type conversion all come from here.

enum class FieldType { AutoInc, Integer, Float, Currency, Date, String, Memo, Blob, Graphic };

struct FieldDef {
    QString name;  // as declared, e.g. "Endereço", "Dia mes"
    FieldType type = FieldType::String;
    int size = 0;           // characters for String, in-record length for Memo
    QString displayFormat;  // default display format of the field
    QString editMask;       // default edit mask of the field

    bool isNumeric() const;
    bool isText() const { return type == FieldType::String || type == FieldType::Memo; }
    bool isBinary() const { return type == FieldType::Blob || type == FieldType::Graphic; }
    // Declared SQL type; it also carries the field type through query results.
    QString sqlType() const;
};

struct IndexDef {
    QString name;  // the declared spelling
    QStringList otherSpellings;
    QString field;  // key field
    bool caseInsensitive = false;
    bool unique = false;
    bool primary = false;  // the primary key itself (no separate index in the store)
    // Further columns the store keeps in the index, after the key and the row key, so that the filters the
    // windows use on this order are answered from the index alone. They do not change the order.
    QStringList covering;
    // A second key field, ordering the rows of one key value before the row key does.
    QString thenBy;
    // Kept by the store for the program's SQL statements only: no view selects it, by name or by field.
    bool statementsOnly = false;

    bool isNamed(const QString& spelling) const;
};

struct TableDef {
    QString name;  // stored name, without extension
    QVector<FieldDef> fields;
    QVector<IndexDef> indexes;
    QString password;  // session password that must be registered before opening; empty if none

    int fieldIndex(const QString& fieldName) const;  // case-insensitive; -1 when unknown
    int keyFieldIndex() const;                       // the AutoInc row key
    const FieldDef& keyField() const { return fields[keyFieldIndex()]; }
    const IndexDef* findIndex(const QString& indexName) const;  // by any spelling, case-insensitive
    const IndexDef* indexOnField(const QString& fieldName) const;
    QString sqlIndexName(const IndexDef& index) const;
    // The statement that makes the index in the store.
    QString createIndexSql(const IndexDef& index) const;
};

namespace Catalogue {
const QVector<TableDef>& tables();
// Resolves the program's spellings ("tbpagar.db", "tbreceber.DB", "USUARIOS") to a table; nullptr if none.
const TableDef* find(const QString& tableName);
}  // namespace Catalogue

// The field a declared SQL type stands for (the reverse of FieldDef::sqlType); an unknown or empty type gives
// a field of type `fallback`.
FieldDef fieldFromSqlType(const QString& name, const QString& sqlType,
                          FieldType fallback = FieldType::String);

// Quotes an identifier for SQLite.
QString quoteIdentifier(const QString& name);
