#include "estimate/yield_check.h"

#include "book/quote_report.h"
#include "core/numbers.h"
#include "estimate/likely_range.h"
#include "estimate/take_home.h"

#include <algorithm>
#include <cmath>

namespace {

QString Ratio(double r)
{
    return QString::number(r, 'f', 2);
}

} // namespace

std::optional<Yields> YieldCheck::adoptable() const
{
    if (measured.size() < FewestPickups)
        return std::nullopt;
    Yields y = Yields::Published(species);
    const double middle = Percentile(measured, 0.5);
    if (!(middle > 0.5 && middle < 1.5))
        return std::nullopt;
    y.measured = RatioHundredths(middle);
    // The ends around the middle, never closer than a hundredth.
    y.low = std::min(0.99, RatioHundredths(Percentile(measured, 0.1) / middle));
    y.high = std::max(1.01, RatioHundredths(Percentile(measured, 0.9) / middle));
    return y;
}

QString YieldCheck::words() const
{
    QString text = QStringLiteral("%1: %2 of %3 pickups within the take-home quoted")
                       .arg(species)
                       .arg(held)
                       .arg(pickups);
    if (!measured.isEmpty())
        text += QStringLiteral("; packaged %1 of the published yields (%2 to %3)")
                    .arg(Ratio(Percentile(measured, 0.5)), Ratio(Percentile(measured, 0.1)),
                         Ratio(Percentile(measured, 0.9)));
    return text;
}

QList<YieldCheck> CheckYields(EstimateBook& book, const QuoteRules& rules, const QDate& from,
                              const QDate& to, QString* problem)
{
    QMap<QString, YieldCheck> bySpecies;
    problem->clear();
    const QList<Booking> bookings = book.bookings(from, to, problem);
    if (!problem->isEmpty())
        return {};
    for (const Booking& b : bookings) {
        const std::optional<double> packaged = StrictNumber(b.packaged);
        if (b.state != Booking::State::PickedUp || !packaged || *packaged <= 0 ||
            b.estimates.isEmpty())
            continue;
        // Each bill's quote and, once weighed, its final bill.
        double low = 0, high = 0, weighed = 0;
        bool quoted = true, allWeighed = true;
        QString species;
        for (const qint64 number : b.estimates) {
            const std::optional<EstimateRecord> record = book.open(number, problem);
            if (!record) {
                if (!problem->isEmpty())
                    return {};
                quoted = allWeighed = false;
                continue;
            }
            const std::optional<EstimateValue> quote =
                EstimateValue::fromRecord(record->quoteState);
            if (!quote) {
                quoted = allWeighed = false;
                continue;
            }
            species = SpeciesName(quote->species);
            const std::optional<TakeHome> home = TakeHomeOf(*quote, rules);
            quoted = quoted && home;
            if (home) {
                low += home->low;
                high += home->high;
            }
            // At the published yields, the weight weighed: the meat it gives.
            Yields published = Yields::Published(species);
            published.low = published.high = 1;
            const std::optional<EstimateValue> billed =
                EstimateValue::fromRecord(record->finalState);
            const std::optional<TakeHome> atWeighed =
                billed && (billed->share ? billed->share->weighed : billed->hanging.typed)
                    ? TakeHomeOf(*billed, rules.master(quote->species), published)
                    : std::nullopt;
            allWeighed = allWeighed && atWeighed;
            if (atWeighed)
                weighed += atWeighed->low;
        }
        if (species.isEmpty() || !quoted)
            continue;
        YieldCheck& check = bySpecies[species];
        check.species = species;
        ++check.pickups;
        // To the pound, as the range is shown.
        if (*packaged >= std::floor(low) && *packaged <= std::ceil(high))
            ++check.held;
        if (allWeighed && weighed > 0)
            check.measured << *packaged / weighed;
    }
    QList<YieldCheck> checks;
    for (YieldCheck& c : bySpecies) {
        std::sort(c.measured.begin(), c.measured.end());
        checks << c;
    }
    return checks;
}

StoreResult AdoptYields(PriceSource& shop, const QList<YieldCheck>& checks, QStringList* adopted)
{
    ShopWideSettings settings = shop.shopSettings();
    QStringList set;
    for (const YieldCheck& c : checks)
        if (const std::optional<Yields> y = c.adoptable()) {
            settings.yields.insert(c.species, y->adoptedText());
            set << c.species;
        }
    if (adopted)
        *adopted = set;
    return set.isEmpty() ? StoreResult() : shop.saveShopSettings(settings);
}
