#pragma once

#include <QDate>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>

#include "Catalogue.h"

class Database;
class Dataset;

// A remembered row of a dataset (its row key for a table, its row number for a query).
struct Bookmark {
    qint64 key = -1;
    bool isValid() const { return key >= 0; }
    bool operator==(const Bookmark&) const = default;
};

// A field of the current record of a dataset, addressed by position. Cheap to copy.
class Field {
public:
    Field(Dataset* dataset, int index) : dataset_(dataset), index_(index) {}

    const FieldDef& def() const;
    QString name() const { return def().name; }
    FieldType type() const { return def().type; }
    int size() const { return def().size; }
    int index() const { return index_; }

    QVariant value() const;
    void setValue(const QVariant& value);
    bool isNull() const;
    void clear() { setValue(QVariant()); }

    QString asString() const;
    void setAsString(const QString& text) { setValue(text); }
    double asFloat() const;
    void setAsFloat(double number) { setValue(number); }
    int asInteger() const;
    void setAsInteger(int number) { setValue(number); }
    QDate asDate() const;
    void setAsDate(const QDate& date) { setValue(date.isValid() ? QVariant(date) : QVariant()); }

    QString displayText() const;
    QString displayFormat() const;
    void setDisplayFormat(const QString& format);
    QString editMask() const;
    void setEditMask(const QString& mask);

private:
    Dataset* dataset_;
    int index_;
};

// What tables and queries have in common: a current record over an ordered set of rows, Delphi's BOF/EOF
// rules, fields by name with display formats and edit masks, and the events the windows listen to.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Dataset(QObject* parent = nullptr);
    ~Dataset() override;

    void setDatabaseName(const QString& name);
    const QString& databaseName() const { return databaseName_; }

    virtual void open() = 0;
    virtual void close() = 0;
    bool active() const { return state_ != State::Inactive; }
    State state() const { return state_; }

    virtual void first() = 0;
    virtual void last() = 0;
    virtual void next() = 0;
    virtual void prior() = 0;
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    virtual int recordCount() const = 0;  // rows that pass the filter
    virtual int recNo() const = 0;        // 1-based position of the current row; 0 when there is none
    bool isEmpty() const { return recordCount() == 0; }

    virtual Bookmark bookmark() const = 0;
    virtual bool gotoBookmark(const Bookmark& bookmark) = 0;  // false when the row is gone

    virtual int fieldCount() const = 0;
    virtual const FieldDef& fieldDef(int index) const = 0;
    int fieldIndex(const QString& name) const;  // case-insensitive; -1 when unknown
    Field fieldByName(const QString& name);     // raises DataError when unknown
    Field field(int index) { return Field(this, index); }
    virtual QVariant fieldValue(int index) const = 0;
    virtual void setFieldValue(int index, const QVariant& value);

    QString displayFormat(int index) const { return displayFormats_.value(index); }
    void setDisplayFormat(int index, const QString& format);
    QString editMask(int index) const { return editMasks_.value(index); }
    void setEditMask(int index, const QString& mask);

    // While disabled, controls are not told of changes; they are told once when enabled again.
    void disableControls() { ++disabled_; }
    void enableControls();
    bool controlsDisabled() const { return disabled_ > 0; }

    // Called by a database that is destroyed before this dataset.

signals:
    void afterOpen();
    void beforeClose();
    void beforeEdit();
    void afterEdit();
    void beforeInsert();
    void afterInsert();
    void beforePost();
    void afterPost();
    void beforeCancel();
    void afterCancel();
    void beforeDelete();
    void afterDelete();
    void afterScroll();
    void stateChanged();
    void updateRecord();           // before a record is stored: controls hand over the text being typed
    void dataChanged();            // current record moved, or changed as a whole
    void fieldChanged(int index);  // one field of the current record was set
    void layoutChanged();          // rows added, removed or reordered
    // The rows were read again because another user stored some: whatever is worked out from them (totals,
    // counts) is worked out again.
    void othersStored();

protected:
    // Another user stored rows in a table (any, when the name is empty).
    virtual void storedElsewhere(const QString& table) { Q_UNUSED(table); }
    Database& attachDatabase();
    void detachDatabase();
    void setState(State state);
    void notifyDataChanged();
    void notifyFieldChanged(int index);
    void notifyLayoutChanged();
    void resetFieldFormats();  // display formats and masks back to the field definitions' defaults
    void checkActive() const;

    Database* database_ = nullptr;
    State state_ = State::Inactive;
    bool bof_ = true;
    bool eof_ = true;

private:
    QString databaseName_;
    QVector<QString> displayFormats_;
    QVector<QString> editMasks_;
    int disabled_ = 0;
    bool pendingData_ = false;
    bool pendingLayout_ = false;
};

// Copies fields of the current record of `source` into the current record of `target` (which must be in
// editing): each pair names the source field and the target field.
void copyFields(Dataset& source, Dataset& target, const QList<std::pair<QString, QString>>& pairs);
