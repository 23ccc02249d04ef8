#include "screens/kill_calendar_window.h"

#include "book/estimate_book.h"
#include "core/clock.h"
#include "core/money.h"
#include "core/numbers.h"
#include "estimate/service_catalog.h"
#include "pricelist/price_history.h"
#include "pricelist/price_source.h"
#include "screens/estimate_print.h"
#include "ui/dialogs.h"
#include "ui/window_keys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int Weeks = 6;
constexpr int HeadHeight = 22;
// How often the window looks for bookings made at other counters.
constexpr int ChangesLookMs = 1500;

const QLocale English(QLocale::English, QLocale::UnitedStates);

} // namespace

// ---------------------------------------------------------------- MonthView

MonthView::MonthView(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("monthView"));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(560, 380);
}

void MonthView::choose(const QDate& day)
{
    if (!day.isValid() || day == chosen_)
        return;
    chosen_ = day;
    update();
    emit chosenChanged(day);
}

QDate MonthView::first() const
{
    const QDate start(chosen_.year(), chosen_.month(), 1);
    return start.addDays(1 - start.dayOfWeek());
}

QRect MonthView::cellRect(int index) const
{
    const int w = width() / 7, h = (height() - HeadHeight) / Weeks;
    return {(index % 7) * w, HeadHeight + (index / 7) * h, w, h};
}

QStringList MonthView::cellText(const QDate& day) const
{
    QStringList lines{QString::number(day.day())};
    const Day d = days_.value(day);
    QStringList kills;
    for (auto it = d.kills.cbegin(); it != d.kills.cend(); ++it)
        if (it.value() > 0)
            kills << AnimalsWords(it.key(), it.value());
    if (!kills.isEmpty())
        lines << kills.join(QStringLiteral(", "));
    if (d.cooler > 0)
        lines << QStringLiteral("cooler %1 %").arg(std::lround(d.cooler * 100));
    if (d.over)
        lines << QStringLiteral("over capacity");
    return lines;
}

void MonthView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const QStringList names{QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"),
                            QStringLiteral("Thu"), QStringLiteral("Fri"), QStringLiteral("Sat"),
                            QStringLiteral("Sun")};
    for (int c = 0; c < 7; ++c)
        p.drawText(QRect(cellRect(c).x(), 0, cellRect(c).width(), HeadHeight), Qt::AlignCenter,
                   names[c]);
    const QDate start = first();
    const QFontMetrics metrics(font());
    for (int i = 0; i < 7 * Weeks; ++i) {
        const QDate day = start.addDays(i);
        const QRect cell = cellRect(i).adjusted(0, 0, -1, -1);
        const bool inMonth = day.month() == chosen_.month();
        p.setPen(palette().mid().color());
        p.drawRect(cell);
        const Day d = days_.value(day);
        const QStringList lines = cellText(day);
        p.setPen(inMonth ? palette().text().color() : palette().mid().color());
        int y = cell.top() + 2;
        for (int l = 0; l < lines.size(); ++l) {
            // The cooler's line is its bar.
            if (lines[l].startsWith(QLatin1String("cooler")))
                continue;
            if (lines[l] == QLatin1String("over capacity"))
                p.setPen(Qt::red);
            p.drawText(QRect(cell.left() + 4, y, cell.width() - 8, metrics.height()),
                       Qt::AlignLeft | Qt::AlignVCenter,
                       metrics.elidedText(lines[l], Qt::ElideRight, cell.width() - 8));
            y += metrics.height();
        }
        if (d.cooler > 0) {
            const QRect bar(cell.left() + 4, cell.bottom() - 9, cell.width() - 8, 6);
            p.fillRect(bar, palette().alternateBase());
            const int filled = int(std::min(1.0, d.cooler) * bar.width());
            p.fillRect(QRect(bar.left(), bar.top(), filled, bar.height()),
                       d.cooler >= 1 ? QColor(Qt::red) : QColor(60, 140, 60));
        }
        if (day == chosen_) {
            p.setPen(QPen(palette().highlight().color(), hasFocus() ? 3 : 1));
            p.drawRect(cell.adjusted(1, 1, -1, -1));
        }
    }
}

