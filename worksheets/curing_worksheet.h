#pragma once

// frmCure, the curing worksheet: one screen serving three pork services
// (curing, sausage seasoning, cutlets), its role chosen by the cure item when
// it loads. The clerk selects the cuts; the screen totals their weight from
// the hanging weight, and Apply rounds it to whole pounds, prices it, writes
// weight and charge into the service's row of the Estimate screen, has the
// estimate's total figured again and closes.

#include "curing_rules.h"

#include <QWidget>
#include <memory>
#include <optional>

class EstimateHost;
class ServicePrice;
class QLineEdit;
class QListWidget;
class QPushButton;

class CuringWorksheet : public QWidget {
    Q_OBJECT

public:
    explicit CuringWorksheet(EstimateHost& host, QWidget* parent = nullptr);
    ~CuringWorksheet() override;

private:
    // The role's looks and rules; the design role when the cure item names none.
    const CuringRules::Role& looks() const;

    void onSelectionChanged();
    void onApply();

    // The price per pound for Apply: the role's own rate while the database
    // flag is unticked, else the price found in the price list (at load, or
    // now when none was found then). Tells the clerk when there is none.
    std::optional<double> pricePerPound();

    EstimateHost& host_;
    const CuringRules::Role* role_;       // null when the cure item names no role
    std::unique_ptr<ServicePrice> price_; // the role's item, when there is a role

    QListWidget* list1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QPushButton* cmdApply_ = nullptr;
};
