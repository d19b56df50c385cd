#pragma once

class Table;

// Begins a new record numbered one above the highest Codigo the view shows, or 1.
//
// When the current row has no Codigo (always so on an empty view) the new record gets 1 and the current row
// is left as it is. Otherwise the view is switched to its index on Codigo (which stores a changed record
// first), moved to its last row, and the new record gets that row's Codigo + 1; the view keeps that index.
// Returns the number given. Should another user store that number first, the record is stored with the next
// one (Table::markNumbered).
int numberNewRecord(Table& view);
