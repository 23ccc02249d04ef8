// The take-home checked against the meat the customers took home, over a
// season kept in a real book and a real price list: the quotes' ranges hold
// the packaged weights recorded at pickup, and the yields adopted from those
// pickups narrow the ranges, the same for every counter.

#include "book/estimate_book.h"
#include "estimate/take_home.h"
#include "estimate/yield_check.h"
#include "pickups.h"
#include "pricelist/price_list.h"
#include "pricelist/sample_price_list.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Pickups::Opening;

struct Season {
    QTemporaryDir dir;
    EstimateBook book{dir.filePath(QStringLiteral("Estimates.db"))};
    const bool made = CreateSamplePriceList(dir.filePath(QStringLiteral("Lockers.db"))).saved;
    PriceList prices{dir.filePath(QStringLiteral("Lockers.db"))};
    StoreRules rules{prices};

    void pickedUp(int i, double live, double ratio, double yield, bool recorded = true)
    {
        QVERIFY(Pickups::PickedUpBeef(book, i, live, ratio, yield, recorded));
    }

    QList<YieldCheck> check()
    {
        QString problem;
        const QList<YieldCheck> checks =
            CheckYields(book, rules, Opening, Opening.addDays(60), &problem);
        [&] {
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }();
        return checks;
    }

    // The take-home quoted for 1200 lb live with no choices.
    TakeHome quoted()
    {
        EstimateValue quote;
        quote.species = Species::Beef;
        quote.weightFactor = 0.5;
        quote.hanging = Figure::figured(QStringLiteral("600"));
        quote.likelyRatio = {0.58, 0.64, 0};
        return TakeHomeOf(quote, rules.master(Species::Beef), rules.yields(Species::Beef)).value();
    }
};

} // namespace

class TestYieldCheck : public QObject {
    Q_OBJECT

private slots:
    void aSeasonOfPickupsTeachesTheYields()
    {
        Season season;
        QVERIFY(season.made && season.prices.open() == PriceSource::OpenResult::Opened);
        QRandomGenerator random(31);
        // Sixty beef: hanging 0.585 to 0.635 of the live weight; the shop's
        // cutting room gives 0.95 to 0.99 of the published yields.
        for (int i = 0; i < 60; ++i)
            season.pickedUp(i, 1000 + random.bounded(500), 0.585 + random.bounded(0.05),
                            0.95 + random.bounded(0.04));
        // Picked up without the packaged weight: not counted.
        season.pickedUp(60, 1200, 0.6, 0.97, false);

        const QList<YieldCheck> published = season.check();
        QCOMPARE(published.size(), 1);
        const YieldCheck& beef = published.first();
        QCOMPARE(beef.species, QStringLiteral("Beef"));
        QCOMPARE(beef.pickups, 60);
        QCOMPARE(beef.measured.size(), 60);
        QVERIFY2(beef.held >= 54, qPrintable(beef.words())); // most of the season
        QVERIFY2(beef.words().startsWith(QStringLiteral("Beef: ") + QString::number(beef.held) +
                                         QStringLiteral(" of 60 pickups")),
                 qPrintable(beef.words()));
        const Yields adoptable = beef.adoptable().value();
        QVERIFY2(adoptable.measured >= 0.96 && adoptable.measured <= 0.98,
                 qPrintable(adoptable.adoptedText()));
        QVERIFY(adoptable.low < 1 && adoptable.high > 1);

        const TakeHome before = season.quoted();
        QStringList adopted;
        QVERIFY(AdoptYields(season.prices, published, &adopted).done());
        QCOMPARE(adopted, QStringList{QStringLiteral("Beef")});
        // Another counter over the same file figures with them.
        PriceList other(season.prices.path());
        QVERIFY(other.open() == PriceSource::OpenResult::Opened);
        QCOMPARE(StoreRules(other).yields(Species::Beef), adoptable);
        QCOMPARE(StoreRules(other).yields(Species::Pork),
                 Yields::Published(QStringLiteral("Pork")));

        // The ranges narrow, and still hold the season.
        const TakeHome after = season.quoted();
        QVERIFY2(after.high - after.low < before.high - before.low,
                 qPrintable(before.words() + QStringLiteral(" / ") + after.words()));
        const YieldCheck again = season.check().first();
        QVERIFY2(again.held >= 54, qPrintable(again.words()));
        // Measured against the published yields still: adopting twice is the same.
        QCOMPARE(again.adoptable(), beef.adoptable());

        // A pickup far above what its quote gave (a mistyped packaged weight,
        // another order's meat) is counted, and not held.
        season.pickedUp(61, 1200, 0.6, 1.3);
        const YieldCheck heavy = season.check().first();
        QCOMPARE(heavy.pickups, 61);
        QCOMPARE(heavy.held, again.held);
    }

    // Too few pickups adopt nothing and change nothing; what is kept that
    // cannot be read stands for the published figures.
    void tooFewPickupsAdoptNothing()
    {
        Season season;
        QVERIFY(season.prices.open() == PriceSource::OpenResult::Opened);
        for (int i = 0; i < FewestPickups - 1; ++i)
            season.pickedUp(i, 1200, 0.6, 0.97);
        const QList<YieldCheck> checks = season.check();
        QVERIFY(!checks.first().adoptable());
        QStringList adopted{QStringLiteral("before")};
        QVERIFY(AdoptYields(season.prices, checks, &adopted).done()); // nothing to save
        QVERIFY(adopted.isEmpty());
        QVERIFY(season.prices.shopSettings().yields.isEmpty());

        ShopWideSettings wrong;
        wrong.yields.insert(QStringLiteral("Beef"), QStringLiteral("measured 3 0.9 1.1"));
        QCOMPARE(YieldsOf(wrong, QStringLiteral("Beef")),
                 Yields::Published(QStringLiteral("Beef")));
        wrong.yields.insert(QStringLiteral("Beef"), QStringLiteral("measured 0.97 0.95"));
        QCOMPARE(YieldsOf(wrong, QStringLiteral("Beef")),
                 Yields::Published(QStringLiteral("Beef")));
    }
};

QTEST_GUILESS_MAIN(TestYieldCheck)
#include "test_yield_check.moc"
