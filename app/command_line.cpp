#include "app/command_line.h"

#include "core/shop_settings.h"
#include "pricelist/price_list.h"
#include "pricelist/sample_price_list.h"
#include "store/database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace CommandLine {

namespace {

const char* const CreateSample = "create-sample-pricelist";
const char* const PriceListOption = "pricelist";
const char* const EstimatesOption = "estimates";
const char* const DatabaseOption = "database";
// Added with --help by the parser: the help with Qt's own options too.
const char* const HelpAll = "help-all";

// A wrong command line ends the program with this status, as for
// locker-pricelist.
constexpr int WrongCommandLine = 2;

// The options, and what they mean.
struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help;
    QCommandLineOption version;

    Parser()
        : help(parser.addHelpOption())
        , version(parser.addVersionOption())
    {
        parser.setApplicationDescription(
            QStringLiteral("Prices the kill, processing and extra services of an animal at the "
                           "counter, from the shop's price list."));
        parser.addOption({QLatin1String(PriceListOption),
                          QStringLiteral("Use the price list file <path> instead of %1.")
                              .arg(PriceList::defaultPath()),
                          QStringLiteral("path")});
        parser.addOption({QLatin1String(EstimatesOption),
                          QStringLiteral("Keep the saved estimates in the file <path> instead of "
                                         "Estimates.db beside the price list."),
                          QStringLiteral("path")});
        parser.addOption(
            {QLatin1String(DatabaseOption),
             QStringLiteral("Keep the price list and the saved estimates on the PostgreSQL server "
                            "<url> (postgresql://user@host:port/database), shared by every "
                            "counter that names it, instead of in files. The key \"database\" in "
                            "%1 sets it for this machine. The password comes from ~/.pgpass or "
                            "PGPASSWORD, never from here.")
                 .arg(ShopSettingsPath()),
             QStringLiteral("url")});
        parser.addOption(
            {QLatin1String(CreateSample),
             QStringLiteral("Create a price list holding the sample prices at [path] (or at the "
                            "--pricelist path, or the default) and end. An existing file is "
                            "left as it is.")});
        parser.addPositionalArgument(
            QStringLiteral("[path]"),
            QStringLiteral("With --create-sample-pricelist: where to create it."));
    }

    // Reads the arguments; why they are wrong, or empty when they are right.
    QString read(const QStringList& arguments)
    {
        if (!parser.parse(arguments))
            return parser.errorText();
        if (parser.isSet(QLatin1String(PriceListOption)) &&
            parser.value(QLatin1String(PriceListOption)).isEmpty())
            return QStringLiteral("--pricelist needs the path of a price list file.");
        if (parser.isSet(QLatin1String(EstimatesOption)) &&
            parser.value(QLatin1String(EstimatesOption)).isEmpty())
            return QStringLiteral("--estimates needs the path of a file of saved estimates.");
        if (parser.isSet(QLatin1String(DatabaseOption))) {
            QString problem;
            if (!Database::ParseServerUrl(parser.value(QLatin1String(DatabaseOption)), &problem))
                return problem;
            if (parser.isSet(QLatin1String(PriceListOption)) ||
                parser.isSet(QLatin1String(EstimatesOption)) ||
                parser.isSet(QLatin1String(CreateSample)))
                return QStringLiteral("--database keeps the price list and the estimates on the "
                                      "server; it goes with neither --pricelist, --estimates nor "
                                      "--create-sample-pricelist.");
        }
        const QStringList positional = parser.positionalArguments();
        if (!positional.isEmpty() && !parser.isSet(QLatin1String(CreateSample)))
            return QStringLiteral("Unexpected argument: %1").arg(positional.first());
        if (positional.size() > 1)
            return QStringLiteral("Give one path only.");
        if (!positional.isEmpty() && positional.first().isEmpty())
            return QStringLiteral("--create-sample-pricelist needs a file name; \"\" names no "
                                  "file.");
        return QString();
    }

    bool asksForHelp() const { return parser.isSet(help) || parser.isSet(QLatin1String(HelpAll)); }
    bool asksForHelpOrVersion() const { return asksForHelp() || parser.isSet(version); }
};

// Whether the arguments may hold options of Qt's own (-platform NAME, -style
// NAME, -reverse, ...): one dash before a word. The window's application
// takes those out before the program reads the rest.
bool mayHoldQtOptions(const QStringList& arguments)
{
    static const QRegularExpression qtOption(QStringLiteral("^-[a-z]{2,}$"));
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--"))
            break;
        if (qtOption.match(arguments[i]).hasMatch())
            return true;
    }
    return false;
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
    Parser p;
    Options options;
    const QString problem = p.read(app.arguments());
    if (!problem.isEmpty()) {
        QTextStream(stderr) << "locker-estimate: " << problem
                            << "\nlocker-estimate --help lists the options.\n";
        options.exitCode = WrongCommandLine;
        return options;
    }
    if (p.asksForHelp()) {
        QTextStream out(stdout);
        out << p.parser.helpText();
        if (p.parser.isSet(QLatin1String(HelpAll)))
            out << "\nQt's own options are taken too, before the program's: -platform NAME\n"
                   "(offscreen, xcb, wayland, ...), -style NAME, -stylesheet FILE, -reverse,\n"
                   "-qwindowgeometry WxH+X+Y and the others of Qt's documentation\n"
                   "(QGuiApplication, QApplication).\n";
        options.exitCode = 0;
        return options;
    }
    if (p.parser.isSet(p.version)) {
        QTextStream(stdout) << app.applicationName() << ' ' << app.applicationVersion() << '\n';
        options.exitCode = 0;
        return options;
    }
    options.estimatesPath = p.parser.value(QLatin1String(EstimatesOption));
    const auto given = [&](const char* option) {
        return p.parser.isSet(QLatin1String(option))
                   ? std::optional<QString>(p.parser.value(QLatin1String(option)))
                   : std::nullopt;
    };
    // A server named by the machine's setting whose address cannot be used
    // is still the shop's store: the screen tells why nothing is figured.
    options.priceListPath = PriceList::choose(given(DatabaseOption), given(PriceListOption),
                                              options.estimatesPath.isEmpty() &&
                                                  !p.parser.isSet(QLatin1String(CreateSample)))
                                .location;
    return options;
}

bool wantsNoWindow(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Parser p;
    // A wrong command line is told without opening a window, unless what
    // the program does not know may be Qt's own options, which only the
    // window's application reads.
    if (!p.read(arguments).isEmpty())
        return !mayHoldQtOptions(arguments);
    return p.asksForHelpOrVersion() || p.parser.isSet(QLatin1String(CreateSample));
}

int runWithoutWindow(QCoreApplication& app)
{
    const Options options = parse(app);
    if (options.exitCode >= 0)
        return options.exitCode;
    Parser p;
    p.read(app.arguments());
    const QStringList args = p.parser.positionalArguments();
    const QString path = args.isEmpty() ? options.priceListPath : args.first();
    QTextStream out(stdout);
    if (QFileInfo::exists(path)) {
        out << "A price list is already at " << path << "; it was left as it is.\n";
        return 0;
    }
    const SaveResult made = CreateSamplePriceList(path);
    if (!made.saved) {
        QTextStream(stderr) << made.problem << "\n";
        return 1;
    }
    out << "Created the sample price list at " << path
        << ". Its prices are examples: replace them with the shop's own.\n";
    return 0;
}

} // namespace CommandLine
