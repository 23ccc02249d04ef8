#pragma once

// The printed estimate that the customer takes home.

#include "core/clock.h"
#include "estimate/estimate_summary.h"
#include "estimate/likely_range.h"
#include "estimate/quote_rules.h"

#include <QStringList>

class PriceConnection;
class QPrinter;
class QWidget;

// Prints the estimate on the printer (a PDF file when the printer is set to one).
void PrintEstimate(QPrinter& printer, const EstimateSummary& summary);

// Qt's print dialog (where the estimate can also be saved as a PDF file),
// then the print. False when the clerk cancels.
bool PrintEstimateWithDialog(QWidget* parent, const EstimateSummary& summary);

// The PDF file the print dialog suggests, in the user's documents folder (the
// home folder when there is none): "Estimate 12 - Ann Smith.pdf" for a saved
// estimate, "Estimate 2026-12-09.pdf" for one not saved; a name made safe for
// a file name.
QString SuggestedPdf(const EstimateSummary& summary);
// The same for another printout, by its name ("Print the Shares").
QString SuggestedPdf(const QString& name);

// Prints a final bill beside its quote (see FinalBillHtml).
void PrintFinalBill(QPrinter& printer, const EstimateSummary& quote, const EstimateSummary& billed);

// Qt's print dialog, then the final bill. False when the clerk cancels.
bool PrintFinalBillWithDialog(QWidget* parent, const EstimateSummary& quote,
                              const EstimateSummary& billed);

// Several pages in one print (each buyer's estimate and the animal's sheet),
// each on a page of its own, after Qt's print dialog. False when the clerk
// cancels.
void PrintPages(QPrinter& printer, const QStringList& pages, const QString& name);
bool PrintPagesWithDialog(QWidget* parent, const QStringList& pages, const QString& title,
                          const QString& name);

// The shop's name, address and phone at the head of the page, as
// ReadShopHead last read them (the built-in name while none is set), and
// today as the day printed.
void AddShopHead(EstimateSummary& summary, const Clock& clock);

// Reads the shop's details from the price list's store for the heads printed
// from now on: when the Estimate screen starts and when the Price List window
// has saved them, never at each print. When the store cannot be read, the
// details read last stay.
void ReadShopHead(PriceConnection& connection);

// A quote's likely range (see Likely), in the shop's words, and the meat the
// customer is likely to take home at the shop's master and yields (`rules`),
// added to its summary (nothing when there is none to give).
void AddLikelyRange(EstimateSummary& summary, const EstimateValue& quote, const QuoteRules& rules);
