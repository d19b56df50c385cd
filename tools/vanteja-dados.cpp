// Writes a Vanteja data folder: the nine empty tables and the first user.
//   vanteja-dados [--replace] FOLDER

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include "DataError.h"
#include "Schema.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool replace = args.removeAll(QStringLiteral("--replace")) > 0;
    QTextStream err(stderr);
    if (args.size() != 1) {
        err << "uso: vanteja-dados [--replace] PASTA\n";
        return 2;
    }
    try {
        writeDataFolder(args.first(), replace);
    } catch (const DataError& error) {
        err << error.message() << '\n';
        return 1;
    }
    QTextStream(stdout) << "Dados gravados em " << QDir::toNativeSeparators(QDir(args.first()).absolutePath())
                        << '\n';
    return 0;
}
