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
#include "estimate/quote_rules.h"
#include "estimate/take_home.h"
#include "pricelist/price_items.h"
#include "support/counter_screen.h"
#include "support/memory_prices.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
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

// Money as printed ("$8.31", "-$0.25") in cents; 0 for an empty cell.
std::int64_t centsIn(const QString& money)
{
    if (money.trimmed().isEmpty())
        return 0;
    const auto cents = CentsOf(QString(money).remove(QLatin1Char('$')));
    if (!cents)
        qFatal("not money: %s", qPrintable(money));
    return *cents;
}

// The rows of a page's tables, each the texts of its cells.
QList<QStringList> rowsOf(const QString& html)
{
    static const QRegularExpression cell(QStringLiteral("<t[dh][^>]*>([^<]*)</t[dh]>"));
    QList<QStringList> rows;
    for (const QString& row : html.split(QStringLiteral("<tr>")).mid(1)) {
        QStringList cells;
        for (auto m = cell.globalMatch(row); m.hasNext();)
            cells << m.next().captured(1).replace(QLatin1String("&amp;"), QLatin1String("&"));
        rows << cells;
    }
    return rows;
}

// What a buyer's page prints: each charge line's amount, and the total.
struct PrintedBill {
    QList<std::int64_t> lines;
    std::int64_t total = 0;
};
PrintedBill printedBill(const QString& html)
{
    PrintedBill bill;
    bool charges = false;
    for (const QStringList& row : rowsOf(html)) {
        if (row.value(0) == QLatin1String("Charge")) {
            charges = true;
        } else if (row.value(0) == QLatin1String("Total Estimated Price")) {
            bill.total = centsIn(row.last());
            break;
        } else if (charges && row.size() == 4) {
            bill.lines << centsIn(row[3]);
        }
    }
    return bill;
}

// A row of the shop's sheet: its kill, processing, services, surcharge and total.
struct SheetRow {
    QString share, customer;
    std::int64_t kill = 0, processing = 0, services = 0, surcharge = 0, total = 0;
};
QList<SheetRow> sheetRows(const QString& html)
{
    QList<SheetRow> rows;
    for (const QStringList& cells : rowsOf(html))
        if (cells.size() == 10 && cells[0] != QLatin1String("Share"))
            rows << SheetRow{cells[0],          cells[2],          centsIn(cells[5]),
                             centsIn(cells[6]), centsIn(cells[7]), centsIn(cells[8]),
                             centsIn(cells[9])};
    return rows;
}

