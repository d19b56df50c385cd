#include "UReceber.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>

#include "Clock.h"
#include "Dialogs.h"
#include "Table.h"

Tfreceber::Tfreceber(QWidget* parent) : LedgerWindow(Ledger::kReceber, parent) {
    setObjectName(QStringLiteral("freceber"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    build();
    createSteps();
    connect(ledger, &Dataset::afterCancel, this, &Tfreceber::tbreceberBeforeCancel);
    setFixedSize(1080, 720);
}

void Tfreceber::addToolButtons(QHBoxLayout*) {
    // "Gerar Parcelas" joins the bar with the installment panel.
}

QWidget* Tfreceber::pictureArea(QWidget* parent) {
    // The place of the installment panel.
    return new QWidget(parent);
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
    PageControl1->setCurrentIndex(Pesquisa);
    onTabShown(Pesquisa);
}

void Tfreceber::btngravarClick() {
    handOverTyping();
    if (!storeChecks()) return;
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
    guarded(this, [this] {
        ledger->edit();
        ledger->fieldByName(QStringLiteral("DataPagamento")).setAsDate(Clock::today());
        ledger->post();
    });
    PgNaoPg();
}
