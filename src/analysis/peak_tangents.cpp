// Automatic tangents of the "Peaks" method and their rotation.
#include "analysis/peak_tangents.h"

#include "analysis/analysis_values.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace analysis {

namespace {

constexpr std::size_t min_tangent_points = 5;  // shorter cycles get no automatic tangent
constexpr int max_extension_steps = 100001;

template <typename T>
T saturated(long long v)
{
    return T(std::clamp<long long>(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

std::size_t clamped_index(long long i, std::size_t n)
{
    return n == 0 ? 0 : std::size_t(std::clamp<long long>(i, 0, (long long)(n) - 1));
}

// Mean step of the w points from `first` minus that of the w points before, per point: a slope per point.
float window_slope(const std::vector<double> &v, std::size_t first, std::size_t w)
{
    float front = 0, back = 0;
    for (std::size_t i = first; i < first + w; ++i) {
        front += float(v[i]);
        back += float(v[i - w]);
    }
    const float fw = float(w);
    return (front / fw - back / fw) / fw;
}

struct base_slope {
    float raw = 0;    // µA per point, smoothed cycle
    float slope = 0;  // in the frame (potential / span, current / range)
};

// Potential span the slopes of a cycle are normalised with: from its first point to its middle one.
float normalising_span(const series &cycle)
{
    const std::size_t n = cycle.size();
    return n == 0 ? 0.0f : float(cycle.keys[n / 2]) - float(cycle.keys[0]);
}

// Slopes of the windows around the anchor; the windows are moved into the cycle where they would leave it.
// A zero current range, potential step or span gives a flat line rather than an infinite or undefined slope.
base_slope measure(const series &cycle, const std::vector<double> &smooth, long long anchor, std::size_t w,
                   float range, float span)
{
    const std::size_t n = cycle.size();
    const long long lo = (long long)w, hi = std::max(lo, (long long)n - (long long)w);  // n >= 2w for every n > 4
    const std::size_t first = std::size_t(std::clamp(anchor, lo, hi));
    base_slope s;
    s.raw = window_slope(smooth, first, w);
    const float kstep = window_slope(cycle.keys, first, w);
    const float scale = range * kstep / span;
    if (!std::isfinite(scale) || scale == 0)
        return s;
    const float slope = (s.raw / range) / (kstep / span);
    if (!std::isfinite(slope))
        return s;
    s.slope = slope;
    return s;
}

// Current of the line through (e_anchor, i_anchor) with normalised slope m at the potential e: the slope is taken
// back to µA per volt with the range and span it was normalised by, so the line has the measured dI/dE whatever
// the potential steps between anchor and peak (on the instrument's grid they are uneven).
float line_current(float i_anchor, float e_anchor, float e, float m, float per_volt)
{
    if (per_volt == 0)
        return i_anchor;
    const float y = i_anchor + (e - e_anchor) * m * per_volt;
    return std::isfinite(y) ? y : i_anchor;
}

// tan(atan(slope) + degrees), through the single-precision steps the stored rotations were made with.
float rotated(float slope, int degrees)
{
    const float theta = float(std::atan(double(slope)));
    const float deg = float(theta * 57.29577951308232);
    const float rad = float((deg + float(degrees)) * 0.017453292519943295);
    return float(std::tan(double(rad)));
}

// The peaks the tangents run to: the first highest current from 0, and the first lowest from 0 past the middle
// (over the whole cycle when the cathodic slider is disabled).
struct tangent_peaks {
    float max = 0, min = 0;
    std::size_t maxidx = 0, minidx = 0;
};
tangent_peaks find_tangent_peaks(const series &cycle, bool cathodic_enabled)
{
    const std::size_t n = cycle.size();
    tangent_peaks p;
    for (std::size_t t = 0; t < n; ++t) {
        const float v = float(cycle.values[t]);
        if (v > p.max) {
            p.max = v;
            p.maxidx = t;
        }
        if (v < p.min && (t > n / 2 || !cathodic_enabled)) {
            p.min = v;
            p.minidx = t;
        }
    }
    return p;
}

// The normalised base slope a drawn line was rotated from by `degrees`; 0 for no line or no finite slope.
float base_slope_of(const tangent_line &line, float per_volt, int degrees)
{
    if (line.size() < 3 || per_volt == 0)
        return 0;
    const float drawn = float((line.values[2] - line.values[1]) / (line.keys[2] - line.keys[1]) / per_volt);
    if (!std::isfinite(drawn))
        return 0;
    const float base = rotated(drawn, -degrees);
    return std::isfinite(base) ? base : 0.0f;
}

constexpr int form_anchor_minimum = 5;

// A slider given a new range and asked for its middle; the value is held within the range. The tangent is
// anchored where the slider then stands.
slider with_maximum(slider s, int maximum)
{
    s.maximum = maximum;
    s.minimum = anchor_slider_minimum(maximum);
    s.value = std::clamp(maximum / 2, s.minimum, maximum);
    return s;
}

// A slider that keeps its maximum still takes the minimum of that maximum: the range is the cycle's own, never
// what an earlier cycle left, and the value is held within it.
slider with_own_minimum(slider s)
{
    s.minimum = anchor_slider_minimum(s.maximum);
    s.value = std::clamp(s.value, s.minimum, s.maximum);
    return s;
}

}  // namespace

int anchor_slider_minimum(int maximum) { return std::min(form_anchor_minimum, maximum); }

peak_sliders reset_slider_ranges(const series &cycle, const peak_sliders &now)
{
    const std::size_t n = cycle.size();
    const cycle_extremes peaks = find_cycle_extremes(cycle, n);
    const std::size_t maxidx = peaks.max_index, minidx = peaks.min_index;
    const std::size_t c = minidx > n / 2 ? minidx - n / 2 : minidx;

    peak_sliders out = now;
    const int amax = saturated<int>((long long)maxidx), cmax = saturated<int>((long long)c);
    if (out.anodic.maximum != amax) {
        out.anodic = with_maximum(out.anodic, amax);
        out.tangent = 0;
    } else {
        out.anodic = with_own_minimum(out.anodic);
    }
    if (out.cathodic.maximum != cmax) {
        out.cathodic = with_maximum(out.cathodic, cmax);
        out.cathodic_2 = 0;
    } else {
        out.cathodic = with_own_minimum(out.cathodic);
    }
    return out;
}

float tangent_volt_scale(const series &cycle, const analysis_result &record)
{
    const float scale = (record.cycle_max - record.cycle_min) / normalising_span(cycle);
    return std::isfinite(scale) ? scale : 0.0f;
}

int tangent_window(std::size_t n)
{
    const int w = int((n / 250) & 0xff);
    return w <= 4 ? 2 : w;
}

analysis_result auto_tangent(const series &cycle, const series &smoothed, const peak_sliders &sliders,
                             analysis_result record)
{
    record.Epa = record.Epc = record.Ipa = record.Ipc = 0;
    const std::size_t n = cycle.size();
    if (n < min_tangent_points)
        return record;

    const tangent_peaks peaks = find_tangent_peaks(cycle, sliders.cathodic.enabled);
    const float max = peaks.max, min = peaks.min;
    const std::size_t maxidx = peaks.maxidx, minidx = peaks.minidx;

    // An unsmoothed cycle leaves no smoothed points; they read as 0 as absent curve points do.
    std::vector<double> smooth(smoothed.values.begin(), smoothed.values.begin() + std::min(smoothed.size(), n));
    smooth.resize(n, 0.0);

    const std::size_t w = std::size_t(tangent_window(n));
    const float range = max - min;
    const float span = normalising_span(cycle);
    const base_slope an = measure(cycle, smooth, sliders.anodic.value, w, range, span);
    const base_slope ca = measure(cycle, smooth, (long long)(n / 2) + sliders.cathodic.value, w, range, span);

    record.anodic_peak_index = saturated<uint16_t>((long long)maxidx);
    record.cathodic_peak_index = saturated<uint16_t>((long long)minidx);
    record.cycle_max = max;
    record.cycle_min = min;
    record.anodic_raw_slope = an.raw;
    record.cathodic_raw_slope = ca.raw;
    record.current_anodic = saturated<uint16_t>(sliders.anodic.value);
    record.current_cathodic = saturated<uint16_t>(sliders.cathodic.value);
    record.current_tangent = saturated<int16_t>(sliders.tangent);
    record.anodic_max = saturated<int16_t>(sliders.anodic.maximum);
    record.cathodic_max = saturated<int16_t>(sliders.cathodic.maximum);
    record.current_cathodic_2 = saturated<int16_t>(sliders.cathodic_2);
    record.anodic_slope = an.slope;
    record.cathodic_slope = ca.slope;
    // The tangents are then drawn at their base slope, which the rotation slots record as rotation 0.
    if (sliders.anodic.enabled)
        record.current_tangent = 0;
    if (sliders.cathodic.enabled)
        record.current_cathodic_2 = 0;
    return record;
}

analysis_result restore_tangent_state(const series &cycle, const tangent_line &anodic, const tangent_line &cathodic,
                                      analysis_result record)
{
    if (cycle.size() < min_tangent_points)
        return record;
    const tangent_peaks peaks = find_tangent_peaks(cycle, !cathodic.empty());
    record.cycle_max = peaks.max;
    record.cycle_min = peaks.min;
    record.anodic_peak_index = saturated<uint16_t>((long long)peaks.maxidx);
    record.cathodic_peak_index = saturated<uint16_t>((long long)peaks.minidx);
    const float per_volt = tangent_volt_scale(cycle, record);
    record.anodic_slope = base_slope_of(anodic, per_volt, record.current_tangent);
    record.cathodic_slope = base_slope_of(cathodic, per_volt, record.current_cathodic_2);
    return record;
}

tangent_line anodic_tangent(const series &cycle, const analysis_result &record, float d, int v, bool enabled)
{
    tangent_line line;
    const std::size_t n = cycle.size();
    if (!enabled || n < min_tangent_points)
        return line;
    const float m = rotated(record.anodic_slope, v);
    const std::size_t a = clamped_index(record.current_anodic, n), p = clamped_index(record.anodic_peak_index, n);
    const float ia = float(cycle.values[a]), ea = float(cycle.keys[a]);
    const float e0 = float(cycle.keys[0]), ep = float(cycle.keys[p]);
    const float yp = line_current(ia, ea, ep, m, tangent_volt_scale(cycle, record));

    float x = ea, y = ia;
    const float se = (yp - ia) / (ep - ea);
    if (ep != ea && std::isfinite(se)) {
        const float q = se * d;
        for (int k = 0; k < max_extension_steps && (q != 0 || d != 0); ++k) {
            if (!(y > record.cycle_min) || !(x > e0))
                break;
            y -= q;
            x -= d;
        }
    }
    line.append(x, y);
    line.append(ea, ia);
    line.append(ep, yp);
    line.append(ep, record.cycle_max);
    return line;
}

tangent_line cathodic_tangent(const series &cycle, const analysis_result &record, float d, float e_max, int v,
                              bool enabled)
{
    tangent_line line;
    const std::size_t n = cycle.size();
    if (!enabled || n < min_tangent_points)
        return line;
    const float m = rotated(record.cathodic_slope, -v);
    const std::size_t i = clamped_index((long long)(n / 2) + record.current_cathodic, n);
    const std::size_t p = clamped_index(record.cathodic_peak_index, n);
    const float ic = float(cycle.values[i]), ec = float(cycle.keys[i]), ep = float(cycle.keys[p]);
    const float yp = line_current(ic, ec, ep, m, tangent_volt_scale(cycle, record));

    float x = ec, y = ic;
    const float se = (yp - ic) / (ep - ec);
    if (ep != ec && std::isfinite(se)) {
        const float q = se * d;
        for (int k = 0; k < max_extension_steps && (q != 0 || d != 0); ++k) {
            if (!(y < record.cycle_max) || !(x < e_max))
                break;
            y += q;
            x += d;
        }
    }
    line.append(x, y);
    line.append(ec, ic);
    line.append(ep, yp);
    line.append(ep, record.cycle_min);
    return line;
}

peak_values values_from_tangents(const tangent_line &anodic, const tangent_line &cathodic)
{
    peak_values v;
    v.Epa = float(cut_to_hundredths(anodic.key_at(2) * 1000));
    v.Epc = float(cut_to_hundredths(cathodic.key_at(2) * 1000));
    v.Ipa = float(anodic.value_at(3) - anodic.value_at(2));
    v.Ipc = float(cathodic.value_at(3) - cathodic.value_at(2));
    return v;
}

}  // namespace analysis
