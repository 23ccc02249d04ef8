// The jerky and fajita worksheets, opened from their service rows on the
// Estimate screen (and, where that is simpler, against a stand-in host).

#include "estimate_counter.h"
#include "fake_host.h"
#include "pricelist/price_items.h"
#include "screens/estimate_screen.h"
#include "test_price_list.h"
#include "widgets.h"
#include "worksheets/cut_worksheet.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace {

const QString FullRound = QStringLiteral("Can't make current selection with full round selected");

// The cut rows of the list.
enum { Arm, Chuck, Flank, RoundA, RoundB, RoundC, RoundD, SirloinTip, Sirloin, Trimmings };

// One counter: a price list file, the clerk's answers, the Estimate screen.
struct Counter : EstimateCounter {
    Counter() { file.withSample(); }

    // Beef with a live weight, expanded.
    void beef(const QString& live) const { animal(QStringLiteral("Option1"), live); }
    // Ticks (or unticks) a service and gives its worksheet.
    QWidget* open(int serviceIndex, const QString& name) const
    {
        return openWorksheet(serviceIndex, name);
    }
    // A fresh worksheet on the ticked row: untick (which shows it), close, tick.
    QWidget* reopen(int serviceIndex, const QString& name) const
    {
        if (QWidget* shown = open(serviceIndex, name))
            shown->close();
        return open(serviceIndex, name);
    }
};

QListWidget* listOf(QWidget* sheet)
{
    return control<QListWidget>(sheet, QStringLiteral("List1"));
}

QList<int> selectedRows(QWidget* sheet)
{
    QList<int> rows;
    QListWidget* list = listOf(sheet);
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->isSelected())
            rows << row;
    return rows;
}

// Clicks the rows given, in order.
void clickRows(QWidget* sheet, std::initializer_list<int> rows)
{
    for (const int row : rows)
        clickItem(listOf(sheet), row);
}

QString total(QWidget* sheet)
{
    return textOf(sheet, QStringLiteral("Text1"));
}

void apply(QWidget* sheet)
{
    click(control<QPushButton>(sheet, QStringLiteral("cmdFigure")));
}

// The two screens: their name, service row, item and the fields they fill.
void screensData()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("service");
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("weightField");
    QTest::addColumn<int>("chargeField");
    QTest::addColumn<QString>("sirloinAt1000");
    QTest::newRow("jerky") << "frmJerky" << 7 << PriceItem::Slicing << 16 << 7 << "31";
    QTest::newRow("fajita") << "frmFajita" << 6 << PriceItem::FajitaStrips << 15 << 6 << "22";
}

} // namespace

