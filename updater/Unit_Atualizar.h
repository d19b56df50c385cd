#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include "Updater.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The updater's window: asks a running Vanteja to close, downloads the new program file beside the updater
// with the progress shown, and starts it.
class TFatualizar : public QWidget {
    Q_OBJECT
public:
    explicit TFatualizar(QWidget* parent = nullptr);

    void AtualizarAgoraClick();
    void AbrirAgoraClick();

    // Program name, download address, target, close socket and time limits; tests change them before a click.
    UpdateOptions& options() { return options_; }
    Updater* updater() const { return updater_; }

    QLineEdit* NomeSoftware;
    QLineEdit* Endereco;
    QLabel* Label1;
    QPushButton* BtnAtualizar;
    QPushButton* BtnAbrir;

signals:
    void updateEnded(bool ok);

private:
    void showProgress(qint64 received, qint64 total);
    void ended(bool ok, const QString& error);

    bool installed_ = false;
    UpdateOptions options_;
    Updater* updater_ = nullptr;
    QElapsedTimer sinceRepaint_;
};
