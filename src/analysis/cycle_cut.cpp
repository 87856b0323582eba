// Cutting one cycle out of a voltammogram.
#include "analysis/cycle_cut.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace analysis {

namespace {

const series empty_series;

const series &or_empty(const series *s) { return s ? *s : empty_series; }

// A non-negative count truncated toward zero; negative, NaN and infinite give 0, huge values the cap.
std::size_t truncated_count(double v, std::size_t cap)
{
    if (!(v > 0))
        return 0;
    if (!std::isfinite(v) || v >= double(cap))
        return cap;
    return std::size_t(v);
}

// A slider count from a float quotient: empty when the quotient is no finite, non-negative number.
std::optional<int> slider_count(float v)
{
    if (!std::isfinite(v) || v < 0)
        return std::nullopt;
    return int(std::min(v, float(std::numeric_limits<int>::max() / 2)));
}

// How far a stored potential may lie from the one measured: half a unit in the sixth significant digit, as the
// experiment file keeps it (which also covers single precision).
double uncertainty(double v)
{
    if (v == 0 || !std::isfinite(v))
        return 0;
    return 0.5 * std::pow(10.0, std::floor(std::log10(std::abs(v))) - 5);
}

// A count of points that falls short of a whole number by no more than its potentials' rounding can explain is
// that whole number: a turning point read back as 1.00022 V instead of 1.000224 V must not move every later cycle
// one point early. Anything further below stays as it is, for truncation.
double whole_when_only_rounded(double count, double rounding)
{
    const double whole = std::ceil(count);
    return whole - count <= rounding ? whole : count;
}

// Distance between two sample indices.
std::size_t apart(std::size_t a, std::size_t b) { return a > b ? a - b : b - a; }

// Whether the last change of potential up to sample t was a fall (false when it never changed).
bool came_down_to(const std::vector<double> &keys, std::size_t t)
{
    while (t > 0 && keys[t - 1] == keys[t])
        --t;
    return t > 0 && keys[t - 1] > keys[t];
}

// The sample nearest to `estimate`, at most `reach` either side, where the potential turns at its lower vertex: the
// potential rises to the next sample and last moved down. Of a vertex reported twice the later sample is the turn,
// the one the rising sweep leaves from, as a run that starts at its lower vertex begins with it.
std::optional<std::size_t> nearest_lower_turn(const std::vector<double> &keys, std::size_t estimate,
                                              std::size_t reach)
{
    const std::size_t n = keys.size();
    if (n < 3)
        return std::nullopt;
    const std::size_t lo = std::max<std::size_t>(1, estimate > reach ? estimate - reach : 0);
    const std::size_t hi = std::min(n - 2, estimate + reach);
    if (lo > hi)
        return std::nullopt;
    bool falling = came_down_to(keys, lo);
    std::optional<std::size_t> best;
    for (std::size_t t = lo; t <= hi; ++t) {
        if (t > lo && keys[t] != keys[t - 1])
            falling = keys[t - 1] > keys[t];
        if (!falling || !(keys[t + 1] > keys[t]))
            continue;
        if (!best || apart(t, estimate) < apart(*best, estimate))
            best = t;
        if (t >= estimate)
            break;  // every later turn lies further away
    }
    return best;
}

// Ends of cycles 0..j on the chosen electrode's keys. The boundaries computed from the potential range count each
// sweep by the nominal step; on the instrument's 0.736 mV grid the steps are uneven and the turns lie inside the
// requested potentials, so that count is off by a fraction of a point a sweep, adding up over the cycles. Each
// boundary is therefore settled on the nearest lower turn within half a sweep (a cycle holds one), and the next
// estimate moves with it. Where no turn is found the estimate stands, except that a cycle whose search reaches the
// end of the points while the potential is still falling (the last cycle of a run, or one stopped early) has not
// turned yet and runs to the end of the points.
std::vector<std::size_t> settled_cycle_ends(const std::vector<double> &keys, const cycle_geometry &g, int j)
{
    const std::size_t n = keys.size();
    const bool ends_falling = n > 0 && came_down_to(keys, n - 1);
    const double half_sweep = (double(g.e_max) - double(g.e_min)) * 1000.0 / double(potential_step_mV(g.resolution));
    const std::size_t reach = truncated_count(half_sweep, n);
    std::vector<std::size_t> ends;
    long long moved = 0;  // how far the last turn found lay from its estimate
    for (int i = 0; i <= j; ++i) {
        const std::size_t planned = cycle_boundary(g, i);
        const std::size_t estimate = std::size_t(std::max(0LL, (long long)planned + moved));
        const std::optional<std::size_t> turn = reach > 0 ? nearest_lower_turn(keys, estimate, reach) : std::nullopt;
        if (turn) {
            moved = (long long)*turn - (long long)planned;
            ends.push_back(*turn);
        } else {
            ends.push_back(ends_falling && reach > 0 && estimate + reach + 1 >= n ? std::max(estimate, n) : estimate);
        }
    }
    return ends;
}

// The keys the cycles are cut by: the chosen electrode's, or the other one's when it has none.
const series &cut_electrode(const cycle_source &src)
{
    const series &ch1 = or_empty(src.ch1), &ch2 = or_empty(src.ch2);
    const series &chosen = src.channel_index == 0 ? ch1 : ch2;
    return !chosen.empty() ? chosen : ch1.empty() ? ch2 : ch1;
}

// Where the chosen cycle starts and ends (at most the point count); a one-cycle record ends with its points.
struct cycle_bounds {
    std::size_t start = 0, end = 0;
};
cycle_bounds bounds_of(const cycle_source &src)
{
    const series &ch1 = or_empty(src.ch1), &ch2 = or_empty(src.ch2);
    const std::size_t n = ch1.empty() ? ch2.size() : ch1.size();
    const int j = src.cycle_index & 0xff;
    if (src.cycles == 1)
        return {j == 0 ? 0 : cycle_boundary(src.geometry, j - 1), n};
    const std::vector<std::size_t> ends = settled_cycle_ends(cut_electrode(src).keys, src.geometry, j);
    return {j == 0 ? 0 : ends[std::size_t(j) - 1], std::min(n, ends.back())};
}

}  // namespace

