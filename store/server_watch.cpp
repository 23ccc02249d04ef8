#include "store/server_watch.h"

#include "store/database.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct Watched {
    Clock::time_point deadline;
    int socket = -1;
    ino_t inode = 0; // the socket's own, so that a descriptor used again is left alone
    bool cut = false;
};

ino_t inodeOf(int fd)
{
    struct stat info;
    return ::fstat(fd, &info) == 0 ? info.st_ino : 0;
}

// One thread for the whole program, asleep until the nearest deadline.
class Watcher {
public:
    ~Watcher()
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

    quint64 add(int socket, int limitMs)
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable())
            thread_ = std::thread([this] { run(); });
        const quint64 id = ++last_;
        watched_[id] = Watched{Clock::now() + std::chrono::milliseconds(limitMs), socket,
                               inodeOf(socket), false};
        changed_.notify_all();
        return id;
    }

    bool remove(quint64 id)
    {
        std::lock_guard lock(mutex_);
        const auto it = watched_.find(id);
        const bool cut = it != watched_.end() && it->second.cut;
        watched_.erase(id);
        return cut;
    }

    bool cut(quint64 id)
    {
        std::lock_guard lock(mutex_);
        const auto it = watched_.find(id);
        return it != watched_.end() && it->second.cut;
    }

private:
    void run()
    {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            auto next = Clock::time_point::max();
            const auto now = Clock::now();
            for (auto& [id, w] : watched_) {
                if (w.cut)
                    continue;
                if (w.deadline <= now) {
                    // Reads and writes on the socket end at once; the
                    // descriptor stays the connection's to close.
                    if (inodeOf(w.socket) == w.inode)
                        ::shutdown(w.socket, SHUT_RDWR);
                    w.cut = true;
                } else if (w.deadline < next) {
                    next = w.deadline;
                }
            }
            if (next == Clock::time_point::max())
                changed_.wait(lock);
            else
                changed_.wait_until(lock, next);
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<quint64, Watched> watched_;
    quint64 last_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

Watcher& watcher()
{
    static Watcher instance;
    return instance;
}

} // namespace

ServerWatch::ServerWatch(const QSqlDatabase& db, int limitMs)
{
    if (const int socket = Database::ServerSocket(db); socket >= 0)
        id_ = watcher().add(socket, limitMs);
}

ServerWatch::~ServerWatch()
{
    if (id_)
        watcher().remove(id_);
}

bool ServerWatch::cut() const
{
    return id_ && watcher().cut(id_);
}
