#pragma once

// The book's tables on a shop's server and in a backup, and what the server's
// roles need of them: made, brought up to this version, filled from a
// counter's file, checked and put back. Only the price list tool does this;
// the counters never do.

#include "store/server_roles.h"
#include "store/sqlite_errors.h"
#include "store/store_result.h"
#include "store/table_copy.h"

#include <QList>
#include <QString>

class StoreSession;

namespace BookSetup {

// Makes the book's tables on the server, or brings older ones up to this
// version.
StoreResult PrepareBook(const QString& url);

// Copies every estimate of the book file `file`, with its number, times and
// revision, into the server's book (`url`), which must hold none yet: in one
// transaction, or nothing. `copied` gets their number; later estimates are
// numbered after the highest.
StoreResult CopyEstimates(const QString& file, const QString& url, int* copied);

// What the roles may do with the book's tables: the clerks save, open and
// delete estimates.
ServerRoles::Grants Grants();

// The book's tables that a backup carries, in the order a restore fills them.
const QList<TableCopy::Carried>& CarriedTables();

// The words that name a book's file in its failures.
SqliteFileWords FileWords();

// A new book file at `path`, holding no estimate: its tables of this version.
// Empty when done, else the problem.
QString MakeEmpty(const QString& path);

// Brings the book in the file at `path` up to this version. Empty when done,
// else the problem.
QString Upgrade(const QString& path);

// Whether the server's book (open in `server`, in the backup's transaction)
// may be copied by this version: none yet, or tables of this version.
StoreResult CopiedAsItIs(StoreSession& server);

// A book file just copied into a backup (open in `file`), checked: its
// version (in `version`) one this program knows. `unused` tells a file that
// was made but never held an estimate, which the backup keeps as an empty
// book of this version instead. `from` names where it came from. Empty when
// sound, else the problem.
QString CheckCopy(StoreSession& file, const QString& from, int* version, bool* unused);

// Numbers are never given again: the book put back at `restored` gives its
// next number above every one that the book it replaces (open in `replaced`)
// had given. Empty when done, else the problem.
QString KeepNumbersAbove(StoreSession& replaced, const QString& restored);

// Whether the book file open in `file` (a backup's, of the book's `version`)
// holds the table and columns that this version reads; the session tells why
// not.
bool Readable(StoreSession& file, int version);

} // namespace BookSetup
