// One animal sold in shares, as the clerk works it: the Shares window opened
// from the Estimate screen, each buyer's services chosen there, all the
// shares saved and printed together, and billed after the kill.

#include "core/money.h"
#include "estimate_counter.h"
#include "print_watch.h"
#include "screens/estimate_screen.h"
#include "widgets.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <numeric>

namespace {

struct Counter : EstimateCounter {
    QTemporaryDir config;
    Counter()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        startWithSample();
    }
    ~Counter() { qunsetenv("XDG_CONFIG_HOME"); }

    QWidget* shares() const { return findScreen(QStringLiteral("frmShares")); }
    QTableWidget* table() const { return control<QTableWidget>(shares(), "sharesTable"); }
    QString cell(int row, int column) const { return table()->item(row, column)->text(); }
    void press(const char* name) const { click(control<QPushButton>(shares(), name)); }

    // The Shares window for the animal on the Estimate screen.
    void openShares(const char* option, const char* live, const char* tag)
    {
        animal(QLatin1String(option), QLatin1String(live));
        click(control<QPushButton>(s(), "cmdShares"));
        QVERIFY(shares());
        typeInto(field(shares(), "animalTag"), QLatin1String(tag));
    }
    // A buyer added with the part typed in.
    void buyer(const char* name, const char* part)
    {
        press("addShare");
        const int row = table()->rowCount() - 1;
        table()->item(row, 0)->setText(QLatin1String(name));
        table()->item(row, 2)->setText(QLatin1String(part));
    }
    // The buyer's services ticked on the Estimate screen, then back.
    void services(int row, std::initializer_list<int> boxes, const char* back = "cmdShares")
    {
        table()->selectRow(row);
        press("shareServices");
        expand();
        for (const int box : boxes)
            tick(box);
        click(control<QPushButton>(s(), back));
    }
    QList<EstimateRecord> saved(const char* tag) const
    {
        QString problem;
        return screen->book().animal(QLatin1String(tag), &problem);
    }
};

std::int64_t cents(const QString& money)
{
    return *CentsOf(QString(money).remove(QLatin1Char('$')));
}

} // namespace

class TestSharesWindow : public QObject {
    Q_OBJECT

private slots:
    void aBeefInFourQuartersToThreeBuyers()
    {
        Counter c;
        c.openShares("Option1", "1200", "B-1042");
        c.buyer("Ann Carver", "half");
        c.buyer("Bo Hale", "quarter");
        c.buyer("Cy Dunn", "split-side quarter");
        c.services(0, {0}); // tenderising
        // The share went back with its service, and the screen is cleared.
        QCOMPARE(c.cell(0, 6), QStringLiteral("$4.12"));
        QCOMPARE(c.text("Text2"), QStringLiteral("0"));
        c.services(1, {5}, "cmdSaveEstimate"); // paper wrapped; Save gives it back as well
        QCOMPARE(c.cell(0, 8), QStringLiteral("$123.62"));
        QCOMPARE(c.cell(1, 8), QStringLiteral("$74.75"));
        QCOMPARE(c.cell(2, 7), QStringLiteral("$15.00"));
        QVERIFY(control<QLabel>(c.shares(), "sharesSummary")->text().contains("$273.12"));

        c.dialogs.press(QMessageBox::Ok);
        c.press("saveShares");
        QVERIFY2(c.dialogs.texts().join(' ').contains("estimates 1, 2, 3 under the tag B-1042"),
                 qPrintable(c.dialogs.texts().join('\n')));
        QList<EstimateRecord> records = c.saved("B-1042");
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[2].sharePart, QStringLiteral("split-side quarter"));
        QCOMPARE(records[0].quoteCents, std::optional<qint64>(12362));
        QCOMPARE(*records[0].quoteCents + *records[1].quoteCents + *records[2].quoteCents, 27312);

