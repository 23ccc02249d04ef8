#include "estimate/estimate.h"

#include "core/numbers.h"
#include "pricelist/item_names.h"
#include "pricelist/price_items.h"
#include "pricelist/price_source.h"

#include <QScopedValueRollback>
#include <algorithm>

namespace R = EstimateRules;

namespace {

// Texts of the Estimate screen, exactly as the shop knows them.
const QString StartupNotice = QStringLiteral(
    "This Program Was designed to be used by Tallowbrook Processing. Some Prices may not be "
    "current after 1/1/2015.");
const QString RefusedService = QStringLiteral("Cannot Use Sausage Program From Here");
const QString QuarteringNotice =
    QStringLiteral(" There Is No Additional Charge For Quartering Same As Processing");
const QString TooManyBriskets =
    QStringLiteral("There Are only 2 Briskets On A Beef Please select only 2 Brisket Options");
const QString TopRoundQuestion = QStringLiteral("Are we Making Top Round Only Corned?");
const QString TopRoundTitle = QStringLiteral("CORNED BEEF BRISKET");
const QString LiveWeight = QStringLiteral("Live Weight");
const QString FieldDressed = QStringLiteral("Field Dressed");

// What the clerk is told when a figure stands in the way.
const QString ChargeNotANumber =
    QStringLiteral("The %1 charge \"%2\" is not a number, so the charges were not rounded to "
                   "cents. Type a number in it or untick the service.");
const QString FlagNotOpened =
    QStringLiteral("The price list could not be opened, so the built-in prices stay in use.\n\n%1");
const QString ServerOutOfReach =
    QStringLiteral("%1\n\nThe shop's prices are kept there, and the built-in prices are not used "
                   "in their place: the figures that need a price stay marked until the %2 "
                   "can be reached, which is tried again at every action.");
const QString ServerUnusable =
    QStringLiteral("%1\n\nThe shop's prices are kept on a server, and the built-in prices are "
                   "not used in their place: the figures that need a price stay marked until "
                   "this is mended.");
const QString DeerNeedsPriceList =
    QStringLiteral("The deer charge needs the price list, and no price list is open. Tick the "
                   "box at the top left to open it.");
const QString LiveNotAWeight = QStringLiteral("The live weight \"%1\" is not a weight that can be "
                                              "figured: %2");
const QString NeedsHanging =
    QStringLiteral("The hanging weight cannot be used, so this could not be figured: %1");
const QString SheetAgain = QStringLiteral("Figured at other prices: open the %1 worksheet again "
                                          "to figure it.");
const QString SheetNotFigured =
    QStringLiteral("The %1 worksheet has not been figured for this estimate: click its box to "
                   "open the worksheet and figure it, or untick it.");
const QString SheetPoundsNotFigured =
    QStringLiteral("The %1 row holds %2 lb but no charge figured for them: click its box to "
                   "figure it on its worksheet, or type the charge.");
const QString NoShopPrice =
    QStringLiteral("The price list is not in use (the box at the top left is unticked), so "
                   "there is no price for %1.");
const QString WeighedHangingKept =
    QStringLiteral("This final bill's hanging weight, %1 lb, was typed as weighed and stays as "
                   "it is: the live weight does not change it. Type the hanging weight again to "
                   "change it.");

const QString Zero = QStringLiteral("0");

// A view that tells and asks nothing: No to every question.
class QuietView : public EstimateView {
public:
    void tell(const QString&) override {}
    void warn(const QString&) override {}
    bool askYesNo(const QString&, const QString&) override { return false; }
    void showWorksheet(ServiceId) override {}
    void showCureProducts() override {}
};

QuietView quietView;

} // namespace

Estimate::Estimate(PriceSource& prices, const Clock& clock, const QuoteRules& rules)
    : prices_(prices)
    , view_(&quietView)
    , clock_(clock)
    , rules_(rules)
{
    saved_ = value_;
    unsavedAnyway_ = false;
}

void Estimate::setView(EstimateView* view)
{
    view_ = view ? view : &quietView;
}

