#include "core/shop_settings.h"
#include "pricelist/price_list.h"
#include "tools/tool.h"

#include <QMap>
#include <QRegularExpression>

namespace Tool {

namespace {

const QStringList& Species = SpeciesKeys();

void show(const KillCapacity& capacity)
{
    QList<QStringList> rows;
    rows << QStringList{QStringLiteral("Cooler"),
                        capacity.coolerPounds > 0
                            ? QStringLiteral("%1 lb of hanging weight").arg(capacity.coolerPounds)
                            : QStringLiteral("no limit set")};
    QStringList hanging, weights;
    for (const QString& s : Species) {
        hanging << QStringLiteral("%1 %2").arg(s.toLower()).arg(capacity.hangingDays(s));
        weights << QStringLiteral("%1 %2").arg(s.toLower()).arg(capacity.weight(s) / 100.0);
    }
    rows << QStringList{QStringLiteral("Hanging days"), hanging.join(QStringLiteral(", "))};
    rows << QStringList{QStringLiteral("Units per animal"), weights.join(QStringLiteral(", "))};
    const QStringList names{QStringLiteral("Monday"),    QStringLiteral("Tuesday"),
                            QStringLiteral("Wednesday"), QStringLiteral("Thursday"),
                            QStringLiteral("Friday"),    QStringLiteral("Saturday"),
                            QStringLiteral("Sunday")};
    for (std::size_t d = 0; d < capacity.days.size(); ++d) {
        const KillCapacity::Day& day = capacity.days[d];
        QStringList limits;
        for (auto it = day.animals.cbegin(); it != day.animals.cend(); ++it)
            limits << QStringLiteral("%1 %2").arg(it.value()).arg(it.key().toLower());
        if (day.units)
            limits << QStringLiteral("%1 units").arg(*day.units / 100.0);
        rows << QStringList{names[static_cast<int>(d)], limits.isEmpty()
                                                            ? QStringLiteral("no limit set")
                                                            : limits.join(QStringLiteral(", "))};
    }
    rows << QStringList{QStringLiteral("Free storage days"),
                        capacity.freeStorageDays ? QString::number(*capacity.freeStorageDays)
                                                 : QStringLiteral("no storage fee")};
    sayColumns(rows);
}

// The capacity with each SETTING=VALUE given put in place of what was set
// (an empty VALUE takes the setting away); no value, and the problem, when
// one cannot be read.
std::optional<KillCapacity> changed(const KillCapacity& now, const QStringList& settings,
                                    QString* problem)
{
    QMap<QString, QString> parts;
    for (const QString& part : now.text().split(QStringLiteral("; "), Qt::SkipEmptyParts))
        parts.insert(part.section(QLatin1Char('='), 0, 0), part.section(QLatin1Char('='), 1));
    for (const QString& setting : settings) {
        const QString name = setting.section(QLatin1Char('='), 0, 0).trimmed();
        const QString value = setting.section(QLatin1Char('='), 1).trimmed();
        static const QRegularExpression named(QStringLiteral(
            "^(cooler|free|(hang|weight)\\.[A-Z][a-z]+|Mon|Tue|Wed|Thu|Fri|Sat|Sun)$"));
        if (!setting.contains(QLatin1Char('=')) || !named.match(name).hasMatch() ||
            (!value.isEmpty() && !KillCapacity::fromText(setting))) {
            *problem = QStringLiteral("\"%1\" is not a capacity setting: write it as, for "
                                      "example, cooler=6000, Mon=Beef:2,Pork:4, Sat=units:3.5, "
                                      "hang.Beef=14, weight.Pork=0.5 or free=7.")
                           .arg(setting);
            return std::nullopt;
        }
        if (value.isEmpty())
            parts.remove(name);
        else
            parts.insert(name, value);
    }
    QStringList text;
    for (auto it = parts.cbegin(); it != parts.cend(); ++it)
        text << it.key() + QLatin1Char('=') + it.value();
    return KillCapacity::fromText(text.join(QStringLiteral("; ")));
}

int runCapacity(const Invocation& call)
{
    PriceList shop(call.priceListPath);
    if (shop.open() != PriceList::OpenResult::Opened)
        return complain(shop.openProblem());
    ShopWideSettings settings = shop.shopSettings();
    if (call.operands.isEmpty()) {
        show(settings.capacity);
        return Done;
    }
    QString problem;
    const std::optional<KillCapacity> capacity =
        changed(settings.capacity, call.operands, &problem);
    if (!capacity)
        return complain(problem, Usage);
    settings.capacity = *capacity;
    if (const StoreResult saved = shop.saveShopSettings(settings); !saved.done())
        return complain(saved.problem);
    show(settings.capacity);
    say(QStringLiteral("Saved with the price list in %1, the same for every counter.")
            .arg(shop.describe()));
    return Done;
}

} // namespace

const Command& CapacityCommand()
{
    static const Command command{
        "capacity",
        "capacity [SETTING=VALUE...]",
        "Shows or sets what the shop can take in.",
        "Without settings, shows what bookings are checked against: the cooler's rail\n"
        "space, the days each species hangs, the units an animal counts for, each\n"
        "weekday's kills and the free storage days. With settings, sets them (the\n"
        "owner's; kept with the price list, the same for every counter):\n"
        "  cooler=POUNDS          the cooler's rail space in pounds of hanging weight\n"
        "  hang.SPECIES=DAYS      the days Beef, Pork or Deer hang before cutting\n"
        "  Mon=Beef:2,Pork:4      a weekday's kills (Mon ... Sun), by species\n"
        "  Sat=units:3.5          a weekday's kills in weighted units\n"
        "  weight.SPECIES=UNITS   the units an animal counts for (beef 1, others 0.5)\n"
        "  free=DAYS              the days an order waits free of a storage fee\n"
        "A setting with nothing after = takes it away: no limit.\n"
        "\n"
        "Examples:\n"
        "  locker-pricelist capacity\n"
        "  locker-pricelist capacity cooler=6000 Tue=Beef:2,Pork:4 hang.Beef=21\n",
        0,
        -1,
        {},
        false,
        nullptr,
        runCapacity};
    return command;
}

} // namespace Tool
