#include "QueryGrid.h"

#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>

#include "Query.h"
#include "Values.h"

QueryModel::QueryModel(QObject* parent) : QAbstractTableModel(parent) {}

void QueryModel::setQuery(Query* query) {
    if (query_) disconnect(query_, nullptr, this, nullptr);
    beginResetModel();
    query_ = query;
    endResetModel();
    if (!query) return;
    // Opening, closing and a new statement change the rows and the columns.
    connect(query, &Dataset::layoutChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
    // A display format changed: every shown value may read differently.
    connect(query, &Dataset::dataChanged, this, [this] {
        if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    });
}

void QueryModel::setTextStyle(const QColor& color, bool bold) {
    color_ = color;
    bold_ = bold;
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int QueryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !query_ ? 0 : query_->recordCount();
}

int QueryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !query_ || !query_->active() ? 0 : query_->fieldCount();
}

QVariant QueryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !query_ || !query_->active()) return {};
    switch (role) {
        case Qt::DisplayRole: {
            const int column = index.column();
            return Values::displayText(query_->fieldDef(column), query_->valueAt(index.row(), column),
                                       query_->displayFormat(column));
        }
        case Qt::TextAlignmentRole:
            if (query_->fieldDef(index.column()).isNumeric())
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        case Qt::ForegroundRole:
            return color_.isValid() ? QVariant(color_) : QVariant();
        case Qt::FontRole: {
            if (!bold_) return {};
            QFont font;
            font.setBold(true);
            return font;
        }
        default:
            return {};
    }
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !query_ || !query_->active() ||
        section >= query_->fieldCount())
        return {};
    return query_->fieldDef(section).name;
}

QueryGrid::QueryGrid(QWidget* parent) : QTableView(parent), model_(new QueryModel(this)) {
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setFixedWidth(14);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                Query* query = model_->query();
                if (following_ || !query || !query->active() || !current.isValid() ||
                    query->recNo() == current.row() + 1)
                    return;
                query->gotoBookmark({current.row()});
            });
    connect(model_, &QAbstractItemModel::modelReset, this, &QueryGrid::fitColumns);
    connect(model_, &QAbstractItemModel::modelReset, this, &QueryGrid::followQuery);
}

void QueryGrid::fitColumns() {
    // Texts take the room that is left; dates and amounts as much as their longest usual value needs, so a
    // list of any length lays out at once.
    Query* query = model_->query();
    if (!query || !query->active()) return;
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    QHeaderView* header = horizontalHeader();
    header->setStretchLastSection(false);
    for (int column = 0; column < query->fieldCount(); ++column) {
        const FieldDef& def = query->fieldDef(column);
        const bool text = !def.isNumeric() && def.type != FieldType::Date;
        header->setSectionResizeMode(column, text ? QHeaderView::Stretch : QHeaderView::Interactive);
        if (text) continue;
        const QString sample =
            def.type == FieldType::Date ? QStringLiteral("00/00/0000") : QStringLiteral("000.000,00");
        setColumnWidth(column,
                       qMax(metrics.horizontalAdvance(sample), metrics.horizontalAdvance(def.name)) + 16);
    }
}

void QueryGrid::setQuery(Query* query) {
    if (Query* old = model_->query()) disconnect(old, nullptr, this, nullptr);
    model_->setQuery(query);
    if (query) connect(query, &Dataset::afterScroll, this, &QueryGrid::followQuery);
    followQuery();
}

void QueryGrid::followQuery() {
    Query* query = model_->query();
    if (!query || !query->active() || query->recNo() == 0 || query->controlsDisabled()) return;
    if (currentIndex().row() == query->recNo() - 1) return;
    following_ = true;
    const QModelIndex index = model_->index(query->recNo() - 1, qMax(0, currentIndex().column()));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    following_ = false;
}
