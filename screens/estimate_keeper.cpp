#include "screens/estimate_keeper.h"

#include "core/numbers.h"
#include "core/shop_settings.h"
#include "estimate/book_figures.h"
#include "estimate/booking_money.h"
#include "pricelist/price_history.h"
#include "screens/estimate_layout.h"
#include "screens/estimate_print.h"
#include "screens/estimates_window.h"
#include "ui/dialogs.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

EstimateKeeper::EstimateKeeper(QWidget& screen, Estimate& estimate, EstimateBook& book,
                               const Clock& clock)
    : screen_(screen)
    , estimate_(estimate)
    , book_(book)
    , clock_(clock)
{}

EstimateKeeper::~EstimateKeeper() = default;

void EstimateKeeper::setControls(QLabel* recordLabel, QPushButton* quoteOrFinal)
{
    recordLabel_ = recordLabel;
    quoteOrFinal_ = quoteOrFinal;
}

std::optional<EstimateValue> EstimateKeeper::sideOf(const EstimateRecord& record, bool final) const
{
    std::optional<EstimateValue> value =
        EstimateValue::fromRecord(final ? record.finalState : record.quoteState);
    // A record of the first program keeps no time of its own: the book's.
    if (value && !value->savedAt.isValid())
        value->savedAt = final ? record.updated : record.created;
    // Nor one kept before quotes kept their range: the shop's as it is.
    if (value && !value->likelyRatio.isSet() && value->species != Species::None)
        value->likelyRatio = estimate_.rules().ratio(value->species);
    return value;
}

EstimateSummary EstimateKeeper::summaryOf(const EstimateRecord& record,
                                          const EstimateValue& value) const
{
    EstimateSummary summary = Summarize(value);
    AddShopHead(summary, clock_);
    summary.number = record.number;
    if (record.number) {
        summary.customer = record.customer;
        summary.customerPhone = record.phone;
        summary.note = record.note;
        summary.hunterTag = record.hunter;
        AddBillMoney(summary, MoneyOnBill(book_, record.number));
    }
    return summary;
}

CutSheetDesk EstimateKeeper::cutSheetDesk() const
{
    CutSheetDesk desk;
    desk.estimate = estimate_.value();
    const QuoteRules& rules = estimate_.rules();
    desk.master = rules.master(desk.estimate.species);
    desk.yields = rules.yields(desk.estimate.species);
    desk.head = summaryOf(record_, desk.estimate);
    desk.locked = record_.number > 0 && MoneyOnBill(book_, record_.number).cut;
    // A buyer's share: its animal's carcass, by the estimates saved under its tag.
    if (shareBack_ && desk.estimate.share && !desk.estimate.share->takenOff &&
        !desk.estimate.share->tag.trimmed().isEmpty()) {
        QString problem;
        QList<qint64> numbers;
        for (const EstimateRecord& saved : book_.animal(desk.estimate.share->tag, &problem))
            numbers << saved.number;
        const QList<Booking> bookings =
            numbers.isEmpty() ? QList<Booking>() : book_.billedBookings(numbers, &problem);
        for (const qint64 number : numbers)
            desk.locked = desk.locked || MoneyOnBill(bookings, number).cut;
    }
    desk.who = PriceHistory::ThisUser();
    desk.now = clock_.now();
    return desk;
}

bool EstimateKeeper::readyTo(const char* what)
{
    estimate_.refreshPending();
    const QString verb = QLatin1String(what);
    QStringList mend;
    if (estimate_.species() == Species::None && verb == QLatin1String("printed"))
        mend << QStringLiteral("Choose Beef, Pork or Deer.");
    mend << estimate_.problems();
    if (!mend.isEmpty()) {
        Dialogs::warn(&screen_, QStringLiteral("The estimate was not %1.\n\n%2")
                                    .arg(verb, mend.join(QLatin1Char('\n'))));
        return false;
    }
    return GoOnWithStaleRows(&screen_, StaleRowWords(estimate_.value()),
                             verb == QLatin1String("printed") ? QStringLiteral("Print")
                                                              : QStringLiteral("Save"),
                             QStringLiteral("the estimate"));
}

