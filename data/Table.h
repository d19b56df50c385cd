#pragma once

#include <QHash>
#include <QVector>
#include <memory>

#include "Dataset.h"
#include "Filter.h"
#include "Money.h"

class Statement;
class Connection;

// A view (cursor) over one table of the catalogue. Several views of one table may be open at once, each with
// its own current row, index and filter. A view keeps the ordered keys of the rows that pass its filter and
// reads the current row by key on every move, so rows stored through another view are seen once this one
// re-reads (moving, re-filtering, re-indexing, refresh).
class Table : public Dataset {
    Q_OBJECT
public:
    enum LocateOption { CaseInsensitive = 1, PartialKey = 2 };

    explicit Table(QObject* parent = nullptr);
    Table(const QString& databaseName, const QString& tableName, QObject* parent = nullptr);
    ~Table() override;

    void setTableName(const QString& name);  // any of the program's spellings: "tbpagar.db", "USUARIOS"
    const QString& tableName() const { return tableName_; }
    const TableDef& definition() const;

    void open() override;
    // Raises what open() would for a missing data folder, file or table, without reading any row.
    void checkStored();
    void close() override;
    void refresh();  // re-reads the rows, keeping the current one where possible

    // Index by name (any spelling, any case) or by its key field; empty means primary-key order.
    void setIndexName(const QString& name);
    QString indexName() const { return indexName_; }
    void setIndexFieldNames(const QString& fieldName);
    QString indexFieldNames() const;

    void setFilter(const QString& text);
    const QString& filter() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }

    void first() override;
    void last() override;
    void next() override;
    void prior() override;
    int recordCount() const override { return active() ? keysCount_ : 0; }
    int recNo() const override;
    void setRecNo(int recNo);

    // Moves to the first row whose key in the current index is equal to or greater than the typed value,
    // or to the last row when there is none; returns whether such a row exists.
    bool findNearest(const QVariant& value);
    // Moves to the row that comes first, in the order of a field (letter case ignored for texts), among those
    // whose field is equal to or follows the value; to the last row in that order when none does. The view
    // keeps its own order. Returns whether such a row exists.
    bool locateNearest(const QString& fieldName, const QVariant& value);
    // Moves to the first row, in the current order, whose field equals the value; stays put when none does.
    bool locate(const QString& fieldName, const QVariant& value, int options = 0);

    Bookmark bookmark() const override;
    bool gotoBookmark(const Bookmark& bookmark) override;

    void insert();
    void append();
    // The row being inserted was given `number` in a field as one above the highest the view shows. If, when
    // it is stored, that is no longer so (another user stored that number meanwhile), the row gets one above
    // the highest then, found and stored under a lock so that no two users store the same number. A number
    // typed over it is stored as typed.
    void markNumbered(const QString& fieldName, qint64 number);
    void edit();  // on an empty view, begins a new row
    void post();
    void cancel();
    void remove();  // Delphi's Delete
    bool modified() const { return modified_; }
    // Stores a changed record, or quietly leaves the editing state when nothing was changed.
    void checkBrowseMode();

    int fieldCount() const override;
    const FieldDef& fieldDef(int index) const override;
    QVariant fieldValue(int index) const override;
    void setFieldValue(int index, const QVariant& value) override;

    // Sum of a field over the rows that pass the filter (blank counts 0), by the one rule for totals
    // (MoneySum). A changed record is stored first, as walking the rows would do.
    Money sum(const QString& fieldName);
    // The field whose total is wanted after every change of rows: added up while the keys are read, when that
    // costs no extra lookup.
    void setTotalField(const QString& fieldName) { totalField_ = fieldName; }
    // How many keys are read at once when the view opens or re-reads; -1 (the default): as the engine
    // prefers, 0: all.
    void setKeysPage(int rows) { keysPage_ = rows; }

    // Rows by position, without moving: for grids.
    qint64 keyAt(int row) const { return keys_.value(row, -1); }  // -1 also past the keys read so far
    QVector<QVariant> rowValues(int row);

protected:
    void storedElsewhere(const QString& table) override;

