#include "screens/estimates_window.h"

#include "core/money.h"
#include "core/numbers.h"
#include "estimate/estimate_summary.h"
#include "screens/accuracy_window.h"
#include "store/csv.h"
#include "store/file_writer.h"
#include "ui/dialogs.h"
#include "ui/window_keys.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QLineEdit* lineEdit(QWidget* parent, const char* name, const QString& text)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

const QStringList Columns = {
    QStringLiteral("Number"),       QStringLiteral("Date"),        QStringLiteral("Customer"),
    QStringLiteral("Phone"),        QStringLiteral("Species"),     QStringLiteral("Live Weight"),
    QStringLiteral("Quoted Total"), QStringLiteral("Final Total"), QStringLiteral("Difference"),
    QStringLiteral("Likely Total"),
};

// A total to the cent, as the printout gives it; as it stands when it is not
// a number.
QString totalCents(const QString& total)
{
    const auto cents = CentsOf(total);
    return cents ? CentsText(*cents) : total;
}

// The final total less the quoted one, each to the cent first (as printed),
// with its sign; empty while there is no final bill or a total is not a number.
QString difference(const EstimateListing& e)
{
    const auto quote = CentsOf(e.quoteTotal);
    const auto billed = CentsOf(e.finalTotal);
    if (!quote || !billed)
        return QString();
    return SignedMoneyText(*billed - *quote);
}

// One estimate's columns, as shown and as exported.
QStringList columnsOf(const EstimateListing& e)
{
    return {QString::number(e.number), e.created.toString(QStringLiteral("yyyy-MM-dd hh:mm")),
            e.customer, e.phone, e.species, e.liveWeight, totalCents(e.quoteTotal),
            e.finalTotal.isEmpty() ? QString() : totalCents(e.finalTotal), difference(e),
            // The quote's likely range, as it was given.
            e.likelyLow && e.likelyHigh
                ? QStringLiteral("%1 to %2").arg(CentsText(*e.likelyLow), CentsText(*e.likelyHigh))
                : QString()};
}

} // namespace

// ---------------------------------------------------------------- the save dialog

SaveEstimateDialog::SaveEstimateDialog(const EstimateRecord& record, bool finalByDefault,
                                       bool fixed, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSaveEstimate"));
    setWindowTitle(record.number ? QStringLiteral("Save Estimate %1").arg(record.number)
                                 : QStringLiteral("Save Estimate"));
    customer_ = lineEdit(this, "txtCustomer", record.customer);
    phone_ = lineEdit(this, "txtPhone", record.phone);
    note_ = lineEdit(this, "txtNote", record.note);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Customer's name:"), customer_);
    form->addRow(QStringLiteral("&Phone:"), phone_);
    form->addRow(QStringLiteral("N&ote:"), note_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    if (record.number) {
        // The first save was the quote; the carcass weighed, the clerk records
        // the final bill beside it, or mends the quote itself.
        auto* quote = new QRadioButton(QStringLiteral("Update the &quote"), this);
        quote->setObjectName(QStringLiteral("optQuote"));
        final_ = new QRadioButton(
            record.hasFinal()
                ? QStringLiteral("Update the &final bill (the quote is kept as given)")
                : QStringLiteral("Record the &final bill (the quote is kept as "
                                 "given)"),
            this);
        final_->setObjectName(QStringLiteral("optFinal"));
        (finalByDefault ? final_ : quote)->setChecked(true);
        // With a final bill, the one shown is saved: the other is never
        // overwritten by it.
        (finalByDefault ? quote : final_)->setEnabled(!fixed);
        layout->addWidget(final_);
        layout->addWidget(quote);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SaveEstimateDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SaveEstimateDialog::reject);
    layout->addWidget(buttons);
    customer_->setFocus();
    customer_->selectAll();
}

std::optional<SaveEstimateDialog::Answer> SaveEstimateDialog::ask(QWidget* parent,
                                                                  const EstimateRecord& record,
                                                                  bool finalByDefault, bool fixed)
{
    SaveEstimateDialog dialog(record, finalByDefault, fixed, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.answer();
}

SaveEstimateDialog::Answer SaveEstimateDialog::answer() const
{
    // Kept exactly as typed: the book stores any characters.
    return {customer_->text(), phone_->text(), note_->text(), final_ && final_->isChecked()};
}

void SaveEstimateDialog::accept()
{
    if (customer_->text().trimmed().isEmpty()) {
        Dialogs::warn(this, QStringLiteral("Type the customer's name: the estimate is found "
                                           "again by it."));
        customer_->setFocus();
        return;
    }
    QDialog::accept();
}

// ---------------------------------------------------------------- the Estimates window

EstimatesWindow::EstimatesWindow(EstimateBook& book, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , book_(book)
{
    setObjectName(QStringLiteral("frmEstimates"));
    setWindowTitle(QStringLiteral("Saved Estimates"));

    search_ = lineEdit(this, "txtSearch", QString());
    search_->setPlaceholderText(QStringLiteral("Customer's name, phone or estimate number"));
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::textChanged, this, &EstimatesWindow::refresh);

    table_ = new QTableWidget(0, int(Columns.size()), this);
    table_->setObjectName(QStringLiteral("tblEstimates"));
    table_->setHorizontalHeaderLabels(Columns);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    connect(table_, &QTableWidget::cellDoubleClicked, this, &EstimatesWindow::openSelected);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);

    QPushButton* open = button(this, "cmdOpen", QStringLiteral("&Open"));
    open->setToolTip(QStringLiteral("Show the estimate on the Estimate screen, as it was saved"));
    QPushButton* print = button(this, "cmdPrint", QStringLiteral("&Print..."));
    QPushButton* remove = button(this, "cmdDelete", QStringLiteral("&Delete"));
    QPushButton* exportCsv = button(this, "cmdExport", QStringLiteral("&Export..."));
    exportCsv->setToolTip(QStringLiteral("Write the estimates found as a CSV file"));
    QPushButton* accuracy = button(this, "showAccuracy", QStringLiteral("&Quote accuracy\u2026"));
    accuracy->setToolTip(QStringLiteral("How near the quotes came to the final bills"));
    QPushButton* close = button(this, "cmdClose", QStringLiteral("&Close"));
    connect(open, &QPushButton::clicked, this, &EstimatesWindow::openSelected);
    connect(print, &QPushButton::clicked, this, &EstimatesWindow::printSelected);
    connect(remove, &QPushButton::clicked, this, &EstimatesWindow::deleteSelected);
    connect(exportCsv, &QPushButton::clicked, this, &EstimatesWindow::exportList);
    connect(accuracy, &QPushButton::clicked, this, &EstimatesWindow::showAccuracy);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* top = new QHBoxLayout;
    auto* find = new QLabel(QStringLiteral("&Find:"), this);
    find->setBuddy(search_);
    top->addWidget(find);
    top->addWidget(search_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {open, print, remove, exportCsv, accuracy})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    resize(900, 480);
    EnterPressesButtons(this);
    EscapeCloses(this);
    refresh();
    search_->setFocus();
}

void EstimatesWindow::refresh()
{
    const qint64 selected = selectedNumber();
    QString problem;
    // One more than is shown, to tell that there are more.
    const QList<EstimateListing> found = book_.list(search_->text(), &problem, ShownRows + 1);
    const int shown = int(std::min<qsizetype>(found.size(), ShownRows));
    table_->setUpdatesEnabled(false);
    table_->clearContents();
    table_->setRowCount(shown);
    for (int row = 0; row < shown; ++row) {
        const QStringList cells = columnsOf(found[row]);
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == 0 || column >= 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, column, item);
        }
        table_->item(row, 0)->setData(Qt::UserRole, found[row].number);
        if (found[row].number == selected)
            table_->selectRow(row);
    }
    table_->setUpdatesEnabled(true);
    if (!problem.isEmpty())
        status_->setText(problem); // the book says what could not be read, and why
    else if (found.size() > shown)
        status_->setText(QStringLiteral("The newest %1 estimates found are shown; search to "
                                        "find older ones.")
                             .arg(shown));
    else
        status_->setText(found.isEmpty() && search_->text().isEmpty()
                             ? QStringLiteral("No estimate is saved yet.")
                             : (found.size() == 1
                                    ? QStringLiteral("1 estimate found.")
                                    : QStringLiteral("%1 estimates found.").arg(found.size())));
    if (table_->currentRow() < 0 && shown > 0)
        table_->selectRow(0);
}

