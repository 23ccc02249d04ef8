#pragma once

// The saved estimates as the Estimate screen keeps them: the book they are
// saved in, the saved estimate on the screen (if any), saving, opening,
// clearing for the next customer, printing a saved one, and the question
// about changes that are not saved.

#include "book/estimate_book.h"
#include "estimate/estimate.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class EstimateScreen;
class EstimatesWindow;
class PriceList;
class QLabel;

class EstimateKeeper {
public:
    // Saves in the book at `estimatesPath` (empty: Estimates.db beside the
    // price list). `replaced` shows the whole estimate after it was cleared
    // or opened.
    EstimateKeeper(EstimateScreen& screen, Estimate& estimate, PriceList& prices,
                   QString estimatesPath, std::function<void()> replaced);
    ~EstimateKeeper();

    EstimateBook& book() { return *book_; }
    // The saved estimate on the screen (number 0 while it was never saved).
    const EstimateRecord& record() const { return record_; }

    // The label naming the saved estimate on the screen.
    void setRecordLabel(QLabel* label) { recordLabel_ = label; }

    // Asks whom the estimate is for, then saves it: a new one as its quote; one
    // saved before as its final bill or its quote again, as the clerk chooses.
    // When the book refuses, the clerk is told why and the estimate stays on
    // the screen as it was. True when it was saved.
    bool saveEstimate();
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
    // Prints the estimate on the screen through the print dialog; a saved one
    // with a final bill is printed beside its quote. Rows figured for another
    // hanging weight are printed only when the clerk says so.
    void printShown();
    // Prints a saved estimate; one with a final bill beside its quote.
    void printSavedEstimate(qint64 number);
    // A saved estimate was deleted: when it is the one on the screen, the
    // screen's estimate is saved as a new one next time.
    void forgetEstimate(qint64 number);
    // The window of saved estimates.
    void showEstimates();

private:
    void showReplaced();
    // The saved estimate, read for a use ("opened", "printed"); none, and the
    // clerk told why, when it cannot be read.
    std::optional<EstimateRecord> savedEstimate(qint64 number, const char* use);
    void showRecord();
    // The summary of the estimate in `state` (the screen's own when empty),
    // with the saved estimate's number and customer.
    EstimateSummary summaryOf(const EstimateRecord& record, const QString& state) const;

    EstimateScreen& screen_;
    Estimate& estimate_;
    PriceList& prices_;
    std::unique_ptr<EstimateBook> book_;
    std::function<void()> replaced_;
    EstimateRecord record_;
    // The estimate on the screen is the record's final bill (not its quote).
    bool showingFinal_ = false;
    QPointer<EstimatesWindow> estimatesWindow_;
    QLabel* recordLabel_ = nullptr;
};
