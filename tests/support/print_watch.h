#pragma once

// Printing to a PDF file from a screen test: Qt's print dialog answered while
// it lives, and the printed text read back with pdftotext (poppler-utils).
// Header-only, as the test helpers that need no moc.

#include <QApplication>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTimer>

// The text of a PDF file, its lines with runs of blanks made single.
inline QStringList pdfTextLines(const QString& path)
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

// Answers Qt's print dialog while it lives: prints to `pdf`, or cancels when
// there is none. Counts the dialogs shown.
struct PrintToPdfWatch {
    QString pdf;
    int shown = 0;
    QString title;     // the last dialog's
    QString suggested; // the file the last dialog suggested
    QTimer timer;
    explicit PrintToPdfWatch(QString path = QString())
        : pdf(std::move(path))
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            ++shown;
            title = dialog->windowTitle();
            if (pdf.isEmpty())
                return dialog->reject();
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(pdf);
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("filename"))) {
                suggested = name->text();
                name->setText(pdf);
            }
            dialog->accept();
        });
        timer.start();
    }
};
