// The Estimate screen over a real price list file: its controls found by
// name, the clerk's clicks and keys reaching the estimate and the fields
// showing its value, the message boxes, the marks on the fields, focus,
// heights, the hidden tot target and the price list flag; and the road of one
// estimate through the real screens. What the estimate figures is tested on
// the estimate itself (test_estimate).

#include "estimate_counter.h"
#include "pricelist/price_items.h"
#include "screens/estimate_screen.h"
#include "test_price_list.h"
#include "ui/field_cues.h"
#include "widgets.h"

#include <QAccessible>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

using Counter = EstimateCounter;

const QString Notice = QStringLiteral("This Program Was designed to be used by Tallowbrook "
                                      "Processing. Some Prices may not be current after 1/1/2015.");
const QColor PaleRed(255, 200, 200);

int twipsY(const QWidget* w, int twips)
{
    return qRound(twips * w->logicalDpiY() / 1440.0);
}

bool marked(const Counter& c, const QString& name, const char* mark)
{
    return c.edit(name)->property(mark).toBool();
}

QColor base(const Counter& c, const QString& name)
{
    return c.edit(name)->palette().color(QPalette::Base);
}

// What the screen shows that is not the estimate's value, by control name.
QStringList notShowingTheEstimate(const Counter& c)
{
    const Estimate& e = c.screen->estimate();
    QStringList wrong;
    const std::pair<const char*, QString> fields[] = {
        {"Text1", e.liveWeight()}, {"Text2", e.hangingWeight()}, {"Text3", e.processingCharge()},
        {"Text4", e.killCharge()}, {"Text5", e.total()},
    };
    for (const auto& [name, text] : fields)
        if (c.text(QLatin1String(name)) != text)
            wrong << QLatin1String(name);
    if (control<QLabel>(c.s(), QStringLiteral("Label1"))->text() != e.weightCaption())
        wrong << QStringLiteral("Label1");
    if (control<QLabel>(c.s(), QStringLiteral("Label6"))->text() != e.speciesHint())
        wrong << QStringLiteral("Label6");
    const EstimateShown& shown = e.value().shown;
    for (const ServiceInfo& s : Services()) {
        const int i = static_cast<int>(s.id);
        const ServiceRow& row = e.row(s.id);
        const QString weight = QStringLiteral("Text6_%1").arg(WeightField(s.id));
        const QString charge = QStringLiteral("Text6_%1").arg(ChargeField(s.id));
        if (c.text(weight) != row.weight.text ||
            c.edit(weight)->isVisible() != shown.fieldsShown[i])
            wrong << weight;
        if (c.text(charge) != row.charge.text ||
            c.edit(charge)->isVisible() != shown.fieldsShown[i])
            wrong << charge;
        QCheckBox* box = c.service(ServiceBox(s.id));
        if (box->isChecked() != row.ticked || box->isVisible() != shown.boxShown[i])
            wrong << box->objectName();
    }
    for (int i = 0; i < EstimateRules::CureProductCount; ++i)
        if (c.cureList()->item(i)->isSelected() != e.value().cure[i])
            wrong << QStringLiteral("List1 item %1").arg(i);
    if (c.cureList()->isVisible() != shown.cureProductsShown)
        wrong << QStringLiteral("List1");
    return wrong;
}

} // namespace

