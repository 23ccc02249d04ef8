#pragma once

// frmJerky and frmFajita: the clerk picks the beef cuts to be made into jerky
// or fajita strips; the screen totals their weight from the Estimate screen's
// hanging weight, and Apply prices it and writes both into the service's row.
// One design, built twice from the table of the two screens.

#include "estimate/cut_rules.h"

#include <QWidget>
#include <memory>

class WorksheetHost;
class ServicePrice;
class QLineEdit;
class QListWidget;
class QPushButton;

class CutWorksheet : public QWidget {
    Q_OBJECT

public:
    // frmJerky, for the Slicing service.
    static CutWorksheet* jerky(WorksheetHost& host, QWidget* parent = nullptr);
    // frmFajita, for the Fajita Strips service.
    static CutWorksheet* fajita(WorksheetHost& host, QWidget* parent = nullptr);

    ~CutWorksheet() override;

private:
    CutWorksheet(const CutRules::CutScreen& design, WorksheetHost& host, QWidget* parent);

    void onSelectionChanged();
    void onApply();

    const CutRules::CutScreen& design_;
    WorksheetHost& host_;
    std::unique_ptr<ServicePrice> price_;
    QListWidget* cuts_ = nullptr;        // List1
    QLineEdit* totalWeight_ = nullptr;   // Text1: the selected cuts' pounds
    QPushButton* applyButton_ = nullptr; // cmdFigure, the Apply button
};
