#include "estimate/curing_rules.h"

#include "core/numbers.h"
#include "estimate/estimate_rules.h"

#include <cmath>

namespace CuringRules {

const std::array<Role, RoleCount>& Roles()
{
    static const std::array<Role, RoleCount> roles = {{
        {ServiceId::PorkCuring, QStringLiteral("Curing Worksheet"), {255, 224, 192}, true},
        {ServiceId::PorkSausage, QStringLiteral("Sausage Worksheet"), {192, 255, 192}, true},
        {ServiceId::Cutlets, QStringLiteral("Cutlet Worksheet"), {255, 192, 192}, false},
    }};
    return roles;
}

const Role* RoleFor(ServiceId service)
{
    for (const Role& role : Roles())
        if (role.service == service)
            return &role;
    return nullptr;
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
    const QString problem = EstimateRules::PoundsProblem(text);
    if (!problem.isEmpty())
        return problem;
    if (!RoundHalfEven(*StrictNumber(text)))
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
