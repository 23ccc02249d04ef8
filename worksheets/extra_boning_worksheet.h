#pragma once

// frmEB, the extra boning worksheet: the clerk ticks the beef cuts to be boned
// out; the screen keeps a running weight to bone, and "Done" doubles it,
// prices it and writes both into the ExtraBoning row of the Estimate screen.

#include "estimate/worksheet_figuring.h"
#include "ui/sheet_dialogs.h"

#include <QWidget>
#include <array>

class Estimate;
class WorksheetHost;
class QCheckBox;
class QLineEdit;
class QPushButton;

class ExtraBoningWorksheet : public QWidget {
    Q_OBJECT

public:
    ExtraBoningWorksheet(Estimate& estimate, WorksheetHost& host, QWidget* parent = nullptr);
    ~ExtraBoningWorksheet() override;

private:
    void onCutClicked(int box, bool ticked);
    void onDone();

    WindowDialogs dialogs_{this};
    BoningFiguring figuring_;
    WorksheetHost& host_;
    std::array<QCheckBox*, 16> cutBoxes_{}; // Check1_0 to Check1_15
    QLineEdit* weightToBone_ = nullptr;     // Text1: the running weight
    QPushButton* doneButton_ = nullptr;     // Command1, the Done button
};
