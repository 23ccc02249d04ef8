#include "ui/window_keys.h"

#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <array>

namespace {

const char* const AreaName = "scrollArea";
const char* const FixedProperty = "fixedToPage";

// The window's own page (a worksheet, a window of its own, has its own).
QWidget* pageOf(const QWidget* window)
{
    const auto* area =
        window->findChild<QScrollArea*>(QLatin1String(AreaName), Qt::FindDirectChildrenOnly);
    return area ? area->widget() : nullptr;
}

// The window's frame around its client area: as it is once shown, as `like`
// has it when the window is not shown yet, else room for a title bar and thin
// borders.
QMargins frameMargins(const QWidget* window, const QWidget* like = nullptr)
{
    for (const QWidget* w : {window, like}) {
        if (w && w->isVisible()) {
            const QRect frame = w->frameGeometry(), client = w->geometry();
            return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                            frame.right() - client.right(), frame.bottom() - client.bottom());
        }
    }
    const int border = 4;
    return QMargins(border, window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + border,
                    border, border);
}

QSize clientRoom(const QRect& area, const QMargins& frame)
{
    return QSize(area.width() - frame.left() - frame.right(),
                 area.height() - frame.top() - frame.bottom());
}

// The client size that shows the whole page, with a scroll bar beside or below
// it where the room is too small for the page.
QSize withScrollBars(const QWidget* window, QSize page, QSize room)
{
    const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
    QSize wanted = page;
    for (int pass = 0; pass < 2; ++pass) {
        if (wanted.height() > room.height())
            wanted.setWidth(page.width() + bar);
        if (wanted.width() > room.width())
            wanted.setHeight(page.height() + bar);
    }
    return wanted;
}

// Sizes the window for its page within the room, keeping its constraints.
void fit(QWidget* window, QSize room)
{
    const QWidget* page = pageOf(window);
    if (!page)
        return;
    const QSize wanted = withScrollBars(window, page->size(), room);
    const QSize fitted = wanted.boundedTo(room).expandedTo(QSize(1, 1));
    const bool fixed = window->property(FixedProperty).toBool();
    window->setMinimumSize(fitted);
    window->setMaximumSize(fixed ? wanted.expandedTo(fitted)
                                 : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    if (fixed)
        window->resize(fitted);
    else
        window->resize(QSize(std::max(window->width(), fitted.width()), fitted.height())
                           .boundedTo(room.expandedTo(fitted)));
}

void keepOnScreen(QWidget* window)
{
    const QRect area = window->screen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    const int x = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
    const int y = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
    if (QPoint(x, y) != frame.topLeft())
        window->move(x, y);
}

} // namespace

void EnterPressesButtons(QWidget* window)
{
    // A push button outside a dialog takes Enter only while it is an auto
    // default button; it then also looks like the default while it has the focus.
    for (QPushButton* button : window->findChildren<QPushButton*>())
        if (button->window() == window)
            button->setAutoDefault(true);
}

void EscapeCloses(QWidget* window)
{
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setObjectName(QStringLiteral("escapeCloses"));
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}

