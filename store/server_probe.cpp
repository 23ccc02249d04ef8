#include "store/server_probe.h"

#include "store/database.h"

#include <QSqlDatabase>
#include <chrono>

ServerProbe::ServerProbe(QString url)
    : url_(std::move(url))
{}

ServerProbe::~ServerProbe()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void ServerProbe::start()
{
    std::lock_guard lock(mutex_);
    if (trying_ || answered_)
        return;
    if (thread_.joinable())
        thread_.join(); // the last round ended with an answer, already taken
    trying_ = true;
    thread_ = std::thread([this] { run(); });
}

bool ServerProbe::takeAnswered()
{
    std::lock_guard lock(mutex_);
    const bool answered = answered_;
    answered_ = false;
    return answered;
}

void ServerProbe::run()
{
    const std::optional<ServerAddress> address = Database::ParseServerUrl(url_, nullptr);
    std::unique_lock lock(mutex_);
    while (address && !stopping_) {
        lock.unlock();
        // A connection of this thread's own, made, closed and forgotten here.
        const QString name = Database::NextConnectionName("probe");
        bool answered = false;
        {
            QSqlDatabase db = Database::AddServer(name, *address);
            answered = db.isValid() && db.open();
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        lock.lock();
        if (answered) {
            answered_ = true;
            break;
        }
        wake_.wait_for(lock, std::chrono::milliseconds(PauseMs), [this] { return stopping_; });
    }
    trying_ = false;
}
