#include "U_Usuarios.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "Clock.h"
#include "DataControls.h"
#include "DataError.h"
#include "Database.h"
#include "Dialogs.h"
#include "KeyNavigation.h"
#include "Pictures.h"
#include "Skin.h"
#include "Table.h"

namespace {

using Case = MaskEdit::CharCase;

// A dialog with a title and no title-bar buttons, white, centred on the window that opens it.
void plainDialog(QDialog* dialog, const QString& title) {
    dialog->setWindowTitle(title);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog->setAutoFillBackground(true);
    QPalette white = dialog->palette();
    white.setColor(QPalette::Window, Qt::white);
    dialog->setPalette(white);
}

void centreOn(QWidget* window) {
    if (QWidget* owner = window->parentWidget())
        window->move(owner->window()->frameGeometry().center() - window->rect().center());
}

QLabel* rightLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// A key on a ring: the picture of both windows.
QPixmap keyPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Skin::navy, size / 16.0));
    painter.setBrush(QColor(230, 190, 60));
    const double r = size * 0.2;
    painter.drawEllipse(QPointF(size * 0.3, size * 0.3), r, r);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(size * 0.3, size * 0.3), r * 0.35, r * 0.35);
    painter.setBrush(QColor(230, 190, 60));
    QPolygonF shaft;
    shaft << QPointF(size * 0.42, size * 0.38) << QPointF(size * 0.88, size * 0.84)
          << QPointF(size * 0.82, size * 0.9) << QPointF(size * 0.36, size * 0.44);
    painter.drawPolygon(shaft);
    painter.drawRect(QRectF(size * 0.66, size * 0.72, size * 0.1, size * 0.16));
    painter.drawRect(QRectF(size * 0.76, size * 0.62, size * 0.1, size * 0.12));
    return pixmap;
}

}  // namespace

// --- TFUsuarios ---

TFUsuarios::TFUsuarios(QWidget* parent) : QDialog(parent) {
    plainDialog(this, QStringLiteral("Cadastro de Usuários..."));
    setObjectName(QStringLiteral("FUsuarios"));
    TUsuarios = new Table(kDatabaseSenha, QStringLiteral("USUARIOS.DB"), this);
    boxes_ = BoxSet(TUsuarios, QStringLiteral("usuario_"));

    auto* layout = new QVBoxLayout(this);
    DBNavigator1 = new DBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setDataSource(TUsuarios);
    DBNavigator1->setVisibleButtons({DBNavigator::Prior, DBNavigator::Next, DBNavigator::Insert,
                                     DBNavigator::Delete, DBNavigator::Post, DBNavigator::Cancel});
    auto* top = new QHBoxLayout;
    top->addWidget(DBNavigator1);
    top->addStretch();
    auto* picture = new QLabel(this);
    picture->setPixmap(keyPicture(48));
    top->addWidget(picture);
    layout->addLayout(top);

    auto* fields = new QGridLayout;
    struct Box {
        const char* caption;
        const char* field;
        Case charCase;
        bool readOnly;
    };
    const Box boxes[] = {
        {"ID-Código:", "ID", Case::Normal, true},         {"Dt. Inclusão:", "DT_INC", Case::Normal, true},
        {"Dt. Alteração:", "DT_ALT", Case::Normal, true}, {"Nome:", "NOME", Case::Upper, false},
        {"Login:", "LOGIN", Case::Upper, false},          {"Senha:", "SENHA", Case::Lower, false},
    };
    int row = 0;
    for (const Box& b : boxes) {
        fields->addWidget(rightLabel(QString::fromUtf8(b.caption), this), row, 0);
        DBEdit* edit = boxes_.add(this, QString::fromUtf8(b.field), b.charCase);
        if (b.readOnly) {
            edit->setReadOnly(true);
            edit->setFocusPolicy(Qt::NoFocus);
            edit->setStyleSheet(QStringLiteral("background: #c0c0c0; font-style: italic;"));
            edit->setMaximumWidth(110);
        }
        if (QString::fromUtf8(b.field) == QLatin1String("SENHA")) edit->setEchoMode(QLineEdit::Password);
        fields->addWidget(edit, row, 1);
        ++row;
    }
    Bloqueado = new DBCheckBox(QStringLiteral("Bloqueado"), this);
    Bloqueado->setObjectName(QStringLiteral("Bloqueado"));
    Bloqueado->setDataSource(TUsuarios, QStringLiteral("STATUS"));
    Bloqueado->setValues(QStringLiteral("N"), QStringLiteral("S"));
    fields->addWidget(Bloqueado, 0, 2);
    fields->setColumnStretch(1, 1);
    layout->addLayout(fields);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    BtnFechar = Skin::pushButton(QStringLiteral("&Fechar"), QStringLiteral("BtnFechar"), this);
    connect(BtnFechar, &QPushButton::clicked, this, &QDialog::reject);
    bottom->addWidget(BtnFechar);
    layout->addLayout(bottom);

    // A new row is dated at once; a row is dated again as soon as it is put into edit.
    connect(TUsuarios, &Dataset::afterInsert, this,
            [this] { TUsuarios->fieldByName(QStringLiteral("DT_INC")).setAsDate(Clock::today()); });
    connect(TUsuarios, &Dataset::afterEdit, this,
            [this] { TUsuarios->fieldByName(QStringLiteral("DT_ALT")).setAsDate(Clock::today()); });

    KeyNavigation::install(this);
    resize(440, 300);
    hide();
}

