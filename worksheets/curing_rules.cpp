#include "curing_rules.h"

#include "numbers.h"
#include "price_items.h"

#include <cmath>

namespace CuringRules {

const std::array<Role, RoleCount>& Roles()
{
    static const std::array<Role, RoleCount> roles = {{
        {PriceItem::Curing,
         QStringLiteral("Curing Worksheet"),
         {255, 224, 192},
         19,
         26,
         0.42,
         true},
        {PriceItem::SausageSeasoning,
         QStringLiteral("Sausage Worksheet"),
         {192, 255, 192},
         20,
         27,
         0.2,
         true},
        {PriceItem::MinuteSteaks,
         QStringLiteral("Cutlet Worksheet"),
         {255, 192, 192},
         21,
         28,
         0.2,
         false},
    }};
    return roles;
}

const Role* RoleFor(const QString& cureItem)
{
    for (const Role& role : Roles())
        if (role.cureItem == cureItem)
            return &role;
    return nullptr;
}

const Role& DesignRole()
{
    return Roles()[0];
}

bool RefusesBacon(const Role& role, const CutSelection& selected)
{
    return !role.baconAllowed && selected[BaconCut];
}

bool AnySelected(const CutSelection& selected)
{
    for (const bool on : selected)
        if (on)
            return true;
    return false;
}

std::optional<double> CutTotal(double hanging, const CutSelection& selected)
{
    double total = 0;
    for (int i = 0; i < CutCount; ++i) {
        if (!selected[i])
            continue;
        total = Round15(total + Round15(hanging * Cuts[i].share));
        if (!std::isfinite(total))
            return std::nullopt;
    }
    return total;
}

QString TotalProblem(const QString& text)
{
    if (text.trimmed().isEmpty())
        return QStringLiteral("There is no total weight.");
    const auto total = StrictNumber(text);
    if (!total)
        return QStringLiteral("\"%1\" is not a number of pounds.").arg(text.trimmed());
    if (!RoundHalfEven(*total))
        return QStringLiteral("%1 pounds is too many to charge for.").arg(text.trimmed());
    return QString();
}

std::optional<std::int64_t> WholePounds(const QString& text)
{
    const auto total = StrictNumber(text);
    return total ? RoundHalfEven(*total) : std::nullopt;
}

QString PoundsText(std::int64_t pounds)
{
    return NumberText(static_cast<double>(pounds));
}

QString Charge(std::int64_t pounds, double pricePerPound)
{
    return NumberText(Round15(static_cast<double>(pounds)) * pricePerPound);
}

} // namespace CuringRules
