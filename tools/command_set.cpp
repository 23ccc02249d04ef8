#include "core/numbers.h"
#include "pricelist/price_list_editor.h"
#include "tools/tool.h"

namespace Tool {

namespace {

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
        return notDone(result);
    const QString money = PriceListEditor::moneyText(cost.trimmed());
    if (result.added > 0)
        say(QStringLiteral("Added \"%1\" at %2 (category \"%3\").")
                .arg(item, money, call.category.value_or(PriceListEditor::DefaultCategory)));
    else
        say(QStringLiteral("\"%1\" now costs %2 (%3 changed).")
                .arg(item, money, counted(result.changed, QStringLiteral("row"))));
    return Done;
}

} // namespace

const Command& SetCommand()
{
    static const Command command{
        "set",
        "set ITEM COST [--category TEXT] [--new]",
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
        2,
        2,
        {QStringLiteral("category"), QStringLiteral("new")},
        true,
        nullptr,
        runSet};
    return command;
}

} // namespace Tool
