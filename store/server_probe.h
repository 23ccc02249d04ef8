#pragma once

// Whether a server out of reach answers again, found out away from the
// clerk's screen: a thread of its own tries a connection, and again after a
// pause counted from the end of each attempt, until the server answers; so
// no keystroke waits for a server that does not answer.

#include <QString>
#include <condition_variable>
#include <mutex>
#include <thread>

class ServerProbe {
public:
    static constexpr int PauseMs = 1000;

    explicit ServerProbe(QString url);
    // Stops trying; waits for an attempt under way (at most the connection's
    // time limit).
    ~ServerProbe();
    ServerProbe(const ServerProbe&) = delete;
    ServerProbe& operator=(const ServerProbe&) = delete;

    // Starts trying, unless it is already.
    void start();
    // Whether the server answered since the start; told once, and a new
    // start is needed to try again.
    bool takeAnswered();

private:
    void run();

    QString url_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool trying_ = false;
    bool answered_ = false;
    bool stopping_ = false;
    std::thread thread_;
};
