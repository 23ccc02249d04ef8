#include "estimate/estimate.h"

#include "core/numbers.h"
#include "core/shop_settings.h"
#include "pricelist/price_items.h"
#include "pricelist/price_list.h"
#include "pricelist/service_price.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopedValueRollback>
#include <cmath>
#include <iterator>

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
const QString BeefHint = QStringLiteral("About 1/2 Of Live Weight");
const QString PorkHint = QStringLiteral("About 2/3 Of Live Weight");
const QString LiveWeight = QStringLiteral("Live Weight");
const QString FieldDressed = QStringLiteral("Field Dressed");

// What the clerk is told when a figure stands in the way.
const QString ChargeNotANumber =
    QStringLiteral("The %1 charge \"%2\" is not a number, so the charges were not rounded to "
                   "cents. Type a number in it or untick the service.");
const QString FlagNotOpened =
    QStringLiteral("The price list could not be opened, so the built-in prices stay in use.\n\n%1");
const QString DeerNeedsPriceList =
    QStringLiteral("The deer charge needs the price list, and no price list is open. Tick the "
                   "box at the top left to open it.");

const QString Zero = QStringLiteral("0");

// The shop the program was made for, named on the printed estimate until the
// owner sets the shop's own name.
const QString ShopName = QStringLiteral("Tallowbrook Processing");

const char* const SpeciesNames[] = {"", "Beef", "Pork", "Deer"};

// The estimate's record of itself: what it is, and the version of its layout.
// A later version reads the records of every earlier one.
const QString StateKind = QStringLiteral("locker-estimate");
constexpr int StateVersion = 1;

// Each service's key in the record, in the order of ServiceId. The keys stay
// as they are when captions or printed names change.
const char* const ServiceKeys[] = {
    "tenderising", "minuteSteaks", "extraBoning", "beefCuring", "beefSausage",
    "paperWrapp",  "fajitaStrips", "slicing",     "porkCuring", "porkSausage",
    "cutlets",     "cooling",      "quartering",
};
static_assert(std::size(ServiceKeys) == ServiceCount, "a key for every service");

// Reads the values of a record, each of the type it must have; the first
// one missing or of another type makes the reader fail.
class RecordReader {
public:
    bool ok = true;

    bool flag(const QJsonObject& o, const char* key)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        ok = ok && v.isBool();
        return v.toBool();
    }
    QString text(const QJsonObject& o, const char* key)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        ok = ok && v.isString();
        return v.toString();
    }
    // A finite number, or no value when the record holds null.
    std::optional<double> numberOrNull(const QJsonObject& o, const char* key)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isNull())
            return std::nullopt;
        ok = ok && v.isDouble() && std::isfinite(v.toDouble());
        return v.toDouble();
    }
    QJsonObject object(const QJsonObject& o, const char* key)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        ok = ok && v.isObject();
        return v.toObject();
    }
    // One of the texts allowed; its index.
    int oneOf(const QJsonObject& o, const char* key, const QStringList& allowed)
    {
        const int index = int(allowed.indexOf(text(o, key)));
        ok = ok && index >= 0;
        return index;
    }
};

} // namespace

Estimate::Estimate(PriceList& prices, EstimateView& view)
    : prices_(prices)
    , view_(view)
    , weightCaption_(LiveWeight)
{
    savedState_ = saveState();
}

ServiceRow& Estimate::rowOf(ServiceId service)
{
    return rows_[static_cast<int>(service)];
}

const ServiceRow& Estimate::row(ServiceId service) const
{
    return rows_[static_cast<int>(service)];
}

bool Estimate::counts(ServiceId service) const
{
    const ServiceRow& r = row(service);
    return r.ticked && r.accepted;
}

bool Estimate::isStale(ServiceId service) const
{
    const ServiceRow& r = row(service);
    if (!r.figuredFor || !counts(service))
        return false;
    const auto hanging = StrictNumber(hanging_);
    return !hanging || *hanging != *r.figuredFor;
}

