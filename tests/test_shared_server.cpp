// Several counters on one PostgreSQL server: the price list and the book of
// estimates behave there as in their files, a change made at one counter is
// used at the others, saves at the same moment are all kept, a conflicting
// edit is told, and a server stopped in the middle of work loses nothing.

#include "book/book_setup.h"
#include "book/estimate_book.h"
#include "core/clock.h"
#include "dialog_answerer.h"
#include "estimate/quote_rules.h"
#include "estimate/service_catalog.h"
#include "estimate_counter.h"
#include "memory_prices.h"
#include "pg_server.h"
#include "pricelist/price_list.h"
#include "pricelist/price_list_editor.h"
#include "pricelist/price_list_setup.h"
#include "pricelist/sample_price_list.h"
#include "pricelist/shop_details.h"
#include "save_dialog.h"
#include "screens/estimates_window.h"
#include "screens/price_list_window.h"
#include "store/database.h"
#include "support/book_checks.h"
#include "tcp_relay.h"
#include "widgets.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Counter = QStringLiteral(LOCKER_COUNTER_PROCESS);

EstimateRecord customer(const QString& name, const QString& phone = QString())
{
    EstimateRecord record;
    record.customer = name;
    record.phone = phone;
    record.quoteState = QStringLiteral("the estimate of %1").arg(name);
    return record;
}

QString listed(EstimateBook& book, const QString& search)
{
    QString problem;
    QStringList numbers;
    for (const EstimateListing& l : book.list(search, &problem))
        numbers << QString::number(l.number);
    return problem.isEmpty() ? numbers.join(QLatin1Char(' ')) : problem;
}

// The lines that a counter process has written so far.
QStringList linesOf(QProcess& process, QStringList& kept)
{
    while (process.canReadLine())
        kept << QString::fromUtf8(process.readLine()).trimmed();
    return kept;
}

bool anyStartsWith(const QStringList& lines, const QString& start, qsizetype from = 0)
{
    for (qsizetype i = from; i < lines.size(); ++i)
        if (lines[i].startsWith(start))
            return true;
    return false;
}

} // namespace

class TestSharedServer : public QObject {
    Q_OBJECT

    PgTestServer server_;
    QString url_; // a database with the tables made, fresh for each test

private slots:
    void initTestCase()
    {
        QString problem;
        QVERIFY2(server_.start(&problem), qPrintable(problem));
    }

    void init()
    {
        QString problem;
        url_ = server_.createShopDatabase(&problem);
        QVERIFY2(!url_.isEmpty(), qPrintable(problem));
    }

    void priceListWorksAsInAFile()
    {
        PriceListEditor editor(url_);
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        QVERIFY(editor.setCost(QStringLiteral("Paper Wrapping"), QStringLiteral("0.49")).done);
        QVERIFY(editor.setCost(QStringLiteral("Kill Beef"), QStringLiteral("85")).done);
        // Names match byte for byte; the first row of a name is the one used.
        QVERIFY(editor
                    .replaceAll({{QStringLiteral("Kill Beef"), QStringLiteral("85"), {}, 0},
                                 {QStringLiteral("kill beef"), QStringLiteral("1"), {}, 0},
                                 {QStringLiteral("Kill Beef"), QStringLiteral("99"), {}, 0}})
                    .done);
        PriceList prices(url_);
        QCOMPARE(prices.open(), PriceList::OpenResult::Opened);
        QCOMPARE(prices.lookupCost(QStringLiteral("Kill Beef")).cost, 85.0);
        QCOMPARE(
            prices.lookupCost(QStringLiteral("Kill Beef"), PriceList::CostStatement::WideFrom).cost,
            85.0);
        QCOMPARE(prices.findItemRows(QStringLiteral("Kill Beef")).count, 2);
        QCOMPARE(prices.lookupCost(QStringLiteral("Paper Wrapping")).status,
                 CostLookup::Status::Missing);
        QCOMPARE(prices.entries().size(), 3);
        QVERIFY(!prices.isView());
        QVERIFY(
            prices.addItem(QStringLiteral("Summer Sausage"), 2.5, QStringLiteral("Sausage")).saved);
        QCOMPARE(prices.lookupCost(QStringLiteral("Summer Sausage")).cost, 2.5);

        QVERIFY(!PriceListSetup::CreatePriceTable(url_).done()); // there already
        QString problem;
        PriceList bare(server_.createDatabase(&problem));
        QCOMPARE(bare.open(), PriceList::OpenResult::Unusable);
        QVERIFY2(bare.openProblem().contains(QLatin1String("init --database")),
                 qPrintable(bare.openProblem()));
        PriceList none(server_.url(QStringLiteral("no_such_database")));
        QCOMPARE(none.open(), PriceList::OpenResult::Unreachable);
        QVERIFY2(none.openProblem().contains(QLatin1String("no_such_database")),
                 qPrintable(none.openProblem()));
    }

