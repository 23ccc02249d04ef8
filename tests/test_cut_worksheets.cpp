// The jerky and fajita worksheets: their figuring over an estimate priced from
// memory (the running total, the full round, what Apply writes and refuses),
// the window over a stand-in Estimate screen, and the window opened from its
// service row on the real Estimate screen over a price list file.

#include "estimate/worksheet_figuring.h"
#include "estimate_counter.h"
#include "memory_prices.h"
#include "pricelist/price_items.h"
#include "sheet_host.h"
#include "ui/dialogs.h"
#include "widgets.h"
#include "worksheets/cut_worksheet.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

namespace R = CutRules;
using Kind = R::CutScreenKind;

const QString FullRound = QStringLiteral("Can't make current selection with full round selected");
const QLatin1String Replaced("no longer on the Estimate screen");

enum { Arm, Chuck, Flank, RoundA, RoundB, RoundC, RoundD, SirloinTip, Sirloin, Trimmings };

// One worksheet's figuring over an estimate with its service ticked and the
// hanging weight given, priced from memory (the sample prices).
struct Cuts {
    MemoryPrices prices;
    SheetClerk clerk;
    SheetHost host;
    CutFiguring sheet;
    R::CutSelection shown{}; // what the list shows

    explicit Cuts(Kind kind, const QString& hanging = QStringLiteral("500"))
        : host(prices, R::CutScreenOf(kind).service, hanging)
        , sheet(host.estimate, kind, clerk)
    {}
    // The clerk clicks rows in turn; the list then shows what the figuring
    // gave back. The total after the last.
    QString click(const QList<int>& rows)
    {
        for (const int row : rows) {
            R::CutSelection next = shown;
            next[row] = !next[row];
            shown = sheet.select(next);
        }
        return sheet.total();
    }
    QList<int> selected() const
    {
        QList<int> rows;
        for (int row = 0; row < R::CutCount; ++row)
            if (shown[row])
                rows << row;
        return rows;
    }
    QString item() const { return Service(sheet.service()).priceItem; }
    QString written() const { return rowOf(host.estimate, sheet.service()); }
    QList<int> chosen() const { return host.estimate.row(sheet.service()).entries.chosen; }
};

// ------------------------------------------------------------ the windows

QListWidget* listOf(QWidget* sheet)
{
    return control<QListWidget>(sheet, QStringLiteral("List1"));
}

QList<int> selectedRows(QWidget* sheet)
{
    QList<int> rows;
    for (int row = 0; row < listOf(sheet)->count(); ++row)
        if (listOf(sheet)->item(row)->isSelected())
            rows << row;
    return rows;
}

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

// The Estimate screen over the sample price list with the worksheet's item at
// 1.5 a pound, beef 1000 pounds live (hanging 500), expanded: kill 17 +
// processing 185 = 202.
struct Counter : EstimateCounter {
    const R::CutScreen& design;
    ServiceId id;

    explicit Counter(Kind kind)
        : design(R::CutScreenOf(kind))
        , id(design.service)
    {
        file.withSample().price(Service(id).priceItem, 1.5);
        start();
        animal(QStringLiteral("Option1"), QStringLiteral("1000"));
    }
    // Ticks (or unticks) the service and gives its worksheet.
    QWidget* open() const { return openWorksheet(ServiceBox(id), design.objectName); }
    // A fresh worksheet on the ticked row: untick (which shows it), close, tick.
    QWidget* reopen() const
    {
        if (QWidget* shown = open())
            shown->close();
        return open();
    }
    QString row() const
    {
        return text6(WeightField(id)) + QLatin1Char('|') + text6(ChargeField(id));
    }
};

} // namespace

class TestCutWorksheets : public QObject {
    Q_OBJECT

private slots:
    // ------------------------------------------------------------ the figuring

    void totalsFollowTheSelection()
    {
        for (const auto& [kind, sirloinAt1000] :
             {std::pair{Kind::Jerky, "31"}, {Kind::Fajita, "22"}}) {
            Cuts c(kind); // hanging weight 500
            QCOMPARE(c.sheet.total(), QStringLiteral("0"));
            QCOMPARE(c.click({Arm, Chuck}), QStringLiteral("35"));
            QCOMPARE(c.click({Arm, Chuck, Flank}), QStringLiteral("2.05"));

            // A new hanging weight counts from the next click in the list.
            c.host.setHanging(QStringLiteral("600"));
            QCOMPARE(c.sheet.total(), QStringLiteral("2.05"));
            QCOMPARE(c.click({SirloinTip}), QStringLiteral("13.26"));
            c.host.setHanging(QStringLiteral("1000"));
            QCOMPARE(c.click({Flank, SirloinTip, Sirloin}), QLatin1String(sirloinAt1000));
            QCOMPARE(c.click({Sirloin, SirloinTip}), QStringLiteral("18"));
            QCOMPARE(c.click({SirloinTip}), QStringLiteral("0"));
            QVERIFY(c.selected().isEmpty());

            // Trimmings weigh 6 pounds whatever the hanging weight, even 0.
            QCOMPARE(c.click({Trimmings}), QStringLiteral("6"));
            c.host.setHanging(QStringLiteral("0"));
            QCOMPARE(c.click({Trimmings, Trimmings}), QStringLiteral("6"));
            QCOMPARE(c.click({Arm}), QStringLiteral("6"));
            QCOMPARE(c.clerk.told + c.clerk.warned, QStringList());
        }
    }

