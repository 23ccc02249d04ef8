#pragma once

// frmAccuracy: how near the shop's quotes came to its final bills, over the
// days and the species the owner picks, from the book of saved estimates. A
// row a species (the bills, the hanging weight as a share of the live weight,
// the bill against the quote), the spread of the bills drawn, the services
// added or dropped on the bill; and the measured ranges of the hanging weight
// adopted as the shop's own; the take-home quoted against the meat packed
// at pickup, and the measured yields adopted.

#include "book/estimate_book.h"
#include "estimate/yield_check.h"
#include "pricelist/price_source.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QTableWidget;
class SpreadChart;

class AccuracyWindow : public QWidget {
    Q_OBJECT

public:
    AccuracyWindow(EstimateBook& book, PriceSource& shop, QWidget* parent);

    // Reads the report afresh from the book for the days and species chosen.
    void refresh();
    const AccuracyReport& report() const { return report_; }

private:
    void showFigures();
    void adoptRanges();
    // The take-home quoted against the packaged weights recorded at pickup.
    void showYields();
    void adoptYields();

    EstimateBook& book_;
    PriceSource& shop_; // keeps the shop's ranges, with its prices
    AccuracyReport report_;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QComboBox* species_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* note_ = nullptr;
    QLabel* services_ = nullptr;
    QLabel* yields_ = nullptr;
    QList<YieldCheck> yieldChecks_;
    SpreadChart* chart_ = nullptr;
    QCheckBox* middle_ = nullptr;
    QCheckBox* forQuotes_ = nullptr;
};
