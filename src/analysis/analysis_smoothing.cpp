// Smoothing of a cut cycle for the slope estimates.
#include "analysis/analysis_smoothing.h"

#include "filtering/curve_filtering.h"
#include "filtering/fir_filter.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {
constexpr int max_order = 500;  // 501 taps whatever the cycle length: keeps every re-analysis interactive
constexpr std::size_t min_points = 5;
constexpr int max_step_mV = 255;  // the largest step a record's resolution holds in mV
}  // namespace

float smoothing_cutoff_hz(uint16_t rate, int step_mV)
{
    const int step = std::max(1, step_mV);
    return curve_filtering::automatic_cutoff_hz(float(rate), float(rate) / float(step));
}

int smoothing_order(std::size_t n)
{
    return int(std::min<std::size_t>(n / 4, max_order));
}

int step_of_potentials(const std::vector<double> &keys)
{
    if (keys.size() < 2)
        return 1;
    double travelled = 0;
    for (std::size_t t = 1; t < keys.size(); ++t)
        travelled += std::abs(keys[t] - keys[t - 1]);
    const double mean_mV = travelled * 1000.0 / double(keys.size() - 1);
    if (!std::isfinite(mean_mV))
        return 1;
    return int(std::clamp(std::round(mean_mV), 1.0, double(max_step_mV)));
}

smoothing_outcome smooth_cycle(const series &cycle, uint16_t rate, int step_mV)
{
    smoothing_outcome out;
    // A rate of 0 has no samples a second: there is nothing to design.
    if (rate == 0 || cycle.size() < min_points)
        return out;
    // The cut-off over the samples a second, rate / step; at 1 mV exactly the ratio fc / rate.
    const int step = std::max(1, step_mV);
    const float wn = smoothing_cutoff_hz(rate, step) * float(step) / float(rate);
    out.smoothed = true;
    if (!(wn < 1.0f)) {
        out.curve = cycle;  // the samples are as smooth as their rate allows
        return out;
    }

    const int order = smoothing_order(cycle.size());
    const arma::vec taps = fir_filter::fir1(uint16_t(order), wn);
    const std::vector<double> b(taps.begin(), taps.end());
    std::vector<double> y;
    fir_filter::filtfilt(b, {1.0}, cycle.values, y);
    out.curve.keys = cycle.keys;
    out.curve.values = std::move(y);
    return out;
}

}  // namespace analysis
