#include "estimate/extra_boning_rules.h"

#include "core/numbers.h"

#include <algorithm>
#include <cmath>

namespace ExtraBoningRules {

std::optional<QString> AfterCutClicked(double weight, bool ticked)
{
    const double result = ticked ? weight + PoundsPerCut : std::max(0.0, weight - PoundsPerCut);
    if (!std::isfinite(result))
        return std::nullopt;
    return NumberText(result);
}

std::optional<BoningFigure> DoubledAndPriced(double weight, double pricePerPound)
{
    // The doubled weight is priced as it is shown.
    const double doubled = LeadingNumber(NumberText(weight + weight));
    const double charge = doubled * pricePerPound;
    if (!std::isfinite(weight + weight) || !std::isfinite(charge))
        return std::nullopt;
    return BoningFigure{NumberText(doubled), NumberText(charge)};
}

} // namespace ExtraBoningRules
