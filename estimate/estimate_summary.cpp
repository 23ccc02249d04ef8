#include "estimate/estimate_summary.h"

#include "core/money.h"
#include "core/numbers.h"
#include "estimate/curing_rules.h"
#include "estimate/cut_rules.h"
#include "estimate/estimate_value.h"
#include "estimate/extra_boning_rules.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace {

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString row(const QStringList& cells, bool heading = false)
{
    const QString tag = heading ? QStringLiteral("th") : QStringLiteral("td");
    QString html = QStringLiteral("<tr>");
    for (int i = 0; i < cells.size(); ++i)
        html += QStringLiteral("<%1 align=\"%2\">%3</%1>")
                    .arg(tag, i == 0 ? QStringLiteral("left") : QStringLiteral("right"),
                         escaped(cells[i]));
    return html + QStringLiteral("</tr>");
}

QString pounds(const QString& weight)
{
    return weight.trimmed().isEmpty() ? QString() : weight.trimmed() + QStringLiteral(" lb");
}

QString centsMoney(std::int64_t cents)
{
    return MoneyText(cents);
}

std::optional<std::int64_t> nearestCents(const QString& figure)
{
    return CentsOf(figure);
}

// The names of what a worksheet was given, a line each.
QStringList detailsOf(const ServiceInfo& s, const SheetEntries& entries)
{
    QStringList lines;
    for (const SausageRules::Entry& e : entries.sausage) {
        const SausageRules::Kind* kind = SausageRules::KindAt(e.row);
        QString line = QStringLiteral("%1: %2 lb deer")
                           .arg(kind ? QLatin1String(kind->caption) : e.item, e.deer.trimmed());
        if (!e.pork.trimmed().isEmpty())
            line += QStringLiteral(", %1 lb pork").arg(e.pork.trimmed());
        lines << line;
    }
    QStringList names;
    for (const int i : entries.chosen) {
        const char* name = nullptr;
        switch (s.worksheet) {
        case Worksheet::ExtraBoning:
            if (i >= 0 && i < ExtraBoningRules::CutCount)
                name = ExtraBoningRules::CutNames[i];
            break;
        case Worksheet::Fajita:
        case Worksheet::Jerky:
            if (i >= 0 && i < CutRules::CutCount)
                name = CutRules::CutNames[i];
            break;
        case Worksheet::Curing:
            if (i >= 0 && i < CuringRules::CutCount)
                name = CuringRules::Cuts[i].name;
            break;
        case Worksheet::Sausage:
        case Worksheet::None:
            break;
        }
        if (name)
            names << QLatin1String(name);
    }
    if (!names.isEmpty())
        lines << names.join(QStringLiteral(", "));
    return lines;
}

} // namespace

BillAmounts AmountsOf(const EstimateValue& v)
{
    BillAmounts bill;
    bill.kill = v.kill.text;
    bill.processing = v.processing.text;
    if (v.share && LeadingNumber(v.share->leftover) != 0)
        bill.processing = NumberText(
            Round15(LeadingNumber(v.processing.text) + LeadingNumber(v.share->leftover)));
    for (const ServiceInfo& s : Services())
        if (v.counts(s.id))
            bill.services.append({s.id, v.row(s.id).charge.text});
    if (v.share && v.share->splitSide())
        bill.surcharge = v.share->surcharge.text;
    bill.total = v.total.text;
    return bill;
}

QStringList BillAmounts::charges() const
{
    QStringList all = {kill, processing};
    for (const auto& [service, charge] : services)
        all << charge;
    if (surcharge)
        all << *surcharge;
    return all;
}

std::optional<BillCents> CentsOfBill(const EstimateValue& v)
{
    const BillAmounts bill = AmountsOf(v);
    const auto lines = CentsAddingUp(bill.charges(), bill.total);
    const auto total = CentsOf(bill.total);
    if (!lines || !total)
        return std::nullopt;
    BillCents cents;
    cents.kill = lines->at(0);
    cents.processing = lines->at(1);
    for (int i = 0; i < int(bill.services.size()); ++i)
        cents.services += lines->at(2 + i);
    if (bill.surcharge)
        cents.surcharge = lines->last();
    cents.total = *total;
    return cents;
}

