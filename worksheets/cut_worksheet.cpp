#include "worksheets/cut_worksheet.h"

#include "estimate/estimate_rules.h"
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

// The screen's client area and its controls, in twips.
constexpr int Width = 4200, Height = 4020;

} // namespace

CutWorksheet::CutWorksheet(R::CutScreenKind kind, Estimate& estimate, WorksheetHost& host,
                           QWidget* parent)
    : QWidget(parent, Qt::Window)
    , figuring_(estimate, kind, dialogs_)
    , host_(host)
{
    const R::CutScreen& design = figuring_.design();
    setObjectName(design.objectName);
    setWindowTitle(design.caption);
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

    totalWeight_ = new QLineEdit(figuring_.total(), this);
    totalWeight_->setObjectName(QStringLiteral("Text1"));
    connect(totalWeight_, &QLineEdit::textEdited, this,
            [this](const QString& text) { figuring_.setTotal(text); });
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
}

CutWorksheet::~CutWorksheet() = default;

void CutWorksheet::onSelectionChanged()
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

void CutWorksheet::onApply()
{
    if (!figuring_.apply())
        return;
    totalWeight_->setText(figuring_.total());
    host_.sheetWritten(figuring_.service());
    close();
}
