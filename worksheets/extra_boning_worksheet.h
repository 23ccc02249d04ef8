#pragma once

// frmEB, the extra boning worksheet: the clerk ticks the beef cuts to be boned
// out; the screen keeps a running weight to bone, and "Done" doubles it,
// prices it and writes both into the ExtraBoning row of the Estimate screen.

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class WorksheetHost;
class ServicePrice;
class QCheckBox;
class QLineEdit;
class QPushButton;

class ExtraBoningWorksheet : public QWidget {
    Q_OBJECT

public:
    explicit ExtraBoningWorksheet(WorksheetHost& host, QWidget* parent = nullptr);
    ~ExtraBoningWorksheet() override;

private:
    void onCutClicked(bool ticked);
    void onDone();
    // The price per pound to charge; tells the clerk when there is none.
    std::optional<double> price();

    WorksheetHost& host_;
    std::unique_ptr<ServicePrice> price_;
    std::array<QCheckBox*, 16> cutBoxes_{}; // Check1_0 to Check1_15
    QLineEdit* weightToBone_ = nullptr;     // Text1: the running weight
    QPushButton* doneButton_ = nullptr;     // Command1, the Done button
};
