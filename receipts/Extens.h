#pragma once

#include <QString>

// Amounts in Portuguese words, in reais and centavos, from 0,01 to 999.999,99.

// The words of a three-digit group, hundreds first ("000" to "999"); "000" gives "".
QString GrupoExtenso(const QString& digits);

// The amount in words ("Um Mil, e Um Reais."). Zero gives "" with no message; an amount below zero or above
// 999.999,99 shows the range message (a plain message box) and gives "".
QString ValorExtenso(double valor);
