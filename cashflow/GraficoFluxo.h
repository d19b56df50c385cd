#pragma once

#include <QDate>
#include <QDialog>
#include <QVector>

// The month-by-month picture of the cash flow: income, expenses and balance paid in the twelve months up to a
// month, and what falls due, still open, in that month and the eleven after it.
class GraficoFluxo : public QDialog {
    Q_OBJECT
public:
    struct Month {
        QDate first;          // first day of the month
        qint64 income = 0;    // centavos
        qint64 expenses = 0;  // centavos
        qint64 balance() const { return income - expenses; }
    };
    struct Figures {
        QVector<Month> paid;  // oldest first, the last is the month given
        QVector<Month> open;  // the month given first
    };

    // Runs the window's own statements over each month of the two spans and takes their totals, as the lists
    // of that month would show them. Raises DataError when the data can't be read.
    static Figures compute(const QDate& day);

    explicit GraficoFluxo(const Figures& figures, QWidget* parent = nullptr);

    const Figures& figures() const { return figures_; }

private:
    Figures figures_;
};
