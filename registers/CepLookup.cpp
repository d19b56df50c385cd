#include "CepLookup.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTimer>

#include <memory>

namespace CepLookup {

namespace {

QUrl& currentBase() {
    static QUrl url = defaultBase();
    return url;
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// The service answers in Latin-1; a proxy or a newer server may hand back UTF-8.
QString bodyText(const QByteArray& body) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(body);
    if (utf8.hasError()) return QString::fromLatin1(body);
    return text;
}

void setText(QString* target, const QString& text) {
    if (target) *target = text;
}

}  // namespace

QUrl defaultBase() {
    return QUrl(QStringLiteral("http://cep.republicavirtual.com.br/"));
}

QUrl base() {
    return currentBase();
}

void setBase(const QUrl& base) {
    currentBase() = base.isEmpty() ? defaultBase() : base;
}

QString decode(const QString& answer) {
    QString result;
    result.reserve(answer.size());
    const qsizetype size = answer.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = answer.at(i);
        if (c == u'+') {
            result += u' ';
        } else if (c != u'%') {
            result += c;
        } else {
            if (i + 2 >= size) break;  // a cut-off code: the rest goes with it
            const int high = hexDigit(answer.at(i + 1));
            const int low = hexDigit(answer.at(i + 2));
            if (high >= 0 && low >= 0 && (high | low) != 0) result += QChar(char16_t(high * 16 + low));
            i += 2;
        }
    }
    return result;
}

QString value(const QString& decoded, const QString& name) {
    QString text = decoded;
    text.replace(u'&', u'\n');
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = text.split(lineBreak);
    for (const QString& line : lines) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) continue;
        if (QStringView(line).left(equals).compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(equals + 1);
    }
    return QString();
}

Address addressFrom(const QString& answer) {
    const QString decoded = decode(answer);
    Address address;
    address.endereco = value(decoded, QStringLiteral("TIPO_LOGRADOURO")) + u' ' +
                       value(decoded, QStringLiteral("LOGRADOURO"));
    address.bairro = value(decoded, QStringLiteral("BAIRRO"));
    address.cidade = value(decoded, QStringLiteral("CIDADE"));
    address.uf = value(decoded, QStringLiteral("UF"));
    return address;
}

bool fetch(const QString& cepText, QString* answer, QString* error, int timeoutMs) {
    setText(answer, QString());
    setText(error, QString());

    QUrl url = base();
    QString path = url.path();
    if (!path.endsWith(u'/')) path += u'/';
    url.setPath(path + QStringLiteral("web_cep.php"));
    // Blanks of a partly typed code are percent-encoded by QUrl, as any browser would.
    url.setQuery(QStringLiteral("cep=") + cepText + QStringLiteral("&formato=query_string"));

    QNetworkRequest request(url);
    request.setRawHeader("Accept", "text/html, */*");
    request.setRawHeader("User-Agent", "Mozilla/3.0 (compatible; Indy Library)");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);

    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(manager.get(request));

    bool timedOut = false;
    if (!reply->isFinished()) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            timedOut = true;
            reply->abort();
            loop.quit();
        });
        timer.start(timeoutMs);
        loop.exec();
    }

    if (timedOut) {
        setText(error, QStringLiteral("O serviço de consulta do CEP não respondeu a tempo."));
        return false;
    }
    const QString failure = QStringLiteral("Falha na consulta do CEP: ");
    if (reply->error() != QNetworkReply::NoError) {
        setText(error, failure + reply->errorString());
        return false;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) {
        // A redirection is no network error to the client, so it has no message of its own to give.
        const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        setText(error,
                failure + QStringLiteral("o serviço respondeu %1 %2").arg(status).arg(reason).trimmed());
        return false;
    }
    setText(answer, bodyText(reply->readAll()));
    return true;
}

}  // namespace CepLookup
