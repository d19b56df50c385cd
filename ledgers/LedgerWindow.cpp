#include "LedgerWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>
#include <utility>

#include "Clock.h"
#include "DBGrid.h"
#include "DataControls.h"
#include "DataError.h"
#include "Database.h"
#include "Dialogs.h"
#include "EditorKit.h"
#include "Extrato.h"
#include "LedgerFilters.h"
#include "LedgerListing.h"
#include "NameLists.h"
#include "Numbering.h"
#include "Table.h"
#include "Values.h"

using namespace Ledger;
namespace LF = LedgerFilters;

namespace {

const QString kFantasia = QStringLiteral("Fantasia");
const QString kPagamento = QStringLiteral("DataPagamento");

}  // namespace

LedgerWindow::LedgerWindow(const Twin& twin, QWidget* parent)
    : QDialog(parent),
      twin_(twin),
      ledger_(new Table(kAliasVantejaVs2, u(twin.table), this)),
      reminder_(new Table(kAliasVantejaVs2, u(twin.table), this)),
      created_(Clock::today()),
      filters_(twin, ledger_, reminder_, form_, this, inputText) {
    setWindowTitle(u(twin.caption));
    ledger_->setObjectName(u(twin.view));
    if (*twin.index) ledger_->setIndexName(u(twin.index));
    ledger_->setTotalField(kValor);
    reminder_->setObjectName(u(twin.reminderTable));
    // Each view opens on the rows its first filter keeps: the whole ledger is not read only to be filtered
    // a moment later.
    refilter(reminder_, LF::dueOn(Values::dateToText(created_)));
    if (twin.opensOnUnpaid) refilter(ledger_, LF::unpaid(LF::kEmptyDate, LF::kEmptyDate));
    if (twin.reminderOpensFirst) {
        reminder_->open();
        ledger_->open();
    } else {
        ledger_->open();
        reminder_->open();
    }
    if (twin.activatesOnEditingState)
        connect(ledger_, &Dataset::stateChanged, this, &LedgerWindow::FormActivate);
}

