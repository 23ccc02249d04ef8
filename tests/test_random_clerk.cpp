// A random clerk at the counter: thousands of random clicks, keystrokes and
// answers to the message and input boxes, on every open screen, starting from
// a real Estimate screen over a real price list file. After every action it
// checks what the shop relies on: the total is the sum of its charges, every
// figure shown is a number or is marked as not being one, every figure shown
// as current is the one its rule gives from the prices the estimate stands
// for, no worksheet of an estimate that was replaced stays open to write into
// the next one, the price list holds exactly what the clerk added through the
// sausage worksheet's price prompt, every estimate it opens again from the
// saved estimates equals what was saved, a buyer's share of an animal reads
// the same total in the Shares window as on the Estimate screen and every
// share's row adds up, the estimate's cut sheet holds no contradiction, and
// nothing crashed.
//
// Every run prints its seeds. To replay one seed (or several, in order):
//   LOCKER_CLERK_SEED=<n>[,<n>...] tests/test_random_clerk
// LOCKER_CLERK_ACTIONS=<n> sets the actions per seed (5000 unless set),
// LOCKER_CLERK_SEEDS=<n> runs n fresh seeds for a long run, and
// LOCKER_CLERK_TRACE=1 prints every action as it is taken.

#include "book/estimate_book.h"
#include "core/money.h"
#include "core/numbers.h"
#include "dialog_answerer.h"
#include "estimate/cut_sheet.h"
#include "estimate/estimate_rules.h"
#include "pricelist/price_items.h"
#include "save_dialog.h"
#include "support/counter_screen.h"
#include "test_price_list.h"
#include "ui/dialogs.h"
#include "ui/field_cues.h"
#include "widgets.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMap>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <deque>
#include <memory>
#include <random>
#include <unistd.h>

