// The "Pearson's RR" method: peaks by extreme current, tangent baselines found by a sliding correlation window.
#pragma once

#include "analysis/cycle_cut.h"
#include "analysis/peak_tangents.h"

#include <cstddef>
#include <vector>

namespace analysis {

// The acceptance rule of one half of the cycle, fed one window correlation after the other. A window is accepted
// when its r beats both the best so far and the threshold; after an acceptance the anchor follows every window
// until r drops more than 0.0003 below the best, which ends the half. An undefined r (NaN: no spread) only moves
// the anchor.
struct correlation_scan {
    float best = 0;
    bool accepted = false;
    bool dropped = false;  // the half ended by a drop
    std::size_t best_index = 0;
    std::size_t anchor = 0;
    // Takes the correlation r of the window starting at j; true when the half has ended.
    bool step(std::size_t j, float r, float threshold);
};
// The rule run over a whole sequence: r[i] belongs to the window starting at first + i.
correlation_scan scan_correlations(const std::vector<float> &r, std::size_t first, float threshold);

// Threshold T from the `slider_rate` position (9000 .. 9999 -> 0.9 .. 0.9999).
float correlation_threshold(int slider_rate);

// Single-precision Pearson r of w points of x and y; NaN when either has no spread (w < 2 included).
float window_correlation(const float *x, const float *y, int w);

struct pearson_input {
    cycle_source source;
    int window = 200;         // `slider_sample`: W, points per correlation window
    int rate_slider = 9500;   // `slider_rate`
    bool anodic_enabled = true;    // the `anodic` slider: whether the anodic tangent is drawn
    bool cathodic_enabled = true;  // the `cathodic` slider
};

struct pearson_result {
    cycle_cut cut;         // the cycle for the analysis curve and the experiment's refreshed extremes
    bool found = false;    // the anodic half ended by a drop: tangents drawn, values set, `label_sample` shows W
    tangent_line anodic, cathodic;
    peak_values values;    // all 0 unless found
    correlation_scan anodic_scan, cathodic_scan;
};

// The analyse action's "Pearson's RR" method. Windows never reach past the cycle's end: a start whose window
// would is not scanned.
pearson_result run_pearson(const pearson_input &in);

}  // namespace analysis
