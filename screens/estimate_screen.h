#pragma once

// frmEst, the Estimate screen: the view of one estimate. It lays out the
// controls, shows the estimate object's figures in them, and turns the
// clerk's clicks and keys into calls on the object. It also hosts the
// worksheets and opens the price list window and the print dialog.

#include "book/estimate_book.h"
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
class EstimatesWindow;

class EstimateScreen : public QWidget, public EstimateView, public WorksheetHost {
    Q_OBJECT

public:
    explicit EstimateScreen(QString priceListPath, QWidget* parent = nullptr);
    // With the saved estimates kept at `estimatesPath` (empty: Estimates.db
    // beside the price list).
    EstimateScreen(QString priceListPath, QString estimatesPath, QWidget* parent = nullptr);
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

    // ------------------------------------------------------------ saved estimates

    // The saved estimates, and the one on the screen (number 0 while the
    // estimate on the screen was never saved).
    EstimateBook& book() { return *book_; }
    const EstimateRecord& record() const { return record_; }

    // Asks whom the estimate is for, then saves it: a new one as its quote; one
    // saved before as its final bill or its quote again, as the clerk chooses.
    // When the book refuses, the clerk is told why and the estimate stays on
    // the screen as it was. True when it was saved.
    bool saveEstimate();
    // Clears the screen for the next customer, asking first about changes
    // that are not saved.
    void newEstimate();
    // Shows a saved estimate as it was saved (its final bill when it has
    // one), asking first about changes that are not saved. Nothing is looked
    // up or figured again. False when it was not shown.
    bool openEstimate(qint64 number);
    // Prints a saved estimate; one with a final bill beside its quote.
    void printSavedEstimate(qint64 number);
    // A saved estimate was deleted: when it is the one on the screen, the
    // screen's estimate is saved as a new one next time.
    void forgetEstimate(qint64 number);
    // The window of saved estimates.
    void showEstimates();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Asks about changes that are not saved before the program closes.
    void closeEvent(QCloseEvent* event) override;

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

    // Yes saves, No discards, Cancel stays: true when the screen may go on
    // to another estimate (nothing unsaved, saved, or discarded).
    bool settleUnsaved(const QString& before);
    // Shows the whole estimate after it was replaced (cleared or opened): the
    // band collapsed or full, the species buttons, the cure product list.
    void showReplaced();
    // The label naming the saved estimate on the screen.
    void showRecord();
    // The summary of the estimate in `state` (the screen's own when empty),
    // with the saved estimate's number and customer.
    EstimateSummary summaryOf(const EstimateRecord& record, const QString& state) const;

    std::unique_ptr<PriceList> priceList_;
    std::unique_ptr<Estimate> estimate_;
    std::unique_ptr<EstimateBook> book_;
    EstimateRecord record_;
    // The estimate on the screen is the record's final bill (not its quote).
    bool showingFinal_ = false;
    bool rendering_ = false;
    bool totRan_ = false;
    bool shownExpanded_ = false;
    int flagTipSays_ = -1; // what the flag's tool tip was last made for

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
    QPointer<EstimatesWindow> estimatesWindow_;
    QLabel* recordLabel_ = nullptr;
};
