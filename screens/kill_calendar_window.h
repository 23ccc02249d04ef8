#pragma once

// The kill calendar: a month of days, each with its kills by species and a
// bar of the cooler's load (red when full), the chosen day's bookings,
// drop-offs and cuts listed below. Arrow keys move by day, Page Up and Page
// Down by month; Enter or a click lists a day. Bookings that other counters
// make appear as they are made. A kill date is booked on the chosen day for
// the customer of the estimate on the screen.

#include "book/booking.h"
#include "core/shop_settings.h"
#include "estimate/kill_calendar.h"

#include <QDate>
#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>

class Clock;
class EstimateBook;
class PriceSource;
class QuoteRules;
class QLabel;
class QLineEdit;
class QComboBox;
class QDateEdit;
class QSpinBox;
class QCheckBox;
class QTableWidget;
class QPushButton;

// The month drawn: one cell a day, six weeks from the Monday on or before
// the 1st.
class MonthView : public QWidget {
    Q_OBJECT

public:
    struct Day {
        QMap<QString, int> kills;
        double cooler = 0; // the share of the cooler taken; 1 is full
        bool over = false; // a booking the owner made over capacity is killed or hangs then
    };
    explicit MonthView(QWidget* parent = nullptr);
    void setDays(const QMap<QDate, Day>& days) { days_ = days, update(); }
    QDate chosen() const { return chosen_; }
    void choose(const QDate& day);
    // What a day's cell says, as it is drawn: "12", "2 beef, 1 hog", "cooler 85 %".
    QStringList cellText(const QDate& day) const;
    QSize sizeHint() const override { return {700, 460}; }

signals:
    void chosenChanged(const QDate& day);
    void dayOpened(const QDate& day);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QDate first() const; // the Monday of the grid's first row
    QRect cellRect(int index) const;

    QDate chosen_ = QDate::currentDate();
    QMap<QDate, Day> days_;
};

// What the booking is made from: the estimate on the screen, or a saved one.
struct BookingStart {
    QString customer, phone, species, liveWeight, tag;
    QList<qint64> estimates;
};

// The counter a booking is made or changed at: today, who is at it (the
// payments and a waived storage fee name them), and the storage fee a day
// (the price list's StorageFee; none when it has none).
struct BookingDesk {
    QDate today;
    QString who;
    std::optional<double> storageFee;
};

class KillCalendarWindow : public QWidget {
    Q_OBJECT

public:
    // `start` gives what a new booking begins with (the estimate on the
    // screen); `rules` the likely range of a carcass not yet weighed.
    KillCalendarWindow(EstimateBook& book, PriceSource& prices, const QuoteRules& rules,
                       const Clock& clock, std::function<BookingStart()> start,
                       QWidget* parent = nullptr);

    MonthView* month() const { return month_; }
    // Reads the bookings again and draws them.
    void refresh();
    // The next booking is made from `start` (a saved estimate chosen in
    // Saved Estimates) rather than the estimate on the screen.
    void bookFrom(const BookingStart& start);
    // Books a kill date on the chosen day, asking the details in the
    // booking dialog.
    void bookChosenDay();
    // Changes the booking chosen in the day's list in the booking dialog:
    // where it stands (weighed, cut, ready, picked up, cancelled), a payment
    // taken (told first when it is over the balance), its days.
    void changeChosenBooking();
    // The kill sheet of the chosen day's week, for the kill floor (see
    // KillSheetHtml), after Qt's print dialog.
    void printKillSheet();
    // The cut sheet of the booking chosen in the day's list: of the saved
    // estimate it bills (the clerk chooses which of several, one for each
    // buyer of a shared animal), filled through `cutSheet`.
    void cutSheetOfChosen();
    void onCutSheet(std::function<void(qint64 estimate)> cutSheet)
    {
        cutSheet_ = std::move(cutSheet);
    }

private:
    void showDay(const QDate& day);
    // Keeps the booking (checked against what the shop can take in); true
    // when kept. A full day is told, with the first day that fits offered,
    // or booked over capacity when the owner says so.
    bool keep(Booking& booking, const KillCapacity& capacity);
    // What the booking is billed: its estimates' final bills, or their
    // quotes where there is none yet, in cents.
    std::int64_t billed(const Booking& booking);
    BookingDesk desk() const;

    EstimateBook& book_;
    // The book's changes told when the window last showed it.
    quint64 changesShown_ = 0;
    PriceSource& prices_;
    const QuoteRules& rules_;
    const Clock& clock_;
    std::function<BookingStart()> start_;
    std::optional<BookingStart> startFrom_;
    std::function<void(qint64)> cutSheet_;
    QList<Booking> bookings_;
    MonthView* month_ = nullptr;
    QLabel* caption_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* dayList_ = nullptr;
    QDate shownMonth_;
};

// The kill sheet of the week from `monday`: by day, each booking killed that
// day with its customer and phone, the animals and their tag, the expected
// live and hanging weight of each (the high end of the likely range) and the
// services quoted on its estimates and their notes (`services`, by booking
// number).
QString KillSheetHtml(const QDate& monday, const QList<Booking>& bookings,
                      const QMap<qint64, QStringList>& services, const QuoteRules& rules);

// "$333.00 billed, $100.00 paid, balance due $233.00" (the paid amount alone
// while nothing is billed).
QString BalanceWords(std::int64_t billed, std::int64_t paid);

// The details of a booking, asked before it is kept.
class BookingDialog : public QDialog {
    Q_OBJECT

public:
    BookingDialog(const Booking& booking, const KillCapacity& capacity, const BookingDesk& desk,
                  QWidget* parent = nullptr);
    // The booking as the clerk filled it in; the deposit (or, for a booking
    // kept before, the payment) a payment when one was given. No value, and
    // the problem, when a field is not right.
    std::optional<Booking> booking(QString* problem) const;

private:
    // The storage the order is charged when it is picked up now.
    StorageCharge storageNow() const;

    Booking start_;
    KillCapacity capacity_;
    BookingDesk desk_;
    QLineEdit *customer_, *phone_, *liveWeight_, *tag_, *deposit_, *checkNumber_;
    QComboBox *species_, *method_;
    // A booking kept before: where it stands, what its carcass weighed, why
    // it was cancelled and what became of its deposit; a payment taken now.
    QComboBox *state_ = nullptr, *depositFate_ = nullptr;
    QLineEdit *weighed_ = nullptr, *cancelReason_ = nullptr;
    // Picked up late: the storage charged, which the clerk may waive; the
    // estimate a payment pays, when the booking bills several.
    QLabel* storage_ = nullptr;
    QCheckBox* waive_ = nullptr;
    QLineEdit* packaged_ = nullptr;
    QComboBox* paidFor_ = nullptr;
    QSpinBox* animals_;
    QDateEdit *dropOff_, *kill_;
    QLabel* cut_;
};
