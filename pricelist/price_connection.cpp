#include "pricelist/price_connection.h"

#include "store/database.h"
#include "store/dialect.h"
#include "store/file_watch.h"
#include "store/server_link.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <unistd.h>

namespace {

// How long a file that could not be opened is left before it is tried again.
constexpr qint64 RetryAfterMs = 1500;

// How long reading every price from a server may take: a large price list
// over a slow link, at the connection or after a change.
constexpr int SnapshotLimitMs = 10000;

// The name under which the server tells every counter that the prices changed.
const QString PricesChanged = QStringLiteral("locker_prices");

} // namespace

PriceConnection::PriceConnection(StoreLocation location)
    : location_(std::move(location))
    , connectionName_(Database::NextConnectionName("prices"))
    , file_(std::make_unique<FileWatch>())
{
    if (location_.isServer())
        server_ = std::make_unique<ServerLink>(db_, connectionName_, location_.text());
}

PriceConnection::~PriceConnection()
{
    close();
    server_.reset();
    if (db_.isValid()) {
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
    }
}

void PriceConnection::close()
{
    snapshot_.clear();
    prepared_.clear();
    ++changes_;
    listening_ = false;
    if (db_.isValid())
        db_.close();
    file_->stop(); // no statement runs now, so no lock of SQLite's is lost
    open_ = false;
}

bool PriceConnection::lost() const
{
    return server_ && server_->lost();
}

bool PriceConnection::seesChanges() const
{
    return listening_ || file_->countsChanges();
}

bool PriceConnection::ready(QString* problem)
{
    if (!open_ && triedOpening_) {
        // A price list that could not be opened (a server out of reach, a
        // file replaced by one that is not a price list) is tried again, now
        // and then, at a use: nothing stands in for the shop's prices. A
        // server is tried away from the screen, and connected to here only
        // once it answered there.
        if (server_) {
            if (server_->answered())
                open();
        } else if (!lastTry_.isValid() || lastTry_.hasExpired(RetryAfterMs)) {
            open();
            lastTry_.start(); // the pause counts from the end of the attempt
        }
        if (!open_) {
            *problem = openProblem_;
            return false;
        }
    }
    if (!open_) {
        *problem = QStringLiteral("The price list is not open.");
        return false;
    }
    if (server_)
        return serverStillThere(problem);
    switch (file_->look()) {
    case FileWatch::Look::Gone:
        *problem = QStringLiteral("The price list file %1 is no longer there (deleted or moved).")
                       .arg(location_.text());
        return false;
    case FileWatch::Look::Replaced:
        close(); // another file has taken its place: move to it
        if (open() != OpenResult::Opened) {
            *problem = openProblem_;
            return false;
        }
        return true;
    case FileWatch::Look::Changed:
        ++changes_; // changed since the answers were given
        return true;
    case FileWatch::Look::Same:
        return true;
    }
    return true;
}

bool PriceConnection::serverStillThere(QString* problem)
{
    // The notices of changes that have come in, read without asking the
    // server anything: every price is read again.
    if (!server_->lost() && listening_ && server_->takeNotice()) {
        ++changes_;
        ServerWatch watch(db_, SnapshotLimitMs);
        loadSnapshot();
    }
    // A connection that is gone (the server restarted, a link found cut) is
    // made again at once, unless the server is out of reach.
    if (!server_->lost() && server_->foundBroken())
        openProblem_ = notNowWords(QStringLiteral("did not answer (the connection was lost)"));
    if (server_->lost())
        return reconnect(problem);
    return true;
}

PriceConnection::OpenResult PriceConnection::open()
{
    if (open_)
        return OpenResult::Opened;
    triedOpening_ = true;
    openProblem_.clear();
    return server_ ? openServer() : openFile();
}

