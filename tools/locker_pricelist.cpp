// locker-pricelist: keeps the shop's price list current from the command line.
//
//   locker-pricelist [--pricelist PATH | --database URL] list
//   locker-pricelist [--pricelist PATH | --database URL] set ITEM COST [--category TEXT] [--new]
//   locker-pricelist [--pricelist PATH | --database URL] remove ITEM [--yes]
//   locker-pricelist [--pricelist PATH | --database URL] export FILE.csv
//   locker-pricelist [--pricelist PATH | --database URL] import FILE.csv [--new]
//   locker-pricelist [--pricelist PATH | --database URL] history [ITEM]
//   locker-pricelist init [PATH]
//   locker-pricelist init --database URL [--from FILE] [--clerk-role NAME] [--owner-role NAME]
//   locker-pricelist [--pricelist PATH | --database URL] shop [--name NAME] [--address TEXT]
//                    [--phone TEXT]
//   locker-pricelist [--pricelist PATH | --database URL] report [--from YYYY-MM-DD]
//       [--to YYYY-MM-DD] [--species Beef|Pork|Deer] [--adopt [--middle
//       [--use-for-quotes]]]
//   locker-pricelist [--pricelist PATH | --database URL] backup FOLDER
//   locker-pricelist [--pricelist PATH | --database URL] restore FOLDER [--yes]
//
// The price list is a file (Lockers.db), or, for a shop of several counters,
// a PostgreSQL server (--database postgresql://user@host:port/database) that
// keeps it with the saved estimates. Without --pricelist and --database, the
// server named under "database" in the shop's settings is used when there is
// one, and the default file otherwise. init --database makes the server's
// tables; with --from it also copies a price list file and the Estimates.db
// beside it there, and with --clerk-role and --owner-role it makes the roles
// that the owner grants to each person's login: the clerks' reads the prices
// and keeps the saved estimates, the owner's may change the prices too (run
// again, it gives them what they lack).
// report tells how near the quotes came to the final bills,
// from the saved estimates kept with the price list (Estimates.db beside the
// file, or the same server), and with --adopt sets the shop's ranges of the
// hanging weight from them. backup writes the price list and the saved
// estimates, read at one moment, into a folder of SQLite files that any SQLite
// program opens; restore checks such a folder whole, keeps what is there as a
// backup of its own, and puts it back, into files or onto a server whichever
// it came from.
//
// Exit status: 0 when done, 1 when a value or a file refused the work, 2 when
// the command line itself is wrong.

#include "core/numbers.h"
#include "estimate/likely_range.h"
#include "estimate/yield_check.h"
#include "pricelist/price_list.h"
#include "pricelist/price_list_editor.h"
#include "store/database.h"
#include "tools/tool.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <csignal>

using namespace Tool;

