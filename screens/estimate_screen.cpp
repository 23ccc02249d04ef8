#include "screens/estimate_screen.h"

#include "core/money.h"
#include "core/numbers.h"
#include "estimate/estimate_summary.h"
#include "pricelist/price_list.h"
#include "screens/day_board.h"
#include "screens/estimate_print.h"
#include "screens/kill_calendar_window.h"
#include "screens/price_list_window.h"
#include "ui/dialogs.h"
#include "ui/field_cues.h"
#include "ui/list_selection.h"
#include "ui/twips.h"
#include "ui/window_keys.h"
#include "worksheets/curing_worksheet.h"
#include "worksheets/cut_worksheet.h"
#include "worksheets/extra_boning_worksheet.h"
#include "worksheets/sausage_worksheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTimer>

namespace R = EstimateRules;

namespace {

// Writes a field only when its text changes: writing the same text again lays
// the text out anew and moves the cursor, at every keystroke of a weight.
void setChangedText(QLineEdit* field, const QString& text)
{
    if (field->text() != text)
        field->setText(text);
}

// How often the screen looks whether a server out of reach answers again
// (the looking itself is done away from the screen).
constexpr int ConnectionWatchMs = 500;

} // namespace

EstimateScreen::EstimateScreen(Estimate& estimate, PriceList& prices, EstimateBook& book,
                               const Clock& clock, QWidget* parent)
    : QWidget(parent)
    , estimate_(estimate)
    , priceList_(prices)
    , clock_(clock)
    , keeper_(std::make_unique<EstimateKeeper>(*this, estimate, book, clock))
{
    setObjectName(QStringLiteral("frmEst"));
    setWindowTitle(QStringLiteral("Estimate"));
    estimate_.setView(this);
    keeper_->onReplacing([this] {
        closeWorksheets();
        render(); // a row put back shows so before anything is asked
    });
    keeper_->onReplaced([this] { showReplaced(); });
    // Save Estimate on a buyer's share saves the animal's shares together.
    keeper_->onSaveShares([this] {
        takeShareBack();
        return sharesWindow_ && sharesWindow_->saveAll();
    });
    ui_ = MakeEstimateControls(this);
    ui_.weightCaption->setText(estimate_.weightCaption());
    connectControls();
    resize(TwipsX(this, EstimateDesignWidth), TwipsY(this, EstimateCollapsedHeight));
    page_ = ScrollingPage(this);
    TabInReadingOrder(page_, TwipsY(this, 250));
    EnterPressesButtons(this);
    if (priceList_.isServer()) {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] { watchConnection(); });
        timer->start(ConnectionWatchMs);
    }
}

void EstimateScreen::watchConnection()
{
    // Never under a message box or dialog: the clerk answers it first.
    if (rendering_ || QApplication::activeModalWidget())
        return;
    const bool connected = priceList_.connectWhenAnswering();
    if (connected != ui_.connection->isHidden()) {
        ui_.connection->setText(QStringLiteral("Not connected to %1.").arg(priceList_.describe()));
        ui_.connection->setToolTip(QStringLiteral("Prices cannot be looked up until the server "
                                                  "answers; this counter connects again then."));
        ui_.connection->setVisible(!connected);
        if (connected)
            act([&] { estimate_.refreshPending(); });
    }
    if (!connected)
        return;
    keeper_->settlePendingSave();
    // The shop's ranges changed at another counter (the server's notice):
    // the range shown follows them without a key pressed.
    if (const ShopWideSettings now = priceList_.shopSettings(); now != shopSettingsShown_) {
        shopSettingsShown_ = now;
        act([&] { estimate_.refreshPending(); });
    }
}

EstimateScreen::~EstimateScreen()
{
    // Going, the screen tells nothing more: a row put back as a worksheet
    // closes would otherwise ask the clerk from a window being destroyed.
    estimate_.setView(nullptr);
    closeWorksheets();
}

void EstimateScreen::closeWorksheets()
{
    for (int i = 0; i < int(worksheets_.size()); ++i) {
        QPointer<QWidget>& sheet = worksheets_[i];
        // A worksheet still open that never figured: its row as it was.
        if (sheet && sheet->isVisible() && rowsBefore_[i])
            estimate_.restoreRow(rowsBefore_[i]->service, rowsBefore_[i]->row);
        rowsBefore_[i].reset();
        delete sheet.data();
    }
}

