#pragma once

#include <QString>
#include <QVariant>
#include <functional>

class QWidget;

// How one window opens another without depending on it: the program installs the openers at start.
namespace WindowHooks {

using Opener = std::function<void(QWidget* parent)>;

// The clients register, opened modally on its clients tab.
void setClientsRegister(Opener opener);
// Opens it; does nothing when no opener is installed.
void openClientsRegister(QWidget* parent);

// A receipt to begin for money received on a bill.
struct ReceiptRequest {
    QString client;   // the name on the bill, looked up in the clients register
    QVariant amount;  // null when the bill has no value
    QString referente;
};
using ReceiptOpener = std::function<void(QWidget* parent, const ReceiptRequest& request)>;

// The receipt editor, opened modally on a new receipt filled from the request.
void setReceiptEditor(ReceiptOpener opener);
bool hasReceiptEditor();
void openReceiptEditor(QWidget* parent, const ReceiptRequest& request);

}  // namespace WindowHooks
