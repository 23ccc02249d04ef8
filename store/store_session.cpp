#include "store/store_session.h"

#include "store/database.h"
#include "store/dialect.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

StoreSession::StoreSession(const char* purpose)
    : name_(Database::NextConnectionName(purpose))
{}

StoreSession::~StoreSession()
{
    close();
}

bool StoreSession::openFile(const QString& path)
{
    where_ = path;
    db_ = Database::AddSqliteFile(name_, path);
    return opened();
}

bool StoreSession::openReadOnly(const QString& path)
{
    where_ = path;
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db_.setDatabaseName(path);
    db_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    return opened();
}

bool StoreSession::openNew(const QString& path)
{
    where_ = path;
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db_.setDatabaseName(path);
    return opened();
}

bool StoreSession::openServer(const QString& url)
{
    where_ = Database::Described(url);
    switch (Database::OpenServer(db_, name_, url, &problem_)) {
    case Database::ServerOpening::Opened:
        return true;
    case Database::ServerOpening::Refused:
        kind_ = StoreKind::Refused;
        return false;
    case Database::ServerOpening::NotReached:
        kind_ = StoreKind::Unreachable;
        return false;
    }
    return false;
}

void StoreSession::close()
{
    if (!db_.isValid())
        return;
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

bool StoreSession::isServer() const
{
    return Dialect::Of(db_).isServer();
}

bool StoreSession::opened()
{
    if (!db_.isValid()) {
        kind_ = StoreKind::Failed;
        problem_ = Database::DriverMissingWords();
        return false;
    }
    if (db_.open())
        return true;
    return failed(db_.lastError());
}

bool StoreSession::failed(const QSqlError& error)
{
    error_ = error;
    problem_ = Dialect::Of(db_).reason(error, where_, words_, false);
    kind_ = Dialect::Of(db_).kind(error);
    return false;
}

bool StoreSession::fail(StoreKind kind, const QString& problem)
{
    kind_ = kind;
    problem_ = problem;
    return false;
}

QString StoreSession::serverWords() const
{
    return Database::ServerErrorDetail(error_);
}

bool StoreSession::run(const QString& statement, const QVariantList& values)
{
    return ask(statement, values).has_value();
}

bool StoreSession::runInOne(const QStringList& statements)
{
    if (!begin())
        return false;
    for (const QString& statement : statements)
        if (!run(statement)) {
            rollback();
            return false;
        }
    return commit();
}

std::optional<QVariant> StoreSession::ask(const QString& statement, const QVariantList& values)
{
    QSqlError error;
    std::optional<QVariant> answer = AskValue(db_, statement, &error, values);
    if (!answer)
        failed(error);
    return answer;
}

std::optional<QList<QVariantList>> StoreSession::rows(const QString& statement,
                                                      const QVariantList& values)
{
    // The values written into the statement, as ask() does: one round trip
    // on a server, not three (prepare, execute, deallocate).
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.exec(WithValues(db_, statement, values))) {
        failed(query.lastError());
        return std::nullopt;
    }
    QList<QVariantList> answer;
    while (query.next()) {
        QVariantList row;
        for (int c = 0; c < query.record().count(); ++c)
            row << query.value(c);
        answer << row;
    }
    if (query.lastError().isValid()) {
        failed(query.lastError());
        return std::nullopt;
    }
    return answer;
}

bool StoreSession::begin()
{
    return run(QStringLiteral("Begin"));
}

bool StoreSession::commit()
{
    return run(QStringLiteral("Commit"));
}

void StoreSession::rollback()
{
    const QString problem = problem_;
    const StoreKind kind = kind_;
    const QSqlError error = error_;
    run(QStringLiteral("Rollback"));
    problem_ = problem;
    kind_ = kind;
    error_ = error;
}

bool StoreSession::beginWriting(const QString& table)
{
    QSqlError error;
    if (!Dialect::Of(db_).beginWriting(db_, table, &error))
        return failed(error);
    return true;
}

bool StoreSession::beginLong(int idleMs, bool snapshot)
{
    return run(snapshot ? QStringLiteral("Begin Transaction Isolation Level Repeatable Read, "
                                         "Read Only")
                        : QStringLiteral("Begin")) &&
           run(QStringLiteral("Set Local statement_timeout = 0")) &&
           run(QStringLiteral("Set Local idle_in_transaction_session_timeout = %1").arg(idleMs));
}

std::optional<bool> StoreSession::holdsTable(const QString& table)
{
    QSqlError error;
    const std::optional<bool> held = Dialect::Of(db_).holdsTable(db_, table, &error);
    if (!held)
        failed(error);
    return held;
}

bool StoreSession::lockTable(const QString& table, bool exclusive)
{
    return run(QStringLiteral("Lock Table %1 In %2 Mode")
                   .arg(table, exclusive ? QStringLiteral("Exclusive")
                                         : QStringLiteral("Share Row Exclusive")));
}

bool StoreSession::leaveWal()
{
    const std::optional<QVariant> mode = ask(QStringLiteral("Pragma journal_mode = Delete"));
    return mode && mode->toString().compare(QLatin1String("delete"), Qt::CaseInsensitive) == 0;
}

std::optional<QString> StoreSession::integrity()
{
    const std::optional<QVariant> sound = ask(QStringLiteral("Pragma integrity_check(1)"));
    return sound ? std::optional<QString>(sound->toString()) : std::nullopt;
}

std::optional<int> StoreSession::fileVersion()
{
    const std::optional<QVariant> version = ask(QStringLiteral("Pragma user_version"));
    return version ? std::optional<int>(version->toInt()) : std::nullopt;
}

std::optional<bool> StoreSession::empty()
{
    const std::optional<QVariant> tables =
        ask(QStringLiteral("Select Count(*) From sqlite_master"));
    return tables ? std::optional<bool>(tables->toLongLong() == 0) : std::nullopt;
}

bool StoreSession::takeExclusive()
{
    return run(QStringLiteral("Begin Exclusive"));
}

bool StoreSession::holdChanges(const QString& alsoPath)
{
    // Begin Immediate with the other file attached takes the write locks of
    // both together.
    if (!alsoPath.isEmpty() && !run(QStringLiteral("Attach Database ? As other"),
                                    {QUrl::fromLocalFile(QFileInfo(alsoPath).absoluteFilePath())
                                         .toString(QUrl::FullyEncoded) +
                                     QStringLiteral("?mode=rw")}))
        return false;
    QSqlError refused;
    if (RunStatement(db_, QStringLiteral("Begin Immediate"), &refused))
        return true;
    if (Dialect::Sqlite().kind(refused) != StoreKind::ReadOnly)
        return failed(refused);
    // A file that this user may not write cannot be changed by its own users
    // either; a read on both holds off the writers that it can.
    return run(QStringLiteral("Begin")) &&
           ask(QStringLiteral("Select Count(*) From sqlite_master")) &&
           (alsoPath.isEmpty() || ask(QStringLiteral("Select Count(*) From other.sqlite_master")));
}

bool StoreSession::copyInto(const QString& to)
{
    return run(QStringLiteral("Vacuum Into ?"), {to});
}

std::optional<qint64> StoreSession::rowCount(const QString& table)
{
    const std::optional<QVariant> rows = ask(QStringLiteral("Select Count(*) From %1").arg(table));
    return rows ? std::optional<qint64>(rows->toLongLong()) : std::nullopt;
}
