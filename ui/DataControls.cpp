#include "DataControls.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QToolButton>

#include "DataError.h"
#include "Dialogs.h"
#include "Pictures.h"
#include "Table.h"

// --- FieldLink ---

FieldLink::FieldLink(QWidget* control) : QObject(control), control_(control) {}

void FieldLink::abandonAll() {
    for (QWidget* widget : QApplication::allWidgets())
        for (FieldLink* link : widget->findChildren<FieldLink*>(Qt::FindDirectChildrenOnly))
            link->modified_ = false;
}

void FieldLink::setDataSource(Dataset* dataset, const QString& fieldName) {
    for (const auto& connection : connections_)
        disconnect(connection);
    connections_.clear();
    dataset_ = dataset;
    fieldName_ = fieldName;
    modified_ = false;
    // A control bound to a field its table lacks is a mistake of the window: it says so at once.
    if (dataset && dataset->fieldCount() > 0 && dataset->fieldIndex(fieldName) < 0)
        throw DataError(QStringLiteral("Campo '%1' não encontrado para o controle '%2'")
                            .arg(fieldName, control_->objectName()));
    if (dataset) {
        auto changed = [this] {
            // A move, a store or a cancel ends what was being typed; otherwise typing is never overwritten.
            if (dataset_ && dataset_->state() != Dataset::State::Edit &&
                dataset_->state() != Dataset::State::Insert)
                modified_ = false;
            if (!modified_) emit refreshRequested();
        };
        connections_ << connect(dataset, &Dataset::dataChanged, this, changed);
        // A field set by the program shows in its control at once, even over what was being typed; the value
        // the control itself hands over is not shown back to it.
        connections_ << connect(dataset, &Dataset::fieldChanged, this, [this](int index) {
            if (committing_ || !dataset_ || index != dataset_->fieldIndex(fieldName_)) return;
            modified_ = false;
            emit refreshRequested();
        });
        connections_ << connect(dataset, &Dataset::stateChanged, this, changed);
        connections_ << connect(dataset, &Dataset::updateRecord, this, [this] {
            if (modified_) emit commitRequested();
        });
    }
    emit refreshRequested();
}

bool FieldLink::hasField() const {
    return dataset_ && dataset_->active() && dataset_->fieldIndex(fieldName_) >= 0;
}

Field FieldLink::field() const {
    return dataset_->fieldByName(fieldName_);
}

bool FieldLink::beginChange() {
    if (!hasField()) return false;
    const bool wasModified = modified_;
    modified_ = true;  // before edit(), whose change notice must not overwrite what is being typed
    if (dataset_->state() == Dataset::State::Browse) {
        auto* table = qobject_cast<Table*>(dataset_.data());
        if (!table) {
            modified_ = wasModified;
            return false;
        }
        try {
            table->edit();
        } catch (const DataError& error) {
            modified_ = wasModified;
            showError(control_, error.message());
            return false;
        }
    }
    return true;
}

void FieldLink::hand(const QVariant& value) {
    committing_ = true;
    try {
        field().setValue(value);
    } catch (...) {
        committing_ = false;
        throw;
    }
    committing_ = false;
    modified_ = false;
}

bool FieldLink::commit(const QVariant& value) {
    if (!modified_ || !hasField()) return true;
    try {
        hand(value);
    } catch (const DataError& error) {
        showError(control_, error.message());
        control_->setFocus();
        return false;
    }
    return true;
}

// --- DBEdit ---

DBEdit::DBEdit(QWidget* parent) : MaskEdit(parent), link_(this) {
    connect(&link_, &FieldLink::refreshRequested, this, &DBEdit::refresh);
    // While a record is being stored a rejected value stops the store: the error goes to its caller.
    connect(&link_, &FieldLink::commitRequested, this, [this] { link_.hand(maskedText()); });
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (!link_.beginChange()) refresh();
    });
}

namespace {

// How many characters a box may take: a sized text field never gets more than it stores.
int fieldLength(Dataset* dataset, const QString& fieldName) {
    const int index = dataset ? dataset->fieldIndex(fieldName) : -1;
    if (index < 0) return 0;
    const FieldDef& field = dataset->fieldDef(index);
    return field.type == FieldType::String ? field.size : 0;
}

// A numeric field's box takes only a number's characters.
NumericInput numericInput(Dataset* dataset, const QString& fieldName) {
    const int index = dataset ? dataset->fieldIndex(fieldName) : -1;
    if (index < 0) return NumericInput::No;
    switch (dataset->fieldDef(index).type) {
        case FieldType::Integer:
        case FieldType::AutoInc:
            return NumericInput::Integer;
        case FieldType::Float:
        case FieldType::Currency:
            return NumericInput::Decimal;
        default:
            return NumericInput::No;
    }
}

}  // namespace

