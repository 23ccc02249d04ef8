// The kill calendar as the clerk uses it: opened from the Estimate screen,
// a day chosen with the keys, a kill date booked for the customer of the
// estimate shown with a deposit, a full day refused with the first day that
// fits offered, and another counter's booking shown as it is made.

#include "book_checks.h"
#include "core/money.h"
#include "counter_screen.h"
#include "dialog_answerer.h"
#include "estimate/service_catalog.h"
#include "pricelist/price_history.h"
#include "print_watch.h"
#include "save_dialog.h"
#include "screens/kill_calendar_window.h"
#include "test_price_list.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

const QDate Monday(2026, 10, 12);

// Fills the booking dialogs as they show, one after another, as the clerk
// does, and presses Book (or Keep) on each.
void answerBookingDialogs(const QList<std::function<void(QDialog*)>>& fills)
{
    auto* timer = new QTimer;
    auto left = std::make_shared<QList<std::function<void(QDialog*)>>>(fills);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, left] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String("dlgBooking") || !dialog->isVisible())
            return;
        const auto fill = left->takeFirst();
        if (left->isEmpty()) {
            timer->stop();
            timer->deleteLater();
        }
        fill(dialog);
        dialog->accept();
    });
    timer->start(20);
}

void answerBookingDialog(const std::function<void(QDialog*)>& fill)
{
    answerBookingDialogs({fill});
}

} // namespace

