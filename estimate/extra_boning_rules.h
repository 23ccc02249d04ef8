#pragma once

// The figuring of the extra boning worksheet: the running weight of meat to
// bone, kept in steps of one cut, and the weight and charge that "Done" gives.

#include <QString>
#include <optional>

namespace ExtraBoningRules {

// The cut boxes: 0 to 7 down the left column, 8 to 15 down the right. The
// two "T-Bone" boxes count each by itself.
constexpr int CutCount = 16;
constexpr const char* CutNames[CutCount] = {
    "Short Ribs", "Boiling Beef", "Soup Bones",       "RibSteak",    "Chuck Steak", "Chuck Roast",
    "Arm Roast",  "Sirloin Tip",  "T-Bone",           "Porterhouse", "Round Steak", "Sirloin Steak",
    "T-Bone",     "Rump Roast",   "Pikes Peak Roast", "Stew Meat",
};

// Pounds of meat to bone for every cut ticked.
constexpr double PoundsPerCut = 5;

// The running weight after the clerk ticks (or clears) a cut box: ticking adds
// one cut's pounds, clearing takes them off again, never going below 0.
// No value when the result is too large to be a figure.
std::optional<QString> AfterCutClicked(double weight, bool ticked);

// What "Done" writes: the running weight doubled, and that weight priced.
struct BoningFigure {
    QString weight;
    QString charge; // not rounded to cents
};

// No value when the weight or the charge is too large to be a figure.
std::optional<BoningFigure> DoubledAndPriced(double weight, double pricePerPound);

} // namespace ExtraBoningRules
