#pragma once

// Every item of a price list as it was read at one moment: the rows of each
// name and the Cost of its first, so that a lookup asks nothing of the store.
// A counter on a server holds one, read again at each notice of a change.

#include "pricelist/price_source.h"

#include <QHash>
#include <QString>
#include <optional>

class QSqlDatabase;
class QSqlError;

class PriceSnapshot {
public:
    // Reads every row; false when they could not be read (then `error` says
    // why, and nothing is held).
    bool load(QSqlDatabase& db, QSqlError* error);
    void clear() { rows_.reset(); }
    bool held() const { return rows_.has_value(); }
    // The rows of the item as they were read (none: Missing).
    ItemRows rows(const QString& item) const;

private:
    std::optional<QHash<QString, ItemRows>> rows_;
};
