// Booking kill days against what the shop can take in: the day's kills, the
// cooler over every day a carcass hangs, and the money taken against a
// booking. Over bookings held in memory, at the published ranges.

#include "estimate/estimate_summary.h"
#include "estimate/kill_calendar.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

const QDate Monday(2026, 10, 12);

Booking Beef(qint64 number, const QDate& kill, const QString& live = QStringLiteral("1000"))
{
    Booking b;
    b.number = number;
    b.customer = QStringLiteral("Customer %1").arg(number);
    b.species = QStringLiteral("Beef");
    b.liveWeight = live;
    b.kill = kill;
    b.dropOff = kill.addDays(-1);
    b.hangingDays = 14;
    return b;
}

Booking Of(const QString& species, qint64 number, const QDate& kill, int animals = 1)
{
    Booking b =
        Beef(number, kill,
             species == QLatin1String("Beef") ? QStringLiteral("1000") : QStringLiteral("250"));
    b.species = species;
    b.animals = animals;
    b.hangingDays = KillCapacity::DefaultHangingDays(species);
    return b;
}

} // namespace

class TestKillCalendar : public QObject {
    Q_OBJECT

private slots:
    // The owner's capacity is kept as one text in the store with the shop's
    // other settings: every limit comes back as it was set, and a text edited
    // into nonsense is refused whole rather than read in part.
    void capacityIsKeptAsItWasSet()
    {
        KillCapacity capacity;
        capacity.coolerPounds = 6000;
        capacity.hanging.insert(QStringLiteral("Beef"), 21);
        capacity.weights.insert(QStringLiteral("Pork"), 50);
        capacity.days[1].animals.insert(QStringLiteral("Beef"), 2);
        capacity.days[1].units = 350;
        capacity.days[6].units = 0;
        capacity.freeStorageDays = 7;
        const std::optional<KillCapacity> back = KillCapacity::fromText(capacity.text());
        QVERIFY(back);
        QCOMPARE(back->text(), capacity.text());
        QVERIFY(*back == capacity);
        QCOMPARE(back->hangingDays(QStringLiteral("Beef")), 21);
        QCOMPARE(back->hangingDays(QStringLiteral("Deer")), 7);
        QCOMPARE(back->day(Monday.addDays(1)).units, std::optional<int>(350));
        QCOMPARE(back->day(Monday.addDays(6)).units, std::optional<int>(0));

        ShopWideSettings settings;
        settings.capacity = capacity;
        QVERIFY(ShopWideSettings::fromRows(settings.rows()) == settings);

        for (const char* bad : {"cooler=-5", "Mon=Beef:x", "Funday=Beef:2", "hang.Beef=2w",
                                "weight.Pork=0.555", "Tue=units:1.5.2", "cooler"})
            QVERIFY2(!KillCapacity::fromText(QString::fromLatin1(bad)), bad);
        QVERIFY(KillCapacity::fromText(QString())->isEmpty());
    }

    // A kill day takes so many of a species; the next booking is refused with
    // the first day that takes it. Weighted units count a hog as half a beef.
    void aKillDayTakesWhatTheOwnerSet()
    {
        KillCapacity capacity;
        capacity.days[0].animals.insert(QStringLiteral("Beef"), 2);
        capacity.days[1].animals.insert(QStringLiteral("Beef"), 0);
        const QList<Booking> booked{Beef(1, Monday), Beef(2, Monday),
                                    Of(QStringLiteral("Pork"), 3, Monday, 4)};
        BookingFit fit = Fit(Beef(0, Monday), booked, capacity, PublishedRules());
        QCOMPARE(fit.what, BookingFit::KillDayFull);
        QCOMPARE(fit.species, QStringLiteral("Beef"));
        QCOMPARE(fit.day, Monday);
        QCOMPARE(fit.firstFit, Monday.addDays(2)); // Tuesday kills no beef
        QVERIFY2(fit.words().startsWith(QStringLiteral(
                     "The kill day is full: Monday, October 12, 2026 takes 2 beef, 2 are booked")),
                 qPrintable(fit.words()));
        QVERIFY(fit.words().endsWith(
            QStringLiteral("The first kill day that fits is Wednesday, October 14, 2026.")));
        // Hogs have no limit of their own that day.
        QVERIFY(Fit(Of(QStringLiteral("Pork"), 0, Monday, 3), booked, capacity, PublishedRules())
                    .fits());
        // A booking moved within its own day is not counted twice.
        QVERIFY(Fit(booked[0], booked, capacity, PublishedRules()).fits());

        KillCapacity units;
        units.days[0].units = 300;
        const QList<Booking> mixed{Beef(1, Monday), Beef(2, Monday),
                                   Of(QStringLiteral("Pork"), 3, Monday)};
        QVERIFY(Fit(Of(QStringLiteral("Pork"), 0, Monday), mixed, units, PublishedRules()).fits());
        // Each animal counts: two hogs are a whole unit.
        QVERIFY(
            !Fit(Of(QStringLiteral("Pork"), 0, Monday, 2), mixed, units, PublishedRules()).fits());
        fit = Fit(Beef(0, Monday), mixed, units, PublishedRules());
        QCOMPARE(fit.what, BookingFit::KillDayFull);
        QVERIFY(fit.species.isEmpty());
        QCOMPARE(fit.taken, 2.5);
        QCOMPARE(fit.firstFit, Monday.addDays(1));
        units.weights.insert(QStringLiteral("Pork"), 100);
        QVERIFY(!Fit(Of(QStringLiteral("Pork"), 0, Monday), mixed, units, PublishedRules()).fits());
    }

