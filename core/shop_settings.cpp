#include "core/shop_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <cmath>

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

QString RatioSetting::text() const
{
    QString value = QStringLiteral("%1 %2 %3")
                        .arg(QString::number(low, 'g', 15), QString::number(high, 'g', 15),
                             QString::number(middle, 'g', 15));
    if (forQuotes && middle > 0)
        value += QLatin1Char(' ') + QLatin1String(QuotesWord);
    return value;
}

std::optional<RatioSetting> RatioSetting::fromText(const QString& text)
{
    const QStringList values = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (values.size() < 2 || values.size() > 4)
        return std::nullopt;
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
    if (!lowOk || !highOk || !middleOk)
        return std::nullopt;
    return setting;
}

namespace {

const char* const WeekdayNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

// Hundredths as the owner writes them: "0.5", "3", "1.25".
QString HundredthsText(int hundredths)
{
    return QString::number(hundredths / 100.0, 'f', 2)
        .remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

// A count that may not be negative; no value when the text is not one.
std::optional<int> CountOf(const QString& text, int most)
{
    bool ok = false;
    const int count = text.trimmed().toInt(&ok);
    return ok && count >= 0 && count <= most ? std::optional<int>(count) : std::nullopt;
}

std::optional<int> HundredthsOf(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\d{1,6}(\\.\\d{1,2})?$"));
    if (!number.match(text.trimmed()).hasMatch())
        return std::nullopt;
    return static_cast<int>(std::lround(text.trimmed().toDouble() * 100));
}

} // namespace

int KillCapacity::DefaultHangingDays(const QString& species)
{
    if (species == QLatin1String("Beef"))
        return 14;
    if (species == QLatin1String("Pork"))
        return 3;
    if (species == QLatin1String("Deer"))
        return 7;
    return 0;
}

int KillCapacity::hangingDays(const QString& species) const
{
    return hanging.value(species, DefaultHangingDays(species));
}

int KillCapacity::weight(const QString& species) const
{
    return weights.value(species, species == QLatin1String("Beef") ? 100 : 50);
}

const KillCapacity::Day& KillCapacity::day(const QDate& date) const
{
    return days[static_cast<std::size_t>(std::clamp(date.dayOfWeek(), 1, 7) - 1)];
}

QString KillCapacity::text() const
{
    QStringList parts;
    if (coolerPounds > 0)
        parts << QStringLiteral("cooler=%1").arg(coolerPounds);
    for (auto it = hanging.cbegin(); it != hanging.cend(); ++it)
        parts << QStringLiteral("hang.%1=%2").arg(it.key()).arg(it.value());
    for (auto it = weights.cbegin(); it != weights.cend(); ++it)
        parts << QStringLiteral("weight.%1=%2").arg(it.key(), HundredthsText(it.value()));
    for (std::size_t d = 0; d < days.size(); ++d) {
        QStringList limits;
        for (auto it = days[d].animals.cbegin(); it != days[d].animals.cend(); ++it)
            limits << QStringLiteral("%1:%2").arg(it.key()).arg(it.value());
        if (days[d].units)
            limits << QStringLiteral("units:") + HundredthsText(*days[d].units);
        if (!limits.isEmpty())
            parts << QLatin1String(WeekdayNames[d]) + QLatin1Char('=') +
                         limits.join(QLatin1Char(','));
    }
    if (freeStorageDays)
        parts << QStringLiteral("free=%1").arg(*freeStorageDays);
    return parts.join(QStringLiteral("; "));
}

std::optional<KillCapacity> KillCapacity::fromText(const QString& text)
{
    static const QRegularExpression speciesKey(QStringLiteral("^[A-Z][a-z]+$"));
    KillCapacity capacity;
    for (const QString& part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            return std::nullopt;
        const QString name = part.left(eq).trimmed();
        const QString value = part.mid(eq + 1).trimmed();
        const QString species = name.section(QLatin1Char('.'), 1);
        if (name == QLatin1String("cooler")) {
            bool ok = false;
            capacity.coolerPounds = value.toLongLong(&ok);
            if (!ok || capacity.coolerPounds < 0)
                return std::nullopt;
        } else if (name == QLatin1String("free")) {
            if (!(capacity.freeStorageDays = CountOf(value, 3650)))
                return std::nullopt;
        } else if (name.startsWith(QLatin1String("hang.")) &&
                   speciesKey.match(species).hasMatch()) {
            const std::optional<int> hangs = CountOf(value, 365);
            if (!hangs)
                return std::nullopt;
            capacity.hanging.insert(species, *hangs);
        } else if (name.startsWith(QLatin1String("weight.")) &&
                   speciesKey.match(species).hasMatch()) {
            const std::optional<int> weight = HundredthsOf(value);
            if (!weight)
                return std::nullopt;
            capacity.weights.insert(species, *weight);
        } else {
            const auto* found =
                std::find_if(std::begin(WeekdayNames), std::end(WeekdayNames),
                             [&name](const char* day) { return name == QLatin1String(day); });
            if (found == std::end(WeekdayNames))
                return std::nullopt;
            Day& day = capacity.days[static_cast<std::size_t>(found - std::begin(WeekdayNames))];
            for (const QString& limit : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                const QString what = limit.section(QLatin1Char(':'), 0, 0).trimmed();
                const QString count = limit.section(QLatin1Char(':'), 1);
                if (what == QLatin1String("units")) {
                    if (!(day.units = HundredthsOf(count)))
                        return std::nullopt;
                } else if (const std::optional<int> n = CountOf(count, 100000);
                           n && speciesKey.match(what).hasMatch()) {
                    day.animals.insert(what, *n);
                } else {
                    return std::nullopt;
                }
            }
        }
    }
    return capacity;
}

QString ShopWideSettings::keyName(Key key)
{
    switch (key) {
    case Key::BeefRatio:
        return QStringLiteral("BeefRatio");
    case Key::PorkRatio:
        return QStringLiteral("PorkRatio");
    case Key::DeerRatio:
        return QStringLiteral("DeerRatio");
    case Key::KillFeeSplit:
        return QStringLiteral("killFee");
    case Key::Capacity:
        return QStringLiteral("capacity");
    case Key::CutSheets:
        return QStringLiteral("cutSheets");
    case Key::Yields:
        return QStringLiteral("yields");
    }
    return QString();
}

namespace {

// A text for each species in one text (the cut-sheet masters, the yields):
// each species' under its own head ("[Beef]"), its text's lines after it.
QString SectionsText(const QMap<QString, QString>& masters)
{
    QStringList text;
    for (auto it = masters.cbegin(); it != masters.cend(); ++it)
        text << QStringLiteral("[%1]").arg(it.key()) << it.value().trimmed();
    return text.join(QLatin1Char('\n'));
}

QMap<QString, QString> SectionsFrom(const QString& text)
{
    QMap<QString, QString> masters;
    QString species;
    QStringList lines;
    const auto done = [&] {
        if (!species.isEmpty())
            masters.insert(species, lines.join(QLatin1Char('\n')));
        lines.clear();
    };
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')) && line.trimmed().endsWith(QLatin1Char(']'))) {
            done();
            species = line.trimmed().mid(1).chopped(1);
        } else if (!line.trimmed().isEmpty()) {
            lines << line.trimmed();
        }
    }
    done();
    return masters;
}

