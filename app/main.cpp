// Locker Estimate: the price estimator at the counter of a locker plant.

#include "app/command_line.h"
#include "book/estimate_book.h"
#include "estimate/estimate.h"
#include "pricelist/price_list.h"
#include "screens/estimate_screen.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

int main(int argc, char* argv[])
{
    if (CommandLine::wantsNoWindow(argc, argv)) {
        QCoreApplication app(argc, argv);
        return CommandLine::runWithoutWindow(app);
    }
    QApplication app(argc, argv);
    // The program's icon, on every window it opens: each size built in from
    // data/icons (app/CMakeLists.txt).
    QIcon icon;
    const QDir sizes(QStringLiteral(":/icons"));
    for (const QString& size : sizes.entryList())
        icon.addFile(sizes.filePath(size + QStringLiteral("/locker-estimate.png")));
    app.setWindowIcon(icon);
    const CommandLine::Options options = CommandLine::parse(app);
    if (options.exitCode >= 0)
        return options.exitCode;
    // The counter's stores and its estimate, handed to the screen that shows it.
    PriceList prices(options.priceListPath);
    EstimateBook book(options.estimatesPath.isEmpty()
                          ? EstimateBook::pathBeside(options.priceListPath)
                          : options.estimatesPath);
    SystemClock clock;
    StoreRules rules(prices);
    Estimate estimate(prices, clock, rules);
    EstimateScreen screen(estimate, prices, book, clock);
    screen.startUp();
    screen.show();
    return app.exec();
}
