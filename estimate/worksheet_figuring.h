#pragma once

// What the worksheets figure, over the estimate that opened them: each one's
// choices, its running total and the row it writes into the estimate, with
// the price the estimate gives (the rate kept with it, the price list's, or
// the built-in one). A worksheet window shows one of these and passes the
// clerk's clicks to it; it opens no price list of its own.

#include "estimate/curing_rules.h"
#include "estimate/cut_rules.h"
#include "estimate/extra_boning_rules.h"
#include "estimate/sausage_rules.h"
#include "estimate/service_catalog.h"

#include <QString>
#include <array>
#include <optional>

class Estimate;

// What a worksheet's figuring asks of the clerk.
class SheetDialogs {
public:
    virtual ~SheetDialogs() = default;
    // A message with an OK button and no icon.
    virtual void tell(const QString& text) = 0;
    // A problem the clerk can mend, with the warning icon.
    virtual void warn(const QString& text) = 0;
    // A question with Yes and No and the stop icon; true for Yes.
    virtual bool askCritical(const QString& text, const QString& title) = 0;
    // An input box; no value when cancelled.
    virtual std::optional<QString> askText(const QString& prompt, const QString& title) = 0;
};

// The part every worksheet shares: the estimate it was opened for, and its
// service's row in it.
class SheetFiguring {
public:
    SheetFiguring(Estimate& estimate, ServiceId service, SheetDialogs& dialogs);

    ServiceId service() const { return service_; }
    // False once the estimate it was opened for was replaced (cleared or
    // another opened): it must write nothing then.
    bool stillItsEstimate() const;

protected:
    // The hanging weight shown on the Estimate screen; no value, and the
    // clerk told, when it is not a number.
    std::optional<double> hangingWeight();
    // The service's price per pound; no value, and `problem` says why.
    std::optional<double> price(QString* problem);
    // Writes the row; false, and the clerk told, when the estimate was replaced.
    bool write(const QString& weight, const QString& charge, const QList<int>& chosen);

    Estimate& estimate_;
    ServiceId service_;
    SheetDialogs& dialogs_;
    quint64 identity_;
};

// The jerky and fajita worksheets: the cuts chosen and their total weight.
class CutFiguring : public SheetFiguring {
public:
    CutFiguring(Estimate& estimate, CutRules::CutScreenKind kind, SheetDialogs& dialogs);

    const CutRules::CutScreen& design() const { return design_; }
    // The clerk changed the selection: the full round wins over its parts
    // (told), and the total follows. Gives the selection to show.
    CutRules::CutSelection select(CutRules::CutSelection selected);
    const QString& total() const { return total_; }
    void setTotal(const QString& typed) { total_ = typed; }
    // Apply: the total at the service's price into the estimate. True when
    // it was written (the worksheet closes).
    bool apply();

private:
    const CutRules::CutScreen& design_;
    CutRules::CutSelection selected_{};
    QString total_ = QStringLiteral("0");
};

// The curing worksheet in its three roles: the pork cuts chosen, their
// total weight, rounded to whole pounds at Apply.
class CuringFiguring : public SheetFiguring {
public:
    CuringFiguring(Estimate& estimate, ServiceId service, SheetDialogs& dialogs);

    const CuringRules::Role& role() const { return role_; }
    // The clerk changed the selection ("Bacon" refused for cutlets, told).
    // Gives the selection to show.
    CuringRules::CutSelection select(CuringRules::CutSelection selected);
    const QString& total() const { return total_; }
    void setTotal(const QString& typed) { total_ = typed; }
    // Apply: the whole pounds at the price into the estimate. True when it
    // was written.
    bool apply();

private:
    const CuringRules::Role& role_;
    CuringRules::CutSelection selected_{};
    QString total_ = QStringLiteral("0");
};

// The extra boning worksheet: the cuts ticked keep a running weight, which
// Done doubles and prices.
class BoningFiguring : public SheetFiguring {
public:
    BoningFiguring(Estimate& estimate, SheetDialogs& dialogs);

    // A cut box ticked or cleared: the running weight moves by one cut.
    void clickCut(int box, bool ticked);
    const QString& weight() const { return weight_; }
    void setWeight(const QString& typed) { weight_ = typed; }
    // Done: the doubled weight at the price into the estimate. True when it
    // was written.
    bool done();

private:
    std::array<bool, ExtraBoningRules::CutCount> ticked_{};
    QString weight_ = QStringLiteral("0");
};

// The sausage worksheet's charges: every product at its price per pound on
// its deer and pork pounds, the pork once more at the pork trim price.
class SausageFiguring : public SheetFiguring {
public:
    SausageFiguring(Estimate& estimate, SheetDialogs& dialogs);

    // Why the charge total that a figuring starts from cannot be used, in
    // plain words; empty when it can (it is a number).
    static QString chargeTotalProblem(const QString& chargeTotal);
    // The products the estimate holds from the last figuring, to take up again.
    QList<SausageRules::Entry> lastEntries() const;
    // The charge total those products were figured from (other sausage
    // charges the clerk had typed), "0" when none was kept.
    QString lastStartingCharge() const;
    // Figures the entries, starting from the charge total's text, and writes
    // the result into the estimate. A missing price item is added when the
    // clerk wishes. The charge written, or no value when nothing was (the
    // clerk was told why).
    std::optional<QString> figure(const QList<SausageRules::Entry>& entries,
                                  const QString& chargeTotal);

private:
    std::optional<double> priceOf(const QString& item);
    std::optional<double> addMissingItem(const QString& item);
};
