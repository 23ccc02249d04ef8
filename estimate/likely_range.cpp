#include "estimate/likely_range.h"

#include "core/money.h"
#include "core/numbers.h"
#include "estimate/estimate_rules.h"
#include "estimate/service_catalog.h"

#include <cmath>

QString RatioProblem(double low, double high)
{
    const QString allowed = QStringLiteral("The hanging weight is given as a share of the live "
                                           "weight from %1 to %2.")
                                .arg(NumberText(LowestRatio), NumberText(HighestRatio));
    if (!std::isfinite(low) || !std::isfinite(high) || low < LowestRatio || high > HighestRatio ||
        low > HighestRatio || high < LowestRatio)
        return allowed;
    if (low > high)
        return QStringLiteral("The low end (%1) is above the high end (%2). %3")
            .arg(NumberText(low), NumberText(high), allowed);
    return QString();
}

HangingRatio DefaultRatio(Species species)
{
    switch (species) {
    case Species::Beef:
        return {0.58, 0.64, 0};
    case Species::Pork:
        return {0.70, 0.74, 0};
    case Species::Deer:
        return {0.62, 0.70, 0};
    case Species::None:
        break;
    }
    return {};
}

namespace {

// A service row's charge moves with the hanging weight when it was figured
// from it.
bool followsHanging(const EstimateValue& v, ServiceId id)
{
    const ServiceInfo& s = Service(id);
    switch (s.figuring) {
    case Figuring::HangingShare:
    case Figuring::WholeHanging:
    case Figuring::CureProducts:
        return !v.row(id).charge.typed;
    case Figuring::Worksheet:
        return v.row(id).figuredFor.has_value() && !v.row(id).charge.typed;
    case Figuring::PaperWrapp:
    case Figuring::Notice:
        break;
    }
    return false;
}

QString pounds(double weight)
{
    const auto whole = ScaledUnits(weight, 0, HalfRounding::ToEven);
    return whole ? QString::number(*whole) : NumberText(weight);
}

} // namespace

std::optional<LikelyRange> Likely(const EstimateValue& v, const HangingRatio& ratio)
{
    if (v.species == Species::None || !RatioProblem(ratio.low, ratio.high).isEmpty() ||
        !(v.weightFactor > 0))
        return std::nullopt;
    const auto hanging = StrictNumber(v.hanging.text);
    if (!hanging || *hanging <= 0 || !v.hanging.isCurrent() || !v.total.isCurrent() ||
        !v.processing.isCurrent())
        return std::nullopt;
    // What moves with the hanging weight, and what stays.
    double moves = v.species == Species::Deer ? 0 : LeadingNumber(v.processing.text);
    double total = LeadingNumber(v.total.text);
    for (const ServiceInfo& s : Services()) {
        if (!v.counts(s.id))
            continue;
        if (!v.row(s.id).charge.isCurrent())
            return std::nullopt;
        if (followsHanging(v, s.id))
            moves += LeadingNumber(v.row(s.id).charge.text);
    }
    if (v.share) {
        if (!v.share->surcharge.isCurrent())
            return std::nullopt;
        const double surcharge = LeadingNumber(v.share->surcharge.text);
        moves += surcharge;
        total += surcharge;
    }
    const double stays = total - moves;
    const double low = *hanging * ratio.low / v.weightFactor;
    const double high = *hanging * ratio.high / v.weightFactor;
    const auto lowCents = CentsOf(NumberText(stays + moves * ratio.low / v.weightFactor));
    const auto highCents = CentsOf(NumberText(stays + moves * ratio.high / v.weightFactor));
    if (!lowCents || !highCents)
        return std::nullopt;
    LikelyRange range;
    range.hangingLow = pounds(low);
    range.hangingHigh = pounds(high);
    range.totalLow = *lowCents;
    range.totalHigh = *highCents;
    const bool deer = v.species == Species::Deer;
    const auto percent = [](double r) {
        return NumberText(Round15(r * 100));
    };
    range.words =
        QStringLiteral("The hanging weight is not known until after the kill: it is usually %1 % "
                       "to %2 % of the %3 weight (this quote takes %4 %). The bill follows the "
                       "weight hung on the rail.")
            .arg(percent(ratio.low), percent(ratio.high),
                 deer ? QStringLiteral("field-dressed") : QStringLiteral("live"),
                 percent(v.weightFactor));
    return range;
}

QString LikelyText(const LikelyRange& range)
{
    return QStringLiteral("likely between %1 and %2")
        .arg(MoneyText(range.totalLow), MoneyText(range.totalHigh));
}
