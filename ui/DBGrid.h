#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <QTableView>

#include "Table.h"

// The rows of a table view as a model: rows are read when they are shown, so a view of a million rows opens
// and scrolls at once. The current row of the view is shown as it is being edited; a record being inserted
// is one more row, the last, until it is stored or cancelled.
class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString title;
        int width = 0;                 // pixels; 0 for the default
        Qt::Alignment alignment = {};  // none: numbers right, texts left
    };

    explicit TableModel(QObject* parent = nullptr);
    void setTable(Table* table);
    Table* table() const { return table_; }
    void setColumns(const QList<Column>& columns);
    const QList<Column>& columns() const { return columns_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // The row of the view's current record (the record being inserted included); -1 when there is none.
    int currentRow() const;
    bool shifting() const { return shifting_; }  // the new record's row coming or going

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void currentRowChanged();  // the view's current row changed in place

private:
    QString cellText(int row, int column, bool forEditing) const;
    void reset();
    void recount();  // within a reset
    void followInserting();
    bool tableInserting() const;

    QPointer<Table> table_;
    QList<Column> columns_;
    QList<int> fieldIndexes_;
    bool readOnly_ = false;
    bool inserting_ = false;  // what the rows were counted with
    bool shifting_ = false;
    int counted_ = -1;  // the view's rows when last counted, the new record's row apart
    mutable QHash<int, QVector<QVariant>> cache_;
    QList<QMetaObject::Connection> connections_;
};

// A grid over a table view that follows its current row and moves it when the user picks a row.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    void setTable(Table* table);
    void setColumns(const QList<TableModel::Column>& columns);
    void setReadOnly(bool readOnly);
    TableModel* tableModel() const { return model_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void followTable();
    TableModel* model_;
    bool following_ = false;
};
