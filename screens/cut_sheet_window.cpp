#include "screens/cut_sheet_window.h"

#include "core/numbers.h"
#include "screens/estimate_print.h"
#include "ui/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A number field of a primal: blank is the shop's own (0).
QLineEdit* numberField(QWidget* parent, const QString& name, double value)
{
    auto* edit = new QLineEdit(value > 0 ? NumberText(value) : QString(), parent);
    edit->setObjectName(name);
    edit->setPlaceholderText(QStringLiteral("usual"));
    edit->setMaximumWidth(70);
    return edit;
}

// The field's number; 0 when blank; no value when it is not a number.
std::optional<double> numberIn(const QLineEdit* edit)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        return 0.0;
    return StrictNumber(text);
}

const QString Usual = QStringLiteral("the shop's usual");

} // namespace

CutSheetWindow::CutSheetWindow(QWidget* parent, CutSheetDesk desk,
                               std::function<void(const CutSheet&)> done)
    : QDialog(parent)
    , desk_(std::move(desk))
    , before_(SheetOf(desk_.estimate))
    , done_(std::move(done))
{
    setObjectName(QStringLiteral("frmCutSheet"));
    setWindowTitle(QStringLiteral("Cut Sheet"));
    setAttribute(Qt::WA_DeleteOnClose);
    const CutMaster& master = desk_.master;
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* heading = new QLabel(QStringLiteral("%1 for %2")
                                   .arg(master.species, desk_.head.customer.isEmpty()
                                                            ? QStringLiteral("the customer")
                                                            : desk_.head.customer),
                               this);
    heading->setObjectName(QStringLiteral("lblSheetFor"));
    heading->setTextFormat(Qt::PlainText);
    top->addWidget(heading, 1);
    auto* partCaption = new QLabel(QStringLiteral("P&art:"), this);
    part_ = new QComboBox(this);
    part_->setObjectName(QStringLiteral("cboPart"));
    for (const SheetPart part : {SheetPart::Whole, SheetPart::Half, SheetPart::FrontQuarter,
                                 SheetPart::HindQuarter, SheetPart::SplitSideQuarter})
        part_->addItem(PartWords(part), static_cast<int>(part));
    part_->setCurrentIndex(static_cast<int>(before_.part));
    // A whole animal is cut whole; a share chooses its part of the animal.
    part_->setEnabled(bool(desk_.estimate.share));
    partCaption->setBuddy(part_);
    top->addWidget(partCaption);
    top->addWidget(part_);
    layout->addLayout(top);

    auto* cuts = new QGroupBox(QStringLiteral("Cuts"), this);
    auto* grid = new QGridLayout(cuts);
    const QStringList headings{QStringLiteral("Primal"),     QStringLiteral("Becomes"),
                               QStringLiteral("Thick (in)"), QStringLiteral("To a package"),
                               QStringLiteral("Roast (lb)"), QStringLiteral("Boneless")};
    for (int c = 0; c < headings.size(); ++c)
        grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(headings[c]), cuts), 0, c);
    for (int i = 0; i < master.primals.size(); ++i) {
        const Primal& p = master.primals[i];
        const PrimalChoice choice = ChoiceFor(before_, p);
        auto* name = new QLabel(p.name, cuts);
        name->setObjectName(QStringLiteral("lblPrimal_%1").arg(i));
        PrimalRow row;
        row.use = new QComboBox(cuts);
        row.use->setObjectName(QStringLiteral("cboUse_%1").arg(i));
        for (const PrimalUse use : p.uses)
            row.use->addItem(UseWords(use), static_cast<int>(use));
        row.use->setCurrentIndex(std::max(0, row.use->findData(static_cast<int>(choice.use))));
        name->setBuddy(row.use);
        row.thickness =
            numberField(cuts, QStringLiteral("txtThickness_%1").arg(i), choice.thickness);
        row.perPackage =
            numberField(cuts, QStringLiteral("txtPerPackage_%1").arg(i), choice.perPackage);
        row.roast = numberField(cuts, QStringLiteral("txtRoast_%1").arg(i), choice.roastPounds);
        row.boneless = new QCheckBox(cuts);
        row.boneless->setObjectName(QStringLiteral("chkBoneless_%1").arg(i));
        row.boneless->setAccessibleName(QStringLiteral("%1 boneless").arg(p.name));
        row.boneless->setChecked(choice.boneless);
        grid->addWidget(name, i + 1, 0);
        grid->addWidget(row.use, i + 1, 1);
        grid->addWidget(row.thickness, i + 1, 2);
        grid->addWidget(row.perPackage, i + 1, 3);
        grid->addWidget(row.roast, i + 1, 4);
        grid->addWidget(row.boneless, i + 1, 5);
        rows_ << row;
    }
    layout->addWidget(cuts);

    auto* ground = new QHBoxLayout;
    const auto choices = [this](const char* name, const QStringList& offered, const QString& now) {
        auto* box = new QComboBox(this);
        box->setObjectName(QLatin1String(name));
        box->addItem(Usual, QString());
        for (const QString& o : offered)
            box->addItem(o, o);
        box->setCurrentIndex(std::max(0, box->findData(now)));
        return box;
    };
    package_ = choices("cboPackage", master.packages, before_.package);
    lean_ = choices("cboLean", master.leanness, before_.lean);
    auto* packageCaption = new QLabel(QStringLiteral("&Ground meat packed:"), this);
    packageCaption->setBuddy(package_);
    auto* leanCaption = new QLabel(QStringLiteral("&Lean:"), this);
    leanCaption->setBuddy(lean_);
    ground->addWidget(packageCaption);
    ground->addWidget(package_);
    ground->addWidget(leanCaption);
    ground->addWidget(lean_);
    ground->addStretch();
    layout->addLayout(ground);

    auto* keepBox = new QGroupBox(QStringLiteral("Keep"), this);
    auto* keepRow = new QHBoxLayout(keepBox);
    for (int i = 0; i < master.keeps.size(); ++i) {
        auto* keep = new QCheckBox(master.keeps[i], keepBox);
        keep->setObjectName(QStringLiteral("chkKeep_%1").arg(i));
        keep->setChecked(before_.keeps.contains(master.keeps[i]));
        keepRow->addWidget(keep);
        keeps_ << keep;
    }
    keepRow->addStretch();
    layout->addWidget(keepBox);

    auto* productsCaption =
        new QLabel(QStringLiteral("From the worksheets (changed on the Estimate screen):"), this);
    products_ = new QListWidget(this);
    products_->setObjectName(QStringLiteral("lstProducts"));
    products_->addItems(WorksheetProducts(desk_.estimate));
    products_->setMaximumHeight(90);
    productsCaption->setBuddy(products_);
    layout->addWidget(productsCaption);
    layout->addWidget(products_);

    problems_ = new QLabel(this);
    problems_->setObjectName(QStringLiteral("lblProblems"));
    problems_->setStyleSheet(QStringLiteral("color: #a00000; font-weight: bold"));
    problems_->setWordWrap(true);
    problems_->setTextFormat(Qt::PlainText);
    layout->addWidget(problems_);
    takeHome_ = new QLabel(this);
    takeHome_->setObjectName(QStringLiteral("lblSheetTakeHome"));
    layout->addWidget(takeHome_);

    auto* lockRow = new QHBoxLayout;
    lockLine_ = new QLabel(this);
    lockLine_->setObjectName(QStringLiteral("lblLocked"));
    lockLine_->setWordWrap(true);
    lockRow->addWidget(lockLine_, 1);
    unlock_ = new QPushButton(QStringLiteral("Change as the &Owner..."), this);
    unlock_->setObjectName(QStringLiteral("cmdUnlockSheet"));
    lockRow->addWidget(unlock_);
    layout->addLayout(lockRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdSheetOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdSheetCancel"));
    auto* print = buttons->addButton(QStringLiteral("&Print for the Cutting Room..."),
                                     QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("cmdPrintSheet"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CutSheetWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(print, &QPushButton::clicked, this, &CutSheetWindow::print);
    connect(unlock_, &QPushButton::clicked, this, &CutSheetWindow::unlock);

    // Every choice figures the sheet again at once.
    const auto changed = [this] {
        showFigures();
    };
    connect(part_, &QComboBox::currentIndexChanged, this, changed);
    for (const PrimalRow& row : rows_) {
        connect(row.use, &QComboBox::currentIndexChanged, this, changed);
        for (QLineEdit* edit : {row.thickness, row.perPackage, row.roast})
            connect(edit, &QLineEdit::textChanged, this, changed);
        connect(row.boneless, &QCheckBox::toggled, this, changed);
    }
    connect(package_, &QComboBox::currentIndexChanged, this, changed);
    connect(lean_, &QComboBox::currentIndexChanged, this, changed);
    for (QCheckBox* keep : keeps_)
        connect(keep, &QCheckBox::toggled, this, changed);

    setLocked(desk_.locked);
    showFigures();
}

CutSheet CutSheetWindow::sheet() const
{
    CutSheet sheet = before_;
    sheet.species = desk_.master.species;
    sheet.part = static_cast<SheetPart>(part_->currentData().toInt());
    sheet.choices.clear();
    for (int i = 0; i < rows_.size(); ++i) {
        const Primal& p = desk_.master.primals[i];
        if (PartOf(sheet.part, p.quarter) <= 0)
            continue; // not in the part: cut by its own buyer
        const PrimalRow& row = rows_[i];
        PrimalChoice c;
        c.primal = p.name;
        c.use = static_cast<PrimalUse>(row.use->currentData().toInt());
        // A field that is not a number is told by showFigures, and the sheet
        // is not kept while it is.
        c.thickness = numberIn(row.thickness).value_or(0);
        c.perPackage = static_cast<int>(numberIn(row.perPackage).value_or(0));
        c.roastPounds = numberIn(row.roast).value_or(0);
        c.boneless = row.boneless->isChecked();
        sheet.choices << c;
    }
    sheet.package = package_->currentData().toString();
    sheet.lean = lean_->currentData().toString();
    sheet.keeps.clear();
    for (QCheckBox* keep : keeps_)
        if (keep->isChecked())
            sheet.keeps << keep->text();
    return sheet;
}

void CutSheetWindow::showFigures()
{
    const CutSheet now = sheet();
    for (int i = 0; i < rows_.size(); ++i) {
        const bool held = PartOf(now.part, desk_.master.primals[i].quarter) > 0;
        const PrimalRow& row = rows_[i];
        const auto use = static_cast<PrimalUse>(row.use->currentData().toInt());
        const bool open = held && !(locked_ && !unlocked_);
        row.use->setEnabled(open);
        row.thickness->setEnabled(open && use == PrimalUse::Steaks);
        row.perPackage->setEnabled(open && (use == PrimalUse::Steaks || use == PrimalUse::Cured ||
                                            use == PrimalUse::Smoked));
        row.roast->setEnabled(open && use == PrimalUse::Roasts);
        row.boneless->setEnabled(open && use != PrimalUse::Ground && use != PrimalUse::Stew);
    }
    QStringList told;
    for (int i = 0; i < rows_.size(); ++i)
        for (const QLineEdit* edit : {rows_[i].thickness, rows_[i].perPackage, rows_[i].roast})
            if (!numberIn(edit))
                told << QStringLiteral("%1: \"%2\" is not a number.")
                            .arg(desk_.master.primals[i].name, edit->text().trimmed());
    told << Contradictions(now, desk_.master);
    problems_->setText(told.join(QLatin1Char('\n')));
    EstimateValue filled = desk_.estimate;
    filled.cutSheet = now;
    const std::optional<TakeHome> home = TakeHomeOf(filled, desk_.master, desk_.yields);
    takeHome_->setText(home ? QStringLiteral("Take-home: %1").arg(home->words())
                            : QStringLiteral("Take-home: known once the weight is"));
}

void CutSheetWindow::setLocked(bool locked)
{
    locked_ = locked;
    const bool shut = locked_ && !unlocked_;
    lockLine_->setText(shut      ? QStringLiteral("The carcass is cut: the sheet is locked.")
                       : locked_ ? QStringLiteral("Changed as the owner: the change is recorded.")
                                 : QString());
    unlock_->setVisible(shut);
    part_->setEnabled(!shut && bool(desk_.estimate.share));
    package_->setEnabled(!shut);
    lean_->setEnabled(!shut);
    for (QCheckBox* keep : keeps_)
        keep->setEnabled(!shut);
}

void CutSheetWindow::unlock()
{
    if (!Dialogs::askYesNo(this,
                           QStringLiteral("The carcass is cut. Change its sheet as the owner? The "
                                          "change is recorded as made by %1.")
                               .arg(desk_.who),
                           QStringLiteral("Cut Sheet"), QMessageBox::Question, QMessageBox::No))
        return;
    unlocked_ = true;
    setLocked(true);
    showFigures();
}

void CutSheetWindow::accept()
{
    if (!problems_->text().isEmpty()) {
        Dialogs::warn(
            this,
            QStringLiteral("The sheet cannot be kept as it is:\n\n%1").arg(problems_->text()));
        return;
    }
    CutSheet filled = sheet();
    if (locked_) {
        const QString what = ChangeWords(before_, filled, desk_.master);
        if (what.isEmpty()) {
            QDialog::reject(); // nothing changed: the locked sheet stays
            return;
        }
        filled.changes << SheetChange{desk_.who, desk_.now, what};
    }
    if (done_)
        done_(filled);
    QDialog::accept();
}

void CutSheetWindow::print()
{
    EstimateValue filled = desk_.estimate;
    filled.cutSheet = sheet();
    const QString name =
        QStringLiteral("Cut Sheet %1")
            .arg(desk_.head.number > 0 ? QString::number(desk_.head.number) : desk_.head.customer);
    PrintPagesWithDialog(
        this, {CutRoomHtml(desk_.head, CutRoomPageOf(filled, desk_.master, desk_.yields))},
        QStringLiteral("Print the Cut Sheet"), name);
}
