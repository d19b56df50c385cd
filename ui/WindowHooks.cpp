#include "WindowHooks.h"

namespace WindowHooks {

namespace {
Opener& clientsRegister() {
    static Opener opener;
    return opener;
}
}  // namespace

void setClientsRegister(Opener opener) {
    clientsRegister() = std::move(opener);
}

void openClientsRegister(QWidget* parent) {
    if (clientsRegister()) clientsRegister()(parent);
}

}  // namespace WindowHooks