qint64 EstimatesWindow::selectedNumber() const
{
    const int row = table_->currentRow();
    if (row < 0 || !table_->item(row, 0) || !table_->item(row, 0)->isSelected())
        return 0;
    return table_->item(row, 0)->data(Qt::UserRole).toLongLong();
}

void EstimatesWindow::openSelected()
{
    if (const qint64 number = selectedNumber())
        emit openRequested(number);
}

void EstimatesWindow::printSelected()
{
    if (const qint64 number = selectedNumber())
        emit printRequested(number);
}

void EstimatesWindow::deleteSelected()
{
    const qint64 number = selectedNumber();
    if (!number)
        return;
    const QString customer = table_->item(table_->currentRow(), 2)->text();
    if (!Dialogs::askYesNo(this,
                           QStringLiteral("Delete estimate %1 for %2? It cannot be brought back.")
                               .arg(number)
                               .arg(customer),
                           Dialogs::appTitle(), QMessageBox::Question, QMessageBox::No))
        return;
    const BookResult removed = book_.remove(number);
    if (!removed.done)
        Dialogs::warn(this, removed.problem);
    else
        emit deleted(number);
    refresh();
    // Nothing is left selected that a second Delete (or Enter) would take.
    if (removed.done) {
        table_->clearSelection();
        table_->setCurrentItem(nullptr);
    }
}

void EstimatesWindow::showAccuracy()
{
    if (!accuracy_) {
        accuracy_ = new AccuracyWindow(book_, this);
        accuracy_->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        accuracy_->refresh();
    }
    accuracy_->show();
    accuracy_->raise();
    accuracy_->activateWindow();
}

void EstimatesWindow::exportList()
{
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export Estimates"), QStringLiteral("estimates.csv"),
        QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (!path.isEmpty())
        exportTo(path);
}

bool EstimatesWindow::exportTo(const QString& path)
{
    QString problem;
    const QList<EstimateListing> found = book_.list(search_->text(), &problem);
    if (problem.isEmpty()) {
        QString text = Csv::format(Columns) + QLatin1Char('\n');
        for (const EstimateListing& e : found) {
            // A cell that a spreadsheet would run as a formula is made inert.
            QStringList cells;
            for (const QString& cell : columnsOf(e))
                cells << Csv::inert(cell);
            text += Csv::format(cells) + QLatin1Char('\n');
        }
        const StoreResult written = WriteWholeFile(
            path, text.toUtf8(), {{book_.path(), QStringLiteral("the book of saved estimates")}});
        if (!written.done()) {
            Dialogs::warn(
                this, QStringLiteral("The estimates were not exported. %1").arg(written.problem));
            return false;
        }
    }
    if (!problem.isEmpty()) {
        Dialogs::warn(this, QStringLiteral("The estimates were not exported to %1. %2")
                                .arg(QDir::toNativeSeparators(path), problem));
        return false;
    }
    return true;
}
