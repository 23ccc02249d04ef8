#pragma once

// frmCure, the curing worksheet: one screen serving three pork services
// (curing, sausage seasoning, cutlets), its role given when it is made. The clerk selects the cuts;
// the screen totals their weight from the hanging weight, and Apply rounds it to whole pounds,
// prices it, writes weight and charge into the service's row of the Estimate screen, has the
// estimate's total figured again and closes.

#include "estimate/curing_rules.h"

#include <QWidget>
#include <memory>
#include <optional>

class WorksheetHost;
class ServicePrice;
class QLineEdit;
class QListWidget;
class QPushButton;

class CuringWorksheet : public QWidget {
    Q_OBJECT

public:
    // The worksheet for one of the pork services PorkCuring, PorkSausage and
    // Cutlets.
    CuringWorksheet(WorksheetHost& host, ServiceId service, QWidget* parent = nullptr);
    ~CuringWorksheet() override;

private:
    void onSelectionChanged();
    void onApply();

    // The price per pound for Apply: the role's own rate while the database
    // flag is unticked, else the price found in the price list (at load, or
    // now when none was found then). Tells the clerk when there is none.
    std::optional<double> pricePerPound();

    WorksheetHost& host_;
    const CuringRules::Role& role_;
    const ServiceInfo& service_; // its price item and built-in price
    std::unique_ptr<ServicePrice> price_;

    QListWidget* cuts_ = nullptr;        // List1
    QLineEdit* totalWeight_ = nullptr;   // Text1: the selected cuts' pounds
    QPushButton* applyButton_ = nullptr; // cmdApply
};