QStringList Estimate::problems() const
{
    // Each field by its caption on the screen, in screen order.
    QStringList found;
    const auto check = [&](const QString& caption, const Figure& f, const QString& problem) {
        if (!f.isCurrent())
            found << QStringLiteral("The %1 could not be figured: %2").arg(caption, f.why);
        else if (!problem.isEmpty())
            found << QStringLiteral("Mend the %1: %2").arg(caption, problem);
    };
    check(value_.shown.weightCaption, Figure(), R::WeightProblem(value_.live));
    check(QStringLiteral("Hanging Weight"), value_.hanging, R::WeightProblem(value_.hanging.text));
    check(QStringLiteral("Processing Charge"), value_.processing,
          R::FigureProblem(value_.processing.text));
    check(QStringLiteral("Kill Charge"), value_.kill, R::FigureProblem(value_.kill.text));
    for (const ServiceInfo& s : Services()) {
        if (!counts(s.id))
            continue;
        const ServiceRow& r = row(s.id);
        const QString caption = ServiceCaption(s);
        check(caption + QStringLiteral(" weight"), r.weight, R::FigureProblem(r.weight.text));
        check(caption + QStringLiteral(" charge"), r.charge, R::FigureProblem(r.charge.text));
    }
    if (value_.share)
        check(QStringLiteral("split-side surcharge"), value_.share->surcharge,
              R::FigureProblem(value_.share->surcharge.text));
    return found;
}

// ---------------------------------------------------------------- start-up

void Estimate::startUp()
{
    value_.weightFactor = R::BeefFactor;
    flag_ = true;
    switch (prices_.open()) {
    case PriceSource::OpenResult::Opened:
        break;
    case PriceSource::OpenResult::FileMissing:
        view_->tell(StartupNotice);
        flag_ = false;
        break;
    case PriceSource::OpenResult::Unreachable:
        // The shop's prices are on the server: nothing stands in for them.
        view_->warn(ServerOutOfReach.arg(prices_.openProblem(), prices_.describe()));
        break;
    case PriceSource::OpenResult::Unusable:
        // A shop that keeps its prices on a server never has them replaced
        // by the built-in ones, even when its address cannot be used.
        if (prices_.isServer()) {
            view_->warn(ServerUnusable.arg(prices_.openProblem()));
            break;
        }
        // The flag must not claim a price list that is not open.
        flag_ = false;
        view_->warn(prices_.openProblem());
        break;
    }
    saved_ = value_;
    unsavedAnyway_ = false;
}

void Estimate::setPriceListFlag(bool ticked)
{
    beginAction();
    const bool was = flag_;
    flag_ = ticked;
    if (ticked && !prices_.isOpen()) {
        const PriceSource::OpenResult opened = prices_.open();
        // A server is tried again at every action.
        if (opened != PriceSource::OpenResult::Opened && !prices_.isServer()) {
            flag_ = false;
            view_->warn(FlagNotOpened.arg(prices_.openProblem()));
        }
    }
    // The flag switches between the shop's prices and the built-in ones: the
    // estimate is figured at the prices it now stands for.
    if (flag_ != was)
        refigureAll();
}

// ---------------------------------------------------------------- prices

void Estimate::report(const QString& text)
{
    // A price list that cannot be read is told once, whichever prices the
    // action wanted from it.
    const QString key = failureKey_.isEmpty() ? text : failureKey_;
    failureKey_.clear();
    if (quiet_)
        return;
    // An action tells a problem once; the keys typed after it do not tell it again.
    if (toldWhileTyping_.contains(key) && (typing_ || key != text))
        return;
    toldWhileTyping_.insert(key);
    view_->warn(text);
}

bool Estimate::shopPrices() const
{
    return value_.basis == PriceBasis::Kept ? !value_.builtInPrices : flag_;
}

std::optional<double> Estimate::price(const QString& item, std::optional<double> builtIn,
                                      QString* problem)
{
    failureKey_.clear();
    if (value_.basis == PriceBasis::Kept) {
        const auto kept = value_.rates.constFind(item);
        if (kept != value_.rates.constEnd())
            return *kept;
    }
    // The built-in prices are the program's, not the shop's: never kept (and
    // a price of the shop's kept before no longer stands behind the figure).
    if (!shopPrices() && builtIn) {
        value_.rates.remove(item);
        return builtIn;
    }
    const CostLookup lookup = prices_.lookupCost(item);
    if (!lookup.found()) {
        *problem = lookup.problem;
        if (lookup.status == CostLookup::Status::Failed)
            failureKey_ = QStringLiteral("the price list");
        return std::nullopt;
    }
    const double found = lookup.cost;
    value_.rates.insert(item, found);
    if (!value_.ratesFrom.isValid() || value_.basis == PriceBasis::Today)
        value_.ratesFrom = clock_.today();
    return found;
}

std::optional<double> Estimate::shopPrice(const QString& item, QString* problem)
{
    if (shopPrices() || (value_.basis == PriceBasis::Kept && value_.rates.contains(item)))
        return price(item, std::nullopt, problem);
    *problem = NoShopPrice.arg(item);
    return std::nullopt;
}

