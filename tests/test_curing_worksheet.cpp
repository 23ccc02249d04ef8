// The curing worksheet frmCure in its three roles: its figuring over an
// estimate priced from memory (what it totals, rounds, prices, writes and
// refuses), the window over a stand-in Estimate screen, and the window opened
// from the pork Curing, Sausage and Cutlets rows of the real Estimate screen.
#include "estimate/worksheet_figuring.h"
#include "estimate_counter.h"
#include "memory_prices.h"
#include "pricelist/price_items.h"
#include "sheet_host.h"
#include "ui/dialogs.h"
#include "ui/field_cues.h"
#include "widgets.h"
#include "worksheets/curing_worksheet.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSqlDatabase>
#include <QTest>

namespace {

namespace R = CuringRules;

const QString CutletMessage = QStringLiteral("Sorry You Cannot Make Cutlets Out oF Bellie Meat!");
const QLatin1String Replaced("no longer on the Estimate screen");

enum Cut { Hams = 0, Bacon = 1, ArkansasBacon = 2, Loins = 3, Jowl = 4, WholeHog = 10 };

// One role's figuring over an estimate with the service ticked and the hanging
// weight given, priced from memory: curing 0.5, sausage seasoning 0.3,
// cutlets 0.25 a pound in the list.
struct Cure {
    MemoryPrices prices;
    SheetClerk clerk;
    SheetHost host;
    CuringFiguring sheet;
    R::CutSelection shown{}; // what the list shows

    explicit Cure(ServiceId service = ServiceId::PorkCuring,
                  const QString& hanging = QStringLiteral("250"))
        : host(prices, service, hanging)
        , sheet(host.estimate, service, clerk)
    {
        prices.set(PriceItem::Curing, 0.5)
            .set(PriceItem::SausageSeasoning, 0.3)
            .set(PriceItem::MinuteSteaks, 0.25);
    }
    // The clerk clicks cuts in turn; the list then shows what the figuring
    // gave back. The total after the last.
    QString click(const QList<int>& cuts)
    {
        for (const int cut : cuts) {
            R::CutSelection next = shown;
            next[cut] = !next[cut];
            shown = sheet.select(next);
        }
        return sheet.total();
    }
    QString written() const { return rowOf(host.estimate, sheet.service()); }
    QList<int> chosen() const { return host.estimate.row(sheet.service()).entries.chosen; }
    QStringList said() const { return clerk.told + clerk.warned; }
};

// ------------------------------------------------------------ the windows

QListWidget* cutList(QWidget* sheet)
{
    return control<QListWidget>(sheet, QStringLiteral("List1"));
}

QString total(QWidget* sheet)
{
    return textOf(sheet, QStringLiteral("Text1"));
}

void apply(QWidget* sheet)
{
    click(control<QPushButton>(sheet, QStringLiteral("cmdApply")));
}

// Discards the screens that closed: they go at the next turn of the event loop.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The window over a stand-in Estimate screen, priced from memory.
struct Window {
    MemoryPrices prices;
    SheetHost host;
    ServiceId service;
    DialogAnswerer dialogs;
    QPointer<CuringWorksheet> sheet;

    explicit Window(ServiceId role)
        : host(prices, role, QStringLiteral("250"))
        , service(role)
    {
        prices.set(PriceItem::Curing, 0.5).set(PriceItem::MinuteSteaks, 0.25);
        open();
    }
    ~Window()
    {
        delete sheet.data();
        settle();
    }
    void open()
    {
        sheet = new CuringWorksheet(host.estimate, host, service);
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        sheet->show();
        QApplication::setActiveWindow(sheet);
    }
};

// The counter over a price list file with known prices, pork chosen, the
// services shown and a hanging weight typed.
constexpr int CuringRow = 9, SausageRow = 10, CutletsRow = 11;

struct Counter : EstimateCounter {
    Counter()
    {
        file.withSample()
            .price(PriceItem::PorkKill, 20)
            .price(PriceItem::Processing, 0.4)
            .price(PriceItem::Curing, 0.5)
            .price(PriceItem::SausageSeasoning, 0.3)
            .price(PriceItem::MinuteSteaks, 0.25);
        start();
        pick(QStringLiteral("Option2"));
        expand();
        typeInto(edit(QStringLiteral("Text2")), QStringLiteral("250"));
    }
    ~Counter()
    {
        screen.reset();
        settle();
    }
    // Ticks a pork service and finds the curing worksheet it shows.
    QWidget* open(int row)
    {
        tick(row);
        return findScreen(QStringLiteral("frmCure"));
    }
    QString row(ServiceId s) const
    {
        return text6(WeightField(s)) + QLatin1Char('|') + text6(ChargeField(s));
    }
    double total() const { return text(QStringLiteral("Text5")).toDouble(); }
};

} // namespace

