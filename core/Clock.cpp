#include "Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {
QDateTime fixedMoment;
bool fixedRunning = false;
QElapsedTimer sinceFixed;
QString folder;
}  // namespace

QDateTime Clock::now() {
    if (!fixedMoment.isValid()) return QDateTime::currentDateTime();
    return fixedRunning ? fixedMoment.addMSecs(sinceFixed.elapsed()) : fixedMoment;
}

QDate Clock::today() {
    return now().date();
}

void Clock::set(const QDateTime& moment, bool running) {
    fixedMoment = moment;
    fixedRunning = running;
    sinceFixed.start();
}

void Clock::advance(qint64 seconds) {
    if (fixedMoment.isValid()) fixedMoment = fixedMoment.addSecs(seconds);
}

QString ProgramFolder::path() {
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

void ProgramFolder::set(const QString& path) {
    folder = path;
}
