#pragma once

// What a worksheet may ask of the screen that opens it (the Estimate screen),
// beyond the estimate it figures: to show what it wrote, and to have the
// total figured through the screen's hidden focus target. A worksheet knows
// nothing else of that screen, so it can be built and tested on its own.

#include "estimate/service_catalog.h"

class WorksheetHost {
public:
    virtual ~WorksheetHost() = default;

    // The worksheet wrote its service's row into the estimate.
    virtual void sheetWritten(ServiceId service) = 0;

    // Refigures the total through the hidden focus target `tot`: it is shown,
    // given the focus, the focus goes back to the hanging weight, and it is
    // hidden again.
    virtual void refigureTotalThroughTot() = 0;
};
