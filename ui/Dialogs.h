#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "Document.h"
#include "Filler.h"

class QWidget;

// Every message box, question and input box of the program goes through here, so that tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Standard boxes with the toolkit's standard titles ("Erro", "Informação", "Confirmação"); a title given
    // replaces it.
    virtual void error(QWidget* parent, const QString& text, const QString& title = QString()) = 0;
    virtual void information(QWidget* parent, const QString& text) = 0;
    // An error box whose one button is "Não".
    virtual void errorNo(QWidget* parent, const QString& text) = 0;
    virtual bool confirmation(QWidget* parent, const QString& text) = 0;  // Yes / No
    // A confirmation box that only reports: its one button is OK.
    virtual void confirmed(QWidget* parent, const QString& text) = 0;
    // A plain message with the program's title.
    virtual void message(QWidget* parent, const QString& text) = 0;
    // A Yes/No question with a caption of its own ("Confirmação", "Exclusão", "Registro", "Erro") and no
    // icon; Enter answers No when `noByDefault`.
    virtual bool question(QWidget* parent, const QString& text, const QString& caption,
                          bool noByDefault = false) = 0;
    // An input box; false when cancelled, `value` holding the initial and then the typed text.
    virtual bool input(QWidget* parent, const QString& caption, const QString& prompt, QString& value) = 0;
    // The navigator's confirmation before deleting a record.
    virtual bool confirmDelete(QWidget* parent) = 0;
    // The "About" box.
    virtual void about(QWidget* parent, const QString& title, const QString& text) = 0;
    // Asks for a folder; false when cancelled, `folder` holding the initial and then the chosen folder.
    virtual bool chooseFolder(QWidget* parent, const QString& caption, QString& folder);
    // A long text to read (a report of work done), scrollable, with "Fechar".
    virtual void showText(QWidget* parent, const QString& caption, const QString& text);
    // Where to save a file: the suggested path first, only files of the filter ("Planilha (*.csv)") shown;
    // empty when cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                                 const QString& filter);
    // A file to open, only files of the first filter shown at first ("Extratos bancários OFX (*.ofx)"); empty
    // when cancelled.
    virtual QString openFile(QWidget* parent, const QString& caption, const QStringList& filters);
    // A picture file to open, the chosen picture shown beside the list; empty when cancelled.
    virtual QString openPicture(QWidget* parent, const QString& caption);
    // The report preview, modal; returns when the user closes it.
    virtual void preview(QWidget* parent, const Report::Document& document) = 0;
    // The preview of a layout filled as it is shown (long listings); by default filled whole first.
    virtual void preview(QWidget* parent, const Report::Layout& layout, const Report::FillContext& context);

    static Dialogs& current();
    // Replaces the dialogs (tests); nullptr brings back the real ones. The caller keeps ownership.
    static void install(Dialogs* dialogs);
};

// The real boxes, on QMessageBox and QInputDialog.
class WidgetDialogs : public Dialogs {
public:
    void error(QWidget* parent, const QString& text, const QString& title = QString()) override;
    void information(QWidget* parent, const QString& text) override;
    void errorNo(QWidget* parent, const QString& text) override;
    bool confirmation(QWidget* parent, const QString& text) override;
    void confirmed(QWidget* parent, const QString& text) override;
    void message(QWidget* parent, const QString& text) override;
    bool question(QWidget* parent, const QString& text, const QString& caption,
                  bool noByDefault = false) override;
    bool input(QWidget* parent, const QString& caption, const QString& prompt, QString& value) override;
    bool confirmDelete(QWidget* parent) override;
    void about(QWidget* parent, const QString& title, const QString& text) override;
    void preview(QWidget* parent, const Report::Document& document) override;
    void preview(QWidget* parent, const Report::Layout& layout, const Report::FillContext& context) override;
};

// Shows a data-layer error (or any other) in the standard error box.
void showError(QWidget* parent, const QString& text);
// Runs an action of a window; a DataError it raises is shown in the standard error box. Returns whether the
// action went through.
bool guarded(QWidget* parent, const std::function<void()>& action);
