#include "store/server_link.h"

#include "store/dialect.h"
#include "store/server_probe.h"
#include "store/server_watch.h"

#include <QSqlError>

QString OutOfReachWords(const QString& described)
{
    return QStringLiteral("The server (%1) did not answer within %2 seconds, so nothing is asked "
                          "of it until it answers again; this counter connects again by itself "
                          "as soon as it does.")
        .arg(described)
        .arg(ServerWatch::LimitMs / 1000);
}

ServerLink::ServerLink(QSqlDatabase& db, QString name, QString url)
    : db_(db)
    , name_(std::move(name))
    , url_(std::move(url))
{}

ServerLink::~ServerLink() = default;

Database::ServerOpening ServerLink::open(QString* problem)
{
    const Database::ServerOpening opened = Database::OpenServer(db_, name_, url_, problem);
    if (opened == Database::ServerOpening::Opened)
        markConnected();
    else if (opened == Database::ServerOpening::NotReached)
        markOutOfReach();
    channel_.clear();
    return opened;
}

bool ServerLink::listen(const QString& channel)
{
    QSqlError error;
    if (!RunStatement(db_, QStringLiteral("Listen %1").arg(channel), &error))
        return false;
    channel_ = channel;
    return true;
}

bool ServerLink::takeNotice()
{
    return !channel_.isEmpty() && Database::TakeNotices(db_, channel_);
}

void ServerLink::markOutOfReach()
{
    lost_ = true;
    outOfReach_ = true;
    answered(); // a probe tells when it answers again
}

void ServerLink::markConnected()
{
    lost_ = false;
    outOfReach_ = false;
}

bool ServerLink::foundBroken()
{
    if (!lost_ && Database::ConnectionBroken(db_))
        lost_ = true;
    return lost_;
}

bool ServerLink::answered()
{
    if (!probe_)
        probe_ = std::make_unique<ServerProbe>(url_);
    if (probe_->takeAnswered())
        return true;
    probe_->start();
    return false;
}

std::optional<qint64> TransactionNumber(QSqlDatabase& db, QSqlError* error)
{
    const std::optional<QVariant> number =
        AskValue(db, QStringLiteral("Select txid_current()"), error);
    return number ? std::optional<qint64>(number->toLongLong()) : std::nullopt;
}

Kept TransactionKept(const QString& url, qint64 transaction)
{
    Kept kept = Kept::NotKnown;
    Database::OnOwnConnection(url, "kept", [&](QSqlDatabase& db) {
        ServerWatch watch(db);
        QSqlError error;
        // "in progress" while the server still ends it: not known yet.
        const std::optional<QVariant> status =
            AskValue(db, QStringLiteral("Select txid_status(?)"), &error, {transaction});
        if (status && status->toString() == QLatin1String("committed"))
            kept = Kept::Yes;
        else if (status && status->toString() == QLatin1String("aborted"))
            kept = Kept::No;
    });
    return kept;
}
