#pragma once

// The shop's own rules for its quotes, which the figuring asks of the shop's
// settings as it asks prices of a price source: the range of the hanging
// weight per species that a quote's likely range is figured at, and the
// factor that a quote figures the hanging weight with where the owner
// adopted the measured middle for quotes.

#include "estimate/cut_sheet.h"
#include "estimate/estimate_value.h"
#include "pricelist/price_source.h"

#include <QString>
#include <optional>

class QuoteRules {
public:
    virtual ~QuoteRules() = default;
    // The shop's range for the species: its own, or the published figures.
    virtual HangingRatio ratio(Species species) const = 0;
    // The factor the owner adopted for the species' quotes; none while the
    // screen's own factors stand (a half for beef, 0.66 for pork and deer).
    virtual std::optional<double> adoptedFactor(Species species) const = 0;
    // The species' cut-sheet master and the yields its take-home is figured
    // at: the owner's, or the sample's and the published figures.
    virtual CutMaster master(Species species) const;
    virtual Yields yields(Species species) const;
};

// The published figures and the screen's own factors, for a shop that has
// set nothing (and for figuring with no settings at all).
const QuoteRules& PublishedRules();

// The shop's settings as its store keeps them beside the prices, the same at
// every counter: read again whenever the store may have changed (by the
// quote accuracy window, the tool, or another counter), so that the next
// figuring uses them.
class StoreRules : public QuoteRules {
public:
    explicit StoreRules(PriceSource& store);
    HangingRatio ratio(Species species) const override;
    std::optional<double> adoptedFactor(Species species) const override;
    CutMaster master(Species species) const override;
    Yields yields(Species species) const override;

private:
    PriceSource& store_;
};

// The factor a quote figures the hanging weight with for the species, and
// the hint beside the hanging weight that tells it: the screen's own ("About
// 1/2 Of Live Weight") until the owner adopts one ("About 61 % Of Live
// Weight"). The hint is empty for deer at the screen's own factor.
double QuoteFactor(const QuoteRules& rules, Species species);
QString FactorHint(const QuoteRules& rules, Species species);
