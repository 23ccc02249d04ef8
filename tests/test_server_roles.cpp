// Clerks and the owner on one server: a login of the clerks' role reads the
// prices and keeps the saved estimates, and its price change is refused in
// words that say why; a login of the owner's role changes the prices, and
// the history names it. Made again, the roles get back what they lack.

#include "book/estimate_book.h"
#include "pg_server.h"
#include "pricelist/price_items.h"
#include "pricelist/price_list_editor.h"
#include "sql_rows.h"
#include "store/database.h"
#include "tools/server_setup.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {

const QString Summer = PriceItem::Summer;
const QString OnlyTheOwner = QStringLiteral("only the owner can change prices");

// The same database as another login.
QString as(const QString& url, const QString& login)
{
    return QString(url).replace(QStringLiteral("//locker@"), QStringLiteral("//%1@").arg(login));
}

QString costOf(const QString& url, const QString& item)
{
    PriceListEditor editor(url);
    if (editor.open() != PriceList::OpenResult::Opened)
        return editor.problem();
    for (const PriceEntry& row : editor.entries())
        if (row.item == item)
            return row.cost;
    return QString();
}

} // namespace

class TestServerRoles : public QObject {
    Q_OBJECT

    PgTestServer server_;
    QString url_;
    QString clerk_; // anna, of the clerks' role
    QString owner_; // maria, of the owner's

private slots:
    void initTestCase()
    {
        QString problem;
        QVERIFY2(server_.start(&problem), qPrintable(problem));
        url_ = server_.createShopDatabase(&problem);
        QVERIFY2(!url_.isEmpty(), qPrintable(problem));
        QStringList done;
        const StoreResult made =
            ServerSetup::MakeRoles(url_, {"locker_clerk", "locker_owner"}, &done);
        QVERIFY2(made.done(), qPrintable(made.problem));
        QCOMPARE(done.size(), 2);
        SqlRows(url_, {"Create Role anna Login", "Grant locker_clerk To anna",
                       "Create Role maria Login", "Grant locker_owner To maria"});
        clerk_ = as(url_, "anna");
        owner_ = as(url_, "maria");
        PriceListEditor editor(url_);
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        QVERIFY(editor.setCost(Summer, "2.50", QStringLiteral("Sausage")).done);
    }

    void aClerkReadsThePricesAndKeepsTheEstimates()
    {
        QCOMPARE(costOf(clerk_, Summer), QStringLiteral("2.5"));
        PriceListEditor editor(clerk_);
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        QCOMPARE(editor.history(Summer).changes.size(), 1);
        EstimateBook book(clerk_);
        EstimateRecord record;
        record.customer = QStringLiteral("Ada Miller");
        QVERIFY(book.save(record).done);
        record.note = QStringLiteral("two quarters");
        const BookResult saved = book.save(record);
        QVERIFY2(saved.done, qPrintable(saved.problem));
        QString problem;
        QCOMPARE(book.open(record.number, &problem).value_or(EstimateRecord()).note, record.note);
        QVERIFY(book.remove(record.number).done);
        QVERIFY(!book.open(record.number, &problem));

        // A clerk books kill days and changes them; over what the shop can
        // take in, only the owner may, on the server as in the window.
        Booking booking;
        booking.customer = QStringLiteral("Ada Miller");
        booking.species = QStringLiteral("Beef");
        booking.kill = QDate(2026, 10, 13);
        booking.dropOff = booking.kill;
        booking.hangingDays = 14;
        QVERIFY(book.keep(booking).done);
        booking.state = Booking::State::DroppedOff;
        QVERIFY(book.keep(booking).done);
        booking.overCapacity = true;
        const BookResult refused = book.keep(booking);
        QVERIFY(!refused.done);
        QVERIFY2(refused.problem.contains(QLatin1String("only the shop's owner may book over")),
                 qPrintable(refused.problem));
        QVERIFY(!book.booking(booking.number, &problem)->overCapacity);
        Booking owners = *EstimateBook(owner_).booking(booking.number, &problem);
        owners.overCapacity = true;
        QVERIFY(EstimateBook(owner_).keep(owners).done);
        // Once booked over by the owner, a clerk may still change the rest.
        owners.phone = QStringLiteral("555-0100");
        const BookResult changed = book.keep(owners);
        QVERIFY2(changed.done, qPrintable(changed.problem));

        // Once the carcass is cut, its cut sheet is the owner's to change,
        // even with the change recorded; the clerk still saves the bill.
        EstimateRecord sheet;
        sheet.customer = QStringLiteral("Ada Miller");
        sheet.cutSheet = QStringLiteral("chuck roasts");
        QVERIFY(book.save(sheet).done);
        owners = *book.booking(booking.number, &problem);
        owners.estimates = {sheet.number};
        owners.state = Booking::State::Cut;
        QVERIFY(book.keep(owners).done);
        sheet.cutSheet = QStringLiteral("chuck ground");
        sheet.sheetChanges = 1;
        const BookResult clerks = book.save(sheet);
        QVERIFY(!clerks.done);
        QVERIFY2(clerks.problem.contains(QLatin1String("only the shop's owner may change its cut "
                                                       "sheet")),
                 qPrintable(clerks.problem));
        EstimateRecord bill = *book.open(sheet.number, &problem);
        bill.finalState = QStringLiteral("final");
        QVERIFY(book.save(bill).done);
        bill.cutSheet = sheet.cutSheet;
        bill.sheetChanges = 1;
        const BookResult byOwner = EstimateBook(owner_).save(bill);
        QVERIFY2(byOwner.done, qPrintable(byOwner.problem));
        QCOMPARE(book.open(sheet.number, &problem)->cutSheet, QStringLiteral("chuck ground"));
    }

