// Refiguring the total writes only the fields whose text changes: a field that
// already shows its figure is left as it is (its cursor and selection stay),
// and the total still follows every keystroke.

#include "estimate_counter.h"
#include "screens/estimate_screen.h"
#include "test_price_list.h"
#include "widgets.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {

using Counter = EstimateCounter;

} // namespace

class TestRefigureWrites : public QObject {
    Q_OBJECT

private slots:
    void unchangedChargeFieldsKeepTheirCursor()
    {
        Counter c;
        c.startWithSample();
        c.pick("Option1");
        click(control<QPushButton>(c.screen.get(), QStringLiteral("Command1")));
        // Unticked services' charges read "0"; a cursor placed before the 0
        // stays there while the clerk types a weight elsewhere.
        QLineEdit* beefCharge = c.edit("Text6_5");
        QLineEdit* porkCharge = c.edit("Text6_26");
        QCOMPARE(beefCharge->text(), QStringLiteral("0"));
        QCOMPARE(porkCharge->text(), QStringLiteral("0"));
        beefCharge->setCursorPosition(0);
        porkCharge->setCursorPosition(0);
        QSignalSpy beefWrites(beefCharge, &QLineEdit::textChanged);

        typeInto(c.edit("Text1"), QStringLiteral("1250"));

        QCOMPARE(c.edit("Text5")->text(), QStringLiteral("248.25"));
        QCOMPARE(beefCharge->text(), QStringLiteral("0"));
        QCOMPARE(beefCharge->cursorPosition(), 0);
        QCOMPARE(porkCharge->cursorPosition(), 0);
        QCOMPARE(beefWrites.count(), 0);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void anUnchangedTotalIsNotRewritten()
    {
        Counter c;
        c.startWithSample();
        c.pick("Option1");
        typeInto(c.edit("Text1"), QStringLiteral("1000"));
        QLineEdit* total = c.edit("Text5");
        QCOMPARE(total->text(), QStringLiteral("202")); // 500 pounds at 0.37, kill 17
        total->setCursorPosition(1);

        c.pick("Option1"); // beef again: everything is refigured to the same figures

        QCOMPARE(total->text(), QStringLiteral("202"));
        QCOMPARE(total->cursorPosition(), 1);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void anUnchangedFieldBecomesZeroWhenItsServiceIsUnticked()
    {
        // The guard only skips writes that change nothing: a charge that is
        // not 0 still becomes 0 when its service is not ticked.
        Counter c;
        c.startWithSample();
        c.pick("Option1");
        click(control<QPushButton>(c.screen.get(), QStringLiteral("Command1")));
        QLineEdit* charge = c.edit("Text6_1");
        charge->setText(QStringLiteral("12.5"));
        typeInto(c.edit("Text1"), QStringLiteral("1000"));
        QCOMPARE(charge->text(), QStringLiteral("0"));
        QCOMPARE(c.edit("Text5")->text(), QStringLiteral("202"));
    }
};

QTEST_MAIN(TestRefigureWrites)
#include "test_refigure_writes.moc"
