#include "store/database.h"

#include "store/dialect.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUrl>
#include <QVariant>
#include <algorithm>
#include <dlfcn.h>
#include <libpq-fe.h>
#include <mutex>

namespace {

// How long a change waits for another program that holds an SQLite file locked.
constexpr int BusyTimeoutMs = 2000;

// The longest a clerk's action waits on a server: for a connection (libpq
// counts whole seconds, 2 at least), for data sent to be taken by the other
// side, and for a statement or a lock on the server.
constexpr int ConnectTimeoutS = 2;
constexpr int WaitLimitMs = 2000;
// A lock is given up a little before the statement's limit, so that a wait
// for another session is told as that.
constexpr int LockWaitMs = 1500;
// A session that began a transaction and then went silent (its counter died,
// its link was cut) is ended by the server after this long, and the locks it
// held are free for the other counters.
constexpr int IdleInTransactionMs = 5000;

// The server's own limits that every session of the program sets, and the
// most an address may set them to: a limit may be made shorter, never
// longer, and never switched off (0).
struct SessionLimit {
    const char* name;
    int ms;
};
constexpr SessionLimit SessionLimits[] = {
    {"statement_timeout", WaitLimitMs},
    {"lock_timeout", LockWaitMs},
    {"idle_in_transaction_session_timeout", IdleInTransactionMs},
};

// libpq's settings that a server address may carry in its query; anything
// else is refused rather than passed on unread.
const QStringList KnownSettings = {
    QStringLiteral("application_name"), QStringLiteral("connect_timeout"),
    QStringLiteral("gssencmode"),       QStringLiteral("hostaddr"),
    QStringLiteral("keepalives"),       QStringLiteral("keepalives_count"),
    QStringLiteral("keepalives_idle"),  QStringLiteral("keepalives_interval"),
    QStringLiteral("options"),          QStringLiteral("passfile"),
    QStringLiteral("service"),          QStringLiteral("sslcert"),
    QStringLiteral("sslcompression"),   QStringLiteral("sslcrl"),
    QStringLiteral("sslkey"),           QStringLiteral("sslmode"),
    QStringLiteral("sslrootcert"),      QStringLiteral("target_session_attrs"),
    QStringLiteral("tcp_user_timeout"),
};

const QString PasswordWords =
    QStringLiteral("The server address holds a password. Take it out: keep it in ~/.pgpass or "
                   "give it in PGPASSWORD, as for any PostgreSQL program.");

// A value as libpq reads it in a connection string: in single quotes, with a
// backslash before a quote or a backslash of its own.
QString quoted(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

// Percent-decoding as in a URL; false when a % is not followed by two hex digits.
bool decoded(const QString& text, QString* out)
{
    QByteArray bytes;
    const QByteArray raw = text.toUtf8();
    for (int i = 0; i < raw.size(); ++i) {
        if (raw[i] != '%') {
            bytes += raw[i];
            continue;
        }
        bool ok = false;
        const int value = raw.mid(i + 1, 2).toInt(&ok, 16);
        if (!ok || raw.mid(i + 1, 2).size() != 2)
            return false;
        bytes += char(value);
        i += 2;
    }
    *out = QString::fromUtf8(bytes);
    return true;
}

// A duration as the server reads a setting in milliseconds: a number, with
// a unit or without (milliseconds). No value when it is not one.
std::optional<double> durationMs(const QString& text)
{
    static const QRegularExpression Duration(
        QStringLiteral("^\\s*(-?[0-9]+(?:\\.[0-9]*)?)\\s*(us|ms|s|min|h|d)?\\s*$"));
    const QRegularExpressionMatch match = Duration.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const double number = match.captured(1).toDouble();
    const QString unit = match.captured(2);
    const double scale = unit == QLatin1String("us")    ? 0.001
                         : unit == QLatin1String("s")   ? 1000.0
                         : unit == QLatin1String("min") ? 60000.0
                         : unit == QLatin1String("h")   ? 3600000.0
                         : unit == QLatin1String("d")   ? 86400000.0
                                                        : 1.0;
    return number * scale;
}

// The server settings that a libpq "options" value sets ("-c name=value",
// "-cname=value" or "--name=value"), by name (blanks and letter case as the
// server reads them).
QList<QPair<QString, QString>> serverSettingsIn(const QString& options)
{
    QList<QPair<QString, QString>> found;
    const QStringList words =
        options.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (int i = 0; i < words.size(); ++i) {
        QString setting;
        if (words[i] == QLatin1String("-c") && i + 1 < words.size())
            setting = words[++i];
        else if (words[i].startsWith(QLatin1String("--")))
            setting = words[i].mid(2);
        else if (words[i].startsWith(QLatin1String("-c")))
            setting = words[i].mid(2);
        const int equals = int(setting.indexOf(QLatin1Char('=')));
        if (equals <= 0)
            continue;
        found.append({setting.left(equals).toLower().replace(QLatin1Char('-'), QLatin1Char('_')),
                      setting.mid(equals + 1)});
    }
    return found;
}

// Why a setting of the address would lengthen or switch off a limit of the
// program; empty when it keeps within them.
QString limitSwitchedOff(const QString& key, const QString& value)
{
    const auto refuse = [](const QString& name, int limitMs) {
        return QStringLiteral("The server address sets %1 longer than this program's limit of "
                              "%2 ms, or switches it off (0); no action at a counter may wait "
                              "longer. Take it out, or give a shorter one.")
            .arg(name)
            .arg(limitMs);
    };
    if (key == QLatin1String("connect_timeout")) {
        // libpq counts whole seconds, and 0 waits for good.
        bool ok = false;
        const int seconds = value.trimmed().toInt(&ok);
        return ok && seconds >= 1 && seconds <= ConnectTimeoutS
                   ? QString()
                   : refuse(key, ConnectTimeoutS * 1000);
    }
    if (key == QLatin1String("tcp_user_timeout")) {
        bool ok = false;
        const int ms = value.trimmed().toInt(&ok);
        return ok && ms >= 1 && ms <= WaitLimitMs ? QString() : refuse(key, WaitLimitMs);
    }
    if (key == QLatin1String("options"))
        for (const auto& [name, given] : serverSettingsIn(value))
            for (const SessionLimit& limit : SessionLimits)
                if (name == QLatin1String(limit.name)) {
                    const std::optional<double> ms = durationMs(given);
                    if (!ms || *ms < 1 || *ms > limit.ms)
                        return refuse(name, limit.ms);
                }
    return QString();
}

QString severalHostsWords(const QString& text)
{
    return QStringLiteral("The server address %1 names several hosts; name one.").arg(text);
}

} // namespace

QString ServerAddress::described() const
{
    QString where;
    QString name = host;
    if (name.isEmpty())
        for (const auto& [key, value] : settings)
            if (key == QLatin1String("hostaddr"))
                name = value;
    if (name.isEmpty())
        where = QStringLiteral("this machine");
    else if (name.startsWith(QLatin1Char('/')))
        where = QStringLiteral("this machine (socket in %1)").arg(name);
    else if (name.contains(QLatin1Char(':')))
        where = QStringLiteral("host [%1]").arg(name); // IPv6, as it is written with a port
    else
        where = QStringLiteral("host %1").arg(name);
    if (port > 0 && !name.startsWith(QLatin1Char('/')))
        where += QStringLiteral(":%1").arg(port);
    const QString base = database.isEmpty() ? QStringLiteral("(the default)") : database;
    QString text = QStringLiteral("database %1 on %2").arg(base, where);
    if (!user.isEmpty())
        text += QStringLiteral(" (user %1)").arg(user);
    return text;
}

QString ServerAddress::connectOptions() const
{
    QStringList parts;
    bool connectTimeout = false;
    bool userTimeout = false;
    bool keepalives = false;
    bool applicationName = false;
    QString sessionOptions;
    for (const auto& [key, value] : settings) {
        if (key == QLatin1String("options")) {
            sessionOptions = value;
            continue;
        }
        connectTimeout = connectTimeout || key == QLatin1String("connect_timeout");
        userTimeout = userTimeout || key == QLatin1String("tcp_user_timeout");
        keepalives = keepalives || key.startsWith(QLatin1String("keepalives"));
        applicationName = applicationName || key == QLatin1String("application_name");
        parts << QStringLiteral("%1=%2").arg(key, quoted(value));
    }
    // The server tells which program on which machine a session is
    // ("locker-estimate@counter-2"): the price history names the machine.
    if (!applicationName)
        parts << QStringLiteral("application_name=%1")
                     .arg(quoted(QStringLiteral("%1@%2").arg(QCoreApplication::applicationName(),
                                                             QSysInfo::machineHostName())));
    if (!connectTimeout)
        parts << QStringLiteral("connect_timeout=%1").arg(ConnectTimeoutS);
    // A cut cable or a server gone away is found out within seconds, not at
    // TCP's own limit of a quarter of an hour.
    if (!userTimeout)
        parts << QStringLiteral("tcp_user_timeout=%1").arg(WaitLimitMs);
    if (!keepalives)
        parts << QStringLiteral("keepalives=1") << QStringLiteral("keepalives_idle=5")
              << QStringLiteral("keepalives_interval=2") << QStringLiteral("keepalives_count=2");
    // No statement, and no wait for a lock held by another session, outlasts
    // the limit: the action is told it and the clerk gets the screen back.
    // A session left idle inside a transaction is ended by the server.
    const QList<QPair<QString, QString>> given = serverSettingsIn(sessionOptions);
    // The program tells what matters in its own words: the server's raw
    // warnings and notices ("no privileges were granted") are not printed.
    if (std::none_of(given.cbegin(), given.cend(),
                     [](const auto& s) { return s.first == QLatin1String("client_min_messages"); }))
        sessionOptions += QStringLiteral(" -c client_min_messages=error");
    for (const SessionLimit& limit : SessionLimits)
        if (std::none_of(given.cbegin(), given.cend(),
                         [&](const auto& s) { return s.first == QLatin1String(limit.name); }))
            sessionOptions +=
                QStringLiteral(" -c %1=%2").arg(QLatin1String(limit.name)).arg(limit.ms);
    parts << QStringLiteral("options=%1").arg(quoted(sessionOptions.trimmed()));
    return parts.join(QLatin1Char(';'));
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
    const auto refuse = [&](const QString& why) {
        *problem = why;
        return std::nullopt;
    };
    const QString notAnAddress = QStringLiteral("%1 is not a server address; write it as "
                                                "postgresql://user@host:port/database.")
                                     .arg(text);
    if (!IsServerUrl(text))
        return refuse(notAnAddress);
    // postgresql://[user@][host][:port][/database][?key=value&...], each part
    // percent-encoded, as libpq reads it.
    QString rest = text.mid(text.indexOf(QLatin1String("://")) + 3);
    QString query;
    if (const int q = int(rest.indexOf(QLatin1Char('?'))); q >= 0) {
        query = rest.mid(q + 1);
        rest.truncate(q);
    }
    QString path;
    if (const int slash = int(rest.indexOf(QLatin1Char('/'))); slash >= 0) {
        path = rest.mid(slash + 1);
        rest.truncate(slash);
    }
    ServerAddress address;
    if (const int at = int(rest.lastIndexOf(QLatin1Char('@'))); at >= 0) {
        const QString userInfo = rest.left(at);
        rest = rest.mid(at + 1);
        if (userInfo.contains(QLatin1Char(':')))
            return refuse(PasswordWords);
        if (!decoded(userInfo, &address.user))
            return refuse(notAnAddress);
    }
    QString portText;
    if (rest.startsWith(QLatin1Char('['))) {
        const int close = int(rest.indexOf(QLatin1Char(']')));
        if (close < 0)
            return refuse(notAnAddress);
        address.host = rest.mid(1, close - 1);
        rest = rest.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return refuse(notAnAddress);
        portText = rest.mid(1);
    } else {
        const int colon = int(rest.lastIndexOf(QLatin1Char(':')));
        QString host = colon >= 0 ? rest.left(colon) : rest;
        if (colon >= 0)
            portText = rest.mid(colon + 1);
        if (!decoded(host, &address.host))
            return refuse(notAnAddress);
    }
    if (address.host.contains(QLatin1Char(',')))
        return refuse(severalHostsWords(text));
    const auto setPort = [&](const QString& given) {
        bool ok = false;
        const int port = given.toInt(&ok);
        if (!ok || port < 1 || port > 65535 || given.trimmed() != given)
            return false;
        address.port = port;
        return true;
    };
    const QString badPort = QStringLiteral("The port in the server address %1 is not a port "
                                           "number (1 to 65535).")
                                .arg(text);
    if (!portText.isEmpty() && !setPort(portText))
        return refuse(badPort);
    if (!decoded(path, &address.database) || address.database.contains(QLatin1Char('/')))
        return refuse(notAnAddress);
    for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const int equals = int(pair.indexOf(QLatin1Char('=')));
        QString key;
        QString value;
        if (equals < 0 || !decoded(pair.left(equals), &key) ||
            !decoded(pair.mid(equals + 1), &value))
            return refuse(notAnAddress);
        // A password may hide in any value ("sslmode=disable password=x").
        static const QRegularExpression Password(QStringLiteral("password\\s*="),
                                                 QRegularExpression::CaseInsensitiveOption);
        if (key == QLatin1String("password") || value.contains(Password))
            return refuse(PasswordWords);
        // Qt's driver turns ';' into the blank between settings.
        if (value.contains(QLatin1Char(';')))
            return refuse(QStringLiteral("The setting \"%1\" in the server address cannot hold a "
                                         "semicolon.")
                              .arg(key));
        if ((key == QLatin1String("host") || key == QLatin1String("hostaddr")) &&
            value.contains(QLatin1Char(',')))
            return refuse(severalHostsWords(text));
        if (const QString limit = limitSwitchedOff(key, value); !limit.isEmpty())
            return refuse(limit);
        if (key == QLatin1String("host")) {
            address.host = value;
        } else if (key == QLatin1String("port")) {
            if (!setPort(value))
                return refuse(badPort);
        } else if (key == QLatin1String("user")) {
            address.user = value;
        } else if (key == QLatin1String("dbname")) {
            address.database = value;
        } else if (KnownSettings.contains(key)) {
            address.settings.append({key, value});
        } else {
            return refuse(
                QStringLiteral("The setting \"%1\" in the server address is not one that this "
                               "program knows.")
                    .arg(key));
        }
    }
    const bool service =
        std::any_of(address.settings.cbegin(), address.settings.cend(),
                    [](const auto& s) { return s.first == QLatin1String("service"); });
    if (address.database.isEmpty() && !service)
        return refuse(QStringLiteral("The server address %1 names no database; add it after the "
                                     "host: postgresql://user@host/database.")
                          .arg(text));
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
    db.setConnectOptions(address.connectOptions());
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

bool OnOwnConnection(const QString& url, const char* purpose,
                     const std::function<void(QSqlDatabase&)>& use)
{
    const std::optional<ServerAddress> address = ParseServerUrl(url, nullptr);
    if (!address)
        return false;
    const QString name = NextConnectionName(purpose);
    bool opened = false;
    {
        QSqlDatabase db = AddServer(name, *address);
        opened = db.isValid() && db.open();
        if (opened)
            use(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return opened;
}

QString ServerErrorDetail(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    return text.section(QLatin1Char('\n'), 0, 0).trimmed();
}

PGconn* ServerConnection(const QSqlDatabase& db)
{
    // Not isOpen(): Qt's driver counts a broken connection as closed.
    if (!db.isValid() || !Dialect::Of(db).isServer())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    // Qt names the type by its C name, "pg_conn*" (PGconn is a typedef of it).
    if (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0)
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

namespace {

// libpq's functions, from the library that Qt's driver loaded: the program
// does not load it (and all it needs) at its start, for counters that keep
// their prices in a file.
struct Libpq {
    int (*socket)(const PGconn*) = nullptr;
    ConnStatusType (*status)(const PGconn*) = nullptr;
    int (*consumeInput)(PGconn*) = nullptr;
    PGnotify* (*notifies)(PGconn*) = nullptr;
    void (*freemem)(void*) = nullptr;
};

template <typename Function> void take(void* library, const char* name, Function*& function)
{
    function = reinterpret_cast<Function*>(::dlsym(library, name));
}

const Libpq* libpq()
{
    static Libpq functions;
    static std::once_flag found;
    // Only asked for with a connection of the driver's, so libpq is there.
    std::call_once(found, [] {
        if (void* library = ::dlopen("libpq.so.5", RTLD_NOW | RTLD_NOLOAD)) {
            take(library, "PQsocket", functions.socket);
            take(library, "PQstatus", functions.status);
            take(library, "PQconsumeInput", functions.consumeInput);
            take(library, "PQnotifies", functions.notifies);
            take(library, "PQfreemem", functions.freemem);
        }
    });
    return functions.socket && functions.status && functions.consumeInput && functions.notifies &&
                   functions.freemem
               ? &functions
               : nullptr;
}

} // namespace

int ServerSocket(const QSqlDatabase& db)
{
    PGconn* connection = db.isOpen() ? ServerConnection(db) : nullptr;
    const Libpq* pq = connection ? libpq() : nullptr;
    return pq ? pq->socket(connection) : -1;
}

bool TakeNotices(const QSqlDatabase& db, const QString& channel)
{
    PGconn* connection = db.isOpen() ? ServerConnection(db) : nullptr;
    const Libpq* pq = connection ? libpq() : nullptr;
    if (!pq)
        return false;
    // What has come in, read without waiting (libpq's socket never blocks).
    pq->consumeInput(connection);
    const QByteArray wanted = channel.toUtf8();
    bool came = false;
    while (PGnotify* notice = pq->notifies(connection)) {
        came = came || wanted == notice->relname;
        pq->freemem(notice);
    }
    return came;
}

bool ConnectionBroken(const QSqlDatabase& db)
{
    PGconn* connection = ServerConnection(db);
    const Libpq* pq = connection ? libpq() : nullptr;
    if (!pq)
        return false;
    // What the server sent meanwhile (the notice that it shuts down, or the
    // end of the connection) is read first, without waiting.
    if (pq->status(connection) == CONNECTION_OK)
        pq->consumeInput(connection);
    return pq->status(connection) == CONNECTION_BAD;
}

} // namespace Database
