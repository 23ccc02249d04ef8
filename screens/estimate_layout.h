#pragma once

// The controls of the Estimate screen: made on the screen with their names,
// captions, places (in twips) and colours. Their tab order is the order they
// are made in. What they do is wired by the screen.

#include "estimate/service_catalog.h"

#include <QStringList>
#include <array>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QWidget;

// The screen's page, in twips: as wide as its widest row, and as high as the
// band above the line (collapsed) or both bands (expanded), with a small
// margin below the last control and nothing more, so that a display that
// holds the page shows no scroll bar and no empty band.
constexpr int EstimateCollapsedHeight = 3900;
constexpr int EstimateFullHeight = 8400;
constexpr int EstimateDesignWidth = 10935;

struct EstimateControls {
    // The controls of one extra service, hidden until the estimate shows them.
    struct Service {
        QCheckBox* box = nullptr;
        QLineEdit* weight = nullptr;
        QLineEdit* charge = nullptr;
    };

    QCheckBox* flag = nullptr; // prices from the price list
    QLabel* totalCaption = nullptr;
    QLineEdit* total = nullptr;             // read only: the total is figured
    std::array<QRadioButton*, 3> species{}; // Beef, Pork, Deer
    QLabel* weightCaption = nullptr;
    QLineEdit* liveWeight = nullptr;
    QLineEdit* hangingWeight = nullptr;
    QLabel* speciesHint = nullptr;
    QLineEdit* processing = nullptr;
    QLineEdit* kill = nullptr;
    QPushButton* expand = nullptr;
    QPushButton* priceList = nullptr;
    QPushButton* print = nullptr;
    QPushButton* save = nullptr;
    QPushButton* newEstimate = nullptr;
    QPushButton* estimates = nullptr;
    QPushButton* shares = nullptr;
    QPushButton* killCalendar = nullptr;
    QPushButton* dayBoard = nullptr;
    QPushButton* cutSheet = nullptr;
    QPushButton* todaysPrices = nullptr; // hidden while figured at today's prices
    QPushButton* quoteOrFinal = nullptr; // hidden while there is no final bill
    QLabel* recordLabel = nullptr;       // names the saved estimate on the screen
    QLabel* connection = nullptr;        // shown while the price list's server is out of reach
    QLabel* likely = nullptr;            // a quote's likely range, under the total's column
    QLabel* takeHome = nullptr;          // under it: the meat the customer is likely to take home
    QLabel* likelyCaution = nullptr;     // under them: which way the bill usually goes
    QLabel* shareLine = nullptr;         // a buyer's share: its part of the animal
    QPushButton* tot = nullptr;          // hidden; its focus has the total figured
    QFrame* porkFrame = nullptr;
    QLabel* porkNote = nullptr;
    std::array<Service, ServiceCount> services{};
    QListWidget* cureProducts = nullptr;
};

// Where each service sits on the Estimate screen: the index of its check box
// (Check1_<box>: beef 0 to 7 down the left column, pork 9 to 13 down the
// middle one) and of its weight and charge fields among the Text6 fields.
int ServiceBox(ServiceId service);
int WeightField(ServiceId service);
int ChargeField(ServiceId service);
// The service of a check box index, or null for an index that has none.
const ServiceInfo* ServiceAtBox(int box);

// Makes the controls of both bands on `screen`: the top band of weights,
// charges and tools, and the band of extra services below it.
EstimateControls MakeEstimateControls(QWidget* screen);

// How a figure's field is marked when its figure is not current.
enum class FigureMark {
    None,
    Stale,      // figured for another hanging weight: pale yellow
    NotFigured, // could not be figured again: grey
};

// Marks a figure's field, with the reason as its tool tip (the properties
// "stale" and "notFigured" tell which), or takes the mark away. While the
// field is marked as invalid (pale red) that mark shows; this one comes back
// when the field is mended.
void ShowFigureMark(QLineEdit* field, FigureMark mark, const QString& reason);

// The price list flag's tool tip: where prices come from, or the file looked
// for and why its prices are not in use.
QString PriceFlagTip(const QString& priceListPath, bool open, bool ticked);