template <typename Action> void EstimateScreen::act(Action action)
{
    if (rendering_)
        return; // a control's signal while the estimate is being shown
    action();
    // A buyer's share: the animal figured with it, which this screen shows.
    keeper_->shareChanged();
    render();
}

void EstimateScreen::connectControls()
{
    connect(ui_.flag, &QCheckBox::clicked, this, [this](bool ticked) {
        flagTipSays_ = -1; // the file may have come or gone since
        act([&] { estimate_.setPriceListFlag(ticked); });
    });
    const Species species[] = {Species::Beef, Species::Pork, Species::Deer};
    // Each species has two keys, its captions staying as they are: Alt and a
    // letter of its name, and Ctrl and its place in the row.
    const Qt::Key letters[] = {Qt::Key_B, Qt::Key_R, Qt::Key_D};
    for (int i = 0; i < 3; ++i) {
        QRadioButton* option = ui_.species[i];
        connect(option, &QRadioButton::clicked, this, [this, chosen = species[i]] {
            act([&] { estimate_.chooseSpecies(chosen); });
            if (chosen != Species::Deer && !ui_.liveWeight->isReadOnly()) {
                ui_.liveWeight->setFocus();
                ui_.liveWeight->selectAll(); // typing replaces it, focused before or not
            }
        });
        const QKeySequence keys[] = {QKeySequence(Qt::ALT | letters[i]),
                                     QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i))};
        for (const QKeySequence& key : keys)
            connect(new QShortcut(key, this), &QShortcut::activated, option,
                    [option] { option->click(); });
        option->setToolTip(QStringLiteral("%1 (%2 or %3)")
                               .arg(option->text(), keys[0].toString(QKeySequence::NativeText),
                                    keys[1].toString(QKeySequence::NativeText)));
    }
    connect(ui_.liveWeight, &QLineEdit::textChanged, this,
            [this](const QString& text) { act([&] { estimate_.setLiveWeight(text); }); });
    connect(ui_.hangingWeight, &QLineEdit::textEdited, this,
            [this](const QString& text) { act([&] { estimate_.setHangingWeight(text); }); });
    connect(ui_.processing, &QLineEdit::textEdited, this,
            [this](const QString& text) { act([&] { estimate_.setProcessingCharge(text); }); });
    connect(ui_.kill, &QLineEdit::textEdited, this,
            [this](const QString& text) { act([&] { estimate_.setKillCharge(text); }); });
    connect(ui_.expand, &QPushButton::clicked, this, [this] { act([&] { estimate_.expand(); }); });

    // The buttons, and their keys.
    const auto onPress = [this](QPushButton* button, QKeySequence::StandardKey key, auto slot) {
        connect(button, &QPushButton::clicked, this, slot);
        if (key != QKeySequence::UnknownKey)
            connect(new QShortcut(key, this), &QShortcut::activated, this, slot);
    };
    onPress(ui_.priceList, QKeySequence::UnknownKey, [this] { showPriceList(); });
    onPress(ui_.print, QKeySequence::Print, [this] { printEstimate(); });
    onPress(ui_.save, QKeySequence::Save, [this] {
        keeper_->saveEstimate();
        render();
    });
    onPress(ui_.newEstimate, QKeySequence::New, [this] { newEstimate(); });
    onPress(ui_.estimates, QKeySequence::Find, [this] { keeper_->showEstimates(); });
    // A new estimate from the one shown: the same animal and services for
    // another customer.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N), this),
            &QShortcut::activated, this, [this] {
                keeper_->newFromShown();
                render();
            });
    keeper_->onNewFrom([this] { render(); });
    keeper_->onBookFor([this](qint64 number) { bookKillDateFor(number); });
    onPress(ui_.shares, QKeySequence::UnknownKey, [this] { showShares(); });
    onPress(ui_.killCalendar, QKeySequence::UnknownKey, [this] { showKillCalendar(); });
    onPress(ui_.dayBoard, QKeySequence::UnknownKey, [this] { showDayBoard(); });
    onPress(ui_.cutSheet, QKeySequence::UnknownKey, [this] { showCutSheet(); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), this), &QShortcut::activated, this,
            [this] { showKillCalendar(); });
    onPress(ui_.todaysPrices, QKeySequence::UnknownKey, [this] {
        act([&] { estimate_.useTodaysPrices(); });
        // The button goes: the focus to the total figured, not to the next button.
        ui_.total->setFocus(Qt::OtherFocusReason);
    });
    onPress(ui_.quoteOrFinal, QKeySequence::UnknownKey, [this] { keeper_->showQuoteOrFinal(); });
    keeper_->setControls(ui_.recordLabel, ui_.quoteOrFinal);
    // The curing worksheet gives the hidden tot button the focus to have the
    // total figured.
    ui_.tot->installEventFilter(this);

    for (const ServiceInfo& s : Services()) {
        const EstimateControls::Service& c = ui_.services[static_cast<int>(s.id)];
        connect(c.box, &QCheckBox::toggled, this, [this, id = s.id](bool ticked) {
            if (rendering_)
                return;
            clicked_ = RowBefore{id, estimate_.row(id)};
            act([&] { estimate_.clickService(id, ticked); });
            clicked_.reset();
        });
        // What the clerk types in a row is the clerk's word: a worksheet
        // open for it no longer puts the row back when it closes unfigured.
        const auto typedInRow = [this](ServiceId id) {
            std::optional<RowBefore>& before = rowsBefore_[static_cast<int>(Service(id).worksheet)];
            if (before && before->service == id)
                before.reset();
        };
        connect(c.weight, &QLineEdit::textEdited, this,
                [this, id = s.id, typedInRow](const QString& text) {
                    typedInRow(id);
                    act([&] { estimate_.setServiceWeight(id, text); });
                });
        // A charge typed by hand counts at once.
        connect(c.charge, &QLineEdit::textEdited, this,
                [this, id = s.id, typedInRow](const QString& text) {
                    typedInRow(id);
                    act([&] { estimate_.setServiceCharge(id, text); });
                });
    }
    connect(ui_.cureProducts, &QListWidget::itemSelectionChanged, this, [this] {
        act([&] {
            estimate_.chooseCureProducts(SelectedRows<R::CureProductCount>(ui_.cureProducts));
        });
    });
}

