#include "estimate/cut_sheet.h"

#include "core/numbers.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {

const char* const UseNames[] = {"steaks", "roasts", "ground", "stew", "cured", "smoked"};
const char* const PartNames[] = {"whole", "half", "front quarter", "hind quarter",
                                 "split-side quarter"};

using U = PrimalUse;

Primal P(const char* name, double share, Quarter quarter, QList<PrimalUse> uses)
{
    return {QLatin1String(name), share, quarter, std::move(uses)};
}

QStringList Words(std::initializer_list<const char*> words)
{
    QStringList list;
    for (const char* w : words)
        list << QLatin1String(w);
    return list;
}

QString Pounds(double pounds)
{
    return QLocale(QLocale::English, QLocale::UnitedStates)
        .toString(static_cast<qint64>(std::lround(pounds)));
}

} // namespace

QString UseWords(PrimalUse use)
{
    return QLatin1String(UseNames[static_cast<int>(use)]);
}

std::optional<PrimalUse> UseFromWords(const QString& words)
{
    for (const PrimalUse use : PrimalUses)
        if (words.trimmed().compare(UseWords(use), Qt::CaseInsensitive) == 0)
            return use;
    return std::nullopt;
}

QString PartWords(SheetPart part)
{
    return QLatin1String(PartNames[static_cast<int>(part)]);
}

std::optional<SheetPart> PartFromWords(const QString& words)
{
    for (int i = 0; i < int(std::size(PartNames)); ++i)
        if (words.trimmed().compare(QLatin1String(PartNames[i]), Qt::CaseInsensitive) == 0)
            return static_cast<SheetPart>(i);
    return std::nullopt;
}

double PartOf(SheetPart part, Quarter quarter)
{
    switch (part) {
    case SheetPart::Whole:
        return 1;
    case SheetPart::Half:
        return 0.5;
    case SheetPart::FrontQuarter:
        return quarter == Quarter::Front ? 0.5 : 0;
    case SheetPart::HindQuarter:
        return quarter == Quarter::Hind ? 0.5 : 0;
    case SheetPart::SplitSideQuarter:
        return 0.25;
    }
    return 0;
}