namespace {

// An option of the tool, as --help tells it: its names (the long one first),
// the name of its value (none for a switch), and what it does ({default} and
// {shopfile} stand for the price list and the settings file of this
// machine). The row without a name is the "--" that ends the options.
struct Option {
    QStringList names;
    QString value;
    QString help;
};

// Every option, in the order --help lists them. --pricelist, --database,
// --help and --version go with every command; each command names the others
// that it takes.
const QList<Option>& Options()
{
    static const QList<Option> options = {
        {{QStringLiteral("pricelist")},
         QStringLiteral("PATH"),
         QStringLiteral("The price list file; without it:\n{default}")},
        {{QStringLiteral("database")},
         QStringLiteral("URL"),
         QStringLiteral("The PostgreSQL server that keeps the price\nlist and the saved "
                        "estimates of every counter:\npostgresql://user@host:port/database\n(the "
                        "password never in it: in ~/.pgpass or\nPGPASSWORD). Without --database "
                        "and\n--pricelist, the server set under \"database\"\nin {shopfile},\n"
                        "when set.")},
        {{QStringLiteral("from")},
         QStringLiteral("FILE|YYYY-MM-DD"),
         QStringLiteral("With init --database: the price list file to\ncopy to the server, with "
                        "its Estimates.db.\nWith report and bookings: the first day.")},
        {{QStringLiteral("to")},
         QStringLiteral("YYYY-MM-DD"),
         QStringLiteral("With report and bookings: the last day.")},
        {{QStringLiteral("state")},
         QStringLiteral("STATE"),
         QStringLiteral(
             "With bookings: only those in the state\n(booked, dropped off, killed, cut, "
             "ready,\npicked up, cancelled).")},
        {{QStringLiteral("species")},
         QStringLiteral("Beef|Pork|Deer"),
         QStringLiteral("With report: one species only.")},
        {{QStringLiteral("adopt")},
         QString(),
         QStringLiteral("With report: set the shop's ranges of the\nhanging weight from the "
                        "weighed bills.")},
        {{QStringLiteral("adopt-yields")},
         QString(),
         QStringLiteral("With report: set the shop's yields of meat from\nthe packaged weights "
                        "recorded at pickup.")},
        {{QStringLiteral("middle")},
         QString(),
         QStringLiteral("With --adopt: set the measured middle too.")},
        {{QStringLiteral("use-for-quotes")},
         QString(),
         QStringLiteral("With --middle: new quotes figure the hanging\nweight at the measured "
                        "middle.")},
        {{QStringLiteral("clerk-role")},
         QStringLiteral("NAME"),
         QStringLiteral("With init --database: the role to make for\nthe clerks' logins.")},
        {{QStringLiteral("owner-role")},
         QStringLiteral("NAME"),
         QStringLiteral("With init --database: the role to make for\nthe owner's login.")},
        {{QStringLiteral("category")},
         QStringLiteral("TEXT"),
         QStringLiteral("With set: the item's category.")},
        {{QStringLiteral("new")},
         QString(),
         QStringLiteral("With set and import: add a new name that\nlooks like one already "
                        "there.")},
        {{QStringLiteral("yes")},
         QString(),
         QStringLiteral("With remove: remove an item that the\nprogram looks up, without asking. "
                        "With\nrestore: restore without asking.")},
        {{QStringLiteral("name")},
         QStringLiteral("NAME"),
         QStringLiteral("With shop: the shop's name to set.")},
        {{QStringLiteral("address")},
         QStringLiteral("TEXT"),
         QStringLiteral("With shop: the shop's address to set.")},
        {{QStringLiteral("phone")},
         QStringLiteral("TEXT"),
         QStringLiteral("With shop: the shop's phone to set.")},
        {{QStringLiteral("help"), QStringLiteral("h")},
         QString(),
         QStringLiteral("This help; after a command, its help.")},
        {{QStringLiteral("version")}, QString(), QStringLiteral("The version.")},
        {{}, QString(), QStringLiteral("Ends the options (for an item name that\nstarts with -).")},
    };
    return options;
}

const QStringList EveryCommandsOptions = {QStringLiteral("pricelist"), QStringLiteral("database"),
                                          QStringLiteral("help"), QStringLiteral("version")};

int runHelp(const Invocation& call);

const Command& HelpCommand()
{
    static const Command command{"help",
                                 "help [COMMAND]",
                                 "Shows this help, or the help of one command.",
                                 "",
                                 0,
                                 1,
                                 {},
                                 false,
                                 nullptr,
                                 runHelp};
    return command;
}

const QList<const Command*>& Commands()
{
    static const QList<const Command*> commands = {
        &ListCommand(),     &SetCommand(),      &RemoveCommand(),  &ExportCommand(),
        &ImportCommand(),   &HistoryCommand(),  &InitCommand(),    &ShopCommand(),
        &ReportCommand(),   &BackupCommand(),   &RestoreCommand(), &BookingsCommand(),
        &CapacityCommand(), &CutSheetCommand(), &HelpCommand()};
    return commands;
}

const Command* findCommand(const QString& name)
{
    for (const Command* command : Commands())
        if (name == QLatin1String(command->name))
            return command;
    return nullptr;
}

// Two columns: what is typed, and what it does, its lines under each other.
void column(QTextStream& s, const QString& left, const QString& right)
{
    constexpr int Width = 34;
    s << "  " << left;
    // A left side too long for its column puts the right one on a line of its own.
    if (left.size() >= Width)
        s << '\n' << QString(Width + 2, QLatin1Char(' '));
    else
        s << QString(Width - left.size(), QLatin1Char(' '));
    s << QString(right).replace(QLatin1Char('\n'),
                                QLatin1Char('\n') + QString(Width + 2, QLatin1Char(' ')))
      << '\n';
}

QString optionHelp(const Option& option)
{
    QString help = option.help;
    const QString setting = DatabaseSetting();
    help.replace(QLatin1String("{default}"),
                 setting.isEmpty() ? PriceList::defaultPath()
                                   : QStringLiteral("the server %1 (see --database)").arg(setting));
    help.replace(QLatin1String("{shopfile}"), ShopSettingsPath());
    return help;
}

QString toolHelp()
{
    QString text;
    QTextStream s(&text);
    s << "Usage: " << Name << " [--pricelist PATH | --database URL] COMMAND [ARGUMENTS]\n\n"
      << "Keeps the shop's price list current: the file, or the server, from which Locker\n"
      << "Estimate takes its prices.\n\nCommands:\n";
    for (const Command* command : Commands())
        column(s, QString::fromLatin1(command->synopsis), QString::fromUtf8(command->summary));
    s << "\nOptions:\n";
    for (const Option& option : Options()) {
        QStringList names;
        for (const QString& name : option.names)
            names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        if (names.isEmpty())
            names << QStringLiteral("--");
        std::reverse(names.begin(), names.end()); // -h, --help
        QString left = names.join(QStringLiteral(", "));
        if (!option.value.isEmpty())
            left += QLatin1Char(' ') + option.value;
        column(s, left, optionHelp(option));
    }
    s << "\nExit status: 0 when done, 1 when a value or a file refused the work (nothing is\n"
      << "changed then), 2 when the command line is wrong.\n";
    return text;
}

QString commandHelp(const Command& command)
{
    QString details = QString::fromUtf8(command.details);
    details.replace(QLatin1String("{category}"), PriceListEditor::DefaultCategory);
    details.replace(QLatin1String("{shown}"), QString::number(ShownNameWidth));
    details.replace(QLatin1String("{shopfile}"), ShopSettingsPath());
    details.replace(QLatin1String("{fewest}"), QString::number(FewestWeighed));
    details.replace(QLatin1String("{pickups}"), QString::number(FewestPickups));
    details.replace(QLatin1String("{lowest}"), NumberText(LowestRatio));
    details.replace(QLatin1String("{highest}"), NumberText(HighestRatio));
    return QStringLiteral("Usage: %1 [--pricelist PATH | --database URL] %2\n\n%3")
        .arg(Name, QString::fromLatin1(command.synopsis), details);
}

int runHelp(const Invocation& call)
{
    if (call.operands.isEmpty()) {
        out() << toolHelp();
        out().flush();
        return Done;
    }
    const Command* command = findCommand(call.operands[0]);
    if (!command)
        return complain(QStringLiteral("There is no command \"%1\". %2 --help lists them.")
                            .arg(call.operands[0], Name),
                        Usage);
    out() << commandHelp(*command);
    out().flush();
    return Done;
}

// "set and import", "a, b and c".
QString andList(const QStringList& words)
{
    if (words.size() < 2)
        return words.value(0);
    return QStringList(words.mid(0, words.size() - 1)).join(QStringLiteral(", ")) +
           QStringLiteral(" and ") + words.last();
}

// An argument that is a negative number ("-5") is an argument, not an
// option: marked so before the parser reads the line, and unmarked after.
const QChar NumberMark(0xE000);

QString unmarked(QString value)
{
    if (value.startsWith(NumberMark))
        value.remove(0, 1);
    return value;
}

// The command line read; the problem in `problem` when it is wrong. The
// command chosen in `command`.
Invocation parse(const QStringList& arguments, bool* help, bool* version, QString* problem)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const Option& option : Options())
        if (!option.names.isEmpty())
            parser.addOption(QCommandLineOption(option.names, option.help, option.value));
    QStringList marked = arguments;
    for (int i = 1; i < marked.size() && marked[i] != QLatin1String("--"); ++i)
        if (marked[i].size() > 1 && marked[i].startsWith(QLatin1Char('-')) &&
            StrictNumber(marked[i]))
            marked[i].prepend(NumberMark);
    Invocation call;
    if (!parser.parse(marked)) {
        const QStringList unknown = parser.unknownOptionNames();
        static const QRegularExpression missing(QStringLiteral("Missing value after '(.*)'"));
        if (!unknown.isEmpty())
            *problem = QStringLiteral("Unknown option %1%2.")
                           .arg(unknown[0].size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                                unknown[0]);
        else if (const QRegularExpressionMatch m = missing.match(parser.errorText()); m.hasMatch())
            *problem = QStringLiteral("%1 needs a value.").arg(m.captured(1));
        else
            *problem = parser.errorText();
        return call;
    }
    QStringList operands;
    for (const QString& operand : parser.positionalArguments())
        operands << unmarked(operand);
    if (!operands.isEmpty())
        call.command = operands.takeFirst();
    call.operands = operands;
    *help = parser.isSet(QStringLiteral("help"));
    *version = parser.isSet(QStringLiteral("version"));
    const Command* command = findCommand(call.command);
    // An option that the command does not take is refused, naming those that do.
    for (const QString& given : parser.optionNames()) {
        QString name = given;
        for (const Option& option : Options())
            if (option.names.contains(given))
                name = option.names[0];
        if (!command || EveryCommandsOptions.contains(name) || command->options.contains(name))
            continue;
        QStringList takers;
        for (const Command* other : Commands())
            if (other->options.contains(name))
                takers << QString::fromLatin1(other->name);
        *problem = QStringLiteral("--%1 goes with %2 only.").arg(name, andList(takers));
        return call;
    }
    const auto value = [&](const char* name) -> std::optional<QString> {
        const QString option = QLatin1String(name);
        if (!parser.isSet(option))
            return std::nullopt;
        return unmarked(parser.value(option));
    };
    if (const std::optional<QString> path = value("pricelist")) {
        if (path->isEmpty()) {
            *problem = QStringLiteral("--pricelist needs a path.");
            return call;
        }
        call.priceListPath = *path;
        call.priceListGiven = true;
    }
    if (const std::optional<QString> url = value("database")) {
        if (url->isEmpty()) {
            *problem = QStringLiteral("--database needs a server address.");
            return call;
        }
        call.databaseUrl = *url;
        call.databaseGiven = true;
    }
    call.from = value("from");
    call.to = value("to");
    call.state = value("state");
    call.species = value("species");
    call.category = value("category");
    call.shopName = value("name");
    call.shopAddress = value("address");
    call.shopPhone = value("phone");
    call.clerkRole = value("clerk-role");
    call.ownerRole = value("owner-role");
    call.adopt = parser.isSet(QStringLiteral("adopt"));
    call.middle = parser.isSet(QStringLiteral("middle"));
    call.adoptYields = parser.isSet(QStringLiteral("adopt-yields"));
    call.forQuotes = parser.isSet(QStringLiteral("use-for-quotes"));
    call.confirmedNew = parser.isSet(QStringLiteral("new"));
    call.confirmedYes = parser.isSet(QStringLiteral("yes"));
    return call;
}