void EstimateScreen::setHeightTwips(int twips)
{
    // The page holds the band shown; the screen cannot be made smaller than it.
    page_->setFixedSize(TwipsX(this, EstimateDesignWidth), TwipsY(this, twips));
    FitToPage(this);
}

void EstimateScreen::startUp()
{
    setHeightTwips(EstimateCollapsedHeight);
    shownExpanded_ = false;
    estimate_.startUp();
    shopSettingsShown_ = priceList_.shopSettings();
    // The shop's details for the printed head, once: the Price List window
    // reads them again when it saves them.
    ReadShopHead(*priceList_.connection());
    render();
}

// ---------------------------------------------------------------- showing the estimate

void EstimateScreen::render()
{
    const QScopedValueRollback<bool> rendering(rendering_, true);
    const Estimate& e = estimate_;
    ui_.flag->setChecked(e.priceListFlag());
    showFlagTip();
    const int species = static_cast<int>(e.species());
    if (species > 0)
        ui_.species[species - 1]->setChecked(true);
    // Tab stops at the species chosen (the arrows move along them); with
    // none chosen yet, at each.
    for (int i = 0; i < int(ui_.species.size()); ++i)
        ui_.species[i]->setFocusPolicy(species <= 0 || i == species - 1 ? Qt::StrongFocus
                                                                        : Qt::ClickFocus);
    ui_.weightCaption->setText(e.weightCaption());
    ui_.speciesHint->setText(e.speciesHint());
    const EstimateValue& v = e.value();
    setChangedText(ui_.liveWeight, e.liveWeight());
    const std::pair<QLineEdit*, const Figure*> figures[] = {
        {ui_.hangingWeight, &v.hanging},
        {ui_.processing, &v.processing},
        {ui_.kill, &v.kill},
        {ui_.total, &v.total},
    };
    for (const auto& [field, figure] : figures) {
        setChangedText(field, figure->text);
        ShowFigureMark(field, figure->isCurrent() ? FigureMark::None : FigureMark::NotFigured,
                       figure->why);
    }
    ui_.todaysPrices->setVisible(v.basis == PriceBasis::Kept && keeper_->record().number != 0);
    // Back to the shares while a buyer's share is on the screen.
    const QString sharesCaption =
        keeper_->showingShare() ? QStringLiteral("Back to Sh&ares") : QStringLiteral("Sh&ares...");
    if (ui_.shares->text() != sharesCaption)
        ui_.shares->setText(sharesCaption);
    keeper_->showRecord();
    showLikelyRange();
    showTakeHome();
    showShareLine();
    if (e.expanded() && !shownExpanded_) {
        shownExpanded_ = true;
        setHeightTwips(EstimateFullHeight);
    }
    ui_.porkFrame->setVisible(v.shown.porkNoteShown);
    ui_.porkNote->setVisible(v.shown.porkNoteShown);
    if (v.shown.cureProductsShown)
        ui_.cureProducts->show();
    const R::CureSelection& cure = v.cure;
    for (int i = 0; i < R::CureProductCount; ++i)
        if (ui_.cureProducts->item(i)->isSelected() != cure[i])
            ui_.cureProducts->item(i)->setSelected(cure[i]);
    renderServices();
}

