#pragma once

// The book of saved estimates: an SQLite file, Estimates.db, kept beside the
// price list but never inside it (the owner may replace the price list file at
// any time). Each estimate has a short number the clerk writes on a tag,
// unique and increasing; its first save is the quote, kept as given, and a
// later one may record the final bill beside it. Every save is one
// transaction.

#include "book/booking.h"
#include "book/quote_report.h"
#include "store/store_location.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// One saved estimate. The states are the estimate object's own record of
// itself (text that the estimate layer writes and reads back exactly); the
// book keeps them as they come and never looks inside.
struct EstimateRecord {
    qint64 number = 0; // 0 until the first save gives it one
    QDateTime created; // the first save (the quote), local time
    QDateTime updated; // the last save
    QString customer;  // required: not empty, not only blanks
    QString phone;
    QString note;
    QString hunter;     // a deer's hunter's tag or licence number; may be empty
    QString species;    // "Beef", "Pork", "Deer", or empty
    QString liveWeight; // as typed
    QString quoteTotal; // the total of the quote, as shown
    QString finalTotal; // the total of the final bill; empty while there is none
    QString quoteState; // the estimate as quoted
    QString finalState; // the estimate as billed; empty while there is none
    // Moves on at every save; a save of a record whose revision is no longer
    // the book's is refused (the estimate was changed elsewhere since it was
    // opened).
    qint64 revision = 0;
    // The key of a save whose outcome could not be told (the server's reply
    // was lost and it could not be asked again): the next save of the record
    // looks for it first, so that the estimate is never saved twice.
    QString saveKey;

    // The figures kept beside the states, for the report on the quotes'
    // accuracy and the list of an animal's shares. The estimate layer writes
    // them from the states (the book never looks inside those).
    QString animalTag; // the carcass's tag of a share of an animal; empty otherwise
    QString sharePart; // its part ("quarter"); empty for a whole animal
    // The tag as the list shows and searches it: a share's, or one taken off
    // its animal ("B-1042, taken off"); empty for a whole animal.
    QString tagLine;
    std::optional<qint64> quoteCents, finalCents;
    // The quote's likely range of the total, in cents, as it was given.
    std::optional<qint64> likelyLow, likelyHigh;
    // The live (or field-dressed) weight of its part of the animal, and the
    // hanging weight weighed after the kill for its final bill.
    std::optional<double> livePounds, weighedHanging;
    // One bit for each service charged, by the estimate layer's numbers.
    int quoteServices = 0, finalServices = 0;
    // False for a record read from a book that did not keep the figures yet.
    bool figured = true;
    // The customer's cut sheet as the estimate layer writes it (the same
    // text for the same choices; empty while there is none) and the count of
    // the changes recorded on it. Once the carcass of a booking billed by the
    // estimate is cut, the book keeps a changed sheet only with one more
    // change recorded, and on a server only from the owner's login.
    QString cutSheet;
    int sheetChanges = 0;

    bool hasFinal() const { return !finalState.isEmpty(); }
};

// One line of the list of saved estimates.
struct EstimateListing {
    qint64 number = 0;
    QDateTime created;
    QString customer;
    QString phone;
    QString species;
    QString liveWeight;
    QString quoteTotal;
    QString finalTotal; // empty while there is no final bill
    // The quote's likely range of the total, in cents; none when it had none.
    std::optional<qint64> likelyLow, likelyHigh;
    QString note; // its first 120 characters
    QString hunter;
    QString tag; // the animal's tag of a share (see EstimateRecord::tagLine)
};

// The outcome of a change to the book.
struct BookResult {
    bool done = false;
    QString problem; // in plain words, when not done: what is wrong and what to do
    // The server's answer to the save was lost and it could not be asked
    // again: the save may have been kept (the record keeps its key, and its
    // next save tells).
    bool mayBeSaved = false;
};

class EstimateBook {
public:
    // The version of the book's tables that this program writes; a file of a
    // later version is refused (a newer program made it), an older one is
    // brought up to this version when it is opened for a save.
    static constexpr int SchemaVersion = 9;

    explicit EstimateBook(StoreLocation location);
    ~EstimateBook();
    EstimateBook(const EstimateBook&) = delete;
    EstimateBook& operator=(const EstimateBook&) = delete;

    const QString& path() const { return location_.text(); }
    const StoreLocation& location() const { return location_; }

    // Estimates.db beside the price list at `priceListPath`.
    static QString pathBeside(const QString& priceListPath);

    // Saves a new record (number 0: it gets the next number, and created and
    // updated are set) or an existing one (updated is set). On success the
    // record carries its number, times and new revision. The file is created
    // at the first save. Nothing is changed when it fails: the record stays as
    // it was, and the problem says why (locked, read-only, disk full, damaged,
    // made by a newer program, changed elsewhere since it was opened, no
    // customer name, a cut sheet changed after the cut without the change
    // recorded or, on a server, by another login than the owner's). Each save carries a key of its
    // own: when the server's reply to it is lost, the book asks again whether it went through, and
    // when that cannot be told either, the record keeps the key (saveKey) for
    // the next save.
    BookResult save(EstimateRecord& record);
    // Saves several records in one transaction (the shares of one animal):
    // all of them, or none and the problem says why.
    BookResult saveAll(const QList<EstimateRecord*>& records);

