#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// PIX, the Central Bank's instant payment: the company's key and the static "BR Code" a payer's bank app
// reads from a QR code or from its text ("PIX copia e cola").
namespace Pix {

enum class KeyKind { Cpf, Cnpj, Email, Telephone, Random };

// The kinds as the user chooses them, in this order: "CPF", "CNPJ", "E-mail", "Telefone", "Chave aleatória".
QStringList kindNames();
QString kindName(KeyKind kind);

// Whether a key typed for a kind is good: an empty text when it is, else what is wrong, in Portuguese.
// Punctuation the user may type (CPF/CNPJ dots and dashes, spaces and brackets in a telephone) is allowed.
QString checkKey(KeyKind kind, const QString& typed);
// The key as the code carries it: CPF/CNPJ without punctuation, e-mail and random key in lower case,
// telephone as "+55" followed by its digits.
QString normalizedKey(KeyKind kind, const QString& typed);

// Whom the payments go to.
struct Receiver {
    KeyKind kind = KeyKind::Cpf;
    QString key;   // as normalizedKey gives it
    QString name;  // beneficiary
    QString city;
    // A key of its kind, a name and a city: what a code needs.
    bool complete() const;
};

// What one code asks for.
struct Charge {
    qint64 centavos = 0;  // zero: the payer types the amount
    QString reference;    // the receipt's or bill's number; only its letters and digits are kept
    QString description;  // optional, shown by some bank apps
};

// The static BR Code: payload format 01, merchant account 26 (GUI br.gov.bcb.pix, key, description),
// category 0000, currency 986, amount, country BR, name, city, reference label 05 and the CRC. Fields longer
// than their limits are cut, so the code is always well formed. Empty when the receiver is not complete.
QString payload(const Receiver& receiver, const Charge& charge);

// CRC16-CCITT: polynomial 0x1021, start 0xFFFF, no reflection, no final xor.
quint16 crc16(const QByteArray& bytes);
// Text for the code's name and city fields: accents taken off, upper case, only printable ASCII kept.
QString plainText(const QString& text);
// A reference label: letters and digits only, at most 25; "***" (no reference) when none is left.
QString referenceLabel(const QString& text);

// The company's PIX data, kept in "pix.ini" in the data folder, readable by its owner only. Not a table:
// the data folder's tables are fixed, and this is one small record of settings, like the logo's path.
QString settingsFile();
// None when nothing is stored. Raises DataError when the file can't be read.
std::optional<Receiver> load();
// Raises DataError with the reason when the file can't be written; nothing is half written.
void save(const Receiver& receiver);
// Forgets the key: receipts print without a code again.
void forget();
// The stored receiver when it is complete (the key of its kind, a name and a city); otherwise none. A file
// that can't be read counts as none: a print never fails for its code.
std::optional<Receiver> configured();

}  // namespace Pix
