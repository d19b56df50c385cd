#include "U_ChavePix.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "CpfCnpj.h"
#include "DataError.h"
#include "Dialogs.h"
#include "KeyNavigation.h"
#include "MaskEdit.h"
#include "Pix.h"
#include "Skin.h"

namespace {

// The longest name and city the code carries: what is typed is what prints.
constexpr int kNameSize = 25;
constexpr int kCitySize = 15;

QString exampleOf(Pix::KeyKind kind) {
    switch (kind) {
        case Pix::KeyKind::Cpf:
            return QStringLiteral("000.000.000-00");
        case Pix::KeyKind::Cnpj:
            return QStringLiteral("00.000.000/0000-00");
        case Pix::KeyKind::Email:
            return QStringLiteral("nome@provedor.com.br");
        case Pix::KeyKind::Telephone:
            return QStringLiteral("+55 11 98765-4321");
        case Pix::KeyKind::Random:
            return QStringLiteral("123e4567-e89b-12d3-a456-426614174000");
    }
    return {};
}

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

TFChavePix::TFChavePix(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Chave PIX"));
    setObjectName(QStringLiteral("FChavePix"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* layout = new QVBoxLayout(this);
    auto* intro =
        new QLabel(QStringLiteral("A chave PIX da empresa vai nos recibos e no carnê como código QR, "
                                  "para o cliente pagar pelo aplicativo do banco."),
                   this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* fields = new QGridLayout;
    ComboTipo = new QComboBox(this);
    ComboTipo->setObjectName(QStringLiteral("ComboTipo"));
    ComboTipo->addItems(Pix::kindNames());
    EditChave = new QLineEdit(this);
    EditChave->setObjectName(QStringLiteral("EditChave"));
    EditChave->setMaxLength(77);
    LabelAviso = new QLabel(this);
    LabelAviso->setObjectName(QStringLiteral("LabelAviso"));
    LabelAviso->setWordWrap(true);
    EditNome = new MaskEdit(this);
    EditNome->setObjectName(QStringLiteral("EditNome"));
    EditNome->setCharCase(MaskEdit::CharCase::Upper);
    EditNome->setMaxLength(kNameSize);
    EditCidade = new MaskEdit(this);
    EditCidade->setObjectName(QStringLiteral("EditCidade"));
    EditCidade->setCharCase(MaskEdit::CharCase::Upper);
    EditCidade->setMaxLength(kCitySize);

    fields->addWidget(caption(QStringLiteral("Tipo da chave:"), this), 0, 0);
    fields->addWidget(ComboTipo, 0, 1);
    fields->addWidget(caption(QStringLiteral("Chave PIX:"), this), 1, 0);
    fields->addWidget(EditChave, 1, 1);
    fields->addWidget(LabelAviso, 2, 1);
    fields->addWidget(caption(QStringLiteral("Nome do beneficiário:"), this), 3, 0);
    fields->addWidget(EditNome, 3, 1);
    fields->addWidget(caption(QStringLiteral("Cidade:"), this), 4, 0);
    fields->addWidget(EditCidade, 4, 1);
    fields->setColumnStretch(1, 1);
    layout->addLayout(fields);

    auto* buttons = new QHBoxLayout;
    btngravar = Skin::pushButton(QStringLiteral("&Gravar"), QStringLiteral("btngravar"), this);
    btnremover = Skin::pushButton(QStringLiteral("&Remover Chave"), QStringLiteral("btnremover"), this);
    btnfechar = Skin::pushButton(QStringLiteral("&Fechar"), QStringLiteral("btnfechar"), this);
    buttons->addStretch();
    buttons->addWidget(btngravar);
    buttons->addWidget(btnremover);
    buttons->addWidget(btnfechar);
    layout->addLayout(buttons);

    loadStored();
    connect(ComboTipo, &QComboBox::currentIndexChanged, this, &TFChavePix::ComboTipoChange);
    connect(EditChave, &QLineEdit::textEdited, this, &TFChavePix::EditChaveChange);
    for (QLineEdit* box : {static_cast<QLineEdit*>(EditNome), static_cast<QLineEdit*>(EditCidade)})
        connect(box, &QLineEdit::textEdited, this, [this] { modified_ = true; });
    connect(btngravar, &QPushButton::clicked, this, &TFChavePix::btngravarClick);
    connect(btnremover, &QPushButton::clicked, this, &TFChavePix::btnremoverClick);
    connect(btnfechar, &QPushButton::clicked, this, &QDialog::reject);
    KeyNavigation::install(this);
    resize(520, 260);
}

TFChavePix::~TFChavePix() = default;

void TFChavePix::loadStored() {
    std::optional<Pix::Receiver> stored;
    // A damaged file is reported and the window opens empty, so the data can be typed and stored again.
    guarded(this, [&] { stored = Pix::load(); });
    if (stored) {
        ComboTipo->setCurrentIndex(int(stored->kind));
        const bool tax = stored->kind == Pix::KeyKind::Cpf || stored->kind == Pix::KeyKind::Cnpj;
        EditChave->setText(tax ? FormataCpfCnpj(stored->key) : stored->key);
        EditNome->setText(stored->name);
        EditCidade->setText(stored->city);
    }
    btnremover->setEnabled(stored.has_value());
    EditChave->setPlaceholderText(exampleOf(Pix::KeyKind(ComboTipo->currentIndex())));
    EditChaveChange();
    modified_ = false;
}

void TFChavePix::ComboTipoChange() {
    EditChave->setPlaceholderText(exampleOf(Pix::KeyKind(ComboTipo->currentIndex())));
    EditChaveChange();
}

void TFChavePix::EditChaveChange() {
    modified_ = true;
    const QString typed = EditChave->text();
    const QString problem = Pix::checkKey(Pix::KeyKind(ComboTipo->currentIndex()), typed);
    // Nothing typed yet is not an error to show in red.
    if (typed.trimmed().isEmpty()) {
        LabelAviso->setText(QString());
    } else if (problem.isEmpty()) {
        LabelAviso->setStyleSheet(QStringLiteral("color: #006400;"));
        LabelAviso->setText(QStringLiteral("Chave válida."));
    } else {
        LabelAviso->setStyleSheet(QStringLiteral("color: #B00000;"));
        LabelAviso->setText(problem);
    }
}

bool TFChavePix::store() {
    Pix::Receiver receiver;
    receiver.kind = Pix::KeyKind(ComboTipo->currentIndex());
    receiver.key = EditChave->text();
    receiver.name = EditNome->text().trimmed();
    receiver.city = EditCidade->text().trimmed();
    auto refuse = [this](const QString& text, QWidget* box) {
        Dialogs::current().error(this, text);
        box->setFocus();
        return false;
    };
    if (const QString problem = Pix::checkKey(receiver.kind, receiver.key); !problem.isEmpty())
        return refuse(problem, EditChave);
    if (Pix::plainText(receiver.name).isEmpty())
        return refuse(QStringLiteral("Digite o nome do beneficiário, como ele está registrado no banco."),
                      EditNome);
    if (Pix::plainText(receiver.city).isEmpty())
        return refuse(QStringLiteral("Digite a cidade do beneficiário."), EditCidade);
    if (!guarded(this, [&] { Pix::save(receiver); })) return false;
    modified_ = false;
    btnremover->setEnabled(true);
    return true;
}

void TFChavePix::btngravarClick() {
    if (store())
        Dialogs::current().information(
            this, QStringLiteral("Chave PIX gravada. Os recibos e o carnê passam a trazer o código QR."));
}

void TFChavePix::btnremoverClick() {
    if (!Dialogs::current().question(
            this,
            QStringLiteral("Deseja remover a chave PIX? Os recibos e o carnê voltam a sair sem o código QR."),
            QStringLiteral("Confirmação")))
        return;
    if (!guarded(this, [] { Pix::forget(); })) return;
    ComboTipo->setCurrentIndex(0);
    EditChave->clear();
    EditNome->clear();
    EditCidade->clear();
    loadStored();
    Dialogs::current().information(this, QStringLiteral("Chave PIX removida."));
}

void TFChavePix::done(int result) {
    // Closing asks before what was typed is lost.
    if (modified_ &&
        Dialogs::current().question(this, QStringLiteral("Deseja gravar as alterações da chave PIX?"),
                                    QStringLiteral("Confirmação")) &&
        !store())
        return;
    QDialog::done(result);
}
