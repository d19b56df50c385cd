#include "Money.h"

#include "Sqlite.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>

#include "DataError.h"

namespace {

constexpr qint64 kMillion = 1000000;
// One amount may be up to a trillion reais: its millionths, a quarter of what 64 bits hold, can be added to a
// running sum kept under kSpill without overflow.
constexpr double kLargestAmount = 1e12;
constexpr qint64 kSpill = 4000000000000000000;

// Below 2^33 a double is finer than a millionth, so the nearest millionth is the one that was typed.
constexpr double kExactBelow = 8589934592.0;

qint64 millionthsOf(double amount) {
    // The whole part and the fraction apart: both exact in a double, so the fraction is read to the
    // millionth without the error a product of a large amount would carry.
    const double whole = std::trunc(amount);
    return qint64(whole) * kMillion + std::llround((amount - whole) * double(kMillion));
}

// Larger amounts are coarser than a millionth: read as their shortest decimal text, the text that was typed,
// rounded to the millionth half away from zero.
qint64 millionthsOfText(double amount) {
    char text[64];
    const auto [end, failed] =
        std::to_chars(text, text + sizeof text, std::abs(amount), std::chars_format::fixed);
    if (failed != std::errc()) throw DataError(QStringLiteral("O valor %1 não pode ser somado").arg(amount));
    qint64 whole = 0, fraction = 0;
    int decimals = -1;
    bool roundUp = false;
    for (const char* c = text; c != end; ++c) {
        if (*c == '.') {
            decimals = 0;
        } else if (decimals < 0) {
            whole = whole * 10 + (*c - '0');
        } else if (decimals < 6) {
            fraction = fraction * 10 + (*c - '0');
            ++decimals;
        } else {
            if (decimals++ == 6) roundUp = *c >= '5';
        }
    }
    for (int i = std::max(decimals, 0); i < 6; ++i)
        fraction *= 10;
    const qint64 magnitude = whole * kMillion + fraction + (roundUp ? 1 : 0);
    return amount < 0 ? -magnitude : magnitude;
}

}  // namespace

Money Money::fromAmount(double amount) {
    MoneySum sum;
    sum.add(amount);
    return sum.total();
}

QString Money::text() const {
    const qint64 magnitude = centavos_ < 0 ? -centavos_ : centavos_;
    QString digits = QString::number(magnitude / 100);
    for (int at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char('.'));
    return (centavos_ < 0 ? QStringLiteral("-") : QString()) + digits + QLatin1Char(',') +
           QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

void MoneySum::add(double amount) {
    if (!(std::abs(amount) < kLargestAmount))
        throw DataError(QStringLiteral("O valor %1 não pode ser somado").arg(amount, 0, 'g', 17));
    millionths_ += std::abs(amount) < kExactBelow ? millionthsOf(amount) : millionthsOfText(amount);
    if (millionths_ > kSpill || millionths_ < -kSpill) spill();
}

void MoneySum::addMillionths(qint64 millionths) {
    reais_ += millionths / kMillion;
    millionths_ += millionths % kMillion;
    if (millionths_ > kSpill || millionths_ < -kSpill) spill();
}

void MoneySum::spill() {
    reais_ += millionths_ / kMillion;
    millionths_ %= kMillion;
}

qint64 MoneySum::millionths() const {
    const qint64 reais = reais_ + millionths_ / kMillion;
    if (reais > std::numeric_limits<qint64>::max() / kMillion - 1 ||
        reais < std::numeric_limits<qint64>::min() / kMillion + 1)
        throw DataError(QStringLiteral("A soma dos valores é grande demais"));
    return reais * kMillion + millionths_ % kMillion;
}

void MoneySum::add(const QVariant& amount) {
    if (amount.isNull() || !amount.isValid()) return;
    add(amount.toDouble());
}

Money MoneySum::total() const {
    // reais_ and millionths_ may have opposite signs; bring them to one sign, then round the millionths
    // to centavos, half away from zero.
    qint64 reais = reais_ + millionths_ / kMillion, millionths = millionths_ % kMillion;
    if (reais > 0 && millionths < 0) {
        --reais;
        millionths += kMillion;
    } else if (reais < 0 && millionths > 0) {
        ++reais;
        millionths -= kMillion;
    }
    const qint64 magnitude = millionths < 0 ? -millionths : millionths;
    const qint64 cents = (magnitude + 5000) / 10000;
    return Money::fromCentavos(reais * 100 + (millionths < 0 ? -cents : cents));
}

namespace {

void moneyStep(sqlite3_context* context, int, sqlite3_value** values) {
    // The engine's context memory starts zeroed, which is an empty sum.
    auto* sum = static_cast<MoneySum*>(sqlite3_aggregate_context(context, sizeof(MoneySum)));
    if (!sum) {
        sqlite3_result_error_nomem(context);
        return;
    }
    if (sqlite3_value_type(values[0]) == SQLITE_NULL) return;
    try {
        sum->add(sqlite3_value_double(values[0]));
    } catch (const DataError& error) {
        sqlite3_result_error(context, error.message().toUtf8().constData(), -1);
    }
}

void moneyFinal(sqlite3_context* context) {
    const auto* sum = static_cast<const MoneySum*>(sqlite3_aggregate_context(context, 0));
    try {
        sqlite3_result_int64(context, sum ? sum->millionths() : 0);
    } catch (const DataError& error) {
        sqlite3_result_error(context, error.message().toUtf8().constData(), -1);
    }
}

}  // namespace

static_assert(std::is_trivially_copyable_v<MoneySum> && std::is_standard_layout_v<MoneySum>,
              "the engine keeps a MoneySum in zeroed memory of its own");

void registerMoneyFunctions(sqlite3* db) {
    const int rc = sqlite3_create_function_v2(db, "money_millionths", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                              nullptr, nullptr, moneyStep, moneyFinal, nullptr);
    if (rc != SQLITE_OK) throw DataError(QStringLiteral("Não foi possível preparar a soma de valores"));
}
