#pragma once

// One customer's estimate and every figuring rule of the Estimate screen. It
// holds the estimate as a value (EstimateValue) and changes it as the clerk
// acts: each action figures what it touches from the prices it asks of a
// price source, and every figure keeps its state, so one that could not be
// figured again is never taken for a current one. The screen shows the value
// and turns the clerk's clicks and keys into calls on this object; the
// worksheets write their rows through it.

#include "core/clock.h"
#include "estimate/estimate_summary.h"
#include "estimate/estimate_value.h"
#include "estimate/quote_rules.h"
#include "estimate/take_home.h"
#include "pricelist/price_source.h"

#include <QSet>
#include <QString>
#include <optional>

// What the estimate needs from the screen that shows it: telling the clerk,
// asking, and showing what a service opens. The screen brings its fields up
// to date before it shows a message, so the clerk sees the estimate as it is.
class EstimateView {
public:
    virtual ~EstimateView() = default;
    // A message with an OK button and no icon.
    virtual void tell(const QString& text) = 0;
    // A problem the clerk can mend, with the warning icon.
    virtual void warn(const QString& text) = 0;
    // A question with Yes and No and the question icon; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& title) = 0;
    // The worksheet of a service (the curing worksheet in the service's role).
    virtual void showWorksheet(ServiceId service) = 0;
    // The beef cure product list, given the focus.
    virtual void showCureProducts() = 0;
};

// What a worksheet writes into its service's row.
struct SheetResult {
    QString weight;
    QString charge;
    SheetEntries entries;
};

class Estimate {
public:
    // An estimate priced from `prices`, quoted by the shop's `rules` (its
    // ranges of the hanging weight and any factor adopted for quotes); it
    // tells and asks nothing until a view is set (a saved estimate read back
    // to be printed needs none).
    Estimate(PriceSource& prices, const Clock& clock, const QuoteRules& rules = PublishedRules());
    // The screen that shows it, or none.
    void setView(EstimateView* view);

    // ------------------------------------------------------------ the clerk's actions

    // Start-up: the flag ticked, the price list opened (or, for a file, the
    // start-up notice and the built-in prices; a server out of reach is told
    // and tried again at every action, and nothing is figured without it).
    void startUp();
    // The clerk ticks or unticks the database flag by hand.
    void setPriceListFlag(bool ticked);

    // The species chosen: its kill charge, and the estimate figured for it
    // from the weight already typed.
    void chooseSpecies(Species species);
    // The live weight's text changed (by typing).
    void setLiveWeight(const QString& text);
    // The clerk typed in the hanging weight.
    void setHangingWeight(const QString& text);
    // The clerk typed in a charge: it counts at once.
    void setKillCharge(const QString& text);
    void setProcessingCharge(const QString& text);
    void setServiceCharge(ServiceId service, const QString& text);
    // The clerk typed in a service's weight field: shown only, never figured.
    void setServiceWeight(ServiceId service, const QString& text);

    // "Click To Add Other Charges".
    void expand();
    // A click on a service's box that left it ticked or unticked.
    void clickService(ServiceId service, bool ticked);
    // The clerk changed the beef cure products' selection.
    void chooseCureProducts(const EstimateRules::CureSelection& selected);
    // The total from kill, processing and the charges of the ticked services
    // (and, for a share of an animal, its surcharge and its cents of the
    // animal's rounding).
    void refigureTotal();

    // The part of an animal sold in shares that the estimate is for (none:
    // a whole one): its split-side surcharge is figured from its hanging
    // weight, and the total follows.
    void setShare(const std::optional<ShareOfAnimal>& share);
    // The customer's cut sheet, as the clerk filled it (none: the master's
    // standard way). It changes no charge.
    void setCutSheet(const std::optional<CutSheet>& sheet);
    // The meat the customer is likely to take home (see TakeHomeOf), at the
    // shop's master and yields of the species; none while the hanging
    // weight is not known.
    std::optional<TakeHome> takeHome() const;

    // A share's part of its animal as the animal was figured with it
    // (`figured`, the share's estimate as the animal gives it): its hanging
    // weight, its kill charge and its part, each taken when it differs.
    void takeAnimalPart(const EstimateValue& figured);
    // The estimate is a final bill (its hanging weight weighed): a live
    // weight typed again does not replace a hanging weight typed for it.
    void setFinalBill(bool finalBill) { finalBill_ = finalBill; }

    // Brings the estimate up to what stands now: the quote's likely range at
    // the shop's range (a saved estimate keeps the one it was given), and,
    // without a word, what could not be figured before (its price back, the
    // server back). Every action does it first.
    void refreshPending();
    // Figures the whole estimate again at the price list's prices of today
    // (a saved estimate is figured at the rates kept with it until then).
    void useTodaysPrices();
    // Figures every figure again from what is typed, at the prices the
    // estimate stands for (its kept rates, or today's); what the clerk typed
    // stays. Figured as the actions figure, it changes nothing that is current.
    void refigureAll();

    // ------------------------------------------------------------ the worksheets

