#pragma once

// An estimate as the customer takes it home: what the Estimate screen shows,
// line by line, and its text as a printable page.

#include "estimate/service_catalog.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The words the printed estimate gives a service: words the customer reads
// ("Paper wrapping", "Slicing for jerky"), not the price list's item names
// nor the screen's captions.
QString PrintedServiceName(ServiceId service);

struct EstimateLine {
    ServiceId service;
    QString weight; // pounds, as the screen shows them; empty when there is none
    QString rate;   // dollars per pound; empty when there is no single rate
    QString charge; // dollars, as the screen shows them
    QString note;   // a word on how it is charged, when the charge needs one
};

struct EstimateSummary {
    QString shopName;
    QDate date;
    QString species;       // "Beef", "Pork", "Deer", or empty when none is chosen
    QString weightCaption; // "Live Weight" or "Field Dressed"
    QString enteredWeight;
    QString hangingWeight;
    QString killCharge;
    QString processingCharge;
    QString processingRate; // dollars per pound, or empty for a flat charge
    QList<EstimateLine> services;
    QString total;
};

// Amounts of money in whole cents that add up exactly to the total in whole
// cents (the total to the nearest cent, a half cent to the even cent): each
// amount to its nearest cent, then the cents that their sum misses (or has too
// many) go to (or come from) the amounts that this rounding moved the most,
// the largest remainder first, the earlier amount on a tie. An empty amount
// counts as 0. No value when an amount or the total is not a number, or when
// the total is further from the amounts' sum than a cent for each amount.
std::optional<QList<std::int64_t>> CentsAddingUp(const QStringList& amounts, const QString& total);

// A figure of money as printed: dollars and whole cents, halves of a cent to
// the even cent ("$25.58" for 25.575, "$17.00" for "17"). Text that is not a
// number is printed as it stands.
QString PrintedMoney(const QString& figure);

// A price per pound as printed, cents at least ("$0.37/lb", "$0.20/lb",
// "$0.0125/lb"); empty for no rate.
QString PrintedRate(const QString& rate);

// The estimate as a page of HTML, for Qt's rich text printing. The charges are
// printed to the cent and add up to the printed total (see CentsAddingUp).
QString EstimateHtml(const EstimateSummary& summary);
