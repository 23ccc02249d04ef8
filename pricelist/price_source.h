#pragma once

// Where the figuring gets its prices. The price list file and the price list
// on a server implement it; a test gives a table in memory. Nothing above this
// layer asks a database for a price any other way.

#include "core/shop_settings.h"
#include "store/store_result.h"

#include <QString>

// The outcome of a price lookup.
struct CostLookup {
    enum class Status {
        Found,   // `cost` holds the price of the first row of the item
        Missing, // no row carries the item
        NoPrice, // the first row's Cost is empty, not a number, negative or
                 // beyond any price (MaxMoneyAmount): it is not used
        Failed,  // the price list could not be read (closed, damaged, locked,
                 // its server out of reach)
    };
    Status status = Status::Failed;
    double cost = 0;
    QString problem; // in plain words, when not Found

    bool found() const { return status == Status::Found; }
};

// The rows that carry one item: how many, and the price of the first.
struct ItemRows {
    int count = 0;
    CostLookup first; // Missing when count is 0
};

// The outcome of a change to the price list.
struct SaveResult {
    bool saved = false;
    QString problem; // in plain words, when not saved
};

// The shape of a cost lookup statement. They find the same rows; the screens
// keep the forms that their statements have always had.
enum class CostStatement {
    Plain,         // Select Cost From Charges1 Where Item = ?
    TrailingBlank, // ... Where Item = ?  (a blank after it)
    WideFrom,      // Select Cost From  Charges1 ... (two blanks after From)
};

class PriceSource {
public:
    enum class OpenResult {
        Opened,
        FileMissing, // no price list file where it is looked for
        Unreachable, // the server holding the prices did not answer: it is
                     // tried again at the next use, and nothing stands in for it
        Unusable,    // there, but not a price list that can be read
    };

    virtual ~PriceSource() = default;

    // Opens it; a file is never created by opening.
    virtual OpenResult open() = 0;
    // Open, or in use and tried again at each use (a server out of reach).
    virtual bool isOpen() const = 0;
    // Why the last open failed, in plain words.
    virtual QString openProblem() const = 0;
    // True when the prices are kept on a server for several counters: the
    // built-in prices never stand in for the shop's.
    virtual bool isServer() const = 0;
    // Where the prices are, as a person reads it: a file's path, or the
    // server's database and host.
    virtual QString describe() const = 0;

    // The Cost of the first row carrying the item.
    virtual CostLookup lookupCost(const QString& item, CostStatement form) = 0;
    CostLookup lookupCost(const QString& item) { return lookupCost(item, CostStatement::Plain); }
    // A number that moves on whenever the prices may have changed (here or
    // elsewhere); while it stays, every price looked up is as it was.
    virtual quint64 revision() = 0;
    // All rows carrying the item: their number and the Cost of the first.
    virtual ItemRows findItemRows(const QString& item) = 0;
    // Adds one item with its price; afterwards every lookup finds it.
    virtual SaveResult addItem(const QString& item, double cost, const QString& category) = 0;

    // The shop's own settings, kept with its prices, as they are now (read
    // again whenever the store may have changed); none set where none are
    // kept.
    virtual ShopWideSettings shopSettings() { return {}; }
    // Saves them in place of those kept, for every counter.
    virtual StoreResult saveShopSettings(const ShopWideSettings& settings)
    {
        Q_UNUSED(settings);
        return StoreResult::fail(StoreKind::Refused,
                                 QStringLiteral("These prices keep no shop settings."));
    }
};
