#pragma once

// The figuring of the Estimate screen as plain functions of numbers and field
// texts. The screen reads its fields, calls these, and writes the results.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace EstimateRules {

// Hanging weight per pound of entered weight.
constexpr double BeefFactor = 0.5;
constexpr double PorkFactor = 0.66;
constexpr double DeerFactor = 0.66;

// Prices used while the database flag is unticked.
inline const QString FallbackBeefKill = QStringLiteral("17.00");
inline const QString FallbackPorkKill = QStringLiteral("17");
constexpr double FallbackProcessing = 0.37;
constexpr double FallbackCuring = 0.42;

// The heaviest animal the counter takes, in pounds.
constexpr double MaxWeight = 100000;

// Why a typed weight cannot be used, in plain words; empty when it can.
// An empty text is a weight of 0.
QString WeightProblem(const QString& text);

// The weight typed, when it can be used (see WeightProblem).
std::optional<double> UsableWeight(const QString& text);

// Why a figure field's text is not a number; empty when it is one or is empty.
QString FigureProblem(const QString& text);

// The hanging weight read from its text, for the Estimate screen and every
// worksheet alike. When it is not a number, `problem` tells the clerk so.
std::optional<double> ReadHangingWeight(const QString& text, QString* problem);

// Why a weight that a service is charged for cannot be used, in plain words:
// it must be a number of pounds. Empty when it can.
QString PoundsProblem(const QString& text);

// A service figured from the hanging weight: its weight and charge texts.
struct ServiceFigure {
    QString weight;
    QString charge;
};

// A share of the hanging weight (tenderising 0.0686, minute steaks 0.06), at
// the given price per pound; the charge is figured from the weight as shown.
ServiceFigure ShareOfHanging(double hanging, double share, double pricePerPound);

// Cooling: the whole hanging weight (its text as shown), at the given price.
ServiceFigure Cooling(const QString& hangingText, double hanging, double pricePerPound);

// A weight times a price per pound, as field text.
QString Charge(double weight, double pricePerPound);

// The price per pound behind a charge written back by a worksheet (its charge
// is its weight times one price, not yet rounded): that price, at most four
// decimals. Empty when there is no single price or no weight to tell it by.
QString RateOf(const QString& weight, const QString& charge, bool singlePrice);

// A charge rounded to whole cents, a half cent going to the even cent
// (0.185 gives "0.18", 0.195 gives "0.2", 12.355 gives "12.36").
QString WholeCents(double charge);

// The total estimated price: kill + processing + the beef and pork service
// charges, each read for its leading number, the running sums kept at 15
// significant digits.
QString Total(const QString& kill, const QString& processing, const QStringList& beefCharges,
              const QStringList& porkCharges);

// The beef cure products, in list order.
constexpr int CureProductCount = 5;
using CureSelection = std::array<bool, CureProductCount>;
enum CureProduct {
    BeefBaconBrisket = 0,
    BeefBaconRibs = 1,
    CornedBeefBrisket = 2,
    CornedBeefRound = 3,
    BbqBrisket = 4,
};

// The products as the list shows them.
constexpr const char* CureProductNames[CureProductCount] = {
    "Beef Bacon (Brisket)", "Beef Bacon (Ribs)", "Corned Beef (Brisket)",
    "Corned Beef (Round)",  "BBQ Brisket",
};

// A beef has two briskets: all three brisket products at once cannot be.
bool TooManyBriskets(const CureSelection& selected);

// Pounds of beef cured for the selected products, as field text.
QString CuredPounds(double hanging, const CureSelection& selected, bool topRoundOnly);

} // namespace EstimateRules
