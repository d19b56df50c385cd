#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QWidget>

#include "Dataset.h"
#include "MaskEdit.h"

#include "Table.h"
class QToolButton;

// Binds one control to one field of a dataset. Typing puts the dataset into editing; the control hands its
// text to the field when it is left or when the record is stored; a move or a change of the record makes the
// control show the field again.
class FieldLink : public QObject {
    Q_OBJECT
public:
    explicit FieldLink(QWidget* control);

    void setDataSource(Dataset* dataset, const QString& fieldName);
    Dataset* dataset() const { return dataset_; }
    const QString& fieldName() const { return fieldName_; }
    bool hasField() const;  // the dataset is open and has the field
    Field field() const;

    // Puts the dataset into editing before the first change; false (with the error shown) when it can't.
    bool beginChange();
    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }
    // The program is closing without storing: every control forgets what was typed, so no box hands a value
    // over (nor raises an error about it) while the windows close.
    static void abandonAll();
    // Writes the control's value to the field; a rejected value is shown and the focus goes back to the
    // control.
    bool commit(const QVariant& value);
    // Writes the value to the field, a rejected value raising DataError to the caller (a record being
    // stored).
    void hand(const QVariant& value);

signals:
    void refreshRequested();  // show the field again
    void commitRequested();   // hand over the value now (the record is being stored)

private:
    QWidget* control_;
    QPointer<Dataset> dataset_;
    QString fieldName_;
    bool modified_ = false;
    bool committing_ = false;
    QList<QMetaObject::Connection> connections_;
};

class DBEdit : public MaskEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);
    // The field's edit mask is taken unless one is set on the control.
    void setDataSource(Dataset* dataset, const QString& fieldName);
    FieldLink& link() { return link_; }
    // Puts a text into the box as if the user had typed it (case conversion included): the record goes into
    // editing and takes the text when it is stored.
    bool typeText(const QString& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void refresh();
    void commit();
    FieldLink link_;
    bool ownMask_ = false;
};

// The box of a field among a window's boxes; nullptr when none (windows ask BoxSet, which never gives null).
DBEdit* findBox(const QList<DBEdit*>& boxes, const QString& fieldName);

class DBComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBComboBox(QWidget* parent = nullptr);
    void setDataSource(Dataset* dataset, const QString& fieldName);
    void setCharCase(MaskEdit::CharCase charCase);
    FieldLink& link() { return link_; }
    void showPopup() override;

signals:
    void dropDown();  // the list is about to open: the time to fill it

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void refresh();
    void commit();
    void applyRule();
    FieldLink link_;
    bool syncing_ = false;
    MaskEdit::CharCase charCase_ = MaskEdit::CharCase::Normal;
    NumericInput numeric_ = NumericInput::No;
    QPointer<QValidator> rule_;
};

class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DBMemo(QWidget* parent = nullptr);
    void setDataSource(Dataset* dataset, const QString& fieldName);
    void setMaxLength(int length) { maxLength_ = length; }
    FieldLink& link() { return link_; }

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void refresh();
    void commit();
    FieldLink link_;
    bool syncing_ = false;
    int maxLength_ = 0;
};

// "S" checked, "N" unchecked, anything else shown as undetermined.
class DBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit DBCheckBox(const QString& text, QWidget* parent = nullptr);
    void setDataSource(Dataset* dataset, const QString& fieldName);
    void setValues(const QString& checked, const QString& unchecked);
    FieldLink& link() { return link_; }

private:
    void refresh();
    FieldLink link_;
    QString checkedValue_ = QStringLiteral("S");
    QString uncheckedValue_ = QStringLiteral("N");
    bool syncing_ = false;
};

// Shows a field's display text.
class DBText : public QLabel {
    Q_OBJECT
public:
    explicit DBText(QWidget* parent = nullptr);
    void setDataSource(Dataset* dataset, const QString& fieldName);

private:
    void refresh();
    FieldLink link_;
};

// Record navigator: first, prior, next, last, insert, delete (asking first), edit, post, cancel, refresh.
class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh, ButtonCount };

    explicit DBNavigator(QWidget* parent = nullptr);
    void setDataSource(Table* table);
    void setVisibleButtons(const QList<Button>& buttons);
    void setConfirmDelete(bool confirm) { confirmDelete_ = confirm; }
    QToolButton* button(Button which) const { return buttons_[which]; }
    void click(Button which);

signals:
    void clicked(DBNavigator::Button which);

private:
    void updateButtons();
    QPointer<Table> table_;
    QToolButton* buttons_[ButtonCount];
    bool confirmDelete_ = true;
    QList<QMetaObject::Connection> connections_;
};
