#include "estimate/animal_shares.h"

#include "core/money.h"
#include "core/numbers.h"
#include "estimate/estimate.h"
#include "estimate/estimate_rules.h"
#include "estimate/estimate_summary.h"
#include "pricelist/price_items.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <vector>

namespace R = EstimateRules;

// ---------------------------------------------------------------- parts

int SharePart::ofWhole() const
{
    switch (kind) {
    case PartKind::Half:
        return WholeAnimal / 2;
    case PartKind::Quarter:
    case PartKind::SplitSideQuarter:
        return WholeAnimal / 4;
    case PartKind::Percent:
        break;
    }
    return hundredths;
}

QString SharePart::words() const
{
    switch (kind) {
    case PartKind::Half:
        return QStringLiteral("half");
    case PartKind::Quarter:
        return QStringLiteral("quarter");
    case PartKind::SplitSideQuarter:
        return QStringLiteral("split-side quarter");
    case PartKind::Percent:
        break;
    }
    return UnitsText(hundredths, 2, false) + QStringLiteral(" %");
}

std::optional<SharePart> SharePart::fromWords(const QString& text, QString* problem)
{
    const QString t = text.simplified().toLower();
    for (const PartKind kind : {PartKind::Half, PartKind::Quarter, PartKind::SplitSideQuarter})
        if (t == SharePart{kind, 0}.words())
            return SharePart{kind, 0};
    QString number = t;
    if (number.endsWith(QLatin1Char('%')))
        number = number.chopped(1).trimmed();
    const auto value = StrictNumber(number);
    const auto units = value ? ScaledUnits(*value, 2, HalfRounding::ToEven) : std::nullopt;
    if (!value || !units) {
        *problem = QStringLiteral("\"%1\" is not a part of the animal: give half, quarter, "
                                  "split-side quarter or a percentage.")
                       .arg(text.trimmed());
        return std::nullopt;
    }
    if (double(*units) != *value * 100) {
        *problem = QStringLiteral("%1 %: give a percentage with at most two decimals.").arg(number);
        return std::nullopt;
    }
    if (*units <= 0 || *units > WholeAnimal) {
        *problem = QStringLiteral("%1 %: a share is more than 0 % and at most 100 % of the animal.")
                       .arg(number);
        return std::nullopt;
    }
    return SharePart{PartKind::Percent, int(*units)};
}

int UnsoldPart(const QList<SharePart>& parts)
{
    int sold = 0;
    for (const SharePart& part : parts)
        sold += std::clamp(part.ofWhole(), -WholeAnimal, WholeAnimal);
    return WholeAnimal - sold;
}

QString PartsProblem(const QList<SharePart>& parts)
{
    if (parts.isEmpty())
        return QStringLiteral("The animal has no shares: give each buyer a part.");
    if (parts.size() > MostShares)
        return QStringLiteral("An animal is sold in at most %1 shares; this one has %2.")
            .arg(MostShares)
            .arg(parts.size());
    for (int i = 0; i < int(parts.size()); ++i)
        if (parts[i].ofWhole() <= 0 || parts[i].ofWhole() > WholeAnimal)
            return QStringLiteral("Share %1 is %2 of the animal: a share is more than nothing "
                                  "and at most the whole animal.")
                .arg(i + 1)
                .arg(parts[i].words());
    if (const int unsold = UnsoldPart(parts); unsold < 0)
        return QStringLiteral("The shares come to %1 % of the animal, more than the whole: "
                              "take %2 % off.")
            .arg(UnitsText(WholeAnimal - unsold, 2, false), UnitsText(-unsold, 2, false));
    return QString();
}

// ---------------------------------------------------------------- the kill fee

namespace {

struct KillFeeSplitName {
    KillFeeSplit split;
    const char* key;   // in the shop's settings
    const char* words; // on the sheets
};
const KillFeeSplitName KillFeeSplitNames[] = {
    {KillFeeSplit::ByPart, "by-part", "each share pays its part of the kill fee"},
    {KillFeeSplit::OneBuyer, "one-buyer", "one buyer pays the whole kill fee"},
    {KillFeeSplit::PerShare, "per-share", "each share pays a kill fee per share"},
};

const KillFeeSplitName& nameOf(KillFeeSplit split)
{
    return KillFeeSplitNames[static_cast<int>(split)];
}

} // namespace

