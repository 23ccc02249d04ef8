#pragma once

// What the commands of the price list tool share: how a command is declared
// (its name, usage, options and checks), the command line as it was read, and
// how the tool speaks. Each command is in a file of its own (command_*.cpp);
// locker_pricelist.cpp reads the command line and runs the command.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

class PriceListEditor;
struct EditResult;
namespace BackupRestore {
struct Manifest;
}

namespace Tool {

enum Exit { Done = 0, Refused = 1, Usage = 2 };

extern const QString Name; // "locker-pricelist"

QTextStream& out();
QTextStream& err();
// A line on the standard output.
void say(const QString& text);
// A line on the standard error, after the tool's name; gives `status`.
int complain(const QString& text, int status = Refused);

// "1 row", "3 rows".
QString counted(int n, const QString& thing);
// A word as it would be typed in a shell.
QString shellWord(const QString& word);

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
    std::optional<QString> to;      // --to: with report and bookings, the last day
    std::optional<QString> state;   // --state: with bookings, the one state
    std::optional<QString> species; // --species: with report, the one species
    bool adopt = false;             // --adopt: report sets the shop's hanging-weight ranges
    bool middle = false;            // --middle: with --adopt, the measured middle too
    bool forQuotes = false;         // --use-for-quotes: with --middle, the quotes figure with it
    bool adoptYields = false;       // --adopt-yields: report sets the shop's yields of meat
    std::optional<QString> category;
    bool confirmedNew = false; // --new: a name that looks like another one is meant
    bool confirmedYes = false; // --yes: remove an item the program looks up; restore
    // --name, --address, --phone: the shop's details to set.
    std::optional<QString> shopName, shopAddress, shopPhone;
    // --clerk-role, --owner-role: with init --database, the roles to make.
    std::optional<QString> clerkRole, ownerRole;
};

// A command: its name and usage, what --help tells of it, how many arguments
// it takes, the options it takes beside --pricelist, --database and --help
// (by their long names), what it checks of the command line before anything
// is opened (a problem of usage, or empty), and the command itself.
struct Command {
    const char* name;
    const char* synopsis;
    const char* summary;
    const char* details; // {category}, {shown}, ... stand for values the help fills in
    int minOperands = 0;
    int maxOperands = 0; // -1: any number
    QStringList options;
    // Its argument is an item name: one with blanks must be quoted.
    bool takesItem = false;
    QString (*check)(const Invocation& call) = nullptr;
    int (*run)(const Invocation& call) = nullptr;
};

// The commands, in the order --help lists them.
const Command& ListCommand();
const Command& SetCommand();
const Command& RemoveCommand();
const Command& ExportCommand();
const Command& ImportCommand();
const Command& HistoryCommand();
const Command& InitCommand();
const Command& ShopCommand();
const Command& ReportCommand();
const Command& BackupCommand();
const Command& RestoreCommand();
const Command& BookingsCommand();
const Command& CapacityCommand();
const Command& CutSheetCommand();

// Opens the price list, or says why it cannot be used.
bool opened(PriceListEditor& editor);

// The most characters of a name that a column shows: a longer one (stored
// by an earlier version or another program) is cut with an ellipsis, so that
// it does not push every other row out of line. export gives it whole.
constexpr int ShownNameWidth = 40;
QString shownName(const QString& name);
// Rows of text in columns two blanks apart, each as wide as its widest cell;
// the last column as it is.
void sayColumns(const QList<QStringList>& rows);

// Whether the price list holds the item (exactly).
bool holds(PriceListEditor& editor, const QString& item);
// Asks the owner at the terminal; true for yes.
bool askedYes(const QString& question);
// The words that tell the owner how to confirm: the command again with the
// option added.
QString againWith(const Invocation& call, const QString& option);
// A refused look-alike name, with how to add it anyway.
int refuseLookAlike(const Invocation& call, const EditResult& result);
// A change not done, told: one whose answer was lost, with how to see
// whether the server kept it.
int notDone(const EditResult& result);

// The species by their keys: Beef, Pork and Deer.
const QStringList& SpeciesKeys();

// The days that --from and --to give (each left as it is when not given);
// false, and the problem in a plain sentence, when one is not a day or they
// hold no day between them.
bool givenDays(const Invocation& call, QDate* from, QDate* to, QString* problem);

// An empty argument that should name a file or a folder: the problem, or empty.
QString namesNothing(const Invocation& call, const QString& what);

// The program and its version, as a backup's manifest names them; and
// "57 rows of the price list and 12 saved estimates".
QString programWords();
QString heldWords(const BackupRestore::Manifest& backup);

} // namespace Tool