const Primal* CutMaster::primal(const QString& name) const
{
    for (const Primal& p : primals)
        if (p.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

CutMaster CutMaster::Sample(const QString& species)
{
    CutMaster m;
    m.species = species;
    const Quarter F = Quarter::Front, H = Quarter::Hind;
    if (species == QLatin1String("Pork")) {
        m.primals = {P("Shoulder", 0.24, F, {U::Roasts, U::Steaks, U::Ground, U::Smoked}),
                     P("Loin", 0.22, H, {U::Steaks, U::Roasts, U::Smoked}),
                     P("Belly", 0.14, H, {U::Cured, U::Smoked, U::Ground}),
                     P("Ham", 0.25, H, {U::Cured, U::Roasts, U::Steaks, U::Ground}),
                     P("Trim", 0.08, F, {U::Ground})};
        m.packages = Words({"1 lb", "2 lb"});
        m.leanness = Words({"sausage lean", "extra lean"});
        m.keeps = Words({"Liver", "Heart", "Fat", "Hocks"});
        m.onlyOne = Words({"Heart", "Liver"});
    } else if (species == QLatin1String("Deer")) {
        m.primals = {P("Neck", 0.08, F, {U::Ground, U::Roasts, U::Stew}),
                     P("Shoulder", 0.24, F, {U::Ground, U::Roasts, U::Stew}),
                     P("Ribs and Flank", 0.10, F, {U::Ground, U::Stew}),
                     P("Backstrap", 0.10, H, {U::Steaks, U::Roasts}),
                     P("Tenderloin", 0.02, H, {U::Steaks}),
                     P("Hindquarter", 0.40, H, {U::Steaks, U::Roasts, U::Ground, U::Stew})};
        m.packages = Words({"1 lb", "2 lb"});
        m.leanness = Words({"no fat added", "pork fat added", "beef fat added"});
        m.keeps = Words({"Heart", "Liver", "Cape", "Antlers"});
        m.onlyOne = Words({"Heart", "Liver", "Cape", "Antlers"});
    } else {
        m.primals = {P("Chuck", 0.26, F, {U::Roasts, U::Steaks, U::Ground, U::Stew}),
                     P("Rib", 0.09, F, {U::Steaks, U::Roasts}),
                     P("Brisket", 0.05, F, {U::Roasts, U::Ground}),
                     P("Plate", 0.08, F, {U::Ground, U::Stew}),
                     P("Shank", 0.04, F, {U::Ground, U::Stew}),
                     P("Short Loin", 0.08, H, {U::Steaks, U::Roasts}),
                     P("Sirloin", 0.08, H, {U::Steaks, U::Roasts, U::Ground}),
                     P("Flank", 0.05, H, {U::Ground, U::Steaks}),
                     P("Round", 0.22, H, {U::Roasts, U::Steaks, U::Ground, U::Stew})};
        m.packages = Words({"1 lb", "1.5 lb", "2 lb"});
        m.leanness = Words({"80/20", "85/15", "90/10"});
        m.keeps = Words({"Liver", "Heart", "Tongue", "Oxtail", "Soup bones", "Suet"});
        m.onlyOne = Words({"Heart", "Tongue", "Oxtail", "Liver"});
    }
    return m;
}

QString CutMaster::text() const
{
    QStringList lines;
    for (const Primal& p : primals) {
        QStringList uses;
        for (const PrimalUse use : p.uses)
            uses << UseWords(use);
        lines << QStringLiteral("primal %1|%2|%3|%4")
                     .arg(p.name, NumberText(p.share),
                          p.quarter == Quarter::Front ? QStringLiteral("front")
                                                      : QStringLiteral("hind"),
                          uses.join(QLatin1Char(' ')));
    }
    lines << QStringLiteral("packages ") + packages.join(QLatin1Char('|'));
    lines << QStringLiteral("lean ") + leanness.join(QLatin1Char('|'));
    lines << QStringLiteral("keeps ") + keeps.join(QLatin1Char('|'));
    lines << QStringLiteral("one ") + onlyOne.join(QLatin1Char('|'));
    return lines.join(QLatin1Char('\n'));
}

std::optional<CutMaster> CutMaster::fromText(const QString& species, const QString& text,
                                             QString* problem)
{
    CutMaster m;
    m.species = species;
    double shares = 0;
    for (const QString& raw : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype blank = line.indexOf(QLatin1Char(' '));
        const QString what = line.left(blank < 0 ? line.size() : blank);
        const QString rest = blank < 0 ? QString() : line.mid(blank + 1).trimmed();
        QStringList items;
        for (const QString& item : rest.split(QLatin1Char('|'), Qt::SkipEmptyParts))
            if (!item.trimmed().isEmpty())
                items << item.trimmed();
        const auto wrong = [&](const QString& why) {
            *problem = QStringLiteral("\"%1\": %2").arg(line, why);
            return std::nullopt;
        };
        if (what == QLatin1String("primal")) {
            if (items.size() != 4)
                return wrong(QStringLiteral("a primal is its name, share, quarter and uses, "
                                            "between bars"));
            Primal p;
            p.name = items[0];
            const std::optional<double> share = StrictNumber(items[1]);
            if (!share || *share <= 0 || *share > 1)
                return wrong(QStringLiteral("the share of the hanging weight is a number "
                                            "above 0 and at most 1"));
            p.share = *share;
            if (items[2] != QLatin1String("front") && items[2] != QLatin1String("hind"))
                return wrong(QStringLiteral("the quarter is front or hind"));
            p.quarter = items[2] == QLatin1String("front") ? Quarter::Front : Quarter::Hind;
            for (const QString& word : items[3].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                const std::optional<PrimalUse> use = UseFromWords(word);
                if (!use)
                    return wrong(QStringLiteral("\"%1\" is not steaks, roasts, ground, stew, "
                                                "cured or smoked")
                                     .arg(word));
                p.uses << *use;
            }
            if (p.uses.isEmpty())
                return wrong(QStringLiteral("a primal becomes something"));
            if (m.primal(p.name))
                return wrong(QStringLiteral("%1 is listed twice").arg(p.name));
            shares += p.share;
            m.primals << p;
        } else if (what == QLatin1String("packages")) {
            m.packages = items;
        } else if (what == QLatin1String("lean")) {
            m.leanness = items;
        } else if (what == QLatin1String("keeps")) {
            m.keeps = items;
        } else if (what == QLatin1String("one")) {
            m.onlyOne = items;
        } else {
            return wrong(QStringLiteral("a line is a primal, packages, lean, keeps or one"));
        }
    }
    if (m.primals.isEmpty()) {
        *problem = QStringLiteral("The %1 cut sheet has no primal.").arg(species.toLower());
        return std::nullopt;
    }
    if (shares > 1 + 1e-9) {
        *problem = QStringLiteral("The %1 primals share %2 of the hanging weight: more than "
                                  "all of it.")
                       .arg(species.toLower(), NumberText(shares));
        return std::nullopt;
    }
    return m;
}

CutMaster MasterOf(const ShopWideSettings& settings, const QString& species)
{
    QString problem;
    if (const auto kept = settings.cutSheets.constFind(species); kept != settings.cutSheets.cend())
        if (std::optional<CutMaster> master = CutMaster::fromText(species, *kept, &problem))
            return *master;
    return CutMaster::Sample(species);
}

QStringList Contradictions(const CutSheet& sheet, const CutMaster& master)
{
    QStringList told;
    QMap<QString, PrimalUse> chosen;
    for (const PrimalChoice& c : sheet.choices) {
        const Primal* p = master.primal(c.primal);
        if (!p) {
            told << QStringLiteral("A %1 has no %2.").arg(master.species.toLower(), c.primal);
            continue;
        }
        if (PartOf(sheet.part, p->quarter) <= 0) {
            told << QStringLiteral("%1 is not in a %2.").arg(p->name, PartWords(sheet.part));
            continue;
        }
        if (const auto before = chosen.constFind(p->name); before != chosen.constEnd()) {
            if (*before != c.use)
                told << QStringLiteral("%1 is both %2 and %3.")
                            .arg(p->name, UseWords(*before), UseWords(c.use));
            else
                told << QStringLiteral("%1 is chosen twice.").arg(p->name);
            continue;
        }
        chosen.insert(p->name, c.use);
        if (!p->uses.contains(c.use))
            told << QStringLiteral("%1 cannot be %2.").arg(p->name, UseWords(c.use));
        if (c.thickness < 0 || c.thickness > 4)
            told << QStringLiteral("%1: steaks %2 inches thick?")
                        .arg(p->name, NumberText(c.thickness));
        if (c.perPackage < 0 || c.perPackage > 12)
            told << QStringLiteral("%1: %2 to a package?").arg(p->name).arg(c.perPackage);
        if (c.roastPounds < 0 || c.roastPounds > 15)
            told << QStringLiteral("%1: roasts of %2 lb?").arg(p->name, NumberText(c.roastPounds));
    }
    if (!sheet.package.isEmpty() && !master.packages.contains(sheet.package))
        told << QStringLiteral("Ground meat is not packed in %1.").arg(sheet.package);
    if (!sheet.lean.isEmpty() && !master.leanness.contains(sheet.lean))
        told << QStringLiteral("Ground meat is not made %1.").arg(sheet.lean);
    for (const QString& keep : sheet.keeps)
        if (!master.keeps.contains(keep))
            told << QStringLiteral("The %1 cannot be kept.").arg(keep);
    return told;
}

PrimalChoice ChoiceFor(const CutSheet& sheet, const Primal& primal)
{
    for (const PrimalChoice& c : sheet.choices)
        if (c.primal.trimmed().compare(primal.name, Qt::CaseInsensitive) == 0)
            return c;
    return PrimalChoice{primal.name, primal.uses.value(0, PrimalUse::Ground)};
}

QStringList ChoiceLines(const CutSheet& sheet, const CutMaster& master)
{
    QStringList lines;
    for (const Primal& p : master.primals) {
        if (PartOf(sheet.part, p.quarter) <= 0)
            continue;
        const PrimalChoice c = ChoiceFor(sheet, p);
        QStringList words{UseWords(c.use)};
        if (c.use == PrimalUse::Steaks && c.thickness > 0)
            words << QStringLiteral("%1 in thick").arg(NumberText(c.thickness));
        if ((c.use == PrimalUse::Steaks || c.use == PrimalUse::Smoked ||
             c.use == PrimalUse::Cured) &&
            c.perPackage > 0)
            words << QStringLiteral("%1 to a package").arg(c.perPackage);
        if (c.use == PrimalUse::Roasts && c.roastPounds > 0)
            words << QStringLiteral("%1 lb").arg(NumberText(c.roastPounds));
        if (c.boneless && c.use != PrimalUse::Ground && c.use != PrimalUse::Stew)
            words << QStringLiteral("boneless");
        lines << QStringLiteral("%1: %2").arg(p.name, words.join(QStringLiteral(", ")));
    }
    const QString usual = QStringLiteral("the shop's usual");
    lines << QStringLiteral("Ground: %1 packages, %2")
                 .arg(sheet.package.isEmpty() ? usual : sheet.package,
                      sheet.lean.isEmpty() ? usual : sheet.lean);
    lines << QStringLiteral("Keep: %1")
                 .arg(sheet.keeps.isEmpty() ? QStringLiteral("nothing")
                                            : sheet.keeps.join(QStringLiteral(", ")));
    return lines;
}

QString ChangeWords(const CutSheet& before, const CutSheet& after, const CutMaster& master)
{
    QStringList was = ChoiceLines(before, master), is = ChoiceLines(after, master);
    if (before.part != after.part)
        return QStringLiteral("%1 → %2").arg(PartWords(before.part), PartWords(after.part));
    QStringList changed;
    for (int i = 0; i < std::min(was.size(), is.size()); ++i)
        if (was[i] != is[i])
            changed << QStringLiteral("%1 → %2").arg(was[i], is[i]);
    return changed.join(QStringLiteral("; "));
}

QStringList AnimalContradictions(const QList<CutSheet>& sheets, const CutMaster& master)
{
    QStringList told;
    for (const QString& keep : master.onlyOne) {
        int keeping = 0;
        for (const CutSheet& sheet : sheets)
            keeping += sheet.keeps.contains(keep) ? 1 : 0;
        if (keeping > 1)
            told << QStringLiteral("%1 buyers keep the %2; the animal has one.")
                        .arg(keeping)
                        .arg(keep);
    }
    for (const Quarter quarter : {Quarter::Front, Quarter::Hind}) {
        double held = 0;
        for (const CutSheet& sheet : sheets)
            held += PartOf(sheet.part, quarter);
        if (held > 1 + 1e-9)
            told << QStringLiteral("The buyers hold more of the %1 quarters than the animal has.")
                        .arg(quarter == Quarter::Front ? QStringLiteral("front")
                                                       : QStringLiteral("hind"));
    }
    return told;
}

double Yields::of(PrimalUse use, bool boned) const
{
    const QMap<PrimalUse, double>& by = boned ? boneless : boneIn;
    return by.value(use, boneIn.value(use, 0));
}

Yields Yields::Published(const QString& species)
{
    Yields y;
    if (species == QLatin1String("Pork")) {
        // A hog's carcass: about 70–75 % comes home, its hams and bellies
        // cured with the skin and bone.
        y.boneIn = {{U::Steaks, 0.78}, {U::Roasts, 0.80}, {U::Ground, 0.72},
                    {U::Stew, 0.72},   {U::Cured, 0.82},  {U::Smoked, 0.80}};
        y.boneless = {{U::Steaks, 0.66}, {U::Roasts, 0.68}, {U::Cured, 0.70}, {U::Smoked, 0.68}};
    } else if (species == QLatin1String("Deer")) {
        // A skinned deer carcass: about 65–75 % of it as boneless meat.
        y.boneIn = {{U::Steaks, 0.78}, {U::Roasts, 0.78}, {U::Ground, 0.68}, {U::Stew, 0.68}};
        y.boneless = {{U::Steaks, 0.72}, {U::Roasts, 0.72}};
    } else {
        // A beef carcass: about 60–65 % of the hanging weight bone-in, less
        // boneless and where trim goes to ground.
        y.boneIn = {{U::Steaks, 0.68}, {U::Roasts, 0.68}, {U::Ground, 0.60}, {U::Stew, 0.60}};
        y.boneless = {{U::Steaks, 0.58}, {U::Roasts, 0.58}};
    }
    return y;
}

QString Yields::adoptedText() const
{
    return QStringLiteral("measured %1 %2 %3")
        .arg(NumberText(measured), NumberText(low), NumberText(high));
}

Yields YieldsOf(const ShopWideSettings& settings, const QString& species)
{
    Yields y = Yields::Published(species);
    const QStringList words =
        settings.yields.value(species).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() != 4 || words[0] != QLatin1String("measured"))
        return y;
    const auto measured = StrictNumber(words[1]), low = StrictNumber(words[2]),
               high = StrictNumber(words[3]);
    // A middle a carcass can give, and ends around it.
    if (!measured || !low || !high || !(*measured > 0.5 && *measured < 1.5) ||
        !(*low > 0.5 && *low <= 1) || !(*high >= 1 && *high < 1.5))
        return y;
    y.measured = *measured;
    y.low = *low;
    y.high = *high;
    return y;
}

QString TakeHome::words() const
{
    return QStringLiteral("about %1–%2 lb of meat, in about %3 packages")
        .arg(Pounds(low), Pounds(high))
        .arg(packages);
}

std::optional<TakeHome> LikelyTakeHome(double hangingLow, double hangingHigh, const CutSheet& sheet,
                                       const CutMaster& master, const Yields& yields)
{
    if (!(hangingLow > 0) || !(hangingHigh >= hangingLow))
        return std::nullopt;
    // Pounds of meat a pound of hanging weight gives, over the primals the
    // sheet holds; and how much of it is ground (packed by its own weight).
    double meat = 0, ground = 0;
    for (const Primal& p : master.primals) {
        const double held = p.share * PartOf(sheet.part, p.quarter);
        if (held <= 0)
            continue;
        const PrimalChoice choice = ChoiceFor(sheet, p);
        const double pounds = held * yields.of(choice.use, choice.boneless);
        meat += pounds;
        if (choice.use == PrimalUse::Ground)
            ground += pounds;
    }
    // The yields are a middle: a carcass gives a few in the hundred more or less.
    meat *= yields.measured;
    ground *= yields.measured;
    TakeHome home;
    home.low = Round15(hangingLow * meat * yields.low);
    home.high = Round15(hangingHigh * meat * yields.high);
    const double middle = (hangingLow + hangingHigh) / 2;
    const double groundPackage =
        LeadingNumber(sheet.package) > 0 ? LeadingNumber(sheet.package) : yields.groundPackage;
    home.packages = static_cast<int>(std::lround(middle * (meat - ground) / yields.cutPackage +
                                                 middle * ground / groundPackage));
    return home;
}