QString KillFeeSplitWords(KillFeeSplit split)
{
    return QLatin1String(nameOf(split).words);
}

QString KillFeeSplitKey(KillFeeSplit split)
{
    return QLatin1String(nameOf(split).key);
}

std::optional<KillFeeSplit> KillFeeSplitFromKey(const QString& key)
{
    for (const KillFeeSplitName& name : KillFeeSplitNames)
        if (key.trimmed() == QLatin1String(name.key))
            return name.split;
    return std::nullopt;
}

// ---------------------------------------------------------------- dividing

namespace {

double unsoldFraction(const QList<SharePart>& parts)
{
    return std::max(0, UnsoldPart(parts)) / double(WholeAnimal);
}

} // namespace

Division DivideHanging(const QList<SharePart>& parts, double hanging)
{
    Division d;
    for (const SharePart& part : parts)
        d.shares << Round15(hanging * part.fraction());
    d.unsold = Round15(hanging * unsoldFraction(parts));
    return d;
}

Division DivideSides(const QList<SharePart>& parts, double firstSide, double secondSide)
{
    // Lay the shares out along the animal, largest kinds first, and give each
    // the pounds of the stretch of each side it covers.
    QList<int> order(parts.size());
    std::iota(order.begin(), order.end(), 0);
    const auto rank = [&](int i) {
        switch (parts[i].kind) {
        case PartKind::Half:
            return 0;
        case PartKind::Quarter:
        case PartKind::SplitSideQuarter:
            return 1;
        case PartKind::Percent:
            break;
        }
        return 2;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rank(a) < rank(b); });
    const int half = WholeAnimal / 2;
    const auto poundsOf = [&](int from, int to) {
        // The stretch [from, to) of the animal, in hundredths of a percent.
        const int onFirst = std::max(0, std::min(to, half) - from);
        const int onSecond = std::max(0, to - std::max(from, half));
        return firstSide * onFirst / half + secondSide * onSecond / half;
    };
    Division d;
    d.shares = QList<double>(parts.size(), 0);
    int at = 0;
    for (const int i : order) {
        const int to = std::min(WholeAnimal, at + std::max(0, parts[i].ofWhole()));
        d.shares[i] = Round15(poundsOf(at, to));
        at = to;
    }
    d.unsold = Round15(poundsOf(at, WholeAnimal));
    return d;
}

Division DivideKillFee(const QList<SharePart>& parts, KillFeeSplit split, double fee,
                       double perShare, int payer)
{
    Division d;
    for (int i = 0; i < int(parts.size()); ++i) {
        switch (split) {
        case KillFeeSplit::ByPart:
            d.shares << Round15(fee * parts[i].fraction());
            break;
        case KillFeeSplit::OneBuyer:
            d.shares << (i == payer ? fee : 0);
            break;
        case KillFeeSplit::PerShare:
            d.shares << perShare;
            break;
        }
    }
    // Only by part does the part not sold yet carry a kill fee of its own;
    // otherwise the fee is the buyers' whoever buys the rest.
    if (split == KillFeeSplit::ByPart)
        d.unsold = Round15(fee * unsoldFraction(parts));
    else if (split == KillFeeSplit::OneBuyer && (payer < 0 || payer >= int(parts.size())))
        d.unsold = fee;
    return d;
}

std::optional<ShareCents> CentsOfShares(const QList<double>& totals, double unsold)
{
    QStringList amounts;
    double sum = 0;
    for (const double total : totals) {
        amounts << NumberText(total);
        sum = Round15(sum + total);
    }
    amounts << NumberText(unsold);
    sum = Round15(sum + unsold);
    const auto cents = CentsAddingUp(amounts, NumberText(sum));
    const auto animal = CentsOf(NumberText(sum));
    if (!cents || !animal)
        return std::nullopt;
    ShareCents result;
    result.shares = cents->mid(0, totals.size());
    result.unsold = cents->last();
    result.animal = *animal;
    return result;
}

// ---------------------------------------------------------------- figuring the animal

const QString AnimalShares::SplitSideItem = QStringLiteral("SplitSide");
const QString AnimalShares::ShareKillItem = QStringLiteral("ShareKill");

bool AnimalValue::weighedAfterKill() const
{
    return !weighed.trimmed().isEmpty() || !firstSide.trimmed().isEmpty() ||
           !secondSide.trimmed().isEmpty();
}

