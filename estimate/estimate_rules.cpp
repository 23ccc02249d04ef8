#include "estimate/estimate_rules.h"

#include "core/numbers.h"

namespace EstimateRules {

namespace {

// A figure written to a field and read back, as the next step reads it.
double asShown(double value)
{
    return Round15(value);
}

} // namespace

QString WeightProblem(const QString& text)
{
    if (text.trimmed().isEmpty())
        return QString();
    const auto value = StrictNumber(text);
    if (!value)
        return QStringLiteral("\"%1\" is not a weight in pounds.").arg(text.trimmed());
    if (*value < 0)
        return QStringLiteral("A weight cannot be negative.");
    if (*value > MaxWeight)
        return QStringLiteral("A weight above %1 pounds cannot be right.")
            .arg(NumberText(MaxWeight));
    return QString();
}

std::optional<double> UsableWeight(const QString& text)
{
    if (!WeightProblem(text).isEmpty())
        return std::nullopt;
    return StrictNumber(text).value_or(0);
}

QString FigureProblem(const QString& text)
{
    if (text.trimmed().isEmpty() || StrictNumber(text))
        return QString();
    return QStringLiteral("\"%1\" is not a number.").arg(text.trimmed());
}

std::optional<double> ReadHangingWeight(const QString& text, QString* problem)
{
    const auto value = StrictNumber(text);
    if (!value)
        *problem = QStringLiteral("The hanging weight \"%1\" is not a number, so nothing was "
                                  "figured from it. Correct it on the Estimate screen.")
                       .arg(text);
    return value;
}

QString PoundsProblem(const QString& text)
{
    if (text.trimmed().isEmpty())
        return QStringLiteral("There is no weight in pounds.");
    if (!StrictNumber(text))
        return QStringLiteral("\"%1\" is not a number of pounds.").arg(text.trimmed());
    return QString();
}

ServiceFigure ShareOfHanging(double hanging, double share, double pricePerPound)
{
    return {NumberText(hanging * share), Charge(asShown(hanging * share), pricePerPound)};
}

ServiceFigure Cooling(const QString& hangingText, double hanging, double pricePerPound)
{
    return {hangingText, Charge(hanging, pricePerPound)};
}

QString Charge(double weight, double pricePerPound)
{
    return NumberText(weight * pricePerPound);
}

QString RateOf(const QString& weight, const QString& charge, bool singlePrice)
{
    const auto pounds = StrictNumber(weight);
    const auto dollars = StrictNumber(charge);
    if (!singlePrice || !pounds || !dollars || *pounds <= 0)
        return QString();
    const auto units = ScaledUnits(*dollars / *pounds, 4, HalfRounding::ToEven);
    return units ? UnitsText(*units, 4, false) : QString();
}

QString WholeCents(double charge)
{
    const double cents = asShown(charge * 100);
    if (const auto whole = RoundHalfEven(cents))
        return NumberText(static_cast<double>(*whole) / 100);
    // Beyond 2^62 cents a double holds whole numbers only: nothing to round.
    return NumberText(charge);
}

QString Total(const QString& kill, const QString& processing, const QStringList& beefCharges,
              const QStringList& porkCharges)
{
    const auto runningSum = [](const QStringList& charges) {
        double sum = 0;
        for (const QString& charge : charges)
            sum = LeadingNumber(NumberText(sum + LeadingNumber(charge)));
        return sum;
    };
    const double beef = runningSum(beefCharges);
    const double pork = runningSum(porkCharges);
    return NumberText(LeadingNumber(kill) + LeadingNumber(processing) + beef + pork);
}

bool TooManyBriskets(const CureSelection& selected)
{
    return selected[BeefBaconBrisket] && selected[CornedBeefBrisket] && selected[BbqBrisket];
}

QString CuredPounds(double hanging, const CureSelection& selected, bool topRoundOnly)
{
    constexpr double share = 0.015; // every product but the corned round
    double pounds = 0;
    for (const int product : {BeefBaconBrisket, BeefBaconRibs, CornedBeefBrisket, BbqBrisket})
        if (selected[product])
            pounds = asShown(hanging * share + pounds);
    if (selected[CornedBeefRound])
        pounds = asShown(hanging * (topRoundOnly ? 0.033 : 0.066) + pounds);
    return NumberText(pounds);
}

} // namespace EstimateRules
