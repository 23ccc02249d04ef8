#include "pricelist/shop_details.h"

#include "pricelist/shop_table.h"

namespace ShopDetailsStore {

const QString Table = QStringLiteral("ShopDetails");

namespace {

const ShopTable::Shape& shape()
{
    static const ShopTable::Shape shape{
        Table,
        QStringLiteral("Name, Address, Phone"),
        QStringLiteral("Name Text, Address Text, Phone Text"),
        QString(),
        QStringLiteral("The shop's details"),
        QStringLiteral("no shop details"),
        QStringLiteral("%1: the user of the %2 may read the price list but not change the shop's "
                       "details (%3). The owner of the database grants it: GRANT SELECT, INSERT, "
                       "DELETE ON ShopDetails TO the user.")};
    return shape;
}

ShopTable::Rows rowsOf(const ShopDetails& details)
{
    return {{details.name, details.address, details.phone}};
}

} // namespace

ShopDetailsRead Read(PriceConnection& connection)
{
    const ShopDetails left = SettingsShopDetails();
    const ShopTable::Read read = ShopTable::ReadTakingOver(
        connection, shape(), left.isEmpty() ? ShopTable::Rows() : rowsOf(left),
        ForgetSettingsShopDetails);
    ShopDetailsRead details;
    details.kind = read.kind;
    details.problem = read.problem;
    details.note = read.note;
    if (!read.rows.isEmpty())
        details.details = {read.rows[0].value(0), read.rows[0].value(1), read.rows[0].value(2)};
    return details;
}

StoreResult Save(PriceConnection& connection, const ShopDetails& details)
{
    return ShopTable::Write(connection, shape(), rowsOf(details));
}

QStringList ServerStatements()
{
    return {
        // Inside the transaction that runs them: no notice of what was there
        // already ("skipping") on the terminal.
        QStringLiteral("Set Local client_min_messages To warning"),
        ShopTable::MakeTable(shape()),
    };
}

} // namespace ShopDetailsStore