    // The cooler is checked on every day a carcass hangs, its kill day and
    // its cut day too: a carcass still to be killed at the high end of its
    // likely range, a weighed one at its weight, one cut or cancelled not
    // at all.
    void theCoolerIsCheckedOverTheHangingDays()
    {
        KillCapacity capacity;
        capacity.coolerPounds = 1900; // three beef of 1000 lb live: 3 × 640 lb at 0.64
        QList<Booking> booked{Beef(1, Monday), Beef(2, Monday.addDays(10))};
        QCOMPARE(RailPounds(booked[0], PublishedRules()), std::optional<double>(640));
        BookingFit fit = Fit(Beef(0, Monday.addDays(5)), booked, capacity, PublishedRules());
        QCOMPARE(fit.what, BookingFit::CoolerFull);
        QCOMPARE(fit.day, Monday.addDays(10));
        QCOMPARE(fit.taken, 1280.0);
        QCOMPARE(fit.needed, 640.0);
        // Beef 1 is cut on the 26th: the first that fits is killed after it.
        QCOMPARE(fit.firstFit, Monday.addDays(15));
        QVERIFY2(fit.words().contains(QStringLiteral("1,280 lb of its 1,900 lb hang then, and "
                                                     "this booking needs 640 lb")),
                 qPrintable(fit.words()));

        booked[0].state = Booking::State::Killed;
        booked[0].hangingWeighed = QStringLiteral("700");
        QVERIFY(!Fit(Beef(0, Monday.addDays(5)), booked, capacity, PublishedRules()).fits());
        booked[0].hangingWeighed = QStringLiteral("600");
        QVERIFY(Fit(Beef(0, Monday.addDays(5)), booked, capacity, PublishedRules()).fits());
        booked[0].hangingWeighed = QStringLiteral("700");
        booked[0].state = Booking::State::Cut;
        QVERIFY(Fit(Beef(0, Monday.addDays(5)), booked, capacity, PublishedRules()).fits());
        booked[0].state = Booking::State::Cancelled;
        QVERIFY(Fit(Beef(0, Monday.addDays(5)), booked, capacity, PublishedRules()).fits());

        fit = Fit(Beef(0, Monday, QString()), {}, capacity, PublishedRules());
        QCOMPARE(fit.what, BookingFit::WeightUnknown);
        fit = Fit(Beef(0, Monday, QStringLiteral("3000")), {}, capacity, PublishedRules());
        QCOMPARE(fit.what, BookingFit::TooLarge);
        QVERIFY(!fit.firstFit.isValid());
        // With no cooler set, a weight is not needed.
        QVERIFY(Fit(Beef(0, Monday, QString()), booked, KillCapacity(), PublishedRules()).fits());
    }

