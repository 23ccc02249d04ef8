#include "screens/estimate_screen.h"

#include "core/numbers.h"
#include "pricelist/price_list.h"
#include "screens/estimate_print.h"
#include "screens/estimates_window.h"
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

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSignalBlocker>

namespace R = EstimateRules;

namespace {

const QColor PaleBlue(192, 224, 255);
// A row figured for another hanging weight: not an error, so not the invalid
// mark's pale red.
const QColor StaleColour(255, 236, 170);

// Heights of the screen, in twips.
constexpr int CollapsedHeight = 3500;
constexpr int FullHeight = 8655;
constexpr int DesignWidth = 11025;

const char* const CureProductNames[R::CureProductCount] = {
    "Beef Bacon (Brisket)", "Beef Bacon (Ribs)", "Corned Beef (Brisket)",
    "Corned Beef (Round)",  "BBQ Brisket",
};

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

// Writes a field only when its text changes: writing the same text again lays
// the text out anew and moves the cursor, at every keystroke of a weight.
void setChangedText(QLineEdit* field, const QString& text)
{
    if (field->text() != text)
        field->setText(text);
}

// Paints a field's stale mark (its "stale" property, with the reason in
// "staleReason" as its tool tip), or takes it away. While the field is marked
// as invalid that mark shows; this one comes back when the field is mended.
void paintStale(QLineEdit* field)
{
    if (IsMarkedInvalid(field))
        return;
    const bool stale = field->property("stale").toBool();
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base,
                     stale ? StaleColour : field->parentWidget()->palette().color(QPalette::Base));
    if (palette != field->palette())
        field->setPalette(palette);
    field->setToolTip(stale ? field->property("staleReason").toString() : QString());
}

void showStale(QLineEdit* field, const QString& reason)
{
    const bool stale = !reason.isEmpty();
    if (field->property("stale").toBool() == stale && field->property("staleReason") == reason)
        return;
    field->setProperty("stale", stale);
    field->setProperty("staleReason", reason);
    paintStale(field);
}

// A service by its caption; "pork Curing" where beef has a row of that name.
QString serviceCaption(const ServiceInfo& s)
{
    return (s.column == Column::Pork ? QStringLiteral("pork ") : QString()) +
           QLatin1String(s.caption);
}

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

EstimateScreen::EstimateScreen(QString priceListPath, QWidget* parent)
    : EstimateScreen(std::move(priceListPath), QString(), parent)
{}

EstimateScreen::EstimateScreen(QString priceListPath, QString estimatesPath, QWidget* parent)
    : QWidget(parent)
    , priceList_(std::make_unique<PriceList>(std::move(priceListPath)))
    , estimate_(std::make_unique<Estimate>(*priceList_, *this))
    , book_(std::make_unique<EstimateBook>(estimatesPath.isEmpty()
                                               ? EstimateBook::pathBeside(priceList_->path())
                                               : std::move(estimatesPath)))
{
    setObjectName(QStringLiteral("frmEst"));
    setWindowTitle(QStringLiteral("Estimate"));
    buildTopBand();
    buildServiceBand();
    resize(TwipsX(this, DesignWidth), TwipsY(this, CollapsedHeight));
    page_ = ScrollingPage(this);
    EnterPressesButtons(this);
}

EstimateScreen::~EstimateScreen()
{
    for (QPointer<QWidget>& sheet : worksheets_)
        delete sheet.data();
}

template <typename Action> void EstimateScreen::act(Action action)
{
    if (rendering_)
        return; // a control's signal while the estimate is being shown
    action();
    render();
}