float potential_step_mV(uint16_t resolution)
{
    if (resolution >= 1 && resolution <= 255)
        return float(resolution);
    return 0.736f;
}

potential_range find_potential_range(const series &ch1, const series &ch2, std::size_t n)
{
    potential_range r;
    for (std::size_t t = 0; t < n; ++t) {
        const float k = float(t < ch1.size() ? ch1.keys[t] : ch2.key_at(t));
        if (k < r.e_min)
            r.e_min = k;
        if (k > r.e_max)
            r.e_max = k;
    }
    return r;
}

std::size_t cycle_boundary(const cycle_geometry &g, int j)
{
    const double per_volt = 1000.0 / double(potential_step_mV(g.resolution));
    const double e_max = g.e_max, e_min = g.e_min, e_start = g.e_start;
    // Points of the first sweep (start up to e_max, down to e_min) and of every later one (e_min -> e_max -> e_min).
    // Each is a whole number of steps on the instrument's grid; taken apart, neither carries the file's rounding
    // into later cycles j times over.
    const double first = whole_when_only_rounded(((e_max - e_start) + (e_max - e_min)) * per_volt,
                                                 (2 * uncertainty(e_max) + uncertainty(e_min) + uncertainty(e_start)) * per_volt);
    const double later = whole_when_only_rounded(2 * (e_max - e_min) * per_volt,
                                                 2 * (uncertainty(e_max) + uncertainty(e_min)) * per_volt);
    const double end = first + later * double(j);
    // Far beyond any run; keeps the sum of start and length inside size_t.
    constexpr std::size_t cap = std::size_t(1) << 40;
    return truncated_count(end, cap);
}

std::size_t cycle_end_index(const cycle_source &src) { return bounds_of(src).end; }

cycle_cut cut_cycle(const cycle_source &src)
{
    const series &ch1 = or_empty(src.ch1), &ch2 = or_empty(src.ch2);
    cycle_cut out;
    out.range = find_potential_range(ch1, ch2, ch1.empty() ? ch2.size() : ch1.size());

    cycle_source refreshed = src;
    refreshed.geometry.e_max = out.range.e_max;
    refreshed.geometry.e_min = out.range.e_min;

    const series &electrode = src.channel_index == 0 ? ch1 : ch2;
    if (src.cycle_choices == 1) {
        out.cycle = electrode;  // the whole curve, as it stands
        return out;
    }
    const cycle_bounds b = bounds_of(refreshed);
    const std::size_t start = b.start, end = std::min(b.end, electrode.size());
    if (start >= end)
        return out;
    out.cycle.keys.reserve(end - start);
    out.cycle.values.reserve(end - start);
    for (std::size_t t = start; t < end; ++t)
        out.cycle.append(float(electrode.keys[t]), float(electrode.values[t]));
    return out;
}

float first_step(const series &ch1, const series &ch2)
{
    const series &s = ch1.empty() ? ch2 : ch1;
    return float(s.key_at(1)) - float(s.key_at(0));
}

slider_setups setup_sliders(const series &ch1, const series &ch2, float e_start, int channel_index)
{
    slider_setups out;
    const std::size_t n = std::max(ch1.size(), ch2.size());
    out.range = find_potential_range(ch1, ch2, n);
    if (n == 0) {
        out.anodic = {false, 5, 2};
        out.cathodic = {true, 0, 0};
        return out;
    }
    const series &electrode = channel_index == 0 ? ch1 : ch2;
    const cycle_extremes peaks = find_cycle_extremes(electrode, n);
    const std::size_t maxidx = peaks.max_index, minidx = peaks.min_index;
    const bool min_found = peaks.min_found;
    const float minkey = float(electrode.key_at(minidx));
    const float d = float(electrode.key_at(1)) - float(electrode.key_at(0));

    const int amax = int(std::min<std::size_t>(maxidx, std::numeric_limits<int>::max()));
    if (maxidx > 4)
        out.anodic = {true, amax, amax / 2};
    else if (n > 4)
        out.anodic = {std::nullopt, amax, amax / 2};
    else
        out.anodic = {false, 5, 2};

    // A zero or non-finite step, no minimum in the second half, or a turning point that is not a forward count
    // leaves nothing to measure from: the pair is disabled as when the minimum lies before the turning point.
    const std::optional<int> turn = d != 0 ? slider_count((out.range.e_max - e_start) / d) : std::nullopt;
    const std::optional<int> count = d != 0 && min_found ? slider_count((out.range.e_max - minkey) / d) : std::nullopt;
    if (!turn || !count || std::size_t(*turn) > minidx)
        out.cathodic = {false, 5, 2};
    else
        out.cathodic = {true, *count, *count / 2};
    return out;
}

}  // namespace analysis