void LedgerWindow::build() {
    FormActivate();  // the masks the boxes take when they are bound
    form_.build(twin_, ledger_, reminder_, this, this,
                {[this](QWidget* parent) { return pictureArea(parent); },
                 [this](QHBoxLayout* bar) { addToolButtons(bar); }});
    wire();

    auto shortcut = [this](QKeySequence key, auto action) {
        auto* s = new QShortcut(key, this);
        connect(s, &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence(Qt::Key_PageUp), &LedgerWindow::btnVoltarClick);
    shortcut(QKeySequence(Qt::Key_PageDown), &LedgerWindow::btnAvancarClick);
    shortcut(QKeySequence(Qt::Key_Insert), &LedgerWindow::novo);
    shortcut(QKeySequence(Qt::Key_F2), &LedgerWindow::foco);

    replaceEntries(control<QComboBox>(u(twin_.nameBox)), NameLists::designEntries(twin_.nameList));
    replaceEntries(control<QComboBox>(u(twin_.referenceBox)), NameLists::designEntries(twin_.referenceList));
    // An activation that ran while the ledger opened came before the boxes were there.
    if (twin_.activatesOnEditingState) loadLists();

    connect(ledger_, &Dataset::afterScroll, this, &LedgerWindow::afterScroll);
    // What another user stores shows in the rows, the reminder and their totals, as it comes.
    connect(ledger_, &Dataset::othersStored, this, &LedgerWindow::totalizar);
    connect(reminder_, &Dataset::othersStored, this, &LedgerWindow::Aviso_Total);
    connect(ledger_, &Dataset::beforeEdit, this, [this] { setEditing(true); });
    connect(ledger_, &Dataset::afterPost, this, [this] {
        setEditing(false);
        if (twin_.totalsAfterEveryStore) {
            form_.TotalRegistros->setText(QString::number(ledger_->recordCount()));
            totalizar();
        }
    });
}

void LedgerWindow::wire() {
    LedgerForm& f = form_;
    connect(f.PageControl1, &QTabWidget::tabBarClicked, this, [this](int index) {
        if (index != form_.PageControl1->currentIndex()) {
            form_.PageControl1->setCurrentIndex(index);
            PageControl1Change(index);
        }
    });
    connect(f.btnPrimeiro, &QPushButton::clicked, this, &LedgerWindow::btnPrimeiroClick);
    connect(f.btnVoltar, &QPushButton::clicked, this, &LedgerWindow::btnVoltarClick);
    connect(f.btnAvancar, &QPushButton::clicked, this, &LedgerWindow::btnAvancarClick);
    connect(f.btnUltimo, &QPushButton::clicked, this, &LedgerWindow::btnUltimoClick);
    connect(f.btnnovo, &QPushButton::clicked, this, &LedgerWindow::btnnovoClick);
    connect(f.btngravar, &QPushButton::clicked, this, &LedgerWindow::btngravarClick);
    connect(f.btncancelar, &QPushButton::clicked, this, &LedgerWindow::btncancelarClick);
    connect(f.btnDelete, &QPushButton::clicked, this, &LedgerWindow::deleteClick);
    connect(f.btnSearch, &QPushButton::clicked, this, &LedgerWindow::searchAccountsClick);
    connect(f.settleButton, &QPushButton::clicked, this, &LedgerWindow::settleClick);
    for (int i = 0; i < f.saveButtons.size(); ++i)
        connect(f.saveButtons[i], &QPushButton::clicked, this, [this, i] { saveClick(i); });
    if (twin_.nameListFromClients)
        connect(control<DBComboBox>(u(twin_.nameBox)), &DBComboBox::dropDown, this,
                &LedgerWindow::DBComNomeDropDown);
    onPress(f.codeCaption, [this] { Label2Click(); });
    onPress(f.nameCaption, [this] { Label11Click(); });
    onPress(f.showReminder, [this] { mostrarLembrete(); });
    onPress(f.fromCaption, [this] { writeToday(form_.MaskEdit3); });
    onPress(f.toCaption, [this] { writeToday(form_.MaskEdit5); });
    onPress(f.Label34, [this] { writeToday(form_.MaskEdit1); });
    onPress(f.Label35, [this] {
        writeToday(form_.MaskEdit2);
        form_.MaskEdit2->setFocus();
    });
    connect(f.Edit1, &QLineEdit::textChanged, this, &LedgerWindow::Edit1Change);
    for (int i = 0; i < f.radios.size(); ++i)
        connect(f.radios[i], &QRadioButton::clicked, this, [this, i] { recordFilter(Choice(i)); });
    connect(f.SpeedButton5, &QPushButton::clicked, this, &LedgerWindow::fecharLembrete);
    for (int i = 0; i < f.searchButtons.size(); ++i) {
        const QString name = u(twin_.searchButtons[i].name);
        connect(f.searchButtons[i], &QPushButton::clicked, this, [this, name] { searchButton(name); });
    }
    connect(f.SpeedButton9, &QPushButton::clicked, this, &LedgerWindow::imprimirClick);
    connect(f.importar, &QPushButton::clicked, this, &LedgerWindow::importarExtratoClick);
}

LedgerWindow::~LedgerWindow() {
    // Closing hands the focus on, and a box losing it may begin an edit of the row: what the views say of it
    // must not reach a window already half taken apart.
    ledger_->blockSignals(true);
    reminder_->blockSignals(true);
}

void LedgerWindow::createSteps() {
    const QString today = Values::dateToText(created_);
    if (form_.atrazadas) form_.atrazadas->setMaskedText(today);
    form_.MaskEdit4->setMaskedText(today);
    form_.MaskEdit6->setMaskedText(today);
    form_.Ldata_dia->setText(today);
    Aviso();
    Aviso_Total();
    recordFilter(twin_.opensOnUnpaid ? NaoPaga : Todas);
    setEditing(false);
    afterScroll();
    connectChangeHandlers();
    form_.PageControl1->setCurrentIndex(Cadastro);
}

QWidget* LedgerWindow::control(const QString& objectName) const {
    if (QWidget* widget = form_.controls.value(objectName)) return widget;
    throw DataError(QStringLiteral("A janela não tem o controle '%1'").arg(objectName));
}

void LedgerWindow::addControl(QWidget* widget) {
    form_.controls.insert(widget->objectName(), widget);
}

QWidget* LedgerWindow::box(const char* objectName) const {
    return form_.box(objectName);
}

void LedgerWindow::connectChangeHandlers() {
    // Any change of these boxes' text enables "Gravar", also when another record comes up.
    for (const Box& b : twin_.dataBoxes) {
        QWidget* widget = box(b.name);
        const bool status = twin_.nameRefreshesStatus && u(b.name) == u(twin_.nameBox);
        QWidget* save = nullptr;
        for (int i = 0; i < twin_.saveButtons.size(); ++i)
            if (u(twin_.saveButtons[i].box) == u(b.name)) save = form_.saveButtons[i];
        auto handler = [this, status, save] {
            form_.btngravar->setEnabled(true);
            if (save) save->setEnabled(true);
            if (status) PgNaoPg();
        };
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            connect(edit, &QLineEdit::textChanged, this, handler);
        else if (auto* combo = qobject_cast<QComboBox*>(widget))
            connect(combo, &QComboBox::currentTextChanged, this, handler);
    }
}

// ---- Activation, keys

void LedgerWindow::FormActivate() {
    if (!ledger_->active()) return;
    auto set = [this](const char* field, const QString& format, bool mask) {
        const int index = ledger_->fieldIndex(u(field));
        if (index < 0) return;
        // Set only when changed: a new format repaints every box, also the one being typed in.
        if (mask && ledger_->editMask(index) != format)
            ledger_->setEditMask(index, format);
        else if (!mask && ledger_->displayFormat(index) != format)
            ledger_->setDisplayFormat(index, format);
    };
    for (const char* field : {"Codigo", "NumeroPedido", "DocParcela"})
        set(field, QStringLiteral("000000"), false);
    for (const char* field : {"ValorChequeTerc", "ValorTitulo", "Valordocumento"})
        set(field, QStringLiteral("###,##0.00"), false);
    for (const char* field : {"DataEmissao", "DataVencimento", "DataPagamento", "DataChequeTerc"})
        set(field, QStringLiteral("99/99/9999"), true);
    loadLists();
}

void LedgerWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Run once the window stands whole on the screen: a list's error box opened while the window is still
    // being shown would leave it at a stub's size.
    QTimer::singleShot(0, this, &LedgerWindow::FormActivate);
    skipActivation_ = true;  // the activation that follows the showing is that one
}

void LedgerWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            // Coming back from a box of its own is no new activation: a failing list would otherwise show its
            // error again each time its error box is closed.
            if (!std::exchange(skipActivation_, false)) FormActivate();
        } else {
            for (QWidget* w = QApplication::activeWindow(); w; w = w->parentWidget())
                if (w == this) skipActivation_ = true;
        }
    }
    QDialog::changeEvent(event);
}

bool LedgerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_.MaskEdit3 && twin_.fromMovesToTo && EditorKit::leftForAnotherControl(this, event) &&
        QApplication::focusWidget() != form_.MaskEdit5) {
        form_.MaskEdit5->setFocus();  // MaskEdit3Exit
        return false;
    }
    if (event->type() == QEvent::KeyPress && keyPressed(watched, static_cast<QKeyEvent*>(event))) return true;
    return QDialog::eventFilter(watched, event);
}

// A key in a box, a date box or a grid; true when it is used up.
bool LedgerWindow::keyPressed(QObject* watched, QKeyEvent* key) {
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool esc = key->key() == Qt::Key_Escape;
    if (key->key() == Qt::Key_F1) {
        bool lookUp =
            watched == box(twin_.codeBox) || (twin_.searchGridLooksUpCode && watched == form_.DBGrid2);
        for (const char* name : twin_.codeLookUpBoxes)
            lookUp = lookUp || watched == box(name);
        if (lookUp) {
            Label2Click();
            return true;
        }
    }
    if (key->key() == Qt::Key_Delete && key->modifiers() & Qt::ControlModifier &&
        (watched == form_.DBGrid1 || watched == form_.DBGrid2)) {
        if (!ledger_->isEmpty() && Dialogs::current().confirmDelete(this))
            guarded(this, [this] { ledger_->remove(); });
        return true;
    }
    if (watched == form_.MaskEdit5) {
        filters_.rangeKey(key->key());  // MaskEdit5KeyDown, then the window's own keys
        if (esc) return true;
    }
    if (watched == form_.MaskEdit1 && enter) {  // MaskEdit1KeyDown
        form_.MaskEdit2->setFocus();
        return true;
    }
    if (watched == form_.MaskEdit2 && (enter || esc)) {  // MaskEdit2KeyDown
        if (enter)
            searchRangeEnter();
        else
            form_.MaskEdit1->setFocus();
        return true;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    if (keyPreview && (enter || esc) && qobject_cast<QWidget*>(watched) &&
        !qobject_cast<QAbstractItemView*>(watched)) {
        if (auto* combo = qobject_cast<QComboBox*>(watched); combo && combo->view()->isVisible())
            return false;
        focusNextPrevChild(enter);
        return true;
    }
    return false;
}

void LedgerWindow::closeEvent(QCloseEvent* event) {
    // FormClose: what was typed and not stored is lost with the window.
    ledger_->close();
    reminder_->close();
    QDialog::closeEvent(event);
}

void LedgerWindow::keyPressEvent(QKeyEvent* event) {
    // Esc does not close a data-entry window; Enter presses no default button.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}

// ---- Moving, numbering, storing, deleting

void LedgerWindow::btnPrimeiroClick() {
    guarded(this, [this] { ledger_->first(); });
}
void LedgerWindow::btnVoltarClick() {
    guarded(this, [this] { ledger_->prior(); });
}
void LedgerWindow::btnAvancarClick() {
    guarded(this, [this] { ledger_->next(); });
}
void LedgerWindow::btnUltimoClick() {
    guarded(this, [this] { ledger_->last(); });
}

void LedgerWindow::afterScroll() {
    form_.TotalRegistros->setText(QString::number(ledger_->recordCount()));
    for (QPushButton* b : {form_.btnPrimeiro, form_.btnVoltar, form_.btnAvancar, form_.btnUltimo})
        b->setEnabled(true);
    PgNaoPg();
    if (ledger_->bof()) {
        form_.btnPrimeiro->setEnabled(false);
        form_.btnVoltar->setEnabled(false);
    }
    if (ledger_->eof()) {
        form_.btnAvancar->setEnabled(false);
        form_.btnUltimo->setEnabled(false);
    }
}

void LedgerWindow::PgNaoPg() {
    form_.showStatus(twin_, *ledger_);
}

void LedgerWindow::setEditing(bool on) {
    form_.btngravar->setEnabled(on);
    form_.btncancelar->setEnabled(on);
}

void LedgerWindow::btnnovoClick() {
    if (guarded(this, [this] { ledger_->setFiltered(false); })) novo();
}

void LedgerWindow::novo() {
    const bool begun = guarded(this, [this] {
        numberNewRecord(*ledger_);
        if (*twin_.installmentField) ledger_->fieldByName(u(twin_.installmentField)).setAsInteger(1);
        ledger_->fieldByName(QStringLiteral("DataEmissao")).setAsDate(Clock::today());
        ledger_->fieldByName(QStringLiteral("DataVencimento")).setAsDate(Clock::today());
    });
    if (!begun) return;
    setEditing(true);
    box(twin_.nameBox)->setFocus();
}

bool LedgerWindow::fieldBlank(const QString& field) const {
    return ledger_->fieldByName(field).isNull();
}

bool LedgerWindow::handOverTyping() {
    // What is being typed goes into the record before the focus moves on: a box holding what its field
    // refuses says so once, with the data layer's message, and keeps the focus. Leaving it first would say
    // it a second time.
    if (ledger_->state() == Dataset::State::Edit || ledger_->state() == Dataset::State::Insert)
        if (!guarded(this, [this] { emit ledger_->updateRecord(); })) return false;
    box(twin_.nameBox)->setFocus();
    return true;
}

bool LedgerWindow::storeChecks() {
    auto valueCheck = [this] {
        if (!fieldBlank(kValor)) return true;
        Dialogs::current().error(this, u(twin_.valueBlank));
        box(twin_.valueBox)->setFocus();
        return false;
    };
    auto nameCheck = [this] {
        if (!fieldBlank(kFantasia)) return true;
        Dialogs::current().error(this, u(twin_.nameBlank));
        box(twin_.nameBox)->setFocus();
        return false;
    };
    if (twin_.valueCheckedFirst) {
        if (!valueCheck() || !nameCheck()) return false;
        box(twin_.referenceBox)->setFocus();
        return true;
    }
    return nameCheck() && valueCheck();
}

bool LedgerWindow::store() {
    return EditorKit::storeRecord(this, *ledger_) != EditorKit::StoreResult::Refused;
}

void LedgerWindow::btncancelarClick() {
    guarded(this, [this] { ledger_->cancel(); });
    setEditing(false);
}

void LedgerWindow::deleteClick() {
    if (EditorKit::confirmAndDelete(this, *ledger_, QStringLiteral("Deseja apagar este cadastro? "),
                                    QStringLiteral("Confirmação")))
        totalizar();
    Aviso();
    Aviso_Total();
}

// ---- Finding

void LedgerWindow::Label2Click() {
    QString text = inputText;
    if (Dialogs::current().input(this, u(twin_.codeTitle),
                                 QStringLiteral("Digite aqui, o código a ser localizado:"), text)) {
        bool found = false;
        const bool ran = guarded(this, [&] {
            const QVariant number = Values::parseNumber(text);
            if (number.isNull()) throw DataError(QStringLiteral("'' não é um número válido"));
            found = ledger_->locate(QStringLiteral("Codigo"), number);
        });
        if (ran && !found) Dialogs::current().message(this, u(twin_.codeNotFound));
    }
    inputText.clear();
}

void LedgerWindow::Label11Click() {
    QString text = inputText;
    if (Dialogs::current().input(this, u(twin_.nameTitle),
                                 QStringLiteral("Digite aqui, o nome a ser localizado:"), text)) {
        bool found = false;
        const bool ran = guarded(this, [&] { found = ledger_->locate(kFantasia, text); });
        if (ran && !found) Dialogs::current().message(this, QStringLiteral("Nome não localizado !!!"));
    }
    inputText.clear();
}

void LedgerWindow::Edit1Change(const QString& text) {
    guarded(this, [this, &text] {
        ledger_->setIndexName(QStringLiteral("byfantasia"));
        ledger_->findNearest(text);
    });
}

void LedgerWindow::foco() {
    if (!form_.Edit1->hasFocus()) form_.Edit1->setFocus();
}

void LedgerWindow::PageControl1Change(int index) {
    onTabShown(index);
}

void LedgerWindow::fecharLembrete() {
    form_.reminderPanel->hide();
    form_.setChequeHeights(twin_.withoutReminder);
}

void LedgerWindow::mostrarLembrete() {
    form_.reminderPanel->show();
    form_.setChequeHeights(twin_.withReminder);
}

// ---- Settling

void LedgerWindow::settleClick() {
    if (ledger_->isEmpty() && ledger_->state() == Dataset::State::Browse) return;  // no bill to settle
    if (fieldBlank(kPagamento))
        IncluiData();
    else
        Retirardata();
}

void LedgerWindow::Retirardata() {
    if (!Dialogs::current().question(this, u(twin_.unsettleQuestion), QStringLiteral("Confirmação"))) return;
    guarded(this, [this] {
        ledger_->edit();
        ledger_->fieldByName(kPagamento).clear();
        ledger_->post();
    });
    PgNaoPg();
}

// ---- Bank statement

void LedgerWindow::importarExtratoClick() {
    if (!guarded(this, [this] { ledger_->checkBrowseMode(); })) return;
    if (!Extrato::importar(this)) return;
    // The statement settled or added bills of either ledger behind this window's views.
    guarded(this, [this] { ledger_->refresh(); });
    totalizar();
    Aviso();
    Aviso_Total();
}

// ---- Listing

Report::Layout LedgerWindow::QuickRep1() const {
    return listing(twin_, ledger_);
}

void LedgerWindow::imprimirClick() {
    // A long listing is filled as the preview shows it: the first page comes at once.
    Report::Layout layout;
    if (!guarded(this, [this, &layout] { layout = QuickRep1(); })) return;
    layout.name = u(twin_.listingTitle);
    guarded(this, [this, &layout] { Dialogs::current().preview(this, layout, Report::FillContext()); });
}

void LedgerWindow::writeToday(MaskEdit* box) {
    box->setMaskedText(Values::dateToText(Clock::today()));
}
