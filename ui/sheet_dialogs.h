#pragma once

// A worksheet's questions and messages as message boxes and input boxes over
// its window.

#include "estimate/worksheet_figuring.h"

class QWidget;

class WindowDialogs : public SheetDialogs {
public:
    explicit WindowDialogs(QWidget* window)
        : window_(window)
    {}

    void tell(const QString& text) override;
    void warn(const QString& text) override;
    bool askCritical(const QString& text, const QString& title) override;
    std::optional<QString> askText(const QString& prompt, const QString& title) override;

private:
    QWidget* window_;
};
