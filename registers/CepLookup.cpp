#include "CepLookup.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTimer>

#include <memory>

namespace CepLookup {

namespace {

QUrl baseFromEnvironment() {
    const QString configured = qEnvironmentVariable("VANTEJA_CEP_URL").trimmed();
    return configured.isEmpty() ? defaultBase() : QUrl(configured);
}

QString fallbackFromEnvironment() {
    const QString configured = qEnvironmentVariable("VANTEJA_CEP2_URL").trimmed();
    return configured.isEmpty() ? defaultFallbackUrl() : configured;
}

QUrl& currentBase() {
    static QUrl url = baseFromEnvironment();
    return url;
}

QString& currentFallback() {
    static QString url = fallbackFromEnvironment();
    return url;
}

int& currentTimeout() {
    static int ms = kDefaultTimeoutMs;
    return ms;
}

// One GET, blocking until the answer, a failure or the time-out.
struct Reply {
    enum class Kind { Answer, Unreachable, TimedOut } kind = Kind::Unreachable;
    int status = 0;
    QByteArray reason;  // of the status
    QByteArray body;
    QString error;  // Unreachable: the HTTP client's message
};

Reply get(QNetworkRequest request, int timeoutMs) {
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    Reply result;
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
        result.kind = Reply::Kind::TimedOut;
        return result;
    }
    // An HTTP status is an answer, whatever the client makes of it.
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (result.status == 0) {
        result.error = reply->errorString();
        return result;
    }
    result.kind = Reply::Kind::Answer;
    result.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    result.body = reply->readAll();
    return result;
}

bool success(const Reply& reply) {
    return reply.kind == Reply::Kind::Answer && reply.status >= 200 && reply.status <= 299;
}

// Why a request failed, to follow "Falha na consulta do CEP: ".
QString failureReason(const Reply& reply) {
    switch (reply.kind) {
        case Reply::Kind::TimedOut:
            return QStringLiteral("o serviço não respondeu a tempo");
        case Reply::Kind::Unreachable:
            return reply.error;
        case Reply::Kind::Answer:
            break;
    }
    return QStringLiteral("o serviço respondeu %1 %2")
        .arg(reply.status)
        .arg(QString::fromLatin1(reply.reason))
        .trimmed();
}

QNetworkRequest firstRequest(const QString& cepText) {
    QUrl url = base();
    QString path = url.path();
    if (!path.endsWith(u'/')) path += u'/';
    url.setPath(path + QStringLiteral("web_cep.php"));
    // Blanks of a partly typed code are percent-encoded by QUrl, as any browser would.
    url.setQuery(QStringLiteral("cep=") + cepText + QStringLiteral("&formato=query_string"));
    QNetworkRequest request(url);
    request.setRawHeader("Accept", "text/html, */*");
    request.setRawHeader("User-Agent", "Mozilla/3.0 (compatible; Indy Library)");
    return request;
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
    const Reply reply = get(firstRequest(cepText), timeoutMs);
    if (reply.kind == Reply::Kind::TimedOut) {
        setText(error, QStringLiteral("O serviço de consulta do CEP não respondeu a tempo."));
        return false;
    }
    if (!success(reply)) {
        setText(error, QStringLiteral("Falha na consulta do CEP: ") + failureReason(reply));
        return false;
    }
    setText(answer, bodyText(reply.body));
    return true;
}

QString defaultFallbackUrl() {
    return QStringLiteral("https://brasilapi.com.br/api/cep/v1/{cep}");
}

QString fallbackUrl() {
    return currentFallback();
}

void setFallbackUrl(const QString& url) {
    currentFallback() = url.trimmed().isEmpty() ? fallbackFromEnvironment() : url.trimmed();
}

int timeout() {
    return currentTimeout();
}

void setTimeout(int ms) {
    currentTimeout() = ms > 0 ? ms : kDefaultTimeoutMs;
}

namespace {

// Something the first service could have said: an answer holds at least one of its names.
bool isServiceAnswer(const QString& answer) {
    static const QStringList names = {
        QStringLiteral("resultado"),  QStringLiteral("resultado_txt"), QStringLiteral("tipo_logradouro"),
        QStringLiteral("logradouro"), QStringLiteral("bairro"),        QStringLiteral("cidade"),
        QStringLiteral("uf")};
    QString text = decode(answer);
    text.replace(u'&', u'\n');
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString& line : text.split(lineBreak)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0 && names.contains(line.left(equals), Qt::CaseInsensitive)) return true;
    }
    return false;
}

QNetworkRequest fallbackRequest(const QString& cepText) {
    QString digits;
    for (QChar c : cepText)
        if (c.isDigit()) digits += c;
    QString address = fallbackUrl();
    // The place of the digits, also as a URL tool may have written it.
    static const QRegularExpression place(QStringLiteral("\\{cep\\}|%7Bcep%7D"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (address.contains(place))
        address.replace(place, digits);
    else
        address += (address.endsWith(u'/') ? QString() : QStringLiteral("/")) + digits;
    QNetworkRequest request{QUrl(address)};
    request.setRawHeader("Accept", "application/json");
    request.setRawHeader("User-Agent", "Vanteja");
    return request;
}

// The second service's answer; Failed with the reason for anything that is neither an address nor a code it
// does not know.
Result fromFallback(const Reply& reply) {
    Result result;
    if (reply.kind == Reply::Kind::Answer && (reply.status == 404 || reply.status == 400)) {
        result.outcome = Result::Outcome::NotFound;
        return result;
    }
    if (!success(reply)) {
        result.error = failureReason(reply);
        return result;
    }
    const QJsonObject json = QJsonDocument::fromJson(reply.body).object();
    const QJsonValue erro = json.value(QStringLiteral("erro"));
    if (erro.toBool() || erro.toString() == QLatin1String("true")) {
        result.outcome = Result::Outcome::NotFound;
        return result;
    }
    auto text = [&json](const char* brasilApi, const char* viaCep) {
        const QJsonValue v = json.value(QString::fromLatin1(brasilApi));
        return (v.isString() ? v : json.value(QString::fromLatin1(viaCep))).toString().trimmed();
    };
    result.address.endereco = text("street", "logradouro");
    result.address.bairro = text("neighborhood", "bairro");
    result.address.cidade = text("city", "localidade");
    result.address.uf = text("state", "uf");
    if (result.address.cidade.isEmpty() && result.address.uf.isEmpty()) {
        result.error = QStringLiteral("a resposta não é a de um serviço de CEP");
        return result;
    }
    result.outcome = Result::Outcome::Address;
    return result;
}

}  // namespace

Result lookUp(const QString& cepText) {
    const QString failure = QStringLiteral("Falha na consulta do CEP: ");
    Result result;
    const Reply first = get(firstRequest(cepText), timeout());
    QString firstReason;
    if (success(first)) {
        const QString answer = bodyText(first.body);
        if (isServiceAnswer(answer)) {
            result.outcome = Result::Outcome::Address;
            result.address = addressFrom(answer);
            return result;
        }
        firstReason = QStringLiteral("a resposta não é a de um serviço de CEP");
    } else if (first.kind == Reply::Kind::Answer && first.status < 500) {
        // The service is there and refused the request: asking another would not make it right.
        result.error = failure + failureReason(first);
        return result;
    } else {
        firstReason = failureReason(first);
    }
    result = fromFallback(get(fallbackRequest(cepText), timeout()));
    if (result.outcome == Result::Outcome::Failed)
        result.error = failure + firstReason + QStringLiteral("; o serviço alternativo também falhou: ") +
                       result.error + QLatin1Char('.');
    return result;
}

}  // namespace CepLookup
