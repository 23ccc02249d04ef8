#include "worksheets/cut_worksheet.h"

#include "core/numbers.h"
#include "estimate/estimate_rules.h"
#include "pricelist/service_price.h"
#include "ui/dialogs.h"
#include "ui/field_cues.h"
#include "ui/list_selection.h"
#include "ui/twips.h"
#include "worksheets/worksheet_host.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

namespace R = CutRules;

namespace {

// Texts of the screen, exactly as the shop knows them (the labels read the
// same on both screens).
const QString ListCaption = QStringLiteral("Select Cuts To Make Fajita Out Of");
const QString TotalCaption = QStringLiteral("Total Fajita weight");
const QString ApplyCaption = QStringLiteral("&Apply");
const QString FullRoundMessage =
    QStringLiteral("Can't make current selection with full round selected");

// What the clerk is told when something stands in the way.
const QString TotalNotANumber = QStringLiteral(
    "The total weight \"%1\" is not a number that can be figured, so nothing was written to the "
    "estimate. Type a number of pounds, or pick the cuts again.");
const QString NoPrice = QStringLiteral("%1\n\nNothing was written to the estimate.");
const QString TooLarge = QStringLiteral("The total weight %1 at %2 a pound is too large to be "
                                        "figured, so nothing was written to the estimate.");

// The screen's client area and its controls, in twips.
constexpr int Width = 4200, Height = 4020;

} // namespace

CutWorksheet* CutWorksheet::jerky(WorksheetHost& host, QWidget* parent)
{
    return new CutWorksheet(R::CutScreenOf(R::CutScreenKind::Jerky), host, parent);
}

CutWorksheet* CutWorksheet::fajita(WorksheetHost& host, QWidget* parent)
{
    return new CutWorksheet(R::CutScreenOf(R::CutScreenKind::Fajita), host, parent);
}

CutWorksheet::CutWorksheet(const R::CutScreen& design, WorksheetHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , design_(design)
    , host_(host)
    , price_(std::make_unique<ServicePrice>(host.priceListPath(), Service(design.service).priceItem,
                                            PriceList::CostStatement::Plain))
{
    setObjectName(design_.objectName);
    setWindowTitle(design_.caption);

    auto* listHeading = new QLabel(ListCaption, this);
    listHeading->setObjectName(QStringLiteral("Label1"));
    PlaceTwips(listHeading, 120, 120, Width - 240, 285);

    cuts_ = new QListWidget(this);
    cuts_->setObjectName(QStringLiteral("List1"));
    cuts_->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const char* cut : R::CutNames)
        cuts_->addItem(QLatin1String(cut));
    PlaceTwips(cuts_, 120, 450, Width - 240, 2550);
    connect(cuts_, &QListWidget::itemSelectionChanged, this, &CutWorksheet::onSelectionChanged);

    auto* totalHeading = new QLabel(TotalCaption, this);
    totalHeading->setObjectName(QStringLiteral("Label2"));
    PlaceTwips(totalHeading, 120, 3120, 2280, 285);

    totalWeight_ = new QLineEdit(QStringLiteral("0"), this);
    totalWeight_->setObjectName(QStringLiteral("Text1"));
    SelectAllOnFocus(totalWeight_);
    MarkInvalidWhile(totalWeight_, EstimateRules::PoundsProblem);
    PlaceTwips(totalWeight_, 120, 3450, 1695, 345);

    applyButton_ = new QPushButton(ApplyCaption, this);
    applyButton_->setObjectName(QStringLiteral("cmdFigure"));
    PlaceTwips(applyButton_, Width - 1440, 3330, 1320, 465);
    connect(applyButton_, &QPushButton::clicked, this, &CutWorksheet::onApply);

    // The Apply button first, so it has the focus when the screen opens.
    setTabOrder(applyButton_, cuts_);
    setTabOrder(cuts_, totalWeight_);
    applyButton_->setFocus();

    setFixedSize(TwipsX(this, Width), TwipsY(this, Height));

    // Each screen prices on a connection of its own, opened as it loads.
    price_->open();
}

CutWorksheet::~CutWorksheet() = default;

void CutWorksheet::onSelectionChanged()
{
    R::CutSelection selected = SelectedRows<R::CutCount>(cuts_);
    if (R::FullRoundConflict(selected)) {
        Dialogs::tell(this, FullRoundMessage);
        selected = R::FullRoundWins(selected);
        const QSignalBlocker quiet(cuts_);
        for (const int part : R::PartRounds)
            cuts_->item(part)->setSelected(false);
    }

    double hanging = 0;
    if (R::NeedsHangingWeight(selected)) {
        const QString hangingText = host_.hangingWeightText();
        QString problem;
        const auto value = EstimateRules::ReadHangingWeight(hangingText, &problem);
        if (!value) {
            Dialogs::warn(this, problem);
            return;
        }
        hanging = *value;
    }
    totalWeight_->setText(R::RunningTotal(selected, hanging, design_.sirloinShare));
}

void CutWorksheet::onApply()
{
    const QString total = totalWeight_->text();
    const auto weight = StrictNumber(total);
    if (!weight) {
        Dialogs::warn(this, TotalNotANumber.arg(total));
        return;
    }
    QString problem;
    const auto price = price_->current(&problem); // looked up at every Apply
    if (!price) {
        Dialogs::warn(this, NoPrice.arg(problem));
        return;
    }
    const auto charge = R::CutCharge(*weight, *price);
    if (!charge) {
        Dialogs::warn(this, TooLarge.arg(total.trimmed(), NumberText(*price)));
        return;
    }
    host_.writeService(design_.service, total, *charge);
    close();
}
