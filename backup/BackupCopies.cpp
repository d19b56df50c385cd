#include "BackupCopies.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <filesystem>

#include "Database.h"
#include "Programs.h"

namespace Backups {

namespace {

constexpr int kPagesPerStep = 256;
constexpr int kBusyRetries = 200;  // of 50 ms: ten seconds of a writer holding the file
const QString kDamagedSuffix = QStringLiteral("-danificado");

const QRegularExpression& namePattern() {
    static const QRegularExpression pattern(QStringLiteral(
        "^Vanteja-(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)(-(\\d+))?(-danificado)?\\.sqlite$"));
    return pattern;
}

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// One SQLite connection, closed when it goes out of scope.
struct Connection {
    sqlite3* db = nullptr;
    ~Connection() {
        if (db) sqlite3_close_v2(db);
    }
    QString error() const {
        return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("sem memória");
    }
    bool open(const QString& file, int flags) {
        const int rc = sqlite3_open_v2(file.toUtf8().constData(), &db, flags, nullptr);
        if (rc == SQLITE_OK) sqlite3_busy_timeout(db, 5000);
        return rc == SQLITE_OK;
    }
};

int reportProgress(void* context) {
    const auto* progress = static_cast<const Progress*>(context);
    if (*progress) (*progress)(QStringLiteral("Conferindo a cópia..."), 0, 0);
    return 0;
}

QString checkIntegrity(sqlite3* db, const Progress& progress) {
    sqlite3_progress_handler(db, 50000, reportProgress, const_cast<Progress*>(&progress));
    sqlite3_stmt* statement = nullptr;
    QStringList problems;
    int rc = sqlite3_prepare_v2(db, "PRAGMA integrity_check(20)", -1, &statement, nullptr);
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
            problems << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    if (rc != SQLITE_DONE) problems << QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    sqlite3_progress_handler(db, 0, nullptr, nullptr);
    if (problems == QStringList{QStringLiteral("ok")}) return QStringLiteral("ok");
    problems.removeAll(QStringLiteral("ok"));
    return problems.join(QStringLiteral("; "));
}

// An empty file only its owner may read, for SQLite to fill.
bool createPrivate(const QString& path, QString* error) {
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        *error = file.errorString();
        file.remove();
        return false;
    }
    return true;
}

bool renameOver(const QString& from, const QString& to, QString* error) {
    std::error_code code;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                            std::filesystem::path(to.toStdU16String()), code);
    if (code) *error = QString::fromLocal8Bit(code.message());
    return !code;
}

void removeSidecars(const QString& databaseFile) {
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(databaseFile + QLatin1String(suffix));
}

QString uniqueName(const QString& folder, const QDateTime& now, bool damaged) {
    QString base = fileNameFor(now);
    base.chop(7);  // ".sqlite"
    const QString suffix = damaged ? kDamagedSuffix : QString();
    QDir dir(folder);
    QString name = base + suffix + QStringLiteral(".sqlite");
    for (int n = 2; dir.exists(name) || dir.exists(name + QStringLiteral(".parcial")); ++n)
        name = base + QStringLiteral("-%1").arg(n) + suffix + QStringLiteral(".sqlite");
    return dir.filePath(name);
}

// Copies `source` into the new file `target` with the online backup, a few pages at a time so that a writer
// waits for one step only.
QString copyDatabase(sqlite3* source, const QString& target, const char* journalMode,
                     const Progress& progress, bool* damaged) {
    *damaged = false;
    Connection destination;
    if (!destination.open(target, SQLITE_OPEN_READWRITE)) return destination.error();
    sqlite3_backup* backup = sqlite3_backup_init(destination.db, "main", source, "main");
    if (!backup) return destination.error();
    int rc = SQLITE_OK;
    int busy = 0;
    while (true) {
        rc = sqlite3_backup_step(backup, kPagesPerStep);
        if (rc == SQLITE_DONE) break;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            if (++busy > kBusyRetries) break;
            sqlite3_sleep(50);
            continue;
        }
        if (rc != SQLITE_OK) break;
        busy = 0;
        if (progress) {
            const int total = sqlite3_backup_pagecount(backup);
            progress(QStringLiteral("Copiando os dados..."), total - sqlite3_backup_remaining(backup), total);
        }
    }
    sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE)
        rc = sqlite3_exec(destination.db, QByteArray("PRAGMA journal_mode=").append(journalMode).constData(),
                          nullptr, nullptr, nullptr) == SQLITE_OK
                 ? SQLITE_DONE
                 : sqlite3_errcode(destination.db);
    if (rc == SQLITE_DONE) {
        const QString check = checkIntegrity(destination.db, progress);
        if (check == QLatin1String("ok")) return QString();
        *damaged = true;
        return QStringLiteral("o arquivo de dados está danificado (%1)").arg(check);
    }
    if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB) {
        *damaged = true;
        return QStringLiteral("o arquivo de dados está danificado (%1)")
            .arg(QString::fromUtf8(sqlite3_errstr(rc)));
    }
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        return QStringLiteral("o arquivo de dados ficou ocupado por tempo demais");
    const QString engine = sqlite3_errcode(destination.db) != SQLITE_OK
                               ? destination.error()
                               : QString::fromUtf8(sqlite3_errstr(rc));
    if (rc == SQLITE_FULL) return QStringLiteral("não há espaço na pasta das cópias (%1)").arg(engine);
    return engine;
}