QString operandsProblem(const Command& command, int given)
{
    const QString name = QString::fromLatin1(command.name);
    const QString synopsis = QString::fromLatin1(command.synopsis);
    if (given < command.minOperands)
        return QStringLiteral("%1 is missing an argument. Usage: %2 %3").arg(name, Name, synopsis);
    QString problem =
        QStringLiteral("%1 takes fewer arguments. Usage: %2 %3").arg(name, Name, synopsis);
    if (command.takesItem)
        problem +=
            QStringLiteral(". Put an item name with blanks in quotes: %1 %2 \"Paper "
                           "Wrapp\"%3")
                .arg(Name, name, command.maxOperands == 2 ? QStringLiteral(" 0.49") : QString());
    return problem;
}

} // namespace

int main(int argc, char* argv[])
{
    // Past the file size limit a write fails and is told, rather than ending
    // the tool half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    app.setApplicationName(Name);
    app.setApplicationVersion(QStringLiteral(LOCKER_VERSION));

    QString problem;
    bool help = false;
    bool version = false;
    Invocation call = parse(app.arguments(), &help, &version, &problem);
    if (!problem.isEmpty())
        return complain(problem + QStringLiteral(" %1 --help shows how to use it.").arg(Name),
                        Usage);
    if (version) {
        say(QStringLiteral("%1 %2").arg(Name, app.applicationVersion()));
        return Done;
    }
    if (call.command.isEmpty()) {
        if (help)
            return runHelp(call);
        err() << toolHelp();
        return complain(QStringLiteral("No command given."), Usage);
    }
    const Command* command = findCommand(call.command);
    if (!command)
        return complain(QStringLiteral("There is no command \"%1\". %2 --help lists them.")
                            .arg(call.command, Name),
                        Usage);
    if (help) {
        out() << commandHelp(*command);
        out().flush();
        return Done;
    }
    if (call.databaseGiven) {
        if (call.priceListGiven)
            return complain(QStringLiteral("--database and --pricelist cannot be used together: "
                                           "the price list is on the server or in a file."),
                            Usage);
        QString urlProblem;
        if (!Database::ParseServerUrl(call.databaseUrl, &urlProblem))
            return complain(urlProblem, Usage);
    }
    const int given = int(call.operands.size());
    if (given < command->minOperands || (command->maxOperands >= 0 && given > command->maxOperands))
        return complain(operandsProblem(*command, given), Usage);
    if (command->check)
        if (const QString wrong = command->check(call); !wrong.isEmpty())
            return complain(wrong, Usage);
    // Without --pricelist and --database, the machine's server when it has one.
    const bool usesPriceList = command != &InitCommand() && command != &HelpCommand();
    const PriceList::Choice store = PriceList::choose(
        call.databaseGiven ? std::optional<QString>(call.databaseUrl) : std::nullopt,
        call.priceListGiven ? std::optional<QString>(call.priceListPath) : std::nullopt,
        usesPriceList);
    if (!store.settingProblem.isEmpty())
        return complain(store.settingProblem);
    call.priceListPath = store.location;
    return command->run(call);
}
