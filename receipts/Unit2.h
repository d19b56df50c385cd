#pragma once

#include <QImage>
#include <QString>
#include <optional>

#include "Layout.h"
#include "Pix.h"

class Table;

// "Recibo": the four print layouts of receipts and promissory notes, and their pictures. Created anew for
// every print; the labels named in the layouts are set by the print action through the fill context.
class TForm2 {
public:
    // Trecibo and T_NP are the editor's views: fields print their current record as it is being edited.
    // The logo is read from logo.db; a logo that can't be read is reported in a message box and the default
    // logo stays.
    TForm2(Table* Trecibo, Table* T_NP);

    Report::Layout QuickRep1() const;   // personalised receipt, two copies on one page
    Report::Layout Quick_1Via() const;  // standard receipt, one copy
    Report::Layout QuickRep2() const;   // standard receipt, two copies on one page
    Report::Layout QuickRep4() const;   // promissory note

    // The pictures stored with the layouts, drawn by the program.
    static QImage receiptForm();  // 992 x 567
    static QImage noteForm();     // 850 x 425
    static QImage defaultLogo();  // 675 x 180

    QImage QRImage5;  // logo of Quick_1Via
    QImage QRImage7;  // logo of the upper copy of QuickRep2
    QImage QRImage6;  // logo of the lower copy of QuickRep2

    // The company's PIX data when it is complete: the receipts then carry a code beside the amount.
    std::optional<Pix::Receiver> pix;

private:
    Table* Trecibo_;
    Table* T_NP_;
};
