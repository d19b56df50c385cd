#pragma once

#include <QCoreApplication>
#include <QList>
#include <QStringList>

// The ledger sizes a benchmark runs at: those named on its command line, else its defaults. An option
// ("--servidor ADDRESS") and its value are not sizes.
inline QList<int> rowCounts(const QList<int>& defaults) {
    QList<int> sizes;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i].startsWith(QLatin1String("--"))) {
            ++i;
            continue;
        }
        sizes << args[i].toInt();
    }
    return sizes.isEmpty() ? defaults : sizes;
}

// The PostgreSQL server to take the figures on as well, from "--servidor ADDRESS" or else VANTEJA_BANCO;
// empty for none. VANTEJA_BANCO is cleared, so that the data file's figures are taken on the file.
inline QString benchServer() {
    const QStringList args = QCoreApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--servidor"));
    QString server = at > 0 && at + 1 < args.size() ? args[at + 1] : qEnvironmentVariable("VANTEJA_BANCO");
    qunsetenv("VANTEJA_BANCO");
    return server.trimmed();
}
