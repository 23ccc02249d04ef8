#include "estimate/book_figures.h"

#include "core/money.h"
#include "core/numbers.h"
#include "estimate/animal_shares.h"
#include "estimate/estimate_rules.h"
#include "estimate/estimate_value.h"

namespace {

std::optional<qint64> totalCents(const EstimateValue& v)
{
    const QString& total = v.share && !v.share->total.isEmpty() ? v.share->total : v.total.text;
    if (!v.total.isCurrent())
        return std::nullopt;
    const auto cents = CentsOf(total);
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

void FillBookFiguresAt(EstimateRecord& record, const std::function<HangingRatio(Species)>& ratioOf)
{
    const std::optional<qint64> low = record.likelyLow, high = record.likelyHigh;
    FillBookFigures(record);
    if (low && high) {
        record.likelyLow = low;
        record.likelyHigh = high;
        return;
    }
    const std::optional<EstimateValue> quote = EstimateValue::fromRecord(record.quoteState);
    const std::optional<LikelyRange> likely =
        quote ? Likely(*quote, ratioOf(quote->species)) : std::nullopt;
    record.likelyLow = likely ? std::optional<qint64>(likely->totalLow) : std::nullopt;
    record.likelyHigh = likely ? std::optional<qint64>(likely->totalHigh) : std::nullopt;
}

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
    const EstimateValue* latest = final ? &*final : quote ? &*quote : nullptr;
    record.animalTag.clear();
    record.sharePart.clear();
    record.livePounds.reset();
    record.weighedHanging.reset();
    if (!latest)
        return;
    double part = 1;
    if (latest->share) {
        record.animalTag = latest->share->tag.trimmed();
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
