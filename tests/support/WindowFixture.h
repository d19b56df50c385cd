#pragma once

#include <QDateTime>
#include <QtTest>

#include "Clock.h"
#include "DataControls.h"
#include "ScriptedDialogs.h"
#include "TempData.h"
#if __has_include("CepLookup.h")
#include <QTcpServer>

#include "CepLookup.h"
#define VANTEJA_FIXTURE_CEP 1
#endif

// What a window test stands on: a temporary data folder with the session on it, scripted dialogs, a fixed
// clock and the program folder. Every program-wide setting it or the test changes (session, dialogs, clock,
// program folder, the postal-code service's address) is back to its default when it goes out of scope.
class WindowFixture {
public:
    explicit WindowFixture(const QDateTime& now = QDateTime(QDate(2025, 3, 10), QTime(10, 0))) {
        ProgramFolder::set(data.programFolder());
        Clock::set(now);
#ifdef VANTEJA_FIXTURE_CEP
        // No test reaches the public postal-code service: the second one is a port nobody listens on.
        QTcpServer closed;
        if (closed.listen(QHostAddress::LocalHost))
            CepLookup::setFallbackUrl(QStringLiteral("http://127.0.0.1:%1/{cep}").arg(closed.serverPort()));
#endif
    }
    ~WindowFixture() {
        Clock::set(QDateTime());
        ProgramFolder::set(QString());
#ifdef VANTEJA_FIXTURE_CEP
        CepLookup::setBase(QUrl());
        CepLookup::setFallbackUrl(QString());
        CepLookup::setTimeout(0);
#endif
    }
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    TempData data;
    ScriptedDialogs dialogs;
};

// Every data-bound control of a window is bound to a field its table has.
inline void verifyAllBound(QWidget* window) {
    const QList<FieldLink*> links = window->findChildren<FieldLink*>();
    QVERIFY2(!links.isEmpty(), "the window has no bound control");
    for (FieldLink* link : links)
        QVERIFY2(link->dataset() && link->dataset()->fieldIndex(link->fieldName()) >= 0,
                 qPrintable(QStringLiteral("unbound control: ") + link->parent()->objectName() + " -> " +
                            link->fieldName()));
}