class TestCuringWorksheet : public QObject {
    Q_OBJECT

private slots:
    // ------------------------------------------------------------ the figuring

    void cutsTotalTheirSharesOfTheHangingWeight()
    {
        const struct {
            ServiceId service;
            const char* hanging;
            QList<int> clicks;
            const char* total;
        } cases[] = {
            {ServiceId::PorkCuring, "250", {Hams}, "50"},
            {ServiceId::PorkCuring, "250", {Hams, Bacon}, "68.75"}, // bacon adds 0.075
            {ServiceId::PorkCuring, "250", {Hams, Hams}, "0"},      // cleared again
            {ServiceId::PorkCuring, "250", {WholeHog}, "237.5"},
            {ServiceId::PorkCuring, "100", {Hams, Loins, Jowl}, "37.3"},
            {ServiceId::PorkSausage, "250", {Bacon}, "18.75"},
            // Arkansas bacon adds its share (for cutlets: cutletsAreNotMadeOfBacon).
            {ServiceId::PorkCuring, "250", {Hams, Bacon, ArkansasBacon}, "103.75"},
            {ServiceId::PorkSausage, "250", {Hams, Bacon, ArkansasBacon}, "103.75"},
        };
        for (const auto& k : cases) {
            Cure c{k.service, QLatin1String(k.hanging)};
            QCOMPARE(c.sheet.total(), QStringLiteral("0"));
            QCOMPARE(c.click(k.clicks), QLatin1String(k.total));
            QCOMPARE(c.said(), QStringList());
            QCOMPARE(c.written(), QStringLiteral("0|0")); // nothing until Apply
        }
    }

    void applyRoundsToWholePoundsHalvesToEven()
    {
        // At the listed 0.5 a pound: from a cut, or from a total typed.
        const struct {
            const char* hanging;
            int cut;
            const char* typed;
            const char* figured;
            const char* written;
        } cases[] = {
            {"62.5", Hams, nullptr, "12.5", "12|6"},
            {"72.5", Hams, nullptr, "14.5", "14|7"},
            {"67.5", Hams, nullptr, "13.5", "14|7"},
            {"250", WholeHog, nullptr, "237.5", "238|119"},
            {"250", -1, "40000.5", "40000.5", "40000|20000"}, // beyond sixteen bits
        };
        for (const auto& k : cases) {
            Cure c{ServiceId::PorkCuring, QLatin1String(k.hanging)};
            if (k.cut >= 0)
                c.click({k.cut});
            if (k.typed)
                c.sheet.setTotal(QLatin1String(k.typed));
            QCOMPARE(c.sheet.total(), QLatin1String(k.figured));
            QVERIFY(c.sheet.apply());
            QCOMPARE(c.written(), QLatin1String(k.written));
            QCOMPARE(c.sheet.total(), c.written().section(QLatin1Char('|'), 0, 0)); // shown rounded
            QCOMPARE(c.said(), QStringList());
        }
    }

    void applyWritesItsRoleAtThePriceOfTheMoment()
    {
        const struct {
            ServiceId service;
            QList<int> clicks;
            const char* typed;
            double listed; // set after the picking
            bool flagWhilePicking, flagAtApply;
            const char* written;
        } cases[] = {
            {ServiceId::PorkCuring, {Hams, Bacon}, nullptr, 0.5, true, true, "69|34.5"},
            // Unticked: curing's built-in 0.42, not the listed price.
            {ServiceId::PorkCuring, {Hams, Bacon}, nullptr, 0.5, true, false, "69|28.98"},
            // Unticked while picking, ticked since: the list's price at Apply.
            {ServiceId::PorkCuring, {WholeHog}, nullptr, 0.35, false, true, "238|83.3"},
            // Sausage seasoning's built-in 0.2; a typed total keeps the cuts chosen.
            {ServiceId::PorkSausage, {Bacon}, "10", 0.3, true, false, "10|2"},
            {ServiceId::Cutlets, {Hams, ArkansasBacon}, nullptr, 0.25, true, true, "85|21.25"},
        };
        for (const auto& k : cases) {
            Cure c{k.service};
            c.host.setFlag(k.flagWhilePicking);
            c.click(k.clicks);
            if (k.typed)
                c.sheet.setTotal(QLatin1String(k.typed));
            c.host.setFlag(k.flagAtApply);
            c.prices.set(Service(k.service).priceItem, k.listed);
            QVERIFY(c.sheet.apply());
            QCOMPARE(c.written(), QLatin1String(k.written));
            QCOMPARE(c.chosen(), k.clicks);
            for (const R::Role& other : R::Roles())
                if (other.service != k.service)
                    QCOMPARE(rowOf(c.host.estimate, other.service), QStringLiteral("0|0"));
            QCOMPARE(c.said(), QStringList());
        }
    }

