// Copies between the run screen's experiment record (plot curves) and the plain record the files use.
#pragma once

#include "files/experiment_data.h"
#include "files/experiment_reader.h"
#include "files/experiment_writer.h"
#include "plot/curve.h"

#include <qcustomplot.h>

#include <QVector>
#include <array>
#include <functional>

// Everything a file keeps of `record`, its four curves read in point order.
experiment_data record_to_data(const curve &record);

// The points of a record's four curves (shown 1, shown 2, raw 1, raw 2), made ready for the plot curves.
using curve_points = std::array<QVector<QCPCurveData>, 4>;

// An experiment file read and its points made ready for the plot, all without touching a plot object, so that
// it can run on a thread of its own while the window keeps painting. The record's point series are given up as
// their curve points are made, so a long record is not held twice.
struct opened_experiment {
    experiment_load load;
    curve_points points;
};
opened_experiment read_for_plot(const QString &path, const method_pages &form,
                                const std::function<bool(double)> &between_parts);

// Gives `record` every value a file holds and the curve points made from its series, replacing the points of its
// four curves without copying them. The plot objects, colours, visibility, saved state and saved name of `record`
// stay as they are. `between_parts`, when given, is called between the parts of the curves' first look at their
// points, so that the first redraw of a long record does not hold the window.
void data_to_record(const experiment_data &data, const curve_points &points, curve &record,
                    const std::function<void()> &between_parts = {});

// Every value a file keeps of `record` but its points, which points_in_place gives without a copy.
experiment_data record_fields(const curve &record);
// The four curves' points where they lie; valid while the curves are left unchanged.
record_points points_in_place(const curve &record);