EstimateSummary Summarize(const EstimateValue& v)
{
    const BillAmounts bill = AmountsOf(v);
    EstimateSummary estimate;
    estimate.species = SpeciesName(v.species);
    estimate.weightCaption = v.shown.weightCaption;
    estimate.enteredWeight = v.live;
    estimate.hangingWeight = v.hanging.text;
    estimate.killCharge = bill.kill;
    estimate.processingCharge = bill.processing;
    estimate.processingRate = v.processingRate;
    estimate.pricesOf = v.ratesFrom;
    estimate.saved = v.savedAt.date();
    for (const auto& [id, charge] : bill.services) {
        const ServiceInfo& s = Service(id);
        const ServiceRow& r = v.row(id);
        EstimateLine line{id, r.weight.text, r.rate, charge, QString(), {}};
        if (s.figuring == Figuring::PaperWrapp) {
            line.weight.clear(); // its weight field holds the processing charge
            line.note = QStringLiteral("in the processing charge");
        } else if (s.figuring == Figuring::Notice) {
            line.weight.clear();
            line.note = QStringLiteral("no charge beyond processing");
        } else if (s.figuring == Figuring::CureProducts) {
            for (int i = 0; i < EstimateRules::CureProductCount; ++i)
                if (v.cure[i])
                    line.details << QLatin1String(EstimateRules::CureProductNames[i]);
            if (!line.details.isEmpty())
                line.details = QStringList{line.details.join(QStringLiteral(", "))};
        } else {
            line.details = detailsOf(s, r.entries);
        }
        estimate.services << line;
    }
    estimate.total = bill.total;
    if (v.share) {
        const ShareOfAnimal& share = *v.share;
        estimate.shareNote = ShareNote(share, v.species);
        if (bill.surcharge) {
            estimate.surcharge = *bill.surcharge;
            estimate.surchargeRate = share.surchargeRate;
        }
    }
    return estimate;
}

QStringList StaleRowWords(const EstimateValue& v)
{
    QStringList stale;
    for (const ServiceId id : v.staleServices())
        stale << QStringLiteral("%1, figured for %2 lb")
                     .arg(ServiceCaption(Service(id)), NumberText(*v.row(id).figuredFor));
    return stale;
}

QString ShareOfShares(const ShareOfAnimal& share)
{
    return QStringLiteral("%1 of %2").arg(share.share).arg(share.shares);
}

QString ShareHeading(const ShareOfAnimal& share)
{
    return QStringLiteral("Share ") + ShareOfShares(share);
}

QString PartOfAnimal(const QString& part, Species species)
{
    const QString animal =
        species == Species::Pork ? QStringLiteral("a hog") : QStringLiteral("a beef");
    // "10 % of a hog"; "a quarter of a beef".
    if (part.endsWith(QLatin1Char('%')))
        return QStringLiteral("%1 of %2").arg(part, animal);
    return QStringLiteral("a %1 of %2").arg(part, animal);
}

QString ShareNote(const ShareOfAnimal& share, Species species)
{
    QString note =
        QStringLiteral("%1: %2").arg(ShareHeading(share), PartOfAnimal(share.part, species));
    if (!share.tag.trimmed().isEmpty())
        note += QStringLiteral(", tag ") + share.tag.trimmed();
    note += QStringLiteral(", whose hanging weight is %1 lb; %2.")
                .arg(share.animalHanging, share.killFeeWords);
    if (LeadingNumber(share.leftover) != 0)
        note += QStringLiteral(" The processing charge carries this share's cents of dividing "
                               "the animal's kill fee and processing to the cent.");
    if (share.takenOff)
        note += QStringLiteral(" This buyer was taken off the animal after this was saved.");
    return note;
}

