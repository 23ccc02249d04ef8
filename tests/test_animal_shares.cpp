// An animal sold in shares and the likely range of a quote, figured on the
// estimate values with the sample prices in memory: the parts, the division
// of weights, kill fees and cents, and the sheets printed from them.

#include "core/money.h"
#include "core/numbers.h"
#include "estimate/animal_shares.h"
#include "estimate/book_figures.h"
#include "estimate/estimate.h"
#include "estimate/estimate_summary.h"
#include "estimate/likely_range.h"
#include "support/counter_screen.h"
#include "support/memory_prices.h"

#include <QRandomGenerator>
#include <QTest>
#include <numeric>

namespace {

SharePart part(const char* words)
{
    QString problem;
    const auto p = SharePart::fromWords(QLatin1String(words), &problem);
    if (!p)
        qFatal("not a part: %s", words);
    return *p;
}

AnimalShare buyer(const char* name, const char* partWords)
{
    AnimalShare share;
    share.customer = QLatin1String(name);
    share.part = part(partWords);
    return share;
}

std::int64_t sum(const QList<std::int64_t>& cents)
{
    return std::accumulate(cents.begin(), cents.end(), std::int64_t(0));
}

// The range of an estimate at the given shop's range.
std::optional<LikelyRange> rangeAt(EstimateValue v, const HangingRatio& ratio)
{
    v.likelyRatio = ratio;
    return Likely(v);
}

double sum(const Division& d)
{
    return std::accumulate(d.shares.begin(), d.shares.end(), d.unsold);
}

struct Shop {
    MemoryPrices prices;
    TestClock clock;
    Shop()
    {
        prices.open();
        clock.at = QDateTime(QDate(2026, 10, 5), QTime(10, 0));
    }
    AnimalFigures figure(AnimalValue& animal, bool flag = true)
    {
        return AnimalShares(prices, clock, flag).figure(animal);
    }
    // The clerk ticks services on a share's estimate, as on the Estimate screen.
    void tick(AnimalShare& share, std::initializer_list<ServiceId> services)
    {
        Estimate e(prices, clock);
        e.setPriceListFlag(true);
        e.replace(share.estimate);
        e.expand();
        for (const ServiceId id : services)
            e.clickService(id, true);
        share.estimate = e.value();
    }
};

} // namespace

class TestAnimalShares : public QObject {
    Q_OBJECT

private slots:
    void partsAreReadAndChecked()
    {
        QString problem;
        QCOMPARE(part("Half").ofWhole(), 5000);
        QCOMPARE(part(" split-side  quarter").kind, PartKind::SplitSideQuarter);
        QCOMPARE(part("33.33 %").ofWhole(), 3333);
        QCOMPARE(part("12.5%").words(), QStringLiteral("12.5 %"));
        for (const char* bad : {"0", "-25", "100.01", "33.333", "a third", "", "nan"})
            QVERIFY2(!SharePart::fromWords(QLatin1String(bad), &problem), bad);

        QVERIFY(PartsProblem({part("half"), part("quarter"), part("quarter")}).isEmpty());
        QVERIFY(!PartsProblem({}).isEmpty());
        QVERIFY(PartsProblem({part("half"), part("half"), part("quarter")}).contains("25 %"));
        QList<SharePart> nine(9, part("10"));
        QVERIFY(PartsProblem(nine).contains(QLatin1String("8")));
        QVERIFY(!PartsProblem({SharePart{PartKind::Percent, 0}}).isEmpty());
        QVERIFY(!PartsProblem({SharePart{PartKind::Percent, -2500}}).isEmpty());
        // Less than the whole may be saved: the rest is not sold yet.
        QVERIFY(PartsProblem({part("half"), part("quarter")}).isEmpty());
        QCOMPARE(UnsoldPart({part("half"), part("quarter")}), 2500);
        QCOMPARE(UnsoldPart({part("60"), part("40")}), 0);
    }