void EstimateScreen::showLikelyRange()
{
    // A final bill is of the weight on the rail: no range to give.
    const std::optional<LikelyRange> likely = keeper_->showingFinal() || !ui_.connection->isHidden()
                                                  ? std::nullopt
                                                  : Likely(estimate_.value());
    const QString text = likely ? LikelyText(*likely).replace(0, 1, QLatin1Char('L')) : QString();
    if (ui_.likely->text() != text) {
        ui_.likely->setText(text);
        ui_.likely->setToolTip(likely ? likely->words : QString());
    }
    const QString caution = likely ? likely->caution : QString();
    if (ui_.likelyCaution->text() != caution) {
        ui_.likelyCaution->setText(caution);
        ui_.likelyCaution->setToolTip(likely ? likely->words : QString());
    }
}

void EstimateScreen::showTakeHome()
{
    const std::optional<TakeHome> home = estimate_.takeHome();
    QString text = home ? home->words() : QString();
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    if (ui_.takeHome->text() != text)
        ui_.takeHome->setText(text);
}

void EstimateScreen::showShareLine()
{
    const EstimateValue& v = estimate_.value();
    const bool share = v.share && !v.share->takenOff;
    // A share's species, weights and kill fee are its part of the animal's:
    // they are changed in the Shares window, for every share at once.
    for (QLineEdit* field : {ui_.liveWeight, ui_.hangingWeight, ui_.kill})
        if (field->isReadOnly() != share)
            field->setReadOnly(share);
    for (QRadioButton* option : ui_.species)
        if (option->isEnabled() == share)
            option->setEnabled(!share);
    QString line;
    if (v.share) {
        const ShareOfAnimal& s = *v.share;
        line = ShareHeading(s);
        if (!s.tag.trimmed().isEmpty())
            line += QStringLiteral(" of tag ") + s.tag.trimmed();
        if (s.splitSide())
            line += QStringLiteral(": surcharge %1 (%2)")
                        .arg(PrintedMoney(s.surcharge.text), PrintedRate(s.surchargeRate));
        if (s.takenOff)
            line += QStringLiteral(" (taken off the animal)");
    }
    if (line.isEmpty() && ui_.shareLine->text().isEmpty())
        return; // no share, at every keystroke of any other estimate
    const QFontMetrics metrics(ui_.shareLine->font());
    const QString shown = metrics.elidedText(line, Qt::ElideRight, ui_.shareLine->width());
    if (ui_.shareLine->text() != shown) {
        ui_.shareLine->setText(shown);
        ui_.shareLine->setToolTip(
            line.isEmpty()
                ? QString()
                : QStringLiteral("%1: %2. Its species, weights and kill fee are its part of the "
                                 "animal's: change them in the Shares window.")
                      .arg(line, PartOfAnimal(v.share->part, v.species)));
    }
}

