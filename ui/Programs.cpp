#include "Programs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>

#include "Clock.h"
#include "Platform.h"

namespace Programs {

QString executableName(const QString& name) {
#ifdef Q_OS_WIN
    return name + QStringLiteral(".exe");
#else
    return name;
#endif
}

QString locate(const QString& name) {
    const QString file = executableName(name);
    const QFileInfo beside(QDir(ProgramFolder::path()).filePath(file));
    if (beside.isFile() && beside.isExecutable()) return beside.absoluteFilePath();
    return QStandardPaths::findExecutable(file);
}

bool start(const QString& name) {
    const QString path = locate(name);
    if (path.isEmpty()) return false;
    QProcess process;
    process.setProgram(path);
    process.setWorkingDirectory(QFileInfo(path).absolutePath());
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

QString mainProgramServerName() {
    return Platform::privateServerName(QStringLiteral("Vanteja"));
}

bool mainProgramRunning(const QString& serverName) {
    QLocalSocket probe;
    probe.connectToServer(serverName);
    return probe.waitForConnected(1000);
}

}  // namespace Programs
