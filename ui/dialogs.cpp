#include "ui/dialogs.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QInputDialog>
#include <QScreen>
#include <QStyle>
#include <algorithm>

namespace {

// The width a box needs for its title: window managers draw the title in a
// bold title bar font beside the window's icon and buttons, where Qt's own
// boxes leave room for the plain text alone. Never wider than the screen.
int titleWidth(const QWidget* box)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int bar = std::max(metrics.height(),
                             box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box));
    const int wanted = metrics.horizontalAdvance(box->windowTitle()) + 4 * bar;
    const QScreen* screen = box->screen();
    return screen ? std::min(wanted, screen->availableGeometry().width()) : wanted;
}

// A message box sizes itself from its layout as it shows: a strut across the
// layout holds it wide enough for its title.
void fitTitle(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const QMargins margins = grid->contentsMargins();
    const int width = std::max(0, titleWidth(&box) - margins.left() - margins.right());
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
}

} // namespace

namespace Dialogs {

QString appTitle()
{
    return QStringLiteral("Locker Estimate");
}

void tell(QWidget* parent, const QString& text, QMessageBox::Icon icon, const QString& title)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    fitTitle(box);
    box.exec();
}

void warn(QWidget* parent, const QString& text)
{
    tell(parent, text, QMessageBox::Warning);
}

bool askYesNo(QWidget* parent, const QString& text, const QString& title, QMessageBox::Icon icon,
              QMessageBox::StandardButton byDefault)
{
    return ask(parent, text, title, QMessageBox::Yes | QMessageBox::No, icon, byDefault) ==
           QMessageBox::Yes;
}

QMessageBox::StandardButton ask(QWidget* parent, const QString& text, const QString& title,
                                QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                QMessageBox::StandardButton byDefault)
{
    QMessageBox box(icon, title, text, buttons, parent);
    if (byDefault != QMessageBox::NoButton)
        box.setDefaultButton(byDefault);
    fitTitle(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::optional<QString> askText(QWidget* parent, const QString& prompt, const QString& title)
{
    QInputDialog dialog(parent);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    // The dialog sizes itself from its layout, which it builds when first
    // asked for its size: a strut holds it wide enough.
    dialog.minimumSizeHint();
    if (auto* layout = qobject_cast<QBoxLayout*>(dialog.layout())) {
        const QMargins margins = layout->contentsMargins();
        layout->addStrut(std::max(0, titleWidth(&dialog) - margins.left() - margins.right()));
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<int> askChoice(QWidget* parent, const QString& prompt, const QString& title,
                             const QStringList& items)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const int chosen = int(items.indexOf(dialog.textValue()));
    return chosen < 0 ? std::nullopt : std::optional<int>(chosen);
}

} // namespace Dialogs
