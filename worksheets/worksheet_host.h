#pragma once

// What a worksheet may see and do of the screen that opens it (the Estimate
// screen): read the hanging weight and the database flag, write its service's
// weight and charge, and have the total figured again. A worksheet knows
// nothing else of that screen, so it can be built and tested on its own.

#include "estimate/service_catalog.h"

#include <QString>

class WorksheetHost {
public:
    virtual ~WorksheetHost() = default;

    // The hanging weight (frmEst.Text2), as the clerk sees it.
    virtual QString hangingWeightText() const = 0;

    // The database flag (frmEst.Check2): true while ticked.
    virtual bool priceListFlag() const = 0;

    // The price list that every screen opens.
    virtual QString priceListPath() const = 0;

    // Writes a service's weight and charge and refigures the estimate's total.
    virtual void writeService(ServiceId service, const QString& weight, const QString& charge) = 0;

    // Refigures the total through the hidden focus target `tot`: it is shown,
    // given the focus, the focus goes back to the hanging weight, and it is
    // hidden again.
    virtual void refigureTotalThroughTot() = 0;
};
