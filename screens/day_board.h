#pragma once

// The day's board: what the shop does with its bookings today. Today's
// drop-offs and kills, the carcasses whose hanging days are reached (to
// cut), and the orders ready for pickup with the days they have waited and
// the storage charged after the shop's free days (the price list's
// StorageFee a day).

#include "core/clock.h"

#include <QWidget>

class EstimateBook;
class PriceSource;
class QTreeWidget;
class QLabel;

class DayBoardWindow : public QWidget {
    Q_OBJECT

public:
    DayBoardWindow(EstimateBook& book, PriceSource& prices, const Clock& clock,
                   QWidget* parent = nullptr);
    // Reads the day's bookings again and lists them.
    void refresh();

private:
    EstimateBook& book_;
    // The book's changes told when the window last showed it.
    quint64 changesShown_ = 0;
    PriceSource& prices_;
    const Clock& clock_;
    QLabel* caption_ = nullptr;
    QLabel* status_ = nullptr;
    QTreeWidget* board_ = nullptr;
};
