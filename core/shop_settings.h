#pragma once

// The machine's own settings, kept in a small settings file at the user's
// standard configuration folder, where the program and the locker-pricelist
// tool both find them: the server that the machine uses, the shop's ranges of
// the hanging weight and how a kill fee is split. Qt Core only.

#include <QString>
#include <optional>

// The shop's own name, address and phone, printed at the head of every
// estimate. The price list's store keeps them, the same for every counter
// (pricelist/shop_details.h).
struct ShopDetails {
    QString name, address, phone;

    // None of the three is set.
    bool isEmpty() const;
    bool operator==(const ShopDetails&) const = default;
};

// The details that an earlier version kept in the settings file, until the
// store takes them over; all empty when there are none (or no file, or it
// cannot be read).
ShopDetails SettingsShopDetails();

// Takes them out of the settings file, leaving the machine's own settings as
// they are. False, with a plain sentence in *problem (when given), when the
// file cannot be written; the file is then as it was.
bool ForgetSettingsShopDetails(QString* problem);

// The settings file: the standard configuration folder (XDG_CONFIG_HOME,
// ~/.config by default) + "/locker-estimate/shop.conf".
QString ShopSettingsPath();

// The shop's settings for estimates, by species key ("Beef", "Pork", "Deer"):
// the range of the hanging weight as a share of the live (or field-dressed)
// weight, and the measured middle of it when the owner adopted one (0 while
// none was), which figures the species' quotes when the owner adopted it for
// them (`forQuotes`). No value when the shop has set none for the species
// (the published figures then stand).
struct RatioSetting {
    double low = 0, high = 0, middle = 0;
    bool forQuotes = false;
};
std::optional<RatioSetting> LoadRatioSetting(const QString& species);
// Writes the species' range; false, with a plain sentence in *problem, when
// the settings file cannot be written. The range is not checked here.
bool SaveRatioSetting(const QString& species, const RatioSetting& setting, QString* problem);

// How the kill fee of an animal sold in shares is divided, as a key
// ("by-part", "one-buyer", "per-share"); empty when the shop set none.
QString KillFeeSplitSetting();
bool SaveKillFeeSplitSetting(const QString& key, QString* problem);

// The database that this machine uses, as the settings file names it under
// the key "database" (a server's address, postgresql://...); empty when none
// is set, and then the price list and estimates files are used.
QString DatabaseSetting();
