#pragma once

// Comma-separated text as spreadsheets write it: fields holding a comma, a
// quote or a line break are enclosed in quotes, and a quote inside one is
// doubled.

#include <QList>
#include <QString>
#include <QStringList>

namespace Csv {

struct Record {
    int line = 0; // line of the text on which the record starts, from 1
    QStringList fields;
};

// The records of the text; blank lines are skipped. On a malformed record
// (an unterminated quoted field, text after a closing quote) it gives what was
// read before it and sets `problem` to a sentence naming the line.
QList<Record> parse(const QString& text, QString* problem);

// One record as a line, without the line break.
QString format(const QStringList& fields);

// Text written to a CSV file so that a spreadsheet shows it and never runs it
// as a formula: one beginning with =, +, -, @, a tab or a carriage return, or
// with the apostrophe that this adds, gets a leading apostrophe.
QString inert(const QString& text);
// The text that inert() was given.
QString fromInert(const QString& text);

} // namespace Csv
