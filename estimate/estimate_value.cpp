#include "estimate/estimate_value.h"

#include "core/money.h"
#include "core/numbers.h"
#include "pricelist/price_items.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <iterator>
#include <utility>

bool EstimateValue::isStale(ServiceId service) const
{
    const ServiceRow& r = row(service);
    if (!r.figuredFor || !counts(service))
        return false;
    const auto pounds = StrictNumber(hanging.text);
    return !pounds || *pounds != *r.figuredFor;
}

QList<ServiceId> EstimateValue::staleServices() const
{
    QList<ServiceId> stale;
    for (const ServiceInfo& s : Services())
        if (isStale(s.id))
            stale << s.id;
    return stale;
}

QString SpeciesName(Species species)
{
    switch (species) {
    case Species::Beef:
        return QStringLiteral("Beef");
    case Species::Pork:
        return QStringLiteral("Pork");
    case Species::Deer:
        return QStringLiteral("Deer");
    case Species::None:
        break;
    }
    return QString();
}

namespace {

// The record: what it is, and the version of its layout. A later version reads
// the records of every earlier one.
const QString RecordKind = QStringLiteral("locker-estimate");
constexpr int RecordVersion = 3;

// Fields that the records of version 2 did not have: absent, they keep their
// default (see fromSecondVersion for what else a version 2 record means).
constexpr bool AddedInVersion3 = true;

// Each service's key in the record, in the order of ServiceId. The keys stay
// as they are when captions or printed names change.
const char* const ServiceKeys[] = {
    "tenderising", "minuteSteaks", "extraBoning", "beefCuring", "beefSausage",
    "paperWrapp",  "fajitaStrips", "slicing",     "porkCuring", "porkSausage",
    "cutlets",     "cooling",      "quartering",
};
static_assert(std::size(ServiceKeys) == ServiceCount, "a key for every service");

const char* const SpeciesKeys[] = {"", "Beef", "Pork", "Deer"};

// ---------------------------------------------------------------- the field lists
//
// Each part of the value lists its fields once; the same list writes the
// record and reads it back.

template <typename V, typename F> void fieldsOf(V& v, F& f, Figure*)
{
    f("text", v.text);
    f("notFigured", v.state);
    f("why", v.why);
    f("typed", v.typed);
}

template <typename V, typename F> void fieldsOf(V& v, F& f, SausageRules::Entry*)
{
    f("row", v.row);
    f("item", v.item);
    f("deer", v.deer);
    f("pork", v.pork);
}

template <typename V, typename F> void fieldsOf(V& v, F& f, SheetEntries*)
{
    f("chosen", v.chosen);
    f("sausage", v.sausage);
    f("startingCharge", v.startingCharge);
}

template <typename V, typename F> void fieldsOf(V& v, F& f, ServiceRow*)
{
    f("ticked", v.ticked);
    f("accepted", v.accepted);
    f("weight", v.weight);
    f("charge", v.charge);
    f("rate", v.rate);
    f("figuredFor", v.figuredFor);
    f("fromSheet", v.fromSheet);
    f("entries", v.entries);
}

template <typename V, typename F> void fieldsOf(V& v, F& f, EstimateShown*)
{
    f("expanded", v.expanded);
    f("weightCaption", v.weightCaption);
    f("speciesHint", v.speciesHint);
    f("porkNoteShown", v.porkNoteShown);
    f("cureProductsShown", v.cureProductsShown);
    f("boxShown", v.boxShown);
    f("fieldsShown", v.fieldsShown);
}

template <typename V, typename F> void fieldsOf(V& v, F& f, ShareOfAnimal*)
{
    f("tag", v.tag);
    f("part", v.part);
    f("share", v.share);
    f("shares", v.shares);
    f("animalHanging", v.animalHanging);
    f("weighed", v.weighed);
    f("weighedWhole", v.weighedWhole);
    f("firstSide", v.firstSide);
    f("secondSide", v.secondSide);
    f("killFeeKey", v.killFeeKey);
    f("paysKillFee", v.paysKillFee);
    f("killFeeWords", v.killFeeWords);
    f("surchargeRate", v.surchargeRate);
    f("surcharge", v.surcharge);
    f("leftover", v.leftover, AddedInVersion3);
    f("takenOff", v.takenOff, AddedInVersion3);
}

template <typename V, typename F> void fieldsOf(V& v, F& f, HangingRatio*)
{
    f("low", v.low);
    f("high", v.high);
    f("middle", v.middle);
}

template <typename V, typename F> void fieldsOf(V& v, F& f, PrimalChoice*)
{
    f("primal", v.primal);
    f("use", v.use);
    f("thickness", v.thickness);
    f("perPackage", v.perPackage);
    f("roastPounds", v.roastPounds);
    f("boneless", v.boneless);
}

template <typename V, typename F> void fieldsOf(V& v, F& f, SheetChange*)
{
    f("who", v.who);
    f("when", v.when);
    f("what", v.what);
}

template <typename V, typename F> void fieldsOf(V& v, F& f, CutSheet*)
{
    f("species", v.species);
    f("part", v.part);
    f("choices", v.choices);
    f("package", v.package);
    f("lean", v.lean);
    f("keeps", v.keeps);
    f("changes", v.changes);
}

template <typename V, typename F> void fieldsOf(V& v, F& f, EstimateValue*)
{
    f("species", v.species);
    f("weightFactor", v.weightFactor);
    f("live", v.live);
    f("hanging", v.hanging);
    f("processing", v.processing);
    f("processingRate", v.processingRate);
    f("kill", v.kill);
    f("total", v.total);
    f("services", v.rows);
    f("cure", v.cure);
    f("topRoundAsked", v.topRoundAsked);
    f("topRoundOnly", v.topRoundOnly);
    f("rates", v.rates);
    f("basis", v.basis);
    f("builtInPrices", v.builtInPrices);
    f("ratesFrom", v.ratesFrom);
    f("savedAt", v.savedAt);
    f("share", v.share);
    f("likelyRatio", v.likelyRatio, AddedInVersion3);
    f("cutSheet", v.cutSheet, AddedInVersion3);
    f("shown", v.shown);
}

template <typename T> constexpr bool hasFields = requires(T& t)
{
    fieldsOf(t, std::declval<int&>(), static_cast<T*>(nullptr));
};

// ---------------------------------------------------------------- writing

QJsonValue encode(bool v)
{
    return v;
}
QJsonValue encode(int v)
{
    return v;
}
QJsonValue encode(double v)
{
    return v;
}
QJsonValue encode(const QString& v)
{
    return v;
}
QJsonValue encode(FigureState v)
{
    return v == FigureState::NotFigured;
}
QJsonValue encode(Species v)
{
    return QLatin1String(SpeciesKeys[static_cast<int>(v)]);
}
QJsonValue encode(PriceBasis v)
{
    return v == PriceBasis::Kept ? QStringLiteral("kept") : QStringLiteral("today");
}
QJsonValue encode(PrimalUse v)
{
    return UseWords(v);
}
QJsonValue encode(SheetPart v)
{
    return PartWords(v);
}
QJsonValue encode(const QDate& v)
{
    return v.isValid() ? v.toString(Qt::ISODate) : QString();
}
QJsonValue encode(const QDateTime& v)
{
    return v.isValid() ? v.toString(Qt::ISODate) : QString();
}
QJsonValue encode(const std::optional<double>& v)
{
    return v ? QJsonValue(*v) : QJsonValue();
}
QJsonValue encode(const QMap<QString, double>& v)
{
    QJsonObject o;
    for (auto i = v.cbegin(); i != v.cend(); ++i)
        o.insert(i.key(), i.value());
    return o;
}
template <typename T> QJsonValue encode(const QList<T>& v);
template <typename T, std::size_t N> QJsonValue encode(const std::array<T, N>& v);
QJsonValue encode(const std::array<ServiceRow, ServiceCount>& v);
template <typename T> requires hasFields<T> QJsonValue encode(const T& v);
template <typename T> requires hasFields<T> QJsonValue encode(const std::optional<T>& v)
{
    return v ? encode(*v) : QJsonValue();
}

struct Writer {
    QJsonObject object;
    template <typename T> void operator()(const char* key, const T& v, bool = false)
    {
        object.insert(QLatin1String(key), encode(v));
    }
};

template <typename T> requires hasFields<T> QJsonValue encode(const T& v)
{
    Writer w;
    fieldsOf(v, w, static_cast<T*>(nullptr));
    return w.object;
}

template <typename T> QJsonValue encode(const QList<T>& v)
{
    QJsonArray a;
    for (const T& item : v)
        a.append(encode(item));
    return a;
}

template <typename T, std::size_t N> QJsonValue encode(const std::array<T, N>& v)
{
    QJsonArray a;
    for (const T& item : v)
        a.append(encode(item));
    return a;
}

QJsonValue encode(const std::array<ServiceRow, ServiceCount>& v)
{
    QJsonObject o;
    for (int i = 0; i < ServiceCount; ++i)
        o.insert(QLatin1String(ServiceKeys[i]), encode(v[i]));
    return o;
}

// ---------------------------------------------------------------- reading
//
// Each value must be of the type it has in the record; the first that is
// not makes the whole record unreadable.

bool decode(const QJsonValue& j, bool& v)
{
    v = j.toBool();
    return j.isBool();
}
bool decode(const QJsonValue& j, int& v)
{
    v = j.toInt();
    return j.isDouble() && j.toDouble() == v;
}
bool decode(const QJsonValue& j, double& v)
{
    v = j.toDouble();
    return j.isDouble() && std::isfinite(v);
}
bool decode(const QJsonValue& j, QString& v)
{
    v = j.toString();
    return j.isString();
}
bool decode(const QJsonValue& j, FigureState& v)
{
    v = j.toBool() ? FigureState::NotFigured : FigureState::Current;
    return j.isBool();
}
bool decode(const QJsonValue& j, Species& v)
{
    for (int i = 0; i < int(std::size(SpeciesKeys)); ++i)
        if (j.isString() && j.toString() == QLatin1String(SpeciesKeys[i])) {
            v = static_cast<Species>(i);
            return true;
        }
    return false;
}
bool decode(const QJsonValue& j, PriceBasis& v)
{
    v = j.toString() == QLatin1String("kept") ? PriceBasis::Kept : PriceBasis::Today;
    return j.toString() == QLatin1String("kept") || j.toString() == QLatin1String("today");
}
bool decode(const QJsonValue& j, PrimalUse& v)
{
    const std::optional<PrimalUse> use = UseFromWords(j.toString());
    v = use.value_or(PrimalUse::Steaks);
    return j.isString() && use;
}
bool decode(const QJsonValue& j, SheetPart& v)
{
    const std::optional<SheetPart> part = PartFromWords(j.toString());
    v = part.value_or(SheetPart::Whole);
    return j.isString() && part;
}
bool decode(const QJsonValue& j, QDate& v)
{
    v = QDate::fromString(j.toString(), Qt::ISODate);
    return j.isString() && (j.toString().isEmpty() || v.isValid());
}
bool decode(const QJsonValue& j, QDateTime& v)
{
    v = QDateTime::fromString(j.toString(), Qt::ISODate);
    return j.isString() && (j.toString().isEmpty() || v.isValid());
}
bool decode(const QJsonValue& j, std::optional<double>& v)
{
    if (j.isNull()) {
        v.reset();
        return true;
    }
    v = j.toDouble();
    return j.isDouble() && std::isfinite(*v);
}
bool decode(const QJsonValue& j, QMap<QString, double>& v)
{
    const QJsonObject o = j.toObject();
    for (auto i = o.constBegin(); i != o.constEnd(); ++i) {
        double cost = 0;
        if (!decode(i.value(), cost))
            return false;
        v.insert(i.key(), cost);
    }
    return j.isObject();
}
template <typename T> bool decode(const QJsonValue& j, QList<T>& v);
template <typename T, std::size_t N> bool decode(const QJsonValue& j, std::array<T, N>& v);
bool decode(const QJsonValue& j, std::array<ServiceRow, ServiceCount>& v);
template <typename T> requires hasFields<T> bool decode(const QJsonValue& j, T& v);
// A part that records written before it had no key for is absent.
template <typename T> requires hasFields<T> bool decode(const QJsonValue& j, std::optional<T>& v)
{
    if (j.isNull() || j.isUndefined()) {
        v.reset();
        return true;
    }
    return decode(j, v.emplace());
}

struct Reader {
    QJsonObject object;
    bool ok = true;
    // `added`: a field that earlier records lack, which keeps its default then.
    template <typename T> void operator()(const char* key, T& v, bool added = false)
    {
        const QJsonValue j = object.value(QLatin1String(key));
        if (added && j.isUndefined())
            return;
        ok = decode(j, v) && ok;
    }
};

template <typename T> requires hasFields<T> bool decode(const QJsonValue& j, T& v)
{
    Reader r{j.toObject()};
    fieldsOf(v, r, static_cast<T*>(nullptr));
    return j.isObject() && r.ok;
}

template <typename T> bool decode(const QJsonValue& j, QList<T>& v)
{
    const QJsonArray a = j.toArray();
    v.clear();
    for (const QJsonValue& item : a)
        if (!decode(item, v.emplace_back()))
            return false;
    return j.isArray();
}

template <typename T, std::size_t N> bool decode(const QJsonValue& j, std::array<T, N>& v)
{
    const QJsonArray a = j.toArray();
    if (!j.isArray() || a.size() != qsizetype(N))
        return false;
    for (std::size_t i = 0; i < N; ++i)
        if (!decode(a[qsizetype(i)], v[i]))
            return false;
    return true;
}

bool decode(const QJsonValue& j, std::array<ServiceRow, ServiceCount>& v)
{
    const QJsonObject o = j.toObject();
    for (int i = 0; i < ServiceCount; ++i)
        if (!decode(o.value(QLatin1String(ServiceKeys[i])), v[i]))
            return false;
    return j.isObject();
}

// ---------------------------------------------------------------- version 1
//
// The first program kept every figure as its text, with no state and no
// rates. Its records are read as current figures; the rates they show are
// taken as the rates they were figured with.

std::optional<EstimateValue> fromFirstVersion(const QJsonObject& record)
{
    EstimateValue v;
    bool ok = true;
    const auto text = [&](const QJsonObject& o, const char* key, QString& out) {
        ok = decode(o.value(QLatin1String(key)), out) && ok;
    };
    const auto figure = [&](const QJsonObject& o, const char* key, Figure& out) {
        QString t;
        text(o, key, t);
        out = Figure::figured(t);
    };
    const auto flag = [&](const QJsonObject& o, const char* key, bool& out) {
        ok = decode(o.value(QLatin1String(key)), out) && ok;
    };
    ok = decode(record.value(QStringLiteral("species")), v.species);
    ok = decode(record.value(QStringLiteral("weightFactor")), v.weightFactor) && ok;
    text(record, "live", v.live);
    figure(record, "hanging", v.hanging);
    figure(record, "processing", v.processing);
    text(record, "processingRate", v.processingRate);
    figure(record, "kill", v.kill);
    figure(record, "total", v.total);
    flag(record, "expanded", v.shown.expanded);
    text(record, "weightCaption", v.shown.weightCaption);
    text(record, "speciesHint", v.shown.speciesHint);
    flag(record, "porkNoteShown", v.shown.porkNoteShown);

    const QJsonObject services = record.value(QStringLiteral("services")).toObject();
    for (int i = 0; i < ServiceCount; ++i) {
        const QJsonObject o = services.value(QLatin1String(ServiceKeys[i])).toObject();
        ServiceRow& r = v.rows[i];
        flag(o, "ticked", r.ticked);
        flag(o, "accepted", r.accepted);
        flag(o, "boxShown", v.shown.boxShown[i]);
        flag(o, "fieldsShown", v.shown.fieldsShown[i]);
        figure(o, "weight", r.weight);
        figure(o, "charge", r.charge);
        text(o, "rate", r.rate);
        ok = decode(o.value(QStringLiteral("figuredFor")), r.figuredFor) && ok;
    }
    const QJsonObject cure = record.value(QStringLiteral("cure")).toObject();
    flag(cure, "shown", v.shown.cureProductsShown);
    flag(cure, "topRoundAsked", v.topRoundAsked);
    flag(cure, "topRoundOnly", v.topRoundOnly);
    ok = decode(cure.value(QStringLiteral("selected")), v.cure) && ok;
    if (!ok)
        return std::nullopt;

    // The rates that its figures show, kept with it.
    v.basis = PriceBasis::Kept;
    const auto keep = [&](const QString& item, const QString& rateText) {
        if (const auto rate = StrictNumber(rateText); rate && !item.isEmpty())
            v.rates.insert(item, *rate);
    };
    if (v.species == Species::Deer)
        keep(PriceItem::Deer, v.processing.text);
    else if (v.counts(ServiceId::PaperWrapp))
        keep(PriceItem::PaperWrapp, v.processingRate);
    else
        keep(PriceItem::Processing, v.processingRate);
    for (const ServiceInfo& s : Services()) {
        ServiceRow& r = v.row(s.id);
        if (v.counts(s.id) && s.singleRate)
            keep(s.priceItem, r.rate);
        // What a worksheet wrote: it had a charge.
        r.fromSheet = s.figuring == Figuring::Worksheet && v.counts(s.id) &&
                      LeadingNumber(r.charge.text) != 0;
    }
    return v;
}

// ---------------------------------------------------------------- version 2
//
// A share's record of version 2 kept its split-side surcharge and its cents
// of the animal's rounding beside its total, as the share's total billed
// ("total" in its share). That billed total is its total now: what moved it
// from the estimate's own total is its leftover.

bool fromSecondVersion(const QJsonObject& record, EstimateValue& v)
{
    if (!v.share)
        return true;
    const QJsonValue shareTotal =
        record.value(QStringLiteral("share")).toObject().value(QStringLiteral("total"));
    QString total;
    if (!decode(shareTotal, total))
        return false;
    if (total.isEmpty())
        return true; // never figured as a share
    const auto billed = CentsOf(total);
    const auto own = StrictNumber(v.total.text);
    const auto surcharge = StrictNumber(v.share->surcharge.text);
    if (!billed || !own)
        return true;
    if (const auto leftover = DollarsToCents(Round15(*own + surcharge.value_or(0)), *billed))
        v.share->leftover = *leftover;
    v.total.text = total;
    return true;
}

} // namespace

