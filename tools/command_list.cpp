#include "pricelist/price_list_editor.h"
#include "tools/tool.h"

#include <QSet>
#include <algorithm>

namespace Tool {

namespace {

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

} // namespace

const Command& ListCommand()
{
    static const Command command{
        "list",
        "list",
        "Shows every item with its cost and category.",
        "Shows the rows of the price list in their stored order, in columns: the item name\n"
        "exactly as the program looks it up, the cost in dollars (per pound or flat), and\n"
        "the category. When a name is there twice, the program uses the row stored first;\n"
        "the later ones are marked as not used. A name longer than {shown} characters is shown\n"
        "cut, ending in …; export writes it whole.\n"
        "\n"
        "Example:\n"
        "  locker-pricelist list\n",
        0,
        0,
        {},
        false,
        nullptr,
        runList};
    return command;
}

} // namespace Tool