QList<SharePart> AnimalValue::parts() const
{
    QList<SharePart> parts;
    for (const AnimalShare& share : shares)
        parts << share.part;
    return parts;
}

AnimalShares::AnimalShares(PriceSource& prices, const Clock& clock, bool priceListFlag)
    : prices_(prices)
    , clock_(clock)
    , flag_(priceListFlag)
{}

std::optional<double> AnimalShares::cost(const QString& item, QString* problem)
{
    if (!flag_) {
        *problem = QStringLiteral("The price list is not in use (the box at the top left is "
                                  "unticked), so there is no price for %1.")
                       .arg(item);
        return std::nullopt;
    }
    const CostLookup lookup = prices_.lookupCost(item);
    if (!lookup.found()) {
        *problem = lookup.problem;
        return std::nullopt;
    }
    return lookup.cost;
}

namespace {

// A price kept with a saved share's estimate, or none.
std::optional<double> keptRate(const EstimateValue& v, const QString& item)
{
    if (v.basis != PriceBasis::Kept || !v.rates.contains(item))
        return std::nullopt;
    return v.rates.value(item);
}

} // namespace

AnimalFigures AnimalShares::figure(AnimalValue& animal)
{
    AnimalFigures out;
    const QList<SharePart> parts = animal.parts();
    if (const QString problem = PartsProblem(parts); !problem.isEmpty())
        out.problems << problem;
    if (animal.species != Species::Beef && animal.species != Species::Pork) {
        out.problems << QStringLiteral("Only a beef or a hog is sold in shares.");
        return out;
    }
    if (parts.isEmpty() || parts.size() > MostShares)
        return out;

    // The animal's hanging weight: the weights after the kill, else figured
    // from the live weight.
    const double factor = animal.species == Species::Beef ? R::BeefFactor : R::PorkFactor;
    Division hanging;
    const bool sides =
        !animal.firstSide.trimmed().isEmpty() || !animal.secondSide.trimmed().isEmpty();
    if (sides) {
        const auto first = R::UsableWeight(animal.firstSide);
        const auto second = R::UsableWeight(animal.secondSide);
        if (!first || !second || animal.firstSide.trimmed().isEmpty() ||
            animal.secondSide.trimmed().isEmpty()) {
            out.problems << QStringLiteral("Give the weight of both sides.");
            return out;
        }
        hanging = DivideSides(parts, *first, *second);
        out.hanging = NumberText(*first + *second);
    } else {
        const QString& weight = animal.weighed.trimmed().isEmpty() ? animal.live : animal.weighed;
        const auto pounds = R::UsableWeight(weight);
        if (!pounds) {
            out.problems << QStringLiteral("The animal's weight cannot be used: %1")
                                .arg(R::WeightProblem(weight));
            return out;
        }
        const double whole =
            animal.weighed.trimmed().isEmpty() ? Round15(*pounds * factor) : *pounds;
        hanging = DivideHanging(parts, whole);
        out.hanging = NumberText(whole);
    }

    // Each share's estimate, and one for the part not sold yet.
    const auto estimateFor = [&](const EstimateValue* start, double pounds) {
        auto e = std::make_unique<Estimate>(prices_, clock_);
        e->setPriceListFlag(flag_);
        if (start && start->species == animal.species)
            e->replace(*start);
        e->chooseSpecies(animal.species);
        e->setLiveWeight(animal.live);
        e->setHangingWeight(NumberText(pounds));
        return e;
    };
    std::vector<std::unique_ptr<Estimate>> estimates;
    for (int i = 0; i < int(parts.size()); ++i)
        estimates.push_back(estimateFor(&animal.shares[i].estimate, hanging.shares[i]));
    const auto unsoldEstimate = estimateFor(nullptr, hanging.unsold);

    // The kill fee, as the first share's estimate prices it (a saved one at
    // the rates kept with it).
    double fee = 0, perShare = 0;
    const EstimateValue& first = estimates.front()->value();
    if (const auto killFee = StrictNumber(first.kill.text); killFee && first.kill.isCurrent())
        fee = *killFee;
    else
        out.problems << QStringLiteral("The kill fee could not be had: %1").arg(first.kill.why);
    std::optional<double> perShareKept = keptRate(first, ShareKillItem);
    if (animal.killFee == KillFeeSplit::PerShare) {
        QString problem;
        const auto found = perShareKept ? perShareKept : cost(ShareKillItem, &problem);
        if (found)
            perShare = *found;
        else
            out.problems
                << QStringLiteral("The kill fee per share could not be had: %1").arg(problem);
    }
    const Division kill = DivideKillFee(parts, animal.killFee, fee, perShare, animal.payer);

    // The split-side surcharge per pound, when a share is cut from a split side.
    std::optional<double> surchargeRate;
    QString surchargeProblem;
    if (std::any_of(parts.begin(), parts.end(), [](const SharePart& p) { return p.splitSide(); })) {
        for (const auto& e : estimates)
            if (!surchargeRate)
                surchargeRate = keptRate(e->value(), SplitSideItem);
        if (!surchargeRate)
            surchargeRate = cost(SplitSideItem, &surchargeProblem);
        if (!surchargeRate)
            out.problems << QStringLiteral("The split-side surcharge could not be had: %1")
                                .arg(surchargeProblem);
    }

    for (int i = 0; i < int(parts.size()); ++i) {
        Estimate& e = *estimates[i];
        e.setKillCharge(NumberText(kill.shares[i]));
        EstimateValue v = e.value();
        ShareOfAnimal info;
        info.tag = animal.tag;
        info.part = parts[i].words();
        info.share = i + 1;
        info.shares = int(parts.size());
        info.animalHanging = out.hanging;
        info.weighed = animal.weighedAfterKill();
        info.weighedWhole = animal.weighed.trimmed();
        info.firstSide = animal.firstSide.trimmed();
        info.secondSide = animal.secondSide.trimmed();
        info.killFeeKey = KillFeeSplitKey(animal.killFee);
        info.paysKillFee = animal.killFee == KillFeeSplit::OneBuyer && animal.payer == i;
        info.killFeeWords = KillFeeSplitWords(animal.killFee);
        if (animal.killFee == KillFeeSplit::PerShare && perShare > 0)
            v.rates.insert(ShareKillItem, perShare);
        double surcharge = 0;
        if (parts[i].splitSide()) {
            if (surchargeRate) {
                surcharge = Round15(hanging.shares[i] * *surchargeRate);
                info.surchargeRate = NumberText(*surchargeRate);
                info.surcharge.set(NumberText(surcharge));
                v.rates.insert(SplitSideItem, *surchargeRate);
            } else {
                info.surcharge.fail(surchargeProblem);
            }
        }
        for (const QString& problem : e.problems())
            out.problems << QStringLiteral("Share %1 (%2): %3")
                                .arg(i + 1)
                                .arg(animal.shares[i].customer.trimmed(), problem);
        out.totals << Round15(LeadingNumber(v.total.text) + surcharge);
        v.share = info;
        animal.shares[i].estimate = v;
    }

    unsoldEstimate->setKillCharge(NumberText(kill.unsold));
    const EstimateValue& rest = unsoldEstimate->value();
    out.unsold.part = std::max(0, UnsoldPart(parts));
    out.unsold.hanging = hanging.unsold;
    out.unsold.kill = kill.unsold;
    out.unsold.processing = out.unsold.part > 0 ? LeadingNumber(rest.processing.text) : 0;
    out.unsold.total = out.unsold.part > 0 ? LeadingNumber(rest.total.text) : kill.unsold;

    out.cents = CentsOfShares(out.totals, out.unsold.total);
    if (out.cents)
        for (int i = 0; i < int(parts.size()); ++i)
            animal.shares[i].estimate.share->total = CentsText(out.cents->shares[i]);
    return out;
}

