#pragma once

// Backing up the shop's price list and saved estimates, and putting a backup
// back. A backup is a folder that any SQLite program opens: the price list
// (Lockers.db) and the saved estimates (Estimates.db), the same files as a
// counter keeps, read at one moment, and a manifest (Backup.txt) telling when
// and from where it was made, by which program, and what it holds. Only the
// price list tool does this; the counters never do.

#include "store/store_result.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

namespace BackupRestore {

// The files of a backup, in its folder.
extern const QString PricesFile;
extern const QString BookFile;
extern const QString ManifestFile;

// What a backup holds, as its manifest tells it.
struct Manifest {
    QDateTime made;
    QString from;    // the price list it was made from, as a person reads it
    QString program; // the program and version that made it
    int bookVersion = 0;
    QList<QPair<QString, qint64>> rows;       // each table carried, with its rows
    QList<QPair<QString, QString>> checksums; // each file, with its SHA-256

    // The rows of a table; -1 when the backup does not carry it.
    qint64 rowsOf(const QString& table) const;
};

struct Outcome {
    StoreKind kind = StoreKind::Done;
    QString problem; // what is wrong and what to do, when not done
    // The backup written, or the one kept of what a restore replaced
    // (empty when there was nothing to keep).
    QString folder;
    Manifest manifest; // of the backup written, checked or put back

    bool done() const { return kind == StoreKind::Done; }
};

// Writes a backup of the price list at `store` (a file, with the Estimates.db
// beside it, or a server) into `folder`: made when missing, refused when it
// holds a backup or a file of the same name already. The backup appears
// whole or not at all, its files read-only. `program` names the program and
// its version.
Outcome Backup(const QString& store, const QString& folder, const QString& program);

// Checks the backup in `folder` whole: its manifest is this program's, its
// files are those that were written, sound, hold the tables and columns
// expected and the rows the manifest counts, and the book is of a version
// this program knows. Nothing is written.
Outcome Check(const QString& folder);

// Puts the backup in `folder` back in place of the price list and the saved
// estimates at `store`, once checked. What was there is kept first as a
// backup of its own (Outcome::folder), beside the price list file, or in the
// current folder for a server. Files are replaced whole; a server in one
// transaction, numbers, times and revisions kept, its triggers left as they
// are; numbers given later follow the highest ever given, by the backup or
// by the store before the restore. The backup itself is never written. When it
// fails, nothing was replaced, unless the problem tells that the price list
// file was and the estimates file beside it could not be.
Outcome Restore(const QString& folder, const QString& store, const QString& program);

} // namespace BackupRestore
