#include "store/dialect.h"

#include "store/database.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>

namespace {

// The longest a clerk waits on the store, as the time limits of the
// connections (store/database.cpp) and the watch (store/server_watch.h) set it.
constexpr int WaitLimitS = 2;

// SQLite's primary result codes that tell a kind of failure.
enum SqliteCode {
    Perm = 3,
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    NotADb = 26,
    Auth = 23,
};
constexpr int ShmSize = 10 | (19 << 8);

class SqliteDialect final : public Dialect {
public:
    bool isServer() const override { return false; }
    QString statement(const QString& statement) const override { return statement; }
    bool readsWholeAnswer() const override { return false; }
    QVariant text(const QString& value) const override
    {
        return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
    }
    QString numberedKey() const override
    {
        return QStringLiteral("Integer Primary Key Autoincrement");
    }
    // Any program may set a file's user_version.
    bool versionTellsTables() const override { return false; }
    bool beginWriting(QSqlDatabase& db, const QString&, QSqlError* error) const override
    {
        // Immediate: the file's write lock is taken now, so readers go on
        // and a second writer waits here rather than failing at its commit.
        return RunStatement(db, QStringLiteral("Begin Immediate"), error);
    }
    bool isView(QSqlDatabase& db, const QString& table) const override
    {
        QSqlError ignored;
        return AskValue(
                   db,
                   QStringLiteral("Select type From sqlite_master Where name = ? Collate NoCase"),
                   &ignored, {table})
                   .value_or(QVariant())
                   .toString() == QLatin1String("view");
    }
    QString numberedInsert(const QString& statement, const QString&) const override
    {
        return statement;
    }
    qint64 insertNumbered(QSqlQuery& query, const QString&, QSqlError* error) const override
    {
        if (query.exec())
            return query.lastInsertId().toLongLong();
        *error = query.lastError();
        return 0;
    }
    // A file keeps one version, for the one part of the data it holds.
    int version(QSqlDatabase& db, const QString&, QSqlError* error) const override
    {
        const std::optional<QVariant> version =
            AskValue(db, QStringLiteral("Pragma user_version"), error);
        return version ? version->toInt() : -1;
    }
    bool setVersion(QSqlDatabase& db, const QString&, int version, QSqlError* error) const override
    {
        return RunStatement(db, QStringLiteral("Pragma user_version = %1").arg(version), error);
    }
    std::optional<bool> holdsTables(QSqlDatabase& db, const QString&,
                                    QSqlError* error) const override
    {
        const std::optional<QVariant> tables =
            AskValue(db, QStringLiteral("Select count(*) From sqlite_master"), error);
        return tables ? std::optional<bool>(tables->toLongLong() > 0) : std::nullopt;
    }
    std::optional<bool> holdsTable(QSqlDatabase& db, const QString& table,
                                   QSqlError* error) const override
    {
        const std::optional<QVariant> there = AskValue(
            db,
            QStringLiteral("Select count(*) > 0 From sqlite_master Where type = 'table' And "
                           "name = ? Collate NoCase"),
            error, {table});
        return there ? std::optional<bool>(there->toBool()) : std::nullopt;
    }
    QString holdsText(const QString& column) const override
    {
        return QStringLiteral("instr(%1, ?) > 0").arg(column);
    }
    QString numberBegins(const QString& column) const override
    {
        return QStringLiteral("substr(%1, 1, ?) = ?").arg(column);
    }
    StoreKind kind(const QSqlError& error) const override
    {
        bool number = false;
        const int extended = error.nativeErrorCode().toInt(&number);
        if (!number)
            return StoreKind::Failed;
        if (extended == ShmSize)
            return StoreKind::DiskFull; // the WAL's shared memory could not grow
        const int code = extended & 0xff;
        switch (code) {
        case Busy:
        case Locked:
            return StoreKind::Locked;
        case ReadOnly:
            return StoreKind::ReadOnly;
        case Perm:
        case Auth:
            return StoreKind::PermissionDenied;
        case Full:
            return StoreKind::DiskFull;
        case Corrupt:
        case NotADb:
            return StoreKind::Damaged;
        case CantOpen:
            return StoreKind::Missing;
        default:
            return StoreKind::Failed;
        }
    }
    QString reason(const QSqlError& error, const QString& where, const SqliteFileWords& words,
                   bool changing) const override
    {
        // While a change runs on the open file, what cannot be opened is the
        // journal that SQLite makes beside it, in its folder.
        QString reason = changing && SqliteCannotOpen(error) ? SqliteFolderReason(words)
                                                             : SqliteErrorReason(error, words);
        if (kind(error) == StoreKind::DiskFull)
            reason += QStringLiteral("; make room on it (delete or move files that are not "
                                     "needed), then try again");
        if (reason.isEmpty())
            return QStringLiteral("%1 (%2)").arg(SqliteErrorDetail(error), where);
        reason[0] = reason[0].toUpper();
        return QStringLiteral("%1 (%2). (%3)").arg(reason, where, SqliteErrorDetail(error));
    }
};

class ServerDialect final : public Dialect {
public:
    bool isServer() const override { return true; }
    QString statement(const QString& statement) const override
    {
        // Its equality of texts is byte for byte already, and a transaction
        // takes its locks as it goes.
        QString s = statement;
        s.replace(QLatin1String(" Collate Binary"), QString());
        s.replace(QLatin1String("Begin Immediate"), QLatin1String("Begin"));
        return s;
    }
    bool readsWholeAnswer() const override { return true; }
    QVariant text(const QString& value) const override
    {
        if (value.isNull())
            return QVariant(QStringLiteral(""));
        if (value.contains(QChar(0)))
            return QVariant(QString(value).remove(QChar(0)));
        return QVariant(value);
    }
    QString numberedKey() const override
    {
        return QStringLiteral("Bigint Generated By Default As Identity Primary Key");
    }
    bool versionTellsTables() const override { return true; }
    bool beginWriting(QSqlDatabase& db, const QString& table, QSqlError* error) const override
    {
        if (!RunStatement(db, QStringLiteral("Begin"), error))
            return false;
        // Share Row Exclusive: one writer at a time; readers go on.
        if (RunStatement(db, QStringLiteral("Lock Table %1 In Share Row Exclusive Mode").arg(table),
                         error))
            return true;
        QSqlError ignored;
        RunStatement(db, QStringLiteral("Rollback"), &ignored);
        return false;
    }
    bool isView(QSqlDatabase& db, const QString& table) const override
    {
        QSqlError ignored;
        return !AskValue(db,
                         QStringLiteral("Select 1 From information_schema.views Where table_name = "
                                        "lower(?) And table_schema = current_schema()"),
                         &ignored, {table})
                    .value_or(QVariant())
                    .isNull();
    }
    QString numberedInsert(const QString& statement, const QString& key) const override
    {
        return QStringLiteral("%1 Returning %2").arg(statement, key);
    }
    qint64 insertNumbered(QSqlQuery& query, const QString&, QSqlError* error) const override
    {
        if (query.exec() && query.next())
            return query.value(0).toLongLong();
        *error = query.lastError();
        return 0;
    }
    // A server keeps the versions in a table of its own, LockerSchema: a row
    // for each part of the program's data.
    int version(QSqlDatabase& db, const QString& part, QSqlError* error) const override
    {
        const std::optional<QVariant> kept =
            AskValue(db, QStringLiteral("Select to_regclass('lockerschema') Is Not Null"), error);
        if (!kept || !kept->toBool())
            return kept ? 0 : -1;
        const std::optional<QVariant> version = AskValue(
            db, QStringLiteral("Select Version From LockerSchema Where Part = ?"), error, {part});
        return version ? version->toInt() : -1;
    }
    bool setVersion(QSqlDatabase& db, const QString& part, int version,
                    QSqlError* error) const override
    {
        if (!RunStatement(db,
                          QStringLiteral("Create Table If Not Exists LockerSchema (Part Text "
                                         "Primary Key, Version Integer Not Null)"),
                          error))
            return false;
        return AskValue(db,
                        QStringLiteral("Insert Into LockerSchema (Part, Version) Values (?, ?) On "
                                       "Conflict (Part) Do Update Set Version = Excluded.Version"),
                        error, {part, version})
            .has_value();
    }
    std::optional<bool> holdsTables(QSqlDatabase& db, const QString& table,
                                    QSqlError* error) const override
    {
        const std::optional<QVariant> there = AskValue(
            db, QStringLiteral("Select to_regclass(lower(?)) Is Not Null"), error, {table});
        return there ? std::optional<bool>(there->toBool()) : std::nullopt;
    }
    std::optional<bool> holdsTable(QSqlDatabase& db, const QString& table,
                                   QSqlError* error) const override
    {
        return holdsTables(db, table, error); // on a server, that table itself
    }
    QString holdsText(const QString& column) const override
    {
        return QStringLiteral("strpos(%1, ?) > 0").arg(column);
    }
    QString numberBegins(const QString& column) const override
    {
        return QStringLiteral("left(%1::text, ?) = ?").arg(column);
    }
    StoreKind kind(const QSqlError& error) const override
    {
        const QString state = error.nativeErrorCode();
        if (state == QLatin1String("57014"))
            return StoreKind::TimedOut; // the statement outlasted its limit
        if (state == QLatin1String("55P03") || state == QLatin1String("40P01"))
            return StoreKind::Locked; // a lock not had in time, or a deadlock
        if (state == QLatin1String("42501") || state.startsWith(QLatin1String("28")))
            return StoreKind::PermissionDenied;
        if (state == QLatin1String("3D000") || state == QLatin1String("42P01"))
            return StoreKind::Missing; // no such database, or no such table
        if (state == QLatin1String("53100"))
            return StoreKind::DiskFull;
        if (state == QLatin1String("25006"))
            return StoreKind::ReadOnly;
        // No answer to give a state: the connection failed or was lost.
        if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")) ||
            state.isEmpty())
            return StoreKind::Unreachable;
        return StoreKind::Failed;
    }
    QString reason(const QSqlError& error, const QString& where, const SqliteFileWords&,
                   bool) const override
    {
        const QString detail = Database::ServerErrorDetail(error);
        switch (kind(error)) {
        case StoreKind::Unreachable:
            return QStringLiteral("The server did not answer (%1). Check that the server is "
                                  "running and that this machine can reach it; the next try "
                                  "connects again. (%2)")
                .arg(where, detail);
        case StoreKind::TimedOut:
            return QStringLiteral("The server (%1) did not finish within %2 seconds; it may be "
                                  "busy with maintenance. Try again in a moment. (%3)")
                .arg(where)
                .arg(WaitLimitS)
                .arg(detail);
        case StoreKind::Locked:
            return QStringLiteral("Another session on the server (%1) holds what this needs (a "
                                  "change at another counter, or maintenance). Nothing was "
                                  "waited for longer than %2 seconds; try again in a moment. "
                                  "(%3)")
                .arg(where)
                .arg(WaitLimitS)
                .arg(detail);
        case StoreKind::PermissionDenied:
            return QStringLiteral("The server (%1) refused: this user may not do this (%2). The "
                                  "owner of the database grants it, for example: GRANT SELECT, "
                                  "INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO the "
                                  "user; GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO the "
                                  "user.")
                .arg(where, detail);
        case StoreKind::DiskFull:
            return QStringLiteral("The server's disk is full (%1); its owner must make room. (%2)")
                .arg(where, detail);
        case StoreKind::ReadOnly:
            return QStringLiteral("The server (%1) takes no changes now (read-only). (%2)")
                .arg(where, detail);
        default:
            return QStringLiteral("The server (%1) refused: %2.").arg(where, detail);
        }
    }
};

} // namespace

