#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

// Copies of the data file: made with SQLite's online backup while Vanteja may be running, checked, named by
// date and time, the newest ones kept; and the restore of one of them.
namespace Backups {

inline constexpr int kKept = 30;

struct Copy {
    QString path;
    QDateTime made;
    qint64 size = 0;
    bool damaged = false;  // a raw copy of data that failed the check, kept before a restore
};

struct Result {
    bool ok = false;
    QString path;   // the copy made (or, after a restore, the copy of the data it replaced)
    QString error;  // a Portuguese sentence naming the cause
};

// Called between steps of the work: what is being done, and how far it is (total 0: not known).
using Progress = std::function<void(const QString& stage, qint64 done, qint64 total)>;

QString dataFile(const QString& programFolder);
QString defaultFolder(const QString& programFolder);
// The folder the user picked last, else the default.
QString folder(const QString& programFolder);
void rememberFolder(const QString& folder);  // empty: back to the default

// The copies in a folder, newest first.
QList<Copy> list(const QString& folder);
QString fileNameFor(const QDateTime& moment);

struct Options {
    bool prune = true;         // delete all but the newest kKept
    bool keepDamaged = false;  // keep data that fails the check as a raw "-danificado" copy
};
Result make(const QString& dataFile, const QString& folder, const QDateTime& now,
            const Progress& progress = {}, const Options& options = {});

// Replaces the data file by a copy, after saving the current data as one more copy. Refused while the main
// program answers on `serverName`.
Result restore(const QString& copy, const QString& dataFile, const QString& folder, const QDateTime& now,
               const QString& serverName, const Progress& progress = {});

// "ok", or what SQLite's integrity check found wrong in the file.
QString integrity(const QString& file, const Progress& progress = {});

// Removes what copies stopped half-way left in a folder ("….sqlite.parcial" and its journal): every partial
// copy that no running copy holds and that was last written before `before`. Partial copies are never
// listed, so they never count among the copies kept.
void removeStalePartials(const QString& folder, const QDateTime& before);

// Why a read or a write failed, in Portuguese: from the system's error (errno, or the Windows error) when it
// names a cause, else from SQLite's result code.
QString causeOf(int sqliteCode, int systemError = 0);

}  // namespace Backups