std::optional<double> Estimate::servicePrice(ServiceId service, QString* problem)
{
    const ServiceInfo& s = Service(service);
    return price(s.priceItem,
                 s.builtInPrice > 0 ? std::optional<double>(s.builtInPrice) : std::nullopt,
                 problem);
}

std::optional<double> Estimate::itemPrice(const QString& item, ItemRows* rows)
{
    if (value_.basis == PriceBasis::Kept) {
        const auto kept = value_.rates.constFind(item);
        if (kept != value_.rates.constEnd())
            return *kept;
    }
    *rows = prices_.findItemRows(item);
    if (rows->count == 0 || !rows->first.found())
        return std::nullopt;
    value_.rates.insert(item, rows->first.cost);
    if (!value_.ratesFrom.isValid() || value_.basis == PriceBasis::Today)
        value_.ratesFrom = clock_.today();
    return rows->first.cost;
}

SaveResult Estimate::addPriceItem(const QString& item, double cost, const QString& category)
{
    return prices_.addItem(item, cost, category);
}

std::optional<double> Estimate::hangingWeightValue(QString* problem) const
{
    // A hanging weight that the field marks as not right is not figured from,
    // however it reads as a number.
    const QString& text = value_.hanging.text;
    if (const QString why = R::WeightProblem(text); !why.isEmpty()) {
        *problem = QStringLiteral("The hanging weight cannot be used, so nothing was figured from "
                                  "it: %1 Correct it on the Estimate screen.")
                       .arg(why);
        return std::nullopt;
    }
    return R::ReadHangingWeight(text, problem);
}

// ---------------------------------------------------------------- figuring again

void Estimate::beginAction()
{
    toldWhileTyping_.clear();
    refreshPending();
}

bool Estimate::pricesMoved()
{
    // Only today's prices move; the rates kept with a saved estimate stay.
    if (value_.basis != PriceBasis::Today || !flag_)
        return false;
    // Nothing changed in the price list since the rates were last checked.
    const quint64 revision = prices_.revision();
    if (revision == ratesChecked_)
        return false;
    ratesChecked_ = revision;
    for (auto rate = value_.rates.cbegin(); rate != value_.rates.cend(); ++rate) {
        const CostLookup now = prices_.lookupCost(rate.key());
        // A price list that cannot be read now tells nothing of its prices.
        if (now.status != CostLookup::Status::Failed && (!now.found() || now.cost != rate.value()))
            return true;
    }
    return false;
}

void Estimate::refreshPending()
{
    refreshLikelyRatio();
    const auto pending = [](const Figure& f) {
        return !f.isCurrent() && !f.typed;
    };
    bool any = pending(value_.hanging) || pending(value_.processing) || pending(value_.kill);
    for (const ServiceInfo& s : Services()) {
        // A worksheet's row that no worksheet figured waits for its worksheet.
        const bool waitsForSheet = s.figuring == Figuring::Worksheet && !row(s.id).fromSheet;
        any = any || (counts(s.id) &&
                      (pending(row(s.id).weight) || (pending(row(s.id).charge) && !waitsForSheet)));
    }
    if (value_.share)
        any = any || pending(value_.share->surcharge);
    if (!any && !pricesMoved())
        return;
    const QScopedValueRollback<bool> quiet(quiet_, true);
    refigureAll();
    failureKey_.clear();
}

void Estimate::refigureAll()
{
    if (!value_.hanging.typed)
        figureHangingFromLive();
    if (!value_.kill.typed)
        figureKill(); // none for deer
    if (!value_.processing.typed)
        figureProcessing();
    for (const ServiceInfo& s : Services()) {
        if (!counts(s.id) || value_.row(s.id).charge.typed)
            continue;
        switch (s.figuring) {
        case Figuring::Worksheet:
            figureSheetRow(s.id);
            break;
        case Figuring::CureProducts:
            if (value_.shown.cureProductsShown)
                figureCureProducts(value_.cure);
            break;
        case Figuring::HangingShare:
        case Figuring::WholeHanging:
            figure(s.id);
            break;
        case Figuring::PaperWrapp: // with the processing charge
        case Figuring::Notice:
            break;
        }
    }
    figureSurcharge();
    roundAndTotal();
}

void Estimate::useTodaysPrices()
{
    beginAction();
    value_.basis = PriceBasis::Today;
    value_.rates.clear();
    value_.ratesFrom = clock_.today();
    refigureAll();
}

