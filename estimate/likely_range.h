#pragma once

// A likely range on every quote. The hanging weight of the same live weight
// varies with breed, fill and finish, so the shop sets, per species, the range
// of the hanging weight as a share of the live (or field-dressed) weight; the
// quote keeps its own figure, and the range gives the hanging weight and the
// total that the customer should expect between.

#include "estimate/estimate_value.h"

#include <QString>
#include <cstdint>
#include <optional>

// The hanging weight as a share of the live weight.
struct HangingRatio {
    double low = 0, high = 0;
    // The measured middle, when the owner adopted one from the shop's own
    // bills; 0 while none was.
    double middle = 0;

    bool operator==(const HangingRatio&) const = default;
};

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
};

// The range of an estimate: each figure that follows the hanging weight
// (processing, the services figured from it, a split side's surcharge) taken
// at the low and the high end; the kill fee and what was weighed or counted
// on a worksheet stay. No value when there is no species, no usable weight or
// a figure that is not current.
std::optional<LikelyRange> Likely(const EstimateValue& estimate, const HangingRatio& ratio);

// "likely between $1234.00 and $1356.50"
QString LikelyText(const LikelyRange& range);
