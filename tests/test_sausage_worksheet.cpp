// The sausage worksheet. Its figuring (each product at its price, the pork
// trim, a missing item added to the price list, what stops it) is driven on
// its own over an estimate, with the clerk's answers recorded; the entry side
// (ticking, pounds, pork, Enter, the confirmation, the last entries) as the
// clerk drives the window; and the Estimate screen shows what it wrote.

#include "estimate/estimate.h"
#include "estimate/worksheet_figuring.h"
#include "estimate_counter.h"
#include "memory_prices.h"
#include "pricelist/price_items.h"
#include "pricelist/price_list.h"
#include "sheet_host.h"
#include "test_price_list.h"
#include "ui/dialogs.h"
#include "ui/field_cues.h"
#include "widgets.h"
#include "worksheets/sausage_worksheet.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

using namespace SausageRules;
using Button = QMessageBox::StandardButton;

namespace {

const QString NoDatabase = QStringLiteral("Cannot Figure Withouot Database");
const QString MissingTitle = QStringLiteral("File Not Found");
const QString Replaced = QStringLiteral("no longer on the Estimate screen");
const QString NothingFigured = QStringLiteral("nothing was figured");
const QString SmokedMissing =
    QStringLiteral("Smoked Sausage Could Not Be Found Do you want to add It?");

// Entries as the worksheet makes them, from "row:deer" items ("1:30 3:10"):
// the kind's item, the deer pounds and the pork its rule adds, or the pork
// given third ("1:30:12").
QList<Entry> entries(const QString& list)
{
    QList<Entry> made;
    for (const QString& item : list.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList pieces = item.split(QLatin1Char(':'));
        const Kind& kind = *KindAt(pieces[0].toInt());
        made.append({kind.row, QLatin1String(kind.entryName), pieces.value(1),
                     pieces.size() > 2 ? pieces[2] : PorkFor(kind, pieces.value(1)).text});
    }
    return made;
}

// Whether a message box carries that title, icon and buttons.
bool looks(const SeenDialog& d, const QString& title, QMessageBox::Icon icon,
           QMessageBox::StandardButtons buttons)
{
    return d.title == title && d.icon == icon && d.buttons == buttons;
}

// The clerk as the figuring asks, answering from what was queued (No, or
// Cancel, when nothing was). What was shown, in order, one line each: "t:"
// told, "w:" warned, "q:[title] " a question, "p:[title] " a price prompt.
class Clerk : public SheetDialogs {
public:
    QStringList seen;
    QList<bool> yes;                     // answers to the questions
    QList<std::optional<QString>> typed; // answers to the prompts; no value: Cancel
    std::function<void()> whilePrompted;
    int unexpected = 0; // asked with no answer queued

    void tell(const QString& text) override { seen << QStringLiteral("t:") + text; }
    void warn(const QString& text) override { seen << QStringLiteral("w:") + text; }
    bool askCritical(const QString& text, const QString& title) override
    {
        seen << QStringLiteral("q:[%1] %2").arg(title, text);
        unexpected += yes.isEmpty();
        return !yes.isEmpty() && yes.takeFirst();
    }
    std::optional<QString> askText(const QString& prompt, const QString& title) override
    {
        seen << QStringLiteral("p:[%1] %2").arg(title, prompt);
        if (whilePrompted)
            whilePrompted();
        unexpected += typed.isEmpty();
        return typed.isEmpty() ? std::nullopt : typed.takeFirst();
    }
    // One letter a dialog, in order.
    QString kinds() const
    {
        QString letters;
        for (const QString& line : seen)
            letters += line[0];
        return letters;
    }
    QString last() const { return seen.isEmpty() ? QString() : seen.last().mid(2); }
};

// The sausage figuring over an estimate started on `prices`, Sausage ticked.
struct Figures {
    explicit Figures(PriceSource& prices)
        : host(prices, ServiceId::BeefSausage)
        , sausage(host.estimate, clerk)
    {}
    SheetHost host;
    Clerk clerk;
    SausageFiguring sausage;

    const ServiceRow& row() const { return host.estimate.row(ServiceId::BeefSausage); }
    std::optional<QString> figure(const QString& list, const QString& start = QStringLiteral("0"))
    {
        return sausage.figure(entries(list), start);
    }
};

// The worksheet window on its own, over an estimate priced in memory.
struct Sheet {
    MemoryPrices prices;
    SheetHost host{prices, ServiceId::BeefSausage};
    DialogAnswerer dialogs;
    std::unique_ptr<SausageWorksheet> screen;

