#include "pricelist/item_names.h"
#include "pricelist/price_list_editor.h"
#include "tools/tool.h"

#include <unistd.h>

namespace Tool {

namespace {

int runRemove(const Invocation& call)
{
    const QString& item = call.operands[0];
    PriceListEditor editor(call.priceListPath);
    if (!opened(editor))
        return Refused;
    // An item that the program looks up: what stops working is said first.
    const QString use = ItemNames::usedFor(item);
    if (!use.isEmpty() && !call.confirmedYes && holds(editor, item)) {
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
        return notDone(result);
    say(QStringLiteral("Removed \"%1\" (%2).")
            .arg(item, counted(result.removed, QStringLiteral("row"))));
    return Done;
}

} // namespace

const Command& RemoveCommand()
{
    static const Command command{
        "remove",
        "remove ITEM [--yes]",
        "Removes every row of an item.",
        "Removes every row named ITEM. It is an error when there is none.\n"
        "The program refuses the services that need a price that is not there: before it\n"
        "removes an item that the program looks up, the tool says what will stop working\n"
        "and asks (y/N). When it cannot ask (not run from a terminal), it refuses unless\n"
        "--yes is given.\n"
        "\n"
        "Example:\n"
        "  locker-pricelist remove \"Snack Sticks\"\n",
        1,
        1,
        {QStringLiteral("yes")},
        true,
        nullptr,
        runRemove};
    return command;
}

} // namespace Tool
