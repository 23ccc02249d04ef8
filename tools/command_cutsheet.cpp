#include "estimate/cut_sheet.h"
#include "pricelist/price_list.h"
#include "tools/tool.h"

#include <QFile>

namespace Tool {

namespace {

const QStringList& Species = SpeciesKeys();

int runCutSheet(const Invocation& call)
{
    const QString species = call.operands.value(0).toLower();
    const auto named = std::find_if(Species.begin(), Species.end(),
                                    [&](const QString& s) { return s.toLower() == species; });
    if (named == Species.end())
        return complain(QStringLiteral("\"%1\" is not a species: write Beef, Pork or Deer.")
                            .arg(call.operands.value(0)),
                        Usage);
    PriceList shop(call.priceListPath);
    if (shop.open() != PriceList::OpenResult::Opened)
        return complain(shop.openProblem());
    ShopWideSettings settings = shop.shopSettings();
    if (call.operands.size() == 1) {
        say(MasterOf(settings, *named).text());
        return Done;
    }
    // The master from a file: read whole, checked, and kept only when it
    // can be used as it stands.
    QFile file(call.operands[1]);
    if (!file.open(QIODevice::ReadOnly))
        return complain(
            QStringLiteral("%1 cannot be read: %2").arg(call.operands[1], file.errorString()));
    const QString text = QString::fromUtf8(file.readAll());
    QString problem;
    const std::optional<CutMaster> master = CutMaster::fromText(*named, text, &problem);
    if (!master)
        return complain(
            QStringLiteral("The %1 cut sheet was not changed. %2").arg(named->toLower(), problem),
            Usage);
    settings.cutSheets.insert(*named, master->text());
    if (const StoreResult saved = shop.saveShopSettings(settings); !saved.done())
        return complain(saved.problem);
    say(master->text());
    say(QStringLiteral("Saved with the price list in %1, the same for every counter.")
            .arg(shop.describe()));
    return Done;
}

} // namespace

const Command& CutSheetCommand()
{
    static const Command command{
        "cutsheet",
        "cutsheet SPECIES [FILE]",
        "Shows or sets the cut sheet's master of a species.",
        "Without FILE, shows the master of Beef, Pork or Deer as the counter fills\n"
        "cut sheets from it (the sample's while the owner set none). With FILE,\n"
        "sets it from the file, written as shown (the owner's; kept with the price\n"
        "list, the same for every counter), a line each:\n"
        "  primal NAME|SHARE|front or hind|USES   a primal, its share of the hanging\n"
        "                                         weight and what it may become\n"
        "                                         (steaks roasts ground stew cured\n"
        "                                         smoked), its standard use first\n"
        "  packages 1 lb|2 lb                     the ground meat's packages\n"
        "  lean 80/20|85/15                       its leanness\n"
        "  keeps Liver|Heart|Tongue               what a customer may keep\n"
        "  one Heart|Tongue                       what an animal has one of\n"
        "A file that cannot be read as a master changes nothing.\n"
        "\n"
        "Examples:\n"
        "  locker-pricelist cutsheet Beef > beef.txt\n"
        "  locker-pricelist cutsheet Beef beef.txt\n",
        1,
        2,
        {},
        false,
        nullptr,
        runCutSheet};
    return command;
}

} // namespace Tool
