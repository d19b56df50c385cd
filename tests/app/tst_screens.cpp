// The big windows on screens of 1366×768, 1280×720 and 1024×600: each opens within the screen's available
// area, centred on it, and every control of every tab can be reached (scrolled into view where the screen is
// smaller than the window).

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QtTest>
#include <functional>

#include "GraficoFluxo.h"
#include "UReceber.h"
#include "U_Cadastro.h"
#include "Unit1.h"
#include "UnitFluxo.h"
#include "UnitFornecedor.h"
#include "Unpagar.h"
#include "WindowFixture.h"

namespace {

using Factory = std::function<QDialog*(QWidget*)>;

const QMap<QString, Factory>& windows() {
    static const QMap<QString, Factory> all{
        {"Saídas do Caixa", [](QWidget* p) { return new Tfpagar(p); }},
        {"Entradas do Caixa", [](QWidget* p) { return new Tfreceber(p); }},
        {"Fluxo de caixa", [](QWidget* p) { return new TFFluxo(p); }},
        {"Gráfico",
         [](QWidget* p) { return new GraficoFluxo(GraficoFluxo::compute(QDate(2025, 3, 10)), p); }},
        {"Recibo e nota", [](QWidget* p) { return new TForm1(p); }},
        {"Clientes", [](QWidget* p) { return new TCadastro(p); }},
        {"Fornecedores", [](QWidget* p) { return new TF_Fornecedor(p); }},
    };
    return all;
}

// A control the user works with; the parts of a grid, a combo box or a calendar go with their control.
bool isControl(const QWidget* widget, const QWidget* window) {
    auto control = [](const QWidget* w) {
        return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
               qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
               qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
               qobject_cast<const QCalendarWidget*>(w);
    };
    if (!control(widget)) return false;
    for (const QWidget* up = widget->parentWidget(); up && up != window; up = up->parentWidget())
        if (control(up)) return false;
    return true;
}

}  // namespace

class ScreensTest : public QObject {
    Q_OBJECT

private slots:
    void fits_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("screen");
        QCOMPARE(QGuiApplication::screens().size(), 3);
        for (const QString& window : windows().keys())
            for (int screen = 0; screen < 3; ++screen) {
                const QSize size = QGuiApplication::screens()[screen]->size();
                QTest::addRow("%s, %dx%d", qPrintable(window), size.width(), size.height())
                    << window << screen;
            }
    }
    void fits() {
        QFETCH(QString, window);
        QFETCH(int, screen);
        WindowFixture fixture;
        QScreen* on = QGuiApplication::screens()[screen];
        const QRect area = on->availableGeometry();
        QWidget main;  // the main window fills the screen it is on
        main.setGeometry(area);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QCOMPARE(main.screen(), on);
        std::unique_ptr<QDialog> dialog(windows()[window](&main));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        const QRect frame = dialog->frameGeometry();
        QVERIFY2(
            area.contains(frame),
            qPrintable(
                QString("%1x%2+%3+%4").arg(frame.width()).arg(frame.height()).arg(frame.x()).arg(frame.y())));
        QVERIFY(qAbs(frame.center().x() - area.center().x()) <= 1);
        QVERIFY(qAbs(frame.center().y() - area.center().y()) <= 1);

        QList<QTabWidget*> tabs = dialog->findChildren<QTabWidget*>();
        if (tabs.isEmpty()) tabs << nullptr;
        for (QTabWidget* tab : tabs)
            for (int page = 0; page < (tab ? tab->count() : 1); ++page) {
                if (tab) tab->setCurrentIndex(page);
                QApplication::processEvents();
                for (QWidget* control : dialog->findChildren<QWidget*>()) {
                    if (!control->isVisible() || !isControl(control, dialog.get())) continue;
                    QRect visible = dialog->rect();
                    for (QScrollArea* scroll : dialog->findChildren<QScrollArea*>())
                        if (scroll->widget() && scroll->widget()->isAncestorOf(control)) {
                            scroll->ensureWidgetVisible(control, 0, 0);
                            visible = QRect(scroll->viewport()->mapTo(dialog.get(), QPoint()),
                                            scroll->viewport()->size());
                        }
                    const QRect place(control->mapTo(dialog.get(), QPoint()), control->size());
                    // Whole when it can be; a grid taller than the window at least in part.
                    const bool reached =
                        control->height() <= visible.height() && control->width() <= visible.width()
                            ? visible.contains(place)
                            : visible.intersects(place);
                    QVERIFY2(reached,
                             qPrintable(control->objectName() + " " + control->metaObject()->className()));
                }
            }
    }
};

int main(int argc, char** argv) {
    // Three screens side by side, as the offscreen platform reads them from a file.
    QTemporaryFile config(QDir::tempPath() + QStringLiteral("/screensXXXXXX.json"));
    if (!config.open()) return 1;
    config.write(R"({"screens": [
        {"name": "A", "x": 0, "y": 0, "width": 1366, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "B", "x": 1366, "y": 0, "width": 1280, "height": 720, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "C", "x": 2646, "y": 0, "width": 1024, "height": 600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
    ]})");
    config.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    ScreensTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screens.moc"
