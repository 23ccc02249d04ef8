#pragma once

// The machine's own settings, kept in a small settings file at the user's
// standard configuration folder, where the program and the locker-pricelist
// tool both find them: the server that the machine uses. The shop's own
// settings (its details, its ranges of the hanging weight and how a kill fee
// is split) are the same at every counter: typed here, kept by the store.
// Qt Core only.

#include <QList>
#include <QMap>
#include <QPair>
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

// The range of the hanging weight of a species as a share of the live (or
// field-dressed) weight, and the measured middle of it when the owner adopted
// one (0 while none was), which figures the species' quotes when the owner
// adopted it for them (`forQuotes`).
struct RatioSetting {
    double low = 0, high = 0, middle = 0;
    bool forQuotes = false;

    bool operator==(const RatioSetting&) const = default;
    // As it is kept: "0.58 0.63 0.6 quotes"; read back, no value when the
    // text is not one.
    QString text() const;
    static std::optional<RatioSetting> fromText(const QString& text);
};

// The shop's own settings for estimates, the same at every counter: the price
// list's store keeps them beside the prices (pricelist/shop_settings_store.h),
// and backs them up with them. Each has its default, which is none set: the
// published figures and the program's own way stand.
struct ShopWideSettings {
    // What each setting is, as the store names it.
    enum class Key { BeefRatio, PorkRatio, DeerRatio, KillFeeSplit };
    static constexpr Key Keys[] = {Key::BeefRatio, Key::PorkRatio, Key::DeerRatio,
                                   Key::KillFeeSplit};
    static QString keyName(Key key);

    // The range of each species, by species key ("Beef", "Pork", "Deer").
    QMap<QString, RatioSetting> ratios;
    // How the kill fee of an animal sold in shares is divided, as a key
    // ("by-part", "one-buyer", "per-share"); empty when the shop set none.
    QString killFeeSplit;

    std::optional<RatioSetting> ratio(const QString& species) const;
    bool isEmpty() const { return ratios.isEmpty() && killFeeSplit.isEmpty(); }
    bool operator==(const ShopWideSettings&) const = default;

    // As the store keeps them: a text for each key that is set. Read back,
    // a key that is not one of these, or a text that cannot be read, is left
    // out (as if not set).
    QList<QPair<QString, QString>> rows() const;
    static ShopWideSettings fromRows(const QList<QPair<QString, QString>>& rows);
};

// Those that an earlier version kept in this machine's settings file, until
// the store takes them over; none when there are none (or no file).
ShopWideSettings SettingsFileShopWide();
// Takes them out of the settings file, leaving the machine's own settings as
// they are; false, with a plain sentence in *problem (when given), when the
// file cannot be written.
bool ForgetSettingsFileShopWide(QString* problem);

// The database that this machine uses, as the settings file names it under
// the key "database" (a server's address, postgresql://...); empty when none
// is set, and then the price list and estimates files are used.
QString DatabaseSetting();