QList<ServiceId> Estimate::staleServices() const
{
    QList<ServiceId> stale;
    for (const ServiceInfo& s : Services())
        if (isStale(s.id))
            stale << s.id;
    return stale;
}

EstimateSummary Estimate::summary() const
{
    EstimateSummary estimate;
    const ShopDetails shop = LoadShopDetails();
    estimate.shopName = shop.name.trimmed().isEmpty() ? ShopName : shop.name.trimmed();
    estimate.shopAddress = shop.address.trimmed();
    estimate.shopPhone = shop.phone.trimmed();
    estimate.date = QDate::currentDate();
    estimate.species = QLatin1String(SpeciesNames[static_cast<int>(species_)]);
    estimate.weightCaption = weightCaption_;
    estimate.enteredWeight = live_;
    estimate.hangingWeight = hanging_;
    estimate.killCharge = kill_;
    estimate.processingCharge = processing_;
    estimate.processingRate = processingRate_;
    for (const ServiceInfo& s : Services()) {
        if (!counts(s.id))
            continue;
        const ServiceRow& r = row(s.id);
        EstimateLine line{s.id, r.weight, r.rate, r.charge, QString()};
        if (s.figuring == Figuring::PaperWrapp) {
            line.weight.clear(); // its weight field holds the processing charge
            line.note = QStringLiteral("in the processing charge");
        } else if (s.figuring == Figuring::Notice) {
            line.weight.clear();
            line.note = QStringLiteral("no charge beyond processing");
        }
        estimate.services << line;
    }
    estimate.total = total_;
    return estimate;
}

// ---------------------------------------------------------------- start-up

void Estimate::startUp()
{
    weightFactor_ = R::BeefFactor;
    flag_ = true;
    switch (prices_.open()) {
    case PriceList::OpenResult::Opened:
        break;
    case PriceList::OpenResult::FileMissing:
        view_.tell(StartupNotice);
        flag_ = false;
        break;
    case PriceList::OpenResult::Unusable:
        // The flag must not claim a price list that is not open.
        flag_ = false;
        view_.warn(prices_.openProblem());
        break;
    }
    savedState_ = saveState();
}

void Estimate::setPriceListFlag(bool ticked)
{
    toldWhileTyping_.clear();
    flag_ = ticked;
    if (!ticked || prices_.isOpen())
        return;
    if (prices_.open() != PriceList::OpenResult::Opened) {
        flag_ = false;
        view_.warn(FlagNotOpened.arg(prices_.openProblem()));
    }
}

// ---------------------------------------------------------------- lookups

void Estimate::report(const QString& text)
{
    if (typing_) {
        if (toldWhileTyping_.contains(text))
            return;
        toldWhileTyping_.insert(text);
    }
    view_.warn(text);
}

std::optional<double> Estimate::lookup(const QString& item)
{
    const CostLookup found = prices_.lookupCost(item);
    if (!found.found()) {
        report(found.problem);
        return std::nullopt;
    }
    return found.cost;
}

std::optional<double> Estimate::priceOr(const QString& item, double builtIn)
{
    return ListOrBuiltIn(flag_, builtIn, [&] { return lookup(item); });
}

std::optional<double> Estimate::hangingWeightValue()
{
    QString problem;
    const auto value = R::ReadHangingWeight(hanging_, &problem);
    if (!value)
        report(problem);
    return value;
}

// ---------------------------------------------------------------- species