    // Every change of the editor, as the window and the tool make them; the
    // owner's is made, and the history names the owner's login.
    void onlyTheOwnerChangesThePrices()
    {
        PriceListEditor editor(clerk_);
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        const PriceEntry row = editor.entries().value(0);
        RowChange change{RowChange::Kind::Change, row.rowId, row, row};
        change.now.cost = QStringLiteral("9");
        for (const EditResult& result :
             {editor.setCost(Summer, "3"), editor.setCost("Jerky", "4"), editor.remove(Summer),
              editor.importCsvText("Item,Cost,Category\nSummer,3,Sausage\n"),
              editor.saveChanges({change}), editor.replaceAll({})})
            QVERIFY2(!result.done && result.problem.contains(OnlyTheOwner) &&
                         result.problem.contains("(user anna)"),
                     qPrintable(result.problem));
        QCOMPARE(costOf(url_, Summer), QStringLiteral("2.5"));

        PriceListEditor owner(owner_);
        QCOMPARE(owner.open(), PriceList::OpenResult::Opened);
        QVERIFY(owner.setCost(Summer, "2.75").done);
        const PriceHistoryRead history = editor.history(Summer);
        QCOMPARE(history.changes.size(), 2);
        QCOMPARE(history.changes[0].user, QStringLiteral("maria"));
        QCOMPARE(history.changes[0].what(), QStringLiteral("Cost 2.50 → 2.75"));
    }

    void madeAgainTheRolesGetWhatTheyLack()
    {
        SqlRows(url_,
                {"Revoke Insert On Estimates From locker_clerk",
                 "Grant Update On Charges1 To locker_clerk", "Grant Delete On Charges1 To Public",
                 "Revoke Truncate On PriceHistory From locker_owner"});
        QStringList done;
        const StoreResult made =
            ServerSetup::MakeRoles(url_, {"locker_clerk", "locker_owner"}, &done);
        QVERIFY2(made.done(), qPrintable(made.problem));
        // Each line says what its role was given and what was taken away.
        const QList<QStringList> says = {
            {"locker_clerk", "lacked (Insert on Estimates)", "away (Update on Charges1)"},
            {"locker_owner", "lacked (Truncate on PriceHistory)"},
            {"PUBLIC", "away (Delete on Charges1)"}};
        QCOMPARE(done.size(), says.size());
        for (int line = 0; line < done.size(); ++line)
            for (const QString& words : says[line])
                QVERIFY2(done[line].contains(words), qPrintable(done[line]));
        PriceListEditor editor(clerk_);
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        QVERIFY(editor.setCost(Summer, "3").problem.contains(OnlyTheOwner));

        QVERIFY(ServerSetup::MakeRoles(url_, {"locker_clerk", "locker_owner"}, &done).done());
        QCOMPARE(done.size(), 2);
        for (const QString& line : done)
            QVERIFY2(line.contains("was there already, with its rights"), qPrintable(line));
    }

    // A clerks' role that could still change the prices, and names that
    // cannot be roles, are refused.
    void aClerksRoleThatMayChangePricesIsRefused()
    {
        QStringList done;
        SqlRows(url_, {"Grant locker_owner To locker_clerk"});
        StoreResult made = ServerSetup::MakeRoles(url_, {"locker_clerk", "locker_owner"}, &done);
        QVERIFY2(!made.done() && made.problem.contains("REVOKE locker_owner FROM locker_clerk"),
                 qPrintable(made.problem));
        SqlRows(url_, {"Revoke locker_owner From locker_clerk"});
        made = ServerSetup::MakeRoles(url_, {"locker", QString()}, &done);
        QVERIFY2(!made.done() && made.problem.contains("superuser"), qPrintable(made.problem));
        // The role that owns the tables holds every right on them.
        SqlRows(url_, {"Create Role table_keeper", "Alter Table Charges1 Owner To table_keeper"});
        made = ServerSetup::MakeRoles(url_, {"table_keeper", QString()}, &done);
        SqlRows(url_, {"Reassign Owned By table_keeper To locker", "Drop Owned By table_keeper",
                       "Drop Role table_keeper"});
        QVERIFY2(!made.done() && made.problem.contains("table_keeper owns the program's tables"),
                 qPrintable(made.problem));
        QVERIFY(!ServerSetup::MakeRoles(url_, {"new_clerk", "new_clerk"}, &done).done());
        for (const char* name : {"", "Clerk", "clerk-role", "pg_clerk", "public"})
            QVERIFY2(!ServerSetup::RoleNameProblem(name).isEmpty(), name);
        QVERIFY(ServerSetup::RoleNameProblem("locker_clerk_2").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestServerRoles)
#include "test_server_roles.moc"
