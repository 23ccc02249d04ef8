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

// Heights and width of the screen, in twips.
constexpr int EstimateCollapsedHeight = 3500;
constexpr int EstimateFullHeight = 8655;
constexpr int EstimateDesignWidth = 11025;

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
    QLabel* recordLabel = nullptr; // names the saved estimate on the screen
    QPushButton* tot = nullptr;    // hidden; its focus has the total figured
    QFrame* porkFrame = nullptr;
    QLabel* porkNote = nullptr;
    std::array<Service, ServiceCount> services{};
    QListWidget* cureProducts = nullptr;
};

// Makes the controls of both bands on `screen`: the top band of weights,
// charges and tools, and the band of extra services below it.
EstimateControls MakeEstimateControls(QWidget* screen);

// A service by its caption; "pork Curing" where beef has a row of that name.
QString ServiceCaption(const ServiceInfo& s);

// Marks a service field as figured for another hanging weight, with the
// reason as its tool tip (a pale yellow: not an error, so not the invalid
// mark's pale red), or takes the mark away when `reason` is empty. While the
// field is marked as invalid that mark shows; this one comes back when the
// field is mended.
void ShowStale(QLineEdit* field, const QString& reason);

// "Mend the ...: reason" for each field marked as invalid, in screen order.
QStringList MarkedFieldNotes(const EstimateControls& c);

// The price list flag's tool tip: where prices come from, or the file looked
// for and why its prices are not in use.
QString PriceFlagTip(const QString& priceListPath, bool open, bool ticked);