    void theFullRoundWins()
    {
        for (const Kind kind : {Kind::Jerky, Kind::Fajita}) {
            Cuts c(kind); // hanging weight 500: the full round is 30
            // The full round first, then a part: the part goes again.
            c.click({RoundA, Chuck});
            QCOMPARE(c.click({RoundB}), QStringLiteral("50")); // 20 + 30
            QCOMPARE(c.clerk.told, QStringList{FullRound});
            QCOMPARE(c.selected(), (QList<int>{Chuck, RoundA}));
            // Parts first, then the full round: the parts go.
            QCOMPARE(c.click({RoundA, Chuck, RoundB, RoundC}), QStringLiteral("25"));
            QCOMPARE(c.click({RoundA}), QStringLiteral("30"));
            QCOMPARE(c.clerk.told, (QStringList{FullRound, FullRound}));
            QCOMPARE(c.selected(), (QList<int>{RoundA}));
            // Without the full round the parts go together freely.
            QCOMPARE(c.click({RoundA, RoundB, RoundC, RoundD}), QStringLiteral("30"));
            QCOMPARE(c.clerk.told.size(), 2);
            QVERIFY(c.sheet.apply());
            QCOMPARE(c.chosen(), (QList<int>{RoundB, RoundC, RoundD}));
            QCOMPARE(c.clerk.warned, QStringList());
        }
    }

    void applyWritesTheRow()
    {
        const struct {
            Kind kind;
            bool flag;
            double price; // set after the picking
            QList<int> clicks;
            const char* typed;
            const char* written;
        } cases[] = {
            {Kind::Jerky, true, 1.5, {Arm}, "10", "10|15"},
            {Kind::Fajita, true, 1.5, {Arm}, "10", "10|15"},
            // The charge is not rounded to cents.
            {Kind::Jerky, true, 0.75, {}, "12.5", "12.5|9.375"},
            {Kind::Fajita, true, 0.75, {}, "12.5", "12.5|9.375"},
            // The price list's price whatever the flag: there is no built-in one.
            {Kind::Jerky, false, 2.5, {Arm, Chuck}, nullptr, "35|87.5"},
            {Kind::Fajita, false, 0.5, {Flank}, nullptr, "2.05|1.025"},
        };
        for (const auto& k : cases) {
            Cuts c(k.kind);
            c.click(k.clicks);
            if (k.typed)
                c.sheet.setTotal(QLatin1String(k.typed));
            c.host.setFlag(k.flag);
            c.prices.set(c.item(), k.price);
            QVERIFY(c.sheet.apply());
            QCOMPARE(c.written(), QLatin1String(k.written));
            QCOMPARE(c.chosen(), k.clicks);
            QCOMPARE(c.clerk.told + c.clerk.warned, QStringList());
        }
    }

