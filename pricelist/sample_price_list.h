#pragma once

// The sample price list that a new counter starts with.

#include "pricelist/price_source.h"

#include <QString>

// The sample prices, as the CSV text kept in data/.
QString SamplePricesCsv();

// Creates a price list file holding the sample prices at `path`, which must
// not exist yet (`withPrices` false: the same file without a row). The file
// appears whole or not at all.
SaveResult CreateSamplePriceList(const QString& path, bool withPrices = true);
