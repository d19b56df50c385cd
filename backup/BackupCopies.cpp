#include "BackupCopies.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QRegularExpression>
#include <QSettings>
#include <QStorageInfo>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <system_error>

#include "BooksFolder.h"
#include "Database.h"
#include "Programs.h"
#include "Sqlite.h"

namespace Backups {

namespace {

constexpr int kPagesPerStep = 256;
constexpr int kBusyRetries = 200;  // of 50 ms: ten seconds of a writer holding the file
const QString kDamagedSuffix = QStringLiteral("-danificado");
const QString kPartialSuffix = QStringLiteral(".parcial");
// Beside a partial copy while a copy writes it; one whose program has ended is stale.
const QString kLockSuffix = QStringLiteral(".lock");

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

// A cause and, in brackets, the system's own words for it.
QString withWords(const QString& cause, const QString& words) {
    return words.isEmpty() || words == cause ? cause : QStringLiteral("%1 (%2)").arg(cause, words);
}

const QString kReadOnlyDisk = QStringLiteral("o disco só permite leitura");

// A failure's cause as a copy's messages name it, short enough to stand in a sentence; nothing for none
// known.
QString shortCause(EngineCause cause) {
    switch (cause) {
        case EngineCause::DiskFull:
            return QStringLiteral("o disco está cheio");
        case EngineCause::ReadOnly:
            return QStringLiteral("o arquivo não aceita gravação");
        case EngineCause::NoPermission:
            return QStringLiteral("sem permissão de acesso");
        case EngineCause::ReadWrite:
            return QStringLiteral("erro de leitura ou gravação no disco");
        case EngineCause::CantOpen:
            return QStringLiteral("não foi possível abrir o arquivo");
        case EngineCause::NoMemory:
            return QStringLiteral("falta memória");
        case EngineCause::TooLarge:
            return QStringLiteral("o arquivo ficou maior do que o sistema permite");
        case EngineCause::Locked:
            return QStringLiteral("o arquivo está ocupado por outro programa");
        case EngineCause::Damaged:
        case EngineCause::NotData:
            return QStringLiteral("o arquivo está danificado");
        case EngineCause::Unreachable:
        case EngineCause::Refused:  // a server's; the copies are of the file
        case EngineCause::Other:
            break;
    }
    return {};
}

// The cause a system error names, or nothing when it names none of these.
QString systemCause(const std::error_code& code) {
    if (!code) return {};
    if (code == std::errc::no_space_on_device) return shortCause(EngineCause::DiskFull);
    if (code == std::errc::read_only_file_system) return kReadOnlyDisk;
    if (code == std::errc::file_too_large) return shortCause(EngineCause::TooLarge);
    if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted)
        return shortCause(EngineCause::NoPermission);
    if (code == std::errc::io_error) return shortCause(EngineCause::ReadWrite);
    if (code == std::errc::not_enough_memory) return shortCause(EngineCause::NoMemory);
    return {};
}

// Why a file could not be made in `folder`, when the system's error is not known: what the disk says.
QString folderCause(const QString& folder, int systemError) {
    if (const QString cause = systemCause(std::error_code(systemError, std::generic_category()));
        !cause.isEmpty())
        return cause;
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.isReady()) {
        if (storage.isReadOnly()) return kReadOnlyDisk;
        if (storage.bytesAvailable() == 0) return shortCause(EngineCause::DiskFull);
    }
    return QStringLiteral("a pasta não aceita gravação");
}

// What went wrong on a connection: the cause in Portuguese, the engine's words in brackets.
QString failureOf(sqlite3* db, int code) {
    const bool recorded = db && sqlite3_errcode(db) != SQLITE_OK;
    const QString words =
        recorded ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(code));
    return withWords(causeOf(recorded ? sqlite3_errcode(db) : code, db ? sqlite3_system_errno(db) : 0),
                     words);
}

int reportProgress(void* context) {
    const auto* progress = static_cast<const Progress*>(context);
    if (*progress) (*progress)(QStringLiteral("Conferindo a cópia..."), 0, 0);
    return 0;
}

