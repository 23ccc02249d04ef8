#include "pg_server.h"

#include "book/book_setup.h"
#include "book/estimate_book.h"
#include "pricelist/price_list.h"
#include "pricelist/price_list_setup.h"

#include <QDebug>
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString script = QStringLiteral(LOCKER_SOURCE_DIR "/scripts/pg-test-server.sh");
constexpr int scriptMilliseconds = 60000;

void tell(QString* problem, const QString& text)
{
    if (problem)
        *problem = text;
}

} // namespace

// A short folder name: the server's Unix socket goes in it, and socket paths
// are limited to about a hundred bytes.
PgTestServer::PgTestServer()
    : dir_(QDir::tempPath() + QStringLiteral("/locker-pg-XXXXXX"))
{}

PgTestServer::~PgTestServer()
{
    QString problem;
    if (dir_.isValid() && !run(QStringLiteral("destroy"), nullptr, &problem))
        qWarning().noquote() << "The test's PostgreSQL server did not go:" << problem;
}

bool PgTestServer::run(const QString& command, QString* output, QString* problem) const
{
    if (!dir_.isValid()) {
        tell(problem, QStringLiteral("no temporary folder: ") + dir_.errorString());
        return false;
    }
    QProcess process;
    process.start(QStringLiteral("bash"), {script, command, dir_.path()});
    if (!process.waitForStarted()) {
        tell(problem, QStringLiteral("cannot run bash: ") + process.errorString());
        return false;
    }
    if (!process.waitForFinished(scriptMilliseconds)) {
        process.kill();
        process.waitForFinished();
        tell(problem, QStringLiteral("%1 %2 took over %3 s")
                          .arg(script, command)
                          .arg(scriptMilliseconds / 1000));
        return false;
    }
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        tell(problem, QStringLiteral("%1 %2 failed: %3").arg(script, command, errors));
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    return true;
}

bool PgTestServer::start(QString* problem)
{
    QString output;
    if (!run(QStringLiteral("start"), &output, problem))
        return false;
    bool ok = false;
    const int port = output.toInt(&ok);
    if (!ok || port <= 0 || port > 65535) {
        tell(problem, QStringLiteral("the server's script printed no port but \"%1\"").arg(output));
        return false;
    }
    port_ = port;
    return true;
}

bool PgTestServer::stop(QString* problem)
{
    return run(QStringLiteral("stop"), nullptr, problem);
}

QString PgTestServer::url(const QString& database) const
{
    return QStringLiteral("postgresql://locker@127.0.0.1:%1/%2").arg(port_).arg(database);
}

QString PgTestServer::createDatabase(QString* problem)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        tell(problem, QStringLiteral("Qt's PostgreSQL driver is missing: install libqt6sql6-psql"));
        return {};
    }
    const QString name = QStringLiteral("locker_test_%1").arg(databases_ + 1);
    const QString connection =
        QStringLiteral("pg_test_server_%1").arg(reinterpret_cast<quintptr>(this));
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(port_);
        db.setUserName(QStringLiteral("locker"));
        db.setDatabaseName(QStringLiteral("postgres"));
        if (!db.open()) {
            error = QStringLiteral("cannot connect to the server on port %1: %2")
                        .arg(port_)
                        .arg(db.lastError().text());
        } else {
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("Create Database ") + name))
                error = QStringLiteral("cannot create %1: %2").arg(name, query.lastError().text());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (!error.isEmpty()) {
        tell(problem, error);
        return {};
    }
    ++databases_;
    return url(name);
}

QString PgTestServer::createShopDatabase(QString* problem)
{
    const QString url = createDatabase(problem);
    if (url.isEmpty())
        return url;
    if (const StoreResult made = PriceListSetup::CreatePriceTable(url); !made.done()) {
        tell(problem, made.problem);
        return QString();
    }
    if (const StoreResult made = BookSetup::PrepareBook(url); !made.done()) {
        tell(problem, made.problem);
        return QString();
    }
    return url;
}