    // Bookings taken one after another as the book takes them, each only
    // when it fits: no day ever goes over the kills or the cooler, and the
    // first day offered instead is one that fits, with none before it.
    void noAcceptedBookingPutsADayOverCapacity()
    {
        KillCapacity capacity;
        capacity.coolerPounds = 6000;
        for (int d = 0; d < 5; ++d) {
            capacity.days[static_cast<std::size_t>(d)].animals.insert(QStringLiteral("Beef"), 2);
            capacity.days[static_cast<std::size_t>(d)].units = 400;
        }
        capacity.days[5].units = 0;
        QRandomGenerator random(29);
        const QStringList species{QStringLiteral("Beef"), QStringLiteral("Pork"),
                                  QStringLiteral("Deer")};
        QList<Booking> booked;
        int refused = 0;
        for (int i = 1; i <= 400; ++i) {
            Booking asked = Of(species[random.bounded(3)], i, Monday.addDays(random.bounded(42)),
                               1 + random.bounded(2));
            asked.liveWeight = QString::number(100 + random.bounded(1300));
            // Some are weighed (at most the high end of their range) or cut.
            if (Booking& b = booked.isEmpty() ? asked : booked[random.bounded(booked.size())];
                random.bounded(5) == 0 && b.state == Booking::State::Booked && b.number != i) {
                const double rail = *RailPounds(b, PublishedRules());
                b.state = random.bounded(2) ? Booking::State::Cut : Booking::State::Killed;
                b.hangingWeighed =
                    QString::number(std::floor(rail * random.bounded(80, 100) / 100));
            }
            const BookingFit fit = Fit(asked, booked, capacity, PublishedRules());
            if (fit.fits()) {
                booked.append(asked);
                continue;
            }
            ++refused;
            if (!fit.firstFit.isValid())
                continue;
            Booking moved = asked;
            moved.kill = fit.firstFit;
            QVERIFY(Fit(moved, booked, capacity, PublishedRules()).fits());
            moved.kill = fit.firstFit.addDays(-1);
            if (moved.kill > asked.kill)
                QVERIFY(!Fit(moved, booked, capacity, PublishedRules()).fits());
        }
        QVERIFY(refused > 20);
        QVERIFY(booked.size() > 40);
        for (QDate day = Monday.addDays(-1); day < Monday.addDays(80); day = day.addDays(1)) {
            double hanging = 0;
            int units = 0, beef = 0;
            for (const Booking& b : booked) {
                if (!b.onTheRail())
                    continue;
                if (b.kill == day) {
                    units += b.animals * capacity.weight(b.species);
                    beef += b.species == QLatin1String("Beef") ? b.animals : 0;
                }
                if (b.kill <= day && day <= b.kill.addDays(b.hangingDays))
                    hanging += *RailPounds(b, PublishedRules());
            }
            const KillCapacity::Day& limits = capacity.day(day);
            QVERIFY2(hanging <= 6000 + 1e-6, qPrintable(day.toString()));
            QVERIFY(beef <= limits.animals.value(QStringLiteral("Beef"), 1000));
            QVERIFY(units <= limits.units.value_or(100000));
        }
    }

    // Kept through the book: refused with the check's words and nothing
    // kept; the owner books over what is full and the booking is marked,
    // and the mark goes when it is moved to a day that fits.
    void aBookingIsKeptOnlyWhenItFitsUnlessTheOwnerSaysSo()
    {
        QTemporaryDir dir;
        EstimateBook book(dir.filePath(QStringLiteral("Estimates.db")));
        KillCapacity capacity;
        capacity.days[0].animals.insert(QStringLiteral("Beef"), 1);
        Booking first = Beef(0, Monday);
        first.hangingDays = 0; // takes the species' own
        QVERIFY(KeepBooking(book, first, capacity, PublishedRules()).done);
        QCOMPARE(first.hangingDays, 14);
        Booking second = Beef(0, Monday);
        BookResult kept = KeepBooking(book, second, capacity, PublishedRules());
        QVERIFY(!kept.done);
        QVERIFY2(kept.problem.contains(QLatin1String("The kill day is full")) &&
                     kept.problem.contains(QLatin1String("Tuesday, October 13, 2026")),
                 qPrintable(kept.problem));
        QCOMPARE(second.number, 0);
        QVERIFY(KeepBooking(book, second, capacity, PublishedRules(), true).done);
        QVERIFY(second.overCapacity);
        QString problem;
        QVERIFY(book.booking(second.number, &problem)->overCapacity);
        // A change that asks for no other day or space is kept as it is, its
        // mark with it; the carcass weighed heavier is a fact, never refused.
        second.phone = QStringLiteral("555-0100");
        second.state = Booking::State::Killed;
        second.hangingWeighed = QStringLiteral("900");
        QVERIFY(KeepBooking(book, second, capacity, PublishedRules()).done);
        QVERIFY(book.booking(second.number, &problem)->overCapacity);
        second.kill = Monday.addDays(1);
        QVERIFY(KeepBooking(book, second, capacity, PublishedRules(), true).done);
        QVERIFY(!book.booking(second.number, &problem)->overCapacity);
        // Cancelled, a booking takes no space and is never refused for it.
        first.state = Booking::State::Cancelled;
        capacity.days[0].animals.insert(QStringLiteral("Beef"), 0);
        QVERIFY(KeepBooking(book, first, capacity, PublishedRules()).done);
    }