PriceConnection::OpenResult PriceConnection::openFile()
{
    const QFileInfo info(location_.text());
    if (!info.exists()) {
        openProblem_ = QStringLiteral("There is no price list at %1.").arg(location_.text());
        return OpenResult::FileMissing;
    }
    if (!info.isFile()) {
        openProblem_ = QStringLiteral("%1 is not a price list file.").arg(location_.text());
        return OpenResult::Unusable;
    }
    if (::access(QFile::encodeName(location_.text()).constData(), R_OK) != 0) {
        openProblem_ = QStringLiteral("The price list file %1 may not be read by this user "
                                      "(permission denied). Give this user permission to read "
                                      "and write it, or use the program as the user who owns it.")
                           .arg(location_.text());
        return OpenResult::Unusable;
    }
    if (!db_.isValid()) {
        db_ = Database::AddSqliteFile(connectionName_, location_.text());
        if (!db_.isValid()) {
            openProblem_ =
                QStringLiteral("Qt's SQLite driver is not installed (package libqt6sql6-sqlite).");
            return OpenResult::Unusable;
        }
    }
    if (!db_.open()) {
        openProblem_ = Dialect::Sqlite().reason(db_.lastError(), location_.text(), {}, false);
        return QFileInfo::exists(location_.text()) ? OpenResult::Unusable : OpenResult::FileMissing;
    }
    if (const OpenResult checked = checkTable(); checked != OpenResult::Opened)
        return checked;
    if (!file_->start(location_.text())) {
        openProblem_ = QStringLiteral("There is no price list at %1.").arg(location_.text());
        close();
        return OpenResult::FileMissing;
    }
    open_ = true;
    return OpenResult::Opened;
}

PriceConnection::OpenResult PriceConnection::checkTable()
{
    QSqlQuery check(db_);
    if (check.exec(QStringLiteral("Select rowid, Item, Cost, Category From Charges1 Limit 1")))
        return OpenResult::Opened;
    const QSqlError error = check.lastError();
    check.finish();
    db_.close();
    const Dialect& dialect = Dialect::Of(db_);
    const StoreKind kind = dialect.kind(error);
    if (server_) {
        if (kind == StoreKind::Missing || kind == StoreKind::Failed)
            openProblem_ = QStringLiteral("The %1 holds no price list: it has no table Charges1 "
                                          "with the columns Item, Cost and Category (%2). Make "
                                          "one with locker-pricelist init --database.")
                               .arg(describe(), Database::ServerErrorDetail(error));
        else
            openProblem_ = dialect.reason(error, describe(), {}, false);
        return kind == StoreKind::Unreachable || kind == StoreKind::TimedOut
                   ? OpenResult::Unreachable
                   : OpenResult::Unusable;
    }
    if (error.databaseText().contains(QLatin1String("rowid")))
        openProblem_ = QStringLiteral("%1 keeps Charges1 as a table without row numbers (WITHOUT "
                                      "ROWID), so the first row of a name cannot be told. Copy "
                                      "its rows into an ordinary table Charges1 (Item, Cost, "
                                      "Category).")
                           .arg(location_.text());
    else if (error.databaseText().contains(QLatin1String("no such")))
        openProblem_ =
            QStringLiteral("%1 is not a price list: it has no table Charges1 with the "
                           "columns Item, Cost and Category (%2).")
                .arg(location_.text(), dialect.reason(error, location_.text(), {}, false));
    else
        openProblem_ = dialect.reason(error, location_.text(), {}, false);
    return OpenResult::Unusable;
}

PriceConnection::OpenResult PriceConnection::openServer()
{
    // A server that cannot be reached, or a database that is not there: the
    // shop's prices cannot be had now.
    switch (server_->open(&openProblem_)) {
    case Database::ServerOpening::Opened:
        break;
    case Database::ServerOpening::Refused:
        return OpenResult::Unusable;
    case Database::ServerOpening::NotReached:
        return OpenResult::Unreachable;
    }
    // Every change to the prices, made at any counter, is told to this one;
    // and every price is held here, so that a lookup asks the server nothing.
    // Reading them shows that the table is there: it is looked at on its own
    // only when they cannot be read (or are not held), to tell why.
    listening_ = server_->listen(PricesChanged);
    if (!listening_) {
        if (const OpenResult checked = checkTable(); checked != OpenResult::Opened)
            return checked;
        open_ = true;
        return OpenResult::Opened;
    }
    ServerWatch watch(db_, SnapshotLimitMs);
    if (!loadSnapshot()) {
        const bool cut = watch.cut();
        const QString unread = openProblem_;
        if (!cut) {
            if (const OpenResult checked = checkTable(); checked != OpenResult::Opened)
                return checked;
            openProblem_ = unread;
        }
        close();
        if (cut)
            server_->markOutOfReach();
        return OpenResult::Unreachable;
    }
    open_ = true;
    return OpenResult::Opened;
}

