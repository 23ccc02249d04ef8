// The extra boning worksheet: its figuring on its own, and the screen opened
// from the ExtraBoning row of the Estimate screen.

#include "estimate/extra_boning_rules.h"
#include "estimate_counter.h"
#include "fake_host.h"
#include "pricelist/price_items.h"
#include "screens/estimate_screen.h"
#include "test_price_list.h"
#include "widgets.h"
#include "worksheets/extra_boning_worksheet.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace {

constexpr int ExtraBoning = 2;
constexpr int WeightField = 11, ChargeField = 2;
constexpr int ShortRibs = 0, ChuckRoast = 5, TBoneLeft = 8, TBoneRight = 12, StewMeat = 15;

QString after(double weight, bool ticked)
{
    const auto text = ExtraBoningRules::AfterCutClicked(weight, ticked);
    return text ? *text : QStringLiteral("(too large)");
}

QString done(double weight, double price)
{
    const auto figure = ExtraBoningRules::DoubledAndPriced(weight, price);
    return figure ? figure->weight + QLatin1Char('|') + figure->charge
                  : QStringLiteral("(too large)");
}

// One counter: a price list file, the clerk's answers, the Estimate screen.
struct Counter : EstimateCounter {
    explicit Counter(double extraBoningPrice = 0.25)
    {
        file.withSample().price(PriceItem::ExtraBoning, extraBoningPrice);
    }
    // Beef, 1000 pounds live, expanded.
    void start()
    {
        EstimateCounter::start();
        animal(QStringLiteral("Option1"), QStringLiteral("1000"));
    }
    // Ticks (or unticks) the ExtraBoning row and gives its worksheet.
    QWidget* open() const { return openWorksheet(ExtraBoning, QStringLiteral("frmEB")); }
    // A fresh worksheet on the ticked row: untick (which shows it), close, tick.
    QWidget* reopen() const
    {
        if (QWidget* shown = open())
            shown->close();
        return open();
    }
};

QCheckBox* cut(QWidget* sheet, int i)
{
    return control<QCheckBox>(sheet, QStringLiteral("Check1_%1").arg(i));
}

QString weightOf(QWidget* sheet)
{
    return textOf(sheet, QStringLiteral("Text1"));
}

void pressDone(QWidget* sheet)
{
    click(control<QPushButton>(sheet, QStringLiteral("Command1")));
}

} // namespace

class TestExtraBoning : public QObject {
    Q_OBJECT

private slots:
    void figuringWithoutTheScreen()
    {
        QCOMPARE(after(0, true), QStringLiteral("5"));
        QCOMPARE(after(12.5, true), QStringLiteral("17.5"));
        // Clearing a cut takes its pounds off again, never below 0.
        QCOMPARE(after(10, false), QStringLiteral("5"));
        QCOMPARE(after(3, false), QStringLiteral("0"));
        QCOMPARE(after(0, false), QStringLiteral("0"));
        QCOMPARE(done(0, 0.17), QStringLiteral("0|0"));
        QCOMPARE(done(20, 0.17), QStringLiteral("40|6.8"));
        QCOMPARE(done(0.1, 0.17), QStringLiteral("0.2|0.034"));
        QCOMPARE(done(1e308, 0.17), QStringLiteral("(too large)"));
        QCOMPARE(done(1e200, 1e200), QStringLiteral("(too large)"));
    }