namespace {

// Controls that the clerk never touches, by objectName: a control that must
// not be driven at random (one that prints, or opens a window that is not one
// of the screens below) is named here. The print button opens the printer's
// dialog; the price list button opens the window that changes the prices
// (it has tests of its own). The saved estimates' window is reached only by the
// clerk's own move that opens a saved estimate (it can export through a file
// dialog). The kill calendar and the day's board are windows of the
// bookings, which have tests of their own.
const QSet<QString> NeverTouched = {
    QStringLiteral("cmdPrint"),     QStringLiteral("cmdPriceList"),
    QStringLiteral("cmdEstimates"), QStringLiteral("cmdExport"),
    QStringLiteral("printShares"),  QStringLiteral("cmdBookKillDate"),
    QStringLiteral("cmdDayBoard"),  QStringLiteral("cmdPrintSheet")};

// The screens the clerk works on; the Estimate screen is never closed.
const QString Estimate = QStringLiteral("frmEst");
const QStringList Worksheets = {QStringLiteral("frmWsEst"), QStringLiteral("frmEB"),
                                QStringLiteral("frmJerky"), QStringLiteral("frmFajita"),
                                QStringLiteral("frmCure")};
// The window of an animal sold in shares, opened from the Estimate screen.
const QString Shares = QStringLiteral("frmShares");
// The customer's cut sheet, a dialog over the Estimate screen.
const QString SheetWindow = QStringLiteral("frmCutSheet");
// Its table's columns that the clerk types in, and those of a share's bill.
enum SharesColumn { BuyerColumn = 0, PartColumn = 2, KillColumn = 4, TotalColumn = 8 };
// What the clerk types as a buyer's part.
const QStringList PartWords = {
    QStringLiteral("half"), QStringLiteral("quarter"), QStringLiteral("split-side quarter"),
    QStringLiteral("25"),   QStringLiteral("12.5 %"),  QStringLiteral("33.33"),
    QStringLiteral("a bit")};

// The button that applies each worksheet, writes its row and closes it.
const QMap<QString, QString> ApplyButtons = {
    {QStringLiteral("frmWsEst"), QStringLiteral("cmdClose")},
    {QStringLiteral("frmEB"), QStringLiteral("Command1")},
    {SheetWindow, QStringLiteral("cmdSheetOK")},
    {QStringLiteral("frmJerky"), QStringLiteral("cmdFigure")},
    {QStringLiteral("frmFajita"), QStringLiteral("cmdFigure")},
    {QStringLiteral("frmCure"), QStringLiteral("cmdApply")},
};

// The seeds that every test run replays, and the actions per seed.
constexpr quint64 DefaultSeeds[] = {11, 2024, 90125};
constexpr int DefaultActions = 5000;
// The actions shown when something goes wrong.
constexpr std::size_t TrailLength = 30;
// More dialogs than this in one action: a dialog that keeps coming back.
constexpr int DialogsPerActionLimit = 60;

// The sausage worksheet's price prompt, as the clerk sees it.
const QString MissingQuestion = QStringLiteral(" Could Not Be Found Do you want to add It?");
const QString PricePrompt = QStringLiteral("Enter Price Per Pound For ");
const QRegularExpression AddRefused(QStringLiteral("could not be added|cannot be added"));

// Items taken out of the sample price list, so that the price prompt comes up
// (the sausage-seasoning role of the curing worksheet then finds no price
// either).
const QString RemovedItems[] = {PriceItem::HotStix, PriceItem::SmokedSausage,
                                PriceItem::SausageSeasoning};
// Prices with cents and parts of cents, so that the charges are not all whole.
const std::pair<QString, double> OddPrices[] = {
    {PriceItem::BeefKill, 17.45},     {PriceItem::PorkKill, 16.35},
    {PriceItem::Deer, 85.33},         {PriceItem::Processing, 0.3725},
    {PriceItem::PaperWrapp, 0.4775},  {PriceItem::Cooling, 0.0525},
    {PriceItem::MinuteSteaks, 0.215}, {PriceItem::Curing, 0.4275},
    {PriceItem::ExtraBoning, 0.1725}, {PriceItem::Slicing, 1.5525},
    {PriceItem::FajitaStrips, 1.255}, {PriceItem::Summer, 2.4875},
    {PriceItem::Jerky, 3.5125},       {PriceItem::PorkTrim, 1.2125},
};

// ---------------------------------------------------------------- the dice

class Dice {
public:
    explicit Dice(quint64 seed)
        : engine_(seed)
    {}
    int below(int n) { return n <= 1 ? 0 : int(engine_() % quint64(n)); }
    bool chance(double p) { return double(engine_() >> 11) * 0x1.0p-53 < p; }
    // An index chosen by weight; -1 when every weight is 0.
    int weighted(const QList<int>& weights)
    {
        int sum = 0;
        for (int w : weights)
            sum += w;
        if (sum <= 0)
            return -1;
        int roll = below(sum);
        for (int i = 0; i < weights.size(); ++i) {
            if (roll < weights[i])
                return i;
            roll -= weights[i];
        }
        return -1;
    }

private:
    std::mt19937_64 engine_;
};

// ---------------------------------------------------------------- texts typed

// A weight a clerk might type.
QString plausibleWeight(Dice& dice)
{
    switch (dice.below(5)) {
    case 0:
        return QString::number(dice.below(2000));
    case 1:
        return QStringLiteral("%1.%2").arg(dice.below(1500)).arg(dice.below(100));
    case 2:
        return QStringLiteral("%1.5").arg(dice.below(60));
    case 3:
        return QString::number(100 + dice.below(20) * 50);
    default:
        return QStringLiteral("0");
    }
}

// A price a clerk might type at the price prompt: money, at most four decimals.
QString plausiblePrice(Dice& dice)
{
    switch (dice.below(3)) {
    case 0:
        return QString::number(dice.below(10));
    case 1:
        return QStringLiteral("%1.%2")
            .arg(dice.below(10))
            .arg(dice.below(100), 2, 10, QLatin1Char('0'));
    default:
        return QStringLiteral("%1.%2")
            .arg(dice.below(5))
            .arg(dice.below(10000), 4, 10, QLatin1Char('0'));
    }
}

// Texts that are odd, wrong, huge or tiny.
QString oddText(Dice& dice)
{
    static const QStringList odd = {
        QString(),
        QStringLiteral(" "),
        QStringLiteral("   "),
        QStringLiteral("abc"),
        QStringLiteral("Beef"),
        QStringLiteral("12a"),
        QStringLiteral("a12"),
        QStringLiteral("-5"),
        QStringLiteral("-0"),
        QStringLiteral("+7"),
        QStringLiteral("- 3"),
        QStringLiteral("1,000"),
        QStringLiteral("1,5"),
        QStringLiteral("12.5.3"),
        QStringLiteral("."),
        QStringLiteral("-"),
        QStringLiteral("+"),
        QStringLiteral(".."),
        QStringLiteral(".5"),
        QStringLiteral("5."),
        QStringLiteral(" 42 "),
        QStringLiteral("-12.75"),
        QStringLiteral("0.000000000000001"),
        QStringLiteral("0.0000000000000000000000000001"),
        QStringLiteral("1e5"),
        QStringLiteral("1E-3"),
        QStringLiteral("99999999999999999999"),
        QStringLiteral("123456789012345678901234567890"),
        QStringLiteral("-99999999999999999999999"),
        QStringLiteral("32767"),
        QStringLiteral("32768"),
        QStringLiteral("327.675"),
        QStringLiteral("-327.685"),
        QStringLiteral("100000"),
        QStringLiteral("100000.01"),
        QStringLiteral("4611686018427387904"),
        QStringLiteral("9223372036854775808"),
        QStringLiteral("NaN"),
        QStringLiteral("inf"),
        QStringLiteral("Infinity"),
        QStringLiteral("0x1A"),
        QStringLiteral("12 34"),
        QStringLiteral("$5"),
        QStringLiteral("5%"),
        QStringLiteral("1/2"),
        QStringLiteral("\u0663\u0664"),
        QStringLiteral("\uff11\uff12"),
        QStringLiteral("\u00bd"),
        QString(320, QLatin1Char('9')),
        QStringLiteral("-") + QString(315, QLatin1Char('9')),
        QStringLiteral("0.") + QString(330, QLatin1Char('0')) + QStringLiteral("1"),
    };
    if (dice.chance(0.6))
        return odd[dice.below(int(odd.size()))];
    static const QString alphabet = QStringLiteral("0123456789 .,-+eEaxZ$%");
    QString text;
    const int length = 1 + dice.below(12);
    for (int i = 0; i < length; ++i)
        text += alphabet[dice.below(int(alphabet.size()))];
    return text;
}

// Types a text key by key, as a keyboard does; also letters that have no key
// of their own on the keyboard.
void typeKeys(QLineEdit* edit, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f)
            QTest::keyClick(edit, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Replaces a field's text as the clerk does: select all, then type.
void replaceText(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        typeKeys(edit, text);
}

QString anyText(Dice& dice, double plausible)
{
    return dice.chance(plausible) ? plausibleWeight(dice) : oddText(dice);
}

QString shown(const QString& text, int limit = 60)
{
    QString out = text;
    out.replace(QLatin1Char('\r'), QLatin1Char('|')).replace(QLatin1Char('\n'), QLatin1Char('|'));
    if (out.size() > limit)
        out = out.left(limit) + QStringLiteral("...(%1 chars)").arg(text.size());
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString buttonName(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok:
        return QStringLiteral("OK");
    case QMessageBox::Yes:
        return QStringLiteral("Yes");
    case QMessageBox::No:
        return QStringLiteral("No");
    case QMessageBox::Cancel:
        return QStringLiteral("Cancel");
    default:
        return QStringLiteral("button %1").arg(int(button));
    }
}

// ---------------------------------------------------------------- a crash note

// What to print when the process dies under the clerk (a crash, an abort, a
// sanitizer report): kept ready as plain bytes, because a signal handler may
// do little more than write them.
char crashNote[16384];
volatile std::size_t crashNoteLength = 0;

void setCrashNote(const QByteArray& text)
{
    crashNoteLength = 0;
    const std::size_t n = std::min(sizeof crashNote, std::size_t(text.size()));
    std::memcpy(crashNote, text.constData(), n);
    crashNoteLength = n;
}

extern "C" void onFatalSignal(int signal)
{
    const char head[] = "\n*** The random clerk's process is dying. ";
    [[maybe_unused]] auto w = ::write(STDERR_FILENO, head, sizeof head - 1);
    w = ::write(STDERR_FILENO, crashNote, crashNoteLength);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// The offscreen platform's notes on what it cannot do (raise a window, ...)
// would fill the log at every worksheet shown.
QtMessageHandler testHandler = nullptr;
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    testHandler(type, context, message);
}

void armCrashNote()
{
    for (const int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        std::signal(signal, onFatalSignal);
}

// ---------------------------------------------------------------- what the runs reached

struct Coverage {
    QMap<QString, int> opened;
    QMap<QString, int> applied;
    QSet<int> servicesTicked;
    int itemsAdded = 0;
    int saves = 0;
    int opens = 0;
    int dialogs = 0;
    int actions = 0;
    // Times a buyer's share was on the Estimate screen with a total to
    // compare with the Shares window's.
    int sharesCompared = 0;
};
Coverage reached;

// ---------------------------------------------------------------- one clerk

class Clerk {
public:
    Clerk(quint64 seed, int actions)
        : seed_(seed)
        , actions_(actions)
        , dice_(seed)
        , trace_(qEnvironmentVariableIntValue("LOCKER_CLERK_TRACE") != 0)
    {}

    // Runs every action; the first broken promise, or empty.
    QString run();

    // The first promise broken now, or empty.
    QString promisesBroken();

    QWidget* estimate() const { return estimate_.get(); }
    CounterScreen& counter() { return *estimate_; }
    TestPriceList& file() { return file_; }

private:
    void setUp();
    void act();
    QWidget* chooseScreen();
    void actOn(QWidget* screen);
    int controlWeight(const QString& screen, const QWidget* control) const;
    template <typename T> QList<T*> controls(QWidget* screen) const;
    QString textFor(const QString& screen, const QString& field);
    DialogAnswerer::Answer answer(const SeenDialog& dialog);
    void note(const QString& line);
    QString failure(int action, const QString& problem) const;

    // The promises checked after every action.
    QString checkTotal() const;
    QString checkRefused() const;
    QString checkFigures() const;
    QString checkCurrentFigures() const;
    QString checkWorksheetsBelong();
    QString checkPriceList();
    QString checkShares();
    QString checkCutSheet() const;
    // The estimate opened from the saved estimates is what was saved.
    QString checkOpened(qint64 number) const;
    // A save (or an open) seen after an action: what the screen shows is kept.
    void noteSaved();
    void openSaved();
    QStringList fieldTexts() const;
    SaveDialogAnswer answerSave(const SaveDialogSeen& seen);

    quint64 seed_;
    int actions_;
    Dice dice_;
    bool trace_;
    int action_ = 0;

    TestPriceList file_;
    QStringList startRows_;
    QByteArray checkedBytes_; // the file as it was when its rows were last checked
    struct Added {
        QString item;
        double cost;
    };
    QList<Added> added_;
    QString awaitingPriceFor_; // a Yes to the missing-item question, before the price

    DialogAnswerer dialogs_;
    std::unique_ptr<CounterScreen> estimate_;
    QList<QPointer<QWidget>> seenScreens_;
    // Each open worksheet, with the estimate it was opened for.
    QList<std::pair<QPointer<QWidget>, quint64>> sheetsOf_;
    int dialogsThisAction_ = 0;
    QString loop_; // a dialog that kept coming back, or one the clerk cannot answer
    QTimer strangeDialogs_;
    SaveDialogAnswerer saving_;
    // The field texts shown when each estimate was saved, with its state.
    struct Kept {
        QString state;
        QStringList fields;
    };
    QMap<qint64, Kept> kept_;
    qint64 keptNumber_ = 0, keptRevision_ = 0;
    QString opened_; // a broken promise found by the last open
    std::deque<QString> trail_;
};

QString Clerk::run()
{
    setUp();
    for (action_ = 1; action_ <= actions_; ++action_) {
        dialogsThisAction_ = 0;
        act();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        noteSaved();
        ++reached.actions;
        const QString problem = promisesBroken();
        if (!problem.isEmpty())
            return failure(action_, problem);
    }
    reached.itemsAdded += int(added_.size());
    return QString();
}

QString Clerk::promisesBroken()
{
    QString problem = loop_;
    if (problem.isEmpty())
        problem = opened_;
    if (problem.isEmpty())
        problem = checkTotal();
    if (problem.isEmpty())
        problem = checkRefused();
    if (problem.isEmpty())
        problem = checkFigures();
    if (problem.isEmpty())
        problem = checkCurrentFigures();
    if (problem.isEmpty())
        problem = checkWorksheetsBelong();
    if (problem.isEmpty())
        problem = checkPriceList();
    if (problem.isEmpty())
        problem = checkShares();
    if (problem.isEmpty())
        problem = checkCutSheet();
    return problem;
}

void Clerk::setUp()
{
    file_.withSample();
    for (const QString& item : RemovedItems)
        file_.without(item);
    for (const auto& [item, cost] : OddPrices)
        file_.price(item, cost);
    startRows_ = file_.rows();

    dialogs_.policy = [this](const SeenDialog& dialog) {
        return answer(dialog);
    };
    // A modal window that is neither a message box nor an input box (a new
    // feature's own dialog) would wait for ever: it is closed and reported, and
    // its control belongs in NeverTouched or the clerk learns to answer it.
    strangeDialogs_.setInterval(50);
    QObject::connect(&strangeDialogs_, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || qobject_cast<QMessageBox*>(modal) || qobject_cast<QInputDialog*>(modal) ||
            modal->objectName() == QLatin1String("frmSaveEstimate") ||
            modal->objectName() == SheetWindow)
            return;
        if (loop_.isEmpty())
            loop_ = QStringLiteral("a modal window the clerk cannot answer: %1 %2")
                        .arg(modal->objectName(), shown(modal->windowTitle()));
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    strangeDialogs_.start();
    saving_.policy = [this](const SaveDialogSeen& seen) {
        return answerSave(seen);
    };
    estimate_ = std::make_unique<CounterScreen>(file_.path());
    estimate_->startUp();
    estimate_->show();
    QApplication::setActiveWindow(estimate_.get());
    note(QStringLiteral("start: the Estimate screen over the price list"));
}

void Clerk::note(const QString& line)
{
    const QString entry = QStringLiteral("%1: %2").arg(action_).arg(line);
    if (trace_)
        qInfo().noquote() << "clerk" << entry;
    trail_.push_back(entry);
    while (trail_.size() > TrailLength)
        trail_.pop_front();
    QByteArray text = QStringLiteral("Seed %1, action %2 of %3. Last actions:\n")
                          .arg(seed_)
                          .arg(action_)
                          .arg(actions_)
                          .toUtf8();
    for (const QString& step : trail_)
        text += "  " + step.toUtf8() + '\n';
    setCrashNote(text);
}

QString Clerk::failure(int action, const QString& problem) const
{
    QString text = QStringLiteral("The random clerk broke a promise. Seed %1 (replay with "
                                  "LOCKER_CLERK_SEED=%1 LOCKER_CLERK_ACTIONS=%2), action %3:\n  %4"
                                  "\nLast actions:")
                       .arg(seed_)
                       .arg(action)
                       .arg(action)
                       .arg(problem);
    for (const QString& step : trail_)
        text += QStringLiteral("\n  ") + step;
    return text;
}

// ---------------------------------------------------------------- acting

void Clerk::act()
{
    QWidget* screen = chooseScreen();
    // The clerk works in the window in front; the offscreen platform does not
    // hand the activation back after a dialog as a desktop does.
    QApplication::setActiveWindow(screen);
    actOn(screen);

    // Screens that opened, and worksheets that were applied.
    for (const QString& name : Worksheets) {
        QWidget* open = findScreen(name);
        if (open && !seenScreens_.contains(open)) {
            seenScreens_.append(open);
            ++reached.opened[name];
        }
    }
    if (QWidget* sheet = QApplication::activeModalWidget();
        sheet && sheet->objectName() == SheetWindow && !seenScreens_.contains(sheet)) {
        seenScreens_.append(sheet);
        ++reached.opened[SheetWindow];
    }
    seenScreens_.removeAll(QPointer<QWidget>());
}

QWidget* Clerk::chooseScreen()
{
    // The cut sheet holds the counter until it is closed.
    if (QWidget* modal = QApplication::activeModalWidget();
        modal && modal->objectName() == SheetWindow)
        return modal;
    QList<QWidget*> open;
    for (const QString& name : Worksheets)
        if (QWidget* screen = findScreen(name))
            open.append(screen);
    if (QWidget* shares = findScreen(Shares); shares && shares->isVisible())
        open.append(shares);
    if (open.isEmpty() || dice_.chance(0.3))
        return estimate_.get();
    return open[dice_.below(int(open.size()))];
}

template <typename T> QList<T*> Clerk::controls(QWidget* screen) const
{
    QList<T*> usable;
    for (T* control : screen->findChildren<T*>()) {
        const QString name = control->objectName();
        // A worksheet is a window of its own, though the Estimate screen is its parent.
        if (control->window() == screen && !name.isEmpty() && !NeverTouched.contains(name) &&
            control->isVisible() && control->isEnabled())
            usable.append(control);
    }
    return usable;
}

int Clerk::controlWeight(const QString& screen, const QWidget* control) const
{
    const QString name = control->objectName();
    if (screen == Estimate) {
        if (name == QLatin1String("Check2"))
            return 1; // the database flag: now and then
        if (name.startsWith(QLatin1String("Option")))
            return 5;
        if (name == QLatin1String("Command1"))
            return 3;
        if (name == QLatin1String("Text1"))
            return 12;
        if (name == QLatin1String("Text2"))
            return 3;
        if (name == QLatin1String("cmdCutSheet"))
            return 1; // a window of its own, now and then
        return 2;     // a service box, or a figure field
    }
    if (ApplyButtons.value(screen) == name)
        return 3;
    if (screen == Shares)
        return name == QLatin1String("removeShare") || name == QLatin1String("openAnimal") ? 1 : 4;
    return 4;
}

QString Clerk::textFor(const QString& screen, const QString& field)
{
    // Mostly sensible weights where the clerk types weights, to get deep.
    if (screen == Estimate && field == QLatin1String("Text1"))
        return anyText(dice_, 0.75);
    if (screen == QLatin1String("frmWsEst") && field.startsWith(QLatin1Char('t')))
        return anyText(dice_, 0.7);
    return anyText(dice_, 0.45);
}

void Clerk::actOn(QWidget* screen)
{
    const QString name = screen->objectName();
    const QList<QAbstractButton*> buttons = controls<QAbstractButton>(screen);
    QList<QListWidget*> lists;
    for (QListWidget* list : controls<QListWidget>(screen))
        if (list->count() > 0)
            lists.append(list);
    const QList<QLineEdit*> fields = controls<QLineEdit>(screen);

    enum Move {
        Click,
        ClickItem,
        Type,
        Append,
        Enter,
        Tab,
        ClickField,
        Close,
        Open,
        EditCell,
        Choose,
        MoveCount
    };
    QList<int> weights(MoveCount, 0);
    const bool estimate = name == Estimate;
    const bool shares = name == Shares;
    auto* table =
        shares ? screen->findChild<QTableWidget*>(QStringLiteral("sharesTable")) : nullptr;
    const bool sheet = name == SheetWindow;
    const QList<QComboBox*> combos =
        shares || sheet ? controls<QComboBox>(screen) : QList<QComboBox*>();
    const bool sausage = name == QLatin1String("frmWsEst");
    const bool boning = name == QLatin1String("frmEB");
    weights[Click] = estimate ? 55 : sausage ? 45 : boning ? 70 : 8;
    weights[ClickItem] = lists.isEmpty() ? 0 : estimate ? 10 : 70;
    weights[Type] = estimate ? 22 : sausage ? 25 : boning ? 12 : 8;
    weights[Append] = 4;
    weights[Enter] = sausage ? 10 : 3;
    weights[Tab] = sausage ? 6 : 3;
    weights[ClickField] = sausage ? 5 : 3;
    weights[Close] = estimate ? 0 : shares ? 1 : 3;
    weights[Open] = estimate ? 2 : 0;
    weights[EditCell] = table && table->rowCount() > 0 ? 25 : 0;
    weights[Choose] = combos.isEmpty() ? 0 : sheet ? 12 : 4;
    if (buttons.isEmpty())
        weights[Click] = 0;
    if (fields.isEmpty())
        weights[Type] = weights[Append] = weights[Enter] = weights[Tab] = weights[ClickField] = 0;

    const auto pickWeighted = [&](const auto& list) {
        QList<int> w;
        for (const auto* control : list)
            w.append(controlWeight(name, control));
        return list[std::max(0, dice_.weighted(w))];
    };

    const int move = dice_.weighted(weights);
    switch (move) {
    case Click: {
        QAbstractButton* button = pickWeighted(buttons);
        note(QStringLiteral("%1: click %2").arg(name, button->objectName()));
        const bool applying = ApplyButtons.value(name) == button->objectName();
        if (estimate && button->objectName().startsWith(QLatin1String("Check1_")) &&
            !button->isChecked())
            reached.servicesTicked.insert(button->objectName().mid(7).toInt());
        QPointer<QWidget> guard(screen);
        click(button);
        if (applying && (!guard || !guard->isVisible()))
            ++reached.applied[name];
        return;
    }
    case ClickItem: {
        QListWidget* list = lists[dice_.below(int(lists.size()))];
        const int row = dice_.below(list->count());
        note(QStringLiteral("%1: click item %2 (%3) of %4")
                 .arg(name)
                 .arg(row)
                 .arg(shown(list->item(row)->text()), list->objectName()));
        list->scrollToItem(list->item(row));
        clickItem(list, row);
        return;
    }
    case Type:
    case Append: {
        QLineEdit* edit = pickWeighted(fields);
        const QString text = textFor(name, edit->objectName());
        if (move == Append) {
            note(QStringLiteral("%1: append %2 to %3").arg(name, shown(text), edit->objectName()));
            edit->setFocus();
            edit->end(false);
            typeKeys(edit, text);
        } else {
            note(QStringLiteral("%1: type %2 into %3").arg(name, shown(text), edit->objectName()));
            replaceText(edit, text);
        }
        return;
    }
    case Enter:
    case Tab: {
        QLineEdit* edit = pickWeighted(fields);
        const bool enter = dice_.chance(0.6);
        note(QStringLiteral("%1: %2 in %3")
                 .arg(name, enter ? QStringLiteral("Enter") : QStringLiteral("Tab"),
                      edit->objectName()));
        edit->setFocus();
        QTest::keyClick(edit, enter ? Qt::Key_Return : Qt::Key_Tab);
        return;
    }
    case ClickField: {
        QLineEdit* edit = pickWeighted(fields);
        note(QStringLiteral("%1: click in %2").arg(name, edit->objectName()));
        QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, edit->rect().center());
        return;
    }
    case Close:
        note(QStringLiteral("%1: close box").arg(name));
        screen->close();
        return;
    case Open:
        openSaved();
        return;
    case EditCell: {
        // A buyer's name, or a part of the animal, typed into the table.
        const int row = dice_.below(table->rowCount());
        const bool part = dice_.chance(0.6);
        const QString text = part ? PartWords[dice_.below(int(PartWords.size()))]
                                  : QStringLiteral("Buyer %1").arg(dice_.below(9));
        note(QStringLiteral("%1: type %2 into row %3's %4")
                 .arg(name, shown(text))
                 .arg(row)
                 .arg(part ? QStringLiteral("part") : QStringLiteral("buyer")));
        table->setCurrentCell(row, part ? PartColumn : BuyerColumn);
        table->item(row, part ? PartColumn : BuyerColumn)->setText(text);
        return;
    }
    case Choose: {
        QComboBox* box = combos[dice_.below(int(combos.size()))];
        if (box->count() == 0)
            return;
        const int index = dice_.below(box->count());
        note(QStringLiteral("%1: choose %2 in %3")
                 .arg(name, shown(box->itemText(index)), box->objectName()));
        box->setCurrentIndex(index);
        return;
    }
    default:
        note(QStringLiteral("%1: nothing to do").arg(name));
        return;
    }
}

// ---------------------------------------------------------------- saved estimates

QStringList Clerk::fieldTexts() const
{
    QStringList texts;
    for (const QLineEdit* edit : estimate_->findChildren<QLineEdit*>())
        if (edit->window() == estimate_.get() && !edit->objectName().isEmpty())
            texts << edit->objectName() + QLatin1Char('=') + edit->text();
    return texts;
}

void Clerk::noteSaved()
{
    const EstimateRecord& record = estimate_->record();
    if (!record.number || estimate_->estimate().hasUnsavedChanges() ||
        (record.number == keptNumber_ && record.revision == keptRevision_))
        return;
    keptNumber_ = record.number;
    keptRevision_ = record.revision;
    kept_[record.number] = {estimate_->estimate().value().toRecord(), fieldTexts()};
}

SaveDialogAnswer Clerk::answerSave(const SaveDialogSeen& seen)
{
    ++reached.dialogs;
    SaveDialogAnswer a;
    if (dice_.chance(0.15) || ++dialogsThisAction_ > DialogsPerActionLimit) {
        a.cancel = true;
        note(QStringLiteral("  save dialog -> Cancel"));
        return a;
    }
    static const QStringList names = {
        QStringLiteral("Ann Smith"), QStringLiteral("O'Brien, Pat"),    QStringLiteral("=1+2"),
        QStringLiteral("   "),       QStringLiteral("Zoë \"Red\" <b>"), QString()};
    a.customer = dice_.chance(0.3) ? seen.customer : names[dice_.below(int(names.size()))];
    a.phone = dice_.chance(0.5) ? QStringLiteral("555-01%1").arg(dice_.below(100)) : QString();
    a.note = dice_.chance(0.3) ? oddText(dice_) : seen.note;
    if (seen.offersFinal)
        a.final = dice_.chance(0.7);
    note(QStringLiteral("  save dialog -> %1%2")
             .arg(shown(a.customer),
                  a.final ? (*a.final ? QStringLiteral(", final bill") : QStringLiteral(", quote"))
                          : QString()));
    if (!a.customer.trimmed().isEmpty())
        ++reached.saves;
    return a;
}

// Opens a saved estimate through the Estimates window, as the clerk finds one.
void Clerk::openSaved()
{
    estimate_->showEstimates();
    QWidget* window = findScreen(QStringLiteral("frmEstimates"));
    if (!window)
        return;
    auto* table = control<QTableWidget>(window, QStringLiteral("tblEstimates"));
    if (table->rowCount() == 0) {
        note(QStringLiteral("frmEstimates: nothing saved yet"));
        window->close();
        return;
    }
    const int row = dice_.below(table->rowCount());
    table->selectRow(row);
    const qint64 number = table->item(row, 0)->data(Qt::UserRole).toLongLong();
    note(QStringLiteral("frmEstimates: open estimate %1").arg(number));
    click(control<QPushButton>(window, QStringLiteral("cmdOpen")));
    if (window->isVisible())
        window->close();
    if (estimate_->record().number == number && !estimate_->estimate().hasUnsavedChanges()) {
        ++reached.opens;
        if (opened_.isEmpty())
            opened_ = checkOpened(number);
    }
}

QString Clerk::checkOpened(qint64 number) const
{
    QString problem;
    const auto saved = EstimateBook(estimate_->book().path()).open(number, &problem);
    if (!saved)
        return QStringLiteral("estimate %1 was opened, but the book cannot read it: %2")
            .arg(number)
            .arg(problem);
    const QString state = saved->hasFinal() ? saved->finalState : saved->quoteState;
    if (estimate_->estimate().value().toRecord() != state)
        return QStringLiteral("estimate %1 was opened otherwise than it was saved").arg(number);
    const auto kept = kept_.constFind(number);
    if (kept != kept_.cend() && kept->state == state && kept->fields != fieldTexts())
        return QStringLiteral("estimate %1 shows %2 where it showed %3 when saved")
            .arg(number)
            .arg(fieldTexts().join(QLatin1Char(' ')), kept->fields.join(QLatin1Char(' ')));
    return QString();
}

// ---------------------------------------------------------------- answering

DialogAnswerer::Answer Clerk::answer(const SeenDialog& dialog)
{
    ++reached.dialogs;
    if (++dialogsThisAction_ > DialogsPerActionLimit) {
        // A dialog that keeps coming back: get out of it, and report it.
        if (loop_.isEmpty())
            loop_ = QStringLiteral("more than %1 dialogs in one action; the last: %2")
                        .arg(DialogsPerActionLimit)
                        .arg(shown(dialog.text));
        if (dialog.input)
            return DialogAnswerer::Cancel{};
        return dialog.buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    }

    const QString title =
        dialog.title.isEmpty() ? QString() : QStringLiteral("[%1] ").arg(dialog.title);
    if (dialog.input) {
        const bool pricePrompt = dialog.text.startsWith(PricePrompt);
        const QString item = pricePrompt ? dialog.text.mid(PricePrompt.size()) : QString();
        if (dice_.chance(0.2)) {
            note(QStringLiteral("  input %1%2 -> Cancel").arg(title, shown(dialog.text)));
            if (pricePrompt)
                awaitingPriceFor_.clear();
            return DialogAnswerer::Cancel{};
        }
        // Sometimes OK on an empty box; else a price or a weight, or garbage.
        QString typed;
        if (dice_.chance(0.1))
            typed = QString();
        else if (pricePrompt)
            typed = dice_.chance(0.6) ? plausiblePrice(dice_) : oddText(dice_);
        else
            typed = anyText(dice_, 0.5);
        note(QStringLiteral("  input %1%2 -> %3").arg(title, shown(dialog.text), shown(typed)));
        if (pricePrompt && item == awaitingPriceFor_) {
            if (const auto cost = MoneyAmount(typed)) {
                added_.append({item, *cost});
                awaitingPriceFor_.clear();
            }
        }
        return typed;
    }

    QList<QMessageBox::StandardButton> buttons;
    for (const auto b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
        if (dialog.buttons.testFlag(b))
            buttons.append(b);
    if (buttons.isEmpty())
        buttons.append(QMessageBox::Ok);
    QMessageBox::StandardButton button = buttons[dice_.below(int(buttons.size()))];
    // Questions lean to Yes, so that the clerk gets on with the work.
    if (dialog.buttons.testFlag(QMessageBox::Yes) && dice_.chance(0.3))
        button = QMessageBox::Yes;
    note(QStringLiteral("  message %1%2 -> %3").arg(title, shown(dialog.text), buttonName(button)));

    // A Yes to the missing-item question: the price prompt follows, and comes
    // back after each price that is refused, until a price or Cancel.
    if (dialog.text.endsWith(MissingQuestion))
        awaitingPriceFor_ =
            button == QMessageBox::Yes ? dialog.text.chopped(MissingQuestion.size()) : QString();
    // The save refused: the item added last is not in the file after all.
    if (!added_.isEmpty() && dialog.text.contains(AddRefused) &&
        dialog.text.contains(added_.last().item))
        added_.removeLast();
    return button;
}

// ---------------------------------------------------------------- the promises

QString Clerk::checkTotal() const
{
    QWidget* s = estimate_.get();
    const auto read = [s](const QString& name) {
        return LeadingNumber(textOf(s, name));
    };
    const auto ticked = [s](int i) {
        return control<QCheckBox>(s, QStringLiteral("Check1_%1").arg(i))->isChecked();
    };
    QList<double> terms = {read(QStringLiteral("Text4")), read(QStringLiteral("Text3"))};
    // A share's own bill: its surcharge and its cents of the animal's rounding.
    if (const auto& share = estimate_->estimate().value().share)
        terms << LeadingNumber(share->surcharge.text) << LeadingNumber(share->leftover);
    for (int i = 0; i <= 7; ++i)
        if (ticked(i))
            terms.append(read(QStringLiteral("Text6_%1").arg(i)));
    for (int i = 9; i <= 13; ++i)
        if (ticked(i))
            terms.append(read(QStringLiteral("Text6_%1").arg(i + 17)));
    double expected = 0, magnitude = 1;
    for (double t : terms) {
        expected += t;
        magnitude += std::fabs(t);
    }
    const QString total = textOf(s, QStringLiteral("Text5"));
    if (!std::isfinite(expected)) {
        if (IsMarkedInvalid(field(s, QStringLiteral("Text5"))))
            return QString();
        return QStringLiteral("the charges add up beyond any number, and the total reads %1 "
                              "without being marked")
            .arg(shown(total));
    }
    const auto value = StrictNumber(total);
    if (!value || std::fabs(*value - expected) > 1e-9 * magnitude)
        return QStringLiteral("the total reads %1, but kill + processing + the ticked charges "
                              "make %2")
            .arg(shown(total), NumberText(expected));
    return QString();
}

// A buyer's share shown on the Estimate screen reads the same total there as
// in the Shares window's row, and every row of the window adds up: its kill,
// processing, services and surcharge make its total, as its bill prints them.
QString Clerk::checkShares()
{
    QWidget* window = findScreen(Shares);
    if (!window || !window->isVisible())
        return QString();
    auto* table = window->findChild<QTableWidget*>(QStringLiteral("sharesTable"));
    const auto cents = [](const QString& money) {
        return money.isEmpty() ? std::optional<std::int64_t>(0)
                               : CentsOf(QString(money).remove(QLatin1Char('$')));
    };
    for (int row = 0; row < table->rowCount(); ++row) {
        std::int64_t parts = 0;
        for (int column = KillColumn; column < TotalColumn; ++column)
            parts += cents(table->item(row, column)->text()).value_or(0);
        // A row not figured shows no total (the window tells why).
        const auto total = cents(table->item(row, TotalColumn)->text());
        if (total && *total != parts)
            return QStringLiteral("the Shares window's row %1 reads %2 in all, but its charges "
                                  "make %3")
                .arg(row)
                .arg(table->item(row, TotalColumn)->text(), MoneyText(parts));
    }
    // The share on the Estimate screen (its button leads back to the shares).
    const EstimateValue& v = estimate_->estimate().value();
    const bool showing = control<QPushButton>(estimate_.get(), QStringLiteral("cmdShares"))
                             ->text()
                             .startsWith(QLatin1String("Back"));
    if (!showing || !v.share || v.share->share < 1 || v.share->share > table->rowCount() ||
        !v.total.isCurrent())
        return QString();
    const int row = v.share->share - 1;
    const auto there = cents(table->item(row, TotalColumn)->text());
    const auto here = CentsOf(textOf(estimate_.get(), QStringLiteral("Text5")));
    if (there && here)
        ++reached.sharesCompared;
    if (there && here && *there != *here)
        return QStringLiteral("the buyer's share reads %1 on the Estimate screen and %2 in the "
                              "Shares window")
            .arg(MoneyText(*here), table->item(row, TotalColumn)->text());
    return QString();
}

// A service whose click was refused (no price list) is neither figured nor
// charged until a click on it is accepted: its charge reads 0.
// The estimate's cut sheet of its own species holds no contradiction: the
// sheet's window keeps none.
QString Clerk::checkCutSheet() const
{
    const EstimateValue& value = estimate_->estimate().value();
    if (!value.cutSheet || value.cutSheet->species != SpeciesName(value.species))
        return QString();
    const QStringList contradictions =
        Contradictions(*value.cutSheet, estimate_->quoteRules().master(value.species));
    if (contradictions.isEmpty())
        return QString();
    return QStringLiteral("the estimate's cut sheet contradicts itself: %1")
        .arg(contradictions.join(QStringLiteral("; ")));
}

QString Clerk::checkRefused() const
{
    for (const ServiceInfo& s : Services()) {
        const ServiceRow& row = estimate_->estimate().row(s.id);
        if (!row.ticked || row.accepted)
            continue;
        const QString charge =
            textOf(estimate_.get(), QStringLiteral("Text6_%1").arg(ChargeField(s.id)));
        if (charge != QLatin1String("0"))
            return QStringLiteral("%1 was refused, yet its charge reads %2")
                .arg(QLatin1String(s.caption), shown(charge));
    }
    return QString();
}

// A text that is not a number and is shown on purpose, without the mark.
bool intendedText(const QString& screen, const QString& field, const QString& text)
{
    // The sausage worksheet's total deer weight opens with its design text
    // "Text2"; Figure or the clerk's answer to its input box replaces it.
    return screen == QLatin1String("frmWsEst") && field == QLatin1String("txtTotal") &&
           text == QLatin1String("Text2");
}

QString Clerk::checkFigures() const
{
    QList<QWidget*> screens = {estimate_.get()};
    for (const QString& name : Worksheets)
        if (QWidget* screen = findScreen(name))
            screens.append(screen);
    for (QWidget* screen : screens) {
        for (const QLineEdit* edit : screen->findChildren<QLineEdit*>()) {
            const QString text = edit->text();
            if (edit->window() != screen || edit->objectName().isEmpty() ||
                text.trimmed().isEmpty() || StrictNumber(text) || IsMarkedInvalid(edit) ||
                intendedText(screen->objectName(), edit->objectName(), text))
                continue;
            return QStringLiteral("%1.%2 shows %3, not a number, and is not marked as one")
                .arg(screen->objectName(), edit->objectName(), shown(text));
        }
    }
    return QString();
}

// Every figure shown as current is the one its rule gives now, from what is
// typed and the prices the estimate stands for: figured again from scratch on
// an estimate of its own, it comes out the same. (A beef charge that a
// worksheet wrote is rounded to cents at the next click; it is compared in
// cents.)
QString Clerk::checkCurrentFigures() const
{
    const ::Estimate& onScreen = estimate_->estimate();
    const EstimateValue& v = onScreen.value();
    TestClock clock;
    ::Estimate again(estimate_->priceList(), clock);
    again.startUp();
    if (!onScreen.priceListFlag())
        again.setPriceListFlag(false);
    again.replace(v);
    again.refigureAll();
    const EstimateValue& w = again.value();
    const auto differs = [](const Figure& a, const Figure& b, bool inCents) {
        if (!a.isCurrent() || a.typed)
            return false;
        if (inCents) {
            const auto value = StrictNumber(a.text);
            const auto again = StrictNumber(b.text);
            return !value || !again ||
                   EstimateRules::WholeCents(*value) != EstimateRules::WholeCents(*again);
        }
        return a.text != b.text;
    };
    const auto told = [](const char* what, const Figure& a, const Figure& b) {
        return QStringLiteral("the %1 reads %2 as current, but figured again it is %3%4")
            .arg(QLatin1String(what), shown(a.text), shown(b.text),
                 b.isCurrent() ? QString() : QStringLiteral(" (not figured: %1)").arg(b.why));
    };
    if (differs(v.hanging, w.hanging, false))
        return told("hanging weight", v.hanging, w.hanging);
    if (differs(v.processing, w.processing, false))
        return told("processing charge", v.processing, w.processing);
    if (differs(v.kill, w.kill, false))
        return told("kill charge", v.kill, w.kill);
    for (const ServiceInfo& s : Services()) {
        if (!v.counts(s.id) || v.isStale(s.id))
            continue;
        const ServiceRow &a = v.row(s.id), &b = w.row(s.id);
        if (!a.weight.typed && differs(a.weight, b.weight, false))
            return told(s.caption, a.weight, b.weight);
        if (differs(a.charge, b.charge, s.column == Column::Beef))
            return told(s.caption, a.charge, b.charge);
    }
    return QString();
}

// A worksheet belongs to the estimate it was opened for: once that estimate
// is replaced (a new one, another opened), the worksheet is gone.
QString Clerk::checkWorksheetsBelong()
{
    const quint64 now = estimate_->estimate().identity();
    for (const QString& name : Worksheets) {
        QWidget* sheet = findScreen(name);
        if (!sheet)
            continue;
        auto known = std::find_if(sheetsOf_.begin(), sheetsOf_.end(),
                                  [sheet](const auto& s) { return s.first == sheet; });
        if (known == sheetsOf_.end())
            sheetsOf_.append({sheet, now});
        else if (known->second != now)
            return QStringLiteral("the worksheet %1 of an estimate that was replaced is still "
                                  "open")
                .arg(name);
    }
    sheetsOf_.removeIf([](const auto& s) { return s.first.isNull(); });
    return QString();
}

QString Clerk::checkPriceList()
{
    // The same bytes hold the same rows: the rows are read again only when
    // the file changed (or when SQLite keeps changes beside it, in a log).
    QFile bytes(file_.path());
    const QByteArray now = bytes.open(QIODevice::ReadOnly) ? bytes.readAll() : QByteArray();
    const bool log = QFileInfo::exists(file_.path() + QStringLiteral("-wal"));
    if (!log && !now.isEmpty() && now == checkedBytes_)
        return QString();
    checkedBytes_.clear();

    const QStringList rows = file_.rows();
    const auto problem = [&](const QString& what) {
        return QStringLiteral("the price list %1; it holds %2 rows, %3 at the start, %4 added "
                              "through the price prompt")
            .arg(what)
            .arg(rows.size())
            .arg(startRows_.size())
            .arg(added_.size());
    };
    if (rows.size() != startRows_.size() + added_.size())
        return problem(QStringLiteral("has the wrong number of rows"));
    for (int i = 0; i < startRows_.size(); ++i)
        if (rows[i] != startRows_[i])
            return problem(QStringLiteral("changed row %1 from %2 to %3")
                               .arg(i)
                               .arg(shown(startRows_[i]), shown(rows[i])));
    for (int i = 0; i < added_.size(); ++i) {
        const QStringList columns = rows[startRows_.size() + i].split(QLatin1Char('|'));
        bool number = false;
        const double cost = columns.value(1).toDouble(&number);
        if (columns.size() != 3 || columns[0] != added_[i].item || !number ||
            cost != added_[i].cost || columns[2] != PriceItem::AddedItemCategory)
            return problem(QStringLiteral("holds %1 where %2 at %3 was added")
                               .arg(shown(rows[startRows_.size() + i]), shown(added_[i].item),
                                    NumberText(added_[i].cost)));
    }
    checkedBytes_ = now;
    return QString();
}

// ---------------------------------------------------------------- the runs

struct Options {
    QList<quint64> seeds;
    int actions = DefaultActions;
    bool defaults = true; // the fixed seeds and actions of every test run
};

Options options()
{
    Options o;
    bool ok = false;
    const int actions = qEnvironmentVariableIntValue("LOCKER_CLERK_ACTIONS", &ok);
    if (ok && actions > 0) {
        o.actions = actions;
        o.defaults = false;
    }
    const QByteArray seed = qgetenv("LOCKER_CLERK_SEED");
    const int seeds = qEnvironmentVariableIntValue("LOCKER_CLERK_SEEDS", &ok);
    if (!seed.isEmpty()) {
        for (const QByteArray& one : seed.split(','))
            o.seeds.append(one.trimmed().toULongLong());
        o.defaults = false;
    } else if (ok && seeds > 0) {
        std::random_device fresh;
        for (int i = 0; i < seeds; ++i)
            o.seeds.append((quint64(fresh()) << 32 | fresh()) % 1000000000000ULL);
        o.defaults = false;
    } else {
        o.seeds = QList<quint64>(std::begin(DefaultSeeds), std::end(DefaultSeeds));
    }
    return o;
}

} // namespace

class TestRandomClerk : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        armCrashNote();
        testHandler = qInstallMessageHandler(quietOffscreen);
    }

