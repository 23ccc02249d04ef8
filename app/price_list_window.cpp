#include "price_list_window.h"

#include "dialogs.h"
#include "numbers.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTime>
#include <QVBoxLayout>

namespace {

enum Column { ItemColumn, CostColumn, CategoryColumn, ColumnCount };

const QColor WrongCell(255, 200, 200);

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

} // namespace

PriceListWindow::PriceListWindow(const QString& priceListPath, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , editor_(priceListPath)
{
    setObjectName(QStringLiteral("frmPriceList"));
    setWindowTitle(QStringLiteral("Price List"));

    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName(QStringLiteral("tblPrices"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Item"), QStringLiteral("Cost"), QStringLiteral("Category")});
    table_->horizontalHeader()->setSectionResizeMode(ItemColumn, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(CategoryColumn, QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(table_, &QTableWidget::itemChanged, this, &PriceListWindow::markChanged);

    add_ = button(this, "cmdAdd", QStringLiteral("&Add Item"));
    delete_ = button(this, "cmdDelete", QStringLiteral("&Delete Item"));
    save_ = button(this, "cmdSave", QStringLiteral("&Save"));
    close_ = button(this, "cmdClose", QStringLiteral("&Close"));
    connect(add_, &QPushButton::clicked, this, &PriceListWindow::addRow);
    connect(delete_, &QPushButton::clicked, this, &PriceListWindow::deleteRows);
    connect(save_, &QPushButton::clicked, this, &PriceListWindow::save);
    connect(close_, &QPushButton::clicked, this, &PriceListWindow::close);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add_);
    buttons->addWidget(delete_);
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    resize(640, 480);

    if (editor_.open() != PriceList::OpenResult::Opened) {
        problem_ = editor_.problem();
        return;
    }
    load();
}

void PriceListWindow::load()
{
    QString why;
    const QList<PriceEntry> entries = editor_.entries(&why);
    if (!why.isEmpty()) {
        problem_ = why;
        return;
    }
    loading_ = true;
    table_->setRowCount(int(entries.size()));
    for (int row = 0; row < entries.size(); ++row)
        showRow(row, entries[row]);
    loading_ = false;
    changed_ = false;
    status_->setText(QStringLiteral("%1 items in %2").arg(entries.size()).arg(editor_.path()));
}

void PriceListWindow::showRow(int row, const PriceEntry& entry)
{
    table_->setItem(row, ItemColumn, new QTableWidgetItem(entry.item));
    auto* cost = new QTableWidgetItem(PriceListEditor::moneyText(entry.cost));
    cost->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table_->setItem(row, CostColumn, cost);
    table_->setItem(row, CategoryColumn, new QTableWidgetItem(entry.category));
}

void PriceListWindow::markChanged()
{
    if (loading_)
        return;
    changed_ = true;
    status_->setText(QStringLiteral("Changed; not saved yet."));
}

void PriceListWindow::addRow()
{
    const int row = table_->rowCount();
    table_->insertRow(row);
    showRow(row, {QString(), QString(), PriceListEditor::DefaultCategory});
    table_->setCurrentCell(row, ItemColumn);
    table_->editItem(table_->item(row, ItemColumn));
    markChanged();
}

void PriceListWindow::deleteRows()
{
    QList<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows << index.row();
    if (rows.isEmpty() && table_->currentRow() >= 0)
        rows << table_->currentRow();
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (const int row : rows)
        table_->removeRow(row);
    if (!rows.isEmpty())
        markChanged();
}

QList<PriceEntry> PriceListWindow::rows(int* badRow, QString* why) const
{
    QList<PriceEntry> list;
    *badRow = 0;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const PriceEntry entry{cellText(table_, row, ItemColumn),
                               cellText(table_, row, CostColumn).trimmed(),
                               cellText(table_, row, CategoryColumn)};
        QString problem = PriceListEditor::itemNameProblem(entry.item);
        if (problem.isEmpty())
            problem = MoneyAmountProblem(entry.cost);
        if (!problem.isEmpty() && *badRow == 0) {
            *badRow = row + 1;
            *why = problem;
        }
        list << entry;
    }
    return list;
}

bool PriceListWindow::save()
{
    if (!problem_.isEmpty())
        return false;
    int badRow = 0;
    QString why;
    const QList<PriceEntry> entries = rows(&badRow, &why);
    for (int row = 0; row < table_->rowCount(); ++row)
        for (int column = 0; column < ColumnCount; ++column)
            if (QTableWidgetItem* cell = table_->item(row, column))
                cell->setData(Qt::BackgroundRole,
                              row + 1 == badRow ? QVariant(WrongCell) : QVariant());
    if (badRow > 0) {
        table_->setCurrentCell(badRow - 1, ItemColumn);
        Dialogs::warn(
            this,
            QStringLiteral("Row %1 is not right, so nothing was saved: %2").arg(badRow).arg(why));
        return false;
    }
    const EditResult saved = editor_.replaceAll(entries);
    if (!saved.done) {
        Dialogs::warn(this, QStringLiteral("Nothing was saved. %1").arg(saved.problem));
        return false;
    }
    load();
    status_->setText(QStringLiteral("Saved %1 items at %2.")
                         .arg(entries.size())
                         .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
    return true;
}

void PriceListWindow::closeEvent(QCloseEvent* event)
{
    if (changed_) {
        QMessageBox box(QMessageBox::Question, Dialogs::appTitle(),
                        QStringLiteral("Save the changes to the price list?"),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        const int answer = box.exec();
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !save())) {
            event->ignore();
            return;
        }
    }
    event->accept();
}
