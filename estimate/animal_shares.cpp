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

AnimalShares::AnimalShares(PriceSource& prices, const Clock& clock, bool priceListFlag,
                           const QuoteRules& rules)
    : prices_(prices)
    , clock_(clock)
    , flag_(priceListFlag)
    , rules_(rules)
{}

namespace {

// What a share's estimate holds of the animal's kill fee and processing: the
// amounts that are divided among the shares to the cent.
double animalPart(const EstimateValue& v)
{
    return Round15(LeadingNumber(v.kill.text) + LeadingNumber(v.processing.text));
}

// Each share's total to the cent as its estimate has it, the part not sold
// yet, and the animal as their sum.
std::optional<ShareCents> centsOf(const AnimalValue& animal, const EstimateValue& unsold)
{
    ShareCents cents;
    for (const AnimalShare& share : animal.shares) {
        const auto total = CentsOf(share.estimate.total.text);
        if (!total)
            return std::nullopt;
        cents.shares << *total;
        cents.animal += *total;
    }
    const auto rest = CentsOf(unsold.total.text);
    if (!rest)
        return std::nullopt;
    cents.unsold = *rest;
    cents.animal += *rest;
    return cents;
}

// The animal cannot be figured: no share's figures from it are current.
void notFigured(AnimalValue& animal, const QString& why)
{
    for (AnimalShare& share : animal.shares) {
        EstimateValue& v = share.estimate;
        for (Figure* f : {&v.hanging, &v.kill, &v.processing})
            f->fail(why);
        v.total.fail(QStringLiteral("Incomplete: %1").arg(why));
    }
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
        notFigured(animal, out.problems.last());
        return out;
    }
    if (parts.isEmpty() || parts.size() > MostShares)
        return out;

    // Each share's estimate, and one for the part not sold yet: the animal's
    // species and live weight, a saved share at the rates kept with it.
    const auto estimateFor = [&](const EstimateValue* start) {
        auto e = std::make_unique<Estimate>(prices_, clock_, rules_);
        e->setPriceListFlag(flag_);
        if (start && start->species == animal.species)
            e->replace(*start);
        e->chooseSpecies(animal.species);
        e->setLiveWeight(animal.live);
        return e;
    };
    std::vector<std::unique_ptr<Estimate>> estimates;
    for (int i = 0; i < int(parts.size()); ++i)
        estimates.push_back(estimateFor(&animal.shares[i].estimate));
    const auto unsoldEstimate = estimateFor(nullptr);

    // The animal's hanging weight: the weights after the kill, else figured
    // from the live weight at the factor its quotes are figured with.
    const double factor = estimates.front()->value().weightFactor;
    Division hanging;
    const bool sides =
        !animal.firstSide.trimmed().isEmpty() || !animal.secondSide.trimmed().isEmpty();
    if (sides) {
        const auto first = R::UsableWeight(animal.firstSide);
        const auto second = R::UsableWeight(animal.secondSide);
        if (!first || !second || animal.firstSide.trimmed().isEmpty() ||
            animal.secondSide.trimmed().isEmpty()) {
            out.problems << QStringLiteral("Give the weight of both sides.");
            notFigured(animal, out.problems.last());
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
            notFigured(animal, out.problems.last());
            return out;
        }
        const double whole =
            animal.weighed.trimmed().isEmpty() ? Round15(*pounds * factor) : *pounds;
        hanging = DivideHanging(parts, whole);
        out.hanging = NumberText(whole);
    }
    for (int i = 0; i < int(parts.size()); ++i) {
        Estimate& e = *estimates[i];
        e.setHangingWeight(NumberText(hanging.shares[i]));
        // A charge the clerk typed on the share's screen stands while the
        // share's hanging weight does, as it stands on that screen (which
        // figures it again only when the animal gives it another weight).
        const EstimateValue& was = animal.shares[i].estimate;
        if (was.species != animal.species || was.hanging.text != e.value().hanging.text)
            continue;
        for (const ServiceInfo& s : Services())
            if (const ServiceRow& row = was.row(s.id);
                row.ticked && row.charge.typed && e.value().row(s.id).ticked &&
                e.value().row(s.id).charge.text != row.charge.text)
                e.setServiceCharge(s.id, row.charge.text);
    }
    unsoldEstimate->setHangingWeight(NumberText(hanging.unsold));

    // The kill fee, as the first share's estimate prices it (a saved one at
    // the rates kept with it).
    double fee = 0, perShare = 0;
    const EstimateValue& first = estimates.front()->value();
    if (const auto killFee = StrictNumber(first.kill.text); killFee && first.kill.isCurrent())
        fee = *killFee;
    else
        out.problems << QStringLiteral("The kill fee could not be had: %1").arg(first.kill.why);
    if (animal.killFee == KillFeeSplit::PerShare) {
        QString problem;
        if (const auto found = estimates.front()->shopPrice(PriceItem::ShareKill, &problem))
            perShare = *found;
        else
            out.problems
                << QStringLiteral("The kill fee per share could not be had: %1").arg(problem);
    }
    const Division kill = DivideKillFee(parts, animal.killFee, fee, perShare, animal.payer);

    // Which part of the animal each estimate is for; its split-side
    // surcharge follows from it.
    QList<ShareOfAnimal> infos;
    QList<double> own;
    for (int i = 0; i < int(parts.size()); ++i) {
        Estimate& e = *estimates[i];
        e.setKillCharge(NumberText(kill.shares[i]));
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
        e.setShare(info);
        for (const QString& problem : e.problems())
            out.problems << QStringLiteral("Share %1 (%2): %3")
                                .arg(i + 1)
                                .arg(animal.shares[i].customer.trimmed(), problem);
        infos << e.value().share.value_or(info);
        own << animalPart(e.value());
    }
    unsoldEstimate->setKillCharge(NumberText(kill.unsold));
    ShareOfAnimal rest;
    rest.tag = animal.tag;
    rest.part = UnitsText(std::max(0, UnsoldPart(parts)), 2, false) + QStringLiteral(" %");
    rest.animalHanging = out.hanging;
    rest.killFeeWords = KillFeeSplitWords(animal.killFee);
    unsoldEstimate->setShare(rest);
    const double restOwn = animalPart(unsoldEstimate->value());