class TestEstimateScreen : public QObject {
    Q_OBJECT

private slots:
    // Every control is found by its name; the screen starts collapsed, every
    // field at 0, the lower band hidden, the flag ticked, nothing told.
    void controlsAtStartUp()
    {
        Counter c;
        c.startWithSample();
        QWidget* s = c.s();
        QCOMPARE(findScreen(QStringLiteral("frmEst")), s);
        QCOMPARE(s->windowTitle(), QStringLiteral("Estimate"));
        for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6"})
            control<QLabel>(s, QLatin1String(name));
        for (const char* name : {"Option1", "Option2", "Option3"})
            control<QRadioButton>(s, QLatin1String(name));
        control<QPushButton>(s, QStringLiteral("Command1"));
        for (const char* name : {"Text1", "Text2", "Text3", "Text4", "Text5"})
            QCOMPARE(c.text(QLatin1String(name)), QStringLiteral("0"));
        QVERIFY(c.edit(QStringLiteral("Text5"))->isReadOnly()); // the total is figured, never typed
        for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13})
            QVERIFY(!c.service(i)->isVisible());
        for (int i : {0,  1,  2,  3,  4,  5,  6,  7,  9,  10, 11, 12, 13,
                      14, 15, 16, 19, 20, 21, 22, 23, 26, 27, 28, 29, 30}) {
            QCOMPARE(c.text6(i), QStringLiteral("0"));
            QVERIFY(!c.edit(QStringLiteral("Text6_%1").arg(i))->isVisible());
        }
        for (const char* name : {"List1", "Frame1", "Label7", "tot"})
            QVERIFY(!control<QWidget>(s, QLatin1String(name))->isVisible());
        QVERIFY(notShowingTheEstimate(c).isEmpty());
        QVERIFY(c.flag()->isChecked());
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    // Without a price list that can be read, the start-up tells it in a
    // message box and leaves the flag unticked; no file is made.
    void startUpWithoutAPriceList_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("told");
        QTest::addColumn<int>("icon");
        QTest::newRow("no price list") << QByteArray() << Notice << int(QMessageBox::NoIcon);
        QTest::newRow("not a price list")
            << QByteArray("this is no database, just text that happens to sit at the price "
                          "list's path")
            << "26" << int(QMessageBox::Warning);
    }
    void startUpWithoutAPriceList()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, told);
        QFETCH(int, icon);
        Counter c;
        if (!file.isEmpty())
            writeFile(c.file.path(), file);
        c.dialogs.press(QMessageBox::Ok);
        c.start();
        QCOMPARE(c.dialogs.seen().size(), 1);
        const SeenDialog seen = c.dialogs.seen()[0];
        QVERIFY2(seen.text.contains(told), qPrintable(seen.text));
        QCOMPARE(seen.title, QStringLiteral("Locker Estimate"));
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(int(seen.icon), icon);
        QVERIFY(!c.flag()->isChecked());
        QCOMPARE(QFileInfo::exists(c.file.path()), !file.isEmpty());
        c.pick(QStringLiteral("Option1"));
        QCOMPARE(c.text(QStringLiteral("Text4")), QStringLiteral("17.00"));
    }

    // Each click and key reaches the estimate, and every field, box, caption
    // and the cure product list show its value after it.
    void clicksAndKeysReachTheEstimate()
    {
        Counter c;
        c.startWithSample();
        const Estimate& e = c.screen->estimate();
        const auto shows = [](const Counter& counter, const char* what) {
            const QStringList wrong = notShowingTheEstimate(counter);
            QVERIFY2(wrong.isEmpty(), qPrintable(QLatin1String(what) + QStringLiteral(": ") +
                                                 wrong.join(QLatin1Char(' '))));
        };
        c.pick(QStringLiteral("Option1"));
        shows(c, "beef");
        QCOMPARE(e.species(), Species::Beef);
        QVERIFY(c.edit(QStringLiteral("Text1"))->hasFocus());
        c.weight(QStringLiteral("1000"));
        shows(c, "live weight");
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("202"));
        typeInto(c.edit(QStringLiteral("Text2")), QStringLiteral("300"));
        shows(c, "hanging weight");
        QCOMPARE(c.text(QStringLiteral("Text3")), QStringLiteral("111"));
        typeInto(c.edit(QStringLiteral("Text4")), QStringLiteral("20"));
        shows(c, "kill charge");
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("131"));
        typeInto(c.edit(QStringLiteral("Text3")), QStringLiteral("100"));
        shows(c, "processing charge");
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("120"));

        const int collapsed = c.s()->height();
        c.expand();
        shows(c, "expanded");
        QVERIFY(c.s()->height() > collapsed);
        c.tick(0);
        shows(c, "tenderising");
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("124.12"));
        typeInto(c.edit(QStringLiteral("Text6_0")), QStringLiteral("5"));
        shows(c, "tenderising charge");
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("125"));
        typeInto(c.edit(QStringLiteral("Text6_9")), QStringLiteral("7"));
        shows(c, "tenderising weight");
        QVERIFY(e.row(ServiceId::Tenderising).weight.typed);
        c.tick(3);
        shows(c, "curing");
        QVERIFY(c.cureList()->hasFocus());
        clickItem(c.cureList(), 1);
        shows(c, "a cure product");
        QCOMPARE(c.text(QStringLiteral("Text6_3")), QStringLiteral("1.89"));
        c.pick(QStringLiteral("Option3"));
        shows(c, "deer");
        QCOMPARE(control<QLabel>(c.s(), QStringLiteral("Label1"))->text(),
                 QStringLiteral("Field Dressed"));

        Counter p; // the pork column and its note
        p.startWithSample();
        p.pick(QStringLiteral("Option2"));
        p.expand();
        shows(p, "pork expanded");
        QVERIFY(p.service(9)->isVisible() && !p.service(0)->isVisible());
        QVERIFY(control<QWidget>(p.s(), QStringLiteral("Frame1"))->isVisible());
        QVERIFY(control<QWidget>(p.s(), QStringLiteral("Label7"))->isVisible());
        QCOMPARE(c.dialogs.seen().size() + p.dialogs.seen().size(), 0);
    }

    // What the estimate tells or asks is a modal message box with the
    // program's title (or the question's own), its icon and buttons; the list
    // and boxes show what the answer left.
    void messageBoxes()
    {
        Counter c;
        c.startWithoutFile();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        const auto last = [&] {
            return c.dialogs.seen().last();
        };
        const auto check = [](const SeenDialog& d, const QString& title, QMessageBox::Icon icon,
                              QMessageBox::StandardButtons buttons) {
            return d.title == title && d.icon == icon && d.buttons == buttons && !d.input;
        };
        const QString app = QStringLiteral("Locker Estimate");

        c.dialogs.press(QMessageBox::Ok);
        c.tick(4); // the sausage needs the price list
        QCOMPARE(last().text, QStringLiteral("Cannot Use Sausage Program From Here"));
        QVERIFY(check(last(), app, QMessageBox::NoIcon, QMessageBox::Ok));
        QVERIFY(c.service(4)->isChecked()); // the box stays as the click left it
        QVERIFY(!c.edit(QStringLiteral("Text6_4"))->isVisible());

        c.tick(3);
        QVERIFY(c.cureList()->isVisible());
        QCOMPARE(c.s()->focusWidget(), c.cureList());
        clickItem(c.cureList(), 1);
        c.dialogs.press(QMessageBox::No);
        clickItem(c.cureList(), 3);
        QCOMPARE(last().text, QStringLiteral("Are we Making Top Round Only Corned?"));
        QVERIFY(check(last(), QStringLiteral("CORNED BEEF BRISKET"), QMessageBox::Question,
                      QMessageBox::Yes | QMessageBox::No));
        clickItem(c.cureList(), 0);
        clickItem(c.cureList(), 2);
        c.dialogs.press(QMessageBox::Ok);
        clickItem(c.cureList(), 4);
        QCOMPARE(last().text, QStringLiteral("There Are only 2 Briskets On A Beef Please select "
                                             "only 2 Brisket Options"));
        QVERIFY(check(last(), app, QMessageBox::NoIcon, QMessageBox::Ok));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(c.cureList()->item(i)->isSelected(), i == 1 || i == 3);

        c.dialogs.press(QMessageBox::Ok);
        c.pick(QStringLiteral("Option3"));
        QVERIFY(last().text.contains(QLatin1String("deer charge needs the price list")));
        QVERIFY(check(last(), app, QMessageBox::Warning, QMessageBox::Ok));
        QCOMPARE(c.dialogs.seen().size(), 5);
        QCOMPARE(c.dialogs.unexpected(), 0);
        QVERIFY(notShowingTheEstimate(c).isEmpty());
    }

    // A figure that could not be figured is marked "notFigured" with its
    // reason, its text kept; a field whose text is not right is marked
    // invalid, pale red with the problem, until it is mended.
    void notFiguredAndInvalidMarks()
    {
        Counter c;
        c.file.withSample().without(PriceItem::BeefKill).without(PriceItem::Processing);
        c.start();
        typeInto(c.edit(QStringLiteral("Text4")), QStringLiteral("3"));
        c.dialogs.press(QMessageBox::Ok).press(QMessageBox::Ok);
        c.pick(QStringLiteral("Option1"));
        QCOMPARE(c.dialogs.seen().size(), 2);
        QCOMPARE(c.dialogs.seen()[0].icon, QMessageBox::Warning);
        QCOMPARE(c.text(QStringLiteral("Text4")), QStringLiteral("3"));
        for (const char* name : {"Text3", "Text4", "Text5"})
            QVERIFY2(marked(c, QLatin1String(name), "notFigured"), name);
        QVERIFY(c.edit(QStringLiteral("Text4"))->toolTip().contains(QLatin1String("\"BeefKill\"")));
        QVERIFY(!marked(c, QStringLiteral("Text2"), "notFigured"));
        c.file.price(PriceItem::BeefKill, 17).price(PriceItem::Processing, 0.37);
        c.weight(QStringLiteral("1000")); // the prices back: figured, the marks gone
        for (const char* name : {"Text3", "Text4", "Text5"})
            QVERIFY2(!marked(c, QLatin1String(name), "notFigured"), name);
        QVERIFY(c.edit(QStringLiteral("Text4"))->toolTip().isEmpty());
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("202"));

        const QColor plain = base(c, QStringLiteral("Text1"));
        for (const char* typed : {"abc", "-5", "1,000"}) {
            c.weight(QLatin1String(typed));
            QVERIFY2(IsMarkedInvalid(c.edit(QStringLiteral("Text1"))), typed);
            QCOMPARE(base(c, QStringLiteral("Text1")), PaleRed);
            QVERIFY(!c.edit(QStringLiteral("Text1"))->toolTip().isEmpty());
        }
        c.weight(QStringLiteral("200"));
        QVERIFY(!IsMarkedInvalid(c.edit(QStringLiteral("Text1"))));
        QCOMPARE(base(c, QStringLiteral("Text1")), plain);
        c.expand();
        c.tick(0);
        typeInto(c.edit(QStringLiteral("Text6_0")), QStringLiteral("six"));
        QVERIFY(IsMarkedInvalid(c.edit(QStringLiteral("Text6_0"))));
        typeInto(c.edit(QStringLiteral("Text2")), QStringLiteral("x30"));
        QVERIFY(IsMarkedInvalid(c.edit(QStringLiteral("Text2"))));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // A worksheet's row figured for another hanging weight is marked stale
    // (its own colour, not the invalid one, and why as its tool tip) while
    // the hanging weight differs; the invalid mark shows over it while its
    // text is not right. Each row marks its own fields.
    void staleMarks()
    {
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        c.tick(6);
        const auto written = [&](ServiceId service) {
            Estimate& e = c.screen->liveEstimate();
            QVERIFY(e.applySheet(e.identity(), service,
                                 {QStringLiteral("15"), QStringLiteral("18.75"), {}}));
            c.screen->sheetWritten(service);
        };
        written(ServiceId::FajitaStrips);
        const QString charge = QStringLiteral("Text6_6");
        const QColor plain = base(c, charge);
        QVERIFY(!marked(c, QStringLiteral("Text6_15"), "stale") && !marked(c, charge, "stale"));

        c.weight(QStringLiteral("12"));
        QVERIFY(marked(c, QStringLiteral("Text6_15"), "stale") && marked(c, charge, "stale"));
        QCOMPARE(
            c.edit(charge)->toolTip(),
            QStringLiteral("Figured for a hanging weight of 500 lb; open the worksheet again"));
        QVERIFY(!IsMarkedInvalid(c.edit(charge)));
        QVERIFY(base(c, charge) != plain && base(c, charge) != PaleRed);
        QCOMPARE(c.text(charge), QStringLiteral("18.75"));

        typeInto(c.edit(charge), QStringLiteral("x"));
        QVERIFY(IsMarkedInvalid(c.edit(charge)));
        QCOMPARE(c.edit(charge)->toolTip(), QStringLiteral("\"x\" is not a number."));
        typeInto(c.edit(charge), QStringLiteral("18.75"));
        QVERIFY(c.edit(charge)->toolTip().startsWith(QLatin1String("Figured for")));

        c.weight(QStringLiteral("1000")); // the weight it was figured for
        QVERIFY(!marked(c, QStringLiteral("Text6_15"), "stale") && !marked(c, charge, "stale"));
        QCOMPARE(base(c, charge), plain);
        QVERIFY(c.edit(charge)->toolTip().isEmpty());
        c.weight(QStringLiteral("800"));
        QVERIFY(marked(c, charge, "stale"));
        c.tick(6); // unticked: its figures no longer count
        QVERIFY(!marked(c, QStringLiteral("Text6_15"), "stale") && !marked(c, charge, "stale"));

        c.pick(QStringLiteral("Option2"));
        c.expand();
        for (const int box : {9, 10, 11}) {
            c.tick(box);
            written(ServiceAtBox(box)->id);
        }
        c.weight(QStringLiteral("300"));
        for (const int field : {19, 20, 21, 26, 27, 28})
            QVERIFY2(marked(c, QStringLiteral("Text6_%1").arg(field), "stale"),
                     qPrintable(QString::number(field)));
        QVERIFY(!marked(c, QStringLiteral("Text6_22"), "stale"));
    }

    // Showing the estimate writes only the fields whose text changes: a
    // field that already shows its figure keeps its cursor, and one that
    // shows something else gets the estimate's figure.
    void fieldsAreWrittenOnlyWhenTheyChange()
    {
        Counter c;
        c.startWithSample();
        c.pick(QStringLiteral("Option1"));
        c.expand();
        QLineEdit* beefCharge = c.edit(QStringLiteral("Text6_5"));
        QLineEdit* porkCharge = c.edit(QStringLiteral("Text6_26"));
        QLineEdit* steaks = c.edit(QStringLiteral("Text6_1"));
        QLineEdit* total = c.edit(QStringLiteral("Text5"));
        beefCharge->setCursorPosition(0);
        porkCharge->setCursorPosition(0);
        steaks->setText(QStringLiteral("12.5")); // not through the estimate
        QSignalSpy beefWrites(beefCharge, &QLineEdit::textChanged);

        c.weight(QStringLiteral("1250"));
        QCOMPARE(total->text(), QStringLiteral("248.25"));
        QCOMPARE(beefCharge->text(), QStringLiteral("0"));
        QCOMPARE(beefCharge->cursorPosition(), 0);
        QCOMPARE(porkCharge->cursorPosition(), 0);
        QCOMPARE(beefWrites.count(), 0);
        QCOMPARE(steaks->text(), QStringLiteral("0"));

        total->setCursorPosition(1);
        c.pick(QStringLiteral("Option1")); // beef again: the same figures
        QCOMPARE(total->text(), QStringLiteral("248.25"));
        QCOMPARE(total->cursorPosition(), 1);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // The curing worksheet gives the hidden tot button the focus to have the
    // total figured; the focus goes back to the hanging weight. A worksheet's
    // row written is shown at once.
    void theTotTargetFiguresTheTotal()
    {
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
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
        QCOMPARE(c.text6(11), QStringLiteral("20"));
    }

    void aClosedWorksheetOpensAfresh()
    {
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
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

    // The flag's tool tip names the price list file and says whose prices are
    // in use; ticking it opens the file once it is there (a warning naming
    // the file while it is not), and it stays open after.
    void thePriceListFlag()
    {
        Counter c;
        c.startWithoutFile();
        QCOMPARE(c.flag()->toolTip(),
                 QStringLiteral("No price list at %1: the built-in prices are in use")
                     .arg(c.file.path()));
        c.dialogs.press(QMessageBox::Ok);
        click(c.flag());
        QVERIFY(!c.flag()->isChecked());
        QCOMPARE(c.dialogs.seen().size(), 2);
        QVERIFY(c.dialogs.seen()[1].text.contains(c.file.path()));
        QCOMPARE(c.dialogs.seen()[1].icon, QMessageBox::Warning);

        c.file.withSample().price(PriceItem::BeefKill, 25);
        click(c.flag());
        QVERIFY(c.flag()->isChecked());
        QCOMPARE(c.flag()->toolTip(), QStringLiteral("Prices come from %1").arg(c.file.path()));
        c.pick(QStringLiteral("Option1"));
        QCOMPARE(c.text(QStringLiteral("Text4")), QStringLiteral("25"));
        click(c.flag()); // unticked by hand: the file stays open, and named
        QVERIFY(c.flag()->toolTip().contains(c.file.path()));
        QVERIFY(!c.flag()->toolTip().startsWith(QLatin1String("Prices come from")));
        QCOMPARE(c.text(QStringLiteral("Text4")), QStringLiteral("17.00"));
        // Ticked again with the file gone: it is not opened again (the file
        // it has open is found gone at the lookup, and that is told).
        QFile::remove(c.file.path());
        c.dialogs.press(QMessageBox::Ok);
        click(c.flag());
        QVERIFY(c.flag()->isChecked());
        QCOMPARE(c.dialogs.seen().size(), 3);
        QVERIFY(!c.dialogs.seen()[2].text.startsWith(
            QLatin1String("The price list could not be opened")));
        QVERIFY(marked(c, QStringLiteral("Text4"), "notFigured"));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void enterPressesTheFocusedButtonOnly()
    {
        Counter c;
        c.startWithSample();
        const int collapsed = c.s()->height();
        QTest::keyClick(c.edit(QStringLiteral("Text1")), Qt::Key_Return);
        QCOMPARE(c.s()->height(), collapsed);
        auto* expand = control<QPushButton>(c.s(), QStringLiteral("Command1"));
        expand->setFocus();
        QTest::keyClick(expand, Qt::Key_Return);
        QVERIFY(c.s()->height() > collapsed);
    }

    // On a display that holds it, the screen shows its band whole: no scroll
    // bar, nothing cut at the right, no empty band under the last control;
    // and it cannot be made smaller than that.
    void fitsItsBandWithoutScrollBars()
    {
        Counter c;
        c.startWithSample();
        auto* area = control<QScrollArea>(c.s(), QStringLiteral("scrollArea"));
        const auto fits = [&](const char* band, bool lowestShown) {
            QApplication::processEvents();
            QVERIFY2(!area->horizontalScrollBar()->isVisible(), band);
            QVERIFY2(!area->verticalScrollBar()->isVisible(), band);
            int bottom = 0;
            for (const QWidget* w : area->widget()->findChildren<QWidget*>()) {
                if (!w->isVisible() || w->parentWidget() != area->widget())
                    continue;
                const QRect at(w->mapTo(area->viewport(), QPoint(0, 0)), w->size());
                QVERIFY2(area->viewport()->rect().contains(at),
                         qPrintable(QLatin1String(band) + QLatin1Char(' ') + w->objectName()));
                bottom = std::max(bottom, at.bottom());
            }
            if (lowestShown)
                QVERIFY2(area->viewport()->height() - bottom < twipsY(c.s(), 300), band);
            const QSize size = c.s()->size();
            c.s()->resize(100, 100);
            QCOMPARE(c.s()->size(), size);
        };
        fits("collapsed", true); // down to the line under the top band
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        fits("expanded", true); // down to the beef column's last service
        c.pick(QStringLiteral("Option2"));
        fits("pork", false); // the pork column reaches furthest right
    }

    // From the keyboard alone: each species has its keys, Tab follows the
    // screen from the top left and passes the figured total by, and a screen
    // reader names each field by its caption.
    void theKeyboardReachesEveryChoice()
    {
        Counter c;
        c.startWithSample();
        QApplication::setActiveWindow(c.s());
        const Estimate& e = c.screen->estimate();
        QTest::keyClick(c.s(), Qt::Key_B, Qt::AltModifier);
        QCOMPARE(e.species(), Species::Beef);
        QVERIFY(c.edit(QStringLiteral("Text1"))->hasFocus());
        QTest::keyClick(c.s(), Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(e.species(), Species::Pork);
        QTest::keyClick(c.s(), Qt::Key_D, Qt::AltModifier);
        QCOMPARE(e.species(), Species::Deer);
        QVERIFY(control<QRadioButton>(c.s(), QStringLiteral("Option3"))->isChecked());

        QStringList order;
        c.flag()->setFocus();
        for (int i = 0; i < 40 && !order.contains(QApplication::focusWidget()->objectName()); ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        // The species are one stop, the one chosen: the arrows move along them.
        QCOMPARE(order.mid(0, 4),
                 (QStringList{QStringLiteral("Check2"), QStringLiteral("Text1"),
                              QStringLiteral("cmdShares"), QStringLiteral("Option3")}));
        QVERIFY(!order.contains(QStringLiteral("Option1")));
        QVERIFY(!order.contains(QStringLiteral("Text5")));
        QVERIFY(order.indexOf(QStringLiteral("Text4")) < order.indexOf(QStringLiteral("cmdPrint")));
        // The bottom row, then round: the booking, the cut sheet and the
        // day's board under the weights and the buttons.
        QCOMPARE(order.mid(order.size() - 4),
                 (QStringList{QStringLiteral("cmdPrint"), QStringLiteral("cmdBookKillDate"),
                              QStringLiteral("cmdCutSheet"), QStringLiteral("cmdDayBoard")}));

        const auto nameOf = [&](const char* field) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(
                control<QWidget>(c.s(), QLatin1String(field)));
            return a ? a->text(QAccessible::Name) : QString();
        };
        QCOMPARE(nameOf("Text1"), QStringLiteral("Field Dressed"));
        QCOMPARE(nameOf("Text2"), QStringLiteral("Hanging Weight"));
        QCOMPARE(nameOf("Text5"), QStringLiteral("Total Estimated Price"));
        QCOMPARE(nameOf("Text6_9"), c.service(0)->text() + QStringLiteral(" weight"));
        // From the species' stop, the arrows choose another.
        auto* deer = control<QRadioButton>(c.s(), QStringLiteral("Option3"));
        deer->setFocus();
        QTest::keyClick(deer, Qt::Key_Left);
        QCOMPARE(e.species(), Species::Pork);
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void focusSelectsTheWholeWeight()
    {
        Counter c;
        c.startWithSample();
        c.edit(QStringLiteral("Text1"))->setText(QStringLiteral("1234"));
        c.edit(QStringLiteral("Text3"))->setFocus();
        QTest::keyClick(c.edit(QStringLiteral("Text3")), Qt::Key_Tab, Qt::ShiftModifier);
        c.edit(QStringLiteral("Text1"))->setFocus();
        QCOMPARE(c.edit(QStringLiteral("Text1"))->selectedText(), QStringLiteral("1234"));
        QTest::keyClicks(c.edit(QStringLiteral("Text1")), QStringLiteral("8"));
        QCOMPARE(c.text(QStringLiteral("Text1")), QStringLiteral("8"));
        // A click into the field selects it as well.
        c.edit(QStringLiteral("Text3"))->setFocus();
        QTest::mouseClick(c.edit(QStringLiteral("Text1")), Qt::LeftButton);
        QTRY_COMPARE(c.edit(QStringLiteral("Text1"))->selectedText(), QStringLiteral("8"));

        // From the keyboard, a field's "0" is replaced by what is typed: the
        // next customer (Ctrl+N, No to saving), Beef, 900.
        QApplication::setActiveWindow(c.s());
        c.dialogs.press(QMessageBox::No);
        QTest::keyClick(c.s(), Qt::Key_N, Qt::ControlModifier);
        QApplication::setActiveWindow(c.s()); // back from the question, as on a desktop
        QTest::keyClick(c.s(), Qt::Key_B, Qt::AltModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("900"));
        QCOMPARE(c.text(QStringLiteral("Text1")), QStringLiteral("900"));
        // Any field of the screen holding its "0", reached by Tab.
        c.dialogs.press(QMessageBox::No);
        QTest::keyClick(c.s(), Qt::Key_N, Qt::ControlModifier);
        QApplication::setActiveWindow(c.s());
        c.edit(QStringLiteral("Text4"))->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(c.edit(QStringLiteral("Text4")), QStringLiteral("31"));
        QCOMPARE(c.text(QStringLiteral("Text4")), QStringLiteral("31"));
    }

    // The whole road of one estimate against the sample price list (BeefKill
    // 17.00, Processing 0.37, Slicing 1.50, MinuteSteaks 0.20): beef, its live
    // weight, the services, the slicing for jerky figured on its worksheet,
    // then tenderising.
    void oneBeefFromKillToTenderising()
    {
        Counter c;
        c.startWithSample();
        QVERIFY(c.flag()->isChecked());
        c.pick(QStringLiteral("Option1"));
        QCOMPARE(c.text(QStringLiteral("Text4")), QStringLiteral("17"));
        QCOMPARE(control<QLabel>(c.s(), QStringLiteral("Label1"))->text(),
                 QStringLiteral("Live Weight"));
        // 1000 pounds live: hanging 500, processing 500 x 0.37 = 185, total 17 + 185.
        c.weight(QStringLiteral("1000"));
        QCOMPARE(c.text(QStringLiteral("Text2")), QStringLiteral("500"));
        QCOMPARE(c.text(QStringLiteral("Text3")), QStringLiteral("185"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("202"));
        c.expand();
        for (int i = 0; i <= 7; ++i)
            QVERIFY(c.service(i)->isVisible());

        // Slicing opens the jerky worksheet. Arm (500 x 0.03 = 15) and Flank
        // And Skirt (500 x 0.0041 = 2.05) make 17.05 pounds; Apply writes the
        // weight and 17.05 x 1.50 = 25.575, and the total follows at once.
        c.tick(7);
        QWidget* jerky = findScreen(QStringLiteral("frmJerky"));
        QVERIFY(jerky);
        QPointer<QWidget> guard(jerky);
        auto* cuts = control<QListWidget>(jerky, QStringLiteral("List1"));
        clickItem(cuts, 0);
        clickItem(cuts, 2);
        QCOMPARE(textOf(jerky, QStringLiteral("Text1")), QStringLiteral("17.05"));
        click(control<QPushButton>(jerky, QStringLiteral("cmdFigure")));
        QCOMPARE(c.text6(16), QStringLiteral("17.05"));
        QCOMPARE(c.text6(7), QStringLiteral("25.575"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("227.575"));
        QVERIFY(!findScreen(QStringLiteral("frmJerky")));
        QTRY_VERIFY(!guard);

        // Tenderising: 500 x 0.0686 = 34.3 pounds at 0.20 = 6.86; the beef
        // charges go to whole cents (25.575 to the even cent, 25.58).
        c.tick(0);
        QCOMPARE(c.text6(9), QStringLiteral("34.3"));
        QCOMPARE(c.text6(0), QStringLiteral("6.86"));
        QCOMPARE(c.text6(7), QStringLiteral("25.58"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("234.44"));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }
};

QTEST_MAIN(TestEstimateScreen)
#include "test_estimate_screen.moc"
