#pragma once

// Orders picked up with their packaged weight recorded, as a season leaves
// them in the book: each a beef quoted at the screen's half of its live
// weight, with a cut sheet, billed at its weighed hanging weight, and a
// booking picked up with what the cutting room packed.

#include "book/estimate_book.h"
#include "estimate/take_home.h"

#include <QTest>
#include <cmath>

namespace Pickups {

inline const QDate Opening(2026, 10, 5);

// The `i`th beef of the season: `live` pounds, weighed at `ratio` of it,
// packed at `yield` of the published yields' meat (no packaged weight when
// `recorded` is false). False when the book refused.
inline bool PickedUpBeef(EstimateBook& book, int i, double live, double ratio, double yield,
                         bool recorded = true)
{
    EstimateValue quote;
    quote.species = Species::Beef;
    quote.weightFactor = 0.5;
    quote.live = QString::number(live);
    quote.hanging = Figure::figured(QString::number(live * 0.5));
    quote.likelyRatio = {0.58, 0.64, 0};
    CutSheet sheet;
    sheet.species = QStringLiteral("Beef");
    if (i % 3 == 0) // every third grinds the chuck, every fifth bones the round
        sheet.choices << PrimalChoice{QStringLiteral("Chuck"), PrimalUse::Ground};
    if (i % 5 == 0)
        sheet.choices << PrimalChoice{QStringLiteral("Round"), PrimalUse::Roasts, 0, 0, 0, true};
    quote.cutSheet = sheet;
    EstimateValue billed = quote;
    billed.hanging = Figure::typedIn(QString::number(std::round(live * ratio)));

    EstimateRecord r;
    r.customer = QStringLiteral("Customer %1").arg(i);
    r.species = QStringLiteral("Beef");
    r.quoteState = quote.toRecord();
    r.finalState = billed.toRecord();
    if (!book.save(r).done)
        return false;

    Yields exact = Yields::Published(QStringLiteral("Beef"));
    exact.low = exact.high = 1;
    const double meat = TakeHomeOf(billed, CutMaster::Sample(QStringLiteral("Beef")), exact)->low;
    Booking b;
    b.customer = r.customer;
    b.species = QStringLiteral("Beef");
    b.liveWeight = quote.live;
    b.kill = Opening.addDays(i % 40);
    b.dropOff = b.kill.addDays(-1);
    b.hangingDays = 14;
    b.estimates = {r.number};
    b.state = Booking::State::PickedUp;
    if (recorded)
        b.packaged = QString::number(std::round(meat * yield));
    return book.keep(b).done;
}

} // namespace Pickups
