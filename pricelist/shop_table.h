#pragma once

// A small table of the shop's own kept beside the prices in the same store
// (its details, its settings): read whole, written whole in one transaction,
// and the one takeover of what an earlier version kept in this machine's
// settings file (shop.conf). In a file, the first save makes the table; on a
// server, init does. Only the shop's details and settings use it.

#include "store/store_result.h"

#include <QList>
#include <QString>
#include <QStringList>

class PriceConnection;

namespace ShopTable {

// What the table is, and how its failures are told.
struct Shape {
    QString table;   // "ShopDetails"
    QString columns; // its columns, as written in a statement: "Name, Address, Phone"
    QString made;    // their kinds: "Name Text, Address Text, Phone Text"
    QString order;   // the order its rows are read in; empty for any
    QString what;    // "The shop's details"
    QString noneYet; // the server keeps none yet: "no shop details"
    // A server's user that may not change it: %1 what could not be saved,
    // %2 the server, %3 the server's words.
    QString mayNot;
};

using Rows = QList<QStringList>;

struct Read {
    Rows rows; // each row's columns as text
    StoreKind kind = StoreKind::Done;
    QString problem; // why the store could not be read, in plain words
    // The server keeps none yet, or this machine's own could not be moved
    // into the store (they are what was read until they are).
    QString note;
    bool done() const { return kind == StoreKind::Done; }
};

// The rows the store keeps; when this machine's settings file still holds
// some (`left`) and the store holds none, they are written to the store and
// `forget` takes them out of the file, once. When the store cannot be read,
// or refuses them, `left` is what was read.
Read ReadTakingOver(PriceConnection& connection, const Shape& shape, const Rows& left,
                    bool (*forget)(QString* problem));

// Writes `rows` in place of those kept, in one write transaction. Not done,
// with the kind and the reason in plain words, when the store refused; it is
// then as it was.
StoreResult Write(PriceConnection& connection, const Shape& shape, const Rows& rows);

// The statement that makes the table; it may run again.
QString MakeTable(const Shape& shape);

} // namespace ShopTable