    // A new worksheet for the estimate (the one before goes).
    void open()
    {
        screen = std::make_unique<SausageWorksheet>(host.estimate, host);
        screen->show();
        QApplication::setActiveWindow(screen.get());
        QVERIFY(QTest::qWaitForWindowActive(screen.get()));
    }
    QWidget* w() const { return screen.get(); }
    QCheckBox* box(int row) const
    {
        return control<QCheckBox>(w(), QStringLiteral("Check%1").arg(row));
    }
    QLineEdit* deer(int row) const { return field(w(), QStringLiteral("t%1").arg(row)); }
    QLineEdit* pork(int index) const { return field(w(), QStringLiteral("p%1").arg(index)); }
    QLineEdit* edit(const char* name) const { return field(w(), QLatin1String(name)); }
    QPushButton* button(const char* name) const
    {
        return control<QPushButton>(w(), QLatin1String(name));
    }
    // The texts of the fields named, in order.
    QStringList texts(const QString& names) const
    {
        QStringList shown;
        for (const QString& name : names.split(QLatin1Char(' ')))
            shown << textOf(w(), name);
        return shown;
    }
    // What the worksheet wrote into the estimate: "weight charge" a time.
    QStringList written() const
    {
        QStringList rows;
        for (const SheetHost::Write& write : host.writes)
            rows << write.weight + QLatin1Char(' ') + write.charge;
        return rows;
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
        typeInto(this->deer(row), deer);
        QTest::keyClick(this->deer(row), Qt::Key_Tab);
    }
    // Each "row:deer" item in turn.
    void enter(const QString& list)
    {
        for (const Entry& e : entries(list))
            enter(e.row, e.deer);
    }
    // Figure, answering the dialogs it shows (the confirmation first): each
    // of them, and none more.
    void figure(std::initializer_list<Button> answers = {QMessageBox::Yes})
    {
        dialogs.clear();
        for (const Button answer : answers)
            dialogs.press(answer);
        click(button("cmdClose"));
        QCOMPARE(dialogs.seen().size(), qsizetype(answers.size()));
        QCOMPARE(dialogs.unexpected(), 0);
    }
    // The figuring stopped: nothing written, the worksheet open as it was.
    bool untouched() const
    {
        return host.writes.isEmpty() && screen->isVisible() &&
               edit("Text2")->text() == QLatin1String("0");
    }
    QString lastTold() const
    {
        return dialogs.seen().isEmpty() ? QString() : dialogs.texts().last();
    }
};

// The Estimate screen, beef at 1000 pounds live, Sausage ticked: its worksheet.
QWidget* openSausageSheet(EstimateCounter& c)
{
    c.start();
    c.animal(QStringLiteral("Option1"), QStringLiteral("1000"));
    return c.openWorksheet(4, QStringLiteral("frmWsEst"));
}

} // namespace

class TestSausageWorksheet : public QObject {
    Q_OBJECT

private slots:
    // ------------------------------------------------------------ figuring

    void chargesOfEachKind_data()
    {
        // The sample prices: Summer 2.50, Smoked Sausage 2.25, Jerky 3.50,
        // HotStix 3.00, SausageSeasoning 0.20; PorkTrim 1.20.
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("charge");
        const auto row = [](const char* name, const char* entered, const char* start,
                            const char* weight, const char* charge) {
            QTest::newRow(name) << QString(entered) << QString(start) << QString(weight)
                                << QString(charge);
        };
        // clang-format off
        row("the worked example", "1:30", "0", "45", "130.5"); // 2.5 x 45 + 1.2 x 15
        row("the charge total is the starting value", "1:30", " 10.25 ", "45", "140.75");
        row("nothing ticked", "", "0", "", "0");
        // 2.25 x 15 + 2.25 x 30 + 1.2 x 15
        row("Polish and German at Smoked Sausage", "5:10 6:20", "0", "45", "119.25");
        // 2.25 x 20 + 2.25 x 12 + 1.2 x 13
        row("Bratwurst and Italian at Smoked Sausage", "7:10 8:9", "0", "32", "87.6");
        row("Jerky and HotStix add no pork", "3:10 4:4", "0", "14", "47"); // 3.5 x 10 + 3 x 4
        row("Breakfast Sausage on twice the deer", "11:10", "0", "20", "16"); // 4 + 1.2 x 10
        row("the pork as entered", "1:30:12", "0", "42", "119.4"); // 2.5 x 42 + 1.2 x 12
        row("four decimals, half to even", "4:0.00075", "0", "0.00075", "0.0022"); // 0.00225
        // clang-format on
    }
    void chargesOfEachKind()
    {
        QFETCH(QString, entered);
        QFETCH(QString, start);
        QFETCH(QString, weight);
        QFETCH(QString, charge);
        MemoryPrices prices;
        Figures f(prices);
        QCOMPARE(f.figure(entered, start), std::optional<QString>(charge));
        QCOMPARE(f.row().weight.text, weight);
        QCOMPARE(f.row().charge.text, charge);
        QCOMPARE(f.row().entries.sausage, entries(entered));
        QCOMPARE(f.row().entries.startingCharge, start);
        QCOMPARE(f.sausage.lastEntries(), entries(entered));
        QCOMPARE(f.host.estimate.total(), charge); // the total follows at once
        QCOMPARE(f.clerk.kinds(), QString());
    }

