#pragma once

// A PostgreSQL server of the bench's own reached through the test relay, as a
// hosted server far from the shop: what passes is held for a while each way,
// and the link can go silent (connections stay up, nothing passes).

#include "pricelist/price_list.h"
#include "tcp_relay.h"

#include <QString>

class FarLink {
public:
    // The server at `url` (postgresql://user@host:port/database), reached
    // with `delayMs` added each way.
    FarLink(const QString& url, int delayMs)
        : relay_(portOf(url))
    {
        relay_.setDelayMs(delayMs);
        url_ = QString(url).replace(QStringLiteral(":%1/").arg(portOf(url)),
                                    QStringLiteral(":%1/").arg(relay_.port()));
    }

    // The same database, through the relay.
    const QString& url() const { return url_; }
    // How many times the program has sent something over the link: as it
    // waits for each answer before it sends again, its round trips.
    int sends() const { return relay_.clientSends(); }

    // The link goes silent; then a change to the prices, which waits for the
    // server, is cut at the time limit, and the price list finds the server
    // out of reach. Whether it did.
    bool loseServer(PriceList& prices)
    {
        relay_.setMode(TcpRelay::Mode::Silent);
        prices.addItem(QStringLiteral("Jerky"), 4, QStringLiteral("Sausage"));
        return prices.outOfReach();
    }

private:
    static int portOf(const QString& url)
    {
        return url.section(QLatin1Char(':'), -1).section(QLatin1Char('/'), 0, 0).toInt();
    }

    TcpRelay relay_;
    QString url_;
};
