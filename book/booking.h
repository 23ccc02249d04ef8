#pragma once

// A kill date booked ahead: the customer, the animals, the days they come in,
// are killed and are cut, where the order stands, the saved estimates it is
// billed by and the money taken against it. Dates are days, with no time of
// day to shift them. A plain value; the book keeps it.

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>

// Money taken or given back against a booking, in whole cents.
struct Payment {
    enum class Kind {
        Deposit, // taken at booking
        Payment, // taken later, at pickup most often
        Refund,  // given back (its amount is what was given, above zero)
    };
    enum class Method { Cash, Check, Card };

    Kind kind = Kind::Deposit;
    std::int64_t cents = 0;
    QDate day;
    Method method = Method::Cash;
    QString checkNumber; // a check's number; empty otherwise
    QString takenBy;     // the login that recorded it
    // The saved estimate whose bill it pays (a buyer's share of an animal);
    // 0: the booking's own, its first estimate's.
    qint64 estimate = 0;

    // What it adds to the paid amount: a refund takes away.
    std::int64_t paid() const { return kind == Kind::Refund ? -cents : cents; }
    bool operator==(const Payment&) const = default;
};

// The storage charged when an order waited past the shop's free days: the
// days charged and what they cost, on the booking's own bill; or waived, and
// by whom.
struct StorageCharge {
    int days = 0;
    std::int64_t cents = 0;
    QString waivedBy; // the login that waived it; empty when it is charged
    bool charged() const { return days > 0 && waivedBy.isEmpty(); }
    bool operator==(const StorageCharge&) const = default;
};

struct Booking {
    enum class State { Booked, DroppedOff, Killed, Cut, Ready, PickedUp, Cancelled };
    // What became of a cancelled booking's deposit.
    enum class Deposit { Held, Refunded, Kept };

    qint64 number = 0; // 0 until the book keeps it
    QString customer, phone;
    QString species; // "Beef", "Pork", "Deer"
    int animals = 1;
    QString liveWeight; // each animal's expected live weight, as typed
    QString tag;        // the animal's tag, when it has one
    QDate dropOff, kill;
    int hangingDays = 0;
    State state = State::Booked;
    QString cancelReason;
    Deposit deposit = Deposit::Held;
    QString hangingWeighed;    // every animal's hanging weight, once weighed
    QDate readySince;          // the day the order was ready for pickup
    bool overCapacity = false; // booked by the owner over what the shop can take
    QList<qint64> estimates;   // the saved estimates it is billed by
    QList<Payment> payments;
    StorageCharge storage; // set when the order is picked up
    // The packaged weight of the order, in pounds as the cutting room typed
    // it at pickup; empty while none was recorded.
    QString packaged;
    qint64 revision = 0;
    QDateTime made, updated;
    // The key of a keep whose outcome could not be told (the server's answer
    // was lost): the next keep looks for it first, so it is never kept twice.
    QString saveKey;

    // The day it is cut, when its hanging days are over.
    QDate cut() const { return kill.addDays(hangingDays); }
    // Cut, ready or picked up: its cut sheet is locked.
    static constexpr std::array<State, 3> CutStates{State::Cut, State::Ready, State::PickedUp};
    bool isCut() const
    {
        return std::find(CutStates.begin(), CutStates.end(), state) != CutStates.end();
    }
    // Killed and not yet cut, or still to be killed: it takes rail space.
    bool onTheRail() const
    {
        return state == State::Booked || state == State::DroppedOff || state == State::Killed;
    }
    bool operator==(const Booking&) const = default;
};

// The words the book keeps and the clerk reads for each state and method:
// "booked", "dropped off", ..., "cash", "check", "card".
QString StateName(Booking::State state);
bool StateFromName(const QString& name, Booking::State* state);
QString MethodName(Payment::Method method);
bool MethodFromName(const QString& name, Payment::Method* method);
