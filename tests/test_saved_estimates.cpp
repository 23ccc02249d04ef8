// Saved estimates at the counter, through the real screens against real files
// in temporary folders: the clerk saves an estimate, starts the next one, finds
// the first again, reopens it unchanged, records the final bill and prints it;
// a file that refuses never costs the estimate on the screen.

#include "book/estimate_book.h"
#include "core/money.h"
#include "core/numbers.h"
#include "core/shop_settings.h"
#include "estimate/estimate_summary.h"
#include "estimate/estimate_value.h"
#include "estimate_counter.h"
#include "pricelist/price_items.h"
#include "print_watch.h"
#include "save_dialog.h"
#include "screens/estimates_window.h"
#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <sys/stat.h>

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
        QTemporaryDir config; // the shop's ranges as published
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const auto restore = qScopeGuard([] { qunsetenv("XDG_CONFIG_HOME"); });
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        c.tick(0); // tenderising
        const QStringList quoted = shownOn(c.s());
        const QString quotedTotal = c.text(QStringLiteral("Text5"));
        QVERIFY(c.screen->estimate().hasUnsavedChanges());

        // Ctrl+S: saved under the name as typed (blanks at its ends taken
        // off), with its number.
        const QString typed = QStringLiteral(" Ann O'Smith; \"Drop\" <b>\t");
        const QString name = typed.trimmed();
        c.saving.save(typed, QStringLiteral("555-0100"), QStringLiteral("tag 7"));
        QTest::keyClick(c.s(), Qt::Key_S, Qt::ControlModifier);
        const qint64 first = c.screen->record().number;
        QVERIFY(first > 0);
        const QString quoteState = c.screen->estimate().value().toRecord();
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
        QCOMPARE(cell(window, 0, 6), PrintedMoney(quotedTotal));
        click(control<QPushButton>(window, QStringLiteral("cmdOpen")));
        QCOMPARE(shownOn(c.s()), quoted);
        QCOMPARE(c.screen->estimate().value().toRecord(), quoteState);
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
        QCOMPARE(cell(window, 0, 7), PrintedMoney(billedTotal)); // the list follows the save
        // The quote's likely range as it was given: kill 17, and processing
        // 185 and tenderising 6.86 at 0.58 to 0.64 of the live weight.
        QCOMPARE(cell(window, 0, 9), QStringLiteral("$239.56 to $262.58"));
        QCOMPARE(cell(window, 0, 8),
                 SignedMoneyText(*CentsOf(billedTotal) - *CentsOf(quotedTotal)));
        QVERIFY(cell(window, 0, 8).startsWith(QLatin1Char('+'))); // billed above the quote

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
        QVERIFY(printed.contains(QStringLiteral("Customer ") + name));
        QVERIFY(printed.contains(QStringLiteral("Note tag 7")));
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

        // Yes: the save dialog, a name of blanks refused and asked again;
        // the number told before the screen is cleared.
        c.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok).press(QMessageBox::Ok);
        c.saving.save(QStringLiteral("   ")).save(QStringLiteral("Cy"));
        QApplication::setActiveWindow(c.s()); // as the clerk's click on it makes it
        QTest::keyClick(c.s(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(c.saving.seen().size(), 2);
        QVERIFY(c.dialogs.texts().last().startsWith(QLatin1String("Saved as estimate ")));
        QVERIFY(c.dialogs.texts().last().endsWith(QLatin1String(" for Cy.")));
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
        c.screen = std::make_unique<CounterScreen>(c.file.path(), path);
        c.screen->startUp();
        c.screen->show();
        QApplication::setActiveWindow(c.s());
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("202"));
        const QStringList before = shownOn(c.s());
        const QString state = c.screen->estimate().value().toRecord();
        c.dialogs.press(QMessageBox::Ok);
        c.saving.save(QStringLiteral("Dee"));
        QVERIFY(!c.screen->saveEstimate());
        QCOMPARE(c.dialogs.seen().size(), 1);
        const QString told = c.dialogs.texts().last();
        QVERIFY2(told.contains(QLatin1String("not saved")) && told.contains(path),
                 qPrintable(told));
        QCOMPARE(shownOn(c.s()), before);
        QCOMPARE(c.screen->estimate().value().toRecord(), state);
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

        // Never over the book (nor the log beside it, kept while the book is
        // open), a price list or a pipe: told, each left as it was.
        const QString fifo = dir.filePath(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString book = readFile(c.estimatesPath());
        const QString prices = readFile(c.file.path());
        const QString log = c.estimatesPath() + QStringLiteral("-wal");
        QVERIFY(QFileInfo::exists(log));
        const QString logged = readFile(log);
        for (const QString& target : {c.estimatesPath(), log, c.file.path(), fifo}) {
            c.dialogs.clear();
            c.dialogs.press(QMessageBox::Ok);
            QVERIFY(!estimates->exportTo(target));
            QCOMPARE(c.dialogs.seen().size(), 1);
        }
        c.dialogs.clear();
        QCOMPARE(readFile(c.estimatesPath()), book);
        QCOMPARE(readFile(c.file.path()), prices);
        QCOMPARE(readFile(log), logged);
        QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);

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

    // Delete asks with No as the default, and leaves nothing selected, so
    // that Delete, Enter, Delete, Enter takes away one estimate, not two.
    void aDeleteTakesOneEstimateOnly()
    {
        Counter c;
        c.startWithSample();
        for (const char* name : {"First", "Second", "Third"}) {
            EstimateRecord record;
            record.customer = QLatin1String(name);
            record.quoteState = QStringLiteral("quote");
            QVERIFY(c.screen->book().save(record).done);
        }
        QWidget* window = c.estimatesWindow();
        QCOMPARE(tableOf(window)->rowCount(), 3);
        QMessageBox::StandardButton byDefault = QMessageBox::NoButton;
        c.dialogs.onDialog = [&](const SeenDialog&) {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                byDefault = box->standardButton(box->defaultButton());
        };
        // Tab from the search goes to the list, where the Delete key deletes.
        QApplication::setActiveWindow(window);
        field(window, QStringLiteral("txtSearch"))->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), tableOf(window));
        c.dialogs.press(QMessageBox::Yes);
        QTest::keyClick(tableOf(window), Qt::Key_Delete);
        QCOMPARE(byDefault, QMessageBox::No);
        QCOMPARE(tableOf(window)->rowCount(), 2);
        QVERIFY(tableOf(window)->selectedItems().isEmpty());
        // A second Delete finds nothing to delete, and asks nothing.
        QTest::keyClick(tableOf(window), Qt::Key_Delete);
        click(control<QPushButton>(window, QStringLiteral("cmdDelete")));
        QCOMPARE(c.dialogs.seen().size(), 1);
        QCOMPARE(tableOf(window)->rowCount(), 2);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // The list from the keyboard: Up and Down from the search move along it,
    // Enter opens; a click on a column's head sorts by it (money as money);
    // the note and the hunter's tag are shown and found; the period chosen
    // leaves out what was saved before it; a book that cannot be read is told
    // in one sentence.
    void theListFromTheKeyboard()
    {
        Counter c;
        c.startWithSample();
        c.screen->testClock().at = QDateTime(QDate(2026, 10, 15), QTime(9, 0));
        const struct {
            const char* customer;
            const char* total;
            const char* note;
            const char* hunter;
        } saved[] = {{"Ann", "9", "two freezer boxes", ""},
                     {"Bob", "100", "", "WI-4471"},
                     {"Cy", "10", "", ""}};
        for (const auto& e : saved) {
            EstimateRecord record;
            record.customer = QLatin1String(e.customer);
            record.quoteTotal = QLatin1String(e.total);
            record.note = QLatin1String(e.note);
            record.hunter = QLatin1String(e.hunter);
            record.quoteState = c.screen->estimate().value().toRecord();
            QVERIFY(c.screen->book().save(record).done);
        }
        QWidget* window = c.estimatesWindow();
        QTableWidget* table = tableOf(window);
        QLineEdit* search = field(window, QStringLiteral("txtSearch"));
        const auto customers = [&] {
            QStringList shown;
            for (int row = 0; row < table->rowCount(); ++row)
                shown << cell(window, row, 2);
            return shown;
        };
        QCOMPARE(customers(), (QStringList{"Cy", "Bob", "Ann"}));
        QCOMPARE(cell(window, 2, 12), QStringLiteral("two freezer boxes"));
        QCOMPARE(cell(window, 1, 11), QStringLiteral("WI-4471"));
        QCOMPARE(cell(window, 0, 6), QStringLiteral("$10.00"));

        QApplication::setActiveWindow(window);
        search->setFocus();
        QTest::keyClick(search, Qt::Key_Down);
        QTest::keyClick(search, Qt::Key_Down);
        QTest::keyClick(search, Qt::Key_Down); // no further than the last
        QCOMPARE(cell(window, table->currentRow(), 2), QStringLiteral("Ann"));
        QTest::keyClick(search, Qt::Key_Up);
        QCOMPARE(cell(window, table->currentRow(), 2), QStringLiteral("Bob"));
        QVERIFY(search->hasFocus()); // typing goes on in the search
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(c.screen->record().customer, QStringLiteral("Bob"));

        // Sorted by the quoted total as money: $9, $10, $100, then back.
        const int quoted = table->horizontalHeader()->sectionViewportPosition(6) + 5;
        QTest::mouseClick(table->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(quoted, 5));
        QStringList ascending = customers();
        QTest::mouseClick(table->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(quoted, 5));
        QStringList descending = customers();
        if (table->horizontalHeader()->sortIndicatorOrder() == Qt::AscendingOrder)
            std::swap(ascending, descending);
        QCOMPARE(ascending, (QStringList{"Ann", "Cy", "Bob"}));
        QCOMPARE(descending, (QStringList{"Bob", "Cy", "Ann"}));
        table->setFocus();
        table->selectRow(ascending == customers() ? 0 : 2); // Ann
        QTest::keyClick(table, Qt::Key_Enter);
        QCOMPARE(c.screen->record().customer, QStringLiteral("Ann"));

        // The note and the hunter's tag are searched, in any letter case.
        typeInto(search, QStringLiteral("FREEZER"));
        QCOMPARE(customers(), QStringList{"Ann"});
        typeInto(search, QStringLiteral("wi-44"));
        QCOMPARE(customers(), QStringList{"Bob"});
        typeInto(search, QString());

        // Ann's estimate was saved last year, Bob's in August: this season
        // (from the first of September) and this year leave them out.
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("dates"));
            db.setDatabaseName(c.estimatesPath());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral(
                "Update Estimates Set Created = '2025-11-02T10:00:00' Where Customer = 'Ann'")));
            QVERIFY(q.exec(QStringLiteral(
                "Update Estimates Set Created = '2026-08-20T10:00:00' Where Customer = 'Bob'")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("dates"));
        auto* period = control<QComboBox>(window, QStringLiteral("cboPeriod"));
        period->setCurrentText(QStringLiteral("This season"));
        QCOMPARE(customers(), QStringList{"Cy"});
        period->setCurrentText(QStringLiteral("This year"));
        QStringList thisYear = customers();
        thisYear.sort();
        QCOMPARE(thisYear, (QStringList{"Bob", "Cy"}));
        period->setCurrentText(QStringLiteral("All"));
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(SeasonStart(QDate(2027, 8, 31)), QDate(2026, 9, 1));

        // A book that cannot be read: told once, in one sentence.
        TestPriceList damagedFile;
        writeFile(damagedFile.path(), QByteArray("SQLite format 3") + QByteArray(4000, '\x5a'));
        EstimateBook damaged(damagedFile.path());
        EstimatesWindow list(damaged, c.screen->priceList(), c.screen->testClock(), nullptr);
        const QString told = control<QLabel>(&list, QStringLiteral("lblStatus"))->text();
        QVERIFY2(told.count(QStringLiteral("could not be read")) +
                         told.count(QStringLiteral("cannot be read")) ==
                     1,
                 qPrintable(told));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // What another counter saves or deletes shows in an open list.
    void theListFollowsOtherCounters()
    {
        Counter c;
        c.startWithSample();
        QWidget* window = c.estimatesWindow();
        QCOMPARE(tableOf(window)->rowCount(), 0);
        EstimateBook other(c.estimatesPath());
        EstimateRecord record;
        record.customer = QStringLiteral("From the other counter");
        record.quoteState = QStringLiteral("quote");
        QVERIFY(other.save(record).done);
        QTRY_COMPARE(tableOf(window)->rowCount(), 1);
        QCOMPARE(cell(window, 0, 2), record.customer);
        QVERIFY(other.remove(record.number).done);
        QTRY_COMPARE(tableOf(window)->rowCount(), 0);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // Saving as the clerk types: names and phones on one line and checked at
    // the field, a deer's hunter's tag, what was typed kept after a refusal,
    // a new number on request (also for an estimate deleted elsewhere), a
    // new estimate from a saved one, and the PDF named for the estimate.
    void savingAsTheClerkTypes()
    {
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option3"), QStringLiteral("150"));
        // A phone with letters is told at OK, and the dialog stays to mend it.
        c.dialogs.press(QMessageBox::Ok);
        c.saving
            .answer({QStringLiteral("Ed\r\n\tLund "),
                     QStringLiteral("555-CALL-ED"),
                     {},
                     {},
                     false,
                     QString(),
                     false})
            .answer({QStringLiteral("Ed\r\n\tLund "),
                     QStringLiteral("+1 (555) 010-0199 x2"),
                     QStringLiteral("smoked"),
                     {},
                     false,
                     QStringLiteral(" WI-4471\n"),
                     false});
        QVERIFY(c.screen->saveEstimate());
        QCOMPARE(c.saving.seen().size(), 2);
        QVERIFY(c.saving.seen().first().asksHunter); // a deer
        // Tab goes down the fields as they are shown.
        QCOMPARE(c.saving.seen().first().tabOrder,
                 QStringList({QStringLiteral("txtPhone"), QStringLiteral("txtHunterTag"),
                              QStringLiteral("txtNote")}));
        QVERIFY(c.dialogs.texts().last().contains(QLatin1String("phone number")));
        const EstimateRecord first = c.screen->record();
        QCOMPARE(first.customer, QStringLiteral("Ed Lund"));
        QCOMPARE(first.phone, QStringLiteral("+1 (555) 010-0199 x2"));
        QCOMPARE(first.hunter, QStringLiteral("WI-4471"));

        // The hunter's tag and the note are printed; the PDF is suggested
        // under the estimate's number and customer.
        QTemporaryDir dir;
        PrintToPdfWatch watch(dir.filePath(QStringLiteral("e.pdf")));
        click(c.button(QStringLiteral("cmdPrint")));
        QVERIFY2(watch.suggested.endsWith(
                     QStringLiteral("/Estimate %1 - Ed Lund.pdf").arg(first.number)),
                 qPrintable(watch.suggested));
        const QString printed = pdfTextLines(watch.pdf).join(QLatin1Char('\n'));
        QVERIFY2(printed.contains(QLatin1String("Hunter's Tag WI-4471")), qPrintable(printed));
        QVERIFY(printed.contains(QLatin1String("Note smoked")));

        // Saved as a new estimate: a new number, the first left as it was.
        typeInto(c.edit(QStringLiteral("Text1")), QStringLiteral("160"));
        c.saving.answer({QStringLiteral("Flo"), {}, {}, {}, false, QString(), true});
        QVERIFY(c.screen->saveEstimate());
        const qint64 second = c.screen->record().number;
        QVERIFY(second > first.number);
        QString problem;
        QCOMPARE(c.screen->book().open(first.number, &problem)->liveWeight, QStringLiteral("150"));
        QCOMPARE(c.screen->book().open(second, &problem)->customer, QStringLiteral("Flo"));

        // Deleted at another counter: the save is refused, what was typed is
        // offered again, and it is saved as a new estimate.
        QVERIFY(EstimateBook(c.estimatesPath()).remove(second).done);
        typeInto(c.edit(QStringLiteral("Text1")), QStringLiteral("170"));
        c.dialogs.press(QMessageBox::Ok);
        c.saving.save(QStringLiteral("Flo Berg"), QStringLiteral("555-0142"));
        QVERIFY(!c.screen->saveEstimate());
        QVERIFY(c.dialogs.texts().last().contains(QLatin1String("new estimate")));
        c.saving.answer({QStringLiteral("Flo Berg"),
                         QStringLiteral("555-0142"),
                         {},
                         {},
                         false,
                         QString(),
                         true});
        QVERIFY(c.screen->saveEstimate());
        QCOMPARE(c.saving.seen().last().customer, QStringLiteral("Flo Berg"));
        QCOMPARE(c.saving.seen().last().phone, QStringLiteral("555-0142"));
        const qint64 third = c.screen->record().number;
        QVERIFY(third > second);

        // New from this: the same animal for another customer; the saved
        // estimate stays, and the next save gives a new number.
        QApplication::setActiveWindow(c.s());
        QTest::keyClick(c.s(), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(c.screen->record().number, qint64(0));
        QCOMPARE(c.text(QStringLiteral("Text1")), QStringLiteral("170"));
        QVERIFY(c.screen->estimate().hasUnsavedChanges());
        c.saving.save(QStringLiteral("Gus"));
        QVERIFY(c.screen->saveEstimate());
        QVERIFY(c.screen->record().number > third);
        QVERIFY(c.saving.seen().last().customer.isEmpty()); // the customer asked anew

        // And from the Saved Estimates window, from the first estimate.
        QWidget* window = c.estimatesWindow();
        typeInto(field(window, QStringLiteral("txtSearch")), QStringLiteral("ed lund"));
        QCOMPARE(tableOf(window)->rowCount(), 1);
        click(control<QPushButton>(window, QStringLiteral("cmdNewFromThis")));
        QCOMPARE(c.screen->record().number, qint64(0));
        QCOMPARE(c.text(QStringLiteral("Text1")), QStringLiteral("150"));
        QVERIFY(c.screen->estimate().hasUnsavedChanges());
        QCOMPARE(c.dialogs.unexpected(), 0);
        QCOMPARE(c.saving.unexpected, 0);
    }

    // After Yes to "save them first?", a save cancelled or refused keeps the
    // estimate on the screen: nothing is cleared, opened over it or closed.
    void aSaveThatDidNotHappenKeepsTheEstimate()
    {
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("800"));
        c.saving.save(QStringLiteral("First"));
        QVERIFY(c.screen->saveEstimate());
        const qint64 first = c.screen->record().number;
        click(c.button(QStringLiteral("cmdNewEstimate"))); // saved: nothing asked
        c.animal(QStringLiteral("Option2"), QStringLiteral("300"));
        const QStringList before = shownOn(c.s());

        c.dialogs.press(QMessageBox::Yes);
        c.saving.cancel();
        click(c.button(QStringLiteral("cmdNewEstimate")));
        QCOMPARE(shownOn(c.s()), before);
        c.dialogs.press(QMessageBox::Yes);
        c.saving.cancel();
        QVERIFY(!c.screen->openEstimate(first));
        QCOMPARE(shownOn(c.s()), before);
        c.dialogs.press(QMessageBox::Yes);
        c.saving.cancel();
        QVERIFY(!c.s()->close());
        QCOMPARE(shownOn(c.s()), before);

        // Refused: a figure that could not be figured is never saved, so Yes
        // leaves everything as it was too.
        c.file.without(PriceItem::Processing);
        c.dialogs.press(QMessageBox::Ok);
        c.weight(QStringLiteral("310"));
        const QStringList marked = shownOn(c.s());
        c.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        click(c.button(QStringLiteral("cmdNewEstimate")));
        QVERIFY(c.dialogs.texts().last().contains(QLatin1String("Processing Charge could not be "
                                                                "figured")));
        QCOMPARE(shownOn(c.s()), marked);
        QCOMPARE(c.saving.unanswered(), 0);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // Once a final bill exists, a save changes only what is shown: the final
    // bill (shown at first), or the quote (shown at a click). The final bill
    // is offered first only when the carcass was weighed.
    void aFinalBillNeverOverwritesItsQuote()
    {
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        c.saving.save(QStringLiteral("Dale"));
        QVERIFY(c.screen->saveEstimate());
        const qint64 number = c.screen->record().number;
        const QString quoteState = c.screen->record().quoteState;
        QVERIFY(!control<QPushButton>(c.s(), QStringLiteral("cmdQuoteOrFinal"))->isVisible());

        c.tick(0); // a service added: the quote is mended
        c.saving.save(QStringLiteral("Dale"));
        QVERIFY(c.screen->saveEstimate());
        QVERIFY(c.saving.seen().last().offersFinal && !c.saving.seen().last().finalChecked);
        QVERIFY(!c.saving.seen().last().choiceFixed);
        QVERIFY(!c.screen->record().hasFinal());
        const QString mended = c.screen->record().quoteState;
        QVERIFY(mended != quoteState);

        typeInto(c.edit(QStringLiteral("Text2")), QStringLiteral("530")); // weighed
        c.saving.save(QStringLiteral("Dale"));
        QVERIFY(c.screen->saveEstimate());
        QVERIFY(c.saving.seen().last().finalChecked);
        QVERIFY(c.screen->record().hasFinal());
        QCOMPARE(c.screen->record().quoteState, mended);

        // Saved again as it is, even with the quote asked for: the final bill.
        c.saving.answer({QStringLiteral("Dale"), {}, {}, false, false});
        QVERIFY(c.screen->saveEstimate());
        QVERIFY(c.saving.seen().last().finalChecked && c.saving.seen().last().choiceFixed);
        QString problem;
        auto kept = EstimateBook(c.estimatesPath()).open(number, &problem);
        QVERIFY2(kept, qPrintable(problem));
        QCOMPARE(kept->quoteState, mended);
        QVERIFY(kept->finalTotal != kept->quoteTotal);

        // The quote shown: a save changes the quote, and the final bill stays.
        auto* toggle = control<QPushButton>(c.s(), QStringLiteral("cmdQuoteOrFinal"));
        QVERIFY(toggle->isVisible());
        click(toggle);
        QCOMPARE(c.text(QStringLiteral("Text2")), QStringLiteral("500"));
        QVERIFY(control<QLabel>(c.s(), QStringLiteral("lblEstimate"))
                    ->text()
                    .contains(QLatin1String("quote")));
        typeInto(c.edit(QStringLiteral("Text4")), QStringLiteral("15"));
        c.saving.answer({QStringLiteral("Dale"), {}, {}, true, false});
        QVERIFY(c.screen->saveEstimate());
        QVERIFY(!c.saving.seen().last().finalChecked && c.saving.seen().last().choiceFixed);
        kept = EstimateBook(c.estimatesPath()).open(number, &problem);
        QVERIFY(kept->quoteState != mended);
        QCOMPARE(EstimateValue::fromRecord(kept->quoteState)->kill.text, QStringLiteral("15"));
        QCOMPARE(EstimateValue::fromRecord(kept->finalState)->hanging.text, QStringLiteral("530"));
        // Shown, the quote prints alone; the final bill beside it.
        QTemporaryDir dir;
        for (const bool final : {false, true}) {
            PrintToPdfWatch watch(dir.filePath(final ? "final.pdf" : "quote.pdf"));
            click(c.button(QStringLiteral("cmdPrint")));
            const QString printed = pdfTextLines(watch.pdf).join(QLatin1Char('\n'));
            QCOMPARE(printed.contains(QLatin1String("Final bill of")), final);
            QCOMPARE(printed.contains(QLatin1String("Total Estimated Price $")), !final);
            click(toggle);
        }
        QCOMPARE(c.text(QStringLiteral("Text2")), QStringLiteral("500"));
        QCOMPARE(c.saving.unanswered(), 0);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // The hanging weight typed for the bill, even to the quote's own figure,
    // is weighed: the save records the final bill unless the clerk says the
    // quote. The heading of a long name keeps its words whole.
    void aWeighedHangingWeightIsAFinalBill()
    {
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        const QString name = QStringLiteral("Margaret Anne Thompson-Williamson of Tallowbrook");
        c.saving.save(name);
        QVERIFY(c.screen->saveEstimate());
        auto* heading = control<QLabel>(c.s(), QStringLiteral("lblEstimate"));
        QVERIFY2(heading->text().contains(QLatin1String(": quote, at today's prices")) ||
                     heading->text().contains(QLatin1String(": quote, at prices of ")),
                 qPrintable(heading->text()));
        const QFontMetrics metrics(heading->font());
        QVERIFY(metrics
                    .boundingRect(QRect(0, 0, heading->width(), 10000), Qt::TextWordWrap,
                                  heading->text())
                    .height() <= heading->height());
        typeInto(c.edit(QStringLiteral("Text2")), QStringLiteral("500")); // weighed at the quote's
        c.saving.save(name);
        QVERIFY(c.screen->saveEstimate());
        QVERIFY(c.saving.seen().last().finalChecked);
        QVERIFY(c.screen->record().hasFinal());
        QVERIFY(heading->text().contains(QLatin1String(": final bill, at ")));
    }

    // A reopened estimate is figured at the prices it was saved with until the
    // clerk asks for today's, and the screen says which.
    void aReopenedEstimateKeepsItsPricesUntilToday()
    {
        Counter c;
        c.startWithSample();
        c.screen->testClock().at = QDateTime(QDate(2026, 10, 1), QTime(10, 0));
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        c.tick(0);
        c.saving.save(QStringLiteral("Ed"));
        QVERIFY(c.screen->saveEstimate());
        const qint64 number = c.screen->record().number;
        c.dialogs.press(QMessageBox::No);
        click(c.button(QStringLiteral("cmdNewEstimate")));
        c.file.price(PriceItem::Processing, 0.5).price(PriceItem::MinuteSteaks, 0.3);

        QVERIFY(c.screen->openEstimate(number));
        auto* today = control<QPushButton>(c.s(), QStringLiteral("cmdTodaysPrices"));
        const auto label = [&] {
            return control<QLabel>(c.s(), QStringLiteral("lblEstimate"))->text();
        };
        QVERIFY(today->isVisible());
        QVERIFY2(label().contains(QLatin1String("prices of 2026-10-01")), qPrintable(label()));
        typeInto(c.edit(QStringLiteral("Text2")), QStringLiteral("520"));
        QCOMPARE(c.text(QStringLiteral("Text3")), QStringLiteral("192.4")); // 520 at 0.37
        QCOMPARE(c.text6(0), QStringLiteral("7.13"));                       // 35.672 lb at 0.2

        c.screen->testClock().at = QDateTime(QDate(2026, 10, 20), QTime(10, 0));
        QApplication::setActiveWindow(c.s());
        today->setFocus();
        click(today);
        QCOMPARE(c.text(QStringLiteral("Text3")), QStringLiteral("260"));
        QCOMPARE(c.text6(0), QStringLiteral("10.7"));
        QVERIFY(!today->isVisible());
        QVERIFY2(label().contains(QLatin1String("today's prices")), qPrintable(label()));
        // The focus on the total, not on the next button that Enter would press.
        QCOMPARE(QApplication::focusWidget(), c.edit(QStringLiteral("Text5")));
        // The bill at today's prices names both days: each column's own.
        c.saving.answer({QStringLiteral("Ed"), {}, {}, true, false});
        QVERIFY(c.screen->saveEstimate());
        QTemporaryDir dir;
        PrintToPdfWatch watch(dir.filePath(QStringLiteral("bill.pdf")));
        click(c.button(QStringLiteral("cmdPrint")));
        const QString printed = pdfTextLines(watch.pdf).join(QLatin1Char(' '));
        QVERIFY2(printed.contains(QLatin1String("Quoted at prices of 2026-10-01. Billed at prices "
                                                "of 2026-10-20.")),
                 qPrintable(printed));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // A worksheet belongs to the estimate it was opened for: New Estimate and
    // opening another close it, and it writes nothing into the next one.
    void worksheetsCloseWithTheirEstimate()
    {
        Counter c;
        c.startWithSample();
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
        c.saving.save(QStringLiteral("Fay"));
        QVERIFY(c.screen->saveEstimate());
        const qint64 number = c.screen->record().number;
        QPointer<QWidget> sheet = c.openWorksheet(2, QStringLiteral("frmEB"));
        QVERIFY(sheet);
        c.dialogs.press(QMessageBox::No);
        click(c.button(QStringLiteral("cmdNewEstimate")));
        QVERIFY(!sheet);

        c.animal(QStringLiteral("Option1"), QStringLiteral("600"));
        sheet = c.openWorksheet(2, QStringLiteral("frmEB"));
        click(control<QCheckBox>(sheet, QStringLiteral("Check1_0")));
        c.dialogs.press(QMessageBox::No);
        QVERIFY(c.screen->openEstimate(number));
        QVERIFY(!sheet);
        QCOMPARE(c.text6(11), QStringLiteral("0"));
        QCOMPARE(c.text6(2), QStringLiteral("0"));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // Money listed, exported and printed comes from one rounding to the cent:
    // the list, the file and the page agree.
    void theListAndThePrintoutAgreeToTheCent()
    {
        Counter c;
        c.file.withSample().price(PriceItem::Processing, 0.4435).price(PriceItem::BeefKill, 16);
        c.start();
        c.screen->testClock().at = QDateTime(QDate(2026, 10, 1), QTime(10, 0));
        c.animal(QStringLiteral("Option1"), QStringLiteral("1000")); // 500 lb at 0.4435
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("237.75"));
        typeInto(c.edit(QStringLiteral("Text4")), QStringLiteral("16.005"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("237.755"));
        c.saving.save(QStringLiteral("Gil"));
        QVERIFY(c.screen->saveEstimate());
        c.screen->testClock().at = QDateTime(QDate(2026, 10, 3), QTime(16, 0));
        typeInto(c.edit(QStringLiteral("Text4")), QStringLiteral("16.015")); // 237.765
        typeInto(c.edit(QStringLiteral("Text2")), QStringLiteral("500.0"));
        c.saving.answer({QStringLiteral("Gil"), {}, {}, true, false});
        QVERIFY(c.screen->saveEstimate());
        QVERIFY(c.screen->record().hasFinal());

        QWidget* window = c.estimatesWindow();
        QCOMPARE(cell(window, 0, 6), QStringLiteral("$237.76"));
        QCOMPARE(cell(window, 0, 7), QStringLiteral("$237.76"));
        QCOMPARE(cell(window, 0, 8), QStringLiteral("$0.00"));
        QTemporaryDir dir;
        auto* list = qobject_cast<EstimatesWindow*>(window);
        QVERIFY(list->exportTo(dir.filePath(QStringLiteral("list.csv"))));
        // Money as plain numbers, which a spreadsheet adds up; UTF-8 marked
        // as such, so that accented names read as typed.
        QFile exported(dir.filePath(QStringLiteral("list.csv")));
        QVERIFY(exported.open(QIODevice::ReadOnly));
        const QByteArray bytes = exported.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBFNumber,Date,Customer"));
        QVERIFY2(bytes.contains(",237.76,237.76,0.00,"), bytes.constData());

        // Printed on another day: the days it was quoted and billed, and today.
        c.screen->testClock().at = QDateTime(QDate(2026, 10, 9), QTime(9, 0));
        PrintToPdfWatch watch(dir.filePath(QStringLiteral("bill.pdf")));
        c.screen->printSavedEstimate(c.screen->record().number);
        QCOMPARE(watch.shown, 1);
        const QStringList lines = pdfTextLines(watch.pdf);
        const QString page = lines.join(QLatin1Char('\n'));
        QVERIFY2(page.contains(QLatin1String("Final bill of 2026-10-03, quoted on 2026-10-01")),
                 qPrintable(page));
        QVERIFY2(page.contains(QLatin1String("Printed 2026-10-09")), qPrintable(page));
        QVERIFY2(page.contains(QLatin1String("Total Price $237.76 $237.76 $0.00")),
                 qPrintable(page));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }
};

QTEST_MAIN(TestSavedEstimates)
#include "test_saved_estimates.moc"
