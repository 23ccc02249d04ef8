#include "screens/estimate_print.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

namespace {

void PrintPage(QPrinter& printer, const QString& html, const QString& name)
{
    QTextDocument page;
    page.setHtml(html);
    printer.setDocName(name);
    page.print(&printer);
}

// Qt's print dialog; false when the clerk cancels.
bool AskForPrinter(QPrinter& printer, QWidget* parent, const QString& title)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintEstimateDialog"));
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

void PrintEstimate(QPrinter& printer, const EstimateSummary& summary)
{
    PrintPage(printer, EstimateHtml(summary), QStringLiteral("Estimate"));
}

bool PrintEstimateWithDialog(QWidget* parent, const EstimateSummary& summary)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!AskForPrinter(printer, parent, QStringLiteral("Print Estimate")))
        return false;
    PrintEstimate(printer, summary);
    return true;
}

void PrintFinalBill(QPrinter& printer, const EstimateSummary& quote, const EstimateSummary& billed)
{
    PrintPage(printer, FinalBillHtml(quote, billed), QStringLiteral("Final Bill"));
}

bool PrintFinalBillWithDialog(QWidget* parent, const EstimateSummary& quote,
                              const EstimateSummary& billed)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!AskForPrinter(printer, parent, QStringLiteral("Print Final Bill")))
        return false;
    PrintFinalBill(printer, quote, billed);
    return true;
}