    void aPolicyAnswersWhatNothingQueuedAnswers()
    {
        DialogAnswerer dialogs;
        QStringList asked;
        dialogs.policy = [&asked](const SeenDialog& d) -> DialogAnswerer::Answer {
            asked << d.text;
            if (d.input)
                return QStringLiteral("typed by the policy");
            return QMessageBox::Yes;
        };
        dialogs.press(QMessageBox::No);
        QMessageBox first(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("queued"),
                          QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(first.exec(), int(QMessageBox::No));
        QMessageBox second(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("policy"),
                           QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(second.exec(), int(QMessageBox::Yes));
        const auto typed = Dialogs::askText(nullptr, QStringLiteral("prompt"), QString());
        QCOMPARE(typed.value_or(QString()), QStringLiteral("typed by the policy"));
        QCOMPARE(asked, QStringList({QStringLiteral("policy"), QStringLiteral("prompt")}));
        QCOMPARE(dialogs.unexpected(), 0);

        // A button the box does not have is not given: OK, and it is counted.
        dialogs.policy = [](const SeenDialog&) {
            return QMessageBox::Yes;
        };
        Dialogs::tell(nullptr, QStringLiteral("only OK"));
        QCOMPARE(dialogs.unexpected(), 1);
    }

    void randomClerk_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<int>("actions");
        const Options o = options();
        for (const quint64 seed : o.seeds)
            QTest::addRow("seed %llu", static_cast<unsigned long long>(seed)) << seed << o.actions;
    }

    void randomClerk()
    {
        QFETCH(quint64, seed);
        QFETCH(int, actions);
        qInfo("Random clerk: seed %llu, %d actions (replay with LOCKER_CLERK_SEED=%llu)",
              static_cast<unsigned long long>(seed), actions,
              static_cast<unsigned long long>(seed));
        const QString problem = Clerk(seed, actions).run();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!problem.isEmpty()) {
            qCritical().noquote() << problem;
            QFAIL("the random clerk broke a promise (see above)");
        }
    }

