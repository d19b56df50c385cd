#include "Startup.h"

#include <QApplication>
#include <QScreen>
#include <memory>

#include "Clock.h"
#include "DataError.h"
#include "Database.h"
#include "Dialogs.h"
#include "Skin.h"
#include "U_Principal.h"

int startVanteja(QApplication& app, bool listen) {
    QApplication::setApplicationName(QStringLiteral("Vanteja"));
    Skin::apply(app);
    defineStandardDatabases(ProgramFolder::path());
    std::unique_ptr<TFPrincipal> principal;
    try {
        principal = std::make_unique<TFPrincipal>();
    } catch (const DataError& error) {
        Dialogs::current().error(nullptr, error.message());
        return 1;
    }
    if (listen) principal->listenForCloseRequests();
    // Without a window manager (a bare X server) maximising does nothing: the window takes the screen itself.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        principal->setGeometry(screen->availableGeometry());
    principal->showMaximized();
    return app.exec();
}