        // Each buyer's estimate with its likely range, and the shop's sheet.
        QTemporaryDir dir;
        {
            PrintToPdfWatch printing(dir.filePath(QStringLiteral("shares.pdf")));
            c.press("printShares");
            QCOMPARE(printing.shown, 1);
            QVERIFY2(printing.suggested.endsWith(QLatin1String("/Shares of B-1042.pdf")),
                     qPrintable(printing.suggested));
        }
        const QString text = pdfTextLines(dir.filePath(QStringLiteral("shares.pdf"))).join('\n');
        for (const char* seen : {"Ann Carver", "Bo Hale", "Cy Dunn", "Split-side surcharge",
                                 "likely between", "$273.12", "sold in shares"})
            QVERIFY2(text.contains(QLatin1String(seen)), seen);

        // Booked, billed by the three shares: Ann's deposit is the booking's
        // own, Bo pays his share's.
        Booking booked;
        booked.customer = QStringLiteral("Ann Carver");
        booked.species = QStringLiteral("Beef");
        booked.liveWeight = QStringLiteral("1200");
        booked.kill = booked.dropOff = QDate(2026, 10, 12);
        booked.hangingDays = 14;
        booked.estimates = {1, 2, 3};
        booked.payments = {{Payment::Kind::Deposit, 10000, booked.kill, Payment::Method::Cash,
                            QString(), QString()},
                           {Payment::Kind::Deposit, 2500, booked.kill, Payment::Method::Card,
                            QString(), QString(), 2}};
        QVERIFY(c.screen->book().keep(booked).done);

