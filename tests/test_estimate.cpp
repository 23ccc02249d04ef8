// The estimate as data: its figuring, without any screen. A real price list
// file in a temporary folder gives the prices; a recording view stands in for
// the clerk's message boxes.

#include "core/numbers.h"
#include "estimate/estimate.h"
#include "pricelist/price_items.h"
#include "pricelist/price_list.h"
#include "support/test_price_list.h"

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
};

QTEST_GUILESS_MAIN(TestEstimate)
#include "test_estimate.moc"