    // A carcass weighed for its bills (a final bill's hanging weight, or
    // each share's part of the sides) kills its booking, at the sum of its
    // bills' weights once every bill has one; once cut, it is left alone.
    void weighingTheBillsKillsTheBooking()
    {
        QTemporaryDir dir;
        EstimateBook book(dir.filePath(QStringLiteral("Estimates.db")));
        EstimateRecord front, hind;
        front.customer = QStringLiteral("Ann");
        hind.customer = QStringLiteral("Bob");
        QVERIFY(book.save(front).done && book.save(hind).done);
        Booking animal = Beef(0, Monday);
        animal.estimates = {front.number, hind.number};
        QVERIFY(KeepBooking(book, animal, KillCapacity(), PublishedRules()).done);
        const auto kept = [&] {
            QString problem;
            return *book.booking(animal.number, &problem);
        };
        QCOMPARE(WeighBookings(book, {front}), QString()); // nothing weighed
        front.weighedHanging = 301.5;
        QVERIFY(book.save(front).done);
        QCOMPARE(WeighBookings(book, {front}), QString());
        QCOMPARE(kept().state, Booking::State::Booked); // one share weighed of two
        hind.weighedHanging = 300;
        QVERIFY(book.save(hind).done);
        QCOMPARE(WeighBookings(book, {hind}), QString()); // the other read from the book
        QCOMPARE(kept().state, Booking::State::Killed);
        QCOMPARE(kept().hangingWeighed, QStringLiteral("601.5"));
        front.weighedHanging = 290;
        QVERIFY(book.save(front).done);
        QCOMPARE(WeighBookings(book, {front, hind}), QString());
        QCOMPARE(kept().hangingWeighed, QStringLiteral("590"));
        Booking cut = kept();
        cut.state = Booking::State::Cut;
        QVERIFY(book.keep(cut).done);
        front.weighedHanging = 280;
        QVERIFY(book.save(front).done);
        QCOMPARE(WeighBookings(book, {front}), QString());
        QCOMPARE(kept().hangingWeighed, QStringLiteral("590"));
        QCOMPARE(kept().state, Booking::State::Cut);
    }