        // After the kill: the sides weighed, each share's final bill beside its quote.
        typeInto(field(c.shares(), "firstSide"), QStringLiteral("310"));
        typeInto(field(c.shares(), "secondSide"), QStringLiteral("296"));
        QCOMPARE(c.cell(0, 3), QStringLiteral("310 lb"));
        c.dialogs.press(QMessageBox::Ok);
        c.press("saveShares");
        records = c.saved("B-1042");
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[0].quoteCents, std::optional<qint64>(12362));
        QVERIFY(records[0].finalCents && records[1].finalCents && records[2].finalCents);
        QCOMPARE(records[0].weighedHanging, std::optional<double>(310));
        std::int64_t billed = 0;
        for (int row = 0; row < 3; ++row)
            billed += cents(c.cell(row, 8));
        QCOMPARE(billed, *records[0].finalCents + *records[1].finalCents + *records[2].finalCents);
        QVERIFY(control<QLabel>(c.shares(), "sharesSummary")->text().contains(MoneyText(billed)));
        {
            PrintToPdfWatch printing(dir.filePath(QStringLiteral("bills.pdf")));
            c.press("printShares");
        }
        const QString bills = pdfTextLines(dir.filePath(QStringLiteral("bills.pdf"))).join('\n');
        QVERIFY(bills.contains(QLatin1String("Final bill")));
        QVERIFY(bills.contains(QLatin1String("weighed after the kill")));
        // The sides weighed the booking's carcass; each bill shows what was
        // paid against it and its balance.
        QString problem;
        const std::optional<Booking> weighed = c.screen->book().booking(booked.number, &problem);
        QCOMPARE(weighed->state, Booking::State::Killed);
        QCOMPARE(weighed->hangingWeighed, QStringLiteral("606"));
        QCOMPARE(bills.count(QLatin1String("Balance Due")), 3);
        for (const auto& [row, paid] : {std::pair{0, 10000}, std::pair{1, 2500}, std::pair{2, 0}})
            QVERIFY2(
                bills.contains(
                    QStringLiteral("Balance Due %1").arg(MoneyText(cents(c.cell(row, 8)) - paid))),
                qPrintable(bills));

        // Opened again by its tag, at another moment: as saved.
        c.shares()->close();
        click(control<QPushButton>(c.s(), "cmdShares"));
        c.dialogs.type(QStringLiteral("B-1042"));
        c.press("openAnimal");
        QCOMPARE(c.table()->rowCount(), 3);
        QCOMPARE(textOf(c.shares(), "firstSide"), QStringLiteral("310"));
        QCOMPARE(cents(c.cell(2, 8)), *records[2].finalCents);
    }

    void partsThatDoNotAddUpAreToldAndNothingIsSaved()
    {
        Counter c;
        c.openShares("Option2", "250", "H-9");
        c.buyer("Dee", "half");
        c.buyer("Eli", "half");
        c.buyer("Flo", "quarter");
        auto* problems = control<QLabel>(c.shares(), "sharesProblems");
        QVERIFY(problems->isVisible());
        QVERIFY(problems->text().contains(QLatin1String("more than the whole")));
        c.dialogs.press(QMessageBox::Ok);
        c.press("saveShares");
        QCOMPARE(c.dialogs.seen().last().icon, QMessageBox::Warning);
        QVERIFY(c.saved("H-9").isEmpty());

        c.table()->item(2, 2)->setText(QStringLiteral("a bit"));
        QVERIFY(problems->text().contains(QLatin1String("\"a bit\"")));
        QCOMPARE(c.cell(2, 2), QStringLiteral("a bit")); // the clerk's words stay to be mended
        c.table()->item(2, 2)->setText(QStringLiteral("0"));
        QVERIFY(problems->isVisible());

        // Without the carcass's tag the shares are not linked: not saved.
        typeInto(field(c.shares(), "animalTag"), QString());
        c.table()->item(1, 2)->setText(QStringLiteral("quarter"));
        c.table()->item(2, 2)->setText(QStringLiteral("quarter"));
        c.dialogs.press(QMessageBox::Ok);
        c.press("saveShares");
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("tag")));
        QCOMPARE(c.dialogs.seen().last().icon, QMessageBox::Warning);
        QVERIFY(c.screen->book().list(QString(), nullptr).isEmpty());
        typeInto(field(c.shares(), "animalTag"), QStringLiteral("H-9"));
        c.table()->item(2, 2)->setText(QStringLiteral("0"));

        // Half sold: the rest is told as not sold yet, and may be saved.
        c.table()->selectRow(2);
        c.dialogs.press(QMessageBox::Yes);
        c.press("removeShare");
        c.table()->selectRow(1);
        c.dialogs.press(QMessageBox::Yes);
        c.press("removeShare");
        QVERIFY(!problems->isVisible());
        QVERIFY(
            control<QLabel>(c.shares(), "sharesSummary")->text().contains("Not sold yet: 50 %"));
        c.dialogs.press(QMessageBox::Ok);
        c.press("saveShares");
        QCOMPARE(c.saved("H-9").size(), 1);
    }

    void aBuyerTakenOffLeavesTheTag()
    {
        Counter c;
        c.openShares("Option1", "1000", "B-7");
        c.buyer("Gus", "half");
        c.buyer("Hal", "half");
        c.dialogs.press(QMessageBox::Ok);
        c.press("saveShares");
        c.table()->selectRow(1);
        c.dialogs.press(QMessageBox::Yes);
        c.press("removeShare");
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("stays in the book")));
        QCOMPARE(c.table()->rowCount(), 1);
        QCOMPARE(c.saved("B-7").size(), 2);
        // Closing asks about the change; No leaves the book as it was.
        c.dialogs.press(QMessageBox::No);
        QVERIFY(c.shares()->close());
        QCOMPARE(c.saved("B-7").size(), 2);
        {
            // One buyer pays the whole kill fee: taking off a buyer before it
            // leaves the fee on the same buyer.
            Counter d;
            d.openShares("Option2", "250", "H-1");
            for (const char* name : {"A", "B", "C"})
                d.buyer(name, "25");
            auto* split = control<QComboBox>(d.shares(), "killFeeSplit");
            split->setCurrentIndex(1);
            control<QComboBox>(d.shares(), "killFeePayer")->setCurrentIndex(2);
            QCOMPARE(d.cell(2, 4), QStringLiteral("$17.00"));
            d.table()->selectRow(0);
            d.dialogs.press(QMessageBox::Yes);
            d.press("removeShare");
            QCOMPARE(d.cell(1, 0), QStringLiteral("C"));
            QCOMPARE(d.cell(1, 4), QStringLiteral("$17.00"));
            QCOMPARE(d.cell(0, 4), QStringLiteral("$0.00"));
            d.dialogs.press(QMessageBox::No);
            d.shares()->close();
        }

        // Taken off and saved: the tag holds the others, and the buyer's
        // estimate stays, listed under the tag it was taken off.
        click(control<QPushButton>(c.s(), "cmdShares"));
        c.dialogs.type(QStringLiteral("B-7"));
        c.press("openAnimal");
        QCOMPARE(c.table()->rowCount(), 2);
        c.table()->selectRow(1);
        c.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        c.press("removeShare");
        c.press("saveShares");
        QVERIFY2(c.dialogs.seen().last().text.contains(
                     QLatin1String("Estimate 2 was taken off the tag")),
                 qPrintable(c.dialogs.seen().last().text));
        QCOMPARE(c.saved("B-7").size(), 1);
        QString problem;
        QCOMPARE(c.screen->book().list(QStringLiteral("b-7"), &problem).value(0).tag,
                 QStringLiteral("B-7, taken off"));
        // The half sold again: the animal is whole, not more.
        c.buyer("Ivy", "half");
        c.dialogs.press(QMessageBox::Ok);
        c.press("saveShares");
        QCOMPARE(c.saved("B-7").size(), 2);
    }

    // After the kill the fajita rows of a buyer keep the pounds they were
    // figured for: Save All and Print All ask, naming the buyer and the row,
    // as Save and Print do on the Estimate screen; No saves and prints nothing.
    void staleRowsAreAskedAboutForEveryShare()
    {
        Counter c;
        c.openShares("Option1", "1200", "B-5");
        c.buyer("Ann", "half");
        c.buyer("Bo", "quarter");
        c.table()->selectRow(1);
        c.press("shareServices");
        c.expand();
        QWidget* fajita = c.openWorksheet(6, QStringLiteral("frmFajita"));
        QVERIFY(fajita);
        clickItem(control<QListWidget>(fajita, "List1"), 0);
        click(control<QPushButton>(fajita, "cmdFigure"));
        click(control<QPushButton>(c.s(), "cmdShares"));
        typeInto(field(c.shares(), "weighedHanging"), QStringLiteral("592"));
        c.dialogs.press(QMessageBox::No);
        c.press("saveShares");
        const SeenDialog asked = c.dialogs.seen().last();
        QVERIFY2(asked.text.contains(QLatin1String("Bo: Fajita Strips, figured for 150 lb")),
                 qPrintable(asked.text));
        QVERIFY(asked.text.contains(QLatin1String("Save the shares as it stands?")));
        QVERIFY(c.saved("B-5").isEmpty());
        QTemporaryDir dir;
        {
            PrintToPdfWatch printing(dir.filePath(QStringLiteral("s.pdf")));
            c.dialogs.press(QMessageBox::No);
            c.press("printShares");
            QCOMPARE(printing.shown, 0);
        }
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("Print the shares")));
        c.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        c.press("saveShares");
        QCOMPARE(c.saved("B-5").size(), 2);
    }

    // The quarter not sold at the quote, sold once the sides are weighed: its
    // buyer gets a quote (from the live weight, as every buyer's) as well as
    // the final bill, and the others their final bills beside their quotes.
    void aBuyerAddedAfterTheKillGetsAQuoteAndABill()
    {
        Counter c;
        c.openShares("Option1", "1200", "B-9");
        c.buyer("Ann", "half");
        c.buyer("Bo", "quarter");
        c.dialogs.press(QMessageBox::Ok);
        c.press("saveShares");
        typeInto(field(c.shares(), "firstSide"), QStringLiteral("310"));
        typeInto(field(c.shares(), "secondSide"), QStringLiteral("296"));
        c.buyer("Cy", "quarter");
        c.dialogs.press(QMessageBox::Ok);
        c.press("saveShares");
        const QList<EstimateRecord> records = c.saved("B-9");
        QCOMPARE(records.size(), 3);
        for (const EstimateRecord& r : records) {
            QVERIFY2(r.quoteCents && r.finalCents, qPrintable(r.customer));
            QCOMPARE(r.weighedHanging, std::optional<double>(r.customer == "Ann" ? 310 : 148));
        }
        const auto quote = EstimateValue::fromRecord(records[2].quoteState);
        const auto bill = EstimateValue::fromRecord(records[2].finalState);
        QCOMPARE(quote->hanging.text, QStringLiteral("150")); // a quarter of 600, figured
        QVERIFY(!quote->share->weighed);
        QCOMPARE(bill->hanging.text, QStringLiteral("148"));
        QVERIFY(bill->share->weighed);
        QCOMPARE(*records[2].finalCents, cents(c.cell(2, 8)));
        QVERIFY(records[2].likelyLow); // its quote had its range
    }

    // The keys of the window: Escape closes it, asking about what is not
    // saved; each key of a button is one button's; Ctrl+S on a buyer's
    // Estimate screen saves the shares.
    void theWindowFromTheKeyboard()
    {
        Counter c;
        c.openShares("Option2", "250", "H-3");
        c.buyer("Dee", "half");
        QSet<QChar> keys;
        for (QPushButton* b : c.shares()->findChildren<QPushButton*>()) {
            const int amp = int(b->text().indexOf(QLatin1Char('&')));
            if (amp < 0)
                continue;
            const QChar key = b->text().at(amp + 1).toLower();
            QVERIFY2(!keys.contains(key), qPrintable(b->text()));
            keys.insert(key);
        }
        // Ctrl+S on the buyer's screen: the shares saved, not only given back.
        c.table()->selectRow(0);
        c.press("shareServices");
        c.dialogs.press(QMessageBox::Ok);
        QApplication::setActiveWindow(c.s());
        QTest::keyClick(c.s(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(c.saved("H-3").size(), 1);
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("under the tag H-3")));
        typeInto(field(c.shares(), "animalTag"), QStringLiteral("H-4"));
        QApplication::setActiveWindow(c.shares());
        // Escape asks about the change; Cancel stays, No closes.
        c.dialogs.press(QMessageBox::Cancel);
        QTest::keyClick(c.shares(), Qt::Key_Escape);
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("not saved")));
        QVERIFY(c.shares() && c.shares()->isVisible());
        c.dialogs.press(QMessageBox::No);
        QApplication::setActiveWindow(c.shares());
        QTest::keyClick(c.shares(), Qt::Key_Escape);
        QVERIFY(!c.shares() || !c.shares()->isVisible());
    }

    // A buyer's share on the Estimate screen is the share in the window after
    // every action there (paper wrapping moves the animal's cents between the
    // shares); its weights are the animal's, not typed there. Closing the
    // program with an unfigured worksheet open on it saves the share as it
    // was before that worksheet.
    void aBuyersScreenIsTheWindowsShare()
    {
        Counter c;
        c.openShares("Option1", "1001", "B-5"); // 125.125 lb a quarter
        for (const char* name : {"A", "B", "C", "D"})
            c.buyer(name, "quarter");
        c.table()->selectRow(1);
        c.press("shareServices");
        QVERIFY(c.edit(QStringLiteral("Text2"))->isReadOnly());
        c.expand();
        c.tick(5); // paper wrapped: its processing, and its cents of the animal's, move
        QCOMPARE(c.cell(1, 8), QStringLiteral("$63.06"));
        QCOMPARE(PrintedMoney(c.text(QStringLiteral("Text5"))), QStringLiteral("$63.06"));
        c.tick(5);
        QCOMPARE(PrintedMoney(c.text(QStringLiteral("Text5"))), c.cell(1, 8));
        // The buyer renamed in the window meanwhile: still the row's share.
        c.table()->item(1, 0)->setText(QStringLiteral("Bea"));
        c.tick(0); // tenderising
        QCOMPARE(PrintedMoney(c.text(QStringLiteral("Text5"))), c.cell(1, 8));
        // A charge typed on the buyer's screen is the row's too.
        typeInto(c.edit(QStringLiteral("Text6_0")), QStringLiteral("241.67"));
        QCOMPARE(PrintedMoney(c.text(QStringLiteral("Text5"))), c.cell(1, 8));
        c.tick(0);

        // An unfigured worksheet open on the share when the program closes.
        QWidget* fajita = c.openWorksheet(6, QStringLiteral("frmFajita"));
        QVERIFY(fajita);
        c.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        QVERIFY(c.screen->close());
        const QList<EstimateRecord> saved = c.saved("B-5");
        QCOMPARE(saved.size(), 4);
        const auto share = EstimateValue::fromRecord(saved[1].quoteState);
        QVERIFY(!share->row(ServiceId::FajitaStrips).ticked);
        QVERIFY(!share->row(ServiceId::PaperWrapp).ticked);
    }
};

QTEST_MAIN(TestSharesWindow)
#include "test_shares_window.moc"
