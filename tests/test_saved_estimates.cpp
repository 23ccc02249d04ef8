// Saved estimates at the counter, through the real screens against real files
// in temporary folders: the clerk saves an estimate, starts the next one, finds
// the first again, reopens it unchanged, records the final bill and prints it;
// a file that refuses never costs the estimate on the screen.

#include "book/estimate_book.h"
#include "core/numbers.h"
#include "core/shop_settings.h"
#include "estimate/estimate_summary.h"
#include "estimate_counter.h"
#include "pricelist/price_items.h"
#include "print_watch.h"
#include "save_dialog.h"
#include "screens/estimates_window.h"
#include "widgets.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

// Everything the clerk sees on the Estimate screen, one "name=value" a control.
QStringList shownOn(QWidget* screen)
{
    QStringList shown;
    for (const QLineEdit* edit : screen->findChildren<QLineEdit*>())
        if (!edit->objectName().isEmpty() && edit->window() == screen)
            shown << edit->objectName() + QLatin1Char('=') + edit->text() +
                         (edit->isVisible() ? QString() : QStringLiteral(" (hidden)"));
    for (const QAbstractButton* box : screen->findChildren<QAbstractButton*>())
        if (box->isCheckable() && box->window() == screen)
            shown << box->objectName() + QLatin1Char('=') +
                         (box->isChecked() ? QStringLiteral("on") : QStringLiteral("off")) +
                         (box->isVisible() ? QString() : QStringLiteral(" (hidden)"));
    const QListWidget* cure = control<QListWidget>(screen, QStringLiteral("List1"));
    for (int i = 0; i < cure->count(); ++i)
        shown << QStringLiteral("List1.%1=%2").arg(i).arg(cure->item(i)->isSelected());
    shown << QStringLiteral("height=%1").arg(screen->height());
    return shown;
}

struct Counter : EstimateCounter {
    SaveDialogAnswerer saving;

    QPushButton* button(const QString& name) const { return control<QPushButton>(s(), name); }
    QString estimatesPath() const { return EstimateBook::pathBeside(file.path()); }
    QWidget* estimatesWindow() const
    {
        click(button(QStringLiteral("cmdEstimates")));
        return findScreen(QStringLiteral("frmEstimates"));
    }
};

QTableWidget* tableOf(QWidget* window)
{
    return control<QTableWidget>(window, QStringLiteral("tblEstimates"));
}

QString cell(QWidget* window, int row, int column)
{
    const QTableWidgetItem* item = tableOf(window)->item(row, column);
    return item ? item->text() : QString();
}

} // namespace

