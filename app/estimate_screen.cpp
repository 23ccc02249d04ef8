#include "estimate_screen.h"

#include "cure_item.h"
#include "curing_worksheet.h"
#include "cut_worksheet.h"
#include "dialogs.h"
#include "estimate_print.h"
#include "estimate_rules.h"
#include "extra_boning_worksheet.h"
#include "field_cues.h"
#include "list_selection.h"
#include "numbers.h"
#include "price_items.h"
#include "price_list.h"
#include "price_list_window.h"
#include "sausage_worksheet.h"
#include "twips.h"
#include "window_keys.h"

#include <QCheckBox>
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

// Texts of the screen, exactly as the shop knows them.
const QString StartupNotice = QStringLiteral(
    "This Program Was designed to be used by Tallowbrook Processing. Some Prices may not be "
    "current after 1/1/2015.");
const QString RefusedService = QStringLiteral("Cannot Use Sausage Program From Here");
const QString QuarteringNotice =
    QStringLiteral(" There Is No Additional Charge For Quartering Same As Processing");
const QString UnknownIndex = QStringLiteral("INdex Is ");
const QString TooManyBriskets =
    QStringLiteral("There Are only 2 Briskets On A Beef Please select only 2 Brisket Options");
const QString TopRoundQuestion = QStringLiteral("Are we Making Top Round Only Corned?");
const QString TopRoundTitle = QStringLiteral("CORNED BEEF BRISKET");
const QString BeefHint = QStringLiteral("About 1/2 Of Live Weight");
const QString PorkHint = QStringLiteral("About 2/3 Of Live Weight");
const QString LiveWeight = QStringLiteral("Live Weight");
const QString FieldDressed = QStringLiteral("Field Dressed");
// The shop the program was made for, named on the printed estimate.
const QString ShopName = QStringLiteral("Tallowbrook Processing");

const QColor PaleBlue(192, 224, 255);

// Heights of the screen, in twips.
constexpr int CollapsedHeight = 3500;
constexpr int FullHeight = 8655;
constexpr int DesignWidth = 11025;

enum class Action {
    Tenderising,
    MinuteSteaks,
    ExtraBoning,
    CureProducts,
    Sausage,
    PaperWrapp,
    FajitaStrips,
    Slicing,
    PorkCuring,
    PorkSausage,
    Cutlets,
    Cooling,
    Quartering,
};

// The extra services: check box index, caption, column, whether the database
// flag must be ticked, and the service's action. The weight field and the
// charge field follow from the index and the column.
struct Service {
    int index;
    const char* caption;
    bool pork;
    bool needsPriceList;
    Action action;

    int weightField() const { return pork ? index + 10 : index + 9; }
    int chargeField() const { return pork ? index + 17 : index; }
    int row() const { return pork ? index - 9 : index; }
};

constexpr Service Services[] = {
    {0, "Tenderising", false, false, Action::Tenderising},
    {1, "Minute Steaks", false, false, Action::MinuteSteaks},
    {2, "ExtraBoning", false, false, Action::ExtraBoning},
    {3, "Curing", false, false, Action::CureProducts},
    {4, "Sausage", false, true, Action::Sausage},
    {5, "Paper Wrapp", false, false, Action::PaperWrapp},
    {6, "Fajita Strips", false, true, Action::FajitaStrips},
    {7, "Slicing", false, true, Action::Slicing},
    {9, "Curing", true, true, Action::PorkCuring},
    {10, "Sausage", true, true, Action::PorkSausage},
    {11, "Cutlets", true, true, Action::Cutlets},
    {12, "Cooling", true, true, Action::Cooling},
    {13, "Quartering", true, true, Action::Quartering},
};

const Service* serviceAt(int index)
{
    for (const Service& s : Services)
        if (s.index == index)
            return &s;
    return nullptr;
}

// Services figured from the hanging weight: refigured when it changes.
constexpr int WeightServices[] = {0, 1, 5, 12};
constexpr int PaperWrappService = 5;
constexpr int QuarteringService = 13;
// The sausage row's charge mixes the prices of several kinds: it has no one rate.
constexpr int SausageCharge = 4;
// The beef cure products: figured on this screen from the hanging weight.
constexpr int CureProductsService = 3;
// Services whose worksheet figures the row from the hanging weight: the row is
// marked as stale when the hanging weight changes.
constexpr int HangingWorksheetServices[] = {6, 7, 9, 10, 11};

// A row figured for another hanging weight: not an error, so not the invalid
// mark's pale red.
const char* const StaleProperty = "stale";
const QColor StaleColour(255, 236, 170);