    void bookWorksAsInAFile()
    {
        EstimateBook book(url_);
        EstimateRecord odd = customer(QStringLiteral("O'Brien \"Jim\"'); Drop Table Estimates; --"),
                                      QStringLiteral("(555) 030-3000"));
        odd.note = QStringLiteral("Zoë 山田 🐄\r\n%_\\") + QStringLiteral("x").repeated(100000);
        QVERIFY(book.save(odd).done);
        EstimateRecord anna = customer(QStringLiteral("Anna Lindqvist"));
        QVERIFY(book.save(anna).done);
        QCOMPARE(anna.number, odd.number + 1);
        QString problem;
        const std::optional<EstimateRecord> back = EstimateBook(url_).open(odd.number, &problem);
        QVERIFY2(back, qPrintable(problem));
        QCOMPARE(back->note, odd.note);
        QCOMPARE(back->customer, odd.customer);
        QCOMPARE(back->created, odd.created);

        QCOMPARE(listed(book, QStringLiteral("LINDQ")), QString::number(anna.number));
        QCOMPARE(listed(book, QStringLiteral("555 0303")), QString::number(odd.number));
        QCOMPARE(listed(book, QString::number(anna.number)), QString::number(anna.number));
        QCOMPARE(book.list(QString(), &problem, 1).size(), 1);

        QVERIFY(book.remove(anna.number).done);
        EstimateRecord next = customer(QStringLiteral("Ben"));
        QVERIFY(book.save(next).done);
        QVERIFY(next.number > anna.number); // never given twice
    }

    void bookingsAreKeptOnTheServer()
    {
        EstimateBook mine(url_), other(url_);
        BookChecks::BookingsKept(mine, other);
        BookChecks::LastSpaceTakenOnce(mine, [this] { return new EstimateBook(url_); });
        BookChecks::CutSheetLocked(mine);
    }

    void changesAtOtherCountersAreTold()
    {
        QString problem;
        const QString url = server_.createShopDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        EstimateBook mine(url), other(url);
        BookChecks::ChangesElsewhereTold(mine, other);
    }

    void sharesAndTheReportAsInAFile()
    {
        EstimateBook book(url_);
        BookChecks::SharesSavedTogether(book);
        if (QTest::currentTestFailed())
            return;
        QString problem;
        EstimateBook fresh(server_.createShopDatabase(&problem));
        BookChecks::ReportOverKnownBills(fresh);
        if (QTest::currentTestFailed())
            return;
        EstimateBook animal(server_.createShopDatabase(&problem));
        BookChecks::AnimalInSharesCountsOnce(animal);
    }

    void aSaveIsOneStatement()
    {
        QString problem;
        const QString url = server_.createShopDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        const auto run = [&url](const QString& statement) {
            Database::OnOwnConnection(url, "test", [&](QSqlDatabase& db) {
                QSqlQuery query(db);
                QVERIFY2(query.exec(statement), qPrintable(statement));
            });
        };
        TcpRelay relay(server_.port());
        EstimateBook book(QString(url).replace(QStringLiteral(":%1/").arg(server_.port()),
                                               QStringLiteral(":%1/").arg(relay.port())));
        EstimateRecord record =
            BookChecks::Billed(QStringLiteral("Beef"), 26300, std::nullopt, 1000, std::nullopt);
        QVERIFY(book.save(record).done); // connects, and makes the book's tables
        const auto exchanges = [&relay](const std::function<void()>& use) {
            const int before = relay.clientSends();
            use();
            return relay.clientSends() - before;
        };
        // A new estimate, a change to it, and three shares together: each one
        // exchange with the server, whatever the link's length.
        EstimateRecord next = record;
        next.number = 0;
        QCOMPARE(exchanges([&] { QVERIFY(book.save(next).done); }), 1);
        next.note = QStringLiteral("changed");
        QCOMPARE(exchanges([&] { QVERIFY(book.save(next).done); }), 1);
        QList<EstimateRecord> shares(3, record);
        for (EstimateRecord& share : shares) {
            share.number = 0;
            share.animalTag = QStringLiteral("B-9");
        }
        QCOMPARE(exchanges([&] {
                     QVERIFY(book.saveAll({&shares[0], &shares[1], &shares[2]}).done);
                 }),
                 1);
        QCOMPARE(book.open(next.number, &problem)->note, next.note);
        QCOMPARE(book.animal(QStringLiteral("B-9"), &problem).size(), 3);
        // Whatever the clerk typed comes back as it was typed.
        next.customer = QStringLiteral("O'Brien \\ \"Q\" ?? $$ ñ 漢字");
        next.note = QStringLiteral("line one\nline two\t'; Drop Table Estimates; --");
        next.livePounds = 1234.5;
        next.likelyLow = std::nullopt;
        QVERIFY(book.save(next).done);
        const std::optional<EstimateRecord> typed = book.open(next.number, &problem);
        QVERIFY2(typed, qPrintable(problem));
        QCOMPARE(typed->customer, next.customer);
        QCOMPARE(typed->note, next.note);
        QCOMPARE(typed->livePounds, next.livePounds);
        QCOMPARE(typed->likelyLow, std::nullopt);
        QCOMPARE(book.list(QStringLiteral("o'brien"), &problem).size(), 1);

        // A server set up by an earlier version, without the function: saved
        // statement by statement, until the owner's init makes it.
        run(QStringLiteral("Drop Function locker_save_estimates(integer, text, jsonb)"));
        next.note = QStringLiteral("changed again");
        QVERIFY(exchanges([&] { QVERIFY(book.save(next).done); }) > 2);
        QVERIFY(BookSetup::PrepareBook(url).done());
        next.note = QStringLiteral("changed once more");
        QCOMPARE(exchanges([&] { QVERIFY(book.save(next).done); }), 1);
        QCOMPARE(book.open(next.number, &problem)->note, next.note);

        // A book brought up by a newer version meanwhile: refused, not written.
        run(QStringLiteral("Update LockerSchema Set Version = 99 Where Part = 'estimates'"));
        next.note = QStringLiteral("by an older program");
        const BookResult refused = book.save(next);
        QVERIFY(!refused.done);
        QVERIFY2(refused.problem.contains(QLatin1String("newer version")),
                 qPrintable(refused.problem));
        run(QStringLiteral("Update LockerSchema Set Version = %1 Where Part = 'estimates'")
                .arg(EstimateBook::SchemaVersion));
        QCOMPARE(book.open(next.number, &problem)->note, QStringLiteral("changed once more"));

        BookChecks::StaleRecordsRefused(book, run);
    }

