#include "screens/estimates_window.h"

#include "book/customer_fields.h"
#include "core/clock.h"
#include "core/money.h"
#include "core/numbers.h"
#include "estimate/booking_money.h"
#include "estimate/estimate_summary.h"
#include "screens/accuracy_window.h"
#include "store/csv.h"
#include "store/file_writer.h"
#include "ui/dialogs.h"
#include "ui/field_cues.h"
#include "ui/window_keys.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
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

// The columns of the list, as shown and as exported.
enum Column {
    NumberColumn,
    DateColumn,
    CustomerColumn,
    PhoneColumn,
    SpeciesColumn,
    LiveWeightColumn,
    QuoteColumn,
    FinalColumn,
    DifferenceColumn,
    LikelyColumn,
    AnimalTagColumn,
    HunterColumn,
    NoteColumn,
    PaidColumn,
    BalanceColumn,
    ColumnCount
};
const QStringList Columns = {
    QStringLiteral("Number"),       QStringLiteral("Date"),         QStringLiteral("Customer"),
    QStringLiteral("Phone"),        QStringLiteral("Species"),      QStringLiteral("Live Weight"),
    QStringLiteral("Quoted Total"), QStringLiteral("Final Total"),  QStringLiteral("Difference"),
    QStringLiteral("Likely Total"), QStringLiteral("Animal's Tag"), QStringLiteral("Hunter's Tag"),
    QStringLiteral("Note"),         QStringLiteral("Paid"),         QStringLiteral("Balance Due"),
};
// The export gives the likely range as two numbers.
const QStringList ExportColumns =
    Columns.mid(0, LikelyColumn) +
    QStringList{QStringLiteral("Likely Low"), QStringLiteral("Likely High")} +
    Columns.mid(AnimalTagColumn);

// No column is made wider than this by what it holds (a long name or note is
// cut at the edge; the cell's tip shows it whole).
constexpr int WidestColumn = 320;

// How long typing pauses before a search of a server is made.
constexpr int SearchPauseMs = 200;

// The role that holds what a cell sorts by: a number for numbers and money, so
// that 9 comes before 10.
constexpr int SortRole = Qt::UserRole + 1;

class ListCell : public QTableWidgetItem {
public:
    explicit ListCell(const QString& text, const QVariant& sortKey = QVariant())
        : QTableWidgetItem(text)
    {
        setData(SortRole, sortKey);
        if (text.size() > 40)
            setToolTip(text);
    }
    bool operator<(const QTableWidgetItem& other) const override
    {
        const QVariant mine = data(SortRole), theirs = other.data(SortRole);
        if (mine.isValid() || theirs.isValid()) {
            if (!mine.isValid() || !theirs.isValid())
                return !mine.isValid(); // a cell without a figure first
            return mine.toDouble() < theirs.toDouble();
        }
        return text().localeAwareCompare(other.text()) < 0;
    }
};

// One estimate's figures in cents: the quote, the final bill and the
// difference (none while there is no final bill or a total is not a number);
// for one billing a booking, what was paid against it and the balance due
// (of its final bill, or its quote while it has none).
struct ListedMoney {
    std::optional<qint64> quote, billed, difference;
    std::optional<qint64> paid, due;
};

ListedMoney moneyOf(const EstimateListing& e, const BillMoney& bill)
{
    ListedMoney m;
    m.quote = CentsOf(e.quoteTotal);
    if (!e.finalTotal.isEmpty())
        m.billed = CentsOf(e.finalTotal);
    if (m.quote && m.billed)
        m.difference = *m.billed - *m.quote;
    if (bill.booking > 0) {
        m.paid = bill.paid();
        if (const std::optional<qint64> total = e.finalTotal.isEmpty() ? m.quote : m.billed)
            m.due = bill.balance(*total).due();
    }
    return m;
}

// Money as the list shows it, to the cent; a total that is not a number as
// it stands.
QString shownMoney(const std::optional<qint64>& cents, const QString& asSaved)
{
    return cents ? MoneyText(*cents) : asSaved;
}