    void theScreenAsItOpens()
    {
        Counter c;
        c.start();
        QWidget* sheet = c.open();
        QVERIFY(sheet);
        QVERIFY(sheet->isWindow());
        QVERIFY(!sheet->isModal());
        QCOMPARE(sheet->windowTitle(), QStringLiteral("Extra Boning Worksheet"));
        QVERIFY(sheet->findChildren<QLabel*>().isEmpty());
        const QStringList captions =
            QStringLiteral("Short Ribs|Boiling Beef|Soup Bones|RibSteak|Chuck Steak|Chuck Roast|"
                           "Arm Roast|Sirloin Tip|T-Bone|Porterhouse|Round Steak|Sirloin Steak|"
                           "T-Bone|Rump Roast|Pikes Peak Roast|Stew Meat")
                .split(QLatin1Char('|'));
        for (int i = 0; i < 16; ++i) {
            QCheckBox* box = cut(sheet, i);
            QCOMPARE(box->text(), captions[i]);
            QVERIFY(!box->isChecked());
            QVERIFY(sheet->rect().contains(box->geometry()));
            // Two columns of eight, top to bottom.
            if (i % 8 != 0)
                QVERIFY(box->y() > cut(sheet, i - 1)->geometry().bottom());
            else
                QCOMPARE(box->y(), cut(sheet, 0)->y());
            if (i >= 8)
                QVERIFY(box->x() > cut(sheet, i - 8)->geometry().right());
        }
        QLineEdit* text1 = field(sheet, QStringLiteral("Text1"));
        QCOMPARE(text1->text(), QStringLiteral("0"));
        QVERIFY(text1->y() > cut(sheet, 7)->geometry().bottom());
        QVERIFY(text1->geometry().right() < cut(sheet, 8)->x());
        auto* doneButton = control<QPushButton>(sheet, QStringLiteral("Command1"));
        QCOMPARE(doneButton->text(), QStringLiteral("Done"));
        QVERIFY(doneButton->x() > cut(sheet, 15)->x());
        QVERIFY(doneButton->y() > cut(sheet, 15)->geometry().bottom());
        QVERIFY(sheet->rect().contains(doneButton->geometry()));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void doneWritesTheRowAndCloses()
    {
        Counter c; // ExtraBoning at 0.25 a pound
        c.start(); // kill 17 + processing 185 = 202
        QWidget* sheet = c.open();
        QVERIFY(sheet);
        QPointer<QWidget> guard(sheet);
        pressDone(sheet); // nothing ticked
        QCOMPARE(c.text6(WeightField), QStringLiteral("0"));
        QCOMPARE(c.text6(ChargeField), QStringLiteral("0"));
        QVERIFY(!findScreen(QStringLiteral("frmEB")));
        QTRY_VERIFY(!guard);

        // Both T-Bones count as two cuts.
        sheet = c.reopen();
        QVERIFY(sheet);
        click(cut(sheet, TBoneLeft));
        QCOMPARE(weightOf(sheet), QStringLiteral("5"));
        click(cut(sheet, TBoneRight));
        QCOMPARE(weightOf(sheet), QStringLiteral("10"));
        pressDone(sheet);
        QCOMPARE(c.text6(WeightField), QStringLiteral("20"));
        QCOMPARE(c.text6(ChargeField), QStringLiteral("5"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("207")); // at once

        // A typed weight is doubled; a new opening starts afresh.
        sheet = c.reopen();
        QVERIFY(sheet);
        QCOMPARE(weightOf(sheet), QStringLiteral("0"));
        for (int i = 0; i < 16; ++i)
            QVERIFY(!cut(sheet, i)->isChecked());
        typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("12.5"));
        pressDone(sheet);
        QCOMPARE(c.text6(WeightField), QStringLiteral("25"));
        QCOMPARE(c.text6(ChargeField), QStringLiteral("6.25"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("208.25"));

        // The close box writes nothing.
        sheet = c.reopen();
        QVERIFY(sheet);
        const QString charge = c.text6(ChargeField);
        const QString estimate = c.text(QStringLiteral("Text5"));
        guard = sheet;
        typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("2.5"));
        click(cut(sheet, StewMeat));
        QCOMPARE(weightOf(sheet), QStringLiteral("7.5"));
        sheet->close(); // as the window's close box does
        QTRY_VERIFY(!guard);
        QCOMPARE(c.text6(WeightField), QStringLiteral("25"));
        QCOMPARE(c.text6(ChargeField), charge);
        QCOMPARE(c.text(QStringLiteral("Text5")), estimate);
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void clearingACutTakesItsPoundsOff()
    {
        // Clearing a ticked box used to add 5 more, charging a removed cut twice.
        Counter c;
        c.start();
        QWidget* sheet = c.open();
        QVERIFY(sheet);
        click(cut(sheet, ShortRibs));
        QCOMPARE(weightOf(sheet), QStringLiteral("5"));
        click(cut(sheet, ShortRibs));
        QVERIFY(!cut(sheet, ShortRibs)->isChecked());
        QCOMPARE(weightOf(sheet), QStringLiteral("0"));
        for (const int i : {0, 1, 2, 3})
            click(cut(sheet, i));
        QCOMPARE(weightOf(sheet), QStringLiteral("20"));
        click(cut(sheet, 2));
        QCOMPARE(weightOf(sheet), QStringLiteral("15"));
        // Never below 0, whatever the clerk typed.
        typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("3"));
        click(cut(sheet, 3));
        QCOMPARE(weightOf(sheet), QStringLiteral("0"));
        click(cut(sheet, 0));
        click(cut(sheet, 1));
        QCOMPARE(weightOf(sheet), QStringLiteral("0"));
        pressDone(sheet);
        QCOMPARE(c.text6(WeightField), QStringLiteral("0"));
        QCOMPARE(c.text6(ChargeField), QStringLiteral("0"));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void thePriceFollowsTheFlag()
    {
        Counter c(0.25);
        c.start();
        // Flag clear at load and at "Done": the built-in 0.17.
        click(c.flag());
        QVERIFY(!c.flag()->isChecked());
        QWidget* sheet = c.open();
        QVERIFY(sheet);
        click(cut(sheet, ChuckRoast));
        click(cut(sheet, 6));
        pressDone(sheet);
        QCOMPARE(c.text6(WeightField), QStringLiteral("20"));
        QCOMPARE(c.text6(ChargeField), QStringLiteral("3.4"));

        // Flag clear at load, ticked before "Done": looked up at "Done".
        sheet = c.reopen();
        QVERIFY(sheet);
        c.file.price(PriceItem::ExtraBoning, 0.4);
        click(c.flag());
        QVERIFY(c.flag()->isChecked());
        click(cut(sheet, 1));
        pressDone(sheet);
        QCOMPARE(c.text6(ChargeField), QStringLiteral("4")); // 10 x 0.4

        // Flag ticked at load: the price found then is kept.
        sheet = c.reopen();
        QVERIFY(sheet);
        c.file.price(PriceItem::ExtraBoning, 0.5);
        click(cut(sheet, 9));
        pressDone(sheet);
        QCOMPARE(c.text6(ChargeField), QStringLiteral("4")); // 10 x 0.4

        // Flag ticked at load, cleared before "Done": the built-in price.
        sheet = c.reopen();
        QVERIFY(sheet);
        click(c.flag());
        click(cut(sheet, 9));
        pressDone(sheet);
        QCOMPARE(c.text6(ChargeField), QStringLiteral("1.7")); // 10 x 0.17
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void aWeightThatIsNotANumber()
    {
        Counter c;
        c.start();
        QWidget* sheet = c.open();
        QVERIFY(sheet);
        QLineEdit* text1 = field(sheet, QStringLiteral("Text1"));
        typeInto(text1, QStringLiteral("ten"));
        c.dialogs.press(QMessageBox::Ok);
        click(cut(sheet, ShortRibs));
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY(c.dialogs.seen()[0].text.contains(QLatin1String("\"ten\"")));
        QCOMPARE(c.dialogs.seen()[0].icon, QMessageBox::Warning);
        QCOMPARE(c.dialogs.seen()[0].title, QStringLiteral("Locker Estimate"));
        QCOMPARE(text1->text(), QStringLiteral("ten"));
        QVERIFY(cut(sheet, ShortRibs)->isChecked()); // the box keeps the clerk's click

        for (const QString& typed : {QString(), QStringLiteral("1.2.3"), QStringLiteral("+"),
                                     QStringLiteral("5 lbs"), QString(400, QLatin1Char('9'))}) {
            typeInto(text1, typed);
            c.dialogs.press(QMessageBox::Ok);
            pressDone(sheet);
            QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("not a number")));
            QCOMPARE(text1->text(), typed);
            QCOMPARE(findScreen(QStringLiteral("frmEB")), sheet);
            QCOMPARE(c.text6(WeightField), QStringLiteral("0"));
            QCOMPARE(c.text6(ChargeField), QStringLiteral("0"));
        }
        // Too large to double.
        typeInto(text1, QStringLiteral("9") + QString(307, QLatin1Char('0')));
        c.dialogs.press(QMessageBox::Ok);
        pressDone(sheet);
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("too large")));
        QCOMPARE(findScreen(QStringLiteral("frmEB")), sheet);
        QCOMPARE(c.text6(WeightField), QStringLiteral("0"));
        QCOMPARE(c.dialogs.seen().size(), 7);
        QCOMPARE(c.dialogs.unexpected(), 0);

