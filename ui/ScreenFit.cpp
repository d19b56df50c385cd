#include "ScreenFit.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QWidget>

namespace ScreenFit {

namespace {

// The window manager's frame is only known once a window is shown: the parent's frame stands in for it.
QSize frameExtra(const QWidget* window) {
    const QWidget* parent = window->parentWidget();
    const QWidget* reference = parent ? parent->window() : QApplication::activeWindow();
    if (!reference || reference == window || !reference->isVisible()) return QSize(0, 0);
    return (reference->frameGeometry().size() - reference->geometry().size()).expandedTo(QSize(0, 0));
}

}  // namespace

QRect availableArea(const QWidget* window) {
    const QWidget* parent = window->parentWidget();
    QScreen* screen = parent ? parent->window()->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), window->size());
}

void fit(QWidget* window, QSize size, bool fixed) {
    const QRect area = availableArea(window);
    const QSize frame = frameExtra(window);
    // Never smaller than its layout allows: a window whose content scrolls allows little.
    const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
    const QSize fitted = size.boundedTo(area.size() - frame).expandedTo(least);
    if (fixed)
        window->setFixedSize(fitted);
    else
        window->resize(fitted);
    const QSize outer = fitted + frame;
    window->move(area.x() + qMax(0, (area.width() - outer.width()) / 2),
                 area.y() + qMax(0, (area.height() - outer.height()) / 2));
}

QScrollArea* scrolling(QWidget* content, QWidget* parent) {
    auto* area = new QScrollArea(parent);
    area->setObjectName(QStringLiteral("ScrollArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    // A click on a button must not take the focus from the box being typed in, the scroll area included.
    area->setFocusPolicy(Qt::NoFocus);
    // Enter and Tab move the focus through the window's own rule, not the scroll area's: follow the focus.
    QObject::connect(qApp, &QApplication::focusChanged, area, [area](QWidget*, QWidget* now) {
        if (now && area->widget() && area->widget()->isAncestorOf(now)) area->ensureWidgetVisible(now, 8, 8);
    });
    return area;
}

}  // namespace ScreenFit