class TestKillCalendarWindow : public QObject {
    Q_OBJECT

private slots:
    void aKillDateIsBookedFromTheEstimateScreen()
    {
        TestPriceList shop;
        shop.withSample();
        {
            PriceList prices(shop.path());
            QCOMPARE(prices.open(), PriceList::OpenResult::Opened);
            ShopWideSettings settings;
            settings.capacity.days[0].animals.insert(QStringLiteral("Beef"), 1);
            settings.capacity.coolerPounds = 2000;
            QVERIFY(prices.saveShopSettings(settings).done());
        }
        CounterScreen screen(shop.path());
        screen.startUp();
        screen.show();
        click(control(&screen, QStringLiteral("Option1")));
        typeInto(field(&screen, QStringLiteral("Text1")), QStringLiteral("1100"));

        DialogAnswerer answers;
        click(control(&screen, QStringLiteral("cmdBookKillDate")));
        QWidget* calendar = findScreen(QStringLiteral("frmKillCalendar"));
        QVERIFY(calendar);
        auto* month = control<MonthView>(calendar, QStringLiteral("monthView"));
        QVERIFY(QTest::qWaitForWindowActive(calendar));
        QCOMPARE(calendar->focusWidget(), month);
        month->choose(Monday.addDays(-14));
        // Arrow keys by day and week, Page Down by month.
        QTest::keyClick(month, Qt::Key_Down);
        QTest::keyClick(month, Qt::Key_Down);
        QCOMPARE(month->chosen(), Monday);
        QTest::keyClick(month, Qt::Key_PageDown);
        QCOMPARE(month->chosen(), Monday.addMonths(1));
        QCOMPARE(control<QLabel>(calendar, QStringLiteral("lblMonth"))->text(),
                 QStringLiteral("November 2026"));
        QTest::keyClick(month, Qt::Key_PageUp);
        QTest::keyClick(month, Qt::Key_Right);
        QTest::keyClick(month, Qt::Key_Left);
        QCOMPARE(month->chosen(), Monday);

        // Booked for the estimate's beef of 1100 lb, with a deposit by check.
        answerBookingDialog([](QDialog* d) {
            QCOMPARE(textOf(d, QStringLiteral("txtLiveWeight")), QStringLiteral("1100"));
            typeInto(field(d, QStringLiteral("txtCustomer")), QStringLiteral("Rita Olsen"));
            typeInto(field(d, QStringLiteral("txtDeposit")), QStringLiteral("$100"));
            control<QComboBox>(d, QStringLiteral("cboMethod"))
                ->setCurrentText(QStringLiteral("check"));
            typeInto(field(d, QStringLiteral("txtCheckNumber")), QStringLiteral("1042"));
        });
        answers.press(QMessageBox::Ok);
        click(control(calendar, QStringLiteral("cmdBook")));
        QVERIFY2(answers.texts()
                     .join(QLatin1Char('\n'))
                     .contains(QLatin1String(
                         "Booking 1 is kept: 1 beef to be killed on Monday, October 12, 2026.")),
                 qPrintable(answers.texts().join(QLatin1Char('\n'))));
        QString problem;
        const std::optional<Booking> kept = screen.book().booking(1, &problem);
        QVERIFY2(kept, qPrintable(problem));
        QCOMPARE(kept->species, QStringLiteral("Beef"));
        QCOMPARE(kept->liveWeight, QStringLiteral("1100"));
        QCOMPARE(kept->hangingDays, 14);
        QCOMPARE(PaidCents(kept->payments), 10000);
        QCOMPARE(kept->payments.first().checkNumber, QStringLiteral("1042"));
        // 1100 lb at the high end of 0.64: 704 lb of the cooler's 2000.
        QCOMPARE(month->cellText(Monday),
                 (QStringList{QStringLiteral("12"), QStringLiteral("1 beef"),
                              QStringLiteral("cooler 35 %")}));
        QCOMPARE(month->cellText(Monday.addDays(14)).last(), QStringLiteral("cooler 35 %"));
        QVERIFY(month->cellText(Monday.addDays(15)).size() == 1);

        // The day is full: the first day that fits is offered, and taken.
        answers.clear();
        answerBookingDialog([](QDialog* d) {
            typeInto(field(d, QStringLiteral("txtCustomer")), QStringLiteral("Sam Berg"));
        });
        answers.press(QMessageBox::Yes).press(QMessageBox::Ok);
        click(control(calendar, QStringLiteral("cmdBook")));
        const QString told = answers.texts().join(QLatin1Char('\n'));
        QVERIFY2(
            told.contains(QLatin1String("The kill day is full: Monday, October 12, 2026 "
                                        "takes 1 beef")) &&
                told.contains(QLatin1String("Book it on Tuesday, October 13, 2026 instead?")) &&
                told.contains(QLatin1String("Booking 2 is kept")),
            qPrintable(told));
        QCOMPARE(month->chosen(), Monday.addDays(1));

        // The owner books over what is full, and the days it takes are marked.
        month->choose(Monday);
        answers.clear();
        answerBookingDialog([](QDialog* d) {
            typeInto(field(d, QStringLiteral("txtCustomer")), QStringLiteral("Owner's Cousin"));
        });
        answers.press(QMessageBox::No).press(QMessageBox::Yes).press(QMessageBox::Ok);
        click(control(calendar, QStringLiteral("cmdBook")));
        QVERIFY2(answers.texts().value(1).startsWith(QLatin1String(
                     "Book it on Monday, October 12, 2026 over what the shop can take in?")),
                 qPrintable(answers.texts().join(QLatin1Char('\n'))));
        QVERIFY(screen.book().booking(3, &problem)->overCapacity);
        QCOMPARE(month->cellText(Monday),
                 (QStringList{QStringLiteral("12"), QStringLiteral("2 beef"),
                              QStringLiteral("cooler 70 %"), QStringLiteral("over capacity")}));
        month->choose(Monday.addDays(1));
        // Enter lists the day: its kills; beef 1 still hanging is not listed.
        QTest::keyClick(month, Qt::Key_Left);
        QTest::keyClick(month, Qt::Key_Return);
        auto* day = control<QTableWidget>(calendar, QStringLiteral("lstDay"));
        QCOMPARE(day->rowCount(), 2);
        QCOMPARE(day->item(0, 2)->text(), QStringLiteral("Rita Olsen"));
        QCOMPARE(day->item(0, 6)->text(), QStringLiteral("$100.00"));

        // Another counter's booking appears as it is made: billed by a saved
        // estimate that quotes tenderising.
        EstimateBook other(EstimateBook::pathBeside(shop.path()));
        EstimateRecord quoted;
        quoted.customer = QStringLiteral("Other");
        quoted.quoteState = QStringLiteral("quote");
        quoted.quoteServices = 1 << static_cast<int>(ServiceId::Tenderising);
        quoted.note = QStringLiteral("keep the heart");
        quoted.quoteCents = 33300;
        QVERIFY(other.save(quoted).done);
        Booking third = BookChecks::BookedBeef(QStringLiteral("Other"), Monday.addDays(2));
        third.tag = QStringLiteral("B-1042");
        third.estimates = {quoted.number};
        QVERIFY(other.keep(third).done);
        // Another window of the book (Saved Estimates) reads it first, and
        // looks for changes: the calendar is told the change still.
        screen.showEstimates();
        screen.book().changedElsewhere();
        QTRY_COMPARE_WITH_TIMEOUT(month->cellText(Monday.addDays(2)).value(1),
                                  QStringLiteral("1 beef"), 6000);

        // The week's kill sheet, read back from the PDF: by day, each animal.
        QTemporaryDir dir;
        PrintToPdfWatch printed(dir.filePath(QStringLiteral("sheet.pdf")));
        click(control(calendar, QStringLiteral("cmdKillSheet")));
        QCOMPARE(printed.shown, 1);
        QVERIFY2(printed.suggested.endsWith(QLatin1String("Kill Sheet 2026-10-12.pdf")),
                 qPrintable(printed.suggested));
        const QStringList sheet = pdfTextLines(printed.pdf);
        const QString text = sheet.join(QLatin1Char('\n'));
        const qsizetype monday = text.indexOf(QLatin1String("Monday, October 12"));
        const qsizetype tuesday = text.indexOf(QLatin1String("Tuesday, October 13"));
        const qsizetype wednesday = text.indexOf(QLatin1String("Wednesday, October 14"));
        QVERIFY2(text.startsWith(QLatin1String("Kill sheet, week of October 12, 2026")) &&
                     0 < monday && monday < tuesday && tuesday < wednesday,
                 qPrintable(text));
        QVERIFY2(text.indexOf(QLatin1String("Rita Olsen")) > monday &&
                     text.indexOf(QLatin1String("Rita Olsen")) < tuesday &&
                     text.indexOf(QLatin1String("Sam Berg")) > tuesday &&
                     text.contains(QRegularExpression(
                         QStringLiteral("4 Other 1 beef B-1042 1150 lb 736 lb Tenderi"))) &&
                     text.contains(
                         QRegularExpression(QStringLiteral("keep the\\s+(555-0142\\s+)?heart"))),
                 qPrintable(text));
        QCOMPARE(answers.unexpected(), 0);

        // Weighed, and paid at pickup: a payment over the balance is told
        // first, and the balance adds up to the cent.
        month->choose(Monday.addDays(2));
        QCOMPARE(month->cellText(Monday.addDays(2)).value(2), QStringLiteral("cooler 142 %"));
        QTest::keyClick(month, Qt::Key_Return);
        QCOMPARE(day->rowCount(), 1);
        day->setCurrentCell(0, 0);
        answers.clear();
        answerBookingDialogs(
            {[](QDialog* d) {
                 QCOMPARE(d->windowTitle(), QStringLiteral("Booking 4"));
                 typeInto(field(d, QStringLiteral("txtHangingWeighed")), QStringLiteral("702"));
                 typeInto(field(d, QStringLiteral("txtDeposit")), QStringLiteral("300"));
             },
             [](QDialog* d) {
                 typeInto(field(d, QStringLiteral("txtDeposit")), QStringLiteral("233.00"));
             }});
        answers.press(QMessageBox::No).press(QMessageBox::Ok);
        click(control(calendar, QStringLiteral("cmdChangeBooking")));
        QCOMPARE(answers.texts().value(0),
                 QStringLiteral("The payment of $300.00 is $67.00 over the balance due of "
                                "$233.00: give $67.00 back in change, or keep it as the "
                                "customer's credit. Keep the payment of $300.00?"));
        QCOMPARE(answers.texts().value(1),
                 QStringLiteral("Booking 4 is changed: killed, $333.00 billed, $333.00 paid, "
                                "balance due $0.00."));
        const std::optional<Booking> weighed = screen.book().booking(4, &problem);
        QCOMPARE(weighed->state, Booking::State::Killed);
        QCOMPARE(weighed->hangingWeighed, QStringLiteral("702"));
        QCOMPARE(weighed->payments.size(), 2);
        QCOMPARE(weighed->payments.last().kind, Payment::Kind::Payment);
        // The cooler counts the weighed weight now, 702 lb for 736 at the
        // high end of the range: 3 × 704 + 702 of the 2000 lb (the owner's
        // booking over them).
        QCOMPARE(month->cellText(Monday.addDays(2)).value(2), QStringLiteral("cooler 141 %"));
        // Ready for pickup from today: the board counts the days it waits.
        day->setCurrentCell(0, 0);
        answers.clear();
        answerBookingDialog([](QDialog* d) {
            control<QComboBox>(d, QStringLiteral("cboState"))
                ->setCurrentText(QStringLiteral("ready"));
        });
        answers.press(QMessageBox::Ok);
        click(control(calendar, QStringLiteral("cmdChangeBooking")));
        QCOMPARE(screen.book().booking(4, &problem)->readySince, QDate::currentDate());
        QCOMPARE(answers.unexpected(), 0);
    }

