// The Estimate screen's top band: start-up, species, weights and the
// processing charge, driven through the real screen.

#include "estimate_counter.h"
#include "pricelist/price_items.h"
#include "screens/estimate_screen.h"
#include "test_price_list.h"
#include "ui/field_cues.h"
#include "widgets.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace {

const QString Notice = QStringLiteral("This Program Was designed to be used by Tallowbrook "
                                      "Processing. Some Prices may not be current after 1/1/2015.");

// One counter: a price list file, the clerk's answers, the Estimate screen.
using Counter = EstimateCounter;

} // namespace

class TestEstimateScreen : public QObject {
    Q_OBJECT

private slots:
    void controlsCarryTheirNamesAndCaptions()
    {
        Counter c;
        c.file.withSample();
        c.start();
        QWidget* s = c.screen.get();
        QCOMPARE(s->objectName(), QStringLiteral("frmEst"));
        QCOMPARE(s->windowTitle(), QStringLiteral("Estimate"));
        QVERIFY(findScreen(QStringLiteral("frmEst")) == s);
        const std::pair<const char*, const char*> captions[] = {
            {"Label5", "Total Estimated Price"},
            {"Label1", "Live Weight"},
            {"Label2", "Hanging Weight"},
            {"Label3", "Processing Charge"},
            {"Label4", "Kill Charge"},
            {"Label7", "Only Applies When We Dont Process The Pork"}};
        for (const auto& [name, caption] : captions)
            QCOMPARE(control<QLabel>(s, QLatin1String(name))->text(), QLatin1String(caption));
        QCOMPARE(control<QRadioButton>(s, QStringLiteral("Option1"))->text(),
                 QStringLiteral("Beef"));
        QCOMPARE(control<QRadioButton>(s, QStringLiteral("Option2"))->text(),
                 QStringLiteral("Pork"));
        QCOMPARE(control<QRadioButton>(s, QStringLiteral("Option3"))->text(),
                 QStringLiteral("Deer"));
        QCOMPARE(control<QPushButton>(s, QStringLiteral("Command1"))->text(),
                 QStringLiteral("Click To Add Other Charges"));
        for (const char* name : {"Text1", "Text2", "Text3", "Text4", "Text5"})
            QCOMPARE(c.text(name), QStringLiteral("0"));
        for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13})
            QVERIFY(!control<QCheckBox>(s, QStringLiteral("Check1_%1").arg(i))->isVisible());
        for (int i : {0,  1,  2,  3,  4,  5,  6,  7,  9,  10, 11, 12, 13,
                      14, 15, 16, 19, 20, 21, 22, 23, 26, 27, 28, 29, 30}) {
            QLineEdit* f = field(s, QStringLiteral("Text6_%1").arg(i));
            QCOMPARE(f->text(), QStringLiteral("0"));
            QVERIFY(!f->isVisible());
        }
        QVERIFY(!control<QWidget>(s, QStringLiteral("List1"))->isVisible());
        QVERIFY(!control<QWidget>(s, QStringLiteral("Frame1"))->isVisible());
        QVERIFY(!control<QWidget>(s, QStringLiteral("tot"))->isVisible());
        // Collapsed to 3500 twips: only the top band shows.
        QCOMPARE(s->height(), qRound(3500 * s->logicalDpiY() / 1440.0));
        QVERIFY(c.flag()->isChecked());
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void startWithoutPriceListUsesBuiltInPrices()
    {
        Counter c;
        c.dialogs.press(QMessageBox::Ok);
        c.start();
        QCOMPARE(c.dialogs.seen().size(), 1);
        QCOMPARE(c.dialogs.seen()[0].text, Notice);
        QCOMPARE(c.dialogs.seen()[0].title, QStringLiteral("Locker Estimate"));
        QCOMPARE(c.dialogs.seen()[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!c.flag()->isChecked());
        QVERIFY(!QFileInfo::exists(c.file.path()));

        // The worked example: Beef, then 1000 typed digit by digit.
        c.pick("Option1");
        QCOMPARE(c.text("Text4"), QStringLiteral("17.00"));
        QCOMPARE(control<QLabel>(c.screen.get(), QStringLiteral("Label6"))->text(),
                 QStringLiteral("About 1/2 Of Live Weight"));
        QVERIFY(c.edit("Text1")->hasFocus());
        c.weight(QStringLiteral("1000"));
        QCOMPARE(c.text("Text2"), QStringLiteral("500"));
        QCOMPARE(c.text("Text3"), QStringLiteral("185"));
        QCOMPARE(c.text("Text5"), QStringLiteral("202"));

        c.pick("Option2");
        QCOMPARE(c.text("Text4"), QStringLiteral("17"));
        QCOMPARE(control<QLabel>(c.screen.get(), QStringLiteral("Label6"))->text(),
                 QStringLiteral("About 2/3 Of Live Weight"));
        // The estimate follows the species at once: 2/3 of the weight typed.
        QCOMPARE(c.text("Text2"), QStringLiteral("660"));
        QCOMPARE(c.text("Text3"), QStringLiteral("244.2"));
        QCOMPARE(c.text("Text5"), QStringLiteral("261.2"));
        c.weight(QStringLiteral("251"));
        QCOMPARE(c.text("Text2"), QStringLiteral("165.66"));
        QCOMPARE(c.text("Text3"), QStringLiteral("61.2942"));
        QCOMPARE(c.dialogs.seen().size(), 1);
    }

    void startWithDamagedFileLeavesTheFlagUnticked()
    {
        Counter c;
        QFile f(c.file.path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is no database, just text that happens to sit at the price list's path");
        f.close();
        c.dialogs.press(QMessageBox::Ok);
        c.start();
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY2(c.dialogs.seen()[0].text.contains(QLatin1String("26")),
                 qPrintable(c.dialogs.seen()[0].text));
        QVERIFY(c.dialogs.seen()[0].text != Notice);
        QVERIFY(!c.flag()->isChecked());
        c.pick("Option1");
        QCOMPARE(c.text("Text4"), QStringLiteral("17.00"));
    }

    void tickingTheFlagOpensThePriceList()
    {
        Counter c;
        c.dialogs.press(QMessageBox::Ok);
        c.start();
        // Still no file: the clerk is told why and the box goes back.
        c.dialogs.press(QMessageBox::Ok);
        click(c.flag());
        QVERIFY(!c.flag()->isChecked());
        QCOMPARE(c.dialogs.seen().size(), 2);
        QVERIFY(c.dialogs.seen()[1].text.contains(c.file.path()));
        // The file is there now: ticking opens it and prices come from it.
        c.file.withSample().price(PriceItem::BeefKill, 25);
        click(c.flag());
        QVERIFY(c.flag()->isChecked());
        QCOMPARE(c.dialogs.seen().size(), 2);
        c.pick("Option1");
        QCOMPARE(c.text("Text4"), QStringLiteral("25"));
        QFile::remove(c.file.path()); // the clerk may untick and tick again: it stays open
        click(c.flag());
        click(c.flag());
        QVERIFY(c.flag()->isChecked());
    }

    void pricesComeFromThePriceList()
    {
        Counter c;
        c.file.withSample().price(PriceItem::Processing, 0.4).price(PriceItem::PorkKill, 20.5);
        c.start();
        c.pick("Option1");
        QCOMPARE(c.text("Text4"), QStringLiteral("17"));
        c.weight(QStringLiteral("1000"));
        QCOMPARE(c.text("Text2"), QStringLiteral("500"));
        QCOMPARE(c.text("Text3"), QStringLiteral("200"));
        QCOMPARE(c.text("Text5"), QStringLiteral("217"));
        c.pick("Option2");
        QCOMPARE(c.text("Text4"), QStringLiteral("20.5"));
        QCOMPARE(c.text("Text2"), QStringLiteral("660")); // figured for pork at once
        QCOMPARE(c.text("Text3"), QStringLiteral("264"));
        QCOMPARE(c.text("Text5"), QStringLiteral("284.5"));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void deerIsAFlatCharge()
    {
        Counter c;
        c.file.withSample().price(PriceItem::Deer, 95);
        c.start();
        c.pick("Option1");
        c.weight(QStringLiteral("200"));
        c.pick("Option3");
        QCOMPARE(control<QLabel>(c.screen.get(), QStringLiteral("Label1"))->text(),
                 QStringLiteral("Field Dressed"));
        QCOMPARE(control<QLabel>(c.screen.get(), QStringLiteral("Label6"))->text(),
                 QStringLiteral("About 1/2 Of Live Weight"));
        QCOMPARE(c.text("Text3"), QStringLiteral("95"));
        QCOMPARE(c.text("Text4"), QStringLiteral("0"));
        QCOMPARE(c.text("Text5"), QStringLiteral("95"));
        c.weight(QStringLiteral("150"));
        QCOMPARE(c.text("Text2"), QStringLiteral("99"));
        QCOMPARE(c.text("Text3"), QStringLiteral("95"));
        QCOMPARE(c.text("Text5"), QStringLiteral("95"));
    }

    void deerWithoutPriceListIsRefused()
    {
        Counter c;
        c.dialogs.press(QMessageBox::Ok);
        c.start();
        c.pick("Option1");
        c.weight(QStringLiteral("1000"));
        c.dialogs.press(QMessageBox::Ok);
        c.pick("Option3");
        QCOMPARE(c.dialogs.seen().size(), 2);
        QVERIFY(
            c.dialogs.seen()[1].text.contains(QLatin1String("deer charge needs the price list")));
        // No beef left in it: the deer's hanging weight at the built-in processing price,
        // and no kill charge.
        QCOMPARE(c.text("Text2"), QStringLiteral("660"));
        QCOMPARE(c.text("Text3"), QStringLiteral("244.2"));
        QCOMPARE(c.text("Text4"), QStringLiteral("0"));
        QCOMPARE(c.text("Text5"), QStringLiteral("244.2"));
    }

    void deerWithFlagUntickedStillLooksUp()
    {
        Counter c;
        c.file.withSample();
        c.start();
        click(c.flag()); // the clerk unticks it: built-in prices, but the list stays open
        QVERIFY(!c.flag()->isChecked());
        c.pick("Option3");
        // The deer charge is looked up, then processing at the built-in price replaces it.
        QCOMPARE(c.text("Text4"), QStringLiteral("0"));
        QCOMPARE(c.text("Text3"), QStringLiteral("0"));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void missingItemIsNamedAndTheFieldKept()
    {
        Counter c;
        c.file.withSample().without(PriceItem::BeefKill).without(PriceItem::Processing);
        c.start();
        typeInto(c.edit("Text4"), QStringLiteral("3"));
        c.dialogs.press(QMessageBox::Ok).press(QMessageBox::Ok);
        c.pick("Option1");
        QCOMPARE(c.dialogs.seen().size(), 2);
        QVERIFY(c.dialogs.seen()[0].text.contains(
            QLatin1String("\"BeefKill\" is not in the price list")));
        QCOMPARE(c.text("Text4"), QStringLiteral("3"));
        QVERIFY(c.edit("Text4")->property("notFigured").toBool());
        // The missing processing price, told at the click, is not told again at each key.
        QVERIFY(c.dialogs.seen()[1].text.contains(QLatin1String("Processing")));
        c.weight(QStringLiteral("1000"));
        QCOMPARE(c.dialogs.seen().size(), 2);
        QVERIFY(c.edit("Text3")->property("notFigured").toBool());
        QCOMPARE(c.text("Text2"), QStringLiteral("500"));
        QCOMPARE(c.text("Text3"), QStringLiteral("0"));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void unusableWeightIsMarkedNotRefigured_data()
    {
        // Typed key by key: each key refigures while the text is a usable
        // weight, and the last usable one stays figured.
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("hanging");
        QTest::addColumn<QString>("total");
        QTest::newRow("letters") << "abc"
                                 << "500"
                                 << "202";
        QTest::newRow("negative") << "-5"
                                  << "500"
                                  << "202";
        QTest::newRow("above 100,000 pounds") << "100001"
                                              << "5000"
                                              << "1867";
        QTest::newRow("beyond a double") << QString(400, QLatin1Char('9')) << "49999.5"
                                         << "18516.815";
        QTest::newRow("thousands separator") << "1,000"
                                             << "0.5"
                                             << "17.185";
    }
    void unusableWeightIsMarkedNotRefigured()
    {
        QFETCH(QString, typed);
        QFETCH(QString, hanging);
        QFETCH(QString, total);
        Counter c;
        c.file.withSample();
        c.start();
        c.pick("Option1");
        c.weight(QStringLiteral("1000"));
        c.weight(typed);
        QCOMPARE(c.dialogs.seen().size(), 0);
        QCOMPARE(c.text("Text1"), typed);
        QCOMPARE(c.text("Text2"), hanging);
        QCOMPARE(c.text("Text5"), total);
        QVERIFY(IsMarkedInvalid(c.edit("Text1")));
        // Set at once (pasted), the figures stay as they were.
        c.weight(QStringLiteral("1000"));
        c.edit("Text1")->setText(typed);
        QCOMPARE(c.text("Text2"), QStringLiteral("500"));
        QCOMPARE(c.text("Text3"), QStringLiteral("185"));
        QCOMPARE(c.text("Text5"), QStringLiteral("202"));
        c.weight(QStringLiteral("200"));
        QVERIFY(!IsMarkedInvalid(c.edit("Text1")));
        QCOMPARE(c.text("Text2"), QStringLiteral("100"));
        QCOMPARE(c.text("Text5"), QStringLiteral("54"));
    }

    void emptyWeightCountsAsZero()
    {
        Counter c;
        c.file.withSample();
        c.start();
        c.pick("Option1");
        c.weight(QStringLiteral("1000"));
        c.weight(QString());
        QCOMPARE(c.text("Text1"), QString());
        QVERIFY(!IsMarkedInvalid(c.edit("Text1")));
        QCOMPARE(c.text("Text2"), QStringLiteral("0"));
        QCOMPARE(c.text("Text3"), QStringLiteral("0"));
        QCOMPARE(c.text("Text5"), QStringLiteral("17"));
    }

    void clearedHangingWeightStopsRefiguring()
    {
        Counter c;
        c.file.withSample();
        c.start();
        c.pick("Option1");
        c.weight(QStringLiteral("1000"));
        typeInto(c.edit("Text2"), QString());
        c.weight(QStringLiteral("600"));
        QCOMPARE(c.text("Text2"), QString());
        QCOMPARE(c.text("Text3"), QStringLiteral("185"));
        // Typed again by hand, the hanging weight is figured from at once.
        typeInto(c.edit("Text2"), QStringLiteral("300"));
        QCOMPARE(c.text("Text3"), QStringLiteral("111"));
        QCOMPARE(c.text("Text5"), QStringLiteral("128"));
        c.weight(QStringLiteral("700"));
        QCOMPARE(c.text("Text2"), QStringLiteral("350"));
        // A hanging weight edited into a non-number is marked, nothing refigured.
        typeInto(c.edit("Text2"), QStringLiteral("x30"));
        QVERIFY(IsMarkedInvalid(c.edit("Text2")));
        QCOMPARE(c.text("Text3"), QStringLiteral("129.5"));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void beforeAnySpeciesTheFactorIsOneHalf()
    {
        Counter c;
        c.file.withSample();
        c.start();
        c.weight(QStringLiteral("300"));
        QCOMPARE(c.text("Text2"), QStringLiteral("150"));
        QCOMPARE(c.text("Text4"), QStringLiteral("0"));
        QCOMPARE(c.text("Text5"), QStringLiteral("55.5"));
    }

    void theFlagNamesThePriceListFile()
    {
        Counter c;
        c.startWithoutFile();
        QCOMPARE(c.flag()->toolTip(),
                 QStringLiteral("No price list at %1: the built-in prices are in use")
                     .arg(c.file.path()));
        c.file.withSample();
        click(c.flag());
        QCOMPARE(c.flag()->toolTip(), QStringLiteral("Prices come from %1").arg(c.file.path()));
        click(c.flag()); // unticked by hand: the file stays open, and named
        QVERIFY(c.flag()->toolTip().contains(c.file.path()));
        QVERIFY(!c.flag()->toolTip().startsWith(QLatin1String("Prices come from")));
    }

    void enterPressesTheFocusedButtonOnly()
    {
        Counter c;
        c.startWithSample();
        const int collapsed = c.s()->height();
        QTest::keyClick(c.edit("Text1"), Qt::Key_Return);
        QCOMPARE(c.s()->height(), collapsed);
        auto* expand = control<QPushButton>(c.s(), QStringLiteral("Command1"));
        expand->setFocus();
        QTest::keyClick(expand, Qt::Key_Return);
        QVERIFY(c.s()->height() > collapsed);
    }

    void cannotBeShrunkBelowItsBand()
    {
        Counter c;
        c.startWithSample();
        const QSize collapsed(qRound(11025 * c.s()->logicalDpiX() / 1440.0),
                              qRound(3500 * c.s()->logicalDpiY() / 1440.0));
        c.s()->resize(100, 100);
        QCOMPARE(c.s()->size(), collapsed);
        c.expand();
        c.s()->resize(100, 100);
        QCOMPARE(c.s()->size(),
                 QSize(collapsed.width(), qRound(8655 * c.s()->logicalDpiY() / 1440.0)));
    }

    void focusSelectsTheWholeWeight()
    {
        Counter c;
        c.file.withSample();
        c.start();
        c.edit("Text1")->setText(QStringLiteral("1234"));
        c.edit("Text3")->setFocus();
        QTest::keyClick(c.edit("Text3"), Qt::Key_Tab, Qt::ShiftModifier);
        c.edit("Text1")->setFocus();
        QCOMPARE(c.edit("Text1")->selectedText(), QStringLiteral("1234"));
        QTest::keyClicks(c.edit("Text1"), QStringLiteral("8"));
        QCOMPARE(c.text("Text1"), QStringLiteral("8"));
        // A click into the field selects it as well.
        c.edit("Text3")->setFocus();
        QTest::mouseClick(c.edit("Text1"), Qt::LeftButton);
        QTRY_COMPARE(c.edit("Text1")->selectedText(), QStringLiteral("8"));
    }
};

QTEST_MAIN(TestEstimateScreen)
#include "test_estimate_screen.moc"
