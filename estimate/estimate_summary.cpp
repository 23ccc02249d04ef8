#include "estimate/estimate_summary.h"

#include "core/numbers.h"

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
    const QString text = UnitsText(cents, 2, true);
    return text.startsWith(QLatin1Char('-')) ? QStringLiteral("-$") + text.mid(1)
                                             : QStringLiteral("$") + text;
}

// A figure to the nearest cent, a half cent to the even cent.
std::optional<std::int64_t> nearestCents(const QString& figure)
{
    const auto value = StrictNumber(figure);
    return value ? ScaledUnits(*value, 2, HalfRounding::ToEven) : std::nullopt;
}

} // namespace

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

QString PrintedMoney(const QString& figure)
{
    const auto cents = nearestCents(figure);
    return cents ? centsMoney(*cents) : figure;
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

// The top of the page: the shop's name with its address and phone under it,
// the page's title line, and the estimate's number and customer when saved.
QString pageHead(const EstimateSummary& s, const QString& title)
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
    if (!saved.isEmpty())
        html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"4\">%1</table>").arg(saved);
    return html;
}

QString speciesText(const EstimateSummary& s)
{
    return s.species.isEmpty() ? QStringLiteral("-") : s.species;
}

// A difference of money with its sign: "+$3.00", "-$0.25", "$0.00".
QString signedMoney(std::int64_t cents)
{
    return cents > 0 ? QStringLiteral("+") + centsMoney(cents) : centsMoney(cents);
}

const QString EstimateNotice =
    QStringLiteral("<p><small>This is an estimate. The final bill follows the weights and "
                   "services of the actual work.</small></p>");

} // namespace

QString EstimateHtml(const EstimateSummary& s)
{
    QString html = pageHead(s, QStringLiteral("Estimate of %1").arg(s.date.toString(Qt::ISODate)));
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"4\">");
    html += row({QStringLiteral("Species"), speciesText(s)});
    html += row({s.weightCaption, pounds(s.enteredWeight)});
    html += row({QStringLiteral("Hanging Weight"), pounds(s.hangingWeight)});
    html += QStringLiteral("</table><p></p>");

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
    }
    html += QStringLiteral("<tr><td colspan=\"4\"><hr/></td></tr>");
    html += QStringLiteral("<tr><th align=\"left\">Total Estimated Price</th><td></td><td></td>"
                           "<th align=\"right\">%1</th></tr>")
                .arg(escaped(PrintedMoney(s.total)));
    html += QStringLiteral("</table>");
    html += EstimateNotice;
    return html + QStringLiteral("</body></html>");
}

QString FinalBillHtml(const EstimateSummary& quote, const EstimateSummary& billed)
{
    QString html = pageHead(
        billed, QStringLiteral("Final bill of %1, quoted on %2")
                    .arg(billed.date.toString(Qt::ISODate), quote.date.toString(Qt::ISODate)));
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"4\">");
    html += row({QString(), QStringLiteral("Quoted"), QStringLiteral("Final")}, true);
    html += row({QStringLiteral("Species"), speciesText(quote), speciesText(billed)});
    html += row({billed.weightCaption, pounds(quote.enteredWeight), pounds(billed.enteredWeight)});
    html += row({QStringLiteral("Hanging Weight"), pounds(quote.hangingWeight),
                 pounds(billed.hangingWeight)});
    html += QStringLiteral("</table><p></p>");

    // One printed line for each charge of either side: kill, processing, then
    // the services in box order. `at` is each side's index among its own
    // charges (see chargesOf), -1 when the line is not on that side.
    struct Line {
        QString name;
        int at[2];
    };
    QList<Line> lines = {{QStringLiteral("Kill Charge"), {0, 0}},
                         {QStringLiteral("Processing Charge"), {1, 1}}};
    const EstimateSummary* const sides[2] = {&quote, &billed};
    for (const ServiceInfo& service : Services()) {
        Line line{QString(), {-1, -1}};
        for (int side = 0; side < 2; ++side)
            for (int i = 0; i < int(sides[side]->services.size()); ++i)
                if (sides[side]->services[i].service == service.id) {
                    line.at[side] = 2 + i;
                    // The final bill's words when the line is on both sides.
                    line.name = serviceName(sides[side]->services[i]);
                }
        if (line.at[0] >= 0 || line.at[1] >= 0)
            lines << line;
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
    }
    const auto wasTotal = nearestCents(quote.total);
    const auto isTotal = nearestCents(billed.total);
    html += QStringLiteral("<tr><td colspan=\"4\"><hr/></td></tr>");
    html += QStringLiteral("<tr><th align=\"left\">Total Price</th><th align=\"right\">%1</th>"
                           "<th align=\"right\">%2</th><th align=\"right\">%3</th></tr>")
                .arg(escaped(PrintedMoney(quote.total)), escaped(PrintedMoney(billed.total)),
                     wasTotal && isTotal ? signedMoney(*isTotal - *wasTotal) : QString());
    html += QStringLiteral("</table>");
    return html + QStringLiteral("</body></html>");
}
