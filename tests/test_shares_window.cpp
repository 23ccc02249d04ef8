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
#include <QPushButton>
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

    void aShareTakenOffKeepsItsSavedEstimate()
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
    }
};

QTEST_MAIN(TestSharesWindow)
#include "test_shares_window.moc"
