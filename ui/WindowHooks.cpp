#include "WindowHooks.h"

namespace WindowHooks {

namespace {
Opener& clientsRegister() {
    static Opener opener;
    return opener;
}
ReceiptOpener& receiptEditor() {
    static ReceiptOpener opener;
    return opener;
}
}  // namespace

void setClientsRegister(Opener opener) {
    clientsRegister() = std::move(opener);
}

void openClientsRegister(QWidget* parent) {
    if (clientsRegister()) clientsRegister()(parent);
}

void setReceiptEditor(ReceiptOpener opener) {
    receiptEditor() = std::move(opener);
}

bool hasReceiptEditor() {
    return bool(receiptEditor());
}

void openReceiptEditor(QWidget* parent, const ReceiptRequest& request) {
    if (receiptEditor()) receiptEditor()(parent, request);
}

}  // namespace WindowHooks
