// locker-pricelist backup and restore, run as the shop's owner runs them: a
// backup taken at one moment, carried between files and a server both ways
// row for row, and a damaged or foreign folder never put in place.

#include "book/book_store.h"
#include "book/estimate_book.h"
#include "book_checks.h"
#include "pg_server.h"
#include "pricelist/price_list.h"
#include "pricelist/price_list_editor.h"
#include "store/database.h"
#include "test_price_list.h"
#include "tool_runner.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

namespace {

// Every row of every table of an SQLite file, "Table: value|value|...".
QStringList contentOf(const QString& path)
{
    static int opened = 0;
    const QString name = QStringLiteral("content-%1").arg(++opened);
    QStringList content;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!QFileInfo::exists(path) || !db.open())
            return {QStringLiteral("cannot open %1").arg(path)};
        QSqlQuery tables(
            QStringLiteral("Select name From sqlite_master Where type = 'table' Order By name"),
            db);
        QStringList names;
        while (tables.next())
            names << tables.value(0).toString();
        for (const QString& table : names) {
            QSqlQuery rows(QStringLiteral("Select * From %1 Order By rowid").arg(table), db);
            while (rows.next()) {
                QStringList values;
                for (int c = 0; c < rows.record().count(); ++c)
                    values << (rows.isNull(c) ? QStringLiteral("NULL") : rows.value(c).toString());
                content << table + QStringLiteral(": ") + values.join(QLatin1Char('|'));
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return content;
}

// The rows of one table of an SQLite file, as contentOf gives them.
QStringList rowsIn(const QString& path, const QString& table)
{
    return contentOf(path).filter(QRegularExpression(QStringLiteral("^%1: ").arg(table)));
}

// The saved estimates of a book, without the highest number it has given
// (which a restore raises, and never lowers).
QStringList estimatesIn(const QString& path)
{
    return contentOf(path).filter(QRegularExpression(QStringLiteral("^(?!sqlite_sequence)")));
}

// A counter's price list and book as a season leaves them: the sample
// prices with the shop's own changes, estimates saved through the book (quotes
// and final bills), the last one removed again. Its number in `removed`.
void fillShop(TestPriceList& shop, qint64* removed)
{
    shop.withSample();
    PriceListEditor editor(shop.path());
    QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
    QVERIFY(editor.setCost(QStringLiteral("Processing"), QStringLiteral("0.41")).done);
    QVERIFY(editor
                .setCost(QStringLiteral("Snack Sticks"), QStringLiteral("3.25"),
                         QStringLiteral("Sausage"))
                .done);
    QVERIFY(editor.remove(QStringLiteral("Cooling")).done);
    // The shop's own settings, kept with the prices.
    PriceList prices(shop.path());
    QCOMPARE(prices.open(), PriceList::OpenResult::Opened);
    ShopWideSettings settings;
    settings.ratios.insert(QStringLiteral("Beef"), RatioSetting{0.59, 0.63, 0.61, true});
    settings.killFeeSplit = QStringLiteral("per-share");
    settings.capacity.coolerPounds = 6000;
    settings.capacity.days[1].animals.insert(QStringLiteral("Beef"), 3);
    QVERIFY(prices.saveShopSettings(settings).done());
    EstimateBook book(EstimateBook::pathBeside(shop.path()));
    const QStringList species = {QStringLiteral("Beef"), QStringLiteral("Pork"),
                                 QStringLiteral("Deer")};
    for (int i = 0; i < 6; ++i) {
        EstimateRecord record;
        record.customer = QStringLiteral("Hanna Berg %1").arg(i);
        record.phone = QStringLiteral("(555) 010-%1").arg(4200 + i);
        record.note = i == 2 ? QStringLiteral("half for the neighbour, 'thin' steaks") : QString();
        record.species = species[i % 3];
        record.liveWeight = QString::number(900 + 37.5 * i);
        record.livePounds = 900 + 37.5 * i;
        record.quoteState = QStringLiteral("quote %1").arg(i);
        record.quoteTotal = QStringLiteral("$%1.40").arg(600 + i);
        record.quoteCents = (600 + i) * 100 + 40;
        record.likelyLow = record.quoteCents.value() - 4000;
        if (i % 2) {
            record.finalState = QStringLiteral("final %1").arg(i);
            record.finalTotal = QStringLiteral("$%1.15").arg(620 + i);
            record.finalCents = (620 + i) * 100 + 15;
            record.weighedHanging = 0.61 * record.livePounds.value();
        }
        QVERIFY(book.save(record).done);
        if (i == 3) // saved again: a later revision and time
            QVERIFY(book.save(record).done);
        *removed = record.number;
    }
    QVERIFY(book.remove(*removed).done);
    // Kill days booked, with a deposit; one cancelled.
    for (int i = 0; i < 2; ++i) {
        Booking booked =
            BookChecks::BookedBeef(QStringLiteral("Hanna Berg %1").arg(i), QDate(2026, 10, 13 + i));
        booked.state = i ? Booking::State::Cancelled : Booking::State::Booked;
        booked.cancelReason = i ? QStringLiteral("sold the steer") : QString();
        QVERIFY(book.keep(booked).done);
    }
}

// Runs the statements on an SQLite file, made when missing.
void runSql(const QString& path, const QStringList& statements)
{
    const QString name = QStringLiteral("sql-%1").arg(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString& statement : statements) {
            QSqlQuery query(db);
            QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase(name);
}

// A price changed as the owner changes it.
void changePrice(const QString& path, const QString& item, const QString& cost)
{
    PriceListEditor editor(path);
    QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
    QVERIFY(editor.setCost(item, cost).done);
}

// A copy of a folder's files.
void copyFolder(const QString& from, const QString& to)
{
    QVERIFY(QDir().mkpath(to));
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QVERIFY(QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)));
}

// The folders that restores kept beside a price list file.
QStringList keptBeside(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("Before restore*")}, QDir::Dirs);
}

