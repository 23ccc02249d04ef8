#pragma once

// The cut sheet: the customer's instructions for the cutting room, and the
// meat they take home. A master for each species, kept by the owner, lists
// the primals in the order the cutting room works them (each with its share
// of the hanging weight, where on the carcass it lies, and what it may
// become), the ground meat's packages and leanness, and what may be kept.
// A sheet holds one customer's choices for their part of the animal; the
// likely take-home weight follows from the hanging weight and the choices,
// at the owner's yields (published figures until the owner sets them).

#include "core/shop_settings.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// What a primal becomes.
enum class PrimalUse { Steaks, Roasts, Ground, Stew, Cured, Smoked };
constexpr PrimalUse PrimalUses[] = {PrimalUse::Steaks, PrimalUse::Roasts, PrimalUse::Ground,
                                    PrimalUse::Stew,   PrimalUse::Cured,  PrimalUse::Smoked};
// "steaks", "roasts", "ground", "stew", "cured", "smoked".
QString UseWords(PrimalUse use);
std::optional<PrimalUse> UseFromWords(const QString& words);

// Where on the carcass a primal lies: a front quarter's or a hind quarter's.
enum class Quarter { Front, Hind };

struct Primal {
    QString name;     // "Chuck", "Loin"
    double share = 0; // of the hanging weight
    Quarter quarter = Quarter::Front;
    QList<PrimalUse> uses; // what it may become, its standard use first
    bool operator==(const Primal&) const = default;
};

struct CutMaster {
    QString species; // "Beef", "Pork", "Deer"
    QList<Primal> primals;
    QStringList packages; // the ground meat's package sizes ("1 lb", "2 lb")
    QStringList leanness; // "80/20", "85/15", "90/10"
    QStringList keeps;    // "Liver", "Heart", "Tongue", ...
    // The keeps an animal has one of (a tongue, a heart): two buyers of
    // one animal cannot both keep it.
    QStringList onlyOne;

    const Primal* primal(const QString& name) const;
    bool operator==(const CutMaster&) const = default;

    // The sample's master of a species: a shop's sensible start.
    static CutMaster Sample(const QString& species);
    // As the store keeps it, a line each: "primal Chuck|0.26|front|roasts
    // steaks ground" (its standard use first), "packages 1 lb|2 lb", "lean
    // 80/20|85/15", "keeps Liver|Heart|Tongue", "one Heart|Tongue"; read
    // back, no value (and the line that is wrong in `problem`) when the text
    // is not one.
    QString text() const;
    static std::optional<CutMaster> fromText(const QString& species, const QString& text,
                                             QString* problem);
};

// The master of a species as the owner keeps it with the shop's settings;
// the sample's while the owner set none (or what is kept cannot be read).
CutMaster MasterOf(const ShopWideSettings& settings, const QString& species);

// The part of the animal a sheet covers: its primals are those of the
// quarters it holds, and their weight its part of them.
enum class SheetPart { Whole, Half, FrontQuarter, HindQuarter, SplitSideQuarter };
// "whole", "half", "front quarter", "hind quarter", "split-side quarter".
QString PartWords(SheetPart part);
std::optional<SheetPart> PartFromWords(const QString& words);
// The share of a primal's weight that the part holds.
double PartOf(SheetPart part, Quarter quarter);

// One customer's choice for one primal.
struct PrimalChoice {
    QString primal;
    PrimalUse use = PrimalUse::Steaks;
    double thickness = 0;   // inches, for steaks; 0: the shop's own
    int perPackage = 0;     // steaks or chops to a package; 0: the shop's own
    double roastPounds = 0; // for roasts; 0: the shop's own
    bool boneless = false;
    bool operator==(const PrimalChoice&) const = default;
};