void DBEdit::setDataSource(Dataset* dataset, const QString& fieldName) {
    if (!ownMask_ && dataset && dataset->fieldIndex(fieldName) >= 0) {
        const QString mask = dataset->editMask(dataset->fieldIndex(fieldName));
        if (!mask.isEmpty()) setEditMask(mask);
    }
    if (const int length = fieldLength(dataset, fieldName); length > 0 && editMask().isEmpty())
        setMaxLength(qMin(maxLength(), length));
    setNumeric(numericInput(dataset, fieldName));
    link_.setDataSource(dataset, fieldName);
}

bool DBEdit::typeText(const QString& text) {
    if (!link_.beginChange()) return false;
    const QString converted = charCase() == CharCase::Upper   ? text.toUpper()
                              : charCase() == CharCase::Lower ? text.toLower()
                                                              : text;
    setMaskedText(maxLength() > 0 ? converted.left(maxLength()) : converted);
    emit textEdited(this->text());
    return true;
}

void DBEdit::refresh() {
    if (!link_.hasField()) {
        setMaskedText(QString());
        return;
    }
    const Field field = link_.field();
    setMaskedText(hasFocus() ? field.asString() : field.displayText());
}

void DBEdit::commit() {
    link_.commit(maskedText());
}

void DBEdit::focusInEvent(QFocusEvent* event) {
    if (!link_.modified()) refresh();
    MaskEdit::focusInEvent(event);
}

void DBEdit::focusOutEvent(QFocusEvent* event) {
    MaskEdit::focusOutEvent(event);
    if (link_.modified()) commit();
    if (!link_.modified()) refresh();
}

DBEdit* findBox(const QList<DBEdit*>& boxes, const QString& fieldName) {
    for (DBEdit* edit : boxes)
        if (edit->link().fieldName().compare(fieldName, Qt::CaseInsensitive) == 0) return edit;
    return nullptr;
}

// --- DBComboBox ---

DBComboBox::DBComboBox(QWidget* parent) : QComboBox(parent), link_(this) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(&link_, &FieldLink::refreshRequested, this, &DBComboBox::refresh);
    connect(&link_, &FieldLink::commitRequested, this, [this] { link_.hand(currentText()); });
    connect(this, &QComboBox::activated, this, [this] {
        if (!link_.beginChange()) refresh();
    });
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (!link_.beginChange()) refresh();
    });
}

void DBComboBox::setDataSource(Dataset* dataset, const QString& fieldName) {
    if (const int length = fieldLength(dataset, fieldName); length > 0 && lineEdit())
        lineEdit()->setMaxLength(length);
    numeric_ = numericInput(dataset, fieldName);
    applyRule();
    link_.setDataSource(dataset, fieldName);
}

void DBComboBox::setCharCase(MaskEdit::CharCase charCase) {
    charCase_ = charCase;
    applyRule();
}

void DBComboBox::applyRule() {
    if (!lineEdit()) return;
    delete rule_;
    rule_ = nullptr;
    if (charCase_ != MaskEdit::CharCase::Normal || numeric_ != NumericInput::No)
        rule_ = new InputRule(charCase_, numeric_, this);
    lineEdit()->setValidator(rule_);
}

void DBComboBox::showPopup() {
    // Refilling the list must not lose what the box holds.
    const QString text = currentText();
    emit dropDown();
    syncing_ = true;
    setEditText(text);
    syncing_ = false;
    QComboBox::showPopup();
}

void DBComboBox::refresh() {
    syncing_ = true;
    setEditText(link_.hasField() ? link_.field().asString() : QString());
    syncing_ = false;
}

void DBComboBox::commit() {
    link_.commit(currentText());
}

void DBComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    if (link_.modified()) commit();
}

// --- DBMemo ---

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent), link_(this) {
    connect(&link_, &FieldLink::refreshRequested, this, &DBMemo::refresh);
    connect(&link_, &FieldLink::commitRequested, this, [this] { link_.hand(toPlainText()); });
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (syncing_) return;
        if (maxLength_ > 0 && toPlainText().size() > maxLength_) {
            syncing_ = true;
            setPlainText(toPlainText().left(maxLength_));
            moveCursor(QTextCursor::End);
            syncing_ = false;
        }
        if (!link_.beginChange()) refresh();
    });
}

void DBMemo::setDataSource(Dataset* dataset, const QString& fieldName) {
    if (const int length = fieldLength(dataset, fieldName); length > 0) setMaxLength(length);
    link_.setDataSource(dataset, fieldName);
}

void DBMemo::refresh() {
    syncing_ = true;
    setPlainText(link_.hasField() ? link_.field().asString() : QString());
    syncing_ = false;
}

void DBMemo::commit() {
    link_.commit(toPlainText());
}

void DBMemo::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    if (link_.modified()) commit();
}

// --- DBCheckBox ---

