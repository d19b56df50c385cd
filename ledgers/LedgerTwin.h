#pragma once

#include <QList>
#include <QString>

#include "Layout.h"
#include "LedgerFilters.h"
#include "NameLists.h"

// Everything in which the payables and the receivables windows differ, as data. The behaviour is the
// LedgerWindow's; each twin is one constant of this shape.
namespace Ledger {

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

struct Twin {
    bool payables;
    const char* caption;
    const char* table;
    const char* index;  // the ledger's first order; empty for the primary order
    const char* reminderTable;
    const char* dataGroup;
    const char* chequeGroup;
    QList<Box> dataBoxes;
    QList<Box> chequeBoxes;
    const char* nameBox;  // "Nome (Credor)"
    const char* referenceBox;
    const char* valueBox;
    const char* codeBox;
    const char* memoField;
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
    const char* designCaption;      // the caption shown before any filter
    bool hasOverdueAndMonth;        // "Vencidas" and "Mês Atual" on the record tab
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