bool Estimate::figureSheetRow(ServiceId service)
{
    const ServiceInfo& s = Service(service);
    ServiceRow& r = value_.row(service);
    // A charge typed by the clerk stays the clerk's.
    if (r.charge.typed)
        return true;
    // A charge that no worksheet figured is not a charge of 0: the row is
    // marked until its worksheet figures it (or the clerk types one).
    if (!r.fromSheet) {
        const double pounds = LeadingNumber(r.weight.text);
        r.charge.fail(pounds != 0 ? SheetPoundsNotFigured.arg(QLatin1String(s.caption),
                                                              r.weight.text.trimmed())
                                  : SheetNotFigured.arg(QLatin1String(s.caption)));
        return false;
    }
    // A weight typed over the worksheet's keeps the charge figured before.
    if (r.weight.typed)
        return true;
    QString problem;
    if (s.singleRate) {
        // Its charge is its weight at one price per pound.
        const auto pounds = StrictNumber(r.weight.text);
        const auto rate = pounds ? servicePrice(service, &problem) : std::nullopt;
        if (!pounds || !rate) {
            r.charge.fail(pounds ? problem : SheetAgain.arg(QLatin1String(s.caption)));
            report(r.charge.why);
            return false;
        }
        r.charge.set(R::Charge(*pounds, *rate));
        r.rate = NumberText(*rate);
        return true;
    }
    // The sausage: each product at its price, then the pork trim.
    if (r.entries.sausage.isEmpty()) {
        r.charge.fail(SheetAgain.arg(QLatin1String(s.caption)));
        report(r.charge.why);
        return false;
    }
    const auto start =
        StrictNumber(r.entries.startingCharge.isEmpty() ? Zero : r.entries.startingCharge);
    SausageRules::ChargeTally tally(start.value_or(0));
    for (const SausageRules::Entry& entry : r.entries.sausage) {
        ItemRows rows;
        const auto cost = itemPrice(SausageRules::PriceItemFor(entry.item), &rows);
        if (!cost || !tally.add(entry, *cost)) {
            r.charge.fail(cost ? SheetAgain.arg(QLatin1String(s.caption)) : rows.first.problem);
            report(r.charge.why);
            return false;
        }
    }
    ItemRows trimRows;
    const auto trim = itemPrice(PriceItem::PorkTrim, &trimRows);
    const std::optional<QString> charge = trim ? tally.finalCharge(*trim) : std::nullopt;
    if (!charge) {
        r.charge.fail(trim ? SheetAgain.arg(QLatin1String(s.caption)) : trimRows.first.problem);
        report(r.charge.why);
        return false;
    }
    r.charge.set(*charge);
    return true;
}

// ---------------------------------------------------------------- species

void Estimate::figureKill()
{
    if (value_.species != Species::Beef && value_.species != Species::Pork)
        return;
    const bool beef = value_.species == Species::Beef;
    const QString& item = beef ? PriceItem::BeefKill : PriceItem::PorkKill;
    if (!shopPrices() && !(value_.basis == PriceBasis::Kept && value_.rates.contains(item))) {
        // The built-in kill charges, as the shop's program writes them (and a
        // price of the shop's kept before no longer stands behind it).
        value_.kill.set(beef ? R::FallbackBeefKill : R::FallbackPorkKill);
        value_.rates.remove(item);
        return;
    }
    QString problem;
    const auto cost = price(item, std::nullopt, &problem);
    if (!cost) {
        value_.kill.fail(problem);
        report(problem);
        return;
    }
    value_.kill.set(NumberText(*cost));
}

void Estimate::figureDeer()
{
    // The flat deer charge: the rate kept with the estimate, or the price
    // list's (there is no built-in one; while the flag is unticked the
    // built-in price per pound of the hanging weight stands in its place).
    QString problem;
    const auto cost = price(PriceItem::Deer, std::nullopt, &problem);
    if (!cost) {
        report(problem);
        value_.processing.fail(problem);
        return;
    }
    value_.processing.set(NumberText(*cost));
    value_.processingRate.clear(); // a flat charge
}

void Estimate::chooseSpecies(Species species)
{
    beginAction();
    const Species before = value_.species;
    value_.species = species;
    // A saved estimate keeps the factor it was quoted with; otherwise the
    // species' factor, the shop's adopted one where there is one.
    const bool keepsFactor = value_.basis == PriceBasis::Kept && before == species;
    if (!keepsFactor) {
        value_.weightFactor = QuoteFactor(rules_, species);
        // The deer's hint is left as it was unless the shop adopted a factor.
        if (species != Species::Deer || rules_.adoptedFactor(species))
            value_.shown.speciesHint = FactorHint(rules_, species);
    }
    if (species == Species::Deer) {
        value_.shown.weightCaption = FieldDressed;
        value_.kill.set(Zero); // no kill charge for deer
        if (!shopPrices() && !value_.rates.contains(PriceItem::Deer) && !prices_.isOpen())
            report(DeerNeedsPriceList);
    } else {
        value_.shown.weightCaption = LiveWeight;
        figureKill();
    }
    // The estimate follows the species: the hanging weight of the weight
    // typed, and everything figured from it.
    if (before != species) {
        figureHangingFromLive();
        value_.likelyRatio = rules_.ratio(species); // the species' own range
    }
    refigureFromHangingWeight();
    roundAndTotal();
}

