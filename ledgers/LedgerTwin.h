#pragma once

#include <QList>
#include <QString>

#include "Layout.h"
#include "LedgerFilters.h"
#include "NameLists.h"

// Everything in which the payables and the receivables windows differ, as data. The behaviour is the
// LedgerWindow's; each twin is one constant of this shape, and another ledger would be one more.
namespace Ledger {

// The descriptions hold their texts as UTF-8 literals.
inline QString u(const char* text) {
    return QString::fromUtf8(text);
}

inline const QString kValor = QStringLiteral("Valordocumento");

struct Column {
    const char* field;
    const char* title;
    int width;
};

enum class BoxKind { Edit, Combo, Memo };

// A box of the record tab, in tab order within its group.
struct Box {
    const char* caption;
    const char* name;
    const char* field;
    BoxKind kind;
    const char* hint;
    bool clickable;  // the caption looks a record up
};

// What a search-tab button does: a filter, or the booklet over what the ledger shows.
enum class SearchKind { Paid, Unpaid, Name, Overdue, All, Booklet };

struct SearchButton {
    const char* name;
    const char* caption;
    SearchKind kind;
    const char* field;  // of a name filter: "fantasia" or "Nome"
    const char* prompt;
    LedgerFilters::NameTest test;
};

// A "Salvar" beside a name box: appends the box's text to its list file.
struct SaveButton {
    const char* name;
    const char* box;
    NameLists::Box list;
};

// A column of the listing: heading, field, where (mm), font size, bold, alignment.
struct ListingColumn {
    const char* heading;
    const char* field;
    double left;
    double width;
    double points;
    bool bold;
    Qt::Alignment alignment;
};

// The fixed heights of the cheque group and its memo; 0 leaves the height as it is.
struct ChequeHeights {
    int group;
    int memo;
};

struct Twin {
    const char* caption;
    const char* table;
    const char* view;   // the ledger view's name, after its table
    const char* index;  // the ledger's first order; empty for the primary order
    const char* reminderTable;
    // Opening: whether the window opens on the unpaid bills (the ledger filtered before it is first read) or
    // on all of them, and whether the reminder view opens before the ledger.
    bool opensOnUnpaid;
    bool reminderOpensFirst;
    // Whether the formats and the name lists are set again on every change of the ledger's editing state,
    // not only when the window becomes active.
    bool activatesOnEditingState;
    // Whether every stored record, not only one stored by "Gravar", recounts the records and re-totals.
    bool totalsAfterEveryStore;
    const char* dataGroup;
    const char* chequeGroup;
    QList<Box> dataBoxes;
    QList<Box> chequeBoxes;
    const char* nameBox;  // "Nome (Credor)"
    const char* referenceBox;
    const char* valueBox;
    const char* codeBox;
    const char* memoField;
    const char* installmentField;  // a new record is its installment 1; "" when the ledger has none
    // Where F1 looks a record up by code besides the code box: boxes of the record tab, and the search
    // tab's grid.
    QList<const char*> codeLookUpBoxes;
    bool searchGridLooksUpCode;
    bool nameRefreshesStatus;  // typing in "Nome (Credor)" refreshes the status box
    bool fromMovesToTo;        // leaving the record tab's "De:" moves the focus on to its "A:"
    // The cheque group as built with the reminder shown, and once the reminder is closed.
    ChequeHeights withReminder;
    ChequeHeights withoutReminder;
    // Name lists: the load of both boxes' lists, the "Salvar" buttons, and whether "Nome (Credor)" offers the
    // clients register whenever it drops down.
    NameLists::Box nameList;
    NameLists::Box referenceList;
    NameLists::Load (*loadLists)();
    QList<SaveButton> saveButtons;
    bool nameListFromClients;
    // Tool bar
    const char* newCaption;
    const char* newHint;
    const char* deleteName;
    const char* deleteCaption;
    const char* searchName;
    const char* settleName;
    // Store
    bool valueCheckedFirst;
    const char* valueBlank;
    const char* nameBlank;
    const char* stored;
    // Look-ups
    const char* codeTitle;
    const char* codeNotFound;
    const char* nameTitle;
    // Status box and settling
    const char* paidStatus;
    const char* unsettleQuestion;
    // Side panel
    const char* totalLabel;
    QList<Column> sideColumns;
    bool sideTitles;
    QList<Column> searchColumns;
    // Record-tab filter captions: not paid, paid, all, overdue, range ("" when the twin lacks it)
    const char* captionNames[5];
    const char* captionTexts[5];
    const char* designCaption;  // the caption shown before any filter
    // "Vencidas" and "Mês Atual" on the record tab. The hidden overdue reference date `atrazadas` comes with
    // them, or with a "Vencidas" search button.
    bool hasOverdueAndMonth;
    const char* deCaptionNames[2];  // record tab "De:" and "A:" caption handlers
    // Search tab
    QList<SearchButton> searchButtons;
    // Reminder
    const char* reminderTitle;
    const char* showReminderName;
    const char* showReminderHint;
    // Listing
    Report::PageSize listingPage;
    const char* listingTitle;
    double detailHeight;
    double footerHeight;
    bool footerLogo;
    QList<ListingColumn> listing;
};

extern const Twin kPagar;
extern const Twin kReceber;

}  // namespace Ledger
