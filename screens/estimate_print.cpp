#include "screens/estimate_print.h"

#include "core/money.h"
#include "core/shop_settings.h"

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

namespace {

// The shop the program was made for, named on the printed estimate until the
// owner sets the shop's own name.
const QString ShopName = QStringLiteral("Tallowbrook Processing");

} // namespace

void AddShopHead(EstimateSummary& summary, const Clock& clock)
{
    const ShopDetails shop = LoadShopDetails();
    summary.shopName = shop.name.trimmed().isEmpty() ? ShopName : shop.name.trimmed();
    summary.shopAddress = shop.address.trimmed();
    summary.shopPhone = shop.phone.trimmed();
    summary.printed = clock.today();
}

HangingRatio ShopRatio(Species species)
{
    const std::optional<RatioSetting> set = LoadRatioSetting(SpeciesName(species));
    if (set && RatioProblem(set->low, set->high).isEmpty())
        return {set->low, set->high, set->middle};
    return DefaultRatio(species);
}

void AddLikelyRange(EstimateSummary& summary, const EstimateValue& quote)
{
    const std::optional<LikelyRange> likely = Likely(quote, ShopRatio(quote.species));
    if (!likely)
        return;
    summary.likelyHanging =
        QStringLiteral("%1 to %2 lb").arg(likely->hangingLow, likely->hangingHigh);
    summary.likelyTotal = LikelyText(*likely);
    summary.likelyWords = likely->words;
}

void PrintPages(QPrinter& printer, const QStringList& pages, const QString& name)
{
    // Each page's body, the next one beginning a new sheet of paper.
    QStringList bodies;
    for (QString page : pages) {
        page.remove(QStringLiteral("<html><body>"));
        page.remove(QStringLiteral("</body></html>"));
        bodies << page;
    }
    PrintPage(printer,
              QStringLiteral("<html><body>%1</body></html>")
                  .arg(bodies.join(QStringLiteral("<p style=\"page-break-before: always\"></p>"))),
              name);
}

bool PrintPagesWithDialog(QWidget* parent, const QStringList& pages, const QString& title)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!AskForPrinter(printer, parent, title))
        return false;
    PrintPages(printer, pages, title);
    return true;
}

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
