#include "Dialogs.h"

#include "Database.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QImageReader>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "DataError.h"
#include "Database.h"
#include "PictureFile.h"
#include "PreviewDialog.h"

namespace {

Dialogs* installed = nullptr;

// Runs a dialog in its own event loop; the rows of the windows under it stay still until it is answered.
int answered(QDialog& dialog) {
    const HoldOthersStores hold;
    return dialog.exec();
}

// Boxes with Portuguese buttons, whatever translations the machine has.
QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                const QString& text, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    if (QAbstractButton* b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("&Sim"));
    if (QAbstractButton* b = box.button(QMessageBox::No)) b->setText(QStringLiteral("&Não"));
    if (QAbstractButton* b = box.button(QMessageBox::Ok)) b->setText(QStringLiteral("OK"));
    if (QAbstractButton* b = box.button(QMessageBox::Cancel)) b->setText(QStringLiteral("Cancelar"));
    return static_cast<QMessageBox::StandardButton>(answered(box));
}

// The most points a picture may have to be shown beside the list as it is picked.
constexpr qint64 kPreviewPoints = 70'000'000;

QString pictureFilter() {
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    return QStringLiteral("Imagens (%1)").arg(patterns.join(QLatin1Char(' ')));
}

// An open dialog for one existing file, the program's own on every system.
void setUpOpen(QFileDialog& dialog, const QSize& size, const QStringList& filters) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.resize(size);
    dialog.setNameFilters(filters);
}

// The file picked in an open dialog, empty when cancelled.
QString picked(QFileDialog& dialog) {
    return answered(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
}

// The preview asks through the installed dialogs, so a test answers where a file goes.
QString chooseThroughDialogs(QWidget* parent, const QString& caption, const QString& suggested,
                             const QString& filter) {
    return Dialogs::current().saveFileName(parent, caption, suggested, filter);
}

}  // namespace

Dialogs& Dialogs::current() {
    static WidgetDialogs real;
    return installed ? *installed : real;
}

void Dialogs::install(Dialogs* dialogs) {
    installed = dialogs;
}

bool Dialogs::chooseFolder(QWidget* parent, const QString& caption, QString& folder) {
    QFileDialog dialog(parent, caption, folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.resize(820, 480);
    if (answered(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    folder = dialog.selectedFiles().first();
    return true;
}

QString Dialogs::openFile(QWidget* parent, const QString& caption, const QStringList& filters) {
    QFileDialog dialog(parent, caption);
    setUpOpen(dialog, QSize(820, 480), filters);
    return picked(dialog);
}

QString Dialogs::openPicture(QWidget* parent, const QString& caption) {
    QFileDialog dialog(parent, caption);
    setUpOpen(dialog, QSize(980, 520), {pictureFilter(), QStringLiteral("Todos os arquivos (*)")});
    auto* preview = new QLabel(&dialog);
    preview->setFixedSize(180, 180);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString& name) {
        // A picture of very many points takes seconds to read even scaled: a click in the list does not wait
        // for it (it can still be chosen).
        const QSize size = QImageReader(name).size();
        if (size.isValid() && qint64(size.width()) * size.height() > kPreviewPoints) {
            preview->clear();
            return;
        }
        const Report::PictureFile read = Report::readPictureFile(name, QByteArray(), preview->size());
        if (read.image.isNull())
            preview->clear();
        else
            preview->setPixmap(QPixmap::fromImage(read.image));
    });
    return picked(dialog);
}

void Dialogs::showText(QWidget* parent, const QString& caption, const QString& text) {
    QDialog dialog(parent);
    dialog.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dialog);
    auto* view = new QPlainTextEdit(text, &dialog);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The report lines up its columns with spaces.
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(view);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("Fechar"), QDialogButtonBox::AcceptRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.resize(760, 480);
    answered(dialog);
}

void WidgetDialogs::error(QWidget* parent, const QString& text, const QString& title) {
    ask(parent, QMessageBox::Critical, title.isEmpty() ? QStringLiteral("Erro") : title, text,
        QMessageBox::Ok);
}

void WidgetDialogs::errorNo(QWidget* parent, const QString& text) {
    ask(parent, QMessageBox::Critical, QStringLiteral("Erro"), text, QMessageBox::No);
}

void WidgetDialogs::information(QWidget* parent, const QString& text) {
    ask(parent, QMessageBox::Information, QStringLiteral("Informação"), text, QMessageBox::Ok);
}

bool WidgetDialogs::confirmation(QWidget* parent, const QString& text) {
    return ask(parent, QMessageBox::Question, QStringLiteral("Confirmação"), text,
               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void WidgetDialogs::confirmed(QWidget* parent, const QString& text) {
    ask(parent, QMessageBox::Question, QStringLiteral("Confirmação"), text, QMessageBox::Ok);
}

void WidgetDialogs::message(QWidget* parent, const QString& text) {
    ask(parent, QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok);
}

bool WidgetDialogs::question(QWidget* parent, const QString& text, const QString& caption, bool noByDefault) {
    // A question with a caption of its own is a plain box: its caption says what it is about, no icon does.
    return ask(parent, QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No,
               noByDefault ? QMessageBox::No : QMessageBox::NoButton) == QMessageBox::Yes;
}

bool WidgetDialogs::input(QWidget* parent, const QString& caption, const QString& prompt, QString& value) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(value);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    if (answered(dialog) != QDialog::Accepted) return false;
    value = dialog.textValue();
    return true;
}

bool WidgetDialogs::confirmDelete(QWidget* parent) {
    return ask(parent, QMessageBox::Question, QStringLiteral("Confirmação"),
               QStringLiteral("Excluir o registro?"),
               QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void WidgetDialogs::about(QWidget* parent, const QString& title, const QString& text) {
    ask(parent, QMessageBox::Information, title, text, QMessageBox::Ok);
}

QString Dialogs::saveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                              const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

void showError(QWidget* parent, const QString& text) {
    Dialogs::current().error(parent, text);
}

bool guarded(QWidget* parent, const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const DataError& error) {
        showError(parent, error.message());
        return false;
    }
}

void Dialogs::preview(QWidget* parent, const Report::Layout& layout, const Report::FillContext& context) {
    preview(parent, Report::fill(layout, context));
}

void WidgetDialogs::preview(QWidget* parent, const Report::Layout& layout,
                            const Report::FillContext& context) {
    Report::PreviewDialog dialog(layout, context, parent);
    dialog.setFileChooser(chooseThroughDialogs);
    QObject::connect(&dialog, &Report::PreviewDialog::failed, &dialog,
                     [&dialog](const QString& message) { Dialogs::current().error(&dialog, message); });
    answered(dialog);
}

void WidgetDialogs::preview(QWidget* parent, const Report::Document& document) {
    Report::PreviewDialog dialog(document, parent);
    dialog.setFileChooser(chooseThroughDialogs);
    QObject::connect(&dialog, &Report::PreviewDialog::failed, &dialog,
                     [&dialog](const QString& message) { Dialogs::current().error(&dialog, message); });
    answered(dialog);
}
