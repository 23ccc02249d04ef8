#pragma once

// The shop's price list: the table Charges1 (Item text, Cost number, Category
// text) in an SQLite file or on the shop's server, looked up and added to.
// Each screen that prices anything holds a PriceList over a connection of its
// own or one shared with the counter's other windows.

#include "pricelist/price_connection.h"
#include "pricelist/price_source.h"
#include "store/store_location.h"

#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

// One row of Charges1.
struct PriceEntry {
    QString item;
    QString cost; // as stored, written as a number where it is one
    QString category;
    qint64 rowId = 0; // the row's number: which row it is, as long as it is there
};

// Which row is "the first row" of a name is the same everywhere: of the rows
// whose Item equals the name exactly (byte for byte, whatever the column's
// collation), the one stored first (the lowest row number).
class PriceList : public PriceSource {
public:
    using CostStatement = ::CostStatement;
    using PriceSource::lookupCost;

    // Over a connection of its own to the price list at `location`.
    explicit PriceList(StoreLocation location);
    // Over a connection shared with others.
    explicit PriceList(std::shared_ptr<PriceConnection> connection);
    ~PriceList() override;
    PriceList(const PriceList&) = delete;
    PriceList& operator=(const PriceList&) = delete;

    // Opens the file or connects to the server (see PriceConnection::open).
    OpenResult open() override { return connection_->open(); }
    bool isOpen() const override { return connection_->isOpen(); }
    const QString& path() const { return connection_->location().text(); }
    const StoreLocation& location() const { return connection_->location(); }
    const std::shared_ptr<PriceConnection>& connection() const { return connection_; }
    QString openProblem() const override { return connection_->openProblem(); }
    bool isServer() const override { return connection_->isServer(); }
    bool outOfReach() const { return connection_->outOfReach(); }
    bool connectWhenAnswering() { return connection_->connectWhenAnswering(); }
    QString describe() const override { return connection_->describe(); }

    // The Cost of the first row carrying the item. A Cost that is not a
    // price (negative, or more than MaxMoneyAmount) is NoPrice, told in plain
    // words, and never used.
    CostLookup lookupCost(const QString& item, CostStatement form) override;
    quint64 revision() override;

    // All columns of the rows carrying the item (Select * ... with a blank
    // after it): their number and the Cost, by position, of the first.
    ItemRows findItemRows(const QString& item) override;

    // Adds one row and saves it in one transaction: afterwards every
    // connection finds it. Nothing is written when it fails.
    SaveResult addItem(const QString& item, double cost, const QString& category) override;

    // The shop's settings kept beside the prices (see shop_settings_store.h):
    // read once for each change of the store, the last read kept while it
    // cannot be read.
    ShopWideSettings shopSettings() override;
    StoreResult saveShopSettings(const ShopWideSettings& settings) override;

    // Every row, in stored order.
    QList<PriceEntry> entries(QString* problem = nullptr);

    // Whether Charges1 is a view: it can be read but not changed.
    bool isView();

    // The fixed default file: Lockers.db in the user's application data folder.
    static QString defaultPath();

    // Where the program and the tool keep the shop's data: the server given,
    // else the price list file given, else the machine's server (its
    // setting "database") when `mayUseSetting`, else the default file.
    struct Choice {
        QString location;         // a file's path or a server's address
        bool fromSetting = false; // the machine's server
        // Why the machine's server address cannot be used; it is still the
        // shop's store (the built-in prices never stand in for it).
        QString settingProblem;
    };
    static Choice choose(const std::optional<QString>& database,
                         const std::optional<QString>& priceList, bool mayUseSetting);

private:
    // Before each use: the connection ready, and the answers kept dropped
    // when the price list may have changed since.
    bool ready(QString* problem);
    CostLookup lookupCostOnce(const QString& item, CostStatement form);
    ItemRows findItemRowsOnce(const QString& item);
    QList<PriceEntry> entriesOnce(QString* problem);

    std::shared_ptr<PriceConnection> connection_;
    // The lookups answered since the price list last changed, by item name.
    QHash<QString, CostLookup> costs_;
    quint64 costsAt_ = 0; // the connection's changes when they were answered
    ShopWideSettings settings_;
    std::optional<quint64> settingsAt_; // the connection's changes when they were read
};
