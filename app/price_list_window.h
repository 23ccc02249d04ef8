#pragma once

// The price list window: the shop's items, costs and categories in a table
// that the owner or the clerk can edit, add to and delete from, saved to the
// price list file in one transaction.

#include "price_list_editor.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

class PriceListWindow : public QWidget {
    Q_OBJECT

public:
    explicit PriceListWindow(const QString& priceListPath, QWidget* parent = nullptr);

    // Why the price list cannot be shown (no file, not a price list); empty
    // when it is shown.
    const QString& problem() const { return problem_; }

    bool hasUnsavedChanges() const { return changed_; }

    // Saves the table as the whole price list. True when it was saved; when a
    // row is not right or the file refuses, the clerk is told and nothing is
    // written.
    bool save();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    void addRow();
    void deleteRows();
    void markChanged();
    void showRow(int row, const PriceEntry& entry);
    // The table's rows; when one is not right, its row number (from 1) and why.
    QList<PriceEntry> rows(int* badRow, QString* why) const;

    PriceListEditor editor_;
    QString problem_;
    bool changed_ = false;
    bool loading_ = false;
    QTableWidget* table_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* status_ = nullptr;
};
