#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QValidator>
#include <QVector>

// What a box's field holds, for what may be typed into it.
enum class NumericInput { No, Integer, Decimal };

// Delphi-style edit masks ("!99/99/0000;1;_", "00000\-999;1;_", "!\(99\)0000-0000;1;_", "99/99/9999") on a
// line edit, read back as Delphi reads them: every position of the mask, a blank position as a space, so an
// empty date box reads "  /  /    ". Also the conversion of typed letters to capitals or small letters.
class MaskEdit : public QLineEdit {
    Q_OBJECT
public:
    enum class CharCase { Normal, Upper, Lower };

    explicit MaskEdit(QWidget* parent = nullptr);

    void setEditMask(const QString& delphiMask);
    const QString& editMask() const { return delphiMask_; }
    void setCharCase(CharCase charCase);
    CharCase charCase() const { return charCase_; }
    // Without a mask, a numeric box takes only a number's characters.
    void setNumeric(NumericInput numeric);

    // The text as the program reads it (Delphi's Text): literals kept when the mask saves them, blanks as
    // spaces. Without a mask, the plain text.
    QString maskedText() const;
    // Puts each character of a text read as above in its own place, blanks included.
    void setMaskedText(const QString& text);
    // True when every editable position is blank ("  /  /    ").
    bool isMaskBlank() const;

    // The Qt input mask for a Delphi mask (exposed for tests).
    static QString qtInputMask(const QString& delphiMask);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void applyRule();
    QChar displayLiteral(int position) const;

    QString delphiMask_;
    QVector<bool> literalAt_;  // per shown position
    QVector<QChar> kindAt_;    // per shown position: what an editable one takes
    QChar blank_ = QLatin1Char('_');
    bool saveLiterals_ = true;
    CharCase charCase_ = CharCase::Normal;
    NumericInput numeric_ = NumericInput::No;
    QPointer<QValidator> rule_;
};

// What a box takes as typed: letters turned into capitals or small letters, and in the box of a numeric field
// only what such a field can hold.
class InputRule : public QValidator {
public:
    InputRule(MaskEdit::CharCase charCase, NumericInput numeric, QObject* parent);
    State validate(QString& input, int& position) const override;

private:
    MaskEdit::CharCase charCase_;
    NumericInput numeric_;
};
