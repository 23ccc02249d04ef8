#pragma once

// The saved estimates at the counter: the small dialog that asks whom an
// estimate is for before it is saved, and the Estimates window that finds a
// saved estimate again by its customer's name, phone or number.

#include "book/estimate_book.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <optional>

class AccuracyWindow;
class EstimateScreen;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

// frmSaveEstimate: the customer's name (required), phone and a note, and, for
// an estimate saved before, whether this save records the final bill or
// updates the quote.
class SaveEstimateDialog : public QDialog {
    Q_OBJECT

public:
    struct Answer {
        QString customer;
        QString phone;
        QString note;
        bool final = false; // record the final bill (the quote is kept as given)
    };

    // Shows the record's name, phone and note to confirm or change; the choice
    // of quote or final bill only when the record was saved before, and not
    // open to change when it is `fixed` (a final bill exists: what is shown
    // is saved).
    SaveEstimateDialog(const EstimateRecord& record, bool finalByDefault, bool fixed,
                       QWidget* parent);

    // Asks modally; no value when the clerk cancels.
    static std::optional<Answer> ask(QWidget* parent, const EstimateRecord& record,
                                     bool finalByDefault, bool fixed);

    Answer answer() const;

    // A name of blanks only is refused, and the name is asked for again.
    void accept() override;

private:
    QLineEdit* customer_ = nullptr;
    QLineEdit* phone_ = nullptr;
    QLineEdit* note_ = nullptr;
    QRadioButton* final_ = nullptr;
};

// frmEstimates: every saved estimate, newest first, filtered as the clerk
// types in the search field. Open loads one into the Estimate screen, Print
// prints it, Delete removes it (asking first), Export writes the list shown
// as CSV, Quote accuracy opens the report on the quotes against the bills.
class EstimatesWindow : public QWidget {
    Q_OBJECT

public:
    // At most this many rows are shown at once: the newest; a search finds
    // older ones.
    static constexpr int ShownRows = 200;

    EstimatesWindow(EstimateBook& book, QWidget* parent);

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
    // The clerk asked for a saved estimate printed.
    void printRequested(qint64 number);
    // A saved estimate was deleted.
    void deleted(qint64 number);

private:
    void openSelected();
    void printSelected();
    void deleteSelected();
    void exportList();
    void showAccuracy();

    EstimateBook& book_;
    QLineEdit* search_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* status_ = nullptr;
    QPointer<AccuracyWindow> accuracy_;
};