    void weightsAreDividedByPartAndBySide()
    {
        const QList<SharePart> quarters(4, part("quarter"));
        const Division even = DivideHanging(quarters, 601);
        QCOMPARE(even.shares, QList<double>({150.25, 150.25, 150.25, 150.25}));
        QCOMPARE(even.unsold, 0.0);

        // The half takes a whole side, the quarters the other, whatever the order.
        const Division sides =
            DivideSides({part("quarter"), part("half"), part("split-side quarter")}, 310, 296);
        QCOMPARE(sides.shares, QList<double>({148, 310, 148}));
        // Four quarters: two of each side.
        QCOMPARE(DivideSides(quarters, 310, 296).shares, QList<double>({155, 155, 148, 148}));
        // A percentage across both sides takes from each what it covers.
        const Division spread = DivideSides({part("30"), part("40"), part("30")}, 310, 300);
        QCOMPARE(spread.shares, QList<double>({186, 244, 180}));
        // Not all sold: the rest is the second side's end.
        const Division rest = DivideSides({part("half"), part("quarter")}, 310, 300);
        QCOMPARE(rest.unsold, 150.0);
        // Nothing is lost or made up.
        QCOMPARE(sum(even), 601.0);
        QCOMPARE(sum(sides), 606.0);
        QCOMPARE(sum(spread), 610.0);
        QCOMPARE(sum(rest), 610.0);
    }

    void theKillFeeIsDividedAsTheShopSays()
    {
        const QList<SharePart> parts = {part("half"), part("quarter"), part("quarter")};
        QCOMPARE(DivideKillFee(parts, KillFeeSplit::ByPart, 65, 0, 0).shares,
                 QList<double>({32.5, 16.25, 16.25}));
        const Division one = DivideKillFee(parts, KillFeeSplit::OneBuyer, 65, 0, 1);
        QCOMPARE(one.shares, QList<double>({0, 65, 0}));
        QCOMPARE(one.unsold, 0.0);
        QCOMPARE(DivideKillFee(parts, KillFeeSplit::PerShare, 65, 22.5, 0).shares,
                 QList<double>({22.5, 22.5, 22.5}));
        // The part not sold yet carries its part of the fee when it is divided by part.
        QCOMPARE(DivideKillFee({part("half")}, KillFeeSplit::ByPart, 65, 0, 0).unsold, 32.5);
        for (const auto split :
             {KillFeeSplit::ByPart, KillFeeSplit::OneBuyer, KillFeeSplit::PerShare})
            QCOMPARE(KillFeeSplitFromKey(KillFeeSplitKey(split)), split);
    }

    void everySplitAddsUpToTheCent()
    {
        // Thirds of a dollar: the cent left over goes to one share only.
        auto cents = CentsOfShares({100.0 / 3, 100.0 / 3, 100.0 / 3}, 0);
        QVERIFY(cents);
        QCOMPARE(cents->animal, 10000);
        QCOMPARE(sum(cents->shares), 10000);
        QCOMPARE(cents->shares, QList<std::int64_t>({3334, 3333, 3333}));
        // The cent goes to the share that rounding moved the most.
        cents = CentsOfShares({10.002, 10.004, 10.004}, 0.0);
        QCOMPARE(cents->animal, 3001);
        QCOMPARE(cents->shares, QList<std::int64_t>({1000, 1001, 1000}));
        // Many animals, parts and prices: the shares and the rest always make the animal.
        QRandomGenerator random(19);
        for (int round = 0; round < 2000; ++round) {
            QList<SharePart> parts;
            int left = WholeAnimal;
            const int count = 1 + int(random.bounded(MostShares));
            for (int i = 0; i < count && left > 0; ++i) {
                const int p = i == count - 1 ? left : 1 + int(random.bounded(left));
                parts << SharePart{PartKind::Percent, p};
                left -= p;
            }
            const double hanging = 200 + random.bounded(60000) / 100.0;
            const double rate = random.bounded(100) / 100.0 + 0.0037;
            const Division weights = DivideHanging(parts, hanging);
            const Division kill = DivideKillFee(parts, KillFeeSplit::ByPart, 65.35, 0, 0);
            QList<double> totals;
            for (int i = 0; i < int(parts.size()); ++i)
                totals << Round15(weights.shares[i] * rate + kill.shares[i]);
            const double rest = Round15(weights.unsold * rate + kill.unsold);
            const auto c = CentsOfShares(totals, rest);
            QVERIFY(c);
            QCOMPARE(sum(c->shares) + c->unsold, c->animal);
            QCOMPARE(c->animal,
                     *CentsOf(NumberText(std::accumulate(totals.begin(), totals.end(), rest))));
            for (int i = 0; i < int(totals.size()); ++i)
                QVERIFY(qAbs(double(c->shares[i]) - totals[i] * 100) < 1.0 + 1e-6);
        }
    }