    // The Saved Estimates window over a server searches when typing pauses:
    // a name typed letter by letter is one question, not one a letter.
    void theSearchWaitsForTypingToPause()
    {
        QString problem;
        const QString url = server_.createShopDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        TcpRelay relay(server_.port());
        EstimateBook book(QString(url).replace(QStringLiteral(":%1/").arg(server_.port()),
                                               QStringLiteral(":%1/").arg(relay.port())));
        for (const char* name : {"Smith", "Smithers", "Jones"}) {
            EstimateRecord record = customer(QLatin1String(name));
            QVERIFY(book.save(record).done);
        }
        MemoryPrices shop;
        const SystemClock clock;
        EstimatesWindow window(book, shop, clock, nullptr);
        window.show();
        auto* table = control<QTableWidget>(&window, "tblEstimates");
        QCOMPARE(table->rowCount(), 3);
        auto* search = control<QLineEdit>(&window, "txtSearch");
        search->setFocus();
        const int before = relay.clientSends();
        QTest::keyClicks(search, QStringLiteral("smith"));
        QCOMPARE(table->rowCount(), 3); // not yet: typing has not paused
        QTRY_COMPARE(table->rowCount(), 2);
        // Asked once (prepared, then asked), whatever the letters typed.
        QVERIFY2(relay.clientSends() - before <= 2,
                 qPrintable(QString::number(relay.clientSends() - before)));
        // Enter opens what was typed, searched first.
        QTest::keyClicks(search, QStringLiteral("ers"));
        QSignalSpy opened(&window, &EstimatesWindow::openRequested);
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(opened.size(), 1);
    }