    // Whatever stops a figuring leaves the row as the last figuring wrote it.
    void whatStopsAFiguringWritesNothing()
    {
        const QString huge(400, QLatin1Char('9'));
        const QString notAdded =
            QStringLiteral("\"Smoked Sausage\" is not in the price list and was not added");
        const struct {
            const char* what;
            QString change, entered, start;
            const char* shown; // as Clerk::kinds()
            QStringList says;
            QList<bool> yes = {};
            QList<std::optional<QString>> typed = {};
        } cases[] = {
            // clang-format off
            {"flag unticked", "flag off", "1:30 3:10", "0", "t", {NoDatabase}},
            {"flag unticked, nothing ticked", "flag off", "", "0", "t", {NoDatabase}},
            {"charge total abc", "", "1:30", "abc", "w", {"\"abc\" is not a number"}},
            {"charge total empty", "", "1:30", "", "w", {"not a number"}},
            {"charge total 12x", "", "1:30", "12x", "w", {"\"12x\" is not a number"}},
            {"no PorkTrim", "remove PorkTrim", "1:30", "0", "w",
             {"\"PorkTrim\" is not in the price list", NothingFigured}},
            {"a cost that is not a price", "unusable Jerky", "3:10", "0", "w",
             {"\"Jerky\"", NothingFigured}},
            {"the server out of reach", "server gone", "3:10", "0", "w",
             {"cannot be reached", NothingFigured}},
            {"weights too large", "", "3:" + huge, "0", "w", {"too large"}},
            {"a charge beyond money", "", "3:10", huge.left(300), "w", {"too large"}},
            // Smoked Sausage missing, Summer priced before it.
            {"adding the item declined", "remove Smoked Sausage", "1:30 5:10", "0", "qw",
             {notAdded, NothingFigured}, {false}},
            {"its price cancelled", "remove Smoked Sausage", "1:30 5:10", "0", "qpw",
             {notAdded, NothingFigured}, {true}, {std::nullopt}},
            // clang-format on
        };
        for (const auto& c : cases) {
            MemoryPrices prices;
            Figures f(prices);
            QVERIFY(f.figure(QStringLiteral("4:2"), QStringLiteral("1")));
            const ServiceRow before = f.row();
            if (c.change == QLatin1String("flag off"))
                f.host.setFlag(false);
            else if (c.change.startsWith(QLatin1String("remove ")))
                prices.remove(c.change.mid(7));
            else if (c.change.startsWith(QLatin1String("unusable ")))
                prices.unusable(c.change.mid(9));
            else if (c.change == QLatin1String("server gone"))
                prices.server = prices.outOfReach = true;
            const int smoked = int(prices.findItemRows(PriceItem::SmokedSausage).count);
            f.clerk.yes = c.yes;
            f.clerk.typed = c.typed;
            QVERIFY2(!f.figure(c.entered, c.start), c.what);
            QVERIFY2(f.row() == before && f.row().charge.text == QLatin1String("7"), c.what);
            QVERIFY2(f.clerk.kinds() == QLatin1String(c.shown) && !f.clerk.unexpected, c.what);
            for (const QString& said : c.says)
                QVERIFY2(f.clerk.last().contains(said, Qt::CaseInsensitive),
                         qPrintable(QStringLiteral("%1: %2").arg(c.what, f.clerk.last())));
            QVERIFY2(!f.clerk.last().contains(QLatin1String("Terminated"), Qt::CaseInsensitive),
                     c.what);
            QVERIFY2(prices.findItemRows(PriceItem::SmokedSausage).count == smoked, c.what);
        }
    }

    void aMissingItemIsAddedAtAPriceTypedRight()
    {
        TestPriceList file;
        file.withSample().without(PriceItem::SmokedSausage);
        PriceList prices(file.path());
        Figures f(prices);
        f.clerk.yes = {true};
        f.clerk.typed = {"abc", "-1", "1.23456", "", "2.3125"};
        QCOMPARE(f.figure(QStringLiteral("5:10")), std::optional<QString>("40.6875"));
        QCOMPARE(f.clerk.unexpected, 0);
        // Each price that is not one is told, and the same prompt (with the
        // application's title) shown again.
        const QString prompt = QStringLiteral("p:[] Enter Price Per Pound For Smoked Sausage");
        const char* why[] = {"\"abc\" is not an amount", "negative", "four decimals",
                             "not an amount"};
        QCOMPARE(f.clerk.seen.size(), 10);
        QCOMPARE(f.clerk.seen[0], "q:[File Not Found] " + SmokedMissing);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(f.clerk.seen[1 + 2 * i], prompt);
            QVERIFY2(f.clerk.seen[2 + 2 * i].startsWith(QLatin1String("w:")) &&
                         f.clerk.seen[2 + 2 * i].contains(QLatin1String(why[i])),
                     qPrintable(f.clerk.seen[2 + 2 * i]));
        }
        QCOMPARE(f.clerk.seen[9], prompt);
        // Added once, with the category of added items, and charged at once.
        QCOMPARE(file.rows().filter(QStringLiteral("Smoked Sausage|")),
                 QStringList{QStringLiteral("Smoked Sausage|2.3125|Curing/Seasoning")});
        QCOMPARE(f.row().weight.text, QStringLiteral("15"));
        QCOMPARE(f.row().charge.text, QStringLiteral("40.6875")); // 2.3125 x 15 + 1.2 x 5
        QCOMPARE(file.integrity(), QStringLiteral("ok"));

