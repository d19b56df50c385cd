#include "CpfCnpj.h"

#include <QList>
#include <iterator>

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

// Where each character begins, in UTF-16 units; a surrogate pair is one character, a lone surrogate too.
QList<qsizetype> characterStarts(const QString& text) {
    QList<qsizetype> starts;
    for (qsizetype i = 0; i < text.size(); ++i) {
        starts << i;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
    }
    return starts;
}

bool allAlike(const QString& text) {
    return text.count(text.front()) == text.size();
}

}  // namespace

QString FormataCpfCnpj(const QString& text) {
    const QString bare = withoutPunctuation(text);
    // Lengths and positions count characters: a character outside the BMP is two UTF-16 units and must
    // neither count twice nor be split by a punctuation mark.
    const QList<qsizetype> starts = characterStarts(bare);
    struct Mark {
        int after;  // characters before the mark
        QChar mark;
    };
    static const Mark cpf[] = {{3, u'.'}, {6, u'.'}, {9, u'-'}};
    static const Mark cnpj[] = {{2, u'.'}, {5, u'.'}, {8, u'/'}, {12, u'-'}};
    const auto punctuate = [&](const auto& marks) {
        QString result = bare;
        for (auto mark = std::rbegin(marks); mark != std::rend(marks); ++mark)
            result.insert(starts[mark->after], mark->mark);
        return result;
    };
    if (starts.size() == 11) return punctuate(cpf);
    if (starts.size() == 14) return punctuate(cnpj);
    return bare;
}

CpfCnpjCheck checkCpfCnpj(const QString& text) {
    const QString bare = withoutPunctuation(text.trimmed());
    static const int cpf1[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
    static const int cpf2[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
    static const int cnpj1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    static const int cnpj2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    const qsizetype size = characterStarts(bare).size();
    if (size != 11 && size != 14) return CpfCnpjCheck::NotANumber;
    if (bare.size() != size) return CpfCnpjCheck::Invalid;  // a character beyond digits and letters
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