void AnimalShares::keep(AnimalValue& animal, const QDateTime& now)
{
    for (AnimalShare& share : animal.shares) {
        Estimate e(prices_, clock_);
        e.setPriceListFlag(flag_);
        e.replace(share.estimate);
        share.estimate = e.keptForSaving(now);
    }
}

double ServicesTotal(const EstimateValue& v)
{
    double sum = 0;
    for (const ServiceInfo& s : Services())
        if (v.counts(s.id))
            sum = Round15(sum + LeadingNumber(v.row(s.id).charge.text));
    return sum;
}

AnimalValue AnimalOf(const QList<AnimalShare>& shares)
{
    AnimalValue animal;
    animal.shares = shares;
    for (int i = 0; i < int(shares.size()); ++i) {
        const EstimateValue& v = shares[i].estimate;
        if (i == 0) {
            animal.species = v.species;
            animal.live = v.live;
        }
        if (!v.share)
            continue;
        const ShareOfAnimal& info = *v.share;
        if (animal.tag.isEmpty())
            animal.tag = info.tag;
        if (const auto split = KillFeeSplitFromKey(info.killFeeKey))
            animal.killFee = *split;
        if (info.paysKillFee)
            animal.payer = i;
        if (info.weighed) {
            animal.weighed = info.weighedWhole;
            animal.firstSide = info.firstSide;
            animal.secondSide = info.secondSide;
        }
    }
    return animal;
}

