#include "worksheets/extra_boning_worksheet.h"

#include "estimate/estimate_rules.h"
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

// The screen's client area and its controls, in twips.
constexpr int Width = 5040, Height = 3960;
constexpr int ColumnLeft[2] = {240, 2640};
constexpr int BoxTop = 240, BoxStep = 360, BoxWidth = 2280, BoxHeight = 300;

} // namespace

ExtraBoningWorksheet::ExtraBoningWorksheet(Estimate& estimate, WorksheetHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , figuring_(estimate, dialogs_)
    , host_(host)
{
    setObjectName(QStringLiteral("frmEB"));
    setWindowTitle(Caption);

    for (int i = 0; i < int(cutBoxes_.size()); ++i) {
        auto* box = new QCheckBox(QLatin1String(R::CutNames[i]), this);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        PlaceTwips(box, ColumnLeft[i / 8], BoxTop + (i % 8) * BoxStep, BoxWidth, BoxHeight);
        connect(box, &QCheckBox::toggled, this,
                [this, i](bool ticked) { onCutClicked(i, ticked); });
        cutBoxes_[i] = box;
    }

    const int below = BoxTop + 8 * BoxStep + 120;
    weightToBone_ = new QLineEdit(figuring_.weight(), this);
    weightToBone_->setObjectName(QStringLiteral("Text1"));
    connect(weightToBone_, &QLineEdit::textEdited, this,
            [this](const QString& text) { figuring_.setWeight(text); });
    SelectAllOnFocus(weightToBone_);
    MarkInvalidWhile(weightToBone_, EstimateRules::PoundsProblem);
    PlaceTwips(weightToBone_, ColumnLeft[0], below, 1455, 345);

    doneButton_ = new QPushButton(DoneCaption, this);
    doneButton_->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(doneButton_, Width - 1440, Height - 585, 1200, 465);
    connect(doneButton_, &QPushButton::clicked, this, &ExtraBoningWorksheet::onDone);

    setFixedSize(TwipsX(this, Width), TwipsY(this, Height));
}

ExtraBoningWorksheet::~ExtraBoningWorksheet() = default;

void ExtraBoningWorksheet::onCutClicked(int box, bool ticked)
{
    figuring_.clickCut(box, ticked);
    weightToBone_->setText(figuring_.weight());
}

void ExtraBoningWorksheet::onDone()
{
    if (!figuring_.done())
        return;
    weightToBone_->setText(figuring_.weight());
    host_.sheetWritten(figuring_.service());
    close();
}
