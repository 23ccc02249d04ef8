// The printed estimate: rendered to PDF, read back with pdftotext, and held
// against what the Estimate screen shows.

#include "core/money.h"
#include "core/shop_settings.h"
#include "estimate/estimate_summary.h"
#include "estimate_counter.h"
#include "pricelist/shop_details.h"
#include "print_watch.h"
#include "screens/estimate_print.h"
#include "screens/estimate_screen.h"
#include "test_price_list.h"
#include "widgets.h"

#include <QDate>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <array>
#include <memory>

namespace {

// The estimate on the counter's screen as it prints it today.
EstimateSummary summaryOf(const EstimateCounter& c)
{
    EstimateSummary summary = Summarize(c.screen->estimate().value());
    AddShopHead(summary, c.screen->testClock());
    return summary;
}

using Counter = EstimateCounter;

QString printToPdf(const EstimateSummary& summary, const QString& path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    PrintEstimate(printer, summary);
    return path;
}

bool hasLine(const QStringList& lines, const QString& line)
{
    return lines.contains(line);
}

// The charge lines of a printed final bill: for each line's name, its quoted,
// final and difference amounts in cents (no value for a blank cell), each
// amount placed in the column whose heading it stands under.
using Amounts = std::array<std::optional<int>, 3>;
QMap<QString, Amounts> finalBillColumns(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        qFatal("pdftotext failed on %s (install poppler-utils)", qPrintable(path));
    const QStringList lines = QString::fromUtf8(pdftotext.readAllStandardOutput())
                                  .normalized(QString::NormalizationForm_KC)
                                  .split(QLatin1Char('\n'));
    static const QRegularExpression money(QStringLiteral("([+-]?)\\$(\\d+)\\.(\\d\\d)"));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QList<qsizetype> ends; // where the headings Quoted, Final and Difference end
    QMap<QString, Amounts> columns;
    for (const QString& line : lines) {
        if (ends.isEmpty()) {
            if (line.contains(QLatin1String("Difference")))
                for (const char* heading : {"Quoted", "Final", "Difference"})
                    ends << line.indexOf(QLatin1String(heading)) + qstrlen(heading);
            continue;
        }
        Amounts amounts;
        qsizetype nameEnd = -1;
        for (auto m = money.globalMatch(line); m.hasNext();) {
            const auto found = m.next();
            nameEnd = nameEnd < 0 ? found.capturedStart() : nameEnd;
            int column = 0;
            for (int i = 1; i < 3; ++i)
                if (qAbs(ends[i] - found.capturedEnd()) < qAbs(ends[column] - found.capturedEnd()))
                    column = i;
            const int cents = found.captured(2).toInt() * 100 + found.captured(3).toInt();
            amounts[column] = found.captured(1) == QLatin1String("-") ? -cents : cents;
        }
        if (nameEnd > 0)
            columns[line.left(nameEnd).replace(blanks, QStringLiteral(" ")).trimmed()] = amounts;
    }
    return columns;
}

// The pork curing worksheet in the role that `index` gives it, the cuts
// selected, applied.
void applyCuring(EstimateCounter& c, int index, std::initializer_list<int> cuts)
{
    QWidget* cure = c.openWorksheet(index, QStringLiteral("frmCure"));
    QVERIFY(cure);
    for (const int cut : cuts)
        clickItem(control<QListWidget>(cure, QStringLiteral("List1")), cut);
    click(control<QPushButton>(cure, QStringLiteral("cmdApply")));
}

} // namespace

class TestPrintedEstimate : public QObject {
    Q_OBJECT

