#pragma once

// Prices held in memory, for figuring an estimate in a test with no files:
// the sample prices unless told otherwise, an item taken away or its price
// made unusable at any moment, and a server that can go out of reach.

#include "pricelist/price_source.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <optional>

class MemoryPrices : public PriceSource {
public:
    // The sample prices of the shop, or none.
    explicit MemoryPrices(bool sample = true);

    MemoryPrices& set(const QString& item, double cost);
    MemoryPrices& remove(const QString& item);
    // The item is there with a cost that is not a price.
    MemoryPrices& unusable(const QString& item);

    // What open() gives (Opened unless told otherwise).
    OpenResult opens = OpenResult::Opened;
    // Prices kept on a server for several counters.
    bool server = false;
    // The server does not answer: every use fails, naming it.
    bool outOfReach = false;
    // The shop's settings kept with these prices.
    ShopWideSettings settings;
    ShopWideSettings shopSettings() override { return settings; }
    // How many lookups were asked for, and of which items.
    int lookups = 0;
    QSet<QString> asked;

    OpenResult open() override;
    bool isOpen() const override { return open_; }
    QString openProblem() const override;
    bool isServer() const override { return server; }
    QString describe() const override;
    CostLookup lookupCost(const QString& item, CostStatement form) override;
    using PriceSource::lookupCost;
    ItemRows findItemRows(const QString& item) override;
    quint64 revision() override { return revision_; }
    SaveResult addItem(const QString& item, double cost, const QString& category) override;

private:
    // No value: the item is there without a usable price.
    QHash<QString, std::optional<double>> items_;
    bool open_ = false;
    quint64 revision_ = 0;
};
