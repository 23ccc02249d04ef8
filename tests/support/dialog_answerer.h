#pragma once

// Answers the message boxes and input boxes that a screen shows modally, the
// way a clerk would, and records what each one said. Answers are given in the
// order they are queued; a dialog with no queued answer is answered with OK,
// No or Cancel and counted as unexpected.

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <variant>

struct SeenDialog {
    bool input = false; // an input box rather than a message box
    QString title;
    QString text; // a message box's text, or an input box's prompt
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool expected = true;
};

class DialogAnswerer : public QObject {
    Q_OBJECT

public:
    DialogAnswerer();
    ~DialogAnswerer() override;

    // Queue the answer to the next dialog.
    DialogAnswerer& press(QMessageBox::StandardButton button);
    DialogAnswerer& type(const QString& text); // an input box, then OK
    DialogAnswerer& cancel();                  // an input box, cancelled

    // Called with each dialog before it is answered (for example to look at
    // the screens while the dialog is up).
    std::function<void(const SeenDialog&)> onDialog;

    const QList<SeenDialog>& seen() const { return seen_; }
    QStringList texts() const;
    int unanswered() const { return int(answers_.size()); }
    int unexpected() const;
    void clear();

private:
    void poll();

    struct Cancel {};
    using Answer = std::variant<QMessageBox::StandardButton, QString, Cancel>;
    QList<Answer> answers_;
    QList<SeenDialog> seen_;
    QList<QPointer<QWidget>> handled_;
    QTimer timer_;
};
