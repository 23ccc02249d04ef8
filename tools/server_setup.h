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
// to the other counters and the price history, in a database on a server
// (`url`), which must not hold one yet. Costs are kept as exact numbers
// (numeric). A table made by an earlier version (costs as binary fractions,
// no price history) is brought up to this version instead, all or nothing:
// `upgraded` tells it, and `upgrades` what was done, in words.
SaveResult CreatePriceTable(const QString& url, bool* upgraded = nullptr,
                            QStringList* upgrades = nullptr);

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

} // namespace ServerSetup