namespace {

QString cell(const QString& text, bool right = true)
{
    return QStringLiteral("<td align=\"%1\">%2</td>")
        .arg(right ? QStringLiteral("right") : QStringLiteral("left"), text.toHtmlEscaped());
}

} // namespace

QString AnimalSheetHtml(const EstimateSummary& head, const AnimalValue& animal,
                        const AnimalFigures& figures)
{
    const QString species = SpeciesName(animal.species);
    QString html = PageHeadHtml(
        head, QStringLiteral("%1%2 sold in shares")
                  .arg(species, animal.tag.trimmed().isEmpty()
                                    ? QString()
                                    : QStringLiteral(", tag ") + animal.tag.trimmed()));
    html += QStringLiteral("<p>Live weight %1 lb. Hanging weight %2 lb (%3). The kill fee: %4.</p>")
                .arg(animal.live.trimmed().toHtmlEscaped(), figures.hanging.toHtmlEscaped(),
                     animal.weighedAfterKill() ? QStringLiteral("weighed after the kill")
                                               : QStringLiteral("figured from the live weight"),
                     KillFeeSplitWords(animal.killFee));
    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\"><tr>");
    for (const char* heading : {"Share", "Customer", "Part", "Hanging", "Kill", "Processing",
                                "Services", "Surcharge", "Total"})
        html += QStringLiteral("<th align=\"left\">%1</th>").arg(QLatin1String(heading));
    html += QStringLiteral("</tr>");
    const auto money = [](double amount) {
        return PrintedMoney(NumberText(amount));
    };
    for (int i = 0; i < int(animal.shares.size()); ++i) {
        const AnimalShare& share = animal.shares[i];
        const EstimateValue& v = share.estimate;
        const double services = ServicesTotal(v);
        const double surcharge = v.share ? LeadingNumber(v.share->surcharge.text) : 0;
        html += QStringLiteral("<tr>") +
                cell(share.number ? QString::number(share.number)
                                  : QStringLiteral("%1 (not saved)").arg(i + 1),
                     false) +
                cell(share.customer, false) + cell(share.part.words(), false) +
                cell(v.hanging.text + QStringLiteral(" lb")) + cell(PrintedMoney(v.kill.text)) +
                cell(PrintedMoney(v.processing.text)) + cell(money(services)) +
                cell(surcharge > 0 ? money(surcharge) : QString()) +
                cell(figures.cents ? MoneyText(figures.cents->shares.value(i))
                                   : money(figures.totals.value(i))) +
                QStringLiteral("</tr>");
    }
    if (figures.unsold.part > 0)
        html +=
            QStringLiteral("<tr>") + cell(QString(), false) +
            cell(QStringLiteral("Not sold yet"), false) +
            cell(UnitsText(figures.unsold.part, 2, false) + QStringLiteral(" %"), false) +
            cell(NumberText(figures.unsold.hanging) + QStringLiteral(" lb")) +
            cell(money(figures.unsold.kill)) + cell(money(figures.unsold.processing)) +
            cell(QString()) + cell(QString()) +
            cell(figures.cents ? MoneyText(figures.cents->unsold) : money(figures.unsold.total)) +
            QStringLiteral("</tr>");
    html += QStringLiteral("<tr><td colspan=\"9\"><hr/></td></tr>");
    html += QStringLiteral("<tr><th align=\"left\" colspan=\"8\">The animal</th>"
                           "<th align=\"right\">%1</th></tr></table>")
                .arg(figures.cents ? MoneyText(figures.cents->animal) : QString());
    html += QStringLiteral("<p><small>Each share's total is its kill fee, processing, services and "
                           "surcharge, with the cents that rounding leaves given to the shares "
                           "that rounding moved the most, so that the shares add up to the "
                           "animal.</small></p>");
    return html + QStringLiteral("</body></html>");
}
