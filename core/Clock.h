#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// The program's "now" and its folder, both replaceable so that tests run on a fixed day in a temporary
// folder.
namespace Clock {
QDateTime now();
QDate today();
// Makes now() answer `moment` from here on, advancing with real time when `running` is set; an invalid
// moment brings back the system clock.
void set(const QDateTime& moment, bool running = false);
// Moves a set clock on by some seconds (tests of what happens past midnight).
void advance(qint64 seconds);
}  // namespace Clock

namespace ProgramFolder {
QString path();  // the folder of the executable unless set
void set(const QString& folder);
}  // namespace ProgramFolder
