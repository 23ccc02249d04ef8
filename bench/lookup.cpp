// One price lookup (PriceList::lookupCost) in price lists of different sizes.
//
//   bench_lookup [CASE...]
//   bench_lookup --server URL CASE
//
// Each price list is the sample one, its rows put after filler items so that
// Charges1 holds the wanted number of rows and the looked-up item (PorkTrim)
// is the last row stored. It is measured as the sample file is made, with an
// index on Item, and as a file made by another tool may be, without one.
// Prints, per case, lookup.CASE.median_us, .p99_us and .count. The cases are
// rows20, rows100000, rows20_noindex and rows100000_noindex; all of them
// unless some are named.
//
// With --server, the price list of the one case named is copied into the
// PostgreSQL database at URL (postgresql://user@host:port/database, empty:
// its tables not made yet), with its index on Item, and looked up there; the
// case is printed as CASE_server. The copy stays, for other benchmarks.
//
//   bench_lookup --far URL
//
// The price list at URL (copied there by an earlier --server run) reached
// through a relay that holds what passes 50 ms each way, as a hosted server
// far from the shop: the connection (lookup.far.open_ms), the first lookup
// of items (lookup.far.first_median_us), and then, the link gone silent and
// a change cut at the time limit, lookups while the server is out of reach
// (lookup.unreachable.median_us).

#include "far_link.h"
#include "measure.h"
#include "pricelist/price_list.h"
#include "pricelist/price_list_setup.h"
#include "test_price_list.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

const QString Wanted = QStringLiteral("PorkTrim");

// The rows of the sample price list, however many it holds.
int sampleRows()
{
    TestPriceList sample;
    sample.withSample();
    return int(sample.rows().size());
}

// The sample rows after `rows - sampleRows()` filler rows (none when the
// sample holds that many already), the wanted item stored last.
void fill(TestPriceList& list, int rows, bool index)
{
    list.withSample();
    list.sql({QStringLiteral("Create Table SampleRows As Select * From Charges1"),
              QStringLiteral("Delete From Charges1"),
              QStringLiteral("With Recursive n(i) As (Select 1 Union All Select i + 1 From n "
                             "Where i < %1) Insert Into Charges1 (Item, Cost, Category) Select "
                             "'Filler Item ' || i, i % 1000 / 100.0, 'Filler' From n Where i <= %1")
                  .arg(std::max(0, rows - sampleRows())),
              QStringLiteral("Insert Into Charges1 Select * From SampleRows Where Item <> '%1'")
                  .arg(Wanted),
              QStringLiteral("Insert Into Charges1 Select * From SampleRows Where Item = '%1'")
                  .arg(Wanted),
              QStringLiteral("Drop Table SampleRows")});
    if (!index)
        list.sql({QStringLiteral("Drop Index Charges1_Item")});
    list.sql({QStringLiteral("Vacuum")});
    const QStringList stored = list.rows();
    if (stored.size() != rows || !stored.last().startsWith(Wanted + QLatin1Char('|'))) {
        std::fprintf(stderr, "bench_lookup: the price list was not made as planned\n");
        std::exit(1);
    }
}

// The price list file copied into the server's database at `url`.
void copyToServer(const TestPriceList& list, const QString& url, int rows)
{
    StoreResult done = PriceListSetup::CreatePriceTable(url);
    int copied = 0;
    QStringList notes;
    if (done.done())
        done = PriceListSetup::CopyPrices(list.path(), url, &copied, &notes);
    if (!done.done() || copied != rows) {
        std::fprintf(stderr, "bench_lookup: the price list was not copied to %s: %s\n",
                     qPrintable(url), qPrintable(done.problem));
        std::exit(1);
    }
}