private:
    void requireDefinition() const;
    const IndexDef* resolveIndex(const QString& name) const;
    QString orderBy() const;
    QString fromWhere(const CompiledFilter& filter) const;
    // The keys of the rows that pass the filter, in order: on a server the first page of them and their
    // count, unless `whole`.
    void reloadKeys(bool whole = false);
    bool partial() const { return keys_.size() < keysCount_; }
    void completeKeys();
    int indexOfKey(qint64 key);
    // The row by key; `stored`, when given, gets the values as the engine keeps them.
    bool readRow(qint64 key, QVector<QVariant>& values, QVector<QVariant>* stored = nullptr);
    void moveTo(int pos, int step = 0);
    void standOnARow();
    bool readAt(int pos, int step);
    int readAhead() const;  // rows read at once by a run of moves
    void clearCurrent();
    void repositionOn(qint64 key, int fallbackPos);
    int positionOf(qint64 key);
    int placeFor(qint64 key);
    qint64 dataVersion();
    bool keysCurrent();
    bool selects(qint64 key);
    qint64 storedMillionths(int field, qint64 key);
    int placeStored(qint64 key, int at, int& removedAt, int& insertedAt);
    void forgetKeys();
    void keepKeys();
    int findPosition(qint64 key);
    void afterMove();
    void applyFilter(bool on);
    void positionOnSelected(const QString& condition, const QVariantList& params, bool* found);
    void renumberIfTaken(Connection& connection);

    const TableDef* def_ = nullptr;
    QString tableName_;
    QString indexName_;
    const IndexDef* index_ = nullptr;
    QString filterText_;
    bool filtered_ = false;
    CompiledFilter compiled_;

    QVector<qint64> keys_;  // the first keysCount_ of them, or the first page until more are needed
    int keysCount_ = 0;
    int keysPage_ = -1;
    int pos_ = -1;
    QVector<QVariant> current_;  // the current row as stored
    QVector<QVariant> buffer_;   // the row being edited or inserted
    QVector<QVariant> asRead_;   // the edited row as stored when editing began
    QVector<bool> changed_;
    bool modified_ = false;
    int numberedField_ = -1;  // the field markNumbered() gave a number, and the number
    qint64 numberedAs_ = 0;
    std::unique_ptr<Statement> readStatement_;
    std::unique_ptr<Statement> batchStatement_;  // several rows by key, for a run of moves one way
    std::unique_ptr<Statement> sortValueStatement_;
    std::unique_ptr<Statement> selectStatement_;  // the last search, kept for the next keystroke
    QString selectSql_;

    // The last key lists read, with what was stored when they were read: the same rows asked for again while
    // nothing has been stored, by this program or another, are not read again. A window that shows all the
    // rows between two filters, or filters anew after opening, then reads its keys once.
    struct KeyRead {
        QString sql;
        QVariantList params;
        qint64 changes = -1;
        qint64 version = -1;
        QVector<qint64> keys;
        int count = 0;  // more than the keys when only their first page was read
    };
    QVector<KeyRead> keyReads_;

    // What keys_ were read against: while nothing else has been stored since, a row this view stores itself
    // is put in its place (or taken out) by a few lookups instead of reading every key again.
    struct Stamp {
        qint64 changes = -1;
        qint64 version = -1;
        bool lasting = false;  // read outside any transaction: no rollback can take it back
    } keysStamp_;

    // The index field's value of rows looked at by the bisection that places a row, kept while nothing is
    // stored.
    struct SortValue {
        int rank = 0;  // blank, number, text, other
        double number = 0;
        QByteArray bytes;
        static SortValue of(const QVariant& value);
        int compare(const SortValue& other, bool noCase) const;
    };
    struct SortValues {
        const IndexDef* index = nullptr;
        Stamp stamp;
        QHash<qint64, SortValue> values;
    } sortValues_;
    QString keysSql_;
    QString totalField_;

    // The last total of a field, kept on the same terms as the keys and carried across this view's own
    // stores.
    struct SumRead {
        int field = -1;
        QString sql;
        QVariantList params;
        Stamp stamp;
        MoneySum sum;
    } sumRead_;
    bool sumKept(int field, const Stamp& stamp) const;
    void addUp(int field, MoneySum& sum);

    // Rows read ahead by a run of Next or Prior, at positions first.. of keys_, as long as nothing has been
    // stored since by this program, nor by another as far as the last news of others' stores tells.
    struct ReadAhead {
        qint64 changes = -1;
        qint64 version = -1;
        int first = 0;
        QVector<qint64> keys;
        QVector<QVector<QVariant>> rows;
    } ahead_;
};
