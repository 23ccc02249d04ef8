// Kill days booked: the calendar's month and a booking's capacity check over
// a book of 10,000 bookings.
//
//   bench_bookings [--server URL] [BOOKINGS]
//
// Makes a book in a temporary folder (with --server, the book's tables in the
// PostgreSQL database at URL, which must be empty): one booking kept through
// the book (which makes the file and its tables), then the rest written in
// one transaction with one prepared insert into the book's own columns. The
// bookings are spread over the two years around today, beef, hogs and deer,
// one to three animals each, most booked, a few weighed, cut or cancelled.
// Then measures, each as a median in ms of 21 after one not counted:
//
//   calendar.month   the kill calendar showing a month: the bookings read,
//                    each day's kills and cooler load figured, the month drawn
//   board            the day's board: the day's bookings read (dropped off,
//                    killed, to cut, ready) and listed
//   check            a booking checked on a full day and refused (the write
//                    begun, the bookings on the rail read, checked, ended)
//   check_refused    the same as the clerk is told it: with the first day
//                    that fits, looked for over the year's bookings
//   check_kept       a booking checked and kept, its write committed
//
// and prints them as key=value lines (bookings_server.* with --server).

#include "book/estimate_book.h"
#include "connection.h"
#include "estimate/kill_calendar.h"
#include "measure.h"
#include "memory_prices.h"
#include "screens/day_board.h"
#include "screens/kill_calendar_window.h"

#include <QApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

namespace {

constexpr int Runs = 21;

[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "bench_bookings: %s\n", qPrintable(what));
    std::exit(1);
}

