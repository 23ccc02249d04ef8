// The price history: every change to a file recorded by the change's own
// transaction, nothing for a change refused; every change on a server
// recorded by the server's trigger, whoever makes it; read back newest first.

#include "core/numbers.h"
#include "pg_server.h"
#include "pricelist/price_history.h"
#include "pricelist/price_items.h"
#include "pricelist/price_list_editor.h"
#include "sql_rows.h"
#include "store/database.h"
#include "test_price_list.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>
#include <QTest>
#include <pwd.h>
#include <unistd.h>

namespace {

const QString Summer = PriceItem::Summer;
const QString SnackSticks = QStringLiteral("Snack Sticks");

// The history as stored, oldest first.
QStringList
recorded(const QString& location,
         const QString& columns = QStringLiteral("Item, Action, OldCost, NewCost, OldCategory, "
                                                 "NewCategory"))
{
    return SqlRows(location,
                   {QStringLiteral("Select %1 From PriceHistory Order By Id").arg(columns)});
}

bool holdsHistory(const QString& path)
{
    return SqlRows(path, {"Select Count(*) From sqlite_master Where name = 'PriceHistory'"}) ==
           QStringList{"1"};
}

} // namespace

class TestPriceHistory : public QObject {
    Q_OBJECT

    PgTestServer server_;

private slots:
    void initTestCase()
    {
        QString problem;
        QVERIFY2(server_.start(&problem), qPrintable(problem));
    }

    void everyChangeToAFileIsRecordedWithWhatItWas()
    {
        TestPriceList file;
        file.withSample();
        PriceListEditor editor(file.path());
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        QVERIFY(editor.history().changes.isEmpty());
        QVERIFY(!holdsHistory(file.path())); // opening and reading make nothing

        const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
        QVERIFY(editor.setCost(Summer, "2.75").done);
        QVERIFY(editor.setCost(Summer, "2.75").done); // the same: no change
        QVERIFY(editor.setCost(SnackSticks, "3.25", QStringLiteral("Sausage")).done);
        QVERIFY(editor.remove(SnackSticks).done);
        QVERIFY(editor.importCsvText("Item,Cost,Category\nJerky,4.10,Jerky\nBologna,2,\n").done);
        const QList<PriceEntry> rows = editor.entries();
        const PriceEntry jerky = rows[13], deer = rows[2];
        QCOMPARE(jerky.item + deer.item, QStringLiteral("JerkyDeer"));
        QVERIFY(editor
                    .saveChanges({{RowChange::Kind::Change,
                                   jerky.rowId,
                                   jerky,
                                   {"Jerky Strips", jerky.cost, jerky.category}},
                                  {RowChange::Kind::Remove, deer.rowId, deer, {}}})
                    .done);
        PriceList counter(file.path()); // the Estimate screen adds an item it needs
        QCOMPARE(counter.open(), PriceList::OpenResult::Opened);
        QVERIFY(counter.addItem(QStringLiteral("Bacon"), 4, QStringLiteral("Pork")).saved);
        // Another program (the sqlite3 shell) changes a price: recorded too.
        file.sql({"Update Charges1 Set Cost = 4.5 Where Item = 'Bacon'"});
        const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(1);

        QCOMPARE(recorded(file.path()),
                 QStringList({"Summer|changed|2.5|2.75|Sausage|Sausage",
                              "Snack Sticks|added|-|3.25|-|Sausage",
                              "Snack Sticks|removed|3.25|-|Sausage|-",
                              "Jerky|changed|3.5|4.1|Sausage|Jerky",
                              "Bologna|added|-|2|-|" + PriceListEditor::DefaultCategory,
                              "Jerky|removed|4.1|-|Jerky|-", "Jerky Strips|added|-|4.1|-|Jerky",
                              "Deer|removed|85|-|Processing|-", "Bacon|added|-|4|-|Pork",
                              "Bacon|changed|4|4.5|Pork|Pork"}));
        const QString login = QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name);
        QStringList who(9, QSysInfo::machineHostName() + QLatin1Char('|') + login);
        QCOMPARE(recorded(file.path(), "Machine, UserName"),
                 who << QStringLiteral("another program|-"));