void EstimateScreen::renderServices()
{
    for (const ServiceInfo& s : Services()) {
        const ServiceRow& row = estimate_.row(s.id);
        EstimateControls::Service& c = ui_.services[static_cast<int>(s.id)];
        const EstimateShown& shown = estimate_.value().shown;
        c.box->setVisible(shown.boxShown[static_cast<int>(s.id)]);
        c.box->setChecked(row.ticked);
        c.weight->setVisible(shown.fieldsShown[static_cast<int>(s.id)]);
        c.charge->setVisible(shown.fieldsShown[static_cast<int>(s.id)]);
        setChangedText(c.weight, row.weight.text);
        setChangedText(c.charge, row.charge.text);
        const bool stale = estimate_.isStale(s.id);
        const QString staleWhy =
            stale
                ? QStringLiteral("Figured for a hanging weight of %1 lb; open the worksheet again")
                      .arg(NumberText(*row.figuredFor))
                : QString();
        for (auto [field, figure] :
             {std::pair{c.weight, &row.weight}, std::pair{c.charge, &row.charge}}) {
            const bool counted = estimate_.counts(s.id);
            if (counted && !figure->isCurrent())
                ShowFigureMark(field, FigureMark::NotFigured, figure->why);
            else
                ShowFigureMark(field, stale ? FigureMark::Stale : FigureMark::None, staleWhy);
        }
    }
}

void EstimateScreen::showFlagTip()
{
    // Told again only when what it says may have changed: it looks at the file.
    const int said = (priceList_.isOpen() ? 2 : 0) + (estimate_.priceListFlag() ? 1 : 0);
    if (said == flagTipSays_)
        return;
    flagTipSays_ = said;
    ui_.flag->setToolTip(
        PriceFlagTip(priceList_.path(), priceList_.isOpen(), estimate_.priceListFlag()));
}

// ---------------------------------------------------------------- what the estimate asks

void EstimateScreen::tell(const QString& text)
{
    render();
    Dialogs::tell(this, text);
}

void EstimateScreen::warn(const QString& text)
{
    render();
    Dialogs::warn(this, text);
}

bool EstimateScreen::askYesNo(const QString& text, const QString& title)
{
    render();
    return Dialogs::askYesNo(this, text, title, QMessageBox::Question);
}

void EstimateScreen::showCureProducts()
{
    ui_.cureProducts->show();
    ui_.cureProducts->setFocus();
}

void EstimateScreen::showWorksheet(ServiceId service)
{
    render();
    const Worksheet sheet = Service(service).worksheet;
    QPointer<QWidget>& slot = worksheets_[static_cast<int>(sheet)];
    if (slot && !slot->isVisible())
        slot = nullptr; // closed: its deletion is still to come
    if (!slot) {
        // Its row as it was before the click that opens it.
        rowsBefore_[static_cast<int>(sheet)] =
            clicked_ && clicked_->service == service ? clicked_ : std::nullopt;
        switch (sheet) {
        case Worksheet::ExtraBoning:
            slot = new ExtraBoningWorksheet(estimate_, *this, this);
            break;
        case Worksheet::Sausage:
            slot = new SausageWorksheet(estimate_, *this, this);
            break;
        case Worksheet::Fajita:
            slot = new CutWorksheet(CutRules::CutScreenKind::Fajita, estimate_, *this, this);
            break;
        case Worksheet::Jerky:
            slot = new CutWorksheet(CutRules::CutScreenKind::Jerky, estimate_, *this, this);
            break;
        case Worksheet::Curing: // in the role of the service that opens it
            slot = new CuringWorksheet(estimate_, *this, service, this);
            break;
        case Worksheet::None:
            return;
        }
        // Discarded when it closes, so the next showing starts afresh. It opens
        // beside the Estimate screen, clear of its total, and scrolls when the
        // screen is too small for it.
        slot->setAttribute(Qt::WA_DeleteOnClose);
        ScrollingPage(slot);
        EnterPressesButtons(slot);
        EscapeCloses(slot);
        const auto onScreen = [](const QWidget* w) {
            return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
        };
        PlaceBeside(slot, this, onScreen(ui_.totalCaption) | onScreen(ui_.total));
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
}

// ---------------------------------------------------------------- the worksheets' host

void EstimateScreen::sheetWritten(ServiceId service)
{
    rowsBefore_[static_cast<int>(Service(service).worksheet)].reset();
    act([] {}); // a buyer's share: the animal follows
}

void EstimateScreen::refigureTotalThroughTot()
{
    totRan_ = false;
    ui_.tot->show();
    activateWindow();
    ui_.tot->setFocus(Qt::OtherFocusReason);
    if (!totRan_)
        act([&] { estimate_.refigureTotal(); }); // the window was not active: no focus yet
    ui_.hangingWeight->setFocus(Qt::OtherFocusReason);
    ui_.tot->hide();
}

bool EstimateScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_.tot && event->type() == QEvent::FocusIn) {
        totRan_ = true;
        act([&] { estimate_.refigureTotal(); });
    }
    return QWidget::eventFilter(watched, event);
}

