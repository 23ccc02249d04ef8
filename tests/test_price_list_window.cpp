// The price list window, opened from the Estimate screen: editing, adding and
// deleting items, saving them in one transaction, and the Estimate screen
// using the new prices at its next lookup.

#include "estimate_counter.h"
#include "estimate_screen.h"
#include "price_items.h"
#include "test_price_list.h"
#include "widgets.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

namespace {

struct Counter : EstimateCounter {
    QWidget* openWindow() const
    {
        click(control<QPushButton>(s(), QStringLiteral("cmdPriceList")));
        return findScreen(QStringLiteral("frmPriceList"));
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

// Types into a cell as the clerk does: the cell editor, the text, Enter.
void typeInCell(QTableWidget* table, int row, int column, const QString& text)
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
    QTest::keyClick(editor, Qt::Key_Return);
}

void press(QWidget* window, const char* button)
{
    click(control<QPushButton>(window, QLatin1String(button)));
}

} // namespace

class TestPriceListWindow : public QObject {
    Q_OBJECT

private slots:
    void aChangedPriceIsUsedAtTheNextLookup()
    {
        Counter c;
        c.startWithSample();
        click(control<QRadioButton>(c.screen.get(), QStringLiteral("Option1")));
        QCOMPARE(textOf(c.screen.get(), QStringLiteral("Text4")), QStringLiteral("17"));

        QWidget* window = c.openWindow();
        QVERIFY(window);
        QTableWidget* table = tableOf(window);
        QCOMPARE(table->rowCount(), 18);
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
        press(window, "cmdAdd");
        const int row = table->rowCount() - 1;
        typeInCell(table, row, 0, odd);
        typeInCell(table, row, 1, QStringLiteral("3.1234"));
        press(window, "cmdSave");
        QVERIFY(c.file.rows().contains(odd + QStringLiteral("|3.1234|Curing/Seasoning")));
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

    void deletingAnItem()
    {
        Counter c;
        c.startWithSample();
        QWidget* window = c.openWindow();
        QTableWidget* table = tableOf(window);
        table->selectRow(rowOf(table, PriceItem::HotStix));
        press(window, "cmdDelete");
        QCOMPARE(rowOf(table, PriceItem::HotStix), -1);
        press(window, "cmdSave");
        QCOMPARE(c.file.rows().size(), 17);
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
        typeInCell(table, rowOf(table, PriceItem::Slicing), 1, QStringLiteral("9"));
        c.dialogs.press(QMessageBox::Discard);
        press(window, "cmdClose");
        QTRY_VERIFY(!findScreen(QStringLiteral("frmPriceList")));
        QVERIFY(c.file.rows().contains(QStringLiteral("Slicing|1.75|Service")));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void withoutAPriceListTheWindowIsNotShown()
    {
        Counter c;
        c.dialogs.press(QMessageBox::Ok); // the start-up notice
        c.screen = std::make_unique<EstimateScreen>(c.file.path());
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
