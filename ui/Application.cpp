#include "Application.h"

#include <QWidget>

#include "DataError.h"
#include "Dialogs.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const DataError& error) {
        auto* widget = qobject_cast<QWidget*>(receiver);
        showError(widget ? widget->window() : QApplication::activeWindow(), error.message());
        return true;
    }
}