    void whatStandsInTheWayIsTold()
    {
        for (const Kind kind : {Kind::Jerky, Kind::Fajita}) {
            Cuts c(kind);
            QCOMPARE(c.click({Arm}), QStringLiteral("15"));
            const auto lastWarned = [&] {
                return c.clerk.warned.value(c.clerk.warned.size() - 1);
            };

            // A hanging weight that is not a number: the total stays as it was.
            c.host.setHanging(QStringLiteral("5OO"));
            QCOMPARE(c.click({Chuck}), QStringLiteral("15"));
            QCOMPARE(c.clerk.warned.size(), 1);
            QVERIFY(lastWarned().contains(QLatin1String("\"5OO\"")));
            // Chuck still needs it when Arm goes; nothing and Trimmings do not.
            c.click({Arm});
            QCOMPARE(c.clerk.warned.size(), 2);
            QCOMPARE(c.click({Chuck}), QStringLiteral("0"));
            QCOMPARE(c.click({Trimmings}), QStringLiteral("6"));
            QCOMPARE(c.clerk.warned.size(), 2);

            // A total that is not a number at Apply.
            for (const QString& typed : {QStringLiteral("12 lb"), QString(), QStringLiteral("-"),
                                         QStringLiteral("1.2.3"), QString(400, QLatin1Char('9'))}) {
                c.sheet.setTotal(typed);
                QVERIFY(!c.sheet.apply());
                QVERIFY(lastWarned().contains(QLatin1Char('"') + typed + QLatin1Char('"')));
                QVERIFY(lastWarned().contains(QLatin1String("not a number")));
            }
            QCOMPARE(c.clerk.warned.size(), 7);

            // The item missing, without a price, or the prices out of reach.
            c.sheet.setTotal(QStringLiteral("10"));
            const QString quoted = QLatin1Char('"') + c.item() + QLatin1Char('"');
            c.prices.remove(c.item());
            QVERIFY(!c.sheet.apply());
            QVERIFY2(lastWarned().contains(quoted), qPrintable(lastWarned()));
            c.prices.unusable(c.item());
            QVERIFY(!c.sheet.apply());
            QVERIFY(lastWarned().contains(quoted + QLatin1String(" is not a price")));
            c.prices.set(c.item(), 2).outOfReach = true;
            QVERIFY(!c.sheet.apply());
            QVERIFY(lastWarned().contains(QLatin1String("cannot be reached")));
            c.prices.outOfReach = false;

            // A charge too large to be a figure.
            c.prices.set(c.item(), 1e5);
            c.sheet.setTotal(QStringLiteral("1") + QString(305, QLatin1Char('0')));
            QVERIFY(!c.sheet.apply());
            QVERIFY(lastWarned().contains(QLatin1String("too large")));
            QCOMPARE(c.written(), QStringLiteral("0|0"));
            QCOMPARE(c.clerk.warned.size(), 11);

            // With the price mended, Apply goes through.
            c.prices.set(c.item(), 2);
            c.sheet.setTotal(QStringLiteral("10"));
            QVERIFY(c.sheet.apply());
            QCOMPARE(c.written(), QStringLiteral("10|20"));
            QCOMPARE(c.chosen(), QList<int>{Trimmings});
            QCOMPARE(c.clerk.warned.size(), 11);
        }
    }

    void nothingIsWrittenIntoAnotherEstimate()
    {
        for (const auto& [kind, cleared] : {std::pair{Kind::Jerky, true}, {Kind::Fajita, false}}) {
            Cuts c(kind);
            const EstimateValue other = c.host.estimate.value();
            c.click({Arm});
            if (cleared)
                c.host.estimate.clear();
            else
                c.host.estimate.replace(other); // another estimate opened
            const auto rows = c.host.estimate.value().rows;
            QVERIFY(!c.sheet.apply());
            QCOMPARE(c.clerk.warned.size(), 1);
            QVERIFY(c.clerk.warned[0].contains(Replaced));
            QVERIFY(c.host.estimate.value().rows == rows);
        }
    }

    // ------------------------------------------------------------ the window

