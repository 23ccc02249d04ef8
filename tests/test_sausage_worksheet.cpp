// The sausage worksheet driven as the clerk drives it: ticking kinds, typing
// deer pounds, Figure, the confirmation, the price list (a real file) and the
// write-back, against a stand-in host and through the real Estimate screen.

#include "estimate_counter.h"
#include "fake_host.h"
#include "pricelist/price_items.h"
#include "pricelist/price_list.h"
#include "screens/estimate_screen.h"
#include "test_price_list.h"
#include "ui/field_cues.h"
#include "widgets.h"
#include "worksheets/sausage_worksheet.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <memory>

namespace {

const QString AppTitle = QStringLiteral("Locker Estimate");
const QString ConfirmTitle = QStringLiteral("Is All Information Correct?");
const QString NoDatabase = QStringLiteral("Cannot Figure Withouot Database");
const auto YesNo = QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No);

// One worksheet on its own: a price list file, a stand-in Estimate screen,
// the clerk's answers.
struct Sheet {
    TestPriceList file;
    FakeEstimateHost host;
    DialogAnswerer dialogs;
    std::unique_ptr<SausageWorksheet> screen;

    Sheet()
    {
        file.withSample().price(PriceItem::Summer, 2.5).price(PriceItem::PorkTrim, 1.2);
        host.path = file.path();
    }
    void open()
    {
        screen = std::make_unique<SausageWorksheet>(host);
        screen->show();
        QApplication::setActiveWindow(screen.get());
        QVERIFY(QTest::qWaitForWindowActive(screen.get()));
    }
    QWidget* w() const { return screen.get(); }
    QCheckBox* box(int row) const
    {
        return control<QCheckBox>(w(), QStringLiteral("Check%1").arg(row));
    }
    QLineEdit* deerWeight(int row) const { return field(w(), QStringLiteral("t%1").arg(row)); }
    QLineEdit* porkWeight(int index) const { return field(w(), QStringLiteral("p%1").arg(index)); }
    QLineEdit* deerTotal() const { return field(w(), QStringLiteral("txtTotal")); }
    QLineEdit* porkTotal() const { return field(w(), QStringLiteral("pt")); }
    QLineEdit* chargeTotal() const { return field(w(), QStringLiteral("Text2")); }
    QPushButton* figureButton() const
    {
        return control<QPushButton>(w(), QStringLiteral("cmdClose"));
    }
    QWidget* focused() const { return QApplication::focusWidget(); }

    // Ticks a kind and types its deer pounds; Tab moves on, as the clerk does.
    void enter(int row, const QString& deer)
    {
        // After a dialog the desktop gives the worksheet back the focus; the
        // offscreen platform does not.
        QApplication::setActiveWindow(screen.get());
        if (!box(row)->isChecked())
            click(box(row));
        typeInto(deerWeight(row), deer);
        QTest::keyClick(deerWeight(row), Qt::Key_Tab);
    }
    // Figure, answering the confirmation.
    void figure(QMessageBox::StandardButton answer = QMessageBox::Yes)
    {
        dialogs.press(answer);
        click(figureButton());
    }
    // The figuring stopped: nothing written, the worksheet open as it was.
    bool untouched() const
    {
        return host.writes.isEmpty() && screen->isVisible() &&
               chargeTotal()->text() == QLatin1String("0");
    }
    QString lastTold() const
    {
        return dialogs.seen().isEmpty() ? QString() : dialogs.texts().last();
    }
    QStringList rowsOf(const QString& item) const
    {
        return file.rows().filter(item + QLatin1Char('|'));
    }
};

// The Estimate screen with its Sausage service ticked, and the worksheet it showed.
// The Estimate screen's Sausage row.
constexpr int SausageRow = 4;

struct Counter : EstimateCounter {
    // Beef, 1000 pounds live, expanded, Sausage ticked: the worksheet.
    QWidget* openSheet()
    {
        start();
        animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        tick(SausageRow);
        return activeSheet();
    }
    QCheckBox* sausage() const { return service(SausageRow); }
    static QWidget* activeSheet()
    {
        QWidget* sheet = findScreen(QStringLiteral("frmWsEst"));
        if (!sheet)
            return nullptr;
        QApplication::setActiveWindow(sheet);
        return QTest::qWaitForWindowActive(sheet) ? sheet : nullptr;
    }
};

} // namespace

class TestSausageWorksheet : public QObject {
    Q_OBJECT

private slots:
    // ------------------------------------------------------------ the screen