double median(std::vector<double> micros)
{
    return percentile(std::move(micros), 0.5) / 1000.0;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString server;
    if (args.value(0) == QLatin1String("--server")) {
        server = args.value(1);
        args = args.mid(2);
    }
    const int count = args.isEmpty() ? 10000 : args.first().toInt();
    QTemporaryDir dir;
    const QString where = server.isEmpty() ? dir.filePath(QStringLiteral("Estimates.db")) : server;
    const QString prefix =
        server.isEmpty() ? QStringLiteral("bookings") : QStringLiteral("bookings_server");

    const QDate today = QDate::currentDate();
    const QStringList species{QStringLiteral("Beef"), QStringLiteral("Pork"),
                              QStringLiteral("Deer")};
    const char* const live[] = {"1200", "270", "160"};
    const int hanging[] = {14, 3, 7};
    {
        EstimateBook book(where);
        Booking first;
        first.customer = QStringLiteral("First");
        first.species = species[0];
        first.liveWeight = QString::fromLatin1(live[0]);
        first.kill = today.addDays(-365);
        first.dropOff = first.kill;
        first.hangingDays = hanging[0];
        if (const BookResult kept = book.keep(first); !kept.done)
            fail(kept.problem);
    }
    {
        QSqlDatabase db = OpenBenchConnection(QStringLiteral("fill"), where, fail);
        std::mt19937 random(30);
        QSqlQuery insert(db);
        if (!db.transaction())
            fail(db.lastError().text());
        insert.prepare(QStringLiteral(
            "Insert Into Bookings (Created, Updated, Customer, Phone, Species, Animals, "
            "LiveWeight, Tag, DropOff, Kill, HangingDays, Cut, State, CancelReason, Deposit, "
            "HangingWeighed, OverCapacity, Estimates, Payments, ReadyDay, Revision) Values (?, ?, "
            "?, ?, ?, ?, ?, '', ?, ?, ?, ?, ?, '', 'held', ?, 0, '', ?, '', 1)"));
        const QString made = QStringLiteral("2026-01-01T08:00:00");
        for (int i = 1; i < count; ++i) {
            const int s = int(random() % 10) < 5 ? 0 : int(random() % 2) + 1;
            const QDate kill = today.addDays(int(random() % 730) - 365);
            const int state = int(random() % 20);
            const QString stateName = kill < today.addDays(-30) ? QStringLiteral("picked up")
                                      : state == 0              ? QStringLiteral("cancelled")
                                      : state < 3               ? QStringLiteral("killed")
                                                                : QStringLiteral("booked");
            for (const QVariant& v :
                 {QVariant(made), QVariant(made), QVariant(QStringLiteral("Customer %1").arg(i)),
                  QVariant(QStringLiteral("555-%1").arg(1000 + i % 9000)), QVariant(species[s]),
                  QVariant(1 + int(random() % 3)), QVariant(QString::fromLatin1(live[s])),
                  QVariant(kill.toString(Qt::ISODate)), QVariant(kill.toString(Qt::ISODate)),
                  QVariant(hanging[s]), QVariant(kill.addDays(hanging[s]).toString(Qt::ISODate)),
                  QVariant(stateName),
                  QVariant(stateName == QLatin1String("killed") ? QStringLiteral("500")
                                                                : QString(u""_qs)),
                  QVariant(QStringLiteral("deposit\t10000\t%1\tcash\t\t")
                               .arg(kill.addDays(-40).toString(Qt::ISODate)))})
                insert.addBindValue(v);
            if (!insert.exec())
                fail(insert.lastError().text());
        }
        if (!db.commit())
            fail(db.lastError().text());
        if (!server.isEmpty())
            QSqlQuery(QStringLiteral("Vacuum Analyze Bookings"), db);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));

    EstimateBook book(where);
    MemoryPrices prices;
    KillCapacity& capacity = prices.settings.capacity;
    capacity.coolerPounds = 1000000;
    for (auto& day : capacity.days)
        day.animals.insert(QStringLiteral("Beef"), 1000);
    const QuoteRules& rules = PublishedRules();

    // The month drawn, moving a month on each time.
    SystemClock calendarClock;
    KillCalendarWindow calendar(book, prices, rules, calendarClock, [] { return BookingStart(); });
    calendar.resize(820, 720);
    calendar.show();
    QApplication::processEvents();
    int step = 0;
    const std::vector<double> month = timedEach(Runs + 1, [&](int) {
        calendar.month()->choose(today.addMonths(step++ % 6));
        calendar.month()->repaint();
    });

    // The day's board: the day's bookings read and listed.
    SystemClock clock;
    DayBoardWindow board(book, prices, clock);
    board.show();
    QApplication::processEvents();
    const std::vector<double> boardTimes = timedEach(Runs + 1, [&](int) {
        board.refresh();
        board.repaint();
    });

    // A full day: no beef fits on it.
    const QDate full = today.addDays(10);
    capacity.days[static_cast<std::size_t>(full.dayOfWeek() - 1)].animals.insert(
        QStringLiteral("Beef"), 0);
    Booking asked;
    asked.customer = QStringLiteral("Asked");
    asked.species = species[0];
    asked.liveWeight = QString::fromLatin1(live[0]);
    asked.kill = full;
    asked.dropOff = full;
    // The check alone: the write begun, the bookings on the rail read, the
    // booking checked and refused, the write ended.
    const std::vector<double> check = timedEach(Runs + 1, [&](int) {
        Booking b = asked;
        b.hangingDays = capacity.hangingDays(b.species);
        const BookResult result = book.keep(b, [&](const QList<Booking>& onTheRail) {
            return Fit(b, onTheRail, capacity, rules, false).words(false);
        });
        if (result.done)
            fail(QStringLiteral("a booking on a full day was kept"));
    });
    // Refused as the clerk is told: with the first day that fits, looked for
    // over the year's bookings.
    const std::vector<double> refused = timedEach(Runs + 1, [&](int) {
        Booking b = asked;
        if (KeepBooking(book, b, capacity, rules).done)
            fail(QStringLiteral("a booking on a full day was kept"));
    });
    // Kept: checked, written and committed (then cancelled, untimed, so that
    // the next fits again).
    asked.kill = asked.dropOff = full.addDays(1);
    std::vector<double> kept;
    for (int k = 0; k <= Runs; ++k) {
        Booking b = asked;
        kept.push_back(timedEach(1, [&](int) {
                           const BookResult result = KeepBooking(book, b, capacity, rules);
                           if (!result.done)
                               fail(result.problem);
                       }).front());
        b.state = Booking::State::Cancelled;
        book.keep(b);
    }
    const auto counted = [](const std::vector<double>& times) {
        return std::vector<double>(times.begin() + 1, times.end());
    };
    std::printf("%s.count=%d\n", qPrintable(prefix), count);
    std::printf("%s.calendar_month.median_ms=%.2f\n", qPrintable(prefix), median(counted(month)));
    std::printf("%s.board.median_ms=%.2f\n", qPrintable(prefix), median(counted(boardTimes)));
    std::printf("%s.check.median_ms=%.2f\n", qPrintable(prefix), median(counted(check)));
    std::printf("%s.check_refused.median_ms=%.2f\n", qPrintable(prefix), median(counted(refused)));
    std::printf("%s.check_kept.median_ms=%.2f\n", qPrintable(prefix), median(counted(kept)));
    return 0;
}
