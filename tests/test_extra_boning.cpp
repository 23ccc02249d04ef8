// The extra boning worksheet: its figuring over an estimate priced from memory
// (the running weight, Done doubling and pricing it, what is refused), the
// window over a stand-in Estimate screen, and the window opened from the
// ExtraBoning row of the real Estimate screen over a price list file.

#include "estimate/worksheet_figuring.h"
#include "estimate_counter.h"
#include "memory_prices.h"
#include "pricelist/price_items.h"
#include "sheet_host.h"
#include "ui/dialogs.h"
#include "widgets.h"
#include "worksheets/extra_boning_worksheet.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

namespace R = ExtraBoningRules;

constexpr int ShortRibs = 0, ChuckRoast = 5, ArmRoast = 6, TBoneLeft = 8, TBoneRight = 12,
              StewMeat = 15;

// The ExtraBoning row of an estimate, "weight|charge".
QString rowOf(const Estimate& estimate)
{
    const ServiceRow& row = estimate.row(ServiceId::ExtraBoning);
    return row.weight.text + QLatin1Char('|') + row.charge.text;
}

// The figuring over an estimate with ExtraBoning ticked, priced from memory
// at 0.25 a pound in the list.
struct Boning {
    MemoryPrices prices;
    SheetClerk clerk;
    SheetHost host;
    BoningFiguring sheet;
    std::array<bool, R::CutCount> ticked{}; // what the boxes show

    Boning()
        : host(prices, ServiceId::ExtraBoning, QStringLiteral("500"))
        , sheet(host.estimate, clerk)
    {
        prices.set(PriceItem::ExtraBoning, 0.25);
    }
    // The clerk clicks boxes in turn. The weight after the last.
    QString click(const QList<int>& boxes)
    {
        for (const int box : boxes) {
            ticked[box] = !ticked[box];
            sheet.clickCut(box, ticked[box]);
        }
        return sheet.weight();
    }
    QString written() const { return rowOf(host.estimate); }
    QList<int> chosen() const { return host.estimate.row(ServiceId::ExtraBoning).entries.chosen; }
};

// ------------------------------------------------------------ the windows

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

// The Estimate screen over the sample price list with ExtraBoning at 0.25 a
// pound, beef 1000 pounds live, expanded: kill 17 + processing 185 = 202.
struct Counter : EstimateCounter {
    Counter()
    {
        file.withSample().price(PriceItem::ExtraBoning, 0.25);
        start();
        animal(QStringLiteral("Option1"), QStringLiteral("1000"));
    }
    // Ticks (or unticks) the ExtraBoning row and gives its worksheet.
    QWidget* open() const
    {
        return openWorksheet(ServiceBox(ServiceId::ExtraBoning), QStringLiteral("frmEB"));
    }
    // A fresh worksheet on the ticked row: untick (which shows it), close, tick.
    QWidget* reopen() const
    {
        if (QWidget* shown = open())
            shown->close();
        return open();
    }
    QString row() const
    {
        const ServiceInfo& s = Service(ServiceId::ExtraBoning);
        return text6(WeightField(s.id)) + QLatin1Char('|') + text6(ChargeField(s.id));
    }
};

} // namespace

class TestExtraBoning : public QObject {
    Q_OBJECT

private slots:
    // ------------------------------------------------------------ the figuring

    void theBoxesKeepARunningWeight()
    {
        // Clearing a ticked box used to add 5 more, charging a removed cut twice.
        Boning b;
        QCOMPARE(b.click({ShortRibs}), QStringLiteral("5"));
        QCOMPARE(b.click({ShortRibs}), QStringLiteral("0"));
        QCOMPARE(b.click({0, 1, 2, 3}), QStringLiteral("20"));
        QCOMPARE(b.click({2}), QStringLiteral("15"));
        b.sheet.setWeight(QStringLiteral("3")); // never below 0, whatever was typed
        QCOMPARE(b.click({3}), QStringLiteral("0"));
        QCOMPARE(b.click({0, 1}), QStringLiteral("0"));
        b.sheet.setWeight(QStringLiteral("12.5")); // a typed weight moves by one cut too
        QCOMPARE(b.click({StewMeat}), QStringLiteral("17.5"));
        b.sheet.setWeight(QStringLiteral("10"));
        QCOMPARE(b.click({StewMeat}), QStringLiteral("5"));
        b.sheet.setWeight(QStringLiteral("0"));
        QVERIFY(b.sheet.done());
        QCOMPARE(b.written(), QStringLiteral("0|0"));
        QCOMPARE(b.chosen(), QList<int>());

        // Both T-Bones count, each by itself; the boxes ticked are kept in the row.
        Boning tbones;
        QCOMPARE(tbones.click({TBoneLeft}), QStringLiteral("5"));
        QCOMPARE(tbones.click({TBoneRight}), QStringLiteral("10"));
        QVERIFY(tbones.sheet.done());
        QCOMPARE(tbones.written(), QStringLiteral("20|5"));
        QCOMPARE(tbones.sheet.weight(), QStringLiteral("20"));
        QCOMPARE(tbones.chosen(), (QList<int>{TBoneLeft, TBoneRight}));
        QCOMPARE(b.clerk.told + b.clerk.warned + tbones.clerk.warned, QStringList());
    }