    // From the quote to pickup, as the shop bills it: booked from Saved
    // Estimates with a deposit that the quote's printout shows; weighed by
    // the final bill; ready, then picked up past the free days with the
    // storage charged; paid to the cent, and every bill, the list and its
    // export agree.
    void fromTheQuoteToPickupTheBillsAddUp()
    {
        TestPriceList shop;
        shop.withSample();
        shop.price(QStringLiteral("StorageFee"), 1.50);
        {
            PriceList prices(shop.path());
            QCOMPARE(prices.open(), PriceList::OpenResult::Opened);
            ShopWideSettings settings;
            settings.capacity.freeStorageDays = 7;
            QVERIFY(prices.saveShopSettings(settings).done());
        }
        CounterScreen screen(shop.path());
        screen.testClock().at = QDateTime(Monday.addDays(-30), QTime(9, 0));
        screen.startUp();
        screen.show();
        DialogAnswerer answers;
        SaveDialogAnswerer saving;
        click(control(&screen, QStringLiteral("Option1")));
        typeInto(field(&screen, QStringLiteral("Text1")), QStringLiteral("1000"));
        saving.save(QStringLiteral("Ann Lee"), QStringLiteral("555-0101"));
        QVERIFY(screen.saveEstimate());
        QString problem;
        const auto saved = [&] {
            return *screen.book().open(1, &problem);
        };
        const std::int64_t quoted = *saved().quoteCents;

        // Booked from Saved Estimates, for the estimate chosen there.
        screen.showEstimates();
        QWidget* list = findScreen(QStringLiteral("frmEstimates"));
        auto* table = control<QTableWidget>(list, QStringLiteral("tblEstimates"));
        table->selectRow(0);
        click(control(list, QStringLiteral("cmdBookKillDate")));
        QWidget* calendar = findScreen(QStringLiteral("frmKillCalendar"));
        QVERIFY(calendar && calendar->isVisible());
        QVERIFY(control<QLabel>(calendar, QStringLiteral("lblStatus"))
                    ->text()
                    .contains(QLatin1String("Ann Lee")));
        auto* month = control<MonthView>(calendar, QStringLiteral("monthView"));
        month->choose(Monday);
        answerBookingDialog([](QDialog* d) {
            QCOMPARE(textOf(d, QStringLiteral("txtCustomer")), QStringLiteral("Ann Lee"));
            QCOMPARE(textOf(d, QStringLiteral("txtLiveWeight")), QStringLiteral("1000"));
            typeInto(field(d, QStringLiteral("txtDeposit")), QStringLiteral("100"));
        });
        answers.press(QMessageBox::Ok);
        click(control(calendar, QStringLiteral("cmdBook")));
        std::optional<Booking> booking = screen.book().booking(1, &problem);
        QVERIFY2(booking, qPrintable(answers.texts().join(QLatin1Char('\n'))));
        QCOMPARE(booking->estimates, QList<qint64>{1});
        QCOMPARE(booking->payments.value(0).day, Monday.addDays(-30));

        // The quote printed shows the deposit and what is left to pay.
        QTemporaryDir dir;
        const auto printed = [&](const char* name) {
            PrintToPdfWatch watch(dir.filePath(QLatin1String(name)));
            click(control(&screen, QStringLiteral("cmdPrint")));
            return pdfTextLines(watch.pdf).join(QLatin1Char('\n'));
        };
        QString page = printed("quote.pdf");
        QVERIFY2(page.contains(QStringLiteral("Deposit, 2026-09-12, cash -$100.00")) &&
                     page.contains(
                         QStringLiteral("Estimated Balance Due %1").arg(MoneyText(quoted - 10000))),
                 qPrintable(page));
        // The list shows what was paid and the balance, and so does its export.
        QTRY_COMPARE(table->item(0, 13)->text(), MoneyText(10000));
        QCOMPARE(table->item(0, 14)->text(), MoneyText(quoted - 10000));

        // Weighed for the final bill: the booking's carcass is killed.
        typeInto(field(&screen, QStringLiteral("Text2")), QStringLiteral("640"));
        saving.save(QStringLiteral("Ann Lee"), QStringLiteral("555-0101"));
        QVERIFY(screen.saveEstimate());
        QVERIFY(saved().hasFinal());
        booking = screen.book().booking(1, &problem);
        QCOMPARE(booking->state, Booking::State::Killed);
        QCOMPARE(booking->hangingWeighed, QStringLiteral("640"));
        const std::int64_t billed = *saved().finalCents;

        // Ready the day after its cut; picked up ten days later: three days
        // past the seven free, at $1.50, shown before it is kept.
        const auto change = [&](const QDate& today, const std::function<void(QDialog*)>& fill) {
            screen.testClock().at = QDateTime(today, QTime(9, 0));
            month->choose(Monday);
            QTest::keyClick(month, Qt::Key_Return);
            auto* day = control<QTableWidget>(calendar, QStringLiteral("lstDay"));
            day->setCurrentCell(0, 0);
            answers.clear();
            answers.press(QMessageBox::Ok);
            answerBookingDialog(fill);
            click(control(calendar, QStringLiteral("cmdChangeBooking")));
        };
        change(Monday.addDays(15), [](QDialog* d) {
            control<QComboBox>(d, QStringLiteral("cboState"))
                ->setCurrentText(QStringLiteral("ready"));
        });
        QString storage;
        bool waivable = false;
        change(Monday.addDays(25), [&](QDialog* d) {
            control<QComboBox>(d, QStringLiteral("cboState"))
                ->setCurrentText(QStringLiteral("picked up"));
            storage = control<QLabel>(d, QStringLiteral("lblStorage"))->text();
            waivable = control<QCheckBox>(d, QStringLiteral("chkWaiveStorage"))->isEnabled();
            typeInto(field(d, QStringLiteral("txtDeposit")), CentsText(billed + 450 - 10000));
        });
        QCOMPARE(storage, QStringLiteral("3 days past the free days, $4.50"));
        QVERIFY(waivable);
        QVERIFY2(answers.texts().value(0).endsWith(QLatin1String("balance due $0.00.")),
                 qPrintable(answers.texts().join(QLatin1Char('\n'))));
        booking = screen.book().booking(1, &problem);
        QCOMPARE(booking->state, Booking::State::PickedUp);
        QCOMPARE(booking->storage, (StorageCharge{3, 450, QString()}));

        // The final bill shows the storage, every payment and the balance.
        page = printed("final.pdf");
        QVERIFY2(page.contains(QLatin1String("Final bill of")) &&
                     page.contains(QLatin1String("Storage, 3 days past the free days $4.50")) &&
                     page.contains(QLatin1String("Deposit, 2026-09-12, cash -$100.00")) &&
                     page.contains(QStringLiteral("Payment, 2026-11-06, cash -%1")
                                       .arg(MoneyText(billed + 450 - 10000))) &&
                     page.contains(QLatin1String("Balance Due $0.00")),
                 qPrintable(page));
        QTRY_COMPARE(table->item(0, 14)->text(), MoneyText(0));
        auto* window = qobject_cast<EstimatesWindow*>(list);
        const QString csv = dir.filePath(QStringLiteral("estimates.csv"));
        QVERIFY(window->exportTo(csv));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QVERIFY2(
            lines.value(0).endsWith(QLatin1String("Paid,Balance Due")) &&
                lines.value(1).endsWith(QStringLiteral(",%1,0.00").arg(CentsText(billed + 450))),
            qPrintable(lines.join(QLatin1Char('\n'))));
        QCOMPARE(answers.unexpected(), 0);
        QCOMPARE(saving.unanswered(), 0);
    }

