#pragma once

#include <QCryptographicHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <memory>

class QLocalSocket;
class QNetworkAccessManager;
class QNetworkReply;
class QSaveFile;

// The download address: VANTEJA_UPDATE_URL when set, else the supplier's.
QUrl defaultUpdateUrl();
QUrl updateUrl();

// A byte count as the progress text shows it: thousands separated by points, nothing at all for zero.
QString byteCount(qint64 bytes);
// "Baixando: 1.234.567 de 1.234.567 total de bytes"
QString progressText(qint64 received, qint64 total);

struct UpdateOptions {
    QUrl url;
    QString target;      // the program file to replace
    QString serverName;  // where the running main program takes close requests
    int stallTimeoutMs = 30000;
    int closeWaitMs = 20000;
};

// Replaces the program file by a new copy from the update address. The file is only ever replaced by a
// complete download: it is written beside the program under a temporary name and renamed over it once the
// server answered with success, the byte count matches the size announced, the file is a program this
// computer runs and, when the server offers one, the ".sha256" of the address matches. The old file is kept
// as "<program>.anterior". Asynchronous: the caller's event loop runs during the transfer.
class Updater : public QObject {
    Q_OBJECT
public:
    explicit Updater(const UpdateOptions& options, QObject* parent = nullptr);
    ~Updater() override;

    void start();
    bool running() const { return running_; }
    const UpdateOptions& options() const { return options_; }
    QString backupPath() const { return options_.target + QStringLiteral(".anterior"); }

signals:
    void progress(qint64 received, qint64 total);
    void waitingForProgram();  // the download is complete; the main program has not ended yet
    // `error` is a Portuguese sentence naming the cause; empty on success.
    void finished(bool ok, const QString& error);

private:
    void requestClose();
    void fetchChecksum();
    void fetchProgram();
    void programArrived();
    void install();
    void fail(const QString& error);
    void succeed();
    QString networkCause(QNetworkReply* reply, qint64 received) const;
    void armStallTimer();

    UpdateOptions options_;
    QNetworkAccessManager* network_;
    QPointer<QNetworkReply> reply_;
    std::unique_ptr<QSaveFile> file_;
    QLocalSocket* mainProgram_ = nullptr;
    QTimer stallTimer_;
    QTimer closeTimer_;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
    QByteArray expectedSha256_;
    QByteArray head_;  // the first bytes received
    qint64 received_ = 0;
    bool stalled_ = false;
    bool running_ = false;
    QString writeError_;
};