        typeInto(text1, QStringLiteral("4"));
        pressDone(sheet);
        QCOMPARE(c.text6(WeightField), QStringLiteral("8"));
    }

    void noPriceIsTold()
    {
        // ExtraBoning missing from the price list: nothing is said as the screen
        // loads; "Done" names the item and leaves everything as it was.
        Counter c;
        c.file.without(PriceItem::ExtraBoning);
        c.start();
        QWidget* sheet = c.open();
        QVERIFY(sheet);
        QCOMPARE(c.dialogs.seen().size(), 0);
        click(cut(sheet, ShortRibs));
        c.dialogs.press(QMessageBox::Ok);
        pressDone(sheet);
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY(c.dialogs.seen()[0].text.contains(QLatin1String("\"ExtraBoning\"")));
        QCOMPARE(weightOf(sheet), QStringLiteral("5")); // not doubled
        QCOMPARE(findScreen(QStringLiteral("frmEB")), sheet);
        QCOMPARE(c.text6(WeightField), QStringLiteral("0"));

        // Its price empty.
        c.file.sql(
            {QStringLiteral("Insert Into Charges1 Values ('ExtraBoning', NULL, 'Service')")});
        c.dialogs.press(QMessageBox::Ok);
        pressDone(sheet);
        QCOMPARE(c.dialogs.seen().size(), 2);
        QVERIFY(c.dialogs.seen()[1].text.contains(QLatin1String("\"ExtraBoning\"")));
        QCOMPARE(weightOf(sheet), QStringLiteral("5"));

        // Mended, the price is looked up at "Done".
        c.file.without(PriceItem::ExtraBoning).price(PriceItem::ExtraBoning, 0.3);
        pressDone(sheet);
        QCOMPARE(c.text6(WeightField), QStringLiteral("10"));
        QCOMPARE(c.text6(ChargeField), QStringLiteral("3"));
        QCOMPARE(c.dialogs.seen().size(), 2);
    }

    void noPriceListIsTold()
    {
        // The flag is ticked but the file cannot be opened.
        TestPriceList file;
        FakeEstimateHost host;
        host.path = file.path();
        host.flag = true;
        DialogAnswerer dialogs;
        QPointer<ExtraBoningWorksheet> sheet = new ExtraBoningWorksheet(host);
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        sheet->show();
        QCOMPARE(sheet->objectName(), QStringLiteral("frmEB"));
        click(cut(sheet, TBoneLeft));
        dialogs.press(QMessageBox::Ok);
        pressDone(sheet);
        QCOMPARE(dialogs.seen().size(), 1);
        QVERIFY(dialogs.seen()[0].text.contains(file.path()));
        QVERIFY(host.writes.isEmpty());
        QVERIFY(sheet && sheet->isVisible());

        // With the flag clear, the built-in price needs no file.
        host.flag = false;
        pressDone(sheet);
        QCOMPARE(host.writes.size(), 1);
        QCOMPARE(host.writes[0].service, ServiceId::ExtraBoning);
        QCOMPARE(host.writes[0].weight, QStringLiteral("10"));
        QCOMPARE(host.writes[0].charge, QStringLiteral("1.7"));
        QTRY_VERIFY(!sheet);
        QCOMPARE(dialogs.seen().size(), 1);
    }
};

QTEST_MAIN(TestExtraBoning)
#include "test_extra_boning.moc"