TFUsuarios::~TFUsuarios() = default;

DBEdit* TFUsuarios::box(const QString& field) const {
    return boxes_.box(field);
}

void TFUsuarios::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOn(this);
    FormActivate();
}

void TFUsuarios::FormActivate() {
    if (TUsuarios->active()) return;
    if (guarded(this, [this] { TUsuarios->open(); })) box(QStringLiteral("NOME"))->setFocus();
}

void TFUsuarios::done(int result) {
    // Whatever was not stored is dropped with the view, without a question.
    TUsuarios->close();
    QDialog::done(result);
}

// --- TFAlteraSenha ---

TFAlteraSenha::TFAlteraSenha(QWidget* parent, const QString& login) : QDialog(parent), login_(login) {
    plainDialog(this, QStringLiteral("Alteração de Senha"));
    setObjectName(QStringLiteral("FAlteraSenha"));
    TUsuarios = new Table(kDatabaseSenha, QStringLiteral("USUARIOS.DB"), this);

    auto* layout = new QHBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(keyPicture(96));
    picture->setAlignment(Qt::AlignTop);
    layout->addWidget(picture);

    auto* right = new QVBoxLayout;
    auto* fields = new QGridLayout;
    auto passwordBox = [this](const QString& name) {
        auto* edit = new MaskEdit(this);
        edit->setObjectName(name);
        edit->setCharCase(Case::Lower);
        edit->setMaxLength(15);
        edit->setEchoMode(QLineEdit::Password);
        return edit;
    };
    EdtSenhaAtual = passwordBox(QStringLiteral("EdtSenhaAtual"));
    EdtNovaSenha = passwordBox(QStringLiteral("EdtNovaSenha"));
    EdtRepetir = passwordBox(QStringLiteral("EdtRepetir"));
    fields->addWidget(rightLabel(QStringLiteral("Senha Atual :"), this), 0, 0);
    fields->addWidget(EdtSenhaAtual, 0, 1);
    fields->addWidget(rightLabel(QStringLiteral("Nova Senha :"), this), 1, 0);
    fields->addWidget(EdtNovaSenha, 1, 1);
    fields->addWidget(rightLabel(QStringLiteral("Repetir Nova Senha :"), this), 2, 0);
    fields->addWidget(EdtRepetir, 2, 1);
    right->addLayout(fields);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    BitBtn1 = new QPushButton(QStringLiteral("&OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("&Cancelar"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    right->addLayout(buttons);
    right->addStretch();
    layout->addLayout(right, 1);
    connect(BitBtn1, &QPushButton::clicked, this, &TFAlteraSenha::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFAlteraSenha::BitBtn2Click);
    resize(420, 160);
}

TFAlteraSenha::~TFAlteraSenha() = default;

void TFAlteraSenha::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOn(this);
    FormActivate();
}

void TFAlteraSenha::FormActivate() {
    if (!TUsuarios->active()) guarded(this, [this] { TUsuarios->open(); });
    EdtSenhaAtual->setFocus();
}

void TFAlteraSenha::done(int result) {
    TUsuarios->close();
    QDialog::done(result);
}

void TFAlteraSenha::refuse(const QString& text, QLineEdit* from) {
    Dialogs::current().error(this, text);
    // The box in question and those after it are typed again.
    bool clear = false;
    for (QLineEdit* edit : {EdtSenhaAtual, EdtNovaSenha, EdtRepetir}) {
        clear = clear || edit == from;
        if (clear) edit->clear();
    }
    from->setFocus();
}

void TFAlteraSenha::BitBtn1Click() {
    const QString current = EdtSenhaAtual->text();
    const QString fresh = EdtNovaSenha->text();
    if (fresh.isEmpty()) {
        refuse(QStringLiteral("Digite a nova senha."), EdtNovaSenha);
        return;
    }
    if (fresh != EdtRepetir->text()) {
        refuse(QStringLiteral("A nova senha e a repetição não são iguais. Digite-as de novo."), EdtNovaSenha);
        return;
    }
    // The row of the logged-in user whose password is the one typed, compared exactly as the login does.
    bool found = false;
    const bool read = guarded(this, [&] {
        if (!TUsuarios->active()) TUsuarios->open();
        for (TUsuarios->first(); !TUsuarios->eof(); TUsuarios->next()) {
            if (TUsuarios->fieldByName(QStringLiteral("LOGIN")).asString() == login_ &&
                TUsuarios->fieldByName(QStringLiteral("SENHA")).asString() == current) {
                found = true;
                break;
            }
        }
    });
    if (!read) return;
    if (login_.isEmpty() || !found) {
        refuse(QStringLiteral("A senha atual não confere. Digite a senha com que entrou no sistema."),
               EdtSenhaAtual);
        return;
    }
    const bool stored = guarded(this, [this, &fresh] {
        try {
            TUsuarios->edit();
            TUsuarios->fieldByName(QStringLiteral("SENHA")).setAsString(fresh);
            TUsuarios->fieldByName(QStringLiteral("DT_ALT")).setAsDate(Clock::today());
            TUsuarios->post();
        } catch (const DataError&) {
            if (TUsuarios->state() != Dataset::State::Browse) TUsuarios->cancel();
            throw;
        }
    });
    if (!stored) return;  // the store's message was shown; the dialog stays as typed
    Dialogs::current().information(this, QStringLiteral("Senha alterada com sucesso!"));
    accept();
}

void TFAlteraSenha::BitBtn2Click() {
    reject();
}
