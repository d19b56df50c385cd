#include "Updater.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>

#include "Programs.h"

namespace {

const QByteArray kCloseRequest = "CLOSE";
// The start of the file that tells what kind of file it is.
constexpr qsizetype kHeadBytes = 64 * 1024;

QString hostOf(const QUrl& url) {
    return url.port() > 0 ? QStringLiteral("%1:%2").arg(url.host()).arg(url.port()) : url.host();
}

int statusOf(QNetworkReply* reply) {
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

QNetworkRequest requestFor(const QUrl& url) {
    QNetworkRequest request(url);
    // Compressed transfers would make the byte count differ from the size announced.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    return request;
}

}  // namespace

QUrl defaultUpdateUrl() {
    return QUrl(QStringLiteral("http://atualizacao.vanteja.com.br/softatualizar/VantejaVsID/Vanteja.exe"));
}

QUrl updateUrl() {
    const QString fromEnvironment = qEnvironmentVariable("VANTEJA_UPDATE_URL").trimmed();
    return fromEnvironment.isEmpty() ? defaultUpdateUrl() : QUrl(fromEnvironment);
}

QString byteCount(qint64 bytes) {
    if (bytes == 0) return QString();
    QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
    return brazil.toString(bytes);
}

QString progressText(qint64 received, qint64 total) {
    return QStringLiteral("Baixando: ") + byteCount(received) + QStringLiteral(" de ") + byteCount(total) +
           QStringLiteral(" total de bytes");
}

Updater::Updater(const UpdateOptions& options, QObject* parent)
    : QObject(parent), options_(options), network_(new QNetworkAccessManager(this)) {
    stallTimer_.setSingleShot(true);
    connect(&stallTimer_, &QTimer::timeout, this, [this] {
        stalled_ = true;
        if (reply_) reply_->abort();
    });
    closeTimer_.setSingleShot(true);
    connect(&closeTimer_, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("o Vanteja ainda está aberto depois de %1 segundos; feche-o e clique de novo em "
                            "\"Atualizar Agora\"")
                 .arg(options_.closeWaitMs / 1000));
    });
}

Updater::~Updater() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

void Updater::start() {
    if (running_) return;
    running_ = true;
    stalled_ = false;
    received_ = 0;
    head_.clear();
    writeError_.clear();
    expectedSha256_.clear();
    hash_.reset();

    // A folder the new copy cannot be written into is found out before the main program is asked to close.
    file_ = std::make_unique<QSaveFile>(options_.target);
    if (!file_->open(QIODevice::WriteOnly)) {
        const QString reason = file_->errorString();
        file_.reset();
        fail(QStringLiteral("não é possível gravar na pasta do programa %1 (%2)")
                 .arg(QDir::toNativeSeparators(QFileInfo(options_.target).absolutePath()), reason));
        return;
    }
    requestClose();
    fetchChecksum();
}

void Updater::requestClose() {
    if (mainProgram_) {
        mainProgram_->disconnect(this);
        mainProgram_->deleteLater();
    }
    mainProgram_ = new QLocalSocket(this);
    mainProgram_->connectToServer(options_.serverName);
    if (!mainProgram_->waitForConnected(1000)) {
        delete mainProgram_;
        mainProgram_ = nullptr;
        return;
    }
    // The connection stays open: it closes when the main program has ended.
    mainProgram_->write(kCloseRequest);
    mainProgram_->flush();
}

void Updater::armStallTimer() {
    stallTimer_.start(options_.stallTimeoutMs);
}

void Updater::fetchChecksum() {
    QUrl url = options_.url;
    url.setPath(url.path() + QStringLiteral(".sha256"));
    reply_ = network_->get(requestFor(url));
    armStallTimer();
    connect(reply_, &QNetworkReply::downloadProgress, this, [this] { armStallTimer(); });
    connect(reply_, &QNetworkReply::finished, this, [this] {
        QNetworkReply* reply = reply_;
        reply->deleteLater();
        stallTimer_.stop();
        const int status = statusOf(reply);
        if (status == 404 || status == 410) {
            fetchProgram();  // no checksum offered
            return;
        }
        if (stalled_ || reply->error() != QNetworkReply::NoError || status < 200 || status > 299) {
            fail(networkCause(reply, 0));
            return;
        }
        const QByteArray token = reply->read(4096).trimmed().split(' ').value(0).split('\t').value(0);
        const QByteArray digest = QByteArray::fromHex(token);
        if (token.size() != 64 || digest.size() != 32 || digest.toHex() != token.toLower()) {
            fail(QStringLiteral("a soma de verificação oferecida pelo servidor (%1) não é válida")
                     .arg(reply->url().toString()));
            return;
        }
        expectedSha256_ = digest;
        fetchProgram();
    });
}

void Updater::fetchProgram() {
    reply_ = network_->get(requestFor(options_.url));
    armStallTimer();
    connect(reply_, &QNetworkReply::readyRead, this, [this] {
        const int status = statusOf(reply_);
        if (status < 200 || status > 299 || !file_) {
            reply_->readAll();  // an error page is not the program
            return;
        }
        const QByteArray chunk = reply_->readAll();
        if (file_->write(chunk) != chunk.size()) {
            writeError_ = file_->errorString();
            reply_->abort();
            return;
        }
        hash_.addData(chunk);
        if (head_.size() < kHeadBytes) head_ += chunk.left(kHeadBytes - head_.size());
        received_ += chunk.size();
        // Told on every arrival: the network's own progress signal is held back for a tenth of a second
        // after each one, so a burst followed by silence would never be shown.
        armStallTimer();
        const qint64 total = reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        emit progress(received_, qMax<qint64>(0, total));
    });
    // Headers and error pages count as signs of life too.
    connect(reply_, &QNetworkReply::downloadProgress, this, [this] { armStallTimer(); });
    connect(reply_, &QNetworkReply::finished, this, &Updater::programArrived);
}