// A change made to a sheet once its carcass was cut: who made it, when, and
// what changed (the lines of ChoiceLines that differ, "Chuck: roasts, 3 lb
// → Chuck: ground").
struct SheetChange {
    QString who;
    QDateTime when;
    QString what;
    bool operator==(const SheetChange&) const = default;
};

struct CutSheet {
    QString species;
    SheetPart part = SheetPart::Whole;
    QList<PrimalChoice> choices; // in the master's order; a primal not chosen goes its standard way
    QString package, lean;       // the ground meat's; empty: the shop's own
    QStringList keeps;
    QList<SheetChange> changes; // made after the carcass was cut, the oldest first
    bool operator==(const CutSheet&) const = default;
};

// The choice a sheet makes for a primal of the master: its own, or the
// primal's standard use.
PrimalChoice ChoiceFor(const CutSheet& sheet, const Primal& primal);

// The sheet as the cutting room reads it, a line each: every primal the part
// holds in the master's order ("Chuck: roasts, 3 lb", "Rib: steaks, 1 in
// thick, 2 to a package, boneless"), then the ground meat ("Ground: 1 lb
// packages, 85/15") and the keeps ("Keep: Liver, Heart"). Empty choices read
// "the shop's usual".
QStringList ChoiceLines(const CutSheet& sheet, const CutMaster& master);
// What changed from one sheet to the other, in those lines ("Chuck: roasts →
// Chuck: ground"); empty when nothing did.
QString ChangeWords(const CutSheet& before, const CutSheet& after, const CutMaster& master);

// What a sheet asks that cannot be done, each in the clerk's words: a
// primal the master does not have or the part does not hold, a primal
// chosen two ways ("Chuck is both steaks and ground"), a use the primal
// cannot have, a keep the master does not list, a package or leanness it
// does not offer, a thickness or package count out of reason. Empty when
// none.
QStringList Contradictions(const CutSheet& sheet, const CutMaster& master);
// The same across the sheets of one animal's buyers: a keep the animal has
// only one of, kept by two of them ("2 buyers keep the Tongue; the animal
// has one"), or parts holding more of a quarter than the animal has.
QStringList AnimalContradictions(const QList<CutSheet>& sheets, const CutMaster& master);

// The share of a primal's weight that comes home as meat, by use, bone-in
// and boneless: the owner's, or the published starting figures.
struct Yields {
    QMap<PrimalUse, double> boneIn, boneless;
    // The weight of a package of cuts and of ground meat, in pounds, for
    // counting the packages.
    double cutPackage = 2, groundPackage = 1;
    // What a carcass gives against these yields: the middle the owner
    // adopted from the shop's pickups (1 until then), and how far below and
    // above it one carcass goes (a few in the hundred, as published).
    double measured = 1, low = 0.96, high = 1.04;
    double of(PrimalUse use, bool boneless) const;
    bool operator==(const Yields&) const = default;
    // The published figures of a species (see the README's sources).
    static Yields Published(const QString& species);
    // What the owner adopted, as the store keeps it: "measured 0.97 0.94
    // 1.01" (the middle, then the low and the high end around it).
    QString adoptedText() const;
};

// The yields of a species as the owner adopted them with the shop's
// settings: the published figures at the measured middle and ends; the
// published figures alone while none were adopted (or what is kept cannot be
// read).
Yields YieldsOf(const ShopWideSettings& settings, const QString& species);

// The meat the customer is likely to take home: between `low` and `high`
// pounds, in about `packages` packages.
struct TakeHome {
    double low = 0, high = 0;
    int packages = 0;
    // "about 310–350 lb of meat, in about 180 packages".
    QString words() const;
};

// The take-home of a sheet from the hanging weight of the whole animal
// (its likely range before the kill: `hangingLow` to `hangingHigh`; the
// weighed weight after it, both the same). No value while the hanging
// weight is not known.
std::optional<TakeHome> LikelyTakeHome(double hangingLow, double hangingHigh, const CutSheet& sheet,
                                       const CutMaster& master, const Yields& yields);
