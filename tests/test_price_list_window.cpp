// The price list window, opened from the Estimate screen: editing, adding and
// deleting items, saving them in one transaction, and the Estimate screen
// using the new prices at its next lookup; bad cells marked as they are
// typed, questions before the program's own items are renamed away, and
// prices changed elsewhere meanwhile kept; the shop's details saved beside
// the price list, and asked about before they are lost.

#include "estimate_counter.h"
#include "pricelist/item_names.h"
#include "pricelist/price_items.h"
#include "pricelist/shop_details.h"
#include "support/counter_screen.h"
#include "test_price_list.h"
#include "widgets.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSysInfo>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

struct Counter : EstimateCounter {
    QWidget* openWindow() const
    {
        click(control<QPushButton>(s(), QStringLiteral("cmdPriceList")));
        QWidget* window = findScreen(QStringLiteral("frmPriceList"));
        if (window)
            QApplication::setActiveWindow(window); // as a new window on the desktop is
        return window;
    }
};

QTableWidget* tableOf(QWidget* window)
{
    return control<QTableWidget>(window, QStringLiteral("tblPrices"));
}

int rowOf(QTableWidget* table, const QString& item)
{
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, 0)->text() == item)
            return row;
    return -1;
}

// Types into a cell as the clerk does: the cell editor, the text, Enter
// (unless the clerk is still typing).
void typeInCell(QTableWidget* table, int row, int column, const QString& text, bool enter = true)
{
    QApplication::setActiveWindow(table->window()); // as the clerk's click on it does
    table->setCurrentCell(row, column);
    table->editItem(table->item(row, column));
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : table->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible())
            editor = e;
    if (!editor)
        qFatal("no cell editor");
    editor->selectAll();
    QTest::keyClicks(editor, text);
    if (!enter)
        return;
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents(); // the cell takes the text after the key
}

void press(QWidget* window, const char* button)
{
    click(control<QPushButton>(window, QLatin1String(button)));
}

QString costOf(QTableWidget* table, const QString& item)
{
    return table->item(rowOf(table, item), 1)->text();
}

// Why a cell is marked (its background set), or empty when it is not.
QString markOf(QTableWidget* table, int row, int column)
{
    const QTableWidgetItem* cell = table->item(row, column);
    return cell->data(Qt::BackgroundRole).isValid() ? cell->toolTip() : QString();
}

QString textOfLabel(QWidget* window)
{
    return control<QLabel>(window, QStringLiteral("lblStatus"))->text();
}

// The shop's name as another program reads it from the price list.
QString storedShopName(const QString& path)
{
    PriceConnection other{StoreLocation(path)};
    other.open();
    const ShopDetailsRead read = ShopDetailsStore::Read(other);
    return read.done() ? read.details.name : read.problem;
}

// The clerk turns to another window and back to this one.
void comeBack(QWidget* elsewhere, QWidget* window)
{
    QApplication::setActiveWindow(elsewhere);
    QApplication::setActiveWindow(window);
}

} // namespace

class TestPriceListWindow : public QObject {
    Q_OBJECT

