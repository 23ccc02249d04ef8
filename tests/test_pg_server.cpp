// The tests' own PostgreSQL server: fresh databases on it, and the data it
// keeps across a stop and a start.

#include "pg_server.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUrl>

namespace {

// A connection named `name` to the database at a postgresql:// address,
// opened (or not: see isOpen()).
QSqlDatabase openUrl(const QString& name, const QString& address)
{
    const QUrl url(address);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(url.host());
    db.setPort(url.port());
    db.setUserName(url.userName());
    db.setDatabaseName(url.path().mid(1));
    db.open();
    return db;
}

// The rows of table t, one "id:word" each, in id order; empty on failure.
QStringList rows(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    QStringList found;
    if (!query.exec(QStringLiteral("Select id, word From t Order By id")))
        return found;
    while (query.next())
        found << query.value(0).toString() + ":" + query.value(1).toString();
    return found;
}

} // namespace

class TestPgServer : public QObject {
    Q_OBJECT

private slots:
    void databasesAreFreshAndOutliveARestart()
    {
        PgTestServer server;
        QString problem;
        QVERIFY2(server.start(&problem), qPrintable(problem));
        const int port = server.port();

        const QString first = server.createDatabase(&problem);
        QVERIFY2(!first.isEmpty(), qPrintable(problem));
        const QString second = server.createDatabase(&problem);
        QVERIFY2(!second.isEmpty(), qPrintable(problem));
        QVERIFY(first != second);

        {
            QSqlDatabase a = openUrl(QStringLiteral("a"), first);
            QSqlDatabase b = openUrl(QStringLiteral("b"), second);
            QVERIFY2(a.isOpen(), qPrintable(a.lastError().text()));
            QVERIFY2(b.isOpen(), qPrintable(b.lastError().text()));
            for (const auto& [db, word] : {std::pair{a, "beef"}, std::pair{b, "pork"}}) {
                QSqlQuery query(db);
                QVERIFY2(query.exec(QStringLiteral("Create Table t (id Integer Primary Key, "
                                                   "word Text Not Null)")),
                         qPrintable(query.lastError().text()));
                QVERIFY2(query.exec(QStringLiteral("Insert Into t Values (1, '%1')").arg(word)),
                         qPrintable(query.lastError().text()));
            }
            // Each database has its own table t.
            QCOMPARE(rows(a), QStringList{"1:beef"});
            QCOMPARE(rows(b), QStringList{"1:pork"});
            a.close();
            b.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("a"));
        QSqlDatabase::removeDatabase(QStringLiteral("b"));

        QVERIFY2(server.stop(&problem), qPrintable(problem));
        {
            QSqlDatabase down = openUrl(QStringLiteral("down"), first);
            QVERIFY(!down.isOpen());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("down"));

        QVERIFY2(server.start(&problem), qPrintable(problem));
        QCOMPARE(server.port(), port);
        {
            QSqlDatabase again = openUrl(QStringLiteral("again"), first);
            QVERIFY2(again.isOpen(), qPrintable(again.lastError().text()));
            QCOMPARE(rows(again), QStringList{"1:beef"});
            again.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("again"));
    }
};

QTEST_GUILESS_MAIN(TestPgServer)
#include "test_pg_server.moc"
