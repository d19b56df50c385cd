#include "Unpagar.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QTabWidget>
#include <QTextCharFormat>

#include "Clock.h"
#include "DataControls.h"
#include "DataError.h"
#include "Dialogs.h"
#include "Pictures.h"
#include "ScreenFit.h"
#include "Skin.h"
#include "Table.h"
#include "Values.h"

Tfpagar::Tfpagar(QWidget* parent) : LedgerWindow(Ledger::kPagar, parent) {
    setObjectName(QStringLiteral("fpagar"));
    setSizeGripEnabled(true);
    build();
    createSteps();
    ScreenFit::fit(this, QSize(1080, 720));
}

void Tfpagar::addToolButtons(QHBoxLayout* bar) {
    calendario = Skin::pushButton(QString(), QStringLiteral("calendario"), this);
    addControl(calendario);
    calendario->setIcon(Pictures::toolbarIcon(QStringLiteral("Sobre")));
    calendario->setToolTip(QStringLiteral("Calendário Ativar!"));
    connect(calendario, &QPushButton::clicked, this, &Tfpagar::calendarioClick);
    bar->addWidget(calendario);
}

QWidget* Tfpagar::pictureArea(QWidget* parent) {
    auto* area = new QWidget(parent);
    auto* stack = new QStackedLayout(area);
    stack->setStackingMode(QStackedLayout::StackAll);
    auto* Image1 = new QLabel(area);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(
        Pictures::background().scaled(QSize(210, 135), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    Image1->setAlignment(Qt::AlignCenter);
    stack->addWidget(Image1);
    Panel11 = new QWidget(area);
    Panel11->setObjectName(QStringLiteral("Panel11"));
    auto* layout = new QVBoxLayout(Panel11);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* close = new QLabel(QStringLiteral("X"), Panel11);
    close->setObjectName(QStringLiteral("Label17"));
    close->setToolTip(QStringLiteral("Fechar Calendário!"));
    close->setCursor(Qt::PointingHandCursor);
    onPress(close, [this] { Label17Click(); });
    addControl(close);
    layout->addWidget(close, 0, Qt::AlignRight);
    MonthCalendar1 = new QCalendarWidget(Panel11);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    MonthCalendar1->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    MonthCalendar1->setStyleSheet(QStringLiteral("#qt_calendar_navigationbar { background: navy; }"));
    layout->addWidget(MonthCalendar1);
    stack->addWidget(Panel11);
    Panel11->hide();
    area->setMinimumSize(200, 170);  // room for the calendar panel
    return area;
}

void Tfpagar::calendarioClick() {
    if (Panel11->isVisible()) {
        Panel11->hide();
        calendario->setToolTip(QStringLiteral("Ativar Calendário"));
        return;
    }
    MonthCalendar1->setSelectedDate(Clock::today());
    Panel11->show();
    Panel11->raise();
    calendario->setToolTip(QStringLiteral("Desativar Calendário"));
}

void Tfpagar::Label17Click() {
    Panel11->hide();
}

void Tfpagar::onTabShown(int index) {
    Panel11->hide();
    if (index == Pesquisa) {
        searchButton(QStringLiteral("SpeedButton2"));
        keyPreview = false;
    } else {
        recordFilter(Todas);
        keyPreview = true;  // Enter and Esc move on again, as they did when the window opened
    }
}

void Tfpagar::searchAccountsClick() {
    Panel11->hide();
    form_.PageControl1->setCurrentIndex(Pesquisa);
    searchButton(QStringLiteral("SpeedButton8"));
}

void Tfpagar::btngravarClick() {
    if (!handOverTyping() || !storeChecks()) return;
    snapshot = {control<QComboBox>(QString::fromUtf8(twin_.nameBox))->currentText(),
                control<QComboBox>(QString::fromUtf8(twin_.referenceBox))->currentText(),
                ledger_->fieldByName(QStringLiteral("Valordocumento")).asString(),
                control<DBEdit>(QStringLiteral("EditData_Vencimento"))->maskedText()};
    // Whether the bill is paid is read before the store: a filtered ledger may no longer show it after.
    const bool paid = !fieldBlank(QStringLiteral("DataPagamento"));
    if (!store()) return;
    setEditing(false);
    if (paid) {
        Dialogs::current().confirmed(this, QString::fromUtf8(twin_.stored));
        AddMesSeguinte();
        return;
    }
    Aviso();
    Aviso_Total();
    Dialogs::current().confirmed(this, QString::fromUtf8(twin_.stored));
}

void Tfpagar::IncluiData() {
    if (!Dialogs::current().question(this, QStringLiteral("Deseja quitar essa conta? "),
                                     QStringLiteral("Confirmação")))
        return;
    const bool set = guarded(this, [this] {
        ledger_->edit();
        ledger_->fieldByName(QStringLiteral("DataPagamento")).setAsDate(Clock::today());
    });
    if (set) btngravarClick();
}

void Tfpagar::AddMesSeguinte() {
    if (Values::isBlankDateText(snapshot.vencimento)) {
        Dialogs::current().message(this, QStringLiteral("Data Vencimento em branco ou não cadastrada!"));
        return;
    }
    if (!Dialogs::current().question(this, QStringLiteral("Deseja Cadastrar Essa Conta para Mês Seguinte?"),
                                     QStringLiteral("Confirmação")))
        return;
    QDate due;
    const bool made = guarded(this, [this, &due] {
        due = LedgerFilters::nextMonth(Values::parseDate(snapshot.vencimento));
        const QVariant value = Values::parseNumber(snapshot.valor);
        ledger_->setIndexName(QStringLiteral("byCodigo"));
        ledger_->setFiltered(false);
        ledger_->last();
        const Field code = ledger_->fieldByName(QStringLiteral("Codigo"));
        if (code.isNull()) throw DataError(QStringLiteral("'' não é um número inteiro válido"));
        const int next = code.asInteger() + 1;
        ledger_->insert();
        ledger_->fieldByName(QStringLiteral("Codigo")).setAsInteger(next);
        ledger_->fieldByName(QStringLiteral("Fantasia")).setAsString(snapshot.referencia);
        ledger_->fieldByName(QStringLiteral("Nome")).setAsString(snapshot.nome);
        ledger_->fieldByName(QStringLiteral("Valordocumento")).setValue(value);
        ledger_->fieldByName(QStringLiteral("DataEmissao")).setAsDate(Clock::today());
        ledger_->fieldByName(QStringLiteral("DataVencimento")).setAsDate(due);
    });
    if (!made) return;
    setEditing(true);
    Dialogs::current().message(this, QStringLiteral("Conta cadastrada com sucesso! Vencimento para: ") +
                                         Values::dateToText(due) + QStringLiteral("!"));
    Aviso();
    Aviso_Total();
    recordFilter(MesAtual);
}
