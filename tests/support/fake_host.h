#pragma once

// A stand-in for the Estimate screen, for testing a worksheet on its own: it
// holds the hanging weight and the database flag that the worksheet reads,
// and records what the worksheet writes back.

#include "worksheets/worksheet_host.h"

#include <QList>

class FakeEstimateHost : public WorksheetHost {
public:
    struct Write {
        ServiceId service;
        QString weight;
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
    void writeService(ServiceId service, const QString& weight, const QString& charge) override
    {
        writes.append({service, weight, charge});
    }
    void refigureTotalThroughTot() override { ++totRefigures; }
};
