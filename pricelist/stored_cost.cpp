#include "pricelist/stored_cost.h"

#include "core/numbers.h"

#include <cmath>

CostLookup CostFromStored(const QVariant& value, const QString& item)
{
    CostLookup result;
    if (value.isNull()) {
        result.status = CostLookup::Status::NoPrice;
        result.problem = QStringLiteral("\"%1\" has no price in the price list.").arg(item);
        return result;
    }
    std::optional<double> cost;
    const auto type = value.metaType().id();
    if (type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int ||
        type == QMetaType::ULongLong || type == QMetaType::UInt) {
        cost = value.toDouble();
    } else {
        cost = StrictNumber(value.toString());
    }
    if (!cost || !std::isfinite(*cost)) {
        result.status = CostLookup::Status::NoPrice;
        result.problem =
            QStringLiteral("The price of \"%1\" in the price list is not a number (%2).")
                .arg(item, value.toString());
        return result;
    }
    // A file made by another program may hold anything: a negative or absurd
    // price is a typing error there, never a charge.
    if (*cost < 0 || *cost > MaxMoneyAmount) {
        result.status = CostLookup::Status::NoPrice;
        result.problem = QStringLiteral("The price of \"%1\" in the price list is %2, which "
                                        "cannot be right: a price is from 0 to 100,000. Correct "
                                        "it in the price list.")
                             .arg(item, NumberText(*cost));
        return result;
    }
    result.status = CostLookup::Status::Found;
    result.cost = *cost;
    return result;
}

CostLookup MissingItem(const QString& item)
{
    CostLookup result;
    result.status = CostLookup::Status::Missing;
    result.problem = QStringLiteral("\"%1\" is not in the price list.").arg(item);
    return result;
}

QString StoredCostText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    const auto type = value.metaType().id();
    if (type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int)
        return NumberText(value.toDouble());
    return value.toString();
}