// The shop's rules for quotes as a test sets them.
struct SetRules : QuoteRules {
    HangingRatio beef = DefaultRatio(Species::Beef);
    std::optional<double> beefFactor;
    HangingRatio ratio(Species species) const override
    {
        return species == Species::Beef ? beef : DefaultRatio(species);
    }
    std::optional<double> adoptedFactor(Species species) const override
    {
        return species == Species::Beef ? beefFactor : std::nullopt;
    }
};

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
    // The page printed for one buyer, and the shop's sheet of the animal.
    static QString page(const EstimateValue& v) { return EstimateHtml(Summarize(v)); }
    static QString sheet(const AnimalValue& animal, const AnimalFigures& figures)
    {
        EstimateSummary head;
        head.shopName = QStringLiteral("Shop");
        return AnimalSheetHtml(head, animal, figures);
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
        QVERIFY(sheet.shareNote.contains(
            QLatin1String("Share 3 of 3: a split-side quarter of a beef, tag B-1042")));

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

    // A charge the clerk typed on a buyer's screen is the clerk's word: the
    // animal figured again keeps it (its bill with it) while the share's
    // hanging weight stands, and figures it again when the weight changes.
    void aTypedChargeStandsWhileTheShareWeightDoes()
    {
        Shop shop;
        AnimalValue beef;
        beef.live = QStringLiteral("1200");
        beef.shares = {buyer("Ann Carver", "half"), buyer("Bo Hale", "half")};
        shop.figure(beef);
        shop.tick(beef.shares[0], {ServiceId::Tenderising});
        AnimalFigures f = shop.figure(beef);
        const QString figured = beef.shares[0].estimate.row(ServiceId::Tenderising).charge.text;
        {
            Estimate e(shop.prices, shop.clock);
            e.setPriceListFlag(true);
            e.replace(beef.shares[0].estimate);
            e.setServiceCharge(ServiceId::Tenderising, QStringLiteral("241.67"));
            beef.shares[0].estimate = e.value();
        }
        f = shop.figure(beef);
        const EstimateValue& ann = beef.shares[0].estimate;
        QCOMPARE(ann.row(ServiceId::Tenderising).charge.text, QStringLiteral("241.67"));
        QCOMPARE(CentsOfBill(ann)->services, 24167);
        QVERIFY(ann.total.isCurrent());
        // Another weight: figured again by the rule.
        beef.live = QStringLiteral("1300");
        f = shop.figure(beef);
        const QString refigured = beef.shares[0].estimate.row(ServiceId::Tenderising).charge.text;
        QVERIFY(refigured != QStringLiteral("241.67"));
        QVERIFY(StrictNumber(refigured).value_or(0) > StrictNumber(figured).value_or(0));
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
        shop.prices.remove(PriceItem::ShareKill);
        f = shop.figure(hog);
        QVERIFY(!f.problems.isEmpty());
    }

    // The buyers' cut sheets of one animal: a keep it has one of kept by two,
    // or more of a quarter than it has, stands in the way of saving; a sheet
    // not filled yet takes no part.
    void theBuyersSheetsAreCheckedTogether()
    {
        Shop shop;
        AnimalValue beef;
        beef.live = QStringLiteral("1200");
        beef.shares = {buyer("Ann", "half"), buyer("Bo", "quarter"), buyer("Cy", "quarter")};
        QVERIFY(shop.figure(beef).problems.isEmpty());
        const auto fill = [&](int i, SheetPart part, QStringList keeps) {
            CutSheet sheet = SheetOf(beef.shares[i].estimate);
            sheet.part = part;
            sheet.keeps = std::move(keeps);
            beef.shares[i].estimate.cutSheet = sheet;
        };
        fill(0, SheetPart::Half, {QStringLiteral("Tongue"), QStringLiteral("Liver")});
        fill(1, SheetPart::FrontQuarter, {QStringLiteral("Tongue")});
        QCOMPARE(shop.figure(beef).problems,
                 QStringList{QStringLiteral("2 buyers keep the Tongue; the animal has one.")});
        fill(1, SheetPart::FrontQuarter, {QStringLiteral("Soup bones")});
        fill(2, SheetPart::FrontQuarter, {QStringLiteral("Soup bones")});
        QCOMPARE(shop.figure(beef).problems,
                 QStringList{QStringLiteral("The buyers hold more of the front quarters than the "
                                            "animal has.")});
        fill(2, SheetPart::HindQuarter, {QStringLiteral("Soup bones")});
        const AnimalFigures f = shop.figure(beef);
        QVERIFY2(f.problems.isEmpty(), qPrintable(f.problems.join('\n')));
        // Figuring the animal keeps each buyer's sheet as filled.
        QCOMPARE(beef.shares[2].estimate.cutSheet->part, SheetPart::HindQuarter);
    }

    void partsThatCannotBeAreTold()
    {
        Shop shop;
        AnimalValue beef;
        beef.live = QStringLiteral("1000");
        beef.shares = {buyer("A", "half"), buyer("B", "half"), buyer("C", "quarter")};
        QVERIFY(!shop.figure(beef).problems.isEmpty());
        beef.shares = {buyer("A", "split-side quarter")};
        shop.prices.remove(PriceItem::SplitSide);
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

        // A whole animal's final bill counts as weighed only when its hanging
        // weight was typed for it, not when only its services changed.
        Estimate e(shop.prices, shop.clock);
        e.setPriceListFlag(true);
        e.chooseSpecies(Species::Beef);
        e.setLiveWeight(QStringLiteral("1000"));
        EstimateRecord whole;
        whole.quoteState = e.value().toRecord();
        e.expand();
        e.clickService(ServiceId::Tenderising, true);
        whole.finalState = e.value().toRecord();
        FillBookFigures(whole);
        QCOMPARE(whole.weighedHanging, std::nullopt);
        e.setHangingWeight(QStringLiteral("590"));
        whole.finalState = e.value().toRecord();
        FillBookFigures(whole);
        QCOMPARE(whole.weighedHanging, std::optional<double>(590));
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

    // Four like quarters of a hog: the cent that dividing the animal leaves
    // goes to one buyer, in the processing line of its own bill, which the
    // shop's sheet prints the same.
    void theAnimalsCentsAreInTheProcessingLine()
    {
        Shop shop;
        AnimalValue hog;
        hog.species = Species::Pork;
        hog.tag = QStringLiteral("H-4");
        hog.live = QStringLiteral("250"); // 165 lb: 41.25 lb a quarter
        hog.shares = {buyer("A", "quarter"), buyer("B", "quarter"), buyer("C", "quarter"),
                      buyer("D", "quarter")};
        const AnimalFigures f = shop.figure(hog);
        QVERIFY(f.cents);
        QCOMPARE(f.cents->animal, 7805); // 17 + 165 lb at 0.37
        QCOMPARE(f.cents->shares, QList<std::int64_t>({1952, 1951, 1951, 1951}));
        QCOMPARE(hog.shares[0].estimate.processing.text, QStringLiteral("15.2625"));
        QCOMPARE(printedBill(Shop::page(hog.shares[0].estimate)).lines,
                 QList<std::int64_t>({425, 1527}));
        QCOMPARE(sheetRows(Shop::sheet(hog, f)).value(0).processing, 1527);
        QVERIFY(Summarize(hog.shares[0].estimate).shareNote.contains(QLatin1String("processing")));

        // The cent stays in the processing line when another of the buyer's
        // lines was rounded down more (cooling, 41.25 lb at 0.0801 = 3.304125).
        shop.prices.set(PriceItem::Cooling, 0.0801);
        shop.tick(hog.shares[0], {ServiceId::Cooling});
        shop.figure(hog);
        const PrintedBill page = printedBill(Shop::page(hog.shares[0].estimate));
        QCOMPARE(page.lines, QList<std::int64_t>({425, 1527, 330}));
        QCOMPARE(page.total, 2282);
    }

    // For random animals, parts and services, every reading of a share's
    // total agrees to the cent: its value, its record in the book, its
    // printed page and its lines, the shop's sheet and its lines; and the
    // animal is the sum of its shares and the part not sold.
    void everyReadingOfAShareAgrees()
    {
        Shop shop;
        QRandomGenerator random(28);
        const PartKind kinds[] = {PartKind::Half, PartKind::Quarter, PartKind::SplitSideQuarter,
                                  PartKind::Percent};
        const KillFeeSplit splits[] = {KillFeeSplit::ByPart, KillFeeSplit::OneBuyer,
                                       KillFeeSplit::PerShare};
        for (int round = 0; round < 150; ++round) {
            AnimalValue animal;
            animal.species = random.bounded(2) ? Species::Beef : Species::Pork;
            animal.tag = QStringLiteral("R-%1").arg(round);
            animal.live = NumberText(150 + random.bounded(140000) / 100.0);
            animal.killFee = splits[random.bounded(3)];
            int left = WholeAnimal;
            const int count = 1 + int(random.bounded(MostShares));
            for (int i = 0; i < count && left > 0; ++i) {
                SharePart part{kinds[random.bounded(4)], 0};
                if (part.kind == PartKind::Percent)
                    part.hundredths = 1 + int(random.bounded(left));
                if (part.ofWhole() > left)
                    part = SharePart{PartKind::Percent, left};
                left -= part.ofWhole();
                AnimalShare share;
                share.customer = QStringLiteral("Buyer %1").arg(i + 1);
                share.part = part;
                animal.shares << share;
            }
            animal.payer = int(random.bounded(int(animal.shares.size())));
            shop.figure(animal);
            // Each buyer's own services, as the Estimate screen figures them.
            for (AnimalShare& share : animal.shares) {
                const QList<ServiceId> offered =
                    animal.species == Species::Beef
                        ? QList<ServiceId>{ServiceId::Tenderising, ServiceId::MinuteSteaks,
                                           ServiceId::PaperWrapp}
                        : QList<ServiceId>{ServiceId::Cooling};
                for (const ServiceId id : offered)
                    if (random.bounded(2))
                        shop.tick(share, {id});
            }
            if (random.bounded(2)) {
                animal.firstSide = NumberText(100 + random.bounded(50000) / 100.0);
                animal.secondSide = NumberText(100 + random.bounded(50000) / 100.0);
            }
            const AnimalFigures f = shop.figure(animal);
            QVERIFY2(f.problems.isEmpty(), qPrintable(f.problems.join('\n')));
            QVERIFY(f.cents);
            QCOMPARE(sum(f.cents->shares) + f.cents->unsold, f.cents->animal);
            const QList<SheetRow> rows = sheetRows(Shop::sheet(animal, f));
            QCOMPARE(rows.size(), animal.shares.size() + (f.unsold.part > 0 ? 1 : 0));
            for (int i = 0; i < int(animal.shares.size()); ++i) {
                const EstimateValue& v = animal.shares[i].estimate;
                const std::int64_t total = *CentsOf(v.total.text);
                EstimateRecord record;
                record.quoteState = v.toRecord();
                FillBookFigures(record);
                const PrintedBill page = printedBill(Shop::page(v));
                const std::int64_t lines =
                    std::accumulate(page.lines.begin(), page.lines.end(), std::int64_t(0));
                const SheetRow& row = rows[i];
                const QString where = QStringLiteral("round %1, share %2").arg(round).arg(i + 1);
                QVERIFY2(f.cents->shares[i] == total && record.quoteCents == total &&
                             page.total == total && lines == total && row.total == total &&
                             row.kill + row.processing + row.services + row.surcharge == total,
                         qPrintable(where));
                // The page's lines are the sheet's, line for line.
                QVERIFY2(page.lines.value(0) == row.kill && page.lines.value(1) == row.processing &&
                             row.share ==
                                 QStringLiteral("%1 of %2").arg(i + 1).arg(animal.shares.size()),
                         qPrintable(where));
            }
            // One buyer's services changed from Saved Estimates (the estimate
            // alone figured): the animal opened again by its tag sums it.
            shop.tick(
                animal.shares[random.bounded(int(animal.shares.size()))],
                {animal.species == Species::Beef ? ServiceId::Tenderising : ServiceId::Cooling});
            const AnimalFigures opened =
                AnimalShares(shop.prices, shop.clock, true).sum(AnimalOf(animal.shares));
            QVERIFY(opened.cents);
            QCOMPARE(sum(opened.cents->shares) + opened.cents->unsold, opened.cents->animal);
            for (int i = 0; i < int(animal.shares.size()); ++i)
                QCOMPARE(opened.cents->shares[i], *CentsOf(animal.shares[i].estimate.total.text));
        }
    }

    // A share saved by the previous version kept its billed total (with its
    // surcharge and cents) beside the estimate's own: read back, its total is
    // that billed total, and its cents of the rounding are its own.
    void aShareOfThePreviousVersionIsReadAsBilled()
    {
        Shop shop;
        AnimalValue beef;
        beef.live = QStringLiteral("1000");
        beef.shares = {buyer("A", "split-side quarter"), buyer("B", "75")};
        shop.figure(beef);
        QJsonObject record =
            QJsonDocument::fromJson(beef.shares[0].estimate.toRecord().toUtf8()).object();
        record.insert(QStringLiteral("version"), 2);
        record.remove(QStringLiteral("likelyRatio"));
        QJsonObject share = record.value(QStringLiteral("share")).toObject();
        share.remove(QStringLiteral("leftover"));
        share.remove(QStringLiteral("takenOff"));
        share.insert(QStringLiteral("total"), QStringLiteral("63.01"));
        record.insert(QStringLiteral("share"), share);
        QJsonObject total = record.value(QStringLiteral("total")).toObject();
        total.insert(QStringLiteral("text"), QStringLiteral("50.5")); // 4.25 + 46.25
        record.insert(QStringLiteral("total"), total);
        const auto read = EstimateValue::fromRecord(
            QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact)));
        QVERIFY(read);
        QCOMPARE(read->total.text, QStringLiteral("63.01"));
        QCOMPARE(read->share->surcharge.text, QStringLiteral("12.5"));
        QCOMPARE(read->share->leftover, QStringLiteral("0.01"));
        // Figured again, it bills the same.
        Estimate e(shop.prices, shop.clock);
        e.setPriceListFlag(true);
        e.replace(*read);
        e.refigureTotal();
        QCOMPARE(e.value().total.text, QStringLiteral("63.01"));
    }

    // The likely range is one rule, told plainly: a quote figured at half the
    // live weight is told that its bill is usually higher; there is no range
    // to give for a flat deer charge, a hanging weight typed (weighed) or a
    // share weighed after the kill. And quotes follow a middle adopted for them.
    void quotesFollowTheShopsRules()
    {
        Shop shop;
        SetRules rules;
        Estimate e(shop.prices, shop.clock, rules);
        e.setPriceListFlag(true);
        e.chooseSpecies(Species::Beef);
        e.setLiveWeight(QStringLiteral("1200"));
        auto range = Likely(e.value());
        QVERIFY(range);
        QCOMPARE(range->caution, QStringLiteral("The bill is usually higher: hanging weight is "
                                                "often 58–64 % of live weight; this quote "
                                                "counts 50 %."));
        // Inside the range, nothing to warn of.
        rules.beef = {0.45, 0.55, 0};
        e.setLiveWeight(QStringLiteral("1201"));
        QVERIFY(Likely(e.value())->caution.isEmpty());
        QCOMPARE(e.value().likelyRatio, rules.beef); // the shop's range as it stands
        // What is saved is what was shown: the book's range is the value's.
        EstimateRecord record;
        record.quoteState = e.keptForSaving(shop.clock.now()).toRecord();
        FillBookFigures(record);
        QCOMPARE(record.likelyLow, std::optional<qint64>(Likely(e.value())->totalLow));
        // A saved quote keeps the range it was given.
        e.markSaved(*EstimateValue::fromRecord(record.quoteState));
        rules.beef = {0.6, 0.7, 0};
        e.setLiveWeight(QStringLiteral("1200"));
        QCOMPARE(e.value().likelyRatio, HangingRatio({0.45, 0.55, 0}));

        // A hanging weight typed for the bill: no range.
        e.setHangingWeight(QStringLiteral("700"));
        QVERIFY(!Likely(e.value()));
        // Deer at its flat charge: none; at the built-in price per pound, one.
        Estimate deer(shop.prices, shop.clock);
        deer.setPriceListFlag(true);
        deer.chooseSpecies(Species::Deer);
        deer.setLiveWeight(QStringLiteral("150"));
        QVERIFY(!Likely(deer.value()));
        deer.setPriceListFlag(false);
        QVERIFY(Likely(deer.value()));
        // A share weighed after the kill: none.
        AnimalValue beef;
        beef.live = QStringLiteral("1000");
        beef.shares = {buyer("A", "half"), buyer("B", "half")};
        shop.figure(beef);
        QVERIFY(Likely(beef.shares[0].estimate));
        beef.weighed = QStringLiteral("600");
        shop.figure(beef);
        QVERIFY(!Likely(beef.shares[0].estimate));

        // Quotes that learn: a middle adopted for quotes figures the hanging
        // weight of new quotes, and their hint names it; a saved quote keeps
        // its factor; until one is adopted the screen's own factors stand.
        rules.beef = DefaultRatio(Species::Beef);
        e.clear();
        e.chooseSpecies(Species::Beef);
        e.setLiveWeight(QStringLiteral("1000"));
        QCOMPARE(e.hangingWeight(), QStringLiteral("500"));
        QCOMPARE(e.speciesHint(), QStringLiteral("About 1/2 Of Live Weight"));
        const EstimateValue saved = e.keptForSaving(shop.clock.now());

        rules.beefFactor = 0.61;
        e.chooseSpecies(Species::Pork);
        QCOMPARE(e.speciesHint(), QStringLiteral("About 2/3 Of Live Weight"));
        e.chooseSpecies(Species::Beef);
        QCOMPARE(e.hangingWeight(), QStringLiteral("610"));
        QCOMPARE(e.speciesHint(), QStringLiteral("About 61 % Of Live Weight"));
        QVERIFY(Likely(e.value())->caution.isEmpty());

        e.replace(saved);
        e.chooseSpecies(Species::Beef);
        e.setLiveWeight(QStringLiteral("1100"));
        QCOMPARE(e.hangingWeight(), QStringLiteral("550")); // quoted at a half, kept

        // An animal sold in shares is figured at the same factor.
        beef.weighed.clear();
        QCOMPARE(AnimalShares(shop.prices, shop.clock, true, rules).figure(beef).hanging,
                 QStringLiteral("610"));
    }

    // The shop's settings kept with its prices are the rules of its quotes:
    // a range that may not be stands for nothing, and a middle figures the
    // quotes only when adopted for them and within what a factor may be.
    void theStoresSettingsAreTheRulesOfItsQuotes_data()
    {
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QList<double>>("ratio"); // low, high, middle
        QTest::addColumn<double>("factor");       // 0: the screen's own
        const HangingRatio beef = DefaultRatio(Species::Beef);
        const QList<double> published = {beef.low, beef.high, beef.middle};
        QTest::newRow("none set") << QString() << published << 0.0;
        QTest::newRow("a range") << "0.59 0.63" << QList<double>{0.59, 0.63, 0} << 0.0;
        QTest::newRow("a middle, not for quotes")
            << "0.59 0.63 0.61" << QList<double>{0.59, 0.63, 0.61} << 0.0;
        QTest::newRow("a middle for quotes")
            << "0.59 0.63 0.61 quotes" << QList<double>{0.59, 0.63, 0.61} << 0.61;
        QTest::newRow("a middle no factor may be")
            << "0.59 0.63 0.95 quotes" << QList<double>{0.59, 0.63, 0.95} << 0.0;
        QTest::newRow("a range that may not be") << "0.7 0.6 0.65 quotes" << published << 0.0;
        QTest::newRow("not a range") << "sixty" << published << 0.0;
    }
    void theStoresSettingsAreTheRulesOfItsQuotes()
    {
        QFETCH(QString, kept);
        QFETCH(QList<double>, ratio);
        QFETCH(double, factor);
        MemoryPrices prices;
        if (!kept.isEmpty())
            prices.settings = ShopWideSettings::fromRows({{QStringLiteral("BeefRatio"), kept}});
        const StoreRules rules(prices);
        const HangingRatio beef = rules.ratio(Species::Beef);
        QCOMPARE((QList<double>{beef.low, beef.high, beef.middle}), ratio);
        QCOMPARE(rules.adoptedFactor(Species::Beef),
                 factor > 0 ? std::optional<double>(factor) : std::nullopt);
        QCOMPARE(rules.ratio(Species::Pork), DefaultRatio(Species::Pork));
        QCOMPARE(QuoteFactor(rules, Species::Beef), factor > 0 ? factor : 0.5);
    }

    // Adopting the measured ranges: the report's figures to two decimals, the
    // same that it prints (0.695 is 0.70 in both); a middle adopted before
    // stays when none is adopted now; too few weighed animals set nothing.
    void adoptingSetsTheFiguresTheReportPrints()
    {
        ShopWideSettings shop;
        AccuracyReport report;
        SpeciesAccuracy pork;
        pork.species = QStringLiteral("Pork");
        pork.weighed = 6;
        pork.ratio = Spread{0.695, 0.7149, 0.735};
        SpeciesAccuracy beef;
        beef.species = QStringLiteral("Beef");
        beef.weighed = 4;
        beef.ratio = Spread{0.58, 0.6, 0.62};
        report.species = {beef, pork};

        QList<Adoption> adopted = Adoptions(report, true, true, shop);
        QCOMPARE(adopted[0].outcome, Adoption::TooFew);
        QCOMPARE(adopted[1].outcome, Adoption::Set);
        QCOMPARE(RatioText(pork.ratio->low), QStringLiteral("0.70")); // as the report prints it
        QCOMPARE(QList<double>({adopted[1].setting.low, adopted[1].setting.middle}),
                 QList<double>({0.70, 0.71}));
        shop.ratios.insert(QStringLiteral("Pork"), adopted[1].setting);

        // Adopted again without the middle: the one adopted before stays.
        pork.ratio = Spread{0.66, 0.69, 0.7};
        report.species = {pork};
        adopted = Adoptions(report, false, false, shop);
        QCOMPARE(QList<double>({adopted[0].setting.low, adopted[0].setting.middle}),
                 QList<double>({0.66, 0.71}));
        QVERIFY(adopted[0].setting.forQuotes);
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
