#pragma once

#include "Layout.h"
#include "LedgerTwin.h"

class Table;

namespace Ledger {

// The listing of what the ledger view shows ("Imprimir" on the search tab): a title, one line a bill and the
// total, laid out as the twin describes.
Report::Layout listing(const Twin& twin, Table* source);

}  // namespace Ledger
