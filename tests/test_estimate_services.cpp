// The Estimate screen's lower band: expanding, the service rows, the rounding
// of the beef charges, the total, and the beef cure products.

#include "core/numbers.h"
#include "estimate_counter.h"
#include "pricelist/price_items.h"
#include "screens/estimate_screen.h"
#include "test_price_list.h"
#include "ui/field_cues.h"
#include "widgets.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cmath>
#include <memory>

namespace {

const QString Refused = QStringLiteral("Cannot Use Sausage Program From Here");
constexpr int BeefServices[] = {0, 1, 2, 3, 4, 5, 6, 7};
constexpr int PorkServices[] = {9, 10, 11, 12, 13};

struct Counter : EstimateCounter {
    // kill + processing + the charges of the ticked services, as the clerk would add them.
    double expectedTotal() const
    {
        double sum = LeadingNumber(text(QStringLiteral("Text4"))) +
                     LeadingNumber(text(QStringLiteral("Text3")));
        for (int i : BeefServices)
            if (service(i)->isChecked())
                sum += LeadingNumber(text6(i));
        for (int i : PorkServices)
            if (service(i)->isChecked())
                sum += LeadingNumber(text6(i + 17));
        return sum;
    }
    bool totalIsTrue() const
    {
        const double shown = *StrictNumber(text(QStringLiteral("Text5")));
        return std::fabs(shown - expectedTotal()) < 1e-6;
    }
};

} // namespace

