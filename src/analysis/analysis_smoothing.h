// Smoothing of a cut cycle before its tangent slopes are estimated: cut-off by scan rate and step, capped order.
#pragma once

#include "analysis/analysis_series.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace analysis {

// Cut-off in Hz for a scan rate in mV/s swept in steps of step_mV (whole mV): the run screen's automatic rule.
// At 1 mV: above 200 -> rate / 20, above 150 -> 10, above 70 -> 5, above 30 -> 2, above 15 -> 1, else 0.5;
// where that reaches the samples' own rate (rate / step), rate / 20.
float smoothing_cutoff_hz(uint16_t rate, int step_mV);

// Filter order for a cycle of n points: n / 4, at most 500 (capped before it is narrowed to 16 bits).
int smoothing_order(std::size_t n);

// The potential step of a cycle that carries none (an analysis read from its file): the mean spacing of its
// potentials (V) in whole mV, 1 .. 255.
int step_of_potentials(const std::vector<double> &keys);

// Result of smoothing a cycle. When `smoothed` is false there is no smoothed cycle for this analysis (rate 0, or
// fewer than 5 points): the window empties the smoothed curve so that no earlier cycle's points stay behind.
struct smoothing_outcome {
    bool smoothed = false;
    series curve;  // same keys as the cycle, smoothed values
};
// The "Peaks" path's smoothing step, run on every re-analysis: a cycle of `rate` mV/s in steps of step_mV
// (whole mV) is smoothed at the rate its samples come. Where the cut-off reaches that rate (steps of 20 mV and
// more) there is nothing to remove, and the cycle is handed back as it is.
smoothing_outcome smooth_cycle(const series &cycle, uint16_t rate, int step_mV);

}  // namespace analysis
