#include "BooksFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "Clock.h"
#include "Database.h"

namespace {

constexpr QFileDevice::Permissions kOwnerFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kOwnerFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool makeOwnerOnlyFolder(const QString& folder) {
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) return false;
    return QFile::setPermissions(folder, kOwnerFolder);
}

}  // namespace

namespace BooksFolder {

bool besideProgram() {
    return QFileInfo(dataFolderFor(ProgramFolder::path())).isDir();
}

QString userFolder() {
    // Named here rather than by the application name, which Backup and Atualizar set to their own.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Vanteja"));
}

QString path() {
    // A program that is neither (a lone copy of the program file) looks beside itself, as it always did, and
    // the start says which folder is missing there.
    return installed() ? userFolder() : ProgramFolder::path();
}

QString installedTemplate() {
    return QDir::cleanPath(QDir(ProgramFolder::path()).filePath(QStringLiteral(VANTEJA_TEMPLATE_FROM_BIN)));
}

bool installed() {
    return !besideProgram() && QFileInfo(installedTemplate()).isDir();
}

FirstStart prepare() {
    FirstStart result;
    if (!installed()) return result;
    const QString home = userFolder();
    const QString books = dataFolderFor(home);
    const QString file = QDir(books).filePath(kDataFileName);
    if (QFileInfo::exists(file)) return result;

    const QString source = QDir(installedTemplate()).filePath(kDataFileName);
    if (!makeOwnerOnlyFolder(home) || !makeOwnerOnlyFolder(books)) {
        result.error = QStringLiteral(
                           "Não foi possível criar a pasta de dados %1.\n\nVerifique se há espaço "
                           "e permissão de escrita na sua pasta pessoal.")
                           .arg(shown(books));
        return result;
    }
    // Copied under a passing name and renamed whole, so a start cut short never leaves half a data file.
    const QString partial = file + QStringLiteral(".novo");
    QFile::remove(partial);
    QFile copy(source);
    if (!copy.copy(partial) || !QFile::setPermissions(partial, kOwnerFile) || !QFile::rename(partial, file)) {
        const QString reason = copy.errorString();
        QFile::remove(partial);
        result.error = QStringLiteral("Não foi possível criar os dados em %1: %2.")
                           .arg(shown(books), reason.isEmpty() ? QStringLiteral("erro de gravação") : reason);
        return result;
    }
    result.made = true;
    result.folder = books;
    return result;
}

std::unique_ptr<QSettings> settings(const QString& program) {
    const QString folder = ProgramFolder::path();
    if (besideProgram() && QFileInfo(folder).isWritable()) {
        auto beside = std::make_unique<QSettings>(QDir(folder).filePath(QStringLiteral("Vanteja.ini")),
                                                  QSettings::IniFormat);
        beside->beginGroup(program);
        return beside;
    }
    return std::make_unique<QSettings>(QStringLiteral("Vanteja"), program);
}

}  // namespace BooksFolder