// The check's findings, "ok" when there are none. A check that could not run for another reason than damage
// (a full disk, a failing read) sets `failure` to why, in Portuguese, and that is no finding.
QString checkIntegrity(sqlite3* db, const Progress& progress, QString* failure = nullptr) {
    sqlite3_progress_handler(db, 50000, reportProgress, const_cast<Progress*>(&progress));
    sqlite3_stmt* statement = nullptr;
    QStringList problems;
    int rc = sqlite3_prepare_v2(db, "PRAGMA integrity_check(20)", -1, &statement, nullptr);
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
            problems << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    if (rc != SQLITE_DONE) {
        const int code = sqlite3_errcode(db) & 0xff;
        if (failure && code != SQLITE_CORRUPT && code != SQLITE_NOTADB) *failure = failureOf(db, code);
        problems << QString::fromUtf8(sqlite3_errmsg(db));
    }
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
    errno = 0;
    if (!file.open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        *error = withWords(folderCause(QFileInfo(path).absolutePath(), errno), file.errorString());
        file.remove();
        return false;
    }
    return true;
}

bool renameOver(const QString& from, const QString& to, QString* error) {
    std::error_code code;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                            std::filesystem::path(to.toStdU16String()), code);
    if (code) {
        const QString cause = systemCause(code);
        *error = withWords(cause.isEmpty() ? QStringLiteral("erro do sistema") : cause,
                           QString::fromLocal8Bit(code.message()));
    }
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
    for (int n = 2; dir.exists(name) || dir.exists(name + kPartialSuffix) ||
                    dir.exists(name + kPartialSuffix + kLockSuffix);
         ++n)
        name = base + QStringLiteral("-%1").arg(n) + suffix + QStringLiteral(".sqlite");
    return dir.filePath(name);
}

// Copies `source` into the new file `target` with the online backup, a few pages at a time so that a writer
// waits for one step only.
QString copyDatabase(sqlite3* source, const QString& target, const char* journalMode,
                     const Progress& progress, bool* damaged) {
    *damaged = false;
    Connection destination;
    if (!destination.open(target, SQLITE_OPEN_READWRITE)) return failureOf(destination.db, SQLITE_CANTOPEN);
    sqlite3_backup* backup = sqlite3_backup_init(destination.db, "main", source, "main");
    if (!backup) return failureOf(destination.db, SQLITE_ERROR);
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
        QString failure;
        const QString check = checkIntegrity(destination.db, progress, &failure);
        if (check == QLatin1String("ok")) return QString();
        if (!failure.isEmpty()) return failure;
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
    // The step's failure is recorded on the copy's connection, also when reading the data failed.
    if (sqlite3_system_errno(destination.db) == 0 && sqlite3_system_errno(source) != 0)
        return failureOf(source, rc);
    return failureOf(destination.db, rc);
}

void prune(const QString& folder) {
    const QList<Copy> copies = list(folder);
    for (qsizetype i = kKept; i < copies.size(); ++i)
        QFile::remove(copies[i].path);
}

// Holds a partial copy for as long as it lives, so that a clean-up by another copy leaves it alone.
class PartialHold {
public:
    explicit PartialHold(const QString& partial) : lock_(partial + kLockSuffix) { lock_.setStaleLockTime(0); }
    bool hold() { return lock_.tryLock(0); }
    // After a failed hold: whether a running copy holds it (rather than the folder refusing the lock).
    bool heldElsewhere() const { return lock_.error() == QLockFile::LockFailedError; }

private:
    QLockFile lock_;
};

}  // namespace

QString causeOf(int sqliteCode, int systemError) {
    if (const QString cause = systemCause(std::error_code(systemError, std::system_category()));
        !cause.isEmpty())
        return cause;
    // The authorizer's refusal is no file's failure, so the data layer gives it no cause of its own.
    if ((sqliteCode & 0xff) == SQLITE_AUTH) return shortCause(EngineCause::NoPermission);
    const QString cause = shortCause(engineCause(sqliteCode));
    return cause.isEmpty() ? QStringLiteral("erro do banco de dados") : cause;
}

void removeStalePartials(const QString& folder, const QDateTime& before) {
    static const QRegularExpression partialName(
        QStringLiteral("^(Vanteja-.*\\.sqlite\\.parcial)(-journal|-wal|-shm|\\.lock)?$"));
    QMap<QString, QFileInfoList> partials;  // by the partial copy's name: it and what lies beside it
    const QDir dir(folder);
    for (const QFileInfo& info :
         dir.entryInfoList({QStringLiteral("Vanteja-*.sqlite.parcial*")}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = partialName.match(info.fileName());
        if (match.hasMatch()) partials[match.captured(1)] << info;
    }
    for (auto partial = partials.cbegin(); partial != partials.cend(); ++partial) {
        PartialHold hold(dir.filePath(partial.key()));
        if (!hold.hold()) continue;  // a running copy writes it
        bool older = true;
        for (const QFileInfo& file : partial.value())
            if (!file.fileName().endsWith(kLockSuffix) && file.lastModified() >= before) older = false;
        if (!older) continue;
        QFile::remove(dir.filePath(partial.key()));
        removeSidecars(dir.filePath(partial.key()));
    }
}

QString dataFile(const QString& programFolder) {
    return QDir(dataFolderFor(programFolder)).filePath(kDataFileName);
}

QString defaultFolder(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("Backups"));
}