QString PrintedServiceName(ServiceId service)
{
    return QLatin1String(Service(service).printedName);
}

std::optional<QList<std::int64_t>> CentsAddingUp(const QStringList& amounts, const QString& total)
{
    const auto totalCents = nearestCents(total);
    if (!totalCents)
        return std::nullopt;
    QList<std::int64_t> cents;
    QList<double> moved; // cents that rounding added to an amount (negative: took away)
    std::int64_t sum = 0;
    for (const QString& amount : amounts) {
        const QString figure = amount.trimmed().isEmpty() ? QStringLiteral("0") : amount;
        const auto rounded = nearestCents(figure);
        if (!rounded || __builtin_add_overflow(sum, *rounded, &sum))
            return std::nullopt;
        cents << *rounded;
        moved << double(*rounded) - *StrictNumber(figure) * 100;
    }
    std::int64_t missing = 0;
    if (__builtin_sub_overflow(*totalCents, sum, &missing) || missing > cents.size() ||
        -missing > cents.size())
        return std::nullopt; // the total is not the sum of these amounts
    // A missing cent goes to the amount rounded down the most; a cent too many
    // comes from the amount rounded up the most.
    QList<int> order(cents.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return missing > 0 ? moved[a] < moved[b] : moved[a] > moved[b];
    });
    const int step = missing > 0 ? 1 : -1;
    for (int i = 0; i < int(missing * step); ++i)
        cents[order[i]] += step;
    return cents;
}

QString PrintedRate(const QString& rate)
{
    const auto value = StrictNumber(rate);
    const auto units = value ? ScaledUnits(*value, 4, HalfRounding::ToEven) : std::nullopt;
    if (!units)
        return rate;
    // Cents at least, and the parts of a cent that the price has.
    QString text = UnitsText(*units, 4, false);
    const int point = text.indexOf(QLatin1Char('.'));
    const int decimals = point < 0 ? 0 : int(text.size()) - point - 1;
    if (point < 0)
        text += QLatin1Char('.');
    text += QString(qMax(0, 2 - decimals), QLatin1Char('0'));
    return QStringLiteral("$%1/lb").arg(text);
}

namespace {

// The charges of an estimate in printed order: kill, processing, then each
// service's.
QStringList chargesOf(const EstimateSummary& s)
{
    QStringList charges = {s.killCharge, s.processingCharge};
    for (const EstimateLine& line : s.services)
        charges << line.charge;
    if (!s.surchargeRate.isEmpty() || !s.surcharge.isEmpty())
        charges << s.surcharge;
    return charges;
}

// Each charge to the cent, the cents shared out so that they add up to the
// printed total; no value when they cannot be (a charge is not a number).
std::optional<QList<std::int64_t>> printedCents(const EstimateSummary& s)
{
    return CentsAddingUp(chargesOf(s), s.total);
}

QString serviceName(const EstimateLine& line)
{
    QString name = PrintedServiceName(line.service);
    if (!line.note.isEmpty())
        name += QStringLiteral(" (%1)").arg(line.note);
    return name;
}

} // namespace

// The top of the page: the shop's name with its address and phone under it,
// the page's title line, and the estimate's number and customer when saved.
QString PageHeadHtml(const EstimateSummary& s, const QString& title)
{
    QString html = QStringLiteral("<html><body>");
    html += QStringLiteral("<h2>%1</h2>").arg(escaped(s.shopName));
    QStringList shopLines;
    for (const QString& line : s.shopAddress.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            shopLines << escaped(line.trimmed());
    if (!s.shopPhone.trimmed().isEmpty())
        shopLines << escaped(s.shopPhone.trimmed());
    if (!shopLines.isEmpty())
        html += QStringLiteral("<p>%1</p>").arg(shopLines.join(QStringLiteral("<br/>")));
    html += QStringLiteral("<p>%1</p>").arg(escaped(title));
    QString saved;
    if (s.number > 0)
        saved += row({QStringLiteral("Estimate Number"), QString::number(s.number)});
    if (!s.customer.isEmpty())
        saved += row({QStringLiteral("Customer"), s.customer});
    if (!s.customerPhone.isEmpty())
        saved += row({QStringLiteral("Phone"), s.customerPhone});
    if (!s.hunterTag.isEmpty())
        saved += row({QStringLiteral("Hunter's Tag"), s.hunterTag});
    if (!s.note.isEmpty())
        saved += row({QStringLiteral("Note"), s.note});
    if (!saved.isEmpty())
        html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"4\">%1</table>").arg(saved);
    return html;
}

