#pragma once

// A bound on every wait for a server. libpq waits for an answer as long as
// the connection stands, and a connection to a hung server, or through a
// link that has gone silent, stands for good. While a use of a connection
// runs, a watch holds its deadline; a use that outlasts it has the
// connection's socket shut, so that libpq returns at once, the use fails as
// with a connection lost (StoreKind::Unreachable), and the connection is made
// again later.

#include <QSqlDatabase>

class ServerWatch {
public:
    // The longest a use waits, in milliseconds.
    static constexpr int LimitMs = 2000;

    // Watches the connection while the object lives; nothing for a
    // connection that is not to a server or not open.
    explicit ServerWatch(const QSqlDatabase& db, int limitMs = LimitMs);
    ~ServerWatch();
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

    // Whether the limit was reached and the connection cut.
    bool cut() const;

private:
    quint64 id_ = 0;
};
