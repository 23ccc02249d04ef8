// The Estimate screen keeps its figures honest when the hanging weight
// changes: rows that a worksheet figured are marked as stale, and the beef cure
// products are figured again from the list.

#include "estimate_counter.h"
#include "ui/field_cues.h"
#include "widgets.h"

#include <QPushButton>

namespace {

using Counter = EstimateCounter;

bool stale(const Counter& c, int field)
{
    return c.edit(QStringLiteral("Text6_%1").arg(field))->property("stale").toBool();
}

} // namespace

class TestEstimateChecks : public QObject {
    Q_OBJECT

private slots:
    void worksheetRowsAreMarkedWhileTheHangingWeightDiffers()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(6);
        const auto applyFajita = [&] { // the worksheet shown again, the arm applied
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            c.screen->showWorksheet(ServiceId::FajitaStrips);
            QWidget* sheet = findScreen(QStringLiteral("frmFajita"));
            QVERIFY(sheet);
            clickItem(control<QListWidget>(sheet, QStringLiteral("List1")), 0);
            click(control<QPushButton>(sheet, QStringLiteral("cmdFigure")));
        };
        applyFajita();
        QCOMPARE(c.text6(15), QStringLiteral("15"));
        const QLineEdit* charge = c.edit(QStringLiteral("Text6_6"));
        const QColor plain = charge->palette().color(QPalette::Base);
        QVERIFY(!stale(c, 15) && !stale(c, 6));

        c.weight(QStringLiteral("12"));
        QVERIFY(stale(c, 15) && stale(c, 6));
        QCOMPARE(
            charge->toolTip(),
            QStringLiteral("Figured for a hanging weight of 500 lb; open the worksheet again"));
        QVERIFY(!IsMarkedInvalid(charge)); // not an error, and not its colour
        QVERIFY(charge->palette().color(QPalette::Base) != plain);
        QVERIFY(charge->palette().color(QPalette::Base) != QColor(255, 200, 200));
        QCOMPARE(c.text6(6), QStringLiteral("18.75")); // the figure stays as written

        // Typed wrong, the invalid mark shows; mended, the stale mark is back.
        typeInto(c.edit(QStringLiteral("Text6_6")), QStringLiteral("x"));
        QVERIFY(IsMarkedInvalid(charge));
        QCOMPARE(charge->toolTip(), QStringLiteral("\"x\" is not a number."));
        typeInto(c.edit(QStringLiteral("Text6_6")), QStringLiteral("18.75"));
        QVERIFY(charge->toolTip().startsWith(QLatin1String("Figured for")));

        c.weight(QStringLiteral("1000")); // the weight it was figured for
        QVERIFY(!stale(c, 15) && !stale(c, 6));
        QCOMPARE(charge->palette().color(QPalette::Base), plain);
        QVERIFY(charge->toolTip().isEmpty());

        c.weight(QStringLiteral("12"));
        applyFajita(); // figured again for the weight shown
        QVERIFY(!stale(c, 15) && !stale(c, 6));
        c.weight(QStringLiteral("800"));
        QVERIFY(stale(c, 6));
        c.tick(6); // unticked: its figures no longer count
        QVERIFY(!stale(c, 15) && !stale(c, 6));

        // The pork curing worksheet's rows, in each role.
        c.pick("Option2");
        c.expand();
        for (const int index : {9, 10, 11}) {
            QWidget* cure = c.openWorksheet(index, QStringLiteral("frmCure"));
            QVERIFY(cure);
            clickItem(control<QListWidget>(cure, QStringLiteral("List1")), 3);
            click(control<QPushButton>(cure, QStringLiteral("cmdApply")));
        }
        c.weight(QStringLiteral("300"));
        for (const int field : {19, 20, 21, 26, 27, 28})
            QVERIFY2(stale(c, field), qPrintable(QString::number(field)));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void cureProductsAreFiguredAgainForANewWeight()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(3);
        clickItem(c.cureList(), 0);
        c.dialogs.press(QMessageBox::Yes);
        clickItem(c.cureList(), 3); // the top round only
        QCOMPARE(c.text6(12), QStringLiteral("24"));
        c.weight(QStringLiteral("800"));
        QCOMPARE(c.text6(12), QStringLiteral("19.2")); // 400 x (0.015 + 0.033)
        QCOMPARE(c.text6(3), QStringLiteral("8.06"));  // 8.064 to the cent
        QVERIFY(!stale(c, 12) && !stale(c, 3));
        QCOMPARE(c.dialogs.seen().size(), 1); // the answer stands
        QCOMPARE(c.dialogs.unexpected(), 0);
    }
};

QTEST_MAIN(TestEstimateChecks)
#include "test_estimate_checks.moc"
