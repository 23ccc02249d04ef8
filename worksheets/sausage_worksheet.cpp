#include "worksheets/sausage_worksheet.h"

#include "core/numbers.h"
#include "ui/dialogs.h"
#include "ui/field_cues.h"
#include "ui/twips.h"
#include "worksheets/worksheet_host.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

using namespace SausageRules;

namespace {

// Texts of the screen, exactly as the shop knows them.
const QString Caption = QStringLiteral("Summer Sausage Worksheet For ");
const QString ConfirmTitle = QStringLiteral("Is All Information Correct?");
const QString AskTotalPrompt = QStringLiteral("Please Enter Total Deer Weight");
const QString AskTotalTitle = QStringLiteral("Weight Of Total Meat Carryied In");

// Texts that tell the clerk why the figuring stopped.
const QString ChargeTotalCue =
    QStringLiteral("Not a number: Figure refuses it. Type a number (0 when there are no other "
                   "sausage charges).");
const QString ColumnsTooLarge = QStringLiteral("The weights are too large to be added up, so "
                                               "nothing was figured. Check the pounds typed.");

const QColor Teal(0, 128, 128);
const QColor CaptionOnTeal(255, 255, 255);
const QColor GreyedOnTeal(170, 205, 205);

// Geometry, in twips.
constexpr int DesignWidth = 6225;
constexpr int DesignHeight = 9015;
constexpr int CheckX = 240, DeerX = 2880, PorkX = 4440;
constexpr int CheckWidth = 2400, FieldWidth = 1200, FieldHeight = 375;
constexpr int FirstRowTop = 480, RowStep = 600;
constexpr int TotalsTop = FirstRowTop + KindCount * RowStep + 120;
constexpr int ChargeTop = TotalsTop + 840;

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1%2").arg(QLatin1String(name)).arg(index);
}

QLineEdit* newField(QWidget* parent, const QString& name, const QString& text)
{
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(name);
    return field;
}

QLabel* newLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setAutoFillBackground(true);
    label->setPalette(parent->palette());
    return label;
}

} // namespace

