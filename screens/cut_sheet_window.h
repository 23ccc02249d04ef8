#pragma once

// The customer's cut sheet: what each primal of their part becomes, how the
// ground meat is packed, what they keep, with what the worksheets already
// decided shown as it stands (read only here). What contradicts itself is
// told as it is chosen, and the meat they are likely to take home follows
// every choice. Printed for the cutting room; once the carcass is cut the
// sheet is locked, and a change needs the owner and is recorded.

#include "estimate/estimate_summary.h"
#include "estimate/take_home.h"

#include <QDateTime>
#include <QDialog>
#include <QList>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

struct CutSheetDesk {
    EstimateValue estimate; // its sheet (SheetOf) is the one filled
    CutMaster master;
    Yields yields;
    EstimateSummary head; // the printed page's head: the shop, the number, the customer
    bool locked = false;  // the carcass was cut
    QString who;          // the login a change is recorded under
    QDateTime now;
};

class CutSheetWindow : public QDialog {
    Q_OBJECT

public:
    // `done` is given the sheet as filled when the clerk presses OK and it
    // holds no contradiction.
    CutSheetWindow(QWidget* parent, CutSheetDesk desk, std::function<void(const CutSheet&)> done);

    // The sheet as the window's fields hold it now.
    CutSheet sheet() const;

private:
    void showFigures();
    void setLocked(bool locked);
    void unlock();
    void accept() override;
    void print();

    struct PrimalRow {
        QComboBox* use = nullptr;
        QLineEdit *thickness = nullptr, *perPackage = nullptr, *roast = nullptr;
        QCheckBox* boneless = nullptr;
    };

    CutSheetDesk desk_;
    CutSheet before_;
    std::function<void(const CutSheet&)> done_;
    bool locked_ = false, unlocked_ = false;
    QComboBox* part_ = nullptr;
    QList<PrimalRow> rows_;
    QComboBox *package_ = nullptr, *lean_ = nullptr;
    QList<QCheckBox*> keeps_;
    QListWidget* products_ = nullptr;
    QLabel* problems_ = nullptr;
    QLabel* takeHome_ = nullptr;
    QLabel* lockLine_ = nullptr;
    QPushButton* unlock_ = nullptr;
};