    // The shop's details of these tests, never the real ones.
    QTemporaryDir config_;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path())); }
    void cleanup() { QFile::remove(ShopSettingsPath()); }

    void printedMoneyAndRates()
    {
        QCOMPARE(PrintedMoney(QStringLiteral("17")), QStringLiteral("$17.00"));
        QCOMPARE(PrintedMoney(QStringLiteral("25.575")), QStringLiteral("$25.58"));
        QCOMPARE(PrintedMoney(QStringLiteral("0.185")), QStringLiteral("$0.18"));
        QCOMPARE(PrintedMoney(QStringLiteral("-3.5")), QStringLiteral("-$3.50"));
        QCOMPARE(PrintedMoney(QStringLiteral("abc")), QStringLiteral("abc"));
        QCOMPARE(PrintedRate(QStringLiteral("0.2")), QStringLiteral("$0.20/lb"));
        QCOMPARE(PrintedRate(QStringLiteral("0.0125")), QStringLiteral("$0.0125/lb"));
        QCOMPARE(PrintedRate(QStringLiteral("2")), QStringLiteral("$2.00/lb"));
        QCOMPARE(PrintedRate(QString()), QString());
    }

    void centsAddUpToThePrintedTotal()
    {
        using Cents = QList<std::int64_t>;
        // 17 + 61.29 + 8.28 + 57.32 make 143.89: the missing cent goes to the
        // processing charge, which rounding moved down the most.
        QCOMPARE(CentsAddingUp({"17", "61.2942", "8.283", "57.32"}, "143.8972"),
                 Cents({1700, 6130, 828, 5732}));
        // A cent too many comes from the amount rounded up the most.
        QCOMPARE(CentsAddingUp({"0.335", "0.336", "0.333", ""}, "1.004"), Cents({33, 34, 33, 0}));
        // On a tie the earlier amount takes it.
        QCOMPARE(CentsAddingUp({"1.004", "1.004", "1.007"}, "3.015"), Cents({101, 100, 101}));
        QCOMPARE(CentsAddingUp({"2", "abc"}, "2"), std::nullopt);
        QCOMPARE(CentsAddingUp({"2", "3"}, "7"), std::nullopt); // not their total
    }

    void beefWithThreeServices()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(0); // Tenderising: 34.3 lb at 0.20
        c.tick(1); // Minute Steaks: 30 lb at 0.20
        c.tick(7); // Slicing: the jerky worksheet
        QWidget* jerky = findScreen(QStringLiteral("frmJerky"));
        QVERIFY(jerky);
        clickItem(control<QListWidget>(jerky, QStringLiteral("List1")), 0);
        clickItem(control<QListWidget>(jerky, QStringLiteral("List1")), 1);
        click(control<QPushButton>(jerky, QStringLiteral("cmdFigure")));
        QCOMPARE(c.text(QStringLiteral("Text6_7")), QStringLiteral("52.5"));
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("267.36"));

        QTemporaryDir dir;
        const QStringList lines =
            pdfTextLines(printToPdf(summaryOf(c), dir.filePath(QStringLiteral("beef.pdf"))));
        QVERIFY2(hasLine(lines, QStringLiteral("Tallowbrook Processing")),
                 qPrintable(lines.join('\n')));
        QVERIFY(hasLine(
            lines,
            QStringLiteral("Estimate of %1").arg(QDate::currentDate().toString(Qt::ISODate))));
        QVERIFY(hasLine(lines, QStringLiteral("Species Beef")));
        QVERIFY(hasLine(lines, QStringLiteral("Live Weight 1000 lb")));
        QVERIFY(hasLine(lines, QStringLiteral("Hanging Weight 500 lb")));
        QVERIFY(hasLine(lines, QStringLiteral("Kill Charge $17.00")));
        QVERIFY(hasLine(lines, QStringLiteral("Processing Charge 500 lb $0.37/lb $185.00")));
        QVERIFY(hasLine(lines, QStringLiteral("Tenderising 34.3 lb $0.20/lb $6.86")));
        QVERIFY(hasLine(lines, QStringLiteral("Minute steaks 30 lb $0.20/lb $6.00")));
        QVERIFY(hasLine(lines, QStringLiteral("Slicing for jerky 35 lb $1.50/lb $52.50")));
        QVERIFY(hasLine(lines, QStringLiteral("Total Estimated Price $267.36")));
        // Services that are not ticked are not printed, nor the number and
        // customer of an estimate that is not saved.
        for (const QString& line : lines)
            for (const char* absent : {"ExtraBoning", "Estimate Number", "Customer", "Phone"})
                QVERIFY2(!line.startsWith(QLatin1String(absent)), qPrintable(line));
    }

    // A saved estimate names its number and customer under the shop's own
    // header, as the price list keeps it, once the owner has set it.
    void theShopsHeaderAndTheCustomer()
    {
        Counter c;
        c.file.withSample();
        {
            PriceConnection elsewhere{StoreLocation(c.file.path())};
            QCOMPARE(elsewhere.open(), PriceConnection::OpenResult::Opened);
            QVERIFY(ShopDetailsStore::Save(elsewhere, {QStringLiteral("Mill Creek Lockers"),
                                                       QStringLiteral("12 Mill Road\nTallowbrook "
                                                                      "<North>"),
                                                       QStringLiteral("555-0142")})
                        .done());
        }
        c.start();
        c.animal("Option1", QStringLiteral("600"));
        EstimateSummary summary = summaryOf(c);
        summary.number = 1042;
        summary.customer = QStringLiteral("O'Brien & Sons");
        summary.customerPhone = QStringLiteral("555 1234");
        QTemporaryDir dir;
        const QStringList lines =
            pdfTextLines(printToPdf(summary, dir.filePath(QStringLiteral("saved.pdf"))));
        QCOMPARE(lines.mid(0, 4), (QStringList{"Mill Creek Lockers", "12 Mill Road",
                                               "Tallowbrook <North>", "555-0142"}));
        for (const char* line : {"Estimate Number 1042", "Customer O'Brien & Sons",
                                 "Phone 555 1234", "Total Estimated Price $128.00"})
            QVERIFY2(hasLine(lines, QLatin1String(line)), qPrintable(lines.join('\n')));
        QVERIFY(!hasLine(lines, QStringLiteral("Tallowbrook Processing")));
    }

    // The head is read when the screen starts and again when the Price List
    // window saves the details; a price list that cannot be read then leaves
    // the details read last.
    void theHeadFollowsThePriceListWindow()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option1", QStringLiteral("600"));
        click(control<QPushButton>(c.s(), QStringLiteral("cmdPriceList")));
        QWidget* window = findScreen(QStringLiteral("frmPriceList"));
        QVERIFY(window);
        typeInto(field(window, QStringLiteral("txtShopName")), QStringLiteral("Hill & Sons"));
        click(control<QPushButton>(window, QStringLiteral("cmdSaveShop")));
        window->close();
        QApplication::setActiveWindow(c.s());
        QTemporaryDir dir;
        PrintToPdfWatch printing(dir.filePath(QStringLiteral("head.pdf")));
        click(control<QPushButton>(c.s(), QStringLiteral("cmdPrint")));
        QCOMPARE(printing.shown, 1);
        QCOMPARE(pdfTextLines(printing.pdf).value(0), QStringLiteral("Hill & Sons"));

        PriceConnection gone{StoreLocation(dir.filePath(QStringLiteral("gone/Lockers.db")))};
        gone.open();
        ReadShopHead(gone);
        EstimateSummary head;
        AddShopHead(head, c.screen->testClock());
        QCOMPARE(head.shopName, QStringLiteral("Hill & Sons"));
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    // A final bill sets each charge beside its quote, with the difference; a
    // service on one side only is blank on the other. Every column adds up.
    void aFinalBillBesideItsQuote()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option1", QStringLiteral("1000"));
        c.tick(0); // Tenderising
        c.tick(1); // Minute Steaks
        const EstimateSummary quote = summaryOf(c);
        c.weight(QStringLiteral("1107"));
        c.tick(1); // Minute Steaks off
        c.tick(7); // Slicing: the jerky worksheet
        QWidget* jerky = findScreen(QStringLiteral("frmJerky"));
        QVERIFY(jerky);
        clickItem(control<QListWidget>(jerky, QStringLiteral("List1")), 0);
        click(control<QPushButton>(jerky, QStringLiteral("cmdFigure")));
        EstimateSummary billed = summaryOf(c);
        billed.number = 7;
        billed.customer = QStringLiteral("Ann Lee");
        QCOMPARE(billed.total, QStringLiteral("254.2925"));

        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("final.pdf")));
        PrintFinalBill(printer, quote, billed);
        const QStringList lines = pdfTextLines(printer.outputFileName());
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        for (const QString& line :
             {QStringLiteral("Final bill of %1, quoted on %1").arg(today),
              QStringLiteral("Estimate Number 7"), QStringLiteral("Customer Ann Lee"),
              QStringLiteral("Live Weight 1000 lb 1107 lb"),
              QStringLiteral("Hanging Weight 500 lb 553.5 lb")})
            QVERIFY2(hasLine(lines, line), qPrintable(lines.join('\n')));

        const QMap<QString, Amounts> columns = finalBillColumns(printer.outputFileName());
        using A = Amounts;
        QCOMPARE(columns.value(QStringLiteral("Kill Charge")), (A{1700, 1700, 0}));
        QCOMPARE(columns.value(QStringLiteral("Processing Charge")), (A{18500, 20479, 1979}));
        QCOMPARE(columns.value(QStringLiteral("Minute steaks")), (A{600, std::nullopt, -600}));
        QCOMPARE(columns.value(QStringLiteral("Slicing for jerky")), (A{std::nullopt, 2491, 2491}));
        const A total = columns.value(QStringLiteral("Total Price"));
        QCOMPARE(columns.value(QStringLiteral("Tenderising")), (A{686, 759, 73}));
        QCOMPARE(total, (A{21486, 25429, 3943}));
        A sums{0, 0, 0};
        for (auto line = columns.begin(); line != columns.end(); ++line) {
            if (line.key() == QLatin1String("Total Price"))
                continue;
            for (int i = 0; i < 3; ++i)
                *sums[i] += line.value()[i].value_or(0);
            QCOMPARE(*line.value()[2], line.value()[1].value_or(0) - line.value()[0].value_or(0));
        }
        QCOMPARE(columns.size(), 6); // kill, processing, three services, the total
        QCOMPARE(sums, total);
    }

    void porkWithACuringWorksheet()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option2", QStringLiteral("380"));
        QCOMPARE(c.text(QStringLiteral("Text2")), QStringLiteral("250.8"));
        c.tick(9);
        QWidget* cure = findScreen(QStringLiteral("frmCure"));
        QVERIFY(cure);
        clickItem(control<QListWidget>(cure, QStringLiteral("List1")), 0); // Hams: 50.16
        clickItem(control<QListWidget>(cure, QStringLiteral("List1")), 1); // Bacon: 18.81
        QCOMPARE(textOf(cure, QStringLiteral("Text1")), QStringLiteral("68.97"));
        click(control<QPushButton>(cure, QStringLiteral("cmdApply")));
        QCOMPARE(c.text(QStringLiteral("Text6_19")), QStringLiteral("69"));
        QCOMPARE(c.text(QStringLiteral("Text6_26")), QStringLiteral("28.98"));
        c.tick(13); // Quartering: told, no charge
        const QString total = c.text(QStringLiteral("Text5"));
        QCOMPARE(total, QStringLiteral("138.776")); // 17 + 92.796 + 28.98

        QTemporaryDir dir;
        const QStringList lines =
            pdfTextLines(printToPdf(summaryOf(c), dir.filePath(QStringLiteral("pork.pdf"))));
        QVERIFY2(hasLine(lines, QStringLiteral("Species Pork")), qPrintable(lines.join('\n')));
        QVERIFY(hasLine(lines, QStringLiteral("Live Weight 380 lb")));
        QVERIFY(hasLine(lines, QStringLiteral("Hanging Weight 250.8 lb")));
        QVERIFY(hasLine(lines, QStringLiteral("Processing Charge 250.8 lb $0.37/lb $92.80")));
        QVERIFY(hasLine(lines, QStringLiteral("Pork curing 69 lb $0.42/lb $28.98")));
        QVERIFY(hasLine(lines, QStringLiteral("Quartering (no charge beyond processing) $0.00")));
        // The total equals the screen's to the cent.
        QVERIFY(hasLine(lines, QStringLiteral("Total Estimated Price $138.78")));
    }

    void printedLinesAddUpToThePrintedTotal()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option2", QStringLiteral("251"));
        c.tick(12);                // Cooling: 165.66 lb at 0.05
        applyCuring(c, 9, {0, 1}); // Hams and Bacon: 46 lb at 0.42
        applyCuring(c, 10, {6});   // Shoulders seasoned: 25 lb at 0.20
        QCOMPARE(c.text(QStringLiteral("Text5")), QStringLiteral("110.8972"));

        QTemporaryDir dir;
        const QStringList lines =
            pdfTextLines(printToPdf(summaryOf(c), dir.filePath(QStringLiteral("cents.pdf"))));
        static const QRegularExpression amount(QStringLiteral("^(.*) \\$(\\d+)\\.(\\d\\d)$"));
        int cents = 0, printedTotal = -1;
        for (const QString& line : lines)
            if (const auto m = amount.match(line); m.hasMatch()) {
                const int value = m.captured(2).toInt() * 100 + m.captured(3).toInt();
                if (m.captured(1) == QLatin1String("Total Estimated Price"))
                    printedTotal = value;
                else
                    cents += value;
            }
        QCOMPARE(printedTotal, 11090);
        QCOMPARE(cents, printedTotal);
        QVERIFY2(hasLine(lines, QStringLiteral("Sausage seasoning 25 lb $0.20/lb $5.00")),
                 qPrintable(lines.join('\n')));
        // The screen keeps its own figures.
        QCOMPARE(c.text(QStringLiteral("Text3")), QStringLiteral("61.2942"));
    }

    void deerIsAFlatProcessingCharge()
    {
        Counter c;
        c.startWithSample();
        c.pick("Option3");
        typeInto(field(c.s(), QStringLiteral("Text1")), QStringLiteral("120"));
        QTemporaryDir dir;
        const QStringList lines =
            pdfTextLines(printToPdf(summaryOf(c), dir.filePath(QStringLiteral("deer.pdf"))));
        QVERIFY2(hasLine(lines, QStringLiteral("Field Dressed 120 lb")),
                 qPrintable(lines.join('\n')));
        QVERIFY2(hasLine(lines, QStringLiteral("Processing Charge 79.2 lb flat $85.00")),
                 qPrintable(lines.join(QLatin1Char(10))));
        QVERIFY(hasLine(lines, QStringLiteral("Total Estimated Price $85.00")));
    }

    void ctrlPOpensThePrintDialog()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option1", QStringLiteral("600"));
        QTemporaryDir dir;
        PrintToPdfWatch printing;
        printing.pdf = dir.filePath(QStringLiteral("from-the-dialog.pdf"));
        QTest::keyClick(c.s(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(printing.shown, 1);
        QCOMPARE(printing.title, QStringLiteral("Print Estimate"));
        QVERIFY(
            pdfTextLines(printing.pdf).contains(QStringLiteral("Total Estimated Price $128.00")));

        // The visible button does the same; cancelling prints nothing.
        QFile::remove(printing.pdf);
        printing.pdf.clear();
        click(control<QPushButton>(c.s(), QStringLiteral("cmdPrint")));
        QCOMPARE(printing.shown, 2);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("from-the-dialog.pdf"))));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }

    void printingWaitsForMarkedFieldsAndASpecies()
    {
        Counter c;
        c.startWithSample();
        PrintToPdfWatch printing;
        const auto refused = [&](const char* told) {
            c.dialogs.press(QMessageBox::Ok);
            QApplication::setActiveWindow(c.s()); // back from the last message box
            QTest::keyClick(c.s(), Qt::Key_P, Qt::ControlModifier);
            QCOMPARE(printing.shown, 0);
            QVERIFY2(c.dialogs.seen().last().text.contains(QLatin1String(told)),
                     qPrintable(c.dialogs.seen().last().text));
        };
        refused("Choose Beef, Pork or Deer");
        c.animal("Option1", QStringLiteral("12a")); // the figures of "12" stay shown
        refused("Mend the Live Weight: \"12a\" is not a weight in pounds.");
        c.weight(QStringLiteral("1000800"));
        refused("Live Weight");
        c.weight(QStringLiteral("1000"));
        c.tick(0);
        typeInto(c.edit(QStringLiteral("Text6_0")), QStringLiteral("six"));
        refused("Mend the Tenderising charge");
        typeInto(c.edit(QStringLiteral("Text6_0")), QStringLiteral("6.86"));
        click(control<QPushButton>(c.s(), QStringLiteral("cmdPrint")));
        QCOMPARE(printing.shown, 1);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }

    void rowsFiguredForAnotherWeightPrintOnlyWhenTheClerkSaysSo()
    {
        Counter c;
        c.startWithSample();
        c.animal("Option2", QStringLiteral("380"));
        applyCuring(c, 11, {0}); // cutlets from the hams of a 250.8 lb hanging weight
        c.weight(QStringLiteral("300"));
        PrintToPdfWatch printing;
        c.dialogs.press(QMessageBox::No);
        click(control<QPushButton>(c.s(), QStringLiteral("cmdPrint")));
        QCOMPARE(printing.shown, 0);
        const SeenDialog asked = c.dialogs.seen().last();
        QVERIFY2(asked.text.contains(QLatin1String("pork Cutlets, figured for 250.8 lb")),
                 qPrintable(asked.text));
        QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
        c.dialogs.press(QMessageBox::Yes);
        click(control<QPushButton>(c.s(), QStringLiteral("cmdPrint")));
        QCOMPARE(printing.shown, 1);
        // The weight as figured again: printed without a question.
        c.weight(QStringLiteral("380"));
        click(control<QPushButton>(c.s(), QStringLiteral("cmdPrint")));
        QCOMPARE(printing.shown, 2);
        QCOMPARE(c.dialogs.seen().size(), 2);
        QCOMPARE(c.dialogs.unexpected(), 0);
    }
};

QTEST_MAIN(TestPrintedEstimate)
#include "test_printed_estimate.moc"
