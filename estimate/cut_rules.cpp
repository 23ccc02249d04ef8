#include "estimate/cut_rules.h"

#include "core/numbers.h"

#include <cmath>

namespace CutRules {

const std::array<const char*, CutCount> CutNames = {
    "Arm",
    "Chuck",
    "Flank And Skirt",
    "Round A (Full)",
    "Round B (Top Only)",
    "Round C (Bottom Only)",
    "Round D (Eye Only)",
    "Sirloin Tip",
    "Sirloin",
    "Trimmings",
};

const CutScreen& CutScreenOf(CutScreenKind kind)
{
    // objectName, caption, service, Sirloin share
    static const CutScreen screens[] = {
        {QStringLiteral("frmJerky"), QStringLiteral("Jerky Worksheet"), ServiceId::Slicing, 0.031},
        {QStringLiteral("frmFajita"), QStringLiteral("Fajita Worksheet"), ServiceId::FajitaStrips,
         0.022},
    };
    return screens[kind == CutScreenKind::Jerky ? 0 : 1];
}

double CutShare(int cut, double sirloinShare)
{
    // The full round's share is the sum of its three parts' shares.
    constexpr double shares[CutCount] = {0.03, 0.04, 0.0041, 0.06, 0.03, 0.02, 0.01, 0.018, 0, 0};
    if (cut == Sirloin)
        return sirloinShare;
    return cut >= 0 && cut < CutCount ? shares[cut] : 0;
}

bool NeedsHangingWeight(const CutSelection& selected)
{
    for (int cut = 0; cut < CutCount; ++cut)
        if (selected[cut] && cut != Trimmings)
            return true;
    return false;
}

bool FullRoundConflict(const CutSelection& selected)
{
    if (!selected[RoundFull])
        return false;
    for (const int part : PartRounds)
        if (selected[part])
            return true;
    return false;
}

CutSelection FullRoundWins(CutSelection selected)
{
    if (selected[RoundFull])
        for (const int part : PartRounds)
            selected[part] = false;
    return selected;
}

QString RunningTotal(const CutSelection& selected, double hanging, double sirloinShare)
{
    QString total = QStringLiteral("0");
    for (int cut = 0; cut < CutCount; ++cut) {
        if (!selected[cut])
            continue;
        const double weight =
            cut == Trimmings ? TrimmingsPounds
                             : LeadingNumber(NumberText(hanging * CutShare(cut, sirloinShare)));
        total = NumberText(LeadingNumber(total) + weight);
    }
    return total;
}

std::optional<QString> CutCharge(double weight, double pricePerPound)
{
    const double charge = weight * pricePerPound;
    if (!std::isfinite(charge))
        return std::nullopt;
    return NumberText(charge);
}

} // namespace CutRules
