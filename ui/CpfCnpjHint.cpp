#include "CpfCnpjHint.h"

#include <QLineEdit>
#include <QVBoxLayout>

#include "CpfCnpj.h"

CpfCnpjHint::CpfCnpjHint(QLineEdit* box, QWidget* parent) : QLabel(parent) {
    setObjectName(box->objectName() + QStringLiteral("_hint"));
    setStyleSheet(QStringLiteral("color: #c00000; font-size: 7pt;"));
    // The line keeps its height when empty, so the window does not move as the note comes and goes.
    setFixedHeight(fontMetrics().height());
    connect(box, &QLineEdit::textChanged, this, &CpfCnpjHint::update);
    update(box->text());
}

void CpfCnpjHint::update(const QString& text) {
    setText(checkCpfCnpj(text) == CpfCnpjCheck::Invalid ? QStringLiteral("dígito verificador não confere")
                                                        : QString());
}

QWidget* CpfCnpjHint::wrap(QLineEdit* box) {
    auto* holder = new QWidget(box->parentWidget());
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(box);
    layout->addWidget(new CpfCnpjHint(box, holder));
    return holder;
}

CpfCnpjHint* CpfCnpjHint::of(QLineEdit* box) {
    return box->parentWidget()
               ? box->parentWidget()->findChild<CpfCnpjHint*>(box->objectName() + QStringLiteral("_hint"))
               : nullptr;
}
