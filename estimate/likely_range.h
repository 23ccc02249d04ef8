#pragma once

// A likely range on every quote. The hanging weight of the same live weight
// varies with breed, fill and finish, so the shop sets, per species, the range
// of the hanging weight as a share of the live (or field-dressed) weight; the
// quote keeps its own figure, and the range gives the hanging weight and the
// total that the customer should expect between.

#include "book/quote_report.h"
#include "core/shop_settings.h"
#include "estimate/estimate_value.h"
#include "pricelist/price_source.h"

#include <QString>
#include <cstdint>
#include <optional>

constexpr double LowestRatio = 0.3;
constexpr double HighestRatio = 0.9;

// Why a range cannot be set, with the range allowed; empty when it can.
QString RatioProblem(double low, double high);

// The published dressing figures: beef 0.58 to 0.64 of the live weight, hogs
// 0.70 to 0.74; deer 0.62 to 0.70 of the field-dressed weight around the
// shop's own factor.
HangingRatio DefaultRatio(Species species);

// The quote's likely range: the hanging weight and the total between.
struct LikelyRange {
    QString hangingLow, hangingHigh;          // pounds
    std::int64_t totalLow = 0, totalHigh = 0; // cents
    // The assumption, in words a customer reads.
    QString words;
    // When the quote's own factor lies outside the range, one short line that
    // says which way the bill usually goes ("The bill is usually higher: ...");
    // empty when it lies inside.
    QString caution;
};

// The range of an estimate at the shop's range it was figured at (its
// likelyRatio): each figure that follows the hanging weight (processing, the
// services figured from it, a split side's surcharge) taken at the low and
// the high end; the kill fee and what was weighed or counted on a worksheet
// stay. The one rule for the screen, the printout, the save and the report.
// No value when there is nothing to range: no species or range, no usable
// weight, a figure that is not current, a deer at its flat charge, a hanging
// weight typed (weighed) or a share weighed after the kill.
std::optional<LikelyRange> Likely(const EstimateValue& estimate);

// A share of the live weight as the shop's ranges are written and adopted:
// to two decimals, a half away from zero (0.695 gives 0.70).
double RatioHundredths(double ratio);
// The same as text: "0.70".
QString RatioText(double ratio);

// The fewest weighed animals of a species that its range is adopted from.
constexpr int FewestWeighed = 5;

// What adopting the measured ranges of a report sets, one species each: the
// 10th to the 90th percentile of the weighed hanging weight ÷ the live
// weight, to two decimals as the report prints them; with `middle` the
// median too, which figures the species' quotes when `forQuotes`. Without
// `middle`, a middle adopted before stays, and whether it figures the quotes.
struct Adoption {
    QString species;
    enum Outcome {
        Set,       // `setting` is to be saved
        TooFew,    // fewer than FewestWeighed weighed
        NotAllowed // the measured range is outside what a range may be (`problem`)
    } outcome = TooFew;
    int weighed = 0;
    RatioSetting setting;
    // The species' range now: the shop's, or the published figures.
    HangingRatio before;
    bool beforeIsShops = false;
    QString problem;
};
// `now`: the shop's settings as they are.
QList<Adoption> Adoptions(const AccuracyReport& report, bool middle, bool forQuotes,
                          const ShopWideSettings& now);

// Adopts the measured ranges of the report: each species that may be set is,
// all in one save of the shop's settings to the store (`shop`), the same for
// every counter. The adoptions, with what each came to, in `adopted` (when
// given); not done, with the reason, when the store refused (nothing was
// set then).
StoreResult AdoptRanges(PriceSource& shop, const AccuracyReport& report, bool middle,
                        bool forQuotes, QList<Adoption>* adopted = nullptr);

// "Beef: 0.59 to 0.63 of the live weight, middle 0.61, used for quotes"
QString AdoptionWords(const QString& species, const RatioSetting& setting);

// "likely between $1234.00 and $1356.50"
QString LikelyText(const LikelyRange& range);
