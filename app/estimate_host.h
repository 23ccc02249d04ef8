#pragma once

// What a worksheet may see and do of the Estimate screen. The Estimate screen
// implements it; a worksheet knows nothing else of that screen, so worksheets
// can be built and tested on their own.

#include <QString>

class EstimateHost {
public:
    virtual ~EstimateHost() = default;

    // The hanging weight field (frmEst.Text2), as the clerk sees it.
    virtual QString hangingWeightText() const = 0;

    // The database flag (frmEst.Check2): true while ticked.
    virtual bool priceListFlag() const = 0;

    // The price list file that every screen opens.
    virtual QString priceListPath() const = 0;

    // Writes a service row's weight field and charge field (indices of
    // frmEst.Text6) and refigures the estimate's total at once.
    virtual void writeServiceRow(int weightField, const QString& weight, int chargeField,
                                 const QString& charge) = 0;

    // Refigures the total through the hidden focus target `tot`: it is shown,
    // given the focus, the focus goes back to the hanging weight, and it is
    // hidden again.
    virtual void refigureTotalThroughTot() = 0;
};
