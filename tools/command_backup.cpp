#include "tools/backup_restore.h"
#include "tools/tool.h"

#include <QCoreApplication>

namespace Tool {

// The program and its version, as a backup's manifest names them.
QString programWords()
{
    return QStringLiteral("%1 %2").arg(Name, QCoreApplication::applicationVersion());
}

// "57 rows of the price list and 12 saved estimates".
QString heldWords(const BackupRestore::Manifest& backup)
{
    return QStringLiteral("%1 of the price list and %2")
        .arg(counted(int(backup.rowsOf(QStringLiteral("Charges1"))), QStringLiteral("row")),
             counted(int(backup.rowsOf(QStringLiteral("Estimates"))),
                     QStringLiteral("saved estimate")));
}

namespace {

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

QString checkFolder(const Invocation& call)
{
    return namesNothing(call, QStringLiteral("a folder"));
}

} // namespace

const Command& BackupCommand()
{
    static const Command command{
        "backup",
        "backup FOLDER",
        "Writes a backup of the price list and the saved estimates.",
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
        1,
        1,
        {},
        false,
        checkFolder,
        runBackup};
    return command;
}

} // namespace Tool
