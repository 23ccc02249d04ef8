#include "tools/server_setup.h"

#include "book/book_setup.h"
#include "pricelist/price_list_setup.h"

namespace ServerSetup {

StoreResult MakeRoles(const QString& url, const ShopRoles& roles, QStringList* done)
{
    return ServerRoles::Make(
        url, roles, {PriceListSetup::Grants(), BookSetup::Grants()},
        QStringLiteral("it may read the price list and its history and save, open and delete "
                       "estimates, but not change the prices"),
        QStringLiteral("it may do everything the program does, prices included"), done);
}

} // namespace ServerSetup