// ---------------------------------------------------------------- weights

bool Estimate::figureHangingFromLive()
{
    if (value_.hanging.text.isEmpty())
        return false; // a cleared hanging weight stops all figuring from the live weight
    const auto live = R::UsableWeight(value_.live);
    if (!live) {
        // The live weight's field shows that it is not a usable weight.
        value_.hanging.fail(LiveNotAWeight.arg(value_.live, R::WeightProblem(value_.live)));
        return false;
    }
    value_.hanging.set(NumberText(*live * value_.weightFactor));
    return true;
}

void Estimate::setLiveWeight(const QString& text)
{
    refreshPending(); // the keystrokes of one typing run tell a problem once
    value_.live = text;
    const QScopedValueRollback<bool> typing(typing_, true);
    if (finalBill_ && value_.hanging.typed && !value_.hanging.text.trimmed().isEmpty()) {
        // The carcass was weighed for the bill: the weight on the rail stands.
        report(WeighedHangingKept.arg(value_.hanging.text.trimmed()));
        refigureTotal();
        return;
    }
    if (figureHangingFromLive())
        refigureFromHangingWeight();
    roundAndTotal();
}

void Estimate::setHangingWeight(const QString& text)
{
    refreshPending();
    value_.hanging = Figure::typedIn(text);
    if (text.trimmed().isEmpty())
        return; // nothing to figure from until it holds a weight again
    const QScopedValueRollback<bool> typing(typing_, true);
    if (const QString problem = R::WeightProblem(text); !problem.isEmpty()) {
        hangingWeightUnusable(NeedsHanging.arg(problem));
        refigureTotal();
        return;
    }
    refigureFromHangingWeight();
    roundAndTotal();
}

void Estimate::hangingWeightUnusable(const QString& why)
{
    if (value_.species != Species::Deer || !shopPrices())
        value_.processing.fail(why);
    for (const ServiceInfo& s : Services()) {
        if (!counts(s.id))
            continue;
        if (s.figuring == Figuring::HangingShare || s.figuring == Figuring::WholeHanging ||
            (s.figuring == Figuring::CureProducts && value_.shown.cureProductsShown)) {
            value_.row(s.id).weight.fail(why);
            value_.row(s.id).charge.fail(why);
        }
    }
}

void Estimate::figureProcessing()
{
    const bool deer = value_.species == Species::Deer;
    if (counts(ServiceId::PaperWrapp)) {
        figure(ServiceId::PaperWrapp); // the paper wrap price replaces the processing price
        return;
    }
    QString problem;
    const auto cost = price(PriceItem::Processing, R::FallbackProcessing, &problem);
    // The flat deer charge stands while there are prices for it: the price
    // list's, or the one kept with the estimate.
    const bool deerCharge = shopPrices() || (value_.basis == PriceBasis::Kept &&
                                             value_.rates.contains(PriceItem::Deer));
    if (deer && deerCharge) {
        // The flat deer charge; the processing price is not used, but a
        // failed lookup of it is told all the same.
        if (!cost)
            report(problem);
        figureDeer();
        return;
    }
    if (deer)
        value_.rates.remove(PriceItem::Deer); // the built-in price per pound stands instead
    const auto hanging = cost ? hangingWeightValue(&problem) : std::nullopt;
    if (!hanging) {
        value_.processing.fail(problem);
        report(problem);
        return;
    }
    value_.processing.set(R::Charge(*hanging, *cost));
    value_.processingRate = NumberText(*cost);
}

void Estimate::refigureFromHangingWeight()
{
    figureProcessing();
    for (const ServiceInfo& s : Services()) {
        if (!counts(s.id))
            continue;
        if (s.figuring == Figuring::HangingShare || s.figuring == Figuring::WholeHanging)
            figure(s.id);
        else if (s.figuring == Figuring::CureProducts && value_.shown.cureProductsShown)
            figureCureProducts(value_.cure);
    }
    figureSurcharge();
}

