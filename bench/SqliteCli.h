#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QVector>

// The sqlite3 command line's own timer over a script run on a data file with the program's connection
// settings (then `settings`, untimed, which may change them), rows thrown away: the milliseconds of every
// statement in order. Empty when there is no sqlite3 here.
inline QVector<double> sqliteCliTimes(const QString& file, const QString& script,
                                      const QString& settings = {}) {
    QVector<double> times;
    const QString cli = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (cli.isEmpty()) return times;
    QProcess process;
    process.start(cli, {file});
    process.write((QStringLiteral("PRAGMA synchronous=FULL;\nPRAGMA cache_size=-65536;\n"
                                  "PRAGMA mmap_size=2147418112;\n") +
                   settings + QStringLiteral(".output /dev/null\n.timer on\n") + script)
                      .toUtf8());
    process.closeWriteChannel();
    process.waitForFinished(-1);
    static const QRegularExpression timing(QStringLiteral("Run Time: real ([0-9.]+)"));
    for (auto it = timing.globalMatch(QString::fromUtf8(process.readAllStandardOutput())); it.hasNext();)
        times << it.next().captured(1).toDouble() * 1000;
    return times;
}

// The times above added up per group of `size` statements (one run of a step).
inline QVector<double> perGroup(const QVector<double>& times, int size) {
    QVector<double> groups;
    for (int i = 0; i + size <= times.size(); i += size) {
        double sum = 0;
        for (int j = 0; j < size; ++j)
            sum += times[i + j];
        groups << sum;
    }
    return groups;
}