    void theWindowFollowsTheFullRoundAndTellsTheHostOfTheWrite()
    {
        MemoryPrices prices;
        prices.set(PriceItem::Slicing, 2.5);
        SheetHost host(prices, ServiceId::Slicing, QStringLiteral("500"));
        DialogAnswerer dialogs;
        QPointer<CutWorksheet> sheet = new CutWorksheet(Kind::Jerky, host.estimate, host);
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        sheet->show();

        // The list is kept in step with the full round rule.
        clickRows(sheet, {RoundA, Chuck});
        dialogs.press(QMessageBox::Ok);
        clickRows(sheet, {RoundB});
        QCOMPARE(dialogs.seen().size(), 1);
        const SeenDialog& told = dialogs.seen().first();
        QCOMPARE(told.text, FullRound);
        QCOMPARE(told.title, Dialogs::appTitle());
        QCOMPARE(told.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(told.icon, QMessageBox::NoIcon);
        QCOMPARE(selectedRows(sheet), (QList<int>{Chuck, RoundA}));
        QCOMPARE(total(sheet), QStringLiteral("50"));

        clickRows(sheet, {RoundA, Arm});
        apply(sheet);
        QCOMPARE(host.writes.size(), 1);
        QCOMPARE(host.writes[0].service, ServiceId::Slicing);
        QCOMPARE(host.writes[0].weight + QLatin1Char('|') + host.writes[0].charge, "35|87.5");
        QCOMPARE(host.totRefigures, 0); // the cut worksheets leave the total to the write
        QTRY_VERIFY(!sheet);
    }

    // ------------------------------------------------------------ through the Estimate screen

    void throughTheEstimateScreen()
    {
        for (const Kind kind : {Kind::Jerky, Kind::Fajita}) {
            Counter c(kind);
            QPointer<QWidget> sheet = c.open();
            QVERIFY(sheet);
            QVERIFY(sheet->isWindow() && !sheet->isModal());
            QCOMPARE(sheet->windowTitle(), c.design.caption);
            QCOMPARE(total(sheet), QStringLiteral("0"));
            QListWidget* list = listOf(sheet);
            QCOMPARE(list->selectionMode(), QAbstractItemView::MultiSelection);
            QCOMPARE(list->count(), R::CutCount);
            for (int row = 0; row < list->count(); ++row) {
                QCOMPARE(list->item(row)->text(), QLatin1String(R::CutNames[row]));
                // Every cut shows without scrolling.
                QVERIFY(list->viewport()->rect().contains(list->visualItemRect(list->item(row))));
            }
            QVERIFY(selectedRows(sheet).isEmpty());

            // Heading, list, heading, then the total at the left and Apply at the right.
            QWidget* applyButton = control<QPushButton>(sheet, QStringLiteral("cmdFigure"));
            QWidget* totalWeight = field(sheet, QStringLiteral("Text1"));
            const QRect heading = control<QLabel>(sheet, QStringLiteral("Label1"))->geometry(),
                        listAt = list->geometry(), totalAt = totalWeight->geometry(),
                        totalHeading = control<QLabel>(sheet, QStringLiteral("Label2"))->geometry();
            QVERIFY(heading.bottom() < listAt.top() && listAt.bottom() < totalHeading.top());
            QVERIFY(totalHeading.bottom() < totalAt.top());
            QVERIFY(applyButton->geometry().left() > totalAt.right());
            QVERIFY(applyButton->geometry().top() > listAt.bottom());
            QVERIFY(sheet->rect().contains(applyButton->geometry()));

            // Apply has the focus; the tab order is Apply, the list, the total.
            QCOMPARE(sheet->focusWidget(), applyButton);
            QTest::keyClick(applyButton, Qt::Key_Tab);
            QCOMPARE(sheet->focusWidget(), list);
            QTest::keyClick(list, Qt::Key_Tab);
            QCOMPARE(sheet->focusWidget(), totalWeight);

            // Apply writes the row, which the Estimate screen shows at once, and closes.
            clickRows(sheet, {Arm});
            typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("10"));
            apply(sheet);
            QCOMPARE(c.row(), QStringLiteral("10|15"));
            QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("217"));
            QVERIFY(!findScreen(c.design.objectName));
            QTRY_VERIFY(!sheet); // discarded

            // A fresh worksheet on the ticked row; its close box writes nothing.
            sheet = c.reopen();
            QVERIFY(sheet);
            QVERIFY(c.service(ServiceBox(c.id))->isChecked());
            QVERIFY(selectedRows(sheet).isEmpty());
            QCOMPARE(total(sheet), QStringLiteral("0"));
            const QString row = c.row(), estimate = c.text(QStringLiteral("Text5"));
            clickRows(sheet, {Chuck, Sirloin});
            typeInto(field(sheet, QStringLiteral("Text1")), QStringLiteral("99"));
            sheet->close(); // as the window's close box does
            QVERIFY(!findScreen(c.design.objectName));
            QTRY_VERIFY(!sheet);
            QCOMPARE(c.row(), row);
            QCOMPARE(c.text(QStringLiteral("Text5")), estimate);
            QCOMPARE(c.dialogs.seen().size(), 0);

            // The price list file deleted meanwhile: told, nothing written, left open.
            sheet = c.reopen();
            QVERIFY(sheet);
            QVERIFY(selectedRows(sheet).isEmpty());
            clickRows(sheet, {Arm});
            QVERIFY(QFile::remove(c.file.path()));
            c.dialogs.press(QMessageBox::Ok);
            apply(sheet);
            QCOMPARE(c.dialogs.seen().size(), 1);
            const SeenDialog told = c.dialogs.seen().last();
            QVERIFY2(told.text.contains(c.file.path()), qPrintable(told.text));
            QVERIFY(told.text.contains(QLatin1Char('"') + Service(c.id).priceItem + '"'));
            QCOMPARE(told.icon, QMessageBox::Warning);
            QCOMPARE(findScreen(c.design.objectName), sheet.data());
            QCOMPARE(c.row(), row);
            // Once the file is back, Apply finds the price in it.
            c.file.withSample().price(Service(c.id).priceItem, 2);
            apply(sheet);
            QCOMPARE(c.row(), QStringLiteral("15|30"));
            QCOMPARE(c.dialogs.seen().size(), 1);
        }
    }
};

QTEST_MAIN(TestCutWorksheets)
#include "test_cut_worksheets.moc"
