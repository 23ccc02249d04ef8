#include "estimate/worksheet_figuring.h"

#include "core/numbers.h"
#include "estimate/estimate.h"
#include "pricelist/price_items.h"

namespace {

// Texts of the screens, exactly as the shop knows them.
const QString FullRoundMessage =
    QStringLiteral("Can't make current selection with full round selected");
const QString CutletsNotFromBacon =
    QStringLiteral("Sorry You Cannot Make Cutlets Out oF Bellie Meat!");
const QString NoDatabase = QStringLiteral("Cannot Figure Withouot Database");
const QString MissingTitle = QStringLiteral("File Not Found");
const QString MissingQuestion = QStringLiteral(" Could Not Be Found Do you want to add It?");
const QString PricePrompt = QStringLiteral("Enter Price Per Pound For ");

// What the clerk is told when something stands in the way.
const QString Replaced =
    QStringLiteral("The estimate this worksheet was opened for is no longer on the Estimate "
                   "screen, so nothing was written to it.");
const QString CutTotalNotANumber = QStringLiteral(
    "The total weight \"%1\" is not a number that can be figured, so nothing was written to the "
    "estimate. Type a number of pounds, or pick the cuts again.");
const QString CutNoPrice = QStringLiteral("%1\n\nNothing was written to the estimate.");
const QString CutTooLarge = QStringLiteral("The total weight %1 at %2 a pound is too large to "
                                           "be figured, so nothing was written to the estimate.");
const QString CutsTooHeavy =
    QStringLiteral("The weight of these cuts is too large to figure from the hanging weight "
                   "\"%1\". Correct the hanging weight, then click a cut again.");
const QString CuringNotApplied = QStringLiteral(
    "Nothing was written to the estimate. %1 Select the cuts again or type the total weight "
    "in pounds.");
const QString CuringNoPrice =
    QStringLiteral("Nothing was written to the estimate, because the price of \"%1\" could not "
                   "be found in the price list.\n\n%2");
const QString BoningNotANumberAtClick = QStringLiteral(
    "The weight to bone \"%1\" is not a number that can be figured, so this cut was not counted. "
    "Type a number of pounds in it.");
const QString BoningNotANumberAtDone = QStringLiteral(
    "The weight to bone \"%1\" is not a number that can be figured, so nothing was written to the "
    "estimate. Type a number of pounds, then press Done again.");
const QString BoningTooLarge = QStringLiteral("The weight to bone \"%1\" is too large to be "
                                              "figured. Type a smaller number of pounds.");
const QString BoningNoPrice = QStringLiteral("%1\n\nThe extra boning charge cannot be figured, so "
                                             "nothing was written to the estimate.");
const QString NothingFigured = QStringLiteral("Nothing was figured; the worksheet is as it was.");
const QString NotAdded =
    QStringLiteral("\"%1\" is not in the price list and was not added, so nothing was figured. "
                   "The worksheet is as it was.");
const QString PriceRefused = QStringLiteral("%1 Type the price per pound of \"%2\", for example "
                                            "2.5, or press Cancel to leave it out.");
const QString PorkTrimMissing =
    QStringLiteral("\"%1\" is not in the price list, so the pork added to the sausage cannot be "
                   "priced. Nothing was figured; the worksheet is as it was.");
const QString ChargeTotalNotANumber =
    QStringLiteral("The charge total \"%1\" is not a number, so nothing was figured. Type a "
                   "number in it (0 when there are no other sausage charges).");
const QString SausageTooLarge = QStringLiteral("The weights are too large to be charged, so "
                                               "nothing was figured. Check the pounds typed.");

QList<int> chosenOf(const bool* selected, int count)
{
    QList<int> chosen;
    for (int i = 0; i < count; ++i)
        if (selected[i])
            chosen << i;
    return chosen;
}

} // namespace

// ---------------------------------------------------------------- every worksheet

SheetFiguring::SheetFiguring(Estimate& estimate, ServiceId service, SheetDialogs& dialogs)
    : estimate_(estimate)
    , service_(service)
    , dialogs_(dialogs)
    , identity_(estimate.identity())
{}

bool SheetFiguring::stillItsEstimate() const
{
    return estimate_.identity() == identity_;
}

std::optional<double> SheetFiguring::hangingWeight()
{
    QString problem;
    const auto value = estimate_.hangingWeightValue(&problem);
    if (!value)
        dialogs_.warn(problem);
    return value;
}

std::optional<double> SheetFiguring::price(QString* problem)
{
    return estimate_.servicePrice(service_, problem);
}

bool SheetFiguring::write(const QString& weight, const QString& charge, const QList<int>& chosen)
{
    SheetResult result{weight, charge, {}};
    result.entries.chosen = chosen;
    if (estimate_.applySheet(identity_, service_, result))
        return true;
    dialogs_.warn(Replaced);
    return false;
}

