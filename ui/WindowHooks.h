#pragma once

#include <functional>

class QWidget;

// How one window opens another without depending on it: the program installs the openers at start.
namespace WindowHooks {

using Opener = std::function<void(QWidget* parent)>;

// The clients register, opened modally on its clients tab.
void setClientsRegister(Opener opener);
// Opens it; does nothing when no opener is installed.
void openClientsRegister(QWidget* parent);

}  // namespace WindowHooks
