#pragma once

// Setting up a shop's server: the tables of the price list and the book, and
// copying a counter's files into them. Only the price list tool does this;
// the counters never do.

#include "book/estimate_book.h"
#include "pricelist/price_source.h"

#include <QString>
#include <QStringList>

namespace ServerSetup {

// Makes the price list's table, with its index, the notice of every change
// to the other counters, the price history and the table of the shop's
// details, in a database on a server (`url`), which must not hold one yet.
// Costs are kept as exact numbers (numeric). A price list made by an earlier
// version (costs as binary fractions, no price history, no shop's details) is
// brought up to this version instead, all or nothing: `upgraded` tells it, and
// `upgrades` what was done, in words. A table of this version is left as it
// is, and refused: `current` tells it.
SaveResult CreatePriceTable(const QString& url, bool* upgraded = nullptr,
                            QStringList* upgrades = nullptr, bool* current = nullptr);

// Copies every row of the price list file `file`, in its order, into the
// server's price list (`url`), which must be empty: all in one transaction,
// or nothing. `copied` gets the number of rows; `notes` tells the rows whose
// cost was not a number and was copied as none.
SaveResult CopyPrices(const QString& file, const QString& url, int* copied, QStringList* notes);

// Makes the book's tables on the server, or brings older ones up to this
// version.
BookResult PrepareBook(const QString& url);

// Copies every estimate of the book file `file`, with its number, times and
// revision, into the server's book (`url`), which must hold none yet: in one
// transaction, or nothing. `copied` gets their number; later estimates are
// numbered after the highest.
BookResult CopyEstimates(const QString& file, const QString& url, int* copied);

// The roles of a shop's server, which its owner grants to each person's login
// (GRANT locker_clerk TO anna). The clerks' may read the price list and its
// history and save, open and delete estimates, but not change the prices; the
// owner's may do everything the program does, prices included. An empty name:
// that role is not made.
struct ShopRoles {
    QString clerk;
    QString owner;
};

// Why a text cannot name a role: a role's name here is plain lower-case
// letters, digits and underscores, beginning with a letter, at most 63 of
// them, and not one of PostgreSQL's own (pg_...). Empty when it can.
QString RoleNameProblem(const QString& name);

// Makes the roles that the server (`url`) lacks, as groups without a login,
// gives each role the rights on the program's tables that it lacks, and takes
// every right to change the price list from the clerks' role and from
// everyone (PUBLIC): all in one transaction, or nothing. The tables must be
// made already. `done` gets what was done, a sentence for each role.
SaveResult MakeRoles(const QString& url, const ShopRoles& roles, QStringList* done);

} // namespace ServerSetup
