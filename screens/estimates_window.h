#pragma once

// The saved estimates at the counter: the small dialog that asks whom an
// estimate is for before it is saved, and the Estimates window that finds a
// saved estimate again by its customer's name, phone or number.

#include "book/estimate_book.h"
#include "estimate/booking_money.h"
#include "pricelist/price_source.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <optional>

class AccuracyWindow;
class Clock;
class QComboBox;
class EstimateScreen;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTimer;

// frmSaveEstimate: the customer's name (required), phone, a deer's hunter's
// tag or licence number, and a note; and, for an estimate saved before,
// whether this save records the final bill, updates the quote, or keeps the
// saved estimate as it is and saves this one under a new number.
class SaveEstimateDialog : public QDialog {
    Q_OBJECT

public:
    // Each text on one line, blanks at its ends taken off.
    struct Answer {
        QString customer;
        QString phone;
        QString note;
        QString hunter;
        bool final = false; // record the final bill (the quote is kept as given)
        bool asNew = false; // a new estimate, the one saved before left as it is
    };

    // Shows the record's name, phone and note to confirm or change; the
    // hunter's tag when `askHunter` (a deer) or the record has one; the
    // choice of quote, final bill or a new estimate only when the record was
    // saved before, the quote or the final bill not open to change when it
    // is `fixed` (a final bill exists: what is shown is saved).
    SaveEstimateDialog(const EstimateRecord& record, bool finalByDefault, bool fixed,
                       bool askHunter, QWidget* parent);

    // Asks modally; no value when the clerk cancels.
    static std::optional<Answer> ask(QWidget* parent, const EstimateRecord& record,
                                     bool finalByDefault, bool fixed, bool askHunter);

    Answer answer() const;

    // A field that cannot be saved as it is (see CustomerFields) is told, and
    // the clerk mends it.
    void accept() override;

private:
    QLineEdit* customer_ = nullptr;
    QLineEdit* phone_ = nullptr;
    QLineEdit* note_ = nullptr;
    QLineEdit* hunter_ = nullptr;
    QRadioButton* final_ = nullptr;
    QRadioButton* asNew_ = nullptr;
};

// The first day of the shop's season that `today` falls in: the season of
// the fall's hunting and butchering begins on the first of September.
QDate SeasonStart(const QDate& today);

// frmEstimates: every saved estimate, newest first (or sorted by the column
// whose head the clerk clicked), filtered as the clerk types in the search
// field and by the period chosen. Open loads one into the Estimate screen, Print
// prints it, Delete removes it (asking first), Export writes the list shown
// as CSV, Quote accuracy opens the report on the quotes against the bills.
class EstimatesWindow : public QWidget {
    Q_OBJECT

public:
    // At most this many rows are shown at once: the newest; a search finds
    // older ones.
    static constexpr int ShownRows = 200;
    // How often the window looks whether other counters changed the book.
    static constexpr int ChangesLookMs = 1500;

    // `clock` tells which estimates were saved this season or this year.
    EstimatesWindow(EstimateBook& book, PriceSource& shop, const Clock& clock, QWidget* parent);

    // Fills the table afresh from the book, for the search as typed.
    void refresh();
    // The number of the selected row's estimate; 0 when none is selected.
    qint64 selectedNumber() const;

    // Writes every estimate that the search finds (not only the rows shown) as
    // CSV to the file. False, and the clerk told why, when it cannot.
    bool exportTo(const QString& path);

signals:
    // The clerk asked for a saved estimate on the Estimate screen.
    void openRequested(qint64 number);
    // The clerk asked for a new estimate with a saved one's animal and services.
    void newFromRequested(qint64 number);
    // The clerk asked for a saved estimate printed.
    void printRequested(qint64 number);
    // A saved estimate was deleted.
    void deleted(qint64 number);
    // The clerk asked for a kill date booked for a saved estimate.
    void bookRequested(qint64 number);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The bookings billed, by each estimate that bills them, as the book's
    // changes told last left them.
    QHash<qint64, QList<Booking>> billing_;
    std::optional<quint64> billingRead_;
    // What the bill of a saved estimate shows of its booking.
    BillMoney billOf(qint64 estimate);
    // The first day of the period chosen; none for all.
    QDate since() const;
    void openSelected();
    void printSelected();
    void deleteSelected();
    void exportList();
    void showAccuracy();

    EstimateBook& book_;
    // The book's changes told when the list was last read.
    quint64 changesShown_ = 0;
    PriceSource& shop_; // the shop's settings, kept with its prices
    const Clock& clock_;
    QLineEdit* search_ = nullptr;
    // On a server, the search is made when typing pauses: one question for
    // a name typed, not one for each of its letters.
    QTimer* searchPause_ = nullptr;
    QComboBox* period_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* status_ = nullptr;
    QPointer<AccuracyWindow> accuracy_;
};
