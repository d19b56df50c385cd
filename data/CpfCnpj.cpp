#include "CpfCnpj.h"

namespace {

QString withoutPunctuation(const QString& text) {
    QString bare = text;
    bare.remove(QLatin1Char('.')).remove(QLatin1Char('-')).remove(QLatin1Char('/'));
    return bare;
}

// Modulo-11 check digit of `body` with the weights given from the first character on.
int checkDigit(QStringView body, const int* weights) {
    int sum = 0;
    for (qsizetype i = 0; i < body.size(); ++i)
        sum += (body[i].unicode() - '0') * weights[i];
    const int rest = sum % 11;
    return rest < 2 ? 0 : 11 - rest;
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isCapitalOrDigit(QChar c) {
    return isDigit(c) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool allAlike(const QString& text) {
    return text.count(text.front()) == text.size();
}

}  // namespace

QString FormataCpfCnpj(const QString& text) {
    QString bare = withoutPunctuation(text);
    if (bare.size() == 11) {
        bare.insert(9, QLatin1Char('-'));
        bare.insert(6, QLatin1Char('.'));
        bare.insert(3, QLatin1Char('.'));
    } else if (bare.size() == 14) {
        bare.insert(12, QLatin1Char('-'));
        bare.insert(8, QLatin1Char('/'));
        bare.insert(5, QLatin1Char('.'));
        bare.insert(2, QLatin1Char('.'));
    }
    return bare;
}

CpfCnpjCheck checkCpfCnpj(const QString& text) {
    const QString bare = withoutPunctuation(text.trimmed());
    static const int cpf1[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
    static const int cpf2[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
    static const int cnpj1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    static const int cnpj2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    const qsizetype size = bare.size();
    if (size != 11 && size != 14) return CpfCnpjCheck::NotANumber;
    const QStringView body = QStringView(bare).left(size - 2);
    for (QChar c : body)
        if (size == 11 ? !isDigit(c) : !isCapitalOrDigit(c)) return CpfCnpjCheck::Invalid;
    if (!isDigit(bare[size - 2]) || !isDigit(bare[size - 1]) || allAlike(bare)) return CpfCnpjCheck::Invalid;
    const int first = checkDigit(body, size == 11 ? cpf1 : cnpj1);
    const int second = checkDigit(QStringView(bare).left(size - 1), size == 11 ? cpf2 : cnpj2);
    return bare[size - 2].unicode() - '0' == first && bare[size - 1].unicode() - '0' == second
               ? CpfCnpjCheck::Valid
               : CpfCnpjCheck::Invalid;
}
