#include "ui/sheet_dialogs.h"

#include "ui/dialogs.h"

void WindowDialogs::tell(const QString& text)
{
    Dialogs::tell(window_, text);
}

void WindowDialogs::warn(const QString& text)
{
    Dialogs::warn(window_, text);
}

bool WindowDialogs::askCritical(const QString& text, const QString& title)
{
    return Dialogs::askYesNo(window_, text, title, QMessageBox::Critical);
}

std::optional<QString> WindowDialogs::askText(const QString& prompt, const QString& title)
{
    return Dialogs::askText(window_, prompt, title.isEmpty() ? Dialogs::appTitle() : title);
}
