#pragma once

// How the program's windows behave at the counter: the keys that work in
// every window, where a worksheet opens, and how a window too large for its
// screen still shows every control.

#include <QRect>

class QWidget;

// Enter on a focused push button of the window presses it, as Space does. Text
// fields keep their own Enter. Covers the buttons the window holds when called.
void EnterPressesButtons(QWidget* window);

// Escape closes the window as its close box does.
void EscapeCloses(QWidget* window);

// Sets the tab order of the controls placed on `page` (its own children, shown
// or not) to the order a person reads the screen in: row by row from the top,
// and along each row from the left. Controls whose tops lie within
// `rowHeight` pixels of a row's first control belong to that row. Controls
// that Tab does not reach (NoFocus, ClickFocus) are left out.
void TabInReadingOrder(QWidget* page, int rowHeight);

// Moves the window's controls onto a page of the window's present size, inside
// a scroll area that fills the window, and sizes the window for the page (see
// FitToPage). On a screen smaller than the window the page scrolls; every
// control keeps its name and can still be reached. A window of fixed size
// stays so: it cannot grow beyond its page. Returns the page.
QWidget* ScrollingPage(QWidget* window);

// Sizes a window made by ScrollingPage for its page as it is now: as large as
// the page (with room for scroll bars where the page must scroll), never larger
// than the available area of the window's screen, and never smaller than that
// either. A visible window that sticks out of its screen is moved back onto it.
void FitToPage(QWidget* window);

// Places a new window made by ScrollingPage beside `owner`, on the available
// area of the owner's screen: to its right, left, below or above where there is
// room, otherwise over the owner but clear of `keepClear` (in global
// coordinates). Where no free place holds the whole window, it is made smaller
// and its page scrolls.
void PlaceBeside(QWidget* window, const QWidget* owner, const QRect& keepClear);
