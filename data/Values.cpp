#include "Values.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "DataError.h"

namespace Values {

namespace {

QString groupThousands(const QString& digits) {
    QString grouped;
    const int n = digits.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) grouped += QLatin1Char('.');
        grouped += digits[i];
    }
    return grouped;
}

bool isPlaceholder(QChar c) {
    return c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char('.') || c == QLatin1Char(',');
}

QString formatSection(double magnitude, const QString& section) {
    int first = 0;
    while (first < section.size() && !isPlaceholder(section[first]))
        ++first;
    int last = section.size() - 1;
    while (last >= first && !isPlaceholder(section[last]))
        --last;
    const QString prefix = section.left(first);
    const QString suffix = section.mid(last + 1);
    const QString picture = section.mid(first, last - first + 1);

    const int point = picture.indexOf(QLatin1Char('.'));
    const QString intPart = point < 0 ? picture : picture.left(point);
    const QString fracPart = point < 0 ? QString() : picture.mid(point + 1);
    const int intZeros = intPart.count(QLatin1Char('0'));
    const bool grouping = intPart.contains(QLatin1Char(','));
    const int fracZeros = fracPart.count(QLatin1Char('0'));
    const int fracMax = fracZeros + fracPart.count(QLatin1Char('#'));

    const QString fixed = QString::number(magnitude, 'f', fracMax);
    const int dot = fixed.indexOf(QLatin1Char('.'));
    QString digits = dot < 0 ? fixed : fixed.left(dot);
    QString fraction = dot < 0 ? QString() : fixed.mid(dot + 1);
    while (fraction.size() > fracZeros && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    while (digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    while (digits.size() < intZeros)
        digits.prepend(QLatin1Char('0'));
    if (grouping) digits = groupThousands(digits);

    QString result = prefix + digits;
    if (!fraction.isEmpty()) result += QLatin1Char(',') + fraction;
    return result + suffix;
}

// The number of decimals a picture section rounds to.
int sectionDecimals(const QString& section) {
    const int point = section.indexOf(QLatin1Char('.'));
    if (point < 0) return 0;
    const QString frac = section.mid(point + 1);
    return frac.count(QLatin1Char('0')) + frac.count(QLatin1Char('#'));
}

QString invalidNumber(const QString& text) {
    return QStringLiteral("'%1' não é um valor numérico válido").arg(text);
}

}  // namespace

QString formatFloat(double value, const QString& pattern) {
    if (std::isnan(value) || std::isinf(value)) return QStringLiteral("NAN");
    const QStringList sections = pattern.split(QLatin1Char(';'));
    const QString positive = sections.value(0);
    const int decimals = sectionDecimals(positive);
    const double rounded = std::abs(std::round(value * std::pow(10.0, decimals)));
    const bool isZero = rounded == 0.0;
    if (isZero && sections.size() > 2 && !sections[2].isEmpty()) return formatSection(0.0, sections[2]);
    if (value < 0 && !isZero) {
        if (sections.size() > 1 && !sections[1].isEmpty()) return formatSection(-value, sections[1]);
        return QLatin1Char('-') + formatSection(-value, positive);
    }
    return formatSection(std::abs(value), positive);
}

QString formatNumber(double value) {
    return formatFloat(value, QStringLiteral("#,##0.00"));
}

QString floatToText(double value) {
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

QString dateToText(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString dateToIso(const QDate& date) {
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

QDate dateFromIso(const QString& text) {
    return QDate::fromString(text.left(10), Qt::ISODate);
}

bool isBlankDateText(const QString& text) {
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('/') && c != QLatin1Char('_')) return false;
    return true;
}

QDate parseDate(const QString& text) {
    if (isBlankDateText(text)) return {};
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (match.hasMatch()) {
        const QDate date(match.captured(3).toInt(), match.captured(2).toInt(), match.captured(1).toInt());
        if (date.isValid()) return date;
    }
    throw DataError(QStringLiteral("'%1' não é uma data válida").arg(text));
}

namespace {

// "1234,56", "1.234,56" or "-3": sign, integer digits (grouped by thousands points as the program writes
// them: a first group of one to three digits not starting with 0, then groups of three), decimals after a
// comma.
struct NumberText {
    QString sign, whole, fraction;
};

NumberText splitNumber(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^([+-]?)([1-9]\\d{0,2}(?:\\.\\d{3})+|\\d*)(?:,(\\d+))?$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch() || (match.captured(2).isEmpty() && match.captured(3).isEmpty()))
        throw DataError(invalidNumber(text));
    return {match.captured(1), match.captured(2).remove(QLatin1Char('.')), match.captured(3)};
}

double toDouble(const NumberText& number, const QString& text) {
    QString plain = number.sign + number.whole;
    if (!number.fraction.isEmpty()) plain += QLatin1Char('.') + number.fraction;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || std::isinf(value)) throw DataError(invalidNumber(text));
    return value;
}

}  // namespace

QVariant parseNumber(const QString& text) {
    if (text.trimmed().isEmpty()) return {};
    return toDouble(splitNumber(text), text);
}

QVariant parseAmount(const QString& text) {
    if (text.trimmed().isEmpty()) return {};
    NumberText number = splitNumber(text);
    // Rounded on the digits as typed, so 1,005 is 1,01 and never the binary 1,00499...
    const bool up = number.fraction.size() > 2 && number.fraction.at(2) >= QLatin1Char('5');
    QString digits = (number.whole.isEmpty() ? QStringLiteral("0") : number.whole) +
                     number.fraction.left(2).leftJustified(2, QLatin1Char('0'));
    if (up) {
        int i = digits.size() - 1;
        for (; i >= 0 && digits.at(i) == QLatin1Char('9'); --i)
            digits[i] = QLatin1Char('0');
        if (i < 0)
            digits.prepend(QLatin1Char('1'));
        else
            digits[i] = QChar(digits.at(i).unicode() + 1);
    }
    number.whole = digits.left(digits.size() - 2);
    number.fraction = digits.right(2);
    return toDouble(number, text);
}

QVariant toFieldValue(const FieldDef& field, const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    const int typeId = value.typeId();
    switch (field.type) {
        case FieldType::String:
        case FieldType::Memo: {
            QString text;
            if (typeId == QMetaType::QDate)
                text = dateToText(value.toDate());
            else if (typeId == QMetaType::Double || typeId == QMetaType::Float)
                text = floatToText(value.toDouble());
            else
                text = value.toString();
            if (text.isEmpty()) return {};
            if (field.type == FieldType::String && field.size > 0 && text.size() > field.size)
                text.truncate(field.size);
            return text;
        }
        case FieldType::Integer:
        case FieldType::AutoInc: {
            double number;
            if (typeId == QMetaType::QString) {
                const QVariant parsed = parseNumber(value.toString());
                if (parsed.isNull()) return {};
                number = parsed.toDouble();
                if (number != std::trunc(number))
                    throw DataError(
                        QStringLiteral("'%1' não é um número inteiro válido").arg(value.toString()));
            } else {
                bool ok = false;
                number = std::round(value.toDouble(&ok));
                if (!ok || !std::isfinite(number)) throw DataError(invalidNumber(value.toString()));
            }
            if (number > std::numeric_limits<int>::max() || number < std::numeric_limits<int>::min())
                throw DataError(
                    QStringLiteral("%1 está fora da faixa de um número inteiro").arg(floatToText(number)));
            return static_cast<int>(number);
        }
        case FieldType::Float:
        case FieldType::Currency: {
            if (typeId == QMetaType::QString) return parseNumber(value.toString());
            bool ok = false;
            const double number = value.toDouble(&ok);
            if (!ok || !std::isfinite(number)) throw DataError(invalidNumber(value.toString()));
            return number;
        }
        case FieldType::Date: {
            if (typeId == QMetaType::QDate) return value.toDate().isValid() ? value : QVariant();
            if (typeId == QMetaType::QDateTime) return value.toDateTime().date();
            if (typeId == QMetaType::QString) {
                const QDate date = parseDate(value.toString());
                return date.isValid() ? QVariant(date) : QVariant();
            }
            throw DataError(QStringLiteral("'%1' não é uma data válida").arg(value.toString()));
        }
        case FieldType::Blob:
        case FieldType::Graphic: {
            const QByteArray bytes = value.toByteArray();
            return bytes.isEmpty() ? QVariant() : QVariant(bytes);
        }
    }
    return {};
}

QString asString(const FieldDef& field, const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    switch (field.type) {
        case FieldType::Date:
            return dateToText(value.toDate());
        case FieldType::Float:
        case FieldType::Currency:
            return floatToText(value.toDouble());
        case FieldType::Integer:
        case FieldType::AutoInc:
            return QString::number(value.toLongLong());
        case FieldType::Blob:
        case FieldType::Graphic:
            return QString::fromLatin1(value.toByteArray());
        default:
            return value.toString();
    }
}

QString displayText(const FieldDef& field, const QVariant& value, const QString& displayFormat) {
    if (!value.isValid() || value.isNull()) return {};
    if (field.isNumeric() && !displayFormat.isEmpty()) return formatFloat(value.toDouble(), displayFormat);
    return asString(field, value);
}

}  // namespace Values
