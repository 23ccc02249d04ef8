#include "core/shop_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

namespace {

const char kGroup[] = "Shop";

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

ShopDetails LoadShopDetails()
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

bool SaveShopDetails(const ShopDetails& details, QString* problem)
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
    settings.beginGroup(QLatin1String(kGroup));
    settings.setValue(QStringLiteral("name"), details.name);
    settings.setValue(QStringLiteral("address"), details.address);
    settings.setValue(QStringLiteral("phone"), details.phone);
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        if (problem)
            *problem = WriteProblem(path);
        return false;
    }
    return true;
}

QString DatabaseSetting()
{
    const QString path = ShopSettingsPath();
    if (!QFileInfo(path).isFile())
        return QString();
    QSettings settings(path, QSettings::IniFormat);
    return ValueText(settings.value(QStringLiteral("database"))).trimmed();
}