void EstimateScreen::buildTopBand()
{
    const auto field = [this](const char* name, auto problem) {
        auto* edit = new QLineEdit(QStringLiteral("0"), this);
        edit->setObjectName(QLatin1String(name));
        MarkInvalidWhile(edit, problem);
        return edit;
    };
    const auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };

    flag_ = new QCheckBox(this);
    flag_->setObjectName(QStringLiteral("Check2"));
    PlaceTwips(flag_, 120, 120, 300, 300);
    connect(flag_, &QCheckBox::clicked, this, [this](bool ticked) {
        flagTipSays_ = -1; // the file may have come or gone since
        act([&] { estimate_->setPriceListFlag(ticked); });
    });

    totalCaption_ = label("Label5", QStringLiteral("Total Estimated Price"));
    PlaceTwips(totalCaption_, 5880, 150, 2300, 300);
    total_ = field("Text5", R::FigureProblem);
    total_->setReadOnly(true); // the total is figured, never typed
    QPalette pale = total_->palette();
    pale.setColor(QPalette::Base, PaleBlue);
    total_->setPalette(pale);
    PlaceTwips(total_, 8280, 120, 1695, 345);

    const char* const speciesNames[] = {"Beef", "Pork", "Deer"};
    const Species species[] = {Species::Beef, Species::Pork, Species::Deer};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QLatin1String(speciesNames[i]), this);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        PlaceTwips(option, 5880 + i * 1200, 600, 1100, 300);
        connect(option, &QRadioButton::clicked, this, [this, chosen = species[i]] {
            act([&] { estimate_->chooseSpecies(chosen); });
            if (chosen != Species::Deer)
                liveWeight_->setFocus();
        });
        speciesButtons_[i] = option;
    }

    weightCaption_ = label("Label1", estimate_->weightCaption());
    liveWeight_ = field("Text1", R::WeightProblem);
    SelectAllOnFocus(liveWeight_);
    connect(liveWeight_, &QLineEdit::textChanged, this,
            [this](const QString& text) { act([&] { estimate_->setLiveWeight(text); }); });
    QLabel* hangingCaption = label("Label2", QStringLiteral("Hanging Weight"));
    hangingWeight_ = field("Text2", R::WeightProblem);
    connect(hangingWeight_, &QLineEdit::textEdited, this,
            [this](const QString& text) { act([&] { estimate_->setHangingWeight(text); }); });
    speciesHint_ = label("Label6", QString());
    QLabel* processingCaption = label("Label3", QStringLiteral("Processing Charge"));
    processing_ = field("Text3", R::FigureProblem);
    connect(processing_, &QLineEdit::textEdited, this,
            [this](const QString& text) { act([&] { estimate_->setProcessingCharge(text); }); });
    QLabel* killCaption = label("Label4", QStringLiteral("Kill Charge"));
    kill_ = field("Text4", R::FigureProblem);
    connect(kill_, &QLineEdit::textEdited, this,
            [this](const QString& text) { act([&] { estimate_->setKillCharge(text); }); });

    QLabel* captions[] = {weightCaption_, hangingCaption, processingCaption, killCaption};
    QLineEdit* fields[] = {liveWeight_, hangingWeight_, processing_, kill_};
    for (int row = 0; row < 4; ++row) {
        PlaceTwips(captions[row], 240, 630 + row * 480, 1800, 300);
        PlaceTwips(fields[row], 2160, 600 + row * 480, 1335, 345);
    }
    PlaceTwips(speciesHint_, 3540, 1110, 2340, 300);

    QPushButton* expand = button("Command1", QStringLiteral("Click To Add Other Charges"));
    PlaceTwips(expand, 5880, 1980, 3000, 420);
    connect(expand, &QPushButton::clicked, this, [this] { act([&] { estimate_->expand(); }); });

    // The shop's own tools, in the free corner of the top band.
    QPushButton* prices = button("cmdPriceList", QStringLiteral("Price &List..."));
    prices->setToolTip(QStringLiteral("See and change the prices"));
    PlaceTwips(prices, 9000, 1500, 1900, 420);
    connect(prices, &QPushButton::clicked, this, &EstimateScreen::showPriceList);
    QPushButton* print = button("cmdPrint", QStringLiteral("&Print Estimate..."));
    print->setToolTip(QStringLiteral("Print the estimate for the customer, or save it as a PDF "
                                     "file (Ctrl+P)"));
    PlaceTwips(print, 9000, 1980, 1900, 420);
    connect(print, &QPushButton::clicked, this, &EstimateScreen::printEstimate);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this,
            &EstimateScreen::printEstimate);

    // The saved estimates: the customer's estimate kept, the next one begun,
    // an earlier one found again.
    QPushButton* save = button("cmdSaveEstimate", QStringLiteral("&Save Estimate..."));
    save->setToolTip(QStringLiteral("Keep the estimate under the customer's name (Ctrl+S)"));
    PlaceTwips(save, 9000, 1020, 1900, 420);
    connect(save, &QPushButton::clicked, this, &EstimateScreen::saveEstimate);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
            &EstimateScreen::saveEstimate);
    QPushButton* next = button("cmdNewEstimate", QStringLiteral("&New Estimate"));
    next->setToolTip(QStringLiteral("Clear the screen for the next customer (Ctrl+N)"));
    PlaceTwips(next, 3660, 1500, 2100, 420);
    connect(next, &QPushButton::clicked, this, &EstimateScreen::newEstimate);
    connect(new QShortcut(QKeySequence::New, this), &QShortcut::activated, this,
            &EstimateScreen::newEstimate);
    QPushButton* find = button("cmdEstimates", QStringLiteral("Saved &Estimates..."));
    find->setToolTip(QStringLiteral("Find a saved estimate by name, phone or number (Ctrl+F)"));
    PlaceTwips(find, 3660, 1980, 2100, 420);
    connect(find, &QPushButton::clicked, this, &EstimateScreen::showEstimates);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this,
            &EstimateScreen::showEstimates);
    recordLabel_ = label("lblEstimate", QString());
    recordLabel_->setTextFormat(Qt::PlainText); // a customer's name is shown as typed
    PlaceTwips(recordLabel_, 540, 150, 5200, 300);

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    PlaceTwips(line, 0, 2700, DesignWidth, 60);

    // Hidden; the curing worksheet gives it the focus to have the total figured.
    tot_ = button("tot", QString());
    tot_->setFocusPolicy(Qt::StrongFocus);
    tot_->hide();
    tot_->installEventFilter(this);
}