void Estimate::figureSurcharge()
{
    if (!value_.share)
        return;
    ShareOfAnimal& share = *value_.share;
    if (!share.splitSide()) {
        share.surchargeRate.clear();
        share.surcharge = Figure::figured(Zero);
        return;
    }
    QString problem;
    const std::optional<double> rate = shopPrice(PriceItem::SplitSide, &problem);
    const auto hanging = rate ? hangingWeightValue(&problem) : std::nullopt;
    if (!hanging) {
        share.surcharge.fail(problem);
        report(problem);
        return;
    }
    share.surchargeRate = NumberText(*rate);
    share.surcharge.set(R::Charge(*hanging, *rate));
}

void Estimate::takeAnimalPart(const EstimateValue& figured)
{
    if (figured.hanging.text != value_.hanging.text)
        setHangingWeight(figured.hanging.text);
    if (figured.kill.text != value_.kill.text)
        setKillCharge(figured.kill.text);
    if (figured.share != value_.share)
        setShare(figured.share);
}

void Estimate::setShare(const std::optional<ShareOfAnimal>& share)
{
    beginAction();
    value_.share = share;
    figureSurcharge();
    refigureTotal();
}

void Estimate::setCutSheet(const std::optional<CutSheet>& sheet)
{
    value_.cutSheet = sheet;
}

std::optional<TakeHome> Estimate::takeHome() const
{
    return TakeHomeOf(value_, rules_);
}

// ---------------------------------------------------------------- charges typed

void Estimate::setKillCharge(const QString& text)
{
    beginAction();
    value_.kill = Figure::typedIn(text);
    refigureTotal();
}

void Estimate::setProcessingCharge(const QString& text)
{
    beginAction();
    value_.processing = Figure::typedIn(text);
    refigureTotal();
}

void Estimate::setServiceCharge(ServiceId service, const QString& text)
{
    beginAction();
    value_.row(service).charge = Figure::typedIn(text);
    refigureTotal();
}

void Estimate::setServiceWeight(ServiceId service, const QString& text)
{
    beginAction();
    value_.row(service).weight = Figure::typedIn(text);
}

// ---------------------------------------------------------------- services

void Estimate::expand()
{
    beginAction();
    value_.shown.expanded = true;
    if (value_.species != Species::Beef && value_.species != Species::Pork)
        return;
    const Column column = value_.species == Species::Pork ? Column::Pork : Column::Beef;
    for (const ServiceInfo& s : Services())
        if (s.column == column)
            value_.shown.boxShown[static_cast<int>(s.id)] = true;
    if (column == Column::Pork)
        value_.shown.porkNoteShown = true;
}

void Estimate::clickService(ServiceId service, bool ticked)
{
    beginAction();
    const ServiceInfo& s = Service(service);
    ServiceRow& r = value_.row(service);
    r.ticked = ticked;
    if (!flag_ && s.needsPriceList) {
        r.accepted = false; // not figured or charged until a click is accepted
        view_->tell(RefusedService);
        refigureTotal(); // the total follows the box all the same
        return;
    }
    r.accepted = true;
    value_.shown.fieldsShown[static_cast<int>(service)] = true;
    figure(service);
    if (s.figuring == Figuring::PaperWrapp && !ticked)
        figureProcessing(); // back to the ordinary processing price
    roundAndTotal();
}

