#include "ui/spread_chart.h"

#include "book/quote_report.h"

#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace {

constexpr double Narrowest = 0.3; // the shortest reach each side of the quote
constexpr double Lowest = 0.5, Highest = 2.0;
constexpr int Pad = 8;

QColor withAlpha(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

// "+10 %", "−5 %", "0 %" for a bill ÷ quote.
QString percentText(double ratio)
{
    const long percent = std::lround((ratio - 1) * 100);
    if (percent == 0)
        return QStringLiteral("0 %");
    return QStringLiteral("%1%2 %")
        .arg(percent > 0 ? QStringLiteral("+") : QStringLiteral("\u2212"))
        .arg(std::labs(percent));
}

QString billsText(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 bill") : QStringLiteral("%1 bills").arg(count);
}

} // namespace

SpreadChart::SpreadChart(QWidget* parent)
    : QWidget(parent)
    , emptyText_(QStringLiteral("There is no final bill to compare with its quote."))
{
    setObjectName(QStringLiteral("spreadChart"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SpreadChart::setRows(const QList<SpreadRow>& rows)
{
    rows_ = rows;
    fitScale();
    update();
}

void SpreadChart::setEmptyText(const QString& text)
{
    emptyText_ = text;
    update();
}

void SpreadChart::fitScale()
{
    double smallest = 1 - Narrowest, largest = 1 + Narrowest;
    for (const SpreadRow& row : rows_)
        if (!row.sortedValues.isEmpty()) {
            smallest = std::min(smallest, row.sortedValues.first() - 0.02);
            largest = std::max(largest, row.sortedValues.last() + 0.02);
        }
    // To the twentieth, so that the ticks fall on round figures.
    low_ = std::max(Lowest, std::floor(smallest * 20 + 1e-9) / 20);
    high_ = std::min(Highest, std::ceil(largest * 20 - 1e-9) / 20);
}

QSize SpreadChart::sizeHint() const
{
    const int line = fontMetrics().height();
    return {640, 4 * line + 16 + int(std::max<qsizetype>(rows_.size(), 1)) * 4 * line};
}

QSize SpreadChart::minimumSizeHint() const
{
    const int line = fontMetrics().height();
    return {320, 6 * line + 16};
}

void SpreadChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QColor text = pal.color(QPalette::WindowText);
    const QColor faint = pal.color(QPalette::PlaceholderText);
    const QColor accent = pal.color(QPalette::Highlight);
    const QColor rule = pal.color(QPalette::Mid);
    p.fillRect(rect(), pal.color(QPalette::Base));
    p.setPen(rule);
    p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));

    const QFontMetrics m = fontMetrics();
    const int line = m.height();
    const bool any = std::any_of(rows_.begin(), rows_.end(),
                                 [](const SpreadRow& r) { return !r.sortedValues.isEmpty(); });
    if (!any) {
        p.setPen(faint);
        p.drawText(rect().adjusted(3 * Pad, Pad, -3 * Pad, -Pad),
                   Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
        return;
    }

    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics mb(bold);
    int labels = m.horizontalAdvance(billsText(999));
    for (const SpreadRow& row : rows_)
        labels = std::max(labels, mb.horizontalAdvance(row.label));
    const int edgeLabel = m.horizontalAdvance(QStringLiteral("\u2212100 %"));
    // The key, above the plot: its three entries, on as many lines as they need.
    const int dot = std::clamp(line / 2, 5, 8);
    const QStringList keys = {QStringLiteral("one final bill"),
                              QStringLiteral("10th to 90th percentile, median"),
                              QStringLiteral("within \u00b15 % and \u00b110 % of the quote")};
    QList<QPointF> keyAt;
    {
        double x = Pad, y = Pad;
        for (const QString& key : keys) {
            const int wide = 3 * dot + 4 + m.horizontalAdvance(key);
            if (x > Pad && x + wide > width() - Pad) {
                x = Pad;
                y += line + 2;
            }
            keyAt << QPointF(x, y);
            x += wide + 3 * Pad;
        }
    }
    const int plotTop = int(keyAt.last().y()) + line + Pad;
    const QRect plot(Pad + labels + 2 * Pad, plotTop,
                     width() - (Pad + labels + 2 * Pad) - edgeLabel / 2 - 2 * Pad,
                     height() - plotTop - (6 + 2 * line + Pad + 4));
    if (plot.width() < 40 || plot.height() < line)
        return;
    const auto xOf = [&](double ratio) {
        const double at = (std::clamp(ratio, low_, high_) - low_) / (high_ - low_);
        return plot.left() + at * plot.width();
    };

    // The bands within ±10 % and ±5 % of the quote, and the quote's own line.
    for (const double share : {0.10, 0.05}) {
        const double l = xOf(1 - share), r = xOf(1 + share);
        p.fillRect(QRectF(l, plot.top(), r - l, plot.height()), withAlpha(accent, 22));
    }

    // The ticks: a round step that leaves room between the labels.
    const double span = (high_ - low_) * 100;
    double step = 50;
    for (const double s : {1.0, 2.0, 5.0, 10.0, 20.0, 25.0, 50.0})
        if (span / s * (edgeLabel + 2 * Pad) <= plot.width()) {
            step = s;
            break;
        }
    p.setFont(font());
    for (double at = std::ceil((low_ - 1) * 100 / step - 1e-9) * step;
         at <= (high_ - 1) * 100 + 1e-9; at += step) {
        const double x = xOf(1 + at / 100);
        p.setPen(QPen(withAlpha(rule, 110), 1));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom() + 4));
        p.setPen(text);
        const QString label = percentText(1 + at / 100);
        p.drawText(QRectF(x - edgeLabel, plot.bottom() + 6, 2 * edgeLabel, line),
                   Qt::AlignHCenter | Qt::AlignTop, label);
    }
    p.setPen(faint);
    p.drawText(QRectF(plot.left(), plot.bottom() + 6 + line, plot.width(), line + 4),
               Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("the final bill against its quote"));
    p.setPen(QPen(text, 1.5));
    p.drawLine(QPointF(xOf(1), plot.top()), QPointF(xOf(1), plot.bottom() + 4));

    for (int k = 0; k < keys.size(); ++k) {
        const QRectF mark(keyAt[k].x(), keyAt[k].y() + (line - dot) / 2.0, 3 * dot, dot);
        if (k == 0) {
            p.setPen(Qt::NoPen);
            p.setBrush(withAlpha(accent, 210));
            p.drawEllipse(QPointF(mark.center().x(), mark.center().y()), dot / 2.0, dot / 2.0);
        } else if (k == 1) {
            p.setBrush(withAlpha(accent, 60));
            p.setPen(QPen(withAlpha(accent, 230), 1));
            p.drawRect(mark);
            p.setPen(QPen(text, 2.5));
            p.drawLine(QPointF(mark.center().x(), mark.top() - 1),
                       QPointF(mark.center().x(), mark.bottom() + 1));
        } else {
            p.fillRect(QRectF(mark.left(), keyAt[k].y() + 1, mark.width(), line - 2),
                       withAlpha(accent, 44));
        }
        p.setPen(faint);
        p.drawText(QRectF(mark.right() + 4, keyAt[k].y(), m.horizontalAdvance(keys[k]) + 1, line),
                   Qt::AlignLeft | Qt::AlignVCenter, keys[k]);
    }

    // One row a species.
    const double rowHeight = double(plot.height()) / double(std::max<qsizetype>(rows_.size(), 1));
    for (int i = 0; i < rows_.size(); ++i) {
        const SpreadRow& row = rows_[i];
        const QRectF band(plot.left(), plot.top() + i * rowHeight, plot.width(), rowHeight);
        if (i > 0) {
            p.setPen(QPen(rule, 1));
            p.drawLine(QPointF(Pad, band.top()), QPointF(plot.right(), band.top()));
        }
        const double middle = band.center().y();
        p.setFont(bold);
        p.setPen(text);
        p.drawText(QRectF(Pad, middle - line, labels + Pad, line), Qt::AlignLeft | Qt::AlignBottom,
                   row.label);
        p.setFont(font());
        p.setPen(faint);
        p.drawText(QRectF(Pad, middle, labels + Pad, line), Qt::AlignLeft | Qt::AlignTop,
                   billsText(row.sortedValues.size()));
        if (row.sortedValues.isEmpty())
            continue;

        // The dots stacked above the box, the two centred on the row (or
        // the stacks pressed closer when the row is too low for them).
        QMap<long, int> stacks;
        QList<std::pair<long, int>> placed;
        for (const double value : row.sortedValues) {
            const long bin = std::lround((xOf(value) - xOf(1)) / dot);
            placed.append({bin, stacks[bin]++});
        }
        int tallest = 1;
        for (const int count : stacks)
            tallest = std::max(tallest, count);
        const double boxHeight = std::clamp(rowHeight * 0.22, 8.0, 20.0);
        const QRectF inner = band.adjusted(0, 5, 0, -6);
        const double stackHeight =
            std::max(double(dot), std::min(inner.height() - 5 - boxHeight, double(tallest * dot)));
        const double top = std::max(inner.top(), middle - (stackHeight + 5 + boxHeight) / 2);
        const double boxTop = top + stackHeight + 5;
        const double base = boxTop - 5 - dot / 2.0; // the centre of the lowest dot
        const double roof = top + dot / 2.0;        // the centre of the highest
        const double rise =
            tallest > 1 ? std::min(double(dot), std::max(0.0, base - roof) / (tallest - 1)) : 0;
        for (int k = 0; k < row.sortedValues.size(); ++k) {
            const double value = row.sortedValues[k];
            const double x = std::clamp(xOf(1) + placed[k].first * dot, double(plot.left()),
                                        double(plot.right()));
            const double y = base - placed[k].second * rise;
            p.setPen(QPen(pal.color(QPalette::Base), 0.8));
            p.setBrush(withAlpha(accent, 210));
            if (value < low_ || value > high_) {
                // Beyond the scale: an arrowhead at the edge, pointing out.
                const double out = value < low_ ? -1 : 1;
                QPainterPath head;
                head.moveTo(x + out * dot * 0.6, y);
                head.lineTo(x - out * dot * 0.5, y - dot * 0.6);
                head.lineTo(x - out * dot * 0.5, y + dot * 0.6);
                head.closeSubpath();
                p.drawPath(head);
            } else {
                p.drawEllipse(QPointF(x, y), dot / 2.0, dot / 2.0);
            }
        }
        const double l = xOf(Percentile(row.sortedValues, 0.1));
        const double r = xOf(Percentile(row.sortedValues, 0.9));
        const double median = xOf(Percentile(row.sortedValues, 0.5));
        p.setBrush(withAlpha(accent, 60));
        p.setPen(QPen(withAlpha(accent, 230), 1));
        p.drawRect(QRectF(l, boxTop, std::max(1.0, r - l), boxHeight));
        p.setPen(QPen(text, 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(median, boxTop - 2), QPointF(median, boxTop + boxHeight + 2));
    }
}
