#include "estimate/kill_calendar.h"

#include "core/numbers.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {

Species SpeciesOf(const QString& key)
{
    for (const Species species : {Species::Beef, Species::Pork, Species::Deer})
        if (SpeciesName(species) == key)
            return species;
    return Species::None;
}

// The days a booking hangs, its kill day and its cut day among them: the
// carcass is on the rail until it is cut that day.
template <typename Each> void EachHangingDay(const QDate& kill, int hangingDays, Each each)
{
    for (int d = 0; d <= hangingDays; ++d)
        each(kill.addDays(d));
}

QString Pounds(double pounds)
{
    return QLocale(QLocale::English, QLocale::UnitedStates)
               .toString(static_cast<qint64>(std::ceil(pounds - 1e-9))) +
           QStringLiteral(" lb");
}

QString Units(double units)
{
    return NumberText(units);
}

// Whether `asked` fits with its kill on `kill`, the loads of the others
// being `loads`; when not, what is full (its `what`, `day` and figures).
BookingFit Check(const Booking& asked, const QDate& kill, double rail, const KillLoads& loads,
                 const KillCapacity& capacity)
{
    BookingFit fit;
    const KillCapacity::Day& limits = capacity.day(kill);
    const DayLoad day = loads.on(kill);
    if (const auto limit = limits.animals.constFind(asked.species);
        limit != limits.animals.constEnd() &&
        day.kills.value(asked.species) + asked.animals > *limit) {
        fit.what = BookingFit::KillDayFull;
        fit.species = asked.species;
        fit.limit = *limit;
        fit.taken = day.kills.value(asked.species);
        fit.needed = asked.animals;
    } else if (const int units = asked.animals * capacity.weight(asked.species);
               limits.units && day.units + units > *limits.units) {
        fit.what = BookingFit::KillDayFull;
        fit.limit = *limits.units / 100.0;
        fit.taken = day.units / 100.0;
        fit.needed = units / 100.0;
    }
    if (!fit.fits()) {
        fit.day = kill;
        return fit;
    }
    if (capacity.coolerPounds <= 0)
        return fit;
    EachHangingDay(kill, asked.hangingDays, [&](const QDate& d) {
        const double hanging = loads.on(d).hanging;
        if (fit.fits() && hanging + rail > static_cast<double>(capacity.coolerPounds) + 1e-6) {
            fit.what = BookingFit::CoolerFull;
            fit.day = d;
            fit.limit = static_cast<double>(capacity.coolerPounds);
            fit.taken = hanging;
            fit.needed = rail;
        }
    });
    return fit;
}

} // namespace

QString AnimalsWords(const QString& species, int count)
{
    if (species == QLatin1String("Pork"))
        return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("hog")
                                                                 : QStringLiteral("hogs"));
    return QStringLiteral("%1 %2").arg(count).arg(species.toLower());
}

QString DayWords(const QDate& day)
{
    return QLocale(QLocale::English, QLocale::UnitedStates)
        .toString(day, QStringLiteral("dddd, MMMM d, yyyy"));
}

std::optional<double> RailPounds(const Booking& booking, const QuoteRules& rules)
{
    if (const std::optional<double> weighed = StrictNumber(booking.hangingWeighed);
        weighed && *weighed >= 0)
        return *weighed;
    const std::optional<double> live = StrictNumber(booking.liveWeight);
    const HangingRatio ratio = rules.ratio(SpeciesOf(booking.species));
    if (!live || *live <= 0 || !ratio.isSet() || booking.animals < 1)
        return std::nullopt;
    return Round15(*live * ratio.high * booking.animals);
}

int DayLoad::animals() const
{
    int count = 0;
    for (const int n : kills)
        count += n;
    return count;
}

KillLoads::KillLoads(const QList<Booking>& bookings, const KillCapacity& capacity,
                     const QuoteRules& rules)
    : cooler_(capacity.coolerPounds)
{
    for (const Booking& booking : bookings) {
        if (!booking.onTheRail() || !booking.kill.isValid())
            continue;
        DayLoad& day = loads_[booking.kill];
        day.kills[booking.species] += booking.animals;
        day.units += booking.animals * capacity.weight(booking.species);
        const double rail = RailPounds(booking, rules).value_or(0);
        EachHangingDay(booking.kill, booking.hangingDays,
                       [&](const QDate& d) { loads_[d].hanging += rail; });
    }
}

double KillLoads::coolerShare(const QDate& day) const
{
    return cooler_ > 0 ? on(day).hanging / static_cast<double>(cooler_) : 0;
}

QString BookingFit::words(bool firstDay) const
{
    QString told;
    switch (what) {
    case Fits:
        return QString();
    case WeightUnknown:
        return QStringLiteral("The booking needs the expected live weight of its animals, to "
                              "check the cooler's space.");
    case TooLarge:
        return QStringLiteral("The booking needs %1 of rail space while it hangs, more than the "
                              "cooler's %2.")
            .arg(Pounds(needed), Pounds(limit));
    case KillDayFull:
        told = species.isEmpty()
                   ? QStringLiteral("The kill day is full: %1 takes %2 units, %3 are booked, and "
                                    "this booking needs %4.")
                         .arg(DayWords(day), Units(limit), Units(taken), Units(needed))
                   : QStringLiteral("The kill day is full: %1 takes %2 %3, %4 are booked, and "
                                    "this booking needs %5.")
                         .arg(DayWords(day), Units(limit), species.toLower(), Units(taken),
                              Units(needed));
        break;
    case CoolerFull:
        told = QStringLiteral("The cooler is full on %1: %2 of its %3 hang then, and this booking "
                              "needs %4.")
                   .arg(DayWords(day), Pounds(taken), Pounds(limit), Pounds(needed));
        break;
    }
    if (!firstDay)
        return told;
    return told +
           (firstFit.isValid()
                ? QStringLiteral(" The first kill day that fits is %1.").arg(DayWords(firstFit))
                : QStringLiteral(" No kill day fits within a year."));
}