// One estimate's row as shown.
QList<QTableWidgetItem*> cellsOf(const EstimateListing& e, const BillMoney& bill)
{
    const ListedMoney m = moneyOf(e, bill);
    const auto number = [](const std::optional<qint64>& cents) {
        return cents ? QVariant(double(*cents)) : QVariant();
    };
    const std::optional<double> live = StrictNumber(e.liveWeight);
    QList<QTableWidgetItem*> cells = {
        new ListCell(QString::number(e.number), double(e.number)),
        new ListCell(e.created.toString(QStringLiteral("yyyy-MM-dd hh:mm"))),
        // Saved before names were kept on one line, shown on one line.
        new ListCell(CustomerFields::oneLine(e.customer)),
        new ListCell(CustomerFields::oneLine(e.phone)),
        new ListCell(e.species),
        new ListCell(e.liveWeight, live ? QVariant(*live) : QVariant()),
        new ListCell(shownMoney(m.quote, e.quoteTotal), number(m.quote)),
        new ListCell(shownMoney(m.billed, e.finalTotal), number(m.billed)),
        new ListCell(m.difference ? SignedMoneyText(*m.difference) : QString(),
                     number(m.difference)),
        // The quote's likely range, as it was given.
        new ListCell(
            e.likelyLow && e.likelyHigh
                ? QStringLiteral("%1 to %2").arg(MoneyText(*e.likelyLow), MoneyText(*e.likelyHigh))
                : QString(),
            number(e.likelyLow)),
        new ListCell(e.tag),
        new ListCell(CustomerFields::oneLine(e.hunter)),
        new ListCell(CustomerFields::oneLine(e.note)),
        new ListCell(m.paid ? MoneyText(*m.paid) : QString(), number(m.paid)),
        new ListCell(m.due ? MoneyText(*m.due) : QString(), number(m.due)),
    };
    for (int column : {NumberColumn, LiveWeightColumn, QuoteColumn, FinalColumn, DifferenceColumn,
                       LikelyColumn, PaidColumn, BalanceColumn})
        cells[column]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return cells;
}

// One estimate's line of the export: money as plain numbers (a minus sign,
// no currency sign), which a spreadsheet reads as numbers; every text cell
// made inert, so that none runs as a formula.
QStringList exportedCells(const EstimateListing& e, const BillMoney& bill)
{
    const ListedMoney m = moneyOf(e, bill);
    const auto plain = [](const std::optional<qint64>& cents, const QString& asSaved) {
        return cents ? CentsText(*cents) : Csv::inert(asSaved);
    };
    return {QString::number(e.number),
            e.created.toString(QStringLiteral("yyyy-MM-dd hh:mm")),
            Csv::inert(e.customer),
            Csv::inert(e.phone),
            Csv::inert(e.species),
            Csv::inert(e.liveWeight),
            plain(m.quote, e.quoteTotal),
            plain(m.billed, e.finalTotal),
            m.difference ? CentsText(*m.difference) : QString(),
            e.likelyLow ? CentsText(*e.likelyLow) : QString(),
            e.likelyHigh ? CentsText(*e.likelyHigh) : QString(),
            Csv::inert(e.tag),
            Csv::inert(e.hunter),
            Csv::inert(e.note),
            m.paid ? CentsText(*m.paid) : QString(),
            m.due ? CentsText(*m.due) : QString()};
}

} // namespace

// ---------------------------------------------------------------- the save dialog

