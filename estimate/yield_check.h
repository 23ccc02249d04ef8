#pragma once

// How near the take-home the quotes gave came to the meat the customers
// took home: each order picked up with its packaged weight recorded, against
// the take-home its bills' quotes gave (at the shop's yields as they stand)
// and against what its weighed hanging weight gives at those yields. The
// owner adopts the measured middle and ends as the shop's own yields, as
// with the ranges of the hanging weight.

#include "book/estimate_book.h"
#include "estimate/cut_sheet.h"
#include "estimate/quote_rules.h"
#include "pricelist/price_source.h"

#include <QDate>
#include <QList>
#include <QString>

// One species' pickups.
struct YieldCheck {
    QString species;
    int pickups = 0; // picked up with the packaged weight recorded
    int held = 0;    // of them, packaged within the take-home their quotes gave
    // Each weighed pickup's packaged weight ÷ the meat its weighed hanging
    // weight gives at the published yields, sorted.
    QList<double> measured;
    // The yields the owner would adopt: the published figures at the
    // measured 50th percentile, with the 10th and 90th around it. No value
    // while fewer than FewestPickups were weighed.
    std::optional<Yields> adoptable() const;
    // "Beef: 18 of 20 pickups within the take-home quoted; packaged 0.97 of
    // the published yields (0.95 to 0.99)".
    QString words() const;
};

// The fewest weighed pickups of a species that its yields are adopted from.
constexpr int FewestPickups = 5;

// The check of the orders killed from `from` to `to`, a row a species that
// had any; empty, with the problem, when the book could not be read.
QList<YieldCheck> CheckYields(EstimateBook& book, const QuoteRules& rules, const QDate& from,
                              const QDate& to, QString* problem);

// Adopts the measured yields of every species that has enough pickups, in
// one save of the shop's settings (the same for every counter). The species
// adopted in `adopted`; not done, with the reason, when the store refused.
StoreResult AdoptYields(PriceSource& shop, const QList<YieldCheck>& checks,
                        QStringList* adopted = nullptr);
