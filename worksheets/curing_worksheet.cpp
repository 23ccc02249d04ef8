#include "worksheets/curing_worksheet.h"

#include "core/numbers.h"
#include "estimate/estimate_rules.h"
#include "pricelist/service_price.h"
#include "ui/dialogs.h"
#include "ui/field_cues.h"
#include "ui/list_selection.h"
#include "ui/twips.h"
#include "worksheets/worksheet_host.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>

namespace R = CuringRules;

namespace {

// Texts of the screen, exactly as the shop knows them.
const QString CutletsNotFromBacon =
    QStringLiteral("Sorry You Cannot Make Cutlets Out oF Bellie Meat!");
const QString ApplyCaption = QStringLiteral("&Apply");

// Problems that the clerk can mend.
const QString CutsTooHeavy =
    QStringLiteral("The weight of these cuts is too large to figure from the hanging weight "
                   "\"%1\". Correct the hanging weight, then click a cut again.");
const QString NotApplied = QStringLiteral(
    "Nothing was written to the estimate. %1 Select the cuts again or type the total weight "
    "in pounds.");
const QString NoPrice =
    QStringLiteral("Nothing was written to the estimate, because the price of \"%1\" could not "
                   "be found in the price list.\n\n%2");

// The design, in twips: the list fills the upper part, the total field sits
// under it at the left and the Apply button at the right.
constexpr int ClientWidth = 4600;
constexpr int ClientHeight = 4440;

} // namespace

CuringWorksheet::CuringWorksheet(WorksheetHost& host, ServiceId service, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , host_(host)
    , role_(*R::RoleFor(service))
    , service_(Service(service))
{
    setObjectName(QStringLiteral("frmCure"));

    cuts_ = new QListWidget(this);
    cuts_->setObjectName(QStringLiteral("List1"));
    cuts_->setSelectionMode(QAbstractItemView::MultiSelection);
    PlaceTwips(cuts_, 120, 120, ClientWidth - 240, 3480);

    totalWeight_ = new QLineEdit(QStringLiteral("0"), this);
    totalWeight_->setObjectName(QStringLiteral("Text1"));
    PlaceTwips(totalWeight_, 120, 3825, 1800, 375);
    MarkInvalidWhile(totalWeight_, R::TotalProblem);
    SelectAllOnFocus(totalWeight_);

    applyButton_ = new QPushButton(ApplyCaption, this);
    applyButton_->setObjectName(QStringLiteral("cmdApply"));
    PlaceTwips(applyButton_, ClientWidth - 120 - 1575, 3780, 1575, 465);

    setTabOrder(cuts_, totalWeight_);
    setTabOrder(totalWeight_, applyButton_);
    setFixedSize(TwipsX(this, ClientWidth), TwipsY(this, ClientHeight));

    // Load: the price first, then the cuts, then the role's looks.
    price_ = std::make_unique<ServicePrice>(host_.priceListPath(), service_.priceItem,
                                            PriceList::CostStatement::TrailingBlank);
    if (host_.priceListFlag())
        price_->lookUp(); // when there is none, Apply looks for it again and says why

    cuts_->clear();
    for (const R::Cut& cut : R::Cuts)
        cuts_->addItem(QLatin1String(cut.name));

    const R::Role& role = role_;
    setWindowTitle(role.caption);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window,
                     QColor(role.background.red, role.background.green, role.background.blue));
    setPalette(palette);

    connect(cuts_, &QListWidget::itemSelectionChanged, this, &CuringWorksheet::onSelectionChanged);
    connect(applyButton_, &QPushButton::clicked, this, &CuringWorksheet::onApply);
    cuts_->setFocus();
}

CuringWorksheet::~CuringWorksheet() = default;

void CuringWorksheet::onSelectionChanged()
{
    R::CutSelection selected = SelectedRows<R::CutCount>(cuts_);
    if (R::RefusesBacon(role_, selected)) {
        Dialogs::tell(this, CutletsNotFromBacon);
        const QSignalBlocker quiet(cuts_);
        cuts_->item(R::BaconCut)->setSelected(false);
        selected[R::BaconCut] = false;
    }
    if (!R::AnySelected(selected)) {
        totalWeight_->setText(QStringLiteral("0"));
        return;
    }
    const QString hangingText = host_.hangingWeightText();
    QString problem;
    const auto hanging = EstimateRules::ReadHangingWeight(hangingText, &problem);
    if (!hanging) {
        Dialogs::warn(this, problem);
        return;
    }
    const auto total = R::CutTotal(*hanging, selected);
    if (!total) {
        Dialogs::warn(this, CutsTooHeavy.arg(hangingText));
        return;
    }
    totalWeight_->setText(NumberText(*total));
}

std::optional<double> CuringWorksheet::pricePerPound()
{
    QString problem;
    const auto found = price_->priceOr(host_.priceListFlag(), service_.builtInPrice, &problem);
    if (!found)
        Dialogs::warn(this, NoPrice.arg(service_.priceItem, problem));
    return found;
}

void CuringWorksheet::onApply()
{
    const QString problem = R::TotalProblem(totalWeight_->text());
    if (!problem.isEmpty()) {
        Dialogs::warn(this, NotApplied.arg(problem));
        return;
    }
    const std::int64_t pounds = *R::WholePounds(totalWeight_->text());
    const auto price = pricePerPound();
    if (!price)
        return; // the clerk was told; nothing has changed
    totalWeight_->setText(R::PoundsText(pounds));
    host_.writeService(service_.id, totalWeight_->text(), R::Charge(pounds, *price));
    host_.refigureTotalThroughTot();
    close();
}