    // Which estimate this is: it changes whenever the estimate is replaced
    // (cleared, opened), so that a worksheet opened for one never writes
    // into another.
    quint64 identity() const { return identity_; }
    // The price per pound that a service's worksheet charges: the rate kept
    // with the estimate, the price list's while the flag is ticked, else the
    // service's built-in price. No value, and `problem` says why, when there
    // is none.
    std::optional<double> servicePrice(ServiceId service, QString* problem);
    // The price of an item the shop alone prices (there is no built-in one:
    // the split side's surcharge, the kill fee per share): the rate kept with
    // a saved estimate, else the price list's while the estimate is at the
    // shop's prices. No value, and `problem` says why, when there is none.
    std::optional<double> shopPrice(const QString& item, QString* problem);
    // The price of a price list item (the sausage worksheet's products); no
    // value, and `rows` says what the price list holds, when there is none.
    std::optional<double> itemPrice(const QString& item, ItemRows* rows);
    // Adds an item to the price list (the sausage worksheet's missing item).
    SaveResult addPriceItem(const QString& item, double cost, const QString& category);
    // A worksheet opened for the estimate `identity` writes its row; the
    // total follows. False, and nothing written, when the estimate has been
    // replaced since.
    bool applySheet(quint64 identity, ServiceId service, const SheetResult& result);
    // A service's row put back as it was (before a click that opened a
    // worksheet that was then closed unfigured); the total follows.
    void restoreRow(ServiceId service, const ServiceRow& row);

    // ------------------------------------------------------------ keeping the estimate

    const EstimateValue& value() const { return value_; }
    const QuoteRules& rules() const { return rules_; }
    // Where the prices come from, with the shop's settings kept beside them.
    PriceSource& prices() const { return prices_; }
    // Replaces the estimate with one saved before, as it was saved: nothing
    // is looked up or figured again, and it goes on at the rates kept with it.
    void replace(const EstimateValue& value);
    // Back to the start-up state for the next customer: no species, every
    // field "0", the band collapsed, nothing ticked. The database flag stays.
    void clear();
    // The estimate as it is to be saved at `now`: the rates it may still need
    // kept with it, from now on figured at them.
    EstimateValue keptForSaving(const QDateTime& now);
    // True when the estimate differs from the one last saved, replaced or
    // cleared (markSaved() tells it that it was saved).
    bool hasUnsavedChanges() const;
    // It was saved as `kept` (what keptForSaving gave).
    void markSaved(const EstimateValue& kept);
    // It is not saved as it stands (a new estimate made from a saved one),
    // until it is saved, replaced or cleared.
    void markUnsaved();

    // What stands in the way of saving or printing the estimate: each figure
    // that is not current and each field that is not right, named with why.
    QStringList problems() const;

    // ------------------------------------------------------------ what the clerk sees

    Species species() const { return value_.species; }
    bool priceListFlag() const { return flag_; }
    bool expanded() const { return value_.shown.expanded; }
    const QString& weightCaption() const { return value_.shown.weightCaption; }
    const QString& speciesHint() const { return value_.shown.speciesHint; }
    const QString& liveWeight() const { return value_.live; }
    const QString& hangingWeight() const { return value_.hanging.text; }
    const QString& processingCharge() const { return value_.processing.text; }
    const QString& processingRate() const { return value_.processingRate; }
    const QString& killCharge() const { return value_.kill.text; }
    const QString& total() const { return value_.total.text; }
    const ServiceRow& row(ServiceId service) const { return value_.row(service); }
    bool counts(ServiceId service) const { return value_.counts(service); }
    bool isStale(ServiceId service) const { return value_.isStale(service); }
    // The hanging weight figured from: no value, and `problem` says why, when
    // it is not a number or not a weight that can be right (what its field
    // marks as not right).
    std::optional<double> hangingWeightValue(QString* problem) const;

private:
    // Every action starts here: what could not be figured is tried again.
    void beginAction();
    // True when a price the estimate was figured with today is no longer the
    // price list's.
    bool pricesMoved();

    void figure(ServiceId service);
    void figureCureProducts(const EstimateRules::CureSelection& selected);
    void figureProcessing();
    void figureKill();
    void figureDeer();
    void figureSurcharge();
    void refreshLikelyRatio();
    // A worksheet's row, counted: its charge from what the worksheet was
    // given; not figured (and marked) when no worksheet has figured it.
    bool figureSheetRow(ServiceId service);
    // The hanging weight of the live weight typed; false when it was not figured.
    bool figureHangingFromLive();
    void refigureFromHangingWeight();
    // The beef charges rounded to cents, then the total.
    void roundAndTotal();
    bool roundBeefCharges();
    // The figures that need the hanging weight, when it is not a number.
    void hangingWeightUnusable(const QString& why);

    // True when the estimate is figured at the shop's prices (the price list's
    // or the ones kept with it), false at the built-in ones.
    bool shopPrices() const;
    // A price: the rate kept with the estimate (when it goes on at its kept
    // rates), else the price list's, or the built-in one while the flag is
    // unticked. No value, and `problem` says why, when there is none.
    std::optional<double> price(const QString& item, std::optional<double> builtIn,
                                QString* problem);
    // Tells the clerk; while the clerk types, the same words only once; not
    // at all while figures are tried again quietly.
    void report(const QString& text);

    PriceSource& prices_;
    EstimateView* view_;
    const Clock& clock_;
    const QuoteRules& rules_;

    EstimateValue value_;
    bool flag_ = false;
    bool finalBill_ = false;
    quint64 identity_ = 1;

    // The estimate as it was last saved, replaced or cleared.
    EstimateValue saved_;
    bool unsavedAnyway_ = false;

    // Set while an action runs because of typing in a weight field.
    bool typing_ = false;
    // Set while figures are tried again without a word.
    bool quiet_ = false;
    QSet<QString> toldWhileTyping_;
    // The price list's revision when the rates were last checked against it.
    quint64 ratesChecked_ = ~quint64(0);
    // Set when the last price could not be had because the price list itself
    // failed: such a failure is told once an action.
    QString failureKey_;
};
