#include "store/database.h"
#include "tools/backup_restore.h"
#include "tools/tool.h"

#include <QCoreApplication>
#include <unistd.h>

namespace Tool {

namespace {

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
    if (!call.confirmedYes) {
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

QString checkFolder(const Invocation& call)
{
    return namesNothing(call, QStringLiteral("a folder"));
}

} // namespace

const Command& RestoreCommand()
{
    static const Command command{
        "restore",
        "restore FOLDER [--yes]",
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
        1,
        1,
        {QStringLiteral("yes")},
        false,
        checkFolder,
        runRestore};
    return command;
}

} // namespace Tool
