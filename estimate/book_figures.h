#pragma once

// The figures that the book keeps beside a saved estimate's states, for the
// report on the quotes and the list of an animal's shares, read from the
// states themselves.

#include "book/estimate_book.h"

// Sets the record's figures from its quote and final bill: their totals in
// cents (a share's as billed), the live weight of its part of the animal, the
// hanging weight when it was weighed for the final bill, the services
// charged, and an animal's tag and part.
void FillBookFigures(EstimateRecord& record);
