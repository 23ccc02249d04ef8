#pragma once

// The Estimate screen as the program makes it, for a test: the price list,
// the book of saved estimates, a clock and the estimate, made before the
// screen and going after it.

#include "book/estimate_book.h"
#include "estimate/estimate.h"
#include "estimate/quote_rules.h"
#include "pricelist/price_list.h"
#include "screens/estimate_screen.h"

// A clock that a test sets; the machine's time until it is set.
class TestClock : public Clock {
public:
    QDateTime now() const override { return at.isValid() ? at : QDateTime::currentDateTime(); }
    QDateTime at;
};

struct CounterStores {
    CounterStores(const QString& priceList, const QString& estimates)
        : ownPrices(priceList)
        , ownBook(estimates.isEmpty() ? EstimateBook::pathBeside(priceList) : estimates)
        , ownRules(ownPrices)
        , ownEstimate(ownPrices, ownClock, ownRules)
    {}
    PriceList ownPrices;
    EstimateBook ownBook;
    TestClock ownClock;
    StoreRules ownRules;
    Estimate ownEstimate;
};

class CounterScreen : private CounterStores, public EstimateScreen {
public:
    // Over the price list at `priceList` (a file or a server's address),
    // saving in `estimates` (empty: Estimates.db beside the price list).
    explicit CounterScreen(const QString& priceList, const QString& estimates = QString())
        : CounterStores(priceList, estimates)
        , EstimateScreen(ownEstimate, ownPrices, ownBook, ownClock)
    {}

    TestClock& testClock() { return ownClock; }
    PriceList& priceList() { return ownPrices; }
    Estimate& liveEstimate() { return ownEstimate; }
};