void Estimate::figure(ServiceId service)
{
    const ServiceInfo& s = Service(service);
    ServiceRow& r = value_.row(service);
    QString problem;
    const auto fail = [&](bool alsoProcessing) {
        r.charge.fail(problem);
        if (alsoProcessing)
            value_.processing.fail(problem);
        report(problem);
    };
    switch (s.figuring) {
    case Figuring::HangingShare: {
        const auto hanging = hangingWeightValue(&problem);
        const auto rate = hanging ? servicePrice(service, &problem) : std::nullopt;
        if (!rate)
            return fail(false);
        const R::ServiceFigure figure = R::ShareOfHanging(*hanging, s.hangingShare, *rate);
        r.weight.set(figure.weight);
        r.charge.set(figure.charge);
        r.rate = NumberText(*rate);
        return;
    }
    case Figuring::PaperWrapp: {
        if (!counts(service))
            return; // unticked: the ordinary processing price again (clickService)
        const auto hanging = hangingWeightValue(&problem);
        const auto rate = hanging ? servicePrice(service, &problem) : std::nullopt;
        if (!rate)
            return fail(true);
        // The paper wrap replaces the processing price: its cost is carried by
        // the processing charge, not by the row's own charge.
        value_.processing.set(R::Charge(*hanging, *rate));
        value_.processingRate = NumberText(*rate);
        value_.total.set(
            NumberText(LeadingNumber(value_.processing.text) + LeadingNumber(value_.kill.text)));
        r.charge.set(Zero);
        r.weight.set(value_.processing.text);
        return;
    }
    case Figuring::WholeHanging: {
        const auto hanging = hangingWeightValue(&problem);
        const auto rate = hanging ? price(s.priceItem, std::nullopt, &problem) : std::nullopt;
        if (!rate)
            return fail(false);
        const R::ServiceFigure figure = R::Cooling(value_.hanging.text, *hanging, *rate);
        r.weight.set(figure.weight);
        r.charge.set(figure.charge);
        r.rate = NumberText(*rate);
        return;
    }
    case Figuring::Notice:
        view_->tell(QuarteringNotice);
        return;
    case Figuring::CureProducts:
        value_.shown.cureProductsShown = true;
        view_->showCureProducts();
        // The products chosen before are figured at once, not left at 0.
        if (counts(service) &&
            std::find(value_.cure.begin(), value_.cure.end(), true) != value_.cure.end())
            figureCureProducts(value_.cure);
        return;
    case Figuring::Worksheet:
        // Ticked again: its charge follows what its worksheet was given,
        // whatever the worksheet that opens now is then used for.
        if (counts(service))
            figureSheetRow(service);
        view_->showWorksheet(service);
        return;
    }
}

bool Estimate::roundBeefCharges()
{
    std::array<std::optional<double>, ServiceCount> charges{};
    for (const ServiceInfo& s : Services()) {
        const ServiceRow& r = row(s.id);
        if (s.column != Column::Beef || !counts(s.id) || r.charge.text.trimmed().isEmpty())
            continue; // nothing to round: it counts as 0 in the total
        charges[static_cast<int>(s.id)] = StrictNumber(r.charge.text);
        if (!charges[static_cast<int>(s.id)]) {
            report(ChargeNotANumber.arg(QLatin1String(s.caption), r.charge.text));
            return false;
        }
    }
    for (const ServiceInfo& s : Services())
        if (const auto& charge = charges[static_cast<int>(s.id)]) {
            // Rounded to cents, its state as it was (a charge typed stays the
            // clerk's, one not figured stays marked).
            Figure& f = value_.row(s.id).charge;
            f.text = R::WholeCents(*charge);
        }
    return true;
}

void Estimate::roundAndTotal()
{
    roundBeefCharges();
    refigureTotal();
}

void Estimate::refigureTotal()
{
    QStringList beef, pork;
    QString incomplete;
    const auto part = [&](const QString& name, const Figure& f) {
        if (!incomplete.isEmpty())
            return;
        if (!f.isCurrent())
            incomplete = QStringLiteral("the %1 could not be figured: %2").arg(name, f.why);
        else if (!R::FigureProblem(f.text).isEmpty())
            incomplete =
                QStringLiteral("the %1 \"%2\" is not a number.").arg(name, f.text.trimmed());
    };
    part(QStringLiteral("kill charge"), value_.kill);
    part(QStringLiteral("processing charge"), value_.processing);
    for (const ServiceInfo& s : Services()) {
        ServiceRow& r = value_.row(s.id);
        // An unticked row counts nothing; what its worksheet was given stays
        // with it, to be figured again when it is ticked again.
        if (!counts(s.id))
            r.charge = Figure::figured(Zero);
        else
            part(ServiceCaption(s) + QStringLiteral(" charge"), r.charge);
        (s.column == Column::Beef ? beef : pork) << r.charge.text;
    }
    QString total = R::Total(value_.kill.text, value_.processing.text, beef, pork);
    if (value_.share) {
        // A share's bill: its surcharge, and its cents of the animal's rounding.
        part(QStringLiteral("split-side surcharge"), value_.share->surcharge);
        total = NumberText(
            Round15(Round15(LeadingNumber(total) + LeadingNumber(value_.share->surcharge.text)) +
                    LeadingNumber(value_.share->leftover)));
    }
    value_.total.set(total);
    if (!incomplete.isEmpty())
        value_.total.fail(QStringLiteral("Incomplete: %1").arg(incomplete));
}

void Estimate::refreshLikelyRatio()
{
    // The quote's likely range at the shop's range as it stands now; a saved
    // one keeps the range it was given.
    if (value_.basis == PriceBasis::Today || !value_.likelyRatio.isSet())
        value_.likelyRatio =
            value_.species == Species::None ? HangingRatio() : rules_.ratio(value_.species);
}

