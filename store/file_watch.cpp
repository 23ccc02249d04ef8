#include "store/file_watch.h"

#include <QFile>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Changes made through this program, counted.
std::atomic<unsigned long long> programWrites{0};

// SQLite's database header: the file change counter, which every committed
// change in rollback-journal mode moves on, and the write version (2 for WAL,
// whose changes do not move the counter).
constexpr off_t HeaderReadFrom = 18;
constexpr int WriteVersionAt = 18 - HeaderReadFrom;
constexpr int ChangeCounterAt = 24 - HeaderReadFrom;
constexpr int HeaderReadBytes = 28 - HeaderReadFrom;

long long nanoseconds(const timespec& time)
{
    return static_cast<long long>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

} // namespace

FileWatch::~FileWatch()
{
    stop();
}

void FileWatch::NoteWrite()
{
    ++programWrites;
}

bool FileWatch::start(const QString& path)
{
    stop();
    path_ = path;
    header_ = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC);
    if (take(&mark_))
        return true;
    stop();
    return false;
}

void FileWatch::stop()
{
    if (header_ >= 0)
        ::close(header_);
    header_ = -1;
    mark_ = Mark();
}

bool FileWatch::take(Mark* mark) const
{
    struct stat info;
    if (::stat(QFile::encodeName(path_).constData(), &info) != 0)
        return false;
    mark->device = static_cast<unsigned long long>(info.st_dev);
    mark->inode = static_cast<unsigned long long>(info.st_ino);
    mark->size = static_cast<long long>(info.st_size);
    mark->modifiedNs = nanoseconds(info.st_mtim);
    mark->changedNs = nanoseconds(info.st_ctim);
    mark->programWrites = programWrites;
    unsigned char header[HeaderReadBytes];
    mark->countsChanges = header_ >= 0 &&
                          ::pread(header_, header, sizeof header, HeaderReadFrom) ==
                              static_cast<ssize_t>(sizeof header) &&
                          header[WriteVersionAt] == 1;
    mark->changeCounter = 0;
    if (mark->countsChanges) {
        const unsigned char* c = header + ChangeCounterAt;
        mark->changeCounter =
            unsigned(c[0]) << 24 | unsigned(c[1]) << 16 | unsigned(c[2]) << 8 | c[3];
    }
    return true;
}

FileWatch::Look FileWatch::look()
{
    Mark now;
    if (!take(&now))
        return Look::Gone;
    if (now.device != mark_.device || now.inode != mark_.inode)
        return Look::Replaced;
    const bool same = now.countsChanges && mark_.countsChanges && now.size == mark_.size &&
                      now.modifiedNs == mark_.modifiedNs && now.changedNs == mark_.changedNs &&
                      now.programWrites == mark_.programWrites &&
                      now.changeCounter == mark_.changeCounter;
    mark_ = now;
    return same ? Look::Same : Look::Changed;
}