void EstimateScreen::buildServiceBand()
{
    constexpr int firstRowTop = 3000, rowStep = 540, fieldHeight = 345, fieldWidth = 1000;
    // Column left edges: weight field, check box, charge field.
    constexpr int beefX[3] = {120, 1200, 3150};
    constexpr int porkX[3] = {4350, 5430, 6980};

    porkFrame_ = new QFrame(this);
    porkFrame_->setObjectName(QStringLiteral("Frame1"));
    porkFrame_->setFrameShape(QFrame::Box);
    porkFrame_->setAutoFillBackground(true);
    QPalette pale = porkFrame_->palette();
    pale.setColor(QPalette::Window, PaleBlue);
    porkFrame_->setPalette(pale);
    PlaceTwips(porkFrame_, porkX[0] - 90, firstRowTop + 3 * rowStep - 90, 10800 - porkX[0],
               2 * rowStep + 60);
    porkFrame_->hide();
    porkNote_ =
        new QLabel(QStringLiteral("Only Applies When We Dont Process The Pork"), porkFrame_);
    porkNote_->setObjectName(QStringLiteral("Label7"));
    porkNote_->setWordWrap(true);
    PlaceTwips(porkNote_, 3800, 150, 2500, 800);
    porkNote_->hide();

    for (const ServiceInfo& s : Services()) {
        const int* x = s.column == Column::Pork ? porkX : beefX;
        const int top = firstRowTop + s.row() * rowStep;
        ServiceControls& c = services_[static_cast<int>(s.id)];
        c.box = new QCheckBox(QLatin1String(s.caption), this);
        c.box->setObjectName(indexed("Check1", s.box));
        PlaceTwips(c.box, x[1], top, x[2] - x[1] - 60, fieldHeight);
        c.box->hide();
        connect(c.box, &QCheckBox::toggled, this, [this, id = s.id](bool ticked) {
            act([&] { estimate_->clickService(id, ticked); });
        });
        c.weight = new QLineEdit(QStringLiteral("0"), this);
        c.charge = new QLineEdit(QStringLiteral("0"), this);
        c.weight->setObjectName(indexed("Text6", s.weightField()));
        c.charge->setObjectName(indexed("Text6", s.chargeField()));
        PlaceTwips(c.weight, x[0], top, fieldWidth, fieldHeight);
        PlaceTwips(c.charge, x[2], top, fieldWidth, fieldHeight);
        for (QLineEdit* edit : {c.weight, c.charge}) {
            MarkInvalidWhile(edit, R::FigureProblem);
            connect(edit, &QLineEdit::textChanged, edit, [edit] { paintStale(edit); });
            edit->hide();
        }
        connect(c.weight, &QLineEdit::textEdited, this, [this, id = s.id](const QString& text) {
            act([&] { estimate_->setServiceWeight(id, text); });
        });
        // A charge typed by hand counts at once.
        connect(c.charge, &QLineEdit::textEdited, this, [this, id = s.id](const QString& text) {
            act([&] { estimate_->setServiceCharge(id, text); });
        });
    }
    porkFrame_->lower();

    cureProducts_ = new QListWidget(this);
    cureProducts_->setObjectName(QStringLiteral("List1"));
    cureProducts_->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const char* product : CureProductNames)
        cureProducts_->addItem(QLatin1String(product));
    PlaceTwips(cureProducts_, 8200, firstRowTop, 2700, 1500);
    cureProducts_->hide();
    connect(cureProducts_, &QListWidget::itemSelectionChanged, this, [this] {
        act([&] {
            estimate_->chooseCureProducts(SelectedRows<R::CureProductCount>(cureProducts_));
        });
    });
}

