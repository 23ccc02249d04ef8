#include "core/shop_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

namespace {

const char kGroup[] = "Shop";

// The word after a species' range whose middle figures its quotes.
const char QuotesWord[] = "quotes";

// A value as text. A file edited by hand may hold a name with a comma and no
// quotes, which the settings format reads as a list: it is joined back.
QString ValueText(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

QString WriteProblem(const QString& path)
{
    const QFileInfo file(path);
    if (file.exists() && !file.isWritable())
        return QStringLiteral("The shop's details could not be saved: %1 is read-only.")
            .arg(QDir::toNativeSeparators(path));
    const QFileInfo folder(file.absolutePath());
    if (!folder.isWritable())
        return QStringLiteral("The shop's details could not be saved: the folder %1 may not be "
                              "written.")
            .arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
    return QStringLiteral("The shop's details could not be saved to %1 (is the disk full?).")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace

QString ShopSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/locker-estimate/shop.conf");
}

bool ShopDetails::isEmpty() const
{
    return name.trimmed().isEmpty() && address.trimmed().isEmpty() && phone.trimmed().isEmpty();
}

ShopDetails SettingsShopDetails()
{
    ShopDetails details;
    const QString path = ShopSettingsPath();
    if (!QFileInfo(path).isFile())
        return details;
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return details;
    settings.beginGroup(QLatin1String(kGroup));
    details.name = ValueText(settings.value(QStringLiteral("name")));
    details.address = ValueText(settings.value(QStringLiteral("address")));
    details.phone = ValueText(settings.value(QStringLiteral("phone")));
    return details;
}

namespace {

// Writes to the settings file, making its folder when needed; false, with a
// plain sentence in *problem, when it cannot be written.
template <typename Write> bool WriteSettings(Write write, QString* problem)
{
    const QString path = ShopSettingsPath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (problem)
            *problem = QStringLiteral("The shop's details could not be saved: the folder %1 "
                                      "could not be made.")
                           .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QSettings settings(path, QSettings::IniFormat);
    write(settings);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        if (problem)
            *problem = WriteProblem(path);
        return false;
    }
    return true;
}

// The settings file, when there is one that can be read.
template <typename Read> void ReadSettings(Read read)
{
    const QString path = ShopSettingsPath();
    if (!QFileInfo(path).isFile())
        return;
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() == QSettings::NoError)
        read(settings);
}

const char kEstimates[] = "Estimates";

} // namespace

bool ForgetSettingsShopDetails(QString* problem)
{
    if (!QFileInfo(ShopSettingsPath()).isFile())
        return true;
    return WriteSettings(
        [](QSettings& settings) {
            settings.beginGroup(QLatin1String(kGroup));
            for (const char* key : {"name", "address", "phone"})
                settings.remove(QLatin1String(key));
            settings.endGroup();
        },
        problem);
}

std::optional<RatioSetting> LoadRatioSetting(const QString& species)
{
    std::optional<RatioSetting> found;
    ReadSettings([&](QSettings& settings) {
        const QStringList values =
            ValueText(settings.value(
                          QStringLiteral("%1/%2Ratio").arg(QLatin1String(kEstimates), species)))
                .split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (values.size() < 2 || values.size() > 4)
            return;
        RatioSetting setting;
        bool lowOk = false, highOk = false, middleOk = true;
        setting.low = values[0].toDouble(&lowOk);
        setting.high = values[1].toDouble(&highOk);
        if (values.size() >= 3)
            setting.middle = values[2].toDouble(&middleOk);
        // The middle figures the quotes when the fourth word says so.
        if (values.size() == 4) {
            setting.forQuotes = values[3] == QLatin1String(QuotesWord);
            middleOk = middleOk && setting.forQuotes;
        }
        if (lowOk && highOk && middleOk)
            found = setting;
    });
    return found;
}

bool SaveRatioSetting(const QString& species, const RatioSetting& setting, QString* problem)
{
    QString value =
        QStringLiteral("%1 %2 %3")
            .arg(QString::number(setting.low, 'g', 15), QString::number(setting.high, 'g', 15),
                 QString::number(setting.middle, 'g', 15));
    if (setting.forQuotes && setting.middle > 0)
        value += QLatin1Char(' ') + QLatin1String(QuotesWord);
    return WriteSettings(
        [&](QSettings& settings) {
            settings.setValue(QStringLiteral("%1/%2Ratio").arg(QLatin1String(kEstimates), species),
                              value);
        },
        problem);
}

QString KillFeeSplitSetting()
{
    QString key;
    ReadSettings([&](QSettings& settings) {
        key = ValueText(settings.value(QStringLiteral("%1/killFee").arg(QLatin1String(kEstimates))))
                  .trimmed();
    });
    return key;
}

bool SaveKillFeeSplitSetting(const QString& key, QString* problem)
{
    return WriteSettings(
        [&](QSettings& settings) {
            settings.setValue(QStringLiteral("%1/killFee").arg(QLatin1String(kEstimates)), key);
        },
        problem);
}

QString DatabaseSetting()
{
    const QString path = ShopSettingsPath();
    if (!QFileInfo(path).isFile())
        return QString();
    QSettings settings(path, QSettings::IniFormat);
    return ValueText(settings.value(QStringLiteral("database"))).trimmed();
}
