#include "Extens.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace {

// Indexed by the digit; the digit 0 has no word.
const char* const Unidades[10] = {"",      "Um",   "Dois", "Três", "Quatro",
                                  "Cinco", "Seis", "Sete", "Oito", "Nove"};
const char* const Especiais[10] = {"",       "Onze",      "Doze",      "Treze",   "Quatorze",
                                   "Quinze", "Dezesseis", "Dezessete", "Dezoito", "Dezenove"};
const char* const Dezenas[10] = {"",          "Dez",      "Vinte",   "Trinta",  "Quarenta",
                                 "Cinqüenta", "Sessenta", "Setenta", "Oitenta", "Noventa"};
const char* const Centenas[10] = {"",           "Cento",      "Duzentos",   "Trezentos",  "Quatrocentos",
                                  "Quinhentos", "Seiscentos", "Setecentos", "Oitocentos", "Novecentos"};

const long double Limite = 999999.99L;

QString word(const char* const table[10], QChar digit) {
    return QString::fromUtf8(table[digit.digitValue()]);
}

// The amount as "000000,00", two decimals rounded half away from zero. The rounding works on the shortest
// decimal text that reads back as the same double, so 1.005 gives 1,01 as written, not 1,00 as stored.
QString formatado(double valor) {
    char buffer[400];  // room for the fixed text of the smallest denormal, the longest one in range
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, valor, std::chars_format::fixed);
    const std::string_view text(buffer, result.ptr - buffer);

    const std::size_t point = text.find('.');
    const std::string_view inteiro = text.substr(0, point);
    const std::string_view decimais =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    auto decimal = [&](std::size_t i) { return i < decimais.size() ? decimais[i] - '0' : 0; };

    long long centavos = 0;
    for (char c : inteiro)
        centavos = centavos * 10 + (c - '0');
    centavos = centavos * 100 + decimal(0) * 10 + decimal(1);
    if (decimal(2) >= 5) ++centavos;

    return QStringLiteral("%1,%2")
        .arg(centavos / 100, 6, 10, QLatin1Char('0'))
        .arg(centavos % 100, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString GrupoExtenso(const QString& digits) {
    Q_ASSERT(digits.size() == 3);
    const QChar h = digits.at(0), t = digits.at(1), u = digits.at(2);
    const QChar zero = QLatin1Char('0');

    QString dezena, unidade;
    if (t == QLatin1Char('1') && u != zero) {
        unidade = word(Especiais, u);
    } else {
        if (t != zero) dezena = word(Dezenas, t);
        if (u != zero) unidade = word(Unidades, u);
    }

    QString centena;
    if (h == QLatin1Char('1') && dezena.isEmpty() && unidade.isEmpty())
        centena = QStringLiteral("Cem");
    else if (h != zero)
        centena = word(Centenas, h);

    const QString e = QStringLiteral(" e ");
    QString r = centena;
    if (!centena.isEmpty() && (!dezena.isEmpty() || !unidade.isEmpty())) r += e;
    r += dezena;
    if (!dezena.isEmpty() && !unidade.isEmpty()) r += e;
    r += unidade;
    return r;
}

namespace {

// The words of an amount within the range.
QString inWords(double valor) {
    const QString s = formatado(valor);
    // An amount that rounds to no centavo at all has nothing to write, like zero (not a lone ".").
    if (s == QStringLiteral("000000,00")) return QString();
    const QString milhares = s.mid(0, 3), unidades = s.mid(3, 3), centavos = s.mid(7, 2);
    const QString T = GrupoExtenso(milhares);
    const QString U = GrupoExtenso(unidades);
    const QString C = GrupoExtenso(QLatin1Char('0') + centavos);
    const QString nenhum = QStringLiteral("000");

    QString r = T;
    if (!T.isEmpty()) r += unidades == nenhum ? QStringLiteral(" Mil Reais") : QStringLiteral(" Mil, e ");
    r += U;
    if (T.isEmpty() && unidades == QStringLiteral("001"))
        r += QStringLiteral(" Real");
    else if (unidades != nenhum)
        r += QStringLiteral(" Reais");

    if (C.isEmpty()) return r + QLatin1Char('.');
    if (T.isEmpty() && U.isEmpty())
        r = C;
    else
        r += QStringLiteral(", e ") + C;
    r += centavos == QStringLiteral("01") ? QStringLiteral(" Centavo.") : QStringLiteral(" Centavos.");
    return r;
}

}  // namespace

AmountInWords ValorExtenso(double valor) {
    // NaN fails both comparisons; it is no amount either.
    if (static_cast<long double>(valor) > Limite || valor < 0 || std::isnan(valor))
        return {QString(),
                QString::fromUtf8("O valor está fora do intervalo permitido.") +
                    QString::fromUtf8("O número deve ser maior ou igual a zero e menor que 999.999,99.") +
                    QString::fromUtf8(" Se não for corrigido o número não será escrito por extenso.")};
    if (valor == 0) return {};
    return {inWords(valor), QString()};
}