void Estimate::chooseSpecies(Species species)
{
    toldWhileTyping_.clear();
    species_ = species;
    if (species == Species::Deer) {
        weightCaption_ = FieldDressed;
        // The flat deer charge is always looked up: there is no built-in one.
        const auto cost = prices_.isOpen() ? lookup(PriceItem::Deer) : std::nullopt;
        if (!prices_.isOpen())
            view_.warn(DeerNeedsPriceList);
        if (cost) {
            processing_ = NumberText(*cost);
            processingRate_.clear(); // a flat charge
            kill_ = Zero;
            figureProcessing();
        }
        weightFactor_ = R::DeerFactor;
        if (cost)
            roundAndTotal();
        return;
    }
    const bool beef = species == Species::Beef;
    speciesHint_ = beef ? BeefHint : PorkHint;
    weightCaption_ = LiveWeight;
    weightFactor_ = beef ? R::BeefFactor : R::PorkFactor;
    if (!flag_)
        kill_ = beef ? R::FallbackBeefKill : R::FallbackPorkKill;
    else if (const auto cost = lookup(beef ? PriceItem::BeefKill : PriceItem::PorkKill))
        kill_ = NumberText(*cost);
    roundAndTotal();
}

// ---------------------------------------------------------------- weights

void Estimate::setLiveWeight(const QString& text)
{
    live_ = text;
    if (hanging_.isEmpty())
        return;
    const auto live = R::UsableWeight(text);
    if (!live)
        return; // the field shows that it is not a usable weight
    const QScopedValueRollback<bool> typing(typing_, true);
    hanging_ = NumberText(*live * weightFactor_);
    refigureFromHangingWeight();
}

void Estimate::setHangingWeight(const QString& text)
{
    hanging_ = text;
    if (!R::UsableWeight(text) || text.trimmed().isEmpty())
        return;
    const QScopedValueRollback<bool> typing(typing_, true);
    refigureFromHangingWeight();
}

void Estimate::figureProcessing()
{
    if (flag_) {
        const auto cost = lookup(PriceItem::Processing);
        if (!cost || species_ == Species::Deer)
            return; // for deer the processing charge is the flat deer charge
        if (const auto hanging = hangingWeightValue()) {
            processing_ = R::Charge(*hanging, *cost);
            processingRate_ = NumberText(*cost);
        }
    } else if (const auto hanging = hangingWeightValue()) {
        processing_ = R::Charge(*hanging, R::FallbackProcessing);
        processingRate_ = NumberText(R::FallbackProcessing);
    }
}

void Estimate::refigureFromHangingWeight()
{
    figureProcessing();
    for (const ServiceInfo& s : Services()) {
        if (!counts(s.id))
            continue;
        if (s.figuring == Figuring::HangingShare || s.figuring == Figuring::PaperWrapp ||
            s.figuring == Figuring::WholeHanging)
            figure(s.id);
        else if (s.figuring == Figuring::CureProducts && cureProductsShown_)
            figureCureProducts(cure_);
    }
    roundAndTotal();
}

// ---------------------------------------------------------------- charges typed

void Estimate::setKillCharge(const QString& text)
{
    kill_ = text;
    refigureTotal();
}

void Estimate::setProcessingCharge(const QString& text)
{
    processing_ = text;
    refigureTotal();
}

void Estimate::setServiceCharge(ServiceId service, const QString& text)
{
    rowOf(service).charge = text;
    refigureTotal();
}

void Estimate::setServiceWeight(ServiceId service, const QString& text)
{
    rowOf(service).weight = text;
}

// ---------------------------------------------------------------- services

void Estimate::expand()
{
    toldWhileTyping_.clear();
    expanded_ = true;
    if (species_ != Species::Beef && species_ != Species::Pork)
        return;
    const Column column = species_ == Species::Pork ? Column::Pork : Column::Beef;
    for (const ServiceInfo& s : Services())
        if (s.column == column)
            rowOf(s.id).boxShown = true;
    if (column == Column::Pork)
        porkNoteShown_ = true;
}

