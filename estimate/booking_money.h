#pragma once

// The money of a booking, to the cent: what was paid against it, the
// storage charged when its order waited past the shop's free days, and the
// balance each saved estimate's bill shows. Also the carcasses weighed by
// the bills that bill a booking.

#include "book/booking.h"
#include "book/estimate_book.h"
#include "core/shop_settings.h"
#include "pricelist/price_source.h"

#include <QDate>
#include <QList>
#include <cstdint>

struct EstimateSummary;

// The money paid against a booking: deposits and payments, less refunds.
std::int64_t PaidCents(const QList<Payment>& payments);

// The bill against what was paid.
struct Balance {
    std::int64_t billed = 0;
    std::int64_t paid = 0;
    // What the customer owes; below zero, what the shop owes them.
    std::int64_t due() const { return billed - paid; }
};

// A payment of `cents` when `due` is owed: above it, the change to give back
// (or keep as a credit), 0 when it is not above.
std::int64_t OverBalance(std::int64_t due, std::int64_t cents);

// The storage fee a day: the price list's StorageFee; none when it has none.
std::optional<double> StorageFeePerDay(PriceSource& prices);

// The storage of an order picked up on `day`: the days it waited past the
// shop's free days, at `feePerDay` dollars a day (the price list's
// StorageFee), to the cent as a bill's charge is. None while the shop
// charges no storage or it did not wait that long.
StorageCharge StorageOn(const Booking& booking, const QDate& day, const KillCapacity& capacity,
                        double feePerDay);

// What one saved estimate's bill shows of the booking it is billed by.
struct BillMoney {
    qint64 booking = 0;      // the booking's number; 0 when none bills it
    QList<Payment> payments; // paid against this bill, in the order taken
    // The booking's storage, on the booking's own bill (its first
    // estimate's) only.
    StorageCharge storage;
    // The carcass was cut (the booking is cut, ready or picked up): its cut
    // sheet is locked.
    bool cut = false;
    std::int64_t paid() const { return PaidCents(payments); }
    // The bill's total (in cents) with its storage charged, against what
    // was paid.
    Balance balance(std::int64_t totalCents) const
    {
        return {totalCents + (storage.charged() ? storage.cents : 0), paid()};
    }
};

// The money on the bill of the saved estimate `estimate`, from the
// bookings: the first of them that it bills and that is not cancelled (the
// first cancelled one when all are); an empty BillMoney when none is billed
// by it. A payment naming no estimate of the booking pays the booking's own
// bill.
BillMoney MoneyOnBill(const QList<Booking>& bookings, qint64 estimate);
// The same, read from the book; empty when none is billed by it or the
// book cannot be read.
BillMoney MoneyOnBill(EstimateBook& book, qint64 estimate);

// The payments, storage and balance a printed bill shows (see
// EstimateSummary), against the summary's total.
void AddBillMoney(EstimateSummary& summary, const BillMoney& money);

// The bookings billed by the saved estimates `saved` (as just saved), told
// their carcasses' weights: a booking whose every estimate has a hanging
// weight weighed takes their sum and is killed, when it was still to be
// killed or hanging. What could not be kept, in words; empty when all was.
QString WeighBookings(EstimateBook& book, const QList<EstimateRecord>& saved);
