#include "worksheets/curing_worksheet.h"

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
const QString ApplyCaption = QStringLiteral("&Apply");

// The design, in twips: the list fills the upper part, the total field sits
// under it at the left and the Apply button at the right.
constexpr int ClientWidth = 4600;
constexpr int ClientHeight = 4440;

} // namespace

CuringWorksheet::CuringWorksheet(Estimate& estimate, WorksheetHost& host, ServiceId service,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window)
    , figuring_(estimate, service, dialogs_)
    , host_(host)
{
    setObjectName(QStringLiteral("frmCure"));

    cuts_ = new QListWidget(this);
    cuts_->setObjectName(QStringLiteral("List1"));
    cuts_->setSelectionMode(QAbstractItemView::MultiSelection);
    PlaceTwips(cuts_, 120, 120, ClientWidth - 240, 3480);

    totalWeight_ = new QLineEdit(figuring_.total(), this);
    totalWeight_->setObjectName(QStringLiteral("Text1"));
    connect(totalWeight_, &QLineEdit::textEdited, this,
            [this](const QString& text) { figuring_.setTotal(text); });
    PlaceTwips(totalWeight_, 120, 3825, 1800, 375);
    MarkInvalidWhile(totalWeight_, R::TotalProblem);
    SelectAllOnFocus(totalWeight_);

    applyButton_ = new QPushButton(ApplyCaption, this);
    applyButton_->setObjectName(QStringLiteral("cmdApply"));
    PlaceTwips(applyButton_, ClientWidth - 120 - 1575, 3780, 1575, 465);

    setTabOrder(cuts_, totalWeight_);
    setTabOrder(totalWeight_, applyButton_);
    setFixedSize(TwipsX(this, ClientWidth), TwipsY(this, ClientHeight));

    // Load: the cuts, then the role's looks.
    cuts_->clear();
    for (const R::Cut& cut : R::Cuts)
        cuts_->addItem(QLatin1String(cut.name));

    const R::Role& role = figuring_.role();
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
    const R::CutSelection shown = figuring_.select(SelectedRows<R::CutCount>(cuts_));
    {
        const QSignalBlocker quiet(cuts_);
        for (int cut = 0; cut < R::CutCount; ++cut)
            if (cuts_->item(cut)->isSelected() != shown[cut])
                cuts_->item(cut)->setSelected(shown[cut]);
    }
    totalWeight_->setText(figuring_.total());
}

void CuringWorksheet::onApply()
{
    if (!figuring_.apply())
        return;
    totalWeight_->setText(figuring_.total());
    host_.sheetWritten(figuring_.service());
    host_.refigureTotalThroughTot();
    close();
}
