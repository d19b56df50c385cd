#include "PainelLogo.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "DataControls.h"
#include "DataError.h"
#include "Dialogs.h"
#include "EditorKit.h"
#include "PictureFile.h"
#include "Table.h"

TPainelLogo::TPainelLogo(Table* Tlogo, QWidget* parent) : QFrame(parent), Tlogo(Tlogo) {
    setObjectName(QStringLiteral("painelLogo"));
    setFixedSize(321, 105);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 2, 4, 6);
    layout->setSpacing(4);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Logomarca"), this));
    top->addStretch();
    X = new QToolButton(this);
    X->setObjectName(QStringLiteral("fecharPainelLogo"));
    X->setText(QStringLiteral("X"));
    X->setAutoRaise(true);
    X->setFocusPolicy(Qt::NoFocus);
    X->setCursor(Qt::PointingHandCursor);
    X->setStyleSheet(QStringLiteral("font-family: \"Arial Black\"; font-weight: bold;"));
    top->addWidget(X);
    layout->addLayout(top);

    DBEdit1 = new DBEdit(this);
    DBEdit1->setObjectName(QStringLiteral("DBEdit1"));
    DBEdit1->setDataSource(Tlogo, QStringLiteral("End"));
    layout->addWidget(DBEdit1);

    auto* buttons = new QHBoxLayout;
    BtnAlterar = new QPushButton(QStringLiteral("Alterar Logo Marca"), this);
    BtnAlterar->setObjectName(QStringLiteral("BtnAlterar"));
    BtnSalvar = new QPushButton(QStringLiteral("Salvar e Fechar"), this);
    BtnSalvar->setObjectName(QStringLiteral("BtnSalvar"));
    BtnPadrao = new QPushButton(QStringLiteral("Deixar Padrão"), this);
    BtnPadrao->setObjectName(QStringLiteral("BtnPadrao"));
    for (QPushButton* button : {BtnAlterar, BtnSalvar, BtnPadrao}) {
        button->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(button);
    }
    BtnSalvar->setFlat(true);
    BtnPadrao->setFlat(true);
    layout->addLayout(buttons);

    connect(X, &QToolButton::clicked, this, &TPainelLogo::FecharClick);
    connect(BtnAlterar, &QPushButton::clicked, this, &TPainelLogo::BtnAlterarClick);
    connect(BtnSalvar, &QPushButton::clicked, this, &TPainelLogo::BtnSalvarClick);
    connect(BtnPadrao, &QPushButton::clicked, this, &TPainelLogo::BtnPadraoClick);
    hide();
}

void TPainelLogo::FecharClick() {
    hide();  // a pending change stays pending
}

void TPainelLogo::BtnAlterarClick() {
    // A cancelled dialog still goes on, with the name chosen earlier in this run.
    const QString name = Dialogs::current().openPicture(window(), QStringLiteral("Abrir"));
    if (!guarded(window(), [this] { Tlogo->edit(); })) return;
    DBEdit1->setFocus();
    guarded(window(), [this, &name] {
        Field path = Tlogo->fieldByName(QStringLiteral("End"));
        // A path cut to what the field holds would name another file, or none.
        if (name.size() > path.size())
            throw DataError(QStringLiteral("O caminho \"%1\" tem %2 caracteres; cabem no máximo %3. Mova o "
                                           "arquivo para uma pasta de nome mais curto e escolha-o de novo.")
                                .arg(name)
                                .arg(name.size())
                                .arg(path.size()));
        if (!name.isEmpty()) chosen_ = name;
        path.setAsString(chosen_);
    });
}

void TPainelLogo::BtnSalvarClick() {
    if (Tlogo->state() != Dataset::State::Edit && Tlogo->state() != Dataset::State::Insert) {
        Dialogs::current().message(window(), QStringLiteral("Não esta em modo de edição!"));
        return;
    }
    hide();
    if (EditorKit::storeRecord(window(), *Tlogo) == EditorKit::StoreResult::Stored) emit saved();
}

void TPainelLogo::BtnPadraoClick() {
    hide();
    const bool stored = guarded(window(), [this] {
        Tlogo->edit();
        Tlogo->fieldByName(QStringLiteral("End")).clear();
        Tlogo->post();
    });
    if (stored)
        Dialogs::current().message(window(), QStringLiteral("Reinicie o programa para validar o comando!"));
}

bool TPainelLogo::loadPicture(const QString& path, const QSize& place, QPixmap* picture, QString* error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    auto fail = [&](const QString& reason) {
        *error = QStringLiteral(
                     "Não foi possível carregar a imagem \"%1\": %2. Escolha outro arquivo em "
                     "Inserir logomarca > Logomarca.")
                     .arg(path, reason);
        return false;
    };
    const QFileInfo file(path);
    if (!file.exists()) return fail(QStringLiteral("o arquivo não existe"));
    if (!file.isFile() || !file.isReadable()) return fail(QStringLiteral("o arquivo não pode ser lido"));
    if (suffix.isEmpty() || !QImageReader::supportedImageFormats().contains(suffix.toLatin1()))
        return fail(QStringLiteral("a extensão \"%1\" não é de um formato de imagem conhecido")
                        .arg(suffix.isEmpty() ? QStringLiteral("(nenhuma)") : suffix));
    const Report::PictureFile read = Report::readPictureFile(path, suffix.toLatin1(), place);
    switch (read.problem) {
        case Report::PictureFile::Problem::None:
            *picture = QPixmap::fromImage(read.image);
            return true;
        case Report::PictureFile::Problem::Missing:
            return fail(QStringLiteral("o arquivo não existe"));
        case Report::PictureFile::Problem::Unreadable:
            return fail(QStringLiteral("o arquivo não pode ser lido"));
        case Report::PictureFile::Problem::NotAPicture:
            return fail(QStringLiteral("o arquivo não é uma imagem %1 válida").arg(suffix.toUpper()));
        default:
            return fail(Report::sizeProblem(read));
    }
}