void prune(const QString& folder) {
    const QList<Copy> copies = list(folder);
    for (qsizetype i = kKept; i < copies.size(); ++i)
        QFile::remove(copies[i].path);
}

}  // namespace

QString dataFile(const QString& programFolder) {
    return QDir(dataFolderFor(programFolder)).filePath(kDataFileName);
}

QString defaultFolder(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("Backups"));
}

QString folder(const QString& programFolder) {
    const QString chosen = QSettings(QStringLiteral("Vanteja"), QStringLiteral("Backup"))
                               .value(QStringLiteral("pasta"))
                               .toString();
    return chosen.isEmpty() ? defaultFolder(programFolder) : chosen;
}

void rememberFolder(const QString& folder) {
    QSettings settings(QStringLiteral("Vanteja"), QStringLiteral("Backup"));
    if (folder.isEmpty())
        settings.remove(QStringLiteral("pasta"));
    else
        settings.setValue(QStringLiteral("pasta"), folder);
    settings.sync();
    if (QFileInfo::exists(settings.fileName()))
        QFile::setPermissions(settings.fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString fileNameFor(const QDateTime& moment) {
    return QStringLiteral("Vanteja-") + moment.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) +
           QStringLiteral(".sqlite");
}

QList<Copy> list(const QString& folder) {
    struct Entry {
        Copy copy;
        int sequence;
    };
    QList<Entry> entries;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("Vanteja-*.sqlite")}, QDir::Files);
    for (const QFileInfo& info : files) {
        const QRegularExpressionMatch match = namePattern().match(info.fileName());
        if (!match.hasMatch()) continue;
        Copy copy;
        copy.path = info.absoluteFilePath();
        copy.made = QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
        copy.size = info.size();
        copy.damaged = !match.captured(4).isEmpty();
        if (copy.made.isValid()) entries.append({copy, match.captured(3).toInt()});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.copy.made != b.copy.made) return a.copy.made > b.copy.made;
        return a.sequence > b.sequence;
    });
    QList<Copy> copies;
    for (const Entry& entry : entries)
        copies.append(entry.copy);
    return copies;
}

QString integrity(const QString& file, const Progress& progress) {
    if (!QFileInfo(file).isFile()) return QStringLiteral("o arquivo %1 não existe").arg(native(file));
    Connection connection;
    if (!connection.open(file, SQLITE_OPEN_READONLY)) return connection.error();
    return checkIntegrity(connection.db, progress);
}