    // A fall season through the book, as the shop runs it: 40 bookings of
    // beef, hogs and deer over six weeks against a 6,000 lb cooler, each from
    // its saved estimate (some beef sold in halves) with a deposit; weighed
    // by final bills and by the sides of shares, cut, ready, and picked up,
    // some late with storage charged. No day goes over what the shop takes
    // but where the owner booked over it; the month and the board read from
    // the book agree with every booking; every bill pays to the cent.
    void aFallSeason()
    {
        QTemporaryDir dir;
        EstimateBook book(dir.filePath(QStringLiteral("Estimates.db")));
        KillCapacity capacity;
        capacity.coolerPounds = 6000;
        capacity.freeStorageDays = 7;
        for (int d = 0; d < 6; ++d) {
            capacity.days[static_cast<std::size_t>(d)].animals.insert(QStringLiteral("Beef"), 2);
            capacity.days[static_cast<std::size_t>(d)].units = 300;
        }
        const QuoteRules& rules = PublishedRules();
        const double fee = 1.5;
        const QDate opening(2026, 10, 5);
        QRandomGenerator random(2026);
        const QStringList species{QStringLiteral("Beef"), QStringLiteral("Pork"),
                                  QStringLiteral("Deer")};
        const auto saveEstimate = [&](const QString& customer, std::int64_t quote) {
            EstimateRecord record;
            record.customer = customer;
            record.quoteCents = quote;
            [&] {
                QVERIFY(book.save(record).done);
            }();
            return record;
        };
        QMap<qint64, EstimateRecord> estimates;
        int refused = 0, over = 0;
        for (int i = 1; i <= 40; ++i) {
            // Asked for in the first three weeks; the full days move later.
            Booking b = Of(species[random.bounded(3)], 0, opening.addDays(random.bounded(21)));
            b.number = 0;
            b.customer = QStringLiteral("Customer %1").arg(i);
            b.liveWeight =
                QString::number(b.species == QLatin1String("Beef") ? 1000 + random.bounded(400)
                                                                   : 150 + random.bounded(150));
            const int buyers = b.species == QLatin1String("Beef") && i % 3 == 0 ? 2 : 1;
            for (int buyer = 0; buyer < buyers; ++buyer) {
                const EstimateRecord e =
                    saveEstimate(QStringLiteral("%1 buyer %2").arg(b.customer).arg(buyer),
                                 20000 + random.bounded(60000));
                estimates.insert(e.number, e);
                b.estimates << e.number;
            }
            b.payments = {{Payment::Kind::Deposit, 5000 + 100 * random.bounded(100), opening,
                           Payment::Method::Check, QStringLiteral("%1").arg(1000 + i),
                           QStringLiteral("clerk")}};
            BookingFit fit;
            if (KeepBooking(book, b, capacity, rules, false, &fit).done)
                continue;
            ++refused;
            // The day offered, when it is in the season; else (and for every
            // other regular) the owner books it over what is full.
            if (fit.firstFit.isValid() && fit.firstFit < opening.addDays(49) && refused % 2) {
                b.kill = fit.firstFit;
                b.dropOff = b.kill.addDays(-1);
                QVERIFY(KeepBooking(book, b, capacity, rules).done);
            } else {
                QVERIFY(KeepBooking(book, b, capacity, rules, true).done);
                ++over;
            }
        }
        QString problem;
        const QDate end = opening.addDays(120);
        const auto all = [&] {
            return book.bookings(opening.addDays(-10), end, &problem);
        };
        QCOMPARE(all().size(), 40);
        QVERIFY(refused > 0);

        // Day by day: killed and weighed (a share's sides, or the final
        // bill), cut, ready the day after, picked up up to two weeks later.
        for (QDate today = opening; today <= end; today = today.addDays(1)) {
            for (Booking b : all()) {
                if (b.kill == today) {
                    const double rail = *RailPounds(b, rules);
                    QList<EstimateRecord> bills;
                    for (const qint64 n : b.estimates) {
                        EstimateRecord& e = estimates[n];
                        e.weighedHanging = std::floor(rail * 0.95 / b.estimates.size());
                        e.finalCents = *e.quoteCents + random.bounded(-3000, 3000);
                        QVERIFY(book.save(e).done);
                        bills << e;
                    }
                    QCOMPARE(WeighBookings(book, bills), QString());
                } else if (b.state == Booking::State::Killed && b.cut() == today) {
                    b.state = Booking::State::Cut;
                    QVERIFY(book.keep(b).done);
                } else if (b.state == Booking::State::Cut && b.cut().addDays(1) == today) {
                    b.state = Booking::State::Ready;
                    b.readySince = today;
                    QVERIFY(book.keep(b).done);
                } else if (b.state == Booking::State::Ready &&
                           today >= b.readySince.addDays(static_cast<int>(b.number % 15))) {
                    b.state = Booking::State::PickedUp;
                    b.storage = StorageOn(b, today, capacity, fee);
                    // Each buyer pays the balance of their bill.
                    for (const qint64 n : b.estimates) {
                        const std::int64_t due =
                            MoneyOnBill({b}, n).balance(*estimates[n].finalCents).due();
                        b.payments.append({Payment::Kind::Payment, due, today,
                                           Payment::Method::Cash, QString(),
                                           QStringLiteral("clerk"), n});
                    }
                    QVERIFY(book.keep(b).done);
                }
            }
            // What the board reads from the book is what every booking says.
            const DayBoard board = BoardOf(book.bookingsDue(today, &problem), today);
            const DayBoard whole = BoardOf(all(), today);
            for (const auto& [read, every] :
                 {std::pair{board.dropOffs, whole.dropOffs}, std::pair{board.kills, whole.kills},
                  std::pair{board.toCut, whole.toCut}, std::pair{board.ready, whole.ready}})
                QCOMPARE(read, every);
        }

        // No day over the kills or the cooler, but where the owner booked
        // over it; a month read from the book loads as every booking does.
        QList<Booking> season = all();
        for (Booking& b : season)
            b.state = Booking::State::Booked, b.hangingWeighed.clear(); // as booked
        const KillLoads loads(season, capacity, rules);
        int late = 0;
        for (QDate day = opening; day <= end; day = day.addDays(1)) {
            const bool overbooked =
                std::any_of(season.begin(), season.end(), [&](const Booking& b) {
                    return b.overCapacity && b.kill <= day && day <= b.cut();
                });
            const DayLoad load = loads.on(day);
            if (!overbooked) {
                QVERIFY2(load.hanging <= 6000 + 1e-6, qPrintable(day.toString()));
                QVERIFY(load.kills.value(QStringLiteral("Beef")) <= 2);
                QVERIFY(load.units <= 300);
            }
            const QDate first(day.year(), day.month(), 1);
            QList<Booking> month = book.bookings(first.addDays(-7), first.addMonths(1), &problem);
            for (Booking& b : month)
                b.state = Booking::State::Booked, b.hangingWeighed.clear();
            QCOMPARE(KillLoads(month, capacity, rules).on(day).hanging, load.hanging);
        }
        // Every bill paid to the cent, the storage charged on the booking's own.
        std::int64_t billed = 0, paid = 0;
        for (const Booking& b : all()) {
            QCOMPARE(b.state, Booking::State::PickedUp);
            late += b.storage.charged() ? 1 : 0;
            billed += b.storage.charged() ? b.storage.cents : 0;
            paid += PaidCents(b.payments);
            for (const qint64 n : b.estimates) {
                billed += *estimates[n].finalCents;
                QCOMPARE(MoneyOnBill({b}, n).balance(*estimates[n].finalCents).due(), 0);
            }
        }
        QCOMPARE(paid, billed);
        QVERIFY(late > 0 && over > 0);
        QVERIFY(problem.isEmpty());
        qInfo("%d refused, %d booked over capacity, %d picked up late", refused, over, late);
    }

