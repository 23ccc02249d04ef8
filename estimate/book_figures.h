#pragma once

// The figures that the book keeps beside a saved estimate's states, for the
// report on the quotes and the list of an animal's shares, read from the
// states themselves.

#include "book/estimate_book.h"
#include "estimate/likely_range.h"

#include <functional>

// Sets the record's figures from its quote and final bill: their totals in
// cents (a share's as billed), the live weight of its part of the animal, the
// hanging weight when it was weighed for the final bill, the services
// charged, and an animal's tag and part. A record saved before the quotes
// had a likely range keeps none.
void FillBookFigures(EstimateRecord& record);
// The same, for a record being saved now: with its quote's likely range at the
// shop's ranges (`ratioOf`) when it has none yet (the range kept is the one
// the quote was given with: clear it when the quote itself changes).
void FillBookFiguresAt(EstimateRecord& record, const std::function<HangingRatio(Species)>& ratioOf);
