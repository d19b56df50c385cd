#pragma once

#include <QWidget>
#include <functional>

#include "BackupCopies.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// The backup program's window: makes a copy of the data now, lists the copies kept, restores one.
class TFBackup : public QWidget {
    Q_OBJECT
public:
    explicit TFBackup(QWidget* parent = nullptr);

    void BackupAgoraClick();
    void RestaurarClick();
    void PastaClick();
    void atualizarLista();

    // Where the main program takes close requests; tests use a name of their own.
    void setServerName(const QString& name) { serverName_ = name; }
    bool busy() const { return busy_; }

    QLineEdit* EditPasta;
    QPushButton* BtnPasta;
    QTreeWidget* ListaCopias;
    QLabel* LabelStatus;
    QProgressBar* Progresso;
    QPushButton* BtnBackup;
    QPushButton* BtnRestaurar;
    QPushButton* BtnFechar;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setBusy(bool busy);
    // Runs the work on a thread of its own while this window goes on answering; its progress is shown here.
    Backups::Result inBackground(const std::function<Backups::Result(const Backups::Progress&)>& work);
    void showProgress(const QString& stage, qint64 done, qint64 total);

    QString serverName_;
    bool busy_ = false;
};

// "1,5 MB"
QString sizeText(qint64 bytes);
