#pragma once

// The one way this program writes a whole file (an export): into a new file
// beside it, checked to the last byte and flushed to the disk, then put in
// its place. The target is never a store of the program, a folder, a pipe or
// a device; an existing file keeps its permissions and is left as it was on
// any failure, and nothing is left behind.

#include "store/store_result.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A file that an export must never replace, with what people call it
// ("the price list", "the book of saved estimates").
struct KeptFile {
    QString path;
    QString name;
};

StoreResult WriteWholeFile(const QString& path, const QByteArray& bytes,
                           const QList<KeptFile>& kept);
