#pragma once

// The price item that the curing worksheet is to use: "Curing",
// "SausageSeasoning" or "MinuteSteaks". The Estimate screen sets it just before
// it shows the curing worksheet; the worksheet reads it to choose its role.

#include <QString>

namespace wrkdsht {

QString& CureItem();

} // namespace wrkdsht