void Updater::programArrived() {
    QNetworkReply* reply = reply_;
    reply->deleteLater();
    stallTimer_.stop();
    if (!writeError_.isEmpty()) {
        fail(QStringLiteral("não foi possível gravar o arquivo recebido na pasta do programa (%1)")
                 .arg(writeError_));
        return;
    }
    const int status = statusOf(reply);
    if (stalled_ || reply->error() != QNetworkReply::NoError || status < 200 || status > 299) {
        fail(networkCause(reply, received_));
        return;
    }
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() != received_) {
        fail(QStringLiteral("a transferência terminou incompleta (recebidos %1 de %2 bytes)")
                 .arg(QLocale(QLocale::Portuguese, QLocale::Brazil).toString(received_),
                      QLocale(QLocale::Portuguese, QLocale::Brazil).toString(announced.toLongLong())));
        return;
    }
    if (received_ == 0) {
        fail(QStringLiteral("o servidor enviou um arquivo vazio"));
        return;
    }
    if (!announced.isValid() && expectedSha256_.isEmpty()) {
        fail(
            QStringLiteral("o servidor não informou o tamanho do arquivo nem sua soma de verificação, e "
                           "não há como saber se ele chegou inteiro"));
        return;
    }
    // A server can answer with success and the announced length and still send no program (an error page):
    // only a program this computer runs replaces the one installed.
    if (const QString notProgram = Programs::notAProgram(head_); !notProgram.isEmpty()) {
        fail(notProgram);
        return;
    }
    if (!expectedSha256_.isEmpty() && hash_.result() != expectedSha256_) {
        fail(
            QStringLiteral("o arquivo recebido não confere com a soma de verificação (.sha256) do servidor"));
        return;
    }
    if (!file_->flush()) {
        fail(QStringLiteral("não foi possível gravar o arquivo recebido na pasta do programa (%1)")
                 .arg(file_->errorString()));
        return;
    }
    if (mainProgram_ && mainProgram_->state() == QLocalSocket::ConnectedState) {
        emit waitingForProgram();
        connect(mainProgram_, &QLocalSocket::disconnected, this, [this] {
            closeTimer_.stop();
            install();
        });
        closeTimer_.start(options_.closeWaitMs);
        return;
    }
    install();
}

void Updater::install() {
    if (!file_) return;
    const QString target = options_.target;
    if (QFileInfo::exists(target)) {
        const QString backup = backupPath();
        QFile::remove(backup);
        QFile current(target);
        if (!current.copy(backup)) {
            fail(QStringLiteral("não foi possível guardar a cópia do programa atual em %1 (%2)")
                     .arg(QDir::toNativeSeparators(backup), current.errorString()));
            return;
        }
    }
    if (!file_->commit()) {
        const QString reason = file_->errorString();
        file_.reset();
        fail(QStringLiteral("não foi possível substituir o programa (%1)").arg(reason));
        return;
    }
    file_.reset();
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::ReadOwner |
                                      QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                      QFileDevice::ReadUser | QFileDevice::ExeUser | QFileDevice::ReadGroup |
                                      QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    succeed();
}

QString Updater::networkCause(QNetworkReply* reply, qint64 received) const {
    const QString host = hostOf(reply->url());
    if (stalled_)
        return QStringLiteral("o servidor %1 parou de responder por %2 segundos")
            .arg(host)
            .arg(options_.stallTimeoutMs / 1000.0, 0, 'g', 3);
    const int status = statusOf(reply);
    if (status == 404)
        return QStringLiteral("o arquivo %1 não existe no servidor (HTTP 404)").arg(reply->url().path());
    if (status != 0 && (status < 200 || status > 299)) {
        const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        return QStringLiteral("o servidor %1 respondeu com erro (HTTP %2 %3)")
            .arg(host)
            .arg(status)
            .arg(reason)
            .trimmed();
    }
    switch (reply->error()) {
        case QNetworkReply::ConnectionRefusedError:
            return QStringLiteral("o servidor %1 recusou a conexão").arg(host);
        case QNetworkReply::HostNotFoundError:
            return QStringLiteral("o servidor %1 não foi encontrado").arg(host);
        case QNetworkReply::RemoteHostClosedError:
            return QStringLiteral(
                       "a conexão com o servidor %1 caiu antes do fim do arquivo (recebidos %2 bytes)")
                .arg(host, QLocale(QLocale::Portuguese, QLocale::Brazil).toString(received));
        case QNetworkReply::TimeoutError:
            return QStringLiteral("o servidor %1 não respondeu a tempo").arg(host);
        default:
            return QStringLiteral("falha na comunicação com o servidor %1 (%2)")
                .arg(host, reply->errorString());
    }
}

void Updater::fail(const QString& error) {
    stallTimer_.stop();
    closeTimer_.stop();
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
    if (file_) file_->cancelWriting();
    file_.reset();
    if (mainProgram_) mainProgram_->disconnect(this);
    running_ = false;
    emit finished(false, error);
}

void Updater::succeed() {
    if (mainProgram_) mainProgram_->disconnect(this);
    running_ = false;
    emit finished(true, QString());
}