        // Read back newest first, for every item or for one.
        const PriceHistoryRead all = editor.history();
        QVERIFY2(all.problem.isEmpty() && all.notKept.isEmpty(), qPrintable(all.problem));
        QCOMPARE(all.changes.size(), 10);
        QCOMPARE(all.changes.first().machine, QStringLiteral("another program"));
        for (const PriceChange& change : all.changes)
            QVERIFY(change.changed >= before && change.changed <= after);
        const PriceHistoryRead ofJerky = editor.history(QStringLiteral("Jerky"));
        QCOMPARE(ofJerky.changes.size(), 2);
        QCOMPARE(ofJerky.changes[1].what(),
                 QStringLiteral("Cost 3.50 → 4.10; Category Sausage → Jerky"));
    }

    void aRefusedChangeRecordsNothing()
    {
        TestPriceList file;
        file.withSample().refuseInserting(SnackSticks);
        PriceListEditor editor(file.path());
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        QVERIFY(!editor.importCsvText("Item,Cost,Category\nSummer,9,\nSnack Sticks,1,\n").done);
        QVERIFY(!editor.remove(QStringLiteral("Nothing Such")).done);
        QVERIFY(!holdsHistory(file.path())); // not even the table the first change makes

        // A change whose record is refused is not saved either.
        QVERIFY(editor.setCost(Summer, "2.60").done);
        file.sql({"Create Trigger refuse_history Before Insert On PriceHistory Begin Select "
                  "Raise(Abort, 'no more history'); End"});
        const QStringList before = file.rows();
        const EditResult refused = editor.setCost(Summer, "2.70");
        QVERIFY2(refused.problem.contains("no more history"), qPrintable(refused.problem));
        QCOMPARE(file.rows(), before);
        QCOMPARE(recorded(file.path()), QStringList{"Summer|changed|2.5|2.6|Sausage|Sausage"});
    }

    void aServerRecordsEveryChangeWhoeverMakesIt()
    {
        QString problem;
        const QString url = server_.createShopDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        // A clerk's own login, which may change the prices but not the history.
        SqlRows(url, {"Create Role clerk Login",
                      "Grant Select, Insert, Update, Delete On Charges1 To clerk"});
        const QString clerk = QString(url).replace("//locker@", "//clerk@");

        PriceListEditor editor(url);
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        QVERIFY(editor.setCost(Summer, "2.5", QStringLiteral("Sausage")).done);
        QVERIFY(editor.setCost(Summer, "2.75").done);
        SqlRows(clerk, {"Update Charges1 Set Cost = 3 Where Item = 'Summer'",
                        "Update Charges1 Set Item = 'Summer Sausage'"});
        SqlRows(url, {"Truncate Charges1"});
        QCOMPARE(
            recorded(url),
            QStringList({"Summer|added|-|2.5|-|Sausage", "Summer|changed|2.5|2.75|Sausage|Sausage",
                         "Summer|changed|2.75|3|Sausage|Sausage", "Summer|removed|3|-|Sausage|-",
                         "Summer Sausage|added|-|3|-|Sausage",
                         "Summer Sausage|removed|3|-|Sausage|-"}));
        // The program's machine as it names itself; psql's by its address.
        const QString here = QSysInfo::machineHostName();
        QCOMPARE(recorded(url, "Machine, UserName"),
                 QStringList({here + "|locker", here + "|locker", "127.0.0.1|clerk",
                              "127.0.0.1|clerk", "127.0.0.1|clerk", "127.0.0.1|locker"}));

        const PriceHistoryRead summer = editor.history(Summer);
        QVERIFY2(summer.problem.isEmpty() && summer.notKept.isEmpty(), qPrintable(summer.problem));
        QCOMPARE(summer.changes.size(), 4);
        QCOMPARE(summer.changes[0].what(), QStringLiteral("Removed (was 3.00, Sausage)"));
        QCOMPARE(summer.changes[0].user, QStringLiteral("clerk"));
    }
};

QTEST_GUILESS_MAIN(TestPriceHistory)
#include "test_price_history.moc"
