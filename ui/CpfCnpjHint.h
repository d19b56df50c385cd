#pragma once

#include <QLabel>

class QLineEdit;

// A quiet note under a CPF/CNPJ box: "dígito verificador não confere" in small red letters while the box
// holds an 11- or 14-character number whose check digits are wrong. It never stops anything.
class CpfCnpjHint : public QLabel {
    Q_OBJECT
public:
    CpfCnpjHint(QLineEdit* box, QWidget* parent);
    // Puts the box and its note one above the other in a widget that takes the box's place in a layout.
    static QWidget* wrap(QLineEdit* box);
    static CpfCnpjHint* of(QLineEdit* box);  // the note of a wrapped box; nullptr when none

private:
    void update(const QString& text);
};
