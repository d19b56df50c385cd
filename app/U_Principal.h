#pragma once

#include <QMainWindow>
#include <QPointer>

#include "MaskEdit.h"
#include "Money.h"

class DBGrid;
class QAction;
class QFrame;
class QLabel;
class QLocalServer;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolButton;
class Table;
class TFLogin;
class TFUsuarios;
class TPainelLogo;

// The main window: tool bar, menu, picture, status bar with its clock, and the alert panel of the bills due
// on the day of start and of those overdue.
class TFPrincipal : public QMainWindow {
    Q_OBJECT
public:
    // Opens the alert views and the logo view; raises DataError when the data folder, file or a table is
    // missing.
    explicit TFPrincipal(QWidget* parent = nullptr);
    ~TFPrincipal() override;

    // The local server that takes close requests from the updater, under Platform::privateServerName of the
    // name; tests use a name of their own.
    bool listenForCloseRequests(const QString& serverName = QStringLiteral("Vanteja"));
    void setShowLoginOnActivate(bool show) { showLoginOnActivate_ = show; }

    // Called by the login form after a successful login.
    void loginAceito(const QString& login, const QString& usuario);
    TFLogin* login() const { return FLogin; }

    // Alert actions.
    void receberhoje();
    void contaspagar();
    void ApagarVencidas();
    void ReceberVencidas();
    void TotalCPagas();
    void Aviso_Total();
    void TotVencidas();
    void TotReceberVenc();
    void ChecaContas();

    // Handlers.
    void FormActivate();
    void Timer1Timer();
    void TimerAvisoTimer();
    void MostrarClick();
    void OcultarClick();
    void FecharAvisoClick();
    void CancelarAvisoClick();
    void LogoffClick();
    void SobreClick();
    void SairClick();
    void ClientesClick();
    void EmitenteClick();
    void ChavePixClick();
    void ReciboClick();
    void PromissoriaClick();
    void FluxoCaixaClick();
    void FornecedorClick();
    void UsuariosClick();
    void AlterarSenhaClick();
    void LogomarcaClick();
    void ImportarDadosClick();
    void CarregarLogo();  // the stored logo file into the picture area
    void ContasPagarClick();
    void ContasReceberClick();
    void closeRequest();

    // What tests and the pieces of the window look at.
    QLabel* statusPanel(int number) const { return status_[number - 1]; }
    QAction* logoffAction() const { return logoff_; }
    QFrame* alertPanel() const { return alert_; }
    QTabWidget* alertPages() const { return pages_; }
    QLabel* totalLabel(int page, bool overdue) const;
    QProgressBar* countdownBar(int page) const { return bars_[page]; }
    QPushButton* cancelButton(int page) const { return cancelButtons_[page]; }
    QLabel* closingLabel(int page) const { return closingLabels_[page]; }
    QTimer* timerAviso() const { return TimerAviso; }
    QTimer* clockTimer() const { return Timer1; }
    QToolButton* toolButton(const QString& caption) const;
    QMenu* avisoMenu() const { return avisoMenu_; }
    Table* view(int page, bool overdue) const;
    DBGrid* grid(int page, bool overdue) const;
    QString startDate() const { return MaskEdit1->maskedText(); }
    Money total(int page, bool overdue) const;
    TFUsuarios* usuarios() const { return FUsuarios; }
    TPainelLogo* painelLogo() const { return PainelLogo; }
    QWidget* pictureArea() const { return pictureArea_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    template <typename Window, typename... Args>
    void openModal(Args... args);
    void buildToolBar();
    void buildMenu();
    void buildAlertPanel();
    QWidget* buildAlertPage(int page);
    void filterView(Table* view, const QString& filter);
    void sumInto(Table* view, int page, bool overdue);
    void showCountdown(bool visible);
    void placeAlertPanel();
    void showAlert(int page);

    Table* TPagarHoje;
    Table* TPagarVencidas;
    Table* TReceberHoje;
    Table* TReceberVencidas;
    Table* Tlogo;
    MaskEdit* MaskEdit1;  // the start date, hidden
    MaskEdit* MaskEdit2;
    MaskEdit* MaskEdit3;
    QTimer* Timer1;
    QTimer* TimerAviso;
    TFLogin* FLogin = nullptr;
    TFUsuarios* FUsuarios = nullptr;
    TPainelLogo* PainelLogo = nullptr;

    QLabel* status_[4];
    QAction* logoff_ = nullptr;
    QMenu* avisoMenu_ = nullptr;
    QWidget* pictureArea_ = nullptr;
    QFrame* alert_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QTabWidget* subPages_[2] = {};
    DBGrid* grids_[2][2] = {};
    QLabel* totals_[2][2] = {};
    Money sums_[2][2];
    QProgressBar* bars_[2] = {};
    QPushButton* cancelButtons_[2] = {};
    QLabel* closingLabels_[2] = {};
    QList<QToolButton*> toolButtons_;
    QLocalServer* server_ = nullptr;
    int ticks_ = 0;
    bool countdownRetired_ = false;  // the countdown elements stay hidden once a countdown is over
    bool activated_ = false;
    bool showLoginOnActivate_ = true;
};
