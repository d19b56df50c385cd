#include "UReceber.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "Clock.h"
#include "Dialogs.h"
#include "Parcelas.h"
#include "ScreenFit.h"
#include "Skin.h"
#include "Table.h"
#include "WindowHooks.h"

Tfreceber::Tfreceber(QWidget* parent) : LedgerWindow(Ledger::kReceber, parent) {
    setObjectName(QStringLiteral("freceber"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    build();
    panel = new GerarParcelas(ledger_, this, form_.PageControl1->widget(Cadastro));
    createSteps();
    connect(ledger_, &Dataset::afterCancel, this, &Tfreceber::tbreceberBeforeCancel);
    ScreenFit::fit(this, QSize(1080, 720), true);
}

void Tfreceber::addToolButtons(QHBoxLayout* bar) {
    SpeedButton10 = Skin::pushButton(QStringLiteral("Gerar Parcelas"), QStringLiteral("SpeedButton10"), this);
    addControl(SpeedButton10);
    SpeedButton10->setToolTip(QStringLiteral("Gerar Contas Parceladas"));
    connect(SpeedButton10, &QPushButton::clicked, this, &Tfreceber::SpeedButton10Click);
    bar->addWidget(SpeedButton10);
}

QWidget* Tfreceber::pictureArea(QWidget* parent) {
    // No picture: the installment panel opens over this corner of the record tab.
    return new QWidget(parent);
}

void Tfreceber::SpeedButton10Click() {
    // Over the record's boxes, below the tool bar, at the size its controls ask for.
    const QWidget* boxes = control(QString::fromUtf8(twin_.codeBox))->parentWidget();
    panel->resize(panel->sizeHint());
    panel->move(boxes->mapTo(panel->parentWidget(), QPoint(0, 0)));
    panel->open();
}

void Tfreceber::setGravarEnabled(bool on) {
    form_.btngravar->setEnabled(on);
}

void Tfreceber::setCancelarEnabled(bool on) {
    form_.btncancelar->setEnabled(on);
}

void Tfreceber::tbreceberBeforeCancel() {
    totalizar();  // over the stored records, the pending changes being gone
}

void Tfreceber::onTabShown(int index) {
    keyPreview = index == Cadastro;
    if (index == Pesquisa)
        searchButton(QStringLiteral("SpeedButton8"));
    else
        recordFilter(Todas);
}

void Tfreceber::searchAccountsClick() {
    form_.PageControl1->setCurrentIndex(Pesquisa);
    onTabShown(Pesquisa);
}

void Tfreceber::btngravarClick() {
    if (!handOverTyping() || !storeChecks()) return;
    if (!store()) return;
    Aviso();
    Aviso_Total();
    totalizar();
    setEditing(false);
    Dialogs::current().confirmed(this, QString::fromUtf8(twin_.stored));
}

void Tfreceber::IncluiData() {
    if (!Dialogs::current().question(this, QStringLiteral("Deseja quitar essa conta? "),
                                     QStringLiteral("Confirmação")))
        return;
    const bool settled = guarded(this, [this] {
        ledger_->edit();
        ledger_->fieldByName(QStringLiteral("DataPagamento")).setAsDate(Clock::today());
        ledger_->post();
    });
    PgNaoPg();
    if (settled) offerReceipt();
}

void Tfreceber::offerReceipt() {
    if (!WindowHooks::hasReceiptEditor()) return;
    if (!Dialogs::current().question(this, QStringLiteral("Emitir recibo deste recebimento?"),
                                     QStringLiteral("Confirmação"), true))
        return;
    WindowHooks::ReceiptRequest request;
    if (!guarded(this, [this, &request] {
            request.client = ledger_->fieldByName(QStringLiteral("Nome")).asString();
            request.amount = ledger_->fieldByName(QStringLiteral("Valordocumento")).value();
            request.referente = Parcelas::referente(*ledger_);
        }))
        return;
    WindowHooks::openReceiptEditor(this, request);
}
