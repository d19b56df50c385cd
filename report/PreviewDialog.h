#pragma once

#include <QDialog>

#include "Document.h"

class QLabel;
class QScrollArea;
class QToolButton;

namespace Report {

// The on-screen preview: one page at a time, zoomed to the whole page or to its width, with page navigation,
// printing through the platform's print dialog and saving as PDF. Only the page shown is painted.
class PreviewDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreviewDialog(const Document& document, QWidget* parent = nullptr);

    int page() const { return page_; }
    void setPage(int page);
    Zoom zoom() const { return zoom_; }
    void setZoom(Zoom zoom);
    QString pageText() const;
    const QImage& shownImage() const { return shown_; }

    void printDocument();
    void saveAs();
    bool saveTo(const QString& fileName, QString* error = nullptr);

signals:
    void failed(const QString& message);  // saving failed; the caller shows why

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refresh();

    Document document_;
    int page_ = 0;
    Zoom zoom_;
    QScrollArea* scroll_;
    QLabel* canvas_;
    QLabel* pageLabel_;
    QImage shown_;
};

}  // namespace Report