    // A Price List window whose save's answer was lost tells, once the
    // server answers, that the save went through and shows it; the clerk
    // never saves it again as a change of someone else's.
    void thePriceListWindowTellsALostSaveOnceTheServerAnswers()
    {
        QString problem;
        const QString url = server_.createShopDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        QTemporaryDir dir;
        const QString lockers = dir.filePath(QStringLiteral("Lockers.db"));
        int copied = 0;
        QStringList notes;
        QVERIFY(CreateSamplePriceList(lockers).saved);
        QVERIFY(PriceListSetup::CopyPrices(lockers, url, &copied, &notes).done());
        TcpRelay relay(server_.port());
        PriceListWindow window(QString(url).replace(QStringLiteral(":%1/").arg(server_.port()),
                                                    QStringLiteral(":%1/").arg(relay.port())));
        window.show();
        DialogAnswerer dialogs;
        dialogs.policy = [](const SeenDialog&) {
            return QMessageBox::Ok;
        };
        auto* table = control<QTableWidget>(&window, "tblPrices");
        QVERIFY(table->rowCount() > 0);
        const QString item = table->item(0, 0)->text();
        table->item(0, 1)->setText(QStringLiteral("123.45"));
        QVERIFY(window.hasUnsavedChanges());

        relay.setMode(TcpRelay::Mode::SilentAfterCommit);
        QVERIFY(!window.save());
        QVERIFY2(dialogs.texts().last().contains(QLatin1String("may have been kept")),
                 qPrintable(dialogs.texts().last()));
        relay.setMode(TcpRelay::Mode::Forward);
        QTRY_VERIFY_WITH_TIMEOUT(dialogs.texts().last().startsWith(
                                     QLatin1String("The server answered: the save went through")),
                                 15000);
        QVERIFY(!window.hasUnsavedChanges());
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("123.45"));
        const int told = int(dialogs.seen().size());
        QVERIFY(window.save()); // nothing to save: the table holds what the server holds
        QCOMPARE(int(dialogs.seen().size()), told);
        PriceList direct(url);
        QCOMPARE(direct.open(), PriceList::OpenResult::Opened);
        QCOMPARE(direct.lookupCost(item).cost, 123.45);
    }

    // Save All in the Shares window whose answer was lost is told again once
    // the server answers: saved after all, as the estimates it names; Save
    // All again changes them and adds none.
    void sharesWhoseSaveWasLostAreToldAgain()
    {
        QString problem;
        const QString url = server_.createShopDatabase(&problem);
        QVERIFY2(!url.isEmpty(), qPrintable(problem));
        QTemporaryDir dir;
        const QString lockers = dir.filePath(QStringLiteral("Lockers.db"));
        int copied = 0;
        QStringList notes;
        QVERIFY(CreateSamplePriceList(lockers).saved);
        QVERIFY(PriceListSetup::CopyPrices(lockers, url, &copied, &notes).done());
        TcpRelay relay(server_.port());
        EstimateCounter c;
        c.screen = std::make_unique<CounterScreen>(QString(url).replace(
            QStringLiteral(":%1/").arg(server_.port()), QStringLiteral(":%1/").arg(relay.port())));
        c.screen->startUp();
        c.screen->show();
        c.dialogs.policy = [](const SeenDialog&) {
            return QMessageBox::Ok;
        };
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        click(control<QPushButton>(c.s(), "cmdShares"));
        QWidget* shares = findScreen(QStringLiteral("frmShares"));
        QVERIFY(shares);
        typeInto(field(shares, "animalTag"), QStringLiteral("B-77"));
        auto* table = control<QTableWidget>(shares, "sharesTable");
        for (const char* buyer : {"Ann", "Bo"}) {
            click(control<QPushButton>(shares, "addShare"));
            const int row = table->rowCount() - 1;
            table->item(row, 0)->setText(QLatin1String(buyer));
            table->item(row, 2)->setText(QStringLiteral("half"));
        }

        relay.setMode(TcpRelay::Mode::SilentAfterCommit);
        click(control<QPushButton>(shares, "saveShares"));
        QVERIFY2(
            c.dialogs.texts().last().startsWith(QLatin1String("The estimates may have been saved")),
            qPrintable(c.dialogs.texts().last()));
        relay.setMode(TcpRelay::Mode::Forward);
        QTRY_VERIFY_WITH_TIMEOUT(c.dialogs.texts().last().startsWith(QLatin1String(
                                     "The server answered: the save went through, as estimates")),
                                 15000);
        EstimateBook direct(url);
        QCOMPARE(direct.animal(QStringLiteral("B-77"), &problem).size(), 2);
        click(control<QPushButton>(shares, "saveShares"));
        QVERIFY2(c.dialogs.texts().last().contains(QLatin1String("as estimates 1, 2")),
                 qPrintable(c.dialogs.texts().last()));
        QCOMPARE(direct.list(QString(), &problem).size(), 2);
    }

    void copiedFromFilesKeepsNumbersAndOrder()
    {
        QTemporaryDir dir;
        const QString lockers = dir.filePath(QStringLiteral("Lockers.db"));
        QVERIFY(CreateSamplePriceList(lockers).saved);
        EstimateBook file(EstimateBook::pathBeside(lockers));
        for (const char* name : {"A", "B", "C"}) {
            EstimateRecord r = customer(QLatin1String(name));
            QVERIFY(file.save(r).done);
        }
        QVERIFY(file.remove(3).done);
        QVERIFY(file.remove(1).done);

        QString problem;
        const QString url = server_.createDatabase(&problem);
        QVERIFY(PriceListSetup::CreatePriceTable(url).done());
        int copied = 0;
        QStringList notes;
        QVERIFY(PriceListSetup::CopyPrices(lockers, url, &copied, &notes).done());
        PriceList fromFile(lockers);
        PriceList fromServer(url);
        QCOMPARE(fromFile.open(), PriceList::OpenResult::Opened);
        QCOMPARE(fromServer.open(), PriceList::OpenResult::Opened);
        QStringList a, b;
        for (const PriceEntry& e : fromFile.entries())
            a << e.item + QLatin1Char('=') + e.cost;
        for (const PriceEntry& e : fromServer.entries())
            b << e.item + QLatin1Char('=') + e.cost;
        QCOMPARE(b, a);
        QCOMPARE(copied, int(a.size()));
        QVERIFY(!PriceListSetup::CopyPrices(lockers, url, &copied, &notes).done()); // not twice

        EstimateBook shared(url);
        QVERIFY(BookSetup::CopyEstimates(file.path(), url, &copied).done());
        QCOMPARE(copied, 1);
        QCOMPARE(listed(shared, QString()), QStringLiteral("2"));
        EstimateRecord next = customer(QStringLiteral("D"));
        QVERIFY(shared.save(next).done);
        QCOMPARE(next.number, qint64(3));
        QVERIFY(!BookSetup::CopyEstimates(file.path(), url, &copied)
                     .done()); // not into a book that has some
        QCOMPARE(listed(shared, QString()), QStringLiteral("3 2"));
    }

    void priceSetAtAnotherCounterIsUsed()
    {
        PriceListEditor editor(url_);
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        QVERIFY(editor.setCost(QStringLiteral("Paper Wrapping"), QStringLiteral("0.49")).done);
        PriceList here(url_);
        QCOMPARE(here.open(), PriceList::OpenResult::Opened);
        QCOMPARE(here.lookupCost(QStringLiteral("Paper Wrapping")).cost, 0.49);

        QProcess other;
        other.start(Counter, {QStringLiteral("price"), url_, QStringLiteral("Paper Wrapping"),
                              QStringLiteral("0.65")});
        QVERIFY(other.waitForFinished(30000));
        QCOMPARE(other.readAll().trimmed(), QByteArray("set"));
        QTRY_COMPARE(here.lookupCost(QStringLiteral("Paper Wrapping")).cost, 0.65);
    }

    // The shop's details and settings saved at one counter are read at the others; a
    // server set up by an earlier version gets their table from init, once;
    // a login that may only read them is told why it cannot change them.
    void shopDetailsAndSettingsAreTheSameAtEveryCounter()
    {
        const ShopDetails mill = {QStringLiteral("Mill Creek Lockers"), QString(),
                                  QStringLiteral("555-0142")};
        const auto name = [](PriceList& counter) {
            const ShopDetailsRead read = ShopDetailsStore::Read(*counter.connection());
            return read.done() ? read.details.name : read.problem;
        };
        PriceList front(url_), office(url_);
        QCOMPARE(front.open(), PriceList::OpenResult::Opened);
        QCOMPARE(office.open(), PriceList::OpenResult::Opened);
        QCOMPARE(name(office), QString());
        QVERIFY(ShopDetailsStore::Save(*front.connection(), mill).done());
        QCOMPARE(name(office), mill.name);
        // So are its ranges: one counter's change reaches the other by the
        // server's notice, and its next quote figures with them.
        ShopWideSettings ranges;
        ranges.ratios.insert(QStringLiteral("Pork"), RatioSetting{0.7, 0.76, 0.73, true});
        QCOMPARE(office.shopSettings(), ShopWideSettings());
        QVERIFY(front.saveShopSettings(ranges).done());
        QTRY_COMPARE(office.shopSettings(), ranges);
        QCOMPARE(StoreRules(office).adoptedFactor(Species::Pork), std::optional<double>(0.73));
        // An Estimate screen open at a third counter shows the new range
        // without a key pressed.
        QTemporaryDir dir;
        const QString lockers = dir.filePath(QStringLiteral("Lockers.db"));
        int copied = 0;
        QStringList notes;
        QVERIFY(CreateSamplePriceList(lockers).saved);
        QVERIFY(PriceListSetup::CopyPrices(lockers, url_, &copied, &notes).done());
        EstimateCounter c;
        c.screen = std::make_unique<CounterScreen>(url_);
        c.screen->startUp();
        c.screen->show();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        auto* likely = control<QLabel>(c.s(), QStringLiteral("lblLikely"));
        QTest::qWait(1500); // whatever the keys left to do is done
        const QString before = likely->text();
        QVERIFY2(before.startsWith(QLatin1String("Likely between")), qPrintable(before));
        ranges.ratios.insert(QStringLiteral("Beef"), RatioSetting{0.5, 0.52, 0, false});
        QVERIFY(front.saveShopSettings(ranges).done());
        QTRY_VERIFY_WITH_TIMEOUT(likely->text() != before, 10000);

        const auto run = [this](const QString& statement) {
            Database::OnOwnConnection(url_, "test", [&](QSqlDatabase& db) {
                QSqlQuery query(db);
                QVERIFY2(query.exec(statement), qPrintable(statement));
            });
        };
        run(QStringLiteral("Drop Table ShopDetails"));
        QVERIFY2(ShopDetailsStore::Read(*front.connection()).note.contains("init --database"),
                 qPrintable(ShopDetailsStore::Read(*front.connection()).note));
        const StoreResult refused = ShopDetailsStore::Save(*front.connection(), mill);
        QCOMPARE(refused.kind, StoreKind::Missing);
        QVERIFY2(refused.problem.contains("init --database"), qPrintable(refused.problem));
        bool upgraded = false;
        QStringList upgrades;
        QVERIFY(PriceListSetup::CreatePriceTable(url_, &upgraded, &upgrades).done());
        QVERIFY(upgraded);
        QCOMPARE(upgrades, QStringList{"the shop's details are now kept beside it, the same for "
                                       "every counter"});
        QVERIFY(!PriceListSetup::CreatePriceTable(url_).done()); // nothing more to do
        QVERIFY(ShopDetailsStore::Save(*office.connection(), mill).done());

        run(QStringLiteral("Create Role reader Login"));
        run(QStringLiteral("Grant Select On Charges1, ShopDetails To reader"));
        {
            PriceList reading(QString(url_).replace("//locker@", "//reader@"));
            QCOMPARE(reading.open(), PriceList::OpenResult::Opened);
            QCOMPARE(name(reading), mill.name);
            const StoreResult denied = ShopDetailsStore::Save(*reading.connection(), {});
            QCOMPARE(denied.kind, StoreKind::PermissionDenied);
            QVERIFY2(denied.problem.contains("may read the price list but not change the shop's "
                                             "details") &&
                         denied.problem.contains("GRANT SELECT, INSERT, DELETE ON ShopDetails"),
                     qPrintable(denied.problem));
        }
        QCOMPARE(name(front), mill.name);
        run(QStringLiteral("Drop Owned By reader"));
        run(QStringLiteral("Drop Role reader"));
    }

    void savesAtTheSameMomentAreAllKept()
    {
        QProcess first, second;
        first.start(Counter, {QStringLiteral("save"), url_, QStringLiteral("Front")});
        second.start(Counter, {QStringLiteral("save"), url_, QStringLiteral("Office")});
        QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
        QSet<qint64> numbers;
        for (QProcess* counter : {&first, &second}) {
            qint64 last = 0;
            for (const QByteArray& line : counter->readAll().trimmed().split('\n')) {
                QVERIFY2(line.startsWith("saved "), line.constData());
                const qint64 number = line.split(' ').at(1).toLongLong();
                QVERIFY(number > last); // increasing at each counter
                last = number;
                numbers.insert(number);
            }
        }
        QCOMPARE(numbers.size(), 60);
        EstimateBook book(url_);
        QCOMPARE(listed(book, QStringLiteral("Front")).split(QLatin1Char(' ')).size(), 30);
        QCOMPARE(listed(book, QStringLiteral("Office")).split(QLatin1Char(' ')).size(), 30);
    }

    void conflictingEditIsTold()
    {
        EstimateBook book(url_);
        EstimateRecord here = customer(QStringLiteral("Anna"));
        QVERIFY(book.save(here).done);
        QTemporaryDir dir;
        const QString go = dir.filePath(QStringLiteral("go"));
        QProcess other;
        other.start(Counter, {QStringLiteral("edit"), url_, QString::number(here.number),
                              QStringLiteral("from the office"), go});
        QVERIFY(other.waitForReadyRead(30000));
        QCOMPARE(other.readLine().trimmed(), QByteArray("opened"));
        here.note = QStringLiteral("from the front");
        QVERIFY(book.save(here).done);
        QFile(go).open(QIODevice::WriteOnly);
        QVERIFY(other.waitForFinished(30000));
        const QByteArray told = other.readAll();
        QVERIFY2(told.contains("changed since it was opened"), told.constData());
        QString problem;
        QCOMPARE(book.open(here.number, &problem)->note, here.note);
    }

    // Last: it stops the server.
    void serverStoppedInTheMiddleLosesNothing()
    {
        PriceListEditor editor(url_);
        QCOMPARE(editor.open(), PriceList::OpenResult::Opened);
        QVERIFY(editor.setCost(QStringLiteral("Kill Beef"), QStringLiteral("85")).done);
        PriceList prices(url_);
        QCOMPARE(prices.open(), PriceList::OpenResult::Opened);
        PriceList cached(url_); // only ever answers from what it was told before the stop
        QCOMPARE(cached.open(), PriceList::OpenResult::Opened);
        QCOMPARE(cached.lookupCost(QStringLiteral("Kill Beef")).cost, 85.0);

        QTemporaryDir dir;
        const QString stop = dir.filePath(QStringLiteral("stop"));
        QProcess counter;
        counter.start(Counter, {QStringLiteral("save"), url_, QStringLiteral("Busy"), stop});
        QStringList lines;
        QTRY_VERIFY_WITH_TIMEOUT(anyStartsWith(linesOf(counter, lines), QStringLiteral("saved")),
                                 30000);
        QString problem;
        QVERIFY2(server_.stop(&problem), qPrintable(problem));
        const qsizetype stoppedAt = linesOf(counter, lines).size();
        QTRY_VERIFY_WITH_TIMEOUT(
            anyStartsWith(linesOf(counter, lines), QStringLiteral("refused"), stoppedAt), 30000);
        const CostLookup lost = prices.lookupCost(QStringLiteral("Kill Beef Whole"));
        QCOMPARE(lost.status, CostLookup::Status::Failed);
        QVERIFY2(lost.problem.contains(url_.section(QLatin1Char('/'), -1)),
                 qPrintable(lost.problem));

        QVERIFY2(server_.start(&problem), qPrintable(problem));
        const qsizetype startedAt = linesOf(counter, lines).size();
        QTRY_VERIFY_WITH_TIMEOUT(
            anyStartsWith(linesOf(counter, lines), QStringLiteral("saved"), startedAt), 30000);
        QFile(stop).open(QIODevice::WriteOnly);
        QVERIFY(counter.waitForFinished(30000));
        linesOf(counter, lines);
        // The next lookup connects again, and so does the first change.
        QTRY_COMPARE_WITH_TIMEOUT(prices.lookupCost(QStringLiteral("Kill Beef")).cost, 85.0, 5000);
        QVERIFY(editor.setCost(QStringLiteral("Kill Beef"), QStringLiteral("86")).done);
        QTRY_COMPARE_WITH_TIMEOUT(cached.lookupCost(QStringLiteral("Kill Beef")).cost, 86.0, 5000);

        // Every save told as done is in the book, under its number.
        EstimateBook book(url_);
        int saved = 0;
        for (const QString& line : lines) {
            if (!line.startsWith(QLatin1String("saved ")))
                continue;
            ++saved;
            const std::optional<EstimateRecord> r =
                book.open(line.section(QLatin1Char(' '), 1, 1).toLongLong(), &problem);
            QVERIFY2(r, qPrintable(line));
            QCOMPARE(r->customer, line.section(QLatin1Char(' '), 2));
        }
        QCOMPARE(book.list(QStringLiteral("Busy"), &problem).size(), saved);
    }

    // The counter's screen over the server: a server not reached at the start
    // is told, naming the database, and nothing is figured until it is
    // reached (the built-in prices never stand in for the shop's); one lost in
    // the middle of work is told once an action, nothing is figured without
    // its price, and it is used again when it is back.
    void estimateScreenOverTheServer()
    {
        EstimateCounter c;
        c.dialogs.press(QMessageBox::Ok);
        c.screen = std::make_unique<CounterScreen>(server_.url(QStringLiteral("no_such")));
        c.screen->startUp();
        c.screen->show();
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY2(c.dialogs.seen()[0].text.contains(QLatin1String("no_such")),
                 qPrintable(c.dialogs.seen()[0].text));
        QVERIFY(c.flag()->isChecked());
        c.dialogs.press(QMessageBox::Ok);
        c.pick(QStringLiteral("Option1"));
        QVERIFY(c.text(QStringLiteral("Text4")) != QLatin1String("17.00"));
        QVERIFY(c.edit(QStringLiteral("Text4"))->property("notFigured").toBool());
        QVERIFY(c.edit(QStringLiteral("Text5"))->property("notFigured").toBool());
        c.dialogs.press(QMessageBox::Ok);
        QVERIFY(!c.screen->saveEstimate()); // nothing figured is saved as a quote
        QVERIFY(
            c.dialogs.texts().last().contains(QLatin1String("Kill Charge could not be figured")));

        QTemporaryDir dir;
        const QString lockers = dir.filePath(QStringLiteral("Lockers.db"));
        int copied = 0;
        QStringList notes;
        QVERIFY(CreateSamplePriceList(lockers).saved);
        QVERIFY(PriceListSetup::CopyPrices(lockers, url_, &copied, &notes).done());
        c.dialogs.clear();
        c.screen = std::make_unique<CounterScreen>(url_);
        c.screen->startUp();
        c.screen->show();
        QVERIFY(c.flag()->isChecked());
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        const QString total = c.text(QStringLiteral("Text5"));
        QVERIFY(total != QLatin1String("0"));

        QString problem;
        QVERIFY2(server_.stop(&problem), qPrintable(problem));
        const ServiceInfo* cooling = nullptr;
        for (const ServiceInfo& s : Services())
            if (!cooling && !s.priceItem.isEmpty() && s.followsHangingWeight &&
                s.worksheet == Worksheet::None && s.column == Column::Beef)
                cooling = &s;
        QVERIFY(cooling);
        c.dialogs.policy = [](const SeenDialog&) {
            return QMessageBox::Ok;
        };
        c.tick(ServiceBox(cooling->id));
        c.weight(QStringLiteral("1300"));
        const auto told = [&] {
            return c.dialogs.texts().filter(QStringLiteral("database locker_test")).size();
        };
        QCOMPARE(c.dialogs.seen().size(), 1); // at the click, not again at the keys after it
        QCOMPARE(told(), 1);
        QCOMPARE(c.text6(ChargeField(cooling->id)), QStringLiteral("0"));
        // Nothing figured from no price, and what could not be figured is marked.
        QVERIFY(c.edit(QStringLiteral("Text3"))->property("notFigured").toBool());
        QVERIFY(c.edit(QStringLiteral("Text5"))->property("notFigured").toBool());
        QVERIFY(c.edit(QStringLiteral("Text6_%1").arg(ChargeField(cooling->id)))
                    ->property("notFigured")
                    .toBool());

        // Told on the screen until the server is back, and then what waited
        // for it figured without a key pressed.
        auto* connection = control<QLabel>(c.s(), QStringLiteral("lblConnection"));
        QTRY_VERIFY(connection->isVisible());
        QVERIFY2(
            connection->text().contains(QLatin1String("Not connected to database locker_test")),
            qPrintable(connection->text()));
        QVERIFY2(server_.start(&problem), qPrintable(problem));
        QTRY_VERIFY_WITH_TIMEOUT(!connection->isVisible(), 10000);
        QVERIFY(!c.edit(QStringLiteral("Text3"))->property("notFigured").toBool());
        c.tick(ServiceBox(cooling->id)); // off
        c.tick(ServiceBox(cooling->id)); // on again: priced from the server
        QCOMPARE(told(), 1);
        QVERIFY(c.text6(ChargeField(cooling->id)) != QLatin1String("0"));
        // What could not be figured is figured at the first action once the server is back.
        QVERIFY(!c.edit(QStringLiteral("Text3"))->property("notFigured").toBool());
        QVERIFY(!c.edit(QStringLiteral("Text5"))->property("notFigured").toBool());

        // Saved here and at another counter: all in the Saved Estimates window.
        SaveDialogAnswerer saving;
        saving.save(QStringLiteral("Front"));
        QVERIFY(c.screen->saveEstimate());
        QProcess other;
        other.start(Counter, {QStringLiteral("save"), url_, QStringLiteral("Office")});
        QVERIFY(other.waitForFinished(60000));
        c.screen->showEstimates();
        QWidget* window = findScreen(QStringLiteral("frmEstimates"));
        QVERIFY(window);
        QCOMPARE(control<QTableWidget>(window, QStringLiteral("tblEstimates"))->rowCount(), 31);
        QCOMPARE(c.dialogs.seen().size(), 1);
    }

    // The answer to a save lost on the link: told as "may have been saved",
    // and told again once the server answers: saved after all, under its
    // number, which the estimate on the screen then carries.
    void aSaveWhoseAnswerWasLostIsToldAgain()
    {
        TcpRelay relay(server_.port());
        const QString viaRelay = QString(url_).replace(QStringLiteral(":%1/").arg(server_.port()),
                                                       QStringLiteral(":%1/").arg(relay.port()));
        QTemporaryDir dir;
        const QString lockers = dir.filePath(QStringLiteral("Lockers.db"));
        int copied = 0;
        QStringList notes;
        QVERIFY(CreateSamplePriceList(lockers).saved);
        QVERIFY(PriceListSetup::CopyPrices(lockers, url_, &copied, &notes).done());
        EstimateCounter c;
        c.screen = std::make_unique<CounterScreen>(viaRelay);
        c.screen->startUp();
        c.screen->show();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));

        relay.setMode(TcpRelay::Mode::SilentAfterCommit);
        c.dialogs.policy = [](const SeenDialog&) {
            return QMessageBox::Ok;
        };
        SaveDialogAnswerer saving;
        saving.save(QStringLiteral("Rita"));
        QVERIFY(!c.screen->saveEstimate());
        QVERIFY2(
            c.dialogs.texts().last().startsWith(QLatin1String("The estimate may have been saved")),
            qPrintable(c.dialogs.texts().last()));
        relay.setMode(TcpRelay::Mode::Forward);
        QTRY_VERIFY_WITH_TIMEOUT(c.dialogs.texts().last().startsWith(
                                     QLatin1String("The server answered: the save went through")),
                                 15000);
        QCOMPARE(c.screen->record().number, 1);
        QVERIFY(c.dialogs.texts().last().contains(QLatin1String("estimate 1 for Rita")));
        // Saved again: the same estimate, changed, never a second one.
        saving.save(QStringLiteral("Rita"));
        QVERIFY2(c.screen->saveEstimate(), qPrintable(c.dialogs.texts().last()));
        QString problem;
        QCOMPARE(EstimateBook(url_).list(QString(), &problem).size(), 1);
    }
};

QTEST_MAIN(TestSharedServer)
#include "test_shared_server.moc"
