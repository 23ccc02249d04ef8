#include "pricelist/price_history.h"
#include "pricelist/price_list_editor.h"
#include "tools/tool.h"

namespace Tool {

namespace {

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

} // namespace

const Command& HistoryCommand()
{
    static const Command command{
        "history",
        "history [ITEM]",
        "Shows the recorded changes of the prices, newest first.",
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
        0,
        1,
        {},
        true,
        nullptr,
        runHistory};
    return command;
}

} // namespace Tool