    void theRateKeptWithTheEstimateWins()
    {
        Cure c;
        EstimateValue saved = c.host.estimate.value();
        saved.rates.insert(PriceItem::Curing, 0.35);
        saved.basis = PriceBasis::Kept;
        c.host.estimate.replace(saved); // an estimate saved at 0.35, opened again
        c.prices.set(PriceItem::Curing, 0.9);
        CuringFiguring sheet(c.host.estimate, ServiceId::PorkCuring, c.clerk);
        sheet.setTotal(QStringLiteral("30"));
        QVERIFY(sheet.apply());
        QCOMPARE(c.written(), QStringLiteral("30|10.5"));

        // At today's prices the list's price counts.
        c.host.estimate.useTodaysPrices();
        CuringFiguring today(c.host.estimate, ServiceId::PorkCuring, c.clerk);
        today.setTotal(QStringLiteral("40"));
        QVERIFY(today.apply());
        QCOMPARE(c.written(), QStringLiteral("40|36"));
        QCOMPARE(c.said(), QStringList());
    }

    void cutletsAreNotMadeOfBacon()
    {
        Cure c(ServiceId::Cutlets);
        QCOMPARE(c.click({Hams}), QStringLiteral("50"));
        QCOMPARE(c.click({Bacon}), QStringLiteral("50"));
        QCOMPARE(c.clerk.told, QStringList{CutletMessage});
        QVERIFY(c.shown[Hams] && !c.shown[Bacon]);
        QCOMPARE(c.click({ArkansasBacon}), QStringLiteral("85")); // not affected by the rule
        QCOMPARE(c.clerk.told.size(), 1);

        // Everything selected at once: bacon still goes.
        c.host.setHanging(QStringLiteral("100"));
        R::CutSelection all;
        all.fill(true);
        c.shown = c.sheet.select(all);
        QCOMPARE(c.clerk.told.size(), 2);
        QVERIFY(!c.shown[Bacon]);
        QCOMPARE(std::count(c.shown.begin(), c.shown.end(), true), 10);
        QCOMPARE(c.sheet.total(), QStringLiteral("180.7")); // 188.2 less 7.5
        QVERIFY(c.sheet.apply());
        QVERIFY(!c.chosen().contains(Bacon));
        QCOMPARE(c.chosen().size(), 10);
        QCOMPARE(c.clerk.warned, QStringList());
    }

    void nothingSelectedWritesZeros()
    {
        Cure c;
        const QString before = c.host.estimate.total();
        c.host.estimate.setServiceCharge(ServiceId::PorkCuring, QStringLiteral("9")); // earlier
        QVERIFY(c.host.estimate.total() != before);
        QCOMPARE(c.click({Hams, Hams}), QStringLiteral("0"));
        QVERIFY(c.sheet.apply());
        QCOMPARE(c.written(), QStringLiteral("0|0"));
        QCOMPARE(c.chosen(), QList<int>());
        QCOMPARE(c.host.estimate.total(), before);
    }

