#include "FilterController.h"

#include <QLabel>
#include <QRadioButton>

#include "Carne.h"
#include "Clock.h"
#include "DataControls.h"
#include "DataError.h"
#include "Dialogs.h"
#include "LedgerFilters.h"
#include "LedgerForm.h"
#include "Table.h"
#include "Values.h"

namespace LF = LedgerFilters;

namespace Ledger {

void refilter(Table* view, const QString& expression) {
    view->setFilter(expression);  // applied at once when the view is filtered already
    view->setFiltered(true);
}

FilterController::FilterController(const Twin& twin, Table* ledger, Table* reminder, LedgerForm& form,
                                   QWidget* window, QString& inputText)
    : twin_(twin),
      ledger_(ledger),
      reminder_(reminder),
      form_(form),
      window_(window),
      inputText_(inputText) {}

bool FilterController::apply(const QString& expression, bool totals, const QString& typedName) {
    const bool applied = guarded(window_, [this, &expression, &typedName] {
        try {
            LF::checkTypedName(typedName);
        } catch (const DataError&) {
            ledger_->setFiltered(false);
            throw;
        }
        refilter(ledger_, expression);
    });
    if (applied && totals) totalizar();
    return applied;
}

void FilterController::remove(MaskEdit* from, MaskEdit* to) {
    if (!guarded(window_, [this] { ledger_->setFiltered(false); })) return;
    from->setMaskedText(QString());
    to->setMaskedText(QString());
    totalizar();
}

void FilterController::recordFilter(Choice choice) {
    const QString from = form_.MaskEdit3->maskedText();
    const QString to = form_.MaskEdit5->maskedText();
    bool done = false;
    switch (choice) {
        case NaoPaga:
            done = apply(LF::unpaid(from, to));
            break;
        case Paga:
            done = apply(LF::paid(from, to));
            break;
        case Todas:
            remove(form_.MaskEdit3, form_.MaskEdit5);
            done = true;
            break;
        case Vencidas:
            done = apply(LF::overdueBefore(form_.atrazadas->maskedText()));
            break;
        case MesAtual:
            form_.MaskEdit3->setMaskedText(Values::dateToText(LF::monthStart(Clock::today())));
            form_.MaskEdit5->setMaskedText(Values::dateToText(LF::monthEnd(Clock::today())));
            recordFilter(NaoPaga);
            form_.radios[MesAtual]->setChecked(true);
            return;
    }
    if (choice < form_.radios.size()) form_.radios[choice]->setChecked(true);
    if (done) form_.showCaption(twin_, choice == Vencidas ? 3 : choice);
}

void FilterController::rangeKey(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (LF::bothFilled(form_.MaskEdit3->maskedText(), form_.MaskEdit5->maskedText()))
            apply(LF::dueRange(form_.MaskEdit3->maskedText(), form_.MaskEdit5->maskedText()), false);
    } else if (key == Qt::Key_Escape) {
        form_.MaskEdit3->setFocus();
    }
    for (int i = 0; i < 3; ++i)
        if (QWidget* caption = form_.controls.value(u(twin_.captionNames[i]))) caption->hide();
    if (QWidget* any = form_.controls.value(u(twin_.captionNames[4]))) any->show();
}

void FilterController::searchButton(const QString& buttonName) {
    const SearchButton* button = nullptr;
    for (const SearchButton& b : twin_.searchButtons)
        if (u(b.name) == buttonName) button = &b;
    if (!button) return;
    const QString from = form_.MaskEdit1->maskedText();
    const QString to = form_.MaskEdit2->maskedText();
    switch (button->kind) {
        case SearchKind::Paid:
            apply(LF::paid(from, to));
            return;
        case SearchKind::Unpaid:
            apply(LF::unpaid(from, to));
            return;
        case SearchKind::Overdue:
            apply(LF::overdueBefore(form_.atrazadas->maskedText()));
            return;
        case SearchKind::All:
            remove(form_.MaskEdit1, form_.MaskEdit2);
            return;
        case SearchKind::Booklet:
            Carne::preview(window_, ledger_);
            return;
        case SearchKind::Name:
            break;
    }
    const QString field = u(button->field);
    guarded(window_, [this, &field] {
        const Field current = ledger_->fieldByName(field);
        if (!current.isNull()) inputText_ = current.asString();
    });
    QString typed = inputText_;
    if (!Dialogs::current().input(window_, QStringLiteral("Filtrar"), u(button->prompt), typed)) return;
    inputText_ = typed;
    const QString name = LF::upperAsciiLetters(typed);
    apply(LF::byName(from, to, field, name, button->test), true, name);
}

void FilterController::searchRangeEnter() {
    if (LF::bothFilled(form_.MaskEdit1->maskedText(), form_.MaskEdit2->maskedText()))
        apply(LF::dueRange(form_.MaskEdit1->maskedText(), form_.MaskEdit2->maskedText()));
}

void FilterController::totalizar() {
    // A failed sum leaves the labels as they were.
    if (!guarded(window_, [this] { accumulator = ledger_->sum(kValor); })) return;
    const QString text = LF::totalText(accumulator);
    form_.Panel9->setText(text);
    form_.totalLabel->setText(text);
    form_.TotalRegistros->setText(QString::number(ledger_->recordCount()));
    form_.showStatus(twin_, *ledger_);
}

void FilterController::Aviso() {
    guarded(window_, [this] {
        refilter(reminder_, LF::bothFilled(form_.MaskEdit4->maskedText(), form_.MaskEdit6->maskedText())
                                ? LF::dueOn(form_.MaskEdit4->maskedText())
                                : LF::unpaid(LF::kEmptyDate, LF::kEmptyDate));
    });
}

void FilterController::Aviso_Total() {
    if (!guarded(window_, [this] { accumulator = reminder_->sum(kValor); })) return;
    form_.Ltotal_aviso->setText(LF::totalText(accumulator));
}

}  // namespace Ledger
