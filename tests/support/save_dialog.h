#pragma once

// Answers the Save Estimate dialog (frmSaveEstimate) the way a clerk does:
// types the customer's name, phone and note, picks quote or final bill, and
// presses OK or Cancel; and records what the dialog showed. Answers are given
// in the order they are queued; a dialog with no queued answer goes to the
// policy when there is one, and is otherwise cancelled and counted as
// unexpected. Header-only, as the test helpers that need no moc.

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>

struct SaveDialogAnswer {
    QString customer, phone, note;
    std::optional<bool> final; // pick optFinal (true) or optQuote (false); else the default
    bool cancel = false;
    QString hunter = QString(); // typed into txtHunterTag when the dialog asks it
    bool asNew = false;         // pick optNew
};

// What the dialog showed when it came up to be answered.
struct SaveDialogSeen {
    QString customer, phone, note;
    bool offersFinal = false; // the quote / final bill choice is there
    bool finalChecked = false;
    bool choiceFixed = false; // only the one checked can be chosen
    bool asksHunter = false;  // txtHunterTag is there
    QString hunter = QString();
    QStringList tabOrder = QStringList(); // the text fields as Tab reaches them from the name
};

class SaveDialogAnswerer {
public:
    SaveDialogAnswerer()
    {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    SaveDialogAnswerer& answer(const SaveDialogAnswer& a)
    {
        answers_.append(a);
        return *this;
    }
    SaveDialogAnswerer& save(const QString& customer, const QString& phone = QString(),
                             const QString& note = QString())
    {
        return answer({customer, phone, note, std::nullopt, false});
    }
    SaveDialogAnswerer& cancel() { return answer({{}, {}, {}, std::nullopt, true}); }

    std::function<SaveDialogAnswer(const SaveDialogSeen&)> policy;

    const QList<SaveDialogSeen>& seen() const { return seen_; }
    int unanswered() const { return int(answers_.size()); }
    int unexpected = 0;

    // The Save Estimate dialog in front, or null.
    static QDialog* open()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        return dialog && dialog->isVisible() &&
                       dialog->objectName() == QLatin1String("frmSaveEstimate")
                   ? dialog
                   : nullptr;
    }

private:
    void poll()
    {
        QDialog* dialog = open();
        if (!dialog || busy_)
            return;
        busy_ = true; // OK may show a message box over the dialog, and wait
        const auto edit = [dialog](const char* name) {
            return dialog->findChild<QLineEdit*>(QLatin1String(name));
        };
        auto* final = dialog->findChild<QRadioButton*>(QStringLiteral("optFinal"));
        auto* quote = dialog->findChild<QRadioButton*>(QStringLiteral("optQuote"));
        SaveDialogSeen seen{
            edit("txtCustomer")->text(), edit("txtPhone")->text(),
            edit("txtNote")->text(),     final != nullptr,
            final && final->isChecked(), final && !(final->isEnabled() && quote->isEnabled())};
        if (QLineEdit* hunter = edit("txtHunterTag")) {
            seen.asksHunter = true;
            seen.hunter = hunter->text();
        }
        for (QWidget* w = edit("txtCustomer")->nextInFocusChain(); w != edit("txtCustomer");
             w = w->nextInFocusChain())
            if (qobject_cast<QLineEdit*>(w) && w->focusPolicy() & Qt::TabFocus)
                seen.tabOrder.append(w->objectName());
        seen_.append(seen);
        SaveDialogAnswer a;
        if (!answers_.isEmpty())
            a = answers_.takeFirst();
        else if (policy)
            a = policy(seen);
        else {
            ++unexpected;
            a.cancel = true;
        }
        if (a.cancel) {
            dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        } else {
            edit("txtCustomer")->setText(a.customer);
            edit("txtPhone")->setText(a.phone);
            edit("txtNote")->setText(a.note);
            if (QLineEdit* hunter = edit("txtHunterTag"))
                hunter->setText(a.hunter);
            if (a.asNew)
                dialog->findChild<QRadioButton*>(QStringLiteral("optNew"))->setChecked(true);
            // The clerk's click: a choice that is not open does nothing.
            if (a.final && final && (*a.final ? final : quote)->isEnabled())
                (*a.final ? final : quote)->setChecked(true);
            dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        }
        busy_ = false;
    }

    QList<SaveDialogAnswer> answers_;
    QList<SaveDialogSeen> seen_;
    QTimer timer_;
    bool busy_ = false;
};