void MonthView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        choose(chosen_.addDays(-1));
        return;
    case Qt::Key_Right:
        choose(chosen_.addDays(1));
        return;
    case Qt::Key_Up:
        choose(chosen_.addDays(-7));
        return;
    case Qt::Key_Down:
        choose(chosen_.addDays(7));
        return;
    case Qt::Key_PageUp:
        choose(chosen_.addMonths(-1));
        return;
    case Qt::Key_PageDown:
        choose(chosen_.addMonths(1));
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit dayOpened(chosen_);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MonthView::mousePressEvent(QMouseEvent* event)
{
    for (int i = 0; i < 7 * Weeks; ++i)
        if (cellRect(i).contains(event->position().toPoint())) {
            choose(first().addDays(i));
            emit dayOpened(chosen_);
            return;
        }
}

// ---------------------------------------------------------------- the window

KillCalendarWindow::KillCalendarWindow(EstimateBook& book, PriceSource& prices,
                                       const QuoteRules& rules, const Clock& clock,
                                       std::function<BookingStart()> start, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , book_(book)
    , prices_(prices)
    , rules_(rules)
    , clock_(clock)
    , start_(std::move(start))
{
    setObjectName(QStringLiteral("frmKillCalendar"));
    setWindowTitle(QStringLiteral("Kill Calendar"));
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("lblMonth"));
    QFont big = caption_->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    caption_->setFont(big);
    auto* previous = new QPushButton(QStringLiteral("< Month"), this);
    previous->setObjectName(QStringLiteral("cmdPreviousMonth"));
    auto* next = new QPushButton(QStringLiteral("Month >"), this);
    next->setObjectName(QStringLiteral("cmdNextMonth"));
    month_ = new MonthView(this);
    dayList_ = new QTableWidget(0, 7, this);
    dayList_->setObjectName(QStringLiteral("lstDay"));
    dayList_->setHorizontalHeaderLabels({QStringLiteral("Number"), QStringLiteral("That day"),
                                         QStringLiteral("Customer"), QStringLiteral("Phone"),
                                         QStringLiteral("Animals"), QStringLiteral("State"),
                                         QStringLiteral("Paid")});
    dayList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dayList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    dayList_->verticalHeader()->hide();
    dayList_->horizontalHeader()->setStretchLastSection(true);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setWordWrap(true);
    auto* bookDay = new QPushButton(QStringLiteral("&Book This Day..."), this);
    bookDay->setObjectName(QStringLiteral("cmdBook"));
    auto* change = new QPushButton(QStringLiteral("&Change Booking..."), this);
    change->setObjectName(QStringLiteral("cmdChangeBooking"));
    auto* killSheet = new QPushButton(QStringLiteral("Print &Kill Sheet..."), this);
    killSheet->setObjectName(QStringLiteral("cmdKillSheet"));
    auto* cutSheet = new QPushButton(QStringLiteral("Cu&t Sheet..."), this);
    cutSheet->setObjectName(QStringLiteral("cmdBookingCutSheet"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));

    auto* top = new QHBoxLayout;
    top->addWidget(previous);
    top->addWidget(caption_, 1, Qt::AlignCenter);
    top->addWidget(next);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bookDay);
    buttons->addWidget(change);
    buttons->addWidget(killSheet);
    buttons->addWidget(cutSheet);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(month_, 3);
    layout->addWidget(dayList_, 1);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    resize(820, 720);

    connect(previous, &QPushButton::clicked, this,
            [this] { month_->choose(month_->chosen().addMonths(-1)); });
    connect(next, &QPushButton::clicked, this,
            [this] { month_->choose(month_->chosen().addMonths(1)); });
    connect(month_, &MonthView::chosenChanged, this, [this](const QDate& day) {
        if (day.year() != shownMonth_.year() || day.month() != shownMonth_.month())
            refresh();
        showDay(day);
    });
    connect(month_, &MonthView::dayOpened, this, [this](const QDate& day) {
        showDay(day);
        if (dayList_->rowCount() > 0)
            dayList_->setFocus();
    });
    connect(bookDay, &QPushButton::clicked, this, &KillCalendarWindow::bookChosenDay);
    connect(killSheet, &QPushButton::clicked, this, &KillCalendarWindow::printKillSheet);
    connect(change, &QPushButton::clicked, this, &KillCalendarWindow::changeChosenBooking);
    connect(cutSheet, &QPushButton::clicked, this, &KillCalendarWindow::cutSheetOfChosen);
    connect(dayList_, &QTableWidget::cellActivated, this,
            [this](int, int) { changeChosenBooking(); });
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
    month_->setFocus();
    refresh();
}

