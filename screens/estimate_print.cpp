#include "screens/estimate_print.h"

#include "core/money.h"
#include "core/shop_settings.h"
#include "estimate/take_home.h"
#include "pricelist/shop_details.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextDocument>

namespace {

void PrintPage(QPrinter& printer, const QString& html, const QString& name)
{
    QTextDocument page;
    page.setHtml(html);
    printer.setDocName(name);
    page.print(&printer);
}

// Qt's print dialog, suggesting `pdf` for printing to a file (the print
// job's name is its name too); false when the clerk cancels.
bool AskForPrinter(QPrinter& printer, QWidget* parent, const QString& title, const QString& pdf)
{
    printer.setDocName(QFileInfo(pdf).completeBaseName());
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintEstimateDialog"));
    dialog.setWindowTitle(title);
    // Qt's dialog suggests its own file in the current folder; the file's
    // field is set here without choosing the file over the printer.
    if (auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename")))
        file->setText(pdf);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

namespace {

// The shop the program was made for, named on the printed estimate until the
// owner sets the shop's own name.
const QString ShopName = QStringLiteral("Tallowbrook Processing");

// The shop's details for the head of the page, as ReadShopHead last read
// them; `read` once the store has answered.
struct ShopHead {
    ShopDetails details;
    bool read = false;
};
ShopHead& LastShopHead()
{
    static ShopHead head;
    return head;
}

} // namespace

QString SuggestedPdf(const QString& name)
{
    // Characters that a file name cannot hold on this or another system.
    static const QRegularExpression unsafe(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]+"));
    QString file = name;
    file.replace(unsafe, QStringLiteral(" "));
    file = file.simplified().left(80).trimmed();
    if (file.isEmpty())
        file = QStringLiteral("Estimate");
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath(file + QStringLiteral(".pdf"));
}

QString SuggestedPdf(const EstimateSummary& summary)
{
    if (summary.number <= 0)
        return SuggestedPdf(QStringLiteral("Estimate %1")
                                .arg(summary.printed.toString(QStringLiteral("yyyy-MM-dd"))));
    return SuggestedPdf(
        QStringLiteral("Estimate %1 - %2").arg(summary.number).arg(summary.customer));
}

void ReadShopHead(PriceConnection& connection)
{
    const ShopDetailsRead read = ShopDetailsStore::Read(connection);
    ShopHead& last = LastShopHead();
    // A store that cannot be read now leaves the details read last; before
    // any, those that the machine's settings still hold stand in.
    if (read.done() || !last.read)
        last = {read.details, read.done()};
}

void AddShopHead(EstimateSummary& summary, const Clock& clock)
{
    const ShopDetails& shop = LastShopHead().details;
    summary.shopName = shop.name.trimmed().isEmpty() ? ShopName : shop.name.trimmed();
    summary.shopAddress = shop.address.trimmed();
    summary.shopPhone = shop.phone.trimmed();
    summary.printed = clock.today();
}

void AddLikelyRange(EstimateSummary& summary, const EstimateValue& quote, const QuoteRules& rules)
{
    if (const std::optional<TakeHome> home = TakeHomeOf(quote, rules))
        summary.takeHome = home->words();
    const std::optional<LikelyRange> likely = Likely(quote);
    if (!likely)
        return;
    summary.likelyHanging =
        QStringLiteral("%1 to %2 lb").arg(likely->hangingLow, likely->hangingHigh);
    summary.likelyTotal = LikelyText(*likely);
    summary.likelyWords = likely->words;
    summary.likelyCaution = likely->caution;
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

bool PrintPagesWithDialog(QWidget* parent, const QStringList& pages, const QString& title,
                          const QString& name)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!AskForPrinter(printer, parent, title, SuggestedPdf(name)))
        return false;
    PrintPages(printer, pages, name);
    return true;
}

void PrintEstimate(QPrinter& printer, const EstimateSummary& summary)
{
    PrintPage(printer, EstimateHtml(summary), QStringLiteral("Estimate"));
}

bool PrintEstimateWithDialog(QWidget* parent, const EstimateSummary& summary)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!AskForPrinter(printer, parent, QStringLiteral("Print Estimate"), SuggestedPdf(summary)))
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
    if (!AskForPrinter(printer, parent, QStringLiteral("Print Final Bill"), SuggestedPdf(billed)))
        return false;
    PrintFinalBill(printer, quote, billed);
    return true;
}
