#include "dialog_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>

DialogAnswerer::DialogAnswerer()
{
    timer_.setInterval(2);
    connect(&timer_, &QTimer::timeout, this, &DialogAnswerer::poll);
    timer_.start();
    // A dialog is answered as soon as its own event loop runs; the timer
    // stays for any dialog that shows without a Show event reaching here.
    qApp->installEventFilter(this);
}

DialogAnswerer::~DialogAnswerer()
{
    qApp->removeEventFilter(this);
}

bool DialogAnswerer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show &&
        (qobject_cast<QMessageBox*>(watched) || qobject_cast<QInputDialog*>(watched)))
        QTimer::singleShot(0, this, &DialogAnswerer::poll);
    return false;
}

DialogAnswerer& DialogAnswerer::press(QMessageBox::StandardButton button)
{
    answers_.append(button);
    return *this;
}

DialogAnswerer& DialogAnswerer::type(const QString& text)
{
    answers_.append(text);
    return *this;
}

DialogAnswerer& DialogAnswerer::cancel()
{
    answers_.append(Cancel{});
    return *this;
}

QStringList DialogAnswerer::texts() const
{
    QStringList list;
    for (const SeenDialog& d : seen_)
        list << d.text;
    return list;
}

int DialogAnswerer::unexpected() const
{
    int count = 0;
    for (const SeenDialog& d : seen_)
        count += d.expected ? 0 : 1;
    return count;
}

void DialogAnswerer::clear()
{
    answers_.clear();
    seen_.clear();
}

void DialogAnswerer::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    handled_.removeAll(QPointer<QWidget>()); // dialogs that are gone
    for (const QPointer<QWidget>& done : handled_)
        if (done == modal)
            return;
    auto* box = qobject_cast<QMessageBox*>(modal);
    auto* input = qobject_cast<QInputDialog*>(modal);
    if (!box && !input)
        return;
    handled_.append(modal);

    SeenDialog seen;
    seen.input = input != nullptr;
    seen.title = modal->windowTitle();
    if (box) {
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
    } else {
        seen.text = input->labelText();
    }
    const bool queued = !answers_.isEmpty();
    seen.expected = queued || policy;
    Answer answer = queued ? answers_.takeFirst() : Answer();
    seen_.append(seen);
    if (onDialog)
        onDialog(seen);
    if (!queued && policy)
        answer = policy(seen);

    if (box) {
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        if (seen.expected && std::holds_alternative<QMessageBox::StandardButton>(answer))
            button = std::get<QMessageBox::StandardButton>(answer);
        if (!box->button(button)) {
            seen_.last().expected = false;
            for (const auto fallback : {QMessageBox::Ok, QMessageBox::No, QMessageBox::Cancel})
                if (box->button(fallback)) {
                    button = fallback;
                    break;
                }
        }
        box->button(button)->click();
        return;
    }
    if (seen.expected && std::holds_alternative<QString>(answer)) {
        input->setTextValue(std::get<QString>(answer));
        input->accept();
        return;
    }
    if (!seen.expected || !std::holds_alternative<Cancel>(answer))
        seen_.last().expected = false;
    input->reject();
}
