#pragma once

// A Cost as the price list keeps it, read as a price.

#include "pricelist/price_source.h"

#include <QString>
#include <QVariant>

// The Cost read from a row of `item`: a price, or NoPrice told in plain
// words (none, not a number, negative or more than MaxMoneyAmount).
CostLookup CostFromStored(const QVariant& value, const QString& item);

// `item` is not in the price list.
CostLookup MissingItem(const QString& item);

// A stored Cost as a person reads it: a number written as one, anything
// else as it is, empty for none.
QString StoredCostText(const QVariant& value);