    // A share chosen in Saved Estimates books its animal, billed by every
    // share under the tag (the chosen buyer's bill the booking's own); a
    // buyer's payment goes to the bill it is for, and a waived storage is
    // kept with who waived it.
    void aBookingOfSharesFromSavedEstimates()
    {
        TestPriceList shop;
        shop.withSample();
        shop.price(QStringLiteral("StorageFee"), 2.00);
        {
            PriceList prices(shop.path());
            QCOMPARE(prices.open(), PriceList::OpenResult::Opened);
            ShopWideSettings settings;
            settings.capacity.freeStorageDays = 3;
            QVERIFY(prices.saveShopSettings(settings).done());
        }
        {
            EstimateBook book(EstimateBook::pathBeside(shop.path()));
            for (const auto& [customer, total] :
                 {std::pair{"Ann", "300"}, std::pair{"Bo", "200"}, std::pair{"Cy", "90"}}) {
                EstimateRecord share;
                share.customer = QLatin1String(customer);
                share.species = QStringLiteral("Beef");
                share.liveWeight = QStringLiteral("1200");
                share.quoteTotal = QLatin1String(total);
                share.quoteCents = *CentsOf(share.quoteTotal);
                share.animalTag = share.tagLine =
                    share.customer == QLatin1String("Cy") ? QString() : QStringLiteral("B-7");
                QVERIFY(book.save(share).done);
            }
        }
        CounterScreen screen(shop.path());
        screen.testClock().at = QDateTime(Monday, QTime(9, 0));
        screen.startUp();
        screen.show();
        DialogAnswerer answers;
        screen.showEstimates();
        QWidget* list = findScreen(QStringLiteral("frmEstimates"));
        auto* table = control<QTableWidget>(list, QStringLiteral("tblEstimates"));
        QCOMPARE(table->item(1, 2)->text(), QStringLiteral("Bo"));
        table->selectRow(1);
        click(control(list, QStringLiteral("cmdBookKillDate")));
        QWidget* calendar = findScreen(QStringLiteral("frmKillCalendar"));
        auto* month = control<MonthView>(calendar, QStringLiteral("monthView"));
        month->choose(Monday);
        answerBookingDialog([](QDialog* d) {
            QCOMPARE(textOf(d, QStringLiteral("txtCustomer")), QStringLiteral("Bo"));
            QCOMPARE(textOf(d, QStringLiteral("txtTag")), QStringLiteral("B-7"));
            typeInto(field(d, QStringLiteral("txtDeposit")), QStringLiteral("50"));
        });
        answers.press(QMessageBox::Ok);
        click(control(calendar, QStringLiteral("cmdBook")));
        QString problem;
        QCOMPARE(screen.book().booking(1, &problem)->estimates, (QList<qint64>{2, 1}));

        const auto change = [&](const QDate& today, const std::function<void(QDialog*)>& fill) {
            screen.testClock().at = QDateTime(today, QTime(9, 0));
            month->choose(Monday);
            QTest::keyClick(month, Qt::Key_Return);
            control<QTableWidget>(calendar, QStringLiteral("lstDay"))->setCurrentCell(0, 0);
            answers.clear();
            answers.press(QMessageBox::Ok);
            answerBookingDialog(fill);
            click(control(calendar, QStringLiteral("cmdChangeBooking")));
        };
        change(Monday.addDays(5), [](QDialog* d) {
            control<QComboBox>(d, QStringLiteral("cboState"))
                ->setCurrentText(QStringLiteral("ready"));
        });
        // Picked up five days later: two days past the three free, waived;
        // Ann pays $100 for her share.
        change(Monday.addDays(10), [](QDialog* d) {
            control<QComboBox>(d, QStringLiteral("cboState"))
                ->setCurrentText(QStringLiteral("picked up"));
            QCOMPARE(control<QLabel>(d, QStringLiteral("lblStorage"))->text(),
                     QStringLiteral("2 days past the free days, $4.00"));
            control<QCheckBox>(d, QStringLiteral("chkWaiveStorage"))->setChecked(true);
            auto* paidFor = control<QComboBox>(d, QStringLiteral("cboPaidFor"));
            QCOMPARE(paidFor->count(), 2);
            paidFor->setCurrentIndex(1);
            typeInto(field(d, QStringLiteral("txtDeposit")), QStringLiteral("100"));
            typeInto(field(d, QStringLiteral("txtPackaged")), QStringLiteral("212.5"));
        });
        const std::optional<Booking> picked = screen.book().booking(1, &problem);
        QCOMPARE(picked->state, Booking::State::PickedUp);
        QCOMPARE(picked->packaged, QStringLiteral("212.5"));
        QCOMPARE(picked->storage.days, 2);
        QVERIFY(!picked->storage.charged());
        QCOMPARE(picked->storage.waivedBy, PriceHistory::ThisUser());
        QCOMPARE(picked->payments.last().estimate, 1);
        // Each share's row: what was paid against its bill and its balance;
        // the estimate of no booking shows neither.
        const auto row = [&](const QString& customer) {
            for (int r = 0; r < table->rowCount(); ++r)
                if (table->item(r, 2)->text() == customer)
                    return QStringList{table->item(r, 13)->text(), table->item(r, 14)->text()};
            return QStringList();
        };
        QTRY_COMPARE(row(QStringLiteral("Bo")),
                     (QStringList{QStringLiteral("$50.00"), QStringLiteral("$150.00")}));
        QCOMPARE(row(QStringLiteral("Ann")),
                 (QStringList{QStringLiteral("$100.00"), QStringLiteral("$200.00")}));
        QCOMPARE(row(QStringLiteral("Cy")), (QStringList{QString(), QString()}));
        QCOMPARE(answers.unexpected(), 0);
    }