void Estimate::clickService(ServiceId service, bool ticked)
{
    toldWhileTyping_.clear();
    const ServiceInfo& s = Service(service);
    ServiceRow& r = rowOf(service);
    r.ticked = ticked;
    if (!flag_ && s.needsPriceList) {
        r.accepted = false; // not figured or charged until a click is accepted
        view_.tell(RefusedService);
        refigureTotal(); // the total follows the box all the same
        return;
    }
    r.accepted = true;
    r.fieldsShown = true;
    if (!ticked)
        r.figuredFor.reset();
    figure(service);
    if (s.figuring == Figuring::PaperWrapp && !ticked)
        figureProcessing(); // back to the ordinary processing price
    roundAndTotal();
}

void Estimate::figure(ServiceId service)
{
    const ServiceInfo& s = Service(service);
    ServiceRow& r = rowOf(service);
    switch (s.figuring) {
    case Figuring::HangingShare: {
        const auto hanging = hangingWeightValue();
        const auto price = hanging ? priceOr(s.priceItem, s.builtInPrice) : std::nullopt;
        if (!price)
            return;
        const R::ServiceFigure figure = R::ShareOfHanging(*hanging, s.hangingShare, *price);
        r.weight = figure.weight;
        r.charge = figure.charge;
        r.rate = NumberText(*price);
        return;
    }
    case Figuring::PaperWrapp: {
        const auto hanging = hangingWeightValue();
        const auto price = hanging ? priceOr(s.priceItem, s.builtInPrice) : std::nullopt;
        if (!price)
            return;
        // The paper wrap replaces the processing price: its cost is carried by
        // the processing charge, not by the row's own charge.
        processing_ = R::Charge(*hanging, *price);
        processingRate_ = NumberText(*price);
        total_ = NumberText(LeadingNumber(processing_) + LeadingNumber(kill_));
        r.charge = Zero;
        r.weight = processing_;
        return;
    }
    case Figuring::WholeHanging: {
        const auto hanging = hangingWeightValue();
        const auto price = hanging ? lookup(s.priceItem) : std::nullopt;
        if (!price)
            return;
        const R::ServiceFigure figure = R::Cooling(hanging_, *hanging, *price);
        r.weight = figure.weight;
        r.charge = figure.charge;
        r.rate = NumberText(*price);
        return;
    }
    case Figuring::Notice:
        view_.tell(QuarteringNotice);
        return;
    case Figuring::CureProducts:
        cureProductsShown_ = true;
        view_.showCureProducts();
        return;
    case Figuring::Worksheet:
        view_.showWorksheet(service);
        return;
    }
}

bool Estimate::roundBeefCharges()
{
    std::array<std::optional<double>, ServiceCount> charges{};
    for (const ServiceInfo& s : Services()) {
        const ServiceRow& r = row(s.id);
        if (s.column != Column::Beef || !counts(s.id) || r.charge.trimmed().isEmpty())
            continue; // nothing to round: it counts as 0 in the total
        charges[static_cast<int>(s.id)] = StrictNumber(r.charge);
        if (!charges[static_cast<int>(s.id)]) {
            report(ChargeNotANumber.arg(QLatin1String(s.caption), r.charge));
            return false;
        }
    }
    for (const ServiceInfo& s : Services())
        if (const auto& charge = charges[static_cast<int>(s.id)])
            rowOf(s.id).charge = R::WholeCents(*charge);
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
    for (const ServiceInfo& s : Services()) {
        ServiceRow& r = rowOf(s.id);
        if (!counts(s.id))
            r.charge = Zero;
        (s.column == Column::Beef ? beef : pork) << r.charge;
    }
    total_ = R::Total(kill_, processing_, beef, pork);
}

void Estimate::writeService(ServiceId service, const QString& weight, const QString& charge)
{
    const ServiceInfo& s = Service(service);
    ServiceRow& r = rowOf(service);
    r.weight = weight;
    r.charge = charge;
    r.rate = R::RateOf(weight, charge, s.singleRate);
    r.figuredFor.reset();
    if (s.followsHangingWeight)
        r.figuredFor = StrictNumber(hanging_);
    refigureTotal();
}

// ---------------------------------------------------------------- cure products

