#include "book/estimate_book.h"
#include "core/money.h"
#include "core/numbers.h"
#include "core/shop_settings.h"
#include "estimate/book_figures.h"
#include "estimate/likely_range.h"
#include "estimate/service_catalog.h"
#include "estimate/yield_check.h"
#include "pricelist/price_list.h"
#include "tools/tool.h"

#include <QDate>
#include <QMap>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace Tool {

namespace {

// The species that the book reports on, in the order of the report.
const QStringList ReportSpecies = {QStringLiteral("Beef"), QStringLiteral("Pork"),
                                   QStringLiteral("Deer")};

// The days and the species that report's options give; no value, and the
// problem in a plain sentence, when they are wrong.
std::optional<ReportRange> reportRange(const Invocation& call, QString* problem)
{
    ReportRange range;
    if (!givenDays(call, &range.from, &range.to, problem))
        return std::nullopt;
    if (call.species) {
        for (const QString& species : ReportSpecies)
            if (call.species->trimmed().compare(species, Qt::CaseInsensitive) == 0)
                range.species = species;
        if (range.species.isEmpty()) {
            *problem = QStringLiteral("There is no species \"%1\" in the book: give Beef, Pork "
                                      "or Deer.")
                           .arg(*call.species);
            return std::nullopt;
        }
    }
    return range;
}

// "from 2025-01-01 to 2025-06-30", "every day"; then the species.
QString rangeWords(const ReportRange& range)
{
    const auto day = [](const QDate& d) {
        return d.toString(Qt::ISODate);
    };
    QString days = QStringLiteral("every day");
    if (range.from.isValid() && range.to.isValid())
        days = QStringLiteral("from %1 to %2").arg(day(range.from), day(range.to));
    else if (range.from.isValid())
        days = QStringLiteral("from %1 on").arg(day(range.from));
    else if (range.to.isValid())
        days = QStringLiteral("up to %1").arg(day(range.to));
    return QStringLiteral("%1, %2").arg(
        days, range.species.isEmpty() ? QStringLiteral("every species")
                                      : range.species.toLower() + QStringLiteral(" only"));
}

// A share as a percentage: "60 %", or with one decimal and its sign, "+4.0 %".
QString percentText(double share)
{
    return QStringLiteral("%1 %").arg(std::lround(share * 100));
}
QString signedPercentText(double share)
{
    QString text = QString::number(share * 100, 'f', 1);
    if (text == QLatin1String("-0.0"))
        text = QStringLiteral("0.0");
    else if (!text.startsWith(QLatin1Char('-')) && text != QLatin1String("0.0"))
        text.prepend(QLatin1Char('+'));
    return text + QStringLiteral(" %");
}

// "Paper Wrapp (2), Tenderising (1)": the most often first; "none".
QString servicesText(const QMap<int, int>& counts)
{
    QList<std::pair<int, int>> services; // the service's number, how many bills
    for (auto it = counts.begin(); it != counts.end(); ++it)
        services.append({it.key(), it.value()});
    if (services.isEmpty())
        return QStringLiteral("none");
    std::stable_sort(services.begin(), services.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    QStringList words;
    for (const auto& [number, bills] : services) {
        const QString caption = number >= 0 && number < ServiceCount
                                    ? ServiceCaption(Service(ServiceId(number)))
                                    : QStringLiteral("service %1").arg(number);
        words << QStringLiteral("%1 (%2)").arg(caption).arg(bills);
    }
    return words.join(QStringLiteral(", "));
}

// One species' part of the report.
void showAccuracy(const SpeciesAccuracy& s)
{
    const auto line = [](const QString& label, const QString& value) {
        say(QStringLiteral("  ") + label.leftJustified(28) + value);
    };
    say(s.species);
    line(QStringLiteral("Estimates"), QString::number(s.estimates));
    if (s.billed == 0) {
        say(QStringLiteral("  No final bills yet: there is nothing to compare the quotes with."));
        return;
    }
    line(QStringLiteral("Final bills"),
         QStringLiteral("%1 of %2 (%3)")
             .arg(s.billed)
             .arg(s.estimates)
             .arg(percentText(double(s.billed) / double(std::max(s.estimates, s.billed)))));
    if (s.ratio)
        line(QStringLiteral("Hanging ÷ live weight"),
             QStringLiteral("median %1, 10th to 90th percentile %2 to %3 (%4 weighed)")
                 .arg(RatioText(s.ratio->median), RatioText(s.ratio->low), RatioText(s.ratio->high),
                      counted(s.weighed, QStringLiteral("animal"))));
    else
        line(QStringLiteral("Hanging ÷ live weight"),
             QStringLiteral("nothing weighed: no final bill has a hanging weight weighed after "
                            "the kill"));
    const int compared = int(s.finalOverQuote.size());
    if (compared == 0) {
        line(QStringLiteral("Final bill against quote"),
             QStringLiteral("no final bill has a quote to compare with"));
    } else {
        line(QStringLiteral("Final bill against quote"),
             QStringLiteral("median %1 (%2)")
                 .arg(SignedMoneyText(s.medianDifference),
                      signedPercentText(s.medianDifferenceShare)));
        const auto within = [&](double share) {
            return QStringLiteral("%1 of %2 (%3)")
                .arg(std::lround(share * compared))
                .arg(compared)
                .arg(percentText(share));
        };
        line(QStringLiteral("Within ±5 % of the quote"), within(s.within5));
        line(QStringLiteral("Within ±10 % of the quote"), within(s.within10));
    }
    line(QStringLiteral("Services added"), servicesText(s.added));
    line(QStringLiteral("Services dropped"), servicesText(s.dropped));
}

// Sets each species' range of the hanging weight from its weighed bills, in
// the shop's settings kept with the price list at `store`.
int adoptRatios(const QString& store, const AccuracyReport& report, bool middle, bool forQuotes)
{
    // A price list that cannot be opened refuses the save, when there is
    // anything to save.
    PriceList shop(store);
    const bool opened = shop.open() == PriceList::OpenResult::Opened;
    QList<Adoption> adoptions;
    if (const StoreResult saved = AdoptRanges(shop, report, middle, forQuotes, &adoptions);
        !saved.done())
        return complain(opened ? saved.problem
                               : QStringLiteral("No range was set: %1").arg(shop.openProblem()));
    int set = 0;
    QStringList notSet;
    for (const Adoption& a : adoptions) {
        const QString name = a.species.toLower();
        if (a.outcome == Adoption::TooFew) {
            notSet << QStringLiteral("The %1 range was not set: %2 in the report, and it "
                                     "takes at least %3.")
                          .arg(name, counted(a.weighed, QStringLiteral("weighed animal")))
                          .arg(FewestWeighed);
            continue;
        }
        if (a.outcome == Adoption::NotAllowed) {
            notSet << QStringLiteral("The %1 range measured, %2 to %3, was not set: %4")
                          .arg(name, RatioText(a.setting.low), RatioText(a.setting.high),
                               a.problem);
            continue;
        }
        const QString of = a.species == QLatin1String("Deer") ? QStringLiteral("field-dressed")
                                                              : QStringLiteral("live");
        QString middleWords;
        if (a.setting.middle > 0)
            middleWords = QStringLiteral(", middle %1").arg(RatioText(a.setting.middle));
        if (a.setting.forQuotes && a.setting.middle > 0)
            middleWords += QStringLiteral(", which figures its quotes");
        say(QStringLiteral("Set the %1 hanging weight to %2 to %3 of the %4 weight%5 (the 10th "
                           "to 90th percentile of %6; it was %7 to %8%9).")
                .arg(name, RatioText(a.setting.low), RatioText(a.setting.high), of, middleWords,
                     counted(a.weighed, QStringLiteral("weighed animal")), RatioText(a.before.low),
                     RatioText(a.before.high),
                     a.beforeIsShops ? QString() : QStringLiteral(", the published figures")));
        ++set;
    }
    for (const QString& words : notSet)
        complain(words);
    if (set == 0)
        return complain(report.species.isEmpty()
                            ? QStringLiteral("No range was set: there are no estimates in that "
                                             "range.")
                            : QStringLiteral("No range was set."));
    say(QStringLiteral("Saved with the price list in %1, the same for every counter.")
            .arg(shop.describe()));
    return Done;
}

// The take-home the quotes gave against the packaged weights recorded at
// pickup, for the orders killed in the report's days; with --adopt-yields,
// the measured yields set as the shop's.
int reportYields(const Invocation& call, EstimateBook& book, const ReportRange& range)
{
    PriceList shop(call.priceListPath);
    const bool opened = shop.open() == PriceList::OpenResult::Opened;
    const StoreRules rules(shop);
    QString problem;
    QList<YieldCheck> checks =
        CheckYields(book, rules, range.from.isValid() ? range.from : QDate(1900, 1, 1),
                    range.to.isValid() ? range.to : QDate(9999, 12, 31), &problem);
    if (!problem.isEmpty())
        return complain(problem);
    checks.removeIf([&](const YieldCheck& c) {
        return !range.species.isEmpty() && c.species != range.species;
    });
    say(QString());
    say(QStringLiteral("Take-home quoted against the meat packed at pickup:"));
    if (checks.isEmpty())
        say(QStringLiteral("No order killed in that range was picked up with its packaged weight "
                           "recorded."));
    for (const YieldCheck& c : checks)
        say(c.words() + QLatin1Char('.'));
    if (!call.adoptYields)
        return Done;
    QStringList adopted;
    if (const StoreResult saved = AdoptYields(shop, checks, &adopted); !saved.done())
        return complain(opened ? saved.problem
                               : QStringLiteral("No yields were set: %1").arg(shop.openProblem()));
    for (const YieldCheck& c : checks) {
        if (const std::optional<Yields> y = c.adoptable(); y && adopted.contains(c.species))
            say(QStringLiteral("Set the %1 yields to %2 of the published figures, one carcass %3 "
                               "to %4 of that (from %5).")
                    .arg(c.species.toLower(), RatioText(y->measured), RatioText(y->low),
                         RatioText(y->high),
                         counted(int(c.measured.size()), QStringLiteral("weighed pickup"))));
        else
            complain(QStringLiteral("The %1 yields were not set: %2 in the report, and it takes "
                                    "at least %3.")
                         .arg(c.species.toLower(),
                              counted(int(c.measured.size()), QStringLiteral("weighed pickup")))
                         .arg(FewestPickups));
    }
    if (adopted.isEmpty())
        return complain(QStringLiteral("No yields were set."));
    say(QStringLiteral("Saved with the price list in %1, the same for every counter.")
            .arg(shop.describe()));
    return Done;
}

int runReport(const Invocation& call)
{
    QString problem;
    const std::optional<ReportRange> range = reportRange(call, &problem);
    if (!range)
        return complain(problem, Usage);
    EstimateBook book(EstimateBook::pathBeside(call.priceListPath));
    AccuracyReport report = book.report(*range, &problem);
    if (!problem.isEmpty())
        return complain(problem);
    // Estimates saved before the book kept its figures: filled in from their
    // states first, once.
    if (report.notFigured > 0) {
        const int filled = book.fillFigures(FillBookFigures, &problem);
        if (filled < 0)
            complain(QStringLiteral("%1 saved by an earlier version could not be counted: their "
                                    "figures could not be filled in. %2")
                         .arg(counted(report.notFigured, QStringLiteral("estimate")), problem));
        else if (const AccuracyReport again = book.report(*range, &problem); problem.isEmpty())
            report = again;
        else
            return complain(problem);
    }
    say(QStringLiteral("Quotes against final bills, %1: the saved estimates in the %2.")
            .arg(rangeWords(*range), book.location().isServer()
                                         ? book.location().described()
                                         : QStringLiteral("file %1").arg(book.path())));
    if (report.species.isEmpty()) {
        const QString estimates =
            range->species.isEmpty() ? QStringLiteral("estimates of beef, pork or deer")
                                     : QStringLiteral("%1 estimates").arg(range->species.toLower());
        say(range->from.isValid() || range->to.isValid()
                ? QStringLiteral("No %1 were saved in that range.").arg(estimates)
                : QStringLiteral("No %1 have been saved yet.").arg(estimates));
    }
    for (const SpeciesAccuracy& s : report.species) {
        say(QString());
        showAccuracy(s);
    }
    if (report.species.size() > 1) {
        say(QString());
        say(QStringLiteral("In all: %1, %2.")
                .arg(counted(report.estimates, QStringLiteral("estimate")),
                     counted(report.billed, QStringLiteral("final bill"))));
    }
    if (report.notFigured > 0)
        say(QStringLiteral("Not counted: %1 saved by an earlier version.")
                .arg(counted(report.notFigured, QStringLiteral("estimate"))));
    if (call.adopt) {
        say(QString());
        if (const int adopted =
                adoptRatios(call.priceListPath, report, call.middle, call.forQuotes);
            adopted != Done)
            return adopted;
    }
    return reportYields(call, book, *range);
}

QString checkReport(const Invocation& call)
{
    if (call.middle && !call.adopt)
        return QStringLiteral("--middle goes with --adopt: it sets the measured middle beside the "
                              "range that --adopt sets.");
    if (call.forQuotes && !call.middle)
        return QStringLiteral("--use-for-quotes goes with --adopt --middle: the quotes figure the "
                              "hanging weight at the measured middle.");
    QString problem;
    reportRange(call, &problem);
    return problem;
}

} // namespace

const Command& ReportCommand()
{
    static const Command command{
        "report",
        "report [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--species Beef|Pork|Deer] [--adopt "
        "[--middle [--use-for-quotes]]] [--adopt-yields]",
        "Tells how near the quotes came to the final bills.",
        "Reads the saved estimates kept with the price list (the Estimates.db beside the\n"
        "file, or the same server) and tells, for each species: how many estimates were\n"
        "saved and how many reached a final bill; the hanging weight weighed after the\n"
        "kill as a share of the live (or field-dressed) weight, its median and its 10th\n"
        "to 90th percentile; the final bill against the quote (the median difference in\n"
        "money and percent, the share within 5 % and within 10 % of the quote); and the\n"
        "services added or dropped between the quote and the final bill. --from and --to\n"
        "take the days the estimates were first saved, both included; --species one\n"
        "species. Estimates saved by an earlier version get their figures filled in\n"
        "first.\n"
        "\n"
        "--adopt then sets the shop's range of the hanging weight for each species with\n"
        "at least {fewest} weighed animals in the report (an animal sold in shares counts\n"
        "once): the measured 10th to 90th percentile, to two decimals as the report\n"
        "prints it, which the likely range of every quote uses. With --middle, the\n"
        "median is set too, as the measured middle (without it, a middle set before\n"
        "stays); with --use-for-quotes as well, new quotes figure the hanging weight at\n"
        "that middle instead of the screen's own share of the live weight (a saved\n"
        "estimate keeps the share it was quoted with). A range outside {lowest} to\n"
        "{highest} of the live weight is refused. They are kept with the price list,\n"
        "the same for every counter, and a backup carries them.\n"
        "\n"
        "Then the take-home: for each species, how many orders killed in the days given\n"
        "were picked up with their packaged weight recorded, how many of them fell within\n"
        "the take-home their quotes gave (at the shop's yields as they stand), and the\n"
        "packaged weight against the meat the weighed hanging weight gives at the\n"
        "published yields (its median and 10th to 90th percentile). --adopt-yields sets\n"
        "those as the shop's yields for each species with at least {pickups} weighed\n"
        "pickups: the take-home of every quote is figured with them from then on.\n"
        "\n"
        "Examples:\n"
        "  locker-pricelist report\n"
        "  locker-pricelist report --from 2025-01-01 --to 2025-12-31 --species Beef\n"
        "  locker-pricelist report --from 2025-01-01 --adopt --middle\n"
        "  locker-pricelist report --adopt --middle --use-for-quotes\n"
        "  locker-pricelist report --species Beef --adopt-yields\n",
        0,
        0,
        {QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("species"),
         QStringLiteral("adopt"), QStringLiteral("middle"), QStringLiteral("use-for-quotes"),
         QStringLiteral("adopt-yields")},
        false,
        checkReport,
        runReport};
    return command;
}

} // namespace Tool
