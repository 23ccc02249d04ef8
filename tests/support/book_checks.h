#pragma once

// Checks of the book that hold alike on an SQLite file and on a server: the
// shares of one animal saved together, and the report on the quotes. Each
// runs in the calling test; a failed check ends that test.

#include "book/estimate_book.h"

#include <QDate>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <functional>

namespace BookChecks {

inline EstimateRecord Billed(const QString& species, qint64 quote, std::optional<qint64> final,
                             std::optional<double> live, std::optional<double> weighed)
{
    EstimateRecord r;
    r.customer = QStringLiteral("Customer");
    r.species = species;
    r.liveWeight = live ? QString::number(*live) : QString();
    r.quoteTotal = QString::number(quote / 100.0);
    r.quoteState = QStringLiteral("quote");
    r.quoteCents = quote;
    if (final) {
        r.finalState = QStringLiteral("final");
        r.finalTotal = QString::number(*final / 100.0);
        r.finalCents = final;
    }
    r.livePounds = live;
    r.weighedHanging = weighed;
    return r;
}

// Three buyers' shares of one animal saved together, read back by its tag;
// a save of several that cannot be made whole saves none of them.
inline void SharesSavedTogether(EstimateBook& book)
{
    QList<EstimateRecord> shares(3);
    const char* parts[] = {"half", "quarter", "split-side quarter"};
    for (int i = 0; i < 3; ++i) {
        shares[i] = Billed(QStringLiteral("Beef"), 30000 + i, std::nullopt, 300, std::nullopt);
        shares[i].customer = QStringLiteral("Buyer %1").arg(i + 1);
        shares[i].animalTag = QStringLiteral("B-7");
        shares[i].tagLine = QStringLiteral("B-7");
        shares[i].sharePart = QLatin1String(parts[i]);
        shares[i].quoteServices = 1 << i;
    }
    shares[1].likelyLow = 23160;
    shares[1].likelyHigh = 25380;
    QVERIFY(book.saveAll({&shares[0], &shares[1], &shares[2]}).done);
    QCOMPARE(shares[1].number, shares[0].number + 1);
    QCOMPARE(shares[2].number, shares[0].number + 2);
    QString problem;
    const QList<EstimateRecord> animal = book.animal(QStringLiteral(" B-7 "), &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(animal.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(animal[i].number, shares[i].number);
        QCOMPARE(animal[i].sharePart, QLatin1String(parts[i]));
        QCOMPARE(animal[i].quoteCents, std::optional<qint64>(30000 + i));
        QCOMPARE(animal[i].finalCents, std::nullopt);
        QCOMPARE(animal[i].livePounds, std::optional<double>(300));
        QCOMPARE(animal[i].weighedHanging, std::nullopt);
        QCOMPARE(animal[i].quoteServices, 1 << i);
        QCOMPARE(animal[i].likelyLow, shares[i].likelyLow);
        QCOMPARE(animal[i].likelyHigh, shares[i].likelyHigh);
        QVERIFY(animal[i].figured);
    }
    const QList<EstimateListing> listed = book.list(QStringLiteral("Buyer 2"), &problem);
    QCOMPARE(listed.size(), 1);
    QCOMPARE(listed[0].likelyLow, std::optional<qint64>(23160));
    QCOMPARE(listed[0].likelyHigh, std::optional<qint64>(25380));
    QCOMPARE(listed[0].tag, QStringLiteral("B-7"));
    // A search for the animal's tag finds every share of it.
    QCOMPARE(book.list(QStringLiteral("b-7"), &problem).size(), 3);
    QVERIFY(book.animal(QString(), &problem).isEmpty()); // a whole animal has no tag

    // The final bills of two, with a third changed elsewhere meanwhile: none is kept.
    EstimateRecord elsewhere = animal[2];
    elsewhere.note = QStringLiteral("changed at another counter");
    QVERIFY(book.save(elsewhere).done);
    EstimateRecord newcomer = Billed(QStringLiteral("Beef"), 100, std::nullopt, 1, std::nullopt);
    newcomer.animalTag = QStringLiteral("B-7");
    shares[0].finalCents = 31000;
    shares[0].finalState = QStringLiteral("final");
    const BookResult refused = book.saveAll({&newcomer, &shares[0], &shares[2]});
    QVERIFY(!refused.done);
    QVERIFY2(refused.problem.contains(QString::number(shares[2].number)),
             qPrintable(refused.problem));
    const QList<EstimateRecord> after = book.animal(QStringLiteral("B-7"), &problem);
    QCOMPARE(after.size(), 3);
    QCOMPARE(after[0].finalCents, std::nullopt);
}

// A hog sold in eight shares and weighed after the kill is one weighed
// animal, its hanging ÷ live weight that of its shares together; not eight
// that would meet the least for adopting a range on their own. A buyer taken
// off it keeps its estimate, listed and found by the tag, no longer under it.
inline void AnimalInSharesCountsOnce(EstimateBook& book)
{
    QList<EstimateRecord> shares(8);
    QList<EstimateRecord*> saving;
    for (int i = 0; i < 8; ++i) {
        shares[i] = Billed(QStringLiteral("Pork"), 2000, 2100, 31.25, 22.5 + (i == 0 ? 0.5 : 0));
        shares[i].animalTag = shares[i].tagLine = QStringLiteral("H-8");
        shares[i].sharePart = QStringLiteral("12.5 %");
        saving << &shares[i];
    }
    QVERIFY(book.saveAll(saving).done);
    EstimateRecord whole = Billed(QStringLiteral("Pork"), 9000, 9100, 250, 180);
    QVERIFY(book.save(whole).done);
    QString problem;
    const AccuracyReport report = book.report({}, &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(report.species.size(), 1);
    const SpeciesAccuracy& pork = report.species[0];
    QCOMPARE(pork.billed, 9);
    QCOMPARE(pork.weighed, 2);
    QVERIFY(pork.ratio);
    // 0.72 for the whole hog, 180.5 ÷ 250 = 0.722 for the one in shares.
    QVERIFY(qAbs(pork.ratio->median - 0.721) < 1e-12);
    QVERIFY(qAbs(pork.ratio->low - 0.7202) < 1e-12);

    EstimateRecord off = shares[7];
    off.animalTag.clear();
    off.tagLine = QStringLiteral("H-8, taken off");
    QVERIFY(book.save(off).done);
    QCOMPARE(book.animal(QStringLiteral("H-8"), &problem).size(), 7);
    const QList<EstimateListing> found = book.list(QStringLiteral("h-8"), &problem);
    QCOMPARE(found.size(), 8);
    QCOMPARE(found[0].tag, QStringLiteral("H-8, taken off"));
}

// The report over a known set of bills, by species and range, and the
// figures of older records filled in.
inline void ReportOverKnownBills(EstimateBook& book)
{
    // Beef quoted at $1000.00 each, billed 900, 1000, 1040, 1100 and 1200;
    // four weighed at 580, 600, 620 and 640 lb of 1000 lb live.
    const qint64 finals[] = {90000, 100000, 104000, 110000, 120000};
    const std::optional<double> weighed[] = {600, 620, 580, std::nullopt, 640};
    for (int i = 0; i < 5; ++i) {
        EstimateRecord r = Billed(QStringLiteral("Beef"), 100000, finals[i], 1000, weighed[i]);
        r.quoteServices = 0b01;
        r.finalServices = i == 0 ? 0b10 : 0b01; // one bill swapped a service for another
        QVERIFY(book.save(r).done);
    }
    EstimateRecord pork = Billed(QStringLiteral("Pork"), 20000, std::nullopt, 250, std::nullopt);
    QVERIFY(book.save(pork).done);
    EstimateRecord older = Billed(QStringLiteral("Deer"), 8500, 9000, std::nullopt, std::nullopt);
    older.figured = false;
    older.quoteCents.reset();
    older.finalCents.reset();
    QVERIFY(book.save(older).done);

    QString problem;
    const QDate today = QDate::currentDate();
    AccuracyReport report = book.report({today, today, QString()}, &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(report.estimates, 7);
    QCOMPARE(report.billed, 5);
    QCOMPARE(report.notFigured, 1);
    QCOMPARE(report.species.size(), 3);
    const SpeciesAccuracy& beef = report.species[0];
    QCOMPARE(beef.species, QStringLiteral("Beef"));
    QCOMPARE(beef.billed, 5);
    QCOMPARE(beef.weighed, 4);
    QVERIFY(beef.ratio);
    QCOMPARE(beef.ratio->median, 0.61);
    QVERIFY(qAbs(beef.ratio->low - 0.586) < 1e-9);
    QVERIFY(qAbs(beef.ratio->high - 0.634) < 1e-9);
    QCOMPARE(beef.medianDifference, 4000);
    QVERIFY(qAbs(beef.medianDifferenceShare - 0.04) < 1e-9);
    QCOMPARE(beef.within5, 0.4);
    QCOMPARE(beef.within10, 0.8);
    QCOMPARE(beef.finalOverQuote.first(), 0.9);
    QCOMPARE(beef.added.value(1), 1);
    QCOMPARE(beef.dropped.value(0), 1);
    QCOMPARE(report.species[1].billed, 0);
    QVERIFY(!report.species[1].ratio);

    report = book.report({QDate(), today.addDays(-1), QString()}, &problem);
    QCOMPARE(report.estimates, 0);
    report = book.report({today, QDate(), QStringLiteral("Pork")}, &problem);
    QCOMPARE(report.estimates, 1);
    QCOMPARE(report.billed, 0);

    // The older record's figures, filled in from its states, count from then on.
    const int filled = book.fillFigures(
        [](EstimateRecord& r) {
            r.quoteCents = 8500;
            r.finalCents = r.finalState.isEmpty() ? std::nullopt : std::optional<qint64>(9000);
        },
        &problem);
    QVERIFY2(filled == 1, qPrintable(problem));
    QCOMPARE(book.fillFigures([](EstimateRecord&) {}, &problem), 0);
    report = book.report({today, today, QStringLiteral("Deer")}, &problem);
    QCOMPARE(report.notFigured, 0);
    QCOMPARE(report.billed, 1);
    QCOMPARE(report.species[0].finalOverQuote, QList<double>({9000.0 / 8500}));
}

// A save and a delete at another counter (`other`, a second connection to
// the same book) are told to this one, once each.
inline void ChangesElsewhereTold(EstimateBook& mine, EstimateBook& other)
{
    QString problem;
    mine.list(QString(), &problem); // in use, as an open list has it
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    mine.changedElsewhere();
    QVERIFY(!mine.changedElsewhere());
    const auto toldOnce = [&mine] {
        bool told = false; // a notice is taken by the look that finds it
        QTRY_VERIFY(told = told || mine.changedElsewhere());
        QVERIFY(!mine.changedElsewhere());
    };
    EstimateRecord record = Billed(QStringLiteral("Beef"), 10000, std::nullopt, 1000, std::nullopt);
    QVERIFY(other.save(record).done);
    toldOnce();
    QVERIFY(other.remove(record.number).done);
    toldOnce();
}

// A save of a record that is no longer the book's is refused and changes
// nothing: changed at another counter since it was opened, another
// customer's estimate under its number and revision (a book put back from a
// backup; `rewrite` runs a statement on the book's store to make one), or
// deleted.
inline void StaleRecordsRefused(EstimateBook& book,
                                const std::function<void(const QString&)>& rewrite)
{
    EstimateRecord first = Billed(QStringLiteral("Beef"), 26300, std::nullopt, 1000, std::nullopt);
    first.customer = QStringLiteral("Anna");
    QVERIFY(book.save(first).done);
    QString problem;
    EstimateRecord here = *book.open(first.number, &problem);
    EstimateRecord there = here;
    there.note = QStringLiteral("saved at the other counter");
    QVERIFY(book.save(there).done);
    QCOMPARE(there.revision, here.revision + 1);
    const auto refused = [&book](EstimateRecord record, const char* words) {
        const BookResult result = book.save(record);
        QVERIFY(!result.done);
        QVERIFY2(result.problem.contains(QLatin1String(words)), qPrintable(result.problem));
    };
    here.note = QStringLiteral("saved here");
    refused(here, "changed since it was opened");
    QCOMPARE(book.open(first.number, &problem)->note, there.note);

    rewrite(QStringLiteral("Update Estimates Set Customer = 'Rita', Created = "
                           "'2020-01-02T03:04:05' Where Number = %1")
                .arg(first.number));
    refused(there, "no longer the one that was opened");
    QCOMPARE(book.open(first.number, &problem)->customer, QStringLiteral("Rita"));
    QCOMPARE(book.open(first.number, &problem)->note, there.note);

    QVERIFY(book.remove(first.number).done);
    refused(there, "deleted since it was opened");
    QVERIFY(!book.open(first.number, &problem));
}

// A beef booked for a kill day, with a deposit taken by check.
inline Booking BookedBeef(const QString& customer, const QDate& kill)
{
    Booking b;
    b.customer = customer;
    b.phone = QStringLiteral("555-0142");
    b.species = QStringLiteral("Beef");
    b.liveWeight = QStringLiteral("1150");
    b.kill = kill;
    b.dropOff = kill.addDays(-1);
    b.hangingDays = 14;
    b.estimates = {7, 9};
    b.payments = {{Payment::Kind::Deposit, 10000, kill.addDays(-60), Payment::Method::Check,
                   QStringLiteral("1042"), QStringLiteral("clerk")}};
    return b;
}

// The kill day takes one beef: refused when a beef on the rail is killed
// that day already.
inline EstimateBook::BookingCheck OneBeefOn(const QDate& kill, int* asked = nullptr)
{
    return [kill, asked](const QList<Booking>& onTheRail) {
        if (asked)
            ++*asked;
        for (const Booking& b : onTheRail)
            if (b.kill == kill)
                return QStringLiteral("The kill day is full.");
        return QString();
    };
}

// Bookings kept and read back whole, changed with their revision checked,
// refused by their check with nothing kept, and listed by the days they
// take; `other` is a second counter on the same book.
inline void BookingsKept(EstimateBook& book, EstimateBook& other)
{
    const QDate kill(2026, 10, 13);
    Booking rita = BookedBeef(QStringLiteral("Rita"), kill);
    // A buyer's payment against the bill of its share; a storage waived; the
    // packaged weight recorded at pickup.
    rita.payments.append({Payment::Kind::Payment, 2550, kill.addDays(-50), Payment::Method::Card,
                          QString(), QStringLiteral("ann"), 9});
    rita.storage = {2, 300, QStringLiteral("ann")};
    rita.packaged = QStringLiteral("412.5");
    int asked = 0;
    BookResult kept = book.keep(rita, OneBeefOn(kill, &asked));
    QVERIFY2(kept.done, qPrintable(kept.problem));
    QCOMPARE(asked, 1);
    QVERIFY(rita.number > 0);
    QCOMPARE(rita.revision, 1);
    QString problem;
    std::optional<Booking> read = other.booking(rita.number, &problem);
    QVERIFY2(read, qPrintable(problem));
    QCOMPARE(read->made.toString(Qt::ISODate), rita.made.toString(Qt::ISODate));
    read->made = rita.made;
    read->updated = rita.updated;
    QVERIFY(*read == rita);
    QCOMPARE(read->cut(), QDate(2026, 10, 27));

    // The second beef that day is refused by the check, and nothing is kept.
    Booking sam = BookedBeef(QStringLiteral("Sam"), kill);
    kept = other.keep(sam, OneBeefOn(kill));
    QVERIFY(!kept.done);
    QVERIFY2(kept.problem.contains(QLatin1String("The kill day is full.")),
             qPrintable(kept.problem));
    QCOMPARE(sam.number, 0);
    sam.kill = kill.addDays(1);
    sam.dropOff = kill;
    QVERIFY(other.keep(sam, OneBeefOn(sam.kill)).done);
    QVERIFY(sam.number > rita.number);

    // The check is given every carcass on the rail on the days asked: one
    // killed a week before and hanging still among them.
    Booking later = BookedBeef(QStringLiteral("Later"), kill.addDays(7));
    QStringList seen;
    kept = other.keep(later, [&seen](const QList<Booking>& onTheRail) {
        for (const Booking& b : onTheRail)
            seen << b.customer;
        return QStringLiteral("Not this week.");
    });
    QVERIFY(!kept.done);
    QCOMPARE(seen, (QStringList{QStringLiteral("Rita"), QStringLiteral("Sam")}));

    // Killed and weighed at one counter; the other's copy is then stale.
    Booking there = *other.booking(rita.number, &problem);
    there.state = Booking::State::Killed;
    there.hangingWeighed = QStringLiteral("702");
    QVERIFY(other.keep(there).done);
    QCOMPARE(there.revision, 2);
    rita.phone = QStringLiteral("555-0199");
    kept = book.keep(rita);
    QVERIFY(!kept.done);
    QVERIFY2(kept.problem.contains(QLatin1String("changed at another counter")),
             qPrintable(kept.problem));
    QCOMPARE(book.booking(rita.number, &problem)->hangingWeighed, QStringLiteral("702"));

    // Cut, it is off the rail: the next check does not see it.
    there.state = Booking::State::Cut;
    QVERIFY(other.keep(there).done);
    Booking tom = BookedBeef(QStringLiteral("Tom"), kill);
    QVERIFY(book.keep(tom, OneBeefOn(kill)).done);

    // Listed by the days they take, drop-off to cut.
    const auto customers = [&book](const QDate& from, const QDate& to) {
        QString why;
        QStringList names;
        for (const Booking& b : book.bookings(from, to, &why))
            names << b.customer;
        return why.isEmpty() ? names.join(QLatin1Char(' ')) : why;
    };
    QCOMPARE(customers(kill.addDays(-1), kill.addDays(-1)), QStringLiteral("Rita Tom"));
    QCOMPARE(customers(QDate(2026, 10, 28), QDate(2026, 12, 1)), QStringLiteral("Sam"));
    QCOMPARE(customers(QDate(2026, 9, 1), QDate(2026, 10, 11)), QString());

    // What the day's board reads: dropped off or killed that day, on the rail
    // and due to be cut, or ready for pickup (since the day it was).
    Booking ready = *book.booking(sam.number, &problem);
    ready.state = Booking::State::Ready;
    ready.readySince = QDate(2026, 10, 30);
    ready.estimates = {19, 90};
    QVERIFY(book.keep(ready).done);
    QCOMPARE(book.booking(sam.number, &problem)->readySince, QDate(2026, 10, 30));
    const auto due = [&book](const QDate& day) {
        QString why;
        QStringList names;
        for (const Booking& b : book.bookingsDue(day, &why))
            names << b.customer;
        return why.isEmpty() ? names.join(QLatin1Char(' ')) : why;
    };
    QCOMPARE(due(kill), QStringLiteral("Rita Tom Sam")); // both killed that day, Sam ready
    QCOMPARE(due(QDate(2026, 10, 27)), QStringLiteral("Tom Sam"));   // Tom's cut day
    QCOMPARE(due(kill.addDays(-1)), QStringLiteral("Rita Tom Sam")); // dropped off

    // The bookings a saved estimate bills, by its whole number (9 is not
    // 19 or 90), a few asked or many.
    const auto billing = [&book](const QList<qint64>& estimates) {
        QString why;
        QStringList names;
        for (const Booking& b : book.billedBookings(estimates, &why))
            names << b.customer;
        return why.isEmpty() ? names.join(QLatin1Char(' ')) : why;
    };
    QCOMPARE(billing({9}), QStringLiteral("Rita Tom"));
    QCOMPARE(billing({90}), QStringLiteral("Sam"));
    QCOMPARE(billing({1, 2, 3}), QString());
    QList<qint64> many;
    for (qint64 n = 100; n < 200; ++n)
        many << n;
    QCOMPARE(billing(many + QList<qint64>{90}), QStringLiteral("Sam"));
}

// Two counters booking the last space at the same moment: the second's
// check waits for the first's keep, then sees it and refuses. One booking,
// one refusal, and neither waits past the limit.
inline void LastSpaceTakenOnce(EstimateBook& book, const std::function<EstimateBook*()>& other)
{
    const QDate kill(2026, 11, 2);
    BookResult second;
    std::unique_ptr<QThread> racer;
    Booking first = BookedBeef(QStringLiteral("First"), kill);
    const BookResult kept = book.keep(first, [&](const QList<Booking>& onTheRail) {
        // While this check holds the write, the other counter books too.
        racer.reset(QThread::create([&second, &other, kill] {
            std::unique_ptr<EstimateBook> counter(other());
            Booking b = BookedBeef(QStringLiteral("Second"), kill);
            second = counter->keep(b, OneBeefOn(kill));
        }));
        racer->start();
        QThread::msleep(500);
        return OneBeefOn(kill)(onTheRail);
    });
    QVERIFY2(kept.done, qPrintable(kept.problem));
    QVERIFY(racer->wait(10000));
    QVERIFY(!second.done);
    QVERIFY2(second.problem.contains(QLatin1String("The kill day is full.")),
             qPrintable(second.problem));
    QString problem;
    QCOMPARE(book.bookings(kill, kill, &problem).size(), 1);
}

// Once the carcass of a booking billed by an estimate is cut, its cut sheet
// is locked: a changed sheet is kept only with one more change recorded on
// it; the rest of the estimate (its final bill) is saved as before, and an
// estimate whose number only looks like the booked one's is not locked.
// Several records saved together are refused whole. (The owner's login here.)
inline void CutSheetLocked(EstimateBook& book)
{
    QList<EstimateRecord> saved(11);
    for (int i = 0; i < int(saved.size()); ++i) {
        saved[i].customer = QStringLiteral("Buyer %1").arg(i + 1);
        saved[i].quoteState = QStringLiteral("quote");
        saved[i].cutSheet = QStringLiteral("sirloin steaks 1 in");
        const BookResult first = book.save(saved[i]);
        QVERIFY2(first.done, qPrintable(first.problem));
    }
    EstimateRecord& cut = saved.last();
    // One whose number the booked one's holds (1 in 11), where there is one.
    auto prefix = std::find_if(saved.begin(), saved.end() - 1, [&](const EstimateRecord& r) {
        return QString::number(cut.number).contains(QString::number(r.number));
    });
    if (prefix == saved.end() - 1)
        prefix = saved.begin();
    Booking booking;
    booking.customer = cut.customer;
    booking.species = QStringLiteral("Beef");
    booking.kill = QDate(2026, 10, 13);
    booking.dropOff = booking.kill;
    booking.hangingDays = 14;
    booking.state = Booking::State::Killed;
    booking.estimates = {cut.number};
    QVERIFY(book.keep(booking).done);
    // Hanging: the sheet changes freely.
    cut.cutSheet = QStringLiteral("sirloin roasts 3 lb");
    QVERIFY(book.save(cut).done);
    booking.state = Booking::State::Cut;
    QVERIFY(book.keep(booking).done);

    cut.cutSheet = QStringLiteral("sirloin ground");
    const BookResult refused = book.save(cut);
    QVERIFY(!refused.done);
    QVERIFY2(refused.problem.contains(QStringLiteral("estimate %1 is cut, so its cut sheet is "
                                                     "locked")
                                          .arg(cut.number)),
             qPrintable(refused.problem));
    QString problem;
    QCOMPARE(book.open(cut.number, &problem)->cutSheet, QStringLiteral("sirloin roasts 3 lb"));
    // Saved with another: none of them is kept.
    prefix->note = QStringLiteral("with the cut one");
    QVERIFY(!book.saveAll({&*prefix, &cut}).done);
    QVERIFY(book.open(prefix->number, &problem)->note.isEmpty());

    // The final bill with the sheet as it was; then the change recorded.
    cut.cutSheet = QStringLiteral("sirloin roasts 3 lb");
    cut.finalState = QStringLiteral("final");
    QVERIFY(book.save(cut).done);
    cut.cutSheet = QStringLiteral("sirloin ground");
    cut.sheetChanges = 1;
    const BookResult recorded = book.save(cut);
    QVERIFY2(recorded.done, qPrintable(recorded.problem));
    const std::optional<EstimateRecord> reopened = book.open(cut.number, &problem);
    QCOMPARE(reopened->cutSheet, QStringLiteral("sirloin ground"));
    QCOMPARE(reopened->sheetChanges, 1);
    QCOMPARE(reopened->finalState, QStringLiteral("final"));
    // Another change needs another record of it.
    cut.cutSheet = QStringLiteral("sirloin stew");
    QVERIFY(!book.save(cut).done);
    // The estimate whose number the booked one's holds is not locked.
    prefix->cutSheet = QStringLiteral("sirloin stew");
    const BookResult free = book.save(*prefix);
    QVERIFY2(free.done, qPrintable(free.problem));
}

} // namespace BookChecks