DBCheckBox::DBCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent), link_(this) {
    setTristate(true);
    connect(&link_, &FieldLink::refreshRequested, this, &DBCheckBox::refresh);
    connect(this, &QCheckBox::clicked, this, [this] {
        if (syncing_) return;
        // A click always gives a definite answer, never the undetermined state.
        const bool checked = checkState() != Qt::Unchecked;
        if (!link_.beginChange()) {
            refresh();
            return;
        }
        link_.commit(checked ? checkedValue_ : uncheckedValue_);
        refresh();
    });
}

void DBCheckBox::setDataSource(Dataset* dataset, const QString& fieldName) {
    link_.setDataSource(dataset, fieldName);
}

void DBCheckBox::setValues(const QString& checked, const QString& unchecked) {
    checkedValue_ = checked;
    uncheckedValue_ = unchecked;
    refresh();
}

void DBCheckBox::refresh() {
    syncing_ = true;
    const QString value = link_.hasField() ? link_.field().asString() : QString();
    setCheckState(value == checkedValue_     ? Qt::Checked
                  : value == uncheckedValue_ ? Qt::Unchecked
                                             : Qt::PartiallyChecked);
    syncing_ = false;
}

// --- DBText ---

DBText::DBText(QWidget* parent) : QLabel(parent), link_(this) {
    connect(&link_, &FieldLink::refreshRequested, this, &DBText::refresh);
}

void DBText::setDataSource(Dataset* dataset, const QString& fieldName) {
    link_.setDataSource(dataset, fieldName);
}

void DBText::refresh() {
    setText(link_.hasField() ? link_.field().displayText() : QString());
}

// --- DBNavigator ---

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    static const char* hints[ButtonCount] = {"Primeiro registro", "Registro anterior", "Próximo registro",
                                             "Último registro",   "Inserir registro",  "Excluir registro",
                                             "Editar registro",   "Gravar alterações", "Cancelar alterações",
                                             "Atualizar dados"};
    for (int i = 0; i < ButtonCount; ++i) {
        auto* button = new QToolButton(this);
        button->setIcon(Pictures::navigatorIcon(i));
        button->setIconSize(QSize(16, 16));
        button->setToolTip(QString::fromUtf8(hints[i]));
        button->setFocusPolicy(Qt::NoFocus);
        button->setObjectName(QStringLiteral("navigator%1").arg(i));
        connect(button, &QToolButton::clicked, this, [this, i] { click(static_cast<Button>(i)); });
        layout->addWidget(button);
        buttons_[i] = button;
    }
    updateButtons();
}

void DBNavigator::setDataSource(Table* table) {
    for (const auto& connection : connections_)
        disconnect(connection);
    connections_.clear();
    table_ = table;
    if (table) {
        connections_ << connect(table, &Dataset::dataChanged, this, &DBNavigator::updateButtons);
        connections_ << connect(table, &Dataset::stateChanged, this, &DBNavigator::updateButtons);
        connections_ << connect(table, &Dataset::afterScroll, this, &DBNavigator::updateButtons);
    }
    updateButtons();
}

void DBNavigator::setVisibleButtons(const QList<Button>& visible) {
    for (int i = 0; i < ButtonCount; ++i)
        buttons_[i]->setVisible(visible.contains(static_cast<Button>(i)));
}

void DBNavigator::click(Button which) {
    if (!table_ || !table_->active()) return;
    try {
        switch (which) {
            case First:
                table_->first();
                break;
            case Prior:
                table_->prior();
                break;
            case Next:
                table_->next();
                break;
            case Last:
                table_->last();
                break;
            case Insert:
                table_->insert();
                break;
            case Delete:
                if (confirmDelete_ && !Dialogs::current().confirmDelete(this)) return;
                table_->remove();
                break;
            case Edit:
                table_->edit();
                break;
            case Post:
                table_->post();
                break;
            case Cancel:
                table_->cancel();
                break;
            case Refresh:
                table_->refresh();
                break;
            default:
                return;
        }
    } catch (const DataError& error) {
        showError(this, error.message());
        return;  // a failed action is not reported as done
    }
    emit clicked(which);
}

void DBNavigator::updateButtons() {
    const bool active = table_ && table_->active();
    const bool editing =
        active && (table_->state() == Dataset::State::Edit || table_->state() == Dataset::State::Insert);
    const bool browsing = active && !editing;
    const bool empty = !active || table_->isEmpty();
    buttons_[First]->setEnabled(browsing && !table_->bof());
    buttons_[Prior]->setEnabled(browsing && !table_->bof());
    buttons_[Next]->setEnabled(browsing && !table_->eof());
    buttons_[Last]->setEnabled(browsing && !table_->eof());
    buttons_[Insert]->setEnabled(active);
    buttons_[Delete]->setEnabled(active && !empty);
    buttons_[Edit]->setEnabled(browsing && !empty);
    buttons_[Post]->setEnabled(editing);
    buttons_[Cancel]->setEnabled(editing);
    buttons_[Refresh]->setEnabled(browsing);
}