    void aTotalOrPriceThatCannotBeUsedWritesNothing()
    {
        Cure c;
        QCOMPARE(c.click({Hams, Bacon}), QStringLiteral("68.75")); // picking needs no price
        for (const char* typed : {"abc", "", "-", "1e3", "99999999999999999999"}) {
            c.sheet.setTotal(QLatin1String(typed));
            QVERIFY(!c.sheet.apply());
            QCOMPARE(c.sheet.total(), QLatin1String(typed));
        }
        // The item missing, not a price, the prices out of reach.
        c.sheet.setTotal(QStringLiteral("68.75"));
        c.prices.remove(PriceItem::Curing);
        QVERIFY(!c.sheet.apply());
        c.prices.unusable(PriceItem::Curing);
        QVERIFY(!c.sheet.apply());
        c.prices.set(PriceItem::Curing, 0.35).outOfReach = true;
        QVERIFY(!c.sheet.apply());
        QCOMPARE(c.clerk.warned.size(), 8);
        for (const QString& warned : c.clerk.warned)
            QVERIFY2(warned.startsWith(QLatin1String("Nothing was written")), qPrintable(warned));
        QVERIFY(c.clerk.warned[5].contains(QLatin1String("\"Curing\" is not in the")));
        QVERIFY(c.clerk.warned[6].contains(QLatin1String("\"Curing\" is not a price")));
        QVERIFY(c.clerk.warned[7].contains(QLatin1String("\"Curing\"")) &&
                c.clerk.warned[7].contains(QLatin1String("cannot be reached")));
        QCOMPARE(c.sheet.total(), QStringLiteral("68.75")); // not even rounded
        QCOMPARE(c.written(), QStringLiteral("0|0"));

        // Once the price is there, Apply finds it; a number typed is applied as well.
        c.prices.outOfReach = false;
        QVERIFY(c.sheet.apply());
        QCOMPARE(c.written(), QStringLiteral("69|24.15"));
        c.prices.set(PriceItem::Curing, 0.5);
        c.sheet.setTotal(QStringLiteral("3"));
        QVERIFY(c.sheet.apply());
        QCOMPARE(c.written(), QStringLiteral("3|1.5"));
        QCOMPARE(c.clerk.warned.size(), 8);
    }

    void aHangingWeightThatCannotBeFigured()
    {
        Cure c;
        QCOMPARE(c.click({Hams}), QStringLiteral("50"));
        c.host.setHanging(QStringLiteral("two fifty"));
        QCOMPARE(c.click({Loins}), QStringLiteral("50"));
        QCOMPARE(c.clerk.warned.size(), 1);
        QVERIFY(c.clerk.warned[0].contains(QLatin1String("\"two fifty\"")));
        QVERIFY(c.shown[Loins]); // as the clerk left it
        c.host.setHanging(QStringLiteral("100"));
        QCOMPARE(c.click({Jowl}), QStringLiteral("37.3")); // 20 + 15 + 2.3
        QCOMPARE(c.clerk.warned.size(), 1);

        // A hanging weight that the Estimate screen marks as not right (beyond
        // any animal, 1.7e308 pounds) is not figured from either.
        const QString huge = QStringLiteral("17") + QString(307, QLatin1Char('0'));
        Cure h(ServiceId::PorkCuring, huge);
        QCOMPARE(h.click({Hams}), QStringLiteral("0"));
        QCOMPARE(h.clerk.warned.size(), 1);
        QVERIFY2(h.clerk.warned[0].contains(QLatin1String("100000")),
                 qPrintable(h.clerk.warned[0]));
        h.sheet.setTotal(huge);
        QVERIFY(!h.sheet.apply()); // far beyond any whole number of pounds
        QCOMPARE(h.clerk.warned.size(), 2);
        QVERIFY(h.clerk.warned[1].startsWith(QLatin1String("Nothing was written")));
        QCOMPARE(h.written(), QStringLiteral("0|0"));
    }

    void nothingIsWrittenIntoAnotherEstimate()
    {
        for (const bool cleared : {true, false}) {
            Cure c;
            const EstimateValue other = c.host.estimate.value();
            c.click({Hams, Bacon});
            if (cleared)
                c.host.estimate.clear();
            else
                c.host.estimate.replace(other); // another estimate opened
            const auto rows = c.host.estimate.value().rows;
            QVERIFY(!c.sheet.stillItsEstimate());
            QVERIFY(!c.sheet.apply());
            QCOMPARE(c.clerk.warned.size(), 1);
            QVERIFY(c.clerk.warned[0].contains(Replaced));
            QVERIFY(c.host.estimate.value().rows == rows);
            QCOMPARE(c.sheet.total(), QStringLiteral("68.75"));
        }
    }

    // ------------------------------------------------------------ the window

