#pragma once

// One customer's estimate, as data: the species, the weights as typed, the
// kill and processing charges with their rates, every extra service by its id,
// the beef cure products chosen and the total. Every figuring rule of the
// Estimate screen works on it; the screen shows it and turns the clerk's
// clicks and keys into calls on it. It holds the texts exactly as the clerk
// sees them in the fields, because the figuring reads them back as the shop's
// program always has.

#include "estimate/estimate_rules.h"
#include "estimate/estimate_summary.h"
#include "estimate/service_catalog.h"

#include <QSet>
#include <QString>
#include <array>
#include <optional>

class PriceList;

enum class Species { None, Beef, Pork, Deer };

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

// One extra service as the clerk sees it.
struct ServiceRow {
    bool ticked = false;
    // The last click on its box was accepted (not refused for want of the
    // price list). A refused service is not figured or charged.
    bool accepted = false;
    bool boxShown = false;
    bool fieldsShown = false;
    QString weight = QStringLiteral("0");
    QString charge = QStringLiteral("0");
    // Dollars per pound behind the charge; empty when there is no single rate.
    QString rate;
    // For a row written by a worksheet from the hanging weight: the hanging
    // weight it was figured for.
    std::optional<double> figuredFor;
};

class Estimate {
public:
    Estimate(PriceList& prices, EstimateView& view);

    // ------------------------------------------------------------ the clerk's actions

    // Start-up: the flag ticked, the price list opened (or the start-up
    // notice and the built-in prices).
    void startUp();
    // The clerk ticks or unticks the database flag by hand.
    void setPriceListFlag(bool ticked);

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

    // A worksheet writes its service's weight and charge; the total follows.
    void writeService(ServiceId service, const QString& weight, const QString& charge);
    // The total from kill, processing and the charges of the ticked services.
    void refigureTotal();

    // ------------------------------------------------------------ keeping the estimate

    // The estimate's own record of itself, as text: every field as the clerk
    // sees it, the ticks, refusals and shown rows, the rates, the cure
    // products and the top-round answer, the database flag not included.
    // restoreState() of it gives the same estimate exactly: nothing is looked
    // up or figured again.
    QString saveState() const;
    // Replaces the estimate with one that saveState() wrote. False, and
    // nothing changed, when the text is not such a record.
    bool restoreState(const QString& state);
    // Back to the start-up state for the next customer: no species, every
    // field "0", the band collapsed, nothing ticked. The database flag stays.
    void clear();
    // True when the estimate differs from the one last saved, restored or
    // cleared (markSaved() tells it that it was saved).
    bool hasUnsavedChanges() const;
    void markSaved();

    // ------------------------------------------------------------ what the clerk sees

    Species species() const { return species_; }
    bool priceListFlag() const { return flag_; }
    bool expanded() const { return expanded_; }
    const QString& weightCaption() const { return weightCaption_; }
    const QString& speciesHint() const { return speciesHint_; }
    const QString& liveWeight() const { return live_; }
    const QString& hangingWeight() const { return hanging_; }
    const QString& processingCharge() const { return processing_; }
    // Dollars per pound of the processing charge; empty for the flat deer charge.
    const QString& processingRate() const { return processingRate_; }
    const QString& killCharge() const { return kill_; }
    const QString& total() const { return total_; }
    const ServiceRow& row(ServiceId service) const;
    bool cureProductsShown() const { return cureProductsShown_; }
    const EstimateRules::CureSelection& cureProducts() const { return cure_; }
    bool topRoundOnly() const { return topRoundOnly_; }
    // The note on the pork rows that only apply when the shop does not
    // process the pork.
    bool porkNoteShown() const { return porkNoteShown_; }
    // True when the row was figured by a worksheet for another hanging weight
    // than the one now shown.
    bool isStale(ServiceId service) const;
    // True when the service is ticked and its click was accepted: it is
    // figured and its charge counts.
    bool counts(ServiceId service) const;
    // The services whose rows are stale (see isStale), in box order.
    QList<ServiceId> staleServices() const;

    // The estimate as the customer takes it home, dated today.
    EstimateSummary summary() const;

private:
    ServiceRow& rowOf(ServiceId service);

    void figure(ServiceId service);
    void figureCureProducts(const EstimateRules::CureSelection& selected);
    void figureProcessing();
    void refigureFromHangingWeight();
    // The beef charges rounded to cents, then the total.
    void roundAndTotal();
    bool roundBeefCharges();

    std::optional<double> lookup(const QString& item);
    std::optional<double> priceOr(const QString& item, double builtIn);
    std::optional<double> hangingWeightValue();
    // Tells the clerk; while the clerk types, the same words only once.
    void report(const QString& text);

    PriceList& prices_;
    EstimateView& view_;

    Species species_ = Species::None;
    double weightFactor_ = EstimateRules::BeefFactor;
    bool flag_ = false;
    bool expanded_ = false;
    QString weightCaption_;
    QString speciesHint_;
    QString live_ = QStringLiteral("0");
    QString hanging_ = QStringLiteral("0");
    QString processing_ = QStringLiteral("0");
    QString processingRate_;
    QString kill_ = QStringLiteral("0");
    QString total_ = QStringLiteral("0");
    std::array<ServiceRow, ServiceCount> rows_{};
    bool porkNoteShown_ = false;

    bool cureProductsShown_ = false;
    EstimateRules::CureSelection cure_{};
    bool cornedRoundAsked_ = false;
    bool topRoundOnly_ = false;

    // The record of the estimate as it was last saved, restored or cleared.
    QString savedState_;

    // Set while an action runs because of typing in a weight field.
    bool typing_ = false;
    QSet<QString> toldWhileTyping_;
};
