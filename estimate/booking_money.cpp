#include "estimate/booking_money.h"

#include "core/money.h"
#include "core/numbers.h"
#include "estimate/estimate_summary.h"

#include <QHash>
#include <algorithm>

std::int64_t PaidCents(const QList<Payment>& payments)
{
    std::int64_t paid = 0;
    for (const Payment& p : payments)
        paid += p.paid();
    return paid;
}

std::int64_t OverBalance(std::int64_t due, std::int64_t cents)
{
    return cents > due ? cents - std::max<std::int64_t>(due, 0) : 0;
}

std::optional<double> StorageFeePerDay(PriceSource& prices)
{
    const CostLookup fee = prices.lookupCost(QStringLiteral("StorageFee"), CostStatement::Plain);
    return fee.found() ? std::optional<double>(fee.cost) : std::nullopt;
}

StorageCharge StorageOn(const Booking& booking, const QDate& day, const KillCapacity& capacity,
                        double feePerDay)
{
    StorageCharge storage;
    if (!capacity.freeStorageDays || !booking.readySince.isValid() || feePerDay <= 0)
        return storage;
    const qint64 waited = booking.readySince.daysTo(day);
    storage.days = static_cast<int>(std::max<qint64>(0, waited - *capacity.freeStorageDays));
    if (storage.days > 0)
        storage.cents = CentsOf(NumberText(Round15(feePerDay * storage.days))).value_or(0);
    return storage;
}

BillMoney MoneyOnBill(const QList<Booking>& bookings, qint64 estimate)
{
    BillMoney money;
    // Billed again after a booking was cancelled: the booking that stands.
    auto billing = std::find_if(bookings.begin(), bookings.end(), [&](const Booking& b) {
        return b.estimates.contains(estimate) && b.state != Booking::State::Cancelled;
    });
    if (billing == bookings.end())
        billing = std::find_if(bookings.begin(), bookings.end(),
                               [&](const Booking& b) { return b.estimates.contains(estimate); });
    if (estimate <= 0 || billing == bookings.end())
        return money;
    const bool own = billing->estimates.first() == estimate;
    money.booking = billing->number;
    money.cut = billing->isCut();
    for (const Payment& p : billing->payments)
        if (p.estimate == estimate || (own && !billing->estimates.contains(p.estimate)))
            money.payments << p;
    if (own)
        money.storage = billing->storage;
    return money;
}

BillMoney MoneyOnBill(EstimateBook& book, qint64 estimate)
{
    QString problem;
    return estimate > 0 ? MoneyOnBill(book.billedBookings({estimate}, &problem), estimate)
                        : BillMoney();
}

namespace {

QString PaymentWords(const Payment& p)
{
    static const char* const Kinds[] = {"Deposit", "Payment", "Refund"};
    QString words = QStringLiteral("%1, %2, %3")
                        .arg(QLatin1String(Kinds[static_cast<int>(p.kind)]),
                             p.day.toString(Qt::ISODate), MethodName(p.method));
    if (p.method == Payment::Method::Check && !p.checkNumber.isEmpty())
        words += QStringLiteral(" %1").arg(p.checkNumber);
    return words;
}

} // namespace

void AddBillMoney(EstimateSummary& summary, const BillMoney& money)
{
    summary.billedByBooking = money.booking > 0;
    summary.payments.clear();
    summary.storageWords.clear();
    summary.storageCents = 0;
    if (!summary.billedByBooking)
        return;
    for (const Payment& p : money.payments)
        summary.payments.append({PaymentWords(p), p.paid()});
    if (money.storage.days > 0) {
        const QString days =
            CountOf(money.storage.days, QStringLiteral("day"), QStringLiteral("days"));
        summary.storageWords =
            money.storage.charged()
                ? QStringLiteral("Storage, %1 past the free days").arg(days)
                : QStringLiteral("Storage of %1 waived by %2").arg(days, money.storage.waivedBy);
        summary.storageCents = money.storage.charged() ? money.storage.cents : 0;
    }
    summary.balanceDue = money.balance(CentsOf(summary.total).value_or(0)).due();
}

QString WeighBookings(EstimateBook& book, const QList<EstimateRecord>& saved)
{
    QHash<qint64, const EstimateRecord*> byNumber;
    QList<qint64> numbers;
    for (const EstimateRecord& record : saved)
        if (record.number > 0 && record.weighedHanging) {
            byNumber.insert(record.number, &record);
            numbers << record.number;
        }
    if (numbers.isEmpty())
        return QString();
    QString problem;
    QStringList problems;
    for (Booking booking : book.billedBookings(numbers, &problem)) {
        if (!booking.onTheRail())
            continue; // cut, ready, picked up or cancelled: weighed long since
        double pounds = 0;
        bool weighed = true;
        for (const qint64 number : booking.estimates) {
            std::optional<EstimateRecord> other;
            const EstimateRecord* record = byNumber.value(number);
            if (!record && (other = book.open(number, &problem)))
                record = &*other;
            if (!record || !record->weighedHanging) {
                weighed = false;
                break;
            }
            pounds += *record->weighedHanging;
        }
        const QString text = NumberText(Round15(pounds));
        if (!weighed || (booking.state == Booking::State::Killed && booking.hangingWeighed == text))
            continue;
        booking.hangingWeighed = text;
        booking.state = Booking::State::Killed;
        // Weighed, the carcass hangs already: nothing to check.
        if (const BookResult kept = book.keep(booking); !kept.done)
            problems << kept.problem;
    }
    if (!problem.isEmpty())
        problems.prepend(problem);
    return problems.join(QLatin1Char('\n'));
}
