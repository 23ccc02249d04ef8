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

QString EstimateHtml(const EstimateSummary& s)
{
    QString html = QStringLiteral("<html><body>");
    html += QStringLiteral("<h2>%1</h2>").arg(escaped(s.shopName));
    html += QStringLiteral("<p>Estimate of %1</p>").arg(s.date.toString(Qt::ISODate));
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"4\">");
    html += row({QStringLiteral("Species"), s.species.isEmpty() ? QStringLiteral("-") : s.species});
    html += row({s.weightCaption, pounds(s.enteredWeight)});
    html += row({QStringLiteral("Hanging Weight"), pounds(s.hangingWeight)});
    html += QStringLiteral("</table><p></p>");

    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\">");
    html += row({QStringLiteral("Charge"), QStringLiteral("Weight"), QStringLiteral("Rate"),
                 QStringLiteral("Amount")},
                true);
    // Each charge to the cent, the cents shared out so that they add up to the
    // printed total; as they stand when a charge is not a number.
    QStringList charges = {s.killCharge, s.processingCharge};
    for (const EstimateLine& line : s.services)
        charges << line.charge;
    const auto cents = CentsAddingUp(charges, s.total);
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
        QString name = PrintedServiceName(line.service);
        if (!line.note.isEmpty())
            name += QStringLiteral(" (%1)").arg(line.note);
        html += row({name, pounds(line.weight), PrintedRate(line.rate), money(2 + i)});
    }
    html += QStringLiteral("<tr><td colspan=\"4\"><hr/></td></tr>");
    html += QStringLiteral("<tr><th align=\"left\">Total Estimated Price</th><td></td><td></td>"
                           "<th align=\"right\">%1</th></tr>")
                .arg(escaped(PrintedMoney(s.total)));
    html += QStringLiteral("</table>");
    html += QStringLiteral("<p><small>This is an estimate. The final bill follows the weights "
                           "and services of the actual work.</small></p>");
    return html + QStringLiteral("</body></html>");
}
