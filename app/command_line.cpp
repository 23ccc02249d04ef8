#include "command_line.h"

#include "price_list.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <cstring>

namespace CommandLine {

namespace {

const char* const CreateSample = "create-sample-pricelist";

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Prices the kill, processing and extra services of an animal at the "
                       "counter, from the shop's price list."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("pricelist"),
                      QStringLiteral("Use the price list file <path> instead of %1.")
                          .arg(PriceList::defaultPath()),
                      QStringLiteral("path")});
    parser.addOption({QLatin1String(CreateSample),
                      QStringLiteral("Create a price list holding the sample prices at [path] "
                                     "(or at the --pricelist path, or the default) and end. An "
                                     "existing file is left as it is.")});
    parser.addPositionalArgument(
        QStringLiteral("[path]"),
        QStringLiteral("With --create-sample-pricelist: where to create it."));
}

void name(QCoreApplication& app)
{
    app.setApplicationName(QStringLiteral("locker-estimate"));
    app.setApplicationVersion(QStringLiteral(LOCKER_VERSION));
}

} // namespace

Options parse(QCoreApplication& app)
{
    name(app);
    QCommandLineParser parser;
    describe(parser);
    parser.process(app); // ends the program on --help, --version and errors
    Options options;
    if (!parser.positionalArguments().isEmpty() && !parser.isSet(QLatin1String(CreateSample))) {
        QTextStream(stderr) << "Unexpected argument: " << parser.positionalArguments().first()
                            << "\n";
        options.exitCode = 2;
        return options;
    }
    options.priceListPath = parser.isSet(QStringLiteral("pricelist"))
                                ? parser.value(QStringLiteral("pricelist"))
                                : PriceList::defaultPath();
    return options;
}

bool wantsNoWindow(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 ||
            std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-v") == 0 ||
            std::strcmp(arg, "--create-sample-pricelist") == 0)
            return true;
    }
    return false;
}

int runWithoutWindow(QCoreApplication& app)
{
    Options options = parse(app);
    if (options.exitCode >= 0)
        return options.exitCode;
    QCommandLineParser parser;
    describe(parser);
    parser.parse(app.arguments());
    const QStringList args = parser.positionalArguments();
    if (args.size() > 1) {
        QTextStream(stderr) << "Give one path only.\n";
        return 2;
    }
    const QString path = args.isEmpty() ? options.priceListPath : args.first();
    QTextStream out(stdout);
    if (QFileInfo::exists(path)) {
        out << "A price list is already at " << path << "; it was left as it is.\n";
        return 0;
    }
    const SaveResult made = PriceList::createSample(path);
    if (!made.saved) {
        QTextStream(stderr) << made.problem << "\n";
        return 1;
    }
    out << "Created the sample price list at " << path
        << ". Its prices are examples: replace them with the shop's own.\n";
    return 0;
}

} // namespace CommandLine
