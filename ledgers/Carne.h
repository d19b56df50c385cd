#pragma once

#include "Document.h"
#include "Layout.h"

class Dataset;
class QWidget;

// The payment booklet: one coupon per ledger record, three to an A4 page. Each coupon is a stub the business
// keeps and a main part the client takes, both with blank lines for what is added or taken off at payment.
namespace Carne {

// The booklet over a ledger view as it is filtered and ordered. With no rows the coupon is printed once with
// its captions, lines and "R$" marks and no values, so that a blank booklet can be filled in by hand.
Report::Layout quickRepCarne(Dataset* ledger);
Report::Document fill(Dataset* ledger);
// "Gerar Carnê": the preview of the booklet, maximised, the page zoomed to fit.
void preview(QWidget* parent, Dataset* ledger);

}  // namespace Carne
