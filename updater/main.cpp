#include "Application.h"
#include "Skin.h"
#include "Unit_Atualizar.h"

int main(int argc, char** argv) {
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Atualizar"));
    // No program name appended to the window's caption.
    QGuiApplication::setDesktopFileName(QStringLiteral("Atualizar"));
    Skin::apply(app);
    TFatualizar window;
    window.show();
    return app.exec();
}
