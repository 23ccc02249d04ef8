#include "screens/estimate_keeper.h"

#include "core/numbers.h"
#include "pricelist/price_list.h"
#include "screens/estimate_layout.h"
#include "screens/estimate_print.h"
#include "screens/estimate_screen.h"
#include "screens/estimates_window.h"
#include "ui/dialogs.h"

#include <QLabel>

namespace {

// A saved estimate read back only to be printed: it asks and tells nothing,
// since reading it back looks nothing up and figures nothing.
class QuietView : public EstimateView {
public:
    void tell(const QString&) override {}
    void warn(const QString&) override {}
    bool askYesNo(const QString&, const QString&) override { return false; }
    void showWorksheet(ServiceId) override {}
    void showCureProducts() override {}
};

QString speciesName(Species species)
{
    switch (species) {
    case Species::Beef:
        return QStringLiteral("Beef");
    case Species::Pork:
        return QStringLiteral("Pork");
    case Species::Deer:
        return QStringLiteral("Deer");
    case Species::None:
        break;
    }
    return QString();
}

} // namespace

EstimateKeeper::EstimateKeeper(EstimateScreen& screen, Estimate& estimate, PriceList& prices,
                               QString estimatesPath, std::function<void()> replaced)
    : screen_(screen)
    , estimate_(estimate)
    , prices_(prices)
    , book_(std::make_unique<EstimateBook>(estimatesPath.isEmpty()
                                               ? EstimateBook::pathBeside(prices.path())
                                               : std::move(estimatesPath)))
    , replaced_(std::move(replaced))
{}

EstimateKeeper::~EstimateKeeper() = default;

EstimateSummary EstimateKeeper::summaryOf(const EstimateRecord& record, const QString& state) const
{
    EstimateSummary summary;
    if (state.isEmpty()) {
        summary = estimate_.summary();
    } else {
        QuietView quiet;
        Estimate saved(prices_, quiet);
        saved.restoreState(state);
        summary = saved.summary();
    }
    summary.number = record.number;
    if (record.number) {
        summary.customer = record.customer;
        summary.customerPhone = record.phone;
    }
    return summary;
}

bool EstimateKeeper::saveEstimate()
{
    const bool savedBefore = record_.number != 0;
    const auto answer = SaveEstimateDialog::ask(
        &screen_, record_, savedBefore && (estimate_.hasUnsavedChanges() || record_.hasFinal()));
    if (!answer)
        return false;
    EstimateRecord next = record_;
    next.customer = answer->customer;
    next.phone = answer->phone;
    next.note = answer->note;
    next.species = speciesName(estimate_.species());
    next.liveWeight = estimate_.liveWeight();
    const bool final = savedBefore && answer->final;
    (final ? next.finalState : next.quoteState) = estimate_.saveState();
    (final ? next.finalTotal : next.quoteTotal) = estimate_.total();
    const BookResult saved = book_->save(next);
    if (!saved.done) {
        // The estimate stays on the screen as it is, to be saved again or printed.
        Dialogs::warn(&screen_, saved.problem);
        return false;
    }
    record_ = next;
    showingFinal_ = final;
    estimate_.markSaved();
    showRecord();
    if (estimatesWindow_)
        estimatesWindow_->refresh();
    return true;
}

bool EstimateKeeper::settleUnsaved(const QString& before)
{
    if (!estimate_.hasUnsavedChanges())
        return true;
    const QMessageBox::StandardButton answer = Dialogs::ask(
        &screen_,
        QStringLiteral("The estimate on the screen has changes that are not saved. Save them "
                       "before %1?")
            .arg(before),
        Dialogs::appTitle(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        return saveEstimate();
    return answer == QMessageBox::No;
}

bool EstimateKeeper::newEstimate()
{
    if (!settleUnsaved(QStringLiteral("starting a new one")))
        return false;
    estimate_.clear();
    record_ = EstimateRecord();
    showingFinal_ = false;
    showReplaced();
    return true;
}

std::optional<EstimateRecord> EstimateKeeper::savedEstimate(qint64 number, const char* use)
{
    QString problem;
    std::optional<EstimateRecord> found = book_->open(number, &problem);
    if (!found)
        Dialogs::warn(&screen_,
                      QStringLiteral("Estimate %1 cannot be %2. %3")
                          .arg(number)
                          .arg(QLatin1String(use), problem.isEmpty()
                                                       ? QStringLiteral("It is no longer saved.")
                                                       : problem));
    return found;
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
    if (!estimate_.restoreState(final ? found->finalState : found->quoteState)) {
        Dialogs::warn(&screen_,
                      QStringLiteral("Estimate %1 cannot be opened: what was saved cannot "
                                     "be read back. The estimate on the screen is as it "
                                     "was.")
                          .arg(number));
        return false;
    }
    record_ = *found;
    showingFinal_ = final;
    showReplaced();
    screen_.raise();
    screen_.activateWindow();
    return true;
}

void EstimateKeeper::printShown()
{
    QStringList stale;
    for (const ServiceId id : estimate_.staleServices())
        stale << QStringLiteral("%1, figured for %2 lb")
                     .arg(ServiceCaption(Service(id)), NumberText(*estimate_.row(id).figuredFor));
    if (!stale.isEmpty() &&
        !Dialogs::askYesNo(
            &screen_,
            QStringLiteral("These rows were figured for another hanging weight than the one "
                           "shown:\n%1\n\nOpen their worksheets again to figure them anew. "
                           "Print the estimate as it stands?")
                .arg(stale.join(QLatin1Char('\n'))),
            Dialogs::appTitle(), QMessageBox::Question))
        return;
    if (record_.hasFinal()) {
        // The final bill beside the quote it was given.
        const EstimateSummary shown = summaryOf(record_, QString());
        if (showingFinal_)
            PrintFinalBillWithDialog(&screen_, summaryOf(record_, record_.quoteState), shown);
        else
            PrintFinalBillWithDialog(&screen_, shown, summaryOf(record_, record_.finalState));
        return;
    }
    PrintEstimateWithDialog(&screen_, summaryOf(record_, QString()));
}

void EstimateKeeper::printSavedEstimate(qint64 number)
{
    const std::optional<EstimateRecord> found = savedEstimate(number, "printed");
    if (!found)
        return;
    QWidget* parent = estimatesWindow_ ? static_cast<QWidget*>(estimatesWindow_)
                                       : static_cast<QWidget*>(&screen_);
    if (found->hasFinal())
        PrintFinalBillWithDialog(parent, summaryOf(*found, found->quoteState),
                                 summaryOf(*found, found->finalState));
    else
        PrintEstimateWithDialog(parent, summaryOf(*found, found->quoteState));
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
        estimatesWindow_ = new EstimatesWindow(*book_, screen_);
        estimatesWindow_->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        estimatesWindow_->refresh();
    }
    estimatesWindow_->show();
    estimatesWindow_->raise();
    estimatesWindow_->activateWindow();
}

void EstimateKeeper::showReplaced()
{
    replaced_();
    showRecord();
}

void EstimateKeeper::showRecord()
{
    if (!record_.number) {
        recordLabel_->clear();
        return;
    }
    recordLabel_->setText(QStringLiteral("Estimate %1 for %2: %3")
                              .arg(record_.number)
                              .arg(record_.customer, showingFinal_ ? QStringLiteral("final bill")
                                                                   : QStringLiteral("quote")));
}
