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

    auto* label1 = new QLabel(ListCaption, this);
    label1->setObjectName(QStringLiteral("Label1"));
    PlaceTwips(label1, 120, 120, Width - 240, 285);

    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const char* cut : R::CutNames)
        list1_->addItem(QLatin1String(cut));
    PlaceTwips(list1_, 120, 450, Width - 240, 2550);
    connect(list1_, &QListWidget::itemSelectionChanged, this, &CutWorksheet::onSelectionChanged);

    auto* label2 = new QLabel(TotalCaption, this);
    label2->setObjectName(QStringLiteral("Label2"));
    PlaceTwips(label2, 120, 3120, 2280, 285);

    text1_ = new QLineEdit(QStringLiteral("0"), this);
    text1_->setObjectName(QStringLiteral("Text1"));
    SelectAllOnFocus(text1_);
    MarkInvalidWhile(text1_, EstimateRules::PoundsProblem);
    PlaceTwips(text1_, 120, 3450, 1695, 345);

    apply_ = new QPushButton(ApplyCaption, this);
    apply_->setObjectName(QStringLiteral("cmdFigure"));
    PlaceTwips(apply_, Width - 1440, 3330, 1320, 465);
    connect(apply_, &QPushButton::clicked, this, &CutWorksheet::onApply);

    // The Apply button first, so it has the focus when the screen opens.
    setTabOrder(apply_, list1_);
    setTabOrder(list1_, text1_);
    apply_->setFocus();

    setFixedSize(TwipsX(this, Width), TwipsY(this, Height));

    // Each screen prices on a connection of its own, opened as it loads.
    price_->open();
}

CutWorksheet::~CutWorksheet() = default;

void CutWorksheet::onSelectionChanged()
{
    R::CutSelection selected = SelectedRows<R::CutCount>(list1_);
    if (R::FullRoundConflict(selected)) {
        Dialogs::tell(this, FullRoundMessage);
        selected = R::FullRoundWins(selected);
        const QSignalBlocker quiet(list1_);
        for (const int part : R::PartRounds)
            list1_->item(part)->setSelected(false);
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
    text1_->setText(R::RunningTotal(selected, hanging, design_.sirloinShare));
}

void CutWorksheet::onApply()
{
    const QString total = text1_->text();
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
