#include "Money.h"

#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <new>

#include "DataError.h"

namespace {

constexpr qint64 kMillion = 1000000;

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
    if (!std::isfinite(amount) || std::abs(amount) >= 9.0e15)
        throw DataError(QStringLiteral("O valor %1 não pode ser somado").arg(amount, 0, 'g', 17));
    // The whole part and the fraction apart: both exact in a double, so the fraction is read to the
    // millionth without the error a product of a large amount would carry.
    const double whole = std::trunc(amount);
    const qint64 fraction = std::llround((amount - whole) * double(kMillion));
    const qint64 reais = qint64(whole);
    if ((reais > 0 && reais_ > std::numeric_limits<qint64>::max() / 2) ||
        (reais < 0 && reais_ < std::numeric_limits<qint64>::min() / 2))
        throw DataError(QStringLiteral("A soma dos valores é grande demais"));
    reais_ += reais;
    millionths_ += fraction;
    reais_ += millionths_ / kMillion;
    millionths_ %= kMillion;
}

void MoneySum::addMillionths(qint64 millionths) {
    reais_ += millionths / kMillion;
    millionths_ += millionths % kMillion;
    reais_ += millionths_ / kMillion;
    millionths_ %= kMillion;
}

qint64 MoneySum::millionths() const {
    if (reais_ > std::numeric_limits<qint64>::max() / kMillion - 1 ||
        reais_ < std::numeric_limits<qint64>::min() / kMillion + 1)
        throw DataError(QStringLiteral("A soma dos valores é grande demais"));
    return reais_ * kMillion + millionths_;
}

void MoneySum::add(const QVariant& amount) {
    if (amount.isNull() || !amount.isValid()) return;
    add(amount.toDouble());
}

Money MoneySum::total() const {
    // reais_ and millionths_ may have opposite signs; bring them to one sign, then round the millionths
    // to centavos, half away from zero.
    qint64 reais = reais_, millionths = millionths_;
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
    auto* sum = static_cast<MoneySum**>(sqlite3_aggregate_context(context, sizeof(MoneySum*)));
    if (!sum) {
        sqlite3_result_error_nomem(context);
        return;
    }
    if (sqlite3_value_type(values[0]) == SQLITE_NULL) return;
    try {
        if (!*sum) *sum = new MoneySum;
        (*sum)->add(sqlite3_value_double(values[0]));
    } catch (const DataError& error) {
        sqlite3_result_error(context, error.message().toUtf8().constData(), -1);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(context);
    }
}

void moneyFinal(sqlite3_context* context) {
    auto* sum = static_cast<MoneySum**>(sqlite3_aggregate_context(context, 0));
    MoneySum* owned = sum ? *sum : nullptr;
    try {
        sqlite3_result_int64(context, owned ? owned->millionths() : 0);
    } catch (const DataError& error) {
        sqlite3_result_error(context, error.message().toUtf8().constData(), -1);
    }
    delete owned;
}

}  // namespace

void registerMoneyFunctions(sqlite3* db) {
    const int rc = sqlite3_create_function_v2(db, "money_millionths", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                              nullptr, nullptr, moneyStep, moneyFinal, nullptr);
    if (rc != SQLITE_OK) throw DataError(QStringLiteral("Não foi possível preparar a soma de valores"));
}
