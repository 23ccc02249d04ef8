#pragma once

// Where a store is: an SQLite file's path, or a PostgreSQL server's address
// (postgresql://user@host:port/database). The text given by a person or a
// setting is told apart once, here; everything after asks the location.

#include <QString>

class StoreLocation {
public:
    StoreLocation() = default;
    // The path of a file, or a server's address.
    StoreLocation(QString text); // NOLINT: a location is given as text at the door

    bool isServer() const { return server_; }
    bool isFile() const { return !server_ && !text_.isEmpty(); }
    // The path or the address as given.
    const QString& text() const { return text_; }
    // As a person reads it: a file's full path, or "database D on host H
    // (user U)", never with a secret.
    QString described() const;
    // The book of saved estimates that goes with a price list here:
    // Estimates.db beside the file, or the same database on a server.
    StoreLocation estimatesBeside() const;

private:
    QString text_;
    bool server_ = false;
};