    // The day's board: today's drop-offs and kills, the carcasses whose
    // hanging days are reached, the orders ready with the days they waited
    // and the storage charged after the free days.
    void theDaysBoardListsWhatIsDue()
    {
        const QDate today = Monday.addDays(14);
        QList<Booking> bookings{Beef(1, today),
                                Beef(2, today.addDays(2)),
                                Beef(3, Monday),
                                Beef(4, Monday.addDays(1)),
                                Beef(5, Monday.addDays(-20)),
                                Beef(6, Monday.addDays(-30)),
                                Beef(7, today)};
        bookings[1].dropOff = today;
        bookings[3].state = Booking::State::Killed; // cut day tomorrow
        bookings[4].state = Booking::State::Ready;
        bookings[4].readySince = today.addDays(-10);
        bookings[5].state = Booking::State::Ready;
        bookings[5].readySince = today.addDays(-2);
        bookings[6].state = Booking::State::Cancelled;
        const DayBoard board = BoardOf(bookings, today);
        const auto numbers = [](const QList<Booking>& list) {
            QList<qint64> n;
            for (const Booking& b : list)
                n << b.number;
            return n;
        };
        QCOMPARE(numbers(board.dropOffs), QList<qint64>{2});
        QCOMPARE(numbers(board.kills), QList<qint64>{1});
        QCOMPARE(numbers(board.toCut), QList<qint64>{3}); // its cut day is today
        QCOMPARE(numbers(board.ready), (QList<qint64>{5, 6}));
        QCOMPARE(DaysWaiting(bookings[4], today), 10);
        QCOMPARE(DaysWaiting(bookings[0], today), 0);
        KillCapacity capacity;
        QCOMPARE(StorageDays(bookings[4], today, capacity), 0); // the shop charges none
        capacity.freeStorageDays = 7;
        QCOMPARE(StorageDays(bookings[4], today, capacity), 3);
        QCOMPARE(StorageDays(bookings[5], today, capacity), 0);
    }

