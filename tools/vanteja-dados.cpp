// Writes a Vanteja data folder: the nine empty tables and the first user; or brings old Paradox books into
// one.
//   vanteja-dados [--replace] FOLDER
//   vanteja-dados --importar OLD_FOLDER [DATA_FOLDER] [--substituir]
//   vanteja-dados --postgresql ADDRESS
//   vanteja-dados --copiar-para ADDRESS [DATA_FOLDER]

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include "BackupCopies.h"
#include "BooksFolder.h"
#include "Clock.h"
#include "DataError.h"
#include "Database.h"
#include "ParadoxImport.h"
#include "Schema.h"

namespace {

const char* const kUsage =
    "Uso:\n"
    "  vanteja-dados [--replace] PASTA\n"
    "      grava em PASTA um arquivo de dados vazio (--replace: substitui o existente)\n"
    "  vanteja-dados --importar PASTA_ANTIGA [PASTA_DADOS] [--substituir]\n"
    "      importa as tabelas Paradox (tbpagar.db, c_cliente.db, ...) de PASTA_ANTIGA para os dados em\n"
    "      PASTA_DADOS (padrão: a pasta Dados do Vanteja); dados que já têm lançamentos só são trocados com\n"
    "      --substituir, depois de uma cópia de segurança\n"
    "  vanteja-dados --postgresql ENDEREÇO\n"
    "      cria num banco de dados vazio do servidor PostgreSQL (postgresql://usuario@servidor:5432/banco)\n"
    "      as nove tabelas, seus índices, os avisos de alteração e o primeiro usuário\n"
    "  vanteja-dados --copiar-para ENDEREÇO [PASTA_DADOS]\n"
    "      copia para o servidor, já preparado com --postgresql, as tabelas do arquivo de dados de\n"
    "      PASTA_DADOS (padrão: a pasta Dados do Vanteja), numa só transação, e confere contagens e somas\n"
    "  A senha vem do arquivo .pgpass do usuário ou de PGPASSWORD; nunca do endereço.\n"
    "  vanteja-dados --help\n"
    "Saída: 0 feito; 1 não feito (o motivo vai para a saída de erros); 2 argumentos inválidos;\n"
    "3 importação recusada porque os dados já têm lançamentos.\n";

int import(QStringList args, QTextStream& out, QTextStream& err) {
    const bool replace = args.removeAll(QStringLiteral("--substituir")) > 0;
    if (args.isEmpty() || args.size() > 2 || args.first().startsWith(QLatin1Char('-'))) {
        err << kUsage;
        return 2;
    }
    const QString books = BooksFolder::path();
    const QString standard = dataFolderFor(books);
    const QString dataFolder = args.size() == 2 ? args[1] : standard;
    const ParadoxImport::Backup backup = [&](const QString& dataFile, QString& error) {
        // Copies of the program's own books go where the Backup program keeps them; others beside them.
        const bool own = QFileInfo(dataFolder).canonicalFilePath() == QFileInfo(standard).canonicalFilePath();
        const QString folder =
            own ? Backups::folder(books) : Backups::defaultFolder(QFileInfo(dataFolder).absolutePath());
        const Backups::Result made = Backups::make(dataFile, folder, Clock::now());
        error = made.error;
        return made.ok ? made.path : QString();
    };
    const ParadoxImport::Report report = ParadoxImport::run(args[0], dataFolder, replace, backup);
    switch (report.outcome) {
        case ParadoxImport::Report::Outcome::Imported:
            out << QStringLiteral("Dados antigos importados de %1 para %2\n")
                       .arg(QDir::toNativeSeparators(args[0]), QDir::toNativeSeparators(dataFolder))
                << report.text() << '\n';
            return 0;
        case ParadoxImport::Report::Outcome::Refused:
            err << report.text() << '\n';
            return 3;
        case ParadoxImport::Report::Outcome::Failed:
            break;
    }
    err << report.text() << '\n';
    return 1;
}

// The books on a server: made empty, or filled from a data folder's file.
int server(const QString& option, const QStringList& args, QTextStream& out, QTextStream& err) {
    const bool copying = option == QLatin1String("--copiar-para");
    if (args.isEmpty() || args.size() > (copying ? 2 : 1) || args.first().startsWith(QLatin1Char('-'))) {
        err << kUsage;
        return 2;
    }
    try {
        if (!copying) {
            setUpServer(args.first(), Clock::today());
            out << QStringLiteral("Tabelas do Vanteja criadas no servidor %1\n").arg(args.first());
            return 0;
        }
        const QString folder = args.size() == 2 ? args[1] : dataFolderFor(BooksFolder::path());
        const auto copied = copyToServer(folder, args.first());
        out << QStringLiteral("Dados de %1 copiados para o servidor %2:\n")
                   .arg(QDir::toNativeSeparators(folder), args.first());
        for (const auto& [table, rows] : copied)
            out << QStringLiteral("  %1 %2 registros\n").arg(table, -14).arg(rows);
        out << QStringLiteral("Contagens e somas conferidas.\n");
        return 0;
    } catch (const DataError& error) {
        err << error.message() << '\n';
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.contains(QStringLiteral("--help"))) {
        out << kUsage;
        return 0;
    }
    if (args.removeAll(QStringLiteral("--importar")) > 0) return import(args, out, err);
    for (const QString& option : {QStringLiteral("--postgresql"), QStringLiteral("--copiar-para")})
        if (args.removeAll(option) > 0) return server(option, args, out, err);
    const bool replace = args.removeAll(QStringLiteral("--replace")) > 0;
    if (args.size() != 1) {
        err << kUsage;
        return 2;
    }
    try {
        writeDataFolder(args.first(), replace);
    } catch (const DataError& error) {
        err << error.message() << '\n';
        return 1;
    }
    out << "Dados gravados em " << QDir::toNativeSeparators(QDir(args.first()).absolutePath()) << '\n';
    return 0;
}