namespace {

QString pageHead(const EstimateSummary& s, const QString& title)
{
    return PageHeadHtml(s, title);
}

QString speciesText(const EstimateSummary& s)
{
    return s.species.isEmpty() ? QStringLiteral("-") : s.species;
}

QString signedMoney(std::int64_t cents)
{
    return SignedMoneyText(cents);
}

QString isoDate(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

// Under the title: the day it is printed, and the prices it is figured at.
QString datesLine(const EstimateSummary& s)
{
    QStringList words;
    if (s.pricesOf.isValid())
        words << QStringLiteral("Prices of %1").arg(isoDate(s.pricesOf));
    words << QStringLiteral("Printed %1").arg(isoDate(s.printed));
    return QStringLiteral("<p><small>%1</small></p>")
        .arg(escaped(words.join(QStringLiteral(". "))));
}

QString detailRows(const QStringList& details, int columns)
{
    QString html;
    for (const QString& detail : details)
        html +=
            QStringLiteral("<tr><td colspan=\"%1\"><small>&nbsp;&nbsp;&nbsp;%2</small></td></tr>")
                .arg(columns)
                .arg(escaped(detail));
    return html;
}

const QString SurchargeName = QStringLiteral("Split-side surcharge");

// The money of the booking the estimate is billed by, under its total: the
// storage charged, each payment, and the balance due, their amounts in
// column `at` of `columns`; on a quote (`estimated`), the balance estimated.
QString paidRows(const EstimateSummary& s, int columns, int at, bool estimated)
{
    if (!s.billedByBooking)
        return QString();
    const auto line = [&](const QString& words, const QString& amount, bool bold) {
        QString html = QStringLiteral("<tr>");
        const QString cell = bold ? QStringLiteral("th") : QStringLiteral("td");
        html += QStringLiteral("<%1 align=\"left\">%2</%1>").arg(cell, words.toHtmlEscaped());
        for (int c = 1; c < columns; ++c)
            html += c == at ? QStringLiteral("<%1 align=\"right\">%2</%1>")
                                  .arg(cell, amount.toHtmlEscaped())
                            : QStringLiteral("<td></td>");
        return html + QStringLiteral("</tr>");
    };
    QString html;
    if (!s.storageWords.isEmpty())
        html += line(s.storageWords, MoneyText(s.storageCents), false);
    for (const auto& [words, cents] : s.payments)
        html += line(words, MoneyText(-cents), false);
    html += line(s.balanceDue < 0 ? QStringLiteral("Credit to the Customer")
                 : estimated      ? QStringLiteral("Estimated Balance Due")
                                  : QStringLiteral("Balance Due"),
                 MoneyText(std::abs(s.balanceDue)), true);
    return html;
}

const QString EstimateNotice =
    QStringLiteral("<p><small>This is an estimate. The final bill follows the weights and "
                   "services of the actual work.</small></p>");

} // namespace

QString EstimateHtml(const EstimateSummary& s)
{
    // An estimate is of the day it was saved; one not saved, of today.
    QString html = pageHead(
        s, QStringLiteral("Estimate of %1").arg(isoDate(s.saved.isValid() ? s.saved : s.printed)));
    html += datesLine(s);
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"4\">");
    html += row({QStringLiteral("Species"), speciesText(s)});
    html += row({s.weightCaption, pounds(s.enteredWeight)});
    html += row({QStringLiteral("Hanging Weight"), pounds(s.hangingWeight)});
    html += QStringLiteral("</table>");
    if (!s.shareNote.isEmpty())
        html += QStringLiteral("<p>%1</p>").arg(escaped(s.shareNote));
    html += QStringLiteral("<p></p>");

    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\">");
    html += row({QStringLiteral("Charge"), QStringLiteral("Weight"), QStringLiteral("Rate"),
                 QStringLiteral("Amount")},
                true);
    // Printed as they stand when the charges cannot be shared out to the cent.
    const QStringList charges = chargesOf(s);
    const auto cents = printedCents(s);
    const auto money = [&](int i) {
        return cents ? centsMoney(cents->at(i)) : PrintedMoney(charges[i]);
    };

    html += row({QStringLiteral("Kill Charge"), QString(), QString(), money(0)});
    html +=
        row({QStringLiteral("Processing Charge"), pounds(s.hangingWeight),
             s.processingRate.isEmpty() ? QStringLiteral("flat") : PrintedRate(s.processingRate),
             money(1)});
    for (int i = 0; i < int(s.services.size()); ++i) {
        const EstimateLine& line = s.services[i];
        html += row({serviceName(line), pounds(line.weight), PrintedRate(line.rate), money(2 + i)});
        html += detailRows(line.details, 4);
    }
    if (int(charges.size()) > 2 + int(s.services.size()))
        html += row({SurchargeName, pounds(s.hangingWeight), PrintedRate(s.surchargeRate),
                     money(int(charges.size()) - 1)});
    html += QStringLiteral("<tr><td colspan=\"4\"><hr/></td></tr>");
    html += QStringLiteral("<tr><th align=\"left\">Total Estimated Price</th><td></td><td></td>"
                           "<th align=\"right\">%1</th></tr>")
                .arg(escaped(PrintedMoney(s.total)));
    if (!s.likelyTotal.isEmpty())
        html += QStringLiteral("<tr><td align=\"left\">Likely</td><td align=\"right\">%1</td>"
                               "<td></td><td align=\"right\">%2</td></tr>")
                    .arg(escaped(s.likelyHanging), escaped(s.likelyTotal));
    html += paidRows(s, 4, 3, true);
    html += QStringLiteral("</table>");
    if (!s.takeHome.isEmpty())
        html += QStringLiteral("<p>Take-home: %1.</p>").arg(escaped(s.takeHome));
    if (!s.likelyCaution.isEmpty())
        html += QStringLiteral("<p>%1</p>").arg(escaped(s.likelyCaution));
    if (!s.likelyWords.isEmpty())
        html += QStringLiteral("<p><small>%1</small></p>").arg(escaped(s.likelyWords));
    html += EstimateNotice;
    return html + QStringLiteral("</body></html>");
}