    void controlsCarryTheirNamesAndCaptions()
    {
        Sheet s;
        s.open();
        QWidget* w = s.w();
        QCOMPARE(w->objectName(), QStringLiteral("frmWsEst"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Summer Sausage Worksheet For "));
        QCOMPARE(findScreen(QStringLiteral("frmWsEst")), w);
        const char* captions[] = {"Summer Sausage", "Jalepeno Sausage", "Jerky",
                                  "HotStix",        "Polish",           "German",
                                  "Bratwurst",      "Italian",          "Grind And Wrapp",
                                  "Slicing",        "Breakfast Sausage"};
        for (int row = 1; row <= 11; ++row) {
            QCOMPARE(s.box(row)->text(), QLatin1String(captions[row - 1]));
            QVERIFY(!s.box(row)->isChecked());
            QCOMPARE(s.box(row)->isEnabled(), row != 9 && row != 10);
            QCOMPARE(s.deerWeight(row)->text(), QStringLiteral("0"));
            QVERIFY(!s.deerWeight(row)->isVisible());
        }
        for (int i = 1; i <= 7; ++i) {
            QCOMPARE(s.porkWeight(i)->text(), QStringLiteral("0"));
            QVERIFY(s.porkWeight(i)->isVisible() && s.porkWeight(i)->isEnabled());
        }
        const std::pair<const char*, const char*> labels[] = {
            {"Label1", "Deer"}, {"Label2", "Pork"}, {"Label3", "Totals"}};
        for (const auto& [name, caption] : labels)
            QCOMPARE(control<QLabel>(w, QLatin1String(name))->text(), QLatin1String(caption));
        QCOMPARE(s.deerTotal()->text(), QStringLiteral("Text2"));
        QVERIFY(!IsMarkedInvalid(s.deerTotal())); // the design text is no mistake
        QCOMPARE(s.porkTotal()->text(), QStringLiteral("0"));
        QVERIFY(!s.porkTotal()->isEnabled());
        QCOMPARE(s.chargeTotal()->text(), QStringLiteral("0"));
        QCOMPARE(s.figureButton()->text(), QStringLiteral("&Figure"));
        QVERIFY(!s.screen->confirmed().has_value());
        QCOMPARE(s.screen->entries().size(), 0);
        QCOMPARE(s.focused(), s.box(1));
    }

    void laidOutInTealAsDesigned()
    {
        Sheet s;
        s.open();
        QWidget* w = s.w();
        const QColor teal(0, 128, 128);
        QCOMPARE(w->width(), qRound(6225 * w->logicalDpiX() / 1440.0));
        QCOMPARE(w->height(), qRound(9015 * w->logicalDpiY() / 1440.0));
        QList<QWidget*> onTeal{w};
        for (const char* name : {"Label1", "Label2", "Label3"})
            onTeal << control<QLabel>(w, QLatin1String(name));
        for (int row = 1; row <= 11; ++row)
            onTeal << s.box(row);
        for (QWidget* c : onTeal) {
            QVERIFY2(c->autoFillBackground(), qPrintable(c->objectName()));
            QVERIFY2(c->palette().color(c->backgroundRole()) == teal, qPrintable(c->objectName()));
            // A light caption on the dark teal.
            QVERIFY(c->palette().color(QPalette::Active, QPalette::WindowText).lightness() > 200);
        }
        // Greyed boxes still read, but unlike the others.
        const QColor greyed = s.box(9)->palette().color(QPalette::Disabled, QPalette::WindowText);
        QVERIFY(greyed != s.box(1)->palette().color(QPalette::Active, QPalette::WindowText));
        QVERIFY(greyed.lightness() > teal.lightness());

        // Headings over the columns, rows top to bottom, the totals below with
        // their label at the left, then the charge total left of Figure.
        const auto at = [w](const char* name) {
            return control<QWidget>(w, QLatin1String(name))->geometry();
        };
        const QRect deer = at("Label1"), pork = at("Label2"), total = at("txtTotal");
        for (int row = 1; row <= 11; ++row) {
            QVERIFY(s.box(row)->geometry().right() < s.deerWeight(row)->geometry().left());
            QCOMPARE(s.deerWeight(row)->geometry().left(), deer.left());
            QVERIFY(s.deerWeight(row)->geometry().top() > deer.bottom());
            if (row > 1)
                QVERIFY(s.box(row)->geometry().top() > s.box(row - 1)->geometry().bottom());
        }
        const std::pair<int, int> porkRows[] = {{1, 1}, {2, 2}, {3, 5}, {4, 6},
                                                {5, 7}, {6, 8}, {7, 11}};
        for (const auto& [index, row] : porkRows) {
            QCOMPARE(s.porkWeight(index)->geometry().left(), pork.left());
            QCOMPARE(s.porkWeight(index)->geometry().top(), s.deerWeight(row)->geometry().top());
        }
        QVERIFY(total.top() > s.deerWeight(11)->geometry().bottom());
        QCOMPARE(total.left(), deer.left());
        QCOMPARE(at("pt").topLeft(), QPoint(pork.left(), total.top()));
        QVERIFY(at("Label3").right() < total.left());
        QCOMPARE(at("Label3").center().y(), total.center().y());
        QVERIFY(at("Text2").top() > total.bottom() && at("cmdClose").top() > total.bottom());
        QVERIFY(at("Text2").right() < at("cmdClose").left());
        QVERIFY(w->rect().contains(at("cmdClose")) && w->rect().contains(at("Text2")));
    }

    void tabOrderRunsRowByRow()
    {
        Sheet s;
        s.open();
        for (int row = 1; row <= 11; ++row)
            s.deerWeight(row)->show(); // every field in the chain, as if every kind were ticked
        QStringList expected;
        const int porkOf[] = {1, 2, 0, 0, 3, 4, 5, 6, 0, 0, 7};
        for (int row = 1; row <= 11; ++row) {
            expected << QStringLiteral("Check%1").arg(row) << QStringLiteral("t%1").arg(row);
            if (porkOf[row - 1])
                expected << QStringLiteral("p%1").arg(porkOf[row - 1]);
        }
        expected << QStringList{"cmdClose", "txtTotal", "pt", "Text2"};
        QStringList chain;
        QWidget* at = s.box(1);
        do {
            if (expected.contains(at->objectName()))
                chain << at->objectName();
            at = at->nextInFocusChain();
        } while (at != s.box(1));
        QCOMPARE(chain, expected);
    }

    void enterMovesOnAndThePorkIsAdded()
    {
        Sheet s;
        s.open();
        click(s.box(1));
        QVERIFY(s.deerWeight(1)->isVisible());
        QCOMPARE(s.focused(), s.deerWeight(1));
        QCOMPARE(s.deerWeight(1)->selectedText(), QStringLiteral("0"));
        QTest::keyClicks(s.deerWeight(1), QStringLiteral("30"));
        QTest::keyClick(s.deerWeight(1), Qt::Key_Return);
        QCOMPARE(s.deerWeight(1)->text(), QStringLiteral("30"));
        QCOMPARE(s.focused(), s.porkWeight(1));
        QCOMPARE(s.porkWeight(1)->text(), QStringLiteral("15.0"));
        QCOMPARE(s.screen->entries().size(), 1);
        QCOMPARE(s.screen->entries()[0].item, QStringLiteral("Summer"));
        QCOMPARE(s.screen->entries()[0].deer, QStringLiteral("30"));
        QCOMPARE(s.screen->entries()[0].pork, QStringLiteral("15.0"));

        // The keypad's Enter does the same; Jerky has no pork, so on to the next box.
        click(s.box(3));
        QTest::keyClicks(s.deerWeight(3), QStringLiteral("12"));
        QTest::keyClick(s.deerWeight(3), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(s.deerWeight(3)->text(), QStringLiteral("12"));
        QCOMPARE(s.focused(), s.box(4));
        QCOMPARE(s.screen->entries()[1].deer, QStringLiteral("12"));
        QCOMPARE(s.screen->entries()[1].pork, QString());

        // The whole weight is selected on the way back; other keys pass unchanged.
        s.deerWeight(1)->setFocus();
        QCOMPARE(s.deerWeight(1)->selectedText(), QStringLiteral("30"));
        QTest::keyClicks(s.deerWeight(1), QStringLiteral("8"));
        QTest::keyClick(s.deerWeight(1), Qt::Key_Backspace);
        QTest::keyClicks(s.deerWeight(1), QStringLiteral("4.5"));
        QCOMPARE(s.deerWeight(1)->text(), QStringLiteral("4.5"));
        QCOMPARE(s.dialogs.seen().size(), 0);
    }

    void porkFollowsTheKindsRule_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("porkField");
        QTest::addColumn<QString>("deer");
        QTest::addColumn<QString>("pork");
        QTest::newRow("Summer 9") << 1 << 1 << "9"
                                  << "4.5";
        QTest::newRow("Bratwurst copies") << 7 << 5 << "12.25"
                                          << "12.25";
        QTest::newRow("Italian 10") << 8 << 6 << "10"
                                    << "3.3";
        QTest::newRow("Breakfast copies") << 11 << 7 << "12.25"
                                          << "12.25";
    }
    void porkFollowsTheKindsRule()
    {
        QFETCH(int, row);
        QFETCH(int, porkField);
        QFETCH(QString, deer);
        QFETCH(QString, pork);
        Sheet s;
        s.open();
        s.enter(row, deer);
        QCOMPARE(s.porkWeight(porkField)->text(), pork);
        QCOMPARE(s.screen->entries()[0].deer, deer);
        QCOMPARE(s.screen->entries()[0].pork, pork);
        QVERIFY(!IsMarkedInvalid(s.deerWeight(row)));
    }

    void unreadableDeerWeightCountsAsZero()
    {
        Sheet s;
        s.open();
        for (const QString& typed : {QString(), QStringLiteral("abc"), QStringLiteral("9x")}) {
            s.enter(1, typed);
            QCOMPARE(s.porkWeight(1)->text(), QStringLiteral("0.0"));
            QCOMPARE(s.screen->entries()[0].deer, typed);
            QCOMPARE(s.screen->entries()[0].pork, QStringLiteral("0.0"));
            QVERIFY(IsMarkedInvalid(s.deerWeight(1)));
            // The focus comes and goes without any message.
            s.deerWeight(1)->setFocus();
            s.porkWeight(1)->setFocus();
            s.deerWeight(1)->setFocus();
            QTest::keyClick(s.deerWeight(1), Qt::Key_Tab, Qt::ShiftModifier);
        }
        s.enter(1, QStringLiteral("30"));
        QVERIFY(!IsMarkedInvalid(s.deerWeight(1)));
        QCOMPARE(s.porkWeight(1)->text(), QStringLiteral("15.0"));
        s.enter(8, QString(400, QLatin1Char('9'))); // beyond a double: no crash, no pork
        QCOMPARE(s.porkWeight(6)->text(), QStringLiteral("0.0"));
        QVERIFY(IsMarkedInvalid(s.deerWeight(8)));
        QCOMPARE(s.dialogs.seen().size(), 0);
    }

    // The pork fields are the clerk's to type in, and the copy rules show the
    // deer weight text as it is: what is not a weight is marked.
    void porkThatIsNotAWeightIsMarked()
    {
        Sheet s;
        s.open();
        typeInto(s.porkWeight(4), QStringLiteral("5%"));
        QVERIFY(IsMarkedInvalid(s.porkWeight(4)));
        typeInto(s.porkWeight(4), QStringLiteral("7.5"));
        QVERIFY(!IsMarkedInvalid(s.porkWeight(4)));
        s.enter(7, QStringLiteral("abc")); // Bratwurst: the pork is the deer text itself
        QCOMPARE(s.porkWeight(5)->text(), QStringLiteral("abc"));
        QVERIFY(IsMarkedInvalid(s.porkWeight(5)));
        s.enter(7, QStringLiteral("12.25"));
        QCOMPARE(s.porkWeight(5)->text(), QStringLiteral("12.25"));
        QVERIFY(!IsMarkedInvalid(s.porkWeight(5)));
        for (int index = 1; index <= 7; ++index)
            QVERIFY(!IsMarkedInvalid(s.porkWeight(index)));
        QCOMPARE(s.dialogs.seen().size(), 0);
    }

    void askingForTheTotalDeerWeight()
    {
        Sheet s;
        s.open();
        s.dialogs.type(QStringLiteral("55"));
        QTest::mouseClick(s.deerTotal(), Qt::LeftButton);
        QCOMPARE(s.dialogs.seen().size(), 1);
        QVERIFY(s.dialogs.seen()[0].input);
        QCOMPARE(s.dialogs.seen()[0].text, QStringLiteral("Please Enter Total Deer Weight"));
        QCOMPARE(s.dialogs.seen()[0].title, QStringLiteral("Weight Of Total Meat Carryied In"));
        QCOMPARE(s.deerTotal()->text(), QStringLiteral("55"));
        QVERIFY(!IsMarkedInvalid(s.deerTotal()));
        // An answer that is not a weight is shown as it was typed, and marked.
        s.dialogs.type(QStringLiteral("about 50"));
        QTest::mouseClick(s.deerTotal(), Qt::LeftButton);
        QCOMPARE(s.deerTotal()->text(), QStringLiteral("about 50"));
        QVERIFY(IsMarkedInvalid(s.deerTotal()));
        s.dialogs.cancel();
        QTest::mouseClick(s.deerTotal(), Qt::LeftButton);
        QCOMPARE(s.deerTotal()->text(), QString());
        QVERIFY(!IsMarkedInvalid(s.deerTotal()));
        // The field's own tip comes back with the mark gone.
        QCOMPARE(s.deerTotal()->toolTip(), QStringLiteral("Total deer weight; click to type it"));
        // Figure overwrites it.
        s.enter(3, QStringLiteral("4"));
        s.dialogs.onDialog = [&s](const SeenDialog&) {
            QCOMPARE(s.deerTotal()->text(), QStringLiteral("4"));
        };
        s.figure(QMessageBox::No);
        QCOMPARE(s.dialogs.texts().last(), QStringLiteral("\nJerky  4   "));
        QCOMPARE(s.dialogs.unexpected(), 0);
    }

    void confirmationListsTheEntries()
    {
        Sheet s;
        s.open();
        s.enter(1, QStringLiteral("30"));
        s.enter(3, QStringLiteral("10"));
        s.enter(11, QStringLiteral("12.25"));
        s.porkWeight(2)->setText(
            QStringLiteral("2")); // typed by the clerk: counts in the pork total
        s.dialogs.onDialog = [&s](const SeenDialog&) {
            QCOMPARE(s.deerTotal()->text(), QStringLiteral("52.25"));
            QCOMPARE(s.porkTotal()->text(), QStringLiteral("29.25"));
        };
        s.figure(QMessageBox::No);
        QCOMPARE(s.dialogs.seen().size(), 1);
        const SeenDialog& d = s.dialogs.seen()[0];
        QCOMPARE(d.text, QStringLiteral("\nSummer  30   15.0"
                                        "\nJerky  10   "
                                        "\nBreakfastSausage  12.25   12.25"));
        QCOMPARE(d.title, ConfirmTitle);
        QCOMPARE(d.icon, QMessageBox::Critical);
        QCOMPARE(d.buttons, YesNo);
        QVERIFY(s.screen->confirmed().has_value() && !*s.screen->confirmed());
    }

    void noResetsTheWorksheet()
    {
        Sheet s;
        s.open();
        typeInto(s.chargeTotal(), QStringLiteral("5"));
        s.enter(1, QStringLiteral("30"));
        s.enter(8, QStringLiteral("10"));
        s.enter(3, QStringLiteral("7"));
        s.figure(QMessageBox::No);
        QVERIFY(s.w()->isVisible());
        QCOMPARE(s.screen->entries().size(), 0);
        for (int row = 1; row <= 11; ++row) {
            QVERIFY(!s.box(row)->isChecked());
            QVERIFY(!s.deerWeight(row)->isVisible());
            QCOMPARE(s.deerWeight(row)->text(), QStringLiteral("0"));
        }
        for (int i = 1; i <= 7; ++i)
            QCOMPARE(s.porkWeight(i)->text(), QStringLiteral("0"));
        QCOMPARE(s.deerTotal()->text(), QStringLiteral("0"));
        QCOMPARE(s.porkTotal()->text(), QStringLiteral("0"));
        QCOMPARE(s.chargeTotal()->text(), QStringLiteral("5"));
        QVERIFY(s.host.writes.isEmpty());
        // The worksheet goes on from there.
        s.enter(3, QStringLiteral("10"));
        s.figure();
        QCOMPARE(s.host.writes.size(), 1);
        QCOMPARE(s.host.writes[0].charge, QStringLiteral("40")); // 5 + 10 x 3.50
        QVERIFY(s.screen->confirmed().value_or(false));
    }

    // ------------------------------------------------------------ figuring

    void theWorkedExample()
    {
        Sheet s;
        s.open();
        s.enter(1, QStringLiteral("30"));
        s.figure();
        QCOMPARE(s.host.writes.size(), 1);
        QCOMPARE(s.host.writes[0].service, ServiceId::BeefSausage);
        QCOMPARE(s.host.writes[0].weight, QStringLiteral("45"));
        QCOMPARE(s.host.writes[0].charge, QStringLiteral("130.5"));
        QCOMPARE(s.chargeTotal()->text(), QStringLiteral("130.5"));
        QVERIFY(!s.w()->isVisible());
        QCOMPARE(s.dialogs.seen().size(), 1);
    }

    void figureWithNothingTicked()
    {
        Sheet s;
        s.open();
        s.figure();
        QCOMPARE(s.dialogs.seen()[0].text, QString());
        QCOMPARE(s.deerTotal()->text(), QStringLiteral("0"));
        QCOMPARE(s.porkTotal()->text(), QStringLiteral("0"));
        QCOMPARE(s.host.writes.size(), 1);
        QCOMPARE(s.host.writes[0].weight, QString());
        QCOMPARE(s.host.writes[0].charge, QStringLiteral("0"));
        QVERIFY(!s.w()->isVisible());
    }

    void chargesOfEachKind_data()
    {
        // Prices of the sample list: Smoked Sausage 2.25, Jerky 3.50, HotStix
        // 3.00, SausageSeasoning 0.20; PorkTrim 1.2.
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QStringList>("deer");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("charge");
        QTest::newRow("Polish and German share Smoked Sausage")
            << QList<int>{5, 6} << QStringList{"10", "20"} << "45"
            << "119.25"; // 2.25 x 15 + 2.25 x 30 + 1.2 x 15
        QTest::newRow("Jerky and HotStix add no pork")
            << QList<int>{3, 4} << QStringList{"10", "4"} << "14"
            << "47"; // 3.5 x 10 + 3 x 4
        QTest::newRow("Breakfast Sausage on twice the deer")
            << QList<int>{11} << QStringList{"10"} << "20"
            << "16"; // 0.2 x 20 + 1.2 x 10
        QTest::newRow("four decimals, half to even")
            << QList<int>{4} << QStringList{"0.00075"} << "0.00075"
            << "0.0022"; // 3 x 0.00075 = 0.00225
    }
    void chargesOfEachKind()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QStringList, deer);
        QFETCH(QString, weight);
        QFETCH(QString, charge);
        Sheet s;
        s.open();
        for (int i = 0; i < rows.size(); ++i)
            s.enter(rows[i], deer[i]);
        s.figure();
        QCOMPARE(s.dialogs.unexpected(), 0);
        QCOMPARE(s.host.writes.size(), 1);
        QCOMPARE(s.host.writes[0].weight, weight);
        QCOMPARE(s.host.writes[0].charge, charge);
    }

