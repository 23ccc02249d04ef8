#include "sqlite_errors.h"

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
    const int code = error.nativeErrorCode().toInt(&number) & 0xff;
    if (!number)
        return QString();
    switch (code) {
    case Busy:
    case Locked:
        return QStringLiteral("another program holds the price list locked; try again when it "
                              "is done with it");
    case ReadOnly:
        return QStringLiteral("the price list file is read-only");
    case Perm:
    case CantOpen:
        return QStringLiteral("the price list file or its folder may not be written");
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
