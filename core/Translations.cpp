#include "Translations.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// The texts the toolkit shows that its own Portuguese translations leave in English.
class ProgramTranslations : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override {
        static const QHash<QByteArray, QString> texts = {
            // The type column and the places of the file dialog.
            {"Folder", QStringLiteral("Pasta")},
            {"File Folder", QStringLiteral("Pasta de arquivos")},
            {"Drive", QStringLiteral("Unidade")},
        };
        static const QByteArrayList contexts = {"QAbstractFileIconProvider", "QFileIconProvider",
                                                "QFileSystemModel"};
        if (!contexts.contains(QByteArray(context))) return QString();
        return texts.value(QByteArray(sourceText));
    }
};

}  // namespace

bool Translations::install(QCoreApplication& app) {
    // The toolkit's own dialogs (file, print, standard buttons) and messages speak Portuguese whatever the
    // machine's locale; the program's own translations fill what those leave in English.
    auto* translator = new QTranslator(&app);
    const bool loaded =
        translator->load(QStringLiteral("qtbase_pt_BR"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded)
        app.installTranslator(translator);
    else
        delete translator;
    if (!app.findChild<QTranslator*>(QStringLiteral("programTranslations"), Qt::FindDirectChildrenOnly)) {
        auto* own = new ProgramTranslations(&app);
        own->setObjectName(QStringLiteral("programTranslations"));
        app.installTranslator(own);
    }
    return loaded;
}
