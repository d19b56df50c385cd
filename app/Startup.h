#pragma once

class QApplication;

// Starts Vanteja: the main window on the data folder beside the program, its first activation showing the
// login. Returns the program's exit status; a start that fails shows why and returns non-zero.
int startVanteja(QApplication& app, bool listen = true);
