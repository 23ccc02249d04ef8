#pragma once

// Answers the message boxes and input boxes that a screen shows modally, the
// way a clerk would, and records what each one said. Answers are given in the
// order they are queued; a dialog with no queued answer goes to the policy
// when there is one, and is otherwise answered with OK, No or Cancel and
// counted as unexpected.

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
    // An answer: a button of a message box, a text typed into an input box
    // followed by OK, or an input box cancelled.
    struct Cancel {};
    using Answer = std::variant<QMessageBox::StandardButton, QString, Cancel>;

    DialogAnswerer();
    ~DialogAnswerer() override;

    // Queue the answer to the next dialog.
    DialogAnswerer& press(QMessageBox::StandardButton button);
    DialogAnswerer& type(const QString& text); // an input box, then OK
    DialogAnswerer& cancel();                  // an input box, cancelled

    // Called with each dialog before it is answered (for example to look at
    // the screens while the dialog is up).
    std::function<void(const SeenDialog&)> onDialog;

    // Answers every dialog that finds no queued answer (for example a random
    // clerk's). Its answers count as expected, as long as they fit the dialog:
    // a button the message box has, a text or Cancel for an input box.
    std::function<Answer(const SeenDialog&)> policy;

    const QList<SeenDialog>& seen() const { return seen_; }
    QStringList texts() const;
    int unanswered() const { return int(answers_.size()); }
    int unexpected() const;
    void clear();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void poll();

    QList<Answer> answers_;
    QList<SeenDialog> seen_;
    QList<QPointer<QWidget>> handled_;
    QTimer timer_;
};
