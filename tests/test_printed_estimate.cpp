// The printed estimate: rendered to PDF, read back with pdftotext, and held
// against what the Estimate screen shows.

#include "estimate_counter.h"
#include "estimate_print.h"
#include "estimate_screen.h"
#include "estimate_summary.h"
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
#include <memory>

namespace {

using Counter = EstimateCounter;

// The text of a PDF file, its lines with runs of blanks made single.
QStringList pdfLines(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        qFatal("pdftotext failed on %s (install poppler-utils)", qPrintable(path));
    QStringList lines;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    // Compatibility form: the font's ligatures ("fl") read as their letters.
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput())
                             .normalized(QString::NormalizationForm_KC);
    for (QString line : text.split(QLatin1Char('\n')))
        if (!(line = line.replace(blanks, QStringLiteral(" ")).trimmed()).isEmpty())
            lines << line;
    return lines;
}

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

} // namespace

class TestPrintedEstimate : public QObject {
    Q_OBJECT

private slots:
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
            pdfLines(printToPdf(c.screen->summary(), dir.filePath(QStringLiteral("beef.pdf"))));
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
        QVERIFY(hasLine(lines, QStringLiteral("Minute Steaks 30 lb $0.20/lb $6.00")));
        QVERIFY(hasLine(lines, QStringLiteral("Slicing 35 lb $1.50/lb $52.50")));
        QVERIFY(hasLine(lines, QStringLiteral("Total Estimated Price $267.36")));
        // Services that are not ticked are not printed.
        for (const QString& line : lines)
            QVERIFY2(!line.startsWith(QLatin1String("ExtraBoning")), qPrintable(line));
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
            pdfLines(printToPdf(c.screen->summary(), dir.filePath(QStringLiteral("pork.pdf"))));
        QVERIFY2(hasLine(lines, QStringLiteral("Species Pork")), qPrintable(lines.join('\n')));
        QVERIFY(hasLine(lines, QStringLiteral("Live Weight 380 lb")));
        QVERIFY(hasLine(lines, QStringLiteral("Hanging Weight 250.8 lb")));
        QVERIFY(hasLine(lines, QStringLiteral("Processing Charge 250.8 lb $0.37/lb $92.80")));
        QVERIFY(hasLine(lines, QStringLiteral("Curing 69 lb $0.42/lb $28.98")));
        QVERIFY(hasLine(lines, QStringLiteral("Quartering (no charge beyond processing) $0.00")));
        // The total equals the screen's to the cent.
        QVERIFY(hasLine(lines, QStringLiteral("Total Estimated Price $138.78")));
    }

    void deerIsAFlatProcessingCharge()
    {
        Counter c;
        c.startWithSample();
        c.pick("Option3");
        typeInto(field(c.s(), QStringLiteral("Text1")), QStringLiteral("120"));
        QTemporaryDir dir;
        const QStringList lines =
            pdfLines(printToPdf(c.screen->summary(), dir.filePath(QStringLiteral("deer.pdf"))));
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
        const QString pdf = dir.filePath(QStringLiteral("from-the-dialog.pdf"));
        bool seen = false;
        QTimer answer;
        answer.setInterval(5);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            if (!dialog || seen)
                return;
            seen = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Print Estimate"));
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(pdf);
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("filename")))
                name->setText(pdf);
            dialog->accept();
        });
        answer.start();
        QTest::keyClick(c.s(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(seen);
        QVERIFY(QFileInfo::exists(pdf));
        QVERIFY(pdfLines(pdf).contains(QStringLiteral("Total Estimated Price $128.00")));

        // The visible button does the same; cancelling prints nothing.
        seen = false;
        QObject::disconnect(&answer, nullptr, nullptr, nullptr);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
                seen = true;
                dialog->reject();
            }
        });
        QFile::remove(pdf);
        click(control<QPushButton>(c.s(), QStringLiteral("cmdPrint")));
        QVERIFY(seen);
        QVERIFY(!QFileInfo::exists(pdf));
        QCOMPARE(c.dialogs.seen().size(), 0);
    }
};

QTEST_MAIN(TestPrintedEstimate)
#include "test_printed_estimate.moc"
