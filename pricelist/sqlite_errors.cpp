#include "pricelist/sqlite_errors.h"

#include <QSqlError>

namespace {

// SQLite's primary result codes that a person meets.
enum SqliteCode {
    Perm = 3,
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    IoErr = 10,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    NotADb = 26,
};

// Extended result codes that tell more than their primary code.
constexpr int ReadOnlyDirectory = ReadOnly | (6 << 8);

} // namespace

QString SqliteErrorDetail(const QSqlError& error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    const QString code = error.nativeErrorCode();
    return code.isEmpty() ? text : QStringLiteral("Error %1: %2").arg(code, text);
}

QString SqliteErrorReason(const QSqlError& error)
{
    bool number = false;
    const int extended = error.nativeErrorCode().toInt(&number);
    if (!number)
        return QString();
    if (extended == ReadOnlyDirectory)
        return SqliteFolderReason();
    switch (extended & 0xff) {
    case Busy:
    case Locked:
        return QStringLiteral("another program holds the price list locked; try again when it "
                              "is done with it");
    case ReadOnly:
        return QStringLiteral("the price list file is read-only; let this user write it, then "
                              "try again");
    case Perm:
        return QStringLiteral("this user may not read or write the price list file (permission "
                              "denied)");
    case CantOpen:
        return QStringLiteral("the price list file could not be opened; this user needs "
                              "permission to read and write it and to write in its folder");
    case Full:
        return QStringLiteral("the disk is full");
    case IoErr:
        return QStringLiteral("the price list file could not be read or written");
    case Corrupt:
    case NotADb:
        return QStringLiteral("the file is damaged or is not a price list");
    default:
        return QString();
    }
}

QString SqliteFolderReason()
{
    return QStringLiteral("the folder of the price list may not be written, and a change needs "
                          "to make a journal file beside the price list; let this user write in "
                          "that folder, or move the price list to a folder that can be written");
}

bool SqliteCannotOpen(const QSqlError& error)
{
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number);
    return number && (code & 0xff) == CantOpen;
}
