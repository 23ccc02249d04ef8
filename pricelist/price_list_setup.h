#pragma once

// The price list's tables on a shop's server, and what a backup and the
// server's roles need of them: made, brought up to this version, filled from
// a counter's file. Only the price list tool does this; the counters never do.

#include "store/server_roles.h"
#include "store/store_result.h"
#include "store/table_copy.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class StoreSession;

namespace PriceListSetup {

// Makes the price list's table, with its index, the notice of every change
// to the other counters, the price history and the table of the shop's
// details, in a database on a server (`url`), which must not hold one yet.
// Costs are kept as exact numbers (numeric). A price list made by an earlier
// version (costs as binary fractions, no price history, no shop's details) is
// brought up to this version instead, all or nothing: `upgraded` tells it, and
// `upgrades` what was done, in words. A table of this version is left as it
// is, and refused: `current` tells it.
StoreResult CreatePriceTable(const QString& url, bool* upgraded = nullptr,
                             QStringList* upgrades = nullptr, bool* current = nullptr);

// Copies every row of the price list file `file`, in its order, into the
// server's price list (`url`), which must be empty: all in one transaction,
// or nothing. `copied` gets the number of rows; `notes` tells the rows whose
// cost was not a number and was copied as none.
StoreResult CopyPrices(const QString& file, const QString& url, int* copied, QStringList* notes);

// What the roles may do with the price list's tables: the clerks read them,
// and only the owner's role changes the prices.
ServerRoles::Grants Grants();

// The price list's tables that a backup carries, in the order a restore
// fills them.
const QList<TableCopy::Carried>& CarriedTables();

// A restore on a server, in the server's transaction: before the backup's
// rows (read from the price list file open in `backup`, made at `made`)
// replace the server's, the changes recorded after the backup are kept aside;
// after, they are added back and every price that the restore changed is
// recorded. The history loses nothing.
StoreResult BeforeRestore(StoreSession& backup, StoreSession& server, const QDateTime& made);
StoreResult AfterRestore(StoreSession& server, const QDateTime& made);

// Whether the price list file open in `file` (a backup's) holds the table
// and columns that this version reads; the session tells why not.
bool Readable(StoreSession& file);

} // namespace PriceListSetup
