#include "KeyNavigation.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

KeyNavigation::KeyNavigation(QWidget* window) : QObject(window), window_(window) {}

KeyNavigation* KeyNavigation::install(QWidget* window) {
    auto* filter = new KeyNavigation(window);
    for (QLineEdit* edit : window->findChildren<QLineEdit*>())
        filter->watch(edit);
    for (QComboBox* combo : window->findChildren<QComboBox*>())
        filter->watch(combo);
    // Options and check boxes move on too; a push button keeps Enter for itself.
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button)) filter->watch(button);
    return filter;
}

void KeyNavigation::watch(QWidget* widget) {
    widget->installEventFilter(this);
}

bool KeyNavigation::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    // A combo box's own line edit passes its keys to the combo box.
    if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->view() && combo->view()->isVisible())
        return false;
    // Moving on goes through the window's own tab order, as Tab and Shift+Tab would.
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(widget, &tab);
        return true;
    }
    if (key->key() == Qt::Key_Escape) {
        QKeyEvent backtab(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
        QApplication::sendEvent(widget, &backtab);
        return true;
    }
    return false;
}
