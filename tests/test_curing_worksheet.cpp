// The curing worksheet frmCure in its three roles: driven through the real
// Estimate screen from the pork Curing, Sausage and Cutlets rows, and on its
// own against a stand-in host.
#include "estimate_counter.h"
#include "fake_host.h"
#include "pricelist/price_items.h"
#include "screens/estimate_screen.h"
#include "test_price_list.h"
#include "ui/dialogs.h"
#include "ui/field_cues.h"
#include "widgets.h"
#include "worksheets/curing_worksheet.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QTest>
#include <memory>

namespace {

const QString CutletMessage = QStringLiteral("Sorry You Cannot Make Cutlets Out oF Bellie Meat!");

enum Cut { Hams = 0, Bacon = 1, ArkansasBacon = 2, Loins = 3, Jowl = 4, WholeHog = 10 };

// Pork services that open the curing worksheet.
constexpr int CuringRow = 9, SausageRow = 10, CutletsRow = 11;

QListWidget* cutList(QWidget* sheet)
{
    return control<QListWidget>(sheet, QStringLiteral("List1"));
}

QString total(QWidget* sheet)
{
    return textOf(sheet, QStringLiteral("Text1"));
}

void pickCut(QWidget* sheet, int cut)
{
    clickItem(cutList(sheet), cut);
}

void apply(QWidget* sheet)
{
    click(control<QPushButton>(sheet, QStringLiteral("cmdApply")));
}

QColor background(QWidget* sheet)
{
    return sheet->palette().color(QPalette::Window);
}

// Discards the screens that closed: they go at the next turn of the event loop.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The counter: a price list with known prices, the clerk's answers and the
// Estimate screen, with pork chosen, the services shown and a hanging weight.
struct Counter : EstimateCounter {
    Counter()
    {
        file.withSample()
            .price(PriceItem::PorkKill, 20)
            .price(PriceItem::Processing, 0.4)
            .price(PriceItem::Curing, 0.5)
            .price(PriceItem::SausageSeasoning, 0.3)
            .price(PriceItem::MinuteSteaks, 0.25);
    }
    ~Counter()
    {
        screen.reset();
        settle();
    }

    // Starts the counter, pork with the given hanging weight, services shown.
    void start(const QString& hanging)
    {
        EstimateCounter::start();
        pick(QStringLiteral("Option2"));
        expand();
        typeInto(edit(QStringLiteral("Text2")), hanging);
    }
    // Ticks a pork service and finds the curing worksheet it shows.
    QWidget* open(int row)
    {
        tick(row);
        return findScreen(QStringLiteral("frmCure"));
    }
    // The database flag unticked by the clerk: prices are the built-in ones.
    void untickFlag() const
    {
        click(flag());
        QVERIFY(!flag()->isChecked());
    }
    int openSheets() const
    {
        int count = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            count += w->objectName() == QLatin1String("frmCure") && w->isVisible() ? 1 : 0;
        return count;
    }
};

// The worksheet alone, against a stand-in host.
struct Alone {
    FakeEstimateHost host;
    TestPriceList file;
    DialogAnswerer dialogs;
    QPointer<CuringWorksheet> sheet;
    ServiceId service = ServiceId::PorkCuring;

    // The worksheet in the role of the service priced at that item.
    explicit Alone(const QString& cureItem, bool flag = true, const QString& hanging = "250")
    {
        file.withSample().price(PriceItem::Curing, 0.35);
        host.path = file.path();
        host.flag = flag;
        host.hanging = hanging;
        service = cureItem == PriceItem::Curing             ? ServiceId::PorkCuring
                  : cureItem == PriceItem::SausageSeasoning ? ServiceId::PorkSausage
                                                            : ServiceId::Cutlets;
    }
    ~Alone()
    {
        delete sheet.data();
        settle();
    }
    CuringWorksheet* open()
    {
        sheet = new CuringWorksheet(host, service);
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        sheet->show();
        QApplication::setActiveWindow(sheet);
        return sheet;
    }
    bool stillOpen() const { return sheet && sheet->isVisible(); }
};

} // namespace

class TestCuringWorksheet : public QObject {
    Q_OBJECT

private slots:
    // ------------------------------------------------------------ through the Estimate screen

