#pragma once

// Message boxes and input boxes, shown modally: the handler that shows one
// waits for the clerk's answer. Each is wide enough for its title.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace Dialogs {

// The application's own title, carried by every message box that has no
// title of its own.
QString appTitle();

// A message with an OK button.
void tell(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon,
          const QString& title = appTitle());

// A problem that the clerk can mend, told with the warning icon.
void warn(QWidget* parent, const QString& text);

// A question with Yes and No buttons; true for Yes. `byDefault` is the button
// that Enter presses (Qt's choice, Yes, unless given).
bool askYesNo(QWidget* parent, const QString& text, const QString& title, QMessageBox::Icon icon,
              QMessageBox::StandardButton byDefault = QMessageBox::NoButton);

// A question with the given buttons; the button the clerk pressed (Escape
// gives the escape button Qt chooses: Cancel or No).
QMessageBox::StandardButton ask(QWidget* parent, const QString& text, const QString& title,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::Icon icon = QMessageBox::Question,
                                QMessageBox::StandardButton byDefault = QMessageBox::NoButton);

// An input box; no value when cancelled.
std::optional<QString> askText(QWidget* parent, const QString& prompt, const QString& title);
// An input box choosing one of `items` (the first chosen to begin with); the
// place of the one chosen, no value when cancelled.
std::optional<int> askChoice(QWidget* parent, const QString& prompt, const QString& title,
                             const QStringList& items);

} // namespace Dialogs
