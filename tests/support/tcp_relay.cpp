#include "tcp_relay.h"

#include <QtGlobal>
#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <deque>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// One connection through the relay.
struct Link {
    int client = -1;
    int server = -1;
    bool committed = false; // the client sent a COMMIT
};

int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(quint16(port));
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// A statement that ends a change: a COMMIT, or a save made in one statement
// (which commits as it ends).
bool holdsCommit(const char* data, ssize_t size)
{
    for (const char* word : {"commit", "locker_save_estimates"}) {
        const ssize_t length = ssize_t(std::strlen(word));
        for (ssize_t i = 0; i + length <= size; ++i)
            if (::strncasecmp(data + i, word, size_t(length)) == 0)
                return true;
    }
    return false;
}

} // namespace

TcpRelay::TcpRelay(int serverPort)
    : serverPort_(serverPort)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        ::pipe(wake_) != 0)
        qFatal("the test relay cannot listen");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

TcpRelay::~TcpRelay()
{
    const char stop = 0;
    if (::write(wake_[1], &stop, 1) != 1)
        qWarning("the test relay was not told to stop");
    thread_.join();
    ::close(listener_);
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void TcpRelay::run()
{
    std::vector<Link> links;
    char buffer[65536];
    // What waits to be passed on, in the order it came.
    struct Held {
        std::chrono::steady_clock::time_point due;
        int to;
        std::string bytes;
    };
    std::deque<Held> held;
    const auto pass = [](int to, const char* data, size_t size) {
        for (size_t sent = 0; sent < size;) {
            const ssize_t n = ::write(to, data + sent, size - sent);
            if (n <= 0)
                break;
            sent += size_t(n);
        }
    };
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        while (!held.empty() && held.front().due <= now) {
            pass(held.front().to, held.front().bytes.data(), held.front().bytes.size());
            held.pop_front();
        }
        const Mode mode = mode_;
        std::vector<pollfd> polled = {{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
        std::vector<size_t> linkOf = {0, 0};
        if (mode != Mode::Silent)
            for (size_t l = 0; l < links.size(); ++l)
                if (links[l].client >= 0) {
                    polled.insert(polled.end(),
                                  {{links[l].client, POLLIN, 0}, {links[l].server, POLLIN, 0}});
                    linkOf.insert(linkOf.end(), {l, l});
                }
        // A change of mode is seen within a moment.
        int waitMs = 20;
        if (!held.empty())
            waitMs = int(std::clamp<long long>(
                std::chrono::duration_cast<std::chrono::milliseconds>(held.front().due - now)
                        .count() +
                    1,
                0, 20));
        if (::poll(polled.data(), polled.size(), waitMs) < 0)
            continue;
        if (polled[0].revents)
            break;
        if (polled[1].revents & POLLIN) {
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            const int server = client >= 0 ? connectTo(serverPort_) : -1;
            if (server >= 0)
                links.push_back({client, server, false});
            else if (client >= 0)
                ::close(client);
        }
        for (size_t i = 2; i < polled.size(); ++i) {
            if (!polled[i].revents)
                continue;
            Link& link = links[linkOf[i]];
            if (link.client < 0)
                continue;
            const bool fromClient = polled[i].fd == link.client;
            const ssize_t got = ::read(polled[i].fd, buffer, sizeof buffer);
            if (got <= 0) { // either side gone: the link ends
                ::close(link.client);
                ::close(link.server);
                link.client = link.server = -1;
                continue;
            }
            if (fromClient)
                ++clientSends_;
            if (fromClient && holdsCommit(buffer, got)) {
                link.committed = true;
                if (mode == Mode::SilentAfterCommit)
                    mode_ = Mode::Silent; // the COMMIT itself still goes
                if (mode == Mode::SilentBeforeCommit) {
                    mode_ = Mode::Silent;
                    continue; // lost on the way
                }
            }
            if (!fromClient && link.committed && mode == Mode::LoseRepliesAfterCommit)
                continue;
            const int to = fromClient ? link.server : link.client;
            if (const int delay = delayMs_; delay > 0)
                held.push_back({std::chrono::steady_clock::now() + std::chrono::milliseconds(delay),
                                to, std::string(buffer, size_t(got))});
            else
                pass(to, buffer, size_t(got));
        }
    }
    for (const Link& link : links)
        if (link.client >= 0) {
            ::close(link.client);
            ::close(link.server);
        }
}