QString FinalBillHtml(const EstimateSummary& quote, const EstimateSummary& billed)
{
    const auto day = [](const EstimateSummary& s) {
        return isoDate(s.saved.isValid() ? s.saved : s.printed);
    };
    QString html = pageHead(
        billed, QStringLiteral("Final bill of %1, quoted on %2").arg(day(billed), day(quote)));
    // Each column at its own prices: the quote's, and the bill's (today's
    // after Use Today's Prices).
    if (quote.pricesOf.isValid() && billed.pricesOf.isValid() &&
        quote.pricesOf != billed.pricesOf) {
        html += QStringLiteral("<p><small>%1</small></p>")
                    .arg(escaped(QStringLiteral("Quoted at prices of %1. Billed at prices of %2. "
                                                "Printed %3")
                                     .arg(isoDate(quote.pricesOf), isoDate(billed.pricesOf),
                                          isoDate(billed.printed))));
    } else {
        html += datesLine(billed);
    }
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"4\">");
    html += row({QString(), QStringLiteral("Quoted"), QStringLiteral("Final")}, true);
    html += row({QStringLiteral("Species"), speciesText(quote), speciesText(billed)});
    html += row({billed.weightCaption, pounds(quote.enteredWeight), pounds(billed.enteredWeight)});
    html += row({QStringLiteral("Hanging Weight"), pounds(quote.hangingWeight),
                 pounds(billed.hangingWeight)});
    html += QStringLiteral("</table>");
    if (!billed.shareNote.isEmpty())
        html += QStringLiteral("<p>%1</p>").arg(escaped(billed.shareNote));
    html += QStringLiteral("<p></p>");

    // One printed line for each charge of either side: kill, processing, then
    // the services in box order. `at` is each side's index among its own
    // charges (see chargesOf), -1 when the line is not on that side.
    struct Line {
        QString name;
        int at[2];
        QStringList details;
    };
    QList<Line> lines = {{QStringLiteral("Kill Charge"), {0, 0}, {}},
                         {QStringLiteral("Processing Charge"), {1, 1}, {}}};
    const EstimateSummary* const sides[2] = {&quote, &billed};
    for (const ServiceInfo& service : Services()) {
        Line line{QString(), {-1, -1}, {}};
        for (int side = 0; side < 2; ++side)
            for (int i = 0; i < int(sides[side]->services.size()); ++i)
                if (sides[side]->services[i].service == service.id) {
                    line.at[side] = 2 + i;
                    // The final bill's words when the line is on both sides.
                    line.name = serviceName(sides[side]->services[i]);
                    line.details = sides[side]->services[i].details;
                }
        if (line.at[0] >= 0 || line.at[1] >= 0)
            lines << line;
    }
    {
        Line surcharge{SurchargeName, {-1, -1}, {}};
        for (int side = 0; side < 2; ++side)
            if (int(chargesOf(*sides[side]).size()) > 2 + int(sides[side]->services.size()))
                surcharge.at[side] = 2 + int(sides[side]->services.size());
        if (surcharge.at[0] >= 0 || surcharge.at[1] >= 0)
            lines << surcharge;
    }

    const QStringList charges[2] = {chargesOf(quote), chargesOf(billed)};
    const std::optional<QList<std::int64_t>> cents[2] = {printedCents(quote), printedCents(billed)};
    // A side's amount on a line: printed, and in cents when it has them (a
    // line not on that side is blank and counts as 0).
    const auto amount = [&](const Line& line, int side, std::optional<std::int64_t>* inCents) {
        const int at = line.at[side];
        if (at < 0) {
            *inCents = cents[side] ? std::optional<std::int64_t>(0) : std::nullopt;
            return QString();
        }
        *inCents = cents[side] ? std::optional<std::int64_t>(cents[side]->at(at)) : std::nullopt;
        return *inCents ? centsMoney(**inCents) : PrintedMoney(charges[side][at]);
    };

    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\">");
    html += row({QStringLiteral("Charge"), QStringLiteral("Quoted"), QStringLiteral("Final"),
                 QStringLiteral("Difference")},
                true);
    for (const Line& line : lines) {
        std::optional<std::int64_t> was, is;
        const QString quoted = amount(line, 0, &was);
        const QString billedAmount = amount(line, 1, &is);
        html +=
            row({line.name, quoted, billedAmount, was && is ? signedMoney(*is - *was) : QString()});
        html += detailRows(line.details, 4);
    }
    const auto wasTotal = nearestCents(quote.total);
    const auto isTotal = nearestCents(billed.total);
    html += QStringLiteral("<tr><td colspan=\"4\"><hr/></td></tr>");
    html += QStringLiteral("<tr><th align=\"left\">Total Price</th><th align=\"right\">%1</th>"
                           "<th align=\"right\">%2</th><th align=\"right\">%3</th></tr>")
                .arg(escaped(PrintedMoney(quote.total)), escaped(PrintedMoney(billed.total)),
                     wasTotal && isTotal ? signedMoney(*isTotal - *wasTotal) : QString());
    html += paidRows(billed, 4, 2, false);
    html += QStringLiteral("</table>");
    return html + QStringLiteral("</body></html>");
}
