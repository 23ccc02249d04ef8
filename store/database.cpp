#include "store/database.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

namespace {

// How long a change waits for another program that holds an SQLite file locked.
constexpr int BusyTimeoutMs = 2000;

// How long a counter waits for a server that does not answer, in seconds.
constexpr int ConnectTimeoutS = 5;

} // namespace

QString ServerAddress::described() const
{
    QString where = host.isEmpty() ? QStringLiteral("this machine") : host;
    if (port > 0)
        where += QStringLiteral(":%1").arg(port);
    const QString name = database.isEmpty() ? QStringLiteral("(the default)") : database;
    return QStringLiteral("database %1 on %2").arg(name, where);
}

namespace Database {

bool IsServerUrl(const QString& text)
{
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString Described(const QString& location)
{
    if (!IsServerUrl(location))
        return QDir::toNativeSeparators(QFileInfo(location).absoluteFilePath());
    const std::optional<ServerAddress> address = ParseServerUrl(location, nullptr);
    return address ? address->described() : QStringLiteral("an unusable server address");
}

std::optional<ServerAddress> ParseServerUrl(const QString& text, QString* problem)
{
    QString ignored;
    if (!problem)
        problem = &ignored;
    const QUrl url(text, QUrl::StrictMode);
    if (!IsServerUrl(text) || !url.isValid()) {
        *problem = QStringLiteral("%1 is not a server address; write it as "
                                  "postgresql://user@host:port/database.")
                       .arg(text);
        return std::nullopt;
    }
    if (!url.password().isEmpty()) {
        *problem = QStringLiteral("The server address holds a password. Take it out: keep it in "
                                  "~/.pgpass or give it in PGPASSWORD, as for any PostgreSQL "
                                  "program.");
        return std::nullopt;
    }
    ServerAddress address;
    address.host = url.host();
    address.port = url.port(0);
    address.user = url.userName();
    address.database = url.path().mid(1);
    QStringList options;
    bool timeout = false;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("password")) {
            *problem = QStringLiteral("The server address holds a password. Take it out: keep it "
                                      "in ~/.pgpass or give it in PGPASSWORD.");
            return std::nullopt;
        }
        if (key.contains(QLatin1Char('=')) || key.contains(QLatin1Char(';')) ||
            value.contains(QLatin1Char(';'))) {
            *problem =
                QStringLiteral("The setting \"%1\" in the server address cannot be used.").arg(key);
            return std::nullopt;
        }
        timeout = timeout || key == QLatin1String("connect_timeout");
        options << QStringLiteral("%1=%2").arg(key, value);
    }
    if (!timeout)
        options << QStringLiteral("connect_timeout=%1").arg(ConnectTimeoutS);
    address.options = options.join(QLatin1Char(';'));
    if (address.database.isEmpty() && !address.options.contains(QLatin1String("service="))) {
        *problem = QStringLiteral("The server address %1 names no database; add it after the "
                                  "host: postgresql://user@host/database.")
                       .arg(text);
        return std::nullopt;
    }
    return address;
}

QString NextConnectionName(const char* purpose)
{
    static QAtomicInt counter;
    return QStringLiteral("locker-%1-%2")
        .arg(QLatin1String(purpose))
        .arg(counter.fetchAndAddRelaxed(1));
}

QSqlDatabase AddSqliteFile(const QString& name, const QString& path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    // mode=rw: SQLite opens an existing file and never creates one.
    db.setDatabaseName(
        QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
        QStringLiteral("?mode=rw"));
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    return db;
}

QSqlDatabase AddServer(const QString& name, const ServerAddress& address)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    if (!db.isValid())
        return db;
    db.setHostName(address.host);
    if (address.port > 0)
        db.setPort(address.port);
    db.setUserName(address.user);
    db.setDatabaseName(address.database);
    db.setConnectOptions(address.options);
    return db;
}

QString DriverMissingWords()
{
    return QStringLiteral("Qt's PostgreSQL driver is not installed (package libqt6sql6-psql).");
}

ServerOpening OpenServer(QSqlDatabase& db, const QString& name, const QString& url,
                         QString* problem)
{
    const std::optional<ServerAddress> address = ParseServerUrl(url, problem);
    if (!address)
        return ServerOpening::Refused;
    if (!db.isValid())
        db = AddServer(name, *address);
    if (!db.isValid()) {
        *problem = DriverMissingWords();
        return ServerOpening::Refused;
    }
    if (db.open())
        return ServerOpening::Opened;
    *problem = QStringLiteral("The price list server could not be reached: %1. (%2)")
                   .arg(address->described(), ServerErrorDetail(db.lastError()));
    return ServerOpening::NotReached;
}

bool IsServer(const QSqlDriver* driver)
{
    return driver && driver->dbmsType() == QSqlDriver::PostgreSQL;
}

bool IsServer(const QSqlDatabase& db)
{
    return IsServer(db.driver());
}

QString Statement(const QSqlDatabase& db, const QString& statement)
{
    return Statement(db.driver(), statement);
}

QString Statement(const QSqlDriver* driver, const QString& statement)
{
    if (!IsServer(driver))
        return statement;
    QString s = statement;
    s.replace(QLatin1String(" Collate Binary"), QString());
    s.replace(QLatin1String("Begin Immediate"), QLatin1String("Begin"));
    return s;
}

bool BeginWriting(QSqlDatabase& db, const QString& table, QSqlError* error)
{
    QSqlQuery query(db);
    if (!IsServer(db)) {
        if (query.exec(QStringLiteral("Begin Immediate")))
            return true;
        *error = query.lastError();
        return false;
    }
    if (!query.exec(QStringLiteral("Begin"))) {
        *error = query.lastError();
        return false;
    }
    // Share Row Exclusive: one writer at a time; readers go on.
    if (query.exec(QStringLiteral("Lock Table %1 In Share Row Exclusive Mode").arg(table)))
        return true;
    *error = query.lastError();
    query.exec(QStringLiteral("Rollback"));
    return false;
}

QString ServerErrorDetail(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    return text.section(QLatin1Char('\n'), 0, 0).trimmed();
}

} // namespace Database
