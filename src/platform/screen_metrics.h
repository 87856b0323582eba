// Screen metrics the run screen reports (the horizontal pixel density relative to 96 dpi), and where the program
// puts its windows and boxes so that all of each lies on the screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace platform {
// Logical horizontal dots per inch of the primary screen divided by 96 (1.0 when no screen is known).
double horizontal_density_ratio();

// The top-left corner for `frame` moved as little as needed to lie within `available`; a frame larger than
// `available` keeps its top-left corner inside it, so that the title bar stays within reach.
QPoint fitted_frame_position(const QRect &frame, const QRect &available);

// The top-left corner that puts the centre of a frame of size `frame` on the centre of `anchor_frame`.
QPoint centred_frame_position(const QSize &frame, const QRect &anchor_frame);

// Puts a top-level window's frame at `frame_top_left`, moved onto the screen there where it would leave it.
// `decorated_like`, a window the window manager has framed already, lends its frame to one not yet shown. The
// position reaches the window system even when Qt holds it already: a hidden window shown again would otherwise
// be put wherever the window manager likes.
void place_window(QWidget *window, const QPoint &frame_top_left, const QWidget *decorated_like = nullptr);

// Centres a box over `anchor`'s frame, on the screen.
void place_over(QWidget *box, const QWidget *anchor);
}  // namespace platform
