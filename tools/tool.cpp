#include "tools/tool.h"

#include "pricelist/price_list_editor.h"
#include "store/database.h"

#include <QRegularExpression>
#include <algorithm>
#include <tuple>

namespace Tool {

const QString Name = QStringLiteral("locker-pricelist");

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

void say(const QString& text)
{
    out() << text << '\n';
    out().flush();
}

int complain(const QString& text, int status)
{
    err() << Name << ": " << text << '\n';
    err().flush();
    return status;
}

// "1 row", "3 rows".
QString counted(int n, const QString& thing)
{
    return QStringLiteral("%1 %2%3").arg(n).arg(thing, n == 1 ? QString() : QStringLiteral("s"));
}

// A word as it would be typed in a shell.
QString shellWord(const QString& word)
{
    for (const QChar c : word) {
        if (!c.isLetterOrNumber() && !QStringLiteral("/._-+:=,@%").contains(c))
            return QLatin1Char('\'') +
                   QString(word).replace(QLatin1String("'"), QLatin1String("'\\''")) +
                   QLatin1Char('\'');
    }
    return word.isEmpty() ? QStringLiteral("''") : word;
}

bool opened(PriceListEditor& editor)
{
    const PriceList::OpenResult result = editor.open();
    if (result == PriceList::OpenResult::Opened)
        return true;
    if (result == PriceList::OpenResult::FileMissing && !Database::IsServerUrl(editor.path()))
        complain(QStringLiteral("%1 To start one with the sample prices: %2 init %3")
                     .arg(editor.problem(), Name, shellWord(editor.path())));
    else
        complain(editor.problem());
    return false;
}

QString shownName(const QString& name)
{
    if (name.size() <= ShownNameWidth)
        return name;
    qsizetype kept = ShownNameWidth - 1;
    if (name[kept - 1].isHighSurrogate())
        --kept; // a character is never cut in half
    return name.left(kept) + QStringLiteral("…");
}

// Rows of text in columns two blanks apart, each as wide as its widest cell;
// the last column as it is.
void sayColumns(const QList<QStringList>& rows)
{
    QList<qsizetype> widths;
    for (const QStringList& row : rows)
        for (int c = 0; c + 1 < row.size(); ++c) {
            if (widths.size() <= c)
                widths << 0;
            widths[c] = std::max(widths[c], row[c].size());
        }
    for (const QStringList& row : rows) {
        QString text;
        for (int c = 0; c + 1 < row.size(); ++c)
            text += row[c].leftJustified(widths[c]) + QStringLiteral("  ");
        say(text + row.value(row.size() - 1));
    }
}

// Whether the price list holds the item (exactly).
bool holds(PriceListEditor& editor, const QString& item)
{
    const QList<PriceEntry> rows = editor.entries();
    return std::any_of(rows.begin(), rows.end(),
                       [&](const PriceEntry& row) { return row.item == item; });
}

// Asks the owner at the terminal; true for yes.
bool askedYes(const QString& question)
{
    out() << question << " [y/N] ";
    out().flush();
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

// The words that tell the owner how to confirm: the command again with the
// option added.
QString againWith(const Invocation& call, const QString& option)
{
    QStringList words = {Name};
    if (call.priceListGiven)
        words << QStringLiteral("--pricelist") << shellWord(call.priceListPath);
    if (call.databaseGiven)
        words << QStringLiteral("--database") << shellWord(call.databaseUrl);
    words << call.command << option;
    if (call.category)
        words << QStringLiteral("--category") << shellWord(*call.category);
    words << QStringLiteral("--");
    for (const QString& operand : call.operands)
        words << shellWord(operand);
    return words.join(QLatin1Char(' '));
}

// A refused look-alike name, with how to add it anyway.
int refuseLookAlike(const Invocation& call, const EditResult& result)
{
    QString problem = result.problem;
    if (!problem.endsWith(QLatin1String("Nothing was changed.")))
        problem += QStringLiteral(" Nothing was changed.");
    return complain(QStringLiteral("%1 To add it as a new item anyway, add --new: %2")
                        .arg(problem, againWith(call, QStringLiteral("--new"))));
}

int notDone(const EditResult& result)
{
    if (!result.mayBeSaved)
        return complain(result.problem);
    return complain(QStringLiteral("%1 Once it answers, %2 history shows whether the change was "
                                   "kept.")
                        .arg(result.problem, Name));
}

QString namesNothing(const Invocation& call, const QString& what)
{
    if (call.operands.isEmpty() || !call.operands[0].isEmpty())
        return QString();
    return QStringLiteral("%1 needs %2; \"\" names %3.")
        .arg(call.command, what,
             what.endsWith(QLatin1String("folder")) ? QStringLiteral("none")
                                                    : QStringLiteral("no file"));
}

const QStringList& SpeciesKeys()
{
    static const QStringList keys{QStringLiteral("Beef"), QStringLiteral("Pork"),
                                  QStringLiteral("Deer")};
    return keys;
}

bool givenDays(const Invocation& call, QDate* from, QDate* to, QString* problem)
{
    static const QRegularExpression shape(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    for (const auto& [option, given, day] : {std::tuple{QStringLiteral("--from"), call.from, from},
                                             std::tuple{QStringLiteral("--to"), call.to, to}}) {
        if (!given)
            continue;
        const QDate read =
            shape.match(*given).hasMatch() ? QDate::fromString(*given, Qt::ISODate) : QDate();
        if (!read.isValid()) {
            *problem = QStringLiteral("%1 \"%2\" is not a day: write it as YYYY-MM-DD "
                                      "(2025-03-01 for the 1st of March 2025).")
                           .arg(option, *given);
            return false;
        }
        *day = read;
    }
    if (from->isValid() && to->isValid() && *from > *to) {
        *problem = QStringLiteral("--from %1 is after --to %2, so no day is between them.")
                       .arg(from->toString(Qt::ISODate), to->toString(Qt::ISODate));
        return false;
    }
    return true;
}

} // namespace Tool
