#pragma once

// The owner's cut-sheet masters, one species at a time, in the text the
// store keeps (and locker-pricelist cutsheet reads and writes): each
// primal with its share of the hanging weight, its quarter and what it may
// become, the ground meat's packages and leanness, and the keeps. Saved
// with the shop's settings beside the price list, the same for every
// counter; a text that cannot be a master is refused whole, naming the line.

#include <QWidget>
#include <memory>

class PriceConnection;
class QComboBox;
class QLabel;
class QPlainTextEdit;

class CutSheetMastersWindow : public QWidget {
    Q_OBJECT

public:
    CutSheetMastersWindow(std::shared_ptr<PriceConnection> connection, QWidget* parent = nullptr);

private:
    void showMaster();
    void save();
    void sample();

    std::shared_ptr<PriceConnection> connection_;
    QComboBox* species_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QLabel* status_ = nullptr;
};
