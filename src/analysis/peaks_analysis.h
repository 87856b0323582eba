// One whole "Peaks" analysis: cut, smooth, slider ranges, automatic tangents, tangent lines, peak values.
#pragma once

#include "analysis/analysis_smoothing.h"
#include "analysis/cycle_cut.h"
#include "analysis/peak_tangents.h"

#include <cstdint>

namespace analysis {

struct peaks_input {
    cycle_source source;    // experiment, channel and cycle
    uint16_t rate = 0;      // the experiment's scan rate, mV/s; with source.geometry's step, samples a second
    peak_sliders sliders;   // the four sliders as they stand
    analysis_result record; // the analysed row's result as it stands
};

struct peaks_analysis {
    cycle_cut cut;                // the cycle for the analysis curve; cut.range for the experiment's and analysis's e_max/e_min
    smoothing_outcome smoothing;  // the analysis's smoothed curve (emptied when not smoothed)
    peak_sliders sliders;         // slider ranges after the cut
    analysis_result record;       // the row's result with slopes, slider state and the four peak values
    tangent_line anodic, cathodic;  // drawn unrotated; empty when the slider is disabled or the cycle is too short
    peak_values values;             // also in record.Epa .. Ipc
};

// The analyse action's "Peaks" method, run on every change of the selection or a slider.
peaks_analysis run_peaks(const peaks_input &in);

}  // namespace analysis