SaveEstimateDialog::SaveEstimateDialog(const EstimateRecord& record, bool finalByDefault,
                                       bool fixed, bool askHunter, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSaveEstimate"));
    setWindowTitle(record.number ? QStringLiteral("Save Estimate %1").arg(record.number)
                                 : QStringLiteral("Save Estimate"));
    customer_ = lineEdit(this, "txtCustomer", record.customer);
    phone_ = lineEdit(this, "txtPhone", record.phone);
    note_ = lineEdit(this, "txtNote", record.note);
    // Each field tells what is wrong with it as it is typed; OK tells it again.
    MarkInvalidWhile(customer_, [](const QString& text) {
        return CustomerFields::nameProblem(CustomerFields::oneLine(text));
    });
    MarkInvalidWhile(phone_, [](const QString& text) {
        return CustomerFields::phoneProblem(CustomerFields::oneLine(text));
    });
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Customer's name:"), customer_);
    form->addRow(QStringLiteral("&Phone:"), phone_);
    if (askHunter || !record.hunter.isEmpty()) {
        hunter_ = lineEdit(this, "txtHunterTag", record.hunter);
        hunter_->setPlaceholderText(QStringLiteral("optional"));
        MarkInvalidWhile(hunter_, [](const QString& text) {
            return CustomerFields::hunterTagProblem(CustomerFields::oneLine(text));
        });
        form->addRow(QStringLiteral("&Hunter's tag or licence:"), hunter_);
        // Made after the note, the tag is put before it for Tab too.
        setTabOrder(phone_, hunter_);
    }
    form->addRow(QStringLiteral("N&ote:"), note_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    if (record.number) {
        // The first save was the quote; the carcass weighed, the clerk records
        // the final bill beside it, or mends the quote itself, or keeps it
        // as it was and saves this as another customer's estimate.
        auto* quote = new QRadioButton(QStringLiteral("Update the &quote"), this);
        quote->setObjectName(QStringLiteral("optQuote"));
        final_ = new QRadioButton(
            record.hasFinal()
                ? QStringLiteral("Update the &final bill (the quote is kept as given)")
                : QStringLiteral("Record the &final bill (the quote is kept as "
                                 "given)"),
            this);
        final_->setObjectName(QStringLiteral("optFinal"));
        asNew_ =
            new QRadioButton(QStringLiteral("Save as a &new estimate (estimate %1 stays as it is)")
                                 .arg(record.number),
                             this);
        asNew_->setObjectName(QStringLiteral("optNew"));
        (finalByDefault ? final_ : quote)->setChecked(true);
        // With a final bill, the one shown is saved: the other is never
        // overwritten by it.
        (finalByDefault ? quote : final_)->setEnabled(!fixed);
        layout->addWidget(final_);
        layout->addWidget(quote);
        layout->addWidget(asNew_);
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
                                                                  bool finalByDefault, bool fixed,
                                                                  bool askHunter)
{
    SaveEstimateDialog dialog(record, finalByDefault, fixed, askHunter, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.answer();
}

SaveEstimateDialog::Answer SaveEstimateDialog::answer() const
{
    using CustomerFields::oneLine;
    return {oneLine(customer_->text()),    oneLine(phone_->text()),
            oneLine(note_->text()),        hunter_ ? oneLine(hunter_->text()) : QString(),
            final_ && final_->isChecked(), asNew_ && asNew_->isChecked()};
}

void SaveEstimateDialog::accept()
{
    const Answer a = answer();
    const std::pair<QLineEdit*, QString> checks[] = {
        {customer_, CustomerFields::nameProblem(a.customer)},
        {phone_, CustomerFields::phoneProblem(a.phone)},
        {hunter_, CustomerFields::hunterTagProblem(a.hunter)},
    };
    for (const auto& [field, problem] : checks) {
        if (field && !problem.isEmpty()) {
            Dialogs::warn(this, problem);
            field->setFocus();
            field->selectAll();
            return;
        }
    }
    QDialog::accept();
}

// ---------------------------------------------------------------- the Estimates window

QDate SeasonStart(const QDate& today)
{
    const QDate thisYears(today.year(), 9, 1);
    return today >= thisYears ? thisYears : thisYears.addYears(-1);
}

EstimatesWindow::EstimatesWindow(EstimateBook& book, PriceSource& shop, const Clock& clock,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window)
    , book_(book)
    , shop_(shop)
    , clock_(clock)
{
    setObjectName(QStringLiteral("frmEstimates"));
    setWindowTitle(QStringLiteral("Saved Estimates"));

    search_ = lineEdit(this, "txtSearch", QString());
    search_->setPlaceholderText(
        QStringLiteral("Customer's name, phone, note, animal's or hunter's tag, or estimate "
                       "number"));
    search_->setClearButtonEnabled(true);
    searchPause_ = new QTimer(this);
    searchPause_->setSingleShot(true);
    searchPause_->setInterval(SearchPauseMs);
    connect(searchPause_, &QTimer::timeout, this, &EstimatesWindow::refresh);
    connect(search_, &QLineEdit::textChanged, this, [this] {
        if (book_.location().isServer())
            searchPause_->start();
        else
            refresh(); // a file answers at once
    });
    // Enter opens the estimate selected; Up and Down move along the list.
    connect(search_, &QLineEdit::returnPressed, this, &EstimatesWindow::openSelected);
    search_->installEventFilter(this);

    period_ = new QComboBox(this);
    period_->setObjectName(QStringLiteral("cboPeriod"));
    period_->addItems(
        {QStringLiteral("All"), QStringLiteral("This season"), QStringLiteral("This year")});
    period_->setToolTip(QStringLiteral("The season begins on the first of September"));
    connect(period_, &QComboBox::currentIndexChanged, this, &EstimatesWindow::refresh);

    table_ = new QTableWidget(0, int(Columns.size()), this);
    table_->setObjectName(QStringLiteral("tblEstimates"));
    table_->setAccessibleName(QStringLiteral("Saved estimates"));
    table_->setHorizontalHeaderLabels(Columns);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true); // the note
    table_->horizontalHeader()->setSortIndicatorShown(true);
    table_->horizontalHeader()->setSortIndicator(NumberColumn, Qt::DescendingOrder);
    table_->installEventFilter(this);
    // Tab leaves the list (the arrows move along it).
    table_->setTabKeyNavigation(false);
    connect(table_, &QTableWidget::cellDoubleClicked, this, &EstimatesWindow::openSelected);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);

    QPushButton* open = button(this, "cmdOpen", QStringLiteral("&Open"));
    open->setToolTip(QStringLiteral("Show the estimate on the Estimate screen, as it was saved"));
    QPushButton* newFrom = button(this, "cmdNewFromThis", QStringLiteral("New &from This"));
    newFrom->setToolTip(QStringLiteral("Start a new estimate for another customer with the same "
                                       "animal and services"));
    QPushButton* print = button(this, "cmdPrint", QStringLiteral("&Print..."));
    QPushButton* remove = button(this, "cmdDelete", QStringLiteral("&Delete"));
    QPushButton* exportCsv = button(this, "cmdExport", QStringLiteral("&Export..."));
    exportCsv->setToolTip(QStringLiteral("Write the estimates found as a CSV file"));
    QPushButton* bookDate = button(this, "cmdBookKillDate", QStringLiteral("&Book a Kill Date..."));
    bookDate->setToolTip(QStringLiteral("Book a kill date for the estimate chosen"));
    QPushButton* accuracy = button(this, "showAccuracy", QStringLiteral("&Quote accuracy\u2026"));
    accuracy->setToolTip(QStringLiteral("How near the quotes came to the final bills"));
    QPushButton* close = button(this, "cmdClose", QStringLiteral("&Close"));
    connect(open, &QPushButton::clicked, this, &EstimatesWindow::openSelected);
    connect(newFrom, &QPushButton::clicked, this, [this] {
        if (const qint64 number = selectedNumber())
            emit newFromRequested(number);
    });
    connect(print, &QPushButton::clicked, this, &EstimatesWindow::printSelected);
    connect(remove, &QPushButton::clicked, this, &EstimatesWindow::deleteSelected);
    connect(exportCsv, &QPushButton::clicked, this, &EstimatesWindow::exportList);
    connect(accuracy, &QPushButton::clicked, this, &EstimatesWindow::showAccuracy);
    connect(bookDate, &QPushButton::clicked, this, [this] {
        if (const qint64 number = selectedNumber())
            emit bookRequested(number);
    });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* top = new QHBoxLayout;
    auto* find = new QLabel(QStringLiteral("&Find:"), this);
    find->setBuddy(search_);
    auto* saved = new QLabel(QStringLiteral("&Saved:"), this);
    saved->setBuddy(period_);
    top->addWidget(find);
    top->addWidget(search_, 1);
    top->addWidget(saved);
    top->addWidget(period_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {open, newFrom, print, bookDate, remove, exportCsv, accuracy})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    resize(1100, 520);
    // What other counters save and delete shows while the window is open.
    auto* changes = new QTimer(this);
    connect(changes, &QTimer::timeout, this, [this] {
        if (isVisible() && book_.changesSeen() != changesShown_)
            refresh();
    });
    changes->start(ChangesLookMs);
    changesShown_ = book_.changesSeen(); // from now on
    // Tab from the search goes to the list, then on to the period and the buttons.
    setTabOrder(search_, table_);
    setTabOrder(table_, period_);
    EnterPressesButtons(this);
    EscapeCloses(this);
    refresh();
    search_->setFocus();
}

QDate EstimatesWindow::since() const
{
    const QDate today = clock_.today();
    switch (period_->currentIndex()) {
    case 1:
        return SeasonStart(today);
    case 2:
        return QDate(today.year(), 1, 1);
    default:
        return QDate();
    }
}

bool EstimatesWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == table_ && enter && key->modifiers() == Qt::NoModifier) {
        openSelected();
        return true;
    }
    // Delete in the list deletes the estimate selected, asking first.
    if (watched == table_ && key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
        deleteSelected();
        return true;
    }
    if (watched == search_ && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) &&
        table_->rowCount() > 0) {
        const int row = table_->currentIndex().isValid() && !table_->selectedItems().isEmpty()
                            ? table_->currentRow() + (key->key() == Qt::Key_Down ? 1 : -1)
                            : 0;
        table_->selectRow(std::clamp(row, 0, table_->rowCount() - 1));
        table_->scrollToItem(table_->item(table_->currentRow(), 0));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

BillMoney EstimatesWindow::billOf(qint64 estimate)
{
    // Read again only after a change told: a search asks the book once.
    // A read that failed is made again at the next refresh.
    if (!billingRead_ || *billingRead_ != book_.changesCounted()) {
        QString problem;
        const quint64 changes = book_.changesCounted();
        billing_.clear();
        for (const Booking& b : book_.billedBookings(&problem))
            for (const qint64 number : b.estimates)
                billing_[number].append(b);
        if (problem.isEmpty())
            billingRead_ = changes;
        else
            billingRead_.reset();
    }
    return MoneyOnBill(billing_.value(estimate), estimate);
}

void EstimatesWindow::refresh()
{
    searchPause_->stop();
    const qint64 selected = selectedNumber();
    QString problem;
    // One more than is shown, to tell that there are more.
    const QList<EstimateListing> found =
        book_.list(search_->text(), &problem, ShownRows + 1, since());
    // What the list shows takes in every change told so far.
    changesShown_ = book_.changesCounted();
    const int shown = int(std::min<qsizetype>(found.size(), ShownRows));
    table_->setUpdatesEnabled(false);
    table_->setSortingEnabled(false);
    table_->clearContents();
    table_->setRowCount(shown);
    for (int row = 0; row < shown; ++row) {
        const QList<QTableWidgetItem*> cells = cellsOf(found[row], billOf(found[row].number));
        for (int column = 0; column < cells.size(); ++column)
            table_->setItem(row, column, cells[column]);
        table_->item(row, NumberColumn)->setData(Qt::UserRole, found[row].number);
    }
    // Sorted as the clerk last clicked a column's head (newest first at the
    // start), the selection kept on its estimate.
    table_->setSortingEnabled(true);
    for (int row = 0; row < shown; ++row)
        if (table_->item(row, NumberColumn)->data(Qt::UserRole).toLongLong() == selected)
            table_->selectRow(row);
    table_->resizeColumnsToContents();
    for (int column = 0; column + 1 < table_->columnCount(); ++column)
        table_->setColumnWidth(column, std::min(table_->columnWidth(column), WidestColumn));
    table_->setUpdatesEnabled(true);
    if (!problem.isEmpty())
        status_->setText(problem); // the book says what could not be read, and why
    else if (found.size() > shown)
        status_->setText(QStringLiteral("The newest %1 estimates found are shown; search to "
                                        "find older ones.")
                             .arg(shown));
    else
        status_->setText(found.isEmpty() && search_->text().isEmpty() && !since().isValid()
                             ? QStringLiteral("No estimate is saved yet.")
                             : QStringLiteral("%1 found.")
                                   .arg(CountOf(found.size(), QStringLiteral("estimate"),
                                                QStringLiteral("estimates"))));
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
    if (searchPause_->isActive()) { // what was typed is searched first
        searchPause_->stop();
        refresh();
    }
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
    const QString customer = table_->item(table_->currentRow(), CustomerColumn)->text();
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
        accuracy_ = new AccuracyWindow(book_, shop_, this);
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
    const QList<EstimateListing> found = book_.list(search_->text(), &problem, -1, since());
    if (problem.isEmpty()) {
        QString text = Csv::format(ExportColumns) + QLatin1Char('\n');
        for (const EstimateListing& e : found)
            text += Csv::format(exportedCells(e, billOf(e.number))) + QLatin1Char('\n');
        // The byte-order mark tells a spreadsheet that the text is UTF-8, so
        // that an accented name reads as it was typed.
        const StoreResult written =
            WriteWholeFile(path, QByteArray("\xEF\xBB\xBF") + text.toUtf8(),
                           {{book_.path(), QStringLiteral("the book of saved estimates")}});
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
