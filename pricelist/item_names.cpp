#include "pricelist/item_names.h"

#include "pricelist/price_items.h"

#include <QChar>

namespace ItemNames {

namespace {

struct LookedUp {
    const QString& name;
    const char* use;
};

// Every name the program looks up, with what it prices.
const LookedUp& lookedUp(int i)
{
    static const LookedUp table[] = {
        {PriceItem::BeefKill, "the kill charge for beef"},
        {PriceItem::PorkKill, "the kill charge for pork"},
        {PriceItem::Deer, "the processing charge for deer"},
        {PriceItem::Processing, "the processing charge per pound of beef and pork"},
        {PriceItem::PaperWrapp, "the paper wrapping service for beef"},
        {PriceItem::Cooling, "the cooling service for pork"},
        {PriceItem::MinuteSteaks,
         "the tenderising and minute steak services for beef and the pork cutlet worksheet"},
        {PriceItem::Curing, "the beef cure products and the pork curing worksheet"},
        {PriceItem::SausageSeasoning,
         "the pork sausage seasoning worksheet and breakfast sausage on the sausage worksheet"},
        {PriceItem::ExtraBoning, "the extra boning worksheet"},
        {PriceItem::Slicing, "the jerky slicing worksheet"},
        {PriceItem::FajitaStrips, "the fajita strips worksheet"},
        {PriceItem::Summer, "summer sausage on the sausage worksheet"},
        {PriceItem::Jerky, "jerky on the sausage worksheet"},
        {PriceItem::HotStix, "hot sticks on the sausage worksheet"},
        {PriceItem::SmokedSausage,
         "Polish, German, brat and Italian sausage on the sausage worksheet"},
        {PriceItem::SmokedSausageJalepono, "jalapeño and cheddar sausage on the sausage worksheet"},
        {PriceItem::PorkTrim, "the pork added to sausage on the sausage worksheet"},
        {PriceItem::SplitSide, "the surcharge of a split-side quarter of an animal sold in shares"},
        {PriceItem::ShareKill, "the kill fee per share of an animal sold in shares"},
    };
    static_assert(sizeof(table) / sizeof(table[0]) == 20, "LookedUpCount below counts them");
    return table[i];
}
constexpr int LookedUpCount = 20;

constexpr char32_t Blank = U' ';

bool isSpace(QChar::Category category)
{
    return category == QChar::Separator_Space || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

// A character as a person can find it: its code, with its usual name where
// it has one.
QString described(char32_t c)
{
    const QString code = QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    const char* name = nullptr;
    switch (c) {
    case U'\n':
    case U'\r':
        name = "a line break";
        break;
    case U'\t':
        name = "a tab";
        break;
    case 0x00A0:
    case 0x202F:
        name = "a non-breaking space";
        break;
    case 0x200B:
        name = "a zero-width space";
        break;
    case 0xFEFF:
        name = "a zero-width no-break space";
        break;
    case 0x00AD:
        name = "a soft hyphen";
        break;
    default:
        break;
    }
    return name ? QStringLiteral("%1 (%2)").arg(QLatin1String(name), code)
                : QStringLiteral("the character %1").arg(code);
}

// The characters of the text; a lone surrogate gives 0xFFFFFFFF.
template <typename Visit> void forEachCharacter(const QString& text, Visit visit)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text[i + 1]);
            ++i;
        } else if (c.isSurrogate()) {
            code = 0xFFFFFFFF;
        }
        if (!visit(code))
            return;
    }
}

// Why the text holds a character that a name or category cannot hold.
QString characterProblem(const QString& text, const QString& what)
{
    QString problem;
    forEachCharacter(text, [&](char32_t c) {
        if (c == 0xFFFFFFFF) {
            problem = QStringLiteral("%1 holds a broken character; type it again.").arg(what);
            return false;
        }
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Other_Control) {
            problem = QStringLiteral("%1 cannot hold a line break or another control character "
                                     "(it holds %2).")
                          .arg(what, described(c));
        } else if (category == QChar::Other_Format) {
            problem = QStringLiteral("%1 cannot hold an invisible character (it holds %2).")
                          .arg(what, described(c));
        } else if (isSpace(category) && c != Blank) {
            problem = QStringLiteral("%1 cannot hold a space other than the plain blank (it "
                                     "holds %2).")
                          .arg(what, described(c));
        }
        return problem.isEmpty();
    });
    return problem;
}

} // namespace

QString nameProblem(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("An item needs a name.");
    if (const qsizetype length = name.toUcs4().size(); length > MaxNameLength)
        return QStringLiteral("An item name can be at most %1 characters long; this one has %2.")
            .arg(MaxNameLength)
            .arg(length);
    const QString problem = characterProblem(name, QStringLiteral("An item name"));
    if (!problem.isEmpty())
        return problem;
    if (name.front() == QLatin1Char(' ') || name.back() == QLatin1Char(' '))
        return QStringLiteral("An item name cannot begin or end with a blank (\"%1\").").arg(name);
    return QString();
}

QString categoryProblem(const QString& category)
{
    QString problem;
    forEachCharacter(category, [&](char32_t c) {
        if (c == 0xFFFFFFFF)
            problem = QStringLiteral("A category holds a broken character; type it again.");
        else if (QChar::category(c) == QChar::Other_Control)
            problem = QStringLiteral("A category cannot hold a line break or another control "
                                     "character.");
        return problem.isEmpty();
    });
    return problem;
}

QString foldedName(const QString& name)
{
    QString kept;
    kept.reserve(name.size());
    forEachCharacter(name, [&](char32_t c) {
        if (c == 0xFFFFFFFF)
            return true;
        const QChar::Category category = QChar::category(c);
        if (!isSpace(category) && category != QChar::Other_Control &&
            category != QChar::Other_Format)
            kept += QString::fromUcs4(&c, 1);
        return true;
    });
    return kept.toCaseFolded();
}

QString lookAlike(const QString& name, const QStringList& existingNames)
{
    if (existingNames.contains(name) || lookedUpNames().contains(name))
        return QString();
    const QString folded = foldedName(name);
    if (folded.isEmpty())
        return QString();
    for (int i = 0; i < LookedUpCount; ++i) {
        if (foldedName(lookedUp(i).name) == folded)
            return lookedUp(i).name;
    }
    for (const QString& existing : existingNames) {
        if (foldedName(existing) == folded)
            return existing;
    }
    return QString();
}

QString usedFor(const QString& item)
{
    for (int i = 0; i < LookedUpCount; ++i) {
        if (lookedUp(i).name == item)
            return QString::fromUtf8(lookedUp(i).use);
    }
    return QString();
}

QStringList lookedUpNames()
{
    QStringList names;
    for (int i = 0; i < LookedUpCount; ++i)
        names << lookedUp(i).name;
    return names;
}

} // namespace ItemNames
