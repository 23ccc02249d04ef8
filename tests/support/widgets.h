#pragma once

// Finding screens and controls by their names, as an outside check would.

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QWidget>

// The open top-level window with that name, or null.
inline QWidget* findScreen(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

// The control with that name on a screen; the test fails when there is none.
template <typename T = QWidget> T* control(QWidget* screen, const QString& name)
{
    T* found = screen ? screen->findChild<T*>(name) : nullptr;
    if (!found)
        qFatal("no control %s on %s", qPrintable(name),
               screen ? qPrintable(screen->objectName()) : "(no screen)");
    return found;
}

inline QLineEdit* field(QWidget* screen, const QString& name)
{
    return control<QLineEdit>(screen, name);
}

inline QString textOf(QWidget* screen, const QString& name)
{
    return field(screen, name)->text();
}

// Replaces a field's text the way a clerk does: select all, type.
inline void typeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

// A click as the clerk makes it: on a check box or option button, on its
// indicator (a click beside a short caption misses it); elsewhere in the middle.
inline void click(QWidget* button)
{
    QPoint at = button->rect().center();
    if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button))
        at.setX(qMin(8, button->width() / 2));
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
}

// Toggles one item of a multi-selection list as a click on it does.
inline void clickItem(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    const QRect r = list->visualItemRect(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
}
