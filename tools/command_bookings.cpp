#include "book/estimate_book.h"
#include "core/money.h"
#include "estimate/kill_calendar.h"
#include "tools/tool.h"

namespace Tool {

namespace {

int runBookings(const Invocation& call)
{
    QDate from, to;
    QString problem;
    if (!givenDays(call, &from, &to, &problem))
        return complain(problem, Usage);
    if (!from.isValid())
        from = to.isValid() ? to.addYears(-1) : QDate::currentDate();
    if (!to.isValid())
        to = from.addYears(1);
    Booking::State state{};
    EstimateBook book(EstimateBook::pathBeside(call.priceListPath));
    QList<Booking> bookings = book.bookings(from, to, &problem);
    if (!problem.isEmpty())
        return complain(problem);
    if (call.state) {
        StateFromName(*call.state, &state);
        bookings.removeIf([state](const Booking& b) { return b.state != state; });
    }
    const QString days =
        QStringLiteral("from %1 to %2").arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate));
    if (bookings.isEmpty()) {
        say(call.state ? QStringLiteral("No booking %1 is %2.").arg(days, StateName(state))
                       : QStringLiteral("No booking takes a day %1.").arg(days));
        return Done;
    }
    QList<QStringList> rows = {{QStringLiteral("Number"), QStringLiteral("Drop-off"),
                                QStringLiteral("Kill"), QStringLiteral("Cut"),
                                QStringLiteral("Species"), QStringLiteral("Animals"),
                                QStringLiteral("Customer"), QStringLiteral("Phone"),
                                QStringLiteral("State"), QStringLiteral("Paid")}};
    for (const Booking& b : bookings) {
        QString stateText = StateName(b.state);
        if (b.overCapacity)
            stateText += QStringLiteral(", over capacity");
        rows << QStringList{QString::number(b.number),
                            b.dropOff.toString(Qt::ISODate),
                            b.kill.toString(Qt::ISODate),
                            b.cut().toString(Qt::ISODate),
                            b.species,
                            QString::number(b.animals),
                            shownName(b.customer),
                            b.phone,
                            stateText,
                            MoneyText(PaidCents(b.payments))};
    }
    sayColumns(rows);
    return Done;
}

QString checkBookings(const Invocation& call)
{
    QDate from, to;
    QString problem;
    if (!givenDays(call, &from, &to, &problem))
        return problem;
    Booking::State state{};
    if (call.state && !StateFromName(*call.state, &state))
        return QStringLiteral("There is no state \"%1\": give booked, \"dropped off\", killed, "
                              "cut, ready, \"picked up\" or cancelled.")
            .arg(*call.state);
    return QString();
}

} // namespace

const Command& BookingsCommand()
{
    static const Command command{
        "bookings",
        "bookings [--from D] [--to D] [--state S]",
        "Lists the kill days booked.",
        "Lists the bookings whose days, from drop-off to cut, touch the days from --from\n"
        "(today when not given) to --to (a year after --from when not given), by kill\n"
        "day: the number, the drop-off, kill and cut days, the species and how many, the\n"
        "customer and phone, the state and what was paid. With --state, only the\n"
        "bookings in that state. A booking the owner made over what the shop can take\n"
        "in says so beside its state.\n"
        "\n"
        "Examples:\n"
        "  locker-pricelist bookings\n"
        "  locker-pricelist bookings --from 2026-10-01 --to 2026-11-15 --state booked\n",
        0,
        0,
        {QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("state")},
        false,
        checkBookings,
        runBookings};
    return command;
}

} // namespace Tool