void KillCalendarWindow::refresh()
{
    const QDate chosen = month_->chosen();
    shownMonth_ = QDate(chosen.year(), chosen.month(), 1);
    caption_->setText(English.toString(shownMonth_, QStringLiteral("MMMM yyyy")));
    const QDate first = shownMonth_.addDays(1 - shownMonth_.dayOfWeek());
    const QDate last = first.addDays(7 * 6 - 1);
    QString problem;
    bookings_ = book_.bookings(first, last, &problem);
    status_->setText(problem);
    const KillCapacity capacity = prices_.shopSettings().capacity;
    const KillLoads loads(bookings_, capacity, rules_);
    QMap<QDate, MonthView::Day> days;
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        const DayLoad load = loads.on(day);
        MonthView::Day d{load.kills, loads.coolerShare(day), false};
        for (const Booking& b : bookings_)
            d.over = d.over || (b.overCapacity && b.onTheRail() && b.kill <= day && day <= b.cut());
        days.insert(day, d);
    }
    month_->setDays(days);
    showDay(chosen);
}

void KillCalendarWindow::bookFrom(const BookingStart& start)
{
    startFrom_ = start;
    status_->setText(
        QStringLiteral("Choose the kill day for %1 and press Book This Day.")
            .arg(start.customer.isEmpty() ? QStringLiteral("the customer") : start.customer));
}

BookingDesk KillCalendarWindow::desk() const
{
    BookingDesk desk;
    desk.today = clock_.today();
    desk.who = PriceHistory::ThisUser();
    desk.storageFee = StorageFeePerDay(prices_);
    return desk;
}

void KillCalendarWindow::showDay(const QDate& day)
{
    dayList_->setRowCount(0);
    const auto add = [this](const Booking& b, const QString& what) {
        const int row = dayList_->rowCount();
        dayList_->insertRow(row);
        QString state = StateName(b.state);
        if (b.overCapacity)
            state += QStringLiteral(", over capacity");
        const QStringList cells{QString::number(b.number),
                                what,
                                b.customer,
                                b.phone,
                                AnimalsWords(b.species, b.animals),
                                state,
                                MoneyText(PaidCents(b.payments))};
        for (int c = 0; c < int(cells.size()); ++c)
            dayList_->setItem(row, c, new QTableWidgetItem(cells[c]));
    };
    for (const Booking& b : bookings_) {
        if (b.kill == day)
            add(b, QStringLiteral("kill"));
        if (b.dropOff == day && b.dropOff != b.kill)
            add(b, QStringLiteral("drop-off"));
        if (b.cut() == day)
            add(b, QStringLiteral("cut"));
    }
    if (status_->text().isEmpty() || !status_->text().startsWith(QLatin1String("The bookings")))
        status_->setText(QStringLiteral("%1: %2.").arg(
            English.toString(day, QStringLiteral("dddd, MMMM d")),
            month_->cellText(day).mid(1).join(QStringLiteral(", ")).isEmpty()
                ? QStringLiteral("nothing booked")
                : month_->cellText(day).mid(1).join(QStringLiteral(", "))));
}