QString folder(const QString& programFolder) {
    const QString chosen =
        BooksFolder::settings(QStringLiteral("Backup"))->value(QStringLiteral("pasta")).toString();
    return chosen.isEmpty() ? defaultFolder(programFolder) : chosen;
}

void rememberFolder(const QString& folder) {
    const std::unique_ptr<QSettings> settings = BooksFolder::settings(QStringLiteral("Backup"));
    if (folder.isEmpty())
        settings->remove(QStringLiteral("pasta"));
    else
        settings->setValue(QStringLiteral("pasta"), folder);
    settings->sync();
    if (QFileInfo::exists(settings->fileName()))
        QFile::setPermissions(settings->fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
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

namespace {

// Why the copies can't be made here when the books are kept on a server: they are copies of the file.
QString onServer(const QString& dataFile) {
    QString address;
    try {
        address = serverAddress(QFileInfo(dataFile).absolutePath());
    } catch (const DataError& error) {
        return error.message();
    }
    if (address.isEmpty()) return {};
    return QStringLiteral("os dados do Vanteja estão no servidor %1, e o programa de backup copia só o arquivo "
                          "de dados; copie-os com pg_dump no servidor (veja o README)")
        .arg(address);
}

}  // namespace

Result make(const QString& dataFile, const QString& folder, const QDateTime& now, const Progress& progress,
            const Options& options) {
    const QDateTime started = QDateTime::currentDateTime();
    Result result;
    result.error = onServer(dataFile);
    if (!result.error.isEmpty()) return result;
    result.error = dataFileProblem(dataFile);
    if (!result.error.isEmpty()) return result;
    QDir dir(folder);
    if (!dir.exists()) {
        errno = 0;
        if (!QDir().mkpath(folder)) {
            const int systemError = errno;
            QString existing = folder;
            while (!QFileInfo::exists(existing) && QFileInfo(existing).absolutePath() != existing)
                existing = QFileInfo(existing).absolutePath();
            result.error = QStringLiteral("não foi possível criar a pasta %1: %2")
                               .arg(native(folder), folderCause(existing, systemError));
            return result;
        }
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    removeStalePartials(folder, started);

    Connection source;
    // Read-write, so that a journal left by a program that stopped half-way is rolled back first.
    if (!source.open(dataFile, SQLITE_OPEN_READWRITE)) {
        sqlite3_close_v2(source.db);
        source.db = nullptr;
        if (!source.open(dataFile, SQLITE_OPEN_READONLY)) {
            result.error = QStringLiteral("não foi possível abrir o arquivo de dados: %1")
                               .arg(failureOf(source.db, SQLITE_CANTOPEN));
            return result;
        }
    }

    const QString final = uniqueName(folder, now, false);
    const QString partial = final + kPartialSuffix;
    QString error;
    PartialHold hold(partial);
    if (!hold.hold() && hold.heldElsewhere()) {
        result.error = QStringLiteral("outra cópia está sendo feita na mesma pasta; tente de novo");
        return result;
    }
    if (!createPrivate(partial, &error)) {
        result.error = QStringLiteral("não é possível gravar na pasta %1: %2").arg(native(folder), error);
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
            PartialHold rawHold(raw + kPartialSuffix);
            if (rawHold.hold() && QFile::copy(dataFile, raw + kPartialSuffix) &&
                QFile::setPermissions(raw + kPartialSuffix,
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                renameOver(raw + kPartialSuffix, raw, &copyError)) {
                result.path = raw;
            } else {
                QFile::remove(raw + kPartialSuffix);
            }
        }
        result.error = error;
        return result;
    }
    if (!renameOver(partial, final, &error)) {
        QFile::remove(partial);
        result.error = QStringLiteral("não foi possível dar o nome final à cópia: %1").arg(error);
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
    result.error = onServer(dataFile);
    if (!result.error.isEmpty()) return result;
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
        result.error = QStringLiteral("não é possível gravar na pasta de dados: %1").arg(error);
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
            error = QStringLiteral("não foi possível substituir o arquivo de dados: %1").arg(error);
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
