#pragma once

#include <QProcess>
#include <QStringList>
#include <QtTest>

// Reads QR codes back as a phone would: the PDF's page rendered by pdftoppm, the picture read by zbarimg
// (Debian's zbar-tools).
inline QString renderPdfPage(const QString& pdf, int page, int dpi, const QString& pngBase) {
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                   QString::number(page), QStringLiteral("-l"), QString::number(page),
                   QStringLiteral("-singlefile"), pdf, pngBase});
    if (!process.waitForFinished(120000) || process.exitCode() != 0) return {};
    return pngBase + QStringLiteral(".png");
}

// Every QR code's text in a picture, in the order zbarimg finds them.
inline QStringList decodeQrCodes(const QString& picture) {
    QProcess process;
    process.start(QStringLiteral("zbarimg"),
                  {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("-Sdisable"),
                   QStringLiteral("-Sqrcode.enable"), picture});
    if (!process.waitForFinished(120000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