    void theWindowInEachRole()
    {
        const ServiceId roles[] = {ServiceId::PorkCuring, ServiceId::PorkSausage,
                                   ServiceId::Cutlets};
        for (int i = 0; i < R::RoleCount; ++i) {
            const R::Role& looks = R::Roles()[i];
            QCOMPARE(looks.service, roles[i]);
            Window w(roles[i]);
            QCOMPARE(w.sheet->objectName(), QStringLiteral("frmCure"));
            QCOMPARE(w.sheet->windowTitle(), looks.caption);
            QVERIFY(w.sheet->autoFillBackground());
            QCOMPARE(w.sheet->palette().color(QPalette::Window),
                     QColor(looks.background.red, looks.background.green, looks.background.blue));
        }
        Window w(ServiceId::PorkCuring);
        QListWidget* list = cutList(w.sheet);
        QCOMPARE(list->selectionMode(), QAbstractItemView::MultiSelection);
        QCOMPARE(list->count(), R::CutCount);
        for (int i = 0; i < R::CutCount; ++i)
            QCOMPARE(list->item(i)->text(), QLatin1String(R::Cuts[i].name));
        QCOMPARE(w.sheet->findChildren<QLabel*>().size(), 0);

        // The list has the focus, then Tab goes to the total, then to Apply.
        QWidget* applyButton = control<QPushButton>(w.sheet, QStringLiteral("cmdApply"));
        QWidget* totalWeight = field(w.sheet, QStringLiteral("Text1"));
        QTRY_COMPARE(QApplication::focusWidget(), list);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), totalWeight);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), applyButton);

        // The list on top, the total at the left under it, Apply at the right.
        const QRect listAt = list->geometry(), totalAt = totalWeight->geometry(),
                    buttonAt = applyButton->geometry();
        QVERIFY(totalAt.top() >= listAt.bottom() && buttonAt.top() >= listAt.bottom());
        QVERIFY(totalAt.right() < buttonAt.left());
        QVERIFY(w.sheet->rect().contains(listAt) && w.sheet->rect().contains(totalAt) &&
                w.sheet->rect().contains(buttonAt));
        QCOMPARE(w.dialogs.seen().size(), 0);
    }

    void theWindowFollowsTheFiguringAndWritesOnlyAtApply()
    {
        Window w(ServiceId::Cutlets);
        QListWidget* list = cutList(w.sheet);
        clickItem(list, Hams);
        QCOMPARE(total(w.sheet), QStringLiteral("50"));
        bool baconSelectedWhileTold = false;
        w.dialogs.onDialog = [&](const SeenDialog&) {
            baconSelectedWhileTold = list->item(Bacon)->isSelected();
        };
        w.dialogs.press(QMessageBox::Ok);
        clickItem(list, Bacon);
        QCOMPARE(w.dialogs.seen().size(), 1);
        const SeenDialog told = w.dialogs.seen()[0];
        QCOMPARE(told.text, CutletMessage);
        QCOMPARE(told.title, Dialogs::appTitle());
        QCOMPARE(told.icon, QMessageBox::NoIcon);
        QCOMPARE(told.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(baconSelectedWhileTold); // deselected when the clerk has read it
        QVERIFY(!list->item(Bacon)->isSelected() && list->item(Hams)->isSelected());
        w.dialogs.onDialog = nullptr;

        // A total that is not a number is marked; Apply is refused with a warning.
        QLineEdit* totalWeight = field(w.sheet, QStringLiteral("Text1"));
        typeInto(totalWeight, QStringLiteral("abc"));
        QVERIFY(IsMarkedInvalid(totalWeight));
        w.dialogs.press(QMessageBox::Ok);
        apply(w.sheet);
        QCOMPARE(w.dialogs.seen().size(), 2);
        QCOMPARE(w.dialogs.seen()[1].icon, QMessageBox::Warning);
        QVERIFY(w.sheet && w.sheet->isVisible());
        QCOMPARE(total(w.sheet), QStringLiteral("abc"));
        QVERIFY(w.host.writes.isEmpty());
        QCOMPARE(w.host.totRefigures, 0);

        // Apply writes, has the total figured again and closes.
        typeInto(totalWeight, QStringLiteral("3"));
        QVERIFY(!IsMarkedInvalid(totalWeight));
        apply(w.sheet);
        QCOMPARE(w.host.writes.size(), 1);
        QCOMPARE(w.host.writes[0].service, ServiceId::Cutlets);
        QCOMPARE(w.host.writes[0].weight + QLatin1Char('|') + w.host.writes[0].charge, "3|0.75");
        QCOMPARE(w.host.totRefigures, 1);
        settle();
        QVERIFY(!w.sheet);

        // The close box writes nothing.
        w.open();
        clickItem(cutList(w.sheet), Hams);
        QVERIFY(w.sheet->close());
        settle();
        QVERIFY(!w.sheet);
        QCOMPARE(w.host.writes.size(), 1);
        QCOMPARE(w.host.totRefigures, 1);
        QCOMPARE(rowOf(w.host.estimate, ServiceId::Cutlets), QStringLiteral("3|0.75"));
        QCOMPARE(w.dialogs.unexpected(), 0);
    }

    // ------------------------------------------------------------ through the Estimate screen

    void throughTheEstimateScreen()
    {
        Counter c;
        const int connections = QSqlDatabase::connectionNames().size();
        QPointer<QWidget> sheet = c.open(CuringRow);
        QVERIFY(sheet);
        QCOMPARE(QSqlDatabase::connectionNames().size(), connections); // no price list of its own
        clickItem(cutList(sheet), Hams);
        // A charge put in without a refiguring: a refiguring would count it.
        c.edit(QStringLiteral("Text6_26"))->setText(QStringLiteral("9"));
        QVERIFY(sheet->close());
        settle();
        QVERIFY(!sheet);
        QCOMPARE(c.row(ServiceId::PorkCuring), QStringLiteral("0|9"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("120"));

        // The next showing starts afresh.
        click(c.service(CuringRow)); // unticked
        sheet = c.open(CuringRow);
        QVERIFY(sheet);
        QCOMPARE(total(sheet), QStringLiteral("0"));
        QCOMPARE(cutList(sheet)->selectedItems().size(), 0);
        clickItem(cutList(sheet), Hams);
        // The Cutlets row: the open window comes to the front, still curing.
        QCOMPARE(c.open(CutletsRow), sheet.data());
        QCOMPARE(c.s()->findChildren<CuringWorksheet*>().size(), 1);
        QCOMPARE(sheet->windowTitle(), R::RoleFor(ServiceId::PorkCuring)->caption);
        clickItem(cutList(sheet), Bacon); // still allowed
        QCOMPARE(total(sheet), QStringLiteral("68.75"));
        click(c.flag()); // unticked: the built-in 0.42
        QVERIFY(!c.flag()->isChecked());
        const double before = c.total();
        apply(sheet);
        QCOMPARE(c.row(ServiceId::PorkCuring), QStringLiteral("69|28.98"));
        QCOMPARE(c.row(ServiceId::Cutlets), QStringLiteral("0|0"));
        QCOMPARE(c.total(), before + 28.98);
        QVERIFY(!findScreen(QStringLiteral("frmCure")));
        settle();
        QVERIFY(!sheet);
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void aPriceListFileDeletedMeanwhileWritesNothing()
    {
        Counter c;
        QPointer<QWidget> sheet = c.open(SausageRow);
        QVERIFY(sheet);
        clickItem(cutList(sheet), Hams);
        QVERIFY(QFile::remove(c.file.path()));
        c.dialogs.press(QMessageBox::Ok);
        apply(sheet);
        QCOMPARE(c.dialogs.seen().size(), 1);
        const SeenDialog told = c.dialogs.seen()[0];
        QVERIFY2(told.text.contains(QLatin1String("\"SausageSeasoning\"")), qPrintable(told.text));
        QVERIFY2(told.text.contains(c.file.path()), qPrintable(told.text));
        QCOMPARE(told.icon, QMessageBox::Warning);
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(total(sheet), QStringLiteral("50"));
        QCOMPARE(c.row(ServiceId::PorkSausage), QStringLiteral("0|0"));

        // Unticked, the built-in 0.2 needs no price list.
        click(c.flag());
        const double before = c.total();
        apply(sheet);
        QCOMPARE(c.row(ServiceId::PorkSausage), QStringLiteral("50|10"));
        QCOMPARE(c.total(), before + 10);
        QVERIFY(!findScreen(QStringLiteral("frmCure")));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }
};

QTEST_MAIN(TestCuringWorksheet)
#include "test_curing_worksheet.moc"
