#pragma once

#include <QMap>
#include <QStringList>
#include <QVector>
#include <memory>

#include "Dataset.h"
#include "Money.h"

class Dialect;

class Statement;

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
    // Where the statement's own ORDER BY begins, when nothing but the order follows it; -1 otherwise. A count
    // or a sum over the rows leaves the order out.
    int orderByAt = -1;
    QString unordered() const { return orderByAt < 0 ? sql : sql.left(orderByAt); }
};

// Translates the local SQL the program writes: table names with or without extension ("tbpagar",
// "tbpagar.db"), field names in any case, dates as "mm/dd/yyyy" in double quotes, aliases with accents,
// named parameters. A date is bound whole or not at all: raises DataError for an impossible, partly typed or
// blank date in double quotes, and for a constant compared with a date field (the field, then an operator or
// BETWEEN) that is not a whole "mm/dd/yyyy" or "yyyy-mm-dd" date.
// Written for the engine of `dialect`; without one, for the data file.
TranslatedSql translateLocalSql(const QString& text, const Dialect* dialect = nullptr);

// The value bound to a parameter compared with a date field: a valid date, a whole date typed "dd/mm/yyyy"
// (or "yyyy-mm-dd"), or null. Raises DataError naming the parameter for anything else, a blank text included.
QVariant dateParameter(const QString& name, const QVariant& value);

// A read-only query: the statement is run on open and its rows are kept, so no lock stays on the data file.
// A query that reads on demand instead counts its rows on open and reads them a page at a time as they are
// asked for, so a list of a million rows shows its first screen at once.
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

    // Rows read as they are asked for rather than all on open. Columns the statement computes take the kind
    // of their values in the first rows. Changing it closes the query.
    void setReadOnDemand(bool on);
    bool readOnDemand() const { return onDemand_; }

    void open() override;
    void close() override;

    // The total of a column over every row of the open statement, by the one rule for totals (MoneySum),
    // summed by the engine; blank counts 0.
    Money sum(const QString& column);

    void first() override;
    void last() override;
    void next() override;
    void prior() override;
    int recordCount() const override { return active() ? count_ : 0; }
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
    QVariantList boundValues(const TranslatedSql& translated) const;
    QVector<QVariant> readRow(const Statement& statement) const;
    const QVector<QVariant>* rowAt(int row) const;
    void readPage(int page) const;
    void releaseCursor() const;

    QStringList lines_;
    QMap<QString, QVariant> params_;  // by lower-case name
    QVector<FieldDef> columns_;
    QVector<bool> typed_;  // columns with a declared type
    QVector<QVector<QVariant>> rows_;
    int count_ = 0;
    int pos_ = -1;

    // Reading on demand: the statement with its values, the pages read lately, and the statement that read
    // the last page, left where it stopped so that reading on through the rows needs no new search. It is let
    // go when control returns to the event loop, so no read lasts beyond the work that asked for rows.
    bool onDemand_ = false;
    QString sql_;
    QString unorderedSql_;
    QVariantList values_;
    QMap<int, Money> sums_;  // of the amount columns, by column, counted with the rows on open
    mutable QMap<int, QVector<QVector<QVariant>>> pages_;
    mutable QVector<int> pageOrder_;  // oldest first
    mutable std::unique_ptr<Statement> cursor_;
    mutable int cursorRow_ = -1;  // the row the cursor reads next
    mutable bool releasePending_ = false;
};
