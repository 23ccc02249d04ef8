#include "screens/estimate_keeper.h"

#include "core/numbers.h"
#include "core/shop_settings.h"
#include "estimate/book_figures.h"
#include "screens/estimate_layout.h"
#include "screens/estimate_print.h"
#include "screens/estimates_window.h"
#include "ui/dialogs.h"

#include <QLabel>
#include <QPushButton>

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

std::optional<EstimateValue> EstimateKeeper::sideOf(const EstimateRecord& record, bool final)
{
    std::optional<EstimateValue> value =
        EstimateValue::fromRecord(final ? record.finalState : record.quoteState);
    // A record of the first program keeps no time of its own: the book's.
    if (value && !value->savedAt.isValid())
        value->savedAt = final ? record.updated : record.created;
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
    }
    return summary;
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
    QStringList stale;
    for (const ServiceId id : estimate_.staleServices())
        stale << QStringLiteral("%1, figured for %2 lb")
                     .arg(ServiceCaption(Service(id)), NumberText(*estimate_.row(id).figuredFor));
    if (stale.isEmpty())
        return true;
    const QString doing =
        verb == QLatin1String("printed") ? QStringLiteral("Print") : QStringLiteral("Save");
    return Dialogs::askYesNo(
        &screen_,
        QStringLiteral("These rows were figured for another hanging weight than the one "
                       "shown:\n%1\n\nOpen their worksheets again to figure them anew. %2 the "
                       "estimate as it stands?")
            .arg(stale.join(QLatin1Char('\n')), doing),
        Dialogs::appTitle(), QMessageBox::Question);
}

bool EstimateKeeper::saveEstimate()
{
    // A buyer's share is saved with the others, from the Shares window.
    if (shareBack_) {
        takeShareBack();
        return true;
    }
    if (!readyTo("saved"))
        return false;
    const bool savedBefore = record_.number != 0;
    // Once there is a final bill, a save changes what is shown, and only that.
    // Before, the final bill is the choice when the carcass was weighed (the
    // hanging weight is no longer the quote's).
    bool finalByDefault = showingFinal_;
    if (savedBefore && !record_.hasFinal()) {
        const std::optional<EstimateValue> quote = sideOf(record_, false);
        const auto quoted = quote ? StrictNumber(quote->hanging.text) : std::nullopt;
        const auto now = StrictNumber(estimate_.hangingWeight());
        finalByDefault = !quoted || !now || *quoted != *now;
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
    if (!final)
        next.likelyLow = next.likelyHigh = std::nullopt; // the quote given now
    FillBookFiguresAt(next, ShopRatio);
    const BookResult saved = book_.save(next);
    if (!saved.done) {
        // The estimate stays on the screen as it is, to be saved again or
        // printed; a save whose outcome could not be told is looked for then.
        if (!asNew)
            record_.saveKey = next.saveKey;
        typed_ = answer;
        Dialogs::warn(&screen_, saved.problem);
        return false;
    }
    typed_.reset();
    record_ = next;
    showingFinal_ = final;
    estimate_.markSaved(kept);
    showRecord();
    if (estimatesWindow_)
        estimatesWindow_->refresh();
    return true;
}

bool EstimateKeeper::settleUnsaved(const QString& before)
{
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
    if (record_.hasFinal()) {
        // The final bill beside the quote it was given.
        const std::optional<EstimateValue> other = sideOf(record_, !showingFinal_);
        if (other) {
            if (showingFinal_)
                PrintFinalBillWithDialog(&screen_, summaryOf(record_, *other),
                                         summaryOf(record_, shown));
            else
                PrintFinalBillWithDialog(&screen_, summaryOf(record_, shown),
                                         summaryOf(record_, *other));
            return;
        }
    }
    EstimateSummary quote = summaryOf(record_, shown);
    AddLikelyRange(quote, shown);
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
    AddLikelyRange(sheet, *quote);
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
        estimatesWindow_ = new EstimatesWindow(book_, clock_, &screen_);
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
    } else {
        estimatesWindow_->refresh();
    }
    estimatesWindow_->show();
    estimatesWindow_->raise();
    estimatesWindow_->activateWindow();
}

bool EstimateKeeper::showShare(const EstimateValue& share, const QString& caption,
                               std::function<void(const EstimateValue&)> back)
{
    takeShareBack();
    if (!settleUnsaved(QStringLiteral("showing the buyer's share")))
        return false;
    record_ = EstimateRecord();
    showingFinal_ = false;
    shareBack_ = std::move(back);
    shareCaption_ = caption;
    replaceWith(share);
    screen_.raise();
    screen_.activateWindow();
    return true;
}

void EstimateKeeper::takeShareBack()
{
    if (!shareBack_)
        return;
    const std::function<void(const EstimateValue&)> back = std::move(shareBack_);
    shareBack_ = nullptr;
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
    if (shareBack_) {
        recordLabel_->setText(shareCaption_);
        recordLabel_->setToolTip(QStringLiteral("The services of %1. Save Estimate or Back to "
                                                "Shares takes them back to the shares.")
                                     .arg(shareCaption_));
        return;
    }
    recordLabel_->setToolTip(QString());
    if (!record_.number) {
        recordLabel_->clear();
        return;
    }
    const EstimateValue& v = estimate_.value();
    const QString prices =
        v.basis == PriceBasis::Kept && v.ratesFrom.isValid()
            ? QStringLiteral("prices of %1").arg(v.ratesFrom.toString(Qt::ISODate))
            : QStringLiteral("today's prices");
    recordLabel_->setText(
        QStringLiteral("Estimate %1 for %2: %3, at %4")
            .arg(record_.number)
            .arg(record_.customer,
                 showingFinal_ ? QStringLiteral("final bill") : QStringLiteral("quote"), prices));
}
