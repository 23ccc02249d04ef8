#pragma once

// The figuring of the jerky and fajita worksheets: the cuts a customer picks
// for the meat, the share of the hanging weight each one gives, the full-round
// rule and the running total weight. Both screens are one design; what differs
// between them is one small table of data.

#include "estimate/service_catalog.h"

#include <QString>
#include <array>
#include <optional>

namespace CutRules {

// The cuts, in the order the list shows them. The index is the list row.
enum Cut : int {
    Arm = 0,
    Chuck = 1,
    FlankAndSkirt = 2,
    RoundFull = 3,
    RoundTop = 4,
    RoundBottom = 5,
    RoundEye = 6,
    SirloinTip = 7,
    Sirloin = 8,
    Trimmings = 9,
};
constexpr int CutCount = 10;

// The list's items, top to bottom.
extern const std::array<const char*, CutCount> CutNames;

// The parts of the full round, which the full round excludes.
constexpr std::array<int, 3> PartRounds = {RoundTop, RoundBottom, RoundEye};

// "Trimmings" weigh the same whatever the animal weighs.
constexpr double TrimmingsPounds = 6;

using CutSelection = std::array<bool, CutCount>;

// What sets one of the two screens apart from the other.
struct CutScreen {
    QString objectName;
    QString caption;
    ServiceId service; // the service it figures, and so its price item
    double sirloinShare;
};

enum class CutScreenKind { Jerky, Fajita };

// The table of the two screens.
const CutScreen& CutScreenOf(CutScreenKind kind);

// The share of the hanging weight that a cut gives (0 for "Trimmings", whose
// weight is fixed).
double CutShare(int cut, double sirloinShare);

// True when a selected cut is figured from the hanging weight.
bool NeedsHangingWeight(const CutSelection& selected);

// True when the full round and any of its parts are selected together.
bool FullRoundConflict(const CutSelection& selected);

// The selection with the parts of the full round taken out when the full
// round is selected: the full round always wins.
CutSelection FullRoundWins(CutSelection selected);

// The total weight of the selected cuts, as field text: each cut's weight is
// taken at 15 significant digits and the running sum is kept at 15 digits
// after every cut. "0" when nothing is selected.
QString RunningTotal(const CutSelection& selected, double hanging, double sirloinShare);

// The charge for a weight at a price per pound, as field text (not rounded to
// cents). No value when the product is too large to be a figure.
std::optional<QString> CutCharge(double weight, double pricePerPound);

} // namespace CutRules