void EstimateScreen::setHeightTwips(int twips)
{
    // The page holds the band shown; the screen cannot be made smaller than it.
    page_->setFixedSize(TwipsX(this, DesignWidth), TwipsY(this, twips));
    FitToPage(this);
}

void EstimateScreen::startUp()
{
    setHeightTwips(CollapsedHeight);
    shownExpanded_ = false;
    estimate_->startUp();
    render();
}

// ---------------------------------------------------------------- showing the estimate

void EstimateScreen::render()
{
    const QScopedValueRollback<bool> rendering(rendering_, true);
    const Estimate& e = *estimate_;
    flag_->setChecked(e.priceListFlag());
    showFlagTip();
    const int species = static_cast<int>(e.species());
    if (species > 0)
        speciesButtons_[species - 1]->setChecked(true);
    weightCaption_->setText(e.weightCaption());
    speciesHint_->setText(e.speciesHint());
    setChangedText(liveWeight_, e.liveWeight());
    setChangedText(hangingWeight_, e.hangingWeight());
    setChangedText(processing_, e.processingCharge());
    setChangedText(kill_, e.killCharge());
    setChangedText(total_, e.total());
    if (e.expanded() && !shownExpanded_) {
        shownExpanded_ = true;
        setHeightTwips(FullHeight);
    }
    porkFrame_->setVisible(e.porkNoteShown());
    porkNote_->setVisible(e.porkNoteShown());
    if (e.cureProductsShown())
        cureProducts_->show();
    const R::CureSelection& cure = e.cureProducts();
    for (int i = 0; i < R::CureProductCount; ++i)
        if (cureProducts_->item(i)->isSelected() != cure[i])
            cureProducts_->item(i)->setSelected(cure[i]);
    renderServices();
}

void EstimateScreen::renderServices()
{
    for (const ServiceInfo& s : Services()) {
        const ServiceRow& row = estimate_->row(s.id);
        ServiceControls& c = services_[static_cast<int>(s.id)];
        c.box->setVisible(row.boxShown);
        c.box->setChecked(row.ticked);
        c.weight->setVisible(row.fieldsShown);
        c.charge->setVisible(row.fieldsShown);
        setChangedText(c.weight, row.weight);
        setChangedText(c.charge, row.charge);
        const QString stale =
            estimate_->isStale(s.id)
                ? QStringLiteral("Figured for a hanging weight of %1 lb; open the worksheet again")
                      .arg(NumberText(*row.figuredFor))
                : QString();
        showStale(c.weight, stale);
        showStale(c.charge, stale);
    }
}

void EstimateScreen::showFlagTip()
{
    // Told again only when what it says may have changed: it looks at the file.
    const int said = (priceList_->isOpen() ? 2 : 0) + (estimate_->priceListFlag() ? 1 : 0);
    if (said == flagTipSays_)
        return;
    flagTipSays_ = said;
    const QString file = QDir::toNativeSeparators(QFileInfo(priceList_->path()).absoluteFilePath());
    QString tip;
    if (priceList_->isOpen())
        tip = estimate_->priceListFlag()
                  ? QStringLiteral("Prices come from %1")
                  : QStringLiteral("The built-in prices are in use; tick the box to take prices "
                                   "from %1");
    else if (!QFileInfo::exists(priceList_->path()))
        tip = QStringLiteral("No price list at %1: the built-in prices are in use");
    else
        tip = QStringLiteral("The price list at %1 could not be opened: the built-in prices "
                             "are in use");
    flag_->setToolTip(tip.arg(file));
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
    cureProducts_->show();
    cureProducts_->setFocus();
}

