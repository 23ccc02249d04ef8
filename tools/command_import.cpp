#include "pricelist/price_list_editor.h"
#include "tools/tool.h"

namespace Tool {

namespace {

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
        return notDone(result);
    say(QStringLiteral("Imported %1: %2 added, %3 changed.")
            .arg(file, counted(result.added, QStringLiteral("item")),
                 counted(result.changed, QStringLiteral("row"))));
    return Done;
}

QString checkFile(const Invocation& call)
{
    return namesNothing(call, QStringLiteral("a file name"));
}

} // namespace

const Command& ImportCommand()
{
    static const Command command{
        "import",
        "import FILE.csv [--new]",
        "Adds or changes the items of a CSV file, all or none.",
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
        1,
        1,
        {QStringLiteral("new")},
        false,
        checkFile,
        runImport};
    return command;
}

} // namespace Tool
