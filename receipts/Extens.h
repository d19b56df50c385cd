#pragma once

#include <QString>

// Amounts in Portuguese words, in reais and centavos, from 0,01 to 999.999,99.

// The words of a three-digit group, hundreds first ("000" to "999"); "000" gives "".
QString GrupoExtenso(const QString& digits);

struct AmountInWords {
    QString words;    // "" for zero and for an amount out of range
    QString problem;  // for an amount out of range: the message the window shows in a plain message box
};

// The amount in words ("Um Mil, e Um Reais."). Zero gives "" and no problem; an amount below zero or above
// 999.999,99 gives "" and the range message.
AmountInWords ValorExtenso(double valor);
