#include "book/booking.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<Booking::State, const char*>, 7> States{{
    {Booking::State::Booked, "booked"},
    {Booking::State::DroppedOff, "dropped off"},
    {Booking::State::Killed, "killed"},
    {Booking::State::Cut, "cut"},
    {Booking::State::Ready, "ready"},
    {Booking::State::PickedUp, "picked up"},
    {Booking::State::Cancelled, "cancelled"},
}};

constexpr std::array<std::pair<Payment::Method, const char*>, 3> Methods{{
    {Payment::Method::Cash, "cash"},
    {Payment::Method::Check, "check"},
    {Payment::Method::Card, "card"},
}};

template <typename Table, typename Value> QString NameIn(const Table& table, Value value)
{
    for (const auto& [v, name] : table)
        if (v == value)
            return QString::fromLatin1(name);
    return QString();
}

template <typename Table, typename Value>
bool FromNameIn(const Table& table, const QString& name, Value* value)
{
    for (const auto& [v, n] : table)
        if (name.trimmed().compare(QLatin1String(n), Qt::CaseInsensitive) == 0) {
            *value = v;
            return true;
        }
    return false;
}

} // namespace

QString StateName(Booking::State state)
{
    return NameIn(States, state);
}

bool StateFromName(const QString& name, Booking::State* state)
{
    return FromNameIn(States, name, state);
}

QString MethodName(Payment::Method method)
{
    return NameIn(Methods, method);
}

bool MethodFromName(const QString& name, Payment::Method* method)
{
    return FromNameIn(Methods, name, method);
}
