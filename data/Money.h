#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

// An amount of money in whole centavos. Every total the program shows or prints is one of these, made by
// MoneySum, so the screen and the paper always agree.
class Money {
public:
    Money() = default;
    static Money fromCentavos(qint64 centavos) { return Money(centavos); }
    // One amount as stored, rounded to the centavo as typed: 2853.335 (stored as 2853.33499…) is 2.853,34.
    static Money fromAmount(double amount);

    qint64 centavos() const { return centavos_; }
    double toDouble() const { return double(centavos_) / 100.0; }
    bool isZero() const { return centavos_ == 0; }
    // Brazilian "%n": "1.234,56", "-49,50"; zero is always "0,00".
    QString text() const;

    Money operator+(Money other) const { return Money(centavos_ + other.centavos_); }
    Money operator-(Money other) const { return Money(centavos_ - other.centavos_); }
    bool operator==(const Money& other) const = default;

private:
    explicit Money(qint64 centavos) : centavos_(centavos) {}
    qint64 centavos_ = 0;
};

// The exact sum of amounts as stored, rounded once to the centavo, half away from zero. Each stored double
// counts as the decimal that was typed (its value to the millionth), so three amounts of 100/3 add up to
// 100,00 and amounts adding to 2.853,335 give 2.853,34. Blank amounts count 0.
class MoneySum {
public:
    void add(double amount);
    void add(const QVariant& amount);  // null counts 0
    // A partial sum in millionths, as money_millionths() gives it.
    void addMillionths(qint64 millionths);
    Money total() const;
    // The sum in millionths; raises DataError beyond what 64 bits hold (nine trillion reais).
    qint64 millionths() const;

private:
    void spill();
    qint64 reais_ = 0;       // whole units moved out of millionths_ when it grows large
    qint64 millionths_ = 0;  // the running sum, in millionths
};