void Estimate::chooseCureProducts(const R::CureSelection& selected)
{
    toldWhileTyping_.clear();
    cure_ = selected;
    if (R::TooManyBriskets(selected)) {
        rowOf(ServiceId::BeefCuring).weight = Zero;
        view_.tell(TooManyBriskets);
        for (const int i : {R::BeefBaconBrisket, R::CornedBeefBrisket, R::BbqBrisket})
            cure_[i] = false;
    }
    figureCureProducts(cure_);
    roundAndTotal();
}

void Estimate::figureCureProducts(const R::CureSelection& selected)
{
    const auto hanging = hangingWeightValue();
    if (!hanging)
        return;
    if (selected[R::CornedBeefRound] && !cornedRoundAsked_) {
        topRoundOnly_ = view_.askYesNo(TopRoundQuestion, TopRoundTitle);
        cornedRoundAsked_ = true;
    }
    if (!selected[R::CornedBeefRound])
        cornedRoundAsked_ = false; // asked again when it is selected again
    const QString cured = R::CuredPounds(*hanging, selected, topRoundOnly_);
    const auto price = priceOr(PriceItem::Curing, R::FallbackCuring);
    if (!price)
        return;
    ServiceRow& r = rowOf(ServiceId::BeefCuring);
    r.weight = cured;
    r.charge = R::Charge(*StrictNumber(cured), *price);
    r.rate = NumberText(*price);
}

// ---------------------------------------------------------------- keeping the estimate

QString Estimate::saveState() const
{
    QJsonObject services;
    for (const ServiceInfo& s : Services()) {
        const ServiceRow& r = row(s.id);
        services.insert(QLatin1String(ServiceKeys[static_cast<int>(s.id)]),
                        QJsonObject{
                            {QStringLiteral("ticked"), r.ticked},
                            {QStringLiteral("accepted"), r.accepted},
                            {QStringLiteral("boxShown"), r.boxShown},
                            {QStringLiteral("fieldsShown"), r.fieldsShown},
                            {QStringLiteral("weight"), r.weight},
                            {QStringLiteral("charge"), r.charge},
                            {QStringLiteral("rate"), r.rate},
                            {QStringLiteral("figuredFor"),
                             r.figuredFor ? QJsonValue(*r.figuredFor) : QJsonValue()},
                        });
    }
    QJsonArray selected;
    for (const bool product : cure_)
        selected.append(product);
    const QJsonObject record{
        {QStringLiteral("kind"), StateKind},
        {QStringLiteral("version"), StateVersion},
        {QStringLiteral("species"), QLatin1String(SpeciesNames[static_cast<int>(species_)])},
        {QStringLiteral("weightFactor"), weightFactor_},
        {QStringLiteral("expanded"), expanded_},
        {QStringLiteral("weightCaption"), weightCaption_},
        {QStringLiteral("speciesHint"), speciesHint_},
        {QStringLiteral("live"), live_},
        {QStringLiteral("hanging"), hanging_},
        {QStringLiteral("processing"), processing_},
        {QStringLiteral("processingRate"), processingRate_},
        {QStringLiteral("kill"), kill_},
        {QStringLiteral("total"), total_},
        {QStringLiteral("porkNoteShown"), porkNoteShown_},
        {QStringLiteral("services"), services},
        {QStringLiteral("cure"),
         QJsonObject{
             {QStringLiteral("shown"), cureProductsShown_},
             {QStringLiteral("selected"), selected},
             {QStringLiteral("topRoundAsked"), cornedRoundAsked_},
             {QStringLiteral("topRoundOnly"), topRoundOnly_},
         }},
    };
    return QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact));
}