        // Two entries of a missing item: asked once, added once.
        file.without(PriceItem::SmokedSausage);
        f.clerk = Clerk();
        f.clerk.yes = {true};
        f.clerk.typed = {QStringLiteral("2")};
        QCOMPARE(f.figure(QStringLiteral("5:10 6:20")), std::optional<QString>("108"));
        QCOMPARE(f.clerk.kinds(), QStringLiteral("qp")); // 2 x 45 + 1.2 x 15
        QCOMPARE(file.rows().filter(QStringLiteral("Smoked Sausage|")).size(), 1);
    }

    void aRefusedSaveIsToldAndNothingAdded_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only file") << QStringLiteral("read-only");
        QTest::newRow("locked by another program") << QStringLiteral("locked");
        QTest::newRow("the file refuses the row") << QStringLiteral("no HotStix here");
    }
    void aRefusedSaveIsToldAndNothingAdded()
    {
        QFETCH(QString, reason);
        const QByteArray how = QTest::currentDataTag();
        TestPriceList file;
        file.withSample().without(PriceItem::HotStix);
        if (how.startsWith("the file"))
            file.refuseInserting(PriceItem::HotStix);
        const QStringList rows = file.rows();
        if (how.startsWith("read-only") && !file.makeReadOnly())
            QSKIP("this machine cannot make a file read-only");
        PriceList prices(file.path());
        Figures f(prices);
        const ServiceRow before = f.row();
        f.clerk.yes = {true};
        f.clerk.typed = {QStringLiteral("3")};
        {
            OtherProgram other(file.path());
            // The other program locks the file while the clerk types the price.
            if (how.startsWith("locked"))
                f.clerk.whilePrompted = [&other] {
                    QVERIFY(other.lock(true));
                };
            QVERIFY(!f.figure(QStringLiteral("4:10")));
        }
        QCOMPARE(f.clerk.kinds(), QStringLiteral("qpw"));
        const QString told = f.clerk.last();
        QVERIFY2(told.contains(QLatin1String("\"HotStix\" could not be added")), qPrintable(told));
        QVERIFY2(told.contains(reason, Qt::CaseInsensitive), qPrintable(told));
        QVERIFY(told.contains(NothingFigured, Qt::CaseInsensitive));
        QCOMPARE(f.row(), before);
        QCOMPARE(file.rows(), rows);
    }

    // A price list file gone, at start-up or afterwards: told, and never made again.
    void noPriceListFileIsToldAndNoneMade()
    {
        TestPriceList file;
        {
            PriceList prices(file.path()); // no file: the flag goes unticked
            Figures f(prices);
            f.host.setFlag(true); // it cannot be opened: unticked again
            QVERIFY(!f.figure(QStringLiteral("1:30")));
            QCOMPARE(f.clerk.kinds(), QStringLiteral("t"));
            QCOMPARE(f.clerk.last(), NoDatabase);
        }
        QVERIFY(!QFile::exists(file.path()));
        file.withSample();
        PriceList prices(file.path());
        Figures f(prices);
        const ServiceRow before = f.row();
        QVERIFY(QFile::remove(file.path()));
        QVERIFY(!f.figure(QStringLiteral("1:30")));
        QCOMPARE(f.clerk.kinds(), QStringLiteral("w"));
        QVERIFY2(f.clerk.last().contains(QLatin1String("no longer there")),
                 qPrintable(f.clerk.last()));
        QVERIFY(f.clerk.last().contains(NothingFigured, Qt::CaseInsensitive));
        QCOMPARE(f.row(), before);
        QVERIFY(!QFile::exists(file.path()));
    }

    // Once the estimate was cleared, nothing is looked up, asked, added or written.
    void aReplacedEstimateGetsNothing()
    {
        MemoryPrices prices;
        prices.remove(PriceItem::SmokedSausage);
        Figures f(prices);
        f.host.estimate.clear();
        const EstimateValue cleared = f.host.estimate.value();
        const int lookups = prices.lookups;
        f.clerk.yes = {true};
        f.clerk.typed = {QStringLiteral("2")};
        QVERIFY(!f.figure(QStringLiteral("1:30 5:10")));
        QCOMPARE(f.clerk.kinds(), QStringLiteral("w"));
        QVERIFY2(f.clerk.last().contains(Replaced), qPrintable(f.clerk.last()));
        QCOMPARE(f.host.estimate.value(), cleared);
        QCOMPARE(prices.lookups, lookups);
        QCOMPARE(prices.findItemRows(PriceItem::SmokedSausage).count, 0);
    }

    // ------------------------------------------------------------ the window

    void theWindowAsDesigned()
    {
        Sheet s;
        s.open();
        QWidget* w = s.w();
        QCOMPARE(findScreen(QStringLiteral("frmWsEst")), w);
        QStringList tabOrder;
        for (const Kind& kind : Kinds) {
            QCOMPARE(s.box(kind.row)->text(), QLatin1String(kind.caption));
            QCOMPARE(s.box(kind.row)->isEnabled(), kind.enabled);
            QVERIFY(!s.box(kind.row)->isChecked() && !s.deer(kind.row)->isVisible());
            QCOMPARE(s.deer(kind.row)->text(), QStringLiteral("0"));
            tabOrder << s.box(kind.row)->objectName() << s.deer(kind.row)->objectName();
            if (kind.takesPork()) {
                QVERIFY(s.pork(kind.porkField)->isVisible() && s.pork(kind.porkField)->isEnabled());
                QCOMPARE(s.pork(kind.porkField)->text(), QStringLiteral("0"));
                tabOrder << s.pork(kind.porkField)->objectName();
            }
        }
        QCOMPARE(s.texts("txtTotal pt Text2"), (QStringList{"Text2", "0", "0"}));
        QVERIFY(!IsMarkedInvalid(s.edit("txtTotal"))); // the design text is no mistake
        QVERIFY(!s.edit("pt")->isEnabled());
        QVERIFY(!s.button("cmdLastEntries")->isVisible()); // nothing figured for it yet
        QVERIFY(!s.screen->confirmed().has_value());
        QCOMPARE(s.screen->entries().size(), 0);
        QCOMPARE(s.focused(), s.box(1));

        // Teal, with light captions; greyed boxes still read, but unlike the others.
        const QColor teal(0, 128, 128);
        QCOMPARE(w->size(), QSize(qRound(6225 * w->logicalDpiX() / 1440.0),
                                  qRound(9015 * w->logicalDpiY() / 1440.0)));
        QList<QWidget*> onTeal{w};
        for (const char* name : {"Label1", "Label2", "Label3"})
            onTeal << control<QLabel>(w, QLatin1String(name));
        for (const Kind& kind : Kinds)
            onTeal << s.box(kind.row);
        for (QWidget* c : onTeal) {
            QVERIFY2(c->autoFillBackground(), qPrintable(c->objectName()));
            QVERIFY2(c->palette().color(c->backgroundRole()) == teal, qPrintable(c->objectName()));
            QVERIFY(c->palette().color(QPalette::Active, QPalette::WindowText).lightness() > 200);
        }
        const QColor greyed = s.box(9)->palette().color(QPalette::Disabled, QPalette::WindowText);
        QVERIFY(greyed != s.box(1)->palette().color(QPalette::Active, QPalette::WindowText));
        QVERIFY(greyed.lightness() > teal.lightness());

        // Headings over the columns, rows top to bottom, each pork field on its
        // kind's row, the totals below with their label at the left, then the
        // charge total, Last Entries and Figure side by side.
        const auto at = [w](const char* name) {
            return control<QWidget>(w, QLatin1String(name))->geometry();
        };
        const QRect deer = at("Label1"), pork = at("Label2"), total = at("txtTotal");
        for (const Kind& kind : Kinds) {
            const QRect field = s.deer(kind.row)->geometry();
            QVERIFY(s.box(kind.row)->geometry().right() < field.left());
            QVERIFY(field.left() == deer.left() && field.top() > deer.bottom());
            if (kind.row > 1)
                QVERIFY(s.box(kind.row)->geometry().top() >
                        s.box(kind.row - 1)->geometry().bottom());
            if (kind.takesPork())
                QCOMPARE(s.pork(kind.porkField)->geometry().topLeft(),
                         QPoint(pork.left(), field.top()));
        }
        QVERIFY(total.top() > s.deer(KindCount)->geometry().bottom());
        QCOMPARE(total.left(), deer.left());
        QCOMPARE(at("pt").topLeft(), QPoint(pork.left(), total.top()));
        QVERIFY(at("Label3").right() < total.left());
        QCOMPARE(at("Label3").center().y(), total.center().y());
        QVERIFY(at("Text2").top() > total.bottom() && at("cmdClose").top() > total.bottom());
        QVERIFY(at("Text2").right() < at("cmdLastEntries").left());
        QVERIFY(at("cmdLastEntries").right() < at("cmdClose").left());
        for (const char* name : {"Text2", "cmdLastEntries", "cmdClose"})
            QVERIFY2(w->rect().contains(at(name)), name);

        // The tab order runs row by row, as if every kind were ticked.
        tabOrder << QStringList{"cmdClose", "txtTotal", "pt", "Text2"};
        for (const Kind& kind : Kinds)
            s.deer(kind.row)->show();
        QStringList chain;
        QWidget* next = s.box(1);
        do {
            if (tabOrder.contains(next->objectName()))
                chain << next->objectName();
            next = next->nextInFocusChain();
        } while (next != s.box(1));
        QCOMPARE(chain, tabOrder);
    }

    void theFocusMovesOn()
    {
        Sheet s;
        s.open();
        click(s.box(1));
        QVERIFY(s.deer(1)->isVisible());
        QCOMPARE(s.focused(), s.deer(1));
        QCOMPARE(s.deer(1)->selectedText(), QStringLiteral("0"));
        QTest::keyClicks(s.deer(1), QStringLiteral("30"));
        QTest::keyClick(s.deer(1), Qt::Key_Return);
        QCOMPARE(s.focused(), s.pork(1));
        QCOMPARE(s.texts("t1 p1"), (QStringList{"30", "15.0"}));
        QCOMPARE(s.screen->entries(), entries(QStringLiteral("1:30")));

        // The keypad's Enter does the same; Jerky has no pork, so on to the next box.
        click(s.box(3));
        QTest::keyClicks(s.deer(3), QStringLiteral("12"));
        QTest::keyClick(s.deer(3), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(s.focused(), s.box(4));
        QCOMPARE(s.screen->entries(), entries(QStringLiteral("1:30 3:12")));

        // The whole weight is selected on the way back; other keys pass unchanged.
        s.deer(1)->setFocus();
        QCOMPARE(s.deer(1)->selectedText(), QStringLiteral("30"));
        QTest::keyClicks(s.deer(1), QStringLiteral("8"));
        QTest::keyClick(s.deer(1), Qt::Key_Backspace);
        QTest::keyClicks(s.deer(1), QStringLiteral("4.5"));
        QCOMPARE(s.deer(1)->text(), QStringLiteral("4.5"));
        QCOMPARE(s.dialogs.seen().size(), 0);

        // Unticking moves the focus on to a box that can take it, and clears the kind.
        click(s.box(1));
        QCOMPARE(s.texts("t1 p1"), (QStringList{"0", "0"}));
        click(s.box(3));
        click(s.box(8));
        QCOMPARE(s.focused(), s.deer(8));
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
        QCOMPARE(s.focused(), s.deer(1));
        s.box(1)->setFocus();
        QTest::keyClick(s.box(1), Qt::Key_Space);
        QVERIFY(!s.box(1)->isChecked());
        QCOMPARE(s.focused(), s.box(2));
        QCOMPARE(s.screen->entries().size(), 0);
    }

    // The pork shown when the deer weight field loses the focus; a deer weight
    // that is not a weight counts as 0 and is marked, without any message.
    void porkFollowsTheKindsRule_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("deer");
        QTest::addColumn<QString>("pork");
        QTest::addColumn<bool>("marked");
        const auto row = [](const char* name, int kind, const QString& deer, const char* pork,
                            bool marked) {
            QTest::newRow(name) << kind << deer << QString(pork) << marked;
        };
        // clang-format off
        row("Summer 9", 1, "9", "4.5", false);
        row("Summer 30", 1, "30", "15.0", false);
        row("Summer empty", 1, "", "0.0", true);
        row("Summer abc", 1, "abc", "0.0", true);
        row("Summer 9x", 1, "9x", "0.0", true);
        row("Bratwurst copies", 7, "12.25", "12.25", false);
        row("Bratwurst copies abc", 7, "abc", "abc", true);
        row("Italian 10", 8, "10", "3.3", false);
        row("Italian beyond a double", 8, QString(400, QLatin1Char('9')), "0.0", true);
        row("Breakfast copies", 11, "12.25", "12.25", false);
        // clang-format on
    }
    void porkFollowsTheKindsRule()
    {
        QFETCH(int, row);
        QFETCH(QString, deer);
        QFETCH(QString, pork);
        QFETCH(bool, marked);
        Sheet s;
        s.open();
        QLineEdit* porkField = s.pork(KindAt(row)->porkField);
        s.enter(row, QStringLiteral("7")); // a weight before, replaced
        s.enter(row, deer);
        QCOMPARE(porkField->text(), pork);
        QCOMPARE(s.screen->entries(), QList<Entry>({{row, KindAt(row)->entryName, deer, pork}}));
        QCOMPARE(IsMarkedInvalid(s.deer(row)), marked);
        // A pork copied from the deer text is marked when it is not a weight.
        QCOMPARE(IsMarkedInvalid(porkField), marked && KindAt(row)->pork == PorkRule::SameText);
        // The focus comes and goes without any message; a weight mends the marks.
        s.deer(row)->setFocus();
        porkField->setFocus();
        s.deer(row)->setFocus();
        QTest::keyClick(s.deer(row), Qt::Key_Tab, Qt::ShiftModifier);
        s.enter(row, QStringLiteral("6"));
        QVERIFY(!IsMarkedInvalid(s.deer(row)) && !IsMarkedInvalid(porkField));
        QCOMPARE(s.dialogs.seen().size(), 0);
        // The pork shown is the pork charged: it follows the deer as it is
        // typed, and takes no typing of its own.
        const QString following = porkField->text();
        typeInto(porkField, QStringLiteral("5%"));
        QCOMPARE(porkField->text(), following);
        typeInto(s.deer(row), QStringLiteral("24"));
        QCOMPARE(porkField->text(), PorkFor(*KindAt(row), QStringLiteral("24")).text);
        s.enter(row, QStringLiteral("24"));
        QCOMPARE(s.screen->entries().value(0).pork, porkField->text());
    }

    void askingForTheTotalDeerWeight()
    {
        Sheet s;
        s.open();
        QLineEdit* total = s.edit("txtTotal");
        s.dialogs.type(QStringLiteral("55"));
        QTest::mouseClick(total, Qt::LeftButton);
        QCOMPARE(s.dialogs.seen().size(), 1);
        QVERIFY(s.dialogs.seen()[0].input);
        QCOMPARE(s.dialogs.seen()[0].text, QStringLiteral("Please Enter Total Deer Weight"));
        QCOMPARE(s.dialogs.seen()[0].title, QStringLiteral("Weight Of Total Meat Carryied In"));
        QCOMPARE(total->text(), QStringLiteral("55"));
        QVERIFY(!IsMarkedInvalid(total));
        // An answer that is not a weight is shown as it was typed, and marked.
        s.dialogs.type(QStringLiteral("about 50"));
        QTest::mouseClick(total, Qt::LeftButton);
        QCOMPARE(total->text(), QStringLiteral("about 50"));
        QVERIFY(IsMarkedInvalid(total));
        s.dialogs.cancel();
        QTest::mouseClick(total, Qt::LeftButton);
        QCOMPARE(total->text(), QString());
        QVERIFY(!IsMarkedInvalid(total));
        // The field's own tip comes back with the mark gone.
        QCOMPARE(total->toolTip(), QStringLiteral("Total deer weight; click to type it"));
        // Figure overwrites it.
        s.enter(3, QStringLiteral("4"));
        QString shown;
        s.dialogs.onDialog = [&](const SeenDialog&) {
            shown = total->text();
        };
        s.figure({QMessageBox::No});
        QCOMPARE(shown, QStringLiteral("4"));
        QCOMPARE(s.dialogs.texts(), QStringList{"\nJerky  4   "});
    }

    // The confirmation lists the entries, with the totals added up behind
    // it; No resets the worksheet, which goes on from there.
    void confirmationAndNo()
    {
        Sheet s;
        s.open();
        typeInto(s.edit("Text2"), QStringLiteral("5"));
        s.enter(QStringLiteral("1:30 3:10 11:12.25"));
        QStringList totals;
        s.dialogs.onDialog = [&](const SeenDialog&) {
            totals = s.texts("txtTotal pt");
        };
        s.figure({QMessageBox::No});
        QCOMPARE(totals, (QStringList{"52.25", "27.25"}));
        const SeenDialog& d = s.dialogs.seen()[0];
        QCOMPARE(d.text, QStringLiteral("\nSummer  30   15.0"
                                        "\nJerky  10   "
                                        "\nBreakfastSausage  12.25   12.25"));
        QVERIFY(looks(d, QStringLiteral("Is All Information Correct?"), QMessageBox::Critical,
                      QMessageBox::Yes | QMessageBox::No));
        QVERIFY(s.screen->confirmed().has_value() && !*s.screen->confirmed());

        QVERIFY(s.w()->isVisible());
        QCOMPARE(s.screen->entries().size(), 0);
        for (const Kind& kind : Kinds) {
            QVERIFY(!s.box(kind.row)->isChecked() && !s.deer(kind.row)->isVisible());
            QCOMPARE(s.deer(kind.row)->text(), QStringLiteral("0"));
            if (kind.takesPork())
                QCOMPARE(s.pork(kind.porkField)->text(), QStringLiteral("0"));
        }
        QCOMPARE(s.texts("txtTotal pt Text2"), (QStringList{"0", "0", "5"}));
        QVERIFY(s.host.writes.isEmpty());
        s.dialogs.onDialog = nullptr;
        s.enter(3, QStringLiteral("10"));
        s.figure();
        QCOMPARE(s.written(), QStringList{"10 40"}); // 5 + 10 x 3.50
        QVERIFY(s.screen->confirmed().value_or(false));
    }

    // Yes: the row written into the estimate, the screen told, the charge
    // shown, the worksheet closed; with nothing ticked too. Alt+F counts the
    // weight still being typed, as if its field had lost the focus.
    void figureWritesTheRowAndCloses()
    {
        for (const bool anything : {true, false}) {
            Sheet s;
            s.open();
            if (anything) {
                click(s.box(1));
                QTest::keyClicks(s.deer(1), QStringLiteral("30"));
                s.dialogs.press(QMessageBox::Yes);
                QTest::keyClick(s.deer(1), Qt::Key_F, Qt::AltModifier);
                QTRY_COMPARE(s.dialogs.seen().size(), 1);
            } else {
                s.figure();
            }
            QCOMPARE(s.dialogs.texts(), QStringList{anything ? "\nSummer  30   15.0" : ""});
            QCOMPARE(s.written(), QStringList{anything ? "45 130.5" : " 0"});
            QCOMPARE(s.host.writes[0].service, ServiceId::BeefSausage);
            QCOMPARE(s.host.estimate.row(ServiceId::BeefSausage).entries.sausage,
                     s.screen->entries());
            QCOMPARE(s.texts("txtTotal pt Text2"),
                     (anything ? QStringList{"30", "15", "130.5"} : QStringList{"0", "0", "0"}));
            QVERIFY(!s.w()->isVisible());
        }
    }

    void entriesFollowTheirKinds()
    {
        // Tick Summer, tick Jerky, untick Summer: only Jerky is figured.
        {
            Sheet s;
            s.open();
            click(s.box(1));
            click(s.box(3));
            typeInto(s.deer(3), QStringLiteral("10"));
            click(s.box(1));
            QVERIFY(!s.deer(1)->isVisible());
            QCOMPARE(s.texts("t1 p1"), (QStringList{"0", "0"}));
            s.figure();
            QCOMPARE(s.dialogs.texts(), QStringList{"\nJerky  10   "});
            QCOMPARE(s.written(), QStringList{"10 35"});
        }
        // Going back: a weight typed into an earlier kind's field is that kind's.
        {
            Sheet s;
            s.open();
            s.enter(QStringLiteral("1:30 3:10 5:8 1:20"));
            QCOMPARE(s.pork(1)->text(), QStringLiteral("10.0"));
            click(s.box(5));
            s.figure();
            QCOMPARE(s.dialogs.texts(), QStringList{"\nSummer  20   10.0\nJerky  10   "});
            QCOMPARE(s.written(), QStringList{"40 122"}); // 75 + 35 + 1.2 x 10
        }
    }

    // Told before the confirmation, the totals row left as it was: a charge
    // total that is not a number (marked as it is typed), and two weights
    // near the largest number (the pork copying them) that add up beyond any
    // ("-Infinity").
    void refusedBeforeTheConfirmation()
    {
        const QString huge = QStringLiteral("-") + QString(316, QLatin1Char('9'));
        const struct {
            QString chargeTotal, weight, told;
        } cases[] = {{"abc", "30", "not a number"},
                     {"", "30", "not a number"},
                     {"12x", "30", "not a number"},
                     {"0", huge, "too large to be added up"}};
        for (const auto& c : cases) {
            Sheet s;
            s.open();
            typeInto(s.edit("Text2"), c.chargeTotal);
            QCOMPARE(IsMarkedInvalid(s.edit("Text2")), c.chargeTotal != QLatin1String("0"));
            s.enter(7, c.weight);  // Bratwurst: as much pork as deer
            s.enter(11, c.weight); // Breakfast Sausage: the same
            s.figure({QMessageBox::Ok});
            QVERIFY2(s.lastTold().contains(c.told), qPrintable(s.lastTold()));
            QCOMPARE(s.texts("txtTotal pt Text2"), (QStringList{"Text2", "0", c.chargeTotal}));
            QVERIFY(s.host.writes.isEmpty() && s.w()->isVisible());
        }
    }

    // When the figuring stops, the clerk is told in a box over the worksheet,
    // which stays open with its entries.
    void aStoppedFiguringKeepsTheWorksheet()
    {
        Sheet s;
        s.prices.remove(PriceItem::SmokedSausage);
        s.open();
        s.enter(QStringLiteral("1:30 5:10"));
        const QList<Entry> entered = s.screen->entries();
        QCOMPARE(entered, entries(QStringLiteral("1:30 5:10")));
        const auto ok = QMessageBox::StandardButtons(QMessageBox::Ok);

        s.host.setFlag(false);
        s.figure({QMessageBox::Yes, QMessageBox::Ok});
        QCOMPARE(s.lastTold(), NoDatabase);
        QVERIFY(looks(s.dialogs.seen()[1], Dialogs::appTitle(), QMessageBox::NoIcon, ok));
        QVERIFY(s.untouched());
        QCOMPARE(s.screen->entries(), entered);

        // A missing item: asked with the stop icon; declined, told with the warning icon.
        s.host.setFlag(true);
        s.figure({QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok});
        QCOMPARE(s.dialogs.texts()[1], SmokedMissing);
        QVERIFY(looks(s.dialogs.seen()[1], MissingTitle, QMessageBox::Critical,
                      QMessageBox::Yes | QMessageBox::No));
        QVERIFY(s.lastTold().contains(QLatin1String("\"Smoked Sausage\"")));
        QVERIFY(looks(s.dialogs.seen()[2], Dialogs::appTitle(), QMessageBox::Warning, ok));
        QVERIFY(s.untouched());
        QCOMPARE(s.screen->entries(), entered);

        // Opened for an estimate that was cleared since: nothing written into
        // the next one, and nothing there for a new worksheet to take up.
        s.host.estimate.clear();
        const EstimateValue cleared = s.host.estimate.value();
        s.figure({QMessageBox::Yes, QMessageBox::Ok});
        QVERIFY2(s.lastTold().contains(Replaced), qPrintable(s.lastTold()));
        QVERIFY(s.untouched());
        QCOMPARE(s.host.estimate.value(), cleared);
        s.open();
        QVERIFY(!s.button("cmdLastEntries")->isVisible());
    }

    // A final bill: the products figured last are taken up again in a new
    // worksheet, a few pounds changed, and Figure writes the changed pounds.
    void lastEntriesAreTakenUpAgain()
    {
        Sheet s;
        s.open();
        typeInto(s.edit("Text2"), QStringLiteral("10.25"));
        s.enter(QStringLiteral("1:30 3:10 8:9"));
        s.figure();
        // 10.25 + 2.5 x 45 + 3.5 x 10 + 2.25 x 12 + 1.2 x 18
        QCOMPARE(s.written(), QStringList{"67 206.35"});

        s.open();
        QVERIFY(s.button("cmdLastEntries")->isVisible());
        QCOMPARE(s.screen->entries().size(), 0); // until the clerk asks for them
        click(s.button("cmdLastEntries"));
        QCOMPARE(s.screen->entries(), entries(QStringLiteral("1:30 3:10 8:9")));
        for (const Kind& kind : Kinds) {
            const bool taken = kind.row == 1 || kind.row == 3 || kind.row == 8;
            QCOMPARE(s.box(kind.row)->isChecked(), taken);
            QCOMPARE(s.deer(kind.row)->isVisible(), taken);
        }
        // The pounds, and the other sausage charges they were figured from.
        QCOMPARE(s.texts("t1 p1 t3 t8 p6 Text2"),
                 (QStringList{"30", "15.0", "10", "9", "3.0", "10.25"}));
        QCOMPARE(s.focused(), s.box(1));

        // Jerky is 12 pounds after all.
        s.enter(3, QStringLiteral("12"));
        s.figure();
        QCOMPARE(s.dialogs.texts(),
                 QStringList{"\nSummer  30   15.0\nJerky  12   \nItalian  9   3.0"});
        QCOMPARE(s.written(), (QStringList{"67 206.35", "69 213.35"})); // 7 more
        QCOMPARE(s.host.estimate.row(ServiceId::BeefSausage).entries.sausage,
                 entries(QStringLiteral("1:30 3:12 8:9")));
        QVERIFY(!s.w()->isVisible());

        // The pork is taken up as it was figured, not figured again from the deer.
        Clerk clerk;
        QVERIFY(SausageFiguring(s.host.estimate, clerk).figure(entries("1:30:12 7:4:5"), "0"));
        s.open();
        click(s.button("cmdLastEntries"));
        QCOMPARE(s.texts("t1 p1 t7 p5 Text2"), (QStringList{"30", "12", "4", "5", "0"}));
        QCOMPARE(s.screen->entries(), entries(QStringLiteral("1:30:12 7:4:5")));
    }

    // ------------------------------------------------------------ the Estimate screen

    void throughTheEstimateScreen()
    {
        EstimateCounter c;
        c.file.withSample();
        QWidget* sheet = openSausageSheet(c);
        QVERIFY(sheet);
        QVERIFY(c.service(4)->isChecked());
        QCOMPARE(c.text("Text5"), QStringLiteral("202"));
        QVERIFY(!sheet->isModal());
        QVERIFY(c.screen->isEnabled());
        QCOMPARE(QApplication::focusWidget(), control<QCheckBox>(sheet, QStringLiteral("Check1")));
        QVERIFY(!control<QPushButton>(sheet, QStringLiteral("cmdLastEntries"))->isVisible());

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
        QWidget* again = c.openWorksheet(4, QStringLiteral("frmWsEst"));
        QVERIFY(again);
        QVERIFY(!control<QCheckBox>(again, QStringLiteral("Check1"))->isChecked());
        QCOMPARE(textOf(again, QStringLiteral("Text2")), QStringLiteral("0"));
        QCOMPARE(textOf(again, QStringLiteral("txtTotal")), QStringLiteral("Text2"));
        QCOMPARE(QApplication::focusWidget(), control<QCheckBox>(again, QStringLiteral("Check1")));
        QVERIFY(control<QPushButton>(again, QStringLiteral("cmdLastEntries"))->isVisible());
        QCOMPARE(c.openWorksheet(4, QStringLiteral("frmWsEst")), again);
        QCOMPARE(c.screen->findChildren<SausageWorksheet*>().size(), 1);
    }

    void addingAMissingItemThroughTheEstimateScreen()
    {
        EstimateCounter c;
        c.file.withSample().without(PriceItem::SmokedSausageJalepono);
        QWidget* sheet = openSausageSheet(c);
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
        QCOMPARE(c.dialogs.seen()[1].title, MissingTitle);
        QVERIFY(c.dialogs.seen()[2].input);
        QCOMPARE(c.dialogs.seen()[2].title, Dialogs::appTitle());
        QCOMPARE(c.text("Text6_13"), QStringLiteral("30"));
        QCOMPARE(c.text("Text6_4"), QStringLiteral("105")); // 3.1 x 30 + 1.2 x 10
        QCOMPARE(c.text("Text5"), QStringLiteral("307"));   // 17 + 185 + 105

        // Added through the screen's price list, there for every connection.
        QCOMPARE(c.screen->priceList().lookupCost(PriceItem::SmokedSausageJalepono).cost, 3.1);
        QVERIFY(c.file.rows().contains(
            QStringLiteral("Smoked Sausage w/ Jalepono & Cheddar|3.1|Curing/Seasoning")));
        PriceList another(c.file.path());
        QCOMPARE(another.open(), PriceList::OpenResult::Opened);
        QCOMPARE(another.lookupCost(PriceItem::SmokedSausageJalepono).cost, 3.1);
        QCOMPARE(c.file.integrity(), QStringLiteral("ok"));
    }
};

QTEST_MAIN(TestSausageWorksheet)
#include "test_sausage_worksheet.moc"
