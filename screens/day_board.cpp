#include "screens/day_board.h"

#include "book/estimate_book.h"
#include "core/money.h"
#include "core/numbers.h"
#include "estimate/kill_calendar.h"
#include "pricelist/price_source.h"
#include "ui/window_keys.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

// How often the board looks for changes made at other counters.
constexpr int ChangesLookMs = 1500;

} // namespace

DayBoardWindow::DayBoardWindow(EstimateBook& book, PriceSource& prices, const Clock& clock,
                               QWidget* parent)
    : QWidget(parent, Qt::Window)
    , book_(book)
    , prices_(prices)
    , clock_(clock)
{
    setObjectName(QStringLiteral("frmDayBoard"));
    setWindowTitle(QStringLiteral("Today's Board"));
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("lblDay"));
    QFont big = caption_->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    caption_->setFont(big);
    board_ = new QTreeWidget(this);
    board_->setObjectName(QStringLiteral("treeBoard"));
    board_->setColumnCount(6);
    board_->setHeaderLabels({QStringLiteral("Booking"), QStringLiteral("Customer"),
                             QStringLiteral("Phone"), QStringLiteral("Animals"),
                             QStringLiteral("Tag"), QStringLiteral("Notes")});
    board_->header()->setStretchLastSection(true);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption_);
    layout->addWidget(board_, 1);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    resize(760, 520);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* changes = new QTimer(this);
    connect(changes, &QTimer::timeout, this, [this] {
        if (!isVisible())
            return;
        if (const quint64 seen = book_.changesSeen(); seen != changesShown_) {
            changesShown_ = seen;
            refresh();
        }
    });
    changes->start(ChangesLookMs);
    changesShown_ = book_.changesSeen(); // from now on
    EscapeCloses(this);
    refresh();
}

void DayBoardWindow::refresh()
{
    const QDate today = clock_.today();
    caption_->setText(DayWords(today));
    QString problem;
    const DayBoard board = BoardOf(book_.bookingsDue(today, &problem), today);
    const KillCapacity capacity = prices_.shopSettings().capacity;
    const std::optional<double> fee = StorageFeePerDay(prices_);
    board_->clear();
    const auto section = [this](const QString& title, const QList<Booking>& bookings,
                                const std::function<QString(const Booking&)>& notes) {
        auto* head = new QTreeWidgetItem(
            board_, {QStringLiteral("%1 (%2)").arg(title).arg(bookings.size())});
        QFont bold = head->font(0);
        bold.setBold(true);
        head->setFont(0, bold);
        head->setFirstColumnSpanned(true);
        for (const Booking& b : bookings)
            new QTreeWidgetItem(head, {QString::number(b.number), b.customer, b.phone,
                                       AnimalsWords(b.species, b.animals), b.tag, notes(b)});
        head->setExpanded(true);
    };
    section(QStringLiteral("Drop-offs today"), board.dropOffs, [](const Booking& b) {
        return QStringLiteral("kill %1").arg(b.kill.toString(QStringLiteral("M/d")));
    });
    section(QStringLiteral("Kills today"), board.kills, [](const Booking& b) {
        return b.overCapacity ? QStringLiteral("booked over capacity") : QString();
    });
    section(QStringLiteral("To cut: hanging days reached"), board.toCut, [today](const Booking& b) {
        const qint64 late = b.cut().daysTo(today);
        return late == 0 ? QStringLiteral("cut today")
                         : QStringLiteral("cut day %1, %2 days ago")
                               .arg(b.cut().toString(QStringLiteral("M/d")))
                               .arg(late);
    });
    section(QStringLiteral("Ready for pickup"), board.ready, [&](const Booking& b) {
        const int waiting = DaysWaiting(b, today);
        QString notes = waiting == 1 ? QStringLiteral("waiting 1 day")
                                     : QStringLiteral("waiting %1 days").arg(waiting);
        if (const int days = StorageDays(b, today, capacity); days > 0) {
            notes += fee ? QStringLiteral(", storage %1 (%2 days at %3)")
                               .arg(MoneyText(StorageOn(b, today, capacity, *fee).cents))
                               .arg(days)
                               .arg(MoneyText(*CentsOf(NumberText(*fee))))
                         : QStringLiteral(", %1 days of storage (no StorageFee in the price "
                                          "list)")
                               .arg(days);
        }
        return notes;
    });
    // Every column as wide as what it holds; the notes take what is left.
    for (int column = 0; column < board_->columnCount() - 1; ++column)
        board_->resizeColumnToContents(column);
    status_->setText(problem);
}
