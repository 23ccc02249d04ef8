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

#include "book/book_setup.h"
#include "book/estimate_book.h"
#include "core/money.h"
#include "core/numbers.h"
#include "core/shop_settings.h"
#include "estimate/book_figures.h"
#include "estimate/likely_range.h"
#include "estimate/service_catalog.h"
#include "pricelist/item_names.h"
#include "pricelist/price_history.h"
#include "pricelist/price_list.h"
#include "pricelist/price_list_editor.h"
#include "pricelist/price_list_setup.h"
#include "pricelist/sample_price_list.h"
#include "pricelist/shop_details.h"
#include "store/database.h"
#include "tools/backup_restore.h"
#include "tools/server_setup.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <optional>
#include <tuple>
#include <unistd.h>

namespace {

enum Exit { Done = 0, Refused = 1, Usage = 2 };

const QString ToolName = QStringLiteral("locker-pricelist");

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

void say(const QString& text)
{
    out() << text << '\n';
    out().flush();
}

int complain(const QString& text, int status = Refused)
{
    err() << ToolName << ": " << text << '\n';
    err().flush();
    return status;
}

// "1 row", "3 rows".
QString counted(int n, const QString& thing)
{
    return QStringLiteral("%1 %2%3").arg(n).arg(thing, n == 1 ? QString() : QStringLiteral("s"));
}

// A word as it would be typed in a shell.
QString shellWord(const QString& word)
{
    for (const QChar c : word) {
        if (!c.isLetterOrNumber() && !QStringLiteral("/._-+:=,@%").contains(c))
            return QLatin1Char('\'') +
                   QString(word).replace(QLatin1String("'"), QLatin1String("'\\''")) +
                   QLatin1Char('\'');
    }
    return word.isEmpty() ? QStringLiteral("''") : word;
}

// What the command line asks for.
struct Invocation {
    QString command;
    QStringList operands;
    QString priceListPath; // a file's path, or a server's URL
    bool priceListGiven = false;
    QString databaseUrl; // --database: the server that keeps the price list
    bool databaseGiven = false;
    // --from: with init --database, the file to copy; with report, the first day.
    std::optional<QString> from;
    std::optional<QString> to;      // --to: with report, the last day
    std::optional<QString> species; // --species: with report, the one species
    bool adopt = false;             // --adopt: report sets the shop's hanging-weight ranges
    bool middle = false;            // --middle: with --adopt, the measured middle too
    bool forQuotes = false;         // --use-for-quotes: with --middle, the quotes figure with it
    std::optional<QString> category;
    bool confirmedNew = false;    // --new: a name that looks like another one is meant
    bool confirmedRemove = false; // --yes: remove an item that the program looks up
    // --name, --address, --phone: the shop's details to set.
    std::optional<QString> shopName, shopAddress, shopPhone;
    // --clerk-role, --owner-role: with init --database, the roles to make.
    std::optional<QString> clerkRole, ownerRole;
    bool help = false;
    bool version = false;
};

using Runner = int (*)(const Invocation&);

struct Command {
    const char* name;
    const char* synopsis;
    const char* summary;
    const char* details;
    int minOperands;
    int maxOperands;
    Runner run;
};

// Opens the price list, or says why it cannot be used.
bool opened(PriceListEditor& editor)
{
    const PriceList::OpenResult result = editor.open();
    if (result == PriceList::OpenResult::Opened)
        return true;
    if (result == PriceList::OpenResult::FileMissing && !Database::IsServerUrl(editor.path()))
        complain(QStringLiteral("%1 To start one with the sample prices: %2 init %3")
                     .arg(editor.problem(), ToolName, shellWord(editor.path())));
    else
        complain(editor.problem());
    return false;
}

// The most characters of a name that a column shows: a longer one (stored
// by an earlier version or another program) is cut with an ellipsis, so that
// it does not push every other row out of line. export gives it whole.
constexpr int ShownNameWidth = 40;

QString shownName(const QString& name)
{
    if (name.size() <= ShownNameWidth)
        return name;
    qsizetype kept = ShownNameWidth - 1;
    if (name[kept - 1].isHighSurrogate())
        --kept; // a character is never cut in half
    return name.left(kept) + QStringLiteral("…");
}

// Rows of text in columns two blanks apart, each as wide as its widest cell;
// the last column as it is.
void sayColumns(const QList<QStringList>& rows)
{
    QList<qsizetype> widths;
    for (const QStringList& row : rows)
        for (int c = 0; c + 1 < row.size(); ++c) {
            if (widths.size() <= c)
                widths << 0;
            widths[c] = std::max(widths[c], row[c].size());
        }
    for (const QStringList& row : rows) {
        QString text;
        for (int c = 0; c + 1 < row.size(); ++c)
            text += row[c].leftJustified(widths[c]) + QStringLiteral("  ");
        say(text + row.value(row.size() - 1));
    }
}

int runList(const Invocation& call)
{
    PriceListEditor editor(call.priceListPath);
    if (!opened(editor))
        return Refused;
    QString problem;
    const QList<PriceEntry> rows = editor.entries(&problem);
    if (!problem.isEmpty())
        return complain(problem);
    if (rows.isEmpty()) {
        say(QStringLiteral("The price list at %1 holds no items.").arg(editor.path()));
        return Done;
    }
    const QString item = QStringLiteral("Item");
    const QString cost = QStringLiteral("Cost");
    qsizetype itemWidth = item.size();
    qsizetype costWidth = cost.size();
    QStringList costs;
    for (const PriceEntry& row : rows) {
        costs << PriceListEditor::moneyText(row.cost);
        itemWidth = std::max(itemWidth, shownName(row.item).size());
        costWidth = std::max(costWidth, costs.last().size());
    }
    const auto line = [&](const QString& a, const QString& b, const QString& c) {
        QString text =
            a.leftJustified(itemWidth) + QStringLiteral("  ") + b.rightJustified(costWidth);
        if (!c.isEmpty())
            text += QStringLiteral("  ") + c;
        say(text);
    };
    line(item, cost, QStringLiteral("Category"));
    // The program uses the first row of a name; a later one is never used.
    QSet<QString> seen;
    for (int r = 0; r < rows.size(); ++r) {
        QString category = rows[r].category;
        if (seen.contains(rows[r].item))
            category += QStringLiteral("  (not used: an earlier row has this name)");
        seen.insert(rows[r].item);
        line(shownName(rows[r].item), costs[r], category);
    }
    return Done;
}

// The words that tell the owner how to confirm: the command again with the
// option added.
QString againWith(const Invocation& call, const QString& option)
{
    QStringList words = {ToolName};
    if (call.priceListGiven)
        words << QStringLiteral("--pricelist") << shellWord(call.priceListPath);
    if (call.databaseGiven)
        words << QStringLiteral("--database") << shellWord(call.databaseUrl);
    words << call.command << option;
    if (call.category)
        words << QStringLiteral("--category") << shellWord(*call.category);
    words << QStringLiteral("--");
    for (const QString& operand : call.operands)
        words << shellWord(operand);
    return words.join(QLatin1Char(' '));
}

// A refused look-alike name, with how to add it anyway.
int refuseLookAlike(const Invocation& call, const EditResult& result)
{
    QString problem = result.problem;
    if (!problem.endsWith(QLatin1String("Nothing was changed.")))
        problem += QStringLiteral(" Nothing was changed.");
    return complain(QStringLiteral("%1 To add it as a new item anyway, add --new: %2")
                        .arg(problem, againWith(call, QStringLiteral("--new"))));
}

int runSet(const Invocation& call)
{
    const QString& item = call.operands[0];
    const QString& cost = call.operands[1];
    // A bad cost is told before the file is touched.
    const QString costProblem = MoneyAmountProblem(cost);
    if (!costProblem.isEmpty())
        return complain(
            QStringLiteral("%1 The price of \"%2\" was not changed.").arg(costProblem, item));
    PriceListEditor editor(call.priceListPath);
    if (!opened(editor))
        return Refused;
    const EditResult result = editor.setCost(item, cost, call.category, call.confirmedNew);
    if (!result.lookAlike.isEmpty())
        return refuseLookAlike(call, result);
    if (!result.done)
        return complain(result.problem);
    const QString money = PriceListEditor::moneyText(cost.trimmed());
    if (result.added > 0)
        say(QStringLiteral("Added \"%1\" at %2 (category \"%3\").")
                .arg(item, money, call.category.value_or(PriceListEditor::DefaultCategory)));
    else
        say(QStringLiteral("\"%1\" now costs %2 (%3 changed).")
                .arg(item, money, counted(result.changed, QStringLiteral("row"))));
    return Done;
}

// Whether the price list holds the item (exactly).
bool holds(PriceListEditor& editor, const QString& item)
{
    const QList<PriceEntry> rows = editor.entries();
    return std::any_of(rows.begin(), rows.end(),
                       [&](const PriceEntry& row) { return row.item == item; });
}

// Asks the owner at the terminal; true for yes.
bool askedYes(const QString& question)
{
    out() << question << " [y/N] ";
    out().flush();
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

int runRemove(const Invocation& call)
{
    const QString& item = call.operands[0];
    PriceListEditor editor(call.priceListPath);
    if (!opened(editor))
        return Refused;
    // An item that the program looks up: what stops working is said first.
    const QString use = ItemNames::usedFor(item);
    if (!use.isEmpty() && !call.confirmedRemove && holds(editor, item)) {
        const QString consequence =
            QStringLiteral("The program looks up \"%1\" for %2; without it, they stop working "
                           "until it is added again.")
                .arg(item, use);
        if (!::isatty(STDIN_FILENO))
            return complain(QStringLiteral("\"%1\" was not removed. %2 To remove it anyway, add "
                                           "--yes: %3")
                                .arg(item, consequence, againWith(call, QStringLiteral("--yes"))));
        if (!askedYes(QStringLiteral("%1 Remove it?").arg(consequence)))
            return complain(QStringLiteral("\"%1\" was not removed.").arg(item));
    }
    const EditResult result = editor.remove(item);
    if (!result.done)
        return complain(result.problem);
    say(QStringLiteral("Removed \"%1\" (%2).")
            .arg(item, counted(result.removed, QStringLiteral("row"))));
    return Done;
}

int runExport(const Invocation& call)
{
    const QString& file = call.operands[0];
    PriceListEditor editor(call.priceListPath);
    if (!opened(editor))
        return Refused;
    const EditResult result = editor.exportCsv(file);
    if (!result.done)
        return complain(result.problem);
    say(QStringLiteral("Wrote %1 to %2.")
            .arg(counted(result.exported, QStringLiteral("item")), file));
    return Done;
}

int runImport(const Invocation& call)
{
    const QString& file = call.operands[0];
    PriceListEditor editor(call.priceListPath);
    if (!opened(editor))
        return Refused;
    const EditResult result = editor.importCsv(file, call.confirmedNew);
    if (!result.lookAlike.isEmpty())
        return refuseLookAlike(call, result);
    if (!result.done)
        return complain(result.problem);
    say(QStringLiteral("Imported %1: %2 added, %3 changed.")
            .arg(file, counted(result.added, QStringLiteral("item")),
                 counted(result.changed, QStringLiteral("row"))));
    return Done;
}

int runHistory(const Invocation& call)
{
    const QString item = call.operands.value(0);
    if (!call.operands.isEmpty() && item.isEmpty())
        return complain(QStringLiteral("history needs an item name; \"\" names none."), Usage);
    PriceListEditor editor(call.priceListPath);
    if (!opened(editor))
        return Refused;
    const PriceHistoryRead read = editor.history(item);
    if (!read.problem.isEmpty())
        return complain(read.problem);
    if (!read.notKept.isEmpty()) {
        complain(read.notKept);
        if (read.changes.isEmpty())
            return Refused;
    }
    if (read.changes.isEmpty()) {
        if (item.isEmpty())
            say(QStringLiteral("No change to the price list at %1 has been recorded yet.")
                    .arg(editor.path()));
        else if (holds(editor, item))
            say(QStringLiteral("No change to \"%1\" has been recorded yet.").arg(item));
        else
            return complain(QStringLiteral("\"%1\" is not in the price list, and no change to "
                                           "it has been recorded.")
                                .arg(item));
        return Done;
    }
    // The item's own history leaves its name out of every line.
    QList<QStringList> rows = {{QStringLiteral("When"), QStringLiteral("Machine"),
                                QStringLiteral("User"), QStringLiteral("Item"),
                                QStringLiteral("Change")}};
    for (const PriceChange& change : read.changes)
        rows << QStringList{change.whenText(), change.machine, change.user, shownName(change.item),
                            change.what()};
    if (!item.isEmpty())
        for (QStringList& row : rows)
            row.removeAt(3);
    sayColumns(rows);
    return Done;
}

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
            .arg(Database::Described(url), ToolName, shellWord(url)));
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

// The shop's details as the printed estimate heads them.
void showShop(const ShopDetails& shop)
{
    const auto shown = [](const QString& value) {
        return value.trimmed().isEmpty() ? QStringLiteral("(not set)") : value;
    };
    const QString name = shop.name.trimmed().isEmpty()
                             ? QStringLiteral("(not set; the printed estimate names Tallowbrook "
                                              "Processing)")
                             : shop.name;
    // An address of several lines is shown under its first.
    QString address = shown(shop.address);
    address.replace(QLatin1Char('\n'), QStringLiteral("\n         "));
    say(QStringLiteral("Name:    %1").arg(name));
    say(QStringLiteral("Address: %1").arg(address));
    say(QStringLiteral("Phone:   %1").arg(shown(shop.phone)));
}

int runShop(const Invocation& call)
{
    const auto connection = std::make_shared<PriceConnection>(StoreLocation(call.priceListPath));
    PriceListEditor editor(connection);
    if (!opened(editor))
        return Refused;
    const ShopDetailsRead read = ShopDetailsStore::Read(*connection);
    if (!read.done())
        return complain(read.problem);
    if (!read.note.isEmpty())
        complain(read.note);
    if (!call.shopName && !call.shopAddress && !call.shopPhone) {
        showShop(read.details);
        return Done;
    }
    ShopDetails shop = read.details;
    shop.name = call.shopName.value_or(shop.name);
    shop.address = call.shopAddress.value_or(shop.address);
    shop.phone = call.shopPhone.value_or(shop.phone);
    const StoreResult saved = ShopDetailsStore::Save(*connection, shop);
    if (!saved.done())
        return complain(saved.problem);
    say(QStringLiteral("Saved the shop's details in %1, for every counter that uses it:")
            .arg(connection->describe()));
    showShop(shop);
    return Done;
}

// The species that the book reports on, in the order of the report.
const QStringList ReportSpecies = {QStringLiteral("Beef"), QStringLiteral("Pork"),
                                   QStringLiteral("Deer")};

// A day written YYYY-MM-DD; no value when the text is not one.
std::optional<QDate> dayOf(const QString& text)
{
    static const QRegularExpression shape(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    if (!shape.match(text).hasMatch())
        return std::nullopt;
    const QDate day = QDate::fromString(text, Qt::ISODate);
    return day.isValid() ? std::optional<QDate>(day) : std::nullopt;
}

// The days and the species that report's options give; no value, and the
// problem in a plain sentence, when they are wrong.
std::optional<ReportRange> reportRange(const Invocation& call, QString* problem)
{
    ReportRange range;
    for (const auto& [option, given, day] :
         {std::tuple{QStringLiteral("--from"), call.from, &range.from},
          std::tuple{QStringLiteral("--to"), call.to, &range.to}}) {
        if (!given)
            continue;
        const std::optional<QDate> read = dayOf(*given);
        if (!read) {
            *problem = QStringLiteral("%1 \"%2\" is not a day: write it as YYYY-MM-DD "
                                      "(2025-03-01 for the 1st of March 2025).")
                           .arg(option, *given);
            return std::nullopt;
        }
        *day = *read;
    }
    if (range.from.isValid() && range.to.isValid() && range.from > range.to) {
        *problem = QStringLiteral("--from %1 is after --to %2, so no day is between them.")
                       .arg(range.from.toString(Qt::ISODate), range.to.toString(Qt::ISODate));
        return std::nullopt;
    }
    if (call.species) {
        for (const QString& species : ReportSpecies)
            if (call.species->trimmed().compare(species, Qt::CaseInsensitive) == 0)
                range.species = species;
        if (range.species.isEmpty()) {
            *problem = QStringLiteral("There is no species \"%1\" in the book: give Beef, Pork "
                                      "or Deer.")
                           .arg(*call.species);
            return std::nullopt;
        }
    }
    return range;
}

// "from 2025-01-01 to 2025-06-30", "every day"; then the species.
QString rangeWords(const ReportRange& range)
{
    const auto day = [](const QDate& d) {
        return d.toString(Qt::ISODate);
    };
    QString days = QStringLiteral("every day");
    if (range.from.isValid() && range.to.isValid())
        days = QStringLiteral("from %1 to %2").arg(day(range.from), day(range.to));
    else if (range.from.isValid())
        days = QStringLiteral("from %1 on").arg(day(range.from));
    else if (range.to.isValid())
        days = QStringLiteral("up to %1").arg(day(range.to));
    return QStringLiteral("%1, %2").arg(
        days, range.species.isEmpty() ? QStringLiteral("every species")
                                      : range.species.toLower() + QStringLiteral(" only"));
}

// A share as a percentage: "60 %", or with one decimal and its sign, "+4.0 %".
QString percentText(double share)
{
    return QStringLiteral("%1 %").arg(std::lround(share * 100));
}
QString signedPercentText(double share)
{
    QString text = QString::number(share * 100, 'f', 1);
    if (text == QLatin1String("-0.0"))
        text = QStringLiteral("0.0");
    else if (!text.startsWith(QLatin1Char('-')) && text != QLatin1String("0.0"))
        text.prepend(QLatin1Char('+'));
    return text + QStringLiteral(" %");
}

// "Paper Wrapp (2), Tenderising (1)": the most often first; "none".
QString servicesText(const QMap<int, int>& counts)
{
    QList<std::pair<int, int>> services; // the service's number, how many bills
    for (auto it = counts.begin(); it != counts.end(); ++it)
        services.append({it.key(), it.value()});
    if (services.isEmpty())
        return QStringLiteral("none");
    std::stable_sort(services.begin(), services.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    QStringList words;
    for (const auto& [number, bills] : services) {
        const QString caption = number >= 0 && number < ServiceCount
                                    ? ServiceCaption(Service(ServiceId(number)))
                                    : QStringLiteral("service %1").arg(number);
        words << QStringLiteral("%1 (%2)").arg(caption).arg(bills);
    }
    return words.join(QStringLiteral(", "));
}

// One species' part of the report.
void showAccuracy(const SpeciesAccuracy& s)
{
    const auto line = [](const QString& label, const QString& value) {
        say(QStringLiteral("  ") + label.leftJustified(28) + value);
    };
    say(s.species);
    line(QStringLiteral("Estimates"), QString::number(s.estimates));
    if (s.billed == 0) {
        say(QStringLiteral("  No final bills yet: there is nothing to compare the quotes with."));
        return;
    }
    line(QStringLiteral("Final bills"),
         QStringLiteral("%1 of %2 (%3)")
             .arg(s.billed)
             .arg(s.estimates)
             .arg(percentText(double(s.billed) / double(std::max(s.estimates, s.billed)))));
    if (s.ratio)
        line(QStringLiteral("Hanging ÷ live weight"),
             QStringLiteral("median %1, 10th to 90th percentile %2 to %3 (%4 weighed)")
                 .arg(RatioText(s.ratio->median), RatioText(s.ratio->low), RatioText(s.ratio->high),
                      counted(s.weighed, QStringLiteral("animal"))));
    else
        line(QStringLiteral("Hanging ÷ live weight"),
             QStringLiteral("nothing weighed: no final bill has a hanging weight weighed after "
                            "the kill"));
    const int compared = int(s.finalOverQuote.size());
    if (compared == 0) {
        line(QStringLiteral("Final bill against quote"),
             QStringLiteral("no final bill has a quote to compare with"));
    } else {
        line(QStringLiteral("Final bill against quote"),
             QStringLiteral("median %1 (%2)")
                 .arg(SignedMoneyText(s.medianDifference),
                      signedPercentText(s.medianDifferenceShare)));
        const auto within = [&](double share) {
            return QStringLiteral("%1 of %2 (%3)")
                .arg(std::lround(share * compared))
                .arg(compared)
                .arg(percentText(share));
        };
        line(QStringLiteral("Within ±5 % of the quote"), within(s.within5));
        line(QStringLiteral("Within ±10 % of the quote"), within(s.within10));
    }
    line(QStringLiteral("Services added"), servicesText(s.added));
    line(QStringLiteral("Services dropped"), servicesText(s.dropped));
}

// Sets each species' range of the hanging weight from its weighed bills, in
// the shop's settings kept with the price list at `store`.
int adoptRatios(const QString& store, const AccuracyReport& report, bool middle, bool forQuotes)
{
    // A price list that cannot be opened refuses the save, when there is
    // anything to save.
    PriceList shop(store);
    const bool opened = shop.open() == PriceList::OpenResult::Opened;
    QList<Adoption> adoptions;
    if (const StoreResult saved = AdoptRanges(shop, report, middle, forQuotes, &adoptions);
        !saved.done())
        return complain(opened ? saved.problem
                               : QStringLiteral("No range was set: %1").arg(shop.openProblem()));
    int set = 0;
    QStringList notSet;
    for (const Adoption& a : adoptions) {
        const QString name = a.species.toLower();
        if (a.outcome == Adoption::TooFew) {
            notSet << QStringLiteral("The %1 range was not set: %2 in the report, and it "
                                     "takes at least %3.")
                          .arg(name, counted(a.weighed, QStringLiteral("weighed animal")))
                          .arg(FewestWeighed);
            continue;
        }
        if (a.outcome == Adoption::NotAllowed) {
            notSet << QStringLiteral("The %1 range measured, %2 to %3, was not set: %4")
                          .arg(name, RatioText(a.setting.low), RatioText(a.setting.high),
                               a.problem);
            continue;
        }
        const QString of = a.species == QLatin1String("Deer") ? QStringLiteral("field-dressed")
                                                              : QStringLiteral("live");
        QString middleWords;
        if (a.setting.middle > 0)
            middleWords = QStringLiteral(", middle %1").arg(RatioText(a.setting.middle));
        if (a.setting.forQuotes && a.setting.middle > 0)
            middleWords += QStringLiteral(", which figures its quotes");
        say(QStringLiteral("Set the %1 hanging weight to %2 to %3 of the %4 weight%5 (the 10th "
                           "to 90th percentile of %6; it was %7 to %8%9).")
                .arg(name, RatioText(a.setting.low), RatioText(a.setting.high), of, middleWords,
                     counted(a.weighed, QStringLiteral("weighed animal")), RatioText(a.before.low),
                     RatioText(a.before.high),
                     a.beforeIsShops ? QString() : QStringLiteral(", the published figures")));
        ++set;
    }
    for (const QString& words : notSet)
        complain(words);
    if (set == 0)
        return complain(report.species.isEmpty()
                            ? QStringLiteral("No range was set: there are no estimates in that "
                                             "range.")
                            : QStringLiteral("No range was set."));
    say(QStringLiteral("Saved with the price list in %1, the same for every counter.")
            .arg(shop.describe()));
    return Done;
}

int runReport(const Invocation& call)
{
    QString problem;
    const std::optional<ReportRange> range = reportRange(call, &problem);
    if (!range)
        return complain(problem, Usage);
    EstimateBook book(EstimateBook::pathBeside(call.priceListPath));
    AccuracyReport report = book.report(*range, &problem);
    if (!problem.isEmpty())
        return complain(problem);
    // Estimates saved before the book kept its figures: filled in from their
    // states first, once.
    if (report.notFigured > 0) {
        const int filled = book.fillFigures(FillBookFigures, &problem);
        if (filled < 0)
            complain(QStringLiteral("%1 saved by an earlier version could not be counted: their "
                                    "figures could not be filled in. %2")
                         .arg(counted(report.notFigured, QStringLiteral("estimate")), problem));
        else if (const AccuracyReport again = book.report(*range, &problem); problem.isEmpty())
            report = again;
        else
            return complain(problem);
    }
    say(QStringLiteral("Quotes against final bills, %1: the saved estimates in the %2.")
            .arg(rangeWords(*range), book.location().isServer()
                                         ? book.location().described()
                                         : QStringLiteral("file %1").arg(book.path())));
    if (report.species.isEmpty()) {
        const QString estimates =
            range->species.isEmpty() ? QStringLiteral("estimates of beef, pork or deer")
                                     : QStringLiteral("%1 estimates").arg(range->species.toLower());
        say(range->from.isValid() || range->to.isValid()
                ? QStringLiteral("No %1 were saved in that range.").arg(estimates)
                : QStringLiteral("No %1 have been saved yet.").arg(estimates));
    }
    for (const SpeciesAccuracy& s : report.species) {
        say(QString());
        showAccuracy(s);
    }
    if (report.species.size() > 1) {
        say(QString());
        say(QStringLiteral("In all: %1, %2.")
                .arg(counted(report.estimates, QStringLiteral("estimate")),
                     counted(report.billed, QStringLiteral("final bill"))));
    }
    if (report.notFigured > 0)
        say(QStringLiteral("Not counted: %1 saved by an earlier version.")
                .arg(counted(report.notFigured, QStringLiteral("estimate"))));
    if (!call.adopt)
        return Done;
    say(QString());
    return adoptRatios(call.priceListPath, report, call.middle, call.forQuotes);
}

// The program and its version, as a backup's manifest names them.
QString programWords()
{
    return QStringLiteral("%1 %2").arg(ToolName, QCoreApplication::applicationVersion());
}

// "57 rows of the price list and 12 saved estimates".
QString heldWords(const BackupRestore::Manifest& backup)
{
    return QStringLiteral("%1 of the price list and %2")
        .arg(counted(int(backup.rowsOf(QStringLiteral("Charges1"))), QStringLiteral("row")),
             counted(int(backup.rowsOf(QStringLiteral("Estimates"))),
                     QStringLiteral("saved estimate")));
}

int runBackup(const Invocation& call)
{
    const BackupRestore::Outcome made =
        BackupRestore::Backup(call.priceListPath, call.operands[0], programWords());
    if (!made.done())
        return complain(made.problem);
    say(QStringLiteral("Backed up %1 of %2 in %3.")
            .arg(heldWords(made.manifest), made.manifest.from, made.folder));
    return Done;
}

int runRestore(const Invocation& call)
{
    const BackupRestore::Outcome checked = BackupRestore::Check(call.operands[0]);
    if (!checked.done())
        return complain(QStringLiteral("%1 Nothing was changed.").arg(checked.problem));
    const BackupRestore::Manifest& backup = checked.manifest;
    const QString target =
        Database::IsServerUrl(call.priceListPath)
            ? QStringLiteral("the %1").arg(Database::Described(call.priceListPath))
            : Database::Described(call.priceListPath);
    const QString replacing =
        QStringLiteral("The price list and the saved estimates of %1 are to be replaced by the "
                       "backup in %2 (%3, made %4 from %5); what they hold now is kept first as "
                       "a backup of its own.")
            .arg(target, checked.folder, heldWords(backup),
                 backup.made.toString(QStringLiteral("yyyy-MM-dd HH:mm")), backup.from);
    if (!call.confirmedRemove) {
        if (!::isatty(STDIN_FILENO))
            return complain(QStringLiteral("Nothing was restored. %1 To restore it, add --yes: %2")
                                .arg(replacing, againWith(call, QStringLiteral("--yes"))));
        if (!askedYes(QStringLiteral("%1 Restore it?").arg(replacing)))
            return complain(QStringLiteral("Nothing was restored."));
    }
    const BackupRestore::Outcome restored =
        BackupRestore::Restore(call.operands[0], call.priceListPath, programWords());
    if (!restored.folder.isEmpty())
        say(QStringLiteral("Kept what %1 held before in %2.").arg(target, restored.folder));
    if (!restored.done())
        return complain(restored.problem);
    say(QStringLiteral("Restored %1 to %2.").arg(heldWords(backup), target));
    return Done;
}

int runHelp(const Invocation& call);

const Command Commands[] = {
    {"list", "list", "Shows every item with its cost and category.",
     "Shows the rows of the price list in their stored order, in columns: the item name\n"
     "exactly as the program looks it up, the cost in dollars (per pound or flat), and\n"
     "the category. When a name is there twice, the program uses the row stored first;\n"
     "the later ones are marked as not used. A name longer than {shown} characters is shown\n"
     "cut, ending in …; export writes it whole.\n"
     "\n"
     "Example:\n"
     "  locker-pricelist list\n",
     0, 0, runList},
    {"set", "set ITEM COST [--category TEXT] [--new]",
     "Sets the cost of an item, adding it when missing.",
     "Sets the cost of every row named ITEM, or adds a row when there is none. COST is\n"
     "an amount of money from 0 to 100,000, with at most four decimals (0.37, 17,\n"
     "2.125). A row keeps its category unless --category gives one; a new row gets\n"
     "the category TEXT or, without it, \"{category}\".\n"
     "Put an item name with blanks in quotes; it is kept exactly, capitals, blanks\n"
     "and punctuation included. It cannot begin or end with a blank or hold a tab,\n"
     "a line break, an invisible character or a space other than the plain blank.\n"
     "A new name that differs from one already there, or from one the program looks\n"
     "up, only by capitals or blanks is refused (\"did you mean ...?\"): the program\n"
     "would go on charging the old price. --new adds it anyway.\n"
     "\n"
     "Examples:\n"
     "  locker-pricelist set Processing 0.39\n"
     "  locker-pricelist set \"Paper Wrapp\" 0.49\n"
     "  locker-pricelist set \"Snack Sticks\" 3.25 --category Sausage\n",
     2, 2, runSet},
    {"remove", "remove ITEM [--yes]", "Removes every row of an item.",
     "Removes every row named ITEM. It is an error when there is none.\n"
     "The program refuses the services that need a price that is not there: before it\n"
     "removes an item that the program looks up, the tool says what will stop working\n"
     "and asks (y/N). When it cannot ask (not run from a terminal), it refuses unless\n"
     "--yes is given.\n"
     "\n"
     "Example:\n"
     "  locker-pricelist remove \"Snack Sticks\"\n",
     1, 1, runRemove},
    {"export", "export FILE.csv", "Writes the price list to a CSV file.",
     "Writes every row to FILE.csv (UTF-8), a header line Item,Cost,Category first,\n"
     "costs with at least two decimals. A spreadsheet opens it; an existing FILE.csv\n"
     "is replaced only once the new one is written whole (a link to a file is\n"
     "followed). A name or category that begins with =, +, -, @, a tab or a carriage\n"
     "return gets an apostrophe in front, so that a spreadsheet shows it and never\n"
     "runs it as a formula; import takes that apostrophe away again.\n"
     "\n"
     "Example:\n"
     "  locker-pricelist export prices.csv\n",
     1, 1, runExport},
    {"import", "import FILE.csv [--new]", "Adds or changes the items of a CSV file, all or none.",
     "Reads FILE.csv (UTF-8, commas between the columns, a header line\n"
     "Item,Cost,Category, then one item a line; at most 50 MB, no line over 10,000\n"
     "characters) and sets each item as set does: its cost, and its category when the\n"
     "Category field is not empty. Items that are not in the file stay as they are.\n"
     "Every line is checked first: a bad line is named by its number and nothing is\n"
     "changed. New names that only look like existing ones are refused as set\n"
     "refuses them; --new adds them anyway. The whole import is saved at once or not\n"
     "at all.\n"
     "\n"
     "Example:\n"
     "  locker-pricelist export prices.csv\n"
     "  (edit prices.csv in a spreadsheet, save it as CSV)\n"
     "  locker-pricelist import prices.csv\n",
     1, 1, runImport},
    {"history", "history [ITEM]", "Shows the recorded changes of the prices, newest first.",
     "Shows every recorded change of the price list, or of ITEM only, newest first, one a\n"
     "line: when (this machine's time), the machine and the user that made it, the\n"
     "item, and what changed (\"Cost 17.00 → 18.50\", added, removed, a new\n"
     "category). Every change is recorded, whether made with this tool, in the Price\n"
     "List window or by an import; on a server, whatever program made it. A renamed\n"
     "item shows as the old name removed and the new one added. A file records its\n"
     "changes from the first one made by this version on; a server from the time\n"
     "init --database made or brought up its tables.\n"
     "\n"
     "Examples:\n"
     "  locker-pricelist history\n"
     "  locker-pricelist history \"Paper Wrapp\"\n",
     0, 1, runHistory},
    {"init", "init [PATH | --from FILE] [--clerk-role NAME] [--owner-role NAME]",
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
     0, 1, runInit},
    {"shop", "shop [--name NAME] [--address TEXT] [--phone TEXT]",
     "Shows or sets the shop's name, address and phone.",
     "Without options, shows the shop's name, address and phone, which head every\n"
     "printed estimate. --name, --address and --phone set the ones given and keep\n"
     "the others; an empty value (\"\") clears one. Until a name is set, the printed\n"
     "estimate names Tallowbrook Processing. They are kept with the price list (the\n"
     "file, or the server), so every counter that uses it prints the same. Details\n"
     "that an earlier version kept in {shopfile}\n"
     "are moved there at the first use, and taken out of that file.\n"
     "\n"
     "Examples:\n"
     "  locker-pricelist shop\n"
     "  locker-pricelist shop --name \"Mill Creek Lockers\" --phone \"555-0142\"\n"
     "  locker-pricelist shop --address \"12 Mill Road, Tallowbrook\"\n",
     0, 0, runShop},
    {"report",
     "report [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--species Beef|Pork|Deer] [--adopt "
     "[--middle [--use-for-quotes]]]",
     "Tells how near the quotes came to the final bills.",
     "Reads the saved estimates kept with the price list (the Estimates.db beside the\n"
     "file, or the same server) and tells, for each species: how many estimates were\n"
     "saved and how many reached a final bill; the hanging weight weighed after the\n"
     "kill as a share of the live (or field-dressed) weight, its median and its 10th\n"
     "to 90th percentile; the final bill against the quote (the median difference in\n"
     "money and percent, the share within 5 % and within 10 % of the quote); and the\n"
     "services added or dropped between the quote and the final bill. --from and --to\n"
     "take the days the estimates were first saved, both included; --species one\n"
     "species. Estimates saved by an earlier version get their figures filled in\n"
     "first.\n"
     "\n"
     "--adopt then sets the shop's range of the hanging weight for each species with\n"
     "at least {fewest} weighed animals in the report (an animal sold in shares counts\n"
     "once): the measured 10th to 90th percentile, to two decimals as the report\n"
     "prints it, which the likely range of every quote uses. With --middle, the\n"
     "median is set too, as the measured middle (without it, a middle set before\n"
     "stays); with --use-for-quotes as well, new quotes figure the hanging weight at\n"
     "that middle instead of the screen's own share of the live weight (a saved\n"
     "estimate keeps the share it was quoted with). A range outside {lowest} to\n"
     "{highest} of the live weight is refused. They are kept with the price list,\n"
     "the same for every counter, and a backup carries them.\n"
     "\n"
     "Examples:\n"
     "  locker-pricelist report\n"
     "  locker-pricelist report --from 2025-01-01 --to 2025-12-31 --species Beef\n"
     "  locker-pricelist report --from 2025-01-01 --adopt --middle\n"
     "  locker-pricelist report --adopt --middle --use-for-quotes\n",
     0, 0, runReport},
    {"backup", "backup FOLDER", "Writes a backup of the price list and the saved estimates.",
     "Writes the price list and the saved estimates, as they were at one moment, into\n"
     "FOLDER (made when missing): Lockers.db and Estimates.db, the same files as a\n"
     "counter keeps, which any SQLite program opens (--pricelist FOLDER/Lockers.db\n"
     "uses the backup as it is), and Backup.txt, which tells when, from where and by\n"
     "which version it was made and how many rows each table holds. From a server,\n"
     "every table is read in one snapshot. A folder that holds a backup already, or a\n"
     "file of those names, is refused. The backup appears whole or not at all.\n"
     "\n"
     "Examples:\n"
     "  locker-pricelist backup /media/usb/lockers-2025-03-01\n"
     "  locker-pricelist --database postgresql://locker@shop-office/locker backup \\\n"
     "      ~/lockers-2025-03-01\n",
     1, 1, runBackup},
    {"restore", "restore FOLDER [--yes]",
     "Puts a backup back in place of the price list and the saved estimates.",
     "Checks the backup in FOLDER whole first: its Backup.txt, its files as they were\n"
     "written, SQLite's own check, the tables and columns, the rows counted and the\n"
     "version of the saved estimates. A damaged backup, or a folder that is not one,\n"
     "is refused, and nothing is changed. Then it asks (y/N; --yes does not ask, and\n"
     "without a terminal it refuses unless --yes is given), keeps what is there now as\n"
     "a backup of its own (the folder \"Before restore DATE TIME\" beside the price\n"
     "list file, or in the current folder for a server: restore it to undo), and puts\n"
     "the backup in place: files are replaced whole (close Locker Estimate on this\n"
     "machine first); a server in one transaction, which the counters see at once.\n"
     "Every estimate keeps its number, times and revision. A backup made from a server\n"
     "can be restored into files, and one made from files onto a server.\n"
     "\n"
     "Examples:\n"
     "  locker-pricelist restore /media/usb/lockers-2025-03-01\n"
     "  locker-pricelist --database postgresql://locker@shop-office/locker restore \\\n"
     "      ~/lockers-2025-03-01\n",
     1, 1, runRestore},
    {"help", "help [COMMAND]", "Shows this help, or the help of one command.", "", 0, 1, runHelp},
};

const Command* findCommand(const QString& name)
{
    for (const Command& command : Commands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

QString toolHelp()
{
    QString text;
    QTextStream s(&text);
    s << "Usage: " << ToolName << " [--pricelist PATH | --database URL] COMMAND [ARGUMENTS]\n\n"
      << "Keeps the shop's price list current: the file, or the server, from which Locker\n"
      << "Estimate takes its prices.\n\nCommands:\n";
    for (const Command& command : Commands) {
        // A synopsis too long for its column puts the summary on a line of its own.
        const QString synopsis = QString::fromLatin1(command.synopsis);
        s << "  " << synopsis;
        if (synopsis.size() >= 34)
            s << '\n' << QString(36, QLatin1Char(' '));
        else
            s << QString(34 - synopsis.size(), QLatin1Char(' '));
        s << command.summary << '\n';
    }
    const QString setting = DatabaseSetting();
    s << "\nOptions:\n"
      << "  --pricelist PATH                  The price list file; without it:\n"
      << "                                    "
      << (setting.isEmpty() ? PriceList::defaultPath()
                            : QStringLiteral("the server %1 (see --database)").arg(setting))
      << "\n"
      << "  --database URL                    The PostgreSQL server that keeps the price\n"
      << "                                    list and the saved estimates of every counter:\n"
      << "                                    postgresql://user@host:port/database\n"
      << "                                    (the password never in it: in ~/.pgpass or\n"
      << "                                    PGPASSWORD). Without --database and\n"
      << "                                    --pricelist, the server set under \"database\"\n"
      << "                                    in " << ShopSettingsPath() << ",\n"
      << "                                    when set.\n"
      << "  --from FILE                       With init --database: the price list file to\n"
      << "                                    copy to the server, with its Estimates.db.\n"
      << "  --clerk-role, --owner-role NAME   With init --database: the roles to make for\n"
      << "                                    the clerks' logins and for the owner's.\n"
      << "  --from, --to YYYY-MM-DD           With report: the first and the last day.\n"
      << "  --species Beef|Pork|Deer          With report: one species only.\n"
      << "  --adopt                           With report: set the shop's ranges of the\n"
      << "                                    hanging weight from the weighed bills.\n"
      << "  --middle                          With --adopt: set the measured middle too.\n"
      << "  --use-for-quotes                  With --middle: new quotes figure the hanging\n"
      << "                                    weight at the measured middle.\n"
      << "  -h, --help                        This help; after a command, its help.\n"
      << "  --new                             With set and import: add a new name that\n"
      << "                                    looks like one already there.\n"
      << "  --yes                             With remove: remove an item that the\n"
      << "                                    program looks up, without asking. With\n"
      << "                                    restore: restore without asking.\n"
      << "  --name, --address, --phone TEXT   With shop: the shop's details to set.\n"
      << "  --version                         The version.\n"
      << "  --                                Ends the options (for an item name that\n"
      << "                                    starts with -).\n\n"
      << "Exit status: 0 when done, 1 when a value or a file refused the work (nothing is\n"
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
    details.replace(QLatin1String("{lowest}"), NumberText(LowestRatio));
    details.replace(QLatin1String("{highest}"), NumberText(HighestRatio));
    return QStringLiteral("Usage: %1 [--pricelist PATH | --database URL] %2\n\n%3")
        .arg(ToolName, QString::fromLatin1(command.synopsis), details);
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
                            .arg(call.operands[0], ToolName),
                        Usage);
    out() << commandHelp(*command);
    out().flush();
    return Done;
}

// Reads the arguments; the problem in `problem` when they are wrong.
Invocation parse(const QStringList& arguments, QString* problem)
{
    Invocation call;
    bool optionsEnded = false;
    QStringList operands;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (optionsEnded || arg.size() < 2 || !arg.startsWith(QLatin1Char('-')) ||
            StrictNumber(arg)) {
            operands << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            call.help = true;
        } else if (arg == QLatin1String("--version")) {
            call.version = true;
        } else if (arg == QLatin1String("--new")) {
            call.confirmedNew = true;
        } else if (arg == QLatin1String("--yes")) {
            call.confirmedRemove = true;
        } else if (arg == QLatin1String("--adopt")) {
            call.adopt = true;
        } else if (arg == QLatin1String("--middle")) {
            call.middle = true;
        } else if (arg == QLatin1String("--use-for-quotes")) {
            call.forQuotes = true;
        } else if (const QString name = arg.section(QLatin1Char('='), 0, 0);
                   name == QLatin1String("--pricelist") || name == QLatin1String("--database") ||
                   name == QLatin1String("--from") || name == QLatin1String("--category") ||
                   name == QLatin1String("--name") || name == QLatin1String("--address") ||
                   name == QLatin1String("--phone") || name == QLatin1String("--to") ||
                   name == QLatin1String("--species") || name == QLatin1String("--clerk-role") ||
                   name == QLatin1String("--owner-role")) {
            const int equals = int(arg.indexOf(QLatin1Char('=')));
            QString value;
            if (equals >= 0) {
                value = arg.mid(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                *problem = QStringLiteral("%1 needs a value.").arg(name);
                return call;
            }
            if (name == QLatin1String("--pricelist")) {
                if (value.isEmpty()) {
                    *problem = QStringLiteral("--pricelist needs a path.");
                    return call;
                }
                call.priceListPath = value;
                call.priceListGiven = true;
            } else if (name == QLatin1String("--database")) {
                if (value.isEmpty()) {
                    *problem = QStringLiteral("--database needs a server address.");
                    return call;
                }
                call.databaseUrl = value;
                call.databaseGiven = true;
            } else if (name == QLatin1String("--from")) {
                call.from = value; // a file or a day: the command that takes it checks it
            } else if (name == QLatin1String("--to")) {
                call.to = value;
            } else if (name == QLatin1String("--species")) {
                call.species = value;
            } else if (name == QLatin1String("--name")) {
                call.shopName = value;
            } else if (name == QLatin1String("--address")) {
                call.shopAddress = value;
            } else if (name == QLatin1String("--phone")) {
                call.shopPhone = value;
            } else if (name == QLatin1String("--clerk-role")) {
                call.clerkRole = value;
            } else if (name == QLatin1String("--owner-role")) {
                call.ownerRole = value;
            } else {
                call.category = value;
            }
        } else {
            *problem = QStringLiteral("Unknown option %1.").arg(arg);
            return call;
        }
    }
    if (!operands.isEmpty())
        call.command = operands.takeFirst();
    call.operands = operands;
    return call;
}

QString operandsProblem(const Command& command, int given)
{
    const QString name = QString::fromLatin1(command.name);
    const QString synopsis = QString::fromLatin1(command.synopsis);
    if (given < command.minOperands)
        return QStringLiteral("%1 is missing an argument. Usage: %2 %3")
            .arg(name, ToolName, synopsis);
    QString problem =
        QStringLiteral("%1 takes fewer arguments. Usage: %2 %3").arg(name, ToolName, synopsis);
    if (command.run == runSet || command.run == runRemove || command.run == runHistory)
        problem +=
            QStringLiteral(". Put an item name with blanks in quotes: %1 %2 \"Paper "
                           "Wrapp\"%3")
                .arg(ToolName, name, command.run == runSet ? QStringLiteral(" 0.49") : QString());
    return problem;
}

} // namespace

int main(int argc, char* argv[])
{
    // Past the file size limit a write fails and is told, rather than ending
    // the tool half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    app.setApplicationName(ToolName);
    app.setApplicationVersion(QStringLiteral(LOCKER_VERSION));

    QString problem;
    Invocation call = parse(app.arguments(), &problem);
    if (!problem.isEmpty())
        return complain(problem + QStringLiteral(" %1 --help shows how to use it.").arg(ToolName),
                        Usage);
    if (call.version) {
        say(QStringLiteral("%1 %2").arg(ToolName, app.applicationVersion()));
        return Done;
    }
    if (call.command.isEmpty()) {
        if (call.help)
            return runHelp(call);
        err() << toolHelp();
        return complain(QStringLiteral("No command given."), Usage);
    }
    const Command* command = findCommand(call.command);
    if (!command)
        return complain(QStringLiteral("There is no command \"%1\". %2 --help lists them.")
                            .arg(call.command, ToolName),
                        Usage);
    if (call.help) {
        out() << commandHelp(*command);
        out().flush();
        return Done;
    }
    if (call.category && command->run != runSet)
        return complain(QStringLiteral("--category goes with set only."), Usage);
    if (call.confirmedNew && command->run != runSet && command->run != runImport)
        return complain(QStringLiteral("--new goes with set and import only."), Usage);
    if (call.confirmedRemove && command->run != runRemove && command->run != runRestore)
        return complain(QStringLiteral("--yes goes with remove and restore only."), Usage);
    if ((call.shopName || call.shopAddress || call.shopPhone) && command->run != runShop)
        return complain(QStringLiteral("--name, --address and --phone go with shop only."), Usage);
    if (call.databaseGiven) {
        if (call.priceListGiven)
            return complain(QStringLiteral("--database and --pricelist cannot be used together: "
                                           "the price list is on the server or in a file."),
                            Usage);
        QString urlProblem;
        if (!Database::ParseServerUrl(call.databaseUrl, &urlProblem))
            return complain(urlProblem, Usage);
        if (command->run == runInit && !call.operands.isEmpty())
            return complain(QStringLiteral("init --database makes the tables on the server; it "
                                           "takes no PATH (--from FILE copies a price list file)."),
                            Usage);
    }
    if (call.clerkRole || call.ownerRole) {
        if (command->run != runInit || !call.databaseGiven)
            return complain(QStringLiteral("--clerk-role and --owner-role go with init --database "
                                           "only: the roles are made on the server."),
                            Usage);
        for (const std::optional<QString>& role : {call.clerkRole, call.ownerRole})
            if (role)
                if (const QString roleProblem = ServerSetup::RoleNameProblem(*role);
                    !roleProblem.isEmpty())
                    return complain(roleProblem, Usage);
        if (call.clerkRole == call.ownerRole)
            return complain(QStringLiteral("--clerk-role and --owner-role name two roles: the "
                                           "clerks' may not change the prices, the owner's may."),
                            Usage);
    }
    if ((call.to || call.species || call.adopt || call.middle || call.forQuotes) &&
        command->run != runReport)
        return complain(QStringLiteral("--to, --species, --adopt, --middle and --use-for-quotes "
                                       "go with report only."),
                        Usage);
    if (call.middle && !call.adopt)
        return complain(QStringLiteral("--middle goes with --adopt: it sets the measured middle "
                                       "beside the range that --adopt sets."),
                        Usage);
    if (call.forQuotes && !call.middle)
        return complain(QStringLiteral("--use-for-quotes goes with --adopt --middle: the quotes "
                                       "figure the hanging weight at the measured middle."),
                        Usage);
    if (call.from && command->run != runReport) {
        if (command->run != runInit || !call.databaseGiven)
            return complain(
                QStringLiteral(
                    "--from goes with init --database (a file) and report (a day) only."),
                Usage);
        if (call.from->isEmpty())
            return complain(QStringLiteral("--from needs the path of a price list file."), Usage);
        if (Database::IsServerUrl(*call.from))
            return complain(QStringLiteral("--from names a price list file (Lockers.db), not a "
                                           "server."),
                            Usage);
    }
    if (command->run == runReport) {
        QString rangeProblem;
        if (!reportRange(call, &rangeProblem))
            return complain(rangeProblem, Usage);
    }
    const int given = int(call.operands.size());
    if (given < command->minOperands || given > command->maxOperands)
        return complain(operandsProblem(*command, given), Usage);
    // Without --pricelist and --database, the machine's server when it has one.
    const bool usesPriceList = command->run != runInit && command->run != runHelp;
    const PriceList::Choice store = PriceList::choose(
        call.databaseGiven ? std::optional<QString>(call.databaseUrl) : std::nullopt,
        call.priceListGiven ? std::optional<QString>(call.priceListPath) : std::nullopt,
        usesPriceList);
    if (!store.settingProblem.isEmpty())
        return complain(store.settingProblem);
    call.priceListPath = store.location;
    const bool takesFile =
        command->run == runExport || command->run == runImport || command->run == runInit;
    if (takesFile && given > 0 && call.operands[0].isEmpty())
        return complain(QStringLiteral("%1 needs a file name; \"\" names no file.")
                            .arg(QString::fromLatin1(command->name)),
                        Usage);
    if ((command->run == runBackup || command->run == runRestore) && call.operands[0].isEmpty())
        return complain(QStringLiteral("%1 needs a folder; \"\" names none.")
                            .arg(QString::fromLatin1(command->name)),
                        Usage);
    return command->run(call);
}
