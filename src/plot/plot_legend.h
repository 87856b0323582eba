// The legend of the run and analysis screens' plots: its starting look and place, and dragging it.
#pragma once

#include <QPoint>
#include <array>
#include <cstdint>

class QCustomPlot;
class QFont;

// Visible, in `window_font` at 7 points with 5-pixel icons, placed freely at a zero-sized rectangle: the
// top-left corner of the axis rectangle, at the legend's minimum size.
void setup_legend(QCustomPlot *plot, const QFont &window_font);

// Where the legend was grabbed, kept from the press to the release.
struct legend_drag_state {
    uint8_t dragging = 0;                     // 1 from a press inside the legend until the release
    std::array<double, 2> offset{{0.0, 0.0}};  // grab point - legend corner, in fractions of the inset area
};

// Before each replot of either screen's plot: the legend as small as its entries (free placement would stretch it
// over its rectangle), and drawn only while it lists a curve, since an empty one would draw its bare frame in the
// plot's corner (at start, after the list is emptied, with nothing on show). Its own visibility stays the user's
// legend switch.
void fit_legend_before_replot(QCustomPlot *plot);

// A press inside the legend starts a drag (and holds the plot's own range drag); elsewhere nothing happens.
void legend_press(QCustomPlot *plot, QPoint pointer, legend_drag_state &state);
// While dragging, moves the legend so that the grab point stays under the pointer, and replots.
void legend_move(QCustomPlot *plot, QPoint pointer, const legend_drag_state &state);
// Ends a drag.
void legend_release(QCustomPlot *plot, legend_drag_state &state);
