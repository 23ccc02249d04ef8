#pragma once

// The price list window: the shop's items, costs and categories in a table
// that the owner or the clerk can edit, add to and delete from. Save writes
// only the rows changed in the window, in one transaction, and refuses rows
// that another program changed in the file meanwhile. Below the table, the
// shop's name, address and phone, kept beside the price list for the head of
// every counter's printed estimates.

#include "pricelist/price_list_editor.h"
#include "pricelist/shop_details.h"

#include <QHash>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTimer;

class PriceListWindow : public QWidget {
    Q_OBJECT

public:
    explicit PriceListWindow(const QString& priceListPath, QWidget* parent = nullptr);
    // Over the connection of the counter's Estimate screen.
    explicit PriceListWindow(std::shared_ptr<PriceConnection> connection,
                             QWidget* parent = nullptr);
    ~PriceListWindow() override;

    // Why the price list cannot be shown (no file, not a price list); empty
    // when it is shown.
    const QString& problem() const { return problem_; }

    bool hasUnsavedChanges() const { return changed_; }

    // Saves the rows changed in the window. True when they were saved (or
    // there was nothing to save); when a cell is not right, the clerk declines
    // a question or the file refuses, the clerk is told and nothing is written.
    bool save();
    // Saves the shop's name, address and phone printed on the estimates, in
    // the price list's store, for every counter. True when saved; otherwise
    // the clerk is told why and the fields keep what was typed.
    bool saveShop();
    // The shop's fields differ from the details as read or last saved.
    bool hasUnsavedShopDetails() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // A check of one cell: its row and column, and why it is not right.
    struct BadCell {
        int row;
        int column;
        QString why;
    };

    // Shows the file's rows afresh; false (and why in the status line) when
    // the file cannot be read.
    bool load();
    void reload();
    // The text of a cell still being typed goes into the cell.
    void commitEdit();
    void addRow();
    void deleteRows();
    // Shows the recorded changes of the selected item.
    void showHistory();
    void cellChanged();
    void showRow(int row, const PriceEntry& entry, bool fromFile);
    void noticeChangesElsewhere();

    // The row as the table shows it.
    PriceEntry entryAt(int row) const;
    // The file's row as it was loaded; null for a row added in the window.
    const PriceEntry* loadedRow(int row) const;
    // True when the row was added in the window or differs from what was loaded.
    bool rowChanged(int row) const;
    // Marks every cell of the changed rows that is not right (background and
    // tool tip) and clears the others' marks. The bad cells, in table order.
    QList<BadCell> markCells();
    // Asks about every new or renamed item whose name is only a look-alike of
    // another; Yes puts that name in its place. False when the clerk says No.
    bool settleLookAlikes();
    // Asks before saving names the program looks up that the changes rename
    // away. False when the clerk says No.
    bool confirmRenames(const QList<RowChange>& changes);
    QList<RowChange> changes() const;
    // Shows the shop's details as the store keeps them.
    void loadShop();
    ShopDetails shownShop() const;
    // The items whose rows the file holds otherwise than when they were
    // loaded; empty when the file cannot be read.
    QStringList changedElsewhere();

    std::shared_ptr<PriceConnection> connection_;
    PriceListEditor editor_;
    // While a save's answer was lost and whether it was kept is not known:
    // asked each second, and told once the server answers.
    QTimer* lostSave_ = nullptr;
    // Tells whether the save whose answer was lost was kept, when that is
    // known now; false while it is not.
    bool settleLostSave();
    QString problem_;
    bool changed_ = false;
    bool loading_ = false;
    // Set while the window asks or tells something, so that coming back to
    // it from the message box does not load the table under the question.
    bool busy_ = false;
    // The rows as they were loaded, in file order and by row id.
    QList<PriceEntry> loaded_;
    QHash<qint64, PriceEntry> loadedById_;
    // The loaded rows deleted in the window, not saved yet.
    QList<qint64> removed_;
    QTableWidget* table_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* reload_ = nullptr;
    QPushButton* history_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* status_ = nullptr;
    QLineEdit* shopName_ = nullptr;
    QLineEdit* shopAddress_ = nullptr;
    QLineEdit* shopPhone_ = nullptr;
    QLabel* shopStatus_ = nullptr;
    // The shop's details as read or last saved.
    ShopDetails shopSaved_;
};
