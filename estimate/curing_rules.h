#pragma once

// The figuring of the curing worksheet (frmCure) as plain functions of numbers
// and field texts: its three roles, the pork cuts with their shares of the
// hanging weight, the running total and the rounding to whole pounds.

#include "estimate/service_catalog.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace CuringRules {

struct Rgb {
    int red;
    int green;
    int blue;
};

// One service that the worksheet serves. Its price item and its price without
// the price list are the service's own (the service catalog).
struct Role {
    ServiceId service;
    QString caption;   // the screen's caption
    Rgb background;    // the screen's background colour
    bool baconAllowed; // false: "Bacon" cannot be made into this service
};

constexpr int RoleCount = 3;

// Curing, sausage seasoning and cutlets, in that order.
const std::array<Role, RoleCount>& Roles();

// The role of a service, or null when the worksheet does not serve it.
const Role* RoleFor(ServiceId service);

// The pork cuts, in list order, with the share of the hanging weight that each
// contributes.
struct Cut {
    const char* name;
    double share;
};

constexpr int CutCount = 11;
constexpr std::array<Cut, CutCount> Cuts = {{
    {"Hams", 0.2},
    {"Bacon", 0.075},
    {"Arkansas Bacon", 0.14},
    {"Loins", 0.15},
    {"Jowl", 0.023},
    {"Hocks", 0.023},
    {"Shoulders", 0.15},
    {"Picnic", 0.068},
    {"BostonButt", 0.082},
    {"Ribs", 0.021},
    {"Whole Hog Cured", 0.95},
}};
constexpr int BaconCut = 1;

using CutSelection = std::array<bool, CutCount>;

// True when the role refuses a cut that is selected (cutlets are not made out
// of "Bacon"); the screen then deselects "Bacon".
bool RefusesBacon(const Role& role, const CutSelection& selected);

bool AnySelected(const CutSelection& selected);

// The total weight of the selected cuts: each cut's share of the hanging
// weight, taken at 15 significant digits, added in list order to a running
// total that is itself kept at 15 significant digits (as when it is written to
// the total field and read back after every cut). No value when it goes beyond
// the range of a double.
std::optional<double> CutTotal(double hanging, const CutSelection& selected);

// Why a total field's text cannot be applied, in plain words; empty when it can.
QString TotalProblem(const QString& text);

// The total in the field rounded to whole pounds, a half going to the even
// neighbour (12.5 gives 12, 13.5 gives 14). No value when TotalProblem has one.
std::optional<std::int64_t> WholePounds(const QString& text);

// Whole pounds as field text.
QString PoundsText(std::int64_t pounds);

// Whole pounds, as they read in the field, at a price per pound, as field
// text; not rounded to cents.
QString Charge(std::int64_t pounds, double pricePerPound);

} // namespace CuringRules
