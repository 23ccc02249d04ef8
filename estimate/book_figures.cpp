#include "estimate/book_figures.h"

#include "core/money.h"
#include "core/numbers.h"
#include "estimate/animal_shares.h"
#include "estimate/estimate_rules.h"
#include "estimate/estimate_value.h"

namespace {

std::optional<qint64> totalCents(const EstimateValue& v)
{
    if (!v.total.isCurrent())
        return std::nullopt;
    const auto cents = CentsOf(v.total.text);
    return cents ? std::optional<qint64>(*cents) : std::nullopt;
}

int servicesOf(const EstimateValue& v)
{
    int bits = 0;
    for (const ServiceInfo& s : Services())
        if (v.counts(s.id))
            bits |= 1 << static_cast<int>(s.id);
    return bits;
}

} // namespace

void FillBookFigures(EstimateRecord& record)
{
    const std::optional<EstimateValue> quote = EstimateValue::fromRecord(record.quoteState);
    const std::optional<EstimateValue> final =
        record.hasFinal() ? EstimateValue::fromRecord(record.finalState) : std::nullopt;
    record.quoteCents = quote ? totalCents(*quote) : std::nullopt;
    record.finalCents = final ? totalCents(*final) : std::nullopt;
    record.quoteServices = quote ? servicesOf(*quote) : 0;
    record.finalServices = final ? servicesOf(*final) : 0;
    record.figured = true;
    // The quote's likely range, as its quote was given it (a quote kept
    // before quotes kept their range keeps the one the book has).
    if (quote && quote->likelyRatio.isSet()) {
        const std::optional<LikelyRange> likely = Likely(*quote);
        record.likelyLow = likely ? std::optional<qint64>(likely->totalLow) : std::nullopt;
        record.likelyHigh = likely ? std::optional<qint64>(likely->totalHigh) : std::nullopt;
    }
    const EstimateValue* latest = final ? &*final : quote ? &*quote : nullptr;
    record.animalTag.clear();
    record.sharePart.clear();
    record.tagLine.clear();
    record.livePounds.reset();
    record.weighedHanging.reset();
    record.cutSheet.clear();
    record.sheetChanges = 0;
    if (!latest)
        return;
    if (latest->cutSheet) {
        record.cutSheet = SheetChoicesText(*latest->cutSheet);
        record.sheetChanges = int(latest->cutSheet->changes.size());
    }
    double part = 1;
    if (latest->share) {
        // A buyer taken off the animal is no longer found under its tag; the
        // list still tells which animal it was of.
        const QString tag = latest->share->tag.trimmed();
        if (!latest->share->takenOff)
            record.animalTag = tag;
        record.tagLine = latest->share->takenOff && !tag.isEmpty()
                             ? QStringLiteral("%1, taken off").arg(tag)
                             : tag;
        record.sharePart = latest->share->part;
        QString problem;
        const auto share = SharePart::fromWords(latest->share->part, &problem);
        part = share ? share->fraction() : 0;
    }
    if (const auto live = EstimateRules::UsableWeight(latest->live); live && *live > 0 && part > 0)
        record.livePounds = Round15(*live * part);
    // The hanging weight typed in for the final bill is the one weighed; a
    // share's was weighed when its animal was.
    if (final && final->hanging.isCurrent() &&
        (final->share ? final->share->weighed : final->hanging.typed))
        if (const auto hanging = StrictNumber(final->hanging.text); hanging && *hanging > 0)
            record.weighedHanging = *hanging;
}
