#pragma once

// The printed estimate that the customer takes home.

#include "core/clock.h"
#include "estimate/estimate_summary.h"
#include "estimate/likely_range.h"

#include <QStringList>

class QPrinter;
class QWidget;

// Prints the estimate on the printer (a PDF file when the printer is set to one).
void PrintEstimate(QPrinter& printer, const EstimateSummary& summary);

// Qt's print dialog (where the estimate can also be saved as a PDF file),
// then the print. False when the clerk cancels.
bool PrintEstimateWithDialog(QWidget* parent, const EstimateSummary& summary);

// Prints a final bill beside its quote (see FinalBillHtml).
void PrintFinalBill(QPrinter& printer, const EstimateSummary& quote, const EstimateSummary& billed);

// Qt's print dialog, then the final bill. False when the clerk cancels.
bool PrintFinalBillWithDialog(QWidget* parent, const EstimateSummary& quote,
                              const EstimateSummary& billed);

// Several pages in one print (each buyer's estimate and the animal's sheet),
// each on a page of its own, after Qt's print dialog. False when the clerk
// cancels.
void PrintPages(QPrinter& printer, const QStringList& pages, const QString& name);
bool PrintPagesWithDialog(QWidget* parent, const QStringList& pages, const QString& title);

// The shop's name, address and phone at the head of the page, and today as
// the day printed.
void AddShopHead(EstimateSummary& summary, const Clock& clock);

// The shop's range of the hanging weight for a species: its own setting, or
// the published figures.
HangingRatio ShopRatio(Species species);

// A quote's likely range, in the shop's words, added to its summary (nothing
// when there is none to give).
void AddLikelyRange(EstimateSummary& summary, const EstimateValue& quote);
