#include "estimate/quote_rules.h"

#include "core/numbers.h"
#include "core/shop_settings.h"
#include "estimate/estimate_rules.h"
#include "estimate/likely_range.h"

#include <QFile>
#include <array>
#include <cmath>
#include <sys/stat.h>

namespace {

class Published : public QuoteRules {
public:
    HangingRatio ratio(Species species) const override { return DefaultRatio(species); }
    std::optional<double> adoptedFactor(Species) const override { return std::nullopt; }
};

// The settings file read once for each change of it: a figuring asks at
// every keystroke, and looking at the file's time and size is all it costs.
class FromSettings : public QuoteRules {
public:
    HangingRatio ratio(Species species) const override
    {
        const Setting& s = read(species);
        return s.set ? s.ratio : DefaultRatio(species);
    }
    std::optional<double> adoptedFactor(Species species) const override
    {
        const Setting& s = read(species);
        if (!s.set || !s.forQuotes || !(s.ratio.middle > 0))
            return std::nullopt;
        return s.ratio.middle;
    }

private:
    struct Setting {
        bool set = false;
        HangingRatio ratio;
        bool forQuotes = false;
    };

    // What tells that the file changed: its time, size and inode (all 0 while
    // there is none).
    struct Stamp {
        qint64 seconds = 0, nanoseconds = 0, size = 0;
        quint64 inode = 0;
        bool operator==(const Stamp&) const = default;
    };

    const Setting& read(Species species) const
    {
        // The file's place follows the configuration folder (a test sets its own).
        const QByteArray folder = qgetenv("XDG_CONFIG_HOME");
        if (!read_ || folder != folder_) {
            folder_ = folder;
            path_ = QFile::encodeName(ShopSettingsPath());
        }
        Stamp stamp;
        struct stat status {};
        if (::stat(path_.constData(), &status) == 0)
            stamp = {status.st_mtim.tv_sec, status.st_mtim.tv_nsec, status.st_size,
                     quint64(status.st_ino)};
        if (!read_ || !(stamp == stamp_)) {
            read_ = true;
            stamp_ = stamp;
            for (const Species s : {Species::Beef, Species::Pork, Species::Deer}) {
                Setting& setting = settings_[static_cast<int>(s)];
                setting = Setting();
                const std::optional<RatioSetting> saved = LoadRatioSetting(SpeciesName(s));
                if (saved && RatioProblem(saved->low, saved->high).isEmpty()) {
                    setting.set = true;
                    setting.ratio = {saved->low, saved->high, saved->middle};
                    setting.forQuotes = saved->forQuotes && saved->middle >= LowestRatio &&
                                        saved->middle <= HighestRatio;
                }
            }
        }
        return settings_[static_cast<int>(species)];
    }

    mutable bool read_ = false;
    mutable QByteArray folder_, path_;
    mutable Stamp stamp_;
    mutable std::array<Setting, 4> settings_{};
};

} // namespace

const QuoteRules& PublishedRules()
{
    static const Published rules;
    return rules;
}

const QuoteRules& ShopRules()
{
    static const FromSettings rules;
    return rules;
}

double QuoteFactor(const QuoteRules& rules, Species species)
{
    namespace R = EstimateRules;
    if (const auto adopted = rules.adoptedFactor(species))
        return *adopted;
    switch (species) {
    case Species::Pork:
        return R::PorkFactor;
    case Species::Deer:
        return R::DeerFactor;
    case Species::Beef:
    case Species::None:
        break;
    }
    return R::BeefFactor;
}

QString FactorHint(const QuoteRules& rules, Species species)
{
    if (const auto adopted = rules.adoptedFactor(species))
        return QStringLiteral("About %1 % Of %2 Weight")
            .arg(NumberText(Round15(std::round(*adopted * 1000) / 10)),
                 species == Species::Deer ? QStringLiteral("Field Dressed")
                                          : QStringLiteral("Live"));
    switch (species) {
    case Species::Beef:
        return QStringLiteral("About 1/2 Of Live Weight");
    case Species::Pork:
        return QStringLiteral("About 2/3 Of Live Weight");
    case Species::Deer:
    case Species::None:
        break;
    }
    return QString();
}
