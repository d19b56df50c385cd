#include "PreviewDialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

#include "CsvExport.h"
#include "DataError.h"
#include "Painter.h"

namespace Report {

PreviewDialog::PreviewDialog(const Document& document, QWidget* parent)
    : QDialog(parent), document_(document), zoom_(document.zoom) {
    build();
}

PreviewDialog::PreviewDialog(const Layout& layout, const FillContext& context, QWidget* parent)
    : QDialog(parent), job_(std::make_unique<FillJob>(layout, context)), zoom_(layout.zoom) {
    job_->step(1);
    build();
    filler_ = new QTimer(this);
    filler_->setInterval(0);
    connect(filler_, &QTimer::timeout, this, &PreviewDialog::fillMore);
    if (!job_->done()) filler_->start();
}

PreviewDialog::~PreviewDialog() = default;

int PreviewDialog::pageCount() const {
    return job_ && !job_->done() ? job_->completePages() : int(document().pages.size());
}

bool PreviewDialog::filling() const {
    return job_ && !job_->done();
}

// A few pages per turn of the event loop, so the dialog answers the user meanwhile.
void PreviewDialog::fillMore() {
    fillTo(job_->completePages() + 3);
    pageLabel_->setText(pageText());
}

bool PreviewDialog::fillTo(int page) {
    if (!filling()) return true;
    try {
        while (!job_->done() && job_->completePages() <= page)
            job_->step(qMax(1, page + 1 - job_->completePages()));
    } catch (const DataError& error) {
        filler_->stop();
        emit failed(error.message());
        return false;
    }
    if (job_->done()) filler_->stop();
    return true;
}

void PreviewDialog::build() {
    const bool maximised = document().maximised;
    setWindowTitle(QStringLiteral("Visualização de impressão"));
    setObjectName(QStringLiteral("ReportPreview"));
    setModal(true);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("previewBar"));
    auto* buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(6, 4, 6, 4);
    auto add = [this, bar, buttons](const QString& text, const QString& name, auto slot) {
        auto* button = new QToolButton(bar);
        button->setText(text);
        button->setObjectName(name);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setAutoRaise(true);
        connect(button, &QToolButton::clicked, this, slot);
        buttons->addWidget(button);
        return button;
    };
    add(QStringLiteral("Página inteira"), QStringLiteral("zoomPage"), [this] { setZoom(Zoom::WholePage); });
    add(QStringLiteral("Largura da página"), QStringLiteral("zoomWidth"),
        [this] { setZoom(Zoom::PageWidth); });
    buttons->addSpacing(12);
    add(QStringLiteral("|◀"), QStringLiteral("firstPage"), [this] { setPage(0); });
    add(QStringLiteral("◀"), QStringLiteral("priorPage"), [this] { setPage(page_ - 1); });
    pageLabel_ = new QLabel(bar);
    pageLabel_->setMinimumWidth(110);
    pageLabel_->setAlignment(Qt::AlignCenter);
    buttons->addWidget(pageLabel_);
    add(QStringLiteral("▶"), QStringLiteral("nextPage"), [this] { setPage(page_ + 1); });
    add(QStringLiteral("▶|"), QStringLiteral("lastPage"),
        [this] { setPage(std::numeric_limits<int>::max()); });
    buttons->addSpacing(12);
    add(QStringLiteral("Imprimir"), QStringLiteral("print"), &PreviewDialog::printDocument);
    // Saving asks where through the program's chooser: until one is given there is no saving.
    saveButtons_ << add(QStringLiteral("Salvar PDF..."), QStringLiteral("save"), &PreviewDialog::saveAs);
    if (!document().sheet.isEmpty())
        saveButtons_ << add(QStringLiteral("Exportar planilha..."), QStringLiteral("exportSheet"),
                            &PreviewDialog::exportSheet);
    for (QToolButton* button : saveButtons_)
        button->setVisible(false);
    buttons->addStretch();
    add(QStringLiteral("Fechar"), QStringLiteral("close"), &QDialog::accept);
    layout->addWidget(bar);