    // Money against a booking, to the cent: deposits and payments add, a
    // refund takes away, and a payment over the balance is told with what
    // is over.
    void theBalanceAddsUpToTheCent()
    {
        QList<Payment> payments;
        payments.append({Payment::Kind::Deposit, 10000, Monday, Payment::Method::Check,
                         QStringLiteral("1042"), QString()});
        payments.append({Payment::Kind::Payment, 23301, Monday.addDays(20), Payment::Method::Card,
                         QString(), QString()});
        payments.append({Payment::Kind::Refund, 1, Monday.addDays(20), Payment::Method::Cash,
                         QString(), QString()});
        const Balance balance{33300, PaidCents(payments)};
        QCOMPARE(balance.paid, 33300);
        QCOMPARE(balance.due(), 0);
        QCOMPARE(OverBalance(2599, 3000), 401);
        QCOMPARE(OverBalance(2599, 2599), 0);
        QCOMPARE(OverBalance(-100, 500), 500);

        // A booking's money over its bills: a payment naming no estimate of
        // the booking pays its own bill (its first estimate's), as does the
        // storage; every bill's balance together is the booking's.
        Booking animal = Beef(9, Monday);
        animal.estimates = {12, 7, 30};
        animal.payments = payments;                 // the booking's own: 333.00
        animal.payments[1].estimate = 7;            // a buyer's payment
        animal.payments.append(animal.payments[0]); // a second deposit,
        animal.payments.last().estimate = 99;       // for no bill of it
        animal.readySince = Monday.addDays(30);
        KillCapacity capacity;
        capacity.freeStorageDays = 7;
        animal.storage = StorageOn(animal, Monday.addDays(40), capacity, 1.255);
        QCOMPARE(animal.storage.days, 3);
        QCOMPARE(animal.storage.cents, 376); // 3.765, the half cent to the even cent
        QCOMPARE(StorageOn(animal, Monday.addDays(37), capacity, 1.255).days, 0);
        const QList<Booking> billing{Beef(8, Monday), animal};
        const std::int64_t bills[] = {50000, 40000, 30000};
        std::int64_t due = 0;
        for (int i = 0; i < 3; ++i) {
            const BillMoney bill = MoneyOnBill(billing, animal.estimates[i]);
            QCOMPARE(bill.booking, 9);
            due += bill.balance(bills[i]).due();
        }
        QCOMPARE(MoneyOnBill(billing, 12).paid(), 10000 - 1 + 10000);
        QCOMPARE(MoneyOnBill(billing, 7).paid(), 23301);
        QCOMPARE(MoneyOnBill(billing, 30).paid(), 0);
        QCOMPARE(MoneyOnBill(billing, 7).storage.days, 0);
        QCOMPARE(due, 120000 + 376 - PaidCents(animal.payments));
        QCOMPARE(MoneyOnBill(billing, 13).booking, 0);
        // Billed again after a booking was cancelled: the one that stands.
        Booking cancelled = animal;
        cancelled.number = 5;
        cancelled.state = Booking::State::Cancelled;
        QCOMPARE(MoneyOnBill({cancelled, animal}, 7).booking, 9);
        QCOMPARE(MoneyOnBill({cancelled}, 7).booking, 5);
        // Waived, the storage is shown and not billed.
        animal.storage.waivedBy = QStringLiteral("ann");
        const BillMoney waived = MoneyOnBill({animal}, 12);
        QCOMPARE(waived.balance(50000).due(), 50000 - 19999);
        EstimateSummary page;
        page.total = QStringLiteral("500");
        AddBillMoney(page, waived);
        QVERIFY(page.billedByBooking);
        QCOMPARE(page.storageCents, 0);
        QCOMPARE(page.storageWords, QStringLiteral("Storage of 3 days waived by ann"));
        QCOMPARE(page.balanceDue, 30001);
        QCOMPARE(page.payments.size(), 3);
        QCOMPARE(page.payments[1].second, -1); // the refund

        Booking::State state{};
        QVERIFY(StateFromName(QStringLiteral("Dropped Off"), &state));
        QCOMPARE(state, Booking::State::DroppedOff);
        QCOMPARE(StateName(Booking::State::PickedUp), QStringLiteral("picked up"));
        Payment::Method method{};
        QVERIFY(!MethodFromName(QStringLiteral("iou"), &method));
    }
};

QTEST_GUILESS_MAIN(TestKillCalendar)
#include "test_kill_calendar.moc"