    void theChargeTotalFieldIsTheStartingValue()
    {
        Sheet s;
        s.open();
        typeInto(s.chargeTotal(), QStringLiteral(" 10.25 "));
        s.enter(1, QStringLiteral("30"));
        s.figure();
        QCOMPARE(s.host.writes.size(), 1);
        QCOMPARE(s.host.writes[0].charge, QStringLiteral("140.75"));
    }

    void altFStoresTheWeightBeingTyped()
    {
        Sheet s;
        s.open();
        click(s.box(1));
        QTest::keyClicks(s.deerWeight(1), QStringLiteral("30"));
        s.dialogs.press(QMessageBox::Yes);
        QTest::keyClick(s.deerWeight(1), Qt::Key_F, Qt::AltModifier);
        QTRY_COMPARE(s.dialogs.seen().size(), 1);
        QCOMPARE(s.dialogs.seen()[0].text, QStringLiteral("\nSummer  30   15.0"));
        QCOMPARE(s.host.writes.size(), 1);
        QCOMPARE(s.host.writes[0].charge, QStringLiteral("130.5"));
    }

    // ------------------------------------------------------------ mended faults

    void entriesFollowTheirKinds()
    {
        // Tick Summer, tick Jerky, untick Summer: only Jerky is figured.
        {
            Sheet s;
            s.open();
            click(s.box(1));
            click(s.box(3));
            typeInto(s.deerWeight(3), QStringLiteral("10"));
            click(s.box(1));
            QVERIFY(!s.deerWeight(1)->isVisible());
            QCOMPARE(s.deerWeight(1)->text(), QStringLiteral("0"));
            QCOMPARE(s.porkWeight(1)->text(), QStringLiteral("0"));
            s.figure();
            QCOMPARE(s.dialogs.seen()[0].text, QStringLiteral("\nJerky  10   "));
            QCOMPARE(s.host.writes.size(), 1);
            QCOMPARE(s.host.writes[0].weight, QStringLiteral("10"));
            QCOMPARE(s.host.writes[0].charge, QStringLiteral("35"));
        }
        // Going back: a weight typed into an earlier kind's field is that kind's.
        {
            Sheet s;
            s.open();
            s.enter(1, QStringLiteral("30"));
            s.enter(3, QStringLiteral("10"));
            s.enter(5, QStringLiteral("8"));
            s.enter(1, QStringLiteral("20"));
            QCOMPARE(s.porkWeight(1)->text(), QStringLiteral("10.0"));
            click(s.box(5));
            s.figure();
            QCOMPARE(s.dialogs.seen()[0].text, QStringLiteral("\nSummer  20   10.0"
                                                              "\nJerky  10   "));
            QCOMPARE(s.host.writes.size(), 1);
            QCOMPARE(s.host.writes[0].weight, QStringLiteral("40"));
            QCOMPARE(s.host.writes[0].charge, QStringLiteral("122")); // 75 + 35 + 1.2 x 10
        }
    }