void EstimateScreen::changeEvent(QEvent* event)
{
    // The shop's ranges may have been changed (the quote accuracy window, the
    // tool): the range shown follows them.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
        !QApplication::activeModalWidget())
        act([&] { estimate_.refreshPending(); });
    QWidget::changeEvent(event);
}

// ---------------------------------------------------------------- the shop's tools

void EstimateScreen::printEstimate()
{
    act([&] { estimate_.refreshPending(); }); // what could not be figured is tried again
    keeper_->printShown();
}

void EstimateScreen::showPriceList()
{
    if (priceListWindow_ && priceListWindow_->isVisible()) {
        priceListWindow_->raise();
        priceListWindow_->activateWindow();
        return;
    }
    auto* window = new PriceListWindow(priceList_.connection(), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!window->problem().isEmpty()) {
        const QString problem = window->problem();
        delete window;
        Dialogs::warn(this, QStringLiteral("The price list cannot be shown. %1").arg(problem));
        return;
    }
    priceListWindow_ = window;
    window->show();
    window->raise();
    window->activateWindow();
}

// ---------------------------------------------------------------- saved estimates

void EstimateScreen::newEstimate()
{
    if (keeper_->newEstimate()) {
        // Selected, so that what is typed replaces the "0" (also when the
        // field had the focus already).
        ui_.liveWeight->setFocus(Qt::ShortcutFocusReason);
        ui_.liveWeight->selectAll();
    }
}

void EstimateScreen::showReplaced()
{
    // Unticked species buttons: an exclusive group keeps one checked.
    for (QRadioButton* option : ui_.species) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
    shownExpanded_ = false;
    setHeightTwips(EstimateCollapsedHeight);
    ui_.cureProducts->setVisible(estimate_.value().shown.cureProductsShown);
    render();
}

namespace {

// A booking made from a saved estimate: its customer, animal and tag, billed
// by it, or by every share of its animal under the animal's tag.
BookingStart BookingStartOf(const EstimateRecord& saved, EstimateBook& book)
{
    BookingStart start;
    start.customer = saved.customer;
    start.phone = saved.phone;
    start.species = saved.species;
    start.liveWeight = saved.liveWeight == QLatin1String("0") ? QString() : saved.liveWeight;
    start.tag = saved.animalTag.isEmpty() ? saved.hunter : saved.animalTag;
    if (saved.number > 0)
        start.estimates = {saved.number};
    QString problem;
    if (!saved.animalTag.isEmpty())
        if (const QList<EstimateRecord> shares = book.animal(saved.animalTag, &problem);
            !shares.isEmpty()) {
            start.estimates.clear();
            for (const EstimateRecord& share : shares)
                start.estimates << share.number;
            start.estimates.removeAll(saved.number);
            start.estimates.prepend(saved.number); // its customer's bill is the booking's own
        }
    return start;
}

} // namespace

void EstimateScreen::showKillCalendar()
{
    if (!killCalendar_) {
        auto* calendar = new KillCalendarWindow(
            keeper_->book(), estimate_.prices(), estimate_.rules(), clock_,
            [this] {
                // The estimate on the screen, as it stands.
                BookingStart start = BookingStartOf(keeper_->record(), keeper_->book());
                start.species = SpeciesName(estimate_.value().species);
                start.liveWeight = estimate_.liveWeight() == QLatin1String("0")
                                       ? QString()
                                       : estimate_.liveWeight();
                return start;
            },
            this);
        calendar->setAttribute(Qt::WA_DeleteOnClose);
        calendar->onCutSheet([this](qint64 number) { showCutSheetOf(number); });
        killCalendar_ = calendar;
    } else if (auto* calendar = qobject_cast<KillCalendarWindow*>(killCalendar_.data())) {
        calendar->refresh();
    }
    killCalendar_->show();
    killCalendar_->raise();
    killCalendar_->activateWindow();
}

