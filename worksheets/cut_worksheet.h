#pragma once

// frmJerky and frmFajita: the clerk picks the beef cuts to be made into jerky
// or fajita strips; the screen totals their weight from the Estimate screen's
// hanging weight, and Apply prices it and writes both into the service's row.
// One design, built twice from the table of the two screens.

#include "estimate/worksheet_figuring.h"
#include "ui/sheet_dialogs.h"

#include <QWidget>

class Estimate;
class WorksheetHost;
class QLineEdit;
class QListWidget;
class QPushButton;

class CutWorksheet : public QWidget {
    Q_OBJECT

public:
    // frmJerky (for the Slicing service) or frmFajita (Fajita Strips), for
    // the estimate it is opened for.
    CutWorksheet(CutRules::CutScreenKind kind, Estimate& estimate, WorksheetHost& host,
                 QWidget* parent = nullptr);
    ~CutWorksheet() override;

private:
    void onSelectionChanged();
    void onApply();

    WindowDialogs dialogs_{this};
    CutFiguring figuring_;
    WorksheetHost& host_;
    QListWidget* cuts_ = nullptr;        // List1
    QLineEdit* totalWeight_ = nullptr;   // Text1: the selected cuts' pounds
    QPushButton* applyButton_ = nullptr; // cmdFigure, the Apply button
};