    void aBeefInFourQuartersToThreeBuyers()
    {
        Shop shop;
        AnimalValue beef;
        beef.tag = QStringLiteral("B-1042");
        beef.live = QStringLiteral("1200");
        beef.shares = {buyer("Ann Carver", "half"), buyer("Bo Hale", "quarter"),
                       buyer("Cy Dunn", "split-side quarter")};
        AnimalFigures f = shop.figure(beef);
        QVERIFY2(f.problems.isEmpty(), qPrintable(f.problems.join('\n')));
        // Each buyer's own services.
        shop.tick(beef.shares[0], {ServiceId::Tenderising});
        shop.tick(beef.shares[1], {ServiceId::PaperWrapp});
        f = shop.figure(beef);
        QVERIFY2(f.problems.isEmpty(), qPrintable(f.problems.join('\n')));

        QCOMPARE(f.hanging, QStringLiteral("600"));
        const EstimateValue& ann = beef.shares[0].estimate;
        const EstimateValue& bo = beef.shares[1].estimate;
        const EstimateValue& cy = beef.shares[2].estimate;
        QCOMPARE(ann.hanging.text, QStringLiteral("300"));
        QCOMPARE(ann.kill.text, QStringLiteral("8.5"));
        QCOMPARE(ann.processing.text, QStringLiteral("111"));
        QVERIFY(ann.counts(ServiceId::Tenderising));
        QCOMPARE(ann.row(ServiceId::Tenderising).charge.text,
                 QStringLiteral("4.12"));                     // 20.58 lb at 0.20
        QCOMPARE(bo.processing.text, QStringLiteral("70.5")); // paper wrapped at 0.47
        QCOMPARE(cy.kill.text, QStringLiteral("4.25"));
        QCOMPARE(cy.share->surcharge.text, QStringLiteral("15"));
        QCOMPARE(cy.share->surchargeRate, QStringLiteral("0.1"));
        QCOMPARE(cy.share->part, QStringLiteral("split-side quarter"));
        QCOMPARE(cy.share->tag, QStringLiteral("B-1042"));
        QCOMPARE(cy.share->shares, 3);
        QVERIFY(!ann.share->surcharge.why.isEmpty() || ann.share->surchargeRate.isEmpty());

        QVERIFY(f.cents);
        QCOMPARE(f.cents->shares, QList<std::int64_t>({12362, 7475, 7475}));
        QCOMPARE(f.cents->unsold, 0);
        QCOMPARE(f.cents->animal, 12362 + 7475 + 7475);
        QCOMPARE(cy.total.text, QStringLiteral("74.75"));

        // Each buyer's sheet adds up to its share of the animal.
        const EstimateSummary sheet = Summarize(cy);
        QCOMPARE(sheet.total, QStringLiteral("74.75"));
        QCOMPARE(sheet.surcharge, QStringLiteral("15"));
        const QString html = EstimateHtml(sheet);
        QVERIFY(html.contains(QLatin1String("Split-side surcharge")));
        QVERIFY(html.contains(QLatin1String("$15.00")));
        QVERIFY(html.contains(QLatin1String("B-1042")));

        // After the kill: the sides weighed, and the same division.
        beef.firstSide = QStringLiteral("310");
        beef.secondSide = QStringLiteral("296");
        f = shop.figure(beef);
        QVERIFY2(f.problems.isEmpty(), qPrintable(f.problems.join('\n')));
        QCOMPARE(f.hanging, QStringLiteral("606"));
        QCOMPARE(beef.shares[0].estimate.hanging.text, QStringLiteral("310"));
        QCOMPARE(beef.shares[1].estimate.hanging.text, QStringLiteral("148"));
        QCOMPARE(beef.shares[2].estimate.share->surcharge.text, QStringLiteral("14.8"));
        QCOMPARE(sum(f.cents->shares) + f.cents->unsold, f.cents->animal);
        // Its services follow the weighed pounds.
        QCOMPARE(beef.shares[0].estimate.row(ServiceId::Tenderising).weight.text,
                 QStringLiteral("21.266"));

        // The animal as its shares tell it, and the shop's sheet of it.
        const AnimalValue back = AnimalOf(beef.shares);
        QCOMPARE(back.tag, beef.tag);
        QCOMPARE(back.live, beef.live);
        QCOMPARE(back.firstSide, QStringLiteral("310"));
        QCOMPARE(back.secondSide, QStringLiteral("296"));
        QCOMPARE(back.killFee, KillFeeSplit::ByPart);
        EstimateSummary head;
        head.shopName = QStringLiteral("Shop");
        const QString shopSheet = AnimalSheetHtml(head, beef, f);
        for (const std::int64_t cents : f.cents->shares)
            QVERIFY2(shopSheet.contains(MoneyText(cents)), qPrintable(MoneyText(cents)));
        QVERIFY(shopSheet.contains(MoneyText(f.cents->animal)));
        QVERIFY(shopSheet.contains(QLatin1String("weighed after the kill")));
    }

