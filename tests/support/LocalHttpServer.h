#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <memory>

// A minimal HTTP/1.1 server on 127.0.0.1 for tests of code that talks to a web service. It answers every
// request with a canned response (queued ones first, then the default one), closes the connection after each
// answer, and keeps every request it received. It runs in the test's own thread, so the client under test has
// to spin an event loop (a blocking call with a local QEventLoop does).
class LocalHttpServer {
public:
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    struct Response {
        int status = 200;
        QByteArray reason;  // empty: the usual phrase for the status
        Headers headers;    // Content-Length and Connection are added when missing
        QByteArray body;
        int delayMs = 0;        // wait this long before answering
        QByteArray raw;         // when set, sent as it is instead of the above
        bool keepOpen = false;  // leave the connection open after sending (a server that stalls)

        QByteArray header(const QByteArray& name) const { return find(headers, name); }
    };

    struct Request {
        QByteArray requestLine;  // "GET /path?query HTTP/1.1"
        QByteArray method;
        QByteArray target;  // path and query, as sent (still percent-encoded)
        QByteArray path;
        QByteArray query;  // without the "?"; empty when there is none
        QByteArray version;
        Headers headers;  // in the order received
        QByteArray body;

        QByteArray header(const QByteArray& name) const { return find(headers, name); }
        bool hasHeader(const QByteArray& name) const { return has(headers, name); }
    };

    LocalHttpServer() : server_(std::make_unique<QTcpServer>()) {
        QObject::connect(server_.get(), &QTcpServer::newConnection, server_.get(), [this] { accept(); });
        if (!server_->listen(QHostAddress::LocalHost, 0))
            qFatal("LocalHttpServer: cannot listen: %s", qPrintable(server_->errorString()));
    }
    ~LocalHttpServer() {
        // Sockets are children of the server; stop their handlers from reaching a half-destroyed object.
        for (QTcpSocket* socket : server_->findChildren<QTcpSocket*>())
            QObject::disconnect(socket, nullptr, server_.get(), nullptr);
    }
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    quint16 port() const { return server_->serverPort(); }
    // "http://127.0.0.1:PORT/"
    QUrl baseUrl() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port())); }
    QUrl url(const QString& path) const { return baseUrl().resolved(QUrl(path)); }

    // The response for every request once the queue is empty.
    void setResponse(const Response& response) { default_ = response; }
    void setResponse(int status, const QByteArray& body, const Headers& headers = {}) {
        default_ = response(status, body, headers);
    }
    // Responses given in turn to the next requests.
    void enqueue(const Response& response) { queue_.append(response); }
    void enqueue(int status, const QByteArray& body, const Headers& headers = {}) {
        queue_.append(response(status, body, headers));
    }
    // A silent server takes requests and never answers them, for time-outs.
    void setSilent(bool silent) { silent_ = silent; }

    const QList<Request>& requests() const { return requests_; }
    qsizetype requestCount() const { return requests_.size(); }
    Request lastRequest() const { return requests_.isEmpty() ? Request() : requests_.last(); }
    void clearRequests() { requests_.clear(); }

    // Spins the event loop until `count` requests have come in, at most `timeoutMs`.
    bool waitForRequests(qsizetype count, int timeoutMs = 5000) {
        return QTest::qWaitFor([&] { return requests_.size() >= count; }, timeoutMs);
    }

    static Response response(int status, const QByteArray& body, const Headers& headers = {}) {
        Response r;
        r.status = status;
        r.body = body;
        r.headers = headers;
        return r;
    }

    static QByteArray reasonPhrase(int status) {
        switch (status) {
            case 200:
                return "OK";
            case 201:
                return "Created";
            case 204:
                return "No Content";
            case 301:
                return "Moved Permanently";
            case 302:
                return "Found";
            case 303:
                return "See Other";
            case 304:
                return "Not Modified";
            case 307:
                return "Temporary Redirect";
            case 308:
                return "Permanent Redirect";
            case 400:
                return "Bad Request";
            case 401:
                return "Unauthorized";
            case 403:
                return "Forbidden";
            case 404:
                return "Not Found";
            case 405:
                return "Method Not Allowed";
            case 500:
                return "Internal Server Error";
            case 502:
                return "Bad Gateway";
            case 503:
                return "Service Unavailable";
            case 504:
                return "Gateway Timeout";
            default:
                return "Status";
        }
    }

private:
    static bool has(const Headers& headers, const QByteArray& name) {
        for (const auto& [key, value] : headers)
            if (key.compare(name, Qt::CaseInsensitive) == 0) return true;
        return false;
    }
    static QByteArray find(const Headers& headers, const QByteArray& name) {
        for (const auto& [key, value] : headers)
            if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
        return QByteArray();
    }

    void accept() {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, server_.get(), [this, socket, buffer] {
                buffer->append(socket->readAll());
                Request request;
                if (parse(buffer.get(), &request)) answer(socket, request);
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    // Takes one complete request off the front of `buffer`; false while it is still incomplete.
    static bool parse(QByteArray* buffer, Request* request) {
        const qsizetype headEnd = buffer->indexOf("\r\n\r\n");
        if (headEnd < 0) return false;
        const QList<QByteArray> lines = buffer->left(headEnd).split('\n');
        Request r;
        r.requestLine = lines.value(0).trimmed();
        const QList<QByteArray> parts = r.requestLine.split(' ');
        r.method = parts.value(0);
        r.target = parts.value(1);
        r.version = parts.value(2);
        const qsizetype question = r.target.indexOf('?');
        r.path = question < 0 ? r.target : r.target.left(question);
        r.query = question < 0 ? QByteArray() : r.target.mid(question + 1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0) continue;
            r.headers.emplaceBack(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
        }
        const qsizetype length = find(r.headers, "Content-Length").toLongLong();
        const qsizetype bodyStart = headEnd + 4;
        if (buffer->size() - bodyStart < length) return false;
        r.body = buffer->mid(bodyStart, length);
        buffer->remove(0, bodyStart + length);
        *request = r;
        return true;
    }

    void answer(QTcpSocket* socket, const Request& request) {
        requests_.append(request);
        if (silent_) return;
        const Response response = queue_.isEmpty() ? default_ : queue_.takeFirst();
        const QByteArray bytes = serialize(response);
        QPointer<QTcpSocket> target(socket);
        const bool keepOpen = response.keepOpen;
        auto send = [target, bytes, keepOpen] {
            if (!target) return;
            target->write(bytes);
            if (!keepOpen) target->disconnectFromHost();  // waits for the write to finish
        };
        if (response.delayMs > 0)
            QTimer::singleShot(response.delayMs, server_.get(), send);
        else
            send();
    }

    static QByteArray serialize(const Response& response) {
        if (!response.raw.isEmpty()) return response.raw;
        const QByteArray reason = response.reason.isEmpty() ? reasonPhrase(response.status) : response.reason;
        QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason + "\r\n";
        Headers headers = response.headers;
        if (!has(headers, "Content-Length"))
            headers.emplaceBack("Content-Length", QByteArray::number(response.body.size()));
        if (!has(headers, "Connection")) headers.emplaceBack("Connection", "close");
        for (const auto& [key, value] : headers)
            out += key + ": " + value + "\r\n";
        out += "\r\n";
        out += response.body;
        return out;
    }

    std::unique_ptr<QTcpServer> server_;
    Response default_;
    QList<Response> queue_;
    QList<Request> requests_;
    bool silent_ = false;
};
