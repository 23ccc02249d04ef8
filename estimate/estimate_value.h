#pragma once

// One customer's estimate as a value: what the clerk typed, exactly as typed,
// every figured amount with its state, the choices made on the worksheets, and
// the prices it was figured with. It is copied, compared, saved and read back
// whole; it knows no screen, no file and no clock. What is only shown (the
// band expanded, the captions, the hint, which rows are visible) is kept apart
// from the figures, in `shown`.

#include "core/figure.h"
#include "estimate/cut_sheet.h"
#include "estimate/estimate_rules.h"
#include "estimate/sausage_rules.h"
#include "estimate/service_catalog.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <array>
#include <optional>

enum class Species { None, Beef, Pork, Deer };

// What a worksheet was given, kept with its service's row so that the row can
// be printed, billed and figured again without the worksheet.
struct SheetEntries {
    // The cuts or boxes chosen, by their index on the worksheet.
    QList<int> chosen;
    // The sausage worksheet's products, in the order they were ticked.
    QList<SausageRules::Entry> sausage;
    // The sausage worksheet's charge total before its figuring (other sausage
    // charges the clerk typed there).
    QString startingCharge;

    bool isEmpty() const { return chosen.isEmpty() && sausage.isEmpty(); }
    bool operator==(const SheetEntries&) const = default;
};

// One extra service.
struct ServiceRow {
    bool ticked = false;
    // The last click on its box was accepted (not refused for want of the
    // price list). A refused service is not figured or charged.
    bool accepted = false;
    Figure weight;
    Figure charge;
    // Dollars per pound behind the charge; empty when there is no single rate.
    QString rate;
    // For a row written by a worksheet from the hanging weight: the hanging
    // weight it was figured for.
    std::optional<double> figuredFor;
    // Its weight and charge were written by its worksheet (and can be
    // figured again from them); unticking it takes them away.
    bool fromSheet = false;
    SheetEntries entries;

    bool operator==(const ServiceRow&) const = default;
};

// What is only shown, never figured.
struct EstimateShown {
    bool expanded = false;
    QString weightCaption = QStringLiteral("Live Weight");
    QString speciesHint;
    bool porkNoteShown = false;
    bool cureProductsShown = false;
    std::array<bool, ServiceCount> boxShown{};
    std::array<bool, ServiceCount> fieldsShown{};

    bool operator==(const EstimateShown&) const = default;
};

// The words of a quarter cut from a split side, which pays the shop's
// surcharge per pound on top of its processing.
inline const QString SplitSideQuarterWords = QStringLiteral("split-side quarter");

// The part of one animal that an estimate is for, when a beef or hog is sold
// in shares (see animal_shares.h). Each share's estimate carries it, and with
// it everything of the buyer's bill that comes from the animal: its part of
// the hanging weight and of the kill fee are its own weights and charges, and
// its split-side surcharge and its cents of the animal's rounding count in
// its own total, so its bill reads the same wherever it is shown or printed.
struct ShareOfAnimal {
    QString tag;               // the carcass's tag, the same on every share of it
    QString part;              // "half", "quarter", "split-side quarter", "30 %"
    int share = 0, shares = 0; // this is share `share` (from 1) of `shares`
    QString animalHanging;     // the whole animal's hanging weight (quoted or weighed)
    bool weighed = false;      // weighed after the kill, not figured from the live weight
    // What was weighed after the kill, as typed: the whole hanging weight, or
    // the two sides (empty while not weighed).
    QString weighedWhole, firstSide, secondSide;
    QString killFeeKey;       // how the kill fee is divided ("by-part", ...)
    bool paysKillFee = false; // this share pays the whole kill fee (one buyer pays it)
    QString killFeeWords;     // how the kill fee is divided, in words
    // The split-side surcharge, figured by the estimate from its hanging
    // weight: its price per pound (empty when the part pays none) and the
    // amount ("0" when none).
    QString surchargeRate;
    Figure surcharge;
    // The animal's kill fee and processing are divided among its shares to
    // the cent: the dollars that this share's kill and processing are moved by
    // so that the shares' add up to the animal's (a fraction of a cent either
    // way, "0" when none). They count in the total and are billed with the
    // processing charge.
    QString leftover = QStringLiteral("0");
    // The buyer was taken off the animal after this was saved: it is an
    // estimate of its own now, no longer found under the tag.
    bool takenOff = false;

