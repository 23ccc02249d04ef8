#pragma once

// An estimate's cut sheet and the meat it brings home: the sheet as the
// cutting room reads it (the customer's choices, or the master's standard
// way while none were made), what the worksheets already decided for it, and
// the likely take-home weight from the estimate's hanging weight.

#include "estimate/cut_sheet.h"
#include "estimate/estimate_value.h"
#include "estimate/quote_rules.h"

#include <QStringList>
#include <optional>

// The part of the animal a share's sheet covers by default: a half, a
// split-side quarter; a quarter is a front quarter until the clerk says
// hind; the whole animal for a whole one (and for a share by percentage).
SheetPart DefaultPart(const EstimateValue& estimate);

// The estimate's cut sheet: the one the clerk filled for its species, or an
// empty one for its species and part (every primal the master's standard way).
CutSheet SheetOf(const EstimateValue& estimate);

// What the worksheets decided for the cutting room, a line each, as they
// stand on the estimate: "Beef sausage: Summer sausage, 20 lb", "Slicing
// for jerky: Top Round". The cut sheet shows them and never changes them.
QStringList WorksheetProducts(const EstimateValue& estimate);

// The whole animal's hanging weight that the take-home is figured from: the
// weighed or typed weight (both ends the same), else the quote's likely
// range of it (its figure where no range can be taken). No value while it
// is not known.
struct HangingRange {
    double low = 0, high = 0;
};
std::optional<HangingRange> AnimalHanging(const EstimateValue& estimate);

// The meat the estimate's buyer is likely to take home, from its sheet (see
// SheetOf) at the species' master and yields. A share by percentage takes
// its percentage of the whole animal's. No value while the hanging weight is
// not known.
std::optional<TakeHome> TakeHomeOf(const EstimateValue& estimate, const CutMaster& master,
                                   const Yields& yields);
// The same at the shop's master and yields of the estimate's species: the
// take-home the screen shows, the quote prints and the pickups are checked
// against.
std::optional<TakeHome> TakeHomeOf(const EstimateValue& estimate, const QuoteRules& rules);

struct EstimateSummary;
struct EstimateRecord;

// A saved estimate has one cut sheet, its quote's and its final bill's
// alike: the side just written (`final` or the quote) gives its sheet to the
// other one.
void OneCutSheet(EstimateRecord& record, bool final);

// The cut sheet as it is printed for the cutting room.
struct CutRoomPage {
    QString tag;     // the carcass's tag of a share; else the hunter's tag or the number printed
    QString species; // "Beef"
    QString part;    // "whole", "half", ...
    // "612 lb" once weighed, "likely 580 to 640 lb" before the kill; empty
    // while not known.
    QString hanging;
    QStringList choices;  // ChoiceLines
    QStringList products; // WorksheetProducts
    QStringList changes;  // "2026-12-10 14:05 by owner: Chuck: roasts → Chuck: ground"
    QString takeHome;     // TakeHome::words, or empty
};
CutRoomPage CutRoomPageOf(const EstimateValue& estimate, const CutMaster& master,
                          const Yields& yields);
// The page: the shop's head with the estimate's number and customer, the
// tag in large type, then the animal and every line of the sheet.
QString CutRoomHtml(const EstimateSummary& head, const CutRoomPage& page);
