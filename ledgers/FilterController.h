#pragma once

#include <QString>

#include "LedgerTwin.h"
#include "Money.h"

class MaskEdit;
class QWidget;
class Table;
struct LedgerForm;

namespace Ledger {

// The record tab's filter choices, in the order of its radio buttons.
enum Choice { NaoPaga = 0, Paga = 1, Todas = 2, Vencidas = 3, MesAtual = 4 };

// The filters of both tabs, the totals they show and the reminder list beneath the record tab.
class FilterController {
public:
    // `inputText` is the window's, shared with its look-ups.
    FilterController(const Twin& twin, Table* ledger, Table* reminder, LedgerForm& form, QWidget* window,
                     QString& inputText);

    // Applies one filter: off (storing pending changes), the expression, on; false when refused. A name the
    // user typed into the expression is refused, after the filter is off, when it holds filter syntax.
    bool apply(const QString& expression, bool totals = true, const QString& typedName = QString());
    void remove(MaskEdit* from, MaskEdit* to);

    void recordFilter(Choice choice);  // the record tab's radio buttons
    void rangeKey(int key);            // a key pressed in the record tab's "A:"
    void searchButton(const QString& name);
    void searchRangeEnter();  // Enter in the search tab's "A:"

    void totalizar();
    void Aviso();        // the reminder list
    void Aviso_Total();  // and its total

    Money accumulator;

private:
    const Twin& twin_;
    Table* ledger_;
    Table* reminder_;
    LedgerForm& form_;
    QWidget* window_;
    QString& inputText_;
};

// A view filtered anew reads its rows once: showing every row in between, as switching the filter off first
// would, reads the whole ledger for nothing.
void refilter(Table* view, const QString& expression);

}  // namespace Ledger
