#include "book/book_setup.h"
#include "book/estimate_book.h"
#include "pricelist/price_list.h"
#include "pricelist/price_list_setup.h"
#include "pricelist/sample_price_list.h"
#include "store/database.h"
#include "tools/server_setup.h"
#include "tools/tool.h"

#include <QFileInfo>

namespace Tool {

namespace {

// Makes the tables of the price list and of the saved estimates on the server;
// false when it refused, and then the tool has said why. With `current`, a
// price list of this version already there is no refusal, and is told there.
bool madeServerTables(const QString& url, bool* upgraded, QStringList* upgrades = nullptr,
                      bool* current = nullptr)
{
    bool there = false;
    const StoreResult made = PriceListSetup::CreatePriceTable(url, upgraded, upgrades, &there);
    if (current)
        *current = there;
    if (!made.done() && !(current && there)) {
        complain(made.problem);
        return false;
    }
    const StoreResult book = BookSetup::PrepareBook(url);
    if (!book.done()) {
        complain(QStringLiteral("The price list's table was made in the %1, but not the tables of "
                                "the saved estimates (the first saved estimate makes them). %2")
                     .arg(Database::Described(url), book.problem));
        return false;
    }
    return true;
}

int runInitServer(const Invocation& call)
{
    const QString& url = call.priceListPath;
    bool upgraded = false;
    QStringList upgrades;
    // Made again for the roles: the tables are there, and stay as they are.
    const bool forRoles = call.clerkRole || call.ownerRole;
    bool current = false;
    if (!madeServerTables(url, &upgraded, &upgrades, forRoles ? &current : nullptr))
        return Refused;
    if (current) {
        say(QStringLiteral("The tables of the price list and of the saved estimates in the %1 "
                           "were there already, of this version.")
                .arg(Database::Described(url)));
        return Done;
    }
    if (upgraded) {
        say(QStringLiteral("The %1 held a price list made by an earlier version: %2. The tables "
                           "of the saved estimates are up to date. Nothing else was changed.")
                .arg(Database::Described(url), upgrades.join(QStringLiteral(", and "))));
        return Done;
    }
    say(QStringLiteral("Made the tables of the price list and of the saved estimates in the %1. "
                       "The price list is empty: import a CSV file into it (%2 --database %3 "
                       "import FILE.csv), or copy a price list file with its saved estimates "
                       "(%2 init --database %3 --from Lockers.db).")
            .arg(Database::Described(url), Name, shellWord(url)));
    return Done;
}

// Copies the price list file, and the saved estimates beside it, to a server
// whose price list is missing or empty; each copy all or nothing.
int runCopyToServer(const Invocation& call)
{
    const QString& url = call.priceListPath;
    const QString& file = *call.from;
    // The file is checked before anything is made on the server.
    PriceList::OpenResult there;
    {
        PriceList source(file);
        if (source.open() != PriceList::OpenResult::Opened)
            return complain(QStringLiteral("%1 Nothing was copied.").arg(source.openProblem()));
        PriceList server(url);
        there = server.open();
        if (there == PriceList::OpenResult::Unreachable)
            return complain(server.openProblem());
    }
    bool upgraded = false;
    if (there != PriceList::OpenResult::Opened && !madeServerTables(url, &upgraded))
        return Refused;
    // The saved estimates are checked too before anything is copied: both
    // copies are made, or neither, so that the command can be run again.
    const QString estimatesFile = EstimateBook::pathBeside(file);
    if (QFileInfo::exists(estimatesFile)) {
        QString problem;
        EstimateBook(estimatesFile).list(QString(), &problem, 1);
        if (!problem.isEmpty())
            return complain(QStringLiteral("%1 Nothing was copied.").arg(problem));
        if (!EstimateBook(url).list(QString(), &problem, 1).isEmpty() || !problem.isEmpty())
            return complain(
                problem.isEmpty()
                    ? QStringLiteral("The %1 holds saved estimates already, so those of %2 "
                                     "cannot be copied to it. Nothing was copied.")
                          .arg(Database::Described(url), estimatesFile)
                    : QStringLiteral("%1 Nothing was copied.").arg(problem));
    }
    int rows = 0;
    QStringList notes;
    const StoreResult copied = PriceListSetup::CopyPrices(file, url, &rows, &notes);
    if (!copied.done())
        return complain(copied.problem);
    const QString copiedRows =
        QStringLiteral("Copied %1 of the price list").arg(counted(rows, QStringLiteral("row")));
    const QString where = Database::Described(url);
    int estimates = 0;
    if (QFileInfo::exists(estimatesFile)) {
        const StoreResult book = BookSetup::CopyEstimates(estimatesFile, url, &estimates);
        if (!book.done()) {
            for (const QString& note : notes)
                say(note);
            return complain(
                QStringLiteral("%1 to the %2. %3").arg(copiedRows, where, book.problem));
        }
        say(QStringLiteral("%1 and %2 to the %3.")
                .arg(copiedRows, counted(estimates, QStringLiteral("saved estimate")), where));
    } else {
        say(QStringLiteral("%1 to the %2. There is no %3, so no saved estimates were copied.")
                .arg(copiedRows, where, estimatesFile));
    }
    for (const QString& note : notes)
        say(note);
    return Done;
}

// Makes the roles that the owner grants to each person's login, or gives
// them what they lack.
int runRoles(const Invocation& call)
{
    const ServerSetup::ShopRoles roles{call.clerkRole.value_or(QString()),
                                       call.ownerRole.value_or(QString())};
    QStringList done;
    const StoreResult made = ServerSetup::MakeRoles(call.priceListPath, roles, &done);
    if (!made.done())
        return complain(made.problem);
    for (const QString& line : done)
        say(line);
    QStringList grants;
    if (!roles.clerk.isEmpty())
        grants << QStringLiteral("GRANT %1 TO anna;").arg(roles.clerk);
    if (!roles.owner.isEmpty())
        grants << QStringLiteral("GRANT %1 TO maria;").arg(roles.owner);
    say(QStringLiteral("Give each person's login its role, in psql as a user with CREATEROLE "
                       "(or PostgreSQL's superuser), for example: %1")
            .arg(grants.join(QLatin1Char(' '))));
    return Done;
}

int runInit(const Invocation& call)
{
    if (call.databaseGiven) {
        const int made = call.from ? runCopyToServer(call) : runInitServer(call);
        return made == Done && (call.clerkRole || call.ownerRole) ? runRoles(call) : made;
    }
    if (!call.operands.isEmpty() && call.priceListGiven &&
        QFileInfo(call.operands[0]).absoluteFilePath() !=
            QFileInfo(call.priceListPath).absoluteFilePath())
        return complain(QStringLiteral("Give the path of the new price list once, either as "
                                       "PATH or with --pricelist."),
                        Usage);
    const QString path = call.operands.isEmpty() ? call.priceListPath : call.operands[0];
    const SaveResult made = CreateSamplePriceList(path);
    if (!made.saved)
        return complain(made.problem);
    say(QStringLiteral("Created the sample price list at %1. Its prices are examples: replace "
                       "them with the shop's own.")
            .arg(path));
    return Done;
}

QString checkInit(const Invocation& call)
{
    if (call.databaseGiven && !call.operands.isEmpty())
        return QStringLiteral("init --database makes the tables on the server; it takes no PATH "
                              "(--from FILE copies a price list file).");
    if (call.clerkRole || call.ownerRole) {
        if (!call.databaseGiven)
            return QStringLiteral("--clerk-role and --owner-role go with init --database only: "
                                  "the roles are made on the server.");
        for (const std::optional<QString>& role : {call.clerkRole, call.ownerRole})
            if (role)
                if (const QString problem = ServerSetup::RoleNameProblem(*role); !problem.isEmpty())
                    return problem;
        if (call.clerkRole == call.ownerRole)
            return QStringLiteral("--clerk-role and --owner-role name two roles: the clerks' may "
                                  "not change the prices, the owner's may.");
    }
    if (call.from) {
        if (!call.databaseGiven)
            return QStringLiteral(
                "--from goes with init --database (a file) and report (a day) only.");
        if (call.from->isEmpty())
            return QStringLiteral("--from needs the path of a price list file.");
        if (Database::IsServerUrl(*call.from))
            return QStringLiteral("--from names a price list file (Lockers.db), not a server.");
    }
    return namesNothing(call, QStringLiteral("a file name"));
}

} // namespace

const Command& InitCommand()
{
    static const Command command{
        "init",
        "init [PATH | --from FILE] [--clerk-role NAME] [--owner-role NAME]",
        "Creates a new price list: a file, or the tables on a server.",
        "Creates a price list at PATH (or at the --pricelist path, or the default one)\n"
        "holding the sample prices. It never replaces an existing file. The sample\n"
        "prices are examples: set the shop's own afterwards.\n"
        "\n"
        "With --database URL (and no PATH), makes the tables of the price list and of\n"
        "the saved estimates on that PostgreSQL server instead; it refuses when the\n"
        "server holds a price list already. The price list starts empty: import a CSV\n"
        "file into it, or give --from FILE, a price list file (Lockers.db) to copy\n"
        "there with the saved estimates of the Estimates.db beside it. --from copies\n"
        "only into an empty price list and an empty book of estimates, each in one go:\n"
        "when a copy fails, the server keeps what it held. Make the database and its\n"
        "user first with PostgreSQL's own createuser and createdb.\n"
        "\n"
        "With --database, --clerk-role NAME and --owner-role NAME also make those roles\n"
        "on the server, as groups without a login, and give them their rights: the\n"
        "clerks' role may read the price list and its history and save, open and delete\n"
        "estimates, but not change the prices; the owner's may do everything the program\n"
        "does, prices included. Nobody else may change the prices then. Give each\n"
        "person's login its role in psql (GRANT locker_clerk TO anna). Run again on a\n"
        "server set up already, init makes what is missing, gives each role what it\n"
        "lacks and tells it. Making a role needs a user with CREATEROLE.\n"
        "\n"
        "Examples:\n"
        "  locker-pricelist init ~/Lockers.db\n"
        "  locker-pricelist init --database postgresql://locker@shop-office/locker\n"
        "  locker-pricelist init --database postgresql://locker@shop-office/locker \\\n"
        "      --from ~/.local/share/locker-estimate/Lockers.db\n"
        "  locker-pricelist init --database postgresql://locker@shop-office/locker \\\n"
        "      --clerk-role locker_clerk --owner-role locker_owner\n",
        0,
        1,
        {QStringLiteral("from"), QStringLiteral("clerk-role"), QStringLiteral("owner-role")},
        false,
        checkInit,
        runInit};
    return command;
}

} // namespace Tool
