#include "Unit_Atualizar.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "BooksFolder.h"
#include "Clock.h"
#include "Dialogs.h"
#include "Programs.h"

namespace {

// A window repaint costs more than a network read; more than this many a second shows nothing new.
constexpr int kRepaintIntervalMs = 33;

}  // namespace

TFatualizar::TFatualizar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Fatualizar"));
    setWindowTitle(QStringLiteral(" Quilvex Atualização 2.0"));
    setWindowFlags(Qt::Window | Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose);  // a tool window would not end the program otherwise
    setFixedSize(353, 106);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    NomeSoftware = new QLineEdit(QStringLiteral("Vanteja"), this);
    NomeSoftware->setObjectName(QStringLiteral("NomeSoftware"));
    NomeSoftware->hide();
    Endereco = new QLineEdit(updateUrl().toString(), this);
    Endereco->setObjectName(QStringLiteral("Endereco"));
    Endereco->hide();

    Label1 = new QLabel(QStringLiteral("0 bytes"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(0, 18, 353, 20);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setStyleSheet(QStringLiteral("QLabel { color: #0000ff; font-weight: bold; }"));

    const QRect buttonPlace(111, 56, 131, 30);
    BtnAtualizar = new QPushButton(QStringLiteral("Atualizar Agora"), this);
    BtnAtualizar->setObjectName(QStringLiteral("BtnAtualizar"));
    BtnAtualizar->setFlat(true);
    BtnAtualizar->setToolTip(QStringLiteral("Clique para atualizar!"));
    BtnAtualizar->setGeometry(buttonPlace);
    BtnAtualizar->setCursor(Qt::PointingHandCursor);
    connect(BtnAtualizar, &QPushButton::clicked, this, &TFatualizar::AtualizarAgoraClick);

    BtnAbrir = new QPushButton(QStringLiteral("Abrir Agora"), this);
    BtnAbrir->setObjectName(QStringLiteral("BtnAbrir"));
    BtnAbrir->setFlat(true);
    BtnAbrir->setGeometry(buttonPlace);
    BtnAbrir->setStyleSheet(QStringLiteral("QPushButton { color: #008080; font-weight: bold; }"));
    BtnAbrir->setCursor(Qt::PointingHandCursor);
    BtnAbrir->hide();
    connect(BtnAbrir, &QPushButton::clicked, this, &TFatualizar::AbrirAgoraClick);

    const QString programName = NomeSoftware->text();
    options_.url = QUrl(Endereco->text());
    options_.target = QDir(ProgramFolder::path()).filePath(Programs::executableName(programName));
    options_.serverName = Programs::mainProgramServerName();
    // A program installed by a package belongs to the package manager: replacing it here would be undone by
    // the next upgrade, or refused for a file under /usr.
    installed_ = BooksFolder::installed();
    if (installed_) Label1->setText(QStringLiteral("Atualize pelo gerenciador de pacotes"));

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFatualizar::AtualizarAgoraClick() {
    if (updater_ && updater_->running()) return;
    if (installed_) {
        Dialogs::current().information(
            this,
            QStringLiteral("Este Vanteja foi instalado como pacote do sistema. As atualizações chegam pelo "
                           "gerenciador de pacotes (por exemplo, \"Atualizações de Software\" ou "
                           "\"sudo apt upgrade\"); este programa não substitui os arquivos instalados."));
        return;
    }
    BtnAtualizar->setEnabled(false);
    delete updater_;
    updater_ = new Updater(options_, this);
    connect(updater_, &Updater::progress, this, &TFatualizar::showProgress);
    connect(updater_, &Updater::waitingForProgram, this,
            [this] { Label1->setText(QStringLiteral("Aguardando o Vanteja fechar...")); });
    connect(updater_, &Updater::finished, this, &TFatualizar::ended);
    sinceRepaint_.invalidate();
    updater_->start();
}

void TFatualizar::showProgress(qint64 received, qint64 total) {
    Label1->setText(progressText(received, total));
    const bool last = total > 0 && received >= total;
    if (last || !sinceRepaint_.isValid() || sinceRepaint_.elapsed() >= kRepaintIntervalMs) {
        repaint();
        sinceRepaint_.start();
    }
}

void TFatualizar::ended(bool ok, const QString& error) {
    if (ok) {
        Label1->setText(QStringLiteral("Atualização concluída"));
        BtnAtualizar->hide();
        BtnAbrir->show();
    } else {
        Label1->setText(QStringLiteral("Atualização não concluída"));
        BtnAtualizar->setEnabled(true);
        Dialogs::current().error(this,
                                 QStringLiteral("Não foi possível atualizar o Vanteja: %1.\n\nO programa "
                                                "atual não foi alterado. Clique em \"Atualizar Agora\" "
                                                "para tentar de novo.")
                                     .arg(error));
    }
    emit updateEnded(ok);
}

void TFatualizar::AbrirAgoraClick() {
    Programs::start(NomeSoftware->text());
    close();
}