QString EstimateValue::toRecord() const
{
    QJsonObject record = encode(*this).toObject();
    record.insert(QStringLiteral("kind"), RecordKind);
    record.insert(QStringLiteral("version"), RecordVersion);
    return QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact));
}

QString SheetChoicesText(const CutSheet& sheet)
{
    QJsonObject choices = encode(sheet).toObject();
    choices.remove(QStringLiteral("changes"));
    return QString::fromUtf8(QJsonDocument(choices).toJson(QJsonDocument::Compact));
}

std::optional<EstimateValue> EstimateValue::fromRecord(const QString& text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject record = document.object();
    const QJsonValue version = record.value(QStringLiteral("version"));
    if (record.value(QStringLiteral("kind")) != QJsonValue(RecordKind) || !version.isDouble())
        return std::nullopt;
    std::optional<EstimateValue> value;
    if (version.toDouble() == 1) {
        value = fromFirstVersion(record);
    } else if (version.toDouble() == 2 || version.toDouble() == RecordVersion) {
        EstimateValue read;
        if (decode(QJsonValue(record), read) &&
            (version.toDouble() == RecordVersion || fromSecondVersion(record, read)))
            value = read;
    }
    // A later version is a newer program's.
    if (value && !(value->weightFactor > 0 && value->weightFactor <= 1))
        return std::nullopt;
    return value;
}
