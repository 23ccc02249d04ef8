#pragma once

// Whether a booking fits what the shop can take in: its kill day against the
// animals the day can take, and every day it hangs against the cooler's rail
// space. A carcass weighed takes its weighed hanging weight; one still to be
// killed, the high end of the likely range of its hanging weight; one cut,
// ready or picked up (or a booking cancelled) takes none. Also the money
// taken against a booking, to the cent.

#include "book/booking.h"
#include "book/estimate_book.h"
#include "core/shop_settings.h"
#include "estimate/booking_money.h"
#include "estimate/quote_rules.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <cstdint>

// "1 beef", "3 beef", "2 hogs", "4 deer": the animals of a booking in words.
QString AnimalsWords(const QString& species, int count);
// A day in the clerk's words: "Monday, October 12, 2026".
QString DayWords(const QDate& day);

// The pounds of hanging weight a booking holds on the rail while it hangs;
// no value when its weight is not known (no usable live weight, not weighed).
std::optional<double> RailPounds(const Booking& booking, const QuoteRules& rules);

// What the bookings take on one day: the animals killed (by species, and in
// weighted units, in hundredths) and the pounds hanging.
struct DayLoad {
    QMap<QString, int> kills;
    int units = 0;
    double hanging = 0;
    int animals() const;
};

// Every day's load of the bookings, figured once: a calendar, a board or the
// check of a booking asks it day by day.
class KillLoads {
public:
    KillLoads(const QList<Booking>& bookings, const KillCapacity& capacity,
              const QuoteRules& rules);
    DayLoad on(const QDate& day) const { return loads_.value(day); }
    // The share of the cooler taken on the day: 1 is full; 0 when the
    // cooler's space is not set.
    double coolerShare(const QDate& day) const;

private:
    QMap<QDate, DayLoad> loads_;
    qint64 cooler_ = 0;
};

// Whether a booking fits, and when it does not, what is full and the first
// kill day from the one asked that fits (within a year; none after it).
struct BookingFit {
    enum What { Fits, KillDayFull, CoolerFull, WeightUnknown, TooLarge };
    What what = Fits;
    QDate day;         // the day that is full
    QString species;   // the species whose kills are full (empty: the units)
    double limit = 0;  // what the day or the cooler takes (units as units)
    double taken = 0;  // what is booked on it already
    double needed = 0; // what this booking asks of it
    QDate firstFit;    // the first kill day that fits; invalid when none
    bool fits() const { return what == Fits; }
    // In the clerk's words: "The cooler is full on Friday, October 16, 2026:
    // 5,640 lb of its 6,000 lb hang then, and this booking needs 680 lb. The
    // first kill day that fits is Wednesday, October 21, 2026." Without
    // `firstDay`, what is full alone.
    QString words(bool firstDay = true) const;
};

// Checks `asked` (its kill day and hanging days as booked) against the other
// bookings (`booked`; a booking of the same number is the one being moved,
// and is left out). When it does not fit, the first day that fits is looked
// for (`findFirst`) within a year: `booked` must then hold the bookings of
// that year.
BookingFit Fit(const Booking& asked, const QList<Booking>& booked, const KillCapacity& capacity,
               const QuoteRules& rules, bool findFirst = true);

// Keeps a booking in the book when it fits what the shop can take in,
// checked within the book's write against every booking on the rail then.
// A booking not kept before takes its species' hanging days when it has
// none. `overCapacity`: the owner books it over what is full, and it is
// marked so. Refused with the check's words when it does not fit, and the
// first day that fits; `refused` (when given) then tells what is full and
// that day (and fits when it was refused for another reason, or kept).
BookResult KeepBooking(EstimateBook& book, Booking& booking, const KillCapacity& capacity,
                       const QuoteRules& rules, bool overCapacity = false,
                       BookingFit* refused = nullptr);

// The day's board: what the shop does with its bookings on a day.
struct DayBoard {
    QList<Booking> dropOffs; // dropped off that day (not cancelled)
    QList<Booking> kills;    // killed that day (not cancelled)
    QList<Booking> toCut;    // on the rail, their hanging days reached (cut day that day or before)
    QList<Booking> ready;    // ready for pickup, the longest waiting first
};
// The board of `day` from the bookings (those EstimateBook::bookingsDue
// reads, or any more).
DayBoard BoardOf(const QList<Booking>& bookings, const QDate& day);
// The days an order ready for pickup has waited on `day`; 0 for one not ready.
int DaysWaiting(const Booking& booking, const QDate& day);
// The days of storage charged on `day`: those waited beyond the shop's free
// days; none while the shop charges no storage.
int StorageDays(const Booking& booking, const QDate& day, const KillCapacity& capacity);
