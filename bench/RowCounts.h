#pragma once

#include <QCoreApplication>
#include <QList>
#include <QStringList>

// The ledger sizes a benchmark runs at: those named on its command line, else its defaults.
inline QList<int> rowCounts(const QList<int>& defaults) {
    QList<int> sizes;
    for (const QString& arg : QCoreApplication::arguments().mid(1))
        sizes << arg.toInt();
    return sizes.isEmpty() ? defaults : sizes;
}
