// The report on the quotes over a book of 100,000 saved estimates.
//
//   bench_report [--server URL] [ESTIMATES]
//
// Makes an estimates file in a temporary folder (with --server, the book's
// tables in the PostgreSQL database at URL, which must be empty): one
// estimate saved through the book (which makes the file and its tables), then
// the rest written in one transaction with one prepared insert into the
// book's own columns, figures included. The estimates are spread over the two
// years up to today, about 60 % beef, 30 % pork and 10 % deer; about 80 % have
// a final bill, nine in ten of those with the hanging weight weighed; the
// final bill is within about 15 % of the quote either way, and a few bills add
// or drop a service. Each state is about 2 kB, as a saved estimate's is.
// On a server the table is then vacuumed and analysed, as its autovacuum does
// within a minute. Then measures EstimateBook::report, each as a median in ms
// of 21 after one that is not counted, on the book kept open as a counter
// keeps it:
//
//   report.whole     every species, from the first day to the last
//   report.species   beef alone, the same days
//
// and prints them as key=value lines (report_server.* with --server), with
// the estimates and final bills that the whole report counted.

#include "book/estimate_book.h"
#include "connection.h"
#include "estimate/service_catalog.h"
#include "measure.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QDate>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int Runs = 21;
constexpr int Days = 2 * 365;

// The folder of the generated file, removed also when the run fails.
QTemporaryDir* workFolder = nullptr;

[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "bench_report: %s\n", qPrintable(what));
    if (workFolder)
        workFolder->remove();
    std::exit(1);
}

int bit(ServiceId service)
{
    return 1 << static_cast<int>(service);
}

// What each species is usually quoted with, and what a bill may add.
struct Kind {
    const char* species;
    double liveLow, liveHigh; // pounds
    double ratio, ratioSpread;
    double centsPerHangingPound;
    std::vector<ServiceId> services;
};

const Kind Kinds[] = {
    {"Beef",
     950,
     1450,
     0.61,
     0.018,
     95,
     {ServiceId::Tenderising, ServiceId::MinuteSteaks, ServiceId::ExtraBoning,
      ServiceId::BeefCuring, ServiceId::BeefSausage, ServiceId::PaperWrapp, ServiceId::FajitaStrips,
      ServiceId::Slicing}},
    {"Pork",
     220,
     320,
     0.72,
     0.012,
     80,
     {ServiceId::PorkCuring, ServiceId::PorkSausage, ServiceId::Cutlets, ServiceId::Cooling,
      ServiceId::Quartering}},
    {"Deer",
     100,
     190,
     0.66,
     0.025,
     110,
     {ServiceId::BeefSausage, ServiceId::Slicing, ServiceId::PaperWrapp}},
};

QString stateOf(int n, const char* kind)
{
    return QStringLiteral("%1 %2;Text1=1250;Check1_3=1;Text6_12=12.50;")
        .arg(QLatin1String(kind))
        .arg(n)
        .repeated(48);
}

