#include "memory_prices.h"

#include "core/numbers.h"
#include "pricelist/price_list.h"
#include "pricelist/sample_price_list.h"
#include "store/csv.h"

MemoryPrices::MemoryPrices(bool sample)
{
    if (!sample)
        return;
    QString problem;
    const QList<Csv::Record> records = Csv::parse(SamplePricesCsv(), &problem);
    for (int i = 1; i < records.size(); ++i) // the header line first
        items_.insert(records[i].fields.value(0), MoneyAmount(records[i].fields.value(1)));
}

MemoryPrices& MemoryPrices::set(const QString& item, double cost)
{
    ++revision_;
    items_.insert(item, cost);
    return *this;
}

MemoryPrices& MemoryPrices::remove(const QString& item)
{
    ++revision_;
    items_.remove(item);
    return *this;
}

MemoryPrices& MemoryPrices::unusable(const QString& item)
{
    ++revision_;
    items_.insert(item, std::nullopt);
    return *this;
}

PriceSource::OpenResult MemoryPrices::open()
{
    if (!open_ && !outOfReach)
        open_ = opens == OpenResult::Opened;
    return outOfReach ? OpenResult::Unreachable : open_ ? OpenResult::Opened : opens;
}

QString MemoryPrices::openProblem() const
{
    if (outOfReach || opens == OpenResult::Unreachable)
        return QStringLiteral("The database locker on office cannot be reached.");
    return opens == OpenResult::Opened ? QString()
                                       : QStringLiteral("There is no price list in memory.");
}

QString MemoryPrices::describe() const
{
    return server ? QStringLiteral("database locker on office") : QStringLiteral("memory");
}

CostLookup MemoryPrices::lookupCost(const QString& item, CostStatement)
{
    ++lookups;
    asked.insert(item);
    CostLookup result;
    if (outOfReach || (server && !open_ && open() != OpenResult::Opened)) {
        result.problem = openProblem();
        return result;
    }
    if (!open_) {
        result.problem = QStringLiteral("The price list is not open.");
        return result;
    }
    const auto found = items_.constFind(item);
    if (found == items_.constEnd()) {
        result.status = CostLookup::Status::Missing;
        result.problem = QStringLiteral("\"%1\" is not in the price list.").arg(item);
    } else if (!*found) {
        result.status = CostLookup::Status::NoPrice;
        result.problem = QStringLiteral("The price of \"%1\" is not a price.").arg(item);
    } else {
        result.status = CostLookup::Status::Found;
        result.cost = **found;
    }
    return result;
}

ItemRows MemoryPrices::findItemRows(const QString& item)
{
    ItemRows rows;
    rows.first = lookupCost(item);
    rows.count = rows.first.status == CostLookup::Status::Found ||
                         rows.first.status == CostLookup::Status::NoPrice
                     ? 1
                     : 0;
    return rows;
}

SaveResult MemoryPrices::addItem(const QString& item, double cost, const QString&)
{
    if (outOfReach || !open_)
        return {false, openProblem()};
    ++revision_;
    items_.insert(item, cost);
    return {true, QString()};
}