void EstimateScreen::showWorksheet(ServiceId service)
{
    render();
    const Worksheet sheet = Service(service).worksheet;
    QPointer<QWidget>& slot = worksheets_[static_cast<int>(sheet)];
    if (slot && !slot->isVisible())
        slot = nullptr; // closed: its deletion is still to come
    if (!slot) {
        switch (sheet) {
        case Worksheet::ExtraBoning:
            slot = new ExtraBoningWorksheet(*this, this);
            break;
        case Worksheet::Sausage:
            slot = new SausageWorksheet(*this, this);
            break;
        case Worksheet::Fajita:
            slot = CutWorksheet::fajita(*this, this);
            break;
        case Worksheet::Jerky:
            slot = CutWorksheet::jerky(*this, this);
            break;
        case Worksheet::Curing: // in the role of the service that opens it
            slot = new CuringWorksheet(*this, service, this);
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
        PlaceBeside(slot, this, onScreen(totalCaption_) | onScreen(total_));
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
}

// ---------------------------------------------------------------- the worksheets' host

QString EstimateScreen::hangingWeightText() const
{
    return estimate_->hangingWeight();
}

bool EstimateScreen::priceListFlag() const
{
    return estimate_->priceListFlag();
}

QString EstimateScreen::priceListPath() const
{
    return priceList_->path();
}

void EstimateScreen::writeService(ServiceId service, const QString& weight, const QString& charge)
{
    estimate_->writeService(service, weight, charge);
    render();
}

void EstimateScreen::refigureTotalThroughTot()
{
    totRan_ = false;
    tot_->show();
    activateWindow();
    tot_->setFocus(Qt::OtherFocusReason);
    if (!totRan_)
        act([&] { estimate_->refigureTotal(); }); // the window was not active: no focus yet
    hangingWeight_->setFocus(Qt::OtherFocusReason);
    tot_->hide();
}

bool EstimateScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tot_ && event->type() == QEvent::FocusIn) {
        totRan_ = true;
        act([&] { estimate_->refigureTotal(); });
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- the shop's tools

QString EstimateScreen::printRefusal() const
{
    QStringList mend;
    if (estimate_->species() == Species::None)
        mend << QStringLiteral("Choose Beef, Pork or Deer.");
    QList<std::pair<QString, const QLineEdit*>> fields = {
        {weightCaption_->text(), liveWeight_},
        {QStringLiteral("Hanging Weight"), hangingWeight_},
        {QStringLiteral("Processing Charge"), processing_},
        {QStringLiteral("Kill Charge"), kill_},
        {QStringLiteral("Total Estimated Price"), total_},
    };
    for (const ServiceInfo& s : Services()) {
        const ServiceControls& c = services_[static_cast<int>(s.id)];
        fields.append({serviceCaption(s) + QStringLiteral(" weight"), c.weight});
        fields.append({serviceCaption(s) + QStringLiteral(" charge"), c.charge});
    }
    // A marked field holds its reason as its tool tip.
    for (const auto& [caption, field] : fields)
        if (IsMarkedInvalid(field))
            mend << QStringLiteral("Mend the %1: %2").arg(caption, field->toolTip());
    if (mend.isEmpty())
        return QString();
    return QStringLiteral("The estimate was not printed.\n\n") + mend.join(QLatin1Char('\n'));
}

void EstimateScreen::printEstimate()
{
    const QString refusal = printRefusal();
    if (!refusal.isEmpty()) {
        Dialogs::warn(this, refusal);
        return;
    }
    QStringList stale;
    for (const ServiceId id : estimate_->staleServices())
        stale << QStringLiteral("%1, figured for %2 lb")
                     .arg(serviceCaption(Service(id)), NumberText(*estimate_->row(id).figuredFor));
    if (!stale.isEmpty() &&
        !Dialogs::askYesNo(
            this,
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
            PrintFinalBillWithDialog(this, summaryOf(record_, record_.quoteState), shown);
        else
            PrintFinalBillWithDialog(this, shown, summaryOf(record_, record_.finalState));
        return;
    }
    PrintEstimateWithDialog(this, summaryOf(record_, QString()));
}

void EstimateScreen::showPriceList()
{
    if (priceListWindow_ && priceListWindow_->isVisible()) {
        priceListWindow_->raise();
        priceListWindow_->activateWindow();
        return;
    }
    auto* window = new PriceListWindow(priceList_->path(), this);
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

EstimateSummary EstimateScreen::summaryOf(const EstimateRecord& record, const QString& state) const
{
    EstimateSummary summary;
    if (state.isEmpty()) {
        summary = estimate_->summary();
    } else {
        QuietView quiet;
        Estimate saved(*priceList_, quiet);
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

bool EstimateScreen::saveEstimate()
{
    const bool savedBefore = record_.number != 0;
    const auto answer = SaveEstimateDialog::ask(
        this, record_, savedBefore && (estimate_->hasUnsavedChanges() || record_.hasFinal()));
    if (!answer)
        return false;
    EstimateRecord next = record_;
    next.customer = answer->customer;
    next.phone = answer->phone;
    next.note = answer->note;
    next.species = speciesName(estimate_->species());
    next.liveWeight = estimate_->liveWeight();
    const bool final = savedBefore && answer->final;
    (final ? next.finalState : next.quoteState) = estimate_->saveState();
    (final ? next.finalTotal : next.quoteTotal) = estimate_->total();
    const BookResult saved = book_->save(next);
    if (!saved.done) {
        // The estimate stays on the screen as it is, to be saved again or printed.
        Dialogs::warn(this, saved.problem);
        return false;
    }
    record_ = next;
    showingFinal_ = final;
    estimate_->markSaved();
    showRecord();
    if (estimatesWindow_)
        estimatesWindow_->refresh();
    return true;
}

bool EstimateScreen::settleUnsaved(const QString& before)
{
    if (!estimate_->hasUnsavedChanges())
        return true;
    const QMessageBox::StandardButton answer = Dialogs::ask(
        this,
        QStringLiteral("The estimate on the screen has changes that are not saved. Save them "
                       "before %1?")
            .arg(before),
        Dialogs::appTitle(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        return saveEstimate();
    return answer == QMessageBox::No;
}

void EstimateScreen::newEstimate()
{
    if (!settleUnsaved(QStringLiteral("starting a new one")))
        return;
    estimate_->clear();
    record_ = EstimateRecord();
    showingFinal_ = false;
    showReplaced();
    liveWeight_->setFocus();
}

bool EstimateScreen::openEstimate(qint64 number)
{
    if (record_.number == number && !estimate_->hasUnsavedChanges() &&
        showingFinal_ == record_.hasFinal()) {
        activateWindow();
        return true; // on the screen already, as saved
    }
    if (!settleUnsaved(QStringLiteral("opening estimate %1").arg(number)))
        return false;
    QString problem;
    const std::optional<EstimateRecord> found = book_->open(number, &problem);
    if (!found) {
        Dialogs::warn(
            this, QStringLiteral("Estimate %1 cannot be opened. %2")
                      .arg(number)
                      .arg(problem.isEmpty() ? QStringLiteral("It is no longer saved.") : problem));
        return false;
    }
    const bool final = found->hasFinal();
    if (!estimate_->restoreState(final ? found->finalState : found->quoteState)) {
        Dialogs::warn(this, QStringLiteral("Estimate %1 cannot be opened: what was saved cannot "
                                           "be read back. The estimate on the screen is as it "
                                           "was.")
                                .arg(number));
        return false;
    }
    record_ = *found;
    showingFinal_ = final;
    showReplaced();
    raise();
    activateWindow();
    return true;
}

void EstimateScreen::printSavedEstimate(qint64 number)
{
    QString problem;
    const std::optional<EstimateRecord> found = book_->open(number, &problem);
    if (!found) {
        Dialogs::warn(
            this, QStringLiteral("Estimate %1 cannot be printed. %2")
                      .arg(number)
                      .arg(problem.isEmpty() ? QStringLiteral("It is no longer saved.") : problem));
        return;
    }
    QWidget* parent = estimatesWindow_ ? static_cast<QWidget*>(estimatesWindow_) : this;
    if (found->hasFinal())
        PrintFinalBillWithDialog(parent, summaryOf(*found, found->quoteState),
                                 summaryOf(*found, found->finalState));
    else
        PrintEstimateWithDialog(parent, summaryOf(*found, found->quoteState));
}

void EstimateScreen::forgetEstimate(qint64 number)
{
    if (record_.number != number)
        return;
    record_ = EstimateRecord();
    showingFinal_ = false;
    showRecord();
}

void EstimateScreen::showEstimates()
{
    if (!estimatesWindow_) {
        estimatesWindow_ = new EstimatesWindow(*book_, *this);
        estimatesWindow_->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        estimatesWindow_->refresh();
    }
    estimatesWindow_->show();
    estimatesWindow_->raise();
    estimatesWindow_->activateWindow();
}

void EstimateScreen::showReplaced()
{
    // Unticked species buttons: an exclusive group keeps one checked.
    for (QRadioButton* option : speciesButtons_) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
    shownExpanded_ = false;
    setHeightTwips(CollapsedHeight);
    cureProducts_->setVisible(estimate_->cureProductsShown());
    render();
    showRecord();
}

void EstimateScreen::showRecord()
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

void EstimateScreen::closeEvent(QCloseEvent* event)
{
    if (!settleUnsaved(QStringLiteral("closing")))
        return event->ignore();
    QWidget::closeEvent(event);
}