bool Estimate::applySheet(quint64 identity, ServiceId service, const SheetResult& result)
{
    if (identity != identity_)
        return false; // the estimate it was opened for is no longer here
    beginAction();
    const ServiceInfo& s = Service(service);
    ServiceRow& r = value_.row(service);
    r.weight.set(result.weight);
    r.charge.set(result.charge);
    r.rate = R::RateOf(result.weight, result.charge, s.singleRate);
    r.entries = result.entries;
    r.fromSheet = true;
    r.figuredFor.reset();
    if (s.followsHangingWeight)
        r.figuredFor = StrictNumber(value_.hanging.text);
    refigureTotal();
    return true;
}

void Estimate::restoreRow(ServiceId service, const ServiceRow& row)
{
    beginAction();
    value_.row(service) = row;
    if (counts(service) && Service(service).figuring == Figuring::Worksheet)
        figureSheetRow(service);
    roundAndTotal();
}

// ---------------------------------------------------------------- cure products

void Estimate::chooseCureProducts(const R::CureSelection& selected)
{
    beginAction();
    value_.cure = selected;
    if (R::TooManyBriskets(selected)) {
        value_.row(ServiceId::BeefCuring).weight.set(Zero);
        view_->tell(TooManyBriskets);
        for (const int i : {R::BeefBaconBrisket, R::CornedBeefBrisket, R::BbqBrisket})
            value_.cure[i] = false;
    }
    figureCureProducts(value_.cure);
    roundAndTotal();
}

void Estimate::figureCureProducts(const R::CureSelection& selected)
{
    ServiceRow& r = value_.row(ServiceId::BeefCuring);
    QString problem;
    const auto hanging = hangingWeightValue(&problem);
    if (!hanging) {
        r.charge.fail(problem);
        report(problem);
        return;
    }
    if (selected[R::CornedBeefRound] && !value_.topRoundAsked) {
        if (quiet_)
            return; // asked when the clerk next chooses
        value_.topRoundOnly = view_->askYesNo(TopRoundQuestion, TopRoundTitle);
        value_.topRoundAsked = true;
    }
    if (!selected[R::CornedBeefRound])
        value_.topRoundAsked = false; // asked again when it is selected again
    const QString cured = R::CuredPounds(*hanging, selected, value_.topRoundOnly);
    const auto rate = servicePrice(ServiceId::BeefCuring, &problem);
    if (!rate) {
        r.charge.fail(problem);
        report(problem);
        return;
    }
    r.weight.set(cured);
    r.charge.set(R::Charge(*StrictNumber(cured), *rate));
    r.rate = NumberText(*rate);
}

// ---------------------------------------------------------------- keeping the estimate

void Estimate::replace(const EstimateValue& value)
{
    value_ = value;
    finalBill_ = false;
    ++identity_;
    toldWhileTyping_.clear();
    saved_ = value_;
    unsavedAnyway_ = false;
}

void Estimate::clear()
{
    value_ = EstimateValue();
    finalBill_ = false;
    ++identity_;
    toldWhileTyping_.clear();
    saved_ = value_;
    unsavedAnyway_ = false;
}

EstimateValue Estimate::keptForSaving(const QDateTime& now)
{
    // Every price the estimate may still need is kept with it, so that it is
    // figured at the same prices when it is opened again. The estimate itself
    // changes only once it is saved (markSaved).
    const EstimateValue before = value_;
    if (value_.basis == PriceBasis::Today) {
        const QScopedValueRollback<bool> quiet(quiet_, true);
        for (const QString& item : ItemNames::lookedUpNames()) {
            QString problem;
            if (flag_ && !value_.rates.contains(item))
                price(item, std::nullopt, &problem);
        }
        value_.basis = PriceBasis::Kept;
        value_.builtInPrices = !flag_;
    }
    EstimateValue kept = value_;
    kept.savedAt = now;
    value_ = before;
    return kept;
}

void Estimate::markUnsaved()
{
    unsavedAnyway_ = true;
}

bool Estimate::hasUnsavedChanges() const
{
    if (unsavedAnyway_)
        return true;
    // What is only shown is not a change; the prices kept are not either.
    EstimateValue now = value_, then = saved_;
    now.shown = then.shown = EstimateShown();
    now.rates = then.rates;
    now.basis = then.basis;
    now.ratesFrom = then.ratesFrom;
    now.savedAt = then.savedAt;
    now.likelyRatio = then.likelyRatio;
    return !(now == then);
}

void Estimate::markSaved(const EstimateValue& kept)
{
    value_ = kept;
    saved_ = value_;
    unsavedAnyway_ = false;
}
