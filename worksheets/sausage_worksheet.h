#pragma once

// frmWsEst, the sausage worksheet: the clerk ticks the kinds of sausage and
// smoked products to be made from a customer's deer meat and types the deer
// pounds of each; the worksheet adds the pork, confirms the list, prices every
// entry from the price list (adding a missing item when the clerk wishes), and
// writes the total weight and charge into the Estimate screen's Sausage row.

#include "estimate/worksheet_figuring.h"
#include "ui/sheet_dialogs.h"

#include <QWidget>
#include <array>
#include <optional>

class Estimate;
class WorksheetHost;
class QCheckBox;
class QLineEdit;
class QPushButton;

class SausageWorksheet : public QWidget {
    Q_OBJECT

public:
    SausageWorksheet(Estimate& estimate, WorksheetHost& host, QWidget* parent = nullptr);
    ~SausageWorksheet() override;

    // Asks for the total deer weight and puts the answer into its field (txtTotal).
    void askDeerTotal();
    // Back to the opening state: no entries, every box unticked, every weight "0".
    void reset();
    // Shows the entries and asks whether they are right; true for Yes (a No
    // resets the worksheet).
    bool confirmEntries();
    // Prices the entries and writes the result into the Estimate screen, then
    // closes. Stops, with the worksheet as it was, when something is missing.
    void figureCharges();
    // Takes up again the products of the estimate's last sausage figuring,
    // with their pounds, to change some of them.
    void takeUpLastEntries();

    // The entries, in the order in which their kinds were ticked.
    const QList<SausageRules::Entry>& entries() const { return entries_.entries(); }
    // The clerk's last answer to the confirmation; unset before the first.
    std::optional<bool> confirmed() const { return confirmed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void setTabOrder();

    // Event handlers.
    void onKindToggled(int row, bool ticked);
    void storeWeight(int row);
    void onFigure();
    // Enter in a deer weight field moves on as Tab does; true when consumed.
    bool enterMovesOn(QKeyEvent* key);

    WindowDialogs dialogs_{this};
    SausageFiguring figuring_;
    WorksheetHost& host_;
    SausageRules::EntryList entries_;
    std::optional<bool> confirmed_;
    bool shownOnce_ = false;

    // One row per kind (index 0 is row 1): its box (Check<row>) and its deer
    // weight (t<row>); the pork weights (p1 to p7) only on the rows that take pork.
    std::array<QCheckBox*, SausageRules::KindCount> kindBoxes_{};
    std::array<QLineEdit*, SausageRules::KindCount> deerWeights_{};
    std::array<QLineEdit*, SausageRules::PorkFieldCount> porkWeights_{};
    QLineEdit* deerTotal_ = nullptr;      // txtTotal: typed by the clerk, or the deer column's sum
    QLineEdit* porkTotal_ = nullptr;      // pt: the pork column's sum
    QLineEdit* chargeTotal_ = nullptr;    // Text2: the figuring adds to what it holds
    QPushButton* figureButton_ = nullptr; // cmdClose, the Figure button
    QPushButton* lastEntries_ = nullptr;  // cmdLastEntries: shown when there are some
};