void TabInReadingOrder(QWidget* page, int rowHeight)
{
    QList<QWidget*> controls;
    for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if ((w->focusPolicy() & Qt::TabFocus) && !w->isWindow())
            controls << w;
    std::stable_sort(controls.begin(), controls.end(),
                     [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    // Rows: each begins at the highest control not yet in one.
    QList<QList<QWidget*>> rows;
    int rowTop = 0;
    for (QWidget* w : controls) {
        if (rows.isEmpty() || w->y() - rowTop > rowHeight) {
            rows.append(QList<QWidget*>());
            rowTop = w->y();
        }
        rows.last().append(w);
    }
    QWidget* previous = nullptr;
    for (QList<QWidget*>& row : rows) {
        std::stable_sort(row.begin(), row.end(),
                         [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
        for (QWidget* w : row) {
            if (previous)
                QWidget::setTabOrder(previous, w);
            previous = w;
        }
    }
}

QWidget* ScrollingPage(QWidget* window)
{
    const QSize size = window->size();
    QWidget* focused = window->focusWidget();

    auto* area = new QScrollArea(window);
    area->setObjectName(QLatin1String(AreaName));
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("scrollPage"));
    page->setFixedSize(size);
    area->setWidget(page);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);

    // In their stacking order, so that what lay on top stays on top. The page
    // is in the window already, so the tab order stays as it was.
    const QObjectList children = window->children(); // a copy: the loop takes them away
    for (QObject* child : children) {
        auto* control = qobject_cast<QWidget*>(child);
        if (!control || control == area || control->isWindow())
            continue;
        const bool hidden =
            control->isHidden() && control->testAttribute(Qt::WA_WState_ExplicitShowHide);
        control->setParent(page);
        control->setVisible(!hidden);
    }
    if (focused && focused->window() == window)
        focused->setFocus();

    window->setProperty(FixedProperty, window->minimumSize() == window->maximumSize());
    FitToPage(window);
    return page;
}

void FitToPage(QWidget* window)
{
    fit(window, clientRoom(window->screen()->availableGeometry(), frameMargins(window)));
    if (window->isVisible())
        keepOnScreen(window);
}

void PlaceBeside(QWidget* window, const QWidget* owner, const QRect& keepClear)
{
    const QRect area = owner->screen()->availableGeometry();
    const QMargins frame = frameMargins(window, owner);
    fit(window, clientRoom(area, frame));
    const QSize size = window->size().grownBy(frame);
    const QRect o = owner->frameGeometry();
    const QRect t = keepClear.isValid() ? keepClear : QRect(o.topLeft(), QSize(0, 0));

    // Free places in order of preference, each with the spot the window would
    // take there: beside the owner first, then over it but clear of `keepClear`.
    struct Place {
        QRect region;
        QPoint spot;
    };
    const std::array<Place, 8> places = {{
        {QRect(QPoint(o.right() + 1, area.top()), area.bottomRight()),
         QPoint(o.right() + 1, o.top())},
        {QRect(area.topLeft(), QPoint(o.left() - 1, area.bottom())),
         QPoint(o.left() - size.width(), o.top())},
        {QRect(QPoint(area.left(), o.bottom() + 1), area.bottomRight()),
         QPoint(o.left(), o.bottom() + 1)},
        {QRect(area.topLeft(), QPoint(area.right(), o.top() - 1)),
         QPoint(o.left(), o.top() - size.height())},
        {QRect(QPoint(area.left(), t.bottom() + 1), area.bottomRight()),
         QPoint(o.right() + 1 - size.width(), t.bottom() + 1)},
        {QRect(QPoint(t.right() + 1, area.top()), area.bottomRight()),
         QPoint(t.right() + 1, o.top())},
        {QRect(area.topLeft(), QPoint(t.left() - 1, area.bottom())),
         QPoint(t.left() - size.width(), o.top())},
        {QRect(area.topLeft(), QPoint(area.right(), t.top() - 1)),
         QPoint(o.left(), t.top() - size.height())},
    }};

    const Place* chosen = nullptr;
    for (const Place& place : places) {
        const QRect free = place.region.intersected(area);
        if (free.width() >= size.width() && free.height() >= size.height()) {
            chosen = &place;
            break;
        }
    }
    QSize frameSize = size;
    if (!chosen) {
        // Nowhere whole: the place that shows the most of it, and a smaller window.
        long best = -1;
        for (const Place& place : places) {
            const QSize shown = size.boundedTo(place.region.intersected(area).size());
            const long seen = shown.isValid() ? long(shown.width()) * shown.height() : 0;
            if (seen > best) {
                best = seen;
                chosen = &place;
            }
        }
        frameSize = size.boundedTo(chosen->region.intersected(area).size());
        fit(window, QSize(frameSize.width() - frame.left() - frame.right(),
                          frameSize.height() - frame.top() - frame.bottom()));
        frameSize = window->size().grownBy(frame);
    }
    const QRect free = chosen->region.intersected(area);
    const int x =
        std::max(free.left(), std::min(chosen->spot.x(), free.right() + 1 - frameSize.width()));
    const int y =
        std::max(free.top(), std::min(chosen->spot.y(), free.bottom() + 1 - frameSize.height()));
    window->move(x, y);
}