bool Estimate::restoreState(const QString& state)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(state.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject record = document.object();
    const QJsonValue version = record.value(QStringLiteral("version"));
    // Only version 1 is written so far; a later version is a newer program's.
    if (record.value(QStringLiteral("kind")) != QJsonValue(StateKind) || !version.isDouble() ||
        version.toDouble() != StateVersion)
        return false;

    // Everything is read and checked first: the estimate changes only when
    // the whole record is right.
    RecordReader read;
    QStringList species;
    for (const char* name : SpeciesNames)
        species << QLatin1String(name);
    const int speciesIndex = read.oneOf(record, "species", species);
    const std::optional<double> factor = read.numberOrNull(record, "weightFactor");
    if (!factor || !(*factor > 0 && *factor <= 1))
        return false;
    const int caption = read.oneOf(record, "weightCaption", {LiveWeight, FieldDressed});
    const int hint = read.oneOf(record, "speciesHint", {QString(), BeefHint, PorkHint});
    const bool expanded = read.flag(record, "expanded");
    const QString live = read.text(record, "live");
    const QString hanging = read.text(record, "hanging");
    const QString processing = read.text(record, "processing");
    const QString processingRate = read.text(record, "processingRate");
    const QString kill = read.text(record, "kill");
    const QString total = read.text(record, "total");
    const bool porkNote = read.flag(record, "porkNoteShown");

    std::array<ServiceRow, ServiceCount> rows{};
    const QJsonObject services = read.object(record, "services");
    for (int i = 0; i < ServiceCount; ++i) {
        const QJsonObject o = read.object(services, ServiceKeys[i]);
        ServiceRow& r = rows[i];
        r.ticked = read.flag(o, "ticked");
        r.accepted = read.flag(o, "accepted");
        r.boxShown = read.flag(o, "boxShown");
        r.fieldsShown = read.flag(o, "fieldsShown");
        r.weight = read.text(o, "weight");
        r.charge = read.text(o, "charge");
        r.rate = read.text(o, "rate");
        r.figuredFor = read.numberOrNull(o, "figuredFor");
    }

    const QJsonObject cure = read.object(record, "cure");
    const bool cureShown = read.flag(cure, "shown");
    const bool topRoundAsked = read.flag(cure, "topRoundAsked");
    const bool topRoundOnly = read.flag(cure, "topRoundOnly");
    const QJsonArray selected = cure.value(QStringLiteral("selected")).toArray();
    EstimateRules::CureSelection products{};
    if (selected.size() != R::CureProductCount)
        return false;
    for (int i = 0; i < R::CureProductCount; ++i) {
        read.ok = read.ok && selected[i].isBool();
        products[i] = selected[i].toBool();
    }
    if (!read.ok)
        return false;

    species_ = static_cast<Species>(speciesIndex);
    weightFactor_ = *factor;
    expanded_ = expanded;
    weightCaption_ = caption == 0 ? LiveWeight : FieldDressed;
    speciesHint_ = hint == 0 ? QString() : hint == 1 ? BeefHint : PorkHint;
    live_ = live;
    hanging_ = hanging;
    processing_ = processing;
    processingRate_ = processingRate;
    kill_ = kill;
    total_ = total;
    rows_ = rows;
    porkNoteShown_ = porkNote;
    cureProductsShown_ = cureShown;
    cure_ = products;
    cornedRoundAsked_ = topRoundAsked;
    topRoundOnly_ = topRoundOnly;
    toldWhileTyping_.clear();
    savedState_ = saveState();
    return true;
}

void Estimate::clear()
{
    species_ = Species::None;
    weightFactor_ = R::BeefFactor;
    expanded_ = false;
    weightCaption_ = LiveWeight;
    speciesHint_.clear();
    live_ = hanging_ = processing_ = kill_ = total_ = Zero;
    processingRate_.clear();
    rows_ = {};
    porkNoteShown_ = false;
    cureProductsShown_ = false;
    cure_ = {};
    cornedRoundAsked_ = false;
    topRoundOnly_ = false;
    toldWhileTyping_.clear();
    savedState_ = saveState();
}

bool Estimate::hasUnsavedChanges() const
{
    return saveState() != savedState_;
}

void Estimate::markSaved()
{
    savedState_ = saveState();
}
