#include "dialogs.h"

#include <QInputDialog>

namespace Dialogs {

QString appTitle()
{
    return QStringLiteral("Locker Estimate");
}

void tell(QWidget* parent, const QString& text, QMessageBox::Icon icon, const QString& title)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void warn(QWidget* parent, const QString& text)
{
    tell(parent, text, QMessageBox::Warning);
}

bool askYesNo(QWidget* parent, const QString& text, const QString& title, QMessageBox::Icon icon)
{
    QMessageBox box(icon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> askText(QWidget* parent, const QString& prompt, const QString& title)
{
    QInputDialog dialog(parent);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace Dialogs
