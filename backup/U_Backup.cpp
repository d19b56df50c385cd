#include "U_Backup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "BooksFolder.h"
#include "Clock.h"
#include "Dialogs.h"
#include "Formats.h"
#include "Programs.h"
#include "Skin.h"

QString sizeText(qint64 bytes) {
    const QLocale& brazil = Formats::brazil();
    if (bytes < 1024) return brazil.toString(bytes) + QStringLiteral(" bytes");
    if (bytes < 1024 * 1024) return brazil.toString(bytes / 1024.0, 'f', 1) + QStringLiteral(" KB");
    return brazil.toString(bytes / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

TFBackup::TFBackup(QWidget* parent) : QWidget(parent), serverName_(Programs::mainProgramServerName()) {
    setObjectName(QStringLiteral("FBackup"));
    setWindowTitle(QStringLiteral("Backup"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(560, 400);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->setSpacing(6);

    auto* strip = new GradientStrip(Skin::navy, QColor(90, 120, 200), this);
    strip->setFixedHeight(40);
    auto* stripLayout = new QHBoxLayout(strip);
    auto* heading = new QLabel(QStringLiteral("Cópias de segurança dos dados do Vanteja"), strip);
    heading->setStyleSheet(
        QStringLiteral("QLabel { color: white; font-family: Arial; font-size: 12pt; font-weight: bold; "
                       "font-style: italic; }"));
    stripLayout->addWidget(heading);
    layout->addWidget(strip);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 0);
    layout->addLayout(body);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QStringLiteral("Pasta das cópias:"), this));
    EditPasta = new QLineEdit(this);
    EditPasta->setObjectName(QStringLiteral("EditPasta"));
    EditPasta->setReadOnly(true);
    folderRow->addWidget(EditPasta, 1);
    BtnPasta = Skin::pushButton(QStringLiteral("Alterar..."), QStringLiteral("BtnPasta"), this);
    folderRow->addWidget(BtnPasta);
    body->addLayout(folderRow);

    ListaCopias = new QTreeWidget(this);
    ListaCopias->setObjectName(QStringLiteral("ListaCopias"));
    ListaCopias->setHeaderLabels(
        {QStringLiteral("Data e hora"), QStringLiteral("Tamanho"), QStringLiteral("Arquivo")});
    ListaCopias->setRootIsDecorated(false);
    ListaCopias->setAlternatingRowColors(true);
    ListaCopias->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ListaCopias->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    ListaCopias->header()->setStretchLastSection(true);
    body->addWidget(ListaCopias, 1);

    LabelStatus = new QLabel(this);
    LabelStatus->setObjectName(QStringLiteral("LabelStatus"));
    LabelStatus->setStyleSheet(QStringLiteral("QLabel { color: #000080; font-weight: bold; }"));
    body->addWidget(LabelStatus);
    Progresso = new QProgressBar(this);
    Progresso->setObjectName(QStringLiteral("Progresso"));
    Progresso->setTextVisible(false);
    Progresso->setFixedHeight(12);
    Progresso->hide();
    body->addWidget(Progresso);

    auto* buttons = new QHBoxLayout;
    BtnBackup = Skin::pushButton(QStringLiteral("Fazer Backup Agora"), QStringLiteral("BtnBackup"), this);
    BtnRestaurar =
        Skin::pushButton(QStringLiteral("Restaurar Cópia..."), QStringLiteral("BtnRestaurar"), this);
    BtnFechar = Skin::pushButton(QStringLiteral("Fechar"), QStringLiteral("BtnFechar"), this);
    buttons->addWidget(BtnBackup);
    buttons->addWidget(BtnRestaurar);
    buttons->addStretch(1);
    buttons->addWidget(BtnFechar);
    body->addLayout(buttons);

    connect(BtnBackup, &QPushButton::clicked, this, &TFBackup::BackupAgoraClick);
    connect(BtnRestaurar, &QPushButton::clicked, this, &TFBackup::RestaurarClick);
    connect(BtnPasta, &QPushButton::clicked, this, &TFBackup::PastaClick);
    connect(BtnFechar, &QPushButton::clicked, this, &QWidget::close);

    atualizarLista();
}

void TFBackup::atualizarLista() {
    const QString folder = Backups::folder(BooksFolder::path());
    EditPasta->setText(QDir::toNativeSeparators(folder));
    ListaCopias->clear();
    // What a copy stopped half-way left is no copy and only takes room; a copy still running keeps its own.
    if (!busy_) Backups::removeStalePartials(folder, QDateTime::currentDateTime());
    const QList<Backups::Copy> copies = Backups::list(folder);
    for (const Backups::Copy& copy : copies) {
        QString when = Formats::date(copy.made.date()) + u' ' + Formats::time(copy.made.time());
        if (copy.damaged) when += QStringLiteral(" (danificada)");
        auto* item =
            new QTreeWidgetItem(ListaCopias, {when, sizeText(copy.size), QFileInfo(copy.path).fileName()});
        item->setData(0, Qt::UserRole, copy.path);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (!copies.isEmpty()) ListaCopias->setCurrentItem(ListaCopias->topLevelItem(0));
    if (!busy_)
        LabelStatus->setText(copies.isEmpty()
                                 ? QStringLiteral("Nenhuma cópia nesta pasta.")
                                 : QStringLiteral("%1 cópia(s) guardada(s); as %2 mais recentes são "
                                                  "mantidas.")
                                       .arg(copies.size())
                                       .arg(Backups::kKept));
}

void TFBackup::setBusy(bool busy) {
    busy_ = busy;
    BtnBackup->setEnabled(!busy);
    BtnRestaurar->setEnabled(!busy);
    BtnPasta->setEnabled(!busy);
    BtnFechar->setEnabled(!busy);
    Progresso->setVisible(busy);
    setCursor(busy ? Qt::BusyCursor : Qt::ArrowCursor);
}

void TFBackup::showProgress(const QString& stage, qint64 done, qint64 total) {
    LabelStatus->setText(stage);
    Progresso->setRange(0, int(total));
    if (total > 0) Progresso->setValue(int(done));
}

Backups::Result TFBackup::inBackground(const std::function<Backups::Result(const Backups::Progress&)>& work) {
    Backups::Result result;
    QElapsedTimer sinceShown;
    // Called on the worker's thread; a few updates a second are enough to see.
    const Backups::Progress progress = [this, &sinceShown](const QString& stage, qint64 done, qint64 total) {
        if (sinceShown.isValid() && sinceShown.elapsed() < 50 && (total == 0 || done < total)) return;
        sinceShown.start();
        QMetaObject::invokeMethod(
            this, [this, stage, done, total] { showProgress(stage, done, total); }, Qt::QueuedConnection);
    };
    std::unique_ptr<QThread> worker(QThread::create([&] { result = work(progress); }));
    QEventLoop loop;
    // Progress posted before the end arrives before it: the same thread's events are delivered in order.
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    loop.exec();
    worker->wait();
    return result;
}

void TFBackup::BackupAgoraClick() {
    if (busy_) return;
    setBusy(true);
    const QString dataFile = Backups::dataFile(BooksFolder::path());
    const QString folder = Backups::folder(BooksFolder::path());
    const QDateTime now = Clock::now();
    const Backups::Result result = inBackground(
        [&](const Backups::Progress& progress) { return Backups::make(dataFile, folder, now, progress); });
    setBusy(false);
    atualizarLista();
    if (result.ok) {
        LabelStatus->setText(QStringLiteral("Cópia feita: ") + QFileInfo(result.path).fileName());
        Dialogs::current().information(this, QStringLiteral("Cópia de segurança feita e conferida:\n%1")
                                                 .arg(QDir::toNativeSeparators(result.path)));
    } else {
        LabelStatus->setText(QStringLiteral("A cópia não foi feita."));
        Dialogs::current().error(
            this, QStringLiteral("Não foi possível fazer a cópia de segurança: %1.").arg(result.error));
    }
}

void TFBackup::RestaurarClick() {
    if (busy_) return;
    QTreeWidgetItem* item = ListaCopias->currentItem();
    if (!item) {
        Dialogs::current().information(this, QStringLiteral("Escolha na lista a cópia a restaurar."));
        return;
    }
    if (Programs::mainProgramRunning(serverName_)) {
        Dialogs::current().error(
            this, QStringLiteral("O Vanteja está aberto. Feche-o antes de restaurar uma cópia."));
        return;
    }
    if (!Dialogs::current().confirmation(
            this,
            QStringLiteral("Restaurar a cópia de %1?\n\nOs dados atuais serão substituídos por ela; antes "
                           "disso, eles serão guardados como mais uma cópia.")
                .arg(item->text(0))))
        return;
    setBusy(true);
    const QString books = BooksFolder::path();
    const QString copy = item->data(0, Qt::UserRole).toString();
    const QString dataFile = Backups::dataFile(books);
    const QString folder = Backups::folder(books);
    const QDateTime now = Clock::now();
    const Backups::Result result = inBackground([&](const Backups::Progress& progress) {
        return Backups::restore(copy, dataFile, folder, now, serverName_, progress);
    });
    setBusy(false);
    atualizarLista();
    if (result.ok) {
        LabelStatus->setText(QStringLiteral("Cópia restaurada."));
        QString text = QStringLiteral("Cópia restaurada.");
        if (!result.path.isEmpty())
            text += QStringLiteral("\n\nOs dados anteriores foram guardados em:\n%1")
                        .arg(QDir::toNativeSeparators(result.path));
        Dialogs::current().information(this, text);
    } else {
        LabelStatus->setText(QStringLiteral("A cópia não foi restaurada."));
        Dialogs::current().error(this,
                                 QStringLiteral("Não foi possível restaurar a cópia: %1.\n\nOs dados atuais "
                                                "não foram alterados.")
                                     .arg(result.error));
    }
}

void TFBackup::PastaClick() {
    QString chosen = Backups::folder(BooksFolder::path());
    if (!Dialogs::current().chooseFolder(this, QStringLiteral("Pasta das cópias de segurança"), chosen) ||
        chosen.isEmpty())
        return;
    Backups::rememberFolder(chosen);
    atualizarLista();
}

void TFBackup::closeEvent(QCloseEvent* event) {
    if (busy_)
        event->ignore();
    else
        QWidget::closeEvent(event);
}
