#pragma once

// How near the shop's quotes came to its final bills, measured from the book
// of saved estimates: over a range of days and a species, how many estimates
// reached a final bill, the hanging weight as a share of the live weight where
// it was weighed, the final bill against the quote, and the services added or
// dropped between them. Figured from the figures the book keeps beside each
// record (see EstimateRecord), never from the records themselves.

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <cstdint>
#include <optional>

struct ReportRange {
    QDate from, to;  // the days the estimates were first saved, both included; unset: no bound
    QString species; // "Beef", "Pork", "Deer"; empty for every species
};

// Three points of a spread: the 10th percentile, the median and the 90th.
struct Spread {
    double low = 0, median = 0, high = 0;
};

struct SpeciesAccuracy {
    QString species;
    int estimates = 0; // saved in the range
    int billed = 0;    // of them, with a final bill
    // Of those, the animals with the hanging weight weighed after the kill (an
    // animal sold in shares counted once, its shares' weights together).
    int weighed = 0;
    // The weighed hanging weight ÷ the live (or field-dressed) weight; none
    // when nothing was weighed.
    std::optional<Spread> ratio;
    // Each final bill ÷ its quote, smallest first (a quote of nothing left out).
    QList<double> finalOverQuote;
    // The median of final − quote, in cents and as a share of the quote.
    std::int64_t medianDifference = 0;
    double medianDifferenceShare = 0;
    // The share of final bills within ±5 % and ±10 % of their quotes.
    double within5 = 0, within10 = 0;
    // How many final bills added, or dropped, each service (by its number,
    // as the estimate layer numbers them).
    QMap<int, int> added, dropped;
};

struct AccuracyReport {
    QList<SpeciesAccuracy> species; // in the order Beef, Pork, Deer; those with estimates
    int estimates = 0, billed = 0;
    // Estimates saved before the book kept its figures, not counted until
    // they are filled in (EstimateBook::fillFigures).
    int notFigured = 0;
};

// The p-th percentile (0 to 1) of sorted values, between the two nearest.
double Percentile(const QList<double>& sorted, double p);