// ---------------------------------------------------------------- jerky and fajita

CutFiguring::CutFiguring(Estimate& estimate, CutRules::CutScreenKind kind, SheetDialogs& dialogs)
    : SheetFiguring(estimate, CutRules::CutScreenOf(kind).service, dialogs)
    , design_(CutRules::CutScreenOf(kind))
{}

CutRules::CutSelection CutFiguring::select(CutRules::CutSelection selected)
{
    if (CutRules::FullRoundConflict(selected)) {
        dialogs_.tell(FullRoundMessage);
        selected = CutRules::FullRoundWins(selected);
    }
    selected_ = selected;
    double hanging = 0;
    if (CutRules::NeedsHangingWeight(selected)) {
        const auto value = hangingWeight();
        if (!value)
            return selected;
        hanging = *value;
    }
    total_ = CutRules::RunningTotal(selected, hanging, design_.sirloinShare);
    return selected;
}

bool CutFiguring::apply()
{
    const auto weight = StrictNumber(total_);
    if (!weight) {
        dialogs_.warn(CutTotalNotANumber.arg(total_));
        return false;
    }
    QString problem;
    const auto rate = price(&problem);
    if (!rate) {
        dialogs_.warn(CutNoPrice.arg(problem));
        return false;
    }
    const auto charge = CutRules::CutCharge(*weight, *rate);
    if (!charge) {
        dialogs_.warn(CutTooLarge.arg(total_.trimmed(), NumberText(*rate)));
        return false;
    }
    return write(total_, *charge, chosenOf(selected_.data(), CutRules::CutCount));
}

// ---------------------------------------------------------------- curing

CuringFiguring::CuringFiguring(Estimate& estimate, ServiceId service, SheetDialogs& dialogs)
    : SheetFiguring(estimate, service, dialogs)
    , role_(*CuringRules::RoleFor(service))
{}

CuringRules::CutSelection CuringFiguring::select(CuringRules::CutSelection selected)
{
    if (CuringRules::RefusesBacon(role_, selected)) {
        dialogs_.tell(CutletsNotFromBacon);
        selected[CuringRules::BaconCut] = false;
    }
    selected_ = selected;
    if (!CuringRules::AnySelected(selected)) {
        total_ = QStringLiteral("0");
        return selected;
    }
    const auto hanging = hangingWeight();
    if (!hanging)
        return selected;
    const auto total = CuringRules::CutTotal(*hanging, selected);
    if (!total) {
        dialogs_.warn(CutsTooHeavy.arg(estimate_.hangingWeight()));
        return selected;
    }
    total_ = NumberText(*total);
    return selected;
}

bool CuringFiguring::apply()
{
    if (const QString problem = CuringRules::TotalProblem(total_); !problem.isEmpty()) {
        dialogs_.warn(CuringNotApplied.arg(problem));
        return false;
    }
    const std::int64_t pounds = *CuringRules::WholePounds(total_);
    QString problem;
    const auto rate = price(&problem);
    if (!rate) {
        dialogs_.warn(CuringNoPrice.arg(Service(service_).priceItem, problem));
        return false; // nothing has changed
    }
    const QString rounded = CuringRules::PoundsText(pounds);
    if (!write(rounded, CuringRules::Charge(pounds, *rate),
               chosenOf(selected_.data(), CuringRules::CutCount)))
        return false;
    total_ = rounded;
    return true;
}

// ---------------------------------------------------------------- extra boning

BoningFiguring::BoningFiguring(Estimate& estimate, SheetDialogs& dialogs)
    : SheetFiguring(estimate, ServiceId::ExtraBoning, dialogs)
{}

void BoningFiguring::clickCut(int box, bool ticked)
{
    if (box >= 0 && box < ExtraBoningRules::CutCount)
        ticked_[box] = ticked;
    const auto weight = StrictNumber(weight_);
    if (!weight) {
        dialogs_.warn(BoningNotANumberAtClick.arg(weight_));
        return;
    }
    const auto next = ExtraBoningRules::AfterCutClicked(*weight, ticked);
    if (!next) {
        dialogs_.warn(BoningTooLarge.arg(weight_));
        return;
    }
    weight_ = *next;
}

bool BoningFiguring::done()
{
    const auto weight = StrictNumber(weight_);
    if (!weight) {
        dialogs_.warn(BoningNotANumberAtDone.arg(weight_));
        return false;
    }
    // The price comes first, so that nothing changes when there is none.
    QString problem;
    const auto rate = price(&problem);
    if (!rate) {
        dialogs_.warn(BoningNoPrice.arg(problem));
        return false;
    }
    const auto figure = ExtraBoningRules::DoubledAndPriced(*weight, *rate);
    if (!figure) {
        dialogs_.warn(BoningTooLarge.arg(weight_));
        return false;
    }
    if (!write(figure->weight, figure->charge,
               chosenOf(ticked_.data(), ExtraBoningRules::CutCount)))
        return false;
    weight_ = figure->weight;
    return true;
}

