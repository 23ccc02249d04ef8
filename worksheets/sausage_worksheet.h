#pragma once

// frmWsEst, the sausage worksheet: the clerk ticks the kinds of sausage and
// smoked products to be made from a customer's deer meat and types the deer
// pounds of each; the worksheet adds the pork, confirms the list, prices every
// entry from the price list (adding a missing item when the clerk wishes), and
// writes the total weight and charge into the Estimate screen's Sausage row.

#include "estimate/sausage_rules.h"

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class WorksheetHost;
class PriceList;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class SausageWorksheet : public QWidget {
    Q_OBJECT

public:
    explicit SausageWorksheet(WorksheetHost& host, QWidget* parent = nullptr);
    ~SausageWorksheet() override;

    // Asks for the total deer weight and puts the answer into txtTotal.
    void fAskTotal();
    // Back to the opening state: no entries, every box unticked, every weight "0".
    void redoer();
    // Shows the entries and asks whether they are right; true for Yes (a No
    // resets the worksheet).
    bool fConfirm();
    // Prices the entries and writes the result into the Estimate screen, then
    // closes. Stops, with the worksheet as it was, when something is missing.
    void fFigure();

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
    bool fEnterTab(QKeyEvent* key);

    // The steps of fFigure.
    bool openPriceList();
    // The price per pound of an item, adding it when it is missing and the
    // clerk wishes; no value when figuring must stop (the clerk was told).
    std::optional<double> priceOf(const QString& item);
    std::optional<double> addMissingItem(const QString& item);

    WorksheetHost& host_;
    std::unique_ptr<PriceList> priceList_;
    SausageRules::EntryList entries_;
    std::optional<bool> confirmed_;
    bool shownOnce_ = false;

    std::array<QCheckBox*, SausageRules::KindCount> check1_{};
    std::array<QLineEdit*, SausageRules::KindCount> t_{};
    std::array<QLineEdit*, SausageRules::PorkFieldCount> p_{};
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label3_ = nullptr;
    QLineEdit* txtTotal_ = nullptr;
    QLineEdit* pt_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};
