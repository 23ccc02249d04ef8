#include "store/file_writer.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The cause of a failed write to a file, in plain words.
QString writeFailure(int error, const QString& folder)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("the disk is full");
    case EDQUOT:
        return QStringLiteral("this user's disk quota is used up");
    case EFBIG:
        return QStringLiteral("the file would be larger than this user may write (the file size "
                              "limit)");
    case EACCES:
    case EPERM:
        return QStringLiteral("this user may not write in the folder %1 (permission denied)")
            .arg(folder);
    case EROFS:
        return QStringLiteral("the disk is read-only");
    case ENOENT:
        return QStringLiteral("the folder %1 does not exist").arg(folder);
    case ENOTDIR:
        return QStringLiteral("a part of the path %1 is not a folder").arg(folder);
    case EIO:
        return QStringLiteral("the disk could not be written (input/output error)");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString fileKind(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe (FIFO)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

// Whether the file begins as every SQLite database does, or is the log,
// journal or shared memory that SQLite keeps beside one: an export never
// takes the place of a price list or a book, or of a part of one, whatever
// its name.
bool isDatabase(const QString& path)
{
    for (const QLatin1String beside :
         {QLatin1String("-wal"), QLatin1String("-shm"), QLatin1String("-journal")})
        if (path.endsWith(beside) && isDatabase(path.chopped(beside.size())))
            return true;
    QFile file(path);
    static const QByteArray Header("SQLite format 3", 16);
    return file.open(QIODevice::ReadOnly) && file.read(Header.size()) == Header;
}

StoreKind kindOf(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return StoreKind::DiskFull;
    case EACCES:
    case EPERM:
        return StoreKind::PermissionDenied;
    case EROFS:
        return StoreKind::ReadOnly;
    case ENOENT:
    case ENOTDIR:
        return StoreKind::Missing;
    default:
        return StoreKind::Failed;
    }
}

} // namespace

StoreResult WriteWholeFile(const QString& path, const QByteArray& bytes,
                           const QList<KeptFile>& kept)
{
    const QByteArray given = QFile::encodeName(path);
    QString target = path;
    struct stat info;
    bool existed = false;
    mode_t keepMode = 0;
    if (::lstat(given.constData(), &info) == 0) {
        existed = true;
        if (S_ISLNK(info.st_mode)) {
            // A link to a file: the link stays and the file it names gets the
            // new content.
            target = QFileInfo(path).canonicalFilePath();
            if (target.isEmpty() || ::stat(QFile::encodeName(target).constData(), &info) != 0)
                return StoreResult::fail(
                    StoreKind::Refused,
                    QStringLiteral("%1 is a link to %2, which is not there. Give the name of "
                                   "a CSV file.")
                        .arg(path, QFileInfo(path).symLinkTarget()));
        }
        if (!S_ISREG(info.st_mode))
            return StoreResult::fail(
                StoreKind::Refused,
                QStringLiteral("%1 is %2, not a CSV file; it was left as it is. Give the name "
                               "of a CSV file.")
                    .arg(path, fileKind(info.st_mode)));
        keepMode = info.st_mode & 07777;
    }
    const QFileInfo targetInfo(target);
    if (existed) {
        for (const KeptFile& store : kept) {
            struct stat theirs;
            if (::stat(QFile::encodeName(store.path).constData(), &theirs) == 0 &&
                theirs.st_dev == info.st_dev && theirs.st_ino == info.st_ino)
                return StoreResult::fail(
                    StoreKind::Refused,
                    QStringLiteral("%1 is %2 itself; it was left as it is. Give the CSV file "
                                   "another name.")
                        .arg(path, store.name));
        }
        if (isDatabase(target))
            return StoreResult::fail(
                StoreKind::Refused,
                QStringLiteral("%1 is a database, not a CSV file; it was left as it is. Give the "
                               "CSV file another name.")
                    .arg(path));
    }
    const QString folder = targetInfo.absolutePath();
    const QString leftAs = existed ? QStringLiteral(" %1 was left as it was.").arg(path)
                                   : QStringLiteral(" Nothing was written.");
    const auto failed = [&](int error) {
        return StoreResult::fail(kindOf(error),
                                 QStringLiteral("%1 could not be written: %2.%3")
                                     .arg(path, writeFailure(error, folder), leftAs));
    };

    QString temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = QStringLiteral("%1/.%2.%3.writing")
                        .arg(folder, targetInfo.fileName())
                        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        // A new file gets the usual permissions (the umask applies); a
        // replaced one gets its own below.
        fd = ::open(QFile::encodeName(temporary).constData(),
                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existed ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            return failed(errno);
    }
    if (fd < 0)
        return failed(EEXIST);
    const QByteArray temporaryName = QFile::encodeName(temporary);
    const auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temporaryName.constData());
        return failed(error);
    };
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return abandon(errno);
        }
        if (written == 0)
            return abandon(ENOSPC);
        data += written;
        left -= written;
    }
    if (existed && ::fchmod(fd, keepMode) != 0)
        return abandon(errno);
    if (::fsync(fd) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporaryName.constData());
        return failed(error);
    }
    if (::rename(temporaryName.constData(), QFile::encodeName(target).constData()) != 0) {
        const int error = errno;
        ::unlink(temporaryName.constData());
        return failed(error);
    }
    return {};
}