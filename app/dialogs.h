#pragma once

// Message boxes and input boxes, shown modally: the handler that shows one
// waits for the clerk's answer.

#include <QMessageBox>
#include <QString>
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

// A question with Yes and No buttons; true for Yes.
bool askYesNo(QWidget* parent, const QString& text, const QString& title, QMessageBox::Icon icon);

// An input box; no value when cancelled.
std::optional<QString> askText(QWidget* parent, const QString& prompt, const QString& title);

} // namespace Dialogs