// Paints the stale mark of a field (its "stale" property and the reason in
// "staleReason"), or takes it away. While the field is marked as invalid that
// mark shows; this one comes back when the invalid mark goes.
void showStaleLook(QLineEdit* field)
{
    if (IsMarkedInvalid(field))
        return;
    const bool stale = field->property(StaleProperty).toBool();
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base,
                     stale ? StaleColour : field->parentWidget()->palette().color(QPalette::Base));
    if (palette != field->palette())
        field->setPalette(palette);
    field->setToolTip(stale ? field->property("staleReason").toString() : QString());
}

constexpr int BeefChargeFirst = 0, BeefChargeLast = 7;
constexpr int PorkChargeFirst = 26, PorkChargeLast = 30;

const char* const CureProducts[R::CureProductCount] = {
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

} // namespace

EstimateScreen::EstimateScreen(QString priceListPath, QWidget* parent)
    : QWidget(parent)
    , priceList_(std::make_unique<PriceList>(std::move(priceListPath)))
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

void EstimateScreen::buildTopBand()
{
    const auto field = [this](const char* name) {
        auto* edit = new QLineEdit(QStringLiteral("0"), this);
        edit->setObjectName(QLatin1String(name));
        MarkInvalidWhile(edit, R::FigureProblem);
        return edit;
    };
    const auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };

    check2_ = new QCheckBox(this);
    check2_->setObjectName(QStringLiteral("Check2"));
    PlaceTwips(check2_, 120, 120, 300, 300);
    connect(check2_, &QCheckBox::clicked, this, &EstimateScreen::onFlagClicked);
    // The tool tip names the file the prices come from, or the one looked for.
    connect(check2_, &QCheckBox::toggled, this, &EstimateScreen::showFlagTip);
    connect(check2_, &QCheckBox::clicked, this, &EstimateScreen::showFlagTip);

    PlaceTwips(label("Label5", QStringLiteral("Total Estimated Price")), 5880, 150, 2300, 300);
    text5_ = field("Text5");
    text5_->setReadOnly(true); // the total is figured, never typed
    QPalette pale = text5_->palette();
    pale.setColor(QPalette::Base, PaleBlue);
    text5_->setPalette(pale);
    PlaceTwips(text5_, 8280, 120, 1695, 345);

    option1_ = new QRadioButton(QStringLiteral("Beef"), this);
    option2_ = new QRadioButton(QStringLiteral("Pork"), this);
    option3_ = new QRadioButton(QStringLiteral("Deer"), this);
    option1_->setObjectName(QStringLiteral("Option1"));
    option2_->setObjectName(QStringLiteral("Option2"));
    option3_->setObjectName(QStringLiteral("Option3"));
    PlaceTwips(option1_, 5880, 600, 1100, 300);
    PlaceTwips(option2_, 7080, 600, 1100, 300);
    PlaceTwips(option3_, 8280, 600, 1100, 300);
    connect(option1_, &QRadioButton::clicked, this, &EstimateScreen::onBeef);
    connect(option2_, &QRadioButton::clicked, this, &EstimateScreen::onPork);
    connect(option3_, &QRadioButton::clicked, this, &EstimateScreen::onDeer);

    label1_ = label("Label1", LiveWeight);
    text1_ = new QLineEdit(QStringLiteral("0"), this);
    text1_->setObjectName(QStringLiteral("Text1"));
    MarkInvalidWhile(text1_, R::WeightProblem);
    SelectAllOnFocus(text1_);
    connect(text1_, &QLineEdit::textChanged, this, &EstimateScreen::onLiveWeightChanged);

    QLabel* label2 = label("Label2", QStringLiteral("Hanging Weight"));
    text2_ = new QLineEdit(QStringLiteral("0"), this);
    text2_->setObjectName(QStringLiteral("Text2"));
    MarkInvalidWhile(text2_, R::WeightProblem);
    connect(text2_, &QLineEdit::textEdited, this, &EstimateScreen::onHangingWeightEdited);
    label6_ = label("Label6", QString());

    QLabel* label3 = label("Label3", QStringLiteral("Processing Charge"));
    text3_ = field("Text3");
    QLabel* label4 = label("Label4", QStringLiteral("Kill Charge"));
    text4_ = field("Text4");
    connect(text3_, &QLineEdit::textEdited, this, &EstimateScreen::fTotal);
    connect(text4_, &QLineEdit::textEdited, this, &EstimateScreen::fTotal);

    const QLabel* captions[] = {label1_, label2, label3, label4};
    QLineEdit* fields[] = {text1_, text2_, text3_, text4_};
    for (int row = 0; row < 4; ++row) {
        PlaceTwips(const_cast<QLabel*>(captions[row]), 240, 630 + row * 480, 1800, 300);
        PlaceTwips(fields[row], 2160, 600 + row * 480, 1335, 345);
    }
    PlaceTwips(label6_, 3540, 1110, 2340, 300);

    command1_ = new QPushButton(QStringLiteral("Click To Add Other Charges"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(command1_, 5880, 1980, 3000, 420);
    connect(command1_, &QPushButton::clicked, this, &EstimateScreen::onExpand);

    // The shop's own tools, in the free corner of the top band.
    auto* priceListButton = new QPushButton(QStringLiteral("Price &List..."), this);
    priceListButton->setObjectName(QStringLiteral("cmdPriceList"));
    priceListButton->setToolTip(QStringLiteral("See and change the prices"));
    PlaceTwips(priceListButton, 9000, 1500, 1900, 420);
    connect(priceListButton, &QPushButton::clicked, this, &EstimateScreen::showPriceList);
    auto* printButton = new QPushButton(QStringLiteral("&Print Estimate..."), this);
    printButton->setObjectName(QStringLiteral("cmdPrint"));
    printButton->setToolTip(QStringLiteral("Print the estimate for the customer, or save it as "
                                           "a PDF file (Ctrl+P)"));
    PlaceTwips(printButton, 9000, 1980, 1900, 420);
    connect(printButton, &QPushButton::clicked, this, &EstimateScreen::printEstimate);
    auto* print = new QShortcut(QKeySequence::Print, this);
    connect(print, &QShortcut::activated, this, &EstimateScreen::printEstimate);

    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    PlaceTwips(line1, 0, 2700, DesignWidth, 60);

    tot_ = new QPushButton(this);
    tot_->setObjectName(QStringLiteral("tot"));
    tot_->setFocusPolicy(Qt::StrongFocus);
    tot_->hide();
    tot_->installEventFilter(this);
}

void EstimateScreen::buildServiceBand()
{
    constexpr int firstRowTop = 3000, rowStep = 540, fieldHeight = 345;
    // Column left edges: weight field, check box, charge field.
    constexpr int beefX[3] = {120, 1200, 3150};
    constexpr int porkX[3] = {4350, 5430, 6980};

    frame1_ = new QFrame(this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setFrameShape(QFrame::Box);
    frame1_->setAutoFillBackground(true);
    QPalette pale = frame1_->palette();
    pale.setColor(QPalette::Window, PaleBlue);
    frame1_->setPalette(pale);
    PlaceTwips(frame1_, porkX[0] - 90, firstRowTop + 3 * rowStep - 90, 10800 - porkX[0],
               2 * rowStep + 60);
    frame1_->hide();
    label7_ = new QLabel(QStringLiteral("Only Applies When We Dont Process The Pork"), frame1_);
    label7_->setObjectName(QStringLiteral("Label7"));
    label7_->setWordWrap(true);
    PlaceTwips(label7_, 3800, 150, 2500, 800);
    label7_->hide();

    for (const Service& s : Services) {
        const int* x = s.pork ? porkX : beefX;
        const int top = firstRowTop + s.row() * rowStep;
        auto* box = new QCheckBox(QLatin1String(s.caption), this);
        box->setObjectName(indexed("Check1", s.index));
        PlaceTwips(box, x[1], top, x[2] - x[1] - 60, fieldHeight);
        // Cooling and Quartering stand on the pale blue frame, which shows through.
        box->hide();
        check1_[s.index] = box;
        connect(box, &QCheckBox::toggled, this, [this, i = s.index] { onServiceToggled(i); });

        const int width = 1000;
        for (const int f : {s.weightField(), s.chargeField()}) {
            auto* edit = new QLineEdit(QStringLiteral("0"), this);
            edit->setObjectName(indexed("Text6", f));
            MarkInvalidWhile(edit, R::FigureProblem);
            PlaceTwips(edit, f == s.weightField() ? x[0] : x[2], top, width, fieldHeight);
            edit->hide();
            text6_[f] = edit;
        }
        // A charge typed by hand counts at once.
        connect(text6_[s.chargeField()], &QLineEdit::textEdited, this, &EstimateScreen::fTotal);
    }
    frame1_->lower();

    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const char* product : CureProducts)
        list1_->addItem(QLatin1String(product));
    PlaceTwips(list1_, 8200, firstRowTop, 2700, 1500);
    list1_->hide();
    connect(list1_, &QListWidget::itemSelectionChanged, this,
            &EstimateScreen::onCureProductsChanged);

    // A worksheet's row is marked while the hanging weight differs from the one
    // it was figured for; its look follows the fields' own marks.
    connect(text2_, &QLineEdit::textChanged, this, &EstimateScreen::markStaleRows);
    for (const int index : HangingWorksheetServices) {
        const Service* s = serviceAt(index);
        connect(check1_[index], &QCheckBox::toggled, this, &EstimateScreen::markStaleRows);
        for (QLineEdit* edit : {text6_[s->weightField()], text6_[s->chargeField()]})
            connect(edit, &QLineEdit::textChanged, edit, [edit] { showStaleLook(edit); });
    }
}

void EstimateScreen::setHeightTwips(int twips)
{
    // The page holds the band shown; the screen cannot be made smaller than it.
    page_->setFixedSize(TwipsX(this, DesignWidth), TwipsY(this, twips));
    FitToPage(this);
}

// ---------------------------------------------------------------- start-up

void EstimateScreen::startUp()
{
    setHeightTwips(CollapsedHeight);
    weightFactor_ = R::BeefFactor;
    check2_->setChecked(true);
    switch (priceList_->open()) {
    case PriceList::OpenResult::Opened:
        break;
    case PriceList::OpenResult::FileMissing:
        Dialogs::tell(this, StartupNotice);
        check2_->setChecked(false);
        break;
    case PriceList::OpenResult::Unusable:
        // The flag must not claim a price list that is not open.
        Dialogs::warn(this, priceList_->openProblem());
        check2_->setChecked(false);
        break;
    }
    showFlagTip();
}

void EstimateScreen::showFlagTip()
{
    const QString file = QDir::toNativeSeparators(QFileInfo(priceList_->path()).absoluteFilePath());
    QString tip;
    if (priceList_->isOpen())
        tip = flagTicked() ? QStringLiteral("Prices come from %1")
                           : QStringLiteral("The built-in prices are in use; tick the box to "
                                            "take prices from %1");
    else if (!QFileInfo::exists(priceList_->path()))
        tip = QStringLiteral("No price list at %1: the built-in prices are in use");
    else
        tip = QStringLiteral("The price list at %1 could not be opened: the built-in prices "
                             "are in use");
    check2_->setToolTip(tip.arg(file));
}

void EstimateScreen::onFlagClicked(bool checked)
{
    toldWhileTyping_.clear();
    if (!checked || priceList_->isOpen())
        return;
    if (priceList_->open() != PriceList::OpenResult::Opened) {
        check2_->setChecked(false);
        Dialogs::warn(this, QStringLiteral("The price list could not be opened, so the built-in "
                                           "prices stay in use.\n\n%1")
                                .arg(priceList_->openProblem()));
    }
}

// ---------------------------------------------------------------- state

EstimateScreen::Species EstimateScreen::species() const
{
    if (option1_->isChecked())
        return Species::Beef;
    if (option2_->isChecked())
        return Species::Pork;
    if (option3_->isChecked())
        return Species::Deer;
    return Species::None;
}

bool EstimateScreen::flagTicked() const
{
    return check2_->isChecked();
}

bool EstimateScreen::ticked(int service) const
{
    return service >= 0 && service < int(check1_.size()) && check1_[service] &&
           check1_[service]->isChecked();
}

void EstimateScreen::report(const QString& text)
{
    if (typing_) {
        if (toldWhileTyping_.contains(text))
            return;
        toldWhileTyping_.insert(text);
    }
    Dialogs::warn(this, text);
}

std::optional<double> EstimateScreen::lookup(const QString& item)
{
    const CostLookup found = priceList_->lookupCost(item);
    if (!found.found()) {
        report(found.problem);
        return std::nullopt;
    }
    return found.cost;
}

std::optional<double> EstimateScreen::priceOr(const QString& item, double fallback)
{
    return flagTicked() ? lookup(item) : std::optional<double>(fallback);
}

std::optional<double> EstimateScreen::hangingWeight()
{
    const auto value = StrictNumber(text2_->text());
    if (!value)
        report(QStringLiteral("The hanging weight \"%1\" is not a number, so nothing was "
                              "figured from it.")
                   .arg(text2_->text()));
    return value;
}

// ---------------------------------------------------------------- species

void EstimateScreen::onBeef()
{
    chooseSlaughtered(BeefHint, R::BeefFactor, PriceItem::BeefKill, R::FallbackBeefKill);
}

void EstimateScreen::onPork()
{
    chooseSlaughtered(PorkHint, R::PorkFactor, PriceItem::PorkKill, R::FallbackPorkKill);
}

void EstimateScreen::chooseSlaughtered(const QString& hint, double factor, const QString& killItem,
                                       const QString& fallbackKill)
{
    toldWhileTyping_.clear();
    label6_->setText(hint);
    label1_->setText(LiveWeight);
    weightFactor_ = factor;
    if (!flagTicked())
        text4_->setText(fallbackKill);
    else if (const auto cost = lookup(killItem))
        text4_->setText(NumberText(*cost));
    text1_->setFocus();
    refigureTotal();
}

void EstimateScreen::onDeer()
{
    toldWhileTyping_.clear();
    label1_->setText(FieldDressed);
    // The flat deer charge is always looked up: there is no built-in one.
    if (!priceList_->isOpen()) {
        weightFactor_ = R::DeerFactor;
        Dialogs::warn(this, QStringLiteral("The deer charge needs the price list, and no price "
                                           "list is open. Tick the box at the top left to open "
                                           "it."));
        return;
    }
    const auto cost = lookup(PriceItem::Deer);
    if (!cost) {
        weightFactor_ = R::DeerFactor;
        return;
    }
    text3_->setText(NumberText(*cost));
    processingRate_.clear(); // a flat charge
    text4_->setText(QStringLiteral("0"));
    fProcessing();
    weightFactor_ = R::DeerFactor;
    refigureTotal();
}

// ---------------------------------------------------------------- weights

void EstimateScreen::onLiveWeightChanged()
{
    if (text2_->text().isEmpty())
        return;
    const auto live = R::UsableWeight(text1_->text());
    if (!live)
        return; // the field shows that it is not a usable weight
    const QScopedValueRollback<bool> typing(typing_, true);
    text2_->setText(NumberText(*live * weightFactor_));
    refigureFromHangingWeight();
}

void EstimateScreen::onHangingWeightEdited()
{
    if (!R::UsableWeight(text2_->text()) || text2_->text().trimmed().isEmpty())
        return;
    const QScopedValueRollback<bool> typing(typing_, true);
    refigureFromHangingWeight();
}

void EstimateScreen::fProcessing()
{
    if (flagTicked()) {
        const auto cost = lookup(PriceItem::Processing);
        if (!cost || species() == Species::Deer)
            return; // for deer the processing charge is the flat deer charge
        if (const auto hanging = hangingWeight()) {
            text3_->setText(R::Charge(*hanging, *cost));
            processingRate_ = NumberText(*cost);
        }
    } else if (const auto hanging = hangingWeight()) {
        text3_->setText(R::Charge(*hanging, R::FallbackProcessing));
        processingRate_ = NumberText(R::FallbackProcessing);
    }
}

void EstimateScreen::refigureFromHangingWeight()
{
    fProcessing();
    for (const int service : WeightServices)
        if (ticked(service))
            fEstW(service);
    // The cure products are figured here from the list's selection: no
    // worksheet needs opening again, and the top-round answer stands.
    if (ticked(CureProductsService))
        figureCureProducts(false);
    refigureTotal();
}

// ---------------------------------------------------------------- services

void EstimateScreen::onExpand()
{
    toldWhileTyping_.clear();
    setHeightTwips(FullHeight);
    const Species chosen = species();
    if (chosen != Species::Beef && chosen != Species::Pork)
        return;
    for (const Service& s : Services)
        if (s.pork == (chosen == Species::Pork))
            check1_[s.index]->show();
    if (chosen == Species::Pork) {
        frame1_->show();
        label7_->show();
    }
}

void EstimateScreen::onServiceToggled(int index)
{
    toldWhileTyping_.clear();
    const Service* s = serviceAt(index);
    if (!flagTicked() && s->needsPriceList) {
        Dialogs::tell(this, RefusedService);
        fTotal(); // the total follows the box all the same
        return;
    }
    text6_[s->weightField()]->show();
    text6_[s->chargeField()]->show();
    fEstW(index);
    if (index == PaperWrappService && !ticked(index))
        fProcessing(); // back to the ordinary processing price
    refigureTotal();
}

void EstimateScreen::fEstW(int index)
{
    const Service* s = serviceAt(index);
    if (!s) {
        Dialogs::tell(this, UnknownIndex + QString::number(index));
        return;
    }
    switch (s->action) {
    case Action::Tenderising:
    case Action::MinuteSteaks: {
        const bool tender = s->action == Action::Tenderising;
        const auto hanging = hangingWeight();
        const auto price = hanging
                               ? priceOr(PriceItem::MinuteSteaks,
                                         tender ? R::FallbackTenderising : R::FallbackMinuteSteaks)
                               : std::nullopt;
        if (!price)
            return;
        const R::ServiceFigure figure =
            tender ? R::Tenderising(*hanging, *price) : R::MinuteSteaks(*hanging, *price);
        text6_[s->weightField()]->setText(figure.weight);
        text6_[s->chargeField()]->setText(figure.charge);
        serviceRates_[s->chargeField()] = NumberText(*price);
        return;
    }
    case Action::PaperWrapp: {
        const auto hanging = hangingWeight();
        const auto price =
            hanging ? priceOr(PriceItem::PaperWrapp, R::FallbackPaperWrapp) : std::nullopt;
        if (!price)
            return;
        // The paper wrap replaces the processing price: its cost is carried by
        // the processing charge, not by the row's own charge.
        text3_->setText(R::Charge(*hanging, *price));
        processingRate_ = NumberText(*price);
        text5_->setText(NumberText(LeadingNumber(text3_->text()) + LeadingNumber(text4_->text())));
        text6_[s->chargeField()]->setText(QStringLiteral("0"));
        text6_[s->weightField()]->setText(text3_->text());
        return;
    }
    case Action::Cooling: {
        const auto hanging = hangingWeight();
        const auto price = hanging ? lookup(PriceItem::Cooling) : std::nullopt;
        if (!price)
            return;
        const R::ServiceFigure figure = R::Cooling(text2_->text(), *hanging, *price);
        text6_[s->weightField()]->setText(figure.weight);
        text6_[s->chargeField()]->setText(figure.charge);
        serviceRates_[s->chargeField()] = NumberText(*price);
        return;
    }
    case Action::Quartering:
        Dialogs::tell(this, QuarteringNotice);
        return;
    case Action::CureProducts:
        list1_->show();
        list1_->setFocus();
        return;
    case Action::PorkCuring:
        wrkdsht::CureItem() = PriceItem::Curing;
        showWorksheetFor(index);
        return;
    case Action::PorkSausage:
        wrkdsht::CureItem() = PriceItem::SausageSeasoning;
        showWorksheetFor(index);
        return;
    case Action::Cutlets:
        wrkdsht::CureItem() = PriceItem::MinuteSteaks;
        showWorksheetFor(index);
        return;
    case Action::ExtraBoning:
    case Action::Sausage:
    case Action::FajitaStrips:
    case Action::Slicing:
        showWorksheetFor(index);
        return;
    }
}

namespace {

// Shows a worksheet's single instance, creating it when there is none. It is
// discarded when it closes, so the next showing starts afresh. A new one opens
// beside the Estimate screen, clear of its total, and scrolls when the screen
// is too small for it; Enter presses its buttons and Escape closes it.
template <typename Make>
void showSingle(QPointer<QWidget>& slot, const QWidget* owner, const QRect& total, Make make)
{
    if (slot && !slot->isVisible())
        slot = nullptr; // closed: its deletion is still to come
    if (!slot) {
        slot = make();
        slot->setAttribute(Qt::WA_DeleteOnClose);
        ScrollingPage(slot);
        EnterPressesButtons(slot);
        EscapeCloses(slot);
        PlaceBeside(slot, owner, total);
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
}

} // namespace

void EstimateScreen::showWorksheetFor(int service)
{
    const auto onScreen = [](const QWidget* w) {
        return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    };
    const QRect total = onScreen(findChild<QLabel*>(QStringLiteral("Label5"))) | onScreen(text5_);
    switch (service) {
    case 2: // ExtraBoning: frmEB
        showSingle(worksheets_[ExtraBoningSheet], this, total,
                   [this] { return new ExtraBoningWorksheet(*this, this); });
        break;
    case 4: // Sausage: frmWsEst
        showSingle(worksheets_[SausageSheet], this, total,
                   [this] { return new SausageWorksheet(*this, this); });
        break;
    case 6: // Fajita Strips: frmFajita
        showSingle(worksheets_[FajitaSheet], this, total,
                   [this] { return CutWorksheet::fajita(*this, this); });
        break;
    case 7: // Slicing: frmJerky
        showSingle(worksheets_[JerkySheet], this, total,
                   [this] { return CutWorksheet::jerky(*this, this); });
        break;
    case 9:
    case 10:
    case 11: // pork Curing, Sausage, Cutlets: frmCure, in the role CureItem names
        showSingle(worksheets_[CureSheet], this, total,
                   [this] { return new CuringWorksheet(*this, this); });
        break;
    }
}

bool EstimateScreen::roundBeefCharges()
{
    std::array<double, BeefChargeLast + 1> charges{};
    for (int row = BeefChargeFirst; row <= BeefChargeLast; ++row) {
        if (!ticked(row) || text6_[row]->text().trimmed().isEmpty())
            continue; // nothing to round: it counts as 0 in the total
        const auto value = StrictNumber(text6_[row]->text());
        if (!value) {
            report(QStringLiteral("The %1 charge \"%2\" is not a number, so the charges were not "
                                  "rounded to cents. Type a number in it or untick the service.")
                       .arg(QLatin1String(serviceAt(row)->caption), text6_[row]->text()));
            return false;
        }
        charges[row] = *value;
    }
    for (int row = BeefChargeFirst; row <= BeefChargeLast; ++row)
        if (ticked(row) && !text6_[row]->text().trimmed().isEmpty())
            text6_[row]->setText(R::WholeCents(charges[row]));
    return true;
}

void EstimateScreen::refigureTotal()
{
    roundBeefCharges();
    fTotal();
}

void EstimateScreen::fTotal()
{
    QStringList beef, pork;
    for (int row = BeefChargeFirst; row <= BeefChargeLast; ++row) {
        if (!ticked(row))
            setChangedText(text6_[row], QStringLiteral("0"));
        beef << text6_[row]->text();
    }
    for (int row = PorkChargeFirst; row <= PorkChargeLast; ++row) {
        if (!ticked(row - 17))
            setChangedText(text6_[row], QStringLiteral("0"));
        pork << text6_[row]->text();
    }
    setChangedText(text5_, R::Total(text4_->text(), text3_->text(), beef, pork));
}

// ---------------------------------------------------------------- cure products

void EstimateScreen::onCureProductsChanged()
{
    toldWhileTyping_.clear();
    if (R::TooManyBriskets(SelectedRows<R::CureProductCount>(list1_))) {
        text6_[serviceAt(CureProductsService)->weightField()]->setText(QStringLiteral("0"));
        Dialogs::tell(this, TooManyBriskets);
        const QSignalBlocker quiet(list1_);
        for (const int i : {R::BeefBaconBrisket, R::CornedBeefBrisket, R::BbqBrisket})
            list1_->item(i)->setSelected(false);
    }
    // What is selected now is figured, so that the pounds and the charge agree.
    figureCureProducts(true);
    refigureTotal();
}

void EstimateScreen::figureCureProducts(bool mayAsk)
{
    const R::CureSelection selected = SelectedRows<R::CureProductCount>(list1_);
    const Service* row = serviceAt(CureProductsService);
    const auto hanging = hangingWeight();
    if (!hanging)
        return;
    if (selected[R::CornedBeefRound] && !cornedRoundAsked_ && mayAsk) {
        topRoundOnly_ =
            Dialogs::askYesNo(this, TopRoundQuestion, TopRoundTitle, QMessageBox::Question);
        cornedRoundAsked_ = true;
    }
    if (!selected[R::CornedBeefRound])
        cornedRoundAsked_ = false; // asked again when it is selected again
    const QString cured = R::CuredPounds(*hanging, selected, topRoundOnly_);
    const auto price = priceOr(PriceItem::Curing, R::FallbackCuring);
    if (!price)
        return;
    text6_[row->weightField()]->setText(cured);
    text6_[row->chargeField()]->setText(R::Charge(*StrictNumber(cured), *price));
    serviceRates_[row->chargeField()] = NumberText(*price);
}

// ---------------------------------------------------------------- worksheets' view

QString EstimateScreen::hangingWeightText() const
{
    return text2_->text();
}

bool EstimateScreen::priceListFlag() const
{
    return flagTicked();
}

QString EstimateScreen::priceListPath() const
{
    return priceList_->path();
}

void EstimateScreen::writeServiceRow(int weightField, const QString& weight, int chargeField,
                                     const QString& charge)
{
    if (QLineEdit* field = text6_.at(weightField))
        field->setText(weight);
    if (QLineEdit* field = text6_.at(chargeField))
        field->setText(charge);
    serviceRates_.at(chargeField) = R::RateOf(weight, charge, chargeField != SausageCharge);
    // A row figured from the hanging weight remembers the one it was figured for.
    for (const int index : HangingWorksheetServices)
        if (serviceAt(index)->chargeField() == chargeField)
            figuredFor_.at(chargeField) =
                StrictNumber(text2_->text()) ? text2_->text().trimmed() : QString();
    markStaleRows();
    fTotal();
}

namespace {

bool sameWeight(const QString& a, const QString& b)
{
    const auto x = StrictNumber(a), y = StrictNumber(b);
    return x && y ? *x == *y : a.trimmed() == b.trimmed();
}

// A row by its caption; "pork Curing", "pork Sausage" where beef has the same.
QString rowCaption(const Service& s)
{
    return (s.pork ? QStringLiteral("pork ") : QString()) + QLatin1String(s.caption);
}

QString fieldCaption(const Service& s, const char* which)
{
    return rowCaption(s) + QLatin1Char(' ') + QLatin1String(which);
}

} // namespace

void EstimateScreen::markStaleRows()
{
    for (const int index : HangingWorksheetServices) {
        const Service* s = serviceAt(index);
        QString& figured = figuredFor_[s->chargeField()];
        if (!ticked(index))
            figured.clear(); // unticked: its figures no longer count
        const bool stale = !figured.isEmpty() && !sameWeight(figured, text2_->text());
        const QString reason =
            stale ? QStringLiteral("Figured for a hanging weight of %1 lb; open the worksheet "
                                   "again")
                        .arg(figured)
                  : QString();
        for (QLineEdit* field : {text6_[s->weightField()], text6_[s->chargeField()]}) {
            if (field->property(StaleProperty).toBool() == stale &&
                field->property("staleReason").toString() == reason)
                continue;
            field->setProperty(StaleProperty, stale);
            field->setProperty("staleReason", reason);
            showStaleLook(field);
        }
    }
}

QStringList EstimateScreen::staleRows() const
{
    QStringList rows;
    for (const int index : HangingWorksheetServices) {
        const Service* s = serviceAt(index);
        if (text6_[s->chargeField()]->property(StaleProperty).toBool())
            rows << QStringLiteral("%1, figured for %2 lb")
                        .arg(rowCaption(*s), figuredFor_[s->chargeField()]);
    }
    return rows;
}

void EstimateScreen::refigureTotalThroughTot()
{
    totRan_ = false;
    tot_->show();
    activateWindow();
    tot_->setFocus(Qt::OtherFocusReason);
    if (!totRan_)
        fTotal(); // the window was not active, so the focus did not arrive yet
    text2_->setFocus(Qt::OtherFocusReason);
    tot_->hide();
}

bool EstimateScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tot_ && event->type() == QEvent::FocusIn) {
        totRan_ = true;
        fTotal();
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- the shop's tools

namespace {

PrintedService printedService(Action action)
{
    switch (action) {
    case Action::Tenderising:
        return PrintedService::Tenderising;
    case Action::MinuteSteaks:
        return PrintedService::MinuteSteaks;
    case Action::ExtraBoning:
        return PrintedService::ExtraBoning;
    case Action::CureProducts:
        return PrintedService::BeefCuring;
    case Action::Sausage:
        return PrintedService::Sausage;
    case Action::PaperWrapp:
        return PrintedService::PaperWrapping;
    case Action::FajitaStrips:
        return PrintedService::FajitaStrips;
    case Action::Slicing:
        return PrintedService::SlicingForJerky;
    case Action::PorkCuring:
        return PrintedService::PorkCuring;
    case Action::PorkSausage:
        return PrintedService::SausageSeasoning;
    case Action::Cutlets:
        return PrintedService::Cutlets;
    case Action::Cooling:
        return PrintedService::Cooling;
    case Action::Quartering:
        return PrintedService::Quartering;
    }
    return PrintedService::Quartering; // not reached: every action is named above
}

} // namespace

EstimateSummary EstimateScreen::summary() const
{
    EstimateSummary estimate;
    estimate.shopName = ShopName;
    estimate.date = QDate::currentDate();
    const QRadioButton* chosen = option1_->isChecked()   ? option1_
                                 : option2_->isChecked() ? option2_
                                 : option3_->isChecked() ? option3_
                                                         : nullptr;
    estimate.species = chosen ? chosen->text() : QString();
    estimate.weightCaption = label1_->text();
    estimate.enteredWeight = text1_->text();
    estimate.hangingWeight = text2_->text();
    estimate.killCharge = text4_->text();
    estimate.processingCharge = text3_->text();
    estimate.processingRate = processingRate_;
    for (const Service& s : Services) {
        if (!ticked(s.index))
            continue;
        EstimateLine line{printedService(s.action), text6_[s.weightField()]->text(),
                          serviceRates_[s.chargeField()], text6_[s.chargeField()]->text(),
                          QString()};
        if (s.index == PaperWrappService) {
            line.weight.clear(); // its weight field holds the processing charge
            line.note = QStringLiteral("in the processing charge");
        } else if (s.index == QuarteringService) {
            line.weight.clear();
            line.note = QStringLiteral("no charge beyond processing");
        }
        estimate.services << line;
    }
    estimate.total = text5_->text();
    return estimate;
}

QString EstimateScreen::printRefusal() const
{
    QStringList mend;
    if (species() == Species::None)
        mend << QStringLiteral("Choose Beef, Pork or Deer.");
    QList<std::pair<QString, const QLineEdit*>> fields = {
        {label1_->text(), text1_},
        {QStringLiteral("Hanging Weight"), text2_},
        {QStringLiteral("Processing Charge"), text3_},
        {QStringLiteral("Kill Charge"), text4_},
        {QStringLiteral("Total Estimated Price"), text5_},
    };
    for (const Service& s : Services) {
        fields.append({fieldCaption(s, "weight"), text6_[s.weightField()]});
        fields.append({fieldCaption(s, "charge"), text6_[s.chargeField()]});
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
    toldWhileTyping_.clear();
    const QString refusal = printRefusal();
    if (!refusal.isEmpty()) {
        Dialogs::warn(this, refusal);
        return;
    }
    const QStringList stale = staleRows();
    if (!stale.isEmpty() &&
        !Dialogs::askYesNo(
            this,
            QStringLiteral("These rows were figured for another hanging weight than the one "
                           "shown:\n%1\n\nOpen their worksheets again to figure them anew. "
                           "Print the estimate as it stands?")
                .arg(stale.join(QLatin1Char('\n'))),
            Dialogs::appTitle(), QMessageBox::Question))
        return;
    PrintEstimateWithDialog(this, summary());
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
