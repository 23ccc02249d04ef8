#pragma once

// An estimate for a worksheet to be opened for, over prices that the test
// gives (in memory, or a price list file), and a stand-in for the Estimate
// screen that records what the worksheet wrote into the estimate.

#include "counter_screen.h"
#include "estimate/worksheet_figuring.h"
#include "worksheets/worksheet_host.h"

#include <QList>

// The clerk at a worksheet's figuring: what it was told, and what it was
// warned of; No to every question, Cancel to every input box.
struct SheetClerk : SheetDialogs {
    QStringList told, warned;
    void tell(const QString& text) override { told << text; }
    void warn(const QString& text) override { warned << text; }
    bool askCritical(const QString& text, const QString&) override { return warned << text, false; }
    std::optional<QString> askText(const QString&, const QString&) override { return {}; }
};

// A service's row of an estimate, "weight|charge".
inline QString rowOf(const Estimate& estimate, ServiceId service)
{
    return estimate.row(service).weight.text + QLatin1Char('|') + estimate.row(service).charge.text;
}

class SheetHost : public WorksheetHost {
public:
    struct Write {
        ServiceId service;
        QString weight;
        QString charge;
    };

    // The estimate started over `prices` (the flag ticked when they open),
    // with the hanging weight `hanging` and the worksheet's service ticked.
    SheetHost(PriceSource& prices, ServiceId service, const QString& hanging = QStringLiteral("0"))
        : estimate(prices, clock)
    {
        estimate.startUp();
        setHanging(hanging);
        estimate.clickService(service, true);
    }

    TestClock clock;
    Estimate estimate;
    QList<Write> writes;
    int totRefigures = 0;

    // The clerk types the hanging weight on the Estimate screen.
    void setHanging(const QString& text) { estimate.setHangingWeight(text); }
    // The clerk ticks or unticks the database flag.
    void setFlag(bool ticked) { estimate.setPriceListFlag(ticked); }

    void sheetWritten(ServiceId service) override
    {
        const ServiceRow& row = estimate.row(service);
        writes.append({service, row.weight.text, row.charge.text});
    }
    void refigureTotalThroughTot() override { ++totRefigures; }
};
