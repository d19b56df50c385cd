#include "MaskEdit.h"

#include <QRegularExpression>
#include <QValidator>

InputRule::InputRule(MaskEdit::CharCase charCase, NumericInput numeric, QObject* parent)
    : QValidator(parent), charCase_(charCase), numeric_(numeric) {}

QValidator::State InputRule::validate(QString& input, int&) const {
    if (charCase_ == MaskEdit::CharCase::Upper) input = input.toUpper();
    if (charCase_ == MaskEdit::CharCase::Lower) input = input.toLower();
    if (numeric_ == NumericInput::No) return Acceptable;
    // Only a number's characters, as the field reads them: a sign, digits, and for a decimal field thousands
    // points and one decimal comma. Whether the whole is a number is checked when the value is handed over.
    static const QRegularExpression integer(QStringLiteral("^[+-]?\\d{0,10}$"));
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[\\d.]*(,\\d*)?$"));
    return (numeric_ == NumericInput::Integer ? integer : decimal).match(input).hasMatch() ? Acceptable : Invalid;
}

namespace {

const QString kQtMeta = QStringLiteral("AaNnXx90Dd#HhBb><!;[]{}\\.");

struct ParsedMask {
    QString qt;
    QVector<bool> literalAt;
    bool saveLiterals = true;
    QChar blank = QLatin1Char('_');
};

ParsedMask parse(const QString& delphiMask) {
    ParsedMask parsed;
    QString body = delphiMask;
    // "mask;save;blank": the last two parts are optional.
    const QStringList parts = delphiMask.split(QLatin1Char(';'));
    if (parts.size() >= 2 && parts.size() <= 3) {
        body = parts[0];
        parsed.saveLiterals = parts[1].trimmed() != QLatin1String("0");
        if (parts.size() == 3 && !parts[2].isEmpty()) parsed.blank = parts[2][0];
    }
    for (int i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        switch (c.unicode()) {
            case '!':
                continue;  // leading-blank handling: nothing to do here
            case '>':
            case '<':
                parsed.qt += c;
                continue;
            case 'L':
                parsed.qt += QLatin1Char('A');
                break;
            case 'l':
                parsed.qt += QLatin1Char('a');
                break;
            case 'A':
                parsed.qt += QLatin1Char('N');
                break;
            case 'a':
                parsed.qt += QLatin1Char('n');
                break;
            case 'C':
                parsed.qt += QLatin1Char('X');
                break;
            case 'c':
                parsed.qt += QLatin1Char('x');
                break;
            case '0':
                parsed.qt += QLatin1Char('9');
                break;
            case '9':
                parsed.qt += QLatin1Char('0');
                break;
            case '#':
                parsed.qt += QLatin1Char('#');
                break;
            case '\\':
                if (i + 1 < body.size()) {
                    parsed.qt += QLatin1Char('\\') + body[++i];
                    parsed.literalAt << true;
                }
                continue;
            default:
                if (kQtMeta.contains(c)) parsed.qt += QLatin1Char('\\');
                parsed.qt += c;
                parsed.literalAt << true;
                continue;
        }
        parsed.literalAt << false;
    }
    parsed.qt += QLatin1Char(';') + QString(parsed.blank);
    return parsed;
}

}  // namespace

MaskEdit::MaskEdit(QWidget* parent) : QLineEdit(parent) {}

QString MaskEdit::qtInputMask(const QString& delphiMask) {
    return delphiMask.isEmpty() ? QString() : parse(delphiMask).qt;
}

void MaskEdit::setEditMask(const QString& delphiMask) {
    delphiMask_ = delphiMask;
    if (delphiMask.isEmpty()) {
        literalAt_.clear();
        setInputMask(QString());
        applyRule();
        return;
    }
    const ParsedMask parsed = parse(delphiMask);
    literalAt_ = parsed.literalAt;
    saveLiterals_ = parsed.saveLiterals;
    setValidator(nullptr);
    setInputMask(parsed.qt);
}

void MaskEdit::setCharCase(CharCase charCase) {
    charCase_ = charCase;
    applyRule();
}

void MaskEdit::setNumeric(NumericInput numeric) {
    numeric_ = numeric;
    applyRule();
}

void MaskEdit::applyRule() {
    if (!delphiMask_.isEmpty()) return;  // a mask rules what is typed itself
    delete rule_;
    rule_ = nullptr;
    if (charCase_ != CharCase::Normal || numeric_ != NumericInput::No)
        rule_ = new InputRule(charCase_, numeric_, this);
    setValidator(rule_);
}

QString MaskEdit::maskedText() const {
    if (delphiMask_.isEmpty()) return text();
    const QString shown = displayText();
    QString result;
    for (int i = 0; i < shown.size(); ++i) {
        const bool literal = literalAt_.value(i, false);
        if (literal && !saveLiterals_) continue;
        const QChar c = shown[i];
        result += (!literal && c == QLatin1Char('_')) ? QLatin1Char(' ') : c;
    }
    return result;
}

void MaskEdit::setMaskedText(const QString& text) {
    if (delphiMask_.isEmpty()) {
        setText(text);
        return;
    }
    // Blanks in the text are blank positions of the mask.
    QString input = text;
    for (int i = 0; i < input.size(); ++i)
        if (input[i] == QLatin1Char(' ') && !literalAt_.value(i, false)) input[i] = QLatin1Char('_');
    setText(input);
    // Typing into an empty box starts at its first position.
    if (isMaskBlank()) setCursorPosition(0);
}

void MaskEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (!delphiMask_.isEmpty() && isMaskBlank()) setCursorPosition(0);
}

bool MaskEdit::isMaskBlank() const {
    const QString shown = maskedText();
    for (int i = 0; i < shown.size(); ++i)
        if (!literalAt_.value(i, false) && shown[i] != QLatin1Char(' ')) return false;
    return true;
}
