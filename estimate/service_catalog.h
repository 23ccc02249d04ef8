#pragma once

// The extra services of an estimate, each described once: its id, its caption
// and column, whether it is refused without the price list, how it is
// figured, its price item with the built-in price. Where a service sits on a
// screen is the screen's own business (its layout).

#include <QString>
#include <array>

enum class ServiceId {
    Tenderising,
    MinuteSteaks,
    ExtraBoning,
    BeefCuring,
    BeefSausage,
    PaperWrapp,
    FajitaStrips,
    Slicing,
    PorkCuring,
    PorkSausage,
    Cutlets,
    Cooling,
    Quartering,
};
constexpr int ServiceCount = 13;

enum class Column { Beef, Pork };

// How a service gets its weight and charge.
enum class Figuring {
    HangingShare, // a share of the hanging weight at a price per pound
    PaperWrapp,   // replaces the processing price; the row's own charge stays 0
    WholeHanging, // the whole hanging weight at a price per pound
    Notice,       // no charge: a notice only
    CureProducts, // the beef cure product list on the Estimate screen
    Worksheet,    // a worksheet figures it and writes it back
};

// The worksheet screens.
enum class Worksheet { None, ExtraBoning, Sausage, Fajita, Jerky, Curing };

struct ServiceInfo {
    ServiceId id;
    const char* caption;
    Column column;
    bool needsPriceList; // refused while the database flag is unticked
    Figuring figuring;
    Worksheet worksheet;
    QString priceItem;   // the price list item that prices it; empty when none
    double builtInPrice; // per pound while the flag is unticked; 0 when it has none
    double hangingShare; // for HangingShare: pounds per pound of hanging weight
    // True when the weight it was figured from is the hanging weight, so that a
    // change of the hanging weight makes it out of date.
    bool followsHangingWeight;
    // True when its charge is the weight at one price per pound (so a rate can
    // be told from them); false for mixed prices (sausage) and no charge.
    bool singleRate;
    // Its name on the printed estimate: words the customer reads, not the
    // price list's item nor the screen's caption.
    const char* printedName;
};

// Every service, in the order of their boxes.
const std::array<ServiceInfo, ServiceCount>& Services();

const ServiceInfo& Service(ServiceId id);

// A service by its caption; "pork Curing" where beef has a row of that name.
QString ServiceCaption(const ServiceInfo& s);
