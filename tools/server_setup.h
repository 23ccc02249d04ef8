#pragma once

// Setting up a shop's server: the roles that its owner grants to each
// person's login, with the rights that the price list and the book give them.
// Only the price list tool does this; the counters never do.

#include "store/server_roles.h"
#include "store/store_result.h"

#include <QString>
#include <QStringList>

namespace ServerSetup {

using ServerRoles::RoleNameProblem;
using ServerRoles::ShopRoles;

// Makes the clerks' and the owner's roles that the server (`url`) lacks, and
// gives each the rights it lacks on the price list's tables and the book's:
// the clerks' may read the price list and its history and save, open and
// delete estimates, but not change the prices; the owner's may do everything
// the program does, prices included. All in one transaction, or nothing.
StoreResult MakeRoles(const QString& url, const ShopRoles& roles, QStringList* done);

} // namespace ServerSetup
