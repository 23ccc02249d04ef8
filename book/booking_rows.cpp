#include "book/book_store.h"
#include "store/dialect.h"

#include <QFileInfo>
#include <QSqlQuery>

using namespace BookStore;

namespace {

const QString Columns = QStringLiteral(
    "Number, Created, Updated, Customer, Phone, Species, Animals, LiveWeight, Tag, DropOff, "
    "Kill, HangingDays, Cut, State, CancelReason, Deposit, HangingWeighed, OverCapacity, "
    "Estimates, Payments, Revision, ReadyDay, Storage, Packaged");
// What a keep writes, in the order of ContentOf.
const QStringList Content{
    QStringLiteral("Customer"),  QStringLiteral("Phone"),          QStringLiteral("Species"),
    QStringLiteral("Animals"),   QStringLiteral("LiveWeight"),     QStringLiteral("Tag"),
    QStringLiteral("DropOff"),   QStringLiteral("Kill"),           QStringLiteral("HangingDays"),
    QStringLiteral("Cut"),       QStringLiteral("State"),          QStringLiteral("CancelReason"),
    QStringLiteral("Deposit"),   QStringLiteral("HangingWeighed"), QStringLiteral("OverCapacity"),
    QStringLiteral("Estimates"), QStringLiteral("Payments"),       QStringLiteral("ReadyDay"),
    QStringLiteral("Storage"),   QStringLiteral("Packaged")};

const QString DayFormat = QStringLiteral("yyyy-MM-dd");
const QStringList DepositNames{QStringLiteral("held"), QStringLiteral("refunded"),
                               QStringLiteral("kept")};
const QStringList KindNames{QStringLiteral("deposit"), QStringLiteral("payment"),
                            QStringLiteral("refund")};

QString DayText(const QDate& day)
{
    return day.isValid() ? day.toString(DayFormat) : QString();
}

QDate DayFrom(const QVariant& value)
{
    // Read by hand: Qt's reading of a format is slow for thousands of rows.
    const QString text = value.toString();
    const QStringView t(text);
    if (t.size() != 10 || t[4] != u'-' || t[7] != u'-')
        return QDate();
    return QDate(t.left(4).toInt(), t.mid(5, 2).toInt(), t.mid(8, 2).toInt());
}

// A payment a line: its kind, cents, day, method, check number, who took
// it and the estimate it pays (none: the booking's own), between tabs (which
// none of them holds).
QString PaymentsText(const QList<Payment>& payments)
{
    QStringList lines;
    for (const Payment& p : payments) {
        QString check = p.checkNumber, taken = p.takenBy;
        lines << QStringList{KindNames.value(static_cast<int>(p.kind)),
                             QString::number(p.cents),
                             DayText(p.day),
                             MethodName(p.method),
                             check.replace(QLatin1Char('\t'), QLatin1Char(' '))
                                 .replace(QLatin1Char('\n'), QLatin1Char(' ')),
                             taken.replace(QLatin1Char('\t'), QLatin1Char(' '))
                                 .replace(QLatin1Char('\n'), QLatin1Char(' ')),
                             p.estimate > 0 ? QString::number(p.estimate) : QString()}
                     .join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}

QList<Payment> PaymentsFrom(const QString& text)
{
    QList<Payment> payments;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        Payment p;
        p.kind = static_cast<Payment::Kind>(std::max<qsizetype>(0, KindNames.indexOf(f.value(0))));
        p.cents = f.value(1).toLongLong();
        p.day = DayFrom(f.value(2));
        MethodFromName(f.value(3), &p.method);
        p.checkNumber = f.value(4);
        p.takenBy = f.value(5);
        p.estimate = f.value(6).toLongLong();
        payments << p;
    }
    return payments;
}

// The storage charged at pickup: its days, cents and who waived it, between
// tabs; empty while none was charged or waived.
QString StorageText(const StorageCharge& storage)
{
    if (storage.days <= 0)
        return QString(u""_qs);
    QString waived = storage.waivedBy;
    return QStringList{QString::number(storage.days), QString::number(storage.cents),
                       waived.replace(QLatin1Char('\t'), QLatin1Char(' '))}
        .join(QLatin1Char('\t'));
}

StorageCharge StorageFrom(const QString& text)
{
    const QStringList f = text.split(QLatin1Char('\t'));
    StorageCharge storage;
    storage.days = f.value(0).toInt();
    storage.cents = f.value(1).toLongLong();
    storage.waivedBy = f.value(2);
    return storage;
}

QVariantList ContentOf(const Booking& b)
{
    QStringList estimates;
    for (const qint64 n : b.estimates)
        estimates << QString::number(n);
    // Texts are never NULL: an empty one is kept empty.
    const auto text = [](const QString& value) {
        return value.isNull() ? QString(u""_qs) : value;
    };
    return {text(b.customer),
            text(b.phone),
            text(b.species),
            b.animals,
            text(b.liveWeight),
            text(b.tag),
            text(DayText(b.dropOff)),
            DayText(b.kill),
            b.hangingDays,
            DayText(b.cut()),
            StateName(b.state),
            text(b.cancelReason),
            DepositNames.value(static_cast<int>(b.deposit)),
            text(b.hangingWeighed),
            b.overCapacity ? 1 : 0,
            text(estimates.join(QLatin1Char(' '))),
            text(PaymentsText(b.payments)),
            text(DayText(b.readySince)),
            StorageText(b.storage),
            text(b.packaged)};
}

Booking ReadBooking(const QSqlQuery& q)
{
    Booking b;
    b.number = q.value(0).toLongLong();
    b.made = TimeFrom(q.value(1));
    b.updated = TimeFrom(q.value(2));
    b.customer = q.value(3).toString();
    b.phone = q.value(4).toString();
    b.species = q.value(5).toString();
    b.animals = q.value(6).toInt();
    b.liveWeight = q.value(7).toString();
    b.tag = q.value(8).toString();
    b.dropOff = DayFrom(q.value(9));
    b.kill = DayFrom(q.value(10));
    b.hangingDays = q.value(11).toInt();
    StateFromName(q.value(13).toString(), &b.state);
    b.cancelReason = q.value(14).toString();
    b.deposit = static_cast<Booking::Deposit>(
        std::max<qsizetype>(0, DepositNames.indexOf(q.value(15).toString())));
    b.hangingWeighed = q.value(16).toString();
    b.overCapacity = q.value(17).toInt() != 0;
    for (const QString& n : q.value(18).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        b.estimates << n.toLongLong();
    b.payments = PaymentsFrom(q.value(19).toString());
    b.revision = q.value(20).toLongLong();
    b.readySince = DayFrom(q.value(21));
    b.storage = StorageFrom(q.value(22).toString());
    b.packaged = q.value(23).toString();
    return b;
}

// The bookings that a statement selects; `bound` its values.
bool ReadBookings(QSqlDatabase& db, const QString& where, const QVariantList& bound,
                  QList<Booking>* found, QSqlError* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("Select %1 From Bookings Where %2 Order By Kill, Number")
                      .arg(Columns, where));
    for (const QVariant& value : bound)
        query.addBindValue(value);
    if (!query.exec()) {
        *error = query.lastError();
        return false;
    }
    while (query.next())
        found->append(ReadBooking(query));
    return true;
}

// The longest that any booking hangs, read from its index: the bookings
// whose days touch a day were killed at most this many days before it.
std::optional<int> LongestHanging(QSqlDatabase& db, QSqlError* error)
{
    const std::optional<QVariant> longest =
        AskValue(db, QStringLiteral("Select Coalesce(Max(HangingDays), 0) From Bookings"), error);
    return longest ? std::optional<int>(longest->toInt()) : std::nullopt;
}

// The bookings whose days, from drop-off to cut, touch the days from `from`
// to `to` (only those on the rail when `onTheRail`): killed from the longest
// hanging before `from` to `to`, or dropped off between them.
bool ReadTouching(QSqlDatabase& db, const QDate& from, const QDate& to, bool onTheRail,
                  QList<Booking>* found, QSqlError* error)
{
    const std::optional<int> longest = LongestHanging(db, error);
    if (!longest)
        return false;
    if (onTheRail)
        return ReadBookings(db,
                            QStringLiteral("Kill Between ? And ? And Cut >= ? And State In "
                                           "('booked', 'dropped off', 'killed')"),
                            {DayText(from.addDays(-*longest)), DayText(to), DayText(from)}, found,
                            error);
    return ReadBookings(
        db,
        QStringLiteral("(Kill Between ? And ? And Cut >= ?) Or (DropOff Between ? "
                       "And ?)"),
        {DayText(from.addDays(-*longest)), DayText(to), DayText(from), DayText(from), DayText(to)},
        found, error);
}

} // namespace

