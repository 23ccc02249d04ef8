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

    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setSelectionMode(QAbstractItemView::MultiSelection);
    PlaceTwips(list1_, 120, 120, ClientWidth - 240, 3480);

    text1_ = new QLineEdit(QStringLiteral("0"), this);
    text1_->setObjectName(QStringLiteral("Text1"));
    PlaceTwips(text1_, 120, 3825, 1800, 375);
    MarkInvalidWhile(text1_, R::TotalProblem);
    SelectAllOnFocus(text1_);

    cmdApply_ = new QPushButton(ApplyCaption, this);
    cmdApply_->setObjectName(QStringLiteral("cmdApply"));
    PlaceTwips(cmdApply_, ClientWidth - 120 - 1575, 3780, 1575, 465);

    setTabOrder(list1_, text1_);
    setTabOrder(text1_, cmdApply_);
    setFixedSize(TwipsX(this, ClientWidth), TwipsY(this, ClientHeight));

    // Load: the price first, then the cuts, then the role's looks.
    price_ = std::make_unique<ServicePrice>(host_.priceListPath(), service_.priceItem,
                                            PriceList::CostStatement::TrailingBlank);
    if (host_.priceListFlag())
        price_->lookUp(); // when there is none, Apply looks for it again and says why

    list1_->clear();
    for (const R::Cut& cut : R::Cuts)
        list1_->addItem(QLatin1String(cut.name));

    const R::Role& role = role_;
    setWindowTitle(role.caption);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window,
                     QColor(role.background.red, role.background.green, role.background.blue));
    setPalette(palette);

    connect(list1_, &QListWidget::itemSelectionChanged, this, &CuringWorksheet::onSelectionChanged);
    connect(cmdApply_, &QPushButton::clicked, this, &CuringWorksheet::onApply);
    list1_->setFocus();
}

CuringWorksheet::~CuringWorksheet() = default;

void CuringWorksheet::onSelectionChanged()
{
    R::CutSelection selected = SelectedRows<R::CutCount>(list1_);
    if (R::RefusesBacon(role_, selected)) {
        Dialogs::tell(this, CutletsNotFromBacon);
        const QSignalBlocker quiet(list1_);
        list1_->item(R::BaconCut)->setSelected(false);
        selected[R::BaconCut] = false;
    }
    if (!R::AnySelected(selected)) {
        text1_->setText(QStringLiteral("0"));
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
    text1_->setText(NumberText(*total));
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
    const QString problem = R::TotalProblem(text1_->text());
    if (!problem.isEmpty()) {
        Dialogs::warn(this, NotApplied.arg(problem));
        return;
    }
    const std::int64_t pounds = *R::WholePounds(text1_->text());
    const auto price = pricePerPound();
    if (!price)
        return; // the clerk was told; nothing has changed
    text1_->setText(R::PoundsText(pounds));
    host_.writeService(service_.id, text1_->text(), R::Charge(pounds, *price));
    host_.refigureTotalThroughTot();
    close();
}
