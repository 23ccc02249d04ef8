#include "store/sqlite_errors.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <cerrno>
#include <unistd.h>

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
// The shared memory beside a file in WAL mode could not grow: no room left.
constexpr int ShmSize = IoErr | (19 << 8);

} // namespace

QString SqliteErrorDetail(const QSqlError& error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    const QString code = error.nativeErrorCode();
    return code.isEmpty() ? text : QStringLiteral("Error %1: %2").arg(code, text);
}

QString SqliteErrorReason(const QSqlError& error, const SqliteFileWords& words)
{
    const QString name = QLatin1String(words.name);
    const QString file = QLatin1String(words.file);
    bool number = false;
    const int extended = error.nativeErrorCode().toInt(&number);
    if (!number)
        return QString();
    if (extended == ReadOnlyDirectory)
        return SqliteFolderReason(words);
    if (extended == ShmSize)
        return QStringLiteral("the disk is full");
    switch (extended & 0xff) {
    case Busy:
    case Locked:
        return QStringLiteral("another program holds %1 locked; try again when it is done "
                              "with it")
            .arg(name);
    case ReadOnly:
        return QStringLiteral("%1 is read-only; let this user write it, then try again").arg(file);
    case Perm:
        return QStringLiteral("this user may not read or write %1 (permission denied)").arg(file);
    case CantOpen:
        return QStringLiteral("%1 could not be opened; this user needs permission to read and "
                              "write it and to write in its folder")
            .arg(file);
    case Full:
        return QStringLiteral("the disk is full");
    case IoErr:
        return QStringLiteral("%1 could not be read or written").arg(file);
    case Corrupt:
    case NotADb:
        return QStringLiteral("the file is damaged or is not %1").arg(QLatin1String(words.kind));
    default:
        return QString();
    }
}

QString SqliteFolderReason(const SqliteFileWords& words)
{
    return QStringLiteral("the folder of %1 may not be written, and a change needs to make a "
                          "journal file beside %1; let this user write in that folder, or move "
                          "%1 to a folder that can be written")
        .arg(QLatin1String(words.name));
}

QString SqliteUnwritableReason(const QString& path, const SqliteFileWords& words, bool folderToo)
{
    const auto writable = [](const QString& name) {
        return ::access(QFile::encodeName(name).constData(), W_OK) == 0 || errno == ENOENT;
    };
    QString reason;
    if (!writable(path))
        reason = QStringLiteral("%1 is read-only; let this user write it, then try again")
                     .arg(QLatin1String(words.file));
    else if (folderToo && !writable(QFileInfo(path).absolutePath()))
        reason = SqliteFolderReason(words);
    if (reason.isEmpty())
        return reason;
    reason[0] = reason[0].toUpper();
    return QStringLiteral("%1 (%2).").arg(reason, path);
}

bool SqliteCannotOpen(const QSqlError& error)
{
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number);
    return number && (code & 0xff) == CantOpen;
}