void EstimateScreen::bookKillDateFor(qint64 number)
{
    QString problem;
    const std::optional<EstimateRecord> saved = keeper_->book().open(number, &problem);
    if (!saved) {
        Dialogs::warn(this, problem.isEmpty()
                                ? QStringLiteral("Estimate %1 is no longer saved.").arg(number)
                                : problem);
        return;
    }
    showKillCalendar();
    if (auto* calendar = qobject_cast<KillCalendarWindow*>(killCalendar_.data()))
        calendar->bookFrom(BookingStartOf(*saved, keeper_->book()));
}

void EstimateScreen::showDayBoard()
{
    if (!dayBoard_) {
        auto* board = new DayBoardWindow(keeper_->book(), estimate_.prices(), clock_, this);
        board->setAttribute(Qt::WA_DeleteOnClose);
        dayBoard_ = board;
    } else if (auto* board = qobject_cast<DayBoardWindow*>(dayBoard_.data())) {
        board->refresh();
    }
    dayBoard_->show();
    dayBoard_->raise();
    dayBoard_->activateWindow();
}

void EstimateScreen::showCutSheet()
{
    if (estimate_.species() == Species::None) {
        Dialogs::warn(this, QStringLiteral("Choose the species first: the cut sheet is the "
                                           "species' own."));
        return;
    }
    const quint64 identity = estimate_.identity();
    auto* window =
        new CutSheetWindow(this, keeper_->cutSheetDesk(), [this, identity](const CutSheet& sheet) {
            if (estimate_.identity() == identity) // the estimate it was opened for
                act([&] { estimate_.setCutSheet(sheet); });
        });
    window->open();
}

void EstimateScreen::showCutSheetOf(qint64 number)
{
    QString problem;
    const std::optional<EstimateRecord> saved = keeper_->book().open(number, &problem);
    if (!saved) {
        Dialogs::warn(this, problem.isEmpty()
                                ? QStringLiteral("Estimate %1 is no longer saved.").arg(number)
                                : problem);
        return;
    }
    if (saved->animalTag.isEmpty()) {
        if (!keeper_->openEstimate(number))
            return;
    } else {
        // A buyer's sheet is filled on their share, saved with the animal's.
        const bool sameAnimal =
            sharesWindow_ && sharesWindow_->animal().tag.trimmed() == saved->animalTag.trimmed();
        if (!sameAnimal) {
            if (keeper_->showingShare())
                takeShareBack();
            if (sharesWindow_ && !sharesWindow_->settleUnsaved())
                return;
            showShares();
            if (!sharesWindow_->openAnimal(saved->animalTag))
                return;
        }
        if (!sharesWindow_->showServicesOf(number))
            return;
    }
    showCutSheet();
}

void EstimateScreen::showShares()
{
    if (keeper_->showingShare()) {
        takeShareBack(); // the Shares window comes up with it
        return;
    }
    if (!sharesWindow_) {
        sharesWindow_ = new SharesWindow(*this, priceList_, keeper_->book(), clock_, this);
        sharesWindow_->setAttribute(Qt::WA_DeleteOnClose);
        const Species species = estimate_.species();
        sharesWindow_->startAnimal(species, species == Species::Beef || species == Species::Pork
                                                ? estimate_.liveWeight()
                                                : QStringLiteral("0"));
    }
    sharesWindow_->show();
    sharesWindow_->raise();
    sharesWindow_->activateWindow();
}

bool EstimateScreen::showShare(const EstimateValue& share, const QString& caption,
                               std::function<void(const EstimateValue&)> back,
                               std::function<void(const EstimateValue&)> changed)
{
    const bool shown = keeper_->showShare(share, caption, std::move(back), std::move(changed));
    render();
    return shown;
}

void EstimateScreen::shareRefigured(const EstimateValue& figured)
{
    if (!keeper_->showingShare() || rendering_)
        return;
    estimate_.takeAnimalPart(figured);
    render();
}

void EstimateScreen::takeShareBack()
{
    if (!keeper_->showingShare())
        return;
    keeper_->takeShareBack();
    render();
}

void EstimateScreen::closeEvent(QCloseEvent* event)
{
    // A buyer's share goes back to its animal first, as it was before any
    // worksheet still open on it.
    if (sharesWindow_ && !sharesWindow_->settleUnsaved())
        return event->ignore();
    if (!keeper_->settleUnsaved(QStringLiteral("closing")))
        return event->ignore();
    closeWorksheets();
    QWidget::closeEvent(event);
}