QString centsText(qint64 cents)
{
    return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QSqlDatabase openConnection(const QString& name, const QString& path)
{
    return OpenBenchConnection(name, path, fail);
}

void exec(QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        fail(QStringLiteral("%1: %2").arg(statement, query.lastError().text()));
}

// Estimates 2 to `estimates`, written straight into the book's table with
// the figures that the estimate layer keeps beside each, in one transaction.
void fill(const QString& path, int estimates, const QDate& first)
{
    const QString name = QStringLiteral("bench-fill");
    {
        QSqlDatabase db = openConnection(name, path);
        exec(db, QStringLiteral("Begin"));
        QSqlQuery query(db);
        query.prepare(QStringLiteral(
            "Insert Into Estimates (Created, Updated, Customer, Phone, Note, Species, LiveWeight, "
            "QuoteTotal, FinalTotal, QuoteState, FinalState, Revision, CustomerKey, PhoneKey, "
            "PhoneDigits, AnimalTag, SharePart, QuoteCents, FinalCents, LivePounds, "
            "WeighedHanging, QuoteServices, FinalServices, Figured) "
            "Values (?, ?, ?, ?, '', ?, ?, ?, ?, ?, ?, 1, ?, ?, ?, '', '', ?, ?, ?, ?, ?, ?, 1)"));
        std::mt19937 random(20251);
        std::uniform_real_distribution<double> unit(0, 1);
        std::normal_distribution<double> normal(0, 1);
        const QDateTime start = first.startOfDay();
        const double secondsEach = double(Days) * 86400 / double(estimates);
        for (int n = 2; n <= estimates; ++n) {
            const double pick = unit(random);
            const Kind& kind = pick < 0.6 ? Kinds[0] : pick < 0.9 ? Kinds[1] : Kinds[2];
            const double live =
                std::round(kind.liveLow + (kind.liveHigh - kind.liveLow) * unit(random));
            const double quotedHanging = live * kind.ratio;
            int quoted = 0;
            for (const ServiceId service : kind.services)
                if (unit(random) < 0.25)
                    quoted |= bit(service);
            const qint64 quote =
                std::llround(quotedHanging * kind.centsPerHangingPound + 1700 * 100);
            const QString created = start.addSecs(qint64(double(n) * secondsEach))
                                        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
            const QString customer = QStringLiteral("Customer %1").arg(n);
            const QString phone = QStringLiteral("(555) %1-%2")
                                      .arg(200 + n % 700)
                                      .arg(n % 10000, 4, 10, QLatin1Char('0'));
            QVariant finalCents, weighed;
            QString finalTotal, finalState;
            int charged = 0;
            if (unit(random) < 0.8) {
                const double share = std::clamp(normal(random) * 0.06, -0.15, 0.15);
                finalCents = std::llround(double(quote) * (1 + share));
                finalTotal = centsText(finalCents.toLongLong());
                finalState = stateOf(n, "final");
                if (unit(random) < 0.9)
                    weighed = std::round(live * (kind.ratio + normal(random) * kind.ratioSpread));
                charged = quoted;
                const int service = int(kind.services[random() % kind.services.size()]);
                const double change = unit(random);
                if (change < 0.08)
                    charged |= 1 << service;
                else if (change < 0.12)
                    charged &= ~(1 << service);
            }
            for (const QVariant& value :
                 {QVariant(created), QVariant(created), QVariant(customer), QVariant(phone),
                  QVariant(QLatin1String(kind.species)), QVariant(QString::number(live)),
                  QVariant(centsText(quote)),
                  QVariant(finalTotal.isNull() ? QStringLiteral("") : finalTotal),
                  QVariant(stateOf(n, "quote")),
                  QVariant(finalState.isNull() ? QStringLiteral("") : finalState),
                  QVariant(customer.toCaseFolded()), QVariant(phone),
                  QVariant(QString(phone).remove(QRegularExpression(QStringLiteral("\\D")))),
                  QVariant(quote), finalCents, QVariant(live), weighed, QVariant(quoted),
                  QVariant(charged)})
                query.addBindValue(value);
            if (!query.exec())
                fail(query.lastError().text());
        }
        query.finish();
        exec(db, QStringLiteral("Commit"));
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    QString server;
    if (arguments.value(0) == QLatin1String("--server")) {
        server = arguments.value(1);
        arguments = arguments.mid(2);
    }
    const int estimates = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    if (estimates < 1000)
        fail(QStringLiteral("at least 1000 estimates"));
    QTemporaryDir dir;
    workFolder = &dir;
    EstimateBook book(server.isEmpty() ? dir.filePath(QStringLiteral("Estimates.db")) : server);
    const QDate first = QDate::currentDate().addDays(-Days);
    EstimateRecord record;
    record.customer = QStringLiteral("First customer");
    record.species = QStringLiteral("Beef");
    record.quoteState = stateOf(1, "quote");
    record.quoteCents = 120000;
    record.livePounds = 1200;
    if (const BookResult saved = book.save(record); !saved.done)
        fail(saved.problem);
    const auto filling = timedEach(1, [&](int) { fill(book.path(), estimates, first); });
    if (!server.isEmpty()) {
        // The table as the server's autovacuum leaves it a minute after the
        // rows came: its visibility map set and its statistics taken, so
        // that the planner knows the rows it is asked about.
        const QString name = QStringLiteral("bench-vacuum");
        {
            QSqlDatabase db = openConnection(name, server);
            exec(db, QStringLiteral("Vacuum Analyze Estimates"));
        }
        QSqlDatabase::removeDatabase(name);
    }

    const ReportRange whole{first, QDate::currentDate(), QString()};
    const ReportRange beef{first, QDate::currentDate(), QStringLiteral("Beef")};
    QString problem;
    AccuracyReport report;
    const auto reportOf = [&](const ReportRange& range) {
        report = book.report(range, &problem);
        if (!problem.isEmpty())
            fail(problem);
    };
    reportOf(whole); // not counted: the file's first look checks every page
    const std::vector<double> wholeTimes = timedEach(Runs, [&](int) { reportOf(whole); });
    // What was measured is what was written.
    if (report.estimates != estimates || report.notFigured != 0 || report.species.size() != 3)
        fail(QStringLiteral("the report counts %1 estimates of %2 species (%3 not figured)")
                 .arg(report.estimates)
                 .arg(report.species.size())
                 .arg(report.notFigured));
    const SpeciesAccuracy& counted = report.species.first();
    if (!counted.ratio || std::abs(counted.ratio->median - 0.61) > 0.01)
        fail(QStringLiteral("the beef hanging weight is not about 0.61 of the live weight"));
    const int billed = report.billed;
    const std::vector<double> beefTimes = timedEach(Runs, [&](int) { reportOf(beef); });
    if (report.species.size() != 1 || report.species.first().species != QLatin1String("Beef"))
        fail(QStringLiteral("the report of beef holds other species"));

    const char* const key = server.isEmpty() ? "report" : "report_server";
    std::printf("%s.estimates=%d\n", key, estimates);
    std::printf("%s.billed=%d\n", key, billed);
    std::printf("%s.beef=%d\n", key, report.species.first().estimates);
    std::printf("%s.beef_billed=%d\n", key, report.species.first().billed);
    std::printf("%s.fill_s=%.1f\n", key, filling[0] / 1e6);
    std::printf("%s.whole.median_ms=%.2f\n", key, percentile(wholeTimes, 0.5) / 1000);
    std::printf("%s.whole.max_ms=%.2f\n", key, percentile(wholeTimes, 1) / 1000);
    std::printf("%s.species.median_ms=%.2f\n", key, percentile(beefTimes, 0.5) / 1000);
    std::printf("%s.species.max_ms=%.2f\n", key, percentile(beefTimes, 1) / 1000);
    return 0;
}
