#pragma once

#include <QApplication>

// The application object of the programs with windows. A data error that a handler let through is shown in
// the standard error box, as a guarded action shows it, and the program goes on: a failure the code did not
// foresee costs the user one action, never the unsaved work of every window.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
