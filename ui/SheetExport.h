#pragma once

#include <QString>

class QTableView;
class QWidget;

// Lists to a spreadsheet: what a grid lists, every row of its table view or query (not only the rows on
// screen), with the grid's column titles.
namespace SheetExport {

// Asks where to save (suggesting `name`.csv) and writes the file; a failure is shown in the error box.
// Returns whether a file was written.
bool exportGrid(QWidget* parent, QTableView* grid, const QString& name);
// Gives the grid the right-click menu "Exportar planilha".
void addMenu(QTableView* grid, const QString& name);

}  // namespace SheetExport
