#pragma once

#include <QString>

// The Brazilian taxpayer numbers: CPF (11 characters, individuals) and CNPJ (14 characters, companies).

// Punctuates a CPF or CNPJ by its length alone: ".", "-" and "/" are removed, then 11 characters become
// XXX.XXX.XXX-XX and 14 become XX.XXX.XXX/XXXX-XX; any other length comes back unpunctuated. Letters and
// blanks are kept, so an already punctuated text comes back unchanged. Lengths count characters (code
// points), not UTF-16 units.
QString FormataCpfCnpj(const QString& text);

// Whether a CPF or CNPJ, punctuated or not, carries the right check digits. A CPF is 11 digits; a CNPJ is 12
// digits or capital letters followed by two digits, each character counting as its code minus 48 ("A" is 17).
// Numbers made of one repeated character pass the arithmetic but are not valid.
enum class CpfCnpjCheck {
    NotANumber,  // empty, or of neither length: nothing to say
    Valid,
    Invalid,
};
CpfCnpjCheck checkCpfCnpj(const QString& text);