    // The kill fee and processing to the cent: each share's estimate takes
    // its cents of the rounding, which its total and its bill then carry.
    if (const auto cents = CentsOfShares(own, restOwn)) {
        for (int i = 0; i < int(parts.size()); ++i)
            if (const auto leftover = DollarsToCents(own[i], cents->shares[i])) {
                infos[i].leftover = *leftover;
                estimates[i]->setShare(infos[i]);
            }
        if (const auto leftover = DollarsToCents(restOwn, cents->unsold)) {
            rest.leftover = *leftover;
            unsoldEstimate->setShare(rest);
        }
    }
    for (int i = 0; i < int(parts.size()); ++i)
        animal.shares[i].estimate = estimates[i]->value();

    // The buyers' cut sheets as they filled them: a keep the animal has one
    // of kept by two, or more of a quarter than the animal has.
    QList<CutSheet> sheets;
    for (const AnimalShare& share : animal.shares)
        if (share.estimate.cutSheet &&
            share.estimate.cutSheet->species == SpeciesName(animal.species))
            sheets << *share.estimate.cutSheet;
    out.problems << AnimalContradictions(sheets, rules_.master(animal.species));

    out.unsold.part = std::max(0, UnsoldPart(parts));
    out.unsold.hanging = hanging.unsold;
    out.unsold.estimate = unsoldEstimate->value();
    out.cents = centsOf(animal, out.unsold.estimate);
    return out;
}

AnimalFigures AnimalShares::sum(const AnimalValue& animal)
{
    // The part not sold yet, and the problems, as a figuring gives them; the
    // shares as they stand.
    AnimalValue figured = animal;
    AnimalFigures out = figure(figured);
    out.cents = centsOf(animal, out.unsold.estimate);
    return out;
}

void AnimalShares::keep(AnimalValue& animal, const QDateTime& now)
{
    for (AnimalShare& share : animal.shares) {
        Estimate e(prices_, clock_, rules_);
        e.setPriceListFlag(flag_);
        e.replace(share.estimate);
        share.estimate = e.keptForSaving(now);
    }
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

// One row of the sheet: a bill's charges to the cent as the bill itself has
// them, so that the row adds up to its total.
QString billCells(const EstimateValue& v)
{
    const std::optional<BillCents> c = CentsOfBill(v);
    if (!c)
        return cell(PrintedMoney(v.kill.text)) + cell(PrintedMoney(v.processing.text)) +
               cell(QString()) + cell(QString()) + cell(PrintedMoney(v.total.text));
    const bool splitSide = v.share && v.share->splitSide();
    return cell(MoneyText(c->kill)) + cell(MoneyText(c->processing)) +
           cell(c->services != 0 ? MoneyText(c->services) : QString()) +
           cell(splitSide ? MoneyText(c->surcharge) : QString()) + cell(MoneyText(c->total));
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
    // The printed page's table measures a cell by its longest word in the
    // plain font, and squeezes every column when a cell spans several: the
    // heads are plain (underlined), the share is told as "1 of 3" under
    // "Share", and the animal's total stands in a table of its own.
    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\"><tr>");
    for (const char* heading : {"Share", "Estimate", "Customer", "Part", "Hanging", "Kill",
                                "Processing", "Services", "Surcharge", "Total"})
        html += QStringLiteral("<td align=\"left\"><u>%1</u></td>").arg(QLatin1String(heading));
    html += QStringLiteral("</tr>");
    for (int i = 0; i < int(animal.shares.size()); ++i) {
        const AnimalShare& share = animal.shares[i];
        const EstimateValue& v = share.estimate;
        html += QStringLiteral("<tr>") +
                cell(v.share ? ShareOfShares(*v.share)
                             : QStringLiteral("%1 of %2").arg(i + 1).arg(animal.shares.size()),
                     false) +
                cell(share.number ? QString::number(share.number) : QStringLiteral("not saved"),
                     false) +
                cell(share.customer, false) + cell(share.part.words(), false) +
                cell(v.hanging.text + QStringLiteral(" lb")) + billCells(v) +
                QStringLiteral("</tr>");
    }
    if (figures.unsold.part > 0)
        html += QStringLiteral("<tr>") + cell(QStringLiteral("Not sold yet"), false) +
                cell(QString(), false) + cell(QString(), false) +
                cell(UnitsText(figures.unsold.part, 2, false) + QStringLiteral(" %"), false) +
                cell(NumberText(figures.unsold.hanging) + QStringLiteral(" lb")) +
                billCells(figures.unsold.estimate) + QStringLiteral("</tr>");
    html += QStringLiteral("</table><hr/>");
    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\"><tr>"
                           "<th align=\"left\">The animal</th><th align=\"right\">%1</th></tr>"
                           "</table>")
                .arg(figures.cents ? MoneyText(figures.cents->animal) : QString());
    html += QStringLiteral("<p><small>Each share's row is its own bill to the cent. The animal's "
                           "kill fee and processing are divided to the cent: the cents that "
                           "rounding leaves go to the shares that rounding moved the most, in "
                           "their processing charge. The animal is the sum of its shares and "
                           "the part not sold yet.</small></p>");
    return html + QStringLiteral("</body></html>");
}
