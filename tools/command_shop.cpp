#include "pricelist/price_connection.h"
#include "pricelist/price_list_editor.h"
#include "pricelist/shop_details.h"
#include "tools/tool.h"

#include <memory>

namespace Tool {

namespace {

// The shop's details as the printed estimate heads them.
void showShop(const ShopDetails& shop)
{
    const auto shown = [](const QString& value) {
        return value.trimmed().isEmpty() ? QStringLiteral("(not set)") : value;
    };
    const QString name = shop.name.trimmed().isEmpty()
                             ? QStringLiteral("(not set; the printed estimate names Tallowbrook "
                                              "Processing)")
                             : shop.name;
    // An address of several lines is shown under its first.
    QString address = shown(shop.address);
    address.replace(QLatin1Char('\n'), QStringLiteral("\n         "));
    say(QStringLiteral("Name:    %1").arg(name));
    say(QStringLiteral("Address: %1").arg(address));
    say(QStringLiteral("Phone:   %1").arg(shown(shop.phone)));
}

int runShop(const Invocation& call)
{
    const auto connection = std::make_shared<PriceConnection>(StoreLocation(call.priceListPath));
    PriceListEditor editor(connection);
    if (!opened(editor))
        return Refused;
    const ShopDetailsRead read = ShopDetailsStore::Read(*connection);
    if (!read.done())
        return complain(read.problem);
    if (!read.note.isEmpty())
        complain(read.note);
    if (!call.shopName && !call.shopAddress && !call.shopPhone) {
        showShop(read.details);
        return Done;
    }
    ShopDetails shop = read.details;
    shop.name = call.shopName.value_or(shop.name);
    shop.address = call.shopAddress.value_or(shop.address);
    shop.phone = call.shopPhone.value_or(shop.phone);
    const StoreResult saved = ShopDetailsStore::Save(*connection, shop);
    if (!saved.done())
        return complain(saved.problem);
    say(QStringLiteral("Saved the shop's details in %1, for every counter that uses it:")
            .arg(connection->describe()));
    showShop(shop);
    return Done;
}

} // namespace

const Command& ShopCommand()
{
    static const Command command{
        "shop",
        "shop [--name NAME] [--address TEXT] [--phone TEXT]",
        "Shows or sets the shop's name, address and phone.",
        "Without options, shows the shop's name, address and phone, which head every\n"
        "printed estimate. --name, --address and --phone set the ones given and keep\n"
        "the others; an empty value (\"\") clears one. Until a name is set, the printed\n"
        "estimate names Tallowbrook Processing. They are kept with the price list (the\n"
        "file, or the server), so every counter that uses it prints the same. Details\n"
        "that an earlier version kept in {shopfile}\n"
        "are moved there at the first use, and taken out of that file.\n"
        "\n"
        "Examples:\n"
        "  locker-pricelist shop\n"
        "  locker-pricelist shop --name \"Mill Creek Lockers\" --phone \"555-0142\"\n"
        "  locker-pricelist shop --address \"12 Mill Road, Tallowbrook\"\n",
        0,
        0,
        {QStringLiteral("name"), QStringLiteral("address"), QStringLiteral("phone")},
        false,
        nullptr,
        runShop};
    return command;
}

} // namespace Tool