    void doneDoublesAndPricesOrTellsWhy()
    {
        // What Done writes ("weight|charge"), or what the clerk is told instead.
        const QString e307 = QString(307, QLatin1Char('0'));
        const struct {
            QString weight;
            double price;
            const char* result;
        } cases[] = {
            {QStringLiteral("0"), 0.17, "0|0"},
            {QStringLiteral("20"), 0.17, "40|6.8"},
            {QStringLiteral("0.1"), 0.17, "0.2|0.034"}, // not rounded to cents
            {QStringLiteral("12.5"), 0.25, "25|6.25"},
            {QStringLiteral("9") + e307, 0.25, "too large"}, // to double
            {QStringLiteral("10") + e307, 0.17, "too large"},
            {QStringLiteral("1") + QString(200, QLatin1Char('0')), 1e200, "too large"}, // to price
            {QString(), 0.25, "not a number"},
            {QStringLiteral("1.2.3"), 0.25, "not a number"},
            {QStringLiteral("+"), 0.25, "not a number"},
            {QStringLiteral("5 lbs"), 0.25, "not a number"},
            {QString(400, QLatin1Char('9')), 0.25, "not a number"},
        };
        for (const auto& k : cases) {
            Boning b;
            b.prices.set(PriceItem::ExtraBoning, k.price);
            b.sheet.setWeight(k.weight);
            const bool writes = QLatin1String(k.result).contains(QLatin1Char('|'));
            QCOMPARE(b.sheet.done(), writes);
            if (writes) {
                QCOMPARE(b.written(), QLatin1String(k.result));
                QCOMPARE(b.sheet.weight(), b.written().section(QLatin1Char('|'), 0, 0));
                QCOMPARE(b.clerk.warned, QStringList());
            } else {
                QCOMPARE(b.clerk.warned.size(), 1);
                QVERIFY2(b.clerk.warned[0].contains(QLatin1String(k.result)),
                         qPrintable(b.clerk.warned[0]));
                QCOMPARE(b.sheet.weight(), k.weight);
                QCOMPARE(b.written(), QStringLiteral("0|0"));
            }
        }
    }

    void thePriceIsTheOneAtDone()
    {
        const struct {
            bool flagWhilePicking, flagAtDone;
            double listed; // set after the picking
            QList<int> boxes;
            const char* written;
        } cases[] = {
            {false, false, 0.25, {ChuckRoast, ArmRoast}, "20|3.4"}, // the built-in 0.17
            {false, true, 0.4, {1}, "10|4"},   // ticked since: the list's at Done
            {true, true, 0.5, {9}, "10|5"},    // the list's as it is at Done
            {true, false, 0.5, {9}, "10|1.7"}, // unticked since: the built-in
        };
        for (const auto& k : cases) {
            Boning b;
            b.host.setFlag(k.flagWhilePicking);
            b.click(k.boxes);
            b.prices.set(PriceItem::ExtraBoning, k.listed);
            b.host.setFlag(k.flagAtDone);
            QVERIFY(b.sheet.done());
            QCOMPARE(b.written(), QLatin1String(k.written));
            QCOMPARE(b.chosen(), k.boxes);
            QCOMPARE(b.clerk.told + b.clerk.warned, QStringList());
        }
    }

    void whatStandsInTheWayWritesNothing()
    {
        // A weight that is not a number when a box is clicked: the box counts all the same.
        Boning b;
        b.sheet.setWeight(QStringLiteral("ten"));
        QCOMPARE(b.click({ShortRibs}), QStringLiteral("ten"));
        QCOMPARE(b.clerk.warned.size(), 1);
        QVERIFY(b.clerk.warned[0].contains(QLatin1String("\"ten\"")));
        b.sheet.setWeight(QStringLiteral("5"));

        // No price: the item missing, not a price, the prices out of reach.
        b.prices.remove(PriceItem::ExtraBoning);
        QVERIFY(!b.sheet.done());
        QVERIFY(b.clerk.warned[1].contains(QLatin1String("\"ExtraBoning\" is not in the")));
        b.prices.unusable(PriceItem::ExtraBoning);
        QVERIFY(!b.sheet.done());
        QVERIFY(b.clerk.warned[2].contains(QLatin1String("\"ExtraBoning\" is not a price")));
        b.prices.set(PriceItem::ExtraBoning, 0.3).outOfReach = true;
        QVERIFY(!b.sheet.done());
        QVERIFY(b.clerk.warned[3].contains(QLatin1String("cannot be reached")));
        for (int i = 1; i <= 3; ++i)
            QVERIFY(b.clerk.warned[i].contains(QLatin1String("nothing was written")));
        QCOMPARE(b.sheet.weight(), QStringLiteral("5")); // not doubled
        QCOMPARE(b.written(), QStringLiteral("0|0"));

        // Mended, the price is looked up at Done.
        b.prices.outOfReach = false;
        QVERIFY(b.sheet.done());
        QCOMPARE(b.written(), QStringLiteral("10|3"));
        QCOMPARE(b.chosen(), QList<int>{ShortRibs});
        QCOMPARE(b.clerk.warned.size(), 4);
    }

