#pragma once

// frmEst, the Estimate screen: the view of one estimate. It lays out the
// controls, shows the estimate's figures in them (marking each one that is
// not current), and turns the clerk's clicks and keys into calls on the
// estimate. It also hosts the worksheets and opens the price list window and
// the print dialog. The program makes the price list, the book, the clock and
// the estimate, and hands them to it.

#include "estimate/estimate.h"
#include "estimate/likely_range.h"
#include "screens/estimate_keeper.h"
#include "screens/estimate_layout.h"
#include "screens/shares_window.h"
#include "worksheets/worksheet_host.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

class PriceList;

class EstimateScreen : public QWidget, public EstimateView, public WorksheetHost, public ShareHost {
    Q_OBJECT

public:
    // The screen of `estimate`, whose prices come from `prices`, saving in `book`.
    EstimateScreen(Estimate& estimate, PriceList& prices, EstimateBook& book, const Clock& clock,
                   QWidget* parent = nullptr);
    ~EstimateScreen() override;

    // The screen's start-up: collapsed height, the database flag ticked, the
    // price list opened (or the start-up notice and the built-in prices).
    void startUp();

    const Estimate& estimate() const { return estimate_; }

    // EstimateView
    void tell(const QString& text) override;
    void warn(const QString& text) override;
    bool askYesNo(const QString& text, const QString& title) override;
    void showWorksheet(ServiceId service) override;
    void showCureProducts() override;

    // WorksheetHost
    void sheetWritten(ServiceId service) override;
    void refigureTotalThroughTot() override;

    // Qt's print dialog, then the printed estimate (or a PDF file). Refused
    // while a figure is not current, a field is not right or no species is
    // chosen; rows figured for another hanging weight are printed only when
    // the clerk says so.
    void printEstimate();
    // The price list window, to see and change the prices.
    void showPriceList();

    // ------------------------------------------------------------ saved estimates

    EstimateBook& book() { return keeper_->book(); }
    const EstimateRecord& record() const { return keeper_->record(); }
    bool saveEstimate() { return keeper_->saveEstimate(); }
    // Clears the screen for the next customer, asking first about changes
    // that are not saved.
    void newEstimate();
    bool openEstimate(qint64 number) { return keeper_->openEstimate(number); }
    void printSavedEstimate(qint64 number) { keeper_->printSavedEstimate(number); }
    void forgetEstimate(qint64 number) { keeper_->forgetEstimate(number); }
    void showEstimates() { keeper_->showEstimates(); }
    // The quote of a saved estimate with a final bill, or its final bill again.
    bool showQuoteOrFinal() { return keeper_->showQuoteOrFinal(); }

    // ------------------------------------------------------------ shares of an animal

    // The Shares window (a new animal of the species and weight on the
    // screen), or, while a buyer's share is on the screen, back to it.
    void showShares();
    SharesWindow* sharesWindow() const { return sharesWindow_; }

    // ------------------------------------------------------------ kill days

    // The kill calendar, booking for the customer of the estimate shown.
    void showKillCalendar();
    // The kill calendar, ready to book a kill date for a saved estimate.
    void bookKillDateFor(qint64 number);
    // Today's board of the bookings.
    void showDayBoard();
    // The cut sheet of the estimate shown.
    void showCutSheet();
    // The cut sheet of a saved estimate (a booking's): the estimate opened,
    // a buyer's share with its animal's shares, and its sheet shown.
    void showCutSheetOf(qint64 number);

    // ShareHost
    bool showShare(const EstimateValue& share, const QString& caption,
                   std::function<void(const EstimateValue&)> back,
                   std::function<void(const EstimateValue&)> changed) override;
    void takeShareBack() override;
    void shareRefigured(const EstimateValue& figured) override;
    bool priceListFlag() const override { return estimate_.priceListFlag(); }
    const QuoteRules& quoteRules() const override { return estimate_.rules(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Asks about changes that are not saved before the program closes.
    void closeEvent(QCloseEvent* event) override;

private:
    // Connects the controls' signals to the estimate and to the screen's tools.
    void connectControls();
    void setHeightTwips(int twips);

    // Runs a clerk's action on the estimate, then shows the estimate.
    template <typename Action> void act(Action action);
    // Shows the estimate in the controls, writing only what changed.
    void render();
    void renderServices();
    // The flag's tool tip: where prices come from, or the file looked for.
    void showFlagTip();
    // A quote's likely range under the total, and which way its bill usually
    // goes when the quote's factor lies outside it.
    void showLikelyRange();
    // The meat the customer is likely to take home, beside it.
    void showTakeHome();
    // A buyer's share: its part of the animal, and its weights fixed by it.
    void showShareLine();

    // Shows the whole estimate after it was replaced (cleared or opened): the
    // band collapsed or full, the species buttons, the cure product list.
    void showReplaced();
    // Closes the open worksheets without writing: their estimate is going
    // (or going back to its animal, or being saved on the way to another). A
    // row whose worksheet never figured is put back as it was before the
    // click that opened it.
    void closeWorksheets();
    // Tells whether the price list's server is out of reach, and figures
    // again what waited for it once it is back.
    void watchConnection();

    Estimate& estimate_;
    PriceList& priceList_;
    // The shop's settings that the range shown was figured with.
    ShopWideSettings shopSettingsShown_;
    const Clock& clock_;
    std::unique_ptr<EstimateKeeper> keeper_;
    bool rendering_ = false;
    bool totRan_ = false;
    bool shownExpanded_ = false;
    int flagTipSays_ = -1; // what the flag's tool tip was last made for

    QWidget* page_ = nullptr;
    EstimateControls ui_;

    // The open worksheets, one instance each while open, and for each the
    // row of its service as it was before the click that opened it, until
    // the worksheet writes it.
    std::array<QPointer<QWidget>, 6> worksheets_;
    struct RowBefore {
        ServiceId service;
        ServiceRow row;
    };
    std::array<std::optional<RowBefore>, 6> rowsBefore_;
    // The row of the box being clicked, as it was before the click.
    std::optional<RowBefore> clicked_;
    QPointer<QWidget> priceListWindow_;
    QPointer<SharesWindow> sharesWindow_;
    QPointer<QWidget> killCalendar_;
    QPointer<QWidget> dayBoard_;
};
