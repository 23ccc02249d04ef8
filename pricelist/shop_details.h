#pragma once

// The shop's name, address and phone, kept beside the price list in the same
// store, so that every counter prints the same head on its estimates: one row
// of the table ShopDetails (Name, Address, Phone) in the price list file, or
// on the server beside Charges1.
//
// In a file, the first save makes the table inside its own write transaction
// (opening a price list never makes or changes anything). On a server,
// locker-pricelist init --database makes it, or adds it to a server set up by
// an earlier version.
//
// An earlier version kept the details in each machine's settings file
// (shop.conf). The first read of a store that holds none takes that
// machine's over: they are written to the store, then taken out of the
// settings file, so that they never come back over a later change made at
// another counter.

#include "core/shop_settings.h"
#include "store/store_result.h"

#include <QString>
#include <QStringList>

class PriceConnection;

// The details as they were read.
struct ShopDetailsRead {
    ShopDetails details;
    StoreKind kind = StoreKind::Done;
    QString problem; // why the store could not be read, in plain words
    // What the owner may want to know and do, though the details were read:
    // the server keeps none yet, or this machine's own could not be moved
    // into the store (they are the details read until they are).
    QString note;

    bool done() const { return kind == StoreKind::Done; }
};

namespace ShopDetailsStore {

// The details that the store keeps (all empty when none were saved), with
// the one takeover of this machine's settings described above. When the
// store cannot be read, the kind and the problem say why, and the details are
// those the settings file still holds, if any.
ShopDetailsRead Read(PriceConnection& connection);

// Saves the three details in place of those kept, in one write transaction.
// Not done, with the kind and the reason in plain words, when the store
// refused; it is then as it was.
StoreResult Save(PriceConnection& connection, const ShopDetails& details);

// The statements that make the table on a server; each may run again.
QStringList ServerStatements();
// The table's name.
extern const QString Table;

} // namespace ShopDetailsStore