SausageWorksheet::SausageWorksheet(Estimate& estimate, WorksheetHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , figuring_(estimate, dialogs_)
    , host_(host)
{
    setObjectName(QStringLiteral("frmWsEst"));
    setWindowTitle(Caption);
    QPalette teal = palette();
    teal.setColor(QPalette::Window, Teal);
    teal.setColor(QPalette::WindowText, CaptionOnTeal);
    teal.setColor(QPalette::Disabled, QPalette::WindowText, GreyedOnTeal);
    setPalette(teal);
    setAutoFillBackground(true);
    build();
    setTabOrder();
    resize(TwipsX(this, DesignWidth), TwipsY(this, DesignHeight));
}

SausageWorksheet::~SausageWorksheet()
{
    // The fields go after this part of the worksheet: they must not call back.
    for (QLineEdit* deer : deerWeights_)
        deer->removeEventFilter(this);
    deerTotal_->removeEventFilter(this);
}

void SausageWorksheet::build()
{
    // The column headings.
    QLabel* deerHeading = newLabel(this, "Label1", QStringLiteral("Deer"));
    QLabel* porkHeading = newLabel(this, "Label2", QStringLiteral("Pork"));
    deerHeading->setAlignment(Qt::AlignCenter);
    porkHeading->setAlignment(Qt::AlignCenter);
    PlaceTwips(deerHeading, DeerX, 120, FieldWidth, 300);
    PlaceTwips(porkHeading, PorkX, 120, FieldWidth, 300);

    for (const Kind& kind : Kinds) {
        const int top = FirstRowTop + (kind.row - 1) * RowStep;
        auto* box = new QCheckBox(QLatin1String(kind.caption), this);
        box->setObjectName(indexed("Check", kind.row));
        box->setAutoFillBackground(true);
        box->setPalette(palette());
        box->setBackgroundRole(QPalette::Window);
        box->setEnabled(kind.enabled);
        PlaceTwips(box, CheckX, top, CheckWidth, FieldHeight);
        connect(box, &QCheckBox::toggled, this,
                [this, row = kind.row](bool ticked) { onKindToggled(row, ticked); });
        kindBoxes_[kind.row - 1] = box;

        QLineEdit* deer = newField(this, indexed("t", kind.row), QStringLiteral("0"));
        PlaceTwips(deer, DeerX, top, FieldWidth, FieldHeight);
        SelectAllOnFocus(deer);
        MarkInvalidWhile(deer,
                         [&kind](const QString& text) { return DeerWeightProblem(kind, text); });
        deer->installEventFilter(this);
        deer->hide();
        deerWeights_[kind.row - 1] = deer;

        if (kind.takesPork()) {
            // The pork follows the deer by the kind's rule, as it is typed:
            // the field shows what is charged, and takes no typing.
            QLineEdit* pork = newField(this, indexed("p", kind.porkField), QStringLiteral("0"));
            PlaceTwips(pork, PorkX, top, FieldWidth, FieldHeight);
            MarkInvalidWhile(pork, PorkWeightProblem);
            pork->setReadOnly(true);
            pork->setToolTip(kind.pork == PorkRule::SameText
                                 ? QStringLiteral("As much pork as deer")
                             : kind.pork == PorkRule::Third
                                 ? QStringLiteral("A third of the deer weight in pork")
                                 : QStringLiteral("Half the deer weight in pork"));
            porkWeights_[kind.porkField - 1] = pork;
            connect(deer, &QLineEdit::textEdited, pork, [pork, &kind](const QString& text) {
                pork->setText(PorkFor(kind, text).text);
            });
        }
    }

    QLabel* totalsLabel = newLabel(this, "Label3", QStringLiteral("Totals"));
    totalsLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTwips(totalsLabel, CheckX, TotalsTop, DeerX - CheckX - 180, FieldHeight);
    deerTotal_ = newField(this, QStringLiteral("txtTotal"), TotalDeerWeightDesignText);
    MarkInvalidWhile(deerTotal_, TotalDeerWeightProblem);
    deerTotal_->setToolTip(QStringLiteral("Total deer weight; click to type it"));
    deerTotal_->installEventFilter(this);
    PlaceTwips(deerTotal_, DeerX, TotalsTop, FieldWidth, FieldHeight);
    porkTotal_ = newField(this, QStringLiteral("pt"), QStringLiteral("0"));
    porkTotal_->setEnabled(false);
    PlaceTwips(porkTotal_, PorkX, TotalsTop, FieldWidth, FieldHeight);

    chargeTotal_ = newField(this, QStringLiteral("Text2"), QStringLiteral("0"));
    chargeTotal_->setToolTip(
        QStringLiteral("Sausage charges; the figuring adds to what this holds"));
    MarkInvalidWhile(chargeTotal_, [](const QString& text) {
        return StrictNumber(text) ? QString() : ChargeTotalCue;
    });
    PlaceTwips(chargeTotal_, CheckX, ChargeTop, 1500, FieldHeight);

    figureButton_ = new QPushButton(QStringLiteral("&Figure"), this);
    figureButton_->setObjectName(QStringLiteral("cmdClose"));
    PlaceTwips(figureButton_, PorkX, ChargeTop - 120, FieldWidth, 615);
    connect(figureButton_, &QPushButton::clicked, this, &SausageWorksheet::onFigure);

    // The products of the estimate's last figuring, to change a few pounds
    // (a final bill) without typing them all again.
    lastEntries_ = new QPushButton(QStringLiteral("&Last Entries"), this);
    lastEntries_->setObjectName(QStringLiteral("cmdLastEntries"));
    lastEntries_->setToolTip(QStringLiteral("Take up the products figured for this estimate last"));
    PlaceTwips(lastEntries_, DeerX, ChargeTop - 120, FieldWidth + 240, 615);
    lastEntries_->setVisible(!figuring_.lastEntries().isEmpty());
    connect(lastEntries_, &QPushButton::clicked, this, &SausageWorksheet::takeUpLastEntries);
}

void SausageWorksheet::setTabOrder()
{
    QList<QWidget*> order;
    for (const Kind& kind : Kinds) {
        order << kindBoxes_[kind.row - 1] << deerWeights_[kind.row - 1];
        if (kind.takesPork())
            order << porkWeights_[kind.porkField - 1];
    }
    order << figureButton_ << deerTotal_ << porkTotal_ << chargeTotal_;
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void SausageWorksheet::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        kindBoxes_[0]->setFocus(Qt::OtherFocusReason);
    }
}

