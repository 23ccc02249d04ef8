#include "estimate_summary.h"

#include "numbers.h"

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

} // namespace

QString PrintedMoney(const QString& figure)
{
    const auto value = StrictNumber(figure);
    if (!value)
        return figure;
    const auto cents = ScaledUnits(*value, 2, HalfRounding::ToEven);
    if (!cents)
        return figure;
    const QString text = UnitsText(*cents, 2, true);
    return text.startsWith(QLatin1Char('-')) ? QStringLiteral("-$") + text.mid(1)
                                             : QStringLiteral("$") + text;
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
    html += row({QStringLiteral("Kill Charge"), QString(), QString(), PrintedMoney(s.killCharge)});
    html +=
        row({QStringLiteral("Processing Charge"), pounds(s.hangingWeight),
             s.processingRate.isEmpty() ? QStringLiteral("flat") : PrintedRate(s.processingRate),
             PrintedMoney(s.processingCharge)});
    for (const EstimateLine& line : s.services) {
        QString name = line.service;
        if (!line.note.isEmpty())
            name += QStringLiteral(" (%1)").arg(line.note);
        html += row({name, pounds(line.weight), PrintedRate(line.rate), PrintedMoney(line.charge)});
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
