#pragma once

#include <QList>
#include <QString>
#include <functional>

#include "DataControls.h"

class QEvent;
class QWidget;
class Table;

// The chores every data-entry window shares: storing, confirm-then-delete, looking a record up and copying
// its fields, the leave rules of its boxes, and its bound boxes found by field name.
namespace EditorKit {

enum class StoreResult { NothingToStore, Stored, Refused };

// Stores the current record as "Gravar" does: an unchanged record is put into editing and stored too. With no
// record at all and none begun there is nothing to store and nothing is made. A refused store shows the data
// layer's message and leaves the record as typed.
StoreResult storeRecord(QWidget* window, Table& table);

// Asks `question` in a Yes/No box with `caption`; on Yes deletes the current record. True when deleted.
bool confirmAndDelete(QWidget* window, Table& table, const QString& question,
                      const QString& caption = QStringLiteral("Exclusão"));

// Finds the record of `source` (on `index`) whose `field` equals `value`, puts `target` into editing and
// copies the pairs (source field, target field). False when there is no such record or it failed (shown).
bool lookUpAndCopy(QWidget* window, Table& source, const QString& index, const QString& field,
                   const QVariant& value, Table& target, const QList<std::pair<QString, QString>>& copies);

// Whether an event is the user leaving a box for another control of the same window (by Tab, Enter, Esc or
// the mouse). The program moving the focus, a message box or a pop-up taking it, or the window closing is
// not a leave.
bool leftForAnotherControl(QWidget* window, QEvent* event);

}  // namespace EditorKit

// The bound boxes of one table in a window, found by field name. Asking for a box that was never added is a
// programming error and raises one naming the field.
class BoxSet {
public:
    BoxSet() = default;
    BoxSet(Dataset* dataset, const QString& namePrefix) : dataset_(dataset), prefix_(namePrefix) {}

    // A box bound to `field` (raising DataError when the table lacks it), named prefix + field.
    DBEdit* add(QWidget* parent, const QString& field,
                MaskEdit::CharCase charCase = MaskEdit::CharCase::Normal);
    DBEdit* box(const QString& field) const;
    const QList<DBEdit*>& boxes() const { return boxes_; }

private:
    Dataset* dataset_ = nullptr;
    QString prefix_;
    QList<DBEdit*> boxes_;
};

// Blocks the user's input to every window while it lives (a request the window waits for), with a wait
// cursor. Nested blockers are fine.
class InputBlocker {
public:
    InputBlocker();
    ~InputBlocker();
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;
    static bool active();
};