    void theKillFeeOnOneBuyerOrPerShareAndWhatIsNotSold()
    {
        Shop shop;
        AnimalValue hog;
        hog.species = Species::Pork;
        hog.live = QStringLiteral("250");
        hog.shares = {buyer("Dee", "half")};
        AnimalFigures f = shop.figure(hog);
        QVERIFY(f.problems.isEmpty());
        // 165 lb hanging: half sold, half not yet, each with half of the fee.
        QCOMPARE(f.unsold.part, 5000);
        QCOMPARE(f.unsold.hanging, 82.5);
        QCOMPARE(f.unsold.estimate.kill.text, QStringLiteral("8.5"));
        QCOMPARE(sum(f.cents->shares) + f.cents->unsold, f.cents->animal);
        QCOMPARE(f.cents->animal, 1700 + 6105);

        hog.shares << buyer("Eli", "half");
        hog.killFee = KillFeeSplit::OneBuyer;
        hog.payer = 1;
        f = shop.figure(hog);
        QCOMPARE(hog.shares[0].estimate.kill.text, QStringLiteral("0"));
        QCOMPARE(hog.shares[1].estimate.kill.text, QStringLiteral("17"));

        QCOMPARE(AnimalOf(hog.shares).payer, 1);

        hog.killFee = KillFeeSplit::PerShare;
        f = shop.figure(hog);
        QCOMPARE(hog.shares[0].estimate.kill.text, QStringLiteral("10"));
        QCOMPARE(f.cents->animal, 2000 + 6105);
        // Without the price list there is no fee per share: told, not guessed.
        shop.prices.remove(AnimalShares::ShareKillItem);
        f = shop.figure(hog);
        QVERIFY(!f.problems.isEmpty());
    }

    void partsThatCannotBeAreTold()
    {
        Shop shop;
        AnimalValue beef;
        beef.live = QStringLiteral("1000");
        beef.shares = {buyer("A", "half"), buyer("B", "half"), buyer("C", "quarter")};
        QVERIFY(!shop.figure(beef).problems.isEmpty());
        beef.shares = {buyer("A", "split-side quarter")};
        shop.prices.remove(AnimalShares::SplitSideItem);
        const AnimalFigures f = shop.figure(beef);
        QVERIFY(!f.problems.isEmpty());
        QVERIFY(!beef.shares[0].estimate.share->surcharge.isCurrent());
        beef.species = Species::Deer;
        QVERIFY(!shop.figure(beef).problems.isEmpty());
        beef.species = Species::Beef;
        beef.shares = {buyer("A", "half")};
        beef.firstSide = QStringLiteral("300");
        QVERIFY(!shop.figure(beef).problems.isEmpty()); // one side only
    }

    void aShareIsKeptInItsRecord()
    {
        Shop shop;
        AnimalValue beef;
        beef.tag = QStringLiteral("77");
        beef.live = QStringLiteral("1100");
        beef.shares = {buyer("A", "split-side quarter"), buyer("B", "75 %")};
        shop.figure(beef);
        const EstimateValue& v = beef.shares[0].estimate;
        const auto back = EstimateValue::fromRecord(v.toRecord());
        QVERIFY(back);
        QCOMPARE(*back, v);
        QVERIFY(back->share);
        // A whole animal's record has none, as before.
        EstimateValue whole = v;
        whole.share.reset();
        QVERIFY(!EstimateValue::fromRecord(whole.toRecord())->share);
        QVERIFY(!whole.toRecord().contains(QLatin1String("\"tag\"")));
    }

