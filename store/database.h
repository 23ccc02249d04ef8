#pragma once

// Where the price list and the saved estimates are kept, and the connection to
// it. One counter keeps them in SQLite files (Lockers.db and Estimates.db
// beside it); several counters share one PostgreSQL server, named by an
// address of the form
//
//   postgresql://user@host:port/database?sslmode=require
//
// which stands where a file's path would. Passwords are never part of it:
// libpq's own ways (~/.pgpass, PGPASSWORD, PGSERVICE) give them.

#include "store/store_result.h"

#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <optional>

class QSqlDriver;
struct pg_conn;
using PGconn = pg_conn;
class QSqlError;

// A PostgreSQL server's address, read from its URL.
struct ServerAddress {
    QString host; // empty: libpq's default (PGHOST, or the local socket); "/..." a socket folder
    int port = 0; // 0: libpq's default
    QString user; // empty: libpq's default (PGUSER, or the login name)
    QString database;
    // libpq's own settings from the address (sslmode, service, options, ...),
    // decoded, in the order given.
    QList<QPair<QString, QString>> settings;

    // "database locker on host shop-office:5432 (user clerk)", as a person
    // reads it; never with a secret.
    QString described() const;
    // The settings as Qt's driver passes them to libpq, each value quoted,
    // with the time limits of this program, and its name and machine as the
    // session's application_name, where the address sets none.
    QString connectOptions() const;
};

namespace Database {

// Whether the text is a server's address rather than a file's path.
bool IsServerUrl(const QString& text);

// Where the data is, as a person reads it: a file's full path, or the
// server's database and host (never the rest of its address).
QString Described(const QString& location);

// The address in a server URL; no value when it is not one that can be used,
// and `problem` says why (a password in it, no database named, ...).
std::optional<ServerAddress> ParseServerUrl(const QString& url, QString* problem);

// A connection name of this program's own, never used before.
QString NextConnectionName(const char* purpose);

// A new connection (named `name`) to an SQLite file that must exist already:
// it is never created by opening, and a change waits a while for another
// program that holds the file locked. Not opened yet.
QSqlDatabase AddSqliteFile(const QString& name, const QString& path);

// A new connection (named `name`) to the server, not opened yet; invalid when
// Qt's PostgreSQL driver is missing (DriverMissingWords tells it).
QSqlDatabase AddServer(const QString& name, const ServerAddress& address);
QString DriverMissingWords();

// Opens the connection `name` to the server at `url`, making it first when
// `db` is not valid yet. Refused: the address or the driver cannot be used;
// NotReached: the server did not answer or the database is not there. Why,
// in `problem`, when not Opened.
enum class ServerOpening { Opened, Refused, NotReached };
ServerOpening OpenServer(QSqlDatabase& db, const QString& name, const QString& url,
                         QString* problem);

// libpq's connection under Qt's, for what Qt does not tell; null when the
// connection is not to a server or was closed.
PGconn* ServerConnection(const QSqlDatabase& db);

// The socket of an open server connection; -1 when there is none.
int ServerSocket(const QSqlDatabase& db);

// Whether a notice on `channel` (sent with NOTIFY, heard after LISTEN) came
// in on the connection since the last call: read from what the connection
// received, without waiting and without asking the server anything.
bool TakeNotices(const QSqlDatabase& db, const QString& channel);

// Whether a server connection is known to be gone (the server closed it, or
// the link was found cut), without asking the server anything.
bool ConnectionBroken(const QSqlDatabase& db);

// Makes a short-lived connection of its own to the server at `url` (for a
// thread of its own, or a question that must not wait on a connection that
// failed), runs `use` on it when it opens, and closes and forgets it. False
// when it did not open.
bool OnOwnConnection(const QString& url, const char* purpose,
                     const std::function<void(QSqlDatabase&)>& use);

// The server's own words for a failure, first line only.
QString ServerErrorDetail(const QSqlError& error);

} // namespace Database
