// Copies between the run screen's experiment record (plot curves) and the plain record the files use.
#pragma once

#include "files/experiment_data.h"
#include "files/experiment_writer.h"
#include "plot/curve.h"

#include <functional>

// Everything a file keeps of `record`, its four curves read in point order.
experiment_data record_to_data(const curve &record);

// Gives `record` every value a file holds, replacing the points of its four curves (each in one pass).
// The plot objects, colours, visibility, saved state and saved name of `record` stay as they are.
// `between_parts`, when given, is called between the parts in which a long curve is filled.
void data_to_record(const experiment_data &data, curve &record, const std::function<void()> &between_parts = {});

// Every value a file keeps of `record` but its points, which points_in_place gives without a copy.
experiment_data record_fields(const curve &record);
// The four curves' points where they lie; valid while the curves are left unchanged.
record_points points_in_place(const curve &record);
