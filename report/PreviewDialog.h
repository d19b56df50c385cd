#pragma once

#include <QDialog>

#include <functional>
#include <memory>

#include "Document.h"
#include "Filler.h"

class QLabel;
class QScrollArea;
class QTimer;
class QToolButton;

namespace Report {

// The on-screen preview: one page at a time, zoomed to the whole page or to its width, with page navigation,
// printing through the platform's print dialog and saving as PDF. Only the page shown is painted.
class PreviewDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreviewDialog(const Document& document, QWidget* parent = nullptr);
    // Fills the layout as it shows it: the first page at once, the others a few at a time while the event
    // loop is idle. Until the last one is filled the page count reads "Página 1 de 12..." (the pages filled
    // so far); going to the last page, printing or saving fills the rest first. Raises DataError when the
    // first page can't be filled; a later failure stops the filling and is reported through failed().
    PreviewDialog(const Layout& layout, const FillContext& context, QWidget* parent = nullptr);
    ~PreviewDialog() override;

    const Document& document() const { return job_ ? job_->document() : document_; }
    int pageCount() const;  // pages that can be shown so far
    bool filling() const;

    int page() const { return page_; }
    void setPage(int page);
    Zoom zoom() const { return zoom_; }
    void setZoom(Zoom zoom);
    QString pageText() const;
    const QImage& shownImage() const { return shown_; }

    void printDocument();
    void saveAs();
    bool saveTo(const QString& fileName, QString* error = nullptr);
    // "Exportar planilha": the rows the report printed as a spreadsheet file; only for a report that has one.
    void exportSheet();
    bool exportSheetTo(const QString& fileName, QString* error = nullptr);

    // Asks where to save (parent, caption, suggested path, file filter); an empty answer cancels. The program
    // gives its dialogs service; a preview without a chooser offers no saving.
    using FileChooser = std::function<QString(QWidget*, const QString&, const QString&, const QString&)>;
    void setFileChooser(FileChooser chooser);

signals:
    void failed(const QString& message);  // saving failed; the caller shows why

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build();
    void refresh();
    void fillMore();
    bool fillTo(int page);  // fills until `page` is complete (or the report ends); false on a failure
    bool fillAll(QString* error);
    QString chooseFile(const QString& extension, const QString& filter);

    Document document_;
    std::unique_ptr<FillJob> job_;
    QTimer* filler_ = nullptr;
    int page_ = 0;
    Zoom zoom_;
    QScrollArea* scroll_;
    QLabel* canvas_;
    QLabel* pageLabel_;
    QImage shown_;
    FileChooser chooseFile_;
    QList<QToolButton*> saveButtons_;
};

}  // namespace Report
