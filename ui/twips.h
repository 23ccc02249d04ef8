#pragma once

// Screen geometry is designed in twips (1440 to the inch) and mapped to pixels
// at the screen's logical resolution.

#include <QRect>
#include <QWidget>
#include <QtMath>

inline int TwipsX(const QWidget* w, int twips)
{
    return qRound(twips * w->logicalDpiX() / 1440.0);
}
inline int TwipsY(const QWidget* w, int twips)
{
    return qRound(twips * w->logicalDpiY() / 1440.0);
}

// Places a child at a rectangle given in twips of its parent.
inline void PlaceTwips(QWidget* child, int left, int top, int width, int height)
{
    const QWidget* ref = child->parentWidget() ? child->parentWidget() : child;
    child->setGeometry(TwipsX(ref, left), TwipsY(ref, top), TwipsX(ref, width),
                       TwipsY(ref, height));
}
