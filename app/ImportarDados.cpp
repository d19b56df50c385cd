#include "ImportarDados.h"

#include <QApplication>
#include <QDir>
#include <QProcess>

#include "BooksFolder.h"
#include "Database.h"
#include "Dialogs.h"
#include "Programs.h"

namespace ImportarDados {

namespace {

const QString kCaption = QStringLiteral("Importar dados antigos");
// vanteja-dados' answer when the books already hold rows and replacing was not asked for.
constexpr int kRefused = 3;

struct Outcome {
    bool finished = false;
    int code = 0;
    QString out;
    QString err;
};

Outcome importFrom(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    process.start();
    const bool finished = process.waitForStarted() && process.waitForFinished(-1);
    QApplication::restoreOverrideCursor();
    Outcome outcome;
    outcome.finished = finished && process.exitStatus() == QProcess::NormalExit;
    outcome.code = process.exitCode();
    outcome.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    outcome.err = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return outcome;
}

}  // namespace

bool run(QWidget* parent) {
    Dialogs& dialogs = Dialogs::current();
    QString folder = QDir::homePath();
    if (!dialogs.chooseFolder(parent, kCaption, folder) || folder.isEmpty()) return false;
    const QString program = Programs::locate(QStringLiteral("vanteja-dados"));
    if (program.isEmpty()) {
        dialogs.error(parent,
                      QStringLiteral("O programa vanteja-dados, que faz a importação, não foi encontrado "
                                     "junto do Vanteja. Reinstale o Vanteja e tente de novo."));
        return false;
    }
    QStringList arguments{QStringLiteral("--importar"), folder, dataFolderFor(BooksFolder::path())};
    Outcome outcome = importFrom(program, arguments);
    if (outcome.finished && outcome.code == kRefused) {
        if (!dialogs.question(
                parent,
                QStringLiteral("Os dados atuais já têm lançamentos. Substituir todos eles pelos "
                               "dados antigos? Uma cópia de segurança dos dados atuais é feita "
                               "antes."),
                QStringLiteral("Confirmação"), true))
            return false;
        outcome = importFrom(program, arguments << QStringLiteral("--substituir"));
    }
    if (!outcome.finished) {
        dialogs.error(
            parent, QStringLiteral("A importação parou sem terminar; nada foi gravado. %1").arg(outcome.err));
        return false;
    }
    if (outcome.code != 0) {
        dialogs.error(parent,
                      outcome.err.isEmpty()
                          ? QStringLiteral("A importação não foi feita (código %1).").arg(outcome.code)
                          : outcome.err);
        return false;
    }
    dialogs.showText(parent, kCaption, outcome.out);
    return true;
}

}  // namespace ImportarDados