// The first value of a statement on a server.
QVariant onServer(const QString& url, const QString& statement)
{
    QVariant value;
    Database::OnOwnConnection(url, "test", [&](QSqlDatabase& db) {
        QSqlQuery query(statement, db);
        if (query.next())
            value = query.value(0);
    });
    return value;
}

// Every row of a table on a server, as contentOf gives them.
QStringList rowsOnServer(const QString& url, const QString& table, const QString& order)
{
    QStringList rows;
    Database::OnOwnConnection(url, "test", [&](QSqlDatabase& db) {
        QSqlQuery query(QStringLiteral("Select * From %1 Order By %2").arg(table, order), db);
        while (query.next()) {
            QStringList values;
            for (int c = 0; c < query.record().count(); ++c)
                values << (query.isNull(c) ? QStringLiteral("NULL") : query.value(c).toString());
            rows << table + QStringLiteral(": ") + values.join(QLatin1Char('|'));
        }
    });
    return rows;
}

} // namespace

class TestBackupRestore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString problem;
        if (!server_.start(&problem))
            QFAIL(qPrintable(problem));
    }

    void aRoundTripThroughAServerKeepsEveryRow()
    {
        ToolRunner tool;
        TestPriceList shop;
        qint64 removed = 0;
        fillShop(shop, &removed);
        const QStringList prices = contentOf(shop.path());
        const QStringList estimates = contentOf(EstimateBook::pathBeside(shop.path()));
        QVERIFY(estimates.filter(QStringLiteral("Estimates: ")).size() == 5);

        const QString fromFiles = tool.home() + QStringLiteral("/from files");
        Run r = tool.run(
            {QStringLiteral("--pricelist"), shop.path(), QStringLiteral("backup"), fromFiles});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        // The backup is a counter's price list as it is.
        r = tool.run({QStringLiteral("--pricelist"), fromFiles + QStringLiteral("/Lockers.db"),
                      QStringLiteral("list")});
        QVERIFY2(r.status == 0 && r.out.contains(QLatin1String("Snack Sticks")), qPrintable(r.err));

        // Onto a server with no tables yet: it gets them, and nothing to keep.
        QString problem;
        const QString url = server_.createDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        r = tool.run({QStringLiteral("--database"), url, QStringLiteral("restore"), fromFiles,
                      QStringLiteral("--yes")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(!r.out.contains(QLatin1String("Kept")));
        // The notice of every change to the counters is the server's still.
        QCOMPARE(onServer(url, QStringLiteral("Select Count(*) From pg_trigger Where tgname = "
                                              "'charges1_changed'"))
                     .toInt(),
                 1);

        const QString fromServer = tool.home() + QStringLiteral("/from server");
        r = tool.run({QStringLiteral("--database"), url, QStringLiteral("backup"), fromServer});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QTemporaryDir counter;
        const QString target = counter.filePath(QStringLiteral("shop/Lockers.db"));
        r = tool.run({QStringLiteral("--pricelist"), target, QStringLiteral("restore"), fromServer,
                      QStringLiteral("--yes")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(contentOf(target), prices);
        QCOMPARE(contentOf(EstimateBook::pathBeside(target)), estimates);

        // The removed estimate's number is never given again, there or here.
        for (const QString& where : {url, EstimateBook::pathBeside(target)}) {
            EstimateRecord next;
            next.customer = QStringLiteral("Walk-in");
            next.quoteState = QStringLiteral("quote");
            QVERIFY(EstimateBook(where).save(next).done);
            QCOMPARE(next.number, removed + 1);
        }

        // A counter saves after the backup and stays connected while it is
        // put back: the number it was given is never given again, and the
        // estimate it still shows writes over nobody's.
        EstimateBook connected(url);
        EstimateRecord late;
        late.customer = QStringLiteral("Late");
        late.quoteState = QStringLiteral("quote");
        QVERIFY(connected.save(late).done);
        changePrice(url, QStringLiteral("Jerky"), QStringLiteral("3.95"));
        r = tool.run({QStringLiteral("--database"), url, QStringLiteral("restore"), fromFiles,
                      QStringLiteral("--yes")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        // The server's history keeps the change made after the backup, and
        // records the restore's.
        const QStringList history =
            rowsOnServer(url, QStringLiteral("PriceHistory"), QStringLiteral("Id"));
        QVERIFY2(
            history.size() >= 2 &&
                history[history.size() - 2].contains(QLatin1String("|Jerky|changed|3.5|3.95|")) &&
                history.last().contains(QLatin1String("|restored from the backup of ")) &&
                history.last().contains(QLatin1String("|Jerky|changed|3.95|3.5|")),
            qPrintable(history.join(QLatin1Char('\n'))));
        EstimateRecord rita;
        rita.customer = QStringLiteral("Rita");
        rita.quoteState = QStringLiteral("quote");
        QVERIFY(EstimateBook(url).save(rita).done);
        QVERIFY(rita.number > late.number);
        late.note = QStringLiteral("changed");
        QVERIFY(!connected.save(late).done);
        QCOMPARE(EstimateBook(url).open(rita.number, &problem)->customer, QStringLiteral("Rita"));
        // A kill day booked after the backup keeps its number from the next.
        Booking lateBooking = BookChecks::BookedBeef(QStringLiteral("Late"), QDate(2026, 11, 2));
        QVERIFY(connected.keep(lateBooking).done);
        r = tool.run({QStringLiteral("--database"), url, QStringLiteral("restore"), fromFiles,
                      QStringLiteral("--yes")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        Booking after = BookChecks::BookedBeef(QStringLiteral("After"), QDate(2026, 11, 2));
        QVERIFY(EstimateBook(url).keep(after).done);
        QVERIFY(after.number > lateBooking.number);
        lateBooking.phone = QStringLiteral("555-0100");
        QVERIFY(!connected.keep(lateBooking).done);
    }

    void anEarlierBookGoesOntoAServerAsTheBookBringsItUp()
    {
        // A counter whose book the first version left, never saved to since.
        ToolRunner tool;
        TestPriceList shop;
        shop.withSample();
        const QString book = EstimateBook::pathBeside(shop.path());
        runSql(
            book,
            {QStringLiteral("Create Table Estimates (Number Integer Primary Key Autoincrement, "
                            "Created Text Not Null, Updated Text Not Null, Customer Text Not Null, "
                            "Phone Text Not Null, Note Text Not Null, Species Text Not Null, "
                            "LiveWeight Text Not Null, QuoteTotal Text Not Null, FinalTotal Text "
                            "Not Null, QuoteState Text Not Null, FinalState Text Not Null, "
                            "Revision Bigint Not Null, CustomerKey Text Not Null, PhoneKey Text "
                            "Not Null, PhoneDigits Text Not Null)"),
             QStringLiteral("Create Index Estimates_Listing On Estimates (Number, CustomerKey, "
                            "PhoneKey, PhoneDigits, Created, Customer, Phone, Species, "
                            "LiveWeight, QuoteTotal, FinalTotal)"),
             QStringLiteral("Insert Into Estimates Values (7, '2025-10-01T09:00:00', "
                            "'2025-10-01T09:00:00', 'Old Timer', '', 'Back Strap Only', 'Deer', "
                            "'180', '95', '', 'old quote', '', 2, 'old timer', '', '')"),
             QStringLiteral("Pragma user_version = 1")});
        const QString folder = tool.home() + QStringLiteral("/old");
        Run r = tool.run(
            {QStringLiteral("--pricelist"), shop.path(), QStringLiteral("backup"), folder});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QString problem;
        const QString url = server_.createShopDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        r = tool.run({QStringLiteral("--database"), url, QStringLiteral("restore"), folder,
                      QStringLiteral("--yes")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        // The counter's own file, brought up by its next use, holds the same.
        QVERIFY(EstimateBook(book).open(7, &problem));
        QCOMPARE(rowsOnServer(url, QStringLiteral("Estimates"), QStringLiteral("Number")),
                 contentOf(book).filter(QStringLiteral("Estimates: ")));
    }

    void aServerBackupIsOneMoment()
    {
        ToolRunner tool;
        TestPriceList shop;
        qint64 removed = 0;
        fillShop(shop, &removed);
        QString problem;
        const QString url = server_.createShopDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        Run r = tool.run({QStringLiteral("init"), QStringLiteral("--database"), url,
                          QStringLiteral("--from"), shop.path()});
        QVERIFY2(r.status == 0, qPrintable(r.err));

        // A counter holds the book while the backup runs; meanwhile a price
        // is changed, then the counter saves an estimate.
        const QString name = Database::NextConnectionName("holder");
        {
            QSqlDatabase holder =
                Database::AddServer(name, *Database::ParseServerUrl(url, &problem));
            QVERIFY(holder.open());
            QSqlQuery hold(holder);
            QVERIFY(hold.exec(QStringLiteral("Begin")));
            QVERIFY(hold.exec(QStringLiteral("Lock Table Estimates In Access Exclusive Mode")));
            QProcess backup;
            const QString folder = tool.home() + QStringLiteral("/during");
            tool.start(backup,
                       {QStringLiteral("--database"), url, QStringLiteral("backup"), folder});
            QTRY_VERIFY_WITH_TIMEOUT(
                onServer(url, QStringLiteral("Select Count(*) From pg_locks Where Not granted"))
                        .toInt() > 0,
                10000);
            onServer(url, QStringLiteral("Update Charges1 Set Cost = 9.99 Where Item = "
                                         "'Processing'"));
            const QString columns = BookStore::CopiedColumns.section(QStringLiteral(", "), 1);
            QVERIFY2(hold.exec(QStringLiteral("Insert Into Estimates (%1) Select %1 From "
                                              "Estimates Where Number = 1")
                                   .arg(columns)),
                     qPrintable(hold.lastError().text()));
            QVERIFY(hold.exec(QStringLiteral("Commit")));
            r = ToolRunner::finished(backup);
            QVERIFY2(r.status == 0, qPrintable(r.err));
            QCOMPARE(onServer(url, QStringLiteral("Select Count(*) From Estimates")).toInt(), 6);

            // The backup has neither: both came after its moment.
            const QStringList prices = contentOf(folder + QStringLiteral("/Lockers.db"));
            QVERIFY(prices.contains(QStringLiteral("Charges1: Processing|0.41|Processing")));
            QCOMPARE(contentOf(folder + QStringLiteral("/Estimates.db"))
                         .filter(QStringLiteral("Estimates: "))
                         .size(),
                     5);
        }
        QSqlDatabase::removeDatabase(name);
    }

    void aDamagedOrForeignBackupChangesNothing()
    {
        ToolRunner tool;
        TestPriceList shop;
        qint64 removed = 0;
        fillShop(shop, &removed);
        const QString book = EstimateBook::pathBeside(shop.path());
        const QString good = tool.home() + QStringLiteral("/good");
        QCOMPARE(
            tool.run({QStringLiteral("--pricelist"), shop.path(), QStringLiteral("backup"), good})
                .status,
            0);
        // The shop goes on after the backup.
        changePrice(shop.path(), QStringLiteral("Jerky"), QStringLiteral("3.75"));
        const QStringList prices = contentOf(shop.path());
        const QStringList estimates = contentOf(book);

        struct Case {
            const char* name;
            std::function<void(const QString&)> spoil;
            const char* told;
        };
        const QList<Case> cases = {
            {"bytes overwritten",
             [&](const QString& folder) {
                 copyFolder(good, folder);
                 QFile file(folder + QStringLiteral("/Estimates.db"));
                 QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(file.size() / 2));
                 file.write(QByteArray(64, '\x5a'));
             },
             "damaged"},
            {"truncated",
             [&](const QString& folder) {
                 copyFolder(good, folder);
                 QFile file(folder + QStringLiteral("/Lockers.db"));
                 QVERIFY(file.resize(file.size() / 2));
             },
             "damaged"},
            {"other SQLite files, no manifest",
             [&](const QString& folder) {
                 QVERIFY(QDir().mkpath(folder));
                 QVERIFY(QFile::copy(shop.path(), folder + QStringLiteral("/Lockers.db")));
                 QVERIFY(QFile::copy(book, folder + QStringLiteral("/Estimates.db")));
             },
             "not a backup"},
            {"another program's manifest",
             [&](const QString& folder) {
                 copyFolder(good, folder);
                 writeFile(folder + QStringLiteral("/Backup.txt"), "Backup of 2025-03-01\n");
             },
             "not a backup"},
        };
        for (const Case& c : cases) {
            const QString folder = tool.home() + QStringLiteral("/") + QLatin1String(c.name);
            c.spoil(folder);
            const Run r = tool.run({QStringLiteral("--pricelist"), shop.path(),
                                    QStringLiteral("restore"), folder, QStringLiteral("--yes")});
            QVERIFY2(r.status == 1, c.name);
            QVERIFY2(r.err.contains(QLatin1String(c.told)) &&
                         r.err.contains(QLatin1String("Nothing was changed.")),
                     qPrintable(r.err));
            QCOMPARE(contentOf(shop.path()), prices);
            QCOMPARE(contentOf(book), estimates);
            QVERIFY(keptBeside(shop.folder()).isEmpty());
        }
    }

    void restoreAsksAndKeepsWhatItReplaces()
    {
        ToolRunner tool;
        TestPriceList shop;
        qint64 removed = 0;
        fillShop(shop, &removed);
        const QString book = EstimateBook::pathBeside(shop.path());
        const QString monday = tool.home() + QStringLiteral("/monday");
        const QStringList arguments = {QStringLiteral("--pricelist"), shop.path(),
                                       QStringLiteral("restore"), monday};
        QCOMPARE(
            tool.run({QStringLiteral("--pricelist"), shop.path(), QStringLiteral("backup"), monday})
                .status,
            0);
        const QString mondayPath = monday + QStringLiteral("/Lockers.db");
        const QStringList mondayEstimates = estimatesIn(book);
        // Looking at the backup as a counter's files leaves it as it was
        // written, read-only.
        for (const QString& command :
             {QStringLiteral("report"), QStringLiteral("list"), QStringLiteral("history")})
            QCOMPARE(tool.run({QStringLiteral("--pricelist"),
                               monday + QStringLiteral("/Lockers.db"), command})
                         .status,
                     0);
        QVERIFY(!(QFileInfo(monday + QStringLiteral("/Estimates.db")).permissions() &
                  (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)));
        // A folder that holds a backup is never written over.
        const QString manifest = readFile(monday + QStringLiteral("/Backup.txt"));
        Run r = tool.run(
            {QStringLiteral("--pricelist"), shop.path(), QStringLiteral("backup"), monday});
        QCOMPARE(r.status, 1);
        QCOMPARE(readFile(monday + QStringLiteral("/Backup.txt")), manifest);

        // Tuesday's work, and a counter with the book open.
        changePrice(shop.path(), QStringLiteral("Jerky"), QStringLiteral("3.75"));
        auto counter = std::make_unique<EstimateBook>(book);
        EstimateRecord record;
        record.customer = QStringLiteral("Tuesday");
        record.quoteState = QStringLiteral("quote");
        QVERIFY(counter->save(record).done);
        Booking tuesdayBooking =
            BookChecks::BookedBeef(QStringLiteral("Tuesday"), QDate(2026, 11, 3));
        QVERIFY(counter->keep(tuesdayBooking).done);
        const QStringList tuesdayPrices = contentOf(shop.path());
        const QStringList tuesdayEstimates = estimatesIn(book);

        // Refused: the book is open, no terminal to ask at, the answer no.
        r = tool.run(arguments + QStringList{QStringLiteral("--yes")});
        QVERIFY2(r.status == 1 && r.err.contains(QLatin1String("close it")), qPrintable(r.err));
        QCOMPARE(r.err.count(QLatin1String("another program"), Qt::CaseInsensitive), 1); // once
        counter.reset();
        r = tool.run(arguments);
        QVERIFY2(r.status == 1 && r.err.contains(QLatin1String("add --yes")), qPrintable(r.err));
        r = tool.run(arguments, ToolRunner::Terminal, "n\n");
        QVERIFY2(r.out.contains(QLatin1String("Restore it? [y/N]")), qPrintable(r.out));
        QCOMPARE(contentOf(shop.path()), tuesdayPrices);
        QCOMPARE(estimatesIn(book), tuesdayEstimates);
        QVERIFY(keptBeside(shop.folder()).isEmpty());

        r = tool.run(arguments, ToolRunner::Terminal, "y\n");
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(rowsIn(shop.path(), QStringLiteral("Charges1")),
                 rowsIn(mondayPath, QStringLiteral("Charges1")));
        QCOMPARE(estimatesIn(book), mondayEstimates);
        // The history keeps Tuesday's change, and records the restore's.
        const QStringList history = rowsIn(shop.path(), QStringLiteral("PriceHistory"));
        const QStringList mondayHistory = rowsIn(mondayPath, QStringLiteral("PriceHistory"));
        QCOMPARE(history.mid(0, mondayHistory.size()), mondayHistory);
        QCOMPARE(history.size(), mondayHistory.size() + 2);
        QVERIFY2(history[history.size() - 2].contains(QLatin1String("|Jerky|changed|3.5|3.75|")),
                 qPrintable(history.join('\n')));
        QVERIFY2(history.last().contains(QLatin1String("|restored from the backup of ")) &&
                     history.last().contains(QLatin1String("|Jerky|changed|3.75|3.5|")),
                 qPrintable(history.last()));
        QVERIFY(!QFileInfo::exists(book + QStringLiteral("-wal")));
        // Tuesday's number is never given again.
        EstimateRecord wednesday;
        wednesday.customer = QStringLiteral("Wednesday");
        wednesday.quoteState = QStringLiteral("quote");
        QVERIFY(EstimateBook(book).save(wednesday).done);
        QCOMPARE(wednesday.number, record.number + 1);
        Booking wednesdayBooking =
            BookChecks::BookedBeef(QStringLiteral("Wednesday"), QDate(2026, 11, 4));
        QVERIFY(EstimateBook(book).keep(wednesdayBooking).done);
        QCOMPARE(wednesdayBooking.number, tuesdayBooking.number + 1);

        // What it replaced was kept, and puts Tuesday back.
        const QStringList kept = keptBeside(shop.folder());
        QCOMPARE(kept.size(), 1);
        QVERIFY2(r.out.contains(kept.first()), qPrintable(r.out));
        r = tool.run({QStringLiteral("--pricelist"), shop.path(), QStringLiteral("restore"),
                      QDir(shop.folder()).filePath(kept.first()), QStringLiteral("--yes")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(rowsIn(shop.path(), QStringLiteral("Charges1")),
                 tuesdayPrices.filter(QRegularExpression(QStringLiteral("^Charges1: "))));
        QCOMPARE(estimatesIn(book), tuesdayEstimates);
    }

private:
    PgTestServer server_;
};

QTEST_GUILESS_MAIN(TestBackupRestore)
#include "test_backup_restore.moc"
