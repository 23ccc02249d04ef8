#pragma once

// The figuring of the sausage worksheet as plain functions of field texts and
// prices: the kinds of product, the pork added to each, the list of entries,
// the confirmation text and the charges. The screen reads its fields, calls
// these, and writes the results.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace SausageRules {

// How much pork a kind adds to its deer meat, figured when the deer weight
// field loses the focus.
enum class PorkRule {
    None,     // no pork field
    Half,     // the deer weight divided by 2, one decimal
    Third,    // the deer weight divided by 3, one decimal
    SameText, // the deer weight text itself: one part pork to one part deer
};

// One kind of product: one row of the worksheet.
struct Kind {
    int row;               // 1 to 11, top to bottom: Check<row>, t<row>
    const char* caption;   // the check box's caption
    const char* entryName; // the item name put into the entry list; empty when disabled
    int porkField;         // p<porkField>, 0 when the kind takes no pork
    PorkRule pork;
    bool enabled; // the box can be ticked

    bool takesPork() const { return porkField != 0; }
    bool divides() const { return pork == PorkRule::Half || pork == PorkRule::Third; }
};

constexpr int KindCount = 11;
constexpr int PorkFieldCount = 7;

// The kinds, top to bottom (index 0 is row 1).
extern const Kind Kinds[KindCount];

// The kind of a row (1 to 11), or null.
const Kind* KindAt(int row);

// The pork shown for a deer weight text, and whether a division rule could
// read the deer weight (an unreadable one counts as 0 and gives "0.0").
struct PorkFigure {
    QString text;
    bool deerReadable = true;
};
PorkFigure PorkFor(const Kind& kind, const QString& deerText);

// Why a deer weight text is not a usable weight, in plain words; empty when it is.
QString DeerWeightProblem(const Kind& kind, const QString& deerText);

// Why a pork weight text is not a usable weight, in plain words; empty when it
// is one, and for an empty field (which counts as 0 pounds).
QString PorkWeightProblem(const QString& porkText);

// The total deer weight field's text before Figure or the clerk first fills it.
inline const QString TotalDeerWeightDesignText = QStringLiteral("Text2");

// Why the total deer weight field's text is not a number of pounds, in plain
// words; empty when it is one, when it is empty (a cancelled input box), and
// for the field's design text.
QString TotalDeerWeightProblem(const QString& text);

// The price item that prices an entry, by the entry's item name; empty for a
// name that no kind puts into the list.
QString PriceItemFor(const QString& entryName);

// One product chosen on the worksheet, with its weights as the texts shown.
struct Entry {
    int row = 0; // the kind's row
    QString item;
    QString deer;
    QString pork;

    bool operator==(const Entry&) const = default;
};

// The products chosen, in the order in which their boxes were ticked. Each
// entry belongs to its kind: unticking a kind removes that kind's own entry,
// and a weight is stored in the entry of the kind whose field holds it.
class EntryList {
public:
    // A kind was ticked: its entry goes last, with the deer weight shown and no pork.
    void add(const Kind& kind, const QString& deerText);
    // A kind was unticked: its entry goes; the others keep their order.
    void remove(int row);
    // The kind's weights as its fields show them; nothing when it has no entry.
    void store(int row, const QString& deerText, const QString& porkText);
    void clear() { entries_.clear(); }

    const Entry* find(int row) const;
    const QList<Entry>& entries() const { return entries_; }
    int count() const { return int(entries_.size()); }

private:
    QList<Entry> entries_;
};

// The text of the confirmation: for each entry a line break, the item name,
// two blanks, the deer weight, three blanks and the pork weight.
QString ConfirmationText(const QList<Entry>& entries);

// The sum of the fields' numeric values (the number at the start of each
// text, 0 when there is none), as a plain decimal number. No value when the
// sum is beyond any number.
std::optional<QString> ColumnTotal(const QStringList& texts);

// Deer plus pork pounds of an entry, each read for its leading number.
double EntryPounds(const Entry& entry);

// The charges of one figuring. The running total starts from the charge
// total field, adds each entry's price times its pounds (kept as the field
// would show it, at 15 significant digits), and ends with the pork trim.
class ChargeTally {
public:
    explicit ChargeTally(double start);

    // Adds an entry charged at its price per pound. False when the sum is no
    // longer a finite number (nothing is added then).
    bool add(const Entry& entry, double pricePerPound);

    // The running charge total, as the charge total field shows it.
    QString runningText() const;
    // All pork pounds of the entries added.
    double porkTotal() const { return porkTotal_; }
    // Deer plus pork pounds of all entries, as a plain decimal number; empty
    // when no entry was added.
    QString totalWeightText() const;

    // The running total plus the pork trim price times all pork pounds, as
    // money with four decimals (a half going to the even neighbour), written
    // without trailing zeros. No value when it is too large to be money.
    std::optional<QString> finalCharge(double porkTrimPerPound) const;

private:
    double running_;
    double totalWeight_ = 0;
    double porkTotal_ = 0;
    bool any_ = false;
};

} // namespace SausageRules
