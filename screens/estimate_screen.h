#pragma once

// frmEst, the Estimate screen: the view of one estimate. It lays out the
// controls, shows the estimate object's figures in them, and turns the
// clerk's clicks and keys into calls on the object. It also hosts the
// worksheets and opens the price list window and the print dialog.

#include "estimate/estimate.h"
#include "worksheets/worksheet_host.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class PriceList;

class EstimateScreen : public QWidget, public EstimateView, public WorksheetHost {
    Q_OBJECT

public:
    explicit EstimateScreen(QString priceListPath, QWidget* parent = nullptr);
    ~EstimateScreen() override;

    // The screen's start-up: collapsed height, the database flag ticked, the
    // price list opened (or the start-up notice and the built-in prices).
    void startUp();

    const Estimate& estimate() const { return *estimate_; }

    // EstimateView
    void tell(const QString& text) override;
    void warn(const QString& text) override;
    bool askYesNo(const QString& text, const QString& title) override;
    void showWorksheet(ServiceId service) override;
    void showCureProducts() override;

    // WorksheetHost
    QString hangingWeightText() const override;
    bool priceListFlag() const override;
    QString priceListPath() const override;
    void writeService(ServiceId service, const QString& weight, const QString& charge) override;
    void refigureTotalThroughTot() override;

    // Qt's print dialog, then the printed estimate (or a PDF file). Refused
    // while a field is marked as invalid or no species is chosen; rows figured
    // for another hanging weight are printed only when the clerk says so.
    void printEstimate();
    // The price list window, to see and change the prices.
    void showPriceList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The controls of one extra service.
    struct ServiceControls {
        QCheckBox* box = nullptr;
        QLineEdit* weight = nullptr;
        QLineEdit* charge = nullptr;
    };

    void buildTopBand();
    void buildServiceBand();
    void setHeightTwips(int twips);

    // Runs a clerk's action on the estimate, then shows the estimate.
    template <typename Action> void act(Action action);
    // Shows the estimate in the controls, writing only what changed.
    void render();
    void renderServices();
    // The flag's tool tip: where prices come from, or the file looked for.
    void showFlagTip();

    // Why the estimate cannot be printed as it stands; empty when it can.
    QString printRefusal() const;

    std::unique_ptr<PriceList> priceList_;
    std::unique_ptr<Estimate> estimate_;
    bool rendering_ = false;
    bool totRan_ = false;
    bool shownExpanded_ = false;

    QWidget* page_ = nullptr;
    QCheckBox* flag_ = nullptr;
    std::array<QRadioButton*, 3> speciesButtons_{}; // Beef, Pork, Deer
    QLabel* weightCaption_ = nullptr;
    QLabel* speciesHint_ = nullptr;
    QLineEdit* liveWeight_ = nullptr;
    QLineEdit* hangingWeight_ = nullptr;
    QLineEdit* processing_ = nullptr;
    QLineEdit* kill_ = nullptr;
    QLineEdit* total_ = nullptr;
    QLabel* totalCaption_ = nullptr;
    QFrame* porkFrame_ = nullptr;
    QLabel* porkNote_ = nullptr;
    QListWidget* cureProducts_ = nullptr;
    QPushButton* tot_ = nullptr;
    std::array<ServiceControls, ServiceCount> services_{};

    // The open worksheets, one instance each while open.
    std::array<QPointer<QWidget>, 6> worksheets_;
    QPointer<QWidget> priceListWindow_;
};
