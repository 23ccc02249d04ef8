#include "ui/field_cues.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <optional>

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

// Selects a field that holds only "0" when the keyboard brings the focus to
// it, so that what is typed replaces the 0.
class SelectZeroFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn) {
            auto* field = static_cast<QLineEdit*>(watched);
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (field->text() == QLatin1String("0") &&
                (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                 reason == Qt::ShortcutFocusReason || reason == Qt::OtherFocusReason))
                field->selectAll();
        }
        return false;
    }
};

// The invalid mark of one field, kept beside it: reading it back is asked at
// every keystroke, which a dynamic property would make slow.
class InvalidMark : public QObject {
public:
    explicit InvalidMark(QLineEdit* field)
        : QObject(field)
    {}
    bool invalid = false;
    std::optional<QPalette> validPalette;
    QString validToolTip;
};

void mark(QLineEdit* field, InvalidMark& state, const QString& reason)
{
    const bool invalid = !reason.isEmpty();
    if (state.invalid == invalid && (!invalid || field->toolTip() == reason))
        return;
    if (!state.validPalette)
        state.validPalette = field->palette();
    // The field's own tool tip is kept while the reason shows, and comes back after.
    if (!state.invalid)
        state.validToolTip = field->toolTip();
    QPalette palette = *state.validPalette;
    if (invalid)
        palette.setColor(QPalette::Base, QColor(255, 200, 200));
    state.invalid = invalid;
    field->setPalette(palette);
    field->setToolTip(invalid ? reason : state.validToolTip);
    field->setProperty(InvalidProperty, invalid); // for whoever looks at the field from outside
}

} // namespace

void SelectAllOnFocus(QLineEdit* field)
{
    field->installEventFilter(new SelectAllFilter(field));
}

void SelectZeroOnKeyboardFocus(QLineEdit* field)
{
    field->installEventFilter(new SelectZeroFilter(field));
}

void MarkInvalidWhile(QLineEdit* field, std::function<QString(const QString&)> problem)
{
    auto* state = new InvalidMark(field);
    QObject::connect(
        field, &QLineEdit::textChanged, field,
        [field, state, problem](const QString& text) { mark(field, *state, problem(text)); });
    mark(field, *state, problem(field->text()));
}

bool IsMarkedInvalid(const QWidget* field)
{
    for (const QObject* child : field->children())
        if (const auto* state = dynamic_cast<const InvalidMark*>(child))
            return state->invalid;
    return false;
}
