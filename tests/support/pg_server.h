#pragma once

// A PostgreSQL server of the test's own, in a temporary folder, run by
// scripts/pg-test-server.sh; removed when the object goes. For root, the
// server runs as an unprivileged user, as PostgreSQL demands.

#include <QString>
#include <QTemporaryDir>

class PgTestServer {
public:
    // Makes the temporary folder; starts nothing.
    PgTestServer();
    // Stops the server at once and removes its folder.
    ~PgTestServer();
    PgTestServer(const PgTestServer&) = delete;
    PgTestServer& operator=(const PgTestServer&) = delete;

    // The first start creates the server; later ones bring back the same data
    // on the same port.
    bool start(QString* problem);
    // Fast shutdown; the data is kept.
    bool stop(QString* problem);
    int port() const { return port_; }
    // The folder of the server's Unix socket.
    QString socketFolder() const { return dir_.path(); }
    // postgresql://locker@127.0.0.1:PORT/DATABASE
    QString url(const QString& database) const;
    // Creates a new empty database with a name not used before in this server
    // (locker_test_1, locker_test_2, ...) and returns url(name); empty, with
    // `problem` set, on failure.
    QString createDatabase(QString* problem);
    // A new database holding the price list's and the book's tables, empty.
    QString createShopDatabase(QString* problem);

private:
    // Runs the script on the folder and gives what it printed on stdout.
    bool run(const QString& command, QString* output, QString* problem) const;

    QTemporaryDir dir_;
    int port_ = 0;
    int databases_ = 0;
};
