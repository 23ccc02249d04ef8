#pragma once

// The connection to the shop's price list: a file, opened and watched for
// being replaced or changed by another program, or a server, kept connected,
// told of every change by the server's notices, and never waited on longer
// than the limit. Everything that reads or writes the price list asks it,
// before each use, whether the price list is there and what it holds may
// have changed.

#include "pricelist/price_snapshot.h"
#include "pricelist/price_source.h"
#include "store/server_watch.h"
#include "store/store_location.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <memory>

class FileWatch;
class QSqlError;
class QSqlQuery;
class ServerLink;

class PriceConnection {
public:
    using OpenResult = PriceSource::OpenResult;

    explicit PriceConnection(StoreLocation location);
    ~PriceConnection();
    PriceConnection(const PriceConnection&) = delete;
    PriceConnection& operator=(const PriceConnection&) = delete;

    const StoreLocation& location() const { return location_; }
    QString describe() const { return location_.described(); }
    bool isServer() const { return location_.isServer(); }

    // Opens the file or connects to the server; never creates a file. A file
    // that is there but is not a price list is Unusable; a server that does
    // not answer is Unreachable, and tried again away from the screen.
    OpenResult open();
    bool isOpen() const { return open_; }
    // Why the last open failed, in plain words.
    QString openProblem() const { return openProblem_; }

    // A server that does not answer now: nothing is asked of it at a use
    // until a probe away from the screen finds it answering again.
    bool outOfReach() const;
    // Connects again when a probe found the server answering; true when not
    // out of reach (then or already). Never waits for a server that does
    // not answer.
    bool connectWhenAnswering();

    // Before each use: the price list is still the one opened. When another
    // file has taken its place, the connection moves to it; a server's
    // connection that was lost is made again. False when the use must not
    // go on, and `problem` says why.
    bool ready(QString* problem);
    // Why a use cannot go on when ready() said no: a server out of reach, a
    // file that is gone, or one that cannot be opened.
    StoreKind notReadyKind() const;
    // Moves on whenever what the price list holds may have changed: answers
    // kept from before are out of date.
    quint64 changes() const { return changes_; }
    // Whether a change is always seen (a file whose header counts them, or
    // a server that sends notices): only then may answers be kept.
    bool seesChanges() const;
    // On a server: every price, as its last notice left it; nothing held
    // otherwise.
    const PriceSnapshot& snapshot() const { return snapshot_; }

    QSqlDatabase& db() { return db_; }
    // The statement prepared once for this connection, as its database
    // reads it; prepared again after a failure (forget()).
    QSqlQuery& prepared(const QString& statement);
    void forget(const QString& statement);

    // Whether a change may be begun (a file that is read-only now may not);
    // when not, `problem` says why.
    bool mayChange(QString* problem) const;
    // Why the price list refused, in plain words; a server's connection
    // found gone is made again at the next use.
    QString reason(const QSqlError& error, bool changing);
    // The failure of a use in plain words, after `what`; a server's
    // connection found gone is made again at the next use.
    QString failure(const QString& what, const QSqlError& error, bool changing = false);
    // The use found the connection lost.
    bool lost() const;
    // A server's connection closed and made again; false when the server
    // cannot be reached, and `problem` says why.
    bool reconnect(QString* problem);
    // Runs a use with its waits on a server bounded.
    template <typename Use> auto watched(Use use)
    {
        ServerWatch watch(db_);
        auto result = use();
        if (watch.cut())
            notAnswered();
        return result;
    }
    // Runs a use; when it found a server's connection broken, connects again
    // and runs it once more.
    template <typename Use> auto onceMoreWhenReconnected(Use use)
    {
        const bool wasLost = lost();
        auto result = watched(use);
        if (lost() && !wasLost && reconnect(nullptr))
            result = watched(use);
        return result;
    }
    // The server did not answer within the limit: out of reach.
    void notAnswered();
    // The server answered on a connection of its own after this one failed:
    // not out of reach; this connection is made again at the next use.
    void answeredElsewhere();

private:
    OpenResult openFile();
    OpenResult openServer();
    // The open connection holds a price list; Unusable or Unreachable, with
    // openProblem_ set, when not.
    OpenResult checkTable();
    bool serverStillThere(QString* problem);
    bool loadSnapshot();
    void close();
    // Why prices cannot be looked up now: the server `what`.
    QString notNowWords(const QString& what) const;

    StoreLocation location_;
    QString connectionName_;
    QSqlDatabase db_;
    bool open_ = false;
    bool triedOpening_ = false;
    QString openProblem_;
    QElapsedTimer lastTry_; // the last attempt to open a file again
    std::unique_ptr<FileWatch> file_;
    std::unique_ptr<ServerLink> server_;
    bool listening_ = false;
    PriceSnapshot snapshot_;
    quint64 changes_ = 0;
    QHash<QString, std::shared_ptr<QSqlQuery>> prepared_;
};