    // The machine's settings of these tests, never the real ones.
    QTemporaryDir config_;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path())); }

    void aChangedPriceIsUsedAtTheNextLookup()
    {
        Counter c;
        c.startWithSample();
        click(control<QRadioButton>(c.screen.get(), QStringLiteral("Option1")));
        QCOMPARE(textOf(c.screen.get(), QStringLiteral("Text4")), QStringLiteral("17"));

        // The window works over the screen's connection: no second one.
        const qsizetype connections = QSqlDatabase::connectionNames().size();
        QWidget* window = c.openWindow();
        QVERIFY(window);
        QCOMPARE(QSqlDatabase::connectionNames().size(), connections);
        QTableWidget* table = tableOf(window);
        QCOMPARE(table->rowCount(), SampleRows());
        const int row = rowOf(table, PriceItem::BeefKill);
        QVERIFY(row >= 0);
        QCOMPARE(table->item(row, 1)->text(), QStringLiteral("17.00"));
        typeInCell(table, row, 1, QStringLiteral("19.5"));
        press(window, "cmdSave");
        QVERIFY(c.file.rows().contains(QStringLiteral("BeefKill|19.5|Kill")));

        click(control<QRadioButton>(c.screen.get(), QStringLiteral("Option2")));
        click(control<QRadioButton>(c.screen.get(), QStringLiteral("Option1")));
        QCOMPARE(textOf(c.screen.get(), QStringLiteral("Text4")), QStringLiteral("19.5"));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void namesRoundTripExactly()
    {
        Counter c;
        c.startWithSample();
        QWidget* window = c.openWindow();
        QTableWidget* table = tableOf(window);
        const QString odd = QStringLiteral("Snack Sticks, \"Hot\" & Spicy w/ Cheddar");
        // Add Item leaves the clerk typing the new item's name; no category.
        press(window, "cmdAdd");
        const int row = table->rowCount() - 1;
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor && table->isAncestorOf(editor));
        QCOMPARE(table->currentColumn(), 0);
        QTest::keyClicks(editor, odd);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        typeInCell(table, row, 1, QStringLiteral("3.1234"));
        press(window, "cmdSave");
        QVERIFY(c.file.rows().contains(odd + QStringLiteral("|3.1234|")));
        window->close();
        QTRY_VERIFY(!findScreen(QStringLiteral("frmPriceList")));

        // Seen again in a fresh window, every name as it is stored.
        window = c.openWindow();
        table = tableOf(window);
        for (const QString& name : {odd, PriceItem::PaperWrapp, PriceItem::SmokedSausageJalepono})
            QVERIFY2(rowOf(table, name) >= 0, qPrintable(name));
        // Saving without a change keeps every row as it was.
        const QStringList before = c.file.rows();
        press(window, "cmdSave");
        QCOMPARE(c.file.rows(), before);
    }

    void aWrongRowSavesNothing()
    {
        Counter c;
        c.startWithSample();
        const QStringList before = c.file.rows();
        QWidget* window = c.openWindow();
        QTableWidget* table = tableOf(window);
        typeInCell(table, rowOf(table, PriceItem::Cooling), 1, QStringLiteral("cheap"));
        typeInCell(table, rowOf(table, PriceItem::Deer), 1, QStringLiteral("90"));
        c.dialogs.press(QMessageBox::Ok);
        press(window, "cmdSave");
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY2(c.dialogs.seen()[0].text.contains(
                     QStringLiteral("Row %1").arg(rowOf(table, PriceItem::Cooling) + 1)),
                 qPrintable(c.dialogs.seen()[0].text));
        QCOMPARE(c.file.rows(), before);

        typeInCell(table, rowOf(table, PriceItem::Cooling), 1, QStringLiteral("0.06"));
        c.dialogs.press(QMessageBox::Ok);
        press(window, "cmdAdd"); // an empty name is not an item
        press(window, "cmdSave");
        QCOMPARE(c.dialogs.seen().size(), 2);
        QCOMPARE(c.file.rows(), before);
    }

    void historyOfTheSelectedItem()
    {
        Counter c;
        c.startWithSample();
        QWidget* window = c.openWindow();
        QTableWidget* table = tableOf(window);
        typeInCell(table, rowOf(table, PriceItem::BeefKill), 1, QStringLiteral("18.5"));
        press(window, "cmdSave");
        table->selectRow(rowOf(table, PriceItem::BeefKill));
        press(window, "cmdHistory");
        QWidget* history = findScreen(QStringLiteral("frmPriceHistory"));
        QVERIFY(history);
        QVERIFY(history->windowTitle().contains(PriceItem::BeefKill));
        auto* changes = control<QTableWidget>(history, QStringLiteral("tblHistory"));
        QCOMPARE(changes->rowCount(), 1);
        QVERIFY(control<QLabel>(history, QStringLiteral("lblHistory"))
                    ->text()
                    .startsWith(QLatin1String("1 change to \"BeefKill\"")));
        QCOMPARE(changes->item(0, 3)->text(), QStringLiteral("Cost 17.00 → 18.50"));
        QCOMPARE(changes->item(0, 1)->text(), QSysInfo::machineHostName());
        const QDateTime when =
            QDateTime::fromString(changes->item(0, 0)->text(), QStringLiteral("yyyy-MM-dd HH:mm"));
        QVERIFY2(qAbs(when.secsTo(QDateTime::currentDateTime())) < 120,
                 qPrintable(changes->item(0, 0)->text()));
        history->close();

        // An item never changed since the history began.
        table->selectRow(rowOf(table, PriceItem::PorkKill));
        press(window, "cmdHistory");
        history = findScreen(QStringLiteral("frmPriceHistory"));
        QVERIFY(history);
        QCOMPARE(control<QTableWidget>(history, QStringLiteral("tblHistory"))->rowCount(), 0);
        QVERIFY(control<QLabel>(history, QStringLiteral("lblHistory"))
                    ->text()
                    .contains(QLatin1String("No change to \"PorkKill\"")));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void deletingAnItem()
    {
        Counter c;
        c.startWithSample();
        QWidget* window = c.openWindow();
        QTableWidget* table = tableOf(window);
        table->selectRow(rowOf(table, PriceItem::HotStix));
        c.dialogs.press(QMessageBox::Yes); // the sausage worksheet looks it up
        press(window, "cmdDelete");
        QCOMPARE(rowOf(table, PriceItem::HotStix), -1);
        press(window, "cmdSave");
        QCOMPARE(c.file.rows().size(), SampleRows() - 1);
        for (const QString& row : c.file.rows())
            QVERIFY(!row.startsWith(QLatin1String("HotStix|")));
    }

    void aRefusedSaveIsToldAndTheFileKept()
    {
        Counter c;
        c.startWithSample();
        const QStringList before = c.file.rows();
        if (!c.file.makeReadOnly())
            QSKIP("this machine cannot make a file read-only");
        QWidget* window = c.openWindow();
        QTableWidget* table = tableOf(window);
        typeInCell(table, rowOf(table, PriceItem::Deer), 1, QStringLiteral("95"));
        c.dialogs.press(QMessageBox::Ok);
        press(window, "cmdSave");
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY2(c.dialogs.seen()[0].text.contains(QLatin1String("read-only")),
                 qPrintable(c.dialogs.seen()[0].text));
        QCOMPARE(c.file.rows(), before);
        // The change is still in the window, not lost.
        QCOMPARE(table->item(rowOf(table, PriceItem::Deer), 1)->text(), QStringLiteral("95"));
    }

    void closingWithUnsavedChangesAsks()
    {
        Counter c;
        c.startWithSample();
        QWidget* window = c.openWindow();
        QTableWidget* table = tableOf(window);
        typeInCell(table, rowOf(table, PriceItem::Slicing), 1, QStringLiteral("1.75"));
        c.dialogs.press(QMessageBox::Cancel);
        press(window, "cmdClose");
        QVERIFY(window->isVisible());
        c.dialogs.press(QMessageBox::Save);
        press(window, "cmdClose");
        QTRY_VERIFY(!findScreen(QStringLiteral("frmPriceList")));
        QVERIFY(c.file.rows().contains(QStringLiteral("Slicing|1.75|Service")));

        window = c.openWindow();
        table = tableOf(window);
        typeInCell(table, rowOf(table, PriceItem::Slicing), 1, QStringLiteral("9"), false);
        c.dialogs.press(QMessageBox::Discard);
        window->close(); // the close box, while the clerk is still typing in the cell
        QTRY_VERIFY(!findScreen(QStringLiteral("frmPriceList")));
        QVERIFY(c.file.rows().contains(QStringLiteral("Slicing|1.75|Service")));
        QCOMPARE(c.dialogs.seen().size(), 3);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // The shop's details typed in the window are kept in the price list:
    // another program reads them, and the window shows them again.
    void theShopIsSetInThePriceListWindow()
    {
        Counter c;
        c.startWithSample();
        QWidget* window = c.openWindow();
        typeInto(field(window, QStringLiteral("txtShopName")), QStringLiteral("Hill & Sons"));
        typeInto(field(window, QStringLiteral("txtShopPhone")), QStringLiteral("555-0199"));
        press(window, "cmdSaveShop");
        QCOMPARE(storedShopName(c.file.path()), QStringLiteral("Hill & Sons"));
        press(window, "cmdClose"); // nothing left to save: nothing asked
        QTRY_VERIFY(!findScreen(QStringLiteral("frmPriceList")));
        QCOMPARE(textOf(c.openWindow(), QStringLiteral("txtShopPhone")),
                 QStringLiteral("555-0199"));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    // Escape, Close and the close box ask before the shop's details typed
    // are lost: Cancel stays, No lets them go, Yes saves them.
    void closingWithUnsavedShopDetailsAsks()
    {
        Counter c;
        c.startWithSample();
        QWidget* window = c.openWindow();
        typeInto(field(window, QStringLiteral("txtShopName")), QStringLiteral("Hill & Sons"));
        c.dialogs.press(QMessageBox::Cancel);
        press(window, "cmdClose");
        QVERIFY(window->isVisible());
        const SeenDialog asked = c.dialogs.seen().last();
        QCOMPARE(asked.text,
                 QStringLiteral("The shop's details have changes that are not saved. Save them?"));
        QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QApplication::setActiveWindow(window); // back from the message box
        c.dialogs.press(QMessageBox::No);
        QTest::keyClick(field(window, QStringLiteral("txtShopName")), Qt::Key_Escape);
        QTRY_VERIFY(!findScreen(QStringLiteral("frmPriceList")));
        QCOMPARE(storedShopName(c.file.path()), QString());

        window = c.openWindow();
        QCOMPARE(textOf(window, QStringLiteral("txtShopName")), QString());
        typeInto(field(window, QStringLiteral("txtShopName")), QStringLiteral("Hill & Sons"));
        c.dialogs.press(QMessageBox::Yes);
        window->close(); // the close box
        QTRY_VERIFY(!findScreen(QStringLiteral("frmPriceList")));
        QCOMPARE(storedShopName(c.file.path()), QStringLiteral("Hill & Sons"));
        QCOMPARE(c.dialogs.seen().size(), 3);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void theTitleNamesTheFileAndKeysWorkTheWindow()
    {
        Counter c;
        c.startWithSample();
        QWidget* window = c.openWindow();
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Price List - ") + QDir::toNativeSeparators(c.file.path()));
        QTableWidget* table = tableOf(window);
        typeInCell(table, rowOf(table, PriceItem::Deer), 1, QStringLiteral("95"));
        auto* save = control<QPushButton>(window, QStringLiteral("cmdSave"));
        save->setFocus();
        QTest::keyClick(save, Qt::Key_Return);
        QVERIFY(c.file.rows().contains(QStringLiteral("Deer|95|Processing")));

        // Escape asks about unsaved changes as the close box does.
        typeInCell(table, rowOf(table, PriceItem::Deer), 1, QStringLiteral("96"));
        c.dialogs.press(QMessageBox::Cancel);
        QTest::keyClick(table, Qt::Key_Escape);
        QVERIFY(window->isVisible());
        QApplication::setActiveWindow(window); // back from the message box
        c.dialogs.press(QMessageBox::Discard);
        QTest::keyClick(table, Qt::Key_Escape);
        QTRY_VERIFY(!findScreen(QStringLiteral("frmPriceList")));
        QCOMPARE(c.dialogs.seen().size(), 2);
        QVERIFY(c.file.rows().contains(QStringLiteral("Deer|95|Processing")));
    }

    void badCellsAreMarkedAsTypedAndAllListedAtSave()
    {
        Counter c;
        c.startWithSample();
        const QStringList before = c.file.rows();
        QWidget* window = c.openWindow();
        QTableWidget* table = tableOf(window);
        const int cooling = rowOf(table, PriceItem::Cooling);
        const int deer = rowOf(table, PriceItem::Deer);
        const int slicing = rowOf(table, PriceItem::Slicing);
        const int curing = rowOf(table, PriceItem::Curing);
        typeInCell(table, cooling, 1, QStringLiteral("99999999999999"));
        typeInCell(table, deer, 0, QStringLiteral("Deer "));
        typeInCell(table, slicing, 0, QStringLiteral("Slicing\u00A0Jerky"));
        typeInCell(table, curing, 0, PriceItem::BeefKill);
        QVERIFY(markOf(table, cooling, 1).contains(QLatin1String("100,000")));
        QVERIFY(markOf(table, deer, 0).contains(QLatin1String("blank")));
        QVERIFY(markOf(table, slicing, 0).contains(QLatin1String("non-breaking")));
        QVERIFY(markOf(table, curing, 0).contains(QLatin1String("already")));

        c.dialogs.press(QMessageBox::Ok);
        press(window, "cmdSave");
        QCOMPARE(c.dialogs.seen().size(), 1);
        const QString told = c.dialogs.seen()[0].text;
        for (const int row : {cooling, deer, slicing, curing})
            QVERIFY2(told.contains(QStringLiteral("Row %1,").arg(row + 1)), qPrintable(told));
        QCOMPARE(c.file.rows(), before);

        // A mended cell loses its mark.
        typeInCell(table, cooling, 1, QStringLiteral("100000"));
        typeInCell(table, curing, 0, PriceItem::Curing);
        QCOMPARE(markOf(table, cooling, 1), QString());
        QCOMPARE(markOf(table, curing, 0), QString());
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void renamingOrDeletingAnItemTheProgramLooksUpAsks()
    {
        Counter c;
        c.startWithSample();
        const QStringList before = c.file.rows();
        QWidget* window = c.openWindow();
        QTableWidget* table = tableOf(window);
        table->selectRow(rowOf(table, PriceItem::Processing));
        c.dialogs.press(QMessageBox::No);
        press(window, "cmdDelete");
        QVERIFY(rowOf(table, PriceItem::Processing) >= 0);
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY(c.dialogs.seen()[0].text.contains(ItemNames::usedFor(PriceItem::Processing)));
        c.dialogs.press(QMessageBox::Yes);
        press(window, "cmdDelete");
        QCOMPARE(rowOf(table, PriceItem::Processing), -1);

        typeInCell(table, rowOf(table, PriceItem::Curing), 0, QStringLiteral("Cure"));
        c.dialogs.press(QMessageBox::No);
        press(window, "cmdSave");
        QCOMPARE(c.dialogs.seen().size(), 3);
        QVERIFY(c.dialogs.seen()[2].text.contains(ItemNames::usedFor(PriceItem::Curing)));
        QCOMPARE(c.file.rows(), before);
        c.dialogs.press(QMessageBox::Yes);
        press(window, "cmdSave");
        const QString rows = c.file.rows().join(QLatin1Char('\n'));
        QVERIFY(rows.contains(QLatin1String("Cure|0.42|")));
        QVERIFY(!rows.contains(QLatin1String("Curing|")));
        QVERIFY(!rows.contains(QLatin1String("Processing|")));
        QCOMPARE(c.dialogs.seen().size(), 4);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void aLookAlikeNameAsksWhichWasMeant()
    {
        Counter c;
        c.startWithSample();
        const QStringList before = c.file.rows();
        QWidget* window = c.openWindow();
        QTableWidget* table = tableOf(window);
        const int row = rowOf(table, PriceItem::PaperWrapp);
        typeInCell(table, row, 0, QStringLiteral("paper  wrapp"));
        typeInCell(table, row, 1, QStringLiteral("0.5"));
        c.dialogs.press(QMessageBox::Cancel);
        press(window, "cmdSave");
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY(c.dialogs.seen()[0].text.contains(QLatin1String("did you mean \"Paper Wrapp\"")));
        QCOMPARE(c.file.rows(), before);
        QCOMPARE(table->item(row, 0)->text(), QStringLiteral("paper  wrapp"));

        c.dialogs.press(QMessageBox::Yes);
        press(window, "cmdSave");
        QVERIFY(c.file.rows().contains(QStringLiteral("Paper Wrapp|0.5|Processing")));
        QCOMPARE(c.dialogs.seen().size(), 2);

        // The owner may mean a new item all the same.
        const int added = table->rowCount();
        press(window, "cmdAdd");
        typeInCell(table, added, 0, QStringLiteral("Paperwrapp"));
        typeInCell(table, added, 1, QStringLiteral("0.6"));
        c.dialogs.press(QMessageBox::No);
        press(window, "cmdSave");
        QVERIFY(c.file.rows().contains(QStringLiteral("Paperwrapp|0.6|")));
        QVERIFY(c.file.rows().contains(QStringLiteral("Paper Wrapp|0.5|Processing")));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void pricesChangedElsewhereAreNotPutBack()
    {
        Counter c;
        c.startWithSample();
        QWidget* window = c.openWindow();
        QTableWidget* table = tableOf(window);
        typeInCell(table, rowOf(table, PriceItem::Deer), 1, QStringLiteral("95"));
        c.file.price(PriceItem::Processing, 0.55); // as locker-pricelist set does meanwhile
        c.dialogs.press(QMessageBox::Yes);
        press(window, "cmdSave");
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY(c.dialogs.seen()[0].text.contains(PriceItem::Processing));
        QVERIFY(c.file.rows().contains(QStringLiteral("Processing|0.55|Processing")));
        QVERIFY(c.file.rows().contains(QStringLiteral("Deer|95|Processing")));
        QCOMPARE(costOf(table, PriceItem::Processing), QStringLiteral("0.55"));

        // A row changed both here and there refuses the whole save.
        typeInCell(table, rowOf(table, PriceItem::Processing), 1, QStringLiteral("0.4"));
        typeInCell(table, rowOf(table, PriceItem::Slicing), 1, QStringLiteral("2"));
        c.file.price(PriceItem::Processing, 0.6);
        const QStringList before = c.file.rows();
        c.dialogs.press(QMessageBox::Yes).press(QMessageBox::Ok);
        press(window, "cmdSave");
        QCOMPARE(c.dialogs.seen().size(), 3);
        QVERIFY(c.dialogs.seen()[2].text.contains(PriceItem::Processing));
        QCOMPARE(c.file.rows(), before);
        QCOMPARE(costOf(table, PriceItem::Processing), QStringLiteral("0.4"));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void reloadAndComingBackShowTheFileAsItIsNow()
    {
        Counter c;
        c.startWithSample();
        QWidget* window = c.openWindow();
        QTableWidget* table = tableOf(window);
        c.file.price(PriceItem::Slicing, 1.85);
        comeBack(c.s(), window);
        QCOMPARE(costOf(table, PriceItem::Slicing), QStringLiteral("1.85"));

        // With changes of the clerk's in the window, it only says so.
        typeInCell(table, rowOf(table, PriceItem::Deer), 1, QStringLiteral("95"));
        c.file.price(PriceItem::Slicing, 1.95);
        comeBack(c.s(), window);
        QCOMPARE(costOf(table, PriceItem::Slicing), QStringLiteral("1.85"));
        QVERIFY(textOfLabel(window).contains(PriceItem::Slicing));
        c.dialogs.press(QMessageBox::No);
        press(window, "cmdReload");
        QCOMPARE(costOf(table, PriceItem::Deer), QStringLiteral("95"));
        c.dialogs.press(QMessageBox::Yes);
        press(window, "cmdReload");
        QCOMPARE(costOf(table, PriceItem::Slicing), QStringLiteral("1.95"));
        QCOMPARE(costOf(table, PriceItem::Deer), QStringLiteral("85.00"));
        QCOMPARE(c.dialogs.seen().size(), 2);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void withoutAPriceListTheWindowIsNotShown()
    {
        Counter c;
        c.dialogs.press(QMessageBox::Ok); // the start-up notice
        c.screen = std::make_unique<CounterScreen>(c.file.path());
        c.screen->startUp();
        c.screen->show();
        c.dialogs.press(QMessageBox::Ok);
        QVERIFY(!c.openWindow());
        QCOMPARE(c.dialogs.seen().size(), 2);
        QVERIFY(c.dialogs.seen()[1].text.contains(c.file.path()));
        QVERIFY(!QFileInfo::exists(c.file.path()));
    }
};

QTEST_MAIN(TestPriceListWindow)
#include "test_price_list_window.moc"