bool SausageWorksheet::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == deerTotal_) {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                deerTotal_->rect().contains(mouse->position().toPoint()))
                askDeerTotal();
        }
        return false;
    }
    for (int row = 1; row <= KindCount; ++row) {
        if (watched != deerWeights_[row - 1])
            continue;
        if (event->type() == QEvent::KeyPress)
            return enterMovesOn(static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::FocusOut)
            storeWeight(row);
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- entry

bool SausageWorksheet::enterMovesOn(QKeyEvent* key)
{
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    focusNextChild();
    return true;
}

void SausageWorksheet::onKindToggled(int row, bool ticked)
{
    const Kind& kind = *KindAt(row);
    QLineEdit* deer = deerWeights_[row - 1];
    if (ticked) {
        deer->show();
        deer->setFocus(Qt::OtherFocusReason);
        entries_.add(kind, deer->text());
        return;
    }
    // The focus goes on to the next box that can take it.
    for (int next = row + 1; next <= KindCount; ++next) {
        QCheckBox* box = kindBoxes_[next - 1];
        if (box->isEnabled() && box->isVisible()) {
            box->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
    deer->setText(QStringLiteral("0"));
    if (kind.takesPork())
        porkWeights_[kind.porkField - 1]->setText(QStringLiteral("0"));
    deer->hide();
    entries_.remove(row);
}

void SausageWorksheet::storeWeight(int row)
{
    if (!kindBoxes_[row - 1]->isChecked())
        return; // an unticked kind has no entry
    const Kind& kind = *KindAt(row);
    const QString deer = deerWeights_[row - 1]->text();
    QString pork;
    if (kind.takesPork()) {
        QLineEdit* porkWeight = porkWeights_[kind.porkField - 1];
        porkWeight->setText(PorkFor(kind, deer).text);
        pork = porkWeight->text();
    }
    entries_.store(row, deer, pork);
}

void SausageWorksheet::askDeerTotal()
{
    deerTotal_->setText(Dialogs::askText(this, AskTotalPrompt, AskTotalTitle).value_or(QString()));
}

void SausageWorksheet::onFigure()
{
    // Alt+F presses the button without taking the focus from a deer weight
    // field: that field's weight counts as if it had lost the focus.
    for (int row = 1; row <= KindCount; ++row)
        if (deerWeights_[row - 1]->hasFocus())
            storeWeight(row);
    if (const QString problem = SausageFiguring::chargeTotalProblem(chargeTotal_->text());
        !problem.isEmpty()) {
        Dialogs::warn(this, problem);
        return;
    }
    QStringList porkColumn, deerColumn;
    for (QLineEdit* pork : porkWeights_)
        porkColumn << pork->text();
    for (QLineEdit* deer : deerWeights_)
        deerColumn << deer->text();
    const std::optional<QString> porkSum = ColumnTotal(porkColumn);
    const std::optional<QString> deerSum = ColumnTotal(deerColumn);
    if (!porkSum || !deerSum) {
        Dialogs::warn(this, ColumnsTooLarge);
        return;
    }
    porkTotal_->setText(*porkSum);
    deerTotal_->setText(*deerSum);
    if (confirmEntries())
        figureCharges();
}

bool SausageWorksheet::confirmEntries()
{
    const bool yes = Dialogs::askYesNo(this, ConfirmationText(entries_.entries()), ConfirmTitle,
                                       QMessageBox::Critical);
    confirmed_ = yes;
    if (!yes)
        reset();
    return yes;
}

void SausageWorksheet::reset()
{
    entries_.clear();
    for (QCheckBox* box : kindBoxes_)
        box->setChecked(false);
    for (QLineEdit* deer : deerWeights_)
        deer->setText(QStringLiteral("0"));
    for (QLineEdit* pork : porkWeights_)
        pork->setText(QStringLiteral("0"));
    deerTotal_->setText(QStringLiteral("0"));
    porkTotal_->setText(QStringLiteral("0"));
}

void SausageWorksheet::takeUpLastEntries()
{
    reset();
    QList<Entry> taken;
    for (const Entry& entry : figuring_.lastEntries())
        if (KindAt(entry.row) && kindBoxes_[entry.row - 1]->isEnabled())
            taken << entry;
    // The kinds ticked first, in their order: a tick gives the kind's deer
    // field the focus, and a deer field losing it figures its pork again.
    for (const Entry& entry : taken)
        kindBoxes_[entry.row - 1]->setChecked(true);
    kindBoxes_[0]->setFocus(Qt::OtherFocusReason);
    // Then the pounds, the pork as it was figured.
    for (const Entry& entry : taken) {
        const Kind& kind = *KindAt(entry.row);
        deerWeights_[entry.row - 1]->setText(entry.deer);
        if (kind.takesPork())
            porkWeights_[kind.porkField - 1]->setText(entry.pork);
        entries_.store(entry.row, entry.deer, kind.takesPork() ? entry.pork : QString());
    }
    // The other sausage charges they were figured from, so that the same
    // products figure to the same charge.
    chargeTotal_->setText(figuring_.lastStartingCharge());
}

// ---------------------------------------------------------------- figuring

void SausageWorksheet::figureCharges()
{
    const std::optional<QString> charge =
        figuring_.figure(entries_.entries(), chargeTotal_->text());
    if (!charge)
        return;
    chargeTotal_->setText(*charge);
    host_.sheetWritten(figuring_.service());
    close();
}
