// The ledger window's name lists: loading them on activation, "Salvar" beside a name box, the clients
// register behind "Nome (Credor)".

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>

#include "Dialogs.h"
#include "LedgerWindow.h"

using namespace Ledger;

void LedgerWindow::loadLists() {
    if (!form_.controls.contains(u(twin_.nameBox))) return;  // the boxes are not built yet
    // The window becomes active again after each of its boxes: files unchanged since they were last read
    // are not read again.
    QString files;
    for (const QString& name : {NameLists::switchFileOf(twin_.nameList), NameLists::fileOf(twin_.nameList),
                                NameLists::fileOf(twin_.referenceList)}) {
        const QFileInfo file(NameLists::pathOf(name));
        files += QStringLiteral("%1|%2|%3|%4;")
                     .arg(file.absoluteFilePath())
                     .arg(file.exists())
                     .arg(file.size())
                     .arg(file.exists() ? file.lastModified().toMSecsSinceEpoch() : 0);
    }
    if (files == listFiles_) return;
    listFiles_.clear();
    const NameLists::Load load = twin_.loadLists();
    if (!load.switchedOn) hideSaveButtons();
    if (load.name) replaceEntries(control<QComboBox>(u(twin_.nameBox)), *load.name);
    if (load.reference) replaceEntries(control<QComboBox>(u(twin_.referenceBox)), *load.reference);
    if (!load.error.isEmpty())
        showError(this, load.error);
    else
        listFiles_ = files;
}

QString LedgerWindow::selectedEntry(const QComboBox* box) {
    return box->currentIndex() >= 0 ? box->itemText(box->currentIndex()) : QString();
}

void LedgerWindow::replaceEntries(QComboBox* box, const QStringList& entries) {
    // Programmatic: neither "Gravar" nor "Salvar" take it for typing, and the record is not touched.
    const QSignalBlocker blocker(box);
    const QString text = box->currentText();
    const int cursor = box->lineEdit() ? box->lineEdit()->cursorPosition() : 0;
    const int selected = box->currentIndex();
    const QString selectedText = selectedEntry(box);
    // A list of a hundred thousand names goes into the box's model in one step, not item by item.
    auto* model = qobject_cast<QStringListModel*>(box->model());
    if (!model) {
        model = new QStringListModel(box);
        box->setModel(model);
    }
    model->setStringList(entries);
    box->setCurrentIndex(
        selected >= 0 && selected < entries.size() && entries[selected] == selectedText ? selected : -1);
    box->setEditText(text);
    if (box->lineEdit()) box->lineEdit()->setCursorPosition(cursor);
}

void LedgerWindow::hideSaveButtons() {
    for (QPushButton* button : form_.saveButtons)
        button->hide();
}

void LedgerWindow::saveClick(int index) {
    const SaveButton& button = twin_.saveButtons[index];
    auto* box = control<QComboBox>(u(button.box));
    const QString text = box->currentText();
    NameLists::Save result = NameLists::check(button.list, text, selectedEntry(box));
    showNotices(result.notices);
    if (result.outcome == NameLists::Save::HideButtons) {
        hideSaveButtons();
        return;
    }
    const bool disable = result.disableButton;
    if (result.outcome == NameLists::Save::Ask) {
        QStringList entries;
        for (int i = 0; i < box->count(); ++i)
            entries << box->itemText(i);
        if (Dialogs::current().question(this, NameLists::kSaveQuestion, NameLists::kSaveCaption))
            entries << text;
        result = NameLists::write(button.list, entries);
        showNotices(result.notices);
    }
    if (disable) form_.saveButtons[index]->setEnabled(false);
    if (result.outcome == NameLists::Save::Written || result.outcome == NameLists::Save::WriteFailed)
        replaceEntries(box, result.entries);
}

void LedgerWindow::showNotices(const QList<NameLists::Notice>& notices) {
    for (const NameLists::Notice& notice : notices) {
        switch (notice.kind) {
            case NameLists::Notice::Message:
                Dialogs::current().message(this, notice.text);
                break;
            case NameLists::Notice::Information:
                Dialogs::current().information(this, notice.text);
                break;
            case NameLists::Notice::Error:
                showError(this, notice.text);
                break;
        }
    }
}

void LedgerWindow::DBComNomeDropDown() {
    auto* box = control<QComboBox>(u(twin_.nameBox));
    guarded(this, [box] { replaceEntries(box, NameLists::clientNames()); });
}
