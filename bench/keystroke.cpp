// One keystroke in the live weight (Text1) of the Estimate screen to the total
// refigured, with the price list open and beef chosen.
//
//   bench_keystroke PRICE-LIST [KEYSTROKES]
//   bench_keystroke --far URL [KEYSTROKES]
//
// The keys go through the application's event path as a key press reaches a
// focused field (QTest::keyClick on the field: shortcut override, key press,
// key release, delivered by QApplication::notify). The text change refigures
// the hanging weight, processing and total before the key click returns, and
// that is the time taken. Between keystrokes the screen repaints, untimed.
// The typing cycles through "1250" and four backspaces, so every keystroke
// changes the weight. Prints:
//   keystroke.count=...  keystroke.median_us=...  keystroke.p99_us=...
//   keystroke.max_us=...  keystroke_paint.median_us=...  keystroke_paint.p99_us=...
//
// With --far, the price list is the one on the PostgreSQL server at URL,
// reached through the test relay with 50 ms added each way (keystroke_far.*).
// Then the link goes silent, a change to the prices is cut at the time limit,
// and once the screen tells that it is not connected the same keys are typed
// while the server is out of reach (keystroke_unreachable.*, with .told: the
// messages the clerk was shown while typing, and .told_timed: those shown
// within the timed keystrokes).

#include "book/estimate_book.h"
#include "estimate/quote_rules.h"
#include "dialog_answerer.h"
#include "far_link.h"
#include "measure.h"
#include "pricelist/price_list.h"
#include "screens/estimate_screen.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

namespace {

template <typename T> T* control(QWidget& screen, const char* name)
{
    T* found = screen.findChild<T*>(QLatin1String(name));
    if (!found) {
        std::fprintf(stderr, "bench_keystroke: no control %s\n", name);
        std::exit(1);
    }
    return found;
}

// The times of the keystrokes typed into Text1: to the total refigured, and
// with the repaint that follows. `warmedUp` runs once the untimed keys are
// typed.
struct Typing {
    std::vector<double> refigured;
    std::vector<double> withPaint;
};

Typing type(QLineEdit* text1, int keystrokes, const std::function<void()>& warmedUp = {})
{
    const Qt::Key cycle[] = {Qt::Key_1,         Qt::Key_2,         Qt::Key_5,
                             Qt::Key_0,         Qt::Key_Backspace, Qt::Key_Backspace,
                             Qt::Key_Backspace, Qt::Key_Backspace};
    constexpr int cycleLength = sizeof cycle / sizeof cycle[0];
    using Clock = std::chrono::steady_clock;
    Typing typing;
    typing.refigured.reserve(static_cast<std::size_t>(keystrokes));
    typing.withPaint.reserve(static_cast<std::size_t>(keystrokes));
    const int warmUp = 2 * cycleLength;
    for (int k = 0; k < warmUp + keystrokes; ++k) {
        if (k == warmUp && warmedUp)
            warmedUp();
        const auto before = Clock::now();
        QTest::keyClick(text1, cycle[k % cycleLength]);
        const auto typed = Clock::now();
        QCoreApplication::processEvents();
        const auto painted = Clock::now();
        if (k < warmUp)
            continue;
        typing.refigured.push_back(
            std::chrono::duration<double, std::micro>(typed - before).count());
        typing.withPaint.push_back(
            std::chrono::duration<double, std::micro>(painted - before).count());
    }
    return typing;
}

void report(const char* key, const Typing& typing)
{
    std::printf("%s.count=%zu\n", key, typing.refigured.size());
    std::printf("%s.median_us=%.1f\n", key, percentile(typing.refigured, 0.5));
    std::printf("%s.p99_us=%.1f\n", key, percentile(typing.refigured, 0.99));
    std::printf("%s.max_us=%.1f\n", key, percentile(typing.refigured, 1.0));
    std::printf("%s_paint.median_us=%.1f\n", key, percentile(typing.withPaint, 0.5));
    std::printf("%s_paint.p99_us=%.1f\n", key, percentile(typing.withPaint, 0.99));
}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "bench_keystroke: %s\n", what);
    std::exit(1);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const bool far = argc > 1 && std::strcmp(argv[1], "--far") == 0;
    const int first = far ? 2 : 1;
    if (argc <= first) {
        std::fprintf(stderr, "usage: %s PRICE-LIST|--far URL [KEYSTROKES]\n", argv[0]);
        return 2;
    }
    const int keystrokes = argc > first + 1 ? std::max(8, std::atoi(argv[first + 1])) : 12000;

    // The link goes before the price list that uses it.
    std::optional<FarLink> link;
    if (far)
        link.emplace(QString::fromLocal8Bit(argv[first]), 50);
    const QString path = far ? link->url() : QString::fromLocal8Bit(argv[first]);
    PriceList prices(path);
    EstimateBook book(EstimateBook::pathBeside(path));
    SystemClock clock;
    StoreRules rules(prices); // as the program does
    Estimate estimate(prices, clock, rules);
    EstimateScreen screen(estimate, prices, book, clock);
    screen.startUp();
    screen.show();
    if (!QTest::qWaitForWindowExposed(&screen))
        fail("the Estimate screen was not shown");
    if (!prices.isOpen())
        fail(qPrintable(prices.openProblem()));
    QTest::mouseClick(control<QRadioButton>(screen, "Option1"), Qt::LeftButton);
    auto* text1 = control<QLineEdit>(screen, "Text1");
    auto* text5 = control<QLineEdit>(screen, "Text5");
    text1->setFocus();
    text1->selectAll();
    QTest::keyClick(text1, Qt::Key_Backspace);

    const Typing typing = type(text1, keystrokes);

    // The screen must have figured right all along: 1250 pounds live, 625
    // hanging at 0.37 a pound is 231.25, with the beef kill of 17.
    text1->selectAll();
    QTest::keyClicks(text1, QStringLiteral("1250"));
    if (text5->text() != QLatin1String("248.25")) {
        std::fprintf(stderr, "bench_keystroke: the total reads %s, not 248.25\n",
                     qPrintable(text5->text()));
        return 1;
    }
    report(far ? "keystroke_far" : "keystroke", typing);
    if (!far)
        return 0;

    // The server out of reach: the clerk is told once, with a message that
    // the clerk answers, and the screen tells that it is not connected.
    DialogAnswerer answerer;
    answerer.policy = [](const SeenDialog&) {
        return QMessageBox::Ok;
    };
    if (!link->loseServer(prices))
        fail("the price list did not find the silent server out of reach");
    auto* connection = control<QLabel>(screen, "lblConnection");
    if (!QTest::qWaitFor([&] { return connection->isVisible(); }, 5000))
        fail("the Estimate screen does not tell that it is not connected");
    qsizetype toldBefore = 0;
    const Typing unreachable =
        type(text1, keystrokes, [&] { toldBefore = answerer.seen().size(); });
    // Every keystroke went to the price list and found the server out of
    // reach: the processing charge and the total stay marked, not figured
    // (their last text kept).
    text1->selectAll();
    QTest::keyClicks(text1, QStringLiteral("1250"));
    const EstimateValue& value = estimate.value();
    if (!prices.outOfReach() || !connection->isVisible() || value.processing.isCurrent() ||
        value.processing.why.isEmpty() || value.total.isCurrent())
        fail("the keys were not typed with the server out of reach");
    report("keystroke_unreachable", unreachable);
    std::printf("keystroke_unreachable.told=%lld\n",
                static_cast<long long>(answerer.seen().size()));
    std::printf("keystroke_unreachable.told_timed=%lld\n",
                static_cast<long long>(answerer.seen().size() - toldBefore));
    return 0;
}
