#pragma once

// The maintenance side of the price list: reading every row, setting and
// removing items, saving a whole edited table, and moving the list to and from
// CSV text (a header line Item,Cost,Category, then one item a line).
//
// Every change runs in one write transaction: it is saved whole or not at all.
// When the file refuses (read-only, locked by another program, not a price
// list), the change says why in plain words and the file stays as it was.

#include "price_list.h"

#include <QList>
#include <QString>
#include <optional>

// The outcome of one change.
struct EditResult {
    bool done = false;
    QString problem;  // in plain words, when not done
    int added = 0;    // rows added
    int changed = 0;  // rows whose cost (and category) were written
    int removed = 0;  // rows removed
    int exported = 0; // rows written to a CSV file
};

class PriceListEditor {
public:
    // The category of a new row when the caller gives none: the one that the
    // program itself writes for the items it adds.
    static const QString DefaultCategory;
    // The header line of a price list in CSV.
    static const QStringList CsvHeader;

    explicit PriceListEditor(QString path);
    ~PriceListEditor();
    PriceListEditor(const PriceListEditor&) = delete;
    PriceListEditor& operator=(const PriceListEditor&) = delete;

    // Opens the file; never creates one. problem() says why when it fails.
    PriceList::OpenResult open();
    const QString& problem() const { return problem_; }
    const QString& path() const { return list_.path(); }

    // Every row, in stored order.
    QList<PriceEntry> entries(QString* problem = nullptr);

    // Sets the cost of every row of the item, or adds a row when there is
    // none. A given category is written too; without one a row keeps its
    // category and a new row gets DefaultCategory. The cost is an amount of
    // money: not negative, at most four decimals.
    EditResult setCost(const QString& item, const QString& cost,
                       const std::optional<QString>& category = std::nullopt);

    // Removes every row of the item. Not done when there is none.
    EditResult remove(const QString& item);

    // Replaces every row with the given ones, in their order. Every row is
    // checked first; one bad row changes nothing.
    EditResult replaceAll(const QList<PriceEntry>& rows);

    // The whole price list as CSV text, costs written with at least two
    // decimals.
    QString csvText(QString* problem = nullptr);
    // Writes csvText() to a file, replacing it whole. Never the price list itself.
    EditResult exportCsv(const QString& csvPath);

    // Adds or changes the items of CSV text: each line sets an item as
    // setCost() does (an empty or missing Category keeps the row's own). Every
    // line is checked first; a bad line names its line number and changes
    // nothing. An item may appear on one line only.
    EditResult importCsvText(const QString& text);
    // importCsvText() on a UTF-8 file.
    EditResult importCsv(const QString& csvPath);

    // A cost as the price list keeps it, written for people: at least two
    // decimals where it is a number ("17" reads "17.00", "0.1234" stays);
    // anything else as it is.
    static QString moneyText(const QString& stored);

    // Why a text cannot be an item name; empty when it can.
    static QString itemNameProblem(const QString& item);

private:
    // Runs `work` inside one write transaction and commits it; when the file
    // refuses anywhere, rolls back and says why, prefixed by `what`.
    template <typename Work> EditResult inTransaction(const QString& what, Work work);
    // Sets one item inside an open transaction; false when the file refused.
    bool writeItem(const QString& item, double cost, const std::optional<QString>& category,
                   EditResult& result, class QSqlError& error);
    static QString csvFrom(const QList<PriceEntry>& rows);
    QString refusal(const QString& what, const class QSqlError& error) const;

    PriceList list_;
    QString problem_;
};