    // Today's board from the Estimate screen: each section lists its
    // bookings, the orders waiting with the storage after the free days.
    void theDaysBoardListsTodaysWork()
    {
        TestPriceList shop;
        shop.withSample();
        shop.price(QStringLiteral("StorageFee"), 1.50);
        {
            PriceList prices(shop.path());
            QCOMPARE(prices.open(), PriceList::OpenResult::Opened);
            ShopWideSettings settings;
            settings.capacity.freeStorageDays = 7;
            QVERIFY(prices.saveShopSettings(settings).done());
        }
        const QDate today = Monday.addDays(14);
        {
            EstimateBook book(EstimateBook::pathBeside(shop.path()));
            Booking killed = BookChecks::BookedBeef(QStringLiteral("Killed Today"), today);
            Booking dropped =
                BookChecks::BookedBeef(QStringLiteral("Dropped Today"), today.addDays(1));
            dropped.dropOff = today;
            Booking hanging = BookChecks::BookedBeef(QStringLiteral("Hung Two Weeks"), Monday);
            hanging.state = Booking::State::Killed;
            Booking waiting =
                BookChecks::BookedBeef(QStringLiteral("Waiting Long"), Monday.addDays(-30));
            waiting.state = Booking::State::Ready;
            waiting.readySince = today.addDays(-10);
            for (Booking* b : {&killed, &dropped, &hanging, &waiting})
                QVERIFY(book.keep(*b).done);
        }
        CounterScreen screen(shop.path());
        screen.testClock().at = QDateTime(today, QTime(9, 0));
        screen.startUp();
        screen.show();
        click(control(&screen, QStringLiteral("cmdDayBoard")));
        QWidget* board = findScreen(QStringLiteral("frmDayBoard"));
        QVERIFY(board);
        QCOMPARE(control<QLabel>(board, QStringLiteral("lblDay"))->text(),
                 QStringLiteral("Monday, October 26, 2026"));
        auto* tree = control<QTreeWidget>(board, QStringLiteral("treeBoard"));
        QStringList shown;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* head = tree->topLevelItem(i);
            shown << head->text(0);
            for (int c = 0; c < head->childCount(); ++c)
                shown << QStringLiteral("  %1 | %2")
                             .arg(head->child(c)->text(1), head->child(c)->text(5));
        }
        QCOMPARE(shown, (QStringList{
                            QStringLiteral("Drop-offs today (1)"),
                            QStringLiteral("  Dropped Today | kill 10/27"),
                            QStringLiteral("Kills today (1)"), QStringLiteral("  Killed Today | "),
                            QStringLiteral("To cut: hanging days reached (1)"),
                            QStringLiteral("  Hung Two Weeks | cut today"),
                            QStringLiteral("Ready for pickup (1)"),
                            QStringLiteral("  Waiting Long | waiting 10 days, storage $4.50 (3 "
                                           "days at $1.50)")}));
    }
};

QTEST_MAIN(TestKillCalendarWindow)
#include "test_kill_calendar_window.moc"