    scroll_ = new QScrollArea(this);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    canvas_ = new QLabel(scroll_);
    canvas_->setAlignment(Qt::AlignCenter);
    scroll_->setWidget(canvas_);
    layout->addWidget(scroll_, 1);
    resize(900, 700);
    if (maximised) {
        // Without a window manager maximising does nothing: the dialog takes the screen itself.
        if (QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
            setGeometry(screen->availableGeometry());
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    QTimer::singleShot(0, this, &PreviewDialog::refresh);
}

void PreviewDialog::setPage(int page) {
    fillTo(page);
    const int last = qMax(0, pageCount() - 1);
    page_ = qBound(0, page, last);
    refresh();
}

void PreviewDialog::setZoom(Zoom zoom) {
    zoom_ = zoom;
    refresh();
}

QString PreviewDialog::pageText() const {
    return QStringLiteral("Página %1 de %2%3")
        .arg(pageCount() == 0 ? 0 : page_ + 1)
        .arg(pageCount())
        .arg(filling() ? QStringLiteral("...") : QString());
}

void PreviewDialog::refresh() {
    pageLabel_->setText(pageText());
    // Room for the page and a margin around it, a vertical scroll bar always counted.
    const int bar = scroll_->verticalScrollBar()->sizeHint().width();
    const QSize view =
        scroll_->size() - QSize(bar + 2 * scroll_->frameWidth() + 24, 2 * scroll_->frameWidth() + 24);
    const double byWidth = view.width() / document().pageSize.width();
    const double byHeight = view.height() / document().pageSize.height();
    const double dotsPerMm = qMax(0.5, zoom_ == Zoom::PageWidth ? byWidth : qMin(byWidth, byHeight));
    shown_ = renderPage(document(), page_, dotsPerMm * devicePixelRatioF());
    QPixmap pixmap = QPixmap::fromImage(shown_);
    pixmap.setDevicePixelRatio(devicePixelRatioF());
    canvas_->setPixmap(pixmap);
    canvas_->resize(pixmap.deviceIndependentSize().toSize() + QSize(16, 16));
}

void PreviewDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    QTimer::singleShot(0, this, &PreviewDialog::refresh);
}

void PreviewDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_PageDown:
            setPage(page_ + 1);
            return;
        case Qt::Key_PageUp:
            setPage(page_ - 1);
            return;
        case Qt::Key_Home:
            setPage(0);
            return;
        case Qt::Key_End:
            setPage(std::numeric_limits<int>::max());
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void PreviewDialog::printDocument() {
    if (!fillTo(std::numeric_limits<int>::max())) return;
    pageLabel_->setText(pageText());
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(document().name);
    printer.setFromTo(1, int(document().pages.size()));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Imprimir"));
    if (dialog.exec() != QDialog::Accepted) return;
    print(document(), printer);
}

void PreviewDialog::setFileChooser(FileChooser chooser) {
    chooseFile_ = std::move(chooser);
    for (QToolButton* button : saveButtons_)
        button->setVisible(bool(chooseFile_));
}

QString PreviewDialog::chooseFile(const QString& extension, const QString& filter) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = folder + QLatin1Char('/') +
                              (document().name.isEmpty() ? QStringLiteral("relatorio") : document().name) +
                              extension;
    if (!chooseFile_) return QString();
    QString fileName = chooseFile_(this, QStringLiteral("Salvar como"), suggested, filter);
    if (!fileName.isEmpty() && !fileName.endsWith(extension, Qt::CaseInsensitive)) fileName += extension;
    return fileName;
}

void PreviewDialog::saveAs() {
    const QString fileName = chooseFile(QStringLiteral(".pdf"), QStringLiteral("Documento PDF (*.pdf)"));
    if (fileName.isEmpty()) return;
    QString error;
    if (!saveTo(fileName, &error)) emit failed(error);
}

void PreviewDialog::exportSheet() {
    const QString fileName = chooseFile(QStringLiteral(".csv"), QStringLiteral("Planilha (*.csv)"));
    if (fileName.isEmpty()) return;
    QString error;
    if (!exportSheetTo(fileName, &error)) emit failed(error);
}

bool PreviewDialog::fillAll(QString* error) {
    if (!filling()) return true;
    try {
        while (!job_->step(std::numeric_limits<int>::max() / 2)) {
        }
    } catch (const DataError& failure) {
        filler_->stop();
        if (error) *error = failure.message();
        return false;
    }
    filler_->stop();
    pageLabel_->setText(pageText());
    return true;
}

bool PreviewDialog::saveTo(const QString& fileName, QString* error) {
    return fillAll(error) && writePdf(document(), fileName, error);
}

bool PreviewDialog::exportSheetTo(const QString& fileName, QString* error) {
    if (!fillAll(error)) return false;
    const Sheet& sheet = document().sheet;
    return Csv::write(fileName, sheet.titles, sheet.rows, error);
}

}  // namespace Report
