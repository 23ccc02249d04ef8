// A cut sheet filled at the counter: each change of a choice (a primal's use,
// its thickness, boneless, the ground meat's lean, a keep) with the sheet's
// contradictions told and the take-home figured again, as the sheet's
// window does at every change, over the shop's master and yields read from
// a price list file that keeps them (the master's text read at each change).
//
//   bench_cut_sheet PRICE-LIST [CHANGES]
//
// Prints: cut_sheet.count=...  cut_sheet.median_us=...  cut_sheet.p99_us=...

#include "estimate/quote_rules.h"
#include "estimate/take_home.h"
#include "measure.h"
#include "pricelist/price_list.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_cut_sheet PRICE-LIST [CHANGES]\n");
        return 2;
    }
    const int changes = argc > 2 ? std::atoi(argv[2]) : 10000;
    PriceList prices(QString::fromLocal8Bit(argv[1]));
    if (prices.open() != PriceSource::OpenResult::Opened) {
        std::fprintf(stderr, "bench_cut_sheet: %s\n", qPrintable(prices.openProblem()));
        return 1;
    }
    // The shop's own master and yields, as the owner keeps them.
    ShopWideSettings settings = prices.shopSettings();
    settings.cutSheets.insert(QStringLiteral("Beef"),
                              CutMaster::Sample(QStringLiteral("Beef")).text());
    settings.yields.insert(QStringLiteral("Beef"), QStringLiteral("measured 0.97 0.98 1.02"));
    if (!prices.saveShopSettings(settings).done()) {
        std::fprintf(stderr, "bench_cut_sheet: the settings were not saved\n");
        return 1;
    }
    const StoreRules rules(prices);

    EstimateValue quote;
    quote.species = Species::Beef;
    quote.weightFactor = 0.5;
    quote.live = QStringLiteral("1200");
    quote.hanging = Figure::figured(QStringLiteral("600"));
    quote.likelyRatio = {0.58, 0.64, 0};
    quote.cutSheet = SheetOf(quote);
    const CutMaster sample = CutMaster::Sample(QStringLiteral("Beef"));
    double sink = 0;
    const std::vector<double> each = timedEach(changes, [&](int k) {
        CutSheet& sheet = *quote.cutSheet;
        const Primal& p = sample.primals[k % sample.primals.size()];
        PrimalChoice c = ChoiceFor(sheet, p);
        c.use = p.uses[(k / 9) % p.uses.size()];
        c.thickness = (k % 3) * 0.25;
        c.boneless = k % 2;
        sheet.choices.removeIf([&](const PrimalChoice& o) { return o.primal == p.name; });
        sheet.choices << c;
        sheet.lean = sample.leanness[k % sample.leanness.size()];
        sheet.keeps = {sample.keeps[k % sample.keeps.size()]};
        // What the window does at the change: the master, the sheet's
        // contradictions and the take-home.
        const CutMaster master = rules.master(Species::Beef);
        sink += Contradictions(sheet, master).size();
        sink += TakeHomeOf(quote, master, rules.yields(Species::Beef)).value().high;
    });
    std::printf("cut_sheet.count=%d\ncut_sheet.median_us=%.1f\ncut_sheet.p99_us=%.1f\n", changes,
                percentile(each, 0.5), percentile(each, 0.99));
    return sink > 0 ? 0 : 1;
}