BookResult EstimateBook::keep(Booking& booking, const BookingCheck& check)
{
    BookResult result;
    const QString what = booking.number == 0
                             ? QStringLiteral("The booking was not kept")
                             : QStringLiteral("Booking %1 was not changed").arg(booking.number);
    if (!connection_->problem.isEmpty()) {
        result.problem = QStringLiteral("%1. %2").arg(what, connection_->problem);
        return result;
    }
    if (booking.customer.trimmed().isEmpty() || !booking.kill.isValid() || booking.animals < 1) {
        result.problem = QStringLiteral("%1: it needs the customer's name, a kill day and at "
                                        "least one animal.")
                             .arg(what);
        return result;
    }
    if (location_.isFile() && !QFileInfo::exists(path())) {
        // The first booking of a shop that has saved no estimate yet.
        QList<EstimateRecord*> none;
        QString problem;
        if (Create(path(), none, &problem) == Creation::Failed) {
            result.problem = QStringLiteral("%1. %2").arg(what, problem);
            return result;
        }
    }
    Session session(connection_->db, &connection_->file);
    QString problem;
    if (!session.start(true, location_, &problem)) {
        result.problem = QStringLiteral("%1. %2").arg(what, problem);
        return result;
    }
    QSqlDatabase& db = connection_->db;
    QSqlError error;
    const auto failed = [&](const QString& words) {
        session.end(false);
        result.problem = words;
        return result;
    };
    // A keep that could not be told: when its key is in the book it went
    // through, and this one goes on from it.
    if (!booking.saveKey.isEmpty()) {
        const std::optional<SavedUnder> earlier =
            FindSave(db, booking.saveKey, &error, QStringLiteral("Bookings"));
        if (error.isValid()) {
            session.failed();
            return failed(QStringLiteral("%1. %2").arg(what, ErrorWords(location_, error, true)));
        }
        if (earlier) {
            booking.number = earlier->number;
            booking.made = earlier->created;
            booking.updated = earlier->updated;
            booking.revision = earlier->revision;
        }
    }
    if (booking.number != 0) {
        QList<Booking> kept;
        if (!ReadBookings(db, QStringLiteral("Number = ?"), {booking.number}, &kept, &error)) {
            session.failed();
            return failed(QStringLiteral("%1. %2").arg(what, ErrorWords(location_, error, true)));
        }
        if (kept.isEmpty())
            return failed(QStringLiteral("%1: it is no longer in the book (deleted, or the book "
                                         "was put back from a backup since it was opened).")
                              .arg(what));
        if (kept.first().revision != booking.revision || kept.first().made != booking.made)
            return failed(QStringLiteral("%1: it was changed at another counter since it was "
                                         "opened. Open it again to see what it holds now.")
                              .arg(what));
    }
    if (check) {
        QList<Booking> onTheRail;
        if (!ReadTouching(db, booking.kill, booking.cut(), true, &onTheRail, &error)) {
            session.failed();
            return failed(QStringLiteral("%1. %2").arg(what, ErrorWords(location_, error, true)));
        }
        if (const QString refused = check(onTheRail); !refused.isEmpty())
            return failed(QStringLiteral("%1. %2").arg(what, refused));
    }
    const Dialect& dialect = Dialect::Of(db);
    const QDateTime time = Now();
    const QString key = NewSaveKey();
    QSqlQuery query(db);
    qint64 number = booking.number;
    if (booking.number == 0) {
        QStringList marks;
        for (int i = 0; i < int(Content.size()); ++i)
            marks << QStringLiteral("?");
        query.prepare(dialect.numberedInsert(
            QStringLiteral("Insert Into Bookings (Created, Updated, %1, SaveKey, Revision) Values "
                           "(?, ?, %2, ?, 1)")
                .arg(Content.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
            QStringLiteral("Number")));
        query.addBindValue(TimeText(time));
        query.addBindValue(TimeText(time));
        for (const QVariant& value : ContentOf(booking))
            query.addBindValue(value);
        query.addBindValue(key);
        number = dialect.insertNumbered(query, QStringLiteral("Number"), &error);
    } else {
        query.prepare(QStringLiteral("Update Bookings Set Updated = ?, %1 = ?, SaveKey = ?, "
                                     "Revision = Revision + 1 Where Number = ?")
                          .arg(Content.join(QStringLiteral(" = ?, "))));
        query.addBindValue(TimeText(time));
        for (const QVariant& value : ContentOf(booking))
            query.addBindValue(value);
        query.addBindValue(key);
        query.addBindValue(booking.number);
        if (!query.exec())
            error = query.lastError();
    }
    const bool written = !error.isValid() && number > 0;
    if (written && session.end(true, &error)) {
        if (booking.number == 0) {
            booking.number = number;
            booking.made = time;
            booking.revision = 1;
        } else {
            ++booking.revision;
        }
        booking.updated = time;
        booking.saveKey.clear();
        ++changes_; // every window of this counter sees it too
        result.done = true;
        return result;
    }
    if (error.nativeErrorCode() == QLatin1String("LE104")) {
        session.end(false);
        result.problem = QStringLiteral("%1: only the shop's owner may book over what the shop "
                                        "can take in. Choose a day that fits, or ask the owner "
                                        "to book it.")
                             .arg(what);
        return result;
    }
    session.failed();
    session.end(false);
    // Every statement went through and the answer was lost: asked again.
    if (written && location_.isServer() &&
        Dialect::Server().kind(error) == StoreKind::Unreachable) {
        SavedUnder saved;
        const Outcome outcome = OutcomeOf(path(), key, &saved, QStringLiteral("Bookings"));
        if (outcome != Outcome::Unknown)
            session.answeredElsewhere();
        if (outcome == Outcome::Saved) {
            booking.number = saved.number;
            booking.made = saved.created;
            booking.updated = saved.updated;
            booking.revision = saved.revision;
            booking.saveKey.clear();
            ++changes_;
            result.done = true;
            return result;
        }
        if (outcome == Outcome::Unknown) {
            booking.saveKey = key;
            result.mayBeSaved = true;
            result.problem =
                QStringLiteral("The booking may have been kept: the server's answer was lost, and "
                               "whether it was kept cannot be told until the server answers "
                               "again. Keep it again then: it is never kept twice. %1")
                    .arg(ErrorWords(location_, error, true));
            return result;
        }
    }
    result.problem = QStringLiteral("%1. %2").arg(what, ErrorWords(location_, error, true));
    return result;
}

QList<Booking> EstimateBook::readBookings(const BookingsRead& read, QString* why)
{
    // A look at the bookings, as a look at the estimates: nothing when there
    // is no book yet, the reason when it cannot be read.
    QList<Booking> found;
    why->clear();
    if (!connection_->problem.isEmpty()) {
        *why = connection_->problem;
        return found;
    }
    if (location_.isFile() && !QFileInfo::exists(path()))
        return found;
    Session session(connection_->db, &connection_->file);
    bool empty = false;
    if (session.start(false, location_, why, &empty) && !empty) {
        QSqlError error;
        if (!read(connection_->db, &found, &error)) {
            found.clear();
            *why = ErrorWords(location_, error, false);
            session.failed();
        }
        session.end(true);
    }
    return found;
}

namespace {

// The reason a look failed, after what was not done; empty when it did not.
void Tell(QString* problem, const QString& what, const QString& why)
{
    if (problem)
        *problem = why.isEmpty() ? QString() : QStringLiteral("%1. %2").arg(what, why);
}

} // namespace

QList<Booking> EstimateBook::bookings(const QDate& from, const QDate& to, QString* problem)
{
    QString why;
    const QList<Booking> found = readBookings(
        [&](QSqlDatabase& db, QList<Booking>* read, QSqlError* error) {
            return ReadTouching(db, from, to, false, read, error);
        },
        &why);
    Tell(problem, QStringLiteral("The bookings could not be read"), why);
    return found;
}

QList<Booking> EstimateBook::bookingsDue(const QDate& day, QString* problem)
{
    QString why;
    const QString d = DayText(day);
    const QList<Booking> found = readBookings(
        [&](QSqlDatabase& db, QList<Booking>* read, QSqlError* error) {
            return ReadBookings(db,
                                QStringLiteral("Kill = ? Or DropOff = ? Or (State In ('booked', "
                                               "'dropped off', 'killed') And Cut <= ?) Or State = "
                                               "'ready'"),
                                {d, d, d}, read, error);
        },
        &why);
    Tell(problem, QStringLiteral("The day's bookings could not be read"), why);
    return found;
}

QList<Booking> EstimateBook::billedBookings(QString* problem)
{
    QString why;
    const QList<Booking> found = readBookings(
        [&](QSqlDatabase& db, QList<Booking>* read, QSqlError* error) {
            return ReadBookings(db, QStringLiteral("Estimates <> ''"), {}, read, error);
        },
        &why);
    Tell(problem, QStringLiteral("The bookings could not be read"), why);
    return found;
}

QList<Booking> EstimateBook::billedBookings(const QList<qint64>& estimates, QString* problem)
{
    // A few estimates are looked for by their numbers among the bookings'
    // (kept between blanks); many, among every booking billed.
    constexpr int FewEstimates = 40;
    QString where = QStringLiteral("Estimates <> ''");
    QVariantList bound;
    if (estimates.size() <= FewEstimates) {
        QStringList each;
        for (const qint64 number : estimates) {
            each << QStringLiteral("(' ' || Estimates || ' ') Like ?");
            bound << QStringLiteral("% ") + QString::number(number) + QStringLiteral(" %");
        }
        where = each.isEmpty() ? QStringLiteral("1 = 0") : each.join(QStringLiteral(" Or "));
    }
    QString why;
    QList<Booking> found =
        readBookings([&](QSqlDatabase& db, QList<Booking>* read,
                         QSqlError* error) { return ReadBookings(db, where, bound, read, error); },
                     &why);
    found.erase(std::remove_if(found.begin(), found.end(),
                               [&](const Booking& b) {
                                   return std::none_of(
                                       b.estimates.begin(), b.estimates.end(),
                                       [&](qint64 n) { return estimates.contains(n); });
                               }),
                found.end());
    Tell(problem, QStringLiteral("The bookings could not be read"), why);
    return found;
}

std::optional<Booking> EstimateBook::booking(qint64 number, QString* problem)
{
    QString why;
    const QList<Booking> found = readBookings(
        [&](QSqlDatabase& db, QList<Booking>* read, QSqlError* error) {
            return ReadBookings(db, QStringLiteral("Number = ?"), {number}, read, error);
        },
        &why);
    Tell(problem, QStringLiteral("Booking %1 could not be read").arg(number), why);
    return found.isEmpty() ? std::nullopt : std::optional<Booking>(found.first());
}