bool GoOnWithStaleRows(QWidget* parent, const QStringList& stale, const QString& doing,
                       const QString& what)
{
    if (stale.isEmpty())
        return true;
    return Dialogs::askYesNo(
        parent,
        QStringLiteral("These rows were figured for another hanging weight than the one "
                       "shown:\n%1\n\nOpen their worksheets again to figure them anew. %2 %3 "
                       "as it stands?")
            .arg(stale.join(QLatin1Char('\n')), doing, what),
        Dialogs::appTitle(), QMessageBox::Question);
}

bool EstimateKeeper::saveEstimate()
{
    // A buyer's share is saved with the others, from the Shares window.
    if (shareBack_)
        return saveShares_ ? saveShares_() : (takeShareBack(), false);
    if (!readyTo("saved"))
        return false;
    const bool savedBefore = record_.number != 0;
    // Once there is a final bill, a save changes what is shown, and only that.
    // Before, the final bill is the choice when the carcass was weighed (the
    // hanging weight is no longer the quote's).
    bool finalByDefault = showingFinal_;
    if (savedBefore && !record_.hasFinal()) {
        // A hanging weight typed for the bill is weighed, even when it is
        // the quote's own figure.
        const std::optional<EstimateValue> quote = sideOf(record_, false);
        const auto quoted = quote ? StrictNumber(quote->hanging.text) : std::nullopt;
        const auto now = StrictNumber(estimate_.hangingWeight());
        const bool sameWeight = quoted && now && *quoted == *now;
        const bool typedForTheBill =
            estimate_.value().hanging.typed && !(quote && quote->hanging.typed && sameWeight);
        finalByDefault = typedForTheBill || !sameWeight;
    }
    // What the clerk typed for a save that was refused is offered again.
    EstimateRecord asked = record_;
    if (typed_) {
        asked.customer = typed_->customer;
        asked.phone = typed_->phone;
        asked.note = typed_->note;
        asked.hunter = typed_->hunter;
    }
    const auto answer = SaveEstimateDialog::ask(&screen_, asked, finalByDefault, record_.hasFinal(),
                                                estimate_.species() == Species::Deer);
    if (!answer)
        return false;
    const bool asNew = savedBefore && answer->asNew;
    const bool final =
        savedBefore && !asNew && (record_.hasFinal() ? showingFinal_ : answer->final);
    const QDateTime now = clock_.now();
    const EstimateValue kept = estimate_.keptForSaving(now);
    // A new estimate keeps nothing of the one it was saved from but what is
    // on the screen.
    EstimateRecord next = asNew ? EstimateRecord() : record_;
    next.customer = answer->customer;
    next.phone = answer->phone;
    next.note = answer->note;
    next.hunter = answer->hunter;
    next.species = SpeciesName(kept.species);
    next.liveWeight = kept.live;
    (final ? next.finalState : next.quoteState) = kept.toRecord();
    (final ? next.finalTotal : next.quoteTotal) = kept.total.text;
    OneCutSheet(next, final);
    if (!final)
        next.likelyLow = next.likelyHigh = std::nullopt; // the quote given now
    FillBookFigures(next);
    const BookResult saved = book_.save(next);
    if (!saved.done) {
        // The estimate stays on the screen as it is, to be saved again or
        // printed; a save whose outcome could not be told is looked for then.
        if (!asNew)
            record_.saveKey = next.saveKey;
        if (saved.mayBeSaved)
            pending_ = next;
        else
            pending_.reset();
        typed_ = answer;
        Dialogs::warn(&screen_, saved.problem);
        return false;
    }
    typed_.reset();
    pending_.reset();
    record_ = next;
    showingFinal_ = final;
    estimate_.markSaved(kept);
    estimate_.setFinalBill(final);
    showRecord();
    if (estimatesWindow_)
        estimatesWindow_->refresh();
    // A final bill with the carcass weighed: its booking is killed.
    if (const QString problem = WeighBookings(book_, {record_}); !problem.isEmpty())
        Dialogs::warn(&screen_, QStringLiteral("%1 The booking it bills was not told the "
                                               "carcass's weight.\n\n%2")
                                    .arg(SavedWords(record_), problem));
    return true;
}

