#pragma once

// An estimate as the customer takes it home: what the Estimate screen shows,
// line by line, and its text as a printable page.

#include "estimate/service_catalog.h"

struct EstimateValue;
struct ShareOfAnimal;
enum class Species;

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The rows figured by a worksheet for another hanging weight than the one
// the estimate shows, in words ("Fajita Strips, figured for 150 lb").
QStringList StaleRowWords(const EstimateValue& value);

// "Share 3 of 8": which share of its animal an estimate is, as its sheet and
// the animal's sheet name it.
QString ShareHeading(const ShareOfAnimal& share);
// "3 of 8", as the shop's sheet gives it under its head "Share".
QString ShareOfShares(const ShareOfAnimal& share);
// "a quarter of a beef", "10 % of a hog".
QString PartOfAnimal(const QString& part, Species species);
// The buyer's sheet's words on the share: which part of which animal, its
// hanging weight and how the kill fee is divided.
QString ShareNote(const ShareOfAnimal& share, Species species);

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
    // What the worksheet was given (the cuts chosen, each sausage product
    // with its pounds), a line each.
    QStringList details;
};

struct EstimateSummary {
    // The shop's own header: its name, and the address and phone under it
    // (empty when the owner has not set them).
    QString shopName;
    QString shopAddress; // may hold line breaks
    QString shopPhone;
    // The day it is printed, and the day it was saved (its quote's, or its
    // final bill's); `saved` is unset for an estimate that is not saved.
    QDate printed;
    QDate saved;
    // The day of the prices it is figured at; unset when none were used.
    QDate pricesOf;
    // The saved estimate's number and customer; 0 and empty for an estimate
    // that is not saved, and then none of them is printed.
    qint64 number = 0;
    QString customer;
    QString customerPhone;
    QString note;          // the clerk's note for the customer
    QString hunterTag;     // a deer's hunter's tag or licence number
    QString species;       // "Beef", "Pork", "Deer", or empty when none is chosen
    QString weightCaption; // "Live Weight" or "Field Dressed"
    QString enteredWeight;
    QString hangingWeight;
    QString killCharge;
    QString processingCharge;
    QString processingRate; // dollars per pound, or empty for a flat charge
    QList<EstimateLine> services;
    // For a share of an animal sold in shares: which part of which animal, and
    // the split-side surcharge with its price per pound (empty when none).
    QString shareNote;
    QString surcharge, surchargeRate;
    QString total;
    // The quote's likely range (see likely_range.h): the hanging weight and the
    // total between, and the assumption in words; empty when none is printed.
    QString likelyHanging, likelyTotal, likelyWords;
    // When the quote's factor lies outside the range: which way the bill goes.
    QString likelyCaution;
    // The meat the customer is likely to take home ("about 310–350 lb of
    // meat, in about 180 packages"); empty when none is printed.
    QString takeHome;

    // The money of the booking the estimate is billed by (see
    // AddBillMoney): each payment against this bill in words ("Deposit,
    // 2026-10-01, check 1042") with its amount; the storage charged, in
    // words ("Storage, 3 days past 7 free", "Storage of 3 days waived by
    // ann") with its amount (0 when waived); and what is due after them.
    // Nothing of it is printed while `billedByBooking` is false.
    bool billedByBooking = false;
    QList<std::pair<QString, std::int64_t>> payments;
    QString storageWords;
    std::int64_t storageCents = 0;
    std::int64_t balanceDue = 0;
};

// The estimate's lines as the customer reads them. The shop, the dates and
// the saved estimate's number and customer are the caller's to fill in.
EstimateSummary Summarize(const EstimateValue& value);

// What an estimate bills, charge by charge in the order printed: the kill
// charge, the processing charge (a share's with its cents of the animal's
// rounding), each service counted in the order of their boxes, and a
// split-side quarter's surcharge; and the total. Every bill printed, listed
// or put on a sheet is made from these.
struct BillAmounts {
    QString kill, processing;
    QList<std::pair<ServiceId, QString>> services;
    std::optional<QString> surcharge;
    QString total;

    // Every charge, in the order printed.
    QStringList charges() const;
};
BillAmounts AmountsOf(const EstimateValue& value);

// The same bill to the cent (see CentsAddingUp): each charge, the services
// together, and the total they add up to. No value while a charge or the
// total is not a number.
struct BillCents {
    std::int64_t kill = 0, processing = 0, services = 0, surcharge = 0, total = 0;
};
std::optional<BillCents> CentsOfBill(const EstimateValue& value);

// Amounts of money in whole cents that add up exactly to the total in whole
// cents (the total to the nearest cent, a half cent to the even cent): each
// amount to its nearest cent, then the cents that their sum misses (or has too
// many) go to (or come from) the amounts that this rounding moved the most,
// the largest remainder first, the earlier amount on a tie. An empty amount
// counts as 0. No value when an amount or the total is not a number, or when
// the total is further from the amounts' sum than a cent for each amount.
std::optional<QList<std::int64_t>> CentsAddingUp(const QStringList& amounts, const QString& total);

// The top of a printed page: the shop's name with its address and phone
// under it, the page's title, and the saved estimate's number and customer
// when it has them. HTML, left open for the page's body.
QString PageHeadHtml(const EstimateSummary& summary, const QString& title);

// A price per pound as printed, cents at least ("$0.37/lb", "$0.20/lb",
// "$0.0125/lb"); empty for no rate.
QString PrintedRate(const QString& rate);

// The estimate as a page of HTML, for Qt's rich text printing. The charges are
// printed to the cent and add up to the printed total (see CentsAddingUp).
QString EstimateHtml(const EstimateSummary& summary);

// A final bill as a page of HTML: the estimate as billed (`billed`: its date,
// number, customer and shop head the page) beside the quote it was given
// (`quote`). Each charge, kill and processing first and then the services in
// the order of their boxes, is one line with its quoted charge, its final
// charge and the difference; a service in only one of them is blank on the
// other side. Each column is printed to the cent and adds up to its total, as
// on an estimate, and the differences add up to the difference of the totals.
QString FinalBillHtml(const EstimateSummary& quote, const EstimateSummary& billed);
