#include "EditorKit.h"

#include <QApplication>
#include <QFocusEvent>

#include "DataError.h"
#include "Dialogs.h"
#include "Table.h"

namespace EditorKit {

StoreResult storeRecord(QWidget* window, Table& table) {
    if (table.state() == Dataset::State::Browse && table.isEmpty()) return StoreResult::NothingToStore;
    const bool stored = guarded(window, [&table] {
        table.edit();
        table.post();
    });
    return stored ? StoreResult::Stored : StoreResult::Refused;
}

bool confirmAndDelete(QWidget* window, Table& table, const QString& question, const QString& caption) {
    if (!Dialogs::current().question(window, question, caption)) return false;
    return guarded(window, [&table] { table.remove(); });
}

bool lookUpAndCopy(QWidget* window, Table& source, const QString& index, const QString& field,
                   const QVariant& value, Table& target, const QList<std::pair<QString, QString>>& copies) {
    bool found = false;
    guarded(window, [&] {
        source.refresh();
        source.setIndexName(index);
        if (!source.locate(field, value)) return;
        target.edit();
        copyFields(source, target, copies);
        found = true;
    });
    return found;
}

bool leftForAnotherControl(QWidget* window, QEvent* event) {
    if (event->type() != QEvent::FocusOut) return false;
    switch (static_cast<QFocusEvent*>(event)->reason()) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::MouseFocusReason:
        case Qt::ShortcutFocusReason:
            break;
        default:
            return false;
    }
    // The focus has already moved on when the box hears that it lost it (nowhere, for a moment, when the
    // window manager is slow to hand the window back its activation).
    QWidget* now = QApplication::focusWidget();
    return !now || window->isAncestorOf(now);
}

}  // namespace EditorKit

DBEdit* BoxSet::add(QWidget* parent, const QString& field, MaskEdit::CharCase charCase) {
    auto* edit = new DBEdit(parent);
    edit->setObjectName(prefix_ + field);
    edit->setCharCase(charCase);
    edit->setDataSource(dataset_, field);
    boxes_ << edit;
    return edit;
}

DBEdit* BoxSet::box(const QString& field) const {
    if (DBEdit* edit = findBox(boxes_, field)) return edit;
    throw DataError(QStringLiteral("A janela não tem caixa para o campo '%1'").arg(field));
}

namespace {

int blockers = 0;

// Swallows what the user does while a request runs; timers, painting and the request itself go on.
class InputFilter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
                return true;
            default:
                return false;
        }
    }
};

InputFilter* filter = nullptr;

}  // namespace

InputBlocker::InputBlocker() {
    if (blockers++ == 0) {
        filter = new InputFilter;
        qApp->installEventFilter(filter);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

InputBlocker::~InputBlocker() {
    if (--blockers == 0) {
        qApp->removeEventFilter(filter);
        delete filter;
        filter = nullptr;
        QApplication::restoreOverrideCursor();
    }
}

bool InputBlocker::active() {
    return blockers > 0;
}
