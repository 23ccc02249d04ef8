#include "pricelist/csv.h"

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

} // namespace Csv
