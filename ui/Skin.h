#pragma once

#include <QColor>
#include <QWidget>

class QApplication;
class QPushButton;

// The program's look: Fusion with one style sheet, the tool-bar captions and the gradient strips.
namespace Skin {
inline const QColor navy{0, 0, 128};
inline const QColor maroon{128, 0, 0};
// The look, and the toolkit's Portuguese (Brazil) translations.
void apply(QApplication& app);
// A push button of the data-entry windows: Enter in a box never presses it, and it takes no focus.
QPushButton* pushButton(const QString& text, const QString& name, QWidget* parent);
QString styleSheet();
}  // namespace Skin

// A strip painted with a horizontal gradient.
class GradientStrip : public QWidget {
    Q_OBJECT
public:
    GradientStrip(const QColor& from, const QColor& to, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor from_;
    QColor to_;
};
