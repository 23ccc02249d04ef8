#pragma once

// The maintenance side of the price list: reading every row, setting and
// removing items, saving a whole edited table, and moving the list to and from
// CSV text (a header line Item,Cost,Category, then one item a line).
//
// Every change runs in one write transaction: it is saved whole or not at all,
// with its record in the price history.
// When the file refuses (read-only, locked by another program, not a price
// list), the change says why in plain words and the file stays as it was.
//
// Names are matched exactly, and the first row of a name is the one stored
// first, as PriceList looks them up. A name is never added a second time, and
// a new name that only looks like one already there or one the program looks
// up (other capitals or blanks) is refused unless the caller confirms it.

#include "pricelist/price_history.h"
#include "pricelist/price_list.h"
#include "store/server_link.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The outcome of one change.
struct EditResult {
    bool done = false;
    QString problem;  // in plain words, when not done
    int added = 0;    // rows added
    int changed = 0;  // rows whose cost (and category) were written
    int removed = 0;  // rows removed
    int exported = 0; // rows written to a CSV file
    // saveChanges: the items whose rows were changed by someone else since
    // they were read (nothing was saved then).
    QStringList conflicts;
    // setCost and the import: the name already there (or looked up by the
    // program) that a refused new name only differs from by case or blanks.
    QString lookAlike;
    // The server's answer to the commit was lost: the change may have been
    // kept. The price list as the server has it tells, once it answers.
    bool mayBeSaved = false;
};

// One row that the price list window adds, changes or removes.
struct RowChange {
    enum class Kind { Add, Change, Remove } kind = Kind::Add;
    qint64 rowId = 0;  // the row changed or removed (PriceEntry::rowId)
    PriceEntry loaded; // the row as the window read it
    PriceEntry now;    // the row as the clerk left it (unused for Remove)
};

class PriceListEditor {
public:
    // The category of a new row when the caller gives none: the one that the
    // program itself writes for the items it adds.
    static const QString DefaultCategory;
    // The header line of a price list in CSV.
    static const QStringList CsvHeader;

    explicit PriceListEditor(QString path);
    // Over a connection shared with the counter's other windows.
    explicit PriceListEditor(std::shared_ptr<PriceConnection> connection);
    ~PriceListEditor();
    PriceListEditor(const PriceListEditor&) = delete;
    PriceListEditor& operator=(const PriceListEditor&) = delete;

    // Opens the file; never creates one. problem() says why when it fails.
    PriceList::OpenResult open();
    const QString& problem() const { return problem_; }
    const QString& path() const { return list_.path(); }
    QString describe() const { return list_.describe(); }

    // Every row, in stored order.
    QList<PriceEntry> entries(QString* problem = nullptr);

    // The recorded changes of the item (of every item when empty), newest
    // first (see price_history.h).
    PriceHistoryRead history(const QString& item = QString());

    // Sets the cost of every row of the item, or adds a row when there is
    // none. A given category is written too; without one a row keeps its
    // category and a new row gets DefaultCategory. The cost is an amount of
    // money (MoneyAmountProblem). A new item whose name only differs from one
    // already there, or from one the program looks up, by case or blanks is
    // refused (EditResult::lookAlike names that one) unless `confirmedNew`.
    EditResult setCost(const QString& item, const QString& cost,
                       const std::optional<QString>& category = std::nullopt,
                       bool confirmedNew = false);

    // Removes every row of the item. Not done when there is none.
    EditResult remove(const QString& item);

    // Replaces every row with the given ones, in their order. Every row is
    // checked first; one bad row changes nothing.
    EditResult replaceAll(const QList<PriceEntry>& rows);

    // Writes the rows that the window added, changed or removed, in one
    // transaction; no other row is written. Every change is checked first and
    // all the bad ones are named. A row changed or removed by someone else
    // since the window read it refuses the whole save (EditResult::conflicts),
    // as does a new name that another row already holds.
    EditResult saveChanges(const QList<RowChange>& changes);

    // The whole price list as CSV text, costs written with at least two
    // decimals.
    QString csvText(QString* problem = nullptr);
    // Writes csvText() to a file, replacing it whole: a new file is written
    // beside it and put in its place only when every byte is on the disk, so a
    // failure leaves the old one as it was. Never the price list itself, nor
    // anything but a regular file (a link to one is followed).
    EditResult exportCsv(const QString& csvPath);

    // Adds or changes the items of CSV text: each line sets an item as
    // setCost() does (an empty or missing Category keeps the row's own). Every
    // line is checked first; a bad line names its line number and changes
    // nothing. An item may appear on one line only. `confirmedNew` lets new
    // names that look like existing ones in, as for setCost().
    EditResult importCsvText(const QString& text, bool confirmedNew = false);
    // importCsvText() on a UTF-8 file of at most MaxImportBytes, no line
    // longer than MaxLineCharacters; it is read no further than that.
    EditResult importCsv(const QString& csvPath, bool confirmedNew = false);
    static constexpr qint64 MaxImportBytes = 50 * 1000 * 1000;
    static constexpr int MaxLineCharacters = 10000;

    // A cost as the price list keeps it, written for people: at least two
    // decimals where it is a number ("17" reads "17.00", "0.1234" stays);
    // anything else as it is.
    static QString moneyText(const QString& stored);

    // Why a text cannot be an item name; empty when it can
    // (ItemNames::nameProblem).
    static QString itemNameProblem(const QString& item);

    // A change whose answer was lost and could not be asked about then
    // (EditResult::mayBeSaved): whether one waits to be told, and whether
    // the server kept it, asked once it answers (then it no longer waits);
    // nothing known yet while it does not.
    bool waitsForLostChange() const { return lostChange_.has_value(); }
    Kept settleLostChange();

private:
    // Runs `work` inside one write transaction and commits it; when the file
    // refuses anywhere, rolls back and says why, prefixed by `what`.
    template <typename Work> EditResult inTransaction(const QString& what, Work work);
    // Sets one item inside an open transaction; false when the file refused.
    bool writeItem(const QString& item, double cost, const std::optional<QString>& category,
                   bool confirmedNew, EditResult& result, class QSqlError& error);
    static QString csvFrom(const QList<PriceEntry>& rows);
    QString refusal(const QString& what, const class QSqlError& error);

    PriceList list_;
    // The server's number of the change whose answer was lost.
    std::optional<qint64> lostChange_;
    QString problem_;
};
