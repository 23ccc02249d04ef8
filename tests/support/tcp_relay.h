#pragma once

// A relay between the program and its test server, on a port of its own,
// that makes the faults of a shop's network for real: a link that goes
// silent (connections stay up, nothing passes), or the server's replies lost
// from the moment a connection sends a COMMIT (or a save made in one
// statement, which commits as it ends), or everything after it.

#include <atomic>
#include <thread>

class TcpRelay {
public:
    // LoseRepliesAfterCommit: a connection that sent a COMMIT gets nothing
    // back after it. SilentAfterCommit: the first COMMIT sent makes the
    // relay Silent, for every connection, old and new. SilentBeforeCommit:
    // the same, the COMMIT itself lost on the way.
    enum class Mode {
        Forward,
        Silent,
        LoseRepliesAfterCommit,
        SilentAfterCommit,
        SilentBeforeCommit
    };

    explicit TcpRelay(int serverPort);
    ~TcpRelay();
    TcpRelay(const TcpRelay&) = delete;
    TcpRelay& operator=(const TcpRelay&) = delete;

    int port() const { return port_; }
    void setMode(Mode mode) { mode_ = mode; }
    // Holds what passes for this long each way, as a far link does.
    void setDelayMs(int ms) { delayMs_ = ms; }
    // How many times a client has sent something to the server: a client
    // that waits for each answer before it sends again (as libpq does) made
    // that many round trips.
    int clientSends() const { return clientSends_; }

private:
    void run();

    int serverPort_;
    int listener_ = -1;
    int port_ = 0;
    int wake_[2] = {-1, -1};
    std::atomic<Mode> mode_{Mode::Forward};
    std::atomic<int> delayMs_{0};
    std::atomic<int> clientSends_{0};
    std::thread thread_;
};