    void curingRoleFiguresHamsAndBacon()
    {
        Counter c;
        c.start(QStringLiteral("250"));
        QCOMPARE(c.text(QStringLiteral("Text3")), QStringLiteral("100"));
        QWidget* sheet = c.open(CuringRow);
        QVERIFY(sheet);
        QCOMPARE(sheet->windowTitle(), QStringLiteral("Curing Worksheet"));
        QCOMPARE(background(sheet), QColor(255, 224, 192));
        QVERIFY(sheet->autoFillBackground());
        QVERIFY(sheet->isWindow());
        QCOMPARE(total(sheet), QStringLiteral("0"));

        pickCut(sheet, Hams);
        QCOMPARE(total(sheet), QStringLiteral("50"));
        pickCut(sheet, Bacon); // "Bacon" adds 0.075 of the hanging weight
        QCOMPARE(total(sheet), QStringLiteral("68.75"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("120"));

        // Without the price list the curing rate is 0.42, not the listed 0.5.
        c.untickFlag();
        QPointer<QWidget> guard(sheet);
        apply(sheet);
        QCOMPARE(c.text6(19), QStringLiteral("69"));
        QCOMPARE(c.text6(26), QStringLiteral("28.98"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("148.98"));
        QVERIFY(!findScreen(QStringLiteral("frmCure")));
        settle();
        QVERIFY(!guard);
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void arkansasBaconAddsItsShareInEveryRole_data()
    {
        QTest::addColumn<int>("row");
        QTest::newRow("curing") << CuringRow;
        QTest::newRow("sausage seasoning") << SausageRow;
        QTest::newRow("cutlets") << CutletsRow;
    }
    void arkansasBaconAddsItsShareInEveryRole()
    {
        QFETCH(int, row);
        Counter c;
        c.start(QStringLiteral("250"));
        QWidget* sheet = c.open(row);
        QVERIFY(sheet);
        pickCut(sheet, Hams);
        if (row == CutletsRow)
            c.dialogs.press(QMessageBox::Ok);
        pickCut(sheet, Bacon);
        pickCut(sheet, ArkansasBacon);
        // 50 + 18.75 + 35, or 50 + 35 where bacon is refused.
        QCOMPARE(total(sheet), row == CutletsRow ? QStringLiteral("85") : QStringLiteral("103.75"));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void applyRoundsHalvesToTheEvenPound_data()
    {
        QTest::addColumn<QString>("hanging");
        QTest::addColumn<int>("cut");
        QTest::addColumn<QString>("figured");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("charge");
        // The listed curing price is 0.5 a pound.
        QTest::newRow("12.5 down") << "62.5" << int(Hams) << "12.5"
                                   << "12"
                                   << "6";
        QTest::newRow("14.5 down") << "72.5" << int(Hams) << "14.5"
                                   << "14"
                                   << "7";
        QTest::newRow("whole hog up") << "250" << int(WholeHog) << "237.5"
                                      << "238"
                                      << "119";
        QTest::newRow("13.5 up") << "67.5" << int(Hams) << "13.5"
                                 << "14"
                                 << "7";
    }
    void applyRoundsHalvesToTheEvenPound()
    {
        QFETCH(QString, hanging);
        QFETCH(int, cut);
        QFETCH(QString, figured);
        QFETCH(QString, weight);
        QFETCH(QString, charge);
        Counter c;
        c.start(hanging);
        QWidget* sheet = c.open(CuringRow);
        QVERIFY(sheet);
        pickCut(sheet, cut);
        QCOMPARE(total(sheet), figured);
        apply(sheet);
        QCOMPARE(c.text6(19), weight);
        QCOMPARE(c.text6(26), charge);
        QVERIFY(!findScreen(QStringLiteral("frmCure")));
    }

    void cutletRoleRefusesBacon()
    {
        Counter c;
        c.start(QStringLiteral("250"));
        QWidget* sheet = c.open(CutletsRow);
        QVERIFY(sheet);
        QCOMPARE(sheet->windowTitle(), QStringLiteral("Cutlet Worksheet"));
        QCOMPARE(background(sheet), QColor(255, 192, 192));
        pickCut(sheet, Hams);
        QCOMPARE(total(sheet), QStringLiteral("50"));

        bool baconSelectedWhileTold = false;
        c.dialogs.onDialog = [&](const SeenDialog&) {
            baconSelectedWhileTold = cutList(sheet)->item(Bacon)->isSelected();
        };
        c.dialogs.press(QMessageBox::Ok);
        pickCut(sheet, Bacon);
        QCOMPARE(c.dialogs.seen().size(), 1);
        const SeenDialog told = c.dialogs.seen()[0];
        QCOMPARE(told.text, CutletMessage);
        QCOMPARE(told.title, Dialogs::appTitle());
        QCOMPARE(told.icon, QMessageBox::NoIcon);
        QCOMPARE(told.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(baconSelectedWhileTold); // deselected when the clerk has read it
        QVERIFY(!cutList(sheet)->item(Bacon)->isSelected());
        QVERIFY(cutList(sheet)->item(Hams)->isSelected());
        QCOMPARE(total(sheet), QStringLiteral("50"));

        pickCut(sheet, ArkansasBacon); // not affected by the rule
        QCOMPARE(total(sheet), QStringLiteral("85"));
        QCOMPARE(c.dialogs.seen().size(), 1);

        apply(sheet); // the listed cutlet price is 0.25
        QCOMPARE(c.text6(21), QStringLiteral("85"));
        QCOMPARE(c.text6(28), QStringLiteral("21.25"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("141.25"));
        QCOMPARE(c.text6(19), QStringLiteral("0"));
        QCOMPARE(c.text6(26), QStringLiteral("0"));
    }

    void sausageSeasoningRoleWritesItsOwnRow()
    {
        Counter c;
        c.start(QStringLiteral("250"));
        QWidget* sheet = c.open(SausageRow);
        QVERIFY(sheet);
        QCOMPARE(sheet->windowTitle(), QStringLiteral("Sausage Worksheet"));
        QCOMPARE(background(sheet), QColor(192, 255, 192));
        pickCut(sheet, Bacon); // allowed here
        QCOMPARE(total(sheet), QStringLiteral("18.75"));
        typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("10"));
        c.untickFlag(); // the sausage seasoning rate is then 0.2, not the listed 0.3
        apply(sheet);
        QCOMPARE(c.text6(20), QStringLiteral("10"));
        QCOMPARE(c.text6(27), QStringLiteral("2"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("122"));
        for (int other : {19, 21, 26, 28})
            QCOMPARE(c.text6(other), QStringLiteral("0"));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void listedPriceIsUsedWithThePriceList()
    {
        Counter c;
        c.file.price(PriceItem::Curing, 0.35);
        c.start(QStringLiteral("250"));
        QWidget* sheet = c.open(CuringRow);
        QVERIFY(sheet);
        c.file.price(PriceItem::Curing, 0.9); // a change after load does not count
        typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("20"));
        apply(sheet);
        QCOMPARE(c.text6(19), QStringLiteral("20"));
        QCOMPARE(c.text6(26), QStringLiteral("7"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("127"));
    }

    void nothingSelectedWritesNothingButZeros()
    {
        Counter c;
        c.start(QStringLiteral("250"));
        QWidget* sheet = c.open(CuringRow);
        QVERIFY(sheet);
        pickCut(sheet, Hams);
        pickCut(sheet, Hams); // selected and cleared again
        QCOMPARE(total(sheet), QStringLiteral("0"));
        c.edit(QStringLiteral("Text6_26"))->setText(QStringLiteral("9")); // an earlier charge
        apply(sheet);
        QCOMPARE(c.text6(19), QStringLiteral("0"));
        QCOMPARE(c.text6(26), QStringLiteral("0"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("120"));
    }

    void closeBoxWritesNothing()
    {
        Counter c;
        c.start(QStringLiteral("250"));
        const int connections = QSqlDatabase::connectionNames().size();
        QPointer<QWidget> sheet = c.open(CuringRow);
        QVERIFY(sheet);
        QCOMPARE(QSqlDatabase::connectionNames().size(), connections + 1); // its own
        pickCut(sheet, Hams);
        QCOMPARE(total(sheet), QStringLiteral("50"));
        // A charge put in without a refiguring: a refiguring would count it.
        c.edit(QStringLiteral("Text6_26"))->setText(QStringLiteral("9"));
        const QString before = c.text(QStringLiteral("Text5"));
        QCOMPARE(before, QStringLiteral("120"));
        QVERIFY(sheet->close());
        settle();
        QVERIFY(!sheet);
        QCOMPARE(QSqlDatabase::connectionNames().size(), connections); // released
        QCOMPARE(c.text6(19), QStringLiteral("0"));
        QCOMPARE(c.text6(26), QStringLiteral("9"));
        QCOMPARE(c.text(QStringLiteral("Text5")), before);
        QCOMPARE(c.dialogs.seen().size(), 0);

        // The next showing starts afresh.
        click(c.service(CuringRow)); // unticked
        QWidget* again = c.open(CuringRow);
        QVERIFY(again);
        QCOMPARE(total(again), QStringLiteral("0"));
        QCOMPARE(cutList(again)->selectedItems().size(), 0);
    }

    void aSingleScreenKeepsTheRoleItLoadedWith()
    {
        Counter c;
        c.start(QStringLiteral("250"));
        QWidget* sheet = c.open(CuringRow);
        QVERIFY(sheet);
        pickCut(sheet, Hams);
        // The Cutlets row names another cure item: the open screen comes to the front.
        QCOMPARE(c.open(CutletsRow), sheet);
        QCOMPARE(c.openSheets(), 1);
        QCOMPARE(sheet->windowTitle(), QStringLiteral("Curing Worksheet"));
        pickCut(sheet, Bacon); // still allowed: the screen serves curing
        QCOMPARE(total(sheet), QStringLiteral("68.75"));
        apply(sheet);
        QCOMPARE(c.text6(19), QStringLiteral("69"));
        QCOMPARE(c.text6(26), QStringLiteral("34.5"));
        QCOMPARE(c.text6(21), QStringLiteral("0"));
        QCOMPARE(c.text6(28), QStringLiteral("0"));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void roundingHoldsWeightsBeyondSixteenBits()
    {
        Counter c;
        c.start(QStringLiteral("250"));
        QWidget* sheet = c.open(CuringRow);
        QVERIFY(sheet);
        typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("40000.5"));
        apply(sheet);
        QCOMPARE(c.text6(19), QStringLiteral("40000"));
        QCOMPARE(c.text6(26), QStringLiteral("20000"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("20120"));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void missingPriceIsToldAndTheEstimateStaysAsItWas()
    {
        Counter c;
        c.file.without(PriceItem::Curing);
        c.start(QStringLiteral("250"));
        QPointer<QWidget> sheet = c.open(CuringRow);
        QVERIFY(sheet);
        QCOMPARE(c.dialogs.seen().size(), 0); // told at Apply, where it matters
        pickCut(sheet, Hams);
        pickCut(sheet, Bacon);
        c.dialogs.press(QMessageBox::Ok);
        apply(sheet);
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY2(c.dialogs.seen()[0].text.contains(QLatin1String("\"Curing\"")),
                 qPrintable(c.dialogs.seen()[0].text));
        QCOMPARE(c.dialogs.seen()[0].icon, QMessageBox::Warning);
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(total(sheet), QStringLiteral("68.75")); // not even rounded
        QCOMPARE(c.text6(19), QStringLiteral("0"));
        QCOMPARE(c.text6(26), QStringLiteral("0"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("120"));

        // Once the price is there, Apply finds it.
        c.file.price(PriceItem::Curing, 0.35);
        apply(sheet);
        QCOMPARE(c.text6(19), QStringLiteral("69"));
        QCOMPARE(c.text6(26), QStringLiteral("24.15"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("144.15"));
        QCOMPARE(c.dialogs.seen().size(), 1);
    }

    void totalThatIsNoNumberIsTold_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("letters") << "abc";
        QTest::newRow("empty") << "";
        QTest::newRow("sign only") << "-";
        QTest::newRow("exponent") << "1e3";
        QTest::newRow("twenty digits") << "99999999999999999999";
    }
    void totalThatIsNoNumberIsTold()
    {
        QFETCH(QString, typed);
        Counter c;
        c.start(QStringLiteral("250"));
        QWidget* sheet = c.open(CuringRow);
        QVERIFY(sheet);
        QLineEdit* totalWeight = field(sheet, QStringLiteral("Text1"));
        typeInto(totalWeight, typed);
        QVERIFY(IsMarkedInvalid(totalWeight));
        c.dialogs.press(QMessageBox::Ok);
        apply(sheet);
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY(c.dialogs.seen()[0].text.startsWith(QLatin1String("Nothing was written")));
        QCOMPARE(findScreen(QStringLiteral("frmCure")), sheet);
        QCOMPARE(total(sheet), typed);
        QCOMPARE(c.text6(19), QStringLiteral("0"));
        QCOMPARE(c.text6(26), QStringLiteral("0"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("120"));

        typeInto(totalWeight, QStringLiteral("3"));
        QVERIFY(!IsMarkedInvalid(totalWeight));
        apply(sheet);
        QCOMPARE(c.text6(26), QStringLiteral("1.5"));
    }

    void hangingWeightThatIsNoNumberIsTold()
    {
        Counter c;
        c.start(QStringLiteral("250"));
        QWidget* sheet = c.open(CuringRow);
        QVERIFY(sheet);
        pickCut(sheet, Hams);
        QCOMPARE(total(sheet), QStringLiteral("50"));
        typeInto(c.edit(QStringLiteral("Text2")), QStringLiteral("two fifty"));
        c.dialogs.press(QMessageBox::Ok);
        pickCut(sheet, Loins);
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY2(c.dialogs.seen()[0].text.contains(QLatin1String("\"two fifty\"")),
                 qPrintable(c.dialogs.seen()[0].text));
        QCOMPARE(total(sheet), QStringLiteral("50"));
        QVERIFY(cutList(sheet)->item(Loins)->isSelected()); // as the clerk left it

        typeInto(c.edit(QStringLiteral("Text2")), QStringLiteral("100"));
        pickCut(sheet, Jowl); // 20 + 15 + 2.3
        QCOMPARE(total(sheet), QStringLiteral("37.3"));
        QCOMPARE(c.dialogs.seen().size(), 1);
    }

    // ------------------------------------------------------------ against a stand-in host

    void controlsNamesAndTabOrder()
    {
        Alone a(PriceItem::Curing);
        CuringWorksheet* sheet = a.open();
        QCOMPARE(sheet->objectName(), QStringLiteral("frmCure"));
        QListWidget* list = cutList(sheet);
        QCOMPARE(list->selectionMode(), QAbstractItemView::MultiSelection);
        QCOMPARE(list->count(), 11);
        const char* names[] = {"Hams",       "Bacon", "Arkansas Bacon", "Loins",
                               "Jowl",       "Hocks", "Shoulders",      "Picnic",
                               "BostonButt", "Ribs",  "Whole Hog Cured"};
        for (int i = 0; i < 11; ++i)
            QCOMPARE(list->item(i)->text(), QLatin1String(names[i]));
        auto* applyButton = control<QPushButton>(sheet, QStringLiteral("cmdApply"));
        QCOMPARE(applyButton->text(), QStringLiteral("&Apply"));
        QCOMPARE(sheet->findChildren<QLabel*>().size(), 0);

        // The list has the focus, then Tab goes to the total, then to Apply.
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field(sheet, "Text1")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(applyButton));

        // The list on top, the total at the left under it, Apply at the right.
        const QRect listAt = list->geometry(), totalAt = field(sheet, "Text1")->geometry(),
                    buttonAt = applyButton->geometry();
        QVERIFY(totalAt.top() >= listAt.bottom() && buttonAt.top() >= listAt.bottom());
        QVERIFY(totalAt.right() < buttonAt.left());
        QVERIFY(sheet->rect().contains(listAt) && sheet->rect().contains(totalAt) &&
                sheet->rect().contains(buttonAt));
    }

    void priceIsLookedUpAtApplyWhenTheFlagWasClearAtLoad()
    {
        Alone a(PriceItem::Curing, false);
        const int before = QSqlDatabase::connectionNames().size();
        CuringWorksheet* sheet = a.open();
        QCOMPARE(QSqlDatabase::connectionNames().size(), before); // nothing opened at load
        pickCut(sheet, WholeHog);
        QCOMPARE(total(sheet), QStringLiteral("237.5"));
        a.host.flag = true; // ticked since
        apply(sheet);
        QCOMPARE(a.host.writes.size(), 1);
        QCOMPARE(a.host.writes[0].weight, QStringLiteral("238"));
        QCOMPARE(a.host.writes[0].charge, QStringLiteral("83.3")); // 238 x the listed 0.35
        QCOMPARE(a.dialogs.seen().size(), 0);
    }

    void noPriceListAtApplyIsToldAndNothingChanges()
    {
        Alone a(PriceItem::SausageSeasoning, false);
        a.host.path = a.file.folder() + QStringLiteral("/gone.db");
        CuringWorksheet* sheet = a.open();
        pickCut(sheet, Hams);
        a.host.flag = true;
        a.dialogs.press(QMessageBox::Ok);
        apply(sheet);
        QCOMPARE(a.dialogs.seen().size(), 1);
        QVERIFY2(a.dialogs.seen()[0].text.contains(QLatin1String("\"SausageSeasoning\"")),
                 qPrintable(a.dialogs.seen()[0].text));
        QVERIFY2(a.dialogs.seen()[0].text.contains(a.host.path),
                 qPrintable(a.dialogs.seen()[0].text));
        QVERIFY(a.stillOpen());
        QCOMPARE(total(sheet), QStringLiteral("50"));
        QCOMPARE(a.host.writes.size(), 0);
        QCOMPARE(a.host.totRefigures, 0);

        // Unticked again: the built-in rate needs no price list.
        a.host.flag = false;
        apply(sheet);
        QCOMPARE(a.host.writes.size(), 1);
        QCOMPARE(a.host.writes[0].charge, QStringLiteral("10"));
        QCOMPARE(a.dialogs.seen().size(), 1);
    }

    void selectingEverythingAtOnceStillRefusesBacon()
    {
        Alone a(PriceItem::MinuteSteaks, false, QStringLiteral("100"));
        CuringWorksheet* sheet = a.open();
        a.dialogs.press(QMessageBox::Ok);
        cutList(sheet)->selectAll();
        QCOMPARE(a.dialogs.seen().size(), 1);
        QVERIFY(!cutList(sheet)->item(Bacon)->isSelected());
        QCOMPARE(cutList(sheet)->selectedItems().size(), 10);
        QCOMPARE(total(sheet), QStringLiteral("180.7")); // 188.2 less 7.5
    }

    void aHangingWeightTooLargeToFigureIsTold()
    {
        // 1.7e308 pounds: a fifth of it can be figured, 1.15 of it cannot.
        const QString huge = QStringLiteral("17") + QString(307, QLatin1Char('0'));
        Alone a(PriceItem::Curing, false, huge);
        CuringWorksheet* sheet = a.open();
        pickCut(sheet, Hams);
        const QString fifth = QStringLiteral("34") + QString(306, QLatin1Char('0'));
        QCOMPARE(total(sheet), fifth);
        a.dialogs.press(QMessageBox::Ok);
        pickCut(sheet, WholeHog);
        QCOMPARE(a.dialogs.seen().size(), 1);
        QVERIFY2(a.dialogs.seen()[0].text.contains(huge), qPrintable(a.dialogs.seen()[0].text));
        QCOMPARE(total(sheet), fifth);

        a.dialogs.press(QMessageBox::Ok);
        apply(sheet); // far beyond any whole number of pounds
        QCOMPARE(a.dialogs.seen().size(), 2);
        QVERIFY(a.dialogs.seen()[1].text.startsWith(QLatin1String("Nothing was written")));
        QCOMPARE(a.host.writes.size(), 0);
        QCOMPARE(a.host.totRefigures, 0);
        QVERIFY(a.stillOpen());
    }
};

QTEST_MAIN(TestCuringWorksheet)
#include "test_curing_worksheet.moc"
