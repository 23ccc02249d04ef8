// The estimate as a value and its figuring, without any screen or file:
// prices in memory, a recording view for the clerk's message boxes, a clock
// set by hand. What the Estimate screen itself does (its controls, message
// boxes, marks and focus) is tested in test_estimate_screen.

#include "core/numbers.h"
#include "estimate/animal_shares.h"
#include "estimate/estimate.h"
#include "estimate/worksheet_figuring.h"
#include "pricelist/item_names.h"
#include "pricelist/price_items.h"
#include "support/counter_screen.h"
#include "support/memory_prices.h"

#include <QTest>
#include <cmath>
#include <memory>

namespace {

class RecordingView : public EstimateView {
public:
    QStringList said;
    QList<ServiceId> worksheets;
    QList<bool> answers; // to the questions, in turn; No when none is left
    int questions = 0;
    QStringList asked; // each question as "title: text"

    void tell(const QString& text) override { said << text; }
    void warn(const QString& text) override { said << text; }
    bool askYesNo(const QString& text, const QString& title) override
    {
        ++questions;
        asked << title + QStringLiteral(": ") + text;
        return !answers.isEmpty() && answers.takeFirst();
    }
    void showWorksheet(ServiceId service) override { worksheets << service; }
    void showCureProducts() override {}
};

// An estimate over the sample prices in memory (or, without the list, the
// built-in prices after the start-up notice).
struct Counter {
    MemoryPrices prices;
    TestClock clock;
    RecordingView view;
    Estimate estimate{prices, clock};

    explicit Counter(bool withList = true)
    {
        if (!withList)
            prices.opens = PriceSource::OpenResult::FileMissing;
        clock.at = QDateTime(QDate(2026, 11, 2), QTime(9, 30));
        estimate.setView(&view);
        estimate.startUp();
        view.said.clear();
    }
    const ServiceRow& row(ServiceId id) const { return estimate.row(id); }
    QString charge(ServiceId id) const { return row(id).charge.text; }
    QString weight(ServiceId id) const { return row(id).weight.text; }
    void write(ServiceId id, const char* weight, const char* charge, SheetEntries entries = {})
    {
        QVERIFY(estimate.applySheet(estimate.identity(), id,
                                    {QLatin1String(weight), QLatin1String(charge), entries}));
    }
    // Saved as the keeper saves it, and opened again on this counter.
    EstimateValue saveAndReopen()
    {
        const EstimateValue kept = estimate.keptForSaving(clock.now());
        estimate.markSaved(kept);
        const auto read = EstimateValue::fromRecord(kept.toRecord());
        estimate.replace(*read);
        return *read;
    }
};

// Estimates of every kind the counter makes, each on a counter of its own.
struct Kind {
    const char* name;
    bool withList;
    void (*make)(Counter&);
};

const Kind Kinds[] = {
    {"beef with every beef service", true,
     [](Counter& c) {
         Estimate& e = c.estimate;
         e.chooseSpecies(Species::Beef);
         e.setLiveWeight(QStringLiteral("1000"));
         e.expand();
         for (const ServiceId id :
              {ServiceId::Tenderising, ServiceId::MinuteSteaks, ServiceId::PaperWrapp,
               ServiceId::BeefCuring, ServiceId::ExtraBoning, ServiceId::BeefSausage,
               ServiceId::FajitaStrips, ServiceId::Slicing})
             e.clickService(id, true);
         c.view.answers = {true}; // top round only
         e.chooseCureProducts({false, true, false, true, false});
         c.write(ServiceId::ExtraBoning, "20", "3.4", {{0, 6}, {}, {}});
         c.write(ServiceId::BeefSausage, "25", "61.25",
                 {{},
                  {{1, QStringLiteral("Summer"), QStringLiteral("20"), QStringLiteral("10.0")}},
                  QStringLiteral("0")});
         c.write(ServiceId::FajitaStrips, "76", "95", {{0, 1}, {}, {}});
         c.write(ServiceId::Slicing, "35", "52.5");
         e.setLiveWeight(QStringLiteral("1000.7")); // the worksheet rows go stale
         e.setKillCharge(QStringLiteral("20"));
         e.setServiceWeight(ServiceId::ExtraBoning, QStringLiteral("21 lb"));
         e.setServiceCharge(ServiceId::MinuteSteaks, QStringLiteral("9.99 \u00e9"));
     }},
    {"beef without the price list, a service refused", false,
     [](Counter& c) {
         c.estimate.chooseSpecies(Species::Beef);
         c.estimate.setLiveWeight(QStringLiteral("800"));
         c.estimate.expand();
         c.estimate.clickService(ServiceId::Slicing, true);
         c.estimate.clickService(ServiceId::Tenderising, true);
         c.estimate.clickService(ServiceId::PaperWrapp, true);
         c.estimate.clickService(ServiceId::PaperWrapp, false);
     }},
    {"pork with every pork service", true,
     [](Counter& c) {
         Estimate& e = c.estimate;
         e.chooseSpecies(Species::Pork);
         e.setLiveWeight(QStringLiteral("251"));
         e.expand();
         for (const ServiceId id :
              {ServiceId::Cooling, ServiceId::PorkCuring, ServiceId::PorkSausage,
               ServiceId::Cutlets, ServiceId::Quartering})
             e.clickService(id, true);
         c.write(ServiceId::PorkCuring, "46", "19.32", {{0, 1}, {}, {}});
         c.write(ServiceId::PorkSausage, "25", "5");
         e.setHangingWeight(QStringLiteral("170.123456789012"));
         c.write(ServiceId::Cutlets, "12.5", "2.5");
     }},
    {"deer", true,
     [](Counter& c) {
         c.estimate.chooseSpecies(Species::Deer);
         c.estimate.setLiveWeight(QStringLiteral("120"));
     }},
};

// Answers a worksheet's questions: Yes, and a price of 2 at the price prompt.
class YesDialogs : public SheetDialogs {
public:
    QStringList said;
    void tell(const QString& text) override { said << text; }
    void warn(const QString& text) override { said << text; }
    bool askCritical(const QString&, const QString&) override { return true; }
    std::optional<QString> askText(const QString&, const QString&) override
    {
        return QStringLiteral("2");
    }
};

// The figures of an estimate that are not current, by what they are.
QStringList notCurrent(const Estimate& e)
{
    QStringList found;
    const EstimateValue& v = e.value();
    const std::pair<const char*, const Figure*> figures[] = {
        {"hanging", &v.hanging},
        {"processing", &v.processing},
        {"kill", &v.kill},
        {"total", &v.total},
    };
    for (const auto& [name, f] : figures)
        if (!f->isCurrent())
            found << QLatin1String(name);
    for (const ServiceInfo& s : Services())
        if (e.counts(s.id) && !e.row(s.id).charge.isCurrent())
            found << QLatin1String(s.caption);
    return found;
}

const QString Notice = QStringLiteral(
    "This Program Was designed to be used by Tallowbrook Processing. Some Prices may not be "
    "current after 1/1/2015.");
const QString Refused = QStringLiteral("Cannot Use Sausage Program From Here");
const QString QuarteringNotice =
    QStringLiteral(" There Is No Additional Charge For Quartering Same As Processing");
const QString TooManyBriskets =
    QStringLiteral("There Are only 2 Briskets On A Beef Please select only 2 Brisket Options");

// The total as the clerk would add it up: kill, processing and the charge of
// every service that counts, each read for its leading number (to the
// fifteen digits that the total keeps).
bool totalAddsUp(const Estimate& e)
{
    double sum = LeadingNumber(e.killCharge()) + LeadingNumber(e.processingCharge());
    for (const ServiceInfo& s : Services())
        if (e.counts(s.id))
            sum += LeadingNumber(e.row(s.id).charge.text);
    return std::fabs(LeadingNumber(e.total()) - sum) < 1e-6 + 1e-13 * std::fabs(sum);
}

// A service by its caption ("Minute Steaks", "pork Curing").
ServiceId serviceNamed(const QString& caption)
{
    for (const ServiceInfo& s : Services())
        if (ServiceCaption(s) == caption)
            return s.id;
    qFatal("no service %s", qPrintable(caption));
}

// Beef cure products by their places in the list ("0,3").
EstimateRules::CureSelection cureProducts(const QString& places)
{
    EstimateRules::CureSelection selected{};
    for (const QString& place : places.split(QLatin1Char(','), Qt::SkipEmptyParts))
        selected[place.toInt()] = true;
    return selected;
}

// A counter for a worked example: "none" for no price list, else the sample
// prices with some changed ("Processing=0.4") or taken away ("Cooling=").
std::unique_ptr<Counter> counterWith(const QString& prices)
{
    auto c = std::make_unique<Counter>(prices != QLatin1String("none"));
    if (prices == QLatin1String("none"))
        return c;
    for (const QString& price : prices.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString item = price.section(QLatin1Char('='), 0, 0);
        const QString cost = price.section(QLatin1Char('='), 1);
        if (cost.isEmpty())
            c->prices.remove(item);
        else
            c->prices.set(item, cost.toDouble());
    }
    return c;
}

// One of the clerk's moves as a worked example writes it: "Beef", "live 1000",
// "hanging 300", "kill 3", "processing 12abc", "expand", "tick Minute Steaks",
// "untick Paper Wrapp", "charge Tenderising=six", "weight Tenderising=1",
// "sheet Slicing=17.05/25.575" (its worksheet writes the row), "cure 0,3",
// "answer yes" (to the next question), "flag off".
void play(Counter& c, const QString& move)
{
    Estimate& e = c.estimate;
    const QString verb = move.section(QLatin1Char(' '), 0, 0);
    const QString rest = move.section(QLatin1Char(' '), 1);
    const QString service = rest.section(QLatin1Char('='), 0, 0);
    const QString value = rest.section(QLatin1Char('='), 1);
    if (verb == QLatin1String("Beef"))
        e.chooseSpecies(Species::Beef);
    else if (verb == QLatin1String("Pork"))
        e.chooseSpecies(Species::Pork);
    else if (verb == QLatin1String("Deer"))
        e.chooseSpecies(Species::Deer);
    else if (verb == QLatin1String("live"))
        e.setLiveWeight(rest);
    else if (verb == QLatin1String("hanging"))
        e.setHangingWeight(rest);
    else if (verb == QLatin1String("kill"))
        e.setKillCharge(rest);
    else if (verb == QLatin1String("processing"))
        e.setProcessingCharge(rest);
    else if (verb == QLatin1String("expand"))
        e.expand();
    else if (verb == QLatin1String("tick") || verb == QLatin1String("untick"))
        e.clickService(serviceNamed(rest), verb == QLatin1String("tick"));
    else if (verb == QLatin1String("charge"))
        e.setServiceCharge(serviceNamed(service), value);
    else if (verb == QLatin1String("weight"))
        e.setServiceWeight(serviceNamed(service), value);
    else if (verb == QLatin1String("sheet"))
        QVERIFY(e.applySheet(
            e.identity(), serviceNamed(service),
            {value.section(QLatin1Char('/'), 0, 0), value.section(QLatin1Char('/'), 1), {}}));
    else if (verb == QLatin1String("cure"))
        e.chooseCureProducts(cureProducts(rest));
    else if (verb == QLatin1String("answer"))
        c.view.answers << (rest == QLatin1String("yes"));
    else if (verb == QLatin1String("flag"))
        e.setPriceListFlag(rest == QLatin1String("on"));
    else
        QFAIL(qPrintable(QStringLiteral("no such move: ") + move));
}

// What the estimate shows of the figure that `expected` names, written as it
// is: "processing 185", "Tenderising 34.3 6.86" (a service's weight and
// charge), followed by " (not figured)" when it is not current; "live 1000",
// "caption Field Dressed", "hint About 1/2 Of Live Weight", "cure 1,3".
QString shown(const Estimate& e, const QString& expected)
{
    const auto mark = [](bool current) {
        return current ? QString() : QStringLiteral(" (not figured)");
    };
    const auto figure = [&](const Figure& f) {
        return f.text + mark(f.isCurrent());
    };
    const EstimateValue& v = e.value();
    QStringList cure;
    for (int i = 0; i < EstimateRules::CureProductCount; ++i)
        if (v.cure[i])
            cure << QString::number(i);
    QList<std::pair<QString, QString>> all = {{"hanging", figure(v.hanging)},
                                              {"processing", figure(v.processing)},
                                              {"kill", figure(v.kill)},
                                              {"total", figure(v.total)},
                                              {"live", v.live},
                                              {"caption", v.shown.weightCaption},
                                              {"hint", v.shown.speciesHint},
                                              {"cure", cure.join(QLatin1Char(','))}};
    for (const ServiceInfo& s : Services()) {
        const ServiceRow& r = v.row(s.id);
        all.append({ServiceCaption(s), r.weight.text + QLatin1Char(' ') + r.charge.text +
                                           mark(r.weight.isCurrent() && r.charge.isCurrent())});
    }
    for (const auto& [name, text] : all)
        if (expected.startsWith(name + QLatin1Char(' ')))
            return name + QLatin1Char(' ') + text;
    return QStringLiteral("(no figure of that name)");
}

// One worked example: its moves and its figures each written as one text,
// with ", " between them (see play and shown).
void example(const QString& name, const QString& prices, const QString& moves,
             const QString& figures, const QStringList& told = {})
{
    const QString between = QStringLiteral(", ");
    QTest::newRow(qPrintable(name))
        << prices << moves.split(between) << figures.split(between) << told;
}

} // namespace