// ---------------------------------------------------------------- sausage

SausageFiguring::SausageFiguring(Estimate& estimate, SheetDialogs& dialogs)
    : SheetFiguring(estimate, ServiceId::BeefSausage, dialogs)
{}

QString SausageFiguring::chargeTotalProblem(const QString& chargeTotal)
{
    return StrictNumber(chargeTotal) ? QString() : ChargeTotalNotANumber.arg(chargeTotal);
}

QList<SausageRules::Entry> SausageFiguring::lastEntries() const
{
    return estimate_.row(service_).entries.sausage;
}

QString SausageFiguring::lastStartingCharge() const
{
    const QString& start = estimate_.row(service_).entries.startingCharge;
    return start.isEmpty() ? QStringLiteral("0") : start;
}

std::optional<QString> SausageFiguring::figure(const QList<SausageRules::Entry>& entries,
                                               const QString& chargeTotal)
{
    // Nothing is looked up, asked or added for an estimate no longer there.
    if (!stillItsEstimate()) {
        dialogs_.warn(Replaced);
        return std::nullopt;
    }
    if (!estimate_.priceListFlag()) {
        dialogs_.tell(NoDatabase);
        return std::nullopt;
    }
    const std::optional<double> start = StrictNumber(chargeTotal);
    if (!start) {
        dialogs_.warn(chargeTotalProblem(chargeTotal));
        return std::nullopt;
    }
    SausageRules::ChargeTally tally(*start);
    for (const SausageRules::Entry& entry : entries) {
        const std::optional<double> cost = priceOf(SausageRules::PriceItemFor(entry.item));
        if (!cost)
            return std::nullopt;
        if (!tally.add(entry, *cost)) {
            dialogs_.warn(SausageTooLarge);
            return std::nullopt;
        }
    }
    ItemRows trimRows;
    const auto trim = estimate_.itemPrice(PriceItem::PorkTrim, &trimRows);
    if (!trim) {
        if (trimRows.count == 0 && trimRows.first.status == CostLookup::Status::Missing)
            dialogs_.warn(PorkTrimMissing.arg(PriceItem::PorkTrim));
        else
            dialogs_.warn(trimRows.first.problem + QLatin1Char(' ') + NothingFigured);
        return std::nullopt;
    }
    const std::optional<QString> charge = tally.finalCharge(*trim);
    if (!charge) {
        dialogs_.warn(SausageTooLarge);
        return std::nullopt;
    }
    SheetResult result{tally.totalWeightText(), *charge, {}};
    result.entries.sausage = entries;
    result.entries.startingCharge = chargeTotal;
    if (!estimate_.applySheet(identity_, service_, result)) {
        dialogs_.warn(Replaced);
        return std::nullopt;
    }
    return charge;
}

std::optional<double> SausageFiguring::priceOf(const QString& item)
{
    ItemRows rows;
    if (const auto cost = estimate_.itemPrice(item, &rows))
        return cost;
    if (rows.count == 0 && rows.first.status == CostLookup::Status::Missing)
        return addMissingItem(item);
    dialogs_.warn(rows.first.problem + QLatin1Char(' ') + NothingFigured);
    return std::nullopt;
}

std::optional<double> SausageFiguring::addMissingItem(const QString& item)
{
    if (!dialogs_.askCritical(item + MissingQuestion, MissingTitle)) {
        dialogs_.warn(NotAdded.arg(item));
        return std::nullopt;
    }
    std::optional<double> cost;
    while (!cost) {
        const std::optional<QString> typed = dialogs_.askText(PricePrompt + item, QString());
        if (!typed) {
            dialogs_.warn(NotAdded.arg(item));
            return std::nullopt;
        }
        cost = MoneyAmount(*typed);
        if (!cost)
            dialogs_.warn(PriceRefused.arg(MoneyAmountProblem(*typed), item));
    }
    const SaveResult saved = estimate_.addPriceItem(item, *cost, PriceItem::AddedItemCategory);
    if (!saved.saved) {
        dialogs_.warn(saved.problem + QLatin1Char(' ') + NothingFigured);
        return std::nullopt;
    }
    ItemRows rows;
    if (const auto found = estimate_.itemPrice(item, &rows))
        return found;
    dialogs_.warn(rows.first.problem + QLatin1Char(' ') + NothingFigured);
    return std::nullopt;
}
