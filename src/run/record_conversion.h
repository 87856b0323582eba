// Copies between the run screen's experiment record (plot curves) and the plain record the files use.
#pragma once

#include "files/experiment_data.h"
#include "run/curve.h"

// Everything a file keeps of `record`, its four curves read in point order.
experiment_data record_to_data(const curve &record);

// Gives `record` every value a file holds, replacing the points of its four curves (each in one pass).
// The plot objects, colours, visibility, saved state and saved name of `record` stay as they are.
void data_to_record(const experiment_data &data, curve &record);