class TestSavedEstimates : public QObject {
    Q_OBJECT

private slots:
    // The road of a clerk, from the quote to the printed final bill.
    void aQuoteFoundAgainReopenedAndBilled()
    {
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        c.tick(0); // tenderising
        const QStringList quoted = shownOn(c.s());
        const QString quoteState = c.screen->estimate().saveState();
        const QString quotedTotal = c.text(QStringLiteral("Text5"));
        QVERIFY(c.screen->estimate().hasUnsavedChanges());

        // Ctrl+S: saved under the name exactly as typed, with its number.
        const QString name = QStringLiteral(" Ann O'Smith; \"Drop\" <b>");
        c.saving.save(name, QStringLiteral("555-0100"), QStringLiteral("tag 7"));
        QTest::keyClick(c.s(), Qt::Key_S, Qt::ControlModifier);
        const qint64 first = c.screen->record().number;
        QVERIFY(first > 0);
        QVERIFY(!c.screen->estimate().hasUnsavedChanges());
        QCOMPARE(shownOn(c.s()), quoted); // saving changes nothing shown
        QVERIFY(!c.saving.seen().last().offersFinal);

        // New Estimate: nothing unsaved, so no question; the start-up state.
        click(c.button(QStringLiteral("cmdNewEstimate")));
        QCOMPARE(c.text(QStringLiteral("Text1")), QStringLiteral("0"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("0"));
        QVERIFY(!control<QRadioButton>(c.s(), QStringLiteral("Option1"))->isChecked());
        QVERIFY(!c.service(0)->isVisible());
        QCOMPARE(c.screen->record().number, qint64(0));
        c.animal(QStringLiteral("Option2"), QStringLiteral("250"));
        c.saving.save(QStringLiteral("Bob Jones"));
        click(c.button(QStringLiteral("cmdSaveEstimate")));
        QVERIFY(c.screen->record().number > first);

        // The prices change meanwhile; opening never reprices.
        c.file.price(PriceItem::BeefKill, 99);
        QWidget* window = c.estimatesWindow();
        QVERIFY(window);
        QCOMPARE(tableOf(window)->rowCount(), 2);
        QCOMPARE(cell(window, 0, 2), QStringLiteral("Bob Jones")); // newest first
        typeInto(field(window, QStringLiteral("txtSearch")), QStringLiteral("o'sm"));
        QCOMPARE(tableOf(window)->rowCount(), 1);
        QCOMPARE(cell(window, 0, 2), name);
        QCOMPARE(cell(window, 0, 6), quotedTotal);
        click(control<QPushButton>(window, QStringLiteral("cmdOpen")));
        QCOMPARE(shownOn(c.s()), quoted);
        QCOMPARE(c.screen->estimate().saveState(), quoteState);
        QVERIFY(!c.screen->estimate().hasUnsavedChanges());
        QVERIFY(control<QLabel>(c.s(), QStringLiteral("lblEstimate"))->text().contains(name));

        // The carcass hangs at 520: saved as the final bill, the quote kept.
        typeInto(c.edit(QStringLiteral("Text2")), QStringLiteral("520"));
        const QString billedTotal = c.text(QStringLiteral("Text5"));
        QVERIFY(billedTotal != c.screen->record().quoteTotal);
        c.saving.answer({name, QStringLiteral("555-0100"), QStringLiteral("tag 7"), {}, false});
        QApplication::setActiveWindow(c.s());
        QTest::keyClick(c.s(), Qt::Key_S, Qt::ControlModifier);
        const SaveDialogSeen asked = c.saving.seen().last();
        QCOMPARE(asked.customer, name); // the saved name shown to confirm
        QVERIFY(asked.offersFinal && asked.finalChecked);
        QString problem;
        const auto kept = EstimateBook(c.estimatesPath()).open(first, &problem);
        QVERIFY2(kept, qPrintable(problem));
        QCOMPARE(kept->quoteState, quoteState);
        QCOMPARE(kept->finalTotal, billedTotal);
        QCOMPARE(kept->phone, QStringLiteral("555-0100"));
        QCOMPARE(cell(window, 0, 7), billedTotal); // the list follows the save

        // Printed: quote, final and difference side by side, with the customer.
        QTemporaryDir dir;
        PrintToPdfWatch watch(dir.filePath(QStringLiteral("bill.pdf")));
        click(c.button(QStringLiteral("cmdPrint")));
        QCOMPARE(watch.shown, 1);
        const QString printed = pdfTextLines(watch.pdf).join(QLatin1Char('\n'));
        QCOMPARE(kept->quoteTotal, quotedTotal);
        const QString quoteTotal = quotedTotal;
        QVERIFY2(printed.contains(QStringLiteral("Total Price %1 %2 +%3")
                                      .arg(PrintedMoney(quoteTotal), PrintedMoney(billedTotal),
                                           PrintedMoney(NumberText(billedTotal.toDouble() -
                                                                   quoteTotal.toDouble())))),
                 qPrintable(printed));
        QVERIFY(printed.contains(QStringLiteral("Customer ") + name.trimmed()));
        QVERIFY(printed.contains(QStringLiteral("Estimate Number %1").arg(first)));
        QCOMPARE(c.dialogs.unexpected(), 0);
        QCOMPARE(c.saving.unexpected, 0);
    }

    // New and closing ask about changes not saved: Cancel stays, No discards,
    // Yes saves first.
    void leavingUnsavedChangesAsks()
    {
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("800"));
        const QStringList before = shownOn(c.s());
        c.dialogs.press(QMessageBox::Cancel);
        click(c.button(QStringLiteral("cmdNewEstimate")));
        QCOMPARE(shownOn(c.s()), before);
        QVERIFY(c.dialogs.texts().last().contains(QLatin1String("not saved")));
        c.dialogs.press(QMessageBox::Cancel);
        QVERIFY(!c.s()->close());
        QVERIFY(c.s()->isVisible());

        // Yes: the save dialog, a name of blanks refused and asked again.
        c.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        c.saving.save(QStringLiteral("   ")).save(QStringLiteral("Cy"));
        QApplication::setActiveWindow(c.s()); // as the clerk's click on it makes it
        QTest::keyClick(c.s(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(c.saving.seen().size(), 2);
        QCOMPARE(c.text(QStringLiteral("Text1")), QStringLiteral("0"));
        QString problem;
        const auto list = EstimateBook(c.estimatesPath()).list(QString(), &problem);
        QCOMPARE(list.size(), 1);
        QCOMPARE(list[0].customer, QStringLiteral("Cy"));
        QCOMPARE(list[0].liveWeight, QStringLiteral("800"));

        c.pick(QStringLiteral("Option3"));
        c.dialogs.press(QMessageBox::No);
        QVERIFY(c.s()->close());
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // A file that refuses: the clerk reads why, the estimate stays on the
    // screen as it was, and estimating goes on.
    void aRefusedSaveKeepsTheEstimate_data()
    {
        QTest::addColumn<QString>("fault");
        for (const char* fault : {"damaged", "newer", "read-only", "locked"})
            QTest::newRow(fault) << QString::fromLatin1(fault);
    }
    void aRefusedSaveKeepsTheEstimate()
    {
        QFETCH(QString, fault);
        Counter c;
        c.file.withSample();
        TestPriceList books; // a file of saved estimates, given as --estimates does
        const QString path = books.path();
        std::unique_ptr<QSqlDatabase> other;
        const QString connection = QStringLiteral("other-") + fault;
        if (fault == QLatin1String("damaged")) {
            writeFile(path, QByteArray("SQLite format 3") + QByteArray(4000, '\x5a'));
        } else {
            {
                EstimateRecord first;
                first.customer = QStringLiteral("First");
                first.quoteState = QStringLiteral("x");
                QVERIFY(EstimateBook(path).save(first).done);
            }
            other = std::make_unique<QSqlDatabase>(
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection));
            other->setDatabaseName(path);
            QVERIFY(other->open());
            QSqlQuery q(*other);
            if (fault == QLatin1String("newer"))
                QVERIFY(q.exec(QStringLiteral("Pragma user_version = 99")));
            if (fault == QLatin1String("locked"))
                QVERIFY(q.exec(QStringLiteral("Begin Exclusive")));
            if (fault == QLatin1String("read-only")) {
                other->close();
                if (!books.makeReadOnly())
                    QSKIP("this machine cannot make a file read-only");
            }
        }
        // A damaged file never stops the start nor the pricing.
        c.screen = std::make_unique<EstimateScreen>(c.file.path(), path);
        c.screen->startUp();
        c.screen->show();
        QApplication::setActiveWindow(c.s());
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("202"));
        const QStringList before = shownOn(c.s());
        const QString state = c.screen->estimate().saveState();
        c.dialogs.press(QMessageBox::Ok);
        c.saving.save(QStringLiteral("Dee"));
        QVERIFY(!c.screen->saveEstimate());
        QCOMPARE(c.dialogs.seen().size(), 1);
        const QString told = c.dialogs.texts().last();
        QVERIFY2(told.contains(QLatin1String("not saved")) && told.contains(path),
                 qPrintable(told));
        QCOMPARE(shownOn(c.s()), before);
        QCOMPARE(c.screen->estimate().saveState(), state);
        QVERIFY(c.screen->estimate().hasUnsavedChanges());
        QCOMPARE(c.screen->record().number, qint64(0));
        c.weight(QStringLiteral("1200")); // estimating goes on
        QCOMPARE(c.text(QStringLiteral("Text2")), QStringLiteral("600"));
        if (other) {
            other->close();
            other.reset();
            QSqlDatabase::removeDatabase(connection);
        }
    }

    // The window: at most its newest rows, a search for older ones, delete
    // asks, and the export makes formulas inert.
    void theWindowFindsDeletesAndExports()
    {
        Counter c;
        c.file.withSample();
        {
            EstimateBook book(c.estimatesPath());
            for (int i = 0; i <= EstimatesWindow::ShownRows; ++i) {
                EstimateRecord r;
                r.customer = i == 0 ? QStringLiteral("=HYPERLINK(\"x\")")
                                    : QStringLiteral("Customer %1").arg(i);
                r.quoteState = QStringLiteral("x");
                r.quoteTotal = QStringLiteral("100");
                QVERIFY(book.save(r).done);
            }
        }
        c.start();
        QTest::keyClick(c.s(), Qt::Key_F, Qt::ControlModifier);
        QWidget* window = findScreen(QStringLiteral("frmEstimates"));
        QVERIFY(window);
        QCOMPARE(tableOf(window)->rowCount(), EstimatesWindow::ShownRows);
        QVERIFY(control<QLabel>(window, QStringLiteral("lblStatus"))
                    ->text()
                    .contains(QLatin1String("search")));
        typeInto(field(window, QStringLiteral("txtSearch")), QStringLiteral("hyperlink"));
        QCOMPARE(tableOf(window)->rowCount(), 1);

        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("list.csv"));
        auto* estimates = qobject_cast<EstimatesWindow*>(window);
        QVERIFY(estimates->exportTo(csv));
        QCOMPARE(readFile(csv).split(QLatin1Char('\n')).value(1).section(QLatin1Char(','), 2, 2),
                 QStringLiteral("\"'=HYPERLINK(\"\"x\"\")\""));

        auto* remove = control<QPushButton>(window, QStringLiteral("cmdDelete"));
        c.dialogs.press(QMessageBox::No).press(QMessageBox::Yes);
        click(remove);
        QCOMPARE(tableOf(window)->rowCount(), 1);
        click(remove);
        QCOMPARE(tableOf(window)->rowCount(), 0);
        QVERIFY(c.dialogs.texts().first().startsWith(QLatin1String("Delete estimate 1 ")));
        QApplication::setActiveWindow(window);
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!findScreen(QStringLiteral("frmEstimates")));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // The shop's details typed in the price list window are kept for the
    // printed estimates, and shown there again.
    void theShopIsSetInThePriceListWindow()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        Counter c;
        c.startWithSample();
        const auto window = [&c] {
            click(c.button(QStringLiteral("cmdPriceList")));
            return findScreen(QStringLiteral("frmPriceList"));
        };
        QWidget* prices = window();
        QVERIFY(prices);
        typeInto(field(prices, QStringLiteral("txtShopName")), QStringLiteral("Hill & Sons"));
        typeInto(field(prices, QStringLiteral("txtShopPhone")), QStringLiteral("555-0199"));
        click(control<QPushButton>(prices, QStringLiteral("cmdSaveShop")));
        QCOMPARE(LoadShopDetails().name, QStringLiteral("Hill & Sons"));
        QCOMPARE(LoadShopDetails().phone, QStringLiteral("555-0199"));
        prices->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(textOf(window(), QStringLiteral("txtShopName")), QStringLiteral("Hill & Sons"));
        QCOMPARE(c.dialogs.unexpected(), 0);
        qunsetenv("XDG_CONFIG_HOME");
    }
};

QTEST_MAIN(TestSavedEstimates)
#include "test_saved_estimates.moc"