QSqlQuery& PriceConnection::prepared(const QString& statement)
{
    std::shared_ptr<QSqlQuery>& slot = prepared_[statement];
    if (!slot) {
        const Dialect& dialect = Dialect::Of(db_);
        slot = std::make_shared<QSqlQuery>(db_);
        slot->setForwardOnly(!dialect.readsWholeAnswer());
        slot->prepare(dialect.statement(statement)); // a failure shows when it runs
    }
    return *slot;
}

void PriceConnection::forget(const QString& statement)
{
    prepared_.remove(statement);
}

bool PriceConnection::mayChange(QString* problem) const
{
    // A file made read-only while it is open would take the start of a
    // change and refuse the rest, leaving a journal that nobody can roll
    // back until it is writable again: nothing is begun.
    if (server_)
        return true;
    *problem = SqliteUnwritableReason(location_.text(), {}, false);
    return problem->isEmpty();
}

QString PriceConnection::reason(const QSqlError& error, bool changing)
{
    const Dialect& dialect = Dialect::Of(db_);
    // A connection that is gone (the server stopped, the network cut) is made
    // again at the next use; a refusal (no right, a lock held elsewhere) is
    // the server's answer, and the connection stays.
    if (server_ && dialect.kind(error) == StoreKind::Unreachable)
        server_->markLost();
    return dialect.reason(error, server_ ? describe() : location_.text(), {}, changing);
}

QString PriceConnection::failure(const QString& what, const QSqlError& error, bool changing)
{
    const QString why = reason(error, changing);
    if (lost())
        return QStringLiteral("Prices cannot be looked up now. %1").arg(why);
    return QStringLiteral("%1. %2").arg(what, why);
}

bool PriceConnection::reconnect(QString* problem)
{
    // A server out of reach is not tried at the clerk's actions: a probe
    // away from the screen tells when it answers again.
    if (!server_->mayConnect()) {
        if (problem)
            *problem = openProblem_;
        return false;
    }
    close();
    if (open() == OpenResult::Opened)
        return true;
    // Still the price list in use: connected again once the server answers.
    open_ = true;
    server_->markOutOfReach();
    if (problem)
        *problem = openProblem_;
    return false;
}

StoreKind PriceConnection::notReadyKind() const
{
    if (isServer())
        return StoreKind::Unreachable;
    return QFileInfo::exists(location_.text()) ? StoreKind::Failed : StoreKind::Missing;
}

QString PriceConnection::notNowWords(const QString& what) const
{
    return QStringLiteral("Prices cannot be looked up now: %1 %2. This counter connects again as "
                          "soon as the server answers.")
        .arg(describe(), what);
}

void PriceConnection::notAnswered()
{
    server_->markOutOfReach();
    openProblem_ =
        QStringLiteral("Prices cannot be looked up now. %1").arg(OutOfReachWords(describe()));
}

void PriceConnection::answeredElsewhere()
{
    if (server_)
        server_->markLost();
}

bool PriceConnection::connectWhenAnswering()
{
    if (!server_)
        return true;
    // A connection found gone (the server stopped, a link cut) is out of
    // reach until a probe finds the server again: a reconnection here could
    // wait for a server that does not answer.
    if (open_ && !server_->lost() && server_->foundBroken()) {
        server_->markOutOfReach();
        openProblem_ = notNowWords(QStringLiteral("lost its connection"));
    }
    if (!outOfReach())
        return true;
    if (!open_) {
        if (server_->answered())
            open();
    } else {
        reconnect(nullptr);
    }
    return !outOfReach();
}

bool PriceConnection::outOfReach() const
{
    return server_ && ((!open_ && triedOpening_) || server_->outOfReach());
}

bool PriceConnection::loadSnapshot()
{
    QSqlError error;
    if (snapshot_.load(db_, &error))
        return true;
    openProblem_ = failure(QStringLiteral("The price list could not be read"), error);
    return false;
}
