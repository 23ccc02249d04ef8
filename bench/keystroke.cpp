// One keystroke in the live weight (Text1) of the Estimate screen to the total
// refigured, with the price list open and beef chosen.
//
//   bench_keystroke PRICE-LIST [KEYSTROKES]
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

#include "book/estimate_book.h"
#include "pricelist/price_list.h"
#include "screens/estimate_screen.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[at];
}

template <typename T> T* control(QWidget& screen, const char* name)
{
    T* found = screen.findChild<T*>(QLatin1String(name));
    if (!found) {
        std::fprintf(stderr, "bench_keystroke: no control %s\n", name);
        std::exit(1);
    }
    return found;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PRICE-LIST [KEYSTROKES]\n", argv[0]);
        return 2;
    }
    const int keystrokes = argc > 2 ? std::max(8, std::atoi(argv[2])) : 12000;

    const QString path = QString::fromLocal8Bit(argv[1]);
    PriceList prices(path);
    EstimateBook book(EstimateBook::pathBeside(path));
    SystemClock clock;
    Estimate estimate(prices, clock);
    EstimateScreen screen(estimate, prices, book, clock);
    screen.startUp();
    screen.show();
    if (!QTest::qWaitForWindowExposed(&screen)) {
        std::fprintf(stderr, "bench_keystroke: the Estimate screen was not shown\n");
        return 1;
    }
    QTest::mouseClick(control<QRadioButton>(screen, "Option1"), Qt::LeftButton);
    auto* text1 = control<QLineEdit>(screen, "Text1");
    auto* text5 = control<QLineEdit>(screen, "Text5");
    text1->setFocus();
    text1->selectAll();
    QTest::keyClick(text1, Qt::Key_Backspace);

    const Qt::Key cycle[] = {Qt::Key_1,         Qt::Key_2,         Qt::Key_5,
                             Qt::Key_0,         Qt::Key_Backspace, Qt::Key_Backspace,
                             Qt::Key_Backspace, Qt::Key_Backspace};
    constexpr int cycleLength = sizeof cycle / sizeof cycle[0];
    using Clock = std::chrono::steady_clock;
    std::vector<double> refigured, withPaint;
    refigured.reserve(static_cast<std::size_t>(keystrokes));
    withPaint.reserve(static_cast<std::size_t>(keystrokes));
    const int warmUp = 2 * cycleLength;
    for (int k = 0; k < warmUp + keystrokes; ++k) {
        const auto before = Clock::now();
        QTest::keyClick(text1, cycle[k % cycleLength]);
        const auto typed = Clock::now();
        QCoreApplication::processEvents();
        const auto painted = Clock::now();
        if (k < warmUp)
            continue;
        refigured.push_back(std::chrono::duration<double, std::micro>(typed - before).count());
        withPaint.push_back(std::chrono::duration<double, std::micro>(painted - before).count());
    }

    // The screen must have figured right all along: 1250 pounds live, 625
    // hanging at 0.37 a pound is 231.25, with the beef kill of 17.
    text1->selectAll();
    QTest::keyClicks(text1, QStringLiteral("1250"));
    if (text5->text() != QLatin1String("248.25")) {
        std::fprintf(stderr, "bench_keystroke: the total reads %s, not 248.25\n",
                     qPrintable(text5->text()));
        return 1;
    }

    std::printf("keystroke.count=%zu\n", refigured.size());
    std::printf("keystroke.median_us=%.1f\n", percentile(refigured, 0.5));
    std::printf("keystroke.p99_us=%.1f\n", percentile(refigured, 0.99));
    std::printf("keystroke.max_us=%.1f\n", percentile(refigured, 1.0));
    std::printf("keystroke_paint.median_us=%.1f\n", percentile(withPaint, 0.5));
    std::printf("keystroke_paint.p99_us=%.1f\n", percentile(withPaint, 0.99));
    return 0;
}
