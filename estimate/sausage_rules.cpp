#include "estimate/sausage_rules.h"

#include "core/numbers.h"
#include "pricelist/price_items.h"

#include <cmath>

namespace SausageRules {

const Kind Kinds[KindCount] = {
    {1, "Summer Sausage", "Summer", 1, PorkRule::Half, true},
    {2, "Jalepeno Sausage", "JalepenoSausage", 2, PorkRule::Half, true},
    {3, "Jerky", "Jerky", 0, PorkRule::None, true},
    {4, "HotStix", "HotStix", 0, PorkRule::None, true},
    {5, "Polish", "Polish", 3, PorkRule::Half, true},
    {6, "German", "German", 4, PorkRule::Half, true},
    {7, "Bratwurst", "Brat", 5, PorkRule::SameText, true},
    {8, "Italian", "Italian", 6, PorkRule::Third, true},
    {9, "Grind And Wrapp", "", 0, PorkRule::None, false},
    {10, "Slicing", "", 0, PorkRule::None, false},
    {11, "Breakfast Sausage", "BreakfastSausage", 7, PorkRule::SameText, true},
};

const Kind* KindAt(int row)
{
    return row >= 1 && row <= KindCount ? &Kinds[row - 1] : nullptr;
}

PorkFigure PorkFor(const Kind& kind, const QString& deerText)
{
    switch (kind.pork) {
    case PorkRule::None:
        return {QString(), true};
    case PorkRule::SameText:
        return {deerText, true};
    case PorkRule::Half:
    case PorkRule::Third:
        break;
    }
    const double divisor = kind.pork == PorkRule::Half ? 2 : 3;
    const std::optional<double> deer = StrictNumber(deerText);
    return {OneDecimalText(deer.value_or(0) / divisor), deer.has_value()};
}

QString DeerWeightProblem(const Kind& kind, const QString& deerText)
{
    const std::optional<double> deer = StrictNumber(deerText);
    if (!deer) {
        const QString shown = deerText.trimmed();
        const QString what = shown.isEmpty()
                                 ? QStringLiteral("The deer weight is empty")
                                 : QStringLiteral("\"%1\" is not a weight in pounds").arg(shown);
        if (kind.divides())
            return what + QStringLiteral(", so it counts as 0 pounds and no pork is added.");
        return what + QStringLiteral(": only a number at its start counts, 0 when there is none.");
    }
    if (*deer < 0)
        return QStringLiteral("A weight cannot be negative.");
    return QString();
}

QString PorkWeightProblem(const QString& porkText)
{
    const QString shown = porkText.trimmed();
    if (shown.isEmpty())
        return QString();
    const std::optional<double> pork = StrictNumber(porkText);
    if (!pork)
        return QStringLiteral("\"%1\" is not a weight in pounds: only a number at its start "
                              "counts, 0 when there is none.")
            .arg(shown);
    if (*pork < 0)
        return QStringLiteral("A weight cannot be negative.");
    return QString();
}

QString TotalDeerWeightProblem(const QString& text)
{
    if (text.trimmed().isEmpty() || text == TotalDeerWeightDesignText || StrictNumber(text))
        return QString();
    return QStringLiteral("\"%1\" is not a weight in pounds. Figure writes the total of the deer "
                          "column here.")
        .arg(text.trimmed());
}

QString PriceItemFor(const QString& entryName)
{
    struct Choice {
        const char* entry;
        const QString* item;
    };
    static const Choice choices[] = {
        {"Summer", &PriceItem::Summer},
        {"JalepenoSausage", &PriceItem::SmokedSausageJalepono},
        {"Jerky", &PriceItem::Jerky},
        {"HotStix", &PriceItem::HotStix},
        {"Polish", &PriceItem::SmokedSausage},
        {"German", &PriceItem::SmokedSausage},
        {"Brat", &PriceItem::SmokedSausage},
        {"Italian", &PriceItem::SmokedSausage},
        {"BreakfastSausage", &PriceItem::SausageSeasoning},
    };
    for (const Choice& c : choices)
        if (entryName == QLatin1String(c.entry))
            return *c.item;
    return QString();
}

// ---------------------------------------------------------------- entries

void EntryList::add(const Kind& kind, const QString& deerText)
{
    remove(kind.row); // a kind has one entry at most
    entries_.append({kind.row, QLatin1String(kind.entryName), deerText, QString()});
}

void EntryList::remove(int row)
{
    entries_.removeIf([row](const Entry& e) { return e.row == row; });
}

void EntryList::store(int row, const QString& deerText, const QString& porkText)
{
    for (Entry& e : entries_)
        if (e.row == row) {
            e.deer = deerText;
            e.pork = porkText;
        }
}

const Entry* EntryList::find(int row) const
{
    for (const Entry& e : entries_)
        if (e.row == row)
            return &e;
    return nullptr;
}

QString ConfirmationText(const QList<Entry>& entries)
{
    QString text;
    for (const Entry& e : entries)
        text += QLatin1Char('\n') + e.item + QLatin1String("  ") + e.deer + QLatin1String("   ") +
                e.pork;
    return text;
}

std::optional<QString> ColumnTotal(const QStringList& texts)
{
    double sum = 0;
    for (const QString& t : texts)
        sum += LeadingNumber(t);
    if (!std::isfinite(sum))
        return std::nullopt;
    return NumberText(sum);
}

double EntryPounds(const Entry& entry)
{
    return LeadingNumber(entry.deer) + LeadingNumber(entry.pork);
}

// ---------------------------------------------------------------- charges

ChargeTally::ChargeTally(double start)
    : running_(start)
{}

bool ChargeTally::add(const Entry& entry, double pricePerPound)
{
    const double pounds = EntryPounds(entry);
    const double running = Round15(running_ + pricePerPound * pounds);
    const double weight = totalWeight_ + pounds;
    const double pork = porkTotal_ + LeadingNumber(entry.pork);
    if (!std::isfinite(running) || !std::isfinite(weight) || !std::isfinite(pork))
        return false;
    running_ = running;
    totalWeight_ = weight;
    porkTotal_ = pork;
    any_ = true;
    return true;
}

QString ChargeTally::runningText() const
{
    return NumberText(running_);
}

QString ChargeTally::totalWeightText() const
{
    return any_ ? NumberText(totalWeight_) : QString();
}

std::optional<QString> ChargeTally::finalCharge(double porkTrimPerPound) const
{
    const double charge = LeadingNumber(runningText()) + porkTrimPerPound * porkTotal_;
    const std::optional<std::int64_t> units = ScaledUnits(charge, 4, HalfRounding::ToEven);
    if (!units)
        return std::nullopt;
    return UnitsText(*units, 4, false);
}

} // namespace SausageRules
