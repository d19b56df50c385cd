#pragma once

#include <QRect>
#include <QSize>

class QScrollArea;
class QWidget;

// Where a big window opens: at its own size, centred on the screen, or, on a screen smaller than that, at the
// size the screen leaves it, centred all the same, its content scrolling so that every control stays within
// reach.
namespace ScreenFit {

// The part of the screen a window may take: the available area of the screen its parent stands on (the
// primary screen for a window without a parent).
QRect availableArea(const QWidget* window);

// Gives a window `size`, bounded by the available area less the frame the window manager adds, and centres
// it there. A fixed window keeps the size it gets.
void fit(QWidget* window, QSize size, bool fixed = false);

// Puts `content` into a scroll area without a frame, which shows scroll bars only when the window is smaller
// than the content; a control that takes the focus is scrolled into view.
QScrollArea* scrolling(QWidget* content, QWidget* parent);

}  // namespace ScreenFit
