#pragma once

// The shop's own name, address and phone, printed at the head of every
// estimate. The owner sets them once; they are kept in a small settings file
// at the user's standard configuration folder, where the program and the
// locker-pricelist tool both find them. Qt Core only.

#include <QString>

struct ShopDetails {
    QString name, address, phone;
};

// The details as the settings file holds them; empty texts for those never set
// (and all empty when there is no file or it cannot be read).
ShopDetails LoadShopDetails();

// Writes all three details to the settings file, creating its folder when
// needed. False, with a plain sentence in *problem (when given), when the file
// cannot be written; the file is then as it was.
bool SaveShopDetails(const ShopDetails& details, QString* problem);

// The settings file: the standard configuration folder (XDG_CONFIG_HOME,
// ~/.config by default) + "/locker-estimate/shop.conf".
QString ShopSettingsPath();

// The database that this machine uses, as the settings file names it under
// the key "database" (a server's address, postgresql://...); empty when none
// is set, and then the price list and estimates files are used.
QString DatabaseSetting();
