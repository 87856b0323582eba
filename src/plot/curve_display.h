// How experiment curves look and where Center puts the axes: pens, colour swatches, fitted ranges.
#pragma once

#include <QColor>
#include <QPen>
#include <QString>
#include <QVector>

#include "instrument/sample_decoding.h"

namespace qcp {
struct points;
}

// Solid, one pixel, filled with the electrode's colour, round caps and joins.
QPen electrode_pen(const QColor &colour);

// Style sheet of a colour swatch showing one experiment's electrode colour.
QString swatch_style(const QColor &colour);
// Style sheet of a swatch when several experiments are in view.
QString blank_swatch_style();

// Potential (x) and current (y) extremes of one experiment.
struct record_extent {
    double e_min = 0, e_max = 0;  // V (ms for the time-based methods)
    double i_min = 0, i_max = 0;  // µA
};

// The extremes of the points an experiment draws, all its curves together, gathered point by point as a run
// gathers its samples; `any` stays false when no curve holds a point. After a re-filter the record's current
// extremes must be these, or Center and every fit of the axes would cut the curve as drawn.
run_extremes drawn_extremes(const QVector<qcp::points> &curves);

// The ranges Center sets: start from the current experiment, widen by every selected one. The x range is set
// only when it has some width (a run that never changed potential keeps the present x range); nothing is
// set when no experiment is selected.
struct fitted_ranges {
    bool set_x = false;
    bool set_y = false;
    double x_lower = 0, x_upper = 0;
    double y_lower = 0, y_upper = 0;
};
fitted_ranges fit_ranges(const record_extent &current, const QVector<record_extent> &selected);

// A run under way, as the axes must hold it: its whole span across, known from its start (the potential range,
// or the run's time for the time-keyed methods), and the samples so far, whose current range carries the
// live margin.
struct run_extent {
    double span_from = 0, span_to = 0;  // either order
    bool has_samples = false;
    record_extent samples;
};
// The ranges while a run is under way: the run's span and samples widened by every other experiment on show,
// so that neither the live curve nor the curves beside it leave the plot. The y range is set once some
// current is known.
fitted_ranges fit_run_ranges(const run_extent &run, const QVector<record_extent> &shown);
