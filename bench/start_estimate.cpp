// The Estimate screen as the program starts it: over the price list file given
// on the command line, started up and shown. It reports its first paint and
// quits.
//
//   bench_start_estimate PRICE-LIST
//   bench_start_estimate --floor PRICE-LIST
//
// With --floor the same program shows, instead of the Estimate screen, a
// window with one label and one text field, and opens the price list as the
// screen does: what is left of the difference is the Estimate screen's own.

#include "book/estimate_book.h"
#include "first_paint.h"
#include "pricelist/price_list.h"
#include "screens/estimate_screen.h"

#include <QLabel>
#include <QLineEdit>
#include <cstring>
#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const bool floor = argc > 2 && std::strcmp(argv[1], "--floor") == 0;
    if (argc < 2 || (std::strcmp(argv[1], "--floor") == 0 && !floor)) {
        std::fprintf(stderr, "usage: %s [--floor] PRICE-LIST\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[floor ? 2 : 1]);
    // The stores and the estimate go after the window that shows them.
    std::unique_ptr<PriceList> prices;
    std::unique_ptr<EstimateBook> book;
    SystemClock clock;
    std::unique_ptr<Estimate> estimate;
    std::unique_ptr<QWidget> window;
    if (floor) {
        window = std::make_unique<QWidget>();
        window->resize(735, 233);
        auto* label = new QLabel(QStringLiteral("Total Estimated Price"), window.get());
        label->setGeometry(392, 10, 153, 20);
        auto* field = new QLineEdit(QStringLiteral("0"), window.get());
        field->setGeometry(552, 8, 113, 23);
        prices = std::make_unique<PriceList>(path);
        if (prices->open() != PriceList::OpenResult::Opened) {
            std::fprintf(stderr, "%s\n", qPrintable(prices->openProblem()));
            return 1;
        }
    } else {
        prices = std::make_unique<PriceList>(path);
        book = std::make_unique<EstimateBook>(EstimateBook::pathBeside(path));
        estimate = std::make_unique<Estimate>(*prices, clock);
        auto screen = std::make_unique<EstimateScreen>(*estimate, *prices, *book, clock);
        screen->startUp();
        window = std::move(screen);
    }
    FirstPaint reporter(window.get());
    window->show();
    return app.exec();
}
