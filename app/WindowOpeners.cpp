#include "WindowOpeners.h"

#include "DataError.h"
#include "Dialogs.h"
#include "Unit1.h"
#include "WindowHooks.h"

void installWindowOpeners() {
    // A settled receivable offers its receipt.
    WindowHooks::setReceiptEditor([](QWidget* parent, const WindowHooks::ReceiptRequest& request) {
        try {
            TForm1 editor(parent, TForm1::PaginaRecibo);
            editor.novoReciboDe(request);
            editor.exec();
        } catch (const DataError& error) {
            showError(parent, error.message());
        }
    });
}
