#pragma once

// The figures that the book keeps beside a saved estimate's states, for the
// report on the quotes and the list of an animal's shares, read from the
// states themselves.

#include "book/estimate_book.h"
#include "estimate/likely_range.h"

// Sets the record's figures from its quote and final bill: their totals in
// cents, the live weight of its part of the animal, the hanging weight when
// it was weighed for the final bill, the services charged, an animal's tag
// and part, and the quote's likely range as the quote was given it (a quote
// saved before quotes kept their range keeps the one the book has).
void FillBookFigures(EstimateRecord& record);
