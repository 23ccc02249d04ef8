#pragma once

// The saved estimates as the Estimate screen keeps them: the book they are
// saved in, the saved estimate on the screen (if any, its quote or its final
// bill), saving, opening, clearing for the next customer, printing, and the
// question about changes that are not saved.

#include "book/estimate_book.h"
#include "estimate/estimate.h"
#include "screens/cut_sheet_window.h"
#include "screens/estimates_window.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

class EstimatesWindow;
class QLabel;
class QPushButton;
class QWidget;

// Asks whether to go on `doing` ("Save", "Print") `what` ("the estimate")
// with rows figured for another hanging weight than the one shown (`stale`,
// a line each, as StaleRowWords gives them); true at once when there are none.
bool GoOnWithStaleRows(QWidget* parent, const QStringList& stale, const QString& doing,
                       const QString& what);

class EstimateKeeper {
public:
    // Keeps the estimate on `screen` in `book`; `clock` dates the saves and
    // the printouts.
    EstimateKeeper(QWidget& screen, Estimate& estimate, EstimateBook& book, const Clock& clock);
    ~EstimateKeeper();

    EstimateBook& book() { return book_; }
    // The saved estimate on the screen (number 0 while it was never saved).
    const EstimateRecord& record() const { return record_; }

    // Called just before the estimate is replaced (cleared or another one
    // shown), and just after.
    // (Also before the estimate is saved on the way to another, and before a
    // share goes back: the worksheets open on it close, writing nothing.)
    void onReplacing(std::function<void()> replacing) { replacing_ = std::move(replacing); }
    // Saves the shares of the animal whose buyer's share is on the screen
    // (Save Estimate there); true when they were saved.
    void onSaveShares(std::function<bool()> save) { saveShares_ = std::move(save); }
    void onReplaced(std::function<void()> replaced) { replaced_ = std::move(replaced); }
    // The label naming the saved estimate on the screen, and the button that
    // shows its quote or its final bill.
    void setControls(QLabel* recordLabel, QPushButton* quoteOrFinal);

    // Asks whom the estimate is for, then saves it: a new one as its quote;
    // one saved before as its final bill or its quote again, as the clerk
    // chooses; once a final bill exists, what is shown (the final bill or the
    // quote) and only that. Refused, naming why, while a figure is not
    // current or a field not right; rows figured for another hanging weight
    // are saved only when the clerk says so. When the book refuses, the clerk
    // is told why and the estimate stays on the screen as it was. True when
    // it was saved.
    bool saveEstimate();
    // A save whose outcome could not be told (the server's answer was lost)
    // is told again once the book can be asked: saved after all, or not.
    void settlePendingSave();
    // Yes saves, No discards, Cancel stays: true when the screen may go on
    // to another estimate (nothing unsaved, saved, or discarded).
    bool settleUnsaved(const QString& before);
    // Clears the estimate for the next customer, asking first about changes
    // that are not saved. True when it was cleared.
    bool newEstimate();
    // Shows a saved estimate as it was saved (its final bill when it has
    // one), asking first about changes that are not saved. Nothing is looked
    // up or figured again. False when it was not shown.
    bool openEstimate(qint64 number);
    // Shows the quote of the saved estimate on the screen, or its final bill
    // again, asking first about changes that are not saved. False when the
    // estimate has no final bill, or the clerk stayed.
    bool showQuoteOrFinal();
    // The estimate on the screen, same animal and services, made a new one
    // for another customer: the saved estimate it came from stays as it was,
    // and the next save gives it a new number. False for a buyer's share.
    bool newFromShown();
    // A new estimate with a saved one's animal and services (its quote, at
    // today's prices), for another customer, asking first about changes that
    // are not saved. False when it was not shown.
    bool newFromSaved(qint64 number);
    // Called after a new estimate was made from a saved one (to show it).
    void onNewFrom(std::function<void()> done) { newFromDone_ = std::move(done); }
    // Called when the clerk asks, in Saved Estimates, for a kill date booked
    // for a saved estimate.
    void onBookFor(std::function<void(qint64)> book) { bookFor_ = std::move(book); }
    // "Saved as estimate 12 for Ann Smith."
    static QString SavedWords(const EstimateRecord& record);