    void nothingIsWrittenIntoAnotherEstimate()
    {
        for (const bool cleared : {true, false}) {
            Boning b;
            const EstimateValue other = b.host.estimate.value();
            b.click({TBoneLeft});
            if (cleared)
                b.host.estimate.clear();
            else
                b.host.estimate.replace(other); // another estimate opened
            const auto rows = b.host.estimate.value().rows;
            QVERIFY(!b.sheet.done());
            QCOMPARE(b.clerk.warned.size(), 1);
            QVERIFY(b.clerk.warned[0].contains(QLatin1String("no longer on the Estimate screen")));
            QVERIFY(b.host.estimate.value().rows == rows);
            QCOMPARE(b.sheet.weight(), QStringLiteral("5"));
        }
    }

    // ------------------------------------------------------------ through the Estimate screen

    void throughTheEstimateScreen()
    {
        Counter c;
        QPointer<QWidget> sheet = c.open();
        QVERIFY(sheet);
        QVERIFY(sheet->isWindow() && !sheet->isModal());
        QVERIFY(sheet->findChildren<QLabel*>().isEmpty());
        for (int i = 0; i < R::CutCount; ++i) {
            QCheckBox* box = cut(sheet, i);
            QCOMPARE(box->text(), QLatin1String(R::CutNames[i]));
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
        const QRect done = control<QPushButton>(sheet, QStringLiteral("Command1"))->geometry();
        QVERIFY(done.x() > cut(sheet, 15)->x() && done.y() > cut(sheet, 15)->geometry().bottom());
        QVERIFY(sheet->rect().contains(done));
        pressDone(sheet); // nothing ticked
        QCOMPARE(c.row(), QStringLiteral("0|0"));
        QVERIFY(!findScreen(QStringLiteral("frmEB")));
        QTRY_VERIFY(!sheet);

        sheet = c.reopen();
        QVERIFY(sheet);
        click(cut(sheet, TBoneLeft));
        click(cut(sheet, TBoneRight));
        QCOMPARE(weightOf(sheet), QStringLiteral("10"));
        pressDone(sheet);
        QCOMPARE(c.row(), QStringLiteral("20|5"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("207")); // at once
        QTRY_VERIFY(!sheet);

        // A new opening starts afresh; its close box writes nothing.
        sheet = c.reopen();
        QVERIFY(sheet);
        QCOMPARE(weightOf(sheet), QStringLiteral("0"));
        for (int i = 0; i < R::CutCount; ++i)
            QVERIFY(!cut(sheet, i)->isChecked());
        const QString row = c.row(), estimate = c.text(QStringLiteral("Text5"));
        // A weight that is not a number: warned, and the box keeps the clerk's click.
        text1 = field(sheet, QStringLiteral("Text1"));
        typeInto(text1, QStringLiteral("ten"));
        c.dialogs.press(QMessageBox::Ok);
        click(cut(sheet, ShortRibs));
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY(c.dialogs.seen()[0].text.contains(QLatin1String("\"ten\"")));
        QCOMPARE(c.dialogs.seen()[0].icon, QMessageBox::Warning);
        QCOMPARE(c.dialogs.seen()[0].title, Dialogs::appTitle());
        QCOMPARE(text1->text(), QStringLiteral("ten"));
        QVERIFY(cut(sheet, ShortRibs)->isChecked());
        typeInto(text1, QStringLiteral("2.5"));
        click(cut(sheet, StewMeat));
        QCOMPARE(weightOf(sheet), QStringLiteral("7.5"));
        sheet->close(); // as the window's close box does
        QTRY_VERIFY(!sheet);
        QCOMPARE(c.row(), row);
        QCOMPARE(c.text(QStringLiteral("Text5")), estimate);
        c.dialogs.clear();

        // The price list file deleted meanwhile: told, nothing written, left open.
        sheet = c.reopen();
        click(cut(sheet, TBoneLeft));
        QVERIFY(QFile::remove(c.file.path()));
        c.dialogs.press(QMessageBox::Ok);
        pressDone(sheet);
        QCOMPARE(c.dialogs.seen().size(), 1);
        const SeenDialog told = c.dialogs.seen()[0];
        QVERIFY2(told.text.contains(c.file.path()), qPrintable(told.text));
        QVERIFY2(told.text.contains(QLatin1String("\"ExtraBoning\"")), qPrintable(told.text));
        QCOMPARE(told.icon, QMessageBox::Warning);
        QCOMPARE(findScreen(QStringLiteral("frmEB")), sheet.data());
        QCOMPARE(weightOf(sheet), QStringLiteral("5"));
        QCOMPARE(c.row(), row);
        // With the flag unticked, the built-in price needs no file.
        click(c.flag());
        QVERIFY(!c.flag()->isChecked());
        pressDone(sheet);
        QCOMPARE(c.row(), QStringLiteral("10|1.7"));
        QTRY_VERIFY(!sheet);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }
};

QTEST_MAIN(TestExtraBoning)
#include "test_extra_boning.moc"
