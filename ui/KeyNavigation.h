#pragma once

#include <QObject>

class QWidget;

// The data-entry rule: Enter moves the focus to the next control, Esc to the previous one. Installed on a
// window, it acts on the line edits, combo boxes, masked boxes, options and check boxes inside it (not on
// multi-line memos, where Enter breaks the line, nor on buttons, where Enter presses them).
class KeyNavigation : public QObject {
    Q_OBJECT
public:
    // Installs the rule on every current child of `window` that takes it, and returns the filter.
    static KeyNavigation* install(QWidget* window);
    void watch(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit KeyNavigation(QWidget* window);
    QWidget* window_;
};