    // What the cut sheet of the estimate on the screen is filled with: the
    // species' master and yields, the printed page's head, and whether its
    // carcass was cut (its booking says so).
    CutSheetDesk cutSheetDesk() const;

    // Prints the estimate on the screen through the print dialog; a saved one
    // with a final bill is printed beside its quote.
    void printShown();
    // Prints a saved estimate; one with a final bill beside its quote.
    void printSavedEstimate(qint64 number);
    // A saved estimate was deleted: when it is the one on the screen, the
    // screen's estimate is saved as a new one next time.
    void forgetEstimate(qint64 number);
    // The window of saved estimates.
    void showEstimates();
    // Names the saved estimate on the screen, and the prices it is at.
    void showRecord();

    // A buyer's share of an animal shown for its services (see SharesWindow),
    // after the question about changes that are not saved: saving it, or
    // going on to another estimate, gives it back through `back`. False when
    // the clerk stayed with the estimate on the screen.
    bool showShare(const EstimateValue& share, const QString& caption,
                   std::function<void(const EstimateValue&)> back,
                   std::function<void(const EstimateValue&)> changed);
    // After an action on the share shown: the animal is figured with it
    // (which gives the share its part of the animal back, see
    // ShareHost::shareRefigured).
    void shareChanged();
    // Gives the share on the screen back, as the clerk left it, and clears
    // the screen; nothing when no share is shown.
    void takeShareBack();
    bool showingShare() const { return bool(shareBack_); }
    // The estimate on the screen is a saved estimate's final bill.
    bool showingFinal() const { return showingFinal_; }

private:
    // The estimate on the screen replaced by `value` (none: cleared).
    void replaceWith(const std::optional<EstimateValue>& value);
    // The saved estimate, read for a use ("opened", "printed"); none, and the
    // clerk told why, when it cannot be read.
    std::optional<EstimateRecord> savedEstimate(qint64 number, const char* use);
    // One side of a saved estimate read back; none when it cannot be.
    std::optional<EstimateValue> sideOf(const EstimateRecord& record, bool final) const;
    // The same, to be shown on the screen; none, and the clerk told, when it
    // cannot be read back.
    std::optional<EstimateValue> sideToShow(const EstimateRecord& record, bool final);
    // What stands in the way of saving or printing the estimate on the
    // screen (`what`: "saved", "printed"), told; true when nothing does.
    bool readyTo(const char* what);
    // The summary of an estimate, with the shop, the dates and the saved
    // estimate's number and customer.
    EstimateSummary summaryOf(const EstimateRecord& record, const EstimateValue& value) const;

    QWidget& screen_;
    Estimate& estimate_;
    EstimateBook& book_;
    const Clock& clock_;
    std::function<void()> replacing_;
    std::function<void()> replaced_;
    EstimateRecord record_;
    // The save that may have been kept, as it was sent.
    std::optional<EstimateRecord> pending_;
    // The estimate on the screen is the record's final bill (not its quote).
    bool showingFinal_ = false;
    QPointer<EstimatesWindow> estimatesWindow_;
    QLabel* recordLabel_ = nullptr;
    std::function<void(const EstimateValue&)> shareBack_;
    std::function<void(const EstimateValue&)> shareChanged_;
    std::function<bool()> saveShares_;
    QString shareCaption_;
    QPushButton* quoteOrFinal_ = nullptr;
    // What the clerk typed in the save dialog for a save the book refused.
    std::optional<SaveEstimateDialog::Answer> typed_;
    std::function<void()> newFromDone_;
    std::function<void(qint64)> bookFor_;
};
