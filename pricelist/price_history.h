#pragma once

// The price history: every change of a price or an item (added, its cost or
// category changed, removed) with when (UTC), on which machine, by which
// user, the item, and its old and new cost and category, kept in the table
// PriceHistory beside Charges1. A rename is the old name removed and the new
// one added.
//
// In a file, the change's own write transaction records it: the table is made
// there at the first change (opening a price list never makes or changes
// anything), and triggers of the connection's own (temporary: the file never
// holds them) write a row for each row of Charges1 that the change adds,
// changes or removes. A change and its record are saved together or not at
// all. On a server, a trigger of the server's own records every change,
// whichever program makes it, psql included; locker-pricelist init --database
// makes it.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class PriceConnection;
class QSqlDatabase;
class QSqlError;

// One change of one item, as the history keeps it.
struct PriceChange {
    enum class Action { Added, Changed, Removed };

    QDateTime changed; // UTC
    QString machine;
    QString user;
    QString item;
    Action action = Action::Changed;
    // As stored, a number written as one; empty when none.
    QString oldCost, newCost;
    QString oldCategory, newCategory;

    // When, in this machine's local time: "2025-03-01 14:05".
    QString whenText() const;
    // What changed, in words: "Cost 17.00 → 18.50", "Added at 3.25
    // (Sausage)", "Removed (was 17.00, Kill)".
    QString what() const;
};

// The history as it was read: newest first.
struct PriceHistoryRead {
    QList<PriceChange> changes;
    QString problem; // why it could not be read, in plain words
    // Set when the price list keeps no history yet, and so records nothing
    // (a server set up by an earlier version): what to do about it.
    QString notKept;
};

namespace PriceHistory {

// Inside a change's write transaction on a file: makes the table and the
// file's triggers when they are missing (they record a change by any
// program, "another program" when not this one), and notes this machine and
// user as the writer until RecordedInFile, which the change calls before its
// commit. False, with `error` set, when the file refused.
bool RecordInFile(QSqlDatabase& db, QSqlError* error);
bool RecordedInFile(QSqlDatabase& db, QSqlError* error);

// The statements that make the table and the trigger on a server, or bring
// them up to this version, inside one transaction; each may run again.
QStringList ServerStatements();
// A statement whose answer is true when the server records the history.
QString ServerRecordsQuery();

// The history of one item (of every item when `item` is empty), newest first.
PriceHistoryRead Read(PriceConnection& connection, const QString& item = QString());

// A restore keeps the history. Before the backup's prices take the place
// of those in `db` (on a file: of those in the attached schema `replaced`;
// on a server: the same, in its transaction), NoteBeforeRestore keeps the
// prices that are replaced and the changes recorded after the backup's
// last one. Once the backup's rows (with its history) are in place,
// RecordRestore adds those later changes back, then every difference
// between the prices replaced and those restored, recorded as made by
// "restored from the backup of <made>". False, with `error` set, when the
// store refused.
// `since`: the last change that the backup recorded (LastRecorded, read
// from the backup); later ones are kept.
std::optional<QString> LastRecorded(QSqlDatabase& backup, const QDateTime& made, QSqlError* error);
bool NoteBeforeRestore(QSqlDatabase& db, const QString& replaced, const QString& since,
                       QSqlError* error);
bool RecordRestore(QSqlDatabase& db, const QDateTime& made, QSqlError* error);
// The same for a file: the price list file put back at `restored` (the
// backup's, made `made`) keeps what the file it replaces, at `replaced`,
// recorded later, and records the restore's changes. Empty when done, else
// the problem in plain words.
QString KeepInRestoredFile(const QString& restored, const QString& replaced, const QDateTime& made);

// Who the history names for this program's changes to a file: the machine's
// host name and the login name of the process.
QString ThisMachine();
QString ThisUser();

} // namespace PriceHistory
