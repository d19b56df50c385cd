#pragma once

class QWidget;

// "Ferramentas" › "Importar dados antigos": asks for the folder of the old Paradox tables and brings them
// into the books through vanteja-dados, run as a program of its own so that a table the reading library
// chokes on can never take the open window down with it; then shows its report.
namespace ImportarDados {

// Returns whether anything was imported.
bool run(QWidget* parent);

}  // namespace ImportarDados
