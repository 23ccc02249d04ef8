#pragma once

// One beef or hog sold in shares: a half, a quarter, a quarter cut from a
// split side, or a percentage to each buyer. Each share is an estimate of its
// own, whole (its customer, its own services), whose hanging weight and kill
// charge are its part of the animal's; a split-side quarter pays a surcharge
// per pound on top. The animal's kill fee and processing are divided to the
// cent: the cents that rounding leaves go to the shares that rounding moved
// the most, each in its own estimate. The animal is the sum of its shares'
// estimates and the part not sold yet, which is shown as such with its part
// of the kill and processing.

#include "core/clock.h"
#include "estimate/estimate_value.h"
#include "estimate/quote_rules.h"
#include "pricelist/price_source.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

// Parts are counted in hundredths of a percent of the whole animal.
constexpr int WholeAnimal = 10000;
constexpr int MostShares = 8;

enum class PartKind { Half, Quarter, SplitSideQuarter, Percent };

struct SharePart {
    PartKind kind = PartKind::Quarter;
    int hundredths = 0; // of a percent, for a Percent part (3333 is 33.33 %)

    // The part in hundredths of a percent of the animal.
    int ofWhole() const;
    double fraction() const { return ofWhole() / double(WholeAnimal); }
    bool splitSide() const { return kind == PartKind::SplitSideQuarter; }
    // "half", "quarter", "split-side quarter", "33.33 %".
    QString words() const;
    // A part from its words, or a percentage written "30", "30 %" or "12.5%"
    // (at most two decimals). No value, and `problem` says why, otherwise.
    static std::optional<SharePart> fromWords(const QString& text, QString* problem);

    bool operator==(const SharePart&) const = default;
};

// Why these parts cannot be saved, in plain words: no share, more than eight,
// a part of nothing or less, or more than the whole animal between them.
// Empty when they can (less than the whole is not sold yet: see UnsoldPart).
QString PartsProblem(const QList<SharePart>& parts);

// The part of the animal that no share holds, in hundredths of a percent
// (0 when it is all sold, negative when the parts are over the whole).
int UnsoldPart(const QList<SharePart>& parts);

// How the kill fee is divided: the shop's own setting.
enum class KillFeeSplit {
    ByPart,   // each share pays its part of the animal's kill fee
    OneBuyer, // one buyer pays all of it
    PerShare, // each share pays the price list's fee per share
};
QString KillFeeSplitWords(KillFeeSplit split);
std::optional<KillFeeSplit> KillFeeSplitFromKey(const QString& key);
QString KillFeeSplitKey(KillFeeSplit split);

// A division of something among the shares, and the part not sold yet.
struct Division {
    QList<double> shares;
    double unsold = 0;
};

// The animal's hanging weight divided by part.
Division DivideHanging(const QList<SharePart>& parts, double hanging);

// The two sides weighed: each share takes its pounds from the side, or the
// sides, it is cut from. Halves are laid out first, then quarters, then
// percentages, each in the order given: the first half of the animal is the
// first side, the rest the second.
Division DivideSides(const QList<SharePart>& parts, double firstSide, double secondSide);

// The kill fee divided as the shop divides it. `fee` is the animal's kill fee,
// `perShare` the fee per share, `payer` the share that pays all of it.
Division DivideKillFee(const QList<SharePart>& parts, KillFeeSplit split, double fee,
                       double perShare, int payer);

// Whole cents for each share's total and for the part not sold yet, adding up
// to the animal's total (their sum to the nearest cent). No value when a total
// is not a number.
struct ShareCents {
    QList<std::int64_t> shares;
    std::int64_t unsold = 0;
    std::int64_t animal = 0;
};
std::optional<ShareCents> CentsOfShares(const QList<double>& totals, double unsold);

// One buyer's share.
struct AnimalShare {
    QString customer;
    QString phone;
    SharePart part;
    // Its own estimate: the animal's species and live weight, its part of the
    // hanging weight and of the kill fee, the services this buyer asked for,
    // and (in `share`) which part of which animal it is.
    EstimateValue estimate;
    qint64 number = 0; // its saved estimate's number; 0 until saved

    bool operator==(const AnimalShare&) const = default;
};

// The animal and its shares.
struct AnimalValue {
    QString tag;
    Species species = Species::Beef;
    QString live = QStringLiteral("0"); // as typed
    KillFeeSplit killFee = KillFeeSplit::ByPart;
    int payer = 0; // the share that pays the whole kill fee (OneBuyer)
    QList<AnimalShare> shares;
    // After the kill: the hanging weight weighed, whole or the two sides
    // (empty while not weighed).
    QString weighed;
    QString firstSide, secondSide;

    bool weighedAfterKill() const;
    QList<SharePart> parts() const;
    bool operator==(const AnimalValue&) const = default;
};

// The part of the animal that is not sold yet.
struct UnsoldFigures {
    int part = 0; // hundredths of a percent
    double hanging = 0;
    // Figured as an estimate of its own: its part of the kill fee and the
    // processing, and its cents of the animal's rounding.
    EstimateValue estimate;
};

// The animal: the sums of its shares' estimates.
struct AnimalFigures {
    QString hanging; // the animal's hanging weight, as figured or weighed
    UnsoldFigures unsold;
    // Each share's total to the cent as its estimate has it, the part not
    // sold yet, and the animal (their sum). None while a total is not a number.
    std::optional<ShareCents> cents;
    // What stands in the way of saving: the parts, a price that could not be
    // had, a figure of a share that is not current. Empty when none.
    QStringList problems;
};

// Figures the shares of an animal at the prices of `prices` (the shop's
// price list while `priceListFlag` is ticked, else the built-in prices): each
// share's estimate gets its part of the hanging weight (figured from the live
// weight, or from the weights after the kill), its part of the kill fee, its
// split-side surcharge, its services figured again for its weight, and its
// cents of the animal's rounding. The shares' own services stay as the clerk
// chose them.
class AnimalShares {
public:
    AnimalShares(PriceSource& prices, const Clock& clock, bool priceListFlag,
                 const QuoteRules& rules = PublishedRules());

    AnimalFigures figure(AnimalValue& animal);
    // The animal as its shares' estimates stand (as saved: nothing of them is
    // figured again), with the part not sold yet figured.
    AnimalFigures sum(const AnimalValue& animal);
    // Each share's estimate as it is to be saved at `now`: the prices it was
    // figured at kept with it.
    void keep(AnimalValue& animal, const QDateTime& now);

private:
    PriceSource& prices_;
    const Clock& clock_;
    bool flag_;
    const QuoteRules& rules_;
};

// The animal as its shares' saved estimates tell it: the species, live
// weight, tag, the division of the kill fee and the weights after the kill.
AnimalValue AnimalOf(const QList<AnimalShare>& shares);

// The shop's sheet of the animal: each share's part, weight, charges and
// total to the cent as its own bill has them, the part not sold yet, and the
// animal's total, their sum. `head` gives the shop and the day printed.
struct EstimateSummary;
QString AnimalSheetHtml(const EstimateSummary& head, const AnimalValue& animal,
                        const AnimalFigures& figures);