void KillCalendarWindow::bookChosenDay()
{
    const KillCapacity capacity = prices_.shopSettings().capacity;
    const BookingStart from = startFrom_ ? *startFrom_ : start_ ? start_() : BookingStart();
    Booking booking;
    booking.customer = from.customer;
    booking.phone = from.phone;
    booking.species = from.species.isEmpty() ? QStringLiteral("Beef") : from.species;
    booking.liveWeight = from.liveWeight;
    booking.tag = from.tag;
    booking.estimates = from.estimates;
    booking.kill = month_->chosen();
    booking.dropOff = booking.kill;
    for (;;) {
        BookingDialog dialog(booking, capacity, desk(), this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        QString problem;
        const std::optional<Booking> filled = dialog.booking(&problem);
        if (!filled) {
            Dialogs::warn(this, problem);
            continue;
        }
        booking = *filled;
        break;
    }
    if (keep(booking, capacity))
        startFrom_.reset();
}

bool KillCalendarWindow::keep(Booking& booking, const KillCapacity& capacity)
{
    const bool adding = booking.number == 0;
    bool overCapacity = false;
    for (;;) {
        BookingFit fit;
        const BookResult kept = KeepBooking(book_, booking, capacity, rules_, overCapacity, &fit);
        if (kept.done) {
            month_->choose(booking.kill);
            refresh();
            Dialogs::tell(
                this, adding
                          ? QStringLiteral("Booking %1 is kept: %2 to be killed on %3.")
                                .arg(booking.number)
                                .arg(AnimalsWords(booking.species, booking.animals),
                                     DayWords(booking.kill))
                          : QStringLiteral("Booking %1 is changed: %2, %3.")
                                .arg(booking.number)
                                .arg(StateName(booking.state),
                                     BalanceWords(billed(booking), PaidCents(booking.payments))));
            return true;
        }
        // Refused for space: the first day that fits is offered; else the
        // owner may book it over what the shop can take in.
        if (kept.mayBeSaved || fit.fits() || overCapacity) {
            Dialogs::warn(this, kept.problem);
            refresh();
            return false;
        }
        const QString day = DayWords(booking.kill);
        if (fit.firstFit.isValid() &&
            Dialogs::askYesNo(this,
                              QStringLiteral("%1\n\nBook it on %2 instead?")
                                  .arg(kept.problem, DayWords(fit.firstFit)),
                              QStringLiteral("The day is full"), QMessageBox::Question)) {
            booking.dropOff = booking.dropOff.addDays(booking.kill.daysTo(fit.firstFit));
            booking.kill = fit.firstFit;
            continue;
        }
        if (!Dialogs::askYesNo(
                this,
                QStringLiteral("%1Book it on %2 over what the shop can take in? "
                               "Only the shop's owner may, and the calendar marks "
                               "the days it takes.")
                    .arg(fit.firstFit.isValid() ? QString() : kept.problem + QStringLiteral("\n\n"),
                         day),
                QStringLiteral("The day is full"), QMessageBox::Question, QMessageBox::No))
            return false;
        overCapacity = true;
    }
}

std::int64_t KillCalendarWindow::billed(const Booking& booking)
{
    std::int64_t cents = 0;
    QString problem;
    for (const qint64 number : booking.estimates)
        if (const std::optional<EstimateRecord> record = book_.open(number, &problem))
            cents += record->finalCents.value_or(record->quoteCents.value_or(0));
    return cents + (booking.storage.charged() ? booking.storage.cents : 0);
}

void KillCalendarWindow::changeChosenBooking()
{
    const int row = dayList_->currentRow();
    const qint64 number = row < 0 ? 0 : dayList_->item(row, 0)->text().toLongLong();
    QString problem;
    const std::optional<Booking> kept = number > 0 ? book_.booking(number, &problem) : std::nullopt;
    if (!kept) {
        Dialogs::warn(this, problem.isEmpty()
                                ? QStringLiteral("Choose the booking to change in the day's list.")
                                : problem);
        return;
    }
    const KillCapacity capacity = prices_.shopSettings().capacity;
    Booking booking = *kept;
    for (;;) {
        BookingDialog dialog(booking, capacity, desk(), this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        const std::optional<Booking> filled = dialog.booking(&problem);
        if (!filled) {
            Dialogs::warn(this, problem);
            continue;
        }
        // A payment over what is owed is told before it is kept.
        if (filled->payments.size() > booking.payments.size()) {
            const Balance balance{billed(*filled), PaidCents(booking.payments)};
            const std::int64_t paying = filled->payments.last().paid();
            if (const std::int64_t over = OverBalance(balance.due(), paying);
                over > 0 &&
                !Dialogs::askYesNo(this,
                                   QStringLiteral("The payment of %1 is %2 over the balance due "
                                                  "of %3: give %2 back in change, or keep it as "
                                                  "the customer's credit. Keep the payment of %1?")
                                       .arg(MoneyText(paying), MoneyText(over),
                                            MoneyText(std::max<std::int64_t>(balance.due(), 0))),
                                   QStringLiteral("Over the balance"), QMessageBox::Question,
                                   QMessageBox::No)) {
                // Asked again with what was filled in, less the payment.
                const QList<Payment> paid = booking.payments;
                booking = *filled;
                booking.payments = paid;
                continue;
            }
        }
        booking = *filled;
        break;
    }
    keep(booking, capacity);
}

void KillCalendarWindow::cutSheetOfChosen()
{
    const int row = dayList_->currentRow();
    const qint64 number = row < 0 ? 0 : dayList_->item(row, 0)->text().toLongLong();
    QString problem;
    const std::optional<Booking> kept = number > 0 ? book_.booking(number, &problem) : std::nullopt;
    if (!kept) {
        Dialogs::warn(this, problem.isEmpty() ? QStringLiteral("Choose the booking whose cut sheet "
                                                               "to fill in the day's list.")
                                              : problem);
        return;
    }
    if (kept->estimates.isEmpty()) {
        Dialogs::warn(this, QStringLiteral("Booking %1 bills no saved estimate yet. The cut sheet "
                                           "is kept with the estimate: save the customer's "
                                           "estimate and book it from Saved Estimates.")
                                .arg(kept->number));
        return;
    }
    qint64 estimate = kept->estimates.first();
    if (kept->estimates.size() > 1) {
        // One sheet for each buyer of a shared animal: the clerk says whose.
        QStringList whose;
        for (const qint64 n : kept->estimates) {
            const std::optional<EstimateRecord> record = book_.open(n, &problem);
            whose << (record ? QStringLiteral("%1  %2%3")
                                   .arg(n)
                                   .arg(record->customer,
                                        record->sharePart.isEmpty()
                                            ? QString()
                                            : QStringLiteral(" (%1)").arg(record->sharePart))
                             : QString::number(n));
        }
        const std::optional<int> which = Dialogs::askChoice(
            this,
            QStringLiteral("Booking %1 bills several estimates. Whose cut sheet?")
                .arg(kept->number),
            QStringLiteral("Cut Sheet"), whose);
        if (!which)
            return;
        estimate = kept->estimates[*which];
    }
    if (cutSheet_)
        cutSheet_(estimate);
}

QString BalanceWords(std::int64_t billed, std::int64_t paid)
{
    const Balance balance{billed, paid};
    if (billed == 0)
        return QStringLiteral("%1 paid").arg(MoneyText(paid));
    if (balance.due() < 0)
        return QStringLiteral("%1 billed, %2 paid, %3 to give back or keep as credit")
            .arg(MoneyText(billed), MoneyText(paid), MoneyText(-balance.due()));
    return QStringLiteral("%1 billed, %2 paid, balance due %3")
        .arg(MoneyText(billed), MoneyText(paid), MoneyText(balance.due()));
}

void KillCalendarWindow::printKillSheet()
{
    const QDate chosen = month_->chosen();
    const QDate monday = chosen.addDays(1 - chosen.dayOfWeek());
    QString problem;
    const QList<Booking> week = book_.bookings(monday, monday.addDays(6), &problem);
    if (!problem.isEmpty()) {
        Dialogs::warn(this, problem);
        return;
    }
    // The services quoted on each booking's estimates, by their printed
    // names, and the clerk's notes on them (what to keep, a cape to skin).
    QMap<qint64, QStringList> services;
    for (const Booking& b : week) {
        if (b.kill < monday || b.kill > monday.addDays(6))
            continue;
        int quoted = 0;
        QStringList notes;
        for (const qint64 number : b.estimates)
            if (const std::optional<EstimateRecord> record = book_.open(number, &problem)) {
                quoted |= record->quoteServices;
                if (const QString note = record->note.simplified();
                    !note.isEmpty() && !notes.contains(note))
                    notes << note;
            }
        for (const ServiceInfo& s : Services())
            if (quoted & (1 << static_cast<int>(s.id)))
                services[b.number] << QString::fromUtf8(s.printedName);
        services[b.number] << notes;
    }
    PrintPagesWithDialog(this, {KillSheetHtml(monday, week, services, rules_)},
                         QStringLiteral("Print Kill Sheet"),
                         QStringLiteral("Kill Sheet %1").arg(monday.toString(Qt::ISODate)));
}

QString KillSheetHtml(const QDate& monday, const QList<Booking>& bookings,
                      const QMap<qint64, QStringList>& services, const QuoteRules& rules)
{
    const auto escaped = [](const QString& text) {
        return text.toHtmlEscaped();
    };
    QString html = QStringLiteral("<h2>Kill sheet, week of %1</h2>")
                       .arg(English.toString(monday, QStringLiteral("MMMM d, yyyy")));
    for (int d = 0; d < 7; ++d) {
        const QDate day = monday.addDays(d);
        QList<Booking> killed;
        for (const Booking& b : bookings)
            if (b.kill == day && b.state != Booking::State::Cancelled)
                killed << b;
        if (killed.isEmpty())
            continue;
        html += QStringLiteral("<h3>%1</h3><table border=\"1\" cellspacing=\"0\" "
                               "cellpadding=\"4\" width=\"100%\"><tr><th>No.</th>"
                               "<th>Customer</th><th>Animals</th><th>Tag</th><th>Live, each</th>"
                               "<th>Hanging in all, up to</th><th>Services</th></tr>")
                    .arg(English.toString(day, QStringLiteral("dddd, MMMM d")));
        for (const Booking& b : killed) {
            const std::optional<double> rail = RailPounds(b, rules);
            html += QStringLiteral("<tr><td>%1</td><td>%2<br>%3</td><td>%4</td><td>%5</td>"
                                   "<td>%6</td><td>%7</td><td>%8</td></tr>")
                        .arg(b.number)
                        .arg(escaped(b.customer), escaped(b.phone),
                             AnimalsWords(b.species, b.animals), escaped(b.tag),
                             b.liveWeight.isEmpty() ? QString()
                                                    : escaped(b.liveWeight) + QStringLiteral(" lb"),
                             rail ? QStringLiteral("%1 lb").arg(NumberText(std::ceil(*rail)))
                                  : QString(),
                             escaped(services.value(b.number).join(QStringLiteral(", "))));
        }
        html += QStringLiteral("</table>");
    }
    return html;
}

// ---------------------------------------------------------------- the booking's details

BookingDialog::BookingDialog(const Booking& booking, const KillCapacity& capacity,
                             const BookingDesk& desk, QWidget* parent)
    : QDialog(parent)
    , start_(booking)
    , capacity_(capacity)
    , desk_(desk)
{
    setObjectName(QStringLiteral("dlgBooking"));
    setWindowTitle(QStringLiteral("Book a Kill Date"));
    customer_ = new QLineEdit(booking.customer, this);
    customer_->setObjectName(QStringLiteral("txtCustomer"));
    phone_ = new QLineEdit(booking.phone, this);
    phone_->setObjectName(QStringLiteral("txtPhone"));
    species_ = new QComboBox(this);
    species_->setObjectName(QStringLiteral("cboSpecies"));
    species_->addItems({QStringLiteral("Beef"), QStringLiteral("Pork"), QStringLiteral("Deer")});
    species_->setCurrentText(booking.species);
    animals_ = new QSpinBox(this);
    animals_->setObjectName(QStringLiteral("spnAnimals"));
    animals_->setRange(1, 99);
    animals_->setValue(std::max(1, booking.animals));
    liveWeight_ = new QLineEdit(booking.liveWeight, this);
    liveWeight_->setObjectName(QStringLiteral("txtLiveWeight"));
    tag_ = new QLineEdit(booking.tag, this);
    tag_->setObjectName(QStringLiteral("txtTag"));
    dropOff_ = new QDateEdit(booking.dropOff, this);
    dropOff_->setObjectName(QStringLiteral("dtpDropOff"));
    kill_ = new QDateEdit(booking.kill, this);
    kill_->setObjectName(QStringLiteral("dtpKill"));
    for (QDateEdit* date : {dropOff_, kill_}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("ddd M/d/yyyy"));
    }
    cut_ = new QLabel(this);
    cut_->setObjectName(QStringLiteral("lblCut"));
    deposit_ = new QLineEdit(this);
    deposit_->setObjectName(QStringLiteral("txtDeposit"));
    deposit_->setPlaceholderText(QStringLiteral("none"));
    method_ = new QComboBox(this);
    method_->setObjectName(QStringLiteral("cboMethod"));
    method_->addItems({QStringLiteral("cash"), QStringLiteral("check"), QStringLiteral("card")});
    checkNumber_ = new QLineEdit(this);
    checkNumber_->setObjectName(QStringLiteral("txtCheckNumber"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Customer"), customer_);
    form->addRow(QStringLiteral("P&hone"), phone_);
    form->addRow(QStringLiteral("&Species"), species_);
    form->addRow(QStringLiteral("&Animals"), animals_);
    form->addRow(QStringLiteral("Expected &live weight of each"), liveWeight_);
    form->addRow(QStringLiteral("&Tag"), tag_);
    form->addRow(QStringLiteral("&Drop-off"), dropOff_);
    form->addRow(QStringLiteral("&Kill"), kill_);
    form->addRow(QStringLiteral("Cut"), cut_);
    const bool kept = booking.number != 0;
    if (kept) {
        setWindowTitle(QStringLiteral("Booking %1").arg(booking.number));
        state_ = new QComboBox(this);
        state_->setObjectName(QStringLiteral("cboState"));
        for (const Booking::State s :
             {Booking::State::Booked, Booking::State::DroppedOff, Booking::State::Killed,
              Booking::State::Cut, Booking::State::Ready, Booking::State::PickedUp,
              Booking::State::Cancelled})
            state_->addItem(StateName(s));
        state_->setCurrentText(StateName(booking.state));
        weighed_ = new QLineEdit(booking.hangingWeighed, this);
        weighed_->setObjectName(QStringLiteral("txtHangingWeighed"));
        weighed_->setPlaceholderText(QStringLiteral("not weighed yet"));
        cancelReason_ = new QLineEdit(booking.cancelReason, this);
        cancelReason_->setObjectName(QStringLiteral("txtCancelReason"));
        depositFate_ = new QComboBox(this);
        depositFate_->setObjectName(QStringLiteral("cboDepositFate"));
        depositFate_->addItems(
            {QStringLiteral("held"), QStringLiteral("refunded"), QStringLiteral("kept")});
        depositFate_->setCurrentIndex(static_cast<int>(booking.deposit));
        form->addRow(QStringLiteral("S&tate"), state_);
        form->addRow(QStringLiteral("Hanging weight &weighed (all)"), weighed_);
        form->addRow(QStringLiteral("Cancelled &because"), cancelReason_);
        form->addRow(QStringLiteral("Deposit of a cancelled booking"), depositFate_);
        form->addRow(QStringLiteral("Paid so far"),
                     new QLabel(MoneyText(PaidCents(booking.payments)), this));
        // Picked up past the free days: the storage is shown before it is
        // charged, and may be waived.
        storage_ = new QLabel(this);
        storage_->setObjectName(QStringLiteral("lblStorage"));
        waive_ = new QCheckBox(QStringLiteral("Wai&ve the storage fee"), this);
        waive_->setObjectName(QStringLiteral("chkWaiveStorage"));
        waive_->setChecked(!booking.storage.waivedBy.isEmpty());
        form->addRow(QStringLiteral("Storage"), storage_);
        form->addRow(QString(), waive_);
        const auto showStorage = [this] {
            const StorageCharge storage = storageNow();
            const bool picking = state_->currentText() == StateName(Booking::State::PickedUp);
            storage_->setText(
                !picking || storage.days <= 0
                    ? QStringLiteral("none")
                    : QStringLiteral("%1 past the free days, %2")
                          .arg(CountOf(storage.days, QStringLiteral("day"), QStringLiteral("days")),
                               MoneyText(storage.cents)));
            waive_->setEnabled(picking && storage.days > 0);
        };
        // What the cutting room packed, weighed at pickup: checked against
        // the take-home the quote gave.
        packaged_ = new QLineEdit(booking.packaged, this);
        packaged_->setObjectName(QStringLiteral("txtPackaged"));
        packaged_->setPlaceholderText(QStringLiteral("pounds, at pickup"));
        form->addRow(QStringLiteral("Pac&kaged weight"), packaged_);
        connect(state_, &QComboBox::currentTextChanged, this, showStorage);
        showStorage();
        if (booking.estimates.size() > 1) {
            paidFor_ = new QComboBox(this);
            paidFor_->setObjectName(QStringLiteral("cboPaidFor"));
            for (const qint64 number : booking.estimates)
                paidFor_->addItem(QStringLiteral("estimate %1").arg(number), number);
        }
    }
    form->addRow(kept ? QStringLiteral("Pa&yment now") : QStringLiteral("D&eposit"), deposit_);
    form->addRow(QStringLiteral("Paid by"), method_);
    if (paidFor_)
        form->addRow(QStringLiteral("Paid &for"), paidFor_);
    form->addRow(QStringLiteral("Check n&umber"), checkNumber_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)
        ->setText(kept ? QStringLiteral("Keep") : QStringLiteral("Book"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const auto showCut = [this] {
        const int days = start_.hangingDays > 0 && species_->currentText() == start_.species
                             ? start_.hangingDays
                             : capacity_.hangingDays(species_->currentText());
        cut_->setText(
            QStringLiteral("%1 (hangs %2 days)")
                .arg(English.toString(kill_->date().addDays(days), QStringLiteral("ddd M/d/yyyy")))
                .arg(days));
    };
    connect(kill_, &QDateEdit::dateChanged, this, showCut);
    connect(species_, &QComboBox::currentTextChanged, this, showCut);
    showCut();
    (customer_->text().isEmpty() ? customer_ : liveWeight_)->setFocus();
}

std::optional<Booking> BookingDialog::booking(QString* problem) const
{
    Booking b = start_;
    b.customer = customer_->text().trimmed();
    b.phone = phone_->text().trimmed();
    if (b.species != species_->currentText())
        b.hangingDays = 0; // the species' own
    b.species = species_->currentText();
    b.animals = animals_->value();
    b.liveWeight = liveWeight_->text().trimmed();
    b.tag = tag_->text().trimmed();
    b.dropOff = dropOff_->date();
    b.kill = kill_->date();
    if (b.customer.isEmpty()) {
        *problem = QStringLiteral("The booking needs the customer's name.");
        return std::nullopt;
    }
    if (b.dropOff > b.kill) {
        *problem = QStringLiteral("The drop-off is after the kill day: an animal is dropped off "
                                  "on its kill day or before.");
        return std::nullopt;
    }
    if (!b.liveWeight.isEmpty() && !(StrictNumber(b.liveWeight).value_or(-1) > 0)) {
        *problem = QStringLiteral("The expected live weight \"%1\" is not a weight in pounds.")
                       .arg(b.liveWeight);
        return std::nullopt;
    }
    if (state_) {
        StateFromName(state_->currentText(), &b.state);
        b.hangingWeighed = weighed_->text().trimmed();
        b.cancelReason = cancelReason_->text().trimmed();
        b.deposit = static_cast<Booking::Deposit>(depositFate_->currentIndex());
        if (!b.hangingWeighed.isEmpty() && !(StrictNumber(b.hangingWeighed).value_or(-1) > 0)) {
            *problem = QStringLiteral("The hanging weight weighed \"%1\" is not a weight in "
                                      "pounds.")
                           .arg(b.hangingWeighed);
            return std::nullopt;
        }
        b.packaged = packaged_->text().trimmed();
        if (!b.packaged.isEmpty() && !(StrictNumber(b.packaged).value_or(-1) > 0)) {
            *problem = QStringLiteral("The packaged weight \"%1\" is not a weight in pounds.")
                           .arg(b.packaged);
            return std::nullopt;
        }
        if (b.state == Booking::State::Cancelled && b.cancelReason.isEmpty()) {
            *problem = QStringLiteral("A cancelled booking needs the reason it was cancelled.");
            return std::nullopt;
        }
        // Ready from today, until it is picked up.
        if (b.state == Booking::State::Ready && start_.state != Booking::State::Ready)
            b.readySince = desk_.today;
        // Picked up now: the storage it waited past the free days, unless
        // waived (and who waived it).
        if (b.state == Booking::State::PickedUp && start_.state != Booking::State::PickedUp) {
            b.storage = storageNow();
            if (b.storage.days > 0 && waive_->isChecked())
                b.storage.waivedBy = desk_.who;
        }
        // Weighed, the carcass is killed.
        if (!b.hangingWeighed.isEmpty() &&
            (b.state == Booking::State::Booked || b.state == Booking::State::DroppedOff))
            b.state = Booking::State::Killed;
    }
    if (const QString deposit = deposit_->text().trimmed(); !deposit.isEmpty()) {
        const std::optional<std::int64_t> cents =
            CentsOf(deposit.startsWith(QLatin1Char('$')) ? deposit.mid(1) : deposit);
        if (!cents || *cents <= 0) {
            *problem = QStringLiteral("The deposit \"%1\" is not an amount of money.").arg(deposit);
            return std::nullopt;
        }
        Payment p;
        p.kind = start_.number == 0 ? Payment::Kind::Deposit : Payment::Kind::Payment;
        p.cents = *cents;
        p.day = desk_.today;
        p.takenBy = desk_.who;
        if (paidFor_ && paidFor_->currentIndex() > 0)
            p.estimate = paidFor_->currentData().toLongLong();
        MethodFromName(method_->currentText(), &p.method);
        p.checkNumber =
            p.method == Payment::Method::Check ? checkNumber_->text().trimmed() : QString();
        b.payments.append(p);
    }
    return b;
}

StorageCharge BookingDialog::storageNow() const
{
    // Picked up from ready; one never marked ready waited no days.
    return desk_.storageFee ? StorageOn(start_, desk_.today, capacity_, *desk_.storageFee)
                            : StorageCharge();
}
