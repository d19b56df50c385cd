#pragma once

#include <QMap>
#include <QStringList>
#include <QVector>

#include "Dataset.h"

// One statement of the program's local SQL as SQLite runs it, with what must be bound to each "?".
struct TranslatedSql {
    struct Binding {
        QString param;      // a named parameter (":vNome" gives "vNome"), or empty for a constant
        QVariant value;     // the constant: a date written "mm/dd/yyyy" in double quotes
        bool date = false;  // the parameter is compared with a date field
    };
    QString sql;
    QVector<Binding> bindings;
    QStringList tables;  // stored names of the tables the statement names
};

// Translates the local SQL the program writes: table names with or without extension ("tbpagar",
// "tbpagar.db"), field names in any case, dates as "mm/dd/yyyy" in double quotes, aliases with accents,
// named parameters. A date is bound whole or not at all: raises DataError for an impossible, partly typed or
// blank date in double quotes, and for a constant compared with a date field (the field, then an operator or
// BETWEEN) that is not a whole "mm/dd/yyyy" or "yyyy-mm-dd" date.
TranslatedSql translateLocalSql(const QString& text);

// The value bound to a parameter compared with a date field: a valid date, a whole date typed "dd/mm/yyyy"
// (or "yyyy-mm-dd"), or null. Raises DataError naming the parameter for anything else, a blank text included.
QVariant dateParameter(const QString& name, const QVariant& value);

// A read-only query: the statement is run on open and its rows are kept, so no lock stays on the data file.
class Query : public Dataset {
    Q_OBJECT
public:
    explicit Query(QObject* parent = nullptr);
    ~Query() override;

    // The statement as lines of text, joined by line breaks. Changing it closes the query.
    void setSql(const QString& text);
    QString sql() const { return lines_.join(QLatin1Char('\n')); }
    void clearSql();
    void addSql(const QString& line);

    // Parameter values are kept by name (any case) across changes of the statement.
    void setParam(const QString& name, const QVariant& value);
    QVariant param(const QString& name) const;

    void open() override;
    void close() override;

    void first() override;
    void last() override;
    void next() override;
    void prior() override;
    int recordCount() const override { return active() ? int(rows_.size()) : 0; }
    int recNo() const override { return active() && pos_ >= 0 ? pos_ + 1 : 0; }
    Bookmark bookmark() const override;
    bool gotoBookmark(const Bookmark& bookmark) override;

    int fieldCount() const override { return int(columns_.size()); }
    const FieldDef& fieldDef(int index) const override;
    QVariant fieldValue(int index) const override;

    // A value by row and column, without moving: for grids and totals. Null outside the rows.
    QVariant valueAt(int row, int column) const;

private:
    void moveTo(int pos);

    QStringList lines_;
    QMap<QString, QVariant> params_;  // by lower-case name
    QVector<FieldDef> columns_;
    QVector<QVector<QVariant>> rows_;
    int pos_ = -1;
};
