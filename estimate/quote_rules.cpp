#include "estimate/quote_rules.h"

#include "core/numbers.h"
#include "core/shop_settings.h"
#include "estimate/estimate_rules.h"
#include "estimate/likely_range.h"

#include <cmath>

namespace {

class Published : public QuoteRules {
public:
    HangingRatio ratio(Species species) const override { return DefaultRatio(species); }
    std::optional<double> adoptedFactor(Species) const override { return std::nullopt; }
};

// A species' setting as the figuring takes it: a range that may not be (one
// edited by hand) is not the shop's, and a middle outside what a factor may
// be does not figure the quotes.
std::optional<RatioSetting> usable(const ShopWideSettings& settings, Species species)
{
    const std::optional<RatioSetting> saved = settings.ratio(SpeciesName(species));
    if (!saved || !RatioProblem(saved->low, saved->high).isEmpty())
        return std::nullopt;
    return saved;
}

} // namespace

CutMaster QuoteRules::master(Species species) const
{
    return CutMaster::Sample(SpeciesName(species));
}

Yields QuoteRules::yields(Species species) const
{
    return Yields::Published(SpeciesName(species));
}

const QuoteRules& PublishedRules()
{
    static const Published rules;
    return rules;
}

StoreRules::StoreRules(PriceSource& store)
    : store_(store)
{}

HangingRatio StoreRules::ratio(Species species) const
{
    const std::optional<RatioSetting> s = usable(store_.shopSettings(), species);
    return s ? HangingRatio{s->low, s->high, s->middle} : DefaultRatio(species);
}

std::optional<double> StoreRules::adoptedFactor(Species species) const
{
    const std::optional<RatioSetting> s = usable(store_.shopSettings(), species);
    if (!s || !s->forQuotes || !(s->middle >= LowestRatio && s->middle <= HighestRatio))
        return std::nullopt;
    return s->middle;
}

CutMaster StoreRules::master(Species species) const
{
    return MasterOf(store_.shopSettings(), SpeciesName(species));
}

Yields StoreRules::yields(Species species) const
{
    return YieldsOf(store_.shopSettings(), SpeciesName(species));
}

double QuoteFactor(const QuoteRules& rules, Species species)
{
    namespace R = EstimateRules;
    if (const auto adopted = rules.adoptedFactor(species))
        return *adopted;
    switch (species) {
    case Species::Pork:
        return R::PorkFactor;
    case Species::Deer:
        return R::DeerFactor;
    case Species::Beef:
    case Species::None:
        break;
    }
    return R::BeefFactor;
}

QString FactorHint(const QuoteRules& rules, Species species)
{
    if (const auto adopted = rules.adoptedFactor(species))
        return QStringLiteral("About %1 % Of %2 Weight")
            .arg(NumberText(Round15(std::round(*adopted * 1000) / 10)),
                 species == Species::Deer ? QStringLiteral("Field Dressed")
                                          : QStringLiteral("Live"));
    switch (species) {
    case Species::Beef:
        return QStringLiteral("About 1/2 Of Live Weight");
    case Species::Pork:
        return QStringLiteral("About 2/3 Of Live Weight");
    case Species::Deer:
    case Species::None:
        break;
    }
    return QString();
}