class TestCutWorksheets : public QObject {
    Q_OBJECT

private slots:
    void opensFromItsServiceRow_data() { screensData(); }
    void opensFromItsServiceRow()
    {
        QFETCH(QString, name);
        QFETCH(int, service);
        Counter c;
        c.start();
        c.beef(QStringLiteral("1000"));
        QWidget* sheet = c.open(service, name);
        QVERIFY(sheet);
        QVERIFY(sheet->isWindow());
        QCOMPARE(sheet->windowTitle(), name == QLatin1String("frmJerky")
                                           ? QStringLiteral("Jerky Worksheet")
                                           : QStringLiteral("Fajita Worksheet"));
        // The labels read the same on both screens.
        QCOMPARE(control<QLabel>(sheet, QStringLiteral("Label1"))->text(),
                 QStringLiteral("Select Cuts To Make Fajita Out Of"));
        QCOMPARE(control<QLabel>(sheet, QStringLiteral("Label2"))->text(),
                 QStringLiteral("Total Fajita weight"));
        auto* applyButton = control<QPushButton>(sheet, QStringLiteral("cmdFigure"));
        QCOMPARE(applyButton->text(), QStringLiteral("&Apply"));
        QCOMPARE(total(sheet), QStringLiteral("0"));
        QListWidget* list = listOf(sheet);
        QCOMPARE(list->selectionMode(), QAbstractItemView::MultiSelection);
        const QStringList cuts =
            QStringLiteral("Arm|Chuck|Flank And Skirt|Round A (Full)|Round B (Top Only)|"
                           "Round C (Bottom Only)|Round D (Eye Only)|Sirloin Tip|Sirloin|Trimmings")
                .split(QLatin1Char('|'));
        QCOMPARE(list->count(), cuts.size());
        for (int row = 0; row < list->count(); ++row) {
            QCOMPARE(list->item(row)->text(), cuts[row]);
            // Every cut shows without scrolling.
            QVERIFY(list->viewport()->rect().contains(list->visualItemRect(list->item(row))));
        }
        QVERIFY(selectedRows(sheet).isEmpty());

        // The arrangement: heading, list, then the total at the left and Apply at the right.
        QLineEdit* totalWeight = field(sheet, QStringLiteral("Text1"));
        auto* totalHeading = control<QLabel>(sheet, QStringLiteral("Label2"));
        QVERIFY(control<QLabel>(sheet, QStringLiteral("Label1"))->geometry().bottom() <
                list->geometry().top());
        QVERIFY(list->geometry().bottom() < totalHeading->geometry().top());
        QVERIFY(totalHeading->geometry().bottom() < totalWeight->geometry().top());
        QVERIFY(applyButton->geometry().left() > totalWeight->geometry().right());
        QVERIFY(applyButton->geometry().top() > list->geometry().bottom());
        QVERIFY(sheet->rect().contains(applyButton->geometry()));

        // Apply has the focus; the tab order is Apply, the list, the total.
        QCOMPARE(sheet->focusWidget(), applyButton);
        applyButton->setFocus();
        QTest::keyClick(applyButton, Qt::Key_Tab);
        QCOMPARE(sheet->focusWidget(), list);
        QTest::keyClick(list, Qt::Key_Tab);
        QCOMPARE(sheet->focusWidget(), totalWeight);

        // The Estimate screen stays usable while the worksheet is open.
        QVERIFY(!sheet->isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void totalsFollowTheSelection_data() { screensData(); }
    void totalsFollowTheSelection()
    {
        QFETCH(QString, name);
        QFETCH(int, service);
        QFETCH(QString, sirloinAt1000);
        Counter c;
        c.start();
        c.beef(QStringLiteral("1000")); // hanging weight 500
        QWidget* sheet = c.open(service, name);
        QVERIFY(sheet);

        clickRows(sheet, {Arm, Chuck});
        QCOMPARE(total(sheet), QStringLiteral("35"));
        clickRows(sheet, {Arm, Chuck, Flank});
        QCOMPARE(total(sheet), QStringLiteral("2.05"));

        // A new hanging weight counts from the next click in the list.
        typeInto(field(c.s(), QStringLiteral("Text1")), QStringLiteral("1200"));
        QCOMPARE(c.text(QStringLiteral("Text2")), QStringLiteral("600"));
        QCOMPARE(total(sheet), QStringLiteral("2.05"));
        clickRows(sheet, {SirloinTip});
        QCOMPARE(total(sheet), QStringLiteral("13.26"));

        typeInto(field(c.s(), QStringLiteral("Text1")), QStringLiteral("2000"));
        clickRows(sheet, {Flank, SirloinTip, Sirloin});
        QCOMPARE(total(sheet), sirloinAt1000);
        clickRows(sheet, {Sirloin, SirloinTip});
        QCOMPARE(total(sheet), QStringLiteral("18"));

        // Deselecting everything brings the total back to 0.
        clickRows(sheet, {SirloinTip});
        QVERIFY(selectedRows(sheet).isEmpty());
        QCOMPARE(total(sheet), QStringLiteral("0"));

        // Trimmings weigh 6 pounds whatever the hanging weight, even 0.
        clickRows(sheet, {Trimmings});
        QCOMPARE(total(sheet), QStringLiteral("6"));
        typeInto(field(c.s(), QStringLiteral("Text1")), QStringLiteral("0"));
        QCOMPARE(c.text(QStringLiteral("Text2")), QStringLiteral("0"));
        clickRows(sheet, {Trimmings, Trimmings});
        QCOMPARE(total(sheet), QStringLiteral("6"));
        clickRows(sheet, {Arm});
        QCOMPARE(total(sheet), QStringLiteral("6"));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void theFullRoundWins_data() { screensData(); }
    void theFullRoundWins()
    {
        QFETCH(QString, name);
        QFETCH(int, service);
        Counter c;
        c.start();
        c.beef(QStringLiteral("1000")); // hanging weight 500: the full round is 30
        QWidget* sheet = c.open(service, name);
        QVERIFY(sheet);

        // The full round first, then a part: the part goes again.
        clickRows(sheet, {RoundA, Chuck});
        c.dialogs.press(QMessageBox::Ok);
        clickRows(sheet, {RoundB});
        QCOMPARE(c.dialogs.seen().size(), 1);
        const SeenDialog& told = c.dialogs.seen().first();
        QCOMPARE(told.text, FullRound);
        QCOMPARE(told.title, QStringLiteral("Locker Estimate"));
        QCOMPARE(told.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(told.icon, QMessageBox::NoIcon);
        QCOMPARE(selectedRows(sheet), (QList<int>{Chuck, RoundA}));
        QCOMPARE(total(sheet), QStringLiteral("50")); // 20 + 30

        // Parts first, then the full round: the parts go.
        clickRows(sheet, {RoundA, Chuck, RoundB, RoundC});
        QCOMPARE(total(sheet), QStringLiteral("25"));
        c.dialogs.press(QMessageBox::Ok);
        clickRows(sheet, {RoundA});
        QCOMPARE(c.dialogs.seen().size(), 2);
        QCOMPARE(c.dialogs.seen().last().text, FullRound);
        QCOMPARE(selectedRows(sheet), (QList<int>{RoundA}));
        QCOMPARE(total(sheet), QStringLiteral("30"));

        // Without the full round the parts go together freely.
        clickRows(sheet, {RoundA, RoundB, RoundC, RoundD});
        QCOMPARE(total(sheet), QStringLiteral("30"));
        QCOMPARE(c.dialogs.seen().size(), 2);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void applyWritesTheServiceRow_data() { screensData(); }
    void applyWritesTheServiceRow()
    {
        QFETCH(QString, name);
        QFETCH(int, service);
        QFETCH(QString, item);
        QFETCH(int, weightField);
        QFETCH(int, chargeField);
        Counter c;
        c.file.price(item, 1.5);
        c.start();
        c.beef(QStringLiteral("1000")); // kill 17 + processing 185 = 202
        QWidget* sheet = c.open(service, name);
        QVERIFY(sheet);
        QPointer<QWidget> guard(sheet);
        clickRows(sheet, {Arm});
        typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("10"));
        apply(sheet);
        QCOMPARE(c.text6(weightField), QStringLiteral("10"));
        QCOMPARE(c.text6(chargeField), QStringLiteral("15"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("217"));
        QVERIFY(!findScreen(name));
        QTRY_VERIFY(!guard); // discarded

        // A fresh worksheet on the ticked row (unticking shows it; close; tick).
        c.file.price(item, 0.75);
        sheet = c.reopen(service, name);
        QVERIFY(sheet);
        QVERIFY(c.service(service)->isChecked());
        QVERIFY(selectedRows(sheet).isEmpty());
        QCOMPARE(total(sheet), QStringLiteral("0"));
        typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("12.5"));
        apply(sheet);
        // The charge is not rounded to cents.
        QCOMPARE(c.text6(weightField), QStringLiteral("12.5"));
        QCOMPARE(c.text6(chargeField), QStringLiteral("9.375"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("211.375"));
        QVERIFY(!findScreen(name));

        // The close box writes nothing, and the next opening shows no selection.
        sheet = c.reopen(service, name);
        QVERIFY(sheet);
        const QString charge = c.text6(chargeField);
        const QString estimate = c.text(QStringLiteral("Text5"));
        guard = sheet;
        clickRows(sheet, {Chuck, Sirloin});
        typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("99"));
        sheet->close(); // as the window's close box does
        QVERIFY(!findScreen(name));
        QTRY_VERIFY(!guard);
        QCOMPARE(c.text6(weightField), QStringLiteral("12.5"));
        QCOMPARE(c.text6(chargeField), charge);
        QCOMPARE(c.text(QStringLiteral("Text5")), estimate);
        sheet = c.open(service, name);
        QVERIFY(sheet);
        QVERIFY(selectedRows(sheet).isEmpty());
        QCOMPARE(total(sheet), QStringLiteral("0"));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void theClerkIsToldWhatStandsInTheWay_data() { screensData(); }
    void theClerkIsToldWhatStandsInTheWay()
    {
        QFETCH(QString, name);
        QFETCH(int, service);
        QFETCH(QString, item);
        QFETCH(int, weightField);
        QFETCH(int, chargeField);
        Counter c;
        c.start();
        c.beef(QStringLiteral("1000"));
        QWidget* sheet = c.open(service, name);
        QVERIFY(sheet);
        clickRows(sheet, {Arm});
        QCOMPARE(total(sheet), QStringLiteral("15"));

        // A hanging weight that is not a number: the total stays as it was.
        typeInto(field(c.s(), QStringLiteral("Text2")), QStringLiteral("5OO"));
        const QString estimate = c.text(QStringLiteral("Text5"));
        const auto unchanged = [&] {
            return findScreen(name) == sheet && c.text6(weightField) == QLatin1String("0") &&
                   c.text6(chargeField) == QLatin1String("0") &&
                   c.text(QStringLiteral("Text5")) == estimate;
        };
        c.dialogs.press(QMessageBox::Ok);
        clickRows(sheet, {Chuck});
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("\"5OO\"")));
        QCOMPARE(c.dialogs.seen().last().icon, QMessageBox::Warning);
        QCOMPARE(total(sheet), QStringLiteral("15"));
        // Chuck still needs the hanging weight when Arm goes; nothing and Trimmings do not.
        c.dialogs.press(QMessageBox::Ok);
        clickRows(sheet, {Arm});
        QCOMPARE(c.dialogs.seen().size(), 2);
        clickRows(sheet, {Chuck});
        QCOMPARE(total(sheet), QStringLiteral("0"));
        clickRows(sheet, {Trimmings});
        QCOMPARE(total(sheet), QStringLiteral("6"));
        QCOMPARE(c.dialogs.seen().size(), 2);

        // A total that is not a number at Apply.
        for (const QString& typed : {QStringLiteral("12 lb"), QString(), QStringLiteral("-"),
                                     QStringLiteral("1.2.3"), QString(400, QLatin1Char('9'))}) {
            typeInto(field(sheet, QStringLiteral("Text1")), typed);
            c.dialogs.press(QMessageBox::Ok);
            apply(sheet);
            QCOMPARE(c.dialogs.seen().last().text.contains(typed), true);
            QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("not a number")));
            QVERIFY(unchanged());
        }
        QCOMPARE(c.dialogs.seen().size(), 7);

        // The item missing from the price list, or without a price.
        typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("10"));
        c.file.without(item);
        c.dialogs.press(QMessageBox::Ok);
        apply(sheet);
        QVERIFY(c.dialogs.seen().last().text.contains(QStringLiteral("\"%1\"").arg(item)));
        QVERIFY(unchanged());
        c.file.sql(
            {QStringLiteral("Insert Into Charges1 Values ('%1', NULL, 'Service')").arg(item)});
        c.dialogs.press(QMessageBox::Ok);
        apply(sheet);
        QVERIFY(c.dialogs.seen().last().text.contains(QStringLiteral("\"%1\"").arg(item)));
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("no price")));
        QVERIFY(unchanged());

        // A charge too large to be a figure.
        c.file.without(item).price(item, 1e5);
        typeInto(field(sheet, QStringLiteral("Text1")),
                 QStringLiteral("1") + QString(305, QLatin1Char('0')));
        c.dialogs.press(QMessageBox::Ok);
        apply(sheet);
        QVERIFY(c.dialogs.seen().last().text.contains(QLatin1String("too large")));
        QVERIFY(unchanged());

        // With the price mended, Apply goes through.
        c.file.price(item, 2);
        typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("10"));
        apply(sheet);
        QCOMPARE(c.text6(chargeField), QStringLiteral("20"));
        QCOMPARE(c.dialogs.seen().size(), 10);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void noPriceListIsTold_data() { screensData(); }
    void noPriceListIsTold()
    {
        QFETCH(QString, name);
        QFETCH(int, service);
        QFETCH(QString, item);
        QFETCH(int, chargeField);
        Counter c;
        c.start();
        c.beef(QStringLiteral("1000"));
        // The file goes while the program runs: the worksheet cannot open it.
        QVERIFY(QFile::remove(c.file.path()));
        QWidget* sheet = c.open(service, name);
        QVERIFY(sheet);
        clickRows(sheet, {Arm});
        c.dialogs.press(QMessageBox::Ok);
        apply(sheet);
        QCOMPARE(c.dialogs.seen().size(), 1);
        QVERIFY(c.dialogs.seen().last().text.contains(c.file.path()));
        QVERIFY(c.dialogs.seen().last().text.contains(QStringLiteral("\"%1\"").arg(item)));
        QCOMPARE(findScreen(name), sheet);
        QCOMPARE(c.text6(chargeField), QStringLiteral("0"));

        // Once the file is back, Apply opens it.
        c.file.withSample().price(item, 2);
        apply(sheet);
        QCOMPARE(c.text6(chargeField), QStringLiteral("30"));
        QCOMPARE(c.dialogs.seen().size(), 1);
    }

    void pricesFromTheListWhateverTheFlag()
    {
        // The worksheets open the price list even while the database flag is clear.
        TestPriceList file;
        file.withSample().price(PriceItem::Slicing, 2.5).price(PriceItem::FajitaStrips, 0.5);
        FakeEstimateHost host;
        host.path = file.path();
        host.flag = false;
        host.hanging = QStringLiteral("500");
        DialogAnswerer dialogs;
        QPointer<CutWorksheet> jerky = CutWorksheet::jerky(host);
        QPointer<CutWorksheet> fajita = CutWorksheet::fajita(host);
        jerky->setAttribute(Qt::WA_DeleteOnClose);
        fajita->setAttribute(Qt::WA_DeleteOnClose);
        jerky->show();
        fajita->show();
        QCOMPARE(jerky->objectName(), QStringLiteral("frmJerky"));
        QCOMPARE(fajita->objectName(), QStringLiteral("frmFajita"));
        clickRows(jerky, {Arm, Chuck});
        clickRows(fajita, {Flank});
        apply(jerky);
        apply(fajita);
        QCOMPARE(host.writes.size(), 2);
        QCOMPARE(host.writes[0].service, ServiceId::Slicing);
        QCOMPARE(host.writes[0].weight, QStringLiteral("35"));
        QCOMPARE(host.writes[0].charge, QStringLiteral("87.5"));
        QCOMPARE(host.writes[1].service, ServiceId::FajitaStrips);
        QCOMPARE(host.writes[1].weight, QStringLiteral("2.05"));
        QCOMPARE(host.writes[1].charge, QStringLiteral("1.025"));
        QTRY_VERIFY(!jerky && !fajita);
        QCOMPARE(host.totRefigures, 0);
        QCOMPARE(dialogs.seen().size(), 0);
    }
};

QTEST_MAIN(TestCutWorksheets)
#include "test_cut_worksheets.moc"
