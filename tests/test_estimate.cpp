// The estimate as data: its figuring, without any screen. A real price list
// file in a temporary folder gives the prices; a recording view stands in for
// the clerk's message boxes.

#include "core/numbers.h"
#include "estimate/estimate.h"
#include "pricelist/price_items.h"
#include "pricelist/price_list.h"
#include "support/test_price_list.h"

#include <QFile>
#include <QTest>

namespace {

class RecordingView : public EstimateView {
public:
    QStringList said;
    QList<ServiceId> worksheets;
    QList<bool> answers; // to the questions, in turn; No when none is left
    int questions = 0;

    void tell(const QString& text) override { said << text; }
    void warn(const QString& text) override { said << text; }
    bool askYesNo(const QString&, const QString&) override
    {
        ++questions;
        return !answers.isEmpty() && answers.takeFirst();
    }
    void showWorksheet(ServiceId service) override { worksheets << service; }
    void showCureProducts() override {}
};

// An estimate over a price list file (the sample one unless told otherwise).
struct Counter {
    TestPriceList file;
    PriceList prices{file.path()};
    RecordingView view;
    Estimate estimate{prices, view};

    explicit Counter(bool withFile = true)
    {
        if (withFile)
            file.withSample();
        estimate.startUp();
        view.said.clear();
    }
    QString charge(ServiceId id) const { return estimate.row(id).charge; }
    QString weight(ServiceId id) const { return estimate.row(id).weight; }
};

// Everything of the two estimates that the clerk sees or the figuring reads.
void compareEstimates(const Estimate& a, const Estimate& b)
{
    QCOMPARE(int(a.species()), int(b.species()));
    QCOMPARE(a.expanded(), b.expanded());
    const QStringList textsA = {
        a.weightCaption(),    a.speciesHint(),    a.liveWeight(), a.hangingWeight(),
        a.processingCharge(), a.processingRate(), a.killCharge(), a.total()};
    const QStringList textsB = {
        b.weightCaption(),    b.speciesHint(),    b.liveWeight(), b.hangingWeight(),
        b.processingCharge(), b.processingRate(), b.killCharge(), b.total()};
    QCOMPARE(textsA, textsB);
    QCOMPARE(a.porkNoteShown(), b.porkNoteShown());
    QCOMPARE(a.cureProductsShown(), b.cureProductsShown());
    QCOMPARE(a.cureProducts(), b.cureProducts());
    QCOMPARE(a.topRoundOnly(), b.topRoundOnly());
    for (const ServiceInfo& s : Services()) {
        const ServiceRow &x = a.row(s.id), &y = b.row(s.id);
        QCOMPARE((QList<bool>{x.ticked, x.accepted, x.boxShown, x.fieldsShown}),
                 (QList<bool>{y.ticked, y.accepted, y.boxShown, y.fieldsShown}));
        QCOMPARE((QStringList{x.weight, x.charge, x.rate}),
                 (QStringList{y.weight, y.charge, y.rate}));
        QCOMPARE(x.figuredFor, y.figuredFor);
        QCOMPARE(a.isStale(s.id), b.isStale(s.id));
    }
}

// Estimates of every kind the counter makes, each on a counter of its own.
struct Kind {
    const char* name;
    bool withFile;
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
         e.writeService(ServiceId::ExtraBoning, QStringLiteral("20"), QStringLiteral("3.4"));
         e.writeService(ServiceId::BeefSausage, QStringLiteral("25"), QStringLiteral("61.25"));
         e.writeService(ServiceId::FajitaStrips, QStringLiteral("76"), QStringLiteral("95"));
         e.writeService(ServiceId::Slicing, QStringLiteral("35"), QStringLiteral("52.5"));
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
         e.writeService(ServiceId::PorkCuring, QStringLiteral("46"), QStringLiteral("19.32"));
         e.writeService(ServiceId::PorkSausage, QStringLiteral("25"), QStringLiteral("5"));
         e.setHangingWeight(QStringLiteral("170.123456789012"));
         e.writeService(ServiceId::Cutlets, QStringLiteral("12.5"), QStringLiteral("2.5"));
     }},
    {"deer", true,
     [](Counter& c) {
         c.estimate.chooseSpecies(Species::Deer);
         c.estimate.setLiveWeight(QStringLiteral("120"));
     }},
};

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

    // A worksheet's row remembers the hanging weight it was figured for.
    void worksheetRowsGoStaleWithTheHangingWeight()
    {
        Counter c;
        c.estimate.chooseSpecies(Species::Beef);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        c.estimate.expand();
        c.estimate.clickService(ServiceId::FajitaStrips, true);
        c.estimate.clickService(ServiceId::ExtraBoning, true);
        QCOMPARE(c.view.worksheets,
                 (QList<ServiceId>{ServiceId::FajitaStrips, ServiceId::ExtraBoning}));
        c.estimate.writeService(ServiceId::FajitaStrips, QStringLiteral("76"),
                                QStringLiteral("95"));
        c.estimate.writeService(ServiceId::ExtraBoning, QStringLiteral("20"),
                                QStringLiteral("3.4"));
        QVERIFY(!c.estimate.isStale(ServiceId::FajitaStrips));
        c.estimate.setLiveWeight(QStringLiteral("12"));
        QVERIFY(c.estimate.isStale(ServiceId::FajitaStrips));
        QVERIFY(!c.estimate.isStale(ServiceId::ExtraBoning)); // figured from cuts, not weight
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        QVERIFY(!c.estimate.isStale(ServiceId::FajitaStrips));
        c.estimate.setLiveWeight(QStringLiteral("12"));
        c.estimate.clickService(ServiceId::FajitaStrips, false);
        QVERIFY(!c.estimate.isStale(ServiceId::FajitaStrips));
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
        QCOMPARE(c.estimate.cureProducts(),
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

    // A missing price is told once while the clerk types a weight.
    void aMissingPriceIsToldOncePerTypingRun()
    {
        Counter c;
        c.file.without(PriceItem::Processing);
        c.estimate.chooseSpecies(Species::Beef);
        for (const char* typed : {"1", "12", "125"})
            c.estimate.setLiveWeight(QLatin1String(typed));
        QCOMPARE(c.view.said.size(), 1);
        QVERIFY(c.view.said.first().contains(PriceItem::Processing));
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("0"));
        c.estimate.expand(); // another action: the next typing run tells again
        c.estimate.setLiveWeight(QStringLiteral("1250"));
        QCOMPARE(c.view.said.size(), 2);
    }

    // An estimate kept as text comes back exactly, without a lookup: into a
    // counter with no price list file at all. The next edit then figures the
    // restored estimate as it would have figured the first.
    void keptEstimatesComeBackExactly()
    {
        for (const Kind& kind : Kinds) {
            Counter a(kind.withFile);
            kind.make(a);
            a.view.said.clear();
            a.view.questions = 0;
            const QString state = a.estimate.saveState();

            Counter bare(false);
            QVERIFY2(bare.estimate.restoreState(state), kind.name);
            compareEstimates(a.estimate, bare.estimate);
            QCOMPARE(bare.estimate.saveState(), state);
            QVERIFY(bare.view.said.isEmpty() && bare.view.questions == 0);

            Counter b(kind.withFile);
            QVERIFY(b.estimate.restoreState(state));
            for (Counter* c : {&a, &b}) {
                c->estimate.setLiveWeight(QStringLiteral("900"));
                c->estimate.chooseCureProducts(c->estimate.cureProducts());
            }
            compareEstimates(a.estimate, b.estimate);
            QCOMPARE(b.view.questions, a.view.questions);
            if (QTest::currentTestFailed())
                qWarning("in the estimate of %s", kind.name);
        }
    }

    // Opening a kept estimate never reprices it, whatever became of the price
    // list; the next edit figures with the prices of the day.
    void keptFiguresAreNotRepriced()
    {
        Counter c;
        Kinds[0].make(c);
        const QString state = c.estimate.saveState();
        const QString total = c.estimate.total();
        c.file.price(PriceItem::PaperWrapp, 0.6).price(PriceItem::MinuteSteaks, 1);
        c.estimate.clear();
        QVERIFY(c.estimate.restoreState(state));
        QCOMPARE(c.estimate.total(), total);
        QVERIFY(QFile::remove(c.file.path()));
        Counter gone(false);
        QVERIFY(gone.estimate.restoreState(state));
        QCOMPARE(gone.estimate.total(), total);

        c.file.withSample().price(PriceItem::PaperWrapp, 0.6);
        c.estimate.setLiveWeight(QStringLiteral("1000"));
        QCOMPARE(c.estimate.processingCharge(), QStringLiteral("300")); // paper wrapped
        QCOMPARE(c.charge(ServiceId::MinuteSteaks), QStringLiteral("6"));
    }

    // Text that is not a whole record of an estimate changes nothing.
    void onlyWholeRecordsAreTaken()
    {
        Counter c;
        Kinds[2].make(c);
        const QString good = c.estimate.saveState();
        Counter other;
        Kinds[0].make(other);
        const QString before = other.estimate.saveState();
        const auto refused = [&](const QString& state) {
            QVERIFY2(!other.estimate.restoreState(state), qPrintable(state));
            QCOMPARE(other.estimate.saveState(), before);
            QVERIFY(other.estimate.hasUnsavedChanges());
        };
        for (int n = 0; n < good.size(); ++n)
            refused(good.left(n));
        for (const char* garbage : {"{}", "[]", "null", "Pork 251 lb", "{\"version\":1}"})
            refused(QLatin1String(garbage));
        refused(good + QLatin1Char('}'));
        const QList<QPair<const char*, const char*>> edits = {
            {"\"version\":1", "\"version\":2"},
            {"\"version\":1", "\"version\":\"1\""},
            {"\"kind\":\"locker-estimate\"", "\"kind\":\"other\""},
            {"\"species\":\"Pork\"", "\"species\":\"Goat\""},
            {"\"weightFactor\":0.66", "\"weightFactor\":0"},
            {"\"weightFactor\":0.66", "\"weightFactor\":1e300"},
            {"\"weightCaption\":\"Live Weight\"", "\"weightCaption\":\"Weight\""},
            {"\"live\":\"251\"", "\"live\":251"},
            {"\"cooling\":", "\"cool\":"},
            {"\"figuredFor\":null", "\"figuredFor\":\"170\""},
            {"[false,false,false,false,false]", "[false,false,false,false]"},
            {"\"ticked\":true", "\"ticked\":1"},
        };
        for (const auto& [from, to] : edits) {
            QVERIFY2(good.contains(QLatin1String(from)), from);
            refused(QString(good).replace(QLatin1String(from), QLatin1String(to)));
        }
        QVERIFY(other.estimate.restoreState(good));
        compareEstimates(c.estimate, other.estimate);
    }

    // The next customer starts from the start-up state; changes since the
    // last save, restore or clear are known.
    void clearingAndUnsavedChanges()
    {
        for (const Kind& kind : Kinds) {
            const bool withFile = kind.withFile;
            Counter fresh(withFile), c(withFile);
            QVERIFY(!fresh.estimate.hasUnsavedChanges());
            kind.make(c);
            QVERIFY(c.estimate.hasUnsavedChanges());
            c.estimate.markSaved();
            QVERIFY(!c.estimate.hasUnsavedChanges());
            const QString saved = c.estimate.saveState();
            c.estimate.setLiveWeight(QStringLiteral("1200"));
            QVERIFY(c.estimate.hasUnsavedChanges());

            c.estimate.clear();
            QCOMPARE(c.estimate.saveState(), fresh.estimate.saveState());
            compareEstimates(c.estimate, fresh.estimate);
            QCOMPARE(c.estimate.priceListFlag(), withFile);
            QVERIFY(!c.estimate.hasUnsavedChanges());
            c.estimate.chooseSpecies(Species::Pork); // figured as on a fresh counter
            fresh.estimate.chooseSpecies(Species::Pork);
            c.estimate.setLiveWeight(QStringLiteral("300"));
            fresh.estimate.setLiveWeight(QStringLiteral("300"));
            compareEstimates(c.estimate, fresh.estimate);

            QVERIFY(c.estimate.restoreState(saved));
            QVERIFY(!c.estimate.hasUnsavedChanges());
            c.estimate.clickService(ServiceId::Tenderising, false);
            QVERIFY(c.estimate.hasUnsavedChanges());
        }
    }
};

QTEST_GUILESS_MAIN(TestEstimate)
#include "test_estimate.moc"
