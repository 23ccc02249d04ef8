#include "worksheets/extra_boning_worksheet.h"

#include "core/numbers.h"
#include "estimate/estimate_rules.h"
#include "estimate/extra_boning_rules.h"
#include "pricelist/price_items.h"
#include "pricelist/service_price.h"
#include "ui/dialogs.h"
#include "ui/field_cues.h"
#include "ui/twips.h"
#include "worksheets/worksheet_host.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace R = ExtraBoningRules;

namespace {

// Texts of the screen, exactly as the shop knows them.
const QString Caption = QStringLiteral("Extra Boning Worksheet");
const QString DoneCaption = QStringLiteral("Done");
// The cut boxes: 0 to 7 down the left column, 8 to 15 down the right. The
// two "T-Bone" boxes count each by itself.
const char* const Cuts[16] = {
    "Short Ribs", "Boiling Beef", "Soup Bones",       "RibSteak",    "Chuck Steak", "Chuck Roast",
    "Arm Roast",  "Sirloin Tip",  "T-Bone",           "Porterhouse", "Round Steak", "Sirloin Steak",
    "T-Bone",     "Rump Roast",   "Pikes Peak Roast", "Stew Meat",
};

// What the clerk is told when something stands in the way.
const QString WeightNotANumberAtClick = QStringLiteral(
    "The weight to bone \"%1\" is not a number that can be figured, so this cut was not counted. "
    "Type a number of pounds in it.");
const QString WeightNotANumberAtDone = QStringLiteral(
    "The weight to bone \"%1\" is not a number that can be figured, so nothing was written to the "
    "estimate. Type a number of pounds, then press Done again.");
const QString WeightTooLarge = QStringLiteral("The weight to bone \"%1\" is too large to be "
                                              "figured. Type a smaller number of pounds.");
const QString NoPrice = QStringLiteral("%1\n\nThe extra boning charge cannot be figured, so "
                                       "nothing was written to the estimate.");

// The screen's client area and its controls, in twips.
constexpr int Width = 5040, Height = 3960;
constexpr int ColumnLeft[2] = {240, 2640};
constexpr int BoxTop = 240, BoxStep = 360, BoxWidth = 2280, BoxHeight = 300;

} // namespace

ExtraBoningWorksheet::ExtraBoningWorksheet(WorksheetHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , host_(host)
{
    setObjectName(QStringLiteral("frmEB"));
    setWindowTitle(Caption);

    for (int i = 0; i < int(cutBoxes_.size()); ++i) {
        auto* box = new QCheckBox(QLatin1String(Cuts[i]), this);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        PlaceTwips(box, ColumnLeft[i / 8], BoxTop + (i % 8) * BoxStep, BoxWidth, BoxHeight);
        connect(box, &QCheckBox::toggled, this, &ExtraBoningWorksheet::onCutClicked);
        cutBoxes_[i] = box;
    }

    const int below = BoxTop + 8 * BoxStep + 120;
    weightToBone_ = new QLineEdit(QStringLiteral("0"), this);
    weightToBone_->setObjectName(QStringLiteral("Text1"));
    SelectAllOnFocus(weightToBone_);
    MarkInvalidWhile(weightToBone_, EstimateRules::PoundsProblem);
    PlaceTwips(weightToBone_, ColumnLeft[0], below, 1455, 345);

    doneButton_ = new QPushButton(DoneCaption, this);
    doneButton_->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(doneButton_, Width - 1440, Height - 585, 1200, 465);
    connect(doneButton_, &QPushButton::clicked, this, &ExtraBoningWorksheet::onDone);

    setFixedSize(TwipsX(this, Width), TwipsY(this, Height));

    // With the database flag ticked, the price is looked up as the screen
    // loads and kept for "Done".
    price_ = std::make_unique<ServicePrice>(host_.priceListPath(),
                                            Service(ServiceId::ExtraBoning).priceItem,
                                            PriceList::CostStatement::WideFrom);
    if (host_.priceListFlag())
        price_->lookUp();
}

ExtraBoningWorksheet::~ExtraBoningWorksheet() = default;

std::optional<double> ExtraBoningWorksheet::price()
{
    QString problem;
    const auto found = price_->priceOr(host_.priceListFlag(),
                                       Service(ServiceId::ExtraBoning).builtInPrice, &problem);
    if (!found)
        Dialogs::warn(this, NoPrice.arg(problem));
    return found;
}

void ExtraBoningWorksheet::onCutClicked(bool ticked)
{
    const QString text = weightToBone_->text();
    const auto weight = StrictNumber(text);
    if (!weight) {
        Dialogs::warn(this, WeightNotANumberAtClick.arg(text));
        return;
    }
    const auto next = R::AfterCutClicked(*weight, ticked);
    if (!next) {
        Dialogs::warn(this, WeightTooLarge.arg(text));
        return;
    }
    weightToBone_->setText(*next);
}

void ExtraBoningWorksheet::onDone()
{
    const QString text = weightToBone_->text();
    const auto weight = StrictNumber(text);
    if (!weight) {
        Dialogs::warn(this, WeightNotANumberAtDone.arg(text));
        return;
    }
    // The price comes first, so that nothing changes when there is none.
    const auto pricePerPound = price();
    if (!pricePerPound)
        return;
    const auto figure = R::DoubledAndPriced(*weight, *pricePerPound);
    if (!figure) {
        Dialogs::warn(this, WeightTooLarge.arg(text));
        return;
    }
    weightToBone_->setText(figure->weight);
    host_.writeService(ServiceId::ExtraBoning, weightToBone_->text(), figure->charge);
    close();
}