BookingFit Fit(const Booking& asked, const QList<Booking>& booked, const KillCapacity& capacity,
               const QuoteRules& rules, bool findFirst)
{
    QList<Booking> others;
    others.reserve(booked.size());
    for (const Booking& b : booked)
        if (asked.number == 0 || b.number != asked.number)
            others.append(b);
    const KillLoads loads(others, capacity, rules);
    const std::optional<double> rail = RailPounds(asked, rules);
    BookingFit fit;
    if (capacity.coolerPounds > 0 && !rail) {
        fit.what = BookingFit::WeightUnknown;
        return fit;
    }
    if (capacity.coolerPounds > 0 && *rail > static_cast<double>(capacity.coolerPounds)) {
        fit.what = BookingFit::TooLarge;
        fit.limit = static_cast<double>(capacity.coolerPounds);
        fit.needed = *rail;
        return fit;
    }
    fit = Check(asked, asked.kill, rail.value_or(0), loads, capacity);
    if (fit.fits() || !findFirst)
        return fit;
    for (int d = 1; d <= 366 && !fit.firstFit.isValid(); ++d)
        if (Check(asked, asked.kill.addDays(d), rail.value_or(0), loads, capacity).fits())
            fit.firstFit = asked.kill.addDays(d);
    return fit;
}

BookResult KeepBooking(EstimateBook& book, Booking& booking, const KillCapacity& capacity,
                       const QuoteRules& rules, bool overCapacity, BookingFit* refused)
{
    if (booking.hangingDays <= 0)
        booking.hangingDays = capacity.hangingDays(booking.species);
    if (refused)
        *refused = BookingFit();
    Booking kept = booking;
    // Cut, ready, picked up or cancelled, it takes no space to check.
    if (!kept.onTheRail()) {
        const BookResult result = book.keep(kept);
        if (result.done || result.mayBeSaved)
            booking = kept;
        return result;
    }
    bool full = false;
    BookResult result = book.keep(kept, [&](const QList<Booking>& onTheRail) {
        // A change that asks for no other days or space (a phone, a payment,
        // the carcass weighed: a fact, never refused) is not checked again,
        // and keeps its mark.
        for (const Booking& earlier : onTheRail)
            if (earlier.number == kept.number && kept.number != 0 && earlier.kill == kept.kill &&
                earlier.hangingDays == kept.hangingDays && earlier.animals == kept.animals &&
                earlier.species == kept.species && earlier.liveWeight == kept.liveWeight) {
                kept.overCapacity = earlier.overCapacity;
                return QString();
            }
        kept.overCapacity = false;
        const BookingFit fit = Fit(kept, onTheRail, capacity, rules, false);
        full = !fit.fits();
        if (fit.fits() || !overCapacity)
            return fit.words(false);
        kept.overCapacity = true; // the owner's, and marked
        return QString();
    });
    if (result.done || result.mayBeSaved) {
        booking = kept;
        return result;
    }
    // Refused for what is full: the first day that fits, over the bookings
    // of the year from the day asked (told, not held: another counter may
    // take it first).
    if (full) {
        QString problem;
        const QList<Booking> year = book.bookings(
            booking.kill, booking.kill.addYears(1).addDays(booking.hangingDays), &problem);
        if (problem.isEmpty()) {
            const BookingFit fit = Fit(booking, year, capacity, rules);
            if (refused)
                *refused = fit;
            result.problem += fit.firstFit.isValid()
                                  ? QStringLiteral(" The first kill day that fits is %1.")
                                        .arg(DayWords(fit.firstFit))
                                  : QStringLiteral(" No kill day fits within a year.");
        }
    }
    return result;
}

DayBoard BoardOf(const QList<Booking>& bookings, const QDate& day)
{
    DayBoard board;
    for (const Booking& b : bookings) {
        if (b.state == Booking::State::Cancelled)
            continue;
        if (b.dropOff == day && b.dropOff != b.kill)
            board.dropOffs << b;
        if (b.kill == day)
            board.kills << b;
        if (b.onTheRail() && b.cut() <= day)
            board.toCut << b;
        if (b.state == Booking::State::Ready)
            board.ready << b;
    }
    std::stable_sort(board.toCut.begin(), board.toCut.end(),
                     [](const Booking& a, const Booking& b) { return a.cut() < b.cut(); });
    std::stable_sort(board.ready.begin(), board.ready.end(),
                     [day](const Booking& a, const Booking& b) {
                         return DaysWaiting(a, day) > DaysWaiting(b, day);
                     });
    return board;
}

int DaysWaiting(const Booking& booking, const QDate& day)
{
    if (booking.state != Booking::State::Ready || !booking.readySince.isValid())
        return 0;
    return static_cast<int>(std::max<qint64>(0, booking.readySince.daysTo(day)));
}

int StorageDays(const Booking& booking, const QDate& day, const KillCapacity& capacity)
{
    if (!capacity.freeStorageDays)
        return 0;
    return std::max(0, DaysWaiting(booking, day) - *capacity.freeStorageDays);
}
