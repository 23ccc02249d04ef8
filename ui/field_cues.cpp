#include "ui/field_cues.h"

#include <QEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QTimer>

namespace {

const char* const InvalidProperty = "invalid";

class SelectAllFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn) {
            auto* field = static_cast<QLineEdit*>(watched);
            field->selectAll();
            // A click that gave the focus places the cursor after this: select again then.
            QPointer<QLineEdit> guard(field);
            QTimer::singleShot(0, field, [guard] {
                if (guard && guard->hasFocus())
                    guard->selectAll();
            });
        }
        return false;
    }
};

void mark(QLineEdit* field, const QString& reason)
{
    const bool invalid = !reason.isEmpty();
    const bool wasInvalid = field->property(InvalidProperty).toBool();
    if (wasInvalid == invalid && (!invalid || field->toolTip() == reason))
        return;
    if (!field->property("validPalette").isValid())
        field->setProperty("validPalette", field->palette());
    // The field's own tool tip is kept while the reason shows, and comes back after.
    if (!wasInvalid)
        field->setProperty("validToolTip", field->toolTip());
    QPalette palette = field->property("validPalette").value<QPalette>();
    if (invalid)
        palette.setColor(QPalette::Base, QColor(255, 200, 200));
    field->setPalette(palette);
    field->setToolTip(invalid ? reason : field->property("validToolTip").toString());
    field->setProperty(InvalidProperty, invalid);
}

} // namespace

void SelectAllOnFocus(QLineEdit* field)
{
    field->installEventFilter(new SelectAllFilter(field));
}

void MarkInvalidWhile(QLineEdit* field, std::function<QString(const QString&)> problem)
{
    QObject::connect(field, &QLineEdit::textChanged, field,
                     [field, problem](const QString& text) { mark(field, problem(text)); });
    mark(field, problem(field->text()));
}

bool IsMarkedInvalid(const QWidget* field)
{
    return field->property(InvalidProperty).toBool();
}
