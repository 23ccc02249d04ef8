#include "pricelist/price_list_editor.h"
#include "tools/tool.h"

namespace Tool {

namespace {

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

QString checkFile(const Invocation& call)
{
    return namesNothing(call, QStringLiteral("a file name"));
}

} // namespace

const Command& ExportCommand()
{
    static const Command command{
        "export",
        "export FILE.csv",
        "Writes the price list to a CSV file.",
        "Writes every row to FILE.csv (UTF-8), a header line Item,Cost,Category first,\n"
        "costs with at least two decimals. A spreadsheet opens it; an existing FILE.csv\n"
        "is replaced only once the new one is written whole (a link to a file is\n"
        "followed). A name or category that begins with =, +, -, @, a tab or a carriage\n"
        "return gets an apostrophe in front, so that a spreadsheet shows it and never\n"
        "runs it as a formula; import takes that apostrophe away again.\n"
        "\n"
        "Example:\n"
        "  locker-pricelist export prices.csv\n",
        1,
        1,
        {},
        false,
        checkFile,
        runExport};
    return command;
}

} // namespace Tool