    void decliningAMissingItemKeepsTheWorksheet()
    {
        Sheet s;
        s.file.without(PriceItem::SmokedSausage);
        const QStringList before = s.file.rows();
        s.open();
        s.enter(1, QStringLiteral("30")); // priced first, then the figuring stops
        s.enter(5, QStringLiteral("10"));
        s.dialogs.press(QMessageBox::Yes).press(QMessageBox::No).press(QMessageBox::Ok);
        click(s.figureButton());
        QCOMPARE(s.dialogs.unexpected(), 0);
        QCOMPARE(s.dialogs.seen().size(), 3);
        const SeenDialog& question = s.dialogs.seen()[1];
        QCOMPARE(question.text,
                 QStringLiteral("Smoked Sausage Could Not Be Found Do you want to add It?"));
        QCOMPARE(question.title, QStringLiteral("File Not Found"));
        QCOMPARE(question.icon, QMessageBox::Critical);
        QCOMPARE(question.buttons, YesNo);
        const SeenDialog& told = s.dialogs.seen()[2];
        QVERIFY(told.text.contains(QLatin1String("\"Smoked Sausage\"")));
        QVERIFY(told.text.contains(QLatin1String("nothing was figured")));
        QVERIFY(!told.text.contains(QLatin1String("Terminated"), Qt::CaseInsensitive));
        QCOMPARE(told.title, AppTitle);
        QCOMPARE(told.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(s.untouched());
        QCOMPARE(s.file.rows(), before);
        QCOMPARE(s.screen->entries().size(), 2);
        // Cancelling the price is declining too.
        const QString declined = told.text;
        s.dialogs.clear();
        s.dialogs.press(QMessageBox::Yes).press(QMessageBox::Yes).cancel().press(QMessageBox::Ok);
        click(s.figureButton());
        QCOMPARE(s.dialogs.unexpected(), 0);
        QCOMPARE(s.dialogs.seen().size(), 4);
        QCOMPARE(s.lastTold(), declined);
        QVERIFY(s.untouched());
        QCOMPARE(s.file.rows(), before);
    }

    void thePricePromptRefusesWhatIsNotMoney()
    {
        Sheet s;
        s.file.without(PriceItem::SmokedSausage);
        s.open();
        s.enter(5, QStringLiteral("10"));
        s.dialogs.press(QMessageBox::Yes).press(QMessageBox::Yes);
        for (const char* wrong : {"abc", "-1", "1.23456", ""})
            s.dialogs.type(QLatin1String(wrong)).press(QMessageBox::Ok);
        s.dialogs.type(QStringLiteral("2.3125"));
        click(s.figureButton());
        QCOMPARE(s.dialogs.unexpected(), 0);
        QCOMPARE(s.dialogs.seen().size(), 2 + 4 * 2 + 1);
        const SeenDialog& prompt = s.dialogs.seen()[2];
        QVERIFY(prompt.input);
        QCOMPARE(prompt.text, QStringLiteral("Enter Price Per Pound For Smoked Sausage"));
        QCOMPARE(prompt.title, AppTitle);
        QVERIFY(s.dialogs.seen()[3].text.contains(QLatin1String("\"abc\" is not an amount")));
        QVERIFY(s.dialogs.seen()[5].text.contains(QLatin1String("negative")));
        QVERIFY(s.dialogs.seen()[7].text.contains(QLatin1String("four decimals")));
        QVERIFY(s.dialogs.seen()[9].text.contains(QLatin1String("not an amount")));
        QCOMPARE(s.dialogs.seen()[10].text, prompt.text);
        // Added once, with the category of added items, and charged at once.
        QCOMPARE(s.rowsOf(PriceItem::SmokedSausage),
                 QStringList{QStringLiteral("Smoked Sausage|2.3125|Curing/Seasoning")});
        QCOMPARE(s.host.writes.size(), 1);
        QCOMPARE(s.host.writes[0].charge, QStringLiteral("40.6875")); // 2.3125 x 15 + 1.2 x 5
        QCOMPARE(s.file.integrity(), QStringLiteral("ok"));
    }

    void aRefusedSaveIsToldAndNothingAdded_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only file") << true << "readonly";
        QTest::newRow("locked by another program") << false << "locked";
    }
    void aRefusedSaveIsToldAndNothingAdded()
    {
        QFETCH(bool, readOnly);
        QFETCH(QString, reason);
        Sheet s;
        s.file.without(PriceItem::HotStix);
        const QStringList before = s.file.rows();
        if (readOnly && !s.file.makeReadOnly())
            QSKIP("this machine cannot make a file read-only");
        s.open();
        s.enter(4, QStringLiteral("10"));
        {
            OtherProgram other(s.file.path());
            // The other program locks the file while the clerk types the price.
            s.dialogs.onDialog = [&other, readOnly](const SeenDialog& d) {
                if (d.input && !readOnly)
                    QVERIFY(other.lock(true));
            };
            s.dialogs.press(QMessageBox::Yes).press(QMessageBox::Yes).type(QStringLiteral("3"));
            s.dialogs.press(QMessageBox::Ok);
            click(s.figureButton());
        }
        QCOMPARE(s.dialogs.unexpected(), 0);
        QCOMPARE(s.dialogs.seen().size(), 4);
        const QString told = s.lastTold();
        QVERIFY2(told.contains(QLatin1String("\"HotStix\" could not be added")), qPrintable(told));
        QVERIFY2(told.contains(reason, Qt::CaseInsensitive), qPrintable(told));
        QVERIFY(told.contains(QLatin1String("Nothing was figured")));
        QVERIFY(s.untouched());
        QCOMPARE(s.file.rows(), before);
    }

