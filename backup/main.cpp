#include <QCoreApplication>
#include <QTextStream>

#include "Application.h"
#include "BackupCopies.h"
#include "BooksFolder.h"
#include "Clock.h"
#include "Programs.h"
#include "Skin.h"
#include "Translations.h"
#include "U_Backup.h"

namespace {

// "Backup --agora": one copy without a window, for a scheduled task. Exit status 0 when the copy was made and
// checked.
int copyNow(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Translations::install(app);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString books = BooksFolder::path();
    const Backups::Result result =
        Backups::make(Backups::dataFile(books), Backups::folder(books), Clock::now());
    if (!result.ok) {
        err << QStringLiteral("Backup: não foi possível fazer a cópia de segurança: %1.").arg(result.error)
            << '\n';
        return 1;
    }
    out << result.path << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        if (qstrcmp(argv[1], "--agora") == 0 && argc == 2) return copyNow(argc, argv);
        QTextStream(stderr) << QStringLiteral(
            "Uso: Backup [--agora]\n  --agora  faz uma cópia dos dados sem "
            "abrir a janela e termina (0: feita e conferida; 1: não feita)\n");
        return 2;
    }
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Backup"));
    QGuiApplication::setDesktopFileName(QStringLiteral("Backup"));
    Skin::apply(app);
    TFBackup window;
    window.show();
    return app.exec();
}
