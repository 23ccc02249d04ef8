#include "screens/estimate_print.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

void PrintEstimate(QPrinter& printer, const EstimateSummary& summary)
{
    QTextDocument page;
    page.setHtml(EstimateHtml(summary));
    printer.setDocName(QStringLiteral("Estimate"));
    page.print(&printer);
}

bool PrintEstimateWithDialog(QWidget* parent, const EstimateSummary& summary)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintEstimateDialog"));
    dialog.setWindowTitle(QStringLiteral("Print Estimate"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    PrintEstimate(printer, summary);
    return true;
}
