#include "store/csv.h"

namespace Csv {

QList<Record> parse(const QString& text, QString* problem)
{
    QList<Record> records;
    if (problem)
        problem->clear();
    const int n = text.size();
    int i = 0;
    int line = 1;
    while (i < n) {
        Record record;
        record.line = line;
        QString field;
        bool anyText = false;
        for (;;) {
            if (i < n && text[i] == QLatin1Char('"')) {
                const int openedOn = line;
                ++i;
                for (;;) {
                    if (i >= n) {
                        if (problem)
                            *problem = QStringLiteral("Line %1: a quoted field is not closed.")
                                           .arg(openedOn);
                        return records;
                    }
                    if (text[i] == QLatin1Char('"')) {
                        if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                            field += QLatin1Char('"');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (text[i] == QLatin1Char('\n'))
                        ++line;
                    field += text[i++];
                }
                anyText = true;
                if (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\n') &&
                    text[i] != QLatin1Char('\r')) {
                    if (problem)
                        *problem =
                            QStringLiteral("Line %1: text follows a closing quote.").arg(line);
                    return records;
                }
            } else {
                while (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\n') &&
                       text[i] != QLatin1Char('\r'))
                    field += text[i++];
                anyText = anyText || !field.isEmpty();
            }
            record.fields << field;
            field.clear();
            if (i < n && text[i] == QLatin1Char(',')) {
                ++i;
                anyText = true;
                continue;
            }
            break;
        }
        if (i < n && text[i] == QLatin1Char('\r'))
            ++i;
        if (i < n && text[i] == QLatin1Char('\n'))
            ++i;
        ++line;
        if (anyText)
            records << record;
    }
    return records;
}

QString format(const QStringList& fields)
{
    QStringList out;
    for (const QString& f : fields) {
        if (f.contains(QLatin1Char(',')) || f.contains(QLatin1Char('"')) ||
            f.contains(QLatin1Char('\n')) || f.contains(QLatin1Char('\r')) || f != f.trimmed()) {
            QString quoted = f;
            quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
            out << QLatin1Char('"') + quoted + QLatin1Char('"');
        } else {
            out << f;
        }
    }
    return out.join(QLatin1Char(','));
}

namespace {

// The first characters that make a spreadsheet read a cell as a formula, and
// the apostrophe that keeps it text.
bool startsAFormula(const QString& text)
{
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') ||
           c == QLatin1Char('@') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

const QChar Apostrophe = QLatin1Char('\'');

} // namespace

QString inert(const QString& text)
{
    // An apostrophe of the text's own is doubled too, so that the import can
    // tell it from the one added here.
    const bool guarded = text.startsWith(Apostrophe) && startsAFormula(text.mid(1));
    if (startsAFormula(text) || guarded ||
        (text.startsWith(Apostrophe) && text.size() > 1 && text[1] == Apostrophe))
        return Apostrophe + text;
    return text;
}

QString fromInert(const QString& text)
{
    if (text.startsWith(Apostrophe) && text.size() > 1 &&
        (startsAFormula(text.mid(1)) || text[1] == Apostrophe))
        return text.mid(1);
    return text;
}

} // namespace Csv
