#pragma once

#include <QString>
#include <QUrl>

// The postal-code look-up: one HTTP GET to the postal-code web service, answered in query-string form
// ("tipo_logradouro=Rua&logradouro=Sete+de+Setembro&bairro=Centro&cidade=S%E3o+Paulo&uf=SP").
namespace CepLookup {

struct Address {
    QString endereco;  // street type, a blank, street name
    QString bairro;
    QString cidade;
    QString uf;
};

// The service's base address (ends with "/"); the request goes to base + "web_cep.php". Tests point it at a
// server of their own.
QUrl defaultBase();
QUrl base();
void setBase(const QUrl& base);  // an empty URL brings back the default

// How long a request may take before it is given up, in milliseconds.
inline constexpr int kDefaultTimeoutMs = 15000;

// Decodes the answer: "+" becomes a blank, "%" with two hexadecimal digits becomes the character of that code
// (1 to 255); a "%" whose two following characters are not such a code is dropped with them.
QString decode(const QString& answer);
// The value of a name in the decoded answer, the answer split into lines at every "&", the name matched
// without regard to case (first matching line); a missing name gives "".
QString value(const QString& decoded, const QString& name);
// The address an answer gives (decoded first).
Address addressFrom(const QString& answer);

// The second service, asked when the first cannot be reached, does not answer in time, answers with a server
// error or with something that is no answer of its: a JSON service whose address holds "{cep}" where the
// eight digits go (without it they are added as the last part of the path). It may answer as BrasilAPI does
// ({"street", "neighborhood", "city", "state"}) or as ViaCEP does ({"logradouro", "bairro", "localidade",
// "uf"}, {"erro": true} for an unknown code); 404 and 400 say the code is unknown. The environment variables
// VANTEJA_CEP_URL and VANTEJA_CEP2_URL replace the two defaults.
QString defaultFallbackUrl();
QString fallbackUrl();
void setFallbackUrl(const QString& url);  // an empty text brings back the default

// How long each service may take, in milliseconds; 0 brings back the default.
int timeout();
void setTimeout(int ms);

struct Result {
    enum class Outcome { Address, NotFound, Failed };
    Outcome outcome = Outcome::Failed;
    Address address;  // Address: what the answer gives, from either service
    QString error;    // Failed: why, in Portuguese, for both services when both were asked
};
inline const QString kNotFound = QStringLiteral("CEP não encontrado");

// The look-up the clients register runs: the first service; the second only when the first failed as said
// above (not when it answered, even with an unknown code). Blocks until it ends.
Result lookUp(const QString& cepText);

// Sends the request for the postal code as shown in its box ("30130-010", blanks where digits are missing)
// and blocks until the answer, an error or the time-out. Returns false with the HTTP client's error message
// (in Portuguese where it is ours) when the request fails or the answer is not a success.
bool fetch(const QString& cepText, QString* answer, QString* error, int timeoutMs = kDefaultTimeoutMs);

}  // namespace CepLookup
