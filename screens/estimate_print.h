#pragma once

// The printed estimate that the customer takes home.

#include "estimate/estimate_summary.h"

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
