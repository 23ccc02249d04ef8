#pragma once

// Copying a table's rows from one store to another (a server's to a backup's
// file, a backup's file to a server) by the columns that both declare, with
// the numbers that the source has given kept from being given again. Which
// tables are copied is their owners' to say; how is here, once.

#include "store/store_result.h"

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

class StoreSession;

namespace TableCopy {

// A table that a backup carries: every backup holds a required one; the
// others when the store has them. An owner lists its own, in the order that
// a restore fills them (a table that a trigger fills from an earlier one comes
// after it, so that the backup's rows take the place of what it wrote).
struct Carried {
    QString table;
    bool required = false;
};

// A column as the store declares it: its name, and on a server its type.
struct Column {
    QString name;
    QString type;
};

// The columns of a table, in their order; empty when the store has no such
// table. No value when they could not be read (the session tells why).
std::optional<QList<Column>> ColumnsOf(StoreSession& store, const QString& table);

// Copies the server's table into the file, which is made with the server's
// columns when the file has no such table yet, its rows in the order of the
// table's key. The file keeps the highest number that the server has given
// in the table, so that a file put back never gives it again. Done when the
// server has no such table.
StoreResult ToFile(StoreSession& server, StoreSession& file, const QString& table);

// The last number that each of the server's sequences of the table had
// given, by the sequence's name, before the rows are replaced.
std::optional<QHash<QString, qint64>> NumbersGiven(StoreSession& server, const QString& table,
                                                   const QList<Column>& columns);

// Replaces the rows of the server's table (whose columns are `there`) with
// the file's, within the server's transaction. Numbers given later follow
// the highest ever given: in the file, in `givenBefore`, or in the table.
// Done when the file has no such table, or none of its rows is to be put
// back (`rows` is 0) and the server lacks it.
StoreResult ToServer(StoreSession& file, StoreSession& server, const QString& table,
                     const QList<Column>& there, qint64 rows,
                     const QHash<QString, qint64>& givenBefore);

// The highest number that a file's table (Autoincrement) has given, which a
// later row never gets again even when its row was removed; 0 for none.
std::optional<qint64> HighestGiven(StoreSession& file, const QString& table);

// Gives the file's table numbers above `given` from now on.
bool NumberAbove(StoreSession& file, const QString& table, qint64 given);

} // namespace TableCopy