    // What the book keeps beside a share's record for the report: only a
    // weight weighed after the kill counts as a measured hanging weight.
    void theBookKeepsAShareFigures()
    {
        Shop shop;
        AnimalValue beef;
        beef.tag = QStringLiteral("B-3");
        beef.live = QStringLiteral("1000");
        beef.shares = {buyer("A", "quarter"), buyer("B", "75")};
        shop.figure(beef);
        EstimateRecord record;
        record.quoteState = beef.shares[0].estimate.toRecord();
        record.finalState = record.quoteState; // billed before the weights were in
        FillBookFigures(record);
        QCOMPARE(record.animalTag, QStringLiteral("B-3"));
        QCOMPARE(record.sharePart, QStringLiteral("quarter"));
        QCOMPARE(record.livePounds, std::optional<double>(250));
        QCOMPARE(record.quoteCents,
                 std::optional<qint64>(*CentsOf(beef.shares[0].estimate.total.text)));
        QCOMPARE(record.weighedHanging, std::nullopt);

        beef.weighed = QStringLiteral("612");
        shop.figure(beef);
        record.finalState = beef.shares[0].estimate.toRecord();
        FillBookFigures(record);
        QCOMPARE(record.weighedHanging, std::optional<double>(153));
        QVERIFY(*record.finalCents > *record.quoteCents);
    }

    void aQuoteHasALikelyRange()
    {
        Shop shop;
        Estimate e(shop.prices, shop.clock);
        e.setPriceListFlag(true);
        e.chooseSpecies(Species::Beef);
        e.setLiveWeight(QStringLiteral("1000"));
        // 500 lb at 0.37 and a kill fee of 17: 0.58 to 0.64 of 1000 lb.
        auto range = rangeAt(e.value(), DefaultRatio(Species::Beef));
        QVERIFY(range);
        QCOMPARE(range->hangingLow, QStringLiteral("580"));
        QCOMPARE(range->hangingHigh, QStringLiteral("640"));
        QCOMPARE(range->totalLow, 17 * 100 + 21460);
        QCOMPARE(range->totalHigh, 17 * 100 + 23680);
        QCOMPARE(LikelyText(*range), QStringLiteral("likely between $231.60 and $253.80"));
        QVERIFY(range->words.contains(QLatin1String("58 % to 64 %")));
        // A service figured from the hanging weight moves with it; a typed one stays.
        e.expand();
        e.clickService(ServiceId::MinuteSteaks, true); // 30 lb at 0.20 = 6
        e.setServiceCharge(ServiceId::Tenderising, QStringLiteral("0"));
        range = rangeAt(e.value(), {0.5, 0.6, 0});
        QCOMPARE(range->totalLow, 17 * 100 + 18500 + 600);
        QCOMPARE(range->totalHigh, 17 * 100 + 22200 + 720);
        // Nothing to say while a figure is not current or there is no weight.
        e.setLiveWeight(QStringLiteral("abc"));
        QVERIFY(!rangeAt(e.value(), DefaultRatio(Species::Beef)));
        QVERIFY(!rangeAt(EstimateValue(), DefaultRatio(Species::Beef)));

        // A range is from 0.3 to 0.9, its low end not above its high end.
        QVERIFY(RatioProblem(0.58, 0.64).isEmpty());
        QVERIFY(RatioProblem(0.7, 0.6).contains(QLatin1String("0.3")));
        QVERIFY(!RatioProblem(0.2, 0.6).isEmpty());
        QVERIFY(!RatioProblem(0.6, 0.95).isEmpty());
        QVERIFY(!RatioProblem(qQNaN(), 0.6).isEmpty());
    }

    void aShareQuoteRangesWithItsSurcharge()
    {
        Shop shop;
        AnimalValue beef;
        beef.live = QStringLiteral("1000");
        beef.shares = {buyer("A", "split-side quarter"), buyer("B", "75")};
        shop.figure(beef);
        // 125 lb: kill 4.25, processing 46.25, surcharge 12.50; at 0.6 of live: 150 lb.
        const auto range = rangeAt(beef.shares[0].estimate, {0.6, 0.6, 0});
        QVERIFY(range);
        QCOMPARE(range->hangingLow, QStringLiteral("150"));
        QCOMPARE(range->totalLow, 425 + 5550 + 1500);
    }
};

QTEST_GUILESS_MAIN(TestAnimalShares)
#include "test_animal_shares.moc"
