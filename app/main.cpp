// Locker Estimate: the price estimator at the counter of a locker plant.

#include "app/command_line.h"
#include "screens/estimate_screen.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (CommandLine::wantsNoWindow(argc, argv)) {
        QCoreApplication app(argc, argv);
        return CommandLine::runWithoutWindow(app);
    }
    QApplication app(argc, argv);
    const CommandLine::Options options = CommandLine::parse(app);
    if (options.exitCode >= 0)
        return options.exitCode;
    EstimateScreen screen(options.priceListPath, options.estimatesPath);
    screen.startUp();
    screen.show();
    return app.exec();
}
