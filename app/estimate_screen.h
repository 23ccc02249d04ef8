#pragma once

// frmEst, the Estimate screen: species, weights, kill and processing charges,
// the extra services with their charges, the beef cure products and the total
// estimated price. It owns the estimate for as long as the program runs.

#include "estimate_host.h"
#include "estimate_summary.h"

#include <QPointer>
#include <QSet>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class PriceList;

class EstimateScreen : public QWidget, public EstimateHost {
    Q_OBJECT

public:
    explicit EstimateScreen(QString priceListPath, QWidget* parent = nullptr);
    ~EstimateScreen() override;

    // The screen's start-up: collapsed height, the database flag ticked, the
    // price list opened (or the start-up notice and the fallback prices).
    void startUp();

    // A service's own action (figures it, or shows its worksheet or list).
    void fEstW(int index);
    // Refigures the total estimated price from kill, processing and the
    // charges of the ticked services; unticked services' charges become "0".
    void fTotal();

    // EstimateHost
    QString hangingWeightText() const override;
    bool priceListFlag() const override;
    QString priceListPath() const override;
    void writeServiceRow(int weightField, const QString& weight, int chargeField,
                         const QString& charge) override;
    void refigureTotalThroughTot() override;

    // The estimate as the customer takes it home.
    EstimateSummary summary() const;
    // Qt's print dialog, then the printed estimate (or a PDF file). Refused
    // while a field is marked as invalid or no species is chosen; rows figured
    // for another hanging weight are printed only when the clerk says so.
    void printEstimate();
    // The price list window, to see and change the prices.
    void showPriceList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Species { None, Beef, Pork, Deer };

    void buildTopBand();
    void buildServiceBand();
    void setHeightTwips(int twips);
    // The flag's tool tip: where prices come from, or the file looked for.
    void showFlagTip();

    Species species() const;
    bool flagTicked() const;
    bool ticked(int service) const;

    // Event handlers.
    void onBeef();
    void onPork();
    void onDeer();
    // Beef or pork: the animal is killed here, so there is a kill charge.
    void chooseSlaughtered(const QString& hint, double factor, const QString& killItem,
                           const QString& fallbackKill);
    void onLiveWeightChanged();
    void onHangingWeightEdited();
    void onFlagClicked(bool checked);
    void onExpand();
    void onServiceToggled(int service);
    void onCureProductsChanged();
    // The beef cure products' pounds and charge from the list's selection;
    // asks the top-round question only when `mayAsk`.
    void figureCureProducts(bool mayAsk);

    void fProcessing();
    // Processing and the services figured from the hanging weight, then the total.
    void refigureFromHangingWeight();
    // The beef charges rounded to whole cents, then fTotal.
    void refigureTotal();
    bool roundBeefCharges();

    void showWorksheetFor(int service);

    // Marks the worksheet rows figured for another hanging weight than the
    // one shown, and clears the mark of the others.
    void markStaleRows();
    // The captions of the rows marked so.
    QStringList staleRows() const;
    // Why the estimate cannot be printed as it stands; empty when it can.
    QString printRefusal() const;

    // The hanging weight read as a number; tells the clerk when it is not one.
    std::optional<double> hangingWeight();
    // A price from the price list; tells the clerk when there is none.
    std::optional<double> lookup(const QString& item);
    // A price from the price list, or the fallback while the flag is unticked.
    std::optional<double> priceOr(const QString& item, double fallback);
    // Tells the clerk; while the clerk types, the same words only once.
    void report(const QString& text);

    std::unique_ptr<PriceList> priceList_;
    double weightFactor_ = 0.5;
    bool cornedRoundAsked_ = false;
    bool topRoundOnly_ = false;
    // Dollars per pound of the processing charge as last figured (empty for
    // the flat deer charge), and of each service's charge, by charge field.
    QString processingRate_;
    std::array<QString, 31> serviceRates_{};
    // The hanging weight that a worksheet figured its row from, by the row's
    // charge field; empty when the row does not follow the hanging weight.
    std::array<QString, 31> figuredFor_{};

    // Set while a handler runs because of typing in a weight field.
    bool typing_ = false;
    QSet<QString> toldWhileTyping_;
    bool totRan_ = false;

    QCheckBox* check2_ = nullptr;
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
    QRadioButton* option3_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label6_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QLineEdit* text3_ = nullptr;
    QLineEdit* text4_ = nullptr;
    QLineEdit* text5_ = nullptr;
    QPushButton* command1_ = nullptr;
    QFrame* frame1_ = nullptr;
    QLabel* label7_ = nullptr;
    QListWidget* list1_ = nullptr;
    QPushButton* tot_ = nullptr;
    std::array<QCheckBox*, 14> check1_{};
    std::array<QLineEdit*, 31> text6_{};

    // The open worksheets, one instance each while open.
    enum Worksheet {
        ExtraBoningSheet,
        SausageSheet,
        FajitaSheet,
        JerkySheet,
        CureSheet,
        SheetCount
    };
    std::array<QPointer<QWidget>, SheetCount> worksheets_;
    QPointer<QWidget> priceListWindow_;
    // The screen's controls, on a page that scrolls when the screen is too small.
    QWidget* page_ = nullptr;
};