    // The default seeds must take the clerk deep into every screen, or the
    // promises above are checked on too little.
    void theClerkReachesEveryScreen()
    {
        QStringList summary;
        for (const QString& name : Worksheets + QStringList{SheetWindow})
            summary << QStringLiteral("%1 opened %2, applied %3")
                           .arg(name)
                           .arg(reached.opened.value(name))
                           .arg(reached.applied.value(name));
        qInfo().noquote() << "The clerk took" << reached.actions << "actions and answered"
                          << reached.dialogs << "dialogs;" << summary.join(QStringLiteral("; "))
                          << "; services ticked:" << reached.servicesTicked.size()
                          << "; items added:" << reached.itemsAdded << "; saves:" << reached.saves
                          << "; opens:" << reached.opens
                          << "; shares compared:" << reached.sharesCompared;
        if (!options().defaults)
            QSKIP("only the default seeds are held to reaching every screen");
        for (const QString& name : Worksheets + QStringList{SheetWindow}) {
            QVERIFY2(reached.opened.value(name) > 0, qPrintable(name));
            QVERIFY2(reached.applied.value(name) > 0, qPrintable(name));
        }
        QCOMPARE(reached.servicesTicked.size(), 13);
        QVERIFY(reached.saves > 0);
        QVERIFY(reached.opens > 0);
        QVERIFY(reached.itemsAdded > 0);
        QVERIFY(reached.sharesCompared > 0);
    }

