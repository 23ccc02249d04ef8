#include "screens/price_list_window.h"

#include "core/numbers.h"
#include "pricelist/item_names.h"
#include "screens/cut_sheet_masters_window.h"
#include "screens/estimate_print.h"
#include "store/database.h"
#include "ui/dialogs.h"
#include "ui/window_keys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

namespace {

enum Column { ItemColumn, CostColumn, CategoryColumn, ColumnCount };

const QColor WrongCell(255, 200, 200);

QString changesCounted(qsizetype count)
{
    return CountOf(count, QStringLiteral("change"), QStringLiteral("changes"));
}

// Where a row keeps the id of the file's row it shows; a row added in the
// window has none.
constexpr int RowIdRole = Qt::UserRole;

const QString ColumnNames[ColumnCount] = {QStringLiteral("Item"), QStringLiteral("Cost"),
                                          QStringLiteral("Category")};

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QString cellText(const QTableWidget* table, int row, int column)
{
    const QTableWidgetItem* cell = table->item(row, column);
    return cell ? cell->text() : QString();
}

// The names in double quotes, one after the other.
QString quoted(const QStringList& names)
{
    QStringList list;
    for (const QString& name : names)
        list << QStringLiteral("\"%1\"").arg(name);
    return list.join(QStringLiteral(", "));
}

// True when the two texts are the same cost: the same text, or the same amount.
bool sameCost(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    const std::optional<double> x = StrictNumber(a);
    const std::optional<double> y = StrictNumber(b);
    return x && y && *x == *y;
}

bool sameRow(const PriceEntry& a, const PriceEntry& b)
{
    return a.item == b.item && a.category == b.category && sameCost(a.cost, b.cost);
}

// Runs while the window asks or tells something: see busy_.
class Busy {
public:
    explicit Busy(bool& flag)
        : flag_(flag)
        , was_(flag)
    {
        flag_ = true;
    }
    ~Busy() { flag_ = was_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    bool& flag_;
    bool was_;
};

// The recorded changes of one item, newest first, in a window of their own.
void showItemHistory(QWidget* parent, const QString& item, const PriceHistoryRead& read)
{
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("frmPriceHistory"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Price History - %1").arg(item));
    auto* table = new QTableWidget(int(read.changes.size()), 4, dialog);
    table->setObjectName(QStringLiteral("tblHistory"));
    table->setHorizontalHeaderLabels({QStringLiteral("When"), QStringLiteral("Machine"),
                                      QStringLiteral("User"), QStringLiteral("Change")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();
    for (int row = 0; row < read.changes.size(); ++row) {
        const PriceChange& change = read.changes[row];
        const QStringList cells = {change.whenText(), change.machine, change.user, change.what()};
        for (int column = 0; column < cells.size(); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table->resizeColumnsToContents();
    QString words = read.problem.isEmpty() ? read.notKept : read.problem;
    if (words.isEmpty())
        words = read.changes.isEmpty()
                    ? QStringLiteral("No change to \"%1\" has been recorded yet.").arg(item)
                    : QStringLiteral("%1 to \"%2\", the newest first.")
                          .arg(changesCounted(read.changes.size()), item);
    auto* note = new QLabel(words, dialog);
    note->setObjectName(QStringLiteral("lblHistory"));
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(note);
    layout->addWidget(table);
    layout->addWidget(buttons);
    dialog->resize(640, 360);
    dialog->show();
}

} // namespace

PriceListWindow::PriceListWindow(const QString& priceListPath, QWidget* parent)
    : PriceListWindow(std::make_shared<PriceConnection>(StoreLocation(priceListPath)), parent)
{}

PriceListWindow::PriceListWindow(std::shared_ptr<PriceConnection> connection, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , connection_(connection)
    , editor_(std::move(connection))
{
    setObjectName(QStringLiteral("frmPriceList"));
    setWindowTitle(QStringLiteral("Price List - %1").arg(editor_.describe()));

    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName(QStringLiteral("tblPrices"));
    table_->setHorizontalHeaderLabels(
        {ColumnNames[ItemColumn], ColumnNames[CostColumn], ColumnNames[CategoryColumn]});
    table_->horizontalHeader()->setSectionResizeMode(ItemColumn, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(CategoryColumn, QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(table_, &QTableWidget::itemChanged, this, &PriceListWindow::cellChanged);

    add_ = button(this, "cmdAdd", QStringLiteral("&Add Item"));
    delete_ = button(this, "cmdDelete", QStringLiteral("&Delete Item"));
    reload_ = button(this, "cmdReload", QStringLiteral("&Reload"));
    reload_->setToolTip(QStringLiteral("Show the price list as the file holds it now"));
    history_ = button(this, "cmdHistory", QStringLiteral("&History..."));
    history_->setToolTip(QStringLiteral("Show the recorded changes of the selected item"));
    QPushButton* masters =
        button(this, "cmdCutSheetMasters", QStringLiteral("Cut-Sheet &Masters..."));
    masters->setToolTip(QStringLiteral("The shop's cut-sheet masters of beef, pork and deer"));
    connect(masters, &QPushButton::clicked, this, [this] {
        auto* window = new CutSheetMastersWindow(connection_, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    });
    save_ = button(this, "cmdSave", QStringLiteral("&Save"));
    close_ = button(this, "cmdClose", QStringLiteral("&Close"));
    connect(add_, &QPushButton::clicked, this, &PriceListWindow::addRow);
    connect(delete_, &QPushButton::clicked, this, &PriceListWindow::deleteRows);
    connect(reload_, &QPushButton::clicked, this, &PriceListWindow::reload);
    connect(history_, &QPushButton::clicked, this, &PriceListWindow::showHistory);
    connect(save_, &QPushButton::clicked, this, &PriceListWindow::save);
    connect(close_, &QPushButton::clicked, this, &PriceListWindow::close);
    lostSave_ = new QTimer(this);
    lostSave_->setInterval(1000);
    connect(lostSave_, &QTimer::timeout, this, [this] {
        if (!busy_)
            settleLostSave();
    });
    EnterPressesButtons(this);
    // A cell being edited takes Escape first, to give up the edit.
    EscapeCloses(this);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add_);
    buttons->addWidget(delete_);
    buttons->addWidget(reload_);
    buttons->addWidget(history_);
    buttons->addWidget(masters);
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    // The shop's own name, address and phone, at the head of every printed
    // estimate; kept beside the price list, the same for every counter.
    auto* shop = new QGroupBox(QStringLiteral("The shop, as printed on the estimates"), this);
    shop->setObjectName(QStringLiteral("fraShop"));
    shopName_ = new QLineEdit(shop);
    shopName_->setObjectName(QStringLiteral("txtShopName"));
    shopAddress_ = new QLineEdit(shop);
    shopAddress_->setObjectName(QStringLiteral("txtShopAddress"));
    shopPhone_ = new QLineEdit(shop);
    shopPhone_->setObjectName(QStringLiteral("txtShopPhone"));
    QPushButton* saveShop = button(shop, "cmdSaveShop", QStringLiteral("Save Sh&op"));
    connect(saveShop, &QPushButton::clicked, this, &PriceListWindow::saveShop);
    shopStatus_ = new QLabel(shop);
    shopStatus_->setObjectName(QStringLiteral("lblShop"));
    shopStatus_->setWordWrap(true);
    shopStatus_->hide();
    auto* shopForm = new QFormLayout(shop);
    shopForm->addRow(QStringLiteral("Name:"), shopName_);
    shopForm->addRow(QStringLiteral("Address:"), shopAddress_);
    shopForm->addRow(QStringLiteral("Phone:"), shopPhone_);
    shopForm->addRow(QString(), saveShop);
    shopForm->addRow(shopStatus_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    layout->addWidget(shop);
    resize(640, 600);

    if (editor_.open() != PriceList::OpenResult::Opened) {
        problem_ = editor_.problem();
        return;
    }
    if (!load()) {
        problem_ = status_->text();
        return;
    }
    loadShop();
}

PriceListWindow::~PriceListWindow()
{
    // A cell still being edited is committed as the window goes: not a change
    // for a window that is no longer there.
    disconnect(table_, nullptr, this, nullptr);
}

bool PriceListWindow::load()
{
    QString why;
    const QList<PriceEntry> entries = editor_.entries(&why);
    if (!why.isEmpty()) {
        status_->setText(why);
        return false;
    }
    loaded_ = entries;
    loadedById_.clear();
    removed_.clear();
    loading_ = true;
    table_->setRowCount(0);
    table_->setRowCount(int(entries.size()));
    for (int row = 0; row < entries.size(); ++row) {
        loadedById_.insert(entries[row].rowId, entries[row]);
        showRow(row, entries[row], true);
    }
    loading_ = false;
    changed_ = false;
    status_->setText(QStringLiteral("%1 items in %2").arg(entries.size()).arg(editor_.path()));
    return true;
}

void PriceListWindow::commitEdit()
{
    if (QWidget* editor = table_->indexWidget(table_->currentIndex()))
        emit table_->itemDelegate()->commitData(editor);
}

void PriceListWindow::showRow(int row, const PriceEntry& entry, bool fromFile)
{
    auto* item = new QTableWidgetItem(entry.item);
    if (fromFile)
        item->setData(RowIdRole, entry.rowId);
    table_->setItem(row, ItemColumn, item);
    auto* cost = new QTableWidgetItem(PriceListEditor::moneyText(entry.cost));
    cost->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table_->setItem(row, CostColumn, cost);
    table_->setItem(row, CategoryColumn, new QTableWidgetItem(entry.category));
}

PriceEntry PriceListWindow::entryAt(int row) const
{
    return {cellText(table_, row, ItemColumn), cellText(table_, row, CostColumn).trimmed(),
            cellText(table_, row, CategoryColumn)};
}

const PriceEntry* PriceListWindow::loadedRow(int row) const
{
    const QTableWidgetItem* item = table_->item(row, ItemColumn);
    const QVariant id = item ? item->data(RowIdRole) : QVariant();
    if (!id.isValid())
        return nullptr;
    const auto loaded = loadedById_.constFind(id.toLongLong());
    return loaded == loadedById_.constEnd() ? nullptr : &*loaded;
}

bool PriceListWindow::rowChanged(int row) const
{
    const PriceEntry* loaded = loadedRow(row);
    return !loaded || !sameRow(entryAt(row), *loaded);
}

void PriceListWindow::cellChanged()
{
    if (loading_)
        return;
    changed_ = true;
    const QList<BadCell> bad = markCells();
    status_->setText(bad.isEmpty() ? QStringLiteral("Changed; not saved yet.")
                                   : QStringLiteral("Changed; not saved yet. %1 cell(s) are not "
                                                    "right: point at a red cell to see why.")
                                         .arg(bad.size()));
}

QList<PriceListWindow::BadCell> PriceListWindow::markCells()
{
    const int rows = table_->rowCount();
    QHash<QString, QList<int>> rowsOfName;
    for (int row = 0; row < rows; ++row)
        rowsOfName[cellText(table_, row, ItemColumn)] << row;

    QList<BadCell> bad;
    for (int row = 0; row < rows; ++row) {
        QString why[ColumnCount];
        if (rowChanged(row)) {
            const PriceEntry entry = entryAt(row);
            why[ItemColumn] = ItemNames::nameProblem(entry.item);
            if (why[ItemColumn].isEmpty()) {
                for (const int other : rowsOfName.value(entry.item))
                    if (other != row) {
                        why[ItemColumn] =
                            QStringLiteral("\"%1\" is already on row %2; an item may be listed "
                                           "once.")
                                .arg(entry.item, QString::number(other + 1));
                        break;
                    }
            }
            why[CostColumn] = entry.cost.isEmpty() ? QStringLiteral("An item needs a cost.")
                                                   : MoneyAmountProblem(entry.cost);
            why[CategoryColumn] = ItemNames::categoryProblem(entry.category);
        }
        for (int column = 0; column < ColumnCount; ++column) {
            QTableWidgetItem* cell = table_->item(row, column);
            if (!cell)
                continue;
            const QVariant background = why[column].isEmpty() ? QVariant() : QVariant(WrongCell);
            const bool loadingBefore = loading_;
            loading_ = true; // a mark is not a change
            if (cell->data(Qt::BackgroundRole) != background)
                cell->setData(Qt::BackgroundRole, background);
            if (cell->toolTip() != why[column])
                cell->setToolTip(why[column]);
            loading_ = loadingBefore;
            if (!why[column].isEmpty())
                bad.append({row, column, why[column]});
        }
    }
    return bad;
}

void PriceListWindow::addRow()
{
    const int row = table_->rowCount();
    loading_ = true;
    table_->insertRow(row);
    showRow(row, {}, false);
    loading_ = false;
    changed_ = true;
    status_->setText(QStringLiteral("Changed; not saved yet."));
    QTableWidgetItem* name = table_->item(row, ItemColumn);
    table_->scrollToItem(name);
    table_->setFocus();
    table_->setCurrentCell(row, ItemColumn);
    table_->editItem(name);
}

void PriceListWindow::deleteRows()
{
    Busy busy(busy_);
    QList<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows << index.row();
    if (rows.isEmpty() && table_->currentRow() >= 0)
        rows << table_->currentRow();
    if (rows.isEmpty())
        return;
    std::sort(rows.begin(), rows.end(), std::greater<int>());

    // The program's own items that would be gone from the file: ask first.
    const QSet<int> going(rows.cbegin(), rows.cend());
    QSet<QString> kept;
    for (int row = 0; row < table_->rowCount(); ++row)
        if (!going.contains(row))
            kept.insert(cellText(table_, row, ItemColumn));
    QStringList uses;
    for (const int row : rows) {
        const PriceEntry* loaded = loadedRow(row);
        if (!loaded || kept.contains(loaded->item))
            continue;
        const QString use = ItemNames::usedFor(loaded->item);
        if (!use.isEmpty())
            uses << QStringLiteral("\"%1\" prices %2.").arg(loaded->item, use);
    }
    if (!uses.isEmpty() &&
        !Dialogs::askYesNo(this,
                           QStringLiteral("%1\n\nOnce it is deleted, the program cannot price "
                                          "that any more. Delete anyway?")
                               .arg(uses.join(QLatin1Char('\n'))),
                           Dialogs::appTitle(), QMessageBox::Warning))
        return;

    for (const int row : rows) {
        if (const PriceEntry* loaded = loadedRow(row))
            removed_ << loaded->rowId;
        table_->removeRow(row);
    }
    changed_ = true;
    markCells();
    status_->setText(QStringLiteral("Changed; not saved yet."));
}

void PriceListWindow::showHistory()
{
    const QModelIndexList selected = table_->selectionModel()->selectedRows();
    const int row = selected.isEmpty() ? table_->currentRow() : selected.first().row();
    // A row renamed here and not saved yet has the history of its saved name.
    const PriceEntry* loaded = row < 0 ? nullptr : loadedRow(row);
    const QString item = loaded ? loaded->item : cellText(table_, row, ItemColumn);
    if (item.isEmpty()) {
        status_->setText(QStringLiteral("Select an item to see its history."));
        return;
    }
    showItemHistory(this, item, editor_.history(item));
}

void PriceListWindow::reload()
{
    Busy busy(busy_);
    commitEdit();
    if (changed_ &&
        !Dialogs::askYesNo(this,
                           QStringLiteral("Throw away the changes made here and show the price "
                                          "list as the file holds it now?"),
                           Dialogs::appTitle(), QMessageBox::Question))
        return;
    if (!load())
        Dialogs::warn(
            this,
            QStringLiteral("The price list could not be read again. %1").arg(status_->text()));
}

QStringList PriceListWindow::changedElsewhere()
{
    QString why;
    const QList<PriceEntry> now = editor_.entries(&why);
    if (!why.isEmpty())
        return {};
    QStringList items;
    QSet<qint64> seen;
    for (const PriceEntry& entry : now) {
        seen.insert(entry.rowId);
        const auto loaded = loadedById_.constFind(entry.rowId);
        if (loaded == loadedById_.constEnd() || !sameRow(entry, *loaded))
            items << entry.item;
    }
    for (const PriceEntry& entry : loaded_)
        if (!seen.contains(entry.rowId))
            items << entry.item;
    items.removeDuplicates();
    return items;
}

void PriceListWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        noticeChangesElsewhere();
}

void PriceListWindow::noticeChangesElsewhere()
{
    if (busy_ || !problem_.isEmpty() || QApplication::activeModalWidget())
        return;
    const QStringList items = changedElsewhere();
    if (items.isEmpty())
        return;
    // Nothing of the clerk's to lose: show the file as it is now.
    if (!changed_ && !table_->indexWidget(table_->currentIndex())) {
        if (!load())
            return;
        status_->setText(QStringLiteral("Shown afresh: %1 changed in the price list meanwhile.")
                             .arg(quoted(items)));
        return;
    }
    status_->setText(QStringLiteral("%1 changed in the price list since this window showed it. "
                                    "Save writes only the rows changed here; Reload shows the "
                                    "file as it is now.")
                         .arg(quoted(items)));
}

QList<RowChange> PriceListWindow::changes() const
{
    using Change = RowChange;
    QList<Change> list;
    for (const qint64 id : removed_)
        list.append({Change::Kind::Remove, id, loadedById_.value(id), PriceEntry()});
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (!rowChanged(row))
            continue;
        const PriceEntry now = entryAt(row);
        if (const PriceEntry* loaded = loadedRow(row))
            list.append({Change::Kind::Change, loaded->rowId, *loaded, now});
        else
            list.append({Change::Kind::Add, 0, PriceEntry(), now});
    }
    return list;
}

bool PriceListWindow::settleLookAlikes()
{
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (!rowChanged(row))
            continue;
        const PriceEntry entry = entryAt(row);
        const PriceEntry* loaded = loadedRow(row);
        if (loaded && loaded->item == entry.item)
            continue; // not renamed
        QStringList others;
        for (int other = 0; other < table_->rowCount(); ++other)
            if (other != row)
                others << cellText(table_, other, ItemColumn);
        const QString meant = ItemNames::lookAlike(entry.item, others);
        if (meant.isEmpty())
            continue;
        table_->setCurrentCell(row, ItemColumn);
        const QMessageBox::StandardButton answer = Dialogs::ask(
            this,
            QStringLiteral("Row %1: did you mean \"%2\"? \"%3\" differs from it only by "
                           "capitals or blanks, and the program finds an item only by its exact "
                           "name.\n\nYes puts \"%2\" in its place; No keeps \"%3\" as a new "
                           "item of its own; Cancel goes back to the table without saving.")
                .arg(row + 1)
                .arg(meant, entry.item),
            Dialogs::appTitle(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel)
            return false;
        if (answer == QMessageBox::Yes)
            table_->item(row, ItemColumn)->setText(meant);
    }
    return true;
}

bool PriceListWindow::confirmRenames(const QList<RowChange>& changes)
{
    QSet<QString> names;
    for (int row = 0; row < table_->rowCount(); ++row)
        names.insert(cellText(table_, row, ItemColumn));
    QStringList uses;
    for (const RowChange& change : changes) {
        if (change.kind != RowChange::Kind::Change || change.loaded.item == change.now.item ||
            names.contains(change.loaded.item))
            continue;
        const QString use = ItemNames::usedFor(change.loaded.item);
        if (!use.isEmpty())
            uses << QStringLiteral("\"%1\" (renamed \"%2\") prices %3.")
                        .arg(change.loaded.item, change.now.item, use);
    }
    return uses.isEmpty() ||
           Dialogs::askYesNo(this,
                             QStringLiteral("%1\n\nThe program looks items up by their names: "
                                            "under a new name that will stop working. Rename "
                                            "anyway?")
                                 .arg(uses.join(QLatin1Char('\n'))),
                             Dialogs::appTitle(), QMessageBox::Warning);
}

bool PriceListWindow::settleLostSave()
{
    if (!editor_.waitsForLostChange()) {
        lostSave_->stop();
        return false;
    }
    const Kept kept = editor_.settleLostChange();
    if (kept == Kept::NotKnown)
        return false;
    lostSave_->stop();
    Busy busy(busy_);
    if (kept == Kept::Yes) {
        // What the window shows is what the server holds now.
        changed_ = false;
        load();
        Dialogs::tell(this, QStringLiteral("The server answered: the save went through, and the "
                                           "price list shows it."));
    } else {
        Dialogs::warn(this, QStringLiteral("The server answered: the save was not kept, so "
                                           "nothing was changed. The window still shows the "
                                           "changes: save them again."));
    }
    return true;
}

bool PriceListWindow::save()
{
    if (!problem_.isEmpty())
        return false;
    Busy busy(busy_);
    commitEdit();
    // A save whose answer was lost is told first: saved again unknowingly,
    // its rows would be taken for another's change.
    if (editor_.waitsForLostChange()) {
        if (!settleLostSave()) {
            Dialogs::warn(this, QStringLiteral("Nothing was saved: whether the last save was "
                                               "kept cannot be told until the server answers "
                                               "again. This window tells it then."));
            return false;
        }
        return !changed_; // told; a save that was not kept is saved again by the clerk
    }
    const auto refuseBadCells = [this] {
        const QList<BadCell> bad = markCells();
        if (bad.isEmpty())
            return false;
        QStringList lines;
        for (const BadCell& cell : bad)
            lines << QStringLiteral("Row %1, %2: %3")
                         .arg(cell.row + 1)
                         .arg(ColumnNames[cell.column], cell.why);
        table_->setCurrentCell(bad.first().row, bad.first().column);
        Dialogs::warn(this, QStringLiteral("Nothing was saved; %1 cell(s) are not right:\n\n%2")
                                .arg(bad.size())
                                .arg(lines.join(QLatin1Char('\n'))));
        return true;
    };
    if (refuseBadCells() || !settleLookAlikes() || refuseBadCells())
        return false;

    const QList<RowChange> list = changes();
    if (list.isEmpty()) {
        if (load())
            status_->setText(QStringLiteral("Nothing to save: the table holds what the file "
                                            "holds."));
        return true;
    }
    if (!confirmRenames(list))
        return false;
    const QStringList elsewhere = changedElsewhere();
    if (!elsewhere.isEmpty() &&
        !Dialogs::askYesNo(this,
                           QStringLiteral("The price list was changed elsewhere since this window "
                                          "showed it: %1.\n\nSave writes only the rows changed "
                                          "here and leaves the others as the file holds them. "
                                          "Save?")
                               .arg(quoted(elsewhere)),
                           Dialogs::appTitle(), QMessageBox::Question))
        return false;

    const EditResult saved = editor_.saveChanges(list);
    if (!saved.done) {
        if (!saved.conflicts.isEmpty())
            Dialogs::warn(this, QStringLiteral("Nothing was saved: %1 changed in the price list "
                                               "since this window showed it. Reload shows the "
                                               "file as it is now; then make the changes again.")
                                    .arg(quoted(saved.conflicts)));
        else if (saved.mayBeSaved) {
            lostSave_->start();
            Dialogs::warn(this, saved.problem + QStringLiteral(" This window tells it then."));
        } else
            Dialogs::warn(this, QStringLiteral("Nothing was saved. %1").arg(saved.problem));
        return false;
    }
    const QString when = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    if (load())
        status_->setText(QStringLiteral("Saved %1 at %2.").arg(changesCounted(list.size()), when));
    else
        status_->setText(QStringLiteral("Saved %1 at %2, but the price list could not "
                                        "be read again (%3). Reload shows it.")
                             .arg(changesCounted(list.size()), when, status_->text()));
    return true;
}

void PriceListWindow::closeEvent(QCloseEvent* event)
{
    Busy busy(busy_);
    commitEdit();
    if (changed_) {
        const int answer = Dialogs::ask(
            this, QStringLiteral("Save the changes to the price list?"), Dialogs::appTitle(),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !save())) {
            event->ignore();
            return;
        }
    }
    if (hasUnsavedShopDetails()) {
        const int answer = Dialogs::ask(
            this, QStringLiteral("The shop's details have changes that are not saved. Save them?"),
            Dialogs::appTitle(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Yes && !saveShop())) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void PriceListWindow::loadShop()
{
    const ShopDetailsRead read = ShopDetailsStore::Read(*connection_);
    shopSaved_ = read.details;
    shopName_->setText(read.details.name);
    shopAddress_->setText(read.details.address);
    shopPhone_->setText(read.details.phone);
    shopStatus_->setText(read.done() ? read.note : read.problem);
    shopStatus_->setVisible(!shopStatus_->text().isEmpty());
}

ShopDetails PriceListWindow::shownShop() const
{
    return {shopName_->text(), shopAddress_->text(), shopPhone_->text()};
}

bool PriceListWindow::hasUnsavedShopDetails() const
{
    return shownShop() != shopSaved_;
}

bool PriceListWindow::saveShop()
{
    Busy busy(busy_);
    const ShopDetails shop = shownShop();
    const StoreResult saved = ShopDetailsStore::Save(*connection_, shop);
    if (!saved.done()) {
        Dialogs::warn(this, saved.problem);
        return false;
    }
    shopSaved_ = shop;
    // This counter's printed heads from now on; the other counters read
    // them when they start.
    ReadShopHead(*connection_);
    shopStatus_->setText(QStringLiteral("Saved at %1, for every counter that uses this price list.")
                             .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
    shopStatus_->show();
    return true;
}