bool measure(const QString& name, int rows, bool index, int lookups, const QString& server)
{
    TestPriceList list;
    fill(list, rows, index);
    if (!server.isEmpty())
        copyToServer(list, server, rows);
    PriceList prices(server.isEmpty() ? list.path() : server);
    if (prices.open() != PriceList::OpenResult::Opened) {
        std::fprintf(stderr, "bench_lookup: %s\n", qPrintable(prices.openProblem()));
        return false;
    }
    using Clock = std::chrono::steady_clock;
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(lookups));
    const int warmUp = std::max(1, lookups / 100);
    for (int k = 0; k < warmUp + lookups; ++k) {
        const auto before = Clock::now();
        const CostLookup found = prices.lookupCost(Wanted);
        const auto after = Clock::now();
        if (!found.found() || found.cost != 1.2) {
            std::fprintf(stderr, "bench_lookup: %s: %s\n", qPrintable(name),
                         qPrintable(found.problem));
            return false;
        }
        if (k >= warmUp)
            times.push_back(std::chrono::duration<double, std::micro>(after - before).count());
    }
    std::printf("lookup.%s.count=%zu\n", qPrintable(name), times.size());
    std::printf("lookup.%s.median_us=%.2f\n", qPrintable(name), percentile(times, 0.5));
    std::printf("lookup.%s.p99_us=%.2f\n", qPrintable(name), percentile(times, 0.99));

    // The first lookup of each item: the price list has not answered it
    // before, so it goes to SQLite. Each filler item once, in a scattered order.
    const int fillers = rows - sampleRows();
    const int distinct = std::min(fillers, lookups);
    std::vector<double> first;
    first.reserve(static_cast<std::size_t>(distinct));
    for (int k = 0; k < distinct; ++k) {
        const int n = 1 + int((static_cast<long long>(k) * 7919) % fillers);
        const QString item = QStringLiteral("Filler Item %1").arg(n);
        const auto before = Clock::now();
        const CostLookup found = prices.lookupCost(item);
        const auto after = Clock::now();
        if (!found.found()) {
            std::fprintf(stderr, "bench_lookup: %s: %s\n", qPrintable(name),
                         qPrintable(found.problem));
            return false;
        }
        first.push_back(std::chrono::duration<double, std::micro>(after - before).count());
    }
    std::printf("lookup.%s.first_count=%zu\n", qPrintable(name), first.size());
    if (first.empty()) // the sample alone: no item that was not looked up yet
        return true;
    std::printf("lookup.%s.first_median_us=%.2f\n", qPrintable(name), percentile(first, 0.5));
    std::printf("lookup.%s.first_p99_us=%.2f\n", qPrintable(name), percentile(first, 0.99));
    return true;
}

bool measureFar(const QString& url)
{
    FarLink link(url, 50);
    PriceList prices(link.url());
    const auto open = timedEach(1, [&](int) { prices.open(); });
    const int openSends = link.sends();
    if (!prices.isOpen()) {
        std::fprintf(stderr, "bench_lookup: %s\n", qPrintable(prices.openProblem()));
        return false;
    }
    bool found = true;
    const auto first = timedEach(200, [&](int k) {
        found = found && prices.lookupCost(QStringLiteral("Filler Item %1").arg(1 + k * 7)).found();
    });
    const bool lost = link.loseServer(prices);
    const auto unreachable = timedEach(1000, [&](int) { prices.lookupCost(Wanted); });
    if (!found || !lost || !prices.outOfReach()) {
        std::fprintf(stderr, "bench_lookup: the far price list did not behave as planned\n");
        return false;
    }
    std::printf("lookup.far.open_ms=%.2f\n", open[0] / 1000);
    std::printf("lookup.far.open_round_trips=%d\n", openSends);
    std::printf("lookup.far.first_median_us=%.2f\n", percentile(first, 0.5));
    std::printf("lookup.far.first_p99_us=%.2f\n", percentile(first, 0.99));
    std::printf("lookup.unreachable.median_us=%.2f\n", percentile(unreachable, 0.5));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    struct Case {
        const char* name;
        int rows;
        bool index;
        int lookups;
    };
    const Case cases[] = {
        {"rows20", 20, true, 20000},
        {"rows100000", 100000, true, 20000},
        {"rows20_noindex", 20, false, 20000},
        {"rows100000_noindex", 100000, false, 200},
    };
    QStringList wanted = app.arguments().mid(1);
    if (wanted.value(0) == QLatin1String("--far"))
        return wanted.size() == 2 && measureFar(wanted[1]) ? 0 : 1;
    QString server;
    if (wanted.value(0) == QLatin1String("--server")) {
        server = wanted.value(1);
        wanted = wanted.mid(2);
        if (server.isEmpty() || wanted.size() != 1 ||
            wanted[0].endsWith(QLatin1String("_noindex"))) {
            std::fprintf(stderr, "usage: bench_lookup --server URL rows20|rows100000\n");
            return 2;
        }
    }
    QStringList unknown = wanted;
    for (const Case& c : cases) {
        const QString name = QLatin1String(c.name);
        unknown.removeAll(name);
        if (!wanted.isEmpty() && !wanted.contains(name))
            continue;
        if (!measure(server.isEmpty() ? name : name + QLatin1String("_server"), c.rows, c.index,
                     c.lookups, server))
            return 1;
    }
    if (!unknown.isEmpty()) {
        std::fprintf(stderr, "bench_lookup: no case %s\n",
                     qPrintable(unknown.join(QLatin1Char(' '))));
        return 2;
    }
    return 0;
}