// The species whose range a key holds; empty for another key.
QString speciesOf(ShopWideSettings::Key key)
{
    const QString name = ShopWideSettings::keyName(key);
    return name.endsWith(QLatin1String("Ratio")) ? name.chopped(5) : QString();
}

} // namespace

std::optional<RatioSetting> ShopWideSettings::ratio(const QString& species) const
{
    const auto found = ratios.constFind(species);
    return found == ratios.constEnd() ? std::nullopt : std::optional<RatioSetting>(*found);
}

QList<QPair<QString, QString>> ShopWideSettings::rows() const
{
    QList<QPair<QString, QString>> kept;
    for (const Key key : Keys) {
        const QString species = speciesOf(key);
        if (!species.isEmpty() && ratios.contains(species))
            kept.append({keyName(key), ratios.value(species).text()});
        else if (key == Key::KillFeeSplit && !killFeeSplit.isEmpty())
            kept.append({keyName(key), killFeeSplit});
        else if (key == Key::Capacity && !capacity.isEmpty())
            kept.append({keyName(key), capacity.text()});
        else if (key == Key::CutSheets && !cutSheets.isEmpty())
            kept.append({keyName(key), SectionsText(cutSheets)});
        else if (key == Key::Yields && !yields.isEmpty())
            kept.append({keyName(key), SectionsText(yields)});
    }
    return kept;
}

ShopWideSettings ShopWideSettings::fromRows(const QList<QPair<QString, QString>>& rows)
{
    ShopWideSettings settings;
    for (const auto& [name, value] : rows)
        for (const Key key : Keys) {
            if (keyName(key) != name)
                continue;
            if (const QString species = speciesOf(key); !species.isEmpty()) {
                if (const std::optional<RatioSetting> ratio = RatioSetting::fromText(value))
                    settings.ratios.insert(species, *ratio);
            } else if (key == Key::Capacity) {
                if (const std::optional<KillCapacity> capacity = KillCapacity::fromText(value))
                    settings.capacity = *capacity;
            } else if (key == Key::CutSheets) {
                settings.cutSheets = SectionsFrom(value);
            } else if (key == Key::Yields) {
                settings.yields = SectionsFrom(value);
            } else {
                settings.killFeeSplit = value.trimmed();
            }
        }
    return settings;
}

ShopWideSettings SettingsFileShopWide()
{
    QList<QPair<QString, QString>> rows;
    ReadSettings([&](QSettings& settings) {
        settings.beginGroup(QLatin1String(kEstimates));
        for (const ShopWideSettings::Key key : ShopWideSettings::Keys) {
            const QString name = ShopWideSettings::keyName(key);
            if (settings.contains(name))
                rows.append({name, ValueText(settings.value(name))});
        }
        settings.endGroup();
    });
    return ShopWideSettings::fromRows(rows);
}

bool ForgetSettingsFileShopWide(QString* problem)
{
    if (!QFileInfo(ShopSettingsPath()).isFile())
        return true;
    return WriteSettings(
        [](QSettings& settings) {
            settings.beginGroup(QLatin1String(kEstimates));
            for (const ShopWideSettings::Key key : ShopWideSettings::Keys)
                settings.remove(ShopWideSettings::keyName(key));
            settings.endGroup();
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
