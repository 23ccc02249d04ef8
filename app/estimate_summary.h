#pragma once

// An estimate as the customer takes it home: what the Estimate screen shows,
// line by line, and its text as a printable page.

#include <QDate>
#include <QList>
#include <QString>

struct EstimateLine {
    QString service; // the service's caption
    QString weight;  // pounds, as the screen shows them; empty when there is none
    QString rate;    // dollars per pound; empty when there is no single rate
    QString charge;  // dollars, as the screen shows them
    QString note;    // a word on how it is charged, when the charge needs one
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

// A figure of money as printed: dollars and whole cents, halves of a cent to
// the even cent ("$25.58" for 25.575, "$17.00" for "17"). Text that is not a
// number is printed as it stands.
QString PrintedMoney(const QString& figure);

// A price per pound as printed, cents at least ("$0.37/lb", "$0.20/lb",
// "$0.0125/lb"); empty for no rate.
QString PrintedRate(const QString& rate);

// The estimate as a page of HTML, for Qt's rich text printing.
QString EstimateHtml(const EstimateSummary& summary);
