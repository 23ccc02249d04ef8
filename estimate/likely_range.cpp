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

std::optional<LikelyRange> Likely(const EstimateValue& v)
{
    const HangingRatio& ratio = v.likelyRatio;
    if (v.species == Species::None || !RatioProblem(ratio.low, ratio.high).isEmpty() ||
        !(v.weightFactor > 0))
        return std::nullopt;
    // A flat charge does not follow the weight; a weight on the rail is known.
    if (v.species == Species::Deer && v.processingRate.isEmpty())
        return std::nullopt;
    if (v.share ? v.share->weighed : v.hanging.typed)
        return std::nullopt;
    const auto hanging = StrictNumber(v.hanging.text);
    if (!hanging || *hanging <= 0 || !v.hanging.isCurrent() || !v.total.isCurrent() ||
        !v.processing.isCurrent())
        return std::nullopt;
    // What moves with the hanging weight, and what stays.
    double moves = LeadingNumber(v.processing.text);
    const double total = LeadingNumber(v.total.text);
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
        moves += LeadingNumber(v.share->surcharge.text);
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
    const QString lowest = percent(ratio.low), highest = percent(ratio.high),
                  counts = percent(v.weightFactor);
    const QString of = deer ? QStringLiteral("field-dressed") : QStringLiteral("live");
    range.words =
        QStringLiteral("The hanging weight is not known until after the kill: it is usually %1 % "
                       "to %2 % of the %3 weight (this quote takes %4 %). The bill follows the "
                       "weight hung on the rail.")
            .arg(lowest, highest, of, counts);
    // A quote figured outside the range is told plainly which way its bill goes.
    constexpr double Margin = 1e-9;
    if (v.weightFactor < ratio.low - Margin || v.weightFactor > ratio.high + Margin)
        range.caution =
            QStringLiteral("The bill is usually %1: hanging weight is often %2–%3 % of %4 "
                           "weight; this quote counts %5 %.")
                .arg(v.weightFactor < ratio.low ? QStringLiteral("higher")
                                                : QStringLiteral("lower"),
                     lowest, highest, of, counts);
    return range;
}

double RatioHundredths(double ratio)
{
    const auto units = ScaledUnits(ratio, 2, HalfRounding::AwayFromZero);
    return units ? double(*units) / 100 : ratio;
}

QString RatioText(double ratio)
{
    const auto units = ScaledUnits(ratio, 2, HalfRounding::AwayFromZero);
    return units ? UnitsText(*units, 2, true) : NumberText(ratio);
}

QString LikelyText(const LikelyRange& range)
{
    return QStringLiteral("likely between %1 and %2")
        .arg(MoneyText(range.totalLow), MoneyText(range.totalHigh));
}

QList<Adoption> Adoptions(const AccuracyReport& report, bool middle, bool forQuotes,
                          const ShopWideSettings& settings)
{
    QList<Adoption> adoptions;
    for (const SpeciesAccuracy& s : report.species) {
        Adoption a;
        a.species = s.species;
        a.weighed = s.weighed;
        Species species = Species::Beef;
        for (const Species known : {Species::Beef, Species::Pork, Species::Deer})
            if (SpeciesName(known) == s.species)
                species = known;
        const std::optional<RatioSetting> now = settings.ratio(s.species);
        a.beforeIsShops = now && RatioProblem(now->low, now->high).isEmpty();
        a.before = a.beforeIsShops ? HangingRatio{now->low, now->high, now->middle}
                                   : DefaultRatio(species);
        if (!s.ratio || s.weighed < FewestWeighed) {
            adoptions << a;
            continue;
        }
        a.setting.low = RatioHundredths(s.ratio->low);
        a.setting.high = RatioHundredths(s.ratio->high);
        if (middle) {
            a.setting.middle = RatioHundredths(s.ratio->median);
            a.setting.forQuotes = forQuotes || (a.beforeIsShops && now->forQuotes);
        } else if (a.beforeIsShops) {
            a.setting.middle = now->middle;
            a.setting.forQuotes = now->forQuotes;
        }
        a.problem = RatioProblem(a.setting.low, a.setting.high);
        if (a.problem.isEmpty() && a.setting.forQuotes &&
            (a.setting.middle < LowestRatio || a.setting.middle > HighestRatio))
            a.problem = QStringLiteral("Its middle, %1, cannot figure the quotes. %2")
                            .arg(RatioText(a.setting.middle),
                                 RatioProblem(LowestRatio - 1, LowestRatio - 1));
        a.outcome = a.problem.isEmpty() ? Adoption::Set : Adoption::NotAllowed;
        adoptions << a;
    }
    return adoptions;
}

StoreResult AdoptRanges(PriceSource& shop, const AccuracyReport& report, bool middle,
                        bool forQuotes, QList<Adoption>* adopted)
{
    ShopWideSettings settings = shop.shopSettings();
    const QList<Adoption> adoptions = Adoptions(report, middle, forQuotes, settings);
    if (adopted)
        *adopted = adoptions;
    bool any = false;
    for (const Adoption& a : adoptions)
        if (a.outcome == Adoption::Set) {
            settings.ratios.insert(a.species, a.setting);
            any = true;
        }
    return any ? shop.saveShopSettings(settings) : StoreResult();
}

QString AdoptionWords(const QString& species, const RatioSetting& setting)
{
    const QString of = species == SpeciesName(Species::Deer)
                           ? QStringLiteral("the field-dressed weight")
                           : QStringLiteral("the live weight");
    QString words = QStringLiteral("%1: %2 to %3 of %4")
                        .arg(species, RatioText(setting.low), RatioText(setting.high), of);
    if (setting.middle > 0)
        words += QStringLiteral(", middle %1").arg(RatioText(setting.middle));
    if (setting.forQuotes && setting.middle > 0)
        words += QStringLiteral(", used for quotes");
    return words;
}
