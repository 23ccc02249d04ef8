// The whole road of one estimate, through the real screens, against the
// sample price list: beef, its live weight, the services, the slicing for
// jerky figured on its worksheet, then tenderising.

#include "dialog_answerer.h"
#include "support/counter_screen.h"
#include "test_price_list.h"
#include "widgets.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class TestEstimateRoad : public QObject {
    Q_OBJECT

private slots:
    void oneBeefFromKillToTenderising()
    {
        // The sample prices used here: BeefKill 17.00, Processing 0.37,
        // Slicing 1.50, MinuteSteaks 0.20 (the tenderising price).
        TestPriceList file;
        file.withSample();
        DialogAnswerer dialogs;
        CounterScreen screen(file.path());
        screen.startUp();
        screen.show();
        QApplication::setActiveWindow(&screen);
        const auto text = [&](const QString& name) {
            return textOf(&screen, name);
        };
        const auto text6 = [&](int i) {
            return text(QStringLiteral("Text6_%1").arg(i));
        };
        QVERIFY(control<QCheckBox>(&screen, QStringLiteral("Check2"))->isChecked());

        // 1. Beef: the kill charge is looked up.
        click(control<QRadioButton>(&screen, QStringLiteral("Option1")));
        QCOMPARE(text(QStringLiteral("Text4")), QStringLiteral("17"));
        QCOMPARE(control<QLabel>(&screen, QStringLiteral("Label1"))->text(),
                 QStringLiteral("Live Weight"));

        // 2. 1000 pounds live: hanging 500, processing 500 x 0.37 = 185, total 17 + 185.
        typeInto(field(&screen, QStringLiteral("Text1")), QStringLiteral("1000"));
        QCOMPARE(text(QStringLiteral("Text2")), QStringLiteral("500"));
        QCOMPARE(text(QStringLiteral("Text3")), QStringLiteral("185"));
        QCOMPARE(text(QStringLiteral("Text5")), QStringLiteral("202"));

        // 3. The screen grows and shows the eight beef services.
        click(control<QPushButton>(&screen, QStringLiteral("Command1")));
        for (int i = 0; i <= 7; ++i)
            QVERIFY(control<QCheckBox>(&screen, QStringLiteral("Check1_%1").arg(i))->isVisible());

        // 4. Slicing opens the jerky worksheet. Arm (500 x 0.03 = 15) and
        // Flank And Skirt (500 x 0.0041 = 2.05) make 17.05 pounds; Apply writes
        // the weight and 17.05 x 1.50 = 25.575, and the total follows at once.
        click(control<QCheckBox>(&screen, QStringLiteral("Check1_7")));
        QWidget* jerky = findScreen(QStringLiteral("frmJerky"));
        QVERIFY(jerky);
        QPointer<QWidget> guard(jerky);
        QCOMPARE(text(QStringLiteral("Text5")), QStringLiteral("202"));
        auto* cuts = control<QListWidget>(jerky, QStringLiteral("List1"));
        clickItem(cuts, 0);
        clickItem(cuts, 2);
        QCOMPARE(textOf(jerky, QStringLiteral("Text1")), QStringLiteral("17.05"));
        click(control<QPushButton>(jerky, QStringLiteral("cmdFigure")));
        QCOMPARE(text6(16), QStringLiteral("17.05"));
        QCOMPARE(text6(7), QStringLiteral("25.575"));
        QCOMPARE(text(QStringLiteral("Text5")), QStringLiteral("227.575"));
        QVERIFY(!findScreen(QStringLiteral("frmJerky")));
        QTRY_VERIFY(!guard);

        // 5. Tenderising: 500 x 0.0686 = 34.3 pounds at 0.20 = 6.86; the beef
        // charges go to whole cents (25.575 to the even cent, 25.58) and the
        // total is 17 + 185 + 6.86 + 25.58.
        click(control<QCheckBox>(&screen, QStringLiteral("Check1_0")));
        QCOMPARE(text6(9), QStringLiteral("34.3"));
        QCOMPARE(text6(0), QStringLiteral("6.86"));
        QCOMPARE(text6(7), QStringLiteral("25.58"));
        QCOMPARE(text6(16), QStringLiteral("17.05"));
        QCOMPARE(text(QStringLiteral("Text5")), QStringLiteral("234.44"));

        QCOMPARE(dialogs.seen().size(), 0);
    }
};

QTEST_MAIN(TestEstimateRoad)
#include "test_estimate_road.moc"
