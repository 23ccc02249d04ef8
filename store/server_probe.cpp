#include "store/server_probe.h"

#include "store/database.h"

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
    const bool usable = Database::ParseServerUrl(url_, nullptr).has_value();
    std::unique_lock lock(mutex_);
    while (usable && !stopping_) {
        lock.unlock();
        // A connection of this thread's own, made, closed and forgotten here.
        const bool answered = Database::OnOwnConnection(url_, "probe", [](QSqlDatabase&) {});
        lock.lock();
        if (answered) {
            answered_ = true;
            break;
        }
        wake_.wait_for(lock, std::chrono::milliseconds(PauseMs), [this] { return stopping_; });
    }
    trying_ = false;
}
