#include "Skin.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFont>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>
#include <QTreeView>

#include "Translations.h"

QString Skin::styleSheet() {
    return QStringLiteral(R"(
QToolBar#mainToolBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #dfe6f3);
                       border: none; spacing: 2px; padding: 2px; }
QToolBar#mainToolBar QToolButton { font-family: "Cambria"; font-size: 13px; font-weight: bold; font-style: italic;
                                   color: #000080; border: 1px solid transparent; border-radius: 4px;
                                   min-height: 57px; max-height: 57px; min-width: 84px; padding: 1px 4px; }
QToolBar#mainToolBar QToolButton:hover { border-color: #8fa6cf; background: #eef3fb; }
QToolBar#mainToolBar QToolButton:pressed { background: #d5e0f3; }
QStatusBar { background: #ecedf1; }
QStatusBar QLabel { border: 1px solid #b9bcc6; padding: 0px 4px; }
QLabel#alertTitle { font-family: "Arial"; font-size: 12pt; font-weight: bold; font-style: italic;
                    text-decoration: underline; color: #000080; padding: 3px;
                    background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #dfe6f3, stop:1 #ffffff); }
QLabel#alertTotalPagar, QLabel#alertTotalPagarVencidas { font-family: "Arial"; font-size: 13pt; font-weight: bold; color: #800000; }
QLabel#alertTotalReceber, QLabel#alertTotalReceberVencidas { font-family: "Arial"; font-size: 13pt; font-weight: bold; color: #000080; }
QLabel#alertHeading { font-weight: bold; font-style: italic; color: #000080; }
QFrame#alertStrip { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e3e8f2);
                    border: 1px solid #b9c3d9; }
QFrame#alertPanel { background: #ffffff; border: 2px solid #000080; }
QLabel#contactLabel { color: white; font-weight: bold; padding: 0px 10px; }
QLabel#loginHeading { font-weight: bold; }
)");
}

namespace {

// The file dialog's size and date columns, which the toolkit writes in the machine's own language, in
// Brazilian form.
class BrazilianFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role == Qt::DisplayRole && files && (index.column() == 1 || index.column() == 3)) {
            const QModelIndex source = mapToSource(index);
            const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
            if (index.column() == 3)
                return brazil.toString(files->lastModified(source), QLocale::ShortFormat);
            if (!files->isDir(source)) return brazil.formattedDataSize(files->size(source));
        }
        return QIdentityProxyModel::data(index, role);
    }
};

// Gives every file dialog of the program the Brazilian columns, with room for their texts.
class FileDialogs : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        auto* dialog = qobject_cast<QFileDialog*>(watched);
        auto* details = dialog ? dialog->findChild<QTreeView*>(QStringLiteral("treeView")) : nullptr;
        if (!details || dialog->proxyModel()) return false;
        dialog->setProxyModel(new BrazilianFileColumns(dialog));
        // The name takes the room the size, type and date leave, so that all four stay in view.
        const int least[] = {0, 80, 120, 110};
        for (int column = 1; column < 4; ++column)
            if (details->columnWidth(column) < least[column]) details->setColumnWidth(column, least[column]);
        details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        details->header()->setStretchLastSection(false);
        return false;
    }
};

}  // namespace

void Skin::apply(QApplication& app) {
    Translations::install(app);
    if (!app.findChild<QObject*>(QStringLiteral("fileDialogs"), Qt::FindDirectChildrenOnly)) {
        auto* fileDialogs = new FileDialogs(&app);
        fileDialogs->setObjectName(QStringLiteral("fileDialogs"));
        app.installEventFilter(fileDialogs);
    }
    // Dates and numbers the toolkit shows by itself (the file dialog's columns) are Brazilian too.
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // Windows font names resolve to their metric twins.
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Cambria"), QStringLiteral("Liberation Serif"));
    QFont font(QStringLiteral("Liberation Sans"), 9);
    app.setFont(font);
    app.setStyleSheet(styleSheet());
}

QPushButton* Skin::pushButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    // As the speed buttons of the data-entry windows: a click never takes the focus from the box being typed
    // in, so it never runs that box's leave rules.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

GradientStrip::GradientStrip(const QColor& from, const QColor& to, QWidget* parent)
    : QWidget(parent), from_(from), to_(to) {}

void GradientStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(rect().topLeft(), rect().topRight());
    gradient.setColorAt(0, from_);
    gradient.setColorAt(1, to_);
    painter.fillRect(rect(), gradient);
}
