#include "DBGrid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTimer>

#include "DataError.h"
#include "Dialogs.h"
#include "Table.h"
#include "Values.h"

TableModel::TableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TableModel::setTable(Table* table) {
    for (const auto& connection : connections_)
        disconnect(connection);
    connections_.clear();
    table_ = table;
    if (table) {
        connections_ << connect(table, &Dataset::layoutChanged, this, &TableModel::reset);
        connections_ << connect(table, &Dataset::fieldChanged, this, [this] { emit currentRowChanged(); });
        connections_ << connect(table, &Dataset::dataChanged, this, [this] { emit currentRowChanged(); });
        // A record begun, stored or cancelled adds or takes away the row of the new record.
        connections_ << connect(table, &Dataset::stateChanged, this, [this] {
            if (!table_->controlsDisabled() && tableInserting() != inserting_) followInserting();
        });
        connections_ << connect(this, &TableModel::currentRowChanged, this, [this] {
            if (tableInserting() != inserting_) {
                followInserting();
                return;
            }
            // Only the current row can have changed without a change of layout.
            const int row = currentRow();
            if (row < 0) return;
            cache_.remove(row);
            if (row < rowCount()) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        });
    }
    setColumns(columns_);
}

void TableModel::setColumns(const QList<Column>& columns) {
    beginResetModel();
    columns_ = columns;
    fieldIndexes_.clear();
    for (const Column& column : columns_)
        fieldIndexes_ << (table_ ? table_->fieldIndex(column.field) : -1);
    recount();
    endResetModel();
}

void TableModel::reset() {
    beginResetModel();
    recount();
    endResetModel();
}

void TableModel::recount() {
    inserting_ = tableInserting();
    counted_ = table_ && table_->active() ? table_->recordCount() : -1;
    cache_.clear();
}

// The new record's row, last of all, comes or goes alone while the other rows stay as counted: the views
// then shift nothing, where a reset would have them measure every row again.
void TableModel::followInserting() {
    if (!table_ || !table_->active() || table_->recordCount() != counted_) {
        reset();
        return;
    }
    // The view picks another current row while the new one goes: that is no move of the user's.
    shifting_ = true;
    if (tableInserting()) {
        beginInsertRows(QModelIndex(), counted_, counted_);
        inserting_ = true;
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), counted_, counted_);
        inserting_ = false;
        cache_.remove(counted_);
        endRemoveRows();
    }
    shifting_ = false;
}

bool TableModel::tableInserting() const {
    return table_ && table_->state() == Dataset::State::Insert;
}

int TableModel::currentRow() const {
    if (!table_ || !table_->active()) return -1;
    if (inserting_) return table_->recordCount();
    return table_->recNo() - 1;
}

int TableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table_ || !table_->active()) return 0;
    return table_->recordCount() + (inserting_ ? 1 : 0);
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QString TableModel::cellText(int row, int column, bool forEditing) const {
    const int field = fieldIndexes_.value(column, -1);
    if (field < 0) return {};
    const bool editingThisRow =
        row == currentRow() && (inserting_ || table_->state() == Dataset::State::Edit);
    QVariant value;
    if (editingThisRow) {
        value = table_->fieldValue(field);
    } else {
        auto found = cache_.find(row);
        if (found == cache_.end()) {
            if (cache_.size() > 2000) cache_.clear();
            found = cache_.insert(row, table_->rowValues(row));
        }
        value = found->value(field);
    }
    const FieldDef& def = table_->fieldDef(field);
    return forEditing ? Values::asString(def, value)
                      : Values::displayText(def, value, table_->displayFormat(field));
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !table_ || !table_->active()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        try {
            return cellText(index.row(), index.column(), role == Qt::EditRole);
        } catch (const DataError&) {
            return {};
        }
    }
    if (role == Qt::TextAlignmentRole) {
        if (const Qt::Alignment own = columns_.value(index.column()).alignment; own != Qt::Alignment())
            return QVariant::fromValue(own | Qt::AlignVCenter);
        const int field = fieldIndexes_.value(index.column(), -1);
        if (field >= 0 && table_->fieldDef(field).isNumeric())
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !table_ || readOnly_) return false;
    const int field = fieldIndexes_.value(index.column(), -1);
    if (field < 0) return false;
    try {
        if (index.row() != currentRow()) table_->setRecNo(index.row() + 1);
        table_->edit();
        table_->setFieldValue(field, value);
    } catch (const DataError& error) {
        showError(nullptr, error.message());
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return columns_.value(section).title;
    return {};
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    const int field = fieldIndexes_.value(index.column(), -1);
    if (!readOnly_ && table_ && field >= 0 && table_->fieldDef(field).type != FieldType::AutoInc)
        flags |= Qt::ItemIsEditable;
    return flags;
}

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), model_(new TableModel(this)) {
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setFixedWidth(14);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                Table* table = model_->table();
                if (following_ || model_->shifting() || !table || !current.isValid() ||
                    model_->currentRow() == current.row())
                    return;
                // Leaving a row stores what was changed in it.
                try {
                    table->setRecNo(current.row() + 1);
                } catch (const DataError& error) {
                    showError(this, error.message());
                    // The table stayed on its row: so does the grid.
                    QTimer::singleShot(0, this, &DBGrid::followTable);
                }
            });
    connect(model_, &QAbstractItemModel::modelReset, this, &DBGrid::followTable);
}

void DBGrid::setTable(Table* table) {
    if (Table* old = model_->table()) disconnect(old, nullptr, this, nullptr);
    model_->setTable(table);
    if (table) {
        connect(table, &Dataset::afterScroll, this, &DBGrid::followTable);
        connect(table, &Dataset::dataChanged, this, &DBGrid::followTable);
    }
    followTable();
}

void DBGrid::setColumns(const QList<TableModel::Column>& columns) {
    model_->setColumns(columns);
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].width > 0) setColumnWidth(i, columns[i].width);
}

void DBGrid::setReadOnly(bool readOnly) {
    model_->setReadOnly(readOnly);
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                             : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::AnyKeyPressed);
}

void DBGrid::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    followTable();
}

// A grid on a page of its window not shown now catches up when shown: placing its current row measures
// where the rows lie, which over a million rows costs more than the move it follows.
void DBGrid::followTable() {
    Table* table = model_->table();
    if (!table || table->controlsDisabled() || (!isVisible() && window()->isVisible())) return;
    const int row = model_->currentRow();
    if (row < 0 || currentIndex().row() == row) return;
    following_ = true;
    const QModelIndex index = model_->index(row, qMax(0, currentIndex().column()));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    following_ = false;
}
