#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>
#include <QTableView>

#include "Query.h"

// The rows of a query, read-only: every column of the statement, titled by its name, each value shown with
// its column's display format (dates as dd/mm/yyyy).
class QueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit QueryModel(QObject* parent = nullptr);
    void setQuery(Query* query);
    Query* query() const { return query_; }
    // The colour and weight of the cell texts.
    void setTextStyle(const QColor& color, bool bold);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QPointer<Query> query_;
    QColor color_;
    bool bold_ = false;
};

// A list over a query that follows its current row and moves it when the user picks a row.
class QueryGrid : public QTableView {
    Q_OBJECT
public:
    explicit QueryGrid(QWidget* parent = nullptr);
    void setQuery(Query* query);
    QueryModel* queryModel() const { return model_; }

private:
    void followQuery();
    void fitColumns();
    QueryModel* model_;
    bool following_ = false;
};
