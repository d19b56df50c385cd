#include "SheetExport.h"

#include <QDir>
#include <QMenu>
#include <QStandardPaths>
#include <QTableView>

#include "CsvExport.h"
#include "DBGrid.h"
#include "DataError.h"
#include "Dialogs.h"
#include "EditorKit.h"
#include "QueryGrid.h"

namespace SheetExport {

namespace {

// The rows are read by position, so the grid's data set keeps its current row and any record being typed.
bool writeTable(Csv::Writer& writer, const TableModel& model) {
    Table* table = model.table();
    if (!table || !table->active()) return false;
    QStringList titles;
    QList<int> fields;
    for (const TableModel::Column& column : model.columns()) {
        titles << column.title;
        fields << table->fieldIndex(column.field);
    }
    writer.row(titles);
    const int rows = table->recordCount();
    for (int row = 0; row < rows; ++row) {
        const QVector<QVariant> values = table->rowValues(row);
        QStringList cells;
        for (int field : fields)
            cells << (field < 0 ? QString()
                                : Csv::cell(table->fieldDef(field), values.value(field),
                                            table->displayFormat(field)));
        writer.row(cells);
    }
    return true;
}

bool writeQuery(Csv::Writer& writer, const QueryModel& model) {
    Query* query = model.query();
    if (!query || !query->active()) return false;
    QStringList titles;
    for (int column = 0; column < query->fieldCount(); ++column)
        titles << query->fieldDef(column).name;
    writer.row(titles);
    const int rows = query->recordCount();
    for (int row = 0; row < rows; ++row) {
        QStringList cells;
        for (int column = 0; column < query->fieldCount(); ++column)
            cells << Csv::cell(query->fieldDef(column), query->valueAt(row, column),
                               query->displayFormat(column));
        writer.row(cells);
    }
    return true;
}

}  // namespace

bool exportGrid(QWidget* parent, QTableView* grid, const QString& name) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString fileName = Dialogs::current().saveFileName(
        parent, QStringLiteral("Exportar planilha"),
        folder + QLatin1Char('/') + name + QStringLiteral(".csv"), QStringLiteral("Planilha (*.csv)"));
    if (fileName.isEmpty()) return false;
    if (!fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) fileName += QStringLiteral(".csv");
    QString error;
    bool written = false;
    {
        InputBlocker wait;
        Csv::Writer writer(fileName);
        try {
            bool listed = false;
            if (writer.open(&error)) {
                if (const auto* model = qobject_cast<const TableModel*>(grid->model()))
                    listed = writeTable(writer, *model);
                else if (const auto* model = qobject_cast<const QueryModel*>(grid->model()))
                    listed = writeQuery(writer, *model);
                if (!listed) error = QStringLiteral("A lista não está aberta: não há o que exportar.");
                written = listed && writer.commit(&error);
            }
        } catch (const DataError& failure) {
            error = failure.message();
        }
    }
    if (!written) showError(parent, error);
    return written;
}

void addMenu(QTableView* grid, const QString& name) {
    auto* menu = new QMenu(grid);
    menu->setObjectName(QStringLiteral("exportMenu"));
    QAction* action = menu->addAction(QStringLiteral("Exportar planilha"));
    action->setObjectName(QStringLiteral("exportSheet"));
    QObject::connect(action, &QAction::triggered, grid,
                     [grid, name] { exportGrid(grid->window(), grid, name); });
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(grid, &QWidget::customContextMenuRequested, menu,
                     [grid, menu](const QPoint& at) { menu->popup(grid->viewport()->mapToGlobal(at)); });
}

}  // namespace SheetExport
