#pragma once

// A counter's connection to its server, kept for as long as the counter runs.
// A connection found lost (the server restarted, the network came back) is
// made again at the next use. A server that did not answer within the limit
// is out of reach: nothing is asked of it at the clerk's actions until a
// probe away from the screen finds it answering, and then the connection is
// made again at the next use.

#include "store/database.h"

#include <QSqlDatabase>
#include <QString>
#include <memory>
#include <optional>

class ServerProbe;

// Why nothing is asked of a server now: it did not answer within the limit.
// `described` is the server as a person reads it; the words end with what the
// counter does about it. The price list and the book tell it alike.
QString OutOfReachWords(const QString& described);

// A change whose commit's answer was lost is told by the server's own record
// of its transactions: its number, asked inside it before the commit, and
// afterwards whether that transaction was kept, asked on a connection of its
// own (none when the server could not be asked: it is not known yet).
std::optional<qint64> TransactionNumber(QSqlDatabase& db, QSqlError* error);
enum class Kept { Yes, No, NotKnown };
Kept TransactionKept(const QString& url, qint64 transaction);

class ServerLink {
public:
    // The connection `db`, named `name`, to the server at `url`.
    ServerLink(QSqlDatabase& db, QString name, QString url);
    ~ServerLink();
    ServerLink(const ServerLink&) = delete;
    ServerLink& operator=(const ServerLink&) = delete;

    // Connects; why not, in `problem`. A server that did not answer is out
    // of reach from then on, until a probe finds it.
    Database::ServerOpening open(QString* problem);

    // Hears every notice on `channel` from now on; false when it cannot.
    bool listen(const QString& channel);
    // Whether a notice on the channel listened to came in since the last
    // call, read from the connection without asking the server anything.
    bool takeNotice();

    bool lost() const { return lost_; }
    bool outOfReach() const { return outOfReach_; }
    // The connection failed at a use: made again at the next.
    void markLost() { lost_ = true; }
    // No answer within the limit: out of reach, and a probe started.
    void markOutOfReach();
    // The connection made again: neither lost nor out of reach.
    void markConnected();
    // Whether the connection is known gone, without asking the server; it
    // is then lost.
    bool foundBroken();
    // Whether a probe found the server answering since it was started;
    // starts one when none is under way.
    bool answered();
    // May a connection be made now: not out of reach, or a probe found it
    // answering.
    bool mayConnect() { return !outOfReach_ || answered(); }

private:
    QSqlDatabase& db_;
    QString name_;
    QString url_;
    QString channel_;
    bool lost_ = false;
    bool outOfReach_ = false;
    std::unique_ptr<ServerProbe> probe_;
};