    // Each promise is one the clerk can see broken.
    void theChecksSeeABrokenPromise()
    {
        Clerk clerk(7, 300);
        QCOMPARE(clerk.run(), QString());
        QWidget* estimate = clerk.estimate();
        QLineEdit* total = field(estimate, QStringLiteral("Text5"));
        const QString right = total->text();

        total->setText(NumberText(LeadingNumber(right) + 0.01));
        QVERIFY(clerk.promisesBroken().contains(QLatin1String("the total reads")));
        total->setText(right);
        QCOMPARE(clerk.promisesBroken(), QString());

        {
            QLineEdit stray(QStringLiteral("12 pounds"), estimate);
            stray.setObjectName(QStringLiteral("Stray"));
            QVERIFY(clerk.promisesBroken().contains(QLatin1String("frmEst.Stray")));
        }
        QCOMPARE(clerk.promisesBroken(), QString());

        // A figure shown as current that its rule does not give.
        for (const QString& name : Worksheets)
            if (QWidget* sheet = findScreen(name))
                sheet->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ::Estimate& live = clerk.counter().liveEstimate();
        live.clear();
        live.setPriceListFlag(true);
        live.chooseSpecies(Species::Beef);
        live.setLiveWeight(QStringLiteral("1000"));
        clerk.counter().sheetWritten(ServiceId::Tenderising); // shown again
        QCOMPARE(clerk.promisesBroken(), QString());
        EstimateValue wrong = live.value();
        wrong.processing.text = NumberText(LeadingNumber(wrong.processing.text) + 1);
        wrong.total.text = NumberText(LeadingNumber(wrong.total.text) + 1);
        live.replace(wrong);
        clerk.counter().sheetWritten(ServiceId::Tenderising);
        QVERIFY2(clerk.promisesBroken().contains(QLatin1String("processing charge reads")),
                 qPrintable(clerk.promisesBroken()));
        live.clear();
        clerk.counter().sheetWritten(ServiceId::Tenderising);
        QCOMPARE(clerk.promisesBroken(), QString());

        // A worksheet left open when its estimate is replaced behind the screen's back.
        live.chooseSpecies(Species::Beef);
        live.expand();
        clerk.counter().showWorksheet(ServiceId::ExtraBoning);
        QCOMPARE(clerk.promisesBroken(), QString());
        live.clear();
        QVERIFY(clerk.promisesBroken().contains(QLatin1String("frmEB of an estimate")));
        findScreen(QStringLiteral("frmEB"))->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(clerk.promisesBroken(), QString());

        clerk.file().price(PriceItem::Jerky, 9.99);
        QVERIFY(clerk.promisesBroken().contains(QLatin1String("changed row")));
        clerk.file().sql({QStringLiteral("Insert Into Charges1 Values ('Extra', 1, 'Test')")});
        QVERIFY(clerk.promisesBroken().contains(QLatin1String("wrong number of rows")));

        QDialog strange(estimate);
        strange.setObjectName(QStringLiteral("StrangeDialog"));
        QCOMPARE(strange.exec(), int(QDialog::Rejected)); // closed by the clerk's watch
        QVERIFY(clerk.promisesBroken().contains(QLatin1String("cannot answer: StrangeDialog")));
    }
};

int main(int argc, char** argv)
{
    // Qt Test gives one seed five minutes; a long run of many actions needs more.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT")) {
        const qint64 perAction = 30; // milliseconds, ample even under the sanitizers
        const qint64 timeout = std::max<qint64>(300000, perAction * options().actions);
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(timeout));
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestRandomClerk test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_random_clerk.moc"
