#pragma once

// A stand-in for the Estimate screen, for testing a worksheet on its own: it
// holds the hanging weight and the database flag that the worksheet reads,
// and records what the worksheet writes back.

#include "estimate_host.h"

#include <QList>

class FakeEstimateHost : public EstimateHost {
public:
    struct Write {
        int weightField;
        QString weight;
        int chargeField;
        QString charge;
    };

    QString hanging = QStringLiteral("0");
    bool flag = true;
    QString path;
    QList<Write> writes;
    int totRefigures = 0;

    QString hangingWeightText() const override { return hanging; }
    bool priceListFlag() const override { return flag; }
    QString priceListPath() const override { return path; }
    void writeServiceRow(int weightField, const QString& weight, int chargeField,
                         const QString& charge) override
    {
        writes.append({weightField, weight, chargeField, charge});
    }
    void refigureTotalThroughTot() override { ++totRefigures; }
};
