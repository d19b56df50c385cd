#include "Startup.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <memory>

#include "BooksFolder.h"
#include "DataError.h"
#include "Database.h"
#include "Dialogs.h"
#include "Skin.h"
#include "U_Principal.h"
#include "WindowOpeners.h"

int startVanteja(QApplication& app, bool listen) {
    QApplication::setApplicationName(QStringLiteral("Vanteja"));
    Skin::apply(app);
    const BooksFolder::FirstStart books = BooksFolder::prepare();
    if (!books.error.isEmpty()) {
        Dialogs::current().error(nullptr, books.error);
        return 1;
    }
    if (books.made)
        Dialogs::current().information(
            nullptr,
            QStringLiteral("Bem-vindo ao Vanteja!\n\nSeus dados foram criados na pasta:\n%1\n\nSomente "
                           "o seu usuário deste computador tem acesso a ela. Para guardar cópias dos "
                           "dados, use o menu Ferramentas › Backup.")
                .arg(QDir::toNativeSeparators(books.folder)));
    defineStandardDatabases(BooksFolder::path());
    installWindowOpeners();
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