class TestEstimate : public QObject {
    Q_OBJECT

private slots:
    // A beef of 1000 lb without the price list: processing 0.37 a pound of the
    // hanging weight, kill 17.00, tenderising at 0.2 a pound of 6.86 % of the
    // hanging weight, and the paper wrap carried by the processing charge.
    void beefWithoutThePriceList()
    {
        Counter c(false);
        QCOMPARE(c.estimate.priceListFlag(), false);
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        QCOMPARE(c.estimate.killCharge(), QStringLiteral("17.00"));
        QCOMPARE(c.estimate.hangingWeight(), QStringLiteral("500"));
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("185"));
        QCOMPARE(c.estimate.total(), QStringLiteral("202"));
        c.estimate.expand();
        c.estimate.clickService(ServiceId::Tenderising, true);
        QCOMPARE(c.weight(ServiceId::Tenderising), QStringLiteral("34.3"));
        QCOMPARE(c.charge(ServiceId::Tenderising), QStringLiteral("6.86"));
        QCOMPARE(c.estimate.total(), QStringLiteral("208.86"));
        c.estimate.clickService(ServiceId::PaperWrapp, true);
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("235"));
        QCOMPARE(c.weight(ServiceId::PaperWrapp), QStringLiteral("235"));
        QCOMPARE(c.charge(ServiceId::PaperWrapp), QStringLiteral("0"));
        QCOMPARE(c.estimate.total(), QStringLiteral("258.86"));
        // Unticking the paper wrap goes back to the ordinary processing price.
        c.estimate.clickService(ServiceId::PaperWrapp, false);
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("185"));
        QCOMPARE(c.estimate.total(), QStringLiteral("208.86"));
        QVERIFY(c.view.said.isEmpty());
        QVERIFY(notCurrent(c.estimate).isEmpty());
        QCOMPARE(c.prices.lookups, 0); // the built-in prices: nothing asked of a price list
    }

    // Choosing a species figures the estimate for it from the weight already
    // typed: no figure of the species before stays.
    void theSpeciesChosenFiguresTheEstimateAtOnce()
    {
        Counter c;
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("250"));
        c.estimate.chooseSpecies(Species::Pork);
        QCOMPARE(c.estimate.hangingWeight(), QStringLiteral("165"));
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("61.05"));
        QCOMPARE(c.estimate.speciesHint(), QStringLiteral("About 2/3 Of Live Weight"));
        QCOMPARE(c.estimate.total(), QStringLiteral("78.05"));

        c.estimate.chooseSpecies(Species::Deer);
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("85")); // the flat deer charge
        QCOMPARE(c.estimate.killCharge(), QStringLiteral("0"));
        QCOMPARE(c.estimate.total(), QStringLiteral("85"));
        c.estimate.setLiveWeight(QStringLiteral("150"));
        QCOMPARE(c.estimate.hangingWeight(), QStringLiteral("99"));
        QCOMPARE(c.estimate.total(), QStringLiteral("85"));

        c.prices.set(PriceItem::BeefKill, 13.5);
        c.estimate.chooseSpecies(Species::Beef); // not the deer's 85 as processing
        QCOMPARE(c.estimate.hangingWeight(), QStringLiteral("75"));
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("27.75"));
        QCOMPARE(c.estimate.total(), QStringLiteral("41.25"));
        QVERIFY(notCurrent(c.estimate).isEmpty());
        QVERIFY(c.view.said.isEmpty());
    }

    // A price taken away at another counter: the figure that needed it is
    // marked as not figured (its text kept, the reason told), the total as
    // incomplete; both are figured at the first action once it is back.
    void aFigureThatCannotBeFiguredIsNeverShownAsCurrent()
    {
        Counter c;
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        c.estimate.expand();
        c.estimate.clickService(ServiceId::Tenderising, true);
        QVERIFY(notCurrent(c.estimate).isEmpty());

        c.prices.remove(PriceItem::Processing).remove(PriceItem::MinuteSteaks);
        for (const char* typed : {"1", "10", "100"})
            c.estimate.setLiveWeight(QLatin1String(typed));
        QCOMPARE(c.estimate.hangingWeight(), QStringLiteral("50"));
        QCOMPARE(notCurrent(c.estimate),
                 (QStringList{QStringLiteral("processing"), QStringLiteral("total"),
                              QStringLiteral("Tenderising")}));
        QVERIFY(c.estimate.value().processing.why.contains(PriceItem::Processing));
        QVERIFY(c.estimate.value().total.why.startsWith(QLatin1String("Incomplete")));
        QCOMPARE(c.view.said.size(), 2); // each missing price once, not at every key
        const QStringList problems = c.estimate.problems();
        QVERIFY2(problems.size() == 2 && problems[0].contains(QLatin1String("Processing Charge")) &&
                     problems[1].contains(QLatin1String("Tenderising charge")),
                 qPrintable(problems.join(QLatin1Char('\n'))));

        // Back: figured again at the next action, whatever it is, and not told.
        c.prices.set(PriceItem::Processing, 0.37).set(PriceItem::MinuteSteaks, 0.2);
        c.view.said.clear();
        c.estimate.expand();
        QVERIFY(notCurrent(c.estimate).isEmpty());
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("18.5"));
        QCOMPARE(c.charge(ServiceId::Tenderising), QStringLiteral("0.69"));
        QCOMPARE(c.estimate.total(), QStringLiteral("36.19"));
        QVERIFY(c.estimate.problems().isEmpty());
        QVERIFY(c.view.said.isEmpty());
    }

    // A charge typed that is not a number leaves the total incomplete, and
    // the estimate says what to mend.
    void aChargeThatIsNotANumberMakesTheTotalIncomplete()
    {
        Counter c;
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        c.estimate.setKillCharge(QStringLiteral("2O"));
        QVERIFY(!c.estimate.value().total.isCurrent());
        QVERIFY(c.estimate.value().total.why.contains(QLatin1String("\"2O\"")));
        QCOMPARE(c.estimate.problems(),
                 QStringList{QStringLiteral("Mend the Kill Charge: \"2O\" is not a number.")});
        c.estimate.setKillCharge(QStringLiteral("20"));
        QVERIFY(c.estimate.value().total.isCurrent());
        QCOMPARE(c.estimate.total(), QStringLiteral("205"));
        QVERIFY(c.estimate.problems().isEmpty());
    }

    // Prices kept on a server that cannot be reached, or whose address or
    // database cannot be used: the built-in prices never stand in; nothing is
    // figured until it is mended, then everything.
    void aServerShopNeverQuotesBuiltInPrices_data()
    {
        QTest::addColumn<bool>("outOfReach");
        QTest::newRow("out of reach") << true;
        QTest::newRow("address not usable") << false;
    }
    void aServerShopNeverQuotesBuiltInPrices()
    {
        QFETCH(bool, outOfReach);
        MemoryPrices prices;
        prices.server = true;
        prices.outOfReach = outOfReach;
        if (!outOfReach)
            prices.opens = PriceSource::OpenResult::Unusable;
        TestClock clock;
        RecordingView view;
        Estimate e(prices, clock);
        e.setView(&view);
        e.startUp();
        QVERIFY(e.priceListFlag());
        QCOMPARE(view.said.size(), 1);
        QVERIFY(view.said[0].contains(QLatin1String("built-in prices are not used")));
        QVERIFY(view.said[0].contains(prices.openProblem()));
        e.chooseSpecies(Species::Beef);
        e.setLiveWeight(QStringLiteral("1000"));
        QVERIFY(e.killCharge() != QLatin1String("17.00"));
        QCOMPARE(notCurrent(e), (QStringList{QStringLiteral("processing"), QStringLiteral("kill"),
                                             QStringLiteral("total")}));
        QCOMPARE(view.said.size(), 2); // the server told once for the action
        // Ticking the flag again keeps it ticked: no built-in prices.
        e.setPriceListFlag(true);
        QVERIFY(e.priceListFlag());

        prices.outOfReach = false;
        prices.opens = PriceSource::OpenResult::Opened;
        e.setLiveWeight(QStringLiteral("1000"));
        QVERIFY(notCurrent(e).isEmpty());
        QCOMPARE(e.killCharge(), QStringLiteral("17"));
        QCOMPARE(e.total(), QStringLiteral("202"));
    }

    // A click refused for want of the price list leaves the service out of
    // every figuring until a click on it is accepted.
    void aRefusedServiceIsNeverFigured()
    {
        Counter c;
        c.estimate.chooseSpecies(Species::Pork);
        c.estimate.setLiveWeight(QStringLiteral("250"));
        c.estimate.expand();
        c.estimate.setPriceListFlag(false);
        c.estimate.clickService(ServiceId::Cooling, true);
        QCOMPARE(c.view.said, QStringList{QStringLiteral("Cannot Use Sausage Program From Here")});
        const QString total = c.estimate.total();
        c.view.said.clear();
        c.estimate.setLiveWeight(QStringLiteral("300"));
        QCOMPARE(c.charge(ServiceId::Cooling), QStringLiteral("0"));
        QVERIFY(c.view.said.isEmpty());
        QVERIFY(c.estimate.total() != total); // processing followed the weight
        QCOMPARE(c.estimate.total(), NumberText(LeadingNumber(c.estimate.processingCharge()) + 17));
        // Accepted once the flag is ticked again: figured from then on.
        c.estimate.setPriceListFlag(true);
        c.estimate.clickService(ServiceId::Cooling, false);
        c.estimate.clickService(ServiceId::Cooling, true);
        QCOMPARE(c.weight(ServiceId::Cooling), c.estimate.hangingWeight());
        QVERIFY(LeadingNumber(c.charge(ServiceId::Cooling)) > 0);
    }

    // The flag switches the prices of a weight typed before any species is
    // chosen too: the processing charge is never left at the other prices.
    void theFlagRefiguresAnEstimateWithoutSpecies()
    {
        Counter c;
        c.prices.set(PriceItem::Processing, 0.3725);
        c.estimate.setPriceListFlag(false);
        c.estimate.setLiveWeight(QStringLiteral("150"));
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("27.75")); // 75 lb at 0.37
        c.estimate.setPriceListFlag(true);
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("27.9375"));
        c.estimate.setPriceListFlag(false);
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("27.75"));
    }

    // A worksheet's row remembers the hanging weight it was figured for, and
    // takes nothing from a worksheet opened for an estimate no longer here.
    void worksheetRowsBelongToTheirEstimate()
    {
        Counter c;
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        c.estimate.expand();
        c.estimate.clickService(ServiceId::FajitaStrips, true);
        c.estimate.clickService(ServiceId::ExtraBoning, true);
        QCOMPARE(c.view.worksheets,
                 (QList<ServiceId>{ServiceId::FajitaStrips, ServiceId::ExtraBoning}));
        c.write(ServiceId::FajitaStrips, "76", "95");
        c.write(ServiceId::ExtraBoning, "20", "3.4");
        QCOMPARE(c.estimate.total(), QStringLiteral("300.4"));
        QVERIFY(!c.estimate.isStale(ServiceId::FajitaStrips));
        c.estimate.setLiveWeight(QStringLiteral("12"));
        QVERIFY(c.estimate.isStale(ServiceId::FajitaStrips));
        QVERIFY(!c.estimate.isStale(ServiceId::ExtraBoning)); // figured from cuts, not weight
        QCOMPARE(c.estimate.value().staleServices(), QList<ServiceId>{ServiceId::FajitaStrips});
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        QVERIFY(!c.estimate.isStale(ServiceId::FajitaStrips));
        c.estimate.setLiveWeight(QStringLiteral("12"));
        c.estimate.clickService(ServiceId::FajitaStrips, false);
        QVERIFY(!c.estimate.isStale(ServiceId::FajitaStrips));

        const quint64 before = c.estimate.identity();
        c.estimate.clear();
        QVERIFY(!c.estimate.applySheet(before, ServiceId::ExtraBoning,
                                       {QStringLiteral("30"), QStringLiteral("5.1"), {}}));
        QCOMPARE(c.weight(ServiceId::ExtraBoning), QStringLiteral("0"));
        const EstimateValue other = Counter().estimate.value();
        const quint64 cleared = c.estimate.identity();
        c.estimate.replace(other);
        QVERIFY(!c.estimate.applySheet(cleared, ServiceId::ExtraBoning,
                                       {QStringLiteral("30"), QStringLiteral("5.1"), {}}));
        QCOMPARE(c.estimate.value().row(ServiceId::ExtraBoning), ServiceRow());
    }

    // Every item that the figuring asks the price list for is among the names
    // the price list guards (an item the program looks up cannot be renamed or
    // removed without a word).
    void everyItemAskedForIsGuarded()
    {
        MemoryPrices asked(false);
        for (const Kind& kind : Kinds) {
            Counter c(kind.withList);
            kind.make(c);
            asked.asked += c.prices.asked;
        }
        Counter c;
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        YesDialogs yes;
        for (const auto kind : {CutRules::CutScreenKind::Jerky, CutRules::CutScreenKind::Fajita}) {
            CutFiguring cuts(c.estimate, kind, yes);
            cuts.select({true});
            QVERIFY(cuts.apply());
        }
        for (const ServiceId id :
             {ServiceId::PorkCuring, ServiceId::PorkSausage, ServiceId::Cutlets}) {
            CuringFiguring curing(c.estimate, id, yes);
            curing.select({true});
            QVERIFY(curing.apply());
        }
        BoningFiguring boning(c.estimate, yes);
        boning.clickCut(0, true);
        QVERIFY(boning.done());
        SausageFiguring sausage(c.estimate, yes);
        QList<SausageRules::Entry> entries;
        for (const SausageRules::Kind& kind : SausageRules::Kinds)
            if (kind.enabled)
                entries << SausageRules::Entry{kind.row, QLatin1String(kind.entryName),
                                               QStringLiteral("10"), QStringLiteral("5")};
        QVERIFY(sausage.figure(entries, QStringLiteral("0")));
        QVERIFY2(yes.said.isEmpty(), qPrintable(yes.said.join(QLatin1Char('\n'))));
        asked.asked += c.prices.asked;
        // A beef in shares: a split side's surcharge and a kill fee per share.
        AnimalValue beef;
        beef.live = QStringLiteral("1000");
        beef.killFee = KillFeeSplit::PerShare;
        beef.shares = {AnimalShare{}, AnimalShare{}};
        beef.shares[0].part = SharePart{PartKind::SplitSideQuarter, 0};
        AnimalShares(c.prices, c.clock, true).figure(beef);
        asked.asked += c.prices.asked;

        const QStringList guarded = ItemNames::lookedUpNames();
        QCOMPARE(asked.asked.size(), guarded.size()); // every one of them is asked for
        for (const QString& item : std::as_const(asked.asked))
            QVERIFY2(guarded.contains(item), qPrintable(item));
    }

    // Three brisket products are refused; what stays selected is figured again.
    void briskets()
    {
        Counter c(false);
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        c.estimate.expand();
        c.estimate.clickService(ServiceId::BeefCuring, true);
        c.estimate.chooseCureProducts({true, true, false, false, false});
        QCOMPARE(c.weight(ServiceId::BeefCuring), QStringLiteral("15"));
        QCOMPARE(c.charge(ServiceId::BeefCuring), QStringLiteral("6.3"));
        c.estimate.chooseCureProducts({true, true, true, false, true});
        QCOMPARE(c.view.said.size(), 1);
        QCOMPARE(c.estimate.value().cure,
                 (EstimateRules::CureSelection{false, true, false, false, false}));
        QCOMPARE(c.weight(ServiceId::BeefCuring), QStringLiteral("7.5"));
        QCOMPARE(c.charge(ServiceId::BeefCuring), QStringLiteral("3.15"));
        // The corned round's question is asked once while it stays selected.
        c.view.answers = {false};
        c.estimate.chooseCureProducts({true, true, false, true, false});
        c.estimate.chooseCureProducts({false, true, false, true, false});
        QCOMPARE(c.view.questions, 1);
        QCOMPARE(c.weight(ServiceId::BeefCuring), QStringLiteral("40.5"));
        // A new hanging weight refigures the products without asking again.
        c.estimate.setLiveWeight(QStringLiteral("2000"));
        QCOMPARE(c.weight(ServiceId::BeefCuring), QStringLiteral("81"));
        QCOMPARE(c.view.questions, 1);
    }

    // A saved estimate keeps the prices it was figured with: opened and
    // edited (the carcass weighed), it is figured at them, every figure alike;
    // "use today's prices" figures the whole of it at today's at once.
    void aSavedEstimateKeepsItsPrices()
    {
        Counter c;
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        c.estimate.expand();
        c.estimate.clickService(ServiceId::Tenderising, true);
        c.estimate.clickService(ServiceId::ExtraBoning, true);
        c.write(ServiceId::ExtraBoning, "20", "3.4", {{0, 6}, {}, {}});
        const EstimateValue before = c.estimate.value();
        const EstimateValue kept = c.estimate.keptForSaving(c.clock.now());
        QCOMPARE(c.estimate.value(), before); // nothing changes until it is saved
        QCOMPARE(kept.basis, PriceBasis::Kept);
        QCOMPARE(kept.rates.value(PriceItem::Cooling), 0.05); // a price it may need later
        QCOMPARE(kept.savedAt, c.clock.now());
        c.estimate.markSaved(kept);
        QVERIFY(!c.estimate.hasUnsavedChanges());

        // Every price goes up; the estimate is opened again, the carcass weighed.
        for (const char* item : {"BeefKill", "Processing", "MinuteSteaks", "ExtraBoning"})
            c.prices.set(QLatin1String(item), 9);
        c.estimate.replace(*EstimateValue::fromRecord(kept.toRecord()));
        c.estimate.setHangingWeight(QStringLiteral("520"));
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("192.4"));
        QCOMPARE(c.charge(ServiceId::Tenderising), QStringLiteral("7.13"));
        QCOMPARE(c.estimate.killCharge(), QStringLiteral("17"));
        c.estimate.clickService(ServiceId::Tenderising, false);
        c.estimate.clickService(ServiceId::MinuteSteaks, true); // added at the final bill
        QCOMPARE(c.charge(ServiceId::MinuteSteaks), QStringLiteral("6.24"));
        QCOMPARE(c.estimate.total(), QStringLiteral("219.04"));

        c.estimate.useTodaysPrices();
        QCOMPARE(c.estimate.value().basis, PriceBasis::Today);
        QCOMPARE(c.estimate.value().ratesFrom, c.clock.today());
        QCOMPARE(c.estimate.killCharge(), QStringLiteral("9"));
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("4680"));
        QCOMPARE(c.charge(ServiceId::MinuteSteaks), QStringLiteral("280.8"));
        QCOMPARE(c.charge(ServiceId::ExtraBoning), QStringLiteral("180")); // 20 lb at 9
        QVERIFY(notCurrent(c.estimate).isEmpty());
    }

    // Today's prices for a sausage row are figured from its products again;
    // a row without them says to open its worksheet.
    void todaysPricesForWorksheetRows()
    {
        Counter c;
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        c.estimate.expand();
        c.estimate.clickService(ServiceId::BeefSausage, true);
        c.estimate.clickService(ServiceId::Slicing, true);
        SheetEntries sausage;
        sausage.sausage = {
            {1, QStringLiteral("Summer"), QStringLiteral("20"), QStringLiteral("10.0")}};
        sausage.startingCharge = QStringLiteral("1");
        c.write(ServiceId::BeefSausage, "30", "88", sausage);
        c.write(ServiceId::Slicing, "35", "52.5");
        c.saveAndReopen();
        c.prices.set(PriceItem::Summer, 3).set(PriceItem::PorkTrim, 2).set(PriceItem::Slicing, 2);
        c.estimate.useTodaysPrices();
        QCOMPARE(c.charge(ServiceId::BeefSausage), QStringLiteral("111")); // 1 + 30 * 3 + 10 * 2
        QCOMPARE(c.charge(ServiceId::Slicing), QStringLiteral("70"));

        c.estimate.setServiceCharge(ServiceId::Slicing, QStringLiteral("50")); // the clerk's own
        SheetEntries none;
        c.write(ServiceId::BeefSausage, "30", "88", none);
        c.prices.set(PriceItem::Slicing, 4);
        c.estimate.useTodaysPrices();
        QCOMPARE(c.charge(ServiceId::Slicing), QStringLiteral("50"));
        QVERIFY(!c.row(ServiceId::BeefSausage).charge.isCurrent());
        QVERIFY(c.row(ServiceId::BeefSausage).charge.why.contains(QLatin1String("worksheet")));
    }

    // The record of an estimate gives back the same value exactly, without a
    // lookup, on a counter without any price list; the next edit then figures
    // it as the first would have been figured.
    void recordsComeBackExactly()
    {
        for (const Kind& kind : Kinds) {
            Counter a(kind.withList);
            kind.make(a);
            const QString record = a.estimate.value().toRecord();
            const std::optional<EstimateValue> read = EstimateValue::fromRecord(record);
            QVERIFY2(read, kind.name);
            QCOMPARE(*read, a.estimate.value());
            QCOMPARE(read->toRecord(), record);

            Counter bare(false);
            bare.estimate.replace(*read);
            QCOMPARE(bare.prices.lookups, 0);
            QVERIFY(bare.view.said.isEmpty() && bare.view.questions == 0);
            QVERIFY(!bare.estimate.hasUnsavedChanges());

            Counter b(kind.withList);
            b.estimate.replace(*read);
            a.estimate.replace(*read); // both at the rates kept with it
            for (Counter* c : {&a, &b}) {
                c->estimate.setLiveWeight(QStringLiteral("900"));
                c->estimate.chooseCureProducts(c->estimate.value().cure);
            }
            QCOMPARE(b.estimate.value(), a.estimate.value());
            if (QTest::currentTestFailed())
                qWarning("in the estimate of %s", kind.name);
        }
    }

    // A record of the first program (every figure as text, no rates) is read
    // as current figures, at the rates that its figures show.
    void firstRecordsAreRead()
    {
        const QString first = QStringLiteral(
            R"({"kind":"locker-estimate","version":1,"species":"Beef","weightFactor":0.5,)"
            R"("expanded":true,"weightCaption":"Live Weight","speciesHint":"About 1/2 Of Live Weight",)"
            R"("live":"1000","hanging":"500","processing":"200","processingRate":"0.4","kill":"17",)"
            R"("total":"223.86","porkNoteShown":false,"services":{%1},)"
            R"("cure":{"shown":false,"selected":[false,false,false,false,false],)"
            R"("topRoundAsked":false,"topRoundOnly":false}})");
        QStringList rows;
        for (const char* key : {"tenderising", "minuteSteaks", "extraBoning", "beefCuring",
                                "beefSausage", "paperWrapp", "fajitaStrips", "slicing",
                                "porkCuring", "porkSausage", "cutlets", "cooling", "quartering"}) {
            const bool tender = QLatin1String(key) == QLatin1String("tenderising");
            rows << QStringLiteral(R"("%1":{"ticked":%2,"accepted":%2,"boxShown":true,)"
                                   R"("fieldsShown":%2,"weight":"%3","charge":"%4","rate":"%5",)"
                                   R"("figuredFor":null})")
                        .arg(QLatin1String(key), tender ? "true" : "false", tender ? "34.3" : "0",
                             tender ? "6.86" : "0", tender ? "0.2" : "");
        }
        const auto read = EstimateValue::fromRecord(first.arg(rows.join(QLatin1Char(','))));
        QVERIFY(read);
        QCOMPARE(read->total.text, QStringLiteral("223.86"));
        QVERIFY(read->total.isCurrent() && read->row(ServiceId::Tenderising).charge.isCurrent());
        QVERIFY(read->shown.expanded && read->shown.boxShown[0]);
        QCOMPARE(read->rates.value(PriceItem::Processing), 0.4);
        QCOMPARE(read->rates.value(PriceItem::MinuteSteaks), 0.2);
        Counter c;
        c.estimate.replace(*read);
        c.estimate.setLiveWeight(QStringLiteral("1100"));
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("220")); // at its own 0.4
    }

    // Text that is not a whole record of an estimate is refused.
    void onlyWholeRecordsAreTaken()
    {
        Counter c;
        Kinds[2].make(c);
        const QString good = c.estimate.value().toRecord();
        const auto refused = [&](const QString& record) {
            QVERIFY2(!EstimateValue::fromRecord(record), qPrintable(record));
        };
        for (int n = 0; n < good.size(); n += 7)
            refused(good.left(n));
        for (const char* garbage : {"{}", "[]", "null", "Pork 251 lb", "{\"version\":2}"})
            refused(QLatin1String(garbage));
        refused(good + QLatin1Char('}'));
        const QList<QPair<const char*, const char*>> edits = {
            {"\"version\":3", "\"version\":4"},
            {"\"version\":3", "\"version\":\"3\""},
            {"\"kind\":\"locker-estimate\"", "\"kind\":\"other\""},
            {"\"species\":\"Pork\"", "\"species\":\"Goat\""},
            {"\"weightFactor\":0.66", "\"weightFactor\":0"},
            {"\"weightFactor\":0.66", "\"weightFactor\":1e300"},
            {"\"live\":\"251\"", "\"live\":251"},
            {"\"cooling\":", "\"cool\":"},
            {"\"figuredFor\":null", "\"figuredFor\":\"170\""},
            {"[false,false,false,false,false]", "[false,false,false,false]"},
            {"\"ticked\":true", "\"ticked\":1"},
            {"\"basis\":\"today\"", "\"basis\":\"yesterday\""},
            {"\"chosen\":[0,1]", "\"chosen\":[0,\"1\"]"},
        };
        for (const auto& [from, to] : edits) {
            QVERIFY2(good.contains(QLatin1String(from)), from);
            refused(QString(good).replace(QLatin1String(from), QLatin1String(to)));
        }
        QVERIFY(EstimateValue::fromRecord(good));
    }

    // The next customer starts from the start-up state; changes since the
    // last save, opening or clearing are known (what is only shown is not a
    // change).
    void clearingAndUnsavedChanges()
    {
        for (const Kind& kind : Kinds) {
            const bool withList = kind.withList;
            Counter fresh(withList), c(withList);
            QVERIFY(!fresh.estimate.hasUnsavedChanges());
            kind.make(c);
            QVERIFY(c.estimate.hasUnsavedChanges());
            const EstimateValue kept = c.estimate.keptForSaving(c.clock.now());
            c.estimate.markSaved(kept);
            QVERIFY(!c.estimate.hasUnsavedChanges());
            c.estimate.setLiveWeight(QStringLiteral("1200"));
            QVERIFY(c.estimate.hasUnsavedChanges());

            c.estimate.clear();
            QCOMPARE(c.estimate.value(), fresh.estimate.value());
            QCOMPARE(c.estimate.priceListFlag(), withList);
            QVERIFY(!c.estimate.hasUnsavedChanges());
            c.estimate.expand();
            QVERIFY(!c.estimate.hasUnsavedChanges());
            fresh.estimate.expand();
            c.estimate.chooseSpecies(Species::Pork); // figured as on a fresh counter
            fresh.estimate.chooseSpecies(Species::Pork);
            c.estimate.setLiveWeight(QStringLiteral("300"));
            fresh.estimate.setLiveWeight(QStringLiteral("300"));
            QCOMPARE(c.estimate.value(), fresh.estimate.value());

            c.estimate.replace(kept);
            QVERIFY(!c.estimate.hasUnsavedChanges());
            c.estimate.clickService(ServiceId::Tenderising, false);
            QVERIFY(c.estimate.hasUnsavedChanges());
        }
    }

    // How the price list opens at start-up: the flag, what the clerk is told,
    // and whose kill charge a beef of 1000 lb gets.
    void startingUp_data()
    {
        QTest::addColumn<int>("opens");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("kill");
        using O = PriceSource::OpenResult;
        QTest::newRow("opened") << int(O::Opened) << true << QString() << "17";
        QTest::newRow("no price list") << int(O::FileMissing) << false << Notice << "17.00";
        QTest::newRow("not a price list")
            << int(O::Unusable) << false << "There is no price list in memory."
            << "17.00";
    }
    void startingUp()
    {
        QFETCH(int, opens);
        QFETCH(bool, flag);
        QFETCH(QString, told);
        QFETCH(QString, kill);
        MemoryPrices prices;
        prices.opens = PriceSource::OpenResult(opens);
        TestClock clock;
        RecordingView view;
        Estimate e(prices, clock);
        e.setView(&view);
        e.startUp();
        QCOMPARE(e.priceListFlag(), flag);
        const QStringList said = told.isEmpty() ? QStringList() : QStringList{told};
        QCOMPARE(view.said, said);
        e.chooseSpecies(Species::Beef);
        e.setLiveWeight(QStringLiteral("1000"));
        QCOMPARE(e.killCharge(), kill);
        QCOMPARE(e.total(), QStringLiteral("202"));
        QCOMPARE(view.said, said);
    }

    // Worked examples: the prices, the clerk's moves, the figures shown and
    // what the clerk is told (each text in turn, once each). After every move
    // the total adds up, and no question is asked without an answer ready.
    void workedExamples_data()
    {
        QTest::addColumn<QString>("prices");
        QTest::addColumn<QStringList>("moves");
        QTest::addColumn<QStringList>("figures");
        QTest::addColumn<QStringList>("told");
        const QString sample;

        // The top band: species, weights, kill and processing.
        example("beef at the list's processing price", "Processing=0.4", "Beef, live 1000",
                "kill 17, hanging 500, processing 200, total 217");
        example(
            "pork after beef at the list's prices", "Processing=0.4;PorkKill=20.5",
            "Beef, live 1000, Pork",
            "hint About 2/3 Of Live Weight, kill 20.5, hanging 660, processing 264, total 284.5");
        example("pork after beef at the built-in prices", "none", "Beef, live 1000, Pork",
                "kill 17, hanging 660, processing 244.2, total 261.2");
        example("pork at the built-in prices", "none", "Pork, live 251",
                "hanging 165.66, processing 61.2942, total 78.2942");
        example("deer at the list's flat charge", "Deer=95", "Beef, live 200, Deer",
                "caption Field Dressed, hint About 1/2 Of Live Weight, processing 95, kill 0, "
                "total 95");
        example("the flat deer charge whatever the weight", "Deer=95",
                "Beef, live 200, Deer, live 150", "hanging 99, processing 95, total 95");
        example("deer without the price list", "none", "Beef, live 1000, Deer",
                "hanging 660, processing 244.2, kill 0, total 244.2",
                {"The deer charge needs the price list"});
        example("deer with the flag unticked: the built-in price a pound", sample,
                "flag off, Deer, live 150", "hanging 99, processing 36.63, kill 0, total 36.63");
        example("before any species: half the weight, no kill charge", sample, "live 300",
                "hanging 150, kill 0, total 55.5");
        example("an empty live weight counts as 0", sample, "Beef, live 1000, live ",
                "live , hanging 0, processing 0, total 17");
        example("ticking the flag figures the estimate at the list's prices", "BeefKill=25",
                "Beef, live 1000, flag off, flag on", "kill 25, processing 185, total 210");
        example("a cleared hanging weight stops the figuring from the live weight", sample,
                "Beef, live 1000, hanging , live 600", "hanging , processing 185, total 202");
        example("a hanging weight typed is figured from", sample,
                "Beef, live 1000, hanging , live 600, hanging 300", "processing 111, total 128");
        example("the live weight figures a typed hanging weight again", sample,
                "Beef, live 1000, hanging 300, live 700", "hanging 350, processing 129.5");
        example("a hanging weight that is not a weight figures nothing", sample,
                "Beef, live 700, hanging x, hanging x3, hanging x30",
                "hanging x30, processing 129.5 (not figured), total 146.5 (not figured)");
        example("missing kill and processing prices: told once, the text kept",
                "BeefKill=;Processing=", "kill 3, Beef, live 1, live 10, live 100, live 1000",
                "kill 3 (not figured), hanging 500, processing 0 (not figured)",
                {"\"BeefKill\" is not in the price list", "\"Processing\""});

        // A live weight that cannot be used, typed key by key: each key
        // figures while the text is a usable weight, the last usable one stays
        // figured and nothing is told. Set at once (pasted), it leaves the
        // figures as they were.
        const struct {
            const char* name;
            QString typed;
            const char* figures;
        } weights[] = {
            {"letters", QStringLiteral("abc"), "hanging 500 (not figured), total 202"},
            {"negative", QStringLiteral("-5"), "hanging 500 (not figured), total 202"},
            {"above 100,000 pounds", QStringLiteral("100001"),
             "hanging 5000 (not figured), total 1867"},
            {"beyond a double", QString(400, QLatin1Char('9')),
             "hanging 49999.5 (not figured), total 18516.815"},
            {"thousands separator", QStringLiteral("1,000"),
             "hanging 0.5 (not figured), total 17.185"},
        };
        for (const auto& [name, typed, figures] : weights) {
            QString keys = QStringLiteral("Beef, live 1000");
            for (int n = 1; n <= typed.size(); ++n)
                keys += QStringLiteral(", live ") + typed.left(n);
            example(QStringLiteral("a live weight of %1, typed").arg(QLatin1String(name)), sample,
                    keys, QLatin1String(figures));
            example(QStringLiteral("a live weight of %1, pasted").arg(QLatin1String(name)), sample,
                    QStringLiteral("Beef, live 1000, live ") + typed,
                    "hanging 500 (not figured), processing 185, total 202");
        }
        example("a usable live weight after one that is not", sample,
                "Beef, live 1000, live abc, live 200", "hanging 100, total 54");

        // The services.
        example("tenderising and minute steaks at the list's price", "MinuteSteaks=0.35",
                "Beef, live 1000, tick Minute Steaks, tick Tenderising",
                "Minute Steaks 30 10.5, Tenderising 34.3 12, total 224.5");
        example("the services follow the live weight, the paper wrap price kept", sample,
                "Beef, live 1000, tick Tenderising, tick Minute Steaks, tick Paper Wrapp, live 800",
                "hanging 400, Tenderising 27.44 5.49, Minute Steaks 24 4.8, processing 188, "
                "Paper Wrapp 188 0, total 215.29");
        example("unticking figures the row again, then zeroes its charge", "none",
                "Beef, live 1000, tick Tenderising, weight Tenderising=1, untick Tenderising",
                "Tenderising 34.3 0, total 202");
        example("cooling follows the hanging weight", sample,
                "Pork, live 100, tick pork Cooling, live 200", "pork Cooling 132 6.6");
        example("pork charges are not rounded; quartering only tells", "Cooling=0.0125",
                "Pork, live 251, tick pork Cooling, tick pork Quartering, untick pork Quartering",
                "hanging 165.66, pork Cooling 165.66 2.07075, pork Quartering 0 0, "
                "total 80.36495",
                {QuarteringNotice, QuarteringNotice});
        example("a worksheet's charge is written as figured", sample,
                "Beef, live 1000, tick Slicing, sheet Slicing=17.05/25.575",
                "Slicing 17.05 25.575, total 227.575");
        example("the next click rounds it to the even cent", sample,
                "Beef, live 1000, tick Slicing, sheet Slicing=17.05/25.575, tick Tenderising",
                "Slicing 17.05 25.58, Tenderising 34.3 6.86, total 234.44");
        // A charge typed counts at once as typed, and is rounded at the next click.
        const std::pair<const char*, const char*> cents[] = {
            {"0.185", "0.18"}, {"0.195", "0.2"},   {"12.355", "12.36"},
            {"7", "7"},        {"400.005", "400"}, {"98765432.125", "98765432.12"}};
        for (const auto& [typed, rounded] : cents)
            example(QStringLiteral("a beef charge of %1, rounded").arg(QLatin1String(typed)),
                    sample,
                    QStringLiteral("Beef, live 1000, tick Tenderising, charge Tenderising=%1, "
                                   "tick Minute Steaks")
                        .arg(QLatin1String(typed)),
                    QStringLiteral("Tenderising 34.3 ") + QLatin1String(rounded));
        example("the running sum of the beef charges is kept at 15 digits", sample,
                "Beef, live 1000, tick Tenderising, tick Minute Steaks, tick ExtraBoning, "
                "tick Curing, charge Tenderising=714533768827.8, "
                "charge Minute Steaks=349992251495.604, charge ExtraBoning=309544715995, "
                "charge Curing=793183946365.284",
                "total 2167254682885.68");
        example("a missing service price is named, once while typing", "MinuteSteaks=;Cooling=",
                "Beef, live 1000, tick Tenderising, Pork, live 1, live 10, live 100, "
                "tick pork Cooling",
                "Tenderising 0 0 (not figured), pork Cooling 0 0 (not figured)",
                {"\"MinuteSteaks\"", "\"MinuteSteaks\"", "\"Cooling\""});
        example("a service needs a hanging weight that is a number", sample,
                "Beef, live 1000, tick Tenderising, hanging heavy, tick Minute Steaks",
                "processing 185 (not figured), Tenderising 34.3 6.86 (not figured), "
                "Minute Steaks 0 0 (not figured)",
                {"hanging weight"});
        example("a charge that is not a number stops the rounding", sample,
                "Beef, live 1000, tick Tenderising, charge Tenderising=six, tick Minute Steaks",
                "Tenderising 34.3 six, Minute Steaks 30 6, total 208 (not figured)",
                {"The Tenderising charge \"six\" is not a number"});
        example("a charge of blanks counts as 0 and is not rounded", sample,
                "Beef, live 1000, tick Tenderising, charge Tenderising=  , tick Minute Steaks",
                "Tenderising 34.3   , total 208");
        example("the charges that count make the total, whatever the clerk does", sample,
                "Beef, live 1000, tick Tenderising, live 1234, tick Paper Wrapp, live 900, "
                "tick Curing, cure 1, Pork, kill 30, processing 12abc, untick Tenderising, "
                "untick Paper Wrapp, tick Minute Steaks, flag off, tick Sausage, "
                "untick Minute Steaks",
                "hanging 594, kill 30, processing 219.78, Curing 8.91 3.74, "
                "Minute Steaks 35.64 0, total 253.52",
                {Refused});

        // The beef cure products.
        example("cure products at the list's curing price", "Curing=0.5",
                "Beef, live 1000, tick Curing, cure 4", "Curing 7.5 3.75");
        example("cure products follow the hanging weight, the top round answered once", sample,
                "Beef, live 1000, tick Curing, cure 0, answer yes, cure 0,3, live 800",
                "Curing 19.2 8.06");
        example("a third brisket is refused; what stays is figured", "none",
                "Beef, live 1000, tick Curing, cure 1, answer no, cure 1,3, cure 0,1,3, "
                "cure 0,1,2,3, cure 0,1,2,3,4",
                "cure 1,3, Curing 40.5 17.01", {TooManyBriskets});
    }
    void workedExamples()
    {
        QFETCH(QString, prices);
        QFETCH(QStringList, moves);
        QFETCH(QStringList, figures);
        QFETCH(QStringList, told);
        const std::unique_ptr<Counter> c = counterWith(prices);
        int answers = 0;
        for (const QString& move : std::as_const(moves)) {
            answers += move.startsWith(QLatin1String("answer ")) ? 1 : 0;
            play(*c, move);
            QVERIFY2(totalAddsUp(c->estimate), qPrintable(QStringLiteral("after ") + move));
            QVERIFY2(c->view.questions <= answers, qPrintable(QStringLiteral("asked at ") + move));
        }
        QCOMPARE(c->view.questions, answers);
        for (const QString& figure : std::as_const(figures))
            QCOMPARE(shown(c->estimate, figure), figure);
        QVERIFY2(c->view.said.size() == told.size(),
                 qPrintable(c->view.said.join(QLatin1Char('\n'))));
        for (int i = 0; i < told.size(); ++i)
            QVERIFY2(c->view.said[i].contains(told[i]), qPrintable(c->view.said[i]));
    }

    // "Click To Add Other Charges" shows the boxes of the chosen species'
    // column (the pork note with the pork); a later species shows no others.
    void expandingShowsTheChosenSpeciesColumn_data()
    {
        QTest::addColumn<int>("species");
        QTest::newRow("no species") << int(Species::None);
        QTest::newRow("deer") << int(Species::Deer);
        QTest::newRow("beef") << int(Species::Beef);
        QTest::newRow("pork") << int(Species::Pork);
    }
    void expandingShowsTheChosenSpeciesColumn()
    {
        QFETCH(int, species);
        const Species chosen = Species(species);
        Counter c;
        if (chosen != Species::None)
            c.estimate.chooseSpecies(chosen);
        c.estimate.expand();
        QVERIFY(c.estimate.expanded());
        const QList<ServiceId> pork = {ServiceId::PorkCuring, ServiceId::PorkSausage,
                                       ServiceId::Cutlets, ServiceId::Cooling,
                                       ServiceId::Quartering};
        const EstimateShown shown = c.estimate.value().shown;
        for (const ServiceInfo& s : Services()) {
            const bool ofSpecies =
                pork.contains(s.id) ? chosen == Species::Pork : chosen == Species::Beef;
            QVERIFY2(shown.boxShown[int(s.id)] == ofSpecies, qPrintable(ServiceCaption(s)));
            QVERIFY(!shown.fieldsShown[int(s.id)]);
        }
        QCOMPARE(shown.porkNoteShown, chosen == Species::Pork);
        for (const Species later : {Species::Deer, Species::Beef, Species::Pork}) {
            c.estimate.chooseSpecies(later);
            QCOMPARE(c.estimate.value().shown.boxShown, shown.boxShown);
            QCOMPARE(c.estimate.value().shown.porkNoteShown, shown.porkNoteShown);
        }
    }

    // Without the price list, a click on a service that needs it is refused
    // (told each time); its box stays as the click left it, its fields stay
    // hidden, and it counts for nothing. The others are figured.
    void withoutThePriceListSomeServicesAreRefused()
    {
        const QList<ServiceId> refused = {ServiceId::BeefSausage, ServiceId::FajitaStrips,
                                          ServiceId::Slicing,     ServiceId::PorkCuring,
                                          ServiceId::PorkSausage, ServiceId::Cutlets,
                                          ServiceId::Cooling,     ServiceId::Quartering};
        for (const ServiceInfo& s : Services()) {
            Counter c(false);
            c.estimate.chooseSpecies(s.column == Column::Beef ? Species::Beef : Species::Pork);
            c.estimate.setLiveWeight(QStringLiteral("1000"));
            c.estimate.expand();
            c.estimate.clickService(s.id, true);
            const bool isRefused = refused.contains(s.id);
            QVERIFY2(c.view.said.contains(Refused) == isRefused, s.caption);
            QVERIFY(c.row(s.id).ticked);
            QCOMPARE(c.estimate.counts(s.id), !isRefused);
            QCOMPARE(c.estimate.value().shown.fieldsShown[int(s.id)], !isRefused);
            QVERIFY(totalAddsUp(c.estimate));
            if (isRefused) {
                c.estimate.clickService(s.id, false);
                QCOMPARE(c.view.said, (QStringList{Refused, Refused}));
            }
        }
    }

    // The beef cure products: pounds of the hanging weight by product, at the
    // curing price; the corned round asks once while it stays selected whether
    // only the top round is corned.
    void cureProductsWorkedExample()
    {
        Counter c(false);
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        c.estimate.expand();
        c.estimate.clickService(ServiceId::BeefCuring, true);
        QVERIFY(c.estimate.value().shown.cureProductsShown);
        const auto choose = [&](const char* places, const char* pounds, const char* charge) {
            c.estimate.chooseCureProducts(cureProducts(QLatin1String(places)));
            QCOMPARE(c.weight(ServiceId::BeefCuring), QLatin1String(pounds));
            QCOMPARE(c.charge(ServiceId::BeefCuring), QLatin1String(charge));
            QVERIFY(totalAddsUp(c.estimate));
        };
        choose("0,1", "15", "6.3");
        QCOMPARE(c.estimate.total(), QStringLiteral("208.3"));
        c.view.answers = {false};
        choose("0,1,3", "48", "20.16");
        QCOMPARE(c.view.asked, QStringList{QStringLiteral(
                                   "CORNED BEEF BRISKET: Are we Making Top Round Only Corned?")});
        QCOMPARE(c.estimate.total(), QStringLiteral("222.16"));
        choose("0,3", "40.5", "17.01");
        choose("0", "7.5", "3.15");
        QCOMPARE(c.view.questions, 1);
        c.view.answers = {true}; // selected again: asked again; the top round only
        choose("0,3", "24", "10.08");
        QCOMPARE(c.view.questions, 2);
        choose("", "0", "0");
        QVERIFY(c.view.said.isEmpty());
    }

    // A ticked worksheet service is charged for what its worksheet was given,
    // never an unfigured 0. The click that unticks it (to change the pounds)
    // opens the worksheet as every click does; figured then, its entries
    // stay with the row, and ticked again it is charged for them.
    void aTickedWorksheetServiceIsNeverAnUnfiguredZero()
    {
        Counter c;
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        c.estimate.expand();
        const auto summer = [](const char* deer, const char* pork) {
            return QList<SausageRules::Entry>{
                {1, QStringLiteral("Summer"), QLatin1String(deer), QLatin1String(pork)}};
        };
        YesDialogs yes;
        c.estimate.clickService(ServiceId::BeefSausage, true);
        // Ticked and not figured yet: marked, and in the way of a save.
        QVERIFY(!c.row(ServiceId::BeefSausage).charge.isCurrent());
        QVERIFY(!c.estimate.value().total.isCurrent());
        QVERIFY(c.estimate.problems().join(' ').contains(QLatin1String("Sausage")));
        QVERIFY(SausageFiguring(c.estimate, yes).figure(summer("20", "10.0"), "0"));
        QCOMPARE(c.weight(ServiceId::BeefSausage), QStringLiteral("30"));
        QCOMPARE(c.charge(ServiceId::BeefSausage), QStringLiteral("87")); // 75 + 12 of pork
        QVERIFY(c.estimate.problems().isEmpty());

        // The click to change the pounds unticks it and opens the worksheet.
        c.view.worksheets.clear();
        c.estimate.clickService(ServiceId::BeefSausage, false);
        QCOMPARE(c.view.worksheets, QList<ServiceId>{ServiceId::BeefSausage});
        QCOMPARE(c.charge(ServiceId::BeefSausage), QStringLiteral("0")); // not counted
        QVERIFY(SausageFiguring(c.estimate, yes).figure(summer("22", "11.0"), "0"));
        QCOMPARE(c.weight(ServiceId::BeefSausage), QStringLiteral("33"));
        // Ticked again, the worksheet closed unfigured: charged for its 33 lb.
        c.estimate.clickService(ServiceId::BeefSausage, true);
        QCOMPARE(c.charge(ServiceId::BeefSausage), QStringLiteral("95.7")); // 82.5 + 13.2
        QVERIFY(c.row(ServiceId::BeefSausage).charge.isCurrent());
        QCOMPARE(c.estimate.total(), QStringLiteral("297.7")); // 17 + 185 + 95.7

        // A row put back as it was before the click that opened a worksheet.
        const ServiceRow before = c.row(ServiceId::Slicing);
        c.estimate.clickService(ServiceId::Slicing, true);
        QVERIFY(!c.estimate.problems().isEmpty());
        c.estimate.restoreRow(ServiceId::Slicing, before);
        QVERIFY(c.estimate.problems().isEmpty());
        // Pounds typed with no charge figured for them: marked, not charged as 0.
        c.estimate.clickService(ServiceId::FajitaStrips, true);
        c.estimate.setServiceWeight(ServiceId::FajitaStrips, QStringLiteral("12"));
        c.estimate.refigureAll();
        QVERIFY(c.row(ServiceId::FajitaStrips).charge.why.contains(QLatin1String("12 lb")));
    }

    // On a final bill, the hanging weight typed as weighed stays when the live
    // weight is typed again, and the clerk is told so; on a quote, the live
    // weight figures the hanging weight, as the screen always did.
    void aFinalBillKeepsItsWeighedHangingWeight()
    {
        Counter c;
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1200"));
        c.estimate.setHangingWeight(QStringLiteral("850"));
        c.estimate.setLiveWeight(QStringLiteral("1300"));
        QCOMPARE(c.estimate.hangingWeight(), QStringLiteral("650")); // a quote: the rule
        c.estimate.setHangingWeight(QStringLiteral("850"));
        c.estimate.setFinalBill(true);
        c.view.said.clear();
        for (const char* typed : {"1", "12", "120", "1200"})
            c.estimate.setLiveWeight(QLatin1String(typed));
        QCOMPARE(c.estimate.hangingWeight(), QStringLiteral("850"));
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("314.5"));
        QCOMPARE(c.view.said.size(), 1); // told once for the typing
        QVERIFY(c.view.said[0].contains(QLatin1String("850 lb")));
    }

    // Every row that a worksheet figured from the hanging weight is stale
    // while the hanging weight differs (its figures kept as written), and
    // current again once written for the weight shown; rows figured from
    // cuts or products, or no longer ticked, never are.
    void worksheetRowsGoStaleWithTheHangingWeight()
    {
        Counter c;
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        c.estimate.clickService(ServiceId::BeefCuring, true);
        c.estimate.chooseCureProducts({true, false, false, false, false});
        QList<ServiceId> sheets;
        for (const ServiceInfo& s : Services())
            if (s.figuring == Figuring::Worksheet) {
                sheets << s.id;
                c.estimate.clickService(s.id, true);
                c.write(s.id, "15", "18.75");
            }
        QVERIFY(c.estimate.value().staleServices().isEmpty());
        c.estimate.setLiveWeight(QStringLiteral("12"));
        const QList<ServiceId> stale = {ServiceId::FajitaStrips, ServiceId::Slicing,
                                        ServiceId::PorkCuring, ServiceId::PorkSausage,
                                        ServiceId::Cutlets};
        QCOMPARE(c.estimate.value().staleServices(), stale);
        for (const ServiceId id : std::as_const(sheets)) {
            QCOMPARE(c.charge(id), QStringLiteral("18.75"));
            QVERIFY(c.row(id).charge.isCurrent());
        }
        QCOMPARE(c.weight(ServiceId::BeefCuring), QStringLiteral("0.09")); // figured again

        for (const ServiceId id : std::as_const(sheets))
            c.write(id, "0.18", "0.23");
        QVERIFY(c.estimate.value().staleServices().isEmpty());
        c.estimate.setLiveWeight(QStringLiteral("800"));
        QCOMPARE(c.estimate.value().staleServices(), stale);
        c.estimate.clickService(ServiceId::Cutlets, false);
        QVERIFY(!c.estimate.isStale(ServiceId::Cutlets));
    }
};

QTEST_GUILESS_MAIN(TestEstimate)
#include "test_estimate.moc"
