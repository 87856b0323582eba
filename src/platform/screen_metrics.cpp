// Screen metrics from QScreen, in place of the Windows device-context query, and on-screen window placement.
#include "platform/screen_metrics.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace platform {
double horizontal_density_ratio()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() / 96.0 : 1.0;
}

QPoint fitted_frame_position(const QRect &frame, const QRect &available)
{
    if (!available.isValid())
        return frame.topLeft();
    // Right and bottom edges first, then left and top, which win when the frame is larger than the screen.
    const int x = std::max(available.left(), std::min(frame.left(), available.right() + 1 - frame.width()));
    const int y = std::max(available.top(), std::min(frame.top(), available.bottom() + 1 - frame.height()));
    return {x, y};
}

QPoint centred_frame_position(const QSize &frame, const QRect &anchor_frame)
{
    // From the corner rather than QRect::center(), which lies half a pixel up and left of the middle of an even
    // size: an even box over an even window is then off by one.
    return anchor_frame.topLeft() +
           QPoint((anchor_frame.width() - frame.width()) / 2, (anchor_frame.height() - frame.height()) / 2);
}

namespace {

QMargins frame_margins(const QWidget *w)
{
    const QRect frame = w->frameGeometry(), inner = w->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

QRect available_at(const QPoint &p)
{
    QScreen *screen = QGuiApplication::screenAt(p);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

void place_window(QWidget *window, const QPoint &frame_top_left, const QWidget *decorated_like)
{
    if (!window)
        return;
    QSize frame = window->frameGeometry().size();
    if (frame == window->size() && decorated_like)
        frame = frame.grownBy(frame_margins(decorated_like));
    const QPoint p = fitted_frame_position(QRect(frame_top_left, frame), available_at(frame_top_left));
    window->move(p);
    // QWidget::move ignores a position it holds; the window system must still be told it for the next showing.
    if (QWindow *handle = window->windowHandle())
        handle->setFramePosition(p);
}

void place_over(QWidget *box, const QWidget *anchor)
{
    if (!box || !anchor)
        return;
    const QSize frame = box->size().grownBy(frame_margins(anchor));
    place_window(box, centred_frame_position(frame, anchor->frameGeometry()), anchor);
}
}  // namespace platform
