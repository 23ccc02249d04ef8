#include "estimate/take_home.h"

#include "book/estimate_book.h"
#include "core/numbers.h"
#include "estimate/animal_shares.h"
#include "estimate/estimate_summary.h"

#include <cmath>

SheetPart DefaultPart(const EstimateValue& estimate)
{
    if (!estimate.share)
        return SheetPart::Whole;
    const QString& part = estimate.share->part;
    if (part == QLatin1String("half"))
        return SheetPart::Half;
    if (part == SplitSideQuarterWords)
        return SheetPart::SplitSideQuarter;
    if (part == QLatin1String("quarter"))
        return SheetPart::FrontQuarter;
    return SheetPart::Whole;
}

CutSheet SheetOf(const EstimateValue& estimate)
{
    // A sheet filled for another species (the species chosen again since) is
    // not this animal's.
    if (estimate.cutSheet && estimate.cutSheet->species == SpeciesName(estimate.species))
        return *estimate.cutSheet;
    CutSheet sheet;
    sheet.species = SpeciesName(estimate.species);
    sheet.part = DefaultPart(estimate);
    return sheet;
}

QStringList WorksheetProducts(const EstimateValue& estimate)
{
    QStringList lines;
    for (const EstimateLine& line : Summarize(estimate).services) {
        QString words = PrintedServiceName(line.service);
        if (LeadingNumber(line.weight) > 0)
            words += QStringLiteral(", %1 lb").arg(line.weight.trimmed());
        if (!line.details.isEmpty())
            words += QStringLiteral(": ") + line.details.join(QStringLiteral("; "));
        lines << words;
    }
    return lines;
}

std::optional<HangingRange> AnimalHanging(const EstimateValue& v)
{
    if (v.species == Species::None || !v.hanging.isCurrent())
        return std::nullopt;
    const std::optional<double> own = StrictNumber(v.hanging.text);
    std::optional<double> whole = own;
    if (v.share)
        whole = StrictNumber(v.share->animalHanging);
    if (!whole || !(*whole > 0))
        return std::nullopt;
    // Weighed on the rail (or typed as weighed): that weight, no range.
    const bool weighed = v.share ? v.share->weighed : v.hanging.typed;
    const HangingRatio& ratio = v.likelyRatio;
    if (weighed || !ratio.isSet() || !(v.weightFactor > 0))
        return HangingRange{*whole, *whole};
    return HangingRange{*whole * ratio.low / v.weightFactor, *whole * ratio.high / v.weightFactor};
}

std::optional<TakeHome> TakeHomeOf(const EstimateValue& estimate, const CutMaster& master,
                                   const Yields& yields)
{
    std::optional<HangingRange> hanging = AnimalHanging(estimate);
    if (!hanging)
        return std::nullopt;
    const CutSheet sheet = SheetOf(estimate);
    // A share by percentage (its sheet the whole animal's): its part of it.
    if (estimate.share && sheet.part == SheetPart::Whole) {
        const auto own = StrictNumber(estimate.hanging.text);
        const auto whole = StrictNumber(estimate.share->animalHanging);
        if (own && whole && *whole > 0 && *own <= *whole) {
            hanging->low *= *own / *whole;
            hanging->high *= *own / *whole;
        }
    }
    return LikelyTakeHome(hanging->low, hanging->high, sheet, master, yields);
}

std::optional<TakeHome> TakeHomeOf(const EstimateValue& estimate, const QuoteRules& rules)
{
    return TakeHomeOf(estimate, rules.master(estimate.species), rules.yields(estimate.species));
}

CutRoomPage CutRoomPageOf(const EstimateValue& estimate, const CutMaster& master,
                          const Yields& yields)
{
    const CutSheet sheet = SheetOf(estimate);
    CutRoomPage page;
    if (estimate.share)
        page.tag = estimate.share->tag;
    page.species = SpeciesName(estimate.species);
    page.part = PartWords(sheet.part);
    if (const std::optional<HangingRange> h = AnimalHanging(estimate)) {
        const auto lb = [](double pounds) {
            return NumberText(std::round(pounds));
        };
        page.hanging = h->low == h->high
                           ? QStringLiteral("%1 lb").arg(lb(h->low))
                           : QStringLiteral("likely %1 to %2 lb").arg(lb(h->low), lb(h->high));
        if (estimate.share)
            page.hanging += QStringLiteral(" (the whole animal)");
    }
    page.choices = ChoiceLines(sheet, master);
    page.products = WorksheetProducts(estimate);
    for (const SheetChange& c : sheet.changes)
        page.changes << QStringLiteral("%1 by %2: %3")
                            .arg(c.when.toString(QStringLiteral("yyyy-MM-dd hh:mm")), c.who,
                                 c.what);
    if (const std::optional<TakeHome> home = TakeHomeOf(estimate, master, yields))
        page.takeHome = home->words();
    return page;
}

QString CutRoomHtml(const EstimateSummary& head, const CutRoomPage& page)
{
    const auto esc = [](const QString& text) {
        return text.toHtmlEscaped();
    };
    QString tag = page.tag;
    if (tag.isEmpty())
        tag = head.hunterTag;
    if (tag.isEmpty() && head.number > 0)
        tag = QStringLiteral("Estimate %1").arg(head.number);
    QString html = PageHeadHtml(head, QStringLiteral("Cut Sheet for the Cutting Room"));
    if (!tag.isEmpty())
        html += QStringLiteral("<p style=\"font-size: 32pt; font-weight: bold\">Tag %1</p>")
                    .arg(esc(tag));
    QString animal = QStringLiteral("%1, %2").arg(page.species, page.part);
    if (!page.hanging.isEmpty())
        animal += QStringLiteral(", hanging %1").arg(page.hanging);
    html +=
        QStringLiteral("<p style=\"font-size: 18pt; font-weight: bold\">%1</p>").arg(esc(animal));
    const auto list = [&](const QString& title, const QStringList& lines) {
        if (lines.isEmpty())
            return;
        // Read at arm's length on the cutting room's wall.
        html += QStringLiteral("<p style=\"font-size: 15pt\"><b>%1</b></p>"
                               "<ul style=\"font-size: 14pt\">")
                    .arg(esc(title));
        for (const QString& line : lines)
            html += QStringLiteral("<li>%1</li>").arg(esc(line));
        html += QStringLiteral("</ul>");
    };
    list(QStringLiteral("Cuts"), page.choices);
    list(QStringLiteral("From the worksheets"), page.products);
    list(QStringLiteral("Changed after cutting"), page.changes);
    if (!page.takeHome.isEmpty())
        html += QStringLiteral("<p style=\"font-size: 14pt\">Expected: %1.</p>")
                    .arg(esc(page.takeHome));
    return html + QStringLiteral("</body></html>");
}

void OneCutSheet(EstimateRecord& record, bool final)
{
    const QString& written = final ? record.finalState : record.quoteState;
    QString& other = final ? record.quoteState : record.finalState;
    if (other.isEmpty())
        return;
    const std::optional<EstimateValue> from = EstimateValue::fromRecord(written);
    std::optional<EstimateValue> to = EstimateValue::fromRecord(other);
    if (!from || !to || from->cutSheet == to->cutSheet)
        return;
    to->cutSheet = from->cutSheet;
    other = to->toRecord();
}