    bool splitSide() const { return part == SplitSideQuarterWords; }
    bool operator==(const ShareOfAnimal&) const = default;
};

// The hanging weight as a share of the live (or field-dressed) weight: the
// range it usually falls in, and the measured middle when the owner adopted
// one from the shop's own bills (0 while none was).
struct HangingRatio {
    double low = 0, high = 0;
    double middle = 0;

    bool isSet() const { return low > 0 && high > 0; }
    bool operator==(const HangingRatio&) const = default;
};

// Whose prices the estimate is figured at.
enum class PriceBasis {
    Today, // the price list's as it is now: every lookup asks it
    Kept,  // the rates kept with the estimate when it was saved
};

struct EstimateValue {
    Species species = Species::None;
    // Hanging weight per pound of entered weight.
    double weightFactor = EstimateRules::BeefFactor;
    QString live = QStringLiteral("0"); // as typed
    Figure hanging;
    Figure processing;
    // Dollars per pound of the processing charge; empty for the flat deer charge.
    QString processingRate;
    Figure kill;
    Figure total;
    std::array<ServiceRow, ServiceCount> rows{};

    EstimateRules::CureSelection cure{};
    bool topRoundAsked = false;
    bool topRoundOnly = false;

    // The prices it was figured with, by price list item.
    QMap<QString, double> rates;
    PriceBasis basis = PriceBasis::Today;
    // Kept at the built-in prices (it was figured with the database flag
    // unticked): they stand where no rate is kept.
    bool builtInPrices = false;
    // The day the rates were taken from the price list (or the built-in
    // prices); unset while none were.
    QDate ratesFrom;
    // When it was saved last, as its quote or its final bill; unset while not.
    QDateTime savedAt;

    // The part of an animal sold in shares that it is for; none for a whole one.
    std::optional<ShareOfAnimal> share;

    // The shop's range of the hanging weight that the quote's likely range is
    // figured at: the shop's as it stands at each figuring, kept as it was
    // given once the estimate is saved. Not set while none was taken.
    HangingRatio likelyRatio;

    // The customer's cut sheet for the cutting room; none while the clerk
    // has not filled one (the animal is cut the master's standard way).
    std::optional<CutSheet> cutSheet;

    EstimateShown shown;

    bool operator==(const EstimateValue&) const = default;

    const ServiceRow& row(ServiceId service) const { return rows[static_cast<int>(service)]; }
    ServiceRow& row(ServiceId service) { return rows[static_cast<int>(service)]; }
    // Ticked and its click accepted: it is figured and its charge counts.
    bool counts(ServiceId service) const { return row(service).ticked && row(service).accepted; }
    // A row figured by a worksheet for another hanging weight than the one shown.
    bool isStale(ServiceId service) const;
    // Every such row, in the order of the boxes.
    QList<ServiceId> staleServices() const;

    // The estimate's own record of itself, as text; read back by fromRecord
    // into the same value exactly. Records of earlier versions of the program
    // are read too.
    QString toRecord() const;
    // No value when the text is not such a record.
    static std::optional<EstimateValue> fromRecord(const QString& record);
};

// A cut sheet's choices as text, the changes recorded on it left out: the
// same text for the same choices (what the book compares to lock a sheet).
QString SheetChoicesText(const CutSheet& sheet);

// The species' name as saved and printed ("Beef"); empty for none.
QString SpeciesName(Species species);
