#pragma once

// frmCure, the curing worksheet: one screen serving three pork services
// (curing, sausage seasoning, cutlets), its role given when it is made. The clerk selects the cuts;
// the screen totals their weight from the hanging weight, and Apply rounds it to whole pounds,
// prices it, writes weight and charge into the service's row of the Estimate screen, has the
// estimate's total figured again and closes.

#include "estimate/worksheet_figuring.h"
#include "ui/sheet_dialogs.h"

#include <QWidget>

class Estimate;
class WorksheetHost;
class QLineEdit;
class QListWidget;
class QPushButton;

class CuringWorksheet : public QWidget {
    Q_OBJECT

public:
    // The worksheet for one of the pork services PorkCuring, PorkSausage and
    // Cutlets.
    CuringWorksheet(Estimate& estimate, WorksheetHost& host, ServiceId service,
                    QWidget* parent = nullptr);
    ~CuringWorksheet() override;

private:
    void onSelectionChanged();
    void onApply();

    WindowDialogs dialogs_{this};
    CuringFiguring figuring_;
    WorksheetHost& host_;

    QListWidget* cuts_ = nullptr;        // List1
    QLineEdit* totalWeight_ = nullptr;   // Text1: the selected cuts' pounds
    QPushButton* applyButton_ = nullptr; // cmdApply
};
