#pragma once

// frmShares: one beef or hog sold in shares. The clerk names each buyer and
// their part (half, quarter, split-side quarter or a percentage); each
// buyer's services are chosen on the Estimate screen, like any customer's.
// The window shows every share's weight, charges and total to the cent, the
// part not sold yet and the animal's total, saves all the shares together
// under one tag, and prints each buyer's estimate and the shop's sheet of the
// animal. After the kill, the weighed hanging weight (or each side's) is
// divided the same way, and each share's final bill is saved beside its quote.

#include "book/estimate_book.h"
#include "estimate/animal_shares.h"

#include <QWidget>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// What the Shares window needs of the Estimate screen: a buyer's estimate
// shown there for its services, and given back when the clerk is done.
class ShareHost {
public:
    virtual ~ShareHost() = default;
    // Shows the share's estimate on the Estimate screen; `back` takes it back
    // as the clerk left it, and `changed` is told of it after every action of
    // the clerk there (the animal is figured with it, and shareRefigured
    // gives the screen its part of the animal: the cents of the animal's
    // rounding may move between the shares). False when the clerk stayed
    // with the estimate that was there.
    virtual bool showShare(const EstimateValue& share, const QString& caption,
                           std::function<void(const EstimateValue&)> back,
                           std::function<void(const EstimateValue&)> changed) = 0;
    // The share shown on the Estimate screen goes back now, if one is.
    virtual void takeShareBack() = 0;
    // The animal was figured again in this window (a part, a weight typed):
    // the share shown on the Estimate screen, if one is, as it gives it.
    virtual void shareRefigured(const EstimateValue& figured) = 0;
    // Whether the prices come from the price list (the database flag).
    virtual bool priceListFlag() const = 0;
    // The shop's rules for quotes (its ranges, its adopted factors).
    virtual const QuoteRules& quoteRules() const = 0;
};

class QTimer;

class SharesWindow : public QWidget {
    Q_OBJECT

public:
    SharesWindow(ShareHost& host, PriceSource& prices, EstimateBook& book, const Clock& clock,
                 QWidget* parent = nullptr);

    // A new animal, of the species and live weight given (a beef when none).
    void startAnimal(Species species, const QString& live);
    // The animal whose shares were saved under `tag`; false, and the clerk
    // told why, when there are none.
    bool openAnimal(const QString& tag);
    // The services of the buyer whose saved estimate is `number` shown on the
    // Estimate screen; false when no buyer here has it, or it was not shown.
    bool showServicesOf(qint64 number);

    const AnimalValue& animal() const { return animal_; }
    const AnimalFigures& figures() const { return figures_; }

    // Saves every share, all or none: the quotes, or after the kill the
    // final bills beside them. Refused, and told why, while the parts do not
    // add up or a figure is not current. True when saved.
    bool saveAll();
    // Each buyer's estimate (a final bill beside its quote once there is
    // one) and the shop's sheet of the animal, through the print dialog.
    void printAll();
    // The shop's sheet of the animal, as printAll prints it.
    QString animalSheet() const;
    // Each buyer's page, as printAll prints it.
    QStringList buyersPages() const;
    // True when the shares differ from those last saved or opened.
    bool hasUnsavedChanges() const;
    // Yes saves, No forgets, Cancel stays: true when the window may close.
    bool settleUnsaved();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void figureAndShow();
    void showFigures(const AnimalFigures& figures);
    void addShare();
    void removeShare();
    void editServices();
    void shareEdited(int row, const EstimateValue& value);
    // The share on the Estimate screen changed there: the animal figured
    // with it.
    void shareChanging(int row, const EstimateValue& value);
    void cellEdited(int row, int column);
    void readHead();
    // The share on the Estimate screen taken back and everything figured:
    // false, and the clerk told what stands in the way, when the shares
    // cannot be `what` ("saved", "printed"); rows figured for another
    // hanging weight go only when the clerk says so.
    bool readyTo(const char* what);
    AnimalShares figuring() const;
    // The row whose share is on the Estimate screen; -1 while none is, or
    // while its row no longer holds its buyer.
    int shownShare() const;
    // The buyer's estimate as printed: its summary with the shop, the saved
    // estimate's number and customer, and a quote's likely range.
    EstimateSummary sheetOf(int share, const EstimateValue& value) const;

    // While Save All's answer was lost and whether it was kept is not known:
    // asked each second, and told once the server answers.
    void settleLostSave();
    QTimer* lostSave_ = nullptr;

    ShareHost& host_;
    PriceSource& prices_;
    EstimateBook& book_;
    const Clock& clock_;
    AnimalValue animal_;
    AnimalValue saved_;
    AnimalFigures figures_;
    // The saved estimate of each share (number 0 while not saved).
    QList<EstimateRecord> records_;
    // The saved estimates of buyers taken off the animal since it was saved
    // or opened: Save All takes them off its tag.
    QList<EstimateRecord> removed_;
    // The part as the clerk typed it, while it is not a part.
    QHash<int, QString> partTyped_;
    // The row whose share is on the Estimate screen, and its buyer (renamed
    // with the row); -1 while none is. shownShare() tells which row it is.
    int shownRow_ = -1;
    QString shownBuyer_;
    bool showing_ = false;

    QLineEdit* tag_ = nullptr;
    QComboBox* species_ = nullptr;
    QLineEdit* live_ = nullptr;
    QComboBox* killFee_ = nullptr;
    QComboBox* payer_ = nullptr;
    QLineEdit* weighed_ = nullptr;
    QLineEdit* firstSide_ = nullptr;
    QLineEdit* secondSide_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* problems_ = nullptr;
};
