#pragma once

// The shop's own settings for estimates (its ranges of the hanging weight,
// their middles, the factor adopted for quotes, how a kill fee is divided),
// kept beside the price list in the same store, so that every counter quotes
// the same: the table ShopSettings (Key, Value), one row a setting, in the
// price list file or on the server beside Charges1. A backup carries it and a
// restore puts it back; a change reaches every counter as a change of the
// prices does.
//
// In a file, the first save makes the table inside its own write transaction
// (opening a price list never makes or changes anything). On a server,
// locker-pricelist init --database makes it, or adds it to a server set up by
// an earlier version.
//
// An earlier version kept them in each machine's settings file (shop.conf).
// The first read of a store that holds none takes that machine's over, as the
// shop's details are.

#include "core/shop_settings.h"
#include "store/store_result.h"

#include <QString>
#include <QStringList>

class PriceConnection;

struct ShopSettingsRead {
    ShopWideSettings settings;
    StoreKind kind = StoreKind::Done;
    QString problem; // why the store could not be read, in plain words
    // The server keeps none yet, or this machine's own could not be moved
    // into the store (they are the settings read until they are).
    QString note;

    bool done() const { return kind == StoreKind::Done; }
};

namespace ShopSettingsStore {

// The settings that the store keeps (none set when none were saved), with
// the one takeover of this machine's settings described above. When the
// store cannot be read, the kind and the problem say why, and the settings
// are those the settings file still holds, if any.
ShopSettingsRead Read(PriceConnection& connection);

// Saves the settings in place of those kept, in one write transaction. Not
// done, with the kind and the reason in plain words, when the store refused;
// it is then as it was.
StoreResult Save(PriceConnection& connection, const ShopWideSettings& settings);

// The statements that make the table on a server, with the notice of its
// changes to the counters; each may run again.
QStringList ServerStatements();
// The table's name.
extern const QString Table;

} // namespace ShopSettingsStore
