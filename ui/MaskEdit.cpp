#include "MaskEdit.h"

#include <QRegularExpression>
#include <QSignalBlocker>
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
    return (numeric_ == NumericInput::Integer ? integer : decimal).match(input).hasMatch() ? Acceptable
                                                                                           : Invalid;
}

namespace {

const QString kQtMeta = QStringLiteral("AaNnXx90Dd#HhBb><!;[]{}\\.");

struct ParsedMask {
    QString qt;
    QVector<bool> literalAt;
    QVector<QChar> kindAt;  // the Qt mask character of each editable position
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
                    parsed.kindAt << QChar();
                }
                continue;
            default:
                if (kQtMeta.contains(c)) parsed.qt += QLatin1Char('\\');
                parsed.qt += c;
                parsed.literalAt << true;
                parsed.kindAt << QChar();
                continue;
        }
        parsed.literalAt << false;
        parsed.kindAt << parsed.qt.back();
    }
    parsed.qt += QLatin1Char(';') + QString(parsed.blank);
    return parsed;
}

// Whether a character may stand in an editable position of this kind (as the line edit itself decides).
bool fits(QChar c, QChar kind) {
    switch (kind.toUpper().unicode()) {
        case 'A':
            return c.isLetter();
        case 'N':
            return c.isLetterOrNumber();
        case 'X':
            return c.isPrint();
        case '9':
        case '0':
            return c.isNumber();
        case '#':
            return c.isNumber() || c == QLatin1Char('+') || c == QLatin1Char('-');
        default:
            return false;
    }
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
        kindAt_.clear();
        setInputMask(QString());
        applyRule();
        return;
    }
    const ParsedMask parsed = parse(delphiMask);
    literalAt_ = parsed.literalAt;
    kindAt_ = parsed.kindAt;
    saveLiterals_ = parsed.saveLiterals;
    blank_ = parsed.blank;
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
        result += (!literal && c == blank_) ? QLatin1Char(' ') : c;
    }
    return result;
}

void MaskEdit::setMaskedText(const QString& text) {
    if (delphiMask_.isEmpty()) {
        setText(text);
        return;
    }
    // Each character in its own place; a blank, or a character the place does not take, leaves it blank.
    QString wanted;
    QString input;  // the shown text, blanks as the mask's blank character
    for (int shown = 0, read = 0; shown < literalAt_.size(); ++shown) {
        if (literalAt_[shown]) {
            if (saveLiterals_) ++read;
            input += displayLiteral(shown);
            if (saveLiterals_) wanted += displayLiteral(shown);
            continue;
        }
        const QChar c = read < text.size() ? text[read] : QLatin1Char(' ');
        ++read;
        const bool placed = c != QLatin1Char(' ') && fits(c, kindAt_[shown]);
        input += placed ? c : blank_;
        wanted += placed ? c : QLatin1Char(' ');
    }
    setText(input);
    // The line edit moves a blank it can't put in a required place to a later one, and a character with it;
    // then the characters are put in their places one by one.
    if (maskedText().compare(wanted, Qt::CaseInsensitive) != 0) {
        const QString before = this->text();
        {
            const QSignalBlocker quiet(this);
            setText(QString());
            for (int shown = 0; shown < input.size(); ++shown) {
                if (literalAt_[shown] || input[shown] == blank_) continue;
                setCursorPosition(shown);
                insert(QString(input[shown]));
            }
        }
        if (this->text() != before) emit textChanged(this->text());
    }
    // Typing into an empty box starts at its first position.
    if (isMaskBlank()) setCursorPosition(0);
}

QChar MaskEdit::displayLiteral(int position) const {
    const QString shown = displayText();
    return position < shown.size() ? shown[position] : QLatin1Char(' ');
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