class TestEstimateServices : public QObject {
    Q_OBJECT

private slots:
    void expandingShowsTheChosenSpeciesColumn_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("no species") << QString();
        QTest::newRow("deer") << "Option3";
        QTest::newRow("beef") << "Option1";
        QTest::newRow("pork") << "Option2";
    }
    void expandingShowsTheChosenSpeciesColumn()
    {
        QFETCH(QString, option);
        Counter c;
        c.startWithSample();
        if (!option.isEmpty())
            c.pick(qPrintable(option));
        c.expand();
        QCOMPARE(c.s()->height(), qRound(8655 * c.s()->logicalDpiY() / 1440.0));
        const bool beef = option == QLatin1String("Option1");
        const bool pork = option == QLatin1String("Option2");
        for (int i : BeefServices)
            QCOMPARE(c.service(i)->isVisible(), beef);
        for (int i : PorkServices)
            QCOMPARE(c.service(i)->isVisible(), pork);
        QCOMPARE(control<QWidget>(c.s(), QStringLiteral("Frame1"))->isVisible(), pork);
        QCOMPARE(control<QWidget>(c.s(), QStringLiteral("Label7"))->isVisible(), pork);
        const char* captions[] = {"Tenderising", "Minute Steaks", "ExtraBoning",   "Curing",
                                  "Sausage",     "Paper Wrapp",   "Fajita Strips", "Slicing"};
        for (int i : BeefServices)
            QCOMPARE(c.service(i)->text(), QLatin1String(captions[i]));
        const char* porkCaptions[] = {"Curing", "Sausage", "Cutlets", "Cooling", "Quartering"};
        for (int i : PorkServices)
            QCOMPARE(c.service(i)->text(), QLatin1String(porkCaptions[i - 9]));
        // A later change of species shows or hides nothing.
        c.pick("Option3");
        for (int i : BeefServices)
            QCOMPARE(c.service(i)->isVisible(), beef);
    }

    void withoutThePriceListSomeServicesAreRefused()
    {
        Counter c;
        c.startWithoutFile();
        c.animal("Option1", QStringLiteral("1000"));
        for (int i : {4, 6, 7}) {
            c.dialogs.press(QMessageBox::Ok);
            c.tick(i);
            QCOMPARE(c.dialogs.seen().last().text, Refused);
            QVERIFY(c.service(i)->isChecked()); // the box stays as the click left it
            QVERIFY(!c.edit(QStringLiteral("Text6_%1").arg(i))->isVisible());
        }
        c.pick("Option2");
        c.expand();
        for (int i : PorkServices) {
            c.dialogs.press(QMessageBox::Ok);
            c.tick(i);
            QCOMPARE(c.dialogs.seen().last().text, Refused);
            QCOMPARE(c.dialogs.seen().last().title, QStringLiteral("Locker Estimate"));
        }
        QCOMPARE(c.dialogs.seen().size(), 1 + 3 + 5);
        // Tenderising, Minute Steaks, ExtraBoning, Curing and Paper Wrapp work.
        for (int i : {0, 1, 3, 5}) {
            c.tick(i);
            QVERIFY(c.edit(QStringLiteral("Text6_%1").arg(i))->isVisible());
            QVERIFY(c.edit(QStringLiteral("Text6_%1").arg(i + 9))->isVisible());
        }
        QCOMPARE(c.dialogs.seen().size(), 9);
        QCOMPARE(c.dialogs.unexpected(), 0);
        QVERIFY(c.totalIsTrue());
    }

    void workedExampleWithoutThePriceList()
    {
        Counter c;
        c.startWithoutFile();
        c.animal("Option1", QStringLiteral("1000"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("202"));
        c.tick(0);
        QCOMPARE(c.text6(9), QStringLiteral("34.3"));
        QCOMPARE(c.text6(0), QStringLiteral("6.86"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("208.86"));
        c.tick(5);
        QCOMPARE(c.text(QStringLiteral("Text3")), QStringLiteral("235"));
        QCOMPARE(c.text6(14), QStringLiteral("235"));
        QCOMPARE(c.text6(5), QStringLiteral("0"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("258.86"));
        // Unticking the paper wrap puts the ordinary processing price back at once.
        c.tick(5);
        QCOMPARE(c.text(QStringLiteral("Text3")), QStringLiteral("185"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("208.86"));
    }

    void minuteStakesAndTenderisingUseThePriceList()
    {
        Counter c;
        c.file.withSample().price(PriceItem::MinuteSteaks, 0.35);
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(1);
        QCOMPARE(c.text6(10), QStringLiteral("30"));
        QCOMPARE(c.text6(1), QStringLiteral("10.5"));
        c.tick(0);
        QCOMPARE(c.text6(9), QStringLiteral("34.3"));
        QCOMPARE(c.text6(0), QStringLiteral("12")); // 12.005 to the even cent
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("224.5"));
        QVERIFY(c.totalIsTrue());
    }

    void beefChargesAreRoundedToEvenCents_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("rounded");
        QTest::newRow("0.185") << "0.185"
                               << "0.18";
        QTest::newRow("0.195") << "0.195"
                               << "0.2";
        QTest::newRow("12.355") << "12.355"
                                << "12.36";
        QTest::newRow("7") << "7"
                           << "7";
        QTest::newRow("400.005, beyond 16-bit cents") << "400.005"
                                                      << "400";
        QTest::newRow("98765432.125") << "98765432.125"
                                      << "98765432.12";
    }
    void beefChargesAreRoundedToEvenCents()
    {
        QFETCH(QString, typed);
        QFETCH(QString, rounded);
        Counter c;
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(0);
        typeInto(c.edit(QStringLiteral("Text6_0")), typed);
        QVERIFY(c.totalIsTrue()); // a charge typed by hand counts at once
        c.tick(1);                // the next service click rounds
        QCOMPARE(c.text6(0), rounded);
        QVERIFY(c.totalIsTrue());
    }

    void porkChargesAreNotRounded()
    {
        Counter c;
        c.file.withSample().price(PriceItem::Cooling, 0.0125);
        c.startWithSample();
        c.animal("Option2", QStringLiteral("251"));
        QCOMPARE(c.text(QStringLiteral("Text2")), QStringLiteral("165.66"));
        c.tick(12);
        QCOMPARE(c.text6(22), QStringLiteral("165.66"));
        QCOMPARE(c.text6(29), QStringLiteral("2.07075"));
        c.dialogs.press(QMessageBox::Ok);
        c.tick(13);
        QCOMPARE(
            c.dialogs.seen().last().text,
            QStringLiteral(" There Is No Additional Charge For Quartering Same As Processing"));
        QCOMPARE(c.text6(29), QStringLiteral("2.07075"));
        QVERIFY(c.totalIsTrue());
        c.dialogs.press(QMessageBox::Ok);
        c.tick(13); // unticked: the notice again
        QCOMPARE(c.dialogs.seen().size(), 2);
    }

    void untickingFiguresAgainThenZeroesTheCharge()
    {
        Counter c;
        c.startWithoutFile();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(0);
        c.edit(QStringLiteral("Text6_9"))->setText(QStringLiteral("1"));
        c.tick(0);
        QCOMPARE(c.text6(9), QStringLiteral("34.3")); // figured again
        QCOMPARE(c.text6(0), QStringLiteral("0"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("202"));
    }

    void figuresFollowTheLiveWeight()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(0);
        c.tick(1);
        c.tick(5);
        QCOMPARE(c.text(QStringLiteral("Text3")), QStringLiteral("235"));
        c.weight(QStringLiteral("800"));
        QCOMPARE(c.text(QStringLiteral("Text2")), QStringLiteral("400"));
        QCOMPARE(c.text6(9), QStringLiteral("27.44"));
        QCOMPARE(c.text6(0), QStringLiteral("5.49")); // 5.488
        QCOMPARE(c.text6(10), QStringLiteral("24"));
        QCOMPARE(c.text6(1), QStringLiteral("4.8"));
        QCOMPARE(c.text(QStringLiteral("Text3")), QStringLiteral("188")); // paper wrap price kept
        QCOMPARE(c.text6(14), QStringLiteral("188"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("215.29"));
        QVERIFY(c.totalIsTrue());

        Counter p;
        p.startWithSample();
        p.animal("Option2", QStringLiteral("100"));
        p.tick(12);
        QCOMPARE(p.text6(29), QStringLiteral("3.3"));
        p.weight(QStringLiteral("200"));
        QCOMPARE(p.text6(22), QStringLiteral("132"));
        QCOMPARE(p.text6(29), QStringLiteral("6.6"));
        QVERIFY(p.totalIsTrue());
    }

    void totalNeverLies()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        const auto check = [&](const char* step) {
            QVERIFY2(c.totalIsTrue(), step);
        };
        c.tick(0);
        check("tenderising");
        c.weight(QStringLiteral("1234"));
        check("weight");
        c.tick(5);
        check("paper wrap");
        c.weight(QStringLiteral("900"));
        check("weight with paper wrap");
        c.tick(3);
        clickItem(c.cureList(), 1);
        check("cure product");
        c.pick("Option2");
        check("pork chosen");
        typeInto(c.edit(QStringLiteral("Text4")), QStringLiteral("30"));
        check("kill typed");
        typeInto(c.edit(QStringLiteral("Text3")), QStringLiteral("12abc"));
        check("processing typed");
        c.tick(0);
        check("tenderising off");
        c.tick(5);
        check("paper wrap off");
        // A refused click still leaves a total that matches the boxes.
        c.tick(1);
        click(control<QCheckBox>(c.s(), QStringLiteral("Check2")));
        c.dialogs.press(QMessageBox::Ok);
        c.tick(4);
        check("refused sausage");
        c.tick(1);
        check("minute steaks off without the price list");
        QCOMPARE(c.dialogs.unexpected(), 0);
        // The total is figured, never typed.
        QVERIFY(c.edit(QStringLiteral("Text5"))->isReadOnly());
    }

    void unreadableFiguresAreNamed()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(0);
        typeInto(c.edit(QStringLiteral("Text2")), QStringLiteral("heavy"));
        c.dialogs.press(QMessageBox::Ok);
        c.tick(1);
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("hanging weight")));
        QCOMPARE(c.text6(10), QStringLiteral("0"));
        QCOMPARE(c.text6(1), QStringLiteral("0"));
        QVERIFY(c.totalIsTrue());

        typeInto(c.edit(QStringLiteral("Text2")), QStringLiteral("500"));
        typeInto(c.edit(QStringLiteral("Text6_0")), QStringLiteral("six"));
        QVERIFY(IsMarkedInvalid(c.edit(QStringLiteral("Text6_0"))));
        c.dialogs.press(QMessageBox::Ok);
        c.tick(1); // unticked now: figured again, then the charges cannot be rounded
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("Tenderising charge \"six\"")));
        QCOMPARE(c.text6(0), QStringLiteral("six"));
        QVERIFY(c.totalIsTrue());
        // A charge cleared to blanks is nothing to round: no message, it counts as 0.
        typeInto(c.edit(QStringLiteral("Text6_0")), QStringLiteral("  "));
        const int told = c.dialogs.seen().size();
        c.tick(1);
        QCOMPARE(c.dialogs.seen().size(), told);
        QCOMPARE(c.text6(0), QStringLiteral("  "));
        QVERIFY(c.totalIsTrue());
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void missingServiceItemIsNamed()
    {
        Counter c;
        c.file.withSample().without(PriceItem::MinuteSteaks).without(PriceItem::Cooling);
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        c.dialogs.press(QMessageBox::Ok);
        c.tick(0);
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("\"MinuteSteaks\"")));
        QCOMPARE(c.text6(9), QStringLiteral("0"));
        QCOMPARE(c.text6(0), QStringLiteral("0"));
        // Tenderising stays ticked: typing a weight tells it once more, not at each key.
        c.dialogs.press(QMessageBox::Ok);
        c.animal("Option2", QStringLiteral("100"));
        QCOMPARE(c.dialogs.seen().size(), 2);
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("\"MinuteSteaks\"")));
        c.dialogs.press(QMessageBox::Ok);
        c.tick(12);
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("\"Cooling\"")));
        QCOMPARE(c.text6(29), QStringLiteral("0"));
        QVERIFY(c.totalIsTrue());
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void totFocusRefiguresTheTotal()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(2); // ExtraBoning: its charge comes from a worksheet
        typeInto(c.edit(QStringLiteral("Text6_2")), QStringLiteral("12.5"));
        c.screen->refigureTotalThroughTot();
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("214.5"));
        QVERIFY(!control<QWidget>(c.s(), QStringLiteral("tot"))->isVisible());
        QTRY_VERIFY(c.edit(QStringLiteral("Text2"))->hasFocus());
        Estimate& estimate = c.screen->liveEstimate();
        QVERIFY(estimate.applySheet(estimate.identity(), ServiceId::ExtraBoning,
                                    {QStringLiteral("20"), QStringLiteral("3.4"), {}}));
        c.screen->sheetWritten(ServiceId::ExtraBoning);
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("205.4"));
    }

    void aClosedWorksheetOpensAfresh()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(2);
        QWidget* sheet = findScreen(QStringLiteral("frmEB"));
        QVERIFY(sheet);
        field(sheet, QStringLiteral("Text1"))->setText(QStringLiteral("15"));
        sheet->close();
        // Shown again before the closed one is gone: a fresh one all the same.
        c.screen->showWorksheet(ServiceId::ExtraBoning);
        QWidget* again = findScreen(QStringLiteral("frmEB"));
        QVERIFY(again && again != sheet);
        QCOMPARE(textOf(again, QStringLiteral("Text1")), QStringLiteral("0"));
        // While it is open, showing it again brings the same one forward.
        c.screen->showWorksheet(ServiceId::ExtraBoning);
        QCOMPARE(findScreen(QStringLiteral("frmEB")), again);
    }

    void cureProductsWorkedExample()
    {
        Counter c;
        c.startWithoutFile();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(3);
        QVERIFY(c.cureList()->isVisible());
        QVERIFY(c.cureList()->hasFocus());
        const QStringList items = {"Beef Bacon (Brisket)", "Beef Bacon (Ribs)",
                                   "Corned Beef (Brisket)", "Corned Beef (Round)", "BBQ Brisket"};
        QCOMPARE(c.cureList()->count(), items.size());
        for (int i = 0; i < items.size(); ++i)
            QCOMPARE(c.cureList()->item(i)->text(), items[i]);
        clickItem(c.cureList(), 0);
        clickItem(c.cureList(), 1);
        QCOMPARE(c.text6(12), QStringLiteral("15"));
        QCOMPARE(c.text6(3), QStringLiteral("6.3"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("208.3"));
        c.dialogs.press(QMessageBox::No);
        clickItem(c.cureList(), 3);
        const SeenDialog asked = c.dialogs.seen().last();
        QCOMPARE(asked.text, QStringLiteral("Are we Making Top Round Only Corned?"));
        QCOMPARE(asked.title, QStringLiteral("CORNED BEEF BRISKET"));
        QCOMPARE(asked.icon, QMessageBox::Question);
        QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(c.text6(12), QStringLiteral("48"));
        QCOMPARE(c.text6(3), QStringLiteral("20.16"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("222.16"));
        // Asked once while it stays selected.
        clickItem(c.cureList(), 1);
        QCOMPARE(c.dialogs.seen().size(), 2);
        QCOMPARE(c.text6(12), QStringLiteral("40.5"));
        // Unselected and selected again: asked again; Yes corns the top round only.
        clickItem(c.cureList(), 3);
        QCOMPARE(c.text6(12), QStringLiteral("7.5"));
        c.dialogs.press(QMessageBox::Yes);
        clickItem(c.cureList(), 3);
        QCOMPARE(c.dialogs.seen().size(), 3);
        QCOMPARE(c.text6(12), QStringLiteral("24"));
        QCOMPARE(c.text6(3), QStringLiteral("10.08"));
        // Nothing selected: no pounds and no charge.
        clickItem(c.cureList(), 0);
        clickItem(c.cureList(), 3);
        QCOMPARE(c.text6(12), QStringLiteral("0"));
        QCOMPARE(c.text6(3), QStringLiteral("0"));
        QVERIFY(c.totalIsTrue());
    }

    void cureProductsUseTheCuringPrice()
    {
        Counter c;
        c.file.withSample().price(PriceItem::Curing, 0.5);
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(3);
        clickItem(c.cureList(), 4);
        QCOMPARE(c.text6(12), QStringLiteral("7.5"));
        QCOMPARE(c.text6(3), QStringLiteral("3.75"));
        QVERIFY(c.totalIsTrue());
    }

    void onlyTwoBriskets()
    {
        Counter c;
        c.startWithoutFile();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(3);
        clickItem(c.cureList(), 1);
        c.dialogs.press(QMessageBox::No);
        clickItem(c.cureList(), 3);
        clickItem(c.cureList(), 0);
        clickItem(c.cureList(), 2);
        c.dialogs.press(QMessageBox::Ok);
        clickItem(c.cureList(), 4);
        QCOMPARE(c.dialogs.seen().last().text,
                 QStringLiteral("There Are only 2 Briskets On A Beef Please select only 2 "
                                "Brisket Options"));
        for (int i : {0, 2, 4})
            QVERIFY(!c.cureList()->item(i)->isSelected());
        for (int i : {1, 3})
            QVERIFY(c.cureList()->item(i)->isSelected());
        // What stays selected is figured again: pounds and charge agree.
        QCOMPARE(c.text6(12), QStringLiteral("40.5")); // 500 x (0.015 + 0.066)
        QCOMPARE(c.text6(3), QStringLiteral("17.01"));
        QVERIFY(c.totalIsTrue());
        QCOMPARE(c.dialogs.seen().size(), 3); // the top-round answer stands
    }
};

QTEST_MAIN(TestEstimateServices)
#include "test_estimate_services.moc"
