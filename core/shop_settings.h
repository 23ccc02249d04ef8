#pragma once

// The machine's own settings, kept in a small settings file at the user's
// standard configuration folder, where the program and the locker-pricelist
// tool both find them: the server that the machine uses. The shop's own
// settings (its details, its ranges of the hanging weight and how a kill fee
// is split) are the same at every counter: typed here, kept by the store.
// Qt Core only.

#include <QDate>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <array>
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

// What the shop can take in, set by the owner: the animals it can kill each
// weekday, the rail space of its cooler in pounds of hanging weight, and the
// days each species hangs before it is cut. A limit that is not set does not
// hold; with nothing set, every booking fits.
struct KillCapacity {
    // The days each species hangs, by species key, when the owner set none.
    static int DefaultHangingDays(const QString& species);

    // Each weekday's limits, Monday first: the most animals of a species
    // (by species key), and the most weighted units (in hundredths of a unit;
    // none when not set).
    struct Day {
        QMap<QString, int> animals;
        std::optional<int> units;
        bool operator==(const Day&) const = default;
    };
    std::array<Day, 7> days;
    // What one animal of a species counts for in weighted units (hundredths):
    // a beef 100, a hog 50 and a deer 50 when the owner set none.
    QMap<QString, int> weights;
    // Rail space in pounds of hanging weight; 0 when not set.
    qint64 coolerPounds = 0;
    // The days each species hangs, where the owner set them.
    QMap<QString, int> hanging;
    // Days an order ready for pickup is kept free of storage fees; none when
    // the shop charges none.
    std::optional<int> freeStorageDays;

    int hangingDays(const QString& species) const;
    int weight(const QString& species) const;
    const Day& day(const QDate& date) const;
    bool isEmpty() const { return *this == KillCapacity(); }
    bool operator==(const KillCapacity&) const = default;

    // As the store keeps it: "cooler=6000; Beef=14d; Mon=Beef:2,Pork:4,units:3.5;
    // weight.Pork=0.5; free=7", read back; no value when the text is not one.
    QString text() const;
    static std::optional<KillCapacity> fromText(const QString& text);
};

// The shop's own settings for estimates, the same at every counter: the price
// list's store keeps them beside the prices (pricelist/shop_settings_store.h),
// and backs them up with them. Each has its default, which is none set: the
// published figures and the program's own way stand.
struct ShopWideSettings {
    // What each setting is, as the store names it.
    enum class Key { BeefRatio, PorkRatio, DeerRatio, KillFeeSplit, Capacity, CutSheets, Yields };
    static constexpr Key Keys[] = {Key::BeefRatio,    Key::PorkRatio, Key::DeerRatio, Key::Capacity,
                                   Key::KillFeeSplit, Key::CutSheets, Key::Yields};
    static QString keyName(Key key);

    // The range of each species, by species key ("Beef", "Pork", "Deer").
    QMap<QString, RatioSetting> ratios;
    // How the kill fee of an animal sold in shares is divided, as a key
    // ("by-part", "one-buyer", "per-share"); empty when the shop set none.
    QString killFeeSplit;
    // The kill days, the cooler and the hanging days that bookings are
    // checked against.
    KillCapacity capacity;
    // Each species' cut-sheet master as the owner set it, by species key,
    // in its own text (estimate/cut_sheet.h reads it); a species without
    // one takes the sample's.
    QMap<QString, QString> cutSheets;
    // Each species' yields of meat as the owner adopted them from the shop's
    // pickups, by species key, in their own text (estimate/cut_sheet.h reads
    // it); a species without them takes the published figures.
    QMap<QString, QString> yields;

    std::optional<RatioSetting> ratio(const QString& species) const;
    bool isEmpty() const
    {
        return ratios.isEmpty() && killFeeSplit.isEmpty() && capacity.isEmpty() &&
               cutSheets.isEmpty() && yields.isEmpty();
    }
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