void EstimateKeeper::settlePendingSave()
{
    if (!pending_)
        return;
    EstimateRecord settled = *pending_;
    const BookResult told = book_.settle(settled);
    if (told.mayBeSaved)
        return; // still cannot be told: asked again at the next look
    const QString key = pending_->saveKey;
    pending_.reset();
    const bool showing = record_.saveKey == key;
    if (showing)
        record_.saveKey.clear();
    if (!told.done) {
        Dialogs::warn(&screen_, told.problem);
        return;
    }
    // The estimate on the screen is the one kept: its next save changes it.
    if (showing || record_.number == 0) {
        record_ = settled;
        showRecord();
    }
    Dialogs::tell(
        &screen_,
        QStringLiteral("The server answered: the save went through. %1").arg(SavedWords(settled)),
        QMessageBox::Information);
    if (estimatesWindow_)
        estimatesWindow_->refresh();
}

bool EstimateKeeper::settleUnsaved(const QString& before)
{
    // The worksheets open on the estimate close first, writing nothing.
    if (replacing_)
        replacing_();
    if (shareBack_) {
        takeShareBack(); // its changes go back to the Shares window
        return true;
    }
    if (!estimate_.hasUnsavedChanges())
        return true;
    const QMessageBox::StandardButton answer = Dialogs::ask(
        &screen_,
        QStringLiteral("The estimate on the screen has changes that are not saved. Save them "
                       "before %1?")
            .arg(before),
        Dialogs::appTitle(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer != QMessageBox::Yes)
        return answer == QMessageBox::No;
    if (!saveEstimate())
        return false; // a save refused or cancelled keeps the estimate
    // The screen goes on to something else: the number is told first.
    Dialogs::tell(&screen_, SavedWords(record_), QMessageBox::Information);
    return true;
}

QString EstimateKeeper::SavedWords(const EstimateRecord& record)
{
    return QStringLiteral("Saved as estimate %1 for %2.").arg(record.number).arg(record.customer);
}

void EstimateKeeper::replaceWith(const std::optional<EstimateValue>& value)
{
    typed_.reset();
    // The worksheets of the estimate going close first, writing nothing.
    if (replacing_)
        replacing_();
    if (value)
        estimate_.replace(*value);
    else
        estimate_.clear();
    if (replaced_)
        replaced_();
    showRecord();
}

bool EstimateKeeper::newEstimate()
{
    if (!settleUnsaved(QStringLiteral("starting a new one")))
        return false;
    record_ = EstimateRecord();
    showingFinal_ = false;
    replaceWith(std::nullopt);
    return true;
}

std::optional<EstimateRecord> EstimateKeeper::savedEstimate(qint64 number, const char* use)
{
    QString problem;
    std::optional<EstimateRecord> found = book_.open(number, &problem);
    // The book's problem names the estimate and says why; only an estimate
    // that is simply gone is told here.
    if (!found)
        Dialogs::warn(&screen_, problem.isEmpty()
                                    ? QStringLiteral("Estimate %1 cannot be %2. It is no longer "
                                                     "saved.")
                                          .arg(number)
                                          .arg(QLatin1String(use))
                                    : problem);
    return found;
}

std::optional<EstimateValue> EstimateKeeper::sideToShow(const EstimateRecord& record, bool final)
{
    std::optional<EstimateValue> value = sideOf(record, final);
    if (!value)
        Dialogs::warn(&screen_, QStringLiteral("Estimate %1 cannot be opened: what was saved "
                                               "cannot be read back. The estimate on the "
                                               "screen is as it was.")
                                    .arg(record.number));
    return value;
}

bool EstimateKeeper::openEstimate(qint64 number)
{
    if (record_.number == number && !estimate_.hasUnsavedChanges() &&
        showingFinal_ == record_.hasFinal()) {
        screen_.activateWindow();
        return true; // on the screen already, as saved
    }
    if (!settleUnsaved(QStringLiteral("opening estimate %1").arg(number)))
        return false;
    const std::optional<EstimateRecord> found = savedEstimate(number, "opened");
    if (!found)
        return false;
    const bool final = found->hasFinal();
    const std::optional<EstimateValue> value = sideToShow(*found, final);
    if (!value)
        return false;
    record_ = *found;
    showingFinal_ = final;
    replaceWith(value);
    estimate_.setFinalBill(final);
    screen_.raise();
    screen_.activateWindow();
    return true;
}

bool EstimateKeeper::showQuoteOrFinal()
{
    if (!record_.hasFinal())
        return false;
    const QString other = showingFinal_ ? QStringLiteral("showing the quote")
                                        : QStringLiteral("showing the final bill");
    if (!settleUnsaved(other))
        return false;
    const std::optional<EstimateValue> value = sideOf(record_, !showingFinal_);
    if (!value) {
        Dialogs::warn(&screen_, QStringLiteral("Estimate %1 cannot be shown: what was saved "
                                               "cannot be read back.")
                                    .arg(record_.number));
        return false;
    }
    showingFinal_ = !showingFinal_;
    replaceWith(value);
    estimate_.setFinalBill(showingFinal_);
    return true;
}

bool EstimateKeeper::newFromShown()
{
    if (shareBack_)
        return false; // a buyer's share belongs to its animal
    if (!record_.number)
        return true; // not saved: it is a new estimate already
    // The same animal and services, for another customer: nothing saved is
    // changed, and the next save gives a new number.
    record_ = EstimateRecord();
    showingFinal_ = false;
    typed_.reset();
    estimate_.markUnsaved();
    showRecord();
    return true;
}

bool EstimateKeeper::newFromSaved(qint64 number)
{
    if (!settleUnsaved(QStringLiteral("starting a new estimate from estimate %1").arg(number)))
        return false;
    const std::optional<EstimateRecord> found = savedEstimate(number, "opened");
    if (!found)
        return false;
    // The quote: what the customer was told, for the next customer to be
    // told the same; figured again at today's prices.
    const std::optional<EstimateValue> quote = sideToShow(*found, false);
    if (!quote)
        return false;
    record_ = EstimateRecord();
    showingFinal_ = false;
    replaceWith(quote);
    estimate_.useTodaysPrices();
    estimate_.markUnsaved();
    screen_.raise();
    screen_.activateWindow();
    return true;
}

void EstimateKeeper::printShown()
{
    if (!readyTo("printed"))
        return;
    EstimateValue shown = estimate_.value();
    if (estimate_.hasUnsavedChanges())
        shown.savedAt = QDateTime(); // not as it was saved: of today
    if (record_.hasFinal() && showingFinal_) {
        // The final bill beside the quote it was given; the quote shown is
        // printed alone.
        if (const std::optional<EstimateValue> quote = sideOf(record_, false)) {
            PrintFinalBillWithDialog(&screen_, summaryOf(record_, *quote),
                                     summaryOf(record_, shown));
            return;
        }
    }
    EstimateSummary quote = summaryOf(record_, shown);
    AddLikelyRange(quote, shown, estimate_.rules());
    PrintEstimateWithDialog(&screen_, quote);
}

void EstimateKeeper::printSavedEstimate(qint64 number)
{
    const std::optional<EstimateRecord> found = savedEstimate(number, "printed");
    if (!found)
        return;
    QWidget* parent = estimatesWindow_ ? static_cast<QWidget*>(estimatesWindow_) : &screen_;
    const std::optional<EstimateValue> quote = sideOf(*found, false);
    const std::optional<EstimateValue> billed =
        found->hasFinal() ? sideOf(*found, true) : std::nullopt;
    if (!quote || (found->hasFinal() && !billed)) {
        Dialogs::warn(parent, QStringLiteral("Estimate %1 cannot be printed: what was saved "
                                             "cannot be read back.")
                                  .arg(number));
        return;
    }
    if (billed) {
        PrintFinalBillWithDialog(parent, summaryOf(*found, *quote), summaryOf(*found, *billed));
        return;
    }
    EstimateSummary sheet = summaryOf(*found, *quote);
    AddLikelyRange(sheet, *quote, estimate_.rules());
    PrintEstimateWithDialog(parent, sheet);
}

void EstimateKeeper::forgetEstimate(qint64 number)
{
    if (record_.number != number)
        return;
    record_ = EstimateRecord();
    showingFinal_ = false;
    showRecord();
}

void EstimateKeeper::showEstimates()
{
    if (!estimatesWindow_) {
        estimatesWindow_ = new EstimatesWindow(book_, estimate_.prices(), clock_, &screen_);
        estimatesWindow_->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(estimatesWindow_, &EstimatesWindow::openRequested, &screen_,
                         [this](qint64 number) { openEstimate(number); });
        QObject::connect(estimatesWindow_, &EstimatesWindow::newFromRequested, &screen_,
                         [this](qint64 number) {
                             if (newFromSaved(number) && newFromDone_)
                                 newFromDone_();
                         });
        QObject::connect(estimatesWindow_, &EstimatesWindow::printRequested, &screen_,
                         [this](qint64 number) { printSavedEstimate(number); });
        QObject::connect(estimatesWindow_, &EstimatesWindow::deleted, &screen_,
                         [this](qint64 number) { forgetEstimate(number); });
        QObject::connect(estimatesWindow_, &EstimatesWindow::bookRequested, &screen_,
                         [this](qint64 number) {
                             if (bookFor_)
                                 bookFor_(number);
                         });
    } else {
        estimatesWindow_->refresh();
    }
    estimatesWindow_->show();
    estimatesWindow_->raise();
    estimatesWindow_->activateWindow();
}

bool EstimateKeeper::showShare(const EstimateValue& share, const QString& caption,
                               std::function<void(const EstimateValue&)> back,
                               std::function<void(const EstimateValue&)> changed)
{
    takeShareBack();
    if (!settleUnsaved(QStringLiteral("showing the buyer's share")))
        return false;
    record_ = EstimateRecord();
    showingFinal_ = false;
    shareBack_ = std::move(back);
    shareChanged_ = std::move(changed);
    shareCaption_ = caption;
    replaceWith(share);
    screen_.raise();
    screen_.activateWindow();
    return true;
}

void EstimateKeeper::shareChanged()
{
    if (!shareBack_ || !shareChanged_)
        return;
    shareChanged_(estimate_.value());
}

void EstimateKeeper::takeShareBack()
{
    if (!shareBack_)
        return;
    // The worksheets open on it close, writing nothing: the share goes back
    // as it was before them.
    if (replacing_)
        replacing_();
    const std::function<void(const EstimateValue&)> back = std::move(shareBack_);
    shareBack_ = nullptr;
    shareChanged_ = nullptr;
    const EstimateValue share = estimate_.value();
    replaceWith(std::nullopt);
    back(share);
}

void EstimateKeeper::showRecord()
{
    if (quoteOrFinal_) {
        quoteOrFinal_->setVisible(record_.hasFinal());
        quoteOrFinal_->setText(showingFinal_ ? QStringLiteral("Show the &Quote")
                                             : QStringLiteral("Show the &Final Bill"));
    }
    if (!recordLabel_)
        return;
    // The heading whole: a name too long for the line is shortened, never
    // the rest (the tip shows it all).
    const auto show = [this](const QString& before, const QString& name, const QString& after,
                             const QString& tip) {
        // The label's lines, a word's width kept spare for where they break.
        const QFontMetrics metrics(recordLabel_->font());
        const int lines = std::max(1, recordLabel_->height() / metrics.lineSpacing());
        const int room = lines * recordLabel_->width() - metrics.horizontalAdvance(before + after) -
                         lines * metrics.averageCharWidth() * 12;
        const QString fitted = metrics.elidedText(name, Qt::ElideRight,
                                                  std::max(room, metrics.averageCharWidth() * 3));
        recordLabel_->setText(before + fitted + after);
        recordLabel_->setToolTip(tip.isEmpty() && fitted != name ? before + name + after : tip);
    };
    if (shareBack_) {
        show(QString(), shareCaption_, QString(),
             QStringLiteral("The services of %1. Save Estimate saves the shares; Back to Shares "
                            "takes them back to the shares.")
                 .arg(shareCaption_));
        return;
    }
    if (!record_.number) {
        recordLabel_->clear();
        recordLabel_->setToolTip(QString());
        return;
    }
    const EstimateValue& v = estimate_.value();
    const QString prices =
        v.basis == PriceBasis::Kept && v.ratesFrom.isValid()
            ? QStringLiteral("prices of %1").arg(v.ratesFrom.toString(Qt::ISODate))
            : QStringLiteral("today's prices");
    show(QStringLiteral("Estimate %1 for ").arg(record_.number), record_.customer,
         QStringLiteral(": %1, at %2")
             .arg(showingFinal_ ? QStringLiteral("final bill") : QStringLiteral("quote"), prices),
         QString());
}