    void noPriceListIsToldOnce()
    {
        Sheet s;
        s.host.flag = false;
        s.open();
        s.enter(1, QStringLiteral("30"));
        s.enter(3, QStringLiteral("10"));
        s.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        click(s.figureButton());
        QCOMPARE(s.dialogs.unexpected(), 0);
        QCOMPARE(s.dialogs.seen().size(), 2);
        QCOMPARE(s.dialogs.seen()[1].text, NoDatabase);
        QCOMPARE(s.dialogs.seen()[1].title, AppTitle);
        QCOMPARE(s.dialogs.seen()[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(s.untouched());
        QCOMPARE(s.screen->entries().size(), 2);
        // Also with no entries at all: told, nothing written.
        s.figure(QMessageBox::No);
        s.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        click(s.figureButton());
        QCOMPARE(s.lastTold(), NoDatabase);
        QVERIFY(s.untouched());
    }

    void uncheckingMovesTheFocusToABoxThatCanTakeIt()
    {
        Sheet s;
        s.open();
        click(s.box(8));
        QCOMPARE(s.focused(), s.deerWeight(8));
        click(s.box(8));
        QCOMPARE(s.focused(), s.box(11)); // Check9 and Check10 cannot take it
        const std::pair<int, int> moves[] = {{3, 4}, {7, 8}, {11, 11}}; // the last: nowhere
        for (const auto& [row, next] : moves) {
            click(s.box(row));
            click(s.box(row));
            QCOMPARE(s.focused(), s.box(next));
        }
        // The space bar ticks and unticks as a click does.
        s.box(1)->setFocus();
        QTest::keyClick(s.box(1), Qt::Key_Space);
        QCOMPARE(s.focused(), s.deerWeight(1));
        s.box(1)->setFocus();
        QTest::keyClick(s.box(1), Qt::Key_Space);
        QVERIFY(!s.box(1)->isChecked());
        QCOMPARE(s.focused(), s.box(2));
        QCOMPARE(s.screen->entries().size(), 0);
    }

    void aChargeTotalThatIsNotANumberIsRefused()
    {
        for (const QString& typed : {QStringLiteral("abc"), QString(), QStringLiteral("12x")}) {
            Sheet s;
            s.open();
            typeInto(s.chargeTotal(), typed);
            QVERIFY(IsMarkedInvalid(s.chargeTotal()));
            s.enter(1, QStringLiteral("30"));
            s.dialogs.press(QMessageBox::Ok);
            click(s.figureButton());
            QCOMPARE(s.dialogs.unexpected(), 0);
            QCOMPARE(s.dialogs.seen().size(), 1);
            QVERIFY(s.lastTold().contains(QLatin1String("not a number")));
            QCOMPARE(s.deerTotal()->text(), QStringLiteral("Text2"));
            QCOMPARE(s.porkTotal()->text(), QStringLiteral("0"));
            QCOMPARE(s.chargeTotal()->text(), typed);
            QVERIFY(s.host.writes.isEmpty() && s.w()->isVisible());
        }
    }

    // Two pork weights near the largest number add up beyond any number: the
    // totals row would read "-Infinity".
    void columnsBeyondAnyNumberAreRefused()
    {
        Sheet s;
        s.open();
        const QString huge = QStringLiteral("-") + QString(316, QLatin1Char('9'));
        typeInto(s.porkWeight(1), huge);
        typeInto(s.porkWeight(7), huge);
        s.dialogs.press(QMessageBox::Ok);
        click(s.figureButton());
        QCOMPARE(s.dialogs.unexpected(), 0);
        QCOMPARE(s.dialogs.seen().size(), 1); // no confirmation
        QVERIFY2(s.lastTold().contains(QLatin1String("too large to be added up")),
                 qPrintable(s.lastTold()));
        QCOMPARE(s.porkTotal()->text(), QStringLiteral("0"));
        QCOMPARE(s.deerTotal()->text(), QStringLiteral("Text2"));
        QVERIFY(s.host.writes.isEmpty() && s.w()->isVisible());
    }

    void figuringStopsWhenAPriceCannotBeHad_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("deer");
        QTest::addColumn<QString>("told");
        QTest::newRow("no PorkTrim") << "Delete From Charges1 Where Item = 'PorkTrim'" << 1 << "30"
                                     << "\"PorkTrim\" is not in the price list";
        QTest::newRow("a price that is not a number")
            << "Update Charges1 Set Cost = 'two' Where Item = 'Jerky'" << 3 << "10"
            << "\"Jerky\"";
        QTest::newRow("no price list file") << "" << 1 << "30"
                                            << "There is no price list";
        QTest::newRow("weights too large")
            << "" << 3 << QString(400, QLatin1Char('9')) << "too large";
    }
    void figuringStopsWhenAPriceCannotBeHad()
    {
        QFETCH(QString, change);
        QFETCH(int, row);
        QFETCH(QString, deer);
        QFETCH(QString, told);
        Sheet s;
        if (!change.isEmpty())
            s.file.sql({change});
        if (QTest::currentDataTag() == QLatin1String("no price list file"))
            s.host.path = s.file.folder() + QStringLiteral("/gone.db");
        const QStringList before = s.file.rows();
        s.open();
        s.enter(row, deer);
        s.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        click(s.figureButton());
        QCOMPARE(s.dialogs.unexpected(), 0);
        QCOMPARE(s.dialogs.seen().size(), 2);
        QVERIFY2(s.lastTold().contains(told), qPrintable(s.lastTold()));
        QVERIFY(s.lastTold().contains(QLatin1String("nothing was figured"), Qt::CaseInsensitive));
        QVERIFY(s.untouched());
        QCOMPARE(s.file.rows(), before);
        QVERIFY(!QFile::exists(s.file.folder() + QStringLiteral("/gone.db")));
    }

    void twoEntriesOfAMissingItemAskOnce()
    {
        Sheet s;
        s.file.without(PriceItem::SmokedSausage);
        s.open();
        s.enter(5, QStringLiteral("10"));
        s.enter(6, QStringLiteral("20"));
        s.dialogs.press(QMessageBox::Yes).press(QMessageBox::Yes).type(QStringLiteral("2"));
        click(s.figureButton());
        QCOMPARE(s.dialogs.unexpected(), 0);
        QCOMPARE(s.dialogs.seen().size(), 3);
        QCOMPARE(s.rowsOf(PriceItem::SmokedSausage).size(), 1);
        QCOMPARE(s.host.writes.size(), 1);
        QCOMPARE(s.host.writes[0].charge, QStringLiteral("108")); // 2 x 45 + 1.2 x 15
    }

    // ------------------------------------------------------------ the Estimate screen

    void throughTheEstimateScreen()
    {
        Counter c;
        c.file.withSample();
        QWidget* sheet = c.openSheet();
        QVERIFY(sheet);
        QVERIFY(c.sausage()->isChecked());
        QCOMPARE(c.text("Text5"), QStringLiteral("202"));
        QVERIFY(!sheet->isModal());
        QVERIFY(c.screen->isEnabled());
        QCOMPARE(QApplication::focusWidget(), control<QCheckBox>(sheet, QStringLiteral("Check1")));

        // The worked example: Summer from 30 pounds of deer.
        click(control<QCheckBox>(sheet, QStringLiteral("Check1")));
        QTest::keyClicks(field(sheet, QStringLiteral("t1")), QStringLiteral("30"));
        QTest::keyClick(field(sheet, QStringLiteral("t1")), Qt::Key_Return);
        QCOMPARE(textOf(sheet, QStringLiteral("p1")), QStringLiteral("15.0"));
        QPointer<QWidget> gone(sheet);
        c.dialogs.press(QMessageBox::Yes);
        click(control<QPushButton>(sheet, QStringLiteral("cmdClose")));
        QCOMPARE(c.text("Text6_13"), QStringLiteral("45"));
        QCOMPARE(c.text("Text6_4"), QStringLiteral("130.5"));
        QCOMPARE(c.text("Text5"), QStringLiteral("332.5")); // 202 + 130.5, at once
        QVERIFY(!findScreen(QStringLiteral("frmWsEst")));
        QTRY_VERIFY(gone.isNull()); // discarded on close
        QCOMPARE(c.dialogs.unexpected(), 0);

        // The next opening starts afresh; shown again while open, it stays one.
        click(c.sausage());
        QWidget* again = Counter::activeSheet();
        QVERIFY(again);
        QVERIFY(!control<QCheckBox>(again, QStringLiteral("Check1"))->isChecked());
        QCOMPARE(textOf(again, QStringLiteral("Text2")), QStringLiteral("0"));
        QCOMPARE(textOf(again, QStringLiteral("txtTotal")), QStringLiteral("Text2"));
        QCOMPARE(QApplication::focusWidget(), control<QCheckBox>(again, QStringLiteral("Check1")));
        click(c.sausage());
        QCOMPARE(c.screen->findChildren<SausageWorksheet*>().size(), 1);
    }

    void addingAMissingItemThroughTheEstimateScreen()
    {
        Counter c;
        c.file.withSample().without(PriceItem::SmokedSausageJalepono);
        QWidget* sheet = c.openSheet();
        QVERIFY(sheet);
        click(control<QCheckBox>(sheet, QStringLiteral("Check2")));
        typeInto(field(sheet, QStringLiteral("t2")), QStringLiteral("20"));
        c.dialogs.press(QMessageBox::Yes).press(QMessageBox::Yes).type(QStringLiteral(" 3.1 "));
        click(control<QPushButton>(sheet, QStringLiteral("cmdClose")));
        QCOMPARE(c.dialogs.unexpected(), 0);
        QCOMPARE(c.dialogs.texts(),
                 (QStringList{QStringLiteral("\nJalepenoSausage  20   10.0"),
                              QStringLiteral("Smoked Sausage w/ Jalepono & Cheddar Could Not Be "
                                             "Found Do you want to add It?"),
                              QStringLiteral("Enter Price Per Pound For Smoked Sausage w/ "
                                             "Jalepono & Cheddar")}));
        QCOMPARE(c.text("Text6_13"), QStringLiteral("30"));
        QCOMPARE(c.text("Text6_4"), QStringLiteral("105")); // 3.1 x 30 + 1.2 x 10
        QCOMPARE(c.text("Text5"), QStringLiteral("307"));   // 17 + 185 + 105

        // The new row is there for every screen: another connection finds it.
        QVERIFY(c.file.rows().contains(
            QStringLiteral("Smoked Sausage w/ Jalepono & Cheddar|3.1|Curing/Seasoning")));
        PriceList another(c.file.path());
        QCOMPARE(another.open(), PriceList::OpenResult::Opened);
        const CostLookup found = another.lookupCost(PriceItem::SmokedSausageJalepono);
        QVERIFY(found.found());
        QCOMPARE(found.cost, 3.1);
        QCOMPARE(c.file.integrity(), QStringLiteral("ok"));
    }
};

QTEST_MAIN(TestSausageWorksheet)
#include "test_sausage_worksheet.moc"
