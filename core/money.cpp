#include "core/money.h"

#include "core/numbers.h"

std::optional<std::int64_t> CentsOf(const QString& figure)
{
    const auto value = StrictNumber(figure);
    return value ? ScaledUnits(*value, 2, HalfRounding::ToEven) : std::nullopt;
}

QString CentsText(std::int64_t cents)
{
    return UnitsText(cents, 2, true);
}

QString MoneyText(std::int64_t cents)
{
    const QString text = CentsText(cents);
    return text.startsWith(QLatin1Char('-')) ? QStringLiteral("-$") + text.mid(1)
                                             : QStringLiteral("$") + text;
}

QString SignedMoneyText(std::int64_t cents)
{
    return cents > 0 ? QStringLiteral("+") + MoneyText(cents) : MoneyText(cents);
}

QString PrintedMoney(const QString& figure)
{
    const auto cents = CentsOf(figure);
    return cents ? MoneyText(*cents) : figure;
}

std::optional<QString> DollarsToCents(double amount, std::int64_t cents)
{
    // Both in units of 10^-10 dollars, where the difference is exact.
    constexpr int Decimals = 10;
    constexpr std::int64_t PerCent = 100000000;
    const auto units = ScaledUnits(amount, Decimals, HalfRounding::ToEven);
    std::int64_t target = 0, difference = 0;
    if (!units || __builtin_mul_overflow(cents, PerCent, &target) ||
        __builtin_sub_overflow(target, *units, &difference))
        return std::nullopt;
    return UnitsText(difference, Decimals, false);
}