    // The saved estimates of one animal's shares, by its tag, in the order
    // of their numbers; empty when there are none.
    QList<EstimateRecord> animal(const QString& tag, QString* problem);

    // Fills in the figures of records saved before the book kept them, from
    // `figure` (which reads a record's states and sets its figures). How many
    // were filled; -1 when the book refused, and `problem` says why.
    int fillFigures(const std::function<void(EstimateRecord&)>& figure, QString* problem);

    // How near the quotes came to the final bills (see quote_report.h).
    // Estimates saved before the book kept its figures are counted once
    // fillFigures has filled them in.
    AccuracyReport report(const ReportRange& range, QString* problem);

    // The saved estimates, newest first, whose customer, phone, note,
    // hunter's tag or animal's tag holds `search` or whose number starts with it (letter case
    // ignored, blanks around it too; a search written as a phone number also
    // finds the phone written with other marks between its digits; an empty
    // search lists them all), saved first on `since` or later when it is a
    // date. At most `limit` of them when it is not negative: the first rows
    // come quickly however many there are. Empty with no problem when there
    // is no file yet.
    QList<EstimateListing> list(const QString& search, QString* problem, int limit = -1,
                                const QDate& since = QDate());

    // Whether another counter or program changed the book since the last
    // call (the server's notice; a file's change), told without waiting: a
    // list shown may be out of date. On a server this counter's own changes
    // are told too. False when it cannot be told now.
    bool changedElsewhere();
    // The changes told so far, looked for now: a window showing the book
    // keeps the count it last showed, and a larger one means that what it
    // shows may be out of date. Every window of one book sees every change
    // this way, whichever of them looked first. `changesCounted` is the count
    // without looking.
    quint64 changesSeen();
    quint64 changesCounted() const { return changes_; }

    // One saved estimate; no value when there is none (or the file refused,
    // and then `problem` says why).
    std::optional<EstimateRecord> open(qint64 number, QString* problem);

    // Removes one saved estimate.
    BookResult remove(qint64 number);

    // A save whose outcome could not be told (the record keeps its saveKey),
    // told now that the book may be asked: done when it was kept (the record
    // then carries its number, times and revision); not done and not
    // mayBeSaved when it was not (then the problem says so); mayBeSaved while
    // it still cannot be told. Done at once when no save is pending.
    BookResult settle(EstimateRecord& record);
    // Kill days booked ahead, kept beside the estimates in the same store.
    //
    // Why a booking does not fit, given every booking on the rail on the
    // days it hangs, from its kill day to its cut (its own earlier self among
    // them when it is moved); empty when it fits.
    using BookingCheck = std::function<QString(const QList<Booking>& onTheRail)>;
    // Keeps a new booking (number 0) or a change to one kept before, after
    // `check` (when given) within the same write: another counter's booking
    // waits for it, so two never both take the last space. On success the
    // booking carries its number, times and revision. Refused, with nothing
    // kept, when the check says it does not fit (the problem is its words),
    // when it was changed elsewhere since it was read, or when the store
    // refuses; mayBeSaved when the server's answer was lost and whether it
    // was kept cannot be told (the booking keeps its key, and its next keep
    // tells).
    BookResult keep(Booking& booking, const BookingCheck& check = {});
    // The bookings whose days, from drop-off to cut, touch the days from
    // `from` to `to`, by kill day and number. Empty with no problem when
    // there is no book yet.
    QList<Booking> bookings(const QDate& from, const QDate& to, QString* problem);
    // What the day's board lists on `day`: the bookings dropped off or killed
    // that day, those on the rail whose cut day is reached, and the orders
    // ready for pickup.
    QList<Booking> bookingsDue(const QDate& day, QString* problem);
    // The bookings billed by any of the saved estimates `estimates`, by
    // kill day and number. Empty with no problem when there are none.
    QList<Booking> billedBookings(const QList<qint64>& estimates, QString* problem);
    // Every booking billed by a saved estimate.
    QList<Booking> billedBookings(QString* problem);
    // One booking; no value when there is none (or the store refused, and
    // then `problem` says why).
    std::optional<Booking> booking(qint64 number, QString* problem);

    // Whether the book may be asked now without waiting: not a server out
    // of reach, or one that a probe away from the screen found answering.
    bool mayAsk();

private:
    // The book as a list reads it now is the one changedElsewhere() tells
    // changes to.
    void noteSeen();
    // Whether the book changed since the last look (see changedElsewhere).
    bool lookForChanges();
    // The bookings that `read` reads in a look at the book; none, and the
    // reason in `why`, when the book cannot be read.
    using BookingsRead =
        std::function<bool(QSqlDatabase& db, QList<Booking>* found, QSqlError* error)>;
    QList<Booking> readBookings(const BookingsRead& read, QString* why);

    struct Connection;
    StoreLocation location_;
    std::unique_ptr<Connection> connection_;
    // A file's, when changedElsewhere() last looked.
    qint64 dataVersion_ = 0;
    bool wasThere_ = false, looked_ = false;
    quint64 changes_ = 0;
};
