// Smoothing of a cut cycle before its tangent slopes are estimated: cut-off by scan rate, capped filter order.
#pragma once

#include "analysis/analysis_series.h"

#include <cstddef>
#include <cstdint>

namespace analysis {

// Cut-off in Hz for a scan rate in mV/s: above 150 -> 10, above 70 -> 5, above 30 -> 2, above 15 -> 1, else 0.5.
float smoothing_cutoff_hz(uint16_t rate);

// Filter order for a cycle of n points: n / 4, at most 500 (capped before it is narrowed to 16 bits).
int smoothing_order(std::size_t n);

// Result of smoothing a cycle. When `smoothed` is false there is no smoothed cycle for this analysis (rate 0, or
// fewer than 5 points): the window empties the smoothed curve so that no earlier cycle's points stay behind.
struct smoothing_outcome {
    bool smoothed = false;
    series curve;  // same keys as the cycle, smoothed values
};
// The "Peaks" path's smoothing step, run on every re-analysis.
smoothing_outcome smooth_cycle(const series &cycle, uint16_t rate);

}  // namespace analysis
