#pragma once

// Small behaviours that several screens give their text fields.

#include <QString>
#include <functional>

class QLineEdit;
class QWidget;

// Selects the whole text whenever the field gets the focus, so that typing
// replaces it (by Tab or by a click).
void SelectAllOnFocus(QLineEdit* field);
// Selects the field's text when it is only its initial "0" and the keyboard
// brings the focus to it, so that what is typed replaces it.
void SelectZeroOnKeyboardFocus(QLineEdit* field);

// Watches a field's text: while `problem` gives a reason, the field is marked
// as invalid (a pale red background, the reason as its tool tip, and the
// property "invalid" set to true).
void MarkInvalidWhile(QLineEdit* field, std::function<QString(const QString&)> problem);

// True while the field is marked as invalid.
bool IsMarkedInvalid(const QWidget* field);
