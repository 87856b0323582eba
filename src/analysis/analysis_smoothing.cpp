// Smoothing of a cut cycle for the slope estimates.
#include "analysis/analysis_smoothing.h"

#include "filtering/fir_filter.h"

#include <algorithm>

namespace analysis {

namespace {
constexpr int max_order = 500;  // 501 taps whatever the cycle length: keeps every re-analysis interactive
constexpr float max_normalised_cutoff = 10;
constexpr std::size_t min_points = 5;
}  // namespace

float smoothing_cutoff_hz(uint16_t rate)
{
    const float f = float(rate) / 20.0f;
    if (f > 7.5f)
        return 10;
    if (f > 3.5f)
        return 5;
    if (f > 1.5f)
        return 2;
    if (f > 0.75f)
        return 1;
    return 0.5f;
}

int smoothing_order(std::size_t n)
{
    return int(std::min<std::size_t>(n / 4, max_order));
}

smoothing_outcome smooth_cycle(const series &cycle, uint16_t rate)
{
    smoothing_outcome out;
    // A rate of 0 asks for an infinite normalised cut-off: there is nothing to design.
    if (rate == 0)
        return out;
    const float wn = smoothing_cutoff_hz(rate) / float(rate);
    if (wn > max_normalised_cutoff || cycle.size() < min_points)
        return out;

    const int order = smoothing_order(cycle.size());
    const arma::vec taps = fir_filter::fir1(uint16_t(order), wn);
    const std::vector<double> b(taps.begin(), taps.end());
    std::vector<double> y;
    fir_filter::filtfilt(b, {1.0}, cycle.values, y);
    out.smoothed = true;
    out.curve.keys = cycle.keys;
    out.curve.values = std::move(y);
    return out;
}

}  // namespace analysis
