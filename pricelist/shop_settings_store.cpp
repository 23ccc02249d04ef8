#include "pricelist/shop_settings_store.h"

#include "pricelist/shop_table.h"

namespace ShopSettingsStore {

const QString Table = QStringLiteral("ShopSettings");

namespace {

const ShopTable::Shape& shape()
{
    static const ShopTable::Shape shape{
        Table,
        QStringLiteral("Key, Value"),
        QStringLiteral("Key Text Primary Key, Value Text Not Null"),
        QStringLiteral("Key"),
        QStringLiteral("The shop's settings"),
        QStringLiteral("no shop settings"),
        QStringLiteral("%1: only the shop's owner may change them (%3). Run it with the owner's "
                       "login.")};
    return shape;
}

ShopTable::Rows rowsOf(const ShopWideSettings& settings)
{
    ShopTable::Rows rows;
    for (const auto& [key, value] : settings.rows())
        rows.append({key, value});
    return rows;
}

} // namespace

ShopSettingsRead Read(PriceConnection& connection)
{
    const ShopTable::Read read = ShopTable::ReadTakingOver(
        connection, shape(), rowsOf(SettingsFileShopWide()), ForgetSettingsFileShopWide);
    QList<QPair<QString, QString>> pairs;
    for (const QStringList& row : read.rows)
        pairs.append({row.value(0), row.value(1)});
    ShopSettingsRead settings;
    settings.settings = ShopWideSettings::fromRows(pairs);
    settings.kind = read.kind;
    settings.problem = read.problem;
    settings.note = read.note;
    return settings;
}

StoreResult Save(PriceConnection& connection, const ShopWideSettings& settings)
{
    return ShopTable::Write(connection, shape(), rowsOf(settings));
}

QStringList ServerStatements()
{
    return {
        QStringLiteral("Set Local client_min_messages To warning"),
        ShopTable::MakeTable(shape()),
        // A change reaches every counter as a change of the prices does.
        QStringLiteral("Drop Trigger If Exists ShopSettings_Changed On ShopSettings"),
        QStringLiteral("Create Trigger ShopSettings_Changed After Insert Or Update Or Delete Or "
                       "Truncate On ShopSettings For Each Statement Execute Function "
                       "locker_prices_changed()"),
    };
}

} // namespace ShopSettingsStore