Result make(const QString& dataFile, const QString& folder, const QDateTime& now, const Progress& progress,
            const Options& options) {
    Result result;
    result.error = dataFileProblem(dataFile);
    if (!result.error.isEmpty()) return result;
    QDir dir(folder);
    if (!dir.exists()) {
        if (!QDir().mkpath(folder)) {
            result.error = QStringLiteral("não foi possível criar a pasta %1").arg(native(folder));
            return result;
        }
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    Connection source;
    // Read-write, so that a journal left by a program that stopped half-way is rolled back first.
    if (!source.open(dataFile, SQLITE_OPEN_READWRITE)) {
        sqlite3_close_v2(source.db);
        source.db = nullptr;
        if (!source.open(dataFile, SQLITE_OPEN_READONLY)) {
            result.error =
                QStringLiteral("não foi possível abrir o arquivo de dados (%1)").arg(source.error());
            return result;
        }
    }

    const QString final = uniqueName(folder, now, false);
    const QString partial = final + QStringLiteral(".parcial");
    QString error;
    if (!createPrivate(partial, &error)) {
        result.error = QStringLiteral("não é possível gravar na pasta %1 (%2)").arg(native(folder), error);
        return result;
    }
    bool damaged = false;
    // A copy is one self-contained file: no write-ahead log beside it.
    error = copyDatabase(source.db, partial, "DELETE", progress, &damaged);
    if (!error.isEmpty()) {
        QFile::remove(partial);
        removeSidecars(partial);
        if (damaged && options.keepDamaged) {
            // What is there is kept as it is: a restore must never lose the data it replaces.
            const QString raw = uniqueName(folder, now, true);
            QString copyError;
            if (QFile::copy(dataFile, raw + QStringLiteral(".parcial")) &&
                QFile::setPermissions(raw + QStringLiteral(".parcial"),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                renameOver(raw + QStringLiteral(".parcial"), raw, &copyError)) {
                result.path = raw;
            } else {
                QFile::remove(raw + QStringLiteral(".parcial"));
            }
        }
        result.error = error;
        return result;
    }
    if (!renameOver(partial, final, &error)) {
        QFile::remove(partial);
        result.error = QStringLiteral("não foi possível dar o nome final à cópia (%1)").arg(error);
        return result;
    }
    if (options.prune) prune(folder);
    result.ok = true;
    result.path = final;
    return result;
}

Result restore(const QString& copy, const QString& dataFile, const QString& folder, const QDateTime& now,
               const QString& serverName, const Progress& progress) {
    Result result;
    if (Programs::mainProgramRunning(serverName)) {
        result.error = QStringLiteral("o Vanteja está aberto; feche-o antes de restaurar uma cópia");
        return result;
    }
    const QString check = integrity(copy, progress);
    if (check != QLatin1String("ok")) {
        result.error =
            QStringLiteral("a cópia %1 está danificada (%2)").arg(QFileInfo(copy).fileName(), check);
        return result;
    }

    // A folder where the data file belongs can't be replaced by a file.
    if (QFileInfo(dataFile).isDir()) {
        result.error =
            dataFileProblem(dataFile) + QStringLiteral("; remova ou renomeie essa pasta e restaure de novo");
        return result;
    }
    // An empty file holds nothing to keep.
    if (QFileInfo(dataFile).isFile() && QFileInfo(dataFile).size() > 0) {
        const Result saved = make(dataFile, folder, now, progress, Options{false, true});
        if (saved.path.isEmpty()) {
            result.error = QStringLiteral("não foi possível guardar os dados atuais antes de restaurar (%1)")
                               .arg(saved.error);
            return result;
        }
        result.path = saved.path;
    }

    // The data file keeps the journal mode it had (the shipped one writes ahead to a log).
    const char* journalMode = "WAL";
    if (QFile current(dataFile); current.open(QIODevice::ReadOnly)) {
        const QByteArray header = current.read(20);
        if (header.startsWith("SQLite format 3") && header.size() == 20 && header.at(18) == 1)
            journalMode = "DELETE";
    }
    const QString incoming = dataFile + QStringLiteral(".restaurando");
    QString error;
    if (!createPrivate(incoming, &error)) {
        result.error = QStringLiteral("não é possível gravar na pasta de dados (%1)").arg(error);
        return result;
    }
    {
        Connection source;
        bool damaged = false;
        if (!source.open(copy, SQLITE_OPEN_READONLY)) {
            error = source.error();
        } else {
            error = copyDatabase(source.db, incoming, journalMode, progress, &damaged);
        }
    }
    if (error.isEmpty()) {
        // A journal beside the data file belongs to the data being replaced; applied to the new file it would
        // damage it.
        removeSidecars(dataFile);
        if (!renameOver(incoming, dataFile, &error))
            error = QStringLiteral("não foi possível substituir o arquivo de dados (%1)").arg(error);
    }
    if (!error.isEmpty()) {
        QFile::remove(incoming);
        removeSidecars(incoming);
        result.error = error;
        return result;
    }
    prune(folder);
    result.ok = true;
    return result;
}

}  // namespace Backups
