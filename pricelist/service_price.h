#pragma once

// The price per pound of one service, as a worksheet gets it: on the
// worksheet's own connection to the price list, looked up once and then kept
// for as long as the worksheet is open.

#include "pricelist/price_list.h"

#include <QString>
#include <memory>
#include <optional>

// The price of a service as every screen takes it: from the price list while
// the database flag is ticked, else the built-in one. `lookUp` gives the
// price list's answer, or no value with the problem said.
template <typename LookUp>
std::optional<double> ListOrBuiltIn(bool flag, double builtIn, LookUp lookUp)
{
    return flag ? lookUp() : std::optional<double>(builtIn);
}

class ServicePrice {
public:
    ServicePrice(QString path, QString item, PriceList::CostStatement form);
    ~ServicePrice();

    // Opens the connection, as a screen that prices does when it loads.
    void open();
    // Opens the connection and looks the price up, keeping it when found.
    // Nothing is told here: price() says why there is none when it is needed.
    void lookUp();
    // The price kept, or else one looked up now (the connection opened when
    // it is not). No value when there is none, and `problem` says why in
    // plain words, naming the item.
    std::optional<double> price(QString* problem);
    // The price looked up now, whatever was kept (and kept in its place).
    std::optional<double> current(QString* problem);
    // While the database flag is ticked, price(); while it is unticked, the
    // built-in price.
    std::optional<double> priceOr(bool flag, double builtIn, QString* problem);

private:
    QString item_;
    PriceList::CostStatement form_;
    std::unique_ptr<PriceList> list_;
    std::optional<double> price_;
};