const Dialect& Dialect::Sqlite()
{
    static const SqliteDialect dialect;
    return dialect;
}

const Dialect& Dialect::Server()
{
    static const ServerDialect dialect;
    return dialect;
}

const Dialect& Dialect::Of(const QSqlDriver* driver)
{
    return driver && driver->dbmsType() == QSqlDriver::PostgreSQL ? Server() : Sqlite();
}

const Dialect& Dialect::Of(const QSqlDatabase& db)
{
    return Of(db.driver());
}

QString WithValues(const QSqlDatabase& db, QString statement, const QVariantList& values)
{
    qsizetype from = 0;
    for (const QVariant& value : values) {
        QSqlField field(QString(), value.metaType());
        field.setValue(value);
        const QString literal = db.driver()->formatValue(field);
        const qsizetype mark = statement.indexOf(QLatin1Char('?'), from);
        if (mark < 0)
            break;
        statement.replace(mark, 1, literal);
        from = mark + literal.size();
    }
    return statement;
}

std::optional<QVariant> AskValue(QSqlDatabase& db, const QString& statement, QSqlError* error,
                                 const QVariantList& values)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(WithValues(db, statement, values))) {
        *error = query.lastError();
        return std::nullopt;
    }
    return query.next() ? query.value(0) : QVariant();
}

bool RunStatement(QSqlDatabase& db, const QString& statement, QSqlError* error)
{
    QSqlQuery query(db);
    if (query.exec(statement))
        return true;
    *error = query.lastError();
    return false;
}
