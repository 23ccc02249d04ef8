#include "pricelist/price_snapshot.h"

#include "pricelist/stored_cost.h"

#include <QSqlError>
#include <QSqlQuery>

bool PriceSnapshot::load(QSqlDatabase& db, QSqlError* error)
{
    rows_.reset();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("Select Item, Cost From Charges1 Order By rowid"))) {
        *error = query.lastError();
        return false;
    }
    QHash<QString, ItemRows> rows;
    while (query.next()) {
        ItemRows& held = rows[query.value(0).toString()];
        if (held.count++ == 0)
            held.first = CostFromStored(query.value(1), query.value(0).toString());
    }
    if (query.lastError().isValid()) {
        *error = query.lastError();
        return false;
    }
    rows_ = std::move(rows);
    return true;
}

ItemRows PriceSnapshot::rows(const QString& item) const
{
    if (rows_) {
        const auto held = rows_->constFind(item);
        if (held != rows_->constEnd())
            return *held;
    }
    ItemRows none;
    none.first = MissingItem(item);
    return none;
}
